#include "plugin/plugin_apply.h"

#include <algorithm>
#include <utility>

#include "scm/generator_record.h"
#include "text/number_text.h"
#include "text/whole_numbers.h"

namespace tovick {

namespace {

struct WriteRule {
  BlockField Field;
  std::size_t RecordField;  // index into PlugInRecord::Field
  int Width;
};

// The order in which a record's values go into the script. The width marker (+21) and the high
// byte of a two-byte vehicle id (+23) are not among them.
constexpr std::array<WriteRule, kPlugInWrites> kWriteOrder{{
    {BlockField::CarId, 3, 1},
    {BlockField::XPos, 4, 2},
    {BlockField::YPos, 5, 2},
    {BlockField::UnknownWord, 6, 2},
    {BlockField::Heading, 7, 2},
    {BlockField::Alarm, 8, 1},
    {BlockField::Lock, 9, 1},
}};

}  // namespace

PlugInApplier::PlugInApplier(std::string_view contents, const CarTable& table, ScriptReader read)
    : lines_(contents), table_(&table), read_(std::move(read)) {
  headerOk_ = !lines_.AtEnd() && lines_.ReadLine(kMaxPlugInLineBytes) == kPlugInHeader;
}

PlugInApplier::PlugInApplier(std::string_view contents,
                             std::span<const GeneratorInstruction> instructions)
    : lines_(contents), instructions_(instructions) {
  headerOk_ = !lines_.AtEnd() && lines_.ReadLine(kMaxPlugInLineBytes) == kPlugInHeader;
}

std::optional<PlugInStep> PlugInApplier::Next() {
  if (!headerOk_ || stopped_) return std::nullopt;
  while (!lines_.AtEnd()) {
    ++lineNumber_;
    const std::string line = lines_.ReadLine(kMaxPlugInLineBytes);
    PlugInRecord record;
    switch (ClassifyPlugInLine(line, record)) {
      case PlugInLineKind::Skip:
        continue;
      case PlugInLineKind::MissingParameter: {
        PlugInStep step;
        step.Kind = PlugInStepKind::MissingParameter;
        step.LineNumber = lineNumber_;
        return step;
      }
      case PlugInLineKind::Record: {
        PlugInStep step = CheckRecord(lineNumber_, record);
        stopped_ = step.Stops();
        return step;
      }
    }
  }
  return std::nullopt;
}

PlugInStep PlugInApplier::CheckRecord(int lineNumber, const PlugInRecord& record) const {
  PlugInStep step;
  step.Kind = PlugInStepKind::Record;
  step.LineNumber = lineNumber;
  step.Record = record;
  step.RecordAddress = NearestInteger(record.Address());
  if (table_ == nullptr) {
    CheckInstruction(record, step);
    return step;
  }

  // Block number and address are compared as real values: whatever a field holds ("1e300",
  // 40 digits), no integer conversion can overflow. Table addresses are far below 2^53, so they
  // convert to double exactly. NaN and infinities fail every comparison.
  const double block = RoundHalfEven(record.Block());
  const int blockCnt = std::clamp(table_->BlockCnt, 0, kMaxBlocks);
  if (block >= 1.0 && block <= static_cast<double>(blockCnt)) {
    const int number = static_cast<int>(block);
    step.MarkBlock = number;
    step.TableAddress = table_->Address[static_cast<std::size_t>(number)];
  }
  if (!step.TableAddress ||
      RoundHalfEven(record.Address()) != static_cast<double>(*step.TableAddress)) {
    step.Kind = PlugInStepKind::AddressMismatch;
    return step;
  }

  const std::int64_t address = *step.TableAddress;
  std::uint8_t marker = 0;
  read_(FieldAddress(address, BlockField::WidthMarker, 0), &marker, 1);
  step.Marker = marker;
  // HICAR ID is compared as read: "4.0" matches 4, "4.5" matches nothing.
  if (record.Marker() != static_cast<double>(marker)) {
    step.Kind = PlugInStepKind::MarkerMismatch;
    return step;
  }
  const std::optional<int> hiCar = HiCarFromMarker(marker);
  if (!hiCar) {
    step.Kind = PlugInStepKind::InvalidMarker;
    return step;
  }

  for (std::size_t i = 0; i < kWriteOrder.size(); ++i) {
    const WriteRule& rule = kWriteOrder[i];
    const double value = record.Field[rule.RecordField];
    step.Writes[i] =
        PlugInWrite{rule.Field, FieldAddress(address, rule.Field, *hiCar), rule.Width,
                    rule.Width == 1 ? std::uint16_t{WrapToByte(value)} : WrapToWord(value)};
  }
  return step;
}

void PlugInApplier::CheckInstruction(const PlugInRecord& record, PlugInStep& step) const {
  // The same real-valued comparisons as against the car table; NaN fails them all.
  const double number = RoundHalfEven(record.Block());
  if (!(number >= 1.0 && number <= static_cast<double>(instructions_.size()))) {
    step.Kind = PlugInStepKind::AddressMismatch;
    return;
  }
  const auto index = static_cast<std::size_t>(number) - 1;
  const GeneratorInstruction& instruction = instructions_[index];
  step.MarkBlock = static_cast<int>(index + 1);
  step.TableAddress = RecordAddressOf(instruction);
  if (RoundHalfEven(record.Address()) != static_cast<double>(*step.TableAddress)) {
    step.Kind = PlugInStepKind::AddressMismatch;
    return;
  }
  step.Marker = instruction[GeneratorParam::Model].type;
  if (record.Marker() != static_cast<double>(*step.Marker)) {
    step.Kind = PlugInStepKind::MarkerMismatch;
    return;
  }
  if (const auto field = UnwritableField(instruction)) {
    step.Kind = PlugInStepKind::AddressMismatch;
    step.OddWidthField = field;
    return;
  }
  for (std::size_t i = 0; i < kWriteOrder.size(); ++i) {
    const WriteRule& rule = kWriteOrder[i];
    const FieldSlot slot = *EditorSlotOf(instruction, rule.Field);
    const double value = record.Field[rule.RecordField];
    step.Writes[i] =
        PlugInWrite{rule.Field, slot.Offset, rule.Width,
                    rule.Width == 1 ? std::uint16_t{WrapToByte(value)} : WrapToWord(value)};
  }
}

std::optional<BlockField> UnwritableField(const GeneratorInstruction& instruction) {
  for (const WriteRule& rule : kWriteOrder) {
    if (!EditorSlotOf(instruction, rule.Field)) return rule.Field;
  }
  return std::nullopt;
}

const PlugInStep* PlugInApplyPlan::Stop() const {
  return !Steps.empty() && Steps.back().Stops() ? &Steps.back() : nullptr;
}

int PlugInApplyPlan::RecordCount() const {
  return static_cast<int>(std::count_if(Steps.begin(), Steps.end(), [](const PlugInStep& step) {
    return step.Kind == PlugInStepKind::Record;
  }));
}

PlugInApplyPlan PlanPlugInApply(std::string_view contents, const CarTable& table,
                                const ScriptReader& read) {
  PlugInApplier applier(contents, table, read);
  PlugInApplyPlan plan;
  plan.HeaderOk = applier.HeaderOk();
  while (std::optional<PlugInStep> step = applier.Next()) plan.Steps.push_back(std::move(*step));
  return plan;
}

PlugInApplyPlan PlanPlugInApply(std::string_view contents,
                                std::span<const GeneratorInstruction> instructions) {
  PlugInApplier applier(contents, instructions);
  PlugInApplyPlan plan;
  plan.HeaderOk = applier.HeaderOk();
  while (std::optional<PlugInStep> step = applier.Next()) plan.Steps.push_back(std::move(*step));
  return plan;
}

}  // namespace tovick
