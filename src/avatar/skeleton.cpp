#include "avatar/skeleton.h"

#include <cmath>
#include <utility>

#include "platform/file_io.h"

namespace vestora {

namespace {

// How a joint's rest offset follows from the landmark slots.
enum class Offset {
  kNone,       // (0, 0, 0)
  kAt,         // s[to], absolute
  kFrom,       // s[to] - s[from]
  kTurnedFrom  // R(s[to] - s[from]) = (-dz, dy, dx): the difference seen from a
               // frame turned by 90 degrees about y
};

struct JointRow {
  const char* name;
  Offset offset;
  int to;
  int from;
  float turnY;                  // rest rotation about y, degrees; x and z are 0 for every row
  std::array<int, 3> children;  // joint ids, -1 past the last child
};

// The joint table. The first joint below a hip or shoulder (whose frame is
// turned by 90 degrees about y) takes its difference unturned; deeper joints
// of the same chain turn theirs back, so that they land on their landmarks
// relative to that first joint.
// clang-format off
constexpr std::array<JointRow, kJointCount> kJointTable = {{
    {"null1",    Offset::kNone,       0,  0,  0, {1, -1, -1}},
    {"Hips",     Offset::kAt,         0,  0,  0, {2, 7, 12}},
    {"LLeg",     Offset::kFrom,       1,  0, 90, {3, -1, -1}},
    {"jnt2_1",   Offset::kFrom,       3,  1,  0, {4, 6, -1}},
    {"jnt2_2",   Offset::kTurnedFrom, 5,  3,  0, {5, -1, -1}},
    {"eff2",     Offset::kTurnedFrom, 10, 5,  0, {-1, -1, -1}},
    {"LBound",   Offset::kFrom,       7,  3,  0, {-1, -1, -1}},
    {"RLeg",     Offset::kFrom,       2,  0, 90, {8, -1, -1}},
    {"jnt1_1",   Offset::kFrom,       4,  2,  0, {9, 11, -1}},
    {"jnt1_2",   Offset::kTurnedFrom, 6,  4,  0, {10, -1, -1}},
    {"eff1",     Offset::kTurnedFrom, 9,  6,  0, {-1, -1, -1}},
    {"RBound",   Offset::kFrom,       8,  4,  0, {-1, -1, -1}},
    {"Spine",    Offset::kFrom,       11, 0,  0, {13, -1, -1}},
    {"jnt4_1",   Offset::kFrom,       12, 11, 0, {14, -1, -1}},
    {"jnt4_2",   Offset::kFrom,       13, 12, 0, {15, -1, -1}},
    {"jnt4_3",   Offset::kFrom,       14, 13, 0, {16, 18, 23}},
    {"jnt4_4",   Offset::kFrom,       15, 14, 0, {17, -1, -1}},
    {"eff4",     Offset::kFrom,       16, 15, 0, {-1, -1, -1}},
    {"RArm",     Offset::kFrom,       18, 14, 90, {19, -1, -1}},
    {"jnt3_1",   Offset::kFrom,       19, 18, 0, {20, -1, -1}},
    {"jnt3_2",   Offset::kTurnedFrom, 20, 19, 0, {21, -1, -1}},
    {"jnt3_3",   Offset::kTurnedFrom, 21, 20, 0, {22, -1, -1}},
    {"eff3",     Offset::kTurnedFrom, 22, 21, 0, {-1, -1, -1}},
    {"LArm",     Offset::kFrom,       17, 14, 90, {24, -1, -1}},
    {"jnt1_1_1", Offset::kFrom,       23, 17, 0, {25, -1, -1}},
    {"jnt1_1_2", Offset::kTurnedFrom, 24, 23, 0, {26, -1, -1}},
    {"jnt1_1_3", Offset::kTurnedFrom, 25, 24, 0, {27, -1, -1}},
    {"eff1_1",   Offset::kTurnedFrom, 26, 25, 0, {-1, -1, -1}},
}};
// clang-format on

// The program's degrees-per-radian factor.
constexpr double kArmAngleDegreesPerRadian = 57.29577791868204;

Point3 rowOffset(const JointRow& row, const Skeleton::Slots& s) {
  switch (row.offset) {
    case Offset::kNone:
      return {0.0f, 0.0f, 0.0f};
    case Offset::kAt:
      return s[row.to];
    case Offset::kFrom:
      return {s[row.to][0] - s[row.from][0], s[row.to][1] - s[row.from][1],
              s[row.to][2] - s[row.from][2]};
    case Offset::kTurnedFrom:
      return {-(s[row.to][2] - s[row.from][2]), s[row.to][1] - s[row.from][1],
              s[row.to][0] - s[row.from][0]};
  }
  return {0.0f, 0.0f, 0.0f};
}

// Angle of the arm from `shoulder` to `handEnd`, as the program computes it:
// asin(|sin(dx / L)|) in degrees.
float armAngle(const Point3& shoulder, const Point3& handEnd) {
  const double dx = double(shoulder[0]) - handEnd[0];
  const double dy = double(shoulder[1]) - handEnd[1];
  const double dz = double(shoulder[2]) - handEnd[2];
  const double length = std::sqrt(dx * dx + dy * dy + dz * dz);
  if (length == 0.0) return 0.0f;
  return static_cast<float>(std::asin(std::fabs(std::sin(dx / length))) *
                            kArmAngleDegreesPerRadian);
}

// One joint's place in the walk: translate, then turn about z, y and x.
void applyPose(MatrixStack& stack, const Point3& offset, const Point3& rotation) {
  stack.translate(offset[0], offset[1], offset[2]);
  stack.rotate(rotation[2], 0.0f, 0.0f, 1.0f);
  stack.rotate(rotation[1], 0.0f, 1.0f, 0.0f);
  stack.rotate(rotation[0], 1.0f, 0.0f, 0.0f);
}

void addChildren(Joint& parent, const Skeleton::Slots& slots) {
  for (int id : kJointTable[parent.id].children) {
    if (id < 0) break;
    const JointRow& row = kJointTable[id];
    auto child = std::make_unique<Joint>();
    child->parent = &parent;
    child->id = id;
    child->name = row.name;
    child->offset = child->restOffset = rowOffset(row, slots);
    child->rotation = child->restRotation = {0.0f, row.turnY, 0.0f};
    Joint& added = *parent.children.emplace_back(std::move(child));
    addChildren(added, slots);
  }
}

template <class J, class F>
void forEach(J& joint, const F& visit) {
  visit(joint);
  for (auto& child : joint.children) forEach<J>(*child, visit);
}

void bindWalk(Joint& joint, MatrixStack& stack) {
  stack.push();
  applyPose(stack, joint.restOffset, joint.restRotation);
  joint.inverseBind = inverse(stack.top());
  for (auto& child : joint.children) bindWalk(*child, stack);
  stack.pop();
}

// The walk of the current pose; `visit` sees each joint with its frame.
template <class J, class F>
void frameWalk(J& joint, MatrixStack& stack, const F& visit) {
  stack.push();
  applyPose(stack, joint.offset, joint.rotation);
  visit(joint, stack.top());
  for (auto& child : joint.children) frameWalk<J>(*child, stack, visit);
  stack.pop();
}

}  // namespace

Skeleton::Skeleton() {
  landmarkIndexes_.fill(-1);
}

Result<void> Skeleton::readSkeletonFile(const std::string& path) {
  auto file = readLandmarkFile(path);
  if (!file) return file.error();
  applyLandmarkFile(file.value());
  return {};
}

void Skeleton::readSkeletonText(std::string_view text) {
  applyLandmarkFile(parseLandmarks(text));
}

void Skeleton::applyLandmarkFile(const LandmarkFile& file) {
  applyLandmarks(file, slots_);
  leftArmAngle_ = armAngle(slots_[17], slots_[26]);
  rightArmAngle_ = armAngle(slots_[18], slots_[22]);
}

void Skeleton::buildSkeleton(const std::string& landmarkPath, std::size_t vertexCount,
                             const Mat4& base) {
  const std::string weightPath = weightFilePathFor(landmarkPath);
  auto text = readFileText(weightPath);
  if (!text) {
    build(nullptr, weightPath, vertexCount, base);
    warnings_.push_back(text.error().message() + " (all skin weights stay 0)");
    return;
  }
  const SkinWeightFile weights = parseSkinWeights(text.value(), vertexCount);
  build(&weights, weightPath, vertexCount, base);
}

void Skeleton::buildSkeletonFromText(std::optional<std::string_view> weightText,
                                     std::size_t vertexCount, const Mat4& base) {
  if (!weightText) {
    build(nullptr, "<memory>", vertexCount, base);
    warnings_.push_back("<memory>: no skin weights (all skin weights stay 0)");
    return;
  }
  const SkinWeightFile weights = parseSkinWeights(*weightText, vertexCount);
  build(&weights, "<memory>", vertexCount, base);
}

void Skeleton::build(const SkinWeightFile* weights, const std::string& weightSource,
                     std::size_t vertexCount, const Mat4& base) {
  warnings_.clear();
  vertexCount_ = vertexCount;

  root_ = std::make_unique<Joint>();
  root_->name = kJointTable[0].name;
  addChildren(*root_, slots_);

  forEach(*root_, [&](Joint& joint) {
    if (joint.id == 0) return;
    if (weights)
      joint.weights = weights->weights[joint.id];
    else
      joint.weights.assign(vertexCount, 0.0f);
  });
  if (weights) {
    if (weights->linesIgnored > 0)
      warnings_.push_back(weightSource + ": " + std::to_string(weights->linesIgnored) +
                          " weight lines name a vertex outside the body and were ignored");
    if (weights->jointsRead < kSkinnedJoints)
      warnings_.push_back(weightSource + ": only " + std::to_string(weights->jointsRead) + " of " +
                          std::to_string(kSkinnedJoints) +
                          " joint blocks end with their terminator line");
  }

  forEach(*root_, [](Joint& joint) {
    joint.restRotation = joint.rotation;
    joint.restOffset = joint.offset;
  });

  MatrixStack stack(base);
  bindWalk(*root_, stack);
}

void Skeleton::computeJointMatrices(const Mat4& base) {
  if (!root_) return;
  MatrixStack stack(base);
  frameWalk(*root_, stack,
            [](Joint& joint, const Mat4& frame) { joint.skinMatrix = frame * joint.inverseBind; });
}

std::vector<Mat4> Skeleton::jointFrames(const Mat4& base) const {
  std::vector<Mat4> frames;
  if (!root_) return frames;
  frames.resize(kJointCount);
  MatrixStack stack(base);
  frameWalk<const Joint>(*root_, stack,
                         [&](const Joint& joint, const Mat4& frame) { frames[joint.id] = frame; });
  return frames;
}

void Skeleton::resetPose() {
  if (!root_) return;
  forEach(*root_, [](Joint& joint) {
    joint.rotation = joint.restRotation;
    joint.offset = joint.restOffset;
  });
}

void Skeleton::releaseMeshCopies() {
  landmarkIndexes_.fill(-1);
}

Joint* Skeleton::findJoint(int id) {
  return const_cast<Joint*>(std::as_const(*this).findJoint(id));
}

const Joint* Skeleton::findJoint(int id) const {
  const Joint* found = nullptr;
  if (root_)
    forEach(*root_, [&](const Joint& joint) {
      if (!found && joint.id == id) found = &joint;
    });
  return found;
}

Joint* Skeleton::findJoint(std::string_view name) {
  return const_cast<Joint*>(std::as_const(*this).findJoint(name));
}

const Joint* Skeleton::findJoint(std::string_view name) const {
  const Joint* found = nullptr;
  if (root_)
    forEach(*root_, [&](const Joint& joint) {
      if (!found && joint.name == name) found = &joint;
    });
  return found;
}

}  // namespace vestora
