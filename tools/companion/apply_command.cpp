// tovick-cars apply: the window's plug-in checks, but all or nothing. Every record is checked
// before a byte is written, and the script is replaced in one step by a patched copy.

#include <algorithm>
#include <cstdio>
#include <string>

#include "command_files.h"
#include "commands.h"
#include "plugin/plugin_apply.h"
#include "plugin/plugin_messages.h"
#include "plugin/plugin_patch.h"
#include "plugin/script_reader.h"
#include "scm/file_in_one_step.h"

namespace tovick::companion {

const char* const kApplyHelp =
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

namespace {

// The first line of a notice's text, for a one-line report.
std::string FirstLine(const std::string& text) {
  return text.substr(0, text.find('\r'));
}

}  // namespace

int RunApply(const ApplyOptions& options) {
  const std::string& plugInPath = options.PlugInPath;
  const std::string& scriptPath = options.ScriptPath;
  FileUses uses;
  uses.Input(plugInPath);
  if (options.Check) {
    uses.Input(scriptPath);
  } else {
    uses.InPlace(scriptPath);
  }
  if (const auto refused = RefuseOverlap(uses)) return *refused;

  std::string plugIn;
  if (const auto failed = ReadInputFile("plug-in", plugInPath, plugIn)) return *failed;
  ScriptTable script;
  if (const auto failed = ReadScript(scriptPath, options.Anywhere, script)) return *failed;
  if (const int outcome = ScanOutcome(script); outcome != kExitOk) return outcome;
  if (const auto refused = RefuseEmpty(scriptPath, script)) return *refused;

  const PlugInApplyPlan plan = options.Anywhere
                                   ? PlanPlugInApply(plugIn, script.Instructions)
                                   : PlanPlugInApply(plugIn, script.Table, ReaderOf(script.Bytes));
  if (!plan.HeaderOk) {
    std::fprintf(stderr, "tovick-cars: %s: %s (line 1 is not \"%s\"); nothing written\n",
                 plugInPath.c_str(), InvalidPlugInNotice().Text.c_str(),
                 std::string(kPlugInHeader).c_str());
    return kExitDoesNotFit;
  }
  for (const PlugInStep& step : plan.Steps) {
    if (step.Kind == PlugInStepKind::Record) continue;
    const PlugInNotice notice = *StepNotice(step);
    if (step.Stops()) {
      const int records = static_cast<int>(script.Addresses.size());
      std::fprintf(stderr, "tovick-cars: %s:%d: %s: %s. %s; nothing written\n", plugInPath.c_str(),
                   step.LineNumber, notice.Caption.c_str(),
                   MisfitDetail(step, records, options.Anywhere).c_str(),
                   FirstLine(notice.Text).c_str());
      return kExitDoesNotFit;
    }
    std::fprintf(stderr, "tovick-cars: %s:%d: %s The line is skipped.\n", plugInPath.c_str(),
                 step.LineNumber, notice.Text.c_str());
  }

  const PlugInPatch patch = PatchScript(script.Bytes, plan);
  const bool changes = !std::equal(patch.Patched.begin(), patch.Patched.end(), script.Bytes.begin(),
                                   script.Bytes.end());
  if (!options.Check && changes) {
    FileIo& io = PlatformFileIo();
    const std::string_view bytes(reinterpret_cast<const char*>(patch.Patched.data()),
                                 patch.Patched.size());
    script.File.Close();
    const OneStepWrite written = WriteFileInOneStep(io, scriptPath, bytes);
    if (written != OneStepWrite::Written) {
      std::fprintf(stderr, "tovick-cars: the .SCM file could not be written: %s; it is unchanged\n",
                   OneStepProblem(io, written, scriptPath).c_str());
      return kExitWriteFailed;
    }
  }
  std::string report;
  for (const std::string& change : patch.Changes) report += change + "\n";
  report += std::to_string(plan.RecordCount()) + " car(s) changed\n";
  std::fputs(report.c_str(), stdout);
  return kExitOk;
}

}  // namespace tovick::companion
