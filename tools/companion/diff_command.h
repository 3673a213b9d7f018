#pragma once
// tovick-cars diff: the car tables of two copies of a script compared, and turned into a plug-in.

namespace tovick::companion {

constexpr int kExitTablesPart = 5;
constexpr int kExitDiffer = 7;

// argv[0] is "diff". Returns the exit code.
int RunDiff(int argc, char** argv);

}  // namespace tovick::companion
