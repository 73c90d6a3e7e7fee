#include "view/offscreen_context.h"

#include <cstdio>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include "view/gl_headers.h"
// After gl.h: the framebuffer-object entry points and their types.
#include <GL/glext.h>

namespace vestora {
namespace {

std::string hex(unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%04X", value);
  return text;
}

Error eglFailure(const std::string& call) {
  return makeError("EGL",
                   call + " failed (error " + hex(static_cast<unsigned>(eglGetError())) + ")");
}

Error glFailure(const std::string& call, const std::string& detail) {
  return makeError("OpenGL", call + " failed: " + detail);
}

Result<void> checkGl(const char* call) {
  const GLenum code = glGetError();
  if (code == GL_NO_ERROR) return {};
  for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) continue;
  return glFailure(call, "GL error " + hex(code));
}

bool hasExtension(const char* list, std::string_view name) {
  if (!list) return false;
  std::string_view rest(list);
  while (!rest.empty()) {
    const auto space = rest.find(' ');
    if (rest.substr(0, space) == name) return true;
    if (space == std::string_view::npos) break;
    rest.remove_prefix(space + 1);
  }
  return false;
}

Result<EGLDisplay> openDisplay() {
  const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
  if (!clientExtensions) return eglFailure("eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS)");
  if (!hasExtension(clientExtensions, "EGL_MESA_platform_surfaceless"))
    return makeError("EGL", "EGL_MESA_platform_surfaceless is not offered");
  auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
      eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (!getPlatformDisplay) return makeError("EGL", "eglGetPlatformDisplayEXT is not available");
  EGLDisplay display =
      getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  if (display == EGL_NO_DISPLAY)
    return eglFailure("eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA)");
  EGLint major = 0, minor = 0;
  if (!eglInitialize(display, &major, &minor)) return eglFailure("eglInitialize");
  return display;
}

// Opened once and kept: terminating the display unloads the driver, and
// every load of the driver leaves memory behind.
Result<EGLDisplay> sharedDisplay() {
  static std::mutex mutex;
  static std::optional<Result<EGLDisplay>> display;
  const std::lock_guard lock(mutex);
  if (!display) display = openDisplay();
  return *display;
}

struct FramebufferApi {
  PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
  PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
  PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
  PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
  PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
  PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
  PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
  PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
  PFNGLRENDERBUFFERSTORAGEMULTISAMPLEPROC renderbufferStorageMultisample = nullptr;
  PFNGLBLITFRAMEBUFFERPROC blitFramebuffer = nullptr;

  Result<void> load() {
    std::string missing;
    auto get = [&](auto& fn, const char* name) {
      fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(eglGetProcAddress(name));
      if (!fn) missing = name;
    };
    get(genFramebuffers, "glGenFramebuffers");
    get(deleteFramebuffers, "glDeleteFramebuffers");
    get(bindFramebuffer, "glBindFramebuffer");
    get(framebufferRenderbuffer, "glFramebufferRenderbuffer");
    get(checkFramebufferStatus, "glCheckFramebufferStatus");
    get(genRenderbuffers, "glGenRenderbuffers");
    get(deleteRenderbuffers, "glDeleteRenderbuffers");
    get(bindRenderbuffer, "glBindRenderbuffer");
    get(renderbufferStorageMultisample, "glRenderbufferStorageMultisample");
    get(blitFramebuffer, "glBlitFramebuffer");
    if (!missing.empty())
      return makeError("OpenGL", missing + " is not available: no framebuffer objects");
    return {};
  }
};

// A framebuffer with a colour and (optionally) a depth-stencil renderbuffer.
struct Target {
  GLuint framebuffer = 0;
  GLuint renderbuffers[2] = {0, 0};

  Result<void> create(const FramebufferApi& api, int width, int height, int samples, bool depth) {
    api.genFramebuffers(1, &framebuffer);
    api.bindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    api.genRenderbuffers(2, renderbuffers);
    api.bindRenderbuffer(GL_RENDERBUFFER, renderbuffers[0]);
    api.renderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_RGBA8, width, height);
    api.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                renderbuffers[0]);
    if (depth) {
      api.bindRenderbuffer(GL_RENDERBUFFER, renderbuffers[1]);
      api.renderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_DEPTH24_STENCIL8, width,
                                         height);
      api.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                                  renderbuffers[1]);
    }
    if (auto r = checkGl("glRenderbufferStorageMultisample"); !r) return r;
    const GLenum status = api.checkFramebufferStatus(GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE)
      return glFailure("glCheckFramebufferStatus", "framebuffer incomplete (" + hex(status) + ", " +
                                                       std::to_string(samples) + " samples)");
    return {};
  }

  void destroy(const FramebufferApi& api) {
    if (framebuffer) api.deleteFramebuffers(1, &framebuffer);
    if (renderbuffers[0]) api.deleteRenderbuffers(2, renderbuffers);
    framebuffer = 0;
    renderbuffers[0] = renderbuffers[1] = 0;
  }
};

}  // namespace

struct OffscreenContext::State {
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLContext context = EGL_NO_CONTEXT;
  EGLSurface surface = EGL_NO_SURFACE;
  FramebufferApi api;
  Target draw;      // multisampled when samples > 0
  Target resolved;  // single-sampled copy for reading; unused without samples
  bool multisampled = false;

  ~State() {
    if (context != EGL_NO_CONTEXT) {
      eglMakeCurrent(display, surface, surface, context);
      if (api.deleteFramebuffers) {
        draw.destroy(api);
        resolved.destroy(api);
      }
      eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
      eglDestroyContext(display, context);
    }
    if (surface != EGL_NO_SURFACE) eglDestroySurface(display, surface);
    eglReleaseThread();
  }

  void bindForDrawing() {
    api.bindFramebuffer(GL_DRAW_FRAMEBUFFER, draw.framebuffer);
    api.bindFramebuffer(GL_READ_FRAMEBUFFER,
                        multisampled ? resolved.framebuffer : draw.framebuffer);
  }
};

OffscreenContext::OffscreenContext(std::unique_ptr<State> state) : state_(std::move(state)) {}

OffscreenContext::~OffscreenContext() = default;

Result<std::unique_ptr<OffscreenContext>> OffscreenContext::create(int width, int height,
                                                                   bool multisample) {
  if (width < 1 || height < 1 || width > 8192 || height > 8192)
    return makeError("OpenGL", "a frame of " + std::to_string(width) + " x " +
                                   std::to_string(height) + " pixels is out of range");
  auto display = sharedDisplay();
  if (!display) return display.error();
  auto state = std::make_unique<State>();
  state->display = display.value();
  if (!eglBindAPI(EGL_OPENGL_API)) return eglFailure("eglBindAPI(EGL_OPENGL_API)");
  const EGLint configAttributes[] = {EGL_SURFACE_TYPE,
                                     EGL_PBUFFER_BIT,
                                     EGL_RENDERABLE_TYPE,
                                     EGL_OPENGL_BIT,
                                     EGL_RED_SIZE,
                                     8,
                                     EGL_GREEN_SIZE,
                                     8,
                                     EGL_BLUE_SIZE,
                                     8,
                                     EGL_NONE};
  EGLConfig config = nullptr;
  EGLint configCount = 0;
  if (!eglChooseConfig(state->display, configAttributes, &config, 1, &configCount))
    return eglFailure("eglChooseConfig");
  if (configCount < 1) return makeError("EGL", "eglChooseConfig found no config for OpenGL");
  // No version or profile asked for: Mesa then gives its compatibility
  // profile, with the fixed-function pipeline and display lists.
  const EGLint contextAttributes[] = {EGL_NONE};
  state->context = eglCreateContext(state->display, config, EGL_NO_CONTEXT, contextAttributes);
  if (state->context == EGL_NO_CONTEXT) return eglFailure("eglCreateContext");
  // The frame is drawn into framebuffer objects; the small pbuffer only
  // gives the context something to be current on.
  const EGLint pbufferAttributes[] = {EGL_WIDTH, 16, EGL_HEIGHT, 16, EGL_NONE};
  state->surface = eglCreatePbufferSurface(state->display, config, pbufferAttributes);
  if (state->surface == EGL_NO_SURFACE) eglGetError();
  if (!eglMakeCurrent(state->display, state->surface, state->surface, state->context))
    return eglFailure("eglMakeCurrent");
  if (auto loaded = state->api.load(); !loaded) return loaded.error();
  glGetError();

  GLint maxSamples = 0, maxRenderbuffer = 0;
  glGetIntegerv(GL_MAX_SAMPLES, &maxSamples);
  glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxRenderbuffer);
  glGetError();
  if (width > maxRenderbuffer || height > maxRenderbuffer)
    return glFailure("glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE)",
                     "frames are limited to " + std::to_string(maxRenderbuffer) + " pixels");
  int samples = multisample && maxSamples >= 4 ? 4 : 0;
  if (samples > 0 && !state->draw.create(state->api, width, height, samples, true)) {
    state->draw.destroy(state->api);
    glGetError();
    samples = 0;
  }
  if (samples == 0)
    if (auto r = state->draw.create(state->api, width, height, 0, true); !r) return r.error();
  state->multisampled = samples > 0;
  if (state->multisampled)
    if (auto r = state->resolved.create(state->api, width, height, 0, true); !r) return r.error();
  state->bindForDrawing();
  glViewport(0, 0, width, height);
  if (state->multisampled) glEnable(GL_MULTISAMPLE);

  std::unique_ptr<OffscreenContext> context(new OffscreenContext(std::move(state)));
  context->width_ = width;
  context->height_ = height;
  context->samples_ = samples;
  return context;
}

void OffscreenContext::makeCurrent() {
  eglMakeCurrent(state_->display, state_->surface, state_->surface, state_->context);
  state_->bindForDrawing();
}

void OffscreenContext::resolve() {
  if (!state_->multisampled) return;
  State& s = *state_;
  s.api.bindFramebuffer(GL_READ_FRAMEBUFFER, s.draw.framebuffer);
  s.api.bindFramebuffer(GL_DRAW_FRAMEBUFFER, s.resolved.framebuffer);
  // The blit obeys the scissor test; the whole frame is wanted.
  GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
  glDisable(GL_SCISSOR_TEST);
  // Depth too: the lens flare reads it to see whether its light is covered.
  s.api.blitFramebuffer(0, 0, width_, height_, 0, 0, width_, height_,
                        GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT, GL_NEAREST);
  if (scissor) glEnable(GL_SCISSOR_TEST);
  s.bindForDrawing();
}

std::vector<std::uint8_t> OffscreenContext::readRgb() {
  resolve();
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width_) * height_ * 3);
  GLint alignment = 4;
  glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width_, height_, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  glPixelStorei(GL_PACK_ALIGNMENT, alignment);
  return rgb;
}

}  // namespace vestora
