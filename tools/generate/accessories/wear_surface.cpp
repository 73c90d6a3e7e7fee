#include "accessories/wear_surface.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace vestora::generate::wear {

Vec3 nearestOnTriangle(const Vec3& p, const Vec3& a, const Vec3& b, const Vec3& c,
                       std::array<double, 3>& w) {
  // Ericson's region test.
  const Vec3 ab = b - a, ac = c - a, ap = p - a;
  const double d1 = dot(ab, ap), d2 = dot(ac, ap);
  if (d1 <= 0 && d2 <= 0) return w = {1, 0, 0}, a;
  const Vec3 bp = p - b;
  const double d3 = dot(ab, bp), d4 = dot(ac, bp);
  if (d3 >= 0 && d4 <= d3) return w = {0, 1, 0}, b;
  const double vc = d1 * d4 - d3 * d2;
  if (vc <= 0 && d1 >= 0 && d3 <= 0) {
    const double v = d1 / (d1 - d3);
    w = {1 - v, v, 0};
    return a + ab * v;
  }
  const Vec3 cp = p - c;
  const double d5 = dot(ab, cp), d6 = dot(ac, cp);
  if (d6 >= 0 && d5 <= d6) return w = {0, 0, 1}, c;
  const double vb = d5 * d2 - d1 * d6;
  if (vb <= 0 && d2 >= 0 && d6 <= 0) {
    const double t = d2 / (d2 - d6);
    w = {1 - t, 0, t};
    return a + ac * t;
  }
  const double va = d3 * d6 - d5 * d4;
  if (va <= 0 && (d4 - d3) >= 0 && (d5 - d6) >= 0) {
    const double t = (d4 - d3) / ((d4 - d3) + (d5 - d6));
    w = {0, 1 - t, t};
    return b + (c - b) * t;
  }
  const double denom = 1 / (va + vb + vc);
  const double v = vb * denom, t = vc * denom;
  w = {1 - v - t, v, t};
  return a + ab * v + ac * t;
}

SurfaceField::SurfaceField(std::vector<Vec3> vertices, std::vector<std::array<int, 3>> triangles,
                           double cell)
    : vertices_(std::move(vertices)), triangles_(std::move(triangles)), cell_(cell) {
  normals_.assign(vertices_.size(), Vec3{});
  for (const auto& t : triangles_) {
    const Vec3 n = cross(vertices_[std::size_t(t[1])] - vertices_[std::size_t(t[0])],
                         vertices_[std::size_t(t[2])] - vertices_[std::size_t(t[0])]);
    for (int v : t) normals_[std::size_t(v)] += n;
  }
  for (Vec3& n : normals_) n = normalized(n);
  if (triangles_.empty()) return;
  Vec3 lo{1e30, 1e30, 1e30}, hi{-1e30, -1e30, -1e30};
  for (const auto& t : triangles_)
    for (int v : t)
      for (int k = 0; k < 3; ++k) {
        lo[k] = std::min(lo[k], vertices_[std::size_t(v)][k]);
        hi[k] = std::max(hi[k], vertices_[std::size_t(v)][k]);
      }
  origin_ = lo - Vec3{cell_, cell_, cell_};
  nx_ = int((hi.x - origin_.x) / cell_) + 2;
  ny_ = int((hi.y - origin_.y) / cell_) + 2;
  nz_ = int((hi.z - origin_.z) / cell_) + 2;
  const std::size_t cells = std::size_t(nx_) * ny_ * nz_;
  std::vector<int> count(cells + 1, 0);
  auto forCells = [&](const std::array<int, 3>& t, auto&& f) {
    Vec3 a = vertices_[std::size_t(t[0])], b = vertices_[std::size_t(t[1])],
         c = vertices_[std::size_t(t[2])];
    const std::array<int, 3> c0 =
        cellOf({std::min({a.x, b.x, c.x}), std::min({a.y, b.y, c.y}), std::min({a.z, b.z, c.z})});
    const std::array<int, 3> c1 =
        cellOf({std::max({a.x, b.x, c.x}), std::max({a.y, b.y, c.y}), std::max({a.z, b.z, c.z})});
    for (int k = c0[2]; k <= c1[2]; ++k)
      for (int j = c0[1]; j <= c1[1]; ++j)
        for (int i = c0[0]; i <= c1[0]; ++i) f(cellIndex(i, j, k));
  };
  for (const auto& t : triangles_) forCells(t, [&](int c) { ++count[std::size_t(c) + 1]; });
  for (std::size_t c = 1; c <= cells; ++c) count[c] += count[c - 1];
  start_ = count;
  items_.assign(std::size_t(count[cells]), 0);
  std::vector<int> fill(count.begin(), count.end() - 1);
  for (std::size_t i = 0; i < triangles_.size(); ++i)
    forCells(triangles_[i], [&](int c) { items_[std::size_t(fill[std::size_t(c)]++)] = int(i); });
  stamp_.assign(triangles_.size(), 0);
}

SurfaceField SurfaceField::ofBody(const Avatar& body, const std::function<bool(const Vec3&)>& keep,
                                  double cell) {
  std::vector<Vec3> vertices;
  vertices.reserve(body.skin.size());
  for (const SkinVertex& s : body.skin) vertices.push_back({s.x, s.y, s.z});
  std::vector<std::array<int, 3>> triangles;
  const GlmModel& m = body.model();
  for (const GlmGroup& g : m.groups) {
    if (g.name != " Body" && g.name != " Head") continue;
    for (std::uint32_t t : g.triangles) {
      if (t >= m.triangles.size()) continue;
      std::array<int, 3> tri{};
      bool ok = true;
      for (int k = 0; k < 3; ++k) {
        const std::uint32_t v = m.triangles[t].vindices[k];
        if (v < 1 || v > vertices.size()) ok = false;
        tri[std::size_t(k)] = int(v) - 1;
      }
      if (ok && keep)
        for (int v : tri) ok = ok && keep(vertices[std::size_t(v)]);
      if (ok) triangles.push_back(tri);
    }
  }
  if (triangles.empty()) throw std::runtime_error("wearables: the body has no skin to design on");
  return SurfaceField(std::move(vertices), std::move(triangles), cell);
}

std::array<int, 3> SurfaceField::cellOf(const Vec3& p) const {
  auto clampTo = [](double v, int n) { return std::clamp(int(std::floor(v)), 0, n - 1); };
  return {clampTo((p.x - origin_.x) / cell_, nx_), clampTo((p.y - origin_.y) / cell_, ny_),
          clampTo((p.z - origin_.z) / cell_, nz_)};
}

std::optional<SurfaceField::Nearest> SurfaceField::nearest(const Vec3& p, double reach) const {
  if (triangles_.empty()) return std::nullopt;
  if (++round_ == 0) {
    std::fill(stamp_.begin(), stamp_.end(), 0u);
    round_ = 1;
  }
  // The cell of p, unclamped: p may lie outside the grid.
  const std::array<double, 3> f{(p.x - origin_.x) / cell_, (p.y - origin_.y) / cell_,
                                (p.z - origin_.z) / cell_};
  const std::array<int, 3> home{int(std::floor(f[0])), int(std::floor(f[1])),
                                int(std::floor(f[2]))};
  // How far the grid lies from p, in cells: shells nearer than that are empty.
  int gap = 0;
  const std::array<int, 3> n{nx_, ny_, nz_};
  for (int k = 0; k < 3; ++k)
    gap = std::max({gap, -home[std::size_t(k)], home[std::size_t(k)] - (n[std::size_t(k)] - 1)});
  const int maxShell = int(std::ceil(reach / cell_)) + 1;
  double best = reach * reach;
  Nearest out;
  bool found = false;
  for (int shell = gap; shell <= maxShell; ++shell) {
    // Every point of a cell in this shell is at least (shell − 1) cells away.
    if (found && double(shell - 1) * cell_ > std::sqrt(best)) break;
    if (double(shell - 1) * cell_ > reach) break;
    for (int k = home[2] - shell; k <= home[2] + shell; ++k) {
      if (k < 0 || k >= nz_) continue;
      for (int j = home[1] - shell; j <= home[1] + shell; ++j) {
        if (j < 0 || j >= ny_) continue;
        const bool faceKJ = std::abs(k - home[2]) == shell || std::abs(j - home[1]) == shell;
        for (int i = home[0] - shell; i <= home[0] + shell;
             i += (faceKJ ? 1 : std::max(1, 2 * shell))) {
          if (i < 0 || i >= nx_) continue;
          const int c = cellIndex(i, j, k);
          for (int q = start_[std::size_t(c)]; q < start_[std::size_t(c) + 1]; ++q) {
            const int t = items_[std::size_t(q)];
            if (stamp_[std::size_t(t)] == round_) continue;
            stamp_[std::size_t(t)] = round_;
            const auto& tri = triangles_[std::size_t(t)];
            std::array<double, 3> w{};
            const Vec3 x =
                nearestOnTriangle(p, vertices_[std::size_t(tri[0])], vertices_[std::size_t(tri[1])],
                                  vertices_[std::size_t(tri[2])], w);
            const Vec3 d = p - x;
            const double d2 = dot(d, d);
            if (d2 < best) {
              best = d2;
              found = true;
              out.point = x;
              out.triangle = t;
              out.normal = normalized(normals_[std::size_t(tri[0])] * w[0] +
                                      normals_[std::size_t(tri[1])] * w[1] +
                                      normals_[std::size_t(tri[2])] * w[2]);
            }
          }
        }
      }
    }
  }
  if (!found) return std::nullopt;
  const Vec3 d = p - out.point;
  out.distance = std::sqrt(best);
  // Inside when p lies behind the surface: judged by the smooth normal, or
  // by the face normal when p sits on the surface's tangent plane.
  double side = dot(d, out.normal);
  if (std::abs(side) < 1e-12) {
    const auto& tri = triangles_[std::size_t(out.triangle)];
    side = dot(d, cross(vertices_[std::size_t(tri[1])] - vertices_[std::size_t(tri[0])],
                        vertices_[std::size_t(tri[2])] - vertices_[std::size_t(tri[0])]));
  }
  if (side < 0) out.distance = -out.distance;
  return out;
}

double SurfaceField::distance(const Vec3& p, double reach, double farValue) const {
  const auto n = nearest(p, reach);
  return n ? n->distance : farValue;
}

std::vector<double> SurfaceField::crossings(const Vec3& o, const Vec3& d, double tMax) const {
  std::vector<double> hits;
  if (triangles_.empty()) return hits;
  if (++round_ == 0) {
    std::fill(stamp_.begin(), stamp_.end(), 0u);
    round_ = 1;
  }
  const double len = length(d) * tMax;
  const int steps = std::max(1, int(std::ceil(len / (0.5 * cell_))));
  for (int s = 0; s <= steps; ++s) {
    const Vec3 p = o + d * (tMax * s / steps);
    const std::array<double, 3> f{(p.x - origin_.x) / cell_, (p.y - origin_.y) / cell_,
                                  (p.z - origin_.z) / cell_};
    const int ci = int(std::floor(f[0])), cj = int(std::floor(f[1])), ck = int(std::floor(f[2]));
    for (int k = ck - 1; k <= ck + 1; ++k)
      for (int j = cj - 1; j <= cj + 1; ++j)
        for (int i = ci - 1; i <= ci + 1; ++i) {
          if (i < 0 || j < 0 || k < 0 || i >= nx_ || j >= ny_ || k >= nz_) continue;
          const int c = cellIndex(i, j, k);
          for (int q = start_[std::size_t(c)]; q < start_[std::size_t(c) + 1]; ++q) {
            const int t = items_[std::size_t(q)];
            if (stamp_[std::size_t(t)] == round_) continue;
            stamp_[std::size_t(t)] = round_;
            const auto& tri = triangles_[std::size_t(t)];
            const Vec3 &a = vertices_[std::size_t(tri[0])], &b = vertices_[std::size_t(tri[1])],
                       &cc = vertices_[std::size_t(tri[2])];
            const Vec3 e1 = b - a, e2 = cc - a;
            const Vec3 pv = cross(d, e2);
            const double det = dot(e1, pv);
            if (std::abs(det) < 1e-18) continue;
            const double inv = 1 / det;
            const Vec3 tv = o - a;
            const double u = dot(tv, pv) * inv;
            if (u < 0 || u > 1) continue;
            const Vec3 qv = cross(tv, e1);
            const double v = dot(d, qv) * inv;
            if (v < 0 || u + v > 1) continue;
            const double along = dot(e2, qv) * inv;
            if (along >= 0 && along <= tMax) hits.push_back(along);
          }
        }
  }
  std::sort(hits.begin(), hits.end());
  return hits;
}

}  // namespace vestora::generate::wear
