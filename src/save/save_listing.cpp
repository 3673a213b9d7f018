#include "save/save_listing.h"

#include <algorithm>
#include <iterator>

#include "save/generator_match.h"
#include "text/json_writer.h"

namespace tovick {

namespace {

constexpr SlotField kColumns[] = {
    SlotField::Model,   SlotField::X,       SlotField::Y,        SlotField::Z,
    SlotField::Heading, SlotField::Colour1, SlotField::Colour2,  SlotField::ForceSpawn,
    SlotField::Alarm,   SlotField::Lock,    SlotField::MinDelay, SlotField::MaxDelay,
};
constexpr const char* kJsonNames[] = {"model",   "x",       "y",        "z",
                                      "heading", "colour1", "colour2",  "forceSpawn",
                                      "alarm",   "lock",    "minDelay", "maxDelay"};

// JSON has no NaN or infinity: such a float (a damaged slot) is null.
std::string JsonNumber(const GeneratorSlot& slot, SlotField field) {
  const std::string text = SlotFieldText(slot, field);
  return text == "nan" || text == "inf" || text == "-inf" ? "null" : text;
}

// As a spreadsheet quotes a cell: only where it must, its quotes doubled.
std::string CsvCell(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (const char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

}  // namespace

std::string ModelName(const SaveListing& listing, std::int32_t model) {
  if (listing.Vehicles == nullptr || model < 0 ||
      static_cast<std::size_t>(model) >= listing.Vehicles->VehicleNames.size()) {
    return "";
  }
  return listing.Vehicles->VehicleNames[static_cast<std::size_t>(model)];
}

std::vector<GeneratorSlot> SlotsInUse(std::span<const std::uint8_t> save,
                                      const SaveLayout& layout) {
  std::vector<GeneratorSlot> slots;
  for (int s = 0; s < static_cast<int>(layout.GeneratorCount); ++s) {
    slots.push_back(ReadSlot(save, layout, s));
  }
  return slots;
}

std::string RenderSaveTable(const SaveListing& listing) {
  const bool named = listing.Vehicles != nullptr;
  std::vector<std::string> titles = {"SLOT", "MODEL"};
  if (named) titles.emplace_back("NAME");
  for (std::size_t i = 1; i < std::size(kColumns); ++i) {
    titles.emplace_back(SlotFieldName(kColumns[i]));
  }
  titles.emplace_back("USES");
  std::vector<std::vector<std::string>> rows;
  for (std::size_t s = 0; s < listing.Slots.size(); ++s) {
    const GeneratorSlot& slot = listing.Slots[s];
    std::vector<std::string> row = {std::to_string(s), SlotFieldText(slot, SlotField::Model)};
    if (named) row.push_back(ModelName(listing, slot.Model));
    for (std::size_t i = 1; i < std::size(kColumns); ++i) {
      row.push_back(SlotFieldText(slot, kColumns[i]));
    }
    row.push_back(std::to_string(slot.UsesRemaining));
    rows.push_back(std::move(row));
  }
  std::vector<std::size_t> widths(titles.size());
  for (std::size_t c = 0; c < titles.size(); ++c) {
    widths[c] = titles[c].size();
    for (const auto& row : rows) widths[c] = std::max(widths[c], row[c].size());
  }
  const std::size_t nameColumn = named ? 2 : titles.size();
  auto line = [&](const std::vector<std::string>& cells) {
    std::string text;
    for (std::size_t c = 0; c < cells.size(); ++c) {
      if (c > 0) text += "  ";
      const std::string pad(widths[c] - cells[c].size(), ' ');
      text += c == nameColumn ? cells[c] + pad : pad + cells[c];
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text + "\n";
  };
  std::string text = listing.Path + ": GTA III " + std::string(SavePlatformName(listing.Platform)) +
                     " save, " + std::to_string(listing.Length) + " bytes, " +
                     std::to_string(listing.Slots.size()) + " car generator(s) in use" +
                     (listing.ChecksumOk ? "" : ", checksum does not match") + "\n";
  text += line(titles);
  for (const auto& row : rows) text += line(row);
  return text;
}

std::string RenderSaveJson(const SaveListing& listing) {
  std::vector<JsonObject> rows;
  for (std::size_t s = 0; s < listing.Slots.size(); ++s) {
    const GeneratorSlot& slot = listing.Slots[s];
    JsonObject& row = rows.emplace_back();
    row.Number("slot", static_cast<std::int64_t>(s))
        .Exact("model", JsonNumber(slot, SlotField::Model))
        .String("name", ModelName(listing, slot.Model));
    for (std::size_t i = 1; i < std::size(kColumns); ++i) {
      row.Exact(kJsonNames[i], JsonNumber(slot, kColumns[i]));
    }
    row.Number("usesRemaining", slot.UsesRemaining);
  }
  JsonObject document;
  document.String("save", listing.Path)
      .String("platform", SavePlatformName(listing.Platform))
      .Number("length", listing.Length)
      .Bool("checksumOk", listing.ChecksumOk)
      .Number("generatorCount", static_cast<std::int64_t>(listing.Slots.size()));
  return document.Document("slots", rows);
}

std::string RenderSaveCsv(const SaveListing& listing) {
  std::string text = "slot,model,name";
  for (std::size_t i = 1; i < std::size(kColumns); ++i) text += std::string(",") + kJsonNames[i];
  text += ",usesRemaining\r\n";
  for (std::size_t s = 0; s < listing.Slots.size(); ++s) {
    const GeneratorSlot& slot = listing.Slots[s];
    text += std::to_string(s) + "," + SlotFieldText(slot, SlotField::Model) + "," +
            CsvCell(ModelName(listing, slot.Model));
    for (std::size_t i = 1; i < std::size(kColumns); ++i) {
      text += "," + SlotFieldText(slot, kColumns[i]);
    }
    text += "," + SlotFieldText(slot, SlotField::UsesRemaining) + "\r\n";
  }
  return text;
}

}  // namespace tovick
