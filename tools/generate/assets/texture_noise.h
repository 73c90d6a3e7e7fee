// Building blocks of the tileable textures: periodic noise, a cosine and a
// supersampling pixel loop. Only +, -, *, /, floor and sqrt are used, so the
// results are the same on every machine.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "generate/assets/splitmix.h"

namespace vestora::generate::texture {

// A working colour: sRGB values, 0 to 255 a channel, clamped only when stored.
using Colour = std::array<double, 3>;

inline Colour mix(const Colour& a, const Colour& b, double t) {
  return {a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t};
}
inline Colour scale(const Colour& c, double s) {
  return {c[0] * s, c[1] * s, c[2] * s};
}

inline double smoothstep(double edge0, double edge1, double x) {
  const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

// How bright a surface with the normal (nx, ny, 1) looks under a light from
// the upper left, a little above the picture: `ambient` where it faces away
// from the light, 1 where it lies flat.
inline double lightFromUpperLeft(double nx, double ny, double ambient) {
  constexpr double kX = -0.42, kY = -0.52, kZ = 0.744;
  const double length = std::sqrt(nx * nx + ny * ny + 1);
  const double diffuse = std::max(0.0, (nx * kX + ny * kY + kZ) / length);
  return ambient + (1 - ambient) * diffuse / kZ;
}

// cos(2π·turns), to about 1e-9.
double cosTurns(double turns);
inline double sinTurns(double turns) {
  return cosTurns(turns - 0.25);
}

// Wraps `d` into [-period/2, period/2): the offset to the nearest copy of a
// point on a torus.
inline double wrapOffset(double d, double period) {
  return d - period * std::floor(d / period + 0.5);
}

inline int wrapIndex(int i, int count) {
  return ((i % count) + count) % count;
}

// A uniform number in [0, 1) for a seed and two integers.
double hashUnit(std::uint64_t seed, std::int64_t a, std::int64_t b = 0);

// Gradient noise on a lattice of periodX × periodY cells that repeats at the
// lattice's edges. Takes lattice coordinates; gives about -1 to 1.
class PeriodicNoise {
 public:
  PeriodicNoise(std::uint64_t seed, int periodX, int periodY);
  double operator()(double x, double y) const;

 private:
  int periodX_, periodY_;
  std::vector<std::array<double, 2>> gradients_;
};

// Fractal sum of periodic noise over a picture of width × height pixels,
// the coarsest octave `cellPixels` wide; takes pixel coordinates, gives
// about -1 to 1. Each octave halves the cell and keeps a whole number of
// cells across the picture, so the sum tiles.
class TileFractal {
 public:
  TileFractal(std::uint64_t seed, int width, int height, double cellPixels, int octaves,
              double gain = 0.5);
  double operator()(double x, double y) const;

 private:
  struct Octave {
    PeriodicNoise noise;
    double toLatticeX, toLatticeY, weight;
  };
  std::vector<Octave> octaves_;
};

// Smooth random profiles along threads: `threads` independent closed curves,
// each with `knots` random values in -1 to 1 joined by Catmull-Rom splines.
class ThreadNoise {
 public:
  ThreadNoise(std::uint64_t seed, int threads, int knots);
  // `along` runs from 0 to 1 around the thread; `thread` wraps.
  double operator()(int thread, double along) const;

 private:
  int threads_, knots_;
  std::vector<double> values_;
};

// Renders width × height pixels, top row first, each the mean of
// samples × samples evaluations of `shade(x, y)` at pixel coordinates
// (0, 0 the top left corner of the picture), into 8-bit RGB.
template <typename Shade>
std::vector<std::uint8_t> render(int width, int height, int samples, Shade&& shade) {
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
  const double weight = 1.0 / (samples * samples);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      Colour sum{0, 0, 0};
      for (int sy = 0; sy < samples; ++sy)
        for (int sx = 0; sx < samples; ++sx) {
          const Colour c = shade(x + (sx + 0.5) / samples, y + (sy + 0.5) / samples);
          for (int k = 0; k < 3; ++k) sum[k] += c[k];
        }
      std::uint8_t* out = &rgb[3 * (static_cast<std::size_t>(y) * width + x)];
      for (int k = 0; k < 3; ++k)
        out[k] = static_cast<std::uint8_t>(std::clamp(sum[k] * weight + 0.5, 0.0, 255.0));
    }
  return rgb;
}

}  // namespace vestora::generate::texture
