// Checks of a hair model where it sits on its head: that it covers the
// scalp closely without cutting into it, stays clear of the body and the
// face, and is a clean mesh. Each returns what it found; the generator
// refuses a style that fails.
#pragma once

#include <string>
#include <vector>

#include "accessories/hair_head.h"
#include "accessories/hair_mesh.h"

namespace vestora::generate::hair {

struct CoverageReport {
  int scalpPoints = 0;    // head vertices inside the hairline checked
  int uncovered = 0;      // with no hair over them within `reach`
  int inside = 0;         // with hair under the skin or touching it
  double closest = 1e30;  // the smallest gap between scalp and hair over it
  double farthest = 0;    // the largest gap to the nearest hair
};
// For every head vertex `margin` radians inside the hairline: the hair
// seen from the head's centre through the vertex lies at least `minGap`
// beyond it, and hair lies within `reach` of it.
// The failing vertices go to `offenders` when given.
CoverageReport scalpCoverage(const Head& head, const HairMesh& mesh, double margin, double minGap,
                             double reach, std::vector<Vec3>* offenders = nullptr);

struct ClearanceReport {
  double closest = 1e30;  // the smallest clearance of a hair vertex from the body
  int within = 0;         // hair vertices closer than the limit
};
ClearanceReport bodyClearance(const Head& head, const HairMesh& mesh, double limit);

// Hair vertices in front of the eyes.
int verticesOverEyes(const Head& head, const HairMesh& mesh);

}  // namespace vestora::generate::hair
