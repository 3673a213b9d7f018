#include "text/text_lines.h"

#include <cstdio>
#include <limits>

namespace tovick {

namespace {

constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
constexpr char kEndOfFileMarker = '\x1A';

}  // namespace

bool LineReader::AtEnd() const {
  return pos_ >= data_.size() || data_[pos_] == kEndOfFileMarker;
}

std::string LineReader::ReadLine() {
  return ReadLine(std::numeric_limits<std::size_t>::max());
}

std::string LineReader::ReadLine(std::size_t maxBytes) {
  std::string line;
  bool contentEnded = false;  // after a NUL the rest of the physical line is dropped
  while (pos_ < data_.size()) {
    const char c = data_[pos_];
    if (c == kEndOfFileMarker) break;  // left in place so that AtEnd() reports it
    ++pos_;
    if (c == kCarriageReturn) {
      if (pos_ < data_.size() && data_[pos_] == kLineFeed) ++pos_;
      break;
    }
    if (c == '\0') contentEnded = true;
    if (!contentEnded && line.size() < maxBytes) line.push_back(c);
  }
  return line;
}

void WriteLine(std::string& out, std::string_view text) {
  out.append(text);
  out += "\r\n";
}

bool ReadWholeFile(const std::string& path, std::string& contents) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  contents.clear();
  char buffer[4096];
  std::size_t count = 0;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) contents.append(buffer, count);
  const bool ok = std::ferror(file) == 0;
  std::fclose(file);
  return ok;
}

bool WriteWholeFile(const std::string& path, std::string_view contents) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
  const bool closed = std::fclose(file) == 0;
  return written && closed;
}

}  // namespace tovick
