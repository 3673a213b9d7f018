#pragma once
// A whole mission script in memory, read only, for the commands that read every byte of it (the
// companion's). POSIX maps the file (on a virtual machine every fresh page of memory costs a
// fault, while a mapping of the cached file costs next to nothing); Windows reads it whole. The
// file is never held open after Open: the mapping outlives it, and on Windows no lock remains.
// Another program that shortens the file while it is mapped makes the bytes past its new end
// unreadable, as with any mapped file.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tovick {

class ScriptBytes {
 public:
  enum class Load {
    Loaded,
    CannotOpen,  // missing, unreadable, or not a regular file
    TooLarge,    // more than kMaxScriptFileBytes (script_file.h): nothing read
  };

  ScriptBytes() = default;
  ScriptBytes(const ScriptBytes&) = delete;
  ScriptBytes& operator=(const ScriptBytes&) = delete;
  ~ScriptBytes() { Close(); }

  // Tries read-write first (to learn whether the file could be written), then read-only.
  Load Open(const std::string& path);
  void Close();

  std::span<const std::uint8_t> Bytes() const { return bytes_; }
  // The file's length, also when it is too large.
  std::int64_t Length() const { return length_; }
  // The file could be opened for writing.
  bool Writable() const { return writable_; }

 private:
  std::span<const std::uint8_t> bytes_;
  std::vector<std::uint8_t> copy_;  // where the bytes are read, not mapped
  void* mapping_ = nullptr;
  std::size_t mappedSize_ = 0;
  std::int64_t length_ = 0;
  bool writable_ = false;
};

}  // namespace tovick
