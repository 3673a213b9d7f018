#pragma once

#include <optional>

#include "editor/app_state.h"
#include "editor/ui_port.h"

namespace tovick {

// The number of the block selected in the block list, after the checks every command on the shown
// block makes: no selection beeps, a number past BlockCnt or a block without an address is
// reported. nullopt when a check failed.
std::optional<int> SelectedBlockNumber(const AppState& state, UiPort& ui);

// Shows the block selected in the block list in every data control.
void ShowBlock(AppState& state, UiPort& ui);

// Selects block 1 in the block list and shows it.
void ShowFirstBlock(AppState& state, UiPort& ui);

}  // namespace tovick
