#include "cloth/penetration.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>

#include "avatar/triangle_tree.h"

namespace vestora {

namespace {

using D3 = std::array<double, 3>;

D3 sub(const Point3& a, const Point3& b) {
  return {double(a[0]) - b[0], double(a[1]) - b[1], double(a[2]) - b[2]};
}
D3 cross(const D3& a, const D3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double dot(const D3& a, const D3& b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// The ray from `origin` along `dir` crosses the triangle at a positive distance.
bool rayCrosses(const Point3& origin, const D3& dir, const Point3& a, const Point3& b,
                const Point3& c) {
  const D3 e1 = sub(b, a), e2 = sub(c, a);
  const D3 h = cross(dir, e2);
  const double det = dot(e1, h);
  if (std::abs(det) < 1e-14) return false;
  const D3 s = sub(origin, a);
  const double u = dot(s, h) / det;
  if (u < 0 || u > 1) return false;
  const D3 q = cross(s, e1);
  const double v = dot(dir, q) / det;
  if (v < 0 || u + v > 1) return false;
  return dot(e2, q) / det > 0;
}

// Distance from p to the triangle (a, b, c).
double pointTriangleDistance(const Point3& p, const Point3& a, const Point3& b, const Point3& c) {
  const D3 ab = sub(b, a), ac = sub(c, a), ap = sub(p, a);
  auto length = [](const D3& v) { return std::sqrt(dot(v, v)); };
  const double d1 = dot(ab, ap), d2 = dot(ac, ap);
  if (d1 <= 0 && d2 <= 0) return length(ap);
  const D3 bp = sub(p, b);
  const double d3 = dot(ab, bp), d4 = dot(ac, bp);
  if (d3 >= 0 && d4 <= d3) return length(bp);
  const double vc = d1 * d4 - d3 * d2;
  if (vc <= 0 && d1 >= 0 && d3 <= 0) {
    const double v = d1 / (d1 - d3);
    return length({ap[0] - v * ab[0], ap[1] - v * ab[1], ap[2] - v * ab[2]});
  }
  const D3 cp = sub(p, c);
  const double d5 = dot(ab, cp), d6 = dot(ac, cp);
  if (d6 >= 0 && d5 <= d6) return length(cp);
  const double vb = d5 * d2 - d1 * d6;
  if (vb <= 0 && d2 >= 0 && d6 <= 0) {
    const double w = d2 / (d2 - d6);
    return length({ap[0] - w * ac[0], ap[1] - w * ac[1], ap[2] - w * ac[2]});
  }
  const double va = d3 * d6 - d5 * d4;
  if (va <= 0 && (d4 - d3) >= 0 && (d5 - d6) >= 0) {
    const double w = (d4 - d3) / ((d4 - d3) + (d5 - d6));
    const D3 bc = sub(c, b);
    return length({bp[0] - w * bc[0], bp[1] - w * bc[1], bp[2] - w * bc[2]});
  }
  const double denom = 1 / (va + vb + vc);
  const double v = vb * denom, w = vc * denom;
  return length({ap[0] - ab[0] * v - ac[0] * w, ap[1] - ab[1] * v - ac[1] * w,
                 ap[2] - ab[2] * v - ac[2] * w});
}

bool openStrip(const std::string& groupName) {
  std::string lower = groupName;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  return lower.find("lash") != std::string::npos || lower.find("jiemao") != std::string::npos;
}

}  // namespace

Penetration measurePenetration(const Avatar& avatar,
                               const std::vector<GarmentParticle>& particles) {
  Penetration result;
  if (!avatar.loaded() || particles.empty()) return result;
  TriangleMesh mesh;
  mesh.vertices.reserve(avatar.skin.size());
  for (const SkinVertex& v : avatar.skin) mesh.vertices.push_back({v.x, v.y, v.z});
  std::vector<std::uint8_t> skip(avatar.triangleCount(), 0);
  for (const GlmGroup& group : avatar.model().groups) {
    if (!openStrip(group.name)) continue;
    for (std::uint32_t t : group.triangles)
      if (t < skip.size()) skip[t] = 1;
  }
  for (std::size_t t = 0; t < avatar.triangleCount(); ++t) {
    if (!skip[t]) mesh.triangles.push_back(avatar.triangles[t].vertex);
  }
  const BodyTriangleTree tree = buildTriangleTree(mesh);
  if (tree.empty()) return result;
  const TriangleBox& all = tree.nodes()[0].box;
  // A ray slightly off the axes, so that it does not run along mesh edges.
  const D3 dir = [] {
    const D3 d{1.0, 0.0123, 0.0071};
    const double l = std::sqrt(dot(d, d));
    return D3{d[0] / l, d[1] / l, d[2] / l};
  }();
  const double reach =
      (all.max[0] - all.min[0]) + (all.max[1] - all.min[1]) + (all.max[2] - all.min[2]) + 1;
  std::vector<std::int32_t> leaves;
  const float unit = avatar.unitScale();
  for (const GarmentParticle& particle : particles) {
    const Point3 p{particle.point.x, particle.point.y, particle.point.z};
    if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2])) continue;
    const Point3 far{static_cast<float>(p[0] + reach * dir[0]),
                     static_cast<float>(p[1] + reach * dir[1]),
                     static_cast<float>(p[2] + reach * dir[2])};
    TriangleBox box;
    for (int a = 0; a < 3; ++a) {
      box.min[a] = std::min(p[a], far[a]);
      box.max[a] = std::max(p[a], far[a]);
    }
    leaves.clear();
    queryTriangleTree(tree, tree.root(), box, leaves);
    int crossings = 0;
    for (std::int32_t leaf : leaves) {
      const auto& v = tree.nodes()[leaf].vertices;
      if (rayCrosses(p, dir, mesh.vertices[v[0]], mesh.vertices[v[1]], mesh.vertices[v[2]]))
        ++crossings;
    }
    if (crossings % 2 == 0) continue;
    // Inside: the depth is the distance to the nearest triangle, which lies
    // no farther than the nearest vertex.
    double nearestVertex = 1e30;
    for (const Point3& v : mesh.vertices) {
      const D3 d = sub(v, p);
      nearestVertex = std::min(nearestVertex, dot(d, d));
    }
    const float r = static_cast<float>(std::sqrt(nearestVertex)) + 1e-4f;
    TriangleBox around;
    for (int a = 0; a < 3; ++a) {
      around.min[a] = p[a] - r;
      around.max[a] = p[a] + r;
    }
    leaves.clear();
    queryTriangleTree(tree, tree.root(), around, leaves);
    double depth = std::sqrt(nearestVertex);
    for (std::int32_t leaf : leaves) {
      const auto& v = tree.nodes()[leaf].vertices;
      depth = std::min(depth, pointTriangleDistance(p, mesh.vertices[v[0]], mesh.vertices[v[1]],
                                                    mesh.vertices[v[2]]));
    }
    ++result.count;
    const float depthCm = static_cast<float>(depth / unit);
    if (depthCm > 0.2f) ++result.deeperThan2mm;
    result.maxDepthCm = std::max(result.maxDepthCm, depthCm);
  }
  result.fraction = static_cast<double>(result.count) / static_cast<double>(particles.size());
  return result;
}

}  // namespace vestora
