#include "editor/load_script.h"

#include <array>
#include <cstdint>
#include <string>

#include "editor/remembered_paths.h"
#include "scm/car_table.h"
#include "text/number_text.h"

namespace tovick {

namespace {

constexpr const char kCrLf[] = "\r\n";

}  // namespace

void LoadMissionScript(AppState& state, UiPort& ui) {
  state.Script.Close();
  ui.ComboClear(Control::BlockList);
  state.Cars.Clear();
  state.Flags.CarTableError = false;
  state.UnsafeVehiclesEnabled = false;
  ui.SetChecked(Control::UnsafeCheck, false);

  const std::string& path = state.Paths.MissionScriptPath;
  if (!state.Script.Open(path)) {
    state.Flags.MustQuit = true;
    ui.Message("Couldn't open the .SCM file");
    return;
  }

  const std::int64_t length = state.Script.Length();
  if (length < kMinScriptLength) {
    state.Flags.MustQuit = true;
    ui.Message("Length of " + std::string(kCrLf) + path + kCrLf + "(" +
               NumberToText(static_cast<double>(length)) + ") too short");
    return;
  }

  // The window reaches past the shortest accepted file; ReadBytes gives zeros there.
  std::array<std::uint8_t, kScanWindowSize> window{};
  state.Script.ReadBytes(kScanFirst, window.data(), window.size());
  const ScanResult scan = ScanCarTable(window, state.Cars);
  {
    const ComboFill fill(ui, Control::BlockList, state.Cars.BlockCnt);
    for (std::int32_t n = 1; n <= state.Cars.BlockCnt; ++n) {
      ui.ComboAdd(Control::BlockList, Trim(NumberToText(n)));
    }
  }
  if (scan.CarTableError) {
    // The blocks found before the fault stay listed; the path box keeps the previous script.
    state.Flags.CarTableError = true;
    return;
  }

  ui.SetText(Control::ScriptPathLine, "  " + path);

  // Without this the user would type edits that can never reach the file.
  if (state.Script.Mode() == ScriptFile::OpenMode::ReadOnly) {
    ui.Message("The .SCM file is read-only. Changes can't be written to it.",
               MessageIcon::Exclamation);
  }
}

void ChooseMissionScript(AppState& state, UiPort& ui) {
  state.Flags.LoadSucceeded = false;

  const std::optional<std::string> chosen =
      ui.OpenFileDialog({"Load the MAIN.SCM file", "*.SCM", ".SCM FILES (*.SCM)", "*.*",
                         state.Paths.DialogStartDirectory});
  // A cancel leaves the loaded script, its table and its path as they were.
  if (!chosen) return;

  state.Script.Close();
  for (std::int32_t n = 1; n <= state.Cars.BlockCnt; ++n) state.PlugInMarks[n] = 0;

  state.Paths.MissionScriptPath = CutToPathBuffer(*chosen);
  LoadMissionScript(state, ui);
  if (state.Flags.CarTableError || state.Flags.MustQuit) return;

  state.Flags.LoadSucceeded = true;
  // A path file that cannot be written only costs the user a dialog at the next start.
  RememberPath(state.Paths.StartDirectory + kScriptPathFile, state.Paths.MissionScriptPath);
}

}  // namespace tovick
