#include "render/render.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include "formats/model_loader.h"
#include "formats/model_ops.h"
#include "render/render_cli.h"
#include "test_support.h"

namespace vestora::render {
namespace {

using vestora::testing::makeSphere;
using vestora::testing::TempDir;

// The tests draw real pictures; a machine without an EGL display skips them.
#define SKIP_WITHOUT_EGL()                                                        \
  do {                                                                            \
    if (auto probe = probeRendering(); !probe)                                    \
      GTEST_SKIP() << "cannot draw off-screen here: " << probe.error().message(); \
  } while (false)

int difference(const std::array<std::uint8_t, 3>& a, const std::array<std::uint8_t, 3>& b) {
  int d = 0;
  for (int c = 0; c < 3; ++c) d += std::abs(int(a[c]) - int(b[c]));
  return d;
}

// The background is a vertical gradient and the model never reaches the
// left edge, so a pixel belongs to the model when it differs from the
// leftmost pixel of its row.
bool isModel(const Image& im, int x, int y) {
  return difference(im.pixel(x, y), im.pixel(0, y)) > 24;
}

struct Blob {
  int area = 0;
  double x = 0, y = 0;  // centroid, pixels, y downwards
  bool touchesEdge = false;
};

// The connected patches of model pixels, largest first.
std::vector<Blob> blobs(const Image& im) {
  std::vector<int> seen(static_cast<std::size_t>(im.width) * im.height, 0);
  std::vector<Blob> found;
  for (int sy = 0; sy < im.height; ++sy)
    for (int sx = 0; sx < im.width; ++sx) {
      if (seen[sy * im.width + sx] || !isModel(im, sx, sy)) continue;
      Blob b;
      std::vector<std::pair<int, int>> stack{{sx, sy}};
      seen[sy * im.width + sx] = 1;
      while (!stack.empty()) {
        auto [x, y] = stack.back();
        stack.pop_back();
        ++b.area;
        b.x += x + 0.5;
        b.y += y + 0.5;
        if (x == 0 || y == 0 || x == im.width - 1 || y == im.height - 1) b.touchesEdge = true;
        const int next[4][2] = {{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}};
        for (auto [nx, ny] : next) {
          if (nx < 0 || ny < 0 || nx >= im.width || ny >= im.height) continue;
          if (seen[ny * im.width + nx] || !isModel(im, nx, ny)) continue;
          seen[ny * im.width + nx] = 1;
          stack.push_back({nx, ny});
        }
      }
      b.x /= b.area;
      b.y /= b.area;
      found.push_back(b);
    }
  std::sort(found.begin(), found.end(),
            [](const Blob& a, const Blob& b) { return a.area > b.area; });
  return found;
}

// Sphere A (radius 1) at (-3, 0, -2) in group " Small", sphere B (radius
// 1.5) at (3, 2, 2) in group " Large", both moved by `offset`.
GlmModel twoSpheres(std::array<float, 3> offset = {0, 0, 0}) {
  GlmModel a = makeSphere(16, 32, 1.0f);
  glmTranslate(a, -3 + offset[0], 0 + offset[1], -2 + offset[2]);
  a.groups.front().name = " Small";
  GlmModel b = makeSphere(16, 32, 1.5f);
  glmTranslate(b, 3 + offset[0], 2 + offset[1], 2 + offset[2]);
  const std::uint32_t base = a.vertexCount();
  a.vertices.insert(a.vertices.end(), b.vertices.begin() + 3, b.vertices.end());
  GlmGroup& large = glmAddGroup(a, " Large");
  for (GlmTriangle t : b.triangles) {
    for (auto& v : t.vindices) v += base;
    large.triangles.push_back(a.triangleCount());
    large.triangleCopies.push_back(t);
    a.triangles.push_back(t);
  }
  return a;
}

RenderOptions optionsFor(std::vector<View> views, int size = 96) {
  RenderOptions o;
  o.size = size;
  o.views = std::move(views);
  return o;
}

const std::vector<View> kAllViews{View::kFront, View::kSide, View::kBack, View::kTop};

TEST(RenderModel, SphereIsLitSkinOnALightGradient) {
  SKIP_WITHOUT_EGL();
  const GlmModel sphere = makeSphere(24, 48, 10.0f);
  auto images = renderModelViews(sphere, optionsFor(kAllViews));
  ASSERT_TRUE(images) << images.error().message();
  ASSERT_EQ(images->size(), 4u);
  for (std::size_t i = 0; i < kAllViews.size(); ++i) {
    const Image& im = images.value()[i];
    SCOPED_TRACE(std::string(viewName(im.view)));
    EXPECT_EQ(im.view, kAllViews[i]);
    ASSERT_EQ(im.width, 96);
    ASSERT_EQ(im.height, 96);
    ASSERT_EQ(im.rgb.size(), 96u * 96u * 3u);

    const auto centre = im.pixel(48, 48);
    EXPECT_TRUE(isModel(im, 48, 48));
    EXPECT_GT(centre[0], 150) << "the side facing the camera is lit";
    EXPECT_GT(centre[0], centre[1] + 10) << "skin: red over green";
    EXPECT_GT(centre[1], centre[2] + 10) << "skin: green over blue";

    for (auto [x, y] : {std::pair{0, 0}, {95, 0}, {0, 95}, {95, 95}}) {
      const auto c = im.pixel(x, y);
      const auto [lo, hi] = std::minmax({c[0], c[1], c[2]});
      EXPECT_GE(lo, 180) << "corner " << x << "," << y << " is light";
      EXPECT_LE(hi - lo, 16) << "corner " << x << "," << y << " is grey";
    }
    EXPECT_LE(difference(im.pixel(0, 0), im.pixel(95, 0)), 3) << "the gradient runs top to bottom";
    EXPECT_LT(difference(im.pixel(0, 0), {255, 255, 255}),
              difference(im.pixel(0, 95), {255, 255, 255}))
        << "white at the top, grey at the bottom";
  }
}

TEST(RenderModel, CameraFitsTheModelWhateverItsUnitsAndPlace) {
  SKIP_WITHOUT_EGL();
  GlmModel tiny = makeSphere(24, 48, 0.01f);
  GlmModel huge = makeSphere(24, 48, 1000.0f);
  glmTranslate(huge, 5000, -3000, 800);
  std::vector<double> fractions;
  for (const GlmModel* m : {&tiny, &huge}) {
    auto images = renderModelViews(*m, optionsFor({View::kFront, View::kTop}, 128));
    ASSERT_TRUE(images) << images.error().message();
    for (const Image& im : images.value()) {
      const auto found = blobs(im);
      ASSERT_EQ(found.size(), 1u);
      EXPECT_FALSE(found[0].touchesEdge) << "a margin is left round the model";
      EXPECT_NEAR(found[0].x, 64, 1.5);
      EXPECT_NEAR(found[0].y, 64, 1.5);
      fractions.push_back(double(found[0].area) / (128 * 128));
    }
  }
  for (double f : fractions) {
    EXPECT_GT(f, 0.35) << "the model fills most of the picture";
    EXPECT_NEAR(f, fractions[0], 0.02);
  }
}

TEST(RenderModel, ViewsLookFromTheirSidesAtAnOffCentreModel) {
  SKIP_WITHOUT_EGL();
  // Picture axes of each camera in model space: (right, up).
  struct Expected {
    View view;
    std::array<float, 3> right, up;
  };
  const Expected cameras[] = {{View::kFront, {1, 0, 0}, {0, 1, 0}},
                              {View::kSide, {0, 0, -1}, {0, 1, 0}},
                              {View::kBack, {-1, 0, 0}, {0, 1, 0}},
                              {View::kTop, {1, 0, 0}, {0, 0, -1}}};
  const GlmModel model = twoSpheres({40, 100, -25});
  auto images = renderModelViews(model, optionsFor(kAllViews, 160));
  ASSERT_TRUE(images) << images.error().message();
  const std::array<float, 3> smallMinusLarge{-6, -2, -4};
  for (std::size_t i = 0; i < 4; ++i) {
    const Image& im = images.value()[i];
    SCOPED_TRACE(std::string(viewName(im.view)));
    const auto found = blobs(im);
    ASSERT_EQ(found.size(), 2u) << "both spheres show, apart";
    const Blob& large = found[0];
    const Blob& small = found[1];
    EXPECT_FALSE(large.touchesEdge);
    EXPECT_FALSE(small.touchesEdge);
    EXPECT_NEAR(double(large.area) / small.area, 2.25, 0.3);

    auto along = [&](const std::array<float, 3>& axis) {
      return axis[0] * smallMinusLarge[0] + axis[1] * smallMinusLarge[1] +
             axis[2] * smallMinusLarge[2];
    };
    const double wantRight = along(cameras[i].right), wantUp = along(cameras[i].up);
    const double gotRight = small.x - large.x, gotUp = large.y - small.y;
    EXPECT_GT(gotRight * wantRight, 0) << "left and right are not mirrored";
    EXPECT_GT(gotUp * wantUp, 0) << "up is up";
    EXPECT_NEAR(gotRight / gotUp, wantRight / wantUp, 0.1);
  }
}

TEST(RenderModel, GroupColoursTellGroupsApart) {
  SKIP_WITHOUT_EGL();
  const GlmModel model = twoSpheres();
  RenderOptions options = optionsFor({View::kFront}, 128);
  for (bool groupColours : {false, true}) {
    SCOPED_TRACE(groupColours ? "group colours" : "natural colours");
    options.groupColours = groupColours;
    auto images = renderModelViews(model, options);
    ASSERT_TRUE(images) << images.error().message();
    const Image& im = images.value()[0];
    const auto found = blobs(im);
    ASSERT_EQ(found.size(), 2u);
    // Both centres face the camera, so they are lit alike: only the
    // surface colour can tell them apart.
    const auto a = im.pixel(int(found[0].x), int(found[0].y));
    const auto b = im.pixel(int(found[1].x), int(found[1].y));
    if (groupColours)
      EXPECT_GT(difference(a, b), 60);
    else
      EXPECT_LE(difference(a, b), 6);
  }
  for (std::size_t i = 0; i < 8; ++i)
    for (std::size_t j = 0; j < i; ++j) {
      const auto ci = groupColour(i), cj = groupColour(j);
      const float d = std::abs(ci[0] - cj[0]) + std::abs(ci[1] - cj[1]) + std::abs(ci[2] - cj[2]);
      EXPECT_GT(d, 0.1f) << "groups " << i << " and " << j;
    }
}

TEST(RenderModel, WireDrawsEdgesOnTheSurfaceOnly) {
  SKIP_WITHOUT_EGL();
  const GlmModel sphere = makeSphere(12, 24, 1.0f);
  RenderOptions options = optionsFor({View::kFront}, 128);
  auto plain = renderModelViews(sphere, options);
  options.wire = true;
  auto wired = renderModelViews(sphere, options);
  ASSERT_TRUE(plain) << plain.error().message();
  ASSERT_TRUE(wired) << wired.error().message();
  const Image& p = plain.value()[0];
  const Image& w = wired.value()[0];
  const auto found = blobs(p);
  ASSERT_EQ(found.size(), 1u);
  const double radius = std::sqrt(found[0].area / 3.14159265);
  int inside = 0, darker = 0, changedOutside = 0;
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x) {
      const double r = std::hypot(x + 0.5 - found[0].x, y + 0.5 - found[0].y);
      const auto a = p.pixel(x, y), b = w.pixel(x, y);
      const int sumA = a[0] + a[1] + a[2], sumB = b[0] + b[1] + b[2];
      if (r < 0.7 * radius) {
        ++inside;
        if (sumB < sumA - 12) ++darker;
      } else if (r > radius + 2 && a != b) {
        ++changedOutside;
      }
    }
  EXPECT_GT(darker, inside / 20) << "edges darken the surface";
  EXPECT_LT(darker, inside / 2) << "the edges are faint lines, not a fill";
  EXPECT_EQ(changedOutside, 0) << "nothing is drawn beside the model";
}

TEST(RenderModel, RejectsSizesOutsideTheRange) {
  const GlmModel sphere = makeSphere(4, 8);
  for (int size : {0, kMinImageSize - 1, kMaxImageSize + 1}) {
    auto images = renderModelViews(sphere, optionsFor({View::kFront}, size));
    ASSERT_FALSE(images) << size;
    EXPECT_NE(images.error().message().find(std::to_string(size)), std::string::npos);
  }
}

// ---- PNG ----

struct Decoded {
  bool ok = false;
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;
};

Decoded decodePng(const std::vector<std::uint8_t>& bytes) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  Decoded d;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return d;
  image.format = PNG_FORMAT_RGB;
  d.rgb.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, d.rgb.data(), 0, nullptr)) return d;
  d.ok = true;
  d.width = static_cast<int>(image.width);
  d.height = static_cast<int>(image.height);
  return d;
}

TEST(RenderPng, PixelsComeBackInPlace) {
  Image im;
  im.width = 5;
  im.height = 3;
  for (int i = 0; i < 15; ++i)
    for (int c = 0; c < 3; ++c) im.rgb.push_back(static_cast<std::uint8_t>(i * 16 + c * 80));
  auto png = encodePng(im);
  ASSERT_TRUE(png) << png.error().message();
  const Decoded d = decodePng(png.value());
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.width, 5);
  EXPECT_EQ(d.height, 3);
  EXPECT_EQ(d.rgb, im.rgb);

  im.rgb.pop_back();
  EXPECT_FALSE(encodePng(im));
}

// ---- the command line ----

struct CliRun {
  int status;
  std::string out, err;
};

CliRun run(std::vector<std::string> args) {
  std::ostringstream out, err;
  const int status = runRender(args, out, err);
  return {status, out.str(), err.str()};
}

TEST(RenderCli, WritesOnePngPerViewAndListsGroupColours) {
  SKIP_WITHOUT_EGL();
  TempDir dir;
  const std::string model = dir.file("spheres.c3d");
  ModelLoader loader;
  ASSERT_TRUE(loader.glmWriteC3D(model, twoSpheres(), 0));
  const std::string prefix = dir.file("pictures/spheres");
  CliRun r = run({model, prefix, "--size", "48", "--views", "top,front", "--group-colours"});
  ASSERT_EQ(r.status, kOk) << r.err;
  for (const char* view : {"front", "top"}) {
    const std::string path = prefix + "-" + view + ".png";
    const std::string bytes = vestora::testing::readAll(path);
    const Decoded d = decodePng(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    EXPECT_TRUE(d.ok) << path;
    EXPECT_EQ(d.width, 48);
    EXPECT_EQ(d.height, 48);
    EXPECT_NE(r.out.find(path), std::string::npos) << r.out;
  }
  EXPECT_FALSE(std::filesystem::exists(prefix + "-side.png"));
  EXPECT_FALSE(std::filesystem::exists(prefix + "-back.png"));
  EXPECT_NE(r.out.find("\" Small\""), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\" Large\""), std::string::npos) << r.out;
}

TEST(RenderCli, UnreadableModelFailsWithOneLineNamingIt) {
  TempDir dir;
  const std::string truncated = dir.write("cut.c3d", std::string("\x01\x00\x00\x00\xff\xff", 6));
  const std::string text = dir.write("notes.txt", "hello");
  for (const std::string& path : {truncated, text, dir.file("missing.obj")}) {
    CliRun r = run({path, dir.file("out")});
    EXPECT_EQ(r.status, kFailed) << path;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find(path), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("out-front.png")));
  }
}

TEST(RenderCli, BadCommandLinesAreUsageErrors) {
  TempDir dir;
  const std::string model = dir.file("sphere.c3d");
  ModelLoader loader;
  ASSERT_TRUE(loader.glmWriteC3D(model, makeSphere(4, 8), 0));
  const std::string out = dir.file("pic");
  const std::vector<std::vector<std::string>> cases = {
      {model},
      {model, out, "extra"},
      {model, out, "--views", "front,left"},
      {model, out, "--views", ""},
      {model, out, "--size", "8"},
      {model, out, "--size", "100px"},
      {model, out, "--size"},
      {model, out, "--colour"},
  };
  for (const auto& args : cases) {
    CliRun r = run(args);
    EXPECT_EQ(r.status, kUsage) << args.back();
    EXPECT_NE(r.err.find("usage:"), std::string::npos);
  }
  EXPECT_FALSE(std::filesystem::exists(dir.file("pic-front.png")));
}

}  // namespace
}  // namespace vestora::render
