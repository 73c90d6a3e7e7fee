#include "body/measurement.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "avatar/shipped_numbers.h"

namespace vestora {
namespace {

using namespace shipped;

const Vec3f kUp{0, 1, 0};

Vec3f add(const Vec3f& a, const Vec3f& b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec3f sub(const Vec3f& a, const Vec3f& b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3f mul(const Vec3f& a, float s) {
  return {a.x * s, a.y * s, a.z * s};
}
float len(const Vec3f& a) {
  return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
}
Vec3f lerpf(const Vec3f& a, const Vec3f& b, float t) {
  return add(a, mul(sub(b, a), t));
}

// The points of the body the results are taken at, in model units.
struct BodyPoints {
  float top = 0, floor = 0;
  Vec3f bustLeft, bustRight;
  float underBustY = 0;
  Vec3f neckFront, neckSide, shoulderLeft, shoulderRight;
  float waistY = 0, abdomenY = 0, hipY = 0;
  Vec3f crotch, crotchFloor;
  float thighY = 0, kneeY = 0, calfY = 0, ankleBaseY = 0;
  float trunkZ = 0;  // a z inside the trunk
  // The right leg's axis (hip, knee, ankle) and the right arm's joints.
  Vec3f hipRight, kneeRight, ankleRight;
  Vec3f shoulderJointRight, elbowRight, wristRight;
};

class Measurer {
 public:
  explicit Measurer(const Avatar& a) : a_(a), s_(a.unitScale()) {}

  SectionLoop loopAt(float y, Vec3f inside) const {
    inside.y = y;
    // A measurement cuts many level planes through one shape.
    if (!levels_) levels_.emplace(a_);
    return loopAround(a_, {0, y, 0}, kUp, inside, &*levels_);
  }
  float skinAt(float y, const Vec3f& inside) const {
    const SectionLoop l = loopAt(y, inside);
    return l.points.empty() ? 0.0f : l.length();
  }
  float tapeAt(float y, const Vec3f& inside) const {
    const SectionLoop l = loopAt(y, inside);
    return l.points.empty() ? 0.0f : l.tapeLength(kUp);
  }
  float across(const Vec3f& at, const Vec3f& axis) const {
    const SectionLoop l = loopAround(a_, at, axis, at);
    return l.points.empty() ? 0.0f : l.length();
  }
  Vec3f rightLegAt(const BodyPoints& p, float y) const {
    if (y >= p.kneeRight.y)
      return lerpf(p.kneeRight, p.hipRight, (y - p.kneeRight.y) / (p.hipRight.y - p.kneeRight.y));
    return lerpf(p.ankleRight, p.kneeRight,
                 std::max(0.0f, (y - p.ankleRight.y) / (p.kneeRight.y - p.ankleRight.y)));
  }
  Vec3f record(int r) const { return {a_.skin[r].x, a_.skin[r].y, a_.skin[r].z}; }
  float cm(float modelLength) const { return modelLength / s_; }

  // Length of the parts of a loop whose points all satisfy `keep`.
  static float arc(const SectionLoop& loop, const std::function<bool(const Vec3f&)>& keep) {
    float total = 0;
    const std::size_t n = loop.points.size();
    for (std::size_t i = 0; i < n; ++i) {
      const Vec3f& p = loop.points[i];
      const Vec3f& q = loop.points[(i + 1) % n];
      if (keep(p) && keep(q)) total += len(sub(q, p));
    }
    return total;
  }

  const Avatar& a_;
  float s_;
  mutable std::optional<LevelIndex> levels_;
};

// The right limbs' joints: the centroids of the vertex rings taken round
// them at load, which follow every reshaping; the skeleton's landmarks
// (where the body was loaded) when the body has no rings. The hip follows
// the knee along the thigh as the skeleton has it.
void limbJoints(const Avatar& a, BodyPoints& p) {
  auto ring = [&](Avatar::JointRing r, const Vec3f& fallback) {
    const auto c = a.ringCentre(r);
    return c ? Vec3f{(*c)[0], (*c)[1], (*c)[2]} : fallback;
  };
  const Vec3f kneeRest = p.kneeRight, ankleRest = p.ankleRight, hipRest = p.hipRight;
  p.kneeRight = ring(Avatar::kRingRightKnee, p.kneeRight);
  p.ankleRight = ring(Avatar::kRingRightAnkle, p.ankleRight);
  p.shoulderJointRight = ring(Avatar::kRingRightShoulder, p.shoulderJointRight);
  p.elbowRight = ring(Avatar::kRingRightElbow, p.elbowRight);
  p.wristRight = ring(Avatar::kRingRightWrist, p.wristRight);
  const float restShin = len(sub(kneeRest, ankleRest));
  const float shin = len(sub(p.kneeRight, p.ankleRight));
  p.hipRight = add(p.kneeRight, mul(sub(hipRest, kneeRest), restShin > 0 ? shin / restShin : 1.0f));
}

// The woman: her fixed points and her skeleton's joints.
bool womanPoints(const Avatar& a, BodyPoints& p) {
  const int highest =
      std::max({kWomanHeadTop, kWomanFootLowest, kWomanShoulderLeft, kWomanShoulderRight,
                kWomanNeckSide, kWomanChestPlane, kWomanWaist, kWomanAbdomenShaping, kWomanAbdomen,
                kWomanHipShaping, kWomanHip, kWomanThigh, kWomanCalf, kWomanKnee, kWomanNeckBase,
                kWomanCrotch, kWomanCrotchFloor, kWomanAnkle});
  if (static_cast<int>(a.skin.size()) <= highest || !a.skeleton.hasTree()) return false;
  Measurer m(a);
  p.top = m.record(kWomanHeadTop).y;
  p.floor = m.record(kWomanFootLowest).y;
  p.neckFront = m.record(kWomanNeckBase);
  p.neckSide = m.record(kWomanNeckSide);
  p.shoulderLeft = m.record(kWomanShoulderLeft);
  p.shoulderRight = m.record(kWomanShoulderRight);
  p.underBustY = m.record(kWomanChestPlane).y;
  p.waistY = m.record(kWomanWaist).y;
  p.abdomenY = m.record(kWomanAbdomen).y;
  p.hipY = m.record(kWomanHip).y;
  p.crotch = m.record(kWomanCrotch);
  p.crotchFloor = m.record(kWomanCrotchFloor);
  p.thighY = m.record(kWomanThigh).y;
  p.kneeY = m.record(kWomanKnee).y;
  p.calfY = m.record(kWomanCalf).y;
  p.ankleBaseY = m.record(kWomanAnkle).y;
  const auto& slots = a.skeleton.slots();
  auto slot = [&](int i) { return Vec3f{slots[i][0], slots[i][1], slots[i][2]}; };
  p.trunkZ = (m.record(kWomanWaist).z + m.record(kWomanHipShaping).z) / 2;
  p.hipRight = slot(2);
  p.kneeRight = slot(4);
  p.ankleRight = slot(6);
  p.shoulderJointRight = slot(18);
  p.elbowRight = slot(19);
  p.wristRight = slot(20);
  limbJoints(a, p);
  // The bust points: the most forward point of each breast, between the
  // fold under the bust and the shoulders.
  float frontLeft = -1e30f, frontRight = -1e30f;
  for (const SkinVertex& s : a.skin) {
    if (s.y < p.underBustY || s.y > p.shoulderLeft.y - 0.4f * 10 * a.unitScale()) continue;
    if (std::abs(s.x) > p.shoulderLeft.x * 0.85f) continue;
    if (s.x > 0 && s.z > frontLeft) frontLeft = s.z, p.bustLeft = {s.x, s.y, s.z};
    if (s.x < 0 && s.z > frontRight) frontRight = s.z, p.bustRight = {s.x, s.y, s.z};
  }
  return true;
}

// Any other body: its points found on the body itself, from its sections and
// its skeleton when it has one, else from the proportions of a standing body.
void foundPoints(const Avatar& a, BodyPoints& p) {
  Measurer m(a);
  p.top = a.maximum[1];
  p.floor = a.minimum[1];
  const float h = p.top - p.floor;
  auto level = [&](float fraction) { return p.floor + fraction * h; };
  const bool skeleton = a.skeleton.hasTree();
  const auto& slots = a.skeleton.slots();
  auto slot = [&](int i, const Vec3f& fallback) {
    return skeleton ? Vec3f{slots[i][0], slots[i][1], slots[i][2]} : fallback;
  };
  const float halfWidth = (a.maximum[0] - a.minimum[0]) / 2;
  p.trunkZ = slot(0, {0, 0, a.midpoint[2]}).z;
  p.hipRight = slot(2, {-0.055f * h, level(0.53f), p.trunkZ});
  p.kneeRight = slot(4, {-0.055f * h, level(0.285f), p.trunkZ});
  p.ankleRight = slot(6, {-0.06f * h, level(0.039f), p.trunkZ});
  p.shoulderJointRight = slot(18, {-0.1f * h, level(0.8f), p.trunkZ});
  p.elbowRight = slot(19, {-std::min(halfWidth, 0.14f * h), level(0.63f), p.trunkZ});
  p.wristRight = slot(20, {-std::min(halfWidth, 0.16f * h), level(0.485f), p.trunkZ});
  limbJoints(a, p);
  const Vec3f trunk{0, 0, p.trunkZ};
  // Crotch: the highest level where the centre line between the legs is
  // outside the body.
  float inside = p.hipRight.y + 0.02f * h, outside = p.kneeRight.y;
  for (int i = 0; i < 30; ++i) {
    const float mid = (inside + outside) / 2;
    (m.loopAt(mid, trunk).points.empty() ? outside : inside) = mid;
  }
  p.crotch = {0, outside, p.trunkZ};
  p.crotchFloor = {p.ankleRight.x, p.floor, p.ankleRight.z};
  // Waist: the narrowest trunk level between the hips and the chest.
  float best = 1e30f;
  for (float y = level(0.56f); y <= level(0.7f); y += 0.005f * h) {
    const float g = m.skinAt(y, trunk);
    if (g > 0 && g < best) best = g, p.waistY = y;
  }
  p.abdomenY = p.waistY - 0.035f * h;
  best = 0;
  for (float y = p.crotch.y + 0.005f * h; y < p.waistY - 0.02f * h; y += 0.003f * h) {
    const float g = m.tapeAt(y, trunk);
    if (g > best) best = g, p.hipY = y;
  }
  // Chest: the most forward trunk point between the waist and the shoulders.
  float front = -1e30f;
  for (const SkinVertex& s : a.skin)
    if (s.y > p.waistY + 0.04f * h && s.y < level(0.78f) && std::abs(s.x) < 0.1f * h && s.z > front)
      front = s.z, p.bustLeft = {std::abs(s.x), s.y, s.z};
  p.bustRight = {-p.bustLeft.x, p.bustLeft.y, p.bustLeft.z};
  p.underBustY = p.bustLeft.y - 0.04f * h;
  // Neck and shoulders.
  const float neckY = level(0.84f);
  const SectionLoop neck = m.loopAt(neckY, trunk);
  p.neckFront = {0, neckY, p.trunkZ};
  p.neckSide = {0, neckY, p.trunkZ};
  for (const Vec3f& q : neck.points) {
    if (q.z > p.neckFront.z) p.neckFront = q;
    if (q.x > p.neckSide.x) p.neckSide = q;
  }
  float topLeft = -1e30f, topRight = -1e30f;
  const float shoulderX = std::abs(p.shoulderJointRight.x);
  for (const SkinVertex& s : a.skin) {
    if (std::abs(s.x) < shoulderX - 0.03f * h || std::abs(s.x) > shoulderX + 0.03f * h ||
        s.y > level(0.9f))
      continue;
    const float score = s.y + 0.45f * std::abs(s.x);
    if (s.x > 0 && score > topLeft) topLeft = score, p.shoulderLeft = {s.x, s.y, s.z};
    if (s.x < 0 && score > topRight) topRight = score, p.shoulderRight = {s.x, s.y, s.z};
  }
  p.thighY = p.crotch.y - 0.017f * h;
  p.kneeY = p.kneeRight.y;
  best = 0;
  for (float y = p.ankleRight.y + 0.1f * (p.kneeY - p.ankleRight.y); y < p.kneeY - 0.05f * h;
       y += 0.003f * h) {
    const float g = m.skinAt(y, m.rightLegAt(p, y));
    if (g > best) best = g, p.calfY = y;
  }
  p.ankleBaseY = p.ankleRight.y - 0.009f * h;
}

// The bust girth is the fullest horizontal tape round the bust: the level
// that maximises it within 1.5 cm of the bust points, found in 0.5 cm steps
// and then by golden-section search to a fifth of a millimetre. A section
// that takes in the arms (wider than `halfWidth`) does not count.
float fullestLevel(const Measurer& m, float around, const Vec3f& inside, float halfWidth) {
  const float unit = m.a_.unitScale();  // model units per cm
  auto tape = [&](float y) {
    SectionLoop loop = m.loopAt(y, inside);
    for (const Vec3f& q : loop.points)
      if (std::abs(q.x) > halfWidth) return 0.0f;
    return loop.points.empty() ? 0.0f : loop.tapeLength(kUp);
  };
  float best = around, bestTape = tape(around);
  for (int step = -3; step <= 3; ++step) {
    const float y = around + step * 0.5f * unit;
    const float t = tape(y);
    if (t > bestTape) bestTape = t, best = y;
  }
  float lo = best - 0.5f * unit, hi = best + 0.5f * unit;
  constexpr float kGolden = 0.6180339887f;
  float x1 = hi - kGolden * (hi - lo), x2 = lo + kGolden * (hi - lo);
  float f1 = tape(x1), f2 = tape(x2);
  while (hi - lo > 0.02f * unit) {
    if (f1 > f2) {
      hi = x2, x2 = x1, f2 = f1;
      x1 = hi - kGolden * (hi - lo), f1 = tape(x1);
    } else {
      lo = x1, x1 = x2, f1 = f2;
      x2 = lo + kGolden * (hi - lo), f2 = tape(x2);
    }
  }
  return (lo + hi) / 2;
}

MeasureResults measure(const Avatar& a, const BodyPoints& p, MeasureMarks* marks,
                       const MeasureWanted& wanted) {
  Measurer m(a);
  MeasureResults r;
  auto& v = r.value;
  const bool all = wanted.all() || marks;
  auto want = [&](int k) { return all || wanted.test(k); };
  const Vec3f trunk{0, 0, p.trunkZ};
  float bustY = 0;
  if (want(kChest) || want(kBustRadius))
    bustY = fullestLevel(m, (p.bustLeft.y + p.bustRight.y) / 2, trunk, p.shoulderLeft.x);
  if (want(kChest)) v[kChest] = m.cm(m.tapeAt(bustY, trunk));
  if (want(kWaist)) v[kWaist] = m.cm(m.skinAt(p.waistY, trunk));
  if (want(kAbdomen)) v[kAbdomen] = m.cm(m.skinAt(p.abdomenY, trunk));
  if (want(kHip)) v[kHip] = m.cm(m.tapeAt(p.hipY, trunk));
  if (want(kUnderBustResult)) r.underBustCm = m.cm(m.tapeAt(p.underBustY, trunk));
  r.trunkZ = p.trunkZ;
  if (want(kChest)) r.chestY = bustY;
  if (want(kWaist)) r.waistY = p.waistY;
  if (want(kHip)) r.hipY = p.hipY;

  // The body's middle plane, front and back.
  const bool needMiddle = want(kFrontCentre) || want(kBackCentre) || want(kBackShoulderSlope) ||
                          want(kCrotchGirth) || want(kNeckBaseResult);
  SectionLoop middle;
  if (needMiddle) middle = loopAround(a, {0, p.waistY, 0}, {1, 0, 0}, {0, p.waistY, p.trunkZ});
  // The back neck point: where the neck base plane, leaning 20 degrees, meets
  // the back of the neck.
  const float lean = std::tan(20.0f * 3.14159265f / 180.0f);
  Vec3f neckBack = p.neckFront;
  float nearest = 1e30f;
  for (const Vec3f& q : middle.points) {
    if (q.z >= p.trunkZ || q.y < p.neckFront.y || q.y > p.neckFront.y + 12.0f * a.unitScale())
      continue;
    const float off = std::abs(q.y - (p.neckFront.y + lean * (p.neckFront.z - q.z)));
    if (off < nearest) nearest = off, neckBack = q;
  }
  if (want(kNeckBaseResult)) {
    // The tape round the neck in that plane, about the middle of the neck.
    const Vec3f normal{0, std::cos(20.0f * 3.14159265f / 180.0f),
                       std::sin(20.0f * 3.14159265f / 180.0f)};
    const SectionLoop neck = loopAround(a, p.neckFront, normal, lerpf(p.neckFront, neckBack, 0.5f));
    r.neckBaseCm = neck.points.empty() ? 0.0f : m.cm(neck.tapeLength(normal));
  }
  if (want(kFrontCentre))
    v[kFrontCentre] = m.cm(Measurer::arc(middle, [&](const Vec3f& q) {
      return q.z > p.trunkZ && q.y >= p.waistY && q.y <= p.neckFront.y;
    }));
  if (want(kBackCentre))
    v[kBackCentre] = m.cm(Measurer::arc(middle, [&](const Vec3f& q) {
      return q.z < p.trunkZ && q.y >= p.waistY && q.y <= neckBack.y;
    }));
  if (want(kFrontFull))
    v[kFrontFull] = m.cm(len(sub(p.bustLeft, p.neckSide)) + (p.bustLeft.y - p.waistY));
  if (want(kBackFull)) {
    const SectionLoop sideBack =
        loopAround(a, {p.neckSide.x, p.waistY, 0}, {1, 0, 0}, {p.neckSide.x, p.waistY, p.trunkZ});
    v[kBackFull] = m.cm(Measurer::arc(sideBack, [&](const Vec3f& q) {
      return q.z < p.trunkZ && q.y >= p.waistY && q.y <= p.neckSide.y;
    }));
  }
  v[kFrontShoulderSlope] = m.cm(p.neckSide.y - p.shoulderLeft.y);
  if (want(kBackShoulderSlope)) v[kBackShoulderSlope] = m.cm(neckBack.y - p.shoulderLeft.y);
  v[kBustDepth] = m.cm(p.neckSide.y - p.bustLeft.y);
  v[kBustSpan] = m.cm(std::abs(p.bustLeft.x - p.bustRight.x));
  if (want(kBustRadius)) v[kBustRadius] = m.cm(bustY - p.underBustY);
  // Across the shoulders, front and back, just below the shoulder points.
  if (want(kFrontAcrossShoulder) || want(kBackAcrossShoulder)) {
    const float acrossY = (p.shoulderLeft.y + p.shoulderRight.y) / 2 - 2.0f * a.unitScale();
    const SectionLoop shoulders = m.loopAt(acrossY, trunk);
    auto withinShoulders = [&](const Vec3f& q) {
      return q.x <= p.shoulderLeft.x && q.x >= p.shoulderRight.x;
    };
    v[kFrontAcrossShoulder] = m.cm(Measurer::arc(
        shoulders, [&](const Vec3f& q) { return q.z > p.trunkZ && withinShoulders(q); }));
    v[kBackAcrossShoulder] = m.cm(Measurer::arc(
        shoulders, [&](const Vec3f& q) { return q.z <= p.trunkZ && withinShoulders(q); }));
  }
  // Waist at the right side down to the ankle.
  Vec3f waistSide{0, p.waistY, p.trunkZ};
  const Vec3f ankle = {m.rightLegAt(p, p.ankleBaseY).x, p.ankleBaseY,
                       m.rightLegAt(p, p.ankleBaseY).z};
  if (want(kWaistToAnkle)) {
    const SectionLoop waist = m.loopAt(p.waistY, trunk);
    for (const Vec3f& q : waist.points)
      if (q.x < waistSide.x) waistSide = q;
    v[kWaistToAnkle] = m.cm(len(sub(waistSide, ankle)));
  }
  if (want(kUpperThigh)) v[kUpperThigh] = m.cm(m.skinAt(p.thighY, m.rightLegAt(p, p.thighY)));
  const float midThighY = (p.thighY + p.kneeY) / 2;
  if (want(kMidThigh)) v[kMidThigh] = m.cm(m.skinAt(midThighY, m.rightLegAt(p, midThighY)));
  if (want(kKnee)) v[kKnee] = m.cm(m.skinAt(p.kneeY, m.rightLegAt(p, p.kneeY)));
  if (want(kCalf)) v[kCalf] = m.cm(m.skinAt(p.calfY, m.rightLegAt(p, p.calfY)));
  if (want(kAnkle)) {
    // The narrowest girth from 0.01 to 1.01 model units above the ankle point.
    float narrowest = 0;
    for (float y = p.ankleBaseY + 0.01f; y <= p.ankleBaseY + 1.01f + 1e-4f; y += 0.02f) {
      const float g = m.skinAt(y, m.rightLegAt(p, y));
      if (g > 0 && (narrowest == 0 || g < narrowest)) narrowest = g;
    }
    v[kAnkle] = m.cm(narrowest);
  }
  if (want(kCrotchGirth))
    v[kCrotchGirth] = m.cm(Measurer::arc(middle, [&](const Vec3f& q) { return q.y <= p.waistY; }));
  v[kCrotchDepth] = m.cm(p.waistY - p.crotch.y);
  // Elbow and wrist girths square to the arm.
  if (want(kElbow))
    v[kElbow] = m.cm(m.across(p.elbowRight, sub(p.wristRight, p.shoulderJointRight)));
  if (want(kWrist)) v[kWrist] = m.cm(m.across(p.wristRight, sub(p.elbowRight, p.wristRight)));

  r.heightCm = m.cm(p.top - p.floor);
  r.inseamCm = m.cm(p.crotch.y - p.crotchFloor.y);
  r.shoulderWidthCm = m.cm(len(sub(p.shoulderLeft, p.shoulderRight)));
  r.measured = true;
  if (marks) *marks = {p.bustLeft, p.bustRight, waistSide, ankle, p.crotch, p.neckFront, neckBack};
  return r;
}

}  // namespace

std::optional<float> bustGirthCm(const Avatar& avatar, std::vector<SectionPoint>* loopOut) {
  BodyPoints p;
  if (avatar.modelName() != "woman" || !womanPoints(avatar, p)) return std::nullopt;
  Measurer m(avatar);
  const float bustY =
      fullestLevel(m, (p.bustLeft.y + p.bustRight.y) / 2, {0, 0, p.trunkZ}, p.shoulderLeft.x);
  const SectionLoop loop = m.loopAt(bustY, {0, 0, p.trunkZ});
  if (loopOut) {
    loopOut->clear();
    for (const Vec3f& q : loop.points) loopOut->push_back({q.x, q.y, q.z, -1});
  }
  return loop.points.empty() ? 0.0f : m.cm(loop.tapeLength(kUp));
}

MeasureResults measureAvatar(const Avatar& avatar, MeasureMarks* marks) {
  return measureAvatar(avatar, MeasureWanted().set(), marks);
}

MeasureResults measureAvatar(const Avatar& avatar, const MeasureWanted& wanted,
                             MeasureMarks* marks) {
  if (!avatar.loaded()) return {};
  BodyPoints points;
  if (avatar.modelName() != "woman" || !womanPoints(avatar, points)) foundPoints(avatar, points);
  return measure(avatar, points, marks, wanted);
}

bool BodyMeasurer::MeasureBody(const Avatar& avatar, UserDialogs* dialogs) {
  if (!avatar.loaded()) return false;
  if (avatar.modelName() == "woman" && !avatar.highPose) {
    if (dialogs) dialogs->showMessage("请设定为标准站姿进行测量！", "", MessageIcon::Information);
    return false;
  }
  results_ = measureAvatar(avatar, &marks_);
  return results_.measured;
}

}  // namespace vestora
