#pragma once
// The main window's 41 child controls: one table of data, created in table order, and the handles
// kept for the whole run.

#include <windows.h>

#include <array>
#include <cstddef>

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
constexpr int kButtonCount = 11;

// Button numbers other code reaches buttons by.
constexpr int kExitButton = 1;
constexpr int kApplyButton = 2;
constexpr int kSearchButton = 3;
constexpr int kUnsafeButton = 4;
constexpr int kLoadDefinitionsButton = 5;
constexpr int kLoadScriptButton = 6;
constexpr int kCreatePlugInButton = 7;
constexpr int kLoadPlugInButton = 8;
constexpr int kFasterButton = 9;
constexpr int kSlowerButton = 10;
constexpr int kPlugInButton = 11;

constexpr int kScrollerStripId = 132;

// Captions by button number; index 0 stays empty.
inline constexpr std::array<const char*, kButtonCount + 1> kButtonCaptions = {
    "",
    "EXIT",
    "APPLY CHANGES",
    "SEARCH",
    "ENABLE UNSAFE VEHICLES",
    "LOAD DEFAULT.IDE",
    "LOAD MAIN.SCM",
    "CREATE PLUG-IN",
    "LOAD AND USE PLUG-IN",
    "<",
    ">",
    "USE BLOCK IN PLUG-IN",
};

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
  int button;  // button number, 0 for the other controls
};

extern const std::array<ControlSpec, kControlCount> kControlTable;

struct ControlHandles {
  std::array<HWND, kControlCount + 1> Rows{};    // by Row; index 0 unused
  std::array<HWND, kButtonCount + 1> Buttons{};  // by button number; index 0 unused

  HWND operator[](Row row) const { return Rows[static_cast<std::size_t>(row)]; }
  HWND Button(int number) const { return Buttons[static_cast<std::size_t>(number)]; }
};

// The control font: the stock system font's description with height 15, width 0, weight 200,
// upright, face "Courier New".
HFONT CreateControlFont();

// Creates every control as a visible child of parent, each given font right away (no redraw).
// Returns false when a control could not be created; the handles made so far are kept.
bool CreateControls(HWND parent, HINSTANCE instance, HFONT font, ControlHandles& handles);

}  // namespace tovick::win32
