#include "text/text_lines.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tovick {
namespace {

namespace fs = std::filesystem;

using namespace std::string_literals;

std::vector<std::string> ReadAllLines(const std::string& data) {
  LineReader reader(data);
  std::vector<std::string> lines;
  while (!reader.AtEnd()) lines.push_back(reader.ReadLine());
  return lines;
}

struct LinesCase {
  const char* Name;
  std::string Data;
  std::vector<std::string> Expected;
};

class LineReaderTest : public ::testing::TestWithParam<LinesCase> {};

TEST_P(LineReaderTest, SplitsLines) {
  EXPECT_EQ(ReadAllLines(GetParam().Data), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LineReaderTest,
    ::testing::Values(LinesCase{"CrLf", "abc\r\n", {"abc"}},
                      LinesCase{"CrCrLf", "abc\r\r\n", {"abc", ""}},
                      LinesCase{"LoneLfIsOrdinary", "a\nb\r\n", {"a\nb"}},
                      LinesCase{"LfOnlyFileIsOneLine", "a\nb\nc\n", {"a\nb\nc\n"}},
                      LinesCase{"NoTerminator", "abc", {"abc"}}, LinesCase{"Empty", "", {}},
                      LinesCase{"TwoLines", "a\r\nb\r\n", {"a", "b"}},
                      LinesCase{"EmptySecondLine", "a\r\n\r\n", {"a", ""}},
                      LinesCase{"OnlyOneLfEaten", "a\r\n\nb", {"a", "\nb"}},
                      LinesCase{"LoneCr", "a\rb", {"a", "b"}}, LinesCase{"OnlyCrLf", "\r\n", {""}},
                      LinesCase{"EofMarkerEndsLineAndFile",
                                "a\x1A"
                                "b\r\nc\r\n",
                                {"a"}},
                      LinesCase{"EofMarkerAfterLine",
                                "a\r\n\x1A"
                                "b\r\n",
                                {"a"}},
                      LinesCase{"EofMarkerFirst",
                                "\x1A"
                                "abc",
                                {}},
                      LinesCase{"NulEndsContent", "ab\0cd\r\nef"s, {"ab", "ef"}},
                      LinesCase{"NulThenLf", "ab\0c\nd\r\ne"s, {"ab", "e"}},
                      LinesCase{"EofMarkerAfterNul", "ab\0cd\x1A\r\nef"s, {"ab"}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(LineReader, CutsLongLinesButConsumesThemWhole) {
  for (const std::size_t length : {9003u, 9004u, 9005u, 20000u}) {
    const std::string data = std::string(length, 'x') + "\r\nnext\r\n";
    LineReader reader(data);
    EXPECT_EQ(reader.ReadLine(9004).size(), std::min<std::size_t>(length, 9004)) << length;
    ASSERT_FALSE(reader.AtEnd());
    EXPECT_EQ(reader.ReadLine(9004), "next");
    EXPECT_TRUE(reader.AtEnd());
  }
}

TEST(LineReader, UnlimitedReadKeepsVeryLongLines) {
  const std::string data = std::string(100000, 'y') + "\r\n";
  LineReader reader(data);
  EXPECT_EQ(reader.ReadLine().size(), 100000u);
  EXPECT_TRUE(reader.AtEnd());
}

TEST(LineReader, ReadingPastTheEndGivesEmptyText) {
  LineReader reader("a\x1A");
  EXPECT_EQ(reader.ReadLine(), "a");
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_EQ(reader.ReadLine(), "");
  EXPECT_TRUE(reader.AtEnd());
}

TEST(WriteLine, AppendsCrLf) {
  std::string out;
  WriteLine(out, "abc");
  WriteLine(out, "");
  WriteLine(out, "\"q\"");
  EXPECT_EQ(out, "abc\r\n\r\n\"q\"\r\n");
}

class WholeFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::path(TOVICK_TEST_TMP) / "text_lines" / info->name();
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  std::string PathOf(const char* name) const { return (dir_ / name).string(); }
  fs::path dir_;
};

TEST_F(WholeFileTest, RoundTripsEveryByte) {
  const std::string bytes = "line\r\n\x1A\0\xFF end"s;
  ASSERT_TRUE(WriteWholeFile(PathOf("f.bin"), bytes));
  std::string read;
  ASSERT_TRUE(ReadWholeFile(PathOf("f.bin"), read));
  EXPECT_EQ(read, bytes);
}

TEST_F(WholeFileTest, WritingEmptiesAnExistingFile) {
  ASSERT_TRUE(WriteWholeFile(PathOf("f.txt"), std::string(5000, 'a')));
  ASSERT_TRUE(WriteWholeFile(PathOf("f.txt"), "b"));
  std::string read = "stale";
  ASSERT_TRUE(ReadWholeFile(PathOf("f.txt"), read));
  EXPECT_EQ(read, "b");
}

TEST_F(WholeFileTest, ReadingAMissingFileFailsAndCreatesNothing) {
  std::string read;
  EXPECT_FALSE(ReadWholeFile(PathOf("missing.txt"), read));
  EXPECT_FALSE(fs::exists(dir_ / "missing.txt"));
}

// Only regular files are text files: a directory or a device fails at once, and so does a FIFO,
// whose open would otherwise wait for a writer (or, to write it, a reader) forever.
TEST_F(WholeFileTest, ReadingOrWritingAnythingButARegularFileFails) {
  std::string read;
  EXPECT_FALSE(ReadWholeFile(dir_.string(), read));
  EXPECT_FALSE(WriteWholeFile(dir_.string(), "x"));
#ifdef _WIN32
  EXPECT_FALSE(ReadWholeFile("NUL", read));
#else
  EXPECT_FALSE(ReadWholeFile("/dev/null", read));
  ASSERT_EQ(mkfifo(PathOf("fifo").c_str(), 0600), 0);
  EXPECT_FALSE(ReadWholeFile(PathOf("fifo"), read));
  EXPECT_FALSE(WriteWholeFile(PathOf("fifo"), "x"));
#endif
}

// The bound holds for the file's length and for what is read: a file one byte over it is refused
// whole, whatever it holds.
TEST_F(WholeFileTest, ReadingStopsAtTheSizeBound) {
  for (const std::size_t size : {kMaxTextFileBytes, kMaxTextFileBytes + 1}) {
    std::ofstream(PathOf("big.txt"), std::ios::binary).close();
    fs::resize_file(PathOf("big.txt"), size);
    std::string read = "stale";
    const bool fits = size <= kMaxTextFileBytes;
    EXPECT_EQ(ReadTextFile(PathOf("big.txt"), read),
              fits ? TextFileRead::Read : TextFileRead::TooLarge);
    EXPECT_EQ(read.size(), fits ? size : 0u);
  }
  EXPECT_EQ(TooLargeReason(), "larger than 16 MiB");
}

TEST_F(WholeFileTest, WritingIntoAMissingDirectoryFails) {
  EXPECT_FALSE(WriteWholeFile(PathOf("no-such-dir/f.txt"), "x"));
}

}  // namespace
}  // namespace tovick
