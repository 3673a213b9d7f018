// The mission script file: opening without creating, the read-only fallback, positioned reads that
// see zeros past the end, and writes that touch only their own bytes.

#include "scm/script_file.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace tovick {
namespace {

namespace fs = std::filesystem;

class ScriptFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static std::atomic<int> counter{0};
    dir_ = fs::path(TOVICK_TEST_TMP) /
           ("script_file_" + std::to_string(counter++) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(dir_ / "file.scm", fs::perms::owner_all, ignored);
    fs::remove_all(dir_, ignored);
  }

  std::string MakeFile(const std::vector<std::uint8_t>& bytes) {
    const fs::path path = dir_ / "file.scm";
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return path.string();
  }

  static std::vector<std::uint8_t> Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  fs::path dir_;
};

const std::vector<std::uint8_t> kSample = {0x10, 0x20, 0x30, 0x40, 0x50, 0xFE};

TEST_F(ScriptFileTest, MissingFileIsNotOpenedAndNotCreated) {
  const std::string path = (dir_ / "absent.scm").string();
  ScriptFile file;
  EXPECT_FALSE(file.Open(path));
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(file.Mode(), ScriptFile::OpenMode::Closed);
  EXPECT_FALSE(fs::exists(path));
}

TEST_F(ScriptFileTest, DirectoryIsNotAScript) {
  ScriptFile file;
  EXPECT_FALSE(file.Open(dir_.string()));
  EXPECT_FALSE(file.IsOpen());
}

TEST_F(ScriptFileTest, ReadsBytesAndLittleEndianWordsWithZerosPastTheEnd) {
  ScriptFile file;
  ASSERT_TRUE(file.Open(MakeFile(kSample)));
  EXPECT_EQ(file.Mode(), ScriptFile::OpenMode::ReadWrite);
  EXPECT_EQ(file.Length(), 6);

  EXPECT_EQ(file.ReadByte(0), 0x10);
  EXPECT_EQ(file.ReadByte(5), 0xFE);
  EXPECT_EQ(file.ReadByte(6), 0);
  EXPECT_EQ(file.ReadByte(1000000), 0);
  EXPECT_EQ(file.ReadByte(-1), 0);

  EXPECT_EQ(file.ReadWord(1), 0x3020);
  EXPECT_EQ(file.ReadWord(5), 0x00FE);  // high byte lies past the end
  EXPECT_EQ(file.ReadWord(6), 0);

  std::vector<std::uint8_t> out(8, 0xAA);
  file.ReadBytes(3, out.data(), out.size());
  EXPECT_EQ(out, (std::vector<std::uint8_t>{0x40, 0x50, 0xFE, 0, 0, 0, 0, 0}));
}

TEST_F(ScriptFileTest, WritesChangeOnlyTheirOwnBytes) {
  const std::string path = MakeFile(kSample);
  {
    ScriptFile file;
    ASSERT_TRUE(file.Open(path));
    EXPECT_TRUE(file.WriteByte(2, 0x99));
    EXPECT_TRUE(file.WriteWord(3, 0xBEEF));
    // Visible to reads through the same handle at once.
    EXPECT_EQ(file.ReadByte(2), 0x99);
    EXPECT_EQ(file.ReadWord(3), 0xBEEF);
    EXPECT_EQ(file.Length(), 6);
  }
  EXPECT_EQ(Contents(path), (std::vector<std::uint8_t>{0x10, 0x20, 0x99, 0xEF, 0xBE, 0xFE}));
}

TEST_F(ScriptFileTest, ClosedFileReadsZerosAndRefusesWrites) {
  ScriptFile file;
  EXPECT_EQ(file.Length(), 0);
  EXPECT_EQ(file.ReadByte(0), 0);
  EXPECT_FALSE(file.WriteByte(0, 1));

  ASSERT_TRUE(file.Open(MakeFile(kSample)));
  file.Close();
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(file.ReadWord(0), 0);
  EXPECT_FALSE(file.WriteWord(0, 1));
  file.Close();  // closing twice is harmless
}

TEST_F(ScriptFileTest, OpeningAgainReleasesThePreviousFile) {
  const std::string path = MakeFile(kSample);
  ScriptFile file;
  ASSERT_TRUE(file.Open(path));
  // Without sharing, the same file can only be opened again once the first handle is gone.
  ASSERT_TRUE(file.Open(path));
  EXPECT_EQ(file.ReadByte(0), 0x10);
}

TEST_F(ScriptFileTest, ReadOnlyFileFallsBackAndRefusesWrites) {
  const std::string path = MakeFile(kSample);
  fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  // Root (also under Wine, which maps the read-only attribute to the permission bits) may write
  // to the file all the same.
  if (std::FILE* probe = std::fopen(path.c_str(), "r+b")) {
    std::fclose(probe);
    GTEST_SKIP() << "read-only files are writable for this user";
  }
  {
    ScriptFile file;
    ASSERT_TRUE(file.Open(path));
    EXPECT_EQ(file.Mode(), ScriptFile::OpenMode::ReadOnly);
    EXPECT_EQ(file.ReadByte(1), 0x20);
    EXPECT_FALSE(file.WriteByte(1, 0x77));
    EXPECT_FALSE(file.WriteWord(1, 0x7777));
  }
  EXPECT_EQ(Contents(path), kSample);
}

#ifdef _WIN32
TEST_F(ScriptFileTest, HeldFileCannotBeOpenedByAnother) {
  const std::string path = MakeFile(kSample);
  ScriptFile first;
  ASSERT_TRUE(first.Open(path));
  ScriptFile second;
  EXPECT_FALSE(second.Open(path));
  first.Close();
  EXPECT_TRUE(second.Open(path));
}
#endif

}  // namespace
}  // namespace tovick
