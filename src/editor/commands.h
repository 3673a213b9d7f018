#pragma once
// The command dispatch and closing, expressed over the UI port so that the window procedure only
// maps window handles to commands and carries out what comes back.

#include "editor/app_state.h"
#include "editor/ui_port.h"

namespace tovick {

// In the order the window procedure compares the sending control's handle.
enum class Command {
  CreatePlugIn,
  LoadAndUsePlugIn,
  ScrollFaster,        // "<"
  ScrollSlower,        // ">"
  TogglePlugInMark,    // "USE BLOCK IN PLUG-IN"
  BlockListChanged,    // block list, CBN_SELCHANGE
  SearchListChanged,   // search list, CBN_SELCHANGE
  LoadDefinitions,     // "LOAD DEFAULT.IDE"
  LoadMissionScript,   // "LOAD MAIN.SCM"
  Exit,                // "EXIT"
  Search,              // "SEARCH"
  ApplyChanges,        // "APPLY CHANGES"
  ToggleUnsafe,        // "ENABLE UNSAFE VEHICLES"
};

// What the window must do after a command.
enum class AfterCommand { Nothing, PostQuit, SendClose };

AfterCommand RunCommand(AppState& state, UiPort& ui, Command command);
void TogglePlugInMark(AppState& state, UiPort& ui);
// Closes the script and shows the closing message (no owner, information icon).
void Closing(AppState& state, UiPort& ui);

}  // namespace tovick
