#include "gen/demo_data.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <string_view>
#include <utility>

#include "scm/car_table.h"
#include "vehicles/definitions.h"
#include "vehicles/id_width.h"

namespace tovick::demo {

namespace {

// SplitMix64: a fixed, portable sequence, so a seed gives the same files on every platform (the
// standard distributions are free to differ between libraries).
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [low, high].
  int Between(int low, int high) {
    const auto span = static_cast<std::uint64_t>(high - low) + 1;
    return low + static_cast<int>(Next() % span);
  }
  bool Chance(int percent) { return Between(0, 99) < percent; }

 private:
  std::uint64_t state_;
};

// Separate streams per file, so that changing one file's recipe leaves the others as they were.
constexpr std::uint64_t kTableStream = 0x7AB1Eull;
constexpr std::uint64_t kFillerStream = 0xF111E4ull;
constexpr std::uint64_t kDefinitionsStream = 0xDEF5ull;
constexpr std::uint64_t kZoneStream = 0x20E5ull;

std::uint64_t StreamSeed(std::uint32_t seed, std::uint64_t stream) {
  return (static_cast<std::uint64_t>(seed) << 24) ^ stream;
}

// Raw position units are 1/16 of a world unit.
constexpr int kUnitsPerWorld = 16;
// Z of -100.0 in 1/16 units, read unsigned: "put the car on the ground".
constexpr std::uint16_t kOnGround = 0xF9C0;

constexpr int kLastDemoVehicle = 150;

// Other instructions between blocks: after these block numbers the table is interrupted.
constexpr int kGapAfterBlock1 = 30;
constexpr int kOddFollowBlock = 60;  // ends in a follow byte other than 0x04
constexpr int kGapAfterBlock2 = 85;
constexpr std::uint8_t kOddFollowByte = 0x05;

struct ZoneBox {
  std::string_view Name;
  int MinX, MinY, MaxX, MaxY;  // world units
};

// The first zone lies apart from all others; the second and third overlap.
constexpr std::array<ZoneBox, 5> kZoneBoxes{{
    {"Harbour Flats", -1500, -1400, -1000, -1000},
    {"Kestrel Heights", 200, -600, 800, 0},
    {"Tannery Row", 400, -300, 1200, 300},
    {"Gullwing Field", -900, -300, -300, 250},
    {"Lantern Quay", 1000, -1450, 1550, -900},
}};
constexpr int kZoneJitter = 20;  // world units each bound may move by

std::array<ZoneBox, kZoneBoxes.size()> PlanZones(std::uint32_t seed) {
  Random random(StreamSeed(seed, kZoneStream));
  auto zones = kZoneBoxes;
  for (ZoneBox& zone : zones) {
    zone.MinX += random.Between(-kZoneJitter, kZoneJitter);
    zone.MinY += random.Between(-kZoneJitter, kZoneJitter);
    zone.MaxX += random.Between(-kZoneJitter, kZoneJitter);
    zone.MaxY += random.Between(-kZoneJitter, kZoneJitter);
  }
  return zones;
}

std::uint8_t Weighted(Random& random, std::initializer_list<std::pair<int, int>> weighted) {
  int roll = random.Between(0, 99);
  for (const auto& [value, weight] : weighted) {
    if (roll < weight) return static_cast<std::uint8_t>(value);
    roll -= weight;
  }
  return 0;
}

CarBlock RandomBlock(Random& random) {
  CarBlock block;
  const bool twoByte = random.Chance(20);
  block.WidthMarker = twoByte ? kMarkerTwoByteId : kMarkerOneByteId;
  block.HiCar = twoByte ? 1 : 0;
  block.CarId =
      static_cast<std::uint8_t>(twoByte ? random.Between(kLowestTwoByteId, kLastDemoVehicle)
                                        : random.Between(kLowestVehicleId, kHighestOneByteId));
  // Where the original game's parked cars stand, roughly, in world units.
  block.XPos =
      static_cast<std::int16_t>(random.Between(-1574 * kUnitsPerWorld, 1577 * kUnitsPerWorld));
  block.YPos =
      static_cast<std::int16_t>(random.Between(-1503 * kUnitsPerWorld, 319 * kUnitsPerWorld));
  block.UnknownWord = random.Chance(60)
                          ? kOnGround
                          : static_cast<std::uint16_t>(random.Between(5, 60) * kUnitsPerWorld +
                                                       random.Between(0, 15));
  block.Heading = static_cast<std::int16_t>(random.Between(0, 359 * kUnitsPerWorld + 15));
  block.Alarm = Weighted(random, {{0, 60}, {10, 10}, {20, 10}, {50, 10}, {100, 10}});
  block.Lock = Weighted(random, {{0, 70}, {50, 15}, {100, 15}});
  return block;
}

void SetOneByte(CarBlock& block, int id) {
  block.WidthMarker = kMarkerOneByteId;
  block.HiCar = 0;
  block.CarId = static_cast<std::uint8_t>(id);
}

void SetTwoByte(CarBlock& block, int id) {
  block.WidthMarker = kMarkerTwoByteId;
  block.HiCar = 1;
  block.CarId = static_cast<std::uint8_t>(id);
}

int GapAfter(int blockNumber, std::uint32_t seed) {
  Random random(StreamSeed(seed, kTableStream + static_cast<std::uint64_t>(blockNumber)));
  if (blockNumber == kGapAfterBlock1 || blockNumber == kGapAfterBlock2)
    return random.Between(6, 24);
  // The scan jumps 10 bytes past an odd follow byte: leave more room than that.
  if (blockNumber == kOddFollowBlock) return random.Between(12, 24);
  return 0;
}

std::size_t EncodedSize(const CarBlock& block) {
  return block.HiCar == 1 ? 35 : 34;
}

int ClampBlockCount(int blockCount) {
  return std::clamp(blockCount, 1, kMaxDemoBlockCount);
}

// A table longer than the default one stands back to back from the window's first offset.
bool IsCompact(int blockCount) {
  return blockCount > kDemoBlockCount;
}

// Back to back, the blocks fit the window only with few two-byte ids: each takes one byte more.
// The last ones beyond that budget become one-byte ids (128..150 become 90..112, still safe).
void FitIntoWindow(std::vector<CarBlock>& blocks) {
  const auto oneByteTotal = static_cast<std::int64_t>(blocks.size()) * 34;
  const std::int64_t budget = static_cast<std::int64_t>(kScanWindowSize) - oneByteTotal;
  std::int64_t twoByte = std::count_if(blocks.begin(), blocks.end(),
                                       [](const CarBlock& block) { return block.HiCar == 1; });
  constexpr std::size_t kFirstFreeBlock = 5;  // blocks 1 to 5 keep their roles
  for (std::size_t i = blocks.size(); i-- > kFirstFreeBlock && twoByte > budget;) {
    if (blocks[i].HiCar == 1) {
      SetOneByte(blocks[i], blocks[i].CarId - (kLowestTwoByteId - kLowestVehicleId));
      --twoByte;
    }
  }
}

// Bytes that read like other instructions: type bytes with values after an opcode. With noZero
// every 0x00 is replaced, so that no car-table signature can start among them.
void FillInstructions(std::vector<std::uint8_t>& bytes, std::size_t from, std::size_t to,
                      Random& random, bool noZero) {
  static constexpr std::array<std::uint8_t, 4> kTypes{0x01, 0x04, 0x05, 0x06};
  std::size_t at = from;
  auto put = [&](int value) {
    if (at >= to) return;
    auto byte = static_cast<std::uint8_t>(value);
    if (noZero && byte == 0) byte = static_cast<std::uint8_t>(random.Between(1, 255));
    bytes[at++] = byte;
  };
  while (at < to) {
    put(random.Between(0x01, 0xFF));  // opcode, little-endian
    put(random.Between(0x00, 0x03));
    const int parameters = random.Between(0, 4);
    for (int i = 0; i < parameters; ++i) {
      const std::uint8_t type = kTypes[static_cast<std::size_t>(random.Between(0, 3))];
      put(type);
      put(random.Between(0, 255));
      if (type != 0x04) put(random.Between(0, 255));
      if (type == 0x01) {
        put(random.Between(0, 255));
        put(random.Between(0, 255));
      }
    }
  }
}

// A modder's edits: flipped bits, so every edited field differs from the original whatever the
// seed, and no id leaves the range that suits its width.
void ApplyDemoChanges(std::vector<CarBlock>& blocks) {
  auto block = [&](int n) -> CarBlock& { return blocks[static_cast<std::size_t>(n - 1)]; };
  block(1).XPos ^= 0x0100;
  block(1).CarId = block(1).CarId == 100 ? 101 : 100;
  block(2).Heading ^= 0x0200;
  block(2).Alarm ^= 0x01;
  block(2).Lock ^= 0x40;
  block(7).UnknownWord ^= 0x0010;
  block(7).YPos ^= 0x0080;
  block(60).Lock ^= 0x01;
  block(kDemoBlockCount).YPos ^= 0x0001;
}

// Each instruction's handle variable: a global of its own, as a compiler gives it (offsets inside
// the variable space that the script's first instruction jumps over), but for the two blocks of
// kSharedHandleBlocks, which share the first one's. Offsets with a zero byte are passed over, so
// that a handle written between blocks keeps the scan window free of zeros.
std::uint16_t HandleVariable(int blockNumber) {
  if (blockNumber == kSharedHandleBlocks[1]) blockNumber = kSharedHandleBlocks[0];
  std::uint16_t offset = kFirstHandleVariable;
  for (int n = 1; n < blockNumber; ++n) {
    offset = static_cast<std::uint16_t>(offset + 4);
    if ((offset & 0xFF) == 0) offset = static_cast<std::uint16_t>(offset + 4);
  }
  return offset;
}

// Writes the end of block n's instruction (minimum delay, maximum delay 10000, handle variable).
// Back to back, that is the next block's first seven bytes; elsewhere it follows the block's
// follow byte (the minimum delay's type), with a minimum delay of 1 so that no zero enters the
// window. A gap of six bytes leaves the handle's high byte on the next block's first byte, 0x00:
// such a block gets a handle below 256.
void WriteInstructionEnd(std::vector<std::uint8_t>& bytes, const std::vector<CarBlock>& blocks,
                         const std::vector<std::uint8_t>& follow, std::size_t i) {
  const auto end = static_cast<std::size_t>(blocks[i].Address) + EncodedSize(blocks[i]);
  std::uint16_t handle = HandleVariable(static_cast<int>(i) + 1);
  const bool next = i + 1 < blocks.size();
  if (next && static_cast<std::size_t>(blocks[i + 1].Address) == end) {
    bytes[end + 5] = static_cast<std::uint8_t>(handle & 0xFF);
    bytes[end + 6] = static_cast<std::uint8_t>(handle >> 8);
    return;
  }
  std::vector<std::uint8_t> tail;
  if (follow[i] == kMarkerTwoByteId)
    tail = {0x01, 0x01};
  else
    tail = {0x01};
  const std::size_t gap =
      next ? static_cast<std::size_t>(blocks[i + 1].Address) - end : bytes.size() - end;
  if (gap == tail.size() + 5) handle = static_cast<std::uint16_t>(0x10 + 4 * (i % 60));
  tail.insert(tail.end(), {0x05, 0x10, 0x27, 0x02, static_cast<std::uint8_t>(handle & 0xFF),
                           static_cast<std::uint8_t>(handle >> 8)});
  if (gap < tail.size() - 1 || (!next && gap < tail.size())) return;
  std::copy(tail.begin(), tail.end() - (gap == tail.size() - 1 ? 1 : 0),
            bytes.begin() + static_cast<std::ptrdiff_t>(end));
}

std::string_view LineEnd(bool lfOnly) {
  return lfOnly ? "\n" : "\r\n";
}

}  // namespace

std::vector<CarBlock> PlanCarTable(std::uint32_t seed, const ScriptOptions& options) {
  const int blockCount = ClampBlockCount(options.BlockCount);
  Random random(StreamSeed(seed, kTableStream));
  std::vector<CarBlock> blocks;
  blocks.reserve(kDemoBlockCount);
  for (int n = 1; n <= kDemoBlockCount; ++n) blocks.push_back(RandomBlock(random));

  SetOneByte(blocks[0], random.Between(kLowestVehicleId, kHighestOneByteId));
  blocks[0].Alarm = 0;
  blocks[0].Lock = 0;
  SetTwoByte(blocks[1], random.Between(kLowestTwoByteId, kLastDemoVehicle));
  SetOneByte(blocks[2], random.Between(130, kLastDemoVehicle));
  SetOneByte(blocks[3], random.Between(kLowestVehicleId, kHighestOneByteId));
  const ZoneBox first = PlanZones(seed)[0];
  // Well inside the first zone: at least a quarter of its size from each bound.
  blocks[3].XPos = static_cast<std::int16_t>(
      kUnitsPerWorld * random.Between(first.MinX + (first.MaxX - first.MinX) / 4,
                                      first.MaxX - (first.MaxX - first.MinX) / 4));
  blocks[3].YPos = static_cast<std::int16_t>(
      kUnitsPerWorld * random.Between(first.MinY + (first.MaxY - first.MinY) / 4,
                                      first.MaxY - (first.MaxY - first.MinY) / 4));
  SetTwoByte(blocks[4], random.Between(kLowestVehicleId, kHighestOneByteId));
  if (options.Changed) ApplyDemoChanges(blocks);
  // Drawn after the roles, so that the first hundred blocks keep their values in a longer table.
  for (int n = kDemoBlockCount + 1; n <= blockCount; ++n) blocks.push_back(RandomBlock(random));
  blocks.resize(static_cast<std::size_t>(blockCount));

  const bool compact = IsCompact(blockCount);
  if (compact) FitIntoWindow(blocks);
  std::int64_t address = compact ? kScanFirst : options.TableStart;
  for (int n = 1; n <= blockCount; ++n) {
    CarBlock& block = blocks[static_cast<std::size_t>(n - 1)];
    block.Address = address;
    address += static_cast<std::int64_t>(EncodedSize(block)) + (compact ? 0 : GapAfter(n, seed));
  }
  return blocks;
}

std::vector<std::uint8_t> PlanFollowBytes(int blockCount) {
  blockCount = ClampBlockCount(blockCount);
  std::vector<std::uint8_t> follow(static_cast<std::size_t>(blockCount), kMarkerOneByteId);
  if (!IsCompact(blockCount) && kOddFollowBlock < blockCount) {
    follow[kOddFollowBlock - 1] = kOddFollowByte;
  }
  return follow;
}

std::int64_t FullTableLength(std::uint32_t seed, int blockCount) {
  const CarBlock last = PlanCarTable(seed, {.BlockCount = blockCount}).back();
  return std::max(kDemoScriptLength, last.Address + static_cast<std::int64_t>(EncodedSize(last)));
}

std::vector<std::uint8_t> GenerateScript(std::uint32_t seed, const ScriptOptions& options) {
  const std::vector<CarBlock> blocks = PlanCarTable(seed, options);
  const std::vector<std::uint8_t> follow = PlanFollowBytes(options.BlockCount);
  const CarBlock& last = blocks.back();
  const auto tableEnd = static_cast<std::size_t>(last.Address) + EncodedSize(last);
  const auto windowEnd = static_cast<std::size_t>(kScanLast) + 1;
  const auto length = static_cast<std::size_t>(std::max<std::int64_t>(options.Length, 0));

  std::vector<std::uint8_t> bytes(std::max({length, tableEnd, windowEnd}), 0);
  Random random(StreamSeed(seed, kFillerStream));
  const auto windowStart = static_cast<std::size_t>(kScanFirst);
  // The script's start: a jump over a zeroed variable space, then instructions.
  bytes[0] = 0x02;
  bytes[1] = 0x00;
  bytes[2] = 0x01;
  bytes[3] = 0x00;
  bytes[4] = 0x20;  // jump target 0x2000
  FillInstructions(bytes, 0x2000, windowStart, random, false);
  FillInstructions(bytes, windowStart, bytes.size(), random, true);

  for (std::size_t i = 0; i < blocks.size(); ++i) {
    const std::vector<std::uint8_t> encoded = EncodeCarBlock(blocks[i], follow[i]);
    std::copy(encoded.begin(), encoded.end(),
              bytes.begin() + static_cast<std::ptrdiff_t>(blocks[i].Address));
  }
  for (std::size_t i = 0; i < blocks.size(); ++i) WriteInstructionEnd(bytes, blocks, follow, i);
  if (options.BreakStrict && blocks.size() >= static_cast<std::size_t>(kBrokenBlock)) {
    const CarBlock& broken = blocks[kBrokenBlock - 1];
    bytes[static_cast<std::size_t>(broken.Address) +
          static_cast<std::size_t>(BlockField::WidthMarker)] = kBrokenMarker;
  }
  bytes.resize(length);
  return bytes;
}

std::string GenerateDefinitions(std::uint32_t seed, int vehicleCount, bool lfOnly) {
  Random random(StreamSeed(seed, kDefinitionsStream));
  const std::string_view eol = LineEnd(lfOnly);
  std::string text;
  auto line = [&](std::string_view content) {
    text += content;
    text += eol;
  };
  // Blanks and tabs after a comma, as hand-aligned files have them.
  auto pad = [&]() -> std::string_view {
    static constexpr std::array<std::string_view, 4> kPads{"\t", " ", "\t\t", "  "};
    return kPads[static_cast<std::size_t>(random.Between(0, 3))];
  };
  auto field = [&](std::string& out, std::string_view value) {
    out += ',';
    out += pad();
    out += value;
  };

  line("# Vehicle and object definitions of the Tovick Plashgoon demo data.");
  line("# Synthetic: written by tovick-gen from seed " + std::to_string(seed) + ".");
  line("");
  line("objs");
  line("# id, model, txd, meshes, draw distance, flags");
  for (int i = 0; i < 8; ++i) {
    std::string entry = std::to_string(2000 + i);
    field(entry, "bollard" + std::string(1, static_cast<char>('a' + i)));
    field(entry, "generic");
    field(entry, "1");
    field(entry, std::to_string(random.Between(3, 30) * 10));
    field(entry, "0");
    line(entry);
  }
  line("end");
  line("tobj");
  line("# id, model, txd, meshes, draw distance, flags, hour on, hour off");
  for (int i = 0; i < 4; ++i) {
    std::string entry = std::to_string(2100 + i);
    field(entry, "lamppost0" + std::to_string(i + 1));
    field(entry, "generic");
    field(entry, "1");
    field(entry, "150");
    field(entry, "0");
    field(entry, "20");
    field(entry, "6");
    line(entry);
  }
  line("end");
  line("hier");
  for (int i = 0; i < 4; ++i)
    line(std::to_string(160 + i) + ", cutobj0" + std::to_string(i) + ", generic");
  line("end");

  line("cars");
  line("# id, model, txd, type, handling, game name, class, frequency, level, component rules,");
  line("#   and for cars and planes: wheel model id, wheel scale");
  // Invented model names: every prefix with every suffix, in an order the seed decides.
  static constexpr std::array<std::string_view, 12> kPrefixes{"quor", "brel", "vask", "tulm",
                                                              "drev", "orn",  "zeph", "kalv",
                                                              "mird", "pask", "yorv", "glim"};
  static constexpr std::array<std::string_view, 8> kSuffixes{"ane", "ito", "ux",  "era",
                                                             "ond", "ik",  "avo", "ette"};
  std::vector<std::string> names;
  for (std::string_view prefix : kPrefixes) {
    for (std::string_view suffix : kSuffixes)
      names.push_back(std::string(prefix) + std::string(suffix));
  }
  for (std::size_t i = names.size() - 1; i > 0; --i) {
    std::swap(names[i], names[static_cast<std::size_t>(random.Next() % (i + 1))]);
  }
  static constexpr std::array<std::string_view, 6> kClasses{"normal",    "poorfamily", "richfamily",
                                                            "executive", "worker",     "big"};
  for (int i = 0; i < vehicleCount; ++i) {
    const int id = kLowestVehicleId + i;
    std::string name = names[static_cast<std::size_t>(i) % names.size()];
    if (static_cast<std::size_t>(i) >= names.size()) name += std::to_string(i / names.size());
    std::string_view type = "car";
    if (i % 13 == 7) type = "boat";
    if (i == 33) type = "train";
    if (i == 40) type = "heli";
    if (i == 47) type = "plane";
    std::string upper;
    for (char c : name) upper += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);

    std::string entry = std::to_string(id);
    // The name padded on both sides, with blanks or tabs, as aligned columns give.
    field(entry, name + std::string(static_cast<std::size_t>(random.Between(0, 3)), ' '));
    field(entry, name);
    field(entry, type);
    field(entry, upper);
    field(entry, upper.substr(0, 7));
    field(entry, type == "boat" ? "leisureboat"
                                : kClasses[static_cast<std::size_t>(random.Between(0, 5))]);
    field(entry, std::to_string(random.Between(1, 10)));
    field(entry, std::to_string(random.Between(0, 7)));
    field(entry, random.Chance(70) ? "0" : "2012");
    if (type == "car" || type == "plane") field(entry, std::to_string(random.Between(250, 257)));
    if (type == "car") field(entry, "0." + std::to_string(random.Between(60, 90)));
    line(entry);
  }
  line("end");

  line("peds");
  line("# id, model, txd, ped type, behaviour, animation group, cars can drive mask");
  for (int i = 1; i <= 6; ++i) {
    std::string entry = std::to_string(i);
    field(entry, "pedq0" + std::to_string(i));
    field(entry, "pedq0" + std::to_string(i));
    field(entry, i % 2 == 0 ? "CIVFEMALE" : "CIVMALE");
    field(entry, "STAT_STREET_GUY");
    field(entry, i % 2 == 0 ? "woman" : "man");
    field(entry, std::to_string(random.Between(1, 255)));
    line(entry);
  }
  line("end");
  return text;
}

std::string GenerateZones(std::uint32_t seed) {
  std::string text;
  for (const ZoneBox& zone : PlanZones(seed)) {
    text += zone.Name;
    for (int bound : {zone.MinX, zone.MinY, zone.MaxX, zone.MaxY}) {
      text += ", " + std::to_string(bound * kUnitsPerWorld);
    }
    text += "\r\n";
  }
  return text;
}

}  // namespace tovick::demo
