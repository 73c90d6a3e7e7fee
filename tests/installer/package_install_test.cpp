// Installing entries under a folder: every file lands where its path says,
// and any failure leaves the folder exactly as it was.
#include "installer/package_install.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "install_fixture.h"

namespace vestora {
namespace {

namespace fs = std::filesystem;
using testing::garmentEntries;
using testing::snapshot;
using testing::TempDir;

TEST(PackageInstall, WritesEveryEntryAndCreatesTheWardrobeFolders) {
  TempDir dir;
  const auto entries = garmentEntries();
  auto installed = installEntries(entries, dir.path().string());
  ASSERT_TRUE(installed.ok()) << installed.error().message();
  ASSERT_EQ(installed->size(), entries.size());
  std::map<std::string, std::string> expected = {
      {"pattern", "<dir>"}, {"pattern/texture", "<dir>"}, {"texture", "<dir>"}};
  for (std::size_t i = 0; i < entries.size(); ++i) {
    expected[entries[i].path] = std::string(entries[i].bytes.begin(), entries[i].bytes.end());
    EXPECT_EQ((*installed)[i], (dir.path() / entries[i].path).string());
  }
  // Nothing else: no temporary or set-aside files are left behind.
  EXPECT_EQ(snapshot(dir.path()), expected);
}

TEST(PackageInstall, ReplacesEarlierCopiesAndKeepsOtherFiles) {
  TempDir dir;
  dir.write("pattern/Tunic.pop", "old garment");
  dir.write("pattern/Dress.pop", "another garment");
  dir.write("texture/Tunic.jpg", "old fabric");
  auto installed = installEntries(garmentEntries(), dir.path().string());
  ASSERT_TRUE(installed.ok()) << installed.error().message();
  const auto tree = snapshot(dir.path());
  EXPECT_EQ(tree.at("pattern/Tunic.pop"), "garment Tunic");
  EXPECT_EQ(tree.at("texture/Tunic.jpg"), "fabric Tunic");
  EXPECT_EQ(tree.at("pattern/Dress.pop"), "another garment");
  EXPECT_EQ(tree.size(), 3u + 6u + 1u);  // three folders, six entries, the other garment
}

TEST(PackageInstall, FailuresChangeNothing) {
  struct Case {
    const char* name;
    void (*prepare)(const TempDir& dir, const fs::path& outside);
    const char* reason;
  };
  const Case cases[] = {
      {"pattern is a link to a folder outside",
       [](const TempDir& dir, const fs::path& outside) {
         fs::create_symlink(outside, dir.path() / "pattern");
       },
       "not a real folder"},
      {"pattern/texture is a link to a folder outside",
       [](const TempDir& dir, const fs::path& outside) {
         fs::create_directories(dir.path() / "pattern");
         fs::create_symlink(outside, dir.path() / "pattern" / "texture");
       },
       "not a real folder"},
      {"texture is a file",
       [](const TempDir& dir, const fs::path&) { dir.write("texture", "a file"); },
       "not a real folder"},
      {"a folder stands where the garment goes",
       [](const TempDir& dir, const fs::path&) {
         fs::create_directories(dir.path() / "pattern" / "Tunic01.jpg");
         dir.write("pattern/Tunic.pop", "old garment");
         dir.write("pattern/texture/Tunic.jpg", "old fabric");
       },
       "in the way"},
  };
  for (const Case& c : cases) {
    TempDir dir, outside;
    c.prepare(dir, outside.path());
    const auto before = snapshot(dir.path());
    auto installed = installEntries(garmentEntries(), dir.path().string());
    ASSERT_FALSE(installed.ok()) << c.name;
    EXPECT_NE(installed.error().message().find(c.reason), std::string::npos)
        << c.name << ": " << installed.error().message();
    EXPECT_EQ(snapshot(dir.path()), before) << c.name;
    EXPECT_TRUE(fs::is_empty(outside.path())) << c.name;
  }
}

TEST(PackageInstall, RefusesHostilePathsAndMissingFolders) {
  TempDir dir;
  auto entries = garmentEntries();
  entries.push_back({"pattern/../escape.pop", testing::bytesOf("x")});
  auto installed = installEntries(entries, dir.path().string());
  ASSERT_FALSE(installed.ok());
  EXPECT_NE(installed.error().message().find("pattern/../escape.pop"), std::string::npos);
  EXPECT_TRUE(fs::is_empty(dir.path()));
  EXPECT_FALSE(fs::exists(dir.path().parent_path() / "escape.pop"));

  auto missing = installEntries(garmentEntries(), (dir.path() / "no-such-folder").string());
  ASSERT_FALSE(missing.ok());
  EXPECT_NE(missing.error().message().find("no-such-folder"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir.path() / "no-such-folder"));
}

}  // namespace
}  // namespace vestora
