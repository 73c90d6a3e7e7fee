#include "cloth/garment_placement.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <numbers>
#include <optional>

#include "body/section_length.h"

namespace vestora {
namespace {

// Heights are grouped into bands this tall (model units, 5 mm).
constexpr float kBand = 0.05f;
// Directions round the body in which its outline is kept.
constexpr int kDirections = 180;

// The trunk's outline at one height, kDirections radii from its centre:
// direction k points along (sin θ, cos θ) in (x, z), θ = 2π k / kDirections,
// so that direction 0 is the front (+z) and a quarter turn is +x.
struct Outline {
  float cx = 0, cz = 0;
  std::vector<float> radius;
  std::array<float, 2> at(int k) const {
    const auto i = static_cast<std::size_t>((k % kDirections + kDirections) % kDirections);
    const std::array<float, 2>& d = direction(i);
    return {cx + radius[i] * d[0], cz + radius[i] * d[1]};
  }
  // Direction k: (sin θ, cos θ) in (x, z).
  static const std::array<float, 2>& direction(std::size_t k) {
    static const auto table = [] {
      std::array<std::array<float, 2>, kDirections> t{};
      for (int i = 0; i < kDirections; ++i) {
        const double theta = 2 * std::numbers::pi * i / kDirections;
        t[static_cast<std::size_t>(i)] = {static_cast<float>(std::sin(theta)),
                                          static_cast<float>(std::cos(theta))};
      }
      return t;
    }();
    return table[k];
  }
  float perimeter() const {
    float sum = 0;
    for (int k = 0; k < kDirections; ++k) {
      const auto a = at(k), b = at(k + 1);
      sum += std::hypot(b[0] - a[0], b[1] - a[1]);
    }
    return sum;
  }
};

// Distance from c along the unit direction d to the convex polygon's
// boundary (c inside); 0 when the ray meets no edge.
float rayToPolygon(const std::vector<std::array<float, 2>>& hull, float cx, float cz, float dx,
                   float dz) {
  float best = 0;
  for (std::size_t i = 0; i < hull.size(); ++i) {
    const auto& a = hull[i];
    const auto& b = hull[(i + 1) % hull.size()];
    const float ex = b[0] - a[0], ez = b[1] - a[1];
    const float denom = dx * ez - dz * ex;
    if (std::abs(denom) < 1e-12f) continue;
    const float wx = a[0] - cx, wz = a[1] - cz;
    const float t = (wx * ez - wz * ex) / denom;
    const float u = (wx * dz - wz * dx) / denom;
    if (t > 0 && u >= -1e-6f && u <= 1 + 1e-6f) best = std::max(best, t);
  }
  return best;
}

// The trunk's outline at height y, kPlacementGap outside the convex hull of
// its section: loops that reach the middle (x = 0) or lie much nearer to it
// on their inner side than on their outer side (the legs); an arm's loop
// lies far out on both. nullopt when there is none.
std::optional<Outline> trunkOutline(const Avatar& body, float y, const LevelIndex& index) {
  std::vector<std::array<float, 2>> points;
  for (const SectionLoop& loop : sectionLoops(body, {0, y, 0}, {0, 1, 0}, &index)) {
    if (loop.points.size() < 3) continue;
    float lo = 1e30f, hi = -1e30f, inner = 1e30f, outer = 0;
    for (const Vec3f& p : loop.points) {
      lo = std::min(lo, p.x);
      hi = std::max(hi, p.x);
      inner = std::min(inner, std::abs(p.x));
      outer = std::max(outer, std::abs(p.x));
    }
    const bool reachesMiddle = lo <= 0 && hi >= 0;
    if (!reachesMiddle && inner >= 0.5f * outer) continue;
    for (const Vec3f& p : loop.points) points.push_back({p.x, p.z});
  }
  const auto hull = convexHull(std::move(points));
  if (hull.size() < 3) return std::nullopt;
  float x0 = 1e30f, x1 = -1e30f, z0 = 1e30f, z1 = -1e30f;
  for (const auto& p : hull) {
    x0 = std::min(x0, p[0]);
    x1 = std::max(x1, p[0]);
    z0 = std::min(z0, p[1]);
    z1 = std::max(z1, p[1]);
  }
  Outline outline;
  outline.cx = (x0 + x1) / 2;
  outline.cz = (z0 + z1) / 2;
  outline.radius.resize(kDirections);
  for (std::size_t k = 0; k < kDirections; ++k) {
    const std::array<float, 2>& d = Outline::direction(k);
    outline.radius[k] = rayToPolygon(hull, outline.cx, outline.cz, d[0], d[1]) + kPlacementGap;
  }
  return outline;
}

// Where a point lies on the outline after going `along` from its front
// (direction 0) towards +x (negative: towards −x); `back` measures from the
// back (direction kDirections / 2) instead, again positive towards +x.
std::array<float, 2> pointAlong(const Outline& o, float along, bool back) {
  // Walk from the start direction, one direction at a time, on the side
  // `along` points to.
  const int half = kDirections / 2;
  const int start = back ? half : 0;
  const int turn = (along >= 0) != back ? 1 : -1;
  float left = std::abs(along);
  for (int k = 0; k < half; ++k) {
    const auto a = o.at(start + turn * k), b = o.at(start + turn * (k + 1));
    const float length = std::hypot(b[0] - a[0], b[1] - a[1]);
    if (left <= length) {
      const float f = length > 0 ? left / length : 0;
      return {a[0] + f * (b[0] - a[0]), a[1] + f * (b[1] - a[1])};
    }
    left -= length;
  }
  return o.at(start + turn * half);
}

int bandOf(float y) {
  return static_cast<int>(std::lround(y / kBand));
}

}  // namespace

bool PlacePiecesAroundBody(GarmentMesh& garment, const Avatar& body) {
  if (!body.loaded()) return false;
  // Each side's middle, and its width in every band.
  struct Side {
    float lo = 1e30f, hi = -1e30f;
    std::map<int, std::array<float, 2>> bands;  // band → min x, max x
    bool any() const { return lo <= hi; }
  };
  std::array<Side, 2> sides;
  auto sideOf = [](const GarmentParticle& p) {
    if (p.piece < 0) return -1;
    return p.side == kSideFront ? 0 : p.side == kSideBack ? 1 : -1;
  };
  for (const GarmentParticle& p : garment.particles) {
    const int s = sideOf(p);
    if (s < 0 || !std::isfinite(p.point.x) || !std::isfinite(p.point.y)) continue;
    Side& side = sides[static_cast<std::size_t>(s)];
    side.lo = std::min(side.lo, p.point.x);
    side.hi = std::max(side.hi, p.point.x);
    auto [it, added] = side.bands.try_emplace(bandOf(p.point.y), std::array{p.point.x, p.point.x});
    if (!added) {
      it->second[0] = std::min(it->second[0], p.point.x);
      it->second[1] = std::max(it->second[1], p.point.x);
    }
  }
  if (!sides[0].any() && !sides[1].any()) return false;

  // The body's outline in every band the cloth occupies, grown to the
  // cloth's width there.
  const LevelIndex index(body);
  std::map<int, Outline> outlines;
  for (const Side& side : sides)
    for (const auto& [band, range] : side.bands) {
      if (outlines.count(band)) continue;
      auto outline = trunkOutline(body, static_cast<float>(band) * kBand, index);
      if (!outline) continue;
      auto widthIn = [&](const Side& s) {
        const auto it = s.bands.find(band);
        return it == s.bands.end() ? 0.0f : it->second[1] - it->second[0];
      };
      const float front = widthIn(sides[0]), back = widthIn(sides[1]);
      const float cloth = front > 0 && back > 0 ? front + back : 2 * std::max(front, back);
      for (int round = 0; round < 3; ++round) {
        const float grow =
            (cloth - outline->perimeter()) / static_cast<float>(2 * std::numbers::pi);
        if (!(grow > 0)) break;
        for (float& r : outline->radius) r += grow;
      }
      outlines.emplace(band, std::move(*outline));
    }
  if (outlines.empty()) return false;
  auto outlineAt = [&](int band) -> const Outline& {
    const auto above = outlines.lower_bound(band);
    if (above == outlines.end()) return std::prev(above)->second;
    if (above == outlines.begin() || above->first == band) return above->second;
    const auto below = std::prev(above);
    return band - below->first <= above->first - band ? below->second : above->second;
  };

  for (GarmentParticle& p : garment.particles) {
    const int s = sideOf(p);
    if (s < 0 || !std::isfinite(p.point.x) || !std::isfinite(p.point.y)) continue;
    const Side& side = sides[static_cast<std::size_t>(s)];
    const auto [x, z] =
        pointAlong(outlineAt(bandOf(p.point.y)), p.point.x - (side.lo + side.hi) / 2, s == 1);
    p.point.x = x;
    p.point.z = z;
  }
  garment.drawParticles = garment.particles;
  return true;
}

}  // namespace vestora
