#include "accessories/hair_checks.h"

#include <algorithm>
#include <cmath>

namespace vestora::generate::hair {
namespace {

double rayHit(const Vec3& o, const Vec3& d, const Vec3& a, const Vec3& b, const Vec3& c) {
  const Vec3 e1 = b - a, e2 = c - a;
  const Vec3 p = cross(d, e2);
  const double det = dot(e1, p);
  if (std::abs(det) < 1e-14) return -1e30;
  const double inv = 1 / det;
  const Vec3 s = o - a;
  const double u = dot(s, p) * inv;
  if (u < -1e-9 || u > 1 + 1e-9) return -1e30;
  const Vec3 q = cross(s, e1);
  const double v = dot(d, q) * inv;
  if (v < -1e-9 || u + v > 1 + 1e-9) return -1e30;
  return dot(e2, q) * inv;
}

// Triangles binned by the directions from the head's centre they cover.
class DirectionBins {
 public:
  static constexpr int kBin = 2;  // degrees
  DirectionBins(const Head& head, const HairMesh& mesh) : centre_(head.centre()) {
    bins_.resize(std::size_t(180 / kBin) * (360 / kBin));
    for (const MeshGroup& g : mesh.groups)
      for (const MeshTriangle& t : g.triangles) {
        std::array<Vec3, 3> c;
        double tlo = 1e9, thi = -1e9;
        std::array<double, 3> phis{};
        for (int k = 0; k < 3; ++k) {
          c[std::size_t(k)] = mesh.vertices[std::size_t(t.v[std::size_t(k)])];
          const Vec3 d = c[std::size_t(k)] - centre_;
          const double th = std::acos(std::clamp(d.y / length(d), -1.0, 1.0)) / kDegree;
          tlo = std::min(tlo, th);
          thi = std::max(thi, th);
          phis[std::size_t(k)] = std::atan2(d.x, d.z) / kDegree;
        }
        const int index = int(triangles_.size());
        triangles_.push_back(c);
        std::sort(phis.begin(), phis.end());
        double plo = phis[0], phi = phis[2];
        const double gaps[3] = {phis[1] - phis[0], phis[2] - phis[1], phis[0] + 360 - phis[2]};
        if (gaps[0] > gaps[2] && gaps[0] >= gaps[1]) plo = phis[1], phi = phis[0] + 360;
        if (gaps[1] > gaps[2] && gaps[1] > gaps[0]) plo = phis[2], phi = phis[1] + 360;
        // A bin more each way: directions inside a triangle can lie a
        // little outside those of its corners.
        int p0 = int(std::floor((plo + 180) / kBin)) - 1,
            p1 = int(std::floor((phi + 180) / kBin)) + 1;
        if (tlo < 4 || p1 - p0 > 90) p0 = 0, p1 = 360 / kBin - 1;
        for (int it = std::max(0, int(tlo / kBin) - 1);
             it <= std::min(180 / kBin - 1, int(thi / kBin) + 1); ++it)
          for (int ip = p0; ip <= p1; ++ip) bin(it, ip).push_back(index);
      }
  }
  // Distances along the ray from the centre through `d` (unit) to the hair.
  std::vector<double> hits(const Vec3& d) const {
    const double th = std::acos(std::clamp(d.y, -1.0, 1.0)) / kDegree;
    const double ph = std::atan2(d.x, d.z) / kDegree;
    const auto& b =
        bins_[index(std::min(180 / kBin - 1, int(th / kBin)), int(std::floor((ph + 180) / kBin)))];
    std::vector<double> out;
    for (int i : b) {
      const auto& t = triangles_[std::size_t(i)];
      const double s = rayHit(centre_, d, t[0], t[1], t[2]);
      if (s > -1e29) out.push_back(s);
    }
    return out;
  }

 private:
  std::size_t index(int it, int ip) const {
    const int n = 360 / kBin;
    ip = ((ip % n) + n) % n;
    return std::size_t(it) * n + std::size_t(ip);
  }
  std::vector<int>& bin(int it, int ip) { return bins_[index(it, ip)]; }
  Vec3 centre_;
  std::vector<std::array<Vec3, 3>> triangles_;
  std::vector<std::vector<int>> bins_;
};

}  // namespace

CoverageReport scalpCoverage(const Head& head, const HairMesh& mesh, double margin, double minGap,
                             double reach, std::vector<Vec3>* offenders) {
  CoverageReport r;
  const DirectionBins bins(head, mesh);
  for (const Vec3& p : head.headVertices()) {
    if (head.insideHairline(head.chartPoint(p)) < margin) continue;
    ++r.scalpPoints;
    const Vec3 d = normalized(p - head.centre());
    const double at = length(p - head.centre());
    double nearest = 1e30;
    bool under = false;
    for (double t : bins.hits(d)) {
      const double gap = t - at;
      if (gap > -0.5 && gap < minGap) under = true;
      if (gap >= minGap) nearest = std::min(nearest, gap);
    }
    // Hair beside the ray counts too: the nearest hair vertex.
    double beside = 1e30;
    for (const Vec3& v : mesh.vertices) beside = std::min(beside, length(v - p));
    const double gap = std::min(nearest, beside);
    const bool bare = nearest > 1e29 || gap > reach;
    if (under) ++r.inside;
    if (bare) ++r.uncovered;
    if ((under || bare) && offenders) offenders->push_back(p);
    if (nearest > 1e29) continue;
    r.closest = std::min(r.closest, nearest);
    r.farthest = std::max(r.farthest, gap);
  }
  return r;
}

ClearanceReport bodyClearance(const Head& head, const HairMesh& mesh, double limit) {
  ClearanceReport r;
  for (const Vec3& v : mesh.vertices) {
    const double c = head.clearance(v);
    r.closest = std::min(r.closest, c);
    if (c < limit) ++r.within;
  }
  return r;
}

int verticesOverEyes(const Head& head, const HairMesh& mesh) {
  const Vec3 e = head.eye();
  const double r = head.eyeRadius();
  int n = 0;
  for (const Vec3& v : mesh.vertices)
    if (std::abs(v.x - head.centre().x) < e.x + 0.6 * r && v.y > e.y - 2 * r &&
        v.y < e.y + 1.3 * r && v.z > e.z - 0.2)
      ++n;
  return n;
}

}  // namespace vestora::generate::hair
