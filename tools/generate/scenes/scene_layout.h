// Where the three scene environments stand and how their pictures are laid
// out: the program's placement of each model (final = scale · stored +
// shift), the world sizes they are designed to (1 unit = 10 cm; the avatar
// stands at the origin with her feet on y = −8.8), and the regions of the
// pictures that several parts of a model share.
#pragma once

#include "body/vec.h"
#include "scenes/scene_mesh.h"

namespace vestora::generate::scenes {

// The avatar's floor, and the mirror floor's quad of the sky dome.
inline constexpr double kGround = -8.8;
inline constexpr double kLakeHalfWidth = 42, kLakeHalfDepth = 48;

struct Placement {
  double scale;
  Vec3 shift;
};
inline constexpr Placement kSkyDomePlacement{1.3, {0, -3, 0}};
inline constexpr Placement kRoomPlacement{0.132, {0, 2.96, 0}};
inline constexpr Placement kBeachPlacement{0.1089454, {1.4, 1.08, -1.36}};

// ---- sky dome (picture 607) ----
// A hemisphere over the avatar whose rim stands on the ground, closed at
// ground level by a ring round the mirror floor's quad. The picture is a
// view of the sky from below: the zenith at its centre, the horizon on the
// circle kDomeHorizon round it, the ground ring beyond it (nearest the
// rim at kDomeHorizon, the inner edge of the ring further out).
inline constexpr double kDomeRadius = 80;
inline constexpr double kDomeHorizon = 0.44;
inline constexpr double kDomeGroundBand = 0.05;
inline constexpr Vec3 kSunDirection{-10, 11.8, -14};  // towards the lens flare's light

// ---- room (pictures 604 floor, 605 walls) ----
inline constexpr double kRoomHalf = 42;       // the floor spans ±42 in x and z
inline constexpr double kRoomHeight = 48;     // ceiling at y = 39.2
inline constexpr double kFloorTile = 16.8;    // world size of one floor picture
inline constexpr double kWallTile = 12;       // wallpaper: 12 wide, 6 high
inline constexpr double kWainscotHeight = 9;  // panelled band along the floor
// Regions of picture 605 (v from the top).
inline constexpr SceneMesh::Region kWallpaperRegion{0, 0, 1, 0.5};
inline constexpr SceneMesh::Region kWainscotRegion{0, 0.5, 1, 0.6875};
inline constexpr SceneMesh::Region kCeilingRegion{0, 0.6875, 1, 0.75};
inline constexpr SceneMesh::Region kUpholsteryRegion{0, 0.75, 0.5, 0.8125};
inline constexpr SceneMesh::Region kCushionRegion{0.5, 0.75, 1, 0.8125};
inline constexpr SceneMesh::Region kWindowViewRegion{0, 0.8125, 0.5, 1};
inline constexpr SceneMesh::Region kPaintedWoodRegion{0.5, 0.8125, 1, 1};

// ---- beach (602 sand, 603 sea, 606 sky, Tree.tga) ----
inline constexpr double kBeachSkyRadius = 230, kBeachSkyHeight = 160;
inline constexpr double kBeachSkyLowest = -4;  // degrees below the sea's horizon
inline constexpr double kSeaLevel = -9.3;
inline constexpr double kShoreStart = -18;  // the sand starts to fall towards the sea here (z)
inline constexpr double kSeaStart = -25.5;  // the sea's near edge (z), just inside the waterline
inline constexpr double kSandTile = 16;
inline constexpr double kSeaTileWidth = 60;
// Regions of Tree.tga: bark, and one palm frond (its base at the bottom).
inline constexpr SceneMesh::Region kBarkRegion{0, 0, 0.25, 1};
inline constexpr SceneMesh::Region kFrondRegion{0.25, 0, 1, 1};

}  // namespace vestora::generate::scenes
