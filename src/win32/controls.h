#pragma once
// The main window's 41 child controls: one table of data, created in table order, and the handles
// kept for the whole run. The table is the one list of the controls: each row names its place
// (Row) and, for the controls the operations reach, the UI port's name for it (Control).

#include <windows.h>

#include <array>
#include <cstddef>
#include <optional>

#include "editor/ui_port.h"

namespace tovick::win32 {

// Every control by its place in the creation table (1-based, in creation order).
enum class Row : int {
  BlockLabel = 1,
  CarLabel,
  SearchLabel,
  XPosLabel,
  XPosText,
  YPosLabel,
  YPosText,
  HeadingLabel,
  HeadingText,
  UtellmeLabel,
  UtellmeText,
  AlarmLabel,
  AlarmText,
  LockLabel,
  LockText,
  ZoneBox,
  HelpText,
  DefinitionsPathLine,
  ScriptPathLine,
  WarningLine,
  ScrollerStrip,
  BlockList,
  VehicleList,
  SearchList,
  ExitButton,
  SearchButton,
  UnsafeCheck,
  PlugInCheck,
  ApplyButton,
  LoadDefinitionsButton,
  LoadScriptButton,
  CreatePlugInButton,
  LoadPlugInButton,
  FasterButton,
  SlowerButton,
  XPosEdit,
  LockEdit,
  YPosEdit,
  HeadingEdit,
  UtellmeEdit,
  AlarmEdit,
};

constexpr int kControlCount = 41;

constexpr int kScrollerStripId = 132;

// The help text shown in its bordered box: seven lines, CR LF between them, none after the last.
inline constexpr const char* kHelpText =
    "X-POS: Add 50 units to move the vehicle about 1 car-length east.\r\n"
    "Y-POS: Add 50 units to move the vehicle about 1 car-length north.\r\n"
    "HEADING: 0=north, 1440=west, 2880=south, 4320=east. Adding 16 units\r\n"
    "         turns the vehicle 1 degree counterclockwise.\r\n"
    "         Degrees: 0=north, 90=west, 180=south, 270=east.\r\n"
    "ALARM: Vehicle Alarm. How often the alarm goes off in percent. \r\n"
    "LOCK: Door locks. How often the car is locked in percent. ";

struct ControlSpec {
  Row row;
  const char* className;
  const char* text;  // nullptr: no text at creation
  int x, y, width, height;
  DWORD style;  // beyond WS_CHILD | WS_VISIBLE
  DWORD exStyle;
  int id;
  std::optional<Control> port;  // the UI port's name for the control, if the operations reach it
};

extern const std::array<ControlSpec, kControlCount> kControlTable;

// The table row of a control the UI port names.
Row RowOf(Control control);

// The creation data of a control: its caption and place, for whoever needs them after creation.
inline const ControlSpec& SpecOf(Row row) {
  return kControlTable[static_cast<std::size_t>(row) - 1];
}

struct ControlHandles {
  std::array<HWND, kControlCount + 1> Rows{};  // by Row; index 0 unused

  HWND operator[](Row row) const { return Rows[static_cast<std::size_t>(row)]; }
  HWND operator[](Control control) const { return (*this)[RowOf(control)]; }
};

// The control font: the stock system font's description with height 15, width 0, weight 200,
// upright, face "Courier New".
HFONT CreateControlFont();

// Creates every control as a visible child of parent, each given font right away (no redraw).
// Returns false when a control could not be created; the handles made so far are kept.
bool CreateControls(HWND parent, HINSTANCE instance, HFONT font, ControlHandles& handles);

}  // namespace tovick::win32
