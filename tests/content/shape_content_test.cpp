// The files that shape, skin and animate the generated bodies agree with the
// bodies: sizes, tables, skeleton, groups and regions; and the generator
// writes the same bytes every time.
#include <gtest/gtest.h>

#include <filesystem>
#include <numeric>

#include "content/content_fixture.h"
#include "content/content_root.h"
#include "content/generated.h"
#include "formats/shape_files.h"
#include "formats/skeleton_files.h"
#include "test_support.h"

namespace vestora {
namespace {

using testing::contentPath;
using testing::loadContentModel;

struct Female {
  testing::LoadedModel loaded = loadContentModel("\\model\\ChinaFemale\\nv_High.c3d");
  std::size_t vertices() const { return loaded.model ? loaded.model->vertexCount() : 0; }
};

// The normalised vertices of a model as the program's loader leaves them.
std::vector<float> unitized(const GlmModel& m) {
  GlmModel copy = m;
  ModelLoader loader;
  std::array<float, 3> centre{};
  loader.glmUnitize(copy, centre);
  return copy.vertices;
}

TEST(GeneratedShapeFiles, HeightTableCoversTheRangeAndEndsAtTheBodyItself) {
  Female f;
  ASSERT_TRUE(f.loaded.model);
  auto table = readShapeTable(contentPath("\\model\\ChinaFemale\\HeightPlot.plt"));
  ASSERT_TRUE(table.ok()) << table.error().message();
  // Every height from 155 to 174.733 has a record within 1 cm.
  for (float h = 155.0f; h <= 174.733f; h += 0.25f) {
    const ShapeTableRecord* r = nearestShapeRecord(table.value(), h);
    ASSERT_NE(r, nullptr);
    EXPECT_LE(std::abs(r->key - h), 1.0f) << h;
  }
  const ShapeTableRecord* top = nearestShapeRecord(table.value(), 174.733f);
  auto set = readVertexSet(contentPath(top->fileName), f.vertices());
  ASSERT_TRUE(set.ok()) << set.error().message();
  const auto body = unitized(*f.loaded.model);
  for (std::size_t i = 3; i < body.size(); ++i) ASSERT_NEAR(set.value()[i], body[i], 2e-4f) << i;
}

TEST(GeneratedShapeFiles, WeightTableNamesASetForEveryWeightTheEditorCanGive) {
  Female f;
  auto table = readShapeTable(contentPath("\\model\\ChinaFemale\\WeightPlot.plt"));
  ASSERT_TRUE(table.ok());
  // 80 to 155 jin at heights 155 to 200 cm, normalised to 164.931 cm.
  for (double key : {80 * 164.931 / 200, 111.5 * 164.931 / 174.7, 155 * 164.931 / 155}) {
    const ShapeTableRecord* r = nearestShapeRecord(table.value(), float(key));
    ASSERT_NE(r, nullptr) << key;
    EXPECT_LE(std::abs(r->key - key), 1.0) << key;
    auto set = readVertexSet(contentPath(r->fileName), f.vertices());
    EXPECT_TRUE(set.ok()) << r->fileName;
  }
}

TEST(GeneratedShapeFiles, PregnancyGrowsMonthByMonth) {
  Female f;
  double previous = -1;
  for (int month = 1; month <= 10; ++month) {
    auto offsets = readVertexSet(contentPath("\\model\\Pregnancy\\yunfu." + std::to_string(month) + ".bnm"),
                                 f.vertices());
    ASSERT_TRUE(offsets.ok()) << month;
    // The largest forward offset: the belly.
    double forward = 0;
    for (std::size_t v = 1; v < offsets.value().size() / 3; ++v) forward = std::max(forward, double(offsets.value()[3 * v + 2]));
    EXPECT_GT(forward, previous) << month;
    previous = forward;
    // Vertices far from the belly stay where they are once the built-in
    // lowering of 0.55 is taken off.
    EXPECT_NEAR(offsets.value()[3 * 1103 + 1] - 0.55f, 0.0f, 1e-3f) << "top of the head, month " << month;
  }
  EXPECT_GT(previous, 1.0);  // more than 10 cm forward in the last month
}

TEST(GeneratedShapeFiles, PoseOffsetsCarryTheStandardBodyIntoEachPose) {
  Female f;
  ASSERT_TRUE(f.loaded.model);
  const auto standard = unitized(*f.loaded.model);
  for (const char* pose : {"BagPose", "WalkPose", "StandPose"}) {
    auto posed = loadContentModel(std::string("\\model\\ChinaFemale\\nv_") + pose + ".c3d");
    ASSERT_TRUE(posed.model);
    const auto target = unitized(*posed.model);
    auto offsets = readVertexTriples(contentPath(std::string("\\model\\ChinaFemale\\nv_") + pose + ".dif"),
                                     f.vertices());
    ASSERT_TRUE(offsets.ok());
    ASSERT_EQ(offsets.value().count, f.vertices());
    for (std::size_t i = 0; i < offsets.value().values.size(); ++i)
      ASSERT_NEAR(standard[i + 3] + offsets.value().values[i], target[i + 3], 2e-5f) << pose << " " << i;
  }
}

TEST(GeneratedShapeFiles, ScaleFileHasATripleForEveryVertex) {
  Female f;
  auto scale = readVertexTriples(contentPath("\\model\\ChinaFemale\\scaleBodyHigh.dat"), f.vertices());
  ASSERT_TRUE(scale.ok());
  EXPECT_EQ(scale.value().count, f.vertices());
  EXPECT_FALSE(scale.value().extraIgnored);
}

TEST(GeneratedShapeFiles, SkeletonHas27LandmarksAndWeightsThatSumToOne) {
  for (const char* dar : {"\\model\\ChinaFemale\\WomanSkltn.dar", "\\model\\ChinaMale\\MaleSkltn.dar",
                          "\\model\\ChinaGirl\\GirlSkltn.dar"}) {
    SCOPED_TRACE(dar);
    auto landmarks = readLandmarkFile(contentPath(dar));
    ASSERT_TRUE(landmarks.ok());
    EXPECT_EQ(landmarks.value().pointsRead, 27);
    // Normalised space (10 cm units): the feet near the floor line at
    // -8.7, the head end more than a metre above them, the left leg at x > 0.
    EXPECT_LT(landmarks.value().position[10][1], -7.0f);
    EXPECT_GT(landmarks.value().position[16][1] - landmarks.value().position[10][1], 10.0f);
    EXPECT_GT(landmarks.value().position[1][0], 0.0f);
    EXPECT_LT(landmarks.value().position[2][0], 0.0f);

    const std::string body = std::string(dar).find("Female") != std::string::npos ? "\\model\\ChinaFemale\\nv_High.c3d"
                             : std::string(dar).find("Male") != std::string::npos ? "\\model\\ChinaMale\\Dayou.c3d"
                                                                                   : "\\model\\ChinaGirl\\Girl.c3d";
    auto model = loadContentModel(body);
    ASSERT_TRUE(model.model);
    const std::size_t n = model.model->vertexCount();
    auto text = readFileText(contentPath(weightFilePathFor(dar)));
    ASSERT_TRUE(text.ok());
    const SkinWeightFile weights = parseSkinWeights(text.value(), n);
    EXPECT_EQ(weights.jointsRead, 27);
    EXPECT_EQ(weights.linesIgnored, 0);
    for (std::size_t v = 0; v < n; ++v) {
      float sum = 0;
      for (int j = 1; j <= kSkinnedJoints; ++j) sum += weights.weights[j][v];
      ASSERT_NEAR(sum, 1.0f, 1e-4f) << "vertex " << v;
    }
  }
}

TEST(GeneratedShapeFiles, RegionFileHoldsTheThirteenRegions) {
  Female f;
  ModelLoader loader;
  std::int32_t tag = 0;
  auto regions = loader.glmReadOBJ(contentPath("\\model\\ChinaFemale\\WomanWholeGroup.grp"), tag);
  ASSERT_TRUE(regions.ok()) << regions.error().message();
  EXPECT_EQ(regions.value()->vertexCount(), f.vertices());
  for (const char* name : {" Chest", " ChestBase", " Waist", " WaistAbdomen", " HipBase", " Buttocks", " Inseam",
                           " Thigh", " Calf", " Knee", " NeckBase", " LeftCollar", " RightCollar"}) {
    const GlmGroup* g = glmFindGroup(*regions.value(), name);
    ASSERT_NE(g, nullptr) << name;
    EXPECT_GT(g->triangleCount(), 50u) << name;
  }
}

TEST(GeneratedShapeFiles, VertexGroupsAndAnimations) {
  Female f;
  const std::size_t n = f.vertices();
  for (const char* group : {"LeftThigh", "RightThigh", "LeftShin", "RightShin", "Chest", "LeftShoulder",
                            "RightShoulder", "LeftArm", "RightArm", "LeftForeArm", "RightForeArm"}) {
    auto g = readVertexGroup(contentPath(std::string("\\model\\ChinaFemale\\SK\\") + group + ".grp"));
    ASSERT_TRUE(g.ok()) << group;
    EXPECT_GT(g.value().indices.size(), 100u) << group;
    for (int i : g.value().indices) ASSERT_LT(static_cast<std::size_t>(i), n) << group;
  }
  auto breath = readAnimation(contentPath("\\model\\FemaleBehavior\\Breath\\nv_huxi.a"), n, 100);
  ASSERT_TRUE(breath.ok()) << breath.error().message();
  EXPECT_EQ(breath.value().declaredCount, 101);
  EXPECT_EQ(breath.value().frames.size(), 100u);
  auto blink = readAnimation(contentPath("\\model\\FemaleBehavior\\EyeBlink\\nv_zhayan.a"), n, 100);
  ASSERT_TRUE(blink.ok());
  EXPECT_EQ(blink.value().declaredCount, 11);
}

TEST(GeneratedContent, GeneratorWritesTheSameBytesEveryTime) {
  testing::TempDir dir;
  generate::ContentRoot again(dir.path().string());
  generate::Manifest manifest;
  generate::generateWoman(again, manifest);
  int compared = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path())) {
    if (!entry.is_regular_file()) continue;
    const auto relative = std::filesystem::relative(entry.path(), dir.path());
    const std::string built = testing::contentRoot() + "/" + relative.string();
    ASSERT_TRUE(std::filesystem::exists(built)) << relative;
    ASSERT_EQ(testing::readAll(entry.path().string()), testing::readAll(built)) << relative;
    ++compared;
  }
  EXPECT_GT(compared, 60);
}

}  // namespace
}  // namespace vestora
