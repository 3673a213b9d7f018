#include "editor/show_block.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "scm/car_block.h"
#include "text/number_text.h"
#include "vehicles/id_width.h"
#include "zones/zones.h"

namespace tovick {

namespace {

constexpr const char kCrLf[] = "\r\n";
constexpr int kUnitsPerDegree = 16;

std::string TrimmedNumber(double value) {
  return Trim(NumberToText(value));
}

// Fills the vehicle list with ids first..last, naming every unnamed id once with a placeholder
// after telling the user about it.
void FillVehicleList(AppState& state, UiPort& ui, VehicleIdRange range) {
  VehicleTable& vehicles = state.Vehicles;
  ui.ComboClear(Control::VehicleList);
  const int last = std::min(range.Last, kMaxVehicleId);
  const ComboFill fill(ui, Control::VehicleList, std::max(last - range.First + 1, 0));
  for (int id = range.First; id <= last; ++id) {
    std::string& name = vehicles.VehicleNames[static_cast<std::size_t>(id)];
    if (name.empty()) {
      ui.Message("WARNING!!! The default.ide is set up to load cars up to number " +
                 TrimmedNumber(vehicles.HighestVehicleId) + kCrLf + "but the car with number " +
                 TrimmedNumber(id) + " is not defined (it has no name)");
      name = "(car " + TrimmedNumber(id) + ")";
    }
    ui.ComboAdd(Control::VehicleList, name);
  }
}

// Edit box and the trimmed 1/16 value below it.
void ShowPosition(UiPort& ui, Control edit, Control below, std::int16_t raw) {
  ui.SetText(edit, NumberToText(raw, kSingleDigits));
  ui.SetText(below, Trim(NumberToText(raw / 16.0, kSingleDigits)));
}

std::string DegreesText(std::int16_t heading) {
  double degrees = RoundHalfEven(static_cast<double>(heading) / kUnitsPerDegree);
  if (degrees > 359) degrees -= 360;
  return NumberToText(degrees) + " deg";
}

}  // namespace

std::optional<int> SelectedBlockNumber(const AppState& state, UiPort& ui) {
  const int n = ui.ComboSelection(Control::BlockList) + 1;
  if (n < 1) {
    ui.Beep();
    return std::nullopt;
  }
  const std::int32_t blockCnt = state.Cars.BlockCnt;
  if (n > blockCnt || n > kMaxBlocks) {
    ui.Message("qX > BlockCnt  qX=" + NumberToText(n) + "  BlockCnt=" + NumberToText(blockCnt));
    return std::nullopt;
  }
  if (state.Cars.Address[static_cast<std::size_t>(n)] == 0) {
    ui.Message("INVALID ADDRESS: 0");
    return std::nullopt;
  }
  return n;
}

void ShowBlock(AppState& state, UiPort& ui) {
  CurrentBlockState& current = state.CurrentBlock;
  // Until the last step the controls may still hold another block's values.
  current.Complete = false;

  const std::optional<int> selected = SelectedBlockNumber(state, ui);
  if (!selected) return;
  const int n = *selected;
  const std::int64_t address = state.Cars.Address[static_cast<std::size_t>(n)];

  current.Address = address;
  ui.SetChecked(Control::PlugInCheck, state.PlugInMarks[static_cast<std::size_t>(n)] != 0);

  const ScriptFile& script = state.Script;
  const std::optional<int> hiCar =
      HiCarFromMarker(script.ReadByte(FieldAddress(address, BlockField::WidthMarker, 0)));
  if (!hiCar) {
    ui.Message("INVALID HICAR ID");
    return;
  }
  current.HiCar = *hiCar;

  const std::uint8_t carId = script.ReadByte(FieldAddress(address, BlockField::CarId, *hiCar));
  const std::int32_t highestId = state.Vehicles.HighestVehicleId;
  if (carId < kLowestVehicleId || carId > highestId) {
    ui.Message("INVALID CAR ID: " + NumberToText(carId, kSingleDigits) + kCrLf +
               "Highest number in default.ide is: " + NumberToText(highestId));
    return;
  }

  ui.SetText(Control::WarningLine, " ");
  if (IsUnsafeId(*hiCar, carId)) {
    ui.SetChecked(Control::UnsafeCheck, true);
    state.UnsafeVehiclesEnabled = true;
    ui.SetText(Control::WarningLine, "THIS VEHICLE IS UNSAFE");
  }

  current.CarId = carId;
  const VehicleIdRange listed = VehicleListRange(*hiCar, state.UnsafeVehiclesEnabled, highestId);
  FillVehicleList(state, ui, listed);
  ui.ComboSelect(Control::VehicleList, ListPositionOfId(listed, carId));

  const auto word = [&](BlockField field) {
    return static_cast<std::int16_t>(script.ReadWord(FieldAddress(address, field, *hiCar)));
  };
  current.XPos = word(BlockField::XPos);
  ShowPosition(ui, Control::XPosEdit, Control::XPosText, current.XPos);
  current.YPos = word(BlockField::YPos);
  ShowPosition(ui, Control::YPosEdit, Control::YPosText, current.YPos);

  const std::int64_t unknownAt = FieldAddress(address, BlockField::UnknownWord, *hiCar);
  ui.SetText(Control::UtellmeEdit, HexText(script.ReadWord(unknownAt)));
  ui.SetText(Control::UtellmeText, HexText(script.ReadByte(unknownAt), 2) + "h " +
                                       HexText(script.ReadByte(unknownAt + 1), 2) + "h");

  const std::int16_t heading = word(BlockField::Heading);
  ui.SetText(Control::HeadingEdit, NumberToText(heading, kSingleDigits));
  ui.SetText(Control::HeadingText, DegreesText(heading));

  const std::uint8_t alarm = script.ReadByte(FieldAddress(address, BlockField::Alarm, *hiCar));
  ui.SetText(Control::AlarmEdit, NumberToText(alarm, kSingleDigits));
  ui.SetText(Control::AlarmText, alarm == 0 ? "NO ALARM" : " ");

  const std::uint8_t lock = script.ReadByte(FieldAddress(address, BlockField::Lock, *hiCar));
  ui.SetText(Control::LockEdit, NumberToText(lock, kSingleDigits));
  ui.SetText(Control::LockText, lock == 0 ? "NOT LOCKED" : " ");

  ui.SetText(Control::ZoneBox, ZoneText(state.Zones, current.XPos, current.YPos));
  current.Complete = true;
}

void ShowFirstBlock(AppState& state, UiPort& ui) {
  ui.ComboSelect(Control::BlockList, 0);
  ShowBlock(state, ui);
}

}  // namespace tovick
