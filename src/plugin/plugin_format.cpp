#include "plugin/plugin_format.h"

#include <algorithm>

#include "scm/generator_record.h"
#include "text/number_text.h"
#include "text/text_lines.h"

namespace tovick {

namespace {

constexpr std::string_view kPlugInComments[] = {
    "# This Plug-In version stores both the number of the block and the address the block",
    "# was stored at originally. These numbers and addresses are compared against the",
    "# numbers and addresses used in the .SCM file that the Plug-In will be plugged into.",
    "# This is a safety feature implemented to safeguard against incompatible .SCM file",
    "# car tables. This only means that I know what I'm doing  :-)",
    "#",
    "# BLOCK, BLOCK ADDRESS, HICAR ID, CAR ID, X-POS, Y-POS, UNKNOWN TWO-BYTE FIELD, HEADING, "
    "ALARM, LOCK",
};

constexpr std::size_t kRecordCommas = 9;

}  // namespace

std::string PlugInPreamble() {
  std::string text;
  WriteLine(text, kPlugInHeader);
  for (const std::string_view comment : kPlugInComments) WriteLine(text, comment);
  return text;
}

std::string RenderPlugInRecord(int blockNumber, const CarBlock& block) {
  return RenderPlugInRecord(PlugInRecord{{
      static_cast<double>(blockNumber),
      static_cast<double>(block.Address),
      static_cast<double>(block.WidthMarker),
      static_cast<double>(block.CarId),
      static_cast<double>(block.XPos),
      static_cast<double>(block.YPos),
      static_cast<double>(block.UnknownWord),
      static_cast<double>(block.Heading),
      static_cast<double>(block.Alarm),
      static_cast<double>(block.Lock),
  }});
}

std::string RenderPlugInRecord(const PlugInRecord& record) {
  std::string line;
  for (std::size_t i = 0; i < record.Field.size(); ++i) {
    if (i > 0) line += ", ";
    line += FieldNumberToText(record.Field[i]);
  }
  WriteLine(line, {});
  return line;
}

PlugInRecord PlugInRecordOf(int number, const GeneratorInstruction& instruction) {
  const CarBlock block = EditorBlockOf(instruction);
  return PlugInRecord{{
      static_cast<double>(number),
      static_cast<double>(block.Address),
      static_cast<double>(block.WidthMarker),
      static_cast<double>(block.CarId),
      static_cast<double>(block.XPos),
      static_cast<double>(block.YPos),
      static_cast<double>(block.UnknownWord),
      static_cast<double>(block.Heading),
      static_cast<double>(EditorValue(instruction[GeneratorParam::Alarm])),
      static_cast<double>(EditorValue(instruction[GeneratorParam::Lock])),
  }};
}

std::string_view PlugInFieldName(BlockField field) {
  switch (field) {
    case BlockField::XPos:
      return "X-POS";
    case BlockField::YPos:
      return "Y-POS";
    case BlockField::UnknownWord:
      return "UNKNOWN TWO-BYTE FIELD";
    case BlockField::Heading:
      return "HEADING";
    case BlockField::WidthMarker:
      return "HICAR ID";
    case BlockField::CarId:
      return "CAR ID";
    case BlockField::Alarm:
      return "ALARM";
    case BlockField::Lock:
      return "LOCK";
  }
  return {};
}

PlugInLineKind ClassifyPlugInLine(std::string_view line, PlugInRecord& record) {
  if (line.empty() || line.front() == '#') return PlugInLineKind::Skip;
  if (static_cast<std::size_t>(std::count(line.begin(), line.end(), ',')) != kRecordCommas) {
    return PlugInLineKind::MissingParameter;
  }
  std::size_t start = 0;
  for (double& field : record.Field) {
    const std::size_t comma = line.find(',', start);
    const std::size_t end = comma == std::string_view::npos ? line.size() : comma;
    field = TextToNumber(line.substr(start, end - start));
    start = end + 1;
  }
  return PlugInLineKind::Record;
}

}  // namespace tovick
