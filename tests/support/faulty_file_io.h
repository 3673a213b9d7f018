#pragma once
// The platform's file calls with faults on request, for the failures a test cannot otherwise bring
// about on every platform and for every user: a file that opens only for reading (read-only, or
// another user's, which root and Wine would open all the same) and writes that fail (a full disk,
// a file that may not grow).

#include <cstdint>
#include <optional>
#include <string>

#include "scm/file_io.h"

namespace tovick::testing {

class FaultyFileIo : public FileIo {
 public:
  // Opens for writing fail, as they do for a read-only file.
  bool RefuseWritableOpen = false;
  // A write that would reach past this many bytes fails and writes nothing.
  std::optional<std::int64_t> WriteLimit;
  // Writes refused so far.
  int RefusedWrites = 0;

  Handle Open(const std::string& path, bool writable) override {
    if (writable && RefuseWritableOpen) return kNoFile;
    return platform_.Open(path, writable);
  }
  void Close(Handle file) override { platform_.Close(file); }
  std::int64_t Length(Handle file) override { return platform_.Length(file); }
  std::size_t ReadAt(Handle file, std::int64_t pos, std::uint8_t* out, std::size_t count) override {
    return platform_.ReadAt(file, pos, out, count);
  }
  bool WriteAt(Handle file, std::int64_t pos, const std::uint8_t* bytes,
               std::size_t count) override {
    if (WriteLimit && pos + static_cast<std::int64_t>(count) > *WriteLimit) {
      ++RefusedWrites;
      return false;
    }
    return platform_.WriteAt(file, pos, bytes, count);
  }
  Handle Create(const std::string& path) override { return platform_.Create(path); }
  bool Flush(Handle file) override { return platform_.Flush(file); }
  bool Replace(const std::string& from, const std::string& to) override {
    return platform_.Replace(from, to);
  }
  bool Remove(const std::string& path) override { return platform_.Remove(path); }
  bool Exists(const std::string& path) override { return platform_.Exists(path); }

 private:
  FileIo& platform_ = PlatformFileIo();
};

}  // namespace tovick::testing
