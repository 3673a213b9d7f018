#pragma once
// The driver's commands: each takes its words and answers with one JSON object whose "ok" member
// tells success.

#include <string>
#include <vector>

namespace tovick::driver {

// Runs one command (first word: its name). Never throws; failures come back as {"ok":false,...}.
std::string RunDriverCommand(const std::vector<std::string>& words);
// True when the answer reports success.
bool AnswerOk(const std::string& answer);
std::string UsageText();

}  // namespace tovick::driver
