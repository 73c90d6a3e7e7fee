#include "view/measurement_sheet.h"

#include <algorithm>

#include "view/gl_font.h"
#include "view/gl_headers.h"
#include "view/gl_view.h"

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

// Items are drawn one pixel deep and shifted left by the sheet shift.
void printShifted(GlFont& font, const std::array<float, 3>& colour, int x, int y,
                  const std::string& text) {
  glPushMatrix();
  glTranslatef(0, 0, -1);
  glColor3fv(colour.data());
  glTranslatef(-static_cast<float>(kSheetShift), 0, 0);
  font.PrintText(static_cast<float>(x), static_cast<float>(y), text);
  glPopMatrix();
}

}  // namespace

MeasurementSheet buildMeasurementSheet(const MeasureResults& results,
                                       const FreehandValues& freehand, const FreehandTools& tools,
                                       float unitFactor, int viewWidth, int viewHeight) {
  const float divisor = unitFactor > 0 ? unitFactor : 1.0f;
  const bool inches = unitFactor != 1.0f;
  const int y0 = viewHeight - 10;
  // The legend's centre: the middle of the view, but never so far left
  // that the legend runs into the heading.
  const int xc = std::max(viewWidth / 2, kSheetLegendMinCentre);
  MeasurementSheet sheet;
  sheet.headings = {
      {"CIRCUMFERENCE MEASUREMENTS :", kSheetLabelX, y0, kSheetHeadingColour},
      {"     Unit:", xc - 15, y0, kSheetHeadingColour},
      {"     cm", xc + 15, y0, inches ? kSheetHeadingColour : kSheetAccentColour},
      {"     /", xc + 35, y0, kSheetHeadingColour},
      {"     inch", xc + 40, y0, inches ? kSheetAccentColour : kSheetHeadingColour},
      {"FREEHAND MEASUREMENT:", kSheetLabelX, 225, kSheetHeadingColour},
  };
  const auto& v = results.value;
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
  for (int k = 1; k <= 15; ++k)
    sheet.lines.push_back(
        {circumference[k - 1].first, circumference[k - 1].second / divisor, y0 - 15 * k, false});
  const struct {
    const char* label;
    float value;
    int y;
    bool highlighted;
  } freehandLines[11] = {
      {"Girth:", freehand.girth, 210, tools.freeGirth},
      {"Linear distance:", freehand.linearDistance, 195, tools.linearDistance},
      {"Height:", freehand.height, 180, tools.height},
      {"Curve length:", freehand.curveLength, 165, tools.curveLength},
      {"Slope girth:", freehand.slopeGirth, 150, false},
      {"Free cut torso girth:", freehand.freeCutTorso, 135, false},
      {"Free cut Left Arm girth:", freehand.freeCutLeftArm, 120, false},
      {"Free cut Right Arm girth:", freehand.freeCutRightArm, 105, false},
      {"Free cut Left Leg girth:", freehand.freeCutLeftLeg, 90, false},
      {"Free cut Right Leg girth:", freehand.freeCutRightLeg, 75, false},
      {"Sliding slope girth:", freehand.slidingSlope, 50, false},
  };
  for (const auto& line : freehandLines)
    sheet.lines.push_back({line.label, line.value / divisor, line.y, line.highlighted});
  return sheet;
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

void DrawHeaderBar(int x, int y) {
  GLfloat modelview[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
  pushScreenProjection();
  glPushAttrib(GL_ENABLE_BIT | GL_TRANSFORM_BIT);
  glMatrixMode(GL_MODELVIEW);
  glDisable(GL_LIGHTING);
  glPushMatrix();
  glLoadIdentity();
  glTranslatef(static_cast<float>(x), static_cast<float>(y), 0);
  glMultMatrixf(modelview);
  glBegin(GL_QUADS);
  glColor3f(0.765f, 0.739f, 1.0f);
  glVertex2f(0, 11);
  glVertex2f(0, -4);
  glColor3f(0.937f, 0.953f, 1.0f);
  glVertex2f(300, -4);
  glVertex2f(300, 11);
  glEnd();
  glEnable(GL_LIGHTING);
  glPopMatrix();
  glPopAttrib();
  popScreenProjection();
}

void DrawMeasurementSheet(GlFont& font, const MeasurementSheet& sheet) {
  glPushMatrix();
  glDisable(GL_LIGHTING);
  glDisable(GL_LIGHT0);
  for (std::size_t i = 0; i + 1 < sheet.headings.size(); ++i)
    printShifted(font, sheet.headings[i].colour, sheet.headings[i].x, sheet.headings[i].y,
                 sheet.headings[i].text);
  // The freehand heading stands on its shaded bar.
  glPushMatrix();
  glTranslatef(0, 0, -1);
  glTranslatef(-static_cast<float>(kSheetShift), 0, 0);
  DrawHeaderBar(kSheetLabelX, sheet.headerBarY);
  glPopMatrix();
  if (!sheet.headings.empty()) {
    const SheetText& h = sheet.headings.back();
    printShifted(font, h.colour, h.x, h.y, h.text);
  }
  for (const SheetLine& line : sheet.lines)
    DrawSheetLine(font, line.highlighted, kSheetLabelX, line.y, kSheetValueX, line.y, line.label,
                  line.value);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glPopMatrix();
}

}  // namespace vestora
