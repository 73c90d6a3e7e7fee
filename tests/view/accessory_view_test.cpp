// Accessories in the view: drawn with their look, picked with the left
// press, following the body through reshaping and pose changes. The
// models are small test models written into the test's own root.
#include <cmath>
#include <filesystem>

#include <gtest/gtest.h>

#include "avatar/shipped_numbers.h"
#include "formats/model_ops.h"
#include "view/accessory_drawing.h"
#include "view/view_test_support.h"

namespace vestora {
namespace {

using testing::Colour;
using testing::makeSphere;
using testing::ViewFixture;

class AccessoryViewTest : public ViewFixture {
 protected:
  // A model file below "\model\Clothing\glasses" of the test's root.
  std::string writeModel(const std::string& file, GlmModel model) {
    namespace fs = std::filesystem;
    const fs::path clothing = fs::path(root_.path()) / "model" / "Clothing";
    if (fs::is_symlink(clothing)) root_.ownModelFolder("Clothing");
    const fs::path folder = clothing / "glasses";
    if (fs::is_symlink(folder)) fs::remove(folder);
    fs::create_directories(folder);
    ModelLoader writer;
    EXPECT_TRUE(writer.glmWriteC3D((folder / file).string(), model, 0));
    return "\\model\\Clothing\\glasses\\" + file;
  }
  // Glasses of one lens run: one flat sheet, as a lens is seen.
  GlmModel lensModel() {
    GlmModel m;
    m.modelName = "Glassess";
    m.setVertexCount(4);
    const float corners[4][3] = {{-1, -0.5f, 0}, {1, -0.5f, 0}, {1, 0.5f, 0}, {-1, 0.5f, 0}};
    for (std::uint32_t v = 1; v <= 4; ++v)
      for (int k = 0; k < 3; ++k) m.vertex(v)[k] = corners[v - 1][k];
    for (const auto& corners3 : {std::array<std::uint32_t, 3>{1, 2, 3}, {1, 3, 4}}) {
      GlmTriangle t;
      for (int k = 0; k < 3; ++k) t.vindices[k] = corners3[k];
      m.triangles.push_back(t);
    }
    m.materials.resize(1);
    m.materials[0].name = "lens";
    GlmGroup& g = glmAddGroup(m, " glasses");
    g.triangles = {0, 1};
    g.triangleCopies = m.triangles;
    g.runs = {{"lens", 0, 2}};
    return m;
  }
  // A shoe with enough vertices for its seat number.
  GlmModel shoeModel(const char* name) {
    GlmModel m = makeSphere(41, 40, 10.0f);
    EXPECT_GE(m.vertexCount(), std::uint32_t(shipped::kShoeSeatWomanShoe1));
    m.modelName = name;
    return m;
  }
  std::array<int, 2> onScreen(const std::array<float, 3>& p) {
    const auto w = projectModelPoint(view_->matrices(), {p[0], p[1], p[2]});
    EXPECT_TRUE(w);
    return {int(std::lround((*w)[0])), int(std::lround((*w)[1]))};
  }
  std::array<float, 3> bodyPoint(int vertex) {
    const SkinVertex& s = view_->avatar().skin[std::size_t(vertex) - 1];
    return {s.x, s.y, s.z};
  }
  std::array<float, 3> vertexAt(const GlmModel& m, int v) {
    return {m.vertex(std::uint32_t(v))[0], m.vertex(std::uint32_t(v))[1],
            m.vertex(std::uint32_t(v))[2]};
  }
};

TEST(LensColour, AWhiteLensIsAtMostAThirdOpaque) {
  AccessoryLook look;
  look.lens = {255, 255, 255};
  look.transparency = 0.8f;
  const auto c = lensColour(look);
  EXPECT_FLOAT_EQ(c[3], 0.3f);
  EXPECT_FLOAT_EQ(look.transparency, 0.3f);  // the stored value is lowered
  look.lens = {255, 0, 0};
  look.transparency = 0.5f;
  const auto red = lensColour(look);
  EXPECT_EQ(red, (std::array<float, 4>{1, 0, 0, 0.5f}));
}

TEST(RayHitsModel, HitsInFrontOnlyAndMissesBeside) {
  const GlmModel ball = makeSphere(8, 12);
  EXPECT_TRUE(rayHitsModel(ball, {0, 0, 5}, {0, 0, -1}));
  EXPECT_FALSE(rayHitsModel(ball, {3, 0, 5}, {0, 0, -1}));
  EXPECT_FALSE(rayHitsModel(ball, {0, 0, 5}, {0, 0, 1}));  // the ball is behind
  EXPECT_FALSE(rayHitsModel(GlmModel{}, {0, 0, 5}, {0, 0, -1}));
}

TEST_F(AccessoryViewTest, ARedLensHalfTransparentTintsTheFaceBehindIt) {
  start();
  Accessories& a = view_->accessories();
  ASSERT_TRUE(a.LoadWornItem(writeModel("lens.c3d", lensModel()), "blackframe"));
  a.removeHair();
  // In front of the face.
  a.TransformAccessory(a.wornItem, 0, 0, 1.5f, 1, {1, 0, 0}, 0, false);
  a.look.lens = {255, 0, 0};
  a.look.transparency = 0.0f;
  // Close to the face, from the front.
  view_->camera.elevation = 0;
  view_->camera.azimuth = 0;
  view_->camera.panY = -a.wornItem.pivot[1];
  view_->camera.distance = -12;
  const auto clear = frame();
  const auto [x, y] = onScreen(a.wornItem.pivot);
  ASSERT_TRUE(x > 0 && x < kSize && y > 0 && y < kSize);
  a.look.transparency = 0.5f;
  const auto tinted = frame();
  const Colour before = clear.at(x, y), after = tinted.at(x, y);
  // Half of the colour is the lens's (lit) red: green and blue halved, red
  // well above them.
  EXPECT_NEAR(after[1], before[1] / 2, 12) << testing::text(before) << testing::text(after);
  EXPECT_NEAR(after[2], before[2] / 2, 12);
  EXPECT_GT(after[0], after[1] + 40);
}

TEST_F(AccessoryViewTest, ALeftPressOnAnAccessorySelectsIt) {
  start();
  Accessories& a = view_->accessories();
  ASSERT_TRUE(a.LoadWornItem(writeModel("lens.c3d", lensModel()), "x"));
  ASSERT_TRUE(
      a.LoadSock(writeModel("sock.c3d", shoeModel("sock")), "\\model\\Clothing\\glasses\\s.jpg"));
  ASSERT_TRUE(a.selected(AccessoryEntry::Sock));
  frame();  // the camera the press is turned back through
  const auto [x, y] = onScreen(a.wornItem.pivot);
  view_->onLeftDown(x, kSize - y, {});
  view_->onLeftUp(x, kSize - y, {});
  frame();
  EXPECT_TRUE(a.selected(AccessoryEntry::WornItem));
  EXPECT_FALSE(a.selected(AccessoryEntry::Sock));
  // A press beside everything changes nothing.
  view_->onLeftDown(2, 2, {});
  view_->onLeftUp(2, 2, {});
  frame();
  EXPECT_TRUE(a.selected(AccessoryEntry::WornItem));
}

TEST_F(AccessoryViewTest, ShoesKeepTheirSeatThroughReshaping) {
  start();
  Accessories& a = view_->accessories();
  ASSERT_TRUE(a.LoadShoe(writeModel("shoe.c3d", shoeModel("womanshoe1")), "\\x\\shoe.jpg"));
  const auto rule = seatRule("womanshoe1");
  ASSERT_TRUE(rule);
  auto seatError = [&] {
    const auto body = bodyPoint(shipped::kWomanShoeSeat);
    const auto shoe = vertexAt(*a.shoe.model, rule->modelVertex);
    return std::hypot(shoe[0] - body[0] - rule->offset[0], shoe[1] - body[1] - rule->offset[1],
                      shoe[2] - body[2] - rule->offset[2]);
  };
  EXPECT_LT(seatError(), 1e-4f);
  const auto before = bodyPoint(shipped::kWomanShoeSeat);
  view_->shaper().SetBodyWeight(150);
  view_->shaper().SetBodyHeight(160);
  const auto after = bodyPoint(shipped::kWomanShoeSeat);
  ASSERT_GT(std::hypot(after[0] - before[0], after[1] - before[1], after[2] - before[2]), 0.01f);
  EXPECT_LT(seatError(), 1e-4f);
}

TEST_F(AccessoryViewTest, TheWalkingPoseTakesTheShoesOffAndRefusesNewOnes) {
  start();
  Accessories& a = view_->accessories();
  const std::string shoe = writeModel("shoe.c3d", shoeModel("womanshoe1"));
  ASSERT_TRUE(view_->selectPose("Pose1.bmp").ok());  // shoes are fine with the bag
  ASSERT_TRUE(a.LoadShoe(shoe, "\\x\\shoe.jpg"));
  ASSERT_TRUE(view_->selectPose("Walk.bmp").ok());
  EXPECT_FALSE(a.shoe);
  const auto refused = a.LoadShoe(shoe, "\\x\\shoe.jpg");
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error().what, kShoePoseRefusal);
  EXPECT_FALSE(a.shoe);
}

TEST_F(AccessoryViewTest, TheGlassesRideTheHeadToAnotherHeightAndPose) {
  start();
  Accessories& a = view_->accessories();
  ASSERT_TRUE(a.LoadWornItem(writeModel("lens.c3d", lensModel()), "x"));
  // Where the glasses sit relative to the forehead triangle.
  auto relative = [&] {
    const BodyTriangle& t = view_->avatar().triangles[shipped::kWomanHeadFrame];
    const auto c = vertexAt(*a.wornItem.model, 1);
    return std::array<float, 3>{c[0] - t.corner[0].x, c[1] - t.corner[0].y, c[2] - t.corner[0].z};
  };
  auto frameSize = [&] {
    const BodyTriangle& t = view_->avatar().triangles[shipped::kWomanHeadFrame];
    return std::hypot(t.corner[1].x - t.corner[0].x, t.corner[1].y - t.corner[0].y,
                      t.corner[1].z - t.corner[0].z);
  };
  const auto standing = relative();
  const float foreheadZ = view_->avatar().triangles[shipped::kWomanHeadFrame].corner[0].z;
  const float sizeBefore = frameSize();
  view_->shaper().SetBodyHeight(160);
  const auto shorter = relative();
  const float grow = frameSize() / sizeBefore;
  ASSERT_LT(grow, 0.99f);  // the head is smaller
  // The glasses keep their place on the smaller head, scaled with it.
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(shorter[k], standing[k] * grow, 0.01f);
  // Walking, the head is elsewhere and turned: the glasses stay as far
  // from the forehead (the shape comes along with the pose).
  view_->bodySettings.heightCm = 174.7f;
  view_->shaper().SetBodyHeight(174.7f);
  ASSERT_TRUE(view_->selectPose("Walk.bmp").ok());
  ASSERT_TRUE(a.wornItem);
  const auto walking = relative();
  EXPECT_NEAR(std::hypot(walking[0], walking[1], walking[2]),
              std::hypot(standing[0], standing[1], standing[2]), 0.01f);
  EXPECT_GT(std::abs(view_->avatar().triangles[shipped::kWomanHeadFrame].corner[0].z - foreheadZ),
            0.1f);
}

TEST_F(AccessoryViewTest, WhatThePageMovedStaysMovedThroughReshaping) {
  start();
  Accessories& a = view_->accessories();
  ASSERT_TRUE(a.LoadWornItem(writeModel("lens.c3d", lensModel()), "x"));
  const BodyTriangle& forehead = view_->avatar().triangles[shipped::kWomanHeadFrame];
  auto fromForehead = [&] {
    const auto c = vertexAt(*a.wornItem.model, 1);
    return std::array<float, 3>{c[0] - forehead.corner[0].x, c[1] - forehead.corner[0].y,
                                c[2] - forehead.corner[0].z};
  };
  // Reshaped once, so that the head has moved before the page moves them.
  view_->shaper().SetBodyHeight(165);
  const auto placed = fromForehead();
  ASSERT_TRUE(a.transformSelected(0, 0.3f, 0, 1, {0, 1, 0}, 0, false));
  const auto raised = fromForehead();
  EXPECT_NEAR(raised[1] - placed[1], 0.3f, 1e-4f);
  // Every further reshaping (or breath) starts from the raised glasses.
  view_->shaper().SetBodyHeight(165.5f);
  const auto again = fromForehead();
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(again[k], raised[k], 0.01f) << k;

  ASSERT_TRUE(a.LoadShoe(writeModel("shoe.c3d", shoeModel("womanshoe1")), "\\x\\shoe.jpg"));
  const auto rule = seatRule("womanshoe1");
  ASSERT_TRUE(rule);
  auto shoeFromSeat = [&] {
    const auto body = bodyPoint(shipped::kWomanShoeSeat);
    const auto shoe = vertexAt(*a.shoe.model, rule->modelVertex);
    return std::array<float, 3>{shoe[0] - body[0], shoe[1] - body[1], shoe[2] - body[2]};
  };
  ASSERT_TRUE(a.transformSelected(0.2f, 0, 0, 1, {0, 1, 0}, 0, false));
  const auto moved = shoeFromSeat();
  EXPECT_NEAR(moved[0], rule->offset[0] + 0.2f, 1e-4f);
  view_->shaper().SetBodyWeight(150);
  const auto after = shoeFromSeat();
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(after[k], moved[k], 1e-4f) << k;
}

TEST_F(AccessoryViewTest, AnotherKindOfBodyTakesOffWhatWasSeatedOnTheWoman) {
  start();
  Accessories& a = view_->accessories();
  ASSERT_TRUE(a.LoadWornItem(writeModel("lens.c3d", lensModel()), "x"));
  ASSERT_TRUE(a.LoadSock(writeModel("sock.c3d", shoeModel("sock")), "\\x\\s.jpg"));
  ASSERT_TRUE(view_->avatar().loadAvatar("\\model\\ChinaGirl\\Girl.c3d"));
  view_->afterBodyLoaded();
  EXPECT_FALSE(a.wornItem);
  EXPECT_FALSE(a.sock);
  EXPECT_TRUE(std::none_of(a.selection.begin(), a.selection.end(), [](bool s) { return s; }) ||
              a.selected(AccessoryEntry::Hair));
}

}  // namespace
}  // namespace vestora
