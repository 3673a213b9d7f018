#include "zones/zones.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "text/text_lines.h"

namespace tovick {
namespace {

namespace fs = std::filesystem;

TEST(ParseZones, HarbourContainsOnlyStrictlyInsidePoints) {
  const ZoneTable zones = ParseZones("Harbour,0,0,100,50\r\n");
  ASSERT_EQ(zones.size(), 1u);
  EXPECT_EQ(zones[0].Name, "Harbour");
  EXPECT_TRUE(zones[0].Contains(50, 25));
  EXPECT_FALSE(zones[0].Contains(100, 25));
  EXPECT_FALSE(zones[0].Contains(50, 0));
  EXPECT_FALSE(zones[0].Contains(0, 25));
  EXPECT_FALSE(zones[0].Contains(50, 50));
  EXPECT_EQ(ZoneText(zones, 50, 25), "Harbour\r\n");
  EXPECT_EQ(ZoneText(zones, 100, 25), "");
}

struct BoundsCase {
  const char* Line;
  const char* Name;
  std::int16_t MinX, MinY, MaxX, MaxY;
};

class ZoneLineTest : public ::testing::TestWithParam<BoundsCase> {};

TEST_P(ZoneLineTest, Parses) {
  const BoundsCase& c = GetParam();
  const ZoneTable zones = ParseZones(std::string(c.Line) + "\r\n");
  ASSERT_EQ(zones.size(), 1u);
  EXPECT_EQ(zones[0].Name, c.Name);
  EXPECT_EQ(zones[0].MinX, c.MinX);
  EXPECT_EQ(zones[0].MinY, c.MinY);
  EXPECT_EQ(zones[0].MaxX, c.MaxX);
  EXPECT_EQ(zones[0].MaxY, c.MaxY);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ZoneLineTest,
    ::testing::Values(BoundsCase{"Far,40000,-40000,32767,32768", "Far", -25536, 25536, 32767,
                                 -32768},
                      BoundsCase{" Old Town , 12 ,2.5,3.5,&H10", " Old Town ", 12, 2, 4, 16},
                      BoundsCase{"Extra,1,2,3,4,5,6", "Extra", 1, 2, 3, 4},
                      BoundsCase{"Junk,abc,,7x,-0", "Junk", 0, 0, 7, 0},
                      BoundsCase{"NoBounds", "NoBounds", 0, 0, 0, 0},
                      BoundsCase{",1,2,3,4", "", 1, 2, 3, 4},
                      BoundsCase{"Tab,\t5,1e2,1e9,-1e9", "Tab", 5, 100, -13824, 13824}));

TEST(ParseZones, ThreeFieldLineContainsNoCarWithPositiveX) {
  const ZoneTable zones = ParseZones("Docks,-100,-100\r\n");
  ASSERT_EQ(zones.size(), 1u);
  EXPECT_FALSE(zones[0].Contains(10, -50));
  EXPECT_FALSE(zones[0].Contains(1, -1));
}

TEST(ParseZones, NamesAreCutTo39Bytes) {
  const std::string name39(39, 'n');
  const ZoneTable zones = ParseZones(name39 + ",0,0,1,1\r\n" + name39 + "X,0,0,1,1\r\n");
  ASSERT_EQ(zones.size(), 2u);
  EXPECT_EQ(zones[0].Name, name39);
  EXPECT_EQ(zones[1].Name, name39);
}

TEST(ParseZones, EmptyLinesGiveEmptyZones) {
  const ZoneTable zones = ParseZones("A,0,0,10,10\r\n\r\nB,0,0,10,10\r\n");
  ASSERT_EQ(zones.size(), 3u);
  EXPECT_EQ(zones[1].Name, "");
  EXPECT_FALSE(zones[1].Contains(0, 0));
  EXPECT_EQ(zones[2].Name, "B");
}

TEST(ParseZones, LineFeedOnlyFileReadsAsOneLine) {
  const ZoneTable zones = ParseZones("A,0,0,100,50\nB,0,0,10,10\n");
  ASSERT_EQ(zones.size(), 1u);
  EXPECT_EQ(zones[0].Name, "A");
  EXPECT_EQ(zones[0].MaxY, 50);  // "50\nB" stops at the line feed
}

TEST(ParseZones, OnlyTheFirst9004BytesOfALineAreSplit) {
  // Name + ",1,2,3,4" is exactly 9004 bytes with an 8996-byte name; one more byte loses the "4".
  for (const std::size_t nameLength : {8996u, 8997u}) {
    const std::string data = std::string(nameLength, 'z') + ",1,2,3,4\r\nNext,5,6,7,8\r\n";
    const ZoneTable zones = ParseZones(data);
    ASSERT_EQ(zones.size(), 2u);
    EXPECT_EQ(zones[0].Name.size(), kZoneNameBytes);
    EXPECT_EQ(zones[0].MaxX, 3);
    EXPECT_EQ(zones[0].MaxY, nameLength == 8996u ? 4 : 0) << nameLength;
    EXPECT_EQ(zones[1].Name, "Next");
    EXPECT_EQ(zones[1].MaxY, 8);
  }
}

TEST(ParseZones, KeepsAtMost51Zones) {
  std::string data;
  for (int i = 0; i < 52; ++i) WriteLine(data, "Z" + std::to_string(i) + ",0,0,10,10");
  const ZoneTable zones = ParseZones(data);
  ASSERT_EQ(zones.size(), kMaxZones);
  EXPECT_EQ(zones.back().Name, "Z50");
}

TEST(ParseZones, EmptyOrMarkerOnlyFileHasNoZones) {
  EXPECT_TRUE(ParseZones("").empty());
  EXPECT_TRUE(ParseZones("\x1A"
                         "A,0,0,10,10\r\n")
                  .empty());
}

TEST(ZoneText, ListsEveryContainingZoneInFileOrder) {
  const ZoneTable zones =
      ParseZones("Island,-1000,-1000,1000,1000\r\nNorth,0,0,10,10\r\nHarbour,0,0,100,50\r\n");
  EXPECT_EQ(ZoneText(zones, 5, 5), "Island\r\nNorth\r\nHarbour\r\n");
  EXPECT_EQ(ZoneText(zones, 50, 25), "Island\r\nHarbour\r\n");
  EXPECT_EQ(ZoneText(zones, 2000, 0), "");
  EXPECT_EQ(ZoneText({}, 5, 5), "");
}

TEST(ReadZones, ReadsTheFileAndToleratesItsAbsence) {
  const fs::path dir = fs::path(TOVICK_TEST_TMP) / "zones";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string path = (dir / "TovickZon.txt").string();
  ZoneTable zones{Zone{"stale"}};
  EXPECT_EQ(ReadZones(path, zones), TextFileRead::CannotOpen);
  EXPECT_TRUE(zones.empty());
  EXPECT_FALSE(fs::exists(path));
  ASSERT_TRUE(WriteWholeFile(path, "Harbour,0,0,100,50\r\nDocks,-100,-100\r\n"));
  EXPECT_EQ(ReadZones(path, zones), TextFileRead::Read);
  ASSERT_EQ(zones.size(), 2u);
  EXPECT_EQ(zones[1].Name, "Docks");
}

}  // namespace
}  // namespace tovick
