#include "platform/root_dir.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace vestora {
namespace {

using testing::TempDir;

TEST(RootDir, ExecutableFolderWithMarkerIsTheRoot) {
  TempDir dir;
  dir.write("data/theme.wav", "RIFF");
  EXPECT_EQ(rootDirForExecutable(dir.file("vestora")), dir.path().string());
}

TEST(RootDir, ExecutableInSubfolderOfTheRootResolvesToTheParent) {
  TempDir dir;
  dir.write("data/theme.wav", "RIFF");
  dir.write("bin/placeholder", "");
  EXPECT_EQ(rootDirForExecutable(dir.file("bin/vestora")), dir.path().string());
}

TEST(RootDir, ParentIsTakenWithoutCheckingIt) {
  TempDir dir;  // no marker anywhere
  EXPECT_EQ(rootDirForExecutable(dir.file("bin/vestora")), dir.path().string());
}

TEST(RootDir, MarkerMustBeReadableNotJustNamed) {
  TempDir dir;
  std::filesystem::create_directories(dir.path() / "bin/data/theme.wav");  // a folder
  EXPECT_EQ(rootDirForExecutable(dir.file("bin/vestora")), dir.path().string());
}

TEST(RootDir, IsRecomputedOnEveryCall) {
  TempDir dir;
  const std::string exe = dir.file("bin/vestora");
  std::filesystem::create_directories(dir.path() / "bin");
  EXPECT_EQ(rootDirForExecutable(exe), dir.path().string());
  dir.write("bin/data/theme.wav", "RIFF");
  EXPECT_EQ(rootDirForExecutable(exe), (dir.path() / "bin").string());
}

TEST(RootDir, RunningProcessHasAnAbsoluteRoot) {
  const std::string root = GetRootDir();
  ASSERT_FALSE(root.empty());
  EXPECT_EQ(root.front(), '/');
  EXPECT_NE(root.back(), '/');
}

}  // namespace
}  // namespace vestora
