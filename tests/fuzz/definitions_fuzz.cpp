// The definitions reader over any file: it counts what it names, names only the ids it accepts,
// and keeps every name to its slot.
#include "fuzz_harness.h"
#include "vehicles/definitions.h"

using namespace tovick;

TOVICK_FUZZ_TARGET(input) {
  VehicleTable table;
  const DefinitionsRead read = ReadDefinitions(input.Rest(), table);
  FUZZ_CHECK(static_cast<std::size_t>(read.AcceptedLines) == read.SearchItems.size());
  FUZZ_CHECK((read.AcceptedLines == 0) == (table.HighestVehicleId == 0));
  FUZZ_CHECK(table.HighestVehicleId == 0 || (table.HighestVehicleId >= kLowestVehicleId &&
                                             table.HighestVehicleId <= kHighestAcceptedVehicleId));
  for (int id = 0; id <= kMaxVehicleId; ++id) {
    const std::string& name = table.VehicleNames[static_cast<std::size_t>(id)];
    FUZZ_CHECK(name.size() <= kVehicleNameSlot);
    FUZZ_CHECK(name.empty() || (id >= kLowestVehicleId && id <= table.HighestVehicleId));
  }
  for (const std::string& item : read.SearchItems) FUZZ_CHECK(UpperCaseName(item) == item);
}
