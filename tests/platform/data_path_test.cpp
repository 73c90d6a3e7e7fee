#include "platform/data_path.h"

#include <gtest/gtest.h>

namespace vestora {
namespace {

TEST(DataPath, BackslashPathsBecomeFileSystemPaths) {
  EXPECT_EQ(dataPath("/opt/vestora", "\\model\\ChinaFemale\\nv_High.c3d"),
            "/opt/vestora/model/ChinaFemale/nv_High.c3d");
  EXPECT_EQ(dataPath("/opt/vestora/", "\\data\\theme.wav"), "/opt/vestora/data/theme.wav");
  EXPECT_EQ(dataPath("/r", "DisAABBJames.grp"), "/r/DisAABBJames.grp");
  // Names are kept exactly: case matters on this file system.
  EXPECT_EQ(dataPath("/r", "\\model\\ChinaMale\\MaleGroup.GRP"), "/r/model/ChinaMale/MaleGroup.GRP");
}

TEST(DataPath, FileAndFolderOfEitherForm) {
  EXPECT_EQ(fileNameOf("\\model\\Female.bmp"), "Female.bmp");
  EXPECT_EQ(fileNameOf("a/b/c.obj"), "c.obj");
  EXPECT_EQ(fileNameOf("plain"), "plain");
  EXPECT_EQ(folderOf("a/b/c.obj"), "a/b/");
  EXPECT_EQ(folderOf("a\\b\\c.obj"), "a\\b\\");
  // The forward slash wins when both occur.
  EXPECT_EQ(folderOf("a\\b/c.obj"), "a\\b/");
  EXPECT_EQ(folderOf("c.obj"), "");
}

}  // namespace
}  // namespace vestora
