// PNG output through libpng, into memory.
#include <png.h>

#include <csetjmp>
#include <string>

#include "render/render.h"

namespace vestora::render {
namespace {

struct PngSink {
  std::vector<std::uint8_t>* bytes;
  std::string error;
};

void appendBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* sink = static_cast<PngSink*>(png_get_io_ptr(png));
  sink->bytes->insert(sink->bytes->end(), data, data + length);
}

void flushNothing(png_structp) {}

void onError(png_structp png, png_const_charp message) {
  auto* sink = static_cast<PngSink*>(png_get_error_ptr(png));
  sink->error = message ? message : "unknown libpng error";
  png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

}  // namespace

Result<std::vector<std::uint8_t>> encodePng(const Image& image) {
  if (image.width <= 0 || image.height <= 0 ||
      image.rgb.size() != 3 * static_cast<std::size_t>(image.width) * image.height)
    return makeError("<memory>", "encodePng: the picture's size does not match its pixels");

  // Everything with a destructor is made before setjmp: libpng reports
  // errors by jumping back to it.
  std::vector<std::uint8_t> bytes;
  PngSink sink{&bytes, {}};
  std::vector<png_bytep> rows(static_cast<std::size_t>(image.height));
  for (int y = 0; y < image.height; ++y)
    rows[y] = const_cast<png_bytep>(&image.rgb[3 * static_cast<std::size_t>(y) * image.width]);

  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, onError, onWarning);
  if (!png) return makeError("<memory>", "png_create_write_struct failed");
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return makeError("<memory>", "png_create_info_struct failed");
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return makeError("<memory>", "libpng: " + sink.error);
  }
  png_set_write_fn(png, &sink, appendBytes, flushNothing);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
               static_cast<png_uint_32>(image.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_rows(png, info, rows.data());
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  png_destroy_write_struct(&png, &info);
  return bytes;
}

}  // namespace vestora::render
