// A drape stepped on its own thread: the window takes its newest frame
// whenever it redraws and the finished drape when it is over. Destroying
// the runner stops the thread and waits for it.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "cloth/cloth_drape.h"

namespace vestora {

class BackgroundDrape {
 public:
  // Starts stepping `drape` at once.
  explicit BackgroundDrape(std::unique_ptr<ClothDrape> drape);
  // Stops the thread (after the step it is in) and waits for it.
  ~BackgroundDrape();
  BackgroundDrape(const BackgroundDrape&) = delete;
  BackgroundDrape& operator=(const BackgroundDrape&) = delete;

  struct Frame {
    std::vector<Vec3> positions;
    int step = 0, maxSteps = 0;
  };
  // The newest frame, once: false when no step has ended since the last call.
  bool takeFrame(Frame& frame);
  // The drape is over (settled or out of steps).
  bool finished() const { return finished_.load(); }
  // Once finished, the drape itself (the thread has ended); nullptr before.
  std::unique_ptr<ClothDrape> takeResult();

 private:
  void run();

  std::unique_ptr<ClothDrape> drape_;
  std::mutex mutex_;
  Frame frame_;
  bool fresh_ = false;
  std::atomic<bool> stop_{false}, finished_{false};
  std::thread thread_;
};

}  // namespace vestora
