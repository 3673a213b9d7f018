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
  ScrollerMachine Make(std::string text, int scrollDelay = 10, int messageDelay = 5) {
    ScrollerState start;
    start.ScrollDelay = scrollDelay;
    start.MessageDelay = messageDelay;
    return ScrollerMachine(shared_, std::move(text), kRect, start);
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

// Requests taken one tick after each, by scroll ticks or, with a message up, by effect ticks.
TEST_F(ScrollerMachineTest, TicksAnswerSpeedRequestsWithinTheirBounds) {
  struct Case {
    const char* Name;
    bool Effect;
    int ScrollDelay, MessageDelay;
    std::vector<std::int16_t> Requests;
    int ExpectScroll, ExpectMessage;
    std::int16_t ExpectLeft;  // what stays in ScrollRequest
  };
  const Case cases[] = {
      {"one <", false, 10, 5, {120}, 5, 2, 0},
      {"two <", false, 10, 5, {120, 120}, 2, 1, 0},
      {"three <", false, 10, 5, {120, 120, 120}, 1, 1, 0},
      {"< down to 0", false, 1, 1, {120}, 0, 1, 0},
      {"> from 0", false, 0, 3, {-120}, 1, 6, 0},
      {">", false, 10, 5, {-120}, 20, 10, 0},
      {"> at the top", false, 150, 400, {-120}, 200, 500, 0},
      {"wheel 240", false, 10, 5, {240}, 10, 5, 240},
      {"wheel 60", false, 10, 5, {60}, 10, 5, 60},
      {"wheel -240", false, 10, 5, {-240}, 10, 5, -240},
      {"effect <", true, 10, 5, {120}, 5, 2, 0},
      {"effect < at 1", true, 1, 1, {120}, 1, 1, 0},
      {"effect >", true, 10, 5, {-120}, 20, 10, 0},
      {"effect > at the top", true, 80, 300, {-120}, 100, 500, 0},
      {"effect > from 0", true, 0, 5, {-120}, 1, 10, 0},
      {"effect wheel 240", true, 10, 5, {240}, 10, 5, 240},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    port_ = FakeScrollerPort{};
    ScrollerMachine machine = Make("text", c.ScrollDelay, c.MessageDelay);
    if (c.Effect) shared_.PostScrollerMessage(kApplied);
    for (std::int16_t request : c.Requests) {
      shared_.SetScrollRequest(request);
      machine.Tick(port_);
    }
    EXPECT_EQ(machine.State().ScrollDelay, c.ExpectScroll);
    EXPECT_EQ(machine.State().MessageDelay, c.ExpectMessage);
    EXPECT_EQ(shared_.ScrollRequest(), c.ExpectLeft);
    // The sleep comes before the request, and the next one follows it.
    EXPECT_EQ(port_.Sleeps.front(), c.Effect ? c.MessageDelay : c.ScrollDelay);
    machine.Tick(port_);
    EXPECT_EQ(port_.Sleeps.back(), c.Effect ? c.ExpectMessage : c.ExpectScroll);
    shared_.SetScrollRequest(0);
  }
}

// An effect keeps the scroll delay within 1 to 100, which scrolling then goes on with.
TEST_F(ScrollerMachineTest, MessageLeavesScrollDelayWithinTheEffectsBounds) {
  const std::pair<int, int> cases[] = {{150, 100}, {0, 1}, {40, 40}};
  for (const auto& [before, after] : cases) {
    port_ = FakeScrollerPort{};
    ScrollerMachine machine = Make("text", before, 5);
    shared_.PostScrollerMessage(kApplied);
    Run(machine, kEffectTicks + 1);
    EXPECT_EQ(std::vector<int>(port_.Sleeps.begin(), port_.Sleeps.end() - 1),
              std::vector<int>(kEffectTicks, 5));
    EXPECT_EQ(port_.Sleeps.back(), after) << "posted at " << before;
  }
}

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
