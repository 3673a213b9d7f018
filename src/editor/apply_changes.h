#pragma once
#include "editor/app_state.h"
#include "editor/ui_port.h"

namespace tovick {

// Checks the shown block's edits field by field and writes each accepted value into the script.
void ApplyChanges(AppState& state, UiPort& ui);

}  // namespace tovick
