// Laying a garment's pattern pieces round the body before they are sewn:
// the front pieces in front, the back pieces behind, each row of cloth bent
// round the body at its own height.
#pragma once

#include "avatar/avatar.h"
#include "cloth/garment_mesh.h"

namespace vestora {

// How far outside the body's section the pieces are laid (model units, 1 cm).
inline constexpr float kPlacementGap = 0.1f;

// Wraps the front pieces (side code front) and the back pieces (side code
// back) round the body. At every height the convex outline of the trunk's
// section (the torso, or both legs; arms and hands are left out) is taken
// kPlacementGap outwards, and further out where the cloth's width at that
// height (front and back together) is larger than its perimeter; a
// particle's x distance from its side's middle becomes its distance along
// that outline, from the front or the back. Heights stay. Pieces of other
// side codes and particles of no piece stay where they are. False, and
// nothing moved, when there is no front or back piece or the body has no
// section at the garment's heights.
bool PlacePiecesAroundBody(GarmentMesh& garment, const Avatar& body);

}  // namespace vestora
