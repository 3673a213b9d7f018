#pragma once
// How long each step of the start-up takes, for the start-up benchmark. The trace is off unless a
// run switches it on; a mark then costs one test of a flag. Marks come from the window's thread
// only.

#include <cstdint>
#include <string>

namespace tovick {

// Switches the trace on. Time zero is the process's start: ageMicroseconds is how long ago that
// was (0 when unknown), and the first mark, "entry routine reached", is taken now.
void SwitchOnStartUpTrace(std::int64_t ageMicroseconds);

// Notes that the step named phase (a text that lives for the whole run) has just ended. A trace
// holds at most 32 marks; further ones are dropped.
void MarkStartUp(const char* phase);

// One line per mark, in the order taken: "<microseconds since the process's start>\t<phase>\n".
std::string StartUpTraceText();

}  // namespace tovick
