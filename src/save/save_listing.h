#pragma once
// The parked-car generators in use in a save, as an aligned table or as JSON.

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

}  // namespace tovick
