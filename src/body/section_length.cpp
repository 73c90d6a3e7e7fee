#include "body/section_length.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>

namespace vestora {
namespace {

Vec3f sub(const Vec3f& a, const Vec3f& b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
float dotf(const Vec3f& a, const Vec3f& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
float dist(const Vec3f& a, const Vec3f& b) {
  const Vec3f d = sub(a, b);
  return std::sqrt(dotf(d, d));
}

// A unit normal; a component within the tolerance of ±1 makes it exactly
// that axis.
Vec3f unitNormal(Vec3f n) {
  const float len = std::sqrt(dotf(n, n));
  if (len > 0) n = {n.x / len, n.y / len, n.z / len};
  constexpr float tolerance = 1e-4f;
  if (std::abs(std::abs(n.x) - 1) < tolerance) return {n.x > 0 ? 1.0f : -1.0f, 0, 0};
  if (std::abs(std::abs(n.y) - 1) < tolerance) return {0, n.y > 0 ? 1.0f : -1.0f, 0};
  if (std::abs(std::abs(n.z) - 1) < tolerance) return {0, 0, n.z > 0 ? 1.0f : -1.0f};
  return n;
}

bool candidate(const TriangleCorners& t, const SectionWindow& w) {
  auto mid = [&](float Vec3f::*axis) {
    float lo = std::min({t[0].*axis, t[1].*axis, t[2].*axis});
    float hi = std::max({t[0].*axis, t[1].*axis, t[2].*axis});
    lo = std::clamp(lo, -1000.0f, 1000.0f);
    hi = std::clamp(hi, -1000.0f, 1000.0f);
    return (lo + hi) / 2;
  };
  const float mx = mid(&Vec3f::x), my = mid(&Vec3f::y);
  return w.xmin < mx && mx < w.xmax && w.ymin < my && my < w.ymax;
}

// Where the edge p0 → p1 meets the plane, if it does.
bool cutEdge(const Vec3f& p0, const Vec3f& p1, const Vec3f& point, const Vec3f& n, Vec3f& hit) {
  const Vec3f d = sub(p1, p0);
  const float denominator = dotf(n, d);
  if (std::abs(denominator) < 1e-8f) {
    // Parallel: a hit when its start lies in the plane.
    if (std::abs(dotf(n, sub(p0, point))) < 1e-6f) {
      hit = p0;
      return true;
    }
    return false;
  }
  const float t = -dotf(n, sub(p0, point)) / denominator;
  hit = {p0.x + t * d.x, p0.y + t * d.y, p0.z + t * d.z};
  constexpr float slack = 1e-6f;
  return hit.x >= std::min(p0.x, p1.x) - slack && hit.x <= std::max(p0.x, p1.x) + slack &&
         hit.y >= std::min(p0.y, p1.y) - slack && hit.y <= std::max(p0.y, p1.y) + slack &&
         hit.z >= std::min(p0.z, p1.z) - slack && hit.z <= std::max(p0.z, p1.z) + slack;
}

// Duplicate removal, sorting by x and nearest-neighbour chaining, then the
// chain's length.
float chainLength(std::vector<SectionPoint>& pts, bool closed) {
  std::size_t count = pts.size();
  for (std::size_t i = 0; i < count; ++i)
    for (std::size_t j = i + 1; j < count;) {
      if (std::abs(pts[j].x - pts[i].x) < 1e-4f && std::abs(pts[j].y - pts[i].y) < 1e-4f &&
          std::abs(pts[j].z - pts[i].z) < 1e-4f) {
        pts[j] = pts[count - 1];
        --count;
      } else {
        ++j;
      }
    }
  pts.resize(count);
  std::stable_sort(pts.begin(), pts.end(),
                   [](const SectionPoint& a, const SectionPoint& b) { return a.x < b.x; });
  if (count < 2) return 0;
  std::vector<char> visited(count, 0);
  std::vector<SectionPoint> chain;
  chain.reserve(count);
  chain.push_back(pts[0]);
  visited[0] = 1;
  auto d2 = [](const SectionPoint& a, const SectionPoint& b) {
    const float dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
    return dx * dx + dy * dy + dz * dz;
  };
  for (std::size_t step = 1; step < count; ++step) {
    float best = 1e10f;
    std::size_t at = 0;
    for (std::size_t j = 0; j < count; ++j)
      if (!visited[j] && d2(chain.back(), pts[j]) < best) best = d2(chain.back(), pts[j]), at = j;
    visited[at] = 1;
    chain.push_back(pts[at]);
  }
  pts = std::move(chain);
  float length = 0;
  for (std::size_t i = 1; i < count; ++i) length += std::sqrt(d2(pts[i - 1], pts[i]));
  if (closed) length += std::sqrt(d2(pts.back(), pts.front()));
  return length;
}

Vec3f cornerOf(const SkinVertex& s) {
  return {s.x, s.y, s.z};
}

}  // namespace

float SectionLength(const Vec3f& point, Vec3f normal, const SectionWindow& window,
                    std::span<const TriangleCorners> triangles, std::vector<SectionPoint>& out,
                    bool closed) {
  const Vec3f n = unitNormal(normal);
  out.clear();
  for (std::size_t i = 0; i < triangles.size(); ++i) {
    const TriangleCorners& t = triangles[i];
    if (!candidate(t, window)) continue;
    for (int e = 0; e < 3; ++e) {
      Vec3f hit;
      if (cutEdge(t[e], t[(e + 1) % 3], point, n, hit))
        out.push_back({hit.x, hit.y, hit.z, static_cast<std::int32_t>(i)});
    }
  }
  return chainLength(out, closed);
}

float SectionLength(const Vec3f& point, Vec3f normal, const SectionWindow& window,
                    const Avatar& avatar, std::vector<SectionPoint>& out, bool closed) {
  const Vec3f n = unitNormal(normal);
  out.clear();
  // Each mesh edge (a pair of vertex numbers) is cut once.
  std::unordered_map<std::uint64_t, char> cut;
  for (std::size_t i = 0; i < avatar.triangleCount(); ++i) {
    const BodyTriangle& bt = avatar.triangles[i];
    const TriangleCorners t = {cornerOf(bt.corner[0]), cornerOf(bt.corner[1]),
                               cornerOf(bt.corner[2])};
    if (!candidate(t, window)) continue;
    for (int e = 0; e < 3; ++e) {
      std::uint32_t a = bt.vertex[e], b = bt.vertex[(e + 1) % 3];
      if (a > b) std::swap(a, b);
      if (!cut.emplace((std::uint64_t(a) << 32) | b, 1).second) continue;
      Vec3f hit;
      if (cutEdge(t[e], t[(e + 1) % 3], point, n, hit))
        out.push_back({hit.x, hit.y, hit.z, static_cast<std::int32_t>(i)});
    }
  }
  return chainLength(out, closed);
}

float SectionLoop::length() const {
  float total = 0;
  for (std::size_t i = 0; i < points.size(); ++i)
    total += dist(points[i], points[(i + 1) % points.size()]);
  return total;
}

namespace {

void basis(const Vec3f& normal, Vec3f& u, Vec3f& v) {
  const Vec3f n = unitNormal(normal);
  const Vec3f helper = std::abs(n.x) < 0.9f ? Vec3f{1, 0, 0} : Vec3f{0, 0, 1};
  u = {helper.y * n.z - helper.z * n.y, helper.z * n.x - helper.x * n.z,
       helper.x * n.y - helper.y * n.x};
  const float len = std::sqrt(dotf(u, u));
  u = {u.x / len, u.y / len, u.z / len};
  v = {n.y * u.z - n.z * u.y, n.z * u.x - n.x * u.z, n.x * u.y - n.y * u.x};
}

}  // namespace

std::vector<std::array<float, 2>> convexHull(std::vector<std::array<float, 2>> pts) {
  std::sort(pts.begin(), pts.end());
  if (pts.size() < 3) return pts;
  auto turn = [](const std::array<float, 2>& o, const std::array<float, 2>& a,
                 const std::array<float, 2>& b) {
    return (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0]);
  };
  std::vector<std::array<float, 2>> hull(2 * pts.size());
  std::size_t k = 0;
  for (const auto& p : pts) {
    while (k >= 2 && turn(hull[k - 2], hull[k - 1], p) <= 0) --k;
    hull[k++] = p;
  }
  for (std::size_t i = pts.size() - 1, lower = k + 1; i > 0; --i) {
    while (k >= lower && turn(hull[k - 2], hull[k - 1], pts[i - 1]) <= 0) --k;
    hull[k++] = pts[i - 1];
  }
  hull.resize(k - 1);
  return hull;
}

float SectionLoop::tapeLength(const Vec3f& normal) const {
  Vec3f u, v;
  basis(normal, u, v);
  std::vector<std::array<float, 2>> pts;
  pts.reserve(points.size());
  for (const Vec3f& p : points) pts.push_back({dotf(p, u), dotf(p, v)});
  if (pts.size() < 3) return 0;
  const std::vector<std::array<float, 2>> hull = convexHull(std::move(pts));
  float total = 0;
  for (std::size_t i = 0; i < hull.size(); ++i) {
    const auto& a = hull[i];
    const auto& b = hull[(i + 1) % hull.size()];
    total += std::sqrt((b[0] - a[0]) * (b[0] - a[0]) + (b[1] - a[1]) * (b[1] - a[1]));
  }
  return total;
}

bool SectionLoop::encloses(const Vec3f& p, const Vec3f& normal) const {
  Vec3f u, v;
  basis(normal, u, v);
  const float px = dotf(p, u), py = dotf(p, v);
  bool inside = false;
  for (std::size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
    const float xi = dotf(points[i], u), yi = dotf(points[i], v);
    const float xj = dotf(points[j], u), yj = dotf(points[j], v);
    if ((yi > py) != (yj > py) && px < (xj - xi) * (py - yi) / (yj - yi) + xi) inside = !inside;
  }
  return inside;
}

LevelIndex::LevelIndex(const Avatar& avatar) : count_(avatar.triangleCount()) {
  if (count_ == 0) return;
  float lowest = std::numeric_limits<float>::infinity(), highest = -lowest;
  for (std::size_t i = 0; i < count_; ++i) {
    const auto& b = avatar.triangles[i].bounds;
    lowest = std::min(lowest, b[1]);
    highest = std::max(highest, b[1]);
    tallest_ = std::max(tallest_, b[4] - b[1]);
  }
  // A body with coordinates that are not numbers keeps no bands: every level
  // visits every triangle.
  if (!std::isfinite(lowest) || !std::isfinite(highest) || !std::isfinite(tallest_)) return;
  // Bands as high as the tallest triangle: a level meets triangles starting
  // in its own band and the one below. At most 4097 bands.
  bottom_ = lowest;
  band_ = std::max({tallest_, (highest - lowest) / 4096, 1e-6f});
  const std::size_t bands = static_cast<std::size_t>((highest - lowest) / band_) + 1;
  first_.assign(bands + 1, 0);
  for (std::size_t i = 0; i < count_; ++i) ++first_[bandAt(avatar.triangles[i].bounds[1]) + 1];
  for (std::size_t b = 0; b < bands; ++b) first_[b + 1] += first_[b];
  order_.resize(count_);
  std::vector<std::size_t> next(first_.begin(), first_.end() - 1);
  for (std::size_t i = 0; i < count_; ++i)
    order_[next[bandAt(avatar.triangles[i].bounds[1])]++] = static_cast<std::int32_t>(i);
}

std::size_t LevelIndex::bandAt(float y) const {
  const float f = (y - bottom_) / band_;
  const std::size_t last = first_.size() - 2;
  if (!(f > 0)) return 0;
  return f >= static_cast<float>(last) ? last : static_cast<std::size_t>(f);
}

void LevelIndex::trianglesAt(float y, std::vector<std::int32_t>& out) const {
  out.clear();
  if (first_.empty() || std::isnan(y)) {
    for (std::size_t i = 0; i < count_; ++i) out.push_back(static_cast<std::int32_t>(i));
    return;
  }
  if (y < bottom_) return;
  // A triangle that spans y starts at most its height below it; the margin
  // covers rounding (the caller checks each triangle again).
  const std::size_t lo = bandAt(y - tallest_ * 1.001f - 1e-4f), hi = bandAt(y);
  out.assign(order_.begin() + first_[lo], order_.begin() + first_[hi + 1]);
  std::sort(out.begin(), out.end());
}

std::vector<SectionLoop> sectionLoops(const Avatar& avatar, const Vec3f& point,
                                      const Vec3f& normalIn, const LevelIndex* index) {
  const Vec3f n = unitNormal(normalIn);
  const auto& skin = avatar.skin;
  auto side = [&](std::int32_t v) {
    const float s = dotf(sub(cornerOf(skin[v]), point), n);
    return s == 0 ? 1e-12f : s;  // a vertex on the plane counts as above it
  };
  // One point per cut edge; each cut triangle links its two points.
  std::unordered_map<std::uint64_t, int> pointOfEdge;
  std::vector<Vec3f> pts;
  std::vector<std::array<int, 2>> links;
  auto pointOn = [&](std::int32_t a, std::int32_t b) {
    const std::uint64_t key = a < b ? (std::uint64_t(a) << 32) | std::uint32_t(b)
                                    : (std::uint64_t(b) << 32) | std::uint32_t(a);
    auto [it, inserted] = pointOfEdge.try_emplace(key, static_cast<int>(pts.size()));
    if (inserted) {
      const float sa = side(a), sb = side(b);
      const float t = sa / (sa - sb);
      const Vec3f pa = cornerOf(skin[a]), pb = cornerOf(skin[b]);
      pts.push_back({pa.x + (pb.x - pa.x) * t, pa.y + (pb.y - pa.y) * t, pa.z + (pb.z - pa.z) * t});
      links.push_back({-1, -1});
    }
    return it->second;
  };
  // A level plane only meets the triangles whose height range spans it.
  const bool level = n.x == 0 && n.z == 0;
  auto cut = [&](std::size_t i) {
    if (level &&
        (avatar.triangles[i].bounds[1] > point.y || avatar.triangles[i].bounds[4] < point.y))
      return;
    const auto& v = avatar.triangles[i].vertex;
    int ends[2], count = 0;
    for (int e = 0; e < 3 && count < 2; ++e) {
      const std::int32_t a = v[e], b = v[(e + 1) % 3];
      if ((side(a) > 0) != (side(b) > 0)) ends[count++] = pointOn(a, b);
    }
    if (count != 2) return;
    for (int e = 0; e < 2; ++e) {
      auto& l = links[ends[e]];
      l[l[0] < 0 ? 0 : 1] = ends[1 - e];
    }
  };
  if (level && index) {
    // The same triangles in the same order, without visiting the others.
    std::vector<std::int32_t> spanning;
    index->trianglesAt(point.y, spanning);
    for (std::int32_t i : spanning) cut(static_cast<std::size_t>(i));
  } else {
    for (std::size_t i = 0; i < avatar.triangleCount(); ++i) cut(i);
  }
  std::vector<SectionLoop> loops;
  std::vector<char> used(pts.size(), 0);
  for (std::size_t start = 0; start < pts.size(); ++start) {
    if (used[start]) continue;
    SectionLoop loop;
    int previous = -1, current = static_cast<int>(start);
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

SectionLoop loopAround(const Avatar& avatar, const Vec3f& point, const Vec3f& normal,
                       const Vec3f& inside, const LevelIndex* index) {
  SectionLoop best;
  float bestLength = 0;
  for (SectionLoop& loop : sectionLoops(avatar, point, normal, index)) {
    if (loop.points.size() < 3 || !loop.encloses(inside, normal)) continue;
    const float length = loop.length();
    if (best.points.empty() || length < bestLength) {
      bestLength = length;
      best = std::move(loop);
    }
  }
  return best;
}

}  // namespace vestora
