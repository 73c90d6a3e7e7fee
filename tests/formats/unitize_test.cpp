#include <gtest/gtest.h>

#include "formats/model_loader.h"
#include "formats/model_ops.h"

namespace vestora {
namespace {

// A box-shaped point cloud: width w, height h, depth d, lowest corner at `low`.
GlmModel box(const std::string& name, float w, float h, float d, std::array<float, 3> low = {}) {
  GlmModel m;
  m.modelName = name;
  m.setVertexCount(8);
  for (std::uint32_t i = 0; i < 8; ++i) {
    m.vertex(i + 1)[0] = low[0] + ((i & 1) ? w : 0);
    m.vertex(i + 1)[1] = low[1] + ((i & 2) ? h : 0);
    m.vertex(i + 1)[2] = low[2] + ((i & 4) ? d : 0);
  }
  return m;
}

std::array<float, 3> extent(const GlmModel& m) {
  std::array<float, 3> dims{}, maximum{}, minimum{};
  glmDimensions(m, dims, maximum, minimum);
  return dims;
}

TEST(Unitize, FemaleBodyBecomesTenCentimetreUnitsCentredOnItsBox) {
  GlmModel m = box("woman", 60, 174.7332f, 30, {-20, 3, 5});
  ModelLoader loader;
  std::array<float, 3> centre{};
  const float scale = loader.glmUnitize(m, centre);
  EXPECT_FLOAT_EQ(scale, 0.1f);
  EXPECT_FLOAT_EQ(centre[0], 10.0f);
  EXPECT_FLOAT_EQ(centre[1], 3 + 174.7332f / 2);
  EXPECT_FLOAT_EQ(extent(m)[1], 17.47332f);
  // One eighth of the height: the avatar's head unit.
  EXPECT_NEAR(extent(m)[1] * 0.125f, 2.184f, 0.001f);
  std::array<float, 3> dims{}, maximum{}, minimum{};
  glmDimensions(m, dims, maximum, minimum);
  EXPECT_FLOAT_EQ(maximum[1], -minimum[1]);
}

TEST(Unitize, KindDecidesTheScale) {
  ModelLoader loader;
  std::array<float, 3> centre{};
  // A body wider than tall still gets ten-centimetre units from its height.
  GlmModel wide = box("Girl", 200, 100, 10);
  EXPECT_FLOAT_EQ(loader.glmUnitize(wide, centre), 0.05f);
  GlmModel man = box("man", 50, 180, 30);
  EXPECT_FLOAT_EQ(loader.glmUnitize(man, centre), 0.09765672683948652f);
  GlmModel pose = box("pose7", 50, 180, 30);
  EXPECT_FLOAT_EQ(loader.glmUnitize(pose, centre), 0.09765672683948652f);
  GlmModel other = box("chair", 2, 4, 8);
  EXPECT_FLOAT_EQ(loader.glmUnitize(other, centre), 0.125f);  // unit box: longest extent 1
  EXPECT_FLOAT_EQ(extent(other)[2], 1.0f);
}

TEST(Unitize, HeadAnchorRules) {
  struct Case {
    std::string name;
    int level;
    float height;
    std::array<float, 3> anchor;
  };
  const std::array<float, 3> untouched = {7, 7, 7};
  const std::vector<Case> cases = {
      {"woman", 2, 170, {0.0f, 0.72f, -0.34f}},
      {"woman", 1, 170, {1.0f, 0.28f, -0.34f}},
      {"woman", 2, 155.15881f, {2.0f, -0.22f, -0.34f}},  // the short body wins over its level
      {"woman", 3, 155.15881f, {1.0f, 0.28f, -0.34f}},   // unless the level is 3
      {"woman", -1, 170, untouched},
      {"man", 1, 170, {0, 0, 0}},
      {"Girl", 1, 120, {0, 0, 0}},
      {"lamp", 2, 155.15881f, untouched},
  };
  for (const Case& c : cases) {
    ModelLoader loader;
    loader.headAnchor = {7, 7, 7, 3, 4, 5, 6, 7, 8};
    loader.shapeLevel = c.level;
    GlmModel m = box(c.name, 40, c.height, 20);
    std::array<float, 3> centre{};
    loader.glmUnitize(m, centre);
    for (int k = 0; k < 3; ++k)
      EXPECT_FLOAT_EQ(loader.headAnchor[k], c.anchor[k]) << c.name << " level " << c.level;
    EXPECT_EQ(loader.headAnchor[3], 3.0f);  // the carried floats are never touched
  }
}

TEST(Unitize, GirlStandsWithHerLowestPointAtTheFloorLine) {
  GlmModel m = box("Girl", 30, 115, 20, {0, 50, 0});
  m.vertex(5)[1] = 49.0f;  // the lowest point
  ModelLoader loader;
  std::array<float, 3> centre{};
  loader.glmUnitize(m, centre);
  EXPECT_FLOAT_EQ(m.vertex(5)[1], -8.73666f);
}

TEST(Unitize, NormaliseSwitchKeepsVerticesButReturnsTheScale) {
  GlmModel m = box("woman", 40, 170, 20);
  const GlmModel before = m;
  ModelLoader loader;
  loader.normaliseSwitch = 1;
  std::array<float, 3> centre{};
  EXPECT_FLOAT_EQ(loader.glmUnitize(m, centre), 0.1f);
  EXPECT_TRUE(m == before);
}

TEST(Unitize, EmptyAndFlatModelsDoNotDivideByZero) {
  ModelLoader loader;
  std::array<float, 3> centre{};
  GlmModel empty;
  EXPECT_EQ(loader.glmUnitize(empty, centre), 1.0f);
  GlmModel point = box("chair", 0, 0, 0, {1, 2, 3});
  EXPECT_EQ(loader.glmUnitize(point, centre), 1.0f);
  EXPECT_EQ(point.vertex(1)[0], 0.0f);
}

}  // namespace
}  // namespace vestora
