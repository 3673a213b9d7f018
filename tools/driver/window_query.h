#pragma once
// Reading another process's windows: texts, combo items, check states, and the layout of the
// editor's main window and of dialog boxes, as JSON.

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace tovick::driver {

inline constexpr const char* kMainClass = "Tovick";
inline constexpr const char* kMainTitle = "Tovick Plashgoon";
inline constexpr int kControlCount = 41;

std::string Utf8(std::wstring_view wide);
std::wstring Wide(std::string_view utf8);

// WM_GETTEXT sent as a message, so it reaches controls of another process (GetWindowText does not).
std::string ReadText(HWND window);
// Items through CB_GETLBTEXT sent as Unicode: Wine answers the ANSI form across processes in
// UTF-16.
std::vector<std::string> ComboItems(HWND combo);
int ComboSelection(HWND combo);
std::string ClassName(HWND window);

HWND FindMainWindow();
// The main window's direct children in the order they were created (index 0 is control 1).
std::vector<HWND> MainControls(HWND mainWindow);
// One control as a JSON object: index, id, class, text, rectangle, style, and for combo boxes
// their items and selection, for check boxes their state.
std::string DescribeControl(HWND control, int index, HWND parent);
// Visible top-level dialog boxes (#32770) of other processes, newest first.
std::vector<HWND> VisibleDialogs();
// Marks a dialog as closed for good, so it is never reported again.
void ForgetDialog(HWND dialog);
// A dialog as JSON: caption, kind ("message" or "file"), the message text, icon and button texts,
// every descendant control.
std::string DescribeDialog(HWND dialog);

}  // namespace tovick::driver
