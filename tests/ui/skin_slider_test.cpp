#include "ui/skin_slider.h"

#include <vector>

#include <gtest/gtest.h>

#include "ui_fixtures.h"

namespace vestora {
namespace {

using namespace vestora::testing;

struct Notice {
  wxEventType type;
  wxObject* object;
  int id;
  double pos;
};

class SkinSliderTest : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    for (const wxEventTypeTag<wxScrollEvent>& type :
         {wxEVT_SCROLL_THUMBTRACK, wxEVT_SCROLL_THUMBRELEASE, wxEVT_SCROLL_CHANGED,
          wxEVT_SCROLL_LINEUP, wxEVT_SCROLL_TOP}) {
      frame->Bind(type, [this](wxScrollEvent& event) {
        auto* slider = wxDynamicCast(event.GetEventObject(), SkinSlider);
        notices.push_back({event.GetEventType(), event.GetEventObject(), event.GetId(),
                           slider ? slider->GetPos() : -999.0});
      });
    }
  }
  SkinSlider* makeSlider(wxWindowID id = 500) {
    auto* slider = new SkinSlider;
    EXPECT_TRUE(slider->Create(panel, id, wxPoint(10, 10), wxSize(200, 20)));
    slider->SetRange(-12.0, 12.0);
    return slider;
  }
  std::vector<Notice> notices;
};

TEST_F(SkinSliderTest, SetPosClampsReturnsThePreviousAndStaysQuiet) {
  SkinSlider* slider = makeSlider();
  EXPECT_DOUBLE_EQ(slider->SetPos(5.5), 0.0);
  EXPECT_DOUBLE_EQ(slider->GetPos(), 5.5);
  EXPECT_DOUBLE_EQ(slider->SetPos(30.0), 5.5);
  EXPECT_DOUBLE_EQ(slider->GetPos(), 12.0);
  EXPECT_DOUBLE_EQ(slider->SetPos(-40.0, false), 12.0);
  EXPECT_DOUBLE_EQ(slider->GetPos(), -12.0);
  Pump(20);
  EXPECT_TRUE(notices.empty());

  // A narrower range pulls the position in; bounds given the wrong way round are sorted.
  slider->SetRange(2.0, -2.0);
  EXPECT_DOUBLE_EQ(slider->GetLower(), -2.0);
  EXPECT_DOUBLE_EQ(slider->GetUpper(), 2.0);
  EXPECT_DOUBLE_EQ(slider->GetPos(), -2.0);
  EXPECT_TRUE(notices.empty());
}

TEST_F(SkinSliderTest, ThumbFollowsThePosition) {
  SkinSlider* slider = makeSlider();
  slider->SetPos(-12.0);
  const wxRect left = slider->ThumbRect();
  EXPECT_EQ(left.x, 0);
  slider->SetPos(12.0);
  const wxRect right = slider->ThumbRect();
  EXPECT_EQ(right.GetRight(), 199);
  slider->SetPos(0.0);
  const wxRect middle = slider->ThumbRect();
  EXPECT_NEAR(middle.x + middle.width / 2.0, 100.0, 1.0);
  EXPECT_NEAR(slider->PosFromX(middle.x + middle.width / 2), 0.0, 0.2);
}

TEST_F(SkinSliderTest, DraggingTheThumbNotifiesTheParent) {
  SkinSlider* slider = makeSlider();
  SkinSlider* other = makeSlider(501);
  other->Move(10, 40);
  const wxRect thumb = slider->ThumbRect();
  const int y = thumb.y + thumb.height / 2;
  const int x = thumb.x + thumb.width / 2;

  SendMouse(slider, wxEVT_LEFT_DOWN, x + 2, y);  // off-centre grab: no jump
  EXPECT_TRUE(slider->IsDragging());
  EXPECT_TRUE(notices.empty());
  SendMouse(slider, wxEVT_MOTION, x + 52, y, true);
  SendMouse(slider, wxEVT_MOTION, x + 52, y, true);  // no change, no notice
  SendMouse(slider, wxEVT_MOTION, 500, y, true);     // beyond the end
  SendMouse(slider, wxEVT_LEFT_UP, 500, y);
  EXPECT_FALSE(slider->IsDragging());

  ASSERT_EQ(notices.size(), 3u);
  EXPECT_EQ(notices[0].type, wxEVT_SCROLL_THUMBTRACK);
  EXPECT_GT(notices[0].pos, 4.0);
  EXPECT_LT(notices[0].pos, 8.0);
  EXPECT_EQ(notices[1].type, wxEVT_SCROLL_THUMBTRACK);
  EXPECT_DOUBLE_EQ(notices[1].pos, 12.0);
  EXPECT_EQ(notices[2].type, wxEVT_SCROLL_THUMBRELEASE);
  for (const Notice& notice : notices) {
    EXPECT_EQ(notice.object, slider);
    EXPECT_EQ(notice.id, 500);
  }
  EXPECT_DOUBLE_EQ(slider->GetPos(), 12.0);
  EXPECT_DOUBLE_EQ(other->GetPos(), 0.0);
}

TEST_F(SkinSliderTest, PressingTheTrackJumpsThere) {
  SkinSlider* slider = makeSlider();
  const int y = 10;
  SendMouse(slider, wxEVT_LEFT_DOWN, 1, y);
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].type, wxEVT_SCROLL_THUMBTRACK);
  EXPECT_DOUBLE_EQ(slider->GetPos(), -12.0);
  SendMouse(slider, wxEVT_LEFT_UP, 1, y);
  ASSERT_EQ(notices.size(), 2u);
  EXPECT_EQ(notices[1].type, wxEVT_SCROLL_THUMBRELEASE);

  // Disabled: nothing moves.
  slider->Disable();
  SendMouse(slider, wxEVT_LEFT_DOWN, 190, y);
  SendMouse(slider, wxEVT_LEFT_UP, 190, y);
  EXPECT_DOUBLE_EQ(slider->GetPos(), -12.0);
  EXPECT_EQ(notices.size(), 2u);
}

TEST_F(SkinSliderTest, TakesThePlaceOfItsPlaceholder) {
  auto* placeholder = new wxWindow(panel, 1234, wxPoint(30, 40), wxSize(150, 22));
  auto* slider = new SkinSlider;
  ASSERT_TRUE(slider->Create(0, panel, 1234, 77));
  EXPECT_EQ(slider->GetRect(), wxRect(30, 40, 150, 22));
  EXPECT_EQ(slider->GetId(), 77);
  EXPECT_FALSE(placeholder->IsShown());
  EXPECT_EQ(slider->GetParent(), panel);

  auto* missing = new SkinSlider;
  EXPECT_FALSE(missing->Create(0, panel, 4321, 78));
  delete missing;
}

TEST_F(SkinSliderTest, DrawsTheHouseLookWithoutArtwork) {
  SkinSlider* slider = makeSlider();
  EXPECT_FALSE(slider->SetBitmaps(987001, 987002, 987003, 987004, 987005));
  slider->SetPos(0.0);
  const wxColour background(90, 90, 90);
  const wxImage image =
      Render(wxSize(200, 20), background, [slider](wxDC& dc) { slider->Draw(dc); });
  EXPECT_EQ(PixelAt(image, 20, 10), wxColour(0xC8, 0x55, 0x3D));   // filled part
  EXPECT_EQ(PixelAt(image, 180, 10), wxColour(0xE2, 0xDD, 0xD6));  // rest of the track
  EXPECT_EQ(PixelAt(image, 100, 10), *wxWHITE);                    // thumb
  EXPECT_EQ(PixelAt(image, 20, 2), background);                    // above the slim track
}

TEST_F(SkinSliderTest, DrawsItsBitmapsWithMagentaTransparent) {
  SkinSlider* slider = makeSlider();
  const wxColour channel(0, 0, 180), filled(0, 160, 0), thumb(220, 30, 30);
  const wxBitmap thumbArt =
      BitmapWithPixels(wxSize(10, 16), thumb, {{0, 0}, {9, 15}}, wxColour(255, 0, 255));
  slider->SetBitmaps(SolidBitmap(wxSize(12, 6), channel), SolidBitmap(wxSize(12, 6), filled),
                     thumbArt, thumbArt, thumbArt);
  slider->SetPos(0.0);
  EXPECT_EQ(slider->ThumbRect().GetSize(), wxSize(10, 16));
  const wxColour background(90, 90, 90);
  const wxImage image =
      Render(wxSize(200, 20), background, [slider](wxDC& dc) { slider->Draw(dc); });
  EXPECT_EQ(PixelAt(image, 20, 10), filled);
  EXPECT_EQ(PixelAt(image, 180, 10), channel);
  EXPECT_EQ(PixelAt(image, 180, 3), background);
  const wxRect t = slider->ThumbRect();
  EXPECT_EQ(PixelAt(image, t.x + 5, t.y + 8), thumb);
  EXPECT_EQ(PixelAt(image, t.x, t.y), background);
}

}  // namespace
}  // namespace vestora
