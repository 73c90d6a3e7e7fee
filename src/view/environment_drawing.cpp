#include "view/environment_drawing.h"

#include <cstring>

#include "platform/data_path.h"
#include "view/body_drawing.h"
#include "view/gl_headers.h"

namespace vestora {
namespace {

unsigned& pictureSlot(std::array<unsigned, 6>& pictures, int id) {
  return pictures[static_cast<std::size_t>(id - kBeachSandPicture)];
}

// Every group of `model` named `name`, textured with `texture` (0: untextured).
// Skies are drawn unlit: they give light, they do not take it.
void drawNamedGroup(const GlmModel& model, std::string_view name, unsigned texture, bool lit) {
  const GlmGroup* group = glmFindGroup(model, name);
  if (!group) return;
  if (!lit) glDisable(GL_LIGHTING);
  glBindTexture(GL_TEXTURE_2D, texture);
  DrawGroup(model, *group, false, texture != 0);
  if (!lit) glEnable(GL_LIGHTING);
}

void deleteList(unsigned& list) {
  if (list) glDeleteLists(list, 1);
  list = 0;
}

}  // namespace

bool extensionListed(const char* extensions, std::string_view name) {
  if (!extensions || name.empty()) return false;
  std::string_view list(extensions);
  while (!list.empty()) {
    const std::size_t start = list.find_first_not_of(' ');
    if (start == std::string_view::npos) break;
    list.remove_prefix(start);
    const std::size_t end = list.find(' ');
    if (list.substr(0, end) == name) return true;
    if (end == std::string_view::npos) break;
    list.remove_prefix(end);
  }
  return false;
}

std::vector<std::string> EnvironmentDrawer::Load(const EnvironmentModels& models,
                                                 std::string_view root) {
  release();
  std::vector<std::string> problems;
  for (int id = kBeachSandPicture; id <= kSkyPicture; ++id)
    if (auto loaded = LoadResourceTexture(root, id, pictureSlot(pictures_, id), true); !loaded)
      problems.push_back(loaded.error().message());
  if (models.available(Environment::Beach) &&
      !LoadTgaTexture(tree_, dataPath(root, kBeachTreePicture)))
    problems.push_back(dataPath(root, kBeachTreePicture) + ": the palm picture cannot be read");
  for (std::size_t i = 0; i < kEnvironmentCount; ++i) {
    const auto e = static_cast<Environment>(i);
    if (const GlmModel* model = models.model(e)) compile(e, *model);
  }
  glBindTexture(GL_TEXTURE_2D, 0);
  return problems;
}

void EnvironmentDrawer::compile(Environment e, const GlmModel& model) {
  unsigned& list = lists_[static_cast<std::size_t>(e)];
  list = glGenLists(1);
  if (!list) return;
  glNewList(list, GL_COMPILE);
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_TEXTURE_BIT);
  glColor3f(1, 1, 1);
  glEnable(GL_TEXTURE_2D);
  switch (e) {
    case Environment::Sky: {
      glDisable(GL_LIGHTING);
      glBindTexture(GL_TEXTURE_2D, pictureSlot(pictures_, kSkyPicture));
      const bool textured = pictureSlot(pictures_, kSkyPicture) != 0;
      for (const GlmGroup& group : model.groups) DrawGroup(model, group, false, textured);
      break;
    }
    case Environment::Room:
      // Only the floor and the walls: other groups of the room are not shown.
      drawNamedGroup(model, kRoomFloorGroup, pictureSlot(pictures_, kRoomFloorPicture), true);
      drawNamedGroup(model, kRoomWallGroup, pictureSlot(pictures_, kRoomWallPicture), true);
      break;
    case Environment::Beach:
      drawNamedGroup(model, kBeachSandGroup, pictureSlot(pictures_, kBeachSandPicture), true);
      drawNamedGroup(model, kBeachSkyGroup, pictureSlot(pictures_, kBeachSkyPicture), false);
      drawNamedGroup(model, kBeachSeaGroup, pictureSlot(pictures_, kBeachSeaPicture), true);
      break;
  }
  glBindTexture(GL_TEXTURE_2D, 0);
  glPopAttrib();
  glEndList();

  if (e != Environment::Beach) return;
  const GlmGroup* tree = glmFindGroup(model, kBeachTreeGroup);
  if (!tree) return;
  // The palms: unlit, both faces, their transparent texels dropped by the
  // alpha test and their edges blended.
  treeList_ = glGenLists(1);
  if (!treeList_) return;
  glNewList(treeList_, GL_COMPILE);
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT |
               GL_TEXTURE_BIT);
  BeginTranslucentPass(tree_.texture);
  DrawGroup(model, *tree, false, tree_.texture != 0);
  glBindTexture(GL_TEXTURE_2D, 0);
  glPopAttrib();
  glEndList();
}

bool EnvironmentDrawer::InitFloor(std::string_view root) {
  const auto* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  // The frame buffer's stencil does not change for the context's life.
  GLint stencilBits = 0;
  glGetIntegerv(GL_STENCIL_BITS, &stencilBits);
  hasStencil_ = stencilBits > 0;
  multitextureOk_ = extensionListed(extensions, "GL_ARB_multitexture") &&
                    extensionListed(extensions, "GL_EXT_texture_env_combine");
  if (!multitextureOk_) return false;
  deleteTexture(lake_);
  deleteTexture(lightMap_);
  lake_ =
      LoadPngTexture(dataPath(root, kLakePicture), GL_REPEAT, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
  lightMap_ = LoadPngTexture(dataPath(root, kFloorLightMap), GL_CLAMP_TO_EDGE,
                             GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
  floorReady_ = lake_ != 0 && lightMap_ != 0;
  deleteList(floorList_);
  if (floorReady_) {
    floorList_ = glGenLists(1);
    if (floorList_) {
      // Each unit binds its picture first: the wrap modes belong to the
      // picture bound, so the lake repeats and the light map is clamped.
      glNewList(floorList_, GL_COMPILE);
      glPushMatrix();
      const std::array<std::pair<GLenum, unsigned>, 2> units{
          {{GL_TEXTURE1, lightMap_}, {GL_TEXTURE0, lake_}}};
      for (const auto& [unit, texture] : units) {
        glActiveTexture(unit);
        glBindTexture(GL_TEXTURE_2D, texture);
        glEnable(GL_TEXTURE_2D);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        const GLint wrap = texture == lake_ ? GL_REPEAT : GL_CLAMP_TO_EDGE;
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
      }
      constexpr float w = kFloorHalfWidth, d = kFloorHalfDepth, y = kFloorY;
      const float corners[4][3] = {{-w, y, d}, {w, y, d}, {w, y, -d}, {-w, y, -d}};
      const float lake[4][2] = {{0, 2}, {3, 2}, {3, 0}, {0, 0}};
      const float light[4][2] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
      glNormal3f(0, 1, 0);
      glBegin(GL_QUADS);
      for (int k = 0; k < 4; ++k) {
        glMultiTexCoord2f(GL_TEXTURE0, lake[k][0], lake[k][1]);
        glMultiTexCoord2f(GL_TEXTURE1, light[k][0], light[k][1]);
        glVertex3fv(corners[k]);
      }
      glEnd();
      for (GLenum unit : {GL_TEXTURE1, GL_TEXTURE0}) {
        glActiveTexture(unit);
        glBindTexture(GL_TEXTURE_2D, 0);
        glDisable(GL_TEXTURE_2D);
      }
      glPopMatrix();
      glEndList();
    }
  }
  return true;
}

void EnvironmentDrawer::DrawFloor() {
  if (floorList_) glCallList(floorList_);
}

void EnvironmentDrawer::DrawSky(const AvatarPasses& avatar) {
  glPushMatrix();
  const bool floor = floorReady_ && multitextureOk_ && floorList_;
  if (floor && hasStencil_ && mirrorEnabled) {
    // Only the stencil is cleared: what the frame drew before stays.
    glClearStencil(0);
    glClear(GL_STENCIL_BUFFER_BIT);
    // Mark the floor's pixels with 1.
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glEnable(GL_STENCIL_TEST);
    glStencilFunc(GL_ALWAYS, 1, 1);
    glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
    glDisable(GL_DEPTH_TEST);
    DrawFloor();
    glEnable(GL_DEPTH_TEST);
    // The mirror image, inside the marked pixels only and below the floor.
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glStencilFunc(GL_EQUAL, 1, 1);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    const GLdouble below[4] = {0, -1, 0, kFloorY};  // keeps y ≤ −8.8
    glClipPlane(GL_CLIP_PLANE0, below);
    glEnable(GL_CLIP_PLANE0);
    glPushMatrix();
    glScalef(1, -1, 1);
    glTranslatef(0, -2 * kFloorY, 0);
    if (lists_[0]) glCallList(lists_[0]);
    if (avatar.mirrored) avatar.mirrored();
    glPopMatrix();
    glDisable(GL_CLIP_PLANE0);
    glDisable(GL_STENCIL_TEST);
    // The lake over the reflection.
    glEnable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glColor4f(1, 1, 1, kLakeOpacity);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    DrawFloor();
    glEnable(GL_LIGHTING);
    glDisable(GL_BLEND);
  } else if (floor) {
    glDisable(GL_LIGHTING);
    glColor4f(1, 1, 1, 1);
    DrawFloor();
    glEnable(GL_LIGHTING);
  }
  if (lists_[0]) glCallList(lists_[0]);
  if (avatar.body) avatar.body();
  glPopMatrix();
}

void EnvironmentDrawer::DrawRoom(const AvatarPasses& avatar) {
  if (lists_[1]) glCallList(lists_[1]);
  if (avatar.body) avatar.body();
}

void EnvironmentDrawer::DrawBeach(const AvatarPasses& avatar) {
  if (lists_[2]) glCallList(lists_[2]);
  if (treeList_) glCallList(treeList_);
  if (avatar.body) avatar.body();
}

void EnvironmentDrawer::release() {
  for (unsigned& list : lists_) deleteList(list);
  deleteList(treeList_);
  deleteList(floorList_);
  for (unsigned& t : pictures_) deleteTexture(t);
  deleteTexture(tree_.texture);
  deleteTexture(lake_);
  deleteTexture(lightMap_);
  floorReady_ = false;
}

}  // namespace vestora
