#include "scm/script_file.h"

// The byte and word accessors over the platform's positioned reads and writes (ReadBytes,
// WriteRaw), which live beside Open, Close and Length in the platform's own file.

namespace tovick {

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

bool ScriptFile::WriteByte(std::int64_t pos, std::uint8_t value) {
  return WriteRaw(pos, &value, 1);
}

bool ScriptFile::WriteWord(std::int64_t pos, std::uint16_t value) {
  const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(value & 0xFF),
                                 static_cast<std::uint8_t>(value >> 8)};
  return WriteRaw(pos, bytes, 2);
}

}  // namespace tovick
