// Reading an import file: CSV as spreadsheets write it, JSON as the export writes it or as a bare
// array, and the hostile values refused with a message naming line or record and field.

#include "save/slot_records.h"

#include <gtest/gtest.h>

#include <string>

namespace tovick {
namespace {

// A file's records in a line each, "-" for a value left out: "slot model x y z heading colour1
// colour2 forceSpawn alarm lock minDelay maxDelay usesRemaining" from the record's place; then
// the warnings, then the errors after a "!" (a model that is no vehicle among them: the import
// refuses it unless the slot holds it already).
std::string Summary(const SlotRecordsRead& read) {
  std::string text;
  const auto add = [&text](const auto& value) {
    text += (value ? std::to_string(*value) : std::string("-")) + ' ';
  };
  for (const SlotRecord& r : read.Records) {
    text += r.Where + ": ";
    add(r.Slot), add(r.Model), add(r.X), add(r.Y), add(r.Z), add(r.Heading), add(r.Colour1);
    add(r.Colour2), add(r.ForceSpawn), add(r.Alarm), add(r.Lock), add(r.MinDelay);
    add(r.MaxDelay), add(r.UsesRemaining);
    text.back() = '\n';
  }
  for (const std::string& warning : read.Warnings) text += warning + "\n";
  for (const std::string& error : read.Errors) text += "!" + error + "\n";
  for (const SlotRecord& r : read.Records) {
    if (!r.ModelNotVehicle.empty()) text += "!" + r.ModelNotVehicle + "\n";
  }
  return text;
}

struct Case {
  const char* Name;
  std::string File;
  std::string Expected;  // the summary, or when it starts with "!" the start of an error
  bool Defined = false;  // the models those of a definitions file defining 200 alone
};

void Check(const Case& c) {
  static const VehicleTable defined = [] {
    VehicleTable table;
    table.VehicleNames[200] = "HOVER";
    return table;
  }();
  const SlotRecordsRead read = ReadSlotRecords(c.File, c.Defined ? &defined : nullptr);
  const std::string summary = Summary(read);
  EXPECT_TRUE(read.Errors.empty() || read.Records.empty()) << c.Name;
  if (c.Expected.starts_with("!")) {
    EXPECT_NE(summary.find(c.Expected), std::string::npos) << c.Name << ":\n" << summary;
  } else {
    EXPECT_EQ(summary, c.Expected) << c.Name;
  }
}

const std::string kAll =
    "slot,model,name,x,y,z,heading,colour1,colour2,forceSpawn,alarm,lock,minDelay,maxDelay,"
    "usesRemaining";
const std::string kAllRow =
    "4,91,\"Stall, \"\"long\"\"\",-1.5,2,3.25,90,-1,7,1,40,100,0,10000,65535";
const std::string kAllSummary =
    "line 2: 4 91 -1.500000 2.000000 3.250000 90.000000 -1 7 1 40 100 0 10000 65535\n";

TEST(SlotRecords, Csv) {
  const Case cases[] = {
      {"every column, quotes, a last empty line", kAll + "\r\n" + kAllRow + "\r\n\r\n",
       kAllSummary},
      {"LF, no last line end", kAll + "\n" + kAllRow, kAllSummary},
      {"empty cells keep", "slot,alarm,x\r\n3,,\r\n,5,1\r\n",
       "line 2: 3 - - - - - - - - - - - - -\nline 3: - - 1.000000 - - - - - - 5 - - - -\n"},
      {"another order, blanks and a quoted number", "x , slot,\"model\"\n 7 ,\"2\",90\n",
       "line 2: 2 90 7.000000 - - - - - - - - - - -\n"},
      {"a quoted cell over two lines", "name,slot\n\"a\r\nb\",1\nx,2\n",
       "line 2: 1 - - - - - - - - - - - - -\nline 4: 2 - - - - - - - - - - - - -\n"},
      {"a byte order mark", "\xEF\xBB\xBFslot\n1\n", "line 2: 1 - - - - - - - - - - - - -\n"},
      {"a bad number", "slot,x\n1,12abc\n", "!line 2: x: \"12abc\" is not a number"},
      {"a fraction for a whole number", "slot\n1.5\n", "!line 2: slot: 1.5 is not a whole"},
      {"an unknown column", "slot,alrm\n1,2\n", "!line 1: unknown column \"alrm\""},
      {"a column twice", "slot,x,x\n1,2,3\n", "!line 1: column \"x\" twice"},
      {"a row too short", "slot,x,y\n1,2,3\n4,5\n", "!line 3: 2 cells where the header has 3"},
      {"a quote not closed", "slot,x\n1,\"2\n", "!line 2: a quoted cell is not closed"},
      {"text after a quote", "slot,x\n1,\"2\"3\n", "!line 2: text after a quoted cell"},
      {"one slot twice", "slot\n3\n3\n", "!line 3: slot: 3 is given twice (also line 2)"},
  };
  for (const Case& c : cases) Check(c);
}

TEST(SlotRecords, Json) {
  const Case cases[] = {
      {"the export's document",
       R"({"path":"GTA3sf1.b","platform":"PC","slots":[{"slot":4,"model":91,"name":"Stall",)"
       R"("x":-1.5,"y":2,"z":3.25,"heading":90,"colour1":-1,"colour2":7,"forceSpawn":1,)"
       R"("alarm":40,"lock":100,"minDelay":0,"maxDelay":10000,"usesRemaining":65535}]})",
       "record 1: 4 91 -1.500000 2.000000 3.250000 90.000000 -1 7 1 40 100 0 10000 65535\n"},
      {"a bare array, name of any kind", R"( [{"slot":1,"name":null},{"x":5.0,"alarm":3.0}] )",
       "record 1: 1 - - - - - - - - - - - - -\nrecord 2: - - 5.000000 - - - - - - 3 - - - -\n"},
      {"an unknown key", R"([{"slot":1},{"slott":2}])", "!record 2: unknown key \"slott\""},
      {"a non-whole integer", R"([{"lock":2.5}])", "!record 1: lock: 2.5 is not a whole number"},
      {"text as a position", R"([{"x":"5"}])", "!record 1: x: \"5\" is not a number"},
      {"null for a number", R"([{"model":null}])", "!record 1: model: null is not a number"},
      {"not an object", R"([{"slot":1},7])", "!record 2: 7 is not a slot object"},
      {"no slots", R"({"slot":[]})", "!the JSON document has no \"slots\" array"},
      {"cut off", R"([{"slot":1},{"x":)", "!neither JSON nor CSV: parse error at line 1, column"},
  };
  for (const Case& c : cases) Check(c);
}

std::string Repeated(const std::string& row, int count) {
  std::string rows;
  for (int i = 0; i < count; ++i) rows += row;
  return rows;
}

TEST(SlotRecords, HostileValues) {
  const Case cases[] = {
      {"alarm 256", "alarm\n256\n", "!line 2: alarm: 256 is not 0 to 255"},
      {"infinity as a position", "x\ninf\n", "!line 2: x: inf is not a finite number"},
      {"an overflowing number", "z\n1e999\n", "!line 2: z: 1e999 is not -2048 to"},
      {"heading 2048", R"([{"heading":2048}])",
       "!record 1: heading: 2048 is not -2048 to 2047.9375"},
      {"a model that is no vehicle", "model\n151\n", "!line 2: model: 151 is not a vehicle id"},
      {"a colour below -1", "colour2\n-2\n", "!line 2: colour2: -2 is not -1 to 255"},
      {"a slot of 160", "slot\n160\n",
       "!line 2: slot: 160 is not 0 to 159: a save holds at most 160"},
      {"161 records", "model\r\n" + Repeated("90\r\n", 161),
       "!161 records: a save holds at most 160 generators"},
      {"binary", std::string("\x00\x01\xFFGTA", 6), "!neither JSON nor CSV"},
      {"a header of unknown names", "a,b\n1,2\n", "!neither JSON nor CSV"},
      {"nothing", " \r\n", "!neither JSON nor CSV: the file is empty"},
      {"many errors are cut short", "alarm\n" + Repeated("999\n", 25), "!and 5 more"},
      {"alarm above 100 warned", "alarm,lock\n101,100\n",
       "line 2: - - - - - - - - - 101 100 - - -\nline 2: alarm: 101 is above 100\n"},
      {"a model of the definitions", "model\n200\n", "line 2: - 200 - - - - - - - - - - - -\n",
       true},
      {"an id they leave out", "model\n90\n", "!line 2: model: 90 is not a vehicle the definitions",
       true},
      {"past their table", "model\n301\n", "!line 2: model: 301 is not a vehicle the definitions",
       true},
  };
  for (const Case& c : cases) Check(c);
}

}  // namespace
}  // namespace tovick
