#include "win32/main_window.h"

#include <array>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "editor/app_state.h"
#include "editor/commands.h"
#include "editor/start_up.h"
#include "editor/start_up_trace.h"
#include "scroller/scroller_machine.h"
#include "scroller/scroller_text.h"
#include "win32/controls.h"
#include "win32/scroller_thread.h"
#include "win32/win32_ui_port.h"

namespace tovick::win32 {

namespace {

constexpr int kWindowWidth = 636;
constexpr int kWindowHeight = 450;

// Everything the window works on, created with the window.
struct MainWindowApp {
  AppState State;
  ControlHandles Controls;
  HFONT Font = nullptr;
  std::unique_ptr<Win32UiPort> Ui;
};

// Never destroyed: it must outlive every message and the scroller thread, which runs until the
// process ends.
MainWindowApp* app = nullptr;

// The senders of WM_COMMAND, compared in this order; the first match runs.
struct CommandSource {
  Command command;
  Row sender;
  bool selectionChangeOnly;  // lists act only on a changed selection
};

constexpr std::array<CommandSource, 13> kCommandSources = {{
    {Command::CreatePlugIn, Row::CreatePlugInButton, false},
    {Command::LoadAndUsePlugIn, Row::LoadPlugInButton, false},
    {Command::ScrollFaster, Row::FasterButton, false},
    {Command::ScrollSlower, Row::SlowerButton, false},
    {Command::TogglePlugInMark, Row::PlugInCheck, false},
    {Command::BlockListChanged, Row::BlockList, true},
    {Command::SearchListChanged, Row::SearchList, true},
    {Command::LoadDefinitions, Row::LoadDefinitionsButton, false},
    {Command::LoadMissionScript, Row::LoadScriptButton, false},
    {Command::Exit, Row::ExitButton, false},
    {Command::Search, Row::SearchButton, false},
    {Command::ApplyChanges, Row::ApplyButton, false},
    {Command::ToggleUnsafe, Row::UnsafeCheck, false},
}};

constexpr bool SourcesInCommandOrder() {
  for (std::size_t i = 0; i < kCommandSources.size(); ++i) {
    if (static_cast<std::size_t>(kCommandSources[i].command) != i) return false;
  }
  return true;
}
static_assert(SourcesInCommandOrder(), "senders are compared in the order of Command");

// A fault that escaped an operation: say so and keep running. Built without allocating, since
// the fault may be an exhausted heap.
void ReportFault(HWND owner, const char* what) {
  char text[512];
  std::snprintf(text, sizeof text, "INTERNAL ERROR: %s", what);
  MessageBoxA(owner, text, " ", MB_OK | MB_ICONERROR);
}

// Runs one handler so that no exception unwinds into the system's code that called the window
// procedure: a fault is reported and the program carries on. False after a fault.
template <typename Handler>
bool RunGuarded(HWND window, Handler&& handler) {
  try {
    handler();
    return true;
  } catch (const std::exception& fault) {
    ReportFault(window, fault.what());
  } catch (...) {
    ReportFault(window, "unknown fault");
  }
  return false;
}

// The last step of a successful start-up. The help text quotes the unsafe-vehicles caption as
// the window shows it.
void StartScroller(MainWindowApp& self, HWND window) {
  const ControlSpec& strip = SpecOf(Row::ScrollerStrip);
  StartScrollerThread(self.State.Scroller, BuildScrollerText(SpecOf(Row::UnsafeCheck).text),
                      ScrollRectOfStrip(strip.x, strip.y, strip.width, strip.height), window,
                      self.Controls[Row::ScrollerStrip]);
}

void CentreWindow(HWND window) {
  const int x = GetSystemMetrics(SM_CXSCREEN) / 2 - kWindowWidth / 2;
  const int y = GetSystemMetrics(SM_CYSCREEN) / 2 - kWindowHeight / 2;
  MoveWindow(window, x, y, kWindowWidth, kWindowHeight, TRUE);
}

std::string CurrentDirectory() {
  const DWORD needed = GetCurrentDirectoryA(0, nullptr);
  if (needed == 0) return {};
  std::string directory(needed, '\0');
  const DWORD length = GetCurrentDirectoryA(needed, directory.data());
  directory.resize(length < needed ? length : 0);
  return directory;
}

LRESULT OnCreate(HWND window, const CREATESTRUCTA& creation) {
  if (app != nullptr) return -1;  // one main window per process
  auto created = std::make_unique<MainWindowApp>();
  MainWindowApp& self = *created;

  // The port holds the control table, filled below; until then it only shows messages.
  self.Ui = std::make_unique<Win32UiPort>(window, self.Controls);
  PrepareStart(self.State, *self.Ui, CurrentDirectory());  // start directories and zones
  MarkStartUp("zone file read");
  CentreWindow(window);
  MarkStartUp("window centred");
  self.Font = CreateControlFont();
  MarkStartUp("control font created");
  if (!CreateControls(window, creation.hInstance, self.Font, self.Controls)) return -1;
  MarkStartUp("41 controls created");
  app = created.release();

  // A fault during the loads ends the program like a failed load, but with a non-zero exit code.
  if (!RunGuarded(window, [&] { StartUp(self.State, *self.Ui); })) {
    self.State.Flags.MustQuit = true;
    PostQuitMessage(1);
  } else if (self.State.Flags.MustQuit) {
    PostQuitMessage(0);
  } else {
    StartScroller(self, window);
    MarkStartUp("scroller started");
  }
  return 0;
}

void OnCommand(HWND window, WPARAM wParam, LPARAM lParam) {
  HWND sender = reinterpret_cast<HWND>(lParam);
  if (app == nullptr || sender == nullptr) return;  // menus and accelerators: none here
  for (const CommandSource& source : kCommandSources) {
    if (app->Controls[source.sender] != sender) continue;
    if (source.selectionChangeOnly && HIWORD(wParam) != CBN_SELCHANGE) continue;
    switch (RunCommand(app->State, *app->Ui, source.command)) {
      case AfterCommand::Nothing:
        break;
      case AfterCommand::PostQuit:
        PostQuitMessage(0);
        break;
      case AfterCommand::SendClose:
        SendMessageA(window, WM_CLOSE, 0, 0);
        break;
    }
    return;
  }
}

void OnDestroy() {
  if (app != nullptr) Closing(app->State, *app->Ui);
}

}  // namespace

}  // namespace tovick::win32

#if defined(__i386__)
__asm__(".section .drectve\n.ascii \" -export:MAINWNDPROC\"\n.text");
#endif

extern "C" LRESULT CALLBACK MAINWNDPROC(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  using namespace tovick::win32;
  switch (message) {
    case WM_CREATE: {
      LRESULT result = -1;  // a fault here fails the creation, which the entry routine reports
      RunGuarded(window, [&] {
        result = OnCreate(window, *reinterpret_cast<const CREATESTRUCTA*>(lParam));
      });
      return result;
    }
    case WM_SIZE:
      return 0;
    case WM_MOUSEWHEEL:
      if (app != nullptr) {
        app->State.Scroller.SetScrollRequest(static_cast<std::int16_t>(HIWORD(wParam)));
      }
      return 0;
    case WM_COMMAND:
      RunGuarded(window, [&] { OnCommand(window, wParam, lParam); });
      return 0;
    case WM_DESTROY:
      RunGuarded(nullptr, [] { OnDestroy(); });
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}
