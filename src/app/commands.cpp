#include "app/commands.h"

#include <optional>
#include <string>

#include "app/remembered_paths.h"
#include "app/zones.h"
#include "scm/block_view.h"
#include "scm/script_file.h"
#include "scm/script_loader.h"
#include "text/number_text.h"
#include "text/text_lines.h"
#include "vehicles/apply_changes.h"
#include "vehicles/definitions_loader.h"

namespace tovick {

namespace {

bool DefinitionsFileOpens(const std::string& path) {
  std::string contents;
  return ReadWholeFile(path, contents);
}

bool ScriptFileOpens(const std::string& path) {
  ScriptFile probe;
  return probe.Open(path);
}

// A remembered path that no longer opens counts as not remembered: the user is told which file
// is gone and asked again, instead of the program ending at every start.
void StartUpDefinitions(AppState& state, UiPort& ui) {
  const std::optional<std::string> remembered =
      ReadRememberedPath(state.Paths.StartDirectory + kDefinitionsPathFile);
  if (!remembered) {
    PromptForDefinitions(state, ui);
    return;
  }
  state.Paths.DefinitionsPath = *remembered;
  if (!DefinitionsFileOpens(*remembered)) {
    ui.Message("Couldn't open the .IDE file\r\n" + *remembered);
    PromptForDefinitions(state, ui);
    return;
  }
  LoadDefinitions(state, ui);
}

void StartUpMissionScript(AppState& state, UiPort& ui) {
  const std::optional<std::string> remembered =
      ReadRememberedPath(state.Paths.StartDirectory + kScriptPathFile);
  if (!remembered) {
    ChooseMissionScript(state, ui);
    return;
  }
  state.Paths.MissionScriptPath = *remembered;
  if (!ScriptFileOpens(*remembered)) {
    ui.Message("Couldn't open the .SCM file");
    ChooseMissionScript(state, ui);
    return;
  }
  LoadMissionScript(state, ui);
  if (!state.Flags.CarTableError && !state.Flags.MustQuit) state.Flags.LoadSucceeded = true;
}

void ShowFirstBlock(AppState& state, UiPort& ui) {
  ui.ComboSelect(Control::BlockList, 0);
  ShowBlock(state, ui);
}

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

void PrepareStart(AppState& state, const std::string& currentDirectory) {
  // Native runs get POSIX paths; the program itself always sees a drive path.
  const char separator =
      (!currentDirectory.empty() && currentDirectory.front() == '/') ? '/' : '\\';
  state.Paths.DialogStartDirectory = CutToPathBuffer(currentDirectory);

  std::string startDirectory = currentDirectory;
  if (startDirectory.empty() || startDirectory.back() != separator) startDirectory += separator;
  state.Paths.StartDirectory = startDirectory;

  state.Zones = ReadZones(startDirectory + kZoneFile);
}

void StartUp(AppState& state, UiPort& ui) {
  ShellFlags& flags = state.Flags;

  flags.LoadSucceeded = false;
  StartUpDefinitions(state, ui);
  if (!flags.LoadSucceeded) flags.MustQuit = true;

  if (!flags.MustQuit) {
    flags.LoadSucceeded = false;
    StartUpMissionScript(state, ui);
  }
  if (!flags.LoadSucceeded) flags.MustQuit = true;

  if (flags.CarTableError) {
    ui.Message("Error in car table. Please replace MAIN.SCM.");
    flags.MustQuit = true;
    state.Script.Close();
  }

  if (!flags.MustQuit) ShowFirstBlock(state, ui);
}

AfterCommand RunCommand(AppState& state, UiPort& ui, Command command) {
  switch (command) {
    case Command::CreatePlugIn:
    case Command::LoadAndUsePlugIn:
    case Command::SearchListChanged:
    case Command::Search:
      // Plug-ins and the vehicle search are not part of this program yet.
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
