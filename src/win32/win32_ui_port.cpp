#include "win32/win32_ui_port.h"

#include <commdlg.h>

#include <array>
#include <cstring>

namespace tovick::win32 {

namespace {

// The common dialogs' file-name buffer.
constexpr std::size_t kFileBufferBytes = 260;

// Room asked for each item of a list before a fill: the vehicle names are the longest items.
constexpr LPARAM kBytesPerListItem = 16;

UINT IconStyle(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::None:
      return 0;
    case MessageIcon::Exclamation:
      return MB_ICONEXCLAMATION;
    case MessageIcon::Error:
      return MB_ICONERROR;
    case MessageIcon::Information:
      return MB_ICONINFORMATION;
  }
  return 0;
}

}  // namespace

HWND Win32UiPort::Handle(Control control) const {
  return controls_[control];
}

int Win32UiPort::RunMessageBox(const MessageBoxRequest& request, UINT buttons) {
  HWND owner = request.OwnedByMainWindow ? mainWindow_ : nullptr;
  return MessageBoxA(owner, request.Text.c_str(), request.Caption.c_str(),
                     buttons | IconStyle(request.Icon));
}

void Win32UiPort::ShowMessage(const MessageBoxRequest& request) {
  RunMessageBox(request, MB_OK);
}

bool Win32UiPort::AskYesNo(const MessageBoxRequest& request) {
  return RunMessageBox(request, MB_YESNO) == IDYES;
}

void Win32UiPort::Beep() {
  MessageBeep(MB_OK);
}

void Win32UiPort::ComboClear(Control combo) {
  SendMessageA(Handle(combo), CB_RESETCONTENT, 0, 0);
}

void Win32UiPort::ComboAdd(Control combo, std::string_view item) {
  const std::string text(item);  // the control wants a terminated string
  SendMessageA(Handle(combo), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

int Win32UiPort::ComboSelection(Control combo) {
  const LRESULT selection = SendMessageA(Handle(combo), CB_GETCURSEL, 0, 0);
  return selection == CB_ERR ? -1 : static_cast<int>(selection);
}

void Win32UiPort::ComboSelect(Control combo, int index) {
  // An index outside the list clears the selection. Windows does so itself, Wine keeps the old
  // selection for an index past the end: -1 clears it on both.
  if (index < 0 || index >= ComboCount(combo)) index = -1;
  SendMessageA(Handle(combo), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int Win32UiPort::ComboCount(Control combo) {
  const LRESULT count = SendMessageA(Handle(combo), CB_GETCOUNT, 0, 0);
  return count == CB_ERR ? 0 : static_cast<int>(count);
}

HWND Win32UiPort::DropDownList(Control combo) const {
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  return GetComboBoxInfo(Handle(combo), &info) ? info.hwndList : nullptr;
}

void Win32UiPort::BeginComboFill(Control combo, int itemCount) {
  if (itemCount > 0) {
    SendMessageA(Handle(combo), CB_INITSTORAGE, static_cast<WPARAM>(itemCount),
                 static_cast<LPARAM>(itemCount) * kBytesPerListItem);
  }
  // Only the drop-down list stops redrawing: it is closed while the program fills it, and the
  // box that shows the selection keeps painting, for a message shown in the middle of a fill.
  if (HWND list = DropDownList(combo)) SendMessageA(list, WM_SETREDRAW, FALSE, 0);
}

void Win32UiPort::EndComboFill(Control combo) {
  if (HWND list = DropDownList(combo)) SendMessageA(list, WM_SETREDRAW, TRUE, 0);
}

void Win32UiPort::SetText(Control control, std::string_view text) {
  const std::string terminated(text);
  SetWindowTextA(Handle(control), terminated.c_str());
}

std::string Win32UiPort::GetText(Control control) {
  HWND handle = Handle(control);
  const int length = GetWindowTextLengthA(handle);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(handle, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

bool Win32UiPort::IsChecked(Control checkBox) {
  return SendMessageA(Handle(checkBox), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32UiPort::SetChecked(Control checkBox, bool checked) {
  SendMessageA(Handle(checkBox), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

namespace {

using FileDialogFunction = BOOL(WINAPI*)(LPOPENFILENAMEA);

// comdlg32 drags in the shell's libraries. Loading it on first use keeps a start with both paths
// remembered as quick as a bare window; the full system path keeps a planted DLL from being found.
FileDialogFunction LoadFileDialogFunction(bool save) {
  static const HMODULE comdlg = [] {
    std::array<char, MAX_PATH> path{};
    const UINT length = GetSystemDirectoryA(path.data(), static_cast<UINT>(path.size()));
    if (length == 0 || length >= path.size()) return HMODULE{};
    return LoadLibraryA((std::string(path.data(), length) + "\\comdlg32.dll").c_str());
  }();
  if (comdlg == nullptr) return nullptr;
  const FARPROC proc = GetProcAddress(comdlg, save ? "GetSaveFileNameA" : "GetOpenFileNameA");
  // Through a generic function pointer: GCC warns on a direct cast between function types.
  return reinterpret_cast<FileDialogFunction>(reinterpret_cast<void (*)()>(proc));
}

}  // namespace

std::optional<std::string> Win32UiPort::OpenFileDialog(const FileDialogRequest& request) {
  return RunFileDialog(request, false);
}

std::optional<std::string> Win32UiPort::SaveFileDialog(const FileDialogRequest& request) {
  return RunFileDialog(request, true);
}

std::optional<std::string> Win32UiPort::RunFileDialog(const FileDialogRequest& request, bool save) {
  // One filter entry: "<description>\0<pattern>\0\0".
  std::string filter = request.FilterDescription;
  filter.push_back('\0');
  filter += request.FilterPattern;
  filter.push_back('\0');
  filter.push_back('\0');

  std::array<char, kFileBufferBytes> file{};
  std::strncpy(file.data(), request.FileName.c_str(), file.size() - 1);

  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = mainWindow_;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrInitialDir = request.InitialDirectory.c_str();
  dialog.lpstrTitle = request.Title.c_str();
  dialog.Flags = save ? (OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST)
                      : (OFN_FILEMUSTEXIST | OFN_HIDEREADONLY);

  // FALSE covers both a cancel and a dialog failure (a path too long for the buffer, say):
  // either way no file was chosen.
  const FileDialogFunction run = LoadFileDialogFunction(save);
  if (run == nullptr) return std::nullopt;
  const BOOL chosen = run(&dialog);
  if (!chosen) return std::nullopt;
  return std::string(file.data());
}

}  // namespace tovick::win32
