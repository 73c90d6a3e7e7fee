#include "ui/splash_screen.h"

#include <set>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <wx/display.h>
#include <wx/weakref.h>

#include "ui_test_support.h"

namespace vestora {
namespace {

using namespace vestora::testing;

const wxColour kMagenta(255, 0, 255);
const wxColour kSlate(0x2B, 0x2F, 0x3A);

CSplashScreenEx* makeSplash(int timeoutMs = 0, int flags = 0) {
  auto* splash = new CSplashScreenEx;
  EXPECT_TRUE(splash->Create(nullptr, wxEmptyString, timeoutMs, flags));
  return splash;
}

// Hides the splash (which destroys it) and waits until wx has deleted it.
void hideAndWait(CSplashScreenEx* splash) {
  wxWeakRef<CSplashScreenEx> ref(splash);
  splash->Hide();
  EXPECT_TRUE(PumpUntil([&ref] { return !ref; }));
}

TEST(SplashScreenTest, ShapeHasHolesExactlyAtKeyPixels) {
  const wxSize size(24, 16);
  std::vector<wxPoint> holes = {{0, 0}, {23, 0}, {5, 7}, {23, 15}};
  for (int y = 4; y < 12; ++y)
    for (int x = 12; x < 20; ++x) holes.push_back({x, y});
  const wxBitmap picture = BitmapWithPixels(size, kSlate, holes, kMagenta);
  std::set<std::pair<int, int>> holeSet;
  for (const wxPoint& p : holes) holeSet.insert({p.x, p.y});

  CSplashScreenEx* splash = makeSplash();
  ASSERT_TRUE(splash->SetBitmap(picture, 255, 0, 255));
  EXPECT_EQ(splash->GetClientSize(), size);
  for (int y = 0; y < size.y; ++y) {
    for (int x = 0; x < size.x; ++x) {
      EXPECT_EQ(splash->IsInShape(x, y), holeSet.count({x, y}) == 0) << x << "," << y;
    }
  }

  // On screen the holes show what is behind the window, never magenta.
  splash->ShowAt(300, 300);
  Pump(100);
  const wxImage screen = GrabScreen(wxRect(wxPoint(300, 300), size));
  EXPECT_NE(PixelAt(screen, 15, 8), kMagenta);
  EXPECT_NE(PixelAt(screen, 16, 7), kMagenta);
  EXPECT_EQ(PixelAt(screen, 3, 3), kSlate);
  hideAndWait(splash);
}

TEST(SplashScreenTest, WithoutKeyColourTheWindowIsWhole) {
  CSplashScreenEx* splash = makeSplash();
  const wxBitmap picture = BitmapWithPixels(wxSize(8, 8), kSlate, {{2, 2}}, kMagenta);
  ASSERT_TRUE(splash->SetBitmap(picture));
  EXPECT_TRUE(splash->IsInShape(2, 2));
  EXPECT_TRUE(splash->IsInShape(7, 7));
  EXPECT_FALSE(splash->IsInShape(8, 8));
  // A picture that cannot be loaded is refused and changes nothing.
  EXPECT_FALSE(splash->SetBitmap(987654, 255, 0, 255));
  EXPECT_FALSE(splash->SetBitmap(wxNullBitmap, 255, 0, 255));
  EXPECT_TRUE(splash->IsInShape(2, 2));
  EXPECT_EQ(splash->GetClientSize(), wxSize(8, 8));
  hideAndWait(splash);
  EXPECT_TRUE(TakeLogMessages().empty());
}

TEST(SplashScreenTest, CentresOnTheScreen) {
  CSplashScreenEx* splash = makeSplash(0, CSplashScreenEx::kCentreOnScreen);
  ASSERT_TRUE(splash->SetBitmap(SolidBitmap(wxSize(100, 60), kSlate)));
  const wxRect area = wxDisplay(0u).GetClientArea();
  const wxPoint expected(area.x + (area.width - 100) / 2, area.y + (area.height - 60) / 2);
  EXPECT_EQ(splash->GetPosition(), expected);
  splash->Show();
  Pump(50);
  EXPECT_EQ(splash->GetScreenPosition(), expected);
  EXPECT_EQ(PixelAt(GrabScreen(wxRect(expected, wxSize(100, 60))), 50, 30), kSlate);
  hideAndWait(splash);
}

TEST(SplashScreenTest, TextIsPaintedAtOnceWithoutAnEventLoop) {
  CSplashScreenEx* splash = makeSplash();
  const wxSize size(220, 50);
  ASSERT_TRUE(splash->SetBitmap(SolidBitmap(size, kSlate)));
  splash->SetTextColour(*wxWHITE);
  splash->SetTextFont("Sans", 140, 1);
  splash->ShowAt(200, 500);
  const wxRect onScreen(wxPoint(200, 500), size);

  auto brightPixels = [&onScreen] {
    const wxImage image = GrabScreen(onScreen);
    int count = 0;
    for (int y = 0; y < image.GetHeight(); ++y)
      for (int x = 0; x < image.GetWidth(); ++x) count += image.GetRed(x, y) > 160;
    return count;
  };
  EXPECT_EQ(brightPixels(), 0);
  // As during the start-up: no events are processed between the calls.
  splash->SetText(wxString::FromUTF8("初始化：虚拟试衣间..."));
  EXPECT_GT(brightPixels(), 20);
  splash->SetText(wxEmptyString);
  EXPECT_EQ(brightPixels(), 0);
  hideAndWait(splash);
}

TEST(SplashScreenTest, TimeoutHidesAndDestroysTheWindow) {
  CSplashScreenEx* splash = makeSplash(60);
  ASSERT_TRUE(splash->SetBitmap(SolidBitmap(wxSize(20, 20), kSlate)));
  wxWeakRef<CSplashScreenEx> ref(splash);
  splash->Show();
  EXPECT_TRUE(PumpUntil([&ref] { return !ref; }, 3000));
}

TEST(SplashScreenTest, FadingWindowShowsAndHides) {
  const int flags = CSplashScreenEx::kFadeIn | CSplashScreenEx::kFadeOut |
                    CSplashScreenEx::kDropShadow | CSplashScreenEx::kCentreOnScreen;
  CSplashScreenEx* splash = makeSplash(0, flags);
  ASSERT_TRUE(splash->SetBitmap(SolidBitmap(wxSize(40, 30), kSlate), 255, 0, 255));
  splash->Show();
  EXPECT_TRUE(splash->IsShown());
  hideAndWait(splash);
}

TEST(SplashScreenTest, GoesWithItsOwner) {
  auto* owner = new wxFrame(nullptr, wxID_ANY, "owner", wxPoint(10, 10), wxSize(200, 150));
  owner->Show();
  auto* splash = new CSplashScreenEx;
  ASSERT_TRUE(splash->Create(owner, "text", 0, CSplashScreenEx::kCentreOnOwner));
  ASSERT_TRUE(splash->SetBitmap(SolidBitmap(wxSize(40, 30), kSlate)));
  const wxRect ownerRect = owner->GetScreenRect();
  EXPECT_EQ(splash->GetPosition(), wxPoint(ownerRect.x + (ownerRect.width - 40) / 2,
                                           ownerRect.y + (ownerRect.height - 30) / 2));
  wxWeakRef<CSplashScreenEx> ref(splash);
  owner->Destroy();
  EXPECT_TRUE(PumpUntil([&ref] { return !ref; }));
}

}  // namespace
}  // namespace vestora
