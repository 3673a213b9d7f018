// The mission script file: opening without creating, the read-only fallback, positioned reads that
// see zeros past the end, and writes that touch only their own bytes.

#include "scm/script_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/faulty_file_io.h"

namespace tovick {
namespace {

namespace fs = std::filesystem;

const std::vector<std::uint8_t> kSample = {0x10, 0x20, 0x30, 0x40, 0x50, 0xFE};

class ScriptFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(TOVICK_TEST_TMP) /
           (std::string("script_file_") +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    path_ = (dir_ / "MAIN.SCM").string();
    std::ofstream(path_, std::ios::binary)
        .write(reinterpret_cast<const char*>(kSample.data()), kSample.size());
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(path_, fs::perms::owner_all, ignored);
    fs::remove_all(dir_, ignored);
  }

  std::vector<std::uint8_t> Contents() const {
    std::ifstream in(path_, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  fs::path dir_;
  std::string path_;
};

TEST_F(ScriptFileTest, OnlyExistingFilesOpen) {
  const std::string missing = (dir_ / "absent.scm").string();
  ScriptFile file;
  EXPECT_FALSE(file.Open(missing));
  EXPECT_FALSE(fs::exists(missing));
  EXPECT_FALSE(file.Open(dir_.string()));
  EXPECT_EQ(file.Mode(), ScriptFile::OpenMode::Closed);
  // Closed: reads see zeros, writes fail.
  EXPECT_EQ(file.Length(), 0);
  EXPECT_EQ(file.ReadWord(0), 0);
  EXPECT_FALSE(file.WriteByte(0, 1));
}

TEST_F(ScriptFileTest, ReadsLittleEndianWithZerosPastTheEnd) {
  ScriptFile file;
  ASSERT_TRUE(file.Open(path_));
  EXPECT_EQ(file.Mode(), ScriptFile::OpenMode::ReadWrite);
  EXPECT_EQ(file.Length(), 6);
  EXPECT_EQ(file.ReadByte(5), 0xFE);
  EXPECT_EQ(file.ReadByte(6), 0);
  EXPECT_EQ(file.ReadByte(1000000), 0);
  EXPECT_EQ(file.ReadWord(1), 0x3020);
  EXPECT_EQ(file.ReadWord(5), 0x00FE);  // high byte past the end
  std::vector<std::uint8_t> out(5, 0xAA);
  file.ReadBytes(3, out.data(), out.size());
  EXPECT_EQ(out, (std::vector<std::uint8_t>{0x40, 0x50, 0xFE, 0, 0}));
}

TEST_F(ScriptFileTest, WritesChangeOnlyTheirOwnBytes) {
  {
    ScriptFile file;
    ASSERT_TRUE(file.Open(path_));
    EXPECT_TRUE(file.WriteByte(2, 0x99));
    EXPECT_TRUE(file.WriteWord(3, 0xBEEF));
    EXPECT_EQ(file.ReadWord(3), 0xBEEF);
    // Opening again releases the held file first, or the unshared open would fail.
    ASSERT_TRUE(file.Open(path_));
  }
  EXPECT_EQ(Contents(), (std::vector<std::uint8_t>{0x10, 0x20, 0x99, 0xEF, 0xBE, 0xFE}));
}

TEST_F(ScriptFileTest, ReadOnlyFileFallsBackAndRefusesWrites) {
  fs::permissions(path_, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  // Root (also under Wine, which maps the read-only attribute to the permission bits) may write
  // to the file all the same.
  if (std::FILE* probe = std::fopen(path_.c_str(), "r+b")) {
    std::fclose(probe);
    GTEST_SKIP() << "read-only files are writable for this user";
  }
  {
    ScriptFile file;
    ASSERT_TRUE(file.Open(path_));
    EXPECT_EQ(file.Mode(), ScriptFile::OpenMode::ReadOnly);
    EXPECT_EQ(file.ReadByte(1), 0x20);
    EXPECT_FALSE(file.WriteByte(1, 0x77));
    EXPECT_FALSE(file.WriteWord(1, 0x7777));
  }
  EXPECT_EQ(Contents(), kSample);
}

// The faults a file system can bring, made on purpose under the script file.
TEST_F(ScriptFileTest, RefusedWritesReportFailureAndReadOnlyOpensNeverWrite) {
  testing::FaultyFileIo io;
  {
    ScriptFile file;
    file.SetFileIo(io);
    io.WriteLimit = 6;
    ASSERT_TRUE(file.Open(path_));
    EXPECT_TRUE(file.WriteByte(5, 0x11));
    EXPECT_FALSE(file.WriteWord(5, 0x2222));  // its second byte would lie past the limit
    io.RefuseWritableOpen = true;
    ASSERT_TRUE(file.Open(path_));
    EXPECT_EQ(file.Mode(), ScriptFile::OpenMode::ReadOnly);
    EXPECT_EQ(file.ReadByte(5), 0x11);
    EXPECT_FALSE(file.WriteByte(0, 0x33));
  }
  EXPECT_EQ(io.RefusedWrites, 1);  // the read-only file never tried
  std::vector<std::uint8_t> expected = kSample;
  expected[5] = 0x11;
  EXPECT_EQ(Contents(), expected);
}

#ifdef _WIN32
TEST_F(ScriptFileTest, HeldFileCannotBeOpenedByAnother) {
  ScriptFile first;
  ASSERT_TRUE(first.Open(path_));
  ScriptFile second;
  EXPECT_FALSE(second.Open(path_));
  first.Close();
  EXPECT_TRUE(second.Open(path_));
}
#endif

}  // namespace
}  // namespace tovick
