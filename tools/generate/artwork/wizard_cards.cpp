// The guide's 34 cards, 440 × 300, shown one after another over the 3D
// view: a warm-white card with a slate header, a small line picture and one
// sentence about one thing the user can do, in the order a new user meets
// them. Magenta outside the card's rounded corners is cut away.
#include <cmath>
#include <string>
#include <vector>

#include "artwork/artwork_set.h"
#include "artwork/icons.h"
#include "artwork/motifs.h"
#include "artwork/palette.h"

namespace vestora::generate::art {

namespace {

constexpr int kW = 440, kH = 300;
constexpr double kHeader = 46;
constexpr double kRadius = 14;
constexpr double kShapedEdge = 0.3;
constexpr Colour kViewGrey = hex(0xE8E8EA);  // what the card's rounded edge blends into

struct Step {
  int bitmap;
  const char* sentence;
};

// The cards in the guide's order, bitmap ids as the window shows them.
constexpr Step kSteps[] = {
    {530, "欢迎来到澄镜衣坊：在家就能量体、试衣和搭配。"},
    {531, "在缩略图里点选一位模特：女士、女孩或男士。"},
    {532, "按住鼠标右键或左键拖动，即可转动视角环绕模特。"},
    {533, "滚动鼠标滚轮，可以拉近或推远镜头。"},
    {538, "按住 Shift 键再拖动鼠标，可以平移画面。"},
    {560, "点按“旋转”按钮，模特会在转台上缓缓转动。"},
    {561, "点按“还原”按钮，视角立即回到默认位置。"},
    {562, "点击工具栏上的“人体”按钮，打开人体编辑页。"},
    {563, "输入身高（厘米），模特会随之变高或变矮。"},
    {564, "体重以斤为单位输入，页面同时算出体重指数 BMI。"},
    {565, "选择怀孕月份，模特的腹部会随之变化。"},
    {566, "拖动胸围、腰围、臀围滑块，细致调整体形。"},
    {567, "肩宽、肩斜和颈围，也可以分别调整。"},
    {568, "点按“重置”，体形就回到初始状态。"},
    {569, "自动测量用截面算出身体各处的围度与长度。"},
    {570, "按 F2 键，显示或隐藏测量单。"},
    {571, "手动工具可以量出两点间的距离和高度。"},
    {572, "曲线长度和自由围度，也能随手量出。"},
    {573, "测量结果可存为文本报告，厘米和英寸都有。"},
    {574, "点击工具栏上的“服装”按钮，打开衣橱。"},
    {575, "把衣橱里的衣服拖到模特身上，即可试穿。"},
    {576, "试穿时会询问是否快速缝合，按需要选择即可。"},
    {577, "选择重新悬垂，让衣服顺着身体自然垂下。"},
    {578, "保留已穿的衣服，还可以再叠穿一件。"},
    {579, "不合适？把衣服从模特身上脱下即可。"},
    {580, "在配件页为模特换上不同的发型。"},
    {581, "眼镜的镜片、镜框颜色和透明度都能自选。"},
    {583, "鞋子和包包也能挑选，并可移动、旋转和缩放。"},
    {584, "在场景页切换房间、海滩或天空背景。"},
    {585, "背景音乐和音效，可以随时开关和更换。"},
    {608, "打开快照模式，框选画面后按 Ctrl 键保存图片。"},
    {609, "在线商店里能浏览并下载更多新衣。"},
    {610, "遇到问题时，按 F1 键打开帮助文件。"},
    {611, "祝您试衣愉快，穿出自己的风采！"},
};
constexpr int kStepCount = sizeof(kSteps) / sizeof(kSteps[0]);
static_assert(kStepCount == 34);

// The pictures' inks.
const Ink kLine{kSlate, kWarmFill, 2.4};
const Ink kPaper{kSlate, kWhite, 2.4};
const Ink kAccentInk{hex(0x9E3F2C), kAccent, 2.2};
const Ink kTealInk{hex(0x24575A), hex(0x4F9A9E), 2.2};
constexpr Colour kSoftAccent = hex(0xF1D2C8);
constexpr Colour kSoftTeal = hex(0xCFE4E3);
constexpr Colour kTrack = hex(0xDDD7CE);

// The picture's frame on the card: x 110 to 330, y 62 to 204.
constexpr double kCx = 220, kFeet = 200;

void dashed(Canvas& c, Point a, Point b, Colour colour, double stroke, double dash) {
  const double dx = b.x - a.x, dy = b.y - a.y, l = std::sqrt(dx * dx + dy * dy);
  Shape s;
  for (double t = 0; t < l; t += 2 * dash) {
    const double e = std::min(t + dash, l);
    s.segment({a.x + dx * t / l, a.y + dy * t / l}, {a.x + dx * e / l, a.y + dy * e / l}, stroke);
  }
  c.fill(s, colour);
}

// Part of an ellipse's outline, counter-clockwise from `from` to `to` degrees.
void ellipseArc(Canvas& c, Point centre, double rx, double ry, double from, double to,
                Colour colour, double stroke) {
  constexpr double kPi = 3.14159265358979323846;
  std::vector<Point> points;
  for (int i = 0; i <= 48; ++i) {
    const double a = (from + (to - from) * i / 48) * kPi / 180;
    points.push_back({centre.x + rx * std::cos(a), centre.y - ry * std::sin(a)});
  }
  c.fill(Shape().polyline(points, stroke), colour);
}

void dashedBox(Canvas& c, Box b, Colour colour, double stroke, double dash) {
  dashed(c, {b.x0, b.y0}, {b.x1, b.y0}, colour, stroke, dash);
  dashed(c, {b.x1, b.y0}, {b.x1, b.y1}, colour, stroke, dash);
  dashed(c, {b.x1, b.y1}, {b.x0, b.y1}, colour, stroke, dash);
  dashed(c, {b.x0, b.y1}, {b.x0, b.y0}, colour, stroke, dash);
}

// A rounded label box with centred text.
void labelBox(Canvas& c, const Fonts& fonts, Box b, std::string_view text, Colour fill,
              Colour border, Colour ink, double size = 15) {
  c.fill(Shape().rect(b, 6), fill);
  c.fill(Shape().rectOutline(b, 6, 1.6), border);
  drawTextCentred(c, fonts, {size, false, 1.0, 0.3}, (b.x0 + b.x1) / 2, (b.y0 + b.y1) / 2, text,
                  ink);
}

// A round icon button like the view's, `r` in radius.
void roundButton(Canvas& c, Point centre, double r, Icon icon, bool pressed) {
  c.fill(Shape().disc(centre, r), pressed ? kAccent : kWhite);
  if (!pressed) c.fill(Shape().ring(centre, r - 1, 2), kViewEdge);
  c.fill(iconShape(icon, centre, r * 1.25, 2.4), pressed ? hex(0xFFF6F1) : kSlate);
}

// A small toolbar tile.
void toolTile(Canvas& c, Point centre, Icon icon, bool selected) {
  const Box b{centre.x - 20, centre.y - 20, centre.x + 20, centre.y + 20};
  if (selected) c.fill(Shape().rect(b, 8), kAccent);
  c.fill(iconShape(icon, centre, 24, 2), selected ? hex(0xFFF6F1) : hex(0xDCE0E8));
}

// A figure seen from its left side, facing right; `belly` 0 to 1.
void figureInProfile(Canvas& c, Point feet, double h, const Ink& ink, double belly) {
  const Point top{feet.x, feet.y - h};
  const double b = belly;
  const std::vector<std::pair<double, double>> outline = {{0.02, 0.14},
                                                          {0.07, 0.22},
                                                          {0.09, 0.27},
                                                          {0.065, 0.31},
                                                          {0.06 + 0.09 * b, 0.38},
                                                          {0.05 + 0.07 * b, 0.44},
                                                          {0.05, 0.49},
                                                          {0.045, 0.58},
                                                          {0.035, 0.75},
                                                          {0.03, 0.9},
                                                          {0.085, 0.975},
                                                          {0.08, 0.99},
                                                          {-0.03, 0.99},
                                                          {-0.035, 0.96},
                                                          {-0.045, 0.82},
                                                          {-0.028, 0.74},
                                                          {-0.055, 0.6},
                                                          {-0.075, 0.5},
                                                          {-0.045, 0.4},
                                                          {-0.06, 0.26},
                                                          {-0.045, 0.18},
                                                          {-0.025, 0.14}};
  std::vector<Point> body;
  for (const auto& [x, y] : outline) body.push_back({top.x + x * h, top.y + y * h});
  c.fill(Shape().polygon(body), ink.fill);
  c.fill(Shape().polyline(body, ink.width, true), ink.line);
  // The near arm over the body.
  const std::vector<Point> arm = {{top.x - 0.005 * h, top.y + 0.2 * h},
                                  {top.x + 0.0 * h, top.y + 0.36 * h},
                                  {top.x + 0.02 * h, top.y + 0.5 * h}};
  c.fill(Shape().polyline(arm, 0.045 * h + 2 * ink.width), ink.line);
  c.fill(Shape().polyline(arm, 0.045 * h), ink.fill);
  const Point head{top.x + 0.005 * h, top.y + 0.07 * h};
  c.fill(Shape().disc(head, 0.062 * h), ink.fill);
  c.fill(Shape().ring(head, 0.062 * h, ink.width), ink.line);
}

// A dress form: torso on a stand.
void dressForm(Canvas& c, Point neck, double h, const Ink& ink) {
  const std::vector<Point> torso = {{neck.x - 0.07 * h, neck.y},
                                    {neck.x + 0.07 * h, neck.y},
                                    {neck.x + 0.09 * h, neck.y + 0.06 * h},
                                    {neck.x + 0.3 * h, neck.y + 0.12 * h},
                                    {neck.x + 0.3 * h, neck.y + 0.2 * h},
                                    {neck.x + 0.22 * h, neck.y + 0.34 * h},
                                    {neck.x + 0.17 * h, neck.y + 0.52 * h},
                                    {neck.x + 0.24 * h, neck.y + 0.72 * h},
                                    {neck.x - 0.24 * h, neck.y + 0.72 * h},
                                    {neck.x - 0.17 * h, neck.y + 0.52 * h},
                                    {neck.x - 0.22 * h, neck.y + 0.34 * h},
                                    {neck.x - 0.3 * h, neck.y + 0.2 * h},
                                    {neck.x - 0.3 * h, neck.y + 0.12 * h},
                                    {neck.x - 0.09 * h, neck.y + 0.06 * h}};
  c.fill(Shape()
             .segment({neck.x, neck.y + 0.72 * h}, {neck.x, neck.y + 0.98 * h}, ink.width)
             .segment({neck.x - 0.14 * h, neck.y + h}, {neck.x + 0.14 * h, neck.y + h}, ink.width),
         ink.line);
  c.fill(Shape().polygon(torso), ink.fill);
  c.fill(Shape().polyline(torso, ink.width, true), ink.line);
  c.fill(
      Shape().rect({neck.x - 0.04 * h, neck.y - 0.08 * h, neck.x + 0.04 * h, neck.y + 0.01 * h}, 2),
      ink.line);
}

void picture(Canvas& c, const Fonts& fonts, int step) {
  const Colour light = hex(0xFFF6F1);
  switch (step) {
    case 0: {  // welcome: a mirror with a dress in it
      Shape arch;
      arch.arc({kCx, 118}, 50, 0, 180, 3);
      arch.segment({kCx - 50, 118}, {kCx - 50, 196}, 3)
          .segment({kCx + 50, 118}, {kCx + 50, 196}, 3);
      c.fill(Shape().rect({kCx - 48, 118, kCx + 48, 196}).disc({kCx, 118}, 48), kSoftTeal, 0.7);
      c.fill(arch, kSlate);
      c.fill(Shape().segment({kCx - 64, 198}, {kCx + 64, 198}, 3), kSlate);
      const Point hangs = drawHanger(c, {kCx, 80}, 44, kSlate, 2.4);
      drawDress(c, {kCx, hangs.y - 1}, 88, kAccentInk);
      drawSparkle(c, {kCx + 82, 86}, 20, kAccent);
      drawSparkle(c, {kCx - 84, 128}, 14, kHover);
      drawSparkle(c, {kCx + 70, 164}, 10, kHover);
      break;
    }
    case 1: {  // thumbnails: woman, girl, man
      const double xs[3] = {kCx - 72, kCx, kCx + 72};
      const double heights[3] = {104, 78, 110};
      for (int i = 0; i < 3; ++i) {
        const Box frame{xs[i] - 32, 70, xs[i] + 32, 198};
        c.fill(Shape().rect(frame, 8), kWhite);
        c.fill(Shape().rectOutline(frame, 8, i == 1 ? 3 : 1.6), i == 1 ? kAccent : kTrack);
        drawFigure(c, {xs[i], 190}, heights[i],
                   i == 1 ? Ink{kSlate, kSoftAccent, 2} : Ink{kSlate, kWarmFill, 2});
      }
      drawCursor(c, {kCx + 14, 150}, 26, kWhite, kSlate);
      break;
    }
    case 2: {  // turning the view by dragging
      // The arrow's far half passes behind the figure, its near half in front.
      ellipseArc(c, {kCx - 30, 150}, 74, 20, 20, 160, kSoftAccent, 3);
      drawFigure(c, {kCx - 30, kFeet}, 134, kLine);
      drawArcArrow(c, {kCx - 30, 150}, 74, 20, 200, 340, kAccent, 3);
      drawMouse(c, {kCx + 88, 122}, 70, kPaper, 2, kSoftAccent);
      break;
    }
    case 3: {  // zooming with the wheel
      drawMouse(c, {kCx - 60, 132}, 84, kPaper, 3, kAccent);
      drawArrow(c, {kCx - 60, 80}, {kCx - 60, 64}, kAccent, 2.6);
      drawArrow(c, {kCx - 60, 184}, {kCx - 60, 200}, kAccent, 2.6);
      c.fill(Shape().disc({kCx + 46, 120}, 34), kSoftTeal);
      c.fill(Shape().ring({kCx + 46, 120}, 34, 3.2), kSlate);
      c.fill(Shape().segment({kCx + 70, 144}, {kCx + 96, 172}, 7), kSlate);
      c.fill(Shape()
                 .segment({kCx + 32, 120}, {kCx + 60, 120}, 3.6)
                 .segment({kCx + 46, 106}, {kCx + 46, 134}, 3.6),
             kHover);
      break;
    }
    case 4: {  // panning with Shift
      drawKey(c, fonts, {kCx - 110, 108, kCx - 20, 150}, "Shift", kPaper, kSlate);
      drawTextCentred(c, fonts, {26, true, 1.0, 0}, kCx + 4, 128, "+", kInkMuted);
      const Point m{kCx + 74, 128};
      for (const auto& [dx, dy] : {std::pair{1.0, 0.0}, {-1.0, 0.0}, {0.0, 1.0}, {0.0, -1.0}})
        drawArrow(c, {m.x + dx * 12, m.y + dy * 12}, {m.x + dx * 50, m.y + dy * 50}, kAccent, 3);
      c.fill(Shape().disc(m, 9), kHover);
      break;
    }
    case 5: {  // turntable
      c.fill(Shape().ellipse({kCx, 192}, 62, 13), kSoftTeal);
      c.fill(Shape().ellipseRing({kCx, 192}, 62, 13, 2.4), kSlate);
      ellipseArc(c, {kCx, 160}, 78, 22, 20, 160, kSoftAccent, 3);
      drawFigure(c, {kCx, 192}, 124, kLine);
      drawArcArrow(c, {kCx, 160}, 78, 22, 200, 340, kAccent, 3);
      roundButton(c, {kCx + 96, 82}, 18, Icon::Rotate, true);
      break;
    }
    case 6: {  // reset the view
      roundButton(c, {kCx - 70, 128}, 32, Icon::Home, true);
      drawFigure(c, {kCx + 60, kFeet}, 128, kLine);
      drawArcArrow(c, {kCx + 60, 150}, 66, 18, 200, 340, kHover, 3, true);
      drawCursor(c, {kCx - 56, 144}, 28, kWhite, kSlate);
      break;
    }
    case 7: {  // the toolbar's body button
      c.fill(Shape().rect({kCx - 104, 96, kCx + 104, 160}, 12),
             [](double, double y) { return mix(hex(0x353946), kSlate, (y - 96) / 64); });
      toolTile(c, {kCx - 66, 128}, Icon::Hanger, false);
      toolTile(c, {kCx, 128}, Icon::Sliders, true);
      toolTile(c, {kCx + 66, 128}, Icon::Landscape, false);
      drawCursor(c, {kCx + 10, 140}, 30, kWhite, kSlate);
      break;
    }
    case 8: {  // height
      drawFigure(c, {kCx - 40, kFeet}, 136, kLine);
      drawTape(c, {kCx + 20, 64}, {kCx + 20, kFeet}, 18, 6.8, hex(0xF6E3D4), hex(0xC07A62));
      drawArrow(c, {kCx + 44, 110}, {kCx + 44, 74}, kAccent, 2.6);
      labelBox(c, fonts, {kCx + 56, 118, kCx + 128, 146}, "165 cm", kWhite, kAccent, kInk);
      break;
    }
    case 9: {  // weight and body-mass index
      const Box scale{kCx - 110, 96, kCx - 10, 192};
      c.fill(Shape().rect(scale, 16), kWhite);
      c.fill(Shape().rectOutline(scale, 16, 2.4), kSlate);
      c.fill(Shape().arc({kCx - 60, 140}, 26, 20, 160, 3), kTrack);
      c.fill(Shape().arc({kCx - 60, 140}, 26, 90, 160, 3), kAccent);
      c.fill(Shape().segment({kCx - 60, 140}, {kCx - 72, 120}, 2.6), kSlate);
      c.fill(Shape().disc({kCx - 60, 140}, 4), kSlate);
      labelBox(c, fonts, {kCx + 10, 98, kCx + 112, 132}, "110 斤", kWhite, kAccent, kInk, 16);
      labelBox(c, fonts, {kCx + 10, 148, kCx + 112, 182}, "BMI 20.2", kSoftTeal, kHover, kHover,
               16);
      break;
    }
    case 10: {  // pregnancy month
      figureInProfile(c, {kCx - 46, kFeet}, 134, {kSlate, kSoftAccent, 2.4}, 1);
      const Box cal{kCx + 26, 84, kCx + 116, 178};
      c.fill(Shape().rect(cal, 10), kWhite);
      c.fill(Shape()
                 .rect({cal.x0, cal.y0, cal.x1, cal.y0 + 24}, 10)
                 .rect({cal.x0, cal.y0 + 12, cal.x1, cal.y0 + 24}),
             kAccent);
      c.fill(Shape().rectOutline(cal, 10, 2.2), kSlate);
      c.fill(Shape()
                 .segment({cal.x0 + 24, cal.y0 - 6}, {cal.x0 + 24, cal.y0 + 8}, 3)
                 .segment({cal.x1 - 24, cal.y0 - 6}, {cal.x1 - 24, cal.y0 + 8}, 3),
             kSlate);
      drawTextCentred(c, fonts, {34, true, 1.0, 0}, (cal.x0 + cal.x1) / 2 - 10, 140, "5", kInk);
      drawTextCentred(c, fonts, {16, false, 1.0, 0}, (cal.x0 + cal.x1) / 2 + 20, 146, "月",
                      kInkMuted);
      break;
    }
    case 11: {  // bust, waist and hip sliders
      const char* labels[3] = {"胸围", "腰围", "臀围"};
      const double ts[3] = {0.62, 0.38, 0.55};
      for (int i = 0; i < 3; ++i) {
        const double y = 92 + 40 * i;
        drawText(c, fonts, {15, false, 1.0, 0.5}, kCx - 120, y + 6, labels[i], kInk);
        drawSlider(c, {kCx - 70, y}, 110, ts[i], kTrack, i == 1 ? kHover : kAccent);
      }
      drawFigure(c, {kCx + 86, kFeet}, 134, kLine);
      for (double y : {0.26, 0.37, 0.47}) {
        const double yy = kFeet - 134 + y * 134;
        c.fill(Shape().ellipseRing({kCx + 86, yy}, 19, 4, 1.8), y == 0.37 ? kHover : kAccent);
      }
      break;
    }
    case 12: {  // shoulders and neck
      dressForm(c, {kCx, 96}, 104, kLine);
      drawArrow(c, {kCx, 104}, {kCx - 42, 104}, kAccent, 2.6);
      drawArrow(c, {kCx, 104}, {kCx + 42, 104}, kAccent, 2.6);
      c.fill(Shape().ellipseRing({kCx, 92}, 9, 3.2, 2.2), kHover);
      labelBox(c, fonts, {kCx + 58, 120, kCx + 118, 146}, "肩宽", kWhite, kAccent, kInk, 14);
      labelBox(c, fonts, {kCx - 118, 76, kCx - 58, 102}, "颈围", kWhite, kHover, kInk, 14);
      c.fill(Shape().segment({kCx - 58, 89}, {kCx - 13, 92}, 1.6), kHover);
      c.fill(Shape().segment({kCx + 58, 133}, {kCx + 36, 110}, 1.6), kAccent);
      break;
    }
    case 13: {  // reset the body
      const Box button{kCx - 120, 112, kCx - 40, 146};
      c.fill(Shape().rect(button, 7), kAccent);
      drawTextCentred(c, fonts, {16, false, 1.2, 1}, (button.x0 + button.x1) / 2, 129, "重置",
                      light);
      drawCursor(c, {kCx - 58, 136}, 26, kWhite, kSlate);
      drawFigure(c, {kCx + 60, kFeet}, 134, kLine);
      drawArcArrow(c, {kCx + 60, 142}, 58, 58, 60, 125, kHover, 3);
      break;
    }
    case 14: {  // automatic measurement by sections
      drawFigure(c, {kCx, kFeet}, 138, kLine);
      for (double y : {0.26, 0.37, 0.47, 0.62}) {
        const double yy = kFeet - 138 + y * 138;
        c.fill(Shape().ellipseRing({kCx, yy}, y == 0.62 ? 12 : 20, 4.4, 2), kAccent);
      }
      dashed(c, {kCx + 56, kFeet - 138}, {kCx + 56, kFeet}, kHover, 2, 5);
      drawArrow(c, {kCx + 56, 120}, {kCx + 56, kFeet - 136}, kHover, 2.2);
      drawArrow(c, {kCx + 56, 150}, {kCx + 56, kFeet - 2}, kHover, 2.2);
      break;
    }
    case 15: {  // the sheet on F2
      drawKey(c, fonts, {kCx - 112, 108, kCx - 46, 152}, "F2", kPaper, kSlate);
      drawSheet(c, {kCx - 10, 66, kCx + 100, 200}, kPaper, 7, hex(0x8FA9D8));
      c.fill(Shape().segment({kCx + 2, 102}, {kCx + 88, 102}, 2.4), kAccent);
      break;
    }
    case 16: {  // distance and height by hand
      drawFigure(c, {kCx - 20, kFeet}, 136, kLine);
      const Point a{kCx - 38, 112}, b{kCx + 2, 150};
      c.fill(Shape().segment(a, b, 2.6), kAccent);
      c.fill(Shape().disc(a, 5).disc(b, 5), kAccent);
      drawTape(c, {kCx + 60, 64}, {kCx + 60, kFeet}, 16, 6.8, hex(0xD9E9E8), hex(0x4F8C90));
      c.fill(Shape().segment({kCx + 44, 64}, {kCx + 76, 64}, 2.4), kHover);
      break;
    }
    case 17: {  // curves and free girths
      dressForm(c, {kCx - 10, 80}, 120, kLine);
      c.fill(Shape().ellipseRing({kCx - 10, 150}, 28, 6, 3), kAccent);
      c.fill(Shape().curve({kCx - 44, 96}, {kCx - 30, 124}, {kCx + 4, 128}, {kCx + 22, 112}, 2.6),
             kHover);
      c.fill(Shape().disc({kCx - 44, 96}, 4.5).disc({kCx + 22, 112}, 4.5), kHover);
      drawTape(c, {kCx + 70, 96}, {kCx + 70, 190}, 16, 6.8, hex(0xF6E3D4), hex(0xC07A62));
      break;
    }
    case 18: {  // the report file
      drawSheet(c, {kCx - 90, 70, kCx + 10, 196}, kPaper, 6, kTrack);
      labelBox(c, fonts, {kCx + 34, 86, kCx + 96, 114}, "cm", kWhite, kAccent, kInk);
      labelBox(c, fonts, {kCx + 34, 124, kCx + 96, 152}, "inch", kWhite, kHover, kInk);
      drawArrow(c, {kCx + 65, 160}, {kCx + 65, 194}, kSlate, 2.6);
      c.fill(Shape().polyline({{kCx + 40, 186}, {kCx + 40, 198}, {kCx + 90, 198}, {kCx + 90, 186}},
                              2.6),
             kSlate);
      break;
    }
    case 19: {  // the wardrobe
      c.fill(Shape().segment({kCx - 110, 76}, {kCx + 110, 76}, 4), kSlate);
      c.fill(Shape()
                 .segment({kCx - 110, 68}, {kCx - 110, 84}, 4)
                 .segment({kCx + 110, 68}, {kCx + 110, 84}, 4),
             kSlate);
      const double xs[3] = {kCx - 66, kCx, kCx + 66};
      for (int i = 0; i < 3; ++i) {
        const Point hangs = drawHanger(c, {xs[i], 70}, 40, kSlate, 2.2);
        if (i == 0) drawDress(c, {xs[i], hangs.y - 1}, 100, kAccentInk);
        if (i == 1) drawTop(c, {xs[i], hangs.y}, 66, kTealInk);
        if (i == 2) drawTrousers(c, {xs[i], hangs.y + 2}, 96, {kSlate, hex(0x8FA9D8), 2.2});
      }
      break;
    }
    case 20: {  // dragging a garment onto the figure
      const Box card{kCx - 118, 86, kCx - 46, 180};
      c.fill(Shape().rect(card, 8), kWhite);
      c.fill(Shape().rectOutline(card, 8, 1.8), kTrack);
      drawDress(c, {kCx - 82, 96}, 74, kAccentInk);
      drawFigure(c, {kCx + 74, kFeet}, 136, kLine);
      drawArcArrow(c, {kCx - 2, 136}, 56, 44, 150, 36, kAccent, 3);
      drawCursor(c, {kCx - 74, 146}, 26, kWhite, kSlate);
      break;
    }
    case 21: {  // the sewing question
      const Box dialog{kCx - 112, 78, kCx + 40, 188};
      c.fill(Shape().rect(dialog, 10), kWhite);
      c.fill(Shape().rectOutline(dialog, 10, 2), kTrack);
      c.fill(iconShape(Icon::Question, {kCx - 36, 112}, 38, 2.6), kHover);
      labelBox(c, fonts, {kCx - 100, 148, kCx - 42, 176}, "是", kAccent, kAccent, light);
      labelBox(c, fonts, {kCx - 30, 148, kCx + 28, 176}, "否", kWhite, kTrack, kInk);
      // A needle with its thread.
      c.fill(Shape().segment({kCx + 66, 180}, {kCx + 112, 82}, 3.4), kSlate);
      c.fill(Shape().ellipseRing({kCx + 108, 91}, 2.4, 4.2, 1.4), kWhite);
      c.fill(
          Shape().curve({kCx + 108, 90}, {kCx + 140, 120}, {kCx + 60, 140}, {kCx + 86, 196}, 2.2),
          kAccent);
      break;
    }
    case 22: {  // re-draping
      drawDress(c, {kCx, 70}, 126, kTealInk);
      Shape folds;
      folds.curve({kCx - 8, 130}, {kCx - 14, 150}, {kCx - 20, 170}, {kCx - 26, 192}, 1.8);
      folds.curve({kCx + 10, 130}, {kCx + 14, 152}, {kCx + 20, 172}, {kCx + 24, 192}, 1.8);
      c.fill(folds, hex(0x24575A));
      for (double x : {kCx - 90, kCx + 90}) {
        c.fill(Shape().curve({x, 80}, {x - 10, 100}, {x + 10, 120}, {x, 146}, 2.6), kAccent);
        drawArrow(c, {x, 146}, {x, 170}, kAccent, 2.6);
      }
      break;
    }
    case 23: {  // layering
      drawDress(c, {kCx - 24, 70}, 124, {kSlate, hex(0x8FA9D8), 2.2});
      drawTop(c, {kCx + 24, 80}, 84, kAccentInk);
      c.fill(Shape().disc({kCx + 98, 96}, 15), kHover);
      c.fill(Shape()
                 .segment({kCx + 90, 96}, {kCx + 106, 96}, 3)
                 .segment({kCx + 98, 88}, {kCx + 98, 104}, 3),
             light);
      break;
    }
    case 24: {  // taking a garment off
      drawFigure(c, {kCx - 40, kFeet}, 136, kLine);
      drawTop(c, {kCx + 62, 74}, 64, kAccentInk);
      drawArrow(c, {kCx - 10, 116}, {kCx + 34, 96}, kSlate, 2.6);
      break;
    }
    case 25: {  // hair styles
      const Colour hair[3] = {hex(0x3B2F2A), hex(0x8A5A3C), hex(0x2E3440)};
      for (int i = 0; i < 3; ++i) {
        const Point head{kCx - 76 + 76.0 * i, 126};
        if (i == 1) c.fill(Shape().disc(head, 40), kSoftAccent);
        drawHead(c, head, 24, {kSlate, hex(0xF4E2D6), 2}, hair[i], i);
      }
      c.fill(Shape().ring({kCx, 126}, 40, 2.6), kAccent);
      break;
    }
    case 26: {  // glasses and colours
      drawGlasses(c, {kCx, 114}, 150, kSlate, hex(0x9CC8CB));
      const Colour swatches[5] = {kSlate, kAccent, kHover, hex(0xB08A5A), hex(0x8FA9D8)};
      for (int i = 0; i < 5; ++i) {
        const Point p{kCx - 80 + 40.0 * i, 180};
        c.fill(Shape().disc(p, 12), swatches[i]);
        if (i == 2) c.fill(Shape().ring(p, 16.5, 2.4), kInk);
      }
      break;
    }
    case 27: {  // shoes and bags
      drawShoe(c, {kCx - 116, 132}, 100, kAccentInk);
      drawBag(c, {kCx + 60, 100}, 74, kTealInk);
      // Move, turn and scale.
      const double y = 178;
      for (double x : {kCx - 56, kCx, kCx + 56}) c.fill(Shape().disc({x, y}, 19), kSoftTeal);
      for (const auto& [dx, dy] : {std::pair{1.0, 0.0}, {-1.0, 0.0}, {0.0, 1.0}, {0.0, -1.0}})
        drawArrow(c, {kCx - 56 + dx * 2, y + dy * 2}, {kCx - 56 + dx * 13, y + dy * 13}, kHover, 2);
      c.fill(iconShape(Icon::Rotate, {kCx, y}, 26, 2.2), kHover);
      drawArrow(c, {kCx + 56, y}, {kCx + 66, y - 10}, kHover, 2);
      drawArrow(c, {kCx + 56, y}, {kCx + 46, y + 10}, kHover, 2);
      break;
    }
    case 28: {  // scenes: room, beach, sky
      const double xs[3] = {kCx - 74, kCx, kCx + 74};
      for (int i = 0; i < 3; ++i) {
        const Box f{xs[i] - 32, 98, xs[i] + 32, 166};
        if (i == 0) {  // a room: wall, floor, window
          c.fill(Shape().rect(f, 8), kWarmFill);
          c.fill(Shape().rect({f.x0, 144, f.x1, f.y1}).clipTo(f, 8), hex(0xC9B59C));
          c.fill(Shape().rectOutline({xs[i] - 12, 108, xs[i] + 12, 132}, 2, 2.2), kSlate);
          c.fill(Shape().segment({xs[i], 108}, {xs[i], 132}, 1.8), kSlate);
        } else if (i == 1) {  // a beach: sun, sea, sand
          c.fill(Shape().rect(f, 8), hex(0xDCEBF2));
          c.fill(Shape().disc({xs[i] + 12, 114}, 7), hex(0xE8A45A));
          c.fill(Shape().rect({f.x0, 132, f.x1, 150}).clipTo(f, 8), hex(0x6FA9B8));
          c.fill(Shape().rect({f.x0, 150, f.x1, f.y1}).clipTo(f, 8), hex(0xE9D5AE));
        } else {  // the sky: clouds
          c.fill(Shape().rect(f, 8), hex(0xBFD9EC));
          c.fill(Shape()
                     .disc({xs[i] - 8, 134}, 10)
                     .disc({xs[i] + 6, 128}, 12)
                     .disc({xs[i] + 18, 136}, 8)
                     .rect({xs[i] - 8, 134, xs[i] + 18, 144}, 4),
                 kWhite);
        }
        c.fill(Shape().rectOutline(f, 8, i == 1 ? 3 : 2), i == 1 ? kAccent : kSlate);
      }
      break;
    }
    case 29: {  // music and sounds
      const std::vector<Point> speaker = {{kCx - 104, 114}, {kCx - 86, 114}, {kCx - 60, 92},
                                          {kCx - 60, 168},  {kCx - 86, 146}, {kCx - 104, 146}};
      c.fill(Shape().polygon(speaker), kWarmFill);
      c.fill(Shape().polyline(speaker, 2.6, true), kSlate);
      c.fill(Shape().arc({kCx - 60, 130}, 18, -45, 45, 2.6).arc({kCx - 60, 130}, 32, -45, 45, 2.6),
             kHover);
      drawNote(c, {kCx + 50, 120}, 70, kAccent);
      drawNote(c, {kCx + 104, 92}, 34, kHover);
      break;
    }
    case 30: {  // snapshots
      dashedBox(c, {kCx - 118, 70, kCx + 10, 168}, kHover, 2.2, 6);
      drawCamera(c, {kCx - 54, 120}, 70, kPaper, hex(0x9CC8CB));
      drawKey(c, fonts, {kCx + 34, 114, kCx + 116, 156}, "Ctrl", kPaper, kSlate);
      drawCursor(c, {kCx + 6, 164}, 22, kWhite, kSlate);
      break;
    }
    case 31: {  // the store
      c.fill(Shape().rect({kCx - 112, 76, kCx + 12, 196}, 14), kSoftAccent);
      c.fill(iconShape(Icon::Storefront, {kCx - 50, 136}, 96, 3.2), kAccent);
      drawArrow(c, {kCx + 66, 82}, {kCx + 66, 160}, kHover, 3.4);
      c.fill(Shape().polyline({{kCx + 36, 168}, {kCx + 36, 186}, {kCx + 96, 186}, {kCx + 96, 168}},
                              3.2),
             kSlate);
      break;
    }
    case 32: {  // help
      drawKey(c, fonts, {kCx - 116, 106, kCx - 50, 150}, "F1", kPaper, kSlate);
      c.fill(Shape().disc({kCx + 38, 128}, 50), kSoftTeal);
      c.fill(iconShape(Icon::Question, {kCx + 38, 128}, 96, 4.6), kHover);
      break;
    }
    default: {  // enjoy
      c.fill(Shape().disc({kCx, 128}, 58), kSoftAccent);
      const Point hangs = drawHanger(c, {kCx, 74}, 46, kSlate, 2.4);
      drawDress(c, {kCx, hangs.y - 1}, 100, kAccentInk);
      drawHeart(c, {kCx + 78, 92}, 30, kAccent);
      drawSparkle(c, {kCx - 80, 96}, 24, kHover);
      drawSparkle(c, {kCx + 88, 160}, 16, kHover);
      drawSparkle(c, {kCx - 70, 172}, 12, kAccent);
      break;
    }
  }
}

Canvas drawCard(const Fonts& fonts, int index) {
  Canvas c(kW, kH, kViewGrey);
  c.trackCoverage();
  c.fill(Shape().rect({0, 0, kW, kH}, kRadius), [](double x, double y) {
    if (y >= kHeader) return kPanel;
    return mix(hex(0x2B2F3A), hex(0x3A3F4D), 0.6 * x / kW + 0.4 * y / kHeader);
  });
  c.fill(
      Shape().rectOutline({0, kHeader - kRadius, kW, kH}, kRadius, 1).clipTo({0, kHeader, kW, kH}),
      hex(0xD9D3CA));

  // Header: product, guide and step; a progress line along its foot.
  const TextStyle brand{14, true, 1.25, 0.4};
  const double baseline = centredBaseline(fonts, brand, kHeader / 2, false);
  drawText(c, fonts, brand, 22, baseline, "Vestora", kOnSlate);
  const double after = 22 + measureText(fonts, brand, "Vestora").advance;
  drawText(c, fonts, {14, false, 1.3, 1}, after + 10, baseline, "使用向导", kOnSlateMuted);
  const std::string step = std::to_string(index + 1) + " / " + std::to_string(kStepCount);
  const TextStyle stepStyle{14, false, 1.3, 0.3};
  drawText(c, fonts, stepStyle, kW - 22 - measureText(fonts, stepStyle, step).advance, baseline,
           step, kOnSlateMuted);
  c.fill(Shape().rect({0, kHeader, kW, kHeader + 3}), kHairline);
  c.fill(Shape().rect({0, kHeader, kW * (index + 1.0) / kStepCount, kHeader + 3}), kAccent);

  picture(c, fonts, index);

  // The sentence, one or two lines, centred under the picture.
  const TextStyle sentence{18, false, 1.0, 0.6};
  const auto lines = wrapText(fonts, sentence, kSteps[index].sentence, kW - 60, 2);
  const double first = lines.size() == 1 ? 248 : 234;
  for (std::size_t i = 0; i < lines.size(); ++i)
    drawTextCentred(c, fonts, sentence, kW / 2.0, first + 29.0 * i, lines[i], kInk);
  return c;
}

}  // namespace

void drawWizardCards(ArtworkSet& set) {
  for (int i = 0; i < kStepCount; ++i)
    set.keyedBitmap(kSteps[i].bitmap, drawCard(set.fonts(), i), kKeyMagenta, kShapedEdge);
}

}  // namespace vestora::generate::art
