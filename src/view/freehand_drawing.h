// The freehand tools' marks in the 3D view: the picked points, the line
// between them (or the drop of the height tool), the girth's loop or the
// curve on the skin, the value beside them, and the stroke being drawn.
#pragma once

#include <optional>
#include <string>

#include "body/freehand.h"
#include "view/body_pick.h"

namespace vestora {

class GlFont;

inline constexpr std::array<float, 3> kFreehandColour{0.784f, 0.333f, 0.239f};  // the accent
inline constexpr std::array<float, 3> kFreehandPointColour{0.184f, 0.435f, 0.451f};

// The value as the view writes it beside the marks: "32.41 cm" or
// "12.76 inch" for a divisor of 2.54.
std::string freehandValueText(float centimetres, float unitFactor);

// Where the value stands: beside the second point, the loop's front or the
// curve's last point (model units). Nothing while the tool has no result.
std::optional<Vec3f> freehandLabelAnchor(const FreehandMeasure& freehand);

// Draws the marks in model space (the camera's matrices current). The parts
// hidden by the body show faintly through it.
void drawFreehandMarks(const FreehandMeasure& freehand);
// Draws the value beside its anchor over the finished frame (window text).
void drawFreehandValue(GlFont& font, const FreehandMeasure& freehand, const ViewMatrices& matrices,
                       float unitFactor);
// The stroke from a to b in window pixels (y up), while it is dragged.
void drawStrokeOverlay(int width, int height, std::array<int, 2> a, std::array<int, 2> b);

}  // namespace vestora
