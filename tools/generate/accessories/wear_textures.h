// Pictures of the worn accessories: a small RGBA image type, the noises
// their materials are made of (value noise, fractal sums and cellular
// noise in 3D, so that a material painted on a model's surface keeps its
// grain size wherever the picture is stretched) and the file encodings.
// Everything is deterministic.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "body/vec.h"

namespace vestora::generate::wear {

// Colours are 0 to 255 a channel, alpha 0 (clear) to 1.
struct Colour {
  double r = 0, g = 0, b = 0, a = 1;
};
Colour mix(const Colour& x, const Colour& y, double t);
Colour shade(const Colour& c, double factor);  // rgb × factor, alpha kept
Colour rgb(int r, int g, int b);

struct Image {
  int width = 0, height = 0;
  std::vector<Colour> pixels;  // top row first
  Image() = default;
  Image(int w, int h, Colour fill = {});
  Colour& at(int x, int y) { return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
  const Colour& at(int x, int y) const {
    return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)];
  }
  // Bilinear, clamped at the edges; (u, v) with v from the top row.
  Colour sample(double u, double v) const;
};

std::vector<std::uint8_t> rgbBytes(const Image& image);
std::vector<std::uint8_t> rgbaBytes(const Image& image);
std::vector<std::uint8_t> jpegOf(const Image& image, int quality);
// 32-bit uncompressed TGA with the alpha channel.
std::vector<std::uint8_t> tgaOf(const Image& image);
// 24-bit BMP.
std::vector<std::uint8_t> bmpOf(const Image& image);

// ---- noise ----------------------------------------------------------

// A number in [0, 1) for a seed and three integers.
double hash3(std::uint64_t seed, std::int64_t i, std::int64_t j, std::int64_t k);
// Smooth value noise, about −1 to 1, one lattice cell per unit.
double valueNoise(const Vec3& p, std::uint64_t seed);
// Fractal sum of `octaves` octaves, each half the size and weight.
double fractal(const Vec3& p, std::uint64_t seed, int octaves);
// Cellular noise: the distances to the nearest and second nearest of one
// random point per unit cell.
std::array<double, 2> cellular(const Vec3& p, std::uint64_t seed);

// Pebbled leather: a height from 0 (the creases between the pebbles) to 1
// (their tops) at a point, pebbles `size` units across.
double leatherGrain(const Vec3& p, double size, std::uint64_t seed);

// A dashed stitch: 1 on a stitch, 0 between, soft at the ends. `along` in
// the units of `period`; `across` the distance from the seam's line, in
// the units of `width`.
double stitch(double along, double across, double period, double width);

}  // namespace vestora::generate::wear
