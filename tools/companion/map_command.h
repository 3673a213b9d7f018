#pragma once
// tovick-cars map: the car table as an SVG picture.

namespace tovick::companion {

// argv[0] is "map". Returns the exit code.
int RunMap(int argc, char** argv);

}  // namespace tovick::companion
