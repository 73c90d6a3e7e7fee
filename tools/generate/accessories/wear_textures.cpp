#include "accessories/wear_textures.h"

#include <algorithm>
#include <cmath>

#include "assets/assets.h"

namespace vestora::generate::wear {

Colour mix(const Colour& x, const Colour& y, double t) {
  return {x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t,
          x.a + (y.a - x.a) * t};
}

Colour shade(const Colour& c, double f) {
  return {c.r * f, c.g * f, c.b * f, c.a};
}

Colour rgb(int r, int g, int b) {
  return {double(r), double(g), double(b), 1};
}

Image::Image(int w, int h, Colour fill)
    : width(w), height(h), pixels(std::size_t(w) * std::size_t(h), fill) {}

Colour Image::sample(double u, double v) const {
  const double x = std::clamp(u * width - 0.5, 0.0, width - 1.0);
  const double y = std::clamp(v * height - 0.5, 0.0, height - 1.0);
  const int x0 = int(x), y0 = int(y);
  const int x1 = std::min(x0 + 1, width - 1), y1 = std::min(y0 + 1, height - 1);
  const double fx = x - x0, fy = y - y0;
  return mix(mix(at(x0, y0), at(x1, y0), fx), mix(at(x0, y1), at(x1, y1), fx), fy);
}

namespace {
std::uint8_t byte(double v) {
  return std::uint8_t(std::clamp(std::lround(v), 0L, 255L));
}
}  // namespace

std::vector<std::uint8_t> rgbBytes(const Image& image) {
  std::vector<std::uint8_t> out;
  out.reserve(image.pixels.size() * 3);
  for (const Colour& c : image.pixels) {
    out.push_back(byte(c.r));
    out.push_back(byte(c.g));
    out.push_back(byte(c.b));
  }
  return out;
}

std::vector<std::uint8_t> rgbaBytes(const Image& image) {
  std::vector<std::uint8_t> out;
  out.reserve(image.pixels.size() * 4);
  for (const Colour& c : image.pixels) {
    out.push_back(byte(c.r));
    out.push_back(byte(c.g));
    out.push_back(byte(c.b));
    out.push_back(byte(c.a * 255));
  }
  return out;
}

std::vector<std::uint8_t> jpegOf(const Image& image, int quality) {
  return encodeJpeg(image.width, image.height, rgbBytes(image), quality);
}

std::vector<std::uint8_t> tgaOf(const Image& image) {
  return encodeTga(image.width, image.height, rgbaBytes(image));
}

std::vector<std::uint8_t> bmpOf(const Image& image) {
  return encodeBmp(image.width, image.height, rgbBytes(image));
}

double hash3(std::uint64_t seed, std::int64_t i, std::int64_t j, std::int64_t k) {
  std::uint64_t z = seed * 0x9E3779B97F4A7C15ull + std::uint64_t(i) * 0xBF58476D1CE4E5B9ull +
                    std::uint64_t(j) * 0x94D049BB133111EBull +
                    std::uint64_t(k) * 0xD6E8FEB86659FD93ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  z ^= z >> 31;
  return double(z >> 11) * (1.0 / 9007199254740992.0);
}

double valueNoise(const Vec3& p, std::uint64_t seed) {
  const double fx = std::floor(p.x), fy = std::floor(p.y), fz = std::floor(p.z);
  const auto i = std::int64_t(fx), j = std::int64_t(fy), k = std::int64_t(fz);
  auto fade = [](double t) { return t * t * t * (t * (t * 6 - 15) + 10); };
  const double u = fade(p.x - fx), v = fade(p.y - fy), w = fade(p.z - fz);
  double c[2][2][2];
  for (int a = 0; a < 2; ++a)
    for (int b = 0; b < 2; ++b)
      for (int d = 0; d < 2; ++d) c[a][b][d] = hash3(seed, i + a, j + b, k + d) * 2 - 1;
  auto l = [](double x, double y, double t) { return x + (y - x) * t; };
  return l(l(l(c[0][0][0], c[1][0][0], u), l(c[0][1][0], c[1][1][0], u), v),
           l(l(c[0][0][1], c[1][0][1], u), l(c[0][1][1], c[1][1][1], u), v), w);
}

double fractal(const Vec3& p, std::uint64_t seed, int octaves) {
  double sum = 0, weight = 1, total = 0;
  Vec3 q = p;
  for (int o = 0; o < octaves; ++o) {
    sum += weight * valueNoise(q, seed + std::uint64_t(o) * 101);
    total += weight;
    weight *= 0.5;
    q = q * 2.03 + Vec3{17.1, 5.3, 9.7};
  }
  return sum / total;
}

std::array<double, 2> cellular(const Vec3& p, std::uint64_t seed) {
  const auto i = std::int64_t(std::floor(p.x)), j = std::int64_t(std::floor(p.y)),
             k = std::int64_t(std::floor(p.z));
  double f1 = 1e9, f2 = 1e9;
  for (std::int64_t a = i - 1; a <= i + 1; ++a)
    for (std::int64_t b = j - 1; b <= j + 1; ++b)
      for (std::int64_t c = k - 1; c <= k + 1; ++c) {
        const Vec3 q{double(a) + hash3(seed, a, b, c), double(b) + hash3(seed + 1, a, b, c),
                     double(c) + hash3(seed + 2, a, b, c)};
        const double d = length(q - p);
        if (d < f1) {
          f2 = f1;
          f1 = d;
        } else if (d < f2) {
          f2 = d;
        }
      }
  return {f1, f2};
}

double leatherGrain(const Vec3& p, double size, std::uint64_t seed) {
  const Vec3 q = p / size;
  const auto f = cellular(q + Vec3{0.31, 0.17, 0.43} * fractal(q * 0.5, seed + 7, 2), seed);
  // The crease lies where two cells meet (f2 − f1 small).
  const double ridge = std::clamp((f[1] - f[0]) * 3.2, 0.0, 1.0);
  return std::sqrt(ridge);
}

double stitch(double along, double across, double period, double width) {
  const double a = along / period - std::floor(along / period);
  const double dash = std::clamp(std::min(a, 0.62 - a) * 12, 0.0, 1.0);
  const double line = std::clamp(1 - std::abs(across / width), 0.0, 1.0);
  return dash * std::sqrt(line);
}

}  // namespace vestora::generate::wear
