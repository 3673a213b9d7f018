#include "text/path_text.h"

namespace tovick {

namespace detail {
// Read by the Windows half; elsewhere a path is bytes and the setting changes nothing.
PathEncoding gPathEncoding = PathEncoding::Ansi;
}  // namespace detail

void SetPathEncoding(PathEncoding encoding) {
  detail::gPathEncoding = encoding;
}

}  // namespace tovick
