#include "plugin/car_report.h"

#include "plugin/script_reader.h"
#include "scm/generator_record.h"
#include "text/json_writer.h"
#include "text/number_text.h"
#include "vehicles/id_width.h"

namespace tovick {

namespace {

std::string Padded(const std::string& text, std::size_t width, bool right) {
  if (text.size() >= width) return text;
  const std::string fill(width - text.size(), ' ');
  return right ? fill + text : text + fill;
}

std::string Number(std::int64_t value) {
  return std::to_string(value);
}

// The id's width: the block's (1 or 2), or the bytes of an instruction's model (1, 2 or 4).
std::int64_t Width(const CarRow& row) {
  return row.Instruction ? (*row.Instruction)[GeneratorParam::Model].width : row.Block.HiCar + 1;
}

// Alarm or lock as the editor shows it: a byte, or an instruction's wider value as stored.
std::int64_t Shown(const CarRow& row, GeneratorParam param) {
  if (row.Instruction) return EditorValue((*row.Instruction)[param]);
  return param == GeneratorParam::Alarm ? row.Block.Alarm : row.Block.Lock;
}

// The keys only an instruction has, each value as the game reads it.
void AddInstructionKeys(const GeneratorInstruction& instruction, JsonObject& row) {
  const std::pair<const char*, GeneratorParam> keys[] = {
      {"model", GeneratorParam::Model},           {"colour1", GeneratorParam::Colour1},
      {"colour2", GeneratorParam::Colour2},       {"forceSpawn", GeneratorParam::ForceSpawn},
      {"minDelay", GeneratorParam::MinDelay},     {"maxDelay", GeneratorParam::MaxDelay},
      {"handleVariable", GeneratorParam::Handle},
  };
  for (const auto& [key, param] : keys) row.Number(key, instruction[param].value);
  row.Bool("handleLocal", instruction.HandleLocal());
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

// The editor names and judges a block by its one-byte id; an instruction's model is named and
// judged so only where it is that id (8-bit, or 16-bit within 0 to 255).
bool ModelIsCarId(const GeneratorValue& model) {
  return model.width == 1 || (model.width == 2 && model.value >= 0 && model.value <= 0xFF);
}

CarReport BuildReport(const std::string& scriptPath, const ScriptTable& table,
                      const VehicleTable* vehicles, const ZoneTable& zones) {
  CarReport report;
  report.ScriptPath = scriptPath;
  report.Length = static_cast<std::int64_t>(table.Bytes.size());
  report.Scan = table.Scan;
  report.Anywhere = table.Anywhere;
  const ScriptReader read = ReaderOf(table.Bytes);
  report.Rows.reserve(table.Addresses.size());
  for (std::size_t i = 0; i < table.Addresses.size(); ++i) {
    CarRow row;
    row.Number = static_cast<int>(i + 1);
    bool named = true;
    if (table.Anywhere) {
      const GeneratorInstruction& instruction = table.Instructions[i];
      row.Instruction = instruction;
      row.Block = EditorBlockOf(instruction);
      named = ModelIsCarId(instruction[GeneratorParam::Model]);
    } else {
      std::array<std::uint8_t, kMaxBlockBytes> bytes{};
      read(table.Addresses[i], bytes.data(), bytes.size());
      const auto block = DecodeCarBlock(table.Addresses[i], bytes);
      // The scan has checked every block's width marker, so a block always reads back.
      if (!block) continue;
      row.Block = *block;
    }
    const CarBlock& block = row.Block;
    if (vehicles != nullptr && named) row.Name = vehicles->VehicleNames[block.CarId];
    row.Unsafe = named && IsUnsafeId(block.HiCar, block.CarId);
    for (const Zone& zone : zones) {
      if (zone.Contains(block.XPos, block.YPos)) row.Zones.push_back(zone.Name);
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
  // With anywhere the colours and force spawn stand after LOCK.
  static constexpr Column kInstructionColumns[] = {
      {"BLOCK", 5, true},   {"ADDRESS", 7, true}, {"WIDTH", 5, true},   {"ID", 3, true},
      {"NAME", 13, false},  {"X-POS", 6, true},   {"Y-POS", 6, true},   {"HEADING", 7, true},
      {"UTELLME", 7, true}, {"ALARM", 5, true},   {"LOCK", 4, true},    {"COLOUR1", 7, true},
      {"COLOUR2", 7, true}, {"FORCE", 5, true},   {"UNSAFE", 6, false}, {"ZONES", 0, false}};
  const std::span<const Column> columns = report.Anywhere
                                              ? std::span<const Column>(kInstructionColumns)
                                              : std::span<const Column>(kColumns);
  auto line = [&](const std::vector<std::string>& cells) {
    std::string text;
    for (std::size_t i = 0; i < cells.size(); ++i) {
      if (i > 0) text += "  ";
      text += Padded(cells[i], columns[i].Width, columns[i].Right);
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text + "\n";
  };

  const std::string found =
      report.Anywhere ? " parked-car record(s) anywhere in the file (numbered in file order)"
                      : " block(s)";
  std::string text = report.ScriptPath + ": " + Number(report.Length) + " bytes, " +
                     Number(static_cast<std::int64_t>(report.Rows.size())) + found +
                     (report.Scan.CarTableError
                          ? ", malformed car table at offset " + Number(report.Scan.ErrorOffset)
                          : "") +
                     "\n";
  std::vector<std::string> titles;
  for (const Column& column : columns) titles.emplace_back(column.Title);
  text += line(titles);
  for (const CarRow& row : report.Rows) {
    const CarBlock& b = row.Block;
    std::vector<std::string> cells{Number(row.Number),
                                   Number(b.Address),
                                   Number(Width(row)),
                                   Number(b.CarId),
                                   row.Name,
                                   Number(b.XPos),
                                   Number(b.YPos),
                                   Number(b.Heading),
                                   HexText(b.UnknownWord),
                                   Number(Shown(row, GeneratorParam::Alarm)),
                                   Number(Shown(row, GeneratorParam::Lock))};
    if (row.Instruction) {
      for (const GeneratorParam param :
           {GeneratorParam::Colour1, GeneratorParam::Colour2, GeneratorParam::ForceSpawn}) {
        cells.push_back(Number((*row.Instruction)[param].value));
      }
    }
    cells.emplace_back(row.Unsafe ? "yes" : "");
    cells.push_back(JoinZones(row.Zones));
    text += line(cells);
  }
  return text;
}

std::string RenderJson(const CarReport& report) {
  std::vector<JsonObject> rows;
  rows.reserve(report.Rows.size());
  for (const CarRow& row : report.Rows) {
    const CarBlock& b = row.Block;
    JsonObject& json = rows.emplace_back();
    json.Number("block", row.Number)
        .Number("address", b.Address)
        .Number("widthMarker", b.WidthMarker)
        .Number("hiCar", b.HiCar)
        .Number("width", Width(row))
        .Number("carId", b.CarId)
        .String("name", row.Name)
        .Number("xPos", b.XPos)
        .Number("yPos", b.YPos)
        .Number("heading", b.Heading)
        .Number("unknownWord", b.UnknownWord)
        .Number("alarm", Shown(row, GeneratorParam::Alarm))
        .Number("lock", Shown(row, GeneratorParam::Lock))
        .Bool("unsafe", row.Unsafe)
        .Strings("zones", row.Zones);
    if (row.Instruction) AddInstructionKeys(*row.Instruction, json);
  }
  JsonObject document;
  document.String("script", report.ScriptPath)
      .Number("length", report.Length)
      .Number("blockCount", static_cast<std::int64_t>(report.Rows.size()))
      .Bool("anywhere", report.Anywhere)
      .Bool("carTableError", report.Scan.CarTableError)
      .Exact("errorOffset",
             report.Scan.CarTableError ? Number(report.Scan.ErrorOffset) : std::string("null"));
  return document.Document("blocks", rows);
}

}  // namespace tovick
