// The window's skin: title strip, toolbar strip, bottom strip and band, the
// body background, the progress bar and the banner under the toolbar.
// Fillers are stretched sideways by the window, so they have one vertical
// profile; every piece shares the profile of its strip.
#include <algorithm>
#include <cmath>

#include "artwork/artwork_set.h"
#include "artwork/icons.h"
#include "artwork/palette.h"

namespace vestora::generate::art {

namespace {

Paint titleProfile() {
  return [](double, double y) { return chromeAt(y); };
}

Paint toolbarProfile() {
  return [](double, double y) { return chromeAt(kToolbarTop + y); };
}

void titleStrip(ArtworkSet& set) {
  const Fonts& fonts = set.fonts();

  // 291: the left cap with the wordmark.
  Canvas left(320, kTitleHeight, kSlateDeep);
  left.background(titleProfile());
  left.fill(Shape().rect({16, 11, 19, 26}, 1.5), kAccent);
  const TextStyle wordmark{17, true, 1.25, 0.4};
  const double baseline = centredBaseline(fonts, wordmark, 18.5, false);
  drawText(left, fonts, wordmark, 27, baseline, "Vestora", kOnSlate);
  const double after = 27 + measureText(fonts, wordmark, "Vestora").advance;
  left.fill(Shape().rect({after + 12, 12, after + 13, 25}), hex(0x4C5161));
  drawText(left, fonts, {13, false, 1.3, 1.5}, after + 25, baseline, "澄镜衣坊", kOnSlateMuted);
  set.bitmap(291, left);

  // 292: the right cap; the caption buttons sit at x 42 to 99. A hairline
  // sets them apart from the strip.
  Canvas right(120, kTitleHeight, kSlateDeep);
  right.background(titleProfile());
  right.fill(Shape().rect({28, 11, 29, 26}), hex(0x414654));
  set.bitmap(292, right);

  // 293: the centre piece, a soft light falling on the strip from above; it
  // fades to nothing well inside its ends so that it joins the fillers.
  Canvas centre(400, kTitleHeight, kSlateDeep);
  centre.background([](double x, double y) {
    const Colour base = chromeAt(y);
    if (y >= 36) return base;
    const double dx = (x - 200) / 190, dy = y / 40;
    const double d = dx * dx + dy * dy;
    if (d >= 1) return base;
    const double glow = (1 - d) * (1 - d) * 0.16;
    return mix(base, hex(0x5A6072), glow);
  });
  set.bitmap(293, centre);

  Canvas filler(4, kTitleHeight, kSlateDeep);
  filler.background(titleProfile());
  set.bitmap(294, filler);
}

void toolbarStrip(ArtworkSet& set) {
  Canvas leftCap(40, kToolbarHeight, kSlate);
  leftCap.background(toolbarProfile());
  set.bitmap(295, leftCap);
  Canvas rightCap(40, kToolbarHeight, kSlate);
  rightCap.background(toolbarProfile());
  set.bitmap(296, rightCap);

  // 297 and 298 flank the seven buttons; a faint divider closes the group
  // on each side, fading out at its ends.
  Canvas leftPiece(140, kToolbarHeight, kSlate);
  leftPiece.background([](double x, double y) {
    const Colour base = chromeAt(kToolbarTop + y);
    if (static_cast<int>(x) != 127 || y < 24 || y > 78) return base;
    const double t = (y - 24) / 54, fade = 4 * t * (1 - t);
    return mix(base, hex(0x535968), fade);
  });
  set.bitmap(297, leftPiece);
  set.bitmap(298, leftPiece.mirrored());

  Canvas filler(4, kToolbarHeight, kSlate);
  filler.background(toolbarProfile());
  set.bitmap(299, filler);
}

void bottom(ArtworkSet& set) {
  // 300 at x = 306 and its mirror 310: the strip with a faint divider near
  // the outer end, setting the browser and wizard buttons apart from the
  // stretch between the pieces, where downloads show their progress.
  Canvas piece(200, kBottomHeight, kSlateDeep);
  piece.background([](double x, double y) {
    const Colour base = bottomStripAt(y);
    if (static_cast<int>(x) != 8 || y < 7 || y > 25) return base;
    const double t = (y - 7) / 18, fade = 4 * t * (1 - t);
    return mix(base, hex(0x545A6A), fade);
  });
  set.bitmap(300, piece);
  set.bitmap(310, piece.mirrored());

  Canvas filler(4, kBottomHeight, kSlateDeep);
  filler.background([](double, double y) { return bottomStripAt(y); });
  set.bitmap(313, filler);

  // 317: the band between the body and the bottom strip.
  Canvas band(4, kBandHeight, kBody);
  band.background([](double, double y) {
    switch (static_cast<int>(y)) {
      case 3:
        return hex(0xDDD8D0);
      case 4:
        return hex(0xE8E4DE);
      case 5:
        return hex(0x2A2D35);
      default:
        return kBody;
    }
  });
  set.bitmap(317, band);

  // 315, 316: the body's left piece (its last column is stretched over the
  // middle) and right edge, with the window's hairline at the outer side.
  Canvas bodyLeft(10, 64, kBody);
  bodyLeft.background([](double x, double) { return x < 1 ? hex(0xDDD8D0) : kBody; });
  set.bitmap(315, bodyLeft);
  Canvas bodyRight(5, 64, kBody);
  bodyRight.background([](double x, double) { return x >= 4 ? hex(0xDDD8D0) : kBody; });
  set.bitmap(316, bodyRight);
}

void progressBar(ArtworkSet& set) {
  // 311: a slim trough on the bottom strip; 312: the terracotta fill.
  Canvas trough(200, 10, kSlateDeep);
  trough.background([](double, double y) { return bottomStripAt(10 + y); });
  trough.fill(Shape().rect({0, 0, 200, 10}, 3), hex(0x23262D));
  trough.fill(Shape().rectOutline({0, 0, 200, 10}, 3, 1), hex(0x4C5262));
  set.bitmap(311, trough);

  Canvas bar(200, 10, kAccent);
  bar.background([](double, double y) {
    const double t = y / 10;
    return mix(hex(0xDD7158), hex(0xB0442F), t);
  });
  bar.fill(Shape().rect({0, 1, 200, 2}), hex(0xE88C74), 0.6);
  set.bitmap(312, bar);
}

void banner(ArtworkSet& set) {
  // 318: the tagline under the toolbar, on the strip's own colours.
  Canvas b(695, 16, kSlate);
  b.background([](double, double y) { return chromeAt(kBannerTop + y); });
  const TextStyle style{12, false, 1.3, 1.2};
  drawTextCentred(b, set.fonts(), style, 347.5, 8, "量体 · 试衣 · 搭配 — 在家就能试遍每一件新衣",
                  kOnSlateMuted);
  set.bitmap(318, b);
}

}  // namespace

void drawSkin(ArtworkSet& set) {
  titleStrip(set);
  toolbarStrip(set);
  bottom(set);
  progressBar(set);
  banner(set);
}

}  // namespace vestora::generate::art
