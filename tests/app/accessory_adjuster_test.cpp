#include "app/accessory_adjuster.h"

#include <cmath>

#include <gtest/gtest.h>

#include "avatar/avatar.h"
#include "formats/model_ops.h"
#include "test_support.h"

namespace vestora {
namespace {

using testing::makeSphere;
using testing::TempDir;

std::array<float, 3> vertexAt(const GlmModel& m, std::uint32_t v) {
  return {m.vertex(v)[0], m.vertex(v)[1], m.vertex(v)[2]};
}

float distance(const std::array<float, 3>& a, const std::array<float, 3>& b) {
  return std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]);
}

class AdjusterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GlmModel glasses = makeSphere(8, 10);
    glasses.modelName = "Glassess";
    std::filesystem::create_directories(dir.path() / "g");
    ModelLoader writer;
    ASSERT_TRUE(writer.glmWriteC3D(dir.file("g/glasses.c3d"), glasses, 0));
    ASSERT_TRUE(accessories.LoadWornItem("\\g\\glasses.c3d", "blackframe"));
    adjuster.redraw = [this] { ++redraws; };
  }
  const GlmModel& glasses() { return *accessories.wornItem.model; }

  TempDir dir;
  Avatar avatar{dir.path().string()};
  Accessories accessories{avatar};
  AccessoryAdjuster::Lights lights{};
  AccessoryAdjuster adjuster{accessories, lights};
  int redraws = 0;
};

TEST_F(AdjusterTest, MovingThereAndBackMovesTheGlassesByTheSliderAndBack) {
  const auto start = vertexAt(glasses(), 3);
  adjuster.sliderMoved(kMoveX, 2);
  EXPECT_NEAR(vertexAt(glasses(), 3)[0] - start[0], 2.0f, 1e-5f);
  EXPECT_EQ(adjuster.labels[kMoveX], "2");
  adjuster.sliderMoved(kMoveX, 0);
  EXPECT_LT(distance(vertexAt(glasses(), 3), start), 1e-5f);
  EXPECT_GT(redraws, 0);
}

TEST_F(AdjusterTest, ScaleTwoDoublesTheDistancesFromThePivotAndOneBringsThemBack) {
  const auto pivot = accessories.wornItem.pivot;
  const float d = distance(vertexAt(glasses(), 9), pivot);
  adjuster.sliderMoved(kScaleX, 2);
  EXPECT_NEAR(distance(vertexAt(glasses(), 9), pivot), 2 * d, 1e-4f);
  adjuster.sliderMoved(kScaleX, 1);
  EXPECT_NEAR(distance(vertexAt(glasses(), 9), pivot), d, 1e-4f);
  // Down to 0 and up again: the way back from 0 leaves the size alone
  // instead of dividing by it.
  adjuster.sliderMoved(kScaleX, 0);
  adjuster.sliderMoved(kScaleX, 1.5f);
  for (float v : glasses().vertices) EXPECT_TRUE(std::isfinite(v));
}

TEST_F(AdjusterTest, UniformScaleTakesTheOtherTwoScalesAlong) {
  adjuster.toggleUniformScale();
  adjuster.sliderMoved(kScaleX, 1.4f);
  EXPECT_FLOAT_EQ(adjuster.values[kScaleY], 1.4f);
  EXPECT_FLOAT_EQ(adjuster.values[kScaleZ], 1.4f);
  EXPECT_EQ(adjuster.labels[kScaleZ], "1.4");
}

TEST_F(AdjusterTest, TheFirstTurnSliderAwayFromZeroKeepsTheTurn) {
  adjuster.sliderMoved(kTurnX, 30);
  const auto after30 = glasses().vertices;
  // turn x stays at 30, so moving turn y changes neither axis nor angle.
  adjuster.sliderMoved(kTurnY, 20);
  EXPECT_EQ(glasses().vertices, after30);
  EXPECT_FALSE(adjuster.turnPending);
}

TEST_F(AdjusterTest, TransparencyOnARedLensGivesThatAlpha) {
  accessories.look.lens = {255, 0, 0};
  adjuster.sliderMoved(kTransparencySlider, 0.5f);
  EXPECT_FLOAT_EQ(accessories.look.transparency, 0.5f);
  EXPECT_EQ(adjuster.labels[kTransparencySlider], "0.5");
}

TEST_F(AdjusterTest, TheLightButtonsMoveALightByFiftyTimesTheMoveSliders) {
  adjuster.sliderMoved(kMoveX, 1);  // the glasses move
  adjuster.toggleLightOne();
  EXPECT_TRUE(adjuster.lightOneMode);
  EXPECT_EQ(adjuster.values[kMoveX], 0.0f);  // the move sliders start again
  const auto glassesBefore = glasses().vertices;
  adjuster.sliderMoved(kMoveY, 2);
  EXPECT_EQ(lights[0], (std::array<float, 3>{0, 100, 0}));
  EXPECT_EQ(lights[1], (std::array<float, 3>{0, 0, 0}));
  // Any slider re-applies the offset of the move sliders.
  adjuster.sliderMoved(kScaleX, 1.5f);
  EXPECT_EQ(lights[0], (std::array<float, 3>{0, 100, 0}));
  EXPECT_EQ(glasses().vertices, glassesBefore);
  adjuster.sliderMoved(kScaleX, 1);
  adjuster.toggleLightTwo();
  adjuster.sliderMoved(kMoveZ, -1);
  EXPECT_EQ(lights[1], (std::array<float, 3>{0, 0, -50}));
  EXPECT_EQ(lights[0], (std::array<float, 3>{0, 0, 0}));
  // A second click on the light being moved gives the sliders back to the
  // glasses, which then move from where they are, without a jump.
  adjuster.toggleLightTwo();
  EXPECT_FALSE(adjuster.lightOneMode || adjuster.lightTwoMode);
  const auto start = vertexAt(glasses(), 3);
  adjuster.sliderMoved(kMoveX, 0.5f);
  EXPECT_NEAR(vertexAt(glasses(), 3)[0] - start[0], 0.5f, 1e-5f);
}

TEST_F(AdjusterTest, ResetPutsTheSlidersAndLightsBackButNotTheGlasses) {
  adjuster.sliderMoved(kMoveX, 3);
  adjuster.sliderMoved(kTransparencySlider, 0.6f);
  const auto moved = glasses().vertices;
  lights[0] = {10, 0, 0};
  adjuster.reset();
  EXPECT_EQ(adjuster.values[kMoveX], 0.0f);
  EXPECT_EQ(adjuster.labels[kMoveX], "0");
  EXPECT_EQ(adjuster.values[kScaleX], 1.0f);
  EXPECT_EQ(lights[0], (std::array<float, 3>{0, 0, 0}));
  EXPECT_EQ(glasses().vertices, moved);
  // The stored transparency and its label stay.
  EXPECT_FLOAT_EQ(accessories.look.transparency, 0.6f);
  EXPECT_EQ(adjuster.labels[kTransparencySlider], "0.6");
  // The previous move stayed 3: the next move applies the difference.
  const auto start = vertexAt(glasses(), 3);
  adjuster.sliderMoved(kMoveX, 1);
  EXPECT_NEAR(vertexAt(glasses(), 3)[0] - start[0], -2.0f, 1e-5f);
}

TEST_F(AdjusterTest, SliderValuesStayInTheirRanges) {
  adjuster.sliderMoved(kMoveX, 40);
  EXPECT_EQ(adjuster.values[kMoveX], 12.0f);
  adjuster.sliderMoved(kScaleY, -1);
  EXPECT_EQ(adjuster.values[kScaleY], 0.0f);
  adjuster.sliderMoved(kTurnZ, std::nanf(""));
  EXPECT_EQ(adjuster.values[kTurnZ], -180.0f);
  adjuster.sliderMoved(99, 1);  // no such slider: nothing
  EXPECT_EQ(sliderLabel(0.25f), "0.25");
  EXPECT_EQ(sliderLabel(-12), "-12");
}

}  // namespace
}  // namespace vestora
