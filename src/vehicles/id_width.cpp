#include "vehicles/id_width.h"

#include "vehicles/definitions.h"

namespace tovick {

VehicleIdRange VehicleListRange(int hiCar, bool unsafeEnabled, int highestId) {
  VehicleIdRange range{kLowestVehicleId, highestId};
  if (!unsafeEnabled) {
    if (hiCar == 1) {
      range.First = kLowestTwoByteId;
    } else {
      range.Last = kHighestOneByteId;
    }
  }
  return range;
}

std::optional<std::uint8_t> IdAtListPosition(VehicleIdRange range, int index) {
  const int id = (index + range.First) & 0xFF;
  if (id < range.First || id > range.Last) return std::nullopt;
  return static_cast<std::uint8_t>(id);
}

}  // namespace tovick
