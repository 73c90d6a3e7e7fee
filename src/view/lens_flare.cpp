#include "view/lens_flare.h"

#include <cmath>

#include "platform/data_path.h"
#include "view/camera.h"
#include "view/gl_headers.h"
#include "view/textures.h"

namespace vestora {
namespace {

float dot(const FlareVec& a, const FlareVec& b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
FlareVec sub(const FlareVec& a, const FlareVec& b) {
  return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
FlareVec addScaled(const FlareVec& a, const FlareVec& b, float s) {
  return {a[0] + b[0] * s, a[1] + b[1] * s, a[2] + b[2] * s};
}
float length(const FlareVec& a) {
  return std::sqrt(dot(a, a));
}

}  // namespace

bool flareAzimuth(float azimuth) {
  const float a = foldAzimuth(azimuth);
  return a >= kFlareAzimuthLow && a < kFlareAzimuthHigh;
}

FlareCamera cameraOfModelview(const std::array<double, 16>& m) {
  FlareCamera c;
  const double t[3] = {m[12], m[13], m[14]};
  for (std::size_t j = 0; j < 3; ++j) {
    double p = 0;
    for (std::size_t i = 0; i < 3; ++i) p -= m[j * 4 + i] * t[i];
    c.position[j] = static_cast<float>(p);
  }
  c.direction = {static_cast<float>(-m[2]), static_cast<float>(-m[6]), static_cast<float>(-m[10])};
  c.right = {static_cast<float>(m[0]), static_cast<float>(m[4]), static_cast<float>(m[8])};
  c.up = {static_cast<float>(m[1]), static_cast<float>(m[5]), static_cast<float>(m[9])};
  for (FlareVec* v : {&c.direction, &c.right, &c.up}) {
    const float n = length(*v);
    if (n > 0)
      for (float& x : *v) x /= n;
  }
  return c;
}

FrustumPlanes frustumPlanes(const std::array<double, 16>& p, const std::array<double, 16>& m) {
  std::array<double, 16> clip{};
  for (std::size_t c = 0; c < 4; ++c)
    for (std::size_t r = 0; r < 4; ++r) {
      double sum = 0;
      for (std::size_t k = 0; k < 4; ++k) sum += p[k * 4 + r] * m[c * 4 + k];
      clip[c * 4 + r] = sum;
    }
  auto row = [&](std::size_t r) {
    return std::array<double, 4>{clip[r], clip[4 + r], clip[8 + r], clip[12 + r]};
  };
  const auto r0 = row(0), r1 = row(1), r2 = row(2), r3 = row(3);
  FrustumPlanes planes{};
  const std::array<double, 4>* sides[3] = {&r0, &r1, &r2};
  for (std::size_t axis = 0; axis < 3; ++axis)
    for (std::size_t sign = 0; sign < 2; ++sign) {
      std::array<double, 4> plane{};
      for (std::size_t k = 0; k < 4; ++k)
        plane[k] = sign == 0 ? r3[k] + (*sides[axis])[k] : r3[k] - (*sides[axis])[k];
      const double n = std::sqrt(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2]);
      auto& out = planes[axis * 2 + sign];
      for (std::size_t k = 0; k < 4; ++k) out[k] = static_cast<float>(n > 0 ? plane[k] / n : 0);
    }
  return planes;
}

bool sphereInFrustum(const FrustumPlanes& planes, const FlareVec& centre, float radius) {
  for (const auto& p : planes)
    if (p[0] * centre[0] + p[1] * centre[1] + p[2] * centre[2] + p[3] <= -radius) return false;
  return true;
}

std::array<FlareVec, 16> flareCentres(const FlareCamera& camera, const FlareVec& light) {
  const float distance = length(sub(camera.position, light));
  const FlareVec looked = addScaled(camera.position, camera.direction, distance);
  FlareVec u = sub(looked, light);
  const float len = length(u);
  if (len > 1e-6f)
    for (float& x : u) x /= len;
  else
    u = {0, 0, 0};
  std::array<FlareVec, 16> centres{};
  for (std::size_t i = 0; i < kFlareElements.size(); ++i)
    centres[i] = addScaled(light, u, kFlareElements[i].along * len);
  return centres;
}

bool LensFlare::Load(std::string_view root) {
  bool all = true;
  for (std::size_t i = 0; i < textures_.size(); ++i) {
    deleteTexture(textures_[i]);
    textures_[i] = LoadBmpTexture(dataPath(root, kFlarePicturePaths[i]));
    all = all && textures_[i] != 0;
  }
  return all;
}

void LensFlare::release() {
  for (unsigned& t : textures_) deleteTexture(t);
}

void LensFlare::Update() {
  if (heading > 360) heading -= 360;
  if (heading < -360) heading += 360;
  glRotatef(pitch, 1, 0, 0);
  glRotatef(heading, 0, 1, 0);
  glGetDoublev(GL_MODELVIEW_MATRIX, modelview_.data());
  glGetDoublev(GL_PROJECTION_MATRIX, projection_.data());
  glGetIntegerv(GL_VIEWPORT, viewport_.data());
  camera_ = cameraOfModelview(modelview_);
  planes_ = frustumPlanes(projection_, modelview_);
}

bool LensFlare::Render(const std::function<void()>& prepareDepthRead) {
  if (!sphereInFrustum(planes_, light, 1.0f)) return false;

  // Covered when something was drawn nearer than the light at its pixel. A
  // light whose pixel lies outside the viewport counts as covered: there is
  // no depth to compare with there.
  GLdouble wx = 0, wy = 0, wz = 0;
  if (gluProject(light[0], light[1], light[2], modelview_.data(), projection_.data(),
                 viewport_.data(), &wx, &wy, &wz) != GL_TRUE) {
    return false;
  }
  const int px = static_cast<int>(std::floor(wx)), py = static_cast<int>(std::floor(wy));
  if (px < viewport_[0] || py < viewport_[1] || px >= viewport_[0] + viewport_[2] ||
      py >= viewport_[1] + viewport_[3] || wz < 0 || wz > 1) {
    return false;
  }
  if (prepareDepthRead) prepareDepthRead();
  GLfloat stored = 1;
  glReadPixels(px, py, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &stored);
  if (stored < wz) {
    return false;
  }

  const std::array<FlareVec, 16> centres = flareCentres(camera_, light);
  glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_DEPTH_BUFFER_BIT);
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glDepthMask(GL_FALSE);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glEnable(GL_TEXTURE_2D);
  for (std::size_t i = 0; i < kFlareElements.size(); ++i) {
    const FlareElement& e = kFlareElements[i];
    glBindTexture(GL_TEXTURE_2D, textures_[static_cast<std::size_t>(e.picture)]);
    glColor4fv(e.colour.data());
    const float h = e.size / 2;
    const FlareVec& p = centres[i];
    const FlareVec& r = camera_.right;
    const FlareVec& u = camera_.up;
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex3f(p[0] - (r[0] + u[0]) * h, p[1] - (r[1] + u[1]) * h, p[2] - (r[2] + u[2]) * h);
    glTexCoord2f(1, 0);
    glVertex3f(p[0] + (r[0] - u[0]) * h, p[1] + (r[1] - u[1]) * h, p[2] + (r[2] - u[2]) * h);
    glTexCoord2f(1, 1);
    glVertex3f(p[0] + (r[0] + u[0]) * h, p[1] + (r[1] + u[1]) * h, p[2] + (r[2] + u[2]) * h);
    glTexCoord2f(0, 1);
    glVertex3f(p[0] - (r[0] - u[0]) * h, p[1] - (r[1] - u[1]) * h, p[2] - (r[2] - u[2]) * h);
    glEnd();
  }
  glBindTexture(GL_TEXTURE_2D, 0);
  glPopAttrib();
  return true;
}

}  // namespace vestora
