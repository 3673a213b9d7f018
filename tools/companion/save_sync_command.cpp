// tovick-cars save sync: a script's parked-car instructions carried into the slots of saves made
// with it. Every save is read and checked before the first is written; each is written in one
// step after the file as it was is kept as SAVE.b.bak.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "command_files.h"
#include "commands.h"
#include "save/save_layout.h"
#include "save/save_sync.h"
#include "save/save_write.h"
#include "scm/file_in_one_step.h"
#include "scm/generator_instruction.h"
#include "scm/script_file.h"
#include "scm/whole_file.h"

namespace tovick::companion {

const char* const kSaveSyncHelp =
    "Usage: tovick-cars save sync [--check] [--force] MAIN.SCM SAVE.b [SAVE.b...]\n"
    "\n"
    "Carries the script's parked cars into GTA III saves made with it, so that a changed car\n"
    "shows without a new game: saves of the PC, Android, iOS, PS2, PS2 Australia and PS2 Japan\n"
    "(an Xbox save is signed by the console, so it is only listed, never written). Every "
    "parked-car instruction of the script (found anywhere in the\n"
    "file) is matched to a generator slot by evidence, never by a guess. The save's copy of its\n"
    "handle variable names its slot, read at the shift of the script's offsets (up to 64 bytes\n"
    "either way) under which the most instructions agree with the slot they name (the same model\n"
    "and X, Y, Z). An instruction takes the slot its variable names if they agree, else the "
    "lowest\n"
    "free slot that agrees, else the free slot its variable alone names; a slot that the "
    "variables\n"
    "of several such instructions name is left as it is, and they are named on standard error.\n"
    "The instruction's model, X, Y, Z, heading, colours, force spawn, alarm, lock and\n"
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
    "            than a quarter of the instructions agree with the slot their variable names)\n"
    "\n"
    "Exit codes: 0 done (also when nothing changed), 1 usage error, 2 a file could not be opened\n"
    "(or is no regular file, or a script larger than 64 MiB), 5 not a GTA III save (or a\n"
    "damaged one, or an Xbox save without --check), or not made with this script (nothing\n"
    "written), 6 a save could not be written "
    "(it is unchanged; the saves before it are written).\n";

namespace {

// The script's instructions, read anywhere in the file: no minimum length.
std::optional<int> ReadInstructions(const std::string& path,
                                    std::vector<GeneratorInstruction>& instructions) {
  WholeFile file;
  switch (file.Open(PlatformFileIo(), path, kMaxScriptFileBytes)) {
    case WholeFileRead::Read:
      break;
    case WholeFileRead::CannotOpen:
      std::fprintf(stderr, "tovick-cars: Couldn't open the .SCM file: %s\n", path.c_str());
      return kExitCannotOpen;
    case WholeFileRead::TooLarge:
      std::fprintf(stderr, "tovick-cars: Couldn't use the .SCM file (%s): %s\n",
                   ScriptTooLargeReason().c_str(), path.c_str());
      return kExitCannotOpen;
  }
  instructions = FindGeneratorInstructions(file.Bytes());
  return std::nullopt;
}

struct SaveRun {
  SaveImage Save;
  SyncPlan Plan;
};

}  // namespace

int RunSaveSync(const SaveSyncOptions& options) {
  FileUses uses;
  uses.Input(options.ScriptPath);
  AddSaves(uses, options.SavePaths, options.Check);
  if (const auto refused = RefuseOverlap(uses)) return *refused;

  std::vector<GeneratorInstruction> instructions;
  if (const auto failed = ReadInstructions(options.ScriptPath, instructions)) return *failed;

  std::vector<SaveRun> runs;
  for (const std::string& path : options.SavePaths) {
    SaveRun run;
    if (const auto failed = LoadSaveToPatch(path, options.Check, run.Save)) return *failed;
    run.Plan = PlanSaveSync(instructions, run.Save.Bytes, run.Save.Layout);
    if (!run.Plan.MadeWithScript && !options.Force) {
      const std::string why =
          instructions.empty()
              ? "the script holds no parked-car instruction"
              : "only " + std::to_string(run.Plan.Matching.AgreeingByVariable) +
                    " of the script's " + std::to_string(instructions.size()) +
                    " parked-car instructions agree with the slot their handle variable names";
      std::fprintf(stderr,
                   "tovick-cars: %s does not seem to be made with %s (%s; --force carries the "
                   "cars all the same); nothing written\n",
                   path.c_str(), options.ScriptPath.c_str(), why.c_str());
      return kExitDoesNotFit;
    }
    runs.push_back(std::move(run));
  }

  std::vector<PlannedSave> planned;
  for (const SaveRun& run : runs) {
    std::string report;
    for (const SlotChange& change : run.Plan.Changes) {
      report += run.Save.Path + " " + SlotChangeText(change) + "\n";
    }
    report += std::to_string(run.Plan.ChangedSlots) + " generator(s) changed\n";
    planned.push_back(
        {run.Save, run.Plan.Notes, run.Plan.Patched, run.Plan.ChangedSlots > 0, std::move(report)});
  }
  return WritePlannedSaves(planned, options.Check).value_or(kExitOk);
}

}  // namespace tovick::companion
