#include "car_input.h"

#include <cstdio>

#include "plugin/script_reader.h"
#include "scm/generator_record.h"
#include "scm/record_search.h"
#include "scm/script_file.h"
#include "text/number_text.h"
#include "text/text_lines.h"

namespace tovick::companion {

int UsageError(const std::string& problem, const char* usage) {
  std::fprintf(stderr, "tovick-cars: %s\n%s", problem.c_str(), usage);
  return kExitUsage;
}

int CannotOpen(const std::string& what, const std::string& path) {
  std::fprintf(stderr, "tovick-cars: Couldn't open the %s file: %s\n", what.c_str(), path.c_str());
  return kExitCannotOpen;
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

bool WriteOutputFile(const std::string& path, std::string_view contents) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
  return std::fclose(file) == 0 && written;
}

int CannotWrite(const std::string& what, const std::string& path) {
  std::fprintf(stderr, "tovick-cars: cannot write the %s file: %s\n", what.c_str(), path.c_str());
  return kExitWriteFailed;
}

int TooShort(const std::string& path, std::int64_t length) {
  std::fprintf(stderr, "tovick-cars: Length of %s (%s) too short: at least %s bytes needed\n",
               path.c_str(), NumberToText(static_cast<double>(length)).c_str(),
               Trim(NumberToText(static_cast<double>(kMinScriptLength))).c_str());
  return kExitTooShort;
}

int MalformedTable(const ScanResult& scan, int blocksFound) {
  std::fprintf(stderr,
               "tovick-cars: Error in car table. Please replace MAIN.SCM. (a signature byte at "
               "offset %lld does not match; %d block(s) found before it)\n",
               static_cast<long long>(scan.ErrorOffset), blocksFound);
  return kExitMalformed;
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

int ScriptTooLarge(const std::string& path) {
  std::fprintf(stderr, "tovick-cars: Couldn't use the .SCM file (%s): %s\n",
               ScriptTooLargeReason().c_str(), path.c_str());
  return kExitCannotOpen;
}

std::optional<int> ReadScriptTable(const std::string& path, bool anywhere, ScriptTable& table) {
  switch (table.File.Open(path)) {
    case ScriptBytes::Load::Loaded:
      break;
    case ScriptBytes::Load::CannotOpen:
      return CannotOpen(".SCM", path);
    case ScriptBytes::Load::TooLarge:
      return ScriptTooLarge(path);
  }
  if (!anywhere && table.File.Length() < kMinScriptLength) {
    return TooShort(path, table.File.Length());
  }
  table.Bytes = table.File.Bytes();
  table.Anywhere = anywhere;

  auto instructionAddresses = [&] {
    std::vector<std::int64_t> addresses;
    addresses.reserve(table.Instructions.size());
    for (const GeneratorInstruction& instruction : table.Instructions) {
      addresses.push_back(RecordAddressOf(instruction));
    }
    return addresses;
  };
  if (anywhere) {
    table.Instructions = FindGeneratorInstructions(table.Bytes);
    table.Addresses = instructionAddresses();
    if (table.Addresses.empty()) {
      std::fprintf(stderr,
                   "tovick-cars: %s: no parked-car generator instruction (opcode 0x014B) anywhere "
                   "in the file\n",
                   path.c_str());
    }
    return std::nullopt;
  }

  std::vector<std::uint8_t> window(kScanWindowSize);
  ReaderOf(table.Bytes)(kScanFirst, window.data(), window.size());
  table.Table.Clear();
  table.Scan = ScanCarTable(window, table.Table);
  table.Addresses.assign(table.Table.Address.begin() + 1,
                         table.Table.Address.begin() + 1 + table.Table.BlockCnt);
  if (table.Addresses.empty()) {
    table.Instructions = FindGeneratorInstructions(table.Bytes);
    const std::vector<std::int64_t> records = instructionAddresses();
    table.Instructions.clear();
    std::fprintf(stderr, "tovick-cars: %s: %s%s\n", path.c_str(), EmptyWindowText(records).c_str(),
                 records.empty() ? "" : " (--anywhere lists them)");
  }
  return std::nullopt;
}

std::optional<int> RefuseEmpty(const std::string& path, const ScriptTable& table) {
  if (!table.Anywhere || !table.Instructions.empty()) return std::nullopt;
  std::fprintf(stderr,
               "tovick-cars: %s holds no parked-car generator instruction; nothing written\n",
               path.c_str());
  return kExitPlugInMisfit;
}

int ScanOutcome(const ScriptTable& table) {
  if (!table.Scan.CarTableError) return kExitOk;
  return MalformedTable(table.Scan, static_cast<int>(table.Addresses.size()));
}

}  // namespace tovick::companion
