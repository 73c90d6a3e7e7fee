#include "view/camera.h"

#include <algorithm>
#include <cmath>

namespace vestora {

float farLimit(const SceneChoice& scene) {
  if (scene.skyShown) return -37;
  if (scene.roomShown || scene.beachShown) return -34;
  return -44;
}

void applyWheel(ViewCamera& camera, int delta, const SceneChoice& scene) {
  const int notches = delta / 120;  // C++ division truncates toward zero
  camera.distance -= static_cast<float>(notches);
  const float far = farLimit(scene);
  if (camera.distance < far) camera.distance = far;
  if (camera.distance > kNearLimit) camera.distance = kNearLimit;
}

float clampElevation(float elevation) {
  return std::clamp(elevation, kMinElevation, kMaxElevation);
}

void wrapAngles(ViewCamera& camera) {
  if (camera.azimuth > 360) camera.azimuth -= 360;
  if (camera.elevation > 360) camera.elevation -= 360;
  if (camera.roll > 360) camera.roll -= 360;
}

void nextScene(int& step, SceneChoice& scene, ViewCamera& camera) {
  switch (((step % 3) + 3) % 3) {
    case 0:
      scene = {true, false, false};
      if (camera.distance < kSkyFarthest) camera.distance = kSkyFarthest;
      break;
    case 1:
      scene = {false, true, false};
      camera.distance = kRoomDistance;
      break;
    default:
      scene = {false, false, true};
      camera.distance = kBeachDistance;
      break;
  }
  // The fourth press lands on the sky dome and clears it at once: no scene.
  if (++step >= 4) {
    scene = {};
    step = 0;
  }
}

float foldAzimuth(float azimuth) {
  float a = azimuth;
  const float turns = std::floor(std::abs(a) / 360.0f);
  if (a < -360) a += 360 * turns;
  if (a > 360) a -= 360 * turns;
  if (a > 0 && a < 360) a -= 360;
  return a;
}

}  // namespace vestora
