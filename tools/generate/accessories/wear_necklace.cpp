// A fine gold chain lying round the base of the neck and dropping onto the
// upper chest, with a round medallion at its lowest point. The chain's
// path is laid on the skin: round the neck's axis, high at the nape and
// over the shoulders' slope, lowest in front; its links alternate flat on
// the skin and standing, so that every link clears the skin by one to
// three millimetres.
#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "accessories/wear_items.h"

namespace vestora::generate::wear {
namespace {

constexpr double kWire = 0.0055;                        // the links' wire radius
constexpr double kLinkLength = 0.05;                    // outside
constexpr double kLinkWidth = 0.03;                     // outside
constexpr double kCentreline = kLinkWidth / 2 + 0.013;  // the chain's middle from the skin
constexpr double kMedallionRadius = 0.085, kMedallionThickness = 0.022;

struct Neck {
  Vec3 axis;         // a point of the neck's axis (its x and z)
  double nape = 0;   // the height of the chain at the back
  double front = 0;  // the height of the chain at the front
};

// The skin point round the neck's axis at height y in the direction φ
// (0 to the front, π/2 to the left), and the skin's normal there.
bool skinAround(const SurfaceField& skin, const Neck& neck, double y, double phi, Vec3& point,
                Vec3& normal) {
  const Vec3 o{neck.axis.x, y, neck.axis.z};
  const Vec3 d{std::sin(phi), 0, std::cos(phi)};
  const auto hits = skin.crossings(o, d, 3.0);
  if (hits.empty()) return false;
  const Vec3 p = o + d * hits.front();
  const auto near = skin.nearest(p, 0.2);
  if (!near) return false;
  point = near->point;
  normal = near->normal;
  return true;
}

// The chain's middle line: a closed loop of points `kCentreline` off the
// skin. `drop` shapes how it falls from the nape to the front.
std::vector<Vec3> chainPath(const SurfaceField& skin, const Neck& neck, int samples) {
  std::vector<Vec3> path;
  for (int k = 0; k < samples; ++k) {
    const double phi = 2 * kPi * k / samples;
    const double w = std::pow(0.5 * (1 + std::cos(phi)), 3.0);
    const double y = neck.nape + (neck.front - neck.nape) * w;
    Vec3 p, n;
    if (!skinAround(skin, neck, y, phi, p, n))
      throw std::runtime_error("wearables: necklace: no skin round the neck");
    path.push_back(p + n * kCentreline);
  }
  // Smooth out the little dents of the skin, then keep the chain off it.
  for (int pass = 0; pass < 6; ++pass) {
    std::vector<Vec3> smooth = path;
    for (int k = 0; k < samples; ++k)
      smooth[std::size_t(k)] = (path[std::size_t((k + samples - 1) % samples)] +
                                path[std::size_t(k)] * 2.0 + path[std::size_t((k + 1) % samples)]) /
                               4.0;
    for (Vec3& p : smooth) {
      const auto near = skin.nearest(p, 0.3);
      if (near && near->distance < kCentreline) p += near->normal * (kCentreline - near->distance);
    }
    path = smooth;
  }
  return path;
}

// One oval link: a torus bent round an obround, in the plane spanned by
// `along` and `across`, centred at c.
void addLink(WearMesh& mesh, const Vec3& c, const Vec3& along, const Vec3& across, int part,
             double u0, double u1) {
  constexpr int kLoop = 14, kWireSides = 6;
  const double straight = 0.5 * (kLinkLength - kLinkWidth);  // half the straight sides
  const double bend = 0.5 * kLinkWidth - kWire;  // the ends' radius to the wire's middle
  const Vec3 side = normalized(cross(along, across));
  std::vector<std::vector<Vec3>> rings;
  // The obround's middle line, counter-clockwise in (along, across).
  const double perimeter = 4 * straight + 2 * kPi * bend;
  for (int i = 0; i < kLoop; ++i) {
    double s = perimeter * i / kLoop;
    Vec3 m, out;
    // Right half-circle, top straight, left half-circle, bottom straight.
    if (s < kPi * bend) {
      const double a = -0.5 * kPi + s / bend;
      m = along * (straight + bend * std::cos(a)) + across * (bend * std::sin(a));
      out = along * std::cos(a) + across * std::sin(a);
    } else if ((s -= kPi * bend) < 2 * straight) {
      m = along * (straight - s) + across * bend;
      out = across;
    } else if ((s -= 2 * straight) < kPi * bend) {
      const double a = 0.5 * kPi + s / bend;
      m = along * (-straight + bend * std::cos(a)) + across * (bend * std::sin(a));
      out = along * std::cos(a) + across * std::sin(a);
    } else {
      s -= kPi * bend;
      m = along * (-straight + s) - across * bend;
      out = -across;
    }
    std::vector<Vec3> ring;
    for (int j = 0; j < kWireSides; ++j) {
      const double b = 2 * kPi * j / kWireSides;
      ring.push_back(c + m + out * (kWire * std::cos(b)) + side * (kWire * std::sin(b)));
    }
    rings.push_back(ring);
  }
  TubeSpec spec;
  spec.part = part;
  spec.closedPath = true;
  spec.uLength = u1 - u0;
  spec.vRange = {0.0, 1.0};
  const std::size_t firstTexcoord = mesh.texcoords.size();
  addTube(mesh, rings, spec);
  // The chain's picture runs along the left half: shift into place.
  for (std::size_t t = firstTexcoord; t < mesh.texcoords.size(); ++t) {
    auto& uv = mesh.texcoords[t];
    uv = {0.02 + 0.44 * uv[1], u0 + uv[0]};
  }
}

void addMedallion(WearMesh& mesh, const Vec3& centre, const Vec3& normal, const Vec3& up,
                  int part) {
  // A disc with a rounded rim: rings from the back's centre out and round
  // to the front's centre; the front shows the medallion's picture.
  constexpr int kAround = 48;
  const Vec3 x = normalized(cross(up, normal)), y = cross(normal, x);
  struct Row {
    double radius, depth;
    bool front;
  };
  std::vector<Row> profile{{0, 0, false}};
  for (int i = 1; i <= 5; ++i)
    profile.push_back({kMedallionRadius * 0.85 * i / 5, 0.002 * i / 5, false});
  for (int i = 0; i <= 6; ++i) {
    const double a = kPi * i / 6;  // round the rim from the back to the front
    profile.push_back({kMedallionRadius * 0.85 + 0.15 * kMedallionRadius * std::sin(a),
                       0.5 * kMedallionThickness * (1 - std::cos(a)), i >= 3});
  }
  for (int i = 4; i >= 0; --i)
    profile.push_back(
        {kMedallionRadius * 0.85 * i / 5, kMedallionThickness - 0.001 * (5 - i) / 5, true});
  std::vector<std::vector<int>> rows;
  for (const Row& r : profile) {
    std::vector<int> row;
    if (r.radius == 0) {
      row.assign(kAround, mesh.addVertex(centre + normal * r.depth));
    } else {
      for (int k = 0; k < kAround; ++k) {
        const double a = 2 * kPi * k / kAround;
        row.push_back(mesh.addVertex(centre + x * (r.radius * std::cos(a)) +
                                     y * (r.radius * std::sin(a)) + normal * r.depth));
      }
    }
    rows.push_back(row);
  }
  const std::size_t first = mesh.parts[std::size_t(part)].triangles.size();
  addGrid(
      mesh, rows,
      [&](int r, int c) {
        const Row& row = profile[std::size_t(r)];
        const double a = 2 * kPi * c / kAround, t = row.radius / kMedallionRadius;
        // The front on the medallion's picture (the right half), the back
        // and the rim on plain gold.
        if (row.front)
          return std::array<double, 2>{0.75 + 0.23 * t * std::cos(a), 0.5 - 0.23 * t * std::sin(a)};
        return std::array<double, 2>{0.1 + 0.3 * t, 0.5 + 0.4 * std::sin(a)};
      },
      {part, mesh.newSmoothing(), true, true});
  orientOutward(mesh, part, first);
}

Image goldPicture() {
  constexpr int kSize = 256;
  Image image(kSize, kSize);
  const Colour deep = rgb(150, 102, 28), gold = rgb(222, 176, 72), light = rgb(255, 232, 160);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      const double u = (x + 0.5) / kSize, v = (y + 0.5) / kSize;
      // Brushed gold: fine lines along the wire and a slow sheen.
      const double brush = fractal({u * 3, v * 160, 0}, 81, 2);
      const double sheen =
          0.5 + 0.5 * std::sin(2 * kPi * (v * 3 + 0.2 * fractal({u * 4, v * 4, 1}, 82, 2)));
      Colour c = mix(mix(deep, gold, 0.55 + 0.25 * sheen), light, 0.25 * std::max(0.0, brush));
      if (u > 0.5) {
        // The medallion's face: a raised rim, a flower of six petals and a
        // small garnet in the middle.
        const double dx = (u - 0.75) / 0.23, dy = (v - 0.5) / 0.23;
        const double r = std::hypot(dx, dy), a = std::atan2(dy, dx);
        const double petal = 0.55 + 0.2 * std::cos(6 * a);
        double relief = 0;
        if (r > 0.86 && r < 0.96) relief = 1;                            // the rim's bead
        if (r < petal && r > 0.2) relief = 0.6 + 0.4 * std::cos(6 * a);  // the petals
        if (r < 0.18) {
          const double g = 1 - r / 0.18;
          c = mix(rgb(90, 8, 20), rgb(230, 80, 90), 0.3 + 0.5 * g * g);
          if (std::hypot(dx + 0.05, dy + 0.05) < 0.05) c = rgb(255, 210, 210);
        } else {
          const double edge = std::abs(r - petal) < 0.03 || std::abs(r - 0.86) < 0.02 ? 0.7 : 1.0;
          c = shade(mix(gold, light, 0.35 * relief), edge * (0.85 + 0.1 * brush));
        }
      }
      image.at(x, y) = c;
    }
  return image;
}

// The chain's links along `loop`, the medallion at its lowest point and
// the bail that hangs it there.
NecklaceDesign chainOn(const SurfaceField& skin, const std::vector<Vec3>& loop) {
  NecklaceDesign d;
  const int part = d.mesh.part(" necklace", "gold");
  // Links evenly along the loop, each through the next.
  const std::vector<Vec3> smooth = catmullRom(loop, 4, true);
  const double total = pathLength(smooth, true);
  const double pitch = kLinkLength - 2 * kWire - 0.004;
  const int links = 2 * int(total / pitch / 2);
  const std::vector<Vec3> centres = resample(smooth, links, true);
  for (int i = 0; i < links; ++i) {
    const Vec3& c = centres[std::size_t(i)];
    const Vec3 along = normalized(centres[std::size_t((i + 1) % links)] -
                                  centres[std::size_t((i + links - 1) % links)]);
    const auto near = skin.nearest(c, 0.3);
    const Vec3 n = near ? near->normal : Vec3{0, 0, 1};
    const Vec3 flat = normalized(cross(n, along));         // across the chain, along the skin
    const Vec3 standing = normalized(cross(along, flat));  // away from the skin
    addLink(d.mesh, c, along, i % 2 == 0 ? flat : standing, part, double(i) / links,
            double(i + 1) / links);
  }
  // The medallion hangs from the lowest link on a bail.
  int lowest = 0;
  for (int i = 0; i < links; ++i)
    if (centres[std::size_t(i)].y < centres[std::size_t(lowest)].y) lowest = i;
  const Vec3 hook = centres[std::size_t(lowest)];
  Vec3 guess = hook + Vec3{0, -(kMedallionRadius + 0.03), 0};
  auto near = skin.nearest(guess, 0.4);
  if (!near) throw std::runtime_error("wearables: necklace: no chest for the medallion");
  Vec3 normal = near->normal;
  const Vec3 centre = near->point + normal * 0.016;  // the back 1.6 mm off the skin
  const Vec3 up = normalized(hook - centre);
  addMedallion(d.mesh, centre, normal, up, part);
  // The bail: a ring from the medallion's top through the lowest link.
  {
    const Vec3 top = centre + up * (kMedallionRadius * 0.95) + normal * (0.5 * kMedallionThickness);
    const Vec3 mid = 0.5 * (top + hook) + normal * 0.004;
    const Vec3 x = normalized(cross(up, normal));
    const double r = 0.5 * length(hook - top) + 0.01;
    std::vector<std::vector<Vec3>> rings;
    for (int i = 0; i < 16; ++i) {
      const double a = 2 * kPi * i / 16;
      const Vec3 m =
          mid + normalized(hook - top) * (r * std::cos(a)) + normal * (0.6 * r * std::sin(a));
      const Vec3 out = normalized(m - mid);
      std::vector<Vec3> ring;
      for (int j = 0; j < 6; ++j) {
        const double b = 2 * kPi * j / 6;
        ring.push_back(m + out * (0.006 * std::cos(b)) + x * (0.006 * std::sin(b)));
      }
      rings.push_back(ring);
    }
    TubeSpec spec;
    spec.part = part;
    spec.closedPath = true;
    const std::size_t firstTexcoord = d.mesh.texcoords.size();
    addTube(d.mesh, rings, spec);
    for (std::size_t t = firstTexcoord; t < d.mesh.texcoords.size(); ++t)
      d.mesh.texcoords[t] = {0.2, 0.3};
  }
  return d;
}

}  // namespace

NecklaceDesign designNecklace(const Avatar& body, const SurfaceField& skin, double width) {
  // The neck's axis: the middle of the skin a little above its base.
  Neck neck;
  const SkinVertex& base =
      body.skin[std::size_t(2643)];  // record of the neck base's front (kWomanNeckBase)
  {
    Vec3 sum;
    int n = 0;
    for (const SkinVertex& s : body.skin)
      if (std::abs(s.y - (base.y + 0.35)) < 0.04 && std::abs(s.x) < 0.8) {
        sum += Vec3{s.x, s.y, s.z};
        ++n;
      }
    if (n == 0) throw std::runtime_error("wearables: necklace: no neck");
    neck.axis = sum / double(n);
  }
  neck.front = base.y - 0.55;
  // The height at the nape sets how far the chain reaches over the
  // shoulders: found so that the chain is `width` across.
  auto across = [&](double nape) {
    neck.nape = nape;
    const auto path = chainPath(skin, neck, 96);
    double lo = 1e30, hi = -1e30;
    for (const Vec3& p : path) {
      lo = std::min(lo, p.x);
      hi = std::max(hi, p.x);
    }
    return hi - lo + 2 * (kLinkWidth / 2);
  };
  double low = base.y - 0.1, high = base.y + 0.8;
  if (const double wide = across(low), narrow = across(high); !(wide > width && narrow < width))
    throw std::runtime_error(
        "wearables: necklace: no height at the nape gives the chain its width (" +
        std::to_string(narrow) + " to " + std::to_string(wide) + ")");
  // The path's estimate of the width misses the links' turns by a little:
  // the target is corrected by what the built chain measures.
  double target = width;
  NecklaceDesign d;
  for (int attempt = 0; attempt < 6; ++attempt) {
    double lo = low, hi = high;
    for (int i = 0; i < 30; ++i) {
      const double mid = 0.5 * (lo + hi);
      (across(mid) > target ? lo : hi) = mid;
    }
    neck.nape = 0.5 * (lo + hi);
    d = chainOn(skin, chainPath(skin, neck, 96));
    double left = 1e30, right = -1e30;
    for (const Vec3& p : d.mesh.vertices) {
      left = std::min(left, p.x);
      right = std::max(right, p.x);
    }
    if (std::abs(right - left - width) < 5e-5) break;
    target += width - (right - left);
  }
  d.picture = goldPicture();
  return d;
}

}  // namespace vestora::generate::wear
