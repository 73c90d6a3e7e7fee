// The main window's geometry: toolbar centring, the panel slot beside the
// view, sliding the panel, and the skin pieces.
#include "app/main_layout.h"

#include <algorithm>
#include <map>

#include <gtest/gtest.h>

namespace vestora::app {
namespace {

PixelRect placementOf(const std::vector<Placement>& all, int id) {
  const auto it =
      std::find_if(all.begin(), all.end(), [&](const Placement& p) { return p.id == id; });
  EXPECT_NE(it, all.end()) << id;
  return it == all.end() ? PixelRect{} : it->rect;
}

TEST(MainLayout, ToolbarStaysCentredOnTheDesignWidth) {
  // 1280 wide: c = 128; 1000 wide: c = −12 (truncated toward zero from −12);
  // 1023 wide: (−1) / 2 = 0.
  EXPECT_EQ(toolbarOffset(1280), 128);
  EXPECT_EQ(toolbarOffset(1000), -12);
  EXPECT_EQ(toolbarOffset(1023), 0);
  EXPECT_EQ(toolbarOffset(1001), -11);

  for (const int width : {1000, 1024, 1280, 1920}) {
    const auto all = fixedPlacements(width, 800);
    const int c = toolbarOffset(width);
    EXPECT_EQ(placementOf(all, ids::kGarmentPanel), (PixelRect{c + 161, 59, 55, 55}));
    EXPECT_EQ(placementOf(all, ids::kStore), (PixelRect{c + 802, 59, 55, 55}));
    EXPECT_EQ(placementOf(all, ids::kBanner), (PixelRect{c + 166, 116, 695, 16}));
    // The toolbar keeps its place relative to the window's middle (±1 for
    // odd widths).
    const int left = c + 161, right = c + 802 + 55;
    EXPECT_LE(std::abs((left + right - width) - (161 + 857 - kDesignWidth)), 1) << width;
  }
}

TEST(MainLayout, CaptionAndBottomBarFollowTheEdges) {
  const auto all = fixedPlacements(1366, 738);
  EXPECT_EQ(placementOf(all, ids::kClose), (PixelRect{1331, 10, 14, 14}));
  EXPECT_EQ(placementOf(all, ids::kMaximise), (PixelRect{1308, 10, 14, 14}));
  EXPECT_EQ(placementOf(all, ids::kMinimise), (PixelRect{1288, 13, 14, 14}));
  EXPECT_EQ(placementOf(all, ids::kWizardPrevious), (PixelRect{1194, 708, 22, 22}));
  EXPECT_EQ(placementOf(all, ids::kWizardNext), (PixelRect{1226, 708, 22, 22}));
  EXPECT_EQ(placementOf(all, ids::kWizardSpeed), (PixelRect{1101, 708, 93, 23}));
  EXPECT_EQ(placementOf(all, ids::kBrowserHome), (PixelRect{10, 708, 25, 24}));
  EXPECT_EQ(placementOf(all, ids::kBrowserStop), (PixelRect{130, 708, 25, 24}));
  // No two controls overlap.
  for (std::size_t i = 0; i < all.size(); ++i)
    for (std::size_t j = i + 1; j < all.size(); ++j) {
      const PixelRect &a = all[i].rect, &b = all[j].rect;
      const bool apart =
          a.right() <= b.x || b.right() <= a.x || a.bottom() <= b.y || b.bottom() <= a.y;
      EXPECT_TRUE(apart) << all[i].id << " overlaps " << all[j].id;
    }
}

TEST(MainLayout, PanelRectKeepsComponentsGivenAsMinusOne) {
  PanelRect r;
  r.setBoth({1, 2, 3, 4});
  r.setCurrent(-1, 7, -1, 9);
  EXPECT_EQ(r.current, (PixelRect{1, 7, 3, 9}));
  EXPECT_EQ(r.full, (PixelRect{1, 2, 3, 4}));
}

TEST(MainLayout, ViewAndPanelShareTheSlotWithAGapForTheSlideButton) {
  for (const auto& [w, h] : {std::pair{1024, 768}, std::pair{1366, 738}, std::pair{1920, 1050}}) {
    PanelRect view, panel;
    view.setBoth(initialViewRect(w, h));
    panel.setBoth(initialPanelRect(w, h));
    const PanelLayout layout = layoutPanels(w, h, view, panel);
    // Start-up rectangles already agree with the layout.
    EXPECT_EQ(view.current, initialViewRect(w, h));
    EXPECT_EQ(panel.current, initialPanelRect(w, h));
    EXPECT_EQ(view.current.right() + 14, panel.current.x);
    EXPECT_EQ(panel.current.right(), w - 10);
    EXPECT_EQ(layout.slideButton.x, panel.current.x - 10);
    EXPECT_EQ(layout.slideButton.right(), panel.current.x);
    EXPECT_GE(layout.slideButton.x, view.current.right());
    const int middle = panel.current.y + panel.current.height / 2;
    EXPECT_NEAR(layout.slideButton.y + 49 / 2, middle, 28);
  }
}

TEST(MainLayout, TheStorePageKeepsTheViewsMarginOnBothSides) {
  PanelRect browser;
  browser.setBoth(initialBrowserRect(1280, 1024));
  layoutBrowser(1024, 768, browser);
  EXPECT_EQ(browser.current.x, 10);
  EXPECT_EQ(browser.current.x + browser.current.width, 1024 - 10);
  EXPECT_EQ(browser.current.height, 768 - 202);
}

TEST(MainLayout, CollapsedPanelGivesTheViewTheWholeSlot) {
  const int w = 1280, h = 800;
  PanelRect view, panel;
  view.setBoth(initialViewRect(w, h));
  panel.setBoth(initialPanelRect(w, h));
  panel.setCurrent(-1, -1, 0, -1);
  const PanelLayout layout = layoutPanels(w, h, view, panel);
  EXPECT_EQ(view.current.width, w - 34);
  EXPECT_EQ(panel.current.x, w - 10);
  EXPECT_EQ(layout.slideButton.x, w - 20);
  EXPECT_EQ(panel.full.width, kPanelWidth) << "the full width is kept for opening again";
}

TEST(MainLayout, SlidingMovesTenPixelsAtATimeThenTheRest) {
  const int w = 1280, h = 800;
  PanelRect view, panel;
  view.setBoth(initialViewRect(w, h));
  panel.setBoth(initialPanelRect(w, h));

  const auto closing = slideClosedSteps(panel, view);
  ASSERT_EQ(closing.size(), 43u);  // 42 steps of 10, then the last 1 pixel
  EXPECT_EQ(closing[0], (SlideStep{w - 421, 411, w - 445}));
  EXPECT_EQ(closing[41].panelWidth, 1);
  EXPECT_EQ(closing.back(), (SlideStep{w - 10, 0, w - 34}));
  for (const SlideStep& s : closing) {
    EXPECT_EQ(s.panelX + s.panelWidth, w - 10) << "the panel's right edge stays";
    EXPECT_EQ(s.viewWidth + s.panelWidth, w - 34) << "the gap stays";
  }

  panel.setCurrent(closing.back().panelX, -1, 0, -1);
  view.setCurrent(-1, -1, closing.back().viewWidth, -1);
  const auto opening = slideOpenSteps(panel, view);
  ASSERT_EQ(opening.size(), 43u);
  EXPECT_EQ(opening[0], (SlideStep{w - 20, 10, w - 44}));
  EXPECT_EQ(opening.back(), (SlideStep{w - 431, 421, w - 455}));

  // A width that is a multiple of ten needs no last step either way.
  panel.setBoth({100, 153, 300, 500});
  view.setBoth({10, 153, 76, 500});
  EXPECT_EQ(slideClosedSteps(panel, view).size(), 30u);
  EXPECT_EQ(slideClosedSteps(panel, view).back().panelWidth, 0);
}

TEST(MainLayout, SkinCoversTheWindowWithTheEighteenBitmaps) {
  std::map<int, BitmapSize> sizes = {
      {291, {320, 37}}, {292, {120, 37}},  {293, {400, 37}},  {294, {4, 37}},  {295, {40, 110}},
      {296, {40, 110}}, {297, {140, 110}}, {298, {140, 110}}, {299, {4, 110}}, {300, {200, 31}},
      {310, {200, 31}}, {313, {4, 31}},    {317, {4, 6}},     {315, {10, 64}}, {316, {5, 64}},
      {311, {200, 10}}, {312, {200, 10}},  {318, {695, 16}}};
  const auto lookup = [&](int id) { return sizes.count(id) ? sizes[id] : BitmapSize{}; };
  for (const auto& [w, h] : {std::pair{1024, 768}, std::pair{1600, 900}}) {
    const SkinPlan plan = planSkin(w, h, lookup);
    EXPECT_EQ(plan.titleCentreX, (w - 400) / 2);
    // Every pixel row band is covered from x = 0 to W: sample a few rows.
    for (const int y : {0, 36, 37, 100, 146, 147, h / 2, h - 38, h - 37, h - 32, h - 31, h - 1}) {
      for (const int x : {0, 5, w / 3, w / 2, w - 6, w - 1}) {
        const bool covered =
            std::any_of(plan.pieces.begin(), plan.pieces.end(), [&](const SkinPiece& p) {
              return x >= p.dest.x && x < p.dest.right() && y >= p.dest.y && y < p.dest.bottom();
            });
        EXPECT_TRUE(covered) << "(" << x << ", " << y << ") in " << w << "x" << h;
      }
    }
    // The progress bar sits between the two bottom pieces, inside the strip.
    EXPECT_EQ(plan.progressBar.x, 506);
    EXPECT_EQ(plan.progressBar.right(), w - 506);
    EXPECT_GE(plan.progressBar.y, h - 31);
    EXPECT_LE(plan.progressBar.bottom(), h);
  }
  // Missing bitmaps are left out instead of drawn at size zero.
  sizes.erase(293);
  const SkinPlan partial = planSkin(1024, 768, lookup);
  EXPECT_TRUE(std::none_of(partial.pieces.begin(), partial.pieces.end(),
                           [](const SkinPiece& p) { return p.bitmapId == 293; }));
}

}  // namespace
}  // namespace vestora::app
