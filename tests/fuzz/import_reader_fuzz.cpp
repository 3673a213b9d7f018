// The import file's reader over any bytes, as JSON or CSV, with the game's vehicle ids or with the
// demo definitions (the first byte chooses). No crash; a file refused gives no records; every value
// of a record accepted lies in its field's range.
#include "fuzz_harness.h"
#include "save/slot_records.h"
#include "vehicles/definitions.h"

using namespace tovick;

namespace {

const VehicleTable& DemoVehicles() {
  static const VehicleTable vehicles = [] {
    VehicleTable table;
    ReadDefinitions(demo::GenerateDefinitions(1), table);
    return table;
  }();
  return vehicles;
}

template <typename T>
bool Within(const std::optional<T>& value, double low, double high) {
  return !value || (*value >= low && *value <= high);
}

}  // namespace

TOVICK_FUZZ_TARGET(input) {
  const VehicleTable* vehicles = (input.Byte() & 1) ? &DemoVehicles() : nullptr;
  const std::string text = input.Rest();
  const SlotRecordsRead read = ReadSlotRecords(text, vehicles);
  if (!read.Errors.empty()) {
    FUZZ_CHECK(read.Records.empty());
    FUZZ_CHECK(read.Errors.size() <= 21);
    return;
  }
  FUZZ_CHECK(read.Records.size() <= 160);
  for (const SlotRecord& record : read.Records) {
    FUZZ_CHECK(!record.Where.empty());
    FUZZ_CHECK(Within(record.Slot, 0, 159));
    // A model that is no vehicle is carried with its message, for the import to decide.
    if (record.Model && record.ModelNotVehicle.empty()) {
      if (vehicles == nullptr) {
        FUZZ_CHECK(*record.Model >= 90 && *record.Model <= 150);
      } else {
        FUZZ_CHECK(*record.Model >= 0 && *record.Model <= kMaxVehicleId);
        FUZZ_CHECK(!vehicles->VehicleNames[static_cast<std::size_t>(*record.Model)].empty());
      }
    }
    for (const auto& position : {record.X, record.Y, record.Z, record.Heading}) {
      FUZZ_CHECK(Within(position, -2048, 2047.9375));
    }
    FUZZ_CHECK(Within(record.Colour1, -1, 255) && Within(record.Colour2, -1, 255));
    FUZZ_CHECK(Within(record.ForceSpawn, 0, 1));
    // Alarm, lock (0 to 255) and the 16-bit fields hold no other values: their types say so.
  }
}
