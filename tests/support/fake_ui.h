#pragma once
// A fake of the UI port: holds the controls' state in memory and records every message box, beep
// and dialog, so the operations can be tested without a window.

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "editor/ui_port.h"

namespace tovick::testing {

struct FakeCombo {
  std::vector<std::string> Items;
  int Selection = -1;
};

class FakeUi : public UiPort {
 public:
  // Recorded calls, in order.
  std::vector<MessageBoxRequest> Messages;
  // Yes/No boxes asked, and the answers for the next ones, in order (none left: No).
  std::vector<MessageBoxRequest> Questions;
  std::deque<bool> YesNoAnswers;
  int Beeps = 0;
  std::vector<FileDialogRequest> OpenDialogs;
  std::vector<FileDialogRequest> SaveDialogs;
  // Answers for the next dialogs, in order; an empty queue (or nullopt) means the user cancels.
  std::deque<std::optional<std::string>> OpenAnswers;
  std::deque<std::optional<std::string>> SaveAnswers;

  // Each fill bracketed by BeginComboFill and EndComboFill: the items announced at its start and
  // the items added before its end (-1 while it is open).
  struct ComboFillRecord {
    Control Combo;
    int Announced;
    int Added;
    bool operator==(const ComboFillRecord&) const = default;
  };
  std::vector<ComboFillRecord> Fills;

  std::map<Control, FakeCombo> Combos;
  std::map<Control, std::string> Texts;
  std::map<Control, bool> Checks;

  void ShowMessage(const MessageBoxRequest& request) override { Messages.push_back(request); }
  bool AskYesNo(const MessageBoxRequest& request) override {
    Questions.push_back(request);
    if (YesNoAnswers.empty()) return false;
    const bool yes = YesNoAnswers.front();
    YesNoAnswers.pop_front();
    return yes;
  }
  void Beep() override { ++Beeps; }

  void ComboClear(Control combo) override { Combos[combo] = FakeCombo{}; }
  void ComboAdd(Control combo, std::string_view item) override {
    Combos[combo].Items.emplace_back(item);
  }
  int ComboSelection(Control combo) override { return Combos[combo].Selection; }
  void ComboSelect(Control combo, int index) override {
    FakeCombo& c = Combos[combo];
    c.Selection = (index >= 0 && index < static_cast<int>(c.Items.size())) ? index : -1;
  }
  int ComboCount(Control combo) override { return static_cast<int>(Combos[combo].Items.size()); }
  void BeginComboFill(Control combo, int itemCount) override {
    Fills.push_back({combo, itemCount, -1});
    fillStart_ = ComboCount(combo);
  }
  void EndComboFill(Control combo) override {
    if (!Fills.empty() && Fills.back().Combo == combo && Fills.back().Added == -1) {
      Fills.back().Added = ComboCount(combo) - fillStart_;
    }
  }

  void SetText(Control control, std::string_view text) override { Texts[control] = text; }
  std::string GetText(Control control) override { return Texts[control]; }

  bool IsChecked(Control checkBox) override { return Checks[checkBox]; }
  void SetChecked(Control checkBox, bool checked) override { Checks[checkBox] = checked; }

  std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) override {
    OpenDialogs.push_back(request);
    return Next(OpenAnswers);
  }
  std::optional<std::string> SaveFileDialog(const FileDialogRequest& request) override {
    SaveDialogs.push_back(request);
    return Next(SaveAnswers);
  }

  // Test conveniences.
  const std::vector<std::string>& Items(Control combo) { return Combos[combo].Items; }
  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const auto& m : Messages) texts.push_back(m.Text);
    return texts;
  }
  void ClearRecords() {
    Messages.clear();
    Questions.clear();
    Beeps = 0;
    OpenDialogs.clear();
    SaveDialogs.clear();
  }

 private:
  int fillStart_ = 0;

  static std::optional<std::string> Next(std::deque<std::optional<std::string>>& answers) {
    if (answers.empty()) return std::nullopt;
    auto answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

}  // namespace tovick::testing
