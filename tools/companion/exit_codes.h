#pragma once
// The exit codes of tovick-cars, shared by all its commands.

namespace tovick::companion {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 1;
constexpr int kExitCannotOpen = 2;
constexpr int kExitTooShort = 3;
constexpr int kExitMalformed = 4;
constexpr int kExitPlugInMisfit = 5;  // not a plug-in, or a record that does not fit the script
constexpr int kExitWriteFailed = 6;   // the output could not be written (the script is unchanged)

}  // namespace tovick::companion
