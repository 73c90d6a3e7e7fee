// Periodic noise and the cosine the tileable textures are built from.
#include "generate/assets/texture_noise.h"

namespace vestora::generate::texture {

double cosTurns(double turns) {
  double t = turns - std::floor(turns);  // [0, 1)
  if (t > 0.5) t = 1 - t;                // cos is even about a whole turn
  double sign = 1;
  if (t > 0.25) {  // cos(π - x) = -cos(x)
    t = 0.5 - t;
    sign = -1;
  }
  const double x = 2 * 3.14159265358979323846 * t, x2 = x * x;  // 0 to π/2
  // Taylor series to x^18; the first term left out is below 1e-12 on [0, π/2].
  const double coefficients[] = {-1.0 / 6402373705728000.0,  // -1/18!
                                 1.0 / 20922789888000.0,     // 1/16!
                                 -1.0 / 87178291200.0,
                                 1.0 / 479001600.0,
                                 -1.0 / 3628800.0,
                                 1.0 / 40320.0,
                                 -1.0 / 720.0,
                                 1.0 / 24.0,
                                 -1.0 / 2.0,
                                 1.0};
  double sum = 0;
  for (double c : coefficients) sum = sum * x2 + c;
  return sign * sum;
}

double hashUnit(std::uint64_t seed, std::int64_t a, std::int64_t b) {
  SplitMix64 mixer(seed ^ (static_cast<std::uint64_t>(a) * 0xD1B54A32D192ED03ull) ^
                   (static_cast<std::uint64_t>(b) * 0x8CB92BA72F3D8DD7ull));
  mixer.next();
  return mixer.unit();
}

PeriodicNoise::PeriodicNoise(std::uint64_t seed, int periodX, int periodY)
    : periodX_(std::max(1, periodX)), periodY_(std::max(1, periodY)) {
  SplitMix64 random(seed);
  gradients_.resize(static_cast<std::size_t>(periodX_) * periodY_);
  for (auto& g : gradients_) {
    const double angle = random.unit();
    g = {cosTurns(angle), sinTurns(angle)};
  }
}

double PeriodicNoise::operator()(double x, double y) const {
  const double fx0 = std::floor(x), fy0 = std::floor(y);
  const double fx = x - fx0, fy = y - fy0;
  const int x0 = wrapIndex(static_cast<int>(fx0), periodX_);
  const int y0 = wrapIndex(static_cast<int>(fy0), periodY_);
  const int x1 = (x0 + 1) % periodX_, y1 = (y0 + 1) % periodY_;
  auto dot = [&](int gx, int gy, double dx, double dy) {
    const auto& g = gradients_[static_cast<std::size_t>(gy) * periodX_ + gx];
    return g[0] * dx + g[1] * dy;
  };
  auto fade = [](double t) { return t * t * t * (t * (t * 6 - 15) + 10); };
  const double u = fade(fx), v = fade(fy);
  const double top = dot(x0, y0, fx, fy) + u * (dot(x1, y0, fx - 1, fy) - dot(x0, y0, fx, fy));
  const double bottom =
      dot(x0, y1, fx, fy - 1) + u * (dot(x1, y1, fx - 1, fy - 1) - dot(x0, y1, fx, fy - 1));
  return 1.41421356 * (top + v * (bottom - top));
}

TileFractal::TileFractal(std::uint64_t seed, int width, int height, double cellPixels, int octaves,
                         double gain) {
  double weight = 1, total = 0, cell = cellPixels;
  for (int k = 0; k < octaves; ++k, cell *= 0.5, weight *= gain) {
    const int cellsX = std::max(1, static_cast<int>(std::lround(width / cell)));
    const int cellsY = std::max(1, static_cast<int>(std::lround(height / cell)));
    octaves_.push_back({PeriodicNoise(seed + 0x9E37ull * (k + 1), cellsX, cellsY),
                        double(cellsX) / width, double(cellsY) / height, weight});
    total += weight;
  }
  for (auto& octave : octaves_) octave.weight /= total;
}

double TileFractal::operator()(double x, double y) const {
  double sum = 0;
  for (const auto& octave : octaves_)
    sum += octave.weight * octave.noise(x * octave.toLatticeX, y * octave.toLatticeY);
  return sum;
}

ThreadNoise::ThreadNoise(std::uint64_t seed, int threads, int knots)
    : threads_(std::max(1, threads)), knots_(std::max(3, knots)) {
  SplitMix64 random(seed);
  values_.resize(static_cast<std::size_t>(threads_) * knots_);
  for (double& v : values_) v = 2 * random.unit() - 1;
}

double ThreadNoise::operator()(int thread, double along) const {
  const double* v = &values_[static_cast<std::size_t>(wrapIndex(thread, threads_)) * knots_];
  const double t = (along - std::floor(along)) * knots_;
  const int i = static_cast<int>(t);
  const double f = t - i;
  const double p0 = v[wrapIndex(i - 1, knots_)], p1 = v[i % knots_], p2 = v[(i + 1) % knots_],
               p3 = v[(i + 2) % knots_];
  return p1 +
         0.5 * f * (p2 - p0 + f * (2 * p0 - 5 * p1 + 4 * p2 - p3 + f * (3 * (p1 - p2) + p3 - p0)));
}

}  // namespace vestora::generate::texture
