#pragma once
// A save's generators in use drawn as the script's map draws its blocks.

#include <string>

#include "save/save_listing.h"
#include "zones/zones.h"

namespace tovick {

// One marker per slot in use (id "slot-N"), pointing along the slot's heading; grey when switched
// off (no uses remaining). The slot's position and heading are world units and degrees already.
std::string RenderSaveMap(const SaveListing& listing, const ZoneTable& zones);

}  // namespace tovick
