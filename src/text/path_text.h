#pragma once
// How the program's paths are spelled in its strings. The editor's window is ANSI, so its paths
// are in the ANSI code page; the companion takes its command line in the wide form and keeps
// paths in UTF-8, so that any name a folder may have can be opened. Windows opens files through
// the wide calls with paths converted from the spelling in use; elsewhere a path is bytes.

#include <string>

namespace tovick {

enum class PathEncoding { Ansi, Utf8 };

// Once, at start-up, before any file is opened. Ansi until then.
void SetPathEncoding(PathEncoding encoding);

#ifdef _WIN32
std::wstring WidePath(const std::string& path);
// A wide string (a path, an argument) spelled as the program's paths are.
std::string NarrowPath(const std::wstring& path);
#endif

}  // namespace tovick
