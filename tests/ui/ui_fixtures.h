// A shown frame at a known place on the virtual screen for widget tests, and
// synthetic mouse and key input.
#pragma once

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/weakref.h>

#include "ui_test_support.h"

namespace vestora::testing {

inline const wxPoint kFrameOrigin(40, 40);
inline const wxSize kFrameSize(320, 240);

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    frame = new wxFrame(nullptr, wxID_ANY, "widget test", kFrameOrigin, kFrameSize, wxBORDER_NONE);
    panel = new wxPanel(frame, wxID_ANY, wxPoint(0, 0), kFrameSize);
    frame->Show();
    Pump(30);
  }
  void TearDown() override {
    if (frame) frame->Destroy();
    Pump(10);
    EXPECT_TRUE(TakeLogMessages().empty());
  }

  wxWeakRef<wxFrame> frame;
  wxPanel* panel = nullptr;
};

// Sends a mouse event of `type` at client point (x, y) to `window`.
inline bool SendMouse(wxWindow* window, wxEventType type, int x, int y, bool leftDown = false) {
  wxMouseEvent event(type);
  event.SetPosition(wxPoint(x, y));
  event.SetLeftDown(leftDown || type == wxEVT_LEFT_DOWN);
  event.SetEventObject(window);
  event.SetId(window->GetId());
  return window->GetEventHandler()->ProcessEvent(event);
}

// Sends a key event of `type` with `keyCode` to `window`; true when a handler
// consumed it (did not skip it).
inline bool SendKey(wxWindow* window, wxEventType type, int keyCode) {
  wxKeyEvent event(type);
  event.m_keyCode = keyCode;
  if (keyCode < WXK_START) event.m_uniChar = static_cast<wxChar>(keyCode);
  event.SetEventObject(window);
  event.SetId(window->GetId());
  return window->GetEventHandler()->ProcessEvent(event);
}

}  // namespace vestora::testing
