#include "plugin/plugin_messages.h"

#include "plugin/plugin_apply.h"
#include "text/number_text.h"

namespace tovick {

namespace {

constexpr std::string_view kFileAccessCaption = "File access violation";
constexpr std::string_view kPatchingTerminatedCaption = "PATCHING TERMINATED";
constexpr std::string_view kBlankLine = "\r\n\r\n";

// The two incompatibility messages differ in their second and third lines only.
constexpr std::string_view kIncompatibleFirst =
    "The .SCM file used to create this Plug-In is incompatible\r\n";
constexpr std::string_view kIncompatibleLast =
    "\r\ndifferences in the different language version of GTA 3.\r\n"
    "It can also be related to the existence of a mission editor\r\n"
    "capable of changing the address of the car table. This\r\n"
    "patcher is not in any way capable of doing that.";
constexpr std::string_view kAddressMiddle =
    "with the .SCM file you are currently using. The address\r\n"
    "of the car table is different. This can be related to";
constexpr std::string_view kMarkerMiddle =
    "with the .SCM file you are currently using. Addresses\r\n"
    "used are different. This can be related to";

PlugInNotice Notice(std::string_view caption, std::string text, bool refusal = false) {
  return PlugInNotice{std::string(caption), std::move(text), refusal};
}

PlugInNotice Incompatible(std::string_view middle) {
  std::string text(kIncompatibleFirst);
  text += middle;
  text += kIncompatibleLast;
  return Notice(kPatchingTerminatedCaption, std::move(text), true);
}

std::string FileText(std::string_view first, std::string_view fileName, std::string_view last) {
  std::string text(first);
  text += kBlankLine;
  text += fileName;
  if (!last.empty()) {
    text += kBlankLine;
    text += last;
  }
  return text;
}

std::string TrimmedCount(int count) {
  return Trim(NumberToText(static_cast<double>(count)));
}

}  // namespace

PlugInNotice NoBlocksMarkedNotice() {
  return Notice(" ", "Please select a few blocks to use in the Plug-In");
}

PlugInNotice CouldNotCreateNotice(std::string_view fileName) {
  return Notice(kFileAccessCaption, FileText("Could not create", fileName, "as Plug-In."));
}

PlugInNotice CouldNotWriteNotice(std::string_view fileName) {
  return Notice(kFileAccessCaption, FileText("Could not write", fileName, "as Plug-In."));
}

PlugInNotice ReplaceExistingQuestion(std::string_view fileName) {
  return Notice(" ", FileText("The file", fileName, "already exists. Do you want to replace it?"));
}

PlugInNotice InvalidHiCarIdNotice() {
  return Notice(" ", "IMPOSSIBLE ERROR: INVALID HICAR ID");
}

PlugInNotice CreatedNotice(std::string_view fileName, int recordCount) {
  return Notice(" ", FileText("Created", fileName, "as Plug-In. ") +
                         NumberToText(static_cast<double>(recordCount)) + " car(s) was used.");
}

PlugInNotice CouldNotOpenNotice(std::string_view fileName) {
  return Notice(kFileAccessCaption, FileText("Could not open", fileName, {}));
}

PlugInNotice InvalidPlugInNotice() {
  return Notice("INVALID FILE", "INVALID PLUG-IN VERSION, HEADER OR FILE");
}

std::optional<PlugInNotice> StepNotice(const PlugInStep& step) {
  switch (step.Kind) {
    case PlugInStepKind::MissingParameter:
      return Notice(" ", "A parameter is missing in this Plug-In file.");
    case PlugInStepKind::Record:
      return std::nullopt;
    case PlugInStepKind::AddressMismatch:
      return Incompatible(kAddressMiddle);
    case PlugInStepKind::MarkerMismatch:
      return Incompatible(kMarkerMiddle);
    case PlugInStepKind::InvalidMarker:
      return Notice(" ", "INTERNAL ERROR: HiCar=9");
  }
  return std::nullopt;
}

PlugInNotice ScriptNotWrittenNotice(int writtenRecords) {
  return Notice(kPatchingTerminatedCaption,
                "THE .SCM FILE COULD NOT BE WRITTEN.\r\n" + TrimmedCount(writtenRecords) +
                    " car(s) changed before the failure.",
                true);
}

PlugInNotice PatchingSuccessNotice(int recordCount) {
  return Notice("SUCCESS ",
                "The patching was successful. " + TrimmedCount(recordCount) + " car(s) changed.");
}

}  // namespace tovick
