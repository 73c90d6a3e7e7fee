// The scenes behind the avatar, drawn off screen: each environment, the
// lake's mirror, the lens flare and its occlusion, the palms' transparent
// texels, and a scene whose model is missing.
#include <cmath>
#include <filesystem>

#include <gtest/gtest.h>

#include "view/body_pick.h"
#include "view/environment_drawing.h"
#include "view/gl_headers.h"
#include "view/lens_flare.h"
#include "view/object3d.h"
#include "view_test_support.h"

namespace vestora {
namespace {

using testing::Colour;
using testing::Frame;
using testing::near;
using testing::testPictureColours;
using testing::text;
using testing::ViewFixture;

int differingPixels(const Frame& a, const Frame& b, int tolerance = 24) {
  int count = 0;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x)
      if (!near(a.at(x, y), b.at(x, y), tolerance)) ++count;
  return count;
}

// The sum of all channels of the pixels farther than `radius` from (cx, cy).
double brightnessAwayFrom(const Frame& f, double cx, double cy, double radius) {
  double sum = 0;
  for (int y = 0; y < f.height; ++y)
    for (int x = 0; x < f.width; ++x)
      if (std::hypot(x - cx, y - cy) > radius) {
        const Colour c = f.at(x, y);
        sum += c[0] + c[1] + c[2];
      }
  return sum;
}

class SceneViewTest : public ViewFixture {
 protected:
  Frame sceneFrame(bool sky, bool room, bool beach) {
    view_->scene = {sky, room, beach};
    return frame();
  }
};

TEST_F(SceneViewTest, EachSceneSurroundsTheBodyAndKeepsTheLogos) {
  start();
  const Frame none = frame();
  EXPECT_FALSE(view_->sceneDrawn());
  const Colour backdrop = testPictureColours().at(643);
  const Colour logo = testPictureColours().at(588);
  const std::array<int, 2> logoPoint{146, 8};  // inside logo quad 1 of the 200-pixel frame
  ASSERT_TRUE(near(none.at(logoPoint[0], logoPoint[1]), logo));

  const std::array<std::array<bool, 3>, 3> scenes{
      {{true, false, false}, {false, true, false}, {false, false, true}}};
  for (std::size_t i = 0; i < scenes.size(); ++i) {
    SCOPED_TRACE(i);
    const Frame f = sceneFrame(scenes[i][0], scenes[i][1], scenes[i][2]);
    ASSERT_EQ(view_->sceneDrawn(), static_cast<Environment>(i));
    // The environment covers the backdrop nearly everywhere …
    EXPECT_GT(differingPixels(none, f), f.width * f.height / 2);
    int backdropLeft = 0;
    for (int y = 0; y < f.height; ++y)
      for (int x = 0; x < 40; ++x) backdropLeft += near(f.at(x, y), backdrop, 10);
    EXPECT_LT(backdropLeft, 40);
    // … the body still stands in the middle, lit as without a scene …
    EXPECT_TRUE(near(f.at(100, 120), none.at(100, 120), 30)) << text(f.at(100, 120));
    // … and the logo buttons stay over it.
    EXPECT_TRUE(near(f.at(logoPoint[0], logoPoint[1]), logo)) << text(f.at(146, 8));
  }

  // The measurement sheet's paper over the sky dome.
  ASSERT_TRUE(view_->measurer().MeasureBody(view_->avatar(), &host_->dialogs_));
  view_->measurementSheet = true;
  const Frame sheet = sceneFrame(true, false, false);
  EXPECT_TRUE(near(sheet.at(20, 160), testing::kSheetBackdropColour)) << text(sheet.at(20, 160));
  EXPECT_TRUE(near(sheet.at(logoPoint[0], logoPoint[1]), logo));
}

TEST_F(SceneViewTest, SkyFramesRepeatExactly) {
  start();
  view_->scene = {true, false, false};
  const Frame first = frame();
  const Frame second = frame();
  const Frame third = frame();
  EXPECT_EQ(first.rgb, second.rgb);
  EXPECT_EQ(second.rgb, third.rgb);
}

TEST_F(SceneViewTest, TheMirrorOnlyChangesPixelsOverTheLake) {
  start();
  view_->scene = {true, false, false};
  view_->camera.elevation = 30;  // looking down on the lake
  view_->setMirrorEnabled(false);
  const Frame plain = frame();
  view_->setMirrorEnabled(true);
  const Frame mirrored = frame();

  // Whether any corner of a pixel looks onto the lake (the edge's pixels
  // are covered in part).
  const ViewMatrices& m = view_->matrices();
  auto overLake = [&](int x, int y) {
    for (double dx : {0.0, 1.0})
      for (double dy : {0.0, 1.0}) {
        const auto from = unprojectWindowPoint(m, x + dx, y + dy, 0.0);
        const auto to = unprojectWindowPoint(m, x + dx, y + dy, 1.0);
        if (!from || !to || to->y >= from->y) continue;
        const double t = (kFloorY - from->y) / (to->y - from->y);
        if (t < 0 || t > 1) continue;
        const double hx = from->x + t * (to->x - from->x);
        const double hz = from->z + t * (to->z - from->z);
        if (std::abs(hx) <= kFloorHalfWidth && std::abs(hz) <= kFloorHalfDepth) return true;
      }
    return false;
  };
  int changed = 0, outside = 0;
  for (int y = 0; y < plain.height; ++y)
    for (int x = 0; x < plain.width; ++x)
      if (plain.at(x, y) != mirrored.at(x, y)) {
        ++changed;
        if (!overLake(x, y)) ++outside;
      }
  EXPECT_GT(changed, 500);
  EXPECT_EQ(outside, 0);
}

// A box of scene-object faces round a point.
std::unique_ptr<CMesh3d> boxAround(const FlareVec& c, float half) {
  auto mesh = std::make_unique<CMesh3d>();
  for (int i = 0; i < 8; ++i)
    mesh->addVertex(c[0] + ((i & 1) ? half : -half), c[1] + ((i & 2) ? half : -half),
                    c[2] + ((i & 4) ? half : -half));
  const int faces[6][4] = {{0, 1, 3, 2}, {4, 5, 7, 6}, {0, 1, 5, 4},
                           {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 3, 7, 5}};
  for (const auto& f : faces) {
    mesh->addFace(f[0], f[1], f[2]);
    mesh->addFace(f[0], f[2], f[3]);
  }
  return mesh;
}

TEST(SceneView, TheFlareShowsOnlyFacingTheSunWhenNothingCoversIt) {
  // A frame of the window's proportions: the sun is in view at −80.
  constexpr int kWidth = 320, kHeight = 240;
  auto context = OffscreenContext::create(kWidth, kHeight);
  ASSERT_TRUE(context) << context.error().message();
  testing::ViewTestRoot root;
  testing::RecordingHost host(*context.value());
  GlView view(host, root.path());
  ASSERT_TRUE(view.loadDefaultAvatar());
  ASSERT_TRUE(view.InitGL(kWidth, kHeight));
  ASSERT_TRUE(view.LoadViewResources().empty());
  auto frame = [&] {
    view.DrawScene(false);
    return Frame{kWidth, kHeight, context.value()->readRgb()};
  };

  view.scene = {true, false, false};
  view.camera.azimuth = -10;
  frame();
  EXPECT_FALSE(view.flareDrawn());

  view.setMirrorEnabled(false);  // the box below would be mirrored too
  view.camera.azimuth = -80;
  const Frame shining = frame();
  EXPECT_TRUE(view.flareDrawn());
  const auto light =
      projectModelPoint(view.matrices(), Vec3f{kFlareLight[0], kFlareLight[1], kFlareLight[2]});
  ASSERT_TRUE(light);
  // Whole turns further round give the same view.
  view.camera.azimuth = -80 - 720;
  frame();
  EXPECT_TRUE(view.flareDrawn());

  // A small box round the light hides it: the flare is gone, and with it
  // the light its rings added to the frame away from the box.
  view.camera.azimuth = -80;
  std::vector<std::unique_ptr<CObject3d>> objects;
  objects.push_back(boxAround(kFlareLight, 0.4f));
  view.sceneObjects().BuildSceneObjects(std::move(objects));
  const Frame covered = frame();
  EXPECT_FALSE(view.flareDrawn());
  const double away = 20;  // beyond the box on the screen
  EXPECT_GT(brightnessAwayFrom(shining, (*light)[0], (*light)[1], away),
            brightnessAwayFrom(covered, (*light)[0], (*light)[1], away) + 2000);
  view.ReleaseGL();
}

TEST_F(SceneViewTest, AMissingSceneModelLeavesOnlyThatSceneOut) {
  root_.ownModelFolder("Mansion");
  std::filesystem::remove(root_.file("model/Mansion/room.c3d"));
  ASSERT_TRUE(view_->loadDefaultAvatar());
  ASSERT_TRUE(view_->InitGL(kSize, kSize));
  const auto problems = view_->LoadViewResources();
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_NE(problems[0].find("room.c3d"), std::string::npos) << problems[0];
  EXPECT_FALSE(view_->sceneAvailable(Environment::Room));
  EXPECT_TRUE(view_->sceneAvailable(Environment::Sky));
  EXPECT_TRUE(view_->sceneAvailable(Environment::Beach));

  const Frame none = frame();
  view_->NextScene();  // sky
  frame();
  EXPECT_EQ(view_->sceneDrawn(), Environment::Sky);
  EXPECT_TRUE(host_->dialogs_.messages().empty());
  view_->NextScene();  // the room: its model is missing
  ASSERT_EQ(host_->dialogs_.messages().size(), 1u);
  EXPECT_NE(host_->dialogs_.messages()[0].find("\\model\\Mansion\\room.c3d"), std::string::npos);
  const Frame missing = frame();
  EXPECT_FALSE(view_->sceneDrawn());
  // The body on the plain backdrop, from the room's camera distance.
  EXPECT_TRUE(near(missing.at(20, 160), none.at(20, 160)));
  view_->NextScene();  // the beach
  frame();
  EXPECT_EQ(view_->sceneDrawn(), Environment::Beach);
}

// ---- the palms' transparency, on a model of one frond -----------------------

// An uncompressed 32-bit TGA of 4 × 4 texels: the left half clear red, the
// right half opaque green.
std::vector<std::uint8_t> halfClearTga() {
  std::vector<std::uint8_t> tga(18, 0);
  tga[2] = 2;
  tga[12] = 4;
  tga[14] = 4;
  tga[16] = 32;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      const bool clear = x < 2;
      // Blue, green, red, alpha.
      tga.insert(tga.end(), {0, static_cast<std::uint8_t>(clear ? 0 : 200),
                             static_cast<std::uint8_t>(clear ? 220 : 0),
                             static_cast<std::uint8_t>(clear ? 0 : 255)});
    }
  return tga;
}

// A beach of only a palm: one square in the group " shu" facing +z.
std::unique_ptr<GlmModel> palmOnly() {
  auto model = std::make_unique<GlmModel>();
  model->setVertexCount(4);
  model->setTexcoordCount(4);
  const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
  for (std::uint32_t i = 1; i <= 4; ++i) {
    float* v = model->vertex(i);
    v[0] = corners[i - 1][0];
    v[1] = corners[i - 1][1];
    v[2] = 0;
    model->texcoords[2 * i] = (corners[i - 1][0] + 1) / 2;
    model->texcoords[2 * i + 1] = (corners[i - 1][1] + 1) / 2;
  }
  GlmGroup& group = glmAddGroup(*model, kBeachTreeGroup);
  for (const auto& t : {std::array<std::uint32_t, 3>{1, 2, 3}, {1, 3, 4}}) {
    GlmTriangle triangle;
    for (int k = 0; k < 3; ++k) triangle.vindices[k] = triangle.tindices[k] = t[k];
    group.triangles.push_back(model->triangleCount());
    model->triangles.push_back(triangle);
  }
  return model;
}

TEST(EnvironmentDrawing, ThePalmsClearTexelsShowWhatIsBehind) {
  auto context = OffscreenContext::create(64, 64, false);
  ASSERT_TRUE(context) << context.error().message();
  testing::TempDir root;
  testing::writeBytes(root.path() / "model" / "Mansion" / "Tree.tga", halfClearTga());
  EnvironmentModels models;
  models.models[static_cast<std::size_t>(Environment::Beach)] = palmOnly();

  EnvironmentDrawer drawer;
  drawer.Load(models, root.path().string());  // the other pictures are missing here
  ASSERT_TRUE(drawer.ready(Environment::Beach));
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-2, 2, -2, 2, -10, 10);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glClearColor(0, 0, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
  bool bodyDrawn = false;
  drawer.DrawBeach({[&] { bodyDrawn = true; }, {}});
  const Frame f{64, 64, context.value()->readRgb()};
  drawer.release();

  EXPECT_TRUE(bodyDrawn);
  // The square spans pixels 16 to 47; its left half is clear.
  EXPECT_TRUE(near(f.at(22, 32), {0, 0, 255}, 4)) << text(f.at(22, 32));
  EXPECT_TRUE(near(f.at(42, 32), {0, 200, 0}, 4)) << text(f.at(42, 32));
  EXPECT_TRUE(near(f.at(4, 4), {0, 0, 255}, 4)) << text(f.at(4, 4));
}

// ---- plain rules ---------------------------------------------------------------

TEST(SceneCycle, FivePressesGoSkyRoomBeachNoneSky) {
  int step = 0;
  SceneChoice scene;
  ViewCamera camera;
  camera.distance = -44;  // zoomed right out
  nextScene(step, scene, camera);
  EXPECT_TRUE(scene.skyShown && !scene.roomShown && !scene.beachShown);
  EXPECT_EQ(camera.distance, -37);  // the sky dome only limits the distance
  camera.distance = -20;
  nextScene(step, scene, camera);
  EXPECT_TRUE(scene.roomShown && !scene.skyShown && !scene.beachShown);
  EXPECT_EQ(camera.distance, -32);
  nextScene(step, scene, camera);
  EXPECT_TRUE(scene.beachShown && !scene.skyShown && !scene.roomShown);
  EXPECT_EQ(camera.distance, -34);
  nextScene(step, scene, camera);
  EXPECT_FALSE(scene.any());
  EXPECT_EQ(step, 0);
  camera.distance = -20;
  nextScene(step, scene, camera);
  EXPECT_TRUE(scene.skyShown);
  EXPECT_EQ(camera.distance, -20);  // nearer than the limit: kept
}

TEST(GlExtensions, OnlyWholeWordsCount) {
  const char* list = "GL_ARB_multitexture_x GL_EXT_texture_env_combine  GL_ARB_foo";
  EXPECT_TRUE(extensionListed(list, "GL_EXT_texture_env_combine"));
  EXPECT_TRUE(extensionListed(list, "GL_ARB_foo"));
  EXPECT_FALSE(extensionListed(list, "GL_ARB_multitexture"));
  EXPECT_FALSE(extensionListed(list, "GL_EXT_texture_env"));
  EXPECT_FALSE(extensionListed(nullptr, "GL_ARB_foo"));
  EXPECT_FALSE(extensionListed("", "GL_ARB_foo"));
  EXPECT_FALSE(extensionListed(list, ""));
  // A list far longer than any fixed buffer is read to its end.
  std::string longList(100000, 'x');
  longList += " GL_ARB_multitexture";
  EXPECT_TRUE(extensionListed(longList.c_str(), "GL_ARB_multitexture"));
}

TEST(LensFlareGeometry, AzimuthWindowOverAnyNumberOfTurns) {
  EXPECT_TRUE(flareAzimuth(-95));
  EXPECT_TRUE(flareAzimuth(-80));
  EXPECT_FALSE(flareAzimuth(-70));
  EXPECT_FALSE(flareAzimuth(-10));
  EXPECT_TRUE(flareAzimuth(280));         // one turn round: −80
  EXPECT_TRUE(flareAzimuth(-80 - 1080));  // three turns the other way
  EXPECT_FALSE(flareAzimuth(-96));
}

TEST(LensFlareGeometry, ElementsRunFromTheLightToThePointLookedAt) {
  FlareCamera camera;
  camera.position = {0, 0, 10};
  camera.direction = {0, 0, -1};
  const FlareVec light{3, 4, 10 - 5};  // 5 × √2 away, off to one side
  const auto centres = flareCentres(camera, light);
  // t = 0 at the light, t = 1 at the point looked at (on the view axis at
  // the light's distance).
  const float d = std::sqrt(9.0f + 16 + 25);
  for (std::size_t i = 0; i < kFlareElements.size(); ++i) {
    const float t = kFlareElements[i].along;
    EXPECT_NEAR(centres[i][0], 3 - 3 * t, 1e-4) << i;
    EXPECT_NEAR(centres[i][1], 4 - 4 * t, 1e-4) << i;
    EXPECT_NEAR(centres[i][2], 5 + t * ((10 - d) - 5), 1e-4) << i;
  }
  // Looking straight at the light: every element sits on it.
  camera.direction = {3 / d, 4 / d, -5 / d};
  for (const FlareVec& c : flareCentres(camera, light))
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(c[k], light[k], 1e-4);
}

TEST(LensFlareGeometry, CameraAndFrustumFromTheMatrices) {
  // The view's camera: turned −90° about y, then back 30 along z.
  std::array<double, 16> modelview{}, projection{};
  modelview = {0, 0, 1, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, -30, 1};
  const FlareCamera camera = cameraOfModelview(modelview);
  EXPECT_NEAR(camera.position[0], 30, 1e-4);
  EXPECT_NEAR(camera.position[2], 0, 1e-4);
  EXPECT_NEAR(camera.direction[0], -1, 1e-4);  // looking along −x at the origin
  // A 90° perspective, near 1, far 100.
  projection = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -101.0 / 99, -1, 0, 0, -200.0 / 99, 0};
  const FrustumPlanes planes = frustumPlanes(projection, modelview);
  EXPECT_TRUE(sphereInFrustum(planes, {0, 0, 0}, 1));
  EXPECT_FALSE(sphereInFrustum(planes, {40, 0, 0}, 1));   // behind the camera
  EXPECT_FALSE(sphereInFrustum(planes, {0, 50, 0}, 1));   // far above the view
  EXPECT_TRUE(sphereInFrustum(planes, {0, 30.5, 0}, 1));  // the edge of the sphere reaches in
}

}  // namespace
}  // namespace vestora
