#include "view/body_pick.h"

#include <vector>

#include "view/gl_headers.h"

namespace vestora {

std::optional<std::pair<int, float>> nearestFeedbackTriangle(std::span<const float> feedback,
                                                             float mouseX, float mouseY) {
  constexpr std::size_t kVertex = 3;  // GL_3D: x, y, z
  std::optional<std::pair<int, float>> best;
  int current = -1;
  std::size_t i = 0;
  const std::size_t n = feedback.size();
  auto need = [&](std::size_t count) { return i + count <= n; };
  while (i < n) {
    const auto token = static_cast<GLint>(feedback[i]);
    switch (token) {
      case GL_PASS_THROUGH_TOKEN:
        if (!need(2)) return best;
        current = static_cast<int>(feedback[i + 1]);
        i += 2;
        break;
      case GL_POLYGON_TOKEN: {
        if (!need(2)) return best;
        const float countValue = feedback[i + 1];
        if (!(countValue >= 0) || countValue > 1e6f) return best;
        const auto corners = static_cast<std::size_t>(countValue);
        const std::size_t first = i + 2;
        i = first;
        if (!need(corners * kVertex)) return best;
        for (std::size_t k = 1; k + 1 < corners; ++k) {
          const auto corner = [&](std::size_t c) {
            const float* p = &feedback[first + c * kVertex];
            return Point3{p[0], p[1], p[2]};
          };
          const auto depth =
              windowTriangleDepth({corner(0), corner(k), corner(k + 1)}, mouseX, mouseY);
          if (depth && current >= 0 && (!best || *depth < best->second)) best = {{current, *depth}};
        }
        i += corners * kVertex;
        break;
      }
      case GL_POINT_TOKEN:
      case GL_BITMAP_TOKEN:
      case GL_DRAW_PIXEL_TOKEN:
      case GL_COPY_PIXEL_TOKEN:
        i += 1 + kVertex;
        break;
      case GL_LINE_TOKEN:
      case GL_LINE_RESET_TOKEN:
        i += 1 + 2 * kVertex;
        break;
      default:
        return best;  // not a token: the buffer is not feedback we understand
    }
  }
  return best;
}

std::optional<BodyPick> pickBodyPoint(const Avatar& avatar, int x, int glY) {
  const std::size_t count = avatar.triangleCount();
  if (!avatar.loaded() || count == 0) return std::nullopt;
  std::vector<GLfloat> buffer(count * kFeedbackFloatsPerTriangle);
  glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D, buffer.data());
  glRenderMode(GL_FEEDBACK);
  for (std::size_t t = 0; t < count; ++t) {
    glPassThrough(static_cast<GLfloat>(t));
    glBegin(GL_TRIANGLES);
    for (const SkinVertex& c : avatar.triangles[t].corner) glVertex3f(c.x, c.y, c.z);
    glEnd();
  }
  const GLint used = glRenderMode(GL_RENDER);
  // A negative count means the buffer overflowed: what was written is
  // still walked, and the walk stops at its end.
  const std::size_t filled = used < 0 ? buffer.size() : static_cast<std::size_t>(used);
  const auto hit = nearestFeedbackTriangle(std::span<const float>(buffer.data(), filled),
                                           static_cast<float>(x), static_cast<float>(glY));
  if (!hit) return std::nullopt;

  ViewMatrices matrices;
  glGetDoublev(GL_MODELVIEW_MATRIX, matrices.modelview.data());
  glGetDoublev(GL_PROJECTION_MATRIX, matrices.projection.data());
  glGetIntegerv(GL_VIEWPORT, matrices.viewport.data());
  matrices.valid = true;
  const auto point = unprojectWindowPoint(matrices, x, glY, hit->second);
  if (!point) return std::nullopt;
  return BodyPick{*point, hit->first, hit->second};
}

std::optional<Vec3f> unprojectWindowPoint(const ViewMatrices& m, double x, double y, double depth) {
  if (!m.valid) return std::nullopt;
  GLdouble px = 0, py = 0, pz = 0;
  if (gluUnProject(x, y, depth, m.modelview.data(), m.projection.data(), m.viewport.data(), &px,
                   &py, &pz) != GL_TRUE)
    return std::nullopt;
  return Vec3f{static_cast<float>(px), static_cast<float>(py), static_cast<float>(pz)};
}

std::optional<std::array<double, 3>> projectModelPoint(const ViewMatrices& m, const Vec3f& p) {
  if (!m.valid) return std::nullopt;
  GLdouble wx = 0, wy = 0, wz = 0;
  if (gluProject(p.x, p.y, p.z, m.modelview.data(), m.projection.data(), m.viewport.data(), &wx,
                 &wy, &wz) != GL_TRUE)
    return std::nullopt;
  return std::array<double, 3>{wx, wy, wz};
}

std::optional<StrokeRays> strokeRays(const ViewMatrices& m, std::array<double, 2> a,
                                     std::array<double, 2> b) {
  const auto nearA = unprojectWindowPoint(m, a[0], a[1], 0.0);
  const auto nearB = unprojectWindowPoint(m, b[0], b[1], 0.0);
  const auto farA = unprojectWindowPoint(m, a[0], a[1], 1.0);
  const auto farB = unprojectWindowPoint(m, b[0], b[1], 1.0);
  if (!nearA || !nearB || !farA || !farB) return std::nullopt;
  auto point = [](const Vec3f& v) { return Point3{v.x, v.y, v.z}; };
  return StrokeRays{{point(*nearA), point(*nearB)}, {point(*farA), point(*farB)}};
}

}  // namespace vestora
