#include "editor/commands.h"

#include <optional>
#include <string>

#include "editor/apply_changes.h"
#include "editor/create_plugin.h"
#include "editor/load_definitions.h"
#include "editor/load_plugin.h"
#include "editor/load_script.h"
#include "editor/search_for_car.h"
#include "editor/show_block.h"

namespace tovick {

namespace {

AfterCommand ReloadDefinitions(AppState& state, UiPort& ui) {
  PromptForDefinitions(state, ui);
  if (state.Flags.MustQuit) return AfterCommand::PostQuit;
  // Any definitions load has closed the script, so it is opened and scanned again.
  if (!state.Paths.MissionScriptPath.empty()) {
    LoadMissionScript(state, ui);
  } else {
    ChooseMissionScript(state, ui);
  }
  if (state.Flags.CarTableError) state.Flags.MustQuit = true;
  if (state.Flags.MustQuit) return AfterCommand::PostQuit;
  ShowFirstBlock(state, ui);
  return AfterCommand::Nothing;
}

// The check box never ticks itself: the pending edits go in first, then box and flag change
// together.
void ToggleUnsafeVehicles(AppState& state, UiPort& ui) {
  const bool wasTicked = ui.IsChecked(Control::UnsafeCheck);
  ApplyChanges(state, ui);
  ui.SetChecked(Control::UnsafeCheck, !wasTicked);
  state.UnsafeVehiclesEnabled = !wasTicked;
  ShowBlock(state, ui);
}

}  // namespace

AfterCommand RunCommand(AppState& state, UiPort& ui, Command command) {
  switch (command) {
    case Command::CreatePlugIn:
      CreatePlugIn(state, ui);
      return AfterCommand::Nothing;
    case Command::LoadAndUsePlugIn:
      LoadAndUsePlugIn(state, ui);
      return AfterCommand::Nothing;
    case Command::SearchListChanged:
    case Command::Search:
      SearchForCar(state, ui);
      return AfterCommand::Nothing;
    case Command::ScrollFaster:
      state.Scroller.SetScrollRequest(kScrollNotch);
      return AfterCommand::Nothing;
    case Command::ScrollSlower:
      state.Scroller.SetScrollRequest(-kScrollNotch);
      return AfterCommand::Nothing;
    case Command::TogglePlugInMark:
      ApplyChanges(state, ui);
      TogglePlugInMark(state, ui);
      return AfterCommand::Nothing;
    case Command::BlockListChanged:
      ShowBlock(state, ui);
      return AfterCommand::Nothing;
    case Command::LoadDefinitions:
      return ReloadDefinitions(state, ui);
    case Command::LoadMissionScript:
      ChooseMissionScript(state, ui);
      if (state.Flags.MustQuit) return AfterCommand::PostQuit;
      ShowFirstBlock(state, ui);
      return AfterCommand::Nothing;
    case Command::Exit:
      return AfterCommand::SendClose;
    case Command::ApplyChanges:
      ApplyChanges(state, ui);
      ShowBlock(state, ui);
      return AfterCommand::Nothing;
    case Command::ToggleUnsafe:
      ToggleUnsafeVehicles(state, ui);
      return AfterCommand::Nothing;
  }
  return AfterCommand::Nothing;
}

void TogglePlugInMark(AppState& state, UiPort& ui) {
  const std::optional<int> n = SelectedBlockNumber(state, ui);
  if (!n) return;
  std::uint8_t& mark = state.PlugInMarks[static_cast<std::size_t>(*n)];
  mark = ui.IsChecked(Control::PlugInCheck) ? 0 : 1;
  ShowBlock(state, ui);
}

void Closing(AppState& state, UiPort& ui) {
  state.Script.Close();
  MessageBoxRequest request;
  request.Text = "You must start a new game for any changes to take effect";
  request.Caption = " ";
  request.Icon = MessageIcon::Information;
  request.OwnedByMainWindow = false;
  ui.ShowMessage(request);
}

}  // namespace tovick
