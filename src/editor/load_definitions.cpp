#include "editor/load_definitions.h"

#include <optional>
#include <string>

#include "editor/remembered_paths.h"
#include "text/text_lines.h"
#include "vehicles/definitions.h"

namespace tovick {

void LoadDefinitions(AppState& state, UiPort& ui) {
  // Only the mission script is ever held open; the caller reopens it after this load.
  state.Script.Close();

  std::string contents;
  const TextFileRead fileRead = ReadTextFile(state.Paths.DefinitionsPath, contents);
  if (fileRead != TextFileRead::Read) {
    // A file that does not open ends the program without a word; one that is far too large to be
    // a definitions file is named, or the user would never learn why.
    if (fileRead == TextFileRead::TooLarge)
      ui.Message(FileTooLargeText(state.Paths.DefinitionsPath));
    state.Flags.MustQuit = true;
    return;
  }
  UseDefinitions(state, ui, contents);
}

void UseDefinitions(AppState& state, UiPort& ui, std::string_view contents) {
  const DefinitionsRead read = ReadDefinitions(contents, state.Vehicles);
  ui.ComboClear(Control::SearchList);
  {
    const ComboFill fill(ui, Control::SearchList, static_cast<int>(read.SearchItems.size()));
    for (const std::string& item : read.SearchItems) ui.ComboAdd(Control::SearchList, item);
  }

  if (read.AcceptedLines < kRequiredVehicleLines) {
    ui.Message(MissingCarsText(read.AcceptedLines));
    state.Flags.MustQuit = true;
    return;
  }

  state.Flags.LoadSucceeded = true;
  // A path file that cannot be written only costs the user a dialog at the next start.
  RememberPath(state.Paths.StartDirectory + kDefinitionsPathFile, state.Paths.DefinitionsPath);
  ui.SetText(Control::DefinitionsPathLine, "  " + state.Paths.DefinitionsPath);
}

void PromptForDefinitions(AppState& state, UiPort& ui) {
  const std::optional<std::string> chosen = ui.OpenFileDialog(
      {"Load DEFAULT.IDE", "*.IDE", ".IDE FILES (*.IDE)", "*.*", state.Paths.DialogStartDirectory});
  if (!chosen) return;

  state.Paths.DefinitionsPath = CutToPathBuffer(*chosen);
  LoadDefinitions(state, ui);
}

}  // namespace tovick
