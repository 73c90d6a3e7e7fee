// Decoding and encoding of the picture files the view reads and writes:
// JPEG (libjpeg), PNG (libpng), uncompressed true-colour TGA and BMP, and the
// square power-of-two rule and the resampling that resource pictures go
// through before they become textures. No GL here.
//
// Every decoder reads from memory as well as from a file, bounds every size
// by the bytes present and by kMaxImageSide, and fails with a message on a
// broken file; none of them shows anything to the user.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/result.h"

namespace vestora {

// Pictures wider or taller than this are refused.
inline constexpr int kMaxImageSide = 16384;

// A decoded picture: `components` bytes per pixel (1 grey, 3 RGB, 4 RGBA),
// rows tightly packed. JPEG and PNG rows run top to bottom; TGA rows are
// kept in file order (bottom to top for an ordinary TGA file).
struct Image {
  int components = 0;
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;

  const std::uint8_t* pixel(int x, int y) const {
    return &pixels[(static_cast<std::size_t>(y) * width + x) * components];
  }
};

inline constexpr const char* kJpegLoadError = "Error loading jpg file:";

Result<Image> decodeJpeg(std::span<const std::uint8_t> bytes,
                         const std::string& source = "<memory>");
// The JPEG file at `path`. A file that cannot be opened fails with the
// message "Error loading jpg file:" followed immediately by the path.
Result<Image> LoadJpeg(const std::string& path);

// JPEG bytes of an RGB picture whose rows run bottom to top (as glReadPixels
// gives them), so that the file shows it upright. Quality 0 … 100.
Result<std::vector<std::uint8_t>> encodeJpeg(const std::uint8_t* rgbBottomUp, int width, int height,
                                             int quality);
// The same into a file, written whole or not at all (an earlier file of that
// name stays when writing fails); false for a quality outside 0 … 100, an
// empty path, a picture without pixels, or a file that cannot be written.
bool WriteJpeg(const std::uint8_t* rgbBottomUp, int width, int height, int quality,
               const std::string& path);

// PNG with its own colours, as 8-bit RGB, or RGBA when the picture has
// transparency (grey, palettes and 16-bit channels are expanded).
Result<Image> decodePng(std::span<const std::uint8_t> bytes,
                        const std::string& source = "<memory>");
Result<Image> readPng(const std::string& path);

// PNG bytes (8-bit RGB) of a picture whose rows run bottom to top.
Result<std::vector<std::uint8_t>> encodePng(const std::uint8_t* rgbBottomUp, int width, int height);

// Uncompressed true-colour TGA only: the first 12 bytes are 0, 0, 2 and nine
// zeros, then width and height (16-bit little-endian), then 24 or 32 bits
// per pixel. Blue and red are swapped into RGB / RGBA.
Result<Image> decodeTga(std::span<const std::uint8_t> bytes,
                        const std::string& source = "<memory>");
Result<Image> readTga(const std::string& path);

// Uncompressed Windows bitmaps (BI_RGB) of 24 or 32 bits per pixel, with
// rows bottom-up or top-down in the file. The result is RGB (or RGBA for 32
// bits) with rows from the bottom of the picture to the top, the order a
// texture's rows take.
Result<Image> decodeBmp(std::span<const std::uint8_t> bytes,
                        const std::string& source = "<memory>");
Result<Image> readBmp(const std::string& path);

// One side of a resource texture: the nearest power of two,
// 2^⌊log2(size) + 0.5⌋, when size ≤ maxSize, else maxSize.
int roundTextureSide(int size, int maxSize);
// The side of the square texture a width × height picture becomes, or
// nothing when the two rounded sides differ.
std::optional<int> squareTextureSide(int width, int height, int maxSize);

// RGBA of `side` × `side` pixels scaled from `image` (any component count;
// alpha 255 where the picture has none) with rows flipped: row 0 of the
// result is the picture's bottom row. Shrinking averages, enlarging
// interpolates linearly.
std::vector<std::uint8_t> resampleFlippedRgba(const Image& image, int side);

}  // namespace vestora
