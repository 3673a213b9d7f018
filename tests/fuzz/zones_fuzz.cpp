// The zone reader over any file: at most 51 zones with names of at most 39 bytes, and zones
// written back as lines read back the same.
#include "fuzz_harness.h"
#include "text/number_text.h"
#include "text/text_lines.h"
#include "zones/zones.h"

using namespace tovick;

TOVICK_FUZZ_TARGET(input) {
  const ZoneTable zones = ParseZones(input.Rest());
  FUZZ_CHECK(zones.size() <= kMaxZones);
  std::string written;
  std::vector<std::string> names;
  for (const Zone& zone : zones) {
    FUZZ_CHECK(zone.Name.size() <= kZoneNameBytes);
    FUZZ_CHECK(ZoneText({zone}, zone.MinX, zone.MinY).empty());  // a bound is outside
    std::string name = zone.Name;
    std::erase_if(name, [](char c) { return c == ',' || c == '\r' || c == '\x1A' || c == '\0'; });
    names.push_back(name);
    WriteLine(written, name + "," + NumberToText(zone.MinX) + "," + NumberToText(zone.MinY) + "," +
                           NumberToText(zone.MaxX) + "," + NumberToText(zone.MaxY));
  }
  const ZoneTable again = ParseZones(written);
  FUZZ_CHECK(again.size() == zones.size());
  for (std::size_t i = 0; i < zones.size(); ++i) {
    FUZZ_CHECK(again[i].Name == names[i]);
    FUZZ_CHECK(again[i].MinX == zones[i].MinX && again[i].MinY == zones[i].MinY &&
               again[i].MaxX == zones[i].MaxX && again[i].MaxY == zones[i].MaxY);
  }
}
