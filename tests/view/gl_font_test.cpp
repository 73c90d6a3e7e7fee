#include "view/gl_font.h"

#include <gtest/gtest.h>

#include "view/gl_headers.h"
#include "view/gl_view.h"
#include "view/measurement_sheet.h"
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

MeasureResults someResults() {
  MeasureResults r;
  r.value[kChest] = 90;
  r.value[kCrotchGirth] = 70;
  r.inseamCm = 76.2f;
  r.measured = true;
  return r;
}

TEST(MeasurementSheet, LinesStandAtTheirFixedPlaces) {
  const MeasurementSheet sheet = buildMeasurementSheet(someResults(), {}, {}, 1.0f, 800, 600);
  ASSERT_EQ(sheet.headings.size(), 6u);
  EXPECT_EQ(sheet.headings[0].text, "CIRCUMFERENCE MEASUREMENTS :");
  EXPECT_EQ(sheet.headings[0].y, 590);
  EXPECT_EQ(sheet.headings[0].x, 220);
  ASSERT_EQ(sheet.lines.size(), 26u);
  EXPECT_EQ(sheet.lines[0].label, "1.      Bust/Chest:");
  EXPECT_EQ(sheet.lines[0].y, 575);
  EXPECT_FLOAT_EQ(sheet.lines[0].value, 90);
  EXPECT_EQ(sheet.lines[6].label, "7.      Crotch length:");
  EXPECT_FLOAT_EQ(sheet.lines[6].value, 70);
  EXPECT_EQ(sheet.lines[14].label, "15.      Inseam:");
  EXPECT_EQ(sheet.lines[14].y, 365);
  EXPECT_FLOAT_EQ(sheet.lines[14].value, 76.2f);
  EXPECT_EQ(sheet.lines[15].label, "Girth:");
  EXPECT_EQ(sheet.lines[15].y, 210);
  EXPECT_EQ(sheet.lines[25].label, "Sliding slope girth:");
  EXPECT_EQ(sheet.lines[25].y, 50);
  for (const SheetLine& line : sheet.lines) EXPECT_FALSE(line.highlighted) << line.label;

  // The freehand block keeps its heights whatever the view's height.
  const MeasurementSheet tall = buildMeasurementSheet(someResults(), {}, {}, 1.0f, 800, 900);
  EXPECT_EQ(tall.headings[0].y, 890);
  EXPECT_EQ(tall.headings[5].text, "FREEHAND MEASUREMENT:");
  EXPECT_EQ(tall.headings[5].y, 225);
  EXPECT_EQ(tall.headerBarY, 225);
  EXPECT_EQ(tall.lines[16].y, 195);
}

TEST(MeasurementSheet, ActiveToolsAndUnits) {
  FreehandTools tools;
  tools.linearDistance = true;
  tools.slopeGirth = true;  // never highlighted
  FreehandValues values;
  values.linearDistance = 25.4f;
  const MeasurementSheet sheet =
      buildMeasurementSheet(someResults(), values, tools, 2.54f, 800, 600);
  for (const SheetLine& line : sheet.lines)
    EXPECT_EQ(line.highlighted, line.label == "Linear distance:") << line.label;
  EXPECT_FLOAT_EQ(sheet.lines[0].value, 90 / 2.54f);
  EXPECT_FLOAT_EQ(sheet.lines[16].value, 10);
  // "inch" in the accent colour, "cm" in the heading colour.
  EXPECT_EQ(sheet.headings[2].text, "     cm");
  EXPECT_EQ(sheet.headings[2].colour, kSheetHeadingColour);
  EXPECT_EQ(sheet.headings[4].text, "     inch");
  EXPECT_EQ(sheet.headings[4].colour, kSheetAccentColour);
  const MeasurementSheet cm = buildMeasurementSheet(someResults(), values, {}, 1.0f, 800, 600);
  EXPECT_EQ(cm.headings[2].colour, kSheetAccentColour);
  EXPECT_EQ(cm.headings[4].colour, kSheetHeadingColour);
}

}  // namespace
}  // namespace vestora
