#include "view/body_drawing.h"

#include <cmath>
#include <cstring>

#include "platform/data_path.h"
#include "view/gl_headers.h"

namespace vestora {
namespace {

using Vec = std::array<float, 3>;

Vec facetNormal(const float* a, const float* b, const float* c) {
  const Vec u{b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  const Vec v{c[0] - a[0], c[1] - a[1], c[2] - a[2]};
  Vec n{u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
  const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  if (length > 0 && std::isfinite(length))
    for (float& x : n) x /= length;
  else
    n = {0, 0, 1};
  return n;
}

// The triangle of position i of a group: its own copy when the copies are
// complete, else the model's.
const GlmTriangle* groupTriangle(const GlmModel& model, const GlmGroup& group, std::size_t i) {
  if (group.triangleCopies.size() == group.triangles.size()) return &group.triangleCopies[i];
  const std::uint32_t t = group.triangles[i];
  return t < model.triangles.size() ? &model.triangles[t] : nullptr;
}

// Draws the triangles of a group. `smooth` (1-based, may be empty) gives
// the normal of a corner that has none of its own.
void drawGroupTriangles(const GlmModel& model, const GlmGroup& group, bool textured,
                        const std::vector<float>& smooth) {
  const std::uint32_t vertexCount = model.vertexCount();
  const std::uint32_t normalCount = model.normalCount();
  const std::uint32_t texcoordCount = model.texcoordCount();
  const bool haveSmooth = smooth.size() == 3 * (static_cast<std::size_t>(vertexCount) + 1);
  glBegin(GL_TRIANGLES);
  for (std::size_t i = 0; i < group.triangles.size(); ++i) {
    const GlmTriangle* t = groupTriangle(model, group, i);
    if (!t) continue;
    bool valid = true;
    for (std::uint32_t v : t->vindices) valid = valid && v >= 1 && v <= vertexCount;
    if (!valid) continue;
    const Vec flat = facetNormal(model.vertex(t->vindices[0]), model.vertex(t->vindices[1]),
                                 model.vertex(t->vindices[2]));
    for (int k = 0; k < 3; ++k) {
      const std::uint32_t v = t->vindices[k];
      if (textured) {
        const std::uint32_t ti = t->tindices[k];
        if (ti >= 1 && ti <= texcoordCount)
          glTexCoord2f(model.texcoords[2 * static_cast<std::size_t>(ti)],
                       model.texcoords[2 * static_cast<std::size_t>(ti) + 1]);
        else
          glTexCoord2f(0, 0);
      }
      const std::uint32_t ni = t->nindices[k];
      if (ni >= 1 && ni <= normalCount)
        glNormal3fv(&model.normals[3 * static_cast<std::size_t>(ni)]);
      else if (haveSmooth)
        glNormal3fv(&smooth[3 * static_cast<std::size_t>(v)]);
      else
        glNormal3fv(flat.data());
      glVertex3fv(model.vertex(v));
    }
  }
  glEnd();
}

void drawGroupColoured(const GlmModel& model, const GlmGroup& group, bool black, bool textured,
                       const std::vector<float>& smooth) {
  if (black)
    glColor3f(0, 0, 0);
  else
    glColor3f(1, 1, 1);
  drawGroupTriangles(model, group, textured, smooth);
}

void translucentGroup(const GlmModel& model, const GlmGroup& group, unsigned texture,
                      const std::vector<float>& smooth) {
  glPushMatrix();
  BeginTranslucentPass(texture);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  drawGroupColoured(model, group, false, true, smooth);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  glDisable(GL_ALPHA_TEST);
  glEnable(GL_LIGHTING);
  glPopMatrix();
}

// Area-weighted vertex normals of the model as it is now (1-based).
void smoothNormals(const GlmModel& model, std::vector<float>& normals) {
  const std::uint32_t vertexCount = model.vertexCount();
  normals.assign(3 * (static_cast<std::size_t>(vertexCount) + 1), 0.0f);
  for (const GlmTriangle& t : model.triangles) {
    bool valid = true;
    for (std::uint32_t v : t.vindices) valid = valid && v >= 1 && v <= vertexCount;
    if (!valid) continue;
    const float* a = model.vertex(t.vindices[0]);
    const float* b = model.vertex(t.vindices[1]);
    const float* c = model.vertex(t.vindices[2]);
    const Vec u{b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    const Vec w{c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    const Vec n{u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
    if (!std::isfinite(n[0] + n[1] + n[2])) continue;
    for (std::uint32_t v : t.vindices)
      for (int k = 0; k < 3; ++k) normals[3 * static_cast<std::size_t>(v) + k] += n[k];
  }
  for (std::size_t v = 1; v <= vertexCount; ++v) {
    float* n = &normals[3 * v];
    const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (length > 0 && std::isfinite(length)) {
      for (int k = 0; k < 3; ++k) n[k] /= length;
    } else {
      n[0] = 0;
      n[1] = 0;
      n[2] = 1;
    }
  }
}

}  // namespace

void DrawGroup(const GlmModel& model, const GlmGroup& group, bool black, bool textured) {
  static const std::vector<float> none;
  drawGroupColoured(model, group, black, textured, none);
}

void BeginTranslucentPass(unsigned texture) {
  glDisable(GL_LIGHTING);
  glDisable(GL_CULL_FACE);
  glColor4f(1, 1, 1, 1);
  glClearDepth(1.0);
  glDepthFunc(GL_LEQUAL);
  glEnable(GL_DEPTH_TEST);
  glAlphaFunc(GL_GREATER, 0.1f);
  glEnable(GL_ALPHA_TEST);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glBindTexture(GL_TEXTURE_2D, texture);
  glEnable(GL_TEXTURE_2D);
}

void DrawTranslucentGroup(const GlmModel& model, const GlmGroup& group, unsigned texture) {
  static const std::vector<float> none;
  translucentGroup(model, group, texture, none);
}

void BodyDrawer::loadTextures(const Avatar& avatar, const std::string& root) {
  if (!avatar.loaded()) return;
  const std::string key = avatar.modelPath() + '|' + avatar.modelName();
  if (key == texturesFor_) return;
  release();
  texturesFor_ = key;
  marked_.clear();  // another body: nothing of it is marked yet
  auto jpeg = [&](std::string_view file, unsigned& texture) {
    if (file.empty()) return;
    unsigned slot[1] = {0};
    if (LoadJpegTexture(slot, dataPath(root, file), 0)) texture = slot[0];
  };
  if (const BodyTextureFiles* files = bodyTextureFiles(avatar.modelName())) {
    jpeg(files->body, textures_.body);
    jpeg(files->head, textures_.head);
    jpeg(files->eye, textures_.eye);
    if (!files->hair.empty()) LoadTgaTexture(textures_.hair, dataPath(root, files->hair));
  }
  if (!avatar.eyelashTexture.empty())
    LoadTgaTexture(textures_.eyelash, dataPath(root, avatar.eyelashTexture));
  if (textures_.hair.texture == 0 && !avatar.hairTexture.empty())
    LoadTgaTexture(textures_.hair, dataPath(root, avatar.hairTexture));
}

void BodyDrawer::release() {
  deleteTexture(textures_.body);
  deleteTexture(textures_.head);
  deleteTexture(textures_.eye);
  deleteTexture(textures_.eyelash.texture);
  deleteTexture(textures_.hair.texture);
  textures_ = BodyTextures{};
  texturesFor_.clear();
  if (list_ != 0) glDeleteLists(list_, 1);
  list_ = 0;
  listModel_ = nullptr;
  listVertices_.clear();
}

bool BodyDrawer::cacheValid(const Avatar& avatar) const {
  if (list_ == 0 || listModel_ != &avatar.model()) return false;
  if (listSelected_ != selectedTriangle || listOutline_ != outline || listMarked_ != markedCount_)
    return false;
  const std::vector<float>& now = avatar.model().vertices;
  return now.size() == listVertices_.size() &&
         std::memcmp(now.data(), listVertices_.data(), now.size() * sizeof(float)) == 0;
}

void BodyDrawer::DrawBody(const Avatar& avatar) {
  if (!avatar.loaded()) return;
  if (marked_.size() != avatar.triangleCount()) {
    marked_.assign(avatar.triangleCount(), 0);
    markedCount_ = 0;
  }
  if (selectedTriangle >= 0 && static_cast<std::size_t>(selectedTriangle) < marked_.size() &&
      !marked_[static_cast<std::size_t>(selectedTriangle)]) {
    marked_[static_cast<std::size_t>(selectedTriangle)] = 1;
    ++markedCount_;
  }
  if (cacheValid(avatar)) {
    glCallList(list_);
    return;
  }
  const GlmModel& model = avatar.model();
  smoothNormals(model, normals_);
  if (list_ == 0) list_ = glGenLists(1);
  if (list_ != 0) glNewList(list_, GL_COMPILE);
  if (texturesInUse() && bodyTextureFiles(avatar.modelName()))
    drawTextured(avatar);
  else
    drawPlain(avatar);
  if (list_ == 0) return;  // drawn directly: no list to keep
  glEndList();
  listModel_ = &model;
  listVertices_ = model.vertices;
  listSelected_ = selectedTriangle;
  listOutline_ = outline;
  listMarked_ = markedCount_;
  glCallList(list_);
}

void BodyDrawer::drawTextured(const Avatar& avatar) {
  const GlmModel& model = avatar.model();
  const std::string& kind = avatar.modelName();
  std::vector<const GlmGroup*> translucent;  // with their textures below
  std::vector<unsigned> translucentTextures;
  std::vector<const GlmGroup*> eyes;
  auto textured = [&](const GlmGroup& g, unsigned texture) {
    glBindTexture(GL_TEXTURE_2D, texture);
    drawGroupColoured(model, g, false, true, normals_);
  };
  glPushMatrix();
  glEnable(GL_TEXTURE_2D);
  for (const GlmGroup& g : model.groups) {
    const std::string& name = g.name;
    if (kind == "woman") {
      if (name == " Head" || name == " Eye")
        textured(g, textures_.head);
      else if (name == " Eyelash")
        translucent.push_back(&g), translucentTextures.push_back(textures_.eyelash.texture);
      else
        textured(g, textures_.body);
    } else if (kind == "man") {
      if (name == " Eyes" || name == " Head")
        textured(g, textures_.head);
      else if (name == " Body")
        textured(g, textures_.body);
      else if (name == " Eyelash")
        translucent.push_back(&g), translucentTextures.push_back(textures_.eyelash.texture);
    } else if (kind == "Girl") {
      if (name == " Head")
        textured(g, textures_.head);
      else if (name == " Eyes")
        textured(g, textures_.eye);
      else if (name == " Eyelash")
        translucent.push_back(&g), translucentTextures.push_back(textures_.eyelash.texture);
      else
        textured(g, textures_.body);
    } else {  // "pose7"
      if (name == " toufa")
        translucent.push_back(&g), translucentTextures.push_back(textures_.hair.texture);
      else if (name == " jiemao")
        translucent.push_back(&g), translucentTextures.push_back(textures_.eyelash.texture);
      else if (name == " sphere3" || name == " sphere")
        eyes.push_back(&g);
      else if (name == " xieyou" || name == " xiezuo") {
        glDisable(GL_TEXTURE_2D);
        drawGroupColoured(model, g, true, false, normals_);
        glEnable(GL_TEXTURE_2D);
      } else {
        textured(g, textures_.body);
      }
    }
  }
  for (const GlmGroup* g : eyes) textured(*g, textures_.eye);
  glDisable(GL_TEXTURE_2D);
  glPopMatrix();
  for (std::size_t i = 0; i < translucent.size(); ++i)
    translucentGroup(model, *translucent[i], translucentTextures[i], normals_);
}

void BodyDrawer::drawPlain(const Avatar& avatar) {
  glDisable(GL_TEXTURE_2D);
  auto surface = [&](bool coloured) {
    glBegin(GL_TRIANGLES);
    bool markedColour = false;
    if (coloured) glColor3fv(kPlainBodyColour.data());
    for (std::size_t i = 0; i < avatar.triangleCount(); ++i) {
      const BodyTriangle& t = avatar.triangles[i];
      if (coloured && (marked_[i] != 0) != markedColour) {
        markedColour = marked_[i] != 0;
        glColor3fv(markedColour ? kMarkedTriangleColour.data() : kPlainBodyColour.data());
      }
      for (int k = 0; k < 3; ++k) {
        const std::size_t v = static_cast<std::size_t>(t.vertex[k]) + 1;
        if (3 * v + 2 < normals_.size()) glNormal3fv(&normals_[3 * v]);
        glVertex3f(t.corner[k].x, t.corner[k].y, t.corner[k].z);
      }
    }
    glEnd();
  };
  if (!outline) {
    surface(true);
    return;
  }
  glEnable(GL_POLYGON_OFFSET_FILL);
  glPolygonOffset(1.0f, 1.0f);
  surface(true);
  glDisable(GL_POLYGON_OFFSET_FILL);
  glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
  glColor3f(0.1f, 0.1f, 0.1f);
  surface(false);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

}  // namespace vestora
