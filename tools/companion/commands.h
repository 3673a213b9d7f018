#pragma once
// The commands of tovick-cars besides the default listing. Each takes the arguments after its
// name and returns the exit code.

namespace tovick::companion {

// tovick-cars export [--anywhere] --blocks LIST [-o FILE] MAIN.SCM
int RunExport(int argc, char** argv);
// tovick-cars apply [--check] [--anywhere] PLUGIN MAIN.SCM
int RunApply(int argc, char** argv);

}  // namespace tovick::companion
