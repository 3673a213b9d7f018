#include "plugin/plugin_patch.h"

#include "plugin/plugin_format.h"
#include "scm/generator_record.h"
#include "text/number_text.h"
#include "text/text_lines.h"

namespace tovick {

namespace {

std::string ValueText(double value) {
  return Trim(NumberToText(value));
}

// The value as the field holds it: positions and heading signed, the rest unsigned.
long FieldValue(BlockField field, std::uint16_t raw) {
  const bool isSigned =
      field == BlockField::XPos || field == BlockField::YPos || field == BlockField::Heading;
  return isSigned ? static_cast<long>(static_cast<std::int16_t>(raw)) : static_cast<long>(raw);
}

std::uint16_t ReadRaw(const std::vector<std::uint8_t>& bytes, const PlugInWrite& write) {
  const auto at = static_cast<std::size_t>(write.Offset);
  std::uint16_t value = at < bytes.size() ? bytes[at] : 0;
  if (write.Width == 2 && at + 1 < bytes.size()) {
    value |= static_cast<std::uint16_t>(bytes[at + 1] << 8);
  }
  return value;
}

// As the editor's positioned write does, a write past the end of the script extends it.
void WriteRaw(std::vector<std::uint8_t>& bytes, const PlugInWrite& write) {
  const auto at = static_cast<std::size_t>(write.Offset);
  const auto width = static_cast<std::size_t>(write.Width);
  if (bytes.size() < at + width) bytes.resize(at + width, 0);
  bytes[at] = static_cast<std::uint8_t>(write.Value & 0xFF);
  if (width == 2) bytes[at + 1] = static_cast<std::uint8_t>(write.Value >> 8);
}

}  // namespace

PlugInPatch PatchScript(std::span<const std::uint8_t> script, const PlugInApplyPlan& plan) {
  PlugInPatch patch;
  patch.Patched.assign(script.begin(), script.end());
  for (const PlugInStep& step : plan.Steps) {
    if (step.Kind != PlugInStepKind::Record) continue;
    for (const PlugInWrite& write : step.Writes) {
      const long before = FieldValue(write.Field, ReadRaw(patch.Patched, write));
      const long after = FieldValue(write.Field, write.Value);
      if (before != after) {
        patch.Changes.push_back("block " + std::to_string(*step.MarkBlock) + ": " +
                                std::string(PlugInFieldName(write.Field)) + " " +
                                std::to_string(before) + " -> " + std::to_string(after));
      }
      WriteRaw(patch.Patched, write);
    }
  }
  return patch;
}

std::string UnwritableText(BlockField field) {
  return "the instruction holds " + std::string(PlugInFieldName(field)) +
         " wider than the byte a plug-in writes";
}

std::string MisfitDetail(const PlugInStep& step, int recordCount, bool anywhere) {
  const std::string block = ValueText(step.Record.Block());
  const std::string table = anywhere ? "generator instructions" : "car table";
  switch (step.Kind) {
    case PlugInStepKind::AddressMismatch:
      if (!step.TableAddress) {
        return "block " + block + " is not in this script's " + table + " (blocks 1 to " +
               std::to_string(recordCount) + ")";
      }
      if (step.OddWidthField) return "block " + block + ": " + UnwritableText(*step.OddWidthField);
      return "block " + block + " has the address " + std::to_string(*step.TableAddress) +
             " in this script, the plug-in says " + ValueText(step.Record.Address());
    case PlugInStepKind::MarkerMismatch:
      return "block " + block + ": HICAR ID " + ValueText(step.Record.Marker()) +
             " differs from the width marker " + std::to_string(*step.Marker) + " at offset " +
             std::to_string(*step.TableAddress + static_cast<int>(BlockField::WidthMarker));
    case PlugInStepKind::InvalidMarker:
      return "block " + block + ": the width marker " + std::to_string(*step.Marker) +
             " is neither 4 nor 5";
    case PlugInStepKind::MissingParameter:
    case PlugInStepKind::Record:
      break;
  }
  return {};
}

}  // namespace tovick
