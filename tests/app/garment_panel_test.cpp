// The wardrobe in the real main window on a virtual display, driven by real
// input: the garment tab lists the generated garments, a garment dragged
// onto the avatar dresses her, the keep question comes when one is worn, a
// fabric changes the worn garment's look, the other tabs put on bodies and
// accessories.
#include "app/garment_panel.h"

#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/uiaction.h>

#include "app/detail_pictures_dialog.h"
#include "app/gl_view_window.h"
#include "app/main_window.h"
#include "avatar/avatar_table.h"
#include "cli/cli.h"
#include "cloth/try_on.h"
#include "dialog_answers.h"
#include "main_window_fixture.h"
#include "store/loopback_server.h"
#include "test_support.h"
#include "ui/skin_button.h"
#include "ui/skin_progress.h"
#include "ui_test_support.h"

namespace vestora::app {
namespace {

using vestora::testing::Pump;
using vestora::testing::PumpUntil;

using vestora::testing::EnterPresser;

class GarmentPanelTest : public MainWindowFixture {
 protected:
  CGarmentPanelDlg* panel() { return main_->garmentPanel(); }

  std::string entryNamed(const std::string& file) {
    for (const auto& section : panel()->list()->sections())
      for (const auto& item : section.items)
        if (std::filesystem::path(item.path).filename() == file) return item.path;
    return {};
  }
  wxPoint centreOf(const std::string& path) {
    const wxRect r = panel()->list()->itemRect(path);
    return panel()->list()->ClientToScreen(wxPoint(r.x + r.width / 2, r.y + 50));
  }
  void clickAt(const wxPoint& p) {
    wxUIActionSimulator sim;
    sim.MouseMove(p);
    Pump(60);
    sim.MouseClick();
    Pump(300);
  }
  void clickEntry(const std::string& file) {
    const std::string path = entryNamed(file);
    ASSERT_FALSE(path.empty()) << file;
    clickAt(centreOf(path));
  }
  // The view's pixels as the screen shows them, over the torso.
  std::vector<unsigned char> torso() {
    main_->view()->Refresh();
    Pump(300);
    const wxRect r = main_->view()->GetScreenRect();
    const wxRect area(r.x + r.width / 2 - 40, r.y + r.height * 2 / 5, 80, 80);
    const wxImage image = vestora::testing::GrabScreen(area);
    return {image.GetData(), image.GetData() + std::size_t(area.width) * area.height * 3};
  }
  static int changed(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
    int n = 0;
    for (std::size_t i = 0; i + 2 < std::min(a.size(), b.size()); i += 3)
      n += std::abs(a[i] - b[i]) + std::abs(a[i + 1] - b[i + 1]) + std::abs(a[i + 2] - b[i + 2]) >
           40;
    return n;
  }
};

TEST_F(GarmentPanelTest, TheGarmentTabListsTheGeneratedGarmentsAndFabrics) {
  ASSERT_TRUE(panel()->IsShownOnScreen());
  EXPECT_EQ(panel()->shownTab(), WardrobeTab::Garments);
  EXPECT_TRUE(panel()->tab(1)->selectedMark);
  const auto& sections = panel()->list()->sections();
  ASSERT_EQ(sections.size(), 2u);
  std::vector<std::string> garments;
  for (const auto& item : sections[0].items) {
    garments.push_back(item.caption.utf8_string());
    EXPECT_EQ(item.bitmap.GetWidth(), kWardrobeThumbWidth);
    EXPECT_EQ(item.bitmap.GetHeight(), kWardrobeThumbHeight);
  }
  EXPECT_EQ(garments, (std::vector<std::string>{"Dress", "Skirt", "Top"}));
  EXPECT_GE(sections[1].items.size(), 3u) << "the fabrics";
  EXPECT_TRUE(panel()->action(0)->IsShown());
  EXPECT_FALSE(panel()->action(1)->IsShown());
}

TEST_F(GarmentPanelTest, ADressDraggedOntoTheAvatarDressesHerAndAFabricRecoloursIt) {
  const std::vector<unsigned char> bare = torso();
  const std::string dress = entryNamed("Dress.pop.bmp");
  ASSERT_FALSE(dress.empty());
  const wxRect canvas = main_->view()->GetScreenRect();
  const wxPoint from = centreOf(dress),
                to(canvas.x + canvas.width / 2, canvas.y + canvas.height / 2);
  wxUIActionSimulator sim;
  sim.MouseMove(from);
  Pump(60);
  sim.MouseDown();
  Pump(60);
  for (int step = 1; step <= 8; ++step) {
    sim.MouseMove(from.x + (to.x - from.x) * step / 8, from.y + (to.y - from.y) * step / 8);
    Pump(40);
  }
  sim.MouseUp();
  ASSERT_TRUE(PumpUntil([&] { return !view().tryOn().garment().particles.empty(); }, 5000));
  EXPECT_EQ(view().lastGarmentEntry, dress);
  const std::vector<unsigned char> dressed = torso();
  EXPECT_GT(changed(bare, dressed), 800) << "the torso shows the dress";

  clickEntry("Gingham.jpg");
  const std::vector<unsigned char> gingham = torso();
  EXPECT_GT(changed(dressed, gingham), 800) << "the dress shows the new fabric";

  // The fit line gives her ease; the fit map recolours the dress and goes
  // again when switched off.
  ASSERT_TRUE(
      PumpUntil([&] { return panel()->fitLine().utf8_string().starts_with("松量  胸 "); }, 5000))
      << panel()->fitLine().utf8_string();
  EXPECT_NE(panel()->fitLine().utf8_string().find("最紧"), std::string::npos);
  clickAt(panel()->fitMapSwitch()->GetScreenPosition() + wxPoint(8, 12));
  ASSERT_TRUE(view().fitMapShown);
  const std::vector<unsigned char> mapped = torso();
  EXPECT_GT(changed(gingham, mapped), 800) << "the map replaces the fabric";
  clickAt(panel()->fitMapSwitch()->GetScreenPosition() + wxPoint(8, 12));
  EXPECT_FALSE(view().fitMapShown);
  EXPECT_LT(changed(gingham, torso()), 200);

  // Another garment while one is worn: the keep question first; kept
  // (Yes), the dress stays on as a layer under the skirt.
  EnterPresser enter;
  enter.Start(800);
  clickEntry("Skirt.msh.bmp");
  ASSERT_TRUE(PumpUntil(
      [&] { return view().tryOn().garmentPath().find("Skirt") != std::string::npos; }, 15000));
  enter.Stop();
  EXPECT_EQ(view().tryOn().layers().size(), 1u);
}

// Sewing runs beside the window: the cloth is drawn as it closes, the foot
// of the window says so, and its stop button puts the pieces back.
TEST_F(GarmentPanelTest, SewingRunsBesideTheWindowAndStopsOnItsButton) {
  const GarmentMesh& skirt = view().tryOn().garment();
  EnterPresser enter;  // "是否快速缝合?": Yes
  enter.Start(800);
  clickEntry("Skirt.msh.bmp");
  ASSERT_TRUE(PumpUntil([&] { return skirt.hasBinding && !view().tryOn().draping(); }, 60000));
  enter.Stop();
  EXPECT_EQ(view().tryOn().display(), GarmentDisplay::Garment);
  EXPECT_FALSE(main_->statusLine()->IsShown());
  EXPECT_FALSE(main_->stopDrapeButton()->IsShown());
  EXPECT_EQ(main_->progressBar()->GetPos(), 0);

  // Unpicked and sewn again (the reset asks again: Yes): the foot of the
  // window says so at once, and frames arrive while the window goes on.
  auto sewAgain = [&] {
    enter.Start(300);
    view().tryOn().ResetGarment();
    enter.Stop();
  };
  sewAgain();
  ASSERT_TRUE(view().tryOn().draping());
  EXPECT_TRUE(main_->statusLine()->IsShown());
  EXPECT_EQ(main_->statusLine()->GetLabel().utf8_string(), kSewingStatus);
  EXPECT_TRUE(main_->stopDrapeButton()->IsShown());
  const auto first = skirt.drawParticles;
  ASSERT_TRUE(PumpUntil(
      [&] {
        return std::memcmp(first.data(), skirt.drawParticles.data(),
                           first.size() * sizeof(GarmentParticle)) != 0;
      },
      15000));
  ASSERT_TRUE(PumpUntil([&] { return !view().tryOn().draping(); }, 60000));
  EXPECT_FALSE(main_->statusLine()->IsShown());

  // Sewn again and stopped on the button at once (the pointer waits over
  // it): the pieces are back.
  wxUIActionSimulator sim;
  sim.MouseMove(main_->stopDrapeButton()->GetScreenPosition() + wxPoint(20, 10));
  Pump(60);
  sewAgain();
  ASSERT_TRUE(view().tryOn().draping());
  sim.MouseClick();
  Pump(300);
  EXPECT_FALSE(view().tryOn().draping());
  EXPECT_EQ(view().tryOn().display(), GarmentDisplay::Pattern);
  for (std::size_t i = 0; i < skirt.particles.size(); ++i)
    ASSERT_EQ(skirt.particles[i].point.x, skirt.restParticles[i].point.x) << i;
  EXPECT_FALSE(main_->statusLine()->IsShown());
  EXPECT_FALSE(main_->stopDrapeButton()->IsShown());
}

TEST_F(GarmentPanelTest, TheAccessoryTabsWearAndTakeOff) {
  clickAt(panel()->tab(3)->GetScreenPosition() + wxPoint(30, 15));
  ASSERT_EQ(panel()->shownTab(), WardrobeTab::Accessories);
  EXPECT_TRUE(panel()->action(2)->IsShown());
  clickEntry("blackframe.gls.bmp");
  EXPECT_TRUE(view().accessories().wornItem);
  clickAt(panel()->action(1)->GetScreenPosition() + wxPoint(40, 14));  // "摘掉眼镜"
  EXPECT_FALSE(view().accessories().wornItem);

  clickAt(panel()->tab(2)->GetScreenPosition() + wxPoint(30, 15));
  ASSERT_EQ(panel()->shownTab(), WardrobeTab::Hair);
  clickEntry("LongHair.hir.bmp");
  EXPECT_EQ(view().accessories().hair.name, "LongHair");
  clickAt(panel()->action(0)->GetScreenPosition() + wxPoint(40, 14));  // "删除发型"
  EXPECT_FALSE(view().accessories().hair);
}

TEST_F(GarmentPanelTest, TheModelTabChangesBodiesAndPoses) {
  clickAt(panel()->tab(0)->GetScreenPosition() + wxPoint(30, 15));
  ASSERT_EQ(panel()->shownTab(), WardrobeTab::Models);
  std::vector<std::string> captions;
  for (const auto& section : panel()->list()->sections())
    for (const auto& item : section.items) {
      captions.push_back(item.caption.utf8_string());
      EXPECT_EQ(item.bitmap.GetWidth(), kWardrobeThumbWidth) << item.path;
    }
  ASSERT_EQ(captions.size(), kAvatarTable.size()) << "a thumbnail for every body and pose";
  // The woman and her poses first, as the avatar table has them.
  EXPECT_EQ(std::vector<std::string>(captions.begin(), captions.begin() + 6),
            (std::vector<std::string>{"女士", "挎包姿态", "行走姿态", "站立姿态", "女孩", "男士"}));

  clickEntry("Girl.bmp");
  EXPECT_EQ(view().avatar().modelName(), "Girl");
  EXPECT_EQ(view().accessories().hair.name, "GirlHair");
  clickEntry("Pose1.bmp");
  EXPECT_EQ(view().avatar().modelName(), "woman");
  EXPECT_TRUE(view().avatar().bagPose);
  clickEntry("Female.bmp");
  EXPECT_FALSE(view().avatar().bagPose);
  // "显示模型" hides her and shows her again.
  clickAt(panel()->action(2)->GetScreenPosition() + wxPoint(40, 14));
  EXPECT_FALSE(view().bodyShown);
  clickAt(panel()->action(2)->GetScreenPosition() + wxPoint(40, 14));
  EXPECT_TRUE(view().bodyShown);
}

TEST_F(GarmentPanelTest, ThePictureButtonShowsTheGarmentsDetailPictures) {
  // Where the view draws its picture button (window coordinates).
  CGLViewDlg* canvas = main_->view();
  const wxSize size = canvas->GetClientSize();
  wxPoint button(-1, -1);
  for (int y = size.y - 1; y > size.y / 2 && button.x < 0; y -= 2)
    for (int x = size.x - 1; x > size.x / 2 && button.x < 0; x -= 2)
      if (view().HitLogo(x, size.y - y)) button = {x - 6, y - 6};
  ASSERT_GE(button.x, 0) << "no picture button in the view";
  ASSERT_TRUE(view().HitLogo(button.x, size.y - button.y));

  // Nothing chosen yet: the picture that says there are none.
  clickAt(canvas->ClientToScreen(button));
  CDetailPicturesDlg* details = panel()->detailWindow();
  ASSERT_NE(details, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return details->IsShownOnScreen(); }, 3000));
  EXPECT_EQ(details->shownCount(), 1u);
  details->Hide();

  // After the dress: its front and back.
  clickEntry("Dress.pop.bmp");
  ASSERT_TRUE(PumpUntil([&] { return !view().tryOn().garment().particles.empty(); }, 5000));
  wxUIActionSimulator sim;
  sim.MouseMove(canvas->ClientToScreen(wxPoint(20, 20)));
  Pump(60);
  clickAt(canvas->ClientToScreen(button));
  ASSERT_TRUE(PumpUntil([&] { return details->IsShownOnScreen(); }, 3000));
  EXPECT_EQ(details->shownCount(), 2u);
  details->Close();
  Pump(100);
  EXPECT_FALSE(details->IsShown()) << "closing hides it for the next time";
}

// The window on an application root of its own, and what its garment folders hold.
class InstalledGarmentTest : public OwnRootWindowFixture {
 protected:
  // The garment folders' files (relative paths), to see what an install
  // adds.
  std::set<std::string> garmentFiles() const {
    std::set<std::string> files;
    for (const char* folder : {"pattern", "texture"}) {
      const std::filesystem::path at = dir_.path() / folder;
      if (!std::filesystem::is_directory(at)) continue;
      for (const auto& entry : std::filesystem::recursive_directory_iterator(at))
        if (entry.is_regular_file())
          files.insert(std::filesystem::relative(entry.path(), dir_.path()).generic_string());
    }
    return files;
  }
};

TEST_F(InstalledGarmentTest, AnInstalledGarmentIsListedAndItsDeletionRemovesItsFiles) {
  CGarmentPanelDlg* panel = main_->garmentPanel();
  ASSERT_EQ(garments(), (std::vector<std::string>{"Dress", "Skirt", "Top"}));

  // A package of the demo store, installed as the store installs it.
  std::map<std::string, std::string> site;
  const std::filesystem::path store = VESTORA_TEST_STORE;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(store))
    if (entry.is_regular_file())
      site["/" + std::filesystem::relative(entry.path(), store).generic_string()] =
          vestora::testing::readAll(entry.path().string());
  ASSERT_TRUE(site.count("/productdata/Tunic.exe")) << "no Tunic package in " << store;
  vestora::testing::LoopbackServer server(vestora::testing::LoopbackServer::staticContent(site));
  const std::set<std::string> before = garmentFiles();
  std::ostringstream out, err;
  ASSERT_EQ(
      cli::runCli({"install", server.url("/productdata/Tunic.exe"), "--root", root()}, out, err),
      cli::kOk)
      << out.str() << err.str();
  std::vector<std::string> added;
  for (const std::string& f : garmentFiles())
    if (!before.count(f)) added.push_back(f);
  // The garment, its thumbnail, two detail pictures, its texture, and its
  // fabric for the wardrobe's fabrics.
  EXPECT_EQ(added.size(), 6u);

  panel->RefreshList();  // what the store does after an install
  ASSERT_EQ(garments(), (std::vector<std::string>{"Dress", "Skirt", "Top", "Tunic"}));

  // Deleting it (the right-button menu's "删除"), answered Yes.
  std::string tunic;
  for (const auto& item : panel->list()->sections().front().items)
    if (item.caption == "Tunic") tunic = item.path;
  ASSERT_FALSE(tunic.empty());
  EnterPresser enter;
  enter.Start(800);
  panel->DeleteEntry(tunic);
  enter.Stop();
  ASSERT_GE(enter.questions, 1) << "the question was asked";
  // Its five files went; its fabric stays among the fabrics, and every
  // generated file is still there.
  std::set<std::string> left = before;
  left.insert("pattern/texture/Tunic.jpg");
  EXPECT_EQ(garmentFiles(), left);
  EXPECT_EQ(garments(), (std::vector<std::string>{"Dress", "Skirt", "Top"}));
}

}  // namespace
}  // namespace vestora::app
