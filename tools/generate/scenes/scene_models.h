// The three scene environments as designed, in world units (see
// scene_layout.h): the sky dome over the lake, the room and the beach.
#pragma once

#include "scenes/scene_mesh.h"

namespace vestora::generate::scenes {

// One group " skydome" (picture 607): the hemisphere and the ring of
// ground between its rim and the mirror floor's quad.
SceneMesh skyDomeMesh();
// " polymsh37" the floor (604); " polymsh38" walls, ceiling, two windows,
// a sofa with cushions, a side table with a vase and a bench (605).
SceneMesh roomMesh();
// " lou" sand (602), " tiankong" the sky (606), " hai" the sea (603),
// " shu" two palms (Tree.tga).
SceneMesh beachMesh();

// The sand's height at (x, z): the avatar's floor round her, falling under
// the sea behind her, dunes far off on the land side.
double sandHeight(double x, double z);

}  // namespace vestora::generate::scenes
