// How a worn garment fits: the stretch of its cloth particle by particle,
// the fit map's colour for a stretch, and the ease at the bust, waist and
// hip (the garment's girth there less the body's).
//
// Strain is dimensionless: current length / rest length − 1, positive where
// the cloth is stretched (tight), negative where it is compressed or slack
// (loose). Girths and ease are in centimetres.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "avatar/avatar.h"
#include "cloth/garment_mesh.h"

namespace vestora {

// Edges with a rest length at or below this (model units) carry no strain.
inline constexpr float kMinStrainRest = 1e-6f;

// The strain of every particle: the mean strain of the edges that use it, 0
// for a particle no edge uses. An edge naming a particle that does not exist,
// with a rest length at or below kMinStrainRest, or with a length that is not
// a number counts for neither of its ends.
std::vector<float> particleStrain(std::span<const GarmentParticle> particles,
                                  std::span<const GarmentEdge> edges);
// The same for the garment's particles where they are now.
std::vector<float> particleStrain(const GarmentMesh& garment);

// Percentiles of the particles' strain (nearest rank: the smallest value
// with at least that share of the particles at or below it). All zero when
// there are no particles.
struct StrainSummary {
  float p50 = 0, p95 = 0, max = 0;
};
StrainSummary summariseStrain(std::span<const float> strain);

struct Rgb8 {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb8&) const = default;
};

// The fit map shows strain from −kFitMapRange (loose, blue) through 0
// (neutral, warm light grey) to +kFitMapRange (tight, orange to red);
// strains beyond take the end colours. On the default body the draped top
// lies between −4 % and +3.5 % (5th to 95th percentile) and the dress at 0
// with slack down to −8 %; a heavier body stretches both to +10 % and more.
inline constexpr float kFitMapRange = 0.10f;

struct FitMapStop {
  float strain;
  Rgb8 colour;
};
// The colour scale's stops, loosest first, for the map and its legend;
// colours between stops are interpolated linearly. The red channel never
// falls and the blue never rises from one stop to the next.
inline constexpr std::array<FitMapStop, 5> kFitMapStops = {{
    {-kFitMapRange, {40, 110, 235}},
    {-kFitMapRange / 2, {140, 180, 232}},
    {0.0f, {236, 234, 228}},
    {kFitMapRange / 2, {242, 150, 60}},
    {kFitMapRange, {246, 40, 30}},
}};

// The fit map's colour of a strain; a strain that is not a number is shown
// as neutral.
Rgb8 fitMapColour(float strain);

// Ease at the body's bust (chest), waist and hip girths: the garment's girth
// in the plane where the body measurement takes that girth, less the girth
// the measurement reports (centimetres). nullopt where the garment does not
// go round the trunk in that plane, or the body has no such girth.
struct EaseReport {
  std::optional<float> bust, waist, hip;
  StrainSummary strain;
};

// The garment's girth in a plane is taken as a tape measure over cloth
// takes it: the perimeter of the convex hull of the garment's section round
// the trunk, which spans hollows, folds and the small gaps seams leave (the
// length of the section's own loops would count every fold and break at
// every seam). The section is cut from the garment's triangles; its connected
// pieces that lie nearer the body's trunk loop than to any other loop of the
// body's section (arms, hands) count, and only when together they go round
// the trunk without a gap wider than kMaxEaseGapDegrees as seen from the
// trunk loop's centre.
inline constexpr float kMaxEaseGapDegrees = 30.0f;

// The fit of the garment (its particles where they are now) on the avatar.
EaseReport fitReport(const Avatar& avatar, const GarmentMesh& garment);

}  // namespace vestora
