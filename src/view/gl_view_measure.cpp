// The view's side of body editing and measuring: dropping its transient
// state before the body changes, the automatic measurement, the freehand
// tools' picks and strokes.
#include "view/gl_headers.h"
#include "view/gl_view.h"
#include "view/object3d.h"

namespace vestora {

void GlView::dropTransientState() {
  pauseIdleAnimation();
  sceneObjects_->FreeSceneObjects();
}

bool GlView::AutoMeasure() {
  // She is measured at rest, not at some moment of a breath.
  pauseIdleAnimation();
  host_.setBusy(true);
  const bool measured = measurer_.MeasureBody(avatar_, &host_.dialogs());
  host_.setBusy(false);
  if (measured) {
    measurementSheet = true;
    marksShown = true;
  }
  redraw();
  return measured;
}

bool GlView::ToggleMeasureTool(FreehandTool tool) {
  const bool changed = freehand.toggle(tool, measurer_.results().measured, &host_.dialogs());
  strokeActive_ = false;
  redraw();
  return changed;
}

void GlView::ToggleMarks() {
  marksShown = !marksShown;
  measurementSheet = !measurementSheet;
  redraw();
}

std::optional<BodyPick> GlView::pickAt(int x, int y) {
  if (!matrices_.valid) return std::nullopt;
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadMatrixd(matrices_.projection.data());
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadMatrixd(matrices_.modelview.data());
  const auto pick = pickBodyPoint(avatar_, x, height_ - y);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  return pick;
}

void GlView::pickForTools() {
  if (!pickB_.set() || !freehand.takesPoints() || !avatar_.loaded()) return;
  if (const auto pick = pickAt(pickB_.x, height_ - pickB_.y)) freehand.pick(avatar_, pick->point);
}

void GlView::finishStroke(int x, int y) {
  strokeActive_ = false;
  strokeEnd_ = {x, height_ - y};
  const int dx = strokeEnd_[0] - strokeStart_[0], dy = strokeEnd_[1] - strokeStart_[1];
  // A click is no stroke.
  if (dx * dx + dy * dy < 9) {
    redraw();
    return;
  }
  const auto rays = strokeRays(matrices_, {double(strokeStart_[0]), double(strokeStart_[1])},
                               {double(strokeEnd_[0]), double(strokeEnd_[1])});
  if (rays) freehand.stroke(avatar_, rays->nearEnds, rays->farEnds);
  redraw();
}

}  // namespace vestora
