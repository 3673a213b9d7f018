// Creating a plug-in from marked blocks, the name rule, and the round trip: a plug-in created from
// one script and applied to a copy whose values differ brings the marked blocks' bytes back.

#include "plugin/plugin_create.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "support/generated_script.h"
#include "plugin/plugin_apply.h"
#include "plugin/plugin_format.h"
#include "scm/script_file.h"
#include "support/test_data.h"

namespace tovick::testing {
namespace {

std::vector<std::uint8_t> Marks(std::initializer_list<int> blocks, std::size_t size = 5001) {
  std::vector<std::uint8_t> marks(size, 0);
  for (const int n : blocks) marks[static_cast<std::size_t>(n)] = 1;
  return marks;
}

TEST(PlanPlugInCreation, HeaderCommentsAndTheMarkedBlocksInOrder) {
  const GeneratedScript script = Generate();
  std::vector<std::uint8_t> marks = Marks({12, 3, 7});
  marks[5] = 2;    // only a mark of exactly 1 counts
  marks[101] = 1;  // beyond BlockCnt
  marks[0] = 1;    // entry 0 is never used
  EXPECT_EQ(CountMarkedBlocks(script.Table, marks), 3);
  const PlugInCreation creation = PlanPlugInCreation(script.Table, marks, ReaderOf(script.Bytes));
  EXPECT_TRUE(creation.Complete());
  EXPECT_EQ(creation.RecordCount, 3);
  EXPECT_EQ(creation.Content, PlugInPreamble() + RenderPlugInRecord(3, script.Block(3)) +
                                  RenderPlugInRecord(7, script.Block(7)) +
                                  RenderPlugInRecord(12, script.Block(12)));
}

TEST(PlanPlugInCreation, TwoByteBlocksAndAShortMarkTable) {
  const GeneratedScript script = Generate(3);
  // Block 2 has a two-byte id: its record carries the marker 5 and ALARM and LOCK from one byte
  // further on. A mark table shorter than the car table leaves the rest unmarked.
  const std::vector<std::uint8_t> marks = Marks({2, 5}, 6);
  const PlugInCreation creation = PlanPlugInCreation(script.Table, marks, ReaderOf(script.Bytes));
  EXPECT_EQ(creation.Content, PlugInPreamble() + RenderPlugInRecord(2, script.Block(2)) +
                                  RenderPlugInRecord(5, script.Block(5)));
  EXPECT_NE(creation.Content.find(" 2 ,  65334 ,  5 , "), std::string::npos);
  EXPECT_EQ(CountMarkedBlocks(script.Table, Marks({}, 0)), 0);
}

TEST(PlanPlugInCreation, AnInvalidWidthMarkerStopsAtTheGuard) {
  GeneratedScript script = Generate();
  script.Bytes[static_cast<std::size_t>(script.Block(7).Address + 21)] = 0x06;
  const PlugInCreation creation =
      PlanPlugInCreation(script.Table, Marks({3, 7, 12}), ReaderOf(script.Bytes));
  EXPECT_FALSE(creation.Complete());
  EXPECT_EQ(creation.InvalidMarkerBlock, 7);
  EXPECT_EQ(creation.RecordCount, 1);
  EXPECT_EQ(creation.Content, PlugInPreamble() + RenderPlugInRecord(3, script.Block(3)));
}

struct NameCase {
  const char* Chosen;
  const char* Saved;
};

void PrintTo(const NameCase& c, std::ostream* out) {
  *out << "\"" << c.Chosen << "\"";
}

class PlugInFileNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(PlugInFileNameTest, AppendsTheExtensionUnlessItIsThere) {
  EXPECT_EQ(PlugInFileName(GetParam().Chosen), GetParam().Saved);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlugInFileNameTest,
    ::testing::Values(NameCase{"cars", "cars.TOVICK1"}, NameCase{"cars.txt", "cars.txt.TOVICK1"},
                      NameCase{"x.ToViCk1", "x.ToViCk1"},
                      NameCase{"C:\\mods\\cars.tovick1", "C:\\mods\\cars.tovick1"},
                      NameCase{".TOVICK1", ".TOVICK1"}, NameCase{"TOVICK1", "TOVICK1.TOVICK1"},
                      NameCase{"cars.TOVICK", "cars.TOVICK.TOVICK1"},
                      NameCase{"cars_TOVICK1", "cars_TOVICK1.TOVICK1"}, NameCase{"", ".TOVICK1"}));

// The script with other values in every block and another high byte of each two-byte id; the
// signatures, markers, follow bytes and handle variables stay.
std::vector<std::uint8_t> WithOtherValues(const GeneratedScript& script) {
  std::vector<std::uint8_t> bytes = script.Bytes;
  for (const CarBlock& block : script.Plan) {
    CarBlock other = block;
    other.CarId = static_cast<std::uint8_t>(block.CarId + 1);
    other.XPos = static_cast<std::int16_t>(-block.XPos);
    other.YPos = static_cast<std::int16_t>(block.YPos + 1000);
    other.UnknownWord = static_cast<std::uint16_t>(~block.UnknownWord);
    other.Heading = static_cast<std::int16_t>(block.Heading / 2);
    other.Alarm = static_cast<std::uint8_t>(block.Alarm + 7);
    other.Lock = static_cast<std::uint8_t>(block.Lock + 9);
    const auto at = static_cast<std::size_t>(block.Address);
    std::vector<std::uint8_t> encoded = EncodeCarBlock(other, bytes[at + 33 + block.HiCar]);
    if (block.HiCar == 1) encoded[23] = 0x77;
    encoded[5] = bytes[at + 5];
    encoded[6] = bytes[at + 6];
    std::copy(encoded.begin(), encoded.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
  }
  return bytes;
}

TEST(PlugInRoundTrip, TheMarkedBlocksComeBackInTheCopyOnDisk) {
  const GeneratedScript source = Generate(11);
  // Two-byte blocks (2 and 5), the block before the odd follow byte (60), the last block.
  const std::vector<std::uint8_t> marks = Marks({2, 3, 5, 59, 60, 61, 100});
  const PlugInCreation creation = PlanPlugInCreation(source.Table, marks, ReaderOf(source.Bytes));
  ASSERT_TRUE(creation.Complete());

  const std::vector<std::uint8_t> copy = WithOtherValues(source);
  const std::string path =
      WriteFile(FreshTestDir() + "/MAIN.SCM", std::string(copy.begin(), copy.end()));
  std::vector<int> marked;
  {
    // Record by record into the open file, as the editor does.
    ScriptFile file;
    ASSERT_TRUE(file.Open(path));
    PlugInApplier applier(creation.Content, source.Table, ReaderOf(file));
    ASSERT_TRUE(applier.HeaderOk());
    while (const std::optional<PlugInStep> step = applier.Next()) {
      ASSERT_EQ(step->Kind, PlugInStepKind::Record);
      marked.push_back(*step->MarkBlock);
      for (const PlugInWrite& write : step->Writes) {
        ASSERT_TRUE(write.Width == 1
                        ? file.WriteByte(write.Offset, static_cast<std::uint8_t>(write.Value))
                        : file.WriteWord(write.Offset, write.Value));
      }
    }
  }
  EXPECT_EQ(marked, (std::vector<int>{2, 3, 5, 59, 60, 61, 100}));

  // Expected: the copy, with the source's bytes in every marked block except the high byte of a
  // two-byte id, which is never written.
  std::vector<std::uint8_t> expected = copy;
  for (const int n : marked) {
    const CarBlock& block = source.Block(n);
    for (std::int64_t at = block.Address; at < block.Address + 34 + block.HiCar; ++at) {
      if (block.HiCar == 1 && at == block.Address + 23) continue;
      expected[static_cast<std::size_t>(at)] = source.Bytes[static_cast<std::size_t>(at)];
    }
  }
  const std::string patched = ReadFile(path);
  EXPECT_TRUE(std::vector<std::uint8_t>(patched.begin(), patched.end()) == expected);
  EXPECT_EQ(
      static_cast<std::uint8_t>(patched[static_cast<std::size_t>(source.Block(2).Address + 23)]),
      0x77);

  // Applied to the script it came from, it changes nothing.
  GeneratedScript same = source;
  const PlugInApplyPlan plan = PlanPlugInApply(creation.Content, same.Table, ReaderOf(same.Bytes));
  EXPECT_EQ(plan.RecordCount(), 7);
  for (const PlugInStep& step : plan.Steps) WriteStep(same.Bytes, step);
  EXPECT_TRUE(same.Bytes == source.Bytes);
}

}  // namespace
}  // namespace tovick::testing
