#include "scm/generator_record.h"

namespace tovick {

namespace {

GeneratorParam ParamOf(BlockField field) {
  switch (field) {
    case BlockField::XPos:
      return GeneratorParam::X;
    case BlockField::YPos:
      return GeneratorParam::Y;
    case BlockField::UnknownWord:
      return GeneratorParam::Z;
    case BlockField::Heading:
      return GeneratorParam::Heading;
    case BlockField::Alarm:
      return GeneratorParam::Alarm;
    case BlockField::Lock:
      return GeneratorParam::Lock;
    case BlockField::WidthMarker:
    case BlockField::CarId:
      break;
  }
  return GeneratorParam::Model;
}

// The editor writes the four positions as words and alarm and lock as bytes.
int EditorWidth(BlockField field) {
  return field == BlockField::Alarm || field == BlockField::Lock || field == BlockField::CarId ? 1
                                                                                               : 2;
}

}  // namespace

std::int64_t RecordAddressOf(const GeneratorInstruction& instruction) {
  return instruction.opcodeOffset - kRecordLeadBytes;
}

std::int64_t EditorValue(const GeneratorValue& value) {
  return value.width == 1 ? static_cast<std::int64_t>(value.value & 0xFF) : value.value;
}

CarBlock EditorBlockOf(const GeneratorInstruction& instruction) {
  const GeneratorValue& model = instruction[GeneratorParam::Model];
  CarBlock block;
  block.Address = RecordAddressOf(instruction);
  block.WidthMarker = model.type;
  block.HiCar = model.width == 1 ? 0 : 1;
  block.CarId = static_cast<std::uint8_t>(model.value & 0xFF);
  block.XPos = static_cast<std::int16_t>(instruction[GeneratorParam::X].value);
  block.YPos = static_cast<std::int16_t>(instruction[GeneratorParam::Y].value);
  block.UnknownWord = static_cast<std::uint16_t>(instruction[GeneratorParam::Z].value & 0xFFFF);
  block.Heading = static_cast<std::int16_t>(instruction[GeneratorParam::Heading].value);
  block.Alarm = static_cast<std::uint8_t>(instruction[GeneratorParam::Alarm].value & 0xFF);
  block.Lock = static_cast<std::uint8_t>(instruction[GeneratorParam::Lock].value & 0xFF);
  return block;
}

std::optional<FieldSlot> EditorSlotOf(const GeneratorInstruction& instruction, BlockField field) {
  if (field == BlockField::WidthMarker) return std::nullopt;
  const GeneratorValue& value = instruction[ParamOf(field)];
  const int width = EditorWidth(field);
  // Little-endian: the model's low byte is its first, whatever its width.
  if (field != BlockField::CarId && value.width != width) return std::nullopt;
  return FieldSlot{value.offset, width};
}

}  // namespace tovick
