#pragma once
// The vehicle definitions file (DEFAULT.IDE) as the program reads it: names by vehicle id, the
// highest id defined, and the items of the search list.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tovick {

constexpr int kLowestVehicleId = 90;
constexpr int kHighestAcceptedVehicleId = 159;
constexpr int kRequiredVehicleLines = 61;
constexpr int kMinDefinitionFields = 10;
constexpr std::size_t kVehicleNameSlot = 13;
constexpr std::size_t kMaxLineBytes = 9004;
constexpr int kMaxVehicleId = 300;

struct VehicleTable {
  // Names by vehicle id 0..300, at most 13 characters; empty means the id has no name.
  std::array<std::string, kMaxVehicleId + 1> VehicleNames;
  std::int32_t HighestVehicleId = 0;
};

struct DefinitionsRead {
  int AcceptedLines = 0;
  // One full upper-cased name per accepted line, in file order.
  std::vector<std::string> SearchItems;
};

// Reads the file's bytes into table (resetting HighestVehicleId first, overwriting the slots of the
// ids it accepts) and returns the accepted-line count and the search items.
DefinitionsRead ReadDefinitions(std::string_view contents, VehicleTable& table);

// Upper-cases a-z and the code-page-437 letters the game's names may hold.
std::string UpperCaseName(std::string_view name);

// " 3 car(s) missing. Please use the original DEFAULT.IDE" for 58 accepted lines.
std::string MissingCarsText(int acceptedLines);

}  // namespace tovick
