#include "ui/skin_progress.h"

#include <gtest/gtest.h>

#include "ui_fixtures.h"

namespace vestora {
namespace {

using namespace vestora::testing;
using Mode = SkinProgress::Mode;

const wxColour kBar(210, 40, 40);
const wxColour kBack(40, 40, 210);

class SkinProgressTest : public FrameTest {
 protected:
  SkinProgress* makeBar(const wxSize& size = wxSize(100, 8)) {
    auto* bar = new SkinProgress(panel, 1103, wxPoint(0, 0), size);
    bar->SetBitmaps(SolidBitmap(wxSize(4, 8), kBar), SolidBitmap(wxSize(4, 8), kBack));
    bar->SetRange(0, 200);
    bar->SetStep(5);
    return bar;
  }
  static wxImage render(const SkinProgress* bar, const wxSize& size) {
    return Render(size, *wxBLACK, [bar, size](wxDC& dc) { bar->Draw(dc, size); });
  }
};

TEST_F(SkinProgressTest, AtTheUpperBoundFillsTheWidthMinusOne) {
  SkinProgress* bar = makeBar();
  bar->SetPos(200);
  EXPECT_EQ(bar->Percent(), 100);
  EXPECT_EQ(bar->FilledWidth(100), 99);
  EXPECT_EQ(bar->FilledWidth(1), 0);
  for (Mode mode : {Mode::Stretch, Mode::Tile, Mode::Clip}) {
    bar->SetBitmaps(SolidBitmap(wxSize(4, 8), kBar), SolidBitmap(wxSize(4, 8), kBack), mode);
    const wxImage image = render(bar, wxSize(100, 8));
    EXPECT_EQ(PixelAt(image, 0, 4), kBar) << int(mode);
    EXPECT_EQ(PixelAt(image, 98, 4), kBar) << int(mode);
    EXPECT_EQ(PixelAt(image, 99, 4), kBack) << int(mode);
  }
}

TEST_F(SkinProgressTest, PercentIsTruncated) {
  SkinProgress* bar = makeBar();
  bar->SetPos(5);  // 2.5 %
  EXPECT_EQ(bar->Percent(), 2);
  EXPECT_EQ(bar->FilledWidth(100), 2);
  EXPECT_EQ(bar->FilledWidth(150), 3);
  bar->SetPos(3);  // 1.5 %
  EXPECT_EQ(bar->Percent(), 1);
  bar->SetPos(1);
  EXPECT_EQ(bar->FilledWidth(100), 0);
  const wxImage image = render(bar, wxSize(100, 8));
  EXPECT_EQ(PixelAt(image, 0, 4), kBack);

  bar->SetRange(-50, 50);
  bar->SetPos(0);
  EXPECT_EQ(bar->Percent(), 50);
  const wxImage half = render(bar, wxSize(100, 8));
  EXPECT_EQ(PixelAt(half, 49, 4), kBar);
  EXPECT_EQ(PixelAt(half, 50, 4), kBack);
}

TEST_F(SkinProgressTest, EmptyRangeFillsNothing) {
  SkinProgress* bar = makeBar();
  bar->SetRange(7, 7);
  EXPECT_EQ(bar->GetPos(), 7);
  bar->SetPos(100);
  EXPECT_EQ(bar->GetPos(), 7);
  EXPECT_EQ(bar->Percent(), 0);
  EXPECT_EQ(bar->FilledWidth(100), 0);
  bar->StepIt();
  EXPECT_EQ(bar->GetPos(), 7);
}

TEST_F(SkinProgressTest, PositionIsClampedAndStepsWrap) {
  SkinProgress* bar = makeBar();
  EXPECT_EQ(bar->SetPos(250), 0);
  EXPECT_EQ(bar->GetPos(), 200);
  EXPECT_EQ(bar->SetPos(-3), 200);
  EXPECT_EQ(bar->GetPos(), 0);

  EXPECT_EQ(bar->StepIt(), 0);
  EXPECT_EQ(bar->GetPos(), 5);
  bar->SetPos(198);
  EXPECT_EQ(bar->StepIt(), 198);  // past the upper bound: from the start again
  EXPECT_EQ(bar->GetPos(), 0);
  EXPECT_EQ(bar->SetStep(20), 5);
  bar->StepIt();
  EXPECT_EQ(bar->GetPos(), 20);
}

TEST_F(SkinProgressTest, WithoutArtworkDrawsThePaletteFallback) {
  auto* bar = new SkinProgress(panel, 1103, wxPoint(0, 0), wxSize(50, 6));
  EXPECT_FALSE(bar->SetBitmaps(987311, 987312));
  bar->SetPos(50);
  const wxImage image = render(bar, wxSize(50, 6));
  EXPECT_EQ(PixelAt(image, 10, 3), wxColour(0xC8, 0x55, 0x3D));
  EXPECT_EQ(PixelAt(image, 40, 3), wxColour(0xE2, 0xDD, 0xD6));
  // It also paints on screen without trouble.
  bar->SetPos(70);
  Pump(30);
}

}  // namespace
}  // namespace vestora
