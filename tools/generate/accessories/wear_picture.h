// Product pictures of the worn accessories for the wardrobe: the models
// drawn by a small software rasteriser, orthographic, z-buffered,
// supersampled, lit by a key and a fill light with highlights, textured,
// with a soft shadow under them, on white.
#pragma once

#include <functional>
#include <vector>

#include "accessories/wear_mesh.h"
#include "accessories/wear_textures.h"

namespace vestora::generate::wear {

// How one part of a mesh looks.
struct Look {
  const Image* texture = nullptr;  // when set, its colour (and alpha, tested at one half)
  Colour colour = rgb(200, 200, 200);
  double opacity = 1;      // below 1: drawn blended over the opaque parts
  double specular = 0.15;  // strength of the highlights
  double shininess = 24;
};

struct PictureItem {
  const WearMesh* mesh = nullptr;
  std::function<Look(const WearPart&)> look;
};

struct Viewpoint {
  double azimuth = 30;    // degrees about the vertical, from the front (+z) towards +x
  double elevation = 20;  // degrees above the horizon
  double margin = 0.08;   // of the picture's size, on every side
  bool shadow = true;     // a soft shadow below the items
};

// width × height pixels, the items filling the picture but for the margin.
// Throws std::invalid_argument when a size is outside 8 to 2048 or there
// is nothing to draw.
Image drawPicture(const std::vector<PictureItem>& items, const Viewpoint& view, int width,
                  int height);

}  // namespace vestora::generate::wear
