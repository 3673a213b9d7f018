#pragma once
// Parked cars drawn as one self-contained SVG file: world coordinates, north up and east right, a
// labelled grid every 500 units, one marker per car pointing along its heading, zones as labelled
// rectangles, and a legend. The script's car table and a save's generators share the drawing.

#include <string>
#include <vector>

#include "plugin/car_report.h"
#include "zones/zones.h"

namespace tovick {

// Marker fills: by id width, the warning colour for an id unsafe for its width, and a save's
// generator switched off.
inline constexpr const char* kOneByteFill = "#1f77b4";
inline constexpr const char* kTwoByteFill = "#2ca02c";
inline constexpr const char* kUnsafeFill = "#d62728";
inline constexpr const char* kSwitchedOffFill = "#9a9a9a";

inline constexpr int kGridStep = 500;

enum class MarkerShape { Triangle, Dart };

struct MapMarker {
  double X = 0, Y = 0;  // world units
  double Heading = 0;   // degrees, counter-clockwise from north
  MarkerShape Shape = MarkerShape::Triangle;
  const char* Fill = kOneByteFill;
  std::string Classes;  // after "car ", e.g. "two-byte unsafe"
  std::string Id;       // "block-3", "slot-0"
  std::string Tooltip;  // plain text, escaped when drawn
};

struct MapLegendEntry {
  MarkerShape Shape = MarkerShape::Triangle;
  const char* Fill = kOneByteFill;
  std::string Label;
};

struct MapDrawing {
  std::string Caption;
  std::vector<MapMarker> Markers;
  std::vector<MapLegendEntry> Legend;  // the zone's entry follows them
};

// The SVG document, UTF-8. Each marker is a group <g class="car ..." id="..."
// transform="translate(X Y) rotate(R)"> with a <title> tooltip, where X is east, Y is south (the
// world Y negated) and R is the heading in degrees, negated (SVG turns clockwise, headings turn
// counter-clockwise from north).
std::string RenderMap(const MapDrawing& drawing, const ZoneTable& zones);

// The script's car table: positions and headings are the stored values / 16.
std::string RenderCarMap(const CarReport& report, const ZoneTable& zones);

}  // namespace tovick
