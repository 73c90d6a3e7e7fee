// Drawing of the dressed garments: the worn garment and the layers kept
// under it, as lit triangles with the fabric texture, a fabric colour or
// the fit map's colours; and the pattern display, the pieces of a sewn
// garment laid out as they were cut.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "cloth/garment_mesh.h"

namespace vestora {

// The colour of a garment without a fabric picture.
inline constexpr std::array<float, 3> kPlainFabricColour{0.42f, 0.55f, 0.72f};
// The colour of kept layers (under the worn garment).
inline constexpr std::array<float, 3> kLayerFabricColour{0.78f, 0.74f, 0.68f};

// How cloth lying close to the body is kept in front of it: every kept
// layer is pulled towards the eye by kLayerDepthPull steps of the depth
// buffer (at the usual camera distance about 0.2 mm), the worn garment by
// twice that, so that neither the skin nor a layer shows through the
// cloth above it where the two almost touch. Anything a few millimetres
// in front still hides the cloth.
inline constexpr float kLayerDepthPull = 40.0f;
inline constexpr float kWornDepthPull = 80.0f;

struct GarmentLook {
  unsigned texture = 0;  // 0: none
  std::array<float, 3> colour = kPlainFabricColour;
  // One colour per particle (the fit map); when it has as many entries as
  // the garment has particles it replaces texture and colour.
  const std::vector<std::array<std::uint8_t, 3>>* particleColours = nullptr;
  float depthPull = 0;  // polygon offset towards the eye, in depth-buffer steps
};

// Draws the garment's triangles at the positions of its drawing copy (the
// particles when the copy is incomplete), with smooth normals from those
// positions, lit from both sides. A texture is applied with the triangles'
// texture coordinates (the particles' own when a triangle has none), in
// white.
void DrawGarment(const GarmentMesh& garment, const GarmentLook& look);
inline void DrawGarment(const GarmentMesh& garment, unsigned texture) {
  GarmentLook look;
  look.texture = texture;
  DrawGarment(garment, look);
}

// The edges of the garment's outline: those that belong to one triangle
// only (the cut edges of its pieces), each as a pair of particle numbers,
// the smaller first, in ascending order. Triangles with a particle number
// out of range are left out.
std::vector<std::array<std::int32_t, 2>> outlineEdges(const GarmentMesh& garment);

// The pattern display: the pieces where they lie (as cut, before sewing),
// each filled in a pale tint of its piece's colour and outlined along its
// cut edges, with the seams' paired points joined by thin lines.
void DrawPatternPieces(const GarmentMesh& garment);

}  // namespace vestora
