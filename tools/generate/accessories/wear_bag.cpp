// A structured leather handbag hanging from the left forearm of the bag
// pose: two rolled handles go over the forearm, side by side along it,
// and the bag hangs straight below them in front of the thigh. Every
// handle's arch runs round the forearm a little off the skin; the bag's
// body keeps clear of the hip, the thigh and the arm.
#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "accessories/wear_items.h"

namespace vestora::generate::wear {
namespace {

// Sizes in model units (the file is written in centimetres).
constexpr double kBottomWidth = 2.5, kTopWidth = 2.2, kBottomDepth = 1.0, kTopDepth = 0.78;
constexpr double kHeight = 1.85, kEdgeRound = 0.12;
constexpr double kHandleDrop = 0.95;    // from the forearm's top down to the bag's top
constexpr double kHandleSpread = 0.55;  // half the distance between a handle's ends
constexpr double kHandleApart = 0.13;   // each handle's plane from the middle, along the forearm
constexpr double kHandleWidth = 0.1, kHandleThickness = 0.065;
constexpr double kHandleGap = 0.012;  // between the forearm's top and the handle
constexpr double kSeatAlong = 0.72;   // z of the forearm's middle where the bag hangs

// Regions of the picture (v from the top).
constexpr double kBodyV0 = 0.0, kBodyV1 = 0.7, kHandleV0 = 0.72, kHandleV1 = 0.86, kMetalV0 = 0.88,
                 kMetalV1 = 1.0;

struct Hanging {
  Vec3 centre;         // the forearm's middle where the bag hangs
  Vec3 along, across;  // horizontal: along the forearm, and across it (outwards)
};

Hanging measureForearm(const Avatar& body) {
  const std::vector<int>& forearm = body.limbGroups[9];  // LeftForeArm
  if (forearm.empty())
    throw std::runtime_error("wearables: bag: the body has no left forearm group");
  auto sliceCentre = [&](double z) {
    Vec3 sum;
    int n = 0;
    for (int v : forearm) {
      const SkinVertex& s = body.skin[std::size_t(v)];
      if (std::abs(s.z - z) < 0.06) {
        sum += Vec3{s.x, s.y, s.z};
        ++n;
      }
    }
    if (n < 4)
      throw std::runtime_error("wearables: bag: the forearm does not reach where the bag hangs");
    return sum / double(n);
  };
  Hanging h;
  h.centre = sliceCentre(kSeatAlong);
  const Vec3 axis = sliceCentre(kSeatAlong + 0.3) - sliceCentre(kSeatAlong - 0.3);
  h.along = normalized(Vec3{axis.x, 0, axis.z});
  h.across = normalized(cross({0, 1, 0}, h.along));
  return h;
}

// The forearm's top over a point: the highest skin crossing straight below.
double topOver(const SurfaceField& skin, const Vec3& p) {
  const Vec3 from = p + Vec3{0, 1.0, 0};
  const auto hits = skin.crossings(from, {0, -1, 0}, 1.6);
  return hits.empty() ? -1e30 : from.y - hits.front();
}

// A superellipse ring of half sizes (w across, d along) round c.
std::vector<Vec3> ringAt(const Hanging& h, const Vec3& c, double w, double d, int count) {
  std::vector<Vec3> ring;
  for (int k = 0; k < count; ++k) {
    // From the back's middle, round by the outside to the front.
    const double a = 2 * kPi * k / count;
    const double ca = std::cos(a), sa = std::sin(a);
    auto sp = [](double v) { return (v < 0 ? -1 : 1) * std::pow(std::abs(v), 0.5); };
    ring.push_back(c - h.along * (d * sp(ca)) + h.across * (w * sp(sa)));
  }
  return ring;
}

struct BodyGrid {
  std::vector<std::vector<Vec3>> rows;  // bottom pole to top pole
  std::vector<double> height;           // of each row above the bottom, for the picture
};

BodyGrid bagBody(const Hanging& h, const Vec3& bottom) {
  constexpr int kAround = 72;
  BodyGrid g;
  auto width = [](double y) {
    return 0.5 * (kBottomWidth + (kTopWidth - kBottomWidth) * y / kHeight);
  };
  auto depth = [](double y) {
    return 0.5 * (kBottomDepth + (kTopDepth - kBottomDepth) * y / kHeight) *
           (1 + 0.06 * std::sin(kPi * y / kHeight));
  };
  auto add = [&](double y, double inset) {
    g.rows.push_back(ringAt(h, bottom + Vec3{0, y, 0}, std::max(1e-4, width(y) - inset),
                            std::max(1e-4, depth(y) - inset), kAround));
    g.height.push_back(y);
  };
  // The bottom: a flat face filled from its middle, then the rounded edge.
  g.rows.push_back(std::vector<Vec3>(kAround, bottom));
  g.height.push_back(0);
  for (int i = 1; i <= 4; ++i) {
    const double t = double(i) / 4;
    g.rows.push_back(
        ringAt(h, bottom, t * (width(0) - kEdgeRound), t * (depth(0) - kEdgeRound), kAround));
    g.height.push_back(0);
  }
  for (int i = 1; i <= 4; ++i) {
    const double a = 0.5 * kPi * i / 4;
    add(kEdgeRound * (1 - std::cos(a)), kEdgeRound * (1 - std::sin(a)));
  }
  for (int i = 1; i < 14; ++i) add(kEdgeRound + (kHeight - 2 * kEdgeRound) * i / 14, 0);
  for (int i = 0; i <= 4; ++i) {
    const double a = 0.5 * kPi * i / 4;
    add(kHeight - kEdgeRound + kEdgeRound * std::sin(a), kEdgeRound * (1 - std::cos(a)));
  }
  const Vec3 top = bottom + Vec3{0, kHeight, 0};
  for (int i = 3; i >= 1; --i) {
    const double t = double(i) / 4;
    g.rows.push_back(ringAt(h, top, t * (width(kHeight) - kEdgeRound),
                            t * (depth(kHeight) - kEdgeRound), kAround));
    g.height.push_back(kHeight);
  }
  g.rows.push_back(std::vector<Vec3>(kAround, top));
  g.height.push_back(kHeight);
  return g;
}

void addRing(WearMesh& mesh, const Vec3& c, const Vec3& normal, const Vec3& in, double radius,
             double wire, int part) {
  const Vec3 x = normalized(in), y = normalized(cross(normal, x));
  std::vector<std::vector<Vec3>> rings;
  for (int i = 0; i < 20; ++i) {
    const double a = 2 * kPi * i / 20;
    // A D: straight on the side towards the bag.
    const Vec3 m = c + x * (radius * std::max(-0.55, std::cos(a))) + y * (radius * std::sin(a));
    const Vec3 out = normalized(x * std::cos(a) + y * std::sin(a));
    std::vector<Vec3> ring;
    for (int j = 0; j < 8; ++j) {
      const double b = 2 * kPi * j / 8;
      ring.push_back(m + out * (wire * std::cos(b)) + normal * (wire * std::sin(b)));
    }
    rings.push_back(ring);
  }
  TubeSpec spec;
  spec.part = part;
  spec.closedPath = true;
  const std::size_t firstTexcoord = mesh.texcoords.size();
  addTube(mesh, rings, spec);
  for (std::size_t t = firstTexcoord; t < mesh.texcoords.size(); ++t)
    mesh.texcoords[t] = {0.1 + 0.8 * mesh.texcoords[t][0],
                         kMetalV0 + (kMetalV1 - kMetalV0) * (0.2 + 0.6 * mesh.texcoords[t][1])};
}

Image bagPicture(const BodyGrid& g, const Hanging& h, const Vec3& bottom) {
  constexpr int kSize = 512;
  Image image(kSize, kSize);
  const Colour cognac = rgb(150, 84, 44), piping = rgb(92, 48, 26), thread = rgb(232, 200, 150);
  const Colour gold = rgb(214, 170, 80), lining = rgb(70, 40, 26);
  const int rows = int(g.rows.size()), n = int(g.rows[0].size());
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      const double u = (x + 0.5) / kSize, v = (y + 0.5) / kSize;
      Colour c;
      if (v < kBodyV1 + 0.01) {
        // A point of the body: its height, and where it lies round it.
        const double rf =
            std::clamp((v - kBodyV0) / (kBodyV1 - kBodyV0) * (rows - 1), 0.0, rows - 1.0);
        const int r0 = std::min(int(rf), rows - 2);
        const double fr = rf - r0, cf = u * n;
        const int c0 = std::min(int(cf), n - 1), c1 = (c0 + 1) % n;
        const double fc = cf - c0;
        const Vec3 p = (g.rows[std::size_t(r0)][std::size_t(c0)] * (1 - fc) +
                        g.rows[std::size_t(r0)][std::size_t(c1)] * fc) *
                           (1 - fr) +
                       (g.rows[std::size_t(r0 + 1)][std::size_t(c0)] * (1 - fc) +
                        g.rows[std::size_t(r0 + 1)][std::size_t(c1)] * fc) *
                           fr;
        const Vec3 q = p - bottom;
        const double across = dot(q, h.across), along = dot(q, h.along), height = q.y;
        const double a = 2 * kPi * u;  // 0 at the back, π/2 outside, π at the front
        c = shade(cognac,
                  0.82 + 0.18 * leatherGrain(p, 0.035, 101) + 0.05 * fractal(p * 5.0, 102, 3));
        // Piping down the four corners and round the top and the bottom.
        for (double corner : {0.25 * kPi, 0.75 * kPi, 1.25 * kPi, 1.75 * kPi}) {
          const double d = std::abs(a - corner) * 0.45;  // roughly units round the bag
          if (d < 0.012) c = shade(piping, 0.9 + 0.1 * std::cos(d / 0.012 * kPi));
          c = mix(c, thread, 0.8 * stitch(height, d - 0.03, 0.04, 0.005));
        }
        if (height > 0.02 && height < kHeight - 0.02) {
          c = mix(c, thread, 0.8 * stitch(across + along, height - 0.06, 0.04, 0.005));
          c = mix(c, thread, 0.8 * stitch(across + along, kHeight - 0.06 - height, 0.04, 0.005));
        }
        const bool front = std::cos(a)<-0.5, backFace = std::cos(a)> 0.5;
        if (front || backFace) {
          // A pocket with a stitched border; a gold plate on the front's.
          const double px = std::abs(across), py = height;
          const bool inPocket = px < 0.78 && py > 0.45 && py < 1.3;
          if (inPocket) c = shade(c, 0.97 - 0.15 * ramp(1.22, 1.3, py));
          c = mix(c, thread, 0.8 * stitch(py, std::abs(px - 0.72), 0.04, 0.005));
          if (py > 0.45 && py < 1.3)
            c = mix(c, thread, 0.8 * stitch(px, std::abs(py - 0.51), 0.04, 0.005));
          if (front && px < 0.2 && std::abs(py - 1.2) < 0.09) {
            const double edge = std::min(0.2 - px, 0.09 - std::abs(py - 1.2));
            c = shade(gold, 0.8 + 0.3 * ramp(0.0, 0.03, edge) + 0.15 * std::cos(px * 9));
          }
        }
        if (height > kHeight - 0.005) {
          // The top: a zip between two leather lips.
          if (std::abs(along) < 0.05) {
            c = std::abs(along) < 0.02
                    ? shade(gold, 0.7 + 0.3 * (std::sin(across * 220) > 0 ? 1 : 0))
                    : shade(lining, 1.2);
          }
        }
        if (height < 0.005) c = shade(c, 0.75);
      } else if (v < kMetalV0 - 0.01) {
        // The handles: smooth leather, stitched along both edges, with
        // painted edges.
        const double t = std::clamp((v - kHandleV0) / (kHandleV1 - kHandleV0), 0.0, 1.0);
        c = shade(cognac, 0.9 + 0.1 * leatherGrain({u * 8, t, 0}, 0.02, 103));
        const double side = std::abs(std::sin(2 * kPi * t));
        c = mix(c, piping, ramp(0.25, 0.05, side));
        c = mix(c, thread,
                0.8 * stitch(u * 20, std::min(std::abs(t - 0.35), std::abs(t - 0.65)) * 0.2, 0.04,
                             0.005));
      } else {
        // Polished gold for the rings.
        const double t = (v - kMetalV0) / (kMetalV1 - kMetalV0);
        c = mix(rgb(150, 105, 40), rgb(255, 226, 150),
                0.5 + 0.5 * std::sin(2 * kPi * (t * 2 + u * 0.5)));
      }
      image.at(x, y) = c;
    }
  return image;
}

}  // namespace

BagDesign designBag(const Avatar& body, const SurfaceField& skin) {
  const Hanging h = measureForearm(body);
  BagDesign d;
  const int leather = d.mesh.part(" bag", "leather");
  const int handles = d.mesh.part(" bag", "handle");
  const int metal = d.mesh.part(" bag", "metal");

  // Where the forearm's top is, under each handle's plane.
  double forearmTop = -1e30;
  for (double side : {-1.0, 1.0})
    for (double a = -0.3; a <= 0.3; a += 0.02)
      forearmTop = std::max(
          forearmTop, topOver(skin, h.centre + h.along * (side * kHandleApart) + h.across * a));
  if (forearmTop < -1e29) throw std::runtime_error("wearables: bag: no forearm under the handles");
  const double apex = forearmTop + kHandleGap + 0.5 * kHandleThickness;
  const double bagTop = apex - kHandleDrop;
  const Vec3 bottom{h.centre.x, bagTop - kHeight, h.centre.z};

  int seat = -1;
  for (double side : {-1.0, 1.0}) {
    const Vec3 plane = h.centre + h.along * (side * kHandleApart);
    // The arch in its plane: (across, height) control points.
    const double yb = bagTop - 0.04;
    std::vector<std::array<double, 2>> arch{
        {-kHandleSpread, yb}, {-kHandleSpread * 0.9, yb + 0.4}, {-0.33, apex - 0.13}, {0, apex},
        {0.33, apex - 0.13},  {kHandleSpread * 0.9, yb + 0.4},  {kHandleSpread, yb}};
    std::vector<Vec3> control;
    for (const auto& c : arch) control.push_back(Vec3{plane.x, c[1], plane.z} + h.across * c[0]);
    std::vector<Vec3> path = catmullRom(control, 10, false);
    // Over the forearm every point of the arch keeps its gap.
    for (Vec3& p : path) {
      const double top = topOver(skin, p);
      const double need = top + kHandleGap + 0.5 * kHandleThickness;
      if (top > -1e29 && p.y < need && p.y > bagTop) p.y = need;
    }
    // Where the arch turns down the forearm's sides, the skin is nearest
    // across rather than below: the arch keeps its gap there too.
    constexpr double kClear = kHandleGap + 0.5 * std::max(kHandleWidth, kHandleThickness) + 0.004;
    for (int pass = 0; pass < 4; ++pass)
      for (Vec3& p : path)
        if (const auto near = skin.nearest(p, 0.3); near && near->distance < kClear && p.y > bagTop)
          p += near->normal * (kClear - near->distance);
    const auto frames = pathFrames(path, h.along, false, true);
    std::vector<std::vector<Vec3>> rings;
    for (const PathFrame& f : frames) {
      std::vector<Vec3> ring;
      for (int j = 0; j < 12; ++j) {
        const double b = 2 * kPi * j / 12;
        ring.push_back(f.point + f.binormal * (0.5 * kHandleThickness * std::cos(b)) +
                       f.normal * (0.5 * kHandleWidth * std::sin(b)));
      }
      rings.push_back(ring);
    }
    TubeSpec spec;
    spec.part = handles;
    const std::size_t firstTexcoord = d.mesh.texcoords.size();
    const int first = addTube(d.mesh, rings, spec);
    for (std::size_t t = firstTexcoord; t < d.mesh.texcoords.size(); ++t)
      d.mesh.texcoords[t] = {d.mesh.texcoords[t][0],
                             kHandleV0 + (kHandleV1 - kHandleV0) * d.mesh.texcoords[t][1]};
    if (side < 0) {
      // The seat: the inside of this handle's arch at its top.
      const std::size_t apexRing = path.size() / 2;
      double lowest = 1e30;
      for (int j = 0; j < 12; ++j) {
        const int v = first + int(apexRing) * 12 + j;
        if (d.mesh.vertices[std::size_t(v)].y < lowest) {
          lowest = d.mesh.vertices[std::size_t(v)].y;
          seat = v;
        }
      }
    }
    // Gold D-rings where the handle meets the bag.
    for (double end : {-1.0, 1.0}) {
      const Vec3 foot = Vec3{plane.x, bagTop + 0.05, plane.z} + h.across * (end * kHandleSpread);
      addRing(d.mesh, foot, h.along, {0, 1, 0}, 0.06, 0.012, metal);
    }
  }

  BodyGrid g = bagBody(h, bottom);
  std::vector<std::vector<int>> index;
  for (const auto& row : g.rows) {
    std::vector<int> ids;
    if (&row == &g.rows.front() || &row == &g.rows.back()) {
      ids.assign(row.size(), d.mesh.addVertex(row[0]));
    } else {
      for (const Vec3& p : row) ids.push_back(d.mesh.addVertex(p));
    }
    index.push_back(ids);
  }
  const std::size_t firstTriangle = d.mesh.parts[std::size_t(leather)].triangles.size();
  const int rows = int(index.size());
  addGrid(d.mesh, index,
          [&](int r, int c) {
            return std::array<double, 2>{double(c) / double(index[0].size()),
                                         kBodyV0 + (kBodyV1 - kBodyV0) * r / (rows - 1)};
          },
          {leather, d.mesh.newSmoothing(), true, true});
  orientOutward(d.mesh, leather, firstTriangle);
  d.mesh.swapVertices(0, seat);
  d.picture = bagPicture(g, h, bottom);
  return d;
}

}  // namespace vestora::generate::wear
