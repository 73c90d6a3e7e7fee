#include "avatar/idle_animation.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "formats/shape_files.h"

namespace vestora {

std::size_t idleFrameAt(double elapsedMs, std::size_t current, std::size_t last) {
  if (current >= last) return last;
  std::size_t due = current + 1;
  if (std::isfinite(elapsedMs) && elapsedMs > 0) {
    const double steps = std::floor(elapsedMs / kIdleFramePeriodMs);
    if (steps >= static_cast<double>(last)) return last;
    due = std::max(due, static_cast<std::size_t>(steps));
  }
  return std::min(due, last);
}

namespace {

// One displacement file, checked as the animation needs it: at least one
// frame, no more than the avatar holds when `capped`, and its size exactly
// that of its frames. Up to maxFrames frames are kept.
Result<AnimationFile> readDisplacements(const std::string& path, std::size_t vertexCount,
                                        std::size_t maxFrames, bool capped) {
  auto file = readAnimation(path, vertexCount, maxFrames);
  if (!file) return file.error();
  const AnimationFile& a = file.value();
  if (a.declaredCount < 2)
    return makeError(path, "frame count " + std::to_string(a.declaredCount) + " holds no frame");
  if (capped && static_cast<std::size_t>(a.declaredCount) - 1 > kMaxIdleFrames)
    return makeError(path, "frame count " + std::to_string(a.declaredCount) + " is over " +
                               std::to_string(kMaxIdleFrames + 1));
  if (a.trailingBytes != 0)
    return makeError(path, std::to_string(a.trailingBytes) +
                               " bytes after the last frame: the file was made for a body of "
                               "another vertex count than " +
                               std::to_string(vertexCount));
  return file;
}

}  // namespace

Result<void> IdleAnimation::load(const Avatar& avatar) {
  clear();
  if (!avatar.loaded()) return makeError("idle animation", "no body is loaded");
  const std::size_t vertices = avatar.model().vertexCount();
  const std::string breathPath = avatar.dataFile(kBreathAnimation);
  auto breath = readDisplacements(breathPath, vertices, kMaxIdleFrames, true);
  if (!breath) return breath.error();
  const std::size_t frames = breath->frames.size();
  // The blink rides on the first breathing frames; frames beyond them are
  // checked for presence but not kept.
  const std::string blinkPath = avatar.dataFile(kBlinkAnimation);
  auto blink = readDisplacements(blinkPath, vertices, frames, false);
  if (!blink) return blink.error();

  frameFloats_ = (vertices + 1) * 3;
  displacements_.assign(frames * frameFloats_, 0.0f);
  for (std::size_t k = 0; k < frames; ++k) {
    float* d = &displacements_[k * frameFloats_];
    const std::vector<float>& b = breath->frames[k];
    std::copy(b.begin() + 3, b.end(), d + 3);  // slot 0 is unused
    if (k < blink->frames.size()) {
      const std::vector<float>& e = blink->frames[k];
      for (std::size_t i = 3; i < frameFloats_; ++i) d[i] += e[i];
    }
  }
  breathCount_ = breath->declaredCount;
  blinkCount_ = blink->declaredCount;
  frameCount_ = frames;
  rebuild(avatar);
  return {};
}

bool IdleAnimation::rebuild(const Avatar& avatar) {
  if (frameCount_ == 0 || !avatar.loaded() ||
      avatar.model().vertices.size() != frameFloats_ ||
      displacements_.size() != frameCount_ * frameFloats_)
    return false;
  rest_ = avatar.model().vertices;
  frames_.resize(frameCount_ * frameFloats_);
  for (std::size_t k = 0; k < frameCount_; ++k) {
    const float* d = &displacements_[k * frameFloats_];
    float* f = &frames_[k * frameFloats_];
    for (std::size_t i = 0; i < frameFloats_; ++i) f[i] = rest_[i] + d[i];
  }
  // The vertices the animation moves, and the triangles round them: the
  // rest of the body stays as it is from frame to frame.
  const std::size_t vertices = frameFloats_ / 3 - 1;
  std::vector<std::uint8_t> moves(vertices + 1, 0);
  for (std::size_t k = 0; k < frameCount_; ++k) {
    const float* d = &displacements_[k * frameFloats_];
    for (std::size_t v = 1; v <= vertices; ++v)
      if (d[3 * v] != 0 || d[3 * v + 1] != 0 || d[3 * v + 2] != 0) moves[v] = 1;
  }
  moving_.clear();
  for (std::size_t v = 1; v <= vertices; ++v)
    if (moves[v]) moving_.push_back(static_cast<std::int32_t>(v));
  movingTriangles_.clear();
  for (std::size_t t = 0; t < avatar.triangleCount(); ++t) {
    const auto& corner = avatar.triangles[t].vertex;  // 0-based records
    if (moves[static_cast<std::size_t>(corner[0]) + 1] ||
        moves[static_cast<std::size_t>(corner[1]) + 1] ||
        moves[static_cast<std::size_t>(corner[2]) + 1])
      movingTriangles_.push_back(static_cast<std::int32_t>(t));
  }
  shownModel_ = &avatar.model();
  shownVersion_ = avatar.surfaceVersion();
  showsRest_ = true;
  return true;
}

void IdleAnimation::clear() {
  frameFloats_ = 0;
  frameCount_ = 0;
  std::vector<float>().swap(displacements_);
  std::vector<float>().swap(frames_);
  std::vector<float>().swap(rest_);
  moving_.clear();
  movingTriangles_.clear();
  breathCount_ = kDefaultBreathCount;
  blinkCount_ = kDefaultBlinkCount;
  shownModel_ = nullptr;
}

const float* IdleAnimation::frame(std::size_t k) const {
  if (k >= frameCount_ || frames_.size() != frameCount_ * frameFloats_) return nullptr;
  return &frames_[k * frameFloats_];
}

bool IdleAnimation::show(Avatar& avatar, std::size_t k) {
  const float* f = frame(k);
  if (!f || !avatar.loaded() || avatar.model().vertices.size() != frameFloats_) return false;
  float* body = avatar.model().vertices.data();
  if (shownModel_ == &avatar.model() && shownVersion_ == avatar.surfaceVersion()) {
    // The body shows its rest or a frame: the still vertices are right.
    for (const std::int32_t v : moving_) std::memcpy(body + 3 * v, f + 3 * v, 3 * sizeof(float));
    avatar.refreshSomeFromModel(moving_, movingTriangles_);
  } else {
    std::memcpy(body, f, frameFloats_ * sizeof(float));
    avatar.refreshFromModel();
  }
  shownVersion_ = avatar.surfaceVersion();
  shownModel_ = &avatar.model();
  showsRest_ = false;
  return true;
}

bool IdleAnimation::restoreRest(Avatar& avatar) {
  if (!avatar.loaded() || showsRest_ || shownModel_ != &avatar.model() ||
      shownVersion_ != avatar.surfaceVersion() || rest_.size() != avatar.model().vertices.size())
    return false;
  avatar.model().vertices = rest_;
  avatar.refreshFromModel();
  shownVersion_ = avatar.surfaceVersion();
  showsRest_ = true;
  return true;
}

}  // namespace vestora
