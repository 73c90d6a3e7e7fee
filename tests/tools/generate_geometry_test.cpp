// The geometry the content generator builds bodies with: polygonising
// implicit surfaces into closed meshes, improving them without opening
// them, cutting sections, renumbering and skinning.
#include <cmath>

#include <gtest/gtest.h>

#include "body/figure_model.h"
#include "body/mesh.h"
#include "body/polygonise.h"
#include "body/section.h"
#include "body/skin_layout.h"
#include "body/skin_paint.h"

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

double sphere(const Vec3& p, const Vec3& c, double r) {
  return length(p - c) - r;
}

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
  const Mesh m = polygoniseField(
      [](const Vec3& p) {
        return sphere(p, {0.1, 0.2, 0.3}, 5);
      },
      -7, 7, 0.7);
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
       [](const Vec3& p) {
         return std::min(sphere(p, {-2.02, 0, 0}, 2), sphere(p, {2.02, 0, 0}, 2));
       }},
      {"torus",
       [](const Vec3& p) {
         const double q = std::sqrt(p.x * p.x + p.z * p.z) - 3.0;
         return std::sqrt(q * q + p.y * p.y) - 0.9;
       }},
      {"thin rod",
       [](const Vec3& p) {
         return std::max(std::sqrt(p.x * p.x + p.z * p.z) - 0.3, std::abs(p.y) - 3.0);
       }},
      {"wavy",
       [](const Vec3& p) {
         return length(p) - 3.5 + 0.6 * std::sin(3 * p.x) * std::sin(3 * p.y) * std::sin(3 * p.z);
       }},
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
  for (std::size_t t = 0; t < m.triangles.size(); t += 3)
    std::swap(m.triangles[t][0], m.triangles[t][1]);
  for (auto& t : m.triangles)
    std::swap(t[1], t[2]);  // everything inside out, a third the other way
  EXPECT_GT(orientConsistently(m), 0);
  expectClosed(m, "reoriented");
  EXPECT_GT(signedVolume(m), 0);
}

TEST(Sections, CylinderGirthIsTwoPiR) {
  const double r = 4.0;
  auto f = [&](const Vec3& p) {
    return std::max(std::sqrt(p.x * p.x + p.z * p.z) - r, std::abs(p.y) - 6.0);
  };
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
  for (int c = 0; c < 3; ++c)
    EXPECT_EQ(f.body.positions[moved[c]],
              polygoniseField([](const Vec3& p) { return sphere(p, {}, 3); }, -4, 4, 0.8)
                  .positions[tri[c]]);
  expectClosed(f.body, "renumbered");
}

TEST(Figures, RestPoseLeavesTheBodyAndABentElbowMovesOnlyTheForearm) {
  const FigureShape shape = womanShape();
  const Rig rig = rigFor(shape);
  std::vector<Vec3> points = {shape.headTop + Vec3{0, -3, 0},
                              lerp(shape.arm.elbow, shape.arm.wrist, 0.6),
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
  EXPECT_GT(skinPoint(points[1], weights[1], motions).z,
            points[1].z + 5);  // the forearm swings forward
  EXPECT_LT(length(skinPoint(points[2], weights[2], motions) - points[2]), 0.5);
}

// The skin's layout on each kind of figure: every corner inside its
// picture, nothing turned over, little stretch, and the right limbs lying
// on the left ones.
TEST(SkinLayout, EveryKindUnrollsWithLittleStretch) {
  struct Kind {
    const char* name;
    FigureShape shape;
    double spacing;
  };
  for (const Kind& kind : {Kind{"woman", womanShape(), 1.3}, Kind{"girl", girlShape(), 0.9},
                           Kind{"man", manShape(), 1.3}}) {
    SCOPED_TRACE(kind.name);
    const FigureModel f = buildFigureModel(kind.shape, kind.spacing);
    const SkinLayout layout = layoutSkin(f, std::string(kind.name) == "girl");
    ASSERT_EQ(layout.corners.size(), f.body.triangles.size());
    for (const auto& corners : layout.corners)
      for (const Uv& p : corners) {
        ASSERT_GE(p.u, 0.0);
        ASSERT_LE(p.u, 1.0);
        ASSERT_GE(p.v, 0.0);
        ASSERT_LE(p.v, 1.0);
      }
    ASSERT_EQ(layout.eyes.size(), f.eyes.positions.size());
    const LayoutStretch all = measureStretch(f, layout);
    for (int c = 0; c < static_cast<int>(SkinChart::Count); ++c) {
      const LayoutStretch chart = measureStretch(f, layout, static_cast<SkinChart>(c));
      std::printf("%s %-6s stretch %.3f anisotropy %.3f worst %.3f folded %d\n", kind.name,
                  skinChartName(static_cast<SkinChart>(c)), chart.meanStretch, chart.meanAnisotropy,
                  chart.worstStretch, chart.foldedTriangles);
    }
    std::printf(
        "%s all    stretch %.3f anisotropy %.3f worst %.3f folded %d; %.1f texels/cm at 2048\n",
        kind.name, all.meanStretch, all.meanAnisotropy, all.worstStretch, all.foldedTriangles,
        layout.bodyScale * 2048);
    EXPECT_LT(all.meanStretch, 1.1);
    EXPECT_LT(all.worstStretch, 1.3);
    EXPECT_LT(all.meanAnisotropy, 1.6);
    EXPECT_LT(all.foldedTriangles, static_cast<int>(f.body.triangles.size() / 500));
  }
}

// The woman's painted pictures put each feature where the face has it: the
// skin at a point of the body is the picture's colour at that point's
// coordinate.
TEST(SkinPictures, FeaturesLieWhereTheFaceHasThem) {
  const FigureModel f = buildFigureModel(womanShape(), 1.3);
  const SkinLayout layout = layoutSkin(f, false);
  const int size = 512;
  const SkinPictures pictures = paintSkin(f, layout, womanLook(), size, size, size);
  ASSERT_EQ(pictures.body.size(), std::size_t(size) * size * 3);
  ASSERT_TRUE(pictures.eye.empty());
  // The colour the pictures give the body vertex nearest to p.
  auto colourAt = [&](const Vec3& p) {
    int best = -1;
    double bestDistance = 1e300;
    for (std::size_t t = 0; t < f.body.triangles.size(); ++t)
      for (int k = 0; k < 3; ++k) {
        const double d = length(f.body.positions[f.body.triangles[t][k]] - p);
        if (d < bestDistance) bestDistance = d, best = int(3 * t + k);
      }
    const Uv uv = layout.corners[best / 3][best % 3];
    const auto& rgb = layout.picture[best / 3] == SkinPicture::Head ? pictures.head : pictures.body;
    const std::size_t at = 3 * (std::size_t(std::min(size - 1, int(uv.v * size))) * size +
                                std::size_t(std::min(size - 1, int(uv.u * size))));
    return std::array<int, 3>{rgb[at], rgb[at + 1], rgb[at + 2]};
  };
  const FigureShape& s = f.shape;
  const double k = s.head.headHeight / 22.7;
  const Vec3 top = s.headTop;
  const auto lips = colourAt(top + Vec3{0, -17.6, 8.6} * k);
  const auto cheek = colourAt(top + Vec3{4.0, -15.5, 5.6} * k);
  const auto brow = colourAt(top + Vec3{2.6, -9.45, 7.6} * k);
  const auto crown = colourAt(top + Vec3{0, 0, -1.0} * k);
  const auto thigh = colourAt(lerp(s.leg.hip, s.leg.knee, 0.5) + Vec3{0, 0, s.leg.thighMid});
  // Lips redder than the cheek, brows and the scalp darker than skin, the
  // thigh skin-coloured.
  EXPECT_GT(lips[0] - lips[1], cheek[0] - cheek[1] + 20);
  EXPECT_LT(brow[0] + brow[1] + brow[2], cheek[0] + cheek[1] + cheek[2] - 90);
  EXPECT_LT(crown[0] + crown[1] + crown[2], 200);
  EXPECT_GT(thigh[0], thigh[2] + 25);
  EXPECT_GT(thigh[0], 180);
  // The eyeball's disc: a dark pupil at its centre, white towards its rim.
  const auto disc = [&](double dx, double dy) {
    const int x = int((layout.eyeDiscCentre.u + dx * layout.eyeDiscRadius) * size);
    const int y = int((layout.eyeDiscCentre.v + dy * layout.eyeDiscRadius) * size);
    const std::size_t at = 3 * (std::size_t(y) * size + x);
    return pictures.head[at] + pictures.head[at + 1] + pictures.head[at + 2];
  };
  EXPECT_LT(disc(0, 0), 120);
  EXPECT_GT(disc(0.55, 0), 560);
}

}  // namespace
}  // namespace vestora::generate
