// The demo data keeps the promises that the tests and the demo build on: the fixed block roles,
// a clean scan window, determinism, and a definitions file the loader accepts.

#include "gen/demo_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <vector>

#include "scm/car_table.h"
#include "scm/record_search.h"
#include "scm/script_file.h"
#include "vehicles/definitions.h"
#include "zones/zones.h"

namespace tovick {
namespace {

using demo::GenerateScript;
using demo::PlanCarTable;

constexpr std::uint32_t kSeeds[] = {1, 2, 77, 4000000000u};

ScanResult Scan(const std::vector<std::uint8_t>& bytes, CarTable& table) {
  std::vector<std::uint8_t> window(kScanWindowSize, 0);
  for (std::size_t i = 0; i < window.size(); ++i) {
    const std::size_t at = static_cast<std::size_t>(kScanFirst) + i;
    if (at < bytes.size()) window[i] = bytes[at];
  }
  return ScanCarTable(window, table);
}

std::size_t BlockSize(const CarBlock& block) {
  return block.HiCar == 1 ? 35 : 34;
}

class DemoScriptTest : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(DemoScriptTest, ScanFindsEveryPlannedBlockAndNothingElse) {
  const std::vector<std::uint8_t> bytes = GenerateScript(GetParam());
  ASSERT_EQ(bytes.size(), 70204u);
  const std::vector<CarBlock> plan = PlanCarTable(GetParam());
  CarTable table;
  const ScanResult scan = Scan(bytes, table);
  EXPECT_FALSE(scan.CarTableError);
  ASSERT_EQ(table.BlockCnt, demo::kDemoBlockCount);
  for (int n = 1; n <= table.BlockCnt; ++n) {
    EXPECT_EQ(table.Address[static_cast<std::size_t>(n)],
              plan[static_cast<std::size_t>(n - 1)].Address)
        << "block " << n;
  }
  EXPECT_EQ(table.Address[1], demo::kDemoTableStart);
  // The last block and its follow byte lie inside the window and the minimum file length.
  EXPECT_LE(plan.back().Address + static_cast<std::int64_t>(BlockSize(plan.back())), 70204);
}

TEST_P(DemoScriptTest, WindowHoldsNoZeroOutsideTheBlocks) {
  const std::vector<std::uint8_t> bytes = GenerateScript(GetParam(), {.Length = 70240});
  std::vector<bool> inBlock(bytes.size(), false);
  for (const CarBlock& block : PlanCarTable(GetParam())) {
    std::fill_n(inBlock.begin() + block.Address, BlockSize(block), true);
  }
  for (std::int64_t at = kScanFirst; at <= kScanLast; ++at) {
    if (!inBlock[static_cast<std::size_t>(at)]) {
      ASSERT_NE(bytes[static_cast<std::size_t>(at)], 0) << "offset " << at;
    }
  }
}

TEST_P(DemoScriptTest, FixedRoles) {
  const std::vector<CarBlock> plan = PlanCarTable(GetParam());
  const ZoneTable zones = ParseZones(demo::GenerateZones(GetParam()));
  ASSERT_GE(zones.size(), 3u);
  const CarBlock& b1 = plan[0];
  EXPECT_EQ(b1.WidthMarker, kMarkerOneByteId);
  EXPECT_TRUE(b1.CarId >= 90 && b1.CarId <= 127) << int{b1.CarId};
  EXPECT_EQ(b1.Alarm, 0);
  EXPECT_EQ(b1.Lock, 0);
  EXPECT_EQ(plan[1].WidthMarker, kMarkerTwoByteId);
  EXPECT_TRUE(plan[1].CarId >= 128 && plan[1].CarId <= 150) << int{plan[1].CarId};
  EXPECT_EQ(plan[2].WidthMarker, kMarkerOneByteId);
  EXPECT_TRUE(plan[2].CarId >= 130 && plan[2].CarId <= 150) << int{plan[2].CarId};
  const CarBlock& b4 = plan[3];
  EXPECT_EQ(b4.WidthMarker, kMarkerOneByteId);
  EXPECT_TRUE(b4.CarId >= 90 && b4.CarId <= 127) << int{b4.CarId};
  EXPECT_EQ(ZoneText(zones, b4.XPos, b4.YPos), zones[0].Name + "\r\n");
  EXPECT_EQ(plan[4].WidthMarker, kMarkerTwoByteId);
  EXPECT_TRUE(plan[4].CarId >= 90 && plan[4].CarId <= 127) << int{plan[4].CarId};

  int oneByte = 0, twoByte = 0, backToBack = 0;
  for (std::size_t i = 5; i < plan.size(); ++i) {
    const CarBlock& block = plan[i];
    if (block.HiCar == 0) {
      ++oneByte;
      EXPECT_TRUE(block.CarId >= 90 && block.CarId <= 127) << "block " << i + 1;
    } else {
      ++twoByte;
      EXPECT_TRUE(block.CarId >= 128 && block.CarId <= 150) << "block " << i + 1;
    }
    EXPECT_EQ(block.WidthMarker, block.HiCar == 1 ? kMarkerTwoByteId : kMarkerOneByteId);
    if (plan[i - 1].Address + static_cast<std::int64_t>(BlockSize(plan[i - 1])) == block.Address) {
      ++backToBack;
    }
  }
  EXPECT_GT(oneByte, 0);
  EXPECT_GT(twoByte, 0);
  EXPECT_GE(backToBack, 90);
  EXPECT_EQ(demo::PlanFollowBytes().back(), 0x04);
}

TEST_P(DemoScriptTest, BlocksReadBackFromTheFile) {
  const std::vector<std::uint8_t> bytes = GenerateScript(GetParam());
  const std::filesystem::path dir = std::filesystem::path(TOVICK_TEST_TMP) / "demo_data";
  std::filesystem::create_directories(dir);
  const std::string path = (dir / ("MAIN" + std::to_string(GetParam()) + ".SCM")).string();
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  ScriptFile file;
  ASSERT_TRUE(file.Open(path));
  for (const CarBlock& planned : PlanCarTable(GetParam())) {
    const auto read = ReadCarBlock(file, planned.Address);
    ASSERT_TRUE(read.has_value()) << planned.Address;
    EXPECT_EQ(read->HiCar, planned.HiCar);
    EXPECT_EQ(read->CarId, planned.CarId);
    EXPECT_EQ(read->XPos, planned.XPos);
    EXPECT_EQ(read->YPos, planned.YPos);
    EXPECT_EQ(read->UnknownWord, planned.UnknownWord);
    EXPECT_EQ(read->Heading, planned.Heading);
    EXPECT_EQ(read->Alarm, planned.Alarm);
    EXPECT_EQ(read->Lock, planned.Lock);
  }
}

TEST_P(DemoScriptTest, BreakStrictStopsTheScanAtBlockTen) {
  const std::vector<std::uint8_t> good = GenerateScript(GetParam());
  const std::vector<std::uint8_t> broken = GenerateScript(GetParam(), {.BreakStrict = true});
  const std::int64_t marker = PlanCarTable(GetParam())[demo::kBrokenBlock - 1].Address + 21;
  ASSERT_EQ(good.size(), broken.size());
  for (std::size_t i = 0; i < good.size(); ++i) {
    if (static_cast<std::int64_t>(i) == marker) {
      EXPECT_EQ(broken[i], 0x06);
    } else {
      ASSERT_EQ(good[i], broken[i]) << "offset " << i;
    }
  }
  CarTable table;
  const ScanResult scan = Scan(broken, table);
  EXPECT_TRUE(scan.CarTableError);
  EXPECT_EQ(scan.ErrorOffset, marker);
  EXPECT_EQ(table.BlockCnt, demo::kBrokenBlock - 1);
}

// The changed script differs from the original only in fields of the kChangedBlocks, and in each of
// those blocks in at least one field.
TEST_P(DemoScriptTest, ChangedScriptEditsOnlyTheChangedBlocks) {
  const std::vector<CarBlock> plan = PlanCarTable(GetParam());
  const std::vector<CarBlock> changed = PlanCarTable(GetParam(), {.Changed = true});
  ASSERT_EQ(plan.size(), changed.size());
  auto fields = [](const CarBlock& b) {
    return std::vector<std::int64_t>{b.Address,     b.WidthMarker, b.CarId, b.XPos, b.YPos,
                                     b.UnknownWord, b.Heading,     b.Alarm, b.Lock};
  };
  for (std::size_t i = 0; i < plan.size(); ++i) {
    const int number = static_cast<int>(i + 1);
    const bool listed = std::find(std::begin(demo::kChangedBlocks), std::end(demo::kChangedBlocks),
                                  number) != std::end(demo::kChangedBlocks);
    EXPECT_EQ(fields(plan[i]) != fields(changed[i]), listed) << "block " << number;
    EXPECT_EQ(plan[i].Address, changed[i].Address);
  }
  EXPECT_EQ(changed[1].HiCar, 1);
  const std::vector<std::uint8_t> bytes = GenerateScript(GetParam(), {.Changed = true});
  CarTable table;
  EXPECT_FALSE(Scan(bytes, table).CarTableError);
  EXPECT_EQ(table.BlockCnt, demo::kDemoBlockCount);
}

INSTANTIATE_TEST_SUITE_P(Seeds, DemoScriptTest, ::testing::ValuesIn(kSeeds));

// Other block counts: the scan finds exactly the planned table, the roles and the values of the
// default table's blocks stay, and a table longer than the default fills the window from its start.
class DemoBlockCountTest : public ::testing::TestWithParam<int> {};

TEST_P(DemoBlockCountTest, ScanFindsExactlyThePlannedTable) {
  const int count = GetParam();
  for (const std::uint32_t seed : kSeeds) {
    const std::int64_t length = demo::FullTableLength(seed, count);
    const std::vector<std::uint8_t> bytes =
        GenerateScript(seed, {.Length = length, .BlockCount = count});
    const std::vector<CarBlock> plan = PlanCarTable(seed, {.BlockCount = count});
    ASSERT_EQ(plan.size(), static_cast<std::size_t>(count));
    CarTable table;
    EXPECT_FALSE(Scan(bytes, table).CarTableError) << seed;
    ASSERT_EQ(table.BlockCnt, count) << seed;
    for (int n = 1; n <= count; ++n) {
      ASSERT_EQ(table.Address[static_cast<std::size_t>(n)],
                plan[static_cast<std::size_t>(n - 1)].Address)
          << "seed " << seed << " block " << n;
    }
    EXPECT_EQ(table.Address[1], count > demo::kDemoBlockCount ? kScanFirst : demo::kDemoTableStart);
    EXPECT_EQ(length, std::max<std::int64_t>(demo::kDemoScriptLength,
                                             plan.back().Address + 34 + plan.back().HiCar));
    EXPECT_EQ(demo::PlanFollowBytes(count).back(), 0x04);

    const std::vector<CarBlock> base = PlanCarTable(seed);
    for (std::size_t i = 0; i < std::min<std::size_t>(plan.size(), base.size()); ++i) {
      // Ids may narrow to one byte in a full window; everything else stays.
      if (i < 5) {
        EXPECT_EQ(plan[i].CarId, base[i].CarId) << i;
      }
      EXPECT_EQ(plan[i].XPos, base[i].XPos) << i;
      EXPECT_EQ(plan[i].Heading, base[i].Heading) << i;
      EXPECT_EQ(plan[i].Lock, base[i].Lock) << i;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Counts, DemoBlockCountTest,
                         ::testing::Values(1, 5, 10, 60, 61, 100, 101, 130,
                                           demo::kMaxDemoBlockCount));

TEST(DemoScript, TableBeforeTheWindowLeavesTheWindowEmpty) {
  const std::vector<std::uint8_t> bytes = GenerateScript(8, {.TableStart = 30000});
  ASSERT_EQ(bytes.size(), 70204u);
  CarTable table;
  EXPECT_FALSE(Scan(bytes, table).CarTableError);
  EXPECT_EQ(table.BlockCnt, 0);
  std::vector<std::int64_t> planned;
  for (const CarBlock& block : PlanCarTable(8, {.TableStart = 30000})) {
    planned.push_back(block.Address);
  }
  EXPECT_EQ(planned.front(), 30000);
  EXPECT_EQ(FindParkedCarRecords(bytes), planned);
}

TEST(DemoScript, SameSeedSameBytesOtherSeedOtherBytes) {
  EXPECT_EQ(GenerateScript(5), GenerateScript(5));
  EXPECT_NE(GenerateScript(5), GenerateScript(6));
  EXPECT_EQ(demo::GenerateDefinitions(5), demo::GenerateDefinitions(5));
  EXPECT_NE(demo::GenerateDefinitions(5), demo::GenerateDefinitions(6));
  EXPECT_EQ(demo::GenerateZones(5), demo::GenerateZones(5));
}

TEST(DemoScript, LengthCutsOrExtendsTheSameContent) {
  const std::vector<std::uint8_t> full = GenerateScript(3, {.Length = 90000});
  ASSERT_EQ(full.size(), 90000u);
  for (const std::int64_t length : {70203, 70204, 66000, 0}) {
    const std::vector<std::uint8_t> cut = GenerateScript(3, {.Length = length});
    ASSERT_EQ(cut.size(), static_cast<std::size_t>(length));
    EXPECT_TRUE(std::equal(cut.begin(), cut.end(), full.begin())) << length;
  }
  CarTable table;
  EXPECT_FALSE(Scan(full, table).CarTableError);
  EXPECT_EQ(table.BlockCnt, demo::kDemoBlockCount);
}

TEST(DemoDefinitions, LoaderAcceptsExactlyTheVehicleLines) {
  for (const std::uint32_t seed : kSeeds) {
    const std::string text = demo::GenerateDefinitions(seed);
    VehicleTable table;
    const DefinitionsRead read = ReadDefinitions(text, table);
    EXPECT_EQ(read.AcceptedLines, 61) << seed;
    EXPECT_EQ(table.HighestVehicleId, 150);
    ASSERT_EQ(read.SearchItems.size(), 61u);
    for (int id = 90; id <= 150; ++id) {
      EXPECT_FALSE(table.VehicleNames[static_cast<std::size_t>(id)].empty()) << id;
      // The search item of id is the same name, and names are upper case without padding.
      EXPECT_EQ(read.SearchItems[static_cast<std::size_t>(id - 90)],
                table.VehicleNames[static_cast<std::size_t>(id)]);
    }
    std::vector<std::string> names = read.SearchItems;
    std::sort(names.begin(), names.end());
    EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end()) << "duplicate name";
  }
}

TEST(DemoDefinitions, LineEndsAndOtherSections) {
  const std::string text = demo::GenerateDefinitions(9);
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
    ASSERT_TRUE(at > 0 && text[at - 1] == '\r') << "bare LF at " << at;
  }
  for (const char* needle :
       {"\r\n#", "\r\nobjs\r\n", "\r\ncars\r\n", "\r\nend\r\n", "\r\npeds\r\n", "\t"}) {
    EXPECT_NE(text.find(needle), std::string::npos) << needle;
  }
}

TEST(DemoDefinitions, VehicleCountAndLfOnly) {
  VehicleTable table;
  const DefinitionsRead seventy = ReadDefinitions(demo::GenerateDefinitions(4, 70), table);
  EXPECT_EQ(seventy.AcceptedLines, 70);
  EXPECT_EQ(table.HighestVehicleId, 159);

  const DefinitionsRead sixty = ReadDefinitions(demo::GenerateDefinitions(4, 60), table);
  EXPECT_EQ(MissingCarsText(sixty.AcceptedLines),
            " 1 car(s) missing. Please use the original DEFAULT.IDE");

  // Read as one long line, an LF-only file defines at most one vehicle and is refused.
  const std::string lf = demo::GenerateDefinitions(4, 61, true);
  EXPECT_EQ(lf.find('\r'), std::string::npos);
  const DefinitionsRead lfRead = ReadDefinitions(lf, table);
  EXPECT_LE(lfRead.AcceptedLines, 1);
}

TEST(DemoZones, CrLfLinesWithOrderedBounds) {
  const std::string text = demo::GenerateZones(11);
  const ZoneTable zones = ParseZones(text);
  ASSERT_GE(zones.size(), 3u);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), static_cast<long>(zones.size()));
  EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), static_cast<long>(zones.size()));
  for (const Zone& zone : zones) {
    EXPECT_FALSE(zone.Name.empty());
    EXPECT_LT(zone.MinX, zone.MaxX) << zone.Name;
    EXPECT_LT(zone.MinY, zone.MaxY) << zone.Name;
  }
  // Some car positions fall into two zones at once: the second and third zones overlap.
  const Zone& a = zones[1];
  const Zone& b = zones[2];
  EXPECT_TRUE(a.MinX < b.MaxX && b.MinX < a.MaxX && a.MinY < b.MaxY && b.MinY < a.MaxY);
}

}  // namespace
}  // namespace tovick
