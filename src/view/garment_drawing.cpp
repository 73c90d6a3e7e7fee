#include "view/garment_drawing.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "view/gl_headers.h"

namespace vestora {

void DrawGarment(const GarmentMesh& garment, const GarmentLook& look) {
  const std::vector<GarmentParticle>& points =
      garment.drawParticles.size() == garment.particles.size() ? garment.drawParticles
                                                               : garment.particles;
  if (points.empty() || garment.triangles.empty()) return;
  const std::size_t count = points.size();

  std::vector<std::array<float, 3>> normals(count, {0, 0, 0});
  auto position = [&](std::int32_t i) { return &points[static_cast<std::size_t>(i)].point.x; };
  auto valid = [&](const GarmentTriangle& t) {
    for (std::int32_t v : t.vertex)
      if (v < 0 || static_cast<std::size_t>(v) >= count) return false;
    return true;
  };
  for (const GarmentTriangle& t : garment.triangles) {
    if (!valid(t)) continue;
    const float* a = position(t.vertex[0]);
    const float* b = position(t.vertex[1]);
    const float* c = position(t.vertex[2]);
    const float u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    const float w[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    const float n[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2],
                        u[0] * w[1] - u[1] * w[0]};
    if (!std::isfinite(n[0] + n[1] + n[2])) continue;
    for (std::int32_t v : t.vertex)
      for (int k = 0; k < 3; ++k) normals[static_cast<std::size_t>(v)][k] += n[k];
  }
  for (auto& n : normals) {
    const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (length > 0 && std::isfinite(length))
      for (float& x : n) x /= length;
    else
      n = {0, 0, 1};
  }

  glPushAttrib(GL_ENABLE_BIT | GL_LIGHTING_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT | GL_POLYGON_BIT);
  glEnable(GL_LIGHTING);
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  if (look.depthPull > 0) {
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(-1.0f, -look.depthPull);
  }
  // The inside of a garment shows at the neck and the hem.
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
  glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
  const bool mapped = look.particleColours && look.particleColours->size() == count;
  const bool textured = look.texture != 0 && !mapped;
  if (textured) {
    glBindTexture(GL_TEXTURE_2D, look.texture);
    glEnable(GL_TEXTURE_2D);
    glColor3f(1, 1, 1);
  } else {
    glDisable(GL_TEXTURE_2D);
    glColor3fv(look.colour.data());
  }
  glBegin(GL_TRIANGLES);
  for (const GarmentTriangle& t : garment.triangles) {
    if (!valid(t)) continue;
    for (int k = 0; k < 3; ++k) {
      const auto v = static_cast<std::size_t>(t.vertex[k]);
      if (mapped) {
        glColor3ubv((*look.particleColours)[v].data());
      } else if (textured) {
        if (t.hasUv)
          glTexCoord2f(t.uv[2 * k], t.uv[2 * k + 1]);
        else
          glTexCoord2f(points[v].point.u, points[v].point.v);
      }
      glNormal3fv(normals[v].data());
      glVertex3fv(&points[v].point.x);
    }
  }
  glEnd();
  glPopAttrib();
}

std::vector<std::array<std::int32_t, 2>> outlineEdges(const GarmentMesh& garment) {
  const auto count = static_cast<std::int32_t>(garment.particles.size());
  std::map<std::array<std::int32_t, 2>, int> uses;
  for (const GarmentTriangle& t : garment.triangles) {
    if (std::any_of(t.vertex.begin(), t.vertex.end(),
                    [&](std::int32_t v) { return v < 0 || v >= count; }))
      continue;
    for (int k = 0; k < 3; ++k) {
      const std::int32_t a = t.vertex[k], b = t.vertex[(k + 1) % 3];
      if (a != b) ++uses[{std::min(a, b), std::max(a, b)}];
    }
  }
  std::vector<std::array<std::int32_t, 2>> outline;
  for (const auto& [edge, n] : uses)
    if (n == 1) outline.push_back(edge);
  return outline;
}

namespace {

// A gentle colour per piece, so that neighbouring pieces can be told apart.
std::array<float, 3> pieceTint(std::int32_t piece) {
  static constexpr std::array<std::array<float, 3>, 6> kTints{{{0.93f, 0.82f, 0.76f},
                                                               {0.78f, 0.87f, 0.90f},
                                                               {0.86f, 0.90f, 0.78f},
                                                               {0.92f, 0.86f, 0.66f},
                                                               {0.85f, 0.80f, 0.90f},
                                                               {0.80f, 0.90f, 0.86f}}};
  return kTints[static_cast<std::size_t>(piece < 0 ? 0 : piece) % kTints.size()];
}

}  // namespace

void DrawPatternPieces(const GarmentMesh& garment) {
  const std::vector<GarmentParticle>& points = garment.particles;
  if (points.empty()) return;
  const auto count = static_cast<std::int32_t>(points.size());
  auto inRange = [&](std::int32_t v) { return v >= 0 && v < count; };

  glPushAttrib(GL_ENABLE_BIT | GL_LIGHTING_BIT | GL_CURRENT_BIT | GL_POLYGON_BIT | GL_LINE_BIT |
               GL_COLOR_BUFFER_BIT);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_CULL_FACE);
  glEnable(GL_DEPTH_TEST);
  // The fills lie behind their outlines.
  glEnable(GL_POLYGON_OFFSET_FILL);
  glPolygonOffset(1, 1);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glBegin(GL_TRIANGLES);
  for (const GarmentTriangle& t : garment.triangles) {
    if (!inRange(t.vertex[0]) || !inRange(t.vertex[1]) || !inRange(t.vertex[2])) continue;
    const std::int32_t piece = points[static_cast<std::size_t>(t.vertex[0])].piece;
    const std::array<float, 3> tint = pieceTint(piece >= 0 ? piece : t.piece);
    glColor4f(tint[0], tint[1], tint[2], 1.0f);
    for (std::int32_t v : t.vertex) glVertex3fv(&points[static_cast<std::size_t>(v)].point.x);
  }
  glEnd();
  glDisable(GL_POLYGON_OFFSET_FILL);

  // The cut edges, dark and clear over everything behind them.
  glEnable(GL_LINE_SMOOTH);
  glLineWidth(1.6f);
  glColor4f(0.20f, 0.22f, 0.28f, 1.0f);
  glBegin(GL_LINES);
  for (const auto& [a, b] : outlineEdges(garment)) {
    glVertex3fv(&points[static_cast<std::size_t>(a)].point.x);
    glVertex3fv(&points[static_cast<std::size_t>(b)].point.x);
  }
  glEnd();
  // The seams: which points will be sewn together.
  glLineWidth(1.0f);
  glColor4f(0.78f, 0.33f, 0.24f, 0.8f);
  glBegin(GL_LINES);
  for (const SeamPair& seam : garment.seams) {
    if (!inRange(seam.a) || !inRange(seam.b)) continue;
    glVertex3fv(&points[static_cast<std::size_t>(seam.a)].point.x);
    glVertex3fv(&points[static_cast<std::size_t>(seam.b)].point.x);
  }
  glEnd();
  glPopAttrib();
}

}  // namespace vestora
