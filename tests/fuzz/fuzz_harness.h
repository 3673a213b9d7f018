#pragma once
// What every fuzz target shares: a reader over libFuzzer's input, a check that stops the run with
// a message (libFuzzer saves the input that made it), the demo data, and the script file in memory.
//
//   TOVICK_FUZZ_TARGET(input) {
//     const std::string text = input.Rest();
//     FUZZ_CHECK(Parse(text).size() <= 51);
//   }

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "gen/demo_data.h"
#include "scm/file_io.h"

namespace tovick::fuzz {

// Takes the input from the front: fixed-size values, short texts, then the rest. Past the end
// everything reads as zeros and empty texts, so each target accepts any input.
class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  template <typename T>
  T Value() {
    std::uint8_t bytes[sizeof(T)] = {};
    for (std::uint8_t& byte : bytes) byte = Byte();
    T value;
    std::memcpy(&value, bytes, sizeof(T));
    return value;
  }
  // A length byte (taken modulo maxLength + 1) and that many bytes.
  std::string Text(std::size_t maxLength) {
    const std::size_t length = std::min<std::size_t>(Byte() % (maxLength + 1), size_ - pos_);
    return Take(length);
  }
  std::string Rest() { return Take(size_ - pos_); }

 private:
  std::string Take(std::size_t length) {
    std::string text(reinterpret_cast<const char*>(data_ + pos_), length);
    pos_ += length;
    return text;
  }

  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// A broken property: says which and where, then aborts, so libFuzzer keeps the input.
[[noreturn]] inline void Fail(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: fuzz check failed: %s\n", file, line, condition);
  std::abort();
}

#define FUZZ_CHECK(condition) \
  ((condition) ? static_cast<void>(0) : ::tovick::fuzz::Fail(#condition, __FILE__, __LINE__))

#define TOVICK_FUZZ_TARGET(input)                                                     \
  static void FuzzOne(::tovick::fuzz::FuzzInput& input);                              \
  extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { \
    ::tovick::fuzz::FuzzInput input(data, size);                                      \
    FuzzOne(input);                                                                   \
    return 0;                                                                         \
  }                                                                                   \
  static void FuzzOne(::tovick::fuzz::FuzzInput& input)

// The demo script of seed 1, made once.
inline const std::vector<std::uint8_t>& DemoScript() {
  static const std::vector<std::uint8_t> script = demo::GenerateScript(1);
  return script;
}

// The script file in memory, behind the script file's I/O seam: one file, any path.
class MemoryFileIo final : public FileIo {
 public:
  explicit MemoryFileIo(std::vector<std::uint8_t> bytes) : Bytes(std::move(bytes)) {}

  std::vector<std::uint8_t> Bytes;

  Handle Open(const std::string&, bool) override { return 1; }
  void Close(Handle) override {}
  std::int64_t Length(Handle) override { return static_cast<std::int64_t>(Bytes.size()); }
  std::size_t ReadAt(Handle, std::int64_t pos, std::uint8_t* out, std::size_t count) override {
    const auto at = static_cast<std::size_t>(pos);
    if (pos < 0 || at >= Bytes.size()) return 0;
    const std::size_t done = std::min(count, Bytes.size() - at);
    std::copy_n(Bytes.begin() + static_cast<std::ptrdiff_t>(at), done, out);
    return done;
  }
  // As a positioned write does, one past the end makes the file longer.
  bool WriteAt(Handle, std::int64_t pos, const std::uint8_t* bytes, std::size_t count) override {
    const auto at = static_cast<std::size_t>(pos);
    if (Bytes.size() < at + count) Bytes.resize(at + count, 0);
    std::copy_n(bytes, count, Bytes.begin() + static_cast<std::ptrdiff_t>(at));
    return true;
  }
  // Read, never mapped: the callers' fallback is what the fuzzer reaches.
  Mapping Map(Handle, std::size_t) override { return {}; }
  void Unmap(const Mapping&) override {}
  std::string Resolve(const std::string& path) override { return path; }
  Kind KindOf(const std::string&) override { return Kind::Regular; }
  bool MayWrite(const std::string&) override { return true; }
  std::string Identity(const std::string& path) override { return path; }
  // No other file exists.
  Handle Create(const std::string&) override { return kNoFile; }
  bool CopyAccess(Handle, const std::string&) override { return true; }
  bool Flush(Handle) override { return true; }
  bool Replace(const std::string&, const std::string&) override { return false; }
  void FlushFolder(const std::string&) override {}
  bool Remove(const std::string&) override { return false; }
  bool Exists(const std::string&) override { return false; }
};

}  // namespace tovick::fuzz
