// Pictograms the larger artwork is composed of (splash, drag picture, wizard
// cards): garments, a figure, input devices, measuring things, scenery.
// One line style: round-capped strokes in `line`, soft flat fills.
// Positions and sizes are in pixels of the canvas drawn on.
#pragma once

#include <string_view>

#include "artwork/raster.h"
#include "artwork/text.h"

namespace vestora::generate::art {

struct Ink {
  Colour line, fill;
  double width = 2.4;  // stroke width
};

// A sleeveless dress `height` tall hanging from `top` (centre of its
// neckline's top).
void drawDress(Canvas& c, Point top, double height, const Ink& ink);
// A T-shirt `height` tall.
void drawTop(Canvas& c, Point top, double height, const Ink& ink);
// A pair of trousers `height` tall from the waistband's centre.
void drawTrousers(Canvas& c, Point top, double height, const Ink& ink);
// A coat hanger `width` wide, its hook's top at `top`; returns the point
// the garment hangs from (the middle of its bar).
Point drawHanger(Canvas& c, Point top, double width, Colour line, double stroke);
// A standing figure `height` tall, feet at `feet`; `belly` 0 to 1 rounds the
// belly out.
void drawFigure(Canvas& c, Point feet, double height, const Ink& ink, double belly = 0);
// A mouse `height` tall centred on `centre`; `lit` 0 none, 1 left button,
// 2 right button, 3 wheel, filled with `accent`.
void drawMouse(Canvas& c, Point centre, double height, const Ink& ink, int lit, Colour accent);
// A key cap with its label.
void drawKey(Canvas& c, const Fonts& fonts, Box box, std::string_view label, const Ink& ink,
             Colour labelColour);
// A slider track from `from` (left) `length` long with its knob at `t` (0 to 1).
void drawSlider(Canvas& c, Point from, double length, double t, Colour track, Colour filled);
// A straight arrow from a to b with a head at b.
void drawArrow(Canvas& c, Point a, Point b, Colour colour, double stroke);
// An arc arrow along an ellipse round `centre`, from `from` to `to` degrees
// (counter-clockwise when to > from), with its head at `to` (or at `from`,
// pointing back, when `reverse`).
void drawArcArrow(Canvas& c, Point centre, double rx, double ry, double from, double to,
                  Colour colour, double stroke, bool reverse = false);
// A sheet of paper with ruled lines.
void drawSheet(Canvas& c, Box box, const Ink& ink, int lines, Colour lineColour);
// A measuring tape from a to b (horizontal or vertical), `width` wide, ticks
// every `step` pixels.
void drawTape(Canvas& c, Point a, Point b, double width, double step, Colour body, Colour ticks);
void drawNote(Canvas& c, Point centre, double size, Colour colour);
void drawCamera(Canvas& c, Point centre, double width, const Ink& ink, Colour lens);
void drawGlasses(Canvas& c, Point centre, double width, Colour frame, Colour lens);
void drawShoe(Canvas& c, Point toe, double length, const Ink& ink);
void drawBag(Canvas& c, Point centre, double width, const Ink& ink);
void drawHead(Canvas& c, Point centre, double radius, const Ink& skin, Colour hair, int style);
void drawSparkle(Canvas& c, Point centre, double size, Colour colour);
void drawHeart(Canvas& c, Point centre, double size, Colour colour);
// A small cursor arrow with its tip at `tip`.
void drawCursor(Canvas& c, Point tip, double size, Colour fill, Colour line);

}  // namespace vestora::generate::art
