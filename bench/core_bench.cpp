// The core's reading speed: the car-table scan, a 1 MB definitions file, a 100,000-line plug-in.
// main() comes from benchmark_main.

#include <benchmark/benchmark.h>

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "gen/demo_data.h"
#include "plugin/plugin_format.h"
#include "scm/car_block.h"
#include "scm/car_table.h"
#include "text/text_lines.h"
#include "vehicles/definitions.h"

namespace {

using namespace tovick;

constexpr std::uint32_t kSeed = 7;

void BM_ScanWindow(benchmark::State& state) {
  const std::vector<std::uint8_t> script = demo::GenerateScript(kSeed);
  const std::span<const std::uint8_t> window(script.data() + kScanFirst,
                                             script.size() - static_cast<std::size_t>(kScanFirst));
  CarTable table;
  for (auto _ : state) {
    table.Clear();
    benchmark::DoNotOptimize(ScanCarTable(window, table));
    benchmark::DoNotOptimize(table.BlockCnt);
  }
  state.counters["blocks"] = table.BlockCnt;
}
BENCHMARK(BM_ScanWindow)->Unit(benchmark::kMicrosecond);

void BM_ReadDefinitions1MB(benchmark::State& state) {
  const std::string one = demo::GenerateDefinitions(kSeed);
  std::string contents;
  while (contents.size() < 1024 * 1024) contents += one;
  auto table = std::make_unique<VehicleTable>();
  for (auto _ : state) {
    const DefinitionsRead read = ReadDefinitions(contents, *table);
    benchmark::DoNotOptimize(read.AcceptedLines);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(contents.size()));
}
BENCHMARK(BM_ReadDefinitions1MB)->Unit(benchmark::kMillisecond);

void BM_ReadPlugIn100kLines(benchmark::State& state) {
  constexpr int kLines = 100000;
  const std::vector<CarBlock> blocks = demo::PlanCarTable(kSeed);
  std::string contents = PlugInPreamble();
  for (int n = 0; n < kLines; ++n) {
    const std::size_t index = static_cast<std::size_t>(n) % blocks.size();
    contents += RenderPlugInRecord(static_cast<int>(index) + 1, blocks[index]);
  }
  for (auto _ : state) {
    LineReader reader(contents);
    int records = 0;
    PlugInRecord record;
    while (!reader.AtEnd()) {
      if (ClassifyPlugInLine(reader.ReadLine(), record) == PlugInLineKind::Record) ++records;
    }
    benchmark::DoNotOptimize(records);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(contents.size()));
}
BENCHMARK(BM_ReadPlugIn100kLines)->Unit(benchmark::kMillisecond);

}  // namespace
