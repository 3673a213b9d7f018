#include <windows.h>

#include <algorithm>
#include <cwchar>

#include "scm/file_io.h"
#include "text/path_text.h"

// Paths are converted to the wide form and opened through the wide calls, so a name in any
// alphabet can be reached whatever the ANSI code page (path_text.h says how they are spelled).

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

// The new file being written, deleted when Ctrl-C or a closing console stops the run before it
// is renamed. The handler runs on a thread of its own, so the name sits in a plain buffer.
wchar_t gPending[MAX_PATH * 4];
volatile LONG gHavePending = 0;

BOOL WINAPI RemovePending(DWORD) {
  if (gHavePending != 0) DeleteFileW(gPending);
  return FALSE;  // the default handler ends the process
}

void SetPending(const std::wstring* path) {
  static const BOOL watching = SetConsoleCtrlHandler(RemovePending, TRUE);
  static_cast<void>(watching);
  InterlockedExchange(&gHavePending, 0);
  if (path != nullptr && path->size() < std::size(gPending)) {
    std::wmemcpy(gPending, path->c_str(), path->size() + 1);
    InterlockedExchange(&gHavePending, 1);
  }
}

void ForgetPending(const std::wstring& path) {
  if (gHavePending != 0 && path == gPending) SetPending(nullptr);
}

DWORD Attributes(const std::string& path) {
  return GetFileAttributesW(WidePath(path).c_str());
}

class Win32FileIo final : public FileIo {
 public:
  Handle Open(const std::string& path, bool writable) override {
    // Share mode 0: the game or another editor cannot open the script while it is held here.
    // OPEN_EXISTING: a path that names no file must not leave an empty one behind.
    const DWORD access = writable ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
    HANDLE file = CreateFileW(WidePath(path).c_str(), access, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return kNoFile;
    // A device (NUL, CON, a pipe) is no file to read whole.
    if (GetFileType(file) != FILE_TYPE_DISK) {
      CloseHandle(file);
      return kNoFile;
    }
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
    std::size_t done = 0;
    while (done < count) {
      OVERLAPPED overlapped = AtOffset(pos + static_cast<std::int64_t>(done));
      const DWORD want = static_cast<DWORD>(std::min<std::size_t>(count - done, 1u << 30));
      DWORD written = 0;
      if (!WriteFile(ToHandle(file), bytes + done, want, &written, &overlapped) || written == 0) {
        return false;
      }
      done += written;
    }
    return true;
  }

  // Windows reads the file whole: no mapping is left holding it.
  Mapping Map(Handle, std::size_t) override { return {}; }
  void Unmap(const Mapping&) override {}

  std::string Resolve(const std::string& path) override {
    const DWORD attributes = Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
      return path;
    }
    HANDLE file = CreateFileW(WidePath(path).c_str(), 0,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return path;
    std::wstring target(32768, L'\0');
    const DWORD length = GetFinalPathNameByHandleW(file, target.data(),
                                                   static_cast<DWORD>(target.size()), 0);
    CloseHandle(file);
    if (length == 0 || length >= target.size()) return path;
    target.resize(length);
    return NarrowPath(target);
  }

  Kind KindOf(const std::string& path) override {
    const DWORD attributes = Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      const DWORD error = GetLastError();
      return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Kind::Missing
                                                                            : Kind::Other;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? Kind::Other : Kind::Regular;
  }

  bool MayWrite(const std::string& path) override {
    const DWORD attributes = Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
      return false;
    }
    HANDLE file = CreateFileW(WidePath(path).c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
  }

  std::string Identity(const std::string& path) override {
    const std::wstring wide = WidePath(path);
    HANDLE file = CreateFileW(wide.c_str(), 0,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      BY_HANDLE_FILE_INFORMATION info{};
      const BOOL known = GetFileInformationByHandle(file, &info);
      CloseHandle(file);
      if (known) {
        return "file " + std::to_string(info.dwVolumeSerialNumber) + ":" +
               std::to_string(info.nFileIndexHigh) + ":" + std::to_string(info.nFileIndexLow);
      }
    }
    std::wstring full(32768, L'\0');
    const DWORD length =
        GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0 || length >= full.size()) return "name " + path;
    full.resize(length);
    // Names differ only in case on Windows' file systems when they are one.
    CharLowerBuffW(full.data(), length);
    return "name " + NarrowPath(full);
  }

  Handle Create(const std::string& path) override {
    const std::wstring wide = WidePath(path);
    // FILE_SHARE_DELETE: Ctrl-C may delete it while it is still open.
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return kNoFile;
    SetPending(&wide);
    return reinterpret_cast<Handle>(file);
  }

  // ReplaceFileW keeps the replaced file's attributes and ACL.
  bool CopyAccess(Handle, const std::string&) override { return true; }

  bool Flush(Handle file) override { return FlushFileBuffers(ToHandle(file)) != FALSE; }

  bool Replace(const std::string& from, const std::string& to) override {
    const std::wstring wideFrom = WidePath(from);
    const std::wstring wideTo = WidePath(to);
    const bool replacing = GetFileAttributesW(wideTo.c_str()) != INVALID_FILE_ATTRIBUTES;
    // Both fail on a read-only file or a directory of that name, as opening it for writing would.
    const bool renamed =
        replacing ? ReplaceFileW(wideTo.c_str(), wideFrom.c_str(), nullptr,
                                 REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != FALSE
                  : MoveFileExW(wideFrom.c_str(), wideTo.c_str(), MOVEFILE_WRITE_THROUGH) != FALSE;
    if (renamed) ForgetPending(wideFrom);
    return renamed;
  }

  // A folder cannot be flushed through the Win32 calls; NTFS journals the rename itself.
  void FlushFolder(const std::string&) override {}

  bool Remove(const std::string& path) override {
    const std::wstring wide = WidePath(path);
    ForgetPending(wide);
    return DeleteFileW(wide.c_str()) != FALSE;
  }

  bool Exists(const std::string& path) override {
    return Attributes(path) != INVALID_FILE_ATTRIBUTES;
  }
};

}  // namespace

FileIo& PlatformFileIo() {
  // Never destroyed: a script file in a static object may still close through it at exit.
  static FileIo& io = *new Win32FileIo;
  return io;
}

}  // namespace tovick
