#include "body/shape_region.h"

#include <algorithm>

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
  for (const auto& t : triangles) out.push_back({positions[t[0]], positions[t[1]], positions[t[2]]});
  return out;
}

Result<std::vector<ShapeRegion>> loadShapeRegions(const std::string& path, const Avatar& avatar) {
  ModelLoader loader;  // the avatar's own loader keeps the body's weight levels
  std::int32_t tag = 0;
  auto file = loader.glmReadOBJ(path, tag);
  if (!file) return file.error();
  const GlmModel& m = *file.value();
  const int bodyVertices = static_cast<int>(avatar.skin.size());
  std::vector<ShapeRegion> regions;
  // The group list runs newest first: walk it backwards for file order.
  for (auto it = m.groups.rbegin(); it != m.groups.rend(); ++it) {
    const GlmGroup& g = *it;
    if (g.name == "default" && g.triangles.empty()) continue;
    if (regions.size() == kMaxShapeRegions)
      return makeError(path, "more than 40 regions");
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
      return static_cast<int>(std::lower_bound(r.vertices.begin(), r.vertices.end(), int(v) - 1) - r.vertices.begin());
    };
    for (auto t : g.triangles) {
      const auto& tri = m.triangles[t];
      r.triangles.push_back({local(tri.vindices[0]), local(tri.vindices[1]), local(tri.vindices[2])});
    }
    r.refreshFrom(avatar);
    r.updateBox(avatar);
    regions.push_back(std::move(r));
  }
  return regions;
}

}  // namespace vestora
