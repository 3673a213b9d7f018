#pragma once
// Locating the blocks of the car table by their byte signature.

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace tovick {

constexpr std::int64_t kMinScriptLength = 70204;
constexpr std::int64_t kScanFirst = 65224;
constexpr std::int64_t kScanLast = 70239;
constexpr std::size_t kScanWindowSize = static_cast<std::size_t>(kScanLast - kScanFirst + 1);  // 5016
constexpr int kMaxBlocks = 300;

struct CarTable {
  std::int32_t BlockCnt = 0;
  // Address[n] is block n's 0-based file offset, n = 1..BlockCnt; index 0 is unused.
  std::array<std::int64_t, kMaxBlocks + 1> Address{};

  void Clear() {
    BlockCnt = 0;
    Address.fill(0);
  }
};

struct ScanResult {
  bool CarTableError = false;
  std::int64_t ErrorOffset = -1;  // file offset of the strict byte that failed
};

// Scans the window bytes (window[i] is the byte at file offset kScanFirst + i; the caller supplies
// zeros past the end of the file; a shorter span reads as zeros too) and appends each block found to
// table, in file order. On a strict mismatch the scan ends with CarTableError set; the blocks found
// before it stay in the table.
ScanResult ScanCarTable(std::span<const std::uint8_t> window, CarTable& table);

// The HiCar of the complete block whose signature starts at bytes[at]: every signature byte
// matches and the block, its follow byte included, ends inside bytes. nullopt otherwise.
std::optional<int> MatchBlockAt(std::span<const std::uint8_t> bytes, std::size_t at);

}  // namespace tovick
