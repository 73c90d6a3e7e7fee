// The sheets a hair style is made of, laid on a measured head:
//
//  - the scalp cover: one dense sheet right over the scalp, combed out from
//    the crown to the hairline, so that no skin shows between the sheets
//    above it;
//  - combed and hanging hair: sheets combed from a parting over the scalp,
//    leaving it where it would fall and hanging from there under gravity
//    round the face, the ears, the neck and the shoulders to a cut line;
//  - hair gathered to a tie: sheets combed from the hairline to a point of
//    the head, and the tail that hangs from the tie.
//
// Every sheet is a lattice of strands (root to tip) that the texture draws
// strands along; the outer sheets can break into locks that narrow at their
// tips.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "accessories/hair_head.h"
#include "accessories/hair_mesh.h"

namespace vestora::generate::hair {

// A texture band: the rows of the picture that a sheet's strands run down,
// from the root's row to the tip's.
struct Band {
  double top = 0, bottom = 1;  // fractions of the picture's height
};

// How hanging hair falls.
struct Drape {
  double step = 0.03;       // units between the points of a hanging strand
  double stiffness = 0.22;  // how much of the turn towards its pull a strand makes each step
  double sweepBack = 0;     // hair beside the face falls backwards (behind the shoulders)
  double forward = 0;       // hair in front of the ears falls forwards (over the shoulders' front)
  double inward = 0;        // hair behind the ears is drawn in towards the neck
  double flip = 0;          // the ends turn outwards
  double curl = 0;          // the ends turn under
  double endZone = 0.35;    // units of length over which the ends turn
  double wave = 0;          // amplitude of waves across the strand (units)
  double wavelength = 0.6;  // units along the fall
  double flare = 0;         // hair stands away from the head as it falls (per unit fallen)
};

// Where the hair ends: the y of the tips by the azimuth at which a strand
// leaves the scalp (degrees, -180 to 180, straight lines between knots).
struct CutLine {
  std::vector<std::array<double, 2>> knots;  // (phi, y), phi increasing
  double shift = 0;                          // added below the knots where they are long
  double shiftFrom = 60;                     // |phi| (degrees) from which the full shift applies
  double y(double phiRadians) const;
};

struct SheetLayer {
  double offset = 0.04;  // above the scalp where the strands leave it
  double lift = 0;       // more above the top of the head (volume)
  double shorter = 0;    // the tips end this much higher
  Band band;
  double uShift = 0;
  int lockColumns = 0;  // > 0: broken into locks of this many strands
  double clump = 0;     // how much a lock's strands gather at its tip (0 to 1)
  double jitter = 0;    // random length (units) and direction of the locks
};

// Hair combed from a parting (a segment of the chart from its front end to
// its back end) and hanging from the scalp.
struct CombedHair {
  ChartPoint partFront, partBack;
  // How far the strands from the parting's front end spread forwards on
  // each side (degrees from sideways; 90 gives a full fringe).
  double fringeLeft = 0, fringeRight = 0;
  int columns = 72, rows = 28;
  std::vector<SheetLayer> layers;
  Drape drape;
  CutLine cut;
  double tileWidth = 1.4;  // units of hair across one repeat of the texture
  std::uint64_t seed = 1;
};

// Hair combed back from the whole hairline to a tie and the tail that
// hangs from it.
struct TiedHair {
  ChartPoint tie;           // where the hair is gathered
  double tieRadius = 0.12;  // chart radians of the gathered bundle
  int columns = 72, rows = 14;
  std::vector<SheetLayer> capLayers;
  Band knotBand;  // the tie over the gathered hair
  // The tail.
  double tailLength = 1.8;  // units along its middle
  double tailDrop = 25;     // degrees below the head's outward direction it leaves at
  double tailWidth = 0.22, tailDepth = 0.15;  // half-axes at its fullest
  double tailStiffness = 0.12;
  int tailColumns = 18, tailRows = 30;
  std::vector<SheetLayer> tailLayers;  // offset: scale of the cross-section (outer = 1)
  double tileWidth = 1.4;
};

// What a builder adds: lattices with the point each wraps round.
struct Sheet {
  Lattice lattice;
  enum class Inside { HeadCentre, TailAxis } inside = Inside::HeadCentre;
  std::vector<Vec3> axis;  // the tail's middle line, by row
};

// The scalp cover: strands from the chart point `whorl` out to the
// hairline, `offset` above the scalp.
Sheet scalpCover(const Head& head, ChartPoint whorl, double offset, int columns, int rows,
                 Band band, double tileWidth);

std::vector<Sheet> combedHair(const Head& head, const CombedHair& plan);

// The cap sheets go to `capGroup`, the knot and the tail to `tailGroup`.
struct TiedSheets {
  std::vector<Sheet> cap, tail;
};
TiedSheets tiedHair(const Head& head, const TiedHair& plan);

// Adds sheets to a mesh group.
void addSheets(HairMesh& mesh, int group, const Head& head, const std::vector<Sheet>& sheets);

}  // namespace vestora::generate::hair
