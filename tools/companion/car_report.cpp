#include "car_report.h"

#include <cstdio>

#include "scm/script_file.h"
#include "text/number_text.h"
#include "vehicles/id_width.h"

namespace tovick::companion {

namespace {

std::string Padded(const std::string& text, std::size_t width, bool right) {
  if (text.size() >= width) return text;
  const std::string fill(width - text.size(), ' ');
  return right ? fill + text : text + fill;
}

std::string Number(std::int64_t value) {
  return std::to_string(value);
}

std::string JoinZones(const std::vector<std::string>& zones) {
  std::string text;
  for (const std::string& zone : zones) {
    if (!text.empty()) text += "; ";
    text += zone;
  }
  return text;
}

}  // namespace

CarReport BuildReport(const std::string& scriptPath, const ScriptFile& file,
                      std::span<const std::int64_t> addresses, const ScanResult& scan,
                      const VehicleTable* vehicles, const ZoneTable& zones) {
  CarReport report;
  report.ScriptPath = scriptPath;
  report.Length = file.Length();
  report.Scan = scan;
  for (std::size_t i = 0; i < addresses.size(); ++i) {
    const auto block = ReadCarBlock(file, addresses[i]);
    // The scan has checked every block's width marker, so a block always reads back.
    if (!block) continue;
    CarRow row;
    row.Number = static_cast<int>(i + 1);
    row.Block = *block;
    if (vehicles != nullptr) row.Name = vehicles->VehicleNames[block->CarId];
    row.Unsafe = IsUnsafeId(block->HiCar, block->CarId);
    for (const Zone& zone : zones) {
      if (zone.Contains(block->XPos, block->YPos)) row.Zones.push_back(zone.Name);
    }
    report.Rows.push_back(std::move(row));
  }
  return report;
}

std::string RenderTable(const CarReport& report) {
  struct Column {
    const char* Title;
    std::size_t Width;
    bool Right;
  };
  static constexpr Column kColumns[] = {
      {"BLOCK", 5, true},   {"ADDRESS", 7, true}, {"WIDTH", 5, true}, {"ID", 3, true},
      {"NAME", 13, false},  {"X-POS", 6, true},   {"Y-POS", 6, true}, {"HEADING", 7, true},
      {"UTELLME", 7, true}, {"ALARM", 5, true},   {"LOCK", 4, true},  {"UNSAFE", 6, false},
      {"ZONES", 0, false}};
  auto line = [](const std::vector<std::string>& cells) {
    std::string text;
    for (std::size_t i = 0; i < cells.size(); ++i) {
      if (i > 0) text += "  ";
      text += Padded(cells[i], kColumns[i].Width, kColumns[i].Right);
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text + "\n";
  };

  const std::string found =
      report.Anywhere
          ? " parked-car record(s) anywhere in the file (numbered in file order, read only)"
          : " block(s)";
  std::string text = report.ScriptPath + ": " + Number(report.Length) + " bytes, " +
                     Number(static_cast<std::int64_t>(report.Rows.size())) + found +
                     (report.Scan.CarTableError
                          ? ", malformed car table at offset " + Number(report.Scan.ErrorOffset)
                          : "") +
                     "\n";
  std::vector<std::string> titles;
  for (const Column& column : kColumns) titles.emplace_back(column.Title);
  text += line(titles);
  for (const CarRow& row : report.Rows) {
    const CarBlock& b = row.Block;
    text +=
        line({Number(row.Number), Number(b.Address), Number(b.HiCar + 1), Number(b.CarId), row.Name,
              Number(b.XPos), Number(b.YPos), Number(b.Heading), HexText(b.UnknownWord),
              Number(b.Alarm), Number(b.Lock), row.Unsafe ? "yes" : "", JoinZones(row.Zones)});
  }
  return text;
}

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte >= 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04X", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string RenderJson(const CarReport& report) {
  std::string json = "{\n";
  json += "  \"script\": " + JsonString(report.ScriptPath) + ",\n";
  json += "  \"length\": " + Number(report.Length) + ",\n";
  json += "  \"blockCount\": " + Number(static_cast<std::int64_t>(report.Rows.size())) + ",\n";
  json += std::string("  \"anywhere\": ") + (report.Anywhere ? "true" : "false") + ",\n";
  json +=
      std::string("  \"carTableError\": ") + (report.Scan.CarTableError ? "true" : "false") + ",\n";
  json += "  \"errorOffset\": " +
          (report.Scan.CarTableError ? Number(report.Scan.ErrorOffset) : std::string("null")) +
          ",\n";
  json += "  \"blocks\": [";
  for (std::size_t i = 0; i < report.Rows.size(); ++i) {
    const CarRow& row = report.Rows[i];
    const CarBlock& b = row.Block;
    json += i == 0 ? "\n" : ",\n";
    json += "    {\"block\": " + Number(row.Number) + ", \"address\": " + Number(b.Address) +
            ", \"widthMarker\": " + Number(b.WidthMarker) + ", \"hiCar\": " + Number(b.HiCar) +
            ", \"width\": " + Number(b.HiCar + 1) + ", \"carId\": " + Number(b.CarId) +
            ", \"name\": " + JsonString(row.Name) + ", \"xPos\": " + Number(b.XPos) +
            ", \"yPos\": " + Number(b.YPos) + ", \"heading\": " + Number(b.Heading) +
            ", \"unknownWord\": " + Number(b.UnknownWord) + ", \"alarm\": " + Number(b.Alarm) +
            ", \"lock\": " + Number(b.Lock) + ", \"unsafe\": " + (row.Unsafe ? "true" : "false") +
            ", \"zones\": [";
    for (std::size_t z = 0; z < row.Zones.size(); ++z) {
      json += (z == 0 ? "" : ", ") + JsonString(row.Zones[z]);
    }
    json += "]}";
  }
  json += report.Rows.empty() ? "]\n}\n" : "\n  ]\n}\n";
  return json;
}

}  // namespace tovick::companion
