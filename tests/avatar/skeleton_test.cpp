#include "avatar/skeleton.h"

#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "avatar/matrix.h"
#include "formats/model_loader.h"
#include "formats/skeleton_files.h"
#include "platform/log.h"
#include "test_support.h"

namespace vestora {
namespace {

using Slots = Skeleton::Slots;

const std::string kFemaleLandmarks =
    std::string(VESTORA_TEST_ROOT) + "/model/ChinaFemale/WomanSkltn.dar";
const std::string kFemaleBody = std::string(VESTORA_TEST_ROOT) + "/model/ChinaFemale/nv_High.c3d";

Point3 add(const Point3& a, const Point3& b) {
  return {a[0] + b[0], a[1] + b[1], a[2] + b[2]};
}
Point3 sub(const Point3& a, const Point3& b) {
  return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
// A difference taken in a frame turned by 90 degrees about y, seen from outside.
Point3 turned(const Point3& d) {
  return {d[2], d[1], -d[0]};
}

void expectNear(const Point3& actual, const Point3& expected, const std::string& what) {
  for (int i = 0; i < 3; ++i)
    EXPECT_NEAR(actual[i], expected[i], 1e-4f) << what << " [" << i << "]";
}

// A figure whose knees, elbows and hand joints all lie off the straight line
// below their hip or shoulder, with every difference different.
Slots crookedFigure() {
  Slots s{};
  s[0] = {0.0f, 0.3f, -0.16f};
  s[1] = {0.99f, 0.31f, -0.16f};
  s[2] = {-0.99f, 0.32f, -0.15f};
  s[3] = {0.95f, -3.87f, -0.03f};
  s[4] = {-0.93f, -3.86f, -0.05f};
  s[5] = {0.98f, -8.01f, -0.28f};
  s[6] = {-0.97f, -8.02f, -0.27f};
  s[7] = {0.96f, -3.85f, 0.52f};
  s[8] = {-0.94f, -3.88f, 0.51f};
  s[9] = {-1.08f, -8.53f, 1.43f};
  s[10] = {1.09f, -8.52f, 1.44f};
  s[11] = {0.01f, 2.06f, -0.50f};
  s[12] = {0.02f, 3.26f, -0.49f};
  s[13] = {0.0f, 4.46f, -0.51f};
  s[14] = {0.03f, 5.56f, -0.52f};
  s[15] = {0.01f, 6.11f, -0.33f};
  s[16] = {0.02f, 8.73f, -0.07f};
  s[17] = {1.66f, 5.18f, -0.30f};
  s[18] = {-1.65f, 5.19f, -0.31f};
  s[19] = {-2.61f, 2.23f, -0.23f};
  s[20] = {-3.35f, -0.03f, -0.01f};
  s[21] = {-3.56f, -0.96f, 0.04f};
  s[22] = {-3.72f, -1.79f, 0.11f};
  s[23] = {2.62f, 2.24f, -0.24f};
  s[24] = {3.36f, -0.04f, 0.02f};
  s[25] = {3.57f, -0.95f, 0.03f};
  s[26] = {3.73f, -1.80f, 0.10f};
  return s;
}

// A skin-weight text for `vertexCount` vertices in which joint j weighs
// vertex (j - 1) % vertexCount with 1 / j, for joints 1 to lastJoint.
std::string weightText(int lastJoint, std::size_t vertexCount) {
  std::string text;
  for (int j = 1; j <= lastJoint; ++j) {
    text += std::to_string(j) + " " + std::to_string((j - 1) % vertexCount) + " " +
            std::to_string(1.0 / j) + "\n";
    text += std::to_string(j) + " -1 0\n";
  }
  return text;
}

Skeleton builtFrom(const Slots& slots, const Mat4& base = Mat4::identity()) {
  Skeleton skeleton;
  skeleton.readSkeletonText(formatLandmarks(slots));
  skeleton.buildSkeletonFromText(weightText(kSkinnedJoints, 4), 4, base);
  return skeleton;
}

std::vector<const Joint*> allJoints(const Skeleton& skeleton) {
  std::vector<const Joint*> joints;
  std::vector<const Joint*> pending{skeleton.root()};
  while (!pending.empty()) {
    const Joint* j = pending.back();
    pending.pop_back();
    joints.push_back(j);
    for (const auto& c : j->children) pending.push_back(c.get());
  }
  return joints;
}

Mat4 someBase() {
  return Mat4::translation(0.5f, -2.0f, 3.0f) * Mat4::rotation(25.0f, 1.0f, 2.0f, -0.5f) *
         Mat4::translation(0.0f, 0.0f, -7.0f);
}

// ---- matrices ----

TEST(Mat4, FollowsTheGraphicsLibraryConventions) {
  // Translation sits in the last column, element [3][row].
  const Mat4 t = Mat4::translation(1.0f, 2.0f, 3.0f);
  EXPECT_EQ(t.m[12], 1.0f);
  EXPECT_EQ(t.m[13], 2.0f);
  EXPECT_EQ(t.m[14], 3.0f);
  // Counter-clockwise, right-handed: 90 degrees about y takes x to -z and z to x;
  // about z takes x to y. The axis need not be a unit vector.
  const Mat4 ry = Mat4::rotation(90.0f, 0.0f, 2.0f, 0.0f);
  expectNear(ry.transformPoint({1, 0, 0}), {0, 0, -1}, "Ry x");
  expectNear(ry.transformPoint({0, 0, 1}), {1, 0, 0}, "Ry z");
  expectNear(Mat4::rotation(90.0f, 0, 0, 1).transformPoint({1, 0, 0}), {0, 1, 0}, "Rz x");
  expectNear(Mat4::rotation(-90.0f, 1, 0, 0).transformPoint({0, 1, 0}), {0, 0, -1}, "Rx y");
  EXPECT_EQ(Mat4::rotation(45.0f, 0, 0, 0), Mat4::identity());
  // A product applies its right factor first.
  const Mat4 tr = t * Mat4::rotation(90.0f, 0, 0, 1);
  expectNear(tr.transformPoint({1, 0, 0}), {1, 3, 3}, "T*R");
  const Mat4 rt = Mat4::rotation(90.0f, 0, 0, 1) * t;
  expectNear(rt.transformPoint({1, 0, 0}), {-2, 2, 3}, "R*T");
}

TEST(Mat4, InverseUndoesAnAffineMatrixAndReportsSingularOnes) {
  const Mat4 a = someBase() * Mat4::rotation(-70.0f, 0.3f, -1.0f, 0.2f);
  EXPECT_LT(maxDifference(a * inverse(a), Mat4::identity()), 1e-5f);
  EXPECT_LT(maxDifference(inverse(a) * a, Mat4::identity()), 1e-5f);
  // A matrix whose first element is zero needs a row exchange.
  Mat4 swap{};
  swap.m = {0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1};
  EXPECT_LT(maxDifference(inverse(swap) * swap, Mat4::identity()), 1e-6f);

  MemoryLogSink log;
  LogSink* previous = setLogSink(&log);
  Mat4 flat = Mat4::translation(4, 5, 6);
  flat.at(1, 1) = 0.0f;  // nothing reaches y
  const Mat4 flatInverse = inverse(flat);
  Mat4 dependent{};
  dependent.m = {1, 2, 3, 0, 2, 4, 6, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  const Mat4 dependentInverse = inverse(dependent);
  setLogSink(previous);
  EXPECT_EQ(flatInverse, Mat4::identity());
  EXPECT_EQ(dependentInverse, Mat4::identity());
  EXPECT_EQ(log.text(), "Singular Matrix\nSingular Matrix\n");
}

TEST(MatrixStack, PushAndPopLikeTheModelViewStack) {
  MatrixStack stack(Mat4::translation(1, 0, 0));
  stack.push();
  stack.rotate(90.0f, 0, 0, 1);
  stack.translate(2, 0, 0);
  // translate then rotate act on the top's local frame: (1,0,0) + Rz(2,0,0).
  expectNear(stack.top().transformPoint({0, 0, 0}), {1, 2, 0}, "walk");
  EXPECT_EQ(stack.depth(), 2u);
  EXPECT_TRUE(stack.pop());
  EXPECT_EQ(stack.top(), Mat4::translation(1, 0, 0));
  EXPECT_FALSE(stack.pop());
  EXPECT_EQ(stack.depth(), 1u);
}

// ---- the tree ----

TEST(Skeleton, TreeFollowsTheJointTable) {
  Skeleton skeleton;
  EXPECT_FALSE(skeleton.hasTree());
  EXPECT_EQ(skeleton.findJoint("Hips"), nullptr);
  EXPECT_TRUE(skeleton.jointFrames().empty());
  skeleton.computeJointMatrices();  // without a tree: nothing to do
  skeleton.resetPose();

  skeleton = builtFrom(crookedFigure());
  ASSERT_TRUE(skeleton.hasTree());
  const char* names[kJointCount] = {
      "null1",  "Hips",   "LLeg",   "jnt2_1",   "jnt2_2",   "eff2",     "LBound",
      "RLeg",   "jnt1_1", "jnt1_2", "eff1",     "RBound",   "Spine",    "jnt4_1",
      "jnt4_2", "jnt4_3", "jnt4_4", "eff4",     "RArm",     "jnt3_1",   "jnt3_2",
      "jnt3_3", "eff3",   "LArm",   "jnt1_1_1", "jnt1_1_2", "jnt1_1_3", "eff1_1"};
  const int parents[kJointCount] = {-1, 0,  1,  2,  3,  4,  3,  1,  7,  8,  9,  8,  1,  12,
                                    13, 14, 15, 16, 15, 18, 19, 20, 21, 15, 23, 24, 25, 26};
  EXPECT_EQ(allJoints(skeleton).size(), std::size_t(kJointCount));
  for (int id = 0; id < kJointCount; ++id) {
    const Joint* j = skeleton.findJoint(id);
    ASSERT_NE(j, nullptr) << id;
    EXPECT_EQ(j->id, id);
    EXPECT_EQ(j->name, names[id]);
    EXPECT_EQ(skeleton.findJoint(names[id]), j);
    EXPECT_EQ(j->kind, 4);
    EXPECT_EQ(j->scale, (Point3{1, 1, 1}));
    EXPECT_EQ(j->restScale, (Point3{1, 1, 1}));
    const Joint* parent = parents[id] < 0 ? nullptr : skeleton.findJoint(parents[id]);
    EXPECT_EQ(j->parent, parent) << names[id];
    // Hips and shoulders are turned by 90 degrees about y, nothing else is.
    const bool turnedJoint = id == 2 || id == 7 || id == 18 || id == 23;
    EXPECT_EQ(j->restRotation, (Point3{0, turnedJoint ? 90.0f : 0.0f, 0})) << names[id];
    EXPECT_EQ(j->rotation, j->restRotation);
    EXPECT_EQ(j->offset, j->restOffset);
  }
  EXPECT_EQ(skeleton.findJoint(kJointCount), nullptr);
  EXPECT_EQ(skeleton.findJoint("eff5"), nullptr);
  // Children keep the table's order.
  auto childIds = [&](int id) {
    std::vector<int> ids;
    for (const auto& c : skeleton.findJoint(id)->children) ids.push_back(c->id);
    return ids;
  };
  EXPECT_EQ(childIds(1), (std::vector<int>{2, 7, 12}));
  EXPECT_EQ(childIds(3), (std::vector<int>{4, 6}));
  EXPECT_EQ(childIds(8), (std::vector<int>{9, 11}));
  EXPECT_EQ(childIds(15), (std::vector<int>{16, 18, 23}));
  EXPECT_TRUE(childIds(27).empty());

  // Building again replaces the tree rather than adding to it.
  skeleton.buildSkeletonFromText(weightText(kSkinnedJoints, 4), 4);
  EXPECT_EQ(allJoints(skeleton).size(), std::size_t(kJointCount));
  EXPECT_EQ(skeleton.root()->children.size(), 1u);
}

TEST(Skeleton, RestPoseGivesIdentitySkinMatricesOnlyWithTheSameBase) {
  const Mat4 base = someBase();
  Skeleton skeleton = builtFrom(crookedFigure(), base);
  skeleton.computeJointMatrices(base);
  for (const Joint* j : allJoints(skeleton))
    EXPECT_LT(maxDifference(j->skinMatrix, Mat4::identity()), 1e-5f) << j->name;

  // With another base every skin matrix carries the change of base.
  const Mat4 moved = Mat4::translation(0, 1, 0) * base;
  skeleton.computeJointMatrices(moved);
  for (const Joint* j : allJoints(skeleton))
    EXPECT_LT(maxDifference(j->skinMatrix, Mat4::translation(0, 1, 0)), 1e-5f) << j->name;

  // The same on the generated female figure.
  Skeleton female;
  ASSERT_TRUE(female.readSkeletonFile(kFemaleLandmarks).ok());
  female.buildSkeleton(kFemaleLandmarks, 10);
  female.computeJointMatrices();
  for (const Joint* j : allJoints(female))
    EXPECT_LT(maxDifference(j->skinMatrix, Mat4::identity()), 1e-5f) << j->name;
}

TEST(Skeleton, JointsBelowATurnedJointAreDisplacedByTheUnturnedDifference) {
  const Slots s = crookedFigure();
  const Skeleton skeleton = builtFrom(s);
  const std::vector<Mat4> frames = skeleton.jointFrames();
  ASSERT_EQ(frames.size(), std::size_t(kJointCount));
  std::vector<Point3> at(kJointCount);
  for (int id = 0; id < kJointCount; ++id) at[id] = frames[id].transformPoint({0, 0, 0});

  // Unturned chains sit on their landmarks.
  expectNear(at[0], {0, 0, 0}, "null1");
  const int onSlot[][2] = {{1, 0},   {2, 1},   {7, 2},   {12, 11}, {13, 12}, {14, 13},
                           {15, 14}, {16, 15}, {17, 16}, {18, 18}, {23, 17}};
  for (const auto& [id, slot] : onSlot) expectNear(at[id], s[slot], "joint " + std::to_string(id));

  // The first joint below a hip or shoulder lands at the turned difference,
  // its bound too; deeper joints keep their own differences.
  const Point3 leftKnee = add(s[1], turned(sub(s[3], s[1])));
  expectNear(at[3], leftKnee, "jnt2_1");
  expectNear(at[4], add(leftKnee, sub(s[5], s[3])), "jnt2_2");
  expectNear(at[5], add(at[4], sub(s[10], s[5])), "eff2");
  expectNear(at[6], add(leftKnee, turned(sub(s[7], s[3]))), "LBound");
  const Point3 rightKnee = add(s[2], turned(sub(s[4], s[2])));
  expectNear(at[8], rightKnee, "jnt1_1");
  expectNear(at[9], add(rightKnee, sub(s[6], s[4])), "jnt1_2");
  expectNear(at[10], add(at[9], sub(s[9], s[6])), "eff1");
  expectNear(at[11], add(rightKnee, turned(sub(s[8], s[4]))), "RBound");
  const Point3 rightElbow = add(s[18], turned(sub(s[19], s[18])));
  expectNear(at[19], rightElbow, "jnt3_1");
  expectNear(at[20], add(rightElbow, sub(s[20], s[19])), "jnt3_2");
  expectNear(at[21], add(at[20], sub(s[21], s[20])), "jnt3_3");
  expectNear(at[22], add(at[21], sub(s[22], s[21])), "eff3");
  const Point3 leftElbow = add(s[17], turned(sub(s[23], s[17])));
  expectNear(at[24], leftElbow, "jnt1_1_1");
  expectNear(at[25], add(leftElbow, sub(s[24], s[23])), "jnt1_1_2");
  expectNear(at[27], add(at[26], sub(s[26], s[25])), "eff1_1");
  EXPECT_GT(std::fabs(at[3][0] - s[3][0]), 0.1f);  // the figure is really crooked

  // A knee straight below its hip puts the whole leg on its landmarks.
  Slots straight = s;
  straight[3] = {s[1][0], -3.9f, s[1][2]};
  straight[4] = {s[2][0], -3.8f, s[2][2]};
  const std::vector<Mat4> f = builtFrom(straight).jointFrames();
  const int legOnSlot[][2] = {{3, 3}, {4, 5}, {5, 10}, {8, 4}, {9, 6}, {10, 9}};
  for (const auto& [id, slot] : legOnSlot)
    expectNear(f[id].transformPoint({0, 0, 0}), straight[slot],
               "straight leg " + std::to_string(id));
}

TEST(Skeleton, TurningAJointMovesItsBranchOnly) {
  Skeleton skeleton = builtFrom(crookedFigure());
  Joint* arm = skeleton.findJoint("RArm");
  arm->rotation[2] += 30.0f;
  skeleton.computeJointMatrices();

  std::vector<bool> inBranch(kJointCount, false);
  for (int id : {18, 19, 20, 21, 22}) inBranch[id] = true;
  const Point3 shoulder = crookedFigure()[18];
  for (const Joint* j : allJoints(skeleton)) {
    if (inBranch[j->id]) {
      // The branch turns rigidly about the shoulder.
      EXPECT_GT(maxDifference(j->skinMatrix, Mat4::identity()), 0.1f) << j->name;
      EXPECT_LT(maxDifference(j->skinMatrix, arm->skinMatrix), 1e-5f) << j->name;
    } else {
      EXPECT_LT(maxDifference(j->skinMatrix, Mat4::identity()), 1e-5f) << j->name;
    }
  }
  expectNear(arm->skinMatrix.transformPoint(shoulder), shoulder, "shoulder stays");
  // z turns about the parent's z axis (the arm swings in the front plane),
  // x about the joint's own x axis, which its 90 degrees about y lay along -z.
  const float c = std::cos(30.0f * 3.14159265f / 180.0f), s = 0.5f;
  const Point3 sideways = add(shoulder, {-1.0f, 0.0f, 0.0f});
  expectNear(arm->skinMatrix.transformPoint(sideways), add(shoulder, {-c, -s, 0.0f}), "turn z");
  arm->rotation = {-30.0f, 90.0f, 0.0f};
  skeleton.computeJointMatrices();
  expectNear(arm->skinMatrix.transformPoint(sideways), add(shoulder, {-c, -s, 0.0f}), "turn x");

  // Turning the knee moves the ankle and the bound below it, not the hip.
  Joint* knee = skeleton.findJoint("jnt2_1");
  knee->rotation[2] -= 15.0f;
  skeleton.computeJointMatrices();
  EXPECT_GT(maxDifference(skeleton.findJoint("LBound")->skinMatrix, Mat4::identity()), 0.1f);
  EXPECT_GT(maxDifference(skeleton.findJoint("eff2")->skinMatrix, Mat4::identity()), 0.1f);
  EXPECT_LT(maxDifference(skeleton.findJoint("LLeg")->skinMatrix, Mat4::identity()), 1e-5f);

  skeleton.resetPose();
  EXPECT_EQ(arm->rotation, (Point3{0, 90, 0}));
  EXPECT_EQ(knee->rotation, (Point3{0, 0, 0}));
  skeleton.computeJointMatrices();
  for (const Joint* j : allJoints(skeleton))
    EXPECT_LT(maxDifference(j->skinMatrix, Mat4::identity()), 1e-5f) << j->name;

  // Moved offsets come back too.
  knee->offset = {9, 9, 9};
  skeleton.resetPose();
  EXPECT_EQ(knee->offset, knee->restOffset);
}

// ---- landmarks ----

TEST(Skeleton, LandmarkReadingKeepsWhatTheTextDoesNotFill) {
  Skeleton skeleton;
  const Slots first = crookedFigure();
  skeleton.readSkeletonText(formatLandmarks(first));
  EXPECT_EQ(skeleton.slots(), first);

  Slots second = first;
  for (auto& p : second) p[1] += 1.0f;
  std::string text = formatLandmarks(second);
  text.erase(text.rfind('\n', text.size() - 2) + 1);  // drop the last line (slot 22)
  skeleton.readSkeletonText(text);
  EXPECT_EQ(skeleton.slots()[22], first[22]);
  expectNear(skeleton.slots()[26], second[26], "slot 26");
  expectNear(skeleton.slots()[21], second[21], "slot 21");

  // A missing file is an error and changes nothing.
  const float leftAngle = skeleton.leftArmAngle();
  const Slots before = skeleton.slots();
  const auto missing =
      skeleton.readSkeletonFile(std::string(VESTORA_TEST_ROOT) + "/model/none.dar");
  EXPECT_FALSE(missing.ok());
  EXPECT_NE(missing.error().message().find("none.dar"), std::string::npos);
  EXPECT_EQ(skeleton.slots(), before);
  EXPECT_EQ(skeleton.leftArmAngle(), leftAngle);

  ASSERT_TRUE(skeleton.readSkeletonFile(kFemaleLandmarks).ok());
  EXPECT_NEAR(skeleton.slots()[16][1], 8.73666f, 1e-4f);  // the female head end
}

TEST(Skeleton, ArmAnglesFromTheSidewaysShareOfTheArm) {
  const double degreesPerRadian = 57.29577791868204;
  Slots s = crookedFigure();
  // Left arm hanging down and out along (3, -4, 0): a sideways share of 0.6,
  // taken as radians.
  s[26] = add(s[17], {1.5f, -2.0f, 0.0f});
  // Right arm straight out to the side: a share of 1.
  s[22] = add(s[18], {-2.0f, 0.0f, 0.0f});
  Skeleton skeleton;
  skeleton.readSkeletonText(formatLandmarks(s));
  EXPECT_NEAR(skeleton.leftArmAngle(), 0.6 * degreesPerRadian, 1e-3);
  EXPECT_NEAR(skeleton.rightArmAngle(), 1.0 * degreesPerRadian, 1e-3);

  // Straight down, and a hand end on the shoulder.
  s[26] = add(s[17], {0.0f, -3.0f, 0.7f});
  s[22] = s[18];
  skeleton.readSkeletonText(formatLandmarks(s));
  EXPECT_NEAR(skeleton.leftArmAngle(), 0.0, 1e-6);
  EXPECT_EQ(skeleton.rightArmAngle(), 0.0f);
}

// ---- weights ----

TEST(Skeleton, WeightsFillTheirJointsAndShortFilesLeaveTheRestAtZero) {
  Skeleton skeleton;
  skeleton.readSkeletonText(formatLandmarks(crookedFigure()));
  skeleton.buildSkeletonFromText(weightText(kSkinnedJoints, 5), 5);
  EXPECT_TRUE(skeleton.warnings().empty());
  EXPECT_EQ(skeleton.vertexCount(), 5u);
  EXPECT_TRUE(skeleton.root()->weights.empty());
  EXPECT_EQ(skeleton.findJoint(7)->weights, (std::vector<float>{0, 0.142857f, 0, 0, 0}));
  EXPECT_EQ(skeleton.findJoint(27)->weights, (std::vector<float>{0, 0.037037f, 0, 0, 0}));

  // The file ends after joint 10's block, and one line names a vertex past the body.
  std::string shortText = weightText(10, 5);
  shortText.insert(shortText.find("3 -1 0\n"), "3 99 1\n");
  testing::TempDir dir;
  const std::string landmarks = dir.write("Skltn.dar", formatLandmarks(crookedFigure()));
  dir.write("SkltnWeight.wgt", shortText);
  skeleton.buildSkeleton(landmarks, 5);
  for (int id = 1; id <= 10; ++id) {
    const auto& w = skeleton.findJoint(id)->weights;
    ASSERT_EQ(w.size(), 5u);
    EXPECT_NEAR(w[(id - 1) % 5], 1.0 / id, 1e-6) << id;
  }
  for (int id = 11; id <= kSkinnedJoints; ++id)
    EXPECT_EQ(skeleton.findJoint(id)->weights, std::vector<float>(5, 0.0f)) << id;
  EXPECT_EQ(skeleton.warnings().size(), 2u);  // the ignored line and the missing blocks

  // No weights file at all: every joint has zero weights for every vertex.
  skeleton.buildSkeleton(dir.file("Other.dar"), 3);
  ASSERT_EQ(skeleton.warnings().size(), 1u);
  EXPECT_NE(skeleton.warnings()[0].find("OtherWeight.wgt"), std::string::npos);
  for (int id = 1; id <= kSkinnedJoints; ++id)
    EXPECT_EQ(skeleton.findJoint(id)->weights, std::vector<float>(3, 0.0f)) << id;
}

TEST(Skeleton, FemaleWeightsSumToOnePerVertex) {
  ModelLoader loader;
  std::int32_t tag = 0;
  auto body = loader.glmReadC3D(kFemaleBody, tag);
  ASSERT_TRUE(body.ok()) << body.error().message();
  const std::size_t vertexCount = body.value()->vertexCount();
  ASSERT_GT(vertexCount, 1000u);

  Skeleton skeleton;
  ASSERT_TRUE(skeleton.readSkeletonFile(kFemaleLandmarks).ok());
  skeleton.buildSkeleton(kFemaleLandmarks, vertexCount);
  EXPECT_TRUE(skeleton.warnings().empty());
  std::vector<double> sum(vertexCount, 0.0);
  for (int id = 1; id <= kSkinnedJoints; ++id) {
    const auto& w = skeleton.findJoint(id)->weights;
    ASSERT_EQ(w.size(), vertexCount);
    for (std::size_t k = 0; k < vertexCount; ++k) sum[k] += w[k];
  }
  int off = 0;
  for (std::size_t k = 0; k < vertexCount; ++k)
    if (std::fabs(sum[k] - 1.0) > 1e-4 && ++off <= 5)
      ADD_FAILURE() << "vertex " << k << ": " << sum[k];
  EXPECT_EQ(off, 0);
}

TEST(Skeleton, ReleasingTheMeshCopiesClearsTheLandmarkIndexes) {
  Skeleton skeleton;
  skeleton.landmarkIndexes().fill(17);
  skeleton.landmarkIndexes()[9] = 3;
  skeleton.releaseMeshCopies();
  for (int index : skeleton.landmarkIndexes()) EXPECT_EQ(index, -1);
}

}  // namespace
}  // namespace vestora
