#include "vehicles/definitions.h"

#include <utility>

#include "text/number_text.h"
#include "text/text_lines.h"

namespace tovick {

namespace {

std::vector<std::string_view> SplitAtCommas(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t begin = 0;
  for (;;) {
    const std::size_t comma = line.find(',', begin);
    if (comma == std::string_view::npos) {
      fields.push_back(line.substr(begin));
      return fields;
    }
    fields.push_back(line.substr(begin, comma - begin));
    begin = comma + 1;
  }
}

std::string_view TrimBlanksAndTabs(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

// The id field as a whole number; values that cannot be held in 32 bits (or are not numbers at
// all) can never be a vehicle id, so they read as 0 rather than reaching the conversion.
std::int32_t VehicleIdFromField(std::string_view field) {
  const double rounded = RoundHalfEven(TextToNumber(field));
  if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) return 0;
  return static_cast<std::int32_t>(rounded);
}

}  // namespace

std::string UpperCaseName(std::string_view name) {
  // Code-page-437 lower-case letters and their capitals: a/o/u umlaut, e acute, n tilde, a ring,
  // c cedilla.
  static constexpr std::pair<unsigned char, unsigned char> kCp437Capitals[] = {
      {0x84, 0x8E}, {0x94, 0x99}, {0x81, 0x9A}, {0x82, 0x90},
      {0xA4, 0xA5}, {0x86, 0x8F}, {0x87, 0x80}};
  std::string upper(name);
  for (char& c : upper) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 'a' && byte <= 'z') {
      c = static_cast<char>(byte - 'a' + 'A');
      continue;
    }
    for (const auto& [lower, capital] : kCp437Capitals) {
      if (byte == lower) c = static_cast<char>(capital);
    }
  }
  return upper;
}

DefinitionsRead ReadDefinitions(std::string_view contents, VehicleTable& table) {
  DefinitionsRead read;
  table.HighestVehicleId = 0;
  LineReader reader(contents);
  while (!reader.AtEnd()) {
    const std::string line = reader.ReadLine(kMaxLineBytes);
    const std::vector<std::string_view> fields = SplitAtCommas(line);
    const std::int32_t id = VehicleIdFromField(fields[0]);
    if (id < kLowestVehicleId || id > kHighestAcceptedVehicleId) continue;
    if (fields.size() < static_cast<std::size_t>(kMinDefinitionFields)) continue;

    if (id > table.HighestVehicleId) table.HighestVehicleId = id;
    ++read.AcceptedLines;
    std::string name = UpperCaseName(TrimBlanksAndTabs(fields[1]));
    table.VehicleNames[static_cast<std::size_t>(id)] = name.substr(0, kVehicleNameSlot);
    read.SearchItems.push_back(std::move(name));
  }
  return read;
}

std::string MissingCarsText(int acceptedLines) {
  return NumberToText(static_cast<double>(kRequiredVehicleLines - acceptedLines)) +
         " car(s) missing. Please use the original DEFAULT.IDE";
}

}  // namespace tovick
