#pragma once
// What the user-interface thread hands to the scroller thread: speed requests and the message to
// animate. Each value is replaced whole; the message and its restart flag travel together under a lock.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace tovick {

constexpr std::size_t kMaxScrollerMessage = 899;

class ScrollerShared {
 public:
  // +120 faster, -120 slower; any other value is stored but ignored by the scroller.
  void SetScrollRequest(std::int16_t delta) { scrollRequest_.store(delta); }
  std::int16_t ScrollRequest() const { return scrollRequest_.load(); }
  // The scroller's reset after acting on a request.
  void ConsumeScrollRequest() { scrollRequest_.store(0); }

  // Copies the text (cut to 899 characters) and asks the effect to start over.
  void PostScrollerMessage(std::string_view text);
  // Scroller side: true (and the restart taken) when a new message was posted since the last call.
  bool TakeRestart(std::string& message);
  // Scroller side: the effect has ended, back to scrolling.
  void ClearMessage();
  std::string Message() const;

 private:
  std::atomic<std::int16_t> scrollRequest_{0};
  mutable std::mutex mutex_;
  std::string message_;
  bool restart_ = false;
};

}  // namespace tovick
