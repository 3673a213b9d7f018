#include "save/slot_records.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <system_error>

#include "save/save_layout.h"

namespace tovick {

namespace {

enum class Key {
  Slot,
  Model,
  Name,
  X,
  Y,
  Z,
  Heading,
  Colour1,
  Colour2,
  ForceSpawn,
  Alarm,
  Lock,
  MinDelay,
  MaxDelay,
  UsesRemaining,
};

// What a script can hold: a 16-bit fixed-point value in 1/16 units.
constexpr double kLowestPosition = -2048.0;
constexpr double kHighestPosition = 2047.9375;
constexpr double kPercentWarnAbove = 100;  // alarm and lock are percentages, as the window warns
constexpr int kHighestGameVehicleId = 150;
constexpr std::size_t kMaxErrors = 20;
constexpr std::size_t kMaxShownBytes = 40;

struct KeyRule {
  bool Whole = true;
  double Low = 0;
  double High = 0;
};

// By Key; the model's range is the game's ids when no definitions are given.
constexpr KeyRule kRules[] = {
    {true, 0, kGeneratorSlotCount - 1},
    {true, kLowestVehicleId, kHighestGameVehicleId},
    {},
    {false, kLowestPosition, kHighestPosition},
    {false, kLowestPosition, kHighestPosition},
    {false, kLowestPosition, kHighestPosition},
    {false, kLowestPosition, kHighestPosition},
    {true, -1, 255},
    {true, -1, 255},
    {true, 0, 1},
    {true, 0, 255},
    {true, 0, 255},
    {true, 0, 65535},
    {true, 0, 65535},
    {true, 0, 65535},
};
static_assert(std::size(kRules) == kSlotRecordKeys.size());

std::optional<Key> KeyNamed(std::string_view name) {
  const auto* found = std::find(kSlotRecordKeys.begin(), kSlotRecordKeys.end(), name);
  if (found == kSlotRecordKeys.end()) return std::nullopt;
  return static_cast<Key>(found - kSlotRecordKeys.begin());
}

std::string KeyText(Key key) {
  return std::string(kSlotRecordKeys[static_cast<std::size_t>(key)]);
}

std::string NumberText(double value) {
  char buffer[32];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  return std::string(buffer, end);
}

// A value as the file gives it, cut short: a message must stay one readable line.
std::string Shown(std::string_view text) {
  if (text.size() <= kMaxShownBytes) return std::string(text);
  return std::string(text.substr(0, kMaxShownBytes)) + "...";
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

class RecordReader {
 public:
  explicit RecordReader(const VehicleTable* vehicles) : vehicles_(vehicles) {}

  SlotRecordsRead Read;

  void Error(std::string message) { Read.Errors.push_back(std::move(message)); }

  // Checks one value and sets it in the record; show() gives the value as the file wrote it, made
  // only for a message (most values have none, and a file holds thousands).
  template <typename ShowFn>
  void Take(SlotRecord& record, Key key, double value, const ShowFn& show) {
    const auto prefix = [&] { return record.Where + ": " + KeyText(key) + ": " + Shown(show()); };
    const KeyRule& rule = kRules[static_cast<std::size_t>(key)];
    if (!std::isfinite(value)) return Error(prefix() + " is not a finite number");
    if (rule.Whole && value != std::trunc(value)) return Error(prefix() + " is not a whole number");
    if (key == Key::Model) {
      if (value < INT32_MIN || value > INT32_MAX) return Error(prefix() + " is not a model id");
      if (!IsVehicle(value)) {
        record.ModelNotVehicle =
            prefix() + (vehicles_ != nullptr ? " is not a vehicle the definitions file defines"
                                             : " is not a vehicle id (" + NumberText(rule.Low) +
                                                   " to " + NumberText(rule.High) + ")");
      }
    } else if (value < rule.Low || value > rule.High) {
      std::string range = NumberText(rule.Low) + " to " + NumberText(rule.High);
      if (key == Key::Slot) range += ": a save holds at most 160 generators";
      return Error(prefix() + " is not " + range);
    }
    if ((key == Key::Alarm || key == Key::Lock) && value > kPercentWarnAbove) {
      Read.Warnings.push_back(prefix() + " is above " + NumberText(kPercentWarnAbove));
    }
    Set(record, key, value);
  }

  // Two records for one slot: which one the save should get is anyone's guess.
  void NoteSlot(const SlotRecord& record) {
    if (!record.Slot) return;
    std::string& first = firstWhere_[static_cast<std::size_t>(*record.Slot)];
    if (first.empty()) {
      first = record.Where;
    } else {
      Error(record.Where + ": slot: " + std::to_string(*record.Slot) + " is given twice (also " +
            first + ")");
    }
  }

  void CheckCount(std::size_t records) {
    if (records > static_cast<std::size_t>(kGeneratorSlotCount)) {
      Error(std::to_string(records) + " records: a save holds at most " +
            std::to_string(kGeneratorSlotCount) + " generators");
    }
  }

 private:
  bool IsVehicle(double value) const {
    if (vehicles_ == nullptr) {
      const KeyRule& rule = kRules[static_cast<std::size_t>(Key::Model)];
      return value >= rule.Low && value <= rule.High;
    }
    if (value < 0 || value >= static_cast<double>(vehicles_->VehicleNames.size())) return false;
    return !vehicles_->VehicleNames[static_cast<std::size_t>(value)].empty();
  }

  static void Set(SlotRecord& record, Key key, double value) {
    const auto whole = static_cast<std::int64_t>(value);
    switch (key) {
      case Key::Slot:
        record.Slot = whole;
        break;
      case Key::Model:
        record.Model = static_cast<std::int32_t>(whole);
        break;
      case Key::Name:
        break;
      case Key::X:
        record.X = static_cast<float>(value);
        break;
      case Key::Y:
        record.Y = static_cast<float>(value);
        break;
      case Key::Z:
        record.Z = static_cast<float>(value);
        break;
      case Key::Heading:
        record.Heading = static_cast<float>(value);
        break;
      case Key::Colour1:
        record.Colour1 = static_cast<std::int16_t>(whole);
        break;
      case Key::Colour2:
        record.Colour2 = static_cast<std::int16_t>(whole);
        break;
      case Key::ForceSpawn:
        record.ForceSpawn = static_cast<std::uint8_t>(whole);
        break;
      case Key::Alarm:
        record.Alarm = static_cast<std::uint8_t>(whole);
        break;
      case Key::Lock:
        record.Lock = static_cast<std::uint8_t>(whole);
        break;
      case Key::MinDelay:
        record.MinDelay = static_cast<std::uint16_t>(whole);
        break;
      case Key::MaxDelay:
        record.MaxDelay = static_cast<std::uint16_t>(whole);
        break;
      case Key::UsesRemaining:
        record.UsesRemaining = static_cast<std::uint16_t>(whole);
        break;
    }
  }

  const VehicleTable* vehicles_;
  std::array<std::string, kGeneratorSlotCount> firstWhere_;
};

// ---- JSON

// The parser's own words from "[json.exception.parse_error.101] parse error at line 1, ...".
std::string ParserMessage(const nlohmann::json::exception& fault) {
  const std::string_view what = fault.what();
  const std::size_t after = what.find("] ");
  return std::string(after == std::string_view::npos ? what : what.substr(after + 2));
}

void ReadJson(std::string_view text, RecordReader& reader) {
  nlohmann::json document;
  try {
    document = nlohmann::json::parse(text.begin(), text.end());
  } catch (const nlohmann::json::exception& fault) {
    return reader.Error("neither JSON nor CSV: " + ParserMessage(fault));
  }
  const nlohmann::json* slots = &document;
  if (document.is_object()) {
    const auto found = document.find("slots");
    if (found == document.end() || !found->is_array()) {
      return reader.Error("the JSON document has no \"slots\" array");
    }
    slots = &*found;
  } else if (!document.is_array()) {
    return reader.Error("the JSON is neither a document with \"slots\" nor an array of slots");
  }
  reader.CheckCount(slots->size());
  std::size_t number = 0;
  for (const nlohmann::json& item : *slots) {
    SlotRecord record;
    record.Where = "record " + std::to_string(++number);
    if (!item.is_object()) {
      reader.Error(record.Where + ": " + Shown(item.dump()) + " is not a slot object");
      continue;
    }
    for (const auto& [name, value] : item.items()) {
      const std::optional<Key> key = KeyNamed(name);
      if (!key) {
        reader.Error(record.Where + ": unknown key " + Shown(nlohmann::json(name).dump()));
      } else if (*key == Key::Name) {
        continue;
      } else if (!value.is_number()) {
        reader.Error(record.Where + ": " + KeyText(*key) + ": " + Shown(value.dump()) +
                     " is not a number");
      } else {
        // clang 14 cannot capture a structured binding: a plain reference to it instead.
        const nlohmann::json& given = value;
        reader.Take(record, *key, given.get<double>(), [&given] { return given.dump(); });
      }
    }
    reader.NoteSlot(record);
    reader.Read.Records.push_back(std::move(record));
  }
}

// ---- CSV

struct CsvRow {
  int Line = 0;  // where the row begins; a quoted cell may run over several lines
  std::vector<std::string> Cells;
};

struct CsvSplit {
  std::vector<CsvRow> Rows;
  std::vector<std::string> Errors;
};

// Rows of cells as a spreadsheet writes them: commas between cells, a cell in quotes may hold
// commas, line ends and doubled quotes; CR LF, LF or a lone CR ends a line; empty lines are
// skipped.
CsvSplit SplitCsv(std::string_view text) {
  CsvSplit split;
  std::size_t at = 0;
  int line = 1;
  const auto atLineEnd = [&] { return at >= text.size() || text[at] == '\n' || text[at] == '\r'; };
  const auto passLineEnd = [&] {
    if (at < text.size() && text[at] == '\r') ++at;
    if (at < text.size() && text[at] == '\n') ++at;
    ++line;
  };
  while (at < text.size()) {
    if (atLineEnd()) {
      passLineEnd();
      continue;
    }
    CsvRow row{line, {}};
    bool broken = false;
    for (;;) {
      while (at < text.size() && IsBlank(text[at])) ++at;
      std::string cell;
      if (at < text.size() && text[at] == '"') {
        ++at;
        bool closed = false;
        while (at < text.size()) {
          const char c = text[at++];
          if (c == '"') {
            if (at < text.size() && text[at] == '"') {
              cell += '"';
              ++at;
              continue;
            }
            closed = true;
            break;
          }
          if (c == '\n' || (c == '\r' && (at >= text.size() || text[at] != '\n'))) ++line;
          cell += c;
        }
        if (!closed) {
          split.Errors.push_back("line " + std::to_string(row.Line) +
                                 ": a quoted cell is not closed");
          return split;
        }
        while (at < text.size() && IsBlank(text[at])) ++at;
        if (!atLineEnd() && text[at] != ',') {
          split.Errors.push_back("line " + std::to_string(line) +
                                 ": text after a quoted cell's closing quote");
          broken = true;
          while (!atLineEnd()) ++at;
        }
      } else {
        const std::size_t begin = at;
        while (!atLineEnd() && text[at] != ',') ++at;
        cell = TrimBlanks(text.substr(begin, at - begin));
      }
      row.Cells.push_back(std::move(cell));
      if (at < text.size() && text[at] == ',') {
        ++at;
        continue;
      }
      break;
    }
    if (!broken) split.Rows.push_back(std::move(row));
    if (at < text.size()) passLineEnd();
  }
  return split;
}

// The whole cell as a number, '.' the decimal point whatever the locale.
void TakeCell(RecordReader& reader, SlotRecord& record, Key key, const std::string& cell) {
  double value = 0;
  const char* end = cell.data() + cell.size();
  const auto [stop, fault] = std::from_chars(cell.data(), end, value);
  if (stop != end || (fault != std::errc() && fault != std::errc::result_out_of_range)) {
    return reader.Error(record.Where + ": " + KeyText(key) + ": \"" + Shown(cell) +
                        "\" is not a number");
  }
  if (fault == std::errc::result_out_of_range) {
    const KeyRule& rule = kRules[static_cast<std::size_t>(key)];
    return reader.Error(record.Where + ": " + KeyText(key) + ": " + Shown(cell) + " is not " +
                        NumberText(rule.Low) + " to " + NumberText(rule.High));
  }
  reader.Take(record, key, value, [&cell] { return cell; });
}

// False when the first row names no column at all: then the file is no CSV of ours.
bool ReadCsv(std::string_view text, RecordReader& reader) {
  CsvSplit split = SplitCsv(text);
  if (split.Rows.empty()) return false;
  const CsvRow& header = split.Rows.front();
  std::vector<std::optional<Key>> columns;
  for (const std::string& name : header.Cells) columns.push_back(KeyNamed(name));
  if (std::none_of(columns.begin(), columns.end(),
                   [](const auto& key) { return key.has_value(); })) {
    return false;
  }
  for (std::string& error : split.Errors) reader.Error(std::move(error));

  const std::string headerWhere = "line " + std::to_string(header.Line);
  std::array<bool, kSlotRecordKeys.size()> named{};
  for (std::size_t c = 0; c < columns.size(); ++c) {
    if (!columns[c]) {
      reader.Error(headerWhere + ": unknown column \"" + Shown(header.Cells[c]) + "\"");
      continue;
    }
    bool& seen = named[static_cast<std::size_t>(*columns[c])];
    if (seen) reader.Error(headerWhere + ": column \"" + header.Cells[c] + "\" twice");
    seen = true;
  }

  reader.CheckCount(split.Rows.size() - 1);
  for (std::size_t r = 1; r < split.Rows.size(); ++r) {
    const CsvRow& row = split.Rows[r];
    SlotRecord record;
    record.Where = "line " + std::to_string(row.Line);
    if (row.Cells.size() != columns.size()) {
      reader.Error(record.Where + ": " + std::to_string(row.Cells.size()) +
                   " cells where the header has " + std::to_string(columns.size()));
      continue;
    }
    for (std::size_t c = 0; c < columns.size(); ++c) {
      if (!columns[c] || *columns[c] == Key::Name || row.Cells[c].empty()) continue;
      TakeCell(reader, record, *columns[c], row.Cells[c]);
    }
    reader.NoteSlot(record);
    reader.Read.Records.push_back(std::move(record));
  }
  return true;
}

}  // namespace

SlotRecordsRead ReadSlotRecords(std::string_view text, const VehicleTable* vehicles) {
  // A spreadsheet saving "CSV UTF-8" puts a byte order mark in front.
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());

  RecordReader reader(vehicles);
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) {
    reader.Error("neither JSON nor CSV: the file is empty");
  } else if (text[first] == '{' || text[first] == '[') {
    ReadJson(text, reader);
  } else if (!ReadCsv(text, reader)) {
    reader.Read.Errors.clear();
    reader.Error(
        "neither JSON nor CSV: it begins with neither '{' nor '[', and its first line names none "
        "of the columns slot, model, x, y, z, ...");
  }

  SlotRecordsRead read = std::move(reader.Read);
  if (!read.Errors.empty()) {
    read.Records.clear();
    if (read.Errors.size() > kMaxErrors) {
      const std::size_t more = read.Errors.size() - kMaxErrors;
      read.Errors.resize(kMaxErrors);
      read.Errors.push_back("and " + std::to_string(more) + " more");
    }
  }
  return read;
}

}  // namespace tovick
