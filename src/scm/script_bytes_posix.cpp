#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "scm/script_bytes.h"
#include "scm/script_file.h"

namespace tovick {

namespace {

// Reads count bytes from offset 0; false on a failed or short read.
bool ReadAll(int fd, std::uint8_t* out, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t got = ::pread(fd, out + done, count - done, static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    done += static_cast<std::size_t>(got);
  }
  return true;
}

}  // namespace

ScriptBytes::Load ScriptBytes::Open(const std::string& path) {
  Close();
  // O_NONBLOCK: a FIFO must not hold the open up; it is refused below as no regular file.
  int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
  writable_ = fd >= 0;
  if (fd < 0) fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return Load::CannotOpen;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    writable_ = false;
    return Load::CannotOpen;
  }
  length_ = static_cast<std::int64_t>(info.st_size);
  if (length_ > kMaxScriptFileBytes) {
    ::close(fd);
    return Load::TooLarge;
  }
  const auto size = static_cast<std::size_t>(length_);
  if (size > 0) {
    int flags = MAP_PRIVATE;
#ifdef MAP_POPULATE
    flags |= MAP_POPULATE;  // every page at once, not one fault each
#endif
    void* mapping = ::mmap(nullptr, size, PROT_READ, flags, fd, 0);
    if (mapping != MAP_FAILED) {
      mapping_ = mapping;
      mappedSize_ = size;
      bytes_ = std::span(static_cast<const std::uint8_t*>(mapping), size);
    } else {
      // A file system that cannot map: read it, and a failed read leaves zeros, as the editor's.
      copy_.assign(size, 0);
      ReadAll(fd, copy_.data(), size);
      bytes_ = copy_;
    }
  }
  ::close(fd);
  return Load::Loaded;
}

void ScriptBytes::Close() {
  if (mapping_ != nullptr) ::munmap(mapping_, mappedSize_);
  mapping_ = nullptr;
  mappedSize_ = 0;
  copy_.clear();
  bytes_ = {};
  length_ = 0;
  writable_ = false;
}

}  // namespace tovick
