// Parked-car records found anywhere in a file by their signature, and what the user is told when
// the editor's scan window holds none of them.

#include "scm/record_search.h"

#include <gtest/gtest.h>

#include <vector>

#include "scm/car_block.h"
#include "scm/car_table.h"

namespace tovick {
namespace {

// A file of 0x20 bytes with blocks placed in it.
class FileBytes {
 public:
  explicit FileBytes(std::size_t size) : bytes_(size, 0x20) {}

  void PutBlock(std::size_t at, int hiCar = 0, std::uint8_t followByte = 0x04) {
    CarBlock block;
    block.WidthMarker = hiCar == 1 ? kMarkerTwoByteId : kMarkerOneByteId;
    block.CarId = 120;
    for (const std::uint8_t byte : EncodeCarBlock(block, followByte)) {
      if (at < bytes_.size()) bytes_[at] = byte;
      ++at;
    }
  }
  void Set(std::size_t at, std::uint8_t value) { bytes_[at] = value; }
  std::vector<std::int64_t> Records() const { return FindParkedCarRecords(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
};

using Addresses = std::vector<std::int64_t>;

TEST(RecordSearch, FindsCompleteRecordsOnly) {
  struct Case {
    const char* What;
    void (*Build)(FileBytes&);
    Addresses Expected;
  };
  const Case cases[] = {
      {"both widths, back to back, before any scan window",
       [](FileBytes& f) {
         f.PutBlock(100, 0);
         f.PutBlock(134, 1);
         f.PutBlock(169, 0);
       },
       {100, 134, 169}},
      {"a follow byte other than 0x04 skips nothing",
       [](FileBytes& f) {
         f.PutBlock(100, 0, 0x05);
         f.PutBlock(134, 0);
       },
       {100, 134}},
      {"a broken strict byte is no record and no error",
       [](FileBytes& f) {
         f.PutBlock(100);
         f.Set(100 + 25, 0x05);
         f.PutBlock(300);
       },
       {300}},
      {"a width marker of 0x06 is no record",
       [](FileBytes& f) {
         f.PutBlock(100);
         f.Set(100 + 21, 0x06);
       },
       {}},
      {"a record at offset 0 and one ending on the last byte",
       [](FileBytes& f) {
         f.PutBlock(0);
         f.PutBlock(400 - 35, 1);
       },
       {0, 365}},
      {"a record cut by the end of the file", [](FileBytes& f) { f.PutBlock(400 - 33); }, {}},
      {"a zero before the signature does not hide it",
       [](FileBytes& f) {
         f.Set(99, 0x00);
         f.PutBlock(100);
       },
       {100}},
  };
  for (const Case& c : cases) {
    FileBytes file(400);
    c.Build(file);
    EXPECT_EQ(file.Records(), c.Expected) << c.What;
  }
}

TEST(RecordSearch, RecordsNeverOverlap) {
  // A record's lock 0 and follow byte 0x05 can begin a second signature: the second record would
  // share the first one's last two bytes, and is not counted (the editor's scan skips it too).
  FileBytes file(200);
  file.PutBlock(10, 0, 0x05);
  file.PutBlock(10 + 32);
  EXPECT_EQ(file.Records(), (Addresses{10}));
}

TEST(RecordSearch, MatchesEveryBlockTheScanFinds) {
  std::vector<std::uint8_t> window(kScanWindowSize, 0x20);
  CarBlock block;
  block.WidthMarker = kMarkerTwoByteId;
  for (const std::size_t at : {std::size_t{0}, std::size_t{35}, std::size_t{200}}) {
    const std::vector<std::uint8_t> encoded = EncodeCarBlock(block);
    std::copy(encoded.begin(), encoded.end(), window.begin() + static_cast<std::ptrdiff_t>(at));
  }
  CarTable table;
  ASSERT_FALSE(ScanCarTable(window, table).CarTableError);
  Addresses scanned;
  for (int n = 1; n <= table.BlockCnt; ++n) {
    scanned.push_back(table.Address[static_cast<std::size_t>(n)] - kScanFirst);
  }
  EXPECT_EQ(FindParkedCarRecords(window), scanned);
}

TEST(RecordSearch, EmptyWindowText) {
  const std::string window = "no block in the editor's scan window 65224-70239";
  const std::string elsewhere =
      ", so this script was compiled differently and cannot be edited here";
  EXPECT_EQ(EmptyWindowText({}), window + ", and no parked-car record anywhere else in the file");
  const Addresses one{3000};
  EXPECT_EQ(EmptyWindowText(one), window + ", but 1 parked-car record at offset 3000" + elsewhere);
  const Addresses three{3000, 3034, 3120};
  EXPECT_EQ(EmptyWindowText(three),
            window + ", but 3 parked-car records at offsets 3000-3120" + elsewhere);
}

}  // namespace
}  // namespace tovick
