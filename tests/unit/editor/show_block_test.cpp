#include "editor/show_block.h"

#include <gtest/gtest.h>

#include "editor/load_script.h"
#include "support/test_data.h"
#include "text/number_text.h"

namespace tovick {
namespace {

using namespace tovick::testing;

class ShowBlockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = FreshTestDir();
    ReadDefinitions(DefinitionsText(61), state_.Vehicles);  // ids 90..150 named
  }

  void Load(const std::vector<CarBlock>& cars) {
    // A new file each time: under Windows the open script cannot be rewritten.
    state_.Script.Close();
    state_.Paths.MissionScriptPath = WriteFile(dir_ + "/MAIN" + std::to_string(++loads_) + ".SCM",
                                               ScriptBytes(70204, Spaced(cars)));
    LoadMissionScript(state_, ui_);
    ASSERT_EQ(state_.Cars.BlockCnt, static_cast<int>(cars.size()));
    ui_.ClearRecords();
  }

  void Show(int blockNumber) {
    ui_.ComboSelect(Control::BlockList, blockNumber - 1);
    ShowBlock(state_, ui_);
  }

  std::string dir_;
  int loads_ = 0;
  AppState state_;
  FakeUi ui_;
};

TEST_F(ShowBlockTest, RendersTheFieldsAndTheTextsBelowThem) {
  struct Row {
    bool TwoByte;
    std::int16_t Pos, Heading;
    std::uint16_t Word;
    std::uint8_t Alarm, Lock;
    const char *PosEdit, *PosBelow, *HeadingEdit, *Degrees, *WordEdit, *WordBelow, *AlarmBelow,
        *LockBelow;
  };
  const Row rows[] = {
      {false, -1234, 1440, 0x01A2, 0, 255, "-1234", "-77.125", " 1440", " 90 deg", "1A2", "A2h 01h",
       "NO ALARM", " "},
      {true, 1, 5752, 0, 1, 0, " 1", ".0625", " 5752", " 0 deg", "0", "00h 00h", " ", "NOT LOCKED"},
      {false, 16001, 5736, 0xFFFF, 7, 9, " 16001", "1000.062", " 5736", " 358 deg", "FFFF",
       "FFh FFh", " ", " "},
      {true, 32767, -16, 0x00F0, 0, 0, " 32767", "2047.938", "-16", "-1 deg", "F0", "F0h 00h",
       "NO ALARM", "NOT LOCKED"},
      {false, -32768, 32767, 1, 1, 1, "-32768", "-2048", " 32767", " 1688 deg", "1", "01h 00h", " ",
       " "},
      {false, 0, 8, 1, 1, 1, " 0", "0", " 8", " 0 deg", "1", "01h 00h", " ", " "},
      {false, 0, 5759, 1, 1, 1, " 0", "0", " 5759", " 0 deg", "1", "01h 00h", " ", " "},
  };
  std::vector<CarBlock> cars;
  for (const Row& row : rows) {
    CarBlock car = Car(row.TwoByte ? 140 : 100, row.TwoByte);
    car.XPos = car.YPos = row.Pos;
    car.Heading = row.Heading;
    car.UnknownWord = row.Word;
    car.Alarm = row.Alarm;
    car.Lock = row.Lock;
    cars.push_back(car);
  }
  Load(cars);
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    const Row& row = rows[i];
    SCOPED_TRACE(i + 1);
    Show(static_cast<int>(i) + 1);
    const Lines shown = {ui_.Texts[Control::XPosEdit],    ui_.Texts[Control::XPosText],
                         ui_.Texts[Control::YPosEdit],    ui_.Texts[Control::YPosText],
                         ui_.Texts[Control::HeadingEdit], ui_.Texts[Control::HeadingText],
                         ui_.Texts[Control::UtellmeEdit], ui_.Texts[Control::UtellmeText],
                         ui_.Texts[Control::AlarmEdit],   ui_.Texts[Control::AlarmText],
                         ui_.Texts[Control::LockEdit],    ui_.Texts[Control::LockText]};
    EXPECT_EQ(shown, (Lines{row.PosEdit, row.PosBelow, row.PosEdit, row.PosBelow, row.HeadingEdit,
                            row.Degrees, row.WordEdit, row.WordBelow, NumberToText(row.Alarm, 7),
                            row.AlarmBelow, NumberToText(row.Lock, 7), row.LockBelow}));
    EXPECT_EQ(state_.CurrentBlock.XPos, row.Pos);
    EXPECT_TRUE(state_.CurrentBlock.Complete);
  }
  EXPECT_TRUE(ui_.Messages.empty());
}

TEST_F(ShowBlockTest, VehicleListRangeSelectionAndUnsafeSwitch) {
  struct Row {
    std::uint8_t Id;
    bool TwoByte, UnsafeBefore;
    int FirstListed, LastListed, Selected;
    bool UnsafeAfter;
  };
  const Row rows[] = {
      {120, false, false, 90, 127, 30, false},  // one-byte list whatever the highest id
      {120, false, true, 90, 150, 30, true},    // switch on: 90..highest
      {130, false, false, 90, 150, 40, true},   // one-byte id above 127 turns it on
      {100, true, false, 90, 150, 10, true},    // two-byte id below 128 likewise
      {140, true, false, 128, 150, 12, false}, {90, false, false, 90, 127, 0, false},
      {150, true, false, 128, 150, 22, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(static_cast<int>(row.Id));
    Load({Car(row.Id, row.TwoByte)});
    state_.UnsafeVehiclesEnabled = ui_.Checks[Control::UnsafeCheck] = row.UnsafeBefore;
    Show(1);
    const Lines& items = ui_.Items(Control::VehicleList);
    ASSERT_EQ(static_cast<int>(items.size()), row.LastListed - row.FirstListed + 1);
    EXPECT_EQ(items.front(), VehicleName(row.FirstListed));
    EXPECT_EQ(items[static_cast<std::size_t>(row.Selected)], VehicleName(row.Id));
    EXPECT_EQ(ui_.Combos[Control::VehicleList].Selection, row.Selected);
    EXPECT_EQ(state_.UnsafeVehiclesEnabled, row.UnsafeAfter);
    EXPECT_EQ(ui_.Checks[Control::UnsafeCheck], row.UnsafeAfter);
    EXPECT_EQ(ui_.Texts[Control::WarningLine],
              row.UnsafeAfter && !row.UnsafeBefore ? "THIS VEHICLE IS UNSAFE" : " ");
  }
}

TEST_F(ShowBlockTest, RefusalsLeaveThePreviousBlockOnShow) {
  CarBlock shown = Car(100);
  shown.XPos = 555;
  Load({shown, Car(89), Car(151, true), Car(200, true), Car(101)});
  ASSERT_TRUE(state_.Script.WriteByte(state_.Cars.Address[5] + 21, 0x06));
  state_.Cars.Address[4] = 0;
  ui_.ComboAdd(Control::BlockList, "6");

  const std::pair<int, const char*> refusals[] = {
      {2, "INVALID CAR ID:  89\r\nHighest number in default.ide is:  150"},
      {3, "INVALID CAR ID:  151\r\nHighest number in default.ide is:  150"},
      {5, "INVALID HICAR ID"},
      {4, "INVALID ADDRESS: 0"},
      {6, "qX > BlockCnt  qX= 6  BlockCnt= 5"},
  };
  for (const auto& [number, message] : refusals) {
    SCOPED_TRACE(number);
    Show(1);
    ui_.ClearRecords();
    Show(number);
    EXPECT_EQ(Boxes(ui_), Lines{Box(message)});
    EXPECT_EQ(state_.CurrentBlock.CarId, 100);
    EXPECT_EQ(ui_.Texts[Control::XPosEdit], " 555");
    EXPECT_FALSE(state_.CurrentBlock.Complete);
  }
  // A refused id still records the new block's address and width.
  EXPECT_EQ(state_.CurrentBlock.Address, state_.Cars.Address[1]);
  Show(3);
  EXPECT_EQ(state_.CurrentBlock.Address, state_.Cars.Address[3]);
  EXPECT_EQ(state_.CurrentBlock.HiCar, 1);

  ui_.ClearRecords();
  ui_.ComboSelect(Control::BlockList, -1);
  ShowBlock(state_, ui_);
  EXPECT_EQ(ui_.Beeps, 1);
  EXPECT_TRUE(ui_.Messages.empty());
}

TEST_F(ShowBlockTest, UnnamedIdsWarnOnceAndGetAPlaceholder) {
  state_.Vehicles.VehicleNames[105].clear();
  state_.Vehicles.VehicleNames[112].clear();
  Load({Car(100), Car(101)});
  const std::string warning =
      "WARNING!!! The default.ide is set up to load cars up to number 150\r\n"
      "but the car with number ";
  Show(1);
  EXPECT_EQ(Boxes(ui_), (Lines{Box(warning + "105 is not defined (it has no name)"),
                               Box(warning + "112 is not defined (it has no name)")}));
  EXPECT_EQ(ui_.Items(Control::VehicleList)[15], "(car 105)");
  ui_.ClearRecords();
  Show(2);
  EXPECT_TRUE(ui_.Messages.empty());
  EXPECT_EQ(ui_.Items(Control::VehicleList)[22], "(car 112)");
}

TEST_F(ShowBlockTest, PlugInBoxAndZoneBox) {
  state_.Zones = {Zone{"HARBOUR", 0, 0, 100, 50}, Zone{"DOCKS", -10, -10, 60, 60}};
  CarBlock inside = Car(100);
  inside.XPos = 50;
  inside.YPos = 25;
  CarBlock onBound = inside;
  onBound.XPos = 100;
  Load({inside, onBound});
  state_.PlugInMarks[2] = 1;

  Show(1);
  EXPECT_EQ(ui_.Texts[Control::ZoneBox], "HARBOUR\r\nDOCKS\r\n");
  EXPECT_FALSE(ui_.Checks[Control::PlugInCheck]);
  Show(2);
  EXPECT_EQ(ui_.Texts[Control::ZoneBox], "");
  EXPECT_TRUE(ui_.Checks[Control::PlugInCheck]);
}

}  // namespace
}  // namespace tovick
