#pragma once
// Where the plug-in plans read the mission script: the open script file, or its bytes in memory.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace tovick {

class ScriptFile;

// Fills out[0..count) from file offset pos; bytes past the end of the script read as 0.
using ScriptReader = std::function<void(std::int64_t pos, std::uint8_t* out, std::size_t count)>;

// The reader keeps a reference: file (or bytes) must outlive it.
ScriptReader ReaderOf(const ScriptFile& file);
ScriptReader ReaderOf(std::span<const std::uint8_t> bytes);

}  // namespace tovick
