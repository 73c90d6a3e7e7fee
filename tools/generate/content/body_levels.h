// Where a tailor measures a figure: the heights of its girth levels and its
// landmark points, found on the body mesh itself. The content generator
// uses them to place the fixed vertex numbers and to record each body's
// intended dimensions.
#pragma once

#include <map>
#include <string>

#include "body/figure.h"
#include "body/mesh.h"

namespace vestora::generate {

struct BodyLevels {
  double top = 0, floor = 0;
  double crotch = 0;     // top of the gap between the thighs
  double bust = 0;       // the most forward point of the chest
  double underBust = 0;  // the fold under the bust
  double waist = 0;      // narrowest trunk level
  double abdomen = 0;    // navel level
  double hip = 0;        // fullest hips (with the buttocks)
  double thigh = 0;      // just below the gluteal fold
  double midThigh = 0;
  double knee = 0;
  double calf = 0;       // fullest calf
  double ankle = 0;      // narrowest above the ankle bone
  double ankleBase = -1; // when set: the ankle girth is the narrowest from 0.1 to 10.1 cm above this
  double neck = 0;       // under the larynx
};

// The woman's levels taken at her fixed points, where the program's own
// measurement takes them: the waist, abdomen, hip, thigh, knee and calf at
// their records' heights, the bust at the mean height of the two bust
// points, the ankle window above its record.
BodyLevels womanLevelsAtFixedPoints(const Mesh& body, const FigureShape& shape);

// The levels of the same body scaled by k about the floor.
BodyLevels scaledLevels(const BodyLevels& levels, double k);

// Levels of a figure's mesh (centimetres). The leg levels are those of the
// right leg (x < 0).
BodyLevels findLevels(const Mesh& body, const FigureShape& shape);

// Girths and lengths of a body as a tailor takes them, in centimetres,
// by name: "height", "bust", "underBust", "waist", "abdomen", "hip",
// "thigh", "midThigh", "knee", "calf", "ankle", "neck", "upperArm",
// "wrist", "shoulderBreadth", "inseam". Trunk girths that bridge hollows
// (bust, hip) are tape lengths (convex perimeters); the others follow the
// skin.
std::map<std::string, double> tailorMeasures(const Mesh& body, const FigureShape& shape, const BodyLevels& levels,
                                             int shoulderLeft, int shoulderRight, int crotch, int crotchFloor);

}  // namespace vestora::generate
