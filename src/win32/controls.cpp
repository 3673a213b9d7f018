#include "win32/controls.h"

#include <cstring>

namespace tovick::win32 {

namespace {

constexpr DWORD kLabel = SS_LEFT;
constexpr DWORD kCentred = SS_CENTER;
constexpr DWORD kBordered = SS_LEFT | WS_BORDER;
constexpr DWORD kCombo = CBS_DROPDOWNLIST | WS_VSCROLL | WS_BORDER;  // unsorted: items keep order
constexpr DWORD kPush = BS_PUSHBUTTON;
constexpr DWORD kCheck = BS_CHECKBOX;              // never ticks itself: the program sets the state
constexpr DWORD kEdit = ES_LEFT;                   // no auto-scroll: the box holds what fits
constexpr DWORD kStrip = SS_CENTER | SS_NOPREFIX;  // "&" in the scrolling text shows as is
constexpr DWORD kSunken = WS_EX_CLIENTEDGE;

constexpr const char* kStatic = "static";
constexpr const char* kComboBox = "combobox";
constexpr const char* kButton = "button";
constexpr const char* kEditBox = "edit";

constexpr int kStripId = kScrollerStripId;

}  // namespace

// clang-format off
// Row, class, text, x, y, width, height, style, extended style, id, the UI port's name.
constexpr std::array<ControlSpec, kControlCount> kControlTable = [] {
  using enum Row;
  return std::array<ControlSpec, kControlCount>{{
      {BlockLabel,            kStatic,   "BLOCK",                  5,   35,  55,  15,  kLabel,    0,       0,        {}},
      {CarLabel,              kStatic,   "CAR IN BLOCK",           75,  35,  100, 15,  kLabel,    0,       0,        {}},
      {SearchLabel,           kStatic,   "SEARCH FOR CAR",         75,  115, 100, 15,  kLabel,    0,       0,        {}},
      {XPosLabel,             kStatic,   "X-POS",                  200, 35,  60,  15,  kCentred,  0,       0,        {}},
      {XPosText,              kStatic,   " ",                      200, 75,  60,  15,  kBordered, 0,       0,        Control::XPosText},
      {YPosLabel,             kStatic,   "Y-POS",                  270, 35,  60,  15,  kCentred,  0,       0,        {}},
      {YPosText,              kStatic,   " ",                      270, 75,  60,  15,  kBordered, 0,       0,        Control::YPosText},
      {HeadingLabel,          kStatic,   "HEADING",                340, 35,  60,  15,  kCentred,  0,       0,        {}},
      {HeadingText,           kStatic,   " ",                      340, 75,  60,  15,  kBordered, 0,       0,        Control::HeadingText},
      {UtellmeLabel,          kStatic,   "UTELLME",                410, 35,  60,  15,  kCentred,  0,       0,        {}},
      {UtellmeText,           kStatic,   " ",                      410, 75,  60,  15,  kBordered, 0,       0,        Control::UtellmeText},
      {AlarmLabel,            kStatic,   "ALARM",                  480, 35,  60,  15,  kCentred,  0,       0,        {}},
      {AlarmText,             kStatic,   " ",                      480, 75,  60,  15,  kBordered, 0,       0,        Control::AlarmText},
      {LockLabel,             kStatic,   "LOCK",                   550, 35,  60,  15,  kCentred,  0,       0,        {}},
      {LockText,              kStatic,   " ",                      550, 75,  75,  15,  kBordered, 0,       0,        Control::LockText},
      {ZoneBox,               kStatic,   " ",                      230, 110, 300, 60,  kBordered, 0,       0,        Control::ZoneBox},
      {HelpText,              kStatic,   kHelpText,                70,  245, 500, 120, kBordered, 0,       0,        {}},
      {DefinitionsPathLine,   kStatic,   " ",                      170, 400, 450, 20,  kBordered, 0,       0,        Control::DefinitionsPathLine},
      {ScriptPathLine,        kStatic,   " ",                      170, 425, 450, 20,  kBordered, 0,       0,        Control::ScriptPathLine},
      {WarningLine,           kStatic,   " ",                      230, 185, 300, 20,  kCentred,  kSunken, 0,        Control::WarningLine},
      {ScrollerStrip,         kStatic,   " ",                      48,  215, 540, 20,  kStrip,    kSunken, kStripId, {}},
      {BlockList,             kComboBox, nullptr,                  5,   50,  50,  150, kCombo,    0,       1,        Control::BlockList},
      {VehicleList,           kComboBox, nullptr,                  75,  50,  120, 150, kCombo,    0,       2,        Control::VehicleList},
      {SearchList,            kComboBox, nullptr,                  75,  130, 120, 150, kCombo,    0,       3,        Control::SearchList},
      {ExitButton,            kButton,   "EXIT",                   550, 5,   65,  20,  kPush,     0,       201,      {}},
      {SearchButton,          kButton,   "SEARCH",                 5,   130, 65,  22,  kPush,     0,       203,      {}},
      {UnsafeCheck,           kButton,   "ENABLE UNSAFE VEHICLES", 15,  160, 180, 22,  kCheck,    0,       204,      Control::UnsafeCheck},
      {PlugInCheck,           kButton,   "USE BLOCK IN PLUG-IN",   15,  90,  165, 20,  kCheck,    0,       211,      Control::PlugInCheck},
      {ApplyButton,           kButton,   "APPLY CHANGES",          5,   5,   540, 20,  kPush,     0,       202,      {}},
      {LoadDefinitionsButton, kButton,   "LOAD DEFAULT.IDE",       10,  400, 150, 20,  kPush,     0,       205,      {}},
      {LoadScriptButton,      kButton,   "LOAD MAIN.SCM",          10,  425, 150, 20,  kPush,     0,       206,      {}},
      {CreatePlugInButton,    kButton,   "CREATE PLUG-IN",         118, 372, 195, 20,  kPush,     0,       207,      {}},
      {LoadPlugInButton,      kButton,   "LOAD AND USE PLUG-IN",   323, 372, 195, 20,  kPush,     0,       208,      {}},
      // "<" and ">" sit 5 pixels either side of the scroller strip.
      {FasterButton,          kButton,   "<",                      23,  215, 20,  20,  kPush,     0,       209,      {}},
      {SlowerButton,          kButton,   ">",                      593, 215, 20,  20,  kPush,     0,       210,      {}},
      {XPosEdit,              kEditBox,  "",                       200, 52,  60,  20,  kEdit,     kSunken, 0,        Control::XPosEdit},
      {LockEdit,              kEditBox,  "",                       550, 52,  60,  20,  kEdit,     kSunken, 0,        Control::LockEdit},
      {YPosEdit,              kEditBox,  "",                       270, 52,  60,  20,  kEdit,     kSunken, 0,        Control::YPosEdit},
      {HeadingEdit,           kEditBox,  "",                       340, 52,  60,  20,  kEdit,     kSunken, 0,        Control::HeadingEdit},
      {UtellmeEdit,           kEditBox,  "",                       410, 52,  60,  20,  kEdit,     kSunken, 0,        Control::UtellmeEdit},
      {AlarmEdit,             kEditBox,  "",                       480, 52,  60,  20,  kEdit,     kSunken, 0,        Control::AlarmEdit},
  }};
}();
// clang-format on

namespace {

constexpr bool RowsInTableOrder() {
  for (std::size_t i = 0; i < kControlTable.size(); ++i) {
    if (static_cast<std::size_t>(kControlTable[i].row) != i + 1) return false;
  }
  return true;
}
static_assert(RowsInTableOrder(), "each control's Row must be its place in the table");

// The row of every control the UI port names, by Control; each must have exactly one row.
constexpr std::array<Row, kPortControlCount> kRowOfControl = [] {
  std::array<Row, kPortControlCount> rows{};
  for (const ControlSpec& spec : kControlTable) {
    if (spec.port) rows[static_cast<std::size_t>(*spec.port)] = spec.row;
  }
  return rows;
}();

constexpr bool EveryPortControlHasOneRow() {
  for (std::size_t control = 0; control < kRowOfControl.size(); ++control) {
    int rows = 0;
    for (const ControlSpec& spec : kControlTable) {
      if (spec.port && static_cast<std::size_t>(*spec.port) == control) ++rows;
    }
    if (rows != 1) return false;
  }
  return true;
}
static_assert(EveryPortControlHasOneRow(), "each Control must name exactly one row of the table");

}  // namespace

Row RowOf(Control control) {
  return kRowOfControl[static_cast<std::size_t>(control)];
}

HFONT CreateControlFont() {
  LOGFONTA description{};
  GetObjectA(GetStockObject(SYSTEM_FONT), sizeof description, &description);
  description.lfHeight = 15;
  description.lfWidth = 0;
  description.lfWeight = 200;
  description.lfItalic = FALSE;
  std::strncpy(description.lfFaceName, "Courier New", LF_FACESIZE - 1);
  description.lfFaceName[LF_FACESIZE - 1] = '\0';
  return CreateFontIndirectA(&description);
}

bool CreateControls(HWND parent, HINSTANCE instance, HFONT font, ControlHandles& handles) {
  for (const ControlSpec& spec : kControlTable) {
    HWND control =
        CreateWindowExA(spec.exStyle, spec.className, spec.text, WS_CHILD | WS_VISIBLE | spec.style,
                        spec.x, spec.y, spec.width, spec.height, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), instance, nullptr);
    if (control == nullptr) return false;
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    handles.Rows[static_cast<std::size_t>(spec.row)] = control;
  }
  return true;
}

}  // namespace tovick::win32
