#include "view/textures.h"

#include <gtest/gtest.h>

#include "view/gl_headers.h"
#include "view_test_support.h"

namespace vestora {
namespace {

using testing::flatJpeg;
using testing::TempDir;
using testing::writeBytes;

class TexturesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto context = OffscreenContext::create(16, 16);
    ASSERT_TRUE(context) << context.error().message();
    context_ = std::move(context.value());
  }
  static int level0Width(unsigned texture) {
    GLint width = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    return width;
  }
  static int level0Height(unsigned texture) {
    GLint height = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    return height;
  }
  TempDir dir_;
  std::unique_ptr<OffscreenContext> context_;
};

TEST_F(TexturesTest, ResourcePicturesBecomeSquarePowerOfTwoTextures) {
  writeBytes(dir_.file("res/TRYMO/1.jpg"), flatJpeg(300, 300, {10, 20, 30}));
  writeBytes(dir_.file("res/TRYMO/2.jpg"), flatJpeg(400, 400, {10, 20, 30}));
  writeBytes(dir_.file("res/TRYMO/3.jpg"), flatJpeg(256, 512, {10, 20, 30}));
  const std::string root = dir_.path().string();

  unsigned texture = 0;
  ASSERT_TRUE(LoadResourceTexture(root, 1, texture));
  EXPECT_EQ(level0Width(texture), 256);
  EXPECT_EQ(level0Height(texture), 256);
  deleteTexture(texture);
  ASSERT_TRUE(LoadResourceTexture(root, 2, texture));
  EXPECT_EQ(level0Width(texture), 512);
  deleteTexture(texture);

  texture = 77;  // left as it was on failure
  EXPECT_FALSE(LoadResourceTexture(root, 3, texture));
  EXPECT_FALSE(LoadResourceTexture(root, 4, texture));
  EXPECT_EQ(texture, 77u);
}

TEST_F(TexturesTest, JpegTexturesGoIntoTheirSlot) {
  writeBytes(dir_.file("a.jpg"), flatJpeg(20, 10, {200, 0, 0}));
  std::array<unsigned, 6> slots{};
  ASSERT_TRUE(LoadJpegTexture(slots, dir_.file("a.jpg"), 5));
  EXPECT_NE(slots[5], 0u);
  EXPECT_EQ(slots[0], 0u);
  EXPECT_FALSE(LoadJpegTexture(slots, "", 1));
  EXPECT_FALSE(LoadJpegTexture(slots, dir_.file("a.jpg"), 6));
  auto missing = LoadJpegTexture(slots, dir_.file("none.jpg"), 1);
  ASSERT_FALSE(missing);
  EXPECT_EQ(missing.error().what, "Error loading jpg file:" + dir_.file("none.jpg"));
  EXPECT_EQ(slots[1], 0u);
  for (unsigned& t : slots) deleteTexture(t);
}

TEST_F(TexturesTest, AlphaFromASecondPictureOfTheSameSize) {
  writeBytes(dir_.file("TX.jpg"), flatJpeg(8, 8, {255, 0, 0}));
  // A grey picture gives the alpha.
  std::vector<std::uint8_t> rgb(8 * 8 * 3, 60);
  writeBytes(dir_.file("TR.jpg"), encodeJpeg(rgb.data(), 8, 8, 100).value());
  writeBytes(dir_.file("small.jpg"), flatJpeg(4, 4, {0, 0, 0}));
  TextureRecord record;
  ASSERT_TRUE(LoadJpegAlphaTexture(record, dir_.file("TX.jpg"), dir_.file("TR.jpg")));
  EXPECT_EQ(record.bitsPerPixel, 32);
  EXPECT_EQ(record.width, 8);
  ASSERT_EQ(record.pixels.size(), 8u * 8 * 4);
  EXPECT_GT(record.pixels[0], 240);
  EXPECT_NEAR(record.pixels[3], 60, 3);
  EXPECT_NE(record.texture, 0u);
  const unsigned before = record.texture;
  EXPECT_FALSE(LoadJpegAlphaTexture(record, dir_.file("TX.jpg"), dir_.file("small.jpg")));
  EXPECT_FALSE(LoadJpegAlphaTexture(record, dir_.file("TX.jpg"), dir_.file("none.jpg")));
  EXPECT_EQ(record.texture, before);
  deleteTexture(record.texture);
}

TEST_F(TexturesTest, TgaAndPngTextures) {
  std::vector<std::uint8_t> tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 32, 8};
  for (int i = 0; i < 4; ++i) tga.insert(tga.end(), {0, 0, 255, 128});
  writeBytes(dir_.file("a.tga"), tga);
  TextureRecord record;
  ASSERT_TRUE(LoadTgaTexture(record, dir_.file("a.tga")));
  EXPECT_EQ(record.bitsPerPixel, 32);
  EXPECT_EQ(record.pixels[0], 255);  // red after the swap
  EXPECT_EQ(level0Width(record.texture), 2);
  tga.resize(tga.size() - 3);
  writeBytes(dir_.file("short.tga"), tga);
  TextureRecord untouched;
  EXPECT_FALSE(LoadTgaTexture(untouched, dir_.file("short.tga")));
  EXPECT_EQ(untouched.texture, 0u);
  deleteTexture(record.texture);

  const std::uint8_t rgb[4 * 4 * 3] = {};
  writeBytes(dir_.file("a.png"), encodePng(rgb, 4, 4).value());
  const unsigned png =
      LoadPngTexture(dir_.file("a.png"), GL_REPEAT, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
  ASSERT_NE(png, 0u);
  GLint wrap = 0;
  glBindTexture(GL_TEXTURE_2D, png);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
  EXPECT_EQ(wrap, GL_REPEAT);
  unsigned name = png;
  deleteTexture(name);
  EXPECT_EQ(LoadPngTexture(dir_.file("a.tga"), GL_REPEAT, GL_LINEAR, GL_LINEAR), 0u);
}

}  // namespace
}  // namespace vestora
