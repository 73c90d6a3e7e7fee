// Geometry of the main window: where every control, panel and skin piece
// goes for a client size W × H. Plain arithmetic, kept apart from the window
// so that it is tested without a display. All values are client pixels.
#pragma once

#include <functional>
#include <optional>
#include <vector>

namespace vestora::app {

struct PixelRect {
  int x = 0, y = 0, width = 0, height = 0;
  int right() const { return x + width; }
  int bottom() const { return y + height; }
  bool operator==(const PixelRect&) const = default;
};

// The two rectangles every panel, the view and the browser page carry: the
// current one and the saved full one.
struct PanelRect {
  PixelRect current;
  PixelRect full;

  void setBoth(const PixelRect& r) { current = full = r; }
  // Components given as −1 keep their value.
  void setCurrent(int x, int y, int width, int height);
};

// Command ids of the main window.
namespace ids {
inline constexpr int kGarmentPanel = 1000, kControlPanel = 1001, kHelp = 1002, kStore = 1003,
                     kCartPage = 1004, kOrderPage = 1005, kSettingsPanel = 1006;
inline constexpr int kSlide = 1015, kSlideHidden = 1016;
inline constexpr int kClose = 1026, kMinimise = 1027, kMaximise = 1028;
inline constexpr int kWizardPrevious = 1029, kBanner = 1030, kWizardNext = 1031,
                     kOffScreenButton = 1033, kWizardSpeed = 1034, kStopDrape = 1035;
inline constexpr int kProgress = 1103;
inline constexpr int kBrowserBack = 1242, kBrowserForward = 1243, kBrowserHome = 1244,
                     kBrowserStop = 1245, kBrowserRefresh = 1247;
inline constexpr int kBlinkTimer = 1010;
}  // namespace ids

// The seven toolbar buttons in their order on the strip.
inline constexpr int kToolbarIds[7] = {ids::kGarmentPanel, ids::kControlPanel, ids::kSettingsPanel,
                                       ids::kCartPage,     ids::kOrderPage,    ids::kHelp,
                                       ids::kStore};

// Design width the toolbar is centred on.
inline constexpr int kDesignWidth = 1024;
inline constexpr int kTitleHeight = 37;
inline constexpr int kToolbarTop = 37;
inline constexpr int kBodyTop = 147;
inline constexpr int kBottomStripHeight = 31;
// The status line at the left of the bottom strip, and the button that
// stops what it reports.
inline constexpr int kStatusInset = 16;
inline constexpr int kStatusWidth = 112;
inline constexpr int kStatusHeight = 18;
inline constexpr int kStopButtonWidth = 64, kStopButtonHeight = 22;
inline constexpr int kBottomBandHeight = 6;
inline constexpr int kPanelTop = 153;
inline constexpr int kPanelWidth = 421;

// Horizontal offset of the toolbar: (W − 1024) / 2, truncated toward zero.
int toolbarOffset(int clientWidth);

// Where one control goes.
struct Placement {
  int id;
  PixelRect rect;
};

// Positions of the fixed controls (toolbar, caption, bottom bar, browser
// buttons, banner) — everything `Relayout` moves that does not depend on the
// current panel.
std::vector<Placement> fixedPlacements(int clientWidth, int clientHeight);

// The start-up rectangles of the view, the right-hand panels and the browser
// page for a client size.
PixelRect initialViewRect(int clientWidth, int clientHeight);
PixelRect initialPanelRect(int clientWidth, int clientHeight);
PixelRect initialBrowserRect(int clientWidth, int clientHeight);

// What `Relayout` does to the view, the current panel, the slide buttons and
// the browser page. The panel keeps its current width (0 while collapsed).
struct PanelLayout {
  PixelRect slideButton;  // both slide buttons
};
PanelLayout layoutPanels(int clientWidth, int clientHeight, PanelRect& view, PanelRect& panel);
// The store page: 10 pixels in from both sides (the view's margin), as
// tall as the view.
void layoutBrowser(int clientWidth, int clientHeight, PanelRect& browser);

// One step of sliding the panel: the panel's x and width and the view's width
// after the step.
struct SlideStep {
  int panelX, panelWidth, viewWidth;
  bool operator==(const SlideStep&) const = default;
};

// The steps that slide a panel of full width F closed (10 pixels at a time,
// then what is left in one step) or open again (the mirror image), starting
// from the given panel and view rectangles.
std::vector<SlideStep> slideClosedSteps(const PanelRect& panel, const PanelRect& view);
std::vector<SlideStep> slideOpenSteps(const PanelRect& panel, const PanelRect& view);

// The skin: where each of the eighteen skin bitmaps is drawn. A piece is the
// bitmap copied at its own size, or stretched over `dest` (then `sourceColumn`
// ≥ 0 names the single column of the bitmap that is stretched).
struct SkinPiece {
  int bitmapId;
  PixelRect dest;
  bool stretch = false;
  int sourceColumn = -1;
  bool operator==(const SkinPiece&) const = default;
};

// Bitmap ids of the skin.
namespace skin {
inline constexpr int kTitleLeft = 291, kTitleRight = 292, kTitleCentre = 293, kTitleFill = 294;
inline constexpr int kToolbarLeft = 295, kToolbarRight = 296, kToolbarPieceLeft = 297,
                     kToolbarPieceRight = 298, kToolbarFill = 299;
inline constexpr int kBottomPiece = 300, kBottomPieceMirror = 310, kBottomFill = 313;
inline constexpr int kBottomBand = 317;
inline constexpr int kBodyLeft = 315, kBodyRightEdge = 316;
inline constexpr int kProgressBackground = 311, kProgressBar = 312, kBanner = 318;
inline constexpr int kAll[18] = {291, 292, 293, 294, 295, 296, 297, 298, 299,
                                 300, 310, 311, 312, 313, 317, 315, 316, 318};
}  // namespace skin

struct BitmapSize {
  int width = 0, height = 0;
};
using BitmapSizeLookup = std::function<BitmapSize(int bitmapId)>;

struct SkinPlan {
  std::vector<SkinPiece> pieces;  // in painting order
  int titleCentreX = 0;           // where the centred title piece starts
  PixelRect progressBar;          // the download bar sits on the bottom filler
  PixelRect statusLine;           // a line of status left of it, on the strip
  PixelRect stopButton;           // and the button after that line
};

// Missing bitmaps (size 0) are left out; the pieces around them still go
// where they belong.
SkinPlan planSkin(int clientWidth, int clientHeight, const BitmapSizeLookup& sizeOf);

}  // namespace vestora::app
