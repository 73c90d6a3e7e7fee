#include "body/mesh.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <unordered_map>

namespace vestora::generate {
namespace {

std::uint64_t edgeKey(int a, int b) {
  if (a > b) std::swap(a, b);
  return (std::uint64_t(std::uint32_t(a)) << 32) | std::uint32_t(b);
}

constexpr double kPi = 3.14159265358979323846;

}  // namespace

void Mesh::append(const Mesh& other) {
  const int base = static_cast<int>(positions.size());
  positions.insert(positions.end(), other.positions.begin(), other.positions.end());
  for (const Triangle& t : other.triangles) triangles.push_back({t[0] + base, t[1] + base, t[2] + base});
}

std::vector<std::vector<int>> vertexRings(const Mesh& mesh) {
  std::vector<std::vector<int>> rings(mesh.positions.size());
  for (const Triangle& t : mesh.triangles)
    for (int c = 0; c < 3; ++c) {
      rings[t[c]].push_back(t[(c + 1) % 3]);
      rings[t[c]].push_back(t[(c + 2) % 3]);
    }
  for (auto& r : rings) {
    std::sort(r.begin(), r.end());
    r.erase(std::unique(r.begin(), r.end()), r.end());
  }
  return rings;
}

std::vector<std::vector<int>> vertexTriangles(const Mesh& mesh) {
  std::vector<std::vector<int>> out(mesh.positions.size());
  for (int i = 0; i < static_cast<int>(mesh.triangles.size()); ++i)
    for (int v : mesh.triangles[i]) out[v].push_back(i);
  return out;
}

Vec3 triangleNormal(const Mesh& mesh, int t) {
  const Triangle& tri = mesh.triangles[t];
  const Vec3& a = mesh.positions[tri[0]];
  return cross(mesh.positions[tri[1]] - a, mesh.positions[tri[2]] - a);
}

double triangleArea(const Mesh& mesh, int t) { return 0.5 * length(triangleNormal(mesh, t)); }

double minimumAngle(const Mesh& mesh, int t) {
  const Triangle& tri = mesh.triangles[t];
  double smallest = 180.0;
  for (int c = 0; c < 3; ++c) {
    const Vec3 u = normalized(mesh.positions[tri[(c + 1) % 3]] - mesh.positions[tri[c]]);
    const Vec3 v = normalized(mesh.positions[tri[(c + 2) % 3]] - mesh.positions[tri[c]]);
    smallest = std::min(smallest, std::acos(std::clamp(dot(u, v), -1.0, 1.0)) * 180.0 / kPi);
  }
  return smallest;
}

std::vector<Vec3> vertexNormals(const Mesh& mesh) {
  std::vector<Vec3> normals(mesh.positions.size());
  for (int t = 0; t < static_cast<int>(mesh.triangles.size()); ++t) {
    const Vec3 n = triangleNormal(mesh, t);  // area weighted
    for (int v : mesh.triangles[t]) normals[v] += n;
  }
  for (Vec3& n : normals) n = normalized(n);
  return normals;
}

std::string MeshCheck::summary() const {
  return "boundary edges " + std::to_string(boundaryEdges) + ", overused edges " +
         std::to_string(overusedEdges) + ", misoriented edges " + std::to_string(misorientedEdges) +
         ", degenerate triangles " + std::to_string(degenerateTriangles) + ", components " +
         std::to_string(components);
}

namespace {

// Union-find over vertices joined by triangles.
std::vector<int> componentOfVertices(const Mesh& mesh) {
  std::vector<int> parent(mesh.positions.size());
  std::iota(parent.begin(), parent.end(), 0);
  std::function<int(int)> find = [&](int v) {
    while (parent[v] != v) v = parent[v] = parent[parent[v]];
    return v;
  };
  for (const Triangle& t : mesh.triangles) {
    const int a = find(t[0]);
    parent[find(t[1])] = a;
    parent[find(t[2])] = a;
  }
  for (std::size_t v = 0; v < parent.size(); ++v) parent[v] = find(static_cast<int>(v));
  return parent;
}

}  // namespace

MeshCheck checkMesh(const Mesh& mesh, double minArea) {
  MeshCheck check;
  // Directed edge counts: a closed, consistently oriented surface uses each
  // undirected edge once in each direction.
  std::unordered_map<std::uint64_t, std::pair<int, int>> edges;  // (a<b) → (count a→b, count b→a)
  edges.reserve(mesh.triangles.size() * 2);
  for (int t = 0; t < static_cast<int>(mesh.triangles.size()); ++t) {
    const Triangle& tri = mesh.triangles[t];
    if (tri[0] == tri[1] || tri[1] == tri[2] || tri[0] == tri[2] || triangleArea(mesh, t) < minArea)
      ++check.degenerateTriangles;
    for (int c = 0; c < 3; ++c) {
      const int a = tri[c], b = tri[(c + 1) % 3];
      auto& e = edges[edgeKey(a, b)];
      (a < b ? e.first : e.second)++;
    }
  }
  for (const auto& [key, counts] : edges) {
    const int total = counts.first + counts.second;
    if (total == 1) ++check.boundaryEdges;
    else if (total > 2) ++check.overusedEdges;
    else if (counts.first != 1) ++check.misorientedEdges;
  }
  const auto component = componentOfVertices(mesh);
  std::vector<char> seen(mesh.positions.size(), 0);
  for (const Triangle& t : mesh.triangles)
    if (!seen[component[t[0]]]) {
      seen[component[t[0]]] = 1;
      ++check.components;
    }
  return check;
}

int keepLargestComponent(Mesh& mesh) {
  const auto component = componentOfVertices(mesh);
  std::map<int, int> triangleCount;
  for (const Triangle& t : mesh.triangles) ++triangleCount[component[t[0]]];
  int best = -1, bestCount = -1;
  for (const auto& [c, n] : triangleCount)
    if (n > bestCount) best = c, bestCount = n;
  const std::size_t before = mesh.triangles.size();
  std::erase_if(mesh.triangles, [&](const Triangle& t) { return component[t[0]] != best; });
  compactVertices(mesh);
  return static_cast<int>(before - mesh.triangles.size());
}

int orientConsistently(Mesh& mesh) {
  const int n = static_cast<int>(mesh.triangles.size());
  std::unordered_map<std::uint64_t, std::vector<int>> edgeTris;
  edgeTris.reserve(mesh.triangles.size() * 2);
  for (int t = 0; t < n; ++t)
    for (int c = 0; c < 3; ++c)
      edgeTris[edgeKey(mesh.triangles[t][c], mesh.triangles[t][(c + 1) % 3])].push_back(t);
  auto runs = [&](int t, int a, int b) {  // does triangle t run a → b?
    const Triangle& tri = mesh.triangles[t];
    for (int c = 0; c < 3; ++c)
      if (tri[c] == a && tri[(c + 1) % 3] == b) return true;
    return false;
  };
  int flipped = 0;
  std::vector<int> component(n, -1);
  std::vector<double> volume;
  for (int seed = 0; seed < n; ++seed) {
    if (component[seed] >= 0) continue;
    const int id = static_cast<int>(volume.size());
    volume.push_back(0);
    std::vector<int> queue{seed};
    component[seed] = id;
    for (std::size_t q = 0; q < queue.size(); ++q) {
      const int t = queue[q];
      const Triangle tri = mesh.triangles[t];
      for (int c = 0; c < 3; ++c) {
        const int a = tri[c], b = tri[(c + 1) % 3];
        const auto& others = edgeTris[edgeKey(a, b)];
        if (others.size() != 2) continue;  // not a manifold edge: leave it
        const int u = others[0] == t ? others[1] : others[0];
        if (component[u] >= 0) continue;
        if (runs(u, a, b)) {
          std::swap(mesh.triangles[u][1], mesh.triangles[u][2]);
          ++flipped;
        }
        component[u] = id;
        queue.push_back(u);
      }
    }
  }
  for (int t = 0; t < n; ++t) {
    const Triangle& tri = mesh.triangles[t];
    volume[component[t]] += dot(mesh.positions[tri[0]], cross(mesh.positions[tri[1]], mesh.positions[tri[2]]));
  }
  for (int t = 0; t < n; ++t)
    if (volume[component[t]] < 0) {
      std::swap(mesh.triangles[t][1], mesh.triangles[t][2]);
      ++flipped;
    }
  return flipped;
}

void compactVertices(Mesh& mesh) {
  std::vector<int> remap(mesh.positions.size(), -1);
  std::vector<Vec3> kept;
  for (Triangle& t : mesh.triangles)
    for (int& v : t) {
      if (remap[v] < 0) {
        remap[v] = static_cast<int>(kept.size());
        kept.push_back(mesh.positions[v]);
      }
      v = remap[v];
    }
  mesh.positions = std::move(kept);
}

void taubinSmooth(Mesh& mesh, int rounds, double lambda, double mu) {
  const auto rings = vertexRings(mesh);
  std::vector<Vec3> next(mesh.positions.size());
  auto pass = [&](double factor) {
    for (std::size_t v = 0; v < rings.size(); ++v) {
      if (rings[v].empty()) {
        next[v] = mesh.positions[v];
        continue;
      }
      Vec3 mean;
      for (int n : rings[v]) mean += mesh.positions[n];
      mean = mean / static_cast<double>(rings[v].size());
      next[v] = mesh.positions[v] + (mean - mesh.positions[v]) * factor;
    }
    mesh.positions.swap(next);
  };
  for (int r = 0; r < rounds; ++r) {
    pass(lambda);
    pass(mu);
  }
}

void relaxTangentially(Mesh& mesh, int rounds,
                       const std::function<Vec3(int, const Vec3&)>& project, double step,
                       const std::vector<char>* only) {
  const auto around = vertexTriangles(mesh);
  const auto rings = only ? vertexRings(mesh) : std::vector<std::vector<int>>{};
  std::vector<Vec3> next(mesh.positions.size());
  for (int r = 0; r < rounds; ++r) {
    const auto normals = vertexNormals(mesh);
    for (std::size_t v = 0; v < mesh.positions.size(); ++v) {
      if (only) {
        if (!(*only)[v] || rings[v].empty()) {
          next[v] = mesh.positions[v];
          continue;
        }
        Vec3 mean;
        for (int n : rings[v]) mean += mesh.positions[n];
        Vec3 move = mean / double(rings[v].size()) - mesh.positions[v];
        move -= normals[v] * dot(move, normals[v]);
        next[v] = project(static_cast<int>(v), mesh.positions[v] + move * step);
        continue;
      }
      Vec3 centroid;
      double area = 0;
      for (int t : around[v]) {
        const Triangle& tri = mesh.triangles[t];
        const double a = triangleArea(mesh, t);
        centroid += (mesh.positions[tri[0]] + mesh.positions[tri[1]] + mesh.positions[tri[2]]) * (a / 3.0);
        area += a;
      }
      if (area <= 0) {
        next[v] = mesh.positions[v];
        continue;
      }
      Vec3 move = centroid / area - mesh.positions[v];
      move -= normals[v] * dot(move, normals[v]);
      next[v] = project(static_cast<int>(v), mesh.positions[v] + move * step);
    }
    mesh.positions.swap(next);
  }
}

std::vector<char> refineRegion(Mesh& mesh, const std::function<bool(const Vec3&)>& inRegion) {
  const int n = static_cast<int>(mesh.triangles.size());
  std::vector<char> split(n, 0);
  for (int t = 0; t < n; ++t) {
    const Triangle& tri = mesh.triangles[t];
    split[t] = inRegion((mesh.positions[tri[0]] + mesh.positions[tri[1]] + mesh.positions[tri[2]]) / 3.0);
  }
  // Neighbours across each edge.
  std::unordered_map<std::uint64_t, std::array<int, 2>> edgeTris;
  for (int t = 0; t < n; ++t)
    for (int c = 0; c < 3; ++c) {
      auto [it, inserted] = edgeTris.try_emplace(
          edgeKey(mesh.triangles[t][c], mesh.triangles[t][(c + 1) % 3]), std::array<int, 2>{t, -1});
      if (!inserted) it->second[1] = t;
    }
  auto neighbour = [&](int t, int c) {
    const auto& pair = edgeTris[edgeKey(mesh.triangles[t][c], mesh.triangles[t][(c + 1) % 3])];
    return pair[0] == t ? pair[1] : pair[0];
  };
  // A triangle with two split neighbours is split too, so that every
  // remaining triangle has at most one split edge.
  for (bool changed = true; changed;) {
    changed = false;
    for (int t = 0; t < n; ++t) {
      if (split[t]) continue;
      int count = 0;
      for (int c = 0; c < 3; ++c) {
        const int u = neighbour(t, c);
        count += u >= 0 && split[u];
      }
      if (count >= 2) split[t] = 1, changed = true;
    }
  }
  std::vector<char> region(mesh.positions.size(), 0);
  std::unordered_map<std::uint64_t, int> midpoint;
  auto middle = [&](int a, int b) {
    auto [it, inserted] = midpoint.try_emplace(edgeKey(a, b), 0);
    if (inserted) {
      it->second = static_cast<int>(mesh.positions.size());
      mesh.positions.push_back((mesh.positions[a] + mesh.positions[b]) * 0.5);
      region.push_back(1);
    }
    return it->second;
  };
  std::vector<Triangle> out;
  out.reserve(mesh.triangles.size() * 2);
  for (int t = 0; t < n; ++t)
    if (split[t]) {
      const auto [a, b, c] = mesh.triangles[t];
      region[a] = region[b] = region[c] = 1;
      const int ab = middle(a, b), bc = middle(b, c), ca = middle(c, a);
      out.push_back({a, ab, ca});
      out.push_back({ab, b, bc});
      out.push_back({ca, bc, c});
      out.push_back({ab, bc, ca});
    }
  for (int t = 0; t < n; ++t) {
    if (split[t]) continue;
    const Triangle tri = mesh.triangles[t];
    int splitEdge = -1;
    for (int c = 0; c < 3; ++c) {
      const int u = neighbour(t, c);
      if (u >= 0 && split[u]) splitEdge = c;
    }
    if (splitEdge < 0) {
      out.push_back(tri);
      continue;
    }
    const int a = tri[splitEdge], b = tri[(splitEdge + 1) % 3], c = tri[(splitEdge + 2) % 3];
    const int m = middle(a, b);
    out.push_back({a, m, c});
    out.push_back({m, b, c});
  }
  mesh.triangles = std::move(out);
  return region;
}

int improveByFlips(Mesh& mesh, int rounds, double maxDihedralDegrees) {
  int flips = 0;
  const double cosLimit = std::cos(maxDihedralDegrees * kPi / 180.0);
  for (int r = 0; r < rounds; ++r) {
    // Edge → the two triangles on it.
    std::unordered_map<std::uint64_t, std::array<int, 2>> edgeTris;
    edgeTris.reserve(mesh.triangles.size() * 2);
    for (int t = 0; t < static_cast<int>(mesh.triangles.size()); ++t)
      for (int c = 0; c < 3; ++c) {
        auto [it, inserted] = edgeTris.try_emplace(
            edgeKey(mesh.triangles[t][c], mesh.triangles[t][(c + 1) % 3]), std::array<int, 2>{t, -1});
        if (!inserted) it->second[1] = t;
      }
    auto rings = vertexRings(mesh);
    std::vector<char> touched(mesh.triangles.size(), 0);
    // Visit edges in a fixed order so that the result does not depend on
    // the hash table's iteration order.
    std::vector<std::uint64_t> keys;
    keys.reserve(edgeTris.size());
    for (const auto& [k, v] : edgeTris) keys.push_back(k);
    std::sort(keys.begin(), keys.end());
    int flipsThisRound = 0;
    for (std::uint64_t key : keys) {
      const auto [t0, t1] = edgeTris[key];
      if (t1 < 0 || touched[t0] || touched[t1]) continue;
      const int a = int(key >> 32), b = int(key & 0xffffffffu);
      auto opposite = [&](int t) {
        for (int v : mesh.triangles[t])
          if (v != a && v != b) return v;
        return -1;
      };
      const int c = opposite(t0), d = opposite(t1);
      if (c < 0 || d < 0 || c == d) continue;
      if (std::binary_search(rings[c].begin(), rings[c].end(), d)) continue;  // edge c-d exists
      const Vec3 n0 = normalized(triangleNormal(mesh, t0)), n1 = normalized(triangleNormal(mesh, t1));
      if (dot(n0, n1) < cosLimit) continue;
      // Orientation: t0 runs a→b or b→a; the new triangles keep it.
      const Triangle& tri0 = mesh.triangles[t0];
      int pos = 0;
      while (tri0[pos] != a) ++pos;
      const bool aToB = tri0[(pos + 1) % 3] == b;
      const Triangle n0t = aToB ? Triangle{a, d, c} : Triangle{a, c, d};
      const Triangle n1t = aToB ? Triangle{b, c, d} : Triangle{b, d, c};
      const double before = std::min(minimumAngle(mesh, t0), minimumAngle(mesh, t1));
      const Triangle old0 = mesh.triangles[t0], old1 = mesh.triangles[t1];
      mesh.triangles[t0] = n0t;
      mesh.triangles[t1] = n1t;
      const double after = std::min(minimumAngle(mesh, t0), minimumAngle(mesh, t1));
      const bool keepsFacing = dot(normalized(triangleNormal(mesh, t0)), n0) > 0.5 &&
                               dot(normalized(triangleNormal(mesh, t1)), n0) > 0.5;
      if (after > before + 1.0 && keepsFacing) {
        touched[t0] = touched[t1] = 1;
        ++flipsThisRound;
        auto link = [&](int from, int to) {
          auto& ring = rings[from];
          ring.insert(std::lower_bound(ring.begin(), ring.end(), to), to);
        };
        auto unlink = [&](int from, int to) {
          auto& ring = rings[from];
          ring.erase(std::lower_bound(ring.begin(), ring.end(), to));
        };
        link(c, d);
        link(d, c);
        unlink(a, b);
        unlink(b, a);
      } else {
        mesh.triangles[t0] = old0;
        mesh.triangles[t1] = old1;
      }
    }
    flips += flipsThisRound;
    if (flipsThisRound == 0) break;
  }
  return flips;
}

}  // namespace vestora::generate
