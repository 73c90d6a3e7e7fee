#include "content/fixed_points.h"

#include <cmath>
#include <functional>
#include <limits>
#include <stdexcept>

#include "avatar/shipped_numbers.h"
#include "body/section.h"

namespace vestora::generate {
namespace {

using VertexTest = std::function<bool(const Vec3&)>;

// The vertex that maximises `score` among those that pass `keep`.
int bestVertex(const Mesh& m, const VertexTest& keep, const std::function<double(const Vec3&)>& score) {
  int best = -1;
  double bestScore = -std::numeric_limits<double>::max();
  for (int i = 0; i < static_cast<int>(m.positions.size()); ++i) {
    const Vec3& p = m.positions[i];
    if (!keep(p)) continue;
    const double s = score(p);
    if (s > bestScore) bestScore = s, best = i;
  }
  if (best < 0) throw std::runtime_error("no body vertex fits a fixed point");
  return best;
}

int nearestTo(const Mesh& m, const Vec3& target, const VertexTest& keep = [](const Vec3&) { return true; }) {
  return bestVertex(m, keep, [&](const Vec3& p) { return -length(p - target); });
}

int nearestTriangle(const Mesh& m, const Vec3& target) {
  int best = 0;
  double bestD = std::numeric_limits<double>::max();
  for (int t = 0; t < static_cast<int>(m.triangles.size()); ++t) {
    const auto& tri = m.triangles[t];
    const double d = length((m.positions[tri[0]] + m.positions[tri[1]] + m.positions[tri[2]]) / 3.0 - target);
    if (d < bestD) bestD = d, best = t;
  }
  return best;
}

bool near(double a, double b, double tolerance) { return std::abs(a - b) <= tolerance; }

// The lowest vertex of the right sole, nearest the middle of the foot.
int rightSoleLowest(const Mesh& m, const FigureShape& s) {
  double floor = std::numeric_limits<double>::max();
  for (const Vec3& p : m.positions)
    if (p.x < 0) floor = std::min(floor, p.y);
  const Vec3 middle = mirrorX(lerp(s.leg.heel, s.leg.toes, 0.45));
  return nearestTo(m, {middle.x, floor, middle.z}, [&](const Vec3& p) { return p.x < 0 && p.y < floor + 0.05; });
}

int headTop(const Mesh& m) {
  return bestVertex(m, [](const Vec3&) { return true; }, [](const Vec3& p) { return p.y - 1e-3 * std::abs(p.x); });
}

// On the surface behind the top of the head.
int crown(const Mesh& m, const FigureShape& s) {
  const double hh = s.head.headHeight;
  return nearestTo(m, s.headTop + Vec3{0, -0.06 * hh, -0.24 * hh});
}

int heelBack(const Mesh& m, const FigureShape& s) {
  const Vec3 heel = mirrorX(s.leg.heel);
  return bestVertex(
      m, [&](const Vec3& p) { return p.x < 0 && p.y < 1.0 && near(p.x, heel.x, 1.5); },
      [](const Vec3& p) { return -p.z; });
}

}  // namespace

FixedPlacement womanPlacement(const FigureModel& f, const BodyLevels& l) {
  using namespace shipped;
  const Mesh& m = f.body;
  const FigureShape& s = f.shape;
  FixedPlacement out;
  auto put = [&](int number, int vertex) { out.vertices.push_back({number, vertex}); };

  put(kWomanHeadTop, headTop(m));
  put(kWomanFootLowest, rightSoleLowest(m, s));
  for (bool left : {true, false}) {
    const double side = left ? 1 : -1;
    const Vec3 joint = s.arm.shoulder;
    put(left ? kWomanShoulderLeft : kWomanShoulderRight,
        bestVertex(m,
                   [&](const Vec3& p) {
                     return side * p.x > joint.x - 3 && side * p.x < joint.x + 5 && p.y > joint.y - 5;
                   },
                   [&](const Vec3& p) { return p.y + 0.45 * side * p.x; }));
  }
  put(kWomanNeckSide, nearestTo(m, {s.neckRadiusBottom * 1.02, s.neckBase.y + 0.5, s.neckBase.z}));
  // Front centre points of the trunk at a level: the most forward vertex
  // near the centre line.
  auto frontCentre = [&](double y) {
    return bestVertex(m, [&](const Vec3& p) { return std::abs(p.x) < 1.2 && near(p.y, y, 0.8); },
                      [&](const Vec3& p) { return p.z - 4 * std::abs(p.y - y); });
  };
  auto backCentre = [&](double y) {
    return bestVertex(m, [&](const Vec3& p) { return std::abs(p.x) < 1.2 && near(p.y, y, 0.8); },
                      [&](const Vec3& p) { return -p.z - 4 * std::abs(p.y - y); });
  };
  // The trunk's left side at a level (the arms hang farther out).
  auto trunkSide = [&](double y) {
    const auto loop = loopAround(m, {0, y, 0}, {0, 1, 0}, {0, y, s.waist.z});
    double x = 0;
    for (const Vec3& p : loop.points) x = std::max(x, p.x);
    return nearestTo(m, {x, y, s.waist.z});
  };
  put(kWomanChestPlane, frontCentre(l.underBust));
  put(kWomanWaist, frontCentre(l.waist));
  put(kWomanAbdomenShaping, frontCentre(l.abdomen));
  put(kWomanAbdomen, trunkSide(l.abdomen));
  put(kWomanHipShaping, backCentre(l.hip));
  put(kWomanHip, trunkSide(l.hip));

  // Right leg points.
  auto legLoop = [&](double y) {
    const Vec3 hip = mirrorX(s.leg.hip), knee = mirrorX(s.leg.knee), ankle = mirrorX(s.leg.ankle);
    const Vec3 c = y >= knee.y ? lerp(knee, hip, (y - knee.y) / (hip.y - knee.y))
                               : lerp(ankle, knee, (y - ankle.y) / (knee.y - ankle.y));
    return loopAround(m, {0, y, 0}, {0, 1, 0}, {c.x, y, c.z});
  };
  auto extremeOnLeg = [&](double y, const std::function<double(const Vec3&)>& score) {
    const auto loop = legLoop(y);
    Vec3 best = loop.points.front();
    for (const Vec3& p : loop.points)
      if (score(p) > score(best)) best = p;
    return nearestTo(m, best);
  };
  put(kWomanThigh, extremeOnLeg(l.thigh, [](const Vec3& p) { return -p.x; }));
  put(kWomanCalf, extremeOnLeg(l.calf, [](const Vec3& p) { return -p.z; }));
  put(kWomanKnee, extremeOnLeg(l.knee, [](const Vec3& p) { return p.z; }));
  put(kWomanAnkle, extremeOnLeg(l.ankle - 1.5, [](const Vec3& p) { return p.x; }));
  put(kWomanNeckBase, nearestTo(m, {0, s.neckBase.y + 0.3, 1e3}, [&](const Vec3& p) {
        return std::abs(p.x) < 1.0 && near(p.y, s.neckBase.y + 0.3, 0.8);
      }));
  put(kWomanCrotch, nearestTo(m, {0, l.crotch, s.pelvis.z}));
  const Vec3 ankleR = mirrorX(s.leg.ankle);
  put(kWomanCrotchFloor, bestVertex(
                             m, [&](const Vec3& p) { return p.x < 0 && p.y < 0.4 && near(p.z, ankleR.z + 2, 2.5); },
                             [](const Vec3& p) { return p.x; }));
  put(kWomanShoeSeat - 1, heelBack(m, s));
  put(kWomanHairSeat - 1, crown(m, s));

  const double hh = s.head.headHeight;
  out.triangles.push_back({kWomanHeadFrame, nearestTriangle(m, s.headTop + Vec3{0, -0.24 * hh, 0.45 * hh})});
  const Vec3 elbow = s.arm.elbow, wrist = s.arm.wrist;
  out.triangles.push_back(
      {kWomanBagHandle, nearestTriangle(m, lerp(elbow, wrist, 0.22) + Vec3{-s.arm.elbowRadius, 0, 0.8})});
  return out;
}

FixedPlacement girlPlacement(const FigureModel& f, const BodyLevels&) {
  using namespace shipped;
  FixedPlacement out;
  out.vertices.push_back({kGirlHeadTop, headTop(f.body)});
  out.vertices.push_back({kGirlFootLowest, rightSoleLowest(f.body, f.shape)});
  out.vertices.push_back({kGirlHairSeat - 1, crown(f.body, f.shape)});
  out.vertices.push_back({kGirlShoeSeat - 1, heelBack(f.body, f.shape)});
  return out;
}

}  // namespace vestora::generate
