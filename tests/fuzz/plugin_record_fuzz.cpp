// The plug-in line reader: a record line the editor writes reads back as the block it came from,
// and any line is a record only with exactly ten fields.
#include <algorithm>

#include "fuzz_harness.h"
#include "plugin/plugin_format.h"

using namespace tovick;

TOVICK_FUZZ_TARGET(input) {
  CarBlock block;
  const auto number = input.Value<std::uint16_t>();
  block.Address = input.Value<std::uint32_t>();
  block.WidthMarker = input.Byte();
  block.CarId = input.Byte();
  block.XPos = input.Value<std::int16_t>();
  block.YPos = input.Value<std::int16_t>();
  block.UnknownWord = input.Value<std::uint16_t>();
  block.Heading = input.Value<std::int16_t>();
  block.Alarm = input.Byte();
  block.Lock = input.Byte();
  std::string line = RenderPlugInRecord(number, block);
  FUZZ_CHECK(line.ends_with("\r\n"));
  line.resize(line.size() - 2);
  PlugInRecord record;
  FUZZ_CHECK(ClassifyPlugInLine(line, record) == PlugInLineKind::Record);
  const double expected[] = {
      double(number),      double(block.Address), double(block.WidthMarker), double(block.CarId),
      double(block.XPos),  double(block.YPos),    double(block.UnknownWord), double(block.Heading),
      double(block.Alarm), double(block.Lock)};
  FUZZ_CHECK(std::equal(record.Field.begin(), record.Field.end(), std::begin(expected)));

  const std::string any = input.Rest();
  const PlugInLineKind kind = ClassifyPlugInLine(any, record);
  FUZZ_CHECK((kind == PlugInLineKind::Skip) == (any.empty() || any.front() == '#'));
  FUZZ_CHECK(kind == PlugInLineKind::Skip ||
             (kind == PlugInLineKind::Record) == (std::count(any.begin(), any.end(), ',') == 9));
}
