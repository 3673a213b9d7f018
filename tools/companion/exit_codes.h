#pragma once
// The exit codes of tovick-cars, one meaning each, shared by all its commands.

namespace tovick::companion {

constexpr int kExitOk = 0;           // done: printed, written, applied, or the tables are the same
constexpr int kExitUsage = 1;        // the arguments are wrong, or an output is one of the inputs
constexpr int kExitCannotOpen = 2;   // a file could not be opened or read, or is too large
constexpr int kExitTooShort = 3;     // the script is shorter than the editor's minimum
constexpr int kExitMalformed = 4;    // the car table is malformed
constexpr int kExitDoesNotFit = 5;   // a plug-in or save that does not fit: nothing written
constexpr int kExitWriteFailed = 6;  // a file could not be written (it is as it was)
constexpr int kExitDiffer = 7;       // diff: the two car tables differ

}  // namespace tovick::companion
