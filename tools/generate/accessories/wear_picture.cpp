#include "accessories/wear_picture.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace vestora::generate::wear {
namespace {

constexpr int kSamples = 3;  // per pixel, each way

struct ViewBasis {
  Vec3 right, up, toward;  // toward: from the items to the eye
  Vec3 operator()(const Vec3& p) const { return {dot(p, right), dot(p, up), dot(p, toward)}; }
};

ViewBasis basisOf(const Viewpoint& v) {
  const double az = v.azimuth * kPi / 180, el = v.elevation * kPi / 180;
  ViewBasis b;
  b.toward = {std::sin(az) * std::cos(el), std::sin(el), std::cos(az) * std::cos(el)};
  b.right = normalized(cross({0, 1, 0}, b.toward));
  b.up = cross(b.toward, b.right);
  return b;
}

const Vec3 kKey = normalized({-0.45, 0.65, 0.62});
const Vec3 kFill = normalized({0.7, 0.05, 0.55});

Colour lit(const Colour& base, Vec3 n, const Look& look) {
  n = normalized(n);
  double inside = 1;
  if (n.z < 0) {
    n = -n;
    inside = 0.7;
  }
  const double diffuse =
      0.34 + 0.58 * std::max(0.0, dot(n, kKey)) + 0.18 * std::max(0.0, dot(n, kFill));
  const Vec3 half = normalized(kKey + Vec3{0, 0, 1});
  const double spec = look.specular * std::pow(std::max(0.0, dot(n, half)), look.shininess);
  Colour c = shade(base, diffuse * inside);
  c.r += 255 * spec;
  c.g += 255 * spec;
  c.b += 255 * spec;
  return c;
}

}  // namespace

Image drawPicture(const std::vector<PictureItem>& items, const Viewpoint& view, int width,
                  int height) {
  if (width < 8 || height < 8 || width > 2048 || height > 2048)
    throw std::invalid_argument("drawPicture: size outside 8 to 2048");
  const ViewBasis basis = basisOf(view);
  double minX = 1e30, maxX = -1e30, minY = 1e30, maxY = -1e30;
  for (const PictureItem& item : items)
    for (const Vec3& p : item.mesh->vertices) {
      const Vec3 q = basis(p);
      minX = std::min(minX, q.x);
      maxX = std::max(maxX, q.x);
      minY = std::min(minY, q.y);
      maxY = std::max(maxY, q.y);
    }
  if (!(maxX > minX) || !(maxY > minY)) throw std::invalid_argument("drawPicture: nothing to draw");
  const int sw = width * kSamples, sh = height * kSamples;
  const double room = 1 - 2 * view.margin;
  const double scale = std::min(sw * room / (maxX - minX), sh * room / (maxY - minY));
  const double cx = 0.5 * (minX + maxX), cy = 0.5 * (minY + maxY);
  auto toSamples = [&](const Vec3& p) {
    const Vec3 q = basis(p);
    return Vec3{(q.x - cx) * scale + sw / 2.0, sh / 2.0 - (q.y - cy) * scale, q.z};
  };

  std::vector<double> depth(std::size_t(sw) * std::size_t(sh), -1e30);
  std::vector<Colour> colour(depth.size(), Colour{255, 255, 255, 0});
  std::vector<std::uint8_t> covered(depth.size(), 0);

  for (int pass = 0; pass < 2; ++pass)
    for (const PictureItem& item : items) {
      const WearMesh& mesh = *item.mesh;
      const std::vector<Vec3> normals = mesh.cornerNormals();
      std::size_t corner = 0;
      for (const WearPart& part : mesh.parts) {
        const Look look = item.look(part);
        const bool translucent = look.opacity < 1;
        if (translucent != (pass == 1)) {
          corner += 3 * part.triangles.size();
          continue;
        }
        for (const WearTriangle& t : part.triangles) {
          std::array<Vec3, 3> s, n;
          std::array<std::array<double, 2>, 3> uv{};
          for (int k = 0; k < 3; ++k) {
            s[std::size_t(k)] = toSamples(mesh.vertices[std::size_t(t.v[std::size_t(k)])]);
            n[std::size_t(k)] = basis(normals[corner + std::size_t(k)]);
            uv[std::size_t(k)] = mesh.texcoords[std::size_t(t.t[std::size_t(k)])];
          }
          corner += 3;
          const Vec3 &a = s[0], &b = s[1], &c = s[2];
          const double area = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
          if (std::abs(area) < 1e-12) continue;
          const int x0 = std::max(0, int(std::floor(std::min({a.x, b.x, c.x}))));
          const int x1 = std::min(sw - 1, int(std::ceil(std::max({a.x, b.x, c.x}))));
          const int y0 = std::max(0, int(std::floor(std::min({a.y, b.y, c.y}))));
          const int y1 = std::min(sh - 1, int(std::ceil(std::max({a.y, b.y, c.y}))));
          for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
              const double px = x + 0.5, py = y + 0.5;
              const double w0 = ((b.x - px) * (c.y - py) - (b.y - py) * (c.x - px)) / area;
              const double w1 = ((c.x - px) * (a.y - py) - (c.y - py) * (a.x - px)) / area;
              const double w2 = 1 - w0 - w1;
              if (w0 < 0 || w1 < 0 || w2 < 0) continue;
              const double z = w0 * a.z + w1 * b.z + w2 * c.z;
              const std::size_t i = std::size_t(y) * std::size_t(sw) + std::size_t(x);
              if (z <= depth[i]) continue;
              Colour base = look.colour;
              if (look.texture) {
                const double u = w0 * uv[0][0] + w1 * uv[1][0] + w2 * uv[2][0];
                const double v = w0 * uv[0][1] + w1 * uv[1][1] + w2 * uv[2][1];
                base = look.texture->sample(u, v);
                if (base.a < 0.5) continue;
              }
              const Colour shaded = lit(base, n[0] * w0 + n[1] * w1 + n[2] * w2, look);
              if (translucent) {
                colour[i] = mix(colour[i], shaded, look.opacity);
              } else {
                depth[i] = z;
                colour[i] = shaded;
                covered[i] = 1;
              }
            }
        }
      }
    }

  // Down to pixels: the items' colour and how much of each pixel they cover.
  Image out(width, height, Colour{255, 255, 255, 1});
  std::vector<double> coverage(std::size_t(width) * std::size_t(height), 0.0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      Colour sum{0, 0, 0, 0};
      int count = 0;
      for (int dy = 0; dy < kSamples; ++dy)
        for (int dx = 0; dx < kSamples; ++dx) {
          const std::size_t i =
              std::size_t(y * kSamples + dy) * std::size_t(sw) + std::size_t(x * kSamples + dx);
          const Colour& c = colour[i];
          sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b, 0};
          count += covered[i];
        }
      const double n = kSamples * kSamples;
      out.at(x, y) = {sum.r / n, sum.g / n, sum.b / n, 1};
      coverage[std::size_t(y) * std::size_t(width) + std::size_t(x)] = count / n;
    }
  if (view.shadow) {
    // The covered area, dropped a little and blurred, darkens the white
    // round the items' feet.
    const int drop = std::max(1, height / 40), radius = std::max(2, width / 24);
    std::vector<double> shadow(coverage.size(), 0.0), blurred(coverage.size(), 0.0);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        if (y - drop >= 0)
          shadow[std::size_t(y) * std::size_t(width) + std::size_t(x)] =
              coverage[std::size_t(y - drop) * std::size_t(width) + std::size_t(x)];
    for (int pass = 0; pass < 2; ++pass) {
      std::vector<double>& from = pass == 0 ? shadow : blurred;
      std::vector<double>& to = pass == 0 ? blurred : shadow;
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
          double sum = 0;
          int n = 0;
          for (int k = -radius; k <= radius; ++k) {
            const int xx = pass == 0 ? x + k : x, yy = pass == 0 ? y : y + k;
            if (xx < 0 || yy < 0 || xx >= width || yy >= height) continue;
            sum += from[std::size_t(yy) * std::size_t(width) + std::size_t(xx)];
            ++n;
          }
          to[std::size_t(y) * std::size_t(width) + std::size_t(x)] = sum / n;
        }
    }
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const std::size_t i = std::size_t(y) * std::size_t(width) + std::size_t(x);
        const double dark = 0.22 * shadow[i] * (1 - coverage[i]);
        Colour& c = out.at(x, y);
        c = shade(c, 1 - dark);
      }
  }
  return out;
}

}  // namespace vestora::generate::wear
