#pragma once
// Text-file lines as the program reads and writes them, and whole-file access by ANSI path.

#include <cstddef>
#include <string>
#include <string_view>

namespace tovick {

// Reads lines from a file's bytes held in memory. A carriage return ends a line and eats at most
// one line feed after it; a lone line feed is an ordinary byte; byte 26 ends the file; a NUL ends
// the line's content (the rest of that line is skipped).
class LineReader {
 public:
  explicit LineReader(std::string_view data) : data_(data) {}
  // True at the physical end or when the next byte is 26.
  bool AtEnd() const;
  // The next line; call only when !AtEnd().
  std::string ReadLine();
  // As ReadLine, but keeps only the first maxBytes bytes of the line (the rest is still consumed).
  std::string ReadLine(std::size_t maxBytes);

 private:
  std::string_view data_;
  std::size_t pos_ = 0;
};

// Appends the text and CR LF.
void WriteLine(std::string& out, std::string_view text);

// The largest text file the program reads: far beyond any real one, small enough that a wrong
// file (a disc image, a device that never ends) is refused instead of filling the memory.
constexpr std::size_t kMaxTextFileBytes = 16 * 1024 * 1024;

enum class TextFileRead {
  Read,
  CannotOpen,  // missing, unreadable, or not a regular file (a directory, a FIFO, a device)
  TooLarge,    // more than kMaxTextFileBytes
};

// Whole-file helpers for the small text files. ReadTextFile reads regular files only, at most
// kMaxTextFileBytes, and never creates one; contents holds the bytes only when it returns Read.
// ReadWholeFile is the same for callers that treat every failure alike. WriteWholeFile creates or
// empties a regular file, and fails for anything else.
TextFileRead ReadTextFile(const std::string& path, std::string& contents);
bool ReadWholeFile(const std::string& path, std::string& contents);
bool WriteWholeFile(const std::string& path, std::string_view contents);

// Why a text file above the bound is refused, for the messages: "larger than 16 MiB".
std::string TooLargeReason();

}  // namespace tovick
