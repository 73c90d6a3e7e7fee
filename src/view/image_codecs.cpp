#include "view/image_codecs.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <limits>

// jpeglib.h needs FILE and size_t declared before it.
#include <jerror.h>
#include <jpeglib.h>

#include "platform/file_io.h"

namespace vestora {
namespace {

// Pictures with more pixels than this are refused before anything is allocated.
constexpr std::uint64_t kMaxPixels = 64ull << 20;

constexpr std::uint64_t kMaxPictureFileBytes = 256ull << 20;

bool sizeAllowed(std::uint64_t width, std::uint64_t height) {
  return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
         width * height <= kMaxPixels;
}

std::string sizeText(std::uint64_t width, std::uint64_t height) {
  return std::to_string(width) + " x " + std::to_string(height);
}

// ---- JPEG -------------------------------------------------------------------

// libjpeg's own error handler ends the process; this one jumps back to the
// call that started the work, and nothing is ever printed.
struct JpegErrors {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
  bool truncated;
};

[[noreturn]] void jpegFail(j_common_ptr info) {
  auto* errors = reinterpret_cast<JpegErrors*>(info->err);
  (*info->err->format_message)(info, errors->message);
  std::longjmp(errors->jump, 1);
}

void jpegMessage(j_common_ptr info, int level) {
  // Warnings have level −1; a file that ends early is a broken file here.
  if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF)
    reinterpret_cast<JpegErrors*>(info->err)->truncated = true;
}

void jpegSilence(j_common_ptr) {}

void installJpegErrors(JpegErrors& errors) {
  jpeg_std_error(&errors.manager);
  errors.manager.error_exit = jpegFail;
  errors.manager.emit_message = jpegMessage;
  errors.manager.output_message = jpegSilence;
  errors.message[0] = '\0';
  errors.truncated = false;
}

// What the decoding below fills; it lives in the caller's frame so that
// nothing with a destructor is skipped by the error jump.
struct JpegDecoding {
  jpeg_decompress_struct info;
  JpegErrors errors;
  Image* image;
  const char* failure;  // a message of ours, when not libjpeg's
};

bool runJpegDecoding(JpegDecoding& d, const std::uint8_t* data, std::size_t size) {
  d.info.err = &d.errors.manager;
  installJpegErrors(d.errors);
  if (setjmp(d.errors.jump)) {
    jpeg_destroy_decompress(&d.info);
    return false;
  }
  jpeg_create_decompress(&d.info);
  jpeg_mem_src(&d.info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&d.info, TRUE);
  if (!sizeAllowed(d.info.image_width, d.info.image_height)) {
    d.failure = "picture size out of range";
    jpeg_destroy_decompress(&d.info);
    return false;
  }
  d.info.out_color_space = d.info.jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_start_decompress(&d.info);
  Image& image = *d.image;
  image.width = static_cast<int>(d.info.output_width);
  image.height = static_cast<int>(d.info.output_height);
  image.components = d.info.output_components;
  const std::size_t stride = static_cast<std::size_t>(image.width) * image.components;
  image.pixels.resize(stride * image.height);
  while (d.info.output_scanline < d.info.output_height) {
    JSAMPROW row = image.pixels.data() + stride * d.info.output_scanline;
    jpeg_read_scanlines(&d.info, &row, 1);
  }
  jpeg_finish_decompress(&d.info);
  jpeg_destroy_decompress(&d.info);
  if (d.errors.truncated) {
    d.failure = "the file ends before the picture does";
    return false;
  }
  return true;
}

struct JpegEncoding {
  jpeg_compress_struct info;
  JpegErrors errors;
  unsigned char* buffer;
  unsigned long size;
};

bool runJpegEncoding(JpegEncoding& e, const std::uint8_t* rgbBottomUp, int width, int height,
                     int quality) {
  e.info.err = &e.errors.manager;
  installJpegErrors(e.errors);
  if (setjmp(e.errors.jump)) {
    jpeg_destroy_compress(&e.info);
    return false;
  }
  jpeg_create_compress(&e.info);
  jpeg_mem_dest(&e.info, &e.buffer, &e.size);
  e.info.image_width = static_cast<JDIMENSION>(width);
  e.info.image_height = static_cast<JDIMENSION>(height);
  e.info.input_components = 3;
  e.info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&e.info);
  jpeg_set_quality(&e.info, quality, TRUE);
  jpeg_start_compress(&e.info, TRUE);
  const std::size_t stride = static_cast<std::size_t>(width) * 3;
  while (e.info.next_scanline < e.info.image_height) {
    // The last row of the buffer is the top of the picture.
    const std::size_t row = static_cast<std::size_t>(height) - 1 - e.info.next_scanline;
    JSAMPROW line = const_cast<JSAMPROW>(rgbBottomUp + row * stride);
    jpeg_write_scanlines(&e.info, &line, 1);
  }
  jpeg_finish_compress(&e.info);
  jpeg_destroy_compress(&e.info);
  return true;
}

// ---- resampling ------------------------------------------------------------

struct Tap {
  int index;
  float weight;
};

// The source samples and weights of each destination sample along one axis:
// a triangle filter as wide as one destination sample, at least one source
// sample (linear interpolation when enlarging, averaging when shrinking).
std::vector<std::vector<Tap>> filterTaps(int sourceSize, int targetSize) {
  std::vector<std::vector<Tap>> taps(static_cast<std::size_t>(targetSize));
  const double scale = static_cast<double>(sourceSize) / targetSize;
  const double support = std::max(1.0, scale);
  for (int i = 0; i < targetSize; ++i) {
    const double centre = (i + 0.5) * scale - 0.5;
    const int first = static_cast<int>(std::ceil(centre - support));
    const int last = static_cast<int>(std::floor(centre + support));
    double total = 0;
    std::vector<Tap>& list = taps[static_cast<std::size_t>(i)];
    for (int j = first; j <= last; ++j) {
      const double w = 1.0 - std::abs(j - centre) / support;
      if (w <= 0) continue;
      list.push_back({std::clamp(j, 0, sourceSize - 1), static_cast<float>(w)});
      total += w;
    }
    if (list.empty()) {
      list.push_back({std::clamp(static_cast<int>(std::lround(centre)), 0, sourceSize - 1), 1.0f});
      total = 1;
    }
    for (Tap& t : list) t.weight = static_cast<float>(t.weight / total);
  }
  return taps;
}

std::array<float, 4> rgbaOf(const Image& image, int x, int y) {
  const std::uint8_t* p = image.pixel(x, y);
  switch (image.components) {
    case 1:
      return {float(p[0]), float(p[0]), float(p[0]), 255.0f};
    case 2:
      return {float(p[0]), float(p[0]), float(p[0]), float(p[1])};
    case 3:
      return {float(p[0]), float(p[1]), float(p[2]), 255.0f};
    default:
      return {float(p[0]), float(p[1]), float(p[2]), float(p[3])};
  }
}

}  // namespace

Result<Image> decodeJpeg(std::span<const std::uint8_t> bytes, const std::string& source) {
  if (bytes.empty()) return makeError(source, "not a JPEG file (it is empty)");
  Image image;
  JpegDecoding d{};
  d.image = &image;
  if (!runJpegDecoding(d, bytes.data(), bytes.size()))
    return makeError(source, std::string("not a readable JPEG file: ") +
                                 (d.failure ? d.failure : d.errors.message));
  return image;
}

Result<Image> LoadJpeg(const std::string& path) {
  auto bytes = readFileBytes(path, kMaxPictureFileBytes);
  if (!bytes) return makeError(path, std::string(kJpegLoadError) + path);
  return decodeJpeg(bytes.value(), path);
}

Result<std::vector<std::uint8_t>> encodeJpeg(const std::uint8_t* rgbBottomUp, int width, int height,
                                             int quality) {
  if (quality < 0 || quality > 100)
    return makeError("<memory>", "JPEG quality " + std::to_string(quality) + " is not 0 to 100");
  if (!rgbBottomUp || !sizeAllowed(width > 0 ? width : 0, height > 0 ? height : 0))
    return makeError("<memory>", "no picture to encode (" + std::to_string(width) + " x " +
                                     std::to_string(height) + ")");
  JpegEncoding e{};
  const bool ok = runJpegEncoding(e, rgbBottomUp, width, height, quality);
  std::vector<std::uint8_t> out;
  if (ok && e.buffer) out.assign(e.buffer, e.buffer + e.size);
  std::free(e.buffer);
  if (!ok) return makeError("<memory>", std::string("JPEG encoding failed: ") + e.errors.message);
  return out;
}

bool WriteJpeg(const std::uint8_t* rgbBottomUp, int width, int height, int quality,
               const std::string& path) {
  if (path.empty()) return false;
  auto bytes = encodeJpeg(rgbBottomUp, width, height, quality);
  if (!bytes) return false;
  // Through a temporary file renamed over the path: a full disk or a
  // crash leaves an earlier picture of that name whole.
  return writeFileAtomically(path, bytes.value()).ok();
}

Result<Image> decodePng(std::span<const std::uint8_t> bytes, const std::string& source) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size()))
    return makeError(source, std::string("not a readable PNG file: ") + png.message);
  if (!sizeAllowed(png.width, png.height)) {
    png_image_free(&png);
    return makeError(source,
                     "PNG picture size " + sizeText(png.width, png.height) + " is out of range");
  }
  const bool alpha = (png.format & PNG_FORMAT_FLAG_ALPHA) != 0;
  png.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  Image image;
  image.width = static_cast<int>(png.width);
  image.height = static_cast<int>(png.height);
  image.components = alpha ? 4 : 3;
  image.pixels.resize(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr)) {
    const std::string message = png.message;
    png_image_free(&png);
    return makeError(source, "not a readable PNG file: " + message);
  }
  return image;
}

Result<std::vector<std::uint8_t>> encodePng(const std::uint8_t* rgbBottomUp, int width,
                                            int height) {
  if (!rgbBottomUp || !sizeAllowed(width > 0 ? width : 0, height > 0 ? height : 0))
    return makeError("<memory>", "no picture to encode");
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(width);
  png.height = static_cast<png_uint_32>(height);
  png.format = PNG_FORMAT_RGB;
  // The last row of the buffer is the top of the picture: a negative stride.
  const auto stride = -static_cast<png_int_32>(width * 3);
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&png, nullptr, &size, 0, rgbBottomUp, stride, nullptr))
    return makeError("<memory>", std::string("PNG encoding failed: ") + png.message);
  std::vector<std::uint8_t> out(size);
  if (!png_image_write_to_memory(&png, out.data(), &size, 0, rgbBottomUp, stride, nullptr))
    return makeError("<memory>", std::string("PNG encoding failed: ") + png.message);
  out.resize(size);
  return out;
}

Result<Image> readPng(const std::string& path) {
  auto bytes = readFileBytes(path, kMaxPictureFileBytes);
  if (!bytes) return bytes.error();
  return decodePng(bytes.value(), path);
}

Result<Image> decodeTga(std::span<const std::uint8_t> bytes, const std::string& source) {
  constexpr std::size_t kHeader = 18;
  static constexpr std::uint8_t kTrueColour[12] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  if (bytes.size() < kHeader) return makeError(source, "not a TGA file (too short)");
  if (std::memcmp(bytes.data(), kTrueColour, sizeof kTrueColour) != 0)
    return makeError(source, "not an uncompressed true-colour TGA file");
  const int width = bytes[12] | (bytes[13] << 8);
  const int height = bytes[14] | (bytes[15] << 8);
  const int bits = bytes[16];
  if (bits != 24 && bits != 32)
    return makeError(source,
                     "TGA with " + std::to_string(bits) + " bits per pixel (24 or 32 only)");
  if (width == 0 || height == 0) return makeError(source, "TGA picture without pixels");
  const std::size_t components = static_cast<std::size_t>(bits / 8);
  const std::size_t size = static_cast<std::size_t>(width) * height * components;
  if (bytes.size() - kHeader < size)
    return makeError(source,
                     "the TGA file ends before its " + sizeText(width, height) + " pixels do");
  Image image;
  image.width = width;
  image.height = height;
  image.components = static_cast<int>(components);
  image.pixels.assign(bytes.begin() + kHeader,
                      bytes.begin() + static_cast<std::ptrdiff_t>(kHeader + size));
  for (std::size_t i = 0; i < size; i += components)
    std::swap(image.pixels[i], image.pixels[i + 2]);
  return image;
}

Result<Image> readTga(const std::string& path) {
  auto bytes = readFileBytes(path, kMaxPictureFileBytes);
  if (!bytes) return bytes.error();
  return decodeTga(bytes.value(), path);
}

Result<Image> decodeBmp(std::span<const std::uint8_t> bytes, const std::string& source) {
  constexpr std::size_t kFileHeader = 14, kInfoHeader = 40;
  if (bytes.size() < kFileHeader + kInfoHeader || bytes[0] != 'B' || bytes[1] != 'M')
    return makeError(source, "not a BMP file");
  auto u32 = [&](std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16)) |
           (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
  };
  auto u16 = [&](std::size_t at) {
    return static_cast<unsigned>(bytes[at] | (bytes[at + 1] << 8));
  };
  const std::uint32_t pixelOffset = u32(10);
  const std::uint32_t infoSize = u32(14);
  const auto width = static_cast<std::int32_t>(u32(18));
  const auto rawHeight = static_cast<std::int32_t>(u32(22));
  const unsigned bits = u16(28);
  const std::uint32_t compression = u32(30);
  if (infoSize < kInfoHeader) return makeError(source, "BMP with an old-style header");
  if (compression != 0) return makeError(source, "compressed BMP (uncompressed only)");
  if (bits != 24 && bits != 32)
    return makeError(source,
                     "BMP with " + std::to_string(bits) + " bits per pixel (24 or 32 only)");
  const bool topDown = rawHeight < 0;
  const std::int64_t height = topDown ? -static_cast<std::int64_t>(rawHeight) : rawHeight;
  if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide)
    return makeError(source, "BMP picture size " +
                                 sizeText(static_cast<std::uint64_t>(std::max(width, 0)),
                                          static_cast<std::uint64_t>(height)) +
                                 " is out of range");
  const std::size_t components = bits / 8;
  const std::size_t rowBytes = (static_cast<std::size_t>(width) * components + 3) / 4 * 4;
  const auto rows = static_cast<std::size_t>(height);
  if (pixelOffset > bytes.size() || (bytes.size() - pixelOffset) / rowBytes < rows)
    return makeError(source, "the BMP file ends before its " +
                                 sizeText(static_cast<std::uint64_t>(width), rows) + " pixels do");
  Image image;
  image.width = width;
  image.height = static_cast<int>(height);
  image.components = static_cast<int>(components);
  const std::size_t outRow = static_cast<std::size_t>(width) * components;
  image.pixels.resize(outRow * rows);
  for (std::size_t y = 0; y < rows; ++y) {
    // Output row 0 is the bottom of the picture.
    const std::size_t fileRow = topDown ? rows - 1 - y : y;
    const std::uint8_t* in = bytes.data() + pixelOffset + fileRow * rowBytes;
    std::uint8_t* out = &image.pixels[y * outRow];
    for (std::size_t x = 0; x < static_cast<std::size_t>(width); ++x) {
      const std::uint8_t* p = in + x * components;
      std::uint8_t* q = out + x * components;
      q[0] = p[2];
      q[1] = p[1];
      q[2] = p[0];
      if (components == 4) q[3] = p[3];
    }
  }
  return image;
}

Result<Image> readBmp(const std::string& path) {
  auto bytes = readFileBytes(path, kMaxPictureFileBytes);
  if (!bytes) return bytes.error();
  return decodeBmp(bytes.value(), path);
}

int roundTextureSide(int size, int maxSize) {
  if (size > maxSize) return maxSize;
  if (size <= 1) return 1;
  const double exponent = std::floor(std::log2(static_cast<double>(size)) + 0.5);
  return 1 << static_cast<int>(exponent);
}

std::optional<int> squareTextureSide(int width, int height, int maxSize) {
  if (width <= 0 || height <= 0 || maxSize <= 0) return std::nullopt;
  const int w = roundTextureSide(width, maxSize);
  const int h = roundTextureSide(height, maxSize);
  if (w != h) return std::nullopt;
  return w;
}

std::vector<std::uint8_t> resampleFlippedRgba(const Image& image, int side) {
  std::vector<std::uint8_t> out;
  if (side <= 0 || image.width <= 0 || image.height <= 0 || image.components < 1 ||
      image.components > 4)
    return out;
  const auto across = filterTaps(image.width, side);
  const auto down = filterTaps(image.height, side);
  // Rows of the picture scaled across, then each output row from those.
  std::vector<std::array<float, 4>> rows(static_cast<std::size_t>(image.height) * side);
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < side; ++x) {
      std::array<float, 4> sum{0, 0, 0, 0};
      for (const Tap& t : across[static_cast<std::size_t>(x)]) {
        const auto p = rgbaOf(image, t.index, y);
        for (int c = 0; c < 4; ++c) sum[c] += t.weight * p[c];
      }
      rows[static_cast<std::size_t>(y) * side + x] = sum;
    }
  out.resize(static_cast<std::size_t>(side) * side * 4);
  for (int y = 0; y < side; ++y) {
    // Row 0 of the texture is the bottom of the picture.
    std::uint8_t* target = &out[static_cast<std::size_t>(side - 1 - y) * side * 4];
    for (int x = 0; x < side; ++x) {
      std::array<float, 4> sum{0, 0, 0, 0};
      for (const Tap& t : down[static_cast<std::size_t>(y)]) {
        const auto& p = rows[static_cast<std::size_t>(t.index) * side + x];
        for (int c = 0; c < 4; ++c) sum[c] += t.weight * p[c];
      }
      for (int c = 0; c < 4; ++c)
        target[4 * x + c] = static_cast<std::uint8_t>(std::clamp(std::lround(sum[c]), 0L, 255L));
    }
  }
  return out;
}

}  // namespace vestora
