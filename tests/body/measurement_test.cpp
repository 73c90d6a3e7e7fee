// The full automatic measurement against the dimensions the content
// generator built the bodies to, within the ISO 20685-1 allowable errors.
#include "body/measurement.h"

#include <gtest/gtest.h>

#include "body/body_fixture.h"
#include "platform/user_dialogs.h"
#include "test_support.h"

namespace vestora {
namespace {

// Allowable errors (cm): 9 mm for large girths, 4 mm for heights, breadths
// and small girths, 5 mm for lengths.
struct Check {
  const char* manifest;
  int result;  // MeasureIndex or ExtraMeasure, or -1 height, -2 shoulder breadth, -3 inseam
  double tolerance;
};
constexpr Check kChecks[] = {
    {"bust", kChest, 0.9},       {"waist", kWaist, 0.9},
    {"abdomen", kAbdomen, 0.9},  {"hip", kHip, 0.9},
    {"thigh", kUpperThigh, 0.9}, {"midThigh", kMidThigh, 0.9},
    {"knee", kKnee, 0.4},        {"calf", kCalf, 0.4},
    {"ankle", kAnkle, 0.4},      {"wrist", kWrist, 0.4},
    {"height", -1, 0.4},         {"shoulderBreadth", -2, 0.4},
    {"inseam", -3, 0.5},         {"underBust", kUnderBustResult, 0.9},
};

double resultFor(const MeasureResults& r, int which) {
  if (which == -1) return r.heightCm;
  if (which == -2) return r.shoulderWidthCm;
  if (which == -3) return r.inseamCm;
  if (which == kUnderBustResult) return r.underBustCm;
  return r.value[which];
}

void expectMatches(const MeasureResults& r, const nlohmann::json& dims, const std::string& what) {
  for (const Check& c : kChecks) {
    ASSERT_TRUE(dims.contains(c.manifest)) << c.manifest;
    EXPECT_NEAR(resultFor(r, c.result), dims[c.manifest].get<double>(), c.tolerance)
        << what << ": " << c.manifest;
  }
}

TEST(FullMeasurement, DefaultBodyMatchesItsIntendedDimensions) {
  testing::LoadedWoman w;
  BodyMeasurer measurer;
  ScriptedDialogs dialogs;
  ASSERT_TRUE(measurer.MeasureBody(w.avatar, &dialogs));
  EXPECT_TRUE(dialogs.transcript().empty());
  expectMatches(measurer.results(), testing::bodyManifest()["woman"]["dimensions"], "default body");
  // Results that have no manifest entry are still plausible adult female values.
  const auto& v = measurer.results().value;
  EXPECT_GT(v[kFrontCentre], 28);
  EXPECT_LT(v[kFrontCentre], 42);
  EXPECT_GT(v[kBackCentre], 34);
  EXPECT_LT(v[kBackCentre], 46);
  EXPECT_GT(v[kBustSpan], 14);
  EXPECT_LT(v[kBustSpan], 22);
  EXPECT_GT(v[kCrotchDepth], 20);
  EXPECT_LT(v[kCrotchDepth], 35);
  EXPECT_GT(v[kElbow], 19);
  EXPECT_LT(v[kElbow], 28);
  for (float x : v) EXPECT_GT(x, 0);
}

TEST(FullMeasurement, EveryHeightSetMatchesItsIntendedDimensions) {
  const auto sets = testing::bodyManifest()["woman"]["heightSets"];
  ASSERT_GE(sets.size(), 10u);
  for (const auto& set : sets) {
    testing::LoadedWoman w;
    BodyShaper shaper(w.avatar);
    const float key = set["key"].get<float>();
    EXPECT_EQ(shaper.SetBodyHeight(key), 1.0f);
    EXPECT_TRUE(shaper.warnings.empty());
    BodyMeasurer measurer;
    ASSERT_TRUE(measurer.MeasureBody(w.avatar, nullptr));
    expectMatches(measurer.results(), set["dimensions"], "height " + std::to_string(key));
  }
}

// The neck base girth lies in the leaning plane the neck region is shaped
// in: it follows the region's own measure, and it is fuller than the neck
// higher up.
TEST(FullMeasurement, TheNeckBaseGirthFollowsTheNeckRegion) {
  testing::LoadedWoman w;
  BodyShaper shaper(w.avatar);
  ASSERT_TRUE(shaper.LoadShapeRegions(kindResources("woman")->wholeBodyGroup).ok());
  ASSERT_TRUE(shaper.SelectShapeRegion(" NeckBase"));
  const float neck = testing::bodyManifest()["woman"]["dimensions"]["neck"].get<float>();
  float previous = 0;
  for (float amount : {-0.2f, 0.0f, 0.2f}) {
    const float region =
        *shaper.DeformRegion(" NeckBase", 0, 0, amount - shaper.amountOf(" NeckBase"));
    const float full = measureAvatar(w.avatar).neckBaseCm;
    EXPECT_NEAR(full, region, 0.5f) << amount;
    EXPECT_GT(full, neck + 1) << amount;
    EXPECT_GT(full, previous + 0.5f) << amount;
    previous = full;
  }
}

// Taking only some results gives each of them as the whole measurement does.
TEST(FullMeasurement, WantedResultsAreTheWholeMeasurementsOwn) {
  testing::LoadedWoman w;
  BodyShaper shaper(w.avatar);
  shaper.SetBodyWeight(128.0f);
  const MeasureResults all = measureAvatar(w.avatar);
  for (int k = 0; k < kMeasureCount; ++k) {
    MeasureWanted wanted;
    wanted.set(k);
    const MeasureResults one = measureAvatar(w.avatar, wanted);
    if (k < kUnderBustResult) {
      EXPECT_EQ(one.value[k], all.value[k]) << kMeasureLabels[k];
    } else {
      EXPECT_EQ(k == kUnderBustResult ? one.underBustCm : one.neckBaseCm,
                k == kUnderBustResult ? all.underBustCm : all.neckBaseCm);
    }
    EXPECT_EQ(one.heightCm, all.heightCm);
    EXPECT_EQ(one.shoulderWidthCm, all.shoulderWidthCm);
    EXPECT_EQ(one.inseamCm, all.inseamCm);
  }
  EXPECT_EQ(measureAvatar(w.avatar, MeasureWanted{}).value[kChest], 0.0f);  // not taken
  MeasureMarks marks, allMarks;
  measureAvatar(w.avatar, &allMarks);
  EXPECT_EQ(measureAvatar(w.avatar, MeasureWanted{}, &marks).value,
            all.value);  // marks need everything
  EXPECT_EQ(marks.neckBack.y, allMarks.neckBack.y);
}

TEST(FullMeasurement, OtherPosesAreRefusedWithTheMessage) {
  Avatar avatar(testing::bodyRoot());
  ASSERT_TRUE(avatar.selectAvatar(kAvatarTable[2]).ok());  // the walking pose
  BodyMeasurer measurer;
  ScriptedDialogs dialogs;
  EXPECT_FALSE(measurer.MeasureBody(avatar, &dialogs));
  EXPECT_EQ(dialogs.messages(), std::vector<std::string>{"请设定为标准站姿进行测量！"});
  EXPECT_FALSE(measurer.results().measured);
}

TEST(FullMeasurement, OtherKindsAreMeasuredByTheirOwnPoints) {
  for (const char* thumbnail : {"Male.bmp", "Girl.bmp", "James3.bmp"}) {
    Avatar avatar(testing::bodyRoot());
    ASSERT_TRUE(avatar.selectAvatar(*avatarEntryFor(thumbnail)).ok()) << thumbnail;
    const MeasureResults r = measureAvatar(avatar);
    ASSERT_TRUE(r.measured) << thumbnail;
    // Plausible for the kind: the chest wider than the waist is narrow, the
    // hip fuller than the thigh, the calf fuller than the ankle.
    EXPECT_GT(r.value[kChest], r.value[kUpperThigh]) << thumbnail;
    EXPECT_GT(r.value[kHip], r.value[kUpperThigh]) << thumbnail;
    EXPECT_GT(r.value[kCalf], r.value[kAnkle]) << thumbnail;
    EXPECT_GT(r.value[kKnee], r.value[kAnkle]) << thumbnail;
    EXPECT_GT(r.inseamCm, 0.35 * r.heightCm) << thumbnail;
    EXPECT_LT(r.inseamCm, 0.5 * r.heightCm) << thumbnail;
    EXPECT_LT(r.underBustCm, r.value[kChest]) << thumbnail;
    EXPECT_GT(r.underBustCm, r.value[kWaist] * 0.9f) << thumbnail;
    EXPECT_GT(r.neckBaseCm, r.value[kWrist]) << thumbnail;
    EXPECT_LT(r.neckBaseCm, r.value[kWaist] * 0.7f) << thumbnail;
  }
}

// "保存模型" then "打开模型": the reshaped body comes back as it was saved.
TEST(SavedBody, OpensAgainWithTheSameMeasurements) {
  testing::LoadedWoman woman;
  BodyShaper shaper(woman.avatar);
  ASSERT_TRUE(shaper.LoadShapeRegions(kindResources("woman")->wholeBodyGroup).ok());
  shaper.SetBodyHeight(182);
  shaper.SetBodyWeight(140);
  const MeasureResults saved = measureAvatar(woman.avatar);
  ASSERT_TRUE(saved.measured);

  testing::TempDir dir;
  const std::string file = dir.file("我的模型.c3d");
  const Result<void> written = woman.avatar.saveAvatar(file);
  ASSERT_TRUE(written.ok()) << written.error().message();
  Avatar reopened(testing::bodyRoot());
  const Result<void> read = reopened.loadAvatar(file);
  ASSERT_TRUE(read.ok()) << read.error().message();
  EXPECT_EQ(reopened.modelName(), "woman");
  const MeasureResults again = measureAvatar(reopened);
  ASSERT_TRUE(again.measured);
  // Within a millimetre: the file keeps the authored units, and the body
  // is centred again when it loads.
  EXPECT_NEAR(again.heightCm, saved.heightCm, 0.1);
  for (std::size_t i = 0; i < saved.value.size(); ++i)
    EXPECT_NEAR(again.value[i], saved.value[i], 0.1) << "measure " << i;
  // What was saved is the reshaped body, not the one loaded.
  const MeasureResults loaded = measureAvatar(testing::LoadedWoman().avatar);
  EXPECT_GT(std::abs(loaded.heightCm - saved.heightCm), 5.0);

  // Saving over the file replaces it; a folder that is not there fails and
  // leaves nothing behind.
  shaper.SetBodyHeight(160);
  ASSERT_TRUE(woman.avatar.saveAvatar(file).ok());
  Avatar replaced(testing::bodyRoot());
  ASSERT_TRUE(replaced.loadAvatar(file).ok());
  EXPECT_NEAR(measureAvatar(replaced).heightCm, measureAvatar(woman.avatar).heightCm, 0.1);
  const std::string nowhere = dir.file("missing/body.c3d");
  const Result<void> failed = woman.avatar.saveAvatar(nowhere);
  ASSERT_FALSE(failed.ok());
  EXPECT_NE(failed.error().message().find("missing"), std::string::npos)
      << failed.error().message();
  EXPECT_FALSE(std::filesystem::exists(nowhere));
}

}  // namespace
}  // namespace vestora
