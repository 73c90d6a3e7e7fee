#include "artwork/icons.h"

#include <cmath>

namespace vestora::generate::art {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Draws on the 24-unit grid: grid point (12, 12) lands on the centre.
class Grid {
 public:
  Grid(Shape& shape, Point centre, double size, double stroke)
      : shape_(shape), centre_(centre), scale_(size / 24), stroke_(stroke) {}

  Point at(double x, double y) const {
    return {centre_.x + (x - 12) * scale_, centre_.y + (y - 12) * scale_};
  }
  double units(double v) const { return v * scale_; }

  void line(std::initializer_list<Point> points, bool closed = false) {
    std::vector<Point> mapped;
    for (const Point& p : points) mapped.push_back(at(p.x, p.y));
    shape_.polyline(mapped, stroke_, closed);
  }
  void ring(double x, double y, double r) { shape_.ring(at(x, y), units(r), stroke_); }
  void arc(double x, double y, double r, double from, double to) {
    shape_.arc(at(x, y), units(r), from, to, stroke_);
  }
  void disc(double x, double y, double r) { shape_.disc(at(x, y), units(r)); }
  void frame(double x0, double y0, double x1, double y1, double r) {
    const double h = stroke_ / 2;
    const Point a = at(x0, y0), b = at(x1, y1);
    shape_.rectOutline({a.x - h, a.y - h, b.x + h, b.y + h}, units(r) + h, stroke_);
  }
  // An arrow head at the end of an arc, pointing the way the arc runs
  // (counter-clockwise when `ccw`).
  void arcHead(double x, double y, double r, double degrees, bool ccw, double length) {
    const double a = degrees * kPi / 180;
    const Point tipBase = at(x + r * std::cos(a), y - r * std::sin(a));
    // Tangent in screen coordinates (y down).
    double dx = -std::sin(a), dy = -std::cos(a);
    if (!ccw) dx = -dx, dy = -dy;
    const double l = units(length);
    addArrowHead(shape_, {tipBase.x + dx * l * 0.55, tipBase.y + dy * l * 0.55}, dx, dy, l);
  }

 private:
  Shape& shape_;
  Point centre_;
  double scale_, stroke_;
};

}  // namespace

void addArrowHead(Shape& shape, Point tip, double dx, double dy, double length) {
  const double l = std::sqrt(dx * dx + dy * dy);
  if (l <= 0) return;
  dx /= l, dy /= l;
  const double nx = -dy, ny = dx;  // across the arrow
  const Point back{tip.x - dx * length, tip.y - dy * length};
  shape.polygon({tip,
                 {back.x + nx * length * 0.55, back.y + ny * length * 0.55},
                 {back.x - nx * length * 0.55, back.y - ny * length * 0.55}});
}

Shape iconShape(Icon icon, Point centre, double size, double stroke) {
  Shape s;
  Grid g(s, centre, size, stroke);
  switch (icon) {
    case Icon::Hanger:
      g.arc(12, 5.7, 2.5, 270, 560);  // the hook, opening to the left
      g.line({{12, 8.2}, {12, 9.8}});
      g.line({{12, 9.8}, {2.6, 17}, {21.4, 17}}, true);
      break;
    case Icon::Sliders: {
      const double rows[3] = {6, 12, 18}, knobs[3] = {15.5, 8, 13};
      for (int i = 0; i < 3; ++i) {
        const double r = 2.3;
        if (knobs[i] - r > 3.5) g.line({{3, rows[i]}, {knobs[i] - r, rows[i]}});
        if (knobs[i] + r < 20.5) g.line({{knobs[i] + r, rows[i]}, {21, rows[i]}});
        g.ring(knobs[i], rows[i], r);
      }
      break;
    }
    case Icon::Landscape:
      g.frame(2.5, 4, 21.5, 20, 2.5);
      g.line({{3.5, 17.6}, {9, 11.6}, {13.4, 16}, {16.4, 13}, {20.6, 17.2}});
      g.ring(15.8, 8.6, 1.7);
      break;
    case Icon::Cart:
      g.line({{2.2, 4.2}, {5.2, 4.2}, {7.8, 15}, {18.4, 15}, {20.8, 7.6}, {6.1, 7.6}});
      g.disc(9.3, 19.2, 1.6);
      g.disc(16.9, 19.2, 1.6);
      break;
    case Icon::Tag:
      g.line({{3.2, 3.2}, {11.4, 3.2}, {20.9, 12.7}, {12.7, 20.9}, {3.2, 11.4}}, true);
      g.ring(8, 8, 1.6);
      break;
    case Icon::Question:
      g.ring(12, 12, 9.4);
      g.arc(12, 9.4, 2.8, 320, 525);
      g.line({{14.15, 11.2}, {12.2, 12.9}, {12, 14.2}});
      g.disc(12, 17.2, 1.2);
      break;
    case Icon::Storefront:
      g.line({{3, 9.2}, {4.8, 3.8}, {19.2, 3.8}, {21, 9.2}}, true);
      for (double x : {6.0, 12.0, 18.0}) g.arc(x, 9.2, 3, 180, 360);
      g.line({{4.8, 12.2}, {4.8, 20.4}, {19.2, 20.4}, {19.2, 12.2}});
      g.line({{10, 20.4}, {10, 15.4}, {14, 15.4}, {14, 20.4}});
      break;
    case Icon::Home:
      g.line({{2.8, 11.4}, {12, 3.6}, {21.2, 11.4}});
      g.line({{5.8, 9.2}, {5.8, 20.4}, {18.2, 20.4}, {18.2, 9.2}});
      g.line({{10.1, 20.4}, {10.1, 14.6}, {13.9, 14.6}, {13.9, 20.4}});
      break;
    case Icon::Back:
      g.line({{19.5, 12}, {5, 12}});
      g.line({{11, 6}, {5, 12}, {11, 18}});
      break;
    case Icon::Forward:
      g.line({{4.5, 12}, {19, 12}});
      g.line({{13, 6}, {19, 12}, {13, 18}});
      break;
    case Icon::Refresh:
      g.arc(12, 12, 7.6, 80, 380);
      g.arcHead(12, 12, 7.6, 80, false, 5.2);
      break;
    case Icon::Stop:
      g.ring(12, 12, 8.8);
      g.line({{8.8, 8.8}, {15.2, 15.2}});
      g.line({{15.2, 8.8}, {8.8, 15.2}});
      break;
    case Icon::Clock:
      g.ring(12, 12, 8.8);
      g.line({{12, 6.8}, {12, 12}, {15.6, 14}});
      break;
    case Icon::Rotate:
      g.arc(12, 12, 7.8, 120, 410);
      g.arcHead(12, 12, 7.8, 50, true, 5.4);
      break;
    case Icon::ChevronLeft:
      g.line({{14.5, 5.5}, {8, 12}, {14.5, 18.5}});
      break;
    case Icon::ChevronRight:
      g.line({{9.5, 5.5}, {16, 12}, {9.5, 18.5}});
      break;
  }
  return s;
}

}  // namespace vestora::generate::art
