#include "accessories/hair_picture.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace vestora::generate::hair {
namespace {

constexpr int kSamples = 3;    // per pixel, each way
constexpr double kTurn = -32;  // degrees about the vertical: the face turns to the picture's left
constexpr double kTailTurn = -58;  // for hair tied at the back
constexpr double kTilt = 9;        // degrees: seen a little from above
constexpr double kMargin = 0.06;   // of the frame's larger side
constexpr double kBodyGrey = 232;

struct Texel {
  double r, g, b, a;
};

// Bilinear sample of a picture, repeating across, clamped down.
Texel sample(const HairPicture& p, double u, double v) {
  const double x = (u - std::floor(u)) * p.width - 0.5;
  const double y = std::clamp(v, 0.0, 1.0) * p.height - 0.5;
  const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
  const double fx = x - x0, fy = y - y0;
  Texel out{0, 0, 0, 0};
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 2; ++i) {
      const int xi = ((x0 + i) % p.width + p.width) % p.width;
      const int yj = std::clamp(y0 + j, 0, p.height - 1);
      const double w = (i ? fx : 1 - fx) * (j ? fy : 1 - fy);
      const std::size_t k = std::size_t(yj) * p.width + xi;
      out.r += w * p.rgb[3 * k];
      out.g += w * p.rgb[3 * k + 1];
      out.b += w * p.rgb[3 * k + 2];
      out.a += w * p.alpha[k] / 255.0;
    }
  return out;
}

struct Corner {
  Vec3 p;  // view space: x right, y up, z towards the viewer
  Vec3 n;
  double u = 0, v = 0;
};

class Canvas {
 public:
  Canvas(int w, int h)
      : w_(w), h_(h), depth_(std::size_t(w) * h, -1e30), rgb_(std::size_t(w) * h * 3, 255.0) {}

  // `shade(w0, w1, w2)` gives the colour, or false to leave the sample.
  template <class Shade>
  void draw(const std::array<Corner, 3>& c, Shade&& shade) {
    const Vec3 &a = c[0].p, &b = c[1].p, &d = c[2].p;
    const double area = (b.x - a.x) * (d.y - a.y) - (b.y - a.y) * (d.x - a.x);
    if (std::abs(area) < 1e-12) return;
    const int x0 = std::max(0, int(std::floor(std::min({a.x, b.x, d.x}))));
    const int x1 = std::min(w_ - 1, int(std::ceil(std::max({a.x, b.x, d.x}))));
    const int y0 = std::max(0, int(std::floor(std::min({a.y, b.y, d.y}))));
    const int y1 = std::min(h_ - 1, int(std::ceil(std::max({a.y, b.y, d.y}))));
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) {
        const double px = x + 0.5, py = y + 0.5;
        const double w0 = ((b.x - px) * (d.y - py) - (b.y - py) * (d.x - px)) / area;
        const double w1 = ((d.x - px) * (a.y - py) - (d.y - py) * (a.x - px)) / area;
        const double w2 = 1 - w0 - w1;
        if (w0 < 0 || w1 < 0 || w2 < 0) continue;
        const double z = w0 * a.z + w1 * b.z + w2 * d.z;
        const std::size_t i = std::size_t(y) * w_ + x;
        if (z <= depth_[i]) continue;
        std::array<double, 3> colour;
        if (!shade(w0, w1, w2, colour)) continue;
        depth_[i] = z;
        for (int k = 0; k < 3; ++k) rgb_[3 * i + std::size_t(k)] = colour[std::size_t(k)];
      }
  }

  std::vector<std::uint8_t> downsample(int s) const {
    const int w = w_ / s, h = h_ / s;
    std::vector<std::uint8_t> out(std::size_t(w) * h * 3);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        for (int k = 0; k < 3; ++k) {
          double sum = 0;
          for (int dy = 0; dy < s; ++dy)
            for (int dx = 0; dx < s; ++dx)
              sum += rgb_[3 * (std::size_t(y * s + dy) * w_ + std::size_t(x * s + dx)) +
                          std::size_t(k)];
          out[3 * (std::size_t(y) * w + x) + std::size_t(k)] =
              std::uint8_t(std::clamp(std::lround(sum / (s * s)), 0L, 255L));
        }
    return out;
  }

 private:
  int w_, h_;
  std::vector<double> depth_;
  std::vector<double> rgb_;
};

}  // namespace

std::vector<std::uint8_t> hairThumbnail(const Head& head, const HairStyle& style,
                                        const std::vector<StylePicture>& pictures, int width,
                                        int height) {
  if (width < 16 || height < 16 || width > 2048 || height > 2048)
    throw std::invalid_argument("hair: a thumbnail of the wrong size");
  if (pictures.empty()) throw std::invalid_argument("hair: a style without pictures");
  // Hair gathered at the back is shown turned further, so that its tail shows.
  const bool tail = style.name == "PonyTail" || style.name == "ManHair3";
  const Rotation view =
      Rotation::about({1, 0, 0}, kTilt) * Rotation::about({0, 1, 0}, tail ? kTailTurn : kTurn);
  const Vec3 c = head.centre();
  auto toView = [&](const Vec3& p) { return view * (p - c); };
  const Vec3 light = normalized(Vec3{-0.45, 0.6, 0.75});

  // The frame: the hair and the head down to the chin.
  double minX = 1e30, maxX = -1e30, minY = 1e30, maxY = -1e30;
  auto grow = [&](const Vec3& q) {
    minX = std::min(minX, q.x), maxX = std::max(maxX, q.x);
    minY = std::min(minY, q.y), maxY = std::max(maxY, q.y);
  };
  for (const Vec3& p : style.mesh.vertices) grow(toView(p));
  for (const Vec3& p : head.headVertices())
    if (p.y > head.chin() - 0.2) grow(toView(p));
  const double margin = kMargin * std::max(maxX - minX, maxY - minY);
  const int sw = width * kSamples, sh = height * kSamples;
  const double scale = std::min(sw / (maxX - minX + 2 * margin), sh / (maxY - minY + 2 * margin));
  const double cx = (minX + maxX) / 2, cy = (minY + maxY) / 2;
  auto toSamples = [&](const Vec3& q) {
    return Vec3{(q.x - cx) * scale + sw / 2.0, sh / 2.0 - (q.y - cy) * scale, q.z * scale};
  };

  Canvas canvas(sw, sh);
  // The head and shoulders: light grey, smoothly lit.
  const auto& points = head.bodyPoints();
  const auto& normals = head.bodyNormals();
  const double lowest = cy - (sh / 2.0) / scale - 0.2;
  for (const auto& t : head.bodyTriangles()) {
    std::array<Corner, 3> corner;
    bool inFrame = true;
    for (int k = 0; k < 3; ++k) {
      const Vec3 q = toView(points[std::size_t(t[std::size_t(k)])]);
      if (q.y < lowest) inFrame = false;
      corner[std::size_t(k)].p = toSamples(q);
      corner[std::size_t(k)].n = view * normals[std::size_t(t[std::size_t(k)])];
    }
    if (!inFrame) continue;
    canvas.draw(corner, [&](double w0, double w1, double w2, std::array<double, 3>& out) {
      const Vec3 n = normalized(corner[0].n * w0 + corner[1].n * w1 + corner[2].n * w2);
      const double lit = 0.62 + 0.38 * std::max(0.0, dot(n, light));
      out = {kBodyGrey * lit, kBodyGrey * lit * 0.985, kBodyGrey * lit * 0.97};
      return true;
    });
  }

  // The hair with its pictures, strand gaps cut out, lit softly for shape.
  const HairMesh& mesh = style.mesh;
  std::vector<Vec3> hairNormals(mesh.vertices.size());
  for (const MeshGroup& g : mesh.groups)
    for (const MeshTriangle& t : g.triangles) {
      const Vec3 f = cross(mesh.vertices[std::size_t(t.v[1])] - mesh.vertices[std::size_t(t.v[0])],
                           mesh.vertices[std::size_t(t.v[2])] - mesh.vertices[std::size_t(t.v[0])]);
      for (int v : t.v) hairNormals[std::size_t(v)] += f;
    }
  for (const MeshGroup& g : mesh.groups) {
    const bool second = g.name == " TAIL" && pictures.size() > 1;
    const HairPicture& picture = pictures[second ? 1 : 0].picture;
    for (const MeshTriangle& t : g.triangles) {
      std::array<Corner, 3> corner;
      for (int k = 0; k < 3; ++k) {
        corner[std::size_t(k)].p =
            toSamples(toView(mesh.vertices[std::size_t(t.v[std::size_t(k)])]));
        corner[std::size_t(k)].n = view * normalized(hairNormals[std::size_t(t.v[std::size_t(k)])]);
        corner[std::size_t(k)].u = mesh.texcoords[std::size_t(t.t[std::size_t(k)])][0];
        corner[std::size_t(k)].v = mesh.texcoords[std::size_t(t.t[std::size_t(k)])][1];
      }
      canvas.draw(corner, [&](double w0, double w1, double w2, std::array<double, 3>& out) {
        const double u = corner[0].u * w0 + corner[1].u * w1 + corner[2].u * w2;
        const double v = corner[0].v * w0 + corner[1].v * w1 + corner[2].v * w2;
        const Texel s = sample(picture, u, v);
        if (s.a < 0.5) return false;
        const Vec3 n = normalized(corner[0].n * w0 + corner[1].n * w1 + corner[2].n * w2);
        const double lit = 0.86 + 0.3 * (std::abs(dot(n, light)) - 0.5);
        out = {s.r * lit, s.g * lit, s.b * lit};
        return true;
      });
    }
  }
  return canvas.downsample(kSamples);
}

}  // namespace vestora::generate::hair
