// The one reader and the one writer of whole files, and the check that no output is an input:
// the failures that would lose a player's save or leave a script half written.

#include <sys/stat.h>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#endif

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "scm/file_in_one_step.h"
#include "scm/file_uses.h"
#include "scm/whole_file.h"
#include "support/faulty_file_io.h"

namespace tovick {
namespace {

namespace fs = std::filesystem;

class FileFloorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(TOVICK_TEST_TMP) /
           (std::string("file_floor_") +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  std::string Make(const std::string& name, const std::string& contents) const {
    std::ofstream(Path(name), std::ios::binary) << contents;
    return Path(name);
  }
  static std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir_;
  testing::FaultyFileIo io_;
};

TEST_F(FileFloorTest, ReadsWholeOrRefusesNeverZeros) {
  const std::string sample = Make("MAIN.SCM", std::string("\x02\x00\x01\x4B", 4) + "cars");
  struct Case {
    const char* Name;
    std::string Path;
    std::int64_t Bound;
    std::optional<std::size_t> ReadLimit;
    WholeFileRead Expected;
  };
  const Case cases[] = {
      {"whole", sample, 8, std::nullopt, WholeFileRead::Read},
      {"short read", sample, 8, 5, WholeFileRead::CannotOpen},
      {"above the bound", sample, 7, std::nullopt, WholeFileRead::TooLarge},
      {"empty", Make("empty.b", ""), 8, std::nullopt, WholeFileRead::Read},
      {"folder", dir_.string(), 8, std::nullopt, WholeFileRead::CannotOpen},
      {"missing", Path("absent"), 8, std::nullopt, WholeFileRead::CannotOpen},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    io_.ReadLimit = c.ReadLimit;
    WholeFile file;
    EXPECT_EQ(file.Open(io_, c.Path, c.Bound), c.Expected);
    const std::string read(file.Bytes().begin(), file.Bytes().end());
    EXPECT_EQ(read, c.Expected == WholeFileRead::Read ? Contents(c.Path) : "");
  }
#ifndef _WIN32
  // A FIFO with no writer must not hold the read up.
  ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0600), 0);
  WholeFile fifo;
  EXPECT_EQ(fifo.Open(PlatformFileIo(), Path("pipe"), 8), WholeFileRead::CannotOpen);
#endif
}

TEST_F(FileFloorTest, WritesInOneStepAndLeavesNothingBehindOnFailure) {
  const std::string path = Make("GTA3sf1.b", "old");
  io_.WriteLimit = 2;
  EXPECT_EQ(WriteFileInOneStep(io_, path, "new"), OneStepWrite::NotWritten);
  io_.WriteLimit.reset();
  io_.RefuseWritableOpen = true;
  EXPECT_EQ(WriteFileInOneStep(io_, path, "new"), OneStepWrite::NotPermitted);
  EXPECT_EQ(CheckWritable(io_, path), OneStepWrite::NotPermitted);
  io_.RefuseWritableOpen = false;
  EXPECT_EQ(WriteFileInOneStep(io_, dir_.string(), "new"), OneStepWrite::NotPermitted);
  EXPECT_EQ(Contents(path), "old");
  EXPECT_EQ(Names(), std::vector<std::string>{"GTA3sf1.b"});

  // A new file left by a run killed outright stops the next one, which names it and keeps it.
  Make("GTA3sf1.b.new", "half");
  EXPECT_EQ(CheckWritable(io_, path), OneStepWrite::InTheWay);
  EXPECT_EQ(WriteFileInOneStep(io_, path, "new"), OneStepWrite::InTheWay);
  EXPECT_NE(OneStepProblem(io_, OneStepWrite::InTheWay, path).find(path + ".new"),
            std::string::npos);
  EXPECT_EQ(Contents(path + ".new"), "half");
  fs::remove(path + ".new");

  EXPECT_EQ(WriteFileInOneStep(io_, path, "new"), OneStepWrite::Written);
  EXPECT_EQ(WriteFileInOneStep(io_, Path("made.svg"), ""), OneStepWrite::Written);
  EXPECT_EQ(Contents(path), "new");
  EXPECT_EQ(Names(), (std::vector<std::string>{"GTA3sf1.b", "made.svg"}));
}

#ifndef _WIN32
TEST_F(FileFloorTest, FollowsLinksAndKeepsTheMode) {
  const std::string real = Make("real.b", "old");
  ::chmod(real.c_str(), 0640);
  fs::create_directories(dir_ / "saves");
  fs::create_symlink("../real.b", dir_ / "saves" / "GTA3sf1.b");
  const std::string link = Path("saves/GTA3sf1.b");

  ASSERT_EQ(WriteFileInOneStep(io_, link, "new"), OneStepWrite::Written);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(Contents(real), "new");
  struct stat info {};
  ASSERT_EQ(::stat(real.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);

  // A dangling link is made good: the file it names is created.
  fs::create_symlink("made.b", dir_ / "dangling.b");
  ASSERT_EQ(WriteFileInOneStep(io_, Path("dangling.b"), "made"), OneStepWrite::Written);
  EXPECT_EQ(Contents(Path("made.b")), "made");
}

TEST_F(FileFloorTest, AnInterruptedRunRemovesItsNewFile) {
  const std::string newName = Path("MAIN.SCM.new");
  for (const int signal : {SIGINT, SIGTERM}) {
    const pid_t child = ::fork();
    if (child == 0) {
      if (PlatformFileIo().Create(newName) == FileIo::kNoFile) ::_exit(2);
      ::raise(signal);
      ::_exit(3);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
    EXPECT_FALSE(fs::exists(newName));
  }
}
#endif

TEST_F(FileFloorTest, AnOutputMayNotBeAnInputOrAnotherOutput) {
  const std::string script = Make("MAIN.SCM", "script");
  const std::string save = Make("a.b", "save");
  const std::string other = Make("b.b", "other");
  std::error_code noLinks;
  fs::create_symlink("MAIN.SCM", dir_ / "link.scm", noLinks);
  struct Case {
    const char* Name;
    // 'i'nput, 'o'utput, 'b'ackup (an output said to be one), in 'p'lace
    std::vector<std::pair<char, std::string>> Uses;
    std::optional<std::pair<std::string, std::string>> Overlap;
  };
  const std::string dotted = (dir_ / "." / "MAIN.SCM").string();
  std::vector<Case> cases = {
      {"output onto the input", {{'i', script}, {'o', dotted}}, std::pair(script, dotted)},
      {"one input twice", {{'i', script}, {'i', dotted}}, std::nullopt},
      {"a script applied in place", {{'i', Path("p.TOVICK1")}, {'p', script}}, std::nullopt},
      {"a backup onto another save",
       {{'i', script}, {'p', save}, {'b', save + ".bak"}, {'p', save + ".bak"}},
       std::pair(save + ".bak (a backup)", save + ".bak")},
      {"one save twice", {{'p', save}, {'p', dotted.substr(0, dotted.size() - 8) + "a.b"}},
       std::pair(save, dotted.substr(0, dotted.size() - 8) + "a.b")},
      {"two new outputs of one name", {{'o', Path("x.svg")}, {'o', Path("./x.svg")}},
       std::pair(Path("x.svg"), Path("./x.svg"))},
      {"separate files", {{'p', save}, {'p', other}, {'o', Path("new.svg")}}, std::nullopt},
  };
  if (!noLinks) {
    cases.push_back({"through a link", {{'i', script}, {'o', Path("link.scm")}},
                     std::pair(script, Path("link.scm"))});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    FileUses uses;
    for (const auto& [role, path] : c.Uses) {
      if (role == 'i') uses.Input(path);
      if (role == 'o') uses.Output(path);
      if (role == 'b') uses.Output(path, "a backup");
      if (role == 'p') uses.InPlace(path);
    }
    EXPECT_EQ(uses.FindOverlap(io_), c.Overlap);
  }
}

}  // namespace
}  // namespace tovick
