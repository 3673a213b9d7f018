// tovick-cars save import: a file of generators (JSON or CSV, as save export writes them, edited)
// written into saves. Every value and every save is checked before the first is written; each is
// written in one step after the file as it was is kept as SAVE.b.bak.

#include <cstdio>
#include <string>
#include <vector>

#include "command_files.h"
#include "commands.h"
#include "save/save_import.h"
#include "save/save_sync.h"
#include "save/save_write.h"
#include "save/slot_records.h"

namespace tovick::companion {

const char* const kSaveImportHelp =
    "Usage: tovick-cars save import [--check] [--ide DEFAULT.IDE] FILE SAVE.b [SAVE.b...]\n"
    "\n"
    "Writes a file of car generators into GTA III saves of the PC, Android, iOS, PS2, PS2\n"
    "Australia and PS2 Japan (an Xbox save is signed by the console: --check only). FILE is\n"
    "JSON (the document of save export, or a bare array of slot objects) or CSV (a header row\n"
    "naming any of the export's columns, in any order). A record whose slot is in use writes the\n"
    "values it gives into that slot and keeps the others (an empty CSV cell keeps its value);\n"
    "usesRemaining 0 switches a generator off (a slot is never removed). A record with a slot\n"
    "past those in use, or with none, adds a generator: numbered ones follow on without a gap,\n"
    "the others come after them. A new generator needs model, x, y and z; it defaults to heading\n"
    "0, colours -1, force spawn, alarm and lock 0, delays 0 and 10000, usesRemaining 65535 (for\n"
    "ever). A new model takes its bounding box from the lowest slot of the save that holds it\n"
    "(where none does, said on standard error). name is ignored; any other unknown key or column\n"
    "is an error. Every value is checked first (models are vehicles: with --ide, those the file\n"
    "defines, else ids 90 to 150; at most 160 generators); any error is named with its line or\n"
    "record, and nothing is written. Prints one line per field that changes and per generator\n"
    "added, and \"N generator(s) changed, M added\" per save. Every save is checked before the\n"
    "first is written; each is first copied to SAVE.b.bak and then replaced in one step.\n"
    "  --check     check and print, but write nothing\n"
    "  --ide FILE  the models a record may give are the vehicles of this definitions file\n"
    "\n"
    "Exit codes: 0 done (also when nothing changed), 1 usage error, 2 a file could not be opened\n"
    "(or is no regular file, or larger than 16 MiB), 5 a file neither JSON nor CSV, a value in\n"
    "error, not a GTA III save (or a damaged one, or an Xbox save without --check): nothing\n"
    "written, 6 a save could not be written (it is unchanged; the saves before it are written).\n";

namespace {

struct SaveRun {
  SaveImage Save;
  ImportPlan Plan;
};

}  // namespace

int RunSaveImport(const SaveImportOptions& options) {
  FileUses uses;
  uses.Input(options.FilePath);
  AddNameFileInputs(uses, options.Files);
  AddSaves(uses, options.SavePaths, options.Check);
  if (const auto refused = RefuseOverlap(uses)) return *refused;

  Names names;
  if (const auto failed = ReadNames(options.Files, names)) return *failed;
  std::string text;
  if (const auto failed = ReadInputFile("import", options.FilePath, text)) return *failed;
  const SlotRecordsRead read = ReadSlotRecords(text, names.VehiclesOrNull());
  const char* const file = options.FilePath.c_str();
  for (const std::string& warning : read.Warnings) {
    std::fprintf(stderr, "tovick-cars: %s: %s\n", file, warning.c_str());
  }
  std::size_t errors = read.Errors.size();
  for (const std::string& error : read.Errors) {
    std::fprintf(stderr, "tovick-cars: %s: %s\n", file, error.c_str());
  }

  std::vector<SaveRun> runs;
  if (errors == 0) {
    for (const std::string& path : options.SavePaths) {
      SaveRun run;
      if (const auto failed = LoadSaveToPatch(path, options.Check, run.Save)) return *failed;
      run.Plan = PlanSaveImport(read.Records, run.Save.Bytes, run.Save.Layout);
      for (const std::string& error : run.Plan.Errors) {
        std::fprintf(stderr, "tovick-cars: %s: %s (into %s)\n", file, error.c_str(), path.c_str());
      }
      errors += run.Plan.Errors.size();
      runs.push_back(std::move(run));
    }
  }
  if (errors > 0) {
    std::fprintf(stderr, "tovick-cars: %zu error(s) in %s; nothing written\n", errors, file);
    return kExitDoesNotFit;
  }

  std::vector<PlannedSave> planned;
  for (const SaveRun& run : runs) {
    planned.push_back({run.Save, run.Plan.Notes, run.Plan.Patched,
                       run.Plan.ChangedSlots > 0 || !run.Plan.Added.empty(),
                       ImportReport(run.Save.Path, run.Plan)});
  }
  return WritePlannedSaves(planned, options.Check).value_or(kExitOk);
}

}  // namespace tovick::companion
