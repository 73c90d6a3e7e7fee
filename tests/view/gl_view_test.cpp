#include "view/gl_view.h"

#include <cmath>

#include <gtest/gtest.h>

#include "view/gl_headers.h"
#include "view_test_support.h"

namespace vestora {
namespace {

using testing::Colour;
using testing::Frame;
using testing::near;
using testing::testPictureColours;
using testing::text;
using testing::ViewFixture;

// Where an eye-space point lands in the square test frame (GL window
// coordinates), for the view's 30° vertical field of view.
std::array<int, 2> eyeToWindow(float x, float y, float z, int size) {
  const double f = 1.0 / std::tan(15.0 * 3.14159265358979 / 180.0);
  const double ndcX = f * x / -z, ndcY = f * y / -z;
  return {static_cast<int>((ndcX + 1) / 2 * size), static_cast<int>((ndcY + 1) / 2 * size)};
}

class GlViewTest : public ViewFixture {
 protected:
  // A point well inside each logo quad (both reach below the frame's bottom
  // edge, so the point sits between the bottom edge and the quad's top).
  std::array<int, 2> logo1() const { return {eyeToWindow(5, -8, -40, kSize)[0], 10}; }
  std::array<int, 2> logo2() const { return {eyeToWindow(8.5f, -8, -40, kSize)[0], 10}; }

  // Mean brightness over a block at the centre of the frame (the body).
  static double centreBrightness(const Frame& f) {
    double sum = 0;
    int n = 0;
    for (int y = 70; y < 130; ++y)
      for (int x = 92; x < 108; ++x, ++n) {
        const Colour c = f.at(x, y);
        sum += c[0] + c[1] + c[2];
      }
    return sum / n;
  }

  static int bluePixels(const Frame& f) {
    int count = 0;
    for (int y = 0; y < f.height; ++y)
      for (int x = 0; x < f.width; ++x) {
        const Colour c = f.at(x, y);
        if (c[2] > 180 && c[0] < 70 && c[1] < 70) ++count;
      }
    return count;
  }
};

TEST_F(GlViewTest, BackdropBehindTheBodyAndLogosInTheLowerRight) {
  start();
  const Colour backdrop = testPictureColours().at(643);
  Frame f = frame();
  EXPECT_EQ(host_->swaps, 1);
  for (auto [x, y] : {std::pair{8, 190}, std::pair{190, 190}, std::pair{8, 40}})
    EXPECT_TRUE(near(f.at(x, y), backdrop))
        << "corner " << x << "," << y << ": " << text(f.at(x, y));
  const Colour centre = f.at(100, 100);
  EXPECT_FALSE(near(centre, backdrop, 40)) << text(centre);
  EXPECT_FALSE(near(centre, {255, 255, 255}, 20)) << text(centre);
  // The body wears its skin: warm at the waist, red above blue.
  const Colour waist = f.at(100, 120);
  EXPECT_GT(waist[0], waist[2] + 25) << text(waist);

  EXPECT_TRUE(near(f.at(logo1()[0], logo1()[1]), testPictureColours().at(588)))
      << text(f.at(logo1()[0], logo1()[1]));
  EXPECT_TRUE(near(f.at(logo2()[0], logo2()[1]), testPictureColours().at(587)))
      << text(f.at(logo2()[0], logo2()[1]));

  // Without the environment the body is not drawn: the backdrop shows through.
  view_->environmentOn = false;
  f = frame();
  EXPECT_TRUE(near(f.at(100, 100), backdrop)) << text(f.at(100, 100));
}

TEST_F(GlViewTest, LogoTexturesFollowHoverAndPress) {
  start();
  const auto [x, glY] = logo1();
  const int windowY = kSize - glY;
  view_->onMouseMove(x, windowY, {}, {});
  EXPECT_EQ(view_->logoState(), kLogoHover);
  Frame f = frame();
  EXPECT_TRUE(near(f.at(x, glY), testPictureColours().at(589))) << text(f.at(x, glY));
  EXPECT_TRUE(near(f.at(logo2()[0], logo2()[1]), testPictureColours().at(586)));

  view_->onLeftDown(x, windowY, {});
  EXPECT_EQ(view_->logoState(), kLogoPressed);
  f = frame();
  EXPECT_TRUE(near(f.at(x, glY), testPictureColours().at(590))) << text(f.at(x, glY));
  EXPECT_TRUE(near(f.at(logo2()[0], logo2()[1]), testPictureColours().at(582)));
  // The pressed state stays through the release and goes with the next move.
  view_->onLeftUp(x, windowY, {});
  EXPECT_EQ(view_->logoState(), kLogoPressed);
  view_->onMouseMove(20, 20, {}, {});
  EXPECT_EQ(view_->logoState(), kLogoNormal);
  f = frame();
  EXPECT_TRUE(near(f.at(x, glY), testPictureColours().at(588))) << text(f.at(x, glY));
}

TEST_F(GlViewTest, TheFirstLogoIsThePictureButton) {
  start();
  const auto [x, glY] = logo1();
  const int windowY = kSize - glY;
  // Pressed and released on it: the detail pictures are asked for.
  view_->onLeftDown(x, windowY, {});
  view_->onLeftUp(x, windowY, {});
  EXPECT_EQ(host_->detailPictures, 1);
  // Released elsewhere, pressed elsewhere, or pressed with Shift: not.
  view_->onLeftDown(x, windowY, {});
  view_->onLeftUp(20, 20, {});
  view_->onLeftDown(20, 20, {});
  view_->onLeftUp(x, windowY, {});
  Modifiers shift;
  shift.shift = true;
  view_->onMouseMove(20, 20, {}, {});
  view_->onLeftDown(x, windowY, shift);
  view_->onLeftUp(x, windowY, shift);
  EXPECT_EQ(host_->detailPictures, 1);
  // The second logo is no button.
  view_->onLeftDown(logo2()[0], kSize - logo2()[1], {});
  view_->onLeftUp(logo2()[0], kSize - logo2()[1], {});
  EXPECT_EQ(host_->detailPictures, 1);
}

TEST_F(GlViewTest, HitLogoOnlyInsideQuadOne) {
  start();
  const auto [x, y] = logo1();
  EXPECT_TRUE(view_->HitLogo(x, y));
  const auto left = eyeToWindow(3, -8, -40, kSize);   // top-left corner of quad 1
  const auto right = eyeToWindow(7, -8, -40, kSize);  // top-right corner
  EXPECT_TRUE(view_->HitLogo(left[0] + 2, left[1] - 2));
  EXPECT_FALSE(view_->HitLogo(left[0] - 3, y));
  EXPECT_FALSE(view_->HitLogo(x, left[1] + 3));
  EXPECT_FALSE(view_->HitLogo(right[0] + 3, y));  // quad 2
  EXPECT_FALSE(view_->HitLogo(100, 100));
}

TEST_F(GlViewTest, BothLightsLightTheBody) {
  start();
  const double both = centreBrightness(frame());
  const GLfloat none[] = {0, 0, 0, 1};
  const GLfloat diffuse[] = {0.3f, 0.3f, 0.3f, 1};
  glLightfv(GL_LIGHT0, GL_DIFFUSE, none);
  const double withoutFirst = centreBrightness(frame());
  glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
  glLightfv(GL_LIGHT1, GL_DIFFUSE, none);
  const double withoutSecond = centreBrightness(frame());
  EXPECT_LT(withoutFirst, both - 15);
  EXPECT_LT(withoutSecond, both - 15);

  // The light offsets move the first light to the other side of the body:
  // the brightness changes again.
  glLightfv(GL_LIGHT1, GL_DIFFUSE, diffuse);
  view_->lightOffsets[0] = {-400, -300, 0};
  EXPECT_GT(std::abs(centreBrightness(frame()) - both), 5);
}

TEST_F(GlViewTest, SheetTextAndBackdropOnlyWithF2) {
  start();
  ASSERT_TRUE(view_->measurer().MeasureBody(view_->avatar(), &host_->dialogs_));
  const Frame without = frame();
  EXPECT_EQ(bluePixels(without), 0);
  EXPECT_TRUE(near(without.at(20, 160), testPictureColours().at(643)));

  const int redraws = host_->redraws;
  view_->onKeyDown(kKeyF2);
  EXPECT_TRUE(view_->measurementSheet);
  EXPECT_GT(host_->redraws, redraws);
  const Frame with = frame();
  EXPECT_GT(bluePixels(with), 100);
  EXPECT_TRUE(near(with.at(20, 160), testing::kSheetBackdropColour)) << text(with.at(20, 160));

  view_->onKeyDown(kKeyF2);
  EXPECT_EQ(bluePixels(frame()), 0);
}

TEST_F(GlViewTest, WheelStopsAtTheNearAndSceneFarLimits) {
  start();
  view_->onWheel(-120 * 100);
  EXPECT_EQ(view_->camera.distance, -16);
  view_->onWheel(119);  // less than a notch
  EXPECT_EQ(view_->camera.distance, -16);
  view_->onWheel(120 * 3);
  EXPECT_EQ(view_->camera.distance, -19);
  view_->onWheel(120 * 100);
  EXPECT_EQ(view_->camera.distance, -44);
  view_->scene.skyShown = true;
  view_->onWheel(120);
  EXPECT_EQ(view_->camera.distance, -37);
  view_->scene = {};
  view_->scene.roomShown = true;
  view_->onWheel(120 * 100);
  EXPECT_EQ(view_->camera.distance, -34);
  view_->scene = {};
  view_->scene.beachShown = true;
  view_->camera.distance = -40;
  view_->onWheel(0);
  EXPECT_EQ(view_->camera.distance, -34);
  EXPECT_TRUE(view_->sceneShown());
}

TEST_F(GlViewTest, DragsTurnThePanAndClamp) {
  start();
  // Right drag: 1 degree per pixel, elevation kept within [−10, 93].
  view_->onRightDown(100, 100);
  view_->onMouseMove(500, 400, {false, true}, {});
  EXPECT_EQ(view_->camera.azimuth, -10 + 400);  // not clamped
  EXPECT_EQ(view_->camera.elevation, 93);
  view_->onMouseMove(100, -200, {false, true}, {});
  EXPECT_EQ(view_->camera.elevation, -10);
  view_->onMouseMove(130, 100, {false, true}, {true, false});  // Ctrl: zoom, unclamped
  EXPECT_FLOAT_EQ(view_->camera.distance, -34 + 3);
  view_->onRightUp(130, 100);
  EXPECT_FALSE(view_->rightDown());

  // Shift + left drag pans; the vertical range depends on the scene.
  view_->onLeftDown(100, 100, {false, true});
  view_->onMouseMove(1100, -1000, {true, false}, {false, true});
  EXPECT_FLOAT_EQ(view_->camera.panX, 12.3f);
  EXPECT_FLOAT_EQ(view_->camera.panY, 15);
  view_->scene.roomShown = true;
  view_->onMouseMove(-1100, -1000, {true, false}, {false, true});
  EXPECT_FLOAT_EQ(view_->camera.panX, -12.3f);
  EXPECT_FLOAT_EQ(view_->camera.panY, 1.0f);
  view_->onMouseMove(0, 1000, {true, false}, {false, true});
  EXPECT_FLOAT_EQ(view_->camera.panY, -3.3f);
}

TEST_F(GlViewTest, AzimuthWrapsOnceAFrameAndResizeResetsTheZoom) {
  start();
  view_->camera.azimuth = 725;
  view_->camera.elevation = 20;
  frame();
  EXPECT_EQ(view_->camera.azimuth, 365);
  frame();
  EXPECT_EQ(view_->camera.azimuth, 5);
  view_->camera.azimuth = -725;  // only values above 360 are folded
  frame();
  EXPECT_EQ(view_->camera.azimuth, -725);

  view_->camera.distance = -40;
  view_->camera.panX = 2;
  view_->Resize(kSize, kSize);
  EXPECT_EQ(view_->camera.distance, -34);
  EXPECT_EQ(view_->camera.panX, 2);
  EXPECT_EQ(view_->camera.azimuth, -725);
}

TEST_F(GlViewTest, TurntableTurnsOneDegreeATick) {
  start();
  view_->onTurntableButton();
  EXPECT_TRUE(view_->turntableOn());
  ASSERT_EQ(host_->timers.count(kTurntableTimer), 1u);
  EXPECT_EQ(host_->timers[kTurntableTimer], 50);
  view_->onTimer(kTurntableTimer);
  view_->onTimer(kTurntableTimer);
  EXPECT_EQ(view_->camera.azimuth, -8);
  view_->onTurntableButton();
  EXPECT_FALSE(view_->turntableOn());
  EXPECT_EQ(host_->timers.count(kTurntableTimer), 0u);
}

TEST_F(GlViewTest, ResetAsksAndOnlyYesRestoresTheCamera) {
  start();
  view_->camera.azimuth = 50;
  view_->camera.panY = 3;
  view_->freehand.tools.height = true;
  host_->dialogs_.answerYesNo(false);
  view_->onResetButton();
  EXPECT_EQ(view_->camera.azimuth, 50);
  EXPECT_FALSE(
      view_->freehand.tools.anyActive());  // the measuring selections are cleared either way
  ASSERT_FALSE(host_->dialogs_.transcript().empty());
  EXPECT_EQ(host_->dialogs_.transcript().back().text, kResetQuestion);
  host_->dialogs_.answerYesNo(true);
  view_->onResetButton();
  EXPECT_EQ(view_->camera, kDefaultCamera);
}

TEST_F(GlViewTest, KeysOpenTheHelpAndControlNeedsSnapshotMode) {
  start();
  view_->onKeyDown(kKeyF1);
  ASSERT_EQ(host_->documents.size(), 1u);
  EXPECT_EQ(host_->documents[0], root_.path() + "/澄镜衣坊帮助文件.pdf");
  const int redraws = host_->redraws;
  view_->onKeyDown(kKeyControl);
  EXPECT_GT(host_->redraws, redraws);
  EXPECT_TRUE(host_->dialogs_.transcript().empty());
  EXPECT_EQ(view_->snapshotCounter, 0);
}

TEST_F(GlViewTest, PickPointsLastOneFrame) {
  start();
  view_->SetPickPointA(30, 50);
  EXPECT_EQ(view_->pickPointA(), (PickPoint{30, kSize - 50}));
  view_->onLeftDown(40, 60, {});
  EXPECT_EQ(view_->pickPointB(), (PickPoint{40, kSize - 60}));
  frame();
  EXPECT_FALSE(view_->pickPointA().set());
  EXPECT_FALSE(view_->pickPointB().set());
  // Shift + press picks nothing.
  view_->onLeftDown(40, 60, {false, true});
  EXPECT_FALSE(view_->pickPointB().set());
}

TEST_F(GlViewTest, StartsWithoutTheArtworkAndSaysWhatIsMissing) {
  ASSERT_TRUE(view_->loadDefaultAvatar());
  std::filesystem::remove(root_.file("res/TRYMO/643.jpg"));
  std::filesystem::remove(root_.file("vrinda.ttf"));
  EXPECT_FALSE(view_->InitGL(kSize, kSize));
  const auto problems = view_->LoadViewResources();
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_NE(problems[0].find("643.jpg"), std::string::npos) << problems[0];
  EXPECT_EQ(view_->backdropTexture(), 0u);
  EXPECT_NE(view_->logoTexture(0, kLogoNormal), 0u);
  // The frame is drawn anyway: a white backdrop, and no sheet text.
  view_->measurementSheet = true;
  const Frame f = frame();
  EXPECT_TRUE(near(f.at(190, 190), {255, 255, 255}, 3)) << text(f.at(190, 190));
}

TEST(GlViewLoad, AMissingAvatarNamesTheFile) {
  testing::TempDir empty;
  auto context = OffscreenContext::create(32, 32);
  ASSERT_TRUE(context);
  testing::RecordingHost host(*context.value());
  GlView view(host, empty.path().string());
  auto loaded = view.loadDefaultAvatar();
  ASSERT_FALSE(loaded);
  EXPECT_NE(loaded.error().message().find("nv_High.c3d"), std::string::npos)
      << loaded.error().message();
  // Without a body the frame is still drawn.
  EXPECT_FALSE(view.InitGL(32, 32));  // no font there either
  view.DrawScene();
  EXPECT_EQ(host.swaps, 1);
  view.ReleaseGL();
}

}  // namespace
}  // namespace vestora
