#include "plugin/car_map.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

#include "text/utf8_text.h"

namespace tovick {

namespace {

constexpr double kUnitsPerWorld = 16.0;
// Room around the grid, in world units: the y labels left, the x labels below, the title above,
// and the legend to the right.
constexpr double kLeftMargin = 260;
constexpr double kBottomMargin = 130;
constexpr double kTopMargin = 170;
constexpr double kRightMargin = 60;
constexpr double kLegendWidth = 980;
// The picture's size in the browser: a quarter pixel per world unit.
constexpr double kPixelsPerUnit = 0.25;

constexpr const char* kOneBytePath = "M0,-40 L22,26 L-22,26 Z";
constexpr const char* kTwoBytePath = "M0,-44 L26,30 L0,16 L-26,30 Z";

// The shortest decimal that reads back as the value; raw values / 16 are always exact.
std::string Num(double value) {
  if (value == 0) value = 0;  // no "-0"
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
  return std::string(text, result.ptr);
}

double World(std::int64_t raw) {
  return static_cast<double>(raw) / kUnitsPerWorld;
}

// Text for XML content and attributes. Valid UTF-8 stays as it is; a byte that is no part of it
// (an old Latin-1 name) is taken as the code point U+0080..U+00FF, as the JSON output does; other
// control bytes have no place in XML 1.0.
std::string Xml(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    const auto byte = static_cast<unsigned char>(c);
    const std::size_t length = byte >= 0x80 ? Utf8SequenceAt(text, i) : 1;
    if (byte >= 0x80 && length > 1) {
      out.append(text, i, length);
      i += length;
      continue;
    }
    ++i;
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        if (byte >= 0x80) {
          char ref[16];
          std::snprintf(ref, sizeof ref, "&#x%02X;", byte);
          out += ref;
        } else if (byte >= 0x20 || c == '\n') {
          out += c;
        }
    }
  }
  return out;
}

struct Bounds {
  double MinX = 0, MaxX = 0, MinY = 0, MaxY = 0;  // world units, grid-aligned
};

Bounds GridBounds(const std::vector<MapMarker>& markers, const ZoneTable& zones) {
  std::vector<double> xs, ys;
  for (const MapMarker& marker : markers) {
    xs.push_back(marker.X);
    ys.push_back(marker.Y);
  }
  for (const Zone& zone : zones) {
    xs.insert(xs.end(), {World(zone.MinX), World(zone.MaxX)});
    ys.insert(ys.end(), {World(zone.MinY), World(zone.MaxY)});
  }
  auto span = [](const std::vector<double>& values, double& low, double& high) {
    if (values.empty()) {
      low = -kGridStep;
      high = kGridStep;
      return;
    }
    const auto [min, max] = std::minmax_element(values.begin(), values.end());
    low = std::floor(*min / kGridStep) * kGridStep;
    high = std::ceil(*max / kGridStep) * kGridStep;
    if (high == low) high += kGridStep;
  };
  Bounds bounds;
  span(xs, bounds.MinX, bounds.MaxX);
  span(ys, bounds.MinY, bounds.MaxY);
  return bounds;
}

std::string Grid(const Bounds& b) {
  std::string svg = "<g id=\"grid\" stroke=\"#c9c4b8\" stroke-width=\"2\">\n";
  for (double x = b.MinX; x <= b.MaxX; x += kGridStep) {
    svg += "<line x1=\"" + Num(x) + "\" y1=\"" + Num(-b.MaxY) + "\" x2=\"" + Num(x) + "\" y2=\"" +
           Num(-b.MinY) + "\"" + (x == 0 ? " stroke=\"#8f8a80\"" : "") + "/>\n";
  }
  for (double y = b.MinY; y <= b.MaxY; y += kGridStep) {
    svg += "<line x1=\"" + Num(b.MinX) + "\" y1=\"" + Num(-y) + "\" x2=\"" + Num(b.MaxX) +
           "\" y2=\"" + Num(-y) + "\"" + (y == 0 ? " stroke=\"#8f8a80\"" : "") + "/>\n";
  }
  svg += "</g>\n<g id=\"grid-labels\" font-size=\"44\" fill=\"#555555\">\n";
  for (double x = b.MinX; x <= b.MaxX; x += kGridStep) {
    svg += "<text x=\"" + Num(x) + "\" y=\"" + Num(-b.MinY + 60) + "\" text-anchor=\"middle\">" +
           Num(x) + "</text>\n";
  }
  for (double y = b.MinY; y <= b.MaxY; y += kGridStep) {
    svg += "<text x=\"" + Num(b.MinX - 20) + "\" y=\"" + Num(-y + 15) + "\" text-anchor=\"end\">" +
           Num(y) + "</text>\n";
  }
  return svg + "</g>\n";
}

std::string Zones(const ZoneTable& zones) {
  std::string svg = "<g id=\"zones\">\n";
  for (const Zone& zone : zones) {
    const double left = World(std::min(zone.MinX, zone.MaxX));
    const double top = -World(std::max(zone.MinY, zone.MaxY));
    const double width = World(std::abs(zone.MaxX - zone.MinX));
    const double height = World(std::abs(zone.MaxY - zone.MinY));
    svg += "<g class=\"zone\"><title>" + Xml(zone.Name) + "</title><rect x=\"" + Num(left) +
           "\" y=\"" + Num(top) + "\" width=\"" + Num(width) + "\" height=\"" + Num(height) +
           "\" fill=\"#f2c14e\" fill-opacity=\"0.22\" stroke=\"#b5892a\" stroke-width=\"4\"/>"
           "<text x=\"" +
           Num(left + 12) + "\" y=\"" + Num(top + 44) + "\" font-size=\"38\" fill=\"#7a5b12\">" +
           Xml(zone.Name) + "</text></g>\n";
  }
  return svg + "</g>\n";
}

const char* ShapePath(MarkerShape shape) {
  return shape == MarkerShape::Dart ? kTwoBytePath : kOneBytePath;
}

std::string Marker(const MapMarker& marker) {
  return "<g class=\"car " + marker.Classes + "\" id=\"" + marker.Id + "\" transform=\"translate(" +
         Num(marker.X) + " " + Num(-marker.Y) + ") rotate(" + Num(-marker.Heading) + ")\"><title>" +
         Xml(marker.Tooltip) + "</title><path d=\"" + ShapePath(marker.Shape) + "\" fill=\"" +
         marker.Fill + "\"/></g>\n";
}

std::string LegendEntry(double y, const std::string& sample, const std::string& label) {
  return "<g transform=\"translate(70 " + Num(y) + ")\">" + sample + "</g><text x=\"150\" y=\"" +
         Num(y + 14) + "\">" + Xml(label) + "</text>\n";
}

constexpr double kLegendFirstEntry = 130;
constexpr double kLegendEntryStep = 90;

// The entries, the zone's, two lines of text, and the frame around them.
double LegendHeight(const std::vector<MapLegendEntry>& entries) {
  return kLegendFirstEntry + kLegendEntryStep * static_cast<double>(entries.size()) + 160;
}

std::string Legend(const std::vector<MapLegendEntry>& entries, double x, double y) {
  std::string svg = "<g id=\"legend\" transform=\"translate(" + Num(x) + " " + Num(y) +
                    ")\" font-size=\"40\" fill=\"#222222\">\n";
  svg += "<rect x=\"0\" y=\"0\" width=\"" + Num(kLegendWidth) + "\" height=\"" +
         Num(LegendHeight(entries)) +
         "\" fill=\"#ffffff\" stroke=\"#888888\" stroke-width=\"3\"/>\n";
  svg += "<text x=\"30\" y=\"60\" font-size=\"46\" font-weight=\"bold\">Legend</text>\n";
  double entryY = kLegendFirstEntry;
  for (const MapLegendEntry& entry : entries) {
    svg += LegendEntry(entryY,
                       std::string("<path d=\"") + ShapePath(entry.Shape) + "\" fill=\"" +
                           entry.Fill + "\" stroke=\"#000000\" stroke-width=\"3\"/>",
                       entry.Label);
    entryY += kLegendEntryStep;
  }
  svg += LegendEntry(entryY,
                     "<rect x=\"-30\" y=\"-24\" width=\"60\" height=\"48\" fill=\"#f2c14e\" "
                     "fill-opacity=\"0.22\" stroke=\"#b5892a\" stroke-width=\"4\"/>",
                     "zone");
  svg += "<text x=\"30\" y=\"" + Num(entryY + 80) + "\">Markers point along the heading.</text>\n";
  svg += "<text x=\"30\" y=\"" + Num(entryY + 130) + "\">North up, grid every " +
         std::to_string(kGridStep) + " units.</text>\n";
  return svg + "</g>\n";
}

std::string Tooltip(const CarRow& row) {
  const CarBlock& b = row.Block;
  std::string text = "Block " + std::to_string(row.Number) + "\nVehicle " +
                     std::to_string(b.CarId) + (row.Name.empty() ? "" : " " + row.Name) + ", " +
                     (b.HiCar == 1 ? "two-byte id" : "one-byte id") +
                     (row.Unsafe ? " (UNSAFE for this width)" : "") + "\nPosition (" +
                     Num(World(b.XPos)) + ", " + Num(World(b.YPos)) + ")\nHeading " +
                     Num(World(b.Heading)) + "\xC2\xB0\nAlarm " + std::to_string(b.Alarm) +
                     ", lock " + std::to_string(b.Lock) + "\nZones: ";
  if (row.Zones.empty()) return text + "none";
  for (std::size_t i = 0; i < row.Zones.size(); ++i) text += (i == 0 ? "" : ", ") + row.Zones[i];
  return text;
}

MapMarker BlockMarker(const CarRow& row) {
  const CarBlock& b = row.Block;
  const bool twoByte = b.HiCar == 1;
  return {World(b.XPos),
          World(b.YPos),
          World(b.Heading),
          twoByte ? MarkerShape::Dart : MarkerShape::Triangle,
          row.Unsafe ? kUnsafeFill
          : twoByte  ? kTwoByteFill
                     : kOneByteFill,
          std::string(twoByte ? "two-byte" : "one-byte") + (row.Unsafe ? " unsafe" : ""),
          "block-" + std::to_string(row.Number),
          Tooltip(row)};
}

}  // namespace

std::string RenderMap(const MapDrawing& drawing, const ZoneTable& zones) {
  const Bounds b = GridBounds(drawing.Markers, zones);
  const double left = b.MinX - kLeftMargin;
  const double top = -b.MaxY - kTopMargin;
  const double legendX = b.MaxX + kRightMargin;
  const double width = legendX + kLegendWidth + kRightMargin - left;
  const double height = std::max(b.MaxY - b.MinY + kTopMargin + kBottomMargin,
                                 LegendHeight(drawing.Legend) + kTopMargin);

  std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" +
         Num(std::round(width * kPixelsPerUnit)) + "\" height=\"" +
         Num(std::round(height * kPixelsPerUnit)) + "\" viewBox=\"" + Num(left) + " " + Num(top) +
         " " + Num(width) + " " + Num(height) +
         "\" font-family=\"Liberation Sans, Arial, Helvetica, sans-serif\">\n";
  svg += "<title>" + Xml(drawing.Caption) + "</title>\n";
  svg += "<rect x=\"" + Num(left) + "\" y=\"" + Num(top) + "\" width=\"" + Num(width) +
         "\" height=\"" + Num(height) + "\" fill=\"#ffffff\"/>\n";
  svg += "<rect x=\"" + Num(b.MinX) + "\" y=\"" + Num(-b.MaxY) + "\" width=\"" +
         Num(b.MaxX - b.MinX) + "\" height=\"" + Num(b.MaxY - b.MinY) + "\" fill=\"#f6f3ec\"/>\n";
  svg += "<text x=\"" + Num(b.MinX) + "\" y=\"" + Num(-b.MaxY - 70) +
         "\" font-size=\"56\" fill=\"#222222\">" + Xml(drawing.Caption) + "</text>\n";
  svg += Grid(b);
  svg += Zones(zones);
  svg += "<g id=\"cars\" stroke=\"#000000\" stroke-width=\"3\">\n";
  for (const MapMarker& marker : drawing.Markers) svg += Marker(marker);
  svg += "</g>\n";
  svg += Legend(drawing.Legend, legendX, -b.MaxY);
  return svg + "</svg>\n";
}

std::string RenderCarMap(const CarReport& report, const ZoneTable& zones) {
  MapDrawing drawing;
  drawing.Caption = "Parked cars of " + report.ScriptPath + ": " +
                    std::to_string(report.Rows.size()) +
                    (report.Anywhere ? " record(s) anywhere in the file" : " block(s)");
  for (const CarRow& row : report.Rows) drawing.Markers.push_back(BlockMarker(row));
  drawing.Legend = {{MarkerShape::Triangle, kOneByteFill, "car, one-byte vehicle id"},
                    {MarkerShape::Dart, kTwoByteFill, "car, two-byte vehicle id"},
                    {MarkerShape::Triangle, kUnsafeFill, "id unsafe for its width"}};
  return RenderMap(drawing, zones);
}

}  // namespace tovick
