#include "save/save_map.h"

#include "plugin/car_map.h"

namespace tovick {

namespace {

constexpr std::uint16_t kUsesForEver = 65535;

std::string Tooltip(const SaveListing& listing, int slotNumber, const GeneratorSlot& slot) {
  auto text = [&slot](SlotField field) { return SlotFieldText(slot, field); };
  const std::string name = ModelName(listing, slot.Model);
  const std::string uses = slot.UsesRemaining == kUsesForEver ? "for ever"
                           : slot.UsesRemaining == 0          ? "none (switched off)"
                                                              : std::to_string(slot.UsesRemaining);
  return "slot " + std::to_string(slotNumber) + "\nModel " + text(SlotField::Model) +
         (name.empty() ? "" : " " + name) + "\nPosition (" + text(SlotField::X) + ", " +
         text(SlotField::Y) + ", " + text(SlotField::Z) + ")\nHeading " + text(SlotField::Heading) +
         "\xC2\xB0\nAlarm " + text(SlotField::Alarm) + ", lock " + text(SlotField::Lock) +
         "\nUses " + uses;
}

}  // namespace

std::string RenderSaveMap(const SaveListing& listing, const ZoneTable& zones) {
  MapDrawing drawing;
  drawing.Caption = "Parked-car generators of " + listing.Path + ": " +
                    std::to_string(listing.Slots.size()) + " in use";
  for (std::size_t i = 0; i < listing.Slots.size(); ++i) {
    const GeneratorSlot& slot = listing.Slots[i];
    const bool off = slot.UsesRemaining == 0;
    drawing.Markers.push_back({slot.X, slot.Y, slot.Heading, MarkerShape::Triangle,
                               off ? kSwitchedOffFill : kOneByteFill,
                               off ? "generator off" : "generator", "slot-" + std::to_string(i),
                               Tooltip(listing, static_cast<int>(i), slot)});
  }
  drawing.Legend = {{MarkerShape::Triangle, kOneByteFill, "car generator"},
                    {MarkerShape::Triangle, kSwitchedOffFill, "switched off (no uses left)"}};
  return RenderMap(drawing, zones);
}

}  // namespace tovick
