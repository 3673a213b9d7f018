#pragma once
// The block list of `tovick-cars export --blocks`: "3,7,12", "1-20,31" or "all".

#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace tovick {

struct BlockList {
  bool All = false;
  std::vector<std::pair<std::int64_t, std::int64_t>> Ranges;  // inclusive, first <= last
};

// nullopt for anything but "all" or comma-separated numbers and ascending ranges.
std::optional<BlockList> ParseBlockList(std::string_view text);

// The first listed number outside 1..blockCnt, if any.
std::optional<std::int64_t> FirstOutside(const BlockList& list, int blockCnt);

// One mark per block number 0..blockCnt, 1 for each listed block (call after FirstOutside).
std::vector<std::uint8_t> MarksOf(const BlockList& list, int blockCnt);

}  // namespace tovick
