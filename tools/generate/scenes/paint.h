// Small helpers the scene pictures are painted with.
#pragma once

#include <algorithm>
#include <cstdint>

#include "accessories/wear_textures.h"
#include "assets/texture_noise.h"

namespace vestora::generate::scenes::paint {

inline constexpr double kPi = 3.14159265358979323846;

using wear::Colour;
using wear::Image;

// Fills a size × size picture from `shade(x, y)` at pixel coordinates (the
// top left corner of the picture at 0, 0), `samples` × `samples` per pixel.
template <typename Shade>
Image picture(int size, int samples, Shade&& shade) {
  Image image(size, size);
  const double w = 1.0 / (samples * samples);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      Colour sum{0, 0, 0, 0};
      for (int sy = 0; sy < samples; ++sy)
        for (int sx = 0; sx < samples; ++sx) {
          const Colour c = shade(x + (sx + 0.5) / samples, y + (sy + 0.5) / samples);
          sum.r += c.r, sum.g += c.g, sum.b += c.b, sum.a += c.a;
        }
      image.at(x, y) = {sum.r * w, sum.g * w, sum.b * w, sum.a * w};
    }
  return image;
}

// mix with t clamped to [0, 1].
inline Colour blend(const Colour& a, const Colour& b, double t) {
  return wear::mix(a, b, std::clamp(t, 0.0, 1.0));
}

// A fine dither against banding in smooth gradients: ±1 level.
inline Colour dithered(Colour c, std::uint64_t seed, double x, double y) {
  const double d = texture::hashUnit(seed, std::int64_t(x), std::int64_t(y)) * 2 - 1;
  c.r += d, c.g += d, c.b += d;
  return c;
}

}  // namespace vestora::generate::scenes::paint
