#pragma once
// The texts and captions of what creating and applying a plug-in tell the user, in one place. The
// operations show them; the companion prints the same words.

#include <optional>
#include <string>
#include <string_view>

namespace tovick {

struct PlugInStep;

struct PlugInNotice {
  std::string Caption = " ";
  std::string Text;
  bool Refusal = false;  // a refused patch: shown with the error icon
};

// Creating.
PlugInNotice NoBlocksMarkedNotice();
PlugInNotice CouldNotCreateNotice(std::string_view fileName);
// The file was opened but could not be written completely (for example a full disk).
PlugInNotice CouldNotWriteNotice(std::string_view fileName);
// The ".TOVICK1" added to the chosen name names a file that exists: replace it (Yes/No)?
PlugInNotice ReplaceExistingQuestion(std::string_view fileName);
PlugInNotice InvalidHiCarIdNotice();
// "Created" ... "as Plug-In.  3 car(s) was used." (the count keeps its sign blank).
PlugInNotice CreatedNotice(std::string_view fileName, int recordCount);

// Applying.
PlugInNotice CouldNotOpenNotice(std::string_view fileName);
PlugInNotice InvalidPlugInNotice();
// What a step shows: the missing-parameter message and the refusals; nullopt for a record that
// fits.
std::optional<PlugInNotice> StepNotice(const PlugInStep& step);
// A write into the script failed after writtenRecords records were written completely.
PlugInNotice ScriptNotWrittenNotice(int writtenRecords);
// "The patching was successful. 3 car(s) changed."
PlugInNotice PatchingSuccessNotice(int recordCount);

}  // namespace tovick
