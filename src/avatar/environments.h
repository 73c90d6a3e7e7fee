// The three scene environments behind the avatar: the sky dome over the
// lake, the room and the beach. Their models are read once at the view's
// start-up and placed by a uniform scale and a shift so that the ground
// lies under the avatar's feet (y = −8.8). A model that cannot be read
// leaves its scene unavailable; the others are unaffected.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "formats/glm_model.h"

namespace vestora {

enum class Environment { Sky = 0, Room = 1, Beach = 2 };
inline constexpr std::size_t kEnvironmentCount = 3;

struct EnvironmentPlacement {
  std::string_view path;  // data path of the model
  float scale;
  std::array<float, 3> shift;
};

// In loading order: sky dome, room, beach.
inline constexpr std::array<EnvironmentPlacement, kEnvironmentCount> kEnvironmentPlacements{{
    {"\\model\\Skydome\\skydome.c3d", 1.3f, {0, -3, 0}},
    {"\\model\\Mansion\\room.c3d", 0.132f, {0, 2.96f, 0}},
    {"\\model\\Mansion\\Beach.c3d", 0.1089454f, {1.4f, 1.08f, -1.36f}},
}};

// Pictures and groups of the environments (group names keep the model
// format's leading blank).
inline constexpr int kSkyPicture = 607;
inline constexpr std::string_view kRoomFloorGroup = " polymsh37";
inline constexpr int kRoomFloorPicture = 604;
inline constexpr std::string_view kRoomWallGroup = " polymsh38";
inline constexpr int kRoomWallPicture = 605;
inline constexpr std::string_view kBeachSandGroup = " lou";
inline constexpr int kBeachSandPicture = 602;
inline constexpr std::string_view kBeachSkyGroup = " tiankong";
inline constexpr int kBeachSkyPicture = 606;
inline constexpr std::string_view kBeachSeaGroup = " hai";
inline constexpr int kBeachSeaPicture = 603;
inline constexpr std::string_view kBeachTreeGroup = " shu";
inline constexpr std::string_view kBeachTreePicture = "\\model\\Mansion\\Tree.tga";

// Shown when a scene is chosen whose model could not be read (followed by
// the model's data path).
inline constexpr const char* kSceneMissingMessage = "无法显示该场景，缺少场景模型：";

struct EnvironmentModels {
  std::array<std::unique_ptr<GlmModel>, kEnvironmentCount> models;
  // Why a model is missing: its data path and the reader's message.
  std::array<std::string, kEnvironmentCount> problems;

  const GlmModel* model(Environment e) const { return models[static_cast<std::size_t>(e)].get(); }
  bool available(Environment e) const { return model(e) != nullptr; }
  const std::string& problem(Environment e) const { return problems[static_cast<std::size_t>(e)]; }
};

// Reads and places the three models below `root`.
EnvironmentModels LoadEnvironments(std::string_view root);

// Places one model read from its file: every vertex becomes
// scale · vertex + shift.
void placeEnvironment(GlmModel& model, const EnvironmentPlacement& placement);

}  // namespace vestora
