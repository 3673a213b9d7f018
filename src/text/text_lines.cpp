#include "text/text_lines.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <vector>

#include "text/path_text.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace tovick {

namespace {

constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
constexpr char kEndOfFileMarker = '\x1A';

#ifdef _WIN32
// The open file when it is a regular one; anything else is closed and refused.
std::FILE* OnlyIfRegular(std::FILE* file) {
  if (file == nullptr) return nullptr;
  struct _stat64 info {};
  if (_fstat64(_fileno(file), &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) {
    std::fclose(file);
    return nullptr;
  }
  return file;
}
#endif

// Opens a regular file for binary reading. Anything else (a directory, a FIFO, a device such as
// NUL) is refused: a FIFO would block the open, and a device is no text file.
std::FILE* OpenRegularFile(const std::string& path) {
#ifdef _WIN32
  return OnlyIfRegular(_wfopen(WidePath(path).c_str(), L"rb"));
#else
  // Non-blocking, so that opening a FIFO returns at once instead of waiting for a writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  std::FILE* file = ::fdopen(fd, "rb");
  if (file == nullptr) ::close(fd);
  return file;
#endif
}

// Creates or empties a regular file for binary writing; anything else is refused as for reading.
// A FIFO would block the open until a reader came, and then take the text.
std::FILE* CreateRegularFile(const std::string& path) {
#ifdef _WIN32
  // There an open of a pipe or a device does not wait for the other end, so the check can follow.
  return OnlyIfRegular(_wfopen(WidePath(path).c_str(), L"wb"));
#else
  // Emptied only once it is known to be a regular file.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || ::ftruncate(fd, 0) != 0) {
    ::close(fd);
    return nullptr;
  }
  std::FILE* file = ::fdopen(fd, "wb");
  if (file == nullptr) ::close(fd);
  return file;
#endif
}

}  // namespace

bool LineReader::AtEnd() const {
  return pos_ >= data_.size() || data_[pos_] == kEndOfFileMarker;
}

std::string LineReader::ReadLine() {
  return ReadLine(std::numeric_limits<std::size_t>::max());
}

std::string LineReader::ReadLine(std::size_t maxBytes) {
  // The line runs to the next CR or byte 26 (which stays for AtEnd() to see); its content stops at
  // the first NUL, and only the first maxBytes of the content are kept.
  const auto stop =
      std::find_if(data_.begin() + static_cast<std::ptrdiff_t>(pos_), data_.end(),
                   [](char c) { return c == kCarriageReturn || c == kEndOfFileMarker; });
  const std::size_t end = static_cast<std::size_t>(stop - data_.begin());
  const std::string_view physical = data_.substr(pos_, end - pos_);
  std::string line(physical.substr(0, std::min(physical.find('\0'), maxBytes)));
  pos_ = end;
  if (pos_ < data_.size() && data_[pos_] == kCarriageReturn) {
    ++pos_;
    if (pos_ < data_.size() && data_[pos_] == kLineFeed) ++pos_;
  }
  return line;
}

void WriteLine(std::string& out, std::string_view text) {
  out.append(text);
  out += "\r\n";
}

TextFileRead ReadTextFile(const std::string& path, std::string& contents) {
  contents.clear();
  std::FILE* file = OpenRegularFile(path);
  if (file == nullptr) return TextFileRead::CannotOpen;
  // The size is checked while reading, not only from the file's length, which a file that grows
  // meanwhile (or a special file posing as a regular one) does not keep to.
  TextFileRead result = TextFileRead::Read;
  // Large reads: each read call costs more than copying the bytes does (a save is 200 KB).
  std::vector<char> buffer(64 * 1024);
  std::size_t count = 0;
  while ((count = std::fread(buffer.data(), 1, buffer.size(), file)) > 0) {
    if (count > kMaxTextFileBytes - contents.size()) {
      result = TextFileRead::TooLarge;
      break;
    }
    contents.append(buffer.data(), count);
  }
  if (result == TextFileRead::Read && std::ferror(file) != 0) result = TextFileRead::CannotOpen;
  std::fclose(file);
  if (result != TextFileRead::Read) contents.clear();
  return result;
}

bool ReadWholeFile(const std::string& path, std::string& contents) {
  return ReadTextFile(path, contents) == TextFileRead::Read;
}

std::string TooLargeReason() {
  return "larger than " + std::to_string(kMaxTextFileBytes / (1024 * 1024)) + " MiB";
}

bool WriteWholeFile(const std::string& path, std::string_view contents) {
  std::FILE* file = CreateRegularFile(path);
  if (file == nullptr) return false;
  const bool written = std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
  const bool closed = std::fclose(file) == 0;
  return written && closed;
}

}  // namespace tovick
