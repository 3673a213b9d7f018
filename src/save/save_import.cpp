#include "save/save_import.h"

#include <map>
#include <optional>

#include "save/generator_match.h"

namespace tovick {

namespace {

constexpr std::uint16_t kForEver = 65535;
constexpr std::uint16_t kDefaultMaxDelay = 10000;

// The values the record gives, over base.
GeneratorSlot Given(const SlotRecord& record, GeneratorSlot base) {
  auto over = [](auto& value, const auto& given) {
    if (given) value = *given;
  };
  over(base.Model, record.Model);
  over(base.X, record.X);
  over(base.Y, record.Y);
  over(base.Z, record.Z);
  over(base.Heading, record.Heading);
  over(base.Colour1, record.Colour1);
  over(base.Colour2, record.Colour2);
  over(base.ForceSpawn, record.ForceSpawn);
  over(base.Alarm, record.Alarm);
  over(base.Lock, record.Lock);
  over(base.MinDelay, record.MinDelay);
  over(base.MaxDelay, record.MaxDelay);
  over(base.UsesRemaining, record.UsesRemaining);
  return base;
}

std::string NoSlotOfModel(int slot, std::int32_t model, const char* so) {
  return "slot " + std::to_string(slot) + ": no slot of this save holds model " +
         std::to_string(model) + ", so its bounding box " + so;
}

std::span<std::uint8_t> SlotBytes(std::vector<std::uint8_t>& save, const SaveLayout& layout,
                                  int slot) {
  return std::span(save).subspan(
      layout.SlotsOffset + static_cast<std::size_t>(slot) * kGeneratorSlotSize, kGeneratorSlotSize);
}

struct NewRecord {
  int Slot = 0;
  const SlotRecord* Record = nullptr;
};

// The new generators in slot order: the numbered ones where they say (following on from the
// count without a gap), then the others in the file's order. Says each fault in errors.
std::vector<NewRecord> PlaceNewRecords(std::span<const SlotRecord> records, int count,
                                       std::vector<std::string>& errors) {
  std::map<int, const SlotRecord*> numbered;
  std::vector<const SlotRecord*> unnumbered;
  for (const SlotRecord& record : records) {
    if (!record.Slot) {
      unnumbered.push_back(&record);
    } else if (*record.Slot >= count && *record.Slot < kGeneratorSlotCount) {
      numbered.emplace(static_cast<int>(*record.Slot), &record);
    }
  }
  std::vector<NewRecord> placed;
  int next = count;
  for (const auto& [slot, record] : numbered) {
    if (slot != next) {
      errors.push_back(record->Where + ": slot: " + std::to_string(slot) +
                       " leaves a gap: a new generator's slot follows on from the last in use, "
                       "so slot " +
                       std::to_string(next) + " comes first");
    }
    placed.push_back({slot, record});
    next = slot + 1;
  }
  for (const SlotRecord* record : unnumbered) placed.push_back({next++, record});
  return placed;
}

}  // namespace

GeneratorSlot NewGeneratorDefaults() {
  GeneratorSlot slot;
  slot.Colour1 = -1;
  slot.Colour2 = -1;
  slot.MaxDelay = kDefaultMaxDelay;
  slot.UsesRemaining = kForEver;
  return slot;
}

ImportPlan PlanSaveImport(std::span<const SlotRecord> records, std::span<const std::uint8_t> save,
                          const SaveLayout& layout) {
  ImportPlan plan;
  plan.Patched.assign(save.begin(), save.end());
  const int count = static_cast<int>(layout.GeneratorCount);

  std::map<int, const SlotRecord*> edited;  // slot in use -> its record
  std::map<std::int64_t, const SlotRecord*> given;
  for (const SlotRecord& record : records) {
    if (!record.Slot) continue;
    const std::int64_t slot = *record.Slot;
    if (slot < 0 || slot >= kGeneratorSlotCount) {
      plan.Errors.push_back(record.Where + ": slot: " + std::to_string(slot) +
                            " is not 0 to 159 (the game has 160 generators)");
    } else if (const auto [at, first] = given.emplace(slot, &record); !first) {
      plan.Errors.push_back(record.Where + ": slot: " + std::to_string(slot) +
                            " is given already by " + at->second->Where);
    } else if (slot < count) {
      edited.emplace(static_cast<int>(slot), &record);
    }
  }
  // A model that is no vehicle passes only where the slot holds it already.
  for (const SlotRecord& record : records) {
    if (record.ModelNotVehicle.empty()) continue;
    const bool kept = record.Slot && *record.Slot >= 0 && *record.Slot < count &&
                      ReadSlot(save, layout, static_cast<int>(*record.Slot)).Model == *record.Model;
    if (!kept) plan.Errors.push_back(record.ModelNotVehicle);
  }
  const std::vector<NewRecord> added = PlaceNewRecords(records, count, plan.Errors);
  for (const NewRecord& placed : added) {
    if (placed.Slot >= kGeneratorSlotCount) {
      plan.Errors.push_back(placed.Record->Where + ": a generator more than the game's " +
                            std::to_string(kGeneratorSlotCount) + " (the save has " +
                            std::to_string(count) + " in use, the file adds " +
                            std::to_string(added.size()) + ")");
      break;
    }
    const SlotRecord& record = *placed.Record;
    std::string missing;
    for (const auto& [name, has] : {std::pair{"model", record.Model.has_value()},
                                    {"x", record.X.has_value()},
                                    {"y", record.Y.has_value()},
                                    {"z", record.Z.has_value()}}) {
      if (!has) missing += std::string(missing.empty() ? "" : ", ") + name;
    }
    if (!missing.empty()) {
      plan.Errors.push_back(record.Where + ": a new generator (slot " +
                            std::to_string(placed.Slot) + ") needs model, x, y and z; " + missing +
                            " missing");
    }
  }
  if (!plan.Errors.empty()) return plan;

  for (const auto& [slot, record] : edited) {
    const GeneratorSlot before = ReadSlot(save, layout, slot);
    GeneratorSlot after = Given(*record, before);
    if (after.Model != before.Model) {
      if (const auto box = ModelBox(save, layout, after.Model)) {
        after.Box = *box;
      } else {
        plan.Notes.push_back(NoSlotOfModel(slot, after.Model, "is kept"));
      }
    }
    if (!AddSlotChanges(slot, before, after, plan.Changes)) continue;
    ++plan.ChangedSlots;
    EncodeSlot(after, SlotBytes(plan.Patched, layout, slot));
  }
  for (const NewRecord& placed : added) {
    GeneratorSlot values = Given(*placed.Record, NewGeneratorDefaults());
    if (const auto box = ModelBox(save, layout, values.Model)) {
      values.Box = *box;
    } else {
      plan.Notes.push_back(NoSlotOfModel(placed.Slot, values.Model, "is left zero"));
    }
    EncodeNewSlot(values, SlotBytes(plan.Patched, layout, placed.Slot));
    plan.Added.push_back({placed.Slot, values});
  }
  if (plan.ChangedSlots == 0 && plan.Added.empty()) return plan;
  if (!plan.Added.empty()) {
    WriteU32(plan.Patched, layout.GeneratorCountOffset,
             static_cast<std::uint32_t>(plan.Added.back().Slot + 1));
  }
  MoveSaveChecksum(plan.Patched, save, layout, layout.GeneratorCountOffset,
                   layout.SlotsOffset + kGeneratorArraySize);
  return plan;
}

std::string ImportReport(const std::string& path, const ImportPlan& plan) {
  std::string report;
  for (const SlotChange& change : plan.Changes) {
    report += path + " " + SlotChangeText(change) + "\n";
  }
  for (const AddedGenerator& added : plan.Added) {
    const GeneratorSlot& v = added.Values;
    report += path + " slot " + std::to_string(added.Slot) + ": added, model " +
              SlotFieldText(v, SlotField::Model) + " at (" + SlotFieldText(v, SlotField::X) + ", " +
              SlotFieldText(v, SlotField::Y) + ", " + SlotFieldText(v, SlotField::Z) + ")\n";
  }
  return report + std::to_string(plan.ChangedSlots) + " generator(s) changed, " +
         std::to_string(plan.Added.size()) + " added\n";
}

}  // namespace tovick
