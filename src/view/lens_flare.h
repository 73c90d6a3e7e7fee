// The sun's lens flare over the sky dome: glows, halos and streaks strung
// along the line from the light through the point the camera looks at,
// drawn additively while the light is in view and nothing stands in front
// of it. The geometry is plain arithmetic (tested without a context); the
// drawing needs the view's GL context.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string_view>

namespace vestora {

using FlareVec = std::array<float, 3>;

// Where the view puts the light before every flare.
inline constexpr FlareVec kFlareLight{-10, 3, -14};
// The flare is drawn while the folded azimuth lies in [−95, −70).
inline constexpr float kFlareAzimuthLow = -95, kFlareAzimuthHigh = -70;
// Whether the camera's azimuth (any number of turns) shows the flare.
bool flareAzimuth(float azimuth);

enum class FlarePicture { Glow, BigGlow, Halo, Streaks };
inline constexpr std::array<std::string_view, 4> kFlarePicturePaths{
    "\\data\\lens\\HardGlow2.bmp", "\\data\\lens\\BigGlow3.bmp", "\\data\\lens\\Halo3.bmp",
    "\\data\\lens\\Streaks4.bmp"};

struct FlareElement {
  FlarePicture picture;
  std::array<float, 4> colour;  // r, g, b, a
  float along;                  // 0 at the light, 1 at the point looked at
  float size;                   // side of the square, scene units
};
inline constexpr std::array<FlareElement, 16> kFlareElements{{
    {FlarePicture::BigGlow, {0.6f, 0.6f, 0.8f, 1.0f}, 0, 1.6f},
    {FlarePicture::Streaks, {0.6f, 0.6f, 0.8f, 1.0f}, 0, 1.6f},
    {FlarePicture::Glow, {0.8f, 0.8f, 1.0f, 0.5f}, 0, 3.5f},
    {FlarePicture::Glow, {0.9f, 0.6f, 0.4f, 0.5f}, 0.1f, 0.6f},
    {FlarePicture::Halo, {0.8f, 0.5f, 0.6f, 0.5f}, 0.15f, 1.7f},
    {FlarePicture::Halo, {0.9f, 0.2f, 0.1f, 0.5f}, 0.175f, 0.83f},
    {FlarePicture::Halo, {0.7f, 0.7f, 0.4f, 0.5f}, 0.285f, 1.6f},
    {FlarePicture::Glow, {0.9f, 0.9f, 0.2f, 0.5f}, 0.2755f, 0.8f},
    {FlarePicture::Glow, {0.93f, 0.82f, 0.73f, 0.5f}, 0.4775f, 1.0f},
    {FlarePicture::Halo, {0.7f, 0.6f, 0.5f, 0.5f}, 0.49f, 1.4f},
    {FlarePicture::Glow, {0.7f, 0.8f, 0.3f, 0.5f}, 0.65f, 1.8f},
    {FlarePicture::Glow, {0.4f, 0.3f, 0.2f, 0.5f}, 0.63f, 1.4f},
    {FlarePicture::Halo, {0.7f, 0.5f, 0.5f, 0.5f}, 0.8f, 1.4f},
    {FlarePicture::Glow, {0.8f, 0.5f, 0.1f, 0.5f}, 0.7825f, 0.6f},
    {FlarePicture::Halo, {0.5f, 0.5f, 0.7f, 0.5f}, 1.0f, 1.7f},
    {FlarePicture::Glow, {0.4f, 0.1f, 0.9f, 0.5f}, 0.975f, 2.0f},
}};

// What the camera sees, taken from a modelview matrix (column-major):
// its position in the world, its unit view direction, and its right and up
// directions (for squares that face it).
struct FlareCamera {
  FlareVec position{}, direction{}, right{}, up{};
};
FlareCamera cameraOfModelview(const std::array<double, 16>& modelview);

// The six planes (a, b, c, d; normalised, inside where a·x + b·y + c·z + d ≥ 0)
// of the frustum of projection · modelview.
using FrustumPlanes = std::array<std::array<float, 4>, 6>;
FrustumPlanes frustumPlanes(const std::array<double, 16>& projection,
                            const std::array<double, 16>& modelview);
// Whether a sphere is at least partly inside all six planes.
bool sphereInFrustum(const FrustumPlanes& planes, const FlareVec& centre, float radius);

// The centres of the sixteen elements: P = L + u · (t · len), u the unit
// vector from the light L to the point C the camera looks at at the light's
// distance, len = |C − L|. When C falls on L every element sits at L.
std::array<FlareVec, 16> flareCentres(const FlareCamera& camera, const FlareVec& light);

class LensFlare {
 public:
  LensFlare() = default;
  LensFlare(const LensFlare&) = delete;
  LensFlare& operator=(const LensFlare&) = delete;

  // Loads the four pictures below `root` (needs the context); false when
  // any is missing (the flare then draws without it).
  bool Load(std::string_view root);
  void release();

  FlareVec light = kFlareLight;
  // The flare camera's turn: applied on top of the view's camera.
  float heading = -0.2f, pitch = 0;

  // With the view's camera on the modelview stack: turns by pitch and
  // heading and takes the camera, the matrices and the frustum.
  void Update();
  // Draws the flare when the light is inside the frustum and its pixel is
  // not covered; `prepareDepthRead` makes the depth drawn so far readable
  // (an off-screen frame resolves its samples). Returns whether anything
  // was drawn.
  bool Render(const std::function<void()>& prepareDepthRead);

 private:
  std::array<unsigned, 4> textures_{};
  FlareCamera camera_;
  std::array<double, 16> modelview_{}, projection_{};
  std::array<int, 4> viewport_{};
  FrustumPlanes planes_{};
};

}  // namespace vestora
