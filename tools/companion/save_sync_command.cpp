// tovick-cars save sync: a script's parked-car instructions carried into the slots of saves made
// with it. Every save is read and checked before the first is written; each is written in one
// step after the file as it was is kept as SAVE.b.bak.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "car_input.h"
#include "save/save_sync.h"
#include "save/save_write.h"
#include "save_commands.h"
#include "scm/generator_instruction.h"
#include "scm/script_file.h"

namespace tovick::companion {

namespace {

constexpr const char* kSyncUsage =
    "Usage: tovick-cars save sync [--check] [--force] MAIN.SCM SAVE.b [SAVE.b...]\n"
    "\n"
    "Carries the script's parked cars into GTA III PC saves made with it, so that a changed car\n"
    "shows without a new game. Every parked-car instruction of the script (found anywhere in the\n"
    "file) is matched to its generator slot: by the save's copy of its handle variable, or else "
    "by\n"
    "its model and position. Its model, X, Y, Z, heading, colours, force spawn, alarm, lock and\n"
    "delays are written into that slot (a new model takes its bounding box from a slot of the "
    "save\n"
    "that holds it), and the checksum is renewed; nothing else of the save changes. An "
    "instruction\n"
    "without a slot, or with a one-byte model id above 127, is named on standard error and not\n"
    "carried. Prints one line per field that changes and \"N generator(s) changed\" per save.\n"
    "Every save is checked before the first is written; each is first copied to SAVE.b.bak and\n"
    "then replaced in one step. A car already standing in the world changes when the game next\n"
    "makes it.\n"
    "  --check   check and print, but write nothing\n"
    "  --force   carry the cars into a save that does not seem to be made with this script (fewer\n"
    "            than half of the instructions agree with their slot in model and position)\n"
    "\n"
    "Exit codes: 0 done (also when nothing changed), 1 usage error, 2 a file could not be opened\n"
    "(or is no regular file, or a script larger than 64 MiB), 3 the script is shorter than 70204\n"
    "bytes, 5 not a GTA III PC save (or a damaged one), or not made with this script (nothing\n"
    "written), 6 a save could not be written (it is unchanged; the saves before it are written).\n";

int Usage(const std::string& problem) {
  std::fprintf(stderr, "tovick-cars save sync: %s\n%s", problem.c_str(), kSyncUsage);
  return kExitUsage;
}

std::optional<int> ReadScript(const std::string& path, std::vector<std::uint8_t>& bytes) {
  ScriptFile file;
  if (!file.Open(path)) return CannotOpen(".SCM", path);
  const std::int64_t length = file.Length();
  if (length < kMinScriptLength) return TooShort(path, length);
  if (length > kMaxScriptFileBytes) return ScriptTooLarge(path);
  bytes.assign(static_cast<std::size_t>(length), 0);
  file.ReadBytes(0, bytes.data(), bytes.size());
  return std::nullopt;
}

std::string_view AsText(const std::vector<std::uint8_t>& bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

struct SaveRun {
  SaveImage Save;
  SyncPlan Plan;
};

}  // namespace

int RunSaveSync(int argc, char** argv) {
  bool check = false;
  bool force = false;
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kSyncUsage, stdout);
      return kExitOk;
    } else if (arg == "--check") {
      check = true;
    } else if (arg == "--force") {
      force = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Usage("unknown option: " + std::string(arg));
    } else {
      positional.emplace_back(arg);
    }
  }
  if (positional.size() < 2) return Usage("expected a mission script and at least one save");

  std::vector<std::uint8_t> script;
  if (const auto failed = ReadScript(positional[0], script)) return *failed;
  const std::vector<GeneratorInstruction> instructions = FindGeneratorInstructions(script);

  std::vector<SaveRun> runs;
  for (std::size_t i = 1; i < positional.size(); ++i) {
    SaveRun run;
    if (const auto failed = LoadSave(positional[i], false, run.Save)) return *failed;
    run.Plan = PlanSaveSync(instructions, run.Save.Bytes, run.Save.Layout);
    if (!run.Plan.MadeWithScript && !force) {
      const std::string why =
          instructions.empty()
              ? "the script holds no parked-car instruction"
              : "only " + std::to_string(run.Plan.Matching.Agreeing) + " of the script's " +
                    std::to_string(instructions.size()) +
                    " parked-car instructions agree with a slot in model and position";
      std::fprintf(stderr,
                   "tovick-cars: %s does not seem to be made with %s (%s; --force carries the "
                   "cars all the same); nothing written\n",
                   run.Save.Path.c_str(), positional[0].c_str(), why.c_str());
      return kExitNotASave;
    }
    runs.push_back(std::move(run));
  }

  for (const SaveRun& run : runs) {
    const std::string& path = run.Save.Path;
    for (const std::string& note : run.Plan.Notes) {
      std::fprintf(stderr, "tovick-cars: %s: %s\n", path.c_str(), note.c_str());
    }
    if (!check && run.Plan.ChangedSlots > 0) {
      const SaveWrite written = WriteSaveWithBackup(PlatformFileIo(), path, AsText(run.Save.Bytes),
                                                    AsText(run.Plan.Patched));
      if (written != SaveWrite::Written) {
        std::fprintf(
            stderr, "tovick-cars: %s could not be written (%s); it is unchanged\n", path.c_str(),
            written == SaveWrite::BackupFailed ? ("cannot write " + BackupPath(path)).c_str()
                                               : "cannot write the patched copy beside it");
        return kExitWriteFailed;
      }
    }
    std::string report;
    for (const SlotChange& change : run.Plan.Changes) {
      report += path + " slot " + std::to_string(change.Slot) + ": " +
                std::string(SlotFieldName(change.Field)) + " " + change.Before + " -> " +
                change.After + "\n";
    }
    report += std::to_string(run.Plan.ChangedSlots) + " generator(s) changed\n";
    std::fputs(report.c_str(), stdout);
  }
  return kExitOk;
}

}  // namespace tovick::companion
