#pragma once
#include <string_view>

#include "editor/app_state.h"
#include "editor/ui_port.h"

namespace tovick {

// Reads DefinitionsPath into the vehicle table and the search list.
void LoadDefinitions(AppState& state, UiPort& ui);
// The same once DefinitionsPath has been read into contents.
void UseDefinitions(AppState& state, UiPort& ui, std::string_view contents);
// The "Load DEFAULT.IDE" dialog, then LoadDefinitions.
void PromptForDefinitions(AppState& state, UiPort& ui);

}  // namespace tovick
