// Accessory and scene models as the program takes them, whatever their
// file: read (byte 0 chooses .c3d or .obj), then normalised into the unit
// cube as the hair, glasses, watch and necklace are, and placed as a hair
// style of the name and on the body that byte 1 chooses. A model read with finite coordinates and a
// box of some size stays finite through all of it.
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "avatar/accessories.h"
#include "formats/model_loader.h"
#include "formats/model_ops.h"
#include "fuzz_check.h"

namespace {

bool finite(const vestora::GlmModel& m) {
  for (float v : m.vertices)
    if (!std::isfinite(v)) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vestora;
  if (size < 2) return 0;
  static const char* const kNames[] = {"PonyTail", "GirlHair",  "MikiHair", "LongHair",
                                       "ManFace",  "MessyHair", "ReiHair",  "NoSuchHair"};
  const char* name = kNames[data[1] % 8];
  const Bytes file(data + 2, size - 2);
  ModelLoader loader;
  std::int32_t tag = 0;
  Result<std::unique_ptr<GlmModel>> model = [&]() -> Result<std::unique_ptr<GlmModel>> {
    if (data[0] % 2 == 0) return loader.readC3D(file, "<fuzz>", tag);
    const FileFetcher none = [](const std::string& path) -> Result<std::string> {
      return makeError(path, "no such file");
    };
    return loader.readOBJ(std::string_view(reinterpret_cast<const char*>(file.data()), file.size()),
                          "m.obj", none, tag);
  }();
  if (!model) {
    VESTORA_FUZZ_CHECK(!model.error().what.empty(), "a failed read must say why");
    return 0;
  }
  GlmModel& m = *model.value();
  if (m.vertexCount() == 0 || !finite(m)) return 0;
  std::array<float, 3> dimensions{}, maximum{}, minimum{};
  glmDimensions(m, dimensions, maximum, minimum);
  const bool sized = maximum[0] > minimum[0] || maximum[1] > minimum[1] || maximum[2] > minimum[2];
  const std::array<float, 3> centre = normaliseAccessory(m);
  m.modelName = name;
  placeHairStyle(m, data[1] & 8 ? "Girl" : "woman", {1.0f, 0.28f, -0.34f});
  glmFacetNormals(m);
  if (sized && maximum[0] - minimum[0] < 1e30f && maximum[1] - minimum[1] < 1e30f &&
      maximum[2] - minimum[2] < 1e30f) {
    VESTORA_FUZZ_CHECK(finite(m), "normalising made a coordinate infinite or NaN");
    for (float c : centre) VESTORA_FUZZ_CHECK(std::isfinite(c), "the pivot is not finite");
  }
  return 0;
}
