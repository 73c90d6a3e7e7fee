// The measurement sheet's content and layout: every result is on it, in
// the view, legible (lines apart, columns apart) at every size the window
// lays the view out at.
#include "view/measurement_sheet.h"

#include <cmath>
#include <cstdio>
#include <set>

#include <gtest/gtest.h>

namespace vestora {
namespace {

MeasureResults someResults() {
  MeasureResults r;
  for (std::size_t i = 0; i < r.value.size(); ++i) r.value[i] = 10.0f + static_cast<float>(i);
  r.value[kChest] = 90;
  r.value[kCrotchGirth] = 70;
  r.inseamCm = 76.2f;
  r.measured = true;
  return r;
}

std::string valueText(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%7.4f", static_cast<double>(value));
  return text;
}

// Widths close to the sheet font's: digits and capitals wider than blanks.
int fontLikeWidth(std::string_view text) {
  int width = 0;
  for (char c : text) width += c == ' ' ? 5 : (c >= 'A' && c <= 'Z') ? 11 : 9;
  return width;
}

struct ViewSize {
  int width, height;
};
// The view at the window sizes laid out (client size minus the panel, the
// toolbars and the bottom bar), and a square test frame.
constexpr ViewSize kViewSizes[] = {{569, 566}, {825, 822}, {1465, 878}, {1143, 742}, {600, 600}};

TEST(MeasurementSheet, HoldsEveryResultInReportOrderAndItsUnit) {
  const MeasurementSheet sheet = buildMeasurementSheet(someResults(), {}, {}, 1.0f, 825, 822);
  ASSERT_EQ(sheet.lines.size(), 15u + 11u + 11u);
  EXPECT_EQ(sheet.lines[0].label, "1.      Bust/Chest:");
  EXPECT_FLOAT_EQ(sheet.lines[0].value, 90);
  EXPECT_EQ(sheet.lines[6].label, "7.      Crotch length:");
  EXPECT_FLOAT_EQ(sheet.lines[6].value, 70);
  EXPECT_EQ(sheet.lines[14].label, "15.      Inseam:");
  EXPECT_FLOAT_EQ(sheet.lines[14].value, 76.2f);
  // The eleven results the circumference block has no line for follow it.
  std::set<float> shown;
  for (const SheetLine& line : sheet.lines) shown.insert(line.value);
  for (std::size_t i = 0; i < 25; ++i)
    EXPECT_TRUE(shown.count(someResults().value[i])) << kMeasureLabels[i];
  EXPECT_EQ(sheet.lines[15].label.find("16."), 0u);
  EXPECT_EQ(sheet.lines[26].label, "Girth:");
  EXPECT_EQ(sheet.lines[36].label, "Sliding slope girth:");
  ASSERT_GE(sheet.headings.size(), 7u);
  EXPECT_EQ(sheet.headings[0].text, "CIRCUMFERENCE MEASUREMENTS :");
  EXPECT_EQ(sheet.headings[2].text, "FREEHAND MEASUREMENT:");
  // Lines of one block stand one step apart, top down.
  EXPECT_EQ(sheet.scale, 1.0f);
  for (int k = 1; k < 15; ++k) EXPECT_EQ(sheet.lines[k - 1].y - sheet.lines[k].y, kSheetLineStep);
}

TEST(MeasurementSheet, FitsTheViewAtEveryLaidOutSize) {
  for (const ViewSize size : kViewSizes) {
    for (const TextWidth& width : {TextWidth{}, TextWidth{fontLikeWidth}}) {
      const MeasurementSheet sheet =
          buildMeasurementSheet(someResults(), {}, {}, 1.0f, size.width, size.height, width);
      const auto measure = width ? width : [](std::string_view t) {
        return static_cast<int>(t.size()) * kSheetFallbackCharWidth;
      };
      const std::string where = std::to_string(size.width) + "x" + std::to_string(size.height);
      EXPECT_GE(sheet.card.x, 0) << where;
      EXPECT_GE(sheet.card.y, 0) << where;
      EXPECT_LE(sheet.card.right(), size.width) << where;
      EXPECT_LE(sheet.card.top(), size.height) << where;
      EXPECT_GE(sheet.scale, kSheetMinScale) << where;
      EXPECT_LE(sheet.scale, 1.0f) << where;
      const float s = sheet.scale;
      auto drawnWidth = [&](std::string_view t) {
        return static_cast<int>(std::ceil(measure(t) * s));
      };
      auto valueEnd = [&](const SheetLine& line) {
        return line.valueX + drawnWidth(valueText(line.value));
      };
      for (const SheetLine& line : sheet.lines) {
        // Inside the card, with room for the glyphs above and below the baseline.
        EXPECT_GE(line.labelX, sheet.card.x) << where << " " << line.label;
        EXPECT_LE(valueEnd(line), sheet.card.right()) << where << " " << line.label;
        EXPECT_GE(line.y - 4 * s, sheet.card.y) << where << " " << line.label;
        EXPECT_LE(line.y + 12 * s, sheet.card.top()) << where << " " << line.label;
        // The value starts right of its label.
        EXPECT_GT(line.valueX, line.labelX + drawnWidth(line.label)) << where << " " << line.label;
      }
      // No two lines on one baseline overlap.
      for (const SheetLine& a : sheet.lines) {
        for (const SheetLine& b : sheet.lines) {
          if (&a == &b || a.y != b.y) continue;
          EXPECT_TRUE(valueEnd(a) < b.labelX || valueEnd(b) < a.labelX)
              << where << ": " << a.label << " / " << b.label;
        }
      }
    }
  }
  // A tall view takes the whole sheet in one column at the font's size, a
  // smaller one in one column of smaller text (the avatar stays in sight
  // beside it), and only a view too low for legible text in one column
  // spreads it over more.
  const MeasurementSheet tall =
      buildMeasurementSheet(someResults(), {}, {}, 1.0f, 825, 822, fontLikeWidth);
  EXPECT_EQ(tall.columns, 1);
  EXPECT_EQ(tall.scale, 1.0f);
  const MeasurementSheet small =
      buildMeasurementSheet(someResults(), {}, {}, 1.0f, 569, 566, fontLikeWidth);
  EXPECT_EQ(small.columns, 1);
  EXPECT_LT(small.scale, 1.0f);
  EXPECT_LT(small.card.right(), 569 * 3 / 5);
  const MeasurementSheet low =
      buildMeasurementSheet(someResults(), {}, {}, 1.0f, 900, 420, fontLikeWidth);
  EXPECT_GT(low.columns, 1);
  EXPECT_GE(low.scale, kSheetMinScale);
}

TEST(MeasurementSheet, ActiveToolIsHighlightedAndValuesTakeTheUnit) {
  FreehandTools tools;
  tools.linearDistance = true;
  tools.slopeGirth = true;  // never highlighted
  FreehandValues values;
  values.linearDistance = 25.4f;
  const MeasurementSheet sheet =
      buildMeasurementSheet(someResults(), values, tools, 2.54f, 825, 822);
  for (const SheetLine& line : sheet.lines)
    EXPECT_EQ(line.highlighted, line.label == "Linear distance:") << line.label;
  EXPECT_FLOAT_EQ(sheet.lines[0].value, 90 / 2.54f);
  EXPECT_FLOAT_EQ(sheet.lines[27].value, 10);
  // "inch" in the accent colour, "cm" in the heading colour.
  auto legend = [](const MeasurementSheet& s, const char* text) {
    for (const SheetText& t : s.headings)
      if (t.text == text) return t;
    return SheetText{};
  };
  EXPECT_EQ(legend(sheet, "     cm").colour, kSheetHeadingColour);
  EXPECT_EQ(legend(sheet, "     inch").colour, kSheetAccentColour);
  const MeasurementSheet cm = buildMeasurementSheet(someResults(), values, {}, 1.0f, 825, 822);
  EXPECT_EQ(legend(cm, "     cm").colour, kSheetAccentColour);
  EXPECT_EQ(legend(cm, "     inch").colour, kSheetHeadingColour);
  // The legend's pieces follow one another left to right.
  EXPECT_LT(legend(cm, "     Unit:").x, legend(cm, "     cm").x);
  EXPECT_LT(legend(cm, "     cm").x, legend(cm, "     /").x);
  EXPECT_LT(legend(cm, "     /").x, legend(cm, "     inch").x);
}

}  // namespace
}  // namespace vestora
