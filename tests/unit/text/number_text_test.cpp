#include "text/number_text.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <string>

namespace tovick {
namespace {

struct RenderCase {
  double Value;
  int Digits;
  const char* Expected;
};

class NumberToTextTest : public ::testing::TestWithParam<RenderCase> {};

TEST_P(NumberToTextTest, RendersCanonically) {
  const RenderCase& c = GetParam();
  EXPECT_EQ(NumberToText(c.Value, c.Digits), c.Expected) << "value " << c.Value;
}

INSTANTIATE_TEST_SUITE_P(
    SignAndIntegers, NumberToTextTest,
    ::testing::Values(RenderCase{0.0, 15, " 0"}, RenderCase{-0.0, 15, " 0"},
                      RenderCase{-0.0, 7, " 0"}, RenderCase{5, 15, " 5"}, RenderCase{-5, 15, "-5"},
                      RenderCase{-32768, 15, "-32768"}, RenderCase{65535, 15, " 65535"},
                      RenderCase{65342, 15, " 65342"}, RenderCase{1234, 7, " 1234"},
                      RenderCase{-1234, 7, "-1234"}, RenderCase{3.0, 15, " 3"},
                      RenderCase{1000000, 7, " 1000000"},
                      RenderCase{999999999999999.0, 15, " 999999999999999"}));

INSTANTIATE_TEST_SUITE_P(
    Fractions, NumberToTextTest,
    ::testing::Values(RenderCase{1.0 / 16, 15, " .0625"}, RenderCase{-17.0 / 16, 15, "-1.0625"},
                      RenderCase{-1234.0 / 16, 7, "-77.125"}, RenderCase{1.0 / 16, 7, " .0625"},
                      RenderCase{0.5, 15, " .5"}, RenderCase{-0.5, 15, "-.5"},
                      RenderCase{12.5, 15, " 12.5"}, RenderCase{0.1, 15, " .1"},
                      RenderCase{static_cast<double>(0.1f), 7, " .1"},
                      RenderCase{static_cast<double>(0.1f), 15, " .100000001490116"},
                      RenderCase{2.0 / 3.0, 15, " .666666666666667"},
                      RenderCase{-2.0 / 3.0, 7, "-.6666667"}));

// The first dropped digit alone decides; a 5 goes to the even neighbour whatever follows it.
INSTANTIATE_TEST_SUITE_P(
    SevenDigitRounding, NumberToTextTest,
    ::testing::Values(RenderCase{16001.0 / 16, 7, " 1000.062"},  // 1000.0625, 2 is even
                      RenderCase{32767.0 / 16, 7, " 2047.938"},  // 2047.9375, 7 goes up
                      RenderCase{1000.06251, 7, " 1000.062"},    // digits after the 5 ignored
                      RenderCase{1000.1875, 7, " 1000.188"},     // odd 7 goes up to 8
                      RenderCase{1000.0624, 7, " 1000.062"},     // below 5 stays
                      RenderCase{1000.0627, 7, " 1000.063"},     // above 5 goes up
                      RenderCase{1000.0626, 7, " 1000.062"},     // stored as 1000.062599...
                      RenderCase{1234567.5, 7, " 1234568"}, RenderCase{1234568.5, 7, " 1234568"},
                      RenderCase{-1234567.5, 7, "-1234568"},
                      RenderCase{2047.99995, 7, " 2048"},    // carry through the nines
                      RenderCase{9999.9999, 7, " 10000"}));  // carry adds an integer digit

INSTANTIATE_TEST_SUITE_P(
    ExponentForm, NumberToTextTest,
    ::testing::Values(RenderCase{1.5e20, 15, " 1.5E+20"}, RenderCase{1e-20, 15, " 1E-20"},
                      RenderCase{-1.5e-20, 15, "-1.5E-20"}, RenderCase{1e15, 15, " 1E+15"},
                      RenderCase{12345678, 7, " 1.234568E+7"},
                      RenderCase{9999999.5, 7, " 1E+7"},  // rounding up needs an 8th digit
                      RenderCase{1e-8, 7, " .00000001"},  // seven leading zeros still fit
                      RenderCase{1e-9, 7, " 1E-9"},
                      RenderCase{DBL_MAX, 15, " 1.79769313486232E+308"},
                      RenderCase{-DBL_MAX, 15, "-1.79769313486232E+308"},
                      RenderCase{std::numeric_limits<double>::denorm_min(), 15,
                                 " 4.94065645841246E-324"}));

TEST(NumberToText, EveryInt16ValueReadsBackExactly) {
  for (int v = -32768; v <= 65535; ++v) {
    const std::string text = NumberToText(v, 7);
    ASSERT_EQ(text[0], v < 0 ? '-' : ' ') << v;
    ASSERT_EQ(TextToNumber(text), v) << text;
  }
}

TEST(NumberToText, EverySixteenthOfAPositionReadsBackWithinRounding) {
  for (int k = -32768; k <= 32767; ++k) {
    const double value = k / 16.0;
    const std::string text = NumberToText(value, 7);
    if (k != 0 && std::fabs(value) < 1) {
      ASSERT_EQ(text[1], '.') << text;  // no "0" before the point
    }
    ASSERT_NEAR(TextToNumber(text), value, 0.00051) << text;
  }
}

TEST(FieldNumberToText, AppendsOneBlank) {
  EXPECT_EQ(FieldNumberToText(12), " 12 ");
  EXPECT_EQ(FieldNumberToText(-3), "-3 ");
  EXPECT_EQ(FieldNumberToText(0), " 0 ");
}

struct HexCase {
  std::int64_t Value;
  int Digits;
  const char* Expected;
};

class HexTextTest : public ::testing::TestWithParam<HexCase> {};

TEST_P(HexTextTest, Renders) {
  EXPECT_EQ(HexText(GetParam().Value, GetParam().Digits), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HexTextTest,
    ::testing::Values(HexCase{0, 0, "0"}, HexCase{0x1A2, 0, "1A2"}, HexCase{0xABCDEF, 0, "ABCDEF"},
                      HexCase{65535, 0, "FFFF"}, HexCase{-1, 0, "FFFF"}, HexCase{-32768, 0, "8000"},
                      HexCase{0xA2, 2, "A2"}, HexCase{1, 2, "01"}, HexCase{0, 2, "00"},
                      HexCase{0x1A2, 2, "A2"}, HexCase{-1, 2, "FF"}, HexCase{0x1A2, 6, "0001A2"}));

struct ParseCase {
  const char* Text;
  double Expected;
};

class TextToNumberTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(TextToNumberTest, ReadsLongestPrefix) {
  const ParseCase& c = GetParam();
  const double value = TextToNumber(c.Text);
  EXPECT_EQ(value, c.Expected) << "text \"" << c.Text << "\"";
  EXPECT_FALSE(std::signbit(value) && value == 0.0) << "negative zero from \"" << c.Text << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Decimal, TextToNumberTest,
    ::testing::Values(ParseCase{"  42", 42}, ParseCase{"42 ", 42}, ParseCase{"\t\n 42", 42},
                      ParseCase{"-0", 0}, ParseCase{"-0.0e5", 0}, ParseCase{"", 0},
                      ParseCase{"abc", 0}, ParseCase{"12abc", 12}, ParseCase{"1,5", 1},
                      ParseCase{"1 2", 1}, ParseCase{"\r5", 0}, ParseCase{"- 5", 0},
                      ParseCase{"+7", 7}, ParseCase{"-.5", -0.5}, ParseCase{".5", 0.5},
                      ParseCase{".", 0}, ParseCase{"-", 0}, ParseCase{"1.5.5", 1.5},
                      ParseCase{"  -12.25xyz", -12.25}, ParseCase{"0.1", 0.1},
                      ParseCase{"123456789012345678901234567890", 123456789012345678901234567890.0},
                      ParseCase{"0000000000000000000000000001.5", 1.5}));

INSTANTIATE_TEST_SUITE_P(
    Exponents, TextToNumberTest,
    ::testing::Values(ParseCase{"1E3", 1000}, ParseCase{"1e3", 1000}, ParseCase{"1D3", 1000},
                      ParseCase{"1d-3", 0.001}, ParseCase{"2.5E+2", 250}, ParseCase{"1E", 1},
                      ParseCase{"1E+", 1}, ParseCase{"1Ex", 1}, ParseCase{"0e99999", 0},
                      ParseCase{"1e308", 1e308}, ParseCase{"1e309", DBL_MAX},
                      ParseCase{"1e99999", DBL_MAX}, ParseCase{"-1e99999", -DBL_MAX},
                      ParseCase{"1e99999999999999999999999", DBL_MAX}, ParseCase{"1e-99999", 0},
                      ParseCase{"-1e-400", 0}, ParseCase{"0.0000000001e-9990", 0}));

// Forms the program has never accepted must not slip in through a library parser.
INSTANTIATE_TEST_SUITE_P(ForeignForms, TextToNumberTest,
                         ::testing::Values(ParseCase{"inf", 0}, ParseCase{"-infinity", 0},
                                           ParseCase{"nan", 0}, ParseCase{"0x1A", 0},
                                           ParseCase{"1e0x5", 1}));

INSTANTIATE_TEST_SUITE_P(
    Radix, TextToNumberTest,
    ::testing::Values(ParseCase{"&H0", 0}, ParseCase{"&H0FFFF", 65535}, ParseCase{"&HFFFF", -1},
                      ParseCase{"&H8000", -32768}, ParseCase{"&H7FFF", 32767},
                      ParseCase{"&H010000", 65536}, ParseCase{"&H10000", 65536},
                      ParseCase{"&hff", 255}, ParseCase{"&H", 0}, ParseCase{"&", 0},
                      ParseCase{"  &H10", 16}, ParseCase{"&H01A2Bh", 6699}, ParseCase{"&H0G", 0},
                      ParseCase{"&O17", 15}, ParseCase{"&o17", 15}, ParseCase{"&Q17", 15},
                      ParseCase{"&q17", 15}, ParseCase{"&17", 15}, ParseCase{"&178", 15},
                      ParseCase{"&9", 0}, ParseCase{"&177777", -1}, ParseCase{"&0177777", 65535},
                      ParseCase{"&B1010", 10}, ParseCase{"&b1111111111111111", -1},
                      ParseCase{"&B2", 0}, ParseCase{"-&H1", 0}));

struct RoundCase {
  double Value;
  double Expected;
};

class RoundHalfEvenTest : public ::testing::TestWithParam<RoundCase> {};

TEST_P(RoundHalfEvenTest, TiesGoToEven) {
  EXPECT_EQ(RoundHalfEven(GetParam().Value), GetParam().Expected) << GetParam().Value;
}

INSTANTIATE_TEST_SUITE_P(Cases, RoundHalfEvenTest,
                         ::testing::Values(RoundCase{2.5, 2}, RoundCase{3.5, 4}, RoundCase{-0.5, 0},
                                           RoundCase{-1.5, -2}, RoundCase{-2.5, -2},
                                           RoundCase{0.49999999999999994, 0},
                                           RoundCase{2.5000000000000004, 3}, RoundCase{-2.4, -2},
                                           RoundCase{4503599627370497.0, 4503599627370497.0},
                                           RoundCase{1e300, 1e300}));

TEST(Trim, RemovesBlanksOnly) {
  EXPECT_EQ(TrimLeft("  a b  "), "a b  ");
  EXPECT_EQ(TrimRight("  a b  "), "  a b");
  EXPECT_EQ(Trim("  a b  "), "a b");
  EXPECT_EQ(Trim("\ta\t "), "\ta\t");
  EXPECT_EQ(TrimLeft("\t a"), "\t a");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(Trim(""), "");
  EXPECT_EQ(Trim(NumberToText(7)), "7");
}

}  // namespace
}  // namespace tovick
