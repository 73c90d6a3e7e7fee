#include "app/store_downloads.h"

#include <algorithm>

#include "store/package_download.h"

namespace vestora::app {

struct StoreDownloads::Job {
  std::string url;
  std::atomic<bool> cancel{false};
  std::atomic<bool> finished{false};
  std::unique_ptr<MarshalledDialogs> dialogs;
  std::thread thread;
};

StoreDownloads::StoreDownloads(wxEvtHandler& window, UserDialogs& dialogs, std::string root)
    : window_(window),
      dialogs_(dialogs),
      root_(std::move(root)),
      closing_(std::make_shared<std::atomic<bool>>(false)) {}

StoreDownloads::~StoreDownloads() {
  // For good: what the threads posted before they ended is dropped.
  *closing_ = true;
  for (auto& job : jobs_) job->cancel = true;
  for (auto& job : jobs_)
    if (job->thread.joinable()) job->thread.join();
}

void StoreDownloads::post(std::function<void()> task) {
  // The window may be gone by the time the task would run: then it does
  // nothing (the flag outlives this object, the window's queue does not).
  window_.CallAfter([closing = closing_, task = std::move(task)] {
    if (!*closing) task();
  });
}

void StoreDownloads::reap() {
  for (auto it = jobs_.begin(); it != jobs_.end();) {
    if ((*it)->finished) {
      if ((*it)->thread.joinable()) (*it)->thread.join();
      it = jobs_.erase(it);
    } else {
      ++it;
    }
  }
}

bool StoreDownloads::busy() const {
  return std::any_of(jobs_.begin(), jobs_.end(), [](const auto& j) { return !j->finished; });
}

bool StoreDownloads::Start(const std::string& url, Hooks hooks) {
  reap();
  for (const auto& job : jobs_)
    if (!job->finished && job->url == url) {
      dialogs_.showMessage(kAlreadyDownloadingMessage, "", MessageIcon::Information);
      return false;
    }
  auto job = std::make_unique<Job>();
  job->url = url;
  job->dialogs = std::make_unique<MarshalledDialogs>(
      dialogs_, [this](std::function<void()> task) { post(std::move(task)); }, job->cancel);

  DownloadContext context;
  context.dialogs = job->dialogs.get();
  context.rootDir = root_;
  context.http.cancel = &job->cancel;
  // The bar only moves forward; the package's bytes fill it. Only the
  // download's own thread calls this.
  auto shown = std::make_shared<int>(0);
  context.http.progress = [this, shown, progress = hooks.progress](std::int64_t received,
                                                                   std::int64_t expected) {
    if (!progress || expected <= 0) return;
    const int step = static_cast<int>(std::clamp<std::int64_t>(received * 200 / expected, 1, 200));
    if (step <= *shown) return;
    *shown = step;
    post([progress, step] { progress(step); });
  };
  context.reloadWardrobe = [this, reload = hooks.reloadWardrobe] {
    if (reload) post(reload);
  };
  context.closeBrowser = [this, close = hooks.closeBrowser, progress = hooks.progress] {
    post([close, progress] {
      if (progress) progress(0);
      if (close) close();
    });
  };

  // Already on the window's thread.
  if (hooks.hideBrowser) hooks.hideBrowser();
  Job* raw = job.get();
  raw->thread = std::thread([raw, job = DownloadJob{url, std::move(context)}]() mutable {
    DownloadThread(std::make_unique<DownloadJob>(std::move(job)));
    raw->finished = true;
  });
  jobs_.push_back(std::move(job));
  return true;
}

}  // namespace vestora::app
