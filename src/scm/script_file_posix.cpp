#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "scm/file_io.h"

namespace tovick {

namespace {

int Fd(FileIo::Handle handle) {
  return static_cast<int>(handle);
}

class PosixFileIo final : public FileIo {
 public:
  Handle Open(const std::string& path, bool writable) override {
    // Never O_CREAT: a path that names no file must not leave an empty one behind. Non-blocking,
    // so that a FIFO is refused at once instead of waiting for a writer.
    const int fd = ::open(path.c_str(), (writable ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return kNoFile;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
      // A directory or device is not a mission script.
      ::close(fd);
      return kNoFile;
    }
    return fd;
  }

  void Close(Handle file) override { ::close(Fd(file)); }

  std::int64_t Length(Handle file) override {
    struct stat info {};
    if (::fstat(Fd(file), &info) != 0) return 0;
    return static_cast<std::int64_t>(info.st_size);
  }

  std::size_t ReadAt(Handle file, std::int64_t pos, std::uint8_t* out, std::size_t count) override {
    std::size_t done = 0;
    while (done < count) {
      const ssize_t got = ::pread(Fd(file), out + done, count - done,
                                  static_cast<off_t>(pos + static_cast<std::int64_t>(done)));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;  // end of file or a failed read
      done += static_cast<std::size_t>(got);
    }
    return done;
  }

  bool WriteAt(Handle file, std::int64_t pos, const std::uint8_t* bytes,
               std::size_t count) override {
    ssize_t written = 0;
    do {
      written = ::pwrite(Fd(file), bytes, count, static_cast<off_t>(pos));
    } while (written < 0 && errno == EINTR);
    // A short write counts as a failure: the field would be left half-changed.
    return written == static_cast<ssize_t>(count);
  }

  Handle Create(const std::string& path) override {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    return fd < 0 ? kNoFile : fd;
  }

  bool Flush(Handle file) override { return ::fsync(Fd(file)) == 0; }

  bool Replace(const std::string& from, const std::string& to) override {
    return std::rename(from.c_str(), to.c_str()) == 0;
  }

  bool Remove(const std::string& path) override { return ::unlink(path.c_str()) == 0; }

  bool Exists(const std::string& path) override {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
  }
};

}  // namespace

FileIo& PlatformFileIo() {
  // Never destroyed: a script file in a static object may still close through it at exit.
  static FileIo& io = *new PosixFileIo;
  return io;
}

}  // namespace tovick
