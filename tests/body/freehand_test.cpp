// The freehand tools on the generated woman: switching them, and what they
// make of picked skin points and strokes.
#include "body/freehand.h"

#include <cmath>

#include <gtest/gtest.h>

#include "avatar/shipped_numbers.h"
#include "body/body_fixture.h"
#include "body/measurement.h"

namespace vestora {
namespace {

Vec3f skinPoint(const Avatar& a, int record) {
  return {a.skin[record].x, a.skin[record].y, a.skin[record].z};
}

float distance(const Vec3f& a, const Vec3f& b) {
  return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) +
                   (a.z - b.z) * (a.z - b.z));
}

TEST(FreehandTools, NeedAMeasurementAndOneIsOnAtATime) {
  FreehandMeasure f;
  ScriptedDialogs dialogs;
  EXPECT_FALSE(f.toggle(FreehandTool::Height, false, &dialogs));
  EXPECT_EQ(dialogs.messages(), std::vector<std::string>{kMeasureFirstMessage});
  EXPECT_FALSE(f.tools.anyActive());

  ASSERT_TRUE(f.toggle(FreehandTool::Height, true, &dialogs));
  EXPECT_TRUE(f.tools.height);
  f.tools.slopeGirth = true;  // a sheet mode
  f.points[0] = {1, 2, 3};
  // "直线距离" while "高度" is on: only the new one stays, the picks go.
  ASSERT_TRUE(f.toggle(FreehandTool::LinearDistance, true, &dialogs));
  EXPECT_TRUE(f.tools.linearDistance);
  EXPECT_FALSE(f.tools.height);
  EXPECT_FALSE(f.tools.slopeGirth);
  EXPECT_FALSE(isPicked(f.points[0]));
  // The same button again switches it off and leaves the others off.
  ASSERT_TRUE(f.toggle(FreehandTool::LinearDistance, true, &dialogs));
  EXPECT_FALSE(f.tools.anyActive());
  EXPECT_EQ(f.active(), std::nullopt);
  EXPECT_EQ(dialogs.messages().size(), 1u);
}

TEST(FreehandTools, DistanceAndHeightOfTwoPickedPoints) {
  testing::LoadedWoman w;
  const Avatar& a = w.avatar;
  const Vec3f top = skinPoint(a, shipped::kWomanHeadTop),
              sole = skinPoint(a, shipped::kWomanFootLowest);
  const Vec3f left = skinPoint(a, shipped::kWomanShoulderLeft),
              right = skinPoint(a, shipped::kWomanShoulderRight);
  FreehandMeasure f;
  f.toggle(FreehandTool::LinearDistance, true, nullptr);
  EXPECT_FALSE(f.pick(a, left) && f.activeValue()) << "one point measures nothing yet";
  ASSERT_TRUE(f.pick(a, right));
  ASSERT_TRUE(f.activeValue());
  EXPECT_NEAR(*f.activeValue(), distance(left, right) / a.unitScale(), 1e-3f);
  EXPECT_EQ(f.values.linearDistance, *f.activeValue());
  // A third point starts a new pair; the last value stays on the sheet.
  ASSERT_TRUE(f.pick(a, top));
  EXPECT_FALSE(f.activeValue());
  EXPECT_FALSE(isPicked(f.points[1]));
  EXPECT_GT(f.values.linearDistance, 0);

  f.toggle(FreehandTool::Height, true, nullptr);
  f.pick(a, sole);
  f.pick(a, top);
  ASSERT_TRUE(f.activeValue());
  // The woman's height between these two points is what the measurement calls her height.
  EXPECT_NEAR(*f.activeValue(), measureAvatar(a).heightCm, 0.01f);
  EXPECT_FALSE(f.stroke(w.avatar, {}, {})) << "the height tool takes no stroke";
}

TEST(FreehandTools, GirthIsTheLevelLoopThroughThePoint) {
  testing::LoadedWoman w;
  const Avatar& a = w.avatar;
  const Vec3f waistFront = skinPoint(a, shipped::kWomanWaist);
  FreehandMeasure f;
  f.toggle(FreehandTool::FreeGirth, true, nullptr);
  ASSERT_TRUE(f.pick(a, waistFront));
  ASSERT_TRUE(f.activeValue());
  EXPECT_TRUE(f.pathClosed);
  ASSERT_GE(f.path.size(), 20u);
  for (const Vec3f& p : f.path) EXPECT_NEAR(p.y, waistFront.y, 1e-4f);
  // The loop round the trunk at the waist, not round an arm at that level.
  const SectionLoop trunk =
      loopAround(a, waistFront, {0, 1, 0}, {0, waistFront.y, waistFront.z - 0.5f});
  EXPECT_NEAR(*f.activeValue(), trunk.length() / a.unitScale(), 0.05f);
  EXPECT_GT(*f.activeValue(), 55);
  EXPECT_LT(*f.activeValue(), 95);

  // A point off the body gives no girth.
  FreehandMeasure off;
  off.toggle(FreehandTool::FreeGirth, true, nullptr);
  off.pick(a, {waistFront.x + 5, waistFront.y, waistFront.z + 5});
  EXPECT_FALSE(off.activeValue());
  EXPECT_TRUE(off.path.empty());
}

TEST(FreehandTools, CurveFollowsTheSkinAcrossTheBelly) {
  testing::LoadedWoman w;
  Avatar& a = w.avatar;
  const Vec3f waist = skinPoint(a, shipped::kWomanWaist);
  const float y = waist.y - 0.3f;
  // A stroke seen from the front: the near plane in front of the body, the
  // far plane behind it.
  const StrokeEnds nearEnds{Point3{-0.9f, y, 30.0f}, Point3{0.9f, y, 30.0f}};
  const StrokeEnds farEnds{Point3{-0.9f, y, -30.0f}, Point3{0.9f, y, -30.0f}};
  FreehandMeasure f;
  f.toggle(FreehandTool::CurveLength, true, nullptr);
  ASSERT_TRUE(f.stroke(a, nearEnds, farEnds));
  ASSERT_TRUE(f.activeValue());
  EXPECT_FALSE(f.pathClosed);
  ASSERT_EQ(f.path.size(), static_cast<std::size_t>(kMaxStrokeSamples));
  for (const Vec3f& p : f.path)
    EXPECT_GT(p.z, waist.z - 1.0f) << "the front of the body, not its back";
  const float chord = distance(f.path.front(), f.path.back()) / a.unitScale();
  EXPECT_GT(*f.activeValue(), chord);
  EXPECT_LT(*f.activeValue(), chord * 1.3f);

  // A stroke beside the body measures nothing.
  const StrokeEnds besideNear{Point3{6, y, 30.0f}, Point3{8, y, 30.0f}};
  const StrokeEnds besideFar{Point3{6, y, -30.0f}, Point3{8, y, -30.0f}};
  ASSERT_TRUE(f.stroke(a, besideNear, besideFar));
  EXPECT_FALSE(f.activeValue());
  EXPECT_TRUE(f.path.empty());
}

// The tree the curve tool strokes through is the body as it is now, not as
// it was loaded.
TEST(FreehandTools, TheTriangleTreeFollowsTheBody) {
  testing::LoadedWoman w;
  Avatar& a = w.avatar;
  const std::uint64_t loaded = a.surfaceVersion();
  EXPECT_EQ(a.triangleTree().mesh().vertices.size(), a.skin.size());
  BodyShaper shaper(a);
  shaper.SetBodyWeight(150);
  EXPECT_NE(a.surfaceVersion(), loaded);
  const auto& mesh = a.triangleTree().mesh();
  ASSERT_EQ(mesh.vertices.size(), a.skin.size());
  for (std::size_t k = 0; k < a.skin.size(); k += 97) {
    EXPECT_EQ(mesh.vertices[k][0], a.skin[k].x);
    EXPECT_EQ(mesh.vertices[k][2], a.skin[k].z);
  }
}

}  // namespace
}  // namespace vestora
