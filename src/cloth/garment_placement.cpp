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

// The convex hull (x, z) of the trunk's section at height y: loops that
// reach the middle (x = 0) or lie much nearer to it on their inner side than
// on their outer side (the legs); an arm's loop lies far out on both. Fewer
// than three points when there is none.
std::vector<std::array<float, 2>> trunkHull(const Avatar& body, float y, const LevelIndex& index) {
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
  return convexHull(std::move(points));
}

float perimeterOf(const std::vector<std::array<float, 2>>& hull) {
  float sum = 0;
  for (std::size_t i = 0; i < hull.size(); ++i) {
    const auto& a = hull[i];
    const auto& b = hull[(i + 1) % hull.size()];
    sum += std::hypot(b[0] - a[0], b[1] - a[1]);
  }
  return sum;
}

// The outline kPlacementGap outside a trunk's hull; nullopt for no hull.
std::optional<Outline> outlineAround(const std::vector<std::array<float, 2>>& hull) {
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

namespace {

// Each side's (front's, back's) middle and its width in every band.
struct Side {
  float lo = 1e30f, hi = -1e30f;
  std::map<int, std::array<float, 2>> bands;  // band → min x, max x
  bool any() const { return lo <= hi; }
  float widthIn(int band) const {
    const auto it = bands.find(band);
    return it == bands.end() ? 0.0f : it->second[1] - it->second[0];
  }
};

// 0 for a front piece's particle, 1 for a back piece's, −1 for any other.
int sideOf(const GarmentParticle& p) {
  if (p.piece < 0) return -1;
  return p.side == kSideFront ? 0 : p.side == kSideBack ? 1 : -1;
}

bool placeable(const GarmentParticle& p) {
  return sideOf(p) >= 0 && std::isfinite(p.point.x) && std::isfinite(p.point.y);
}

std::array<Side, 2> sidesOf(const GarmentMesh& garment) {
  std::array<Side, 2> sides;
  for (const GarmentParticle& p : garment.particles) {
    if (!placeable(p)) continue;
    Side& side = sides[static_cast<std::size_t>(sideOf(p))];
    side.lo = std::min(side.lo, p.point.x);
    side.hi = std::max(side.hi, p.point.x);
    auto [it, added] = side.bands.try_emplace(bandOf(p.point.y), std::array{p.point.x, p.point.x});
    if (!added) {
      it->second[0] = std::min(it->second[0], p.point.x);
      it->second[1] = std::max(it->second[1], p.point.x);
    }
  }
  return sides;
}

// How far round the body the cloth reaches in a band: front and back
// together, or twice the one side there is.
float clothWidth(const std::array<Side, 2>& sides, int band) {
  const float front = sides[0].widthIn(band), back = sides[1].widthIn(band);
  return front > 0 && back > 0 ? front + back : 2 * std::max(front, back);
}

// The garment's height on the body: the shift (in bands, within ±40 cm) at
// which its cloth goes round the trunk best, i.e. the least cloth short of
// the trunk's girth summed over its bands (every other band, every other
// shift: 1 cm). Of equally good shifts the smallest wins, so a garment made
// for this body stays where it was made.
int bestShift(const std::array<Side, 2>& sides, const Avatar& body, const LevelIndex& index) {
  constexpr int kReach = 80;   // bands
  std::map<int, float> girth;  // band → trunk girth there (0: no trunk)
  auto girthAt = [&](int band) {
    auto [it, added] = girth.try_emplace(band, 0.0f);
    if (added) it->second = perimeterOf(trunkHull(body, static_cast<float>(band) * kBand, index));
    return it->second;
  };
  std::map<int, float> cloth;
  for (const Side& side : sides)
    for (const auto& entry : side.bands)
      if (entry.first % 2 == 0) cloth.emplace(entry.first, clothWidth(sides, entry.first));
  auto shortBy = [&](int shift) {
    float sum = 0;
    for (const auto& [band, width] : cloth) sum += std::max(0.0f, girthAt(band + shift) - width);
    return sum;
  };
  int best = 0;
  float least = shortBy(0);
  // A tolerance of a millimetre a band keeps rounding from moving a garment that fits.
  const float tolerance = 0.01f * static_cast<float>(cloth.size());
  for (int step = 2; step <= kReach && least > tolerance; step += 2)
    for (const int shift : {step, -step}) {
      const float s = shortBy(shift);
      if (s < least - tolerance) {
        least = s;
        best = shift;
      }
    }
  return best;
}

}  // namespace

bool PlacePiecesAroundBody(GarmentMesh& garment, const Avatar& body) {
  if (!body.loaded()) return false;
  std::array<Side, 2> sides = sidesOf(garment);
  if (!sides[0].any() && !sides[1].any()) return false;

  // First up or down to where the cloth goes round the trunk.
  const LevelIndex index(body);
  if (const int shift = bestShift(sides, body, index); shift != 0) {
    const float dy = static_cast<float>(shift) * kBand;
    for (GarmentParticle& p : garment.particles) p.point.y += dy;
    sides = sidesOf(garment);
  }

  // The body's outline in every band the cloth occupies, grown to the
  // cloth's width there.
  std::map<int, Outline> outlines;
  for (const Side& side : sides)
    for (const auto& [band, range] : side.bands) {
      if (outlines.count(band)) continue;
      auto outline = outlineAround(trunkHull(body, static_cast<float>(band) * kBand, index));
      if (!outline) continue;
      const float cloth = clothWidth(sides, band);
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
    if (!placeable(p)) continue;
    const int s = sideOf(p);
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
