#pragma once
// A mission script "compiled elsewhere" for the tests and the benchmark of --anywhere: 460,528
// bytes with 149 parked-car generator instructions (opcode 0x014B), none of them in the editor's
// scan window, in eight runs of instructions that stand back to back, with other instructions
// between the runs. Everything follows from the seed.
//
// Fixed roles, in file order (the tests rely on them):
//   1: the first of its run, behind another kind of instruction; 8-bit model, alarm 0, lock 0;
//   2: 16-bit model;
//   3: the 8-bit model byte 0x8C (the game reads -116; the editor calls the id unsafe);
//   4: colours 1 and 2 as 16-bit integers (3 and 62);
//   5: a local handle variable (type 0x03, index 12);
//   6: the alarm as a 16-bit integer (50): a plug-in cannot write it, so apply refuses its record;
//   7: the maximum delay as a 32-bit integer (40000), and 8 right behind it.
// The model is 16-bit in 49 of them (every third from the second to the 146th) and 8-bit in the
// other 100.
// The other instructions have random colours (-1), no forced spawn, a minimum delay 0, a maximum
// delay 10000 and distinct global handle variables. The filler between the runs holds bytes 4B 01
// that decode to no instruction (one pair right before the first instruction of run 3), and the
// file ends in an instruction cut off by its end.

#include <cstdint>
#include <vector>

namespace tovick::demo {

constexpr std::int64_t kForeignScriptLength = 460528;
constexpr int kForeignInstructionCount = 149;

std::vector<std::uint8_t> GenerateForeignScript(std::uint32_t seed);

}  // namespace tovick::demo
