// The accessory page in the real main window on a virtual display, driven
// by real input: a slider drag moves the glasses, the light buttons move a
// light, "重置" puts the sliders back, "恢复默认发型" brings the default hair.
#include "app/accessory_page.h"

#include <gtest/gtest.h>
#include <wx/uiaction.h>

#include "app/gl_view_window.h"
#include "app/main_window.h"
#include "app/page_widgets.h"
#include "app/panels.h"
#include "formats/model_ops.h"
#include "main_window_fixture.h"
#include "ui/skin_button.h"
#include "ui/skin_slider.h"
#include "ui_test_support.h"

namespace vestora::app {
namespace {

using vestora::testing::Pump;
using vestora::testing::PumpUntil;

std::array<float, 3> boxCentre(const GlmModel& m) {
  std::array<float, 3> dims{}, maxi{}, mini{};
  glmDimensions(m, dims, maxi, mini);
  return {(maxi[0] + mini[0]) / 2, (maxi[1] + mini[1]) / 2, (maxi[2] + mini[2]) / 2};
}

class AccessoryPageTest : public MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    if (HasFatalFailure()) return;
    click(main_->FindWindow(ids::kControlPanel));
    click(main_->controlPanel()->FindWindow(CControlPanelDlg::kAccessoryTab));
    ASSERT_TRUE(page()->IsShownOnScreen());
  }
  CAccessoryPage* page() { return main_->controlPanel()->accessoryPage(); }
  Accessories& accessories() { return view().accessories(); }

  void click(wxWindow* window) {
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(window->IsShownOnScreen());
    const wxRect r = window->GetScreenRect();
    wxUIActionSimulator sim;
    sim.MouseMove(wxPoint(r.x + r.width / 2, r.y + r.height / 2));
    Pump(50);
    sim.MouseClick();
    Pump(200);
  }
  // Drags a slider's thumb `dx` pixels to the right.
  void drag(SkinSlider* slider, int dx) {
    ASSERT_TRUE(slider->IsShownOnScreen());
    const wxRect thumb = slider->ThumbRect();
    const wxPoint from =
        slider->ClientToScreen(wxPoint(thumb.x + thumb.width / 2, thumb.y + thumb.height / 2));
    wxUIActionSimulator sim;
    sim.MouseMove(from);
    Pump(50);
    sim.MouseDown();
    Pump(50);
    for (int step = 1; step <= 4; ++step) {
      sim.MouseMove(from.x + step * dx / 4, from.y);
      Pump(40);
    }
    sim.MouseUp();
    Pump(150);
  }
};

TEST_F(AccessoryPageTest, DraggingAMoveSliderMovesTheGlassesAndResetLeavesThemThere) {
  ASSERT_TRUE(accessories().wearEntry("blackframe.gls"));
  const auto before = boxCentre(*accessories().wornItem.model);
  drag(page()->slider(kMoveX), 40);
  const float moved = page()->adjuster()->values[kMoveX];
  ASSERT_GT(moved, 0.5f);
  EXPECT_EQ(page()->valueLabel(kMoveX)->text().utf8_string(), sliderLabel(moved));
  const auto after = boxCentre(*accessories().wornItem.model);
  EXPECT_NEAR(after[0] - before[0], moved, 1e-3f);
  EXPECT_NEAR(after[1], before[1], 1e-4f);

  click(main_->controlPanel()->resetButton());
  EXPECT_EQ(page()->slider(kMoveX)->GetPos(), 0.0);
  EXPECT_EQ(page()->valueLabel(kMoveX)->text(), "0");
  EXPECT_NEAR(boxCentre(*accessories().wornItem.model)[0], after[0], 1e-4f) << "the glasses stay";
}

TEST_F(AccessoryPageTest, TheLightButtonGivesTheMoveSlidersToTheFirstLight) {
  SkinButton* light = page()->button(CAccessoryPage::kLightOne);
  click(light);
  EXPECT_TRUE(page()->adjuster()->lightOneMode);
  EXPECT_TRUE(light->selectedMark);
  drag(page()->slider(kMoveY), 30);
  const float y = page()->adjuster()->values[kMoveY];
  ASSERT_GT(y, 0.2f);
  EXPECT_NEAR(view().lightOffsets[0][1], 50 * y, 1e-3f);
  EXPECT_EQ(view().lightOffsets[1], (std::array<float, 3>{0, 0, 0}));
  // Once more: the sliders go back to the accessories.
  click(light);
  EXPECT_FALSE(page()->adjuster()->lightOneMode);
  EXPECT_FALSE(light->selectedMark);
  EXPECT_EQ(page()->slider(kMoveY)->GetPos(), 0.0);
}

TEST_F(AccessoryPageTest, TheDefaultHairComesBack) {
  ASSERT_TRUE(accessories().hair);
  EXPECT_EQ(accessories().hair.name, "PonyTail") << "the woman comes with her hair";
  ASSERT_TRUE(accessories().wearEntry("LongHair.hir"));
  EXPECT_EQ(accessories().hair.name, "LongHair");
  click(page()->button(CAccessoryPage::kDefaultHair));
  ASSERT_TRUE(accessories().hair);
  EXPECT_EQ(accessories().hair.name, "PonyTail");
}

}  // namespace
}  // namespace vestora::app
