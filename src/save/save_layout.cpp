#include "save/save_layout.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace tovick {

namespace {

constexpr std::array<std::uint8_t, 4> kScriptTag{'S', 'C', 'R', 0};
constexpr std::array<std::uint8_t, 4> kGeneratorTag{'C', 'G', 'N', 0};
// Block 13's data: inner size, tag, size, info size, info, array size, then the array.
constexpr std::size_t kTagInBlock = 4;
constexpr std::size_t kInfoSizeInBlock = 12;
constexpr std::size_t kInfoInBlock = 16;
constexpr std::size_t kArraySizeInBlock = kInfoInBlock + kGeneratorInfoSize;
constexpr std::size_t kArrayInBlock = kArraySizeInBlock + 4;
// The SCR sub-block: tag, size, V, then V bytes of variables.
constexpr std::size_t kVariablesInScript = 12;

bool TagAt(std::span<const std::uint8_t> bytes, std::size_t at,
           const std::array<std::uint8_t, 4>& tag) {
  return at + tag.size() <= bytes.size() &&
         std::equal(tag.begin(), tag.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
}

SaveRead Refuse(std::string problem) {
  return {std::nullopt, std::move(problem)};
}

}  // namespace

std::uint32_t ReadU32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
         static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

void WriteU32(std::span<std::uint8_t> bytes, std::size_t at, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t SaveChecksum(std::span<const std::uint8_t> bytes) {
  std::uint32_t sum = 0;
  const std::size_t end = std::min(bytes.size(), kSaveChecksumOffset);
  for (std::size_t i = 0; i < end; ++i) sum += bytes[i];
  return sum;
}

void RenewSaveChecksum(std::span<std::uint8_t> bytes) {
  WriteU32(bytes, kSaveChecksumOffset, SaveChecksum(bytes));
}

SaveRead ReadSaveLayout(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return Refuse("the file is empty");
  if (bytes.size() != kSaveLength) {
    return Refuse(std::to_string(bytes.size()) + " bytes, not " + std::to_string(kSaveLength));
  }

  // The blocks and the two padding chunks must end exactly where the checksum starts.
  std::array<std::size_t, kSaveBlockCount> blockData{};
  std::array<std::size_t, kSaveBlockCount> blockEnd{};
  std::size_t at = 0;
  for (int chunk = 0; chunk < kSaveBlockCount + kSavePaddingChunks; ++chunk) {
    if (kSaveChecksumOffset - at < 4) {
      return Refuse("block " + std::to_string(chunk) + " starts past the end of the blocks");
    }
    const std::uint32_t size = ReadU32(bytes, at);
    if (size > kSaveChecksumOffset - at - 4) {
      return Refuse("block " + std::to_string(chunk) + " (size " + std::to_string(size) +
                    " at offset " + std::to_string(at) + ") runs past the checksum");
    }
    if (chunk < kSaveBlockCount) {
      blockData[static_cast<std::size_t>(chunk)] = at + 4;
      blockEnd[static_cast<std::size_t>(chunk)] = at + 4 + size;
    }
    at += 4 + size;
  }
  if (at != kSaveChecksumOffset) {
    return Refuse("the blocks end at offset " + std::to_string(at) + ", not at the checksum (" +
                  std::to_string(kSaveChecksumOffset) + ")");
  }

  SaveLayout layout;
  const std::size_t cgn = blockData[kGeneratorBlock];
  const std::size_t cgnEnd = blockEnd[kGeneratorBlock];
  if (cgnEnd - cgn < kTagInBlock + 4 || !TagAt(bytes, cgn + kTagInBlock, kGeneratorTag)) {
    return Refuse("block 13 is not the car generators (no \"CGN\" tag)");
  }
  if (cgnEnd - cgn < kArrayInBlock + kGeneratorArraySize ||
      ReadU32(bytes, cgn + kInfoSizeInBlock) != kGeneratorInfoSize ||
      ReadU32(bytes, cgn + kArraySizeInBlock) != kGeneratorArraySize) {
    return Refuse("the car generators are not 160 slots of 72 bytes");
  }
  layout.GeneratorCount = ReadU32(bytes, cgn + kInfoInBlock);
  if (layout.GeneratorCount > kGeneratorSlotCount) {
    return Refuse(std::to_string(layout.GeneratorCount) +
                  " car generators in use, more than the game's 160");
  }
  layout.SlotsOffset = cgn + kArrayInBlock;

  // The script's variables: the first "SCR" tag of block 0, and V bytes after it inside the block.
  const std::size_t scriptEnd = blockEnd[0];
  std::size_t tag = blockData[0];
  while (tag + kVariablesInScript <= scriptEnd && !TagAt(bytes, tag, kScriptTag)) ++tag;
  if (tag + kVariablesInScript > scriptEnd) return Refuse("block 0 holds no \"SCR\" script state");
  layout.VariableSpace = ReadU32(bytes, tag + 8);
  layout.VariablesOffset = tag + kVariablesInScript;
  if (layout.VariableSpace > scriptEnd - layout.VariablesOffset) {
    return Refuse("the script's " + std::to_string(layout.VariableSpace) +
                  " bytes of variables run past block 0");
  }

  SaveRead read;
  const std::uint32_t stored = ReadU32(bytes, kSaveChecksumOffset);
  const std::uint32_t sum = SaveChecksum(bytes);
  layout.ChecksumOk = stored == sum;
  if (!layout.ChecksumOk) {
    read.Problem = "the checksum " + std::to_string(stored) + " does not match the bytes (" +
                   std::to_string(sum) + "): a damaged save";
  }
  read.Layout = layout;
  return read;
}

}  // namespace tovick
