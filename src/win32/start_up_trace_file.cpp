#include "win32/start_up_trace_file.h"

#include <windows.h>

#include <array>
#include <cstdint>

#include "editor/start_up_trace.h"
#include "text/text_lines.h"

namespace tovick::win32 {

namespace {

constexpr const char kTraceVariable[] = "TOVICK_STARTUP_TRACE";

// Where the trace goes; empty when there is no trace, or once it is written. A plain buffer, so
// that a run without the trace sets nothing up for it.
constinit std::array<char, MAX_PATH> traceFile{};

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
  const DWORD length = GetEnvironmentVariableA(kTraceVariable, traceFile.data(),
                                               static_cast<DWORD>(traceFile.size()));
  if (length == 0 || length >= traceFile.size()) {
    traceFile[0] = '\0';
    return;
  }
  SwitchOnStartUpTrace(ProcessAgeMicroseconds());
}

void EndStartUpTraceWhenIdle() {
  if (traceFile[0] == '\0') return;
  MSG message;
  if (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) return;
  MarkStartUp("controls painted");
  WriteWholeFile(traceFile.data(), StartUpTraceText());
  traceFile[0] = '\0';
}

}  // namespace tovick::win32
