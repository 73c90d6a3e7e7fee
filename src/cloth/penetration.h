// How far a garment lies inside the body: which particles are enclosed by
// the body's closed surface and how deep below it they lie.
#pragma once

#include <vector>

#include "avatar/avatar.h"
#include "cloth/garment_mesh.h"

namespace vestora {

struct Penetration {
  int count = 0;          // particles inside the body
  double fraction = 0;    // of all particles
  int deeperThan2mm = 0;  // inside by more than 2 mm
  float maxDepthCm = 0;   // the deepest, cm
};

// Tests every particle against the avatar's current body. Inside is decided
// by the parity of the crossings of a ray with the body's closed surfaces
// (groups of open strips, the eyelashes, are left out); the depth is the
// distance to the nearest body triangle.
Penetration measurePenetration(const Avatar& avatar, const std::vector<GarmentParticle>& particles);

}  // namespace vestora
