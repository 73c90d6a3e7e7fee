#include "view/image_codecs.h"

#include <png.h>

#include <cstring>

#include <gtest/gtest.h>

#include "platform/file_io.h"
#include "view_test_support.h"

namespace vestora {
namespace {

using testing::Colour;
using testing::TempDir;

std::vector<std::uint8_t> tgaFile(int width, int height, int bits,
                                  std::array<std::uint8_t, 4> bgra) {
  std::vector<std::uint8_t> bytes = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  bytes.push_back(static_cast<std::uint8_t>(width & 0xFF));
  bytes.push_back(static_cast<std::uint8_t>(width >> 8));
  bytes.push_back(static_cast<std::uint8_t>(height & 0xFF));
  bytes.push_back(static_cast<std::uint8_t>(height >> 8));
  bytes.push_back(static_cast<std::uint8_t>(bits));
  bytes.push_back(0);
  for (int i = 0; i < width * height; ++i)
    for (int c = 0; c < bits / 8; ++c) bytes.push_back(bgra[static_cast<std::size_t>(c)]);
  return bytes;
}

std::vector<std::uint8_t> pngFile(int width, int height, Colour colour) {
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
  for (std::size_t i = 0; i < rgb.size(); i += 3)
    for (int c = 0; c < 3; ++c) rgb[i + c] = static_cast<std::uint8_t>(colour[c]);
  auto bytes = encodePng(rgb.data(), width, height);
  return bytes ? bytes.value() : std::vector<std::uint8_t>{};
}

TEST(Tga, ReadsTrueColourAndSwapsBlueAndRed) {
  auto rgb = decodeTga(tgaFile(3, 2, 24, {10, 20, 30, 0}));
  ASSERT_TRUE(rgb) << rgb.error().message();
  EXPECT_EQ(rgb->width, 3);
  EXPECT_EQ(rgb->height, 2);
  EXPECT_EQ(rgb->components, 3);
  EXPECT_EQ(rgb->pixel(2, 1)[0], 30);
  EXPECT_EQ(rgb->pixel(2, 1)[1], 20);
  EXPECT_EQ(rgb->pixel(2, 1)[2], 10);

  auto rgba = decodeTga(tgaFile(2, 2, 32, {1, 2, 3, 200}));
  ASSERT_TRUE(rgba);
  EXPECT_EQ(rgba->components, 4);
  EXPECT_EQ(rgba->pixel(1, 1)[0], 3);
  EXPECT_EQ(rgba->pixel(1, 1)[3], 200);
}

TEST(Tga, RefusesOtherKindsShortAndLyingFiles) {
  // Run-length encoded (type 10), paletted (type 1) and 16-bit files.
  auto rle = tgaFile(2, 2, 24, {});
  rle[2] = 10;
  EXPECT_FALSE(decodeTga(rle));
  auto paletted = tgaFile(2, 2, 24, {});
  paletted[1] = 1;
  paletted[2] = 1;
  EXPECT_FALSE(decodeTga(paletted));
  EXPECT_FALSE(decodeTga(tgaFile(2, 2, 16, {})));

  // Truncated pixel data, a header alone, and a header that claims the
  // largest picture over a few bytes.
  auto truncated = tgaFile(4, 4, 32, {});
  truncated.resize(truncated.size() - 1);
  EXPECT_FALSE(decodeTga(truncated));
  const auto one = tgaFile(1, 1, 24, {});
  EXPECT_FALSE(decodeTga(std::vector<std::uint8_t>(one.begin(), one.begin() + 10)));
  auto huge = tgaFile(1, 1, 32, {});
  huge[12] = huge[13] = huge[14] = huge[15] = 0xFF;
  EXPECT_FALSE(decodeTga(huge));
  EXPECT_FALSE(decodeTga(tgaFile(0, 3, 24, {})));

  const std::string garbage = "this is not a picture at all, just words";
  EXPECT_FALSE(decodeTga(asBytes(garbage)));
  EXPECT_FALSE(readTga("/nonexistent/file.tga"));
}

// A BI_RGB bitmap of `width` × `height` (negative: top-down rows) whose
// pixel (x, row r of the file) is (r, x, 7) in red, green, blue.
std::vector<std::uint8_t> bmpFile(int width, int height, int bits) {
  const int rows = std::abs(height);
  const int rowBytes = (width * bits / 8 + 3) / 4 * 4;
  std::vector<std::uint8_t> b(54, 0);
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  b[0] = 'B';
  b[1] = 'M';
  put32(2, static_cast<std::uint32_t>(54 + rowBytes * rows));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(width));
  put32(22, static_cast<std::uint32_t>(height));
  b[26] = 1;
  b[28] = static_cast<std::uint8_t>(bits);
  for (int r = 0; r < rows; ++r) {
    for (int x = 0; x < width; ++x) {
      b.insert(b.end(), {7, static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(r)});
      if (bits == 32) b.push_back(200);
    }
    b.resize(b.size() + static_cast<std::size_t>(rowBytes - width * bits / 8), 0xEE);
  }
  return b;
}

TEST(Bmp, RowsComeBottomUpWhateverTheFileOrderAndPaddingIsSkipped) {
  // 3 pixels of 24 bits: 9 bytes, padded to 12 a row.
  auto up = decodeBmp(bmpFile(3, 2, 24));
  ASSERT_TRUE(up) << up.error().message();
  EXPECT_EQ(up->components, 3);
  EXPECT_EQ(up->width, 3);
  EXPECT_EQ(up->height, 2);
  // File row 0 is the bottom of a bottom-up bitmap.
  EXPECT_EQ(up->pixel(2, 0)[0], 0);
  EXPECT_EQ(up->pixel(2, 0)[1], 2);
  EXPECT_EQ(up->pixel(2, 0)[2], 7);
  EXPECT_EQ(up->pixel(1, 1)[0], 1);

  // A top-down bitmap: file row 0 is the top, so it ends up last.
  auto down = decodeBmp(bmpFile(3, -2, 24));
  ASSERT_TRUE(down);
  EXPECT_EQ(down->height, 2);
  EXPECT_EQ(down->pixel(0, 1)[0], 0);
  EXPECT_EQ(down->pixel(0, 0)[0], 1);

  auto alpha = decodeBmp(bmpFile(2, 2, 32));
  ASSERT_TRUE(alpha);
  EXPECT_EQ(alpha->components, 4);
  EXPECT_EQ(alpha->pixel(1, 1)[3], 200);
}

TEST(Bmp, RefusesWhatItCannotReadWithoutReadingPastTheEnd) {
  auto truncated = bmpFile(8, 8, 24);
  truncated.resize(truncated.size() - 5);
  EXPECT_FALSE(decodeBmp(truncated));
  auto compressed = bmpFile(2, 2, 24);
  compressed[30] = 1;  // run-length encoded
  EXPECT_FALSE(decodeBmp(compressed));
  EXPECT_FALSE(decodeBmp(bmpFile(2, 2, 16)));
  auto huge = bmpFile(2, 2, 24);
  huge[21] = 0x7F;  // a width of two thousand million
  EXPECT_FALSE(decodeBmp(huge));
  auto offset = bmpFile(2, 2, 24);
  offset[13] = 0x7F;  // pixels far beyond the file
  EXPECT_FALSE(decodeBmp(offset));
  EXPECT_FALSE(decodeBmp(bmpFile(0, 2, 24)));
  EXPECT_FALSE(decodeBmp(asBytes(std::string("BM and nothing else"))));
  EXPECT_FALSE(readBmp("/nonexistent/file.bmp"));
}

TEST(Jpeg, WriteThenLoadKeepsSizeAndColoursUpright) {
  TempDir dir;
  // Rows bottom to top: the bottom half blue, the top half red.
  const int width = 64, height = 32;
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = &rgb[3 * (static_cast<std::size_t>(y) * width + x)];
      p[0] = y < height / 2 ? 0 : 255;
      p[2] = y < height / 2 ? 255 : 0;
    }
  const std::string path = dir.file("out.jpg");
  ASSERT_TRUE(WriteJpeg(rgb.data(), width, height, 100, path));

  auto image = LoadJpeg(path);
  ASSERT_TRUE(image) << image.error().message();
  EXPECT_EQ(image->width, width);
  EXPECT_EQ(image->height, height);
  EXPECT_EQ(image->components, 3);
  // The file's first row is the top of the picture: red.
  const std::uint8_t* top = image->pixel(10, 4);
  EXPECT_GT(top[0], 200);
  EXPECT_LT(top[2], 50);
  const std::uint8_t* bottom = image->pixel(10, 28);
  EXPECT_LT(bottom[0], 50);
  EXPECT_GT(bottom[2], 200);
}

TEST(Jpeg, WriteFailsWithoutAPlaceOrAValidQuality) {
  TempDir dir;
  std::vector<std::uint8_t> rgb(8 * 8 * 3, 128);
  EXPECT_FALSE(WriteJpeg(rgb.data(), 8, 8, 100, "/nonexistent-folder/out.jpg"));
  EXPECT_FALSE(WriteJpeg(rgb.data(), 8, 8, 100, ""));
  EXPECT_FALSE(WriteJpeg(rgb.data(), 8, 8, 101, dir.file("q.jpg")));
  EXPECT_FALSE(WriteJpeg(rgb.data(), 8, 8, -1, dir.file("q.jpg")));
  EXPECT_FALSE(WriteJpeg(rgb.data(), 0, 8, 90, dir.file("empty.jpg")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("q.jpg")));
  EXPECT_TRUE(WriteJpeg(rgb.data(), 8, 8, 0, dir.file("low.jpg")));
}

TEST(Jpeg, MissingTruncatedAndGarbageFilesFailWithAMessage) {
  TempDir dir;
  const std::string missing = dir.file("none.jpg");
  auto result = LoadJpeg(missing);
  ASSERT_FALSE(result);
  EXPECT_EQ(result.error().what, std::string("Error loading jpg file:") + missing);

  const auto good = testing::flatJpeg(32, 32, {200, 100, 50});
  ASSERT_TRUE(decodeJpeg(good));
  const std::vector<std::uint8_t> truncated(
      good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() / 2));
  EXPECT_FALSE(decodeJpeg(truncated));
  const std::vector<std::uint8_t> header(good.begin(), good.begin() + 20);
  EXPECT_FALSE(decodeJpeg(header));
  EXPECT_FALSE(decodeJpeg({}));
  const std::string garbage(300, 'x');
  EXPECT_FALSE(decodeJpeg(asBytes(garbage)));
  // A JPEG start marker followed by noise.
  std::vector<std::uint8_t> noise = {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x11,
                                     0x08, 0xFF, 0xFF, 0xFF, 0xFF};
  noise.resize(200, 0x5A);
  EXPECT_FALSE(decodeJpeg(noise));
}

TEST(Png, DecodesItsOwnColoursAndRefusesBrokenFiles) {
  const auto good = pngFile(5, 3, {10, 200, 30});
  auto image = decodePng(good);
  ASSERT_TRUE(image) << image.error().message();
  EXPECT_EQ(image->width, 5);
  EXPECT_EQ(image->height, 3);
  EXPECT_EQ(image->components, 3);
  EXPECT_EQ(image->pixel(4, 2)[1], 200);

  const std::vector<std::uint8_t> truncated(good.begin(), good.end() - 20);
  EXPECT_FALSE(decodePng(truncated));
  const std::string garbage(100, '\x7f');
  EXPECT_FALSE(decodePng(asBytes(garbage)));
  EXPECT_FALSE(decodePng({}));
  EXPECT_FALSE(readPng("/nonexistent/file.png"));
}

TEST(Png, EncodesBottomUpRowsUpright) {
  // Two rows, bottom first: black then white.
  const std::uint8_t rgb[] = {0, 0, 0, 0, 0, 0, 255, 255, 255, 255, 255, 255};
  auto bytes = encodePng(rgb, 2, 2);
  ASSERT_TRUE(bytes);
  auto image = decodePng(bytes.value());
  ASSERT_TRUE(image);
  EXPECT_EQ(image->pixel(0, 0)[0], 255);  // top row
  EXPECT_EQ(image->pixel(0, 1)[0], 0);
}

TEST(TextureSize, RoundsEachSideToTheNearestPowerOfTwoAndWantsSquares) {
  EXPECT_EQ(squareTextureSide(300, 300, 4096), 256);
  EXPECT_EQ(squareTextureSide(400, 400, 4096), 512);
  EXPECT_EQ(squareTextureSide(256, 256, 4096), 256);
  // 2^8.5 = 362.04 decides between 256 and 512.
  EXPECT_EQ(squareTextureSide(362, 362, 4096), 256);
  EXPECT_EQ(squareTextureSide(363, 363, 4096), 512);
  EXPECT_EQ(squareTextureSide(300, 400, 4096), std::nullopt);
  EXPECT_EQ(squareTextureSide(256, 512, 4096), std::nullopt);
  // Larger than the maximum in both directions: the maximum.
  EXPECT_EQ(squareTextureSide(5000, 9000, 4096), 4096);
  EXPECT_EQ(squareTextureSide(5000, 1000, 4096), std::nullopt);
  EXPECT_EQ(squareTextureSide(0, 0, 4096), std::nullopt);
}

TEST(TextureSize, ResamplingFlipsRowsAndKeepsFlatColours) {
  // 4 × 2 RGB: top row red, bottom row green.
  Image image;
  image.width = 4;
  image.height = 2;
  image.components = 3;
  image.pixels = {255, 0,   0, 255, 0,   0, 255, 0,   0, 255, 0,   0,  //
                  0,   255, 0, 0,   255, 0, 0,   255, 0, 0,   255, 0};
  const auto rgba = resampleFlippedRgba(image, 8);
  ASSERT_EQ(rgba.size(), 8u * 8 * 4);
  // Row 0 of the texture is the bottom of the picture.
  EXPECT_EQ(rgba[1], 255);
  EXPECT_EQ(rgba[0], 0);
  EXPECT_EQ(rgba[3], 255);
  const std::size_t lastRow = 7u * 8 * 4;
  EXPECT_EQ(rgba[lastRow + 0], 255);
  EXPECT_EQ(rgba[lastRow + 1], 0);

  // Shrinking a flat picture keeps its colour.
  Image flat;
  flat.width = flat.height = 30;
  flat.components = 1;
  flat.pixels.assign(900, 77);
  const auto small = resampleFlippedRgba(flat, 4);
  for (std::size_t i = 0; i < small.size(); i += 4) {
    EXPECT_EQ(small[i], 77);
    EXPECT_EQ(small[i + 3], 255);
  }
}

}  // namespace
}  // namespace vestora
