// vestora-cli get and install, against servers on the loopback interface;
// install runs the real packages of the generated demo store.
#include <filesystem>
#include <sstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli/cli.h"
#include "cloth/garment_files.h"
#include "store/loopback_server.h"
#include "test_support.h"

namespace vestora::cli {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using vestora::testing::LoopbackServer;
using vestora::testing::TempDir;

struct CliRun {
  int status;
  std::string out, err;
};

CliRun run(std::vector<std::string> args) {
  std::ostringstream out, err;
  const int status = runCli(args, out, err);
  return {status, out.str(), err.str()};
}

TEST(CliGet, PrintsTheResultCodeOfTheDownload) {
  TempDir dir;
  LoopbackServer server(LoopbackServer::staticContent({{"/a.bin", "twelve bytes"}}));

  CliRun ok = run({"get", server.url("/a.bin"), dir.file("a.bin")});
  EXPECT_EQ(ok.status, kOk);
  EXPECT_EQ(ok.out, "12\n");
  EXPECT_EQ(vestora::testing::readAll(dir.file("a.bin")), "twelve bytes");

  CliRun missing = run({"get", server.url("/b.bin"), dir.file("b.bin")});
  EXPECT_EQ(missing.status, kBadInput);
  EXPECT_EQ(missing.out, "-1\n");
  EXPECT_FALSE(fs::exists(dir.file("b.bin")));

  CliRun unsaved = run({"get", server.url("/a.bin"), dir.file("no/such/folder/a.bin")});
  EXPECT_EQ(unsaved.status, kBadInput);
  EXPECT_EQ(unsaved.out, "-4\n");

  const std::string refused =
      "http://127.0.0.1:" + std::to_string(vestora::testing::UnusedLoopbackPort()) + "/a.bin";
  EXPECT_EQ(run({"get", refused, dir.file("c.bin")}).out, "-3\n");

  EXPECT_EQ(run({"get", server.url("/a.bin")}).status, kUsage);
}

TEST(CliInstall, RefusesWhatIsNotAPackageOfTheStore) {
  EXPECT_EQ(run({"install", "http://127.0.0.1:1/downloads/a.exe"}).status, kUsage);
  EXPECT_EQ(run({"install", "http://127.0.0.1:1/productdata/a.exe", "--reinstall", "maybe"}).status,
            kUsage);
}

// Serves the generated demo store as its web server would.
std::map<std::string, std::string> demoStore() {
  std::map<std::string, std::string> files;
  const fs::path site = VESTORA_TEST_STORE;
  for (const auto& entry : fs::recursive_directory_iterator(site)) {
    if (!entry.is_regular_file()) continue;
    files["/" + fs::relative(entry.path(), site).generic_string()] =
        vestora::testing::readAll(entry.path().string());
  }
  return files;
}

TEST(CliInstall, DemoStorePackagesInstallGarmentsTheWardrobeCanWear) {
  const auto files = demoStore();
  std::vector<std::string> packages;
  for (const auto& [path, bytes] : files)
    if (path.starts_with("/productdata/") && path.ends_with(".exe")) packages.push_back(path);
  ASSERT_FALSE(packages.empty()) << "no packages in " << VESTORA_TEST_STORE;
  LoopbackServer server(LoopbackServer::staticContent(files));

  TempDir root;
  for (const std::string& package : packages) {
    SCOPED_TRACE(package);
    CliRun r = run({"install", server.url(package), "--root", root.path().string()});
    EXPECT_EQ(r.status, kOk) << r.out << r.err;
    EXPECT_THAT(r.out, HasSubstr("新的服装下载安装完毕！"));
    const std::string name = fs::path(package).stem().string();
    EXPECT_TRUE(fs::exists(root.path() / "download" / (name + ".exe")));
  }

  // Every garment installed is listed by its thumbnail and loads.
  int garments = 0;
  for (const auto& entry : fs::directory_iterator(root.path() / "pattern")) {
    const std::string file = entry.path().filename().string();
    if (!file.ends_with(".bmp")) continue;
    const fs::path garment = entry.path().parent_path() / file.substr(0, file.size() - 4);
    SCOPED_TRACE(garment.string());
    ASSERT_TRUE(fs::exists(garment));
    GarmentLoadContext context;
    const auto loaded = garment.extension() == ".pop" ? LoadFittedGarment(garment.string(), context)
                                                      : LoadPatternMesh(garment.string(), context);
    ASSERT_TRUE(loaded) << loaded.error().message();
    EXPECT_GT(loaded->particles.size(), 100u);
    EXPECT_TRUE(fs::exists(root.path() / "pattern" / "texture" / loaded->textureName));
    ++garments;
  }
  EXPECT_EQ(garments, static_cast<int>(packages.size()));

  // Asked again, the user keeps what is there.
  CliRun again = run({"install", server.url(packages[0]), "--root", root.path().string()});
  EXPECT_EQ(again.status, kBadInput);
  EXPECT_THAT(again.out, HasSubstr("这件服装可能已经安装，是否要重新下载安装？ 否"));
}

}  // namespace
}  // namespace vestora::cli
