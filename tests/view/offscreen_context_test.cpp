#include "view/offscreen_context.h"

#include <gtest/gtest.h>

#include "view/gl_headers.h"

namespace vestora {
namespace {

// Clears to one colour, draws a quad of another over the left half and
// reads the frame back.
std::vector<std::uint8_t> drawHalf(OffscreenContext& context) {
  glClearColor(1, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glColor3f(0, 0, 1);
  glBegin(GL_QUADS);
  glVertex2f(-1, -1);
  glVertex2f(0, -1);
  glVertex2f(0, 1);
  glVertex2f(-1, 1);
  glEnd();
  return context.readRgb();
}

TEST(OffscreenContext, DrawsAndReadsBackWithAndWithoutSamples) {
  for (bool multisample : {true, false}) {
    auto context = OffscreenContext::create(24, 16, multisample);
    ASSERT_TRUE(context) << context.error().message();
    OffscreenContext& c = *context.value();
    EXPECT_EQ(c.width(), 24);
    EXPECT_EQ(c.height(), 16);
    if (!multisample) {
      EXPECT_EQ(c.samples(), 0);
    }
    GLint depthBits = 0, stencilBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    glGetIntegerv(GL_STENCIL_BITS, &stencilBits);
    EXPECT_GE(depthBits, 24);
    EXPECT_EQ(stencilBits, 8);
    const auto rgb = drawHalf(c);
    ASSERT_EQ(rgb.size(), 24u * 16 * 3);
    const std::size_t left = 3 * (8 * 24 + 3), right = 3 * (8 * 24 + 20);
    EXPECT_EQ(rgb[left + 2], 255) << "multisample " << multisample;
    EXPECT_EQ(rgb[left], 0);
    EXPECT_EQ(rgb[right], 255);
    EXPECT_EQ(rgb[right + 2], 0);
  }
}

TEST(OffscreenContext, TwoContextsKeepTheirOwnFrames) {
  auto first = OffscreenContext::create(8, 8);
  auto second = OffscreenContext::create(8, 8);
  ASSERT_TRUE(first && second);
  first.value()->makeCurrent();
  glClearColor(0, 1, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  second.value()->makeCurrent();
  glClearColor(0, 0, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  first.value()->makeCurrent();
  EXPECT_EQ(first.value()->readRgb()[1], 255);
  second.value()->makeCurrent();
  EXPECT_EQ(second.value()->readRgb()[2], 255);
}

TEST(OffscreenContext, RefusesSizesOutOfRange) {
  EXPECT_FALSE(OffscreenContext::create(0, 10));
  EXPECT_FALSE(OffscreenContext::create(10, -1));
  EXPECT_FALSE(OffscreenContext::create(100000, 10));
}

}  // namespace
}  // namespace vestora
