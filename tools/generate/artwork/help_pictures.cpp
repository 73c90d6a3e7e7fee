#include "artwork/help_pictures.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

#include "artwork/icons.h"
#include "artwork/motifs.h"
#include "artwork/palette.h"

namespace vestora::generate::art::help {

namespace {

// Pictures.
const Ink kLineInk{kSlate, kWarmFill, 4};
const Ink kPaperInk{kSlate, kWhite, 4};
const Ink kAccentInk{hex(0x9E3F2C), kAccent, 3.6};
const Ink kTealInk{hex(0x24575A), hex(0x4F9A9E), 3.6};
constexpr Colour kSoftAccent = hex(0xF1D2C8);
constexpr Colour kSoftTeal = hex(0xCFE4E3);
constexpr Colour kTrack = hex(0xDDD7CE);
constexpr Colour kSkin = hex(0xF4E2D6);
const TextStyle kBodyText{22, false, 1.0, 0.5};

void dashed(Canvas& c, Point a, Point b, Colour colour, double stroke, double dash) {
  const double dx = b.x - a.x, dy = b.y - a.y, l = std::hypot(dx, dy);
  Shape s;
  for (double t = 0; t < l; t += 2 * dash) {
    const double e = std::min(t + dash, l);
    s.segment({a.x + dx * t / l, a.y + dy * t / l}, {a.x + dx * e / l, a.y + dy * e / l}, stroke);
  }
  c.fill(s, colour);
}

void dashedBox(Canvas& c, Box b, Colour colour, double stroke, double dash) {
  dashed(c, {b.x0, b.y0}, {b.x1, b.y0}, colour, stroke, dash);
  dashed(c, {b.x1, b.y0}, {b.x1, b.y1}, colour, stroke, dash);
  dashed(c, {b.x1, b.y1}, {b.x0, b.y1}, colour, stroke, dash);
  dashed(c, {b.x0, b.y1}, {b.x0, b.y0}, colour, stroke, dash);
}

// A rounded label with centred text.
void label(Canvas& c, const Fonts& fonts, Box b, std::string_view text, Colour fill, Colour border,
           Colour ink, double size = 21) {
  c.fill(Shape().rect(b, 9), fill);
  c.fill(Shape().rectOutline(b, 9, 2.2), border);
  drawTextCentred(c, fonts, {size, false, 1.0, 0.4}, (b.x0 + b.x1) / 2, (b.y0 + b.y1) / 2, text,
                  ink);
}

// A caption under a part of a picture.
void partCaption(Canvas& c, const Fonts& fonts, double cx, double cy, std::string_view text) {
  drawTextCentred(c, fonts, {21, true, 1.0, 0.6}, cx, cy, text, kInk);
}

}  // namespace

// A number in a disc: the figure's call-outs and the numbered steps.
void numberDisc(Canvas& c, const Fonts& fonts, Point centre, double r, int n, Colour fill) {
  c.fill(Shape().disc(centre, r), fill);
  drawTextCentred(c, fonts, {r * 1.15, true, 1.3, 0}, centre.x, centre.y, std::to_string(n),
                  kOnAccent);
}

// A call-out on a picture: a number with a white rim.
void callout(Canvas& c, const Fonts& fonts, Point centre, int n) {
  c.fill(Shape().disc(centre, 19), kWhite);
  numberDisc(c, fonts, centre, 16, n, kAccent);
}

// The main window in miniature, with call-outs 1 to 6.
void windowPicture(Canvas& c, const Fonts& fonts, Box box) {
  const Box w{box.x0 + 46, box.y0 + 26, box.x1 - 46, box.y1 - 26};
  const double titleBottom = w.y0 + 30, toolbarBottom = titleBottom + 78, stripTop = w.y1 - 30;
  c.fill(Shape().rect({w.x0 + 4, w.y0 + 8, w.x1 + 4, w.y1 + 8}, 12), hex(0xE9E5DF));
  const Shape frame = Shape().rect(w, 12);
  c.fill(frame, kBody);
  c.fill(Shape().rect({w.x0, w.y0, w.x1, toolbarBottom}).clipTo(w, 12), [&](double, double y) {
    return y < titleBottom ? kSlateDeep : mix(hex(0x323644), kSlate, (y - titleBottom) / 78);
  });
  c.fill(Shape().rect({w.x0, stripTop, w.x1, w.y1}).clipTo(w, 12), kSlateDeep);
  drawText(c, fonts, {15, true, 1.3, 0.3}, w.x0 + 16,
           centredBaseline(fonts, {15, true, 1.3, 0.3}, w.y0 + 15, false), "Vestora", kOnSlate);
  drawText(c, fonts, {14, false, 1.3, 0.5}, w.x0 + 90,
           centredBaseline(fonts, {14, false, 1.3, 0.5}, w.y0 + 15, true), "澄镜衣坊",
           kOnSlateMuted);
  for (int i = 0; i < 3; ++i)
    c.fill(Shape().disc({w.x1 - 22 - 24.0 * i, w.y0 + 15}, 5), hex(0x7A8090));

  // The toolbar.
  const Icon icons[7] = {Icon::Hanger, Icon::Sliders,  Icon::Landscape, Icon::Cart,
                         Icon::Tag,    Icon::Question, Icon::Storefront};
  const char* captions[7] = {"服装", "人体", "场景", "购物车", "订单", "帮助", "商店"};
  for (int i = 0; i < 7; ++i) {
    const Point centre{w.x0 + 52 + 70.0 * i, titleBottom + 28};
    if (i == 1)
      c.fill(Shape().rect({centre.x - 31, centre.y - 24, centre.x + 31, centre.y + 44}, 9),
             kAccent);
    c.fill(iconShape(icons[i], centre, 28, 2.2), i == 1 ? kOnAccent : hex(0xDCE0E8));
    drawTextCentred(c, fonts, {13, false, 1.3, 0.3}, centre.x, centre.y + 30, captions[i],
                    i == 1 ? kOnAccent : kOnSlateMuted);
  }

  // The 3D view with the figure and its two round buttons.
  const Box view{w.x0 + 14, toolbarBottom + 12, w.x0 + 0.58 * (w.x1 - w.x0), stripTop - 12};
  c.fill(Shape().rect(view, 6), [&](double x, double y) {
    const double u = (x - view.x0) / (view.x1 - view.x0) - 0.5,
                 v = (y - view.y0) / (view.y1 - view.y0);
    return mix(kWhite, hex(0xDADDE2), std::clamp(v * v * 0.9 - u * u * 0.6, 0.0, 1.0));
  });
  c.fill(Shape().rectOutline(view, 6, 1.6), kViewEdge);
  const double vcx = view.x0 + 0.36 * (view.x1 - view.x0);
  drawFigure(c, {vcx, view.y1 - 16}, view.y1 - view.y0 - 34, {kSlate, kWarmFill, 2.6});
  for (int i = 0; i < 2; ++i) {
    const Point p{view.x1 - 22, view.y0 + 64 + 34.0 * i};
    c.fill(Shape().disc(p, 13), kPanel);
    c.fill(Shape().ring(p, 12.5, 1.4), kViewEdge);
    c.fill(iconShape(i == 0 ? Icon::Home : Icon::Rotate, p, 17, 1.8), hex(0x4A4F5C));
  }
  // A guide card over the view's lower right.
  const Box card{view.x1 - 196, view.y1 - 118, view.x1 - 50, view.y1 - 18};
  c.fill(Shape().rect({card.x0 + 3, card.y0 + 4, card.x1 + 3, card.y1 + 4}, 8), hex(0xD9DBE0));
  c.fill(Shape().rect(card, 8), kPanel);
  c.fill(Shape().rect({card.x0, card.y0, card.x1, card.y0 + 18}).clipTo(card, 8), kSlate);
  c.fill(Shape().rect({card.x0, card.y0 + 18, card.x0 + 60, card.y0 + 20}), kAccent);
  const Point hangs = drawHanger(c, {card.x0 + 40, card.y0 + 26}, 24, kSlate, 1.6);
  drawDress(c, {card.x0 + 40, hangs.y - 1}, 42, {hex(0x9E3F2C), kAccent, 1.4});
  for (int i = 0; i < 3; ++i)
    c.fill(Shape().rect({card.x0 + 70, card.y0 + 36 + 16.0 * i, card.x1 - 14 - 20.0 * (i == 2),
                         card.y0 + 42 + 16.0 * i},
                        3),
           kTrack);

  // The slide button and the right-hand panel.
  const Box tab{view.x1 + 8, (view.y0 + view.y1) / 2 - 34, view.x1 + 22,
                (view.y0 + view.y1) / 2 + 34};
  c.fill(Shape().rect(tab, 5), hex(0xDCD6CE));
  c.fill(Shape().rectOutline(tab, 5, 1.2), hex(0xCBC4BA));
  c.fill(
      Shape().polyline(
          {{tab.x0 + 5, tab.y0 + 27}, {tab.x0 + 9.5, tab.y0 + 34}, {tab.x0 + 5, tab.y0 + 41}}, 2),
      kInkMuted);
  const Box panel{tab.x1 + 8, view.y0, w.x1 - 14, view.y1};
  c.fill(Shape().rect(panel, 6), kPanel);
  c.fill(Shape().rectOutline(panel, 6, 1.6), kHairline);
  const char* tabs[3] = {"人体编辑", "配件调整", "人体测量"};
  const double tw = (panel.x1 - panel.x0 - 24) / 3;
  for (int i = 0; i < 3; ++i) {
    const double cx = panel.x0 + 12 + tw * (i + 0.5);
    drawTextCentred(c, fonts, {13, i == 0, 1.0, 0.3}, cx, panel.y0 + 22, tabs[i],
                    i == 0 ? kInk : kInkMuted);
    if (i == 0)
      c.fill(Shape().rect({cx - 24, panel.y0 + 35, cx + 24, panel.y0 + 38}, 1.5), kAccent);
  }
  c.fill(Shape().rect({panel.x0 + 1, panel.y0 + 38, panel.x1 - 1, panel.y0 + 39}), kHairline);
  const char* rows[5] = {"身高", "体重", "胸围", "腰围", "臀围"};
  const double ts[5] = {0.55, 0.4, 0.62, 0.35, 0.5};
  for (int i = 0; i < 5 && panel.y0 + 66 + 36.0 * i < panel.y1 - 18; ++i) {
    const double y = panel.y0 + 66 + 36.0 * i;
    drawText(c, fonts, {13, false, 1.0, 0.3}, panel.x0 + 16,
             centredBaseline(fonts, {13, false, 1.0, 0.3}, y, true), rows[i], kInk);
    drawSlider(c, {panel.x0 + 64, y}, panel.x1 - panel.x0 - 86, ts[i], kTrack, kAccent);
  }
  // The bottom strip: the guide's arrows on the left, its speed on the right.
  for (int i = 0; i < 2; ++i) {
    const Point p{w.x0 + 26 + 28.0 * i, stripTop + 15};
    c.fill(Shape().ring(p, 9.5, 1.2), hex(0x7A8090));
    c.fill(iconShape(i == 0 ? Icon::ChevronLeft : Icon::ChevronRight, p, 12, 1.6), kOnSlate);
  }
  const Box pill{w.x1 - 118, stripTop + 5, w.x1 - 16, stripTop + 26};
  c.fill(Shape().rectOutline(pill, 10.5, 1.1), hex(0x5C6272));
  c.fill(iconShape(Icon::Clock, {pill.x0 + 15, pill.y0 + 10.5}, 13, 1.4), kOnSlate);
  drawTextCentred(c, fonts, {12, false, 1.3, 0.5}, pill.x0 + 60, pill.y0 + 10.5, "向导速度",
                  kOnSlate);

  callout(c, fonts, {w.x0 + 52 + 70 * 7 + 10, titleBottom + 39}, 1);
  callout(c, fonts, {view.x0 + 36, view.y0 + 36}, 2);
  callout(c, fonts, {view.x1 - 56, view.y0 + 81}, 3);
  callout(c, fonts, {panel.x1 - 4, panel.y0 - 2}, 4);
  callout(c, fonts, {tab.x0 + 7, tab.y1 + 32}, 5);
  callout(c, fonts, {card.x0 - 4, card.y0 - 4}, 6);
  callout(c, fonts, {pill.x0 - 26, stripTop + 15}, 7);
}

// Turning, panning and zooming, side by side.
void viewingPicture(Canvas& c, const Fonts& fonts, Box box) {
  const double third = (box.x1 - box.x0) / 3, base = box.y1 - 46;
  for (int i = 1; i < 3; ++i)
    c.fill(Shape().rect({box.x0 + third * i - 1, box.y0 + 30, box.x0 + third * i + 1, box.y1 - 30}),
           kHairline);
  // Turning: an arc round the figure and a mouse with both buttons lit.
  {
    const double cx = box.x0 + third / 2 - 30;
    c.fill(Shape().arc({cx, base - 124}, 96, 20, 160, 4), kSoftAccent);
    drawFigure(c, {cx, base - 20}, 200, kLineInk);
    drawArcArrow(c, {cx, base - 112}, 96, 26, 200, 340, kAccent, 4.5);
    drawMouse(c, {cx + 128, base - 150}, 88, kPaperInk, 2, kSoftAccent);
    partCaption(c, fonts, box.x0 + third / 2, box.y1 - 32, "拖动：转动视角");
  }
  // Panning: Shift and four arrows.
  {
    const double cx = box.x0 + third * 1.5;
    drawKey(c, fonts, {cx - 128, base - 152, cx - 34, base - 104}, "Shift", {kSlate, kWhite, 3},
            kSlate);
    drawTextCentred(c, fonts, {34, true, 1.0, 0}, cx - 12, base - 128, "+", kInkMuted);
    const Point m{cx + 76, base - 128};
    for (const auto& [dx, dy] : {std::pair{1.0, 0.0}, {-1.0, 0.0}, {0.0, 1.0}, {0.0, -1.0}})
      drawArrow(c, {m.x + dx * 18, m.y + dy * 18}, {m.x + dx * 70, m.y + dy * 70}, kAccent, 4.5);
    c.fill(Shape().disc(m, 13), kHover);
    partCaption(c, fonts, cx, box.y1 - 32, "Shift + 拖动：平移");
  }
  // Zooming: the wheel and a magnifier.
  {
    const double cx = box.x0 + third * 2.5;
    drawMouse(c, {cx - 70, base - 124}, 118, kPaperInk, 3, kAccent);
    drawArrow(c, {cx - 70, base - 196}, {cx - 70, base - 222}, kAccent, 4);
    drawArrow(c, {cx - 70, base - 52}, {cx - 70, base - 26}, kAccent, 4);
    const Point lens{cx + 56, base - 140};
    c.fill(Shape().disc(lens, 44), kSoftTeal);
    c.fill(Shape().ring(lens, 44, 5), kSlate);
    c.fill(Shape().segment({lens.x + 32, lens.y + 32}, {lens.x + 66, lens.y + 68}, 10), kSlate);
    c.fill(Shape()
               .segment({lens.x - 20, lens.y}, {lens.x + 20, lens.y}, 5)
               .segment({lens.x, lens.y - 20}, {lens.x, lens.y + 20}, 5),
           kHover);
    partCaption(c, fonts, cx, box.y1 - 32, "滚轮：拉近推远");
  }
}

// Height with a tape, weight and the body-mass index.
void heightWeightPicture(Canvas& c, const Fonts& fonts, Box box) {
  const double h = box.y1 - box.y0 - 64, feet = box.y1 - 30, cx = box.x0 + 70;
  drawFigure(c, {cx, feet}, h, kLineInk);
  const double tapeX = cx + 70;
  drawTape(c, {tapeX, feet - h - 4}, {tapeX, feet}, 22, 10, hex(0xF6E3D4), hex(0xC07A62));
  c.fill(Shape().segment({cx - 10, feet - h}, {tapeX + 14, feet - h}, 2.4), kAccent);
  const double lx = tapeX + 28, lw = box.x1 - 20 - lx, mid = (box.y0 + box.y1) / 2;
  label(c, fonts, {lx, mid - 100, lx + lw, mid - 58}, "165 cm", kWhite, kAccent, kInk);
  label(c, fonts, {lx, mid - 21, lx + lw, mid + 21}, "110 斤", kWhite, kAccent, kInk);
  label(c, fonts, {lx, mid + 58, lx + lw, mid + 100}, "BMI 20.2", kSoftTeal, kHover, kHover);
}

// A figure in the fifth month and a calendar leaf.
void pregnancyPicture(Canvas& c, const Fonts& fonts, Box box) {
  const double cy = (box.y0 + box.y1) / 2;
  drawFigure(c, {box.x0 + 88, box.y1 - 18}, box.y1 - box.y0 - 40, {kSlate, kSoftAccent, 3.4}, 1);
  const Box cal{box.x1 - 150, cy - 60, box.x1 - 36, cy + 62};
  c.fill(Shape().rect(cal, 12), kWhite);
  c.fill(Shape().rect({cal.x0, cal.y0, cal.x1, cal.y0 + 30}).clipTo(cal, 12), kAccent);
  c.fill(Shape().rectOutline(cal, 12, 3), kSlate);
  c.fill(Shape()
             .segment({cal.x0 + 30, cal.y0 - 8}, {cal.x0 + 30, cal.y0 + 10}, 4)
             .segment({cal.x1 - 30, cal.y0 - 8}, {cal.x1 - 30, cal.y0 + 10}, 4),
         kSlate);
  drawTextCentred(c, fonts, {46, true, 1.0, 0}, (cal.x0 + cal.x1) / 2 - 14, cal.y0 + 74, "5", kInk);
  drawTextCentred(c, fonts, {22, false, 1.0, 0}, (cal.x0 + cal.x1) / 2 + 26, cal.y0 + 82, "月",
                  kInkMuted);
}

// The local measures' sliders beside a figure with their girths marked.
void localMeasuresPicture(Canvas& c, const Fonts& fonts, Box box) {
  const char* names[5] = {"胸围", "腰围", "臀围", "肩宽", "颈围"};
  const char* values[5] = {"86 cm", "68 cm", "92 cm", "38 cm", "33 cm"};
  const double ts[5] = {0.6, 0.36, 0.55, 0.48, 0.3};
  const TextStyle name{21, false, 1.0, 0.5}, value{19, false, 1.0, 0.3};
  for (int i = 0; i < 5; ++i) {
    const double y = box.y0 + 48 + 44.0 * i;
    drawText(c, fonts, name, box.x0 + 52, centredBaseline(fonts, name, y, true), names[i], kInk);
    drawSlider(c, {box.x0 + 140, y}, 330, ts[i], kTrack, i == 1 ? kHover : kAccent);
    drawText(c, fonts, value, box.x0 + 500, centredBaseline(fonts, value, y, false), values[i],
             kInkMuted);
  }
  const double fx = box.x1 - 190, feet = box.y1 - 18, h = box.y1 - box.y0 - 36;
  drawFigure(c, {fx, feet}, h, kLineInk);
  for (double y : {0.26, 0.37, 0.47}) {
    const double yy = feet - h + y * h;
    c.fill(Shape().ellipseRing({fx, yy}, 0.125 * h, 0.03 * h, 3), y == 0.37 ? kHover : kAccent);
  }
  c.fill(Shape().ellipseRing({fx, feet - h + 0.14 * h}, 0.035 * h, 0.012 * h, 2.6), kAccent);
  drawArrow(c, {fx, feet - h + 0.2 * h}, {fx - 0.12 * h, feet - h + 0.2 * h}, kAccent, 3);
  drawArrow(c, {fx, feet - h + 0.2 * h}, {fx + 0.12 * h, feet - h + 0.2 * h}, kAccent, 3);
}

// Automatic measurement: girths by sections and the height, and the sheet.
void autoMeasurePicture(Canvas& c, const Fonts& fonts, Box box) {
  const double fx = box.x0 + 76, feet = box.y1 - 22, h = box.y1 - box.y0 - 48;
  drawFigure(c, {fx, feet}, h, kLineInk);
  for (double y : {0.26, 0.37, 0.47, 0.62}) {
    const double yy = feet - h + y * h;
    c.fill(Shape().ellipseRing({fx, yy}, y == 0.62 ? 0.08 * h : 0.135 * h, 0.03 * h, 3), kAccent);
  }
  const double lx = fx + 64;
  dashed(c, {lx, feet - h}, {lx, feet}, kHover, 3, 8);
  drawArrow(c, {lx, feet - h / 2 - 20}, {lx, feet - h + 2}, kHover, 3.4);
  drawArrow(c, {lx, feet - h / 2 + 20}, {lx, feet - 2}, kHover, 3.4);
  const Box sheet{box.x1 - 124, box.y0 + 112, box.x1 - 28, box.y1 - 28};
  drawKey(c, fonts, {sheet.x0 + 12, box.y0 + 36, sheet.x1 - 12, box.y0 + 84}, "F2",
          {kSlate, kWhite, 3}, kSlate);
  drawSheet(c, sheet, kPaperInk, 6, hex(0x8FA9D8));
}

// The report: a sheet and its two units.
void reportPicture(Canvas& c, const Fonts& fonts, Box box) {
  const double cy = (box.y0 + box.y1) / 2;
  drawSheet(c, {box.x0 + 36, box.y0 + 26, box.x0 + 150, box.y1 - 26}, kPaperInk, 6, kTrack);
  label(c, fonts, {box.x0 + 184, cy - 52, box.x1 - 30, cy - 10}, "cm", kWhite, kAccent, kInk);
  label(c, fonts, {box.x0 + 184, cy + 10, box.x1 - 30, cy + 52}, "inch", kWhite, kHover, kInk);
}

// The four freehand tools.
void measureToolsPicture(Canvas& c, const Fonts& fonts, Box box) {
  const double quarter = (box.x1 - box.x0) / 4;
  const char* names[4] = {"直线距离", "高度", "曲线距离", "任意围长"};
  for (int i = 0; i < 4; ++i) {
    const double cx = box.x0 + quarter * (i + 0.5), cy = box.y0 + 78;
    if (i > 0)
      c.fill(Shape().rect(
                 {box.x0 + quarter * i - 1, box.y0 + 26, box.x0 + quarter * i + 1, box.y1 - 26}),
             kHairline);
    switch (i) {
      case 0:
        c.fill(Shape().segment({cx - 60, cy + 30}, {cx + 60, cy - 30}, 4), kAccent);
        c.fill(Shape().disc({cx - 60, cy + 30}, 8).disc({cx + 60, cy - 30}, 8), kAccent);
        break;
      case 1:
        drawTape(c, {cx + 20, cy - 52}, {cx + 20, cy + 52}, 24, 10, hex(0xD9E9E8), hex(0x4F8C90));
        c.fill(Shape().segment({cx - 50, cy + 52}, {cx + 50, cy + 52}, 4), kSlate);
        c.fill(Shape().segment({cx - 34, cy - 52}, {cx + 46, cy - 52}, 3.4), kHover);
        drawArrow(c, {cx - 26, cy + 48}, {cx - 26, cy - 48}, kHover, 3.4);
        break;
      case 2:
        c.fill(Shape().curve({cx - 66, cy - 30}, {cx - 40, cy + 50}, {cx + 30, cy + 40},
                             {cx + 66, cy - 20}, 4),
               kHover);
        c.fill(Shape()
                   .disc({cx - 66, cy - 30}, 7)
                   .disc({cx + 66, cy - 20}, 7)
                   .disc({cx - 6, cy + 28}, 7),
               kHover);
        break;
      default:
        c.fill(Shape().rect({cx - 34, cy - 56, cx + 34, cy + 56}, 30), kWarmFill);
        c.fill(Shape().rectOutline({cx - 34, cy - 56, cx + 34, cy + 56}, 30, 4), kSlate);
        c.fill(Shape().ellipseRing({cx, cy + 6}, 52, 14, 4), kAccent);
        break;
    }
    partCaption(c, fonts, cx, box.y1 - 34, names[i]);
  }
}

// A garment dragged from the wardrobe onto the figure.
void dragGarmentPicture(Canvas& c, const Fonts& fonts, Box box) {
  const double cy = (box.y0 + box.y1) / 2;
  // The wardrobe: three thumbnails in a panel.
  const Box panel{box.x0 + 40, box.y0 + 30, box.x0 + 330, box.y1 - 30};
  c.fill(Shape().rect(panel, 12), kPanel);
  c.fill(Shape().rectOutline(panel, 12, 2), kHairline);
  drawText(c, fonts, {19, true, 1.0, 0.5}, panel.x0 + 20,
           centredBaseline(fonts, {19, true, 1.0, 0.5}, panel.y0 + 26, true), "衣橱", kInk);
  for (int i = 0; i < 3; ++i) {
    const Box thumb{panel.x0 + 16 + 92.0 * i, panel.y0 + 56, panel.x0 + 96 + 92.0 * i,
                    panel.y1 - 18};
    c.fill(Shape().rect(thumb, 8), kWhite);
    c.fill(Shape().rectOutline(thumb, 8, i == 0 ? 3.4 : 1.8), i == 0 ? kAccent : kTrack);
    const double tx = (thumb.x0 + thumb.x1) / 2, th = thumb.y1 - thumb.y0;
    if (i == 0) drawDress(c, {tx, thumb.y0 + 14}, th - 28, {hex(0x9E3F2C), kAccent, 2.4});
    if (i == 1) drawTop(c, {tx, thumb.y0 + 30}, th * 0.55, {hex(0x24575A), hex(0x4F9A9E), 2.4});
    if (i == 2) drawTrousers(c, {tx, thumb.y0 + 18}, th - 36, {kSlate, hex(0x8FA9D8), 2.4});
  }
  drawCursor(c, {panel.x0 + 70, cy + 20}, 34, kWhite, kSlate);
  // The figure, and the garment arriving on it.
  const double fx = box.x1 - 170, feet = box.y1 - 20, h = box.y1 - box.y0 - 40;
  drawFigure(c, {fx, feet}, h, kLineInk);
  drawDress(c, {fx, feet - h + 0.17 * h}, 0.62 * h, {hex(0x9E3F2C), kAccent, 3});
  drawArcArrow(c, {(panel.x1 + fx) / 2 - 10, cy + 30}, (fx - panel.x1) / 2 - 40, 90, 160, 20,
               kAccent, 4.5);
  drawHanger(c, {(panel.x1 + fx) / 2 - 10, box.y0 + 40}, 56, kTrack, 3);
}

// The three questions.
void questionPicture(Canvas& c, const Fonts& fonts, Box box) {
  const Box dialog{box.x0 + 24, box.y0 + 26, box.x1 - 24, box.y1 - 26};
  c.fill(Shape().rect(dialog, 12), kPanel);
  c.fill(Shape().rectOutline(dialog, 12, 2), kTrack);
  c.fill(Shape().rect({dialog.x0, dialog.y0, dialog.x1, dialog.y0 + 34}).clipTo(dialog, 12),
         kSlate);
  drawText(c, fonts, {17, false, 1.3, 0.5}, dialog.x0 + 18,
           centredBaseline(fonts, {17, false, 1.3, 0.5}, dialog.y0 + 17, true), "澄镜衣坊",
           kOnSlate);
  const Point q{dialog.x0 + 58, dialog.y0 + 94};
  c.fill(Shape().disc(q, 30), kHoverLight);
  c.fill(iconShape(Icon::Question, q, 44, 3.6), kHover);
  drawText(c, fonts, {22, false, 1.0, 0.5}, q.x + 50, centredBaseline(fonts, kBodyText, q.y, true),
           "是否快速缝合?", kInk);
  const double by = dialog.y1 - 50;
  label(c, fonts, {dialog.x1 - 220, by - 20, dialog.x1 - 130, by + 20}, "是", kAccent, kAccent,
        kOnAccent);
  label(c, fonts, {dialog.x1 - 116, by - 20, dialog.x1 - 26, by + 20}, "否", kWhite, kTrack, kInk);
}

// Hair, glasses, shoe and bag in a row.
void accessoriesPicture(Canvas& c, const Fonts& fonts, Box box) {
  const double cy = box.y0 + 92, fifth = (box.x1 - box.x0) / 5;
  const Colour hair[3] = {hex(0x3B2F2A), hex(0x8A5A3C), hex(0x2E3440)};
  for (int i = 0; i < 2; ++i) {
    const Point head{box.x0 + fifth * (0.5 + i), cy};
    if (i == 0) c.fill(Shape().disc(head, 66), kSoftAccent);
    drawHead(c, head, 42, {kSlate, kSkin, 3}, hair[i], i);
  }
  drawGlasses(c, {box.x0 + fifth * 2.5, cy}, 150, kSlate, hex(0x9CC8CB));
  drawShoe(c, {box.x0 + fifth * 3.5 - 82, cy + 20}, 160, kAccentInk);
  drawBag(c, {box.x0 + fifth * 4.5, cy + 4}, 108, kTealInk);
  const char* names[5] = {"发型", "发型", "眼镜", "鞋子", "包包"};
  for (int i = 0; i < 5; ++i)
    if (i != 1)
      partCaption(c, fonts, box.x0 + fifth * (i == 0 ? 1.0 : i + 0.5), box.y1 - 30, names[i]);
}

// The three scenes and the music.
void scenesPicture(Canvas& c, const Fonts& fonts, Box box) {
  const double w = 170, h = 116, top = box.y0 + 30;
  const char* names[3] = {"房间", "海滩", "天空"};
  for (int i = 0; i < 3; ++i) {
    const double x0 = box.x0 + 44 + (w + 36) * i;
    const Box f{x0, top, x0 + w, top + h};
    const double mx = (f.x0 + f.x1) / 2;
    if (i == 0) {  // a room: wall, floor, window
      c.fill(Shape().rect(f, 12), kWarmFill);
      c.fill(Shape().rect({f.x0, f.y1 - 36, f.x1, f.y1}).clipTo(f, 12), hex(0xC9B59C));
      c.fill(Shape().rectOutline({mx - 26, f.y0 + 18, mx + 26, f.y0 + 64}, 3, 3), kSlate);
      c.fill(Shape().segment({mx, f.y0 + 18}, {mx, f.y0 + 64}, 2.6), kSlate);
    } else if (i == 1) {  // a beach: sun, sea, sand
      c.fill(Shape().rect(f, 12), hex(0xDCEBF2));
      c.fill(Shape().disc({mx + 36, f.y0 + 30}, 14), hex(0xE8A45A));
      c.fill(Shape().rect({f.x0, f.y0 + 60, f.x1, f.y0 + 88}).clipTo(f, 12), hex(0x6FA9B8));
      c.fill(Shape().rect({f.x0, f.y0 + 88, f.x1, f.y1}).clipTo(f, 12), hex(0xE9D5AE));
    } else {  // the sky: a cloud
      c.fill(Shape().rect(f, 12), hex(0xBFD9EC));
      c.fill(Shape()
                 .disc({mx - 18, f.y0 + 64}, 20)
                 .disc({mx + 10, f.y0 + 52}, 24)
                 .disc({mx + 36, f.y0 + 68}, 16)
                 .rect({mx - 18, f.y0 + 64, mx + 36, f.y0 + 84}, 8),
             kWhite);
    }
    c.fill(Shape().rectOutline(f, 12, 3), kSlate);
    partCaption(c, fonts, mx, box.y1 - 32, names[i]);
  }
  // Music and sounds.
  const double sx = box.x1 - 250, sy = top + h / 2;
  const std::vector<Point> speaker = {{sx, sy - 22},      {sx + 26, sy - 22}, {sx + 60, sy - 50},
                                      {sx + 60, sy + 50}, {sx + 26, sy + 22}, {sx, sy + 22}};
  c.fill(Shape().polygon(speaker), kWarmFill);
  c.fill(Shape().polyline(speaker, 4, true), kSlate);
  c.fill(Shape().arc({sx + 60, sy}, 28, -45, 45, 4).arc({sx + 60, sy}, 50, -45, 45, 4), kHover);
  drawNote(c, {sx + 176, sy - 4}, 96, kAccent);
  partCaption(c, fonts, sx + 100, box.y1 - 32, "音乐与音效");
}

// A snapshot: a rectangle dragged over the view, the camera and Ctrl.
void snapshotPicture(Canvas& c, const Fonts& fonts, Box box) {
  const Box frame{box.x0 + 26, box.y0 + 26, box.x0 + 166, box.y1 - 96};
  c.fill(Shape().rect(frame, 6), hex(0xF1F2F4));
  drawFigure(c, {(frame.x0 + frame.x1) / 2, frame.y1 - 6}, frame.y1 - frame.y0 - 16, kLineInk);
  const Box chosen{frame.x0 + 22, frame.y0 + 14, frame.x1 - 20, frame.y0 + 120};
  dashedBox(c, chosen, hex(0x3C9A4C), 3, 9);
  drawCursor(c, {chosen.x1, chosen.y1}, 30, kWhite, kSlate);
  const double rx = (frame.x1 + box.x1) / 2 + 4;
  drawCamera(c, {rx, box.y0 + 74}, 96, kPaperInk, hex(0x9CC8CB));
  drawKey(c, fonts, {rx - 46, box.y0 + 138, rx + 46, box.y0 + 186}, "Ctrl", {kSlate, kWhite, 3},
          kSlate);
  const TextStyle name{19, false, 1.0, 0.3};
  drawTextCentred(c, fonts, name, (box.x0 + box.x1) / 2, box.y1 - 62, "name000.jpg", kInk);
  drawTextCentred(c, fonts, name, (box.x0 + box.x1) / 2, box.y1 - 32, "name001.jpg …", kInkMuted);
}

// The store: a storefront and a download into the wardrobe.
void storePicture(Canvas& c, const Fonts&, Box box) {
  const double cy = (box.y0 + box.y1) / 2;
  c.fill(Shape().rect({box.x0 + 24, box.y0 + 30, box.x0 + 144, box.y1 - 30}, 16), kSoftAccent);
  c.fill(iconShape(Icon::Storefront, {box.x0 + 84, cy}, 92, 4), kAccent);
  const double ax = box.x0 + 172;
  drawArrow(c, {ax, cy - 40}, {ax, cy + 30}, kHover, 5);
  c.fill(Shape().polyline(
             {{ax - 18, cy + 40}, {ax - 18, cy + 54}, {ax + 18, cy + 54}, {ax + 18, cy + 40}}, 4),
         kSlate);
  const double dx = box.x1 - 58;
  const Point hangs = drawHanger(c, {dx, box.y0 + 34}, 64, kSlate, 3.2);
  drawDress(c, {dx, hangs.y - 1}, box.y1 - 30 - hangs.y, kAccentInk);
}

// The turntable: the figure turning on its disc, and the button.
void turntablePicture(Canvas& c, const Fonts&, Box box) {
  const double cx = (box.x0 + box.x1) / 2 - 20, floor = box.y1 - 40, h = box.y1 - box.y0 - 80;
  c.fill(Shape().ellipse({cx, floor}, 96, 20), kSoftTeal);
  c.fill(Shape().ellipseRing({cx, floor}, 96, 20, 3.4), kSlate);
  // The arrow's far half passes behind the figure, its near half in front.
  const Point round{cx, floor - h * 0.5};
  std::vector<Point> far;
  for (int i = 0; i <= 32; ++i) {
    const double a = (20 + 140.0 * i / 32) * 3.14159265358979323846 / 180;
    far.push_back({round.x + 100 * std::cos(a), round.y - 26 * std::sin(a)});
  }
  c.fill(Shape().polyline(far, 4.5), kSoftAccent);
  drawFigure(c, {cx, floor}, h, kLineInk);
  drawArcArrow(c, round, 100, 26, 200, 340, kAccent, 4.5);
  const Point button{box.x1 - 40, box.y0 + 44};
  c.fill(Shape().disc(button, 24), kAccent);
  c.fill(iconShape(Icon::Rotate, button, 30, 3), kOnAccent);
}

}  // namespace vestora::generate::art::help
