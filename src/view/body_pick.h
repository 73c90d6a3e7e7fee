// Picking a point on the avatar's skin under the mouse: the body triangles
// go through the graphics pipeline in feedback mode, so that its own
// projection and clipping decide what is where on the screen, and the
// nearest front-facing triangle under the mouse gives the point. Also the
// window-to-model conversions of the freehand stroke.
#pragma once

#include <array>
#include <optional>
#include <span>

#include "avatar/avatar.h"
#include "avatar/triangle_tree.h"
#include "body/section_length.h"

namespace vestora {

// The camera as the last frame had it, for turning window points back into
// model coordinates between frames.
struct ViewMatrices {
  std::array<double, 16> modelview{};  // column-major, after the camera transform
  std::array<double, 16> projection{};
  std::array<int, 4> viewport{0, 0, 1, 1};
  bool valid = false;
};

struct BodyPick {
  Vec3f point;        // model units
  int triangle = -1;  // 0-based body triangle
  float depth = 0;    // window depth, 0 near … 1 far
};

// Floats the feedback of one body triangle may take: its pass-through
// marker (2), the polygon token and count (2), and up to nine corners of
// three floats (a triangle clipped by the six planes of the view volume).
inline constexpr int kFeedbackFloatsPerTriangle = 2 + 2 + 9 * 3;

// Walks GL_3D feedback: pass-through tokens carry the index of the triangle
// whose polygons follow; each polygon (a triangle, or more corners once
// clipped, taken as a fan) is tested at the mouse (x, y in window pixels,
// y up). Returns the front-facing triangle nearest to the viewer with the
// window depth at the mouse; every token is stepped over by its own length,
// and a truncated buffer ends the walk.
std::optional<std::pair<int, float>> nearestFeedbackTriangle(std::span<const float> feedback,
                                                             float mouseX, float mouseY);

// The skin point under the window point (x, glY) with the GL matrices that
// are current (the camera's). Needs the GL context. Nothing when the mouse
// is not over the body.
std::optional<BodyPick> pickBodyPoint(const Avatar& avatar, int x, int glY);

// The model point of window point (x, y, depth) through `matrices`.
std::optional<Vec3f> unprojectWindowPoint(const ViewMatrices& matrices, double x, double y,
                                          double depth);
// The window point (x, y, depth) of a model point.
std::optional<std::array<double, 3>> projectModelPoint(const ViewMatrices& matrices,
                                                       const Vec3f& point);

// The ends of a stroke from window point a to window point b on the near
// plane and on the far plane.
struct StrokeRays {
  StrokeEnds nearEnds;
  StrokeEnds farEnds;
};
std::optional<StrokeRays> strokeRays(const ViewMatrices& matrices, std::array<double, 2> a,
                                     std::array<double, 2> b);

}  // namespace vestora
