// The view's orbit camera and its input rules: plain numbers, no GL, so the
// rules can be tested without a context. Angles in degrees, lengths in
// scene units (1 unit = 10 cm).
#pragma once

#include <optional>

#include "avatar/environments.h"

namespace vestora {

// Which environment is shown; at most one flag is set, none = plain backdrop.
struct SceneChoice {
  bool skyShown = false;   // sky dome with a reflecting lake floor
  bool roomShown = false;  // the room
  bool beachShown = false;
  bool any() const { return skyShown || roomShown || beachShown; }
  // The environment the flags choose; nothing for the plain backdrop.
  std::optional<Environment> environment() const {
    if (skyShown) return Environment::Sky;
    if (roomShown) return Environment::Room;
    if (beachShown) return Environment::Beach;
    return std::nullopt;
  }
};

struct ViewCamera {
  float elevation = 18;  // rotation about x
  float azimuth = -10;   // rotation about y
  float roll = 0;        // rotation about z
  float panX = 0;
  float panY = 0;
  float distance = -34;  // translation along z; more negative is farther

  bool operator==(const ViewCamera&) const = default;
};

inline constexpr ViewCamera kDefaultCamera{};

inline constexpr float kNearLimit = -16;  // the wheel never comes closer
inline constexpr float kMinElevation = -10;
inline constexpr float kMaxElevation = 93;
inline constexpr float kPanXLimit = 12.3f;    // |panX| while dragging
inline constexpr float kPanYLimitPlain = 15;  // |panY| without a scene
inline constexpr float kPanYLowScene = -3.3f, kPanYHighScene = 1.0f;

// The far limit of the wheel zoom: −37 with the sky dome, −34 in the room or
// on the beach, −44 without a scene.
float farLimit(const SceneChoice& scene);

// One wheel event: n = delta / 120 (truncated toward zero) notches towards
// the avatar, then clamped to [farLimit, −16].
void applyWheel(ViewCamera& camera, int delta, const SceneChoice& scene);

float clampElevation(float elevation);

// The frame's angle wrap: each angle above 360 loses 360 once.
void wrapAngles(ViewCamera& camera);

// Camera distances of the scenes: the room and the beach put the camera at
// their distance, the sky dome only keeps it within its far limit.
inline constexpr float kRoomDistance = -32, kBeachDistance = -34, kSkyFarthest = -37;

// One press of "场景" at cycle position `step`: the sky dome, the room, the
// beach, then no scene, and round again. Sets the scene flags and the
// camera distance and advances `step`.
void nextScene(int& step, SceneChoice& scene, ViewCamera& camera);

// The azimuth folded into (−360, 0] the way the lens flare reads it.
float foldAzimuth(float azimuth);

}  // namespace vestora
