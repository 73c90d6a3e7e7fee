// Message boxes and questions asked from a worker thread (the package
// download) but shown by the window's own thread. Each call is posted to
// the window and waits for its answer; while it waits it watches a cancel
// flag, so a window that is closing (and joins the worker) is never waited
// for: a cancelled call returns at once with the cautious answer (No,
// nothing chosen). Plain code: the posting is the window's, so the rule is
// tested without a display.
#pragma once

#include <atomic>
#include <functional>

#include "platform/user_dialogs.h"

namespace vestora::app {

class MarshalledDialogs : public UserDialogs {
 public:
  // Runs a task on the window's thread, later (wxEvtHandler::CallAfter).
  using Post = std::function<void(std::function<void()>)>;

  // `target` is used on the window's thread only and must outlive every
  // task posted (the window's own dialogs). `cancel` must outlive every call.
  MarshalledDialogs(UserDialogs& target, Post post, const std::atomic<bool>& cancel)
      : target_(target), post_(std::move(post)), cancel_(cancel) {}

  void showMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
  bool askYesNo(const std::string& text, const std::string& caption) override;
  std::optional<std::string> chooseFile(const FileRequest& request) override;
  std::optional<Rgb> chooseColour(Rgb initial) override;

 private:
  // Runs `task` on the window's thread and waits until it has run or the
  // cancel flag is raised; false when it did not run to its end.
  bool runThere(std::function<void()> task);

  UserDialogs& target_;
  Post post_;
  const std::atomic<bool>& cancel_;
};

}  // namespace vestora::app
