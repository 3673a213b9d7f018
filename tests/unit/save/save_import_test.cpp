// Import plans: a round trip changes no byte on any platform written; a JSON edit lands exactly
// (checked from raw offsets, not the slot coder); hostile plans refused with the save untouched.

#include "save/save_import.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "gen/demo_data.h"
#include "gen/demo_save.h"
#include "save/generator_match.h"
#include "save/save_listing.h"

namespace tovick {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Seed 3's save: slots 2 and 6 hold model 118, slot 1 model 99, slot 4 alarm 0.
Bytes DemoSave(SavePlatform platform = SavePlatform::Pc) {
  return demo::GenerateSave(3, demo::GenerateScript(3), platform);
}

SaveLayout LayoutOf(const Bytes& save) {
  return *ReadSaveLayout(save).Layout;
}

SlotRecord NewAt(std::optional<std::int64_t> slot) {
  SlotRecord record;
  record.Slot = slot;
  record.Model = 120;
  record.X = record.Y = record.Z = 10;
  return record;
}

template <typename T>
void Put(Bytes& bytes, std::size_t at, T value) {
  std::memcpy(bytes.data() + at, &value, sizeof value);  // little-endian hosts, as the save
}

TEST(SaveImport, EveryGeneratorGivenBackChangesNoByte) {
  for (const SavePlatform platform :
       {SavePlatform::Pc, SavePlatform::Android, SavePlatform::Ios, SavePlatform::Ps2,
        SavePlatform::Ps2Australia, SavePlatform::Ps2Japan}) {
    SCOPED_TRACE(std::string(SavePlatformName(platform)));
    const Bytes save = DemoSave(platform);
    std::vector<SlotRecord> records;
    for (const GeneratorSlot& s : SlotsInUse(save, LayoutOf(save))) {
      records.push_back({"", static_cast<std::int64_t>(records.size()), s.Model, s.X, s.Y, s.Z,
                         s.Heading, s.Colour1, s.Colour2, s.ForceSpawn, s.Alarm, s.Lock, s.MinDelay,
                         s.MaxDelay, s.UsesRemaining, ""});
    }
    const ImportPlan plan = PlanSaveImport(records, save, LayoutOf(save));
    EXPECT_TRUE(plan.Errors.empty() && plan.Changes.empty() && plan.Added.empty());
    EXPECT_EQ(plan.Patched, save);
  }
}

TEST(SaveImport, JsonEditLandsExactly) {
  const Bytes save = DemoSave();
  const SaveLayout layout = LayoutOf(save);
  const int count = static_cast<int>(layout.GeneratorCount);
  std::int32_t lacking = 90;
  while (ModelBox(save, layout, lacking)) ++lacking;
  const std::string json =
      "{\"save\": \"x\", \"slots\": [{\"slot\": 4, \"alarm\": 40, \"lock\": 2},"
      " {\"slot\": 9, \"x\": 100.5, \"heading\": 90, \"name\": \"ignored\"},"
      " {\"slot\": 3, \"model\": 118}, {\"slot\": 5, \"usesRemaining\": 0},"
      " {\"model\": 99, \"x\": 1, \"y\": 2, \"z\": 3},"
      " {\"slot\": " +
      std::to_string(count) + ", \"model\": 118, \"x\": -5.25, \"y\": 6, \"z\": 7}, {\"slot\": " +
      std::to_string(count + 1) + ", \"model\": " + std::to_string(lacking) +
      ", \"x\": 0, \"y\": 0, \"z\": 0, \"usesRemaining\": 3}]}";
  const ImportPlan plan = PlanSaveImport(ReadSlotRecords(json, nullptr).Records, save, layout);
  EXPECT_EQ(plan.Notes.size(), 1u);  // the lacking model's box: zeros

  Bytes want = save;
  auto at = [&](int slot, std::size_t offset) {
    return layout.SlotsOffset + static_cast<std::size_t>(slot) * kGeneratorSlotSize + offset;
  };
  auto boxFrom = [&](int slot, int donor) {
    std::memcpy(want.data() + at(slot, 0x2C), save.data() + at(donor, 0x2C), 0x1C);
  };
  Put<std::uint8_t>(want, at(4, 0x19), 40);
  Put<std::uint8_t>(want, at(4, 0x1A), 2);
  Put<float>(want, at(9, 0x04), 100.5F);
  Put<float>(want, at(9, 0x10), 90.0F);
  Put<std::int32_t>(want, at(3, 0x00), 118);
  boxFrom(3, 2);
  Put<std::uint16_t>(want, at(5, 0x28), 0);
  // A new one: the defaults (colours -1, delays 0 and 10000, no vehicle), the rest zeros.
  auto fresh = [&](int slot, std::int32_t model, float x, float y, float z, std::uint16_t uses) {
    const float xyz[] = {x, y, z};
    Put(want, at(slot, 0x00), model);
    std::memcpy(want.data() + at(slot, 0x04), xyz, sizeof xyz);
    Put<std::uint32_t>(want, at(slot, 0x14), 0xFFFFFFFF);
    Put<std::uint32_t>(want, at(slot, 0x1C), 10000U << 16);
    Put<std::int32_t>(want, at(slot, 0x24), -1);
    Put(want, at(slot, 0x28), uses);
  };
  fresh(count, 118, -5.25F, 6, 7, 65535);
  boxFrom(count, 2);
  fresh(count + 1, lacking, 0, 0, 0, 3);
  fresh(count + 2, 99, 1, 2, 3, 65535);  // no slot given: after the numbered ones
  boxFrom(count + 2, 1);
  Put<std::uint32_t>(want, layout.SlotsOffset - 16, static_cast<std::uint32_t>(count + 3));
  RenewSaveChecksum(want, layout);
  EXPECT_EQ(plan.Patched, want);
}

TEST(SaveImport, HostilePlansRefused) {
  const Bytes save = DemoSave();
  const auto count = static_cast<std::int64_t>(LayoutOf(save).GeneratorCount);
  const std::vector<SlotRecord> tooMany(kGeneratorSlotCount + 1 - count, NewAt(std::nullopt));
  SlotRecord notVehicle = NewAt(3);
  notVehicle.Model = 40;
  notVehicle.ModelNotVehicle = "record 1: model: 40 is not a vehicle id (90 to 150)";
  SlotRecord noPosition = NewAt(count);
  noPosition.Y.reset();
  noPosition.Z.reset();
  const struct {
    std::vector<SlotRecord> Records;
    const char* Says;
  } cases[] = {
      {{NewAt(count), NewAt(count + 2)}, "leaves a gap"}, {tooMany, "more than the game's 160"},
      {{NewAt(kGeneratorSlotCount)}, "is not 0 to 159"},  {{noPosition}, "y, z missing"},
      {{NewAt(3), NewAt(3)}, "given already by"},         {{notVehicle}, "is not a vehicle id"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Says);
    const ImportPlan plan = PlanSaveImport(c.Records, save, LayoutOf(save));
    EXPECT_NE(plan.Errors.at(0).find(c.Says), std::string::npos) << plan.Errors.at(0);
    EXPECT_EQ(plan.Patched, save);
  }
}

}  // namespace
}  // namespace tovick
