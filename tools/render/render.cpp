#include "render/render.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <type_traits>

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

namespace vestora::render {
namespace {

// ---- errors ---------------------------------------------------------------

const char* eglErrorName(EGLint code) {
  switch (code) {
    case EGL_SUCCESS:
      return "EGL_SUCCESS";
    case EGL_NOT_INITIALIZED:
      return "EGL_NOT_INITIALIZED";
    case EGL_BAD_ACCESS:
      return "EGL_BAD_ACCESS";
    case EGL_BAD_ALLOC:
      return "EGL_BAD_ALLOC";
    case EGL_BAD_ATTRIBUTE:
      return "EGL_BAD_ATTRIBUTE";
    case EGL_BAD_CONFIG:
      return "EGL_BAD_CONFIG";
    case EGL_BAD_CONTEXT:
      return "EGL_BAD_CONTEXT";
    case EGL_BAD_CURRENT_SURFACE:
      return "EGL_BAD_CURRENT_SURFACE";
    case EGL_BAD_DISPLAY:
      return "EGL_BAD_DISPLAY";
    case EGL_BAD_MATCH:
      return "EGL_BAD_MATCH";
    case EGL_BAD_NATIVE_PIXMAP:
      return "EGL_BAD_NATIVE_PIXMAP";
    case EGL_BAD_NATIVE_WINDOW:
      return "EGL_BAD_NATIVE_WINDOW";
    case EGL_BAD_PARAMETER:
      return "EGL_BAD_PARAMETER";
    case EGL_BAD_SURFACE:
      return "EGL_BAD_SURFACE";
    case EGL_CONTEXT_LOST:
      return "EGL_CONTEXT_LOST";
    default:
      return "unknown EGL error";
  }
}

std::string hex(unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%04X", value);
  return text;
}

// The error of the EGL call that just failed.
Error eglFailure(const std::string& call) {
  const EGLint code = eglGetError();
  return makeError("EGL", call + " failed: " + eglErrorName(code) + " (" +
                              hex(static_cast<unsigned>(code)) + ")");
}

const char* glErrorName(GLenum code) {
  switch (code) {
    case GL_INVALID_ENUM:
      return "GL_INVALID_ENUM";
    case GL_INVALID_VALUE:
      return "GL_INVALID_VALUE";
    case GL_INVALID_OPERATION:
      return "GL_INVALID_OPERATION";
    case GL_STACK_OVERFLOW:
      return "GL_STACK_OVERFLOW";
    case GL_STACK_UNDERFLOW:
      return "GL_STACK_UNDERFLOW";
    case GL_OUT_OF_MEMORY:
      return "GL_OUT_OF_MEMORY";
    case GL_INVALID_FRAMEBUFFER_OPERATION:
      return "GL_INVALID_FRAMEBUFFER_OPERATION";
    default:
      return "unknown GL error";
  }
}

Error glFailure(const std::string& call, const std::string& detail) {
  return makeError("OpenGL", call + " failed: " + detail);
}

// Fails naming `call` when GL has recorded an error since the last check.
Result<void> checkGl(const char* call) {
  const GLenum code = glGetError();
  if (code == GL_NO_ERROR) return {};
  // Any further errors most likely follow from the first: drop them.
  for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) continue;
  return glFailure(call, std::string(glErrorName(code)) + " (" + hex(code) + ")");
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

// ---- EGL ------------------------------------------------------------------

Result<EGLDisplay> openDisplay() {
  const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
  if (!clientExtensions) return eglFailure("eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS)");
  if (!hasExtension(clientExtensions, "EGL_MESA_platform_surfaceless"))
    return makeError("EGL",
                     "eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS): "
                     "EGL_MESA_platform_surfaceless is not offered (offered: " +
                         std::string(clientExtensions) + ")");
  auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
      eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (!getPlatformDisplay)
    return makeError("EGL", "eglGetProcAddress(\"eglGetPlatformDisplayEXT\") returned null");
  EGLDisplay display =
      getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  if (display == EGL_NO_DISPLAY)
    return eglFailure("eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA)");
  EGLint major = 0, minor = 0;
  if (!eglInitialize(display, &major, &minor)) return eglFailure("eglInitialize");
  return display;
}

// The initialised display on the surfaceless platform. It is opened once and
// kept until the process ends: terminating it unloads the driver, and every
// load of the driver leaves some memory behind.
Result<EGLDisplay> sharedDisplay() {
  static std::mutex mutex;
  static std::optional<Result<EGLDisplay>> display;
  const std::lock_guard lock(mutex);
  if (!display) display = openDisplay();
  return *display;
}

// A compatibility-profile OpenGL context, current while the object lives.
class GlContext {
 public:
  static Result<std::unique_ptr<GlContext>> create(EGLDisplay d) {
    if (!eglBindAPI(EGL_OPENGL_API)) return eglFailure("eglBindAPI(EGL_OPENGL_API)");
    // clang-format off
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT,
                                       EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                       EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8,
                                       EGL_NONE};
    // clang-format on
    EGLConfig config = nullptr;
    EGLint configCount = 0;
    if (!eglChooseConfig(d, configAttributes, &config, 1, &configCount))
      return eglFailure("eglChooseConfig");
    if (configCount < 1)
      return makeError("EGL", "eglChooseConfig found no config for OpenGL with pbuffers");
    std::unique_ptr<GlContext> result(new GlContext(d));
    const EGLint contextAttributes[] = {EGL_NONE};
    result->context_ = eglCreateContext(d, config, EGL_NO_CONTEXT, contextAttributes);
    if (result->context_ == EGL_NO_CONTEXT) return eglFailure("eglCreateContext");
    // Everything is drawn into framebuffer objects; the pbuffer only gives
    // the context something to be current on. Without one, go surfaceless.
    const EGLint pbufferAttributes[] = {EGL_WIDTH, 16, EGL_HEIGHT, 16, EGL_NONE};
    result->surface_ = eglCreatePbufferSurface(d, config, pbufferAttributes);
    if (result->surface_ == EGL_NO_SURFACE) eglGetError();
    if (!eglMakeCurrent(d, result->surface_, result->surface_, result->context_))
      return eglFailure(result->surface_ == EGL_NO_SURFACE ? "eglMakeCurrent(EGL_NO_SURFACE)"
                                                           : "eglMakeCurrent");
    return result;
  }

  ~GlContext() {
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (surface_ != EGL_NO_SURFACE) eglDestroySurface(display_, surface_);
    if (context_ != EGL_NO_CONTEXT) eglDestroyContext(display_, context_);
    eglReleaseThread();
  }
  GlContext(const GlContext&) = delete;
  GlContext& operator=(const GlContext&) = delete;

 private:
  explicit GlContext(EGLDisplay display) : display_(display) {}
  EGLDisplay display_;
  EGLContext context_ = EGL_NO_CONTEXT;
  EGLSurface surface_ = EGL_NO_SURFACE;
};

// Framebuffer-object entry points, which OpenGL 1.x headers do not declare.
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

  static Result<FramebufferApi> load() {
    FramebufferApi api;
    bool ok = true;
    std::string missing;
    auto get = [&](auto& fn, const char* name) {
      fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(eglGetProcAddress(name));
      if (!fn) {
        ok = false;
        missing = name;
      }
    };
    get(api.genFramebuffers, "glGenFramebuffers");
    get(api.deleteFramebuffers, "glDeleteFramebuffers");
    get(api.bindFramebuffer, "glBindFramebuffer");
    get(api.framebufferRenderbuffer, "glFramebufferRenderbuffer");
    get(api.checkFramebufferStatus, "glCheckFramebufferStatus");
    get(api.genRenderbuffers, "glGenRenderbuffers");
    get(api.deleteRenderbuffers, "glDeleteRenderbuffers");
    get(api.bindRenderbuffer, "glBindRenderbuffer");
    get(api.renderbufferStorageMultisample, "glRenderbufferStorageMultisample");
    get(api.blitFramebuffer, "glBlitFramebuffer");
    if (!ok)
      return makeError("OpenGL", "eglGetProcAddress(\"" + missing +
                                     "\") returned null: framebuffer objects are not available");
    return api;
  }
};

// A colour (RGBA8) and depth-stencil renderbuffer pair attached to one framebuffer.
class RenderTarget {
 public:
  explicit RenderTarget(const FramebufferApi& api) : api_(api) {}
  ~RenderTarget() {
    if (framebuffer_) api_.deleteFramebuffers(1, &framebuffer_);
    if (renderbuffers_[0]) api_.deleteRenderbuffers(2, renderbuffers_);
  }
  RenderTarget(const RenderTarget&) = delete;
  RenderTarget& operator=(const RenderTarget&) = delete;

  Result<void> create(int width, int height, int samples, bool withDepth) {
    api_.genFramebuffers(1, &framebuffer_);
    api_.bindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    api_.genRenderbuffers(2, renderbuffers_);
    api_.bindRenderbuffer(GL_RENDERBUFFER, renderbuffers_[0]);
    api_.renderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_RGBA8, width, height);
    if (auto r = checkGl("glRenderbufferStorageMultisample(GL_RGBA8)"); !r) return r;
    api_.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                 renderbuffers_[0]);
    if (withDepth) {
      api_.bindRenderbuffer(GL_RENDERBUFFER, renderbuffers_[1]);
      api_.renderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_DEPTH24_STENCIL8, width,
                                          height);
      if (auto r = checkGl("glRenderbufferStorageMultisample(GL_DEPTH24_STENCIL8)"); !r) return r;
      api_.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                                   renderbuffers_[1]);
    }
    if (auto r = checkGl("glFramebufferRenderbuffer"); !r) return r;
    const GLenum status = api_.checkFramebufferStatus(GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE)
      return glFailure("glCheckFramebufferStatus", "framebuffer incomplete (" + hex(status) + ", " +
                                                       std::to_string(samples) + " samples)");
    return {};
  }

  GLuint framebuffer() const { return framebuffer_; }

 private:
  const FramebufferApi& api_;
  GLuint framebuffer_ = 0;
  GLuint renderbuffers_[2] = {0, 0};
};

// ---- the model as arrays --------------------------------------------------

using Vec3 = std::array<float, 3>;

Vec3 sub(const float* a, const float* b) {
  return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
Vec3 cross(const Vec3& a, const Vec3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
float dot(const Vec3& a, const Vec3& b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
bool normalise(Vec3& v) {
  const float length = std::sqrt(dot(v, v));
  if (!(length > 0.0f) || !std::isfinite(length)) return false;
  for (float& c : v) c /= length;
  return true;
}

std::string lowerTrimmed(std::string_view name) {
  std::string s;
  for (char c : name)
    if (!std::isspace(static_cast<unsigned char>(c)))
      s += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// The natural colour of a group, judged by its name.
Vec3 surfaceColour(std::string_view groupName) {
  const std::string name = lowerTrimmed(groupName);
  if (name.find("lash") != std::string::npos || name.find("brow") != std::string::npos ||
      name.find("hair") != std::string::npos)
    return {0.16f, 0.11f, 0.08f};
  if (name.find("eye") != std::string::npos) return {0.30f, 0.22f, 0.16f};
  return kSkinColour;
}

// Three floats per triangle corner, triangles in model order.
struct Mesh {
  std::vector<float> positions;
  std::vector<float> normals;
  std::vector<float> colours;
  Vec3 minimum{0, 0, 0};
  Vec3 maximum{0, 0, 0};

  GLsizei cornerCount() const { return static_cast<GLsizei>(positions.size() / 3); }
};

Result<Mesh> buildMesh(const GlmModel& model, bool groupColours) {
  const std::uint32_t vertexCount = model.vertexCount();
  const std::size_t triangleCount = model.triangles.size();
  if (triangleCount * 3 > static_cast<std::size_t>(std::numeric_limits<GLsizei>::max()))
    return makeError(model.pathname,
                     "too many triangles to draw: " + std::to_string(triangleCount));

  auto valid = [&](const GlmTriangle& t) {
    for (std::uint32_t v : t.vindices)
      if (v == 0 || v > vertexCount) return false;
    return true;
  };

  // Smooth normals: the area-weighted sum of the facet normals round each
  // vertex (1-based, entry 0 unused), whatever normals the model carries.
  std::vector<Vec3> facet(triangleCount, Vec3{0, 0, 0});
  std::vector<Vec3> smooth(std::size_t(vertexCount) + 1, Vec3{0, 0, 0});
  for (std::size_t i = 0; i < triangleCount; ++i) {
    const GlmTriangle& t = model.triangles[i];
    if (!valid(t)) continue;
    const float* a = model.vertex(t.vindices[0]);
    const Vec3 n = cross(sub(model.vertex(t.vindices[1]), a), sub(model.vertex(t.vindices[2]), a));
    if (!std::isfinite(n[0]) || !std::isfinite(n[1]) || !std::isfinite(n[2])) continue;
    facet[i] = n;
    for (std::uint32_t v : t.vindices)
      for (int k = 0; k < 3; ++k) smooth[v][k] += n[k];
  }
  for (Vec3& n : smooth)
    if (!normalise(n)) n = {0, 0, 0};

  std::vector<Vec3> triangleColour(triangleCount, kSkinColour);
  std::size_t groupIndex = 0;
  for (const GlmGroup& g : model.groups) {
    const Vec3 colour = groupColours ? groupColour(groupIndex) : surfaceColour(g.name);
    for (std::uint32_t t : g.triangles)
      if (t < triangleCount) triangleColour[t] = colour;
    ++groupIndex;
  }

  Mesh mesh;
  mesh.positions.reserve(triangleCount * 9);
  mesh.normals.reserve(triangleCount * 9);
  mesh.colours.reserve(triangleCount * 9);
  bool first = true;
  for (std::size_t i = 0; i < triangleCount; ++i) {
    const GlmTriangle& t = model.triangles[i];
    if (!valid(t)) continue;
    Vec3 flat = facet[i];
    if (!normalise(flat)) flat = {0, 0, 1};
    for (std::uint32_t v : t.vindices) {
      const float* p = model.vertex(v);
      const Vec3& n = dot(smooth[v], smooth[v]) > 0 ? smooth[v] : flat;
      for (int k = 0; k < 3; ++k) {
        mesh.positions.push_back(p[k]);
        mesh.normals.push_back(n[k]);
        mesh.colours.push_back(triangleColour[i][k]);
        if (first || p[k] < mesh.minimum[k]) mesh.minimum[k] = p[k];
        if (first || p[k] > mesh.maximum[k]) mesh.maximum[k] = p[k];
      }
      first = false;
    }
  }
  return mesh;
}

// ---- drawing --------------------------------------------------------------

struct Camera {
  Vec3 right, up, back;  // picture axes in model space; `back` points at the camera
};

Camera cameraFor(View view) {
  switch (view) {
    case View::kFront:
      return {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    case View::kSide:
      return {{0, 0, -1}, {0, 1, 0}, {1, 0, 0}};
    case View::kBack:
      return {{-1, 0, 0}, {0, 1, 0}, {0, 0, -1}};
    case View::kTop:
      return {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}};
  }
  return {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
}

constexpr float kMargin = 0.08f;  // of the model's larger extent in the picture, each side

void drawBackground() {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glDisable(GL_BLEND);
  glBegin(GL_QUADS);
  glColor3f(0.80f, 0.82f, 0.85f);  // light grey at the bottom
  glVertex2f(-1, -1);
  glVertex2f(1, -1);
  glColor3f(0.99f, 0.99f, 0.99f);  // to white at the top
  glVertex2f(1, 1);
  glVertex2f(-1, 1);
  glEnd();
}

void setCamera(const Mesh& mesh, View view) {
  const Camera cam = cameraFor(view);
  Vec3 centre, half;
  for (int k = 0; k < 3; ++k) {
    centre[k] = 0.5f * (mesh.minimum[k] + mesh.maximum[k]);
    half[k] = 0.5f * (mesh.maximum[k] - mesh.minimum[k]);
  }
  auto extent = [&](const Vec3& axis) {
    return std::abs(axis[0]) * half[0] + std::abs(axis[1]) * half[1] + std::abs(axis[2]) * half[2];
  };
  float halfSize = std::max(extent(cam.right), extent(cam.up)) * (1.0f + 2.0f * kMargin);
  if (!(halfSize > 0.0f)) halfSize = 1.0f;
  const float depth = extent(cam.back);
  const float pad = std::max(0.05f * depth, 0.01f * halfSize);

  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-halfSize, halfSize, -halfSize, halfSize, -(depth + pad), depth + pad);

  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  // Lights are placed in eye space, so every view is lit alike: a key light
  // from the upper left in front and a weaker fill from the right.
  const GLfloat key[] = {-0.4f, 0.6f, 0.7f, 0.0f};
  const GLfloat fill[] = {0.6f, 0.2f, 0.5f, 0.0f};
  glLightfv(GL_LIGHT0, GL_POSITION, key);
  glLightfv(GL_LIGHT1, GL_POSITION, fill);

  // Rows: the picture axes; translation: the box centre to the origin.
  const GLfloat m[16] = {cam.right[0],
                         cam.up[0],
                         cam.back[0],
                         0,
                         cam.right[1],
                         cam.up[1],
                         cam.back[1],
                         0,
                         cam.right[2],
                         cam.up[2],
                         cam.back[2],
                         0,
                         -dot(cam.right, centre),
                         -dot(cam.up, centre),
                         -dot(cam.back, centre),
                         1};
  glLoadMatrixf(m);
}

void setLights() {
  const GLfloat ambient[] = {0.28f, 0.28f, 0.30f, 1.0f};
  const GLfloat none[] = {0.0f, 0.0f, 0.0f, 1.0f};
  const GLfloat keyDiffuse[] = {0.75f, 0.75f, 0.73f, 1.0f};
  const GLfloat keySpecular[] = {0.35f, 0.35f, 0.35f, 1.0f};
  const GLfloat fillDiffuse[] = {0.32f, 0.33f, 0.36f, 1.0f};
  const GLfloat specular[] = {0.15f, 0.15f, 0.15f, 1.0f};
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
  // Avatars are not always wound the same way; light both sides.
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
  glLightfv(GL_LIGHT0, GL_AMBIENT, none);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, keyDiffuse);
  glLightfv(GL_LIGHT0, GL_SPECULAR, keySpecular);
  glLightfv(GL_LIGHT1, GL_AMBIENT, none);
  glLightfv(GL_LIGHT1, GL_DIFFUSE, fillDiffuse);
  glLightfv(GL_LIGHT1, GL_SPECULAR, none);
  glEnable(GL_LIGHT0);
  glEnable(GL_LIGHT1);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 24.0f);
  glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
  glEnable(GL_COLOR_MATERIAL);
  glShadeModel(GL_SMOOTH);
  glEnable(GL_NORMALIZE);
}

void drawMesh(const Mesh& mesh, bool wire) {
  if (mesh.cornerCount() == 0) return;
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glDepthMask(GL_TRUE);
  glEnable(GL_LIGHTING);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_NORMAL_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, mesh.positions.data());
  glNormalPointer(GL_FLOAT, 0, mesh.normals.data());
  glColorPointer(3, GL_FLOAT, 0, mesh.colours.data());
  if (wire) {
    // Push the surface back so the edges in front of it win the depth test.
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(1.0f, 1.0f);
  }
  glDrawArrays(GL_TRIANGLES, 0, mesh.cornerCount());
  glDisable(GL_POLYGON_OFFSET_FILL);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_NORMAL_ARRAY);
  if (wire) {
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthMask(GL_FALSE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glColor4f(0.12f, 0.12f, 0.16f, 0.35f);
    glDrawArrays(GL_TRIANGLES, 0, mesh.cornerCount());
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
  }
  glDisableClientState(GL_VERTEX_ARRAY);
}

}  // namespace

std::string_view viewName(View view) {
  switch (view) {
    case View::kFront:
      return "front";
    case View::kSide:
      return "side";
    case View::kBack:
      return "back";
    case View::kTop:
      return "top";
  }
  return "front";
}

std::optional<View> parseView(std::string_view name) {
  for (View v : {View::kFront, View::kSide, View::kBack, View::kTop})
    if (viewName(v) == name) return v;
  return std::nullopt;
}

std::array<float, 3> groupColour(std::size_t index) {
  // Hues a golden-ratio step apart, at one saturation and brightness.
  const double h = std::fmod(0.08 + 0.6180339887498949 * static_cast<double>(index), 1.0) * 6.0;
  const double s = 0.6, v = 0.9;
  const int sector = static_cast<int>(h) % 6;
  const double f = h - std::floor(h);
  const auto p = float(v * (1 - s)), q = float(v * (1 - s * f)), t = float(v * (1 - s * (1 - f)));
  const auto vf = float(v);
  switch (sector) {
    case 0:
      return {vf, t, p};
    case 1:
      return {q, vf, p};
    case 2:
      return {p, vf, t};
    case 3:
      return {p, q, vf};
    case 4:
      return {t, p, vf};
    default:
      return {vf, p, q};
  }
}

Result<void> probeRendering() {
  auto display = sharedDisplay();
  if (!display) return display.error();
  return {};
}

Result<std::vector<Image>> renderModelViews(const GlmModel& model, const RenderOptions& options) {
  const int size = options.size;
  if (size < kMinImageSize || size > kMaxImageSize)
    return makeError("vestora-render", "picture size " + std::to_string(size) + " is outside " +
                                           std::to_string(kMinImageSize) + " to " +
                                           std::to_string(kMaxImageSize));
  auto mesh = buildMesh(model, options.groupColours);
  if (!mesh) return mesh.error();

  auto display = sharedDisplay();
  if (!display) return display.error();
  auto context = GlContext::create(display.value());
  if (!context) return context.error();
  auto api = FramebufferApi::load();
  if (!api) return api.error();
  glGetError();  // start from a clean error state

  GLint maxRenderbuffer = 0, maxViewport[2] = {0, 0}, maxSamples = 0;
  glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxRenderbuffer);
  glGetIntegerv(GL_MAX_VIEWPORT_DIMS, maxViewport);
  glGetIntegerv(GL_MAX_SAMPLES, &maxSamples);
  if (auto r = checkGl("glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE)"); !r) return r.error();
  if (size > maxRenderbuffer || size > maxViewport[0] || size > maxViewport[1])
    return glFailure("glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE)",
                     "pictures of " + std::to_string(size) + " pixels are larger than the " +
                         std::to_string(std::min(maxRenderbuffer, maxViewport[0])) +
                         " this OpenGL allows");
  const int samples = std::min(4, static_cast<int>(maxSamples));

  // Draw into a multisampled target and resolve into a plain one for reading.
  RenderTarget drawTarget(api.value());
  if (auto r = drawTarget.create(size, size, samples >= 2 ? samples : 0, true); !r)
    return r.error();
  RenderTarget readTarget(api.value());
  const bool resolve = samples >= 2;
  if (resolve)
    if (auto r = readTarget.create(size, size, 0, false); !r) return r.error();

  setLights();
  if (resolve) glEnable(GL_MULTISAMPLE);
  std::vector<std::uint8_t> rgba(4 * static_cast<std::size_t>(size) * size);
  std::vector<Image> images;
  for (View view : options.views) {
    api->bindFramebuffer(GL_FRAMEBUFFER, drawTarget.framebuffer());
    glViewport(0, 0, size, size);
    glClearColor(1, 1, 1, 1);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    drawBackground();
    setCamera(mesh.value(), view);
    drawMesh(mesh.value(), options.wire);
    if (auto r = checkGl("glDrawArrays"); !r) return r.error();

    if (resolve) {
      api->bindFramebuffer(GL_READ_FRAMEBUFFER, drawTarget.framebuffer());
      api->bindFramebuffer(GL_DRAW_FRAMEBUFFER, readTarget.framebuffer());
      api->blitFramebuffer(0, 0, size, size, 0, 0, size, size, GL_COLOR_BUFFER_BIT, GL_NEAREST);
      if (auto r = checkGl("glBlitFramebuffer"); !r) return r.error();
      api->bindFramebuffer(GL_READ_FRAMEBUFFER, readTarget.framebuffer());
    }
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, size, size, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    if (auto r = checkGl("glReadPixels"); !r) return r.error();

    Image image;
    image.view = view;
    image.width = size;
    image.height = size;
    image.rgb.resize(3 * static_cast<std::size_t>(size) * size);
    for (int y = 0; y < size; ++y) {  // GL's rows run bottom to top
      const std::uint8_t* from = &rgba[4 * static_cast<std::size_t>(size - 1 - y) * size];
      std::uint8_t* to = &image.rgb[3 * static_cast<std::size_t>(y) * size];
      for (int x = 0; x < size; ++x)
        for (int c = 0; c < 3; ++c) to[3 * x + c] = from[4 * x + c];
    }
    images.push_back(std::move(image));
  }
  api->bindFramebuffer(GL_FRAMEBUFFER, 0);
  return images;
}

}  // namespace vestora::render
