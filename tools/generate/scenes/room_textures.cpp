// The room's pictures (floor boards, the wall atlas) and the palm's.
#include <algorithm>
#include <cmath>

#include "scenes/paint.h"
#include "scenes/scene_layout.h"
#include "scenes/scene_textures.h"

namespace vestora::generate::scenes {
namespace {

using paint::blend;
using texture::smoothstep;
using wear::Colour;
using wear::rgb;

// A soft bevelled line: 1 within `half` of `at`, falling off over `soft`.
double line(double d, double half, double soft) {
  return smoothstep(half + soft, half, std::abs(d));
}

}  // namespace

Image roomFloorPicture(int size) {
  constexpr int kBoards = 8;  // across the picture; each board column has two joints
  const texture::PeriodicNoise figure(6041, 4, 3), fibres(6042, 256, 6), tone(6043, 8, 2);
  const Colour light = rgb(214, 178, 134), dark = rgb(176, 134, 94), gap = rgb(96, 72, 52);
  return paint::picture(size, 2, [&](double x, double y) {
    const double u = x / size, v = y / size;
    const double across = u * kBoards;
    const int column = std::min(int(across), kBoards - 1);
    const double joint = texture::hashUnit(6044, column);
    double along = v - joint;
    along -= std::floor(along);             // 0 at the first joint
    const int board = along < 0.5 ? 0 : 1;  // the second board runs over the picture's edge
    const double offset = 17.3 * texture::hashUnit(6045, column, board);
    // Growth rings seen on a flat-sawn board: stretched along its length.
    const double ring = (across - column) * 4.5 + 0.5 * figure(u * 4 + offset, v * 3) + offset;
    const double grain = smoothstep(0.55, 0.95, ring - std::floor(ring));
    Colour c = blend(light, dark, 0.25 + 0.45 * grain + 0.12 * fibres(u * 256, v * 6));
    c = wear::shade(
        c, 0.9 + 0.16 * texture::hashUnit(6046, column, board) + 0.04 * tone(u * 8, v * 2));
    // The narrow gaps between boards and at their ends.
    const double pixel = 1.0 / size;
    const double side = std::min(across - column, column + 1 - across) / kBoards;
    const double end = std::min({along, std::abs(along - 0.5), 1 - along});
    const double dip =
        std::max(line(side, 0.6 * pixel, 0.9 * pixel), line(end, 0.6 * pixel, 0.9 * pixel));
    return blend(c, gap, 0.85 * dip);
  });
}

namespace {

// The wallpaper: a quiet trellis of leaves on warm cream, 12 × 6 units a
// tile. (x, y) in units.
Colour wallpaper(double x, double y, const texture::PeriodicNoise& paper) {
  const Colour cream = rgb(238, 229, 216), motif = rgb(222, 206, 188), leaf = rgb(214, 196, 176);
  // A diamond lattice of 2 units: the distance to its diagonals.
  const double a = (x + y) / 2, b = (x - y) / 2;
  const double da = a - std::round(a), db = b - std::round(b);
  double m = 0.3 * std::max(line(da, 0.01, 0.02), line(db, 0.01, 0.02));
  // A small four-leaf sprig in each diamond.
  const double cx = x - 2 * std::round(x / 2), cy = y - 2 * std::round(y / 2) + 1;
  const double cyw = cy - 2 * std::round(cy / 2);
  const double r = std::hypot(cx, cyw), angle = std::atan2(cyw, cx);
  const double petal = 0.16 + 0.1 * std::abs(std::cos(2 * angle));
  m = std::max(m, 0.7 * smoothstep(petal + 0.03, petal - 0.01, r));
  Colour c = blend(cream, motif, m);
  if (r < 0.04) c = blend(c, leaf, 0.6);
  const double fibre = paper(x / 12 * 128, y / 6 * 64);
  return wear::shade(c, 1 + 0.018 * fibre);
}

// The panelled band along the floor: y from 0 (its top) to 9 (the floor).
Colour wainscot(double x, double y, const texture::PeriodicNoise& paper) {
  const Colour paint = rgb(241, 237, 230), skirting = rgb(232, 226, 217);
  double light = 1 + 0.01 * paper(x / 12 * 128, y / 9 * 32);
  Colour c = paint;
  if (y < 0.5) {  // the rail, lit from above
    light *= 1.02 + 0.05 * std::cos(y / 0.5 * paint::kPi) - 0.1 * line(y - 0.5, 0.02, 0.03);
  } else if (y > 7.9) {  // the skirting board
    c = skirting;
    light *= 1 - 0.12 * line(y - 7.9, 0.02, 0.03) + 0.05 * line(y - 8.02, 0.04, 0.04);
  } else {
    // Two raised panels per tile, their mouldings lit from the upper left.
    const double px = x - 6 * std::floor(x / 6);  // 0 to 6
    const double left = px - 0.6, right = 5.4 - px, top = y - 1.2, bottom = 7.3 - y;
    const double inside = std::min({left, right, top, bottom});
    if (std::abs(inside) < 0.16) {
      const bool upperLeft = inside == left || inside == top;
      light *= 1 + (upperLeft ? 0.07 : -0.07) * smoothstep(0.16, 0.0, std::abs(inside));
    }
    if (inside > 0) light *= 0.985;
  }
  return wear::shade(c, light);
}

// Woven upholstery: a fine basket weave in `base`.
Colour weave(double x, double y, const Colour& base, const texture::PeriodicNoise& slub) {
  const double warp = std::cos(x * 2 * paint::kPi / 3), weft = std::cos(y * 2 * paint::kPi / 3);
  return wear::shade(base, 1 + 0.05 * warp * weft + 0.04 * slub(x / 64, y / 16));
}

// A bright garden seen through a window: (u, v) over the pane.
Colour windowView(double u, double v) {
  const Colour sky = rgb(214, 230, 240), skyLow = rgb(238, 242, 238);
  const Colour trees = rgb(150, 176, 138), lawn = rgb(182, 204, 156);
  Colour c = blend(sky, skyLow, smoothstep(0.1, 0.55, v));
  const double canopy = 0.5 + 0.08 * wear::fractal(Vec3{u * 5, 0.3, 0}, 6051, 3);
  const double leaves = wear::fractal(Vec3{u * 14, v * 14, 1.3}, 6052, 4);
  c = blend(c, wear::shade(trees, 1 + 0.12 * leaves), smoothstep(canopy - 0.03, canopy + 0.03, v));
  c = blend(c, lawn, smoothstep(0.8, 0.86, v));
  return blend(c, rgb(250, 250, 246), 0.25);  // the glass's sheen
}

}  // namespace

Image roomWallPicture(int size) {
  const texture::PeriodicNoise paper(6051, 128, 64), slub(6052, 16, 16);
  return paint::picture(size, 2, [&](double x, double y) {
    const double u = x / size, v = y / size;
    auto in = [&](const SceneMesh::Region& r) {
      return u >= r.u0 && u < r.u1 && v >= r.v0 && v < r.v1;
    };
    auto local = [&](const SceneMesh::Region& r, double w, double h) {
      return std::array<double, 2>{(u - r.u0) / (r.u1 - r.u0) * w, (v - r.v0) / (r.v1 - r.v0) * h};
    };
    if (in(kWallpaperRegion)) {
      const auto [lx, ly] = local(kWallpaperRegion, 12, 6);
      return wallpaper(lx, ly, paper);
    }
    if (in(kWainscotRegion)) {
      const auto [lx, ly] = local(kWainscotRegion, 12, kWainscotHeight);
      return wainscot(lx, ly, paper);
    }
    if (in(kCeilingRegion))
      return wear::shade(rgb(246, 243, 238), 1 + 0.008 * paper(u * 128, v * 64));
    if (in(kUpholsteryRegion)) return weave(x, y, rgb(78, 86, 102), slub);
    if (in(kCushionRegion)) return weave(x, y, rgb(196, 88, 64), slub);
    if (in(kWindowViewRegion)) {
      const auto [lx, ly] = local(kWindowViewRegion, 1, 1);
      return windowView(lx, ly);
    }
    return wear::shade(rgb(244, 242, 237), 1 + 0.01 * paper(u * 128, v * 64));
  });
}

namespace {

// Palm bark: leaf scars in rings round the trunk, fibres along it. (u, v)
// over the bark region, tiling both ways.
Colour bark(double u, double v, const texture::PeriodicNoise& fibre,
            const texture::PeriodicNoise& sway) {
  const Colour grey = rgb(150, 134, 112), brown = rgb(112, 94, 74), scar = rgb(72, 60, 48);
  constexpr double kRings = 6;
  const double wobble = 0.08 * std::sin(u * 2 * paint::kPi) + 0.05 * sway(u * 8, v * 4);
  const double ring = v * kRings + wobble;
  const double f = ring - std::floor(ring);
  Colour c = blend(grey, brown, 0.35 + 0.8 * fibre(u * 32, v * 16));
  c = blend(c, scar, smoothstep(0.78, 0.9, f) * smoothstep(1.0, 0.92, f));
  return wear::shade(c, 0.92 + 0.12 * f);
}

// A palm frond on a card 3.2 units wide and 9 long: (x, y) in units, x from
// the midrib, y from the tip. Returns the colour with its coverage as alpha.
Colour frond(double x, double y) {
  constexpr double kLength = 9, kSpacing = 0.2, kSlope = 0.9;  // leaflets run tipwards
  const Colour rib = rgb(168, 160, 92), young = rgb(118, 150, 58), old = rgb(62, 104, 46);
  const Colour tipBrown = rgb(150, 130, 70);
  const double s = y / kLength;  // 0 tip, 1 base
  const double ribHalf = 0.03 + 0.06 * s;
  Colour c = old;
  double alpha = smoothstep(ribHalf + 0.02, ribHalf, std::abs(x)) * smoothstep(-0.01, 0.05, s);
  if (alpha > 0) c = rib;
  // Leaflets: the one through this point leaves the midrib at y0.
  const double ax = std::abs(x);
  const double side = x < 0 ? 0.5 : 0;
  const double y0 = y + ax * kSlope + 0.06 * ax * ax;
  const double k = std::round(y0 / kSpacing - side) + side;
  const double start = k * kSpacing;  // along the midrib, from the tip
  const double at = start / kLength;
  const double reach = 1.55 * std::sin(paint::kPi * std::clamp((at - 0.02) / 0.86, 0.0, 1.0));
  const double along = ax / reach;  // 0 at the midrib, 1 at the leaflet's tip
  if (at > 0.02 && at < 0.88 && along < 1) {
    const double jitter = texture::hashUnit(6061, std::int64_t(k * 2), x < 0);
    const double half =
        0.075 * std::pow(1 - along, 0.6) * (0.8 + 0.4 * jitter) * std::min(1.0, 8 * along + 0.3);
    const double across = (y0 - start) / std::sqrt(1 + kSlope * kSlope);
    const double cover = smoothstep(half + 0.012, half - 0.008, std::abs(across));
    if (cover > alpha) {
      Colour leaf = blend(old, young, 0.3 + 0.6 * along + 0.2 * jitter);
      leaf = blend(leaf, tipBrown, smoothstep(0.8, 1.0, along) * (jitter > 0.7));
      leaf = wear::shade(leaf, 1 + 0.15 * line(across, 0.004, 0.01));  // the leaflet's vein
      c = leaf;
      alpha = std::max(alpha, cover);
    }
  }
  c.a = alpha;
  return c;
}

}  // namespace

Image treePicture(int size) {
  const texture::PeriodicNoise fibre(6062, 32, 16), sway(6063, 8, 4);
  return paint::picture(size, 2, [&](double x, double y) {
    const double u = x / size, v = y / size;
    if (u < kBarkRegion.u1) return bark(u / kBarkRegion.u1, v, fibre, sway);
    const double across = (u - kFrondRegion.u0) / (kFrondRegion.u1 - kFrondRegion.u0);
    return frond((across - 0.5) * 3.2, v * 9);
  });
}

}  // namespace vestora::generate::scenes
