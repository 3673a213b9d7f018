#include "scroller/scroller_shared.h"

namespace tovick {

std::int16_t ScrollerShared::TakeScrollRequest() {
  std::int16_t request = scrollRequest_.load();
  while (request == kScrollNotch || request == -kScrollNotch) {
    if (scrollRequest_.compare_exchange_weak(request, 0)) return request;
  }
  return 0;
}

void ScrollerShared::PostScrollerMessage(std::string_view text) {
  std::lock_guard lock(mutex_);
  message_.assign(text.substr(0, kMaxScrollerMessage));
  restart_ = true;
}

std::optional<std::string> ScrollerShared::TakeRestart() {
  std::lock_guard lock(mutex_);
  if (!restart_) return std::nullopt;
  restart_ = false;
  return message_;
}

void ScrollerShared::EndMessage() {
  std::lock_guard lock(mutex_);
  if (!restart_) message_.clear();
}

std::string ScrollerShared::Message() const {
  std::lock_guard lock(mutex_);
  return message_;
}

}  // namespace tovick
