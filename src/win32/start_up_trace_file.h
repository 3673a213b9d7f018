#pragma once
// The start-up trace's Windows half: switched on when TOVICK_STARTUP_TRACE names a file, and
// written there once the window has first painted everything, so that the benchmark can print
// what each step costs.

namespace tovick::win32 {

// At the top of the entry routine. Does nothing when the variable is not set.
void BeginStartUpTraceIfAsked();

// Before each wait for a message: the first time the queue holds nothing, not even a paint, marks
// "controls painted" and writes the trace. Does nothing when no trace is running.
void EndStartUpTraceWhenIdle();

}  // namespace tovick::win32
