// Implicit descriptions of a body: signed-distance-like primitives combined
// by smooth union. Negative inside, positive outside, units of centimetres.
#pragma once

#include <cstdint>
#include <vector>

#include "body/vec.h"

namespace vestora::generate {

// Which part of the body a primitive builds. A field can be evaluated with a
// subset of parts, so that a variant's surface is sought only among the
// parts a vertex may belong to (the left thigh never snaps onto the right).
enum class Part : std::uint8_t { Head, Neck, Torso, ArmLeft, ArmRight, LegLeft, LegRight, Count };
using PartMask = std::uint32_t;
inline constexpr PartMask bit(Part p) { return PartMask(1) << static_cast<int>(p); }
inline constexpr PartMask kAllParts = (PartMask(1) << static_cast<int>(Part::Count)) - 1;

// Cross-section of the trunk at one height: half width along x, depth in
// front of and behind the centre line, centre in z.
struct TrunkSection {
  double y;
  double halfWidth;
  double front;
  double back;
  double centreZ;
};

struct Primitive {
  enum class Kind : std::uint8_t { RoundCone, Ellipsoid, Trunk, Tube } kind;
  // RoundCone: axis a → b with radii ra, rb.
  Vec3 a, b;
  double ra = 0, rb = 0;
  // Ellipsoid: centre a, radii `radii`, orientation (local → world).
  Vec3 radii;
  Rotation orientation;
  // Trunk: sections from bottom to top, interpolated smoothly in y.
  std::vector<TrunkSection> sections;
  // Tube: an axis polyline with a radius at each point, the radius
  // interpolated smoothly along the axis (arc length in `arc`).
  std::vector<Vec3> axis;
  std::vector<double> axisRadii, arc;
  // Depth (along z) over width of the cross-section at each axis point;
  // empty for round sections.
  std::vector<double> axisAspect;

  double distance(const Vec3& p) const;
  // A sphere that holds the primitive: for skipping far primitives.
  Vec3 boundCentre;
  double boundRadius = 0;
};

Primitive roundCone(const Vec3& a, const Vec3& b, double ra, double rb);
Primitive ellipsoid(const Vec3& centre, const Vec3& radii, const Rotation& orientation = {});
Primitive trunk(std::vector<TrunkSection> sections);
Primitive tube(std::vector<Vec3> axis, std::vector<double> radii, std::vector<double> aspect = {});

// Cubic smooth minimum and maximum with blend width k (C2 continuous).
double smoothMin(double a, double b, double k);
double smoothMax(double a, double b, double k);

class BodyField {
 public:
  // Adds a primitive by smooth union (blend width `blend`), or carves it out
  // (smooth subtraction) when `carve` is set.
  void add(Primitive primitive, Part part, double blend, bool carve = false);
  // Adds two primitives that meet each other with a narrow blend
  // (`innerBlend`) and the rest of the body with a wide one (`blend`): the
  // two legs, which must not web together where they come close.
  void addPair(Primitive a, Part partA, Primitive b, Part partB, double innerBlend, double blend);

  double value(const Vec3& p, PartMask mask = kAllParts) const;
  Vec3 gradient(const Vec3& p, PartMask mask = kAllParts, double h = 0.02) const;
  // The part whose primitive lies nearest to p (a vertex's home part).
  Part nearestPart(const Vec3& p) const;

  // Moves p onto the zero set along the gradient (Newton steps, each no
  // longer than `maxStep`).
  Vec3 project(Vec3 p, PartMask mask = kAllParts, int iterations = 8, double maxStep = 2.0) const;

  // Bounding box of the surface (from the primitives' bounds).
  void bounds(Vec3& lo, Vec3& hi) const;

  // Cuts everything below the floor (y = floorY) away, rounding the edge of
  // the cut with `blend`: flat soles.
  void setFloor(double floorY, double blend) {
    floorY_ = floorY;
    floorBlend_ = blend;
    hasFloor_ = true;
  }

 private:
  struct Term {
    Primitive primitive;
    Part part;
    double blend;
    bool carve;
    // The second primitive of a pair, if any.
    bool paired = false;
    Primitive second;
    Part secondPart = Part::Torso;
    double innerBlend = 0;
  };
  double termDistance(const Term& t, const Vec3& p, PartMask mask) const;
  std::vector<Term> terms_;
  bool hasFloor_ = false;
  double floorY_ = 0, floorBlend_ = 0;
};

}  // namespace vestora::generate
