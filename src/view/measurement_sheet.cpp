#include "view/measurement_sheet.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "view/gl_font.h"
#include "view/gl_headers.h"

namespace vestora {
namespace {

// A screen projection over the current viewport; the previous one is kept.
void pushScreenProjection() {
  glPushAttrib(GL_TRANSFORM_BIT);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  gluOrtho2D(viewport[0], viewport[2], viewport[1], viewport[3]);
  glPopAttrib();
}

void popScreenProjection() {
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
}

std::string valueText(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%7.4f", static_cast<double>(value));
  return text;
}

// A block of the sheet: its heading and its lines.
struct Block {
  const char* heading;
  std::vector<SheetLine> lines;
  bool legend = false;  // the unit legend stands above the heading
  int rows() const { return static_cast<int>(lines.size()) + 1 + (legend ? 1 : 0); }
};

constexpr const char* kLegend[4] = {"     Unit:", "     cm", "     /", "     inch"};
constexpr int kBlockGap = kSheetLineStep / 2;
// The glyphs' rise above the baseline, so that the first line stays inside the card.
constexpr int kAscent = 12;
constexpr int kLabelGap = 14;

// The sheet with `columns` at the font's size, its card's top left corner
// at the view's.
MeasurementSheet layOut(const Block (&blocks)[3], const std::vector<std::vector<int>>& columns,
                        bool inches, int viewHeight, const TextWidth& textWidth) {
  MeasurementSheet sheet;
  sheet.columns = static_cast<int>(columns.size());
  const int valueWidth = textWidth(valueText(999.9999f));
  const int firstTop = viewHeight - kSheetMargin - kSheetPadding;
  int x = kSheetMargin + kSheetPadding;
  int lowest = firstTop;
  std::vector<SheetText> legend;
  for (const std::vector<int>& column : columns) {
    int labelWidth = 0;
    for (int b : column) {
      labelWidth = std::max(labelWidth, textWidth(blocks[b].heading));
      for (const SheetLine& line : blocks[b].lines)
        labelWidth = std::max(labelWidth, textWidth(line.label));
    }
    const int columnWidth = labelWidth + kLabelGap + valueWidth;
    int y = firstTop - kAscent;
    for (std::size_t k = 0; k < column.size(); ++k) {
      const Block& block = blocks[column[k]];
      if (k > 0) y -= kBlockGap;
      if (block.legend) {
        int at = x - textWidth("     ");
        for (int i = 0; i < 4; ++i) {
          const bool accent = (i == 1 && !inches) || (i == 3 && inches);
          legend.push_back({kLegend[i], at, y, accent ? kSheetAccentColour : kSheetHeadingColour});
          // The next piece's leading blanks close up to one.
          at += textWidth(kLegend[i]) - (textWidth("     ") - textWidth(" "));
        }
        y -= kSheetLineStep;
      }
      sheet.bars.push_back({x - 4, y, columnWidth + 8});
      sheet.headings.push_back({block.heading, x, y, kSheetHeadingColour});
      for (SheetLine line : block.lines) {
        y -= kSheetLineStep;
        line.labelX = x;
        line.valueX = x + columnWidth - textWidth(valueText(line.value));
        line.y = y;
        sheet.lines.push_back(line);
      }
      y -= kSheetLineStep;
    }
    lowest = std::min(lowest, y + kSheetLineStep);
    x += columnWidth + kSheetColumnGap;
  }
  // Columns take the blocks in order, so headings and lines already are.
  sheet.headings.insert(sheet.headings.end(), legend.begin(), legend.end());
  const int right = x - kSheetColumnGap + kSheetPadding;
  const int bottom = lowest - 4 - kSheetPadding;  // the descenders of the last line
  const int top = viewHeight - kSheetMargin;
  sheet.card = {kSheetMargin, bottom, right - kSheetMargin, top - bottom};
  return sheet;
}

// The sheet shrunk by `s` towards the card's top left corner.
MeasurementSheet scaleSheet(MeasurementSheet sheet, float s, int viewHeight) {
  if (s >= 1.0f) return sheet;
  const int top = viewHeight - kSheetMargin;
  auto sx = [&](int at) {
    return kSheetMargin + static_cast<int>(std::lround((at - kSheetMargin) * s));
  };
  auto sy = [&](int at) { return top - static_cast<int>(std::lround((top - at) * s)); };
  for (SheetText& t : sheet.headings) t.x = sx(t.x), t.y = sy(t.y);
  for (SheetLine& l : sheet.lines) l.labelX = sx(l.labelX), l.valueX = sx(l.valueX), l.y = sy(l.y);
  for (SheetBar& b : sheet.bars) {
    b.x = sx(b.x), b.y = sy(b.y);
    b.width = static_cast<int>(std::lround(b.width * s));
  }
  const int bottom = sy(sheet.card.y);
  sheet.card = {kSheetMargin, bottom, static_cast<int>(std::lround(sheet.card.width * s)),
                top - bottom};
  sheet.scale = s;
  return sheet;
}

}  // namespace

MeasurementSheet buildMeasurementSheet(const MeasureResults& results,
                                       const FreehandValues& freehand, const FreehandTools& tools,
                                       float unitFactor, int viewWidth, int viewHeight,
                                       const TextWidth& textWidthIn) {
  const TextWidth textWidth = textWidthIn ? textWidthIn : [](std::string_view text) {
    return static_cast<int>(text.size()) * kSheetFallbackCharWidth;
  };
  const float divisor = unitFactor > 0 ? unitFactor : 1.0f;
  const bool inches = unitFactor != 1.0f;
  const auto& v = results.value;

  Block blocks[3];
  blocks[0].heading = "CIRCUMFERENCE MEASUREMENTS :";
  blocks[0].legend = true;
  const std::pair<const char*, float> circumference[15] = {
      {"1.      Bust/Chest:", v[kChest]},
      {"2.      Waist:", v[kWaist]},
      {"3.      Abdomen: ", v[kAbdomen]},
      {"4.      Hip: ", v[kHip]},
      {"5.        Waist to ankle:", v[kWaistToAnkle]},
      {"6.      Crotch depth:", v[kCrotchDepth]},
      {"7.      Crotch length:", v[kCrotchGirth]},
      {"8.        Upper thigh:", v[kUpperThigh]},
      {"9.        Mid-thigh:", v[kMidThigh]},
      {"10.       Knee:", v[kKnee]},
      {"11.        Calf:", v[kCalf]},
      {"12.      Ankle:", v[kAnkle]},
      {"13.      Elbow:", v[kElbow]},
      {"14.      Wrist:", v[kWrist]},
      {"15.      Inseam:", results.inseamCm},
  };
  for (const auto& [label, value] : circumference)
    blocks[0].lines.push_back({label, value / divisor});

  blocks[1].heading = "LENGTH MEASUREMENTS :";
  const std::pair<const char*, float> lengths[11] = {
      {"16.      Front center length:", v[kFrontCentre]},
      {"17.      Back center length:", v[kBackCentre]},
      {"18.      Front full length:", v[kFrontFull]},
      {"19.      Back full length:", v[kBackFull]},
      {"20.      Front shoulder slope:", v[kFrontShoulderSlope]},
      {"21.      Back shoulder slope:", v[kBackShoulderSlope]},
      {"22.      Bust depth:", v[kBustDepth]},
      {"23.      Bust span:", v[kBustSpan]},
      {"24.      Bust radius:", v[kBustRadius]},
      {"25.      Front across shoulder:", v[kFrontAcrossShoulder]},
      {"26.      Back across shoulder:", v[kBackAcrossShoulder]},
  };
  for (const auto& [label, value] : lengths) blocks[1].lines.push_back({label, value / divisor});

  blocks[2].heading = "FREEHAND MEASUREMENT:";
  const struct {
    const char* label;
    float value;
    bool highlighted;
  } freehandLines[11] = {
      {"Girth:", freehand.girth, tools.freeGirth},
      {"Linear distance:", freehand.linearDistance, tools.linearDistance},
      {"Height:", freehand.height, tools.height},
      {"Curve length:", freehand.curveLength, tools.curveLength},
      {"Slope girth:", freehand.slopeGirth, false},
      {"Free cut torso girth:", freehand.freeCutTorso, false},
      {"Free cut Left Arm girth:", freehand.freeCutLeftArm, false},
      {"Free cut Right Arm girth:", freehand.freeCutRightArm, false},
      {"Free cut Left Leg girth:", freehand.freeCutLeftLeg, false},
      {"Free cut Right Leg girth:", freehand.freeCutRightLeg, false},
      {"Sliding slope girth:", freehand.slidingSlope, false},
  };
  for (const auto& line : freehandLines)
    blocks[2].lines.push_back({line.label, line.value / divisor, 0, 0, 0, line.highlighted});

  // Every way to stand the three blocks in columns, in order: the narrowest
  // whose text stays legible wins (it leaves the most of the avatar in
  // sight); when none does, the one with the largest text.
  const std::vector<std::vector<std::vector<int>>> arrangements = {
      {{0, 1, 2}}, {{0, 1}, {2}}, {{0}, {1, 2}}, {{0}, {1}, {2}}};
  MeasurementSheet best;
  bool chosen = false;
  float bestScale = 0;
  long bestWidth = 0;
  for (const auto& columns : arrangements) {
    MeasurementSheet sheet = layOut(blocks, columns, inches, viewHeight, textWidth);
    const int roomX = viewWidth - 2 * kSheetMargin, roomY = viewHeight - 2 * kSheetMargin;
    float s = 1.0f;
    if (sheet.card.width > 0 && sheet.card.height > 0)
      s = std::min({1.0f, static_cast<float>(roomX) / static_cast<float>(sheet.card.width),
                    static_cast<float>(roomY) / static_cast<float>(sheet.card.height)});
    s = std::max(s, 0.05f);
    const long width = std::lround(sheet.card.width * s);
    const bool legible = s >= kSheetMinScale;
    const bool better = !chosen || (legible && (bestScale < kSheetMinScale || width < bestWidth)) ||
                        (!legible && bestScale < kSheetMinScale && s > bestScale);
    if (better) {
      best = scaleSheet(std::move(sheet), s, viewHeight);
      bestScale = s;
      bestWidth = width;
      chosen = true;
    }
  }
  return best;
}

void DrawSheetLine(GlFont& font, bool highlighted, int labelX, int labelY, int valueX, int valueY,
                   const std::string& label, float value) {
  glPushMatrix();
  glTranslatef(0, 0, -1);
  glColor3fv(highlighted ? kSheetHighlightColour.data() : kSheetTextColour.data());
  glTranslatef(-static_cast<float>(kSheetShift), 0, 0);
  font.PrintText(static_cast<float>(labelX), static_cast<float>(labelY), label);
  font.Print(static_cast<float>(valueX), static_cast<float>(valueY), "%7.4f",
             static_cast<double>(value));
  glPopMatrix();
}

void DrawHeaderBar(int x, int y, int width) {
  GLfloat modelview[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
  pushScreenProjection();
  glPushAttrib(GL_ENABLE_BIT | GL_TRANSFORM_BIT);
  glMatrixMode(GL_MODELVIEW);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glPushMatrix();
  glLoadIdentity();
  glTranslatef(static_cast<float>(x), static_cast<float>(y), 0);
  glMultMatrixf(modelview);
  const float w = static_cast<float>(width);
  glBegin(GL_QUADS);
  glColor3f(0.765f, 0.739f, 1.0f);
  glVertex2f(0, 11);
  glVertex2f(0, -4);
  glColor3f(0.937f, 0.953f, 1.0f);
  glVertex2f(w, -4);
  glVertex2f(w, 11);
  glEnd();
  glEnable(GL_LIGHTING);
  glPopMatrix();
  glPopAttrib();
  popScreenProjection();
}

namespace {

// The paper: its border drawn unscaled at every edge, the middle stretched
// (a plain warm card when there is no paper texture).
void drawCard(const PixelBox& card, unsigned paper) {
  pushScreenProjection();
  glPushAttrib(GL_ENABLE_BIT | GL_TRANSFORM_BIT | GL_CURRENT_BIT | GL_COLOR_BUFFER_BIT);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  const float alpha = 0.94f;
  if (paper == 0) {
    glDisable(GL_TEXTURE_2D);
    glColor4f(0.969f, 0.961f, 0.949f, alpha);
    glRectf(static_cast<float>(card.x), static_cast<float>(card.y),
            static_cast<float>(card.right()), static_cast<float>(card.top()));
  } else {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, paper);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glColor4f(1, 1, 1, alpha);
    GLint textureWidth = 512, textureHeight = 512;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &textureWidth);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &textureHeight);
    const float border =
        static_cast<float>(std::min({kSheetPaperBorder, card.width / 2, card.height / 2}));
    const float xs[4] = {static_cast<float>(card.x), card.x + border, card.right() - border,
                         static_cast<float>(card.right())};
    const float ys[4] = {static_cast<float>(card.y), card.y + border, card.top() - border,
                         static_cast<float>(card.top())};
    const float bu = border / static_cast<float>(std::max(textureWidth, 1));
    const float bv = border / static_cast<float>(std::max(textureHeight, 1));
    const float us[4] = {0, bu, 1 - bu, 1};
    const float vs[4] = {0, bv, 1 - bv, 1};
    glBegin(GL_QUADS);
    for (int j = 0; j < 3; ++j)
      for (int i = 0; i < 3; ++i) {
        // Texture rows run from the picture's top; window y runs up.
        glTexCoord2f(us[i], 1 - vs[j]);
        glVertex2f(xs[i], ys[j]);
        glTexCoord2f(us[i + 1], 1 - vs[j]);
        glVertex2f(xs[i + 1], ys[j]);
        glTexCoord2f(us[i + 1], 1 - vs[j + 1]);
        glVertex2f(xs[i + 1], ys[j + 1]);
        glTexCoord2f(us[i], 1 - vs[j + 1]);
        glVertex2f(xs[i], ys[j + 1]);
      }
    glEnd();
  }
  glPopMatrix();
  glPopAttrib();
  popScreenProjection();
}

// A heading or legend piece in its colour.
void printText(GlFont& font, const SheetText& t) {
  glColor3fv(t.colour.data());
  font.PrintText(static_cast<float>(t.x), static_cast<float>(t.y), t.text);
}

}  // namespace

void DrawMeasurementSheet(GlFont& font, const MeasurementSheet& sheet, unsigned paper) {
  glPushMatrix();
  glDisable(GL_LIGHTING);
  glDisable(GL_LIGHT0);
  drawCard(sheet.card, paper);
  // The text and the bars take their size from the modelview matrix, their
  // places from the positions, which are scaled already.
  const float s = sheet.scale > 0 ? sheet.scale : 1.0f;
  glLoadIdentity();
  glScalef(s, s, 1);
  for (const SheetBar& bar : sheet.bars)
    DrawHeaderBar(bar.x, bar.y, static_cast<int>(std::lround(bar.width / s)));
  for (const SheetText& heading : sheet.headings) printText(font, heading);
  const int shift = static_cast<int>(std::lround(kSheetShift * s));
  for (const SheetLine& line : sheet.lines)
    DrawSheetLine(font, line.highlighted, line.labelX + shift, line.y, line.valueX + shift, line.y,
                  line.label, line.value);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glPopMatrix();
}

}  // namespace vestora
