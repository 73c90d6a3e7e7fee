// The pose offsets (.dif) and other vertex-triple texts. Byte 0 gives the
// most vertices to read (0 to 63); the rest is the text. What is read is
// whole triples, as many as the text holds up to the limit, and written
// out and read again it gives the same numbers.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "formats/shape_files.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vestora;
  if (size < 1) return 0;
  const std::size_t maxVertices = data[0] % 64;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  const VertexTriples t = parseVertexTriples(text, maxVertices);
  VESTORA_FUZZ_CHECK(t.values.size() == 3 * t.count, "values are not whole triples");
  VESTORA_FUZZ_CHECK(t.count <= maxVertices, "more triples than asked for");
  VESTORA_FUZZ_CHECK(!(t.stoppedEarly && t.extraIgnored), "both stopped early and read in full");
  VESTORA_FUZZ_CHECK(t.count == maxVertices || t.stoppedEarly, "stopped short without saying so");
  bool finite = true;
  for (float v : t.values) finite = finite && std::isfinite(v);
  if (finite) {
    const VertexTriples again = parseVertexTriples(formatVertexTriples(t.values), t.count);
    VESTORA_FUZZ_CHECK(again.count == t.count, "written triples read back to another count");
    for (std::size_t i = 0; i < t.values.size(); ++i)
      VESTORA_FUZZ_CHECK(
          std::abs(again.values[i] - t.values[i]) <= 1e-6f * (1 + std::abs(t.values[i])),
          "a written number reads back otherwise");
  }
  return 0;
}
