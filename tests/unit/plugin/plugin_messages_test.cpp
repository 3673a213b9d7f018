// The exact captions, texts and icons of what creating and applying a plug-in tell the user.

#include "plugin/plugin_messages.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "plugin/plugin_apply.h"

namespace tovick {
namespace {

PlugInStep StepOf(PlugInStepKind kind) {
  PlugInStep step;
  step.Kind = kind;
  return step;
}

const std::string kAddressMessage =
    "The .SCM file used to create this Plug-In is incompatible\r\n"
    "with the .SCM file you are currently using. The address\r\n"
    "of the car table is different. This can be related to\r\n"
    "differences in the different language version of GTA 3.\r\n"
    "It can also be related to the existence of a mission editor\r\n"
    "capable of changing the address of the car table. This\r\n"
    "patcher is not in any way capable of doing that.";

const std::string kMarkerMessage =
    "The .SCM file used to create this Plug-In is incompatible\r\n"
    "with the .SCM file you are currently using. Addresses\r\n"
    "used are different. This can be related to\r\n"
    "differences in the different language version of GTA 3.\r\n"
    "It can also be related to the existence of a mission editor\r\n"
    "capable of changing the address of the car table. This\r\n"
    "patcher is not in any way capable of doing that.";

struct NoticeCase {
  const char* Name;
  PlugInNotice Notice;
  const char* Caption;
  std::string Text;
  bool Refusal;
};

void PrintTo(const NoticeCase& c, std::ostream* out) {
  *out << c.Name;
}

class PlugInNoticeTest : public ::testing::TestWithParam<NoticeCase> {};

TEST_P(PlugInNoticeTest, CaptionTextAndIcon) {
  const NoticeCase& c = GetParam();
  EXPECT_EQ(c.Notice.Caption, c.Caption);
  EXPECT_EQ(c.Notice.Text, c.Text);
  EXPECT_EQ(c.Notice.Refusal, c.Refusal);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PlugInNoticeTest,
    ::testing::Values(
        NoticeCase{"NoBlocks", NoBlocksMarkedNotice(), " ",
                   "Please select a few blocks to use in the Plug-In", false},
        NoticeCase{"CouldNotCreate", CouldNotCreateNotice("C:\\m\\a.TOVICK1"),
                   "File access violation",
                   "Could not create\r\n\r\nC:\\m\\a.TOVICK1\r\n\r\nas Plug-In.", false},
        NoticeCase{"CouldNotWrite", CouldNotWriteNotice("a.TOVICK1"), "File access violation",
                   "Could not write\r\n\r\na.TOVICK1\r\n\r\nas Plug-In.", false},
        NoticeCase{"InvalidHiCarId", InvalidHiCarIdNotice(), " ",
                   "IMPOSSIBLE ERROR: INVALID HICAR ID", false},
        NoticeCase{"CreatedThree", CreatedNotice("a.TOVICK1", 3), " ",
                   "Created\r\n\r\na.TOVICK1\r\n\r\nas Plug-In.  3 car(s) was used.", false},
        NoticeCase{"CreatedHundredFortySeven", CreatedNotice("b", 147), " ",
                   "Created\r\n\r\nb\r\n\r\nas Plug-In.  147 car(s) was used.", false},
        NoticeCase{"CouldNotOpen", CouldNotOpenNotice("x.TOVICK1"), "File access violation",
                   "Could not open\r\n\r\nx.TOVICK1", false},
        NoticeCase{"InvalidFile", InvalidPlugInNotice(), "INVALID FILE",
                   "INVALID PLUG-IN VERSION, HEADER OR FILE", false},
        NoticeCase{"MissingParameter", *StepNotice(StepOf(PlugInStepKind::MissingParameter)), " ",
                   "A parameter is missing in this Plug-In file.", false},
        NoticeCase{"AddressMismatch", *StepNotice(StepOf(PlugInStepKind::AddressMismatch)),
                   "PATCHING TERMINATED", kAddressMessage, true},
        NoticeCase{"MarkerMismatch", *StepNotice(StepOf(PlugInStepKind::MarkerMismatch)),
                   "PATCHING TERMINATED", kMarkerMessage, true},
        NoticeCase{"InvalidMarker", *StepNotice(StepOf(PlugInStepKind::InvalidMarker)), " ",
                   "INTERNAL ERROR: HiCar=9", false},
        NoticeCase{"NotWritten", ScriptNotWrittenNotice(2), "PATCHING TERMINATED",
                   "THE .SCM FILE COULD NOT BE WRITTEN.\r\n2 car(s) changed before the failure.",
                   true},
        NoticeCase{"SuccessThree", PatchingSuccessNotice(3), "SUCCESS ",
                   "The patching was successful. 3 car(s) changed.", false},
        NoticeCase{"SuccessNone", PatchingSuccessNotice(0), "SUCCESS ",
                   "The patching was successful. 0 car(s) changed.", false}),
    [](const ::testing::TestParamInfo<NoticeCase>& info) { return info.param.Name; });

TEST(StepNotice, ARecordThatFitsShowsNothing) {
  EXPECT_FALSE(StepNotice(StepOf(PlugInStepKind::Record)).has_value());
}

}  // namespace
}  // namespace tovick
