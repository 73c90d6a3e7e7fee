// Woven cloth: denim, gingham and linen, drawn thread by thread.
#include <functional>

#include "generate/assets/assets.h"
#include "generate/assets/fabric_common.h"
#include "generate/assets/texture_noise.h"

namespace vestora::generate {

using namespace texture;

namespace {

// One thread where a sample falls: its colour, its width and the offset of
// its centre line, both as fractions of the thread pitch.
struct ThreadAt {
  Colour colour;
  double width = 0.85;
  double offset = 0;
};

// A woven cloth seen from its face. Warp threads run down the picture, weft
// threads across; `warps` and `wefts` are whole repeats of the weave, so the
// cloth tiles.
struct Weave {
  int warps = 0, wefts = 0;
  std::function<bool(int warp, int weft)> warpOnTop;  // indices already wrapped
  // Thread `index` at `along` pixels down (warp) or across (weft) the picture.
  std::function<ThreadAt(int index, double along)> warp, weft;
  Colour gap;         // what shows through between the threads
  double relief = 1;  // 0 draws the threads flat, 1 fully rounded and shaded
};

// The colour of the weave at pixel (x, y) of a width × height picture.
Colour shadeWeave(const Weave& weave, double x, double y, int width, int height) {
  const double px = x * weave.warps / width, py = y * weave.wefts / height;
  const int i = static_cast<int>(std::floor(px)), j = static_cast<int>(std::floor(py));
  const double fx = px - i, fy = py - j;
  const int warp = wrapIndex(i, weave.warps), weft = wrapIndex(j, weave.wefts);
  auto onTop = [&](int a, int b) {
    return weave.warpOnTop(wrapIndex(a, weave.warps), wrapIndex(b, weave.wefts));
  };
  const ThreadAt warpThread = weave.warp(warp, y), weftThread = weave.weft(weft, x);
  // Across each thread, -1 to 1 from edge to edge.
  const double a = (fx - 0.5 - warpThread.offset) / (0.5 * warpThread.width);
  const double b = (fy - 0.5 - weftThread.offset) / (0.5 * weftThread.width);
  const bool inWarp = std::abs(a) < 1, inWeft = std::abs(b) < 1;
  const bool warpUp = onTop(i, j);

  // A thread rounds over like a cylinder, and bends down where it passes
  // under a neighbouring crossing; `along` runs 0 to 1 over the crossing.
  auto shadeThread = [&](const ThreadAt& thread, double across, double along, bool upBefore,
                         bool upAfter, bool isWarp, bool onTopHere) {
    const double rise = upBefore ? 0 : 1 - smoothstep(0.0, 0.5, along);
    const double fall = upAfter ? 0 : 1 - smoothstep(0.0, 0.5, 1 - along);
    const double slope = 0.9 * (fall - rise);  // along the thread
    const double bend = 0.85 * across;         // across the thread
    const double nx = isWarp ? bend : slope, ny = isWarp ? slope : bend;
    const double lift =
        std::sqrt(std::max(0.0, 1 - across * across)) * (1 - 0.45 * std::max(rise, fall));
    double light = lightFromUpperLeft(nx, ny, 0.4) * (0.62 + 0.38 * lift);
    if (!onTopHere) light *= 0.62;  // the thread dives under its crossing
    return scale(thread.colour, 1 - weave.relief * (1 - light));
  };
  if (warpUp ? inWarp : (inWarp && !inWeft))
    return shadeThread(warpThread, a, fy, onTop(i, j - 1), onTop(i, j + 1), true, warpUp);
  if (inWeft)
    return shadeThread(weftThread, b, fx, !onTop(i - 1, j), !onTop(i + 1, j), false, !warpUp);
  return weave.gap;
}

// Threads per picture: close to `pitch` pixels each, a whole number of
// `repeat`s, at least one repeat.
int threadCount(int pixels, double pitch, int repeat) {
  const long repeats = std::lround(pixels / (pitch * repeat));
  return repeat * static_cast<int>(std::max(1L, repeats));
}

}  // namespace

std::vector<std::uint8_t> denimTexture(int width, int height, std::uint32_t seed, double wash) {
  checkFabricSize("denimTexture", width, height);
  wash = std::clamp(wash, 0.0, 1.0);
  const std::uint64_t key = fabricSeed(seed, 0xDE41);
  Weave weave;
  weave.warps = threadCount(width, 3.0, 4);
  weave.wefts = threadCount(height, 3.4, 4);
  weave.warpOnTop = [](int warp, int weft) { return (warp + weft) % 4 != 0; };

  const Colour indigo = mix({24, 38, 74}, {58, 88, 140}, wash);
  const Colour faded = mix({70, 102, 150}, {150, 175, 205}, wash);
  const Colour ecru{182, 184, 180};  // the weft, greyed by the indigo around it
  const ThreadNoise slubs(key + 1, weave.warps, std::max(4, height / 9));
  const ThreadNoise thickness(key + 2, weave.warps, std::max(4, height / 14));
  const ThreadNoise weftTone(key + 3, weave.wefts, std::max(4, width / 20));
  const TileFractal fading(key + 4, width, height, 90, 4);
  const TileFractal mottle(key + 5, width, height, 14, 2);
  std::vector<double> warpShade(weave.warps);
  for (int w = 0; w < weave.warps; ++w) warpShade[w] = 0.85 + 0.3 * hashUnit(key, w);

  weave.warp = [&](int w, double along) {
    const double t = along / height;
    // Slubs: short stretches where the ring-dyed yarn is thicker and shows
    // its pale core.
    const double slub = smoothstep(0.45, 0.85, slubs(w, t));
    const double fade = 0.5 + 0.5 * fading(w * double(width) / weave.warps, along);
    const double light = std::clamp((0.18 + 0.5 * wash) * fade + 0.55 * slub +
                                        0.08 * mottle(w * double(width) / weave.warps, along),
                                    0.0, 1.0);
    ThreadAt thread;
    thread.colour = scale(mix(indigo, faded, light), warpShade[w]);
    thread.width = 0.94 + 0.06 * thickness(w, t) + 0.1 * slub;
    return thread;
  };
  weave.weft = [&](int f, double along) {
    ThreadAt thread;
    thread.colour = scale(ecru, 0.93 + 0.07 * weftTone(f, along / width));
    thread.width = 0.7;
    return thread;
  };
  weave.gap = scale(indigo, 0.45);
  return render(width, height, 3,
                [&](double x, double y) { return shadeWeave(weave, x, y, width, height); });
}

std::vector<std::uint8_t> ginghamTexture(int width, int height, std::uint32_t seed, Rgb check,
                                         Rgb ground) {
  checkFabricSize("ginghamTexture", width, height);
  const std::uint64_t key = fabricSeed(seed, 0x61D6);
  constexpr int kBand = 7;  // threads of one colour side by side
  Weave weave;
  weave.warps = threadCount(width, 2.3, 2 * kBand);
  weave.wefts = threadCount(height, 2.3, 2 * kBand);
  weave.warpOnTop = [](int warp, int weft) { return (warp + weft) % 2 == 0; };
  const Colour checkColour = toColour(check), groundColour = toColour(ground);
  const ThreadNoise warpNoise(key + 1, weave.warps, std::max(4, height / 16));
  const ThreadNoise weftNoise(key + 2, weave.wefts, std::max(4, width / 16));
  auto thread = [&](const ThreadNoise& noise, int index, double t) {
    ThreadAt at;
    const bool coloured = (index / kBand) % 2 == 0;
    const double v = noise(index, t);
    at.colour = scale(coloured ? checkColour : groundColour, 0.97 + 0.04 * v);
    at.width = 0.9 + 0.06 * v;
    return at;
  };
  weave.warp = [&](int w, double along) { return thread(warpNoise, w, along / height); };
  weave.weft = [&](int f, double along) { return thread(weftNoise, f, along / width); };
  weave.gap = scale(mix(checkColour, groundColour, 0.5), 0.8);
  weave.relief = 0.35;
  return render(width, height, 3,
                [&](double x, double y) { return shadeWeave(weave, x, y, width, height); });
}

std::vector<std::uint8_t> linenTexture(int width, int height, std::uint32_t seed, Rgb yarn) {
  checkFabricSize("linenTexture", width, height);
  const std::uint64_t key = fabricSeed(seed, 0x11E4);
  Weave weave;
  weave.warps = threadCount(width, 4.0, 2);
  weave.wefts = threadCount(height, 4.3, 2);
  weave.warpOnTop = [](int warp, int weft) { return (warp + weft) % 2 == 0; };
  const Colour base = toColour(yarn);
  const ThreadNoise warpBody(key + 1, weave.warps, std::max(4, height / 10));
  const ThreadNoise weftBody(key + 2, weave.wefts, std::max(4, width / 10));
  const ThreadNoise warpSlub(key + 3, weave.warps, std::max(4, height / 12));
  const ThreadNoise weftSlub(key + 4, weave.wefts, std::max(4, width / 12));
  const ThreadNoise warpWander(key + 5, weave.warps, std::max(4, height / 24));
  const ThreadNoise weftWander(key + 6, weave.wefts, std::max(4, width / 24));
  const TileFractal cloud(key + 7, width, height, 64, 3);
  std::vector<double> warpTone(weave.warps), weftTone(weave.wefts);
  for (int w = 0; w < weave.warps; ++w) warpTone[w] = 0.84 + 0.26 * hashUnit(key, w, 1);
  for (int f = 0; f < weave.wefts; ++f) weftTone[f] = 0.84 + 0.26 * hashUnit(key, f, 2);

  auto thread = [&](const ThreadNoise& body, const ThreadNoise& slub, const ThreadNoise& wander,
                    double tone, int index, double t, double cloudValue) {
    ThreadAt at;
    // Flax is uneven: the thread swells and thins, and now and then a slub
    // (a thick, paler knot of fibre) runs along it.
    const double knot = smoothstep(0.55, 0.95, slub(index, t));
    at.width = std::clamp(0.8 + 0.12 * body(index, t) + 0.3 * knot, 0.55, 1.15);
    at.offset = 0.1 * wander(index, t);
    const double light = tone * (1 + 0.05 * body(index, t + 0.5) + 0.06 * knot + 0.04 * cloudValue);
    at.colour = scale(mix(base, {235, 228, 212}, 0.12 * knot), light);
    return at;
  };
  weave.warp = [&](int w, double along) {
    return thread(warpBody, warpSlub, warpWander, warpTone[w], w, along / height,
                  cloud(w * double(width) / weave.warps, along));
  };
  weave.weft = [&](int f, double along) {
    return thread(weftBody, weftSlub, weftWander, weftTone[f], f, along / width,
                  cloud(along, f * double(height) / weave.wefts));
  };
  weave.gap = scale(base, 0.72);
  weave.relief = 0.6;
  return render(width, height, 3,
                [&](double x, double y) { return shadeWeave(weave, x, y, width, height); });
}

}  // namespace vestora::generate
