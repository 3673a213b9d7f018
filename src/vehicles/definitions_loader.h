#pragma once
#include "app/app_state.h"
#include "app/ui_port.h"

namespace tovick {

// Reads DefinitionsPath into the vehicle table and the search list.
void LoadDefinitions(AppState& state, UiPort& ui);
// The "Load DEFAULT.IDE" dialog, then LoadDefinitions.
void PromptForDefinitions(AppState& state, UiPort& ui);

}  // namespace tovick
