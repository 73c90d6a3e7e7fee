#include "view/accessory_drawing.h"

#include <algorithm>
#include <cmath>

#include "view/body_drawing.h"
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

const GlmTriangle* groupTriangle(const GlmModel& model, const GlmGroup& group, std::size_t i) {
  if (group.triangleCopies.size() == group.triangles.size()) return &group.triangleCopies[i];
  const std::uint32_t t = group.triangles[i];
  return t < model.triangles.size() ? &model.triangles[t] : nullptr;
}

// Positions [first, end) of a group's triangle list, with texture
// coordinates when `textured`; colour and texture state are the caller's.
void drawTriangles(const GlmModel& model, const GlmGroup& group, std::size_t first, std::size_t end,
                   bool textured) {
  const std::uint32_t vertexCount = model.vertexCount();
  const std::uint32_t normalCount = model.normalCount();
  const std::uint32_t texcoordCount = model.texcoordCount();
  end = std::min(end, group.triangles.size());
  glBegin(GL_TRIANGLES);
  for (std::size_t i = first; i < end; ++i) {
    const GlmTriangle* t = groupTriangle(model, group, i);
    if (!t) continue;
    bool valid = true;
    for (std::uint32_t v : t->vindices) valid = valid && v >= 1 && v <= vertexCount;
    if (!valid) continue;
    const Vec flat = facetNormal(model.vertex(t->vindices[0]), model.vertex(t->vindices[1]),
                                 model.vertex(t->vindices[2]));
    for (int k = 0; k < 3; ++k) {
      if (textured) {
        const std::uint32_t ti = t->tindices[k];
        if (ti >= 1 && ti <= texcoordCount)
          glTexCoord2fv(&model.texcoords[2 * static_cast<std::size_t>(ti)]);
        else
          glTexCoord2f(0, 0);
      }
      const std::uint32_t ni = t->nindices[k];
      if (ni >= 1 && ni <= normalCount)
        glNormal3fv(&model.normals[3 * static_cast<std::size_t>(ni)]);
      else
        glNormal3fv(flat.data());
      glVertex3fv(model.vertex(t->vindices[k]));
    }
  }
  glEnd();
}

void drawWhole(const GlmModel& model, bool textured) {
  for (const GlmGroup& g : model.groups) drawTriangles(model, g, 0, g.triangles.size(), textured);
}

bool isWhite(const Rgb& c) {
  return c.r == 255 && c.g == 255 && c.b == 255;
}

// Texels keep their light and shade but take `colour`: the texture's value
// blends from a dark shade of the colour to the colour itself.
void beginTint(const Rgb& colour) {
  const GLfloat env[4] = {colour.r / 255.0f, colour.g / 255.0f, colour.b / 255.0f, 1};
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_BLEND);
  glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, env);
  glColor4f(env[0] * 0.25f, env[1] * 0.25f, env[2] * 0.25f, 1);
}

void endTint() {
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

bool isLensRun(std::string_view material) {
  return material == "lens" || material == "Lens" || material == "WatchTransparent";
}

unsigned loadRecord(const AccessoryTexture& t, TextureRecord& record) {
  deleteTexture(record.texture);
  record = {};
  switch (t.kind) {
    case TextureKind::Jpeg: {
      unsigned slot[1] = {0};
      if (LoadJpegTexture(slot, t.file, 0)) record.texture = slot[0];
      break;
    }
    case TextureKind::JpegWithAlpha:
      if (!LoadJpegAlphaTexture(record, t.file, t.alphaFile)) record.texture = 0;
      break;
    case TextureKind::Tga:
      if (!LoadTgaTexture(record, t.file)) record.texture = 0;
      break;
    case TextureKind::None:
      break;
  }
  record.pixels.clear();
  record.pixels.shrink_to_fit();
  return record.texture;
}

}  // namespace

std::array<float, 4> lensColour(AccessoryLook& look) {
  if (isWhite(look.lens)) {
    look.transparency = std::min(look.transparency, 0.3f);
    return {1, 1, 1, look.transparency};
  }
  return {look.lens.r / 255.0f, look.lens.g / 255.0f, look.lens.b / 255.0f, look.transparency};
}

bool rayHitsModel(const GlmModel& model, const Vec3f& o, const Vec3f& d) {
  const std::uint32_t n = model.vertexCount();
  for (const GlmTriangle& t : model.triangles) {
    if (t.vindices[0] < 1 || t.vindices[0] > n || t.vindices[1] < 1 || t.vindices[1] > n ||
        t.vindices[2] < 1 || t.vindices[2] > n)
      continue;
    const float* a = model.vertex(t.vindices[0]);
    const float* b = model.vertex(t.vindices[1]);
    const float* c = model.vertex(t.vindices[2]);
    const Vec e1{b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    const Vec e2{c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    const Vec p{d.y * e2[2] - d.z * e2[1], d.z * e2[0] - d.x * e2[2], d.x * e2[1] - d.y * e2[0]};
    const float det = e1[0] * p[0] + e1[1] * p[1] + e1[2] * p[2];
    if (std::abs(det) < 1e-12f) continue;
    const float inv = 1.0f / det;
    const Vec s{o.x - a[0], o.y - a[1], o.z - a[2]};
    const float u = (s[0] * p[0] + s[1] * p[1] + s[2] * p[2]) * inv;
    if (u < 0 || u > 1) continue;
    const Vec q{s[1] * e1[2] - s[2] * e1[1], s[2] * e1[0] - s[0] * e1[2],
                s[0] * e1[1] - s[1] * e1[0]};
    const float v = (d.x * q[0] + d.y * q[1] + d.z * q[2]) * inv;
    if (v < 0 || u + v > 1) continue;
    const float along = (e2[0] * q[0] + e2[1] * q[1] + e2[2] * q[2]) * inv;
    if (along >= 0) return true;
  }
  return false;
}

void AccessoryDrawer::sync(Textures& t, const AccessorySlot& slot) {
  const AccessoryTexture main = slot ? slot.texture : AccessoryTexture{};
  const AccessoryTexture second = slot ? slot.secondTexture : AccessoryTexture{};
  if (!(main == t.main)) {
    t.main = main;
    loadRecord(main, t.mainRecord);
  }
  if (!(second == t.second)) {
    t.second = second;
    loadRecord(second, t.secondRecord);
  }
}

void AccessoryDrawer::loadTextures(const Accessories& a) {
  sync(hair_, a.hair);
  sync(worn_, a.wornItem);
  sync(shoe_, a.shoe);
  sync(bag_, a.bag);
  sync(sock_, a.sock);
}

void AccessoryDrawer::release() {
  for (Textures* t : {&hair_, &worn_, &shoe_, &bag_, &sock_}) {
    deleteTexture(t->mainRecord.texture);
    deleteTexture(t->secondRecord.texture);
    *t = Textures{};
  }
}

void AccessoryDrawer::DrawFace(const AccessorySlot& face) {
  if (!face) return;
  glDisable(GL_LIGHTING);
  glColor3f(1, 1, 1);
  for (const GlmGroup& g : face.model->groups) {
    unsigned texture = 0;
    if (g.name == " Geo_Head")
      texture = hair_.mainRecord.texture;
    else if (g.name == " Eye_L" || g.name == " Eye_R")
      texture = hair_.secondRecord.texture;
    else
      continue;
    if (texture) {
      glEnable(GL_TEXTURE_2D);
      glBindTexture(GL_TEXTURE_2D, texture);
    }
    drawTriangles(*face.model, g, 0, g.triangles.size(), texture != 0);
    glDisable(GL_TEXTURE_2D);
  }
  glEnable(GL_LIGHTING);
}

void AccessoryDrawer::DrawHair(const AccessorySlot& hair, const Rgb& colour) {
  if (!hair) return;
  const bool ponyTail = hair.name == "PonyTail";
  for (const GlmGroup& g : hair.model->groups) {
    const bool tail = ponyTail && g.name == " TAIL";
    if (ponyTail && !tail && g.name != " head") continue;
    const unsigned texture = tail ? hair_.secondRecord.texture : hair_.mainRecord.texture;
    glPushMatrix();
    BeginTranslucentPass(texture);
    if (texture == 0) glDisable(GL_TEXTURE_2D);
    const bool tinted = texture != 0 && !isWhite(colour);
    if (tinted) beginTint(colour);
    drawTriangles(*hair.model, g, 0, g.triangles.size(), texture != 0);
    if (tinted) endTint();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glEnable(GL_LIGHTING);
    glPopMatrix();
  }
}

void AccessoryDrawer::DrawWornItem(const AccessorySlot& item, AccessoryLook& look) {
  if (!item) return;
  const GlmModel& m = *item.model;
  const bool glasses = item.name == "Glassess";
  const unsigned texture = worn_.mainRecord.texture;
  // The frame and the other opaque runs first, the lenses over them.
  for (int pass = 0; pass < 2; ++pass) {
    for (const GlmGroup& g : m.groups) {
      std::vector<GlmMaterialRun> runs = g.runs;
      if (runs.empty()) runs.push_back({"", 0, g.triangleCount()});
      for (const GlmMaterialRun& run : runs) {
        const bool lens = isLensRun(run.material);
        if (lens != (pass == 1)) continue;
        if (lens) {
          const auto c = lensColour(look);
          glEnable(GL_DEPTH_TEST);
          glEnable(GL_BLEND);
          glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
          glDepthMask(GL_FALSE);
          glColor4f(c[0], c[1], c[2], c[3]);
          drawTriangles(m, g, run.first, run.end, false);
          glDepthMask(GL_TRUE);
          glDisable(GL_BLEND);
        } else if (glasses || texture == 0) {
          glColor3f(look.frame.r / 255.0f, look.frame.g / 255.0f, look.frame.b / 255.0f);
          drawTriangles(m, g, run.first, run.end, false);
        } else {
          glColor3f(1, 1, 1);
          glEnable(GL_TEXTURE_2D);
          glBindTexture(GL_TEXTURE_2D, texture);
          drawTriangles(m, g, run.first, run.end, true);
          glDisable(GL_TEXTURE_2D);
        }
      }
    }
  }
  glColor3f(1, 1, 1);
}

void AccessoryDrawer::DrawFootwear(const Accessories& a) {
  struct Slot {
    const AccessorySlot* slot;
    const Textures* textures;
    bool tint;
  };
  const Slot slots[] = {{&a.shoe, &shoe_, true}, {&a.bag, &bag_, false}, {&a.sock, &sock_, false}};
  for (const Slot& s : slots) {
    if (!*s.slot) continue;
    const unsigned texture = s.textures->mainRecord.texture;
    const bool blended = s.slot->texture.kind == TextureKind::Tga && texture != 0;
    glPushMatrix();
    if (blended) {
      BeginTranslucentPass(texture);
    } else {
      glColor3f(1, 1, 1);
      if (texture) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture);
      }
    }
    const bool tinted = texture != 0 && s.tint && !isWhite(a.look.shoe);
    if (tinted) beginTint(a.look.shoe);
    drawWhole(*s.slot->model, texture != 0);
    if (tinted) endTint();
    glDisable(GL_TEXTURE_2D);
    if (blended) {
      glDisable(GL_BLEND);
      glDisable(GL_ALPHA_TEST);
      glEnable(GL_LIGHTING);
    }
    glPopMatrix();
  }
  glColor3f(1, 1, 1);
}

}  // namespace vestora
