#include "editor/load_definitions.h"

#include <gtest/gtest.h>

#include "support/test_data.h"

namespace tovick {
namespace {

using namespace tovick::testing;

class LoadDefinitionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = FreshTestDir();
    state_.Paths.StartDirectory = dir_ + "/";
    state_.Paths.DialogStartDirectory = dir_;
    // Every definitions load closes the script.
    ASSERT_TRUE(state_.Script.Open(WriteFile(dir_ + "/MAIN.SCM", ScriptBytes(70204, {}))));
  }

  std::string dir_;
  AppState state_;
  FakeUi ui_;
};

TEST_F(LoadDefinitionsTest, ChosenFileIsLoadedAndRemembered) {
  const std::string path = WriteFile(dir_ + "/DEFAULT.IDE", DefinitionsText(62));
  ui_.OpenAnswers = {path};
  PromptForDefinitions(state_, ui_);

  ASSERT_EQ(ui_.OpenDialogs.size(), 1u);
  const FileDialogRequest& request = ui_.OpenDialogs[0];
  EXPECT_EQ(Lines({request.Title, request.FileName, request.FilterDescription,
                   request.FilterPattern, request.InitialDirectory}),
            Lines({"Load DEFAULT.IDE", "*.IDE", ".IDE FILES (*.IDE)", "*.*", dir_}));
  EXPECT_TRUE(ui_.Messages.empty());
  EXPECT_TRUE(state_.Flags.LoadSucceeded);
  EXPECT_FALSE(state_.Script.IsOpen());
  EXPECT_EQ(state_.Vehicles.HighestVehicleId, 151);
  EXPECT_EQ(ui_.Items(Control::SearchList).size(), 62u);
  EXPECT_EQ(ui_.Items(Control::SearchList).back(), "VEHICLE151");
  EXPECT_EQ(ReadFile(dir_ + "/DEFIDE.txt"), path + "\r\n");
  EXPECT_EQ(ui_.Texts[Control::DefinitionsPathLine], "  " + path);
}

TEST_F(LoadDefinitionsTest, CancelledPromptChangesNothing) {
  state_.Paths.DefinitionsPath = "C:\\GAME\\DATA\\DEFAULT.IDE";
  PromptForDefinitions(state_, ui_);
  EXPECT_EQ(state_.Paths.DefinitionsPath, "C:\\GAME\\DATA\\DEFAULT.IDE");
  EXPECT_TRUE(state_.Script.IsOpen());
  EXPECT_FALSE(state_.Flags.LoadSucceeded || state_.Flags.MustQuit);
}

TEST_F(LoadDefinitionsTest, FailedLoadsEndTheProgramAndRememberNothing) {
  const std::string missing = dir_ + "/missing.ide";
  struct Row {
    std::string Path;
    Lines Messages;
    std::size_t SearchItems;
  };
  const Row rows[] = {
      {WriteFile(dir_ + "/60.ide", DefinitionsText(60)),
       {Box(" 1 car(s) missing. Please use the original DEFAULT.IDE")},
       60},
      {WriteFile(dir_ + "/empty.ide", ""),
       {Box(" 61 car(s) missing. Please use the original DEFAULT.IDE")},
       0},
      {missing, {}, 1},  // silent, and nothing read
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Path);
    AppState state;
    FakeUi ui;
    state.Paths.StartDirectory = dir_ + "/";
    state.Paths.DefinitionsPath = row.Path;
    ui.ComboAdd(Control::SearchList, "KEPT");
    LoadDefinitions(state, ui);
    EXPECT_EQ(Boxes(ui), row.Messages);
    EXPECT_TRUE(state.Flags.MustQuit);
    EXPECT_FALSE(state.Flags.LoadSucceeded);
    EXPECT_EQ(ui.Items(Control::SearchList).size(), row.SearchItems);
    EXPECT_EQ(ui.Texts[Control::DefinitionsPathLine], "");
  }
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/DEFIDE.txt"));
  EXPECT_FALSE(std::filesystem::exists(missing));
}

}  // namespace
}  // namespace tovick
