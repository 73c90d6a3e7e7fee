// A free-form deformation lattice (Bézier volume) round one body region:
// 6 × 12 × 6 control points on the world axes over the region's box. Every
// embedded point keeps its Bernstein weights, so a control-point move is
// one multiply-add per point.
#pragma once

#include <array>
#include <span>
#include <vector>

#include "body/section_length.h"

namespace vestora {

class ShapeLattice {
 public:
  static constexpr int kL = 6, kM = 12, kN = 6;  // control points along x, y, z

  // A lattice with its origin at the region box's minimum corner and the
  // box's extents, holding `points` (their rest positions).
  ShapeLattice(const Vec3f& origin, const Vec3f& extent, std::span<const Vec3f> points);

  // Moves control point (i, j, k) by v: every embedded point moves by its
  // weight for that control point times v. Moves are gathered and take
  // effect at `apply`, which gives the same result as moving point by point.
  void move(int i, int j, int k, const Vec3f& v);
  void apply();

  const std::vector<Vec3f>& deformed() const { return deformed_; }
  Vec3f control(int i, int j, int k) const { return control_[index(i, j, k)]; }
  const std::vector<Vec3f>& controlPoints() const { return control_; }
  std::size_t pointCount() const { return deformed_.size(); }

  static int index(int i, int j, int k) { return (i * kM + j) * kN + k; }

 private:
  Vec3f origin_, extent_;
  // Per point the three Bernstein bases: 6 along x, 12 along y, 6 along z.
  std::vector<std::array<float, kL + kM + kN>> basis_;
  std::vector<Vec3f> deformed_;
  std::vector<Vec3f> control_;
  std::vector<Vec3f> pending_;
  bool anyPending_ = false;
};

}  // namespace vestora
