// "CREATE PLUG-IN" and "LOAD AND USE PLUG-IN" through the fake window, on generated scripts on
// disk: the round trip, what the user is told for hostile plug-ins, the marks and the bytes each
// leaves, and the failures: a file that cannot be made or written, one that exists, a script that
// cannot be written, a plug-in that is no regular file or is too large.

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "editor/commands.h"
#include "editor/create_plugin.h"
#include "editor/load_plugin.h"
#include "editor/load_script.h"
#include "editor/show_block.h"
#include "gen/demo_data.h"
#include "plugin/plugin_format.h"
#include "support/faulty_file_io.h"
#include "support/generated_script.h"
#include "support/test_data.h"
#include "text/number_text.h"
#include "text/text_lines.h"

namespace tovick::testing {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kSeed = 5;
const std::string kIncompatible = "The .SCM file used to create this Plug-In is incompatible\r\n";

using Bytes = std::vector<std::uint8_t>;

// Other values than the script holds in every field.
CarBlock Altered(const CarBlock& block) {
  CarBlock other = block;
  other.CarId = static_cast<std::uint8_t>(block.CarId + 1);
  other.XPos = static_cast<std::int16_t>(-block.XPos - 3);
  other.YPos = static_cast<std::int16_t>(block.YPos + 1000);
  other.UnknownWord = static_cast<std::uint16_t>(~block.UnknownWord);
  other.Heading = static_cast<std::int16_t>(block.Heading / 2 + 1);
  other.Alarm = static_cast<std::uint8_t>(block.Alarm + 7);
  other.Lock = static_cast<std::uint8_t>(block.Lock + 9);
  return other;
}

// The seven values of block into bytes at its address; marker and id high byte stay.
void Put(Bytes& bytes, const CarBlock& block) {
  const auto put = [&](BlockField field, std::uint16_t value, int width) {
    const auto at = static_cast<std::size_t>(FieldAddress(block.Address, field, block.HiCar));
    bytes.at(at) = static_cast<std::uint8_t>(value & 0xFF);
    if (width == 2) bytes.at(at + 1) = static_cast<std::uint8_t>(value >> 8);
  };
  put(BlockField::CarId, block.CarId, 1);
  put(BlockField::XPos, static_cast<std::uint16_t>(block.XPos), 2);
  put(BlockField::YPos, static_cast<std::uint16_t>(block.YPos), 2);
  put(BlockField::UnknownWord, block.UnknownWord, 2);
  put(BlockField::Heading, static_cast<std::uint16_t>(block.Heading), 2);
  put(BlockField::Alarm, block.Alarm, 1);
  put(BlockField::Lock, block.Lock, 1);
}

std::set<int> MarkedBlocks(const AppState& state) {
  std::set<int> marked;
  for (std::size_t n = 0; n < state.PlugInMarks.size(); ++n) {
    if (state.PlugInMarks[n] != 0) marked.insert(static_cast<int>(n));
  }
  return marked;
}

std::vector<std::string> FilesIn(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class PlugInOperationsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = FreshTestDir();
    source_ = Generate(kSeed);
  }

  // The bytes as dir_/name, loaded as at start-up with block 1 shown; the script's and the
  // plug-ins' file calls go through scriptIo_ and filesIo_.
  AppState& Load(const std::string& name, const Bytes& bytes) {
    auto state = std::make_unique<AppState>();
    state->Script.SetFileIo(scriptIo_);
    state->Files = &filesIo_;
    state->Paths.DialogStartDirectory = dir_;
    state->Paths.MissionScriptPath =
        WriteFile(dir_ + "/" + name, std::string(bytes.begin(), bytes.end()));
    ReadDefinitions(demo::GenerateDefinitions(kSeed), state->Vehicles);
    LoadMissionScript(*state, ui_);
    ShowFirstBlock(*state, ui_);
    states_.push_back(std::move(state));
    ui_.ClearRecords();
    return *states_.back();
  }

  // Through the script's own handle: Windows lets no one else open the script while it is held.
  static Bytes OnDisk(const AppState& state) {
    Bytes bytes(static_cast<std::size_t>(state.Script.Length()));
    state.Script.ReadBytes(0, bytes.data(), bytes.size());
    return bytes;
  }

  std::string dir_;
  GeneratedScript source_;
  FaultyFileIo scriptIo_;
  FaultyFileIo filesIo_;
  FakeUi ui_;
  std::vector<std::unique_ptr<AppState>> states_;
};

TEST_F(PlugInOperationsTest, RoundTripBringsTheMarkedBlocksBackIntoACopy) {
  AppState& from = Load("MAIN.SCM", source_.Bytes);
  // Block 1 is shown; its typed X-POS passes the checks and goes into the plug-in. Two-byte
  // blocks (2 and 5) and the last block are among the others.
  for (const int n : {1, 2, 5, 37, 100}) from.PlugInMarks[static_cast<std::size_t>(n)] = 1;
  ui_.Texts[Control::XPosEdit] = "-1234";
  ui_.SaveAnswers = {dir_ + "/cars"};
  RunCommand(from, ui_, Command::CreatePlugIn);

  ASSERT_EQ(ui_.SaveDialogs.size(), 1u);
  const FileDialogRequest save = ui_.SaveDialogs[0];
  EXPECT_EQ(
      Lines({save.Title, save.FileName, save.FilterDescription, save.FilterPattern,
             save.InitialDirectory}),
      Lines({"Create Plug-In", "*.TOVICK1", ".TOVICK1 Plug-In Files (*.TOVICK1)", "*.*", dir_}));
  const std::string plugIn = dir_ + "/cars.TOVICK1";
  EXPECT_EQ(Boxes(ui_),
            Lines({Box("Created\r\n\r\n" + plugIn + "\r\n\r\nas Plug-In.  5 car(s) was used.")}));
  EXPECT_EQ(FilesIn(dir_), Lines({"MAIN.SCM", "cars.TOVICK1"}));
  const Bytes written = OnDisk(from);
  EXPECT_EQ(static_cast<std::int16_t>(written[source_.Block(1).Address + 10] |
                                      written[source_.Block(1).Address + 11] << 8),
            -1234);

  Bytes copy = source_.Bytes;
  for (const CarBlock& block : source_.Plan) Put(copy, Altered(block));
  AppState& to = Load("COPY.SCM", copy);
  to.PlugInMarks[3] = 1;                  // replaced by the plug-in's blocks
  ui_.Texts[Control::XPosEdit] = " 999";  // pending edits are not applied first
  ui_.OpenAnswers = {plugIn};
  RunCommand(to, ui_, Command::LoadAndUsePlugIn);

  ASSERT_EQ(ui_.OpenDialogs.size(), 1u);
  EXPECT_EQ(ui_.OpenDialogs[0].Title, "Load and use Plug-In");
  EXPECT_EQ(ui_.OpenDialogs[0].FilterDescription, save.FilterDescription);
  EXPECT_EQ(Boxes(ui_), Lines({Box("The patching was successful. 5 car(s) changed.",
                                   MessageIcon::None, true, "SUCCESS ")}));
  EXPECT_EQ(MarkedBlocks(to), (std::set<int>{1, 2, 5, 37, 100}));
  Bytes expected = copy;
  for (const int n : {1, 2, 5, 37, 100}) {
    CarBlock block = source_.Block(n);
    if (n == 1) block.XPos = -1234;
    Put(expected, block);
  }
  EXPECT_TRUE(OnDisk(to) == expected);
  // The view shows what the plug-in wrote, and the mark.
  EXPECT_EQ(ui_.Texts[Control::XPosEdit], "-1234");
  EXPECT_TRUE(ui_.Checks[Control::PlugInCheck]);
}

// A plug-in against the generated script, its messages (text, caption, icon), the marks after it
// and the blocks written before the stop. Block 1 is shown; before each run its X-POS box holds a
// stale text and block 7 is marked.
struct ApplyCase {
  const char* Name;
  std::string (*PlugIn)(const GeneratedScript&);
  Lines Messages;
  std::set<int> Marks;
  std::vector<int> Written;     // blocks that end up with their Altered values
  int WritesFailFromBlock = 0;  // writes at or past this block's address fail; -1: read-only
};

void PrintTo(const ApplyCase& c, std::ostream* out) {
  *out << c.Name;
}

std::string Record(const GeneratedScript& s, int n) {
  return RenderPlugInRecord(n, Altered(s.Block(n)));
}

std::string Refusal(const std::string& middle) {
  return Box(kIncompatible + middle, MessageIcon::Error, true, "PATCHING TERMINATED");
}

const std::string kAddressBox = Refusal(
    "with the .SCM file you are currently using. The address\r\nof the car table is different. "
    "This can be related to\r\ndifferences in the different language version of GTA 3.\r\nIt can "
    "also be related to the existence of a mission editor\r\ncapable of changing the address of "
    "the car table. This\r\npatcher is not in any way capable of doing that.");
const std::string kMarkerBox = Refusal(
    "with the .SCM file you are currently using. Addresses\r\nused are different. This can be "
    "related to\r\ndifferences in the different language version of GTA 3.\r\nIt can also be "
    "related to the existence of a mission editor\r\ncapable of changing the address of the car "
    "table. This\r\npatcher is not in any way capable of doing that.");
const std::string kMissing = Box("A parameter is missing in this Plug-In file.");

std::string Success(int count) {
  return Box("The patching was successful. " + std::to_string(count) + " car(s) changed.",
             MessageIcon::None, true, "SUCCESS ");
}

std::string NotWritten(int count) {
  return Box("THE .SCM FILE COULD NOT BE WRITTEN.\r\n" + std::to_string(count) +
                 " car(s) changed before the failure.",
             MessageIcon::Error, true, "PATCHING TERMINATED");
}

class ApplyPlugInTest : public PlugInOperationsTest,
                        public ::testing::WithParamInterface<ApplyCase> {};

TEST_P(ApplyPlugInTest, MessagesMarksAndTheWritesBeforeTheStop) {
  const ApplyCase& c = GetParam();
  AppState& state = Load("MAIN.SCM", source_.Bytes);
  const std::string plugIn = WriteFile(dir_ + "/p.TOVICK1", c.PlugIn(source_));
  if (c.WritesFailFromBlock > 0)
    scriptIo_.WriteLimit = source_.Block(c.WritesFailFromBlock).Address;
  if (c.WritesFailFromBlock < 0) {
    scriptIo_.RefuseWritableOpen = true;
    ASSERT_TRUE(state.Script.Open(state.Paths.MissionScriptPath));
  }
  state.PlugInMarks[7] = 1;
  ui_.Texts[Control::XPosEdit] = "stale";
  ui_.OpenAnswers = {plugIn};
  LoadAndUsePlugIn(state, ui_);

  EXPECT_EQ(Boxes(ui_), c.Messages);
  EXPECT_EQ(MarkedBlocks(state), c.Marks);
  Bytes expected = source_.Bytes;
  for (const int n : c.Written) Put(expected, Altered(source_.Block(n)));
  const Bytes after = OnDisk(state);
  EXPECT_TRUE(after == expected);
  if (c.Messages.size() == 1 && c.Messages[0] == Box("INVALID PLUG-IN VERSION, HEADER OR FILE",
                                                     MessageIcon::None, true, "INVALID FILE")) {
    // Refused at its header: nothing was written and the user's pending edits stay in the view.
    EXPECT_EQ(ui_.Texts[Control::XPosEdit], "stale");
    return;
  }
  // Whatever else stopped the run, the view shows block 1 as the file holds it now.
  const auto x = static_cast<std::int16_t>(after[source_.Block(1).Address + 10] |
                                           after[source_.Block(1).Address + 11] << 8);
  EXPECT_EQ(ui_.Texts[Control::XPosEdit], NumberToText(x, kSingleDigits));
  EXPECT_EQ(ui_.Checks[Control::PlugInCheck], c.Marks.count(1) == 1);
}

INSTANTIATE_TEST_SUITE_P(
    HostilePlugIns, ApplyPlugInTest,
    ::testing::Values(
        ApplyCase{"LowerCaseHeader",
                  [](const GeneratedScript& s) {
                    return "tovick plashgoons plug-in version 1\r\n" + Record(s, 1);
                  },
                  {Box("INVALID PLUG-IN VERSION, HEADER OR FILE", MessageIcon::None, true,
                       "INVALID FILE")},
                  {},
                  {}},
        ApplyCase{"HeaderAlone",
                  [](const GeneratedScript&) { return std::string(kPlugInHeader) + "\r\n"; },
                  {Success(0)},
                  {},
                  {}},
        ApplyCase{"EightAndTenCommasAndABlankBeforeTheHash",
                  [](const GeneratedScript& s) {
                    return PlugInPreamble() + Record(s, 1) + "1,2,3,4,5,6,7,8,9\r\n" +
                           "1,2,3,4,5,6,7,8,9,10,11\r\n # note\r\n" + Record(s, 2);
                  },
                  {kMissing, kMissing, kMissing, Success(2)},
                  {1, 2},
                  {1, 2}},
        ApplyCase{"AddressMismatchAtRecordThree",
                  [](const GeneratedScript& s) {
                    CarBlock moved = Altered(s.Block(3));
                    moved.Address += 1;
                    return PlugInPreamble() + Record(s, 1) + Record(s, 2) +
                           RenderPlugInRecord(3, moved) + Record(s, 4);
                  },
                  {kAddressBox},
                  {1, 2, 3},
                  {1, 2}},
        ApplyCase{"MarkerMismatch",
                  [](const GeneratedScript& s) {
                    CarBlock wide = Altered(s.Block(4));  // block 4's marker is 4
                    wide.WidthMarker = kMarkerTwoByteId;
                    return PlugInPreamble() + Record(s, 1) + RenderPlugInRecord(4, wide) +
                           Record(s, 5);
                  },
                  {kMarkerBox},
                  {1, 4},
                  {1}},
        ApplyCase{"WriteFailsAtTheSecondRecord",
                  [](const GeneratedScript& s) {
                    return PlugInPreamble() + Record(s, 1) + Record(s, 2) + Record(s, 3);
                  },
                  {NotWritten(1)},
                  {1, 2},
                  {1},
                  2},
        ApplyCase{"ReadOnlyScript",
                  [](const GeneratedScript& s) { return PlugInPreamble() + Record(s, 1); },
                  {NotWritten(0)},
                  {1},
                  {},
                  -1}),
    [](const ::testing::TestParamInfo<ApplyCase>& info) { return info.param.Name; });

TEST_F(PlugInOperationsTest, ApplyingStopsQuietlyOnCancelAndReportsAFileThatWillNotOpen) {
  AppState& state = Load("MAIN.SCM", source_.Bytes);
  state.PlugInMarks[7] = 1;
  LoadAndUsePlugIn(state, ui_);  // cancelled
  const std::string gone = dir_ + "/gone.TOVICK1", big = dir_ + "/big.TOVICK1";
  std::ofstream(big, std::ios::binary) << PlugInPreamble();
  fs::resize_file(big, kMaxTextFileBytes + 1);
#ifdef _WIN32
  const std::string device = "NUL";
#else
  const std::string device = dir_ + "/fifo.TOVICK1";  // would wait for a writer if it were opened
  ASSERT_EQ(mkfifo(device.c_str(), 0600), 0);
#endif
  ui_.OpenAnswers = {gone, dir_, device, big};
  for (int i = 0; i < 4; ++i) LoadAndUsePlugIn(state, ui_);  // none of them is a plug-in file
  Lines expected;
  for (const std::string& file : {gone, dir_, device, big}) {
    expected.push_back(
        Box("Could not open\r\n\r\n" + file, MessageIcon::None, true, "File access violation"));
  }
  EXPECT_EQ(Boxes(ui_), expected);
  EXPECT_EQ(MarkedBlocks(state), std::set<int>{7});
  EXPECT_TRUE(OnDisk(state) == source_.Bytes);
}

// Creating with blocks 3 and 7 marked, under a chosen name; what is on disk after it.
enum class Before { Nothing, OldFile, Directory };
enum class Fault { None, WriteFails, InvalidMarker };
enum class After { NewFile, OldFile, NoFile };

struct CreateCase {
  const char* Name;
  std::optional<std::string> Chosen;  // nullopt: the dialog is cancelled
  std::string Saved;                  // the name the plug-in is saved under
  Before Existing;                    // what stands at Saved before
  bool Asked;                         // the Yes/No question about Saved
  bool Yes;
  Fault Trouble;
  const char* Message;  // with "@" for the full name; "" for none
  After Left;
};

void PrintTo(const CreateCase& c, std::ostream* out) {
  *out << c.Name;
}

class CreatePlugInTest : public PlugInOperationsTest,
                         public ::testing::WithParamInterface<CreateCase> {};

TEST_P(CreatePlugInTest, NameQuestionMessageAndFile) {
  const CreateCase& c = GetParam();
  AppState& state = Load("MAIN.SCM", source_.Bytes);
  state.PlugInMarks[3] = state.PlugInMarks[7] = 1;
  const std::string saved = dir_ + "/" + c.Saved;
  if (c.Existing == Before::OldFile) WriteFile(saved, "old");
  if (c.Existing == Before::Directory) fs::create_directory(saved);
  if (c.Trouble == Fault::WriteFails) filesIo_.WriteLimit = 100;
  if (c.Trouble == Fault::InvalidMarker) {
    ASSERT_TRUE(state.Script.WriteByte(source_.Block(7).Address + 21, 0x06));
  }
  const std::vector<std::string> before = FilesIn(dir_);
  if (c.Chosen) ui_.SaveAnswers = {dir_ + "/" + *c.Chosen};
  ui_.YesNoAnswers = {c.Yes};
  CreatePlugIn(state, ui_);

  ASSERT_EQ(ui_.Questions.size(), c.Asked ? 1u : 0u);
  if (c.Asked) {
    EXPECT_EQ(
        Box(ui_.Questions[0].Text, ui_.Questions[0].Icon, ui_.Questions[0].OwnedByMainWindow,
            ui_.Questions[0].Caption),
        Box("The file\r\n\r\n" + saved + "\r\n\r\nalready exists. Do you want to replace it?"));
  }
  std::string message = c.Message;
  if (const auto at = message.find('@'); at != std::string::npos) message.replace(at, 1, saved);
  const std::string caption = message.rfind("Could not", 0) == 0 ? "File access violation" : " ";
  EXPECT_EQ(Boxes(ui_),
            message.empty() ? Lines{} : Lines({Box(message, MessageIcon::None, true, caption)}));

  // Never anything half written, and nothing left beside it.
  std::vector<std::string> expectedFiles = before;
  if (c.Left == After::NewFile && c.Existing == Before::Nothing) {
    expectedFiles.push_back(c.Saved);
    std::sort(expectedFiles.begin(), expectedFiles.end());
  }
  EXPECT_EQ(FilesIn(dir_), expectedFiles);
  if (c.Left == After::NewFile) {
    EXPECT_EQ(ReadFile(saved), PlugInPreamble() + RenderPlugInRecord(3, source_.Block(3)) +
                                   RenderPlugInRecord(7, source_.Block(7)));
  }
  if (c.Left == After::OldFile) {
    EXPECT_EQ(ReadFile(saved), "old");
  }
  EXPECT_EQ(MarkedBlocks(state), (std::set<int>{3, 7}));
}

constexpr const char* kCreated = "Created\r\n\r\n@\r\n\r\nas Plug-In.  2 car(s) was used.";

INSTANTIATE_TEST_SUITE_P(
    Names, CreatePlugInTest,
    ::testing::Values(
        CreateCase{"ExtensionAdded", "cars", "cars.TOVICK1", Before::Nothing, false, false,
                   Fault::None, kCreated, After::NewFile},
        CreateCase{"AddedExtensionNamesAFileAndTheAnswerIsNo", "cars.txt", "cars.txt.TOVICK1",
                   Before::OldFile, true, false, Fault::None, "", After::OldFile},
        CreateCase{"AddedExtensionNamesAFileAndTheAnswerIsYes", "cars", "cars.TOVICK1",
                   Before::OldFile, true, true, Fault::None, kCreated, After::NewFile},
        // The save dialog itself asked about a name chosen with its extension.
        CreateCase{"ChosenNameExists", "cars.tovick1", "cars.tovick1", Before::OldFile, false,
                   false, Fault::None, kCreated, After::NewFile},
        CreateCase{"Cancelled", std::nullopt, "cars.TOVICK1", Before::Nothing, false, false,
                   Fault::None, "", After::NoFile},
        CreateCase{"NoSuchFolder", "none/cars", "none/cars.TOVICK1", Before::Nothing, false, false,
                   Fault::None, "Could not create\r\n\r\n@\r\n\r\nas Plug-In.", After::NoFile},
        CreateCase{"ADirectoryOfThatName", "cars", "cars.TOVICK1", Before::Directory, true, true,
                   Fault::None, "Could not create\r\n\r\n@\r\n\r\nas Plug-In.", After::NoFile},
        CreateCase{"WriteFailsAndTheOldFileStays", "cars.TOVICK1", "cars.TOVICK1", Before::OldFile,
                   false, false, Fault::WriteFails, "Could not write\r\n\r\n@\r\n\r\nas Plug-In.",
                   After::OldFile},
        CreateCase{"GuardStopsBeforeAnyFile", "cars.TOVICK1", "cars.TOVICK1", Before::OldFile,
                   false, false, Fault::InvalidMarker, "IMPOSSIBLE ERROR: INVALID HICAR ID",
                   After::OldFile}),
    [](const ::testing::TestParamInfo<CreateCase>& info) { return info.param.Name; });

TEST_F(PlugInOperationsTest, CreatingWithNothingMarkedShowsTheApplyRefusalThenAsksForBlocks) {
  AppState& state = Load("MAIN.SCM", source_.Bytes);
  ui_.Texts[Control::AlarmEdit] = "300";
  CreatePlugIn(state, ui_);
  EXPECT_EQ(Boxes(ui_),
            Lines({Box("CANT APPLY CHANGES. INVALID ALARM VALUE.\r\nValid range: 0 to 255"),
                   Box("Please select a few blocks to use in the Plug-In")}));
  EXPECT_TRUE(ui_.SaveDialogs.empty());
  EXPECT_EQ(ui_.Texts[Control::AlarmEdit], NumberToText(source_.Block(1).Alarm, kSingleDigits));
}

}  // namespace
}  // namespace tovick::testing
