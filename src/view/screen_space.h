// Drawing in window pixels over the finished 3D picture.
#pragma once

#include "view/gl_headers.h"

namespace vestora {

// Window pixels (origin bottom left) for what is drawn while it lives,
// unlit and over everything; the matrices and the state come back after.
class ScreenSpace {
 public:
  ScreenSpace(int width, int height) {
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_TRANSFORM_BIT | GL_COLOR_BUFFER_BIT |
                 GL_LINE_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0, width, 0, height);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
  }
  ~ScreenSpace() {
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
  }
  ScreenSpace(const ScreenSpace&) = delete;
  ScreenSpace& operator=(const ScreenSpace&) = delete;
};

}  // namespace vestora
