// CStorePageDlg: the store page (resource 612), the program's embedded web
// browser. It loads the store's own pages only: before every navigation the
// address is classified (ClassifyNavigation) and a store package goes to the
// download, another web site to the desktop's browser, anything else
// nowhere. A page's request for a new window opens the page in a pop-up
// browser (CBrowserDlg, resource 614) by the same rules.
//
// The web engine starts with the first real page: a page that is only ever
// sent to "about:blank" costs nothing.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <wx/dialog.h>

#include "app/panels.h"

class wxWebView;
class wxWebViewEvent;

namespace vestora {
class SkinButton;
}

namespace vestora::app {

// What both browsers hand to the window.
struct BrowserHooks {
  // A store package was clicked in `browser`: a pop-up browser to hide
  // while the package downloads and to close after it, or nullptr for the
  // store page, which stays.
  std::function<void(const std::string& url, wxWindow* browser)> download;
  std::function<void(const std::string& url)> openOutside;  // another web site
  std::function<void()> stateChanged;                       // history, loading or title changed
};

// The part both browsers share: a web view that obeys the store's rules.
class StoreWebView {
 public:
  // `closable` is the pop-up browser the view sits in (nullptr: the page).
  StoreWebView(wxWindow* parent, int id, BrowserHooks hooks, wxWindow* closable = nullptr);
  wxWebView* view() const { return view_; }
  void Load(const std::string& url);
  const wxString& title() const { return title_; }
  bool CanGoBack() const;
  bool CanGoForward() const;
  bool CanReload() const { return canReload_; }
  bool loading() const;
  void GoBack();
  void GoForward();
  void Stop();
  void Reload();
  // The address shown now ("" before the first page).
  std::string currentUrl() const;

 private:
  // What a store package, another site or a refused address does; false
  // for a page to load here.
  bool handOver(const std::string& url, wxWindow* browser);
  void onNavigating(wxWebViewEvent& event);
  void onLoaded(wxWebViewEvent& event);
  void onTitle(wxWebViewEvent& event);
  void onNewWindow(wxWebViewEvent& event);
  void onError(wxWebViewEvent& event);

  wxWebView* view_ = nullptr;
  BrowserHooks hooks_;
  wxWindow* closable_ = nullptr;
  wxString title_;
  bool canReload_ = false;
};

class CStorePageDlg : public SkinPanel {
 public:
  static constexpr int kResourceId = 612;
  static constexpr int kBrowserControl = 1229;
  explicit CStorePageDlg(wxWindow* parent);

  void SetHooks(BrowserHooks hooks) { hooks_ = std::move(hooks); }
  // Sends the page to `url` ("about:blank" when the page is left).
  void Navigate(const std::string& url);
  // Where the page was last sent.
  const std::string& address() const { return address_; }
  bool CanGoBack() const { return web_ && web_->CanGoBack(); }
  bool CanGoForward() const { return web_ && web_->CanGoForward(); }
  bool CanReload() const { return web_ && web_->CanReload(); }
  void GoBack();
  void GoForward();
  void Stop();
  void Reload();
  // The title of the page shown ("" before one arrives).
  wxString title() const;
  // The engine's view once it has started (nullptr before).
  wxWebView* webView() const { return web_ ? web_->view() : nullptr; }

 private:
  void layoutView();

  BrowserHooks hooks_;
  std::unique_ptr<StoreWebView> web_;
  std::string address_ = "about:blank";
};

// The pop-up browser (resource 614): a page the store opened in a new
// window, with back, forward, stop and refresh.
class CBrowserDlg : public wxDialog {
 public:
  static constexpr int kResourceId = 614;
  static constexpr int kBrowserControl = 1231;
  static constexpr int kBack = 1237, kForward = 1238, kStop = 1239, kRefresh = 1240;

  CBrowserDlg(wxWindow* parent, BrowserHooks hooks, const std::string& url);
  StoreWebView& web() { return *web_; }
  SkinButton* button(int id) const;

 private:
  void onButton(wxCommandEvent& event);
  void showState();

  std::unique_ptr<StoreWebView> web_;
  BrowserHooks hooks_;
};

}  // namespace vestora::app
