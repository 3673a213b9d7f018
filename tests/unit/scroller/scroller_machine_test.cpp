#include "scroller/scroller_machine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "scroller/scroller_text.h"

namespace tovick {
namespace {

constexpr const char* kApplied = "Changes applied successfully";
constexpr int kEffectTicks = 246;

// Records the scroller's calls; Sleep may run one action of "the other thread" in between.
class FakeScrollerPort : public ScrollerPort {
 public:
  std::vector<int> Sleeps;
  std::vector<std::string> Texts;
  std::vector<std::pair<ClientRect, int>> Scrolls;
  std::function<void()> DuringNextSleep;

  void Sleep(int milliseconds) override {
    Sleeps.push_back(milliseconds);
    if (DuringNextSleep) std::exchange(DuringNextSleep, nullptr)();
  }
  void SetStripText(const std::string& text) override { Texts.push_back(text); }
  void ScrollRect(const ClientRect& rect, int dx) override { Scrolls.emplace_back(rect, dx); }

  std::string Shown() const { return Texts.empty() ? std::string(" ") : Texts.back(); }
};

const ClientRect kRect = ScrollRectOfStrip(48, 215, 540, 20);

class ScrollerMachineTest : public ::testing::Test {
 protected:
  ScrollerMachine Make(std::string text, ScrollerState start = {}) {
    return ScrollerMachine(shared_, std::move(text), kRect, std::move(start));
  }
  void Run(ScrollerMachine& machine, int ticks) {
    for (int i = 0; i < ticks; ++i) machine.Tick(port_);
  }

  ScrollerShared shared_;
  FakeScrollerPort port_;
};

TEST(ScrollerGeometry, ScrollsInsideTheStripsSunkenEdge) {
  EXPECT_EQ(kRect, (ClientRect{51, 216, 583, 233}));
}

TEST(ScrollerDelays, HalvingRoundsTiesToEven) {
  const std::pair<int, int> cases[] = {{10, 5}, {5, 2}, {3, 2},   {2, 1},     {1, 0},
                                       {0, 0},  {7, 4}, {25, 12}, {200, 100}, {500, 250}};
  for (const auto& [delay, half] : cases) EXPECT_EQ(HalveDelay(delay), half) << delay;
}

// Requests taken by scroll ticks, one tick after each.
struct SpeedCase {
  const char* Name;
  int ScrollDelay;
  int MessageDelay;
  std::vector<std::int16_t> Requests;
  int ExpectScroll;
  int ExpectMessage;
  std::int16_t ExpectLeft;  // what stays in ScrollRequest
};

class ScrollerSpeedTest : public ScrollerMachineTest,
                          public ::testing::WithParamInterface<SpeedCase> {};

TEST_P(ScrollerSpeedTest, ScrollTicksAnswerRequests) {
  const SpeedCase& c = GetParam();
  ScrollerState start;
  start.ScrollDelay = c.ScrollDelay;
  start.MessageDelay = c.MessageDelay;
  ScrollerMachine machine = Make("text", start);
  for (std::int16_t request : c.Requests) {
    shared_.SetScrollRequest(request);
    machine.Tick(port_);
  }
  EXPECT_EQ(machine.State().ScrollDelay, c.ExpectScroll);
  EXPECT_EQ(machine.State().MessageDelay, c.ExpectMessage);
  EXPECT_EQ(shared_.ScrollRequest(), c.ExpectLeft);
  EXPECT_EQ(port_.Sleeps.front(), c.ScrollDelay);  // the sleep comes before the request
  machine.Tick(port_);
  EXPECT_EQ(port_.Sleeps.back(), c.ExpectScroll);
}

INSTANTIATE_TEST_SUITE_P(
    ScrollerRequests, ScrollerSpeedTest,
    ::testing::Values(SpeedCase{"OneFaster", 10, 5, {120}, 5, 2, 0},
                      SpeedCase{"TwoFaster", 10, 5, {120, 120}, 2, 1, 0},
                      SpeedCase{"ThreeFaster", 10, 5, {120, 120, 120}, 1, 1, 0},
                      SpeedCase{"FasterReachesZero", 1, 1, {120}, 0, 1, 0},
                      SpeedCase{"SlowerFromZero", 0, 3, {-120}, 1, 6, 0},
                      SpeedCase{"Slower", 10, 5, {-120}, 20, 10, 0},
                      SpeedCase{"SlowerAtTheTop", 150, 400, {-120}, 200, 500, 0},
                      SpeedCase{"WheelTwoNotches", 10, 5, {240}, 10, 5, 240},
                      SpeedCase{"WheelHalfNotch", 10, 5, {60}, 10, 5, 60},
                      SpeedCase{"WheelTwoNotchesBack", 10, 5, {-240}, 10, 5, -240}),
    [](const ::testing::TestParamInfo<SpeedCase>& info) { return info.param.Name; });

TEST_F(ScrollerMachineTest, StartsBlankAndSlidesOnePixelPerTickOneCharacterPerSeven) {
  ScrollerMachine machine = Make(BuildScrollerText("ENABLE UNSAFE VEHICLES"));
  Run(machine, 15);
  ASSERT_EQ(port_.Texts.size(), 3u);  // ticks 1, 8 and 15
  for (const std::string& text : port_.Texts) EXPECT_EQ(text, std::string(72, ' '));
  ASSERT_EQ(port_.Scrolls.size(), 15u);
  for (const auto& scroll : port_.Scrolls) EXPECT_EQ(scroll, std::make_pair(kRect, -1));
  EXPECT_EQ(port_.Sleeps, std::vector<int>(15, 10));
  EXPECT_EQ(machine.State().Position, 4);
  EXPECT_EQ(machine.State().StepCounter, 1);
}

TEST_F(ScrollerMachineTest, ShowsSeventyTwoCharactersAndWrapsAfterTheLast) {
  std::string text;
  for (int i = 0; i < 8; ++i) text += "0123456789";
  ScrollerMachine machine = Make(text);
  Run(machine, 81 * kStepsPerCharacter);
  ASSERT_EQ(port_.Texts.size(), 81u);
  const std::pair<std::size_t, std::string> shown[] = {
      {0, text.substr(0, 72)}, {8, text.substr(8, 72)}, {9, text.substr(9)}, {78, "89"}, {79, "9"},
      {80, text.substr(0, 72)}};
  for (const auto& [replacement, expected] : shown) {
    EXPECT_EQ(port_.Texts[replacement], expected) << "replacement " << replacement + 1;
  }
}

// The strip after given ticks of the effect, for the message the program posts itself.
TEST_F(ScrollerMachineTest, AnimatesTheConfirmationTickByTick) {
  ScrollerMachine machine = Make("scrolling text ");
  Run(machine, 10);
  const ScrollerState before = machine.State();
  shared_.PostScrollerMessage(kApplied);

  std::vector<std::string> shown(kEffectTicks + 1);
  std::vector<std::size_t> sets(kEffectTicks + 1);
  for (int tick = 1; tick <= kEffectTicks; ++tick) {
    const std::size_t setsBefore = port_.Texts.size();
    machine.Tick(port_);
    shown[tick] = port_.Shown();
    sets[tick] = port_.Texts.size() - setsBefore;
  }
  const std::string typed = "C h a n g e s   a p p l i e d   s u c c e s s f u l l y ";
  const std::pair<int, std::string> expected[] = {
      {1, "C "},
      {2, "C h "},
      {28, typed},
      {29, typed},
      {30, typed.substr(0, 1) + typed.substr(2)},
      {31, "Cha n g e s   a p p l i e d   s u c c e s s f u l l y "},
      {56, "Changes applied successfully "},
      {57, "Changes applied successfully "},
      {200, "Changes applied successfully "},
      {201, "C hanges applied successfull y"},
      {202, "C h anges applied successful l y"},
      {205, "C h a n g es applied success f u l l y"},
      {214, "C h a n g e s   a p p l i e  d   s u c c e s s f u l l y"},
      {215, "C h a n g e s   a p p l i e    d   s u c c e s s f u l l y"},
      {216, "C h a n g e s   a p p l i e      d   s u c c e s s f u l l y"},
      {217, "- h a n g e s   a p p l i e        d   s u c c e s s f u l l -"},
      {225, "- e s   a p p l i e                        d   s u c c e s s -"},
      {240, "-i e                                                      d  -"},
      {244, "-" + std::string(60, ' ') + "-"},
      {246, ""},
  };
  for (const auto& [tick, text] : expected) EXPECT_EQ(shown[tick], text) << "tick " << tick;
  for (int tick = 1; tick <= kEffectTicks; ++tick) {
    EXPECT_EQ(sets[tick], (tick >= 57 && tick <= 200) ? 0u : 1u) << "tick " << tick;
  }
  EXPECT_TRUE(port_.Scrolls.size() == 10) << "nothing scrolls during the effect";
  EXPECT_EQ(shared_.Message(), "");

  // Back to scrolling exactly where it stopped.
  EXPECT_EQ(machine.State().Position, before.Position);
  EXPECT_EQ(machine.State().StepCounter, before.StepCounter);
  machine.Tick(port_);
  EXPECT_EQ(port_.Sleeps.back(), 10);
  EXPECT_EQ(port_.Scrolls.size(), 11u);
}

struct DelayAcrossMessage {
  int ScrollDelay;
  int ExpectAfter;
};

class ScrollerMessageDelayTest : public ScrollerMachineTest,
                                 public ::testing::WithParamInterface<DelayAcrossMessage> {};

TEST_P(ScrollerMessageDelayTest, EffectKeepsScrollDelayWithinItsOwnBounds) {
  ScrollerState start;
  start.ScrollDelay = GetParam().ScrollDelay;
  ScrollerMachine machine = Make("text", start);
  shared_.PostScrollerMessage(kApplied);
  Run(machine, kEffectTicks + 1);
  EXPECT_EQ(std::vector<int>(port_.Sleeps.begin(), port_.Sleeps.end() - 1),
            std::vector<int>(kEffectTicks, 5));
  EXPECT_EQ(port_.Sleeps.back(), GetParam().ExpectAfter);
}

INSTANTIATE_TEST_SUITE_P(ScrollerPosted, ScrollerMessageDelayTest,
                         ::testing::Values(DelayAcrossMessage{150, 100}, DelayAcrossMessage{0, 1},
                                           DelayAcrossMessage{40, 40}));

TEST_F(ScrollerMachineTest, EffectTicksAnswerRequestsWithTheirOwnBounds) {
  struct Case {
    int ScrollDelay, MessageDelay;
    std::int16_t Request;
    int ExpectScroll, ExpectMessage;
  };
  const Case cases[] = {{10, 5, 120, 5, 2}, {10, 5, -120, 20, 10}, {80, 300, -120, 100, 500},
                        {1, 1, 120, 1, 1},  {0, 5, -120, 1, 10},   {10, 5, 240, 10, 5}};
  for (const Case& c : cases) {
    ScrollerState start;
    start.ScrollDelay = c.ScrollDelay;
    start.MessageDelay = c.MessageDelay;
    ScrollerMachine machine = Make("text", start);
    shared_.PostScrollerMessage(kApplied);
    shared_.SetScrollRequest(c.Request);
    machine.Tick(port_);
    EXPECT_EQ(machine.State().ScrollDelay, c.ExpectScroll) << c.ScrollDelay << " " << c.Request;
    EXPECT_EQ(machine.State().MessageDelay, c.ExpectMessage) << c.MessageDelay << " " << c.Request;
    shared_.SetScrollRequest(0);
  }
}

// A new message starts the effect over from its typing, whatever stage the old one was in.
TEST_F(ScrollerMachineTest, NewMessageRestartsTheEffect) {
  const std::pair<int, const char*> cases[] = {{10, kApplied}, {100, "Hi"}, {230, "Hi"}};
  for (const auto& [ticksBefore, second] : cases) {
    ScrollerMachine machine = Make("text");
    shared_.PostScrollerMessage(kApplied);
    Run(machine, ticksBefore);
    shared_.PostScrollerMessage(second);
    machine.Tick(port_);
    EXPECT_EQ(port_.Shown(), std::string(1, second[0]) + " ") << ticksBefore;
    EXPECT_EQ(machine.State().Tick, 1) << ticksBefore;

    const std::size_t scrolls = port_.Scrolls.size();
    Run(machine, kEffectTicks - 1);
    EXPECT_EQ(port_.Shown(), "") << ticksBefore;
    EXPECT_EQ(port_.Scrolls.size(), scrolls) << ticksBefore;
    machine.Tick(port_);
    EXPECT_EQ(port_.Scrolls.size(), scrolls + 1) << "scrolling again after " << ticksBefore;
  }
}

// The user-interface thread posts while the scroller sleeps in the effect's last tick: the new
// message must survive the end of the old one and be shown.
TEST_F(ScrollerMachineTest, MessagePostedAsTheEffectEndsIsShown) {
  ScrollerMachine machine = Make("text");
  shared_.PostScrollerMessage(kApplied);
  Run(machine, kEffectTicks - 1);
  port_.DuringNextSleep = [this] { shared_.PostScrollerMessage("Again"); };
  machine.Tick(port_);
  EXPECT_EQ(port_.Shown(), "");
  EXPECT_EQ(shared_.Message(), "Again");
  machine.Tick(port_);
  EXPECT_EQ(port_.Shown(), "A ");
  EXPECT_TRUE(port_.Scrolls.empty());
}

TEST_F(ScrollerMachineTest, LongMessageEndsOnTimeWithinItsBuffers) {
  ScrollerMachine machine = Make("text");
  shared_.PostScrollerMessage(std::string(1000, 'x'));
  Run(machine, kEffectTicks);
  std::size_t longest = 0;
  for (const std::string& text : port_.Texts) longest = std::max(longest, text.size());
  EXPECT_EQ(longest, kMaxScrollerMessage);  // spreading fills the line to the buffer's end
  EXPECT_EQ(port_.Shown(), "");
  EXPECT_EQ(shared_.Message(), "");
}

}  // namespace
}  // namespace tovick
