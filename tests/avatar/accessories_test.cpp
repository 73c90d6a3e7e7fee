#include "avatar/accessories.h"

#include <cmath>

#include <gtest/gtest.h>

#include "avatar/avatar.h"
#include "formats/model_ops.h"
#include "test_support.h"

namespace vestora {
namespace {

using Frame = std::array<std::array<float, 3>, 3>;
using testing::makeSphere;
using testing::TempDir;

float distance(const std::array<float, 3>& a, const std::array<float, 3>& b) {
  return std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]);
}

std::array<float, 3> vertexAt(const GlmModel& m, std::uint32_t v) {
  return {m.vertex(v)[0], m.vertex(v)[1], m.vertex(v)[2]};
}

std::array<float, 3> boxCentre(const GlmModel& m) {
  std::array<float, 3> dims{}, maxi{}, mini{};
  glmDimensions(m, dims, maxi, mini);
  return {(maxi[0] + mini[0]) / 2, (maxi[1] + mini[1]) / 2, (maxi[2] + mini[2]) / 2};
}

// ---- the head's motion -----------------------------------------------------

TEST(HeadMotion, CarriesTheLoadedFrameOntoTheFrameNow) {
  const Frame loaded{{{0.1f, 8.1f, 0.7f}, {0.3f, 8.15f, 0.68f}, {0.15f, 8.3f, 0.6f}}};
  // The head turned 20° about y, grew by 10 % and moved.
  const float c = std::cos(0.349066f), s = std::sin(0.349066f);
  Frame now{};
  for (int k = 0; k < 3; ++k) {
    const auto& p = loaded[k];
    now[k] = {1.1f * (c * p[0] + s * p[2]) + 0.2f, 1.1f * p[1] - 0.5f,
              1.1f * (-s * p[0] + c * p[2]) + 0.05f};
  }
  const auto motion = headMotion(loaded, now);
  ASSERT_TRUE(motion);
  EXPECT_NEAR(motion->scale, 1.1f, 1e-4f);
  for (int k = 0; k < 3; ++k) EXPECT_LT(distance(motion->apply(loaded[k]), now[k]), 1e-4f);
  // A point off the frame (the back of the head) goes where the same
  // motion takes it.
  const std::array<float, 3> back{0.0f, 8.4f, -0.9f};
  const std::array<float, 3> expected{1.1f * (c * back[0] + s * back[2]) + 0.2f,
                                      1.1f * back[1] - 0.5f,
                                      1.1f * (-s * back[0] + c * back[2]) + 0.05f};
  EXPECT_LT(distance(motion->apply(back), expected), 1e-4f);
}

TEST(HeadMotion, LeavesEverythingWhereItIsWhenTheHeadStays) {
  const Frame frame{{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}};
  const auto motion = headMotion(frame, frame);
  ASSERT_TRUE(motion);
  EXPECT_LT(distance(motion->apply({3, -2, 5}), {3, -2, 5}), 1e-5f);
}

TEST(HeadMotion, RefusesADegenerateFrame) {
  const Frame good{{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}};
  const Frame line{{{0, 0, 0}, {1, 0, 0}, {2, 0, 0}}};
  EXPECT_FALSE(headMotion(line, good));
  EXPECT_FALSE(headMotion(good, line));
}

// ---- normalising and placing -----------------------------------------------

TEST(AccessoryPlacement, NormalisingFitsTheModelIntoItsCubeOverTheHead) {
  GlmModel m = makeSphere(8, 12, 3.0f);
  glmScaleX(m, 2.0f);
  glmTranslate(m, 40, -7, 12);
  const auto centre = normaliseAccessory(m);
  EXPECT_NEAR(centre[0], 0.0f, 1e-4f);
  EXPECT_NEAR(centre[1], 6.847f, 1e-4f);
  EXPECT_NEAR(centre[2], 0.3f, 1e-4f);
  std::array<float, 3> dims{}, maxi{}, mini{};
  glmDimensions(m, dims, maxi, mini);
  EXPECT_NEAR(std::max({dims[0], dims[1], dims[2]}), 1.76f, 1e-4f);
  EXPECT_NEAR(dims[0] / dims[1], 2.0f, 1e-3f);  // the proportions stay
}

TEST(AccessoryPlacement, AnEmptyOrFlatModelGivesNoNonsense) {
  GlmModel empty;
  EXPECT_EQ(normaliseAccessory(empty), (std::array<float, 3>{0, 0, 0}));
  GlmModel point = makeSphere(4, 4, 0.0f);  // every vertex at one point
  normaliseAccessory(point);
  for (float v : point.vertices) EXPECT_TRUE(std::isfinite(v));
  // Coordinates near the float range (a fuzzed model file found this): the
  // box's centre and size overflowed and every vertex became NaN.
  GlmModel huge = makeSphere(4, 6, 1.0e38f);
  for (std::size_t i = 3; i < huge.vertices.size(); ++i) huge.vertices[i] += 2.0e38f;
  const auto centre = normaliseAccessory(huge);
  for (float v : huge.vertices) ASSERT_TRUE(std::isfinite(v));
  for (float c : centre) EXPECT_TRUE(std::isfinite(c));
}

TEST(AccessoryPlacement, TheHairAnchorRaisesAndMovesTheWomansStyles) {
  GlmModel low = makeSphere(6, 8), high = makeSphere(6, 8);
  low.modelName = high.modelName = "MikiHair";
  normaliseAccessory(low);
  normaliseAccessory(high);
  ASSERT_TRUE(placeHairStyle(low, "woman", {1.0f, 0.28f, -0.34f}));
  ASSERT_TRUE(placeHairStyle(high, "woman", {0.0f, 0.72f, -0.2f}));
  const auto a = boxCentre(low), b = boxCentre(high);
  EXPECT_NEAR(b[1] - a[1], 0.44f, 1e-4f);
  EXPECT_NEAR(b[2] - a[2], 0.14f, 1e-4f);
  GlmModel other = makeSphere(6, 8);
  other.modelName = "Beret";
  EXPECT_FALSE(placeHairStyle(other, "woman", {1, 0.28f, -0.34f}));
}

TEST(AccessoryPlacement, ThePonyTailScalesUpwardFromTheFloorOnTheWoman) {
  GlmModel m = makeSphere(6, 8);
  m.modelName = "PonyTail";
  normaliseAccessory(m);
  ASSERT_TRUE(placeHairStyle(m, "woman", {1.0f, 0.28f, -0.34f}));
  // Scaled about the floor, the hair stays at head height (about 6.5)
  // instead of flying off to twice the head's height.
  EXPECT_NEAR(boxCentre(m)[1], 2.056432f * (6.847f + 8.8f) - 8.8f + 0.28f - 17.15f, 1e-3f);
  EXPECT_GT(boxCentre(m)[1], 5.0f);
  EXPECT_LT(boxCentre(m)[1], 8.0f);
}

TEST(AccessoryPlacement, TextureKindsFollowTheLastThreeLetters) {
  EXPECT_EQ(textureKindOf("a/b/nvshoe1.jpg"), TextureKind::Jpeg);
  EXPECT_EQ(textureKindOf("X.JPG"), TextureKind::Jpeg);
  EXPECT_EQ(textureKindOf("nvshoe2.tga"), TextureKind::Tga);
  EXPECT_EQ(textureKindOf("shoe.png"), TextureKind::None);
  EXPECT_EQ(textureKindOf("tg"), TextureKind::None);  // shorter than the test
  EXPECT_EQ(textureKindOf(""), TextureKind::None);
}

TEST(AccessoryPlacement, HairTexturesArePairsOfColourAndAlpha) {
  const auto alice = hairTextures("/r", "AliceHair");
  EXPECT_EQ(alice.main.kind, TextureKind::JpegWithAlpha);
  EXPECT_NE(alice.main.file.find("ALiceHairTX.jpg"), std::string::npos);
  EXPECT_NE(alice.main.alphaFile.find("AliceHairTR.jpg"), std::string::npos);
  const auto pony = hairTextures("/r", "PonyTail");
  EXPECT_NE(pony.main.file.find("PTHeadTX.jpg"), std::string::npos);
  EXPECT_NE(pony.second.file.find("PTTailTX.jpg"), std::string::npos);
  EXPECT_EQ(hairTextures("/r", "GirlHair").main.kind, TextureKind::Tga);
  EXPECT_EQ(hairTextures("/r", "Beret").main.kind, TextureKind::None);
}

// ---- loading, keeping and removing -----------------------------------------

class AccessoryFiles : public ::testing::Test {
 protected:
  // Writes a sphere named `name` as a model file below the root and returns
  // its data path.
  std::string writeModel(const std::string& folder, const std::string& file,
                         const std::string& name, float radius = 1.0f) {
    GlmModel m = makeSphere(8, 10, radius);
    m.modelName = name;
    std::filesystem::create_directories(dir.path() / folder);
    ModelLoader writer;
    EXPECT_TRUE(writer.glmWriteC3D(dir.file(folder + "/" + file), m, 0));
    return "\\" + folder + "\\" + file;
  }

  TempDir dir;
  Avatar avatar{dir.path().string()};
  Accessories accessories{avatar};
};

TEST_F(AccessoryFiles, AnUnreadableHairKeepsTheHairWornAndNamesTheFile) {
  ASSERT_TRUE(accessories.LoadHairStyle(writeModel("hair", "Miki.c3d", "MikiHair")));
  ASSERT_TRUE(accessories.hair);
  const auto before = accessories.hair.model->vertices;
  const auto version = accessories.hair.version;
  dir.write("hair/Broken.c3d", "not a model");
  const auto broken = accessories.LoadHairStyle("\\hair\\Broken.c3d");
  ASSERT_FALSE(broken);
  EXPECT_NE(broken.error().message().find("Broken.c3d"), std::string::npos);
  EXPECT_NE(broken.error().message().find(kAccessoryUnreadable), std::string::npos);
  ASSERT_TRUE(accessories.hair);
  EXPECT_EQ(accessories.hair.model->vertices, before);
  EXPECT_EQ(accessories.hair.version, version);
  EXPECT_FALSE(accessories.LoadHairStyle("\\hair\\Missing.c3d"));
  EXPECT_TRUE(accessories.hair);
}

TEST_F(AccessoryFiles, EachLoadSelectsItsEntryAlone) {
  ASSERT_TRUE(accessories.LoadHairStyle(writeModel("hair", "Miki.c3d", "MikiHair")));
  EXPECT_TRUE(accessories.selected(AccessoryEntry::Hair));
  ASSERT_TRUE(accessories.LoadWornItem(writeModel("glasses", "g.c3d", "Glassess"), "blackframe"));
  EXPECT_TRUE(accessories.selected(AccessoryEntry::WornItem));
  EXPECT_FALSE(accessories.selected(AccessoryEntry::Hair));
  EXPECT_EQ(accessories.accessoryName, "Glassess");
  ASSERT_TRUE(accessories.LoadSock(writeModel("glasses", "s.c3d", "sock"), "\\glasses\\s.jpg"));
  EXPECT_TRUE(accessories.selected(AccessoryEntry::Sock));
  EXPECT_EQ(std::count(accessories.selection.begin(), accessories.selection.end(), true), 1);
  EXPECT_EQ(accessories.sock.texture.kind, TextureKind::Jpeg);
}

TEST_F(AccessoryFiles, TheGlassesVariantsSitAtTheirOwnDepth) {
  const std::string path = writeModel("glasses", "g.c3d", "Glassess");
  ASSERT_TRUE(accessories.LoadWornItem(path, "blackframe"));
  const auto black = boxCentre(*accessories.wornItem.model);
  ASSERT_TRUE(accessories.LoadWornItem(path, "Glasses"));
  const auto other = boxCentre(*accessories.wornItem.model);
  EXPECT_NEAR(black[2] - other[2], 0.06f, 1e-4f);
  EXPECT_NEAR(black[1], other[1], 1e-4f);
  // The page turns them about where they are, not about the cube they
  // were normalised into.
  EXPECT_LT(distance(accessories.wornItem.pivot, other), 1e-4f);
}

TEST_F(AccessoryFiles, RemovingTakesOffOnlyThatAccessory) {
  ASSERT_TRUE(accessories.LoadHairStyle(writeModel("hair", "Miki.c3d", "MikiHair")));
  ASSERT_TRUE(accessories.LoadWornItem(writeModel("glasses", "g.c3d", "Glassess"), "x"));
  accessories.removeWornItem();
  EXPECT_FALSE(accessories.wornItem);
  EXPECT_FALSE(accessories.selected(AccessoryEntry::WornItem));
  EXPECT_TRUE(accessories.hair);
  EXPECT_TRUE(accessories.accessoryName.empty());
  accessories.removeHair();
  EXPECT_FALSE(accessories.hair);
  // Without hair "恢复默认发型" changes nothing.
  const auto restored = accessories.RestoreDefaultHair();
  ASSERT_TRUE(restored);
  EXPECT_FALSE(restored.value());
  EXPECT_FALSE(accessories.hair);
}

TEST_F(AccessoryFiles, WardrobeEntriesGoWhereTheirNamesSay) {
  writeModel("model/Clothing/glasses", "Manshoe.c3d", "ManShoe");
  const auto menOnly = accessories.wearEntry("Manshoe.jpg");
  ASSERT_FALSE(menOnly);
  EXPECT_EQ(menOnly.error().what, kMenOnlyRefusal);
  const auto bag = accessories.wearEntry("Bag.jpg");
  ASSERT_FALSE(bag);
  EXPECT_EQ(bag.error().what, kBagPoseRefusal);
  EXPECT_FALSE(accessories.wearEntry("Readme.txt"));
  EXPECT_FALSE(accessories.wearEntry("x"));
  writeModel("model/Clothing/glasses", "nvnecklace.c3d", "necklace");
  ASSERT_TRUE(accessories.wearEntry("nvnecklace.jpg"));
  EXPECT_TRUE(accessories.wornItem);
  EXPECT_EQ(accessories.wornItem.name, "necklace");
  // A .c3d model names no picture: the entry's own picture beside it is
  // the necklace's texture.
  EXPECT_EQ(accessories.wornItem.texture.kind, TextureKind::Jpeg);
  EXPECT_NE(accessories.wornItem.texture.file.find("nvnecklace.jpg"), std::string::npos);
  const auto missing = accessories.wearEntry("nvmissing.jpg");
  ASSERT_FALSE(missing);
  EXPECT_NE(missing.error().message().find("nvmissing.c3d"), std::string::npos);
}

// ---- the accessory page's transform ----------------------------------------

class TransformTest : public AccessoryFiles {
 protected:
  void SetUp() override {
    ASSERT_TRUE(accessories.LoadWornItem(writeModel("glasses", "g.c3d", "Glassess"), "x"));
  }
  AccessorySlot& item() { return accessories.wornItem; }
};

TEST_F(TransformTest, AMoveThereAndBackPutsTheGlassesBack) {
  const auto start = item().model->vertices;
  const auto v1 = vertexAt(*item().model, 1);
  accessories.TransformAccessory(item(), 2, 0, 0, 1, {1, 0, 0}, 0, false);
  EXPECT_NEAR(vertexAt(*item().model, 1)[0] - v1[0], 2.0f, 1e-5f);
  accessories.TransformAccessory(item(), -2, 0, 0, 1, {1, 0, 0}, 0, false);
  for (std::size_t i = 3; i < start.size(); ++i)
    EXPECT_NEAR(item().model->vertices[i], start[i], 1e-5f);
}

TEST_F(TransformTest, ScalingDoublesAndHalvesTheDistancesFromThePivot) {
  const auto pivot = item().pivot;
  const float d = distance(vertexAt(*item().model, 5), pivot);
  accessories.TransformAccessory(item(), 0, 0, 0, 2, {1, 0, 0}, 0, false);
  EXPECT_NEAR(distance(vertexAt(*item().model, 5), pivot), 2 * d, 1e-4f);
  accessories.TransformAccessory(item(), 0, 0, 0, 0.5f, {1, 0, 0}, 0, false);
  EXPECT_NEAR(distance(vertexAt(*item().model, 5), pivot), d, 1e-4f);
  // A previous scale of 0 gives no ratio: the size stays, nothing breaks.
  accessories.TransformAccessory(item(), 0, 0, 0, 0, {1, 0, 0}, 0, false);
  for (float v : item().model->vertices) EXPECT_TRUE(std::isfinite(v));
  EXPECT_NEAR(distance(vertexAt(*item().model, 5), pivot), d, 1e-4f);
}

TEST_F(TransformTest, AMovedItemStillTurnsAboutItsOwnMiddle) {
  accessories.TransformAccessory(item(), 3, 0, 0, 1, {1, 0, 0}, 0, false);
  const auto pivot = item().pivot;
  const float d = distance(vertexAt(*item().model, 7), pivot);
  accessories.TransformAccessory(item(), 0, 0, 0, 1, {0, 1, 0}, 90, true);
  EXPECT_NEAR(distance(vertexAt(*item().model, 7), pivot), d, 1e-4f);
  EXPECT_LT(distance(boxCentre(*item().model), pivot), 0.05f);
}

TEST_F(TransformTest, TurningAboutYGoesTheOtherWayRound) {
  const auto pivot = item().pivot;
  const std::array<float, 3> p = vertexAt(*item().model, 1);  // the top of the sphere
  accessories.TransformAccessory(item(), 0, 0, 0, 1, {0, 0, 1}, 90, true);
  // −90° about z carries the top (+y from the pivot) to +x.
  const auto q = vertexAt(*item().model, 1);
  EXPECT_NEAR(q[0] - pivot[0], p[1] - pivot[1], 1e-4f);
  EXPECT_NEAR(q[1], pivot[1], 1e-4f);
}

TEST_F(TransformTest, OnlyTheGroupsOfTheNamedAccessoryMoveInAnotherModel) {
  GlmModel two = makeSphere(6, 8);
  two.modelName = "outfit";
  GlmGroup& glasses = two.groups.front();
  glasses.name = " Glassframe";
  // A second group of its own vertex (the last one) and triangle.
  const std::uint32_t last = two.vertexCount();
  GlmGroup& other = glmAddGroup(two, " Hat");
  std::uint32_t lastTriangle = 0;
  for (std::uint32_t t = 0; t < two.triangleCount(); ++t)
    for (std::uint32_t v : two.triangles[t].vindices)
      if (v == last) lastTriangle = t;
  other.triangles.push_back(lastTriangle);
  auto& g = two.groups.back();  // " Glassframe" lost that triangle
  g.triangles.erase(std::remove(g.triangles.begin(), g.triangles.end(), lastTriangle),
                    g.triangles.end());
  AccessorySlot slot;
  slot.model = std::make_unique<GlmModel>(two);
  const auto topBefore = vertexAt(*slot.model, 1);
  accessories.TransformAccessory(slot, 0, 1, 0, 1, {1, 0, 0}, 0, false);
  EXPECT_NEAR(vertexAt(*slot.model, 1)[1] - topBefore[1], 1.0f, 1e-5f);  // " Gl…" moves
  // The hat's own corners stay unless the glasses' triangles share them.
  std::vector<std::uint8_t> shared(std::size_t(two.vertexCount()) + 1, 0);
  for (std::uint32_t t : g.triangles)
    for (std::uint32_t v : two.triangles[t].vindices) shared[v] = 1;
  for (std::uint32_t v : two.triangles[lastTriangle].vindices)
    if (!shared[v]) {
      EXPECT_EQ(vertexAt(*slot.model, v), vertexAt(two, v));
    }
}

TEST_F(TransformTest, TheSelectionDecidesWhatThePageMoves) {
  ASSERT_TRUE(accessories.LoadSock(writeModel("glasses", "s.c3d", "sock"), "s.jpg"));
  const auto glasses = item().model->vertices;
  const auto sockBefore = vertexAt(*accessories.sock.model, 1);
  EXPECT_TRUE(accessories.transformSelected(0, 0, 1, 1, {1, 0, 0}, 0, false));
  EXPECT_EQ(item().model->vertices, glasses);
  EXPECT_NEAR(vertexAt(*accessories.sock.model, 1)[2] - sockBefore[2], 1.0f, 1e-5f);
  accessories.select(AccessoryEntry::Hair);  // hair is not moved by the page
  EXPECT_FALSE(accessories.transformSelected(0, 0, 1, 1, {1, 0, 0}, 0, false));
}

}  // namespace
}  // namespace vestora
