#pragma once
// Builders for the files the operations read, in a fresh directory per test under TOVICK_TEST_TMP:
//
//   std::string dir = FreshTestDir();
//   WriteFile(dir + "/MAIN.SCM", ScriptBytes(70204, Spaced({Car(120), Car(140, true)})));
//   WriteFile(dir + "/DEFAULT.IDE", DefinitionsText(61));  // ids 90..150, named VEHICLE090...
//
// and a one-line description of the recorded message boxes, so a test states text, caption, icon
// and owner at once: EXPECT_EQ(Boxes(ui), Lines({Box("INVALID HICAR ID")})).

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "scm/car_block.h"
#include "support/fake_ui.h"

namespace tovick::testing {

// An empty directory named after the running test (recreated on every run).
inline std::string FreshTestDir() {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::filesystem::path dir = std::filesystem::path(TOVICK_TEST_TMP) /
                                    (std::string(info->test_suite_name()) + "." + info->name());
  // A file left read-only by an earlier run would stop the removal on Windows.
  std::error_code ignored;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir, ignored)) {
    std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
  }
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir.string();
}

// A believable block with a one-byte vehicle id (marker 0x04), or a two-byte one (0x05).
inline CarBlock Car(std::uint8_t carId, bool twoByteId = false) {
  CarBlock block;
  block.WidthMarker = twoByteId ? kMarkerTwoByteId : kMarkerOneByteId;
  block.CarId = carId;
  block.XPos = 1600;
  block.YPos = -3200;
  block.UnknownWord = 0xF9C0;
  block.Heading = 1440;
  block.Alarm = 20;
  block.Lock = 50;
  return block;
}

struct PlacedBlock {
  std::int64_t Address = 0;
  CarBlock Block;
};

// The blocks from offset 65300 on, 40 bytes apart, each with the follow byte 0x04.
inline std::vector<PlacedBlock> Spaced(const std::vector<CarBlock>& cars) {
  std::vector<PlacedBlock> placed;
  for (std::size_t i = 0; i < cars.size(); ++i) {
    placed.push_back({65300 + 40 * static_cast<std::int64_t>(i), cars[i]});
  }
  return placed;
}

// length zero bytes with each block encoded at its address (cut at the end of the file).
inline std::string ScriptBytes(std::size_t length, const std::vector<PlacedBlock>& blocks) {
  std::string bytes(length, '\0');
  for (const PlacedBlock& placed : blocks) {
    const std::vector<std::uint8_t> encoded = EncodeCarBlock(placed.Block);
    for (std::size_t i = 0; i < encoded.size(); ++i) {
      const std::size_t at = static_cast<std::size_t>(placed.Address) + i;
      if (at < length) bytes[at] = static_cast<char>(encoded[i]);
    }
  }
  return bytes;
}

// Writes the bytes as they are and returns the path.
inline std::string WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  return path;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// "VEHICLE090" for 90: the upper-cased name DefinitionsText gives the id.
inline std::string VehicleName(int id) {
  const std::string digits = std::to_string(id);
  return "VEHICLE" + std::string(3 - digits.size(), '0') + digits;
}

// count ten-field vehicle lines, ids firstId upwards, lower-case names, CR LF, in a "cars" section.
inline std::string DefinitionsText(int count, int firstId = 90) {
  std::string text = "# vehicles\r\ncars\r\n";
  for (int id = firstId; id < firstId + count; ++id) {
    const std::string digits = VehicleName(id).substr(7);
    text += std::to_string(id) + ",\tvehicle" + digits + ",\tveh" + digits +
            ", car, VEH, VEH, normal, 10, 7, 0\r\n";
  }
  return text + "end\r\n";
}

inline std::string Box(const std::string& text, MessageIcon icon = MessageIcon::None,
                       bool owned = true, const std::string& caption = " ") {
  return text + " |caption=" + caption + "|icon=" + std::to_string(static_cast<int>(icon)) +
         (owned ? "|owned" : "|no owner");
}

inline std::vector<std::string> Boxes(const FakeUi& ui) {
  std::vector<std::string> boxes;
  for (const MessageBoxRequest& m : ui.Messages) {
    boxes.push_back(Box(m.Text, m.Icon, m.OwnedByMainWindow, m.Caption));
  }
  return boxes;
}

using Lines = std::vector<std::string>;

}  // namespace tovick::testing
