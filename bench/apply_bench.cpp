// ApplyChanges followed by ShowBlock on one block of a real script file: what "APPLY CHANGES"
// costs.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "editor/app_state.h"
#include "editor/apply_changes.h"
#include "editor/show_block.h"
#include "gen/demo_data.h"
#include "scm/car_table.h"
#include "support/fake_ui.h"

namespace {

using namespace tovick;

constexpr std::uint32_t kSeed = 1;

// The demo script in a fresh temporary directory; returns its path, or "" when it cannot be made.
std::string WriteBenchScript() {
  char dirTemplate[] = "/tmp/tovick-apply-bench-XXXXXX";
  const char* dir = mkdtemp(dirTemplate);
  if (dir == nullptr) return {};
  const std::vector<std::uint8_t> bytes = demo::GenerateScript(kSeed);
  const std::string path = std::string(dir) + "/MAIN.SCM";
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  return path;
}

void BM_ApplyChangesThenShowBlock(benchmark::State& run) {
  const std::string path = WriteBenchScript();
  auto state = std::make_unique<AppState>();
  if (path.empty() || !state->Script.Open(path)) {
    run.SkipWithError("cannot create the bench script");
    return;
  }
  std::vector<std::uint8_t> window(kScanWindowSize);
  state->Script.ReadBytes(kScanFirst, window.data(), window.size());
  ScanCarTable(window, state->Cars);
  ReadDefinitions(demo::GenerateDefinitions(kSeed), state->Vehicles);

  // Block 1 of the demo table, shown as after a start.
  testing::FakeUi ui;
  ui.ComboAdd(Control::BlockList, "1");
  ui.ComboSelect(Control::BlockList, 0);
  ShowBlock(*state, ui);

  for (auto _ : run) {
    ApplyChanges(*state, ui);
    ShowBlock(*state, ui);
  }
  if (!ui.Messages.empty() || state->Scroller.Message() != "Changes applied successfully") {
    run.SkipWithError("ApplyChanges did not succeed");
  }
  state->Script.Close();
  unlink(path.c_str());
  rmdir(path.substr(0, path.rfind('/')).c_str());
}
BENCHMARK(BM_ApplyChangesThenShowBlock)->Unit(benchmark::kMicrosecond);

}  // namespace
