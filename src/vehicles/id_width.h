#pragma once
// Which vehicle ids suit which block. A block's id field is one byte wide (HiCar 0) or two bytes
// wide (HiCar 1): one-byte fields hold the ids up to 127, two-byte fields the ids from 128 on. An
// id on the other side of that line is unsafe in its block.

#include <cstdint>
#include <optional>

namespace tovick {

constexpr int kHighestOneByteId = 127;
constexpr int kLowestTwoByteId = kHighestOneByteId + 1;

// True when the id does not suit a block whose id field has the given width.
constexpr bool IsUnsafeId(int hiCar, int carId) {
  return hiCar == 0 ? carId > kHighestOneByteId : carId < kLowestTwoByteId;
}

// The ids the vehicle list offers, First..Last, in list order.
struct VehicleIdRange {
  int First = 0;
  int Last = 0;
};

// Every id from the lowest vehicle id to highestId once unsafe vehicles are enabled; otherwise
// only the ids that suit the block's id width.
VehicleIdRange VehicleListRange(int hiCar, bool unsafeEnabled, int highestId);

// The id at list position index, or nullopt when it falls outside the range. The id is a byte:
// positions wrap at 256.
std::optional<std::uint8_t> IdAtListPosition(VehicleIdRange range, int index);

// The list position of an id within the range.
constexpr int ListPositionOfId(VehicleIdRange range, int id) {
  return id - range.First;
}

}  // namespace tovick
