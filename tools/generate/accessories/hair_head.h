// The head a hair style is designed on, measured from a loaded body: its
// centre, the distance from the centre to the scalp in every direction, the
// hairline, and the clearance of any point from the body's surface.
//
// Directions from the centre are given by two angles: theta, from straight
// up (0) down to straight down (π), and phi, the azimuth about the
// vertical, 0 towards the face (+z) and π/2 towards the body's left (+x).
// Hair is laid out on a flat chart of these directions: the azimuthal
// equidistant map about "up", in which the chart point (x, z) is the
// direction of theta = |(x, z)| and phi = atan2(x, z). Straight lines in the
// chart lie on the scalp as smooth curves, and a point's chart radius is its
// angle from the top of the head.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "avatar/avatar.h"
#include "body/vec.h"

namespace vestora::generate::hair {

inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kDegree = kPi / 180.0;

struct ChartPoint {
  double x = 0, z = 0;
  ChartPoint operator+(const ChartPoint& o) const { return {x + o.x, z + o.z}; }
  ChartPoint operator-(const ChartPoint& o) const { return {x - o.x, z - o.z}; }
  ChartPoint operator*(double s) const { return {x * s, z * s}; }
  double theta() const;
  double phi() const;
};
ChartPoint chartOf(double theta, double phi);
double chartLength(const ChartPoint& a);

// The unit vector of a direction.
Vec3 direction(double theta, double phi);

// Which head a style is made for; the hairline differs a little.
enum class HeadKind { Woman, Girl, Man };

// The nearest point of a surface made of vertices with normals: the signed
// distance of a point from the tangent plane at the nearest vertex, within
// `reach` of it (farther points are free).
class SurfaceClearance {
 public:
  SurfaceClearance() = default;
  SurfaceClearance(std::vector<Vec3> points, std::vector<Vec3> normals, double cell);
  // Signed distance (negative inside) and the outward normal there; `reach`
  // (and `normal` unchanged) when no vertex lies within reach.
  double distance(const Vec3& p, Vec3* normal = nullptr) const;
  double reach() const { return 2 * cell_; }

 private:
  std::int64_t key(int i, int j, int k) const;
  std::vector<Vec3> points_, normals_;
  double cell_ = 0.1;
  Vec3 origin_;
  int nx_ = 0, ny_ = 0, nz_ = 0;
  std::vector<int> start_, items_;  // cell → [start_[c], start_[c + 1]) in items_
};

class Head {
 public:
  // Measures the head of a loaded body of the given kind.
  Head(const Avatar& body, HeadKind kind);

  HeadKind kind() const { return kind_; }
  const Vec3& centre() const { return centre_; }
  // The distance from the centre to the outermost crossing of the scalp
  // along the direction (bilinear between directions 1° apart).
  double radius(double theta, double phi) const;
  // The point `offset` beyond the scalp along the direction of `q`.
  Vec3 scalp(const ChartPoint& q, double offset) const;
  // The chart point of the direction of `p` from the centre.
  ChartPoint chartPoint(const Vec3& p) const;

  // The hairline: the theta where hair stops growing, by azimuth.
  double hairline(double phi) const;
  // How far inside the hairline a chart point lies (radians; negative
  // outside).
  double insideHairline(const ChartPoint& q) const;

  // The clearance of a point from the body (head, trunk and arms).
  double clearance(const Vec3& p, Vec3* normal = nullptr) const {
    return body_.distance(p, normal);
  }

  // The head's vertices (above the neck) for checks.
  const std::vector<Vec3>& headVertices() const { return headVertices_; }
  // Landmarks.
  double top() const { return top_; }           // highest y of the head
  const Vec3& crown() const { return crown_; }  // the body's hair seat vertex
  const Vec3& eye() const { return eye_; }      // centre of the left eye (x > 0)
  double eyeRadius() const { return eyeRadius_; }
  double chin() const { return chin_; }      // lowest y of the face
  double earTop() const { return earTop_; }  // y of the ear's top
  // Body vertices with their normals (for pictures and checks).
  const std::vector<Vec3>& bodyPoints() const { return bodyPoints_; }
  const std::vector<std::array<int, 3>>& bodyTriangles() const { return bodyTriangles_; }
  const std::vector<Vec3>& bodyNormals() const { return bodyNormals_; }
  // Whether a body vertex (0-based) belongs to the eyes.
  bool isEye(int vertex) const { return eyeVertex_[std::size_t(vertex)] != 0; }

 private:
  void measureRadii(const std::vector<std::array<Vec3, 3>>& triangles);

  HeadKind kind_;
  Vec3 centre_;
  static constexpr int kThetaSteps = 180, kPhiSteps = 360;  // 1° apart
  std::vector<float> radii_;                                // (kThetaSteps + 1) × (kPhiSteps + 1)
  std::vector<std::array<double, 2>> hairline_;             // (phi, theta) knots, periodic
  SurfaceClearance body_;
  std::vector<Vec3> headVertices_;
  std::vector<Vec3> bodyPoints_, bodyNormals_;
  std::vector<std::array<int, 3>> bodyTriangles_;
  std::vector<std::uint8_t> eyeVertex_;
  double top_ = 0, chin_ = 0, earTop_ = 0, eyeRadius_ = 0;
  Vec3 crown_, eye_;
};

}  // namespace vestora::generate::hair
