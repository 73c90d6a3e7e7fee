// Drawing of the dressed garments: the worn garment and the layers kept
// under it, as lit triangles with the fabric texture or a fabric colour.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "cloth/garment_mesh.h"

namespace vestora {

// The colour of a garment without a fabric picture.
inline constexpr std::array<float, 3> kPlainFabricColour{0.42f, 0.55f, 0.72f};

// Draws the garment's triangles at the positions of its drawing copy (the
// particles when the copy is incomplete), with smooth normals from those
// positions, lit from both sides. `texture` (0 = none) is applied with the
// triangles' texture coordinates (the particles' own when a triangle has
// none), in white; without it the garment takes kPlainFabricColour.
void DrawGarment(const GarmentMesh& garment, unsigned texture);

}  // namespace vestora
