#include "accessories/hair_head.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "avatar/shipped_numbers.h"

namespace vestora::generate::hair {

double ChartPoint::theta() const {
  return std::sqrt(x * x + z * z);
}
double ChartPoint::phi() const {
  return x == 0 && z == 0 ? 0.0 : std::atan2(x, z);
}

ChartPoint chartOf(double theta, double phi) {
  return {theta * std::sin(phi), theta * std::cos(phi)};
}

double chartLength(const ChartPoint& a) {
  return std::sqrt(a.x * a.x + a.z * a.z);
}

Vec3 direction(double theta, double phi) {
  const double s = std::sin(theta);
  return {s * std::sin(phi), std::cos(theta), s * std::cos(phi)};
}

// ---- clearance from a surface ---------------------------------------------

SurfaceClearance::SurfaceClearance(std::vector<Vec3> points, std::vector<Vec3> normals, double cell)
    : points_(std::move(points)), normals_(std::move(normals)), cell_(cell) {
  Vec3 lo{1e30, 1e30, 1e30}, hi{-1e30, -1e30, -1e30};
  for (const Vec3& p : points_)
    for (int k = 0; k < 3; ++k) {
      lo[k] = std::min(lo[k], p[k]);
      hi[k] = std::max(hi[k], p[k]);
    }
  origin_ = lo - Vec3{cell_, cell_, cell_};
  nx_ = int((hi.x - origin_.x) / cell_) + 2;
  ny_ = int((hi.y - origin_.y) / cell_) + 2;
  nz_ = int((hi.z - origin_.z) / cell_) + 2;
  const std::size_t cells = std::size_t(nx_) * ny_ * nz_;
  std::vector<int> count(cells + 1, 0);
  std::vector<std::int64_t> keys(points_.size());
  for (std::size_t i = 0; i < points_.size(); ++i) {
    const Vec3 q = (points_[i] - origin_) / cell_;
    keys[i] = key(int(q.x), int(q.y), int(q.z));
    ++count[std::size_t(keys[i]) + 1];
  }
  for (std::size_t c = 0; c < cells; ++c) count[c + 1] += count[c];
  start_ = count;
  items_.assign(points_.size(), 0);
  std::vector<int> fill(count.begin(), count.end() - 1);
  for (std::size_t i = 0; i < points_.size(); ++i)
    items_[std::size_t(fill[std::size_t(keys[i])]++)] = int(i);
  // Normals averaged with those round them (the way most of them face), so
  // that a fold in the mesh here and there does not turn the surface
  // inside out.
  std::vector<Vec3> smooth(normals_.size());
  const double radius = cell_;
  std::vector<std::size_t> near;
  for (std::size_t i = 0; i < points_.size(); ++i) {
    const Vec3 q = (points_[i] - origin_) / cell_;
    const int ci = int(q.x), cj = int(q.y), ck = int(q.z);
    near.clear();
    Vec3 all;
    for (int k = ck - 1; k <= ck + 1; ++k)
      for (int j = cj - 1; j <= cj + 1; ++j)
        for (int m = ci - 1; m <= ci + 1; ++m) {
          if (m < 0 || j < 0 || k < 0 || m >= nx_ || j >= ny_ || k >= nz_) continue;
          const std::int64_t c = key(m, j, k);
          for (int n = start_[std::size_t(c)]; n < start_[std::size_t(c) + 1]; ++n) {
            const std::size_t other = std::size_t(items_[std::size_t(n)]);
            if (length(points_[other] - points_[i]) < radius) {
              near.push_back(other);
              all += normals_[other];
            }
          }
        }
    Vec3 sum;
    for (std::size_t other : near)
      if (dot(normals_[other], all) > 0) sum += normals_[other];
    smooth[i] = length(sum) > 0 ? normalized(sum) : normals_[i];
  }
  normals_ = std::move(smooth);
}

std::int64_t SurfaceClearance::key(int i, int j, int k) const {
  return (std::int64_t(k) * ny_ + j) * nx_ + i;
}

double SurfaceClearance::distance(const Vec3& p, Vec3* normal) const {
  if (points_.empty()) return reach();
  const Vec3 q = (p - origin_) / cell_;
  const int ci = int(std::floor(q.x)), cj = int(std::floor(q.y)), ck = int(std::floor(q.z));
  double best = reach() * reach();
  int found = -1;
  for (int k = ck - 2; k <= ck + 2; ++k) {
    if (k < 0 || k >= nz_) continue;
    for (int j = cj - 2; j <= cj + 2; ++j) {
      if (j < 0 || j >= ny_) continue;
      for (int i = ci - 2; i <= ci + 2; ++i) {
        if (i < 0 || i >= nx_) continue;
        const std::int64_t c = key(i, j, k);
        for (int n = start_[std::size_t(c)]; n < start_[std::size_t(c) + 1]; ++n) {
          const Vec3 d = p - points_[std::size_t(items_[std::size_t(n)])];
          const double d2 = dot(d, d);
          if (d2 < best) {
            best = d2;
            found = items_[std::size_t(n)];
          }
        }
      }
    }
  }
  if (found < 0) return reach();
  const Vec3& n = normals_[std::size_t(found)];
  if (normal) *normal = n;
  return dot(p - points_[std::size_t(found)], n);
}

// ---- the head --------------------------------------------------------------

namespace {

// Möller–Trumbore: the distance along the ray, or a negative number.
double rayHit(const Vec3& o, const Vec3& d, const std::array<Vec3, 3>& t) {
  const Vec3 e1 = t[1] - t[0], e2 = t[2] - t[0];
  const Vec3 p = cross(d, e2);
  const double det = dot(e1, p);
  if (std::abs(det) < 1e-14) return -1;
  const double inv = 1 / det;
  const Vec3 s = o - t[0];
  const double u = dot(s, p) * inv;
  if (u < -1e-9 || u > 1 + 1e-9) return -1;
  const Vec3 q = cross(s, e1);
  const double v = dot(d, q) * inv;
  if (v < -1e-9 || u + v > 1 + 1e-9) return -1;
  return dot(e2, q) * inv;
}

struct Knot {
  double phi, theta;  // degrees
};

// The hairline of each kind of head, for phi from 0 (the middle of the
// forehead) round the left side to 180 (the nape); the right side mirrors
// it. In front of the ear it comes down as a short sideburn, rises over the
// ear and falls behind it to the nape.
std::vector<Knot> hairlineKnots(HeadKind kind) {
  switch (kind) {
    case HeadKind::Woman:
      return {{0, 55},    {20, 56},   {38, 61},   {52, 69},   {62, 79},
              {70, 96},   {76, 100},  {82, 90},   {92, 86},   {104, 88},
              {114, 100}, {126, 117}, {142, 134}, {160, 143}, {180, 146}};
    case HeadKind::Girl:
      return {{0, 60},    {20, 61},   {38, 65},   {52, 72},   {62, 82},
              {70, 98},   {76, 102},  {82, 92},   {92, 88},   {104, 90},
              {114, 102}, {126, 119}, {142, 135}, {160, 143}, {180, 145}};
    case HeadKind::Man:
      return {{0, 53},    {18, 55},   {32, 60},   {46, 70},   {58, 78},
              {68, 98},   {75, 104},  {82, 92},   {92, 87},   {104, 89},
              {114, 101}, {126, 118}, {142, 134}, {160, 141}, {180, 143}};
  }
  return {};
}

// Catmull-Rom through periodic knots (phi in radians, wrapping at 2π).
double periodicSpline(const std::vector<std::array<double, 2>>& knots, double phi) {
  const double turn = 2 * kPi;
  phi = phi - turn * std::floor(phi / turn);
  const std::size_t n = knots.size();
  std::size_t i = 0;
  while (i + 1 < n && knots[i + 1][0] <= phi) ++i;
  auto at = [&](long k) {
    const long m = long(n);
    const long w = ((k % m) + m) % m;
    const double shift = turn * double((k - w) / m);
    return std::array<double, 2>{knots[std::size_t(w)][0] + shift, knots[std::size_t(w)][1]};
  };
  const auto p0 = at(long(i) - 1), p1 = at(long(i)), p2 = at(long(i) + 1), p3 = at(long(i) + 2);
  const double t = (phi - p1[0]) / (p2[0] - p1[0]);
  // Centripetal-free uniform Catmull-Rom on the values, with tangents scaled
  // to the uneven knot spacing.
  const double m1 = (p2[1] - p0[1]) / (p2[0] - p0[0]) * (p2[0] - p1[0]);
  const double m2 = (p3[1] - p1[1]) / (p3[0] - p1[0]) * (p2[0] - p1[0]);
  const double t2 = t * t, t3 = t2 * t;
  return (2 * t3 - 3 * t2 + 1) * p1[1] + (t3 - 2 * t2 + t) * m1 + (-2 * t3 + 3 * t2) * p2[1] +
         (t3 - t2) * m2;
}

}  // namespace

Head::Head(const Avatar& body, HeadKind kind) : kind_(kind) {
  const GlmModel& m = body.model();
  // Groups: the eyes and their lashes are not scalp.
  std::vector<std::uint8_t> eyeVertex(m.vertexCount() + 1, 0), lashVertex(m.vertexCount() + 1, 0);
  for (const GlmGroup& g : m.groups) {
    const bool lash = g.name.find("lash") != std::string::npos;
    const bool eye = !lash && g.name.find("Eye") != std::string::npos;
    if (!lash && !eye) continue;
    for (std::uint32_t t : g.triangles)
      for (std::uint32_t v : m.triangles[t].vindices) (lash ? lashVertex : eyeVertex)[v] = 1;
  }
  // Body vertices and area-weighted normals.
  const std::uint32_t n = m.vertexCount();
  std::vector<Vec3> points(n + 1), normals(n + 1);
  for (std::uint32_t v = 1; v <= n; ++v)
    points[v] = {m.vertex(v)[0], m.vertex(v)[1], m.vertex(v)[2]};
  for (const GlmTriangle& t : m.triangles) {
    const Vec3 a = points[t.vindices[0]], b = points[t.vindices[1]], c = points[t.vindices[2]];
    const Vec3 f = cross(b - a, c - a);
    for (std::uint32_t v : t.vindices) normals[v] += f;
  }
  std::vector<Vec3> clearPoints, clearNormals;
  bodyPoints_.assign(points.begin() + 1, points.end());
  bodyNormals_.resize(n);
  eyeVertex_.assign(eyeVertex.begin() + 1, eyeVertex.end());
  for (std::uint32_t v = 1; v <= n; ++v) {
    bodyNormals_[v - 1] = normalized(normals[v]);
    if (lashVertex[v]) continue;
    clearPoints.push_back(points[v]);
    clearNormals.push_back(bodyNormals_[v - 1]);
  }
  for (const GlmTriangle& t : m.triangles) {
    if (lashVertex[t.vindices[0]]) continue;
    bodyTriangles_.push_back(
        {int(t.vindices[0]) - 1, int(t.vindices[1]) - 1, int(t.vindices[2]) - 1});
  }
  body_ = SurfaceClearance(std::move(clearPoints), std::move(clearNormals), 0.1);

  // Landmarks.
  top_ = -1e30;
  for (std::uint32_t v = 1; v <= n; ++v)
    if (!eyeVertex[v] && !lashVertex[v]) top_ = std::max(top_, points[v].y);
  Vec3 eyeSum;
  int eyeCount = 0;
  double eyeLow = 1e30, eyeHigh = -1e30;
  for (std::uint32_t v = 1; v <= n; ++v)
    if (eyeVertex[v] && points[v].x > 0) {
      eyeSum += points[v];
      ++eyeCount;
      eyeLow = std::min(eyeLow, points[v].y);
      eyeHigh = std::max(eyeHigh, points[v].y);
    }
  if (eyeCount == 0) throw std::runtime_error("hair: the body has no eyes to measure its head by");
  eye_ = eyeSum / eyeCount;
  eyeRadius_ = (eyeHigh - eyeLow) / 2;
  // The chin: the lowest point of the face's middle, well below the eyes.
  chin_ = eye_.y;
  for (std::uint32_t v = 1; v <= n; ++v) {
    const Vec3& p = points[v];
    if (std::abs(p.x) < 0.12 && p.z > eye_.z && p.y < eye_.y &&
        p.y > eye_.y - 1.25 * (top_ - eye_.y))
      chin_ = std::min(chin_, p.y);
  }
  const double headHeight = top_ - chin_;
  earTop_ = top_ - 0.436 * headHeight;
  // The centre: in the middle of the skull, a little above the ears.
  const double cy = top_ - 0.43 * headHeight;
  double zlo = 1e30, zhi = -1e30;
  for (std::uint32_t v = 1; v <= n; ++v) {
    const Vec3& p = points[v];
    if (std::abs(p.y - cy) < 0.06 && std::abs(p.x) < 0.3 && !eyeVertex[v] && !lashVertex[v]) {
      zlo = std::min(zlo, p.z);
      zhi = std::max(zhi, p.z);
    }
  }
  centre_ = {0, cy, (zlo + zhi) / 2};
  // The crown: the body's hair seat where it has one, else the point of the
  // scalp the same way behind the top.
  const std::string& name = body.modelName();
  int seat = 0;
  if (name == "woman") seat = shipped::kWomanHairSeat;
  if (name == "Girl") seat = shipped::kGirlHairSeat;
  if (seat > 0 && std::size_t(seat) <= n) {
    crown_ = points[std::size_t(seat)];
  } else {
    const Vec3 target = centre_ + direction(30 * kDegree, kPi) * headHeight * 0.5;
    double best = 1e30;
    for (std::uint32_t v = 1; v <= n; ++v) {
      const double d = length(points[v] - target);
      if (d < best && points[v].y > cy) best = d, crown_ = points[v];
    }
  }

  // The head's surface: every triangle above the middle of the neck.
  const double neck = chin_ - 0.1 * headHeight;
  std::vector<std::array<Vec3, 3>> headTriangles;
  for (const GlmTriangle& t : m.triangles) {
    std::array<Vec3, 3> c;
    bool keep = true;
    for (int k = 0; k < 3; ++k) {
      const std::uint32_t v = t.vindices[k];
      c[k] = points[v];
      if (lashVertex[v] || points[v].y < neck || std::abs(points[v].x) > 1.6 * headHeight / 2.27)
        keep = false;
    }
    if (keep) headTriangles.push_back(c);
  }
  for (std::uint32_t v = 1; v <= n; ++v)
    if (!lashVertex[v] && !eyeVertex[v] && points[v].y > neck &&
        std::abs(points[v].x) < 1.2 * headHeight / 2.27 &&
        points[v].z > centre_.z - 1.5 * headHeight / 2.27)
      headVertices_.push_back(points[v]);
  measureRadii(headTriangles);

  for (const Knot& k : hairlineKnots(kind)) {
    hairline_.push_back({k.phi * kDegree, k.theta * kDegree});
    if (k.phi > 0 && k.phi < 180) hairline_.push_back({(360 - k.phi) * kDegree, k.theta * kDegree});
  }
  std::sort(hairline_.begin(), hairline_.end());
}

void Head::measureRadii(const std::vector<std::array<Vec3, 3>>& triangles) {
  // Triangles binned by the directions they cover, 3° bins.
  constexpr int kBin = 3;
  const int thetaBins = 180 / kBin, phiBins = 360 / kBin;
  std::vector<std::vector<int>> bins(std::size_t(thetaBins) * phiBins);
  auto binOf = [&](int it, int ip) -> std::vector<int>& {
    ip = ((ip % phiBins) + phiBins) % phiBins;
    return bins[std::size_t(it) * phiBins + ip];
  };
  for (std::size_t i = 0; i < triangles.size(); ++i) {
    double tlo = 1e9, thi = -1e9;
    std::array<double, 3> phis{};
    for (int k = 0; k < 3; ++k) {
      const Vec3 d = triangles[i][k] - centre_;
      const double r = length(d);
      const double th = std::acos(std::clamp(d.y / r, -1.0, 1.0)) / kDegree;
      tlo = std::min(tlo, th);
      thi = std::max(thi, th);
      phis[k] = std::atan2(d.x, d.z) / kDegree;
    }
    std::sort(phis.begin(), phis.end());
    // The smallest arc holding the three azimuths.
    double plo = phis[0], phi = phis[2];
    const double gaps[3] = {phis[1] - phis[0], phis[2] - phis[1], phis[0] + 360 - phis[2]};
    if (gaps[0] > gaps[2] && gaps[0] >= gaps[1]) plo = phis[1], phi = phis[0] + 360;
    if (gaps[1] > gaps[2] && gaps[1] > gaps[0]) plo = phis[2], phi = phis[1] + 360;
    const bool nearPole = tlo < 8 || thi > 172;
    const int t0 = std::max(0, int(std::floor(tlo / kBin)) - 1);
    const int t1 = std::min(thetaBins - 1, int(std::floor(thi / kBin)) + 1);
    int p0 = int(std::floor((plo + 180) / kBin)) - 1, p1 = int(std::floor((phi + 180) / kBin)) + 1;
    if (nearPole) p0 = 0, p1 = phiBins - 1;
    for (int it = t0; it <= t1; ++it)
      for (int ip = p0; ip <= p1; ++ip) binOf(it, ip).push_back(int(i));
  }
  radii_.assign(std::size_t(kThetaSteps + 1) * (kPhiSteps + 1), 0.0f);
  for (int it = 0; it <= kThetaSteps; ++it)
    for (int ip = 0; ip <= kPhiSteps; ++ip) {
      const double th = it * kDegree, ph = (ip - 180) * kDegree;
      const Vec3 d = direction(th, ph);
      const auto& bin = binOf(std::min(thetaBins - 1, it / kBin), std::min(phiBins - 1, ip / kBin));
      double far = 0;
      for (int i : bin) {
        const double t = rayHit(centre_, d, triangles[std::size_t(i)]);
        if (t > far) far = t;
      }
      radii_[std::size_t(it) * (kPhiSteps + 1) + ip] = float(far);
    }
  // Directions that miss the head (down through the neck) take the radius
  // of the nearest direction above them that hit it.
  for (int ip = 0; ip <= kPhiSteps; ++ip)
    for (int it = 1; it <= kThetaSteps; ++it) {
      float& r = radii_[std::size_t(it) * (kPhiSteps + 1) + ip];
      if (r <= 0) r = radii_[std::size_t(it - 1) * (kPhiSteps + 1) + ip];
    }
}

double Head::radius(double theta, double phi) const {
  theta = std::clamp(theta / kDegree, 0.0, double(kThetaSteps));
  double p = phi / kDegree + 180;
  p -= 360 * std::floor(p / 360);
  const int it = std::min(kThetaSteps - 1, int(theta)), ip = std::min(kPhiSteps - 1, int(p));
  const double ft = theta - it, fp = p - ip;
  auto at = [&](int a, int b) { return double(radii_[std::size_t(a) * (kPhiSteps + 1) + b]); };
  return (1 - ft) * ((1 - fp) * at(it, ip) + fp * at(it, ip + 1)) +
         ft * ((1 - fp) * at(it + 1, ip) + fp * at(it + 1, ip + 1));
}

Vec3 Head::scalp(const ChartPoint& q, double offset) const {
  const double th = q.theta(), ph = q.phi();
  return centre_ + direction(th, ph) * (radius(th, ph) + offset);
}

ChartPoint Head::chartPoint(const Vec3& p) const {
  const Vec3 d = normalized(p - centre_);
  return chartOf(std::acos(std::clamp(d.y, -1.0, 1.0)), std::atan2(d.x, d.z));
}

double Head::hairline(double phi) const {
  return periodicSpline(hairline_, phi);
}

double Head::insideHairline(const ChartPoint& q) const {
  return hairline(q.phi()) - q.theta();
}

}  // namespace vestora::generate::hair
