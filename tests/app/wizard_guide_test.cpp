// Stepping through the guide's cards, the hold time and the blinking button.
#include "app/wizard_guide.h"

#include <gtest/gtest.h>

namespace vestora::app {
namespace {

TEST(WizardGuide, StepsThroughTheCardsAndStopsAtBothEnds) {
  WizardGuide guide;
  EXPECT_EQ(guide.previous(), std::nullopt) << "nothing before the first card";
  EXPECT_EQ(guide.next(), 530) << "the first next shows card 0";
  EXPECT_EQ(guide.previous(), std::nullopt) << "previous on card 0 does nothing";
  EXPECT_EQ(guide.page(), 0);
  int last = 0;
  for (int i = 1; i < 34; ++i) last = guide.next().value_or(-1);
  EXPECT_EQ(last, 611);
  EXPECT_EQ(guide.page(), 33);
  EXPECT_EQ(guide.next(), std::nullopt) << "next on card 33 does nothing";
  EXPECT_EQ(guide.page(), 33);
  EXPECT_EQ(guide.previous(), 610);
}

TEST(WizardGuide, SpeedBelowThreeSecondsOnlyFadesTheCards) {
  WizardGuide guide;
  EXPECT_EQ(guide.holdMilliseconds(), 3000);
  for (const int s : {1, 2}) {
    guide.setSeconds(s);
    EXPECT_TRUE(guide.fast());
    EXPECT_EQ(guide.holdMilliseconds(), 30);
  }
  for (const int s : {3, 5}) {
    guide.setSeconds(s);
    EXPECT_FALSE(guide.fast());
    EXPECT_EQ(guide.holdMilliseconds(), s * 1000);
  }
}

TEST(WizardGuide, SpeedButtonBlinksUntilTheGuideIsUsed) {
  WizardGuide guide;
  EXPECT_TRUE(guide.blinking());
  EXPECT_FALSE(guide.blinkTick()) << "even phase hides the button";
  EXPECT_TRUE(guide.blinkTick());
  EXPECT_FALSE(guide.blinkTick());
  guide.next();
  EXPECT_FALSE(guide.blinking());
}

}  // namespace
}  // namespace vestora::app
