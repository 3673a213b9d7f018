#pragma once
// Which bytes of a text are UTF-8: names come from files of any age (Latin-1 vehicle names, UTF-8
// paths), and the reports must stay valid whatever they hold.

#include <cstddef>
#include <string_view>

namespace tovick {

// The length of the well-formed UTF-8 sequence that starts at text[at] (1 for ASCII), or 0 when
// the byte there starts none (a stray continuation byte, an overlong form, a surrogate, a cut-off
// sequence).
std::size_t Utf8SequenceAt(std::string_view text, std::size_t at);

}  // namespace tovick
