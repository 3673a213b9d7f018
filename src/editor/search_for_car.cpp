#include "editor/search_for_car.h"

#include <cstdint>

#include "editor/show_block.h"
#include "vehicles/definitions.h"

namespace tovick {

namespace {

// Where a search begins: the block after the selected one or, with nothing selected or the last
// block selected, block 1 itself, so that a vehicle standing only in block 1 can be found too.
int StartPosition(int selectedBlock, std::int32_t blockCnt) {
  return (selectedBlock >= 1 && selectedBlock < blockCnt) ? selectedBlock : 0;
}

}  // namespace

void SearchForCar(AppState& state, UiPort& ui) {
  const int item = ui.ComboSelection(Control::SearchList);
  if (item < 0) {
    ui.Beep();
    return;
  }
  // Item i stands for vehicle id 90 + i; ids are bytes.
  const std::uint8_t wantedId = static_cast<std::uint8_t>(kLowestVehicleId + item);
  if (wantedId > state.Vehicles.HighestVehicleId) {
    ui.Beep();
    return;
  }

  const std::int32_t blockCnt = state.Cars.BlockCnt;
  const int selectedBlock = ui.ComboSelection(Control::BlockList) + 1;
  ui.ComboSelect(Control::BlockList, StartPosition(selectedBlock, blockCnt));
  int position = ui.ComboSelection(Control::BlockList);
  if (position < 0) {
    ui.Beep();
    ui.Message("Please select a block");
    return;
  }
  if (position + 1 > blockCnt) {
    ui.Message("qX2 > BlockCnt");
    return;
  }

  while (true) {
    ShowBlock(state, ui);
    // A block the view refused left CurrentBlock incomplete: its CarId is an earlier block's.
    const CurrentBlockState& shown = state.CurrentBlock;
    if (shown.Complete && shown.CarId == wantedId) return;
    position = ui.ComboSelection(Control::BlockList);
    if (position < 0) return;
    // Past the last position the list is left with no selection, so the next search starts over.
    ui.ComboSelect(Control::BlockList, position + 1);
    if (ui.ComboSelection(Control::BlockList) != position + 1) return;
  }
}

}  // namespace tovick
