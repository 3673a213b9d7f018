// The generator instruction as the game encodes it: which byte strings are one, the values as the
// game reads them and where each lies, the search through a whole file, and the editor's view of
// an instruction that plug-ins name and write.

#include "scm/generator_instruction.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "scm/generator_record.h"

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

TEST(GeneratorInstruction, DecodesTheEncodingsTheGameReads) {
  struct Case {
    const char* Name;
    std::string Bytes;
    std::int64_t Offset;
    std::int64_t End;  // -1: no instruction
    Values Expected = kPlainValues;
    Widths ExpectedWidths = kPlainWidths;
    std::int64_t AlarmOffset = 23;
    bool Local = false;
  };
  using P = GeneratorParam;
  const Case cases[] = {
      {"plain", kPlain, 0, 34},
      {"after other bytes", "01 02 03 " + kPlain, 3, 37, kPlainValues, kPlainWidths, 26},
      {"16-bit model", kHead + "05 8C 00 " + kMiddle + kTail, 0, 35,
       With(kPlainValues, P::Model, 140), With(kPlainWidths, P::Model, 2), 24},
      {"8-bit model 0x8C reads negative", kHead + "04 8C " + kMiddle + kTail, 0, 34,
       With(kPlainValues, P::Model, -116)},
      {"32-bit model", kHead + "01 8C 00 00 00 " + kMiddle + kTail, 0, 37,
       With(kPlainValues, P::Model, 140), With(kPlainWidths, P::Model, 4), 26},
      {"16-bit colours", kHead + kModel8 + "05 03 00 05 3E 00 04 00 04 32 04 64 " + kTail, 0, 36,
       With(With(kPlainValues, P::Colour1, 3), P::Colour2, 62),
       With(With(kPlainWidths, P::Colour1, 2), P::Colour2, 2), 25},
      {"16-bit alarm", kHead + kModel8 + "04 FF 04 FF 04 00 05 32 00 04 64 " + kTail, 0, 35,
       kPlainValues, With(kPlainWidths, P::Alarm, 2)},
      {"32-bit maximum delay", kHead + kModel8 + kMiddle + "04 00 01 40 9C 00 00 02 5C 0A", 0, 36,
       With(kPlainValues, P::MaxDelay, 40000), With(kPlainWidths, P::MaxDelay, 4)},
      {"32-bit -1", kHead + kModel8 + kMiddle + "04 00 01 FF FF FF FF 02 5C 0A", 0, 36,
       With(kPlainValues, P::MaxDelay, -1), With(kPlainWidths, P::MaxDelay, 4)},
      {"local handle", kHead + kModel8 + kMiddle + "04 00 05 10 27 03 0C 00", 0, 34,
       With(kPlainValues, P::Handle, 12), kPlainWidths, 23, true},
      {"handle unsigned", kHead + kModel8 + kMiddle + "04 00 05 10 27 02 FF FF", 0, 34,
       With(kPlainValues, P::Handle, 65535)},
      {"X not fixed point", "4B 01 04 10 " + kHead.substr(12) + kModel8 + kMiddle + kTail, 0, -1},
      {"heading 16-bit integer",
       "4B 01 06 10 01 06 20 FE 06 C0 F9 05 68 01 " + kModel8 + kMiddle + kTail, 0, -1},
      {"model fixed point", kHead + "06 6E 00 " + kMiddle + kTail, 0, -1},
      {"lock a variable", kHead + kModel8 + "04 FF 04 FF 04 00 04 32 02 64 00 " + kTail, 0, -1},
      {"handle an integer", kHead + kModel8 + kMiddle + "04 00 05 10 27 05 5C 0A", 0, -1},
      {"unknown type 0x07", kHead + kModel8 + kMiddle + "07 00 05 10 27 02 5C 0A", 0, -1},
      {"other opcode", "4B 02" + kPlain.substr(5), 0, -1},
      {"cut in the handle's value", kPlain.substr(0, kPlain.size() - 3), 0, -1},
      {"cut before the handle's type", kPlain.substr(0, kPlain.size() - 9), 0, -1},
      {"cut after the opcode", "4B 01", 0, -1},
      {"one byte", "4B", 0, -1},
      {"offset inside the opcode", kPlain, 1, -1},
      {"offset past the end", kPlain, 34, -1},
      {"negative offset", kPlain, -1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::vector<std::uint8_t> bytes = Hex(c.Bytes);
    const std::optional<GeneratorInstruction> found = DecodeGeneratorAt(bytes, c.Offset);
    if (c.End < 0) {
      EXPECT_FALSE(found.has_value());
      continue;
    }
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->opcodeOffset, c.Offset);
    EXPECT_EQ(found->endOffset, c.End);
    EXPECT_EQ(found->HandleLocal(), c.Local);
    EXPECT_EQ((*found)[GeneratorParam::Alarm].offset, c.AlarmOffset);
    std::int64_t next = c.Offset + 2;
    for (std::size_t i = 0; i < found->params.size(); ++i) {
      const GeneratorValue& value = found->params[i];
      EXPECT_EQ(value.value, c.Expected[i]) << "parameter " << i;
      EXPECT_EQ(value.width, c.ExpectedWidths[i]) << "parameter " << i;
      // Each value lies right behind its type byte, and the next type byte right behind it.
      EXPECT_EQ(value.offset, next + 1) << "parameter " << i;
      EXPECT_EQ(bytes[static_cast<std::size_t>(next)], value.type) << "parameter " << i;
      next = value.offset + value.width;
    }
    EXPECT_EQ(next, c.End);
  }
}

TEST(GeneratorInstruction, SearchGoesOnAfterEachInstruction) {
  const std::string plain16 = kHead + "05 8C 00 " + kMiddle + kTail;
  struct Case {
    const char* Name;
    std::string Bytes;
    std::vector<std::int64_t> Offsets;
  };
  const Case cases[] = {
      {"none", "00 4B 01 06 4B", {}},
      {"empty", "", {}},
      {"back to back", kPlain + " " + plain16, {0, 34}},
      {"behind other bytes", "11 22 33 44 55 " + kPlain + " 66 77 88 " + plain16, {5, 42}},
      {"a stray opcode right before one", "4B 01 " + kPlain, {2}},
      // The X value 0x014B holds the bytes 4B 01, which are no new instruction.
      {"opcode bytes inside a value", "4B 01 06 4B 01" + kPlain.substr(14), {0}},
      {"the last one cut off", kPlain + " " + kPlain.substr(0, 30), {0}},
      {"ending exactly at the end", "FF " + kPlain, {1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    std::vector<std::int64_t> offsets;
    for (const GeneratorInstruction& found : FindGeneratorInstructions(Hex(c.Bytes))) {
      offsets.push_back(found.opcodeOffset);
    }
    EXPECT_EQ(offsets, c.Offsets);
  }
}

TEST(GeneratorRecord, TheEditorsViewAndWhereItsWritesGo) {
  const std::vector<std::uint8_t> bytes = Hex("AA BB CC DD EE FF 11 " + kHead + "05 8C 01 " +
                                              "05 03 00 04 FF 04 00 05 32 00 04 64 " + kTail);
  const std::optional<GeneratorInstruction> found = DecodeGeneratorAt(bytes, 7);
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(RecordAddressOf(*found), 0);
  const CarBlock block = EditorBlockOf(*found);
  EXPECT_EQ(block.Address, 0);
  EXPECT_EQ(block.WidthMarker, kTypeInt16);
  EXPECT_EQ(block.HiCar, 1);
  EXPECT_EQ(block.CarId, 0x8C);  // model 0x018C: its low byte
  EXPECT_EQ(block.XPos, 272);
  EXPECT_EQ(block.UnknownWord, 0xF9C0);
  EXPECT_EQ(block.Lock, 100);
  EXPECT_EQ(EditorValue((*found)[GeneratorParam::Alarm]), 50);
  EXPECT_EQ(EditorValue((*found)[GeneratorParam::Colour2]), 255);  // 8-bit -1 as the byte

  struct Slot {
    BlockField Field;
    std::optional<std::int64_t> Offset;  // nothing: the editor cannot write it here
    int Width;
  };
  const Slot slots[] = {
      {BlockField::XPos, 10, 2},
      {BlockField::YPos, 13, 2},
      {BlockField::UnknownWord, 16, 2},
      {BlockField::Heading, 19, 2},
      {BlockField::CarId, 22, 1},
      {BlockField::WidthMarker, std::nullopt, 0},
      {BlockField::Alarm, std::nullopt, 0},  // 16-bit here
      {BlockField::Lock, 35, 1},
  };
  for (const Slot& slot : slots) {
    SCOPED_TRACE(static_cast<int>(slot.Field));
    const std::optional<FieldSlot> got = EditorSlotOf(*found, slot.Field);
    ASSERT_EQ(got.has_value(), slot.Offset.has_value());
    if (!got) continue;
    EXPECT_EQ(got->Offset, *slot.Offset);
    EXPECT_EQ(got->Width, slot.Width);
  }
}

}  // namespace
}  // namespace tovick
