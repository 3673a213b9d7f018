#pragma once
// The UI port over the main window's real controls.

#include <windows.h>

#include "editor/ui_port.h"
#include "win32/controls.h"

namespace tovick::win32 {

class Win32UiPort : public UiPort {
 public:
  Win32UiPort(HWND mainWindow, const ControlHandles& controls)
      : mainWindow_(mainWindow), controls_(controls) {}

  void ShowMessage(const MessageBoxRequest& request) override;
  bool AskYesNo(const MessageBoxRequest& request) override;
  void Beep() override;

  void ComboClear(Control combo) override;
  void ComboAdd(Control combo, std::string_view item) override;
  int ComboSelection(Control combo) override;
  void ComboSelect(Control combo, int index) override;
  int ComboCount(Control combo) override;
  void BeginComboFill(Control combo, int itemCount) override;
  void EndComboFill(Control combo) override;

  void SetText(Control control, std::string_view text) override;
  std::string GetText(Control control) override;

  bool IsChecked(Control checkBox) override;
  void SetChecked(Control checkBox, bool checked) override;

  std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) override;
  std::optional<std::string> SaveFileDialog(const FileDialogRequest& request) override;

 private:
  HWND Handle(Control control) const;
  HWND DropDownList(Control combo) const;
  int RunMessageBox(const MessageBoxRequest& request, UINT buttons);
  std::optional<std::string> RunFileDialog(const FileDialogRequest& request, bool save);

  HWND mainWindow_;
  const ControlHandles& controls_;
};

}  // namespace tovick::win32
