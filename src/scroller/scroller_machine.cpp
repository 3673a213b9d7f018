#include "scroller/scroller_machine.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace tovick {

namespace {

constexpr int kHoldStart = 57;   // from this tick the closed-up message stands still...
constexpr int kHoldEnd = 200;    // ...up to this one, where spreading begins
constexpr int kDriftEnd = 245;   // the last tick of the effect that changes anything
constexpr int kDriftFrame = 60;  // the drifting halves show inside this many characters

int Length(const std::string& text) {
  return static_cast<int>(text.size());
}

// Characters start to start + count - 1, counted from 1; whatever lies outside the text is left
// out, so a substring beyond the end is empty.
std::string Mid(const std::string& text, int start, int count) {
  if (start < 1) {
    count -= 1 - start;
    start = 1;
  }
  if (count <= 0 || start > Length(text)) return {};
  return text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(count));
}

std::string From(const std::string& text, int start) {
  return Mid(text, start, Length(text));
}

// The working lines live in buffers as large as the message's.
void SetLine(std::string& line, std::string value) {
  if (value.size() > kMaxScrollerMessage) value.resize(kMaxScrollerMessage);
  line = std::move(value);
}

void Speed(ScrollerState& state, std::int16_t request) {
  if (request == kScrollNotch) {
    state.MessageDelay = HalveDelay(state.MessageDelay);
    state.ScrollDelay = HalveDelay(state.ScrollDelay);
  } else if (request == -kScrollNotch) {
    state.MessageDelay += state.MessageDelay;
    state.ScrollDelay += state.ScrollDelay;
  }
}

}  // namespace

ClientRect ScrollRectOfStrip(int x, int y, int width, int height) {
  return {x + 3, y + 1, x + width - 5, y + height - 2};
}

int HalveDelay(int delay) {
  int half = delay / 2;
  if (delay % 2 != 0 && half % 2 != 0) ++half;  // an odd delay halves to a tie: take the even side
  return half;
}

ScrollerMachine::ScrollerMachine(ScrollerShared& shared, std::string text, ClientRect scrollRect,
                                 ScrollerState start)
    : shared_(shared), text_(std::move(text)), scrollRect_(scrollRect), state_(std::move(start)) {}

void ScrollerMachine::Tick(ScrollerPort& port) {
  if (std::optional<std::string> posted = shared_.TakeRestart()) {
    state_.Message = std::move(*posted);
    state_.Tick = 0;
    state_.LineA.clear();
    state_.LineB.clear();
  }
  if (state_.Message.empty()) {
    ScrollTick(port);
  } else {
    EffectTick(port);
  }
}

void ScrollerMachine::ScrollTick(ScrollerPort& port) {
  port.Sleep(state_.ScrollDelay);
  const std::int16_t request = shared_.TakeScrollRequest();
  if (request == -kScrollNotch && state_.ScrollDelay == 0) {
    // Doubling would keep 0 for ever.
    state_.ScrollDelay = 1;
    state_.MessageDelay += state_.MessageDelay;
  } else {
    Speed(state_, request);
  }
  state_.ScrollDelay = std::clamp(state_.ScrollDelay, 0, 200);
  state_.MessageDelay = std::clamp(state_.MessageDelay, 1, 500);

  if (state_.StepCounter == 0) {
    port.SetStripText(Mid(text_, state_.Position, kStripWindow));
    ++state_.Position;
  }
  if (state_.Position > Length(text_)) state_.Position = 1;
  state_.StepCounter = (state_.StepCounter + 1) % kStepsPerCharacter;
  port.ScrollRect(scrollRect_, -1);
}

void ScrollerMachine::EffectTick(ScrollerPort& port) {
  port.Sleep(state_.MessageDelay);
  Speed(state_, shared_.TakeScrollRequest());
  state_.ScrollDelay = std::clamp(state_.ScrollDelay, 1, 100);
  state_.MessageDelay = std::clamp(state_.MessageDelay, 1, 500);

  ++state_.Tick;
  EffectStep();
  if (state_.Tick < kHoldStart || state_.Tick > kHoldEnd) port.SetStripText(state_.LineB);
}

// The stages follow one another by tick number; each step runs when its condition holds at
// that moment, in this order.
void ScrollerMachine::EffectStep() {
  ScrollerState& s = state_;
  const std::string& message = s.Message;
  const int length = Length(message);
  const int tick = s.Tick;

  if (tick <= length) {  // typing, a blank after each letter
    SetLine(s.LineA, s.LineA + Mid(message, tick, 1) + " ");
    s.LineB = s.LineA;
  }
  if (tick == length + 1) s.P = 3;
  if (length + 1 < tick && tick < kHoldStart) {  // closing up from the left
    SetLine(s.LineB, Mid(message, 1, tick - length - 1) + From(s.LineA, s.P));
    s.P += 2;
  }
  if (tick == kHoldEnd) {
    s.LineA.clear();
    s.LineC.clear();
    s.P = length - 2;
    s.Q = length;
    s.R = 2;
  }
  if (kHoldEnd < tick && tick < s.Q + kHoldEnd) {  // spreading from both ends
    SetLine(s.LineA, s.LineA + Mid(message, tick - kHoldEnd, 1) + " ");
    SetLine(s.LineC, " " + Mid(message, s.Q, 1) + s.LineC);
    SetLine(s.LineB, s.LineA + Mid(message, tick - kHoldEnd + 1, s.P) + s.LineC);
    s.P = std::max(s.P - 2, 0);
    s.Q = std::max(s.Q - 1, 0);
  }
  if (s.Q + kHoldEnd < tick && tick < kDriftEnd) {  // drifting apart
    SetLine(s.LineA, s.LineA + " ");
    SetLine(s.LineC, " " + s.LineC);
    SetLine(s.LineB, s.LineA + s.LineC);
    if (Length(s.LineB) > kDriftFrame) {
      s.LineB = "-" + Mid(s.LineB, s.R, kDriftFrame) + "-";
      ++s.R;
    }
  }
  if (tick > kDriftEnd) {  // done: back to scrolling, unless another message is already waiting
    s.Tick = 0;
    shared_.EndMessage();
    s.Message.clear();
    s.LineA.clear();
    s.LineB.clear();
  }
}

}  // namespace tovick
