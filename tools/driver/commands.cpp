#include "commands.h"

// clang-format off
#include <windows.h>
#include <psapi.h>  // needs windows.h first
// clang-format on

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <set>
#include <stdexcept>
#include <thread>

#include "json_writer.h"
#include "window_query.h"

namespace tovick::driver {
namespace {

constexpr int kDefaultTimeoutMs = 10000;
constexpr int kPollMs = 10;
constexpr int kBlockListIndex = 22;
constexpr int kXPosEditIndex = 36;

struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

using Clock = std::chrono::steady_clock;

std::int64_t MicrosecondsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
}

// A command sent to the editor from a thread of its own, so that the driver stays free when the
// command opens a modal box (the send then returns only after the box is closed).
struct PendingSend {
  Clock::time_point Start = Clock::now();
  std::atomic<std::int64_t> TookUs{-1};  // from Start until the editor had run the command
  std::atomic<bool> Done{false};
};
std::shared_ptr<PendingSend> gPending;

int ParseInt(const std::string& word, const char* what) {
  try {
    std::size_t used = 0;
    int value = std::stoi(word, &used, 0);
    if (used == word.size()) return value;
  } catch (const std::exception&) {
  }
  throw Failure(std::string("bad ") + what + ": " + word);
}

int TimeoutArg(const std::vector<std::string>& words, std::size_t position) {
  return words.size() > position ? ParseInt(words[position], "timeout") : kDefaultTimeoutMs;
}

// Polls until ready() holds, every pollMs; false on timeout.
bool WaitFor(int timeoutMs, const std::function<bool()>& ready, int pollMs = kPollMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (true) {
    if (ready()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    Sleep(static_cast<DWORD>(pollMs));
  }
}

HWND RequireMain() {
  HWND main = FindMainWindow();
  if (main == nullptr) throw Failure("main window not found");
  return main;
}

// "N" is the N-th control in creation order (1..41); "#N" the control with id N.
HWND ResolveControl(HWND main, const std::string& ref) {
  std::vector<HWND> controls = MainControls(main);
  if (!ref.empty() && ref[0] == '#') {
    int id = ParseInt(ref.substr(1), "control id");
    for (HWND control : controls) {
      if (GetDlgCtrlID(control) == id) return control;
    }
    throw Failure("no control with id " + ref.substr(1));
  }
  int index = ParseInt(ref, "control index");
  if (index < 1 || index > static_cast<int>(controls.size())) {
    throw Failure("no control number " + ref + " (the window has " +
                  std::to_string(controls.size()) + ")");
  }
  return controls[static_cast<std::size_t>(index - 1)];
}

std::set<HWND> DialogSet() {
  std::vector<HWND> dialogs = VisibleDialogs();
  return {dialogs.begin(), dialogs.end()};
}

HWND NewDialog(const std::set<HWND>& before) {
  for (HWND dialog : VisibleDialogs()) {
    if (before.count(dialog) == 0) return dialog;
  }
  return nullptr;
}

// Waits until the pending send has finished or a dialog box is open; true for the box ("modal":
// the command is still running behind it).
bool SettleAfterSend(int timeoutMs) {
  std::shared_ptr<PendingSend> pending = gPending;
  bool modal = false;
  bool settled = WaitFor(timeoutMs, [&] {
    if (pending == nullptr || pending->Done) return true;
    if (!VisibleDialogs().empty()) {
      modal = true;
      return true;
    }
    return false;
  });
  if (!settled) throw Failure("the editor did not finish the command in time");
  return modal;
}

std::shared_ptr<PendingSend> StartSend(HWND main, WPARAM wParam, HWND sender, int timeoutMs) {
  // The command before may still be finishing after its box was closed.
  if (gPending != nullptr &&
      !WaitFor(timeoutMs, [] { return gPending->Done || !VisibleDialogs().empty(); })) {
    throw Failure("the previous command did not finish");
  }
  if (gPending != nullptr && !gPending->Done) {
    throw Failure("a previous command is still running behind an open box");
  }
  auto pending = std::make_shared<PendingSend>();
  gPending = pending;
  std::thread([main, wParam, sender, pending] {
    SendMessageW(main, WM_COMMAND, wParam, reinterpret_cast<LPARAM>(sender));
    pending->TookUs = MicrosecondsSince(pending->Start);
    pending->Done = true;
  }).detach();
  return pending;
}

std::string SendCommand(HWND main, WPARAM wParam, HWND sender, int timeoutMs) {
  StartSend(main, wParam, sender, timeoutMs);
  bool modal = SettleAfterSend(timeoutMs);
  return JsonObject().Add("ok", true).Add("modal", modal).Str();
}

// Sends a command and then watches a control, every millisecond, until its text begins with
// prefix: how long the editor took to run the command and how long until its effect showed.
std::string TimedCommand(HWND main, WPARAM wParam, HWND sender, HWND watch,
                         const std::string& prefix, int timeoutMs) {
  std::shared_ptr<PendingSend> pending = StartSend(main, wParam, sender, timeoutMs);
  std::int64_t shownUs = -1;
  while (MicrosecondsSince(pending->Start) < std::int64_t{timeoutMs} * 1000) {
    if (ReadText(watch).rfind(prefix, 0) == 0) {
      shownUs = MicrosecondsSince(pending->Start);
      break;
    }
    Sleep(1);
  }
  bool modal = SettleAfterSend(timeoutMs);
  if (shownUs < 0) throw Failure("the watched text did not appear in time");
  return JsonObject()
      .Add("ok", true)
      .Add("modal", modal)
      .Add("command_us", pending->TookUs.load())
      .Add("shown_us", shownUs)
      .Str();
}

HWND FirstDialog(int timeoutMs) {
  HWND found = nullptr;
  WaitFor(timeoutMs, [&] {
    std::vector<HWND> dialogs = VisibleDialogs();
    if (!dialogs.empty()) found = dialogs.front();
    return found != nullptr;
  });
  if (found == nullptr) throw Failure("no dialog box appeared");
  return found;
}

// Presses a dialog button and waits for the dialog to close and the command behind it to settle.
std::string PressDialogButton(HWND dialog, int buttonId, int timeoutMs) {
  std::set<HWND> before = DialogSet();
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, buttonId)));
  bool replaced = false;
  bool closed = WaitFor(timeoutMs, [&] {
    if (NewDialog(before) != nullptr) {
      replaced = true;  // e.g. the file dialog's own complaint about a missing file
      return true;
    }
    return !IsWindow(dialog) || !IsWindowVisible(dialog);
  });
  if (!closed) throw Failure("the dialog did not close");
  if (!replaced) ForgetDialog(dialog);
  bool modal = replaced || SettleAfterSend(timeoutMs);
  return JsonObject().Add("ok", true).Add("modal", modal).Str();
}

std::string CmdFind(const std::vector<std::string>& words) {
  HWND main = nullptr;
  WaitFor(TimeoutArg(words, 1), [&] { return (main = FindMainWindow()) != nullptr; });
  if (main == nullptr) throw Failure("main window not found");
  DWORD pid = 0;
  GetWindowThreadProcessId(main, &pid);
  return JsonObject()
      .Add("ok", true)
      .Add("hwnd", static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(main)))
      .Add("pid", static_cast<std::int64_t>(pid))
      .Add("visible", IsWindowVisible(main) != FALSE)
      .Str();
}

// Block 1 shown: the main window visible, the block list on its first entry, X-POS filled.
std::string CmdWaitReady(const std::vector<std::string>& words) {
  bool ready = WaitFor(TimeoutArg(words, 1), [] {
    HWND main = FindMainWindow();
    if (main == nullptr || !IsWindowVisible(main)) return false;
    std::vector<HWND> controls = MainControls(main);
    if (controls.size() < static_cast<std::size_t>(kControlCount)) return false;
    return ComboSelection(controls[kBlockListIndex - 1]) == 0 &&
           !ReadText(controls[kXPosEditIndex - 1]).empty();
  });
  if (!ready) throw Failure("block 1 was not shown in time");
  return JsonObject().Add("ok", true).Str();
}

std::string CmdWaitGone(const std::vector<std::string>& words) {
  if (!WaitFor(TimeoutArg(words, 1), [] { return FindMainWindow() == nullptr; })) {
    throw Failure("the main window is still there");
  }
  return JsonObject().Add("ok", true).Str();
}

std::string CmdState(const std::vector<std::string>&) {
  HWND main = RequireMain();
  RECT rect{};
  GetWindowRect(main, &rect);
  DWORD pid = 0;
  GetWindowThreadProcessId(main, &pid);
  std::vector<std::string> controls;
  int index = 0;
  for (HWND control : MainControls(main)) {
    controls.push_back(DescribeControl(control, ++index, main));
  }
  return JsonObject()
      .Add("ok", true)
      .Add("pid", static_cast<std::int64_t>(pid))
      .Add("caption", ReadText(main))
      .Add("class", ClassName(main))
      .Add("visible", IsWindowVisible(main) != FALSE)
      .Add("style",
           static_cast<std::int64_t>(static_cast<DWORD>(GetWindowLongPtrW(main, GWL_STYLE))))
      .Add("x", static_cast<int>(rect.left))
      .Add("y", static_cast<int>(rect.top))
      .Add("w", static_cast<int>(rect.right - rect.left))
      .Add("h", static_cast<int>(rect.bottom - rect.top))
      .AddRaw("controls", JsonArray(controls))
      .Str();
}

std::string CmdText(const std::vector<std::string>& words) {
  if (words.size() < 2) throw Failure("text needs a control");
  return JsonObject()
      .Add("ok", true)
      .Add("text", ReadText(ResolveControl(RequireMain(), words[1])))
      .Str();
}

std::string CmdType(const std::vector<std::string>& words) {
  if (words.size() < 3) throw Failure("type needs a control and a text");
  HWND control = ResolveControl(RequireMain(), words[1]);
  std::wstring text = Wide(words[2]);
  DWORD_PTR result = 0;
  if (SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                          SMTO_NORMAL, static_cast<UINT>(kDefaultTimeoutMs), &result) == 0) {
    throw Failure("WM_SETTEXT was not answered");
  }
  return JsonObject().Add("ok", true).Str();
}

std::string CmdSelect(const std::vector<std::string>& words) {
  if (words.size() < 3) throw Failure("select needs a combo box and a position");
  HWND main = RequireMain();
  HWND combo = ResolveControl(main, words[1]);
  int position = ParseInt(words[2], "position");
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(position), 0);
  // CB_SETCURSEL notifies nobody: send what a user's choice sends.
  return SendCommand(main, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE), combo,
                     TimeoutArg(words, 3));
}

std::string CmdClick(const std::vector<std::string>& words) {
  if (words.size() < 2) throw Failure("click needs a button");
  HWND main = RequireMain();
  HWND button = ResolveControl(main, words[1]);
  return SendCommand(main, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), button,
                     TimeoutArg(words, 2));
}

std::string CmdTimedClick(const std::vector<std::string>& words) {
  if (words.size() < 4) throw Failure("timed-click needs a button, a control and a text");
  HWND main = RequireMain();
  HWND button = ResolveControl(main, words[1]);
  return TimedCommand(main, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), button,
                      ResolveControl(main, words[2]), words[3], TimeoutArg(words, 4));
}

std::string CmdTimedSelect(const std::vector<std::string>& words) {
  if (words.size() < 5)
    throw Failure("timed-select needs a combo box, a position, a control and a text");
  HWND main = RequireMain();
  HWND combo = ResolveControl(main, words[1]);
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(ParseInt(words[2], "position")), 0);
  return TimedCommand(main, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE), combo,
                      ResolveControl(main, words[3]), words[4], TimeoutArg(words, 5));
}

// Reads a control's text every millisecond for a while and lists each change with its time.
std::string CmdWatch(const std::vector<std::string>& words) {
  if (words.size() < 3) throw Failure("watch needs a control and a duration");
  HWND control = ResolveControl(RequireMain(), words[1]);
  const std::int64_t durationUs = std::int64_t{ParseInt(words[2], "milliseconds")} * 1000;
  const Clock::time_point start = Clock::now();
  std::vector<std::string> changes;
  std::string last;
  for (std::int64_t now = 0; now < durationUs; now = MicrosecondsSince(start)) {
    std::string text = ReadText(control);
    if (changes.empty() || text != last) {
      changes.push_back(JsonObject().Add("us", now).Add("text", text).Str());
      last = std::move(text);
    }
    Sleep(1);
  }
  return JsonObject().Add("ok", true).AddRaw("changes", JsonArray(changes)).Str();
}

// A wheel notch of the given distance over the main window, as the system sends it.
std::string CmdWheel(const std::vector<std::string>& words) {
  if (words.size() < 2) throw Failure("wheel needs a distance");
  HWND main = RequireMain();
  auto distance = static_cast<WORD>(static_cast<SHORT>(ParseInt(words[1], "distance")));
  DWORD_PTR result = 0;
  if (SendMessageTimeoutW(main, WM_MOUSEWHEEL, MAKEWPARAM(0, distance), 0, SMTO_NORMAL,
                          static_cast<UINT>(TimeoutArg(words, 2)), &result) == 0) {
    throw Failure("WM_MOUSEWHEEL was not answered");
  }
  return JsonObject().Add("ok", true).Str();
}

// Whether the editor's window thread answers at all (its own loop or a box's modal loop).
std::string CmdPing(const std::vector<std::string>& words) {
  HWND main = RequireMain();
  DWORD_PTR result = 0;
  if (SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG,
                          static_cast<UINT>(TimeoutArg(words, 1)), &result) == 0) {
    throw Failure("the editor does not answer");
  }
  return JsonObject().Add("ok", true).Str();
}

std::string CmdBox(const std::vector<std::string>& words) {
  return "{\"ok\":true,\"box\":" + DescribeDialog(FirstDialog(TimeoutArg(words, 1))) + "}";
}

std::string CmdBoxes(const std::vector<std::string>&) {
  std::vector<std::string> boxes;
  for (HWND dialog : VisibleDialogs()) boxes.push_back(DescribeDialog(dialog));
  return JsonObject().Add("ok", true).AddRaw("boxes", JsonArray(boxes)).Str();
}

std::string CmdPress(const std::vector<std::string>& words) {
  int buttonId = words.size() > 1 ? ParseInt(words[1], "button id") : IDOK;
  int timeoutMs = TimeoutArg(words, 2);
  return PressDialogButton(FirstDialog(timeoutMs), buttonId, timeoutMs);
}

std::string CmdFile(const std::vector<std::string>& words) {
  if (words.size() < 2) throw Failure("file needs a path");
  int timeoutMs = TimeoutArg(words, 2);
  HWND dialog = nullptr;
  WaitFor(timeoutMs, [&] {
    for (HWND candidate : VisibleDialogs()) {
      if (GetDlgItem(candidate, 0x47C) != nullptr) dialog = candidate;
    }
    return dialog != nullptr;
  });
  if (dialog == nullptr) throw Failure("no file dialog appeared");
  std::wstring path = Wide(words[1]);
  SendMessageW(GetDlgItem(dialog, 0x47C), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  return PressDialogButton(dialog, IDOK, timeoutMs);
}

// A top-level window by class and title (words[first], words[first + 1]), else the editor's.
HWND NamedWindow(const std::vector<std::string>& words, std::size_t first) {
  if (words.size() < first + 2) return FindMainWindow();
  return FindWindowW(Wide(words[first]).c_str(), Wide(words[first + 1]).c_str());
}

std::string CmdWaitWindow(const std::vector<std::string>& words) {
  if (words.size() < 3) throw Failure("wait-window needs a class and a title");
  HWND window = nullptr;
  // A benchmark asks for a finer poll, so that it times the window rather than the poll.
  const int pollMs = words.size() > 4 ? ParseInt(words[4], "poll interval") : kPollMs;
  if (pollMs < 1) throw Failure("the poll interval must be at least 1 ms");
  WaitFor(
      TimeoutArg(words, 3),
      [&] {
        window = NamedWindow(words, 1);
        return window != nullptr && IsWindowVisible(window);
      },
      pollMs);
  if (window == nullptr || !IsWindowVisible(window)) throw Failure("the window did not appear");
  // A sent message is served only once the window's thread waits for input again: past its first
  // paint, ready for the user.
  DWORD_PTR ignored = 0;
  if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL,
                           static_cast<UINT>(TimeoutArg(words, 3)), &ignored)) {
    throw Failure("the window does not answer");
  }
  return JsonObject().Add("ok", true).Str();
}

std::string CmdCloseWindow(const std::vector<std::string>& words) {
  HWND window = NamedWindow(words, 1);
  if (window == nullptr) throw Failure("no such window");
  PostMessageW(window, WM_CLOSE, 0, 0);
  return JsonObject().Add("ok", true).Str();
}

std::string CmdMemory(const std::vector<std::string>& words) {
  HWND window = NamedWindow(words, 1);
  if (window == nullptr) throw Failure("no such window");
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (process == nullptr) throw Failure("cannot open the window's process");
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  BOOL got = GetProcessMemoryInfo(process, &counters, sizeof counters);
  CloseHandle(process);
  if (!got) throw Failure("GetProcessMemoryInfo failed");
  return JsonObject()
      .Add("ok", true)
      .Add("peak_working_set", static_cast<std::int64_t>(counters.PeakWorkingSetSize))
      .Add("working_set", static_cast<std::int64_t>(counters.WorkingSetSize))
      .Str();
}

std::string CmdSleep(const std::vector<std::string>& words) {
  Sleep(static_cast<DWORD>(words.size() > 1 ? ParseInt(words[1], "milliseconds") : 100));
  return JsonObject().Add("ok", true).Str();
}

struct CommandEntry {
  const char* Name;
  std::string (*Run)(const std::vector<std::string>&);
  const char* Help;
};

const CommandEntry kCommands[] = {
    {"find", CmdFind, "find [TIMEOUT]            wait for the main window; its pid and visibility"},
    {"wait-ready", CmdWaitReady, "wait-ready [TIMEOUT]      wait until block 1 is shown"},
    {"wait-gone", CmdWaitGone, "wait-gone [TIMEOUT]       wait until the main window is gone"},
    {"state", CmdState, "state                     the main window and all its controls"},
    {"text", CmdText, "text CONTROL              a control's text"},
    {"type", CmdType, "type CONTROL TEXT         set an edit's text"},
    {"select", CmdSelect, "select COMBO POS [TIMEOUT] choose an entry as a user would"},
    {"click", CmdClick, "click BUTTON [TIMEOUT]    press a button of the main window"},
    {"timed-click", CmdTimedClick,
     "timed-click BUTTON CONTROL TEXT [TIMEOUT]  click, then time until CONTROL's text begins "
     "with TEXT"},
    {"timed-select", CmdTimedSelect,
     "timed-select COMBO POS CONTROL TEXT [TIMEOUT]  the same for a choice in a combo box"},
    {"watch", CmdWatch, "watch CONTROL MS          every change of a control's text for MS ms"},
    {"wheel", CmdWheel, "wheel DISTANCE [TIMEOUT]  turn the mouse wheel over the main window"},
    {"ping", CmdPing, "ping [TIMEOUT]            fail unless the editor's window thread answers"},
    {"box", CmdBox, "box [TIMEOUT]             wait for a dialog box and describe it"},
    {"boxes", CmdBoxes, "boxes                     describe every open dialog box"},
    {"press", CmdPress,
     "press [ID] [TIMEOUT]      press a button of the open box (1 OK, the default; 6 Yes, 7 No)"},
    {"file", CmdFile, "file PATH [TIMEOUT]       answer the open/save dialog with PATH"},
    {"wait-window", CmdWaitWindow,
     "wait-window CLASS TITLE [TIMEOUT [POLL_MS]]  wait until a window is visible and answers"},
    {"close-window", CmdCloseWindow, "close-window [CLASS TITLE]  post WM_CLOSE to a window"},
    {"memory", CmdMemory,
     "memory [CLASS TITLE]      working set and its peak (default: the editor)"},
    {"sleep", CmdSleep, "sleep MS                  wait"},
};

}  // namespace

std::string RunDriverCommand(const std::vector<std::string>& words) {
  if (words.empty()) return JsonObject().Add("ok", false).Add("error", "empty command").Str();
  for (const auto& command : kCommands) {
    if (words[0] != command.Name) continue;
    try {
      return command.Run(words);
    } catch (const std::exception& error) {
      return JsonObject().Add("ok", false).Add("error", error.what()).Str();
    }
  }
  return JsonObject().Add("ok", false).Add("error", "unknown command: " + words[0]).Str();
}

bool AnswerOk(const std::string& answer) {
  return answer.rfind("{\"ok\":true", 0) == 0;
}

std::string UsageText() {
  std::string text =
      "usage: tovick-driver COMMAND [ARGS...]   run one command\n"
      "       tovick-driver serve               read commands from stdin, one per line,\n"
      "                                         words separated by tabs\n"
      "CONTROL is the control's number in creation order (1..41) or #ID.\n"
      "TIMEOUT is in milliseconds (default 10000). Every answer is one JSON line.\n\n";
  for (const auto& command : kCommands) text += std::string("  ") + command.Help + "\n";
  return text;
}

}  // namespace tovick::driver
