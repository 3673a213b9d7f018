#pragma once
// The car table drawn as one self-contained SVG file: world coordinates (the stored value / 16),
// north up and east right, a labelled grid every 500 units, one marker per block pointing along its
// heading, zones as labelled rectangles, and a legend.

#include <string>

#include "plugin/car_report.h"
#include "zones/zones.h"

namespace tovick {

// Marker fills: by id width, and the warning colour for an id unsafe for its width.
inline constexpr const char* kOneByteFill = "#1f77b4";
inline constexpr const char* kTwoByteFill = "#2ca02c";
inline constexpr const char* kUnsafeFill = "#d62728";

inline constexpr int kGridStep = 500;

// The SVG document, UTF-8. Each marker is a group <g class="car ..." id="block-N"
// transform="translate(X Y) rotate(R)"> with a <title> tooltip, where X is east, Y is south (the
// world Y negated) and R is the heading in degrees, negated (SVG turns clockwise, headings turn
// counter-clockwise from north).
std::string RenderCarMap(const CarReport& report, const ZoneTable& zones);

}  // namespace tovick
