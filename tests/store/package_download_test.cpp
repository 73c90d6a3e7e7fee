#include "store/package_download.h"

#include <sodium.h>

#include <algorithm>
#include <filesystem>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "store/loopback_server.h"
#include "test_support.h"

namespace vestora {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::LoopbackServer;
using testing::TempDir;

TEST(PackageLinks, RecognisesPackagesInTheProductFolderOnly) {
  EXPECT_TRUE(IsPackageLink("http://store/productdata/abc.exe"));
  EXPECT_TRUE(IsPackageLink("HTTP://Store/ProductData/Abc.EXE"));
  EXPECT_TRUE(IsPackageLink("http://store/a/productdata/abc.exe"));
  EXPECT_FALSE(IsPackageLink("http://store/downloads/abc.exe"));
  EXPECT_FALSE(IsPackageLink("http://store/myproductdata2/abc.exe"));
  EXPECT_FALSE(IsPackageLink("http://store/productdata/abc.zip"));
  EXPECT_FALSE(IsPackageLink("productdata.exe"));
  EXPECT_FALSE(IsPackageLink(""));
}

TEST(PackageLinks, FileNameIsAPlainSafeNameOrNothing) {
  EXPECT_EQ(PackageFileName("http://s/productdata/Coat.exe"), "Coat.exe");
  EXPECT_EQ(PackageFileName("http://s/productdata/Coat.exe?v=2#top"), "Coat.exe");
  EXPECT_EQ(PackageFileName("http://s/productdata/%E5%A4%96%E5%A5%97.exe"), "外套.exe");
  EXPECT_EQ(PackageFileName("http://s/productdata/a%2Bb.exe"), "a+b.exe");

  for (const char* hostile :
       {"http://s/productdata/..", "http://s/productdata/%2e%2e%2f", "http://s/productdata/%2e%2e",
        "http://s/productdata/..%2fx.exe", "http://s/productdata/a\\..\\b.exe",
        "http://s/productdata/", "http://s/productdata/.hidden.exe",
        "http://s/productdata/a%00b.exe", "http://s/productdata/a%0ab.exe",
        "http://s/productdata/a b.exe", "http://s/productdata/a%2.exe",
        "http://s/productdata/coat.sh", "http://s/productdata/.exe"}) {
    EXPECT_EQ(PackageFileName(hostile), std::nullopt) << hostile;
  }
  const std::string longName = "http://s/productdata/" + std::string(296, 'a') + ".exe";
  EXPECT_EQ(PackageFileName(longName), std::nullopt);
  const std::string longest = std::string(kMaxPackageNameLength - 4, 'a') + ".exe";
  EXPECT_EQ(PackageFileName("http://s/productdata/" + longest), longest);
}

TEST(PackageLinks, SignatureSitsBesideThePackage) {
  EXPECT_EQ(SignatureUrl("http://s/productdata/Coat.exe"), "http://s/productdata/Coat.exe.sig");
  EXPECT_EQ(SignatureUrl("http://s/productdata/Coat.exe?v=2#x"),
            "http://s/productdata/Coat.exe.sig?v=2");
}

struct KeyPair {
  std::array<std::uint8_t, 32> publicKey{};
  std::array<std::uint8_t, 64> secretKey{};
  KeyPair() {
    if (sodium_init() < 0) std::abort();
    crypto_sign_keypair(publicKey.data(), secretKey.data());
  }
  std::string sign(const std::string& data) const {
    std::string signature(crypto_sign_BYTES, '\0');
    crypto_sign_detached(reinterpret_cast<unsigned char*>(signature.data()), nullptr,
                         reinterpret_cast<const unsigned char*>(data.data()), data.size(),
                         secretKey.data());
    return signature;
  }
};

// An installer as the store's packages behave: "/silent /dir=DIR" adds a
// garment below DIR. It also leaves a mark of every run.
std::string installerScript(const std::string& garment, int exitStatus = 0) {
  return "#!/bin/sh\n"
         "[ \"$1\" = /silent ] || exit 2\n"
         "dir=${2#/dir=}\n"
         "echo run >> \"$dir/installer-runs\"\n"
         "[ " +
         std::to_string(exitStatus) + " = 0 ] || { echo 'cannot write the garment' >&2; exit " +
         std::to_string(exitStatus) +
         "; }\n"
         "mkdir -p \"$dir/pattern\" && printf '" +
         garment + "' > \"$dir/pattern/" + garment + "\"\n";
}

class PackageDownloadTest : public ::testing::Test {
 protected:
  // The download as the program runs it, against `server`, into root_.
  DownloadOutcome download(const std::string& url) {
    DownloadContext context;
    context.dialogs = &dialogs_;
    context.rootDir = root_.path().string();
    context.publicKey = keys_.publicKey;
    context.http.connectTimeoutMs = 500;
    context.http.readTimeoutMs = 500;
    context.closeBrowser = [this] { ++closed_; };
    context.reloadWardrobe = [this] { ++reloads_; };
    return DownloadThread(std::make_unique<DownloadJob>(DownloadJob{url, std::move(context)}));
  }

  // The names in the download folder (hidden partial files included).
  std::vector<std::string> downloadFolder() const {
    std::vector<std::string> names;
    const fs::path folder = root_.path() / "download";
    if (!fs::exists(folder)) return names;
    for (const auto& entry : fs::directory_iterator(folder))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  int installerRuns() const {
    const std::string runs = testing::readAll(root_.file("installer-runs"));
    return static_cast<int>(std::count(runs.begin(), runs.end(), '\n'));
  }

  TempDir root_;
  KeyPair keys_;
  ScriptedDialogs dialogs_;
  int closed_ = 0;
  int reloads_ = 0;
};

TEST_F(PackageDownloadTest, SignedPackageIsDownloadedInstalledAndKept) {
  const std::string package = installerScript("Coat.pop");
  LoopbackServer server(LoopbackServer::staticContent(
      {{"/productdata/Coat.exe", package}, {"/productdata/Coat.exe.sig", keys_.sign(package)}}));

  EXPECT_EQ(download(server.url("/productdata/Coat.exe")), DownloadOutcome::Installed);

  EXPECT_EQ(testing::readAll(root_.file("pattern/Coat.pop")), "Coat.pop");
  EXPECT_THAT(dialogs_.messages(), ElementsAre(kInstalledMessage));
  EXPECT_THAT(downloadFolder(), ElementsAre("Coat.exe"));
  EXPECT_EQ(testing::readAll(root_.file("download/Coat.exe")), package);
  EXPECT_EQ(reloads_, 1);
  EXPECT_EQ(closed_, 1);
  // The package path is fetched as written: the server's names are case-sensitive.
  ASSERT_EQ(server.requests().size(), 2u);
  EXPECT_THAT(server.requests()[0], HasSubstr("GET /productdata/Coat.exe HTTP/1.1"));
  EXPECT_THAT(server.requests()[1], HasSubstr("GET /productdata/Coat.exe.sig HTTP/1.1"));
}

TEST_F(PackageDownloadTest, PackagesThatDoNotVerifyAreNeverRun) {
  const std::string package = installerScript("Coat.pop");
  std::string tampered = package;
  tampered[tampered.size() - 2] ^= 1;
  KeyPair otherStore;
  LoopbackServer server(LoopbackServer::staticContent({
      {"/productdata/Tampered.exe", tampered},
      {"/productdata/Tampered.exe.sig", keys_.sign(package)},
      {"/productdata/Unsigned.exe", package},
      {"/productdata/Foreign.exe", package},
      {"/productdata/Foreign.exe.sig", otherStore.sign(package)},
      {"/productdata/Short.exe", package},
      {"/productdata/Short.exe.sig", keys_.sign(package).substr(0, 63)},
  }));

  for (const char* name : {"Tampered", "Unsigned", "Foreign", "Short"}) {
    SCOPED_TRACE(name);
    dialogs_ = ScriptedDialogs();
    EXPECT_EQ(download(server.url(std::string("/productdata/") + name + ".exe")),
              DownloadOutcome::Refused);
    EXPECT_THAT(dialogs_.messages(), ElementsAre(kUnverifiedPackageMessage));
  }
  EXPECT_EQ(installerRuns(), 0);
  EXPECT_FALSE(fs::exists(root_.path() / "pattern"));
  EXPECT_THAT(downloadFolder(), ElementsAre());
  EXPECT_EQ(reloads_, 0);
  EXPECT_EQ(closed_, 4);
}

TEST_F(PackageDownloadTest, HostileNamesAreRefusedBeforeAnythingIsFetched) {
  LoopbackServer server(LoopbackServer::staticContent({}));
  for (const char* path : {"/productdata/%2e%2e%2f", "/productdata/..%2f..%2fevil.exe",
                           "/productdata/a\\..\\b.exe", "/productdata/"}) {
    dialogs_ = ScriptedDialogs();
    EXPECT_EQ(download(server.url(path)), DownloadOutcome::Refused) << path;
    EXPECT_THAT(dialogs_.messages(), ElementsAre(kBadPackageNameMessage));
  }
  EXPECT_EQ(server.connections(), 0);
  EXPECT_FALSE(fs::exists(root_.path() / "download"));
  EXPECT_EQ(closed_, 4);
}

TEST_F(PackageDownloadTest, NetworkFailuresSayTheNetworkMessageAndLeaveNothing) {
  LoopbackServer server(LoopbackServer::staticContent({}));
  EXPECT_EQ(download(server.url("/productdata/Missing.exe")), DownloadOutcome::DownloadFailed);
  const std::string refused =
      "http://127.0.0.1:" + std::to_string(testing::UnusedLoopbackPort()) + "/productdata/A.exe";
  EXPECT_EQ(download(refused), DownloadOutcome::DownloadFailed);
  EXPECT_THAT(dialogs_.messages(), ElementsAre(kDownloadFailedMessage, kDownloadFailedMessage));
  EXPECT_THAT(downloadFolder(), ElementsAre());
  EXPECT_EQ(closed_, 2);
}

TEST_F(PackageDownloadTest, TornDownloadIsNeverRun) {
  const std::string package = installerScript("Coat.pop");
  const std::string signature = keys_.sign(package);
  LoopbackServer server([&](LoopbackServer::Connection& c) {
    const std::string request = c.readRequest();
    if (request.find(".sig") != std::string::npos) {
      c.send("HTTP/1.1 200 OK\r\nContent-Length: 64\r\n\r\n" + signature);
      return;
    }
    c.send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(package.size()) + "\r\n\r\n" +
           package.substr(0, package.size() / 2));
    c.closeWithReset();
  });
  EXPECT_EQ(download(server.url("/productdata/Coat.exe")), DownloadOutcome::DownloadFailed);
  EXPECT_EQ(installerRuns(), 0);
  EXPECT_THAT(downloadFolder(), ElementsAre());
}

TEST_F(PackageDownloadTest, AnInstalledPackageIsOnlyFetchedAgainWhenTheUserSaysSo) {
  const std::string package = installerScript("Coat.pop");
  LoopbackServer server(LoopbackServer::staticContent(
      {{"/productdata/Coat.exe", package}, {"/productdata/Coat.exe.sig", keys_.sign(package)}}));
  root_.write("download/Coat.exe", "the package installed last week");

  dialogs_.answerYesNo(false);
  EXPECT_EQ(download(server.url("/productdata/Coat.exe")), DownloadOutcome::Declined);
  EXPECT_EQ(testing::readAll(root_.file("download/Coat.exe")), "the package installed last week");
  EXPECT_EQ(server.connections(), 0);
  EXPECT_EQ(installerRuns(), 0);
  ASSERT_EQ(dialogs_.transcript().size(), 1u);
  EXPECT_EQ(dialogs_.transcript()[0].text, kReinstallQuestion);

  dialogs_.answerYesNo(true);
  EXPECT_EQ(download(server.url("/productdata/Coat.exe")), DownloadOutcome::Installed);
  EXPECT_EQ(testing::readAll(root_.file("download/Coat.exe")), package);
  EXPECT_EQ(installerRuns(), 1);
  EXPECT_EQ(closed_, 2);
}

TEST_F(PackageDownloadTest, FailingInstallerIsReportedAndTheFolderStaysAsItWas) {
  const std::string package = installerScript("Coat.pop", 3);
  LoopbackServer server(LoopbackServer::staticContent(
      {{"/productdata/Coat.exe", package}, {"/productdata/Coat.exe.sig", keys_.sign(package)}}));

  EXPECT_EQ(download(server.url("/productdata/Coat.exe")), DownloadOutcome::InstallFailed);
  EXPECT_EQ(installerRuns(), 1);
  ASSERT_EQ(dialogs_.messages().size(), 1u);
  EXPECT_THAT(dialogs_.messages()[0], HasSubstr(kInstallFailedMessage));
  EXPECT_THAT(dialogs_.messages()[0], HasSubstr("cannot write the garment"));
  EXPECT_THAT(downloadFolder(), ElementsAre());
  EXPECT_EQ(reloads_, 0);
}

TEST_F(PackageDownloadTest, DownloadFolderThatCannotBeMadeIsReported) {
  root_.write("download", "a file where the folder should be");
  LoopbackServer server(LoopbackServer::staticContent({}));
  EXPECT_EQ(download(server.url("/productdata/Coat.exe")), DownloadOutcome::DownloadFailed);
  EXPECT_THAT(dialogs_.messages(), ElementsAre(kDownloadFailedMessage));
  EXPECT_EQ(server.connections(), 0);
  EXPECT_EQ(closed_, 1);
}

TEST_F(PackageDownloadTest, StartHidesTheBrowserAndRunsOnAThreadOfItsOwn) {
  const std::string package = installerScript("Coat.pop");
  LoopbackServer server(LoopbackServer::staticContent(
      {{"/productdata/Coat.exe", package}, {"/productdata/Coat.exe.sig", keys_.sign(package)}}));
  int hidden = 0;
  std::thread::id worker;
  DownloadContext context;
  context.dialogs = &dialogs_;
  context.rootDir = root_.path().string();
  context.publicKey = keys_.publicKey;
  context.hideBrowser = [&] { ++hidden; };
  context.closeBrowser = [&] { worker = std::this_thread::get_id(); };
  std::thread thread = StartPackageDownload(server.url("/productdata/Coat.exe"), context);
  EXPECT_EQ(hidden, 1);
  thread.join();
  EXPECT_NE(worker, std::this_thread::get_id());
  EXPECT_EQ(testing::readAll(root_.file("pattern/Coat.pop")), "Coat.pop");
}

TEST(RunAndWait, ReportsHowTheProgramEnded) {
  TempDir dir;
  const std::string script = dir.write("s.sh", "#!/bin/sh\necho \"bad: $1\" >&2\nexit $2\n");
  fs::permissions(script, fs::perms::owner_all);
  std::string failure;
  EXPECT_TRUE(RunAndWait({script, "x", "0"}, std::chrono::seconds(10), &failure));
  EXPECT_FALSE(RunAndWait({script, "a; rm -rf /", "4"}, std::chrono::seconds(10), &failure));
  EXPECT_EQ(failure, "exit status 4: bad: a; rm -rf /");
  EXPECT_FALSE(RunAndWait({dir.file("missing")}, std::chrono::seconds(10), &failure));
  EXPECT_THAT(failure, HasSubstr("cannot start"));

  const std::string sleeper = dir.write("sleep.sh", "#!/bin/sh\nexec sleep 30\n");
  fs::permissions(sleeper, fs::perms::owner_all);
  EXPECT_FALSE(RunAndWait({sleeper}, std::chrono::milliseconds(100), &failure));
  EXPECT_EQ(failure, "did not finish in time");
}

}  // namespace
}  // namespace vestora
