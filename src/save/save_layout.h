#pragma once
// A GTA III PC save as a whole: its fixed length, its run of size-prefixed blocks, the checksum at
// its end, the copy of the script's global variables in block 0 and the car-generator array of
// block 13. A file is taken as a save only when all of it holds together, so that nothing is ever
// written into a file that only looks like one.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tovick {

inline constexpr std::size_t kSaveLength = 201820;           // 0x3145C, every PC save
inline constexpr std::size_t kSaveChecksumOffset = 0x31458;  // the last four bytes
inline constexpr int kSaveBlockCount = 20;                   // blocks 0 to 19
inline constexpr int kSavePaddingChunks = 2;                 // after block 19
inline constexpr int kGeneratorBlock = 13;
inline constexpr int kGeneratorSlotCount = 160;
inline constexpr std::size_t kGeneratorSlotSize = 72;
inline constexpr std::uint32_t kGeneratorInfoSize = 0x0C;
inline constexpr std::uint32_t kGeneratorArraySize = kGeneratorSlotCount * kGeneratorSlotSize;

// Where the parts that the car generators need lie, as file offsets.
struct SaveLayout {
  std::size_t VariablesOffset = 0;   // global variable 0 of the script's copy
  std::uint32_t VariableSpace = 0;   // V: bytes of global variables the save holds
  std::size_t SlotsOffset = 0;       // slot 0 of the generator array
  std::uint32_t GeneratorCount = 0;  // slots in use, at most kGeneratorSlotCount
  bool ChecksumOk = false;
};

struct SaveRead {
  std::optional<SaveLayout> Layout;  // none when the file is no GTA III PC save
  std::string Problem;               // why not, in a few words; or the checksum's fault
};

// The sum of every byte before the checksum, modulo 2^32 (0 for a file too short to hold one).
std::uint32_t SaveChecksum(std::span<const std::uint8_t> bytes);

// Reads the layout. A wrong length, blocks that do not end at the checksum, no "CGN" block as
// block 13, an array other than 160 slots of 72 bytes, more than 160 in use or no "SCR" copy of the
// variables give no layout. A checksum that does not match still gives the layout (so that a
// listing can show a damaged save) with ChecksumOk false and the problem said.
SaveRead ReadSaveLayout(std::span<const std::uint8_t> bytes);

// Writes the checksum of everything before it into the last four bytes (a file of kSaveLength).
void RenewSaveChecksum(std::span<std::uint8_t> bytes);

// Little-endian accessors that the save's parts share; the caller keeps at + width in bounds.
std::uint32_t ReadU32(std::span<const std::uint8_t> bytes, std::size_t at);
void WriteU32(std::span<std::uint8_t> bytes, std::size_t at, std::uint32_t value);

}  // namespace tovick
