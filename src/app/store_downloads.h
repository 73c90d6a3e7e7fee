// The window's side of the store's package downloads. Each download runs on
// a thread of its own (DownloadThread); whatever it asks, tells or shows
// reaches the window on the window's thread, and only while the window is
// there. A link already downloading is not started a second time. Closing
// the window (destroying this object) cancels every download and waits for
// its thread.
#pragma once

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <thread>

#include <wx/event.h>

#include "app/marshalled_dialogs.h"
#include "platform/user_dialogs.h"

namespace vestora::app {

// Shown when a link is clicked again while it is still downloading.
inline constexpr const char* kAlreadyDownloadingMessage = "这件服装正在下载，请稍候。";

class StoreDownloads {
 public:
  // What the window does for a download, each on the window's thread.
  struct Hooks {
    std::function<void(int step)> progress;  // 1 … 200 as the package arrives, 0 when done
    std::function<void()> reloadWardrobe;    // a garment was installed
    std::function<void()> hideBrowser;       // the download starts
    std::function<void()> closeBrowser;      // it has ended, whatever the outcome
  };

  // `window` receives the posted calls; `dialogs` are the window's own.
  StoreDownloads(wxEvtHandler& window, UserDialogs& dialogs, std::string root);
  ~StoreDownloads();
  StoreDownloads(const StoreDownloads&) = delete;
  StoreDownloads& operator=(const StoreDownloads&) = delete;

  // Starts downloading and installing the package at `url`. False, with a
  // message, when that link is downloading already.
  bool Start(const std::string& url, Hooks hooks);
  // Whether any download is still running.
  bool busy() const;

 private:
  struct Job;
  void post(std::function<void()> task);
  void reap();

  wxEvtHandler& window_;
  UserDialogs& dialogs_;
  std::string root_;
  // Raised when the window goes: every call posted after it is dropped.
  std::shared_ptr<std::atomic<bool>> closing_;
  std::list<std::unique_ptr<Job>> jobs_;
};

}  // namespace vestora::app
