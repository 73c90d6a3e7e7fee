// The polygon mesh of a scene environment while it is built: positions and
// normals shared between neighbouring triangles, texture coordinates given
// per corner, so that a surface can repeat its picture tile by tile (every
// tile spans the picture from 0 to 1) without a crease in its shading.
//
// Positions are in world units (1 unit = 10 cm, the floor at y = −8.8);
// texture coordinates have v measured from the top row of the picture.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "body/vec.h"
#include "formats/glm_model.h"

namespace vestora::generate::scenes {

struct SceneCorner {
  int vertex = 0, normal = 0;  // 0-based
  double u = 0, v = 0;
};

struct SceneTriangle {
  std::array<SceneCorner, 3> corners;
};

struct SceneGroup {
  std::string name;  // with the leading blank of the model format: " lou"
  std::vector<SceneTriangle> triangles;
};

class SceneMesh {
 public:
  std::vector<Vec3> vertices;
  std::vector<Vec3> normals;
  std::vector<SceneGroup> groups;

  int addVertex(const Vec3& p);
  int addNormal(const Vec3& n);  // normalised here
  // The group of that name, made when missing.
  int group(const std::string& name);
  void add(int group, const SceneCorner& a, const SceneCorner& b, const SceneCorner& c);
  // A quad a-b-c-d, counter-clockwise seen from the side it faces.
  void addQuad(int group, const SceneCorner& a, const SceneCorner& b, const SceneCorner& c,
               const SceneCorner& d);

  // A grid of rows × columns points (`point(r, c)` with normal
  // `normal(r, c)`), cut into tiles of `tileRows` × `tileColumns` cells that
  // each span the picture region [u0, u1] × [v0, v1]; the last tile of a row
  // or column may be cut short. Rows run along the surface's first
  // direction and columns along its second, (row step) × (column step)
  // facing the front side.
  struct Region {
    double u0 = 0, v0 = 0, u1 = 1, v1 = 1;
  };
  template <typename Point, typename Normal>
  void addGrid(int group, int rows, int columns, Point&& point, Normal&& normal, int tileRows,
               int tileColumns, const Region& region);
  // A box (axis-aligned, outward-facing), every face spanning `region`.
  void addBox(int group, const Vec3& lo, const Vec3& hi, const Region& region);

  int triangleCount() const;

  // The stored model: every position taken to (p − shift) / scale (the
  // program's placement brings it back as scale · stored + shift), one
  // material per group, groups in the order made, texture coordinates with
  // v from the bottom of the picture.
  GlmModel toModel(const std::string& modelName, double scale, const Vec3& shift) const;
};

template <typename Point, typename Normal>
void SceneMesh::addGrid(int g, int rows, int columns, Point&& point, Normal&& normal, int tileRows,
                        int tileColumns, const Region& region) {
  std::vector<int> v(std::size_t(rows) * std::size_t(columns)),
      n(std::size_t(rows) * std::size_t(columns));
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < columns; ++c) {
      v[std::size_t(r * columns + c)] = addVertex(point(r, c));
      n[std::size_t(r * columns + c)] = addNormal(normal(r, c));
    }
  auto corner = [&](int r, int c, int tileR, int tileC) {
    const double fu = double(c - tileC * tileColumns) / tileColumns;
    const double fv = double(r - tileR * tileRows) / tileRows;
    return SceneCorner{v[std::size_t(r * columns + c)], n[std::size_t(r * columns + c)],
                       region.u0 + (region.u1 - region.u0) * fu,
                       region.v0 + (region.v1 - region.v0) * fv};
  };
  for (int r = 0; r + 1 < rows; ++r)
    for (int c = 0; c + 1 < columns; ++c) {
      const int tr = r / tileRows, tc = c / tileColumns;
      addQuad(g, corner(r, c, tr, tc), corner(r + 1, c, tr, tc), corner(r + 1, c + 1, tr, tc),
              corner(r, c + 1, tr, tc));
    }
}

}  // namespace vestora::generate::scenes
