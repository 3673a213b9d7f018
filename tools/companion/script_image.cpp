#include "script_image.h"

#include "car_input.h"
#include "plugin/script_reader.h"
#include "scm/script_file.h"

namespace tovick::companion {

std::optional<int> LoadScriptImage(const std::string& path, ScriptImage& image) {
  ScriptFile file;
  if (!file.Open(path)) return CannotOpen(".SCM", path);
  const std::int64_t length = file.Length();
  if (length < kMinScriptLength) return TooShort(path, length);
  image.Writable = file.Mode() == ScriptFile::OpenMode::ReadWrite;
  image.Bytes.assign(static_cast<std::size_t>(length), 0);
  file.ReadBytes(0, image.Bytes.data(), image.Bytes.size());

  std::vector<std::uint8_t> window(kScanWindowSize);
  ReaderOf(image.Bytes)(kScanFirst, window.data(), window.size());
  image.Table.Clear();
  const ScanResult scan = ScanCarTable(window, image.Table);
  if (scan.CarTableError) return MalformedTable(scan, image.Table.BlockCnt);
  return std::nullopt;
}

}  // namespace tovick::companion
