#include "editor/start_up.h"

#include <optional>
#include <string>

#include "editor/load_definitions.h"
#include "editor/load_script.h"
#include "editor/remembered_paths.h"
#include "editor/show_block.h"
#include "editor/start_up_trace.h"
#include "scm/script_file.h"
#include "text/text_lines.h"
#include "zones/zones.h"

namespace tovick {

namespace {

// Reads a remembered definitions file into contents. The user is told about one that cannot be
// used, then asked again.
bool DefinitionsFileUsable(const std::string& path, UiPort& ui, std::string& contents) {
  switch (ReadTextFile(path, contents)) {
    case TextFileRead::Read:
      return true;
    case TextFileRead::CannotOpen:
      ui.Message("Couldn't open the .IDE file\r\n" + path);
      return false;
    case TextFileRead::TooLarge:
      ui.Message(FileTooLargeText(path));
      return false;
  }
  return false;
}

bool ScriptFileOpens(const std::string& path) {
  ScriptFile probe;
  return probe.Open(path);
}

// The path remembered in the start directory's file; nullopt when none is, or when the file is too
// large to be one of ours (the user is told, and asked for the game file as on a first start).
std::optional<std::string> RememberedPath(const AppState& state, UiPort& ui, const char* fileName) {
  const std::string file = state.Paths.StartDirectory + fileName;
  std::string path;
  const TextFileRead read = ReadRememberedPath(file, path);
  if (read == TextFileRead::TooLarge) ui.Message(FileTooLargeText(file));
  if (read != TextFileRead::Read) return std::nullopt;
  return path;
}

// A remembered path that no longer opens counts as not remembered: the user is told which file
// is gone and asked again, instead of the program ending at every start.
void StartUpDefinitions(AppState& state, UiPort& ui) {
  const std::optional<std::string> remembered = RememberedPath(state, ui, kDefinitionsPathFile);
  if (!remembered) {
    PromptForDefinitions(state, ui);
    return;
  }
  state.Paths.DefinitionsPath = *remembered;
  std::string contents;
  if (!DefinitionsFileUsable(*remembered, ui, contents)) {
    PromptForDefinitions(state, ui);
    return;
  }
  // Read once: no script is open yet for LoadDefinitions to close.
  UseDefinitions(state, ui, contents);
}

void StartUpMissionScript(AppState& state, UiPort& ui) {
  const std::optional<std::string> remembered = RememberedPath(state, ui, kScriptPathFile);
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

void PrepareStart(AppState& state, UiPort& ui, const std::string& currentDirectory) {
  // Native runs get POSIX paths; the program itself always sees a drive path.
  const char separator =
      (!currentDirectory.empty() && currentDirectory.front() == '/') ? '/' : '\\';
  state.Paths.DialogStartDirectory = CutToPathBuffer(currentDirectory);

  std::string startDirectory = currentDirectory;
  if (startDirectory.empty() || startDirectory.back() != separator) startDirectory += separator;
  state.Paths.StartDirectory = startDirectory;

  // A zone file that does not open means no zones, without a word; one too large is named.
  const std::string zoneFile = startDirectory + kZoneFile;
  if (ReadZones(zoneFile, state.Zones) == TextFileRead::TooLarge) {
    ui.Message(FileTooLargeText(zoneFile));
  }
}

void StartUp(AppState& state, UiPort& ui) {
  ShellFlags& flags = state.Flags;

  flags.LoadSucceeded = false;
  StartUpDefinitions(state, ui);
  if (!flags.LoadSucceeded) flags.MustQuit = true;
  MarkStartUp("definitions loaded");

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
  MarkStartUp("script loaded");

  if (!flags.MustQuit) ShowFirstBlock(state, ui);
  MarkStartUp("block 1 shown");
}

}  // namespace tovick
