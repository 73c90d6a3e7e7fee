// Whole-body reshaping from the shape files and region shaping through the
// lattices, on the generated female body.
#include "body/body_shaper.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "body/body_fixture.h"
#include "body/measurement.h"
#include "test_support.h"

namespace vestora {
namespace {

std::vector<float> vertices(const Avatar& a) { return a.model().vertices; }

float maxDifference(const std::vector<float>& a, const std::vector<float>& b) {
  float worst = 0;
  for (std::size_t i = 3; i < a.size(); ++i) worst = std::max(worst, std::abs(a[i] - b[i]));
  return worst;
}

TEST(GlobalShaping, HeightTableUpTo174733AndTheScaleFileAbove) {
  testing::LoadedWoman w;
  BodyShaper shaper(w.avatar);
  EXPECT_NEAR(shaper.currentHeightCm(), 174.733f, 0.01f);
  EXPECT_EQ(shaper.SetBodyHeight(174.733f), 1.0f);
  const float k = shaper.SetBodyHeight(174.734f);
  EXPECT_FLOAT_EQ(k, 174.734f * 0.005722093920160768f);
  EXPECT_NEAR(shaper.currentHeightCm(), 174.733f, 0.05f);  // no step between the two methods
  shaper.SetBodyHeight(190.0f);
  EXPECT_NEAR(shaper.currentHeightCm(), 190.0f * 0.005722093920160768f * 174.7332f, 0.05f);
  // 160 lies as near to the record for 159 as to that for 161: the earlier wins.
  shaper.SetBodyHeight(160.0f);
  EXPECT_NEAR(shaper.currentHeightCm(), 159.0f, 0.01f);
  EXPECT_TRUE(shaper.warnings.empty());
  // The floor stays where it was.
  EXPECT_NEAR(w.avatar.minimum[1], -8.7366f, 0.02f);
}

TEST(GlobalShaping, WeightAfterHeightKeepsEveryY) {
  testing::LoadedWoman w;
  BodyShaper shaper(w.avatar);
  shaper.SetBodyHeight(165.0f);
  const auto afterHeight = vertices(w.avatar);
  shaper.SetBodyWeight(140.0f);
  const auto afterWeight = vertices(w.avatar);
  ASSERT_TRUE(shaper.warnings.empty());
  float xzChange = 0;
  for (std::size_t v = 1; v < afterHeight.size() / 3; ++v) {
    ASSERT_EQ(afterWeight[3 * v + 1], afterHeight[3 * v + 1]) << "vertex " << v;
    xzChange = std::max(xzChange, std::abs(afterWeight[3 * v] - afterHeight[3 * v]));
  }
  EXPECT_GT(xzChange, 0.1f);  // a heavier body is wider
  BodyMeasurer heavy;
  ASSERT_TRUE(heavy.MeasureBody(w.avatar, nullptr));
  testing::LoadedWoman light;
  BodyShaper lightShaper(light.avatar);
  lightShaper.SetBodyHeight(165.0f);
  lightShaper.SetBodyWeight(90.0f);
  BodyMeasurer slim;
  ASSERT_TRUE(slim.MeasureBody(light.avatar, nullptr));
  EXPECT_GT(heavy.results().value[kWaist], slim.results().value[kWaist] + 8);
}

TEST(GlobalShaping, WeightInAnotherPoseAddsThePoseOffsets) {
  Avatar standard(testing::bodyRoot()), walking(testing::bodyRoot());
  ASSERT_TRUE(standard.selectAvatar(kAvatarTable[0]).ok());
  ASSERT_TRUE(walking.selectAvatar(kAvatarTable[2]).ok());
  BodyShaper a(standard), b(walking);
  a.SetBodyWeight(111.5f);
  b.SetBodyWeight(111.5f);
  ASSERT_TRUE(b.warnings.empty());
  // The walking body keeps its stride: its feet stay apart along z.
  float spread = 0;
  for (std::size_t v = 1; v < walking.model().vertices.size() / 3; ++v)
    spread = std::max(spread, std::abs(walking.model().vertices[3 * v + 2] - standard.model().vertices[3 * v + 2]));
  EXPECT_GT(spread, 1.0f);
}

TEST(GlobalShaping, PregnancyMonthIsTruncatedAndClamped) {
  auto bodyAfter = [](float month) {
    testing::LoadedWoman w;
    BodyShaper shaper(w.avatar);
    shaper.SetPregnancyMonth(month);
    EXPECT_TRUE(shaper.warnings.empty());
    return vertices(w.avatar);
  };
  EXPECT_EQ(bodyAfter(7.9f), bodyAfter(7.0f));
  EXPECT_EQ(bodyAfter(12.0f), bodyAfter(10.0f));
  EXPECT_EQ(bodyAfter(-2.0f), bodyAfter(1.0f));
  EXPECT_GT(maxDifference(bodyAfter(9.0f), bodyAfter(1.0f)), 0.5f);  // a belly
}

TEST(GlobalShaping, MissingShapeFilesLeaveTheShapeAndSaySo) {
  testing::TempDir dir;
  const std::string from = testing::bodyRoot();
  for (const char* file : {"data/theme.wav", "model/ChinaFemale/nv_High.c3d"}) {
    std::filesystem::create_directories((dir.path() / file).parent_path());
    std::filesystem::copy_file(from + "/" + file, dir.path() / file);
  }
  Avatar avatar(dir.path().string());
  ASSERT_TRUE(avatar.selectAvatar(kAvatarTable[0]).ok());
  EXPECT_FALSE(avatar.warnings.empty());  // groups and skeleton are missing
  const auto before = vertices(avatar);
  BodyShaper shaper(avatar);
  shaper.SetBodyHeight(160.0f);
  shaper.SetBodyHeight(190.0f);
  shaper.SetBodyWeight(130.0f);
  shaper.SetPregnancyMonth(8.0f);
  EXPECT_EQ(vertices(avatar), before);
  EXPECT_GE(shaper.warnings.size(), 4u);
  EXPECT_FALSE(shaper.LoadShapeRegions(kindResources("woman")->wholeBodyGroup).ok());
  EXPECT_FALSE(shaper.SelectShapeRegion(" Waist"));
}

struct ShapedWoman : testing::LoadedWoman {
  BodyShaper shaper{avatar};
  ShapedWoman() { EXPECT_TRUE(shaper.LoadShapeRegions(kindResources("woman")->wholeBodyGroup).ok()); }
};

TEST(RegionShaping, PlusThenMinusOnOneLatticeRestoresTheBody) {
  for (const char* region : {" Chest", " Waist", " Thigh", " Shoulder", " Inseam"}) {
    ShapedWoman w;
    const auto before = vertices(w.avatar);
    ASSERT_TRUE(w.shaper.SelectShapeRegion(region)) << region;
    ASSERT_TRUE(w.shaper.DeformRegion(region, 0, 0, 0.0f)) << region;
    EXPECT_EQ(vertices(w.avatar), before) << region << ": an untouched lattice changes nothing";
    ASSERT_TRUE(w.shaper.DeformRegion(region, 0, 0, 0.6f));
    EXPECT_GT(maxDifference(vertices(w.avatar), before), 0.05f) << region;
    ASSERT_TRUE(w.shaper.DeformRegion(region, 0, 0, -0.6f));
    EXPECT_LT(maxDifference(vertices(w.avatar), before), 1e-4f) << region;
  }
}

TEST(RegionShaping, GirthsGrowWithTheAmount) {
  for (const char* region : {" Chest", " ChestBase", " Waist", " WaistAbdomen", " HipBase", " Buttocks", " Thigh",
                             " Calf", " Knee", " NeckBase", " Shoulder", " Inseam"}) {
    ShapedWoman w;
    ASSERT_TRUE(w.shaper.SelectShapeRegion(region)) << region;
    const float base = w.shaper.measureRegion(region).value_or(0);
    const float more = w.shaper.DeformRegion(region, 0, 0, 0.3f).value_or(0);
    EXPECT_GT(base, 0) << region;
    EXPECT_GT(more, base + 0.3f) << region;
  }
}

TEST(RegionShaping, UnselectedRegionIsNotShaped) {
  ShapedWoman w;
  EXPECT_FALSE(w.shaper.DeformRegion(" Waist", 0, 0, 0.3f).has_value());
  EXPECT_FALSE(w.shaper.SelectShapeRegion(" Nowhere"));
}

// Regions whose measurement the full measurement also takes.
struct Counterpart {
  const char* region;
  int result;
};
constexpr Counterpart kCounterparts[] = {{" Chest", kChest},      {" Waist", kWaist},        {" WaistAbdomen", kAbdomen},
                                         {" HipBase", kHip},      {" Thigh", kUpperThigh},   {" Calf", kCalf},
                                         {" Knee", kKnee},        {" ChestBase", -1},        {" Buttocks", -1},
                                         {" NeckBase", -1}};

TEST(RegionShaping, SolvingForAMeasureLandsWithinTwoMillimetres) {
  for (const Counterpart& c : kCounterparts) {
    // The reach of the region: its measurements at the slider's two ends.
    ShapedWoman probe;
    const auto range = probe.shaper.SolveRegionToMeasure(c.region, -1e6f);
    ASSERT_FALSE(range.reached);
    ASSERT_LT(range.lowest, range.highest) << c.region;
    for (float fraction : {0.15f, 0.5f, 0.85f}) {
      ShapedWoman w;
      ASSERT_TRUE(w.shaper.SelectShapeRegion(c.region));
      const float target = range.lowest + fraction * (range.highest - range.lowest);
      const auto solved = w.shaper.SolveRegionToMeasure(c.region, target);
      ASSERT_TRUE(solved.reached) << c.region << " " << target << ": " << solved.message;
      EXPECT_NEAR(solved.value, target, 0.2f) << c.region;
      EXPECT_LE(solved.evaluations, 12) << c.region;
      EXPECT_NEAR(w.shaper.measureRegion(c.region).value(), target, 0.2f) << c.region << ": the body stays shaped";
      if (c.result < 0) continue;
      BodyMeasurer measurer;
      ASSERT_TRUE(measurer.MeasureBody(w.avatar, nullptr));
      EXPECT_NEAR(measurer.results().value[c.result], target, 0.9f) << c.region << " target " << target;
    }
  }
}

TEST(RegionShaping, UnreachableTargetIsReportedAndLeavesTheBodyAtTheNearerEnd) {
  ShapedWoman w;
  const auto solved = w.shaper.SolveRegionToMeasure(" Waist", 300.0f);
  EXPECT_FALSE(solved.reached);
  EXPECT_NE(solved.message.find("out of reach"), std::string::npos);
  EXPECT_NEAR(solved.amount, regionSlider(" Waist")->maximum(), 1e-4f);
}

}  // namespace
}  // namespace vestora
