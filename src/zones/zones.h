#pragma once
// Named map zones from "TovickZon.txt", used to say where a parked car stands.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/text_lines.h"

namespace tovick {

constexpr std::size_t kMaxZones = 51;
constexpr std::size_t kZoneNameBytes = 39;

struct Zone {
  std::string Name;  // at most 39 bytes
  std::int16_t MinX = 0, MinY = 0, MaxX = 0, MaxY = 0;
  // Strict on all four sides: a car on a bound is outside.
  bool Contains(std::int16_t x, std::int16_t y) const {
    return MinX < x && x < MaxX && MinY < y && y < MaxY;
  }
};

using ZoneTable = std::vector<Zone>;

// Parses the zone file's bytes; lines past the 51st are ignored.
ZoneTable ParseZones(std::string_view contents);
// Reads "TovickZon.txt" (or another path) into zones; a file that is not read gives no zones.
TextFileRead ReadZones(const std::string& path, ZoneTable& zones);

// The names of the zones containing (x, y), each followed by CR LF, in file order.
std::string ZoneText(const ZoneTable& zones, std::int16_t x, std::int16_t y);

}  // namespace tovick
