// Plug-ins over a full scan window of 147 blocks: applying one record by record to the open
// script (as the editor does), checking one in memory (as the companion does before it writes),
// and exporting one to a file.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "gen/demo_data.h"
#include "plugin/plugin_apply.h"
#include "plugin/plugin_create.h"
#include "plugin/script_reader.h"
#include "scm/car_table.h"
#include "scm/script_file.h"
#include "text/text_lines.h"

namespace {

using namespace tovick;

constexpr std::uint32_t kSeed = 3;
constexpr int kBlocks = demo::kMaxDemoBlockCount;

// A 147-block script in a fresh temporary directory, its table, and a plug-in of every block.
struct BenchData {
  std::string Dir;
  std::string ScriptPath;
  std::vector<std::uint8_t> Bytes;
  CarTable Table;
  std::string PlugIn;

  BenchData() {
    char dirTemplate[] = "/tmp/tovick-plugin-bench-XXXXXX";
    if (mkdtemp(dirTemplate) == nullptr) return;
    Dir = dirTemplate;
    ScriptPath = Dir + "/MAIN.SCM";
    Bytes = demo::GenerateScript(
        kSeed, {.Length = demo::FullTableLength(kSeed, kBlocks), .BlockCount = kBlocks});
    std::ofstream(ScriptPath, std::ios::binary)
        .write(reinterpret_cast<const char*>(Bytes.data()),
               static_cast<std::streamsize>(Bytes.size()));
    std::vector<std::uint8_t> window(kScanWindowSize);
    ReaderOf(Bytes)(kScanFirst, window.data(), window.size());
    ScanCarTable(window, Table);
    const std::vector<std::uint8_t> all(static_cast<std::size_t>(Table.BlockCnt) + 1, 1);
    PlugIn = PlanPlugInCreation(Table, all, ReaderOf(Bytes)).Content;
  }
  ~BenchData() {
    unlink(ScriptPath.c_str());
    unlink((Dir + "/out.TOVICK1").c_str());
    rmdir(Dir.c_str());
  }
  bool Ok() const { return Table.BlockCnt == kBlocks; }
};

void BM_ApplyPlugIn147RecordByRecord(benchmark::State& run) {
  BenchData data;
  ScriptFile file;
  if (!data.Ok() || !file.Open(data.ScriptPath)) {
    run.SkipWithError("cannot create the bench script");
    return;
  }
  int records = 0;
  for (auto _ : run) {
    PlugInApplier applier(data.PlugIn, data.Table, ReaderOf(file));
    records = 0;
    while (const std::optional<PlugInStep> step = applier.Next()) {
      if (step->Kind != PlugInStepKind::Record) break;
      for (const PlugInWrite& write : step->Writes) {
        if (write.Width == 1) {
          file.WriteByte(write.Offset, static_cast<std::uint8_t>(write.Value));
        } else {
          file.WriteWord(write.Offset, write.Value);
        }
      }
      ++records;
    }
  }
  if (records != kBlocks) run.SkipWithError("not every record was applied");
  run.counters["records"] = records;
}
BENCHMARK(BM_ApplyPlugIn147RecordByRecord)->Unit(benchmark::kMillisecond);

void BM_CheckPlugIn147InMemory(benchmark::State& run) {
  BenchData data;
  if (!data.Ok()) {
    run.SkipWithError("cannot create the bench script");
    return;
  }
  int records = 0;
  for (auto _ : run) {
    const PlugInApplyPlan plan = PlanPlugInApply(data.PlugIn, data.Table, ReaderOf(data.Bytes));
    records = plan.RecordCount();
    benchmark::DoNotOptimize(records);
  }
  if (records != kBlocks) run.SkipWithError("not every record was planned");
}
BENCHMARK(BM_CheckPlugIn147InMemory)->Unit(benchmark::kMillisecond);

void BM_ExportPlugIn147(benchmark::State& run) {
  BenchData data;
  ScriptFile file;
  if (!data.Ok() || !file.Open(data.ScriptPath)) {
    run.SkipWithError("cannot create the bench script");
    return;
  }
  const std::vector<std::uint8_t> all(static_cast<std::size_t>(data.Table.BlockCnt) + 1, 1);
  const std::string out = data.Dir + "/out.TOVICK1";
  bool written = false;
  for (auto _ : run) {
    const PlugInCreation creation = PlanPlugInCreation(data.Table, all, ReaderOf(file));
    written = WriteWholeFile(out, creation.Content);
  }
  if (!written) run.SkipWithError("the plug-in was not written");
}
BENCHMARK(BM_ExportPlugIn147)->Unit(benchmark::kMillisecond);

}  // namespace
