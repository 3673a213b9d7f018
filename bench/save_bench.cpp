// tovick-cars on saved games, whole process (start, read, check, write, exit), as a player runs
// it: save list of one save, and save sync of a changed demo script into three saves, each
// written with its .bak (the saves are put back between runs, outside the timing) or only
// checked (--check). The bare process start they all pay is BM_CompanionHelpFloor.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "companion_process.h"
#include "gen/demo_data.h"
#include "gen/demo_save.h"

namespace {

using namespace tovick;
using tovick::bench::RunCompanion;
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
