#include "avatar/triangle_tree.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "test_support.h"

namespace vestora {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Small fixed-sequence generator so the random meshes are the same everywhere.
class Lcg {
 public:
  explicit Lcg(std::uint64_t seed) : state_(seed) {}
  float uniform(float lo, float hi) {
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    const double unit = double(state_ >> 11) / double(1ull << 53);
    return float(lo + (hi - lo) * unit);
  }

 private:
  std::uint64_t state_;
};

TriangleMesh sphereMesh(int rings, int segments, float r, Point3 centre = {0, 0, 0}) {
  const GlmModel model = testing::makeSphere(rings, segments, r);
  TriangleMesh mesh;
  for (std::uint32_t i = 1; i <= model.vertexCount(); ++i) {
    const float* v = model.vertex(i);
    mesh.vertices.push_back({v[0] + centre[0], v[1] + centre[1], v[2] + centre[2]});
  }
  for (const GlmTriangle& t : model.triangles) {
    mesh.triangles.push_back({std::int32_t(t.vindices[0]) - 1, std::int32_t(t.vindices[1]) - 1,
                              std::int32_t(t.vindices[2]) - 1});
  }
  return mesh;
}

void appendSphere(TriangleMesh& mesh, const TriangleMesh& sphere) {
  const auto offset = std::int32_t(mesh.vertices.size());
  mesh.vertices.insert(mesh.vertices.end(), sphere.vertices.begin(), sphere.vertices.end());
  for (auto t : sphere.triangles) {
    for (auto& v : t) v += offset;
    mesh.triangles.push_back(t);
  }
}

// A thin triangle spanning [x0, x1] on `axis`, 0.1 wide on the next axis.
std::array<Point3, 3> slab(int axis, float x0, float x1) {
  std::array<Point3, 3> corners{};
  corners[0][axis] = x0;
  corners[1][axis] = x1;
  corners[2][axis] = (x0 + x1) / 2;
  corners[2][(axis + 1) % 3] = 0.1f;
  return corners;
}

TriangleMesh meshOf(const std::vector<std::array<Point3, 3>>& triangles) {
  TriangleMesh mesh;
  for (const auto& corners : triangles) {
    const auto base = std::int32_t(mesh.vertices.size());
    mesh.vertices.insert(mesh.vertices.end(), corners.begin(), corners.end());
    mesh.triangles.push_back({base, base + 1, base + 2});
  }
  return mesh;
}

// Sorted 1-based triangle numbers of the leaves under `node`.
std::vector<std::int32_t> leafTriangles(const BodyTriangleTree& tree, std::int32_t node) {
  std::vector<std::int32_t> result;
  std::vector<std::int32_t> stack{node};
  while (!stack.empty()) {
    const TreeNode& n = tree.nodes()[std::size_t(stack.back())];
    stack.pop_back();
    if (n.isLeaf()) {
      result.push_back(n.triangle);
    } else {
      stack.push_back(n.left);
      stack.push_back(n.right);
    }
  }
  std::sort(result.begin(), result.end());
  return result;
}

TriangleBox boxOfTriangle(const TriangleMesh& mesh, std::size_t t) {
  TriangleBox box;
  for (std::int32_t v : mesh.triangles[t]) {
    for (int k = 0; k < 3; ++k) {
      box.min[k] = std::min(box.min[k], mesh.vertices[std::size_t(v)][k]);
      box.max[k] = std::max(box.max[k], mesh.vertices[std::size_t(v)][k]);
    }
  }
  return box;
}

struct Reference {
  Point3 point;
  double distance;
};

// Nearest crossing over every triangle, by the barycentric ray-triangle method.
std::optional<Reference> bruteForceNearest(const TriangleMesh& mesh, Point3 a, Point3 b) {
  std::optional<Reference> best;
  const double d[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  const double len = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
  for (const auto& tri : mesh.triangles) {
    const Point3& p0 = mesh.vertices[std::size_t(tri[0])];
    const Point3& p1 = mesh.vertices[std::size_t(tri[1])];
    const Point3& p2 = mesh.vertices[std::size_t(tri[2])];
    double e1[3], e2[3], s[3];
    for (int k = 0; k < 3; ++k) {
      e1[k] = p1[k] - p0[k];
      e2[k] = p2[k] - p0[k];
      s[k] = a[k] - p0[k];
    }
    const double h[3] = {d[1] * e2[2] - d[2] * e2[1], d[2] * e2[0] - d[0] * e2[2],
                         d[0] * e2[1] - d[1] * e2[0]};
    const double det = e1[0] * h[0] + e1[1] * h[1] + e1[2] * h[2];
    if (det == 0) continue;
    const double u = (s[0] * h[0] + s[1] * h[1] + s[2] * h[2]) / det;
    const double q[3] = {s[1] * e1[2] - s[2] * e1[1], s[2] * e1[0] - s[0] * e1[2],
                         s[0] * e1[1] - s[1] * e1[0]};
    const double v = (d[0] * q[0] + d[1] * q[1] + d[2] * q[2]) / det;
    const double t = (e2[0] * q[0] + e2[1] * q[1] + e2[2] * q[2]) / det;
    if (u < 0 || v < 0 || u + v > 1 || t < 0 || t > 1) continue;
    if (best && best->distance <= t * len) continue;
    best = Reference{{float(a[0] + t * d[0]), float(a[1] + t * d[1]), float(a[2] + t * d[2])},
                     t * len};
  }
  return best;
}

double distance(const Point3& p, const Point3& q) {
  return std::hypot(double(p[0]) - q[0], double(p[1]) - q[1], double(p[2]) - q[2]);
}

double chordSum(const std::vector<Point3>& points) {
  double sum = 0;
  for (std::size_t i = 1; i < points.size(); ++i) sum += distance(points[i - 1], points[i]);
  return sum;
}

TEST(TriangleTree, BuildsLeavesForTheUsableTriangles) {
  // One triangle: the root is its leaf.
  const TriangleMesh one = meshOf({{Point3{0, 0, 0}, Point3{2, 0, 1}, Point3{0, 3, -1}}});
  const BodyTriangleTree single = buildTriangleTree(one);
  ASSERT_EQ(single.nodes().size(), 1u);
  const TreeNode& root = single.nodes()[0];
  EXPECT_TRUE(root.isLeaf());
  EXPECT_EQ(root.right, kNoNode);
  EXPECT_EQ(root.triangle, 1);
  EXPECT_EQ(root.vertices, (std::array<std::int32_t, 3>{0, 1, 2}));
  EXPECT_EQ(root.box.min, (Point3{0, 0, -1}));
  EXPECT_EQ(root.box.max, (Point3{2, 3, 1}));
  EXPECT_EQ(single.depth(), 1);

  // No triangles: an empty tree that answers nothing.
  const BodyTriangleTree none = buildTriangleTree(TriangleMesh{});
  EXPECT_TRUE(none.empty());
  EXPECT_EQ(none.root(), kNoNode);
  EXPECT_EQ(none.depth(), 0);
  std::vector<std::int32_t> leaves;
  queryTriangleTree(none, none.root(), TriangleBox{{-9, -9, -9}, {9, 9, 9}}, leaves);
  EXPECT_TRUE(leaves.empty());
  const std::vector<Point3> a{{0, 0, -1}}, b{{0, 0, 1}};
  const SegmentHits hits = segmentSurfaceHits(none, none.mesh(), a, b);
  ASSERT_EQ(hits.perSegment.size(), 1u);
  EXPECT_FALSE(hits.perSegment[0]);
  EXPECT_TRUE(hits.points.empty());

  // A triangle naming a vertex that does not exist is left out; the others
  // keep their numbers.
  TriangleMesh broken = meshOf({slab(0, 0, 1), slab(0, 2, 3), slab(0, 4, 5)});
  broken.triangles[1][2] = 9;
  const BodyTriangleTree partial = buildTriangleTree(broken);
  EXPECT_EQ(partial.nodes().size(), 3u);
  EXPECT_EQ(leafTriangles(partial, partial.root()), (std::vector<std::int32_t>{1, 3}));
}

TEST(TriangleTree, SplitRules) {
  for (int axis = 0; axis < 3; ++axis) {
    SCOPED_TRACE(axis);
    // Box [0, 1] on the axis, split 0.5. Keys: 0.5 (equal), 0.2, 0.7.
    const BodyTriangleTree tree = buildTriangleTree(
        meshOf({slab(axis, 0, 1), slab(axis, 0.1f, 0.3f), slab(axis, 0.6f, 0.8f)}));
    const TreeNode& root = tree.nodes()[0];
    ASSERT_FALSE(root.isLeaf());
    EXPECT_EQ(root.left, 1) << "the left subtree follows its parent";
    EXPECT_EQ(leafTriangles(tree, root.left), (std::vector<std::int32_t>{1, 2}));
    EXPECT_EQ(leafTriangles(tree, root.right), (std::vector<std::int32_t>{3}));
  }

  // Identical triangles all land left of the split; the list is halved by
  // position, the second half going right.
  const auto same = slab(0, 0, 1);
  const BodyTriangleTree five = buildTriangleTree(meshOf({same, same, same, same, same}));
  const TreeNode& fiveRoot = five.nodes()[0];
  EXPECT_EQ(leafTriangles(five, fiveRoot.left), (std::vector<std::int32_t>{1, 2}));
  EXPECT_EQ(leafTriangles(five, fiveRoot.right), (std::vector<std::int32_t>{3, 4, 5}));

  // Different triangles whose keys all equal the split are halved the same way.
  const BodyTriangleTree nested =
      buildTriangleTree(meshOf({slab(0, 0, 1), slab(0, 0.2f, 0.8f), slab(0, 0.4f, 0.6f)}));
  const TreeNode& nestedRoot = nested.nodes()[0];
  EXPECT_EQ(leafTriangles(nested, nestedRoot.left), (std::vector<std::int32_t>{1}));
  EXPECT_EQ(leafTriangles(nested, nestedRoot.right), (std::vector<std::int32_t>{2, 3}));
}

TEST(TriangleTree, NodeBoxesEncloseExactlyTheirTriangles) {
  Lcg random(7);
  std::vector<std::array<Point3, 3>> triangles;
  for (int t = 0; t < 600; ++t) {
    const Point3 c{random.uniform(0, 10), random.uniform(0, 4), random.uniform(0, 7)};
    std::array<Point3, 3> corners;
    for (auto& p : corners) {
      for (int k = 0; k < 3; ++k) p[k] = c[k] + random.uniform(-0.6f, 0.6f);
    }
    triangles.push_back(corners);
  }
  const TriangleMesh mesh = meshOf(triangles);
  const BodyTriangleTree tree = buildTriangleTree(mesh);
  ASSERT_EQ(tree.nodes().size(), 2 * mesh.triangles.size() - 1);

  std::vector<int> seen(mesh.triangles.size(), 0);
  for (std::size_t i = 0; i < tree.nodes().size(); ++i) {
    const TreeNode& node = tree.nodes()[i];
    if (node.isLeaf()) {
      ASSERT_GE(node.triangle, 1);
      const auto t = std::size_t(node.triangle - 1);
      ++seen[t];
      EXPECT_EQ(node.vertices, mesh.triangles[t]);
      EXPECT_EQ(node.box.min, boxOfTriangle(mesh, t).min);
      EXPECT_EQ(node.box.max, boxOfTriangle(mesh, t).max);
      continue;
    }
    ASSERT_NE(node.right, kNoNode);
    EXPECT_GT(node.left, std::int32_t(i));
    EXPECT_GT(node.right, node.left);
    const TriangleBox& l = tree.nodes()[std::size_t(node.left)].box;
    const TriangleBox& r = tree.nodes()[std::size_t(node.right)].box;
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(node.box.min[k], std::min(l.min[k], r.min[k]));
      EXPECT_EQ(node.box.max[k], std::max(l.max[k], r.max[k]));
    }
  }
  EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](int n) { return n == 1; }));
  EXPECT_LE(tree.depth(), 30);
}

TEST(TriangleTree, CoincidentTrianglesStayShallow) {
  // A body collapsed onto one spot: every split falls back to halving, so the
  // depth is that of a balanced tree.
  const auto same = slab(1, 2, 3);
  const BodyTriangleTree tree =
      buildTriangleTree(meshOf(std::vector<std::array<Point3, 3>>(30000, same)));
  EXPECT_EQ(tree.depth(), 16);  // ceil(log2(30000)) + 1 levels
  std::vector<std::int32_t> leaves;
  queryTriangleTree(tree, tree.root(), TriangleBox{{0, 2, 0}, {0.1f, 3, 0}}, leaves);
  ASSERT_EQ(leaves.size(), 30000u);
  std::vector<std::int32_t> numbers;
  for (std::int32_t leaf : leaves) numbers.push_back(tree.nodes()[std::size_t(leaf)].triangle);
  std::sort(numbers.begin(), numbers.end());
  for (std::size_t i = 0; i < numbers.size(); ++i) ASSERT_EQ(numbers[i], std::int32_t(i + 1));
}

TEST(TriangleTree, QueryFindsExactlyTheOverlappingLeaves) {
  Lcg random(2024);
  std::vector<std::array<Point3, 3>> triangles;
  for (int t = 0; t < 400; ++t) {
    const Point3 c{random.uniform(-5, 5), random.uniform(-5, 5), random.uniform(-5, 5)};
    std::array<Point3, 3> corners;
    for (auto& p : corners) {
      for (int k = 0; k < 3; ++k) p[k] = c[k] + random.uniform(-0.5f, 0.5f);
    }
    triangles.push_back(corners);
  }
  const TriangleMesh mesh = meshOf(triangles);
  const BodyTriangleTree tree = buildTriangleTree(mesh);

  int nonEmpty = 0;
  for (int q = 0; q < 300; ++q) {
    TriangleBox box;
    for (int k = 0; k < 3; ++k) {
      const float c = random.uniform(-6, 6);
      const float half = random.uniform(0, q % 3 == 0 ? 0.05f : 2.0f);
      box.min[k] = c - half;
      box.max[k] = c + half;
    }
    std::vector<std::int32_t> expected;
    for (std::size_t t = 0; t < mesh.triangles.size(); ++t) {
      if (boxesOverlap(boxOfTriangle(mesh, t), box)) expected.push_back(std::int32_t(t + 1));
    }
    std::vector<std::int32_t> leaves;
    queryTriangleTree(tree, tree.root(), box, leaves);
    std::vector<std::int32_t> found;
    for (std::int32_t leaf : leaves) found.push_back(tree.nodes()[std::size_t(leaf)].triangle);
    std::sort(found.begin(), found.end());
    ASSERT_EQ(found, expected) << "query " << q;
    nonEmpty += !expected.empty();
  }
  EXPECT_GT(nonEmpty, 100);

  // From an inner node only its own subtree answers, leaves in tree order.
  const std::int32_t left = tree.nodes()[0].left;
  std::vector<std::int32_t> leaves;
  queryTriangleTree(tree, left, TriangleBox{{-9, -9, -9}, {9, 9, 9}}, leaves);
  EXPECT_TRUE(std::is_sorted(leaves.begin(), leaves.end()));
  std::vector<std::int32_t> found;
  for (std::int32_t leaf : leaves) found.push_back(tree.nodes()[std::size_t(leaf)].triangle);
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found, leafTriangles(tree, left));

  // The slack: a box 0.005 beyond a triangle still meets it, 0.02 beyond does not.
  const BodyTriangleTree unit =
      buildTriangleTree(meshOf({{Point3{0, 0, 0}, Point3{1, 0, 0}, Point3{0, 1, 0}}}));
  const auto count = [&](float gap) {
    std::vector<std::int32_t> out;
    queryTriangleTree(unit, unit.root(), TriangleBox{{1 + gap, 0, 0}, {2, 1, 0}}, out);
    queryTriangleTree(unit, unit.root(), TriangleBox{{0, 0, -1}, {1, 1, -gap}}, out);
    return out.size();
  };
  EXPECT_EQ(count(0.005f), 2u);
  EXPECT_EQ(count(0.02f), 0u);
}

TEST(SegmentSurfaceHits, NearestCrossingOnAClosedSphere) {
  const Point3 centre{0.3f, -0.2f, 0.1f};
  const TriangleMesh mesh = sphereMesh(30, 40, 1.0f, centre);
  const BodyTriangleTree tree = buildTriangleTree(mesh);

  Lcg random(99);
  std::vector<Point3> starts, ends;
  for (int i = 0; i < 500; ++i) {
    Point3 a, b;
    for (int k = 0; k < 3; ++k) {
      a[k] = centre[k] + random.uniform(-2.5f, 2.5f);
      b[k] = centre[k] + random.uniform(-2.5f, 2.5f);
    }
    starts.push_back(a);
    ends.push_back(b);
  }
  const SegmentHits hits = segmentSurfaceHits(tree, tree.mesh(), starts, ends);
  ASSERT_EQ(hits.perSegment.size(), starts.size());
  std::size_t next = 0;
  int hitCount = 0;
  for (std::size_t i = 0; i < starts.size(); ++i) {
    SCOPED_TRACE(i);
    const auto expected = bruteForceNearest(mesh, starts[i], ends[i]);
    const auto& got = hits.perSegment[i];
    ASSERT_EQ(got.has_value(), expected.has_value());
    if (!got) continue;
    ++hitCount;
    EXPECT_LT(distance(got->point, expected->point), 1e-4);
    EXPECT_NEAR(got->distance, expected->distance, 1e-4);
    EXPECT_NEAR(distance(got->point, starts[i]), got->distance, 1e-4);
    ASSERT_LT(next, hits.points.size());
    EXPECT_EQ(hits.points[next++].position, got->point) << "flat list in segment order";
  }
  EXPECT_EQ(next, hits.points.size());
  EXPECT_GT(hitCount, 100);
  EXPECT_LT(hitCount, 450);

  // Through the whole sphere: the crossing nearer the start wins either way round.
  // Slightly off the axis, so the line misses the mesh's vertices.
  const Point3 west{centre[0] - 3, centre[1] + 0.013f, centre[2] + 0.007f};
  const Point3 east{centre[0] + 3, centre[1] + 0.013f, centre[2] + 0.007f};
  const std::vector<Point3> from{west, east, centre, centre, west};
  const std::vector<Point3> to{east, west, east, Point3{centre[0] + 0.5f, centre[1], centre[2]},
                               Point3{centre[0] - 3, centre[1] + 3, centre[2]}};
  const SegmentHits through = segmentSurfaceHits(tree, tree.mesh(), from, to);
  ASSERT_TRUE(through.perSegment[0] && through.perSegment[1] && through.perSegment[2]);
  EXPECT_NEAR(through.perSegment[0]->point[0], centre[0] - 1, 0.01);
  EXPECT_NEAR(through.perSegment[1]->point[0], centre[0] + 1, 0.01);
  EXPECT_NEAR(through.perSegment[2]->point[0], centre[0] + 1, 0.01) << "from inside";
  EXPECT_FALSE(through.perSegment[3]) << "wholly inside";
  EXPECT_FALSE(through.perSegment[4]) << "wholly outside";
  EXPECT_EQ(through.points.size(), 3u);

  // Ends just short of the skin, inside the boxes' slack: the plane crossings
  // beyond the ends do not count.
  const std::vector<Point3> shortFrom{centre, west};
  const std::vector<Point3> shortTo{Point3{centre[0] + 0.99f, centre[1], centre[2] + 0.007f},
                                    Point3{centre[0] - 1.005f, west[1], west[2]}};
  const SegmentHits shortOf = segmentSurfaceHits(tree, tree.mesh(), shortFrom, shortTo);
  EXPECT_FALSE(shortOf.perSegment[0]) << "from inside";
  EXPECT_FALSE(shortOf.perSegment[1]) << "from outside";

  // Lines in the equator's plane run along edges shared by two triangles;
  // rounding must not let them slip between the two.
  std::vector<Point3> edgeFrom, edgeTo;
  for (int i = 0; i < 200; ++i) {
    const float offset = -0.95f + 1.9f * float(i) / 199;
    edgeFrom.push_back({centre[0] + offset, centre[1], centre[2] + 3});
    edgeTo.push_back({centre[0] + offset, centre[1], centre[2] - 3});
    edgeFrom.push_back({centre[0] - 3, centre[1], centre[2] + offset});
    edgeTo.push_back({centre[0] + 3, centre[1], centre[2] + offset});
  }
  EXPECT_EQ(segmentSurfaceHits(tree, tree.mesh(), edgeFrom, edgeTo).points.size(), edgeFrom.size());

  // Geometry that names none of the tree's triangles gives no hits.
  const SegmentHits orphan = segmentSurfaceHits(tree, TriangleMesh{}, from, to);
  EXPECT_TRUE(orphan.points.empty());
}

// Strokes drawn straight down the view (-z) over a body about the origin:
// both ends on the near plane z = 10 and on the far plane z = -10.
SurfaceCurve strokeAcross(const BodyTriangleTree& tree, float x0, float x1, float y = 0) {
  return surfaceCurveLength({Point3{x0, y, 10}, Point3{x1, y, 10}},
                            {Point3{x0, y, -10}, Point3{x1, y, -10}}, tree, tree.mesh());
}

// Where the sample lines of a stroke from x0 to x1 (at y = 0, down the view)
// first meet perfect spheres of radius r centred on the x axis at `centres`.
std::vector<Point3> frontPoints(float x0, float x1, double r, std::vector<double> centres = {0}) {
  std::vector<Point3> points;
  for (const Point3& s : sampleStroke({Point3{x0, 0, 10}, Point3{x1, 0, 10}})) {
    for (double c : centres) {
      const double x = s[0] - c;
      if (std::abs(x) < r) points.push_back({s[0], 0, float(std::sqrt(r * r - x * x))});
    }
  }
  return points;
}

std::vector<Point3> positions(const std::vector<SurfacePoint>& points) {
  std::vector<Point3> result;
  for (const SurfacePoint& p : points) result.push_back(p.position);
  return result;
}

TEST(SurfaceCurve, StrokeOverTheMiddleMeasuresHalfAGreatCircle) {
  const float r = 2.5f;
  // An odd ring count keeps the stroke's plane off the mesh's edges.
  const BodyTriangleTree tree = buildTriangleTree(sphereMesh(101, 200, r));
  // Just inside the silhouette of the faceted sphere, so every sample meets it.
  const float reach = 0.999f * r;
  const SurfaceCurve curve = strokeAcross(tree, -reach, reach);
  ASSERT_EQ(curve.hits.perSegment.size(), std::size_t(kMaxStrokeSamples));
  ASSERT_EQ(curve.hits.points.size(), std::size_t(kMaxStrokeSamples));
  const double expected = chordSum(frontPoints(-reach, reach, r));
  EXPECT_NEAR(curve.length, expected, 0.01 * expected);
  // The last 0.045 rad before each silhouette lies beyond the outermost samples.
  EXPECT_NEAR(curve.length, kPi * r, 0.03 * kPi * r);
  EXPECT_NEAR(curve.length, chordSum(positions(curve.hits.points)), 1e-4);
  for (const SurfacePoint& p : curve.hits.points) {
    EXPECT_GT(p.position[2], 0) << "the front of the sphere";
    EXPECT_EQ(p.others, (std::array<float, 6>{}));
  }
}

TEST(SurfaceCurve, StrokeLeavingTheSilhouetteSumsTheHitsFound) {
  const BodyTriangleTree tree = buildTriangleTree(sphereMesh(101, 200, 1.0f));
  // Samples at x = -2.9 + 6i/99: none closer than 0.02 to the silhouette.
  const SurfaceCurve curve = strokeAcross(tree, -2.9f, 3.1f);
  const std::vector<Point3> samples = sampleStroke({Point3{-2.9f, 0, 10}, Point3{3.1f, 0, 10}});
  ASSERT_EQ(curve.hits.perSegment.size(), samples.size());
  for (std::size_t i = 0; i < samples.size(); ++i) {
    EXPECT_EQ(curve.hits.perSegment[i].has_value(), std::abs(samples[i][0]) < 1) << i;
  }
  const std::vector<Point3> expected = frontPoints(-2.9f, 3.1f, 1.0);
  ASSERT_EQ(curve.hits.points.size(), expected.size());
  EXPECT_NEAR(curve.length, chordSum(expected), 0.005 * chordSum(expected));

  // Off the body altogether: no hits, no length.
  const SurfaceCurve above = strokeAcross(tree, -3, 3, 1.5f);
  EXPECT_TRUE(above.hits.points.empty());
  EXPECT_EQ(above.length, 0);

  // Leaving one body and meeting another: the gap between the last hit on
  // the first and the first hit on the second is spanned straight.
  TriangleMesh pair = sphereMesh(101, 200, 1.0f, {-2, 0, 0});
  appendSphere(pair, sphereMesh(101, 200, 1.0f, {2, 0, 0}));
  const BodyTriangleTree twinTree = buildTriangleTree(pair);
  const SurfaceCurve twin = strokeAcross(twinTree, -3.45f, 3.45f);
  const std::vector<Point3> twinExpected = frontPoints(-3.45f, 3.45f, 1.0, {-2, 2});
  ASSERT_EQ(twin.hits.points.size(), twinExpected.size());
  EXPECT_NEAR(twin.length, chordSum(twinExpected), 0.005 * chordSum(twinExpected));

  // A stroke whose near ends coincide has one sample, so one segment.
  const SurfaceCurve dot =
      surfaceCurveLength({Point3{0, 0, 10}, Point3{0, 0, 10}},
                         {Point3{-1, 0, -10}, Point3{1, 0, -10}}, tree, tree.mesh());
  ASSERT_EQ(dot.hits.perSegment.size(), 1u);
  EXPECT_EQ(dot.hits.points.size(), 1u);
  EXPECT_EQ(dot.length, 0);
}

TEST(SurfaceCurve, StrokesAreSampledEvenlyEndToEnd) {
  const std::vector<Point3> s = sampleStroke({Point3{-1, 2, 3}, Point3{2, 2, -3}});
  ASSERT_EQ(s.size(), std::size_t(kMaxStrokeSamples));
  EXPECT_EQ(s.front(), (Point3{-1, 2, 3}));
  EXPECT_EQ(s.back(), (Point3{2, 2, -3}));
  for (std::size_t i = 1; i < s.size(); ++i) {
    EXPECT_NEAR(distance(s[i - 1], s[i]), std::sqrt(45.0) / 99, 1e-5);
  }
  EXPECT_EQ(sampleStroke({Point3{4, 5, 6}, Point3{4, 5, 6}}), (std::vector<Point3>{{4, 5, 6}}));
}

TEST(WindowPick, InsideFacingAndDepth) {
  // Counter-clockwise on the screen (y up): faces the viewer.
  const std::array<Point3, 3> front{Point3{0, 0, 0.2f}, Point3{10, 0, 0.4f}, Point3{0, 10, 0.6f}};
  const auto depth = windowTriangleDepth(front, 2, 3);
  ASSERT_TRUE(depth);
  EXPECT_NEAR(*depth, 0.2 + 0.2 * 0.2 + 0.3 * 0.4, 1e-6);
  EXPECT_FALSE(windowTriangleDepth(front, 8, 8)) << "beyond the long edge";
  EXPECT_FALSE(windowTriangleDepth(front, -0.5f, 5)) << "left of the triangle";

  // Edges and corners belong to the triangle; a corner's depth is its own.
  ASSERT_TRUE(windowTriangleDepth(front, 5, 0));
  EXPECT_NEAR(*windowTriangleDepth(front, 5, 0), 0.3, 1e-6);
  for (const Point3& c : front) EXPECT_NEAR(*windowTriangleDepth(front, c[0], c[1]), c[2], 1e-6);

  // Starting from another corner changes nothing; running the other way
  // round turns the triangle away.
  const std::array<Point3, 3> rotated{front[1], front[2], front[0]};
  EXPECT_NEAR(*windowTriangleDepth(rotated, 2, 3), *depth, 1e-6);
  const std::array<Point3, 3> back{front[0], front[2], front[1]};
  EXPECT_FALSE(windowTriangleDepth(back, 2, 3));

  // Seen edge-on.
  const std::array<Point3, 3> edgeOn{Point3{0, 0, 0.1f}, Point3{5, 5, 0.2f}, Point3{10, 10, 0.3f}};
  EXPECT_FALSE(windowTriangleDepth(edgeOn, 5, 5));
}

}  // namespace
}  // namespace vestora
