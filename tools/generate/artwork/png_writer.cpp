#include "artwork/png_writer.h"

#include <png.h>

#include <csetjmp>
#include <stdexcept>
#include <string>

namespace vestora::generate::art {

namespace {

// libpng reports a fatal error through a handler that must not return; it
// jumps back into compress(), whose frame holds nothing to destroy.
struct PngJob {
  std::vector<std::uint8_t>* out;
  std::string message;
};

void onError(png_structp png, png_const_charp message) {
  auto* job = static_cast<PngJob*>(png_get_error_ptr(png));
  job->message = message;
  png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

void onWrite(png_structp png, png_bytep data, png_size_t size) {
  auto* job = static_cast<PngJob*>(png_get_io_ptr(png));
  job->out->insert(job->out->end(), data, data + size);
}

void onFlush(png_structp) {}

bool compress(PngJob* job, const std::uint8_t* pixels, int width, int height, int channels) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, job, onError, onWarning);
  if (!png) return job->message = "out of memory", false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return job->message = "out of memory", false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, job, onWrite, onFlush);
  png_set_compression_level(png, 6);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  const std::size_t stride = static_cast<std::size_t>(width) * static_cast<std::size_t>(channels);
  for (int y = 0; y < height; ++y) {
    // libpng only reads the rows, whatever its signature says.
    png_write_row(png, const_cast<png_bytep>(pixels + static_cast<std::size_t>(y) * stride));
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

std::vector<std::uint8_t> encodePng(int width, int height, int channels,
                                    const std::vector<std::uint8_t>& pixels) {
  if (width < 1 || width > 65535 || height < 1 || height > 65535)
    throw std::invalid_argument("encodePng: size " + std::to_string(width) + "x" +
                                std::to_string(height) + " is outside 1 to 65535");
  if (channels != 3 && channels != 4)
    throw std::invalid_argument("encodePng: " + std::to_string(channels) + " channels");
  const std::size_t expected =
      static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * channels;
  if (pixels.size() != expected)
    throw std::invalid_argument("encodePng: " + std::to_string(pixels.size()) +
                                " bytes of pixels for " + std::to_string(expected));
  std::vector<std::uint8_t> out;
  PngJob job{&out, {}};
  if (!compress(&job, pixels.data(), width, height, channels))
    throw std::runtime_error("encodePng: " + job.message);
  return out;
}

}  // namespace vestora::generate::art
