#pragma once
// The platform's file calls under ScriptFile and under the files written whole (plug-ins), each
// platform's in its own half of the script file (script_file_posix.cpp, script_file_win32.cpp).
// Tests put their own in between to make a call fail on purpose, on every platform alike.

#include <cstddef>
#include <cstdint>
#include <string>

namespace tovick {

class FileIo {
 public:
  using Handle = std::intptr_t;
  static constexpr Handle kNoFile = -1;

  virtual ~FileIo() = default;

  // Opens an existing file for reading, and for writing too when writable; never creates one.
  // kNoFile when the file cannot be opened so.
  virtual Handle Open(const std::string& path, bool writable) = 0;
  virtual void Close(Handle file) = 0;
  // The file's size in bytes; 0 when it cannot be learned.
  virtual std::int64_t Length(Handle file) = 0;
  // Reads up to count bytes from pos into out; the number read, short at the end of the file or
  // on a failed read.
  virtual std::size_t ReadAt(Handle file, std::int64_t pos, std::uint8_t* out,
                             std::size_t count) = 0;
  // One positioned write; true only when all count bytes reached the file.
  virtual bool WriteAt(Handle file, std::int64_t pos, const std::uint8_t* bytes,
                       std::size_t count) = 0;

  // Creates a new, empty file for writing only, shared with no one; kNoFile when a file of that
  // name exists already or it cannot be created.
  virtual Handle Create(const std::string& path) = 0;
  // True once what was written to the file has reached the disk.
  virtual bool Flush(Handle file) = 0;
  // Renames from to to, replacing a file named to; false when to cannot be replaced (a read-only
  // file, a directory) or the rename fails.
  virtual bool Replace(const std::string& from, const std::string& to) = 0;
  virtual bool Remove(const std::string& path) = 0;
  // True when anything (file or directory) has this name.
  virtual bool Exists(const std::string& path) = 0;
};

// The running platform's file calls.
FileIo& PlatformFileIo();

}  // namespace tovick
