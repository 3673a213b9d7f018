// tovick-cars on saved games, whole process (start, read, check, write, exit), as a player runs
// it, on three saves of three platforms (PC, Android, PS2) made with the demo script: save list of
// each, and save sync of a changed script into the three, written with their .bak (the saves are
// put back between runs, outside the timing) or only checked (--check). Each case also times the
// bare process start (--help) in the same run and prints its ratio to it as xFloor: the aims are
// list within 1.5x and a sync --check of three within 2x.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "companion_process.h"
#include "gen/demo_data.h"
#include "gen/demo_save.h"
#include "save/save_listing.h"

namespace {

using namespace tovick;
using tovick::bench::RunCompanion;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kSeed = 4;
constexpr SavePlatform kPlatforms[] = {SavePlatform::Pc, SavePlatform::Android, SavePlatform::Ps2};
constexpr int kFloorRuns = 20;

void WriteBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

// 160 records: every slot in use of the demo saves moved and given another alarm, the rest new
// generators of the models the save holds (so that each takes a box).
void WriteImportFile(const fs::path& path, const std::vector<std::uint8_t>& save) {
  const std::vector<GeneratorSlot> slots = SlotsInUse(save, *ReadSaveLayout(save).Layout);
  std::string json = "{\"slots\": [";
  for (std::size_t i = 0; i < kGeneratorSlotCount; ++i) {
    const std::int32_t model = slots[i % slots.size()].Model;
    json += std::string(i == 0 ? "" : ",") + "\n {\"slot\": " + std::to_string(i) +
            (i < slots.size() ? "" : ", \"model\": " + std::to_string(model < 90 ? 90 : model)) +
            ", \"x\": " + std::to_string(-1500 + static_cast<int>(i) * 16) +
            ".5625, \"y\": " + std::to_string(i * 7) +
            ", \"z\": 12.25, \"alarm\": " + std::to_string(i % 50) + "}";
  }
  std::ofstream(path, std::ios::binary) << json << "]}\n";
}

// The demo script's saves of the three platforms, the changed script and an import file.
struct SaveBenchData {
  fs::path Dir;
  std::vector<std::vector<std::uint8_t>> Saves;
  std::vector<std::string> SavePaths;

  SaveBenchData() {
    char dirTemplate[] = "/tmp/tovick-save-bench-XXXXXX";
    if (mkdtemp(dirTemplate) == nullptr) return;
    Dir = dirTemplate;
    const std::vector<std::uint8_t> script = demo::GenerateScript(kSeed);
    WriteBytes(Dir / "CHANGED.SCM", demo::GenerateScript(kSeed, {.Changed = true}));
    for (const SavePlatform platform : kPlatforms) {
      Saves.push_back(demo::GenerateSave(kSeed, script, platform));
      SavePaths.push_back((Dir / ("GTA3sf" + std::to_string(Saves.size()) + ".b")).string());
    }
    WriteImportFile(Dir / "IMPORT.json", Saves.front());
    PutSavesBack();
  }
  ~SaveBenchData() {
    std::error_code ignored;
    if (!Dir.empty()) fs::remove_all(Dir, ignored);
  }
  void PutSavesBack() const {
    for (std::size_t i = 0; i < Saves.size(); ++i) WriteBytes(SavePaths[i], Saves[i]);
  }
  bool Ok() const { return !Dir.empty(); }
};

double Seconds(Clock::duration duration) {
  return std::chrono::duration<double>(duration).count();
}

// The mean wall time of the process that only prints its help, measured now.
double FloorSeconds() {
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < kFloorRuns; ++i) RunCompanion({"--help"});
  return Seconds(Clock::now() - start) / kFloorRuns;
}

// Times each run of args, the saves put back before it when written, and sets xFloor.
void RunTimed(benchmark::State& run, const SaveBenchData& data,
              const std::vector<std::vector<std::string>>& commands, bool putBack) {
  if (!data.Ok()) {
    run.SkipWithError("cannot create the bench saves");
    return;
  }
  const double floor = FloorSeconds();
  Clock::duration spent{};
  std::size_t next = 0;
  for (auto _ : run) {
    if (putBack) {
      run.PauseTiming();
      data.PutSavesBack();
      run.ResumeTiming();
    }
    const Clock::time_point start = Clock::now();
    const int code = RunCompanion(commands[next]);
    spent += Clock::now() - start;
    next = (next + 1) % commands.size();
    if (code != 0) {
      run.SkipWithError("tovick-cars failed");
      return;
    }
  }
  run.counters["xFloor"] = Seconds(spent) / static_cast<double>(run.iterations()) / floor;
}

void BM_SaveListProcess(benchmark::State& run) {
  const SaveBenchData data;
  std::vector<std::vector<std::string>> commands;
  for (const std::string& path : data.SavePaths) commands.push_back({"save", "list", path});
  RunTimed(run, data, commands, false);
}
BENCHMARK(BM_SaveListProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

void SyncThreeSaves(benchmark::State& run, bool check) {
  const SaveBenchData data;
  std::vector<std::string> args = {"save", "sync"};
  if (check) args.emplace_back("--check");
  args.push_back((data.Dir / "CHANGED.SCM").string());
  args.insert(args.end(), data.SavePaths.begin(), data.SavePaths.end());
  RunTimed(run, data, {args}, !check);
}

void BM_SaveSyncThreeSavesProcess(benchmark::State& run) {
  SyncThreeSaves(run, false);
}
BENCHMARK(BM_SaveSyncThreeSavesProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SaveSyncCheckThreeSavesProcess(benchmark::State& run) {
  SyncThreeSaves(run, true);
}
BENCHMARK(BM_SaveSyncCheckThreeSavesProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SaveImportThreeSavesProcess(benchmark::State& run) {
  const SaveBenchData data;
  std::vector<std::string> args = {"save", "import", "--check",
                                   (data.Dir / "IMPORT.json").string()};
  args.insert(args.end(), data.SavePaths.begin(), data.SavePaths.end());
  RunTimed(run, data, {args}, false);
}
BENCHMARK(BM_SaveImportThreeSavesProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
