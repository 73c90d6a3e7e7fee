#include "view/markers.h"

#include "view/gl_headers.h"

namespace vestora {
namespace {

// One axis of the cross: the shaft from −0.2 to 0.2 and two head strokes
// back to 0.15 and ±0.04 across (`across` is the axis the heads open along).
void axis(int along, int across) {
  auto point = [&](float a, float b) {
    float p[3] = {0, 0, 0};
    p[along] = a;
    p[across] = b;
    glVertex3fv(p);
  };
  point(-0.2f, 0);
  point(0.2f, 0);
  point(0.2f, 0);
  point(0.15f, 0.04f);
  point(0.2f, 0);
  point(0.15f, -0.04f);
}

}  // namespace

void reserveMarkerLists() {
  for (GLuint list : {kAxisCrossList, kMarkerCubeList}) {
    if (glIsList(list)) continue;
    glNewList(list, GL_COMPILE);
    glEndList();
  }
}

void buildMarkerLists() {
  glNewList(kAxisCrossList, GL_COMPILE);
  glBegin(GL_LINES);
  glColor3f(1, 0, 0);
  axis(0, 1);
  glColor3f(0, 1, 0);
  axis(1, 0);
  glColor3f(0, 0, 1);
  axis(2, 1);
  glEnd();
  glEndList();

  constexpr float s = 0.15f;
  glNewList(kMarkerCubeList, GL_COMPILE);
  glColor3f(1, 1, 0);
  glBegin(GL_QUADS);
  // +z, −z, +x, −x, +y, −y, each counter-clockwise from outside.
  glNormal3f(0, 0, 1);
  glVertex3f(-s, -s, s), glVertex3f(s, -s, s), glVertex3f(s, s, s), glVertex3f(-s, s, s);
  glNormal3f(0, 0, -1);
  glVertex3f(-s, -s, -s), glVertex3f(-s, s, -s), glVertex3f(s, s, -s), glVertex3f(s, -s, -s);
  glNormal3f(1, 0, 0);
  glVertex3f(s, -s, -s), glVertex3f(s, s, -s), glVertex3f(s, s, s), glVertex3f(s, -s, s);
  glNormal3f(-1, 0, 0);
  glVertex3f(-s, -s, -s), glVertex3f(-s, -s, s), glVertex3f(-s, s, s), glVertex3f(-s, s, -s);
  glNormal3f(0, 1, 0);
  glVertex3f(-s, s, -s), glVertex3f(-s, s, s), glVertex3f(s, s, s), glVertex3f(s, s, -s);
  glNormal3f(0, -1, 0);
  glVertex3f(-s, -s, -s), glVertex3f(s, -s, -s), glVertex3f(s, -s, s), glVertex3f(-s, -s, s);
  glEnd();
  glEndList();
}

void deleteMarkerLists() {
  for (GLuint list : {kAxisCrossList, kMarkerCubeList})
    if (glIsList(list)) glDeleteLists(list, 1);
}

void drawMeasureMarks(const MeasureMarks& marks, const std::vector<SectionPoint>& section) {
  GLUquadric* quadric = gluNewQuadric();
  glColor3f(1, 0, 0);
  if (quadric) {
    for (const Vec3f& p : {marks.bustLeft, marks.bustRight, marks.waistSide, marks.ankle,
                           marks.crotch, marks.neckFront, marks.neckBack}) {
      glPushMatrix();
      glTranslatef(p.x, p.y, p.z);
      gluSphere(quadric, 0.1, 12, 12);
      glPopMatrix();
    }
    gluDeleteQuadric(quadric);
  }
  if (section.size() >= 2) {
    glDisable(GL_LIGHTING);
    glBegin(GL_LINE_LOOP);
    for (const SectionPoint& p : section) glVertex3f(p.x, p.y, p.z);
    glEnd();
    glEnable(GL_LIGHTING);
  }
}

}  // namespace vestora
