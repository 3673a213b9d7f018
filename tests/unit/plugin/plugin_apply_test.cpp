// Applying a plug-in to a generated script as the editor does, record by record: which lines are
// reported, which blocks are marked, where the run stops, and exactly which writes come before.

#include "plugin/plugin_apply.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "support/generated_script.h"
#include "plugin/plugin_format.h"

namespace tovick::testing {
namespace {

std::string KindName(PlugInStepKind kind) {
  switch (kind) {
    case PlugInStepKind::MissingParameter:
      return "missing parameter";
    case PlugInStepKind::Record:
      return "record";
    case PlugInStepKind::AddressMismatch:
      return "address mismatch";
    case PlugInStepKind::MarkerMismatch:
      return "marker mismatch";
    case PlugInStepKind::InvalidMarker:
      return "invalid marker";
  }
  return "?";
}

std::string Describe(const PlugInWrite& write) {
  return std::string(PlugInFieldName(write.Field)) + " @" + std::to_string(write.Offset) + "/" +
         std::to_string(write.Width) + "=" + std::to_string(write.Value);
}

struct WindowRun {
  bool NotAPlugIn = false;
  std::vector<std::string> Events;  // "LINE kind"
  std::set<int> Marks;
  std::vector<std::string> Writes;
};

// The editor's loop: mark, then write the record or stop.
WindowRun ApplyLikeTheEditor(std::string_view plugIn, GeneratedScript& script) {
  WindowRun run;
  PlugInApplier applier(plugIn, script.Table, ReaderOf(script.Bytes));
  if (!applier.HeaderOk()) {
    run.NotAPlugIn = true;
    EXPECT_FALSE(applier.Next().has_value());
    return run;
  }
  while (const std::optional<PlugInStep> step = applier.Next()) {
    if (step->MarkBlock) run.Marks.insert(*step->MarkBlock);
    run.Events.push_back(std::to_string(step->LineNumber) + " " + KindName(step->Kind));
    if (step->Kind != PlugInStepKind::Record) continue;
    for (const PlugInWrite& write : step->Writes) run.Writes.push_back(Describe(write));
    WriteStep(script.Bytes, *step);
  }
  return run;
}

// Other values than the script holds, so that every write shows.
CarBlock Altered(const CarBlock& block) {
  CarBlock other = block;
  other.CarId = static_cast<std::uint8_t>(block.CarId ^ 0x5A);
  other.XPos = static_cast<std::int16_t>(block.XPos + 321);
  other.YPos = static_cast<std::int16_t>(block.YPos - 77);
  other.UnknownWord = static_cast<std::uint16_t>(block.UnknownWord + 5);
  other.Heading = static_cast<std::int16_t>(block.Heading + 16);
  other.Alarm = static_cast<std::uint8_t>(block.Alarm + 1);
  other.Lock = static_cast<std::uint8_t>(block.Lock + 2);
  return other;
}

std::string Good(const GeneratedScript& s, int n) {
  return RenderPlugInRecord(n, Altered(s.Block(n)));
}

// The writes the editor makes for block n given values, in its order: the width marker (+21) and
// the byte after a two-byte id (+23) are never among them.
std::vector<std::string> WritesOf(const GeneratedScript& s, int n, const CarBlock& values) {
  const std::int64_t a = s.Block(n).Address;
  const int h = s.Block(n).HiCar;
  const auto word = [](std::int16_t v) { return static_cast<std::uint16_t>(v); };
  return {
      Describe({BlockField::CarId, a + 22, 1, values.CarId}),
      Describe({BlockField::XPos, a + 10, 2, word(values.XPos)}),
      Describe({BlockField::YPos, a + 13, 2, word(values.YPos)}),
      Describe({BlockField::UnknownWord, a + 16, 2, values.UnknownWord}),
      Describe({BlockField::Heading, a + 19, 2, word(values.Heading)}),
      Describe({BlockField::Alarm, a + 30 + h, 1, values.Alarm}),
      Describe({BlockField::Lock, a + 32 + h, 1, values.Lock}),
  };
}

std::string Preamble() {
  return PlugInPreamble();
}

std::string Replace(std::string text, std::string_view from, std::string_view to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
  return text;
}

std::string Addr(const GeneratedScript& s, int n) {
  return std::to_string(s.Block(n).Address);
}

struct TranscriptCase {
  const char* Name;
  std::string (*PlugIn)(const GeneratedScript&);
  bool NotAPlugIn;
  std::vector<std::string> Events;
  std::set<int> Marks;
  std::vector<int> Written;  // blocks whose Good record was written, in order
};

void PrintTo(const TranscriptCase& c, std::ostream* out) {
  *out << c.Name;
}

class ApplyTranscriptTest : public ::testing::TestWithParam<TranscriptCase> {};

TEST_P(ApplyTranscriptTest, EventsMarksAndTheWritesBeforeTheStop) {
  const TranscriptCase& c = GetParam();
  GeneratedScript script = Generate();
  const GeneratedScript original = script;
  const WindowRun run = ApplyLikeTheEditor(c.PlugIn(script), script);
  EXPECT_EQ(run.NotAPlugIn, c.NotAPlugIn);
  EXPECT_EQ(run.Events, c.Events);
  EXPECT_EQ(run.Marks, c.Marks);
  std::vector<std::string> expected;
  for (const int n : c.Written) {
    const std::vector<std::string> writes = WritesOf(original, n, Altered(original.Block(n)));
    expected.insert(expected.end(), writes.begin(), writes.end());
  }
  EXPECT_EQ(run.Writes, expected);
  if (c.Written.empty()) {
    EXPECT_EQ(script.Bytes, original.Bytes);
  }
}

INSTANTIATE_TEST_SUITE_P(
    HostilePlugIns, ApplyTranscriptTest,
    ::testing::Values(
        TranscriptCase{"TheWritersFile",
                       [](const GeneratedScript& s) {
                         return Preamble() + Good(s, 3) + Good(s, 7) + Good(s, 12);
                       },
                       false,
                       {"9 record", "10 record", "11 record"},
                       {3, 7, 12},
                       {3, 7, 12}},
        TranscriptCase{"HeaderAlone",
                       [](const GeneratedScript&) { return std::string(kPlugInHeader) + "\r\n"; },
                       false,
                       {},
                       {},
                       {}},
        TranscriptCase{"HeaderWithoutLineEnd",
                       [](const GeneratedScript&) { return std::string(kPlugInHeader); },
                       false,
                       {},
                       {},
                       {}},
        TranscriptCase{
            "EmptyFile", [](const GeneratedScript&) { return std::string(); }, true, {}, {}, {}},
        TranscriptCase{"LowerCaseHeader",
                       [](const GeneratedScript& s) { return Lower(Preamble()) + Good(s, 1); },
                       true,
                       {},
                       {},
                       {}},
        TranscriptCase{"BlankAfterHeader",
                       [](const GeneratedScript& s) {
                         return std::string(kPlugInHeader) + " \r\n" + Good(s, 1);
                       },
                       true,
                       {},
                       {},
                       {}},
        TranscriptCase{
            "LfOnlyLines",
            [](const GeneratedScript& s) { return Replace(Preamble() + Good(s, 1), "\r\n", "\n"); },
            true,
            {},
            {},
            {}},
        TranscriptCase{"EightAndTenCommasBetweenGoodRecords",
                       [](const GeneratedScript& s) {
                         return Preamble() + Good(s, 1) + "1,65300,4,1,2,3,4,5,6\r\n" +
                                "1,65300,4,1,2,3,4,5,6,7,8\r\n" + Good(s, 2);
                       },
                       false,
                       {"9 record", "10 missing parameter", "11 missing parameter", "12 record"},
                       {1, 2},
                       {1, 2}},
        TranscriptCase{"CommentsEmptyLinesAndABlankBeforeTheHash",
                       [](const GeneratedScript& s) {
                         return Preamble() + Good(s, 1) + "# note, with, commas\r\n\r\n" +
                                " # note\r\n   \r\n" + Good(s, 2);
                       },
                       false,
                       {"9 record", "12 missing parameter", "13 missing parameter", "14 record"},
                       {1, 2},
                       {1, 2}},
        TranscriptCase{"BlockZero",
                       [](const GeneratedScript& s) {
                         return Preamble() + "0," + Addr(s, 1) + ",4,1,2,3,4,5,6,7\r\n" +
                                Good(s, 2);
                       },
                       false,
                       {"9 address mismatch"},
                       {},
                       {}},
        TranscriptCase{"BlockAboveTheTable",
                       [](const GeneratedScript& s) {
                         return Preamble() + Good(s, 1) + "101," + Addr(s, 100) +
                                ",4,1,2,3,4,5,6,7\r\n";
                       },
                       false,
                       {"9 record", "10 address mismatch"},
                       {1},
                       {1}},
        TranscriptCase{"AddressMismatchAtRecordThree",
                       [](const GeneratedScript& s) {
                         CarBlock moved = Altered(s.Block(3));
                         moved.Address += 1;
                         return Preamble() + Good(s, 1) + Good(s, 2) +
                                RenderPlugInRecord(3, moved) + Good(s, 4);
                       },
                       false,
                       {"9 record", "10 record", "11 address mismatch"},
                       {1, 2, 3},
                       {1, 2}},
        TranscriptCase{"MarkerMismatch",
                       [](const GeneratedScript& s) {
                         CarBlock wide = Altered(s.Block(4));  // block 4 has the marker 4
                         wide.WidthMarker = kMarkerTwoByteId;
                         return Preamble() + Good(s, 1) + RenderPlugInRecord(4, wide) + Good(s, 5);
                       },
                       false,
                       {"9 record", "10 marker mismatch"},
                       {1, 4},
                       {1}},
        TranscriptCase{"CompactForm",
                       [](const GeneratedScript& s) {
                         const std::string padded = Good(s, 12);
                         return Preamble() + Replace(padded, " ", "");
                       },
                       false,
                       {"9 record"},
                       {12},
                       {12}},
        TranscriptCase{
            "SameBlockTwice",
            [](const GeneratedScript& s) { return Preamble() + Good(s, 5) + Good(s, 5); },
            false,
            {"9 record", "10 record"},
            {5},
            {5, 5}},
        TranscriptCase{
            "Byte26EndsTheFile",
            [](const GeneratedScript& s) { return Preamble() + Good(s, 1) + "\x1A" + Good(s, 2); },
            false,
            {"9 record"},
            {1},
            {1}}),
    [](const ::testing::TestParamInfo<TranscriptCase>& info) { return info.param.Name; });

// One record of block 2 (a two-byte id, so ALARM and LOCK sit one byte further) with the values
// "1".."7", one of them replaced by a hostile text.
struct ValueCase {
  std::size_t Column;  // 3 = CAR ID ... 9 = LOCK
  const char* Text;
  std::uint16_t Stored;
};

void PrintTo(const ValueCase& c, std::ostream* out) {
  *out << "column " << c.Column << " \"" << c.Text << "\"";
}

class ApplyValueTest : public ::testing::TestWithParam<ValueCase> {};

TEST_P(ApplyValueTest, StoresTheLowBitsOfTheNearestInteger) {
  const ValueCase& c = GetParam();
  GeneratedScript script = Generate();
  std::vector<std::string> fields{"2", Addr(script, 2), "5", "1", "2", "3", "4", "5", "6", "7"};
  fields[c.Column] = c.Text;
  std::string line;
  for (const std::string& field : fields) line += (line.empty() ? "" : ",") + field;
  const GeneratedScript original = script;
  const WindowRun run = ApplyLikeTheEditor(Preamble() + line + "\r\n", script);

  CarBlock values;
  values.CarId = 1;
  values.XPos = 2;
  values.YPos = 3;
  values.UnknownWord = 4;
  values.Heading = 5;
  values.Alarm = 6;
  values.Lock = 7;
  std::vector<std::string> expected = WritesOf(original, 2, values);
  const std::int64_t a = original.Block(2).Address;
  const PlugInWrite replaced[] = {
      {BlockField::CarId, a + 22, 1, c.Stored},   {BlockField::XPos, a + 10, 2, c.Stored},
      {BlockField::YPos, a + 13, 2, c.Stored},    {BlockField::UnknownWord, a + 16, 2, c.Stored},
      {BlockField::Heading, a + 19, 2, c.Stored}, {BlockField::Alarm, a + 31, 1, c.Stored},
      {BlockField::Lock, a + 33, 1, c.Stored},
  };
  expected[c.Column - 3] = Describe(replaced[c.Column - 3]);
  EXPECT_EQ(run.Events, std::vector<std::string>{"9 record"});
  EXPECT_EQ(run.Writes, expected) << c.Text;
  // The width marker and the high byte of the two-byte id stay as they were.
  EXPECT_EQ(script.Bytes[static_cast<std::size_t>(a + 21)], kMarkerTwoByteId);
  EXPECT_EQ(script.Bytes[static_cast<std::size_t>(a + 23)],
            original.Bytes[static_cast<std::size_t>(a + 23)]);
}

constexpr const char* kFortyDigits = "1234567890123456789012345678901234567890";

INSTANTIATE_TEST_SUITE_P(
    Cases, ApplyValueTest,
    ::testing::Values(ValueCase{8, "300", 44}, ValueCase{4, "40000", 0x9C40},
                      ValueCase{4, "-1e300", 0}, ValueCase{5, "1e300", 0},
                      ValueCase{3, "&HFFFFFFFF", 255}, ValueCase{7, "&HFFFFFFFF", 65535},
                      ValueCase{9, kFortyDigits, 0}, ValueCase{6, "65535.5", 0},
                      ValueCase{6, "-1", 65535}, ValueCase{7, "2.5", 2}, ValueCase{7, "3.5", 4},
                      ValueCase{3, "255.5", 0}, ValueCase{8, "", 0}, ValueCase{4, "12abc", 12},
                      ValueCase{4, "&H8000", 0x8000}, ValueCase{9, "-1", 255}));

// BLOCK, BLOCK ADDRESS and HICAR ID in other forms. "@" stands for the address of the block that
// is marked (block 1 when none is), "*" for its width marker.
struct FormCase {
  const char* Block;
  const char* Address;
  const char* Marker;
  PlugInStepKind Kind;
  int Mark;  // 0: nothing marked
};

void PrintTo(const FormCase& c, std::ostream* out) {
  *out << "\"" << c.Block << "\", \"" << c.Address << "\", \"" << c.Marker << "\"";
}

class ApplyFormTest : public ::testing::TestWithParam<FormCase> {};

TEST_P(ApplyFormTest, ComparesBlockAndAddressAsValuesAndTheMarkerAsRead) {
  const FormCase& c = GetParam();
  GeneratedScript script = Generate();
  const int target = c.Mark == 0 ? 1 : c.Mark;
  const std::string address = Replace(c.Address, "@", Addr(script, target));
  const std::string marker =
      Replace(c.Marker, "*", std::to_string(script.Block(target).WidthMarker));
  const std::string line =
      std::string(c.Block) + "," + address + "," + marker + ",1,2,3,4,5,6,7\r\n";
  const std::string plugIn = Preamble() + line;
  PlugInApplier applier(plugIn, script.Table, ReaderOf(script.Bytes));
  const std::optional<PlugInStep> step = applier.Next();
  ASSERT_TRUE(step.has_value());
  EXPECT_EQ(KindName(step->Kind), KindName(c.Kind)) << line;
  EXPECT_EQ(step->MarkBlock.value_or(0), c.Mark) << line;
  EXPECT_FALSE(applier.Next().has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ApplyFormTest,
    ::testing::Values(FormCase{"1", "@", "4", PlugInStepKind::Record, 1},
                      FormCase{"1", "@", "4.0", PlugInStepKind::Record, 1},
                      FormCase{"1", "@", "&H4", PlugInStepKind::Record, 1},

                      FormCase{"1", "@", "4.5", PlugInStepKind::MarkerMismatch, 1},
                      FormCase{"1", "@", "5", PlugInStepKind::MarkerMismatch, 1},
                      FormCase{"1", "@", "", PlugInStepKind::MarkerMismatch, 1},
                      FormCase{"2", "@", "4", PlugInStepKind::MarkerMismatch, 2},
                      FormCase{"1", "@.4", "4", PlugInStepKind::Record, 1},
                      FormCase{"1", "65301", "4", PlugInStepKind::AddressMismatch, 1},
                      FormCase{"1", "&HFF14", "4", PlugInStepKind::AddressMismatch, 1},  // -236
                      FormCase{"1", "&H0FF14", "4", PlugInStepKind::Record, 1},          // 65300
                      FormCase{"1", "1e300", "4", PlugInStepKind::AddressMismatch, 1},

                      FormCase{"1", "&HFFFFFFFF", "4", PlugInStepKind::AddressMismatch, 1},
                      FormCase{"1", kFortyDigits, "4", PlugInStepKind::AddressMismatch, 1},
                      FormCase{"1", "", "4", PlugInStepKind::AddressMismatch, 1},
                      FormCase{"1.5", "@", "*", PlugInStepKind::Record, 2},
                      FormCase{"2.5", "@", "*", PlugInStepKind::Record, 2},
                      FormCase{"&H1", "@", "*", PlugInStepKind::Record, 1},
                      FormCase{"100", "@", "*", PlugInStepKind::Record, 100},
                      FormCase{"0.5", "@", "*", PlugInStepKind::AddressMismatch, 0},
                      FormCase{"0", "@", "*", PlugInStepKind::AddressMismatch, 0},
                      FormCase{"-1", "@", "*", PlugInStepKind::AddressMismatch, 0},
                      FormCase{"100.5", "@", "*", PlugInStepKind::Record, 100},

                      FormCase{"100.51", "@", "*", PlugInStepKind::AddressMismatch, 0},
                      FormCase{"101", "@", "*", PlugInStepKind::AddressMismatch, 0},
                      FormCase{"1e300", "@", "*", PlugInStepKind::AddressMismatch, 0},

                      FormCase{"&HFFFFFFFF", "@", "*", PlugInStepKind::AddressMismatch, 0},
                      FormCase{kFortyDigits, "@", "*", PlugInStepKind::AddressMismatch, 0},
                      FormCase{"", "@", "*", PlugInStepKind::AddressMismatch, 0}));

TEST(PlugInApplier, LinesAreCutAt9004Bytes) {
  GeneratedScript script = Generate();
  // Eight commas, then the ninth after padding: the line keeps it only when it lies within the
  // first 9004 bytes.
  const std::string head = "1," + Addr(script, 1) + ",4,1,2,3,4,5,";
  for (const std::size_t ninthComma : {std::size_t{9003}, std::size_t{9004}}) {
    const std::string line = head + std::string(ninthComma - head.size() - 1, ' ') + "6,7";
    ASSERT_EQ(line[ninthComma], ',');
    const std::string plugIn = Preamble() + line + "\r\n" + Good(script, 2);
    PlugInApplier applier(plugIn, script.Table, ReaderOf(script.Bytes));
    const std::optional<PlugInStep> first = applier.Next();
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(KindName(first->Kind),
              ninthComma < kMaxPlugInLineBytes ? "record" : "missing parameter");
    // The rest of the long line is consumed with it.
    const std::optional<PlugInStep> second = applier.Next();
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(second->LineNumber, 10);
    EXPECT_EQ(second->MarkBlock, 2);
  }
}

TEST(PlugInApplier, AWidthMarkerOtherThanFourOrFiveStopsAtTheGuard) {
  GeneratedScript script = Generate();
  // The table still names block 3, but its marker is no longer 4 (as if changed under the editor).
  const std::int64_t marker = script.Block(3).Address + 21;
  script.Bytes[static_cast<std::size_t>(marker)] = 0x06;
  const std::string record3 = "3," + Addr(script, 3) + ",6,1,2,3,4,5,6,7\r\n";
  const PlugInApplyPlan plan =
      PlanPlugInApply(Preamble() + Good(script, 1) + record3 + Good(script, 2), script.Table,
                      ReaderOf(script.Bytes));
  ASSERT_EQ(plan.Steps.size(), 2u);
  ASSERT_NE(plan.Stop(), nullptr);
  EXPECT_EQ(plan.Stop()->Kind, PlugInStepKind::InvalidMarker);
  EXPECT_EQ(plan.Stop()->Marker, 0x06);
  EXPECT_EQ(plan.Stop()->TableAddress, script.Block(3).Address);
  EXPECT_EQ(plan.RecordCount(), 1);
}

TEST(PlanPlugInApply, ChecksEveryRecordBeforeAnyWriteAndKeepsTheStopData) {
  GeneratedScript script = Generate();
  CarBlock moved = Altered(script.Block(3));
  moved.Address = 70000;
  const std::string plugIn = Preamble() + Good(script, 1) + "1,2\r\n" + Good(script, 2) +
                             RenderPlugInRecord(3, moved) + Good(script, 4);
  const GeneratedScript original = script;
  const PlugInApplyPlan plan = PlanPlugInApply(plugIn, script.Table, ReaderOf(script.Bytes));
  EXPECT_TRUE(plan.HeaderOk);
  EXPECT_EQ(script.Bytes, original.Bytes);
  ASSERT_EQ(plan.Steps.size(), 4u);
  EXPECT_EQ(plan.Steps[1].Kind, PlugInStepKind::MissingParameter);
  EXPECT_EQ(plan.Steps[1].LineNumber, 10);
  EXPECT_EQ(plan.RecordCount(), 2);
  const PlugInStep* stop = plan.Stop();
  ASSERT_NE(stop, nullptr);
  EXPECT_EQ(stop->Kind, PlugInStepKind::AddressMismatch);
  EXPECT_EQ(stop->LineNumber, 12);
  EXPECT_EQ(stop->MarkBlock, 3);
  EXPECT_EQ(stop->TableAddress, script.Block(3).Address);
  EXPECT_EQ(stop->RecordAddress, 70000);
  EXPECT_FALSE(stop->Marker.has_value());

  const PlugInApplyPlan notAPlugIn =
      PlanPlugInApply("TOVICK", script.Table, ReaderOf(script.Bytes));
  EXPECT_FALSE(notAPlugIn.HeaderOk);
  EXPECT_TRUE(notAPlugIn.Steps.empty());
  EXPECT_EQ(notAPlugIn.Stop(), nullptr);
}

}  // namespace
}  // namespace tovick::testing
