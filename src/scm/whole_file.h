#pragma once
// A whole binary file in memory, read only: a mission script or a saved game. The size bound is
// checked before a byte is read; a FIFO, a device or a folder is refused at once, without waiting
// for a writer; a short or failed read refuses the file rather than leaving zeros in its place.
// Where the platform can, the file is mapped (a mapping of a cached file costs next to nothing,
// while every fresh page of memory costs a fault); the file is not held open afterwards.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "scm/file_io.h"

namespace tovick {

enum class WholeFileRead {
  Read,        // also an empty file: the caller decides what an empty file means
  CannotOpen,  // missing, unreadable, no regular file, or a read that failed or came up short
  TooLarge,    // more than the bound: nothing read
};

class WholeFile {
 public:
  WholeFile() = default;
  WholeFile(const WholeFile&) = delete;
  WholeFile& operator=(const WholeFile&) = delete;
  ~WholeFile() { Close(); }

  WholeFileRead Open(FileIo& io, const std::string& path, std::int64_t maxBytes);
  void Close();

  std::span<const std::uint8_t> Bytes() const { return bytes_; }
  // The file's length, also when it is too large.
  std::int64_t Length() const { return length_; }

 private:
  FileIo* io_ = nullptr;
  FileIo::Mapping mapping_;
  std::vector<std::uint8_t> copy_;  // where the bytes are read, not mapped
  std::span<const std::uint8_t> bytes_;
  std::int64_t length_ = 0;
};

}  // namespace tovick
