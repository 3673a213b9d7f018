#include "gen/demo_save.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <iterator>

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

constexpr std::size_t kAfterVariables = 0x100;  // the rest of block 0's script state
constexpr std::uint32_t kMaxVariableSpace = 0x10000;
constexpr std::size_t kJumpBytes = 7;  // the copy's first instruction, a jump over the variables
constexpr std::size_t kSlotX = 0x04;
constexpr std::size_t kSlotTimer = 0x20;
constexpr std::size_t kSlotVehicle = 0x24;
constexpr std::size_t kSlotUses = 0x28;
constexpr std::size_t kCountInBlock = 20;  // block 13's number in use, from its size word
constexpr std::size_t kSlotsInBlock = 36;

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
std::uint32_t ScriptVariableSpace(std::span<const std::uint8_t> script) {
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

std::vector<std::uint8_t> GenerateSave(std::uint32_t seed, std::span<const std::uint8_t> script,
                                       SavePlatform platform) {
  const SavePlatformRow& row = PlatformRow(platform);
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
  // Each block as it stands in the joined stream, padded to a multiple of 4 with stale bytes.
  std::array<std::vector<std::uint8_t>, kSaveBlockCount> blocks;
  auto pad = [&filler](std::vector<std::uint8_t>& block) {
    while (block.size() % 4 != 0) block.push_back(filler.Byte());
  };

  // Block 0: the simple variables, then the script's state with its copy of the global variables.
  const std::uint32_t space = row.VariableSpace;
  const std::size_t shift = row.PcVariableShift;
  std::vector<std::uint8_t> variables(space, 0);
  const std::uint8_t jump[] = {0x02, 0x00, kTypeInt32};
  std::copy(std::begin(jump), std::end(jump), variables.begin());
  WriteU32(variables, 3, space);
  const std::size_t declared = std::min<std::size_t>(ScriptVariableSpace(script), script.size());
  for (std::size_t at = kJumpBytes; at < declared && at + shift < space; ++at) {
    variables[at + shift] = script[at];
  }
  for (std::size_t slot = 0; slot < ran.size(); ++slot) {
    const GeneratorValue& handle = instructions[ran[slot]][GeneratorParam::Handle];
    const auto offset = static_cast<std::size_t>(handle.value) + shift;
    if (handle.type == kTypeGlobalVar && offset + 4 <= space) {
      WriteU32(variables, offset, static_cast<std::uint32_t>(slot));
    }
  }
  {
    Writer out(blocks[0]);
    const auto scriptSize = static_cast<std::uint32_t>(12 + space + kAfterVariables);
    // The tag's file offset is the platform's: chunk 0's size word, the simple variables, S.
    out.Fill(row.ScriptTagAt - kChunkSizeBytes - 4, filler);
    out.U32(scriptSize);
    out.Tag("SCR");
    out.U32(scriptSize - 8);
    out.U32(space);
    for (std::uint8_t byte : variables) out.U8(byte);
    out.Fill(kAfterVariables, filler);
    pad(blocks[0]);
  }

  for (int n = 1; n < kSaveBlockCount; ++n) {
    std::vector<std::uint8_t>& block = blocks[static_cast<std::size_t>(n)];
    Writer out(block);
    if (n != kGeneratorBlock) {
      // Sizes of the game's kind: large pools early, small blocks late, some not a multiple of 4.
      const std::uint32_t size =
          n == 1   ? row.BlockOneSize
          : n <= 6 ? static_cast<std::uint32_t>(0x4000 + 0x100 * n - (n % 3 == 0 ? 2 : 0))
                   : static_cast<std::uint32_t>(0x200 + 0x40 * n - (n % 3 == 0 ? 2 : 0));
      out.U32(size);
      out.Fill(size, filler);
      pad(block);
      continue;
    }
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

  // The chunks that hold the blocks, grouped as the platform does.
  std::vector<std::vector<std::uint8_t>> chunks(static_cast<std::size_t>(row.Chunks->back()) + 1);
  std::size_t used = 0;
  for (std::size_t n = 0; n < blocks.size(); ++n) {
    std::vector<std::uint8_t>& chunk = chunks[(*row.Chunks)[n]];
    chunk.insert(chunk.end(), blocks[n].begin(), blocks[n].end());
    used += blocks[n].size();
  }

  // The padding: leftovers of the game's buffer up to the stream's total. A stale copy of blocks
  // 7 to 19 is an earlier save's, so its generators stand elsewhere and fewer are in use.
  std::vector<std::uint8_t> padding;
  for (int copy = 0; copy < row.StaleCopiesInPadding; ++copy) {
    for (std::size_t n = 7; n < blocks.size(); ++n) {
      std::vector<std::uint8_t> stale = blocks[n];
      if (n == static_cast<std::size_t>(kGeneratorBlock)) {
        WriteU32(stale, kCountInBlock, static_cast<std::uint32_t>(ran.size() / 2));
        for (std::size_t slot = 0; slot < ran.size(); ++slot) {
          const std::size_t x = kSlotsInBlock + slot * kGeneratorSlotSize + kSlotX;
          const float moved =
              std::bit_cast<float>(ReadU32(stale, x)) + 8.0f * static_cast<float>(copy + 1);
          WriteU32(stale, x, std::bit_cast<std::uint32_t>(moved));
        }
      }
      padding.insert(padding.end(), stale.begin(), stale.end());
    }
  }
  padding.resize(row.StreamTotal - used, 0);
  const auto paddingChunks = static_cast<std::size_t>(row.MinPaddingChunks);
  for (std::size_t c = 0, at = 0; c < paddingChunks; ++c) {
    const std::size_t size =
        c + 1 < paddingChunks ? padding.size() / paddingChunks : padding.size() - at;
    chunks.emplace_back(padding.begin() + static_cast<std::ptrdiff_t>(at),
                        padding.begin() + static_cast<std::ptrdiff_t>(at + size));
    at += size;
  }

  std::vector<std::uint8_t> bytes;
  bytes.reserve(SaveLength(row, row.MinPaddingChunks));
  Writer out(bytes);
  for (const std::vector<std::uint8_t>& chunk : chunks) {
    out.U32(static_cast<std::uint32_t>(chunk.size()));
    for (std::uint8_t byte : chunk) out.U8(byte);
  }
  out.U32(SaveChecksum(bytes, bytes.size()));
  // Any bytes: no tool can make the console's signature.
  for (std::size_t i = 0; i < row.SignatureBytes; ++i) out.U8(filler.Byte());
  return bytes;
}

}  // namespace tovick::demo
