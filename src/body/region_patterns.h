// The shaping pattern of each body region: which control points of its
// lattice move, and by what fraction of the amount. The girth patterns take
// the amount a = dz of the amount vector.
#pragma once

#include <string_view>

#include "body/shape_lattice.h"

namespace vestora {

// Which side of the body a collar region lies on: the outer end of the
// shoulder is the lattice's last column on the left (x > 0), its first on
// the right.
enum class BodySide { Left, Right, Middle };

// Moves the lattice's control points by the pattern named `pattern`
// (" Chest", " ChestBase", " Waist", " WaistAbdomen", " HipBase",
// " Buttocks", " Inseam", " Thigh", " Calf", " Knee", " NeckBase",
// " Shoulder", " ShoulderSlope"). Returns false for a name without a
// pattern (nothing moves).
bool applyRegionPattern(std::string_view pattern, ShapeLattice& lattice, const Vec3f& amount,
                        BodySide side = BodySide::Middle);

}  // namespace vestora
