#pragma once
// What applying a plug-in does to a mission script, worked out before a byte is written: for each
// line after the header, whether it is skipped, reported as incomplete, or a record whose block is
// marked, checked against the car table and the script's width marker, and written field by field.
//
// The window writes record by record and stops at the first refusal, keeping what it wrote:
//
//   PlugInApplier applier(contents, table, ReaderOf(script));
//   if (!applier.HeaderOk()) ...refuse the file...
//   while (const auto step = applier.Next()) {
//     if (step->MarkBlock) marks[*step->MarkBlock] = 1;
//     if (step->Kind == PlugInStepKind::Record) ...write step->Writes in order...
//     else if (step->Stops()) ...report and stop...
//   }
//
// A checker that must refuse the whole file before writing anything runs PlanPlugInApply. Writes
// never touch a width marker, so checking every record first decides the same as checking each
// record after the writes of the records before it.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "plugin/plugin_format.h"
#include "plugin/script_reader.h"
#include "scm/car_block.h"
#include "scm/car_table.h"
#include "scm/generator_instruction.h"
#include "text/text_lines.h"

namespace tovick {

// A plug-in line holds at most this many bytes; the rest of a longer line is dropped.
constexpr std::size_t kMaxPlugInLineBytes = 9004;

// One value of a record as it goes into the script: the low Width * 8 bits of Value, little-endian,
// at Offset.
struct PlugInWrite {
  BlockField Field = BlockField::CarId;
  std::int64_t Offset = 0;
  int Width = 1;
  std::uint16_t Value = 0;
};

// The seven writes of a record, in the order they are made.
constexpr std::size_t kPlugInWrites = 7;

enum class PlugInStepKind {
  MissingParameter,  // not exactly ten fields: report the line and go on with the next one
  Record,            // the record fits the script: make its Writes
  AddressMismatch,   // BLOCK outside 1..BlockCnt, or BLOCK ADDRESS not that block's: stop
  MarkerMismatch,    // HICAR ID differs from the block's width marker: stop
  InvalidMarker,     // the block's width marker is neither 4 nor 5 (a guard): stop
};

struct PlugInStep {
  PlugInStepKind Kind = PlugInStepKind::MissingParameter;
  int LineNumber = 0;   // 1-based line of the plug-in file
  PlugInRecord Record;  // the ten fields as read; all 0 for a missing parameter
  // The block to mark: BLOCK, to the nearest integer, when it lies in 1..BlockCnt. Marked before
  // the checks, so it is set on the refusals too.
  std::optional<int> MarkBlock;
  // BLOCK ADDRESS to the nearest integer, clamped into the int64 range (for reports only; the
  // check compares the real values).
  std::int64_t RecordAddress = 0;
  // The car table's address of MarkBlock, when there is one.
  std::optional<std::int64_t> TableAddress;
  // The width marker read at TableAddress + 21 (once the address matched).
  std::optional<std::uint8_t> Marker;
  // On an AddressMismatch against generator instructions: the first field that the instruction
  // holds at another width than the editor writes (alarm or lock not 8-bit).
  std::optional<BlockField> OddWidthField;
  std::array<PlugInWrite, kPlugInWrites> Writes{};  // Kind == Record only

  bool Stops() const {
    return Kind != PlugInStepKind::MissingParameter && Kind != PlugInStepKind::Record;
  }
};

class PlugInApplier {
 public:
  // contents: the plug-in file's bytes. table and the reader must outlive the applier; the reader
  // is asked for a block's width marker when its record comes up.
  PlugInApplier(std::string_view contents, const CarTable& table, ScriptReader read);
  // The applier reads the contents as it goes: they must outlive it, so no temporary.
  PlugInApplier(std::string&& contents, const CarTable& table, ScriptReader read) = delete;
  // The same against generator instructions found anywhere in a script (numbered from 1 in file
  // order, named by their record address): HICAR ID must be the model's type byte, and each field
  // is written where the instruction holds it. A record for an instruction that holds alarm or
  // lock at another width than a byte is refused as an AddressMismatch. The instructions must
  // outlive the applier.
  PlugInApplier(std::string_view contents, std::span<const GeneratorInstruction> instructions);
  PlugInApplier(std::string&& contents,
                std::span<const GeneratorInstruction> instructions) = delete;

  // False when line 1 is not exactly the header: the file is not a plug-in and has no steps.
  bool HeaderOk() const { return headerOk_; }

  // The next line that is not a comment or empty, or nullopt at the end of the file and after a
  // step that stops.
  std::optional<PlugInStep> Next();

 private:
  PlugInStep CheckRecord(int lineNumber, const PlugInRecord& record) const;
  void CheckInstruction(const PlugInRecord& record, PlugInStep& step) const;

  LineReader lines_;
  const CarTable* table_ = nullptr;  // null: instructions_ instead
  std::span<const GeneratorInstruction> instructions_;
  ScriptReader read_;
  int lineNumber_ = 1;
  bool headerOk_ = false;
  bool stopped_ = false;
};

// Every step of a plug-in up to the end or the first step that stops.
struct PlugInApplyPlan {
  bool HeaderOk = false;
  std::vector<PlugInStep> Steps;

  // The last step when it stops the run, otherwise null.
  const PlugInStep* Stop() const;
  // The records that are written (all of them only when nothing stops).
  int RecordCount() const;
};

PlugInApplyPlan PlanPlugInApply(std::string_view contents, const CarTable& table,
                                const ScriptReader& read);
PlugInApplyPlan PlanPlugInApply(std::string_view contents,
                                std::span<const GeneratorInstruction> instructions);

// The first field, in the order of the writes, that a record of the instruction could not be
// written to (an alarm or lock wider than a byte); such a record is refused.
std::optional<BlockField> UnwritableField(const GeneratorInstruction& instruction);

}  // namespace tovick
