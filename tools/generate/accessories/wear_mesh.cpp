#include "accessories/wear_mesh.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <unordered_map>
#include <utility>

namespace vestora::generate::wear {

int WearMesh::addVertex(const Vec3& p) {
  vertices.push_back(p);
  return int(vertices.size()) - 1;
}

int WearMesh::addTexcoord(double u, double v) {
  texcoords.push_back({u, v});
  return int(texcoords.size()) - 1;
}

int WearMesh::part(const std::string& group, const std::string& material) {
  for (std::size_t i = 0; i < parts.size(); ++i)
    if (parts[i].group == group && parts[i].material == material) return int(i);
  parts.push_back({group, material, {}});
  return int(parts.size()) - 1;
}

void WearMesh::add(int p, std::array<int, 3> v, std::array<int, 3> t, int smoothing) {
  if (v[0] == v[1] || v[1] == v[2] || v[0] == v[2]) return;  // a pole's collapsed corner
  parts[std::size_t(p)].triangles.push_back({v, t, smoothing});
}

void WearMesh::addQuad(int p, std::array<int, 4> v, std::array<int, 4> t, int smoothing) {
  const double ac = length(vertices[std::size_t(v[2])] - vertices[std::size_t(v[0])]);
  const double bd = length(vertices[std::size_t(v[3])] - vertices[std::size_t(v[1])]);
  const bool collapsed = v[0] == v[1] || v[1] == v[2] || v[2] == v[3] || v[3] == v[0];
  if (collapsed || ac <= bd) {
    add(p, {v[0], v[1], v[2]}, {t[0], t[1], t[2]}, smoothing);
    add(p, {v[0], v[2], v[3]}, {t[0], t[2], t[3]}, smoothing);
  } else {
    add(p, {v[0], v[1], v[3]}, {t[0], t[1], t[3]}, smoothing);
    add(p, {v[1], v[2], v[3]}, {t[1], t[2], t[3]}, smoothing);
  }
}

int WearMesh::triangleCount() const {
  int n = 0;
  for (const WearPart& p : parts) n += int(p.triangles.size());
  return n;
}

void WearMesh::transform(const std::function<Vec3(const Vec3&)>& f) {
  for (Vec3& p : vertices) p = f(p);
}

void WearMesh::append(const WearMesh& other) {
  const int v0 = int(vertices.size()), t0 = int(texcoords.size());
  const int s0 = smoothingSets_;
  vertices.insert(vertices.end(), other.vertices.begin(), other.vertices.end());
  texcoords.insert(texcoords.end(), other.texcoords.begin(), other.texcoords.end());
  for (const WearPart& p : other.parts) {
    const int target = part(p.group, p.material);
    for (WearTriangle t : p.triangles) {
      for (int k = 0; k < 3; ++k) {
        t.v[k] += v0;
        t.t[k] += t0;
      }
      t.smoothing += s0;
      parts[std::size_t(target)].triangles.push_back(t);
    }
  }
  smoothingSets_ += other.smoothingSets_;
}

void WearMesh::flip(const std::vector<int>& partsToFlip) {
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (!partsToFlip.empty() &&
        std::find(partsToFlip.begin(), partsToFlip.end(), int(i)) == partsToFlip.end())
      continue;
    for (WearTriangle& t : parts[i].triangles) {
      std::swap(t.v[1], t.v[2]);
      std::swap(t.t[1], t.t[2]);
    }
  }
}

void WearMesh::swapVertices(int a, int b) {
  if (a == b) return;
  std::swap(vertices[std::size_t(a)], vertices[std::size_t(b)]);
  for (WearPart& p : parts)
    for (WearTriangle& t : p.triangles)
      for (int& v : t.v) v = v == a ? b : v == b ? a : v;
}

std::vector<Vec3> WearMesh::cornerNormals() const {
  std::unordered_map<std::int64_t, Vec3> sums;
  auto key = [](int v, int s) { return (std::int64_t(s) << 32) | std::uint32_t(v); };
  for (const WearPart& p : parts)
    for (const WearTriangle& t : p.triangles) {
      const Vec3 n = cross(vertices[std::size_t(t.v[1])] - vertices[std::size_t(t.v[0])],
                           vertices[std::size_t(t.v[2])] - vertices[std::size_t(t.v[0])]);
      for (int v : t.v) sums[key(v, t.smoothing)] += n;
    }
  std::vector<Vec3> out;
  out.reserve(std::size_t(triangleCount()) * 3);
  for (const WearPart& p : parts)
    for (const WearTriangle& t : p.triangles)
      for (int v : t.v) out.push_back(normalized(sums[key(v, t.smoothing)]));
  return out;
}

GlmModel WearMesh::toModel(const std::string& modelName, const std::vector<WearMaterial>& materials,
                           bool vFromBottom) const {
  GlmModel m;
  m.modelName = modelName;
  for (const WearMaterial& w : materials) {
    GlmMaterial g;
    g.name = w.name;
    g.diffuse = w.diffuse;
    g.ambient = {w.diffuse[0] * 0.25f, w.diffuse[1] * 0.25f, w.diffuse[2] * 0.25f, 1.0f};
    g.specular = w.specular;
    g.shininess = w.shininess;
    m.materials.push_back(g);
  }
  auto materialIndex = [&](const std::string& name) {
    for (std::size_t i = 0; i < materials.size(); ++i)
      if (materials[i].name == name) return std::uint32_t(i);
    throw std::runtime_error(modelName + ": no material named " + name);
  };

  m.setVertexCount(std::uint32_t(vertices.size()));
  for (std::size_t i = 0; i < vertices.size(); ++i)
    for (int k = 0; k < 3; ++k) m.vertices[3 * (i + 1) + std::size_t(k)] = float(vertices[i][k]);
  m.setTexcoordCount(std::uint32_t(texcoords.size()));
  for (std::size_t i = 0; i < texcoords.size(); ++i) {
    m.texcoords[2 * (i + 1)] = float(texcoords[i][0]);
    m.texcoords[2 * (i + 1) + 1] = float(vFromBottom ? 1 - texcoords[i][1] : texcoords[i][1]);
  }

  // One normal per (vertex, smoothing set), numbered as first met.
  const std::vector<Vec3> corner = cornerNormals();
  std::map<std::pair<int, int>, std::uint32_t> normalOf;
  std::vector<Vec3> normals;
  std::vector<std::uint32_t> cornerNormal(corner.size());
  {
    std::size_t c = 0;
    for (const WearPart& p : parts)
      for (const WearTriangle& t : p.triangles)
        for (int v : t.v) {
          auto [it, fresh] =
              normalOf.try_emplace({v, t.smoothing}, std::uint32_t(normals.size() + 1));
          if (fresh) normals.push_back(corner[c]);
          cornerNormal[c++] = it->second;
        }
  }
  m.setNormalCount(std::uint32_t(normals.size()));
  for (std::size_t i = 0; i < normals.size(); ++i)
    for (int k = 0; k < 3; ++k) m.normals[3 * (i + 1) + std::size_t(k)] = float(normals[i][k]);

  // Groups in the order their names are first met; within a group its
  // parts in order, each a material run.
  std::vector<std::string> groupNames;
  for (const WearPart& p : parts)
    if (std::find(groupNames.begin(), groupNames.end(), p.group) == groupNames.end())
      groupNames.push_back(p.group);
  // Corner normal numbers by part and triangle.
  std::vector<std::size_t> partStart(parts.size());
  {
    std::size_t c = 0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
      partStart[i] = c;
      c += 3 * parts[i].triangles.size();
    }
  }
  for (const std::string& name : groupNames) {
    GlmGroup& g = glmAddGroup(m, name);
    bool first = true;
    for (std::size_t i = 0; i < parts.size(); ++i) {
      const WearPart& p = parts[i];
      if (p.group != name || p.triangles.empty()) continue;
      if (g.runs.size() >= kGlmMaxMaterialRuns)
        throw std::runtime_error(modelName + ": too many material runs in " + name);
      const std::uint32_t material = materialIndex(p.material);
      if (first) g.material = material;
      first = false;
      GlmMaterialRun run{p.material, g.triangleCount(), 0};
      for (std::size_t k = 0; k < p.triangles.size(); ++k) {
        const WearTriangle& t = p.triangles[k];
        GlmTriangle tri;
        for (int c = 0; c < 3; ++c) {
          tri.vindices[c] = std::uint32_t(t.v[std::size_t(c)] + 1);
          tri.tindices[c] = std::uint32_t(t.t[std::size_t(c)] + 1);
          tri.nindices[c] = cornerNormal[partStart[i] + 3 * k + std::size_t(c)];
        }
        g.triangles.push_back(m.triangleCount());
        g.triangleCopies.push_back(tri);
        m.triangles.push_back(tri);
      }
      run.end = g.triangleCount();
      g.runs.push_back(run);
    }
  }
  return m;
}

MeshReport checkMesh(const WearMesh& mesh, double thinness) {
  MeshReport r;
  // Per undirected edge: how often it runs from the smaller vertex to the
  // larger, and back.
  std::unordered_map<std::int64_t, std::array<int, 2>> edges;
  for (const WearPart& p : mesh.parts)
    for (const WearTriangle& t : p.triangles) {
      const Vec3 &a = mesh.vertices[std::size_t(t.v[0])], &b = mesh.vertices[std::size_t(t.v[1])],
                 &c = mesh.vertices[std::size_t(t.v[2])];
      const double area = 0.5 * length(cross(b - a, c - a));
      const double longest = std::max({length(b - a), length(c - b), length(a - c)});
      r.smallestArea = std::min(r.smallestArea, area);
      if (t.v[0] == t.v[1] || t.v[1] == t.v[2] || t.v[0] == t.v[2] ||
          !(area > thinness * longest * longest))
        ++r.degenerate;
      for (int k : t.t)
        if (k < 0 || k >= int(mesh.texcoords.size())) ++r.missingTexcoords;
      for (int k = 0; k < 3; ++k) {
        const int u = t.v[std::size_t(k)], w = t.v[std::size_t((k + 1) % 3)];
        const std::int64_t key =
            (std::int64_t(std::min(u, w)) << 32) | std::uint32_t(std::max(u, w));
        ++edges[key][u < w ? 0 : 1];
      }
    }
  for (const auto& [key, count] : edges) {
    const int total = count[0] + count[1];
    if (total == 1)
      ++r.boundaryEdges;
    else if (total > 2)
      ++r.overused;
    else if (count[0] != 1)
      ++r.misoriented;
  }
  return r;
}

double signedVolume(const WearMesh& mesh) {
  double v = 0;
  for (const WearPart& p : mesh.parts)
    for (const WearTriangle& t : p.triangles)
      v += dot(mesh.vertices[std::size_t(t.v[0])],
               cross(mesh.vertices[std::size_t(t.v[1])], mesh.vertices[std::size_t(t.v[2])])) /
           6;
  return v;
}

void orientOutward(WearMesh& mesh, int part, std::size_t first) {
  auto& triangles = mesh.parts[std::size_t(part)].triangles;
  double volume = 0;
  for (std::size_t i = first; i < triangles.size(); ++i) {
    const auto& v = triangles[i].v;
    volume += dot(mesh.vertices[std::size_t(v[0])],
                  cross(mesh.vertices[std::size_t(v[1])], mesh.vertices[std::size_t(v[2])]));
  }
  if (volume >= 0) return;
  for (std::size_t i = first; i < triangles.size(); ++i) {
    std::swap(triangles[i].v[1], triangles[i].v[2]);
    std::swap(triangles[i].t[1], triangles[i].t[2]);
  }
}

void addGrid(WearMesh& mesh, const std::vector<std::vector<int>>& index,
             const std::function<std::array<double, 2>(int, int)>& uv, const GridSpec& spec) {
  const int rows = int(index.size());
  if (rows < 2) return;
  const int columns = int(index[0].size());
  const int uvColumns = spec.wrapColumns ? columns + 1 : columns;
  auto tex =
      std::vector<std::vector<int>>(std::size_t(rows), std::vector<int>(std::size_t(uvColumns), 0));
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < uvColumns; ++c) {
      const auto t = uv(r, c);
      tex[std::size_t(r)][std::size_t(c)] = mesh.addTexcoord(t[0], t[1]);
    }
  const int quadColumns = spec.wrapColumns ? columns : columns - 1;
  for (int r = 0; r + 1 < rows; ++r)
    for (int c = 0; c < quadColumns; ++c) {
      const int c1 = (c + 1) % columns;
      const std::array<int, 4> v{
          index[std::size_t(r)][std::size_t(c)], index[std::size_t(r + 1)][std::size_t(c)],
          index[std::size_t(r + 1)][std::size_t(c1)], index[std::size_t(r)][std::size_t(c1)]};
      const std::array<int, 4> t{
          tex[std::size_t(r)][std::size_t(c)], tex[std::size_t(r + 1)][std::size_t(c)],
          tex[std::size_t(r + 1)][std::size_t(c + 1)], tex[std::size_t(r)][std::size_t(c + 1)]};
      if (spec.outward)
        mesh.addQuad(spec.part, v, t, spec.smoothing);
      else
        mesh.addQuad(spec.part, {v[3], v[2], v[1], v[0]}, {t[3], t[2], t[1], t[0]}, spec.smoothing);
    }
}

int addTube(WearMesh& mesh, const std::vector<std::vector<Vec3>>& rings, const TubeSpec& spec) {
  const int n = int(rings.size());
  if (n < 2) throw std::invalid_argument("addTube: fewer than two rings");
  const int m = int(rings[0].size());
  const int first = int(mesh.vertices.size());
  auto index = std::vector<std::vector<int>>(std::size_t(n), std::vector<int>(std::size_t(m), 0));
  auto centre = std::vector<Vec3>(std::size_t(n));
  for (int i = 0; i < n; ++i) {
    if (int(rings[std::size_t(i)].size()) != m)
      throw std::invalid_argument("addTube: rings differ");
    for (int k = 0; k < m; ++k) {
      index[std::size_t(i)][std::size_t(k)] = mesh.addVertex(rings[std::size_t(i)][std::size_t(k)]);
      centre[std::size_t(i)] += rings[std::size_t(i)][std::size_t(k)] / double(m);
    }
  }
  // Which way the quads face: (along the path) × (round the ring) against
  // the direction from the ring's centre.
  const Vec3 along = centre[1] - centre[0];
  const Vec3 round = rings[0][1 % std::size_t(m)] - rings[0][0];
  const Vec3 away = rings[0][0] - centre[0];
  const bool outward = dot(cross(along, round), away) > 0;
  std::vector<double> u(std::size_t(n) + 1, 0.0);
  double total = 0;
  for (int i = 1; i <= n; ++i) {
    if (i == n && !spec.closedPath) break;
    total += length(centre[std::size_t(i % n)] - centre[std::size_t(i - 1)]);
    u[std::size_t(i)] = total;
  }
  if (spec.closedPath) index.push_back(index[0]);
  const int rows = int(index.size());
  const int smoothing = mesh.newSmoothing();
  addGrid(mesh, index,
          [&](int r, int c) {
            const double t = total > 0 ? u[std::size_t(r)] / total : 0;
            return std::array<double, 2>{
                t * spec.uLength, spec.vRange[0] + (spec.vRange[1] - spec.vRange[0]) * c / m};
          },
          {spec.part, smoothing, true, outward});
  (void)rows;
  if (!spec.closedPath && spec.capEnds) {
    for (int end = 0; end < 2; ++end) {
      const int i = end == 0 ? 0 : n - 1;
      const int c = mesh.addVertex(centre[std::size_t(i)]);
      const int tc =
          mesh.addTexcoord(end == 0 ? 0 : spec.uLength, 0.5 * (spec.vRange[0] + spec.vRange[1]));
      const int s = mesh.newSmoothing();
      const Vec3 outwards = end == 0 ? centre[0] - centre[1]
                                     : centre[std::size_t(n - 1)] - centre[std::size_t(n - 2)];
      for (int k = 0; k < m; ++k) {
        int a = index[std::size_t(i)][std::size_t(k)],
            b = index[std::size_t(i)][std::size_t((k + 1) % m)];
        const Vec3 nrm = cross(mesh.vertices[std::size_t(a)] - mesh.vertices[std::size_t(c)],
                               mesh.vertices[std::size_t(b)] - mesh.vertices[std::size_t(c)]);
        if (dot(nrm, outwards) < 0) std::swap(a, b);
        mesh.add(spec.part, {c, a, b}, {tc, tc, tc}, s);
      }
    }
  }
  return first;
}

std::vector<PathFrame> pathFrames(const std::vector<Vec3>& path, const Vec3& up, bool closed,
                                  bool keepUp) {
  const std::size_t n = path.size();
  std::vector<PathFrame> f(n);
  for (std::size_t i = 0; i < n; ++i) {
    Vec3 d;
    if (closed)
      d = path[(i + 1) % n] - path[(i + n - 1) % n];
    else if (i == 0)
      d = path[1] - path[0];
    else if (i + 1 == n)
      d = path[n - 1] - path[n - 2];
    else
      d = path[i + 1] - path[i - 1];
    f[i].point = path[i];
    f[i].tangent = normalized(d);
  }
  if (closed || keepUp) {
    // The normal is `up` made perpendicular to the tangent at every point
    // (so that a closed loop's frame closes on itself).
    for (PathFrame& p : f) {
      p.normal = normalized(up - p.tangent * dot(up, p.tangent));
      p.binormal = cross(p.tangent, p.normal);
    }
    return f;
  }
  f[0].normal = normalized(up - f[0].tangent * dot(up, f[0].tangent));
  for (std::size_t i = 1; i < n; ++i) {
    // Parallel transport: turn the previous normal by the rotation that
    // carries the previous tangent onto this one.
    const Vec3 n0 = f[i - 1].normal;
    Vec3 t = f[i].tangent;
    Vec3 nn = n0 - t * dot(n0, t);
    f[i].normal = length(nn) > 1e-9 ? normalized(nn) : n0;
  }
  for (PathFrame& p : f) p.binormal = cross(p.tangent, p.normal);
  return f;
}

std::vector<Vec3> catmullRom(const std::vector<Vec3>& p, int perSpan, bool closed) {
  const int n = int(p.size());
  std::vector<Vec3> out;
  if (n < 2) return p;
  auto at = [&](int i) {
    if (closed) return p[std::size_t(((i % n) + n) % n)];
    if (i < 0) return p[0] * 2.0 - p[1];
    if (i >= n) return p[std::size_t(n - 1)] * 2.0 - p[std::size_t(n - 2)];
    return p[std::size_t(i)];
  };
  const int spans = closed ? n : n - 1;
  for (int s = 0; s < spans; ++s) {
    const Vec3 p0 = at(s - 1), p1 = at(s), p2 = at(s + 1), p3 = at(s + 2);
    for (int k = 0; k < perSpan; ++k) {
      const double t = double(k) / perSpan, t2 = t * t, t3 = t2 * t;
      out.push_back((p1 * 2.0 + (p2 - p0) * t + (p0 * 2.0 - p1 * 5.0 + p2 * 4.0 - p3) * t2 +
                     (p1 * 3.0 - p0 - p2 * 3.0 + p3) * t3) *
                    0.5);
    }
  }
  if (!closed) out.push_back(p[std::size_t(n - 1)]);
  return out;
}

double pathLength(const std::vector<Vec3>& p, bool closed) {
  double l = 0;
  for (std::size_t i = 1; i < p.size(); ++i) l += length(p[i] - p[i - 1]);
  if (closed && p.size() > 1) l += length(p.front() - p.back());
  return l;
}

std::vector<Vec3> resample(const std::vector<Vec3>& p, int count, bool closed) {
  std::vector<Vec3> pts = p;
  if (closed) pts.push_back(p.front());
  std::vector<double> s(pts.size(), 0.0);
  for (std::size_t i = 1; i < pts.size(); ++i) s[i] = s[i - 1] + length(pts[i] - pts[i - 1]);
  const double total = s.back();
  std::vector<Vec3> out;
  const int steps = closed ? count : count - 1;
  std::size_t j = 1;
  for (int k = 0; k < count; ++k) {
    const double target = total * k / steps;
    while (j + 1 < pts.size() && s[j] < target) ++j;
    const double span = s[j] - s[j - 1];
    const double t = span > 0 ? (target - s[j - 1]) / span : 0;
    out.push_back(lerp(pts[j - 1], pts[j], std::clamp(t, 0.0, 1.0)));
  }
  return out;
}

}  // namespace vestora::generate::wear
