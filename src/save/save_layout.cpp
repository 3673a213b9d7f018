#include "save/save_layout.h"

#include <algorithm>
#include <cctype>
#include <variant>
#include <vector>

namespace tovick {

namespace {

constexpr std::array<std::uint8_t, 4> kScriptTag{'S', 'C', 'R', 0};
constexpr std::array<std::uint8_t, 4> kGeneratorTag{'C', 'G', 'N', 0};
// Block 13 from its size word: size, tag, size, info size, info, array size, then the array.
constexpr std::size_t kTagInBlock = 4;
constexpr std::size_t kInfoSizeInBlock = 12;
constexpr std::size_t kInfoInBlock = 16;
constexpr std::size_t kArraySizeInBlock = kInfoInBlock + kGeneratorInfoSize;
constexpr std::size_t kArrayInBlock = kArraySizeInBlock + 4;
// The script's sub-block: S before the tag; the tag, S - 8, V, then V bytes of variables.
constexpr std::size_t kVariablesInScript = 12;

struct Extent {
  std::size_t Begin = 0;  // file offsets
  std::size_t End = 0;
};

struct Block {
  Extent Bytes;  // from its size word (block 0: from "SCR\0") to its end
  std::size_t Chunk = 0;
};

// How far a file got toward one platform's layout, and what stopped it there. The row that got
// furthest names what did not fit; rows stopped at the same step by the same fault share a line.
enum class Step { Chunks, ScriptTag, Blocks, Grouping, Padding, BlockOne, Total };

struct Misfit {
  Step Reached = Step::Chunks;
  std::string What;    // the fault, the same words for every row it stops there
  std::string Expect;  // what the row wanted
};

bool TagAt(std::span<const std::uint8_t> bytes, std::size_t at,
           const std::array<std::uint8_t, 4>& tag) {
  return at + tag.size() <= bytes.size() &&
         std::equal(tag.begin(), tag.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
}

std::size_t AlignFour(std::size_t at) {
  return (at + 3) & ~std::size_t{3};
}

SaveRead Refuse(std::string problem) {
  return {std::nullopt, std::move(problem)};
}

// The chunks from offset 0, each a size and that many bytes, which must end at the checksum.
std::variant<std::vector<Extent>, std::string> WalkChunks(std::span<const std::uint8_t> bytes,
                                                          std::size_t checksumAt) {
  std::vector<Extent> chunks;
  std::size_t at = 0;
  while (at < checksumAt) {
    if (checksumAt - at < kChunkSizeBytes) {
      return "the chunks end at offset " + std::to_string(at) + ", not at the checksum (" +
             std::to_string(checksumAt) + ")";
    }
    const std::uint32_t size = ReadU32(bytes, at);
    if (size > checksumAt - at - kChunkSizeBytes) {
      return "chunk " + std::to_string(chunks.size()) + " (size " + std::to_string(size) +
             " at offset " + std::to_string(at) + ") runs past the checksum (at offset " +
             std::to_string(checksumAt) + ")";
    }
    chunks.push_back({at + kChunkSizeBytes, at + kChunkSizeBytes + size});
    at += kChunkSizeBytes + size;
  }
  return chunks;
}

// Block 0 from "SCR\0" at the row's place to S bytes after it, then blocks 1 to 19 through the
// joined stream, each at the multiple of 4 after the one before; a chunk is left only where it
// ends. The blocks found, or where the row stopped.
std::variant<std::array<Block, kSaveBlockCount>, Misfit> WalkBlocks(
    std::span<const std::uint8_t> bytes, const std::vector<Extent>& chunks,
    const SavePlatformRow& row) {
  const std::string at = "offset " + std::to_string(row.ScriptTagAt) + " on " + row.Name;
  const std::size_t tag = row.ScriptTagAt;
  if (chunks.empty() || tag < chunks[0].Begin + 4 || tag + kVariablesInScript > chunks[0].End ||
      !TagAt(bytes, tag, kScriptTag)) {
    return Misfit{Step::ScriptTag, "block 0 holds no \"SCR\" script state where it belongs", at};
  }
  std::array<Block, kSaveBlockCount> blocks{};
  const std::uint32_t scriptSize = ReadU32(bytes, tag - 4);
  if (scriptSize < kVariablesInScript || scriptSize > chunks[0].End - tag) {
    return Misfit{Step::Blocks,
                  "block 0 (" + std::to_string(scriptSize) +
                      " bytes from \"SCR\") runs past its "
                      "chunk",
                  row.Name};
  }
  blocks[0] = {{tag, tag + scriptSize}, 0};
  std::size_t chunk = 0;
  for (int n = 1; n < kSaveBlockCount; ++n) {
    std::size_t next = AlignFour(blocks[static_cast<std::size_t>(n - 1)].Bytes.End);
    if (next > chunks[chunk].End) {
      return Misfit{Step::Blocks, "block " + std::to_string(n - 1) + " runs past its chunk",
                    row.Name};
    }
    if (next == chunks[chunk].End) {
      if (++chunk == chunks.size()) {
        return Misfit{Step::Blocks, "the chunks end before block " + std::to_string(n), row.Name};
      }
      next = chunks[chunk].Begin;
    }
    if (chunks[chunk].End - next < 4) {
      return Misfit{Step::Blocks,
                    "block " + std::to_string(n) + " at offset " + std::to_string(next) +
                        " has no room for its size",
                    row.Name};
    }
    const std::uint32_t size = ReadU32(bytes, next);
    if (size > chunks[chunk].End - next - 4) {
      return Misfit{Step::Blocks,
                    "block " + std::to_string(n) + " (size " + std::to_string(size) +
                        " at offset " + std::to_string(next) + ") runs past its chunk",
                    row.Name};
    }
    blocks[static_cast<std::size_t>(n)] = {{next, next + 4 + size}, chunk};
  }
  if (AlignFour(blocks.back().Bytes.End) != chunks[chunk].End) {
    return Misfit{Step::Blocks, "block 19 does not end its chunk", row.Name};
  }
  return blocks;
}

// The blocks of the file if it is a save of this row's platform, or where it stopped.
std::variant<std::array<Block, kSaveBlockCount>, Misfit> FitRow(std::span<const std::uint8_t> bytes,
                                                                const std::vector<Extent>& chunks,
                                                                const SavePlatformRow& row) {
  auto walked = WalkBlocks(bytes, chunks, row);
  if (std::holds_alternative<Misfit>(walked)) return walked;
  const auto& blocks = std::get<0>(walked);
  const std::string on = std::string(" on ") + row.Name;
  for (std::size_t n = 0; n < blocks.size(); ++n) {
    if (blocks[n].Chunk != (*row.Chunks)[n]) {
      return Misfit{
          Step::Grouping,
          "block " + std::to_string(n) + " lies in chunk " + std::to_string(blocks[n].Chunk),
          "chunk " + std::to_string((*row.Chunks)[n]) + on};
    }
  }
  const auto padding = static_cast<int>(chunks.size() - blocks.back().Chunk - 1);
  if (padding < row.MinPaddingChunks || padding > row.MaxPaddingChunks) {
    const std::string wanted =
        row.MinPaddingChunks == row.MaxPaddingChunks
            ? std::to_string(row.MinPaddingChunks)
            : std::to_string(row.MinPaddingChunks) + " or " + std::to_string(row.MaxPaddingChunks);
    return Misfit{Step::Padding, std::to_string(padding) + " chunk(s) of padding after block 19",
                  wanted + on};
  }
  const std::uint32_t blockOne = ReadU32(bytes, blocks[1].Bytes.Begin);
  if (blockOne != row.BlockOneSize) {
    return Misfit{Step::BlockOne, "block 1 is " + std::to_string(blockOne) + " bytes",
                  std::to_string(row.BlockOneSize) + on};
  }
  std::size_t total = 0;
  for (const Extent& chunk : chunks) total += chunk.End - chunk.Begin;
  if (total != row.StreamTotal) {
    return Misfit{Step::Total, "the chunks hold " + std::to_string(total) + " bytes",
                  std::to_string(row.StreamTotal) + on};
  }
  return walked;
}

// "201819 bytes, not 201820, 201752, 201756, 201748 or 201840": every length a save can have.
std::string LengthProblem(std::size_t length) {
  std::vector<std::size_t> lengths;
  for (const SavePlatformRow& row : kSavePlatforms) {
    for (int padding = row.MinPaddingChunks; padding <= row.MaxPaddingChunks; ++padding) {
      const std::size_t l = SaveLength(row, padding);
      if (std::find(lengths.begin(), lengths.end(), l) == lengths.end()) lengths.push_back(l);
    }
  }
  std::string text = std::to_string(length) + " bytes, not ";
  for (std::size_t i = 0; i < lengths.size(); ++i) {
    if (i > 0) text += i + 1 == lengths.size() ? " or " : ", ";
    text += std::to_string(lengths[i]);
  }
  return text + " (the saves of every platform)";
}

// The nearest rows' fault: "block 1 is 572 bytes (not 1566 on PC, 1606 on Android, ...)".
std::string NearestMisfit(const std::vector<Misfit>& misfits) {
  const Step furthest =
      std::max_element(misfits.begin(), misfits.end(), [](const Misfit& a, const Misfit& b) {
        return a.Reached < b.Reached;
      })->Reached;
  std::string what;
  std::string expected;
  for (const Misfit& misfit : misfits) {
    if (misfit.Reached != furthest) continue;
    if (what.empty()) what = misfit.What;
    if (misfit.What != what) continue;
    expected += (expected.empty() ? "" : ", ") + misfit.Expect;
  }
  const char* lead = furthest == Step::ScriptTag                            ? "at "
                     : furthest == Step::Chunks || furthest == Step::Blocks ? "read as "
                                                                            : "not ";
  return "it fits no platform's layout: " + what + " (" + lead + expected + ")";
}

}  // namespace

const SavePlatformRow& PlatformRow(SavePlatform platform) {
  for (const SavePlatformRow& row : kSavePlatforms) {
    if (row.Platform == platform) return row;
  }
  return kSavePlatforms[0];
}

std::string_view SavePlatformName(SavePlatform platform) {
  return PlatformRow(platform).Name;
}

std::optional<SavePlatform> SavePlatformNamed(std::string_view name) {
  auto plain = [](std::string_view text) {
    std::string letters;
    for (char c : text) {
      if (c == ' ' || c == '-' || c == '_') continue;
      letters += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return letters;
  };
  const std::string wanted = plain(name);
  for (const SavePlatformRow& row : kSavePlatforms) {
    if (plain(row.Name) == wanted) return row.Platform;
  }
  return std::nullopt;
}

std::uint32_t ReadU32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
         static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

void WriteU32(std::span<std::uint8_t> bytes, std::size_t at, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t SaveChecksum(std::span<const std::uint8_t> bytes, std::size_t checksumOffset) {
  std::uint32_t sum = 0;
  const std::size_t end = std::min(bytes.size(), checksumOffset);
  for (std::size_t i = 0; i < end; ++i) sum += bytes[i];
  return sum;
}

void RenewSaveChecksum(std::span<std::uint8_t> bytes, const SaveLayout& layout) {
  WriteU32(bytes, layout.ChecksumOffset, SaveChecksum(bytes, layout.ChecksumOffset));
}

void MoveSaveChecksum(std::span<std::uint8_t> patched, std::span<const std::uint8_t> original,
                      const SaveLayout& layout, std::size_t from, std::size_t to) {
  if (!layout.ChecksumOk) {
    RenewSaveChecksum(patched, layout);
    return;
  }
  std::uint32_t delta = 0;  // modulo 2^32, as the checksum
  for (std::size_t at = from; at < to; ++at) delta += patched[at] - original[at];
  WriteU32(patched, layout.ChecksumOffset, ReadU32(original, layout.ChecksumOffset) + delta);
}

bool RenewSaveChecksum(std::span<std::uint8_t> bytes) {
  const SaveRead read = ReadSaveLayout(bytes);
  if (read.Layout) RenewSaveChecksum(bytes, *read.Layout);
  return read.Layout.has_value();
}

SaveRead ReadSaveLayout(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return Refuse("the file is empty");

  // Length narrows the rows; the chunks, "SCR\0", the blocks' grouping, block 1 and the total
  // settle it (PC, Android and iOS share a length, and so can PS2 and PS2 Australia).
  std::vector<Misfit> misfits;
  const SavePlatformRow* fit = nullptr;
  std::array<Block, kSaveBlockCount> blocks{};
  std::size_t checksumAt = 0;
  for (const SavePlatformRow& row : kSavePlatforms) {
    if (bytes.size() != SaveLength(row, row.MinPaddingChunks) &&
        bytes.size() != SaveLength(row, row.MaxPaddingChunks)) {
      continue;
    }
    checksumAt = bytes.size() - row.SignatureBytes - kSaveChecksumBytes;
    auto chunks = WalkChunks(bytes, checksumAt);
    if (std::holds_alternative<std::string>(chunks)) {
      misfits.push_back({Step::Chunks, std::get<std::string>(chunks), row.Name});
      continue;
    }
    auto fitted = FitRow(bytes, std::get<0>(chunks), row);
    if (std::holds_alternative<Misfit>(fitted)) {
      misfits.push_back(std::get<Misfit>(fitted));
      continue;
    }
    fit = &row;
    blocks = std::get<0>(fitted);
    break;
  }
  if (fit == nullptr) {
    return Refuse(misfits.empty() ? LengthProblem(bytes.size()) : NearestMisfit(misfits));
  }

  SaveLayout layout;
  layout.Platform = fit->Platform;
  layout.ChecksumOffset = checksumAt;
  layout.Writable = fit->SignatureBytes == 0;

  const std::size_t cgn = blocks[kGeneratorBlock].Bytes.Begin;
  const std::size_t cgnEnd = blocks[kGeneratorBlock].Bytes.End;
  if (cgnEnd - cgn < kTagInBlock + 4 || !TagAt(bytes, cgn + kTagInBlock, kGeneratorTag)) {
    return Refuse("block 13 is not the car generators (no \"CGN\" tag)");
  }
  if (cgnEnd - cgn < kArrayInBlock + kGeneratorArraySize ||
      ReadU32(bytes, cgn + kInfoSizeInBlock) != kGeneratorInfoSize ||
      ReadU32(bytes, cgn + kArraySizeInBlock) != kGeneratorArraySize) {
    return Refuse("the car generators are not 160 slots of 72 bytes");
  }
  layout.GeneratorCountOffset = cgn + kInfoInBlock;
  layout.GeneratorCount = ReadU32(bytes, layout.GeneratorCountOffset);
  if (layout.GeneratorCount > kGeneratorSlotCount) {
    return Refuse(std::to_string(layout.GeneratorCount) +
                  " car generators in use, more than the game's 160");
  }
  layout.SlotsOffset = cgn + kArrayInBlock;

  const std::size_t tag = blocks[0].Bytes.Begin;
  layout.VariableSpace = ReadU32(bytes, tag + 8);
  layout.VariablesOffset = tag + kVariablesInScript;
  if (layout.VariableSpace > blocks[0].Bytes.End - layout.VariablesOffset) {
    return Refuse("the script's " + std::to_string(layout.VariableSpace) +
                  " bytes of variables run past block 0");
  }

  SaveRead read;
  const std::uint32_t stored = ReadU32(bytes, checksumAt);
  const std::uint32_t sum = SaveChecksum(bytes, checksumAt);
  layout.ChecksumOk = stored == sum;
  if (!layout.ChecksumOk) {
    read.Problem = "the checksum " + std::to_string(stored) + " does not match the bytes (" +
                   std::to_string(sum) + "): a damaged save";
  }
  read.Layout = layout;
  return read;
}

}  // namespace tovick
