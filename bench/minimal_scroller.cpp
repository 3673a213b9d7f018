// The scroller benchmark's yardstick: a bare 636 x 450 popup window with one 540 x 20 strip whose
// pixels a second thread moves one to the left every 10 ms, setting the strip's text every seventh
// tick, and nothing else.

#include <windows.h>

#include <string>

namespace {

constexpr int kStripX = 48;
constexpr int kStripY = 215;
constexpr int kStripWidth = 540;
constexpr int kStripHeight = 20;
constexpr int kShown = 72;

HWND mainWindow = nullptr;
HWND strip = nullptr;

LRESULT CALLBACK MinimalWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

DWORD WINAPI ScrollStrip(LPVOID) {
  std::string text(kShown, ' ');
  for (int i = 0; i < 40; ++i) text += "The quick brown fox jumps over the lazy dog.   ";
  const RECT moved{kStripX + 3, kStripY + 1, kStripX + kStripWidth - 5, kStripY + kStripHeight - 2};
  std::size_t position = 0;
  for (int tick = 0;; ++tick) {
    Sleep(10);
    if (tick % 7 == 0) {
      SetWindowTextA(strip, text.substr(position, kShown).c_str());
      position = (position + 1) % (text.size() - kShown);
    }
    ScrollWindowEx(mainWindow, -1, 0, &moved, nullptr, nullptr, nullptr, SW_INVALIDATE);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = MinimalWindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_MENU + 1));
  windowClass.lpszClassName = "TovickMinimalScroller";
  if (RegisterClassExA(&windowClass) == 0) return 1;

  const int x = GetSystemMetrics(SM_CXSCREEN) / 2 - 318;
  const int y = GetSystemMetrics(SM_CYSCREEN) / 2 - 225;
  mainWindow = CreateWindowExA(0, "TovickMinimalScroller", "Minimal Scroller", WS_POPUP, x, y, 636,
                               450, nullptr, nullptr, instance, nullptr);
  if (mainWindow == nullptr) return 1;
  // The editor's strip: sunken, centred, in its control font.
  strip = CreateWindowExA(WS_EX_CLIENTEDGE, "static", " ",
                          WS_CHILD | WS_VISIBLE | SS_CENTER | SS_NOPREFIX, kStripX, kStripY,
                          kStripWidth, kStripHeight, mainWindow, nullptr, instance, nullptr);
  HFONT font = CreateFontA(15, 0, 0, 0, 200, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                           "Courier New");
  SendMessageA(strip, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  ShowWindow(mainWindow, showCommand);
  UpdateWindow(mainWindow);
  HANDLE thread = CreateThread(nullptr, 0, ScrollStrip, nullptr, 0, nullptr);
  if (thread != nullptr) CloseHandle(thread);

  MSG message{};
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}
