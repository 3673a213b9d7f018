// The block layout: field addressing and encoding/decoding a block's bytes.

#include "scm/car_block.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "scm/car_table.h"
#include "scm/script_file.h"

namespace tovick {
namespace {

TEST(CarBlockLayout, FieldAddressAddsHiCarOnlyForAlarmAndLock) {
  EXPECT_EQ(FieldAddress(1000, BlockField::Heading, 1), 1019);
  EXPECT_EQ(FieldAddress(1000, BlockField::CarId, 1), 1022);
  EXPECT_EQ(FieldAddress(1000, BlockField::Alarm, 0), 1030);
  EXPECT_EQ(FieldAddress(1000, BlockField::Alarm, 1), 1031);
  EXPECT_EQ(FieldAddress(1000, BlockField::Lock, 1), 1033);
  EXPECT_EQ(HiCarFromMarker(0x06), std::nullopt);
}

// What the encoder writes must be what the scan recognises and what the reader decodes; the scan's
// strict bytes pin every field's position.
TEST(CarBlockLayout, EncodedBlocksScanAndReadBack) {
  const CarBlock narrow{.WidthMarker = kMarkerOneByteId,
                        .CarId = 127,
                        .XPos = -25184,
                        .YPos = 5104,
                        .UnknownWord = 63936,
                        .Heading = -2880,
                        .Alarm = 0,
                        .Lock = 100};
  const CarBlock wide{.WidthMarker = kMarkerTwoByteId,
                      .CarId = 150,
                      .XPos = 32767,
                      .YPos = -1,
                      .UnknownWord = 1,
                      .Heading = 5760,
                      .Alarm = 255,
                      .Lock = 7};
  const std::vector<std::uint8_t> first = EncodeCarBlock(narrow);
  const std::vector<std::uint8_t> second = EncodeCarBlock(wide, 0x20);
  ASSERT_EQ(first.size(), 34u);
  ASSERT_EQ(second.size(), 35u);
  EXPECT_EQ(first[33], 0x04);
  EXPECT_EQ(second[23], 0x00);  // high byte of the two-byte id
  EXPECT_EQ(second[34], 0x20);

  std::vector<std::uint8_t> image(static_cast<std::size_t>(kMinScriptLength), 0x20);
  std::copy(first.begin(), first.end(), image.begin() + 66000);
  std::copy(second.begin(), second.end(), image.begin() + 66034);
  CarTable table;
  EXPECT_FALSE(ScanCarTable(std::span(image).subspan(static_cast<std::size_t>(kScanFirst)), table)
                   .CarTableError);
  ASSERT_EQ(table.BlockCnt, 2);
  EXPECT_EQ(table.Address[1], 66000);
  EXPECT_EQ(table.Address[2], 66034);

  const std::filesystem::path dir = std::filesystem::path(TOVICK_TEST_TMP) / "car_block_read";
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "MAIN.SCM").string();
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(image.data()),
             static_cast<std::streamsize>(image.size()));
  ScriptFile file;
  ASSERT_TRUE(file.Open(path));
  for (const auto& [address, expected] : {std::pair{66000, narrow}, std::pair{66034, wide}}) {
    SCOPED_TRACE(address);
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
  // Offset 21 from here holds the vehicle id 127, not a width marker.
  EXPECT_EQ(ReadCarBlock(file, 66001), std::nullopt);
  file.Close();
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace tovick
