#include "editor/plugin_dialogs.h"

#include <utility>

#include "plugin/plugin_create.h"

namespace tovick {

FileDialogRequest PlugInDialog(std::string title, const AppState& state) {
  const std::string pattern = "*" + std::string(kPlugInExtension);
  return {std::move(title), pattern,
          std::string(kPlugInExtension) + " Plug-In Files (" + pattern + ")", "*.*",
          state.Paths.DialogStartDirectory};
}

MessageBoxRequest NoticeBox(const PlugInNotice& notice) {
  return {notice.Text, notice.Caption, notice.Refusal ? MessageIcon::Error : MessageIcon::None,
          true};
}

void ShowNotice(UiPort& ui, const PlugInNotice& notice) {
  ui.ShowMessage(NoticeBox(notice));
}

}  // namespace tovick
