// The geometry the content generator builds bodies with: polygonising
// implicit surfaces into closed meshes, improving them without opening
// them, cutting sections, renumbering and skinning.
#include <gtest/gtest.h>

#include <cmath>

#include "body/figure_model.h"
#include "body/mesh.h"
#include "body/polygonise.h"
#include "body/section.h"

namespace vestora::generate {
namespace {

constexpr double kPi = 3.14159265358979323846;

Mesh polygoniseField(const std::function<double(const Vec3&)>& f, double lo, double hi, double h) {
  GridSpec g;
  g.origin = {lo, lo, lo};
  g.spacing = h;
  g.nx = g.ny = g.nz = int((hi - lo) / h) + 1;
  return polygonise(g, f);
}

double sphere(const Vec3& p, const Vec3& c, double r) { return length(p - c) - r; }

void expectClosed(const Mesh& m, const char* what) {
  const MeshCheck c = checkMesh(m);
  EXPECT_TRUE(c.closedManifold()) << what << ": " << c.summary();
  EXPECT_EQ(c.degenerateTriangles, 0) << what;
}

double signedVolume(const Mesh& m) {
  double v = 0;
  for (const Triangle& t : m.triangles)
    v += dot(m.positions[t[0]], cross(m.positions[t[1]], m.positions[t[2]])) / 6.0;
  return v;
}

TEST(Polygonise, SphereIsClosedOutwardAndOnTheSurface) {
  const Mesh m = polygoniseField([](const Vec3& p) { return sphere(p, {0.1, 0.2, 0.3}, 5); }, -7, 7, 0.7);
  expectClosed(m, "sphere");
  EXPECT_EQ(checkMesh(m).components, 1);
  EXPECT_NEAR(signedVolume(m), 4.0 / 3.0 * kPi * 125, 0.05 * 4.0 / 3.0 * kPi * 125);
  for (const Vec3& p : m.positions) EXPECT_NEAR(length(p - Vec3{0.1, 0.2, 0.3}), 5.0, 0.12);
}

// Shapes whose sampling puts both signs on opposite corners of cube faces
// (thin necks, near contacts, holes) must still give closed meshes: each face
// decides its own ambiguity, so neighbouring cubes agree.
TEST(Polygonise, AmbiguousConfigurationsStayClosed) {
  const std::pair<const char*, std::function<double(const Vec3&)>> shapes[] = {
      {"touching spheres",
       [](const Vec3& p) { return std::min(sphere(p, {-2.02, 0, 0}, 2), sphere(p, {2.02, 0, 0}, 2)); }},
      {"torus",
       [](const Vec3& p) {
         const double q = std::sqrt(p.x * p.x + p.z * p.z) - 3.0;
         return std::sqrt(q * q + p.y * p.y) - 0.9;
       }},
      {"thin rod",
       [](const Vec3& p) { return std::max(std::sqrt(p.x * p.x + p.z * p.z) - 0.3, std::abs(p.y) - 3.0); }},
      {"wavy", [](const Vec3& p) { return length(p) - 3.5 + 0.6 * std::sin(3 * p.x) * std::sin(3 * p.y) * std::sin(3 * p.z); }},
  };
  for (const auto& [name, f] : shapes) {
    const Mesh m = polygoniseField(f, -5.3, 5.3, 0.37);
    expectClosed(m, name);
    EXPECT_GT(signedVolume(m), 0) << name;
  }
}

TEST(MeshImprovement, FlipsRelaxationAndRefinementKeepTheMeshClosed) {
  auto f = [](const Vec3& p) { return length(Vec3{p.x, p.y * 1.6, p.z}) - 4.0; };
  Mesh m = polygoniseField(f, -6, 6, 0.6);
  const std::size_t triangles = m.triangles.size();
  auto project = [&](int, const Vec3& p) {
    Vec3 q = p;
    for (int i = 0; i < 5; ++i) {
      const double h = 1e-4;
      const Vec3 g{(f(q + Vec3{h, 0, 0}) - f(q - Vec3{h, 0, 0})) / (2 * h),
                   (f(q + Vec3{0, h, 0}) - f(q - Vec3{0, h, 0})) / (2 * h),
                   (f(q + Vec3{0, 0, h}) - f(q - Vec3{0, 0, h})) / (2 * h)};
      q -= g * (f(q) / dot(g, g));
    }
    return q;
  };
  double before = 180;
  for (int t = 0; t < int(m.triangles.size()); ++t) before = std::min(before, minimumAngle(m, t));
  relaxTangentially(m, 5, project);
  EXPECT_GT(improveByFlips(m, 4), 0);
  expectClosed(m, "after relaxing and flipping");
  double after = 180;
  for (int t = 0; t < int(m.triangles.size()); ++t) after = std::min(after, minimumAngle(m, t));
  EXPECT_GT(after, before);
  const auto region = refineRegion(m, [](const Vec3& c) { return c.x > 1.0; });
  expectClosed(m, "after refining one side");
  EXPECT_GT(m.triangles.size(), triangles + 100);
  EXPECT_EQ(region.size(), m.positions.size());
}

TEST(MeshImprovement, OrientationIsMadeConsistentAndOutward) {
  Mesh m = polygoniseField([](const Vec3& p) { return sphere(p, {}, 3); }, -4, 4, 0.5);
  for (std::size_t t = 0; t < m.triangles.size(); t += 3) std::swap(m.triangles[t][0], m.triangles[t][1]);
  for (auto& t : m.triangles) std::swap(t[1], t[2]);  // everything inside out, a third the other way
  EXPECT_GT(orientConsistently(m), 0);
  expectClosed(m, "reoriented");
  EXPECT_GT(signedVolume(m), 0);
}

TEST(Sections, CylinderGirthIsTwoPiR) {
  const double r = 4.0;
  auto f = [&](const Vec3& p) { return std::max(std::sqrt(p.x * p.x + p.z * p.z) - r, std::abs(p.y) - 6.0); };
  Mesh m = polygoniseField(f, -8, 8, 0.4);
  const SectionLoop loop = loopAround(m, {0, 0.123, 0}, {0, 1, 0}, {0, 0.123, 0});
  ASSERT_FALSE(loop.points.empty());
  EXPECT_NEAR(loop.length(), 2 * kPi * r, 0.02 * 2 * kPi * r);
  EXPECT_NEAR(loop.tapeLength({0, 1, 0}), loop.length(), 0.01 * loop.length());
  // A slanted plane cuts an ellipse: longer than the circle.
  const SectionLoop slanted = loopAround(m, {0, 0, 0}, {0.5, 1, 0}, {0, 0, 0});
  EXPECT_GT(slanted.length(), loop.length() * 1.05);
  // No loop round a point outside the body.
  EXPECT_TRUE(loopAround(m, {0, 0, 0}, {0, 1, 0}, {9, 0, 0}).points.empty());
}

TEST(Sections, TapeBridgesHollows) {
  // Two overlapping cylinders: a waisted loop whose tape is shorter than its skin.
  auto f = [](const Vec3& p) {
    const double a = std::sqrt((p.x - 2.5) * (p.x - 2.5) + p.z * p.z) - 3;
    const double b = std::sqrt((p.x + 2.5) * (p.x + 2.5) + p.z * p.z) - 3;
    return std::max(std::min(a, b), std::abs(p.y) - 4.0);
  };
  Mesh m = polygoniseField(f, -7, 7, 0.35);
  const SectionLoop loop = loopAround(m, {0, 0.1, 0}, {0, 1, 0}, {0, 0.1, 0});
  ASSERT_FALSE(loop.points.empty());
  EXPECT_LT(loop.tapeLength({0, 1, 0}), loop.length() - 0.5);
  // The tape round two tangent circles of radius 3 set 5 apart: 2πr + 2 × 5.
  EXPECT_NEAR(loop.tapeLength({0, 1, 0}), 2 * kPi * 3 + 10, 0.4);
}

TEST(Figures, RenumberingPutsTheFixedPointsInTheirPlaces) {
  FigureModel f;
  f.body = polygoniseField([](const Vec3& p) { return sphere(p, {}, 3); }, -4, 4, 0.8);
  f.parts.assign(f.body.positions.size(), Part::Torso);
  f.weights.assign(f.body.positions.size(), VertexWeights{});
  const Vec3 top = f.body.positions[17];
  const Triangle tri = f.body.triangles[5];
  FixedPlacement placement;
  placement.vertices = {{3, 17}, {0, 40}};
  placement.triangles = {{11, 5}};
  const Vec3 other = f.body.positions[40];
  renumberBody(f, placement);
  EXPECT_EQ(f.body.positions[3], top);
  EXPECT_EQ(f.body.positions[0], other);
  // The triangle keeps its corners (renumbered) and sits in its slot.
  const Triangle& moved = f.body.triangles[11];
  for (int c = 0; c < 3; ++c) EXPECT_EQ(f.body.positions[moved[c]], polygoniseField([](const Vec3& p) { return sphere(p, {}, 3); }, -4, 4, 0.8).positions[tri[c]]);
  expectClosed(f.body, "renumbered");
}

TEST(Figures, RestPoseLeavesTheBodyAndABentElbowMovesOnlyTheForearm) {
  const FigureShape shape = womanShape();
  const Rig rig = rigFor(shape);
  std::vector<Vec3> points = {shape.headTop + Vec3{0, -3, 0}, lerp(shape.arm.elbow, shape.arm.wrist, 0.6),
                              lerp(shape.arm.shoulder, shape.arm.elbow, 0.3)};
  const std::vector<Part> parts = {Part::Head, Part::ArmLeft, Part::ArmLeft};
  const auto weights = skinWeights(points, parts, rig);
  for (const VertexWeights& w : weights) {
    float sum = 0;
    for (float x : w.weight) sum += x;
    EXPECT_NEAR(sum, 1.0f, 1e-5f);
  }
  const auto rest = jointMotions(rig, Pose{});
  for (std::size_t i = 0; i < points.size(); ++i) {
    const Vec3 p = skinPoint(points[i], weights[i], rest);
    EXPECT_NEAR(length(p - points[i]), 0.0, 1e-9);
  }
  Pose bent;
  bent.turn(kLeftElbow, {1, 0, 0}, -90);
  const auto motions = jointMotions(rig, bent);
  EXPECT_NEAR(length(skinPoint(points[0], weights[0], motions) - points[0]), 0.0, 1e-9);
  EXPECT_GT(skinPoint(points[1], weights[1], motions).z, points[1].z + 5);  // the forearm swings forward
  EXPECT_LT(length(skinPoint(points[2], weights[2], motions) - points[2]), 0.5);
}

}  // namespace
}  // namespace vestora::generate
