// A triangle surface that accessories are designed against: the skin of a
// loaded body (or a part of it), or an accessory's own mesh. It answers the
// nearest point with a signed distance (negative inside, by the smooth
// normal there) and where a ray crosses it.
//
// A uniform grid of cells keeps the queries local: the nearest point is
// searched in growing shells of cells round the point, up to `reach`.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "avatar/avatar.h"
#include "body/vec.h"

namespace vestora::generate::wear {

class SurfaceField {
 public:
  SurfaceField() = default;
  SurfaceField(std::vector<Vec3> vertices, std::vector<std::array<int, 3>> triangles, double cell);

  // The skin of a loaded body: its " Body" and " Head" groups (the eyes and
  // lashes left out), the triangles whose corners all pass `keep` (0-based
  // records; every triangle when empty).
  static SurfaceField ofBody(const Avatar& body, const std::function<bool(const Vec3&)>& keep,
                             double cell);

  struct Nearest {
    Vec3 point, normal;   // the nearest point and the smooth outward normal there
    double distance = 0;  // signed: negative inside
    int triangle = -1;
  };
  // Nothing when no triangle lies within `reach`.
  std::optional<Nearest> nearest(const Vec3& p, double reach) const;
  // The signed distance, or `farValue` when nothing lies within `reach`.
  double distance(const Vec3& p, double reach, double farValue) const;

  // Every crossing of the ray o + t·d (d need not be unit) for t in
  // [0, tMax], sorted.
  std::vector<double> crossings(const Vec3& o, const Vec3& d, double tMax) const;

  const std::vector<Vec3>& vertices() const { return vertices_; }
  const std::vector<std::array<int, 3>>& triangles() const { return triangles_; }
  const std::vector<Vec3>& vertexNormals() const { return normals_; }
  bool empty() const { return triangles_.empty(); }

 private:
  int cellIndex(int i, int j, int k) const { return (k * ny_ + j) * nx_ + i; }
  std::array<int, 3> cellOf(const Vec3& p) const;

  std::vector<Vec3> vertices_, normals_;
  std::vector<std::array<int, 3>> triangles_;
  double cell_ = 0.05;
  Vec3 origin_;
  int nx_ = 0, ny_ = 0, nz_ = 0;
  std::vector<int> start_, items_;  // cell c holds items_[start_[c] .. start_[c + 1])
  mutable std::vector<unsigned> stamp_;
  mutable unsigned round_ = 0;
};

// The nearest point of triangle abc to p, with its barycentric weights.
Vec3 nearestOnTriangle(const Vec3& p, const Vec3& a, const Vec3& b, const Vec3& c,
                       std::array<double, 3>& weights);

}  // namespace vestora::generate::wear
