// tovick-cars as a user runs it, the whole process from start to exit, on a script compiled
// elsewhere (tovick-gen --foreign: 460,528 bytes, 149 generator instructions): listing them with
// --anywhere, exporting them to a plug-in, and applying a plug-in that changes each of them.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "companion_process.h"
#include "gen/foreign_script.h"
#include "plugin/plugin_create.h"
#include "plugin/plugin_format.h"
#include "scm/generator_instruction.h"
#include "text/text_lines.h"

namespace {

using namespace tovick;
using tovick::bench::RunCompanion;

// Instruction 6 holds its alarm at 16 bits, which no plug-in writes: every other one is applied.
constexpr int kSkipped = 6;

struct CompanionData {
  std::string Dir;
  std::string ScriptPath;
  std::string PlugIns[2];  // the script's values, and every X moved by one unit
  bool Ok = false;

  CompanionData() {
    char dirTemplate[] = "/tmp/tovick-companion-bench-XXXXXX";
    if (mkdtemp(dirTemplate) == nullptr) return;
    Dir = dirTemplate;
    ScriptPath = Dir + "/MAIN.SCM";
    const std::vector<std::uint8_t> bytes = demo::GenerateForeignScript(1);
    std::ofstream(ScriptPath, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    const std::vector<GeneratorInstruction> found = FindGeneratorInstructions(bytes);
    std::string contents[2] = {PlugInPreamble(), PlugInPreamble()};
    for (std::size_t i = 0; i < found.size(); ++i) {
      const int number = static_cast<int>(i + 1);
      if (number == kSkipped) continue;
      PlugInRecord record = PlugInRecordOf(number, found[i]);
      contents[0] += RenderPlugInRecord(record);
      record.Field[4] += 16;
      contents[1] += RenderPlugInRecord(record);
    }
    for (int k = 0; k < 2; ++k) {
      PlugIns[k] = Dir + "/cars" + std::to_string(k) + ".TOVICK1";
      WriteWholeFile(PlugIns[k], contents[k]);
    }
    Ok = found.size() == static_cast<std::size_t>(demo::kForeignInstructionCount);
  }
  ~CompanionData() {
    for (const std::string& name : {ScriptPath, PlugIns[0], PlugIns[1], Dir + "/out.TOVICK1"}) {
      unlink(name.c_str());
    }
    rmdir(Dir.c_str());
  }
};

void RunEach(benchmark::State& run, const CompanionData& data,
             const std::vector<std::string>& args) {
  if (!data.Ok) {
    run.SkipWithError("cannot create the bench script");
    return;
  }
  for (auto _ : run) {
    if (RunCompanion(args) != 0) {
      run.SkipWithError("tovick-cars failed");
      return;
    }
  }
}

// The floor: the same process that only prints its help, so that what the commands add to the
// start and exit of a process on this machine shows.
void BM_CompanionHelpFloor(benchmark::State& run) {
  const CompanionData data;
  RunEach(run, data, {"--help"});
}
BENCHMARK(BM_CompanionHelpFloor)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CompanionListAnywhere149(benchmark::State& run) {
  const CompanionData data;
  RunEach(run, data, {"--anywhere", "--json", data.ScriptPath});
}
BENCHMARK(BM_CompanionListAnywhere149)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CompanionExportAnywhere149(benchmark::State& run) {
  const CompanionData data;
  RunEach(run, data,
          {"export", "--anywhere", "--blocks", "all", "-o", data.Dir + "/out.TOVICK1",
           data.ScriptPath});
}
BENCHMARK(BM_CompanionExportAnywhere149)->Unit(benchmark::kMillisecond)->UseRealTime();

// Each run changes all 148 cars it can: the two plug-ins take turns, so every run writes.
void BM_CompanionApplyAnywhere148(benchmark::State& run) {
  const CompanionData data;
  if (!data.Ok) {
    run.SkipWithError("cannot create the bench script");
    return;
  }
  int turn = 1;
  for (auto _ : run) {
    if (RunCompanion({"apply", "--anywhere", data.PlugIns[turn], data.ScriptPath}) != 0) {
      run.SkipWithError("tovick-cars apply failed");
      return;
    }
    turn = 1 - turn;
  }
}
BENCHMARK(BM_CompanionApplyAnywhere148)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
