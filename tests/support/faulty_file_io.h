#pragma once
// The platform's file calls with faults on request, for the failures a test cannot otherwise bring
// about on every platform and for every user: a file that opens only for reading (read-only, or
// another user's, which root and Wine would open all the same) and writes that fail (a full disk,
// a file that may not grow).

#include <algorithm>
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
  // Reads stop short after this many bytes of a file, as a failing disk's do; no file is mapped.
  std::optional<std::size_t> ReadLimit;

  Handle Open(const std::string& path, bool writable) override {
    if (writable && RefuseWritableOpen) return kNoFile;
    return platform_.Open(path, writable);
  }
  void Close(Handle file) override { platform_.Close(file); }
  std::int64_t Length(Handle file) override { return platform_.Length(file); }
  std::size_t ReadAt(Handle file, std::int64_t pos, std::uint8_t* out, std::size_t count) override {
    if (ReadLimit) {
      const auto limit = static_cast<std::int64_t>(*ReadLimit);
      count = pos >= limit ? 0 : std::min<std::size_t>(count, static_cast<std::size_t>(limit - pos));
    }
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
  Mapping Map(Handle file, std::size_t size) override {
    return ReadLimit ? Mapping{} : platform_.Map(file, size);
  }
  void Unmap(const Mapping& mapping) override { platform_.Unmap(mapping); }
  std::string Resolve(const std::string& path) override { return platform_.Resolve(path); }
  Kind KindOf(const std::string& path) override { return platform_.KindOf(path); }
  bool MayWrite(const std::string& path) override {
    return !RefuseWritableOpen && platform_.MayWrite(path);
  }
  std::string Identity(const std::string& path) override { return platform_.Identity(path); }
  Handle Create(const std::string& path) override { return platform_.Create(path); }
  bool CopyAccess(Handle file, const std::string& original) override {
    return platform_.CopyAccess(file, original);
  }
  bool Flush(Handle file) override { return platform_.Flush(file); }
  bool Replace(const std::string& from, const std::string& to) override {
    return platform_.Replace(from, to);
  }
  void FlushFolder(const std::string& path) override { platform_.FlushFolder(path); }
  bool Remove(const std::string& path) override { return platform_.Remove(path); }
  bool Exists(const std::string& path) override { return platform_.Exists(path); }

 private:
  FileIo& platform_ = PlatformFileIo();
};

}  // namespace tovick::testing
