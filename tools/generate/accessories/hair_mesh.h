// The polygon mesh of a hair style while it is built: sheets of hair given
// as lattices of strands, joined into triangles with texture coordinates,
// and turned into the program's model.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "body/vec.h"
#include "formats/glm_model.h"

namespace vestora::generate::hair {

// A sheet of hair: `columns` strands side by side, each of `rows` points
// from its root (row 0) to its tip. Points are stored strand by strand.
struct Lattice {
  int columns = 0, rows = 0;
  bool closed = false;     // the last strand lies beside the first
  bool poleStart = false;  // every strand starts at the same point (row 0)
  std::vector<Vec3> points;
  // Texture coordinates: u by strand (closed: `uSeam` is the u of the first
  // strand seen from the last), v from `vRoot` at the root to `vTip` at the
  // tip, as fractions of the picture's height from its top.
  std::vector<double> u;
  double uSeam = 0;
  double vRoot = 0, vTip = 1;
  // When given, the v of each row instead (rows that are not evenly spaced).
  std::vector<double> rowV;

  Vec3& at(int column, int row) { return points[std::size_t(column) * rows + row]; }
  const Vec3& at(int column, int row) const { return points[std::size_t(column) * rows + row]; }
};

struct MeshTriangle {
  std::array<int, 3> v{}, t{};  // 0-based vertex and texture-coordinate indices
};

struct MeshGroup {
  std::string name;
  std::vector<MeshTriangle> triangles;
};

class HairMesh {
 public:
  std::vector<Vec3> vertices;
  std::vector<std::array<double, 2>> texcoords;  // (u, v), v from the picture's top
  std::vector<MeshGroup> groups;

  // The group of that name, made when it is missing.
  int group(const std::string& name);
  // Adds a lattice to a group. Triangles face away from `inside(p)`, the
  // point the sheet wraps round near p (the head's centre, a tail's axis).
  void add(int group, const Lattice& lattice, const std::function<Vec3(const Vec3&)>& inside);
  // Exchanges two vertices' numbers (and their texture coordinates).
  void swapVertices(int a, int b);
  int triangleCount() const;

  // The program's model: 1-based arrays, one vertex per point; `flipV`
  // turns v upside down (for pictures stored bottom row first).
  GlmModel toModel(const std::string& modelName, bool flipV) const;
};

// The smallest triangle area and the number of triangles below `minimum`.
struct MeshQuality {
  double smallestArea = 0;
  int degenerate = 0;
  int missingTexcoords = 0;
};
MeshQuality meshQuality(const HairMesh& mesh, double minimum);

// Triangles smaller than this (square units) count as degenerate.
inline constexpr double kSliverArea = 1e-7;
// Removes the triangles whose area is below `minimum`; returns how many.
int dropSlivers(HairMesh& mesh, double minimum);

// `points` resampled to `count` points evenly spaced along its length.
std::vector<Vec3> resampleByLength(const std::vector<Vec3>& points, int count);
double polylineLength(const std::vector<Vec3>& points);

}  // namespace vestora::generate::hair
