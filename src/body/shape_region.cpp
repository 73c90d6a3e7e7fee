#include "body/shape_region.h"

#include <algorithm>
#include <cmath>

#include "formats/model_loader.h"

namespace vestora {

void ShapeRegion::refreshFrom(const Avatar& avatar) {
  positions.resize(vertices.size());
  for (std::size_t i = 0; i < vertices.size(); ++i) {
    const SkinVertex& s = avatar.skin[vertices[i]];
    positions[i] = {s.x, s.y, s.z};
  }
}

void ShapeRegion::updateBox(const Avatar& avatar) {
  minimum = {1e30f, 1e30f, 1e30f};
  maximum = {-1e30f, -1e30f, -1e30f};
  for (const Vec3f& p : positions) {
    minimum = {std::min(minimum.x, p.x), std::min(minimum.y, p.y), std::min(minimum.z, p.z)};
    maximum = {std::max(maximum.x, p.x), std::max(maximum.y, p.y), std::max(maximum.z, p.z)};
  }
  pivot = {(minimum.x + maximum.x) / 2, (minimum.y + maximum.y) / 2, avatar.midpoint[2]};
}

std::vector<TriangleCorners> ShapeRegion::corners() const {
  std::vector<TriangleCorners> out;
  out.reserve(triangles.size());
  for (const auto& t : triangles)
    out.push_back({positions[t[0]], positions[t[1]], positions[t[2]]});
  return out;
}

namespace {

// Each body vertex's neighbours along the body's triangle edges.
std::vector<std::vector<int>> bodyNeighbours(const Avatar& avatar) {
  std::vector<std::vector<int>> around(avatar.skin.size());
  const int n = static_cast<int>(avatar.skin.size());
  for (std::size_t t = 0; t < avatar.triangleCount(); ++t) {
    const auto& v = avatar.triangles[t].vertex;
    for (int e = 0; e < 3; ++e) {
      const int a = v[e], b = v[(e + 1) % 3];
      if (a < 0 || b < 0 || a >= n || b >= n) continue;
      around[a].push_back(b);
      around[b].push_back(a);
    }
  }
  for (auto& list : around) {
    std::sort(list.begin(), list.end());
    list.erase(std::unique(list.begin(), list.end()), list.end());
  }
  return around;
}

// The rings round the region, walked outwards from its border: each vertex
// met follows the border vertex the walk came from, with a weight that
// eases from 1 to 0 (half a cosine) over kSkirtRings rings.
std::vector<SkirtVertex> skirtOf(const ShapeRegion& r,
                                 const std::vector<std::vector<int>>& around) {
  std::vector<int> localOf(around.size(), -1);
  for (std::size_t i = 0; i < r.vertices.size(); ++i) localOf[r.vertices[i]] = static_cast<int>(i);
  std::vector<int> source(around.size(), -1);  // border vertex followed, for vertices outside
  std::vector<int> frontier;
  for (std::size_t i = 0; i < r.vertices.size(); ++i)
    for (int next : around[r.vertices[i]])
      if (localOf[next] < 0) {
        frontier.push_back(r.vertices[i]);
        break;
      }
  std::vector<SkirtVertex> skirt;
  for (int ring = 1; ring <= kSkirtRings && !frontier.empty(); ++ring) {
    const float weight = 0.5f * (1.0f + std::cos(3.14159265f * ring / (kSkirtRings + 1)));
    std::vector<int> next;
    for (int v : frontier) {
      const int border = localOf[v] >= 0 ? localOf[v] : source[v];
      for (int w : around[v]) {
        if (localOf[w] >= 0 || source[w] >= 0) continue;
        source[w] = border;
        skirt.push_back({w, border, weight});
        next.push_back(w);
      }
    }
    frontier = std::move(next);
  }
  return skirt;
}

}  // namespace

Result<std::vector<ShapeRegion>> loadShapeRegions(const std::string& path, const Avatar& avatar) {
  ModelLoader loader;  // the avatar's own loader keeps the body's weight levels
  std::int32_t tag = 0;
  auto file = loader.glmReadOBJ(path, tag);
  if (!file) return file.error();
  const GlmModel& m = *file.value();
  const int bodyVertices = static_cast<int>(avatar.skin.size());
  const std::vector<std::vector<int>> around = bodyNeighbours(avatar);
  std::vector<ShapeRegion> regions;
  // The group list runs newest first: walk it backwards for file order.
  for (auto it = m.groups.rbegin(); it != m.groups.rend(); ++it) {
    const GlmGroup& g = *it;
    if (g.name == "default" && g.triangles.empty()) continue;
    if (regions.size() == kMaxShapeRegions) return makeError(path, "more than 40 regions");
    ShapeRegion r;
    r.name = g.name;
    for (auto t : g.triangles)
      for (auto v : m.triangles[t].vindices) {
        if (static_cast<int>(v) > bodyVertices)
          return makeError(path, "region \"" + g.name + "\" names vertex " + std::to_string(v) +
                                     " of a body with " + std::to_string(bodyVertices));
        r.vertices.push_back(static_cast<int>(v) - 1);
      }
    std::sort(r.vertices.begin(), r.vertices.end());
    r.vertices.erase(std::unique(r.vertices.begin(), r.vertices.end()), r.vertices.end());
    auto local = [&](std::uint32_t v) {
      return static_cast<int>(std::lower_bound(r.vertices.begin(), r.vertices.end(), int(v) - 1) -
                              r.vertices.begin());
    };
    for (auto t : g.triangles) {
      const auto& tri = m.triangles[t];
      r.triangles.push_back(
          {local(tri.vindices[0]), local(tri.vindices[1]), local(tri.vindices[2])});
    }
    r.refreshFrom(avatar);
    r.updateBox(avatar);
    r.skirt = skirtOf(r, around);
    regions.push_back(std::move(r));
  }
  return regions;
}

}  // namespace vestora
