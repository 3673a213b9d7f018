#include "script_image.h"

#include <cstdio>

#include "exit_codes.h"
#include "input_file.h"
#include "plugin/script_reader.h"
#include "scm/script_file.h"
#include "text/number_text.h"

namespace tovick::companion {

std::optional<int> LoadScriptImage(const std::string& path, ScriptImage& image) {
  ScriptFile file;
  if (!file.Open(path)) return CannotOpen(".SCM", path);
  const std::int64_t length = file.Length();
  if (length < kMinScriptLength) {
    std::fprintf(stderr, "tovick-cars: Length of %s (%s) too short: at least %s bytes needed\n",
                 path.c_str(), NumberToText(static_cast<double>(length)).c_str(),
                 Trim(NumberToText(static_cast<double>(kMinScriptLength))).c_str());
    return kExitTooShort;
  }
  image.Writable = file.Mode() == ScriptFile::OpenMode::ReadWrite;
  image.Bytes.assign(static_cast<std::size_t>(length), 0);
  file.ReadBytes(0, image.Bytes.data(), image.Bytes.size());

  std::vector<std::uint8_t> window(kScanWindowSize);
  ReaderOf(image.Bytes)(kScanFirst, window.data(), window.size());
  image.Table.Clear();
  const ScanResult scan = ScanCarTable(window, image.Table);
  if (scan.CarTableError) {
    std::fprintf(stderr,
                 "tovick-cars: Error in car table. Please replace MAIN.SCM. (a signature byte at "
                 "offset %lld does not match)\n",
                 static_cast<long long>(scan.ErrorOffset));
    return kExitMalformed;
  }
  return std::nullopt;
}

}  // namespace tovick::companion
