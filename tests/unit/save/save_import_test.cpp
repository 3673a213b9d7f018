// Writing import records into saves: every generator given back as it is changes no byte on any
// platform that is written; a JSON edit lands exactly (checked from raw offsets, not through the
// slot coder), count and checksum renewed; hostile plans refused with the save untouched.

#include "save/save_import.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "gen/demo_data.h"
#include "gen/demo_save.h"
#include "save/generator_match.h"
#include "save/save_listing.h"
#include "save/slot_records.h"

namespace tovick {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kSeed = 3;

Bytes DemoSave(SavePlatform platform = SavePlatform::Pc) {
  return demo::GenerateSave(kSeed, demo::GenerateScript(kSeed), platform);
}

SaveLayout LayoutOf(const Bytes& save) {
  return *ReadSaveLayout(save).Layout;
}

ImportPlan Import(const std::vector<SlotRecord>& records, const Bytes& save) {
  return PlanSaveImport(records, save, LayoutOf(save));
}

// Every value of the slot, as an export gives it back.
SlotRecord RecordOf(std::int64_t number, const GeneratorSlot& slot) {
  return {"record " + std::to_string(number + 1),
          number,
          slot.Model,
          slot.X,
          slot.Y,
          slot.Z,
          slot.Heading,
          slot.Colour1,
          slot.Colour2,
          slot.ForceSpawn,
          slot.Alarm,
          slot.Lock,
          slot.MinDelay,
          slot.MaxDelay,
          slot.UsesRemaining};
}

SlotRecord NewAt(std::optional<std::int64_t> slot, float x = 10, float y = 20, float z = 30) {
  SlotRecord record;
  record.Where = "record new";
  record.Slot = slot;
  record.Model = 120;
  record.X = x;
  record.Y = y;
  record.Z = z;
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
    const std::vector<GeneratorSlot> slots = SlotsInUse(save, LayoutOf(save));
    std::vector<SlotRecord> records;
    for (std::size_t s = 0; s < slots.size(); ++s) {
      records.push_back(RecordOf(static_cast<std::int64_t>(s), slots[s]));
    }
    const ImportPlan plan = Import(records, save);
    EXPECT_TRUE(plan.Errors.empty());
    EXPECT_TRUE(plan.Changes.empty());
    EXPECT_TRUE(plan.Added.empty());
    EXPECT_EQ(plan.Patched, save);
  }
}

TEST(SaveImport, JsonEditLandsExactly) {
  const Bytes save = DemoSave();
  const SaveLayout layout = LayoutOf(save);
  const std::vector<GeneratorSlot> slots = SlotsInUse(save, layout);
  const int count = static_cast<int>(slots.size());
  // A model of another slot (its box comes along) and a vehicle the save lacks.
  const std::int32_t otherModel = slots[7].Model != slots[2].Model ? slots[7].Model : 91;
  std::int32_t lacking = 90;
  while (ModelBox(save, layout, lacking)) ++lacking;
  const std::string c = std::to_string(count);
  const std::string json =
      "{\"save\": \"x\", \"slots\": [\n"
      " {\"slot\": 4, \"alarm\": 40, \"lock\": 2},\n"
      " {\"slot\": 9, \"x\": 100.5, \"heading\": 90, \"name\": \"ignored\"},\n"
      " {\"slot\": 2, \"model\": " +
      std::to_string(otherModel) +
      "},\n"
      " {\"slot\": 5, \"usesRemaining\": 0},\n"
      " {\"model\": 120, \"x\": 1, \"y\": 2, \"z\": 3, \"colour1\": 3},\n"
      " {\"slot\": " +
      c + ", \"model\": " + std::to_string(slots[0].Model > 0 ? slots[0].Model : slots[1].Model) +
      ", \"x\": -5.25, \"y\": 6, \"z\": 7, \"alarm\": 9},\n"
      " {\"slot\": " +
      std::to_string(count + 1) + ", \"model\": " + std::to_string(lacking) +
      ", \"x\": 0, \"y\": 0, \"z\": 0, \"usesRemaining\": 3}]}";
  const SlotRecordsRead read = ReadSlotRecords(json, nullptr);
  ASSERT_TRUE(read.Errors.empty()) << read.Errors.front();
  const ImportPlan plan = PlanSaveImport(read.Records, save, layout);
  ASSERT_TRUE(plan.Errors.empty()) << plan.Errors.front();
  EXPECT_EQ(plan.ChangedSlots, 4);
  ASSERT_EQ(plan.Added.size(), 3u);
  EXPECT_EQ(plan.Added[2].Slot, count + 2);  // the one without a slot comes after the numbered
  EXPECT_EQ(plan.Notes.size(), 1u);          // the lacking model's box: zeros

  Bytes want = save;
  auto at = [&](int slot, std::size_t offset) {
    return layout.SlotsOffset + static_cast<std::size_t>(slot) * kGeneratorSlotSize + offset;
  };
  Put<std::uint8_t>(want, at(4, 0x19), 40);
  Put<std::uint8_t>(want, at(4, 0x1A), 2);
  Put<float>(want, at(9, 0x04), 100.5F);
  Put<float>(want, at(9, 0x10), 90.0F);
  Put<std::int32_t>(want, at(2, 0x00), otherModel);
  std::memcpy(want.data() + at(2, 0x2C), save.data() + at(7, 0x2C), 0x1C);
  Put<std::uint16_t>(want, at(5, 0x28), 0);
  auto fresh = [&](int slot, std::int32_t model, float x, float y, float z, std::int16_t colour1,
                   std::uint8_t alarm, std::uint16_t uses) {
    Put(want, at(slot, 0x00), model);
    Put(want, at(slot, 0x04), x);
    Put(want, at(slot, 0x08), y);
    Put(want, at(slot, 0x0C), z);
    Put(want, at(slot, 0x14), colour1);
    Put<std::int16_t>(want, at(slot, 0x16), -1);
    Put(want, at(slot, 0x19), alarm);
    Put<std::uint16_t>(want, at(slot, 0x1E), 10000);
    Put<std::int32_t>(want, at(slot, 0x24), -1);
    Put(want, at(slot, 0x28), uses);
    if (const auto box = ModelBox(save, layout, model)) {
      std::memcpy(want.data() + at(slot, 0x2C), box->data(), box->size());
    }
  };
  fresh(count, slots[0].Model > 0 ? slots[0].Model : slots[1].Model, -5.25F, 6, 7, -1, 9, 65535);
  fresh(count + 1, lacking, 0, 0, 0, -1, 0, 3);
  fresh(count + 2, 120, 1, 2, 3, 3, 0, 65535);
  Put<std::uint32_t>(want, layout.SlotsOffset - 16, static_cast<std::uint32_t>(count + 3));
  RenewSaveChecksum(want, layout);
  EXPECT_EQ(plan.Patched, want);
  EXPECT_EQ(ReadSaveLayout(plan.Patched).Layout->GeneratorCount, static_cast<unsigned>(count + 3));
}

TEST(SaveImport, HostilePlansRefused) {
  const Bytes save = DemoSave();
  const auto count = static_cast<std::int64_t>(LayoutOf(save).GeneratorCount);
  std::vector<SlotRecord> tooMany;
  for (std::int64_t s = count; s <= kGeneratorSlotCount; ++s) tooMany.push_back(NewAt(std::nullopt));
  SlotRecord noPosition = NewAt(count);
  noPosition.Y.reset();
  noPosition.Z.reset();
  struct Case {
    const char* Name;
    std::vector<SlotRecord> Records;
    const char* Says;
  };
  const Case cases[] = {
      {"a gap after the count", {NewAt(count), NewAt(count + 2)}, "leaves a gap"},
      {"a gap at the count", {NewAt(count + 1)}, "leaves a gap"},
      {"161 generators", tooMany, "more than the game's 160"},
      {"one past 159 by number", {NewAt(kGeneratorSlotCount)}, "is not 0 to 159"},
      {"a new generator without a position", {noPosition}, "y, z missing"},
      {"a slot given twice", {NewAt(3), NewAt(3)}, "given already by"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const ImportPlan plan = Import(c.Records, save);
    ASSERT_FALSE(plan.Errors.empty());
    EXPECT_NE(plan.Errors.front().find(c.Says), std::string::npos) << plan.Errors.front();
    EXPECT_EQ(plan.Patched, save);
  }
}

}  // namespace
}  // namespace tovick
