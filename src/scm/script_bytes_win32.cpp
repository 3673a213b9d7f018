#include "scm/script_bytes.h"
#include "scm/script_file.h"

// Windows reads the script whole through the script file, which holds it without sharing only
// while it reads.

namespace tovick {

ScriptBytes::Load ScriptBytes::Open(const std::string& path) {
  Close();
  ScriptFile file;
  if (!file.Open(path)) return Load::CannotOpen;
  length_ = file.Length();
  writable_ = file.Mode() == ScriptFile::OpenMode::ReadWrite;
  if (length_ > kMaxScriptFileBytes) return Load::TooLarge;
  copy_.assign(static_cast<std::size_t>(length_), 0);
  file.ReadBytes(0, copy_.data(), copy_.size());
  bytes_ = copy_;
  return Load::Loaded;
}

void ScriptBytes::Close() {
  mapping_ = nullptr;
  mappedSize_ = 0;
  copy_.clear();
  bytes_ = {};
  length_ = 0;
  writable_ = false;
}

}  // namespace tovick
