// Triangle meshes as the content generator builds them: 0-based vertices,
// counter-clockwise triangles seen from outside.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "body/vec.h"

namespace vestora::generate {

using Triangle = std::array<int, 3>;

struct Mesh {
  std::vector<Vec3> positions;
  std::vector<Triangle> triangles;

  // Appends `other`, renumbering its vertices.
  void append(const Mesh& other);
};

// Vertex → the vertices it shares an edge with (sorted, unique).
std::vector<std::vector<int>> vertexRings(const Mesh& mesh);
// Vertex → the triangles that use it.
std::vector<std::vector<int>> vertexTriangles(const Mesh& mesh);

std::vector<Vec3> vertexNormals(const Mesh& mesh);
Vec3 triangleNormal(const Mesh& mesh, int t);  // not normalised: length = 2 × area
double triangleArea(const Mesh& mesh, int t);
// Smallest interior angle of a triangle, in degrees.
double minimumAngle(const Mesh& mesh, int t);

struct MeshCheck {
  int boundaryEdges = 0;        // edges with one triangle
  int overusedEdges = 0;        // edges with three or more
  int misorientedEdges = 0;     // edges whose two triangles run the same way
  int degenerateTriangles = 0;  // area below the limit or a repeated corner
  int components = 0;
  bool closedManifold() const {
    return boundaryEdges == 0 && overusedEdges == 0 && misorientedEdges == 0;
  }
  std::string summary() const;
};
MeshCheck checkMesh(const Mesh& mesh, double minArea = 1e-6);

// Keeps the largest connected component; returns how many triangles went.
int keepLargestComponent(Mesh& mesh);

// Makes neighbouring triangles agree in orientation (flipping where they do
// not), then turns every component outwards (positive enclosed volume).
// Returns the number of triangles flipped.
int orientConsistently(Mesh& mesh);

// Removes unused vertices (renumbering the triangles).
void compactVertices(Mesh& mesh);

// Taubin λ|μ smoothing with the uniform Laplacian.
void taubinSmooth(Mesh& mesh, int rounds, double lambda = 0.5, double mu = -0.53);

// Moves every vertex towards the area-weighted centroid of its ring, within
// its tangent plane, then onto the surface with `project`. Evens out the
// triangles without changing the shape.
// With `only` given, just the vertices marked there move, towards the plain
// average of their ring (which keeps a graded mesh graded).
void relaxTangentially(Mesh& mesh, int rounds, const std::function<Vec3(int, const Vec3&)>& project,
                       double step = 0.5, const std::vector<char>* only = nullptr);

// Splits every triangle whose centroid `inRegion` accepts into four, and
// its neighbours as needed to keep the mesh conforming. Returns, per
// vertex, whether it lies in the refined region (new vertices included).
std::vector<char> refineRegion(Mesh& mesh, const std::function<bool(const Vec3&)>& inRegion);

// Flips edges where that raises the smaller of the two triangles' minimum
// angles and keeps the surface manifold and nearly flat (dihedral below
// `maxDihedralDegrees`). Returns the number of flips.
int improveByFlips(Mesh& mesh, int rounds, double maxDihedralDegrees = 20.0);

}  // namespace vestora::generate
