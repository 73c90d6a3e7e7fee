// Pictures of a garment for the wardrobe and the store: the garment drawn
// by a small software rasteriser over a light grey silhouette of the body
// it was designed on, on white. Orthographic, from the front or the back,
// z-buffered, Lambert-shaded with the garment's fabric, antialiased by
// supersampling. The same arguments give the same pixels.
#pragma once

#include <cstdint>
#include <vector>

#include "avatar/avatar.h"
#include "cloth/garment_mesh.h"

namespace vestora::generate {

enum class PictureView { Front, Back };

// A square fabric picture that tiles: size × size RGB pixels, top row first.
struct FabricImage {
  int size = 0;
  std::vector<std::uint8_t> rgb;
};

// width × height RGB pixels, 3 bytes each, top row first. The garment fills
// the picture's height (or width) but for a small margin, centred; the body
// is drawn where it falls inside that frame. Throws std::invalid_argument
// when a size is outside 8 to 4096, the garment has no particles or the
// fabric is empty.
std::vector<std::uint8_t> drawGarmentPicture(const Avatar& body, const GarmentMesh& garment,
                                             const FabricImage& fabric, PictureView view, int width,
                                             int height);

}  // namespace vestora::generate
