#pragma once
// Parked-car records anywhere in a mission script, found by the car table's signature alone: other
// compilers can place them outside the offsets the editor scans, which then shows no block at all.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tovick {

// The addresses of every complete record in bytes (the whole file), in file order. Records never
// overlap: the search goes on after the follow byte of each one it finds. Unlike the editor's scan,
// nothing here is an error and no byte is skipped.
std::vector<std::int64_t> FindParkedCarRecords(std::span<const std::uint8_t> bytes);

// What to tell the user when the scan window holds no block, given the records found anywhere:
// "no block in the editor's scan window 65224-70239, but 3 parked-car records at offsets A-B, so
// this script was compiled differently and cannot be edited here".
std::string EmptyWindowText(std::span<const std::int64_t> records);

}  // namespace tovick
