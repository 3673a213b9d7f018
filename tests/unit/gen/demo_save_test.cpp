// The demo script's instructions each store their handle in a variable of their own (but the two
// that share one), and the save made with it reads back whole and needs no change, for every
// seed and table size the tests use.

#include "gen/demo_save.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "gen/demo_data.h"
#include "save/save_layout.h"
#include "save/save_sync.h"
#include "scm/generator_instruction.h"

namespace tovick {
namespace {

class DemoSaveTest : public ::testing::TestWithParam<std::tuple<std::uint32_t, int>> {};

TEST_P(DemoSaveTest, EveryBlockHasItsOwnVariableAndTheSaveNeedsNoChange) {
  const auto [seed, blockCount] = GetParam();
  const std::vector<std::uint8_t> script = demo::GenerateScript(
      seed, {.Length = demo::FullTableLength(seed, blockCount) + 8, .BlockCount = blockCount});
  const std::vector<GeneratorInstruction> found = FindGeneratorInstructions(script);
  const std::vector<CarBlock> plan = demo::PlanCarTable(seed, {.BlockCount = blockCount});
  ASSERT_EQ(found.size(), plan.size());
  std::map<std::int32_t, int> users;
  for (std::size_t i = 0; i < found.size(); ++i) {
    EXPECT_EQ(found[i].opcodeOffset, plan[i].Address + 7) << "block " << i + 1;
    EXPECT_EQ(found[i][GeneratorParam::Handle].type, kTypeGlobalVar);
    EXPECT_LT(found[i][GeneratorParam::Handle].value, 0x2000 - 3);
    ++users[found[i][GeneratorParam::Handle].value];
  }
  const int shared = blockCount >= demo::kSharedHandleBlocks[1] ? 1 : 0;
  EXPECT_EQ(users.size(), found.size() - static_cast<std::size_t>(shared));

  const std::vector<std::uint8_t> save = demo::GenerateSave(seed, script);
  const SaveRead read = ReadSaveLayout(save);
  ASSERT_TRUE(read.Layout.has_value()) << read.Problem;
  EXPECT_TRUE(read.Layout->ChecksumOk);
  EXPECT_EQ(read.Layout->GeneratorCount, found.size());
  const SyncPlan sync = PlanSaveSync(found, save, *read.Layout);
  EXPECT_EQ(sync.ChangedSlots, 0);
  EXPECT_EQ(sync.Matching.Agreeing, static_cast<int>(found.size()));
}

INSTANTIATE_TEST_SUITE_P(SeedsAndSizes, DemoSaveTest,
                         ::testing::Combine(::testing::Values(1u, 2u, 77u, 4000000000u),
                                            ::testing::Values(1, 9, 100, 147)));

}  // namespace
}  // namespace tovick
