#include "scm/script_file.h"

#include <algorithm>

// Opening, the read-only fallback, and the byte and word accessors, over the platform's file calls
// (FileIo), which live in the platform's own half of this file.

namespace tovick {

std::string ScriptTooLargeReason() {
  return "larger than " + std::to_string(kMaxScriptFileBytes / (1024 * 1024)) + " MiB";
}

bool ScriptFile::Open(const std::string& path) {
  Close();
  FileIo::Handle file = io_->Open(path, true);
  OpenMode mode = OpenMode::ReadWrite;
  if (file == FileIo::kNoFile) {
    file = io_->Open(path, false);
    mode = OpenMode::ReadOnly;
  }
  if (file == FileIo::kNoFile) return false;
  handle_ = file;
  mode_ = mode;
  return true;
}

void ScriptFile::Close() {
  if (handle_ != FileIo::kNoFile) io_->Close(handle_);
  handle_ = FileIo::kNoFile;
  mode_ = OpenMode::Closed;
}

void ScriptFile::SetFileIo(FileIo& io) {
  Close();
  io_ = &io;
}

std::int64_t ScriptFile::Length() const {
  if (!IsOpen()) return 0;
  return io_->Length(handle_);
}

void ScriptFile::ReadBytes(std::int64_t pos, std::uint8_t* out, std::size_t count) const {
  std::fill(out, out + count, std::uint8_t{0});
  if (!IsOpen() || pos < 0) return;
  // What the read leaves out (past the end, or after a failed read) stays 0.
  io_->ReadAt(handle_, pos, out, count);
}

std::uint8_t ScriptFile::ReadByte(std::int64_t pos) const {
  std::uint8_t value = 0;
  ReadBytes(pos, &value, 1);
  return value;
}

std::uint16_t ScriptFile::ReadWord(std::int64_t pos) const {
  std::uint8_t bytes[2] = {0, 0};
  ReadBytes(pos, bytes, 2);
  return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

bool ScriptFile::WriteRaw(std::int64_t pos, const std::uint8_t* bytes, std::size_t count) {
  if (mode_ != OpenMode::ReadWrite || pos < 0) return false;
  return io_->WriteAt(handle_, pos, bytes, count);
}

bool ScriptFile::WriteByte(std::int64_t pos, std::uint8_t value) {
  return WriteRaw(pos, &value, 1);
}

bool ScriptFile::WriteWord(std::int64_t pos, std::uint16_t value) {
  const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(value & 0xFF),
                                 static_cast<std::uint8_t>(value >> 8)};
  return WriteRaw(pos, bytes, 2);
}

}  // namespace tovick
