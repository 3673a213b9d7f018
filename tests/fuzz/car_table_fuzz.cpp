// The car-table scan over any scan window: every block it lists is a whole block inside the
// window, in file order, whose signature bytes are those of a real block.
#include <span>

#include "fuzz_harness.h"
#include "scm/car_block.h"
#include "scm/car_table.h"

using namespace tovick;

TOVICK_FUZZ_TARGET(input) {
  const std::string bytes = input.Rest();
  const std::span window(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  CarTable table;
  const ScanResult scan = ScanCarTable(window, table);
  FUZZ_CHECK(scan.CarTableError == (scan.ErrorOffset >= kScanFirst));
  FUZZ_CHECK(scan.ErrorOffset <= kScanLast);
  std::int64_t end = kScanFirst;
  for (int n = 1; n <= table.BlockCnt; ++n) {
    const std::int64_t address = table.Address[static_cast<std::size_t>(n)];
    FUZZ_CHECK(address >= end);
    std::array<std::uint8_t, kMaxBlockBytes> block{};
    for (std::size_t i = 0; i < block.size(); ++i) {
      const auto at = static_cast<std::size_t>(address - kScanFirst) + i;
      block[i] = at < window.size() ? window[at] : 0;
    }
    const std::optional<CarBlock> decoded = DecodeCarBlock(address, block);
    FUZZ_CHECK(decoded.has_value());
    // Encoding the decoded values gives the block back, but for the bytes any value may fill: the
    // first (after a skip the scan starts where it lands), the handle variable, the high byte of
    // a two-byte id, and the type byte of the first colour.
    const std::size_t h = static_cast<std::size_t>(decoded->HiCar);
    std::vector<std::uint8_t> encoded = EncodeCarBlock(*decoded, block[33 + h]);
    for (const std::size_t i :
         {std::size_t{0}, std::size_t{5}, std::size_t{6}, 23 + h, std::size_t{23}}) {
      encoded[i] = block[i];
    }
    FUZZ_CHECK(std::equal(encoded.begin(), encoded.end(), block.begin()));
    end = address + static_cast<std::int64_t>(encoded.size());
    FUZZ_CHECK(end <= kScanLast + 1);
  }
}
