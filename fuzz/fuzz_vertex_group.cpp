// Vertex groups (.grp) and, on the same text, the per-vertex triples reader.
// An accepted group must be written and read back unchanged; triples must be
// counted consistently and survive being written and read again.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "formats/shape_files.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vestora;
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  auto group = parseVertexGroup(text, "<fuzz>");
  if (!group) {
    VESTORA_FUZZ_CHECK(group.error().line >= 1, "an error without its line");
  } else {
    for (int index : group->indices) VESTORA_FUZZ_CHECK(index >= 0, "a negative vertex number");
    VESTORA_FUZZ_CHECK(group->countMatches() || !group->warnings.empty(),
                       "a count that does not match without a warning");
    auto again =
        parseVertexGroup(formatVertexGroup(group->indices, text.substr(0, 600)), "<fuzz:written>");
    VESTORA_FUZZ_CHECK(again.ok(), again.ok() ? "" : again.error().message().c_str());
    VESTORA_FUZZ_CHECK(again->indices == group->indices, "vertex numbers changed");
    VESTORA_FUZZ_CHECK(again->countMatches() && again->warnings.empty(),
                       "a written group does not read back cleanly");
  }

  constexpr std::size_t kMax = 64;
  const VertexTriples triples = parseVertexTriples(text, kMax);
  VESTORA_FUZZ_CHECK(triples.count <= kMax && triples.values.size() == 3 * triples.count,
                     "triple count and values disagree");
  VESTORA_FUZZ_CHECK(!(triples.stoppedEarly && triples.extraIgnored), "stopped early with extra");
  VESTORA_FUZZ_CHECK(triples.stoppedEarly == (triples.count < kMax), "stoppedEarly is wrong");
  const VertexTriples back = parseVertexTriples(formatVertexTriples(triples.values), kMax);
  VESTORA_FUZZ_CHECK(back.count == triples.count && !back.extraIgnored,
                     "written triples do not read back");
  return 0;
}
