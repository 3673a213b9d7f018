#pragma once
// A save's generators as a user edits them outside the program: the records of an import file,
// JSON (the export's document, or a bare array of slot objects) or CSV (a header row naming any of
// the export's columns, in any order). Each value is checked here, where it can be told alone;
// what depends on the save (gaps in the slots, the count, a new generator's position) is checked
// by the import plan.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vehicles/definitions.h"

namespace tovick {

// The keys of a slot object and the columns of the CSV, in the export's order; "name" is read
// and ignored (the model decides the name).
inline constexpr std::array<std::string_view, 15> kSlotRecordKeys = {
    "slot",    "model",      "name",  "x",    "y",        "z",        "heading",      "colour1",
    "colour2", "forceSpawn", "alarm", "lock", "minDelay", "maxDelay", "usesRemaining"};

// One record: the values it gives; a value it leaves out (a key missing, a CSV cell left empty)
// keeps what the slot holds, or takes the new generator's default.
struct SlotRecord {
  std::string Where;  // "line 4" (CSV) or "record 3" (JSON), for messages
  std::optional<std::int64_t> Slot;
  std::optional<std::int32_t> Model;
  std::optional<float> X, Y, Z, Heading;
  std::optional<std::int16_t> Colour1, Colour2;
  std::optional<std::uint8_t> ForceSpawn, Alarm, Lock;
  std::optional<std::uint16_t> MinDelay, MaxDelay, UsesRemaining;
  // Set when Model is no vehicle ("record 1: model: -120 is not a vehicle id (90 to 150)"): the
  // import refuses it unless the slot holds that model already, so that a save's own export (an
  // unsafe id the game reads as negative among its slots) imports back.
  std::string ModelNotVehicle;
};

struct SlotRecordsRead {
  std::vector<SlotRecord> Records;  // in the file's order; empty when there are errors
  // Each naming its line or record and field: "line 4: alarm: 256 is not 0 to 255".
  std::vector<std::string> Errors;
  // Said, not refused: an alarm or lock above 100, as the window warns.
  std::vector<std::string> Warnings;
};

// vehicles, when given, decides which models are vehicles; without it the game's ids 90 to 150.
SlotRecordsRead ReadSlotRecords(std::string_view text, const VehicleTable* vehicles);

}  // namespace tovick
