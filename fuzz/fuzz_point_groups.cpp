// Point-group sources (reduced OBJ: "g", "v" and single-index "f").
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "formats/point_groups.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vestora;
  auto groups =
      parsePointGroups(std::string_view(reinterpret_cast<const char*>(data), size), "<fuzz>");
  if (!groups) {
    VESTORA_FUZZ_CHECK(groups.error().line >= 1, "an error without its line");
    return 0;
  }
  std::set<std::string> names;
  for (const auto& g : groups.value()) {
    VESTORA_FUZZ_CHECK(g.name.size() <= 127, "group name longer than its field");
    VESTORA_FUZZ_CHECK(names.insert(g.name).second, "two groups of one name");
    for (int v : g.vertices) VESTORA_FUZZ_CHECK(v >= 1, "a face number below 1");
  }
  return 0;
}
