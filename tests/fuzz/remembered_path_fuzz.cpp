// The remembered-path reader over any file, and a path remembered and read again.
#include "editor/remembered_paths.h"
#include "fuzz_harness.h"

using namespace tovick;

TOVICK_FUZZ_TARGET(input) {
  std::string path = input.Text(255) + input.Text(255);
  const std::string read = RememberedPathOf(input.Rest());
  FUZZ_CHECK(read.size() <= kMaxPathBytes);
  FUZZ_CHECK(read.find_first_of(std::string_view("\r\x1A\0", 3)) == std::string::npos);

  std::erase_if(path, [](char c) { return c == '\r' || c == '\x1A' || c == '\0'; });
  std::string file;
  WriteLine(file, path);
  FUZZ_CHECK(RememberedPathOf(file) == CutToPathBuffer(path));
}
