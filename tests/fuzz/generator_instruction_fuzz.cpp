// The generator instruction reader over any bytes: every instruction the search reports lies
// inside the input, in file order and apart from the others, decodes again at its offset to
// itself, and holds every value where its type byte says, at that type's width.
#include <span>

#include "fuzz_harness.h"
#include "scm/generator_instruction.h"

using namespace tovick;

TOVICK_FUZZ_TARGET(input) {
  const std::string text = input.Rest();
  const std::span bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
  const auto size = static_cast<std::int64_t>(bytes.size());
  std::int64_t end = 0;
  for (const GeneratorInstruction& found : FindGeneratorInstructions(bytes)) {
    FUZZ_CHECK(found.opcodeOffset >= end);
    FUZZ_CHECK(found.endOffset <= size);
    const std::optional<GeneratorInstruction> again = DecodeGeneratorAt(bytes, found.opcodeOffset);
    FUZZ_CHECK(again.has_value());
    FUZZ_CHECK(again->endOffset == found.endOffset);
    std::int64_t next = found.opcodeOffset + 2;
    for (std::size_t i = 0; i < found.params.size(); ++i) {
      const GeneratorValue& value = found.params[i];
      FUZZ_CHECK(value.type == again->params[i].type && value.value == again->params[i].value);
      FUZZ_CHECK(value.offset == next + 1);
      FUZZ_CHECK(bytes[static_cast<std::size_t>(next)] == value.type);
      FUZZ_CHECK(value.width == GeneratorValueWidth(value.type) && value.width > 0);
      next = value.offset + value.width;
    }
    FUZZ_CHECK(next == found.endOffset);
    end = found.endOffset;
  }
}
