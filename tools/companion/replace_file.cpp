#include "replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#else
#include <unistd.h>
#endif

namespace tovick::companion {

namespace {

namespace fs = std::filesystem;

constexpr int kNameAttempts = 100;

#ifdef _WIN32
int OpenNew(const fs::path& path) {
  return _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}
int WriteSome(int fd, const char* data, std::size_t count) {
  return _write(fd, data, static_cast<unsigned>(count));
}
bool Finish(int fd, const fs::path&) {
  return _commit(fd) == 0 && _close(fd) == 0;
}
int ProcessId() {
  return _getpid();
}
#else
int OpenNew(const fs::path& path) {
  return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
}
ssize_t WriteSome(int fd, const char* data, std::size_t count) {
  return ::write(fd, data, count);
}
// Flushed to the disk before the rename, so the new name never points at missing data. The owner
// is carried over where the process may (as root); elsewhere the new file stays the user's own.
bool Finish(int fd, const fs::path& original) {
  struct stat info {};
  const bool ownerKept =
      ::stat(original.c_str(), &info) == 0 && ::fchown(fd, info.st_uid, info.st_gid) == 0;
  static_cast<void>(ownerKept);
  const bool synced = ::fsync(fd) == 0;
  return ::close(fd) == 0 && synced;
}
int ProcessId() {
  return static_cast<int>(::getpid());
}
#endif

bool WriteAll(int fd, std::string_view contents) {
  while (!contents.empty()) {
    const auto written = WriteSome(fd, contents.data(), contents.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    contents.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

bool ReplaceFileContents(const std::string& path, std::string_view contents, std::string& problem) {
  std::error_code error;
  const fs::path target = fs::canonical(fs::path(path), error);
  if (error) {
    problem = "cannot find " + path + ": " + error.message();
    return false;
  }
  const fs::perms perms = fs::status(target, error).permissions();
  if (error) {
    problem = "cannot read the permissions of " + path + ": " + error.message();
    return false;
  }

  fs::path temporary;
  int fd = -1;
  for (int attempt = 0; attempt < kNameAttempts && fd < 0; ++attempt) {
    temporary =
        target.parent_path() / ("." + target.filename().string() + ".tovick-" +
                                std::to_string(ProcessId()) + "-" + std::to_string(attempt));
    fd = OpenNew(temporary);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    problem = "cannot create a file beside " + path + ": " + std::strerror(errno);
    return false;
  }

  const bool written = WriteAll(fd, contents);
  const int writeError = errno;
  const bool finished = Finish(fd, target) && written;
  if (!finished) {
    problem =
        "cannot write " + temporary.string() + ": " + std::strerror(written ? errno : writeError);
    fs::remove(temporary, error);
    return false;
  }
  fs::permissions(temporary, perms, fs::perm_options::replace, error);
  if (!error) fs::rename(temporary, target, error);
  if (error) {
    problem = "cannot replace " + path + ": " + error.message();
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return false;
  }
  return true;
}

}  // namespace tovick::companion
