// What GlView keeps of GL objects, shared by its source files.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "view/accessory_drawing.h"
#include "view/body_drawing.h"
#include "view/environment_drawing.h"
#include "view/gl_view.h"
#include "view/lens_flare.h"

namespace vestora {

struct GlView::Gl {
  unsigned backdrop = 0;
  std::array<std::array<unsigned, 3>, 2> logos{};  // quad, then normal / hover / pressed
  std::array<unsigned, 10> slots{};
  BodyDrawer body;
  AccessoryDrawer accessories;
  EnvironmentDrawer environment;
  LensFlare flare;
  // The fabric picture of the worn garment: asked for by the try-on,
  // loaded at the next frame (while the context is current).
  std::string garmentTextureWanted, garmentTextureLoaded;
  unsigned garmentTexture = 0;
};

// What the developer log reports once a second while the avatar breathes:
// the frames drawn, how far apart they came, how long drawing and the
// garment's refit took.
struct GlView::IdleStats {
  double windowStartMs = -1;
  double lastDrawMs = -1;                // when the last frame of the breath was drawn
  std::size_t lastIndex = ~std::size_t{0};  // and which it was
  std::vector<double> intervals, draws, refits;
};

// Logo quad corners in eye space, clockwise from the top left.
inline constexpr std::array<std::array<std::array<float, 3>, 4>, 2> kLogoCorners{{
    {{{3, -8, -40}, {7, -8, -40}, {7, -12, -40}, {3, -12, -40}}},
    {{{7, -8, -40}, {11, -8, -40}, {11, -12, -40}, {7, -12, -40}}},
}};

}  // namespace vestora
