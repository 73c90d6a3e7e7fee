#include "accessories/hair_mesh.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace vestora::generate::hair {

int HairMesh::group(const std::string& name) {
  for (std::size_t i = 0; i < groups.size(); ++i)
    if (groups[i].name == name) return int(i);
  groups.push_back({name, {}});
  return int(groups.size()) - 1;
}

void HairMesh::add(int groupIndex, const Lattice& l,
                   const std::function<Vec3(const Vec3&)>& inside) {
  if (l.columns < 2 || l.rows < 2 || l.points.size() != std::size_t(l.columns) * l.rows ||
      l.u.size() != std::size_t(l.columns))
    throw std::invalid_argument("hair: a lattice of the wrong size");
  const int firstTexcoord = int(texcoords.size());
  // Vertices: one per point; a pole start shares one vertex.
  std::vector<int> index(l.points.size());
  int pole = -1;
  for (int c = 0; c < l.columns; ++c)
    for (int r = 0; r < l.rows; ++r) {
      const std::size_t i = std::size_t(c) * l.rows + r;
      if (l.poleStart && r == 0) {
        if (pole < 0) {
          pole = int(vertices.size());
          vertices.push_back(l.points[i]);
        }
        index[i] = pole;
      } else {
        index[i] = int(vertices.size());
        vertices.push_back(l.points[i]);
      }
    }
  // Texture coordinates: one per point, and a column more for the seam.
  auto vOf = [&](int r) {
    return l.rowV.size() == std::size_t(l.rows) ? l.rowV[std::size_t(r)]
                                                : l.vRoot + (l.vTip - l.vRoot) * r / (l.rows - 1);
  };
  for (int c = 0; c < l.columns; ++c)
    for (int r = 0; r < l.rows; ++r) texcoords.push_back({l.u[std::size_t(c)], vOf(r)});
  if (l.closed)
    for (int r = 0; r < l.rows; ++r) texcoords.push_back({l.uSeam, vOf(r)});
  auto tex = [&](int c, int r, bool seam) {
    return seam ? firstTexcoord + l.columns * l.rows + r : firstTexcoord + c * l.rows + r;
  };

  // Which way the sheet faces: by the majority of its quads.
  double facing = 0;
  const int spans = l.closed ? l.columns : l.columns - 1;
  for (int c = 0; c < spans; ++c) {
    const int d = (c + 1) % l.columns;
    for (int r = 0; r + 1 < l.rows; ++r) {
      const Vec3 a = l.at(c, r + 1), b = l.at(d, r + 1), e = l.at(c, r);
      const Vec3 n = cross(b - a, e - a);
      const Vec3 mid = (a + b + e) / 3.0;
      facing += dot(n, mid - inside(mid)) > 0 ? 1 : -1;
    }
  }
  const bool flip = facing < 0;
  MeshGroup& g = groups[std::size_t(groupIndex)];
  auto emit = [&](std::array<int, 3> v, std::array<int, 3> t) {
    if (v[0] == v[1] || v[1] == v[2] || v[0] == v[2]) return;
    if (flip) std::swap(v[1], v[2]), std::swap(t[1], t[2]);
    g.triangles.push_back({v, t});
  };
  for (int c = 0; c < spans; ++c) {
    const int d = (c + 1) % l.columns;
    const bool seam = l.closed && d == 0;
    for (int r = 0; r + 1 < l.rows; ++r) {
      const int a = index[std::size_t(c) * l.rows + r], b = index[std::size_t(d) * l.rows + r];
      const int e = index[std::size_t(c) * l.rows + r + 1],
                f = index[std::size_t(d) * l.rows + r + 1];
      const int ta = tex(c, r, false), tb = tex(d, r, seam), te = tex(c, r + 1, false),
                tf = tex(d, r + 1, seam);
      // Split along the shorter diagonal.
      const double ad = length(vertices[std::size_t(a)] - vertices[std::size_t(f)]);
      const double be = length(vertices[std::size_t(b)] - vertices[std::size_t(e)]);
      if (a == b || ad <= be) {
        emit({e, f, a}, {te, tf, ta});
        emit({f, b, a}, {tf, tb, ta});
      } else {
        emit({e, f, b}, {te, tf, tb});
        emit({e, b, a}, {te, tb, ta});
      }
    }
  }
}

void HairMesh::swapVertices(int a, int b) {
  if (a == b) return;
  std::swap(vertices[std::size_t(a)], vertices[std::size_t(b)]);
  for (MeshGroup& g : groups)
    for (MeshTriangle& t : g.triangles)
      for (int& v : t.v) v = v == a ? b : v == b ? a : v;
}

int HairMesh::triangleCount() const {
  int n = 0;
  for (const MeshGroup& g : groups) n += int(g.triangles.size());
  return n;
}

GlmModel HairMesh::toModel(const std::string& modelName, bool flipV) const {
  GlmModel m;
  m.modelName = modelName;
  m.setVertexCount(std::uint32_t(vertices.size()));
  for (std::size_t i = 0; i < vertices.size(); ++i)
    for (int k = 0; k < 3; ++k) m.vertices[3 * (i + 1) + k] = float(vertices[i][k]);
  m.setTexcoordCount(std::uint32_t(texcoords.size()));
  for (std::size_t i = 0; i < texcoords.size(); ++i) {
    m.texcoords[2 * (i + 1)] = float(texcoords[i][0]);
    m.texcoords[2 * (i + 1) + 1] = float(flipV ? 1 - texcoords[i][1] : texcoords[i][1]);
  }
  m.normals.clear();
  // The groups in the order they were made: the file keeps the newest first.
  for (const MeshGroup& g : groups) {
    GlmGroup& out = glmAddGroup(m, g.name);
    for (const MeshTriangle& t : g.triangles) {
      GlmTriangle tri;
      for (int k = 0; k < 3; ++k) {
        tri.vindices[k] = std::uint32_t(t.v[k] + 1);
        tri.tindices[k] = std::uint32_t(t.t[k] + 1);
      }
      out.triangles.push_back(m.triangleCount());
      out.triangleCopies.push_back(tri);
      m.triangles.push_back(tri);
    }
  }
  return m;
}

int dropSlivers(HairMesh& mesh, double minimum) {
  int dropped = 0;
  for (MeshGroup& g : mesh.groups)
    dropped += static_cast<int>(std::erase_if(g.triangles, [&](const MeshTriangle& t) {
      const Vec3 a = mesh.vertices[std::size_t(t.v[0])], b = mesh.vertices[std::size_t(t.v[1])],
                 c = mesh.vertices[std::size_t(t.v[2])];
      return !(length(cross(b - a, c - a)) / 2 >= minimum);
    }));
  return dropped;
}

MeshQuality meshQuality(const HairMesh& mesh, double minimum) {
  MeshQuality q;
  q.smallestArea = 1e30;
  for (const MeshGroup& g : mesh.groups)
    for (const MeshTriangle& t : g.triangles) {
      const Vec3 a = mesh.vertices[std::size_t(t.v[0])], b = mesh.vertices[std::size_t(t.v[1])],
                 c = mesh.vertices[std::size_t(t.v[2])];
      const double area = length(cross(b - a, c - a)) / 2;
      q.smallestArea = std::min(q.smallestArea, area);
      if (!(area >= minimum)) ++q.degenerate;
      for (int k : t.t)
        if (k < 0 || std::size_t(k) >= mesh.texcoords.size()) ++q.missingTexcoords;
    }
  return q;
}

double polylineLength(const std::vector<Vec3>& points) {
  double s = 0;
  for (std::size_t i = 1; i < points.size(); ++i) s += length(points[i] - points[i - 1]);
  return s;
}

std::vector<Vec3> resampleByLength(const std::vector<Vec3>& points, int count) {
  std::vector<Vec3> out;
  if (points.empty() || count < 2) return out;
  std::vector<double> at(points.size(), 0.0);
  for (std::size_t i = 1; i < points.size(); ++i)
    at[i] = at[i - 1] + length(points[i] - points[i - 1]);
  const double total = at.back();
  std::size_t j = 0;
  for (int k = 0; k < count; ++k) {
    const double s = total * k / (count - 1);
    while (j + 2 < points.size() && at[j + 1] < s) ++j;
    if (j + 1 >= points.size()) {
      out.push_back(points.back());
      continue;
    }
    const double span = at[j + 1] - at[j];
    const double t = span > 0 ? std::clamp((s - at[j]) / span, 0.0, 1.0) : 0.0;
    out.push_back(lerp(points[j], points[j + 1], t));
  }
  return out;
}

}  // namespace vestora::generate::hair
