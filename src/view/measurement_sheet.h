// The measurement sheet: every result of the automatic measurement and the
// freehand results as lines of text on a paper card over the finished
// frame. The content and its window positions are worked out apart from the
// drawing, for any size of the view.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "body/freehand.h"
#include "body/measurement.h"

namespace vestora {

class GlFont;

inline constexpr std::array<float, 3> kSheetHeadingColour{0.188f, 0.282f, 0.431f};
inline constexpr std::array<float, 3> kSheetAccentColour{0.804f, 0.216f, 0.016f};
inline constexpr std::array<float, 3> kSheetTextColour{0.0f, 0.0f, 1.0f};
inline constexpr std::array<float, 3> kSheetHighlightColour{1.0f, 0.0f, 0.0f};
// DrawSheetLine draws its items this far left of the x it is given.
inline constexpr int kSheetShift = 180;
// Distance between baselines, and from the view's edges to the card.
inline constexpr int kSheetLineStep = 17;
inline constexpr int kSheetMargin = 8;
// The smallest text the sheet shrinks to (against the font's size) while
// a way of standing it in the view keeps it at least that large.
inline constexpr float kSheetMinScale = 0.72f;
// Space inside the card round the text, and between columns.
inline constexpr int kSheetPadding = 10;
inline constexpr int kSheetColumnGap = 18;
// Width of a value as "%7.4f" prints it (up to 999.9999) when the font's
// widths are not known: the fallback width of one character.
inline constexpr int kSheetFallbackCharWidth = 8;
// Texels at each edge of the sheet paper that are drawn unscaled.
inline constexpr int kSheetPaperBorder = 24;

struct PixelBox {
  int x = 0, y = 0, width = 0, height = 0;  // window pixels, origin bottom left
  int right() const { return x + width; }
  int top() const { return y + height; }
};

struct SheetText {
  std::string text;
  int x = 0, y = 0;  // where the text is drawn (its baseline's left end)
  std::array<float, 3> colour{};
};

struct SheetLine {
  std::string label;
  float value = 0;  // already divided by the unit divisor
  int labelX = 0, valueX = 0, y = 0;
  bool highlighted = false;
};

// The shaded bar behind a heading, `width` pixels long.
struct SheetBar {
  int x = 0, y = 0, width = 0;
};

struct MeasurementSheet {
  // The three headings and the four pieces of the unit legend.
  std::vector<SheetText> headings;
  // 15 circumference lines, 11 length lines, then 11 freehand lines.
  std::vector<SheetLine> lines;
  std::vector<SheetBar> bars;
  PixelBox card;  // the paper behind it all
  int columns = 1;
  // The size of the text against the font's own: below 1 when the sheet
  // had to shrink to fit the view. Every position above is already
  // scaled; bar widths too.
  float scale = 1.0f;
};

// The width in pixels of a text as the sheet's font draws it.
using TextWidth = std::function<int(std::string_view)>;

// The sheet for a view `viewWidth` × `viewHeight` pixels. `unitFactor` is
// 1.0 for centimetres and 2.54 for inches; the active unit is drawn in the
// accent colour. The sheet stands in the view's top left corner, in the
// columns (one to three) that hide the least of the view while the text
// keeps at least kSheetMinScale of the font's size, shrunk as far as the
// view asks; `textWidth` measures its texts at the font's size (nullptr:
// kSheetFallbackCharWidth a character).
MeasurementSheet buildMeasurementSheet(const MeasureResults& results,
                                       const FreehandValues& freehand, const FreehandTools& tools,
                                       float unitFactor, int viewWidth, int viewHeight,
                                       const TextWidth& textWidth = nullptr);

// Draws the sheet with `font` over the current frame, on the paper texture
// `paper` (0: a plain card).
void DrawMeasurementSheet(GlFont& font, const MeasurementSheet& sheet, unsigned paper = 0);
// One line: label at (labelX, labelY), value "%7.4f" at (valueX, valueY),
// each drawn kSheetShift pixels further left; red when highlighted, else blue.
void DrawSheetLine(GlFont& font, bool highlighted, int labelX, int labelY, int valueX, int valueY,
                   const std::string& label, float value);
// The shaded bar behind a heading: `width` pixels long (300 by default),
// from 4 below the baseline y to 11 above.
void DrawHeaderBar(int x, int y, int width = 300);

}  // namespace vestora
