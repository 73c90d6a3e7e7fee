// The program's main window, opened on the virtual display for a test (the
// default avatar loaded, the window on screen) and closed after it.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "app/gl_view_window.h"
#include "app/main_window.h"
#include "ui_test_support.h"

namespace vestora::app {

// A fresh, empty folder `name` below VESTORA_TEST_TMP (or /tmp).
inline std::filesystem::path testFolder(const char* name) {
  const char* tmp = std::getenv("VESTORA_TEST_TMP");
  const std::filesystem::path folder = std::filesystem::path(tmp ? tmp : "/tmp") / name;
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder;
}

// Makes `dir` an application root of its own over the generated one: the
// garment folders copied (an install may add to them), the rest linked.
inline void makeOwnRoot(const std::filesystem::path& dir) {
  namespace fs = std::filesystem;
  for (const auto& entry : fs::directory_iterator(VESTORA_TEST_ROOT)) {
    const fs::path to = dir / entry.path().filename();
    const std::string name = entry.path().filename().string();
    if (name == "pattern" || name == "texture")
      fs::copy(entry.path(), to, fs::copy_options::recursive);
    else
      fs::create_symlink(entry.path(), to);
  }
}

class MainWindowFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    main_ = new CFittingRoomDlg(VESTORA_TEST_ROOT);
    const Result<void> ready = main_->Initialise();
    ASSERT_TRUE(ready) << ready.error().message();
    ASSERT_TRUE(vestora::testing::PumpUntil([&] { return main_->IsShownOnScreen(); }, 5000));
    vestora::testing::Pump(300);
  }
  void TearDown() override {
    if (main_) main_->Destroy();
    vestora::testing::Pump(100);
  }

  GlView& view() { return main_->view()->view(); }

  CFittingRoomDlg* main_ = nullptr;
};

}  // namespace vestora::app
