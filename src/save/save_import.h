#pragma once
// A save's generators edited from an import file's records: the values a record gives written
// into its slot, new generators added after the slots in use, the count and checksum renewed,
// nothing else of the save touched. A slot is never removed: the script's handle variables count
// on the slot numbers, so a generator is switched off (uses remaining 0) instead.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "save/generator_slot.h"
#include "save/save_layout.h"
#include "save/save_sync.h"
#include "save/slot_records.h"

namespace tovick {

struct AddedGenerator {
  int Slot = 0;
  GeneratorSlot Values;
};

struct ImportPlan {
  // Each naming the record (its line or number) and what is wrong; any error: nothing is written.
  std::vector<std::string> Errors;
  // Said on standard error: boxes kept or zeroed for a model that no slot of the save holds.
  std::vector<std::string> Notes;
  std::vector<SlotChange> Changes;  // in slot order, field by field: slots in use only
  int ChangedSlots = 0;
  std::vector<AddedGenerator> Added;  // in slot order
  // The save with the changes, the count and its checksum renewed; the same bytes when nothing
  // changes (or on errors).
  std::vector<std::uint8_t> Patched;
};

// The defaults of a new generator: what a record leaves out of one (model and position it must
// give): heading 0, random colours, no force spawn, alarm or lock, delays 0 and 10000, for ever.
GeneratorSlot NewGeneratorDefaults();

// save is a whole save whose layout ReadSaveLayout gave. A record with a slot below the count
// edits it; one with a slot at or past it, or with none, is a new generator: numbered ones must
// follow on from the count without a gap, the others take the next numbers in the file's order.
ImportPlan PlanSaveImport(std::span<const SlotRecord> records, std::span<const std::uint8_t> save,
                          const SaveLayout& layout);

// What the import prints of one save: a line per changed field ("GTA3sf1.b slot 6: ALARM 40 ->
// 0"), one per generator added, and "N generator(s) changed, M added".
std::string ImportReport(const std::string& path, const ImportPlan& plan);

}  // namespace tovick
