#pragma once
// The plug-in text format (*.TOVICK1): header, comment lines, and one record line per block.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "scm/car_block.h"
#include "scm/generator_instruction.h"

namespace tovick {

inline constexpr std::string_view kPlugInHeader = "Tovick Plashgoons Plug-In Version 1";

// The header and the seven comment lines, each ending in CR LF.
std::string PlugInPreamble();

// One record line with its CR LF, e.g. " 12 ,  65342 ,  4 ,  105 , -1502 , ... ,  0 \r\n".
std::string RenderPlugInRecord(int blockNumber, const CarBlock& block);

struct PlugInRecord;

// The same line for a record's ten fields as they are.
std::string RenderPlugInRecord(const PlugInRecord& record);

// A block field's name in the legend line: "CAR ID", "X-POS", "HICAR ID" for the width marker...
std::string_view PlugInFieldName(BlockField field);

// The ten fields of a record as read (TextToNumber of each piece).
struct PlugInRecord {
  std::array<double, 10> Field{};
  double Block() const { return Field[0]; }
  double Address() const { return Field[1]; }
  double Marker() const { return Field[2]; }
};

// The record of a generator instruction (numbered in file order): its record address, the model's
// type byte as HICAR ID, the model's low byte as CAR ID, UTELLME as Z unsigned, and alarm and lock
// as the listing shows them (0 to 255 when 8-bit, otherwise as stored).
PlugInRecord PlugInRecordOf(int number, const GeneratorInstruction& instruction);

enum class PlugInLineKind { Skip, Record, MissingParameter };

// Comment ("#" first) and empty lines are skipped; a line with exactly nine commas is a record;
// anything else has a missing (or surplus) parameter.
PlugInLineKind ClassifyPlugInLine(std::string_view line, PlugInRecord& record);

}  // namespace tovick
