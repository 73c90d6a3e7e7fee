// The eyelash strip texture and the TGA and BMP files pictures are stored in.
#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>
#include <string>

#include "generate/assets/assets.h"
#include "generate/assets/splitmix.h"

namespace vestora::generate {

std::vector<std::uint8_t> encodeTga(int width, int height, const std::vector<std::uint8_t>& rgba) {
  if (width < 1 || width > 65535 || height < 1 || height > 65535)
    throw std::invalid_argument("encodeTga: size " + std::to_string(width) + "x" +
                                std::to_string(height) + " is outside 1 to 65535");
  const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  if (rgba.size() != 4 * pixels)
    throw std::invalid_argument("encodeTga: " + std::to_string(rgba.size()) +
                                " bytes of pixels for " + std::to_string(pixels) + " pixels");
  std::vector<std::uint8_t> out;
  out.reserve(18 + 4 * pixels);
  // No image id, no colour map, type 2 (uncompressed true colour), origin 0, 0.
  const std::uint8_t start[12] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  out.insert(out.end(), start, start + 12);
  out.push_back(static_cast<std::uint8_t>(width & 0xff));
  out.push_back(static_cast<std::uint8_t>(width >> 8));
  out.push_back(static_cast<std::uint8_t>(height & 0xff));
  out.push_back(static_cast<std::uint8_t>(height >> 8));
  out.push_back(32);
  out.push_back(0x08);  // 8 alpha bits; bit 5 clear: the bottom row comes first
  for (int row = height - 1; row >= 0; --row) {
    const std::uint8_t* p = &rgba[4 * static_cast<std::size_t>(row) * width];
    for (int x = 0; x < width; ++x, p += 4) {
      out.push_back(p[2]);
      out.push_back(p[1]);
      out.push_back(p[0]);
      out.push_back(p[3]);
    }
  }
  return out;
}

std::vector<std::uint8_t> encodeBmp(int width, int height, const std::vector<std::uint8_t>& rgb) {
  if (width < 1 || width > 32767 || height < 1 || height > 32767)
    throw std::invalid_argument("encodeBmp: size " + std::to_string(width) + "x" +
                                std::to_string(height) + " is outside 1 to 32767");
  const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  if (rgb.size() != 3 * pixels)
    throw std::invalid_argument("encodeBmp: " + std::to_string(rgb.size()) +
                                " bytes of pixels for " + std::to_string(pixels) + " pixels");
  const std::size_t stride = (3 * static_cast<std::size_t>(width) + 3) / 4 * 4;
  const std::size_t imageBytes = stride * static_cast<std::size_t>(height);
  std::vector<std::uint8_t> out;
  out.reserve(54 + imageBytes);
  auto u16 = [&](std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
  };
  auto u32 = [&](std::uint32_t v) {
    u16(v & 0xffff);
    u16(v >> 16);
  };
  // File header: "BM", file size, two reserved words, offset of the pixels.
  out.push_back('B');
  out.push_back('M');
  u32(static_cast<std::uint32_t>(54 + imageBytes));
  u32(0);
  u32(54);
  // Info header: its size, width, height (positive: bottom-up), one plane,
  // 24 bits, no compression, image size, 2835 pixels a metre (72 dpi) both
  // ways, no palette.
  u32(40);
  u32(static_cast<std::uint32_t>(width));
  u32(static_cast<std::uint32_t>(height));
  u16(1);
  u16(24);
  u32(0);
  u32(static_cast<std::uint32_t>(imageBytes));
  u32(2835);
  u32(2835);
  u32(0);
  u32(0);
  for (int row = height - 1; row >= 0; --row) {
    const std::uint8_t* p = &rgb[3 * static_cast<std::size_t>(row) * width];
    for (int x = 0; x < width; ++x, p += 3) {
      out.push_back(p[2]);
      out.push_back(p[1]);
      out.push_back(p[0]);
    }
    for (std::size_t pad = 3 * static_cast<std::size_t>(width); pad < stride; ++pad)
      out.push_back(0);
  }
  return out;
}

namespace {

struct Point {
  double x, y;
};

// Distance from p to the segment a-b, and where along it (0 to 1) the nearest point lies.
double segmentDistance(Point p, Point a, Point b, double& along) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double lengthSquared = dx * dx + dy * dy;
  along = lengthSquared > 0
              ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / lengthSquared, 0.0, 1.0)
              : 0.0;
  const double ex = a.x + along * dx - p.x, ey = a.y + along * dy - p.y;
  return std::sqrt(ex * ex + ey * ey);
}

constexpr std::array<double, 3> kLashRoot{26, 18, 13};  // brown-black, 0 to 255
constexpr std::array<double, 3> kLashTip{50, 35, 25};   // the thin ends look browner

}  // namespace

// Only +, -, *, / and sqrt are used, so the pixels come out the same everywhere.
std::vector<std::uint8_t> eyelashTexture(int width, int height, std::uint32_t seed) {
  if (width < 1 || width > 4096 || height < 1 || height > 4096)
    throw std::invalid_argument("eyelashTexture: size " + std::to_string(width) + "x" +
                                std::to_string(height) + " is outside 1 to 4096");
  const std::size_t pixels = static_cast<std::size_t>(width) * height;
  // Premultiplied colour and coverage, row 0 at the lash line (the bottom).
  std::vector<std::array<double, 3>> colour(pixels, {0, 0, 0});
  std::vector<double> alpha(pixels, 0.0);

  SplitMix64 random(0x5EED1A5Cull ^ (std::uint64_t(seed) << 17) ^ seed);
  const double w = width, h = height;
  const int strands = std::max(6, static_cast<int>(w * 0.36));
  constexpr int kSegments = 20;

  // Roots along the lid (0 to 1), denser towards the middle: evenly spaced
  // quantiles, slightly jittered, of a density that peaks in the middle.
  constexpr int kSteps = 1024;
  std::vector<double> cumulative(kSteps + 1, 0.0);
  for (int i = 0; i < kSteps; ++i) {
    const double u = 0.02 + 0.96 * (i + 0.5) / kSteps, middle = 4 * u * (1 - u);
    cumulative[i + 1] = cumulative[i] + 0.3 + 0.7 * middle * middle;
  }
  auto rootAt = [&](double quantile) {
    const double target = std::clamp(quantile, 0.0, 1.0) * cumulative[kSteps];
    const auto above = std::upper_bound(cumulative.begin(), cumulative.end(), target);
    const int i = std::clamp(static_cast<int>(above - cumulative.begin()) - 1, 0, kSteps - 1);
    const double within = (target - cumulative[i]) / (cumulative[i + 1] - cumulative[i]);
    return 0.02 + 0.96 * (i + std::clamp(within, 0.0, 1.0)) / kSteps;
  };

  for (int s = 0; s < strands; ++s) {
    const double u = rootAt((s + 0.5 + 0.8 * (random.unit() - 0.5)) / strands);
    const double middle = 4 * u * (1 - u);  // 1 in the middle, 0 at the ends
    const double side = 2 * u - 1;          // -1 left end, +1 right end
    const double length =
        std::min(0.97 * h, h * (0.45 + 0.45 * middle) * (0.85 + 0.3 * random.unit()));
    // Lashes leave the lid leaning outwards, more so towards its ends, and
    // curl upwards towards their tips.
    const double dx = length * (0.75 * side + 0.25 * (random.unit() - 0.5));
    const double rise = std::sqrt(std::max(length * length - dx * dx, 0.16 * length * length));
    const Point root{u * w, -0.5};
    const Point bend{root.x + 0.65 * dx, root.y + 0.3 * rise};
    const Point tip{root.x + dx, root.y + rise};
    const double rootRadius = std::max(0.6, 0.018 * h) * (0.8 + 0.4 * random.unit());
    const double tipRadius = 0.3;
    const double shade = 0.85 + 0.3 * random.unit();

    std::array<Point, kSegments + 1> curve;  // quadratic Bezier root-bend-tip
    for (int i = 0; i <= kSegments; ++i) {
      const double t = double(i) / kSegments, a = (1 - t) * (1 - t), b = 2 * t * (1 - t), c = t * t;
      curve[i] = {a * root.x + b * bend.x + c * tip.x, a * root.y + b * bend.y + c * tip.y};
    }
    double minX = curve[0].x, maxX = minX, maxY = curve[0].y;
    for (const Point& p : curve) {
      minX = std::min(minX, p.x);
      maxX = std::max(maxX, p.x);
      maxY = std::max(maxY, p.y);
    }
    const int x0 = std::max(0, static_cast<int>(minX - rootRadius - 2));
    const int x1 = std::min(width - 1, static_cast<int>(maxX + rootRadius + 2));
    const int y1 = std::min(height - 1, static_cast<int>(maxY + rootRadius + 2));

    for (int y = 0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) {
        const Point p{x + 0.5, y + 0.5};
        double best = 1e30, bestT = 0;
        for (int i = 0; i < kSegments; ++i) {
          double along = 0;
          const double d = segmentDistance(p, curve[i], curve[i + 1], along);
          if (d < best) {
            best = d;
            bestT = (i + along) / kSegments;
          }
        }
        const double radius = rootRadius + (tipRadius - rootRadius) * bestT;
        const double cover = std::clamp(radius + 0.5 - best, 0.0, 1.0);
        if (cover <= 0) continue;
        const std::size_t k = static_cast<std::size_t>(y) * width + x;
        const double fade = bestT * bestT;
        for (int c = 0; c < 3; ++c) {
          const double strandColour = (kLashRoot[c] + (kLashTip[c] - kLashRoot[c]) * fade) * shade;
          colour[k][c] = strandColour * cover + colour[k][c] * (1 - cover);
        }
        alpha[k] = cover + alpha[k] * (1 - cover);
      }
  }

  std::vector<std::uint8_t> rgba(4 * pixels);
  for (int row = 0; row < height; ++row)
    for (int x = 0; x < width; ++x) {
      const std::size_t k = static_cast<std::size_t>(height - 1 - row) * width + x;
      std::uint8_t* out = &rgba[4 * (static_cast<std::size_t>(row) * width + x)];
      for (int c = 0; c < 3; ++c) {
        const double value = alpha[k] > 0 ? colour[k][c] / alpha[k] : kLashRoot[c];
        out[c] = static_cast<std::uint8_t>(std::clamp(value + 0.5, 0.0, 255.0));
      }
      out[3] = static_cast<std::uint8_t>(std::clamp(alpha[k] * 255 + 0.5, 0.0, 255.0));
    }
  return rgba;
}

}  // namespace vestora::generate
