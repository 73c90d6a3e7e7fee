#include "garments/garment_picture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

namespace vestora::generate {

namespace {

constexpr int kSupersample = 3;        // samples per pixel, each way
constexpr double kMargin = 0.07;       // of the garment's larger extent, on every side
constexpr double kBodyGrey = 226;      // the silhouette's lit colour
constexpr double kInsideShade = 0.72;  // the inside of the cloth, seen through an opening

struct V3 {
  double x = 0, y = 0, z = 0;
};
V3 operator-(const V3& a, const V3& b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
V3 operator+(const V3& a, const V3& b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
V3 operator*(double s, const V3& a) {
  return {s * a.x, s * a.y, s * a.z};
}
V3 cross(const V3& a, const V3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double dot(const V3& a, const V3& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
V3 normalised(const V3& a) {
  const double l = std::sqrt(dot(a, a));
  return l > 0 ? (1 / l) * a : V3{0, 0, 1};
}

// A triangle in view space: x right, y up, z towards the viewer.
struct Corner {
  V3 p, n;
  double u = 0, v = 0;
};
struct Tri {
  std::array<Corner, 3> c;
};

// Where the picture is drawn: samples, their depth and colour.
class Canvas {
 public:
  Canvas(int width, int height)
      : w_(width),
        h_(height),
        depth_(std::size_t(width) * height, -1e30),
        rgb_(3 * std::size_t(width) * height, 255.0) {}

  // Draws `t` (already in sample coordinates, x right, y down, z towards the
  // viewer); `shade` gives the colour of a sample from the barycentric
  // weights of its corners.
  template <class Shade>
  void draw(const Tri& t, Shade&& shade) {
    const V3 &a = t.c[0].p, &b = t.c[1].p, &c = t.c[2].p;
    const double area = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
    if (std::abs(area) < 1e-12) return;
    const int x0 = std::max(0, static_cast<int>(std::floor(std::min({a.x, b.x, c.x}))));
    const int x1 = std::min(w_ - 1, static_cast<int>(std::ceil(std::max({a.x, b.x, c.x}))));
    const int y0 = std::max(0, static_cast<int>(std::floor(std::min({a.y, b.y, c.y}))));
    const int y1 = std::min(h_ - 1, static_cast<int>(std::ceil(std::max({a.y, b.y, c.y}))));
    for (int y = y0; y <= y1; ++y) {
      const double py = y + 0.5;
      for (int x = x0; x <= x1; ++x) {
        const double px = x + 0.5;
        const double w0 = ((b.x - px) * (c.y - py) - (b.y - py) * (c.x - px)) / area;
        const double w1 = ((c.x - px) * (a.y - py) - (c.y - py) * (a.x - px)) / area;
        const double w2 = 1 - w0 - w1;
        if (w0 < 0 || w1 < 0 || w2 < 0) continue;
        const double z = w0 * a.z + w1 * b.z + w2 * c.z;
        const std::size_t i = std::size_t(y) * w_ + x;
        if (z <= depth_[i]) continue;
        depth_[i] = z;
        const std::array<double, 3> colour = shade(w0, w1, w2);
        for (int k = 0; k < 3; ++k) rgb_[3 * i + k] = colour[k];
      }
    }
  }

  // Each pixel the mean of its s × s samples.
  std::vector<std::uint8_t> downsample(int s) const {
    const int w = w_ / s, h = h_ / s;
    std::vector<std::uint8_t> out(3 * std::size_t(w) * h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        for (int k = 0; k < 3; ++k) {
          double sum = 0;
          for (int dy = 0; dy < s; ++dy)
            for (int dx = 0; dx < s; ++dx)
              sum += rgb_[3 * (std::size_t(y * s + dy) * w_ + (x * s + dx)) + k];
          out[3 * (std::size_t(y) * w + x) + k] =
              static_cast<std::uint8_t>(std::clamp(std::lround(sum / (s * s)), 0L, 255L));
        }
    return out;
  }

 private:
  int w_, h_;
  std::vector<double> depth_;
  std::vector<double> rgb_;
};

// The light comes from the upper left, in front of the figure.
const V3 kLight = normalised({-0.35, 0.5, 0.8});

// Lambert term of a view-space normal turned towards the viewer, and
// whether it had to be turned (the far side of a surface).
std::pair<double, bool> lambert(V3 n) {
  n = normalised(n);
  const bool inside = n.z < 0;
  if (inside) n = -1.0 * n;
  return {std::max(0.0, dot(n, kLight)), inside};
}

std::array<double, 3> sampleFabric(const FabricImage& f, double u, double v) {
  // Bilinear, wrapping both ways; v grows upwards while rows run down.
  const double tx = (u - std::floor(u)) * f.size - 0.5;
  const double ty = (1 - (v - std::floor(v))) * f.size - 0.5;
  const int x0 = static_cast<int>(std::floor(tx)), y0 = static_cast<int>(std::floor(ty));
  const double fx = tx - x0, fy = ty - y0;
  auto at = [&](int x, int y, int k) {
    x = ((x % f.size) + f.size) % f.size;
    y = ((y % f.size) + f.size) % f.size;
    return double(f.rgb[3 * (std::size_t(y) * f.size + x) + k]);
  };
  std::array<double, 3> c{};
  for (int k = 0; k < 3; ++k) {
    c[k] = (1 - fy) * ((1 - fx) * at(x0, y0, k) + fx * at(x0 + 1, y0, k)) +
           fy * ((1 - fx) * at(x0, y0 + 1, k) + fx * at(x0 + 1, y0 + 1, k));
  }
  return c;
}

}  // namespace

std::vector<std::uint8_t> drawGarmentPicture(const Avatar& body, const GarmentMesh& garment,
                                             const FabricImage& fabric, PictureView view, int width,
                                             int height) {
  if (width < 8 || width > 4096 || height < 8 || height > 4096)
    throw std::invalid_argument("drawGarmentPicture: size outside 8 to 4096");
  if (garment.particles.empty()) throw std::invalid_argument("drawGarmentPicture: empty garment");
  if (fabric.size < 1 || fabric.rgb.size() != 3 * std::size_t(fabric.size) * fabric.size)
    throw std::invalid_argument("drawGarmentPicture: no fabric");

  const double flip = view == PictureView::Front ? 1 : -1;  // the back view turns x and z round
  auto toView = [&](double x, double y, double z) { return V3{flip * x, y, flip * z}; };

  // Frame: the garment's extent in the view, with a margin, centred.
  double minX = 1e30, maxX = -1e30, minY = 1e30, maxY = -1e30;
  for (const GarmentParticle& p : garment.particles) {
    const V3 v = toView(p.point.x, p.point.y, p.point.z);
    minX = std::min(minX, v.x);
    maxX = std::max(maxX, v.x);
    minY = std::min(minY, v.y);
    maxY = std::max(maxY, v.y);
  }
  const double margin = kMargin * std::max(maxX - minX, maxY - minY);
  const int sw = width * kSupersample, sh = height * kSupersample;
  const double scale = std::min(sw / (maxX - minX + 2 * margin), sh / (maxY - minY + 2 * margin));
  const double cx = (minX + maxX) / 2, cy = (minY + maxY) / 2;
  auto toSamples = [&](const V3& v) {
    return V3{(v.x - cx) * scale + sw / 2.0, sh / 2.0 - (v.y - cy) * scale, v.z * scale};
  };

  Canvas canvas(sw, sh);

  // The body: its skin and head, with smooth normals.
  std::vector<std::uint32_t> bodyTriangles;
  for (const GlmGroup& g : body.model().groups) {
    if (g.name == " Body" || g.name == " Head")
      bodyTriangles.insert(bodyTriangles.end(), g.triangles.begin(), g.triangles.end());
  }
  if (bodyTriangles.empty()) {
    for (std::uint32_t t = 0; t < body.triangleCount(); ++t) bodyTriangles.push_back(t);
  }
  std::sort(bodyTriangles.begin(), bodyTriangles.end());
  std::vector<V3> bodyNormal(body.skin.size());
  auto skinAt = [&](std::int32_t v) {
    const SkinVertex& s = body.skin[static_cast<std::size_t>(v)];
    return toView(s.x, s.y, s.z);
  };
  auto usable = [&](std::uint32_t t) {
    if (t >= body.triangleCount()) return false;
    for (std::int32_t v : body.triangles[t].vertex)
      if (v < 0 || static_cast<std::size_t>(v) >= body.skin.size()) return false;
    return true;
  };
  for (std::uint32_t t : bodyTriangles) {
    if (!usable(t)) continue;
    const auto& vi = body.triangles[t].vertex;
    const V3 n = cross(skinAt(vi[1]) - skinAt(vi[0]), skinAt(vi[2]) - skinAt(vi[0]));
    for (std::int32_t v : vi) bodyNormal[v] = bodyNormal[v] + n;
  }
  for (std::uint32_t t : bodyTriangles) {
    if (!usable(t)) continue;
    Tri tri;
    for (int k = 0; k < 3; ++k) {
      const std::int32_t v = body.triangles[t].vertex[k];
      tri.c[k].p = toSamples(skinAt(v));
      tri.c[k].n = bodyNormal[v];
    }
    canvas.draw(tri, [&](double w0, double w1, double w2) {
      const V3 n = w0 * tri.c[0].n + w1 * tri.c[1].n + w2 * tri.c[2].n;
      const double g = kBodyGrey * (0.72 + 0.28 * lambert(n).first);
      return std::array<double, 3>{g, g, g + 3};
    });
  }

  // The garment: smooth normals from its own triangles, the fabric by the
  // triangles' corner texture coordinates.
  const auto& particles = garment.particles;
  std::vector<V3> garmentNormal(particles.size());
  auto particleAt = [&](std::int32_t i) {
    const SkinVertex& p = particles[static_cast<std::size_t>(i)].point;
    return toView(p.x, p.y, p.z);
  };
  auto valid = [&](const GarmentTriangle& t) {
    for (std::int32_t v : t.vertex)
      if (v < 0 || static_cast<std::size_t>(v) >= particles.size()) return false;
    return true;
  };
  for (const GarmentTriangle& t : garment.triangles) {
    if (!valid(t)) continue;
    const V3 n = cross(particleAt(t.vertex[1]) - particleAt(t.vertex[0]),
                       particleAt(t.vertex[2]) - particleAt(t.vertex[0]));
    for (std::int32_t v : t.vertex) garmentNormal[v] = garmentNormal[v] + n;
  }
  for (const GarmentTriangle& t : garment.triangles) {
    if (!valid(t)) continue;
    Tri tri;
    for (int k = 0; k < 3; ++k) {
      tri.c[k].p = toSamples(particleAt(t.vertex[k]));
      tri.c[k].n = garmentNormal[t.vertex[k]];
      tri.c[k].u = t.hasUv ? t.uv[2 * k] : particles[t.vertex[k]].point.u;
      tri.c[k].v = t.hasUv ? t.uv[2 * k + 1] : particles[t.vertex[k]].point.v;
    }
    canvas.draw(tri, [&](double w0, double w1, double w2) {
      const V3 n = w0 * tri.c[0].n + w1 * tri.c[1].n + w2 * tri.c[2].n;
      const auto [light, inside] = lambert(n);
      const double u = w0 * tri.c[0].u + w1 * tri.c[1].u + w2 * tri.c[2].u;
      const double v = w0 * tri.c[0].v + w1 * tri.c[1].v + w2 * tri.c[2].v;
      std::array<double, 3> c = sampleFabric(fabric, u, v);
      const double shade = (0.42 + 0.66 * light) * (inside ? kInsideShade : 1.0);
      for (double& x : c) x = std::min(255.0, x * shade);
      return c;
    });
  }
  return canvas.downsample(kSupersample);
}

}  // namespace vestora::generate
