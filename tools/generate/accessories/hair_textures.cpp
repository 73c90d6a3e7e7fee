#include "accessories/hair_textures.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "assets/splitmix.h"

namespace vestora::generate::hair {
namespace {

struct Colour {
  double r = 0, g = 0, b = 0;
};
Colour colourOf(const Rgb& c) {
  return {double(c.r), double(c.g), double(c.b)};
}
Colour mix(const Colour& a, const Colour& b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
Colour scale(const Colour& a, double s) {
  return {a.r * s, a.g * s, a.b * s};
}

// Smooth 1-D value noise, period 64 knots.
class Noise1 {
 public:
  explicit Noise1(std::uint64_t seed) {
    SplitMix64 r(seed);
    for (double& v : values_) v = 2 * r.unit() - 1;
  }
  double operator()(double x) const {
    const double f = std::floor(x);
    const int i = int(f) & 63;
    const double t = x - f, s = t * t * (3 - 2 * t);
    return values_[std::size_t(i)] +
           (values_[std::size_t((i + 1) & 63)] - values_[std::size_t(i)]) * s;
  }

 private:
  double values_[64];
};

// The colour of a strand `along` its length (0 root, 1 tip).
Colour strandColour(const HairColours& c, const StrandLook& look, double along, double brightness,
                    double shine) {
  Colour base = mix(colourOf(c.root), colourOf(c.body), smoothstep(0.0, 0.3, along));
  base = mix(base, colourOf(c.tip), smoothstep(0.45, 1.0, along));
  base = scale(base, brightness);
  const double d = (along - look.highlightAt) / 0.075;
  const double h = look.highlightStrength * shine * std::exp(-d * d);
  return mix(base, colourOf(c.highlight), std::clamp(h, 0.0, 1.0));
}

}  // namespace

Band insetBand(const Band& band, int height) {
  const double px = 1.0 / height;
  return {band.top + 1.5 * px, band.bottom - 1.5 * px};
}

HairPicture hairPicture(int width, int height, const HairColours& colours, const StrandLook& look,
                        const std::vector<TextureBand>& bands, std::uint64_t seed) {
  if (width < 16 || height < 16 || width > 1024 || height > 1024)
    throw std::invalid_argument("hair: a hair picture of the wrong size");
  const std::size_t pixels = std::size_t(width) * height;
  std::vector<Colour> colour(pixels);
  std::vector<double> alpha(pixels, 0.0);
  const Colour under = scale(colourOf(colours.root), 0.8);
  for (Colour& c : colour) c = under;
  SplitMix64 random(seed);

  for (const TextureBand& tb : bands) {
    const int y0 = std::clamp(int(std::floor(tb.band.top * height)), 0, height);
    const int y1 = std::clamp(int(std::ceil(tb.band.bottom * height)), 0, height);
    const int rows = y1 - y0;
    if (rows < 4) continue;
    if (tb.kind == BandKind::Tie) {
      // A dark elastic with a faint sheen across it.
      for (int y = y0; y < y1; ++y)
        for (int x = 0; x < width; ++x) {
          const double v = double(y - y0) / rows;
          const double sheen = 0.75 + 0.25 * std::sin(kPi * v);
          const std::size_t i = std::size_t(y) * width + x;
          colour[i] = {28 * sheen, 24 * sheen, 26 * sheen};
          alpha[i] = 1;
        }
      continue;
    }
    const bool dense = tb.kind == BandKind::Dense;
    const double darken = dense ? 0.72 : 1.0;
    // The ground under the strands: closed for dense hair above its ends.
    for (int y = y0; y < y1; ++y) {
      const double v = (y + 0.5 - y0) / rows;
      const double ground = dense ? 1 - smoothstep(0.66, 0.97, v) : 0.0;
      for (int x = 0; x < width; ++x) {
        const std::size_t i = std::size_t(y) * width + x;
        colour[i] = scale(strandColour(colours, look, v, 0.85 * darken, 0.3), 0.9);
        alpha[i] = ground;
      }
    }
    const double meanWidth = (look.widthMin + look.widthMax) / 2;
    const int count = int(std::ceil(look.density * (dense ? 1.3 : 1.0) * width / meanWidth));
    // Neighbouring strands wave together: one wave for the band, shifted a
    // little from strand to strand.
    const double wavePhase = random.unit();
    for (int k = 0; k < count; ++k) {
      const double x0 = random.unit() * width;
      const double w =
          look.widthMin + (look.widthMax - look.widthMin) * random.unit() * random.unit();
      const double end =
          dense ? 0.9 + 0.1 * random.unit() : look.shortest + (1 - look.shortest) * random.unit();
      const double brightness = (0.8 + 0.38 * random.unit()) * darken;
      const double drift = (random.unit() - 0.5) * 0.06 * width;
      const double phase = wavePhase + 0.08 * (random.unit() - 0.5) + x0 / width * 0.5;
      const Noise1 shine(random.next());
      const double shineScale = 3 + 4 * random.unit();
      const double fibre = random.unit() * 6;
      for (int y = y0; y < y1; ++y) {
        const double v = (y + 0.5 - y0) / rows;
        if (v > end) break;
        const double t = v / end;
        const double taper = t < 0.72 ? 1.0 : std::pow(std::max(0.0, 1 - (t - 0.72) / 0.28), 0.8);
        const double hw = 0.5 * w * taper;
        if (hw < 0.15) continue;
        const double xc = x0 + drift * v + look.wave * std::sin(2 * kPi * (look.waves * v + phase));
        const Colour c =
            strandColour(colours, look, v, brightness, 0.5 + 0.5 * shine(v * shineScale));
        for (int x = int(std::floor(xc - hw - 1)); x <= int(std::ceil(xc + hw + 1)); ++x) {
          const double dx = x + 0.5 - xc;
          const double cover = std::clamp(hw + 0.5 - std::abs(dx), 0.0, 1.0);
          if (cover <= 0) continue;
          const int wx = ((x % width) + width) % width;
          const std::size_t i = std::size_t(y) * width + wx;
          // A round strand: lighter down its middle, fine fibres along it.
          const double across = std::abs(dx) / std::max(hw, 0.5);
          const double round = 0.8 + 0.2 * (1 - across * across);
          const double fibres = 0.93 + 0.07 * std::sin(dx * 2.1 + fibre);
          const Colour sc = scale(c, round * fibres);
          colour[i] = mix(colour[i], sc, cover);
          alpha[i] = cover + alpha[i] * (1 - cover);
        }
      }
    }
  }
  HairPicture out;
  out.width = width;
  out.height = height;
  out.rgb.resize(pixels * 3);
  out.alpha.resize(pixels);
  for (std::size_t i = 0; i < pixels; ++i) {
    const Colour& c = colour[i];
    out.rgb[3 * i] = std::uint8_t(std::clamp(std::lround(c.r), 0L, 255L));
    out.rgb[3 * i + 1] = std::uint8_t(std::clamp(std::lround(c.g), 0L, 255L));
    out.rgb[3 * i + 2] = std::uint8_t(std::clamp(std::lround(c.b), 0L, 255L));
    out.alpha[i] = std::uint8_t(std::clamp(std::lround(alpha[i] * 255), 0L, 255L));
  }
  return out;
}

std::vector<std::uint8_t> rgbaOf(const HairPicture& p) {
  std::vector<std::uint8_t> out(std::size_t(p.width) * p.height * 4);
  for (std::size_t i = 0; i < std::size_t(p.width) * p.height; ++i) {
    out[4 * i] = p.rgb[3 * i];
    out[4 * i + 1] = p.rgb[3 * i + 1];
    out[4 * i + 2] = p.rgb[3 * i + 2];
    out[4 * i + 3] = p.alpha[i];
  }
  return out;
}

}  // namespace vestora::generate::hair
