// The help document's pages. Each section page is a list of blocks
// (headings, paragraphs, lists with markers, tips, pictures) laid out from
// the top of the body down; a page whose blocks run past its foot is a
// mistake in the text below and stops the generator instead of being cut.
#include "artwork/help_pages.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "artwork/help_pictures.h"
#include "artwork/icons.h"
#include "artwork/motifs.h"
#include "artwork/palette.h"

namespace vestora::generate::art {

namespace {

using namespace help;

constexpr double kW = kHelpPageWidth, kH = kHelpPageHeight;
constexpr double kLeft = 130, kRight = kW - 130;  // the text column
constexpr double kBand = 232;                     // the header band's height
constexpr double kBodyTop = 286, kBodyBottom = 1630;
constexpr double kFootRule = 1656, kFootBaseline = 1702;

// Running text: 22 px is 10.5 pt at 150 dpi.
const TextStyle kBodyText{22, false, 1.0, 0.5};
const TextStyle kTermText{22, true, 1.0, 0.5};
const TextStyle kHeadingText{30, true, 1.0, 0.8};
const TextStyle kCaptionText{19, false, 1.0, 0.5};
const TextStyle kFootText{18, false, 1.0, 0.5};
constexpr double kLine = 38;  // line pitch of running text

// ---------------------------------------------------------------- text

// The baseline of a line of text whose line box starts at `top`.
double baselineIn(const Fonts& fonts, const TextStyle& style, double top, double lineHeight) {
  return centredBaseline(fonts, style, top + lineHeight / 2, true);
}

// Running text from x0 to x1 starting at `top`; returns its height. Draws
// only when `c` is given.
double textBlock(Canvas* c, const Fonts& fonts, const TextStyle& style, double lineHeight,
                 double x0, double x1, double top, std::string_view text, Colour colour) {
  const auto lines = wrapText(fonts, style, text, x1 - x0, 60, false);
  // A paragraph should not end in a line of a character or two.
  const auto characters = [](const std::string& line) {
    return std::count_if(line.begin(), line.end(), [](char b) { return (b & 0xC0) != 0x80; });
  };
  if (lines.size() > 1 && characters(lines.back()) <= 2)
    throw std::logic_error("help: \"" + std::string(text) + "\" ends in a short line");
  if (c)
    for (std::size_t i = 0; i < lines.size(); ++i)
      drawText(*c, fonts, style, x0, baselineIn(fonts, style, top + lineHeight * i, lineHeight),
               lines[i], colour);
  return lines.size() * lineHeight;
}

double textWidth(const Fonts& fonts, const TextStyle& style, std::string_view text) {
  return measureText(fonts, style, text).advance;
}

void drawTextRight(Canvas& c, const Fonts& fonts, const TextStyle& style, double right,
                   double baseline, std::string_view text, Colour colour) {
  drawText(c, fonts, style, std::round(right - textWidth(fonts, style, text)), baseline, text,
           colour);
}

// ---------------------------------------------------------------- blocks

// A block lays itself out from `top` between x0 and x1 and returns the
// height it takes, its space below included; it draws only when given a
// canvas, so the same code measures and draws.
using Block =
    std::function<double(Canvas* c, const Fonts& fonts, double x0, double x1, double top)>;
using Picture = std::function<void(Canvas& c, const Fonts& fonts, Box box)>;

Block heading(std::string text) {
  return [text](Canvas* c, const Fonts& fonts, double x0, double, double top) {
    constexpr double kBefore = 24, kHeight = 48, kAfter = 10;
    if (c) {
      const double y = top + kBefore;
      c->fill(Shape().rect({x0, y + 9, x0 + 6, y + kHeight - 9}, 3), kAccent);
      drawText(*c, fonts, kHeadingText, x0 + 22, baselineIn(fonts, kHeadingText, y, kHeight), text,
               kInk);
    }
    return kBefore + kHeight + kAfter;
  };
}

Block paragraph(std::string text) {
  return [text](Canvas* c, const Fonts& fonts, double x0, double x1, double top) {
    return textBlock(c, fonts, kBodyText, kLine, x0, x1, top, text, kInk) + 14;
  };
}

// A hint on a teal tint.
Block tip(std::string text) {
  return [text](Canvas* c, const Fonts& fonts, double x0, double x1, double top) {
    constexpr double kPad = 18;
    const std::string label = "提示";
    const double textX = x0 + 34 + textWidth(fonts, kTermText, label) + 20;
    const double h = textBlock(nullptr, fonts, kBodyText, kLine, textX, x1 - 26, 0, text, kInk);
    const Box box{x0, top + 6, x1, top + 6 + h + 2 * kPad};
    if (c) {
      c->fill(Shape().rect(box, 12), kHoverLight);
      c->fill(Shape().rect({box.x0, box.y0, box.x0 + 8, box.y1}).clipTo(box, 12), kHover);
      drawText(*c, fonts, kTermText, x0 + 34, baselineIn(fonts, kTermText, box.y0 + kPad, kLine),
               label, kHover);
      textBlock(c, fonts, kBodyText, kLine, textX, x1 - 26, box.y0 + kPad, text, kInk);
    }
    return box.y1 - top + 18;
  };
}

// A picture on a white card, with an optional caption under it.
Block figure(double height, Picture picture, std::string caption = {}) {
  return [=](Canvas* c, const Fonts& fonts, double x0, double x1, double top) {
    const Box box{x0, top + 8, x1, top + 8 + height};
    if (c) {
      c->fill(Shape().rect(box, 16), kWhite);
      c->fill(Shape().rectOutline(box, 16, 2), kHairline);
      picture(*c, fonts, box);
      if (!caption.empty())
        drawTextCentred(*c, fonts, kCaptionText, (x0 + x1) / 2, box.y1 + 24, caption, kInkMuted);
    }
    return 8 + height + (caption.empty() ? 0 : 44) + 22;
  };
}

// Blocks in the text column's left part with a picture beside them on the
// right, `width` wide.
Block aside(double width, double height, Picture picture, std::vector<Block> blocks) {
  return [=](Canvas* c, const Fonts& fonts, double x0, double x1, double top) {
    double y = top;
    for (const Block& b : blocks) y += b(c, fonts, x0, x1 - width - 40, y);
    const Box box{x1 - width, top + 24, x1, top + 24 + height};
    if (c) {
      c->fill(Shape().rect(box, 16), kWhite);
      c->fill(Shape().rectOutline(box, 16, 2), kHairline);
      picture(*c, fonts, box);
    }
    return std::max(y - top, box.y1 - top + 22);
  };
}

// Lists: each entry has a marker, an optional term in bold and its text.
enum class Marker { Bullet, Number, Tile, Key, Button };
struct Entry {
  Entry(std::string entryTerm, std::string entryText, Icon entryIcon = Icon::Question,
        std::string entryKey = {}, int entryNumber = 0)
      : term(std::move(entryTerm)),
        text(std::move(entryText)),
        icon(entryIcon),
        key(std::move(entryKey)),
        number(entryNumber) {}

  std::string term, text;
  Icon icon;        // for tiles and buttons
  std::string key;  // for keys
  int number;       // for numbers: 0 counts the entries from 1
};

struct ListStyle {
  Marker marker = Marker::Bullet;
  double termWidth = 0;  // 0: the term on a line of its own above the text
  bool ruled = false;    // hairlines between the entries
};

// A key cap's width for its label.
double keyWidth(const Fonts& fonts, std::string_view label) {
  return textWidth(fonts, {18, true, 1.0, 0.3}, label) + 40;
}

double markerWidth(const Fonts& fonts, Marker marker, const std::vector<Entry>& entries) {
  switch (marker) {
    case Marker::Bullet:
      return 28;
    case Marker::Number:
      return 52;
    case Marker::Tile:
      return 64;
    case Marker::Button:
      return 56;
    case Marker::Key: {
      double w = 0;
      for (const Entry& e : entries) w = std::max(w, std::max(72.0, keyWidth(fonts, e.key)));
      return w + 26;
    }
  }
  return 0;
}

double markerHeight(Marker marker) {
  switch (marker) {
    case Marker::Tile:
      return 46;
    case Marker::Key:
      return 50;
    case Marker::Button:
      return 42;
    default:
      return 0;
  }
}

void drawMarker(Canvas& c, const Fonts& fonts, Marker marker, const Entry& e, int n, double x,
                double cy, double width) {
  switch (marker) {
    case Marker::Bullet:
      c.fill(Shape().disc({x + 8, cy}, 5), kAccent);
      break;
    case Marker::Number:
      numberDisc(c, fonts, {x + 17, cy}, 17, n, kAccent);
      break;
    case Marker::Tile: {
      // A toolbar button as the toolbar shows it.
      const Box b{x, cy - 23, x + 46, cy + 23};
      c.fill(Shape().rect(b, 10),
             [&](double, double y) { return mix(kSlateDeep, kSlate, (y - b.y0) / (b.y1 - b.y0)); });
      c.fill(iconShape(e.icon, {x + 23, cy}, 28, 2.2), hex(0xDCE0E8));
      break;
    }
    case Marker::Button: {
      // One of the view's round buttons.
      const Point centre{x + 20, cy};
      c.fill(Shape().disc(centre, 20), kPanel);
      c.fill(Shape().ring(centre, 19, 2), kViewEdge);
      c.fill(iconShape(e.icon, centre, 26, 2.6), hex(0x4A4F5C));
      break;
    }
    case Marker::Key: {
      const double w = std::max(72.0, keyWidth(fonts, e.key));
      if (w > width - 26) throw std::logic_error("help: the key \"" + e.key + "\" is too wide");
      drawKey(c, fonts, {x, cy - 22, x + w, cy + 20}, e.key, {kSlate, kWhite, 2.4}, kSlate);
      break;
    }
  }
}

Block list(std::vector<Entry> entries, ListStyle style) {
  return [=](Canvas* c, const Fonts& fonts, double x0, double x1, double top) {
    const double mw = markerWidth(fonts, style.marker, entries);
    const double mh = markerHeight(style.marker);
    const double termX = x0 + mw;
    const double textX = termX + style.termWidth;
    const double gap = style.ruled ? 22 : 10;
    double y = top;
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const Entry& e = entries[i];
      if (style.termWidth > 0 && textWidth(fonts, kTermText, e.term) > style.termWidth - 14)
        throw std::logic_error("help: the term \"" + e.term + "\" is wider than its column");
      if (style.ruled && i > 0 && c)
        c->fill(Shape().rect({x0, y - gap / 2 - 1, x1, y - gap / 2 + 1}), kHairline);
      // The marker sits on the first line's middle; a tall marker pushes
      // the first line down to its middle.
      const double first = y + std::max(kLine, mh) / 2;
      double textTop = first - kLine / 2;
      if (c)
        drawMarker(*c, fonts, style.marker, e, e.number ? e.number : static_cast<int>(i) + 1, x0,
                   first, mw);
      if (!e.term.empty()) {
        if (c)
          drawText(*c, fonts, kTermText, termX, baselineIn(fonts, kTermText, textTop, kLine),
                   e.term, kInk);
        if (style.termWidth == 0) textTop += kLine;
      }
      const double h = e.text.empty() ? 0
                                      : textBlock(c, fonts, kBodyText, kLine,
                                                  style.termWidth > 0 ? textX : termX, x1, textTop,
                                                  e.text, kInk);
      y = std::max(textTop + std::max(h, kLine), y + mh) + gap;
    }
    return y - top + (style.ruled ? 0 : 6);
  };
}

// ---------------------------------------------------------------- pages

// A section's emblem: a large, quiet picture on the right of its header band.
using Emblem = std::function<void(Canvas& c, Point centre)>;
constexpr Colour kEmblemInk = hex(0x4A5060);

Emblem iconEmblem(Icon icon) {
  return [icon](Canvas& c, Point centre) { c.fill(iconShape(icon, centre, 150, 7), kEmblemInk); };
}

// A tape measure wound on its reel, its end pulled out to the right.
void tapeEmblem(Canvas& c, Point centre) {
  const Point reel{centre.x - 20, centre.y - 6};
  c.fill(Shape().ring(reel, 50, 12).disc(reel, 12), kEmblemInk);
  drawTape(c, {reel.x, reel.y + 44}, {reel.x + 150, reel.y + 44}, 20, 12, kEmblemInk,
           hex(0x5E6576));
}

struct Section {
  int number;
  std::string title, subtitle;
  Emblem emblem;
  std::vector<Block> blocks;
};

std::vector<Section> sections() {
  std::vector<Section> s;
  s.push_back({1,
               "开始使用",
               "认识主窗口：工具栏、3D 视图、右侧面板和使用向导。",
               iconEmblem(Icon::Home),
               {figure(470, windowPicture),
                list({{"工具栏", "七个按钮打开程序的各项功能，见下文。"},
                      {"3D 视图", "模特站在柔和的摄影棚背景前，查看、试衣和量体都在这里。"},
                      {"旋转与还原", "视图右边的两个圆形按钮，用法见第 2 节。"},
                      {"右侧面板", "显示当前工具的内容，例如衣橱或人体编辑页。"},
                      {"滑动按钮", "点按它，面板收起，视图随之变宽；再点一次即展开。"},
                      {"向导卡片",
                       "启动后，卡片在视图中一张张出现，每张介绍一项操作；用底部的"
                       "左右箭头可以前后翻看。"},
                      {"向导速度", "设置每张向导卡片停留的秒数：1 到 60 秒，默认 3 秒。"}},
                     {Marker::Number, 150, false}),
                heading("工具栏"),
                list({{"服装", "打开衣橱，挑选要试穿的衣服。", Icon::Hanger},
                      {"人体", "打开控制面板：人体编辑、配件调整和人体测量。", Icon::Sliders},
                      {"场景", "切换背景场景，设置背景音乐和音效。", Icon::Landscape},
                      {"购物车", "在浏览器中打开在线商店的购物车。", Icon::Cart},
                      {"订单", "在浏览器中查看您在商店的订单。", Icon::Tag},
                      {"帮助", "打开本帮助文件，也可以随时按 F1 键。", Icon::Question},
                      {"商店", "打开在线商店，浏览和下载新衣。", Icon::Storefront}},
                     {Marker::Tile, 120, false})}});
  s.push_back(
      {2,
       "查看模特",
       "转动、平移、缩放，从各个角度看清模特和衣服。",
       iconEmblem(Icon::Rotate),
       {paragraph("所有查看操作都在 3D 视图中用鼠标完成，不会改变模特的体形和衣服。"),
        figure(360, viewingPicture), heading("鼠标操作"),
        list({{"转动视角", "按住鼠标右键或左键在视图中拖动，视角就围绕模特转动。"},
              {"平移画面", "按住 Shift 键再拖动，整个画面随鼠标移动，可把模特挪到视图中央。"},
              {"拉近推远", "滚动鼠标滚轮，镜头随之拉近或推远，可以细看面料和接缝。"}},
             {Marker::Bullet, 150, true}),
        aside(300, 320, turntablePicture,
              {heading("视图旁的两个按钮"),
               list({{"旋转",
                      "模特站上转台缓缓转动，每秒约 20 度，方便从四周查看试穿效果；"
                      "再按一次即停下。",
                      Icon::Rotate},
                     {"还原",
                      "程序会问“回到默认的场景位置?”，选“是”，视角回到默认的位置和距离；"
                      "穿着的衣服也回到刚穿上时的样子。",
                      Icon::Home}},
                    {Marker::Button, 0, false})}),
        tip("转得找不到模特了？点按“还原”，一切回到原位。")}});
  s.push_back(
      {3,
       "人体编辑",
       "按您自己的身材塑造模特：身高、体重、孕期和局部尺寸。",
       iconEmblem(Icon::Sliders),
       {paragraph("点按工具栏上的“人体”，右侧面板打开“人体编辑”页。输入的数字会立即反映在"
                  "模特身上，之后的试衣和量体都以此为准。"),
        aside(330, 330, heightWeightPicture,
              {heading("身高与体重"),
               paragraph("身高以厘米（cm）为单位输入，模特随之变高或变矮，身体比例保持自然。"),
               paragraph("体重以斤为单位输入（1 斤 = 0.5 千克）。页面同时算出体重指数 BMI，"
                         "即体重（千克）除以身高（米）的平方。例如身高 165 cm、体重 110 斤，"
                         "BMI 约为 20.2。")}),
        aside(330, 210, pregnancyPicture,
              {heading("怀孕月份"),
               paragraph("选择怀孕的月份，模特的腹部会随月份逐渐隆起，方便准妈妈挑选合身的"
                         "孕期服装。这一项只对女士模特有效。")}),
        heading("局部尺寸"),
        paragraph("胸围、腰围、臀围、肩宽、颈围等局部尺寸可以分别调整：拖动滑块，或直接输入"
                  "想要的厘米数。只有这一处变化，其余部位保持不变。"),
        figure(260, localMeasuresPicture),
        tip("想从头再来？点按面板下方的“重置”，体形就回到初始状态。")}});
  s.push_back(
      {4,
       "量体",
       "自动量出全身尺寸，也可以随手量任意两点之间。",
       tapeEmblem,
       {paragraph("打开控制面板的“人体测量”页。测量时模特须保持标准站姿，否则程序会提醒您。"),
        aside(330, 330, autoMeasurePicture,
              {heading("自动测量"),
               paragraph("程序用一个个水平截面在模特身上量出胸围、腰围、臀围等各处的围度，"
                         "以及身高和各段长度。"),
               paragraph("按 F2 键显示测量表：所有结果整齐地列在视图中。再按一次 F2，"
                         "测量表就收起。")}),
        heading("手动测量工具"), figure(230, measureToolsPicture),
        list({{"直线距离", "在模特身上先后点选两点，量出两点间的直线距离。"},
              {"高度", "量出所点位置离地面的高度，例如腰线或膝盖有多高。"},
              {"曲线距离", "沿身体表面依次点选，量出一段曲线的长度，例如从肩到腕。"},
              {"任意围长", "在任意位置绕身体一周，量出该处的围长。"}},
             {Marker::Bullet, 150, false}),
        aside(300, 170, reportPicture,
              {heading("保存测量报告"),
               paragraph("测量结果可以存为一份文本报告，每一项都同时给出厘米和英寸，"
                         "方便交给裁缝或网店客服。")}),
        tip("手动测量留下的标记，点按视图旁的“还原”即可清除。")}});
  s.push_back(
      {5,
       "试衣",
       "把衣服拖到模特身上，几秒钟就能看到上身效果。",
       iconEmblem(Icon::Hanger),
       {paragraph("点按工具栏上的“服装”，右侧面板显示衣橱，每件衣服都有一张小图。"),
        figure(300, dragGarmentPicture),
        list({{"", "在衣橱中按住一件衣服的小图，把它拖到视图中的模特身上，再松开鼠标。"},
              {"", "回答程序提出的问题（见下文），衣服就穿到模特身上，并顺着身体自然垂下。"}},
             {Marker::Number, 0, false}),
        aside(330, 250, questionPicture,
              {heading("试穿时的三个问题"),
               list({{"是否快速缝合?",
                      "选“是”，衣片很快拉拢、缝合在身上，适合先看个大概；选“否”，"
                      "衣服在重力下自然垂落再缝合，更细致，也稍费时。"},
                     {"是否重新进行悬垂?",
                      "选“是”，衣服按当前体形重新垂下，褶皱更自然；选“否”，"
                      "沿用衣服原先的形状。"},
                     {"是否保留当前服装?",
                      "模特已经穿着衣服时会问这一句。选“是”，原来的衣服留在身上，"
                      "新衣叠穿在外；选“否”，先脱下原来的衣服再换上新衣。"}},
                    {Marker::Bullet, 0, false})}),
        heading("脱下衣服"),
        paragraph("不合适？再拖一件衣服到模特身上，问到“是否保留当前服装?”时选“否”，"
                  "原来的衣服就脱下了。只想让衣服回到刚穿上时的样子，点按视图旁的“还原”。"),
        tip("程序提示“该服装不适合当前人体！”时，说明这件衣服不是为这位模特做的，"
            "请换一件试试。")}});
  s.push_back({6,
               "配件与场景",
               "发型、眼镜、鞋子和包包，再配上合适的背景与音乐。",
               iconEmblem(Icon::Landscape),
               {paragraph("配件在控制面板的“配件调整”页中挑选；背景和声音在工具栏的“场景”里设置。"),
                heading("配件"), figure(230, accessoriesPicture),
                list({{"发型", "从多种发型中点选一种，模特立即换上。"},
                      {"眼镜", "挑选眼镜后，镜片和镜框的颜色、透明度都可以自己调。"},
                      {"鞋子", "挑选鞋子，并可移动、旋转和缩放，让它正好穿在脚上。"},
                      {"包包", "包包同样可以移动、旋转和缩放，摆到合适的位置。"}},
                     {Marker::Bullet, 110, false}),
                heading("场景与声音"), figure(230, scenesPicture),
                paragraph("点按工具栏上的“场景”，可在房间、海滩和天空之间切换背景。背景音乐和"
                          "点按、试衣、拍照的音效也在这里开关和更换。"),
                tip("电脑没有声音设备时，程序照常工作，只是不出声。")}});
  s.push_back(
      {7,
       "拍照与商店",
       "把满意的搭配存成照片，再到商店挑选新衣。",
       iconEmblem(Icon::Storefront),
       {aside(300, 310, snapshotPicture,
              {heading("拍照"),
               list({{"", "打开快照模式。"},
                     {"", "在视图中按住鼠标拖出一个矩形，框住要拍的部分。"},
                     {"", "按 Ctrl 键，框内的画面就保存为 JPEG 图片。"}},
                    {Marker::Number, 0, false}),
               paragraph("第一次拍照时，程序会询问文件名，例如 name；照片依次编号保存为"
                         " name000.jpg、name001.jpg、name002.jpg……")}),
        aside(300, 210, storePicture,
              {heading("在线商店"),
               paragraph("点按工具栏上的“商店”，面板中会打开在线商店。看中的衣服点按下载，"
                         "它会自动安装，之后就出现在衣橱里，可以像其他衣服一样试穿。")}),
        heading("快捷键"),
        list({{"", "打开帮助（本文件）", Icon::Question, "F1"},
              {"", "显示或隐藏测量表", Icon::Question, "F2"},
              {"", "拍照（快照模式下）", Icon::Question, "Ctrl"},
              {"", "平移画面", Icon::Question, "Shift + 拖动"}},
             {Marker::Key, 0, true}),
        heading("常见问题"),
        list({{"拍照没有反应？", "请先打开快照模式，在视图中框出矩形，再按 Ctrl 键。"},
              {"商店打不开？", "在线商店需要连接网络。请检查网络后，点按面板下方的“刷新”。"},
              {"向导卡片翻得太快？", "点按右下角的“向导速度”，把每张卡片的停留时间调长一些。"}},
             {Marker::Bullet, 0, false})}});
  return s;
}

// The header band, the body and the foot of a section page.
void pageFrame(Canvas& c, const Fonts& fonts, const Section& s, int page, int pages) {
  c.background([](double, double y) {
    if (y >= kBand) return kPanel;
    return mix(kSlateDeep, kSlate, y / kBand);
  });
  c.fill(Shape().rect({0, kBand - 4, kW, kBand}), kAccent);
  // The section's icon, large and quiet, on the band's right.
  s.emblem(c, {kRight - 70, kBand / 2 + 4});

  const TextStyle brand{20, true, 1.3, 0.5}, brandMuted{19, false, 1.3, 1};
  const double top = 62;
  drawText(c, fonts, brand, kLeft, top, "Vestora", kOnSlate);
  drawText(c, fonts, brandMuted, kLeft + textWidth(fonts, brand, "Vestora") + 14, top,
           "澄镜衣坊 · 使用帮助", kOnSlateMuted);

  const Box badge{kLeft, 92, kLeft + 64, 156};
  c.fill(Shape().rect(badge, 12), kAccent);
  drawTextCentred(c, fonts, {38, true, 1.3, 0}, (badge.x0 + badge.x1) / 2,
                  (badge.y0 + badge.y1) / 2, std::to_string(s.number), kOnAccent);
  // Regular weight: at this size the thickened CJK strokes of the bold
  // style run together in dense characters.
  const TextStyle title{52, false, 1.35, 2};
  drawText(c, fonts, title, badge.x1 + 26, centredBaseline(fonts, title, 124, true), s.title,
           kOnSlate);
  const TextStyle subtitle{23, false, 1.3, 0.6};
  drawText(c, fonts, subtitle, kLeft, 204, s.subtitle, kOnSlateMuted);

  c.fill(Shape().rect({kLeft, kFootRule, kRight, kFootRule + 2}), kHairline);
  drawText(c, fonts, kFootText, kLeft, kFootBaseline, "Vestora 澄镜衣坊 · 使用帮助", kInkMuted);
  drawTextRight(c, fonts, {18, true, 1.0, 0.5}, kRight, kFootBaseline,
                std::to_string(page) + " / " + std::to_string(pages), kInk);
}

Canvas sectionPage(const Fonts& fonts, const Section& s, int page, int pages) {
  if (textWidth(fonts, {23, false, 1.3, 0.6}, s.subtitle) > kRight - kLeft - 200)
    throw std::logic_error("help: the subtitle of \"" + s.title + "\" is too long");
  // Lay out first, so that an overfull page is found before drawing.
  double y = kBodyTop;
  for (const Block& b : s.blocks) y += b(nullptr, fonts, kLeft, kRight, y);
  if (y > kBodyBottom + 24)  // the last block's space below may reach into the margin
    throw std::logic_error("help: the page \"" + s.title + "\" runs " +
                           std::to_string(int(y - kBodyBottom)) + " px past its foot");
  Canvas c(kHelpPageWidth, kHelpPageHeight, kPanel);
  pageFrame(c, fonts, s, page, pages);
  y = kBodyTop;
  for (const Block& b : s.blocks) y += b(&c, fonts, kLeft, kRight, y);
  return c;
}

Canvas coverPage(const Fonts& fonts, const std::vector<Section>& all) {
  constexpr double kFold = 900;  // where the slate ends
  Canvas c(kHelpPageWidth, kHelpPageHeight, kPanel);
  c.background([](double x, double y) {
    if (y >= kFold) return kPanel;
    const double t = std::clamp(0.35 * x / kW + 0.65 * y / kFold, 0.0, 1.0);
    return mix(kSlateDeep, hex(0x3C4250), t);
  });
  c.fill(Shape().rect({0, kFold - 6, kW, kFold}), kAccent);

  // The mirror with a dress on a hanger, in quiet lines on the right.
  const Point mirror{kW - 300, 420};
  const double r = 150;
  Shape frame;
  frame.arc(mirror, r, 0, 180, 5);
  frame.segment({mirror.x - r, mirror.y}, {mirror.x - r, mirror.y + 250}, 5)
      .segment({mirror.x + r, mirror.y}, {mirror.x + r, mirror.y + 250}, 5)
      .segment({mirror.x - r - 22, mirror.y + 256}, {mirror.x + r + 22, mirror.y + 256}, 5);
  c.fill(Shape()
             .rect({mirror.x - r + 3, mirror.y, mirror.x + r - 3, mirror.y + 250})
             .disc(mirror, r - 3),
         hex(0x434958), 0.55);
  c.fill(frame, hex(0x5E6576));
  const Point hangs = drawHanger(c, {mirror.x, mirror.y - 100}, 120, hex(0x9AA1B0), 5);
  drawDress(c, {mirror.x, hangs.y - 4}, 250, {kAccent, hex(0x4A3F44), 5});
  drawSparkle(c, {mirror.x + 96, mirror.y - 50}, 30, hex(0xE9D9C7));
  drawSparkle(c, {mirror.x - 110, mirror.y + 120}, 20, hex(0xE9D9C7));

  drawText(c, fonts, {136, true, 1.25, 1}, kLeft - 6, 470, "Vestora", kOnSlate);
  c.fill(Shape().rect({kLeft, 516, kLeft + 100, 524}, 4), kAccent);
  drawText(c, fonts, {42, false, 1.3, 3}, kLeft, 618, "澄镜衣坊 · 虚拟试衣间", kOnSlateMuted);
  drawText(c, fonts, {24, false, 1.0, 1}, kLeft, 684, "Virtual fitting room", hex(0x8E95A3));

  drawText(c, fonts, {72, true, 1.0, 4}, kLeft, 1060, "使用帮助", kInk);
  drawText(c, fonts, {26, false, 1.0, 1}, kLeft, 1124, "量体、试衣、搭配，一看就会。", kInkMuted);

  // The contents.
  const TextStyle entry{26, false, 1.0, 1}, number{26, true, 1.0, 0};
  const double rowTop = 1190, row = 58;
  for (std::size_t i = 0; i < all.size(); ++i) {
    const double top = rowTop + row * i;
    const double baseline = baselineIn(fonts, entry, top, row);
    drawText(c, fonts, number, kLeft, baseline, std::to_string(all[i].number), kAccent);
    drawText(c, fonts, entry, kLeft + 48, baseline, all[i].title, kInk);
    drawTextRight(c, fonts, entry, kRight, baseline, std::to_string(i + 2), kInkMuted);
    c.fill(Shape().rect({kLeft, top + row - 1, kRight, top + row + 1}), kHairline);
  }
  drawText(c, fonts, kFootText, kLeft, kFootBaseline, "在程序中按 F1 键，随时打开本帮助。",
           kInkMuted);
  return c;
}

}  // namespace

int helpPageCount() {
  return 1 + static_cast<int>(sections().size());
}

Canvas drawHelpPage(const Fonts& fonts, int index) {
  const std::vector<Section> all = sections();
  const int pages = 1 + static_cast<int>(all.size());
  if (index < 0 || index >= pages)
    throw std::out_of_range("help: there is no page " + std::to_string(index));
  if (index == 0) return coverPage(fonts, all);
  return sectionPage(fonts, all[std::size_t(index) - 1], index + 1, pages);
}

}  // namespace vestora::generate::art
