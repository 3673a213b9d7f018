// The block layout: field addressing, the width marker, and encoding/decoding a block's bytes.

#include "scm/car_block.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "scm/car_table.h"
#include "scm/script_file.h"

namespace tovick {
namespace {

namespace fs = std::filesystem;

TEST(CarBlockLayout, FieldAddressAddsHiCarOnlyForAlarmAndLock) {
  struct Case {
    BlockField Field;
    int HiCar;
    std::int64_t Expected;
  };
  const Case cases[] = {
      {BlockField::XPos, 0, 1010},    {BlockField::XPos, 1, 1010},
      {BlockField::YPos, 1, 1013},    {BlockField::UnknownWord, 1, 1016},
      {BlockField::Heading, 1, 1019}, {BlockField::WidthMarker, 1, 1021},
      {BlockField::CarId, 1, 1022},   {BlockField::Alarm, 0, 1030},
      {BlockField::Alarm, 1, 1031},   {BlockField::Lock, 0, 1032},
      {BlockField::Lock, 1, 1033},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FieldAddress(1000, c.Field, c.HiCar), c.Expected)
        << "field " << static_cast<int>(c.Field) << " hiCar " << c.HiCar;
  }
}

TEST(CarBlockLayout, HiCarFromMarker) {
  EXPECT_EQ(HiCarFromMarker(0x04), 0);
  EXPECT_EQ(HiCarFromMarker(0x05), 1);
  EXPECT_EQ(HiCarFromMarker(0x06), std::nullopt);
  EXPECT_EQ(HiCarFromMarker(0x00), std::nullopt);
  EXPECT_EQ(HiCarFromMarker(0x14), std::nullopt);
}

TEST(CarBlockLayout, EncodesTheSignatureAroundTheFields) {
  CarBlock block;
  block.WidthMarker = kMarkerOneByteId;
  block.CarId = 0x5A;
  block.XPos = -2;  // FE FF
  block.YPos = 0x1234;
  block.UnknownWord = 0xF9C0;
  block.Heading = 0x0B40;
  block.Alarm = 0x11;
  block.Lock = 0x22;
  const std::vector<std::uint8_t> bytes = EncodeCarBlock(block, 0x07);
  ASSERT_EQ(bytes.size(), 34u);
  const std::vector<std::uint8_t> head = {0x00, 0x05, 0x10, 0x27, 0x02};
  EXPECT_TRUE(std::equal(head.begin(), head.end(), bytes.begin()));
  const std::vector<std::uint8_t> rest(bytes.begin() + 7, bytes.end());
  EXPECT_EQ(rest,
            (std::vector<std::uint8_t>{0x4B, 0x01, 0x06, 0xFE, 0xFF, 0x06, 0x34, 0x12, 0x06,
                                       0xC0, 0xF9, 0x06, 0x40, 0x0B, 0x04, 0x5A, 0x04, 0xFF,
                                       0x04, 0xFF, 0x04, 0x00, 0x04, 0x11, 0x04, 0x22, 0x07}));
}

TEST(CarBlockLayout, TwoByteIdBlockHasZeroHighByteAndShiftedTail) {
  CarBlock block;
  block.WidthMarker = kMarkerTwoByteId;
  block.CarId = 0x82;
  block.Alarm = 0x33;
  block.Lock = 0x44;
  const std::vector<std::uint8_t> bytes = EncodeCarBlock(block);
  ASSERT_EQ(bytes.size(), 35u);
  EXPECT_EQ(bytes[21], 0x05);
  EXPECT_EQ(bytes[22], 0x82);
  EXPECT_EQ(bytes[23], 0x00);
  EXPECT_EQ(bytes[25], 0xFF);
  EXPECT_EQ(bytes[31], 0x33);
  EXPECT_EQ(bytes[33], 0x44);
  EXPECT_EQ(bytes[34], 0x04);
}

// Blocks written by the encoder must be what the scan recognises and what the reader decodes.
TEST(CarBlockLayout, EncodedBlocksScanAndReadBack) {
  CarBlock narrow;
  narrow.WidthMarker = kMarkerOneByteId;
  narrow.CarId = 127;
  narrow.XPos = -25184;
  narrow.YPos = 5104;
  narrow.UnknownWord = 63936;
  narrow.Heading = -2880;
  narrow.Alarm = 0;
  narrow.Lock = 100;
  CarBlock wide = narrow;
  wide.WidthMarker = kMarkerTwoByteId;
  wide.CarId = 150;
  wide.XPos = 32767;
  wide.Heading = 5760;
  wide.Alarm = 255;
  wide.Lock = 7;

  std::vector<std::uint8_t> image(static_cast<std::size_t>(kMinScriptLength), 0x20);
  const std::int64_t narrowAt = 66000;
  const std::int64_t wideAt = 66034;
  const std::vector<std::uint8_t> first = EncodeCarBlock(narrow);
  const std::vector<std::uint8_t> second = EncodeCarBlock(wide, 0x20);
  std::copy(first.begin(), first.end(), image.begin() + narrowAt);
  std::copy(second.begin(), second.end(), image.begin() + wideAt);

  CarTable table;
  const ScanResult scan =
      ScanCarTable(std::span(image).subspan(static_cast<std::size_t>(kScanFirst)), table);
  EXPECT_FALSE(scan.CarTableError);
  ASSERT_EQ(table.BlockCnt, 2);
  EXPECT_EQ(table.Address[1], narrowAt);
  EXPECT_EQ(table.Address[2], wideAt);

  const fs::path dir = fs::path(TOVICK_TEST_TMP) / "car_block_read";
  fs::create_directories(dir);
  const fs::path path = dir / "MAIN.SCM";
  {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(image.data()),
              static_cast<std::streamsize>(image.size()));
  }
  {
    ScriptFile file;
    ASSERT_TRUE(file.Open(path.string()));
    for (const auto& [address, expected] : {std::pair{narrowAt, narrow}, std::pair{wideAt, wide}}) {
      const std::optional<CarBlock> read = ReadCarBlock(file, address);
      ASSERT_TRUE(read.has_value());
      EXPECT_EQ(read->Address, address);
      EXPECT_EQ(read->WidthMarker, expected.WidthMarker);
      EXPECT_EQ(read->HiCar, expected.WidthMarker == kMarkerTwoByteId ? 1 : 0);
      EXPECT_EQ(read->CarId, expected.CarId);
      EXPECT_EQ(read->XPos, expected.XPos);
      EXPECT_EQ(read->YPos, expected.YPos);
      EXPECT_EQ(read->UnknownWord, expected.UnknownWord);
      EXPECT_EQ(read->Heading, expected.Heading);
      EXPECT_EQ(read->Alarm, expected.Alarm);
      EXPECT_EQ(read->Lock, expected.Lock);
    }
    // Not a block: the byte at offset 21 is neither width marker.
    EXPECT_EQ(ReadCarBlock(file, narrowAt + 1), std::nullopt);
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace tovick
