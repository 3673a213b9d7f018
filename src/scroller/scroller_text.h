#pragma once
// The long help, tips and credits text that runs through the scroller strip, built once at
// start-up from fixed pieces: a blank lead-in, the sentences with blanks around each, a blank
// tail, so that each pass enters from the right and leaves to the left before the next.

#include <string>
#include <string_view>
#include <vector>

namespace tovick {

constexpr std::size_t kScrollerTextCapacity = 24999;
constexpr std::size_t kScrollerLeadIn = 114;
constexpr std::size_t kScrollerTail = 51;
constexpr char kRegisteredSign = static_cast<char>(174);

// The pieces in order. One sentence quotes unsafeCaption, the caption of the check box that
// lets every vehicle into every block; the window passes its own caption text.
std::vector<std::string> ScrollerTextPieces(std::string_view unsafeCaption);

// The pieces joined, cut to the capacity of the buffer it is kept in.
std::string BuildScrollerText(std::string_view unsafeCaption);

}  // namespace tovick
