// Small double-precision vector math for building content.
#pragma once

#include <array>
#include <cmath>

namespace vestora::generate {

struct Vec3 {
  double x = 0, y = 0, z = 0;

  Vec3() = default;
  constexpr Vec3(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}

  Vec3 operator+(const Vec3& o) const { return {x + o.x, y + o.y, z + o.z}; }
  Vec3 operator-(const Vec3& o) const { return {x - o.x, y - o.y, z - o.z}; }
  Vec3 operator-() const { return {-x, -y, -z}; }
  Vec3 operator*(double s) const { return {x * s, y * s, z * s}; }
  Vec3 operator/(double s) const { return {x / s, y / s, z / s}; }
  Vec3& operator+=(const Vec3& o) { return *this = *this + o; }
  Vec3& operator-=(const Vec3& o) { return *this = *this - o; }
  Vec3& operator*=(double s) { return *this = *this * s; }
  double& operator[](int i) { return i == 0 ? x : i == 1 ? y : z; }
  double operator[](int i) const { return i == 0 ? x : i == 1 ? y : z; }
  bool operator==(const Vec3&) const = default;
};

inline Vec3 operator*(double s, const Vec3& v) { return v * s; }
inline double dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double length(const Vec3& v) { return std::sqrt(dot(v, v)); }
inline Vec3 normalized(const Vec3& v) {
  const double l = length(v);
  return l > 0 ? v / l : Vec3{};
}
inline Vec3 lerp(const Vec3& a, const Vec3& b, double t) { return a + (b - a) * t; }
inline Vec3 mirrorX(const Vec3& v) { return {-v.x, v.y, v.z}; }
inline Vec3 scaleEach(const Vec3& v, const Vec3& s) { return {v.x * s.x, v.y * s.y, v.z * s.z}; }

inline double clamp01(double t) { return t < 0 ? 0 : t > 1 ? 1 : t; }
inline double smoothstep(double e0, double e1, double x) {
  const double t = clamp01((x - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}

// Rotation about an axis through the origin (Rodrigues), angle in degrees.
struct Rotation {
  std::array<double, 9> m{1, 0, 0, 0, 1, 0, 0, 0, 1};  // row-major

  static Rotation about(const Vec3& axis, double degrees) {
    const Vec3 k = normalized(axis);
    const double a = degrees * 3.14159265358979323846 / 180.0;
    const double c = std::cos(a), s = std::sin(a), t = 1 - c;
    Rotation r;
    r.m = {t * k.x * k.x + c,       t * k.x * k.y - s * k.z, t * k.x * k.z + s * k.y,
           t * k.x * k.y + s * k.z, t * k.y * k.y + c,       t * k.y * k.z - s * k.x,
           t * k.x * k.z - s * k.y, t * k.y * k.z + s * k.x, t * k.z * k.z + c};
    return r;
  }
  Vec3 operator*(const Vec3& v) const {
    return {m[0] * v.x + m[1] * v.y + m[2] * v.z, m[3] * v.x + m[4] * v.y + m[5] * v.z,
            m[6] * v.x + m[7] * v.y + m[8] * v.z};
  }
  Rotation operator*(const Rotation& o) const {
    Rotation r;
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j)
        r.m[3 * i + j] = m[3 * i] * o.m[j] + m[3 * i + 1] * o.m[3 + j] + m[3 * i + 2] * o.m[6 + j];
    return r;
  }
};

// A rigid motion: x → R (x − pivot) + pivot + shift.
struct Motion {
  Rotation rotation;
  Vec3 translation;  // applied after the rotation about the origin
  Vec3 operator*(const Vec3& v) const { return rotation * v + translation; }
  Motion operator*(const Motion& o) const {
    return {rotation * o.rotation, rotation * o.translation + translation};
  }
  static Motion rotateAbout(const Vec3& pivot, const Rotation& r) {
    return {r, pivot - r * pivot};
  }
};

}  // namespace vestora::generate
