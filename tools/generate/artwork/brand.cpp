// The product's own pictures: the splash, the application icon, the 3D
// view's studio backdrop and its two logo quads, the measurement sheet's
// paper, and the garment pictogram that follows the pointer while a garment
// is dragged.
#include <algorithm>
#include <cmath>
#include <string>

#include "artwork/artwork_set.h"
#include "artwork/icons.h"
#include "artwork/motifs.h"
#include "artwork/palette.h"
#include "artwork/png_writer.h"
#include "assets/assets.h"
#include "assets/splitmix.h"
#include "platform/resources.h"

namespace vestora::generate::art {

namespace {

constexpr double kShapedEdge = 0.3;  // shaped windows keep pixels painted at least this much

double smoothstep(double e0, double e1, double x) {
  const double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

// The studio backdrop's colour at (u, v), both 0 to 1, v = 0 at the bottom.
// The view draws the backdrop as a square behind the avatar on a white
// clear colour that shows beside it and under it, so the picture fades to
// white at its sides, top and bottom edge: a light grey floor behind the
// avatar's feet, fading upwards and sideways, lighter behind the avatar's
// centre.
constexpr Colour kStudioFloor = hex(0xD6D9DE);
Colour studioAt(double u, double v) {
  const double fu = (u - 0.5) / 0.3, fv = (v - 0.02) / 0.46;
  double floor = std::exp(-fu * fu - fv * fv) * smoothstep(0.0, 0.06, v);
  floor *= smoothstep(0.0, 0.14, u) * smoothstep(0.0, 0.14, 1 - u) * smoothstep(0.0, 0.25, 1 - v);
  const double gu = (u - 0.5) / 0.16, gv = (v - 0.5) / 0.24;
  floor *= 1 - 0.5 * std::exp(-gu * gu - gv * gv);
  return mix(kWhite, kStudioFloor, floor);
}

// A faint, fixed grain that keeps smooth gradients from banding once they
// are quantised to 8 bits and compressed.
void addGrain(Canvas& c, std::uint64_t seed, double amplitude) {
  SplitMix64 random(seed);
  for (int y = 0; y < c.height(); ++y)
    for (int x = 0; x < c.width(); ++x) {
      const double n = (random.unit() - 0.5) * 2 * amplitude;
      const Colour p = c.at(x, y);
      c.set(x, y, {p.r + n, p.g + n, p.b + n});
    }
}

// The Vestora mark: a ring, a V, and a small hanger hook on top.
void drawMark(Canvas& c, Point centre, double radius, Colour ring, Colour letter, Colour hook,
              double stroke) {
  c.fill(Shape().ring(centre, radius, stroke), ring);
  const double r = radius;
  c.fill(Shape().polyline({{centre.x - 0.46 * r, centre.y - 0.38 * r},
                           {centre.x, centre.y + 0.5 * r},
                           {centre.x + 0.46 * r, centre.y - 0.38 * r}},
                          stroke * 1.25),
         letter);
  c.fill(Shape()
             .arc({centre.x, centre.y - r - 0.26 * r}, 0.18 * r, 270, 560, stroke * 0.8)
             .segment({centre.x, centre.y - r - 0.08 * r}, {centre.x, centre.y - r}, stroke * 0.8),
         hook);
}

void splash(ArtworkSet& set) {
  constexpr int kW = 460, kH = 240;
  constexpr double kStatusTop = 186;  // black status text goes on the light band below
  Canvas c(kW, kH, hex(0x8A8E96));    // shaped edges blend towards a neutral grey
  c.trackCoverage();
  const Shape card = Shape().rect({0, 0, kW, kH}, 14);
  c.fill(card, [](double x, double y) {
    if (y >= kStatusTop) return kPanel;
    const double t = std::clamp((0.35 * x / kW + 0.65 * y / kStatusTop), 0.0, 1.0);
    return mix(hex(0x2B2F3A), hex(0x3C4250), t);
  });
  c.fill(Shape().rect({0, kStatusTop - 3, kW, kStatusTop}), kAccent);
  c.fill(Shape().rect({0, kStatusTop, kW, kStatusTop + 1}), kHairline);

  // The mirror and a dress on a hanger, in quiet lines on the right.
  Shape frame;
  frame.arc({357, 83}, 57, 0, 180, 2.2);
  frame.segment({300, 83}, {300, 172}, 2.2).segment({414, 83}, {414, 172}, 2.2);
  frame.segment({292, 174}, {422, 174}, 2.2);
  c.fill(frame, hex(0x5E6576));
  c.fill(Shape().rect({302, 85, 412, 172}).disc({357, 83}, 55), hex(0x434958), 0.55);
  const Point hangs = drawHanger(c, {357, 46}, 50, hex(0x9AA1B0), 2.2);
  drawDress(c, {357, hangs.y - 2}, 100, {kAccent, hex(0x4A3F44), 2.2});
  drawSparkle(c, {392, 62}, 12, hex(0xE9D9C7));

  const Fonts& fonts = set.fonts();
  drawText(c, fonts, {46, true, 1.25, 0.5}, 32, 94, "Vestora", kOnSlate);
  c.fill(Shape().rect({34, 110, 72, 113}, 1.5), kAccent);
  drawText(c, fonts, {18, false, 1.3, 2}, 33, 146, "澄镜衣坊 · 虚拟试衣间", kOnSlateMuted);
  drawText(c, fonts, {11, false, 1.0, 0.5}, 330, 218, "Virtual fitting room", kInkMuted);
  set.keyedBitmap(492, c, kKeyMagenta, kShapedEdge);
}

// The application icon at `size` pixels: a slate tile with a mirror arch
// and a hanger in it, drawn on a 128-unit grid scaled to the size.
std::vector<std::uint8_t> applicationIconPng(int size) {
  const double k = size / 128.0;
  Canvas c(size, size, kSlate);
  c.background([size](double x, double y) {
    return mix(hex(0x3E4453), hex(0x2A2E38), std::clamp((x + y) / (2.0 * size), 0.0, 1.0));
  });
  // The tile's coverage is the icon's alpha: paint each pixel with its own
  // colour so that only the coverage is recorded.
  c.trackCoverage();
  const double inset = 6 * k, corner = 28 * k;
  const Shape tile = Shape().rect({inset, inset, size - inset, size - inset}, corner);
  c.fill(tile, [&c](double x, double y) { return c.at(int(x), int(y)); });
  c.fill(Shape().rectOutline({inset, inset, size - inset, size - inset}, corner, std::max(1.0, 1.5 * k)),
         hex(0x5A6070), 0.8);

  // A mirror arch in warm white with a terracotta hanger in it.
  const double line = std::max(1.2, 6 * k);
  Shape arch;
  arch.arc({64 * k, 56 * k}, 26 * k, 0, 180, line);
  arch.segment({38 * k, 56 * k}, {38 * k, 98 * k}, line).segment({90 * k, 56 * k}, {90 * k, 98 * k}, line);
  arch.segment({30 * k, 100 * k}, {98 * k, 100 * k}, line);
  c.fill(arch, kPanel);
  drawHanger(c, {64 * k, 44 * k}, 40 * k, kAccent, std::max(1.0, 5 * k));
  return encodePng(size, size, 4, c.rgba());
}

void applicationIcon(ArtworkSet& set) {
  set.file(kApplicationIconPath, applicationIconPng(128));
  // The desktop's icon theme takes it at each of its sizes.
  for (int size : kDesktopIconSizes) set.file(desktopIconPath(size), applicationIconPng(size));
}

// 643: the studio backdrop behind the avatar.
void backdrop(ArtworkSet& set) {
  constexpr int kSize = 512;
  Canvas c(kSize, kSize, kWhite);
  c.background([](double x, double y) { return studioAt(x / kSize, 1 - y / kSize); });
  addGrain(c, 643, 0.6);
  set.picture(643, c);
}

// The logo quads, side by side in the lower right of the view: 588/589/590
// the mark, 587/586/582 the wordmark (normal, hover, pressed). Together they
// make one warm-white label standing on the view's bottom edge, which hides
// their lowest third; a hairline runs along the label's top and outer
// sides, two texels in so that texture filtering does not carry it over to
// the seam between the quads.
void logos(ArtworkSet& set) {
  constexpr int kSize = 128;
  struct State {
    int mark, word;
    Colour ground, ink, hook, muted;
  };
  const State kStates[] = {{588, 587, kPanel, hex(0x3A3F4D), kAccent, kInkMuted},
                           {589, 586, kHoverLight, kHover, kHover, kHover},
                           {590, 582, kAccentLight, kAccent, kAccent, kAccent}};
  for (const State& s : kStates) {
    Canvas mark(kSize, kSize, s.ground);
    mark.fill(Shape().rect({2, 2, kSize, 3.5}).rect({2, 2, 3.5, kSize}), kViewEdge);
    drawMark(mark, {64, 52}, 26, s.ink, s.ink, s.hook, 4);
    set.picture(s.mark, mark);

    Canvas word(kSize, kSize, s.ground);
    word.fill(Shape().rect({0, 2, kSize - 2, 3.5}).rect({kSize - 3.5, 2, kSize - 2, kSize}),
              kViewEdge);
    const Fonts& fonts = set.fonts();
    drawTextCentred(word, fonts, {24, true, 1.0, 0}, 60, 42, "Vestora", s.ink);
    drawTextCentred(word, fonts, {14, false, 1.0, 6}, 63, 67, "试衣间", s.muted);
    set.picture(s.word, word);
  }
}

// \model\ChineseFonts.jpg: the paper the measurement sheet is printed on.
// The view stretches its middle and keeps a 24-texel border at every edge
// unscaled, so the border and the grain must survive both.
void sheetPaper(ArtworkSet& set) {
  constexpr int kSize = 512;
  Canvas c(kSize, kSize, kPanel);
  c.fill(Shape().rectOutline({4, 4, kSize - 4, kSize - 4}, 14, 1.5), kHairline);
  addGrain(c, 512, 0.5);
  set.file(kSheetPaperPath, encodeJpeg(kSize, kSize, c.rgb(), kPictureQuality));
}

// 278: a dress on a hanger, 64 × 64, white cut out; it floats over the
// view's light backdrop.
void dragPicture(ArtworkSet& set) {
  Canvas c(64, 64, hex(0xEEEEF0));
  c.trackCoverage();
  const Point hangs = drawHanger(c, {32, 4}, 30, kSlate, 2.2);
  drawDress(c, {32, hangs.y - 1}, 38, {hex(0x9E3F2C), kAccent, 1.8});
  set.keyedBitmap(278, c, kKeyWhite, 1.0 / 512);
}

}  // namespace

void drawBrand(ArtworkSet& set) {
  splash(set);
  applicationIcon(set);
  backdrop(set);
  logos(set);
  sheetPaper(set);
  dragPicture(set);
}

}  // namespace vestora::generate::art
