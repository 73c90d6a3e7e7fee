#include "cloth/background_drape.h"

namespace vestora {

BackgroundDrape::BackgroundDrape(std::unique_ptr<ClothDrape> drape) : drape_(std::move(drape)) {
  frame_.maxSteps = drape_ ? drape_->maxSteps() : 0;
  thread_ = std::thread([this] { run(); });
}

BackgroundDrape::~BackgroundDrape() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

void BackgroundDrape::run() {
  if (!drape_) {
    finished_ = true;
    return;
  }
  while (!stop_.load()) {
    const bool more = drape_->Step();
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      frame_.positions = drape_->positions();
      frame_.step = drape_->steps();
      fresh_ = true;
    }
    if (!more) {
      finished_ = true;
      return;
    }
  }
}

bool BackgroundDrape::takeFrame(Frame& frame) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (!fresh_) return false;
  frame = frame_;
  fresh_ = false;
  return true;
}

std::unique_ptr<ClothDrape> BackgroundDrape::takeResult() {
  if (!finished_.load()) return nullptr;
  if (thread_.joinable()) thread_.join();
  return std::move(drape_);
}

}  // namespace vestora
