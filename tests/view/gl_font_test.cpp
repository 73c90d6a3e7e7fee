#include "view/gl_font.h"

#include <gtest/gtest.h>

#include "view/gl_headers.h"
#include "view/gl_view.h"
#include "view_test_support.h"

namespace vestora {
namespace {

constexpr const char* kFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

class GlFontTest : public ::testing::Test {
 protected:
  static constexpr int kSize = 200;
  void SetUp() override {
    auto context = OffscreenContext::create(kSize, kSize);
    ASSERT_TRUE(context) << context.error().message();
    context_ = std::move(context.value());
    glViewport(0, 0, kSize, kSize);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }
  void TearDown() override { font_.Close(); }

  // The first rows of the runs of rows that hold text pixels, bottom up.
  std::vector<int> textRunStarts() {
    const auto rgb = context_->readRgb();
    std::vector<int> starts;
    bool inRun = false;
    for (int y = 0; y < kSize; ++y) {
      bool any = false;
      for (int x = 0; x < kSize && !any; ++x) {
        const std::size_t i = 3 * (static_cast<std::size_t>(y) * kSize + x);
        any = rgb[i] < 128 && rgb[i + 2] > 128;  // blue on white
      }
      if (any && !inRun) starts.push_back(y);
      inRun = any;
    }
    return starts;
  }

  std::unique_ptr<OffscreenContext> context_;
  GlFont font_;
};

TEST_F(GlFontTest, LinesStandHeightOver063Apart) {
  ASSERT_TRUE(font_.Open(kFont, 12));
  EXPECT_FLOAT_EQ(font_.lineSpacing(), 12 / 0.63f);
  glColor3f(0, 0, 1);
  font_.Print(20, 150, "I%d\nI%d\nI", 1, 1);
  const std::vector<int> starts = textRunStarts();
  ASSERT_EQ(starts.size(), 3u);
  // Bottom up: the third line, the second, the first on y = 150.
  EXPECT_NEAR(starts[2], 150, 1);
  EXPECT_NEAR(starts[2] - starts[1], 12 / 0.63, 1.0);
  EXPECT_NEAR(starts[1] - starts[0], 12 / 0.63, 1.0);
}

TEST_F(GlFontTest, OnlyAsciiIsDrawnAndAClosedFontDrawsNothing) {
  ASSERT_TRUE(font_.Open(kFont, 12));
  glColor3f(0, 0, 1);
  font_.PrintText(20, 100, "\xE6\xB5\x8B\xE9\x87\x8F");  // no glyphs above 127
  EXPECT_TRUE(textRunStarts().empty());
  font_.Close();
  EXPECT_FALSE(font_.isOpen());
  font_.PrintText(20, 100, "Hip");
  EXPECT_TRUE(textRunStarts().empty());
}

TEST_F(GlFontTest, TextWidthIsHowFarTheInkReaches) {
  EXPECT_EQ(font_.textWidth("Hip"), 0) << "a closed font measures nothing";
  ASSERT_TRUE(font_.Open(kFont, 12));
  const int wide = font_.textWidth("WWWWWWWW");
  EXPECT_GT(wide, font_.textWidth("iiiiiiii"));
  EXPECT_EQ(font_.textWidth("Hip\xE6\xB5\x8B"), font_.textWidth("Hip")) << "no glyph, no width";
  glColor3f(0, 0, 1);
  font_.PrintText(20, 100, "WWWWWWWW");
  const auto rgb = context_->readRgb();
  int rightmost = -1;
  for (int y = 90; y < 120; ++y)
    for (int x = 0; x < kSize; ++x) {
      const std::size_t i = 3 * (static_cast<std::size_t>(y) * kSize + x);
      if (rgb[i] < 128 && rgb[i + 2] > 128) rightmost = std::max(rightmost, x);
    }
  EXPECT_NEAR(rightmost, 20 + wide, 3);
}

TEST_F(GlFontTest, BadFontFilesGiveTheFreeTypeMessage) {
  testing::TempDir dir;
  auto missing = font_.Open(dir.file("none.ttf"), 12);
  ASSERT_FALSE(missing);
  EXPECT_EQ(missing.error().what, kFtNewFaceFailed);
  const std::string garbage = dir.write("bad.ttf", std::string(500, '\x11'));
  auto bad = font_.Open(garbage, 12);
  ASSERT_FALSE(bad);
  EXPECT_EQ(bad.error().what, kFtNewFaceFailed);
  EXPECT_FALSE(font_.isOpen());
}

}  // namespace
}  // namespace vestora
