// Silk, the floral print and knitting, and the fabrics by kind.
#include <array>
#include <stdexcept>
#include <vector>

#include "generate/assets/assets.h"
#include "generate/assets/fabric_common.h"
#include "generate/assets/texture_noise.h"

namespace vestora::generate {

using namespace texture;

std::vector<std::uint8_t> silkTexture(int width, int height, std::uint32_t seed, Rgb colour) {
  checkFabricSize("silkTexture", width, height);
  const std::uint64_t key = fabricSeed(seed, 0x5111);
  const Colour base = toColour(colour);
  const Colour shadow = scale(base, 0.55);
  const Colour highlight = mix(base, {255, 250, 244}, 0.5);
  const TileFractal drape(key + 1, width, height, 256, 3);
  const TileFractal ripple(key + 2, width, height, 40, 2);
  const int grainRows = std::max(4, height * 2 / 3);
  const ThreadNoise grain(key + 3, grainRows, std::max(4, width / 12));
  // Broad bands of sheen running diagonally, one and two repeats across
  // the picture, gently bent by the drape noise.
  const double phase = hashUnit(key, 1), phase2 = hashUnit(key, 2);
  return render(width, height, 2, [&](double x, double y) {
    const double u = x / width, v = y / height;
    const double bend = 0.07 * drape(x, y) + 0.015 * ripple(x, y);
    const double band = 0.5 + 0.5 * cosTurns(u + v + bend + phase);
    const double band2 = 0.5 + 0.5 * cosTurns(2 * (u + v) + 1.5 * bend + phase2);
    const double sheen = 0.7 * band + 0.3 * band2;
    Colour c = mix(shadow, base, 0.6 + 0.4 * smoothstep(0.0, 0.6, sheen));
    c = mix(c, highlight, 0.35 * smoothstep(0.55, 1.0, sheen));
    // The weft shows as a faint horizontal grain.
    const int row = static_cast<int>(y * grainRows / height);
    return scale(c, 1 + 0.025 * grain(row, u) + 0.01 * ripple(3 * x, 5 * y));
  });
}

namespace {

struct Flower {
  double x, y, radius;  // pixels
  int petals;
  std::array<std::array<double, 2>, 6> petalAxis;  // unit vectors from the centre
  std::array<std::array<double, 2>, 2> leafAxis;
  double leafLength;
  Colour petal, centre, leaf;
  std::array<std::array<double, 2>, 3> buds;  // small dots near the flower, pixels
  double budRadius;
};

// Which of the flower's layers covers the offset (dx, dy) from its centre,
// and in which colour; false when none does.
enum class Layer { Buds, Leaves, Petals, Centre };

bool flowerLayer(const Flower& f, Layer layer, double dx, double dy, Colour& out) {
  const double r = f.radius;
  switch (layer) {
    case Layer::Buds:
      for (const auto& bud : f.buds) {
        const double bx = dx - bud[0], by = dy - bud[1];
        if (bx * bx + by * by < f.budRadius * f.budRadius) {
          out = f.petal;
          return true;
        }
      }
      return false;
    case Layer::Leaves:
      for (const auto& axis : f.leafAxis) {
        // From 0.55 r out, a pointed leaf with a paler mid-rib; one half in shade.
        const double along = (dx * axis[0] + dy * axis[1] - 0.55 * r) / f.leafLength;
        const double across = (dx * -axis[1] + dy * axis[0]) / f.leafLength;
        if (along <= 0 || along >= 1) continue;
        const double halfWidth = 0.5 * along * (1 - along) * (1 + 0.4 * (1 - along));
        if (std::abs(across) >= halfWidth) continue;
        double tone = across < 0 ? 0.84 : 1.0;
        if (std::abs(across) < 0.03 && along < 0.85) tone = 1.15;
        out = scale(f.leaf, tone);
        return true;
      }
      return false;
    case Layer::Petals: {
      for (int k = 0; k < f.petals; ++k) {
        const auto& axis = f.petalAxis[k];
        const double along = (dx * axis[0] + dy * axis[1] - 0.52 * r) / (0.5 * r);
        const double across = (dx * -axis[1] + dy * axis[0]) / (0.33 * r);
        const double q = along * along + across * across;
        if (q >= 1) continue;
        // Deeper towards the heart of the flower, a darker rim at the edge.
        double tone = 0.84 + 0.16 * smoothstep(-1.0, 0.6, along);
        if (q > 0.78) tone *= 0.86;
        out = scale(f.petal, tone);
        return true;
      }
      return false;
    }
    case Layer::Centre: {
      const double d2 = (dx * dx + dy * dy) / (r * r);
      if (d2 >= 0.21 * 0.21) return false;
      out = scale(f.centre, d2 > 0.15 * 0.15 ? 0.8 : 1.0);
      return true;
    }
  }
  return false;
}

}  // namespace

std::vector<std::uint8_t> floralPrintTexture(int width, int height, std::uint32_t seed,
                                             const FloralColours& colours) {
  checkFabricSize("floralPrintTexture", width, height);
  const std::uint64_t key = fabricSeed(seed, 0xF102);
  // One flower a cell, jittered; with its leaves and buds it reaches less
  // than 1.65 radii, under half a cell, from its centre, so a sample need
  // only ask the flowers of the 3 × 3 cells around it.
  const int cellsX = std::max(3, static_cast<int>(std::lround(width / 40.0)));
  const int cellsY = std::max(3, static_cast<int>(std::lround(height / 40.0)));
  const double cellW = double(width) / cellsX, cellH = double(height) / cellsY;
  const double cell = std::min(cellW, cellH);
  std::vector<Flower> flowers(static_cast<std::size_t>(cellsX) * cellsY);
  SplitMix64 random(key);
  for (int cy = 0; cy < cellsY; ++cy)
    for (int cx = 0; cx < cellsX; ++cx) {
      Flower& f = flowers[static_cast<std::size_t>(cy) * cellsX + cx];
      f.x = (cx + 0.1 + 0.8 * random.unit()) * cellW;
      f.y = (cy + 0.1 + 0.8 * random.unit()) * cellH;
      f.radius = cell * (0.21 + 0.07 * random.unit());
      f.petals = random.unit() < 0.3 ? 6 : 5;
      const double turn = random.unit();
      for (int k = 0; k < f.petals; ++k)
        f.petalAxis[k] = {cosTurns(turn + double(k) / f.petals),
                          sinTurns(turn + double(k) / f.petals)};
      const double leafTurn = random.unit(), spread = 0.28 + 0.12 * random.unit();
      f.leafAxis[0] = {cosTurns(leafTurn), sinTurns(leafTurn)};
      f.leafAxis[1] = {cosTurns(leafTurn + spread), sinTurns(leafTurn + spread)};
      f.leafLength = f.radius * (0.8 + 0.2 * random.unit());
      const bool other = random.unit() < 0.4;
      const double shade = 0.94 + 0.1 * random.unit();
      f.petal = scale(toColour(other ? colours.otherPetals : colours.petals), shade);
      f.centre = toColour(colours.centres);
      f.leaf = scale(toColour(colours.leaves), 0.92 + 0.12 * random.unit());
      const double budTurn = leafTurn + 0.5 + 0.2 * (random.unit() - 0.5);
      const std::array<double, 2> budAxis{cosTurns(budTurn), sinTurns(budTurn)};
      f.budRadius = 0.13 * f.radius;
      const double reach[3] = {1.25, 1.5, 1.3}, side[3] = {-0.3, 0.05, 0.38};  // radii
      for (int k = 0; k < 3; ++k)
        f.buds[k] = {f.radius * (budAxis[0] * reach[k] - budAxis[1] * side[k]),
                     f.radius * (budAxis[1] * reach[k] + budAxis[0] * side[k])};
    }

  const Colour ground = toColour(colours.ground);
  const TileFractal cloth(key + 1, width, height, 24, 3);
  const ThreadNoise rows(key + 2, height, std::max(4, width / 24));
  const ThreadNoise columns(key + 3, width, std::max(4, height / 24));
  return render(width, height, 3, [&](double x, double y) {
    const int cx = static_cast<int>(x / cellW), cy = static_cast<int>(y / cellH);
    std::array<const Flower*, 9> near{};
    std::array<std::array<double, 2>, 9> offset{};
    int n = 0;
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) {
        const Flower& f = flowers[static_cast<std::size_t>(wrapIndex(cy + dy, cellsY)) * cellsX +
                                  wrapIndex(cx + dx, cellsX)];
        near[n] = &f;
        offset[n++] = {wrapOffset(x - f.x, width), wrapOffset(y - f.y, height)};
      }
    Colour c = ground;
    for (Layer layer : {Layer::Buds, Layer::Leaves, Layer::Petals, Layer::Centre})
      for (int k = 0; k < n; ++k) flowerLayer(*near[k], layer, offset[k][0], offset[k][1], c);
    // The print sits on a fine cotton weave.
    const double weave = 0.012 * rows(static_cast<int>(y), x / width) +
                         0.012 * columns(static_cast<int>(x), y / height) + 0.02 * cloth(x, y);
    return scale(c, 1 + weave);
  });
}

std::vector<std::uint8_t> knitTexture(int width, int height, std::uint32_t seed, Rgb yarn) {
  checkFabricSize("knitTexture", width, height);
  const std::uint64_t key = fabricSeed(seed, 0x4417);
  // Stitches are wider than tall; a whole number of wales (columns) and
  // courses (rows) fills the picture.
  const int wales = std::max(3, static_cast<int>(std::lround(width / 10.0)));
  const int courses = std::max(3, static_cast<int>(std::lround(height / 8.0)));
  const double sw = double(width) / wales, sh = double(height) / courses;
  const Colour base = toColour(yarn);
  const TileFractal heather(key + 1, width, height, 48, 3);
  const TileFractal fuzz(key + 2, width, height, 3, 2);
  std::vector<std::array<double, 3>> stitch(static_cast<std::size_t>(wales) * courses);
  for (int j = 0; j < courses; ++j)
    for (int i = 0; i < wales; ++i)  // x and y jitter, brightness
      stitch[static_cast<std::size_t>(j) * wales + i] = {
          0.06 * (hashUnit(key, i, j) - 0.5) * sw, 0.08 * (hashUnit(key + 9, i, j) - 0.5) * sh,
          0.95 + 0.1 * hashUnit(key + 17, i, j)};
  // Each leg of a V is an oval leaning 22° from upright, its foot at the
  // middle of the stitch.
  const double tiltSin = sinTurns(22.0 / 360), tiltCos = cosTurns(22.0 / 360);
  const double halfLength = 0.8 * sh, halfWidth = 0.24 * sw;
  return render(width, height, 3, [&](double x, double y) {
    const int i = static_cast<int>(std::floor(x / sw)), j = static_cast<int>(std::floor(y / sh));
    double best = 0, nx = 0, ny = 0, along = 0, across = 0, brightness = 1;
    for (int dj = -1; dj <= 1; ++dj)
      for (int di = -1; di <= 1; ++di) {
        const auto& s = stitch[static_cast<std::size_t>(wrapIndex(j + dj, courses)) * wales +
                               wrapIndex(i + di, wales)];
        for (int side : {-1, 1}) {
          const double cx = (i + di + 0.5 + 0.25 * side) * sw + s[0];
          const double cy = (j + dj + 0.5) * sh + s[1];
          // Leg axis, top to bottom: the left leg runs down to the right.
          const double ax = -side * tiltSin, ay = tiltCos;
          const double l = ((x - cx) * ax + (y - cy) * ay) / halfLength;
          const double t = ((x - cx) * -ay + (y - cy) * ax) / halfWidth;
          const double q = l * l + t * t;
          if (q >= 1) continue;
          const double h = std::sqrt(1 - q);
          if (h <= best) continue;
          best = h;
          // Slope of the yarn surface, in the leg's frame, then the picture's.
          const double hl = l / std::max(h, 0.2) * 0.5, ht = t / std::max(h, 0.2) * 0.9;
          nx = hl * ax - ht * ay;
          ny = hl * ay + ht * ax;
          along = (x - cx) * ax + (y - cy) * ay;
          across = (x - cx) * -ay + (y - cy) * ax;
          brightness = s[2];
        }
      }
    const double grain = 0.06 * fuzz(x, y) + 0.05 * heather(x, y);
    if (best <= 0) return scale(base, 0.28 * (1 + grain));
    // Two plies twist round each other: fine stripes slanting across the leg.
    const double ply = 0.5 + 0.5 * cosTurns((0.8 * along + 0.6 * across) / 1.9);
    const double light =
        lightFromUpperLeft(nx, ny, 0.35) * (0.62 + 0.38 * std::sqrt(best)) * (0.9 + 0.1 * ply);
    return scale(base, light * brightness * (1 + grain));
  });
}

std::vector<std::uint8_t> fabricTexture(FabricKind kind, int width, int height,
                                        std::uint32_t seed) {
  switch (kind) {
    case FabricKind::Denim:
      return denimTexture(width, height, seed);
    case FabricKind::Silk:
      return silkTexture(width, height, seed, {122, 30, 52});  // wine red
    case FabricKind::Floral:
      // Coral and blush flowers with sage leaves on cream.
      return floralPrintTexture(
          width, height, seed,
          {{244, 236, 220}, {222, 98, 84}, {238, 166, 168}, {232, 178, 58}, {112, 146, 98}});
    case FabricKind::Gingham:
      return ginghamTexture(width, height, seed, {192, 38, 46}, {248, 246, 242});
    case FabricKind::Knit:
      return knitTexture(width, height, seed, {134, 158, 128});  // sage green
    case FabricKind::Linen:
      return linenTexture(width, height, seed, {224, 210, 182});  // natural flax
  }
  throw std::invalid_argument("fabricTexture: unknown kind");
}

}  // namespace vestora::generate
