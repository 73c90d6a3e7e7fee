#include "ui/skin_button.h"

#include <vector>

#include <gtest/gtest.h>
#include <wx/dcbuffer.h>

#include "ui/resource_bitmaps.h"
#include "ui_fixtures.h"

namespace vestora {
namespace {

using namespace vestora::testing;
using Face = SkinButton::Face;

const wxColour kNormal(200, 0, 0);
const wxColour kSelected(0, 150, 0);
const wxColour kFocused(0, 0, 200);
const wxColour kDisabled(100, 100, 100);
const wxColour kHover(200, 200, 0);
const wxColour kBeneath(20, 160, 90);
const wxSize kSize(20, 20);

class SkinButtonTest : public FrameTest {
 protected:
  SkinButton* makeButton(bool withHover = true) {
    auto* button = new SkinButton(panel, 1000, wxPoint(10, 10), kSize);
    button->LoadBitmaps(SolidBitmap(kSize, kNormal), SolidBitmap(kSize, kSelected),
                        SolidBitmap(kSize, kFocused), SolidBitmap(kSize, kDisabled));
    if (withHover) button->SetHoverBitmap(SolidBitmap(kSize, kHover));
    button->trackWhenInactive = true;
    return button;
  }
  // The colour the button draws at its centre.
  static wxColour drawn(const SkinButton* button) {
    const wxImage image = Render(kSize, kBeneath, [button](wxDC& dc) { button->Draw(dc); });
    return PixelAt(image, kSize.x / 2, kSize.y / 2);
  }
  // Presses and releases the left button at client point (x, y).
  static void click(SkinButton* button, int x = 5, int y = 5) {
    SendMouse(button, wxEVT_LEFT_DOWN, x, y);
    SendMouse(button, wxEVT_LEFT_UP, x, y);
  }
};

TEST_F(SkinButtonTest, StateChoosesBitmapFirstMatchWins) {
  SkinButton* button = makeButton();
  button->SetCheckMode(true);

  // At rest: normal.
  EXPECT_EQ(button->DrawnFace(), Face::Normal);
  EXPECT_EQ(drawn(button), kNormal);

  // Pointer over it: hover.
  SendMouse(button, wxEVT_ENTER_WINDOW, 5, 5);
  EXPECT_TRUE(button->IsHover());
  EXPECT_EQ(button->DrawnFace(), Face::Hover);
  EXPECT_EQ(drawn(button), kHover);

  // The selected mark beats hover: the third bitmap.
  button->SetSelectedMark(true);
  EXPECT_EQ(button->DrawnFace(), Face::Focused);
  EXPECT_EQ(drawn(button), kFocused);

  // Pressed beats the mark.
  SendMouse(button, wxEVT_LEFT_DOWN, 5, 5);
  EXPECT_TRUE(button->IsPressed());
  EXPECT_EQ(button->DrawnFace(), Face::Selected);
  EXPECT_EQ(drawn(button), kSelected);
  // Dragged off the button while pressed: no longer drawn pressed.
  SendMouse(button, wxEVT_MOTION, 40, 40, true);
  EXPECT_EQ(button->DrawnFace(), Face::Focused);
  SendMouse(button, wxEVT_LEFT_UP, 40, 40);
  button->SetSelectedMark(false);
  EXPECT_EQ(button->DrawnFace(), Face::Normal);

  // Checked (check mode) draws the selected bitmap, even when disabled.
  button->SetCheck(true);
  EXPECT_EQ(button->DrawnFace(), Face::Selected);
  button->Disable();
  EXPECT_EQ(button->DrawnFace(), Face::Selected);
  button->SetCheck(false);

  // Disabled: the disabled bitmap, hover or not.
  SendMouse(button, wxEVT_ENTER_WINDOW, 5, 5);
  EXPECT_EQ(button->DrawnFace(), Face::Disabled);
  EXPECT_EQ(drawn(button), kDisabled);
  button->Enable();
  SendMouse(button, wxEVT_LEAVE_WINDOW, 40, 40);
  EXPECT_EQ(button->DrawnFace(), Face::Normal);
}

TEST_F(SkinButtonTest, HoverWithoutHoverBitmapShowsNormal) {
  SkinButton* button = makeButton(/*withHover=*/false);
  SendMouse(button, wxEVT_ENTER_WINDOW, 5, 5);
  EXPECT_TRUE(button->IsHover());
  EXPECT_EQ(button->DrawnFace(), Face::Normal);
  EXPECT_EQ(drawn(button), kNormal);
}

TEST_F(SkinButtonTest, MissingSelectedOrFocusedBitmapFallsThrough) {
  auto* button = new SkinButton(panel, 1001, wxPoint(40, 10), kSize);
  button->LoadBitmaps(SolidBitmap(kSize, kNormal));
  button->selectedMark = true;
  EXPECT_EQ(button->DrawnFace(), Face::Normal);
  SendMouse(button, wxEVT_LEFT_DOWN, 5, 5);
  EXPECT_EQ(button->DrawnFace(), Face::Normal);
  SendMouse(button, wxEVT_LEFT_UP, 5, 5);

  // Disabled without a disabled bitmap: the normal bitmap, greyed.
  button->selectedMark = false;
  button->Disable();
  EXPECT_EQ(button->DrawnFace(), Face::Disabled);
  const wxColour grey = drawn(button);
  EXPECT_NE(grey, kNormal);
  EXPECT_NE(grey, kBeneath);
  EXPECT_LT(std::abs(grey.Red() - grey.Green()), 12);
}

TEST_F(SkinButtonTest, SelectedMarkSticksUntilCleared) {
  SkinButton* button = makeButton();
  button->selectedMark = true;
  button->Repaint();
  SendMouse(button, wxEVT_ENTER_WINDOW, 5, 5);
  EXPECT_EQ(button->DrawnFace(), Face::Focused);
  click(button);
  EXPECT_EQ(button->DrawnFace(), Face::Focused);
  SendMouse(button, wxEVT_LEAVE_WINDOW, 40, 40);
  button->Disable();
  button->Enable();
  EXPECT_EQ(button->DrawnFace(), Face::Focused);
  EXPECT_EQ(drawn(button), kFocused);

  button->selectedMark = false;
  button->Repaint();
  EXPECT_EQ(button->DrawnFace(), Face::Normal);
}

TEST_F(SkinButtonTest, KeyColouredPixelsShowWhatLiesBeneath) {
  const std::vector<wxPoint> holes = {{0, 0}, {3, 4}, {19, 19}};
  const wxBitmap art = BitmapWithPixels(kSize, kNormal, holes, *wxWHITE);
  auto* button = new SkinButton(panel, 1242, wxPoint(10, 10), kSize);
  button->LoadBitmaps(art, art, art);

  auto render = [button] {
    return Render(kSize, kBeneath, [button](wxDC& dc) { button->Draw(dc); });
  };
  wxImage image = render();
  EXPECT_EQ(PixelAt(image, 3, 4), *wxWHITE);

  button->SetKeyColour(*wxWHITE);
  image = render();
  for (const wxPoint& p : holes) EXPECT_EQ(PixelAt(image, p.x, p.y), kBeneath) << p.x << "," << p.y;
  EXPECT_EQ(PixelAt(image, 4, 4), kNormal);
  EXPECT_EQ(PixelAt(image, 10, 10), kNormal);
  // The bitmap handed in (which may be shared through the cache) keeps no mask.
  EXPECT_EQ(art.GetMask(), nullptr);

  // Bitmaps loaded after the key colour are keyed too.
  button->SetHoverBitmap(art);
  SendMouse(button, wxEVT_ENTER_WINDOW, 5, 5);
  image = render();
  EXPECT_EQ(PixelAt(image, 0, 0), kBeneath);

  button->ClearKeyColour();
  image = render();
  EXPECT_EQ(PixelAt(image, 0, 0), *wxWHITE);
}

TEST_F(SkinButtonTest, KeyColouredPixelsShowTheParentOnScreen) {
  // A parent that paints its own face (as the main window paints its skin)
  // and one that only has a background colour.
  const wxColour painted(30, 90, 200);
  panel->SetBackgroundStyle(wxBG_STYLE_PAINT);
  panel->Bind(wxEVT_PAINT, [this, painted](wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(panel);
    dc.SetBackground(wxBrush(painted));
    dc.Clear();
  });
  const wxColour plain(240, 200, 40);
  auto* plainParent = new wxPanel(panel, wxID_ANY, wxPoint(150, 0), wxSize(100, 100));
  plainParent->SetBackgroundColour(plain);

  // Key-white pixels in the top-left quarter.
  std::vector<wxPoint> holes;
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) holes.push_back({x, y});
  const wxBitmap art = BitmapWithPixels(kSize, kNormal, holes, *wxWHITE);
  SkinButton* buttons[2] = {new SkinButton(panel, 1, wxPoint(10, 10), kSize),
                            new SkinButton(plainParent, 2, wxPoint(10, 10), kSize)};
  for (SkinButton* button : buttons) {
    button->LoadBitmaps(art);
    button->SetKeyColour(*wxWHITE);
  }
  panel->Refresh();
  Pump(150);

  const wxImage onPainted = GrabClient(buttons[0]);
  EXPECT_EQ(PixelAt(onPainted, 3, 3), painted);
  EXPECT_EQ(PixelAt(onPainted, 15, 15), kNormal);
  const wxImage onPlain = GrabClient(buttons[1]);
  EXPECT_EQ(PixelAt(onPlain, 3, 3), plain);
  EXPECT_EQ(PixelAt(onPlain, 15, 15), kNormal);
}

TEST_F(SkinButtonTest, ClickSendsButtonCommandWithItsId) {
  struct Sent {
    int id;
    wxObject* object;
    int checked;
  };
  std::vector<Sent> sent;
  frame->Bind(wxEVT_BUTTON, [&sent](wxCommandEvent& event) {
    sent.push_back({event.GetId(), event.GetEventObject(), event.GetInt()});
  });
  SkinButton* button = makeButton();

  click(button);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].id, 1000);
  EXPECT_EQ(sent[0].object, button);

  // Released outside: no click.
  SendMouse(button, wxEVT_LEFT_DOWN, 5, 5);
  SendMouse(button, wxEVT_MOTION, 30, 5, true);
  SendMouse(button, wxEVT_LEFT_UP, 30, 5);
  EXPECT_EQ(sent.size(), 1u);

  // Disabled: no click.
  button->Disable();
  click(button);
  EXPECT_EQ(sent.size(), 1u);
  button->Enable();

  // Enter, Space and Escape never act on the button.
  for (int key : {WXK_RETURN, WXK_SPACE, WXK_ESCAPE, WXK_NUMPAD_ENTER}) {
    SendKey(button, wxEVT_KEY_DOWN, key);
    SendKey(button, wxEVT_CHAR, key);
  }
  EXPECT_EQ(sent.size(), 1u);
  EXPECT_FALSE(button->AcceptsFocus());
  EXPECT_FALSE(button->AcceptsFocusFromKeyboard());

  // Check mode: a click toggles the check before the command is sent.
  button->SetCheckMode(true);
  click(button);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_TRUE(button->GetCheck());
  EXPECT_EQ(sent[1].checked, 1);
  click(button);
  EXPECT_FALSE(button->GetCheck());
  EXPECT_EQ(sent[2].checked, 0);
}

TEST_F(SkinButtonTest, SetCheckOnlyInCheckMode) {
  SkinButton* button = makeButton();
  button->SetCheck(true);
  EXPECT_FALSE(button->GetCheck());
  button->SetCheckMode(true);
  button->SetCheck(true, /*repaint=*/false);
  EXPECT_TRUE(button->GetCheck());
}

TEST_F(SkinButtonTest, HoverFollowsOwnerActivityAndHoverEnabled) {
  // A frame that is never shown is never the active window.
  auto* hidden = new wxFrame(nullptr, wxID_ANY, "hidden");
  auto* button = new SkinButton(hidden, 7, wxPoint(0, 0), kSize);
  button->LoadBitmaps(SolidBitmap(kSize, kNormal));
  button->SetHoverBitmap(SolidBitmap(kSize, kHover));

  SendMouse(button, wxEVT_ENTER_WINDOW, 5, 5);
  EXPECT_FALSE(button->IsHover());
  button->trackWhenInactive = true;
  SendMouse(button, wxEVT_MOTION, 5, 5);
  EXPECT_TRUE(button->IsHover());
  SendMouse(button, wxEVT_LEAVE_WINDOW, 30, 30);
  EXPECT_FALSE(button->IsHover());

  button->hoverEnabled = false;
  SendMouse(button, wxEVT_ENTER_WINDOW, 5, 5);
  EXPECT_FALSE(button->IsHover());
  EXPECT_EQ(button->DrawnFace(), Face::Normal);
  hidden->Destroy();
}

TEST_F(SkinButtonTest, MissingArtworkLeavesAButtonThatDrawsNothing) {
  auto* button = new SkinButton(panel, 1003, wxPoint(10, 10), kSize);
  EXPECT_FALSE(button->LoadBitmaps(987001, 987002, 987003, 987004));
  button->SetHoverBitmap(987005);
  button->SetKeyColour(*wxWHITE);
  SendMouse(button, wxEVT_ENTER_WINDOW, 5, 5);
  button->Disable();
  const wxImage image = Render(kSize, kBeneath, [button](wxDC& dc) { button->Draw(dc); });
  for (int y = 0; y < kSize.y; y += 3)
    for (int x = 0; x < kSize.x; x += 3) ASSERT_EQ(PixelAt(image, x, y), kBeneath);
  button->Enable();
  click(button);  // still clickable, nothing breaks
  Pump(20);
}

TEST_F(SkinButtonTest, BestSizeIsTheNormalBitmap) {
  auto* button = new SkinButton(panel, 1004);
  button->LoadBitmaps(SolidBitmap(wxSize(55, 55), kNormal));
  EXPECT_EQ(button->GetBestSize(), wxSize(55, 55));
}

}  // namespace
}  // namespace vestora
