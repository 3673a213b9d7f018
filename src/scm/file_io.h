#pragma once
// The platform's file calls under ScriptFile, the whole-file reader and the one writer, each
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

  enum class Kind { Missing, Regular, Other };

  // Read-only bytes of an open file, mapped into memory; Data is null when none.
  struct Mapping {
    const std::uint8_t* Data = nullptr;
    std::size_t Size = 0;
  };

  virtual ~FileIo() = default;

  // Opens an existing regular file for reading, and for writing too when writable; never creates
  // one, and never waits (a FIFO is refused at once). kNoFile when the file cannot be opened so.
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
  // The first size bytes of an open file, mapped; a Mapping without data where the platform
  // cannot map (the caller reads instead). The mapping outlives the handle.
  virtual Mapping Map(Handle file, std::size_t size) = 0;
  virtual void Unmap(const Mapping& mapping) = 0;

  // The name a path stands for once every symbolic link on the way is followed (the path itself
  // when it names no link, or no file yet).
  virtual std::string Resolve(const std::string& path) = 0;
  virtual Kind KindOf(const std::string& path) = 0;
  // True when this user may write the existing file at path (not read-only, not another's).
  virtual bool MayWrite(const std::string& path) = 0;
  // Equal for two names of one file (through links, or other spellings); for a name that is no
  // file yet, its absolute form.
  virtual std::string Identity(const std::string& path) = 0;

  // Creates a new, empty file for writing only, shared with no one; kNoFile when a file of that
  // name exists already or it cannot be created. Until it is renamed or removed, an interrupted
  // run (Ctrl-C, a termination signal) removes it.
  virtual Handle Create(const std::string& path) = 0;
  // Gives the new file the mode of the file at original, and its owner where the process may.
  // Where the platform keeps them through Replace (Windows), nothing to do.
  virtual bool CopyAccess(Handle file, const std::string& original) = 0;
  // True once what was written to the file has reached the disk.
  virtual bool Flush(Handle file) = 0;
  // Renames from to to, replacing a file named to; false when to cannot be replaced (a read-only
  // file, a directory) or the rename fails.
  virtual bool Replace(const std::string& from, const std::string& to) = 0;
  // Makes a rename in the folder holding path last through a power cut; best effort.
  virtual void FlushFolder(const std::string& path) = 0;
  virtual bool Remove(const std::string& path) = 0;
  // True when anything (file or directory) has this name.
  virtual bool Exists(const std::string& path) = 0;
};

// The running platform's file calls.
FileIo& PlatformFileIo();

}  // namespace tovick
