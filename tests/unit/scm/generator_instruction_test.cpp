// The generator instruction as the game encodes it: which byte strings hold one and where, the
// values as the game reads them, and where each lies and how wide it is.

#include "scm/generator_instruction.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace tovick {
namespace {

std::vector<std::uint8_t> Hex(const std::string& text) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t at = 0; at + 1 < text.size(); ++at) {
    if (text[at] == ' ') continue;
    bytes.push_back(static_cast<std::uint8_t>(std::stoi(text.substr(at, 2), nullptr, 16)));
    ++at;
  }
  return bytes;
}

// Opcode, X 272, Y -480, Z -1600, heading 360: 14 bytes.
const std::string kHead = "4B 01 06 10 01 06 20 FE 06 C0 F9 06 68 01 ";
const std::string kModel8 = "04 6E ";
// Colours -1, force spawn 0, alarm 50, lock 100.
const std::string kMiddle = "04 FF 04 FF 04 00 04 32 04 64 ";
// Minimum delay 0, maximum delay 10000, global handle 0x0A5C.
const std::string kTail = "04 00 05 10 27 02 5C 0A";
const std::string kPlain = kHead + kModel8 + kMiddle + kTail;

using Values = std::array<std::int32_t, kGeneratorParamCount>;
using Widths = std::array<int, kGeneratorParamCount>;
constexpr Values kPlainValues{272, -480, -1600, 360, 110, -1, -1, 0, 50, 100, 0, 10000, 2652};
constexpr Widths kPlainWidths{2, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1, 2, 2};

// Values and widths are both one int per parameter.
Values With(Values values, GeneratorParam param, std::int32_t value) {
  values[static_cast<std::size_t>(param)] = value;
  return values;
}

TEST(GeneratorInstruction, FindsTheEncodingsTheGameReads) {
  struct Case {
    const char* Name;
    std::string Bytes;
    std::vector<std::int64_t> Offsets;  // of the instructions found; the first is checked in full
    std::int64_t End = 34;
    Values Expected = kPlainValues;
    Widths ExpectedWidths = kPlainWidths;
    std::int64_t AlarmOffset = 23;
    bool Local = false;
  };
  using P = GeneratorParam;
  const std::string plain16 = kHead + "05 8C 00 " + kMiddle + kTail;
  const Case cases[] = {
      {"plain", kPlain, {0}},
      {"behind other bytes", "01 02 03 " + kPlain, {3}, 37, kPlainValues, kPlainWidths, 26},
      {"ending one byte before the end", kPlain + " 4B", {0}},
      {"16-bit model",
       plain16,
       {0},
       35,
       With(kPlainValues, P::Model, 140),
       With(kPlainWidths, P::Model, 2),
       24},
      {"8-bit model 0x8C reads negative",
       kHead + "04 8C " + kMiddle + kTail,
       {0},
       34,
       With(kPlainValues, P::Model, -116)},
      {"32-bit model",
       kHead + "01 8C 00 00 00 " + kMiddle + kTail,
       {0},
       37,
       With(kPlainValues, P::Model, 140),
       With(kPlainWidths, P::Model, 4),
       26},
      {"16-bit colours",
       kHead + kModel8 + "05 03 00 05 3E 00 04 00 04 32 04 64 " + kTail,
       {0},
       36,
       With(With(kPlainValues, P::Colour1, 3), P::Colour2, 62),
       With(With(kPlainWidths, P::Colour1, 2), P::Colour2, 2),
       25},
      {"16-bit alarm",
       kHead + kModel8 + "04 FF 04 FF 04 00 05 32 00 04 64 " + kTail,
       {0},
       35,
       kPlainValues,
       With(kPlainWidths, P::Alarm, 2)},
      {"32-bit maximum delay",
       kHead + kModel8 + kMiddle + "04 00 01 40 9C 00 00 02 5C 0A",
       {0},
       36,
       With(kPlainValues, P::MaxDelay, 40000),
       With(kPlainWidths, P::MaxDelay, 4)},
      {"32-bit -1",
       kHead + kModel8 + kMiddle + "04 00 01 FF FF FF FF 02 5C 0A",
       {0},
       36,
       With(kPlainValues, P::MaxDelay, -1),
       With(kPlainWidths, P::MaxDelay, 4)},
      {"local handle",
       kHead + kModel8 + kMiddle + "04 00 05 10 27 03 0C 00",
       {0},
       34,
       With(kPlainValues, P::Handle, 12),
       kPlainWidths,
       23,
       true},
      {"handle unsigned",
       kHead + kModel8 + kMiddle + "04 00 05 10 27 02 FF FF",
       {0},
       34,
       With(kPlainValues, P::Handle, 65535)},
      // The search goes on after the last byte of each one.
      {"back to back", kPlain + " " + plain16, {0, 34}},
      {"apart",
       "11 22 " + kPlain + " 66 77 88 " + plain16,
       {2, 39},
       36,
       kPlainValues,
       kPlainWidths,
       25},
      {"a stray opcode right before one",
       "4B 01 " + kPlain,
       {2},
       36,
       kPlainValues,
       kPlainWidths,
       25},
      {"the last one cut off", kPlain + " " + kPlain.substr(0, 30), {0}},
      // No instruction at all.
      {"X not fixed point", "4B 01 04 10 " + kHead.substr(12) + kModel8 + kMiddle + kTail, {}},
      {"heading 16-bit integer",
       "4B 01 06 10 01 06 20 FE 06 C0 F9 05 68 01 " + kModel8 + kMiddle + kTail,
       {}},
      {"model fixed point", kHead + "06 6E 00 " + kMiddle + kTail, {}},
      {"lock a variable", kHead + kModel8 + "04 FF 04 FF 04 00 04 32 02 64 00 " + kTail, {}},
      {"handle an integer", kHead + kModel8 + kMiddle + "04 00 05 10 27 05 5C 0A", {}},
      {"unknown type 0x07", kHead + kModel8 + kMiddle + "07 00 05 10 27 02 5C 0A", {}},
      {"other opcode", "4B 02" + kPlain.substr(5), {}},
      {"cut in the handle's value", kPlain.substr(0, kPlain.size() - 3), {}},
      {"cut before the handle's type", kPlain.substr(0, kPlain.size() - 9), {}},
      {"cut after the opcode", "4B 01", {}},
      {"one byte", "4B", {}},
      {"empty", "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::vector<std::uint8_t> bytes = Hex(c.Bytes);
    const std::vector<GeneratorInstruction> found = FindGeneratorInstructions(bytes);
    std::vector<std::int64_t> offsets;
    for (const GeneratorInstruction& instruction : found) {
      offsets.push_back(instruction.opcodeOffset);
      EXPECT_TRUE(DecodeGeneratorAt(bytes, instruction.opcodeOffset).has_value());
    }
    ASSERT_EQ(offsets, c.Offsets);
    if (found.empty()) continue;
    const GeneratorInstruction& first = found.front();
    EXPECT_EQ(first.endOffset, c.End);
    EXPECT_EQ(first.HandleLocal(), c.Local);
    EXPECT_EQ(first[GeneratorParam::Alarm].offset, c.AlarmOffset);
    std::int64_t next = first.opcodeOffset + 2;
    for (std::size_t i = 0; i < first.params.size(); ++i) {
      const GeneratorValue& value = first.params[i];
      EXPECT_EQ(value.value, c.Expected[i]) << "parameter " << i;
      EXPECT_EQ(value.width, c.ExpectedWidths[i]) << "parameter " << i;
      // Each value lies right behind its type byte, and the next type byte right behind it.
      EXPECT_EQ(value.offset, next + 1) << "parameter " << i;
      EXPECT_EQ(bytes[static_cast<std::size_t>(next)], value.type) << "parameter " << i;
      next = value.offset + value.width;
    }
    EXPECT_EQ(next, c.End);
  }
  // Offsets that name no opcode.
  const std::vector<std::uint8_t> plain = Hex(kPlain);
  for (const std::int64_t offset : {std::int64_t{-1}, std::int64_t{1}, std::int64_t{33}}) {
    EXPECT_FALSE(DecodeGeneratorAt(plain, offset).has_value()) << offset;
  }
}

}  // namespace
}  // namespace tovick
