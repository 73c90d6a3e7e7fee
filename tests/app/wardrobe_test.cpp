// The wardrobe without its window: the listing, the thumbnails and their cache, and deleting a
// garment.
#include "app/wardrobe.h"

#include <filesystem>
#include <limits>

#include <gtest/gtest.h>

#include "platform/data_path.h"
#include "test_support.h"

namespace vestora {
namespace {

using testing::TempDir;

TEST(WardrobeEntries, TheListingMatchesTheExtensionInEitherCaseAndSorts) {
  TempDir dir;
  for (const char* f : {"b.pop.bmp", "A.msh.BMP", "c.pop", "d.bmp.txt", "e.jpg"}) dir.write(f, "x");
  std::filesystem::create_directories(dir.path() / "folder.bmp");
  const auto listed = listEntries(dir.path().string(), "bmp");
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(std::filesystem::path(listed[0]).filename(), "A.msh.BMP");
  EXPECT_EQ(std::filesystem::path(listed[1]).filename(), "b.pop.bmp");
  EXPECT_EQ(listEntries(dir.path().string(), "jpg").size(), 1u);
  EXPECT_TRUE(listEntries(dir.file("missing"), "bmp").empty());
}

TEST(WardrobeCategories, EachTabHasItsFolderAndButtons) {
  EXPECT_STREQ(wardrobeCategory(WardrobeTab::Garments).folder, "\\pattern");
  EXPECT_STREQ(actionCaption(wardrobeCategory(WardrobeTab::Garments).actions[0]), "删除服装");
  EXPECT_EQ(wardrobeCategory(WardrobeTab::Garments).actions[1], WardrobeAction::None);
  const auto& models = wardrobeCategory(WardrobeTab::Models);
  EXPECT_STREQ(actionCaption(models.actions[2]), "显示模型");
  const auto& worn = wardrobeCategory(WardrobeTab::Accessories);
  EXPECT_STREQ(actionCaption(worn.actions[0]), "摘掉鞋子");
  EXPECT_STREQ(actionCaption(worn.actions[1]), "摘掉眼镜");
  EXPECT_STREQ(actionCaption(worn.actions[2]), "摘掉箱包");
}

// ---- thumbnails ------------------------------------------------------------

RgbPicture filled(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  RgbPicture p;
  p.width = width;
  p.height = height;
  for (int i = 0; i < width * height; ++i) p.rgb.insert(p.rgb.end(), {r, g, b});
  return p;
}

const std::uint8_t* at(const RgbPicture& p, int x, int y) {
  return &p.rgb[(std::size_t(y) * p.width + x) * 3];
}

TEST(WardrobeThumbnails, AWidePictureIsCentredWithWhiteAboveAndBelow) {
  const ThumbnailFit fit = fitThumbnail(172, 109);
  EXPECT_DOUBLE_EQ(fit.scale, 0.5);
  EXPECT_EQ(fit.width, 86);
  EXPECT_EQ(fit.height, 54);
  EXPECT_EQ(fit.x, 0);
  EXPECT_EQ(fit.y, 27);

  const RgbPicture t = makeThumbnail(filled(172, 109, 200, 30, 40));
  ASSERT_EQ(t.width, 86);
  ASSERT_EQ(t.height, 109);
  EXPECT_EQ(at(t, 43, 26)[0], 255);  // white above
  EXPECT_EQ(at(t, 43, 27)[1], 30);   // the picture's colour, unchanged by the filter
  EXPECT_EQ(at(t, 43, 80)[0], 200);
  EXPECT_EQ(at(t, 43, 81)[2], 255);  // white below
}

TEST(WardrobeThumbnails, ATallPictureIsCentredSideways) {
  const ThumbnailFit fit = fitThumbnail(100, 218);
  EXPECT_DOUBLE_EQ(fit.scale, 0.5);
  EXPECT_EQ(fit.height, 109);
  EXPECT_EQ(fit.x, 18);  // (86 − 50) / 2
  const ThumbnailFit same = fitThumbnail(172, 218);
  EXPECT_EQ(same.width, 86);
  EXPECT_EQ(same.height, 109);
  EXPECT_EQ(fitThumbnail(0, 10).width, 0);
}

TEST(WardrobeThumbnails, FineStripesAverageInsteadOfAliasing) {
  // One-pixel black and white stripes made four times smaller become grey,
  // not black or white bands.
  RgbPicture stripes = filled(344, 436, 0, 0, 0);
  for (int y = 0; y < 436; ++y)
    for (int x = 1; x < 344; x += 2)
      for (int c = 0; c < 3; ++c) stripes.rgb[(std::size_t(y) * 344 + x) * 3 + c] = 255;
  const RgbPicture t = makeThumbnail(stripes);
  for (int x = 2; x < 84; ++x) EXPECT_NEAR(at(t, x, 50)[0], 128, 12) << x;
  EXPECT_TRUE(makeThumbnail(RgbPicture{}).rgb.empty());
  RgbPicture short_ = filled(10, 10, 1, 2, 3);
  short_.rgb.resize(10);
  EXPECT_TRUE(makeThumbnail(short_).rgb.empty());
}

TEST(WardrobeThumbnails, TheCacheDecodesAFileOnceUntilItChanges) {
  TempDir dir;
  const std::string file = dir.write("a.bmp", "1234");
  int calls = 0;
  ThumbnailCache cache([&](const std::string&) {
    ++calls;
    return filled(20, 20, 9, 9, 9);
  });
  const auto first = cache.get(file);
  ASSERT_TRUE(first);
  EXPECT_EQ(cache.get(file), first);
  EXPECT_EQ(calls, 1);
  dir.write("a.bmp", "123456");  // another size
  EXPECT_NE(cache.get(file), first);
  EXPECT_EQ(calls, 2);
  EXPECT_FALSE(cache.get(dir.file("missing.bmp")));
  EXPECT_EQ(calls, 2);

  ThumbnailCache broken([](const std::string&) { return RgbPicture{}; });
  EXPECT_FALSE(broken.get(file));
}

TEST(WardrobeFit, TheFitLineGivesSignedEaseAndStretchInPercent) {
  EaseReport report;
  report.bust = 6.24f;
  report.waist = -1.06f;
  report.strain = {0.012f, 0.05f, 0.094f};
  EXPECT_EQ(fitSummaryText(report), "松量  胸 +6.2  腰 -1.1  臀 —  (cm)\n拉伸  一般 1%  最紧 9%");
  report.bust = -0.02f;  // lies on the body
  report.hip = std::numeric_limits<float>::quiet_NaN();
  report.strain.max = std::numeric_limits<float>::infinity();
  EXPECT_EQ(fitSummaryText(report), "松量  胸 +0.0  腰 -1.1  臀 —  (cm)\n拉伸  一般 1%  最紧 0%");
}

// ---- deleting a garment ------------------------------------------------------

class GarmentDeletionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* f :
         {"pattern/Coat.pop", "pattern/Coat.pop.bmp", "pattern/Coat00.jpg", "pattern/Coat01.jpg",
          "texture/Coat.jpg", "pattern/Dress.pop", "pattern/Dress.pop.bmp", "texture/Dress.jpg"})
      dir.write(f, "x");
  }
  bool there(const char* f) const { return std::filesystem::exists(dir.path() / f); }
  std::string root() const { return dir.path().string(); }
  TempDir dir;
};

// The fixture's folders serve the detail pictures too: Coat has both of its
// pictures, Dress none.
TEST_F(GarmentDeletionTest, DetailPicturesAreTheGarmentsOwnOrTheOneThatSaysThereAreNone) {
  const std::string sorry = dataPath(root(), "\\pattern\\Sorry.jpg");
  EXPECT_EQ(
      detailPictures(root(), dir.file("pattern/Coat.pop.bmp")),
      (std::vector<std::string>{dir.file("pattern/Coat00.jpg"), dir.file("pattern/Coat01.jpg")}));
  EXPECT_EQ(detailPictures(root(), dir.file("pattern/Dress.pop.bmp")),
            std::vector<std::string>{sorry});
  // One of the two is not enough.
  std::filesystem::remove(dir.path() / "pattern/Coat01.jpg");
  EXPECT_EQ(detailPictures(root(), dir.file("pattern/Coat.pop.bmp")),
            std::vector<std::string>{sorry});
  // No garment chosen yet, or an entry that is no garment.
  EXPECT_EQ(detailPictures(root(), ""), std::vector<std::string>{sorry});
  EXPECT_EQ(detailPictures(root(), dir.file("pattern/texture/Silk.jpg")),
            std::vector<std::string>{sorry});
  dir.write("pattern/.pop.bmp", "x");
  EXPECT_EQ(detailPictures(root(), dir.file("pattern/.pop.bmp")), std::vector<std::string>{sorry});
}

TEST_F(GarmentDeletionTest, TheGarmentsFilesAndItsThumbnailGoAndNothingElse) {
  const GarmentDeletion plan = planGarmentDeletion(root(), dir.file("pattern/Coat.pop.bmp"));
  ASSERT_TRUE(plan.garment);
  EXPECT_FALSE(plan.twoDGroup);
  ASSERT_EQ(plan.files.size(), 5u);
  EXPECT_EQ(plan.files.back(), dir.file("pattern/Coat.pop.bmp"));
  ASSERT_TRUE(deleteGarmentFiles(plan).ok());
  for (const char* f : {"pattern/Coat.pop", "pattern/Coat.pop.bmp", "pattern/Coat00.jpg",
                        "pattern/Coat01.jpg", "texture/Coat.jpg"})
    EXPECT_FALSE(there(f)) << f;
  for (const char* f : {"pattern/Dress.pop", "pattern/Dress.pop.bmp", "texture/Dress.jpg"})
    EXPECT_TRUE(there(f)) << f;
  // Missing detail pictures are no fault.
  ASSERT_TRUE(
      deleteGarmentFiles(planGarmentDeletion(root(), dir.file("pattern/Dress.pop.bmp"))).ok());
  EXPECT_FALSE(there("pattern/Dress.pop"));
}

TEST_F(GarmentDeletionTest, ProgramContentAndOtherNamesAreNeverDeleted) {
  dir.write("model/Female.bmp", "x");
  dir.write("model/Clothing/Hair/LongHair.hir.bmp", "x");
  dir.write("model/Coat.pop.bmp", "x");  // a garment's name outside the garment folder
  for (const char* f : {"model/Female.bmp", "model/Clothing/Hair/LongHair.hir.bmp",
                        "model/Coat.pop.bmp", "pattern/Coat.pop"}) {
    SCOPED_TRACE(f);
    const GarmentDeletion plan = planGarmentDeletion(root(), dir.file(f));
    EXPECT_FALSE(plan.garment);
    EXPECT_FALSE(deleteGarmentFiles(plan).ok());
    EXPECT_TRUE(there(f));
  }
}

TEST_F(GarmentDeletionTest, ATwoDGroupKeepsItsGarmentFiles) {
  dir.write("pattern/Set_2D.msh", "x");
  dir.write("pattern/Set_2D.msh.bmp", "x");
  const GarmentDeletion plan = planGarmentDeletion(root(), dir.file("pattern/Set_2D.msh.bmp"));
  ASSERT_TRUE(plan.garment);
  EXPECT_TRUE(plan.twoDGroup);
  ASSERT_TRUE(deleteGarmentFiles(plan).ok());
  EXPECT_TRUE(there("pattern/Set_2D.msh"));
  EXPECT_FALSE(there("pattern/Set_2D.msh.bmp"));
}

TEST_F(GarmentDeletionTest, AGarmentFileThatStaysKeepsTheEntryAndIsNamed) {
  // A folder where the garment's detail picture would be cannot be removed
  // as a file.
  std::filesystem::remove(dir.path() / "pattern/Coat00.jpg");
  std::filesystem::create_directories(dir.path() / "pattern/Coat00.jpg");
  dir.write("pattern/Coat00.jpg/inside", "x");
  const auto deleted =
      deleteGarmentFiles(planGarmentDeletion(root(), dir.file("pattern/Coat.pop.bmp")));
  ASSERT_FALSE(deleted.ok());
  EXPECT_NE(deleted.error().source.find("Coat00.jpg"), std::string::npos);
  EXPECT_TRUE(there("pattern/Coat.pop.bmp")) << "the entry stays";
}

}  // namespace
}  // namespace vestora
