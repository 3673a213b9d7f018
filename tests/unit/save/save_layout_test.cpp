// A save is taken only when all of it holds together: one table of the defects that make a file
// no GTA III PC save, each brought into a good save alone (its checksum renewed after, so that
// the defect is the one reason), and the boundaries of the fixed sizes.

#include "save/save_layout.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "gen/demo_data.h"
#include "gen/demo_save.h"

namespace tovick {
namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes& GoodSave() {
  static const Bytes save = demo::GenerateSave(1, demo::GenerateScript(1));
  return save;
}

// Offsets in the generated save: block 0 starts at 0, block n's size field follows block n - 1.
std::size_t BlockStart(const Bytes& save, int block) {
  std::size_t at = 0;
  for (int n = 0; n < block; ++n) at += 4 + ReadU32(save, at);
  return at;
}

std::size_t GeneratorData(const Bytes& save) {
  return BlockStart(save, kGeneratorBlock) + 4;
}

std::size_t ScriptTag(const Bytes& save) {
  for (std::size_t at = 4;; ++at) {
    if (save[at] == 'S' && save[at + 1] == 'C' && save[at + 2] == 'R' && save[at + 3] == 0) {
      return at;
    }
  }
}

struct DefectCase {
  const char* Name;
  std::function<void(Bytes&)> Break;
  const char* Problem;  // part of the reason given
  bool RenewChecksum = true;
};

class SaveDefectTest : public ::testing::TestWithParam<DefectCase> {};

TEST_P(SaveDefectTest, IsRefusedWithItsReason) {
  Bytes save = GoodSave();
  GetParam().Break(save);
  if (GetParam().RenewChecksum && save.size() == kSaveLength) RenewSaveChecksum(save);
  const SaveRead read = ReadSaveLayout(save);
  EXPECT_FALSE(read.Layout.has_value());
  EXPECT_NE(read.Problem.find(GetParam().Problem), std::string::npos) << read.Problem;
}

INSTANTIATE_TEST_SUITE_P(
    Defects, SaveDefectTest,
    ::testing::Values(
        DefectCase{"Empty", [](Bytes& s) { s.clear(); }, "the file is empty"},
        DefectCase{"OneByteShort", [](Bytes& s) { s.pop_back(); }, "201819 bytes, not 201820"},
        DefectCase{"OneByteLong", [](Bytes& s) { s.push_back(0); }, "201821 bytes, not 201820"},
        DefectCase{"BlockOneByteLonger",
                   [](Bytes& s) {
                     const std::size_t at = BlockStart(s, 5);
                     WriteU32(s, at, ReadU32(s, at) + 1);
                   },
                   "block"},
        DefectCase{"PaddingOneByteLonger",
                   [](Bytes& s) {
                     const std::size_t at = BlockStart(s, kSaveBlockCount + 1);
                     WriteU32(s, at, ReadU32(s, at) + 1);
                   },
                   "block 21 (size"},
        DefectCase{"PaddingShort",
                   [](Bytes& s) {
                     const std::size_t at = BlockStart(s, kSaveBlockCount + 1);
                     WriteU32(s, at, ReadU32(s, at) - 1);
                   },
                   "the blocks end at offset 201815"},
        DefectCase{"BlockPastTheChecksum",
                   [](Bytes& s) { WriteU32(s, BlockStart(s, 19), 0x40000); },
                   "block 19 (size 262144"},
        DefectCase{"NoGeneratorTag", [](Bytes& s) { s[GeneratorData(s) + 6] = 'X'; },
                   "no \"CGN\" tag"},
        DefectCase{"GeneratorsNotBlock13",
                   [](Bytes& s) {
                     // Block 12 takes in all of block 13 but its last four bytes
                     // (zeros of the last slot), which become an empty block 13: the
                     // total stays.
                     const std::size_t b12 = BlockStart(s, 12);
                     const std::size_t b13 = BlockStart(s, 13);
                     WriteU32(s, b12, ReadU32(s, b12) + ReadU32(s, b13));
                   },
                   "block 13 is not the car generators (no \"CGN\" tag)"},
        DefectCase{"ArrayOf159Slots",
                   [](Bytes& s) { WriteU32(s, GeneratorData(s) + 28, 159 * 72); },
                   "not 160 slots of 72 bytes"},
        DefectCase{"InfoOfOtherSize", [](Bytes& s) { WriteU32(s, GeneratorData(s) + 12, 0x10); },
                   "not 160 slots of 72 bytes"},
        DefectCase{"InUse161", [](Bytes& s) { WriteU32(s, GeneratorData(s) + 16, 161); },
                   "161 car generators in use, more than the game's 160"},
        DefectCase{"NoScriptState", [](Bytes& s) { s[ScriptTag(s)] = 'X'; },
                   "block 0 holds no \"SCR\" script state"},
        DefectCase{"VariablesPastBlock0",
                   [](Bytes& s) { WriteU32(s, ScriptTag(s) + 8, ReadU32(s, 0)); },
                   "bytes of variables run past block 0"}),
    [](const ::testing::TestParamInfo<DefectCase>& info) { return std::string(info.param.Name); });

TEST(SaveLayout, ReadsTheGeneratedSave) {
  const SaveRead read = ReadSaveLayout(GoodSave());
  ASSERT_TRUE(read.Layout.has_value()) << read.Problem;
  EXPECT_TRUE(read.Layout->ChecksumOk);
  EXPECT_EQ(read.Problem, "");
  EXPECT_EQ(read.Layout->GeneratorCount, 100u);
  EXPECT_EQ(read.Layout->VariableSpace, 0x2000u);
  EXPECT_EQ(read.Layout->SlotsOffset, GeneratorData(GoodSave()) + 32);
  EXPECT_EQ(read.Layout->VariablesOffset, ScriptTag(GoodSave()) + 12);
  // The copy of the variables starts with the script's first instruction, the jump over them.
  EXPECT_EQ(GoodSave()[read.Layout->VariablesOffset], 0x02);
}

TEST(SaveLayout, DamagedChecksumKeepsTheLayoutButSaysSo) {
  Bytes save = GoodSave();
  save[kSaveChecksumOffset] ^= 0x01;
  const SaveRead read = ReadSaveLayout(save);
  ASSERT_TRUE(read.Layout.has_value());
  EXPECT_FALSE(read.Layout->ChecksumOk);
  EXPECT_NE(read.Problem.find("does not match the bytes"), std::string::npos) << read.Problem;
}

TEST(SaveLayout, AllSlotsInUseIsTheLimit) {
  Bytes save = GoodSave();
  WriteU32(save, GeneratorData(save) + 16, kGeneratorSlotCount);
  RenewSaveChecksum(save);
  const SaveRead read = ReadSaveLayout(save);
  ASSERT_TRUE(read.Layout.has_value()) << read.Problem;
  EXPECT_EQ(read.Layout->GeneratorCount, 160u);
}

TEST(SaveLayout, ChecksumIsTheByteSumBeforeIt) {
  Bytes save(kSaveLength, 0);
  save[0] = 0xFF;
  save[kSaveChecksumOffset - 1] = 0x02;
  save[kSaveChecksumOffset] = 0x77;  // the checksum's own bytes do not count
  EXPECT_EQ(SaveChecksum(save), 0x101u);
  RenewSaveChecksum(save);
  EXPECT_EQ((Bytes(save.end() - 4, save.end())), (Bytes{0x01, 0x01, 0x00, 0x00}));
  EXPECT_EQ(SaveChecksum(Bytes(kSaveLength, 0xFF)), 0xFFu * 0x31458u);
}

}  // namespace
}  // namespace tovick
