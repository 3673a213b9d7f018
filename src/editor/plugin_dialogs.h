#pragma once
// What creating and applying a plug-in share in the window: their file dialog and how a plug-in
// notice becomes a message box.

#include <string>

#include "editor/app_state.h"
#include "editor/ui_port.h"
#include "plugin/plugin_messages.h"

namespace tovick {

// The save or open dialog for plug-ins, with this title.
FileDialogRequest PlugInDialog(std::string title, const AppState& state);

// Owned by the main window; a refusal carries the error icon.
MessageBoxRequest NoticeBox(const PlugInNotice& notice);
void ShowNotice(UiPort& ui, const PlugInNotice& notice);

}  // namespace tovick
