// Carrying a script's parked cars into a save made with it: the round trip of the unchanged
// script and known edits landing exactly in their slots, at each alignment of the variables; the
// matching rules as one table of script and save edits; most cars moved at once; and the .bak
// written before the save.

#include "save/save_sync.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "gen/demo_data.h"
#include "gen/demo_save.h"
#include "gen/foreign_script.h"
#include "save/save_write.h"
#include "support/faulty_file_io.h"

namespace tovick {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kSeed = 1;

struct Demo {
  Bytes Script = demo::GenerateScript(kSeed);
  Bytes Save = demo::GenerateSave(kSeed, Script);
  SaveLayout Layout = *ReadSaveLayout(Save).Layout;
};

const Demo& Original() {
  static const Demo demo;
  return demo;
}

SaveLayout LayoutOf(const Bytes& save) {
  return *ReadSaveLayout(save).Layout;
}

SyncPlan Sync(const Bytes& script, const Bytes& save = Original().Save) {
  const std::vector<GeneratorInstruction> instructions = FindGeneratorInstructions(script);
  return PlanSaveSync(instructions, save, LayoutOf(save));
}

// The save with its copy of the variables moved `by` bytes (a phone save holds the PC script's
// handles 16 bytes further); bytes moved in from outside read 0.
Bytes WithVariablesMoved(const Bytes& save, int by) {
  Bytes moved = save;
  const SaveLayout layout = LayoutOf(save);
  const auto space = static_cast<std::int64_t>(layout.VariableSpace);
  for (std::int64_t at = 0; at < space; ++at) {
    const std::int64_t from = at - by;
    moved[layout.VariablesOffset + static_cast<std::size_t>(at)] =
        from >= 0 && from < space ? save[layout.VariablesOffset + static_cast<std::size_t>(from)]
                                  : 0;
  }
  RenewSaveChecksum(moved);
  return moved;
}

void SetValue(Bytes& script, const GeneratorValue& v, std::int32_t value) {
  for (int i = 0; i < v.width; ++i) {
    script[static_cast<std::size_t>(v.offset + i)] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

// The script with every handle variable `by` bytes further.
Bytes WithHandlesMoved(Bytes script, int by) {
  for (const GeneratorInstruction& instruction : FindGeneratorInstructions(script)) {
    const GeneratorValue& handle = instruction[GeneratorParam::Handle];
    SetValue(script, handle, handle.value + by);
  }
  return script;
}

// Block n's instruction (blocks are numbered from 1 in file order).
GeneratorInstruction Instruction(const Bytes& script, int block) {
  return FindGeneratorInstructions(script)[static_cast<std::size_t>(block - 1)];
}

void SetField(Bytes& script, int block, GeneratorParam param, std::int32_t value) {
  SetValue(script, Instruction(script, block)[param], value);
}

// The slot that holds block n's instruction in the generated save: the first two blocks last.
int SlotOfBlock(int block) {
  return block <= 2 ? demo::kDemoBlockCount - 3 + block : block - 3;
}

std::string Lines(const SyncPlan& plan) {
  std::string text;
  for (const SlotChange& c : plan.Changes) {
    text += std::to_string(c.Slot) + " " + std::string(SlotFieldName(c.Field)) + " " + c.Before +
            " -> " + c.After + "\n";
  }
  return text;
}

// The same save and script, with the save's copy of the variables or the script's handle offsets
// moved: the alignment finds the shift and everything else is as in the PC save.
struct AlignmentCase {
  const char* Name;
  int SaveMovedBy;
  int ScriptMovedBy;
  int Shift;  // the alignment expected
};

class SaveAlignmentTest : public ::testing::TestWithParam<AlignmentCase> {
 protected:
  Bytes Save() const { return WithVariablesMoved(Original().Save, GetParam().SaveMovedBy); }
  Bytes Script(const Bytes& script) const {
    return WithHandlesMoved(script, GetParam().ScriptMovedBy);
  }
};

TEST_P(SaveAlignmentTest, UnchangedScriptChangesNoByte) {
  const Bytes save = Save();
  const SyncPlan plan = Sync(Script(Original().Script), save);
  EXPECT_EQ(plan.ChangedSlots, 0);
  EXPECT_TRUE(plan.Changes.empty());
  EXPECT_TRUE(plan.Patched == save);
  EXPECT_TRUE(plan.MadeWithScript);
  EXPECT_EQ(plan.Matching.VariableShift, GetParam().Shift);
  // Blocks 8 and 9 share a variable, which names block 9's slot.
  EXPECT_EQ(plan.Matching.AgreeingByVariable, 99);
  ASSERT_EQ(plan.Matching.SlotOf.size(), 100u);
  for (int block = 1; block <= 100; ++block) {
    EXPECT_EQ(plan.Matching.SlotOf[static_cast<std::size_t>(block - 1)], SlotOfBlock(block))
        << "block " << block;
  }
  EXPECT_EQ(plan.Matching.Agreeing, 100);
  // Block 3's one-byte id above 127 is named and left alone.
  ASSERT_EQ(plan.Notes.size(), 1u);
  EXPECT_NE(plan.Notes[0].find("which the game reads as -"), std::string::npos) << plan.Notes[0];
}

TEST_P(SaveAlignmentTest, KnownEditsLandInTheirSlotsAndNothingElseChanges) {
  const Bytes save = Save();
  const Bytes changed = Script(demo::GenerateScript(kSeed, {.Changed = true}));
  const SyncPlan plan = Sync(changed, save);
  const std::vector<CarBlock> before = demo::PlanCarTable(kSeed);
  const std::vector<CarBlock> after = demo::PlanCarTable(kSeed, {.Changed = true});
  auto world = [](int raw) {
    char text[32];
    const auto done = std::to_chars(text, text + sizeof text, static_cast<float>(raw) / 16.0f);
    return std::string(text, done.ptr);
  };
  const CarBlock& b1 = before[0];
  const CarBlock& a1 = after[0];
  std::string expected;
  expected += std::to_string(SlotOfBlock(7)) + " Y " + world(before[6].YPos) + " -> " +
              world(after[6].YPos) + "\n";
  expected += std::to_string(SlotOfBlock(7)) + " Z " +
              world(static_cast<std::int16_t>(before[6].UnknownWord)) + " -> " +
              world(static_cast<std::int16_t>(after[6].UnknownWord)) + "\n";
  expected += std::to_string(SlotOfBlock(60)) + " LOCK " + std::to_string(before[59].Lock) +
              " -> " + std::to_string(after[59].Lock) + "\n";
  expected += std::to_string(SlotOfBlock(100)) + " Y " + world(before[99].YPos) + " -> " +
              world(after[99].YPos) + "\n";
  expected += std::to_string(SlotOfBlock(1)) + " MODEL " + std::to_string(b1.CarId) + " -> " +
              std::to_string(a1.CarId) + "\n";
  expected +=
      std::to_string(SlotOfBlock(1)) + " X " + world(b1.XPos) + " -> " + world(a1.XPos) + "\n";
  expected += std::to_string(SlotOfBlock(2)) + " HEADING " + world(before[1].Heading) + " -> " +
              world(after[1].Heading) + "\n";
  expected += std::to_string(SlotOfBlock(2)) + " ALARM " + std::to_string(before[1].Alarm) +
              " -> " + std::to_string(after[1].Alarm) + "\n";
  expected += std::to_string(SlotOfBlock(2)) + " LOCK " + std::to_string(before[1].Lock) + " -> " +
              std::to_string(after[1].Lock) + "\n";
  EXPECT_EQ(Lines(plan), expected);
  EXPECT_EQ(plan.ChangedSlots, 5);

  // Only the slots' carried fields, the new model's box and the checksum differ.
  const Demo& o = Original();
  const SaveRead read = ReadSaveLayout(plan.Patched);
  ASSERT_TRUE(read.Layout.has_value());
  EXPECT_TRUE(read.Layout->ChecksumOk);
  const std::size_t slot1 = o.Layout.SlotsOffset + kGeneratorSlotSize * SlotOfBlock(1);
  std::vector<std::size_t> allowed;
  for (int block : {1, 2, 7, 60, 100}) {
    const std::size_t at = o.Layout.SlotsOffset + kGeneratorSlotSize * SlotOfBlock(block);
    for (std::size_t i = 0; i < 0x20; ++i) allowed.push_back(at + i);
  }
  for (std::size_t i = 0; i < kSlotBoxBytes; ++i) allowed.push_back(slot1 + kSlotBoxOffset + i);
  for (std::size_t i = 0; i < 4; ++i) allowed.push_back(kSaveChecksumOffset + i);
  for (std::size_t at = 0; at < kSaveLength; ++at) {
    if (std::find(allowed.begin(), allowed.end(), at) == allowed.end()) {
      ASSERT_EQ(plan.Patched[at], save[at]) << "offset " << at;
    }
  }
  // The new model's box is that of the lowest slot that held it.
  for (int s = 0; s < 100; ++s) {
    if (ReadSlot(o.Save, o.Layout, s).Model == a1.CarId) {
      EXPECT_EQ(ReadSlot(plan.Patched, o.Layout, SlotOfBlock(1)).Box,
                ReadSlot(o.Save, o.Layout, s).Box);
      break;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Shifts, SaveAlignmentTest,
                         ::testing::Values(AlignmentCase{"Pc", 0, 0, 0},
                                           AlignmentCase{"PhoneSave", 16, 0, 16},
                                           AlignmentCase{"ScriptHandlesFurther", 0, 16, -16},
                                           AlignmentCase{"AtTheBound", -64, 0, -64}),
                         [](const ::testing::TestParamInfo<AlignmentCase>& info) {
                           return std::string(info.param.Name);
                         });

// Names block n's variable in the save: its copy there is set to that slot.
void PointVariable(const Bytes& script, Bytes& save, int block, int slot) {
  const auto offset =
      static_cast<std::size_t>(Instruction(script, block)[GeneratorParam::Handle].value);
  WriteU32(save, Original().Layout.VariablesOffset + offset, static_cast<std::uint32_t>(slot));
  RenewSaveChecksum(save);
}

struct MatchCase {
  const char* Name;
  std::function<void(Bytes& script, Bytes& save)> Edit;
  std::vector<std::pair<int, std::optional<int>>> Slots;  // block -> slot
  const char* Note;                                       // a note that must be given, or ""
  bool MadeWithScript = true;
  int ChangedSlots = 0;
};

class SaveMatchTest : public ::testing::TestWithParam<MatchCase> {};

TEST_P(SaveMatchTest, FindsTheSlots) {
  Bytes script = Original().Script;
  Bytes save = Original().Save;
  GetParam().Edit(script, save);
  const SyncPlan plan = Sync(script, save);
  for (const auto& [block, slot] : GetParam().Slots) {
    EXPECT_EQ(plan.Matching.SlotOf[static_cast<std::size_t>(block - 1)], slot) << "block " << block;
  }
  std::string notes;
  for (const std::string& note : plan.Notes) notes += note + "\n";
  EXPECT_NE(notes.find(GetParam().Note), std::string::npos) << notes;
  EXPECT_EQ(plan.MadeWithScript, GetParam().MadeWithScript);
  EXPECT_EQ(plan.ChangedSlots, GetParam().ChangedSlots) << Lines(plan);
}

// A save made when only blocks 1 to 30 had run: the variables of the other 70 read 0, naming slot
// 0.
void OnlyThirtyRan(Bytes&, Bytes& save) {
  save = demo::GenerateSave(kSeed, demo::GenerateScript(kSeed, {.BlockCount = 30}));
}

// Blocks 8 and 9 share one variable, which names block 9's slot (it ran last).
INSTANTIATE_TEST_SUITE_P(
    Rules, SaveMatchTest,
    ::testing::Values(
        MatchCase{"SharedVariableTheOtherByItsValues",
                  [](Bytes&, Bytes&) {},
                  {{8, SlotOfBlock(8)}, {9, SlotOfBlock(9)}},
                  ""},
        MatchCase{"SharedVariableLastKeepsItWhenNeitherAgrees",
                  [](Bytes& script, Bytes&) { SetField(script, 9, GeneratorParam::X, 1234); },
                  {{8, SlotOfBlock(8)}, {9, SlotOfBlock(9)}},
                  "",
                  true,
                  1},
        MatchCase{
            "SharedVariableTheAgreeingEarlierOneKeepsIt",
            [](Bytes& script, Bytes& save) { PointVariable(script, save, 8, SlotOfBlock(8)); },
            {{8, SlotOfBlock(8)}, {9, SlotOfBlock(9)}},
            ""},
        MatchCase{"SharedVariableTheEditedOneTakesTheSlotNoOtherClaims",
                  [](Bytes& script, Bytes& save) {
                    PointVariable(script, save, 8, SlotOfBlock(8));
                    SetField(script, 8, GeneratorParam::Y, 555);
                  },
                  {{8, SlotOfBlock(8)}, {9, SlotOfBlock(9)}},
                  "",
                  true,
                  1},
        MatchCase{"SharedVariableBothEditedCannotBeTold",
                  [](Bytes& script, Bytes& save) {
                    PointVariable(script, save, 8, SlotOfBlock(8));
                    SetField(script, 8, GeneratorParam::Y, 555);
                    SetField(script, 9, GeneratorParam::Y, 555);
                  },
                  {{8, std::nullopt}, {9, std::nullopt}},
                  "slot 5 is named by the handle variables of 2 instructions"},
        MatchCase{"VariableOutsideTheSpaceFallsBackToValues",
                  [](Bytes& script, Bytes&) {
                    SetField(script, 10, GeneratorParam::Handle, 0x1FFD);  // not a whole variable
                  },
                  {{10, SlotOfBlock(10)}},
                  ""},
        MatchCase{"VariableNamingASlotNotInUseFallsBackToValues",
                  [](Bytes& script, Bytes& save) { PointVariable(script, save, 11, 100); },
                  {{11, SlotOfBlock(11)}},
                  ""},
        MatchCase{"MovedAndItsVariableLostIsCarriedNowhere",
                  [](Bytes& script, Bytes&) {
                    SetField(script, 12, GeneratorParam::Handle, 0x2000);
                    SetField(script, 12, GeneratorParam::Z, 77);
                  },
                  {{12, std::nullopt}},
                  "(model "},
        MatchCase{"ModelNoSlotHoldsKeepsTheBox",
                  [](Bytes& script, Bytes&) { SetField(script, 2, GeneratorParam::Model, 300); },
                  {{2, SlotOfBlock(2)}},
                  "no slot of this save holds model 300, so its bounding box is kept",
                  true,
                  1},
        // Beyond the shifts tried no variable agrees (nor reads 0): none is believed.
        MatchCase{"NoAlignmentNoVariableBelieved",
                  [](Bytes& script, Bytes& save) {
                    save = WithVariablesMoved(save, -128);
                    SetField(script, 12, GeneratorParam::Z, 77);
                  },
                  {{12, std::nullopt}, {13, SlotOfBlock(13)}},
                  "(model ",
                  false},
        MatchCase{"NotRunNoneTakesSlotZeroFromItsOwn",
                  OnlyThirtyRan,
                  {{3, 0}, {31, std::nullopt}, {100, std::nullopt}},
                  "has no slot in this save"},
        MatchCase{"NotRunSlotZeroEditedCannotBeTold",
                  [](Bytes& script, Bytes& save) {
                    OnlyThirtyRan(script, save);
                    SetField(script, 3, GeneratorParam::X, 4321);
                  },
                  {{3, std::nullopt}, {31, std::nullopt}, {100, std::nullopt}},
                  "slot 0 is named by the handle variables of 71 instructions"}),
    [](const ::testing::TestParamInfo<MatchCase>& info) { return std::string(info.param.Name); });

// The texts of the reports and the JSON: floats exactly as stored, in their shortest form.
TEST(SlotFieldText, ShortestExactTexts) {
  GeneratorSlot slot;
  const std::pair<float, const char*> floats[] = {
      {-1534.8125f, "-1534.8125"}, {-100.0f, "-100"}, {0.0f, "0"}, {-0.0f, "-0"}, {0.1f, "0.1"},
      {2047.9375f, "2047.9375"},   {1e-45f, "1e-45"}};
  for (const auto& [value, text] : floats) {
    slot.X = value;
    EXPECT_EQ(SlotFieldText(slot, SlotField::X), text);
  }
  slot.Model = -119;
  slot.MaxDelay = 65535;
  slot.Colour1 = -1;
  EXPECT_EQ(SlotFieldText(slot, SlotField::Model), "-119");
  EXPECT_EQ(SlotFieldText(slot, SlotField::MaxDelay), "65535");
  EXPECT_EQ(SlotFieldText(slot, SlotField::Colour1), "-1");
}

TEST(SaveSync, AnotherScriptIsNotTheOneTheSaveWasMadeWith) {
  EXPECT_FALSE(Sync(demo::GenerateScript(2)).MadeWithScript);
  EXPECT_FALSE(
      Sync(demo::GenerateScript(2), WithVariablesMoved(Original().Save, 16)).MadeWithScript);
  EXPECT_FALSE(Sync(Bytes(70204, 0)).MadeWithScript);
}

// 100 of the 149 instructions of a script compiled elsewhere moved one unit each all arrive,
// and the save still counts as made with the script, PC or phone alike.
TEST(SaveSync, MostCarsMovedAtOnceAllArrive) {
  const Bytes script = demo::GenerateForeignScript(kSeed);
  const std::vector<GeneratorInstruction> instructions = FindGeneratorInstructions(script);
  Bytes moved = script;
  std::vector<std::size_t> movedOnes;
  // Carried ones only: an unsafe model is never carried, a local handle leaves no trace.
  for (std::size_t i = 0; movedOnes.size() < 100; ++i) {
    const GeneratorInstruction& instruction = instructions.at(i);
    if (instruction[GeneratorParam::Model].value < 0 ||
        instruction[GeneratorParam::Handle].type != kTypeGlobalVar) {
      continue;
    }
    SetValue(moved, instruction[GeneratorParam::X], instruction[GeneratorParam::X].value + 1);
    movedOnes.push_back(i);
  }
  for (const int savedBy : {0, 16}) {
    const Bytes save = WithVariablesMoved(demo::GenerateSave(kSeed, script), savedBy);
    const SyncPlan unchanged = Sync(script, save);
    const SyncPlan plan = Sync(moved, save);
    EXPECT_TRUE(plan.MadeWithScript) << savedBy;
    EXPECT_EQ(plan.Changes.size(), 100u) << savedBy;
    for (std::size_t i : movedOnes) {
      ASSERT_TRUE(unchanged.Matching.SlotOf[i].has_value());
      ASSERT_EQ(plan.Matching.SlotOf[i], unchanged.Matching.SlotOf[i]) << i;
      EXPECT_EQ(ReadSlot(plan.Patched, LayoutOf(save), *plan.Matching.SlotOf[i]).X,
                static_cast<float>(instructions[i][GeneratorParam::X].value + 1) / 16.0f)
          << i;
    }
  }
}

// The save and its .bak on disk, with the new file's creation refused for either.
class RefusingFileIo : public testing::FaultyFileIo {
 public:
  std::string RefusedPrefix;
  Handle Create(const std::string& path) override {
    if (!RefusedPrefix.empty() && path.rfind(RefusedPrefix, 0) == 0) return kNoFile;
    return FaultyFileIo::Create(path);
  }
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(SaveWrite, BackupFirstThenTheSaveAndEitherFailureLeavesTheSave) {
  const std::string dir = std::string(TOVICK_TEST_TMP) + "/save_write";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const std::string path = dir + "/GTA3sf1.b";
  std::ofstream(path, std::ios::binary) << "old";
  std::ofstream(BackupPath(path), std::ios::binary) << "older backup";

  RefusingFileIo io;
  io.RefusedPrefix = path + ".bak.new";
  EXPECT_EQ(WriteSaveWithBackup(io, path, "old", "new"), SaveWrite::BackupFailed);
  EXPECT_EQ(ReadAll(path), "old");
  EXPECT_EQ(ReadAll(BackupPath(path)), "older backup");

  io.RefusedPrefix = path + ".new";
  EXPECT_EQ(WriteSaveWithBackup(io, path, "old", "new"), SaveWrite::SaveFailed);
  EXPECT_EQ(ReadAll(path), "old");
  EXPECT_EQ(ReadAll(BackupPath(path)), "old");

  io.RefusedPrefix.clear();
  EXPECT_EQ(WriteSaveWithBackup(io, path, "old", "new"), SaveWrite::Written);
  EXPECT_EQ(ReadAll(path), "new");
  EXPECT_EQ(ReadAll(BackupPath(path)), "old");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir),
                          std::filesystem::directory_iterator()),
            2);
}

}  // namespace
}  // namespace tovick
