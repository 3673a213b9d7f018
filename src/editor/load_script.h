#pragma once
#include "editor/app_state.h"
#include "editor/ui_port.h"

namespace tovick {

// Opens MissionScriptPath, checks its length, scans the car table and fills the block list.
void LoadMissionScript(AppState& state, UiPort& ui);
// The "Load the MAIN.SCM file" dialog, then LoadMissionScript and remembering the path.
void ChooseMissionScript(AppState& state, UiPort& ui);

}  // namespace tovick
