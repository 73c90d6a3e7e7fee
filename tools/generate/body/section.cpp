#include "body/section.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace vestora::generate {
namespace {

// Two unit vectors spanning the plane.
void planeBasis(const Vec3& normal, Vec3& u, Vec3& v) {
  const Vec3 n = normalized(normal);
  const Vec3 helper = std::abs(n.x) < 0.9 ? Vec3{1, 0, 0} : Vec3{0, 0, 1};
  u = normalized(cross(helper, n));
  v = cross(n, u);
}

struct P2 {
  double x, y;
};

double cross2(const P2& o, const P2& a, const P2& b) {
  return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

}  // namespace

double SectionLoop::length() const {
  double total = 0;
  for (std::size_t i = 0; i < points.size(); ++i)
    total += generate::length(points[(i + 1) % points.size()] - points[i]);
  return total;
}

double SectionLoop::tapeLength(const Vec3& normal) const {
  Vec3 u, v;
  planeBasis(normal, u, v);
  std::vector<P2> pts;
  for (const Vec3& p : points) pts.push_back({dot(p, u), dot(p, v)});
  std::sort(pts.begin(), pts.end(), [](const P2& a, const P2& b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
  if (pts.size() < 3) return 0;
  // Monotone chain hull.
  std::vector<P2> hull(2 * pts.size());
  std::size_t k = 0;
  for (const P2& p : pts) {
    while (k >= 2 && cross2(hull[k - 2], hull[k - 1], p) <= 0) --k;
    hull[k++] = p;
  }
  for (std::size_t i = pts.size() - 1, t = k + 1; i > 0; --i) {
    while (k >= t && cross2(hull[k - 2], hull[k - 1], pts[i - 1]) <= 0) --k;
    hull[k++] = pts[i - 1];
  }
  hull.resize(k - 1);
  double total = 0;
  for (std::size_t i = 0; i < hull.size(); ++i) {
    const P2& a = hull[i];
    const P2& b = hull[(i + 1) % hull.size()];
    total += std::hypot(b.x - a.x, b.y - a.y);
  }
  return total;
}

bool SectionLoop::encloses(const Vec3& p, const Vec3& normal) const {
  Vec3 u, v;
  planeBasis(normal, u, v);
  const double px = dot(p, u), py = dot(p, v);
  bool inside = false;
  for (std::size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
    const double xi = dot(points[i], u), yi = dot(points[i], v);
    const double xj = dot(points[j], u), yj = dot(points[j], v);
    if ((yi > py) != (yj > py) && px < (xj - xi) * (py - yi) / (yj - yi) + xi) inside = !inside;
  }
  return inside;
}

std::vector<SectionLoop> sectionLoops(const Mesh& mesh, const Vec3& point, const Vec3& normalIn) {
  const Vec3 normal = normalized(normalIn);
  std::vector<double> side(mesh.positions.size());
  for (std::size_t i = 0; i < side.size(); ++i) {
    side[i] = dot(mesh.positions[i] - point, normal);
    if (side[i] == 0) side[i] = 1e-12;  // a vertex on the plane counts as above it
  }
  auto key = [](int a, int b) {
    if (a > b) std::swap(a, b);
    return (std::uint64_t(std::uint32_t(a)) << 32) | std::uint32_t(b);
  };
  // Each crossed edge is one section point; each crossed triangle joins two.
  std::unordered_map<std::uint64_t, int> pointOfEdge;
  std::vector<Vec3> pts;
  std::vector<std::array<int, 2>> links;
  auto pointOn = [&](int a, int b) {
    auto [it, inserted] = pointOfEdge.try_emplace(key(a, b), int(pts.size()));
    if (inserted) {
      const double t = side[a] / (side[a] - side[b]);
      pts.push_back(mesh.positions[a] + (mesh.positions[b] - mesh.positions[a]) * t);
      links.push_back({-1, -1});
    }
    return it->second;
  };
  for (const Triangle& tri : mesh.triangles) {
    int ends[2], n = 0;
    for (int c = 0; c < 3; ++c) {
      const int a = tri[c], b = tri[(c + 1) % 3];
      if ((side[a] > 0) != (side[b] > 0)) ends[n++] = pointOn(a, b);
    }
    if (n != 2) continue;
    for (int e = 0; e < 2; ++e) {
      auto& l = links[ends[e]];
      l[l[0] < 0 ? 0 : 1] = ends[1 - e];
    }
  }
  std::vector<SectionLoop> loops;
  std::vector<char> used(pts.size(), 0);
  for (std::size_t start = 0; start < pts.size(); ++start) {
    if (used[start]) continue;
    SectionLoop loop;
    int previous = -1, current = int(start);
    while (current >= 0 && !used[current]) {
      used[current] = 1;
      loop.points.push_back(pts[current]);
      const int next = links[current][0] != previous ? links[current][0] : links[current][1];
      previous = current;
      current = next;
    }
    loops.push_back(std::move(loop));
  }
  return loops;
}

SectionLoop loopAround(const Mesh& mesh, const Vec3& point, const Vec3& normal, const Vec3& inside) {
  // The innermost loop round the point: the shortest one that encloses it.
  SectionLoop best;
  for (SectionLoop& loop : sectionLoops(mesh, point, normal))
    if (loop.points.size() >= 3 && loop.encloses(inside, normal) &&
        (best.points.empty() || loop.length() < best.length()))
      best = std::move(loop);
  return best;
}

}  // namespace vestora::generate
