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

// Whole-file helpers for the small text files. ReadWholeFile fails for a missing or unreadable
// file, and for anything but a regular file (a directory, a FIFO, a device), and never creates one.
// WriteWholeFile creates or empties the file.
bool ReadWholeFile(const std::string& path, std::string& contents);
bool WriteWholeFile(const std::string& path, std::string_view contents);

}  // namespace tovick
