// A save is taken only when all of it holds together: one table of the platforms' saves read back
// and synced; one table of the defects that make a file no GTA III save, each brought into a good
// PC save alone (its checksum renewed after, so that the defect is the one reason); the checksum.

#include "save/save_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "gen/demo_data.h"
#include "gen/demo_save.h"
#include "save/save_listing.h"
#include "save/save_sync.h"
#include "scm/generator_instruction.h"

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
  if (GetParam().RenewChecksum && save.size() == kSaveLength) {
    WriteU32(save, kSaveChecksumOffset, SaveChecksum(save, kSaveChecksumOffset));
  }
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
                   "runs past the checksum"},
        DefectCase{"PaddingOneByteLonger",
                   [](Bytes& s) {
                     const std::size_t at = BlockStart(s, kSaveBlockCount + 1);
                     WriteU32(s, at, ReadU32(s, at) + 1);
                   },
                   "chunk 21 (size"},
        DefectCase{"PaddingShort",
                   [](Bytes& s) {
                     const std::size_t at = BlockStart(s, kSaveBlockCount + 1);
                     WriteU32(s, at, ReadU32(s, at) - 1);
                   },
                   "the chunks end at offset 201815"},
        DefectCase{"BlockPastTheChecksum",
                   [](Bytes& s) { WriteU32(s, BlockStart(s, 19), 0x40000); },
                   "chunk 19 (size 262144"},
        DefectCase{"NoGeneratorTag", [](Bytes& s) { s[GeneratorData(s) + 6] = 'X'; },
                   "no \"CGN\" tag"},
        DefectCase{"GeneratorsNotBlock13",
                   [](Bytes& s) {
                     // Chunk 12 takes in all of chunk 13 but its last four bytes: the
                     // walk reads chunk 13's size word as block 13's.
                     const std::size_t b12 = BlockStart(s, 12);
                     const std::size_t b13 = BlockStart(s, 13);
                     WriteU32(s, b12, ReadU32(s, b12) + ReadU32(s, b13));
                   },
                   "block 13 (size 11552 at offset"},
        DefectCase{"ArrayOf159Slots",
                   [](Bytes& s) { WriteU32(s, GeneratorData(s) + 28, 159 * 72); },
                   "not 160 slots of 72 bytes"},
        DefectCase{"InfoOfOtherSize", [](Bytes& s) { WriteU32(s, GeneratorData(s) + 12, 0x10); },
                   "not 160 slots of 72 bytes"},
        DefectCase{"InUse161", [](Bytes& s) { WriteU32(s, GeneratorData(s) + 16, 161); },
                   "161 car generators in use, more than the game's 160"},
        DefectCase{"NoScriptState", [](Bytes& s) { s[ScriptTag(s)] = 'X'; },
                   "fits no platform's layout: block 0 holds no \"SCR\" script state"},
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
  EXPECT_EQ(read.Layout->VariableSpace, 17252u);
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
  ASSERT_TRUE(RenewSaveChecksum(save));
  const SaveRead read = ReadSaveLayout(save);
  ASSERT_TRUE(read.Layout.has_value()) << read.Problem;
  EXPECT_EQ(read.Layout->GeneratorCount, 160u);
}

TEST(SaveLayout, ChecksumIsTheByteSumBeforeIt) {
  Bytes save(kSaveLength, 0);
  save[0] = 0xFF;
  save[kSaveChecksumOffset - 1] = 0x02;
  save[kSaveChecksumOffset] = 0x77;  // the checksum's own bytes do not count
  EXPECT_EQ(SaveChecksum(save, kSaveChecksumOffset), 0x101u);
  EXPECT_EQ(SaveChecksum(Bytes(kSaveLength, 0xFF), kSaveChecksumOffset), 0xFFu * 0x31458u);
  EXPECT_FALSE(RenewSaveChecksum(save)) << "no save: nothing renewed";
  EXPECT_EQ(save[kSaveChecksumOffset], 0x77);
}

// The notes' table: what the save of each platform that tovick-gen writes must read as.
struct PlatformCase {
  SavePlatform Platform;
  const char* Name;
  std::size_t Length, ScriptTag, VariableSpace, HandleShift, ChecksumOffset, GeneratorTags;
};

class SavePlatformTest : public ::testing::TestWithParam<PlatformCase> {};

TEST_P(SavePlatformTest, ReadsAsItsPlatformAndSyncsInPlace) {
  const PlatformCase& c = GetParam();
  const Bytes script = demo::GenerateScript(1);
  const Bytes save = demo::GenerateSave(1, script, c.Platform);
  const SaveRead read = ReadSaveLayout(save);
  ASSERT_TRUE(read.Layout.has_value()) << read.Problem;
  const SaveLayout& layout = *read.Layout;
  EXPECT_EQ(SavePlatformName(layout.Platform), c.Name);
  EXPECT_EQ(save.size(), c.Length);
  EXPECT_TRUE(layout.ChecksumOk);
  EXPECT_EQ(layout.ChecksumOffset, c.ChecksumOffset);
  EXPECT_EQ(layout.Writable, c.Platform != SavePlatform::Xbox);
  EXPECT_EQ(layout.VariablesOffset, c.ScriptTag + 12);
  EXPECT_EQ(layout.VariableSpace, c.VariableSpace);
  // Block 3's instruction ran first: its variable names slot 0, further on by the shift.
  const auto handle = FindGeneratorInstructions(script)[2][GeneratorParam::Handle].value;
  EXPECT_EQ(
      ReadU32(save, layout.VariablesOffset + static_cast<std::size_t>(handle) + c.HandleShift), 0u);
  EXPECT_EQ(SlotsInUse(save, layout), SlotsInUse(GoodSave(), *ReadSaveLayout(GoodSave()).Layout));

  // Block 13 by the walk: its stale copies, however changed (from their count on), change nothing.
  Bytes stale = save;
  std::size_t tags = 0;
  for (std::size_t at = 0; at + 4 <= save.size(); ++at) {
    if (std::memcmp(&save[at], "CGN", 4) != 0) continue;
    ++tags;
    if (at + 28 != layout.SlotsOffset) {
      std::fill_n(stale.begin() + static_cast<long>(at) + 12, 92, 1);
    }
  }
  EXPECT_EQ(tags, c.GeneratorTags);
  RenewSaveChecksum(stale, layout);
  EXPECT_EQ(SlotsInUse(stale, ReadSaveLayout(stale).Layout.value()), SlotsInUse(save, layout));

  // Damaged: a byte the checksum covers; the last byte is the checksum's own, or the signature's.
  for (std::size_t at : {c.ChecksumOffset / 2, save.size() - 1}) {
    Bytes damaged = save;
    damaged[at] ^= 0x10;
    EXPECT_EQ(ReadSaveLayout(damaged).Layout->ChecksumOk, at > c.ChecksumOffset + 3) << at;
  }

  // The round trip: the changed script lands; only slots and the checksum in its place change.
  Bytes after = PlanSaveSync(FindGeneratorInstructions(demo::GenerateScript(1, {.Changed = true})),
                             save, layout)
                    .Patched;
  EXPECT_TRUE(ReadSaveLayout(after).Layout.value().ChecksumOk);
  Bytes before = save;
  for (Bytes* bytes : {&before, &after}) {
    std::fill_n(bytes->begin() + static_cast<long>(layout.SlotsOffset), kGeneratorArraySize, 0);
    std::fill_n(bytes->begin() + static_cast<long>(layout.ChecksumOffset), 4, 0);
  }
  EXPECT_TRUE(before == after);
}

INSTANTIATE_TEST_SUITE_P(
    Platforms, SavePlatformTest,
    ::testing::Values(
        PlatformCase{SavePlatform::Pc, "PC", 201820, 0xC4, 17252, 0, 201816, 1},
        PlatformCase{SavePlatform::Android, "Android", 201820, 0xB8, 17280, 16, 201816, 1},
        PlatformCase{SavePlatform::Ios, "iOS", 201820, 0xB8, 17280, 16, 201816, 1},
        PlatformCase{SavePlatform::Ps2, "PS2", 201752, 0xB8, 17252, 0, 201748, 3},
        PlatformCase{SavePlatform::Ps2Australia, "PS2 Australia", 201756, 0xB0, 17252, 0, 201752,
                     3},
        PlatformCase{SavePlatform::Ps2Japan, "PS2 Japan", 201748, 0xB8, 17252, 0, 201744, 3},
        PlatformCase{SavePlatform::Xbox, "Xbox", 201840, 0xC4, 17252, 0, 201816, 1}));

}  // namespace
}  // namespace tovick
