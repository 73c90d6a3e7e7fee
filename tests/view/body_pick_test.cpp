// Picking skin points under the mouse: the walk over feedback buffers, and
// picks on the generated woman drawn off screen.
#include "view/body_pick.h"

#include <cmath>

#include <gtest/gtest.h>

#include "view/gl_headers.h"
#include "view_test_support.h"

namespace vestora {
namespace {

// Feedback as GL_3D writes it.
struct Feedback {
  std::vector<float> values;
  Feedback& marker(int triangle) {
    values.insert(values.end(), {float(GL_PASS_THROUGH_TOKEN), float(triangle)});
    return *this;
  }
  Feedback& polygon(std::initializer_list<std::array<float, 3>> corners) {
    values.insert(values.end(), {float(GL_POLYGON_TOKEN), float(corners.size())});
    for (const auto& c : corners) values.insert(values.end(), c.begin(), c.end());
    return *this;
  }
};

TEST(FeedbackWalk, NearestFrontFacingTriangleUnderTheMouse) {
  Feedback f;
  // Triangle 0 far, triangle 1 near, both under (50, 50), counter-clockwise.
  f.marker(0).polygon({{0, 0, 0.8f}, {100, 0, 0.8f}, {0, 100, 0.8f}});
  f.marker(1).polygon({{0, 0, 0.3f}, {100, 0, 0.3f}, {0, 100, 0.3f}});
  // Triangle 2 nearer still but facing away (clockwise on the screen).
  f.marker(2).polygon({{0, 0, 0.1f}, {0, 100, 0.1f}, {100, 0, 0.1f}});
  // Triangle 3 near but not under the mouse.
  f.marker(3).polygon({{60, 60, 0.05f}, {90, 60, 0.05f}, {60, 90, 0.05f}});
  const auto hit = nearestFeedbackTriangle(f.values, 40, 40);
  ASSERT_TRUE(hit);
  EXPECT_EQ(hit->first, 1);
  EXPECT_NEAR(hit->second, 0.3f, 1e-6f);
  EXPECT_FALSE(nearestFeedbackTriangle(f.values, 150, 150));
  EXPECT_FALSE(nearestFeedbackTriangle({}, 40, 40));
}

TEST(FeedbackWalk, ClippedPolygonsAndOtherTokensAreSteppedOverByTheirLength) {
  Feedback f;
  // A triangle clipped into a pentagon: the mouse lies in its last fan triangle.
  f.marker(7).polygon(
      {{0, 0, 0.5f}, {100, 0, 0.5f}, {100, 50, 0.5f}, {50, 100, 0.5f}, {0, 100, 0.5f}});
  // A point and a line (the walk must skip them whole), then triangle 8.
  f.values.insert(f.values.end(), {float(GL_POINT_TOKEN), 1, 2, 3});
  f.values.insert(f.values.end(), {float(GL_LINE_TOKEN), 1, 2, 3, 4, 5, 6});
  f.marker(8).polygon({{0, 0, 0.2f}, {30, 0, 0.2f}, {0, 30, 0.2f}});
  const auto inPentagon = nearestFeedbackTriangle(f.values, 10, 90);
  ASSERT_TRUE(inPentagon);
  EXPECT_EQ(inPentagon->first, 7);
  const auto inEighth = nearestFeedbackTriangle(f.values, 5, 5);
  ASSERT_TRUE(inEighth);
  EXPECT_EQ(inEighth->first, 8) << "the tokens before it were skipped by their length";

  // A buffer cut inside a polygon keeps what came before and reads no further.
  std::vector<float> cut(f.values.begin(), f.values.begin() + 6);
  EXPECT_FALSE(nearestFeedbackTriangle(cut, 10, 90));
  // A vertex count that the buffer cannot hold, or that is no count, ends the walk.
  Feedback bad;
  bad.marker(1).values.insert(bad.values.end(), {float(GL_POLYGON_TOKEN), 1e9f, 0, 0, 0});
  EXPECT_FALSE(nearestFeedbackTriangle(bad.values, 0, 0));
  Feedback negative;
  negative.marker(1).values.insert(negative.values.end(), {float(GL_POLYGON_TOKEN), -3, 0, 0});
  EXPECT_FALSE(nearestFeedbackTriangle(negative.values, 0, 0));
}

class BodyPickTest : public testing::ViewFixture {};

TEST_F(BodyPickTest, ThePointUnderTheMouseLiesOnTheSkinFacingTheCamera) {
  start();
  frame();
  const Avatar& a = view_->avatar();
  // The middle of the frame is the body; the corner is the backdrop.
  const auto pick = view_->pickAt(kSize / 2, kSize / 2);
  ASSERT_TRUE(pick);
  ASSERT_GE(pick->triangle, 0);
  ASSERT_LT(static_cast<std::size_t>(pick->triangle), a.triangleCount());
  // On the picked triangle's plane, within its corners' box.
  const auto& t = a.triangles[static_cast<std::size_t>(pick->triangle)];
  const float p[3] = {pick->point.x, pick->point.y, pick->point.z};
  for (int k = 0; k < 3; ++k) {
    EXPECT_GE(p[k], t.bounds[k] - 1e-3f);
    EXPECT_LE(p[k], t.bounds[3 + k] + 1e-3f);
  }
  // It projects back to the mouse.
  const auto back = projectModelPoint(view_->matrices(), pick->point);
  ASSERT_TRUE(back);
  EXPECT_NEAR((*back)[0], kSize / 2, 0.5);
  EXPECT_NEAR((*back)[1], kSize / 2, 0.5);
  // The front of the body (the camera looks at it from +z), not its back.
  EXPECT_GT(pick->point.z, a.midpoint[2]);
  EXPECT_FALSE(view_->pickAt(3, 3)) << "a miss gives no point, not the origin";
}

TEST_F(BodyPickTest, LinearToolMeasuresBetweenTwoClicksAndDrawsItsLine) {
  start();
  frame();
  EXPECT_FALSE(view_->ToggleMeasureTool(FreehandTool::LinearDistance));
  ASSERT_FALSE(host_->dialogs_.messages().empty());
  EXPECT_EQ(host_->dialogs_.messages().back(), kMeasureFirstMessage);
  ASSERT_TRUE(view_->AutoMeasure());
  EXPECT_TRUE(view_->measurementSheet);
  view_->measurementSheet = false;  // keep the sheet out of the pixels below
  ASSERT_TRUE(view_->ToggleMeasureTool(FreehandTool::LinearDistance));
  const int x0 = kSize / 2 - 4, y0 = kSize / 2 - 25, x1 = kSize / 2 + 4, y1 = kSize / 2 + 30;
  view_->onLeftDown(x0, y0, {});
  view_->onLeftUp(x0, y0, {});
  frame();
  view_->onLeftDown(x1, y1, {});
  view_->onLeftUp(x1, y1, {});
  const testing::Frame f = frame();
  const auto value = view_->freehand.activeValue();
  ASSERT_TRUE(value);
  const auto a = view_->freehand.points[0], b = view_->freehand.points[1];
  const float expected =
      std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z)) /
      view_->avatar().unitScale();
  EXPECT_NEAR(*value, expected, 1e-3f);
  EXPECT_GT(*value, 3);
  // The line between the two points, in the accent colour, halfway between them.
  int accent = 0;
  const int mx = kSize / 2, my = kSize - (y0 + y1) / 2;
  for (int y = my - 3; y <= my + 3; ++y)
    for (int x = mx - 3; x <= mx + 3; ++x) {
      const auto c = f.at(x, y);
      if (c[0] > 150 && c[1] < 120 && c[2] < 110) ++accent;
    }
  EXPECT_GT(accent, 0);
  // A left drag while a tool is on leaves the body still; the right button
  // still turns it.
  view_->onLeftDown(x0, y0, {});
  view_->onMouseMove(x0 + 40, y0, {true, false}, {});
  view_->onLeftUp(x0 + 40, y0, {});
  EXPECT_EQ(view_->camera, kDefaultCamera);
  view_->onRightDown(x0, y0);
  view_->onMouseMove(x0 + 40, y0, {false, true}, {});
  EXPECT_NE(view_->camera, kDefaultCamera);
}

}  // namespace
}  // namespace vestora
