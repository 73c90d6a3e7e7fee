// The full automatic measurement against the dimensions the content
// generator built the bodies to, within the ISO 20685-1 allowable errors.
#include "body/measurement.h"

#include <gtest/gtest.h>

#include "body/body_fixture.h"
#include "platform/user_dialogs.h"

namespace vestora {
namespace {

// Allowable errors (cm): 9 mm for large girths, 4 mm for heights, breadths
// and small girths, 5 mm for lengths.
struct Check {
  const char* manifest;
  int result;  // MeasureIndex, or -1 height, -2 shoulder breadth, -3 inseam
  double tolerance;
};
constexpr Check kChecks[] = {
    {"bust", kChest, 0.9},      {"waist", kWaist, 0.9},  {"abdomen", kAbdomen, 0.9},
    {"hip", kHip, 0.9},         {"thigh", kUpperThigh, 0.9}, {"midThigh", kMidThigh, 0.9},
    {"knee", kKnee, 0.4},       {"calf", kCalf, 0.4},    {"ankle", kAnkle, 0.4},
    {"wrist", kWrist, 0.4},     {"height", -1, 0.4},     {"shoulderBreadth", -2, 0.4},
    {"inseam", -3, 0.5},
};

double resultFor(const MeasureResults& r, int which) {
  if (which == -1) return r.heightCm;
  if (which == -2) return r.shoulderWidthCm;
  if (which == -3) return r.inseamCm;
  return r.value[which];
}

void expectMatches(const MeasureResults& r, const nlohmann::json& dims, const std::string& what) {
  for (const Check& c : kChecks) {
    ASSERT_TRUE(dims.contains(c.manifest)) << c.manifest;
    EXPECT_NEAR(resultFor(r, c.result), dims[c.manifest].get<double>(), c.tolerance) << what << ": " << c.manifest;
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
  }
}

}  // namespace
}  // namespace vestora
