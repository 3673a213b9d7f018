#include "command_files.h"

#include <cstdio>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "save/save_write.h"
#include "scm/file_in_one_step.h"
#include "scm/record_search.h"
#include "scm/script_file.h"
#include "scm/whole_file.h"
#include "text/number_text.h"
#include "text/text_lines.h"

namespace tovick::companion {

namespace {

int CannotOpen(const std::string& what, const std::string& path) {
  std::fprintf(stderr, "tovick-cars: Couldn't open the %s file: %s\n", what.c_str(), path.c_str());
  return kExitCannotOpen;
}

}  // namespace

int UsageError(const std::string& command, const std::string& problem) {
  const std::string name = command.empty() ? "tovick-cars" : "tovick-cars " + command;
  std::fprintf(stderr, "%s: %s (see %s --help)\n", name.c_str(), problem.c_str(), name.c_str());
  return kExitUsage;
}

std::optional<int> RefuseOverlap(const FileUses& uses) {
  const auto overlap = uses.FindOverlap(PlatformFileIo());
  if (!overlap) return std::nullopt;
  std::fprintf(stderr, "tovick-cars: %s; nothing written\n", OverlapText(*overlap).c_str());
  return kExitUsage;
}

void AddNameFileInputs(FileUses& uses, const NameFiles& files) {
  for (const auto& input : {files.IdePath, files.ZonePath}) {
    if (input) uses.Input(*input);
  }
}

std::optional<int> ReadInputFile(const std::string& what, const std::string& path,
                                 std::string& contents) {
  switch (ReadTextFile(path, contents)) {
    case TextFileRead::Read:
      return std::nullopt;
    case TextFileRead::CannotOpen:
      return CannotOpen(what, path);
    case TextFileRead::TooLarge:
      std::fprintf(stderr, "tovick-cars: Couldn't use the %s file (%s): %s\n", what.c_str(),
                   TooLargeReason().c_str(), path.c_str());
      return kExitCannotOpen;
  }
  return kExitCannotOpen;
}

std::optional<int> ReadNames(const NameFiles& files, Names& names) {
  if (files.IdePath) {
    std::string contents;
    if (const auto failed = ReadInputFile(".IDE", *files.IdePath, contents)) return *failed;
    const DefinitionsRead read = ReadDefinitions(contents, names.Vehicles);
    names.HaveVehicles = true;
    // The editor refuses such a file; the commands go on with the names it has.
    if (read.AcceptedLines < kRequiredVehicleLines) {
      std::fprintf(stderr, "tovick-cars: warning: %s:%s\n", files.IdePath->c_str(),
                   MissingCarsText(read.AcceptedLines).c_str());
    }
  }
  if (files.ZonePath) {
    std::string contents;
    if (const auto failed = ReadInputFile("zone", *files.ZonePath, contents)) return *failed;
    names.Zones = ParseZones(contents);
  }
  return std::nullopt;
}

std::optional<int> ReadNamesBeside(const std::string& input, const NameFiles& files,
                                   const std::optional<std::string>& output, Names& names) {
  FileUses uses;
  uses.Input(input);
  AddNameFileInputs(uses, files);
  if (output) uses.Output(*output);
  if (const auto refused = RefuseOverlap(uses)) return refused;
  return ReadNames(files, names);
}

std::optional<int> ReadScript(const std::string& path, bool anywhere, ScriptTable& table) {
  switch (ReadScriptTable(PlatformFileIo(), path, anywhere, table)) {
    case ScriptTableRead::Read:
      break;
    case ScriptTableRead::CannotOpen:
      return CannotOpen(".SCM", path);
    case ScriptTableRead::TooLarge:
      std::fprintf(stderr, "tovick-cars: Couldn't use the .SCM file (%s): %s\n",
                   ScriptTooLargeReason().c_str(), path.c_str());
      return kExitCannotOpen;
    case ScriptTableRead::TooShort:
      std::fprintf(stderr, "tovick-cars: Length of %s (%s) too short: at least %s bytes needed\n",
                   path.c_str(), NumberToText(static_cast<double>(table.File.Length())).c_str(),
                   Trim(NumberToText(static_cast<double>(kMinScriptLength))).c_str());
      return kExitTooShort;
  }
  if (!table.Addresses.empty()) return std::nullopt;
  if (anywhere) {
    std::fprintf(stderr,
                 "tovick-cars: %s: no parked-car generator instruction (opcode 0x014B) anywhere "
                 "in the file\n",
                 path.c_str());
  } else {
    std::fprintf(stderr, "tovick-cars: %s: %s%s\n", path.c_str(),
                 EmptyWindowText(table.Elsewhere).c_str(),
                 table.Elsewhere.empty() ? "" : " (--anywhere lists them)");
  }
  return std::nullopt;
}

std::optional<int> RefuseEmpty(const std::string& path, const ScriptTable& table) {
  if (!table.Anywhere || !table.Instructions.empty()) return std::nullopt;
  std::fprintf(stderr,
               "tovick-cars: %s holds no parked-car generator instruction; nothing written\n",
               path.c_str());
  return kExitDoesNotFit;
}

int ScanOutcome(const ScriptTable& table) {
  if (!table.Scan.CarTableError) return kExitOk;
  std::fprintf(stderr,
               "tovick-cars: Error in car table. Please replace MAIN.SCM. (a signature byte at "
               "offset %lld does not match; %d block(s) found before it)\n",
               static_cast<long long>(table.Scan.ErrorOffset),
               static_cast<int>(table.Addresses.size()));
  return kExitMalformed;
}

std::optional<int> LoadSave(const std::string& path, bool acceptDamaged, SaveImage& image) {
  image.Path = path;
  // Only the commands that write say so; a listing never writes.
  const char* written = acceptDamaged ? "" : "; nothing written";
  image.File = std::make_unique<WholeFile>();
  switch (image.File->Open(PlatformFileIo(), path, kMaxTextFileBytes)) {
    case WholeFileRead::Read:
      break;
    case WholeFileRead::CannotOpen:
      return CannotOpen("save", path);
    case WholeFileRead::TooLarge:
      std::fprintf(stderr, "tovick-cars: %s is not a GTA III save (%s)%s\n", path.c_str(),
                   TooLargeReason().c_str(), written);
      return kExitDoesNotFit;
  }
  image.Bytes = image.File->Bytes();
  const SaveRead read = ReadSaveLayout(image.Bytes);
  if (!read.Layout) {
    std::fprintf(stderr, "tovick-cars: %s is not a GTA III save (%s)%s\n", path.c_str(),
                 read.Problem.c_str(), written);
    return kExitDoesNotFit;
  }
  image.Layout = *read.Layout;
  if (!image.Layout.ChecksumOk) {
    std::fprintf(stderr, "tovick-cars: %s: %s%s\n", path.c_str(), read.Problem.c_str(), written);
    if (!acceptDamaged) return kExitDoesNotFit;
  }
  return std::nullopt;
}

namespace {

std::optional<int> RefuseSignedSave(const SaveImage& save) {
  if (save.Layout.Writable) return std::nullopt;
  const SavePlatform platform = save.Layout.Platform;
  const std::string why = "the console checks the " +
                          std::to_string(PlatformRow(platform).SignatureBytes) +
                          "-byte signature after its checksum, which this program cannot renew";
  std::fprintf(stderr,
               "tovick-cars: %s is an %s save: %s, so it is never written (--check shows "
               "what would change); nothing written\n",
               save.Path.c_str(), std::string(SavePlatformName(platform)).c_str(), why.c_str());
  return kExitDoesNotFit;
}

std::optional<int> RefuseUnwritableSave(const std::string& path) {
  FileIo& io = PlatformFileIo();
  const OneStepWrite refused = CheckWritable(io, path);
  if (refused == OneStepWrite::Written) return std::nullopt;
  std::fprintf(stderr, "tovick-cars: %s could not be written: %s; nothing written\n", path.c_str(),
               OneStepProblem(io, refused, path).c_str());
  return kExitWriteFailed;
}

std::optional<int> WritePatchedSave(const SaveImage& save, std::span<const std::uint8_t> patched) {
  auto text = [](std::span<const std::uint8_t> bytes) {
    return std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  };
  FileIo& io = PlatformFileIo();
  OneStepWrite why = OneStepWrite::NotCreated;
  const SaveWrite written =
      WriteSaveWithBackup(io, save.Path, text(save.Bytes), text(patched), &why);
  if (written == SaveWrite::Written) return std::nullopt;
  const std::string failed = written == SaveWrite::BackupFailed ? BackupPath(save.Path) : save.Path;
  std::fprintf(stderr, "tovick-cars: %s could not be written: %s; it is unchanged\n",
               save.Path.c_str(), OneStepProblem(io, why, failed).c_str());
  return kExitWriteFailed;
}

}  // namespace

std::optional<int> LoadSaveToPatch(const std::string& path, bool check, SaveImage& image) {
  if (const auto failed = LoadSave(path, false, image)) return failed;
  return check ? std::nullopt : RefuseSignedSave(image);
}

std::optional<int> WritePlannedSaves(const std::vector<PlannedSave>& saves, bool check) {
  for (const PlannedSave& save : saves) {
    if (check || !save.Changes) continue;
    if (const auto refused = RefuseUnwritableSave(save.Save.Path)) return refused;
  }
  for (const PlannedSave& save : saves) {
    for (const std::string& note : save.Notes) {
      std::fprintf(stderr, "tovick-cars: %s: %s\n", save.Save.Path.c_str(), note.c_str());
    }
    if (!check && save.Changes) {
      if (const auto failed = WritePatchedSave(save.Save, save.Patched)) return failed;
    }
    std::fputs(save.Report.c_str(), stdout);
  }
  return std::nullopt;
}

std::optional<int> WriteOutput(const std::string& what, const std::optional<std::string>& path,
                               std::string_view contents) {
  if (!path) {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    const bool written =
        std::fwrite(contents.data(), 1, contents.size(), stdout) == contents.size();
    if (std::fflush(stdout) == 0 && written) return std::nullopt;
    std::fprintf(stderr, "tovick-cars: cannot write the %s to standard output\n", what.c_str());
    return kExitWriteFailed;
  }
  FileIo& io = PlatformFileIo();
  const OneStepWrite written = WriteFileInOneStep(io, *path, contents);
  if (written == OneStepWrite::Written) return std::nullopt;
  std::fprintf(stderr, "tovick-cars: cannot write the %s file: %s; nothing written\n", what.c_str(),
               OneStepProblem(io, written, *path).c_str());
  return kExitWriteFailed;
}

void AddSaves(FileUses& uses, const std::vector<std::string>& saves, bool check) {
  for (const std::string& path : saves) {
    if (check) {
      uses.Input(path);
    } else {
      uses.InPlace(path);
      uses.Output(BackupPath(path), "the backup of " + path);
    }
  }
}

SaveListing ListingOf(const SaveImage& save, const Names& names) {
  return {save.Path,
          save.Layout.Platform,
          static_cast<std::int64_t>(save.Bytes.size()),
          save.Layout.ChecksumOk,
          SlotsInUse(save.Bytes, save.Layout),
          names.VehiclesOrNull()};
}

}  // namespace tovick::companion
