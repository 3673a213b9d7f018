#pragma once
// The "create parked-car generator" instruction (opcode 0x014B) as the game encodes it, wherever it
// lies in a script: scripts compiled by other tools do not always keep the seven bytes before it
// that the editor's block signature expects, so this reads the instruction itself.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tovick {

inline constexpr std::uint16_t kGeneratorOpcode = 0x014B;

// The thirteen parameters, in the order they are stored.
enum class GeneratorParam {
  X,
  Y,
  Z,
  Heading,
  Model,
  Colour1,
  Colour2,
  ForceSpawn,
  Alarm,
  Lock,
  MinDelay,
  MaxDelay,
  Handle,
};
inline constexpr int kGeneratorParamCount = 13;

// Parameter type bytes.
inline constexpr std::uint8_t kTypeInt32 = 0x01;
inline constexpr std::uint8_t kTypeGlobalVar = 0x02;
inline constexpr std::uint8_t kTypeLocalVar = 0x03;
inline constexpr std::uint8_t kTypeInt8 = 0x04;
inline constexpr std::uint8_t kTypeInt16 = 0x05;
inline constexpr std::uint8_t kTypeFixed16 = 0x06;

// One parameter: where its value lies, how wide it is, and the value as the game reads it (signed
// at its stored width; a variable's offset or index unsigned 16-bit).
struct GeneratorValue {
  std::uint8_t type = 0;
  std::int64_t offset = 0;  // of the value, one past the type byte
  int width = 0;            // 1, 2 or 4 bytes
  std::int32_t value = 0;
};

struct GeneratorInstruction {
  std::int64_t opcodeOffset = 0;
  std::int64_t endOffset = 0;  // one past the last byte of the handle variable
  std::array<GeneratorValue, kGeneratorParamCount> params{};

  const GeneratorValue& operator[](GeneratorParam param) const {
    return params[static_cast<std::size_t>(param)];
  }
  bool HandleLocal() const { return (*this)[GeneratorParam::Handle].type == kTypeLocalVar; }
};

// The width of a value of this parameter type, or 0 when the type is none this reader knows.
int GeneratorValueWidth(std::uint8_t type);

// The instruction whose opcode starts at `offset`, or nothing: all thirteen parameters must carry
// their allowed types (X, Y, Z, heading 0x06; the eight integers 0x01, 0x04 or 0x05; the handle 0x02
// or 0x03) and every byte must lie inside `bytes`.
std::optional<GeneratorInstruction> DecodeGeneratorAt(std::span<const std::uint8_t> bytes,
                                                      std::int64_t offset);

// Every instruction in file order. The search goes on after the last byte of each one found, so
// none overlap; bytes 4B 01 that do not decode are passed over.
std::vector<GeneratorInstruction> FindGeneratorInstructions(std::span<const std::uint8_t> bytes);

}  // namespace tovick
