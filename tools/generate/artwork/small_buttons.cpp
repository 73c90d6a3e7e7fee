// The smaller buttons: caption buttons on the title strip, wizard and
// browser buttons on the bottom strip, the panel slide tab, the view's two
// round buttons and its frame, and the control panel's tabs and buttons.
// Each is drawn on the colours of the place it sits on.
#include "artwork/artwork_set.h"
#include "artwork/icons.h"
#include "artwork/palette.h"

namespace vestora::generate::art {

namespace {

constexpr Colour kPressedLight = hex(0xFFF6F1);  // light strokes on terracotta or teal
constexpr double kAnyCoverage = 1.0 / 512;       // keyed pixels: painted at all

// Caption buttons 14 × 14 at window row `top` of the title strip.
void captionButtons(ArtworkSet& set) {
  enum class Glyph { Close, Minimise, Maximise };
  struct Caption {
    int normal, pressed, top;
    Glyph glyph;
  };
  const Caption kCaptions[] = {{308, 309, 10, Glyph::Close},
                               {283, 284, 13, Glyph::Minimise},
                               {282, 281, 10, Glyph::Maximise}};
  for (const Caption& b : kCaptions) {
    for (bool pressed : {false, true}) {
      Canvas c(14, 14, kSlateDeep);
      c.background([&](double, double y) { return chromeAt(b.top + y); });
      if (pressed) c.fill(Shape().rect({0, 0, 14, 14}, 3.5), kAccent);
      Shape g;
      switch (b.glyph) {
        case Glyph::Close:
          g.segment({3.6, 3.6}, {10.4, 10.4}, 1.35).segment({10.4, 3.6}, {3.6, 10.4}, 1.35);
          break;
        case Glyph::Minimise:
          g.rect({3, 9.3, 11, 10.7});
          break;
        case Glyph::Maximise:
          g.rectOutline({3, 3, 11, 11}, 1.2, 1.3);
          break;
      }
      c.fill(g, pressed ? kPressedLight : hex(0xC9CED8));
      set.bitmap(pressed ? b.pressed : b.normal, c);
    }
  }
}

enum class State { Normal, Pressed, Hover };

// Wizard buttons at window row H - 30, the bottom strip's row 1.
void wizardButtons(ArtworkSet& set) {
  struct Round {
    int normal, pressed, hover;
    Icon chevron;
  };
  const Round kRound[] = {{534, 537, 539, Icon::ChevronLeft}, {535, 536, 540, Icon::ChevronRight}};
  for (const Round& b : kRound) {
    for (State s : {State::Normal, State::Pressed, State::Hover}) {
      Canvas c(22, 22, kSlateDeep);
      c.background([](double, double y) { return bottomStripAt(1 + y); });
      const Point centre{11, 11};
      if (s == State::Normal) {
        c.fill(Shape().ring(centre, 9.6, 1.2), hex(0x7A8090));
      } else {
        c.fill(Shape().disc(centre, 10.4), s == State::Pressed ? kAccent : kHover);
      }
      c.fill(iconShape(b.chevron, centre, 13, 1.6), s == State::Normal ? kOnSlate : kPressedLight);
      set.bitmap(s == State::Normal ? b.normal : s == State::Pressed ? b.pressed : b.hover, c);
    }
  }

  // The speed button: 542 normal, 543 fast (and pressed), 544 hover.
  const std::pair<int, State> kSpeed[] = {
      {542, State::Normal}, {543, State::Pressed}, {544, State::Hover}};
  for (const auto& [id, s] : kSpeed) {
    Canvas c(93, 23, kSlateDeep);
    c.background([](double, double y) { return bottomStripAt(1 + y); });
    const Shape pill = Shape().rect({0.5, 0.5, 92.5, 22.5}, 11);
    Colour ink = kOnSlate;
    if (s == State::Normal) {
      c.fill(Shape().rectOutline({0.5, 0.5, 92.5, 22.5}, 11, 1.1), hex(0x5C6272));
    } else {
      c.fill(pill, s == State::Pressed ? kAccent : kHover);
      ink = kPressedLight;
    }
    c.fill(iconShape(Icon::Clock, {15.5, 11.5}, 14, 1.4), ink);
    drawTextCentred(c, set.fonts(), {12, false, 1.3, 0.6}, 53.5, 11.5, "向导速度", ink);
    set.bitmap(id, c);
  }
}

// Browser buttons at window row H - 30, white is transparent: the icon sits
// straight on the bottom strip; pressed and hover put it on a tile.
void browserButtons(ArtworkSet& set) {
  struct Browser {
    int normal, pressed, hover;
    Icon icon;
  };
  const Browser kBrowser[] = {{628, 630, 631, Icon::Home},
                              {629, 632, 633, Icon::Back},
                              {634, 635, 636, Icon::Forward},
                              {637, 638, 639, Icon::Refresh},
                              {640, 641, 642, Icon::Stop}};
  for (const Browser& b : kBrowser) {
    for (State s : {State::Normal, State::Pressed, State::Hover}) {
      Canvas c(25, 24, kSlateDeep);
      c.background([](double, double y) { return bottomStripAt(1 + y); });
      c.trackCoverage();
      if (s != State::Normal)
        c.fill(Shape().rect({0.5, 0.5, 24.5, 23.5}, 5), s == State::Pressed ? kAccent : kHover);
      c.fill(iconShape(b.icon, {12.5, 12}, 17, 1.5), s == State::Normal ? kOnSlate : kPressedLight);
      set.keyedBitmap(s == State::Normal    ? b.normal
                      : s == State::Pressed ? b.pressed
                                            : b.hover,
                      c, kKeyWhite, kAnyCoverage);
    }
  }
}

// 254: the panel slide tab, 10 × 49 on the body background, white cut out.
void slideTab(ArtworkSet& set) {
  Canvas c(10, 49, kBody);
  c.trackCoverage();
  c.fill(Shape().rect({0.5, 0.5, 9.5, 48.5}, 4), hex(0xDCD6CE));
  c.fill(Shape().rectOutline({0.5, 0.5, 9.5, 48.5}, 4, 1), hex(0xCBC4BA));
  c.fill(Shape().polyline({{3.6, 20}, {6.4, 24.5}, {3.6, 29}}, 1.5), kInkMuted);
  set.keyedBitmap(254, c, kKeyWhite, kAnyCoverage);
}

// The view's round buttons, 19 × 19 on its white backdrop.
void viewButtons(ArtworkSet& set) {
  struct ViewButton {
    int normal, pressed, focused;
    Icon icon;
  };
  const ViewButton kView[] = {{248, 242, 249, Icon::Rotate}, {323, 325, 324, Icon::Home}};
  for (const ViewButton& b : kView) {
    const Point centre{9.5, 9.5};
    for (int state = 0; state < 3; ++state) {
      Canvas c(19, 19, kWhite);
      Colour ink = hex(0x4A4F5C);
      if (state == 0) {
        c.fill(Shape().disc(centre, 9), kPanel);
        c.fill(Shape().ring(centre, 8.5, 1), kViewEdge);
      } else if (state == 1) {
        c.fill(Shape().disc(centre, 9.2), kAccent);
        ink = kPressedLight;
      } else {
        c.fill(Shape().disc(centre, 9), kHoverLight);
        c.fill(Shape().ring(centre, 8.5, 1.1), kHover);
        ink = kHover;
      }
      c.fill(iconShape(b.icon, centre, 12, 1.35), ink);
      set.bitmap(state == 0 ? b.normal : state == 1 ? b.pressed : b.focused, c);
    }
  }
}

// The view's frame: four rounded corners, 6 × 6, and the four hairlines.
void viewFrame(ArtworkSet& set) {
  const std::pair<int, Point> kCorners[] = {
      {160, {6, 6}}, {161, {0, 6}}, {162, {6, 0}}, {163, {0, 0}}};
  for (const auto& [id, centre] : kCorners) {
    Canvas c(6, 6, kBody);
    c.fill(Shape().disc(centre, 6), kViewEdge);
    c.fill(Shape().disc(centre, 5), kWhite);
    set.bitmap(id, c);
  }
  for (int id : {319, 320, 321, 322}) set.bitmap(id, Canvas(1, 1, kViewEdge));
}

// The control panel's four tabs (normal, selected, hover) and two buttons
// (normal, pressed, hover), on warm white.
void panelButtons(ArtworkSet& set) {
  const std::pair<int, const char*> kTabs[] = {
      {700, "人体编辑"}, {703, "配件调整"}, {706, "人体测量"}, {709, "服装合成"}};
  for (const auto& [first, label] : kTabs) {
    for (int state = 0; state < 3; ++state) {
      Canvas c(100, 30, kPanel);
      c.fill(Shape().rect({0, 29, 100, 30}), kHairline);
      Colour ink = kInkMuted;
      bool bold = false;
      if (state == 1) {
        ink = kInk;
        bold = true;
        c.fill(Shape().rect({18, 26.5, 82, 30}, 1.5), kAccent);
      } else if (state == 2) {
        ink = kHover;
      }
      drawTextCentred(c, set.fonts(), {14, bold, 1.0, 0.5}, 50, 14, label, ink);
      set.bitmap(first + state, c);
    }
  }
  const std::pair<int, const char*> kButtons[] = {{712, "重置"}, {715, "确定"}};
  for (const auto& [first, label] : kButtons) {
    for (int state = 0; state < 3; ++state) {
      Canvas c(60, 24, kPanel);
      const Box box{0.5, 0.5, 59.5, 23.5};
      Colour ink = kInk;
      if (state == 1) {
        c.fill(Shape().rect(box, 5), kAccent);
        ink = kPressedLight;
      } else {
        c.fill(Shape().rect(box, 5), kWhite);
        c.fill(Shape().rectOutline(box, 5, 1), state == 2 ? kHover : hex(0xD3CCC2));
        if (state == 2) ink = kHover;
      }
      drawTextCentred(c, set.fonts(), {13, false, state == 1 ? 1.25 : 1.0, 1}, 30, 12, label, ink);
      set.bitmap(first + state, c);
    }
  }
}

}  // namespace

void drawSmallButtons(ArtworkSet& set) {
  captionButtons(set);
  wizardButtons(set);
  browserButtons(set);
  slideTab(set);
  viewButtons(set);
  viewFrame(set);
  panelButtons(set);
}

}  // namespace vestora::generate::art
