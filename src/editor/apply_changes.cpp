#include "editor/apply_changes.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "scm/car_block.h"
#include "text/number_text.h"

namespace tovick {

namespace {

// Edit boxes hold at most 9 characters; anything past them never counts.
constexpr std::size_t kEditTextLimit = 9;

constexpr int kMinSignedWord = -32768;
constexpr int kMaxSignedWord = 32767;
constexpr int kMaxUnsignedWord = 65535;
constexpr int kMaxByte = 255;
constexpr int kHeadingWarnAbove = 5759;  // 5760 units are 360 degrees
constexpr int kPercentWarnAbove = 100;   // ALARM and LOCK are percentages

constexpr int kFirstUnsafeListId = 90;  // first item of the unsafe and one-byte lists
constexpr int kFirstTwoByteId = 128;    // first item of the two-byte list
constexpr int kLastOneByteId = 127;

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

bool HasCommaOrDot(std::string_view text) {
  return text.find_first_of(",.") != std::string_view::npos;
}

// The value rounded half-even when it lies in [low, high]; nullopt otherwise. Values far outside
// (up to the largest double) are refused before rounding so no conversion can overflow.
std::optional<int> RoundedInRange(double value, int low, int high) {
  if (!(value > low - 1.0 && value < high + 1.0)) return std::nullopt;
  const double rounded = RoundHalfEven(value);
  if (rounded < low || rounded > high) return std::nullopt;
  return static_cast<int>(rounded);
}

// Shared shape of the decimal fields: refuse commas and dots, convert, range-check.
std::optional<int> ReadDecimalField(UiPort& ui, Control edit, int low, int high,
                                    std::string_view invalidText, std::string_view rangeText) {
  const std::string text = EditText(ui, edit);
  if (HasCommaOrDot(text)) {
    ui.Message(TwoLines(kCommasAndDots, rangeText));
    return std::nullopt;
  }
  const std::optional<int> value = RoundedInRange(TextToNumber(text), low, high);
  if (!value) ui.Message(TwoLines(invalidText, rangeText));
  return value;
}

// UTELLME is typed in hexadecimal; "&H0" in front makes the reading unsigned.
std::optional<int> ReadUtellme(UiPort& ui) {
  const std::string text = EditText(ui, Control::UtellmeEdit);
  if (HasCommaOrDot(text)) {
    ui.Message(TwoLines(kCommasAndDots, kWordRange));
    return std::nullopt;
  }
  const std::optional<int> value =
      RoundedInRange(TextToNumber("&H0" + Trim(text)), 0, kMaxUnsignedWord);
  if (!value) ui.Message(TwoLines("CANT APPLY CHANGES. INVALID WORD VALUE.", kWordRange));
  return value;
}

// The vehicle id for list position index, or nullopt when it is outside the list's valid range.
std::optional<std::uint8_t> VehicleIdFromList(const AppState& state, int index) {
  int first = kFirstUnsafeListId;
  int last = state.Vehicles.HighestVehicleId;
  if (!state.UnsafeVehiclesEnabled) {
    if (state.CurrentBlock.HiCar == 1) {
      first = kFirstTwoByteId;
    } else {
      last = kLastOneByteId;
    }
  }
  const int id = (index + first) & 0xFF;
  if (id < first || id > last) return std::nullopt;
  return static_cast<std::uint8_t>(id);
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
  const std::optional<std::uint8_t> carId = VehicleIdFromList(state, vehicleIndex);
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

  const std::optional<int> xPos =
      ReadDecimalField(ui, Control::XPosEdit, kMinSignedWord, kMaxSignedWord,
                       "CANT APPLY CHANGES. INVALID X-POS.", kSignedRange);
  if (!xPos || !writeWord(BlockField::XPos, *xPos)) return;

  const std::optional<int> yPos =
      ReadDecimalField(ui, Control::YPosEdit, kMinSignedWord, kMaxSignedWord,
                       "CANT APPLY CHANGES. INVALID Y-POS.", kSignedRange);
  if (!yPos || !writeWord(BlockField::YPos, *yPos)) return;

  const std::optional<int> utellme = ReadUtellme(ui);
  if (!utellme || !writeWord(BlockField::UnknownWord, *utellme)) return;

  const std::optional<int> heading =
      ReadDecimalField(ui, Control::HeadingEdit, kMinSignedWord, kMaxSignedWord,
                       "CANT APPLY CHANGES. INVALID HEADING VALUE.", kSignedRange);
  if (!heading) return;
  if (*heading > kHeadingWarnAbove) {
    ui.Message(TwoLines("WARNING! You entered a HEADING value higher than 5759",
                        "which is more than 360 degrees."),
               MessageIcon::Exclamation);
  }
  if (!writeWord(BlockField::Heading, *heading)) return;

  const std::optional<int> alarm = ReadDecimalField(
      ui, Control::AlarmEdit, 0, kMaxByte, "CANT APPLY CHANGES. INVALID ALARM VALUE.", kByteRange);
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
      ui, Control::LockEdit, 0, kMaxByte, "CANT APPLY CHANGES. INVALID SHADE VALUE.", kByteRange);
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
