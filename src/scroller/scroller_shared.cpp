#include "scroller/scroller_shared.h"

namespace tovick {

void ScrollerShared::PostScrollerMessage(std::string_view text) {
  std::lock_guard lock(mutex_);
  message_.assign(text.substr(0, kMaxScrollerMessage));
  restart_ = true;
}

bool ScrollerShared::TakeRestart(std::string& message) {
  std::lock_guard lock(mutex_);
  message = message_;
  const bool restart = restart_;
  restart_ = false;
  return restart;
}

void ScrollerShared::ClearMessage() {
  std::lock_guard lock(mutex_);
  message_.clear();
}

std::string ScrollerShared::Message() const {
  std::lock_guard lock(mutex_);
  return message_;
}

}  // namespace tovick
