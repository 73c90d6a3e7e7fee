#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "generate/assets/assets.h"

namespace vestora::generate {
namespace {

struct Picture {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;

  const std::uint8_t* at(int x, int y) const {
    return &rgb[3 * (std::size_t(y) * width + std::size_t(x))];
  }
  double luminance(int x, int y) const {
    const std::uint8_t* p = at(x, y);
    return 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2];
  }
};

Picture fabric(FabricKind kind, int width, int height, std::uint32_t seed) {
  return {width, height, fabricTexture(kind, width, height, seed)};
}

Picture transposed(const Picture& p) {
  Picture t{p.height, p.width, std::vector<std::uint8_t>(p.rgb.size())};
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x)
      std::copy_n(p.at(x, y), 3, &t.rgb[3 * (std::size_t(x) * t.width + y)]);
  return t;
}

// The top left width × height pixels: a picture that no longer tiles.
Picture cropped(const Picture& p, int width, int height) {
  Picture c{width, height, {}};
  for (int y = 0; y < height; ++y) c.rgb.insert(c.rgb.end(), p.at(0, y), p.at(0, y) + 3 * width);
  return c;
}

// Mean absolute difference, per channel, between columns a and b.
double columnDifference(const Picture& p, int a, int b) {
  double sum = 0;
  for (int y = 0; y < p.height; ++y)
    for (int c = 0; c < 3; ++c) sum += std::abs(p.at(a, y)[c] - p.at(b, y)[c]);
  return sum / (3.0 * p.height);
}

// The step from the last column to the first (where the picture meets its
// next copy) over the mean step between neighbouring columns inside it.
double wrapStepRatio(const Picture& p) {
  double inside = 0;
  for (int x = 0; x + 1 < p.width; ++x) inside += columnDifference(p, x, x + 1);
  inside /= p.width - 1;
  return columnDifference(p, p.width - 1, 0) / inside;
}

// Woven and knitted cloth repeats its threads, so every few columns of it
// have a close match elsewhere in the picture, at the same phase of the
// weave. This takes the window of 6 columns that straddles the wrap and
// finds its closest match among the windows that do not overlap it, and
// divides that distance by the median of the same for every window
// position: about 1 when the threads run on across the wrap, more when
// they break off there.
double wrapContinuationRatio(const Picture& p) {
  constexpr int kHalf = 3;
  const int w = p.width;
  std::vector<double> difference(std::size_t(w) * w);
  for (int a = 0; a < w; ++a)
    for (int b = a; b < w; ++b)
      difference[std::size_t(a) * w + b] = difference[std::size_t(b) * w + a] =
          columnDifference(p, a, b);
  auto column = [&](int i) { return ((i % w) + w) % w; };
  std::vector<double> closest(w, 1e30);
  for (int s = 0; s < w; ++s)
    for (int t = 0; t < w; ++t) {
      const int apart = std::min(std::abs(s - t), w - std::abs(s - t));
      if (apart < 2 * kHalf) continue;
      double sum = 0;
      for (int i = -kHalf; i < kHalf; ++i)
        sum += difference[std::size_t(column(s + i)) * w + column(t + i)];
      closest[s] = std::min(closest[s], sum / (2 * kHalf));
    }
  std::vector<double> sorted = closest;
  std::nth_element(sorted.begin(), sorted.begin() + w / 2, sorted.end());
  return closest[0] / sorted[w / 2];
}

// The worse of the two wraps, left-right and top-bottom, each averaged over
// a few seeds.
struct WrapMeasures {
  double step = 0, runOn = 0;
};

// `cut` pixels off the right and the bottom first, to make a seam.
WrapMeasures measureWraps(FabricKind kind, int size, int cut) {
  constexpr std::uint32_t kSeeds = 4;
  double step[2] = {0, 0}, runOn[2] = {0, 0};
  for (std::uint32_t seed = 0; seed < kSeeds; ++seed) {
    const Picture p = cropped(fabric(kind, size, size, seed), size - cut, size - cut);
    const Picture t = transposed(p);
    step[0] += wrapStepRatio(p) / kSeeds;
    step[1] += wrapStepRatio(t) / kSeeds;
    runOn[0] += wrapContinuationRatio(p) / kSeeds;
    runOn[1] += wrapContinuationRatio(t) / kSeeds;
  }
  return {std::max(step[0], step[1]), std::max(runOn[0], runOn[1])};
}

bool isWovenOrKnitted(FabricKind kind) {
  return kind != FabricKind::Silk && kind != FabricKind::Floral;
}

TEST(FabricTexture, SeamlessAcrossBothWraps) {
  // Woven and knitted cloth has a thread's or a stitch's edge exactly at the
  // picture's edges, so there the step between columns is larger than a
  // typical one, seam or not: for those only the run-on measure tells.
  constexpr int kSize = 96;
  constexpr double kLimit = 1.5;
  for (const FabricName& f : kFabricNames) {
    SCOPED_TRACE(f.name);
    const WrapMeasures whole = measureWraps(f.kind, kSize, 0);
    const WrapMeasures cut = measureWraps(f.kind, kSize, 3);
    EXPECT_LT(whole.runOn, kLimit) << "the cloth runs on across the wrap";
    if (isWovenOrKnitted(f.kind)) {
      EXPECT_GT(cut.runOn, kLimit) << "the measure sees the seam of a cut picture";
    } else {
      EXPECT_LT(whole.step, kLimit) << "no edge where the picture meets its next copy";
      EXPECT_GT(cut.step, kLimit) << "the measure sees the seam of a cut picture";
    }
  }
}

TEST(FabricTexture, SameSeedSamePixelsOtherSeedAnotherPiece) {
  for (const FabricName& f : kFabricNames) {
    SCOPED_TRACE(f.name);
    const auto pixels = fabricTexture(f.kind, 40, 24, 7);
    EXPECT_EQ(pixels.size(), 40u * 24u * 3u);
    EXPECT_EQ(pixels, fabricTexture(f.kind, 40, 24, 7));
    EXPECT_NE(pixels, fabricTexture(f.kind, 40, 24, 8));
  }
}

TEST(FabricTexture, RejectsSizesOutside8To4096) {
  for (const FabricName& f : kFabricNames) {
    SCOPED_TRACE(f.name);
    EXPECT_THROW(fabricTexture(f.kind, 7, 64, 0), std::invalid_argument);
    EXPECT_THROW(fabricTexture(f.kind, 64, 4097, 0), std::invalid_argument);
    EXPECT_THROW(fabricTexture(f.kind, 64, 0, 0), std::invalid_argument);
    EXPECT_EQ(fabricTexture(f.kind, 8, 8, 0).size(), 8u * 8u * 3u);
  }
}

using Mean = std::array<double, 3>;

Mean meanColour(const Picture& p) {
  Mean sum{0, 0, 0};
  for (std::size_t i = 0; i < p.rgb.size(); ++i) sum[i % 3] += p.rgb[i];
  for (double& v : sum) v /= double(p.rgb.size() / 3);
  return sum;
}

double distance(const Mean& a, const Mean& b) {
  return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                   (a[2] - b[2]) * (a[2] - b[2]));
}

TEST(FabricTexture, FabricsAreToldApartByColour) {
  std::vector<Mean> means;
  for (const FabricName& f : kFabricNames) means.push_back(meanColour(fabric(f.kind, 64, 64, 0)));
  for (std::size_t a = 0; a < means.size(); ++a)
    for (std::size_t b = a + 1; b < means.size(); ++b)
      EXPECT_GT(distance(means[a], means[b]), 25.0)
          << kFabricNames[a].name << " and " << kFabricNames[b].name;
}

// Shading is grey: a plain fabric's mean colour keeps the proportions of its
// yarn's colour, whatever that is.
TEST(FabricTexture, PlainFabricsTakeTheirColour) {
  for (Rgb colour : {Rgb{200, 60, 60}, Rgb{60, 90, 200}, Rgb{120, 170, 90}}) {
    const Mean wanted{double(colour.r), double(colour.g), double(colour.b)};
    const double wantedSum = wanted[0] + wanted[1] + wanted[2];
    const std::pair<const char*, Picture> plain[] = {
        {"silk", {64, 64, silkTexture(64, 64, 0, colour)}},
        {"knit", {64, 64, knitTexture(64, 64, 0, colour)}},
        {"linen", {64, 64, linenTexture(64, 64, 0, colour)}}};
    for (const auto& [name, picture] : plain) {
      SCOPED_TRACE(name);
      const Mean mean = meanColour(picture);
      const double sum = mean[0] + mean[1] + mean[2];
      for (int c = 0; c < 3; ++c) EXPECT_NEAR(mean[c] / sum, wanted[c] / wantedSum, 0.04) << c;
    }
  }
}

// Mean absolute luminance difference between each pixel and the one
// (dx, dy) away, across the wraps.
double shiftDifference(const Picture& p, int dx, int dy) {
  double sum = 0;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x)
      sum += std::abs(p.luminance(x, y) -
                      p.luminance((x + dx) % p.width, (y + dy + p.height) % p.height));
  return sum / (double(p.width) * p.height);
}

TEST(Denim, TwillRisesToTheRightAndWashingFadesIt) {
  const Picture denim{96, 96, denimTexture(96, 96, 0)};
  // Along the twill the floats line up again a thread or two on; across it
  // they never do.
  double along = 1e30, across = 1e30;
  for (int step = 2; step <= 4; ++step) {
    along = std::min(along, shiftDifference(denim, step, -step));
    across = std::min(across, shiftDifference(denim, step, step));
  }
  EXPECT_LT(along, 0.7 * across);

  const Mean raw = meanColour({64, 64, denimTexture(64, 64, 0, 0.0)});
  const Mean washed = meanColour({64, 64, denimTexture(64, 64, 0, 1.0)});
  for (const Mean& m : {raw, washed}) EXPECT_GT(m[2], m[0] + 30) << "indigo blue";
  EXPECT_GT(washed[0] + washed[1] + washed[2], raw[0] + raw[1] + raw[2] + 90);
}

TEST(Gingham, FullMixedAndGroundSquares) {
  const Rgb check{30, 60, 170}, ground{250, 250, 250};
  const Picture gingham{112, 112, ginghamTexture(112, 112, 0, check, ground)};
  // Find the bands: columns (rows) of check-coloured warp (weft) are darker
  // on average; a little smoothing hides the gaps between threads.
  auto bands = [&](bool columns) {
    std::vector<double> profile(columns ? gingham.width : gingham.height, 0.0);
    for (int y = 0; y < gingham.height; ++y)
      for (int x = 0; x < gingham.width; ++x) profile[columns ? x : y] += gingham.luminance(x, y);
    const int n = static_cast<int>(profile.size());
    std::vector<double> smooth(n, 0.0);
    for (int i = 0; i < n; ++i)
      for (int k = -2; k <= 2; ++k) smooth[i] += profile[(i + k + n) % n];
    const auto [low, high] = std::minmax_element(smooth.begin(), smooth.end());
    // 1: check band, 0: ground band, -1: near a band's edge.
    std::vector<int> band(n);
    for (int i = 0; i < n; ++i) {
      const double t = (smooth[i] - *low) / (*high - *low);
      band[i] = t < 0.3 ? 1 : t > 0.7 ? 0 : -1;
    }
    return band;
  };
  const std::vector<int> columns = bands(true), rows = bands(false);
  // Mean luminance of the squares with 2, 1 and 0 check-coloured thread sets.
  double sum[3] = {0, 0, 0};
  int count[3] = {0, 0, 0};
  for (int y = 0; y < gingham.height; ++y)
    for (int x = 0; x < gingham.width; ++x) {
      if (columns[x] < 0 || rows[y] < 0) continue;
      const int checks = columns[x] + rows[y];
      sum[checks] += gingham.luminance(x, y);
      ++count[checks];
    }
  for (int k = 0; k < 3; ++k) ASSERT_GT(count[k], 200) << k << " check thread sets";
  const double groundSquare = sum[0] / count[0], mixed = sum[1] / count[1],
               full = sum[2] / count[2];
  EXPECT_GT(groundSquare, mixed + 40);
  EXPECT_GT(mixed, full + 30);
  EXPECT_NEAR(mixed, (groundSquare + full) / 2, 0.15 * (groundSquare - full)) << "half and half";
}

TEST(FloralPrint, SmallFlowersScatteredOnTheGround) {
  const FloralColours colours{
      {240, 236, 220}, {220, 40, 60}, {150, 60, 200}, {250, 200, 0}, {40, 140, 40}};
  const Picture print{128, 128, floralPrintTexture(128, 128, 0, colours)};
  auto share = [&](Rgb c, double within) {
    int n = 0;
    for (int y = 0; y < print.height; ++y)
      for (int x = 0; x < print.width; ++x) {
        const std::uint8_t* p = print.at(x, y);
        n += distance({double(p[0]), double(p[1]), double(p[2])},
                      {double(c.r), double(c.g), double(c.b)}) < within;
      }
    return double(n) / (print.width * print.height);
  };
  EXPECT_GT(share(colours.ground, 30), 0.6) << "mostly ground";
  EXPECT_GT(share(colours.petals, 50), 0.02);
  EXPECT_GT(share(colours.otherPetals, 50), 0.02);
  EXPECT_GT(share(colours.centres, 50), 0.002);
  EXPECT_GT(share(colours.leaves, 50), 0.005);
}

TEST(Silk, SmoothWithBroadBandsOfSheen) {
  const Picture silk{128, 128, silkTexture(128, 128, 0, {40, 80, 160})};
  double step = 0;
  for (int y = 0; y < silk.height; ++y)
    for (int x = 0; x + 1 < silk.width; ++x)
      step += std::abs(silk.luminance(x + 1, y) - silk.luminance(x, y));
  step /= silk.height * (silk.width - 1.0);
  // Means of 16 × 16 blocks: the sheen.
  double darkest = 1e30, brightest = 0;
  for (int by = 0; by < silk.height; by += 16)
    for (int bx = 0; bx < silk.width; bx += 16) {
      double sum = 0;
      for (int y = by; y < by + 16; ++y)
        for (int x = bx; x < bx + 16; ++x) sum += silk.luminance(x, y);
      darkest = std::min(darkest, sum / 256);
      brightest = std::max(brightest, sum / 256);
    }
  EXPECT_LT(step, 2.0) << "smooth";
  EXPECT_GT(brightest - darkest, 25.0) << "sheen";
}

}  // namespace
}  // namespace vestora::generate
