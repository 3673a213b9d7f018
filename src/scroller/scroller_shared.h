#pragma once
// What the user-interface thread hands to the scroller thread: speed requests and the message to
// animate. The request is one atomic value; the message and its restart flag travel together
// under a lock that is held only for the copy, never while either thread calls into the window.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace tovick {

constexpr std::size_t kMaxScrollerMessage = 899;
constexpr std::int16_t kScrollNotch = 120;

class ScrollerShared {
 public:
  // +120 faster, -120 slower; any other value is stored but ignored by the scroller.
  void SetScrollRequest(std::int16_t delta) { scrollRequest_.store(delta); }
  std::int16_t ScrollRequest() const { return scrollRequest_.load(); }
  // Scroller side: takes a pending +120 or -120 and leaves 0 in its place; returns 0 when no
  // such request waits. A request stored meanwhile is not lost: the reset only replaces the
  // value that was taken.
  std::int16_t TakeScrollRequest();

  // Copies the text (cut to 899 characters) and asks the effect to start over.
  void PostScrollerMessage(std::string_view text);
  // Scroller side: the message, when one was posted since the last call (the restart is taken).
  std::optional<std::string> TakeRestart();
  // Scroller side, at the end of an effect: back to scrolling, unless a message posted meanwhile
  // is waiting for its restart; that one must not be wiped.
  void EndMessage();
  std::string Message() const;

 private:
  std::atomic<std::int16_t> scrollRequest_{0};
  mutable std::mutex mutex_;
  std::string message_;
  bool restart_ = false;
};

}  // namespace tovick
