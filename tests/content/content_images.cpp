#include "content/content_images.h"

#include <png.h>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>

#include <gtest/gtest.h>

#include "platform/file_io.h"

namespace vestora::testing {
namespace {

struct JpegErrors {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

void onJpegError(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->jump, 1);
}

struct JpegJob {
  jpeg_decompress_struct cinfo;
  JpegErrors errors;
};

bool decompress(JpegJob* job, const std::vector<std::uint8_t>& bytes, bool ownColours,
                Image* image) {
  job->cinfo.err = jpeg_std_error(&job->errors.manager);
  job->errors.manager.error_exit = onJpegError;
  if (setjmp(job->errors.jump)) {
    jpeg_destroy_decompress(&job->cinfo);
    return false;
  }
  jpeg_create_decompress(&job->cinfo);
  jpeg_mem_src(&job->cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&job->cinfo, TRUE);
  if (!ownColours) job->cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&job->cinfo);
  image->width = static_cast<int>(job->cinfo.output_width);
  image->height = static_cast<int>(job->cinfo.output_height);
  image->channels = job->cinfo.output_components;
  image->pixels.resize(static_cast<std::size_t>(image->width) * image->height * image->channels);
  while (job->cinfo.output_scanline < job->cinfo.output_height) {
    JSAMPROW row = &image->pixels[static_cast<std::size_t>(job->cinfo.output_scanline) *
                                  image->width * image->channels];
    jpeg_read_scanlines(&job->cinfo, &row, 1);
  }
  jpeg_finish_decompress(&job->cinfo);
  jpeg_destroy_decompress(&job->cinfo);
  return true;
}

}  // namespace

std::vector<std::uint8_t> readBytes(const std::string& path) {
  auto bytes = readFileBytes(path);
  EXPECT_TRUE(bytes.ok()) << (bytes.ok() ? "" : bytes.error().message());
  return bytes.ok() ? bytes.value() : std::vector<std::uint8_t>{};
}

// A PNG with its header's own channel count: 3 for 8-bit RGB, 4 for 8-bit
// RGBA; anything else is a fault.
Image decodePng(const std::vector<std::uint8_t>& bytes) {
  Image image;
  if (bytes.size() < 33 || png_sig_cmp(bytes.data(), 0, 8) != 0) {
    image.fault = "not a PNG file";
    return image;
  }
  const int depth = bytes[24], type = bytes[25];
  if (depth != 8 || (type != PNG_COLOR_TYPE_RGB && type != PNG_COLOR_TYPE_RGB_ALPHA)) {
    image.fault = "bit depth " + std::to_string(depth) + ", colour type " + std::to_string(type);
    return image;
  }
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size())) {
    image.fault = png.message;
    return image;
  }
  image.channels = type == PNG_COLOR_TYPE_RGB ? 3 : 4;
  png.format = image.channels == 3 ? PNG_FORMAT_RGB : PNG_FORMAT_RGBA;
  image.width = static_cast<int>(png.width);
  image.height = static_cast<int>(png.height);
  image.pixels.resize(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr)) {
    image.fault = png.message;
    png_image_free(&png);
  }
  return image;
}

Image decodeJpeg(const std::vector<std::uint8_t>& bytes, bool ownColours) {
  Image image;
  JpegJob job{};
  if (bytes.empty() || !decompress(&job, bytes, ownColours, &image))
    image = Image{0, 0, 0, {}, "bad JPEG"};
  return image;
}

}  // namespace vestora::testing
