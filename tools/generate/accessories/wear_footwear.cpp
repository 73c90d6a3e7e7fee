#include "accessories/wear_footwear.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <stdexcept>

namespace vestora::generate::wear {

double ramp(double a, double b, double x) {
  const double t = std::clamp((x - a) / (b - a), 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

SurfaceField feetSkin(const Avatar& body, double height) {
  double floorY = 1e30;
  for (const SkinVertex& s : body.skin) floorY = std::min(floorY, double(s.y));
  return SurfaceField::ofBody(
      body, [&](const Vec3& p) { return p.y < floorY + height; }, 0.04);
}

FootFrame measureFoot(const Avatar& body, bool right) {
  FootFrame f;
  f.right = right;
  auto onSide = [&](const SkinVertex& s) { return right ? s.x < 0 : s.x > 0; };
  f.floorY = 1e30;
  for (const SkinVertex& s : body.skin)
    if (onSide(s)) f.floorY = std::min(f.floorY, double(s.y));
  // The foot below the ankle, and the leg's axis just above it.
  std::vector<Vec3> foot;
  Vec3 ankle;
  int ankleCount = 0;
  for (const SkinVertex& s : body.skin) {
    if (!onSide(s)) continue;
    const Vec3 p{s.x, s.y, s.z};
    if (p.y < f.floorY + 0.45) foot.push_back(p);
    if (p.y > f.floorY + 0.9 && p.y < f.floorY + 1.0) {
      ankle += p;
      ++ankleCount;
    }
  }
  if (foot.size() < 20 || ankleCount < 8)
    throw std::runtime_error("wearables: the body has no feet to fit");
  ankle = ankle / double(ankleCount);
  // The foot's long axis: the principal direction of its footprint.
  Vec3 mean;
  for (const Vec3& p : foot) mean += p / double(foot.size());
  double sxx = 0, sxz = 0, szz = 0;
  for (const Vec3& p : foot) {
    sxx += (p.x - mean.x) * (p.x - mean.x);
    sxz += (p.x - mean.x) * (p.z - mean.z);
    szz += (p.z - mean.z) * (p.z - mean.z);
  }
  const double angle = 0.5 * std::atan2(2 * sxz, sxx - szz);  // of the major axis from +x
  Vec3 axis{std::cos(angle), 0, std::sin(angle)};
  if (std::abs(axis.z) < std::abs(axis.x)) axis = {-axis.z, 0, axis.x};
  if (axis.z < 0) axis = -axis;
  f.forward = normalized(axis);
  f.up = {0, 1, 0};
  f.outside = normalized(cross(f.forward, f.up));  // towards −x for a foot pointing +z
  if (!right) f.outside = -f.outside;
  f.origin = {ankle.x, f.floorY + 0.22, ankle.z};
  double lo = 1e30, hi = -1e30, wlo = 1e30, whi = -1e30;
  for (const Vec3& p : foot) {
    lo = std::min(lo, dot(p - f.origin, f.forward));
    hi = std::max(hi, dot(p - f.origin, f.forward));
    wlo = std::min(wlo, dot(p - f.origin, f.outside));
    whi = std::max(whi, dot(p - f.origin, f.outside));
  }
  f.heel = lo;
  f.toe = hi;
  f.halfWidth = 0.5 * (whi - wlo);
  f.centre = f.origin + f.outside * (0.5 * (whi + wlo));
  return f;
}

FootPlace placeOnFoot(const FootFrame& f, const Vec3& p) {
  FootPlace q;
  q.p = p;
  q.s = (dot(p - f.origin, f.forward) - f.heel) / (f.toe - f.heel);
  q.h = p.y - f.floorY;
  q.lat = dot(p - f.centre, f.outside) / f.halfWidth;
  return q;
}

namespace {

constexpr double kReach = 0.6;

// The distance fields of one item on one foot and the rays that find them.
class FootRays {
 public:
  FootRays(const SurfaceField& skin, const FootFrame& f, const FootwearStyle& s)
      : skin_(skin), f_(f), s_(s) {}

  // The ray of direction (β from the pole up the leg, az round it: 0
  // towards the toes, π/2 to the outside).
  Vec3 direction(double beta, double az) const {
    const double du = std::cos(beta), df = std::sin(beta) * std::cos(az),
                 dout = std::sin(beta) * std::sin(az);
    const double along = df > 0 ? f_.toe * 1.02 : -f_.heel * 1.02;
    return f_.forward * (df * along) + f_.up * (du * 0.5) +
           f_.outside * (dout * f_.halfWidth * 1.15);
  }

  double skinDistance(const Vec3& p) const { return skin_.distance(p, kReach, kReach); }

  // The sole as a rounded slab: negative inside.
  double sole(const Vec3& p) const {
    const double top = s_.soleBottom + s_.soleHeight;
    const double a = std::max(s_.soleBottom - p.y, p.y - top);
    const Vec3 level{p.x, f_.floorY + s_.soleReference, p.z};
    const double b = skinDistance(level) - s_.outerClearance - s_.soleMargin;
    const double r = s_.soleRound;
    const double qa = a + r, qb = b + r;
    const double outside =
        std::sqrt(std::max(qa, 0.0) * std::max(qa, 0.0) + std::max(qb, 0.0) * std::max(qb, 0.0));
    return outside + std::min(std::max(qa, qb), 0.0) - r;
  }

  double outerField(const Vec3& p) const {
    const double d = skinDistance(p) - s_.outerClearance;
    // The upper ends at the sole's flat bottom: a thick upper would
    // otherwise bulge below it, under the floor.
    return s_.sole ? std::min(std::max(d, s_.soleBottom - p.y), sole(p)) : d;
  }
  double innerField(const Vec3& p) const { return skinDistance(p) - s_.innerClearance; }

  // Where the ray first leaves the field's inside.
  std::optional<Vec3> exit(const Vec3& d, bool outer) const {
    auto field = [&](double t) {
      const Vec3 p = f_.origin + d * t;
      return outer ? outerField(p) : innerField(p);
    };
    const double speed = length(d);
    const double tMax = 2.5;
    double t = 0, v = field(0);
    if (v >= 0) return std::nullopt;
    double previous = 0;
    while (t < tMax) {
      previous = t;
      t += std::max(-v * 0.9, 0.004) / speed;
      v = field(t);
      if (v >= 0) break;
    }
    if (v < 0) return std::nullopt;
    double lo = previous, hi = t;
    for (int i = 0; i < 40; ++i) {
      const double mid = 0.5 * (lo + hi);
      (field(mid) < 0 ? lo : hi) = mid;
    }
    return f_.origin + d * (0.5 * (lo + hi));
  }

  bool covered(const Vec3& p) const { return s_.covered(placeOnFoot(f_, p)); }

 private:
  const SurfaceField& skin_;
  const FootFrame& f_;
  const FootwearStyle& s_;
};

// The polar angle where the item begins in the direction `az`: the first
// covered point of the outer surface going down from the pole.
double openingAngle(const FootRays& rays, double az) {
  const double step = 2.0 * kPi / 180;
  double previous = 0;
  for (double beta = step; beta < kPi - step; beta += step) {
    const auto p = rays.exit(rays.direction(beta, az), true);
    if (p && rays.covered(*p)) {
      double lo = previous, hi = beta;
      for (int i = 0; i < 14; ++i) {
        const double mid = 0.5 * (lo + hi);
        const auto q = rays.exit(rays.direction(mid, az), true);
        (q && rays.covered(*q) ? hi : lo) = mid;
      }
      return hi;
    }
    previous = beta;
  }
  throw std::runtime_error("wearables: the item covers nothing in one direction");
}

// The polar angle of row r of `rows` between the opening's angle and the
// pole under the sole: most rows over the part that shows.
double rowAngle(double opening, int r, int rows) {
  constexpr double kEquator = 108.0 * kPi / 180;
  const int upper = (rows * 3) / 4;
  if (r <= upper) return opening + (std::max(kEquator, opening + 0.2) - opening) * r / upper;
  const double from = std::max(kEquator, opening + 0.2);
  return from + (kPi - from) * double(r - upper) / double(rows - 1 - upper);
}

struct FootGrid {
  std::vector<std::vector<Vec3>> outer, inner;  // [row][column]; the last row is the pole
};

FootGrid footGrid(const SurfaceField& skin, const FootFrame& f, const FootwearStyle& style) {
  const FootRays rays(skin, f, style);
  const int n = style.columns, rows = style.outerRows;
  FootGrid g;
  g.outer.assign(std::size_t(rows), std::vector<Vec3>(std::size_t(n)));
  g.inner = g.outer;
  for (int c = 0; c < n; ++c) {
    const double az = 2 * kPi * c / n;
    const double opening = openingAngle(rays, az);
    for (int r = 0; r < rows; ++r) {
      const double beta = r == rows - 1 ? kPi : rowAngle(opening, r, rows);
      const Vec3 d = rays.direction(beta, az);
      const auto o = rays.exit(d, true);
      const auto i = rays.exit(d, false);
      if (!o || !i)
        throw std::runtime_error("wearables: " + style.name + ": a ray finds no surface");
      g.outer[std::size_t(r)][std::size_t(c)] = *o;
      g.inner[std::size_t(r)][std::size_t(c)] = *i;
    }
  }
  return g;
}

constexpr double kOuterTop = 0.0, kOuterBottom = 0.80, kLiningTop = 0.82, kLiningBottom = 1.0;
constexpr double kRimV = 0.003;

// Adds one foot's shell; returns the vertex indices of its outer surface
// by row and column.
std::vector<int> addShell(WearMesh& mesh, const FootGrid& g, const std::string& name) {
  const int rows = int(g.outer.size()), n = int(g.outer[0].size());
  auto indices = [&](const std::vector<std::vector<Vec3>>& grid) {
    std::vector<std::vector<int>> idx(std::size_t(rows), std::vector<int>(std::size_t(n), 0));
    for (int r = 0; r < rows; ++r) {
      if (r == rows - 1) {
        // The pole: one vertex for the whole row.
        Vec3 pole;
        for (const Vec3& p : grid[std::size_t(r)]) pole += p / double(n);
        const int v = mesh.addVertex(pole);
        for (int c = 0; c < n; ++c) idx[std::size_t(r)][std::size_t(c)] = v;
      } else {
        for (int c = 0; c < n; ++c)
          idx[std::size_t(r)][std::size_t(c)] =
              mesh.addVertex(grid[std::size_t(r)][std::size_t(c)]);
      }
    }
    return idx;
  };
  const auto inner = indices(g.inner);
  const int outerFirst = int(mesh.vertices.size());
  const auto outer = indices(g.outer);
  (void)outerFirst;
  const int part = mesh.part(" " + name, name);
  // From the inner pole up the inside, over the rim, down the outside.
  std::vector<std::vector<int>> innerRows(inner.rbegin(), inner.rend());
  auto rowV = [&](int r, double top, double bottom) {
    return top + (bottom - top) * r / (rows - 1);
  };
  const std::size_t before = mesh.parts[std::size_t(part)].triangles.size();
  addGrid(
      mesh, innerRows,
      [&](int r, int c) {
        return std::array<double, 2>{double(c) / n, rowV(rows - 1 - r, kLiningTop, kLiningBottom)};
      },
      {part, mesh.newSmoothing(), true, true});
  addGrid(mesh, {inner[0], outer[0]},
          [&](int, int c) {
            return std::array<double, 2>{double(c) / n, kRimV};
          },
          {part, mesh.newSmoothing(), true, true});
  addGrid(mesh, outer,
          [&](int r, int c) {
            return std::array<double, 2>{double(c) / n, rowV(r, kOuterTop, kOuterBottom)};
          },
          {part, mesh.newSmoothing(), true, true});
  // Facing out: the shell's volume comes out positive.
  WearMesh shell;
  shell.vertices = mesh.vertices;
  shell.parts.push_back(
      {"", "",
       std::vector<WearTriangle>(mesh.parts[std::size_t(part)].triangles.begin() + long(before),
                                 mesh.parts[std::size_t(part)].triangles.end())});
  if (signedVolume(shell) < 0)
    for (std::size_t t = before; t < mesh.parts[std::size_t(part)].triangles.size(); ++t) {
      WearTriangle& tri = mesh.parts[std::size_t(part)].triangles[t];
      std::swap(tri.v[1], tri.v[2]);
      std::swap(tri.t[1], tri.t[2]);
    }
  std::vector<int> flat;
  for (const auto& row : outer) flat.insert(flat.end(), row.begin(), row.end());
  return flat;
}

// Arc lengths on the grid: along each column from the opening, and along
// each row from column 0 (with the closing span, so entry n is the row's
// whole length).
struct GridLengths {
  std::vector<std::vector<double>> edge, around;
};
GridLengths gridLengths(const std::vector<std::vector<Vec3>>& g) {
  const int rows = int(g.size()), n = int(g[0].size());
  GridLengths l;
  l.edge.assign(std::size_t(rows), std::vector<double>(std::size_t(n), 0.0));
  l.around.assign(std::size_t(rows), std::vector<double>(std::size_t(n) + 1, 0.0));
  for (int r = 1; r < rows; ++r)
    for (int c = 0; c < n; ++c)
      l.edge[std::size_t(r)][std::size_t(c)] =
          l.edge[std::size_t(r - 1)][std::size_t(c)] +
          length(g[std::size_t(r)][std::size_t(c)] - g[std::size_t(r - 1)][std::size_t(c)]);
  for (int r = 0; r < rows; ++r)
    for (int c = 1; c <= n; ++c)
      l.around[std::size_t(r)][std::size_t(c)] =
          l.around[std::size_t(r)][std::size_t(c - 1)] +
          length(g[std::size_t(r)][std::size_t(c % n)] - g[std::size_t(r)][std::size_t(c - 1)]);
  return l;
}

Image paint(const FootGrid& g, const FootFrame& f, const FootwearStyle& style) {
  const int rows = int(g.outer.size()), n = int(g.outer[0].size());
  const GridLengths lengths = gridLengths(g.outer);
  const int size = style.pictureSize;
  Image image(size, size);
  for (int y = 0; y < size; ++y) {
    const double v = (y + 0.5) / size;
    const bool lining = v > 0.5 * (kOuterBottom + kLiningTop);
    const double rowF = lining ? (v - kLiningTop) / (kLiningBottom - kLiningTop) * (rows - 1)
                               : (v - kOuterTop) / (kOuterBottom - kOuterTop) * (rows - 1);
    const double rf = std::clamp(rowF, 0.0, rows - 1.0);
    const int r0 = std::min(int(rf), rows - 2);
    const double fr = rf - r0;
    for (int x = 0; x < size; ++x) {
      const double cf = (x + 0.5) / size * n;
      const int c0 = std::min(int(cf), n - 1), c1 = (c0 + 1) % n;
      const double fc = cf - c0;
      auto bl = [&](auto&& at) {
        return (at(r0, c0) * (1 - fc) + at(r0, c1) * fc) * (1 - fr) +
               (at(r0 + 1, c0) * (1 - fc) + at(r0 + 1, c1) * fc) * fr;
      };
      const Vec3 p = bl([&](int r, int c) { return g.outer[std::size_t(r)][std::size_t(c)]; });
      FootPlace place = placeOnFoot(f, p);
      place.edge = bl([&](int r, int c) { return lengths.edge[std::size_t(r)][std::size_t(c)]; });
      place.around = (1 - fr) * (lengths.around[std::size_t(r0)][std::size_t(c0)] * (1 - fc) +
                                 lengths.around[std::size_t(r0)][std::size_t(c0) + 1] * fc) +
                     fr * (lengths.around[std::size_t(r0 + 1)][std::size_t(c0)] * (1 - fc) +
                           lengths.around[std::size_t(r0 + 1)][std::size_t(c0) + 1] * fc);
      place.lining = lining;
      image.at(x, y) = style.material(place);
    }
  }
  return image;
}

}  // namespace

Footwear buildFootwear(const Avatar& body, const SurfaceField& skin, const FootwearStyle& style) {
  Footwear out;
  out.rows = style.outerRows;
  out.columns = style.columns;
  FootGrid rightGrid;
  FootFrame rightFrame;
  for (bool right : {true, false}) {
    const FootFrame f = measureFoot(body, right);
    FootGrid g = footGrid(skin, f, style);
    const std::vector<int> outer = addShell(out.mesh, g, style.name);
    if (right) {
      out.rightOuter = outer;
      rightGrid = std::move(g);
      rightFrame = f;
    }
  }
  out.lowest = 1e30;
  for (const Vec3& p : out.mesh.vertices) out.lowest = std::min(out.lowest, p.y);
  out.picture = paint(rightGrid, rightFrame, style);
  return out;
}

int seatVertexNear(const Footwear& item, const Vec3& target) {
  // The column straight behind the heel, the row at the target's height.
  const int c = item.columns / 2;
  int best = -1;
  double bestGap = 1e30;
  for (int r = 0; r + 1 < item.rows; ++r) {
    const int v = item.rightOuter[std::size_t(r) * std::size_t(item.columns) + std::size_t(c)];
    const double gap = std::abs(item.mesh.vertices[std::size_t(v)].y - target.y);
    if (gap < bestGap) {
      bestGap = gap;
      best = v;
    }
  }
  return best;
}

}  // namespace vestora::generate::wear
