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

// A closed loop of a section, its points in order round the loop.
struct SectionLoop {
  std::vector<Vec3f> points;
  float length() const;
  // Perimeter of the loop's convex hull within the plane: what a tape laid
  // round the loop measures, bridging every hollow.
  float tapeLength(const Vec3f& normal) const;
  bool encloses(const Vec3f& p, const Vec3f& normal) const;
};

// Every loop in which the plane cuts the body surface.
std::vector<SectionLoop> sectionLoops(const Avatar& avatar, const Vec3f& point, const Vec3f& normal);

// The smallest loop that encloses `inside` (projected onto the plane);
// empty when none does.
SectionLoop loopAround(const Avatar& avatar, const Vec3f& point, const Vec3f& normal, const Vec3f& inside);

}  // namespace vestora
