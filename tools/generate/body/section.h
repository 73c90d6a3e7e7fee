// Exact plane sections of a closed triangle mesh: the loops in which a plane
// cuts the surface, their lengths and the length a tape would lie along.
// The content generator records its bodies' intended dimensions with these.
#pragma once

#include <vector>

#include "body/mesh.h"

namespace vestora::generate {

struct SectionLoop {
  std::vector<Vec3> points;  // in order round the loop
  double length() const;
  // Perimeter of the convex hull of the loop, measured in the plane: a tape
  // bridges every hollow.
  double tapeLength(const Vec3& planeNormal) const;
  // Whether `p` (projected onto the plane) lies inside the loop.
  bool encloses(const Vec3& p, const Vec3& planeNormal) const;
};

// All loops of the section through `point` with normal `normal`.
std::vector<SectionLoop> sectionLoops(const Mesh& mesh, const Vec3& point, const Vec3& normal);

// The loop that encloses `inside`; nullptr-like empty loop when none does.
SectionLoop loopAround(const Mesh& mesh, const Vec3& point, const Vec3& normal, const Vec3& inside);

}  // namespace vestora::generate
