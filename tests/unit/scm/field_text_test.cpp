// Typed field values: commas and dots refused, the lenient number rounded half-even and held to
// the field's range, UTELLME read as unsigned hexadecimal.

#include "scm/field_text.h"

#include <gtest/gtest.h>

#include <string>

namespace tovick {
namespace {

TEST(FieldText, DecimalAndHexadecimalValues) {
  struct Case {
    std::string Text;
    bool Hex;
    FieldRange Range;
    FieldTextFault Fault;
    int Value;
  };
  const Case cases[] = {
      {"-32768", false, kSignedWordField, FieldTextFault::None, -32768},
      {"32767", false, kSignedWordField, FieldTextFault::None, 32767},
      {"32768", false, kSignedWordField, FieldTextFault::Invalid, 0},
      {"-327685E-1", false, kSignedWordField, FieldTextFault::None, -32768},  // ties to even
      {"327675E-1", false, kSignedWordField, FieldTextFault::Invalid, 0},
      {"25E-1", false, kByteField, FieldTextFault::None, 2},
      {"1E300", false, kSignedWordField, FieldTextFault::Invalid, 0},
      {"3D2", false, kByteField, FieldTextFault::Invalid, 0},  // 300: D is an exponent
      {" 12abc", false, kByteField, FieldTextFault::None, 12},
      {"", false, kByteField, FieldTextFault::None, 0},
      {"-1", false, kByteField, FieldTextFault::Invalid, 0},
      {"1,5", false, kByteField, FieldTextFault::CommaOrDot, 0},
      {"FFFF", true, kWordField, FieldTextFault::None, 65535},
      {" f9c0 ", true, kWordField, FieldTextFault::None, 0xF9C0},
      {"10000", true, kWordField, FieldTextFault::Invalid, 0},
      {"F.F", true, kWordField, FieldTextFault::CommaOrDot, 0},
  };
  for (const Case& c : cases) {
    const FieldValue read =
        c.Hex ? ReadHexWordFieldText(c.Text) : ReadDecimalFieldText(c.Text, c.Range);
    EXPECT_EQ(read.Fault, c.Fault) << c.Text;
    if (c.Fault == FieldTextFault::None) {
      EXPECT_EQ(read.Value, c.Value) << c.Text;
    }
  }
}

}  // namespace
}  // namespace tovick
