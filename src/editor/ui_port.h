#pragma once
// The one narrow interface through which the operations reach the main window. The Win32 side
// implements it over the real controls; tests use a fake that records every call.

#include <optional>
#include <string>
#include <string_view>

namespace tovick {

// The data controls the operations read and fill.
enum class Control {
  BlockList,    // combo under "BLOCK"
  VehicleList,  // combo under "CAR IN BLOCK"
  SearchList,   // combo under "SEARCH FOR CAR"
  XPosEdit,
  YPosEdit,
  HeadingEdit,
  UtellmeEdit,
  AlarmEdit,
  LockEdit,
  XPosText,  // the bordered statics under the edits
  YPosText,
  HeadingText,
  UtellmeText,
  AlarmText,
  LockText,
  ZoneBox,
  WarningLine,
  DefinitionsPathLine,
  ScriptPathLine,
  UnsafeCheck,  // "ENABLE UNSAFE VEHICLES"
  PlugInCheck,  // "USE BLOCK IN PLUG-IN"
};
// Keep PlugInCheck last: the Win32 control table is checked against this count.
constexpr int kPortControlCount = static_cast<int>(Control::PlugInCheck) + 1;

enum class MessageIcon { None, Exclamation, Error, Information };

// A message box: OK only for ShowMessage, Yes and No for AskYesNo.
struct MessageBoxRequest {
  std::string Text;
  std::string Caption = " ";
  MessageIcon Icon = MessageIcon::None;
  bool OwnedByMainWindow = true;
};

// The common open and save dialogs. Open: the file must exist, read-only box hidden. Save: ask
// before overwriting, read-only box hidden, path must exist, no default extension.
struct FileDialogRequest {
  std::string Title;
  std::string FileName;           // the file-name box preset, e.g. "*.SCM"
  std::string FilterDescription;  // e.g. ".SCM FILES (*.SCM)"
  std::string FilterPattern = "*.*";
  std::string InitialDirectory;
};

class UiPort {
 public:
  virtual ~UiPort() = default;

  virtual void ShowMessage(const MessageBoxRequest& request) = 0;
  // True when the user answers Yes.
  virtual bool AskYesNo(const MessageBoxRequest& request) = 0;
  virtual void Beep() = 0;

  virtual void ComboClear(Control combo) = 0;
  virtual void ComboAdd(Control combo, std::string_view item) = 0;
  // The selected position, or -1 when nothing is selected.
  virtual int ComboSelection(Control combo) = 0;
  // Selects position index; an index outside the list leaves nothing selected (as the platform
  // does).
  virtual void ComboSelect(Control combo, int index) = 0;
  virtual int ComboCount(Control combo) = 0;
  // Around a run of ComboAdd that fills a list: the control may make room for itemCount items at
  // once and leave its drop-down list alone until the end. Nothing the user sees changes.
  virtual void BeginComboFill(Control /*combo*/, int /*itemCount*/) {}
  virtual void EndComboFill(Control /*combo*/) {}

  virtual void SetText(Control control, std::string_view text) = 0;
  virtual std::string GetText(Control control) = 0;

  virtual bool IsChecked(Control checkBox) = 0;
  virtual void SetChecked(Control checkBox, bool checked) = 0;

  // The chosen full path, or nullopt when the user cancels.
  virtual std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) = 0;
  virtual std::optional<std::string> SaveFileDialog(const FileDialogRequest& request) = 0;

  // Convenience for the common case: caption " ", no icon, owned by the main window.
  void Message(std::string text, MessageIcon icon = MessageIcon::None) {
    ShowMessage(MessageBoxRequest{std::move(text), " ", icon, true});
  }
};

// Brackets the fill of a list with BeginComboFill and EndComboFill, also when it is cut short.
class ComboFill {
 public:
  ComboFill(UiPort& ui, Control combo, int itemCount) : ui_(ui), combo_(combo) {
    ui_.BeginComboFill(combo_, itemCount);
  }
  ~ComboFill() { ui_.EndComboFill(combo_); }
  ComboFill(const ComboFill&) = delete;
  ComboFill& operator=(const ComboFill&) = delete;

 private:
  UiPort& ui_;
  Control combo_;
};

}  // namespace tovick
