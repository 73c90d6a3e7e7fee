// The view's dispatch of wardrobe entries on the generated content:
// garments, fabrics, accessories and bodies, and the refusals.
#include <algorithm>
#include <cstdlib>

#include <gtest/gtest.h>

#include "cloth/try_on.h"
#include "platform/data_path.h"
#include "view/view_test_support.h"

namespace vestora {
namespace {

using testing::ViewFixture;

class WardrobeViewTest : public ViewFixture {
 protected:
  std::string entry(const char* relative) { return dataPath(root_.path(), relative); }
  std::vector<std::string> messages() { return host_->dialogs_.messages(); }
  // Pixels that differ by more than a little between two frames.
  static int changed(const testing::Frame& a, const testing::Frame& b) {
    int n = 0;
    for (std::size_t i = 0; i + 2 < a.rgb.size() && i + 2 < b.rgb.size(); i += 3)
      n += std::abs(a.rgb[i] - b.rgb[i]) + std::abs(a.rgb[i + 1] - b.rgb[i + 1]) +
               std::abs(a.rgb[i + 2] - b.rgb[i + 2]) >
           30;
    return n;
  }
};

TEST_F(WardrobeViewTest, AGarmentGoesOnAndAFabricChangesItsLook) {
  start();
  // A fabric without a garment does nothing.
  ASSERT_TRUE(view_->ActivateEntry(entry("\\pattern\\texture\\Silk.jpg")));
  EXPECT_TRUE(view_->tryOn().garment().particles.empty());

  ASSERT_TRUE(view_->ActivateEntry(entry("\\pattern\\Dress.pop.bmp")));
  ASSERT_FALSE(view_->tryOn().garment().particles.empty());
  EXPECT_EQ(view_->lastGarmentEntry, entry("\\pattern\\Dress.pop.bmp"));
  const auto dressed = frame();
  ASSERT_TRUE(view_->ActivateEntry(entry("\\pattern\\texture\\Gingham.jpg")));
  const auto gingham = frame();
  EXPECT_GT(changed(dressed, gingham), 200) << "the dress shows the new fabric";
  EXPECT_TRUE(messages().empty());
}

TEST_F(WardrobeViewTest, PuttingOnShowsProgressAndSoundsTakingOffSoundsToo) {
  start();
  // The top (a pattern mesh without seams) asks whether to drape it:
  // Yes puts it into simulation.
  host_->dialogs_.answerYesNo(true);
  ASSERT_TRUE(view_->ActivateEntry(entry("\\pattern\\Top.msh.bmp")));
  ASSERT_FALSE(view_->tryOn().garment().particles.empty());
  ASSERT_FALSE(host_->progress.empty());
  EXPECT_GT(*std::max_element(host_->progress.begin(), host_->progress.end()), 100);
  EXPECT_TRUE(std::is_sorted(host_->progress.begin(), host_->progress.end() - 1))
      << "the bar only moves forward";
  EXPECT_EQ(host_->progress.back(), 0) << "and is emptied when done";
  EXPECT_EQ(host_->sounds, std::vector<std::string>{"\\data\\avator.wav"});

  view_->tryOn().removeWorn();
  EXPECT_EQ(host_->sounds.back(), "\\data\\recycle.wav");
  // Nothing worn, nothing to hear; and no sound at all with effects off.
  const std::size_t heard = host_->sounds.size();
  view_->tryOn().removeWorn();
  host_->effects = false;
  host_->dialogs_.answerYesNo(true);
  ASSERT_TRUE(view_->ActivateEntry(entry("\\pattern\\Top.msh.bmp")));
  view_->tryOn().takeOff();
  EXPECT_EQ(host_->sounds.size(), heard);
}

TEST_F(WardrobeViewTest, BodiesAndPosesComeFromTheirThumbnails) {
  start();
  ASSERT_TRUE(view_->ActivateEntry(entry("\\model\\Girl.bmp")));
  EXPECT_EQ(view_->avatar().modelName(), "Girl");
  ASSERT_TRUE(view_->accessories().hair) << "she comes with her hair";
  // A fitted garment does not fit the girl: said, and nothing changes.
  const auto refused = view_->ActivateEntry(entry("\\pattern\\Dress.pop.bmp"));
  ASSERT_FALSE(refused);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages().back(), kGarmentUnfitMessage);
  EXPECT_TRUE(view_->tryOn().garment().particles.empty());

  ASSERT_TRUE(view_->ActivateEntry(entry("\\model\\Male.bmp")));
  EXPECT_EQ(view_->avatar().modelName(), "man");
  ASSERT_TRUE(view_->ActivateEntry(entry("\\model\\Pose1.bmp")));
  EXPECT_EQ(view_->avatar().modelName(), "woman");
  EXPECT_TRUE(view_->avatar().bagPose);
}

TEST_F(WardrobeViewTest, AccessoriesAreWornOrRefusedWithTheirReason) {
  start();
  ASSERT_TRUE(view_->ActivateEntry(entry("\\model\\Clothing\\glasses\\blackframe.gls.bmp")));
  EXPECT_TRUE(view_->accessories().wornItem);
  ASSERT_TRUE(view_->ActivateEntry(entry("\\model\\Clothing\\Hair\\LongHair.hir.bmp")));
  EXPECT_EQ(view_->accessories().hair.name, "LongHair");
  EXPECT_FALSE(view_->ActivateEntry(entry("\\model\\Clothing\\glasses\\ManShoe.jpg.bmp")));
  EXPECT_FALSE(view_->ActivateEntry(entry("\\model\\Clothing\\glasses\\Bag.jpg.bmp")));
  EXPECT_EQ(messages(), (std::vector<std::string>{kMenOnlyRefusal, kBagPoseRefusal}));
  EXPECT_FALSE(view_->accessories().shoe);
  EXPECT_FALSE(view_->accessories().bag);
  // A name that matches nothing does nothing.
  EXPECT_TRUE(view_->ActivateEntry(entry("\\model\\Unknown.bmp")));
  EXPECT_EQ(messages().size(), 2u);
}

}  // namespace
}  // namespace vestora
