// Shape tables (.plt). Whatever the reader accepts must be written again,
// read back the same and written to the same bytes; the nearest-record
// search must pick the first record of least distance below 1000.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "formats/shape_files.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vestora;
  auto table = parseShapeTable(Bytes(data, size), "<fuzz>");
  if (!table) {
    VESTORA_FUZZ_CHECK(!table.error().what.empty(), "a failed read must say why");
    return 0;
  }
  const auto& records = table.value();
  VESTORA_FUZZ_CHECK(records.empty() || 4 + (records.size() - 1) * kShapeRecordSize + 54 <= size,
                     "more records than the bytes hold");
  for (const auto& r : records) {
    VESTORA_FUZZ_CHECK(r.fileName.size() <= kShapeNameMax, "name longer than its field");
    VESTORA_FUZZ_CHECK(r.fileName.find('\0') == std::string::npos, "name holds its terminator");
  }

  auto first = encodeShapeTable(records);
  VESTORA_FUZZ_CHECK(first.ok(), first.ok() ? "" : first.error().message().c_str());
  auto again = parseShapeTable(first.value(), "<fuzz:written>");
  VESTORA_FUZZ_CHECK(again.ok(), again.ok() ? "" : again.error().message().c_str());
  VESTORA_FUZZ_CHECK(again->size() == records.size(), "record count changed");
  for (std::size_t i = 0; i < records.size(); ++i) {
    VESTORA_FUZZ_CHECK(std::memcmp(&records[i].key, &again.value()[i].key, 4) == 0,
                       "a key changed");
    VESTORA_FUZZ_CHECK(records[i].fileName == again.value()[i].fileName, "a name changed");
  }
  auto second = encodeShapeTable(again.value());
  VESTORA_FUZZ_CHECK(second.ok() && second.value() == first.value(),
                     "writing a re-read table gave other bytes");

  // The wanted value: the last four bytes of the input.
  float wanted = 155.0f;
  if (size >= 8) std::memcpy(&wanted, data + size - 4, 4);
  const ShapeTableRecord* nearest = nearestShapeRecord(records, wanted);
  const std::size_t at = nearest ? static_cast<std::size_t>(nearest - records.data()) : 0;
  VESTORA_FUZZ_CHECK(!nearest || at < records.size(), "nearest record outside the table");
  const float best = nearest ? std::fabs(nearest->key - wanted) : 1000.0f;
  VESTORA_FUZZ_CHECK(best <= 1000.0f, "nearest record 1000 or more away");
  for (std::size_t i = 0; i < records.size(); ++i) {
    const float d = std::fabs(records[i].key - wanted);
    if (nearest && i < at)
      VESTORA_FUZZ_CHECK(!(d <= best), "an earlier record was as near");
    else if (!nearest || i > at)
      VESTORA_FUZZ_CHECK(!(d < best), "a record was nearer");
  }
  return 0;
}
