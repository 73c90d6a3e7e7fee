#include "view/garment_drawing.h"

#include <cmath>

#include "view/gl_headers.h"

namespace vestora {

void DrawGarment(const GarmentMesh& garment, unsigned texture) {
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

  glPushAttrib(GL_ENABLE_BIT | GL_LIGHTING_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT);
  glEnable(GL_LIGHTING);
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  // The inside of a garment shows at the neck and the hem.
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
  glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
  const bool textured = texture != 0;
  if (textured) {
    glBindTexture(GL_TEXTURE_2D, texture);
    glEnable(GL_TEXTURE_2D);
    glColor3f(1, 1, 1);
  } else {
    glDisable(GL_TEXTURE_2D);
    glColor3fv(kPlainFabricColour.data());
  }
  glBegin(GL_TRIANGLES);
  for (const GarmentTriangle& t : garment.triangles) {
    if (!valid(t)) continue;
    for (int k = 0; k < 3; ++k) {
      const auto v = static_cast<std::size_t>(t.vertex[k]);
      if (textured) {
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

}  // namespace vestora
