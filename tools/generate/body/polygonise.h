// Turns an implicit surface into a closed triangle mesh: marching cubes in
// which each cube's polygons are traced from its faces, every ambiguous face
// decided from that face's own four values, so that neighbouring cubes
// always agree and the mesh has no cracks.
#pragma once

#include <functional>

#include "body/mesh.h"

namespace vestora::generate {

struct GridSpec {
  Vec3 origin;        // first grid point
  double spacing = 1.0;
  int nx = 0, ny = 0, nz = 0;  // grid points along each axis
};

// Samples `field` (negative inside) on the grid and returns the surface.
// The field must be positive on the grid's outer boundary.
Mesh polygonise(const GridSpec& grid, const std::function<double(const Vec3&)>& field);

}  // namespace vestora::generate
