#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "scm/file_io.h"

namespace tovick {

namespace {

int Fd(FileIo::Handle handle) {
  return static_cast<int>(handle);
}

// The new file being written, removed when a signal stops the run before it is renamed. A plain
// buffer: a signal handler may only read memory that needs no locking.
char gPending[PATH_MAX];
volatile sig_atomic_t gHavePending = 0;

void RemovePendingAndStop(int signal) {
  if (gHavePending != 0) ::unlink(gPending);
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}

void WatchSignals() {
  static const bool watching = [] {
    struct sigaction action {};
    action.sa_handler = RemovePendingAndStop;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
      struct sigaction old {};
      // A signal the caller ignores (nohup) stays ignored.
      if (::sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
      ::sigaction(signal, &action, nullptr);
    }
    return true;
  }();
  static_cast<void>(watching);
}

// Changes the pending name with the signals held, so a handler never sees half a name.
void SetPending(const std::string* path) {
  sigset_t all, old;
  sigfillset(&all);
  ::sigprocmask(SIG_BLOCK, &all, &old);
  gHavePending = 0;
  if (path != nullptr && path->size() < sizeof gPending) {
    std::memcpy(gPending, path->c_str(), path->size() + 1);
    gHavePending = 1;
  }
  ::sigprocmask(SIG_SETMASK, &old, nullptr);
}

void ForgetPending(const std::string& path) {
  if (gHavePending != 0 && path == gPending) SetPending(nullptr);
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
    std::size_t done = 0;
    while (done < count) {
      const ssize_t written = ::pwrite(Fd(file), bytes + done, count - done,
                                       static_cast<off_t>(pos + static_cast<std::int64_t>(done)));
      if (written < 0 && errno == EINTR) continue;
      // A failed write leaves the field half-changed at worst; the caller reports it.
      if (written <= 0) return false;
      done += static_cast<std::size_t>(written);
    }
    return true;
  }

  Mapping Map(Handle file, std::size_t size) override {
    int flags = MAP_PRIVATE;
#ifdef MAP_POPULATE
    flags |= MAP_POPULATE;  // every page at once, not one fault each
#endif
    void* data = ::mmap(nullptr, size, PROT_READ, flags, Fd(file), 0);
    if (data == MAP_FAILED) return {};
    return {static_cast<const std::uint8_t*>(data), size};
  }

  void Unmap(const Mapping& mapping) override {
    ::munmap(const_cast<std::uint8_t*>(mapping.Data), mapping.Size);
  }

  std::string Resolve(const std::string& path) override {
    constexpr int kMaxLinks = 40;  // as the kernel's own bound, against a loop of links
    std::string current = path;
    for (int hop = 0; hop < kMaxLinks; ++hop) {
      struct stat info {};
      if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
      std::string target(PATH_MAX, '\0');
      const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
      if (length <= 0) return current;
      target.resize(static_cast<std::size_t>(length));
      // A relative link names a file beside the link, not beside the working folder.
      const std::size_t slash = current.rfind('/');
      if (target.front() != '/' && slash != std::string::npos) {
        target = current.substr(0, slash + 1) + target;
      }
      current = target;
    }
    return current;
  }

  Kind KindOf(const std::string& path) override {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return errno == ENOENT ? Kind::Missing : Kind::Other;
    return S_ISREG(info.st_mode) ? Kind::Regular : Kind::Other;
  }

  bool MayWrite(const std::string& path) override {
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
  }

  std::string Identity(const std::string& path) override {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
      return "file " + std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
    }
    std::error_code error;
    const auto absolute = std::filesystem::weakly_canonical(std::filesystem::absolute(path), error);
    return "name " + (error ? path : absolute.string());
  }

  Handle Create(const std::string& path) override {
    WatchSignals();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return kNoFile;
    SetPending(&path);
    return fd;
  }

  bool CopyAccess(Handle file, const std::string& original) override {
    struct stat info {};
    if (::stat(original.c_str(), &info) != 0) return false;
    // The owner carries over where the process may (as root); elsewhere it stays the user's own.
    if (::fchown(Fd(file), info.st_uid, info.st_gid) != 0) {
      static_cast<void>(::fchown(Fd(file), static_cast<uid_t>(-1), info.st_gid));
    }
    return ::fchmod(Fd(file), info.st_mode & 07777) == 0;
  }

  bool Flush(Handle file) override { return ::fsync(Fd(file)) == 0; }

  bool Replace(const std::string& from, const std::string& to) override {
    const bool renamed = std::rename(from.c_str(), to.c_str()) == 0;
    if (renamed) ForgetPending(from);
    return renamed;
  }

  void FlushFolder(const std::string& path) override {
    const std::size_t slash = path.rfind('/');
    const std::string folder =
        slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    // Some file systems cannot flush a folder (EINVAL); the rename is done all the same.
    static_cast<void>(::fsync(fd));
    ::close(fd);
  }

  bool Remove(const std::string& path) override {
    ForgetPending(path);
    return ::unlink(path.c_str()) == 0;
  }

  bool Exists(const std::string& path) override {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
  }
};

}  // namespace

FileIo& PlatformFileIo() {
  // Never destroyed: a script file in a static object may still close through it at exit.
  static FileIo& io = *new PosixFileIo;
  return io;
}

}  // namespace tovick
