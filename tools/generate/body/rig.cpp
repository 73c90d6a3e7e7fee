#include "body/rig.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace vestora::generate {
namespace {

double segmentDistance(const Vec3& p, const Vec3& a, const Vec3& b) {
  const Vec3 ab = b - a;
  const double t = std::clamp(dot(p - a, ab) / std::max(dot(ab, ab), 1e-12), 0.0, 1.0);
  return length(p - (a + ab * t));
}

// The bone of each joint runs to this child (the joint itself for the chain ends).
constexpr std::array<int, kJointCount> kBoneEnd = {
    0, kSpine, kLeftKnee, kLeftAnkle, kLeftFootEnd, 0, 0, kRightKnee, kRightAnkle, kRightFootEnd, 0, 0,
    kChestLow, kChestHigh, kShoulderLine, kNeck, kHeadEnd, 0,
    kRightElbow, kRightWrist, kRightHand, kRightHandEnd, 0, kLeftElbow, kLeftWrist, kLeftHand, kLeftHandEnd, 0};

}  // namespace

std::array<Vec3, 27> Rig::slots() const {
  std::array<Vec3, 27> out{};
  for (int j = 1; j < kJointCount; ++j) out[kSlotOfJoint[j]] = joint[j];
  return out;
}

Rig rigFor(const FigureShape& f) {
  Rig r;
  const LegShape& leg = f.leg;
  const ArmShape& arm = f.arm;
  r.joint[kRoot] = {0, 0, 0};
  r.joint[kHips] = {0, leg.hip.y, leg.hip.z};
  for (bool left : {true, false}) {
    auto side = [&](const Vec3& v) { return left ? v : mirrorX(v); };
    r.joint[left ? kLeftHip : kRightHip] = side(leg.hip);
    r.joint[left ? kLeftKnee : kRightKnee] = side(leg.knee);
    r.joint[left ? kLeftAnkle : kRightAnkle] = side(leg.ankle);
    r.joint[left ? kLeftFootEnd : kRightFootEnd] = side(leg.toes);
    // The bound points sit in front of the kneecaps.
    r.joint[left ? kLeftBound : kRightBound] = side(leg.knee + Vec3{0, 0, leg.kneeRadius});
    r.joint[left ? kLeftShoulder : kRightShoulder] = side(arm.shoulder);
    r.joint[left ? kLeftElbow : kRightElbow] = side(arm.elbow);
    r.joint[left ? kLeftWrist : kRightWrist] = side(arm.wrist);
    r.joint[left ? kLeftHand : kRightHand] = side(arm.knuckles);
    r.joint[left ? kLeftHandEnd : kRightHandEnd] = side(arm.fingertips);
  }
  // The spine runs inside the back half of the trunk.
  auto spineAt = [&](const Vec3& v) { return Vec3{0, v.y, v.z - 2.0}; };
  r.joint[kSpine] = spineAt(f.waist);
  r.joint[kChestLow] = spineAt(f.chestLow);
  r.joint[kChestHigh] = spineAt(f.chestHigh);
  r.joint[kShoulderLine] = spineAt(f.shoulderCentre);
  r.joint[kNeck] = {0, f.neckBase.y + 1.5, f.neckBase.z};
  r.joint[kHeadEnd] = f.headTop;
  return r;
}

std::vector<VertexWeights> skinWeights(const std::vector<Vec3>& positions, const std::vector<Part>& parts,
                                       const Rig& rig) {
  // Joints that may move each part, and the rough radius of the body round
  // each bone (distances are compared relative to it).
  auto candidates = [](Part p) -> std::vector<int> {
    switch (p) {
      case Part::Head: return {kNeck};
      case Part::Neck: return {kShoulderLine, kNeck};
      case Part::Torso: return {kHips, kSpine, kChestLow, kChestHigh, kShoulderLine, kLeftHip, kRightHip,
                                kLeftShoulder, kRightShoulder, kNeck};
      case Part::LegLeft: return {kHips, kLeftHip, kLeftKnee, kLeftAnkle};
      case Part::LegRight: return {kHips, kRightHip, kRightKnee, kRightAnkle};
      case Part::ArmLeft: return {kShoulderLine, kLeftShoulder, kLeftElbow, kLeftWrist, kLeftHand};
      case Part::ArmRight: return {kShoulderLine, kRightShoulder, kRightElbow, kRightWrist, kRightHand};
      default: return {kHips};
    }
  };
  auto boneRadius = [](int j) {
    switch (j) {
      case kHips: case kSpine: case kChestLow: case kChestHigh: return 13.0;
      case kShoulderLine: return 9.0;
      case kNeck: return 7.0;
      case kLeftHip: case kRightHip: return 8.0;
      case kLeftKnee: case kRightKnee: return 5.5;
      case kLeftAnkle: case kRightAnkle: return 4.0;
      case kLeftShoulder: case kRightShoulder: return 4.5;
      case kLeftElbow: case kRightElbow: return 3.5;
      default: return 2.5;
    }
  };
  std::vector<VertexWeights> out(positions.size());
  for (std::size_t v = 0; v < positions.size(); ++v) {
    auto joints = candidates(parts[v]);
    // The foot below the ankle is rigid: it follows the ankle alone.
    const bool leftLeg = parts[v] == Part::LegLeft, rightLeg = parts[v] == Part::LegRight;
    if ((leftLeg || rightLeg) && positions[v].y < rig.joint[leftLeg ? kLeftAnkle : kRightAnkle].y - 0.5)
      joints = {leftLeg ? kLeftAnkle : kRightAnkle};
    std::vector<std::pair<double, int>> scored;
    for (int j : joints) {
      const int end = kBoneEnd[j];
      const double d = segmentDistance(positions[v], rig.joint[j], end ? rig.joint[end] : rig.joint[j]);
      const double relative = d / boneRadius(j) + 0.05;
      scored.push_back({1.0 / std::pow(relative, 8.0), j});
    }
    std::sort(scored.begin(), scored.end(), [](auto& a, auto& b) { return a.first > b.first || (a.first == b.first && a.second < b.second); });
    scored.resize(std::min<std::size_t>(4, scored.size()));
    double total = 0;
    for (auto& s : scored) total += s.first;
    VertexWeights w;
    for (std::size_t k = 0; k < scored.size(); ++k) {
      w.joint[k] = scored[k].second;
      w.weight[k] = float(scored[k].first / total);
    }
    // Tiny weights are dropped and the rest renormalised, so that files stay small.
    float kept = 0;
    for (auto& x : w.weight) {
      if (x < 0.01f) x = 0;
      kept += x;
    }
    for (auto& x : w.weight) x /= kept;
    out[v] = w;
  }
  return out;
}

std::array<Motion, kJointCount> jointMotions(const Rig& rig, const Pose& pose) {
  std::array<Motion, kJointCount> m{};
  for (int j = 0; j < kJointCount; ++j) {
    const Motion local = Motion::rotateAbout(rig.joint[j], pose.rotation[j]);
    m[j] = kParentOfJoint[j] < 0 ? local : m[kParentOfJoint[j]] * local;
  }
  return m;
}

Vec3 skinPoint(const Vec3& rest, const VertexWeights& w, const std::array<Motion, kJointCount>& motions) {
  Vec3 out;
  for (int k = 0; k < 4; ++k)
    if (w.weight[k] > 0) out += (motions[w.joint[k]] * rest) * double(w.weight[k]);
  return out;
}

}  // namespace vestora::generate
