#pragma once
#include "app/app_state.h"
#include "app/ui_port.h"

namespace tovick {

// Shows the block selected in the block list in every data control.
void ShowBlock(AppState& state, UiPort& ui);

}  // namespace tovick
