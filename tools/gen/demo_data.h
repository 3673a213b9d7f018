#pragma once
// Synthetic game files for the demo and the tests: a mission script with a car table, a vehicle
// definitions file and a zone file. Everything follows from the seed; no game file is ever needed.
//
// Fixed roles of the generated car table, which the tests (unit and end-to-end) rely on:
//   block 1: one-byte id (marker 0x04), safe id 90..127, alarm 0 and lock 0;
//   block 2: two-byte id (marker 0x05), safe id 128..150;
//   block 3: one-byte id with an unsafe id 130..150;
//   block 4: one-byte id, safe id, X/Y strictly inside the first zone of the zone file and inside
//            no other zone;
//   block 5: two-byte id with an unsafe id 90..127;
//   every other block: a safe id, either width.
// The table starts at kDemoTableStart, inside the scan window (TableStart moves it, for example
// before the window, where the editor finds nothing). Most blocks stand back to back
// (follow byte 0x04); a few are separated by other instructions, and one ends in a follow byte
// other than 0x04 with enough room after it that the scan's skip misses nothing. The last block's
// follow byte is 0x04. No byte of the scan window outside the blocks is 0x00, so the window holds
// no signature but the real blocks'. Every block's generator instruction is whole: after a block
// that no block follows at once, the rest of the instruction follows it. With BreakStrict, block
// kBrokenBlock carries the width marker 0x06: the scan finds blocks 1 to kBrokenBlock - 1 and then
// reports a malformed table.
//
// Another block count keeps these roles (and, for the first hundred blocks, their values). Up to
// kDemoBlockCount blocks the table is the default one cut short (the last block's follow byte is
// always 0x04). Above that it fills the scan window from its first offset, every block back to
// back, with no more two-byte ids than fit: up to kMaxDemoBlockCount, as many as the window holds.
// Such a table reaches past kDemoScriptLength; FullTableLength gives the length that holds it.

#include <cstdint>
#include <string>
#include <vector>

#include "scm/car_block.h"

namespace tovick::demo {

constexpr std::int64_t kDemoScriptLength = 70204;
constexpr std::int64_t kDemoTableStart = 65300;
constexpr int kDemoBlockCount = 100;
constexpr int kMaxDemoBlockCount = 147;
constexpr int kBrokenBlock = 10;
constexpr std::uint8_t kBrokenMarker = 0x06;
constexpr int kDemoVehicleCount = 61;

// The blocks a changed script (ScriptOptions::Changed) edits, only in fields a plug-in carries:
// block 1 has a one-byte id, block 2 a two-byte one, the others either.
constexpr int kChangedBlocks[] = {1, 2, 7, 60, kDemoBlockCount};

// Each block's instruction stores its handle in a global variable of its own, from this offset on
// (inside the variable space the script's first instruction jumps over, 0x2000 bytes), except these
// two, which share one variable as two instructions of the game's own script do.
constexpr std::uint16_t kFirstHandleVariable = 0x0404;
constexpr int kSharedHandleBlocks[] = {8, 9};

struct ScriptOptions {
  // Bytes in the file; a length that ends inside the table cuts it there.
  std::int64_t Length = kDemoScriptLength;
  bool BreakStrict = false;
  int BlockCount = kDemoBlockCount;  // 1 to kMaxDemoBlockCount
  std::int64_t TableStart = kDemoTableStart;
  // The same script after a modder's known edits to the kChangedBlocks.
  bool Changed = false;
};

// The blocks of the table in file order, with their addresses and values (block n is [n - 1]).
// The broken block of BreakStrict is listed with its intended values; the file holds 0x06 instead.
std::vector<CarBlock> PlanCarTable(std::uint32_t seed, const ScriptOptions& options = {});

// The follow byte written after each planned block, in the same order.
std::vector<std::uint8_t> PlanFollowBytes(int blockCount = kDemoBlockCount);

// The least script length that holds the whole table: kDemoScriptLength or, for a table that
// reaches beyond it, the end of its last block.
std::int64_t FullTableLength(std::uint32_t seed, int blockCount);

// The mission script's bytes.
std::vector<std::uint8_t> GenerateScript(std::uint32_t seed, const ScriptOptions& options = {});

// A definitions file with objs, tobj and hier sections, a cars section of vehicleCount lines
// (ids 90 upward, 10 to 12 blank- and tab-padded fields each) and a peds section; comment lines
// start with "#". Lines end in CR LF, or in LF alone when lfOnly is set.
std::string GenerateDefinitions(std::uint32_t seed, int vehicleCount = kDemoVehicleCount,
                                bool lfOnly = false);

// A few zones, "Name, minX, minY, maxX, maxY" in raw position units, CR LF. The first zone
// overlaps no other; two later zones overlap each other.
std::string GenerateZones(std::uint32_t seed);

}  // namespace tovick::demo
