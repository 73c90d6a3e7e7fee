// OBJ reader with its material library. The input is the OBJ text, then
// optionally a line "#--mtl--" and the text of the material library, which
// is served for any "dir/<name>.mtl"; every other file the reader asks for
// is missing. A model that reads must also go through a binary model file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/model_loader.h"
#include "fuzz_check.h"

namespace {

constexpr std::string_view kSplitLine = "#--mtl--";

// Splits at the first line that is exactly kSplitLine ("\n", "\r\n" or the
// end of the input after it).
void split(std::string_view input, std::string_view& obj, std::string_view& mtl) {
  obj = input;
  mtl = {};
  for (std::size_t at = input.find(kSplitLine); at != std::string_view::npos;
       at = input.find(kSplitLine, at + 1)) {
    if (at != 0 && input[at - 1] != '\n') continue;
    std::size_t after = at + kSplitLine.size();
    if (after < input.size() && input[after] == '\r') ++after;
    if (after < input.size() && input[after] != '\n') continue;
    if (after < input.size()) ++after;
    obj = input.substr(0, at);
    mtl = input.substr(after);
    return;
  }
}

bool isMaterialLibraryPath(std::string_view path) {
  return path.size() >= 4 + 4 && path.substr(0, 4) == "dir/" &&
         path.substr(path.size() - 4) == ".mtl";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vestora;
  std::string_view obj, mtl;
  split(std::string_view(reinterpret_cast<const char*>(data), size), obj, mtl);

  const FileFetcher fetch = [&](const std::string& path) -> Result<std::string> {
    if (isMaterialLibraryPath(path)) return std::string(mtl);
    return makeError(path, "no such file");
  };

  ModelLoader loader;
  std::int32_t tag = 0;
  auto model = loader.readOBJ(obj, "dir/model.obj", fetch, tag);
  if (!model) {
    VESTORA_FUZZ_CHECK(!model.error().what.empty(), "a failed read must say why");
    return 0;
  }
  const GlmModel& m = *model.value();
  VESTORA_FUZZ_CHECK(m.pathname == "dir/model.obj", "the model lost its path");
  VESTORA_FUZZ_CHECK(m.textureMaps.size() <= 2, "more than two texture maps");
  for (const auto& t : m.triangles)
    for (int c = 0; c < 3; ++c)
      VESTORA_FUZZ_CHECK(t.vindices[c] >= 1 && t.vindices[c] <= m.vertexCount() &&
                             t.nindices[c] <= m.normalCount() && t.tindices[c] <= m.texcoordCount(),
                         "a triangle corner outside the model's arrays");
  for (const auto& g : m.groups) {
    VESTORA_FUZZ_CHECK(g.name.size() <= kGlmMaxNameLength, "a group name longer than its field");
    VESTORA_FUZZ_CHECK(g.runs.size() <= kGlmMaxMaterialRuns, "too many material runs");
    VESTORA_FUZZ_CHECK(g.triangleCopies.size() == g.triangles.size(), "group copies out of step");
  }
  for (const auto& list : loader.landmarks)
    VESTORA_FUZZ_CHECK(list.size() <= kLandmarkListCapacity, "too many landmarks");

  auto bytes = loader.encodeC3D(m, tag);
  VESTORA_FUZZ_CHECK(bytes.ok(), bytes.ok() ? "" : bytes.error().message().c_str());
  std::int32_t tagAgain = 0;
  auto again = loader.readC3D(bytes.value(), "<fuzz:written>", tagAgain);
  VESTORA_FUZZ_CHECK(again.ok(), again.ok() ? "" : again.error().message().c_str());
  const GlmModel& b = *again.value();
  VESTORA_FUZZ_CHECK(tagAgain == tag, "the model tag changed");
  VESTORA_FUZZ_CHECK(b.vertexCount() == m.vertexCount() && b.normalCount() == m.normalCount() &&
                         b.texcoordCount() == m.texcoordCount() && b.triangles == m.triangles &&
                         b.materials.size() == m.materials.size() && b.modelName == m.modelName,
                     "the model changed on its way through a binary file");
  return 0;
}
