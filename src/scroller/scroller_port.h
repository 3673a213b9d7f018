#pragma once
// The three things the scroller asks of the platform. The scroller thread implements them on the
// window; the tests record them. The scroller never holds a lock while it calls one of these.

#include <string>

namespace tovick {

// A rectangle of the main window's client area, in pixels, right and bottom exclusive.
struct ClientRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  friend bool operator==(const ClientRect&, const ClientRect&) = default;
};

class ScrollerPort {
 public:
  virtual ~ScrollerPort() = default;
  virtual void Sleep(int milliseconds) = 0;
  // Replaces the strip's whole text.
  virtual void SetStripText(const std::string& text) = 0;
  // Moves the pixels inside the rectangle dx pixels sideways (negative: to the left), no clip.
  virtual void ScrollRect(const ClientRect& rect, int dx) = 0;
};

}  // namespace tovick
