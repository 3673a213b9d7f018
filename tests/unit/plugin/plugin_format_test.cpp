#include "plugin/plugin_format.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <string>

#include "scm/car_block.h"

namespace tovick {
namespace {

CarBlock WorkedExampleBlock() {
  CarBlock block;
  block.Address = 65342;
  block.WidthMarker = 4;
  block.HiCar = 0;
  block.CarId = 105;
  block.XPos = -1502;
  block.YPos = 345;
  block.UnknownWord = 61;
  block.Heading = 2880;
  block.Alarm = 0;
  block.Lock = 0;
  return block;
}

TEST(PlugInPreamble, IsTheHeaderAndSevenCommentLines) {
  const std::string expected =
      "Tovick Plashgoons Plug-In Version 1\r\n"
      "# This Plug-In version stores both the number of the block and the address the block\r\n"
      "# was stored at originally. These numbers and addresses are compared against the\r\n"
      "# numbers and addresses used in the .SCM file that the Plug-In will be plugged into.\r\n"
      "# This is a safety feature implemented to safeguard against incompatible .SCM file\r\n"
      "# car tables. This only means that I know what I'm doing  :-)\r\n"
      "#\r\n"
      "# BLOCK, BLOCK ADDRESS, HICAR ID, CAR ID, X-POS, Y-POS, UNKNOWN TWO-BYTE FIELD, HEADING, "
      "ALARM, LOCK\r\n";
  EXPECT_EQ(PlugInPreamble(), expected);
  EXPECT_EQ(kPlugInHeader.size(), 35u);
}

TEST(RenderPlugInRecord, WorkedExampleByteForByte) {
  const std::string line = RenderPlugInRecord(12, WorkedExampleBlock());
  EXPECT_EQ(line, " 12 ,  65342 ,  4 ,  105 , -1502 ,  345 ,  61 ,  2880 ,  0 ,  0 \r\n");
  EXPECT_EQ(line.size(), 64u + 2u);
}

TEST(RenderPlugInRecord, WritesTheWidthMarkerAndFieldExtremes) {
  CarBlock block;
  block.Address = 70204;
  block.WidthMarker = 5;
  block.HiCar = 1;  // the marker byte is written, not HiCar
  block.CarId = 255;
  block.XPos = -32768;
  block.YPos = 32767;
  block.UnknownWord = 65535;
  block.Heading = -1;
  block.Alarm = 255;
  block.Lock = 255;
  EXPECT_EQ(RenderPlugInRecord(300, block),
            " 300 ,  70204 ,  5 ,  255 , -32768 ,  32767 ,  65535 , -1 ,  255 ,  255 \r\n");
}

TEST(ClassifyPlugInLine, ReadsWhatTheWriterWrites) {
  std::string line = RenderPlugInRecord(12, WorkedExampleBlock());
  line.resize(line.size() - 2);
  PlugInRecord fromWriter;
  ASSERT_EQ(ClassifyPlugInLine(line, fromWriter), PlugInLineKind::Record);
  PlugInRecord compact;
  ASSERT_EQ(ClassifyPlugInLine("12,65342,4,105,-1502,345,61,2880,0,0", compact),
            PlugInLineKind::Record);
  const std::array<double, 10> expected{12, 65342, 4, 105, -1502, 345, 61, 2880, 0, 0};
  EXPECT_EQ(fromWriter.Field, expected);
  EXPECT_EQ(compact.Field, expected);
  EXPECT_EQ(compact.Block(), 12);
  EXPECT_EQ(compact.Address(), 65342);
  EXPECT_EQ(compact.Marker(), 4);
}

TEST(ClassifyPlugInLine, ReadsOtherNumberFormsAndEmptyFields) {
  PlugInRecord record;
  ASSERT_EQ(ClassifyPlugInLine("&HC,\t6.5E4 , 4.5,x,,-&H1,&H0FFFF,1d2,300 junk,", record),
            PlugInLineKind::Record);
  const std::array<double, 10> expected{12, 65000, 4.5, 0, 0, 0, 65535, 100, 300, 0};
  EXPECT_EQ(record.Field, expected);
}

struct ClassifyCase {
  const char* Line;
  PlugInLineKind Expected;
};

class ClassifyPlugInLineTest : public ::testing::TestWithParam<ClassifyCase> {};

TEST_P(ClassifyPlugInLineTest, Classifies) {
  PlugInRecord record;
  EXPECT_EQ(ClassifyPlugInLine(GetParam().Line, record), GetParam().Expected)
      << "line \"" << GetParam().Line << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClassifyPlugInLineTest,
    ::testing::Values(ClassifyCase{"1,2,3,4,5,6,7,8,9,10", PlugInLineKind::Record},
                      ClassifyCase{",,,,,,,,,", PlugInLineKind::Record},
                      ClassifyCase{"1,2,3,4,5,6,7,8,9", PlugInLineKind::MissingParameter},
                      ClassifyCase{"1,2,3,4,5,6,7,8,9,10,11", PlugInLineKind::MissingParameter},
                      ClassifyCase{"", PlugInLineKind::Skip},
                      ClassifyCase{"#", PlugInLineKind::Skip},
                      ClassifyCase{"# BLOCK, BLOCK ADDRESS, HICAR ID, CAR ID, X-POS, Y-POS, "
                                   "UNKNOWN TWO-BYTE FIELD, HEADING, ALARM, LOCK",
                                   PlugInLineKind::Skip},
                      ClassifyCase{"#1,2,3,4,5,6,7,8,9,10", PlugInLineKind::Skip},
                      ClassifyCase{" # note", PlugInLineKind::MissingParameter},
                      ClassifyCase{"   ", PlugInLineKind::MissingParameter},
                      ClassifyCase{"Tovick Plashgoons Plug-In Version 1",
                                   PlugInLineKind::MissingParameter}));

}  // namespace
}  // namespace tovick
