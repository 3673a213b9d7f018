#include "editor/apply_changes.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "scm/car_block.h"
#include "support/fake_ui.h"
#include "support/faulty_file_io.h"
#include "support/test_data.h"

namespace {

using tovick::AppState;
using tovick::BlockField;
using tovick::Control;
using tovick::MessageIcon;
using tovick::testing::FakeUi;

constexpr std::int64_t kOneByteBlock = 65300;  // block 1: HiCar 0, id 100
constexpr std::int64_t kTwoByteBlock = 65400;  // block 2: HiCar 1, id 140
constexpr std::int64_t kScriptLength = 70204;
constexpr std::int64_t kTailBlock = kScriptLength - 30;  // block 3: ALARM lies just past the end
constexpr std::uint8_t kHighIdByte = 0x7E;               // after block 2's id; must never change
const std::string kWriteFailed = "CANT APPLY CHANGES. THE .SCM FILE COULD NOT BE WRITTEN.";

using Bytes = std::vector<std::uint8_t>;

void Put(Bytes& bytes, std::int64_t at, std::uint16_t value, int width) {
  bytes[static_cast<std::size_t>(at)] = static_cast<std::uint8_t>(value & 0xFF);
  if (width == 2) bytes[static_cast<std::size_t>(at) + 1] = static_cast<std::uint8_t>(value >> 8);
}

// The values the edits hold unless a test says otherwise, each differing from the file in every
// byte, in the order they are written (the vehicle id, list position 15 = id 105, comes first).
struct Write {
  Control Edit;
  const char* Text;
  BlockField Field;
  std::uint16_t Value;
  int Width;
};
const Write kGood[] = {{Control::VehicleList, "", BlockField::CarId, 105, 1},
                       {Control::XPosEdit, "-1574", BlockField::XPos, 0xF9DA, 2},
                       {Control::YPosEdit, " 319", BlockField::YPos, 319, 2},
                       {Control::UtellmeEdit, "F9C0", BlockField::UnknownWord, 0xF9C0, 2},
                       {Control::HeadingEdit, "4320", BlockField::Heading, 4320, 2},
                       {Control::AlarmEdit, "50", BlockField::Alarm, 50, 1},
                       {Control::LockEdit, "100", BlockField::Lock, 100, 1}};

class ApplyChangesTest : public ::testing::Test {
 public:
  void SetUp() override {
    path_ = tovick::testing::FreshTestDir() + "/MAIN.SCM";

    // A varied filler, so a stray write of any value shows in the diff.
    original_.resize(kScriptLength);
    for (std::size_t i = 0; i < original_.size(); ++i)
      original_[i] = static_cast<std::uint8_t>(i * 7);
    Place({kOneByteBlock, 4, 0, 100, 1200, -800, 0x1234, 1440, 0, 0});
    Place({kTwoByteBlock, 5, 1, 140, -20000, 300, 0xF9C0, -1, 20, 80});
    original_[kTwoByteBlock + 23] = kHighIdByte;
    Place({kTailBlock, 4, 0, 95, 0, 0, 0, 0, 0, 0});
    std::ofstream(path_, std::ios::binary)
        .write(reinterpret_cast<const char*>(original_.data()), kScriptLength);

    state_.Script.SetFileIo(io_);
    ASSERT_TRUE(state_.Script.Open(path_));
    state_.Cars.BlockCnt = 3;
    state_.Cars.Address[1] = kOneByteBlock;
    state_.Cars.Address[2] = kTwoByteBlock;
    state_.Cars.Address[3] = kTailBlock;
    state_.Vehicles.HighestVehicleId = 150;
    ui_.Combos[Control::BlockList].Items = {"1", "2", "3"};
    Show(1, 15);
    for (const Write& w : kGood) ui_.Texts[w.Edit] = w.Text;
  }

  void Place(const tovick::CarBlock& block) {
    const Bytes bytes = tovick::EncodeCarBlock(block);
    for (std::size_t i = 0; i < bytes.size() && block.Address + i < original_.size(); ++i)
      original_[static_cast<std::size_t>(block.Address) + i] = bytes[i];
  }

  // What the block view leaves behind for a block it showed in full.
  void Show(int blockNumber, int vehicleIndex) {
    state_.CurrentBlock.Address = state_.Cars.Address[static_cast<std::size_t>(blockNumber)];
    state_.CurrentBlock.HiCar = blockNumber == 2 ? 1 : 0;
    state_.CurrentBlock.Complete = true;
    ui_.Combos[Control::BlockList].Selection = blockNumber - 1;
    ui_.Combos[Control::VehicleList] = {std::vector<std::string>(61, "CAR"), vehicleIndex};
  }

  // The file as it should be after the first count writes of kGood to block 1.
  Bytes AfterGood(int count) const {
    Bytes bytes = original_;
    for (int i = 0; i < count; ++i)
      Put(bytes, tovick::FieldAddress(kOneByteBlock, kGood[i].Field, 0), kGood[i].Value,
          kGood[i].Width);
    return bytes;
  }

  // Through the script's own handle while it is open: on Windows it is held without sharing, so
  // no second open of the file would succeed.
  Bytes FileBytes() const {
    if (state_.Script.IsOpen()) {
      Bytes bytes(static_cast<std::size_t>(state_.Script.Length()));
      state_.Script.ReadBytes(0, bytes.data(), bytes.size());
      return bytes;
    }
    std::ifstream in(path_, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }

  std::string path_;
  Bytes original_;
  tovick::testing::FaultyFileIo io_;  // outlives the script file that calls it
  AppState state_;
  FakeUi ui_;
};

TEST_F(ApplyChangesTest, FullSuccessWritesExactlyElevenBytesAndOnlyPostsToTheScroller) {
  tovick::ApplyChanges(state_, ui_);
  EXPECT_TRUE(ui_.Messages.empty());
  EXPECT_EQ(state_.Scroller.Message(), "Changes applied successfully");
  const Bytes after = FileBytes();
  EXPECT_EQ(after, AfterGood(7));
  int changed = 0;
  for (std::size_t i = 0; i < after.size(); ++i) changed += after[i] != original_[i];
  EXPECT_EQ(changed, 11);
}

struct Refusal {
  const char* Name;
  void (*Arrange)(ApplyChangesTest&, AppState&, FakeUi&);
  std::string Message;
  int Beeps;
  int WritesBefore;  // how many of kGood reached the file before the refusal
};

void PrintTo(const Refusal& refusal, std::ostream* out) {
  *out << refusal.Name;
}

class ApplyChangesRefusal : public ApplyChangesTest,
                            public ::testing::WithParamInterface<Refusal> {};

TEST_P(ApplyChangesRefusal, ShowsItsMessageAndKeepsOnlyEarlierWrites) {
  GetParam().Arrange(*this, state_, ui_);
  tovick::ApplyChanges(state_, ui_);
  ASSERT_EQ(ui_.Messages.size(), 1u);
  EXPECT_EQ(ui_.Messages[0].Text, GetParam().Message);
  EXPECT_EQ(ui_.Messages[0].Caption, " ");
  EXPECT_EQ(ui_.Messages[0].Icon, MessageIcon::None);
  EXPECT_TRUE(ui_.Messages[0].OwnedByMainWindow);
  EXPECT_EQ(ui_.Beeps, GetParam().Beeps);
  EXPECT_EQ(state_.Scroller.Message(), "");
  EXPECT_EQ(FileBytes(), AfterGood(GetParam().WritesBefore));
}

#define EDIT(control, text) \
  [](ApplyChangesTest&, AppState&, FakeUi& ui) { ui.Texts[control] = text; }
const std::string kSigned = "\r\nValid range: -32768 to 32767";
const std::string kWord = "\r\nValid range: 0 to 65535";
const std::string kByte = "\r\nValid range: 0 to 255";
const std::string kCommas = "CANT APPLY CHANGES. COMMAS AND DOTS NOT ALLOWED.";

INSTANTIATE_TEST_SUITE_P(
    Steps, ApplyChangesRefusal,
    ::testing::Values(
        Refusal{"NoBlock",
                [](ApplyChangesTest&, AppState&, FakeUi& ui) {
                  ui.Combos[Control::BlockList].Selection = -1;
                },
                "CANT APPLY CHANGES. PLEASE SELECT A BLOCK", 1, 0},
        Refusal{"PastBlockCnt",
                [](ApplyChangesTest&, AppState& s, FakeUi&) { s.Cars.BlockCnt = 0; },
                "qX > BlockCnt", 0, 0},
        Refusal{"NoAddress", [](ApplyChangesTest&, AppState& s, FakeUi&) { s.Cars.Address[1] = 0; },
                "INVALID ADDRESS", 0, 0},
        Refusal{"OtherBlockShown",
                [](ApplyChangesTest& t, AppState&, FakeUi& ui) {
                  t.Show(2, 0);
                  ui.Combos[Control::BlockList].Selection = 0;
                },
                "CANT APPLY CHANGES", 0, 0},
        // The block view refused the selected block: the controls still hold the previous one's
        // values.
        Refusal{"ShowIncomplete",
                [](ApplyChangesTest&, AppState& s, FakeUi&) { s.CurrentBlock.Complete = false; },
                "CANT APPLY CHANGES", 0, 0},
        Refusal{"NoVehicle",
                [](ApplyChangesTest&, AppState&, FakeUi& ui) {
                  ui.Combos[Control::VehicleList].Selection = -1;
                },
                "CANT APPLY CHANGES. PLEASE SELECT A VEHICLE.", 1, 0},
        Refusal{"IdAbove127", [](ApplyChangesTest& t, AppState&, FakeUi&) { t.Show(1, 38); },
                "CANT APPLY CHANGES. INVALID VEHICLE ID.", 0, 0},
        Refusal{"ScriptClosed", [](ApplyChangesTest&, AppState& s, FakeUi&) { s.Script.Close(); },
                kWriteFailed, 0, 0},
        Refusal{"XDot", EDIT(Control::XPosEdit, "1.5"), kCommas + kSigned, 0, 1},
        Refusal{"XComma", EDIT(Control::XPosEdit, "1,5"), kCommas + kSigned, 0, 1},
        Refusal{"X32768", EDIT(Control::XPosEdit, "32768"),
                "CANT APPLY CHANGES. INVALID X-POS." + kSigned, 0, 1},
        // 32767.5 rounds to the even 32768.
        Refusal{"XHalfAbove", EDIT(Control::XPosEdit, "327675E-1"),
                "CANT APPLY CHANGES. INVALID X-POS." + kSigned, 0, 1},
        Refusal{"XHuge", EDIT(Control::XPosEdit, "-1E300"),
                "CANT APPLY CHANGES. INVALID X-POS." + kSigned, 0, 1},
        Refusal{"YBelow", EDIT(Control::YPosEdit, "-32769"),
                "CANT APPLY CHANGES. INVALID Y-POS." + kSigned, 0, 2},
        Refusal{"WordDot", EDIT(Control::UtellmeEdit, "F.0"), kCommas + kWord, 0, 3},
        Refusal{"Word65536", EDIT(Control::UtellmeEdit, "10000"),
                "CANT APPLY CHANGES. INVALID WORD VALUE." + kWord, 0, 3},
        Refusal{"HeadingComma", EDIT(Control::HeadingEdit, "5,5"), kCommas + kSigned, 0, 4},
        Refusal{"HeadingHuge", EDIT(Control::HeadingEdit, "1E9999"),
                "CANT APPLY CHANGES. INVALID HEADING VALUE." + kSigned, 0, 4},
        Refusal{"Alarm256", EDIT(Control::AlarmEdit, "256"),
                "CANT APPLY CHANGES. INVALID ALARM VALUE." + kByte, 0, 5},
        Refusal{"AlarmNegative", EDIT(Control::AlarmEdit, "-1"),
                "CANT APPLY CHANGES. INVALID ALARM VALUE." + kByte, 0, 5},
        Refusal{"Lock300", EDIT(Control::LockEdit, "300"),
                "CANT APPLY CHANGES. INVALID SHADE VALUE." + kByte, 0, 6},
        Refusal{"LockDot", EDIT(Control::LockEdit, "."), kCommas + kByte, 0, 6}),
    [](const auto& info) { return std::string(info.param.Name); });

struct Conversion {
  Control Edit;
  const char* Text;
  BlockField Field;
  std::uint16_t Stored;
  std::string Warning = "";  // the one message expected, with the exclamation icon
};

void PrintTo(const Conversion& conversion, std::ostream* out) {
  *out << '"' << conversion.Text << '"';
}

class ApplyChangesConversion : public ApplyChangesTest,
                               public ::testing::WithParamInterface<Conversion> {};

TEST_P(ApplyChangesConversion, StoresTheFieldBytes) {
  ui_.Texts[GetParam().Edit] = GetParam().Text;
  tovick::ApplyChanges(state_, ui_);
  const Bytes after = FileBytes();
  const auto at =
      static_cast<std::size_t>(tovick::FieldAddress(kOneByteBlock, GetParam().Field, 0));
  const bool word = GetParam().Field != BlockField::Alarm && GetParam().Field != BlockField::Lock;
  EXPECT_EQ(after[at], GetParam().Stored & 0xFF);
  if (word) {
    EXPECT_EQ(after[at + 1], GetParam().Stored >> 8);
  }
  EXPECT_EQ(state_.Scroller.Message(), "Changes applied successfully");
  if (GetParam().Warning.empty()) {
    EXPECT_TRUE(ui_.Messages.empty());
  } else {
    ASSERT_EQ(ui_.Messages.size(), 1u);
    EXPECT_EQ(ui_.Messages[0].Text, GetParam().Warning);
    EXPECT_EQ(ui_.Messages[0].Icon, MessageIcon::Exclamation);
    EXPECT_EQ(ui_.Messages[0].Caption, " ");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Values, ApplyChangesConversion,
    ::testing::Values(Conversion{Control::XPosEdit, "-32768", BlockField::XPos, 0x8000},
                      Conversion{Control::XPosEdit, "-25E-1", BlockField::XPos, 0xFFFE},
                      Conversion{Control::XPosEdit, " 12", BlockField::XPos, 12},
                      Conversion{Control::XPosEdit, "12abc", BlockField::XPos, 12},
                      Conversion{Control::XPosEdit, "", BlockField::XPos, 0},
                      Conversion{Control::XPosEdit, "35E-1", BlockField::XPos, 4},
                      Conversion{Control::XPosEdit, "0000032767", BlockField::XPos, 3276},
                      // A dot past the ninth character is never read.
                      Conversion{Control::YPosEdit, "000000001.5", BlockField::YPos, 1},
                      Conversion{Control::HeadingEdit, "-1", BlockField::Heading, 0xFFFF},
                      Conversion{Control::UtellmeEdit, "ffff", BlockField::UnknownWord, 0xFFFF},
                      Conversion{Control::UtellmeEdit, " 1A2Bh ", BlockField::UnknownWord, 6699},
                      Conversion{Control::UtellmeEdit, "", BlockField::UnknownWord, 0},
                      Conversion{Control::UtellmeEdit, "-1", BlockField::UnknownWord, 0},
                      Conversion{Control::UtellmeEdit, "G", BlockField::UnknownWord, 0},
                      Conversion{Control::HeadingEdit, "5759", BlockField::Heading, 5759},
                      Conversion{Control::HeadingEdit, "5760", BlockField::Heading, 5760,
                                 "WARNING! You entered a HEADING value higher than 5759\r\n"
                                 "which is more than 360 degrees."},
                      Conversion{Control::AlarmEdit, "100", BlockField::Alarm, 100},
                      Conversion{Control::AlarmEdit, "255", BlockField::Alarm, 255,
                                 "WARNING! If I'm right about the ALARM values, this value is too "
                                 "high!"},
                      Conversion{Control::LockEdit, "101", BlockField::Lock, 101,
                                 "WARNING! If I'm right about the DOOR LOCK values, this value is "
                                 "too high!"}));

TEST_F(ApplyChangesTest, VehicleIdFollowsTheListRangeAndNeverTouchesMarkerOrHighByte) {
  struct Case {
    int Block;
    bool Unsafe;
    int Index;
    int Id;  // -1: refused
  };
  const Case cases[] = {{2, false, 0, 128}, {2, false, 22, 150}, {2, false, 23, -1},
                        {1, false, 0, 90},  {1, false, 37, 127}, {1, true, 50, 140},
                        {1, true, 61, -1},  {2, true, 0, 90}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Block * 1000 + c.Index);
    Show(c.Block, c.Index);
    state_.UnsafeVehiclesEnabled = c.Unsafe;
    const std::int64_t address = state_.CurrentBlock.Address;
    const std::uint8_t before = FileBytes()[address + 22];
    ui_.ClearRecords();
    tovick::ApplyChanges(state_, ui_);
    const Bytes after = FileBytes();
    EXPECT_EQ(after[address + 22], c.Id < 0 ? before : c.Id);
    EXPECT_EQ(after[address + 21], c.Block == 2 ? 0x05 : 0x04);
    EXPECT_EQ(ui_.MessageTexts(),
              c.Id < 0 ? std::vector<std::string>{"CANT APPLY CHANGES. INVALID VEHICLE ID."}
                       : std::vector<std::string>{});
  }
  const Bytes after = FileBytes();
  EXPECT_EQ(after[kTwoByteBlock + 23], kHighIdByte);
  // A two-byte id moves ALARM and LOCK one byte on.
  EXPECT_EQ(after[kTwoByteBlock + 31], 50);
  EXPECT_EQ(after[kTwoByteBlock + 33], 100);
  EXPECT_EQ(after[kTwoByteBlock + 30], original_[kTwoByteBlock + 30]);
  EXPECT_EQ(after[kTwoByteBlock + 32], original_[kTwoByteBlock + 32]);
}

// A file that cannot grow past its end: the writes inside it land, ALARM's (just past it) fails.
TEST_F(ApplyChangesTest, StopsAtTheFirstFailedWrite) {
  Show(3, 15);
  io_.WriteLimit = kScriptLength;
  tovick::ApplyChanges(state_, ui_);

  EXPECT_EQ(io_.RefusedWrites, 1);
  EXPECT_EQ(ui_.MessageTexts(), std::vector<std::string>{kWriteFailed});
  EXPECT_EQ(state_.Scroller.Message(), "");
  Bytes expected = original_;
  for (int i = 0; i < 5; ++i)
    Put(expected, tovick::FieldAddress(kTailBlock, kGood[i].Field, 0), kGood[i].Value,
        kGood[i].Width);
  EXPECT_EQ(FileBytes(), expected);
}

// A script that opens only for reading (a read-only file, or another user's).
TEST_F(ApplyChangesTest, ReadOnlyScriptIsNeverReportedAsWritten) {
  io_.RefuseWritableOpen = true;
  ASSERT_TRUE(state_.Script.Open(path_));
  ASSERT_EQ(state_.Script.Mode(), tovick::ScriptFile::OpenMode::ReadOnly);
  tovick::ApplyChanges(state_, ui_);

  EXPECT_EQ(ui_.MessageTexts(), std::vector<std::string>{kWriteFailed});
  EXPECT_EQ(state_.Scroller.Message(), "");
  EXPECT_EQ(FileBytes(), original_);
}

}  // namespace
