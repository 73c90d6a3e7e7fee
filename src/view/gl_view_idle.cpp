// The view's side of the idle animation (the frame timer, the restart
// timer, the pauses around every change of the body) and of the pose change.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "avatar/avatar_table.h"
#include "platform/log.h"
#include "view/gl_view.h"
#include "view/gl_view_internal.h"
#include "view/object3d.h"

namespace vestora {

namespace {

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  const auto mid = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), mid, values.end());
  return *mid;
}

// Whether the user's whole-body settings differ from those every pose body
// is modelled with, so that they must be applied again to a new pose.
bool settingsChanged(const BodySettings& s) {
  constexpr float kModelledHeightCm = 174.7332f;
  const BodySettings modelled;
  return std::fabs(s.heightCm - kModelledHeightCm) > 1.5f || s.weightJin != modelled.weightJin ||
         s.month != modelled.month;
}

}  // namespace

double GlView::nowMs() const {
  if (clockMs) return clockMs();
  return std::chrono::duration<double, std::milli>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

bool GlView::dressed() const {
  return !tryOn_->garment().particles.empty() || !tryOn_->layers().empty();
}

bool GlView::loadIdleAnimation() {
  if (auto loaded = idle_.load(avatar_); !loaded) {
    const std::string problem = "idle animation: " + loaded.error().message();
    debugOutput(problem + "\n");
    if (!idleProblemShown_) {
      idleProblemShown_ = true;
      host_.dialogs().showMessage("模特的呼吸动画无法播放：" + loaded.error().message(), "",
                                  MessageIcon::Warning);
    }
    return false;
  }
  idleIndex_ = 0;
  return true;
}

bool GlView::showAnimationFrame(std::size_t k) {
  if (!idle_.show(avatar_, k)) return false;
  // The garment follows the body (nothing is bound while she is undressed).
  const double start = nowMs();
  avatar_.notifyReshaped();
  noteRefit(nowMs() - start);
  return true;
}

void GlView::startIdleAnimation() {
  if (idle_.empty()) return;
  idleIndex_ = std::min(idleIndex_, idle_.lastFrame());
  showAnimationFrame(idleIndex_);
  breathStartMs_ = nowMs() - static_cast<double>(idleIndex_) * kIdleFramePeriodMs;
  host_.startTimer(kIdleFrameTimer, kIdleFramePeriodMs);
  host_.startTimer(kIdleRestartTimer, kIdleRestartPeriodMs);
  idleEnabled_ = true;
  idleResume_ = false;
  redraw();
}

void GlView::stopIdleAnimation() {
  host_.killTimer(kIdleFrameTimer);
  host_.killTimer(kIdleRestartTimer);
  // Never leave the body in mid-breath: the next change starts from her
  // shape at rest.
  idle_.restoreRest(avatar_);
  idle_.clear();
  idleIndex_ = 0;
  idleEnabled_ = false;
  idleResume_ = false;
  if (idleStats_) idleStats_->windowStartMs = -1;
}

void GlView::pauseIdleAnimation() {
  const bool wasOn = idleEnabled_ || idleResume_;
  host_.killTimer(kIdleFrameTimer);
  idle_.restoreRest(avatar_);
  idleIndex_ = 0;
  idleEnabled_ = false;
  if (!wasOn) {
    host_.killTimer(kIdleRestartTimer);
    return;
  }
  // Every further change pushes the restart back: she breathes again 3 s
  // after the last one, over the shape it left.
  idleResume_ = true;
  host_.startTimer(kIdleRestartTimer, kIdleRestartPeriodMs);
}

bool GlView::startIdleAnimationWhenUndressed() {
  if (avatar_.modelName() != "woman" || dressed()) return false;
  if (idle_.empty() && !loadIdleAnimation()) return false;
  if (!idle_.rebuild(avatar_)) return false;
  idleIndex_ = 0;
  startIdleAnimation();
  return true;
}

void GlView::onIdleFrameTimer() {
  if (!idleEnabled_ || idle_.empty() || avatar_.modelName() != "woman" || dressed()) return;
  const std::size_t last = idle_.lastFrame();
  const double start = nowMs();
  // Where a frame takes longer to draw than its slot (a software renderer),
  // the window keeps a third as much time again for everything else
  // (input, the panels) before the next one; the breath keeps its pace by
  // skipping frames.
  if (lastDrawMs_ > kIdleFramePeriodMs) {
    const double wait = lastDrawEndMs_ + lastDrawMs_ / 3 - start;
    if (wait >= 1) {
      host_.startTimer(kIdleFrameTimer, static_cast<int>(std::ceil(wait)));
      return;
    }
  }
  if (idleIndex_ < last) {
    idleIndex_ = idleFrameAt(start - breathStartMs_, idleIndex_, last);
    showAnimationFrame(idleIndex_);
    host_.startTimer(kIdleFrameTimer, kIdleFramePeriodMs);
    redraw();
  }
  // The last frame stays on screen until the next breath.
  if (idleIndex_ >= last) host_.killTimer(kIdleFrameTimer);
}

void GlView::onIdleRestartTimer() {
  if (idleResume_ && !idleEnabled_) {
    idleResume_ = false;
    if (!startIdleAnimationWhenUndressed()) host_.killTimer(kIdleRestartTimer);
    return;
  }
  if (!idleEnabled_ || idle_.empty()) {
    host_.killTimer(kIdleRestartTimer);
    return;
  }
  idleIndex_ = 0;
  startIdleAnimation();
}

void GlView::noteRefit(double ms) {
  if (!idleEnabled_) return;
  if (!idleStats_) idleStats_ = std::make_unique<IdleStats>();
  idleStats_->refits.push_back(ms);
}

void GlView::noteFrameDrawn(double drawMs) {
  const double now = nowMs();
  lastDrawMs_ = drawMs;
  lastDrawEndMs_ = now;
  if (!idleEnabled_) return;
  if (!idleStats_) idleStats_ = std::make_unique<IdleStats>();
  IdleStats& s = *idleStats_;
  if (s.windowStartMs < 0) {
    s = IdleStats{};
    s.windowStartMs = now;
  }
  // Only frames of the breath count, and the time between two of them only
  // within one breath (not the rest before the next).
  if (idleIndex_ != s.lastIndex) {
    if (s.lastDrawMs >= 0 && idleIndex_ > s.lastIndex) s.intervals.push_back(now - s.lastDrawMs);
    s.lastDrawMs = now;
    s.lastIndex = idleIndex_;
    s.draws.push_back(drawMs);
  }
  if (now - s.windowStartMs < 1000) return;
  const double worst =
      s.intervals.empty() ? 0 : *std::max_element(s.intervals.begin(), s.intervals.end());
  char line[200];
  std::snprintf(line, sizeof line,
                "idle animation: %zu frames drawn in %.2f s, frame time median %.1f ms, worst "
                "%.1f ms; drawing median %.1f ms; refit median %.2f ms\n",
                s.draws.size(), (now - s.windowStartMs) / 1000.0, median(s.intervals), worst,
                median(s.draws), median(s.refits));
  debugOutput(line);
  const double lastDraw = s.lastDrawMs;
  const std::size_t lastIndex = s.lastIndex;
  s = IdleStats{};
  s.windowStartMs = now;
  s.lastDrawMs = lastDraw;
  s.lastIndex = lastIndex;
}

Result<void> GlView::selectPose(std::string_view thumbnail) {
  const AvatarEntry* entry = avatarEntryFor(thumbnail);
  if (!entry || !entry->pose)
    return makeError(std::string(thumbnail), "not one of the woman's poses");
  // The old body's frames must never be written into the new one.
  const bool wasBreathing = idleEnabled_ || idleResume_;
  stopIdleAnimation();
  sceneObjects_->FreeSceneObjects();
  if (auto loaded = avatar_.selectAvatar(*entry); !loaded) {
    host_.dialogs().showMessage("无法读取这个姿势的人体模型：" + loaded.error().message(), "",
                                MessageIcon::Warning);
    if (wasBreathing) startIdleAnimationWhenUndressed();
    redraw();
    return loaded.error();
  }
  afterBodyLoaded();
  // The garments came off with the old body; the view forgets them too.
  tryOn_->takeOff();
  if (settingsChanged(bodySettings)) {
    shaper_->setQuiet(true);
    shaper_->SetBodyHeight(bodySettings.heightCm);
    shaper_->SetBodyWeight(bodySettings.weightJin);
    shaper_->SetPregnancyMonth(bodySettings.month);
    shaper_->setQuiet(false);
  }
  // The new body came with the default hair, and without the shoes in the
  // walk and stand poses; what is worn takes its seat on the shape.
  accessories_->reseat();
  startIdleAnimationWhenUndressed();
  redraw();
  return {};
}

}  // namespace vestora
