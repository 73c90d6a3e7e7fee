// The undressed woman's idle motion: she breathes, and blinks during the
// first frames of every breath. Two displacement files (per vertex, per
// frame) are read once for a body; the frames are whole-body vertex arrays
// built over the body's shape when the animation starts, so that showing a
// frame is one block copy and nothing is computed per vertex while it plays.
//
// The playback itself (the 20 ms frame timer and the 3 s restart timer)
// belongs to the view; idleFrameAt is its clock arithmetic.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "avatar/avatar.h"
#include "platform/result.h"

namespace vestora {

inline constexpr const char* kBreathAnimation = "\\model\\FemaleBehavior\\Breath\\nv_huxi.a";
inline constexpr const char* kBlinkAnimation = "\\model\\FemaleBehavior\\EyeBlink\\nv_zhayan.a";
// Frame counts before a file is read (the count stored in a file counts one
// more than the frames it holds).
inline constexpr int kDefaultBreathCount = 101;
inline constexpr int kDefaultBlinkCount = 11;
// The avatar holds at most this many frames.
inline constexpr std::size_t kMaxIdleFrames = 100;
inline constexpr int kIdleFramePeriodMs = 20;
inline constexpr int kIdleRestartPeriodMs = 3000;

// The frame a breath should show `elapsedMs` after it began, when `current`
// is on screen: one frame for every 20 ms gone, at least one more than
// `current` (a tick never stands still), never past `last`. A slow machine
// skips frames rather than stretching the breath.
std::size_t idleFrameAt(double elapsedMs, std::size_t current, std::size_t last);

class IdleAnimation {
 public:
  // Reads the breathing and the blink file for the avatar's vertex count and
  // builds the frames over its current shape. A file that is missing, made
  // for another vertex count (its size must be exactly that of its frames),
  // holds fewer than one or more than 100 frames leaves no animation, and the
  // error names the file. Blink frames beyond the breathing frames are left
  // out.
  Result<void> load(const Avatar& avatar);
  // Builds the frames again over the avatar's shape as it is now, with the
  // displacements read last. False when there are none or the body's vertex
  // count changed since they were read.
  bool rebuild(const Avatar& avatar);
  // Forgets the frames and the displacements.
  void clear();

  bool empty() const { return frameCount_ == 0; }
  std::size_t frameCount() const { return frameCount_; }
  // The last frame a breath reaches (frameCount − 1).
  std::size_t lastFrame() const { return frameCount_ == 0 ? 0 : frameCount_ - 1; }
  // Counts as read from the files (the defaults before any file was read).
  int breathCount() const { return breathCount_; }
  int blinkCount() const { return blinkCount_; }

  // Copies frame k into the body's vertex array and its skin records (and
  // refreshes the triangle records and bounds). False for a frame that does
  // not exist or a body of another vertex count. While the body shows its
  // rest shape or a frame, only the vertices the animation moves are copied.
  bool show(Avatar& avatar, std::size_t k);
  // The vertices (1-based) some frame moves away from the rest shape.
  const std::vector<std::int32_t>& movingVertices() const { return moving_; }
  // The absolute vertex array of frame k (1-based, (V + 1) × 3 floats).
  const float* frame(std::size_t k) const;

  // Puts back the shape the frames were built over, when the body still
  // shows one of its frames (nothing else changed it since): the body is
  // never left in mid-breath. False when there was nothing to put back.
  bool restoreRest(Avatar& avatar);

 private:
  std::size_t frameFloats_ = 0;          // (V + 1) × 3
  std::size_t frameCount_ = 0;           // frames built
  std::vector<float> displacements_;     // frameCount_ frames, one block
  std::vector<float> frames_;            // absolute positions, one block
  std::vector<float> rest_;              // the shape the frames were built over
  int breathCount_ = kDefaultBreathCount;
  int blinkCount_ = kDefaultBlinkCount;
  std::vector<std::int32_t> moving_;          // vertices some frame moves (1-based)
  std::vector<std::int32_t> movingTriangles_; // triangle records with such a corner
  // The body's surface version right after the last frame was shown (or
  // the frames were built over it), while it shows that frame or its rest.
  std::uint64_t shownVersion_ = ~std::uint64_t{0};
  const GlmModel* shownModel_ = nullptr;
  bool showsRest_ = false;  // the body shows the rest shape (not a frame)
};

}  // namespace vestora
