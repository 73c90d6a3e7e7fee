// Glasses made on the face they are worn on: lenses centred on the eyes a
// little over a centimetre in front of them, tilted and wrapped as frames
// are, a bridge set back onto the nose, nose pads resting on its sides and
// temples that run back clear of the head to hook behind the ears.
//
// The widest point of the glasses is fixed by the program's placement
// (normalised to a width of 1.76 × 0.9 units): the temples are laid out to
// reach exactly that wide where they pass over the ears.
#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "accessories/wear_items.h"

namespace vestora::generate::wear {
namespace {

constexpr double kDegree = kPi / 180;
// The placement's width: 1.76 for the largest extent, times 0.9 across.
constexpr double kHalfWidth = 0.5 * 1.76 * 0.9;
constexpr double kTempleClearance = 0.034;  // temples from the head's sides
constexpr double kLensGap = 0.135;          // from the eye's front to the lens's back

struct FrameShape {
  double lensHalfWidth, lensHalfHeight, roundness;  // a superellipse
  double topWidening;                               // the outline wider at the top by this fraction
  double decentre;                                  // lens centres this much outside the eyes
  double rimWidth, rimDepth, rimInset;  // the rim's section and how far it reaches over the lens
  double bridgeHeight, bridgeDepth;
  double templeFront, templeBack, templeHeightFront, templeHeightBack;
  double padArm;   // the nose pads' arms' radius
  double noseCut;  // how much of the outline the inner lower corner gives up to the nose
};

FrameShape shapeOf(FrameKind kind) {
  if (kind == FrameKind::BoldRectangle)
    return {0.258, 0.192, 3.4,  0.06,  0.03,  0.058, 0.048, 0.014,
            0.046, 0.04,  0.03, 0.012, 0.058, 0.03,  0.011, 0.2};
  return {0.226, 0.226, 2.0,   0.0,   0.014, 0.022, 0.022, 0.009,
          0.016, 0.016, 0.014, 0.012, 0.014, 0.014, 0.005, 0.0};
}

// A lens's frame on the face: its centre and how a point (a outwards, b
// up, in units) of its outline lies in space.
struct LensFrame {
  Vec3 centre;  // the back surface's centre
  double side;  // +1 for the left lens (x > 0), −1 for the right
  Vec3 at(double a, double b, double depth) const {
    constexpr double kTilt = 8 * kDegree, kWrap = 6 * kDegree, kCurve = 1.25;
    const double z =
        b * std::sin(kTilt) - a * std::sin(kWrap) - (a * a + b * b) / (2 * kCurve) + depth;
    return {centre.x + side * a * std::cos(kWrap), centre.y + b * std::cos(kTilt), centre.z + z};
  }
};

double outline(const FrameShape& s, double theta) {
  const double c = std::cos(theta), sn = std::sin(theta);
  const double halfWidth = s.lensHalfWidth * (1 + s.topWidening * sn);
  const double r = std::pow(std::pow(std::abs(c) / halfWidth, s.roundness) +
                                std::pow(std::abs(sn) / s.lensHalfHeight, s.roundness),
                            -1 / s.roundness);
  // The inner lower corner (towards the nose, θ near 1.2π) cut back.
  double t = theta - 2 * kPi * std::floor(theta / (2 * kPi));
  const double d = (t - 1.2 * kPi) / (0.17 * kPi);
  return r * (1 - s.noseCut * std::exp(-d * d));
}

// A superellipse section: cos and sin raised to 2 / n keep their signs.
std::array<double, 2> section(double phi, double n) {
  auto sp = [n](double v) { return (v < 0 ? -1 : 1) * std::pow(std::abs(v), 2 / n); };
  return {sp(std::cos(phi)), sp(std::sin(phi))};
}

constexpr int kRing = 16;

void addLens(WearMesh& mesh, const LensFrame& lens, const FrameShape& s, int part) {
  constexpr int kAround = 72, kRings = 8;
  constexpr double kThickness = 0.018;
  // From the back's centre out, round the edge, and in to the front's centre.
  std::vector<std::vector<int>> rows;
  auto ring = [&](double radiusFraction, double depth) {
    std::vector<int> row;
    for (int k = 0; k < kAround; ++k) {
      const double theta = 2 * kPi * k / kAround;
      const double r = (outline(s, theta) + 0.004) * radiusFraction;
      row.push_back(mesh.addVertex(lens.at(r * std::cos(theta), r * std::sin(theta), depth)));
    }
    return row;
  };
  const int backCentre = mesh.addVertex(lens.at(0, 0, 0));
  rows.push_back(std::vector<int>(kAround, backCentre));
  for (int i = 1; i <= kRings; ++i) rows.push_back(ring(double(i) / kRings, 0));
  for (int i = kRings; i >= 1; --i) rows.push_back(ring(double(i) / kRings, kThickness));
  const int frontCentre = mesh.addVertex(lens.at(0, 0, kThickness));
  rows.push_back(std::vector<int>(kAround, frontCentre));
  // The edge between the two faces is a crease: the faces and the edge
  // get their own normals.
  const int last = int(rows.size()) - 1;
  auto uv = [&](int r, int c) {
    const double t = r <= kRings ? double(r) / kRings : double(last - r) / kRings;
    const double theta = 2 * kPi * c / kAround;
    return std::array<double, 2>{0.5 + 0.5 * t * std::cos(theta), 0.5 - 0.5 * t * std::sin(theta)};
  };
  auto slice = [&](int from, int to) {
    return std::vector<std::vector<int>>(rows.begin() + from, rows.begin() + to + 1);
  };
  const std::size_t first = mesh.parts[std::size_t(part)].triangles.size();
  addGrid(mesh, slice(0, kRings), uv, {part, mesh.newSmoothing(), true, true});
  addGrid(mesh, slice(kRings, kRings + 1), [&](int r, int c) { return uv(kRings + r, c); },
          {part, mesh.newSmoothing(), true, true});
  addGrid(mesh, slice(kRings + 1, last), [&](int r, int c) { return uv(kRings + 1 + r, c); },
          {part, mesh.newSmoothing(), true, true});
  orientOutward(mesh, part, first);
}

// The rim: a loop of the section round the lens's outline.
void addRim(WearMesh& mesh, const LensFrame& lens, const FrameShape& s, int part) {
  constexpr int kAround = 96;
  std::vector<std::vector<Vec3>> rings;
  for (int k = 0; k < kAround; ++k) {
    const double theta = 2 * kPi * k / kAround;
    const double r = outline(s, theta) - s.rimInset + 0.5 * s.rimWidth;
    const Vec3 c = lens.at(r * std::cos(theta), r * std::sin(theta), 0.009);
    // Outwards in the lens's plane, and forwards.
    const double r2 = r + 0.01;
    const Vec3 out = normalized(lens.at(r2 * std::cos(theta), r2 * std::sin(theta), 0.009) - c);
    const Vec3 forward = normalized(lens.at(r * std::cos(theta), r * std::sin(theta), 0.02) - c);
    std::vector<Vec3> ring;
    for (int j = 0; j < kRing; ++j) {
      const auto q = section(2 * kPi * j / kRing, s.roundness > 2.5 ? 4.0 : 2.0);
      ring.push_back(c + out * (0.5 * s.rimWidth * q[0]) + forward * (0.5 * s.rimDepth * q[1]));
    }
    rings.push_back(ring);
  }
  TubeSpec spec;
  spec.part = part;
  spec.closedPath = true;
  addTube(mesh, rings, spec);
}

// A tube of varying section along a smooth path; `size(t)` gives the
// section's width (along the frame's binormal) and height (along its
// normal) at t from 0 to 1.
void addSweep(WearMesh& mesh, const std::vector<Vec3>& path, const Vec3& up,
              const std::function<std::array<double, 2>(double)>& size, double roundness, int part,
              bool keepUp = false) {
  const auto frames = pathFrames(path, up, false, keepUp);
  std::vector<std::vector<Vec3>> rings;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    const double t = double(i) / double(frames.size() - 1);
    const auto wh = size(t);
    std::vector<Vec3> ring;
    for (int j = 0; j < kRing; ++j) {
      const auto q = section(2 * kPi * j / kRing, roundness);
      ring.push_back(frames[i].point + frames[i].binormal * (0.5 * wh[0] * q[0]) +
                     frames[i].normal * (0.5 * wh[1] * q[1]));
    }
    rings.push_back(ring);
  }
  TubeSpec spec;
  spec.part = part;
  addTube(mesh, rings, spec);
}

// An ellipsoid: semi-axes along three directions.
void addPad(WearMesh& mesh, const Vec3& centre, const std::array<Vec3, 3>& axes, int part) {
  constexpr int kAround = 16, kRows = 10;
  std::vector<std::vector<int>> rows;
  for (int r = 0; r <= kRows; ++r) {
    const double polar = kPi * r / kRows;
    std::vector<int> row;
    if (r == 0 || r == kRows) {
      row.assign(kAround, mesh.addVertex(centre + axes[2] * std::cos(polar)));
    } else {
      for (int k = 0; k < kAround; ++k) {
        const double az = 2 * kPi * k / kAround;
        row.push_back(mesh.addVertex(centre + axes[0] * (std::sin(polar) * std::cos(az)) +
                                     axes[1] * (std::sin(polar) * std::sin(az)) +
                                     axes[2] * std::cos(polar)));
      }
    }
    rows.push_back(row);
  }
  const std::size_t first = mesh.parts[std::size_t(part)].triangles.size();
  addGrid(mesh, rows,
          [&](int r, int c) {
            return std::array<double, 2>{double(c) / kAround, double(r) / kRows};
          },
          {part, mesh.newSmoothing(), true, true});
  orientOutward(mesh, part, first);
}

// How far out the head's side reaches at (y, z), measured from the middle.
double headSide(const Face& face, double y, double z) {
  const auto hits = face.head.crossings({0, y, z}, {1, 0, 0}, 1.2);
  return hits.empty() ? 0 : hits.back();
}

// The left half of the glasses (x > 0); the right is its mirror.
void addHalf(WearMesh& mesh, const Face& face, FrameKind kind, const Vec3& hookEnd,
             std::array<Vec3, 2>& lensCentre) {
  const FrameShape s = shapeOf(kind);
  const Vec3 eye = face.eye[1];
  LensFrame lens;
  lens.side = 1;
  lens.centre = {eye.x + s.decentre, eye.y + 0.015, face.eyeFront + kLensGap};
  lensCentre[1] = lens.at(0, 0, 0.009);
  const int frame = mesh.part(" glasses", "frame");
  const int glass = mesh.part(" glasses", "lens");
  const int temple = mesh.part(" glasses", "temple");
  const int pad = mesh.part(" glasses", "pad");
  addLens(mesh, lens, s, glass);
  addRim(mesh, lens, s, frame);

  // The bridge: from the rim's inner side over the nose to the middle,
  // set back so that its underside rests just above the nose.
  {
    const double theta = kPi * 0.93;  // the inner side, a little above the centre
    const double r = outline(s, theta) - s.rimInset + 0.5 * s.rimWidth;
    const Vec3 start = lens.at(r * std::cos(theta), r * std::sin(theta), 0.009);
    const double yMid = start.y + 0.035;
    const auto nose = face.head.crossings({0, yMid, 1.5}, {0, 0, -1}, 1.0);
    const double noseFront = nose.empty() ? start.z - 0.05 : 1.5 - nose.front();
    const double zMid = std::min(start.z, noseFront + 0.016 + 0.5 * s.bridgeDepth);
    std::vector<Vec3> path;
    for (int i = 0; i <= 16; ++i) {
      const double t = double(i) / 16;  // 0 at the rim, 1 in the middle
      const double arch = std::sin(0.5 * kPi * t);
      path.push_back({start.x * (1 - t), start.y + (yMid - start.y) * arch,
                      start.z + (zMid - start.z) * arch});
    }
    // Past the middle a little, so that the two halves overlap.
    path.push_back({-0.004, yMid, zMid});
    addSweep(
        mesh, path, {0, 0, 1},
        [&](double) {
          return std::array<double, 2>{s.bridgeDepth, s.bridgeHeight};
        },
        s.roundness > 2.5 ? 4.0 : 2.0, frame);
  }

  // The nose pad: on the nose's side below the bridge, on an arm from the
  // rim's inner side.
  {
    const double yPad = lens.centre.y - 0.055;
    Vec3 inside{0, yPad, face.eyeFront + 0.02};
    const auto hits = face.head.crossings(inside, normalized(Vec3{1, 0, 0.45}), 0.4);
    if (hits.empty()) throw std::runtime_error("wearables: glasses: no nose for the pads");
    const Vec3 skin = inside + normalized(Vec3{1, 0, 0.45}) * hits.back();
    const auto near = face.head.nearest(skin, 0.1);
    const Vec3 n = near ? near->normal : normalized(Vec3{1, 0, 0.45});
    const double padThickness = kind == FrameKind::BoldRectangle ? 0.016 : 0.012;
    const Vec3 centre = skin + n * (0.013 + 0.5 * padThickness);
    const Vec3 along = normalized(cross(n, Vec3{0, 0, 1}) * -1.0);  // roughly up the nose
    const Vec3 across = normalized(cross(n, along));
    addPad(mesh, centre, {across * 0.034, along * 0.075, n * (0.5 * padThickness)}, pad);
    // The arm from the pad's back to the rim.
    const double theta = kPi * 1.12;
    const double r = outline(s, theta) - s.rimInset + 0.5 * s.rimWidth;
    const Vec3 rim = lens.at(r * std::cos(theta), r * std::sin(theta), 0.009);
    const Vec3 back = centre + n * (0.5 * padThickness);
    std::vector<Vec3> arm{back, lerp(back, rim, 0.5) + Vec3{0.012, 0, 0.02}, rim};
    addSweep(
        mesh, catmullRom(arm, 6, false), {0, 1, 0},
        [&](double) {
          return std::array<double, 2>{2 * s.padArm, 2 * s.padArm};
        },
        2.0, pad);
  }

  // The temple: from the rim's outer top through the hinge, back along the
  // head's side, over the ear and down behind it.
  {
    const double theta = 0.1;
    const double r = outline(s, theta) - s.rimInset + 0.5 * s.rimWidth;
    const Vec3 start = lens.at(r * std::cos(theta) - 0.01, r * std::sin(theta) + 0.05, 0.009);
    const double ear = -0.15;                       // z of the bend over the ear
    const double bendY = eye.y + 0.28 + hookEnd.y;  // height of the bend
    const double hingeY = start.y + 0.02;
    std::vector<Vec3> control{start,
                              {start.x + 0.06, hingeY, start.z - 0.05},
                              {0, hingeY + 0.03, 0.45},
                              {0, 0.5 * (hingeY + bendY) + 0.05, 0.12},
                              {0, bendY, ear},
                              {0, bendY - 0.08, ear - 0.15},
                              {0, bendY - 0.22, ear - 0.235 + hookEnd.z * 0.6},
                              {0, bendY - 0.33, ear - 0.26 + hookEnd.z}};
    // Section sizes along the temple (x-thickness, height).
    auto size = [&](double t) {
      const double front = std::max(0.0, 1 - t / 0.12);
      const double tip = std::max(0.0, (t - 0.8) / 0.2);
      const double w = s.templeBack + (s.templeFront - s.templeBack) * front * front + 0.008 * tip;
      const double h =
          s.templeHeightBack + (s.templeHeightFront - s.templeHeightBack) * front + 0.006 * tip;
      return std::array<double, 2>{w, h};
    };
    // The outer x of the straight part: the widest point of the glasses.
    const double outer = kHalfWidth - 0.5 * size(0.55)[0];
    for (std::size_t i = 2; i < control.size(); ++i) {
      Vec3& c = control[i];
      const double want = headSide(face, c.y, c.z) + kTempleClearance + 0.5 * size(0.6)[0];
      c.x = i <= 4 ? outer : std::min(outer - 0.012 * double(i - 4), std::max(want, 0.0));
    }
    control[2].x = 0.5 * (control[1].x + outer);
    std::vector<Vec3> path = catmullRom(control, 12, false);
    // Never wider than the straight part, and clear of the head everywhere.
    for (Vec3& p : path) p.x = std::min(p.x, outer);
    for (std::size_t i = 8; i < path.size(); ++i) {
      const double t = double(i) / double(path.size() - 1);
      const double want =
          headSide(face, path[i].y, path[i].z) + kTempleClearance + 0.5 * size(t)[0];
      if (want > kHalfWidth - 0.5 * size(t)[0] + 1e-9)
        throw std::runtime_error("wearables: glasses: the head is too wide for the temples");
      path[i].x = std::max(path[i].x, want);
      // Where the head's side turns away (behind the ear) the gap across
      // is not the gap: push out along the head's normal until it is.
      const auto wh = size(t);
      const double reach = 0.5 * std::max(wh[0], wh[1]);
      for (int pass = 0; pass < 4; ++pass) {
        const auto near = face.head.nearest(path[i], 0.4);
        if (!near) break;
        const double gap = near->distance - reach;
        if (gap >= kTempleClearance + 0.001) break;
        path[i] += near->normal * (kTempleClearance + 0.0015 - gap);
        path[i].x = std::min(path[i].x, kHalfWidth - 0.5 * wh[0]);
      }
    }
    const std::size_t first = mesh.vertices.size();
    addSweep(mesh, path, {0, 1, 0}, size, s.roundness > 2.5 ? 3.0 : 2.0, temple, true);
    // The widest vertex exactly at the placement's half width: the part
    // behind the hinge moves across by the little that is missing.
    double widest = 0;
    for (std::size_t v = first; v < mesh.vertices.size(); ++v)
      widest = std::max(widest, mesh.vertices[v].x);
    const double missing = kHalfWidth - widest;
    for (std::size_t v = first; v < mesh.vertices.size(); ++v) {
      Vec3& p = mesh.vertices[v];
      p.x += missing * ramp(0.6, 0.3, p.z);
    }
  }
}

}  // namespace

Face measureFace(const Avatar& body) {
  Face f;
  const GlmModel& m = body.model();
  std::array<Vec3, 2> sum{};
  std::array<int, 2> count{};
  f.eyeFront = -1e30;
  for (const GlmGroup& g : m.groups) {
    if (g.name != " Eye" && g.name != " Eyes") continue;
    std::vector<char> seen(m.vertexCount() + 1, 0);
    for (std::uint32_t t : g.triangles)
      for (std::uint32_t v : m.triangles[t].vindices) {
        if (seen[v]) continue;
        seen[v] = 1;
        const float* p = m.vertex(v);
        const int side = p[0] > 0 ? 1 : 0;
        sum[std::size_t(side)] += Vec3{p[0], p[1], p[2]};
        ++count[std::size_t(side)];
        f.eyeFront = std::max(f.eyeFront, double(p[2]));
      }
  }
  if (count[0] == 0 || count[1] == 0)
    throw std::runtime_error("wearables: the body has no eyes to fit glasses to");
  for (int k = 0; k < 2; ++k) {
    f.eye[std::size_t(k)] = sum[std::size_t(k)] / double(count[std::size_t(k)]);
    f.eye[std::size_t(k)].z = f.eyeFront;
  }
  double top = -1e30;
  for (const SkinVertex& s : body.skin) top = std::max(top, double(s.y));
  f.headTop = top;
  const double chin = f.eye[0].y - 1.2;
  f.head = SurfaceField::ofBody(
      body, [&](const Vec3& p) { return p.y > chin; }, 0.03);
  return f;
}

GlassesDesign designGlasses(const Face& face, FrameKind kind, const Vec3& hookEnd) {
  GlassesDesign d;
  WearMesh left;
  addHalf(left, face, kind, hookEnd, d.lensCentre);
  WearMesh right = left;
  right.transform([](const Vec3& p) { return Vec3{-p.x, p.y, p.z}; });
  right.flip();
  d.lensCentre[0] = {-d.lensCentre[1].x, d.lensCentre[1].y, d.lensCentre[1].z};
  d.mesh = std::move(right);
  d.mesh.append(left);
  return d;
}

std::vector<WearMaterial> glassesMaterials(FrameKind kind) {
  const bool bold = kind == FrameKind::BoldRectangle;
  WearMaterial frame{"frame",
                     bold ? std::array<float, 4>{0.05f, 0.05f, 0.06f, 1}
                          : std::array<float, 4>{0.72f, 0.62f, 0.42f, 1},
                     {0.5f, 0.5f, 0.5f, 1},
                     bold ? 60.0f : 90.0f};
  WearMaterial lens{"lens", {0.85f, 0.9f, 0.95f, 0.3f}, {0.9f, 0.9f, 0.9f, 1}, 110.0f};
  WearMaterial temple = frame;
  temple.name = "temple";
  WearMaterial pad = frame;
  pad.name = "pad";
  return {frame, lens, temple, pad};
}

}  // namespace vestora::generate::wear
