// The program's main window on a virtual display, driven by real input
// events (XTest through wx's action simulator, the wheel through xdotool):
// start-up with the avatar in the view, the toolbar and the panel slot,
// sliding, the key routing, the sheet and snapshots, and the layout.
#include "app/main_window.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/display.h>
#include <wx/image.h>
#include <wx/uiaction.h>

#include "app/body_edit_page.h"
#include "app/browser_page.h"
#include "app/env_settings_panel.h"
#include "app/garment_panel.h"
#include "app/gl_view_window.h"
#include "app/panels.h"
#include "main_window_fixture.h"
#include "ui/resource_bitmaps.h"
#include "ui/skin_button.h"
#include "ui_test_support.h"
#include "view/body_pick.h"

namespace vestora::app {
namespace {

using vestora::testing::GrabClient;
using vestora::testing::Pump;
using vestora::testing::PumpUntil;

class MainWindowTest : public MainWindowFixture {
 protected:
  SkinButton* button(int id) { return static_cast<SkinButton*>(main_->FindWindow(id)); }

  // Clicks the middle of a child window with real pointer events.
  void click(wxWindow* window) {
    const wxRect r = window->GetScreenRect();
    wxUIActionSimulator sim;
    sim.MouseMove(r.x + r.width / 2, r.y + r.height / 2);
    Pump(50);
    sim.MouseClick();
    Pump(150);
  }

  void pressKey(int key, int modifiers = wxMOD_NONE) {
    wxUIActionSimulator sim;
    sim.Char(key, modifiers);
    Pump(150);
  }
};

// Pixels that differ clearly from the backdrop, which is grey to white.
int colouredPixels(const wxImage& image, const wxRect& area) {
  int count = 0;
  for (int y = area.y; y < area.GetBottom(); y += 2)
    for (int x = area.x; x < area.GetRight(); x += 2) {
      const int r = image.GetRed(x, y), g = image.GetGreen(x, y), b = image.GetBlue(x, y);
      const int spread = std::max({r, g, b}) - std::min({r, g, b});
      if (spread > 12 || std::max({r, g, b}) < 150) ++count;
    }
  return count;
}

TEST_F(MainWindowTest, StartsMaximisedWithTheAvatarStandingInTheView) {
  const wxRect area = wxDisplay(0u).GetClientArea();
  EXPECT_EQ(main_->GetRect(), area);
  EXPECT_TRUE(main_->maximised());
  EXPECT_EQ(main_->currentPanel(), static_cast<SkinPanel*>(main_->garmentPanel()));
  EXPECT_TRUE(button(ids::kGarmentPanel)->selectedMark);

  CGLViewDlg* canvas = main_->view();
  ASSERT_TRUE(canvas->glReady());
  ASSERT_TRUE(PumpUntil(
      [&] {
        const wxImage frame = GrabClient(canvas);
        const wxSize s = frame.GetSize();
        return colouredPixels(frame, wxRect(s.x * 2 / 5, s.y / 4, s.x / 5, s.y / 2)) > 200;
      },
      5000))
      << "no avatar in the middle of the view";
  const wxImage frame = GrabClient(canvas);
  const wxSize s = frame.GetSize();
  // The corners show the backdrop, not the body.
  EXPECT_LT(colouredPixels(frame, wxRect(4, 4, s.x / 8, s.y / 8)), 20);
}

TEST_F(MainWindowTest, ToolbarSwitchesPanelsAndMarksItsButton) {
  click(button(ids::kControlPanel));
  EXPECT_EQ(main_->currentPanel(), static_cast<SkinPanel*>(main_->controlPanel()));
  EXPECT_TRUE(main_->controlPanel()->IsShown());
  EXPECT_FALSE(main_->garmentPanel()->IsShown());
  EXPECT_TRUE(button(ids::kControlPanel)->selectedMark);
  EXPECT_FALSE(button(ids::kGarmentPanel)->selectedMark);

  click(button(ids::kSettingsPanel));
  EXPECT_EQ(main_->currentPanel(), static_cast<SkinPanel*>(main_->settingsPanel()));
  EXPECT_TRUE(button(ids::kSettingsPanel)->selectedMark);
  EXPECT_FALSE(button(ids::kControlPanel)->selectedMark);

  // The store page takes the whole slot; the view goes.
  click(button(ids::kStore));
  EXPECT_EQ(main_->currentPanel(), nullptr);
  EXPECT_TRUE(main_->browserPage()->IsShown());
  EXPECT_FALSE(main_->view()->IsShown());
  EXPECT_TRUE(button(ids::kBrowserHome)->IsShown());
  EXPECT_EQ(main_->browserPage()->address(), StoreHome());

  click(button(ids::kGarmentPanel));
  EXPECT_TRUE(main_->view()->IsShown());
  EXPECT_FALSE(button(ids::kBrowserHome)->IsShown());
  EXPECT_EQ(main_->browserPage()->address(), "about:blank");

  // The button of the panel already shown changes nothing, not even the page.
  main_->browserPage()->Navigate(StoreHome() + "kept.html");
  click(button(ids::kGarmentPanel));
  EXPECT_EQ(main_->browserPage()->address(), StoreHome() + "kept.html");
}

TEST_F(MainWindowTest, SlideButtonCollapsesAndReopensThePanel) {
  const wxSize client = main_->GetClientSize();
  const int viewWidth = main_->view()->GetSize().x;
  click(button(ids::kSlide));
  EXPECT_TRUE(main_->panelCollapsed());
  EXPECT_EQ(main_->garmentPanel()->rect.current.width, 0);
  EXPECT_EQ(main_->view()->GetSize().x, client.x - 34);
  EXPECT_TRUE(button(ids::kSlide)->IsShown());

  // Another panel takes the collapsed rectangle over.
  click(button(ids::kControlPanel));
  EXPECT_EQ(main_->controlPanel()->rect.current.width, 0);
  EXPECT_EQ(main_->view()->GetSize().x, client.x - 34);

  click(button(ids::kSlide));
  EXPECT_FALSE(main_->panelCollapsed());
  EXPECT_EQ(main_->controlPanel()->rect.current.width, kPanelWidth);
  EXPECT_EQ(main_->view()->GetSize().x, viewWidth);
}

TEST_F(MainWindowTest, WheelZoomStopsAtTheLimits) {
  const wxRect r = main_->view()->GetScreenRect();
  const std::string at =
      std::to_string(r.x + r.width / 2) + " " + std::to_string(r.y + r.height / 2);
  // Button 4 turns the wheel away from the user (positive delta).
  ASSERT_EQ(std::system(("xdotool mousemove " + at + " click --repeat 40 --delay 5 4").c_str()), 0);
  Pump(400);
  EXPECT_FLOAT_EQ(view().camera.distance, -44) << "far limit without a scene";
  ASSERT_EQ(std::system(("xdotool mousemove " + at + " click --repeat 40 --delay 5 5").c_str()), 0);
  Pump(400);
  EXPECT_FLOAT_EQ(view().camera.distance, -16) << "near limit";
}

TEST_F(MainWindowTest, EnterAndEscapeNeverCloseTheWindow) {
  for (const int key : {WXK_RETURN, WXK_ESCAPE, WXK_NUMPAD_ENTER}) pressKey(key);
  click(button(ids::kControlPanel));
  main_->controlPanel()->SetFocus();
  for (const int key : {WXK_RETURN, WXK_ESCAPE}) pressKey(key);
  Pump(200);
  EXPECT_TRUE(main_->IsShown());
  EXPECT_FALSE(main_->IsBeingDeleted());
}

TEST_F(MainWindowTest, F2TogglesTheSheetWhereverTheFocusIs) {
  ASSERT_FALSE(view().measurementSheet);
  pressKey(WXK_F2);
  EXPECT_TRUE(view().measurementSheet);
  click(button(ids::kControlPanel));
  main_->controlPanel()->SetFocus();
  Pump(50);
  pressKey(WXK_F2);
  EXPECT_FALSE(view().measurementSheet) << "a key press on a panel still reaches the view";
}

TEST_F(MainWindowTest, CtrlInSnapshotModeWritesTheDraggedRectangle) {
  const std::filesystem::path folder =
      std::filesystem::path(std::getenv("VESTORA_TEST_TMP") ? std::getenv("VESTORA_TEST_TMP")
                                                            : "/tmp") /
      "main-window-snapshot";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  view().snapshotMode = true;
  view().snapshotBase = (folder / "look").string();

  dragInView({102, 60}, {305, 210}, 5);
  pressKey(WXK_CONTROL);
  PumpUntil([&] { return std::filesystem::exists(folder / "look000.jpg"); }, 3000);
  ASSERT_TRUE(std::filesystem::exists(folder / "look000.jpg"));
  EnsureImageHandlers();
  wxImage shot;
  ASSERT_TRUE(shot.LoadFile((folder / "look000.jpg").string(), wxBITMAP_TYPE_JPEG));
  // 203 pixels wide from x = 102: both cut to multiples of four.
  EXPECT_EQ(shot.GetWidth(), 200);
  EXPECT_EQ(shot.GetHeight(), 150);

  pressKey(WXK_CONTROL);
  EXPECT_TRUE(PumpUntil([&] { return std::filesystem::exists(folder / "look001.jpg"); }, 3000));
  view().snapshotMode = false;
}

TEST_F(MainWindowTest, ControlsStandWhereTheLayoutPutsThem) {
  const wxSize client = main_->GetClientSize();
  for (const Placement& p : fixedPlacements(client.x, client.y)) {
    wxWindow* window = main_->FindWindow(p.id);
    ASSERT_NE(window, nullptr) << p.id;
    EXPECT_EQ(window->GetRect(), wxRect(p.rect.x, p.rect.y, p.rect.width, p.rect.height))
        << "control " << p.id << " at " << client.x << "x" << client.y;
  }
  EXPECT_EQ(main_->view()->GetRect(), wxRect(10, kPanelTop, client.x - 455, client.y - 202));
  EXPECT_EQ(main_->garmentPanel()->GetRect(),
            wxRect(client.x - 431, kPanelTop, kPanelWidth, client.y - 202));
}

class IdleWindowTest : public MainWindowFixture {
 protected:
  // The view as it is on screen once the breath has reached a frame within
  // [from, to]; the frame on screen then.
  std::optional<std::pair<wxImage, std::size_t>> grabBetween(std::size_t from, std::size_t to) {
    if (!PumpUntil(
            [&] {
              const std::size_t k = view().idleFrameIndex();
              return k >= from && k <= to;
            },
            8000))
      return std::nullopt;
    Pump(40);  // its paint
    const std::size_t k = view().idleFrameIndex();
    wxImage image = GrabClient(main_->view());
    if (k < from || k > 99) return std::nullopt;
    return std::make_pair(image, k);
  }
};

// Two frames of the window half a breath apart differ, and only where the
// breath moves her: the chest and the belly.
TEST_F(IdleWindowTest, TheUndressedAvatarBreathesWithHerChestOnly) {
  GlView& v = view();
  ASSERT_TRUE(v.idleAnimationOn());
  const IdleAnimation& idle = v.idleAnimation();
  ASSERT_EQ(idle.frameCount(), 100u);
  // Past the blink, so that only the breath moves.
  std::optional<std::pair<wxImage, std::size_t>> first, second;
  for (int tries = 0; tries < 4 && !second; ++tries) {
    first = grabBetween(15, 35);
    if (first) second = grabBetween(first->second + 20, 99);
  }
  ASSERT_TRUE(first && second) << "the breath did not reach the frames looked for";
  const wxImage& a = first->first;
  const wxImage& b = second->first;
  ASSERT_EQ(a.GetSize(), b.GetSize());

  // Where the vertices that breathe are on screen (GL y from the bottom),
  // between frame 14 and the last.
  const ViewMatrices& m = v.matrices();
  ASSERT_TRUE(m.valid);
  double left = 1e9, right = -1e9, top = 1e9, bottom = -1e9;
  for (const std::int32_t vertex : idle.movingVertices()) {
    const float* p0 = idle.frame(14) + 3 * vertex;
    const float* p1 = idle.frame(idle.lastFrame() / 2) + 3 * vertex;
    if (std::fabs(p0[0] - p1[0]) + std::fabs(p0[1] - p1[1]) + std::fabs(p0[2] - p1[2]) < 1e-4f)
      continue;
    const auto w = projectModelPoint(m, Vec3f{p1[0], p1[1], p1[2]});
    if (!w) continue;
    left = std::min(left, (*w)[0]);
    right = std::max(right, (*w)[0]);
    top = std::min(top, a.GetHeight() - (*w)[1]);
    bottom = std::max(bottom, a.GetHeight() - (*w)[1]);
  }
  ASSERT_LT(left, right);
  // Her torso lies below her head: the breathing region starts well below
  // the top of the body.
  const Avatar& avatar = v.avatar();
  const auto head = projectModelPoint(m, Vec3f{0, avatar.maximum[1], 0});
  const auto feet = projectModelPoint(m, Vec3f{0, avatar.minimum[1], 0});
  ASSERT_TRUE(head && feet);
  const double bodyPixels = (*head)[1] - (*feet)[1];
  EXPECT_GT(top, a.GetHeight() - (*head)[1] + 0.12 * bodyPixels);

  int changed = 0, outside = 0;
  for (int y = 0; y < a.GetHeight(); ++y)
    for (int x = 0; x < a.GetWidth(); ++x) {
      const int d = std::max({std::abs(a.GetRed(x, y) - b.GetRed(x, y)),
                              std::abs(a.GetGreen(x, y) - b.GetGreen(x, y)),
                              std::abs(a.GetBlue(x, y) - b.GetBlue(x, y))});
      if (d <= 6) continue;
      ++changed;
      if (x < left - 6 || x > right + 6 || y < top - 6 || y > bottom + 6) ++outside;
    }
  EXPECT_GT(changed, 100) << "frames " << first->second << " and " << second->second;
  EXPECT_EQ(outside, 0) << "of " << changed << " changed pixels";
}

// A pose chosen through the window's hook: the pose's body, the user's
// height on it, the body page showing her settings, and she breathes.
TEST_F(IdleWindowTest, APoseChangeKeepsTheHeightSetOnTheBodyPage) {
  CBodyEditPage* page = main_->controlPanel()->bodyPage();
  ASSERT_NE(page, nullptr);
  page->field(CBodyEditPage::kHeightField)->ChangeValue("180");
  page->editor()->applyFields("180", "111.5", "0", "115.44");
  ASSERT_NEAR(view().shaper().currentHeightCm(), 180.0f, 0.2f);

  ASSERT_TRUE(main_->SelectPose("Pose1.bmp").ok());
  EXPECT_TRUE(view().avatar().bagPose);
  EXPECT_NEAR(view().shaper().currentHeightCm(), 180.0f, 0.2f);
  EXPECT_EQ(page->field(CBodyEditPage::kHeightField)->GetValue(), "180");
  EXPECT_TRUE(view().idleAnimationOn());
  // Not one of her poses: refused, and nothing changes.
  EXPECT_FALSE(main_->SelectPose("Nobody.bmp").ok());
  EXPECT_TRUE(view().avatar().bagPose);
}

}  // namespace
}  // namespace vestora::app
