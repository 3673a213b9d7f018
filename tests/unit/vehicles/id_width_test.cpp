// The one line between one-byte and two-byte vehicle ids, and the vehicle list it shapes.

#include "vehicles/id_width.h"

#include <gtest/gtest.h>

#include <optional>

namespace tovick {
namespace {

TEST(IdWidth, UnsafeOnTheOtherSideOf127) {
  struct Case {
    int HiCar, Id;
    bool Unsafe;
  };
  const Case cases[] = {{0, 90, false}, {0, 127, false}, {0, 128, true},  {0, 159, true},
                        {1, 90, true},  {1, 127, true},  {1, 128, false}, {1, 159, false}};
  for (const Case& c : cases) {
    EXPECT_EQ(IsUnsafeId(c.HiCar, c.Id), c.Unsafe) << c.HiCar << " " << c.Id;
  }
}

TEST(IdWidth, ListRangeAndPositions) {
  struct Case {
    int HiCar;
    bool UnsafeEnabled;
    int First, Last;
  };
  const Case cases[] = {
      {0, false, 90, 127}, {1, false, 128, 150}, {0, true, 90, 150}, {1, true, 90, 150}};
  for (const Case& c : cases) {
    const VehicleIdRange range = VehicleListRange(c.HiCar, c.UnsafeEnabled, 150);
    EXPECT_EQ(range.First, c.First);
    EXPECT_EQ(range.Last, c.Last);
    EXPECT_EQ(IdAtListPosition(range, 0), c.First);
    EXPECT_EQ(IdAtListPosition(range, c.Last - c.First), c.Last);
    EXPECT_EQ(IdAtListPosition(range, c.Last - c.First + 1), std::nullopt);
    EXPECT_EQ(ListPositionOfId(range, c.Last), c.Last - c.First);
  }
  // The id is a byte: a position past 255 comes round again.
  const VehicleIdRange all{90, 150};
  EXPECT_EQ(IdAtListPosition(all, 256), 90);
  EXPECT_EQ(IdAtListPosition(all, -1), std::nullopt);
}

}  // namespace
}  // namespace tovick
