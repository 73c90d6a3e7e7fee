#include "app/main_layout.h"

namespace vestora::app {

void PanelRect::setCurrent(int x, int y, int width, int height) {
  if (x != -1) current.x = x;
  if (y != -1) current.y = y;
  if (width != -1) current.width = width;
  if (height != -1) current.height = height;
}

int toolbarOffset(int clientWidth) {
  return (clientWidth - kDesignWidth) / 2;
}

std::vector<Placement> fixedPlacements(int w, int h) {
  const int c = toolbarOffset(w);
  std::vector<Placement> out;
  static constexpr int kToolbarX[7] = {161, 266, 367, 471, 583, 692, 802};
  for (int i = 0; i < 7; ++i) out.push_back({kToolbarIds[i], {c + kToolbarX[i], 59, 55, 55}});
  out.push_back({ids::kMinimise, {w - 78, 13, 14, 14}});
  out.push_back({ids::kMaximise, {w - 58, 10, 14, 14}});
  out.push_back({ids::kClose, {w - 35, 10, 14, 14}});
  out.push_back({ids::kWizardPrevious, {w - 172, h - 30, 22, 22}});
  out.push_back({ids::kWizardNext, {w - 140, h - 30, 22, 22}});
  out.push_back({ids::kWizardSpeed, {w - 265, h - 30, 93, 23}});
  static constexpr int kBrowserButtons[5][2] = {{ids::kBrowserHome, 10},
                                                {ids::kBrowserBack, 40},
                                                {ids::kBrowserForward, 70},
                                                {ids::kBrowserRefresh, 100},
                                                {ids::kBrowserStop, 130}};
  for (const auto& [id, x] : kBrowserButtons) out.push_back({id, {x, h - 30, 25, 24}});
  out.push_back({ids::kBanner, {c + 166, 116, 695, 16}});
  return out;
}

PixelRect initialViewRect(int w, int h) {
  return {10, kPanelTop, w - 455, h - 202};
}
PixelRect initialPanelRect(int w, int h) {
  return {w - 431, kPanelTop, kPanelWidth, h - 202};
}
PixelRect initialBrowserRect(int w, int h) {
  return {10, kPanelTop, w - 8, h - 202};
}

PanelLayout layoutPanels(int w, int h, PanelRect& view, PanelRect& panel) {
  const int panelWidth = panel.current.width;
  view.setCurrent(-1, -1, w - panelWidth - 34, h - 202);
  panel.setCurrent(w - panelWidth - 10, -1, -1, h - 202);
  const PixelRect& p = panel.current;
  return {{p.x - 10, p.y + (p.height - p.height / 2) - 28, 10, 49}};
}

void layoutBrowser(int w, int h, PanelRect& browser) {
  browser.setCurrent(10, -1, std::max(w - 20, 1), h - 202);
}

std::vector<SlideStep> slideClosedSteps(const PanelRect& panel, const PanelRect& view) {
  const int full = panel.full.width;
  SlideStep at{panel.current.x, panel.current.width, view.current.width};
  std::vector<SlideStep> steps;
  for (int s = 10; s <= full; s += 10) {
    at.panelX += 10;
    at.panelWidth -= 10;
    at.viewWidth += 10;
    steps.push_back(at);
  }
  if (full % 10 != 0 && at.panelWidth != 0) {
    at.panelX += at.panelWidth;
    at.viewWidth += at.panelWidth;
    at.panelWidth = 0;
    steps.push_back(at);
  }
  return steps;
}

std::vector<SlideStep> slideOpenSteps(const PanelRect& panel, const PanelRect& view) {
  const int full = panel.full.width;
  SlideStep at{panel.current.x, panel.current.width, view.current.width};
  std::vector<SlideStep> steps;
  for (int i = 0; i < full / 10; ++i) {
    at.panelX -= 10;
    at.panelWidth += 10;
    at.viewWidth -= 10;
    steps.push_back(at);
  }
  if (const int rest = full - at.panelWidth; rest != 0) {
    at.panelX -= rest;
    at.viewWidth -= rest;
    at.panelWidth = full;
    steps.push_back(at);
  }
  return steps;
}

SkinPlan planSkin(int w, int h, const BitmapSizeLookup& sizeOf) {
  SkinPlan plan;
  auto add = [&](int id, PixelRect dest, bool stretch, int column = -1) {
    const BitmapSize size = sizeOf(id);
    if (size.width <= 0 || size.height <= 0 || dest.width <= 0 || dest.height <= 0) return;
    plan.pieces.push_back({id, dest, stretch, column});
  };
  auto at = [&](int id, int x, int y) {
    const BitmapSize size = sizeOf(id);
    add(id, {x, y, size.width, size.height}, false);
  };

  // Title strip: fillers, then the centred piece and the two caps.
  const int titleLeft = sizeOf(skin::kTitleLeft).width;
  const int titleRight = sizeOf(skin::kTitleRight).width;
  const int titleCentre = sizeOf(skin::kTitleCentre).width;
  plan.titleCentreX = (w - titleCentre) / 2;
  add(skin::kTitleFill, {titleLeft, 0, plan.titleCentreX - titleLeft, kTitleHeight}, true);
  const int afterCentre = plan.titleCentreX + titleCentre;
  add(skin::kTitleFill, {afterCentre, 0, w - titleRight - afterCentre, kTitleHeight}, true);
  at(skin::kTitleCentre, plan.titleCentreX, 0);
  at(skin::kTitleLeft, 0, 0);
  at(skin::kTitleRight, w - titleRight, 0);

  // Toolbar strip: the filler under everything, the pieces either side of the
  // centred toolbar, the caps.
  const int toolbarHeight = kBodyTop - kToolbarTop;
  const int c = toolbarOffset(w);
  add(skin::kToolbarFill, {0, kToolbarTop, w, toolbarHeight}, true);
  at(skin::kToolbarPieceLeft, c + 161 - sizeOf(skin::kToolbarPieceLeft).width, kToolbarTop);
  at(skin::kToolbarPieceRight, c + 857, kToolbarTop);
  at(skin::kToolbarLeft, 0, kToolbarTop);
  at(skin::kToolbarRight, w - sizeOf(skin::kToolbarRight).width, kToolbarTop);

  // Body background: a left piece, its last column stretched, a right edge.
  const int bodyHeight = h - 184;
  const int bodyLeft = sizeOf(skin::kBodyLeft).width;
  const int bodyRight = sizeOf(skin::kBodyRightEdge).width;
  add(skin::kBodyLeft, {0, kBodyTop, bodyLeft, bodyHeight}, true);
  add(skin::kBodyLeft, {bodyLeft, kBodyTop, w - bodyRight - bodyLeft, bodyHeight}, true,
      bodyLeft - 1);
  add(skin::kBodyRightEdge, {w - bodyRight, kBodyTop, bodyRight, bodyHeight}, true);

  // Bottom band and bottom strip.
  const int stripTop = h - kBottomStripHeight;
  add(skin::kBottomBand, {0, stripTop - kBottomBandHeight, w, kBottomBandHeight}, true);
  add(skin::kBottomFill, {0, stripTop, w, kBottomStripHeight}, true);
  const int pieceWidth = sizeOf(skin::kBottomPiece).width;
  const int mirrorWidth = sizeOf(skin::kBottomPieceMirror).width;
  at(skin::kBottomPiece, 306, stripTop);
  at(skin::kBottomPieceMirror, w - 306 - mirrorWidth, stripTop);

  const int barLeft = 306 + pieceWidth;
  const int barWidth = w - 306 - mirrorWidth - barLeft;
  const int barHeight =
      sizeOf(skin::kProgressBar).height > 0 ? sizeOf(skin::kProgressBar).height : 10;
  if (barWidth > 0)
    plan.progressBar = {barLeft, stripTop + (kBottomStripHeight - barHeight) / 2, barWidth,
                        barHeight};
  plan.statusLine = {kStatusInset, stripTop + (kBottomStripHeight - kStatusHeight) / 2,
                     kStatusWidth, kStatusHeight};
  plan.stopButton = {kStatusInset + kStatusWidth + 8,
                     stripTop + (kBottomStripHeight - kStopButtonHeight) / 2, kStopButtonWidth,
                     kStopButtonHeight};
  return plan;
}

}  // namespace vestora::app
