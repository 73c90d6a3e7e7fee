// The default wardrobe's garments, designed on the default body: garments
// that hang round the body (a dress and a top) are rings of particles laid
// over the body's horizontal sections, bridging every hollow as cloth does,
// with shoulder straps over the shoulders; a garment still to be sewn (the
// skirt) is a set of flat pattern pieces in front of and behind the body,
// joined by seams.
#pragma once

#include <string>

#include "avatar/avatar.h"
#include "cloth/garment_mesh.h"

namespace vestora::generate {

// A garment that hangs round the body. Heights are above the floor, in cm.
struct HangingStyle {
  float hemCm = 55;            // the lower edge
  float sideTopCm = 121;       // the upper edge under the arms
  float frontTopCm = 131;      // the upper edge at the front between the straps
  float backTopCm = 127;       // the upper edge at the back
  float clearanceCm = 0.6f;    // between the body (or the hull of its section) and the cloth
  float flare = 0.2f;          // widening of the hem over the hip ring
  float rowCm = 1.6f;          // spacing of the rings
  int columns = 72;            // particles round a ring
  float strapCentreCm = 9.5f;  // distance of a strap from the body's middle
  int strapRails = 3;          // particles across a strap
  float textureRepeatCm = 25;  // the fabric image covers this many cm
  std::string texture;         // the fabric image's file name
};

// Builds the garment round `body` (the default body, loaded and standing):
// particles, triangles with their corner texture coordinates, one spring
// per mesh edge, neighbour lists, front (piece 0, side code front) and back
// (piece 1, side code back) pieces. No seams, no bindings.
GarmentMesh hangingGarment(const Avatar& body, const HangingStyle& style);

// A skirt as two flat panels, one in front of the body and one behind it,
// with the left and the right side edges joined by seams 0 and 1.
struct SkirtStyle {
  float waistCm = 100;  // height of the waistband
  float hemCm = 52;
  float hipDropCm = 18;   // the hip line below the waistband
  float easeCm = 4;       // added to half of each girth per panel at the hip
  float waistEaseCm = 1;  // the same at the waistband, which holds the skirt up
  float hemFlareCm = 14;  // extra width of each panel at the hem over the hip line
  float rowCm = 1.6f;
  int columns = 25;
  float gapCm = 5;  // between the body's front (or back) and its panel
  float textureRepeatCm = 25;
  std::string texture;
};
GarmentMesh skirtPanels(const Avatar& body, const SkirtStyle& style);

}  // namespace vestora::generate
