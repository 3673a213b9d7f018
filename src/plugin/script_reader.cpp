#include "plugin/script_reader.h"

#include <algorithm>

#include "scm/script_file.h"

namespace tovick {

ScriptReader ReaderOf(const ScriptFile& file) {
  return [&file](std::int64_t pos, std::uint8_t* out, std::size_t count) {
    file.ReadBytes(pos, out, count);
  };
}

ScriptReader ReaderOf(std::span<const std::uint8_t> bytes) {
  return [bytes](std::int64_t pos, std::uint8_t* out, std::size_t count) {
    std::fill(out, out + count, std::uint8_t{0});
    if (pos < 0 || static_cast<std::uint64_t>(pos) >= bytes.size()) return;
    const auto from = static_cast<std::size_t>(pos);
    const std::size_t available = std::min(count, bytes.size() - from);
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(from), available, out);
  };
}

}  // namespace tovick
