// A save is taken only when all of it holds together: one table of the platforms, each generated
// save read back with the notes' facts and carried through a sync; one table of the defects that
// make a file no GTA III save, each brought into a good PC save alone (its checksum renewed after,
// so that the defect is the one reason); and the boundaries of the fixed sizes.

#include "save/save_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "gen/demo_data.h"
#include "gen/demo_save.h"
#include "save/generator_slot.h"
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
    ::testing::Values(DefectCase{"Empty", [](Bytes& s) { s.clear(); }, "the file is empty"},
                      DefectCase{"OneByteShort", [](Bytes& s) { s.pop_back(); },
                                 "201819 bytes, not 201820, 201752"},
                      DefectCase{"OneByteLong", [](Bytes& s) { s.push_back(0); },
                                 "201821 bytes, not 201820, 201752"},
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
                                 "the chunks end at offset 201815, not at the checksum (201816)"},
                      DefectCase{"BlockPastTheChecksum",
                                 [](Bytes& s) { WriteU32(s, BlockStart(s, 19), 0x40000); },
                                 "chunk 19 (size 262144"},
                      DefectCase{"NoGeneratorTag", [](Bytes& s) { s[GeneratorData(s) + 6] = 'X'; },
                                 "no \"CGN\" tag"},
                      DefectCase{"GeneratorsNotBlock13",
                                 [](Bytes& s) {
                                   // Chunk 12 takes in all of chunk 13 but its last four bytes
                                   // (zeros of the last slot), which become an empty chunk 13: the
                                   // total stays, and the walk reads chunk 13's size word as block
                                   // 13's.
                                   const std::size_t b12 = BlockStart(s, 12);
                                   const std::size_t b13 = BlockStart(s, 13);
                                   WriteU32(s, b12, ReadU32(s, b12) + ReadU32(s, b13));
                                 },
                                 "block 13 (size 11552 at offset"},
                      DefectCase{"ArrayOf159Slots",
                                 [](Bytes& s) { WriteU32(s, GeneratorData(s) + 28, 159 * 72); },
                                 "not 160 slots of 72 bytes"},
                      DefectCase{"InfoOfOtherSize",
                                 [](Bytes& s) { WriteU32(s, GeneratorData(s) + 12, 0x10); },
                                 "not 160 slots of 72 bytes"},
                      DefectCase{"InUse161",
                                 [](Bytes& s) { WriteU32(s, GeneratorData(s) + 16, 161); },
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
  std::size_t Length;
  std::size_t ScriptTag;  // file offset of "SCR\0"
  std::uint32_t VariableSpace;
  std::size_t HandleShift;  // of the PC script's handle variables in the save's copy
  std::size_t ChecksumOffset;
  bool Writable;
  std::size_t GeneratorTags;  // "CGN\0" in the file: block 13 and the PS2's stale copies
};

class SavePlatformTest : public ::testing::TestWithParam<PlatformCase> {};

const Bytes& Script() {
  static const Bytes script = demo::GenerateScript(1);
  return script;
}

std::vector<std::size_t> GeneratorTags(const Bytes& save) {
  std::vector<std::size_t> found;
  for (std::size_t at = 0; at + 4 <= save.size(); ++at) {
    if (save[at] == 'C' && save[at + 1] == 'G' && save[at + 2] == 'N' && save[at + 3] == 0) {
      found.push_back(at);
    }
  }
  return found;
}

TEST_P(SavePlatformTest, ReadsAsItsPlatformAndSyncsInPlace) {
  const PlatformCase& c = GetParam();
  const Bytes save = demo::GenerateSave(1, Script(), c.Platform);
  ASSERT_EQ(save.size(), c.Length);
  const SaveRead read = ReadSaveLayout(save);
  ASSERT_TRUE(read.Layout.has_value()) << read.Problem;
  const SaveLayout& layout = *read.Layout;
  EXPECT_EQ(layout.Platform, c.Platform);
  EXPECT_EQ(SavePlatformName(layout.Platform), c.Name);
  EXPECT_EQ(SavePlatformNamed(c.Name), c.Platform);
  EXPECT_TRUE(layout.ChecksumOk) << read.Problem;
  EXPECT_EQ(layout.ChecksumOffset, c.ChecksumOffset);
  EXPECT_EQ(ReadU32(save, c.ChecksumOffset), SaveChecksum(save, c.ChecksumOffset));
  EXPECT_EQ(layout.Writable, c.Writable);
  EXPECT_EQ(layout.VariablesOffset, c.ScriptTag + 12);
  EXPECT_EQ(layout.VariableSpace, c.VariableSpace);
  // Block 3's instruction ran first: its variable names slot 0, further on by the shift.
  const std::vector<GeneratorInstruction> found = FindGeneratorInstructions(Script());
  const auto handle = static_cast<std::size_t>(found[2][GeneratorParam::Handle].value);
  EXPECT_EQ(ReadU32(save, layout.VariablesOffset + handle + c.HandleShift), 0u);
  // The same cars in the same slots as on the PC.
  const SaveLayout pcLayout = *ReadSaveLayout(GoodSave()).Layout;
  ASSERT_EQ(layout.GeneratorCount, 100u);
  for (int slot = 0; slot < 100; ++slot) {
    EXPECT_EQ(ReadSlot(save, layout, slot), ReadSlot(GoodSave(), pcLayout, slot)) << slot;
  }

  // Block 13 by the walk: stale copies in the padding, however changed, change nothing.
  const std::vector<std::size_t> tags = GeneratorTags(save);
  EXPECT_EQ(tags.size(), c.GeneratorTags);
  Bytes stale = save;
  for (std::size_t tag : tags) {
    if (tag + 28 == layout.SlotsOffset) continue;
    WriteU32(stale, tag + 12, 161);                   // in use
    std::fill_n(stale.begin() + tag + 28, 72, 0xEE);  // slot 0
  }
  RenewSaveChecksum(stale, layout);
  const SaveRead staleRead = ReadSaveLayout(stale);
  ASSERT_TRUE(staleRead.Layout.has_value()) << staleRead.Problem;
  EXPECT_EQ(staleRead.Layout->SlotsOffset, layout.SlotsOffset);
  EXPECT_EQ(staleRead.Layout->GeneratorCount, 100u);
  EXPECT_EQ(ReadSlot(stale, *staleRead.Layout, 0), ReadSlot(save, layout, 0));

  // A damaged save: a byte the checksum covers. The last byte is the checksum's own, or on the
  // Xbox the signature's, which the checksum does not cover.
  Bytes damaged = save;
  damaged[c.ChecksumOffset / 2] ^= 0x10;
  const SaveRead damagedRead = ReadSaveLayout(damaged);
  ASSERT_TRUE(damagedRead.Layout.has_value());
  EXPECT_FALSE(damagedRead.Layout->ChecksumOk);
  EXPECT_NE(damagedRead.Problem.find("a damaged save"), std::string::npos);
  Bytes resigned = save;
  resigned.back() ^= 0x10;
  EXPECT_EQ(ReadSaveLayout(resigned).Layout->ChecksumOk, !c.Writable) << "the last byte";

  // The round trip: the changed script lands, and only slots and the checksum in its place change.
  const SyncPlan plan = PlanSaveSync(
      FindGeneratorInstructions(demo::GenerateScript(1, {.Changed = true})), save, layout);
  EXPECT_EQ(plan.ChangedSlots, static_cast<int>(std::size(demo::kChangedBlocks)));
  const SaveRead back = ReadSaveLayout(plan.Patched);
  ASSERT_TRUE(back.Layout.has_value()) << back.Problem;
  EXPECT_TRUE(back.Layout->ChecksumOk) << back.Problem;
  EXPECT_EQ(back.Layout->Platform, c.Platform);
  for (std::size_t at = 0; at < save.size(); ++at) {
    const bool slots = at >= layout.SlotsOffset && at < layout.SlotsOffset + kGeneratorArraySize;
    const bool checksum = at >= c.ChecksumOffset && at < c.ChecksumOffset + 4;
    if (!slots && !checksum) {
      ASSERT_EQ(plan.Patched[at], save[at]) << "offset " << at;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Platforms, SavePlatformTest,
    ::testing::Values(
        PlatformCase{SavePlatform::Pc, "PC", 201820, 0xC4, 17252, 0, 201816, true, 1},
        PlatformCase{SavePlatform::Android, "Android", 201820, 0xB8, 17280, 16, 201816, true, 1},
        PlatformCase{SavePlatform::Ios, "iOS", 201820, 0xB8, 17280, 16, 201816, true, 1},
        PlatformCase{SavePlatform::Ps2, "PS2", 201752, 0xB8, 17252, 0, 201748, true, 3},
        PlatformCase{SavePlatform::Ps2Australia, "PS2 Australia", 201756, 0xB0, 17252, 0, 201752,
                     true, 3},
        PlatformCase{SavePlatform::Ps2Japan, "PS2 Japan", 201748, 0xB8, 17252, 0, 201744, true, 3},
        PlatformCase{SavePlatform::Xbox, "Xbox", 201840, 0xC4, 17252, 0, 201816, false, 1}),
    [](const ::testing::TestParamInfo<PlatformCase>& info) {
      std::string name = info.param.Name;
      std::erase(name, ' ');
      return name;
    });

// The chunks' offsets up to the checksum.
std::vector<std::size_t> Chunks(const Bytes& save, std::size_t checksumOffset) {
  std::vector<std::size_t> chunks;
  for (std::size_t at = 0; at < checksumOffset; at += 4 + ReadU32(save, at)) chunks.push_back(at);
  return chunks;
}

// A PS2 save's length can be a PS2 Australia save's: "SCR\0" tells them apart.
TEST(SaveLayout, PaddingInThreeChunksIsStillPs2) {
  Bytes save = demo::GenerateSave(1, Script(), SavePlatform::Ps2);
  const std::size_t last = Chunks(save, save.size() - 4).back();
  const std::uint32_t size = ReadU32(save, last);
  WriteU32(save, last, size / 2);
  const Bytes second{0, 0, 0, 0};
  save.insert(save.begin() + static_cast<std::ptrdiff_t>(last + 4 + size / 2), second.begin(),
              second.end());
  WriteU32(save, last + 4 + size / 2, size - size / 2);
  WriteU32(save, save.size() - 4, SaveChecksum(save, save.size() - 4));
  const SaveRead read = ReadSaveLayout(save);
  ASSERT_TRUE(read.Layout.has_value()) << read.Problem;
  EXPECT_EQ(read.Layout->Platform, SavePlatform::Ps2);
  EXPECT_TRUE(read.Layout->ChecksumOk);
  EXPECT_EQ(read.Layout->ChecksumOffset, 201752u);
}

// Block 1 four bytes shorter, the padding four longer: every length and chunk still fits, and
// the nearest platforms say what does not.
TEST(SaveLayout, FileOfNoPlatformSaysWhatDidNotFit) {
  Bytes save = GoodSave();
  const std::vector<std::size_t> chunks = Chunks(save, kSaveChecksumOffset);
  const std::size_t last = chunks.back();
  WriteU32(save, last, ReadU32(save, last) + 4);
  save.insert(save.begin() + static_cast<std::ptrdiff_t>(kSaveChecksumOffset), 4, 0);
  const std::size_t one = chunks[1];
  save.erase(save.begin() + static_cast<std::ptrdiff_t>(one + 8),
             save.begin() + static_cast<std::ptrdiff_t>(one + 12));
  WriteU32(save, one, ReadU32(save, one) - 4);
  WriteU32(save, one + 4, ReadU32(save, one + 4) - 4);
  ASSERT_EQ(save.size(), kSaveLength);
  WriteU32(save, kSaveChecksumOffset, SaveChecksum(save, kSaveChecksumOffset));
  const SaveRead read = ReadSaveLayout(save);
  EXPECT_FALSE(read.Layout.has_value());
  EXPECT_EQ(read.Problem, "it fits no platform's layout: block 1 is 1562 bytes (not 1566 on PC)");
}

}  // namespace
}  // namespace tovick
