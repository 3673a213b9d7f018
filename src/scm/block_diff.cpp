#include "scm/block_diff.h"

#include <algorithm>
#include <array>
#include <initializer_list>

#include "scm/generator_record.h"

namespace tovick {

namespace {

std::string PartingText(std::span<const BlockImage> original, std::span<const BlockImage> changed) {
  const std::size_t common = std::min(original.size(), changed.size());
  for (std::size_t i = 0; i < common; ++i) {
    if (original[i].Block.Address != changed[i].Block.Address) {
      return "the car tables part at block " + std::to_string(i + 1) + ": address " +
             std::to_string(original[i].Block.Address) + " in the original, " +
             std::to_string(changed[i].Block.Address) + " in the changed script";
    }
  }
  if (original.size() == changed.size()) return {};
  return "the original has " + std::to_string(original.size()) + " block(s), the changed script " +
         std::to_string(changed.size()) +
         (common > 0 ? ", the first " + std::to_string(common) + " at the same addresses" : "");
}

// The carried fields, as the window names them. Their bytes are compared through the fields.
void CompareFields(const CarBlock& from, const CarBlock& to, std::vector<FieldChange>& out) {
  const std::initializer_list<FieldChange> fields = {
      {"CAR ID", from.CarId, to.CarId},      {"X-POS", from.XPos, to.XPos},
      {"Y-POS", from.YPos, to.YPos},         {"UTELLME", from.UnknownWord, to.UnknownWord},
      {"HEADING", from.Heading, to.Heading}, {"ALARM", from.Alarm, to.Alarm},
      {"LOCK", from.Lock, to.Lock},
  };
  for (const FieldChange& field : fields) {
    if (field.Old != field.New) out.push_back(field);
  }
}

bool IsFieldByte(std::size_t k, int hiCar) {
  for (const BlockField field :
       {BlockField::XPos, BlockField::YPos, BlockField::UnknownWord, BlockField::Heading}) {
    const auto at = static_cast<std::size_t>(field);
    if (k == at || k == at + 1) return true;
  }
  return k == static_cast<std::size_t>(BlockField::CarId) ||
         k == static_cast<std::size_t>(FieldAddress(0, BlockField::Alarm, hiCar)) ||
         k == static_cast<std::size_t>(FieldAddress(0, BlockField::Lock, hiCar));
}

std::string ByteName(std::size_t k, int hiCar) {
  if (k == static_cast<std::size_t>(BlockField::WidthMarker)) return "WIDTH MARKER";
  if (hiCar == 1 && k == static_cast<std::size_t>(BlockField::CarId) + 1) return "ID HIGH BYTE";
  if (k + 1 == CarBlockSize(hiCar)) return "FOLLOW BYTE";
  return "BYTE +" + std::to_string(k);
}

// Every other byte of the block: no plug-in record holds it. After a change of width the bytes
// behind the marker are shifted, so only the marker itself is reported.
void CompareOtherBytes(const BlockImage& from, const BlockImage& to,
                       std::vector<FieldChange>& out) {
  const int h = from.Block.HiCar;
  if (h != to.Block.HiCar || from.Block.WidthMarker != to.Block.WidthMarker) {
    out.push_back({"WIDTH MARKER", from.Block.WidthMarker, to.Block.WidthMarker, false});
    return;
  }
  const std::size_t size = std::min({from.Bytes.size(), to.Bytes.size(), CarBlockSize(h)});
  for (std::size_t k = 0; k < size; ++k) {
    if (IsFieldByte(k, h) || from.Bytes[k] == to.Bytes[k]) continue;
    out.push_back({ByteName(k, h), from.Bytes[k], to.Bytes[k], false});
  }
}

constexpr std::array<const char*, kGeneratorParamCount> kParamNames{
    "X-POS",       "Y-POS", "UTELLME", "HEADING",   "MODEL",     "COLOUR 1", "COLOUR 2",
    "FORCE SPAWN", "ALARM", "LOCK",    "MIN DELAY", "MAX DELAY", "HANDLE"};

std::string InstructionPartingText(std::span<const GeneratorInstruction> original,
                                   std::span<const GeneratorInstruction> changed) {
  const std::size_t common = std::min(original.size(), changed.size());
  for (std::size_t i = 0; i < common; ++i) {
    const std::int64_t from = RecordAddressOf(original[i]);
    const std::int64_t to = RecordAddressOf(changed[i]);
    if (from != to) {
      return "the instructions part at number " + std::to_string(i + 1) + ": address " +
             std::to_string(from) + " in the original, " + std::to_string(to) +
             " in the changed script";
    }
  }
  if (original.size() == changed.size()) return {};
  return "the original has " + std::to_string(original.size()) +
         " instruction(s), the changed script " + std::to_string(changed.size()) +
         (common > 0 ? ", the first " + std::to_string(common) + " at the same addresses" : "");
}

void CompareInstructions(const GeneratorInstruction& from, const GeneratorInstruction& to,
                         std::vector<FieldChange>& out) {
  // The model first, so that CAR ID leads as in the editor's diff; then the stored order.
  static constexpr std::array<int, kGeneratorParamCount> kOrder{4, 0, 1, 2,  3,  5, 6,
                                                                7, 8, 9, 10, 11, 12};
  for (const int i : kOrder) {
    const auto param = static_cast<GeneratorParam>(i);
    const GeneratorValue& old = from[param];
    const GeneratorValue& now = to[param];
    const std::string name = kParamNames[static_cast<std::size_t>(i)];
    if (old.type != now.type) {
      out.push_back({name + " TYPE", old.type, now.type, false});
      continue;
    }
    if (old.value == now.value) continue;
    switch (param) {
      case GeneratorParam::X:
      case GeneratorParam::Y:
      case GeneratorParam::Heading:
        out.push_back({name, old.value, now.value, true});
        break;
      case GeneratorParam::Z:
        out.push_back({name, old.value & 0xFFFF, now.value & 0xFFFF, true});
        break;
      case GeneratorParam::Model: {
        const std::int64_t oldLow = old.value & 0xFF;
        const std::int64_t newLow = now.value & 0xFF;
        if (oldLow != newLow) out.push_back({"CAR ID", oldLow, newLow, true});
        // An 8-bit model is all low byte; a wider one keeps the rest out of any plug-in.
        if (old.width > 1 && ((old.value ^ now.value) & ~0xFF) != 0)
          out.push_back({name, old.value, now.value, false});
        break;
      }
      case GeneratorParam::Alarm:
      case GeneratorParam::Lock:
        out.push_back({name, EditorValue(old), EditorValue(now), old.width == 1});
        break;
      default:
        out.push_back({name, old.value, now.value, false});
        break;
    }
  }
}

}  // namespace

TableDiff DiffGeneratorInstructions(std::span<const GeneratorInstruction> original,
                                    std::span<const GeneratorInstruction> changed) {
  TableDiff diff;
  diff.Parting = InstructionPartingText(original, changed);
  if (!diff.Comparable()) return diff;
  for (std::size_t i = 0; i < original.size(); ++i) {
    BlockChange block{static_cast<int>(i + 1), RecordAddressOf(original[i]), {}};
    CompareInstructions(original[i], changed[i], block.Fields);
    if (!block.Fields.empty()) diff.Changes.push_back(std::move(block));
  }
  return diff;
}

bool TableDiff::AllCarried() const {
  return std::all_of(Changes.begin(), Changes.end(), [](const BlockChange& block) {
    return std::all_of(block.Fields.begin(), block.Fields.end(),
                       [](const FieldChange& field) { return field.Carried; });
  });
}

TableDiff DiffCarTables(std::span<const BlockImage> original, std::span<const BlockImage> changed) {
  TableDiff diff;
  diff.Parting = PartingText(original, changed);
  if (!diff.Comparable()) return diff;
  for (std::size_t i = 0; i < original.size(); ++i) {
    BlockChange block{static_cast<int>(i + 1), original[i].Block.Address, {}};
    CompareFields(original[i].Block, changed[i].Block, block.Fields);
    CompareOtherBytes(original[i], changed[i], block.Fields);
    if (!block.Fields.empty()) diff.Changes.push_back(std::move(block));
  }
  return diff;
}

}  // namespace tovick
