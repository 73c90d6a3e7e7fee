#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <stdexcept>
#include <vector>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

#include <gtest/gtest.h>

#include "generate/assets/assets.h"

namespace vestora::generate {
namespace {

struct Decoded {
  int width = 0, height = 0, channels = 0;
  std::vector<std::uint8_t> pixels;
};

struct DecodeErrors {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

struct DecodeJob {
  jpeg_decompress_struct cinfo;
  DecodeErrors errors;
};

void onDecodeError(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<DecodeErrors*>(cinfo->err)->jump, 1);
}
void quiet(j_common_ptr) {}

// Decodes with libjpeg into `out`; false when libjpeg rejects the data.
bool decodeInto(const std::vector<std::uint8_t>& jpeg, DecodeJob* job, Decoded* out) {
  job->cinfo.err = jpeg_std_error(&job->errors.manager);
  job->errors.manager.error_exit = onDecodeError;
  job->errors.manager.output_message = quiet;
  if (setjmp(job->errors.jump)) {
    jpeg_destroy_decompress(&job->cinfo);
    return false;
  }
  jpeg_create_decompress(&job->cinfo);
  jpeg_mem_src(&job->cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
  jpeg_read_header(&job->cinfo, TRUE);
  jpeg_start_decompress(&job->cinfo);
  out->width = static_cast<int>(job->cinfo.output_width);
  out->height = static_cast<int>(job->cinfo.output_height);
  out->channels = job->cinfo.output_components;
  const std::size_t stride = std::size_t(out->width) * out->channels;
  out->pixels.resize(stride * out->height);
  while (job->cinfo.output_scanline < job->cinfo.output_height) {
    JSAMPLE* row = out->pixels.data() + job->cinfo.output_scanline * stride;
    jpeg_read_scanlines(&job->cinfo, &row, 1);
  }
  jpeg_finish_decompress(&job->cinfo);
  jpeg_destroy_decompress(&job->cinfo);
  return true;
}

Decoded decode(const std::vector<std::uint8_t>& jpeg) {
  DecodeJob job{};
  Decoded out;
  if (!decodeInto(jpeg, &job, &out)) ADD_FAILURE() << "libjpeg cannot read the file";
  return out;
}

double psnr(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  double squares = 0;
  for (std::size_t i = 0; i < a.size(); ++i) squares += double(a[i] - b[i]) * (a[i] - b[i]);
  const double mse = squares / double(a.size());
  return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

// A smooth picture: colour ramps across and down and a soft round spot.
std::vector<std::uint8_t> smoothPicture(int width, int height, int channels) {
  std::vector<std::uint8_t> pixels;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const double dx = x - 0.6 * width, dy = y - 0.4 * height;
      const double spot = 80 / (1 + (dx * dx + dy * dy) / (0.05 * width * height));
      const double ramps[3] = {40 + 150.0 * x / width + spot, 200 - 150.0 * y / height + spot / 2,
                               90 + 60.0 * (x + y) / (width + height)};
      for (int c = 0; c < channels; ++c)
        pixels.push_back(static_cast<std::uint8_t>(std::clamp(ramps[c], 0.0, 255.0)));
    }
  return pixels;
}

TEST(Jpeg, ColourPictureDecodesToTheSameSizeAndCloseValues) {
  for (auto [width, height] : {std::pair{64, 48}, std::pair{17, 9}, std::pair{1, 1}}) {
    SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
    const auto rgb = smoothPicture(width, height, 3);
    const auto jpeg = encodeJpeg(width, height, rgb, 90);
    ASSERT_GE(jpeg.size(), 4u);
    EXPECT_EQ(jpeg[0], 0xFF);
    EXPECT_EQ(jpeg[1], 0xD8) << "starts with SOI";
    EXPECT_EQ(jpeg[jpeg.size() - 2], 0xFF);
    EXPECT_EQ(jpeg.back(), 0xD9) << "ends with EOI";
    const Decoded back = decode(jpeg);
    EXPECT_EQ(back.width, width);
    EXPECT_EQ(back.height, height);
    ASSERT_EQ(back.channels, 3);
    ASSERT_EQ(back.pixels.size(), rgb.size());
    EXPECT_GT(psnr(back.pixels, rgb), 30.0);
  }
}

TEST(Jpeg, GreyPictureDecodesToOneChannel) {
  const auto grey = smoothPicture(40, 30, 1);
  const Decoded back = decode(encodeJpegGrey(40, 30, grey, 90));
  EXPECT_EQ(back.width, 40);
  EXPECT_EQ(back.height, 30);
  ASSERT_EQ(back.channels, 1);
  ASSERT_EQ(back.pixels.size(), grey.size());
  EXPECT_GT(psnr(back.pixels, grey), 30.0);
}

TEST(Jpeg, QualityTradesSizeForFidelity) {
  const auto rgb = smoothPicture(96, 64, 3);
  const auto low = encodeJpeg(96, 64, rgb, 20), high = encodeJpeg(96, 64, rgb, 95);
  EXPECT_LT(low.size(), high.size());
  EXPECT_LT(psnr(decode(low).pixels, rgb), psnr(decode(high).pixels, rgb));
}

TEST(Jpeg, SameInputGivesTheSameBytes) {
  const auto rgb = smoothPicture(50, 40, 3);
  EXPECT_EQ(encodeJpeg(50, 40, rgb, 90), encodeJpeg(50, 40, rgb, 90));
  const auto grey = smoothPicture(50, 40, 1);
  EXPECT_EQ(encodeJpegGrey(50, 40, grey, 75), encodeJpegGrey(50, 40, grey, 75));
}

TEST(Jpeg, RejectsBadArguments) {
  const std::vector<std::uint8_t> rgb(4 * 4 * 3, 128);
  EXPECT_THROW(encodeJpeg(0, 4, {}, 90), std::invalid_argument);
  EXPECT_THROW(encodeJpeg(4, -1, {}, 90), std::invalid_argument);
  EXPECT_THROW(encodeJpeg(65501, 1, std::vector<std::uint8_t>(65501 * 3), 90),
               std::invalid_argument);
  EXPECT_THROW(encodeJpeg(4, 4, std::vector<std::uint8_t>(4 * 4 * 3 - 1), 90),
               std::invalid_argument);
  EXPECT_THROW(encodeJpeg(4, 4, rgb, 0), std::invalid_argument);
  EXPECT_THROW(encodeJpeg(4, 4, rgb, 101), std::invalid_argument);
  EXPECT_THROW(encodeJpegGrey(4, 4, rgb, 90), std::invalid_argument) << "3 bytes a pixel";
  EXPECT_NO_THROW(encodeJpeg(4, 4, rgb, 1));
  EXPECT_NO_THROW(encodeJpeg(4, 4, rgb, 100));
}

}  // namespace
}  // namespace vestora::generate
