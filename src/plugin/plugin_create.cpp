#include "plugin/plugin_create.h"

#include <algorithm>
#include <array>

#include "plugin/plugin_format.h"
#include "scm/car_block.h"

namespace tovick {

namespace {

bool IsMarked(std::span<const std::uint8_t> marks, int blockNumber) {
  const auto index = static_cast<std::size_t>(blockNumber);
  return index < marks.size() && marks[index] == 1;
}

int LastBlock(const CarTable& table) {
  return std::clamp(table.BlockCnt, 0, kMaxBlocks);
}

}  // namespace

int CountMarkedBlocks(const CarTable& table, std::span<const std::uint8_t> marks) {
  int count = 0;
  for (int n = 1; n <= LastBlock(table); ++n) count += IsMarked(marks, n) ? 1 : 0;
  return count;
}

PlugInCreation PlanPlugInCreation(const CarTable& table, std::span<const std::uint8_t> marks,
                                  const ScriptReader& read) {
  PlugInCreation creation;
  creation.Content = PlugInPreamble();
  for (int n = 1; n <= LastBlock(table); ++n) {
    if (!IsMarked(marks, n)) continue;
    const std::int64_t address = table.Address[static_cast<std::size_t>(n)];
    std::array<std::uint8_t, kMaxBlockBytes> bytes{};
    read(address, bytes.data(), bytes.size());
    const std::optional<CarBlock> block = DecodeCarBlock(address, bytes);
    if (!block) {
      creation.InvalidMarkerBlock = n;
      return creation;
    }
    creation.Content += RenderPlugInRecord(n, *block);
    ++creation.RecordCount;
  }
  return creation;
}

PlugInCreation PlanPlugInCreation(std::span<const GeneratorInstruction> instructions,
                                  std::span<const std::uint8_t> marks) {
  PlugInCreation creation;
  creation.Content = PlugInPreamble();
  for (std::size_t i = 0; i < instructions.size(); ++i) {
    const int number = static_cast<int>(i + 1);
    if (!IsMarked(marks, number)) continue;
    creation.Content += RenderPlugInRecord(PlugInRecordOf(number, instructions[i]));
    ++creation.RecordCount;
  }
  return creation;
}

std::string PlugInFileName(std::string_view chosen) {
  const bool hasExtension =
      chosen.size() >= kPlugInExtension.size() &&
      std::equal(kPlugInExtension.begin(), kPlugInExtension.end(),
                 chosen.end() - static_cast<std::ptrdiff_t>(kPlugInExtension.size()),
                 [](char wanted, char c) {
                   return wanted == (c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
                 });
  std::string name(chosen);
  if (!hasExtension) name += kPlugInExtension;
  return name;
}

}  // namespace tovick
