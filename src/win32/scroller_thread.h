#pragma once
// The scroller's own thread: started once, after a successful start-up, it turns the scroller
// machine for the life of the process over a port on the real window.

#include <windows.h>

#include <string>

#include "scroller/scroller_port.h"
#include "scroller/scroller_shared.h"

namespace tovick::win32 {

// The scroller's calls on the real window, made from the scroller thread. A handle that is not
// set (null) makes its call do nothing.
class Win32ScrollerPort final : public ScrollerPort {
 public:
  Win32ScrollerPort(HWND mainWindow, HWND strip) : mainWindow_(mainWindow), strip_(strip) {}

  void Sleep(int milliseconds) override;
  void SetStripText(const std::string& text) override;
  void ScrollRect(const ClientRect& rect, int dx) override;

 private:
  HWND mainWindow_;
  HWND strip_;
};

// Starts the thread over the strip and the main window. False when it could not be started; the
// strip then keeps its blank text and the program goes on without it.
bool StartScrollerThread(ScrollerShared& shared, std::string text, ClientRect scrollRect,
                         HWND mainWindow, HWND strip);

// Called once the message loop has ended: brings the thread to rest after its tick, so that the
// process never ends while the thread is inside a call that holds a lock. Meanwhile the window's
// sent messages are served, so a thread waiting for the strip's text to be set gets its answer.
// Returns after timeoutMs at the latest (a tick sleeps 500 ms at most); does nothing when no
// thread was started.
void RestScrollerForExit(DWORD timeoutMs);

}  // namespace tovick::win32
