#include "gen/demo_save.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "save/generator_match.h"
#include "save/generator_slot.h"
#include "save/save_layout.h"
#include "scm/generator_instruction.h"

namespace tovick::demo {

namespace {

// A small fixed sequence for the bytes the game fills with its own state.
class Filler {
 public:
  explicit Filler(std::uint32_t seed) : state_(seed * 2654435761u + 0x5A7Eu) {}
  std::uint8_t Byte() { return static_cast<std::uint8_t>(Next() >> 24); }
  std::uint32_t Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return state_;
  }

 private:
  std::uint32_t state_;
};

constexpr std::size_t kHeaderBytes = 0x40;      // block 0 before its "SCR" tag
constexpr std::size_t kAfterVariables = 0x100;  // the rest of block 0's script state
constexpr std::uint32_t kMaxVariableSpace = 0x10000;
constexpr std::size_t kSlotTimer = 0x20;
constexpr std::size_t kSlotVehicle = 0x24;
constexpr std::size_t kSlotUses = 0x28;

class Writer {
 public:
  explicit Writer(std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
  void U8(std::uint8_t value) { bytes_.push_back(value); }
  void U16(std::uint16_t value) {
    U8(static_cast<std::uint8_t>(value & 0xFF));
    U8(static_cast<std::uint8_t>(value >> 8));
  }
  void U32(std::uint32_t value) {
    for (int i = 0; i < 4; ++i) U8(static_cast<std::uint8_t>(value >> (8 * i)));
  }
  void Tag(const char (&tag)[4]) {
    for (char c : tag) U8(static_cast<std::uint8_t>(c));
  }
  void Fill(std::size_t count, Filler& filler) {
    for (std::size_t i = 0; i < count; ++i) U8(filler.Byte());
  }
  std::size_t Size() const { return bytes_.size(); }

 private:
  std::vector<std::uint8_t>& bytes_;
};

// The variable space the script's first instruction (a jump over the variables) declares.
std::uint32_t VariableSpace(std::span<const std::uint8_t> script) {
  if (script.size() < 7 || script[0] != 0x02 || script[1] != 0x00 || script[2] != kTypeInt32) {
    return 0;
  }
  return std::min(ReadU32(script, 3), kMaxVariableSpace);
}

// Corners and length of a model's box, the same for every slot of that model.
std::array<std::uint8_t, kSlotBoxBytes> BoxOf(std::int32_t model) {
  const auto m = static_cast<std::uint32_t>(model);
  const float minX = -1.0f - static_cast<float>(m % 5) * 0.125f;
  const float minY = -2.0f - static_cast<float>(m % 7) * 0.25f;
  const float minZ = -0.75f - static_cast<float>(m % 3) * 0.125f;
  const float maxX = 1.0f + static_cast<float>(m % 4) * 0.125f;
  const float maxY = 2.25f + static_cast<float>(m % 6) * 0.25f;
  const float maxZ = 1.0f + static_cast<float>(m % 2) * 0.5f;
  const float length = std::max(std::sqrt(minX * minX + minY * minY + minZ * minZ),
                                std::sqrt(maxX * maxX + maxY * maxY + maxZ * maxZ));
  std::array<std::uint8_t, kSlotBoxBytes> box{};
  const float values[] = {minX, minY, minZ, maxX, maxY, maxZ, length};
  for (std::size_t i = 0; i < 7; ++i) WriteU32(box, 4 * i, std::bit_cast<std::uint32_t>(values[i]));
  return box;
}

}  // namespace

std::vector<std::uint8_t> GenerateSave(std::uint32_t seed, std::span<const std::uint8_t> script) {
  std::vector<GeneratorInstruction> instructions = FindGeneratorInstructions(script);
  if (instructions.size() > static_cast<std::size_t>(kGeneratorSlotCount)) {
    instructions.resize(static_cast<std::size_t>(kGeneratorSlotCount));
  }
  // The order they ran in: the first two of the file last.
  std::vector<std::size_t> ran;
  const std::size_t late = std::min<std::size_t>(2, instructions.size());
  for (std::size_t i = late; i < instructions.size(); ++i) ran.push_back(i);
  for (std::size_t i = 0; i < late; ++i) ran.push_back(i);

  Filler filler(seed);
  std::vector<std::uint8_t> bytes;
  bytes.reserve(kSaveLength);
  Writer out(bytes);

  // Block 0: the script's state, with its copy of the global variables.
  const std::uint32_t space = VariableSpace(script);
  std::vector<std::uint8_t> variables(space, 0);
  std::copy_n(script.begin(), std::min<std::size_t>(space, script.size()), variables.begin());
  for (std::size_t slot = 0; slot < ran.size(); ++slot) {
    const GeneratorValue& handle = instructions[ran[slot]][GeneratorParam::Handle];
    const auto offset = static_cast<std::uint32_t>(handle.value);
    if (handle.type == kTypeGlobalVar && space >= 4 && offset <= space - 4) {
      WriteU32(variables, offset, static_cast<std::uint32_t>(slot));
    }
  }
  out.U32(static_cast<std::uint32_t>(kHeaderBytes + 12 + space + kAfterVariables));
  out.Fill(kHeaderBytes, filler);
  out.Tag("SCR");
  out.U32(4 + space + static_cast<std::uint32_t>(kAfterVariables));
  out.U32(space);
  for (std::uint8_t byte : variables) out.U8(byte);
  out.Fill(kAfterVariables, filler);

  for (int block = 1; block < kSaveBlockCount; ++block) {
    if (block != kGeneratorBlock) {
      const auto size = static_cast<std::uint32_t>(0x200 + 0x40 * block);
      out.U32(size);
      out.U32(size - (block % 3 == 0 ? 6 : 4));
      out.Fill(size - 4, filler);
      continue;
    }
    out.U32(0x2D20);
    out.U32(0x2D1C);
    out.Tag("CGN");
    out.U32(0x2D14);
    out.U32(kGeneratorInfoSize);
    out.U32(static_cast<std::uint32_t>(ran.size()));
    out.U32(filler.Next() % 64);
    out.U8(filler.Byte());
    out.U8(filler.Byte());
    out.U16(0);
    out.U32(kGeneratorArraySize);
    for (std::size_t slot = 0; slot < static_cast<std::size_t>(kGeneratorSlotCount); ++slot) {
      std::array<std::uint8_t, kGeneratorSlotSize> raw{};
      if (slot < ran.size()) {
        GeneratorSlot values = CarriedSlot(instructions[ran[slot]], GeneratorSlot{});
        values.Box = BoxOf(values.Model);
        EncodeSlot(values, raw);
        WriteU32(raw, kSlotTimer, filler.Next() % 5000000);
        WriteU32(raw, kSlotVehicle, slot % 4 == 0 ? filler.Next() % 3000 : 0xFFFFFFFFu);
        raw[kSlotUses] = 0xFF;
        raw[kSlotUses + 1] = slot % 9 == 4 ? 0x00 : 0xFF;
      }
      for (std::uint8_t byte : raw) out.U8(byte);
    }
  }

  // Two chunks of padding up to the checksum.
  const std::size_t rest = kSaveChecksumOffset - out.Size() - 8;
  out.U32(static_cast<std::uint32_t>(rest / 2));
  for (std::size_t i = 0; i < rest / 2; ++i) out.U8(0);
  out.U32(static_cast<std::uint32_t>(rest - rest / 2));
  for (std::size_t i = 0; i < rest - rest / 2; ++i) out.U8(0);
  out.U32(0);
  RenewSaveChecksum(bytes);
  return bytes;
}

}  // namespace tovick::demo
