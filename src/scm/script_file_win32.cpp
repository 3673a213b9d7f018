#include <windows.h>

#include <algorithm>

#include "scm/file_io.h"

namespace tovick {

namespace {

HANDLE ToHandle(FileIo::Handle handle) {
  return reinterpret_cast<HANDLE>(handle);
}

// Positions a read or write through the OVERLAPPED offset, so no shared file pointer is involved.
OVERLAPPED AtOffset(std::int64_t pos) {
  OVERLAPPED overlapped{};
  const auto offset = static_cast<std::uint64_t>(pos);
  overlapped.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
  overlapped.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return overlapped;
}

class Win32FileIo final : public FileIo {
 public:
  Handle Open(const std::string& path, bool writable) override {
    // Share mode 0: the game or another editor cannot open the script while it is held here.
    // OPEN_EXISTING: a path that names no file must not leave an empty one behind.
    const DWORD access = writable ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
    HANDLE file = CreateFileA(path.c_str(), access, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return kNoFile;
    return reinterpret_cast<Handle>(file);
  }

  void Close(Handle file) override { CloseHandle(ToHandle(file)); }

  std::int64_t Length(Handle file) override {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(ToHandle(file), &size)) return 0;
    return static_cast<std::int64_t>(size.QuadPart);
  }

  std::size_t ReadAt(Handle file, std::int64_t pos, std::uint8_t* out, std::size_t count) override {
    std::size_t done = 0;
    while (done < count) {
      OVERLAPPED overlapped = AtOffset(pos + static_cast<std::int64_t>(done));
      const DWORD want = static_cast<DWORD>(std::min<std::size_t>(count - done, 1u << 30));
      DWORD got = 0;
      // Reading at or past the end fails with ERROR_HANDLE_EOF or returns 0 bytes.
      if (!ReadFile(ToHandle(file), out + done, want, &got, &overlapped) || got == 0) break;
      done += got;
    }
    return done;
  }

  bool WriteAt(Handle file, std::int64_t pos, const std::uint8_t* bytes,
               std::size_t count) override {
    OVERLAPPED overlapped = AtOffset(pos);
    DWORD written = 0;
    if (!WriteFile(ToHandle(file), bytes, static_cast<DWORD>(count), &written, &overlapped)) {
      return false;
    }
    // A short write counts as a failure: the field would be left half-changed.
    return written == count;
  }

  Handle Create(const std::string& path) override {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return kNoFile;
    return reinterpret_cast<Handle>(file);
  }

  bool Flush(Handle file) override { return FlushFileBuffers(ToHandle(file)) != FALSE; }

  bool Replace(const std::string& from, const std::string& to) override {
    // Fails on a read-only file or a directory of that name, as opening it for writing would.
    return MoveFileExA(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  }

  bool Remove(const std::string& path) override { return DeleteFileA(path.c_str()) != FALSE; }

  bool Exists(const std::string& path) override {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }
};

}  // namespace

FileIo& PlatformFileIo() {
  // Never destroyed: a script file in a static object may still close through it at exit.
  static FileIo& io = *new Win32FileIo;
  return io;
}

}  // namespace tovick
