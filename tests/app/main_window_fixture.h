// The program's main window, opened on the virtual display for a test (the
// default avatar loaded, the window on screen) and closed after it.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/uiaction.h>

#include "app/garment_panel.h"
#include "app/gl_view_window.h"
#include "app/main_window.h"
#include "test_support.h"
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
  void SetUp() override { open(VESTORA_TEST_ROOT); }
  void TearDown() override {
    if (main_) main_->Destroy();
    vestora::testing::Pump(100);
  }
  // Opens the window on the application root `root` and waits until it is shown.
  void open(const std::string& root) {
    main_ = new CFittingRoomDlg(root);
    const Result<void> ready = main_->Initialise();
    ASSERT_TRUE(ready) << ready.error().message();
    ASSERT_TRUE(vestora::testing::PumpUntil([&] { return main_->IsShownOnScreen(); }, 5000));
    vestora::testing::Pump(300);
  }

  GlView& view() { return main_->view()->view(); }

  // Drags the left button across the view from `from` to `to` (view
  // pixels) in `steps` moves, as a hand does.
  void dragInView(wxPoint from, wxPoint to, int steps) {
    using vestora::testing::Pump;
    const wxPoint origin = main_->view()->ClientToScreen(wxPoint(0, 0));
    wxUIActionSimulator sim;
    sim.MouseMove(origin + from);
    Pump(50);
    sim.MouseDown();
    Pump(50);
    for (int step = 1; step <= steps; ++step) {
      sim.MouseMove(origin + from +
                    wxPoint((to.x - from.x) * step / steps, (to.y - from.y) * step / steps));
      Pump(30);
    }
    sim.MouseUp();
    Pump(100);
  }

  CFittingRoomDlg* main_ = nullptr;
};

// The window on an application root of its own, whose garment folders can
// change: the generated content linked in, the garment folders copied.
class OwnRootWindowFixture : public MainWindowFixture {
 protected:
  void SetUp() override {
    makeOwnRoot(dir_.path());
    open(root());
  }
  std::string root() const { return dir_.path().string(); }
  bool there(const char* relative) const { return std::filesystem::exists(dir_.path() / relative); }
  // The wardrobe's garments, by caption.
  std::vector<std::string> garments() {
    std::vector<std::string> names;
    for (const auto& item : main_->garmentPanel()->list()->sections().front().items)
      names.push_back(item.caption.utf8_string());
    return names;
  }

  vestora::testing::TempDir dir_;
};

}  // namespace vestora::app
