#include "plugin/script_table.h"

#include "plugin/script_reader.h"
#include "scm/generator_record.h"
#include "scm/script_file.h"

namespace tovick {

namespace {

std::vector<std::int64_t> AddressesOf(const std::vector<GeneratorInstruction>& instructions) {
  std::vector<std::int64_t> addresses;
  addresses.reserve(instructions.size());
  for (const GeneratorInstruction& instruction : instructions) {
    addresses.push_back(RecordAddressOf(instruction));
  }
  return addresses;
}

}  // namespace

ScriptTableRead ReadScriptTable(FileIo& io, const std::string& path, bool anywhere,
                                ScriptTable& table) {
  switch (table.File.Open(io, path, kMaxScriptFileBytes)) {
    case WholeFileRead::Read:
      break;
    case WholeFileRead::CannotOpen:
      return ScriptTableRead::CannotOpen;
    case WholeFileRead::TooLarge:
      return ScriptTableRead::TooLarge;
  }
  if (!anywhere && table.File.Length() < kMinScriptLength) return ScriptTableRead::TooShort;
  table.Bytes = table.File.Bytes();
  table.Anywhere = anywhere;
  if (anywhere) {
    table.Instructions = FindGeneratorInstructions(table.Bytes);
    table.Addresses = AddressesOf(table.Instructions);
    return ScriptTableRead::Read;
  }

  std::vector<std::uint8_t> window(kScanWindowSize);
  ReaderOf(table.Bytes)(kScanFirst, window.data(), window.size());
  table.Table.Clear();
  table.Scan = ScanCarTable(window, table.Table);
  table.Addresses.assign(table.Table.Address.begin() + 1,
                         table.Table.Address.begin() + 1 + table.Table.BlockCnt);
  if (table.Addresses.empty())
    table.Elsewhere = AddressesOf(FindGeneratorInstructions(table.Bytes));
  return ScriptTableRead::Read;
}

}  // namespace tovick
