// The line reader over any bytes: it always ends, a line never holds a line end, byte 26 or NUL,
// a cut line is the start of the whole one, and lines written with WriteLine read back.
#include "fuzz_harness.h"
#include "text/text_lines.h"

using namespace tovick;

TOVICK_FUZZ_TARGET(input) {
  const std::size_t cut = input.Byte();
  const std::string data = input.Rest();
  LineReader whole(data), cutShort(data);
  std::vector<std::string> lines;
  while (!whole.AtEnd()) {
    FUZZ_CHECK(!cutShort.AtEnd());
    lines.push_back(whole.ReadLine());
    const std::string& line = lines.back();
    FUZZ_CHECK(line.find_first_of(std::string_view("\r\x1A\0", 3)) == std::string::npos);
    FUZZ_CHECK(cutShort.ReadLine(cut) == line.substr(0, cut));
    FUZZ_CHECK(lines.size() <= data.size());
  }
  FUZZ_CHECK(cutShort.AtEnd());
  std::string written;
  for (const std::string& line : lines) WriteLine(written, line);
  LineReader again(written);
  for (const std::string& line : lines) FUZZ_CHECK(!again.AtEnd() && again.ReadLine() == line);
  FUZZ_CHECK(again.AtEnd());
}
