#pragma once
// The vehicle search: moves the block list's selection forward block by block, showing each block
// it passes, and stops at the first block holding the vehicle chosen in the search list. Repeated
// searches step through every block with that vehicle; it only reads the script.

#include "editor/app_state.h"
#include "editor/ui_port.h"

namespace tovick {

void SearchForCar(AppState& state, UiPort& ui);

}  // namespace tovick
