#include "editor/remembered_paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "text/text_lines.h"

namespace tovick {
namespace {

namespace fs = std::filesystem;

class RememberedPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::path(TOVICK_TEST_TMP) / "remembered_paths" / info->name();
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  std::string PathOf(const char* name) const { return (dir_ / name).string(); }
  std::string Contents(const char* name) const {
    std::string contents;
    EXPECT_TRUE(ReadWholeFile(PathOf(name), contents));
    return contents;
  }
  std::optional<std::string> Remembered(const char* name) const {
    std::string path;
    if (ReadRememberedPath(PathOf(name), path) != TextFileRead::Read) return std::nullopt;
    return path;
  }
  fs::path dir_;
};

TEST_F(RememberedPathTest, WritesExactlyOneLineAndReadsItBack) {
  const std::string path = "C:\\Games\\GTA3\\data\\main.scm";
  ASSERT_TRUE(RememberPath(PathOf(kScriptPathFile), path));
  EXPECT_EQ(Contents(kScriptPathFile), path + "\r\n");
  EXPECT_EQ(Remembered(kScriptPathFile), path);
}

TEST_F(RememberedPathTest, RewritingEmptiesTheOldContent) {
  ASSERT_TRUE(RememberPath(PathOf(kDefinitionsPathFile), std::string(250, 'a')));
  ASSERT_TRUE(RememberPath(PathOf(kDefinitionsPathFile), "D:\\x.ide"));
  EXPECT_EQ(Contents(kDefinitionsPathFile), "D:\\x.ide\r\n");
}

TEST_F(RememberedPathTest, MissingFileIsNotRememberedAndStaysMissing) {
  EXPECT_EQ(Remembered(kDefinitionsPathFile), std::nullopt);
  EXPECT_FALSE(fs::exists(PathOf(kDefinitionsPathFile)));
}

struct ReadCase {
  const char* Name;
  std::string Contents;
  std::string Expected;
};

class ReadRememberedPathTest : public RememberedPathTest,
                               public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ReadRememberedPathTest, UsesTheFirstLineOnly) {
  ASSERT_TRUE(WriteWholeFile(PathOf(kDefinitionsPathFile), GetParam().Contents));
  EXPECT_EQ(Remembered(kDefinitionsPathFile), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadRememberedPathTest,
    ::testing::Values(ReadCase{"Empty", "", ""}, ReadCase{"EmptyFirstLine", "\r\nC:\\a\r\n", ""},
                      ReadCase{"SecondLineIgnored", "C:\\a.ide\r\nanything\r\n", "C:\\a.ide"},
                      ReadCase{"NoLineEnd", "C:\\a.ide", "C:\\a.ide"},
                      ReadCase{"Cut299", std::string(300, 'p') + "\r\n", std::string(299, 'p')},
                      ReadCase{"Exactly299", std::string(299, 'q') + "\r\n", std::string(299, 'q')},
                      ReadCase{"EofMarker",
                               "\x1A"
                               "C:\\a\r\n",
                               ""}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(RememberedPathTest, UnwritableLocationReportsFailureAndCreatesNothing) {
  EXPECT_FALSE(RememberPath(PathOf("no-such-dir/MAINSCM.txt"), "C:\\a.scm"));
  EXPECT_FALSE(fs::exists(dir_ / "no-such-dir"));
}

}  // namespace
}  // namespace tovick
