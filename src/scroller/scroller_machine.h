#pragma once
// The scroller, one tick at a time: either a scroll tick, which slides the help text left by one
// pixel and redraws it one character further on every seventh tick, or a tick of the text effect
// that types a posted message, closes it up, holds it, spreads it and lets it drift apart. Its
// thread only sleeps and calls the port; everything else is this state.

#include <string>

#include "scroller/scroller_port.h"
#include "scroller/scroller_shared.h"

namespace tovick {

constexpr int kStripWindow = 72;  // characters of the help text shown at once
constexpr int kStepsPerCharacter = 7;

// The part of the strip that moves: inside its sunken edge.
ClientRect ScrollRectOfStrip(int x, int y, int width, int height);

// Half of a delay, to the nearest integer with ties to the even one: 5 gives 2, 3 gives 2.
int HalveDelay(int delay);

struct ScrollerState {
  int Position = 1;  // 1-based index of the first character shown
  int StepCounter = 0;
  int ScrollDelay = 10;
  int MessageDelay = 5;
  // The text effect.
  std::string Message;  // the scroller's copy of the posted message; empty while scrolling
  int Tick = 0;
  std::string LineA;
  std::string LineB;  // the text shown
  std::string LineC;
  int P = 0;
  int Q = 0;
  int R = 0;
};

class ScrollerMachine {
 public:
  ScrollerMachine(ScrollerShared& shared, std::string text, ClientRect scrollRect,
                  ScrollerState start = {});

  // One turn of the scroller thread's loop.
  void Tick(ScrollerPort& port);

  const ScrollerState& State() const { return state_; }

 private:
  void ScrollTick(ScrollerPort& port);
  void EffectTick(ScrollerPort& port);
  void EffectStep();

  ScrollerShared& shared_;
  std::string text_;
  ClientRect scrollRect_;
  ScrollerState state_;
};

}  // namespace tovick
