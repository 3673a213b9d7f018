#include "scm/generator_instruction.h"

#include <algorithm>
#include <cstddef>

namespace tovick {
namespace {

bool AllowedType(GeneratorParam param, std::uint8_t type) {
  switch (param) {
    case GeneratorParam::X:
    case GeneratorParam::Y:
    case GeneratorParam::Z:
    case GeneratorParam::Heading:
      return type == kTypeFixed16;
    case GeneratorParam::Handle:
      return type == kTypeGlobalVar || type == kTypeLocalVar;
    default:
      return type == kTypeInt32 || type == kTypeInt8 || type == kTypeInt16;
  }
}

std::int32_t ReadValue(std::span<const std::uint8_t> bytes, std::size_t at, std::uint8_t type) {
  switch (type) {
    case kTypeInt8:
      return static_cast<std::int8_t>(bytes[at]);
    case kTypeInt32:
      return static_cast<std::int32_t>(static_cast<std::uint32_t>(bytes[at]) |
                                       static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
                                       static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
                                       static_cast<std::uint32_t>(bytes[at + 3]) << 24);
    default: {
      const auto word = static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
      if (type == kTypeGlobalVar || type == kTypeLocalVar) return word;
      return static_cast<std::int16_t>(word);
    }
  }
}

}  // namespace

int GeneratorValueWidth(std::uint8_t type) {
  switch (type) {
    case kTypeInt32:
      return 4;
    case kTypeInt8:
      return 1;
    case kTypeGlobalVar:
    case kTypeLocalVar:
    case kTypeInt16:
    case kTypeFixed16:
      return 2;
    default:
      return 0;
  }
}

std::optional<GeneratorInstruction> DecodeGeneratorAt(std::span<const std::uint8_t> bytes,
                                                      std::int64_t offset) {
  if (offset < 0 || bytes.size() < 2 || static_cast<std::uint64_t>(offset) > bytes.size() - 2) {
    return std::nullopt;
  }
  auto at = static_cast<std::size_t>(offset);
  if (bytes[at] != (kGeneratorOpcode & 0xFF) || bytes[at + 1] != kGeneratorOpcode >> 8) {
    return std::nullopt;
  }
  at += 2;
  GeneratorInstruction instruction;
  instruction.opcodeOffset = offset;
  for (int i = 0; i < kGeneratorParamCount; ++i) {
    if (at >= bytes.size()) return std::nullopt;
    const std::uint8_t type = bytes[at];
    if (!AllowedType(static_cast<GeneratorParam>(i), type)) return std::nullopt;
    const int width = GeneratorValueWidth(type);
    if (bytes.size() - at - 1 < static_cast<std::size_t>(width)) return std::nullopt;
    GeneratorValue& value = instruction.params[static_cast<std::size_t>(i)];
    value.type = type;
    value.offset = static_cast<std::int64_t>(at + 1);
    value.width = width;
    value.value = ReadValue(bytes, at + 1, type);
    at += 1 + static_cast<std::size_t>(width);
  }
  instruction.endOffset = static_cast<std::int64_t>(at);
  return instruction;
}

std::vector<GeneratorInstruction> FindGeneratorInstructions(std::span<const std::uint8_t> bytes) {
  std::vector<GeneratorInstruction> found;
  const auto size = static_cast<std::int64_t>(bytes.size());
  std::int64_t at = 0;
  while (at + 1 < size) {
    // Only an opcode's first byte can start one: jump to the next (a script is mostly other bytes).
    const auto next = std::find(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.end(),
                                std::uint8_t{kGeneratorOpcode & 0xFF});
    at = next - bytes.begin();
    if (at + 1 >= size) break;
    if (std::optional<GeneratorInstruction> instruction = DecodeGeneratorAt(bytes, at)) {
      at = instruction->endOffset;
      found.push_back(*instruction);
    } else {
      ++at;
    }
  }
  return found;
}

}  // namespace tovick
