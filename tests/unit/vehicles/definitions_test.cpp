// Reading the vehicle definitions: which lines count, the names they give, and the refusal text.

#include "vehicles/definitions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tovick {
namespace {

// A definition line with the given first two fields and fieldCount fields in all.
std::string Line(const std::string& id, const std::string& name, int fieldCount = 10) {
  std::string line = id + "," + name;
  const char* const rest[] = {"texdict", "car",    "CAR_ID", "GAMENAME", "normal",
                              "10",      "ignore", "0",      "250",      "0.7"};
  for (int i = 2; i < fieldCount; ++i) line += std::string(", ") + rest[(i - 2) % 10];
  return line;
}

std::string File(const std::vector<std::string>& lines) {
  std::string contents;
  for (const std::string& line : lines) contents += line + "\r\n";
  return contents;
}

TEST(Definitions, WhichLinesAreAccepted) {
  struct Case {
    std::string Line;
    bool Accepted;
    std::int32_t Id;
  };
  const Case cases[] = {
      {Line("90", " abc"), true, 90}, {Line("90", " abc", 9), false, 0},
      {Line("89", "x"), false, 0},    {Line("160", "x"), false, 0},
      {Line("159", "x"), true, 159},  {Line("  \t91  ", "x"), true, 91},
      {Line("91.5", "x"), true, 92},  // ties go to the even neighbour
      {Line("92.5", "x"), true, 92},  {Line("89.5", "x"), true, 90},
      {Line("1E300", "x"), false, 0}, {Line("99999999999", "x"), false, 0},
      {Line("cars", "x"), false, 0},  {",,,,,,,,,,", false, 0},
  };
  for (const Case& c : cases) {
    VehicleTable table;
    table.HighestVehicleId = 200;  // reset by every read
    const DefinitionsRead read = ReadDefinitions(File({c.Line}), table);
    SCOPED_TRACE(c.Line);
    EXPECT_EQ(read.AcceptedLines, c.Accepted ? 1 : 0);
    EXPECT_EQ(read.SearchItems.size(), c.Accepted ? 1u : 0u);
    EXPECT_EQ(table.HighestVehicleId, c.Id);
  }
}

TEST(Definitions, NamesAreTrimmedUpperCasedAndCut) {
  struct Case {
    std::string Field;
    std::string Name;
  };
  const Case cases[] = {
      {" abc", "ABC"},
      {"\t  a b\t \t", "A B"},
      {"\tx\ty ", "X\tY"},
      {"", ""},
      {"abcdefghijklmnopqrst", "ABCDEFGHIJKLMNOPQRST"},
  };
  for (const Case& c : cases) {
    VehicleTable table;
    table.VehicleNames[95] = "OLD";
    const DefinitionsRead read = ReadDefinitions(File({Line("95", c.Field)}), table);
    SCOPED_TRACE(c.Field);
    ASSERT_EQ(read.SearchItems.size(), 1u);
    EXPECT_EQ(read.SearchItems[0], c.Name);
    EXPECT_EQ(table.VehicleNames[95], c.Name.substr(0, 13));
  }
}

TEST(Definitions, UpperCasesCodePage437Letters) {
  EXPECT_EQ(UpperCaseName("\x84\x94\x81\x82\xA4\x86\x87"), "\x8E\x99\x9A\x90\xA5\x8F\x80");
  // Already upper case, and other high bytes, stay.
  EXPECT_EQ(UpperCaseName("\x8E\x99\x9A\x90\xA5\x8F\x80\x83\xE1\xFF"),
            "\x8E\x99\x9A\x90\xA5\x8F\x80\x83\xE1\xFF");
  EXPECT_EQ(UpperCaseName("az{`@[AZ09"), "AZ{`@[AZ09");
}

TEST(Definitions, DuplicateIdCountsTwiceAndLaterNameWins) {
  VehicleTable table;
  const DefinitionsRead read = ReadDefinitions(
      File({Line("100", "first"), Line("100", "second"), Line("99", "third")}), table);
  EXPECT_EQ(read.AcceptedLines, 3);
  EXPECT_EQ(read.SearchItems, (std::vector<std::string>{"FIRST", "SECOND", "THIRD"}));
  EXPECT_EQ(table.VehicleNames[100], "SECOND");
  EXPECT_EQ(table.HighestVehicleId, 100);
}

TEST(Definitions, LineFeedsAloneDoNotEndLines) {
  // The whole file is one line: the first id counts, the rest only adds fields.
  std::string contents;
  for (int id = 90; id <= 95; ++id) contents += Line(std::to_string(id), "lf") + "\n";
  VehicleTable table;
  const DefinitionsRead read = ReadDefinitions(contents, table);
  EXPECT_EQ(read.AcceptedLines, 1);
  EXPECT_EQ(table.HighestVehicleId, 90);
  EXPECT_EQ(MissingCarsText(read.AcceptedLines),
            " 60 car(s) missing. Please use the original DEFAULT.IDE");
}

TEST(Definitions, LongLineIsCutBeforeSplitting) {
  // The comma before the tenth field is byte 9005: cut away, so the line has only nine fields.
  std::string line = "100,name,3,4,5,6,7,8,";
  line += std::string(9004 - line.size(), 'x');
  ASSERT_EQ(line.size(), 9004u);
  VehicleTable table;
  EXPECT_EQ(ReadDefinitions(File({line + ",tenth"}), table).AcceptedLines, 0);
  // One byte shorter, that comma is the last byte kept and the tenth field is empty.
  line.pop_back();
  EXPECT_EQ(ReadDefinitions(File({line + ",tenth"}), table).AcceptedLines, 1);
}

TEST(Definitions, EmptyFile) {
  VehicleTable table;
  table.HighestVehicleId = 150;
  const DefinitionsRead read = ReadDefinitions("", table);
  EXPECT_EQ(read.AcceptedLines, 0);
  EXPECT_TRUE(read.SearchItems.empty());
  EXPECT_EQ(table.HighestVehicleId, 0);
  EXPECT_EQ(MissingCarsText(read.AcceptedLines),
            " 61 car(s) missing. Please use the original DEFAULT.IDE");
  EXPECT_EQ(MissingCarsText(58), " 3 car(s) missing. Please use the original DEFAULT.IDE");
}

}  // namespace
}  // namespace tovick
