// The pictures of the scene environments, drawn from noise: the same
// arguments give the same pixels on every run. Every picture is `size`
// pixels square (a power of two), top row first; those that a model repeats
// tile by tile (sand, sea across, floor boards, wallpaper, the lake) join
// seamlessly at their edges.
#pragma once

#include "accessories/wear_textures.h"

namespace vestora::generate::scenes {

using wear::Image;

// 607: the sky over the lake seen from below (see kDomeHorizon): a calm
// blue gradient, soft clouds, a warm glow towards the sun, a line of hazy
// hills on the horizon and the still far lake round it.
Image skyDomePicture(int size);
// 604: honey oak boards running down the picture, six across.
Image roomFloorPicture(int size);
// 605: the room's atlas (see the regions in scene_layout.h): warm wallpaper,
// panelled wainscot with its skirting, ceiling, slate upholstery, terracotta
// cushion cloth, the garden seen through a window, white painted wood.
Image roomWallPicture(int size);
// 602: pale sand with wind ripples.
Image sandPicture(int size);
// 603: the sea from the waterline (bottom row, foam) to the horizon (top
// row, haze); tiles across.
Image seaPicture(int size);
// 606: the beach's sky, tiling across (one turn round the horizon): deep
// blue overhead, pale at the horizon, fair-weather clouds low down; rows
// as the beach's sky dome lays them out (see beachSkyRow).
Image beachSkyPicture(int size);
// Tree.tga: palm bark on the left quarter (opaque), one palm frond on the
// rest, its leaflets on transparent ground (alpha 0 between them).
Image treePicture(int size);
// \data\scene\lake2.png: rippled lake water, tiling both ways.
Image lakePicture(int size);
// \data\scene\floor_lm.png: the light on the lake floor, brightest in the
// middle where the avatar stands, falling off to the corners.
Image floorLightMap(int size);
// The lens flare's pictures, white light on black.
Image hardGlowPicture(int size);  // a bright radial glow
Image bigGlowPicture(int size);   // a big soft glow
Image haloPicture(int size);      // a thin ring
Image streaksPicture(int size);   // a star of streaks

// The beach sky's picture row (v from the top) of an elevation in degrees
// (from kBeachSkyLowest to 90), and back: low elevations get more rows.
double beachSkyRow(double elevation);
double beachSkyElevation(double row);

}  // namespace vestora::generate::scenes
