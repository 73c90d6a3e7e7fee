#include "scenes/scene_mesh.h"

#include <algorithm>
#include <map>
#include <stdexcept>
#include <utility>
#include <vector>

namespace vestora::generate::scenes {

int SceneMesh::addVertex(const Vec3& p) {
  vertices.push_back(p);
  return int(vertices.size()) - 1;
}

int SceneMesh::addNormal(const Vec3& n) {
  normals.push_back(normalized(n));
  return int(normals.size()) - 1;
}

int SceneMesh::group(const std::string& name) {
  for (std::size_t i = 0; i < groups.size(); ++i)
    if (groups[i].name == name) return int(i);
  groups.push_back({name, {}});
  return int(groups.size()) - 1;
}

void SceneMesh::add(int g, const SceneCorner& a, const SceneCorner& b, const SceneCorner& c) {
  // Triangles without area (the corners of a grid that meet at a pole) are left out.
  const Vec3 &pa = vertices.at(std::size_t(a.vertex)), &pb = vertices.at(std::size_t(b.vertex)),
             &pc = vertices.at(std::size_t(c.vertex));
  const double longest = std::max({length(pb - pa), length(pc - pb), length(pa - pc)});
  if (length(cross(pb - pa, pc - pa)) <= 1e-9 * longest * longest) return;
  groups.at(std::size_t(g)).triangles.push_back({{a, b, c}});
}

void SceneMesh::addQuad(int g, const SceneCorner& a, const SceneCorner& b, const SceneCorner& c,
                        const SceneCorner& d) {
  // Split along the shorter diagonal.
  const auto at = [&](const SceneCorner& k) { return vertices.at(std::size_t(k.vertex)); };
  if (length(at(a) - at(c)) <= length(at(b) - at(d))) {
    add(g, a, b, c);
    add(g, a, c, d);
  } else {
    add(g, a, b, d);
    add(g, b, c, d);
  }
}

void SceneMesh::addBox(int g, const Vec3& lo, const Vec3& hi, const Region& region) {
  // Each face: its outward normal and two edge directions whose cross
  // product is that normal.
  struct Face {
    Vec3 normal, origin, along, up;
  };
  const Vec3 s = hi - lo;
  const Face faces[6] = {
      {{0, 0, 1}, {lo.x, lo.y, hi.z}, {s.x, 0, 0}, {0, s.y, 0}},
      {{0, 0, -1}, {hi.x, lo.y, lo.z}, {-s.x, 0, 0}, {0, s.y, 0}},
      {{1, 0, 0}, {hi.x, lo.y, hi.z}, {0, 0, -s.z}, {0, s.y, 0}},
      {{-1, 0, 0}, {lo.x, lo.y, lo.z}, {0, 0, s.z}, {0, s.y, 0}},
      {{0, 1, 0}, {lo.x, hi.y, hi.z}, {s.x, 0, 0}, {0, 0, -s.z}},
      {{0, -1, 0}, {lo.x, lo.y, lo.z}, {s.x, 0, 0}, {0, 0, s.z}},
  };
  for (const Face& f : faces) {
    const int n = addNormal(f.normal);
    const int a = addVertex(f.origin), b = addVertex(f.origin + f.along),
              c = addVertex(f.origin + f.along + f.up), d = addVertex(f.origin + f.up);
    addQuad(g, {a, n, region.u0, region.v1}, {b, n, region.u1, region.v1},
            {c, n, region.u1, region.v0}, {d, n, region.u0, region.v0});
  }
}

int SceneMesh::triangleCount() const {
  int count = 0;
  for (const SceneGroup& g : groups) count += int(g.triangles.size());
  return count;
}

GlmModel SceneMesh::toModel(const std::string& modelName, double scale, const Vec3& shift) const {
  GlmModel m;
  m.modelName = modelName;
  m.setVertexCount(std::uint32_t(vertices.size()));
  for (std::size_t i = 0; i < vertices.size(); ++i) {
    const Vec3 stored = (vertices[i] - shift) / scale;
    for (int k = 0; k < 3; ++k) m.vertices[3 * (i + 1) + std::size_t(k)] = float(stored[k]);
  }
  m.setNormalCount(std::uint32_t(normals.size()));
  for (std::size_t i = 0; i < normals.size(); ++i)
    for (int k = 0; k < 3; ++k) m.normals[3 * (i + 1) + std::size_t(k)] = float(normals[i][k]);

  for (const SceneGroup& g : groups) {
    GlmMaterial material;
    material.name = g.name.substr(g.name.find_first_not_of(' '));
    material.diffuse = {1, 1, 1, 1};
    m.materials.push_back(material);
  }
  // Texture coordinates shared by every corner that has the same pair.
  std::map<std::pair<float, float>, std::uint32_t> texcoordOf;
  std::vector<std::pair<float, float>> texcoords;
  auto texcoord = [&](const SceneCorner& k) {
    const std::pair<float, float> uv{float(k.u), float(1 - k.v)};
    auto [it, fresh] = texcoordOf.try_emplace(uv, std::uint32_t(texcoords.size() + 1));
    if (fresh) texcoords.push_back(uv);
    return it->second;
  };
  for (std::size_t gi = 0; gi < groups.size(); ++gi) {
    const SceneGroup& sg = groups[gi];
    if (sg.triangles.empty()) throw std::runtime_error(modelName + ": empty group" + sg.name);
    GlmGroup& g = glmAddGroup(m, sg.name);
    g.material = std::uint32_t(gi);
    for (const SceneTriangle& t : sg.triangles) {
      GlmTriangle tri;
      for (int c = 0; c < 3; ++c) {
        const SceneCorner& k = t.corners[std::size_t(c)];
        if (k.u < 0 || k.u > 1 || k.v < 0 || k.v > 1)
          throw std::runtime_error(modelName + ": texture coordinate outside the picture in" +
                                   sg.name);
        tri.vindices[c] = std::uint32_t(k.vertex + 1);
        tri.nindices[c] = std::uint32_t(k.normal + 1);
        tri.tindices[c] = texcoord(k);
      }
      g.triangles.push_back(m.triangleCount());
      g.triangleCopies.push_back(tri);
      m.triangles.push_back(tri);
    }
    g.runs.push_back({m.materials[gi].name, 0, g.triangleCount()});
  }
  m.setTexcoordCount(std::uint32_t(texcoords.size()));
  for (std::size_t i = 0; i < texcoords.size(); ++i) {
    m.texcoords[2 * (i + 1)] = texcoords[i].first;
    m.texcoords[2 * (i + 1) + 1] = texcoords[i].second;
  }
  return m;
}

}  // namespace vestora::generate::scenes
