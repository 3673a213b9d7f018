#include "editor/commands.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>
#include <fstream>

#include "editor/remembered_paths.h"
#include "editor/start_up.h"
#include "support/test_data.h"
#include "text/text_lines.h"

namespace tovick {
namespace {

using namespace tovick::testing;

TEST(PrepareStartTest, StartDirectoryGetsOneSeparatorAndDialogsStartAsRead) {
  const std::pair<const char*, const char*> rows[] = {{"C:\\GAMES\\GTA3", "C:\\GAMES\\GTA3\\"},
                                                      {"C:\\", "C:\\"},
                                                      {"/home/modder", "/home/modder/"}};
  for (const auto& [current, start] : rows) {
    AppState state;
    FakeUi ui;
    PrepareStart(state, ui, current);
    EXPECT_EQ(state.Paths.StartDirectory, start);
    EXPECT_EQ(state.Paths.DialogStartDirectory, current);
  }
  const std::string dir = FreshTestDir();
  WriteFile(dir + "/TovickZon.txt", "Harbour,0,0,100,50\r\n");
  AppState state;
  FakeUi ui;
  PrepareStart(state, ui, dir);
  ASSERT_EQ(state.Zones.size(), 1u);
}

// A start directory holding both game files; the tests decide which are remembered.
class CommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = FreshTestDir();
    ide_ = WriteFile(dir_ + "/DEFAULT.IDE", DefinitionsText(61));
    CarBlock first = Car(100);
    first.XPos = 16;
    scm_ =
        WriteFile(dir_ + "/MAIN.SCM", ScriptBytes(70204, Spaced({first, Car(140, true), Car(95)})));
  }

  // Runs a start-up in dir_ with fresh state; a path of "" is not remembered.
  void Start(const std::string& ide, const std::string& scm) {
    std::filesystem::remove(dir_ + "/DEFIDE.txt");
    std::filesystem::remove(dir_ + "/MAINSCM.txt");
    if (!ide.empty()) WriteFile(dir_ + "/DEFIDE.txt", ide + "\r\nsecond line\r\n");
    if (!scm.empty()) WriteFile(dir_ + "/MAINSCM.txt", scm + "\r\n");
    state_ = std::make_unique<AppState>();
    PrepareStart(*state_, ui_, dir_);
    StartUp(*state_, ui_);
  }

  void Started() {
    Start(ide_, scm_);
    ASSERT_FALSE(state_->Flags.MustQuit);
    ui_.ClearRecords();
  }

  AfterCommand Run(Command command) { return RunCommand(*state_, ui_, command); }
  void Select(int blockNumber) {
    ui_.ComboSelect(Control::BlockList, blockNumber - 1);
    Run(Command::BlockListChanged);
  }
  std::int16_t XPosInFile(int blockNumber) {
    return static_cast<std::int16_t>(
        state_->Script.ReadWord(state_->Cars.Address[blockNumber] + 10));
  }

  std::string dir_, ide_, scm_;
  std::unique_ptr<AppState> state_;
  FakeUi ui_;
};

TEST_F(CommandsTest, FirstStartAsksForBothFilesThenNeedsNoDialog) {
  ui_.OpenAnswers = {ide_, scm_};
  Start("", "");
  ASSERT_EQ(ui_.OpenDialogs.size(), 2u);
  EXPECT_EQ(ui_.OpenDialogs[0].Title, "Load DEFAULT.IDE");
  EXPECT_EQ(ui_.OpenDialogs[1].Title, "Load the MAIN.SCM file");
  EXPECT_EQ(ReadFile(dir_ + "/DEFIDE.txt"), ide_ + "\r\n");
  EXPECT_EQ(ReadFile(dir_ + "/MAINSCM.txt"), scm_ + "\r\n");

  ui_.ClearRecords();
  Start(ide_, scm_);
  EXPECT_TRUE(ui_.OpenDialogs.empty());
  EXPECT_TRUE(ui_.Messages.empty());
  EXPECT_FALSE(state_->Flags.MustQuit);
  EXPECT_EQ(ui_.Combos[Control::BlockList].Selection, 0);
  EXPECT_EQ(ui_.Texts[Control::XPosEdit], " 16");
  EXPECT_EQ(ui_.Texts[Control::DefinitionsPathLine], "  " + ide_);
}

TEST_F(CommandsTest, EveryListFillAnnouncesTheItemsItAdds) {
  Start(ide_, scm_);
  const int searchItems = ui_.ComboCount(Control::SearchList);
  const int vehicles = ui_.ComboCount(Control::VehicleList);
  EXPECT_EQ(ui_.Fills,
            (std::vector<FakeUi::ComboFillRecord>{{Control::SearchList, searchItems, searchItems},
                                                  {Control::BlockList, 3, 3},
                                                  {Control::VehicleList, vehicles, vehicles}}));

  // A vehicle list with unnamed ids, whose warnings come in the middle of its fill.
  ui_.Fills.clear();
  state_->Vehicles.HighestVehicleId = 200;
  Select(2);
  ASSERT_EQ(ui_.Fills.size(), 1u);
  EXPECT_EQ(ui_.Fills[0].Announced, ui_.Fills[0].Added);
  EXPECT_EQ(ui_.Fills[0].Added, ui_.ComboCount(Control::VehicleList));
  EXPECT_GT(ui_.Messages.size(), 1u);
}

TEST_F(CommandsTest, StartUpFailuresEndTheProgram) {
  std::string malformed = ScriptBytes(70204, Spaced({Car(100), Car(101)}));
  malformed[65340 + 21] = 0x06;
  const std::string bad = WriteFile(dir_ + "/bad.scm", malformed);
  const std::string few = WriteFile(dir_ + "/few.ide", DefinitionsText(58));
  const std::string gone = dir_ + "/moved/gone";
  struct Row {
    std::string Ide, Scm;
    std::vector<std::optional<std::string>> Answers;
    Lines Messages;
    std::size_t Dialogs;
  };
  const Row rows[] = {
      {"", "", {}, {}, 1},  // first dialog cancelled: the second is never shown
      {"", "", {ide_, std::nullopt}, {}, 2},
      {ide_, bad, {}, {Box("Error in car table. Please replace MAIN.SCM.")}, 0},
      {"", "", {ide_, bad}, {Box("Error in car table. Please replace MAIN.SCM.")}, 2},
      {few, scm_, {}, {Box(" 3 car(s) missing. Please use the original DEFAULT.IDE")}, 0},
      // A remembered file that has gone is asked for again; cancelling then ends the program.
      {gone, scm_, {}, {Box("Couldn't open the .IDE file\r\n" + gone)}, 1},
      {ide_, gone, {}, {Box("Couldn't open the .SCM file")}, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Ide + " " + row.Scm);
    ui_ = FakeUi();
    ui_.OpenAnswers.assign(row.Answers.begin(), row.Answers.end());
    Start(row.Ide, row.Scm);
    EXPECT_TRUE(state_->Flags.MustQuit);
    EXPECT_EQ(Boxes(ui_), row.Messages);
    EXPECT_EQ(ui_.OpenDialogs.size(), row.Dialogs);
    EXPECT_TRUE(ui_.Items(Control::VehicleList).empty());
    EXPECT_FALSE(state_->Script.IsOpen() && state_->Flags.CarTableError);
  }
  EXPECT_FALSE(std::filesystem::exists(gone));
}

TEST_F(CommandsTest, RememberedFilesThatHaveGoneCanBeChosenAgain) {
  const std::string gone = dir_ + "/gone";
  ui_.OpenAnswers = {ide_, scm_};
  Start(gone, gone);
  EXPECT_EQ(Boxes(ui_), (Lines{Box("Couldn't open the .IDE file\r\n" + gone),
                               Box("Couldn't open the .SCM file")}));
  EXPECT_FALSE(state_->Flags.MustQuit);
  EXPECT_EQ(ReadFile(dir_ + "/DEFIDE.txt"), ide_ + "\r\n");
  EXPECT_EQ(ReadFile(dir_ + "/MAINSCM.txt"), scm_ + "\r\n");
}

// Every text file of a start is read only when it is a regular file (a FIFO would hold the start
// for ever) of at most kMaxTextFileBytes; a larger one is named to the user.
TEST_F(CommandsTest, TextFilesThatCannotBeUsedAreRefused) {
  namespace fs = std::filesystem;
  enum class Make { Nothing, Special, Big };
  // A FIFO where there is one; a folder on Windows.
  const auto make = [](Make what, const std::string& path) {
    if (what == Make::Big) {
      std::ofstream(path, std::ios::binary).close();
      fs::resize_file(path, kMaxTextFileBytes + 1);
    } else if (what == Make::Special) {
#ifdef _WIN32
      fs::create_directory(path);
#else
      ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
#endif
    }
  };
  const std::string ideFile = dir_ + "/DEFIDE.txt", scmFile = dir_ + "/MAINSCM.txt";
  const std::string zoneFile = dir_ + "/TovickZon.txt", big = dir_ + "/big.ide";
#ifdef _WIN32
  const std::string special = "NUL";
#else
  const std::string special = dir_ + "/fifo";
  make(Make::Special, special);
#endif
  make(Make::Big, big);
  struct Row {
    std::string Ide, Scm;  // remembered paths; "" for none
    std::string File;      // a file of the start directory made special or big
    Make What;
    std::optional<std::string> Answer;  // the first dialog's answer
    std::string Message;                // "" for none
    bool Quits;
  };
  const Row rows[] = {
      {special, scm_, "", Make::Nothing, {}, "Couldn't open the .IDE file\r\n" + special, true},
      {big, scm_, "", Make::Nothing, ide_, FileTooLargeText(big), false},
      {"", scm_, "", Make::Nothing, special, "", true},
      {"", scm_, "", Make::Nothing, big, FileTooLargeText(big), true},
      {"", scm_, ideFile, Make::Special, ide_, "", false},
      {"", scm_, ideFile, Make::Big, ide_, FileTooLargeText(ideFile), false},
      {ide_, "", scmFile, Make::Special, scm_, "", false},
      {ide_, "", scmFile, Make::Big, scm_, FileTooLargeText(scmFile), false},
      {ide_, scm_, zoneFile, Make::Special, {}, "", false},
      {ide_, scm_, zoneFile, Make::Big, {}, FileTooLargeText(zoneFile), false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Ide + " " + row.Scm + " " + row.File);
    for (const std::string& file : {ideFile, scmFile, zoneFile}) fs::remove_all(file);
    make(row.What, row.File);
    if (!row.Ide.empty()) WriteFile(ideFile, row.Ide + "\r\n");
    if (!row.Scm.empty()) WriteFile(scmFile, row.Scm + "\r\n");
    ui_ = FakeUi();
    ui_.OpenAnswers = {row.Answer};
    state_ = std::make_unique<AppState>();
    PrepareStart(*state_, ui_, dir_);
    StartUp(*state_, ui_);
    EXPECT_EQ(Boxes(ui_), row.Message.empty() ? Lines{} : Lines{Box(row.Message)});
    EXPECT_EQ(ui_.OpenDialogs.size(), row.File == zoneFile ? 0u : 1u);
    EXPECT_EQ(state_->Flags.MustQuit, row.Quits);
    EXPECT_TRUE(state_->Zones.empty());
  }
}

TEST_F(CommandsTest, SpeedButtonsAndExitOnlyStoreOrAnswer) {
  Started();
  EXPECT_EQ(Run(Command::ScrollFaster), AfterCommand::Nothing);
  EXPECT_EQ(state_->Scroller.ScrollRequest(), 120);
  Run(Command::ScrollSlower);
  EXPECT_EQ(state_->Scroller.ScrollRequest(), -120);
  EXPECT_EQ(Run(Command::Exit), AfterCommand::SendClose);
  EXPECT_TRUE(ui_.Messages.empty() && ui_.OpenDialogs.empty() && ui_.SaveDialogs.empty());
}

TEST_F(CommandsTest, EditsReachTheFileOnlyThroughCommandsThatApply) {
  Started();
  ui_.Texts[Control::XPosEdit] = " 999";
  Select(2);  // choosing another block drops the typed value
  EXPECT_EQ(XPosInFile(1), 16);

  Select(1);
  ui_.Texts[Control::XPosEdit] = " 100";
  Run(Command::ApplyChanges);
  EXPECT_EQ(XPosInFile(1), 100);
  EXPECT_EQ(ui_.Texts[Control::XPosText], "6.25");  // shown again as stored

  ui_.Texts[Control::XPosEdit] = " 48";
  Run(Command::ToggleUnsafe);
  EXPECT_EQ(XPosInFile(1), 48);
  EXPECT_TRUE(state_->UnsafeVehiclesEnabled && ui_.Checks[Control::UnsafeCheck]);
  EXPECT_EQ(ui_.Items(Control::VehicleList).size(), 61u);

  // A refused edit is reported, and the switch flips back all the same.
  ui_.Texts[Control::XPosEdit] = "1.5";
  Run(Command::ToggleUnsafe);
  ASSERT_EQ(ui_.Messages.size(), 1u);
  EXPECT_EQ(ui_.Messages[0].Text.rfind("CANT APPLY CHANGES", 0), 0u);
  EXPECT_FALSE(state_->UnsafeVehiclesEnabled || ui_.Checks[Control::UnsafeCheck]);
  EXPECT_EQ(ui_.Items(Control::VehicleList).size(), 38u);
  EXPECT_EQ(XPosInFile(1), 48);
}

TEST_F(CommandsTest, PlugInMarkTogglesAfterTheSelectionChecks) {
  Started();
  Select(2);
  Run(Command::TogglePlugInMark);
  EXPECT_TRUE(state_->PlugInMarks[2] == 1 && ui_.Checks[Control::PlugInCheck]);
  Run(Command::TogglePlugInMark);
  EXPECT_FALSE(state_->PlugInMarks[2] == 1 || ui_.Checks[Control::PlugInCheck]);
  EXPECT_TRUE(ui_.Messages.empty());

  ui_.ComboSelect(Control::BlockList, -1);
  TogglePlugInMark(*state_, ui_);
  EXPECT_EQ(ui_.Beeps, 1);
  ui_.ComboAdd(Control::BlockList, "4");
  ui_.ComboSelect(Control::BlockList, 3);
  TogglePlugInMark(*state_, ui_);
  state_->Cars.Address[3] = 0;
  ui_.ComboSelect(Control::BlockList, 2);
  TogglePlugInMark(*state_, ui_);
  EXPECT_EQ(Boxes(ui_),
            (Lines{Box("qX > BlockCnt  qX= 4  BlockCnt= 3"), Box("INVALID ADDRESS: 0")}));
  EXPECT_EQ(state_->PlugInMarks[3] + state_->PlugInMarks[4], 0);
}

TEST_F(CommandsTest, LoadButtonsReloadAndShowBlockOne) {
  Started();
  Select(3);
  // Definitions dialog cancelled: the script is still reopened and block 1 shown.
  EXPECT_EQ(Run(Command::LoadDefinitions), AfterCommand::Nothing);
  EXPECT_TRUE(state_->Script.IsOpen());
  EXPECT_EQ(ui_.Combos[Control::BlockList].Selection, 0);

  CarBlock other = Car(101);
  other.XPos = -80;
  const std::string otherPath = WriteFile(dir_ + "/other.scm", ScriptBytes(70204, Spaced({other})));
  ui_.OpenAnswers = {std::nullopt, otherPath};
  Select(2);
  EXPECT_EQ(Run(Command::LoadMissionScript), AfterCommand::Nothing);  // cancelled
  EXPECT_EQ(ui_.Combos[Control::BlockList].Selection, 0);
  EXPECT_EQ(state_->Paths.MissionScriptPath, scm_);
  EXPECT_EQ(Run(Command::LoadMissionScript), AfterCommand::Nothing);
  EXPECT_EQ(ui_.Texts[Control::XPosEdit], "-80");
  EXPECT_TRUE(ui_.Messages.empty());

  // Fatal loads from either button end the program at once.
  ui_.OpenAnswers = {WriteFile(dir_ + "/few.ide", DefinitionsText(60))};
  EXPECT_EQ(Run(Command::LoadDefinitions), AfterCommand::PostQuit);
  std::string malformed = ScriptBytes(70204, Spaced({Car(100)}));
  malformed[65300 + 7] = 0x4C;
  const std::string gone = dir_ + "/gone.scm", empty = WriteFile(dir_ + "/empty.scm", "");
  const std::pair<Command, std::string> fatal[] = {
      {Command::LoadDefinitions, gone},
      {Command::LoadDefinitions, empty},
      {Command::LoadDefinitions, WriteFile(dir_ + "/bad.scm", malformed)},
      {Command::LoadMissionScript, gone},
      {Command::LoadMissionScript, empty}};
  for (const auto& [command, script] : fatal) {
    SCOPED_TRACE(script);
    Started();
    state_->Paths.MissionScriptPath = script;  // what the definitions reload reopens
    ui_.OpenAnswers = {command == Command::LoadMissionScript ? std::optional(script)
                                                             : std::nullopt};
    EXPECT_EQ(Run(command), AfterCommand::PostQuit);
  }
}

TEST_F(CommandsTest, ClosingClosesTheScriptAndShowsTheClosingMessage) {
  Started();
  Closing(*state_, ui_);
  EXPECT_FALSE(state_->Script.IsOpen());
  EXPECT_EQ(Boxes(ui_), Lines{Box("You must start a new game for any changes to take effect",
                                  MessageIcon::Information, false)});
}

}  // namespace
}  // namespace tovick
