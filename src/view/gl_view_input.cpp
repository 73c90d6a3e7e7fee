// The view's input handlers: camera moves, picks, the snapshot rectangle,
// keys, timers and the two buttons.
#include <algorithm>

#include "platform/data_files.h"
#include "platform/data_path.h"
#include "view/gl_view.h"

namespace vestora {
namespace {

std::uint16_t corner(int value, int limit) {
  return static_cast<std::uint16_t>(std::clamp(value, 0, std::max(limit, 0)));
}

}  // namespace

void GlView::rememberDragStart(int x, int y) {
  pressX_ = x;
  pressY_ = y;
  dragStart_ = camera;
  jointDragStart_ = {0, 0, 0};
  if (selectedJoint >= 0)
    if (const Joint* joint = avatar_.skeleton.findJoint(selectedJoint))
      jointDragStart_ = joint->rotation;
}

void GlView::rotateByDrag(int x, int y) {
  camera.azimuth = dragStart_.azimuth + static_cast<float>(x - pressX_);
  camera.elevation = clampElevation(dragStart_.elevation + static_cast<float>(y - pressY_));
}

void GlView::onWheel(int delta) {
  applyWheel(camera, delta, scene);
  redraw();
}

void GlView::onRightDown(int x, int y) {
  rememberDragStart(x, y);
  rightDown_ = true;
  redraw();
}

void GlView::onRightUp(int, int) {
  rightDown_ = false;
}

void GlView::onMouseMove(int x, int y, MouseButtons buttons, Modifiers modifiers) {
  host_.takeFocus();
  logoState_ = HitLogo(x, height_ - y) ? kLogoHover : kLogoNormal;
  const float dx = static_cast<float>(x - pressX_);
  const float dy = static_cast<float>(y - pressY_);
  if (buttons.right && !buttons.left) {
    if (modifiers.control)
      camera.distance = dragStart_.distance + 0.1f * dx;
    else if (modifiers.shift)
      camera.elevation = clampElevation(dragStart_.elevation + dx);
    else
      rotateByDrag(x, y);
  } else if (buttons.left) {
    if (modifiers.control) {
      Joint* joint = selectedJoint >= 0 && avatar_.skeleton.hasTree()
                         ? avatar_.skeleton.findJoint(selectedJoint)
                         : nullptr;
      if (joint) joint->rotation[2] = jointDragStart_[2] + dx;
    } else if (buttons.right || modifiers.shift) {
      camera.panX = std::clamp(dragStart_.panX + 0.1f * dx, -kPanXLimit, kPanXLimit);
      const float panY = dragStart_.panY - 0.1f * dy;
      camera.panY = sceneShown() ? std::clamp(panY, kPanYLowScene, kPanYHighScene)
                                 : std::clamp(panY, -kPanYLimitPlain, kPanYLimitPlain);
    } else if (snapshotMode) {
      snapshotCorner2 = {corner(x, width_), corner(height_ - y, height_)};
      DrawScene(true);
      return;  // the rectangle stays on screen until the next frame
    } else if (freehand.active()) {
      // A measuring tool keeps the body still under the mouse: the left
      // button picks or strokes, the right one still turns the camera.
      if (strokeActive_) {
        strokeEnd_ = {x, height_ - y};
        redraw();
      }
      return;
    } else {
      rotateByDrag(x, y);
    }
  }
  redraw();
}

void GlView::onLeftDown(int x, int y, Modifiers modifiers) {
  leftDown_ = true;
  rememberDragStart(x, y);
  host_.captureMouse();
  if (modifiers.shift) return;
  pickB_ = {x, height_ - y};
  if (freehand.active() == FreehandTool::CurveLength) {
    strokeActive_ = true;
    strokeStart_ = strokeEnd_ = {x, height_ - y};
  }
  if (freehand.tools.sideView) {
    sideViewStart_ = {x, y};
    sideViewEnd_ = {};
  }
  logoState_ = HitLogo(x, height_ - y) ? kLogoPressed : kLogoNormal;
  if (snapshotMode) {
    snapshotCorner1 = {corner(x, width_), corner(height_ - y, height_)};
    snapshotCorner2 = snapshotCorner1;
  }
  redraw();
}

void GlView::onLeftUp(int x, int y, Modifiers modifiers) {
  leftDown_ = false;
  const bool onLogo = HitLogo(x, height_ - y);
  if (logoState_ != kLogoPressed && onLogo) {
    logoState_ = kLogoNormal;
    redraw();
  }
  // Pressed and released on the picture button (a press with Shift never
  // presses it).
  if (logoState_ == kLogoPressed && onLogo && !modifiers.shift) host_.showDetailPictures();
  if (snapshotMode) {
    snapshotCorner2 = {corner(x, width_), corner(height_ - y, height_)};
    redraw();
  }
  if (strokeActive_) finishStroke(x, y);
  if (!modifiers.shift && freehand.tools.sideView) {
    sideViewEnd_ = {x, y};
    if (sideViewStart_.set() && sideViewEnd_.set()) {
      camera.azimuth = 90;
      camera.elevation = 0;
      camera.roll = 0;
      redraw();
    }
  }
  if (!freehand.tools.anyActive()) redraw();
  host_.releaseMouse();
}

void GlView::onDoubleClick(int, int, Modifiers modifiers) {
  if (!modifiers.shift) redraw();
}

void GlView::onKeyDown(int key) {
  switch (key) {
    case kKeyControl:
      if (snapshotMode) TakeSnapshot();
      redraw();
      break;
    case kKeyF1:
      host_.openDocument(dataPath(root_, data_files::kHelpDocument));
      break;
    case kKeyF2:
      measurementSheet = !measurementSheet;
      redraw();
      break;
    default:
      break;
  }
}

void GlView::onTimer(int id) {
  if (id == kTurntableTimer) {
    camera.azimuth += 1.0f;
    redraw();
  } else if (id == kIdleFrameTimer) {
    onIdleFrameTimer();
  } else if (id == kIdleRestartTimer) {
    onIdleRestartTimer();
  } else if (id == kDrapeTimer) {
    onDrapeTimer();
  }
}

void GlView::onDrapeTimer() {
  if (!drape_) {
    host_.killTimer(kDrapeTimer);
    return;
  }
  BackgroundDrape::Frame frame;
  if (drape_->takeFrame(frame)) {
    tryOn_->showDrapeFrame(frame.positions);
    host_.showProgress(1 + 198 * frame.step / std::max(frame.maxSteps, 1));
    redraw();
  }
  if (!drape_->finished()) return;
  const std::unique_ptr<ClothDrape> done = drape_->takeResult();
  endBackgroundDrape();
  if (done) tryOn_->finishDrape(*done);
  redraw();
}

void GlView::onTurntableButton() {
  turntableOn_ = !turntableOn_;
  if (turntableOn_)
    host_.startTimer(kTurntableTimer, kTurntablePeriodMs);
  else
    host_.killTimer(kTurntableTimer);
  redraw();
}

void GlView::onResetButton() {
  if (host_.dialogs().askYesNo(kResetQuestion, "")) camera = kDefaultCamera;
  pauseIdleAnimation();
  tryOn_->ResetGarment();
  freehand.clear();
  strokeActive_ = false;
  sideViewStart_ = {};
  sideViewEnd_ = {};
  redraw();
}

}  // namespace vestora
