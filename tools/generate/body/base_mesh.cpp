#include "body/base_mesh.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <stdexcept>

#include "body/polygonise.h"

namespace vestora::generate {
namespace {

// The mesh of a body part polygonised, smoothed and evened out like the
// body, every vertex on the surface of `field`.
void settle(Mesh& mesh, const std::function<Vec3(const Vec3&)>& project, BaseMeshReport& r) {
  auto onSurface = [&](int, const Vec3& p) { return project(p); };
  taubinSmooth(mesh, 6);
  for (Vec3& p : mesh.positions) p = project(p);
  relaxTangentially(mesh, 8, onSurface);
  r.flips += improveByFlips(mesh, 6);
  relaxTangentially(mesh, 8, onSurface);
  r.flips += improveByFlips(mesh, 3);
  relaxTangentially(mesh, 4, onSurface);
}

// The boundary of a mesh with one hole: its vertices in the order of the
// boundary's half-edges.
std::vector<int> boundaryLoop(const Mesh& mesh) {
  std::map<std::pair<int, int>, int> halfEdges;
  for (const Triangle& t : mesh.triangles)
    for (int k = 0; k < 3; ++k) ++halfEdges[{t[k], t[(k + 1) % 3]}];
  std::map<int, int> next;
  for (const auto& [edge, count] : halfEdges)
    if (!halfEdges.count({edge.second, edge.first})) {
      if (next.count(edge.first))
        throw std::runtime_error("hand: the cut leaves a pinched boundary");
      next[edge.first] = edge.second;
    }
  if (next.empty()) throw std::runtime_error("hand: the cut leaves no boundary");
  std::vector<int> loop{next.begin()->first};
  while (true) {
    const auto it = next.find(loop.back());
    if (it == next.end()) throw std::runtime_error("hand: the cut's boundary is open");
    if (it->second == loop.front()) break;
    loop.push_back(it->second);
    if (loop.size() > next.size())
      throw std::runtime_error("hand: the cut's boundary does not close");
  }
  if (loop.size() != next.size())
    throw std::runtime_error("hand: the cut leaves more than one hole (" +
                             std::to_string(loop.size()) + " of " + std::to_string(next.size()) +
                             " boundary edges in the first)");
  return loop;
}

// Removes the triangles whose centre lies on the far side of a plane
// (dot(p − origin, normal) > 0) and that `within` accepts, with the
// vertices only they used.
void cutAway(Mesh& mesh, const Vec3& origin, const Vec3& normal,
             const std::function<bool(const Vec3&)>& within) {
  std::erase_if(mesh.triangles, [&](const Triangle& t) {
    const Vec3 c = (mesh.positions[t[0]] + mesh.positions[t[1]] + mesh.positions[t[2]]) / 3.0;
    return dot(c - origin, normal) > 0 && within(c);
  });
  compactVertices(mesh);
}

// Fraction of the way round a closed loop at each of its vertices.
std::vector<double> loopFractions(const Mesh& mesh, const std::vector<int>& loop) {
  std::vector<double> at(loop.size() + 1, 0.0);
  for (std::size_t i = 0; i < loop.size(); ++i)
    at[i + 1] =
        at[i] + length(mesh.positions[loop[(i + 1) % loop.size()]] - mesh.positions[loop[i]]);
  for (double& a : at) a /= at.back();
  return at;
}

// Replaces the body's hand by one meshed finely enough for its fingers:
// the hand is polygonised on its own finer grid up to a plane across the
// forearm, the body cut away beyond a plane a little nearer the elbow,
// and the two joined by a band of triangles, which is then evened out.
void replaceHand(Mesh& body, const FigureShape& figure, const BodyField& field, bool left,
                 double spacing, BaseMeshReport& r) {
  const HandFrame h = handFrame(figure, left);
  auto side = [&](const Vec3& v) { return left ? v : mirrorX(v); };
  const Vec3 elbow = side(figure.arm.elbow), wrist = side(figure.arm.wrist);
  const Vec3 up = normalized(elbow - wrist);  // the cut planes' normal, towards the elbow
  const Vec3 cut = wrist + up * (0.2 * length(elbow - wrist));
  const PartMask mask = bit(left ? Part::ArmLeft : Part::ArmRight);
  const double fine = h.fingerRadius * 0.62;

  // The hand alone, closed by the plane.
  Vec3 lo = cut, hi = cut;
  auto include = [&](const Vec3& p, double margin) {
    for (int k = 0; k < 3; ++k)
      lo[k] = std::min(lo[k], p[k] - margin), hi[k] = std::max(hi[k], p[k] + margin);
  };
  include(cut, figure.arm.forearm + 2.0);
  for (int i = 0; i < 4; ++i)
    for (const Vec3& p : h.finger(i).axis) include(p, h.fingerRadius * 2 + 1.0);
  for (const Vec3& p : h.thumb().axis) include(p, h.thumbRadius * 2 + 1.0);
  include(h.at(0, h.palmLength * 0.5, 0), h.palmWidth + 1.5);
  GridSpec grid;
  grid.spacing = fine;
  grid.origin = lo - Vec3{2 * fine, 2 * fine, 2 * fine};
  grid.nx = int(std::ceil((hi.x - grid.origin.x) / fine)) + 3;
  grid.ny = int(std::ceil((hi.y - grid.origin.y) / fine)) + 3;
  grid.nz = int(std::ceil((hi.z - grid.origin.z) / fine)) + 3;
  auto handValue = [&](const Vec3& p) { return std::max(field.value(p, mask), dot(p - cut, up)); };
  Mesh hand = polygonise(grid, handValue);
  keepLargestComponent(hand);
  // The flat end at the cut stays where it is while the rest settles onto
  // the hand.
  settle(
      hand,
      [&](const Vec3& p) { return dot(p - cut, up) > -1.5 * fine ? p : field.project(p, mask); },
      r);

  // Cut both back, the body further from the hand, leaving a gap between.
  cutAway(hand, cut - up * (1.5 * fine), up, [](const Vec3&) { return true; });
  // Only the body's hand goes: nothing of the thigh beside it.
  auto ofThisHand = [&](const Vec3& c) {
    return c.x >= lo.x && c.x <= hi.x && c.y >= lo.y && c.y <= hi.y && c.z >= lo.z && c.z <= hi.z &&
           field.value(c, mask) < 1.5;
  };
  cutAway(body, cut + up * spacing, -up, ofThisHand);
  const std::vector<int> bodyLoop = boundaryLoop(body);
  std::vector<int> handLoop = boundaryLoop(hand);
  std::reverse(handLoop.begin(), handLoop.end());  // to run round the arm as the body's does

  // Join them: a band of triangles, stepping round whichever loop lags.
  const int offset = static_cast<int>(body.positions.size());
  body.append(hand);
  for (int& v : handLoop) v += offset;
  const std::vector<double> a = loopFractions(body, bodyLoop);
  // Start the hand's loop at its vertex nearest the body loop's first.
  std::size_t start = 0;
  for (std::size_t j = 1; j < handLoop.size(); ++j)
    if (length(body.positions[handLoop[j]] - body.positions[bodyLoop[0]]) <
        length(body.positions[handLoop[start]] - body.positions[bodyLoop[0]]))
      start = j;
  std::rotate(handLoop.begin(), handLoop.begin() + static_cast<std::ptrdiff_t>(start),
              handLoop.end());
  const std::vector<double> b = loopFractions(body, handLoop);
  const std::size_t n = bodyLoop.size(), m = handLoop.size();
  std::size_t i = 0, j = 0;
  while (i < n || j < m) {
    const bool stepBody = j == m || (i < n && a[i + 1] <= b[j + 1]);
    if (stepBody) {
      body.triangles.push_back({bodyLoop[(i + 1) % n], bodyLoop[i], handLoop[j % m]});
      ++i;
    } else {
      body.triangles.push_back({handLoop[j % m], handLoop[(j + 1) % m], bodyLoop[i % n]});
      ++j;
    }
  }
  if (orientConsistently(body) != 0 && std::getenv("VESTORA_GENERATE_DEBUG"))
    std::fprintf(stderr, "hand: the band was turned over\n");

  // Even out the band and the skin either side of it.
  std::vector<char> nearCut(body.positions.size(), 0);
  for (std::size_t v = 0; v < body.positions.size(); ++v)
    nearCut[v] =
        std::abs(dot(body.positions[v] - cut, up)) < 2.5 * spacing && ofThisHand(body.positions[v]);
  auto onArm = [&](int, const Vec3& p) { return field.project(p, mask); };
  for (std::size_t v = 0; v < body.positions.size(); ++v)
    if (nearCut[v]) body.positions[v] = field.project(body.positions[v], mask);
  relaxTangentially(body, 6, onArm, 0.5, &nearCut);
  r.flips += improveByFlips(body, 3);
  relaxTangentially(body, 4, onArm, 0.5, &nearCut);
}

}  // namespace

Mesh buildBaseMesh(const FigureShape& figure, double spacing, BaseMeshReport* report) {
  const BodyField field = buildField(figure);
  Vec3 lo, hi;
  field.bounds(lo, hi);
  lo.y = std::max(lo.y, -1.0);
  GridSpec grid;
  grid.spacing = spacing;
  // Whole cells round the bounds, with a margin so that the grid's edge is outside.
  grid.origin = {std::floor(lo.x / spacing - 2) * spacing, std::floor(lo.y / spacing - 2) * spacing,
                 std::floor(lo.z / spacing - 2) * spacing};
  grid.nx = int(std::ceil((hi.x - grid.origin.x) / spacing)) + 3;
  grid.ny = int(std::ceil((hi.y - grid.origin.y) / spacing)) + 3;
  grid.nz = int(std::ceil((hi.z - grid.origin.z) / spacing)) + 3;
  // The grid is offset by a fraction of a cell so that the symmetry plane
  // x = 0 holds no grid points: left and right come out alike.
  grid.origin.x += spacing * 0.5 - std::fmod(grid.origin.x, spacing) - spacing;

  Mesh mesh = polygonise(grid, [&](const Vec3& p) { return field.value(p); });
  BaseMeshReport r;
  r.droppedTriangles = keepLargestComponent(mesh);
  if (std::getenv("VESTORA_GENERATE_DEBUG"))
    std::fprintf(stderr, "polygonised: %zu vertices, %s\n", mesh.positions.size(),
                 checkMesh(mesh).summary().c_str());

  auto onSurface = [&](int, const Vec3& p) { return field.project(p); };
  taubinSmooth(mesh, 6);
  for (Vec3& p : mesh.positions) p = field.project(p);
  relaxTangentially(mesh, 8, onSurface);
  if (std::getenv("VESTORA_GENERATE_DEBUG"))
    std::fprintf(stderr, "relaxed: %s\n", checkMesh(mesh).summary().c_str());
  r.flips = improveByFlips(mesh, 6);
  if (std::getenv("VESTORA_GENERATE_DEBUG"))
    std::fprintf(stderr, "flipped: %s\n", checkMesh(mesh).summary().c_str());
  relaxTangentially(mesh, 8, onSurface);
  r.flips += improveByFlips(mesh, 3);
  relaxTangentially(mesh, 4, onSurface);

  // The face gets twice the resolution: its features are small.
  if (figure.faceRefinement) {
    const Vec3 top = figure.headTop;
    const double hh = figure.head.headHeight;
    const std::vector<char> face = refineRegion(mesh, [&](const Vec3& c) {
      return c.y > top.y - hh * 1.02 && c.y < top.y - hh * 0.2 && c.z > top.z + hh * 0.02;
    });
    for (std::size_t v = 0; v < mesh.positions.size(); ++v)
      if (face[v]) mesh.positions[v] = field.project(mesh.positions[v]);
    relaxTangentially(mesh, 6, onSurface, 0.5, &face);
    r.flips += improveByFlips(mesh, 3);
    relaxTangentially(mesh, 3, onSurface, 0.5, &face);
  }

  // Hands with fingers need a finer mesh than the rest of the body.
  for (bool left : {true, false}) replaceHand(mesh, figure, field, left, spacing, r);

  // A vertex that the flips left without a triangle is dropped: every
  // vertex of a body lies on its surface.
  compactVertices(mesh);
  r.check = checkMesh(mesh);
  r.minAngle = 180;
  for (int t = 0; t < int(mesh.triangles.size()); ++t)
    r.minAngle = std::min(r.minAngle, minimumAngle(mesh, t));
  double total = 0;
  for (const Triangle& t : mesh.triangles)
    for (int c = 0; c < 3; ++c)
      total += length(mesh.positions[t[c]] - mesh.positions[t[(c + 1) % 3]]);
  r.meanEdge = total / (3.0 * std::max<std::size_t>(1, mesh.triangles.size()));
  if (report) *report = r;
  return mesh;
}

}  // namespace vestora::generate
