#include "artwork/raster.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace vestora::generate::art {

namespace {

constexpr double kFar = std::numeric_limits<double>::max() / 4;
constexpr double kPi = 3.14159265358979323846;

double length(double x, double y) {
  return std::sqrt(x * x + y * y);
}

Box inflate(Box b, double by) {
  return {b.x0 - by, b.y0 - by, b.x1 + by, b.y1 + by};
}

bool inside(Box b, Point p) {
  return p.x >= b.x0 && p.x <= b.x1 && p.y >= b.y0 && p.y <= b.y1;
}

double segmentDistance(Point p, Point a, Point b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double ll = dx * dx + dy * dy;
  const double t = ll > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / ll, 0.0, 1.0) : 0;
  return length(a.x + t * dx - p.x, a.y + t * dy - p.y);
}

double roundedBoxDistance(Point p, Box box, double radius) {
  const double cx = (box.x0 + box.x1) / 2, cy = (box.y0 + box.y1) / 2;
  const double hx = (box.x1 - box.x0) / 2, hy = (box.y1 - box.y0) / 2;
  const double r = std::clamp(radius, 0.0, std::min(hx, hy));
  const double qx = std::abs(p.x - cx) - (hx - r), qy = std::abs(p.y - cy) - (hy - r);
  return length(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) - r;
}

// Approximate signed distance to an ellipse, exact on its axes and close to
// it everywhere near its outline, which is all the coverage needs.
double ellipseDistance(Point p, Point c, double rx, double ry) {
  const double x = p.x - c.x, y = p.y - c.y;
  const double k0 = length(x / rx, y / ry);
  const double k1 = length(x / (rx * rx), y / (ry * ry));
  if (k1 <= 0) return -std::min(rx, ry);
  return k0 * (k0 - 1) / k1;
}

double polygonDistance(Point p, const std::vector<Point>& v) {
  double d = kFar;
  bool in = false;
  for (std::size_t i = 0, j = v.size() - 1; i < v.size(); j = i++) {
    d = std::min(d, segmentDistance(p, v[j], v[i]));
    if ((v[i].y > p.y) != (v[j].y > p.y) &&
        p.x < (v[j].x - v[i].x) * (p.y - v[i].y) / (v[j].y - v[i].y) + v[i].x)
      in = !in;
  }
  return in ? -d : d;
}

// Degrees in [0, 360).
double angleOf(Point p, Point c) {
  double a = std::atan2(-(p.y - c.y), p.x - c.x) * 180 / kPi;
  if (a < 0) a += 360;
  return a;
}

Point onCircle(Point c, double r, double degrees) {
  const double a = degrees * kPi / 180;
  return {c.x + r * std::cos(a), c.y - r * std::sin(a)};
}

}  // namespace

Colour mix(Colour a, Colour b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

void Shape::push(Part part) {
  part.hole = cutting_;
  parts_.push_back(std::move(part));
}

Shape& Shape::cut() {
  cutting_ = true;
  return *this;
}

Shape& Shape::add() {
  cutting_ = false;
  return *this;
}

Shape& Shape::clipTo(Box box, double radius) {
  clipped_ = true;
  clip_ = box;
  clipRadius_ = radius;
  return *this;
}

Shape& Shape::segment(Point a, Point b, double width) {
  Part part;
  part.kind = Kind::Segment;
  part.a = a;
  part.b = b;
  part.width = width;
  part.bounds = inflate(
      {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)}, width / 2);
  push(std::move(part));
  return *this;
}

Shape& Shape::polyline(const std::vector<Point>& points, double width, bool closed) {
  for (std::size_t i = 1; i < points.size(); ++i) segment(points[i - 1], points[i], width);
  if (closed && points.size() > 2) segment(points.back(), points.front(), width);
  return *this;
}

Shape& Shape::curve(Point a, Point c1, Point c2, Point b, double width) {
  constexpr int kSteps = 24;
  std::vector<Point> points;
  for (int i = 0; i <= kSteps; ++i) {
    const double t = double(i) / kSteps, u = 1 - t;
    const double w0 = u * u * u, w1 = 3 * u * u * t, w2 = 3 * u * t * t, w3 = t * t * t;
    points.push_back(
        {w0 * a.x + w1 * c1.x + w2 * c2.x + w3 * b.x, w0 * a.y + w1 * c1.y + w2 * c2.y + w3 * b.y});
  }
  return polyline(points, width);
}

Shape& Shape::disc(Point centre, double radius) {
  Part part;
  part.kind = Kind::Disc;
  part.a = centre;
  part.radius = radius;
  part.bounds = {centre.x - radius, centre.y - radius, centre.x + radius, centre.y + radius};
  push(std::move(part));
  return *this;
}

Shape& Shape::ring(Point centre, double radius, double width) {
  return arc(centre, radius, 0, 360, width);
}

Shape& Shape::arc(Point centre, double radius, double from, double to, double width) {
  Part part;
  part.kind = Kind::Arc;
  part.a = centre;
  part.radius = radius;
  part.width = width;
  part.from = std::fmod(std::fmod(from, 360) + 360, 360);
  part.to = part.from + std::clamp(to - from, 0.0, 360.0);
  const double r = radius + width / 2;
  part.bounds = {centre.x - r, centre.y - r, centre.x + r, centre.y + r};
  push(std::move(part));
  return *this;
}

Shape& Shape::ellipse(Point centre, double rx, double ry) {
  Part part;
  part.kind = Kind::Ellipse;
  part.a = centre;
  part.rx = rx;
  part.ry = ry;
  part.bounds = {centre.x - rx, centre.y - ry, centre.x + rx, centre.y + ry};
  push(std::move(part));
  return *this;
}

Shape& Shape::ellipseRing(Point centre, double rx, double ry, double width) {
  ellipse(centre, rx, ry);
  parts_.back().outline = true;
  parts_.back().width = width;
  parts_.back().bounds = inflate(parts_.back().bounds, width / 2);
  return *this;
}

Shape& Shape::rect(Box box, double radius) {
  Part part;
  part.kind = Kind::Rect;
  part.a = {box.x0, box.y0};
  part.b = {box.x1, box.y1};
  part.radius = radius;
  part.bounds = box;
  push(std::move(part));
  return *this;
}

Shape& Shape::rectOutline(Box box, double radius, double width) {
  rect(box, radius);
  parts_.back().outline = true;
  parts_.back().width = width;
  return *this;
}

Shape& Shape::polygon(const std::vector<Point>& points) {
  if (points.size() < 3) throw std::invalid_argument("Shape::polygon: fewer than 3 points");
  Part part;
  part.kind = Kind::Polygon;
  part.points = points;
  Box b{kFar, kFar, -kFar, -kFar};
  for (const Point& p : points) {
    b.x0 = std::min(b.x0, p.x);
    b.y0 = std::min(b.y0, p.y);
    b.x1 = std::max(b.x1, p.x);
    b.y1 = std::max(b.y1, p.y);
  }
  part.bounds = b;
  push(std::move(part));
  return *this;
}

Shape& Shape::shape(const Shape& other) {
  for (const Part& part : other.parts_) {
    Part copy = part;
    copy.hole = part.hole != cutting_;
    parts_.push_back(std::move(copy));
  }
  return *this;
}

double Shape::partDistance(const Part& part, Point p) {
  switch (part.kind) {
    case Kind::Segment:
      return segmentDistance(p, part.a, part.b) - part.width / 2;
    case Kind::Disc:
      return length(p.x - part.a.x, p.y - part.a.y) - part.radius;
    case Kind::Arc: {
      const double span = part.to - part.from;
      double rel = angleOf(p, part.a) - part.from;
      if (rel < 0) rel += 360;
      if (span >= 360 || rel <= span)
        return std::abs(length(p.x - part.a.x, p.y - part.a.y) - part.radius) - part.width / 2;
      const Point e0 = onCircle(part.a, part.radius, part.from);
      const Point e1 = onCircle(part.a, part.radius, part.to);
      return std::min(length(p.x - e0.x, p.y - e0.y), length(p.x - e1.x, p.y - e1.y)) -
             part.width / 2;
    }
    case Kind::Ellipse: {
      const double d = ellipseDistance(p, part.a, part.rx, part.ry);
      return part.outline ? std::abs(d) - part.width / 2 : d;
    }
    case Kind::Rect: {
      const Box box{part.a.x, part.a.y, part.b.x, part.b.y};
      const double outer = roundedBoxDistance(p, box, part.radius);
      if (!part.outline) return outer;
      const double w = part.width;
      const Box in{box.x0 + w, box.y0 + w, box.x1 - w, box.y1 - w};
      if (in.x1 <= in.x0 || in.y1 <= in.y0) return outer;
      return std::max(outer, -roundedBoxDistance(p, in, std::max(part.radius - w, 0.0)));
    }
    case Kind::Polygon:
      return polygonDistance(p, part.points);
  }
  return kFar;
}

double Shape::distance(Point p) const {
  double solid = kFar, hole = kFar;
  for (const Part& part : parts_) {
    // Farther than a pixel from a part's bounds its exact distance does not
    // change any coverage.
    if (!inside(inflate(part.bounds, 1.5), p)) continue;
    const double d = partDistance(part, p);
    if (part.hole) {
      hole = std::min(hole, d);
    } else {
      solid = std::min(solid, d);
    }
  }
  const double d = std::max(solid, -hole);
  return clipped_ ? std::max(d, roundedBoxDistance(p, clip_, clipRadius_)) : d;
}

Box Shape::bounds() const {
  Box b{kFar, kFar, -kFar, -kFar};
  for (const Part& part : parts_) {
    if (part.hole) continue;
    b.x0 = std::min(b.x0, part.bounds.x0);
    b.y0 = std::min(b.y0, part.bounds.y0);
    b.x1 = std::max(b.x1, part.bounds.x1);
    b.y1 = std::max(b.y1, part.bounds.y1);
  }
  if (clipped_) {
    b.x0 = std::max(b.x0, clip_.x0);
    b.y0 = std::max(b.y0, clip_.y0);
    b.x1 = std::min(b.x1, clip_.x1);
    b.y1 = std::min(b.y1, clip_.y1);
  }
  return b;
}

Canvas::Canvas(int width, int height, Colour fill)
    : width_(width), height_(height), pixels_(std::size_t(width) * height, fill) {
  if (width < 1 || height < 1 || width > 8192 || height > 8192)
    throw std::invalid_argument("Canvas: size outside 1 to 8192");
}

Colour Canvas::at(int x, int y) const {
  return pixels_[std::size_t(y) * width_ + x];
}

void Canvas::set(int x, int y, Colour c) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  pixels_[std::size_t(y) * width_ + x] = c;
}

void Canvas::blend(int x, int y, Colour c, double alpha) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || alpha <= 0) return;
  alpha = std::min(alpha, 1.0);
  const std::size_t i = std::size_t(y) * width_ + x;
  pixels_[i] = mix(pixels_[i], c, alpha);
  if (!coverage_.empty()) coverage_[i] += alpha * (1 - coverage_[i]);
}

void Canvas::fill(const Shape& shape, Colour c, double opacity) {
  fill(
      shape, [c](double, double) { return c; }, opacity);
}

void Canvas::fill(const Shape& shape, const Paint& paint, double opacity) {
  if (shape.empty()) return;
  const Box b = shape.bounds();
  const int x0 = std::max(0, static_cast<int>(std::floor(b.x0 - 1)));
  const int y0 = std::max(0, static_cast<int>(std::floor(b.y0 - 1)));
  const int x1 = std::min(width_ - 1, static_cast<int>(std::ceil(b.x1 + 1)));
  const int y1 = std::min(height_ - 1, static_cast<int>(std::ceil(b.y1 + 1)));
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      const Point centre{x + 0.5, y + 0.5};
      const double a = coverageAt(shape.distance(centre)) * opacity;
      if (a > 0) blend(x, y, paint(centre.x, centre.y), a);
    }
}

void Canvas::background(const Paint& paint) {
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) pixels_[std::size_t(y) * width_ + x] = paint(x + 0.5, y + 0.5);
}

void Canvas::trackCoverage() {
  if (coverage_.empty()) coverage_.assign(pixels_.size(), 0.0);
}

double Canvas::coverage(int x, int y) const {
  return coverage_.empty() ? 1.0 : coverage_[std::size_t(y) * width_ + x];
}

Canvas Canvas::mirrored() const {
  Canvas out(*this);
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) {
      const std::size_t from = std::size_t(y) * width_ + (width_ - 1 - x);
      const std::size_t to = std::size_t(y) * width_ + x;
      out.pixels_[to] = pixels_[from];
      if (!coverage_.empty()) out.coverage_[to] = coverage_[from];
    }
  return out;
}

namespace {

std::uint8_t byte(double v) {
  return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

}  // namespace

std::vector<std::uint8_t> Canvas::rgb() const {
  std::vector<std::uint8_t> out;
  out.reserve(3 * pixels_.size());
  for (const Colour& c : pixels_) {
    out.push_back(byte(c.r));
    out.push_back(byte(c.g));
    out.push_back(byte(c.b));
  }
  return out;
}

std::vector<std::uint8_t> Canvas::keyed(Colour key, double threshold) const {
  const std::uint8_t kr = byte(key.r), kg = byte(key.g), kb = byte(key.b);
  std::vector<std::uint8_t> out = rgb();
  for (std::size_t i = 0; i < pixels_.size(); ++i) {
    std::uint8_t* p = &out[3 * i];
    if (coverage_.empty() || coverage_[i] >= threshold) {
      if (p[0] == kr && p[1] == kg && p[2] == kb) p[1] = kg < 128 ? kg + 1 : kg - 1;
    } else {
      p[0] = kr;
      p[1] = kg;
      p[2] = kb;
    }
  }
  return out;
}

std::vector<std::uint8_t> Canvas::rgba() const {
  std::vector<std::uint8_t> out;
  out.reserve(4 * pixels_.size());
  for (std::size_t i = 0; i < pixels_.size(); ++i) {
    out.push_back(byte(pixels_[i].r));
    out.push_back(byte(pixels_[i].g));
    out.push_back(byte(pixels_[i].b));
    out.push_back(byte(255 * (coverage_.empty() ? 1.0 : coverage_[i])));
  }
  return out;
}

}  // namespace vestora::generate::art
