// Whole-body reshaping from the shape files and region shaping through the
// lattices, on the generated female body.
#include <cstring>
#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

#include "body/body_fixture.h"
#include "body/body_shaper.h"
#include "body/measurement.h"
#include "test_support.h"

namespace vestora {
namespace {

std::vector<float> vertices(const Avatar& a) {
  return a.model().vertices;
}

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
  EXPECT_NE(k, 1.0f);
  EXPECT_NEAR(k, 174.734f * 0.005722093920160768f, 1e-3f);
  EXPECT_NEAR(shaper.currentHeightCm(), 174.734f, 0.005f);  // no step between the two methods
  // Taller is the same body scaled, so every length grows by the same factor.
  const float k190 = shaper.SetBodyHeight(190.0f);
  EXPECT_NEAR(k190 / k, 190.0f / 174.734f, 1e-5f);
  // Below the shortest record the body is that record.
  shaper.SetBodyHeight(150.0f);
  EXPECT_NEAR(shaper.currentHeightCm(), 155.0f, 0.01f);
  EXPECT_TRUE(shaper.warnings.empty());
  // The floor stays where it was.
  EXPECT_NEAR(w.avatar.minimum[1], -8.7366f, 0.02f);
}

// The height between the fixed points of the head top and the sole, as the
// shaper and the full measurement take it, is the height asked for, between
// the table's records and above them.
TEST(GlobalShaping, EveryHeightIsExact) {
  testing::LoadedWoman w;
  BodyShaper shaper(w.avatar);
  for (float h = 155.0f; h <= 200.0f; h += 0.5f) {
    shaper.SetBodyHeight(h);
    EXPECT_NEAR(shaper.currentHeightCm(), h, 0.2f) << h;
    EXPECT_NEAR(measureAvatar(w.avatar, MeasureWanted{}).heightCm, h, 0.2f) << h;
  }
  EXPECT_TRUE(shaper.warnings.empty());
  // 160 lies halfway between the records for 159 and 161: a blend of the
  // two, not either of them.
  shaper.SetBodyHeight(160.0f);
  EXPECT_NEAR(shaper.currentHeightCm(), 160.0f, 0.005f);
  EXPECT_NEAR(measureAvatar(w.avatar).heightCm, 160.0f, 0.005f);

  Avatar girl(testing::bodyRoot());
  ASSERT_TRUE(girl.selectAvatar(*avatarEntryFor("Girl.bmp")).ok());
  BodyShaper girlShaper(girl);
  for (int step = 0; step <= 36; ++step) {
    const float h = 80.0f + 1.7f * step;
    EXPECT_EQ(girlShaper.SetBodyHeight(h), 1.0f);
    EXPECT_NEAR(girlShaper.currentHeightCm(), h, 0.2f) << h;
    // The girl's measurement finds her top and soles on the body (and costs
    // more): every ninth height.
    if (step % 9 == 4) {
      EXPECT_NEAR(measureAvatar(girl, MeasureWanted{}).heightCm, h, 0.2f) << h;
    }
  }
  girlShaper.SetBodyHeight(142.237f);
  EXPECT_NEAR(girlShaper.currentHeightCm(), 142.237f, 0.01f);
  EXPECT_TRUE(girlShaper.warnings.empty());
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
    spread = std::max(spread, std::abs(walking.model().vertices[3 * v + 2] -
                                       standard.model().vertices[3 * v + 2]));
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

TEST(GlobalShaping, AMissingOrShortRecordOfTheHeightTableLeavesTheShape) {
  testing::TempDir dir;
  const std::string from = testing::bodyRoot();
  for (const char* file :
       {"data/theme.wav", "model/ChinaFemale/nv_High.c3d", "model/ChinaFemale/HeightPlot.plt",
        "model/ChinaFemale/Height/H159.0.vts"}) {
    std::filesystem::create_directories((dir.path() / file).parent_path());
    std::filesystem::copy_file(from + "/" + file, dir.path() / file);
  }
  Avatar avatar(dir.path().string());
  ASSERT_TRUE(avatar.selectAvatar(kAvatarTable[0]).ok());
  const auto before = vertices(avatar);
  BodyShaper shaper(avatar);
  shaper.SetBodyHeight(160.0f);  // a blend of the records for 159 and 161; 161 is missing
  EXPECT_EQ(vertices(avatar), before);
  ASSERT_EQ(shaper.warnings.size(), 1u);
  EXPECT_NE(shaper.warnings[0].find("H161.0.vts"), std::string::npos) << shaper.warnings[0];
  // One vertex short of the body.
  const auto full = testing::readAll(from + "/model/ChinaFemale/Height/H161.0.vts");
  dir.write("model/ChinaFemale/Height/H161.0.vts", full.substr(0, full.size() - 12));
  shaper.SetBodyHeight(160.0f);
  EXPECT_EQ(vertices(avatar), before);
  EXPECT_EQ(shaper.warnings.size(), 2u);
  dir.write("model/ChinaFemale/Height/H161.0.vts", full);
  shaper.SetBodyHeight(160.0f);
  EXPECT_EQ(shaper.warnings.size(), 2u);
  EXPECT_NEAR(shaper.currentHeightCm(), 160.0f, 0.01f);
}

// A hash of every vertex position, bit for bit.
std::uint64_t shapeHash(const Avatar& a) {
  std::uint64_t h = 1469598103934665603ull;
  auto mix = [&](float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    h = (h ^ bits) * 1099511628211ull;
  };
  for (float f : a.model().vertices) mix(f);
  for (const SkinVertex& s : a.skin) mix(s.x), mix(s.y), mix(s.z);
  return h;
}

TEST(GlobalShaping, RestoringGivesTheLoadedBodyBack) {
  testing::LoadedWoman w;
  BodyShaper shaper(w.avatar);
  ASSERT_TRUE(shaper.LoadShapeRegions(kindResources("woman")->wholeBodyGroup).ok());
  const std::uint64_t loaded = shapeHash(w.avatar);
  const float loadedHeight = shaper.currentHeightCm();
  int notices = 0;
  w.avatar.onReshaped = [&] { ++notices; };
  shaper.SetBodyHeight(160.5f);
  shaper.SetBodyWeight(130.0f);
  shaper.SetPregnancyMonth(8.0f);
  ASSERT_TRUE(shaper.SelectShapeRegion(" Waist"));
  ASSERT_TRUE(shaper.DeformRegion(" Waist", 0, 0, 0.4f));
  shaper.SetBodyHeight(190.0f);
  ASSERT_TRUE(shaper.SelectShapeRegion(" Chest"));
  ASSERT_TRUE(shaper.DeformRegion(" Chest", 0, 0, -0.3f));
  ASSERT_NE(shapeHash(w.avatar), loaded);
  notices = 0;
  EXPECT_TRUE(shaper.RestoreLoadedShape());
  EXPECT_EQ(notices, 1);  // a worn garment refits
  EXPECT_EQ(shapeHash(w.avatar), loaded);
  EXPECT_EQ(shaper.currentHeightCm(), loadedHeight);
  EXPECT_EQ(w.avatar.restSkin.size(), w.avatar.skin.size());
  for (std::size_t i = 0; i < w.avatar.skin.size(); ++i)
    ASSERT_EQ(w.avatar.restSkin[i].y, w.avatar.skin[i].y);
  // The chest lattice and the amounts went with the shape.
  EXPECT_FALSE(shaper.DeformRegion(" Chest", 0, 0, 0.3f));
  EXPECT_EQ(shaper.amountOf(" Waist"), 0.0f);

  Avatar empty(testing::bodyRoot());
  BodyShaper nothing(empty);
  EXPECT_FALSE(nothing.RestoreLoadedShape());
}

struct ShapedWoman : testing::LoadedWoman {
  BodyShaper shaper{avatar};
  ShapedWoman() {
    EXPECT_TRUE(shaper.LoadShapeRegions(kindResources("woman")->wholeBodyGroup).ok());
  }
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

// A reshaped region meets the rest of the body without a step: across the
// edges between a region vertex and one outside it the two move no more
// apart than two neighbours inside the region do (the move eases out over
// the rings round the region instead of stopping at its border).
TEST(RegionShaping, TheBorderOfAShapedRegionHasNoStep) {
  for (const char* region : {" Chest", " Waist", " HipBase", " Thigh"}) {
    ShapedWoman w;
    ASSERT_TRUE(w.shaper.SelectShapeRegion(region)) << region;
    const auto before = vertices(w.avatar);
    ASSERT_TRUE(w.shaper.DeformRegion(region, 0, 0, 0.5f)) << region;
    const auto after = vertices(w.avatar);
    auto moved = [&](int record) {
      const std::size_t i = 3 * static_cast<std::size_t>(record + 1);
      return std::array<float, 3>{after[i] - before[i], after[i + 1] - before[i + 1],
                                  after[i + 2] - before[i + 2]};
    };
    const ShapeRegion* shaped = nullptr;
    for (const ShapeRegion& r : w.shaper.regions())
      if (r.name == region) shaped = &r;
    ASSERT_NE(shaped, nullptr);
    std::vector<std::uint8_t> inside(w.avatar.skin.size(), 0);
    for (int v : shaped->vertices) inside[static_cast<std::size_t>(v)] = 1;
    float largest = 0, step = 0, within = 0;
    for (std::size_t t = 0; t < w.avatar.triangleCount(); ++t) {
      const auto& v = w.avatar.triangles[t].vertex;
      for (int e = 0; e < 3; ++e) {
        const int a = v[e], b = v[(e + 1) % 3];
        const auto da = moved(a), db = moved(b);
        largest = std::max(largest, std::hypot(da[0], da[1], da[2]));
        const float apart = std::hypot(da[0] - db[0], da[1] - db[1], da[2] - db[2]);
        if (inside[a] != inside[b]) step = std::max(step, apart);
        if (inside[a] && inside[b]) within = std::max(within, apart);
      }
    }
    EXPECT_GT(largest, 0.02f) << region;
    EXPECT_LE(step, within) << region << ": the border steps by " << step
                            << ", neighbours inside by " << within;
    EXPECT_FALSE(shaped->skirt.empty()) << region;
  }
}

TEST(RegionShaping, GirthsGrowWithTheAmount) {
  for (const char* region :
       {" Chest", " ChestBase", " Waist", " WaistAbdomen", " HipBase", " Buttocks", " Thigh",
        " Calf", " Knee", " NeckBase", " Shoulder", " Inseam"}) {
    ShapedWoman w;
    ASSERT_TRUE(w.shaper.SelectShapeRegion(region)) << region;
    const float base = w.shaper.measureRegion(region).value_or(0);
    const float more = w.shaper.DeformRegion(region, 0, 0, 0.3f).value_or(0);
    EXPECT_GT(base, 0) << region;
    EXPECT_GT(more, base + 0.3f) << region;
  }
}

// Regression: a lattice built before a whole-body reshaping holds the
// earlier shape, and shaping through it wrote that shape back.
TEST(RegionShaping, WholeBodyReshapingDropsTheLattices) {
  const std::function<void(BodyShaper&)> reshapings[] = {
      [](BodyShaper& s) { s.SetBodyWeight(135.0f); },
      [](BodyShaper& s) { s.SetBodyHeight(165.0f); },
      [](BodyShaper& s) { s.SetPregnancyMonth(9.0f); },
      [](BodyShaper& s) { s.RestoreLoadedShape(); }};
  for (std::size_t i = 0; i < std::size(reshapings); ++i) {
    // The waist shaped, then the whole body reshaped, then the waist again.
    ShapedWoman w;
    ASSERT_TRUE(w.shaper.SelectShapeRegion(" Waist"));
    ASSERT_TRUE(w.shaper.DeformRegion(" Waist", 0, 0, 0.5f));
    reshapings[i](w.shaper);
    const auto reshaped = vertices(w.avatar);
    EXPECT_FALSE(w.shaper.DeformRegion(" Waist", 0, 0, 0.3f)) << i;
    EXPECT_EQ(vertices(w.avatar), reshaped) << i;
    EXPECT_EQ(w.shaper.amountOf(" Waist"), 0.0f) << i;
    ASSERT_TRUE(w.shaper.SelectShapeRegion(" Waist"));
    ASSERT_TRUE(w.shaper.DeformRegion(" Waist", 0, 0, 0.3f));
    EXPECT_FLOAT_EQ(w.shaper.amountOf(" Waist"), 0.3f) << i;
    // The same without the earlier waist gives the same body: the height
    // and the restore replace every position, and the weight replaces x and
    // z, the only ones the waist pattern moves. (The month adds to the
    // shaped body.)
    if (i == 2) continue;
    ShapedWoman fresh;
    reshapings[i](fresh.shaper);
    ASSERT_TRUE(fresh.shaper.SelectShapeRegion(" Waist"));
    ASSERT_TRUE(fresh.shaper.DeformRegion(" Waist", 0, 0, 0.3f));
    EXPECT_EQ(vertices(w.avatar), vertices(fresh.avatar)) << i;
  }
}

// Regression: a region that was not selected was measured where its
// vertices stood at the last whole-body reshaping, though the chest lattice
// had moved the under-bust since.
TEST(RegionShaping, ARegionIsMeasuredOnTheBodyAsItIs) {
  ShapedWoman w;
  const float before = w.shaper.measureRegion(" ChestBase").value();
  ASSERT_TRUE(w.shaper.SelectShapeRegion(" Chest"));
  ASSERT_TRUE(w.shaper.DeformRegion(" Chest", 0, 0, 1.2f));
  const float after = w.shaper.measureRegion(" ChestBase").value();
  EXPECT_GT(std::abs(after - before), 0.3f);
  ASSERT_TRUE(w.shaper.SelectShapeRegion(" ChestBase"));
  EXPECT_EQ(w.shaper.measureRegion(" ChestBase").value(), after);
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
constexpr Counterpart kCounterparts[] = {
    {" Chest", kChest}, {" Waist", kWaist},      {" WaistAbdomen", kAbdomen},
    {" HipBase", kHip}, {" Thigh", kUpperThigh}, {" Calf", kCalf},
    {" Knee", kKnee},   {" ChestBase", -1},      {" Buttocks", -1},
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
      EXPECT_NEAR(w.shaper.measureRegion(c.region).value(), target, 0.2f)
          << c.region << ": the body stays shaped";
      if (c.result < 0) continue;
      BodyMeasurer measurer;
      ASSERT_TRUE(measurer.MeasureBody(w.avatar, nullptr));
      EXPECT_NEAR(measurer.results().value[c.result], target, 0.9f)
          << c.region << " target " << target;
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
