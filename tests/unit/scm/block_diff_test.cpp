// Two car tables compared block by block: where they part, which fields changed, and which changes
// no plug-in record can carry.

#include "scm/block_diff.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace tovick {
namespace {

BlockImage Image(std::int64_t address, int hiCar, std::uint8_t followByte = 0x04) {
  CarBlock block;
  block.Address = address;
  block.WidthMarker = hiCar == 1 ? kMarkerTwoByteId : kMarkerOneByteId;
  block.HiCar = hiCar;
  block.CarId = hiCar == 1 ? 140 : 100;
  block.XPos = 1600;
  block.YPos = -3200;
  block.UnknownWord = 0xF9C0;
  block.Heading = 1440;
  block.Alarm = 20;
  block.Lock = 50;
  return {block, EncodeCarBlock(block, followByte)};
}

// The image after an edit of its fields, re-encoded; extra bytes changed afterwards.
BlockImage Edited(BlockImage image, const std::function<void(CarBlock&)>& edit,
                  const std::vector<std::pair<std::size_t, std::uint8_t>>& bytes = {}) {
  edit(image.Block);
  image.Bytes = EncodeCarBlock(image.Block, image.Bytes.back());
  for (const auto& [at, value] : bytes) image.Bytes[at] = value;
  return image;
}

std::string Describe(const TableDiff& diff) {
  std::string text;
  for (const BlockChange& block : diff.Changes) {
    for (const FieldChange& field : block.Fields) {
      text += std::to_string(block.Number) + " " + field.Field + " " + std::to_string(field.Old) +
              ">" + std::to_string(field.New) + (field.Carried ? "" : " !") + "; ";
    }
  }
  return text;
}

TEST(BlockDiff, TablesThatPart) {
  const std::vector<BlockImage> base = {Image(65300, 0), Image(65334, 1)};
  const std::vector<BlockImage> moved = {Image(65300, 0), Image(65340, 1)};
  const std::vector<BlockImage> shorter = {Image(65300, 0)};
  EXPECT_EQ(DiffCarTables(base, moved).Parting,
            "the car tables part at block 2: address 65334 in the original, 65340 in the changed "
            "script");
  EXPECT_EQ(DiffCarTables(base, shorter).Parting,
            "the original has 2 block(s), the changed script 1, the first 1 at the same addresses");
  EXPECT_EQ(DiffCarTables({}, shorter).Parting,
            "the original has 0 block(s), the changed script 1");
  const TableDiff parted = DiffCarTables(base, moved);
  EXPECT_FALSE(parted.Comparable());
  EXPECT_TRUE(parted.Changes.empty());
  EXPECT_TRUE(DiffCarTables(base, base).Comparable());
  EXPECT_TRUE(DiffCarTables(base, base).Changes.empty());
}

TEST(BlockDiff, FieldsAndBytes) {
  struct Case {
    const char* What;
    int HiCar;
    BlockImage Changed;
    std::string Expected;
    bool Carried;
  };
  const BlockImage one = Image(65300, 0);
  const BlockImage two = Image(65300, 1);
  const Case cases[] = {
      {"every carried field, one-byte id", 0,
       Edited(one,
              [](CarBlock& b) {
                b.CarId = 101;
                b.XPos = -1600;
                b.YPos = 0;
                b.UnknownWord = 7;
                b.Heading = 2880;
                b.Alarm = 0;
                b.Lock = 51;
              }),
       "1 CAR ID 100>101; 1 X-POS 1600>-1600; 1 Y-POS -3200>0; 1 UTELLME 63936>7; "
       "1 HEADING 1440>2880; 1 ALARM 20>0; 1 LOCK 50>51; ",
       true},
      {"alarm and lock one byte further on with a two-byte id", 1,
       Edited(two,
              [](CarBlock& b) {
                b.Alarm = 100;
                b.Lock = 0;
              }),
       "1 ALARM 20>100; 1 LOCK 50>0; ", true},
      {"the high byte of a two-byte id", 1, Edited(two, [](CarBlock&) {}, {{23, 0x01}}),
       "1 ID HIGH BYTE 0>1 !; ", false},
      {"unused bytes and the follow byte", 1,
       Edited(two, [](CarBlock&) {}, {{5, 0x11}, {24, 0x03}, {34, 0x05}}),
       "1 BYTE +5 92>17 !; 1 BYTE +24 4>3 !; 1 FOLLOW BYTE 4>5 !; ", false},
      {"a width marker, with a carried field beside it", 0,
       Edited(one,
              [](CarBlock& b) {
                b.WidthMarker = kMarkerTwoByteId;
                b.HiCar = 1;
                b.XPos = 0;
              }),
       "1 X-POS 1600>0; 1 WIDTH MARKER 4>5 !; ", false},
  };
  for (const Case& c : cases) {
    const std::vector<BlockImage> from = {c.HiCar == 1 ? two : one};
    const std::vector<BlockImage> to = {c.Changed};
    const TableDiff diff = DiffCarTables(from, to);
    ASSERT_TRUE(diff.Comparable()) << c.What;
    EXPECT_EQ(Describe(diff), c.Expected) << c.What;
    EXPECT_EQ(diff.AllCarried(), c.Carried) << c.What;
  }
}

TEST(BlockDiff, OnlyChangedBlocksInTableOrder) {
  const std::vector<BlockImage> from = {Image(65300, 0), Image(65334, 1), Image(65369, 0)};
  std::vector<BlockImage> to = from;
  to[2] = Edited(to[2], [](CarBlock& b) { b.Lock = 0; });
  to[0] = Edited(to[0], [](CarBlock& b) { b.Heading = 0; });
  const TableDiff diff = DiffCarTables(from, to);
  ASSERT_EQ(diff.Changes.size(), 2u);
  EXPECT_EQ(diff.Changes[0].Number, 1);
  EXPECT_EQ(diff.Changes[1].Number, 3);
  EXPECT_EQ(diff.Changes[1].Address, 65369);
  EXPECT_TRUE(diff.AllCarried());
}

}  // namespace
}  // namespace tovick
