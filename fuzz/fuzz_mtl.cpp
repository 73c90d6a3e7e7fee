// Material library statements applied to a fresh model.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formats/model_loader.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vestora;
  GlmModel model;
  std::vector<std::string> warnings;
  parseMTL(model, std::string_view(reinterpret_cast<const char*>(data), size), warnings);

  VESTORA_FUZZ_CHECK(!model.materials.empty(), "no material 0");
  VESTORA_FUZZ_CHECK(model.materials[0].name == "default", "material 0 is not \"default\"");
  VESTORA_FUZZ_CHECK(model.textureMaps.size() <= 2, "more than two texture maps");
  VESTORA_FUZZ_CHECK(model.modelName.size() <= kGlmMaxNameLength,
                     "model name longer than its field");
  for (const auto& m : model.materials)
    VESTORA_FUZZ_CHECK(m.name.size() <= kGlmMaxNameLength, "material name longer than its field");
  for (const auto& w : warnings) VESTORA_FUZZ_CHECK(!w.empty(), "an empty warning");
  return 0;
}
