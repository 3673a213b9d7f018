#pragma once
#include "editor/app_state.h"
#include "editor/ui_port.h"

namespace tovick {

// "LOAD AND USE PLUG-IN": writes the records of a plug-in chosen in the open dialog into the
// script, record by record, and marks their blocks. Pending edits are not applied first.
void LoadAndUsePlugIn(AppState& state, UiPort& ui);

}  // namespace tovick
