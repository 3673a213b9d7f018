#include "scm/whole_file.h"

namespace tovick {

WholeFileRead WholeFile::Open(FileIo& io, const std::string& path, std::int64_t maxBytes) {
  Close();
  const FileIo::Handle handle = io.Open(path, false);
  if (handle == FileIo::kNoFile) return WholeFileRead::CannotOpen;
  length_ = io.Length(handle);
  if (length_ > maxBytes) {
    io.Close(handle);
    return WholeFileRead::TooLarge;
  }
  const auto size = static_cast<std::size_t>(length_);
  WholeFileRead result = WholeFileRead::Read;
  if (size > 0) {
    mapping_ = io.Map(handle, size);
    if (mapping_.Data != nullptr) {
      io_ = &io;
      bytes_ = std::span(mapping_.Data, mapping_.Size);
    } else {
      copy_.resize(size);
      if (io.ReadAt(handle, 0, copy_.data(), size) == size) {
        bytes_ = copy_;
      } else {
        result = WholeFileRead::CannotOpen;
      }
    }
  }
  io.Close(handle);
  if (result != WholeFileRead::Read) {
    const std::int64_t length = length_;
    Close();
    length_ = length;
  }
  return result;
}

void WholeFile::Close() {
  if (io_ != nullptr && mapping_.Data != nullptr) io_->Unmap(mapping_);
  io_ = nullptr;
  mapping_ = {};
  copy_.clear();
  copy_.shrink_to_fit();
  bytes_ = {};
  length_ = 0;
}

}  // namespace tovick
