#include "body/figure_model.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <stdexcept>
#include <string>
#include <tuple>

#include "body/skin_layout.h"

namespace vestora::generate {
namespace {

constexpr double kPi = 3.14159265358979323846;

// A UV sphere: rings of vertices between two poles.
Mesh sphere(const Vec3& centre, double radius, int rings, int segments) {
  Mesh m;
  m.positions.push_back(centre + Vec3{0, radius, 0});
  for (int i = 1; i < rings; ++i) {
    const double theta = kPi * i / rings;
    for (int j = 0; j < segments; ++j) {
      const double phi = 2 * kPi * j / segments;
      m.positions.push_back(centre + Vec3{radius * std::sin(theta) * std::sin(phi),
                                          radius * std::cos(theta),
                                          radius * std::sin(theta) * std::cos(phi)});
    }
  }
  m.positions.push_back(centre - Vec3{0, radius, 0});
  const int south = static_cast<int>(m.positions.size()) - 1;
  auto at = [&](int ring, int seg) { return 1 + ring * segments + (seg % segments); };
  for (int j = 0; j < segments; ++j) {
    m.triangles.push_back({0, at(0, j), at(0, j + 1)});
    for (int i = 0; i + 2 < rings; ++i) {
      m.triangles.push_back({at(i, j), at(i + 1, j), at(i + 1, j + 1)});
      m.triangles.push_back({at(i, j), at(i + 1, j + 1), at(i, j + 1)});
    }
    m.triangles.push_back({south, at(rings - 2, j + 1), at(rings - 2, j)});
  }
  orientConsistently(m);
  return m;
}

// An upper-lash strip over an eyeball: roots along the upper lid, tips
// curling forward and up. Rows: roots then tips, `n` + 1 points each.
Mesh lashStrip(const Vec3& eye, double radius, bool left, int n = 8) {
  Mesh m;
  const double side = left ? 1 : -1;
  const double lid = 32 * kPi / 180;
  for (int row = 0; row < 2; ++row)
    for (int i = 0; i <= n; ++i) {
      const double t = double(i) / n;
      const double sweep = (-50 + 105 * t) * kPi / 180 * side;  // inner corner to outer corner
      const double rise = lid * (1 - 0.35 * std::pow(2 * t - 1, 2));
      const Vec3 out{std::sin(sweep) * std::cos(rise), std::sin(rise),
                     std::cos(sweep) * std::cos(rise)};
      const Vec3 root = eye + out * (radius * 1.06);
      const double length = radius * (0.55 + 0.35 * std::sin(kPi * t));
      const Vec3 tip = root + normalized(out * 0.7 + Vec3{0, 0.75, 0.25}) * length;
      m.positions.push_back(row == 0 ? root : tip);
    }
  for (int i = 0; i < n; ++i) {
    const int a = i, b = i + 1, c = n + 1 + i, d = n + 2 + i;
    if (left) {
      m.triangles.push_back({a, b, d});
      m.triangles.push_back({a, d, c});
    } else {
      m.triangles.push_back({a, d, b});
      m.triangles.push_back({a, c, d});
    }
  }
  return m;
}

int nearestVertex(const Mesh& m, const Vec3& p) {
  int best = 0;
  double bestD = 1e300;
  for (int i = 0; i < static_cast<int>(m.positions.size()); ++i) {
    const double d = dot(m.positions[i] - p, m.positions[i] - p);
    if (d < bestD) bestD = d, best = i;
  }
  return best;
}

}  // namespace

std::vector<Vec3> FigureModel::restPositions() const {
  std::vector<Vec3> all = body.positions;
  all.insert(all.end(), eyes.positions.begin(), eyes.positions.end());
  all.insert(all.end(), lashes.positions.begin(), lashes.positions.end());
  return all;
}

bool FigureModel::headTriangle(int t) const {
  const Triangle& tri = body.triangles[t];
  const Vec3 c = (body.positions[tri[0]] + body.positions[tri[1]] + body.positions[tri[2]]) / 3.0;
  // The seam runs under the jaw at the front and at the hairline behind.
  const double chin = shape.headTop.y - shape.head.headHeight;
  const double front = shape.headTop.z + shape.head.headHeight * 0.1;
  return c.y > chin + 0.8 - 0.22 * (c.z - front) * (c.z < front ? 1.0 : 0.55);
}

FigureModel buildFigureModel(const FigureShape& shape, double spacing, BaseMeshReport* report) {
  FigureModel f;
  f.shape = shape;
  f.rig = rigFor(shape);
  f.body = buildBaseMesh(shape, spacing, report);
  // Exactly the intended standing height, the soles on the floor.
  double floor = 1e300, top = -1e300;
  for (const Vec3& p : f.body.positions) floor = std::min(floor, p.y), top = std::max(top, p.y);
  const double stretch = shape.headTop.y / (top - floor);
  for (Vec3& p : f.body.positions) p.y = (p.y - floor) * stretch;
  const BodyField field = buildField(shape);
  f.parts.reserve(f.body.positions.size());
  for (const Vec3& p : f.body.positions) f.parts.push_back(field.nearestPart(p));

  const Vec3 eye = eyeCentre(shape);
  const double r = shape.head.eyeRadius;
  for (bool left : {true, false}) {
    const Vec3 c = left ? eye : mirrorX(eye);
    f.eyes.append(sphere(c, r, 9, 14));
    f.lashes.append(lashStrip(c, r, left));
  }
  for (const Vec3& p : f.eyes.positions) f.follows.push_back(nearestVertex(f.body, p));
  for (const Vec3& p : f.lashes.positions) f.follows.push_back(nearestVertex(f.body, p));

  std::vector<Part> allParts = f.parts;
  allParts.resize(f.modelVertices(), Part::Head);
  f.weights = skinWeights(f.restPositions(), allParts, f.rig);
  return f;
}

void renumberBody(FigureModel& f, const FixedPlacement& placement) {
  const int n = f.bodyVertices();
  // Coherent order: from the top of the body down, in slices of 2 cm,
  // across each slice by angle round the vertical axis.
  std::vector<int> order(n);
  std::iota(order.begin(), order.end(), 0);
  auto sliceOf = [&](int v) { return static_cast<int>(std::floor(-f.body.positions[v].y / 2.0)); };
  std::sort(order.begin(), order.end(), [&](int a, int b) {
    const int sa = sliceOf(a), sb = sliceOf(b);
    if (sa != sb) return sa < sb;
    const double aa = std::atan2(f.body.positions[a].x, f.body.positions[a].z);
    const double ab = std::atan2(f.body.positions[b].x, f.body.positions[b].z);
    return aa < ab || (aa == ab && a < b);
  });
  std::vector<int> newIndex(n, -1), oldAt(n, -1);
  for (const auto& [to, from] : placement.vertices) {
    if (to < 0 || to >= n || from < 0 || from >= n)
      throw std::runtime_error("renumbering: fixed vertex " + std::to_string(to) +
                               " is out of range");
    // Two fixed numbers may name one vertex (the girl's head top and hair
    // seat): the first placed keeps the place.
    if (oldAt[to] >= 0) continue;
    if (newIndex[from] >= 0)
      throw std::runtime_error("renumbering: one vertex is asked for at " +
                               std::to_string(newIndex[from]) + " and at " + std::to_string(to));
    newIndex[from] = to;
    oldAt[to] = from;
  }
  int next = 0;
  for (int v : order) {
    if (newIndex[v] >= 0) continue;
    while (oldAt[next] >= 0) ++next;
    newIndex[v] = next;
    oldAt[next] = v;
  }
  Mesh body;
  body.positions.resize(n);
  std::vector<Part> parts(n);
  std::vector<VertexWeights> weights = f.weights;
  for (int v = 0; v < n; ++v) {
    body.positions[newIndex[v]] = f.body.positions[v];
    parts[newIndex[v]] = f.parts[v];
    weights[newIndex[v]] = f.weights[v];
  }
  for (int& follow : f.follows) follow = newIndex[follow];

  // Triangles: by their smallest new vertex number, fixed ones in their places.
  const int t = static_cast<int>(f.body.triangles.size());
  std::vector<Triangle> renamed(t);
  for (int i = 0; i < t; ++i)
    for (int c = 0; c < 3; ++c) renamed[i][c] = newIndex[f.body.triangles[i][c]];
  std::vector<int> triangleOrder(t);
  std::iota(triangleOrder.begin(), triangleOrder.end(), 0);
  std::sort(triangleOrder.begin(), triangleOrder.end(), [&](int a, int b) {
    const int ma = *std::min_element(renamed[a].begin(), renamed[a].end());
    const int mb = *std::min_element(renamed[b].begin(), renamed[b].end());
    return ma < mb || (ma == mb && a < b);
  });
  std::vector<int> triangleAt(t, -1), placed(t, -1);
  for (const auto& [to, from] : placement.triangles) {
    triangleAt[to] = from;
    placed[from] = to;
  }
  int nextTriangle = 0;
  for (int i : triangleOrder) {
    if (placed[i] >= 0) continue;
    while (triangleAt[nextTriangle] >= 0) ++nextTriangle;
    triangleAt[nextTriangle] = i;
    placed[i] = nextTriangle;
  }
  body.triangles.resize(t);
  for (int i = 0; i < t; ++i) body.triangles[placed[i]] = renamed[i];
  f.body = std::move(body);
  f.parts = std::move(parts);
  f.weights = std::move(weights);
}

std::vector<Vec3> withFollowers(const FigureModel& f, const std::vector<Vec3>& restAll,
                                const std::vector<Vec3>& body) {
  std::vector<Vec3> all = body;
  const int n = f.bodyVertices();
  for (std::size_t i = 0; i < f.follows.size(); ++i) {
    const int b = f.follows[i];
    all.push_back(restAll[n + i] + (body[b] - restAll[b]));
  }
  return all;
}

namespace {

// Distance from p to a polyline, and the index of the segment nearest it.
double toPolyline(const std::vector<Vec3>& line, const Vec3& p, int& segment) {
  double best = 1e300;
  for (std::size_t i = 0; i + 1 < line.size(); ++i) {
    const Vec3 d = line[i + 1] - line[i];
    const double t = std::clamp(dot(p - line[i], d) / dot(d, d), 0.0, 1.0);
    const double distance = length(p - (line[i] + d * t));
    if (distance < best) best = distance, segment = static_cast<int>(i);
  }
  return best;
}

}  // namespace

std::vector<Vec3> withFingersCurled(const FigureModel& f, const std::vector<Vec3>& positions,
                                    bool left, double grip) {
  std::vector<Vec3> out = positions;
  const HandFrame h = handFrame(f.shape, left);
  std::vector<HandFrame::Finger> fingers;
  for (int i = 0; i < 4; ++i) fingers.push_back(h.finger(i));
  fingers.push_back(h.thumb());
  // Bend at each joint of a finger (degrees, at full grip); the thumb's
  // first point is its root in the palm, which stays.
  static const double kFingerBend[4] = {0, 55, 65, 35};
  static const double kThumbBend[4] = {0, 15, 25, 0};
  const Part part = left ? Part::ArmLeft : Part::ArmRight;
  for (int v = 0; v < f.bodyVertices(); ++v) {
    if (f.parts[v] != part) continue;
    const Vec3 p = f.body.positions[v];  // the rest shape decides the finger
    if (dot(p - h.wrist, h.along) < h.palmLength * 0.6) continue;
    int which = -1, segment = 0;
    double nearest = 1e300;
    for (int i = 0; i < 5; ++i) {
      int s = 0;
      const double d = toPolyline(fingers[i].axis, p, s) / fingers[i].radii[std::size_t(s)];
      if (d < nearest) nearest = d, which = i, segment = s;
    }
    if (which < 0 || nearest > 2.2) continue;
    const HandFrame::Finger& finger = fingers[std::size_t(which)];
    const double* bend = which < 4 ? kFingerBend : kThumbBend;
    // The joints from the tip back: each turns what lies beyond it about
    // the axis across the finger, fully a little past the joint.
    Vec3 q = positions[std::size_t(v)];
    const double r = finger.radii[std::size_t(segment)];
    for (int j = static_cast<int>(finger.axis.size()) - 2; j >= 1; --j) {
      const Vec3 joint = finger.axis[std::size_t(j)];
      const Vec3 dir = normalized(finger.axis[std::size_t(j) + 1] - joint);
      const double past = dot(p - joint, dir);
      const double weight = smoothstep(-0.6 * r, 0.6 * r, past);
      if (weight <= 0) continue;
      const Vec3 across = normalized(cross(dir, h.palm));
      const Rotation turn = Rotation::about(across, bend[j] * grip * weight);
      q = Motion::rotateAbout(joint + (positions[std::size_t(v)] - p), turn) * q;
    }
    out[std::size_t(v)] = q;
  }
  return out;
}

GlmModel toGlmModel(const FigureModel& f, const std::vector<Vec3>& positions,
                    const ModelNaming& naming, const SkinLayout& layout) {
  GlmModel m;
  m.modelName = naming.modelName;
  const int n = f.bodyVertices();
  const int total = f.modelVertices();
  m.setVertexCount(static_cast<std::uint32_t>(total));
  for (int i = 0; i < total; ++i)
    for (int k = 0; k < 3; ++k)
      m.vertex(static_cast<std::uint32_t>(i + 1))[k] = float(positions[i][k]);

  // Texture coordinates come from the layout of the rest shape, so that
  // every pose and variant of the figure shares them. A vertex on a seam of
  // the layout has one coordinate on each side of it.
  std::vector<float> uv{0, 0};
  std::map<std::tuple<int, float, float>, std::uint32_t> known;
  auto addUv = [&](int vertex, const Uv& p) {
    const auto key = std::make_tuple(vertex, float(p.u), float(p.v));
    auto [it, added] = known.emplace(key, static_cast<std::uint32_t>(uv.size() / 2));
    if (added) {
      uv.push_back(float(p.u));
      uv.push_back(float(p.v));
    }
    return it->second;
  };

  GlmGroup& bodyGroup = glmAddGroup(m, " Body");
  GlmGroup& headGroup = glmAddGroup(m, " Head");
  GlmGroup& eyeGroup = glmAddGroup(m, naming.eyeGroup);
  GlmGroup& lashGroup = glmAddGroup(m, " Eyelash");
  m.materials.resize(5);
  const char* names[5] = {"default", "skin", "face", "eye", "lash"};
  for (int i = 0; i < 5; ++i) m.materials[i].name = names[i];
  m.materials[1].diffuse = {0.9f, 0.76f, 0.66f, 1.0f};
  m.materials[2].diffuse = {0.9f, 0.76f, 0.66f, 1.0f};
  m.materials[3].diffuse = {0.95f, 0.95f, 0.95f, 1.0f};
  m.materials[4].diffuse = {0.1f, 0.08f, 0.07f, 1.0f};

  auto emit = [&](GlmGroup& group, const GlmTriangle& t) {
    group.triangles.push_back(m.triangleCount());
    group.triangleCopies.push_back(t);
    m.triangles.push_back(t);
  };
  for (int i = 0; i < static_cast<int>(f.body.triangles.size()); ++i) {
    const Triangle& tri = f.body.triangles[i];
    GlmTriangle t;
    for (int c = 0; c < 3; ++c) {
      t.vindices[c] = static_cast<std::uint32_t>(tri[c] + 1);
      t.tindices[c] = addUv(tri[c], layout.corners[i][c]);
    }
    emit(layout.picture[i] == SkinPicture::Head ? headGroup : bodyGroup, t);
  }
  const int eyeBase = n;
  for (const Triangle& tri : f.eyes.triangles) {
    GlmTriangle t;
    for (int c = 0; c < 3; ++c) {
      t.vindices[c] = static_cast<std::uint32_t>(eyeBase + tri[c] + 1);
      t.tindices[c] = addUv(eyeBase + tri[c], layout.eyes[tri[c]]);
    }
    emit(eyeGroup, t);
  }
  const int lashBase = n + static_cast<int>(f.eyes.positions.size());
  const int perStrip = static_cast<int>(f.lashes.positions.size() / 2);
  const int perRow = perStrip / 2;
  for (const Triangle& tri : f.lashes.triangles) {
    GlmTriangle t;
    for (int c = 0; c < 3; ++c) {
      const int local = tri[c] % perStrip;
      t.vindices[c] = static_cast<std::uint32_t>(lashBase + tri[c] + 1);
      t.tindices[c] = addUv(lashBase + tri[c],
                            {double(local % perRow) / (perRow - 1), local < perRow ? 0.0 : 1.0});
    }
    emit(lashGroup, t);
  }
  bodyGroup.material = 1;
  headGroup.material = 2;
  eyeGroup.material = 3;
  lashGroup.material = 4;
  bodyGroup.runs = {{"skin", 0, bodyGroup.triangleCount()}};
  headGroup.runs = {{"face", 0, headGroup.triangleCount()}};
  eyeGroup.runs = {{"eye", 0, eyeGroup.triangleCount()}};
  lashGroup.runs = {{"lash", 0, lashGroup.triangleCount()}};
  m.texcoords = std::move(uv);
  return m;
}

}  // namespace vestora::generate
