#include "artwork/motifs.h"

#include <cmath>
#include <vector>

#include "artwork/icons.h"

namespace vestora::generate::art {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Points given for the right half (x ≥ 0, from the top down) mirrored into
// a closed outline: right half down, left half back up.
std::vector<Point> mirroredOutline(const std::vector<Point>& rightHalf, Point origin,
                                   double scale) {
  std::vector<Point> out;
  for (const Point& p : rightHalf) out.push_back({origin.x + p.x * scale, origin.y + p.y * scale});
  for (auto it = rightHalf.rbegin(); it != rightHalf.rend(); ++it)
    if (it->x != 0) out.push_back({origin.x - it->x * scale, origin.y + it->y * scale});
  return out;
}

void fillAndStroke(Canvas& c, const std::vector<Point>& outline, const Ink& ink) {
  c.fill(Shape().polygon(outline), ink.fill);
  c.fill(Shape().polyline(outline, ink.width, true), ink.line);
}

}  // namespace

void drawDress(Canvas& c, Point top, double height, const Ink& ink) {
  std::vector<Point> half = {{0, 0.1},    {0.07, 0.0},   {0.15, 0.0},  {0.165, 0.1},
                             {0.13, 0.2}, {0.105, 0.36}, {0.17, 0.55}, {0.25, 0.8}};
  for (int i = 0; i <= 6; ++i) {  // the hem, gently curved
    const double x = 0.3 - 0.05 * i;
    half.push_back({x, 0.98 + 0.03 * (1 - (x / 0.3) * (x / 0.3))});
  }
  fillAndStroke(c, mirroredOutline(half, top, height), ink);
  const double w = 0.105 * height;
  c.fill(Shape().segment({top.x - w, top.y + 0.36 * height}, {top.x + w, top.y + 0.36 * height},
                         ink.width * 0.8),
         ink.line);
}

void drawTop(Canvas& c, Point top, double height, const Ink& ink) {
  const std::vector<Point> half = {{0, 0.1},    {0.1, 0.0},   {0.3, 0.07}, {0.5, 0.33},
                                   {0.4, 0.42}, {0.31, 0.32}, {0.31, 1.0}, {0, 1.0}};
  fillAndStroke(c, mirroredOutline(half, top, height), ink);
}

void drawTrousers(Canvas& c, Point top, double height, const Ink& ink) {
  const std::vector<Point> outline = {
      {top.x - 0.22 * height, top.y},          {top.x + 0.22 * height, top.y},
      {top.x + 0.27 * height, top.y + height}, {top.x + 0.05 * height, top.y + height},
      {top.x, top.y + 0.35 * height},          {top.x - 0.05 * height, top.y + height},
      {top.x - 0.27 * height, top.y + height}};
  fillAndStroke(c, outline, ink);
  c.fill(Shape().segment({top.x - 0.22 * height, top.y + 0.08 * height},
                         {top.x + 0.22 * height, top.y + 0.08 * height}, ink.width * 0.8),
         ink.line);
}

Point drawHanger(Canvas& c, Point top, double width, Colour line, double stroke) {
  const double u = width / 24;  // the hanger icon's grid unit
  Shape s;
  const Point hook{top.x, top.y + 3.2 * u};
  s.arc(hook, 2.6 * u, 270, 560, stroke);
  s.segment({top.x, hook.y + 2.6 * u}, {top.x, top.y + 8.2 * u}, stroke);
  const Point neck{top.x, top.y + 8.2 * u};
  const Point left{top.x - 11.5 * u, top.y + 15 * u}, right{top.x + 11.5 * u, top.y + 15 * u};
  s.polyline({neck, right, left}, stroke, true);
  c.fill(s, line);
  return {top.x, top.y + 15 * u};
}

void drawFigure(Canvas& c, Point feet, double height, const Ink& ink, double belly) {
  const double h = height;
  const Point top{feet.x, feet.y - h};
  // The body from the neck down (right half), head and arms apart.
  const std::vector<Point> half = {{0, 0.135},
                                   {0.03, 0.14},
                                   {0.04, 0.17},
                                   {0.11, 0.19},
                                   {0.125, 0.23},
                                   {0.1, 0.3},
                                   {0.075 + 0.045 * belly, 0.37},
                                   {0.095 + 0.04 * belly, 0.42},
                                   {0.11, 0.47},
                                   {0.105, 0.58},
                                   {0.075, 0.78},
                                   {0.06, 0.97},
                                   {0.018, 0.97},
                                   {0.022, 0.78},
                                   {0.012, 0.56},
                                   {0, 0.53}};
  const std::vector<Point> body = mirroredOutline(half, top, h);
  // Arms hang beside the body.
  Shape arms;
  for (double side : {-1.0, 1.0}) {
    arms.polyline({{top.x + side * 0.118 * h, top.y + 0.215 * h},
                   {top.x + side * 0.15 * h, top.y + 0.36 * h},
                   {top.x + side * 0.16 * h, top.y + 0.5 * h}},
                  0.05 * h);
  }
  Shape armOutline;
  for (double side : {-1.0, 1.0}) {
    armOutline.polyline({{top.x + side * 0.118 * h, top.y + 0.215 * h},
                         {top.x + side * 0.15 * h, top.y + 0.36 * h},
                         {top.x + side * 0.16 * h, top.y + 0.5 * h}},
                        0.05 * h + 2 * ink.width);
  }
  c.fill(armOutline, ink.line);
  c.fill(arms, ink.fill);
  fillAndStroke(c, body, ink);
  const Point head{top.x, top.y + 0.068 * h};
  c.fill(Shape().disc(head, 0.062 * h), ink.fill);
  c.fill(Shape().ring(head, 0.062 * h, ink.width), ink.line);
}

void drawMouse(Canvas& c, Point centre, double height, const Ink& ink, int lit, Colour accent) {
  const double w = 0.62 * height, h = height;
  const Box body{centre.x - w / 2, centre.y - h / 2, centre.x + w / 2, centre.y + h / 2};
  c.fill(Shape().rect(body, w / 2), ink.fill);
  const double split = body.y0 + 0.42 * h;
  if (lit == 1 || lit == 2) {
    // The upper left or right quarter of the body.
    Shape button;
    button.rect(body, w / 2);
    button.cut().rect({body.x0 - 1, split, body.x1 + 1, body.y1 + 1});
    if (lit == 1) {
      button.rect({centre.x, body.y0 - 1, body.x1 + 1, split});
    } else {
      button.rect({body.x0 - 1, body.y0 - 1, centre.x, split});
    }
    c.fill(button, accent);
  }
  c.fill(Shape().rectOutline(body, w / 2, ink.width), ink.line);
  c.fill(Shape()
             .segment({body.x0, split}, {body.x1, split}, ink.width)
             .segment({centre.x, body.y0}, {centre.x, split}, ink.width),
         ink.line);
  const Box wheel{centre.x - 0.07 * h, body.y0 + 0.12 * h, centre.x + 0.07 * h, body.y0 + 0.3 * h};
  c.fill(Shape().rect(wheel, 0.07 * h), lit == 3 ? accent : ink.fill);
  c.fill(Shape().rectOutline(wheel, 0.07 * h, ink.width * 0.8), ink.line);
}

void drawKey(Canvas& c, const Fonts& fonts, Box box, std::string_view label, const Ink& ink,
             Colour labelColour) {
  const double r = 6;
  // A deeper bottom edge makes it read as a key.
  c.fill(Shape().rect({box.x0, box.y0 + 3, box.x1, box.y1 + 3}, r), ink.line);
  c.fill(Shape().rect(box, r), ink.fill);
  c.fill(Shape().rectOutline(box, r, ink.width * 0.8), ink.line);
  const double size = std::min(18.0, (box.y1 - box.y0) * 0.45);
  drawTextCentred(c, fonts, {size, true, 1.0, 0.3}, (box.x0 + box.x1) / 2, (box.y0 + box.y1) / 2,
                  label, labelColour);
}

void drawSlider(Canvas& c, Point from, double length, double t, Colour track, Colour filled) {
  const Point knob{from.x + t * length, from.y};
  c.fill(Shape().segment(from, {from.x + length, from.y}, 4), track);
  c.fill(Shape().segment(from, knob, 4), filled);
  c.fill(Shape().disc(knob, 7.5), hex(0xFFFFFF));
  c.fill(Shape().ring(knob, 7, 2.2), filled);
}

void drawArrow(Canvas& c, Point a, Point b, Colour colour, double stroke) {
  const double dx = b.x - a.x, dy = b.y - a.y, l = std::sqrt(dx * dx + dy * dy);
  if (l <= 0) return;
  const double head = 3.6 * stroke;
  Shape s;
  s.segment(a, {b.x - dx / l * head * 0.6, b.y - dy / l * head * 0.6}, stroke);
  addArrowHead(s, b, dx, dy, head);
  c.fill(s, colour);
}

void drawArcArrow(Canvas& c, Point centre, double rx, double ry, double from, double to,
                  Colour colour, double stroke, bool reverse) {
  const double head = 3.6 * stroke;
  // Stop the line short of the head so the tip stays sharp.
  const double trim = (to >= from ? 1.0 : -1.0) * head * 0.6 / std::max(rx, ry) * 180 / kPi;
  const double lineFrom = reverse ? from + trim : from, lineTo = reverse ? to : to - trim;
  std::vector<Point> points;
  const int steps = 48;
  for (int i = 0; i <= steps; ++i) {
    const double a = (lineFrom + (lineTo - lineFrom) * i / steps) * kPi / 180;
    points.push_back({centre.x + rx * std::cos(a), centre.y - ry * std::sin(a)});
  }
  Shape s;
  s.polyline(points, stroke);
  const double end = (reverse ? from : to) * kPi / 180;
  const Point tip{centre.x + rx * std::cos(end), centre.y - ry * std::sin(end)};
  // The tangent of the ellipse, in screen coordinates, the way the arc runs
  // (or back, for a head at its start).
  const double way = (to >= from ? 1.0 : -1.0) * (reverse ? -1.0 : 1.0);
  const double dx = -rx * std::sin(end) * way, dy = -ry * std::cos(end) * way;
  addArrowHead(s, tip, dx, dy, head);
  c.fill(s, colour);
}

void drawSheet(Canvas& c, Box box, const Ink& ink, int lines, Colour lineColour) {
  c.fill(Shape().rect(box, 5), ink.fill);
  c.fill(Shape().rectOutline(box, 5, ink.width), ink.line);
  const double left = box.x0 + 12, right = box.x1 - 12;
  const double step = (box.y1 - box.y0 - 24) / std::max(lines, 1);
  for (int i = 0; i < lines; ++i) {
    const double y = box.y0 + 16 + step * (i + 0.5);
    const double end = i % 3 == 2 ? left + (right - left) * 0.6 : right;
    c.fill(Shape().segment({left, y}, {end, y}, 2.2), lineColour);
  }
}

void drawTape(Canvas& c, Point a, Point b, double width, double step, Colour body, Colour ticks) {
  const bool vertical = std::abs(b.x - a.x) < std::abs(b.y - a.y);
  const Box box =
      vertical ? Box{a.x - width / 2, std::min(a.y, b.y), a.x + width / 2, std::max(a.y, b.y)}
               : Box{std::min(a.x, b.x), a.y - width / 2, std::max(a.x, b.x), a.y + width / 2};
  c.fill(Shape().rect(box, 2), body);
  Shape t;
  int i = 0;
  if (vertical) {
    for (double y = box.y0 + step / 2; y < box.y1; y += step, ++i) {
      const double l = i % 5 == 0 ? width * 0.55 : width * 0.3;
      t.segment({box.x0 + 1, y}, {box.x0 + l, y}, 1.2);
    }
  } else {
    for (double x = box.x0 + step / 2; x < box.x1; x += step, ++i) {
      const double l = i % 5 == 0 ? width * 0.55 : width * 0.3;
      t.segment({x, box.y0 + 1}, {x, box.y0 + l}, 1.2);
    }
  }
  c.fill(t, ticks);
}

void drawNote(Canvas& c, Point centre, double size, Colour colour) {
  const double s = size;
  Shape n;
  n.ellipse({centre.x - 0.28 * s, centre.y + 0.32 * s}, 0.17 * s, 0.13 * s);
  n.ellipse({centre.x + 0.3 * s, centre.y + 0.22 * s}, 0.17 * s, 0.13 * s);
  n.segment({centre.x - 0.13 * s, centre.y + 0.3 * s}, {centre.x - 0.13 * s, centre.y - 0.36 * s},
            0.07 * s);
  n.segment({centre.x + 0.45 * s, centre.y + 0.2 * s}, {centre.x + 0.45 * s, centre.y - 0.46 * s},
            0.07 * s);
  n.polygon({{centre.x - 0.165 * s, centre.y - 0.4 * s},
             {centre.x + 0.485 * s, centre.y - 0.5 * s},
             {centre.x + 0.485 * s, centre.y - 0.34 * s},
             {centre.x - 0.165 * s, centre.y - 0.24 * s}});
  c.fill(n, colour);
}

void drawCamera(Canvas& c, Point centre, double width, const Ink& ink, Colour lens) {
  const double w = width, h = 0.66 * width;
  const Box body{centre.x - w / 2, centre.y - h / 2 + 0.08 * w, centre.x + w / 2, centre.y + h / 2};
  c.fill(
      Shape().rect({centre.x - 0.18 * w, body.y0 - 0.1 * w, centre.x + 0.14 * w, body.y0 + 4}, 4),
      ink.line);
  c.fill(Shape().rect(body, 0.1 * w), ink.fill);
  c.fill(Shape().rectOutline(body, 0.1 * w, ink.width), ink.line);
  const Point eye{centre.x, (body.y0 + body.y1) / 2};
  c.fill(Shape().disc(eye, 0.21 * w), lens);
  c.fill(Shape().ring(eye, 0.21 * w, ink.width), ink.line);
  c.fill(Shape().disc({eye.x - 0.07 * w, eye.y - 0.07 * w}, 0.05 * w), hex(0xFFFFFF), 0.8);
  c.fill(Shape().disc({body.x1 - 0.12 * w, body.y0 + 0.12 * w}, 0.035 * w), ink.line);
}

void drawGlasses(Canvas& c, Point centre, double width, Colour frame, Colour lens) {
  const double w = width, r = 0.2 * w;
  const Point l{centre.x - 0.25 * w, centre.y}, rt{centre.x + 0.25 * w, centre.y};
  c.fill(Shape().disc(l, r).disc(rt, r), lens, 0.55);
  Shape f;
  f.ring(l, r, 0.045 * w).ring(rt, r, 0.045 * w);
  f.arc(centre, 0.07 * w, 20, 160, 0.04 * w);
  f.segment({l.x - r, centre.y - 0.04 * w}, {centre.x - 0.5 * w, centre.y - 0.1 * w}, 0.04 * w);
  f.segment({rt.x + r, centre.y - 0.04 * w}, {centre.x + 0.5 * w, centre.y - 0.1 * w}, 0.04 * w);
  c.fill(f, frame);
}

void drawShoe(Canvas& c, Point toe, double length, const Ink& ink) {
  const double l = length;
  // A low heeled pump, toe to the left.
  std::vector<Point> outline = {{toe.x, toe.y},
                                {toe.x + 0.05 * l, toe.y - 0.14 * l},
                                {toe.x + 0.3 * l, toe.y - 0.2 * l},
                                {toe.x + 0.55 * l, toe.y - 0.16 * l},
                                {toe.x + 0.8 * l, toe.y - 0.34 * l},
                                {toe.x + 0.98 * l, toe.y - 0.36 * l},
                                {toe.x + l, toe.y - 0.1 * l},
                                {toe.x + 0.97 * l, toe.y + 0.12 * l},
                                {toe.x + 0.9 * l, toe.y + 0.12 * l},
                                {toe.x + 0.88 * l, toe.y},
                                {toe.x + 0.6 * l, toe.y},
                                {toe.x + 0.3 * l, toe.y + 0.04 * l}};
  c.fill(Shape().polygon(outline), ink.fill);
  c.fill(Shape().polyline(outline, ink.width, true), ink.line);
}

void drawBag(Canvas& c, Point centre, double width, const Ink& ink) {
  const double w = width, h = 0.75 * width;
  const Box body{centre.x - w / 2, centre.y - h / 2 + 0.15 * w, centre.x + w / 2,
                 centre.y + h / 2 + 0.15 * w};
  c.fill(Shape().arc({centre.x, body.y0}, 0.26 * w, 0, 180, ink.width * 1.3), ink.line);
  c.fill(Shape().rect(body, 0.1 * w), ink.fill);
  c.fill(Shape().rectOutline(body, 0.1 * w, ink.width), ink.line);
  c.fill(Shape().segment({body.x0 + 4, body.y0 + 0.3 * h}, {body.x1 - 4, body.y0 + 0.3 * h},
                         ink.width * 0.8),
         ink.line);
  c.fill(Shape().rect(
             {centre.x - 0.06 * w, body.y0 + 0.24 * h, centre.x + 0.06 * w, body.y0 + 0.4 * h}, 2),
         ink.line);
}

void drawHead(Canvas& c, Point centre, double radius, const Ink& skin, Colour hair, int style) {
  const double r = radius;
  Shape back;
  switch (style % 3) {
    case 0:  // long, falling to the shoulders
      back.rect({centre.x - 1.15 * r, centre.y - 0.4 * r, centre.x + 1.15 * r, centre.y + 1.6 * r},
                0.6 * r);
      break;
    case 1:  // a bob
      back.rect({centre.x - 1.2 * r, centre.y - 0.5 * r, centre.x + 1.2 * r, centre.y + 0.9 * r},
                0.7 * r);
      break;
    default:  // a bun on top
      back.disc({centre.x, centre.y - 1.25 * r}, 0.45 * r);
      break;
  }
  back.disc({centre.x, centre.y - 0.1 * r}, 1.12 * r);
  c.fill(back, hair);
  c.fill(Shape().ellipse({centre.x, centre.y + 0.1 * r}, 0.82 * r, 0.95 * r), skin.fill);
  c.fill(Shape().ellipseRing({centre.x, centre.y + 0.1 * r}, 0.82 * r, 0.95 * r, skin.width * 0.8),
         skin.line);
  // The fringe.
  c.fill(Shape().arc({centre.x + 0.1 * r, centre.y + 0.15 * r}, 0.9 * r, 40, 175, 0.5 * r), hair);
}

void drawSparkle(Canvas& c, Point centre, double size, Colour colour) {
  const double s = size / 2, k = 0.22 * s;
  c.fill(Shape().polygon({{centre.x, centre.y - s},
                          {centre.x + k, centre.y - k},
                          {centre.x + s, centre.y},
                          {centre.x + k, centre.y + k},
                          {centre.x, centre.y + s},
                          {centre.x - k, centre.y + k},
                          {centre.x - s, centre.y},
                          {centre.x - k, centre.y - k}}),
         colour);
}

void drawHeart(Canvas& c, Point centre, double size, Colour colour) {
  const double s = size;
  Shape h;
  h.disc({centre.x - 0.24 * s, centre.y - 0.14 * s}, 0.27 * s);
  h.disc({centre.x + 0.24 * s, centre.y - 0.14 * s}, 0.27 * s);
  h.polygon({{centre.x - 0.49 * s, centre.y - 0.06 * s},
             {centre.x + 0.49 * s, centre.y - 0.06 * s},
             {centre.x, centre.y + 0.46 * s}});
  c.fill(h, colour);
}

void drawCursor(Canvas& c, Point tip, double size, Colour fill, Colour line) {
  const double s = size;
  const std::vector<Point> arrow = {{tip.x, tip.y},
                                    {tip.x, tip.y + 0.95 * s},
                                    {tip.x + 0.24 * s, tip.y + 0.72 * s},
                                    {tip.x + 0.42 * s, tip.y + 1.1 * s},
                                    {tip.x + 0.56 * s, tip.y + 1.03 * s},
                                    {tip.x + 0.38 * s, tip.y + 0.66 * s},
                                    {tip.x + 0.68 * s, tip.y + 0.66 * s}};
  c.fill(Shape().polygon(arrow), fill);
  c.fill(Shape().polyline(arrow, 1.6, true), line);
}

}  // namespace vestora::generate::art
