#include "editor/load_script.h"

#include <gtest/gtest.h>

#include "support/faulty_file_io.h"
#include "support/test_data.h"

namespace tovick {
namespace {

using namespace tovick::testing;

class LoadScriptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = FreshTestDir();
    state_.Paths.StartDirectory = dir_ + "/";
    state_.Paths.DialogStartDirectory = dir_;
  }

  void LoadFrom(const std::string& path) {
    state_.Paths.MissionScriptPath = path;
    LoadMissionScript(state_, ui_);
  }

  std::string dir_;
  FaultyFileIo io_;  // outlives the script file that calls it
  AppState state_;
  FakeUi ui_;
};

TEST_F(LoadScriptTest, LoadListsTheBlocksAndTurnsTheUnsafeSwitchOff) {
  const std::string path =
      WriteFile(dir_ + "/MAIN.SCM", ScriptBytes(80000, Spaced({Car(100), Car(140, true)})));
  state_.UnsafeVehiclesEnabled = ui_.Checks[Control::UnsafeCheck] = true;
  ui_.ComboAdd(Control::BlockList, "stale");
  LoadFrom(path);

  EXPECT_TRUE(ui_.Messages.empty());
  EXPECT_FALSE(state_.Flags.MustQuit || state_.Flags.CarTableError);
  EXPECT_EQ(ui_.Items(Control::BlockList), (Lines{"1", "2"}));
  EXPECT_EQ(state_.Cars.Address[2], 65340);
  EXPECT_EQ(ui_.Texts[Control::ScriptPathLine], "  " + path);
  EXPECT_FALSE(state_.UnsafeVehiclesEnabled || ui_.Checks[Control::UnsafeCheck]);
}

TEST_F(LoadScriptTest, FailedLoadsKeepThePathBoxAndReportTheirOwnMessage) {
  // The shortest file holds a whole block at its very end; one byte less is refused.
  const std::vector<PlacedBlock> lastBlock = {{70170, Car(100)}};
  LoadFrom(WriteFile(dir_ + "/exact.scm", ScriptBytes(70204, lastBlock)));
  ASSERT_EQ(ui_.Items(Control::BlockList), Lines{"1"});

  std::string malformed = ScriptBytes(70204, Spaced({Car(100), Car(101), Car(102)}));
  malformed[65380 + 21] = 0x06;  // third block's width marker
  const std::string shortPath = WriteFile(dir_ + "/short.scm", ScriptBytes(70203, lastBlock));
  struct Row {
    std::string Path;
    Lines Messages, Blocks;
    bool MustQuit, CarTableError;
  };
  const Row rows[] = {
      {shortPath, {Box("Length of \r\n" + shortPath + "\r\n( 70203) too short")}, {}, true, false},
      {dir_ + "/gone.scm", {Box("Couldn't open the .SCM file")}, {}, true, false},
      {WriteFile(dir_ + "/bad.scm", malformed), {}, {"1", "2"}, false, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Path);
    AppState state;
    FakeUi ui;
    ui.Texts[Control::ScriptPathLine] = "  previous";
    state.Paths.MissionScriptPath = row.Path;
    LoadMissionScript(state, ui);
    EXPECT_EQ(Boxes(ui), row.Messages);
    EXPECT_EQ(ui.Items(Control::BlockList), row.Blocks);
    EXPECT_EQ(state.Flags.MustQuit, row.MustQuit);
    EXPECT_EQ(state.Flags.CarTableError, row.CarTableError);
    EXPECT_EQ(ui.Texts[Control::ScriptPathLine], "  previous");
  }
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/gone.scm"));
}

TEST_F(LoadScriptTest, ReadOnlyScriptWarnsThatChangesCannotBeWritten) {
  const std::string path = WriteFile(dir_ + "/ro.scm", ScriptBytes(70204, Spaced({Car(100)})));
  std::filesystem::permissions(path, std::filesystem::perms::owner_read);
  // Root, and Wine, open a read-only file for writing all the same.
  io_.RefuseWritableOpen = true;
  state_.Script.SetFileIo(io_);
  LoadFrom(path);
  EXPECT_EQ(Boxes(ui_), Lines{Box("The .SCM file is read-only. Changes can't be written to it.",
                                  MessageIcon::Exclamation)});
  EXPECT_EQ(state_.Cars.BlockCnt, 1);
}

TEST_F(LoadScriptTest, DialogChoiceIsLoadedRememberedAndClearsTheOldMarks) {
  const std::string oldPath = WriteFile(dir_ + "/old.scm", ScriptBytes(70204, Spaced({Car(100)})));
  LoadFrom(oldPath);
  state_.PlugInMarks[1] = state_.PlugInMarks[2] = 1;

  // Cancelled: everything stays as loaded.
  ChooseMissionScript(state_, ui_);
  ASSERT_EQ(ui_.OpenDialogs.size(), 1u);
  const FileDialogRequest& request = ui_.OpenDialogs[0];
  EXPECT_EQ(Lines({request.Title, request.FileName, request.FilterDescription,
                   request.FilterPattern, request.InitialDirectory}),
            Lines({"Load the MAIN.SCM file", "*.SCM", ".SCM FILES (*.SCM)", "*.*", dir_}));
  EXPECT_FALSE(state_.Flags.LoadSucceeded);
  EXPECT_EQ(state_.Paths.MissionScriptPath, oldPath);
  EXPECT_TRUE(state_.Script.IsOpen());
  EXPECT_EQ(state_.PlugInMarks[1], 1);
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/MAINSCM.txt"));

  // A table that turns out malformed is kept but not remembered.
  std::string malformed = ScriptBytes(70204, Spaced({Car(101), Car(102)}));
  malformed[65340 + 24] = 0x00;  // a strict 0xFF of the second block
  ui_.OpenAnswers = {WriteFile(dir_ + "/bad.scm", malformed)};
  ChooseMissionScript(state_, ui_);
  EXPECT_FALSE(state_.Flags.LoadSucceeded);
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/MAINSCM.txt"));

  const std::string path = WriteFile(dir_ + "/new.scm", ScriptBytes(70204, Spaced({Car(102)})));
  ui_.OpenAnswers = {path};
  state_.PlugInMarks[1] = 1;
  ChooseMissionScript(state_, ui_);
  EXPECT_TRUE(state_.Flags.LoadSucceeded);
  EXPECT_EQ(ReadFile(dir_ + "/MAINSCM.txt"), path + "\r\n");
  EXPECT_EQ(state_.PlugInMarks[1], 0);
  EXPECT_EQ(state_.PlugInMarks[2], 1);  // beyond the table loaded before
}

}  // namespace
}  // namespace tovick
