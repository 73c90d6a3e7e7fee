// The dressed avatar as a Wavefront OBJ text: the body's triangles in one
// group per body group and the garment as drawn in a group of its own, for
// viewing the result of a fit in any model viewer.
#pragma once

#include <string>

#include "avatar/avatar.h"
#include "cloth/garment_mesh.h"

namespace vestora {

// Positions are in the avatar's working units. The garment group is named
// "garment"; an empty garment adds nothing.
std::string formatDressedObj(const Avatar& avatar, const GarmentMesh& garment);

}  // namespace vestora
