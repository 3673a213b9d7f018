#include "win32/scroller_thread.h"

#include <atomic>
#include <utility>

#include "scroller/scroller_machine.h"

namespace tovick::win32 {

namespace {

struct ScrollerThread {
  ScrollerThread(ScrollerShared& shared, std::string text, ClientRect scrollRect, HWND mainWindow,
                 HWND strip, HANDLE resting)
      : Machine(shared, std::move(text), scrollRect), Port(mainWindow, strip), Resting(resting) {}

  ScrollerMachine Machine;
  Win32ScrollerPort Port;
  std::atomic<bool> Stop{false};  // set once, when the program ends
  HANDLE Resting;                 // set by the thread when it has stopped ticking
};

// Never freed: the thread works on it until the process ends.
ScrollerThread* scroller = nullptr;

DWORD WINAPI ScrollerThreadMain(LPVOID parameter) {
  ScrollerThread& self = *static_cast<ScrollerThread*>(parameter);
  try {
    while (!self.Stop) self.Machine.Tick(self.Port);
  } catch (...) {
    // A fault stops the strip where it is; the window carries on without it.
  }
  SetEvent(self.Resting);
  // The thread ends with the process, at rest here, holding nothing.
  for (;;) ::Sleep(INFINITE);
}

}  // namespace

void Win32ScrollerPort::Sleep(int milliseconds) {
  if (milliseconds <= 0) {
    // At full speed the thread still gives up the processor between ticks.
    SwitchToThread();
    return;
  }
  ::Sleep(static_cast<DWORD>(milliseconds));
}

void Win32ScrollerPort::SetStripText(const std::string& text) {
  // Served by the window's thread: the scroller waits while that thread is busy.
  if (strip_ != nullptr) SetWindowTextA(strip_, text.c_str());
}

void Win32ScrollerPort::ScrollRect(const ClientRect& rect, int dx) {
  if (mainWindow_ == nullptr) return;
  const RECT moved{rect.Left, rect.Top, rect.Right, rect.Bottom};
  // Only the column left behind is invalidated. Without SW_INVALIDATE Wine invalidates the whole
  // window instead, so that every control repaints on every tick and the strip never moves.
  ScrollWindowEx(mainWindow_, dx, 0, &moved, nullptr, nullptr, nullptr, SW_INVALIDATE);
}

bool StartScrollerThread(ScrollerShared& shared, std::string text, ClientRect scrollRect,
                         HWND mainWindow, HWND strip) {
  if (scroller != nullptr) return false;  // one scroller per process
  HANDLE resting = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (resting == nullptr) return false;
  auto* created =
      new ScrollerThread(shared, std::move(text), scrollRect, mainWindow, strip, resting);
  HANDLE thread = CreateThread(nullptr, 0, ScrollerThreadMain, created, 0, nullptr);
  if (thread == nullptr) {
    delete created;
    CloseHandle(resting);
    return false;
  }
  CloseHandle(thread);
  scroller = created;
  return true;
}

void RestScrollerForExit(DWORD timeoutMs) {
  if (scroller == nullptr) return;
  scroller->Stop = true;
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  MSG message;
  while (true) {
    // Serves whatever the thread has sent to the window, then waits for rest or the next send.
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return;
    const DWORD woken = MsgWaitForMultipleObjects(
        1, &scroller->Resting, FALSE, static_cast<DWORD>(deadline - now), QS_SENDMESSAGE);
    if (woken != WAIT_OBJECT_0 + 1) return;  // at rest, or out of time
  }
}

}  // namespace tovick::win32
