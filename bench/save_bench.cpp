// tovick-cars on saved games, whole process (start, read, check, write, exit), as a player runs
// it: save list of one save, and save sync of a changed demo script into three saves, each
// written with its .bak (the saves are put back between runs, outside the timing) or only
// checked (--check); beside them the bare process start (--help) they all pay.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "gen/demo_data.h"
#include "gen/demo_save.h"

extern char** environ;

namespace {

using namespace tovick;
namespace fs = std::filesystem;

constexpr std::uint32_t kSeed = 4;
constexpr int kSaves = 3;

void WriteBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

// The demo script and its save, the changed script, and three copies of the save.
struct SaveBenchData {
  fs::path Dir;
  std::vector<std::uint8_t> Save;
  std::vector<std::string> SavePaths;

  SaveBenchData() {
    char dirTemplate[] = "/tmp/tovick-save-bench-XXXXXX";
    if (mkdtemp(dirTemplate) == nullptr) return;
    Dir = dirTemplate;
    const std::vector<std::uint8_t> script = demo::GenerateScript(kSeed);
    Save = demo::GenerateSave(kSeed, script);
    WriteBytes(Dir / "CHANGED.SCM", demo::GenerateScript(kSeed, {.Changed = true}));
    for (int i = 1; i <= kSaves; ++i) {
      SavePaths.push_back((Dir / ("GTA3sf" + std::to_string(i) + ".b")).string());
    }
    PutSavesBack();
  }
  ~SaveBenchData() {
    std::error_code ignored;
    if (!Dir.empty()) fs::remove_all(Dir, ignored);
  }
  void PutSavesBack() const {
    for (const std::string& path : SavePaths) WriteBytes(path, Save);
  }
  bool Ok() const { return !Dir.empty(); }
};

// Runs tovick-cars with the arguments, its output to /dev/null; its exit code, or -1.
int RunCompanion(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  std::string program = TOVICK_CARS_PATH;
  argv.push_back(program.data());
  std::vector<std::string> copies = args;
  for (std::string& arg : copies) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

// The reference: the process alone, starting and printing its help.
void BM_CompanionHelpProcess(benchmark::State& run) {
  int code = -1;
  for (auto _ : run) code = RunCompanion({"--help"});
  if (code != 0) run.SkipWithError("tovick-cars --help failed");
}
BENCHMARK(BM_CompanionHelpProcess)->Unit(benchmark::kMillisecond);

void BM_SaveListProcess(benchmark::State& run) {
  SaveBenchData data;
  int code = -1;
  for (auto _ : run) code = RunCompanion({"save", "list", data.SavePaths[0]});
  if (!data.Ok() || code != 0) run.SkipWithError("save list failed");
}
BENCHMARK(BM_SaveListProcess)->Unit(benchmark::kMillisecond);

void SyncThreeSaves(benchmark::State& run, bool check) {
  SaveBenchData data;
  std::vector<std::string> args = {"save", "sync"};
  if (check) args.emplace_back("--check");
  args.push_back((data.Dir / "CHANGED.SCM").string());
  args.insert(args.end(), data.SavePaths.begin(), data.SavePaths.end());
  int code = -1;
  for (auto _ : run) {
    run.PauseTiming();
    data.PutSavesBack();
    run.ResumeTiming();
    code = RunCompanion(args);
  }
  if (!data.Ok() || code != 0) run.SkipWithError("save sync failed");
}

void BM_SaveSyncThreeSavesProcess(benchmark::State& run) {
  SyncThreeSaves(run, false);
}
BENCHMARK(BM_SaveSyncThreeSavesProcess)->Unit(benchmark::kMillisecond);

void BM_SaveSyncCheckThreeSavesProcess(benchmark::State& run) {
  SyncThreeSaves(run, true);
}
BENCHMARK(BM_SaveSyncCheckThreeSavesProcess)->Unit(benchmark::kMillisecond);

}  // namespace
