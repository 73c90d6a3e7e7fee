#include "view/gl_view.h"

#include <algorithm>
#include <cmath>

#include "platform/data_files.h"
#include "platform/data_path.h"
#include "view/body_drawing.h"
#include "view/body_pick.h"
#include "view/fit_map_drawing.h"
#include "view/freehand_drawing.h"
#include "view/garment_drawing.h"
#include "view/gl_font.h"
#include "view/gl_headers.h"
#include "view/gl_view_internal.h"
#include "view/markers.h"
#include "view/measurement_sheet.h"
#include "view/object3d.h"

namespace vestora {
namespace {

// A loader's error as one line: the "Error loading jpg file:" text names its
// file already.
std::string describe(const Error& error) {
  return error.what.rfind(kJpegLoadError, 0) == 0 ? error.what : error.message();
}

}  // namespace

GlView::GlView(ViewHost& host, std::string root)
    : host_(host),
      root_(std::move(root)),
      avatar_(root_),
      shaper_(std::make_unique<BodyShaper>(avatar_)),
      tryOn_(std::make_unique<TryOn>(avatar_, host.dialogs())),
      accessories_(std::make_unique<Accessories>(avatar_)),
      font_(std::make_unique<GlFont>()),
      sceneObjects_(std::make_unique<SceneObjectList>()),
      gl_(std::make_unique<Gl>()) {
  TryOnView& view = tryOn_->view;
  view.redraw = [this] { redraw(); };
  // The overlay objects hold display lists: freed while the context is current.
  view.clearOverlays = [this] { sceneObjects_->FreeSceneObjects(); };
  view.stopAnimation = [this] { stopIdleAnimation(); };
  view.loadTexture = [this](const std::string& name) { gl_->garmentTextureWanted = name; };
  // The bar only moves forward while a garment goes on (the steps of the
  // fitted-garment command come after the reader's 200).
  view.progress = [this](int step) {
    if (step <= progressStep_) return;
    progressStep_ = step;
    host_.showProgress(step);
  };
  view.drapeSound = [this] {
    if (host_.soundEffectsOn()) host_.playSound(data_files::kDrapeSound);
  };
  view.takeOffSound = [this] {
    if (host_.soundEffectsOn()) host_.playSound(data_files::kTakeOffSound);
  };
  // The garment is refitted first, then the accessories take their seats.
  avatar_.onReshaped = [this, refit = avatar_.onReshaped] {
    if (refit) refit();
    accessories_->reseat();
    if (onGarmentRefitted && !tryOn_->garment().particles.empty()) onGarmentRefitted();
  };
}

GlView::~GlView() = default;

void GlView::endBackgroundDrape() {
  drape_.reset();
  host_.killTimer(kDrapeTimer);
  progressStep_ = 0;
  host_.showProgress(0);
  host_.showStatus("");
}

void GlView::runDrapesInBackground() {
  TryOnView& view = tryOn_->view;
  view.runDrape = [this](std::unique_ptr<ClothDrape> drape) {
    host_.showStatus(drape->kind() == DrapeKind::Sew ? kSewingStatus : kDrapingStatus);
    drape_ = std::make_unique<BackgroundDrape>(std::move(drape));
    host_.startTimer(kDrapeTimer, kDrapePeriodMs);
  };
  view.cancelDrape = [this] { endBackgroundDrape(); };
}

Result<void> GlView::loadDefaultAvatar() {
  Result<void> loaded = avatar_.loadAvatar(data_files::kDefaultAvatar);
  if (loaded) afterBodyLoaded();
  return loaded;
}

void GlView::afterBodyLoaded() {
  // The woman's shaping regions come with her body; without them the body
  // page's sliders shape nothing (the rest of the program still works).
  if (avatar_.modelName() == "woman") {
    if (const auto regions = shaper_->LoadShapeRegions(kindResources("woman")->wholeBodyGroup);
        !regions)
      avatar_.warnings.push_back(regions.error().message());
  }
  // The accessories learn the new body; it comes with its kind's hair.
  accessories_->bodyLoaded();
  if (auto hair = accessories_->loadDefaultHair(); !hair)
    avatar_.warnings.push_back(hair.error().message());
  // What was measured and marked belongs to the body that went.
  freehand.clear();
  measurer_.clear();
  marksShown = false;
  measurementSheet = false;
}

Result<void> GlView::InitGL(int width, int height) {
  glShadeModel(GL_SMOOTH);
  glClearColor(1, 1, 1, 1);
  glClearDepth(1.0);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glClearStencil(0);
  glDisable(GL_CULL_FACE);
  Resize(width, height);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glLineWidth(0.5f);
  glPointSize(4);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

  glEnable(GL_LIGHTING);
  const GLfloat globalAmbient[] = {0.2f, 0.2f, 0.2f, 1};
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, globalAmbient);
  glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
  glEnable(GL_COLOR_MATERIAL);
  const GLfloat materialAmbient[] = {0.4f, 0.4f, 0.4f, 0.4f};
  const GLfloat materialDiffuse[] = {0.4f, 0.4f, 0.4f, 1};
  const GLfloat materialSpecular[] = {0.1f, 0.1f, 0.1f, 1};
  glMaterialfv(GL_FRONT, GL_AMBIENT, materialAmbient);
  glMaterialfv(GL_FRONT, GL_DIFFUSE, materialDiffuse);
  glMaterialfv(GL_FRONT, GL_SPECULAR, materialSpecular);
  glMaterialf(GL_FRONT, GL_SHININESS, 100);
  const GLfloat ambient[] = {0.2f, 0.2f, 0.2f, 1};
  const GLfloat diffuse[] = {0.3f, 0.3f, 0.3f, 1};
  const GLfloat specular[] = {0.1f, 0.1f, 0.1f, 1};
  const GLfloat position0[] = {100, 50, 100, 0.6f};
  const GLfloat position1[] = {-100, 100, 100, 0.6f};
  for (GLenum light : {GL_LIGHT0, GL_LIGHT1}) {
    glLightfv(light, GL_AMBIENT, ambient);
    glLightfv(light, GL_DIFFUSE, diffuse);
    glLightfv(light, GL_SPECULAR, specular);
    glLightfv(light, GL_POSITION, light == GL_LIGHT0 ? position0 : position1);
    glEnable(light);
  }
  // Lists 1 and 10 keep their names whatever the font asks for.
  reserveMarkerLists();
  return font_->Open(dataPath(root_, kSheetFont), kSheetFontHeight);
}

std::vector<std::string> GlView::LoadViewResources() {
  std::vector<std::string> problems;
  buildMarkerLists();
  deleteTexture(gl_->slots[kSheetBackdropSlot]);
  if (auto r = LoadJpegTexture(gl_->slots, dataPath(root_, kSheetBackdrop), kSheetBackdropSlot); !r)
    problems.push_back(describe(r.error()));
  auto picture = [&](int id, unsigned& texture) {
    deleteTexture(texture);
    if (auto r = LoadResourceTexture(root_, id, texture); !r)
      problems.push_back(describe(r.error()));
  };
  for (std::size_t i = 0; i < 3; ++i) picture(kLogo1Pictures[i], gl_->logos[0][i]);
  picture(kBackdropPicture, gl_->backdrop);
  for (std::size_t i = 0; i < 3; ++i) picture(kLogo2Pictures[i], gl_->logos[1][i]);

  // The scene environments, the lake floor and the lens flare.
  avatar_.LoadEnvironments();
  for (std::size_t i = 0; i < kEnvironmentCount; ++i)
    if (!avatar_.environments.problems[i].empty())
      problems.push_back(avatar_.environments.problems[i]);
  for (std::string& problem : gl_->environment.Load(avatar_.environments, root_))
    problems.push_back(std::move(problem));
  if (gl_->environment.InitFloor(root_) && !gl_->environment.floorReady())
    problems.push_back(dataPath(root_, kLakePicture) + ", " + dataPath(root_, kFloorLightMap) +
                       ": the lake floor's pictures cannot be read");
  if (!gl_->flare.Load(root_)) problems.push_back("the lens flare's pictures cannot be read");
  return problems;
}

void GlView::ReleaseGL() {
  sceneObjects_->FreeSceneObjects();
  font_->Close();
  gl_->body.release();
  gl_->accessories.release();
  gl_->environment.release();
  gl_->flare.release();
  deleteTexture(gl_->backdrop);
  for (auto& quad : gl_->logos)
    for (unsigned& t : quad) deleteTexture(t);
  for (unsigned& t : gl_->slots) deleteTexture(t);
  deleteTexture(gl_->garmentTexture);
  gl_->garmentTextureLoaded.clear();
  deleteMarkerLists();
}

unsigned GlView::backdropTexture() const {
  return gl_->backdrop;
}

unsigned GlView::logoTexture(int quad, int state) const {
  if (quad < 0 || quad > 1 || state < kLogoNormal || state > kLogoPressed) return 0;
  return gl_->logos[static_cast<std::size_t>(quad)][static_cast<std::size_t>(state - kLogoNormal)];
}

unsigned GlView::textureSlot(int index) const {
  if (index < 0 || index >= static_cast<int>(gl_->slots.size())) return 0;
  return gl_->slots[static_cast<std::size_t>(index)];
}

void GlView::Resize(int width, int height) {
  width_ = std::max(width, 1);
  height_ = std::max(height, 1);
  glViewport(0, 0, width_, height_);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(30.0, static_cast<double>(width_) / height_, 1.0, 2000.0);
  glMatrixMode(GL_MODELVIEW);
  camera.distance = -34;
}

void GlView::SetPickPointA(int x, int y) {
  pickA_ = {x, height_ - y};
}

void GlView::drawBackdrop() {
  glDisable(GL_DEPTH_TEST);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glPushMatrix();
  glTranslatef(0, 1, -87);
  glDisable(GL_LIGHTING);
  glDisable(GL_CULL_FACE);
  glColor3f(1, 1, 1);
  glBindTexture(GL_TEXTURE_2D, gl_->backdrop);
  glEnable(GL_TEXTURE_2D);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 1);
  glVertex3f(-24, 24, -2);
  glTexCoord2f(0, 0);
  glVertex3f(-24, -24, -2);
  glTexCoord2f(1, 0);
  glVertex3f(24, -24, -2);
  glTexCoord2f(1, 1);
  glVertex3f(24, 24, -2);
  glEnd();
  glDisable(GL_TEXTURE_2D);
  glPopMatrix();
  glEnable(GL_DEPTH_TEST);
}

void GlView::drawLogos() {
  const auto state =
      static_cast<std::size_t>(std::clamp(logoState_, kLogoNormal, kLogoPressed) - kLogoNormal);
  constexpr float kTexcoords[4][2] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
  for (std::size_t quad = 0; quad < 2; ++quad) {
    glBindTexture(GL_TEXTURE_2D, gl_->logos[quad][state]);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor3f(1, 1, 1);
    glBegin(GL_QUADS);
    for (std::size_t k = 0; k < 4; ++k) {
      glTexCoord2fv(kTexcoords[k]);
      glVertex3fv(kLogoCorners[quad][k].data());
    }
    glEnd();
    glDisable(GL_TEXTURE_2D);
  }
  glDisable(GL_BLEND);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_LIGHTING);
}

void GlView::drawMeasureMarks() {
  if (!marksShown || !measurer_.results().measured) return;
  vestora::drawMeasureMarks(measurer_.marks(), shaper_->sectionPoints);
}

void GlView::drawFrame(bool withOverlay) {
  // GL objects asked for between frames.
  gl_->body.loadTextures(avatar_, root_);
  gl_->accessories.loadTextures(*accessories_);
  if (gl_->garmentTextureWanted != gl_->garmentTextureLoaded) {
    deleteTexture(gl_->garmentTexture);
    gl_->garmentTextureLoaded = gl_->garmentTextureWanted;
    if (!gl_->garmentTextureWanted.empty()) {
      unsigned slot[1] = {0};
      if (LoadJpegTexture(slot, dataPath(root_, "\\pattern\\texture\\" + gl_->garmentTextureWanted),
                          0))
        gl_->garmentTexture = slot[0];
    }
  }
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();

  // 1. Lights, given before the camera transform: they move with the camera.
  const GLfloat light0[] = {lightOffsets[0][0] + 84.5f, lightOffsets[0][1] + 66,
                            lightOffsets[0][2] + 100, 0.6f};
  const GLfloat light1[] = {lightOffsets[1][0] - 100, lightOffsets[1][1] - 63,
                            lightOffsets[1][2] + 100, 0.6f};
  glLightfv(GL_LIGHT0, GL_POSITION, light0);
  glLightfv(GL_LIGHT1, GL_POSITION, light1);
  glEnable(GL_LIGHT0);
  glEnable(GL_LIGHT1);

  // 2.–5. Angle wrap, backdrop, logo buttons (the sheet's paper is laid
  // under its text at the end, where it can be fitted to the view).
  wrapAngles(camera);
  drawBackdrop();
  // A scene covers the whole view: its logos come after it (below).
  const std::optional<Environment> environment = chosenEnvironment();
  if (!environment)
    drawLogos();
  else
    glEnable(GL_LIGHTING);  // as the logos leave it

  // 6. The camera.
  glPushMatrix();
  glTranslatef(camera.panX, camera.panY, camera.distance);
  glRotatef(camera.elevation, 1, 0, 0);
  glRotatef(camera.azimuth, 0, 1, 0);
  glRotatef(camera.roll, 0, 0, 1);
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview_.data());
  glGetDoublev(GL_MODELVIEW_MATRIX, matrices_.modelview.data());
  glGetDoublev(GL_PROJECTION_MATRIX, matrices_.projection.data());
  glGetIntegerv(GL_VIEWPORT, matrices_.viewport.data());
  matrices_.valid = true;

  // 7. Body, or the environment chosen, which draws the body (and under
  // the sky dome its mirror image).
  sceneDrawn_.reset();
  if (environmentOn) {
    if (environment)
      drawEnvironment(*environment);
    else if (bodyShown)
      gl_->body.DrawBody(avatar_);
  }

  // 8. Picking: pick point B gives the freehand tools their skin point
  // (pick point A, the garments, comes with the wardrobe).
  pickForTools();

  // 9. The dressed garments.
  drawGarments();

  // 10. Scene objects.
  if (!sceneObjects_->empty()) sceneObjects_->DrawSceneObjects();

  // 11. Measurement marks, then the freehand tools' marks.
  drawMeasureMarks();
  drawFreehandMarks(freehand);

  // 12. Accessories with their pick tests.
  if (accessoriesOn) drawAccessories();

  // 13. The lens flare, under the sky dome while the camera faces the sun.
  flareDrawn_ = false;
  if (sceneDrawn_ == Environment::Sky && flareAzimuth(camera.azimuth)) {
    glPushMatrix();
    gl_->flare.light = kFlareLight;
    gl_->flare.Update();
    flareDrawn_ = gl_->flare.Render([this] { host_.prepareReadPixels(); });
    glPopMatrix();
  }

  // 14.
  pickA_ = {};
  pickB_ = {};
  glPopMatrix();
  if (environment) drawLogos();
  drawOverlays(withOverlay);
}

void GlView::drawGarments() {
  // The kept layers under the worn garment; a garment still to be sewn as
  // its pattern pieces.
  GarmentLook layerLook;
  layerLook.colour = kLayerFabricColour;
  layerLook.depthPull = kLayerDepthPull;
  for (const KeptLayer& layer : tryOn_->layers()) DrawGarment(layer.garment, layerLook);
  if (tryOn_->display() == GarmentDisplay::Pattern) {
    DrawPatternPieces(tryOn_->garment());
  } else {
    GarmentLook worn;
    worn.texture = gl_->garmentTexture;
    worn.depthPull = kWornDepthPull;
    std::vector<std::array<std::uint8_t, 3>> strainColours;
    if (fitMapShown) {
      strainColours = fitMapColours(tryOn_->garment());
      worn.particleColours = &strainColours;
    }
    DrawGarment(tryOn_->garment(), worn);
  }
}

void GlView::drawOverlays(bool withOverlay) {
  // 15. The snapshot rectangle being dragged.
  if (snapshotMode && withOverlay) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0, width_, 0, height_);
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_LIGHTING);
    glColor3f(0, 1, 0);
    const float x1 = snapshotCorner1.x, y1 = snapshotCorner1.y;
    const float x2 = snapshotCorner2.x, y2 = snapshotCorner2.y;
    glBegin(GL_LINE_STRIP);
    glVertex2f(x1, y1);
    glVertex2f(x2, y1);
    glVertex2f(x2, y2);
    glVertex2f(x1, y2);
    glVertex2f(x1, y1);
    glEnd();
    glEnable(GL_LIGHTING);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
  }

  // The freehand stroke being dragged.
  if (strokeActive_) drawStrokeOverlay(width_, height_, strokeStart_, strokeEnd_);

  // The fit map's legend while the map colours a worn garment.
  if (fitMapOnScreen()) DrawFitMapLegend(*font_, width_, height_);

  // 16. The sheet over the finished picture, and the freehand value beside
  // its marks.
  const bool garmentLoaded = tryOn_->display() != GarmentDisplay::None;
  if (measurementSheet &&
      ((measurer_.results().measured && tryOn_->garment().empty()) || garmentLoaded)) {
    glPushMatrix();
    const GlFont& font = *font_;
    const TextWidth width = [&font](std::string_view text) { return font.textWidth(text); };
    DrawMeasurementSheet(
        *font_,
        buildMeasurementSheet(measurer_.results(), freehand.values, freehand.tools, unitFactor,
                              width_, height_, font.isOpen() ? width : TextWidth{}),
        gl_->slots[kSheetBackdropSlot]);
    glPopMatrix();
  }
  drawFreehandValue(*font_, freehand, matrices_, unitFactor);
}

void GlView::DrawScene(bool withOverlay) {
  // The viewport again on every frame: a window system may hand the new size
  // of a resized window to GL only with the next viewport call after it.
  glViewport(0, 0, width_, height_);
  const double start = nowMs();
  drawFrame(withOverlay);
  host_.swapBuffers();
  noteFrameDrawn(nowMs() - start);
  if (avatar_.skeleton.hasTree()) avatar_.skeleton.computeJointMatrices();
}

bool GlView::HitLogo(int x, int glY) {
  // Room for the pass-through marker and both triangles with their colours
  // (7 floats a vertex), and for a few more vertices if clipping adds them.
  GLfloat buffer[128];
  glFeedbackBuffer(128, GL_3D_COLOR, buffer);
  glRenderMode(GL_FEEDBACK);
  glPassThrough(0);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  const auto& c = kLogoCorners[0];
  glBegin(GL_TRIANGLES);
  for (int i : {0, 3, 2, 0, 2, 1}) glVertex3fv(c[static_cast<std::size_t>(i)].data());
  glEnd();
  glPopMatrix();
  const GLint count = glRenderMode(GL_RENDER);
  if (count <= 0) return false;

  const float px = static_cast<float>(x), py = static_cast<float>(glY);
  auto inside = [&](const float* a, const float* b, const float* d) {
    auto side = [&](const float* p, const float* q) {
      return (q[0] - p[0]) * (py - p[1]) - (q[1] - p[1]) * (px - p[0]);
    };
    const float s1 = side(a, b), s2 = side(b, d), s3 = side(d, a);
    return (s1 >= 0 && s2 >= 0 && s3 >= 0) || (s1 <= 0 && s2 <= 0 && s3 <= 0);
  };
  constexpr int kVertexFloats = 7;  // x, y, z, r, g, b, a
  for (GLint i = 0; i < count;) {
    const auto token = static_cast<GLint>(buffer[i]);
    if (token == GL_PASS_THROUGH_TOKEN) {
      i += 2;
    } else if (token == GL_POLYGON_TOKEN) {
      if (i + 1 >= count) break;
      const auto n = static_cast<GLint>(buffer[i + 1]);
      const GLint first = i + 2;
      if (n < 3 || first + n * kVertexFloats > count) break;
      for (GLint k = 1; k + 1 < n; ++k)  // as a fan
        if (inside(&buffer[first], &buffer[first + k * kVertexFloats],
                   &buffer[first + (k + 1) * kVertexFloats]))
          return true;
      i = first + n * kVertexFloats;
    } else {
      break;  // nothing else is drawn here
    }
  }
  return false;
}

}  // namespace vestora
