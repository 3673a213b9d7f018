#include "gen/foreign_script.h"

#include <array>
#include <cstddef>

#include "scm/generator_instruction.h"

namespace tovick::demo {

namespace {

// SplitMix64, as the demo data uses it: the same bytes on every platform.
class Mix {
 public:
  explicit Mix(std::uint64_t seed) : state_(seed) {}
  int Between(int low, int high) {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return low + static_cast<int>(z % (static_cast<std::uint64_t>(high - low) + 1));
  }

 private:
  std::uint64_t state_;
};

constexpr std::uint64_t kForeignStream = 0xF0E1C2ull;

// The script's first instruction jumps over the global variables, as a compiler lays them out.
constexpr std::size_t kVariableSpaceEnd = 18156;
constexpr std::array<int, 8> kRunLengths{8, 20, 15, 30, 12, 25, 19, 20};
constexpr std::size_t kFirstRun = 20000;
constexpr std::size_t kRunSpacing = 55000;  // every run starts past the scan window but the first
constexpr std::size_t kCutOffBytes = 24;

struct Param {
  std::uint8_t Type;
  std::int32_t Value;
};
using Instruction = std::array<Param, kGeneratorParamCount>;

Param Int8(int value) {
  return {kTypeInt8, value};
}
Param Int16(int value) {
  return {kTypeInt16, value};
}
Param Fixed(int value) {
  return {kTypeFixed16, value};
}

Instruction PlanInstruction(int index, Mix& mix) {
  constexpr int kUnits = 16;
  const bool wideModel = index % 3 == 1 && index < kForeignInstructionCount - 3;
  Instruction p{};
  p[0] = Fixed(mix.Between(-1574 * kUnits, 1577 * kUnits));
  p[1] = Fixed(mix.Between(-1503 * kUnits, 319 * kUnits));
  p[2] = Fixed(mix.Between(0, 99) < 60 ? -1600 : mix.Between(5, 60) * kUnits);
  p[3] = Fixed(mix.Between(0, 359 * kUnits + 15));
  p[4] = wideModel ? Int16(mix.Between(128, 150)) : Int8(mix.Between(90, 127));
  p[5] = Int8(-1);
  p[6] = Int8(-1);
  p[7] = Int8(0);
  p[8] = Int8(mix.Between(0, 99) < 60 ? 0 : 10 * mix.Between(1, 10));
  p[9] = Int8(mix.Between(0, 99) < 70 ? 0 : 50 * mix.Between(1, 2));
  p[10] = Int8(0);
  p[11] = Int16(10000);
  p[12] = {kTypeGlobalVar, 1024 + 4 * index};
  switch (index + 1) {
    case 1:
      p[8] = Int8(0);
      p[9] = Int8(0);
      break;
    case 3:
      p[4] = Int8(static_cast<std::int8_t>(0x8C));
      break;
    case 4:
      p[5] = Int16(3);
      p[6] = Int16(62);
      break;
    case 5:
      p[12] = {kTypeLocalVar, 12};
      break;
    case 6:
      p[8] = Int16(50);
      break;
    case 7:
      p[11] = {kTypeInt32, 40000};
      break;
    default:
      break;
  }
  return p;
}

std::vector<std::uint8_t> Encode(const Instruction& params) {
  std::vector<std::uint8_t> bytes{kGeneratorOpcode & 0xFF, kGeneratorOpcode >> 8};
  for (const Param& param : params) {
    bytes.push_back(param.Type);
    const auto value = static_cast<std::uint32_t>(param.Value);
    for (int i = 0; i < GeneratorValueWidth(param.Type); ++i) {
      bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
  }
  return bytes;
}

// Other instructions: an opcode, then a few typed values, no byte 0 (so that the editor's scan
// window starts no block) and no opcode 0x014B.
void FillOtherInstructions(std::vector<std::uint8_t>& bytes, std::size_t from, std::size_t to,
                           Mix& mix) {
  static constexpr std::array<std::uint8_t, 4> kTypes{0x01, 0x04, 0x05, 0x06};
  std::size_t at = from;
  auto put = [&](int value) {
    if (at < to) bytes[at++] = static_cast<std::uint8_t>(value == 0 ? 1 : value);
  };
  while (at < to) {
    const int opcode = mix.Between(0x01, 0xFF);
    put(opcode == 0x4B ? 0x4C : opcode);
    put(mix.Between(0x02, 0x05));
    const int count = mix.Between(0, 4);
    for (int i = 0; i < count; ++i) {
      const std::uint8_t type = kTypes[static_cast<std::size_t>(mix.Between(0, 3))];
      put(type);
      for (int k = 0; k < GeneratorValueWidth(type); ++k) put(mix.Between(1, 255));
    }
  }
}

void Put(std::vector<std::uint8_t>& bytes, std::size_t at, const std::vector<std::uint8_t>& what) {
  for (std::size_t i = 0; i < what.size() && at + i < bytes.size(); ++i) bytes[at + i] = what[i];
}

}  // namespace

std::vector<std::uint8_t> GenerateForeignScript(std::uint32_t seed) {
  Mix mix((static_cast<std::uint64_t>(seed) << 24) ^ kForeignStream);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(kForeignScriptLength), 0);
  // Jump (0x0002) to the end of the variable space, a 32-bit target.
  Put(bytes, 0,
      {0x02, 0x00, 0x01, static_cast<std::uint8_t>(kVariableSpaceEnd & 0xFF),
       static_cast<std::uint8_t>(kVariableSpaceEnd >> 8), 0x00, 0x00});
  FillOtherInstructions(bytes, kVariableSpaceEnd, bytes.size() - kCutOffBytes, mix);

  int index = 0;
  for (std::size_t run = 0; run < kRunLengths.size(); ++run) {
    std::size_t at = kFirstRun + run * kRunSpacing;
    for (int k = 0; k < kRunLengths[run]; ++k, ++index) {
      const std::vector<std::uint8_t> encoded = Encode(PlanInstruction(index, mix));
      Put(bytes, at, encoded);
      at += encoded.size();
    }
  }
  // Bytes 4B 01 that are no instruction: a pair right before run 3, a bad type for the model,
  // a value cut by another opcode.
  Put(bytes, kFirstRun + 2 * kRunSpacing - 2, {0x4B, 0x01});
  Put(bytes, kFirstRun + kRunSpacing / 2,
      {0x4B, 0x01, 0x06, 0x10, 0x01, 0x06, 0x20, 0x02, 0x06, 0xC0, 0xF9, 0x06, 0x10, 0x01, 0x09});
  Put(bytes, kFirstRun + 3 * kRunSpacing / 2, {0x4B, 0x01, 0x06, 0x10, 0x4B, 0x01, 0x03});
  // The last instruction of the file is cut off by its end.
  std::vector<std::uint8_t> cut = Encode(PlanInstruction(0, mix));
  cut.resize(kCutOffBytes);
  Put(bytes, bytes.size() - kCutOffBytes, cut);
  return bytes;
}

}  // namespace tovick::demo
