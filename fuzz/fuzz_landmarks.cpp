// Landmark files (.dar).
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "formats/skeleton_files.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vestora;
  const LandmarkFile file =
      parseLandmarks(std::string_view(reinterpret_cast<const char*>(data), size));

  VESTORA_FUZZ_CHECK(file.pointsRead >= 0, "negative point count");
  int present = 0;
  for (bool p : file.present) present += p;
  const int expected = file.pointsRead < kLandmarkSlots ? file.pointsRead : kLandmarkSlots;
  VESTORA_FUZZ_CHECK(present == expected, "filled slots do not match the points read");

  std::array<std::array<float, 3>, kLandmarkSlots> slots{};
  applyLandmarks(file, slots);
  return 0;
}
