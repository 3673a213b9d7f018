#include "text/block_list.h"

#include <algorithm>
#include <charconv>

namespace tovick {

namespace {

std::optional<std::int64_t> ParseNumber(std::string_view text) {
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || text.front() == '-' || error != std::errc() ||
      end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::optional<BlockList> ParseBlockList(std::string_view text) {
  BlockList list;
  if (text == "all") {
    list.All = true;
    return list;
  }
  while (true) {
    const std::size_t comma = text.find(',');
    const std::string_view item = text.substr(0, comma);
    const std::size_t dash = item.find('-');
    const auto first = ParseNumber(item.substr(0, dash));
    const auto last = dash == std::string_view::npos ? first : ParseNumber(item.substr(dash + 1));
    if (!first || !last || *first > *last) return std::nullopt;
    list.Ranges.emplace_back(*first, *last);
    if (comma == std::string_view::npos) return list;
    text.remove_prefix(comma + 1);
  }
}

std::optional<std::int64_t> FirstOutside(const BlockList& list, int blockCnt) {
  for (const auto& [first, last] : list.Ranges) {
    if (first < 1 || first > blockCnt) return first;
    if (last > blockCnt) return last;
  }
  return std::nullopt;
}

std::vector<std::uint8_t> MarksOf(const BlockList& list, int blockCnt) {
  std::vector<std::uint8_t> marks(static_cast<std::size_t>(blockCnt) + 1, 0);
  if (list.All) {
    std::fill(marks.begin() + 1, marks.end(), std::uint8_t{1});
    return marks;
  }
  for (const auto& [first, last] : list.Ranges) {
    for (std::int64_t n = std::max<std::int64_t>(first, 1);
         n <= std::min<std::int64_t>(last, blockCnt); ++n) {
      marks[static_cast<std::size_t>(n)] = 1;
    }
  }
  return marks;
}

}  // namespace tovick
