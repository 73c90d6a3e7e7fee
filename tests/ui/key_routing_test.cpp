#include "ui/key_routing.h"

#include <vector>

#include <gtest/gtest.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include "ui_fixtures.h"

namespace vestora {
namespace {

using namespace vestora::testing;

class KeyRoutingTest : public FrameTest {
 protected:
  KeyTarget recorder() {
    return [this](int code) { routed.push_back(code); };
  }
  std::vector<int> routed;
};

TEST_F(KeyRoutingTest, ForwardingWindowHandsKeysOnAndSwallowsEnterAndEscape) {
  auto* view = new wxPanel(panel, wxID_ANY, wxPoint(0, 0), wxSize(100, 100));
  auto* inner = new wxWindow(view, wxID_ANY, wxPoint(10, 10), wxSize(20, 20));
  InstallChildKeyRule(view, recorder());

  EXPECT_TRUE(SendKey(view, wxEVT_KEY_DOWN, WXK_CONTROL));
  EXPECT_TRUE(SendKey(inner, wxEVT_KEY_DOWN, WXK_F1));
  // A character is handed on as a key-down with the character code.
  EXPECT_TRUE(SendKey(inner, wxEVT_CHAR, 'a'));
  for (int key : {WXK_RETURN, WXK_NUMPAD_ENTER, WXK_ESCAPE}) {
    EXPECT_TRUE(SendKey(view, wxEVT_KEY_DOWN, key)) << key;  // consumed, not acted on
    EXPECT_TRUE(SendKey(inner, wxEVT_CHAR, key)) << key;
  }
  EXPECT_EQ(routed, (std::vector<int>{WXK_CONTROL, WXK_F1, 'a'}));

  EXPECT_TRUE(IsInKeyForwardingWindow(view));
  EXPECT_TRUE(IsInKeyForwardingWindow(inner));
  EXPECT_FALSE(IsInKeyForwardingWindow(panel));
  EXPECT_FALSE(IsInKeyForwardingWindow(nullptr));
}

TEST_F(KeyRoutingTest, WithoutTargetKeysArePostedToTheParent) {
  std::vector<int> atParent;
  panel->Bind(wxEVT_KEY_DOWN,
              [&atParent](wxKeyEvent& event) { atParent.push_back(event.GetKeyCode()); });
  auto* view = new wxPanel(panel, wxID_ANY, wxPoint(0, 0), wxSize(100, 100));
  InstallChildKeyRule(view);
  SendKey(view, wxEVT_KEY_DOWN, WXK_F2);
  SendKey(view, wxEVT_CHAR, 'z');
  SendKey(view, wxEVT_KEY_DOWN, WXK_ESCAPE);
  EXPECT_TRUE(atParent.empty());  // posted, not sent
  Pump(20);
  EXPECT_EQ(atParent, (std::vector<int>{WXK_F2, 'z'}));

  // A window that is gone receives nothing and nothing breaks.
  KeyTarget post = PostKeyDownTo(view);
  view->Destroy();
  post(WXK_F1);
  Pump(20);
  EXPECT_EQ(atParent.size(), 2u);
}

TEST_F(KeyRoutingTest, MainWindowHandsKeysToTheTargetAndKeepsEnterAndEscape) {
  InstallMainKeyRouting(frame, recorder());
  // Ordinary keys reach the target and then go on to the focused control
  // (the hook skips them); Enter and Escape are kept from the window's own
  // handling and never reach the target.
  EXPECT_FALSE(SendKey(frame, wxEVT_CHAR_HOOK, WXK_F2));
  EXPECT_FALSE(SendKey(frame, wxEVT_CHAR_HOOK, 'A'));
  EXPECT_TRUE(SendKey(frame, wxEVT_CHAR_HOOK, WXK_RETURN));
  EXPECT_TRUE(SendKey(frame, wxEVT_CHAR_HOOK, WXK_ESCAPE));
  EXPECT_EQ(routed, (std::vector<int>{WXK_F2, 'A'}));
}

TEST_F(KeyRoutingTest, RealKeyPressesEndAtTheTargetWhateverHasTheFocus) {
  auto* field =
      new wxTextCtrl(panel, wxID_ANY, "", wxPoint(10, 10), wxSize(100, 26), wxTE_PROCESS_ENTER);
  auto* view = new wxPanel(panel, wxID_ANY, wxPoint(10, 60), wxSize(100, 60));
  int enters = 0;
  field->Bind(wxEVT_TEXT_ENTER, [&enters](wxCommandEvent&) { ++enters; });
  std::vector<int> atView;
  view->Bind(wxEVT_KEY_DOWN, [&atView](wxKeyEvent& event) {
    atView.push_back(event.GetKeyCode());
    event.Skip();
  });
  InstallMainKeyRouting(frame, recorder());
  InstallChildKeyRule(view, [](int) { ADD_FAILURE() << "handed on twice"; });
  wxUIActionSimulator keyboard;

  // An edit box keeps what is typed and acts on Enter; the target sees every
  // other key once.
  field->SetFocus();
  ASSERT_TRUE(PumpUntil([field] { return wxWindow::FindFocus() == field; }));
  keyboard.Char('a');
  keyboard.Char(WXK_RETURN);
  keyboard.Char(WXK_ESCAPE);
  keyboard.Char(WXK_F2);
  Pump(50);
  EXPECT_EQ(field->GetValue(), "a");
  EXPECT_EQ(enters, 1);
  EXPECT_EQ(routed, (std::vector<int>{'A', WXK_F2}));

  // A forwarding window never sees keys itself.
  routed.clear();
  view->SetFocus();
  ASSERT_TRUE(PumpUntil([view] { return wxWindow::FindFocus() == view; }));
  keyboard.Char('b');
  keyboard.Char(WXK_RETURN);
  keyboard.Char(WXK_ESCAPE);
  Pump(50);
  EXPECT_EQ(routed, (std::vector<int>{'B'}));
  EXPECT_TRUE(atView.empty());
}

}  // namespace
}  // namespace vestora
