#pragma once
#include "editor/app_state.h"
#include "editor/ui_port.h"

namespace tovick {

// "CREATE PLUG-IN": applies the shown block's edits, then writes every marked block to a plug-in
// file chosen in the save dialog.
void CreatePlugIn(AppState& state, UiPort& ui);

}  // namespace tovick
