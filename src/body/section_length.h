// Plane sections of the body surface.
//
// SectionLength is the shaping-time primitive: the points where a plane
// cuts a list of triangles, ordered into a chain by nearest neighbour, and
// the length of the chain. sectionLoops is the full measurement's: the
// closed loops in which a plane cuts the body, followed edge by edge, so
// that a section through the chest does not wander into the arms.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "avatar/avatar.h"

namespace vestora {

struct Vec3f {
  float x = 0, y = 0, z = 0;
};

// A point of a section: position and the triangle that produced it.
struct SectionPoint {
  float x = 0, y = 0, z = 0;
  std::int32_t triangle = -1;
};

struct SectionWindow {
  float xmin, xmax, ymin, ymax;
};

// A region triangle's corners (positions only).
using TriangleCorners = std::array<Vec3f, 3>;

// The plane through `point` with normal `normal` cuts the candidate
// triangles (whose corner-range midpoints lie strictly inside the window);
// the cut points, without duplicates, sorted by x and chained by nearest
// neighbour, go to `out`. Returns the chain's length (model units); with
// `closed` the segment from the last point back to the first counts too.
float SectionLength(const Vec3f& point, Vec3f normal, const SectionWindow& window,
                    std::span<const TriangleCorners> triangles, std::vector<SectionPoint>& out,
                    bool closed);

// The same over the whole body's triangles, cutting each mesh edge once
// however many triangles share it.
float SectionLength(const Vec3f& point, Vec3f normal, const SectionWindow& window,
                    const Avatar& avatar, std::vector<SectionPoint>& out, bool closed);

// The convex hull of points in a plane, counter-clockwise, without
// collinear points (monotone chain); fewer than three points come back as
// they are, sorted.
std::vector<std::array<float, 2>> convexHull(std::vector<std::array<float, 2>> points);

// A closed loop of a section, its points in order round the loop.
struct SectionLoop {
  std::vector<Vec3f> points;
  float length() const;
  // Perimeter of the loop's convex hull within the plane: what a tape laid
  // round the loop measures, bridging every hollow.
  float tapeLength(const Vec3f& normal) const;
  bool encloses(const Vec3f& p, const Vec3f& normal) const;
};

// The body's triangles in bands by the bottom of their height range, for
// cutting many level planes through one shape of the body (it holds the
// shape it was built on: build it again after the body changes).
class LevelIndex {
 public:
  explicit LevelIndex(const Avatar& avatar);
  // Triangle numbers (0-based, ascending) that include every triangle whose
  // height range holds y, and few others.
  void trianglesAt(float y, std::vector<std::int32_t>& out) const;

 private:
  std::size_t bandAt(float y) const;

  std::size_t count_ = 0;            // triangles
  float bottom_ = 0, band_ = 1;      // the lowest bottom; the bands' height
  float tallest_ = 0;                // the largest height range
  std::vector<std::size_t> first_;   // per band, its first place in order_; one more at the end
  std::vector<std::int32_t> order_;  // triangle numbers by band, ascending within each
};

// Every loop in which the plane cuts the body surface. A level plane cut
// with an index of the body as it is gives the same loops, sooner.
std::vector<SectionLoop> sectionLoops(const Avatar& avatar, const Vec3f& point, const Vec3f& normal,
                                      const LevelIndex* index = nullptr);

// The smallest loop that encloses `inside` (projected onto the plane);
// empty when none does.
SectionLoop loopAround(const Avatar& avatar, const Vec3f& point, const Vec3f& normal,
                       const Vec3f& inside, const LevelIndex* index = nullptr);

}  // namespace vestora
