#include "scm/record_search.h"

#include "scm/car_block.h"
#include "scm/car_table.h"

namespace tovick {

std::vector<std::int64_t> FindParkedCarRecords(std::span<const std::uint8_t> bytes) {
  std::vector<std::int64_t> records;
  std::size_t at = 0;
  while (at < bytes.size()) {
    if (const std::optional<int> hiCar = MatchBlockAt(bytes, at)) {
      records.push_back(static_cast<std::int64_t>(at));
      at += CarBlockSize(*hiCar);
    } else {
      ++at;
    }
  }
  return records;
}

std::string EmptyWindowText(std::span<const std::int64_t> records) {
  std::string text = "no block in the editor's scan window " + std::to_string(kScanFirst) + "-" +
                     std::to_string(kScanLast);
  if (records.empty()) return text + ", and no parked-car record anywhere else in the file";
  text += ", but " + std::to_string(records.size());
  if (records.size() == 1) {
    text += " parked-car record at offset " + std::to_string(records.front());
  } else {
    text += " parked-car records at offsets " + std::to_string(records.front()) + "-" +
            std::to_string(records.back());
  }
  return text + ", so this script was compiled differently and cannot be edited here";
}

}  // namespace tovick
