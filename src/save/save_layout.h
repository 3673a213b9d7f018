#pragma once
// A GTA III save of any platform the game came out on, read from the file alone. Two layers: a run
// of size-prefixed chunks from offset 0 up to the checksum, and, in the stream their contents make
// when joined, block 0 (the script's state) and blocks 1 to 19, each a size and that many bytes.
// The platforms differ only in the few facts of kSavePlatforms. A file is taken as a save only when
// all of it holds together as one platform's, so that nothing is ever written into a file that
// only looks like one.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tovick {

enum class SavePlatform { Pc, Android, Ios, Ps2, Ps2Australia, Ps2Japan, Xbox };

inline constexpr int kSaveBlockCount = 20;  // blocks 0 to 19
inline constexpr int kGeneratorBlock = 13;
inline constexpr int kGeneratorSlotCount = 160;
inline constexpr std::size_t kGeneratorSlotSize = 72;
inline constexpr std::uint32_t kGeneratorInfoSize = 0x0C;
inline constexpr std::uint32_t kGeneratorArraySize = kGeneratorSlotCount * kGeneratorSlotSize;
inline constexpr std::size_t kSaveChecksumBytes = 4;
inline constexpr std::size_t kChunkSizeBytes = 4;

// The chunk that holds each block.
using BlockChunks = std::array<std::uint8_t, kSaveBlockCount>;
inline constexpr BlockChunks kOneBlockEach{0,  1,  2,  3,  4,  5,  6,  7,  8,  9,
                                           10, 11, 12, 13, 14, 15, 16, 17, 18, 19};
inline constexpr BlockChunks kPs2Groups{0, 0, 0, 0, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2};

// What tells one platform's saves from another's, and all that differs between them.
struct SavePlatformRow {
  SavePlatform Platform;
  const char* Name;
  const BlockChunks* Chunks;
  int MinPaddingChunks;  // chunks of leftovers after the one holding block 19
  int MaxPaddingChunks;
  std::size_t ScriptTagAt;     // file offset of "SCR\0"
  std::uint32_t BlockOneSize;  // block 1's own size word
  std::size_t StreamTotal;     // the chunks' contents together
  std::size_t SignatureBytes;  // after the checksum, checked by the console: never renewable
  // For the saves tovick-gen writes: V of the script the game runs, how much further the PC
  // script's globals sit in its copy, and how many stale copies of blocks 7 to 19 the padding
  // begins with.
  std::uint32_t VariableSpace;
  std::uint32_t PcVariableShift;
  int StaleCopiesInPadding;
};

inline constexpr std::array<SavePlatformRow, 7> kSavePlatforms{{
    {SavePlatform::Pc, "PC", &kOneBlockEach, 2, 2, 0xC4, 1566, 201728, 0, 17252, 0, 0},
    {SavePlatform::Android, "Android", &kOneBlockEach, 2, 2, 0xB8, 1606, 201728, 0, 17280, 16, 0},
    {SavePlatform::Ios, "iOS", &kOneBlockEach, 2, 2, 0xB8, 1602, 201728, 0, 17280, 16, 0},
    {SavePlatform::Ps2, "PS2", &kPs2Groups, 2, 3, 0xB8, 1502, 201728, 0, 17252, 0, 2},
    {SavePlatform::Ps2Australia, "PS2 Australia", &kPs2Groups, 3, 3, 0xB0, 1502, 201728, 0, 17252,
     0, 2},
    {SavePlatform::Ps2Japan, "PS2 Japan", &kPs2Groups, 2, 2, 0xB8, 1470, 201724, 0, 17252, 0, 2},
    {SavePlatform::Xbox, "Xbox", &kOneBlockEach, 2, 2, 0xC4, 1570, 201728, 20, 17252, 0, 0},
}};

const SavePlatformRow& PlatformRow(SavePlatform platform);
// "PC", "Android", "iOS", "PS2", "PS2 Australia", "PS2 Japan" or "Xbox".
std::string_view SavePlatformName(SavePlatform platform);
// The platform a name stands for, in any case, with or without spaces, hyphens or underscores
// ("ps2-japan", "PS2_Australia", "ios").
std::optional<SavePlatform> SavePlatformNamed(std::string_view name);

// The length of a platform's save with that many chunks of padding.
constexpr std::size_t SaveLength(const SavePlatformRow& row, int paddingChunks) {
  const std::size_t chunks =
      static_cast<std::size_t>(row.Chunks->back()) + 1 + static_cast<std::size_t>(paddingChunks);
  return row.StreamTotal + kChunkSizeBytes * chunks + kSaveChecksumBytes + row.SignatureBytes;
}

// A PC save's length and checksum place (201,820 bytes, the checksum in the last four).
inline constexpr std::size_t kSaveLength = SaveLength(kSavePlatforms[0], 2);
inline constexpr std::size_t kSaveChecksumOffset = kSaveLength - kSaveChecksumBytes;

// Where the parts that the car generators need lie, as file offsets.
struct SaveLayout {
  SavePlatform Platform = SavePlatform::Pc;
  std::size_t VariablesOffset = 0;   // global variable 0 of the script's copy
  std::uint32_t VariableSpace = 0;   // V: bytes of global variables the save holds
  std::size_t SlotsOffset = 0;       // slot 0 of the generator array
  std::uint32_t GeneratorCount = 0;  // slots in use, at most kGeneratorSlotCount
  std::size_t GeneratorCountOffset = 0;  // its u32 in the CGN info
  std::size_t ChecksumOffset = 0;
  bool Writable = false;  // false where a signature follows the checksum (Xbox)
  bool ChecksumOk = false;
};

struct SaveRead {
  std::optional<SaveLayout> Layout;  // none when the file is no GTA III save
  std::string Problem;               // why not, in a few words; or the checksum's fault
};

// The sum of every byte before checksumOffset, modulo 2^32.
std::uint32_t SaveChecksum(std::span<const std::uint8_t> bytes, std::size_t checksumOffset);

// Reads the layout: the length, the chunks ending at the checksum, "SCR\0" at the platform's place,
// block 0 ending inside its chunk, the blocks grouped in chunks as the platform does, block 1's
// size, the stream's total, "CGN" as block 13 with 160 slots of 72 bytes and at most 160 in use,
// and V bytes of variables inside block 0. A file that fits no platform gives no layout and says
// what did not fit the nearest. A checksum that does not match still gives the layout (so that a
// listing can show a damaged save) with ChecksumOk false and the problem said.
SaveRead ReadSaveLayout(std::span<const std::uint8_t> bytes);

// Writes the checksum of everything before it in its platform's place.
void RenewSaveChecksum(std::span<std::uint8_t> bytes, const SaveLayout& layout);
// The checksum of patched, a copy of original changed only in bytes from..to: moved by what those
// bytes changed where original's was sound (no need to add up 200 KB again), else renewed.
void MoveSaveChecksum(std::span<std::uint8_t> patched, std::span<const std::uint8_t> original,
                      const SaveLayout& layout, std::size_t from, std::size_t to);
// The same for a save whose layout is not at hand; false, and nothing written, when the file fits
// no platform.
bool RenewSaveChecksum(std::span<std::uint8_t> bytes);

// Little-endian accessors that the save's parts share; the caller keeps at + width in bounds.
std::uint32_t ReadU32(std::span<const std::uint8_t> bytes, std::size_t at);
void WriteU32(std::span<std::uint8_t> bytes, std::size_t at, std::uint32_t value);

}  // namespace tovick
