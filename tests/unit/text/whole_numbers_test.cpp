// Whole numbers from file reals: rounding half to even, saturating at the int64 limits, and
// wrapping to the low 8 or 16 bits for every finite value.

#include "text/whole_numbers.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <limits>

namespace tovick {
namespace {

struct NearestCase {
  double Value;
  std::int64_t Expected;
};

class NearestIntegerTest : public ::testing::TestWithParam<NearestCase> {};

TEST_P(NearestIntegerTest, RoundsAndSaturates) {
  EXPECT_EQ(NearestInteger(GetParam().Value), GetParam().Expected) << GetParam().Value;
}

constexpr std::int64_t kMax64 = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin64 = std::numeric_limits<std::int64_t>::min();
constexpr double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Cases, NearestIntegerTest,
    ::testing::Values(NearestCase{2.5, 2}, NearestCase{3.5, 4}, NearestCase{-0.5, 0},
                      NearestCase{-2.5, -2}, NearestCase{65342.4, 65342},
                      NearestCase{9223372036854774784.0, 9223372036854774784},
                      NearestCase{9223372036854775808.0, kMax64},
                      NearestCase{-9223372036854775808.0, kMin64}, NearestCase{1e300, kMax64},
                      NearestCase{-1e300, kMin64}, NearestCase{DBL_MAX, kMax64},
                      NearestCase{kInf, kMax64}, NearestCase{-kInf, kMin64},
                      NearestCase{std::numeric_limits<double>::quiet_NaN(), 0}));

struct WrapCase {
  double Value;
  std::uint8_t Byte;
  std::uint16_t Word;
};

class WrapTest : public ::testing::TestWithParam<WrapCase> {};

TEST_P(WrapTest, KeepsTheLowBitsOfTheNearestInteger) {
  EXPECT_EQ(WrapToByte(GetParam().Value), GetParam().Byte) << GetParam().Value;
  EXPECT_EQ(WrapToWord(GetParam().Value), GetParam().Word) << GetParam().Value;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WrapTest,
    ::testing::Values(WrapCase{300, 44, 300}, WrapCase{40000, 0x40, 0x9C40},
                      WrapCase{255, 255, 255}, WrapCase{256, 0, 256}, WrapCase{-1, 255, 65535},
                      WrapCase{-32768, 0, 0x8000}, WrapCase{65536, 0, 0}, WrapCase{2.5, 2, 2},
                      WrapCase{3.5, 4, 4}, WrapCase{-0.5, 0, 0}, WrapCase{255.5, 0, 256},
                      WrapCase{65535.5, 0, 0}, WrapCase{65534.5, 254, 65534},
                      WrapCase{9007199254740991.0, 255, 65535},  // 2^53 - 1
                      WrapCase{-9007199254740991.0, 1, 1},
                      WrapCase{9223372036854775808.0, 0, 0},       // 2^63
                      WrapCase{-9223372036854777856.0, 0, 63488},  // -(2^63 + 2048)
                      WrapCase{1e300, 0, 0}, WrapCase{-1e300, 0, 0}, WrapCase{DBL_MAX, 0, 0},
                      WrapCase{kInf, 0, 0}, WrapCase{-kInf, 0, 0},
                      WrapCase{std::numeric_limits<double>::quiet_NaN(), 0, 0}));

TEST(WrapToWord, FortyThousandReadsBackAsNegative) {
  EXPECT_EQ(static_cast<std::int16_t>(WrapToWord(40000)), -25536);
}

}  // namespace
}  // namespace tovick
