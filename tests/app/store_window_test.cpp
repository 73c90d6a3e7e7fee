// Packages of the store downloaded and installed beside the real main
// window on a virtual display, from a store on the loopback interface: the
// garment arrives in the wardrobe with the message and the progress bar, a
// tampered package installs nothing, the same link is not downloaded twice
// at once, and closing the window in the middle of a download ends it.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/uiaction.h>
#include <wx/webview.h>

#include "app/browser_page.h"
#include "app/garment_panel.h"
#include "app/main_window.h"
#include "app/wardrobe.h"
#include "dialog_answers.h"
#include "main_window_fixture.h"
#include "store/loopback_server.h"
#include "test_support.h"
#include "ui/skin_progress.h"
#include "ui_test_support.h"

namespace vestora::app {
namespace {

using vestora::testing::EnterPresser;
using vestora::testing::LoopbackServer;
using vestora::testing::Pump;
using vestora::testing::PumpUntil;

// The demo store's files by request path.
std::map<std::string, std::string> demoStore() {
  std::map<std::string, std::string> site;
  const std::filesystem::path store = VESTORA_TEST_STORE;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(store))
    if (entry.is_regular_file())
      site["/" + std::filesystem::relative(entry.path(), store).generic_string()] =
          vestora::testing::readAll(entry.path().string());
  return site;
}

using StoreWindowTest = OwnRootWindowFixture;

TEST_F(StoreWindowTest, APackageIsInstalledAndTheWardrobeListsIt) {
  const auto site = demoStore();
  ASSERT_TRUE(site.count("/productdata/Tunic.exe"));
  LoopbackServer server(LoopbackServer::staticContent(site));
  ASSERT_EQ(garments(), (std::vector<std::string>{"Dress", "Skirt", "Top"}));

  EnterPresser enter;  // "新的服装下载安装完毕！"
  enter.Start(700);
  ASSERT_TRUE(main_->StartStoreDownload(server.url("/productdata/Tunic.exe")));
  EXPECT_TRUE(PumpUntil([&] { return garments().size() == 4; }, 30000));
  EXPECT_TRUE(PumpUntil([&] { return !main_->downloading(); }, 10000));
  Pump(1000);
  enter.Stop();
  EXPECT_EQ(garments(), (std::vector<std::string>{"Dress", "Skirt", "Top", "Tunic"}));
  EXPECT_EQ(enter.questions, 1);
  EXPECT_TRUE(there("pattern/Tunic.pop"));
  // The bar went back to empty once the download had ended.
  EXPECT_EQ(main_->progressBar()->GetPos(), 0);
}

TEST_F(StoreWindowTest, ATamperedPackageInstallsNothing) {
  auto site = demoStore();
  ASSERT_TRUE(site.count("/productdata/Tunic.exe"));
  std::string& package = site["/productdata/Tunic.exe"];
  package[package.size() / 2] ^= 0x5A;
  LoopbackServer server(LoopbackServer::staticContent(site));

  EnterPresser enter;  // the signature message
  enter.Start(700);
  ASSERT_TRUE(main_->StartStoreDownload(server.url("/productdata/Tunic.exe")));
  ASSERT_TRUE(PumpUntil([&] { return !main_->downloading(); }, 30000));
  Pump(1500);
  enter.Stop();
  EXPECT_EQ(enter.questions, 1);
  EXPECT_FALSE(there("pattern/Tunic.pop"));
  EXPECT_EQ(garments(), (std::vector<std::string>{"Dress", "Skirt", "Top"}));
}

// A store that sends its headers and then a byte now and then.
LoopbackServer::Handler slowStore() {
  return [](LoopbackServer::Connection& c) {
    c.readRequest();
    if (!c.send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n")) return;
    for (int i = 0; i < 600; ++i)
      if (!c.send("x") || !c.sleepMs(100)) return;
  };
}

TEST_F(StoreWindowTest, TheSameLinkIsNotDownloadedTwiceAtOnce) {
  LoopbackServer server(slowStore());
  const std::string url = server.url("/productdata/Slow.exe");
  EnterPresser enter;  // "这件服装正在下载，请稍候。"
  enter.Start(500);
  ASSERT_TRUE(main_->StartStoreDownload(url));
  ASSERT_TRUE(PumpUntil([&] { return server.connections() > 0; }, 5000));
  ASSERT_TRUE(main_->downloading());
  EXPECT_FALSE(main_->StartStoreDownload(url));
  EXPECT_EQ(enter.questions, 1);
  EXPECT_TRUE(main_->downloading());
  // The window goes while the download runs: it is cancelled, not waited for.
  main_->Close(true);
  main_ = nullptr;
  Pump(200);
  enter.Stop();
}

TEST_F(StoreWindowTest, ClosingTheWindowEndsADownloadInTheMiddle) {
  LoopbackServer server(slowStore());
  ASSERT_TRUE(main_->StartStoreDownload(server.url("/productdata/Slow.exe")));
  ASSERT_TRUE(PumpUntil([&] { return server.connections() > 0; }, 5000));
  Pump(300);
  const auto start = std::chrono::steady_clock::now();
  main_->Close(true);
  main_ = nullptr;  // destroyed by the close
  Pump(200);
  // The download's thread was cancelled and joined, well before the slow
  // store would have finished (a minute).
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_FALSE(std::filesystem::exists(dir_.path() / "download" / "Slow.exe"));
}

// The store page, against the demo store on the loopback interface.
class StorePageTest : public StoreWindowTest {
 protected:
  void SetUp() override {
    auto site = demoStore();
    site["/"] = site["/index.html"];  // the home page, as a web server gives it
    server_ = std::make_unique<LoopbackServer>(LoopbackServer::staticContent(std::move(site)));
    setenv("VESTORA_STORE_URL", server_->url("/").c_str(), 1);
    StoreWindowTest::SetUp();
  }
  void TearDown() override {
    StoreWindowTest::TearDown();
    unsetenv("VESTORA_STORE_URL");
  }
  CStorePageDlg* page() { return main_->browserPage(); }
  std::string shownUrl() {
    return page()->webView() ? page()->webView()->GetCurrentURL().utf8_string() : std::string();
  }
  bool showsStore() {
    main_->Command(ids::kStore);
    return PumpUntil([&] { return page()->title() == wxString::FromUTF8("Vestora 服装店"); },
                     20000);
  }
  std::unique_ptr<LoopbackServer> server_;
};

TEST_F(StorePageTest, TheStoreShowsItsHomePageAndAPackageLinkInstallsTheGarment) {
  ASSERT_TRUE(showsStore()) << "title \"" << page()->title().utf8_string() << "\" at " << shownUrl()
                            << " after " << server_->requests().size() << " requests: "
                            << (server_->requests().empty() ? "" : server_->requests().front());
  EXPECT_EQ(shownUrl(), server_->url("/"));
  EnterPresser enter;  // "新的服装下载安装完毕！"
  enter.Start(700);
  // The page's own link, as a click on it follows it.
  page()->webView()->RunScript(
      "document.querySelector('a[href=\"productdata/Tunic.exe\"]').click();");
  EXPECT_TRUE(PumpUntil([&] { return garments().size() == 4; }, 30000));
  EXPECT_TRUE(PumpUntil([&] { return !main_->downloading(); }, 10000));
  Pump(800);
  enter.Stop();
  EXPECT_TRUE(there("pattern/Tunic.pop"));
  // The page stayed where it was: the engine did not follow the link.
  EXPECT_EQ(shownUrl(), server_->url("/"));
}

TEST_F(StorePageTest, OtherSitesAndFilesDoNotLoadAndTheHistoryIsWalked) {
  ASSERT_TRUE(showsStore());
  page()->Navigate("file:///etc/passwd");
  {
    // Another origin is the desktop browser's (without one, a message says so).
    EnterPresser enter;
    enter.Start(500);
    page()->Navigate("http://127.0.0.1:1/elsewhere");
    Pump(1500);
    enter.Stop();
  }
  EXPECT_EQ(shownUrl(), server_->url("/"));

  page()->Navigate(server_->url("/index.html"));
  ASSERT_TRUE(PumpUntil([&] { return shownUrl() == server_->url("/index.html"); }, 10000));
  Pump(1000);
  ASSERT_TRUE(PumpUntil([&] { return page()->CanGoBack(); }, 5000));
  main_->Command(ids::kBrowserBack);
  EXPECT_TRUE(PumpUntil([&] { return shownUrl() == server_->url("/"); }, 10000));
  Pump(1000);  // the page back in place before going forward again
  EXPECT_TRUE(PumpUntil([&] { return page()->CanGoForward(); }, 5000));
  main_->Command(ids::kBrowserForward);
  EXPECT_TRUE(PumpUntil([&] { return shownUrl() == server_->url("/index.html"); }, 10000));
}

// The demo store with a page that opens a new window, and a package that
// arrives slowly.
class PopupTest : public StoreWindowTest {
 protected:
  void SetUp() override {
    auto site = std::make_shared<std::map<std::string, std::string>>(demoStore());
    (*site)["/"] =
        "<html><head><title>Home</title></head><body>"
        "<a id='pop' target='_blank' href='/window.html'>more</a>"
        "<form onsubmit=\"document.title='sent '+document.getElementById('q').value;"
        "return false;\"><input id='q' style='width:300px;height:40px'></form></body></html>";
    (*site)["/window.html"] =
        "<html><head><title>Window</title></head><body>"
        "<a id='slow' href='/productdata/Slow.exe'>slow</a></body></html>";
    server_ = std::make_unique<LoopbackServer>([site](LoopbackServer::Connection& c) {
      // The slow package: its header, then a byte now and then; the rest as the store.
      const std::string request = c.readRequest();
      if (request.find("GET /productdata/Slow.exe ") == 0) {
        if (!c.send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n")) return;
        for (int i = 0; i < 600; ++i)
          if (!c.send("x") || !c.sleepMs(100)) return;
        return;
      }
      LoopbackServer::answerFromFiles(c, request, *site);
    });
    setenv("VESTORA_STORE_URL", server_->url("/").c_str(), 1);
    StoreWindowTest::SetUp();
  }
  void TearDown() override {
    StoreWindowTest::TearDown();
    unsetenv("VESTORA_STORE_URL");
  }
  CBrowserDlg* popup() {
    for (wxWindow* w : wxTopLevelWindows)
      if (auto* p = dynamic_cast<CBrowserDlg*>(w); p && !p->IsBeingDeleted()) return p;
    return nullptr;
  }
  std::unique_ptr<LoopbackServer> server_;
};

TEST_F(PopupTest, ANewWindowOpensAPopUpAndItsDownloadClosesIt) {
  main_->Command(ids::kStore);
  CStorePageDlg* page = main_->browserPage();
  ASSERT_TRUE(PumpUntil([&] { return page->title() == "Home"; }, 20000));
  page->webView()->RunScript("document.getElementById('pop').click();");
  ASSERT_TRUE(PumpUntil([&] { return popup() && popup()->web().title() == "Window"; }, 20000));
  EXPECT_TRUE(popup()->IsShown());
  EXPECT_EQ(page->title(), "Home");  // the page stays where it was

  // The package link in the pop-up: it hides while the package arrives.
  popup()->web().view()->RunScript("document.getElementById('slow').click();");
  ASSERT_TRUE(PumpUntil([&] { return main_->downloading(); }, 10000));
  ASSERT_TRUE(PumpUntil([&] { return popup() && !popup()->IsShown(); }, 5000));
  // The user gives up on it: the pop-up goes in the middle of the download.
  popup()->Destroy();
  Pump(300);
  EXPECT_EQ(popup(), nullptr);
  // The window closes with the download still running: nothing is left waiting.
  EnterPresser enter;
  enter.Start(500);
  main_->Close(true);
  main_ = nullptr;
  Pump(300);
  enter.Stop();
}

TEST_F(PopupTest, KeysTypedIntoAPageFormReachThePage) {
  main_->Command(ids::kStore);
  CStorePageDlg* page = main_->browserPage();
  ASSERT_TRUE(PumpUntil([&] { return page->title() == "Home"; }, 20000));
  // A click into the field, then typing and Enter as a user does.
  const wxRect r = page->webView()->GetScreenRect();
  wxUIActionSimulator sim;
  page->webView()->RunScript("document.getElementById('q').focus();");
  sim.MouseMove(r.x + 60, r.y + 40);
  sim.MouseClick();
  Pump(300);
  page->webView()->RunScript("document.getElementById('q').focus();");
  Pump(200);
  sim.Text("coat");
  Pump(200);
  sim.Char(WXK_RETURN);
  EXPECT_TRUE(PumpUntil([&] { return page->title() == "sent coat"; }, 5000))
      << page->title().utf8_string();
}

}  // namespace
}  // namespace vestora::app
