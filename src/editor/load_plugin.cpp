#include "editor/load_plugin.h"

#include <optional>
#include <string>

#include "editor/plugin_dialogs.h"
#include "editor/remembered_paths.h"
#include "editor/show_block.h"
#include "plugin/plugin_apply.h"
#include "plugin/plugin_messages.h"
#include "plugin/script_reader.h"
#include "text/text_lines.h"

namespace tovick {

namespace {

// One record's writes, in order; false at the first that does not reach the script.
bool WriteRecord(ScriptFile& script, const PlugInStep& step) {
  for (const PlugInWrite& write : step.Writes) {
    const bool written =
        write.Width == 1 ? script.WriteByte(write.Offset, static_cast<std::uint8_t>(write.Value))
                         : script.WriteWord(write.Offset, write.Value);
    if (!written) return false;
  }
  return true;
}

}  // namespace

void LoadAndUsePlugIn(AppState& state, UiPort& ui) {
  const std::optional<std::string> chosen =
      ui.OpenFileDialog(PlugInDialog("Load and use Plug-In", state));
  if (!chosen) return;
  const std::string name = CutToPathBuffer(*chosen);
  std::string contents;
  if (!ReadWholeFile(name, contents)) {
    ShowNotice(ui, CouldNotOpenNotice(name));
    return;
  }

  // Cleared before the header is read: a refused file leaves no block marked.
  for (int n = 1; n <= state.Cars.BlockCnt && n <= kMaxPlugInMark; ++n) {
    state.PlugInMarks[static_cast<std::size_t>(n)] = 0;
  }

  // A file refused at its header has written nothing: the view stays as it is, with any edits the
  // user has not applied yet.
  PlugInApplier applier(contents, state.Cars, ReaderOf(state.Script));
  if (!applier.HeaderOk()) {
    ShowNotice(ui, InvalidPlugInNotice());
    return;
  }

  // Every later stop refreshes the block view: it may show values that earlier records replaced,
  // and the next command that applies the view's edits would write them back over the plug-in's.

  int recordCount = 0;
  while (const std::optional<PlugInStep> step = applier.Next()) {
    if (step->MarkBlock) state.PlugInMarks[static_cast<std::size_t>(*step->MarkBlock)] = 1;
    if (step->Kind == PlugInStepKind::Record) {
      if (!WriteRecord(state.Script, *step)) {
        ShowNotice(ui, ScriptNotWrittenNotice(recordCount));
        ShowBlock(state, ui);
        return;
      }
      ++recordCount;
      continue;
    }
    if (const std::optional<PlugInNotice> notice = StepNotice(*step)) ShowNotice(ui, *notice);
    if (step->Stops()) {
      ShowBlock(state, ui);
      return;
    }
  }

  ShowBlock(state, ui);
  ShowNotice(ui, PatchingSuccessNotice(recordCount));
}

}  // namespace tovick
