// The save reader over any bytes, and the sync of the demo script into what it accepts. The first
// byte chooses the save: odd, the rest of the input; even, the demo save of the platform its upper
// bits choose, the input's (offset, byte) pairs XORed in, its checksum renewed if bit 1 is set, so
// the fuzzer reaches the sync. No crash; what is accepted lies inside the file; a sync that changes
// nothing gives the save back, one that changes something a save that a second sync leaves as is.
#include <array>
#include <span>

#include "fuzz_harness.h"
#include "gen/demo_save.h"
#include "save/save_layout.h"
#include "save/save_sync.h"
#include "scm/generator_instruction.h"

using namespace tovick;

namespace {

const std::vector<GeneratorInstruction>& DemoInstructions() {
  static const std::vector<GeneratorInstruction> found =
      FindGeneratorInstructions(fuzz::DemoScript());
  return found;
}

const std::vector<std::uint8_t>& DemoSave(std::size_t platform) {
  static const auto saves = [] {
    std::array<std::vector<std::uint8_t>, kSavePlatforms.size()> all;
    for (std::size_t p = 0; p < all.size(); ++p) {
      all[p] = demo::GenerateSave(1, fuzz::DemoScript(), kSavePlatforms[p].Platform);
    }
    return all;
  }();
  return saves[platform % saves.size()];
}

}  // namespace

TOVICK_FUZZ_TARGET(input) {
  const std::uint8_t mode = input.Byte();
  std::vector<std::uint8_t> save;
  if (mode & 1) {
    const std::string rest = input.Rest();
    save.assign(rest.begin(), rest.end());
  } else {
    save = DemoSave(mode >> 2);
    for (int edits = 0; edits < 64; ++edits) {
      const auto at = input.Value<std::uint32_t>() % save.size();
      const std::uint8_t flip = input.Byte();
      if (flip == 0) break;
      save[at] ^= flip;
    }
    if (mode & 2) RenewSaveChecksum(save);
  }

  const SaveRead read = ReadSaveLayout(save);
  if (!read.Layout) {
    FUZZ_CHECK(!read.Problem.empty());
    return;
  }
  const SaveLayout& layout = *read.Layout;
  const SavePlatformRow& row = PlatformRow(layout.Platform);
  FUZZ_CHECK(layout.ChecksumOffset + kSaveChecksumBytes + row.SignatureBytes == save.size());
  FUZZ_CHECK(layout.Writable == (row.SignatureBytes == 0));
  FUZZ_CHECK(layout.GeneratorCount <= static_cast<std::uint32_t>(kGeneratorSlotCount));
  FUZZ_CHECK(layout.SlotsOffset + kGeneratorArraySize <= layout.ChecksumOffset);
  FUZZ_CHECK(layout.VariablesOffset + layout.VariableSpace <= layout.ChecksumOffset);
  FUZZ_CHECK(layout.ChecksumOk == read.Problem.empty());
  if (!layout.ChecksumOk) return;

  const SyncPlan plan = PlanSaveSync(DemoInstructions(), save, layout);
  FUZZ_CHECK(plan.Patched.size() == save.size());
  FUZZ_CHECK(plan.Matching.SlotOf.size() == DemoInstructions().size());
  if (plan.ChangedSlots == 0) {
    FUZZ_CHECK(plan.Changes.empty());
    FUZZ_CHECK(plan.Patched == save);
    return;
  }
  const SaveRead again = ReadSaveLayout(plan.Patched);
  FUZZ_CHECK(again.Layout.has_value() && again.Layout->ChecksumOk);
  FUZZ_CHECK(again.Layout->Platform == layout.Platform);
  const SyncPlan second = PlanSaveSync(DemoInstructions(), plan.Patched, *again.Layout);
  FUZZ_CHECK(second.ChangedSlots == 0);
  FUZZ_CHECK(second.Patched == plan.Patched);
}
