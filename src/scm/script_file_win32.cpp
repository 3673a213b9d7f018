#include <windows.h>

#include <algorithm>

#include "scm/script_file.h"

namespace tovick {

namespace {

HANDLE ToHandle(std::intptr_t handle) {
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

}  // namespace

bool ScriptFile::Open(const std::string& path) {
  Close();
  // Share mode 0: the game or another editor cannot open the script while it is held here.
  // OPEN_EXISTING: a path that names no file must not leave an empty one behind.
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  OpenMode mode = OpenMode::ReadWrite;
  if (file == INVALID_HANDLE_VALUE) {
    file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
    mode = OpenMode::ReadOnly;
  }
  if (file == INVALID_HANDLE_VALUE) return false;
  handle_ = reinterpret_cast<std::intptr_t>(file);
  mode_ = mode;
  return true;
}

void ScriptFile::Close() {
  if (mode_ != OpenMode::Closed) CloseHandle(ToHandle(handle_));
  handle_ = -1;
  mode_ = OpenMode::Closed;
}

std::int64_t ScriptFile::Length() const {
  if (!IsOpen()) return 0;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(ToHandle(handle_), &size)) return 0;
  return static_cast<std::int64_t>(size.QuadPart);
}

void ScriptFile::ReadBytes(std::int64_t pos, std::uint8_t* out, std::size_t count) const {
  std::fill(out, out + count, std::uint8_t{0});
  if (!IsOpen() || pos < 0) return;
  std::size_t done = 0;
  while (done < count) {
    OVERLAPPED overlapped = AtOffset(pos + static_cast<std::int64_t>(done));
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(count - done, 1u << 30));
    DWORD got = 0;
    // Reading at or past the end fails with ERROR_HANDLE_EOF or returns 0 bytes: the rest stays 0.
    if (!ReadFile(ToHandle(handle_), out + done, want, &got, &overlapped) || got == 0) break;
    done += got;
  }
}

bool ScriptFile::WriteRaw(std::int64_t pos, const std::uint8_t* bytes, std::size_t count) {
  if (mode_ != OpenMode::ReadWrite || pos < 0) return false;
  OVERLAPPED overlapped = AtOffset(pos);
  DWORD written = 0;
  if (!WriteFile(ToHandle(handle_), bytes, static_cast<DWORD>(count), &written, &overlapped)) {
    return false;
  }
  // A short write counts as a failure: the field would be left half-changed.
  return written == count;
}

}  // namespace tovick
