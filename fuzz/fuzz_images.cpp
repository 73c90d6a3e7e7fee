// The picture decoders: JPEG, PNG, TGA and BMP from memory. Byte 0 chooses
// the decoder; the rest is the file. A decoded picture has a size within
// the limit and exactly the pixels its size and components call for; a
// failure says why.
#include <cstddef>
#include <cstdint>
#include <span>

#include "fuzz_check.h"
#include "view/image_codecs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vestora;
  if (size < 1) return 0;
  const std::span<const std::uint8_t> file(data + 1, size - 1);
  Result<Image> image = [&] {
    switch (data[0] % 4) {
      case 0:
        return decodeJpeg(file);
      case 1:
        return decodePng(file);
      case 2:
        return decodeTga(file);
      default:
        return decodeBmp(file);
    }
  }();
  if (!image) {
    VESTORA_FUZZ_CHECK(!image.error().what.empty(), "a failed decode must say why");
    return 0;
  }
  const Image& p = image.value();
  VESTORA_FUZZ_CHECK(p.width >= 1 && p.height >= 1, "a decoded picture without pixels");
  VESTORA_FUZZ_CHECK(p.width <= kMaxImageSide && p.height <= kMaxImageSide,
                     "a picture beyond the size limit");
  VESTORA_FUZZ_CHECK(p.components == 1 || p.components == 3 || p.components == 4, "odd components");
  VESTORA_FUZZ_CHECK(p.pixels.size() == static_cast<std::size_t>(p.width) * p.height * p.components,
                     "pixels do not match the size");
  return 0;
}
