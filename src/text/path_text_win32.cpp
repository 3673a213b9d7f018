#include <windows.h>

#include <algorithm>

#include "text/path_text.h"

namespace tovick {

namespace detail {
extern PathEncoding gPathEncoding;
}  // namespace detail

namespace {

UINT CodePage() {
  return detail::gPathEncoding == PathEncoding::Utf8 ? CP_UTF8 : CP_ACP;
}

}  // namespace

std::wstring WidePath(const std::string& path) {
  if (path.empty()) return {};
  const int size = static_cast<int>(path.size());
  const int count = MultiByteToWideChar(CodePage(), 0, path.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(count), L'\0');
  MultiByteToWideChar(CodePage(), 0, path.data(), size, wide.data(), count);
  // Windows' own separator: not every call takes the other (Wine's ReplaceFileW does not).
  std::replace(wide.begin(), wide.end(), L'/', L'\\');
  return wide;
}

std::string NarrowPath(const std::wstring& path) {
  if (path.empty()) return {};
  const int size = static_cast<int>(path.size());
  const int count =
      WideCharToMultiByte(CodePage(), 0, path.data(), size, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(count), '\0');
  WideCharToMultiByte(CodePage(), 0, path.data(), size, narrow.data(), count, nullptr, nullptr);
  return narrow;
}

}  // namespace tovick
