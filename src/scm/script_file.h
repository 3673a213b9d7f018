#pragma once
// The mission script, held open between operations and reached by positioned reads and writes.
// Win32: CreateFileA without sharing; POSIX: open(2). A missing file is never created.

#include <cstdint>
#include <string>

#include "scm/file_io.h"

namespace tovick {

// The largest script the companion reads into memory: far beyond any real one (under 1 MiB), small
// enough that a wrong file (a disc image) is refused instead of filling the memory.
inline constexpr std::int64_t kMaxScriptFileBytes = 64 * 1024 * 1024;

// Why a script above the bound is refused, for the messages: "larger than 64 MiB".
std::string ScriptTooLargeReason();

class ScriptFile {
 public:
  enum class OpenMode { Closed, ReadWrite, ReadOnly };

  ScriptFile() = default;
  ScriptFile(const ScriptFile&) = delete;
  ScriptFile& operator=(const ScriptFile&) = delete;
  ~ScriptFile() { Close(); }

  // Tries read-write first, then read-only. Returns false (and stays closed) when neither works.
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return mode_ != OpenMode::Closed; }
  OpenMode Mode() const { return mode_; }

  std::int64_t Length() const;

  // Routes the file calls through io from now on (closing the file first); the platform's calls
  // are used until then. io must outlive this object.
  void SetFileIo(FileIo& io);

  // A byte past the end of the file (or of a failed read) reads as 0.
  std::uint8_t ReadByte(std::int64_t pos) const;
  std::uint16_t ReadWord(std::int64_t pos) const;  // little-endian
  // Fills out[0..count) from pos; bytes past the end read as 0.
  void ReadBytes(std::int64_t pos, std::uint8_t* out, std::size_t count) const;

  // One positioned write each; false when the write did not reach the file.
  bool WriteByte(std::int64_t pos, std::uint8_t value);
  bool WriteWord(std::int64_t pos, std::uint16_t value);  // little-endian

 private:
  bool WriteRaw(std::int64_t pos, const std::uint8_t* bytes, std::size_t count);

  FileIo* io_ = &PlatformFileIo();
  FileIo::Handle handle_ = FileIo::kNoFile;
  OpenMode mode_ = OpenMode::Closed;
};

}  // namespace tovick
