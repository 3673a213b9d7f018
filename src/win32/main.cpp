// Process entry: the single-instance guard, the window class, the main window and the message loop.

#include <windows.h>

#include <array>
#include <cstring>

#include "editor/start_up_trace.h"
#include "win32/main_window.h"
#include "win32/scroller_thread.h"
#include "win32/start_up_trace_file.h"

namespace {

// Registration and creation are not expected to fail; when they do, say so and end with a code
// a script can tell from a normal exit.
constexpr int kStartFailed = 1;

// A tick sleeps 500 ms at most: the thread is at rest well within this.
constexpr DWORD kScrollerRestMs = 2000;

int StartFailed(const char* text) {
  MessageBoxA(nullptr, text, " ", MB_OK | MB_ICONERROR);
  return kStartFailed;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  using namespace tovick::win32;
  BeginStartUpTraceIfAsked();
  std::array<char, 20> className{};
  std::strncpy(className.data(), kWindowClass, className.size() - 1);

  // A second start leaves the running editor alone.
  if (FindWindowA(className.data(), kWindowTitle) != nullptr) return 0;

  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = MAINWNDPROC;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  windowClass.hIconSm = LoadIconA(nullptr, IDI_APPLICATION);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_MENU + 1));
  windowClass.lpszClassName = className.data();
  if (RegisterClassExA(&windowClass) == 0) return StartFailed("Couldn't register the window class");
  tovick::MarkStartUp("window class registered");

  // The creation message moves, sizes and fills the window and loads the game files.
  HWND mainWindow = CreateWindowExA(0, className.data(), kWindowTitle, WS_POPUP, 300, 200, 300, 260,
                                    nullptr, nullptr, instance, nullptr);
  if (mainWindow == nullptr) return StartFailed("Couldn't create the main window");

  ShowWindow(mainWindow, showCommand);
  tovick::MarkStartUp("window shown");
  UpdateWindow(mainWindow);
  tovick::MarkStartUp("window painted");

  MSG message{};
  while ((EndStartUpTraceWhenIdle(), GetMessageA(&message, nullptr, 0, 0) > 0)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  // The exit must not cut the scroller thread off in the middle of a tick.
  RestScrollerForExit(kScrollerRestMs);
  return static_cast<int>(message.wParam);
}
