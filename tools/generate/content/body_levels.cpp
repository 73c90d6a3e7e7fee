#include "content/body_levels.h"

#include <algorithm>
#include <cmath>

#include "avatar/shipped_numbers.h"
#include "body/section.h"

namespace vestora::generate {
namespace {

const Vec3 kUp{0, 1, 0};

SectionLoop loopAt(const Mesh& m, double y, Vec3 inside) {
  inside.y = y;
  return loopAround(m, {0, y, 0}, kUp, inside);
}

double tapeAt(const Mesh& m, double y, const Vec3& inside) {
  const SectionLoop loop = loopAt(m, y, inside);
  return loop.points.empty() ? 0 : loop.tapeLength(kUp);
}

double skinAt(const Mesh& m, double y, const Vec3& inside) {
  const SectionLoop loop = loopAt(m, y, inside);
  return loop.points.empty() ? 0 : loop.length();
}

// Argument of the extreme of f over [lo, hi] sampled at `step`, refined once
// at a tenth of the step.
template <class F>
double extremeLevel(double lo, double hi, double step, bool largest, F f) {
  auto scan = [&](double a, double b, double s) {
    double best = largest ? -1e300 : 1e300, at = a;
    for (double y = a; y <= b + 1e-9; y += s) {
      const double g = f(y);
      if (g <= 0) continue;
      if (largest ? g > best : g < best) best = g, at = y;
    }
    return at;
  };
  const double coarse = scan(lo, hi, step);
  return scan(std::max(lo, coarse - step), std::min(hi, coarse + step), step / 10);
}

Vec3 rightLegAt(const FigureShape& s, double y) {
  const Vec3 hip = mirrorX(s.leg.hip), knee = mirrorX(s.leg.knee), ankle = mirrorX(s.leg.ankle);
  if (y >= knee.y) return lerp(knee, hip, (y - knee.y) / (hip.y - knee.y));
  return lerp(ankle, knee, std::max(0.0, (y - ankle.y) / (knee.y - ankle.y)));
}

}  // namespace

BodyLevels findLevels(const Mesh& body, const FigureShape& s) {
  BodyLevels l;
  l.top = -1e300;
  l.floor = 1e300;
  for (const Vec3& p : body.positions) l.top = std::max(l.top, p.y), l.floor = std::min(l.floor, p.y);
  const double height = l.top - l.floor;
  // Crotch: the highest level at which the centre line between the legs is
  // outside the body, found by bisection.
  double inside = s.pelvis.y + 4, outside = s.leg.knee.y;
  for (int i = 0; i < 40; ++i) {
    const double mid = (inside + outside) / 2;
    (loopAt(body, mid, {0, 0, s.pelvis.z}).points.empty() ? outside : inside) = mid;
  }
  l.crotch = outside;
  double front = -1e300;
  for (const Vec3& p : body.positions)
    if (p.y > s.waist.y && p.y < s.shoulderCentre.y - 4 && std::abs(p.x) < s.arm.shoulder.x * 0.85 && p.z > front)
      front = p.z, l.bust = p.y;
  const Vec3 trunk{0, 0, s.waist.z};
  l.waist = extremeLevel(s.pelvis.y + 6, s.chestLow.y - 2, 0.5, false, [&](double y) { return tapeAt(body, y, trunk); });
  l.hip = extremeLevel(l.crotch + 1, l.waist - 4, 0.5, true, [&](double y) { return tapeAt(body, y, {0, 0, s.pelvis.z}); });
  l.abdomen = l.waist - 0.035 * height;
  l.underBust = s.breastRadii.x > 0 ? s.breastCentre.y - 1.3 * s.breastRadii.y : l.bust - 0.04 * height;
  l.thigh = l.crotch - 0.017 * height;
  l.knee = s.leg.knee.y;
  l.midThigh = (l.thigh + l.knee) / 2;
  const double ankleY = s.leg.ankle.y;
  l.calf = extremeLevel(ankleY + 0.1 * (l.knee - ankleY), l.knee - 0.1 * (l.knee - ankleY), 0.5, true,
                        [&](double y) { return tapeAt(body, y, rightLegAt(s, y)); });
  l.ankle = extremeLevel(ankleY, ankleY + 0.3 * (l.calf - ankleY), 0.25, false,
                         [&](double y) { return skinAt(body, y, rightLegAt(s, y)); });
  l.neck = s.headTop.y - s.head.headHeight - 0.012 * height;
  return l;
}

BodyLevels womanLevelsAtFixedPoints(const Mesh& body, const FigureShape& s) {
  using namespace shipped;
  BodyLevels l = findLevels(body, s);
  const auto& p = body.positions;
  l.underBust = p[kWomanChestPlane].y;
  l.waist = p[kWomanWaist].y;
  l.abdomen = p[kWomanAbdomen].y;
  l.hip = p[kWomanHip].y;
  l.thigh = p[kWomanThigh].y;
  l.knee = p[kWomanKnee].y;
  l.midThigh = (l.thigh + l.knee) / 2;
  l.calf = p[kWomanCalf].y;
  l.ankleBase = p[kWomanAnkle].y;
  l.crotch = p[kWomanCrotch].y;
  // The bust points: the most forward point of each breast between the fold
  // under the bust and 4 cm below the shoulder points.
  const double shoulder = p[kWomanShoulderLeft].y;
  double frontLeft = -1e300, frontRight = -1e300, yLeft = 0, yRight = 0;
  for (const Vec3& v : p) {
    if (v.y < l.underBust || v.y > shoulder - 4 || std::abs(v.x) > p[kWomanShoulderLeft].x * 0.85) continue;
    if (v.x > 0 && v.z > frontLeft) frontLeft = v.z, yLeft = v.y;
    if (v.x < 0 && v.z > frontRight) frontRight = v.z, yRight = v.y;
  }
  // The fullest tape round the bust within 1.5 cm of the bust points (a
  // section wide enough to take in the arms does not count): 0.5 cm steps,
  // then a fine search of the best interval.
  const Vec3 trunk{0, 0, s.waist.z};
  const double halfWidth = p[kWomanShoulderLeft].x;
  auto tape = [&](double y) {
    const SectionLoop loop = loopAt(body, y, trunk);
    for (const Vec3& q : loop.points)
      if (std::abs(q.x) > halfWidth) return 0.0;
    return loop.points.empty() ? 0.0 : loop.tapeLength(kUp);
  };
  const double around = (yLeft + yRight) / 2;
  double best = around, bestTape = tape(around);
  for (int step = -3; step <= 3; ++step) {
    const double t = tape(around + 0.5 * step);
    if (t > bestTape) bestTape = t, best = around + 0.5 * step;
  }
  l.bust = best;
  for (double y = best - 0.5; y <= best + 0.5; y += 0.005) {
    const double t = tape(y);
    if (t > bestTape) bestTape = t, l.bust = y;
  }
  return l;
}

BodyLevels scaledLevels(const BodyLevels& levels, double k) {
  BodyLevels l = levels;
  for (double* level : {&l.top, &l.floor, &l.crotch, &l.bust, &l.underBust, &l.waist, &l.abdomen, &l.hip, &l.thigh,
                        &l.midThigh, &l.knee, &l.calf, &l.ankle, &l.ankleBase, &l.neck})
    *level *= k;
  return l;
}

std::map<std::string, double> tailorMeasures(const Mesh& body, const FigureShape& s, const BodyLevels& l,
                                             int shoulderLeft, int shoulderRight, int crotch, int crotchFloor) {
  std::map<std::string, double> m;
  const Vec3 trunk{0, 0, s.waist.z};
  m["height"] = l.top - l.floor;
  m["bust"] = tapeAt(body, l.bust, trunk);
  m["underBust"] = skinAt(body, l.underBust, trunk);
  m["waist"] = skinAt(body, l.waist, trunk);
  m["abdomen"] = skinAt(body, l.abdomen, trunk);
  m["hip"] = tapeAt(body, l.hip, {0, 0, s.pelvis.z});
  m["thigh"] = skinAt(body, l.thigh, rightLegAt(s, l.thigh));
  m["midThigh"] = skinAt(body, l.midThigh, rightLegAt(s, l.midThigh));
  m["knee"] = skinAt(body, l.knee, rightLegAt(s, l.knee));
  m["calf"] = skinAt(body, l.calf, rightLegAt(s, l.calf));
  if (l.ankleBase >= 0) {
    double narrowest = 0;
    for (double y = l.ankleBase + 0.1; y <= l.ankleBase + 10.1 + 1e-6; y += 0.2) {
      const double g = skinAt(body, y, rightLegAt(s, y));
      if (g > 0 && (narrowest == 0 || g < narrowest)) narrowest = g;
    }
    m["ankle"] = narrowest;
  } else {
    m["ankle"] = skinAt(body, l.ankle, rightLegAt(s, l.ankle));
  }
  m["neck"] = skinAt(body, l.neck, {0, 0, s.neckBase.z + 1});
  // Arm girths square to the arm.
  const Vec3 sh = mirrorX(s.arm.shoulder), el = mirrorX(s.arm.elbow), wr = mirrorX(s.arm.wrist);
  auto across = [&](const Vec3& at, const Vec3& axis) {
    const SectionLoop loop = loopAround(body, at, axis, at);
    return loop.points.empty() ? 0.0 : loop.length();
  };
  m["upperArm"] = across(lerp(sh, el, 0.5), el - sh);
  m["wrist"] = across(wr, el - wr);
  m["shoulderBreadth"] = length(body.positions[shoulderLeft] - body.positions[shoulderRight]);
  m["inseam"] = body.positions[crotch].y - body.positions[crotchFloor].y;
  return m;
}

}  // namespace vestora::generate
