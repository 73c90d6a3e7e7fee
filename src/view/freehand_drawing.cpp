#include "view/freehand_drawing.h"

#include <algorithm>
#include <cstdio>

#include "view/gl_font.h"
#include "view/gl_headers.h"
#include "view/screen_space.h"

namespace vestora {
namespace {

void vertex(const Vec3f& p) {
  glVertex3f(p.x, p.y, p.z);
}

// The traced path (a loop or a curve on the skin), once; the caller sets
// the depth test and the alpha.
void drawPath(const FreehandMeasure& f, float alpha) {
  if (f.path.empty()) return;
  glColor4f(kFreehandColour[0], kFreehandColour[1], kFreehandColour[2], alpha);
  glBegin(f.pathClosed ? GL_LINE_LOOP : GL_LINE_STRIP);
  for (const Vec3f& p : f.path) vertex(p);
  glEnd();
}

// The straight lines between picked points: they run through the body, so
// they are drawn over it whole.
void drawChords(const FreehandMeasure& f) {
  const auto tool = f.active();
  if (!isPicked(f.points[0]) || !isPicked(f.points[1])) return;
  glColor4f(kFreehandColour[0], kFreehandColour[1], kFreehandColour[2], 1);
  if (tool == FreehandTool::LinearDistance) {
    glBegin(GL_LINES);
    vertex(f.points[0]);
    vertex(f.points[1]);
    glEnd();
  } else if (tool == FreehandTool::Height) {
    // The drop from the higher point to the level of the lower one, and
    // that level across to the lower point.
    const bool firstHigher = f.points[0].y >= f.points[1].y;
    const Vec3f& high = firstHigher ? f.points[0] : f.points[1];
    const Vec3f& low = firstHigher ? f.points[1] : f.points[0];
    const Vec3f foot{high.x, low.y, high.z};
    glBegin(GL_LINES);
    vertex(high);
    vertex(foot);
    glEnd();
    glEnable(GL_LINE_STIPPLE);
    glLineStipple(2, 0x3333);
    glBegin(GL_LINES);
    vertex(foot);
    vertex(low);
    glEnd();
    glDisable(GL_LINE_STIPPLE);
  }
}

void drawPoints(const FreehandMeasure& f, GLUquadric* quadric) {
  glColor4f(kFreehandPointColour[0], kFreehandPointColour[1], kFreehandPointColour[2], 1);
  for (const Vec3f& p : f.points) {
    if (!isPicked(p)) continue;
    glPushMatrix();
    glTranslatef(p.x, p.y, p.z);
    gluSphere(quadric, 0.06, 10, 10);
    glPopMatrix();
  }
}

}  // namespace

std::string freehandValueText(float centimetres, float unitFactor) {
  const bool inches = unitFactor != 1.0f && unitFactor > 0;
  char text[48];
  std::snprintf(text, sizeof text, "%.2f %s",
                static_cast<double>(centimetres / (inches ? unitFactor : 1.0f)),
                inches ? "inch" : "cm");
  return text;
}

std::optional<Vec3f> freehandLabelAnchor(const FreehandMeasure& f) {
  if (!f.activeValue()) return std::nullopt;
  if (f.pathClosed && !f.path.empty()) {
    Vec3f front = f.path.front();
    for (const Vec3f& p : f.path)
      if (p.z > front.z) front = p;
    return front;
  }
  if (!f.path.empty()) return f.path.back();
  if (isPicked(f.points[1])) return f.points[1];
  return std::nullopt;
}

void drawFreehandMarks(const FreehandMeasure& f) {
  if (!f.active() || (!isPicked(f.points[0]) && f.path.empty())) return;
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT | GL_DEPTH_BUFFER_BIT |
               GL_COLOR_BUFFER_BIT | GL_VIEWPORT_BIT);
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_LINE_SMOOTH);
  glLineWidth(2.0f);
  // The path: what the body hides faint, what faces the viewer solid, a
  // hair in front of the skin it lies on.
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  drawPath(f, 0.28f);
  drawChords(f);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glDepthRange(0.0, 0.9995);
  drawPath(f, 1.0f);
  glEnable(GL_LIGHTING);
  if (GLUquadric* quadric = gluNewQuadric()) {
    drawPoints(f, quadric);
    gluDeleteQuadric(quadric);
  }
  glPopAttrib();
}

void drawFreehandValue(GlFont& font, const FreehandMeasure& f, const ViewMatrices& matrices,
                       float unitFactor) {
  const auto value = f.activeValue();
  const auto anchor = freehandLabelAnchor(f);
  if (!value || !anchor || !font.isOpen()) return;
  const auto at = projectModelPoint(matrices, *anchor);
  if (!at || (*at)[2] < 0 || (*at)[2] > 1) return;
  const std::string text = freehandValueText(*value, unitFactor);
  const int width = font.textWidth(text);
  const int vw = matrices.viewport[2], vh = matrices.viewport[3];
  // Beside the anchor, kept inside the view.
  float x = static_cast<float>((*at)[0]) + 10;
  float y = static_cast<float>((*at)[1]) + 8;
  if (x + width + 6 > vw) x = static_cast<float>((*at)[0]) - 10 - width;
  x = std::max(6.0f, x);
  y = std::min(std::max(8.0f, y), static_cast<float>(vh - 16));

  const ScreenSpace screen(vw, vh);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  // A small tag: warm white with an accent edge on the left.
  glColor4f(0.969f, 0.961f, 0.949f, 0.92f);
  glRectf(x - 6, y - 5, x + static_cast<float>(width) + 6, y + 14);
  glColor4f(kFreehandColour[0], kFreehandColour[1], kFreehandColour[2], 1);
  glRectf(x - 6, y - 5, x - 4, y + 14);
  glColor3f(0.137f, 0.149f, 0.173f);
  font.PrintText(x, y, text);
}

void drawStrokeOverlay(int width, int height, std::array<int, 2> a, std::array<int, 2> b) {
  const ScreenSpace screen(width, height);
  glLineWidth(2.0f);
  glEnable(GL_LINE_STIPPLE);
  glLineStipple(3, 0x5555);
  glColor3fv(kFreehandColour.data());
  glBegin(GL_LINES);
  glVertex2i(a[0], a[1]);
  glVertex2i(b[0], b[1]);
  glEnd();
}

}  // namespace vestora
