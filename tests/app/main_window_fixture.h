// The program's main window, opened on the virtual display for a test (the
// default avatar loaded, the window on screen) and closed after it.
#pragma once

#include <gtest/gtest.h>

#include "app/gl_view_window.h"
#include "app/main_window.h"
#include "ui_test_support.h"

namespace vestora::app {

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
