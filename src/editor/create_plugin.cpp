#include "editor/create_plugin.h"

#include <optional>
#include <string>

#include "editor/apply_changes.h"
#include "editor/plugin_dialogs.h"
#include "editor/remembered_paths.h"
#include "editor/show_block.h"
#include "plugin/plugin_create.h"
#include "plugin/plugin_messages.h"
#include "plugin/script_reader.h"
#include "scm/file_in_one_step.h"

namespace tovick {

void CreatePlugIn(AppState& state, UiPort& ui) {
  // Values typed for the shown block go into the plug-in when they pass the checks; a refusal is
  // shown and creation goes on with what the script holds.
  ApplyChanges(state, ui);
  ShowBlock(state, ui);

  if (CountMarkedBlocks(state.Cars, state.PlugInMarks) == 0) {
    ShowNotice(ui, NoBlocksMarkedNotice());
    return;
  }

  const std::optional<std::string> chosen =
      ui.SaveFileDialog(PlugInDialog("Create Plug-In", state));
  if (!chosen) return;
  const std::string name = CutToPathBuffer(PlugInFileName(*chosen));
  // The dialog asked before overwriting the name as chosen, not the name with the extension added.
  if (name != *chosen && state.Files->Exists(name) &&
      !ui.AskYesNo(NoticeBox(ReplaceExistingQuestion(name)))) {
    return;
  }

  const PlugInCreation creation =
      PlanPlugInCreation(state.Cars, state.PlugInMarks, ReaderOf(state.Script));
  if (!creation.Complete()) {
    ShowNotice(ui, InvalidHiCarIdNotice());
    return;
  }

  switch (WriteFileInOneStep(*state.Files, name, creation.Content)) {
    case OneStepWrite::Written:
      ShowNotice(ui, CreatedNotice(name, creation.RecordCount));
      return;
    case OneStepWrite::NotPermitted:
    case OneStepWrite::InTheWay:
    case OneStepWrite::NotCreated:
      ShowNotice(ui, CouldNotCreateNotice(name));
      return;
    case OneStepWrite::NotWritten:
      ShowNotice(ui, CouldNotWriteNotice(name));
      return;
  }
}

}  // namespace tovick
