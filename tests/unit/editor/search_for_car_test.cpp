#include "editor/search_for_car.h"

#include <gtest/gtest.h>

#include "editor/commands.h"
#include "editor/load_script.h"
#include "editor/show_block.h"
#include "support/test_data.h"

namespace tovick {
namespace {

using namespace tovick::testing;

// Records how the search walks: every selection it makes in the block list, and every block whose
// values reached the controls.
class WalkUi : public FakeUi {
 public:
  std::vector<int> Selected;  // block numbers, 0 for no selection
  std::vector<int> Filled;

  void ComboSelect(Control combo, int index) override {
    FakeUi::ComboSelect(combo, index);
    if (combo == Control::BlockList) Selected.push_back(Combos[combo].Selection + 1);
  }
  void SetText(Control control, std::string_view text) override {
    FakeUi::SetText(control, text);
    if (control == Control::XPosEdit) Filled.push_back(Combos[Control::BlockList].Selection + 1);
  }
  void ClearWalk() {
    ClearRecords();
    Selected.clear();
    Filled.clear();
  }
};

class SearchForCarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = FreshTestDir();
    ReadDefinitions(DefinitionsText(61), state_.Vehicles);  // ids 90..150 named
  }

  // Block n holds vehicle ids[n - 1], in a block of the width that suits it.
  void Load(const std::vector<int>& ids) {
    std::vector<CarBlock> cars;
    for (int id : ids) cars.push_back(Car(static_cast<std::uint8_t>(id), id >= 128));
    LoadCars(cars);
  }
  void LoadCars(const std::vector<CarBlock>& cars) {
    state_.Script.Close();
    bytes_ = ScriptBytes(70204, Spaced(cars));
    script_ = WriteFile(dir_ + "/MAIN" + std::to_string(++loads_) + ".SCM", bytes_);
    state_.Paths.MissionScriptPath = script_;
    LoadMissionScript(state_, ui_);
    ASSERT_EQ(state_.Cars.BlockCnt, static_cast<int>(cars.size()));
  }

  // Chooses the vehicle in the search list, with block `selected` selected and shown (0: none),
  // and searches.
  void Search(int selected, int searchItem) {
    ui_.Combos[Control::BlockList].Selection = selected - 1;
    if (selected > 0) ShowBlock(state_, ui_);
    ui_.Combos[Control::SearchList].Selection = searchItem;
    ui_.ClearWalk();
    SearchForCar(state_, ui_);
  }
  int SelectedBlock() { return ui_.Combos[Control::BlockList].Selection + 1; }

  std::string dir_, script_, bytes_;
  int loads_ = 0;
  AppState state_;
  WalkUi ui_;
};

constexpr int kItemOf120 = 120 - 90;

TEST_F(SearchForCarTest, RepeatedSearchesStepThroughTheBlocksWithTheVehicle) {
  struct Step {
    std::vector<int> Selected;  // the blocks selected in turn; the last one stays selected
  };
  struct Walk {
    const char* Name;
    std::vector<int> Ids;
    int StartBlock;
    std::vector<Step> Steps;  // consecutive searches, each from where the last one ended
  };
  const std::vector<int> tenWith2And7 = {100, 120, 100, 100, 100, 100, 120, 100, 100, 100};
  const Walk walks[] = {
      {"block 3 of 10, vehicle in 2 and 7",
       tenWith2And7,
       3,
       {{{4, 5, 6, 7}}, {{8, 9, 10, 0}}, {{1, 2}}, {{3, 4, 5, 6, 7}}}},
      {"vehicle only in block 1", {120, 100, 100}, 1, {{{2, 3, 0}}, {{1}}, {{2, 3, 0}}}},
      {"started on the last block", {120, 100, 100}, 3, {{{1}}}},
      {"vehicle of the selected block: the next one with it",
       {120, 100, 120, 120},
       3,
       {{{4}}, {{1}}, {{2, 3}}}},
      {"a single block", {120}, 1, {{{1}}, {{1}}}},
      {"a single block without the vehicle", {100}, 1, {{{1, 0}}, {{1, 0}}}},
      {"nothing selected", {100, 120}, 0, {{{1, 2}}}},
  };
  for (const Walk& walk : walks) {
    SCOPED_TRACE(walk.Name);
    Load(walk.Ids);
    int start = walk.StartBlock;
    for (std::size_t i = 0; i < walk.Steps.size(); ++i) {
      SCOPED_TRACE(i + 1);
      Search(start, kItemOf120);
      const std::vector<int>& selected = walk.Steps[i].Selected;
      EXPECT_EQ(ui_.Selected, selected);
      // Each block passed is shown in turn; the walk ends showing the last block it reached.
      std::vector<int> shown = selected;
      if (shown.back() == 0) shown.pop_back();
      EXPECT_EQ(ui_.Filled, shown);
      start = SelectedBlock();
      EXPECT_EQ(start, selected.back());
      if (start != 0) {
        EXPECT_EQ(state_.CurrentBlock.CarId, 120);
      }
      EXPECT_TRUE(ui_.Messages.empty());
      EXPECT_EQ(ui_.Beeps, 0);
    }
  }
}

TEST_F(SearchForCarTest, SearchListItemsStandForIdsFrom90) {
  Load({100, 90, 127, 128, 150});
  const std::pair<int, int> rows[] = {{0, 2}, {37, 3}, {38, 4}, {60, 5}};
  for (const auto& [item, block] : rows) {
    SCOPED_TRACE(item);
    Search(1, item);
    EXPECT_EQ(SelectedBlock(), block);
    EXPECT_EQ(state_.CurrentBlock.CarId, 90 + item);
  }
  // No item chosen, or one for an id above the highest defined: a beep and nothing else.
  for (int item : {-1, 61}) {
    SCOPED_TRACE(item);
    Search(2, item);
    EXPECT_EQ(ui_.Beeps, 1);
    EXPECT_TRUE(ui_.Selected.empty() && ui_.Filled.empty() && ui_.Messages.empty());
    EXPECT_EQ(SelectedBlock(), 2);
  }
}

TEST_F(SearchForCarTest, RefusedBlocksArePassedAndNeverMatch) {
  // Block 2 holds an id below 90, block 3 a width marker that is no width: the view refuses
  // both and keeps block 1's vehicle, which is the one wanted.
  LoadCars({Car(100), Car(89), Car(101), Car(110)});
  ASSERT_TRUE(state_.Script.WriteByte(state_.Cars.Address[3] + 21, 0x06));
  Search(1, 100 - 90);
  EXPECT_EQ(ui_.Selected, (std::vector<int>{2, 3, 4, 0}));
  EXPECT_EQ(ui_.Filled, (std::vector<int>{4}));
  EXPECT_EQ(Boxes(ui_), (Lines{Box("INVALID CAR ID:  89\r\nHighest number in default.ide is:  150"),
                               Box("INVALID HICAR ID")}));
  Search(0, 100 - 90);
  EXPECT_EQ(ui_.Selected, (std::vector<int>{1}));
}

TEST_F(SearchForCarTest, PassedBlocksTakeEveryEffectOfTheBlockView) {
  // Block 2 holds a one-byte id above 127: passing it switches unsafe vehicles on.
  LoadCars({Car(100), Car(130), Car(110)});
  ASSERT_FALSE(state_.UnsafeVehiclesEnabled);
  Search(1, 110 - 90);
  EXPECT_EQ(SelectedBlock(), 3);
  EXPECT_TRUE(state_.UnsafeVehiclesEnabled && ui_.Checks[Control::UnsafeCheck]);
  EXPECT_EQ(ui_.Items(Control::VehicleList).size(), 61u);  // every vehicle, 90..150
  EXPECT_EQ(ui_.Combos[Control::VehicleList].Selection, 110 - 90);
  EXPECT_EQ(ui_.Texts[Control::WarningLine], " ");  // block 3 itself is safe
}

TEST_F(SearchForCarTest, EmptyListAndAListLongerThanTheTable) {
  LoadCars({});
  Search(0, 0);
  EXPECT_EQ(ui_.Beeps, 1);
  EXPECT_EQ(Boxes(ui_), Lines{Box("Please select a block")});
  EXPECT_TRUE(ui_.Filled.empty());

  ui_.ComboAdd(Control::BlockList, "1");  // a list entry the table does not have
  Search(0, 0);
  EXPECT_EQ(Boxes(ui_), Lines{Box("qX2 > BlockCnt")});
  EXPECT_EQ(ui_.Beeps, 0);
  EXPECT_EQ(SelectedBlock(), 1);  // the selection has moved all the same
  EXPECT_TRUE(ui_.Filled.empty());
}

TEST_F(SearchForCarTest, BothCommandsSearchAndNothingIsWritten) {
  Load({100, 120, 100, 120});
  for (Command command : {Command::SearchListChanged, Command::Search, Command::Search}) {
    ui_.Combos[Control::SearchList].Selection = kItemOf120;
    EXPECT_EQ(RunCommand(state_, ui_, command), AfterCommand::Nothing);
  }
  EXPECT_EQ(ui_.Selected, (std::vector<int>{1, 2, 3, 4, 1, 2}));
  state_.Script.Close();
  EXPECT_TRUE(ReadFile(script_) == bytes_);
}

}  // namespace
}  // namespace tovick
