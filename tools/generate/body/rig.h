// The skeleton of a figure: 28 joints in the program's joint table order,
// the 27 landmark slots they sit on, skin weights, and posing by linear
// blend skinning.
#pragma once

#include <array>
#include <vector>

#include "body/field.h"
#include "body/figure.h"
#include "body/mesh.h"

namespace vestora::generate {

// Joint ids of the program's joint table.
enum Joint : int {
  kRoot = 0, kHips = 1,
  kLeftHip = 2, kLeftKnee = 3, kLeftAnkle = 4, kLeftFootEnd = 5, kLeftBound = 6,
  kRightHip = 7, kRightKnee = 8, kRightAnkle = 9, kRightFootEnd = 10, kRightBound = 11,
  kSpine = 12, kChestLow = 13, kChestHigh = 14, kShoulderLine = 15, kNeck = 16, kHeadEnd = 17,
  kRightShoulder = 18, kRightElbow = 19, kRightWrist = 20, kRightHand = 21, kRightHandEnd = 22,
  kLeftShoulder = 23, kLeftElbow = 24, kLeftWrist = 25, kLeftHand = 26, kLeftHandEnd = 27,
  kJointCount = 28
};

// Landmark slot of each joint (-1 for the root).
inline constexpr std::array<int, kJointCount> kSlotOfJoint = {
    -1, 0, 1, 3, 5, 10, 7, 2, 4, 6, 9, 8, 11, 12, 13, 14, 15, 16, 18, 19, 20, 21, 22, 17, 23, 24, 25, 26};
inline constexpr std::array<int, kJointCount> kParentOfJoint = {
    -1, 0, 1, 2, 3, 4, 3, 1, 7, 8, 9, 8, 1, 12, 13, 14, 15, 16, 15, 18, 19, 20, 21, 15, 23, 24, 25, 26};

struct Rig {
  std::array<Vec3, kJointCount> joint;  // rest positions, cm
  // Landmark slot positions (the order of the landmark file's slots).
  std::array<Vec3, 27> slots() const;
};

Rig rigFor(const FigureShape& figure);

// Up to four joints per vertex; the weights sum to one.
struct VertexWeights {
  std::array<int, 4> joint{};
  std::array<float, 4> weight{};
};

// Skin weights of every vertex, by the part each vertex belongs to.
std::vector<VertexWeights> skinWeights(const std::vector<Vec3>& positions, const std::vector<Part>& parts,
                                       const Rig& rig);

// A rotation per joint about its rest position, in the rest frame's axes;
// children follow their parents.
struct Pose {
  std::array<Rotation, kJointCount> rotation;
  Pose& turn(int joint, const Vec3& axis, double degrees) {
    rotation[joint] = Rotation::about(axis, degrees) * rotation[joint];
    return *this;
  }
};

// World motion of each joint for a pose.
std::array<Motion, kJointCount> jointMotions(const Rig& rig, const Pose& pose);

Vec3 skinPoint(const Vec3& rest, const VertexWeights& w, const std::array<Motion, kJointCount>& motions);

}  // namespace vestora::generate
