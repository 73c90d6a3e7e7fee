#include "app/main_window.h"

#include <wx/dcbuffer.h>
#include <wx/dcmemory.h>
#include <wx/display.h>
#include <wx/statbmp.h>
#include <wx/weakref.h>

#include "app/about_dialog.h"
#include "app/body_edit_page.h"
#include "app/browser_page.h"
#include "app/env_settings_panel.h"
#include "app/garment_panel.h"
#include "app/gl_view_window.h"
#include "app/page_widgets.h"
#include "app/panels.h"
#include "app/store_downloads.h"
#include "platform/data_files.h"
#include "platform/data_path.h"
#include "platform/process.h"
#include "store/package_download.h"
#include "ui/key_routing.h"
#include "ui/panel_button_art.h"
#include "ui/resource_bitmaps.h"
#include "ui/skin_button.h"
#include "ui/skin_progress.h"
#include "ui/wizard_speed_dialog.h"

namespace vestora::app {

std::string StoreHome() {
  return StoreHomeUrl();
}

namespace {

constexpr int kMainDialogId = 102;

struct ButtonArt {
  int id;
  int normal, selected, focused, hover;
  bool keyWhite;
  const char* tip;
};

// Bitmaps of the main window's buttons: normal, selected, focused, hover.
constexpr ButtonArt kButtonArt[] = {
    {ids::kGarmentPanel, 135, 314, 136, 137, false, "服装"},
    {ids::kControlPanel, 138, 302, 139, 140, false, "人体"},
    {ids::kSettingsPanel, 141, 303, 142, 143, false, "场景"},
    {ids::kCartPage, 144, 304, 145, 146, false, "购物车"},
    {ids::kOrderPage, 147, 305, 148, 149, false, "订单"},
    {ids::kHelp, 150, 306, 151, 152, false, "帮助"},
    {ids::kStore, 153, 307, 154, 155, false, "商店"},
    {ids::kSlide, 254, 254, 0, 0, true, nullptr},
    {ids::kSlideHidden, 254, 254, 0, 0, true, nullptr},
    {ids::kClose, 308, 309, 0, 0, false, "关闭"},
    {ids::kMinimise, 283, 284, 0, 0, false, "最小化"},
    {ids::kMaximise, 282, 281, 0, 0, false, "最大化"},
    {ids::kWizardPrevious, 534, 537, 534, 539, false, nullptr},
    {ids::kWizardNext, 535, 536, 535, 540, false, nullptr},
    {ids::kWizardSpeed, 542, 543, 0, 544, false, "设置向导播放速度"},
    {ids::kBrowserBack, 629, 632, 633, 633, true, "返回"},
    {ids::kBrowserForward, 634, 635, 636, 636, true, "前进"},
    {ids::kBrowserHome, 628, 630, 631, 631, true, "首页"},
    {ids::kBrowserRefresh, 637, 638, 639, 639, true, "刷新"},
    {ids::kBrowserStop, 640, 641, 642, 642, true, "停止"},
};

constexpr int kBrowserButtonIds[5] = {ids::kBrowserHome, ids::kBrowserBack, ids::kBrowserForward,
                                      ids::kBrowserRefresh, ids::kBrowserStop};

// The colours the skin is drawn over, so that a missing bitmap leaves a
// calm strip rather than a hole.
const wxColour kSlateTop(0x2B, 0x2F, 0x3A), kSlateBottom(0x3A, 0x3F, 0x4D);
// The status line's ink on the dark bottom strip.
const wxColour kStatusInk(0xE4, 0xE7, 0xEE);

wxRect workArea() {
  const int index = wxDisplay::GetFromPoint(wxPoint(0, 0));
  const wxDisplay display(index == wxNOT_FOUND ? 0u : static_cast<unsigned>(index));
  return display.GetClientArea();
}

wxRect toWx(const PixelRect& r) {
  return wxRect(r.x, r.y, r.width, r.height);
}

}  // namespace

CFittingRoomDlg::CFittingRoomDlg(std::string root)
    : wxFrame(nullptr, kMainDialogId, wxString::FromUTF8(kWindowTitle), wxDefaultPosition,
              wxDefaultSize, wxBORDER_NONE | wxMINIMIZE_BOX | wxCLIP_CHILDREN),
      root_(std::move(root)),
      dialogs_(this),
      blinkTimer_(this, ids::kBlinkTimer) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  if (const wxIcon icon = LoadApplicationIcon(); icon.IsOk()) SetIcon(icon);
  Bind(wxEVT_PAINT, &CFittingRoomDlg::onPaint, this);
  Bind(wxEVT_SIZE, &CFittingRoomDlg::onSize, this);
  Bind(wxEVT_LEFT_DOWN, &CFittingRoomDlg::onLeftDown, this);
  Bind(wxEVT_LEFT_UP, &CFittingRoomDlg::onLeftUp, this);
  Bind(wxEVT_MOTION, &CFittingRoomDlg::onMotion, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) { dragging_ = false; });
  Bind(wxEVT_TIMER, &CFittingRoomDlg::onBlink, this, ids::kBlinkTimer);
  Bind(wxEVT_CLOSE_WINDOW, &CFittingRoomDlg::onClose, this);
  Bind(wxEVT_BUTTON, &CFittingRoomDlg::onButton, this);
}

CFittingRoomDlg::~CFittingRoomDlg() {
  blinkTimer_.Stop();
  downloads_.reset();
}

bool CFittingRoomDlg::StartStoreDownload(const std::string& url, wxWindow* browser) {
  if (!downloads_) downloads_ = std::make_unique<StoreDownloads>(*this, dialogs_, root_);
  StoreDownloads::Hooks hooks;
  // A pop-up browser hides while its package downloads and closes after
  // it, unless the user closed it first.
  wxWeakRef<wxWindow> popup(browser);
  hooks.hideBrowser = [popup] {
    if (popup) popup->Hide();
  };
  hooks.closeBrowser = [popup] {
    if (popup) popup->Destroy();
  };
  hooks.progress = [this](int step) {
    if (progress_) progress_->SetPos(step);
  };
  hooks.reloadWardrobe = [this] {
    if (garmentPanel_) garmentPanel_->RefreshList();
  };
  return downloads_->Start(url, std::move(hooks));
}

void CFittingRoomDlg::openOutside(const std::string& url) {
  if (!openWithDesktop(url))
    dialogs_.showMessage(kNoDesktopBrowserMessage + url, "", MessageIcon::Warning);
}

void CFittingRoomDlg::showBrowserState() {
  button(ids::kBrowserBack)->Enable(browserPage_->CanGoBack());
  button(ids::kBrowserForward)->Enable(browserPage_->CanGoForward());
  button(ids::kBrowserRefresh)->Enable(browserPage_->CanReload());
}

bool CFittingRoomDlg::downloading() const {
  return downloads_ && downloads_->busy();
}

Result<void> CFittingRoomDlg::Initialise() {
  const wxRect area = workArea();
  const wxSize normal(std::min(area.width, 1180), std::min(area.height, 800));
  normalRect_ = wxRect(area.x + (area.width - normal.x) / 2, area.y + (area.height - normal.y) / 2,
                       normal.x, normal.y);
  SetMaxSize(area.GetSize());
  SetSize(area);
  const int w = area.width, h = area.height;

  // The view first: it shows the splash and loads the default avatar.
  int samples = 0;
  const wxGLAttributes attributes = CGLViewDlg::ChooseAttributes(&samples);
  view_ = new CGLViewDlg(this, attributes, root_, dialogs_);
  view_->SetMainDialog(this);
  view_->rect.setBoth(initialViewRect(w, h));
  view_->ApplyRect();
  if (Result<void> started = view_->StartUp(); !started) {
    view_->DismissSplash();
    return started;
  }

  controlPanel_ = new CControlPanelDlg(this);
  controlPanel_->rect.setBoth(initialPanelRect(w, h));
  controlPanel_->Hide();
  controlPanel_->SetMainDialog(this);
  controlPanel_->InitBodyPage(1);
  controlPanel_->AttachView(view_);

  garmentPanel_ = new CGarmentPanelDlg(this);
  garmentPanel_->SetMainDialog(this);
  garmentPanel_->rect.setBoth(initialPanelRect(w, h));
  garmentPanel_->AttachView(view_);
  currentPanel_ = garmentPanel_;

  settingsPanel_ = new CEnvSettingsDlg(this);
  settingsPanel_->rect.setBoth(initialPanelRect(w, h));
  settingsPanel_->Hide();
  settingsPanel_->SetMainDialog(this);
  settingsPanel_->Attach(view_, controlPanel_->measurePage());

  browserPage_ = new CStorePageDlg(this);
  browserPage_->rect.setBoth(initialBrowserRect(w, h));
  browserPage_->Hide();
  browserPage_->SetMainDialog(this);
  BrowserHooks hooks;
  hooks.download = [this](const std::string& url, wxWindow* browser) {
    StartStoreDownload(url, browser);
  };
  hooks.openOutside = [this](const std::string& url) { openOutside(url); };
  hooks.stateChanged = [this] { showBrowserState(); };
  browserPage_->SetHooks(std::move(hooks));

  createButtons();
  button(ids::kSlideHidden)->Hide();
  button(ids::kWizardPrevious)->Hide();
  for (const int id : kBrowserButtonIds) button(id)->Hide();

  banner_ = new wxStaticBitmap(this, ids::kBanner, LoadBitmapResource(skin::kBanner));
  progress_ = new SkinProgress(this, ids::kProgress);
  progress_->SetBitmaps(skin::kProgressBar, skin::kProgressBackground);
  progress_->SetRange(0, 200);
  progress_->SetStep(5);
  status_ = PageText(this, "", 13, kStatusInk);
  status_->Hide();
  stopDrape_ = new SkinButton(this, ids::kStopDrape);
  ApplyPanelButtonFaces(stopDrape_, wxString::FromUTF8("停止"),
                        wxSize(kStopButtonWidth, kStopButtonHeight), PanelButtonStyle::Secondary);
  stopDrape_->SetToolTip(wxString::FromUTF8("停止缝合或悬垂，服装回到原来的样子"));
  stopDrape_->Hide();

  InstallMainKeyRouting(this, [this](int keyCode) { onKey(keyCode); });

  maximised_ = false;
  ToggleMaximise();
  Show();
  Update();

  // The context needs the view on screen.
  if (Result<void> gl = view_->StartGL(); !gl) {
    view_->DismissSplash();
    return gl;
  }

  button(ids::kGarmentPanel)->SetSelectedMark(true);
  layoutReady_ = true;
  rebuildSkin();
  Relayout();
  Refresh(false);
  blinkTimer_.Start(1000);
  // The undressed woman breathes while she stands in the view.
  view_->view().startIdleAnimationWhenUndressed();
  return {};
}

Result<void> CFittingRoomDlg::SelectPose(std::string_view thumbnail) {
  Result<void> changed = view_->SelectPose(thumbnail);
  if (changed) {
    if (CBodyEditPage* page = controlPanel_->bodyPage()) {
      page->RefreshForBody();
      page->ShowApplied();
    }
  }
  view_->Refresh(false);
  return changed;
}

void CFittingRoomDlg::createButtons() {
  for (const ButtonArt& art : kButtonArt) {
    auto* b = new SkinButton(this, art.id);
    b->LoadBitmaps(art.normal, art.selected, art.focused);
    if (art.hover) b->SetHoverBitmap(art.hover);
    if (art.keyWhite) b->SetKeyColour(*wxWHITE);
    if (art.tip) b->SetToolTip(wxString::FromUTF8(art.tip));
  }
}

SkinButton* CFittingRoomDlg::button(int id) const {
  return static_cast<SkinButton*>(FindWindow(id));
}

void CFittingRoomDlg::Relayout() {
  if (!layoutReady_) return;
  const wxSize client = GetClientSize();
  const int w = client.x, h = client.y;
  for (const Placement& p : fixedPlacements(w, h)) {
    if (p.id == ids::kBanner) {
      banner_->SetSize(toWx(p.rect));
    } else if (SkinButton* b = button(p.id)) {
      b->SetSize(toWx(p.rect));
    }
  }
  if (currentPanel_) {
    const PanelLayout layout = layoutPanels(w, h, view_->rect, currentPanel_->rect);
    view_->ApplyRect();
    currentPanel_->ApplyRect();
    button(ids::kSlide)->SetSize(toWx(layout.slideButton));
    button(ids::kSlideHidden)->SetSize(toWx(layout.slideButton));
  }
  layoutBrowser(w, h, browserPage_->rect);
  browserPage_->ApplyRect();
  progress_->SetSize(toWx(progressRect_));
  status_->SetSize(toWx(statusRect_));
  stopDrape_->SetSize(toWx(stopRect_));
}

void CFittingRoomDlg::showStatus(const std::string& text) {
  status_->SetLabel(wxString::FromUTF8(text));
  status_->Show(!text.empty());
  stopDrape_->Show(!text.empty());
}

void CFittingRoomDlg::hideEverything() {
  garmentPanel_->Hide();
  controlPanel_->Hide();
  settingsPanel_->Hide();
  browserPage_->Hide();
  button(ids::kSlide)->Hide();
  button(ids::kSlideHidden)->Hide();
  for (const int id : {ids::kGarmentPanel, ids::kControlPanel, ids::kSettingsPanel, ids::kStore})
    button(id)->SetSelectedMark(false);
  for (const int id : kBrowserButtonIds) button(id)->Hide();
  Relayout();
}

void CFittingRoomDlg::ShowPanel(SkinPanel* target, int buttonId) {
  if (target == currentPanel_) return;
  // A collapsed panel hands its collapsed rectangle on.
  if (currentPanel_) target->rect.current = currentPanel_->rect.current;
  currentPanel_ = target;
  hideEverything();
  button(buttonId)->SetSelectedMark(true);
  target->Show();
  view_->Show();
  button(ids::kSlide)->Show();
  target->Refresh(false);
  browserPage_->Navigate("about:blank");
}

void CFittingRoomDlg::ShowStore() {
  if (!currentPanel_ && browserPage_->IsShown()) return;
  currentPanel_ = nullptr;
  hideEverything();
  button(ids::kStore)->SetSelectedMark(true);
  browserPage_->Show();
  view_->Hide();
  browserPage_->ApplyRect();
  browserPage_->Navigate(StoreHome());
  for (const int id : kBrowserButtonIds) button(id)->Show();
  showBrowserState();
}

void CFittingRoomDlg::slideToggle() {
  if (!currentPanel_) return;
  button(ids::kSlide)->Hide();
  if (panelCollapsed_)
    SlidePanelOpen();
  else
    SlidePanelClosed();
  panelCollapsed_ = !panelCollapsed_;
  button(ids::kSlide)->Show();
}

namespace {

void playSlide(const std::vector<SlideStep>& steps, SkinPanel& panel, CGLViewDlg& view,
               wxWindow& frame, SkinButton& slide) {
  for (const SlideStep& step : steps) {
    panel.rect.setCurrent(step.panelX, -1, step.panelWidth, -1);
    view.rect.setCurrent(-1, -1, step.viewWidth, -1);
    panel.ApplyRect();
    view.ApplyRect();
    slide.Move(step.panelX - 10, slide.GetPosition().y);
    frame.Update();
  }
}

}  // namespace

void CFittingRoomDlg::SlidePanelClosed() {
  playSlide(slideClosedSteps(currentPanel_->rect, view_->rect), *currentPanel_, *view_, *this,
            *button(ids::kSlide));
  Relayout();
  view_->Refresh(false);
}

void CFittingRoomDlg::SlidePanelOpen() {
  playSlide(slideOpenSteps(currentPanel_->rect, view_->rect), *currentPanel_, *view_, *this,
            *button(ids::kSlide));
  Relayout();
}

void CFittingRoomDlg::ToggleMaximise() {
  if (maximised_) {
    SetSize(normalRect_);
  } else {
    if (IsShown()) normalRect_ = GetRect();
    SetSize(workArea());
  }
  maximised_ = !maximised_;
  Refresh(false);
}

void CFittingRoomDlg::Command(int id) {
  wxCommandEvent event(wxEVT_BUTTON, id);
  onButton(event);
}

void CFittingRoomDlg::onButton(wxCommandEvent& event) {
  switch (event.GetId()) {
    case ids::kGarmentPanel:
      ShowPanel(garmentPanel_, ids::kGarmentPanel);
      break;
    case ids::kControlPanel:
      ShowPanel(controlPanel_, ids::kControlPanel);
      break;
    case ids::kSettingsPanel:
      ShowPanel(settingsPanel_, ids::kSettingsPanel);
      break;
    case ids::kCartPage:
      openOutside(StoreHome() + "Cart.aspx?idd=2");
      break;
    case ids::kOrderPage:
      openOutside(StoreHome() + "Cart.aspx?idd=1");
      break;
    case ids::kHelp:
      view_->openDocument(dataPath(root_, data_files::kHelpDocument));
      break;
    case ids::kStore:
      ShowStore();
      break;
    case ids::kSlide:
      slideToggle();
      break;
    case ids::kClose:
      Close();
      break;
    case ids::kMinimise:
      Iconize();
      break;
    case ids::kMaximise:
      ToggleMaximise();
      break;
    case ids::kWizardPrevious:
      stepWizard(false);
      break;
    case ids::kWizardNext:
      stepWizard(true);
      break;
    case ids::kWizardSpeed:
      chooseWizardSpeed();
      break;
    case ids::kStopDrape:
      view_->view().tryOn().cancelDrape();
      break;
    case ids::kBrowserBack:
      browserPage_->GoBack();
      break;
    case ids::kBrowserForward:
      browserPage_->GoForward();
      break;
    case ids::kBrowserRefresh:
      browserPage_->Reload();
      break;
    case ids::kBrowserStop:
      browserPage_->Stop();
      break;
    case ids::kBrowserHome:
      browserPage_->Navigate(StoreHome());
      break;
    default:
      event.Skip();
      break;
  }
}

void CFittingRoomDlg::stepWizard(bool forward) {
  const std::optional<int> card = forward ? guide_.next() : guide_.previous();
  if (!card) return;
  blinkTimer_.Stop();
  button(ids::kWizardSpeed)->Show();
  view_->ShowWizardCard(*card, guide_.holdMilliseconds());
  if (forward && guide_.page() >= 0) button(ids::kWizardPrevious)->Show();
  if (!forward && guide_.page() <= 33) button(ids::kWizardNext)->Show();
}

void CFittingRoomDlg::chooseWizardSpeed() {
  blinkTimer_.Stop();
  guide_.stopBlinking();
  SkinButton* speed = button(ids::kWizardSpeed);
  speed->Show();
  CWizardSpeedDlg dialog(this, guide_.seconds());
  if (dialog.ShowModal() == wxID_OK) guide_.setSeconds(dialog.seconds());
  speed->LoadBitmaps(guide_.fast() ? 543 : 542, 543);
  speed->SetHoverBitmap(544);
  speed->Repaint();
}

void CFittingRoomDlg::onBlink(wxTimerEvent&) {
  if (!guide_.blinking()) return;
  button(ids::kWizardSpeed)->Show(guide_.blinkTick());
}

void CFittingRoomDlg::onKey(int keyCode) {
  if (view_) view_->RoutedKey(keyCode);
}

void CFittingRoomDlg::showAbout() {
  CAboutDlg about(this);
  about.ShowModal();
}

void CFittingRoomDlg::onClose(wxCloseEvent&) {
  blinkTimer_.Stop();
  // A download still running is cancelled; its thread ends before the window.
  downloads_.reset();
  Destroy();
}

void CFittingRoomDlg::onSize(wxSizeEvent& event) {
  rebuildSkin();
  Relayout();
  Refresh(false);
  event.Skip();
}

void CFittingRoomDlg::rebuildSkin() {
  const wxSize client = GetClientSize();
  if (client.x <= 0 || client.y <= 0) return;
  const SkinPlan plan = planSkin(client.x, client.y, [](int id) {
    const wxBitmap& bitmap = LoadBitmapResource(id);
    return bitmap.IsOk() ? BitmapSize{bitmap.GetWidth(), bitmap.GetHeight()} : BitmapSize{};
  });
  progressRect_ = plan.progressBar;
  statusRect_ = plan.statusLine;
  stopRect_ = plan.stopButton;

  skin_ = wxBitmap(client.x, client.y, 24);
  wxMemoryDC dc(skin_);
  // Ground colours first: the strips and the warm body.
  dc.GradientFillLinear(wxRect(0, 0, client.x, kBodyTop), kSlateTop, kSlateBottom, wxSOUTH);
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(palette::kPanel));
  dc.DrawRectangle(0, kBodyTop, client.x, client.y - kBodyTop - kBottomStripHeight);
  dc.GradientFillLinear(wxRect(0, client.y - kBottomStripHeight, client.x, kBottomStripHeight),
                        kSlateBottom, kSlateTop, wxSOUTH);
  for (const SkinPiece& piece : plan.pieces) {
    const wxBitmap bitmap = LoadBitmapResource(piece.bitmapId);
    if (!bitmap.IsOk()) continue;
    if (!piece.stretch) {
      dc.DrawBitmap(bitmap, piece.dest.x, piece.dest.y);
      continue;
    }
    wxImage image = bitmap.ConvertToImage();
    if (piece.sourceColumn >= 0 && piece.sourceColumn < image.GetWidth())
      image = image.GetSubImage(wxRect(piece.sourceColumn, 0, 1, image.GetHeight()));
    image.Rescale(piece.dest.width, piece.dest.height, wxIMAGE_QUALITY_BILINEAR);
    dc.DrawBitmap(wxBitmap(image), piece.dest.x, piece.dest.y);
  }
  dc.SelectObject(wxNullBitmap);
}

void CFittingRoomDlg::onPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  if (skin_.IsOk())
    dc.DrawBitmap(skin_, 0, 0);
  else
    dc.Clear();
  // A hairline frame round the store page (the view has its own pieces).
  dc.SetBrush(*wxTRANSPARENT_BRUSH);
  dc.SetPen(wxPen(palette::kHairline));
  if (browserPage_ && browserPage_->IsShown())
    dc.DrawRectangle(toWx(browserPage_->rect.current).Inflate(1));
}

void CFittingRoomDlg::onLeftDown(wxMouseEvent& event) {
  // The wordmark opens the about box.
  if (event.GetY() < kTitleHeight && event.GetX() < 220) {
    showAbout();
    return;
  }
  if (maximised_) return;
  dragging_ = true;
  dragOffset_ = ClientToScreen(event.GetPosition()) - GetPosition();
  CaptureMouse();
}

void CFittingRoomDlg::onLeftUp(wxMouseEvent&) {
  if (!dragging_) return;
  dragging_ = false;
  if (HasCapture()) ReleaseMouse();
}

void CFittingRoomDlg::onMotion(wxMouseEvent& event) {
  if (dragging_ && event.LeftIsDown()) Move(ClientToScreen(event.GetPosition()) - dragOffset_);
}

}  // namespace vestora::app
