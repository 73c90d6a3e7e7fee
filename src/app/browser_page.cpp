#include "app/browser_page.h"

#include <wx/sizer.h>
#include <wx/webview.h>

#include "store/package_download.h"
#include "store/store_navigation.h"
#include "ui/key_routing.h"
#include "ui/panel_button_art.h"
#include "ui/skin_button.h"

namespace vestora::app {

// ---- the shared web view -----------------------------------------------------

StoreWebView::StoreWebView(wxWindow* parent, int id, BrowserHooks hooks, wxWindow* closable)
    : hooks_(std::move(hooks)), closable_(closable) {
  view_ = wxWebView::New(parent, id, "about:blank");
  // What is typed into a page's form is the page's.
  InstallOwnKeysRule(view_);
  view_->Bind(wxEVT_WEBVIEW_NAVIGATING, &StoreWebView::onNavigating, this);
  view_->Bind(wxEVT_WEBVIEW_LOADED, &StoreWebView::onLoaded, this);
  view_->Bind(wxEVT_WEBVIEW_TITLE_CHANGED, &StoreWebView::onTitle, this);
  view_->Bind(wxEVT_WEBVIEW_NEWWINDOW, &StoreWebView::onNewWindow, this);
  view_->Bind(wxEVT_WEBVIEW_ERROR, &StoreWebView::onError, this);
}

bool StoreWebView::handOver(const std::string& url, wxWindow* browser) {
  switch (ClassifyNavigation(url, StoreHomeUrl())) {
    case NavigationAction::Load:
      return false;
    case NavigationAction::Download:
      if (hooks_.download) hooks_.download(url, browser);
      break;
    case NavigationAction::OpenOutside:
      if (hooks_.openOutside) hooks_.openOutside(url);
      break;
    case NavigationAction::Refuse:
      break;
  }
  return true;
}

void StoreWebView::Load(const std::string& url) {
  // The same rules as a click on a link.
  if (!handOver(url, closable_)) view_->LoadURL(wxString::FromUTF8(url));
}

bool StoreWebView::CanGoBack() const {
  return view_->CanGoBack();
}
bool StoreWebView::CanGoForward() const {
  return view_->CanGoForward();
}
bool StoreWebView::loading() const {
  return view_->IsBusy();
}
void StoreWebView::GoBack() {
  if (view_->CanGoBack()) view_->GoBack();
}
void StoreWebView::GoForward() {
  if (view_->CanGoForward()) view_->GoForward();
}
void StoreWebView::Stop() {
  view_->Stop();
}
void StoreWebView::Reload() {
  if (canReload_) view_->Reload();
}
std::string StoreWebView::currentUrl() const {
  return view_->GetCurrentURL().utf8_string();
}

void StoreWebView::onNavigating(wxWebViewEvent& event) {
  const std::string url = event.GetURL().utf8_string();
  switch (ClassifyNavigation(url, StoreHomeUrl())) {
    case NavigationAction::Load:
      canReload_ = false;
      break;
    case NavigationAction::Download:
      // The engine's own download would save the package anywhere: the
      // store's download checks and installs it instead.
      event.Veto();
      if (hooks_.download)
        view_->CallAfter(
            [download = hooks_.download, url, closable = closable_] { download(url, closable); });
      break;
    case NavigationAction::OpenOutside:
      event.Veto();
      if (hooks_.openOutside) hooks_.openOutside(url);
      break;
    case NavigationAction::Refuse:
      event.Veto();
      break;
  }
  if (hooks_.stateChanged) hooks_.stateChanged();
}

void StoreWebView::onLoaded(wxWebViewEvent& event) {
  canReload_ = true;
  title_ = view_->GetCurrentTitle();
  if (hooks_.stateChanged) hooks_.stateChanged();
  event.Skip();
}

void StoreWebView::onTitle(wxWebViewEvent& event) {
  title_ = event.GetString();
  if (hooks_.stateChanged) hooks_.stateChanged();
}

void StoreWebView::onError(wxWebViewEvent& event) {
  // The engine shows its own error page; the page can be tried again.
  canReload_ = true;
  if (hooks_.stateChanged) hooks_.stateChanged();
  event.Skip();
}

void StoreWebView::onNewWindow(wxWebViewEvent& event) {
  const std::string url = event.GetURL().utf8_string();
  if (handOver(url, nullptr)) return;
  // A window of its own beside the main window; it deletes itself when closed.
  auto* popup = new CBrowserDlg(wxGetTopLevelParent(view_), hooks_, url);
  popup->Show();
}

// ---- the store page ------------------------------------------------------------

CStorePageDlg::CStorePageDlg(wxWindow* parent) : SkinPanel(parent, kResourceId) {
  Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    layoutView();
    event.Skip();
  });
}

void CStorePageDlg::layoutView() {
  if (!web_) return;
  const wxSize size = GetClientSize();
  web_->view()->SetSize(1, 1, std::max(size.x - 2, 1), std::max(size.y - 2, 1));
}

void CStorePageDlg::Navigate(const std::string& url) {
  address_ = url;
  if (!web_) {
    // Nothing to show yet: the engine starts with the first real page.
    if (url == "about:blank") return;
    web_ = std::make_unique<StoreWebView>(this, kBrowserControl, hooks_);
    layoutView();
  }
  web_->Load(url);
}

void CStorePageDlg::GoBack() {
  if (web_) web_->GoBack();
}
void CStorePageDlg::GoForward() {
  if (web_) web_->GoForward();
}
void CStorePageDlg::Stop() {
  if (web_) web_->Stop();
}
void CStorePageDlg::Reload() {
  if (web_) web_->Reload();
}
wxString CStorePageDlg::title() const {
  return web_ ? web_->title() : wxString();
}

// ---- the pop-up browser ---------------------------------------------------------

namespace {

struct PopupButton {
  int id;
  const char* label;
  const char* tip;
};
constexpr PopupButton kPopupButtons[4] = {{CBrowserDlg::kBack, "返回", "返回上一页"},
                                          {CBrowserDlg::kForward, "前进", "前进到下一页"},
                                          {CBrowserDlg::kStop, "停止", "停止载入"},
                                          {CBrowserDlg::kRefresh, "刷新", "重新载入本页"}};

}  // namespace

CBrowserDlg::CBrowserDlg(wxWindow* parent, BrowserHooks hooks, const std::string& url)
    : wxDialog(parent, kResourceId, wxString::FromUTF8(url), wxDefaultPosition, wxSize(900, 700),
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      hooks_(std::move(hooks)) {
  SetBackgroundColour(palette::kPanel);
  auto* column = new wxBoxSizer(wxVERTICAL);
  auto* bar = new wxBoxSizer(wxHORIZONTAL);
  for (const PopupButton& b : kPopupButtons) {
    auto* button = new SkinButton(this, b.id);
    ApplyPanelButtonFaces(button, wxString::FromUTF8(b.label), wxSize(64, 28));
    button->SetToolTip(wxString::FromUTF8(b.tip));
    bar->Add(button, 0, wxRIGHT, 6);
  }
  column->Add(bar, 0, wxALL, 6);
  BrowserHooks own = hooks_;
  own.stateChanged = [this, outer = hooks_.stateChanged] {
    showState();
    if (outer) outer();
  };
  web_ = std::make_unique<StoreWebView>(this, kBrowserControl, own, this);
  column->Add(web_->view(), 1, wxEXPAND);
  SetSizer(column);
  Bind(wxEVT_BUTTON, &CBrowserDlg::onButton, this);
  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { Destroy(); });
  showState();
  web_->Load(url);
}

SkinButton* CBrowserDlg::button(int id) const {
  return static_cast<SkinButton*>(FindWindow(id));
}

void CBrowserDlg::onButton(wxCommandEvent& event) {
  switch (event.GetId()) {
    case kBack:
      web_->GoBack();
      break;
    case kForward:
      web_->GoForward();
      break;
    case kStop:
      web_->Stop();
      break;
    case kRefresh:
      web_->Reload();
      break;
    default:
      event.Skip();
      break;
  }
}

void CBrowserDlg::showState() {
  button(kBack)->Enable(web_ && web_->CanGoBack());
  button(kForward)->Enable(web_ && web_->CanGoForward());
  button(kRefresh)->Enable(web_ && web_->CanReload());
  if (web_ && !web_->title().empty()) SetTitle(web_->title());
}

}  // namespace vestora::app
