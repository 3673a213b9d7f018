// ApplyChanges followed by ShowBlock on one block of a real script file: what "APPLY CHANGES"
// costs.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/ui_port.h"
#include "scm/block_view.h"
#include "scm/car_block.h"
#include "vehicles/apply_changes.h"

namespace {

using namespace tovick;

// Holds the controls in memory; message boxes are only counted.
class BenchUi : public UiPort {
 public:
  int Messages = 0;

  void ShowMessage(const MessageBoxRequest&) override { ++Messages; }
  void Beep() override {}
  void ComboClear(Control combo) override { combos_[combo].Items.clear(); }
  void ComboAdd(Control combo, std::string_view item) override {
    combos_[combo].Items.emplace_back(item);
  }
  int ComboSelection(Control combo) override { return combos_[combo].Selection; }
  void ComboSelect(Control combo, int index) override {
    Combo& c = combos_[combo];
    c.Selection = index >= 0 && index < static_cast<int>(c.Items.size()) ? index : -1;
  }
  int ComboCount(Control combo) override { return static_cast<int>(combos_[combo].Items.size()); }
  void SetText(Control control, std::string_view text) override { texts_[control] = text; }
  std::string GetText(Control control) override { return texts_[control]; }
  bool IsChecked(Control checkBox) override { return checks_[checkBox]; }
  void SetChecked(Control checkBox, bool checked) override { checks_[checkBox] = checked; }
  std::optional<std::string> OpenFileDialog(const FileDialogRequest&) override {
    return std::nullopt;
  }
  std::optional<std::string> SaveFileDialog(const FileDialogRequest&) override {
    return std::nullopt;
  }

 private:
  struct Combo {
    std::vector<std::string> Items;
    int Selection = -1;
  };
  std::map<Control, Combo> combos_;
  std::map<Control, std::string> texts_;
  std::map<Control, bool> checks_;
};

constexpr std::int64_t kBlockAddress = 65300;

// A script with one block, in a fresh temporary directory; returns its path.
std::string WriteBenchScript() {
  char dirTemplate[] = "/tmp/tovick-apply-bench-XXXXXX";
  const char* dir = mkdtemp(dirTemplate);
  if (dir == nullptr) return {};
  std::vector<std::uint8_t> bytes(70204, 0);
  CarBlock block;
  block.WidthMarker = kMarkerOneByteId;
  block.CarId = 100;
  block.XPos = 1200;
  block.YPos = -800;
  block.UnknownWord = 0xF9C0;
  block.Heading = 1440;
  block.Alarm = 20;
  block.Lock = 50;
  const std::vector<std::uint8_t> encoded = EncodeCarBlock(block);
  std::copy(encoded.begin(), encoded.end(), bytes.begin() + kBlockAddress);
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
  state->Cars.BlockCnt = 1;
  state->Cars.Address[1] = kBlockAddress;
  state->Vehicles.HighestVehicleId = 150;
  for (int id = 90; id <= 150; ++id) {
    state->Vehicles.VehicleNames[static_cast<std::size_t>(id)] = "CAR" + std::to_string(id);
  }
  BenchUi ui;
  ui.ComboAdd(Control::BlockList, "1");
  ui.ComboSelect(Control::BlockList, 0);
  ShowBlock(*state, ui);

  for (auto _ : run) {
    ApplyChanges(*state, ui);
    ShowBlock(*state, ui);
  }
  if (ui.Messages != 0 || state->Scroller.Message() != "Changes applied successfully") {
    run.SkipWithError("ApplyChanges did not succeed");
  }
  state->Script.Close();
  unlink(path.c_str());
  rmdir(path.substr(0, path.rfind('/')).c_str());
}
BENCHMARK(BM_ApplyChangesThenShowBlock)->Unit(benchmark::kMicrosecond);

}  // namespace
