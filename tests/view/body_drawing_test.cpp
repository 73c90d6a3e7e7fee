#include "view/body_drawing.h"

#include <cmath>
#include <filesystem>

#include <gtest/gtest.h>

#include "platform/data_path.h"
#include "view/gl_headers.h"
#include "view/gl_view.h"
#include "view_test_support.h"

namespace vestora {
namespace {

using testing::Colour;
using testing::flatJpeg;
using testing::near;
using testing::text;
using testing::ViewFixture;
using testing::writeBytes;

class BodyDrawingTest : public ViewFixture {};

TEST_F(BodyDrawingTest, TheShippedWomanWearsHerSkinAndWithoutItIsDrawnPlain) {
  start();
  // Her skin, lit, at the waist above her briefs: warm, red well above blue.
  const Colour skin = frame().at(100, 120);
  EXPECT_GT(skin[0], skin[2] + 25) << text(skin);
  view_->ReleaseGL();
  view_ = std::make_unique<GlView>(*host_, root_.path());

  root_.ownModelFolder("ChinaFemale");
  std::filesystem::remove(dataPath(root_.path(), bodyTextureFiles("woman")->body));
  start();
  const Colour plain = frame().at(100, 100);
  // The plain colour, lit: grey with a little more blue than red.
  EXPECT_GT(plain[2], plain[0]) << text(plain);
  EXPECT_LT(plain[2] - plain[0], 40);
}

TEST_F(BodyDrawingTest, TheWomansSkinTextureIsUsedWhenPresent) {
  root_.ownModelFolder("ChinaFemale");
  const BodyTextureFiles* files = bodyTextureFiles("woman");
  ASSERT_NE(files, nullptr);
  writeBytes(dataPath(root_.path(), files->body), flatJpeg(32, 32, {255, 0, 255}));
  writeBytes(dataPath(root_.path(), files->head), flatJpeg(32, 32, {0, 255, 0}));
  start();
  const Colour skin = frame().at(100, 100);
  // Magenta, lit: red and blue well above green.
  EXPECT_GT(skin[0], skin[1] + 60) << text(skin);
  EXPECT_GT(skin[2], skin[1] + 60) << text(skin);
}

TEST_F(BodyDrawingTest, RedrawingAnUnchangedBodyGivesTheSameFrameAndReshapingChangesIt) {
  start();
  const auto first = frame().rgb;
  EXPECT_EQ(frame().rgb, first);
  // Move every vertex sideways: the drawing follows.
  for (SkinVertex& s : view_->avatar().skin) s.x += 3.0f;
  view_->avatar().refreshFromSkin();
  const testing::Frame moved = frame();
  EXPECT_NE(moved.rgb, first);
  EXPECT_TRUE(near(moved.at(100, 100), testing::testPictureColours().at(643), 20))
      << text(moved.at(100, 100));
}

// The frontmost body triangle on the z axis (the body faces +z).
int triangleOnTheAxis(const Avatar& avatar) {
  int best = -1;
  float bestZ = -1e9f;
  for (std::size_t i = 0; i < avatar.triangleCount(); ++i) {
    const auto& c = avatar.triangles[i].corner;
    const float d = (c[1].x - c[0].x) * (c[2].y - c[0].y) - (c[2].x - c[0].x) * (c[1].y - c[0].y);
    if (std::abs(d) < 1e-9f) continue;
    const float u = ((0 - c[0].x) * (c[2].y - c[0].y) - (c[2].x - c[0].x) * (0 - c[0].y)) / d;
    const float v = ((c[1].x - c[0].x) * (0 - c[0].y) - (0 - c[0].x) * (c[1].y - c[0].y)) / d;
    if (u < 0 || v < 0 || u + v > 1) continue;
    const float z = c[0].z + u * (c[1].z - c[0].z) + v * (c[2].z - c[0].z);
    if (z > bestZ) {
      bestZ = z;
      best = static_cast<int>(i);
    }
  }
  return best;
}

TEST_F(BodyDrawingTest, TheSelectedTriangleIsMarkedAndStaysMarked) {
  start();
  frame();  // lights in place
  const int selected = triangleOnTheAxis(view_->avatar());
  ASSERT_GE(selected, 0);
  BodyDrawer drawer;
  auto drawClose = [&] {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, 0, -2.5f);  // close enough for the triangle to cover pixels
    drawer.DrawBody(view_->avatar());
    const auto rgb = context_->readRgb();
    const std::size_t i = 3 * (static_cast<std::size_t>(kSize / 2) * kSize + kSize / 2);
    return Colour{rgb[i], rgb[i + 1], rgb[i + 2]};
  };
  const Colour plain = drawClose();
  drawer.selectedTriangle = selected;
  const Colour marked = drawClose();
  // (0.3, 1.0, 1.0) lit: green and blue far above red.
  EXPECT_GT(marked[1], marked[0] + 40) << text(marked);
  EXPECT_GT(marked[2], marked[0] + 40) << text(marked);
  EXPECT_LT(plain[1], plain[0] + 30) << text(plain);
  drawer.selectedTriangle = -1;
  EXPECT_EQ(drawClose(), marked);

  // Outlined, the triangle edges darken the surface.
  drawer.outline = true;
  const Colour outlined = drawClose();
  drawer.release();
  EXPECT_NE(outlined, marked);
}

TEST_F(BodyDrawingTest, AWornGarmentIsDrawnOverTheBody) {
  const std::string dress = dataPath(root_.path(), "\\pattern\\Dress.pop");
  if (!std::filesystem::exists(dress)) GTEST_SKIP() << "no generated garments in " << dress;
  start();
  const testing::Frame bare = frame();
  host_->dialogs_.answerYesNo(true);  // re-drape if asked
  ASSERT_TRUE(view_->tryOn().LoadFittedGarmentCommand(dress));
  const testing::Frame dressed = frame();
  int changed = 0;
  for (int y = 60; y < 140; ++y)
    for (int x = 80; x < 120; ++x) changed += !near(bare.at(x, y), dressed.at(x, y), 12);
  EXPECT_GT(changed, 800);
  // The backdrop is untouched.
  EXPECT_EQ(bare.at(8, 190), dressed.at(8, 190));
}

}  // namespace
}  // namespace vestora
