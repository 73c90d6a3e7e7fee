// An OpenGL compatibility context without a window: EGL on Mesa's
// surfaceless platform, drawing into a framebuffer object with a 24-bit
// depth and 8-bit stencil buffer, multisampled (4×) where the driver can.
// The command line and the tests draw the view's frames with it and read
// the pixels back.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/result.h"

namespace vestora {

class OffscreenContext {
 public:
  // Creates the context, makes it current on this thread and binds the
  // framebuffer: 4× multisampled when `multisample` and the driver can,
  // else single-sampled. Fails with a message naming the EGL or GL call
  // that failed.
  static Result<std::unique_ptr<OffscreenContext>> create(int width, int height,
                                                          bool multisample = true);
  ~OffscreenContext();
  OffscreenContext(const OffscreenContext&) = delete;
  OffscreenContext& operator=(const OffscreenContext&) = delete;

  void makeCurrent();
  int width() const { return width_; }
  int height() const { return height_; }
  int samples() const { return samples_; }

  // Makes the frame drawn so far, colour and depth, readable by
  // glReadPixels (resolving the samples); drawing goes on into the same frame.
  void resolve();
  // RGB bytes of the whole frame, rows bottom to top (as glReadPixels gives them).
  std::vector<std::uint8_t> readRgb();

 private:
  struct State;
  explicit OffscreenContext(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
  int width_ = 0, height_ = 0, samples_ = 0;
};

}  // namespace vestora
