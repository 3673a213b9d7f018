#include "editor/start_up_trace.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace tovick {
namespace {

struct TraceLine {
  long long Microseconds;
  std::string Phase;
};

std::vector<TraceLine> Parse(const std::string& text) {
  std::vector<TraceLine> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    const std::size_t tab = line.find('\t');
    lines.push_back({std::stoll(line.substr(0, tab)), line.substr(tab + 1)});
  }
  return lines;
}

// The trace is process-wide and cannot be switched off again, so one test walks its whole life.
TEST(StartUpTraceTest, RecordsNothingUntilSwitchedOnThenEveryMarkInOrderUpToItsCapacity) {
  MarkStartUp("before");
  EXPECT_EQ(StartUpTraceText(), "");

  SwitchOnStartUpTrace(40000);
  MarkStartUp("controls created");
  for (int i = 0; i < 40; ++i) MarkStartUp("more");

  const std::vector<TraceLine> lines = Parse(StartUpTraceText());
  ASSERT_EQ(lines.size(), 32u);
  EXPECT_EQ(lines[0].Phase, "entry routine reached");
  EXPECT_EQ(lines[1].Phase, "controls created");
  EXPECT_EQ(lines[31].Phase, "more");
  // Times count from the process's start, so the first is its age when switched on.
  EXPECT_GE(lines[0].Microseconds, 40000);
  EXPECT_LT(lines[0].Microseconds, 40000 + 1000000);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    EXPECT_GE(lines[i].Microseconds, lines[i - 1].Microseconds) << i;
  }
}

}  // namespace
}  // namespace tovick
