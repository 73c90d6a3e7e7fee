#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include "cli/cli.h"
#include "platform/data_path.h"
#include "test_support.h"
#include "view/fit_map_drawing.h"
#include "view/image_codecs.h"

// The OpenGL driver keeps thread-local data in dynamically loaded libraries,
// whose ranges the leak checker of the sanitizer build can misjudge and
// crash on at exit: it is told not to track them (read only by that build).
extern "C" const char* __asan_default_options() {
  return "intercept_tls_get_addr=0";
}

// The driver also keeps allocations of its own (picking's feedback state
// among them) until the process ends; the leak checker looks past those.
extern "C" const char* __lsan_default_options() {
  return "suppressions=" VESTORA_LSAN_SUPPRESSIONS;
}

namespace vestora::cli {
namespace {

using vestora::testing::TempDir;

struct CliRun {
  int status;
  std::string out, err;
};

CliRun run(std::vector<std::string> args) {
  std::ostringstream out, err;
  const int status = runCli(args, out, err);
  return {status, out.str(), err.str()};
}

const std::string kRoot = VESTORA_TEST_ROOT;

TEST(CliRender, WritesOneFrameAsPngOrJpeg) {
  TempDir dir;
  const std::string png = dir.file("view.png");
  CliRun r =
      run({"render", "--root", kRoot, "--out", png, "--width", "96", "--image-height", "64"});
  ASSERT_EQ(r.status, kOk) << r.err;
  EXPECT_NE(r.out.find("96 x 64"), std::string::npos) << r.out;
  auto image = readPng(png);
  ASSERT_TRUE(image) << image.error().message();
  EXPECT_EQ(image->width, 96);
  EXPECT_EQ(image->height, 64);
  // The body stands in the middle, in front of the lighter backdrop.
  const std::uint8_t* centre = image->pixel(48, 32);
  const std::uint8_t* corner = image->pixel(2, 2);
  EXPECT_NE(std::vector<int>(centre, centre + 3), std::vector<int>(corner, corner + 3));

  const std::string jpeg = dir.file("view.jpg");
  r = run({"render",
           "--root",
           kRoot,
           "--out",
           jpeg,
           "--width",
           "64",
           "--image-height",
           "64",
           "--azimuth",
           "90",
           "--elevation",
           "0",
           "--distance",
           "-40",
           "--height",
           "165",
           "--sheet",
           "--no-multisample",
           "--frames",
           "2"});
  ASSERT_EQ(r.status, kOk) << r.err;
  EXPECT_NE(r.out.find("1 more frames"), std::string::npos) << r.out;
  auto decoded = LoadJpeg(jpeg);
  ASSERT_TRUE(decoded) << decoded.error().message();
  EXPECT_EQ(decoded->width, 64);
}

TEST(CliRender, DressesTheBodyWithAGarment) {
  const std::string dress = dataPath(kRoot, "\\pattern\\Dress.pop");
  if (!std::filesystem::exists(dress)) GTEST_SKIP() << "no generated garments";
  TempDir dir;
  CliRun r = run({"render", "--root", kRoot, "--out", dir.file("bare.png"), "--width", "64",
                  "--image-height", "64"});
  ASSERT_EQ(r.status, kOk) << r.err;
  r = run({"render", "--root", kRoot, "--out", dir.file("dressed.png"), "--width", "64",
           "--image-height", "64", "--garment", "\\pattern\\Dress.pop"});
  ASSERT_EQ(r.status, kOk) << r.err;
  EXPECT_NE(testing::readAll(dir.file("bare.png")), testing::readAll(dir.file("dressed.png")));
}

TEST(CliRender, TheFitMapColoursTheGarmentAndShowsItsScale) {
  const std::string dress = dataPath(kRoot, "\\pattern\\Dress.pop");
  if (!std::filesystem::exists(dress)) GTEST_SKIP() << "no generated garments";
  TempDir dir;
  const int w = 320, h = 240;
  auto render = [&](const std::string& name, bool map) {
    std::vector<std::string> args{"render",
                                  "--root",
                                  kRoot,
                                  "--out",
                                  dir.file(name),
                                  "--width",
                                  std::to_string(w),
                                  "--image-height",
                                  std::to_string(h),
                                  "--garment",
                                  "\\pattern\\Dress.pop",
                                  "--no-multisample"};
    if (map) args.push_back("--fit-map");
    const CliRun r = run(args);
    EXPECT_EQ(r.status, kOk) << r.err;
    auto image = readPng(dir.file(name));
    EXPECT_TRUE(image);
    return image ? image.value() : Image{};
  };
  const Image fabric = render("fabric.png", false);
  const Image map = render("map.png", true);
  ASSERT_EQ(map.width, w);
  // The legend's bar: blue at its loose end, light in the middle, red at its
  // tight end (the picture's rows run from the top).
  const auto [bx, by, bw, bh] = fitMapLegendBar(w);
  auto at = [&](const Image& image, int x, int glY) {
    const std::uint8_t* p = image.pixel(x, h - 1 - glY);
    return std::array<int, 3>{p[0], p[1], p[2]};
  };
  const int midY = by + bh / 2;
  const auto loose = at(map, bx + 2, midY), middle = at(map, bx + bw / 2, midY),
             tight = at(map, bx + bw - 3, midY);
  EXPECT_GT(loose[2], loose[0] + 80) << "blue";
  EXPECT_GT(tight[0], tight[2] + 120) << "red";
  EXPECT_GT(std::min({middle[0], middle[1], middle[2]}), 200) << "light";
  EXPECT_NE(at(fabric, bx + 2, midY), loose) << "no legend without the map";
  // The dress is recoloured: most of its torso changes.
  int changed = 0, looked = 0;
  for (int y = h * 2 / 5; y < h * 3 / 5; ++y)
    for (int x = w / 2 - 10; x < w / 2 + 10; ++x, ++looked) {
      const std::uint8_t* p = fabric.pixel(x, y);
      const std::uint8_t* q = map.pixel(x, y);
      changed += std::abs(p[0] - q[0]) + std::abs(p[1] - q[1]) + std::abs(p[2] - q[2]) > 30;
    }
  EXPECT_GT(changed, looked / 2);
}

// Pixels whose colour differs by more than a little between two pictures of
// the same size, and the rows they lie in.
struct Difference {
  int pixels = 0;
  int firstRow = -1, lastRow = -1;
};

Difference differenceOf(const std::string& a, const std::string& b, int threshold = 8) {
  auto first = readPng(a);
  auto second = readPng(b);
  Difference d;
  if (!first || !second || first->width != second->width || first->height != second->height) {
    ADD_FAILURE() << "pictures " << a << " and " << b << " cannot be compared";
    return d;
  }
  for (int y = 0; y < first->height; ++y)
    for (int x = 0; x < first->width; ++x) {
      const std::uint8_t* p = first->pixel(x, y);
      const std::uint8_t* q = second->pixel(x, y);
      int most = 0;
      for (int c = 0; c < 3; ++c) most = std::max(most, std::abs(p[c] - q[c]));
      if (most <= threshold) continue;
      ++d.pixels;
      if (d.firstRow < 0) d.firstRow = y;
      d.lastRow = y;
    }
  return d;
}

// The four poses and two moments of the breath, drawn off screen: each pose
// moves arms or legs, the breath moves the trunk between the shoulders and
// the hips only.
TEST(CliRender, PosesAndBreathFramesDifferWhereTheyShould) {
  TempDir dir;
  auto render = [&](const std::string& name, std::vector<std::string> more) {
    std::vector<std::string> args = {
        "render", "--root",         kRoot, "--out",           dir.file(name + ".png"), "--width",
        "160",    "--image-height", "200", "--no-multisample"};
    args.insert(args.end(), more.begin(), more.end());
    const CliRun r = run(args);
    EXPECT_EQ(r.status, kOk) << name << ": " << r.err;
    return dir.file(name + ".png");
  };
  const std::string standard = render("standard", {"--pose", "standard"});
  for (const char* pose : {"bag", "walk", "stand"}) {
    const Difference d = differenceOf(standard, render(pose, {"--pose", pose}));
    EXPECT_GT(d.pixels, 150) << pose;
  }
  EXPECT_GT(differenceOf(dir.file("walk.png"), dir.file("stand.png")).pixels, 150);

  const std::string rest = render("breath0", {"--breath-frame", "0"});
  EXPECT_EQ(differenceOf(rest, render("plain", {})).pixels, 0);
  // A breath is a gentle motion: a few levels of grey.
  const Difference breath = differenceOf(rest, render("breath50", {"--breath-frame", "50"}), 2);
  EXPECT_GT(breath.pixels, 100);
  // The body stands from about row 5 to row 190: the breath stays between
  // her shoulders and her hips.
  EXPECT_GE(breath.firstRow, 28);
  EXPECT_LE(breath.lastRow, 100);

  // Mistakes: a pose she does not have, a frame she does not have, a pose
  // for another body.
  CliRun r = run({"render", "--root", kRoot, "--out", dir.file("x.png"), "--pose", "sit"});
  EXPECT_EQ(r.status, kUsage);
  EXPECT_NE(r.err.find("standard, bag, walk or stand"), std::string::npos) << r.err;
  r = run({"render", "--root", kRoot, "--out", dir.file("x.png"), "--breath-frame", "100"});
  EXPECT_EQ(r.status, kUsage);
  r = run(
      {"render", "--root", kRoot, "--out", dir.file("x.png"), "--pose", "walk", "--body", "man"});
  EXPECT_EQ(r.status, kUsage);
}

// The freehand tools as a user of the window would use them: the marks
// are drawn and the value printed; clicks beside the body measure nothing.
TEST(CliRender, FreehandToolsMeasureWhereTheClicksMeetTheBody) {
  TempDir dir;
  auto value = [](const std::string& out) {
    const auto colon = out.find("freehand ");
    if (colon == std::string::npos) return -1.0;
    const auto number = out.find(": ", colon);
    return std::atof(out.c_str() + number + 2);
  };
  // The body stands in the middle of a 200 x 300 frame: its chest and thigh.
  CliRun r = run({"render", "--root", kRoot, "--out", dir.file("linear.png"), "--width", "200",
                  "--image-height", "300", "--no-multisample", "--tool", "linear", "--points",
                  "100,110,104,190"});
  ASSERT_EQ(r.status, kOk) << r.err;
  EXPECT_GT(value(r.out), 5) << r.out;
  EXPECT_NE(r.out.find(" cm"), std::string::npos) << r.out;
  r = run({"render", "--root", kRoot, "--out", dir.file("girth.png"), "--width", "200",
           "--image-height", "300", "--no-multisample", "--tool", "girth", "--points", "92,190",
           "--unit", "inch"});
  ASSERT_EQ(r.status, kOk) << r.err;
  EXPECT_GT(value(r.out), 5) << r.out;
  EXPECT_NE(r.out.find(" inch"), std::string::npos) << r.out;
  r = run({"render", "--root", kRoot, "--out", dir.file("curve.png"), "--width", "200",
           "--image-height", "300", "--no-multisample", "--tool", "curve", "--points",
           "90,140,112,140"});
  ASSERT_EQ(r.status, kOk) << r.err;
  EXPECT_GT(value(r.out), 3) << r.out;
  EXPECT_NE(testing::readAll(dir.file("linear.png")), testing::readAll(dir.file("curve.png")));
  r = run({"render", "--root", kRoot, "--out", dir.file("beside.png"), "--width", "200",
           "--image-height", "300", "--no-multisample", "--tool", "height", "--points",
           "5,5,10,290"});
  ASSERT_EQ(r.status, kOk) << r.err;
  EXPECT_NE(r.out.find("no value"), std::string::npos) << r.out;

  const std::string out = dir.file("x.png");
  EXPECT_EQ(
      run({"render", "--root", kRoot, "--out", out, "--tool", "ruler", "--points", "1,2"}).status,
      kUsage);
  EXPECT_EQ(run({"render", "--root", kRoot, "--out", out, "--tool", "linear"}).status, kUsage);
  EXPECT_EQ(run({"render", "--root", kRoot, "--out", out, "--tool", "linear", "--points", "1,2,3"})
                .status,
            kUsage);
  EXPECT_EQ(
      run({"render", "--root", kRoot, "--out", out, "--tool", "curve", "--points", "1,2"}).status,
      kUsage);
  EXPECT_EQ(run({"render", "--root", kRoot, "--out", out, "--points", "1,2"}).status, kUsage);
  EXPECT_EQ(run({"render", "--root", kRoot, "--out", out, "--unit", "mm"}).status, kUsage);
}

TEST(CliRender, BadCommandLinesAndBadFiles) {
  TempDir dir;
  const std::string out = dir.file("x.png");
  EXPECT_EQ(run({"render", "--root", kRoot}).status, kUsage);
  EXPECT_EQ(run({"render", "--root", kRoot, "--out", dir.file("x.bmp")}).status, kUsage);
  EXPECT_EQ(run({"render", "--root", kRoot, "--out", out, "--width", "8"}).status, kUsage);
  EXPECT_EQ(run({"render", "--root", kRoot, "--out", out, "--image-height", "12.5"}).status,
            kUsage);
  EXPECT_EQ(run({"render", "--root", kRoot, "--out", out, "--azimuth", "left"}).status, kUsage);
  EXPECT_EQ(run({"render", "--root", kRoot, "--out", out, "--frames", "0"}).status, kUsage);
  EXPECT_EQ(run({"render", "--root", kRoot, "--out", out, "--body", "Nobody.bmp"}).status, kUsage);
  EXPECT_EQ(run({"render", "--root", kRoot, "--out", out, "--garment", "coat.txt"}).status, kUsage);
  EXPECT_FALSE(std::filesystem::exists(out));

  EXPECT_EQ(run({"render", "--root", dir.path().string(), "--out", out}).status, kBadInput);
  EXPECT_EQ(
      run({"render", "--root", kRoot, "--out", out, "--garment", dir.file("none.pop")}).status,
      kBadInput);
  EXPECT_EQ(run({"render", "--root", kRoot, "--out", dir.file("no-folder/x.png")}).status,
            kBadInput);

  // The accessories' options.
  EXPECT_EQ(run({"render", "--root", kRoot, "--out", out, "--lens-colour", "red"}).status, kUsage);
  EXPECT_EQ(run({"render", "--root", kRoot, "--out", out, "--frame-colour", "12345G"}).status,
            kUsage);
  EXPECT_EQ(run({"render", "--root", kRoot, "--out", out, "--transparency", "1.5"}).status, kUsage);
  CliRun r = run({"render", "--root", kRoot, "--out", out, "--hair", "NoSuchHair"});
  EXPECT_EQ(r.status, kBadInput);
  EXPECT_NE(r.err.find("NoSuchHair.c3d"), std::string::npos) << r.err;
  r = run({"render", "--root", kRoot, "--out", out, "--wear", "readme.txt"});
  EXPECT_EQ(r.status, kBadInput);
  r = run({"render", "--root", kRoot, "--out", out, "--shoe", "Manshoe.jpg"});
  EXPECT_EQ(r.status, kBadInput);
  EXPECT_NE(r.err.find("男性用品！"), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
}  // namespace vestora::cli
