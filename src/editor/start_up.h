#pragma once
// The program's start: the start directories and zones, then loading both game files and showing
// the first block.

#include <string>

#include "editor/app_state.h"
#include "editor/ui_port.h"

namespace tovick {

// Sets the start directories from the current directory and reads the zone file (a zone file too
// large to use is told through ui).
void PrepareStart(AppState& state, UiPort& ui, const std::string& currentDirectory);
// Start-up loading: both game files, the car-table check, block 1. Leaves Flags.MustQuit set when
// the program must end.
void StartUp(AppState& state, UiPort& ui);

}  // namespace tovick
