#include "win32/start_up_trace_file.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>

#include "editor/start_up_trace.h"
#include "text/text_lines.h"

namespace tovick::win32 {

namespace {

constexpr const char kTraceVariable[] = "TOVICK_STARTUP_TRACE";

std::string traceFile;  // empty: no trace, or written already

std::int64_t Hundreds(const FILETIME& time) {
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                   time.dwLowDateTime);
}

// How long ago the process was created, in microseconds; 0 when the system does not say.
std::int64_t ProcessAgeMicroseconds() {
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  const std::int64_t age = (Hundreds(now) - Hundreds(created)) / 10;
  return age > 0 ? age : 0;
}

}  // namespace

void BeginStartUpTraceIfAsked() {
  std::array<char, MAX_PATH> path{};
  const DWORD length =
      GetEnvironmentVariableA(kTraceVariable, path.data(), static_cast<DWORD>(path.size()));
  if (length == 0 || length >= path.size()) return;
  traceFile.assign(path.data(), length);
  SwitchOnStartUpTrace(ProcessAgeMicroseconds());
}

void EndStartUpTraceWhenIdle() {
  if (traceFile.empty()) return;
  MSG message;
  if (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) return;
  MarkStartUp("controls painted");
  WriteWholeFile(traceFile, StartUpTraceText());
  traceFile.clear();
}

}  // namespace tovick::win32
