#pragma once
// The parked-car generators in use in a save, as an aligned table, as JSON or as CSV.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "save/generator_slot.h"
#include "save/save_layout.h"
#include "vehicles/definitions.h"

namespace tovick {

struct SaveListing {
  std::string Path;
  SavePlatform Platform = SavePlatform::Pc;
  std::int64_t Length = 0;
  bool ChecksumOk = true;
  std::vector<GeneratorSlot> Slots;
  const VehicleTable* Vehicles = nullptr;  // names the models when set
};

// The slots in use of a save read whole, in slot order.
std::vector<GeneratorSlot> SlotsInUse(std::span<const std::uint8_t> save, const SaveLayout& layout);

// The model's name from the listing's definitions; empty without them or for an unnamed id.
std::string ModelName(const SaveListing& listing, std::int32_t model);

std::string RenderSaveTable(const SaveListing& listing);
std::string RenderSaveJson(const SaveListing& listing);
// A header row of the JSON's slot keys, then a row per generator in the same order: commas, '.'
// as the decimal point, CR LF line ends (a spreadsheet opens it as it is), a name holding a comma,
// quote or line end quoted as a spreadsheet writes it.
std::string RenderSaveCsv(const SaveListing& listing);

}  // namespace tovick
