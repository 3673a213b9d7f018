#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "scm/script_file.h"

namespace tovick {

namespace {

int Fd(std::intptr_t handle) {
  return static_cast<int>(handle);
}

}  // namespace

bool ScriptFile::Open(const std::string& path) {
  Close();
  // Never O_CREAT: a path that names no file must not leave an empty one behind.
  int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  OpenMode mode = OpenMode::ReadWrite;
  if (fd < 0) {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    mode = OpenMode::ReadOnly;
  }
  if (fd < 0) return false;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    // A directory or device is not a mission script.
    ::close(fd);
    return false;
  }
  handle_ = fd;
  mode_ = mode;
  return true;
}

void ScriptFile::Close() {
  if (handle_ >= 0) ::close(Fd(handle_));
  handle_ = -1;
  mode_ = OpenMode::Closed;
}

std::int64_t ScriptFile::Length() const {
  if (!IsOpen()) return 0;
  struct stat info {};
  if (::fstat(Fd(handle_), &info) != 0) return 0;
  return static_cast<std::int64_t>(info.st_size);
}

void ScriptFile::ReadBytes(std::int64_t pos, std::uint8_t* out, std::size_t count) const {
  std::fill(out, out + count, std::uint8_t{0});
  if (!IsOpen() || pos < 0) return;
  std::size_t done = 0;
  while (done < count) {
    const ssize_t got = ::pread(Fd(handle_), out + done, count - done,
                                static_cast<off_t>(pos + static_cast<std::int64_t>(done)));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;  // end of file or a failed read: the rest stays 0
    done += static_cast<std::size_t>(got);
  }
}

bool ScriptFile::WriteRaw(std::int64_t pos, const std::uint8_t* bytes, std::size_t count) {
  if (mode_ != OpenMode::ReadWrite || pos < 0) return false;
  ssize_t written = 0;
  do {
    written = ::pwrite(Fd(handle_), bytes, count, static_cast<off_t>(pos));
  } while (written < 0 && errno == EINTR);
  // A short write counts as a failure: the field would be left half-changed.
  return written == static_cast<ssize_t>(count);
}

}  // namespace tovick
