#include "editor/start_up.h"

#include <optional>
#include <string>

#include "editor/load_definitions.h"
#include "editor/load_script.h"
#include "editor/remembered_paths.h"
#include "editor/show_block.h"
#include "scm/script_file.h"
#include "text/text_lines.h"
#include "zones/zones.h"

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

}  // namespace tovick
