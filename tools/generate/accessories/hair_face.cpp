#include "accessories/hair_face.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>

#include "assets/splitmix.h"

namespace vestora::generate::hair {
namespace {

constexpr double kSkinLift = 0.012;  // above the body's skin
// Vertices this near the neck cut are moved onto it, so that the cut
// leaves no sliver between a vertex and a crossing beside it.
constexpr double kOnCut = 0.01;
constexpr double kSmallestFaceArea = 1e-6;
constexpr int kSkinSize = 512;
constexpr int kEyeWidth = 256, kEyeHeight = 128;

// The cut across the neck: a plane through a line across the front of the
// neck, falling towards the back.
struct NeckCut {
  double frontZ, frontY, backZ, backY;
  double level(double z) const {
    return frontY + (backY - frontY) * (z - frontZ) / (backZ - frontZ);
  }
  double side(const Vec3& p) const { return p.y - level(p.z); }
};

NeckCut neckCut(const Head& head, double extra) {
  const double h = head.top() - head.chin();
  return {head.centre().z + 0.55 * h / 2.3, head.chin() - 0.12 * h,
          head.centre().z - 0.85 * h / 2.3, head.chin() - 0.13 * h - extra};
}

// Texture coordinates of the skin: round the head by azimuth (the face in
// the middle), down it by height.
struct SkinMap {
  Vec3 centre;
  double top, bottom;
  std::array<double, 2> at(const Vec3& p) const {
    const double phi = std::atan2(p.x - centre.x, p.z - centre.z);
    return {0.5 + phi / (2 * kPi), 0.02 + 0.96 * (top - p.y) / (top - bottom)};
  }
};

SkinMap skinMap(const Head& head, const FaceModel& face) {
  return {head.centre(), head.top() + kSkinLift, face.bottom};
}

// Value noise on a lattice, smooth, for the skin's grain.
class Grain {
 public:
  explicit Grain(std::uint64_t seed) {
    SplitMix64 r(seed);
    for (double& v : values_) v = r.unit();
  }
  double operator()(double x, double y) const {
    const double fx = std::floor(x), fy = std::floor(y);
    const int ix = int(fx), iy = int(fy);
    const double tx = x - fx, ty = y - fy;
    const double sx = tx * tx * (3 - 2 * tx), sy = ty * ty * (3 - 2 * ty);
    auto v = [&](int i, int j) { return values_[std::size_t(((j & 63) << 6) | (i & 63))]; };
    return (1 - sy) * ((1 - sx) * v(ix, iy) + sx * v(ix + 1, iy)) +
           sy * ((1 - sx) * v(ix, iy + 1) + sx * v(ix + 1, iy + 1));
  }

 private:
  double values_[64 * 64];
};

using Colour = std::array<double, 3>;
Colour mixColour(const Colour& a, const Colour& b, double t) {
  return {a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t};
}

}  // namespace

FaceModel buildManFace(const Head& head, double extra) {
  FaceModel face;
  const NeckCut cut = neckCut(head, extra);
  const std::vector<Vec3>& points = head.bodyPoints();
  const std::vector<Vec3>& normals = head.bodyNormals();
  HairMesh& mesh = face.mesh;
  const int skin = mesh.group(" Geo_Head");
  // Lifted body vertices, made on first use.
  std::vector<int> lifted(points.size(), -1);
  auto vertexOf = [&](int v) {
    if (lifted[std::size_t(v)] < 0) {
      Vec3 p = points[std::size_t(v)] + normals[std::size_t(v)] * kSkinLift;
      // Vertices on the cut lie on it.
      if (std::abs(cut.side(p)) <= kOnCut) p.y = cut.level(p.z);
      lifted[std::size_t(v)] = int(mesh.vertices.size());
      mesh.vertices.push_back(p);
    }
    return lifted[std::size_t(v)];
  };
  std::map<std::pair<int, int>, int> crossings;
  auto crossing = [&](int a, int b) {
    const auto key = std::minmax(a, b);
    if (auto it = crossings.find(key); it != crossings.end()) return it->second;
    const Vec3 pa = points[std::size_t(a)] + normals[std::size_t(a)] * kSkinLift;
    const Vec3 pb = points[std::size_t(b)] + normals[std::size_t(b)] * kSkinLift;
    const double sa = cut.side(pa), sb = cut.side(pb);
    Vec3 p = lerp(pa, pb, sa / (sa - sb));
    p.y = cut.level(p.z);
    const int index = int(mesh.vertices.size());
    mesh.vertices.push_back(p);
    crossings[key] = index;
    return index;
  };
  std::vector<std::array<int, 3>> triangles;
  const double reachX = 1.3 * (head.top() - head.chin()) / 2.3;
  for (const auto& t : head.bodyTriangles()) {
    bool eye = false, far = false;
    std::array<double, 3> s{};
    for (int k = 0; k < 3; ++k) {
      const int v = t[std::size_t(k)];
      eye = eye || head.isEye(v);
      const Vec3 p = points[std::size_t(v)] + normals[std::size_t(v)] * kSkinLift;
      far = far || std::abs(p.x) > reachX || p.y < cut.level(p.z) - 1.0;
      s[std::size_t(k)] = std::abs(cut.side(p)) <= kOnCut ? 0.0 : cut.side(p);
    }
    if (eye || far) continue;
    const int kept = int(s[0] >= 0) + int(s[1] >= 0) + int(s[2] >= 0);
    if (kept == 0) continue;
    if (kept == 3) {
      triangles.push_back({vertexOf(t[0]), vertexOf(t[1]), vertexOf(t[2])});
      continue;
    }
    // Turn the corners so that the odd one out comes first.
    int odd = 0;
    for (int k = 0; k < 3; ++k) {
      const bool in = s[std::size_t(k)] >= 0;
      const bool others = (s[std::size_t((k + 1) % 3)] >= 0) && (s[std::size_t((k + 2) % 3)] >= 0);
      const bool othersOut = (s[std::size_t((k + 1) % 3)] < 0) && (s[std::size_t((k + 2) % 3)] < 0);
      if ((in && othersOut) || (!in && others)) odd = k;
    }
    const int a = t[std::size_t(odd)], b = t[std::size_t((odd + 1) % 3)],
              c = t[std::size_t((odd + 2) % 3)];
    const bool oddKept = s[std::size_t(odd)] >= 0;
    auto emit = [&](int p, int q, int r) {
      if (p != q && q != r && p != r) triangles.push_back({p, q, r});
    };
    if (oddKept) {
      // One corner above the cut: a smaller triangle.
      emit(vertexOf(a), crossing(a, b), crossing(a, c));
    } else {
      // Two corners above: a quadrilateral (a corner on the cut needs no
      // crossing of its own).
      const int ab = s[std::size_t((odd + 1) % 3)] == 0 ? vertexOf(b) : crossing(a, b);
      const int ac = s[std::size_t((odd + 2) % 3)] == 0 ? vertexOf(c) : crossing(a, c);
      emit(ab, vertexOf(b), vertexOf(c));
      emit(ab, vertexOf(c), ac);
    }
  }
  // A sliver of the skin (or of the cut beside a vertex) covers nothing:
  // it is left out rather than kept as a triangle without area.
  std::erase_if(triangles, [&](const std::array<int, 3>& t) {
    const Vec3 a = mesh.vertices[std::size_t(t[0])], b = mesh.vertices[std::size_t(t[1])],
               c = mesh.vertices[std::size_t(t[2])];
    return length(cross(b - a, c - a)) / 2 < kSmallestFaceArea;
  });
  face.bottom = 1e30;
  for (const auto& t : triangles)
    for (int v : t) face.bottom = std::min(face.bottom, mesh.vertices[std::size_t(v)].y);
  // Texture coordinates by corner: the seam at the back of the head.
  const SkinMap map = skinMap(head, face);
  for (const auto& t : triangles) {
    std::array<std::array<double, 2>, 3> uv;
    for (int k = 0; k < 3; ++k)
      uv[std::size_t(k)] = map.at(mesh.vertices[std::size_t(t[std::size_t(k)])]);
    const double lo = std::min({uv[0][0], uv[1][0], uv[2][0]}),
                 hi = std::max({uv[0][0], uv[1][0], uv[2][0]});
    if (hi - lo > 0.5)
      for (auto& c : uv)
        if (c[0] < 0.5) c[0] += 1;
    MeshTriangle tri;
    for (int k = 0; k < 3; ++k) {
      tri.v[std::size_t(k)] = t[std::size_t(k)];
      tri.t[std::size_t(k)] = int(mesh.texcoords.size());
      mesh.texcoords.push_back(uv[std::size_t(k)]);
    }
    mesh.groups[std::size_t(skin)].triangles.push_back(tri);
  }

  // The eyeballs: spheres over the body's own, their poles looking forward.
  const double radius = head.eyeRadius() + 0.006;
  for (int side = 0; side < 2; ++side) {
    const Vec3 centre = side == 0 ? head.eye() : mirrorX(head.eye());
    const int group = mesh.group(side == 0 ? " Eye_L" : " Eye_R");
    Lattice l;
    l.columns = 20;
    l.rows = 12;
    l.closed = true;
    l.poleStart = true;
    l.vRoot = 0.01;
    l.vTip = 0.99;
    for (int c = 0; c < l.columns; ++c) {
      const double a = 2 * kPi * c / l.columns;
      for (int r = 0; r < l.rows; ++r) {
        const double back = 165.0 * kDegree * r / (l.rows - 1);
        l.points.push_back(centre + Vec3{std::sin(back) * std::cos(a), std::sin(back) * std::sin(a),
                                         std::cos(back)} *
                                        radius);
      }
      l.u.push_back(double(c) / l.columns);
    }
    l.uSeam = 1;
    mesh.add(group, l, [centre](const Vec3&) { return centre; });
  }
  return face;
}

FacePictures manFacePictures(const Head& head, const FaceModel& face) {
  FacePictures out;
  const SkinMap map = skinMap(head, face);
  const Vec3 c = head.centre();
  const double h = head.top() - head.chin();
  const double k = h / 2.3;
  const Vec3 eyeL = head.eye(), eyeR = mirrorX(head.eye());
  const double re = head.eyeRadius();
  const double mouthY = head.chin() + 0.46 * (eyeL.y - head.chin());
  const double noseY = head.chin() + 0.64 * (eyeL.y - head.chin());
  const Grain grain(71), blotch(72);
  const Colour skin{218, 178, 150}, rosy{206, 146, 124}, stubble{92, 88, 92}, brow{58, 44, 36},
      lip{176, 106, 98};
  const Colour crop{54, 44, 38};

  // The point of the head under a texel: along its azimuth at its height.
  auto surfaceAt = [&](double phi, double y) {
    double lo = 0, hi = 175 * kDegree;
    for (int i = 0; i < 26; ++i) {
      const double th = (lo + hi) / 2;
      const double py = c.y + head.radius(th, phi) * std::cos(th);
      (py > y ? lo : hi) = th;
    }
    const double th = (lo + hi) / 2;
    return std::pair<double, Vec3>{th, c + direction(th, phi) * head.radius(th, phi)};
  };

  out.skinWidth = out.skinHeight = kSkinSize;
  out.skin.resize(std::size_t(kSkinSize) * kSkinSize * 3);
  for (int y = 0; y < kSkinSize; ++y)
    for (int x = 0; x < kSkinSize; ++x) {
      const double u = (x + 0.5) / kSkinSize, v = (y + 0.5) / kSkinSize;
      const double phi = (u - 0.5) * 2 * kPi;
      const double py = map.top - (v - 0.02) / 0.96 * (map.top - map.bottom);
      const auto [theta, p] = surfaceAt(phi, py);
      const bool front = p.z > c.z + 0.25 * k;
      Colour col = skin;
      // Grain and a little colour in the cheeks, nose and ears.
      col = mixColour(col, Colour{col[0] * 0.93, col[1] * 0.9, col[2] * 0.9},
                      grain(x * 0.35, y * 0.35) * 0.35);
      col = mixColour(col, rosy, 0.25 * blotch(x * 0.04, y * 0.04));
      if (front) {
        const double cheek = std::exp(-std::pow((std::abs(p.x) - 0.42 * k) / (0.16 * k), 2) -
                                      std::pow((p.y - (noseY + 0.08 * k)) / (0.14 * k), 2));
        col = mixColour(col, rosy, 0.35 * cheek);
      }
      // Close-cropped hair on the scalp, thinning at the hairline.
      const double inside = head.hairline(phi) - theta;
      if (inside > -0.02) {
        const double dense = smoothstep(-0.02, 0.05, inside);
        const double dots = grain(x * 1.7, y * 1.7);
        col = mixColour(col, crop, dense * (0.55 + 0.25 * dots));
      }
      if (front) {
        // Stubble round the mouth and over the jaw.
        const double jaw = smoothstep(mouthY + 0.12 * k, mouthY - 0.04 * k, p.y) *
                           smoothstep(head.chin() - 0.3 * k, head.chin() + 0.05 * k, p.y) *
                           smoothstep(0.62 * k, 0.3 * k, std::abs(p.x));
        const double lipLine = std::exp(-std::pow((p.y - (mouthY + 0.07 * k)) / (0.03 * k), 2)) *
                               smoothstep(0.2 * k, 0.1 * k, std::abs(p.x));
        col = mixColour(col, stubble,
                        0.1 * std::max(jaw, lipLine) * (0.6 + 0.4 * grain(x * 2.3, y * 2.3)));
        // Brows: an arch over each eye, thick inside, fine outside.
        for (const Vec3& e : {eyeL, eyeR}) {
          const double side = e.x > 0 ? 1 : -1;
          const double t = (p.x - e.x) * side / (0.16 * k);  // -1 inside to +1 outside
          if (t > -1.1 && t < 1.15) {
            const double arch =
                e.y + 1.55 * re + 0.035 * k * std::cos(t * 1.3) - 0.02 * k * std::max(0.0, t);
            const double thick = (0.024 - 0.009 * t) * k;
            const double d = std::abs(p.y - arch);
            const double hair = smoothstep(thick, thick * 0.45, d) * smoothstep(1.15, 0.8, t) *
                                smoothstep(-1.1, -0.85, t);
            col = mixColour(col, brow, 0.85 * hair * (0.75 + 0.25 * grain(x * 3.1, y * 0.9)));
          }
          // The eyelids: a crease above the eye and the lash line round it.
          const double dx = (p.x - e.x) / (1.25 * re), dy = (p.y - e.y) / re;
          const double ring = std::sqrt(dx * dx + dy * dy);
          if (dy > -0.2)
            col = mixColour(col, Colour{140, 104, 92},
                            0.35 * std::exp(-std::pow((ring - 1.45) / 0.12, 2)));
          col = mixColour(col, Colour{46, 34, 30},
                          (dy > 0 ? 0.8 : 0.35) * std::exp(-std::pow((ring - 1.02) / 0.07, 2)));
        }
        // Lips.
        const double lx = p.x / (0.2 * k);
        const double upper = (p.y - mouthY) / (0.045 * k), lower = (mouthY - p.y) / (0.06 * k);
        const double shape = 1 - lx * lx;
        if (shape > 0) {
          if (upper > 0 && upper < shape)
            col = mixColour(
                col, lip,
                0.75 * smoothstep(shape, shape * 0.7, upper) * smoothstep(0, 0.15, shape));
          if (lower > 0 && lower < shape)
            col =
                mixColour(col, Colour{186, 114, 104},
                          0.7 * smoothstep(shape, shape * 0.6, lower) * smoothstep(0, 0.15, shape));
          col = mixColour(col, Colour{110, 60, 56},
                          0.7 * std::exp(-std::pow((p.y - mouthY) / (0.008 * k), 2)) *
                              smoothstep(1, 0.7, std::abs(lx)));
        }
        // Nostrils.
        for (double sx : {-1.0, 1.0}) {
          const double nx = (p.x - sx * 0.065 * k) / (0.03 * k), ny = (p.y - noseY) / (0.02 * k);
          col = mixColour(col, Colour{96, 62, 56}, 0.7 * std::exp(-(nx * nx + ny * ny)));
        }
      }
      for (int ch = 0; ch < 3; ++ch)
        out.skin[3 * (std::size_t(y) * kSkinSize + x) + std::size_t(ch)] =
            std::uint8_t(std::clamp(std::lround(col[std::size_t(ch)]), 0L, 255L));
    }

  // The eye: rows from the pupil at the front round to the back.
  out.eyeWidth = kEyeWidth;
  out.eyeHeight = kEyeHeight;
  out.eye.resize(std::size_t(kEyeWidth) * kEyeHeight * 3);
  const Grain fibres(73);
  for (int y = 0; y < kEyeHeight; ++y)
    for (int x = 0; x < kEyeWidth; ++x) {
      const double v = (y + 0.5) / kEyeHeight;  // 0 front pole, 1 back
      const double angle = v * 165.0;           // degrees from the front
      const double around = (x + 0.5) / kEyeWidth;
      Colour col;
      if (angle < 9) {
        col = {14, 12, 12};
      } else if (angle < 27) {
        const double f = fibres(around * 48, angle * 0.6);
        const double ring = (angle - 9) / 18;
        col = mixColour(Colour{98, 64, 38}, Colour{60, 40, 26}, ring * 0.6 + 0.4 * f);
        col = mixColour(col, Colour{30, 22, 18}, smoothstep(0.8, 1.0, ring));
      } else {
        const double vein =
            std::pow(fibres(around * 30, angle * 0.15), 14) * smoothstep(45, 90, angle);
        col = mixColour(Colour{226, 220, 212}, Colour{214, 188, 182}, smoothstep(35, 110, angle));
        col = mixColour(col, Colour{190, 100, 96}, 0.3 * vein);
        col =
            mixColour(col, Colour{150, 140, 136}, 0.35 * std::exp(-std::pow((angle - 30) / 4, 2)));
      }
      // The upper lid's shadow over the top of the eye.
      const double up = std::sin(2 * kPi * around);  // the eye's upper half
      const double shade = 1 - 0.3 * smoothstep(0.2, 0.9, up) * smoothstep(15, 40, angle);
      col = {col[0] * shade, col[1] * shade, col[2] * shade};
      for (int ch = 0; ch < 3; ++ch)
        out.eye[3 * (std::size_t(y) * kEyeWidth + x) + std::size_t(ch)] =
            std::uint8_t(std::clamp(std::lround(col[std::size_t(ch)]), 0L, 255L));
    }
  return out;
}

}  // namespace vestora::generate::hair
