#include "garments/garment_design.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <set>
#include <stdexcept>

#include "body/section_length.h"
#include "cloth/body_surface.h"

namespace vestora::generate {

namespace {

struct P2 {
  double x = 0, z = 0;
};

// Convex hull (counter-clockwise in x, z) by the monotone chain.
std::vector<P2> convexHull(std::vector<P2> points) {
  std::sort(points.begin(), points.end(),
            [](const P2& a, const P2& b) { return a.x < b.x || (a.x == b.x && a.z < b.z); });
  if (points.size() < 3) return points;
  auto cross = [](const P2& o, const P2& a, const P2& b) {
    return (a.x - o.x) * (b.z - o.z) - (a.z - o.z) * (b.x - o.x);
  };
  std::vector<P2> hull(2 * points.size());
  std::size_t k = 0;
  for (const P2& p : points) {
    while (k >= 2 && cross(hull[k - 2], hull[k - 1], p) <= 0) --k;
    hull[k++] = p;
  }
  for (std::size_t i = points.size() - 1, t = k + 1; i-- > 0;) {
    while (k >= t && cross(hull[k - 2], hull[k - 1], points[i]) <= 0) --k;
    hull[k++] = points[i];
  }
  hull.resize(k - 1);
  return hull;
}

// Distance from c along the unit direction d to the hull's boundary (c
// inside); 0 when the ray meets no edge.
double rayToHull(const std::vector<P2>& hull, const P2& c, const P2& d) {
  double best = 0;
  for (std::size_t i = 0; i < hull.size(); ++i) {
    const P2& a = hull[i];
    const P2& b = hull[(i + 1) % hull.size()];
    const P2 e{b.x - a.x, b.z - a.z};
    const double denom = d.x * e.z - d.z * e.x;
    if (std::abs(denom) < 1e-12) continue;
    const P2 w{a.x - c.x, a.z - c.z};
    const double t = (w.x * e.z - w.z * e.x) / denom;
    const double s = (w.x * d.z - w.z * d.x) / denom;
    if (t > 0 && s >= -1e-9 && s <= 1 + 1e-9) best = std::max(best, t);
  }
  return best;
}

double span(const Vec3& a, const Vec3& b) {
  return std::sqrt(double(a[0] - b[0]) * (a[0] - b[0]) + double(a[1] - b[1]) * (a[1] - b[1]) +
                   double(a[2] - b[2]) * (a[2] - b[2]));
}

double smoothstep(double edge0, double edge1, double x) {
  const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

// The points of the horizontal section at height y that belong to the
// torso or the legs: loops of the arms (their centre far from the middle)
// are left out, and above the armpits, where arm and torso form one loop,
// everything beyond the torso's half width is cut away.
std::vector<P2> coreSection(const Avatar& body, float y) {
  const double us = body.unitScale();
  std::vector<P2> points;
  double widest = 0;
  for (const SectionLoop& loop : sectionLoops(body, {0, y, 0}, {0, 1, 0})) {
    if (loop.points.size() < 3) continue;
    double cx = 0;
    for (const Vec3f& p : loop.points) cx += p.x;
    cx /= loop.points.size();
    if (std::abs(cx) >= 16 * us) continue;
    for (const Vec3f& p : loop.points) {
      points.push_back({p.x, p.z});
      widest = std::max(widest, std::abs(double(p.x)));
    }
  }
  if (widest > 20 * us) {
    std::erase_if(points, [&](const P2& p) { return std::abs(p.x) > 15.5 * us; });
  }
  return points;
}

// Assembles the garment records from particle positions and triangles.
class MeshBuilder {
 public:
  std::int32_t add(const Vec3& p, float u, float v, std::int32_t piece, std::int32_t side) {
    GarmentParticle q;
    q.point.x = p[0];
    q.point.y = p[1];
    q.point.z = p[2];
    q.point.u = u;
    q.point.v = v;
    q.attribute0 = 1;
    q.piece = piece;
    q.side = side;
    particles_.push_back(q);
    return static_cast<std::int32_t>(particles_.size() - 1);
  }
  // Corner texture coordinates default to the particles' own.
  void triangle(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t piece,
                const float* uv = nullptr) {
    GarmentTriangle t;
    t.vertex = {a, b, c};
    t.piece = piece;
    t.hasUv = true;
    for (int k = 0; k < 3; ++k) {
      t.uv[2 * k] = uv ? uv[2 * k] : particles_[t.vertex[k]].point.u;
      t.uv[2 * k + 1] = uv ? uv[2 * k + 1] : particles_[t.vertex[k]].point.v;
    }
    triangles_.push_back(t);
  }
  const GarmentParticle& particle(std::int32_t i) const { return particles_[i]; }

  GarmentMesh finish(const std::string& texture, bool outwardFrom0, double cx, double cz) {
    GarmentMesh g;
    // Every triangle faces away from the body's axis (x = cx, z = cz).
    if (outwardFrom0) {
      for (GarmentTriangle& t : triangles_) {
        const auto& a = particles_[t.vertex[0]].point;
        const auto& b = particles_[t.vertex[1]].point;
        const auto& c = particles_[t.vertex[2]].point;
        const double e1[3] = {b.x - a.x, b.y - a.y, b.z - a.z};
        const double e2[3] = {c.x - a.x, c.y - a.y, c.z - a.z};
        const double nx = e1[1] * e2[2] - e1[2] * e2[1];
        const double nz = e1[0] * e2[1] - e1[1] * e2[0];
        const double ox = (a.x + b.x + c.x) / 3 - cx, oz = (a.z + b.z + c.z) / 3 - cz;
        if (nx * ox + nz * oz < 0) {
          std::swap(t.vertex[1], t.vertex[2]);
          std::swap(t.uv[2], t.uv[4]);
          std::swap(t.uv[3], t.uv[5]);
        }
      }
    }
    std::map<std::pair<std::int32_t, std::int32_t>, int> edgeSet;
    std::vector<std::set<std::int32_t>> around(particles_.size());
    for (const GarmentTriangle& t : triangles_) {
      for (int k = 0; k < 3; ++k) {
        const std::int32_t a = t.vertex[k], b = t.vertex[(k + 1) % 3];
        edgeSet[{std::min(a, b), std::max(a, b)}] = 1;
        around[a].insert(b);
        around[b].insert(a);
      }
    }
    for (const auto& [key, unused] : edgeSet) {
      (void)unused;
      const auto& a = particles_[key.first].point;
      const auto& b = particles_[key.second].point;
      GarmentEdge e;
      e.a = key.first;
      e.b = key.second;
      e.rest = std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) +
                         (a.z - b.z) * (a.z - b.z));
      g.edges.push_back(e);
    }
    for (std::size_t i = 0; i < particles_.size(); ++i) {
      GarmentParticle& p = particles_[i];
      if (around[i].size() > static_cast<std::size_t>(kMaxNeighbours)) {
        throw std::runtime_error("garment design: a particle with too many neighbours");
      }
      p.neighbourCount = static_cast<std::int32_t>(around[i].size());
      std::copy(around[i].begin(), around[i].end(), p.neighbours.begin());
      p.rest = p.point;
    }
    g.particles = particles_;
    g.drawParticles = particles_;
    g.triangles = triangles_;
    g.sourceTriangles = triangles_;
    g.pieceIdMin = 0;
    g.pieceIdMax = 1;
    g.textureName = texture;
    g.contacts.resize(particles_.size());
    BuildPatternPieces(g);
    if (!BuildVertexTriangles(g))
      throw std::runtime_error("garment design: a particle in too many triangles");
    ComputeParticleNormals(g);
    return g;
  }

 private:
  std::vector<GarmentParticle> particles_;
  std::vector<GarmentTriangle> triangles_;
};

struct Strap {
  std::vector<std::int32_t> frontColumns, backColumns;
};

}  // namespace

GarmentMesh hangingGarment(const Avatar& body, const HangingStyle& style) {
  const double us = body.unitScale();
  const double floor = body.minimum[1];
  auto yOf = [&](double cm) { return static_cast<float>(floor + cm * us); };
  const int m = style.columns;
  const double clearance = style.clearanceCm * us;
  const double topCm = std::max({style.sideTopCm, style.frontTopCm, style.backTopCm});
  const int rows = static_cast<int>(std::ceil((topCm - style.hemCm) / style.rowCm)) + 1;
  auto rowCm = [&](int i) { return style.hemCm + i * style.rowCm; };

  // Sections and their hulls, row by row.
  std::vector<std::vector<P2>> hulls(rows);
  std::vector<double> centreZ(rows);
  for (int i = 0; i < rows; ++i) {
    hulls[i] = convexHull(coreSection(body, yOf(rowCm(i))));
    if (hulls[i].size() < 3) throw std::runtime_error("garment design: no body section at a ring");
    double zmin = 1e9, zmax = -1e9;
    for (const P2& p : hulls[i]) {
      zmin = std::min(zmin, p.z);
      zmax = std::max(zmax, p.z);
    }
    centreZ[i] = (zmin + zmax) / 2;
  }
  // The hip ring: the widest ring between 80 and 100 cm; below it the
  // garment hangs from the hips round the hip ring's centre.
  int hipRow = 0;
  double widest = 0;
  for (int i = 0; i < rows; ++i) {
    if (rowCm(i) < 80 || rowCm(i) > 100) continue;
    double perimeter = 0;
    for (std::size_t k = 0; k < hulls[i].size(); ++k) {
      const P2& a = hulls[i][k];
      const P2& b = hulls[i][(k + 1) % hulls[i].size()];
      perimeter += std::hypot(b.x - a.x, b.z - a.z);
    }
    if (perimeter > widest) {
      widest = perimeter;
      hipRow = i;
    }
  }
  std::vector<double> smoothZ(centreZ);
  for (int i = 0; i < rows; ++i) {
    double sum = 0;
    int n = 0;
    for (int j = std::max(0, i - 3); j <= std::min(rows - 1, i + 3); ++j, ++n) sum += centreZ[j];
    smoothZ[i] = sum / n;
  }
  for (int i = 0; i < hipRow; ++i) smoothZ[i] = smoothZ[hipRow];

  // Column directions: evenly spaced round the waist ring, starting at the
  // front centre.
  const int refRow =
      std::clamp(static_cast<int>(std::lround((105 - style.hemCm) / style.rowCm)), 0, rows - 1);
  std::vector<double> angles(m), arcU(m);
  {
    constexpr int kFine = 1440;
    std::vector<P2> ring(kFine + 1);
    std::vector<double> length(kFine + 1, 0);
    const P2 c{0, smoothZ[refRow]};
    for (int f = 0; f <= kFine; ++f) {
      const double a = std::numbers::pi / 2 + 2 * std::numbers::pi * f / kFine;
      const P2 d{std::cos(a), std::sin(a)};
      const double r = rayToHull(hulls[refRow], c, d) + clearance;
      ring[f] = {c.x + r * d.x, c.z + r * d.z};
      if (f > 0)
        length[f] =
            length[f - 1] + std::hypot(ring[f].x - ring[f - 1].x, ring[f].z - ring[f - 1].z);
    }
    int f = 0;
    for (int k = 0; k < m; ++k) {
      const double target = length[kFine] * k / m;
      while (f < kFine && length[f + 1] < target) ++f;
      angles[k] = std::numbers::pi / 2 + 2 * std::numbers::pi * f / kFine;
      arcU[k] = target / us / style.textureRepeatCm;
    }
    arcU.push_back(length[kFine] / us / style.textureRepeatCm);  // the wrap
  }

  // Radii: the hull plus the clearance, widened below the hips by the flare
  // and smoothed up and down the garment without ever going inside.
  std::vector<std::vector<double>> radius(rows, std::vector<double>(m));
  std::vector<std::vector<double>> least(rows, std::vector<double>(m));
  for (int i = 0; i < rows; ++i) {
    const P2 c{0, smoothZ[i]};
    for (int k = 0; k < m; ++k) {
      least[i][k] = rayToHull(hulls[i], c, {std::cos(angles[k]), std::sin(angles[k])}) + clearance;
      radius[i][k] = least[i][k];
    }
  }
  for (int i = 0; i < hipRow; ++i) {
    const double t = double(hipRow - i) / std::max(hipRow, 1);
    for (int k = 0; k < m; ++k) {
      radius[i][k] = std::max(least[i][k], least[hipRow][k] * (1 + style.flare * t));
    }
  }
  for (int pass = 0; pass < 6; ++pass) {
    auto before = radius;
    for (int i = 1; i + 1 < rows; ++i)
      for (int k = 0; k < m; ++k)
        radius[i][k] =
            std::max(least[i][k], (before[i - 1][k] + 2 * before[i][k] + before[i + 1][k]) / 4);
  }
  auto position = [&](int i, int k) -> Vec3 {
    return {static_cast<float>(radius[i][k] * std::cos(angles[k])), yOf(rowCm(i)),
            static_cast<float>(smoothZ[i] + radius[i][k] * std::sin(angles[k]))};
  };

  // The upper edge: highest at the front between the straps, lowest under
  // the arms.
  const int sideRow = std::clamp(
      static_cast<int>(std::lround((style.sideTopCm - style.hemCm) / style.rowCm)), 0, rows - 1);
  std::vector<int> topRow(m);
  std::vector<bool> front(m);
  for (int k = 0; k < m; ++k) {
    front[k] = std::sin(angles[k]) > 0;
    const double xCm = std::abs(position(sideRow, k)[0]) / us;
    const double w = smoothstep(15.0, 10.0, xCm);
    const double top =
        style.sideTopCm + w * ((front[k] ? style.frontTopCm : style.backTopCm) - style.sideTopCm);
    topRow[k] = std::clamp(static_cast<int>(std::floor((top - style.hemCm) / style.rowCm + 1e-6)),
                           1, rows - 1);
  }

  MeshBuilder mesh;
  std::vector<std::vector<std::int32_t>> index(rows, std::vector<std::int32_t>(m, -1));
  const float repeat = style.textureRepeatCm;
  for (int i = 0; i < rows; ++i)
    for (int k = 0; k < m; ++k) {
      if (i > topRow[k]) continue;
      index[i][k] = mesh.add(position(i, k), static_cast<float>(arcU[k]),
                             static_cast<float>(rowCm(i) / repeat), front[k] ? 0 : 1,
                             front[k] ? kSideFront : kSideBack);
    }
  for (int i = 0; i + 1 < rows; ++i)
    for (int k = 0; k < m; ++k) {
      const int k1 = (k + 1) % m;
      const std::int32_t a = index[i][k], b = index[i][k1], c = index[i + 1][k1],
                         d = index[i + 1][k];
      if (a < 0 || b < 0) continue;
      // Corner coordinates: across the wrap the next column continues the run.
      const float ua = static_cast<float>(arcU[k]), ub = static_cast<float>(arcU[k + 1]);
      const float v0 = static_cast<float>(rowCm(i) / repeat),
                  v1 = static_cast<float>(rowCm(i + 1) / repeat);
      const std::int32_t piece = front[k] ? 0 : 1;
      if (c >= 0 && d >= 0) {
        if ((i + k) % 2 == 0) {
          const float t1[6] = {ua, v0, ub, v0, ub, v1};
          const float t2[6] = {ua, v0, ub, v1, ua, v1};
          mesh.triangle(a, b, c, piece, t1);
          mesh.triangle(a, c, d, piece, t2);
        } else {
          const float t1[6] = {ua, v0, ub, v0, ua, v1};
          const float t2[6] = {ub, v0, ub, v1, ua, v1};
          mesh.triangle(a, b, d, piece, t1);
          mesh.triangle(b, c, d, piece, t2);
        }
      } else if (d >= 0) {
        const float t[6] = {ua, v0, ub, v0, ua, v1};
        mesh.triangle(a, b, d, piece, t);
      } else if (c >= 0) {
        const float t[6] = {ua, v0, ub, v0, ub, v1};
        mesh.triangle(a, b, c, piece, t);
      }
    }

  // Straps: rails from the upper edge at the front over the shoulder to the
  // upper edge at the back, following the body's section in the plane of
  // each rail.
  for (int sign : {-1, 1}) {
    auto nearestColumn = [&](bool wantFront, double xCm) {
      int best = -1;
      double bestGap = 1e9;
      for (int k = 0; k < m; ++k) {
        if (front[k] != wantFront) continue;
        const double gap = std::abs(position(topRow[k], k)[0] / us - xCm);
        if (gap < bestGap) {
          bestGap = gap;
          best = k;
        }
      }
      return best;
    };
    const int centreColumn = nearestColumn(true, sign * style.strapCentreCm);
    std::vector<int> frontRails, backRails;
    for (int j = 0; j < style.strapRails; ++j) {
      frontRails.push_back((centreColumn - style.strapRails / 2 + j + m) % m);
    }
    for (int k : frontRails)
      backRails.push_back(nearestColumn(false, position(topRow[k], k)[0] / us));

    // Each rail's path over the shoulder, resampled to the same count.
    std::vector<std::vector<Vec3>> paths;
    int segments = 0;
    for (int j = 0; j < style.strapRails; ++j) {
      const Vec3 f = position(topRow[frontRails[j]], frontRails[j]);
      const Vec3 b = position(topRow[backRails[j]], backRails[j]);
      const float x = (f[0] + b[0]) / 2;
      SectionLoop loop;
      for (SectionLoop& l : sectionLoops(body, {x, 0, 0}, {1, 0, 0})) {
        if (l.points.size() > loop.points.size()) loop = std::move(l);
      }
      if (loop.points.size() < 8)
        throw std::runtime_error("garment design: no section for a strap");
      auto nearestPoint = [&](const Vec3& p) {
        std::size_t best = 0;
        double bestD = 1e18;
        for (std::size_t q = 0; q < loop.points.size(); ++q) {
          const double d = std::hypot(loop.points[q].y - p[1], loop.points[q].z - p[2]);
          if (d < bestD) {
            bestD = d;
            best = q;
          }
        }
        return best;
      };
      const std::size_t n = loop.points.size();
      const std::size_t iF = nearestPoint(f), iB = nearestPoint(b);
      // Of the two ways round the loop take the one over the shoulder.
      std::vector<Vec3f> forward, backward;
      for (std::size_t q = iF;; q = (q + 1) % n) {
        forward.push_back(loop.points[q]);
        if (q == iB) break;
      }
      for (std::size_t q = iF;; q = (q + n - 1) % n) {
        backward.push_back(loop.points[q]);
        if (q == iB) break;
      }
      auto highest = [](const std::vector<Vec3f>& arc) {
        float y = -1e9f;
        for (const Vec3f& p : arc) y = std::max(y, p.y);
        return y;
      };
      std::vector<Vec3f> arc = highest(forward) > highest(backward) ? forward : backward;
      // Out from the skin by the clearance, along the arc's normal in its plane.
      std::vector<Vec3> out(arc.size());
      for (std::size_t q = 0; q < arc.size(); ++q) {
        const Vec3f& prev = arc[q == 0 ? 0 : q - 1];
        const Vec3f& next = arc[q + 1 < arc.size() ? q + 1 : q];
        double ty = next.y - prev.y, tz = next.z - prev.z;
        const double tl = std::hypot(ty, tz);
        ty /= tl;
        tz /= tl;
        double ny = -tz, nz = ty;
        const double eps = 0.2 * us;
        if (loop.encloses({x, static_cast<float>(arc[q].y + ny * eps),
                           static_cast<float>(arc[q].z + nz * eps)},
                          {1, 0, 0})) {
          ny = -ny;
          nz = -nz;
        }
        const double lift = clearance + 0.1 * us;
        out[q] = {x, static_cast<float>(arc[q].y + ny * lift),
                  static_cast<float>(arc[q].z + nz * lift)};
      }
      out.front() = f;
      out.back() = b;
      paths.push_back(std::move(out));
      if (j == style.strapRails / 2) {
        double length = 0;
        for (std::size_t q = 1; q < paths.back().size(); ++q) {
          length += span(paths.back()[q - 1], paths.back()[q]);
        }
        segments = std::max(2, static_cast<int>(std::lround(length / us / style.rowCm)));
      }
    }
    std::vector<std::vector<std::int32_t>> railIndex(style.strapRails,
                                                     std::vector<std::int32_t>(segments + 1));
    std::vector<std::vector<float>> railV(style.strapRails, std::vector<float>(segments + 1));
    for (int j = 0; j < style.strapRails; ++j) {
      const std::vector<Vec3>& path = paths[j];
      std::vector<double> along(path.size(), 0);
      for (std::size_t q = 1; q < path.size(); ++q)
        along[q] = along[q - 1] + span(path[q - 1], path[q]);
      railIndex[j][0] = index[topRow[frontRails[j]]][frontRails[j]];
      railIndex[j][segments] = index[topRow[backRails[j]]][backRails[j]];
      const float u = static_cast<float>(arcU[frontRails[j]]);
      const float v0 = mesh.particle(railIndex[j][0]).point.v;
      railV[j][0] = v0;
      std::size_t q = 0;
      for (int s = 1; s < segments; ++s) {
        const double target = along.back() * s / segments;
        while (q + 2 < path.size() && along[q + 1] < target) ++q;
        const double t = (target - along[q]) / std::max(along[q + 1] - along[q], 1e-12);
        const Vec3 p{static_cast<float>(path[q][0] + t * (path[q + 1][0] - path[q][0])),
                     static_cast<float>(path[q][1] + t * (path[q + 1][1] - path[q][1])),
                     static_cast<float>(path[q][2] + t * (path[q + 1][2] - path[q][2]))};
        const bool frontHalf = 2 * s < segments;
        railV[j][s] = v0 + static_cast<float>(target / us / repeat);
        railIndex[j][s] =
            mesh.add(p, u, railV[j][s], frontHalf ? 0 : 1, frontHalf ? kSideFront : kSideBack);
      }
      railV[j][segments] = v0 + static_cast<float>(along.back() / us / repeat);
    }
    for (int j = 0; j + 1 < style.strapRails; ++j)
      for (int s = 0; s < segments; ++s) {
        const std::int32_t a = railIndex[j][s], b = railIndex[j + 1][s];
        const std::int32_t c = railIndex[j + 1][s + 1], d = railIndex[j][s + 1];
        const float ua = static_cast<float>(arcU[frontRails[j]]),
                    ub = static_cast<float>(arcU[frontRails[j + 1]]);
        const std::int32_t piece = 2 * s < segments ? 0 : 1;
        const float t1[6] = {ua, railV[j][s], ub, railV[j + 1][s], ub, railV[j + 1][s + 1]};
        const float t2[6] = {ua, railV[j][s], ub, railV[j + 1][s + 1], ua, railV[j][s + 1]};
        mesh.triangle(a, b, c, piece, t1);
        mesh.triangle(a, c, d, piece, t2);
      }
  }
  return mesh.finish(style.texture, true, 0, smoothZ[hipRow]);
}

GarmentMesh skirtPanels(const Avatar& body, const SkirtStyle& style) {
  const double us = body.unitScale();
  const double floor = body.minimum[1];
  auto yOf = [&](double cm) { return static_cast<float>(floor + cm * us); };
  auto halfGirth = [&](double cm) {
    const std::vector<P2> hull = convexHull(coreSection(body, yOf(cm)));
    double perimeter = 0;
    for (std::size_t k = 0; k < hull.size(); ++k) {
      const P2& a = hull[k];
      const P2& b = hull[(k + 1) % hull.size()];
      perimeter += std::hypot(b.x - a.x, b.z - a.z);
    }
    return perimeter / 2;
  };
  double zFront = -1e9, zBack = 1e9;
  for (double cm = style.hemCm; cm <= style.waistCm; cm += 2) {
    for (const P2& p : coreSection(body, yOf(cm))) {
      zFront = std::max(zFront, p.z);
      zBack = std::min(zBack, p.z);
    }
  }
  const double ease = style.easeCm * us;
  const double waistWidth = halfGirth(style.waistCm) + style.waistEaseCm * us;
  const double hipWidth = halfGirth(style.waistCm - style.hipDropCm) + ease;
  const double hemWidth = hipWidth + style.hemFlareCm * us;
  const int rows = static_cast<int>(std::ceil((style.waistCm - style.hemCm) / style.rowCm)) + 1;
  const int cols = style.columns;
  auto widthAt = [&](double cm) {
    const double hipCm = style.waistCm - style.hipDropCm;
    if (cm >= hipCm) {
      const double t = (style.waistCm - cm) / style.hipDropCm;
      return waistWidth + (hipWidth - waistWidth) * std::sin(t * std::numbers::pi / 2);
    }
    return hipWidth + (hemWidth - hipWidth) * (hipCm - cm) / (hipCm - style.hemCm);
  };

  MeshBuilder mesh;
  const float repeat = style.textureRepeatCm;
  std::array<std::vector<std::vector<std::int32_t>>, 2> index;
  for (int panel = 0; panel < 2; ++panel) {
    const bool isFront = panel == 0;
    const float z =
        static_cast<float>(isFront ? zFront + style.gapCm * us : zBack - style.gapCm * us);
    index[panel].assign(rows, std::vector<std::int32_t>(cols));
    for (int i = 0; i < rows; ++i) {
      const double cm = std::min<double>(style.hemCm + i * style.rowCm, style.waistCm);
      const double w = widthAt(cm);
      for (int k = 0; k < cols; ++k) {
        const double x = -w / 2 + w * k / (cols - 1);
        index[panel][i][k] =
            mesh.add({static_cast<float>(x), yOf(cm), z},
                     static_cast<float>((x + hemWidth / 2) / us / repeat),
                     static_cast<float>(cm / repeat), panel, isFront ? kSideFront : kSideBack);
      }
    }
    for (int i = 0; i + 1 < rows; ++i)
      for (int k = 0; k + 1 < cols; ++k) {
        const std::int32_t a = index[panel][i][k], b = index[panel][i][k + 1];
        const std::int32_t c = index[panel][i + 1][k + 1], d = index[panel][i + 1][k];
        // The front panel faces +z, the back panel −z.
        if ((i + k) % 2 == 0) {
          if (isFront) {
            mesh.triangle(a, b, c, panel);
            mesh.triangle(a, c, d, panel);
          } else {
            mesh.triangle(a, c, b, panel);
            mesh.triangle(a, d, c, panel);
          }
        } else if (isFront) {
          mesh.triangle(a, b, d, panel);
          mesh.triangle(b, c, d, panel);
        } else {
          mesh.triangle(a, d, b, panel);
          mesh.triangle(b, d, c, panel);
        }
      }
  }
  GarmentMesh garment = mesh.finish(style.texture, false, 0, 0);
  // Side seams: seam 0 joins the panels' edges at −x, seam 1 those at +x.
  for (int side = 0; side < 2; ++side) {
    const int k = side == 0 ? 0 : cols - 1;
    for (int i = 0; i < rows; ++i) {
      SeamPair pair;
      pair.a = std::min(index[0][i][k], index[1][i][k]);
      pair.b = std::max(index[0][i][k], index[1][i][k]);
      pair.seam = side;
      garment.seams.push_back(pair);
      garment.particles[pair.a].seamFlag = 1;
      garment.particles[pair.a].seamPartner = pair.b;
      garment.particles[pair.b].seamFlag = 1;
      garment.particles[pair.b].seamPartner = pair.a;
    }
  }
  garment.workingSeams = garment.seams;
  garment.drawParticles = garment.particles;
  return garment;
}

}  // namespace vestora::generate
