// Skin-weight files (.wgt). The first two input bytes (little-endian) choose
// the body's vertex count, at most 4096; the rest is the file.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "formats/skeleton_files.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vestora;
  if (size < 2) return 0;
  const std::size_t vertexCount = (std::size_t(data[0]) | std::size_t(data[1]) << 8) % 4097;
  const SkinWeightFile file = parseSkinWeights(
      std::string_view(reinterpret_cast<const char*>(data) + 2, size - 2), vertexCount);

  VESTORA_FUZZ_CHECK(file.weights[0].empty(), "the root joint got weights");
  for (int joint = 1; joint <= kSkinnedJoints; ++joint)
    VESTORA_FUZZ_CHECK(file.weights[joint].size() == vertexCount,
                       "a joint's weights do not fit the body");
  VESTORA_FUZZ_CHECK(file.jointsRead >= 0 && file.jointsRead <= kSkinnedJoints,
                     "joint count out of range");
  VESTORA_FUZZ_CHECK(file.linesIgnored >= 0, "negative ignored-line count");
  return 0;
}
