// ShowBlock and ApplyChanges over the fake window, on the demo script with any bytes in its scan
// window, held in memory: applying a shown block unchanged leaves the file unchanged; applying
// typed values changes only the block's writable fields, and a complete apply stores what was
// typed as the fields' rules read it.
#include <array>

#include "editor/apply_changes.h"
#include "editor/show_block.h"
#include "fuzz_harness.h"
#include "scm/car_block.h"
#include "scm/field_text.h"
#include "support/fake_ui.h"

using namespace tovick;

namespace {

struct Edit {
  Control Box;
  BlockField Field;
  int Width;
  FieldRange Range;  // decimal fields; UTELLME is hexadecimal
};

constexpr std::array<Edit, 6> kEdits{{
    {Control::XPosEdit, BlockField::XPos, 2, kSignedWordField},
    {Control::YPosEdit, BlockField::YPos, 2, kSignedWordField},
    {Control::UtellmeEdit, BlockField::UnknownWord, 2, kWordField},
    {Control::HeadingEdit, BlockField::Heading, 2, kSignedWordField},
    {Control::AlarmEdit, BlockField::Alarm, 1, kByteField},
    {Control::LockEdit, BlockField::Lock, 1, kByteField},
}};

int Stored(const std::vector<std::uint8_t>& bytes, std::int64_t at, int width) {
  const auto i = static_cast<std::size_t>(at);
  return width == 1 ? bytes[i] : bytes[i] | (bytes[i + 1] << 8);
}

}  // namespace

TOVICK_FUZZ_TARGET(input) {
  const std::uint8_t choice = input.Byte(), flags = input.Byte(), vehicle = input.Byte();
  std::array<std::string, kEdits.size()> typed;
  for (std::string& text : typed) text = input.Text(12);
  std::vector<std::uint8_t> original = fuzz::DemoScript();
  const std::string window = input.Rest();
  for (std::size_t i = 0; i < window.size() && kScanFirst + i < original.size(); ++i) {
    original[static_cast<std::size_t>(kScanFirst) + i] = static_cast<std::uint8_t>(window[i]);
  }

  fuzz::MemoryFileIo io(original);
  AppState state;
  state.Script.SetFileIo(io);
  FUZZ_CHECK(state.Script.Open("MAIN.SCM"));
  static const std::string definitions = demo::GenerateDefinitions(1);
  ReadDefinitions(definitions, state.Vehicles);
  std::array<std::uint8_t, kScanWindowSize> scanned{};
  state.Script.ReadBytes(kScanFirst, scanned.data(), scanned.size());
  ScanCarTable(scanned, state.Cars);
  if (state.Cars.BlockCnt == 0) return;

  testing::FakeUi ui;
  for (int n = 1; n <= state.Cars.BlockCnt; ++n) ui.ComboAdd(Control::BlockList, std::to_string(n));
  ui.ComboSelect(Control::BlockList, choice % state.Cars.BlockCnt);
  state.UnsafeVehiclesEnabled = (flags & 1) != 0;
  ShowBlock(state, ui);
  ApplyChanges(state, ui);
  FUZZ_CHECK(io.Bytes == original);
  FUZZ_CHECK(state.Scroller.TakeRestart().has_value() == state.CurrentBlock.Complete);
  if (!state.CurrentBlock.Complete || (flags & 2) == 0) return;

  // Typed values: only the block's fields may change.
  for (std::size_t i = 0; i < kEdits.size(); ++i) ui.Texts[kEdits[i].Box] = typed[i];
  if ((flags & 4) != 0) ui.ComboSelect(Control::VehicleList, vehicle);
  ApplyChanges(state, ui);
  const std::int64_t address = state.CurrentBlock.Address;
  const int hiCar = state.CurrentBlock.HiCar;
  std::vector<std::uint8_t> outside = io.Bytes;
  FUZZ_CHECK(outside.size() == original.size());
  outside[static_cast<std::size_t>(FieldAddress(address, BlockField::CarId, hiCar))] =
      original[static_cast<std::size_t>(FieldAddress(address, BlockField::CarId, hiCar))];
  for (const Edit& edit : kEdits) {
    for (int b = 0; b < edit.Width; ++b) {
      const auto at = static_cast<std::size_t>(FieldAddress(address, edit.Field, hiCar) + b);
      outside[at] = original[at];
    }
  }
  FUZZ_CHECK(outside == original);
  // A complete apply, and only that, hands the scroller its message.
  if (!state.Scroller.TakeRestart()) return;
  for (std::size_t i = 0; i < kEdits.size(); ++i) {
    const Edit& edit = kEdits[i];
    const std::string text = typed[i].substr(0, 9);
    const FieldValue value = edit.Field == BlockField::UnknownWord
                                 ? ReadHexWordFieldText(text)
                                 : ReadDecimalFieldText(text, edit.Range);
    FUZZ_CHECK(value.Fault == FieldTextFault::None);
    const int mask = edit.Width == 1 ? 0xFF : 0xFFFF;
    FUZZ_CHECK(Stored(io.Bytes, FieldAddress(address, edit.Field, hiCar), edit.Width) ==
               (value.Value & mask));
  }
}
