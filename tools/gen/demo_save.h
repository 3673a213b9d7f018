#pragma once
// A GTA III save as the game would write it after running a script, on any platform, with the
// layout of that platform's saves: the chunks and the blocks in them, block 0's copy of the
// script's global variables (each parked-car instruction's handle variable holding its slot),
// block 13's car generators, the padding (on the PS2 beginning with stale copies of blocks 7 to
// 19), the checksum and, on the Xbox, a signature. For the demo and the tests, so that nothing
// needs a real save.
//
// The slots follow the order in which the instructions ran, not file order: as in the game's own
// script, the first two instructions of the file sit behind a jump and run last, so they hold the
// last two slots. Where two instructions share one variable, it names the slot of the one that ran
// last. Every slot of a model holds the same bounding box. The phones' own script declares more
// variables, so there each of this script's variables sits 16 bytes further in the copy.

#include <cstdint>
#include <span>
#include <vector>

#include "save/save_layout.h"

namespace tovick::demo {

// The save for this script (at most its first 160 instructions make generators).
std::vector<std::uint8_t> GenerateSave(std::uint32_t seed, std::span<const std::uint8_t> script,
                                       SavePlatform platform = SavePlatform::Pc);

}  // namespace tovick::demo
