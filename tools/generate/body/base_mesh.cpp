#include "body/base_mesh.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "body/polygonise.h"

namespace vestora::generate {

Mesh buildBaseMesh(const FigureShape& figure, double spacing, BaseMeshReport* report) {
  const BodyField field = buildField(figure);
  Vec3 lo, hi;
  field.bounds(lo, hi);
  lo.y = std::max(lo.y, -1.0);
  GridSpec grid;
  grid.spacing = spacing;
  // Whole cells round the bounds, with a margin so that the grid's edge is outside.
  grid.origin = {std::floor(lo.x / spacing - 2) * spacing, std::floor(lo.y / spacing - 2) * spacing,
                 std::floor(lo.z / spacing - 2) * spacing};
  grid.nx = int(std::ceil((hi.x - grid.origin.x) / spacing)) + 3;
  grid.ny = int(std::ceil((hi.y - grid.origin.y) / spacing)) + 3;
  grid.nz = int(std::ceil((hi.z - grid.origin.z) / spacing)) + 3;
  // The grid is offset by a fraction of a cell so that the symmetry plane
  // x = 0 holds no grid points: left and right come out alike.
  grid.origin.x += spacing * 0.5 - std::fmod(grid.origin.x, spacing) - spacing;

  Mesh mesh = polygonise(grid, [&](const Vec3& p) { return field.value(p); });
  BaseMeshReport r;
  r.droppedTriangles = keepLargestComponent(mesh);
  if (std::getenv("VESTORA_GENERATE_DEBUG"))
    std::fprintf(stderr, "polygonised: %zu vertices, %s\n", mesh.positions.size(), checkMesh(mesh).summary().c_str());

  auto onSurface = [&](int, const Vec3& p) { return field.project(p); };
  taubinSmooth(mesh, 6);
  for (Vec3& p : mesh.positions) p = field.project(p);
  relaxTangentially(mesh, 8, onSurface);
  if (std::getenv("VESTORA_GENERATE_DEBUG"))
    std::fprintf(stderr, "relaxed: %s\n", checkMesh(mesh).summary().c_str());
  r.flips = improveByFlips(mesh, 6);
  if (std::getenv("VESTORA_GENERATE_DEBUG"))
    std::fprintf(stderr, "flipped: %s\n", checkMesh(mesh).summary().c_str());
  relaxTangentially(mesh, 8, onSurface);
  r.flips += improveByFlips(mesh, 3);
  relaxTangentially(mesh, 4, onSurface);

  // The face gets twice the resolution: its features are small.
  if (figure.faceRefinement) {
    const Vec3 top = figure.headTop;
    const double hh = figure.head.headHeight;
    const std::vector<char> face = refineRegion(mesh, [&](const Vec3& c) {
      return c.y > top.y - hh * 1.02 && c.y < top.y - hh * 0.2 && c.z > top.z + hh * 0.02;
    });
    for (std::size_t v = 0; v < mesh.positions.size(); ++v)
      if (face[v]) mesh.positions[v] = field.project(mesh.positions[v]);
    relaxTangentially(mesh, 6, onSurface, 0.5, &face);
    r.flips += improveByFlips(mesh, 3);
    relaxTangentially(mesh, 3, onSurface, 0.5, &face);
  }

  // A vertex that the flips left without a triangle is dropped: every
  // vertex of a body lies on its surface.
  compactVertices(mesh);
  r.check = checkMesh(mesh);
  r.minAngle = 180;
  for (int t = 0; t < int(mesh.triangles.size()); ++t) r.minAngle = std::min(r.minAngle, minimumAngle(mesh, t));
  double total = 0;
  for (const Triangle& t : mesh.triangles)
    for (int c = 0; c < 3; ++c) total += length(mesh.positions[t[c]] - mesh.positions[t[(c + 1) % 3]]);
  r.meanEdge = total / (3.0 * std::max<std::size_t>(1, mesh.triangles.size()));
  if (report) *report = r;
  return mesh;
}

}  // namespace vestora::generate
