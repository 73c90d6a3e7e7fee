#include "app/marshalled_dialogs.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace vestora::app {
namespace {

// What the posted task and the waiting worker share; the task may run
// after the worker stopped waiting, so both hold it.
struct Rendezvous {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  bool abandoned = false;  // the worker stopped waiting: the task does nothing
};

}  // namespace

bool MarshalledDialogs::runThere(std::function<void()> task) {
  if (cancel_) return false;
  auto shared = std::make_shared<Rendezvous>();
  post_([shared, task = std::move(task)] {
    {
      const std::lock_guard lock(shared->mutex);
      if (shared->abandoned) return;
    }
    task();
    const std::lock_guard lock(shared->mutex);
    shared->finished = true;
    shared->done.notify_all();
  });
  std::unique_lock lock(shared->mutex);
  while (!shared->finished) {
    if (cancel_) {
      shared->abandoned = true;
      return false;
    }
    shared->done.wait_for(lock, std::chrono::milliseconds(50));
  }
  return true;
}

void MarshalledDialogs::showMessage(const std::string& text, const std::string& caption,
                                    MessageIcon icon) {
  runThere([&target = target_, text, caption, icon] { target.showMessage(text, caption, icon); });
}

bool MarshalledDialogs::askYesNo(const std::string& text, const std::string& caption) {
  auto answer = std::make_shared<bool>(false);
  const bool answered = runThere(
      [&target = target_, answer, text, caption] { *answer = target.askYesNo(text, caption); });
  return answered && *answer;
}

std::optional<std::string> MarshalledDialogs::chooseFile(const FileRequest& request) {
  auto answer = std::make_shared<std::optional<std::string>>();
  if (!runThere([&target = target_, answer, request] { *answer = target.chooseFile(request); }))
    return std::nullopt;
  return *answer;
}

std::optional<Rgb> MarshalledDialogs::chooseColour(Rgb initial) {
  auto answer = std::make_shared<std::optional<Rgb>>();
  if (!runThere([&target = target_, answer, initial] { *answer = target.chooseColour(initial); }))
    return std::nullopt;
  return *answer;
}

}  // namespace vestora::app
