// The body editing page's logic on the generated bodies: the fields with
// their clamping and the texts they give, the sliders that reshape the
// woman, the refusal for other bodies, and the reset.
#include "body/body_editor.h"

#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

#include "avatar/avatar_table.h"
#include "body/body_fixture.h"
#include "body/measurement.h"
#include "test_support.h"

namespace vestora {
namespace {

// A hash of every vertex position, bit for bit.
std::uint64_t shapeHash(const Avatar& a) {
  return testing::vertexHash(a.model());
}

int sliderOf(std::string_view dimension) {
  for (int i = 0; i < kBodySliderCount; ++i)
    if (kBodySliders[static_cast<std::size_t>(i)].dimension == dimension) return i;
  return -1;
}

struct Editing {
  testing::LoadedWoman w;
  BodyShaper shaper{w.avatar};
  ScriptedDialogs dialogs;
  BodySettings settings;
  BodyEditor editor{w.avatar, shaper, dialogs, settings};
  Editing() { EXPECT_TRUE(shaper.LoadShapeRegions(kindResources("woman")->wholeBodyGroup)); }
};

TEST(BodyFields, ClampingAndTheTextsTheyGive) {
  EXPECT_EQ(clampHeight(150), 155);
  EXPECT_EQ(clampHeight(210), 200);
  EXPECT_EQ(clampWeight(70), 80);
  EXPECT_EQ(clampWeight(160), 155);
  EXPECT_EQ(clampMonth(-2), 1);
  EXPECT_EQ(clampMonth(12), 10);
  EXPECT_EQ(clampMonth(0), 0);
  EXPECT_EQ(clampMonth(7.5f), 7.5f);
  EXPECT_FLOAT_EQ(clampChildHeight(150), 142.237f);

  // 160 cm, 100 斤: 19.5, standard; month 8 adds 19.34 × k.
  const float bmi = bodyMassIndex(100, 160);
  EXPECT_NEAR(bmi, 19.53125f, 1e-4f);
  EXPECT_EQ(bodyMassText(bmi), "体质指数BMI＝19.5(标准)");
  EXPECT_NEAR(pregnancyWeightGain(bmi, 8), 19.34f * 19.53125f * 0.054764512595837894f, 1e-4f);
  EXPECT_EQ(pregnancyWeightGain(bmi, 1), 0);
  EXPECT_EQ(pregnancyWeightGain(bmi, 0), 0);
  EXPECT_EQ(pregnancyWeightGain(bmi, 8.9f), pregnancyWeightGain(bmi, 8));

  EXPECT_STREQ(bodyMassBand(17.9f), "偏瘦");
  EXPECT_STREQ(bodyMassBand(18.0f), "标准");
  EXPECT_STREQ(bodyMassBand(24.0f), "标准");
  EXPECT_STREQ(bodyMassBand(24.1f), "过重");
  EXPECT_STREQ(bodyMassBand(27.0f), "过重");
  EXPECT_STREQ(bodyMassBand(27.1f), "肥胖");

  EXPECT_EQ(fieldText(174.7f), "174.7");
  EXPECT_EQ(fieldText(115.44f), "115.44");
  EXPECT_EQ(fieldText(0), "0");
  EXPECT_EQ(fieldText(142.237f), "142.237");
}

TEST(BodyFields, OnlyNumbersAreNumbers) {
  EXPECT_EQ(parseFieldNumber("160"), 160.0f);
  EXPECT_EQ(parseFieldNumber("  160.5 "), 160.5f);
  EXPECT_EQ(parseFieldNumber("+3"), 3.0f);
  EXPECT_EQ(parseFieldNumber("-2"), -2.0f);
  for (const char* bad :
       {"", "   ", "abc", "160cm", "1,5", "nan", "NaN", "inf", "-inf", "1e99", "--1", "+"})
    EXPECT_FALSE(parseFieldNumber(bad).has_value()) << bad;
}

TEST(BodyFields, ReturnAppliesHeightWeightMonthInOrderAndShowsTheIndex) {
  Editing e;
  e.editor.applyFields("150", "160", "12", "115.44");
  EXPECT_EQ(e.editor.heightText, "155");
  EXPECT_EQ(e.editor.weightText, "155");
  EXPECT_EQ(e.editor.monthText, "10");
  EXPECT_EQ(e.editor.bodyMassLabel, "体质指数BMI＝32.3(肥胖)");
  EXPECT_EQ(e.editor.pregnancyLabel, "孕妇总重＝203.8(斤)");
  EXPECT_EQ(e.settings.heightCm, 155);
  EXPECT_EQ(e.settings.weightJin, 155);
  EXPECT_EQ(e.settings.month, 10);
  EXPECT_TRUE(e.dialogs.transcript().empty());
  // The body is what the shaper gives for the three in the editor's order.
  const std::uint64_t edited = shapeHash(e.w.avatar);
  testing::LoadedWoman fresh;
  BodyShaper shaper(fresh.avatar);
  shaper.SetBodyHeight(155);
  shaper.SetBodyWeight(155);
  shaper.SetPregnancyMonth(10);
  EXPECT_EQ(shapeHash(fresh.avatar), edited);
}

TEST(BodyFields, TextThatIsNoNumberKeepsTheLastValueAndSaysSo) {
  Editing e;
  e.editor.applyFields("160", "100", "0", "115.44");
  const std::uint64_t shaped = shapeHash(e.w.avatar);
  e.editor.applyFields("abc", "nan", "0", "115.44");
  EXPECT_EQ(e.editor.heightText, "160");
  EXPECT_EQ(e.editor.weightText, "100");
  EXPECT_EQ(e.settings.heightCm, 160);
  EXPECT_EQ(e.settings.weightJin, 100);
  ASSERT_EQ(e.dialogs.messages().size(), 1u);
  EXPECT_NE(e.dialogs.messages()[0].find("abc"), std::string::npos);
  EXPECT_NE(e.dialogs.messages()[0].find("160"), std::string::npos);
  EXPECT_EQ(shapeHash(e.w.avatar), shaped) << "the kept values give the same body";
}

TEST(BodySliders, AStepShapesTheRegionAndShowsItsMeasure) {
  Editing e;
  const int chest = sliderOf(" Chest");
  ASSERT_GE(chest, 0);
  const std::uint64_t loaded = shapeHash(e.w.avatar);
  const double start = kBodySliders[static_cast<std::size_t>(chest)].initial;
  EXPECT_NEAR(sliderAmount(kBodySliders[static_cast<std::size_t>(chest)], start), 0.0f, 1e-5f);

  ASSERT_TRUE(e.editor.sliderMoved(chest, start + 60));
  EXPECT_NE(shapeHash(e.w.avatar), loaded);
  const std::string wider = e.editor.labels[static_cast<std::size_t>(chest)];
  ASSERT_FALSE(wider.empty());
  ASSERT_TRUE(e.editor.sliderMoved(chest, start + 20));
  const std::string narrower = e.editor.labels[static_cast<std::size_t>(chest)];
  EXPECT_GT(std::stof(wider), std::stof(narrower));
  EXPECT_EQ(e.editor.dimension(), " Chest");
  // Back at the start the amount is 0 again: the shape is the loaded one,
  // up to rounding in the lattice.
  ASSERT_TRUE(e.editor.sliderMoved(chest, start));
  EXPECT_NEAR(e.editor.previousAmount(chest), 0.0f, 1e-5f);
  float worst = 0;
  testing::LoadedWoman fresh;
  for (std::size_t i = 3; i < fresh.avatar.model().vertices.size(); ++i)
    worst = std::max(worst,
                     std::abs(fresh.avatar.model().vertices[i] - e.w.avatar.model().vertices[i]));
  EXPECT_LT(worst, 1e-4f);
}

TEST(BodySliders, AnotherDimensionResetsTheOtherSlidersButKeepsTheShape) {
  Editing e;
  const int chest = sliderOf(" Chest"), waist = sliderOf(" Waist");
  ASSERT_TRUE(e.editor.sliderMoved(chest, 150));
  const std::uint64_t shaped = shapeHash(e.w.avatar);
  e.editor.SelectDimension(" Waist", waist);
  EXPECT_EQ(e.editor.positions[static_cast<std::size_t>(chest)],
            kBodySliders[static_cast<std::size_t>(chest)].reset);
  EXPECT_EQ(shapeHash(e.w.avatar), shaped);
  // Moving the waist slider keeps the chest's step in the body.
  ASSERT_TRUE(e.editor.sliderMoved(waist, 40));
  EXPECT_EQ(e.editor.positions[static_cast<std::size_t>(waist)], 40);
  EXPECT_EQ(e.editor.positions[static_cast<std::size_t>(chest)],
            kBodySliders[static_cast<std::size_t>(chest)].reset);
  EXPECT_NE(shapeHash(e.w.avatar), shaped);
}

// After Return the body is built again from its whole-body settings: a
// slider step then acts on that body from the slider's reset position,
// not against the amount it had before.
TEST(BodySliders, AfterReturnAStepStartsFromTheNewBody) {
  Editing e;
  const int waist = sliderOf(" Waist");
  ASSERT_TRUE(e.editor.sliderMoved(waist, 200));
  e.editor.applyFields("165", "120", "0", "115.44");
  EXPECT_EQ(e.editor.positions[static_cast<std::size_t>(waist)],
            kBodySliders[static_cast<std::size_t>(waist)].reset);
  EXPECT_TRUE(e.editor.labels[static_cast<std::size_t>(waist)].empty());
  const float before = measureAvatar(e.w.avatar).value[kWaist];
  // One small step wider makes the waist wider, not narrower.
  ASSERT_TRUE(
      e.editor.sliderMoved(waist, kBodySliders[static_cast<std::size_t>(waist)].reset + 15));
  EXPECT_GT(measureAvatar(e.w.avatar).value[kWaist], before);
}

TEST(BodySliders, SlidersWithoutARegionShapeNothing) {
  Editing e;
  const std::uint64_t loaded = shapeHash(e.w.avatar);
  for (int i = 0; i < kBodySliderCount; ++i) {
    const BodySlider& s = kBodySliders[static_cast<std::size_t>(i)];
    if (!s.dimension.empty()) continue;
    ASSERT_TRUE(e.editor.sliderMoved(i, 77.6));
    EXPECT_EQ(e.editor.labels[static_cast<std::size_t>(i)],
              s.shows == SliderShows::Position ? "77" : "")
        << i;
  }
  EXPECT_EQ(shapeHash(e.w.avatar), loaded);
}

TEST(BodySliders, OtherBodiesRefuseOncePerDrag) {
  Avatar girl{testing::bodyRoot()};
  const AvatarEntry* entry = avatarEntryFor("Girl.bmp");
  ASSERT_NE(entry, nullptr);
  ASSERT_TRUE(girl.selectAvatar(*entry));
  BodyShaper shaper(girl);
  ScriptedDialogs dialogs;
  BodySettings settings;
  BodyEditor editor(girl, shaper, dialogs, settings);
  const std::uint64_t loaded = shapeHash(girl);
  const int chest = sliderOf(" Chest");
  const double before = editor.positions[static_cast<std::size_t>(chest)];
  EXPECT_FALSE(editor.sliderMoved(chest, 100));
  EXPECT_FALSE(editor.sliderMoved(chest, 110));
  EXPECT_FALSE(editor.sliderMoved(chest, 120));
  EXPECT_EQ(dialogs.messages(), std::vector<std::string>{kNoFineShapingMessage});
  EXPECT_EQ(editor.positions[static_cast<std::size_t>(chest)], before) << "the slider goes back";
  editor.sliderReleased(chest);
  EXPECT_FALSE(editor.sliderMoved(chest, 100));
  EXPECT_EQ(dialogs.messages().size(), 2u) << "the next drag says it again";
  EXPECT_EQ(shapeHash(girl), loaded);

  // Her height field works; the adult fields do not apply to her.
  editor.applyFields("160", "100", "3", "150");
  EXPECT_EQ(editor.childHeightText, "142.237");
  EXPECT_NEAR(shaper.currentHeightCm(), 142.237f, 0.2f);
}

TEST(BodyReset, BringsTheLoadedBodyBack) {
  Editing e;
  const std::uint64_t loaded = shapeHash(e.w.avatar);
  e.editor.applyFields("181", "140", "6", "115.44");
  ASSERT_TRUE(e.editor.sliderMoved(sliderOf(" HipBase"), 120));
  ASSERT_TRUE(e.editor.sliderMoved(sliderOf(" Shoulder"), 40));
  ASSERT_NE(shapeHash(e.w.avatar), loaded);
  int notices = 0;
  e.w.avatar.onReshaped = [&] { ++notices; };
  e.editor.reset();
  EXPECT_EQ(shapeHash(e.w.avatar), loaded);
  EXPECT_GE(notices, 1) << "a worn garment hears of the restored body";
  EXPECT_EQ(e.editor.heightText, "174.7");
  EXPECT_EQ(e.editor.weightText, "111.5");
  EXPECT_EQ(e.editor.monthText, "0");
  EXPECT_EQ(e.editor.bodyMassLabel, kInitialBodyMassText);
  for (int i = 0; i < kBodySliderCount; ++i) {
    EXPECT_EQ(e.editor.positions[static_cast<std::size_t>(i)],
              kBodySliders[static_cast<std::size_t>(i)].reset);
    EXPECT_TRUE(e.editor.labels[static_cast<std::size_t>(i)].empty());
  }
  EXPECT_EQ(e.settings.heightCm, BodySettings{}.heightCm);
}

}  // namespace
}  // namespace vestora
