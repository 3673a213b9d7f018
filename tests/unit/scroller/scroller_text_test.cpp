#include "scroller/scroller_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tovick {
namespace {

constexpr const char* kUnsafeCaption = "ENABLE UNSAFE VEHICLES";

std::size_t Leading(const std::string& piece) {
  return std::min(piece.find_first_not_of(' '), piece.size());
}

std::size_t Trailing(const std::string& piece) {
  const std::size_t last = piece.find_last_not_of(' ');
  return last == std::string::npos ? piece.size() : piece.size() - last - 1;
}

TEST(ScrollerText, JoinsBlankLeadInAndTailAroundSentencesWithShortBlankRuns) {
  const std::vector<std::string> pieces = ScrollerTextPieces(kUnsafeCaption);
  ASSERT_EQ(pieces.size(), 100u);
  EXPECT_EQ(pieces.front(), std::string(114, ' '));
  EXPECT_EQ(pieces.back(), std::string(51, ' '));
  for (std::size_t i = 1; i + 1 < pieces.size(); ++i) {
    const std::string& piece = pieces[i];
    EXPECT_LE(Leading(piece), 20u) << "piece " << i + 1;
    EXPECT_LE(Trailing(piece), 19u) << "piece " << i + 1;
    EXPECT_LT(Leading(piece) + Trailing(piece), piece.size()) << "piece " << i + 1 << " is blank";
    if (i > 1) {
      EXPECT_GE(Trailing(pieces[i - 1]) + Leading(piece), 1u)
          << "pieces " << i << " and " << i + 1 << " run together";
    }
  }
  std::string joined;
  for (const std::string& piece : pieces) joined += piece;
  const std::string text = BuildScrollerText(kUnsafeCaption);
  EXPECT_EQ(text, joined);
  EXPECT_GE(text.size(), 10500u);
  EXPECT_LE(text.size(), 11500u);
}

TEST(ScrollerText, PrintableAsciiAndTheRegisteredSignOnlyAfterWindowsAndNoAddress) {
  const std::string text = BuildScrollerText(kUnsafeCaption);
  int signs = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte == 174) {
      ++signs;
      EXPECT_EQ(text.substr(i >= 7 ? i - 7 : 0, 7), "Windows") << "at " << i;
    } else {
      EXPECT_TRUE(byte >= 32 && byte <= 126) << "byte " << int{byte} << " at " << i;
    }
  }
  EXPECT_GT(signs, 0);
  for (const char* marker : {"http", "www", ".com", ".net", ".org", "@"}) {
    EXPECT_EQ(text.find(marker), std::string::npos) << "an address: " << marker;
  }
}

TEST(ScrollerText, QuotesTheCaptionItIsGivenAndNothingElse) {
  for (const std::string caption : {"ENABLE UNSAFE VEHICLES", "LET THEM ALL IN"}) {
    const std::string text = BuildScrollerText(caption);
    EXPECT_EQ(std::count(text.begin(), text.end(), '"'), 2) << caption;
    EXPECT_NE(text.find('"' + caption + '"'), std::string::npos) << caption;
    EXPECT_EQ(text.size(), BuildScrollerText("").size() + caption.size()) << caption;
  }
}

// Landmarks of each part of the text, in the order the parts must come.
TEST(ScrollerText, TellsItsPartsInOrder) {
  const std::string text = BuildScrollerText(kUnsafeCaption);
  const char* const landmarks[] = {
      "Plashgoon",          // the mascot's greeting
      "under BLOCK",        // the block list
      "CAR IN BLOCK",       // the vehicle box
      "signed 16-bit",      // positions...
      "divided by 16",      // ...and how they are shown
      "2880 south",         // the heading unit
      "ALARM is",           // alarm...
      "LOCK is",            // ...and lock
      "SEARCH FOR CAR",     // the search
      "CREATE PLUG-IN",     // plug-ins: made...
      "LOAD AND USE",       // ...and applied
      "mouse wheel",        // the speed hint
      "Windows\xAE 98",     // where it was tried
      "start a new game",   // tips for the game
      "modding community",  // thanks
      "happy parking",      // the closing line
  };
  std::size_t at = 0;
  for (const char* landmark : landmarks) {
    const std::size_t found = text.find(landmark, at);
    ASSERT_NE(found, std::string::npos) << landmark << " missing or out of order";
    at = found;
  }
}

}  // namespace
}  // namespace tovick
