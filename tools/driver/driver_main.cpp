// tovick-driver: works the editor's window from outside, for the end-to-end tests and the
// start-up benchmark. Runs under Wine beside the editor.

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "commands.h"
#include "window_query.h"

namespace {

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> words;
  std::size_t start = 0;
  while (true) {
    std::size_t tab = line.find('\t', start);
    words.push_back(line.substr(start, tab - start));
    if (tab == std::string::npos) break;
    start = tab + 1;
  }
  return words;
}

int Serve() {
  std::string line;
  char chunk[4096];
  while (std::fgets(chunk, sizeof chunk, stdin) != nullptr) {
    line += chunk;
    if (line.empty() || line.back() != '\n') continue;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (line == "quit") break;
    if (!line.empty()) {
      std::string answer = tovick::driver::RunDriverCommand(SplitTabs(line));
      std::fputs((answer + "\n").c_str(), stdout);
      std::fflush(stdout);
    }
    line.clear();
  }
  return 0;
}

// Arguments arrive in the ANSI code page; commands work in UTF-8.
std::string ArgumentUtf8(const char* argument) {
  int size = MultiByteToWideChar(CP_ACP, 0, argument, -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, argument, -1, wide.data(), size);
  if (!wide.empty()) wide.pop_back();
  return tovick::driver::Utf8(wide);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0) {
    std::fputs(tovick::driver::UsageText().c_str(), argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  if (std::strcmp(argv[1], "serve") == 0) return Serve();
  std::vector<std::string> words;
  for (int i = 1; i < argc; ++i) words.push_back(ArgumentUtf8(argv[i]));
  std::string answer = tovick::driver::RunDriverCommand(words);
  std::puts(answer.c_str());
  return tovick::driver::AnswerOk(answer) ? 0 : 1;
}
