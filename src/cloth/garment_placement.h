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
// back) round the body. The garment first moves up or down (at most 40 cm)
// to where its cloth goes round the trunk, so that a garment made for
// another figure does not start squeezed over the hips; one that fits
// where it is stays there. Then at every height the convex outline of the
// trunk's section (the torso, or both legs; arms and hands are left out)
// is taken kPlacementGap outwards, and further out where the cloth's width
// at that height (front and back together) is larger than its perimeter; a
// particle's x distance from its side's middle becomes its distance along
// that outline, from the front or the back. Pieces of other side codes and
// particles of no piece only move up or down with the rest. False, and
// nothing moved, when there is no front or back piece or the body has no
// section at the garment's heights.
bool PlacePiecesAroundBody(GarmentMesh& garment, const Avatar& body);

}  // namespace vestora
