#include "zones/zones.h"

#include "text/number_text.h"
#include "text/text_lines.h"
#include "text/whole_numbers.h"

namespace tovick {

namespace {

// One less than the 9005-byte line buffer the zone file has always been read into.
constexpr std::size_t kZoneLineBytes = 9004;
constexpr std::size_t kZoneFields = 5;

// A bound as stored: nearest integer, low 16 bits, read as signed (40000 becomes -25536).
std::int16_t ZoneBound(std::string_view field) {
  return static_cast<std::int16_t>(WrapToWord(TextToNumber(field)));
}

Zone ParseZoneLine(std::string_view line) {
  // A comma always separates; nothing is trimmed or unquoted. Missing fields stay empty.
  std::string_view fields[kZoneFields];
  std::size_t start = 0;
  for (std::string_view& field : fields) {
    const std::size_t comma = line.find(',', start);
    field = line.substr(start, comma == std::string_view::npos ? comma : comma - start);
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  Zone zone;
  zone.Name = std::string(fields[0].substr(0, kZoneNameBytes));
  zone.MinX = ZoneBound(fields[1]);
  zone.MinY = ZoneBound(fields[2]);
  zone.MaxX = ZoneBound(fields[3]);
  zone.MaxY = ZoneBound(fields[4]);
  return zone;
}

}  // namespace

ZoneTable ParseZones(std::string_view contents) {
  ZoneTable zones;
  LineReader reader(contents);
  // The table has room for 51 zones; later lines are left unread rather than overrunning it.
  while (!reader.AtEnd() && zones.size() < kMaxZones) {
    zones.push_back(ParseZoneLine(reader.ReadLine(kZoneLineBytes)));
  }
  return zones;
}

TextFileRead ReadZones(const std::string& path, ZoneTable& zones) {
  std::string contents;
  const TextFileRead read = ReadTextFile(path, contents);
  zones = read == TextFileRead::Read ? ParseZones(contents) : ZoneTable{};
  return read;
}

std::string ZoneText(const ZoneTable& zones, std::int16_t x, std::int16_t y) {
  std::string text;
  for (const Zone& zone : zones) {
    if (zone.Contains(x, y)) WriteLine(text, zone.Name);
  }
  return text;
}

}  // namespace tovick
