// The measurement sheet: the body's circumference results and the freehand
// results as lines of text over the finished frame. The content and its
// window positions are worked out apart from the drawing.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "body/measurement.h"

namespace vestora {

class GlFont;
struct FreehandTools;
struct FreehandValues;

inline constexpr std::array<float, 3> kSheetHeadingColour{0.188f, 0.282f, 0.431f};
inline constexpr std::array<float, 3> kSheetAccentColour{0.804f, 0.216f, 0.016f};
inline constexpr std::array<float, 3> kSheetTextColour{0.0f, 0.0f, 1.0f};
inline constexpr std::array<float, 3> kSheetHighlightColour{1.0f, 0.0f, 0.0f};
// Every sheet item is drawn this far left of the x it is given at.
inline constexpr int kSheetShift = 180;
inline constexpr int kSheetLabelX = 220;
inline constexpr int kSheetValueX = 400;
// The unit legend is centred on the middle of the view, at least this far
// from the left edge (before the shift).
inline constexpr int kSheetLegendMinCentre = 540;

struct SheetText {
  std::string text;
  int x = 0, y = 0;  // as given to the drawing, before the shift
  std::array<float, 3> colour{};
};

struct SheetLine {
  std::string label;
  float value = 0;  // already divided by the unit divisor
  int y = 0;
  bool highlighted = false;
};

struct MeasurementSheet {
  std::vector<SheetText> headings;  // the heading, the unit legend, the freehand heading
  std::vector<SheetLine> lines;     // 15 circumference lines, then 11 freehand lines
  int headerBarY = 225;             // the shaded bar behind the freehand heading
};

// The sheet for a view `viewWidth` × `viewHeight` pixels. `unitFactor` is
// 1.0 for centimetres and 2.54 for inches; the active unit is drawn in the
// accent colour.
MeasurementSheet buildMeasurementSheet(const MeasureResults& results,
                                       const FreehandValues& freehand, const FreehandTools& tools,
                                       float unitFactor, int viewWidth, int viewHeight);

// Draws the sheet with `font` over the current frame.
void DrawMeasurementSheet(GlFont& font, const MeasurementSheet& sheet);
// One line: label at (labelX, labelY), value "%7.4f" at (valueX, valueY),
// red when highlighted, else blue.
void DrawSheetLine(GlFont& font, bool highlighted, int labelX, int labelY, int valueX, int valueY,
                   const std::string& label, float value);
// The shaded bar behind a heading: 300 pixels long, from 4 below the
// baseline y to 11 above.
void DrawHeaderBar(int x, int y);

}  // namespace vestora
