#include "body/shape_lattice.h"

#include <cmath>

namespace vestora {
namespace {

// B(i, d, x) = d! / (i! (d - i)!) x^i (1 - x)^(d - i).
float bernstein(int i, int d, float x) {
  double binomial = 1;
  for (int k = 1; k <= i; ++k) binomial = binomial * (d - i + k) / k;
  return static_cast<float>(binomial * std::pow(double(x), i) * std::pow(1.0 - x, d - i));
}

float local(float p, float origin, float extent) { return extent > 1e-9f ? (p - origin) / extent : 0.0f; }

}  // namespace

ShapeLattice::ShapeLattice(const Vec3f& origin, const Vec3f& extent, std::span<const Vec3f> points)
    : origin_(origin), extent_(extent), deformed_(points.begin(), points.end()) {
  control_.resize(kL * kM * kN);
  pending_.assign(control_.size(), Vec3f{});
  for (int i = 0; i < kL; ++i)
    for (int j = 0; j < kM; ++j)
      for (int k = 0; k < kN; ++k)
        control_[index(i, j, k)] = {origin.x + float(i) / (kL - 1) * extent.x,
                                    origin.y + float(j) / (kM - 1) * extent.y,
                                    origin.z + float(k) / (kN - 1) * extent.z};
  basis_.resize(points.size());
  for (std::size_t p = 0; p < points.size(); ++p) {
    const float s = local(points[p].x, origin.x, extent.x);
    const float t = local(points[p].y, origin.y, extent.y);
    const float u = local(points[p].z, origin.z, extent.z);
    auto& b = basis_[p];
    for (int i = 0; i < kL; ++i) b[i] = bernstein(i, kL - 1, s);
    for (int j = 0; j < kM; ++j) b[kL + j] = bernstein(j, kM - 1, t);
    for (int k = 0; k < kN; ++k) b[kL + kM + k] = bernstein(k, kN - 1, u);
  }
}

void ShapeLattice::move(int i, int j, int k, const Vec3f& v) {
  Vec3f& c = control_[index(i, j, k)];
  c = {c.x + v.x, c.y + v.y, c.z + v.z};
  Vec3f& p = pending_[index(i, j, k)];
  p = {p.x + v.x, p.y + v.y, p.z + v.z};
  anyPending_ = true;
}

void ShapeLattice::apply() {
  if (!anyPending_) return;
  // Only control points that moved take part.
  struct Moved {
    int i, j, k;
    Vec3f v;
  };
  std::vector<Moved> moved;
  for (int i = 0; i < kL; ++i)
    for (int j = 0; j < kM; ++j)
      for (int k = 0; k < kN; ++k) {
        const Vec3f& v = pending_[index(i, j, k)];
        if (v.x != 0 || v.y != 0 || v.z != 0) moved.push_back({i, j, k, v});
      }
  for (std::size_t p = 0; p < deformed_.size(); ++p) {
    const auto& b = basis_[p];
    float dx = 0, dy = 0, dz = 0;
    for (const Moved& m : moved) {
      const float w = b[m.i] * b[kL + m.j] * b[kL + kM + m.k];
      dx += w * m.v.x;
      dy += w * m.v.y;
      dz += w * m.v.z;
    }
    deformed_[p] = {deformed_[p].x + dx, deformed_[p].y + dy, deformed_[p].z + dz};
  }
  pending_.assign(control_.size(), Vec3f{});
  anyPending_ = false;
}

}  // namespace vestora
