// Shoes and socks, built round the feet of a loaded body.
//
// Each foot's item is one closed shell: an outer and an inner surface and
// the narrow rim between them round the opening. Both surfaces are level
// sets of the distance from the skin (the inner `innerClearance` away, the
// outer `outerClearance`), found along rays from a point inside the foot
// below the ankle; the outer one is joined with a flat-bottomed sole when
// the style has one. The rays are spread over a sphere whose pole points
// up the leg: the opening is the cap round the pole that the style leaves
// uncovered, so that the rim is a row of the grid.
//
// The grid of the right foot also paints the picture: a texel is a point
// of the surface, and the style's material says its colour there.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "accessories/wear_mesh.h"
#include "accessories/wear_surface.h"
#include "accessories/wear_textures.h"

namespace vestora::generate::wear {

// A foot measured on the body.
struct FootFrame {
  bool right = true;
  Vec3 origin;                // the rays' origin: inside the foot, below the ankle
  Vec3 forward, up, outside;  // unit vectors; `outside` points away from the other foot
  double heel = 0, toe = 0;  // along `forward` from the origin to the heel's back and the toes' tip
  double halfWidth = 0;      // half the foot's width
  double floorY = 0;         // the foot's lowest point
  Vec3 centre;  // the middle of the foot's box at the ankle's line (for the lateral measure)
};
FootFrame measureFoot(const Avatar& body, bool right);

// Where a point of the item lies on the foot.
struct FootPlace {
  Vec3 p;
  double s = 0;       // along the foot: 0 at the heel's back, 1 at the toes' tip
  double h = 0;       // above the foot's lowest point
  double lat = 0;     // across: −1 inside (towards the other foot) to 1 outside
  double edge = 0;    // along the surface from the opening's edge
  double around = 0;  // round the opening, along the row (0 at the front)
  bool lining = false;
};
FootPlace placeOnFoot(const FootFrame& f, const Vec3& p);

struct FootwearStyle {
  std::string name;
  double innerClearance = 0.026, outerClearance = 0.045;
  // The sole: a slab with a flat bottom at `soleBottom` (model y), reaching
  // `soleHeight` up and `soleMargin` beyond the upper's outline measured
  // `soleReference` above the floor; edges rounded by `soleRound`.
  bool sole = true;
  double soleBottom = 0, soleHeight = 0.08, soleMargin = 0.03, soleReference = 0.12,
         soleRound = 0.012;
  // The part of the foot the item covers.
  std::function<bool(const FootPlace&)> covered;
  int columns = 96;    // round the opening
  int outerRows = 44;  // from the opening to the bottom's pole
  int innerRows = 28;
  // The picture, painted by the material at each texel's point.
  int pictureSize = 512;
  std::function<Colour(const FootPlace&)> material;
};

// The items of both feet and the right one's picture.
struct Footwear {
  WearMesh mesh;  // both feet
  Image picture;
  int rightSeatCandidate =
      -1;  // the right item's vertex at the back of the heel (see seatVertexNear)
  std::vector<int> rightOuter;  // the right item's outer vertices, by row and column
  int rows = 0, columns = 0;
  double lowest = 0;  // the lowest y of the item
};

// Builds the item on both feet of `body`. `skin` holds the body's skin
// round the feet. Throws std::runtime_error when a ray finds no surface.
Footwear buildFootwear(const Avatar& body, const SurfaceField& skin, const FootwearStyle& style);

// The outer vertex of the right item nearest the back of the heel at the
// height of `target` (a body point at the back of the heel).
int seatVertexNear(const Footwear& item, const Vec3& target);

// The skin round both feet, up to `height` above the floor.
SurfaceField feetSkin(const Avatar& body, double height);

// A smooth step from 0 (x ≤ a) to 1 (x ≥ b).
double ramp(double a, double b, double x);

}  // namespace vestora::generate::wear
