// Idle animations (.a) and vertex sets. Byte 0 gives the vertex count
// (0 to 7), byte 1 the most frames to read (0 to 4); the rest is the file.
// An accepted file read in full must be written to the very same bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "formats/shape_files.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vestora;
  if (size < 2) return 0;
  const std::size_t vertexCount = data[0] % 8;
  const std::size_t maxFrames = data[1] % 5;
  const Bytes file(data + 2, size - 2);
  const std::size_t frameFloats = (vertexCount + 1) * 3;

  auto animation = parseAnimation(file, vertexCount, maxFrames, "<fuzz>");
  if (!animation) {
    VESTORA_FUZZ_CHECK(!animation.error().what.empty(), "a failed read must say why");
  } else {
    const AnimationFile& a = animation.value();
    VESTORA_FUZZ_CHECK(a.declaredCount >= 1, "accepted a frame count below 1");
    const std::size_t stored = static_cast<std::size_t>(a.declaredCount) - 1;
    VESTORA_FUZZ_CHECK(a.frames.size() == std::min(stored, maxFrames), "wrong frames read");
    VESTORA_FUZZ_CHECK(a.frames.size() + a.framesNotRead == stored, "frames lost count");
    VESTORA_FUZZ_CHECK(4 + stored * frameFloats * 4 + a.trailingBytes == file.size(),
                       "frames and trailing bytes do not add up to the file");
    for (const auto& frame : a.frames)
      VESTORA_FUZZ_CHECK(frame.size() == frameFloats, "a frame of the wrong size");
    if (a.framesNotRead == 0) {
      auto written = encodeAnimation(a.declaredCount, a.frames);
      VESTORA_FUZZ_CHECK(written.ok(), written.ok() ? "" : written.error().message().c_str());
      VESTORA_FUZZ_CHECK(std::equal(written->begin(), written->end(), file.begin(),
                                    file.begin() + (file.size() - a.trailingBytes)),
                         "writing the frames gave other bytes");
    }
  }

  auto set = parseVertexSet(file, vertexCount, "<fuzz>");
  VESTORA_FUZZ_CHECK(set.ok() || !set.error().what.empty(), "a failed read must say why");
  if (set) {
    VESTORA_FUZZ_CHECK(set->size() == frameFloats, "vertex set of the wrong size");
    const std::vector<std::uint8_t> written = encodeVertexSet(set.value());
    VESTORA_FUZZ_CHECK(std::equal(written.begin(), written.end(), file.begin(), file.end()),
                       "writing the vertex set gave other bytes");
  }
  return 0;
}
