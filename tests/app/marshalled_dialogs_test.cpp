#include "app/marshalled_dialogs.h"

#include <chrono>
#include <deque>
#include <future>
#include <mutex>
#include <thread>

#include <gtest/gtest.h>

namespace vestora::app {
namespace {

// The window's thread as the test plays it: posted tasks wait in a queue
// until the test runs them.
class TaskQueue {
 public:
  MarshalledDialogs::Post poster() {
    return [this](std::function<void()> task) {
      const std::lock_guard lock(mutex_);
      tasks_.push_back(std::move(task));
    };
  }
  // Runs what has been posted; false when nothing had been.
  bool runPosted() {
    std::deque<std::function<void()>> tasks;
    {
      const std::lock_guard lock(mutex_);
      tasks.swap(tasks_);
    }
    for (auto& t : tasks) t();
    return !tasks.empty();
  }
  bool waitAndRun(std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      if (runPosted()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
  }

 private:
  std::mutex mutex_;
  std::deque<std::function<void()>> tasks_;
};

// Records on which thread it was asked.
class ThreadNotingDialogs : public ScriptedDialogs {
 public:
  bool askYesNo(const std::string& text, const std::string& caption) override {
    askedOn = std::this_thread::get_id();
    return ScriptedDialogs::askYesNo(text, caption);
  }
  std::thread::id askedOn;
};

TEST(MarshalledDialogs, AQuestionOfTheWorkerIsAskedOnTheWindowsThread) {
  ThreadNotingDialogs window;
  window.answerYesNo(true);
  TaskQueue queue;
  std::atomic<bool> cancel{false};
  MarshalledDialogs dialogs(window, queue.poster(), cancel);

  auto answer = std::async(std::launch::async, [&] { return dialogs.askYesNo("再装一次?", ""); });
  ASSERT_TRUE(queue.waitAndRun());
  EXPECT_TRUE(answer.get());
  EXPECT_EQ(window.askedOn, std::this_thread::get_id());

  auto chosen = std::async(std::launch::async, [&] { return dialogs.chooseFile({}); });
  ASSERT_TRUE(queue.waitAndRun());
  EXPECT_FALSE(chosen.get());  // the script has no file: cancelled

  auto message = std::async(std::launch::async,
                            [&] { dialogs.showMessage("装好了", "", MessageIcon::Information); });
  ASSERT_TRUE(queue.waitAndRun());
  message.get();
  EXPECT_EQ(window.messages(), std::vector<std::string>{"装好了"});
}

TEST(MarshalledDialogs, AClosingWindowIsNeverWaitedFor) {
  ScriptedDialogs window;
  window.answerYesNo(true);
  TaskQueue queue;
  std::atomic<bool> cancel{false};
  MarshalledDialogs dialogs(window, queue.poster(), cancel);

  // The window never gets to the question: it is closing.
  auto answer = std::async(std::launch::async, [&] { return dialogs.askYesNo("再装一次?", ""); });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  cancel = true;
  ASSERT_EQ(answer.wait_for(std::chrono::seconds(2)), std::future_status::ready);
  EXPECT_FALSE(answer.get());  // the cautious answer
  // The question posted before comes to nothing once the worker has gone.
  EXPECT_TRUE(queue.runPosted());
  EXPECT_TRUE(window.transcript().empty());

  // Once cancelled, nothing is posted at all.
  dialogs.showMessage("装好了", "", MessageIcon::Information);
  EXPECT_FALSE(queue.runPosted());
  EXPECT_TRUE(window.transcript().empty());
}

}  // namespace
}  // namespace vestora::app
