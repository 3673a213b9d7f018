// The plug-in apply plan over any plug-in for the demo script: nothing after a header that does
// not fit, only the last step stops, and every write goes into a writable field of the block its
// record names, never onto a width marker or the high byte of a two-byte id.
#include "fuzz_harness.h"
#include "plugin/plugin_apply.h"

using namespace tovick;

namespace {

const CarTable& DemoTable() {
  static const CarTable table = [] {
    CarTable scanned;
    std::vector<std::uint8_t> window(kScanWindowSize);
    ReaderOf(fuzz::DemoScript())(kScanFirst, window.data(), window.size());
    ScanCarTable(window, scanned);
    return scanned;
  }();
  return table;
}

}  // namespace

TOVICK_FUZZ_TARGET(input) {
  const std::string plugIn = input.Rest();
  const std::vector<std::uint8_t>& script = fuzz::DemoScript();
  const PlugInApplyPlan plan = PlanPlugInApply(plugIn, DemoTable(), ReaderOf(script));
  FUZZ_CHECK(plan.HeaderOk || plan.Steps.empty());
  int lastLine = 1;
  for (const PlugInStep& step : plan.Steps) {
    FUZZ_CHECK(step.LineNumber > lastLine);
    lastLine = step.LineNumber;
    FUZZ_CHECK(!step.Stops() || &step == &plan.Steps.back());
    if (step.Kind != PlugInStepKind::Record) continue;
    FUZZ_CHECK(step.MarkBlock && *step.MarkBlock >= 1 && *step.MarkBlock <= DemoTable().BlockCnt);
    const std::int64_t address = DemoTable().Address[static_cast<std::size_t>(*step.MarkBlock)];
    const int hiCar = script[static_cast<std::size_t>(address) + 21] - kMarkerOneByteId;
    for (const PlugInWrite& write : step.Writes) {
      FUZZ_CHECK(write.Offset == FieldAddress(address, write.Field, hiCar));
      FUZZ_CHECK(write.Field != BlockField::WidthMarker);
      const bool oneByte = write.Field == BlockField::CarId || write.Field == BlockField::Alarm ||
                           write.Field == BlockField::Lock;
      FUZZ_CHECK(write.Width == (oneByte ? 1 : 2));
      FUZZ_CHECK(write.Width == 2 || write.Value <= 0xFF);
    }
  }
}
