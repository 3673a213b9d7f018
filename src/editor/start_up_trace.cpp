#include "editor/start_up_trace.h"

#include <array>
#include <chrono>
#include <cstddef>

namespace tovick {

namespace {

using Clock = std::chrono::steady_clock;

struct Mark {
  const char* phase = nullptr;
  Clock::time_point at{};
};

constexpr std::size_t kMaxMarks = 32;

// Fixed storage, set up before the program starts: a mark must not allocate, or it would add to
// what it measures, and a run without the trace must not pay for it at all.
constinit bool traceOn = false;
constinit std::int64_t entryAgeMicroseconds = 0;
constinit Clock::time_point entry{};
constinit std::array<Mark, kMaxMarks> marks{};
constinit std::size_t markCount = 0;

}  // namespace

void SwitchOnStartUpTrace(std::int64_t ageMicroseconds) {
  traceOn = true;
  entryAgeMicroseconds = ageMicroseconds;
  entry = Clock::now();
  markCount = 0;
  MarkStartUp("entry routine reached");
}

void MarkStartUp(const char* phase) {
  if (!traceOn || markCount == marks.size()) return;
  marks[markCount++] = Mark{phase, Clock::now()};
}

std::string StartUpTraceText() {
  std::string text;
  for (std::size_t i = 0; i < markCount; ++i) {
    const auto sinceEntry =
        std::chrono::duration_cast<std::chrono::microseconds>(marks[i].at - entry).count();
    text += std::to_string(entryAgeMicroseconds + sinceEntry) + '\t' + marks[i].phase + '\n';
  }
  return text;
}

}  // namespace tovick
