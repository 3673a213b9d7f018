// Finding the car table's blocks by their signature across the scan window.

#include "scm/car_table.h"

#include <gtest/gtest.h>

#include <vector>

#include "scm/car_block.h"

namespace tovick {
namespace {

// The scan window, addressed by file offset. Filled with 0x20 so that no byte starts a candidate
// by accident.
class Window {
 public:
  explicit Window(std::size_t size = kScanWindowSize) : bytes_(size, 0x20) {}

  // Places bytes at a file offset; whatever falls beyond the window is left out.
  void Put(std::int64_t fileOffset, const std::vector<std::uint8_t>& bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      const auto at = static_cast<std::size_t>(fileOffset - kScanFirst) + i;
      if (at < bytes_.size()) bytes_[at] = bytes[i];
    }
  }
  void Set(std::int64_t fileOffset, std::uint8_t value) { Put(fileOffset, {value}); }

  // Places a block and returns the offset of its follow byte.
  std::int64_t PutBlock(std::int64_t fileOffset, int hiCar = 0, std::uint8_t followByte = 0x04) {
    CarBlock block;
    block.WidthMarker = hiCar == 1 ? kMarkerTwoByteId : kMarkerOneByteId;
    block.CarId = hiCar == 1 ? 140 : 100;
    block.XPos = 1200;
    block.Alarm = 20;
    block.Lock = 50;
    const std::vector<std::uint8_t> bytes = EncodeCarBlock(block, followByte);
    Put(fileOffset, bytes);
    return fileOffset + static_cast<std::int64_t>(bytes.size()) - 1;
  }

  ScanResult Scan(CarTable& table) const { return ScanCarTable(bytes_, table); }

 private:
  std::vector<std::uint8_t> bytes_;
};

std::vector<std::int64_t> Addresses(const CarTable& table) {
  return {table.Address.begin() + 1, table.Address.begin() + 1 + table.BlockCnt};
}

TEST(CarTableScan, WindowOfZerosHoldsNoBlock) {
  CarTable table;
  const ScanResult result = ScanCarTable(std::vector<std::uint8_t>(kScanWindowSize, 0), table);
  EXPECT_FALSE(result.CarTableError);
  EXPECT_EQ(table.BlockCnt, 0);
}

TEST(CarTableScan, WindowEnds) {
  struct Case {
    std::int64_t Start;
    int HiCar;
    bool Found;
  };
  const Case cases[] = {
      {kScanFirst, 0, true},  // the very first offset
      {70206, 0, true},       // follow byte at 70239, the last offset
      {70207, 0, false},      // follow byte beyond the window
      {70205, 1, true},      {70206, 1, false},
  };
  for (const Case& c : cases) {
    Window window;
    window.PutBlock(c.Start, c.HiCar);
    CarTable table;
    const ScanResult result = window.Scan(table);
    EXPECT_FALSE(result.CarTableError) << c.Start;
    EXPECT_EQ(Addresses(table),
              c.Found ? std::vector<std::int64_t>{c.Start} : std::vector<std::int64_t>{})
        << c.Start;
  }
}

// A script of exactly the minimum length: the window's last 36 offsets lie past the end and read
// as 0, here the follow byte and the bytes after it.
TEST(CarTableScan, ShortWindowTailReadsAsZero) {
  Window window(static_cast<std::size_t>(kMinScriptLength - kScanFirst));
  ASSERT_EQ(window.PutBlock(kMinScriptLength - 33), kMinScriptLength);
  CarTable table;
  EXPECT_FALSE(window.Scan(table).CarTableError);
  EXPECT_EQ(Addresses(table), (std::vector<std::int64_t>{kMinScriptLength - 33}));

  // A candidate whose strict byte falls past the end sees a zero there and fails.
  Window cut(static_cast<std::size_t>(kMinScriptLength - kScanFirst));
  cut.PutBlock(kMinScriptLength - 25);
  CarTable cutTable;
  const ScanResult result = cut.Scan(cutTable);
  EXPECT_TRUE(result.CarTableError);
  EXPECT_EQ(result.ErrorOffset, kMinScriptLength);  // offset 25 of the block, expecting 0x04
}

TEST(CarTableScan, ZeroThatDropsACandidateStartsTheNext) {
  Window window;
  window.Set(66000, 0xAA);
  window.Set(66001, 0x00);
  window.PutBlock(66002);  // 00 00 05 10 27 02 ... from 66001
  CarTable table;
  EXPECT_FALSE(window.Scan(table).CarTableError);
  EXPECT_EQ(Addresses(table), (std::vector<std::int64_t>{66002}));
}

// Offsets 1 to 3 only drop the candidate; every other signature byte ends the scan with an error
// at its own offset (a width marker of 0x06 among them), keeping the block found before.
TEST(CarTableScan, SoftAndStrictSignatureBytes) {
  struct Case {
    int HiCar;
    int Offset;
    bool Strict;
  };
  std::vector<Case> cases;
  for (const int hiCar : {0, 1}) {
    for (const int offset : {1, 2, 3}) cases.push_back({hiCar, offset, false});
    for (const int offset : {4, 7, 8, 9, 12, 15, 18, 21}) cases.push_back({hiCar, offset, true});
    for (const int offset : {24, 25, 26, 27, 28, 29, 31}) {
      cases.push_back({hiCar, offset + hiCar, true});
    }
  }
  const std::int64_t earlier = 65500;
  const std::int64_t start = 66000;
  for (const Case& c : cases) {
    Window window;
    window.PutBlock(earlier);
    window.PutBlock(start, c.HiCar);
    window.Set(start + c.Offset, c.Offset == 21 ? 0x06 : 0x26);
    CarTable table;
    const ScanResult result = window.Scan(table);
    SCOPED_TRACE(::testing::Message() << "hiCar " << c.HiCar << " offset " << c.Offset);
    EXPECT_EQ(result.CarTableError, c.Strict);
    EXPECT_EQ(result.ErrorOffset, c.Strict ? start + c.Offset : -1);
    EXPECT_EQ(Addresses(table), std::vector<std::int64_t>{earlier});
  }
}

TEST(CarTableScan, BackToBackBlocks) {
  Window window;
  window.PutBlock(66000, 0);  // 34 bytes
  window.PutBlock(66034, 1);  // 35 bytes
  window.PutBlock(66069, 0);
  CarTable table;
  EXPECT_FALSE(window.Scan(table).CarTableError);
  EXPECT_EQ(Addresses(table), (std::vector<std::int64_t>{66000, 66034, 66069}));
}

// After a follow byte other than 0x04 the next 10 bytes are skipped; a follow byte of 0x00 starts
// a candidate at the end of the skip, 10 bytes after it.
TEST(CarTableScan, FollowByteSkip) {
  struct Case {
    std::uint8_t FollowByte;
    std::int64_t NextDistance;  // from the follow byte to the next block
    bool NextFound;
  };
  const Case cases[] = {
      {0x04, 1, true},  {0x07, 1, false}, {0x07, 10, false}, {0x07, 11, true},
      {0x00, 1, false}, {0x00, 9, false}, {0x00, 10, true},  {0x00, 11, true},
  };
  for (const Case& c : cases) {
    Window window;
    const std::int64_t follow = window.PutBlock(66000, 0, c.FollowByte);
    window.PutBlock(follow + c.NextDistance);
    CarTable table;
    const ScanResult result = window.Scan(table);
    SCOPED_TRACE(::testing::Message()
                 << "follow " << int{c.FollowByte} << " distance " << c.NextDistance);
    EXPECT_FALSE(result.CarTableError);
    std::vector<std::int64_t> expected{66000};
    if (c.NextFound) expected.push_back(follow + c.NextDistance);
    EXPECT_EQ(Addresses(table), expected);
  }
}

TEST(CarTableScan, NeverWritesPastCapacity) {
  Window window;
  window.PutBlock(66000);
  window.PutBlock(67000);
  CarTable table;
  table.BlockCnt = kMaxBlocks - 1;
  EXPECT_FALSE(window.Scan(table).CarTableError);
  EXPECT_EQ(table.BlockCnt, kMaxBlocks);
  EXPECT_EQ(table.Address[kMaxBlocks], 66000);
}

}  // namespace
}  // namespace tovick
