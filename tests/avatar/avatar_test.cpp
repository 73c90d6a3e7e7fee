// Loading the avatar: its working records, its kind's resources, the avatar
// table, and what happens when a body cannot be read.
#include "avatar/avatar.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "avatar/shipped_numbers.h"
#include "test_support.h"

namespace vestora {
namespace {

std::string root() { return VESTORA_TEST_ROOT; }

TEST(Avatar, DefaultBodyLoadsWithEverythingDerivedFromIt) {
  Avatar a(root());
  std::vector<int> steps;
  a.progress = [&](int step) { steps.push_back(step); };
  ASSERT_TRUE(a.selectAvatar(kAvatarTable[0]).ok());
  EXPECT_TRUE(a.warnings.empty()) << (a.warnings.empty() ? "" : a.warnings.front());
  EXPECT_EQ(a.modelName(), "woman");
  EXPECT_TRUE(a.highPose);
  EXPECT_EQ(steps.front(), 1);
  EXPECT_EQ(steps.back(), 200);
  // Ten-centimetre units, centred, the soles on the floor line.
  EXPECT_FLOAT_EQ(a.unitScale(), 0.1f);
  EXPECT_NEAR(a.headUnit(), 2.184f, 0.001f);
  EXPECT_NEAR(a.minimum[1], -8.7366f, 0.001f);
  EXPECT_NEAR(a.bodyLengthCm, 174.733f, 0.01f);
  // One skin record per vertex, one triangle record per triangle with room
  // for 501 more, a neighbourhood per vertex.
  const GlmModel& m = a.model();
  ASSERT_EQ(a.skin.size(), m.vertexCount());
  EXPECT_EQ(a.triangleCount(), m.triangleCount());
  EXPECT_EQ(a.triangles.size(), m.triangleCount() + 501u);
  EXPECT_EQ(a.neighbours.size(), m.vertexCount() + 1u);
  EXPECT_EQ(a.neighbours[100].vertex, 100);
  EXPECT_GT(a.neighbours[100].triangleCount, 3);
  EXPECT_TRUE(a.hasTexcoords);
  const SkinVertex& s = a.skin[41];
  EXPECT_EQ(s.x, m.vertex(42)[0]);
  EXPECT_EQ(a.triangles[7].corner[1].y, a.skin[a.triangles[7].vertex[1]].y);
  // Her resources: groups, skeleton, joint rings, anchors.
  EXPECT_FALSE(a.headExclusion.empty());
  for (const auto& g : a.limbGroups) EXPECT_FALSE(g.empty());
  EXPECT_TRUE(a.skeleton.hasTree());
  for (const auto& ring : a.jointRings) EXPECT_GE(ring.size(), 6u);
  EXPECT_EQ(a.shoulderAnchors[0].x, a.skin[shipped::kWomanShoulderLeft].x);
  EXPECT_EQ(a.eyelashTexture, "\\model\\ChinaFemale\\nv_jiemao.tga");
}

TEST(Avatar, OtherPosesBuildNoSkeletonAndTheBagPoseKeepsItsHandle) {
  Avatar a(root());
  ASSERT_TRUE(a.selectAvatar(kAvatarTable[1]).ok());  // the bag pose, first load
  EXPECT_TRUE(a.bagPose);
  EXPECT_FALSE(a.highPose);
  EXPECT_FALSE(a.skeleton.hasTree());
  EXPECT_EQ(a.bagHandle[0].x, a.triangles[shipped::kWomanBagHandle].corner[0].x);
  ASSERT_TRUE(a.selectAvatar(kAvatarTable[0]).ok());
  EXPECT_TRUE(a.skeleton.hasTree());
  ASSERT_TRUE(a.selectAvatar(kAvatarTable[2]).ok());
  EXPECT_TRUE(a.skeleton.hasTree());  // the earlier tree stays
  EXPECT_TRUE(a.walkPose);
}

TEST(Avatar, EveryTableEntryLoadsAndSetsItsPlacement) {
  Avatar a(root());
  for (const AvatarEntry& entry : kAvatarTable) {
    ASSERT_TRUE(a.selectAvatar(entry).ok()) << entry.thumbnail;
    if (entry.placement) {
      EXPECT_EQ(a.placement, *entry.placement) << entry.thumbnail;
    }
    EXPECT_TRUE(kindResources(a.modelName())) << entry.thumbnail;
    EXPECT_TRUE(a.warnings.empty()) << entry.thumbnail << ": " << (a.warnings.empty() ? "" : a.warnings.front());
  }
  // Switching from the man back to a female body resets the placement.
  ASSERT_TRUE(a.selectAvatar(*avatarEntryFor("Male.bmp")).ok());
  EXPECT_EQ(a.placement, (std::array<float, 3>{-81.5f, 113.5f, -16.5f}));
  ASSERT_TRUE(a.selectAvatar(*avatarEntryFor("\\wardrobe\\models\\Stand.bmp")).ok());
  EXPECT_EQ(a.placement, (std::array<float, 3>{0, 0, 0}));
  // The girl keeps the placement she finds.
  a.placement = {1, 2, 3};
  ASSERT_TRUE(a.selectAvatar(*avatarEntryFor("Girl.bmp")).ok());
  EXPECT_EQ(a.placement, (std::array<float, 3>{1, 2, 3}));
  EXPECT_NEAR(a.minimum[1], -8.73666f, 1e-4f);
  EXPECT_EQ(avatarEntryFor("Nobody.bmp"), nullptr);
}

TEST(Avatar, UnreadableBodyKeepsTheBodyThatWasLoaded) {
  Avatar a(root());
  ASSERT_TRUE(a.selectAvatar(kAvatarTable[0]).ok());
  const auto before = a.model().vertices;
  auto missing = a.loadAvatar("\\model\\ChinaFemale\\nobody.c3d");
  ASSERT_FALSE(missing.ok());
  EXPECT_NE(missing.error().message().find("nobody.c3d"), std::string::npos);
  EXPECT_EQ(a.modelName(), "woman");
  EXPECT_EQ(a.model().vertices, before);
  EXPECT_EQ(a.modelPath(), "\\model\\ChinaFemale\\nv_High.c3d");
}

TEST(Avatar, APoseWhoseBodyCannotBeReadKeepsThePoseAndPlacement) {
  // A root whose walking pose is missing.
  namespace fs = std::filesystem;
  testing::TempDir dir;
  const fs::path folder = dir.path() / "model" / "ChinaFemale";
  fs::create_directories(folder);
  for (const auto& entry : fs::directory_iterator(fs::path(root()) / "model" / "ChinaFemale"))
    if (entry.path().filename() != "nv_WalkPose.c3d")
      fs::create_symlink(entry.path(), folder / entry.path().filename());
  fs::create_directory_symlink(fs::path(root()) / "model" / "ChinaMale",
                               dir.path() / "model" / "ChinaMale");
  Avatar a(dir.path().string());
  ASSERT_TRUE(a.selectAvatar(*avatarEntryFor("Pose1.bmp")).ok());
  ASSERT_TRUE(a.selectAvatar(*avatarEntryFor("Male.bmp")).ok());
  const auto placement = a.placement;
  ASSERT_FALSE(a.selectAvatar(*avatarEntryFor("Walk.bmp")).ok());
  EXPECT_TRUE(a.bagPose);
  EXPECT_FALSE(a.walkPose);
  EXPECT_EQ(a.placement, placement);
  EXPECT_EQ(a.modelPath(), "\\model\\ChinaMale\\Dayou.c3d");
  // The names the command lines give the poses.
  EXPECT_EQ(poseEntry("walk"), avatarEntryFor("Walk.bmp"));
  EXPECT_EQ(poseEntry("standard"), &kAvatarTable[0]);
  EXPECT_EQ(poseEntry("Walk"), nullptr);
}

TEST(Avatar, MissingResourcesAreWarningsAndEmptyGroups) {
  testing::TempDir dir;
  std::filesystem::create_directories(dir.path() / "model/ChinaMale");
  std::filesystem::copy_file(root() + "/model/ChinaMale/Dayou.c3d", dir.path() / "model/ChinaMale/Dayou.c3d");
  Avatar a(dir.path().string());
  ASSERT_TRUE(a.selectAvatar(*avatarEntryFor("Male.bmp")).ok());
  EXPECT_TRUE(a.headExclusion.empty());
  EXPECT_TRUE(a.wholeBody.empty());
  EXPECT_GE(a.warnings.size(), 3u);  // head group, whole-body group, skeleton
}

}  // namespace
}  // namespace vestora
