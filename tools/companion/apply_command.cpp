// tovick-cars apply: the window's plug-in checks, but all or nothing. Every record is checked
// before a byte is written, and the script is replaced in one step by a patched copy.

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "car_input.h"
#include "commands.h"
#include "plugin/plugin_apply.h"
#include "plugin/plugin_messages.h"
#include "plugin/script_reader.h"
#include "replace_file.h"
#include "text/number_text.h"
#include "text/text_lines.h"

namespace tovick::companion {

namespace {

constexpr const char* kApplyUsage =
    "Usage: tovick-cars apply [--check] [--anywhere] PLUGIN MAIN.SCM\n"
    "\n"
    "Applies a plug-in (*.TOVICK1) to a mission script with the editor's checks: the header, ten\n"
    "fields per record, each record's block number and address against the script's car table,\n"
    "and its HICAR ID against the block's width marker. Unlike the editor it is all or nothing:\n"
    "every record is checked before a byte is written, and the script is replaced in one step (a\n"
    "patched copy is written beside it and renamed over it, with its permissions), so a refused\n"
    "or interrupted run leaves it untouched. Lines without ten fields are reported on standard\n"
    "error and skipped, as the editor does. Prints one line per field that changes (block, field,\n"
    "value before that record, value after) and \"N car(s) changed\".\n"
    "  --check     check and print, but write nothing\n"
    "  --anywhere  check the records against the parked-car generator instructions found\n"
    "              anywhere in the file (numbered in file order, each at its opcode's offset\n"
    "              less 7; HICAR ID against the model's type byte) and write each field where\n"
    "              the instruction holds it: X-POS, Y-POS, UTELLME (Z), HEADING 16-bit, ALARM\n"
    "              and LOCK 8-bit, CAR ID the model's low byte. A record of an instruction\n"
    "              whose alarm or lock is wider than a byte is refused like a wrong address.\n"
    "              No minimum script length.\n"
    "\n"
    "Exit codes: 0 applied (or checked), 1 usage error, 2 a file could not be opened (or the\n"
    "script is larger than 64 MiB), 3 the script is shorter than 70204 bytes, 4 a malformed car\n"
    "table, 5 the plug-in does not fit (not a plug-in, or a record that does not match this\n"
    "script, or --anywhere found no instruction: nothing written), 6 writing failed (the script\n"
    "is unchanged).\n";

int Usage(const std::string& problem) {
  std::fprintf(stderr, "tovick-cars apply: %s\n%s", problem.c_str(), kApplyUsage);
  return kExitUsage;
}

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
  if (write.Width == 2 && at + 1 < bytes.size())
    value |= static_cast<std::uint16_t>(bytes[at + 1] << 8);
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

// Why the record does not fit, in more words than the editor's message.
std::string MisfitDetail(const PlugInStep& step, int blockCnt, bool anywhere) {
  const std::string block = ValueText(step.Record.Block());
  const std::string table = anywhere ? "generator instructions" : "car table";
  switch (step.Kind) {
    case PlugInStepKind::AddressMismatch:
      if (!step.TableAddress) {
        return "block " + block + " is not in this script's " + table + " (blocks 1 to " +
               std::to_string(blockCnt) + ")";
      }
      if (step.OddWidthField) {
        return "block " + block + ": the instruction holds " +
               std::string(PlugInFieldName(*step.OddWidthField)) +
               " wider than the byte a plug-in writes";
      }
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

// The first line of a notice's text, for a one-line report.
std::string FirstLine(const std::string& text) {
  return text.substr(0, text.find('\r'));
}

}  // namespace

int RunApply(int argc, char** argv) {
  bool check = false;
  bool anywhere = false;
  std::vector<std::string> positional;
  for (int i = 0; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kApplyUsage, stdout);
      return kExitOk;
    } else if (arg == "--check") {
      check = true;
    } else if (arg == "--anywhere") {
      anywhere = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Usage("unknown option: " + std::string(arg));
    } else {
      positional.emplace_back(arg);
    }
  }
  if (positional.size() != 2) return Usage("expected a plug-in and a mission script");
  const std::string& plugInPath = positional[0];
  const std::string& scriptPath = positional[1];

  std::string plugIn;
  if (const auto failed = ReadInputFile("plug-in", plugInPath, plugIn)) return *failed;
  ScriptTable script;
  if (const auto failed = ReadScriptTable(scriptPath, anywhere, script)) return *failed;
  if (const int outcome = ScanOutcome(script); outcome != kExitOk) return outcome;
  if (const auto refused = RefuseEmpty(scriptPath, script)) return *refused;

  const PlugInApplyPlan plan = anywhere
                                   ? PlanPlugInApply(plugIn, script.Instructions)
                                   : PlanPlugInApply(plugIn, script.Table, ReaderOf(script.Bytes));
  if (!plan.HeaderOk) {
    std::fprintf(stderr, "tovick-cars: %s: %s (line 1 is not \"%s\"); nothing written\n",
                 plugInPath.c_str(), InvalidPlugInNotice().Text.c_str(),
                 std::string(kPlugInHeader).c_str());
    return kExitPlugInMisfit;
  }
  for (const PlugInStep& step : plan.Steps) {
    if (step.Kind == PlugInStepKind::Record) continue;
    const PlugInNotice notice = *StepNotice(step);
    if (step.Stops()) {
      std::fprintf(stderr, "tovick-cars: %s:%d: %s: %s. %s; nothing written\n", plugInPath.c_str(),
                   step.LineNumber, notice.Caption.c_str(),
                   MisfitDetail(step, static_cast<int>(script.Addresses.size()), anywhere).c_str(),
                   FirstLine(notice.Text).c_str());
      return kExitPlugInMisfit;
    }
    std::fprintf(stderr, "tovick-cars: %s:%d: %s The line is skipped.\n", plugInPath.c_str(),
                 step.LineNumber, notice.Text.c_str());
  }
  if (!check && !script.File.Writable()) {
    std::fprintf(stderr, "tovick-cars: the .SCM file cannot be written: %s\n", scriptPath.c_str());
    return kExitWriteFailed;
  }

  std::vector<std::uint8_t> patched(script.Bytes.begin(), script.Bytes.end());
  std::string report;
  for (const PlugInStep& step : plan.Steps) {
    if (step.Kind != PlugInStepKind::Record) continue;
    for (const PlugInWrite& write : step.Writes) {
      const long before = FieldValue(write.Field, ReadRaw(patched, write));
      const long after = FieldValue(write.Field, write.Value);
      if (before != after) {
        report += "block " + std::to_string(*step.MarkBlock) + ": " +
                  std::string(PlugInFieldName(write.Field)) + " " + std::to_string(before) +
                  " -> " + std::to_string(after) + "\n";
      }
      WriteRaw(patched, write);
    }
  }
  report += std::to_string(plan.RecordCount()) + " car(s) changed\n";

  if (!check &&
      !std::equal(patched.begin(), patched.end(), script.Bytes.begin(), script.Bytes.end())) {
    std::string problem;
    const std::string_view bytes(reinterpret_cast<const char*>(patched.data()), patched.size());
    if (!ReplaceFileContents(scriptPath, bytes, problem)) {
      std::fprintf(stderr,
                   "tovick-cars: the .SCM file could not be written (%s); it is unchanged\n",
                   problem.c_str());
      return kExitWriteFailed;
    }
  }
  std::fputs(report.c_str(), stdout);
  return kExitOk;
}

}  // namespace tovick::companion
