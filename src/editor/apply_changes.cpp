#include "editor/apply_changes.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "scm/car_block.h"
#include "scm/field_text.h"
#include "vehicles/id_width.h"

namespace tovick {

namespace {

// Edit boxes hold at most 9 characters; anything past them never counts.
constexpr std::size_t kEditTextLimit = 9;

constexpr int kHeadingWarnAbove = 5759;  // 5760 units are 360 degrees
constexpr int kPercentWarnAbove = 100;   // ALARM and LOCK are percentages

constexpr std::string_view kSignedRange = "Valid range: -32768 to 32767";
constexpr std::string_view kWordRange = "Valid range: 0 to 65535";
constexpr std::string_view kByteRange = "Valid range: 0 to 255";
constexpr std::string_view kCommasAndDots = "CANT APPLY CHANGES. COMMAS AND DOTS NOT ALLOWED.";
constexpr std::string_view kWriteFailed = "CANT APPLY CHANGES. THE .SCM FILE COULD NOT BE WRITTEN.";

std::string TwoLines(std::string_view first, std::string_view second) {
  std::string text(first);
  text += "\r\n";
  text += second;
  return text;
}

std::string EditText(UiPort& ui, Control edit) {
  std::string text = ui.GetText(edit);
  if (text.size() > kEditTextLimit) text.resize(kEditTextLimit);
  return text;
}

// Reports a refused value in two lines, the fault and the valid range; nullopt then.
std::optional<int> Checked(UiPort& ui, FieldValue read, std::string_view invalidText,
                           std::string_view rangeText) {
  switch (read.Fault) {
    case FieldTextFault::None:
      return read.Value;
    case FieldTextFault::CommaOrDot:
      ui.Message(TwoLines(kCommasAndDots, rangeText));
      return std::nullopt;
    case FieldTextFault::Invalid:
      ui.Message(TwoLines(invalidText, rangeText));
      return std::nullopt;
  }
  return std::nullopt;
}

std::optional<int> ReadDecimalField(UiPort& ui, Control edit, FieldRange range,
                                    std::string_view invalidText, std::string_view rangeText) {
  return Checked(ui, ReadDecimalFieldText(EditText(ui, edit), range), invalidText, rangeText);
}

std::optional<int> ReadUtellme(UiPort& ui) {
  return Checked(ui, ReadHexWordFieldText(EditText(ui, Control::UtellmeEdit)),
                 "CANT APPLY CHANGES. INVALID WORD VALUE.", kWordRange);
}

// Reports a failed write; the caller stops there.
bool Written(UiPort& ui, bool ok) {
  if (!ok) ui.Message(std::string(kWriteFailed));
  return ok;
}

}  // namespace

void ApplyChanges(AppState& state, UiPort& ui) {
  const int blockNumber = ui.ComboSelection(Control::BlockList) + 1;
  if (blockNumber < 1) {
    ui.Beep();
    ui.Message("CANT APPLY CHANGES. PLEASE SELECT A BLOCK");
    return;
  }
  if (blockNumber > state.Cars.BlockCnt || blockNumber > kMaxBlocks) {
    ui.Message("qX > BlockCnt");
    return;
  }
  const std::int64_t address = state.Cars.Address[static_cast<std::size_t>(blockNumber)];
  if (address == 0) {
    ui.Message("INVALID ADDRESS");
    return;
  }
  // The controls hold this block's values only when the block view finished showing it; after a
  // refused block they still hold the previous block's.
  if (address != state.CurrentBlock.Address || !state.CurrentBlock.Complete) {
    ui.Message("CANT APPLY CHANGES");
    return;
  }

  const int vehicleIndex = ui.ComboSelection(Control::VehicleList);
  if (vehicleIndex < 0) {
    ui.Beep();
    ui.Message("CANT APPLY CHANGES. PLEASE SELECT A VEHICLE.");
    return;
  }
  const VehicleIdRange listed = VehicleListRange(
      state.CurrentBlock.HiCar, state.UnsafeVehiclesEnabled, state.Vehicles.HighestVehicleId);
  const std::optional<std::uint8_t> carId = IdAtListPosition(listed, vehicleIndex);
  if (!carId) {
    ui.Message("CANT APPLY CHANGES. INVALID VEHICLE ID.");
    return;
  }
  const int hiCar = state.CurrentBlock.HiCar;
  ScriptFile& script = state.Script;
  // Only the low byte: the marker and the high byte of a two-byte id stay as they are.
  if (!Written(ui, script.WriteByte(FieldAddress(address, BlockField::CarId, hiCar), *carId))) {
    return;
  }

  const auto writeWord = [&](BlockField field, int value) {
    return Written(ui, script.WriteWord(FieldAddress(address, field, hiCar),
                                        static_cast<std::uint16_t>(value & 0xFFFF)));
  };

  const std::optional<int> xPos = ReadDecimalField(
      ui, Control::XPosEdit, kSignedWordField, "CANT APPLY CHANGES. INVALID X-POS.", kSignedRange);
  if (!xPos || !writeWord(BlockField::XPos, *xPos)) return;

  const std::optional<int> yPos = ReadDecimalField(
      ui, Control::YPosEdit, kSignedWordField, "CANT APPLY CHANGES. INVALID Y-POS.", kSignedRange);
  if (!yPos || !writeWord(BlockField::YPos, *yPos)) return;

  const std::optional<int> utellme = ReadUtellme(ui);
  if (!utellme || !writeWord(BlockField::UnknownWord, *utellme)) return;

  const std::optional<int> heading =
      ReadDecimalField(ui, Control::HeadingEdit, kSignedWordField,
                       "CANT APPLY CHANGES. INVALID HEADING VALUE.", kSignedRange);
  if (!heading) return;
  if (*heading > kHeadingWarnAbove) {
    ui.Message(TwoLines("WARNING! You entered a HEADING value higher than 5759",
                        "which is more than 360 degrees."),
               MessageIcon::Exclamation);
  }
  if (!writeWord(BlockField::Heading, *heading)) return;

  const std::optional<int> alarm = ReadDecimalField(
      ui, Control::AlarmEdit, kByteField, "CANT APPLY CHANGES. INVALID ALARM VALUE.", kByteRange);
  if (!alarm) return;
  if (*alarm > kPercentWarnAbove) {
    ui.Message("WARNING! If I'm right about the ALARM values, this value is too high!",
               MessageIcon::Exclamation);
  }
  if (!Written(ui, script.WriteByte(FieldAddress(address, BlockField::Alarm, hiCar),
                                    static_cast<std::uint8_t>(*alarm)))) {
    return;
  }

  const std::optional<int> lock = ReadDecimalField(
      ui, Control::LockEdit, kByteField, "CANT APPLY CHANGES. INVALID SHADE VALUE.", kByteRange);
  if (!lock) return;
  if (*lock > kPercentWarnAbove) {
    ui.Message("WARNING! If I'm right about the DOOR LOCK values, this value is too high!",
               MessageIcon::Exclamation);
  }
  if (!Written(ui, script.WriteByte(FieldAddress(address, BlockField::Lock, hiCar),
                                    static_cast<std::uint8_t>(*lock)))) {
    return;
  }

  state.Scroller.PostScrollerMessage("Changes applied successfully");
}

}  // namespace tovick
