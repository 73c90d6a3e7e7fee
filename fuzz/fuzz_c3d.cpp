// Binary model reader. Whatever it accepts must survive being written and
// read again, and writing the re-read model must give the same bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/model_loader.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vestora;
  ModelLoader loader;
  std::int32_t tag = 0;
  auto model = loader.readC3D(Bytes(data, size), "<fuzz>", tag);
  if (!model) {
    VESTORA_FUZZ_CHECK(!model.error().what.empty(), "a failed read must say why");
    return 0;
  }

  auto first = loader.encodeC3D(*model.value(), tag);
  VESTORA_FUZZ_CHECK(first.ok(), first.ok() ? "" : first.error().message().c_str());

  std::int32_t tagAgain = 0;
  auto again = loader.readC3D(first.value(), "<fuzz:written>", tagAgain);
  VESTORA_FUZZ_CHECK(again.ok(), again.ok() ? "" : again.error().message().c_str());
  VESTORA_FUZZ_CHECK(tagAgain == tag, "the model tag changed");
  VESTORA_FUZZ_CHECK(loader.warnings.empty(), "a written file has bytes after the model");

  const GlmModel& a = *model.value();
  const GlmModel& b = *again.value();
  VESTORA_FUZZ_CHECK(a.vertexCount() == b.vertexCount() && a.normalCount() == b.normalCount() &&
                         a.texcoordCount() == b.texcoordCount() &&
                         a.facetNormalCount() == b.facetNormalCount() &&
                         a.triangles == b.triangles && a.materials.size() == b.materials.size() &&
                         a.modelName == b.modelName && a.mtllibname == b.mtllibname,
                     "the model changed on its way through a file");

  auto second = loader.encodeC3D(b, tagAgain);
  VESTORA_FUZZ_CHECK(second.ok(), second.ok() ? "" : second.error().message().c_str());
  VESTORA_FUZZ_CHECK(second.value() == first.value(), "writing a re-read model gave other bytes");
  return 0;
}
