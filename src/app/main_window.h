// CFittingRoomDlg: the program's one top-level window. Borderless, skinned
// and maximised, it owns every other window: the 3D view, the three
// right-hand panels that share one slot beside it, and the store page; the
// toolbar switches between them and the bottom bar steps through the guide.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include <wx/frame.h>
#include <wx/timer.h>

#include "app/main_layout.h"
#include "app/wizard_guide.h"
#include "platform/result.h"
#include "ui/wx_user_dialogs.h"

class wxStaticBitmap;
class wxStaticText;

namespace vestora {
class SkinButton;
class SkinProgress;
}  // namespace vestora

namespace vestora::app {

class CGLViewDlg;
class SkinPanel;
class CGarmentPanelDlg;
class CControlPanelDlg;
class CEnvSettingsDlg;
class StoreDownloads;
class CStorePageDlg;

inline constexpr const char* kWindowTitle = "澄镜衣坊";
// The store's home page when VESTORA_STORE_URL does not name another.
std::string StoreHome();

// Shown when a web page cannot be handed to the desktop's browser
// (followed by the address).
inline constexpr const char* kNoDesktopBrowserMessage =
    "无法打开网页：没有找到桌面的浏览器（xdg-open）。请在浏览器中打开：";

class CFittingRoomDlg : public wxFrame {
 public:
  explicit CFittingRoomDlg(std::string root);
  ~CFittingRoomDlg() override;

  // Creates the view (which loads the default avatar and shows the splash),
  // the panels, the skin and the buttons, and shows the window maximised
  // over the work area. The error says which file is missing; the window is
  // then not usable and the program ends.
  Result<void> Initialise();
  // Changes the woman's pose ("Female.bmp", "Pose1.bmp", "Walk.bmp",
  // "Stand.bmp") and shows the body page for the new body.
  Result<void> SelectPose(std::string_view thumbnail);

  void Relayout();
  void ShowPanel(SkinPanel* target, int buttonId);
  void ShowStore();
  void SlidePanelClosed();
  void SlidePanelOpen();
  void ToggleMaximise();

  // The toolbar button `id` was pressed (the same as clicking it).
  void Command(int id);

  // Downloads and installs the store's package at `url` beside the window:
  // the progress bar follows it, its questions and messages come up here,
  // and the wardrobe lists the new garment. False when that link is
  // downloading already (the user is told).
  // `browser`: the pop-up browser the link was clicked in (hidden while the
  // package downloads, closed after it), or nullptr.
  bool StartStoreDownload(const std::string& url, wxWindow* browser = nullptr);
  bool downloading() const;
  // Opens a web page in the desktop's browser; says so when there is none.
  void openOutside(const std::string& url);

  CGLViewDlg* view() const { return view_; }
  CGarmentPanelDlg* garmentPanel() const { return garmentPanel_; }
  CControlPanelDlg* controlPanel() const { return controlPanel_; }
  CEnvSettingsDlg* settingsPanel() const { return settingsPanel_; }
  CStorePageDlg* browserPage() const { return browserPage_; }
  SkinPanel* currentPanel() const { return currentPanel_; }
  SkinProgress* progressBar() const { return progress_; }
  // The status line at the foot of the window (UTF-8; empty hides it),
  // with the button that stops the drape it reports.
  void showStatus(const std::string& text);
  const wxStaticText* statusLine() const { return status_; }
  SkinButton* stopDrapeButton() const { return stopDrape_; }
  bool panelCollapsed() const { return panelCollapsed_; }
  bool maximised() const { return maximised_; }
  const WizardGuide& guide() const { return guide_; }
  UserDialogs& dialogs() { return dialogs_; }

 private:
  void createButtons();
  void hideEverything();
  void onButton(wxCommandEvent& event);
  void onPaint(wxPaintEvent& event);
  void onSize(wxSizeEvent& event);
  void onLeftDown(wxMouseEvent& event);
  void onLeftUp(wxMouseEvent& event);
  void onMotion(wxMouseEvent& event);
  void onBlink(wxTimerEvent& event);
  void onClose(wxCloseEvent& event);
  void onKey(int keyCode);
  void slideToggle();
  void stepWizard(bool forward);
  void chooseWizardSpeed();
  void showAbout();
  void rebuildSkin();
  SkinButton* button(int id) const;
  // The browser buttons follow the page's history and loading.
  void showBrowserState();

  std::string root_;
  WxUserDialogs dialogs_;
  CGLViewDlg* view_ = nullptr;
  CGarmentPanelDlg* garmentPanel_ = nullptr;
  CControlPanelDlg* controlPanel_ = nullptr;
  CEnvSettingsDlg* settingsPanel_ = nullptr;
  CStorePageDlg* browserPage_ = nullptr;
  SkinPanel* currentPanel_ = nullptr;
  SkinProgress* progress_ = nullptr;
  wxStaticText* status_ = nullptr;
  SkinButton* stopDrape_ = nullptr;
  wxStaticBitmap* banner_ = nullptr;
  wxTimer blinkTimer_;
  WizardGuide guide_;
  // Declared after the windows it reports to: destroyed (threads joined)
  // before them.
  std::unique_ptr<StoreDownloads> downloads_;

  bool panelCollapsed_ = false;
  bool maximised_ = false;
  bool layoutReady_ = false;
  wxRect normalRect_;
  // The skin painted once per size and blitted on every paint.
  wxBitmap skin_;
  PixelRect progressRect_, statusRect_, stopRect_;
  // Dragging the window by its face while it is not maximised.
  bool dragging_ = false;
  wxPoint dragOffset_;
};

}  // namespace vestora::app
