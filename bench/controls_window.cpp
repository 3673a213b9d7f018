// The start-up benchmark's floor for this window: the minimal window with the editor's own 41
// controls and control font, created from the editor's control table, and nothing else (no game
// files, no scroller). What the editor takes beyond this is its own work.

#include <windows.h>

#include "editor/start_up_trace.h"
#include "win32/controls.h"
#include "win32/start_up_trace_file.h"

namespace {

using namespace tovick::win32;

HFONT font = nullptr;
ControlHandles controls;

LRESULT CALLBACK ControlsWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      const auto& creation = *reinterpret_cast<const CREATESTRUCTA*>(lParam);
      font = CreateControlFont();
      tovick::MarkStartUp("control font created");
      if (!CreateControls(window, creation.hInstance, font, controls)) return -1;
      tovick::MarkStartUp("41 controls created");
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  tovick::win32::BeginStartUpTraceIfAsked();
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = ControlsWindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_MENU + 1));
  windowClass.lpszClassName = "TovickControls";
  if (RegisterClassExA(&windowClass) == 0) return 1;
  tovick::MarkStartUp("window class registered");

  const int x = GetSystemMetrics(SM_CXSCREEN) / 2 - 318;
  const int y = GetSystemMetrics(SM_CYSCREEN) / 2 - 225;
  HWND window = CreateWindowExA(0, "TovickControls", "Controls Window", WS_POPUP, x, y, 636, 450,
                                nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 1;
  ShowWindow(window, showCommand);
  tovick::MarkStartUp("window shown");
  UpdateWindow(window);
  tovick::MarkStartUp("window painted");

  MSG message{};
  while ((tovick::win32::EndStartUpTraceWhenIdle(), GetMessageA(&message, nullptr, 0, 0) > 0)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  if (font != nullptr) DeleteObject(font);
  return static_cast<int>(message.wParam);
}
