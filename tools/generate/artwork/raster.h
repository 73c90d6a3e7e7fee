// The software rasteriser the UI artwork is drawn with: shapes described by
// their signed distance, filled with coverage taken from that distance
// (anti-aliased edges without supersampling), on an RGB canvas that can also
// keep how much of each pixel was painted (for key-coloured bitmaps and the
// alpha of the application icon). Colours are sRGB, 0 to 255, blended as
// they are stored. Nothing depends on time, threads or chance, so the same
// drawing gives the same pixels on every run.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace vestora::generate::art {

struct Colour {
  double r = 0, g = 0, b = 0;
};

// 0xRRGGBB.
constexpr Colour hex(std::uint32_t rgb) {
  return {double((rgb >> 16) & 0xff), double((rgb >> 8) & 0xff), double(rgb & 0xff)};
}

// a at t = 0, b at t = 1.
Colour mix(Colour a, Colour b, double t);

struct Point {
  double x = 0, y = 0;
};

// Pixel-edge coordinates: pixel (i, j) covers [i, i + 1) × [j, j + 1).
struct Box {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

// A union of primitives, minus a union of holes. Widths and radii are in
// pixels. Angles are in degrees, counter-clockwise as the eye sees it
// (0 = right, 90 = up), and arcs run counter-clockwise from `from` to `to`.
class Shape {
 public:
  Shape& segment(Point a, Point b, double width);  // round caps
  Shape& polyline(const std::vector<Point>& points, double width, bool closed = false);
  // A cubic Bezier curve, stroked.
  Shape& curve(Point a, Point c1, Point c2, Point b, double width);
  Shape& disc(Point centre, double radius);
  Shape& ring(Point centre, double radius, double width);
  Shape& arc(Point centre, double radius, double from, double to, double width);
  Shape& ellipse(Point centre, double rx, double ry);
  Shape& ellipseRing(Point centre, double rx, double ry, double width);
  Shape& rect(Box box, double radius = 0);
  Shape& rectOutline(Box box, double radius, double width);  // the stroke lies inside `box`
  Shape& polygon(const std::vector<Point>& points);          // filled, even-odd
  Shape& shape(const Shape& other);                          // adds other's primitives

  // Keeps only what lies inside `box` (rounded by `radius`).
  Shape& clipTo(Box box, double radius = 0);

  // Takes the next primitives away from the shape instead of adding them,
  // until `add` is called.
  Shape& cut();
  Shape& add();

  // Signed distance: negative inside.
  double distance(Point p) const;
  Box bounds() const;
  bool empty() const { return parts_.empty(); }

 private:
  enum class Kind { Segment, Disc, Arc, Ellipse, Rect, Polygon };
  struct Part {
    Kind kind = Kind::Segment;
    bool hole = false;
    bool outline = false;  // for ellipse and rect: stroke of `width` instead of fill
    Point a, b;            // segment ends; rect corners; ellipse and disc centre in a
    double radius = 0, width = 0, rx = 0, ry = 0, from = 0, to = 0;
    std::vector<Point> points;
    Box bounds;
  };
  void push(Part part);
  static double partDistance(const Part& part, Point p);

  std::vector<Part> parts_;
  bool cutting_ = false;
  bool clipped_ = false;
  Box clip_;
  double clipRadius_ = 0;
};

using Paint = std::function<Colour(double x, double y)>;

class Canvas {
 public:
  Canvas(int width, int height, Colour fill);

  int width() const { return width_; }
  int height() const { return height_; }

  Colour at(int x, int y) const;
  void set(int x, int y, Colour c);
  // Paints `c` over pixel (x, y) with `alpha` (0 to 1); pixels outside are ignored.
  void blend(int x, int y, Colour c, double alpha);

  void fill(const Shape& shape, Colour c, double opacity = 1);
  void fill(const Shape& shape, const Paint& paint, double opacity = 1);
  // Every pixel of the canvas, painted opaquely (not counted as covered).
  void background(const Paint& paint);

  // From now on remember, per pixel, how much of it has been painted over.
  void trackCoverage();
  double coverage(int x, int y) const;

  // The canvas mirrored left to right, coverage included.
  Canvas mirrored() const;

  // width × height pixels, 3 bytes each (R, G, B), top row first.
  std::vector<std::uint8_t> rgb() const;
  // The same, but pixels painted less than `threshold` are exactly `key` and
  // no other pixel is: a painted pixel that rounds to the key is moved one
  // step off it.
  std::vector<std::uint8_t> keyed(Colour key, double threshold) const;
  // 4 bytes a pixel, alpha = coverage.
  std::vector<std::uint8_t> rgba() const;

 private:
  int width_, height_;
  std::vector<Colour> pixels_;
  std::vector<double> coverage_;  // empty until trackCoverage()
};

// Coverage of a pixel whose centre lies at signed distance d from an edge.
inline double coverageAt(double d) {
  return d <= -0.5 ? 1.0 : d >= 0.5 ? 0.0 : 0.5 - d;
}

}  // namespace vestora::generate::art
