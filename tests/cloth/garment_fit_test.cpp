// Binding, fitting and relaxing a garment, the collision push-out and the
// stretch limiting, and the body index against the plain scans it replaces.
#include "cloth/garment_fit.h"

#include <algorithm>
#include <cmath>
#include <random>

#include <gtest/gtest.h>

#include "avatar/idle_animation.h"
#include "body/body_fixture.h"
#include "cloth/garment_files.h"

namespace vestora {
namespace {

GarmentParticle particleAt(float x, float y, float z, std::int32_t side = kSideBack) {
  GarmentParticle p;
  p.point.x = x;
  p.point.y = y;
  p.point.z = z;
  p.side = side;
  return p;
}

Vec3 at(const GarmentParticle& p) {
  return {p.point.x, p.point.y, p.point.z};
}

float length(const GarmentParticle& a, const GarmentParticle& b) {
  return BodySurface::distance(at(a), at(b));
}

// A flat square of body samples in the plane z = 0, facing +z.
BodySurface flatBody(int n = 5, float spacing = 1.0f) {
  std::vector<Vec3> positions;
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) positions.push_back({i * spacing, j * spacing, 0});
  std::vector<std::array<std::int32_t, 3>> triangles;
  for (int j = 0; j + 1 < n; ++j)
    for (int i = 0; i + 1 < n; ++i) {
      const int a = j * n + i;
      triangles.push_back({a, a + 1, a + n + 1});
      triangles.push_back({a, a + n + 1, a + n});
    }
  return BodySurface(std::move(positions), triangles);
}

TEST(LimitStretch, StretchedAndCompressedSpringsEndAtTheirLimits) {
  std::vector<GarmentParticle> particles{particleAt(0, 0, 0), particleAt(1.5f, 0, 0),
                                         particleAt(10, 0, 0), particleAt(10.5f, 0, 0)};
  std::vector<GarmentEdge> edges{{0, 1, 1.0f}, {2, 3, 1.0f}};
  LimitStretch(kStretchTolerance, particles, edges);
  EXPECT_NEAR(length(particles[0], particles[1]), 1.2f, 1e-6f);
  EXPECT_NEAR(length(particles[2], particles[3]), 0.8f, 1e-6f);
  // Both ends free: each takes half of the correction.
  EXPECT_NEAR(particles[0].point.x, 0.15f, 1e-6f);
  EXPECT_NEAR(particles[1].point.x, 1.35f, 1e-6f);
  EXPECT_NEAR(particles[2].point.x, 9.85f, 1e-6f);
}

TEST(LimitStretch, AFixedEndLeavesTheWholeCorrectionToTheOther) {
  std::vector<GarmentParticle> particles{particleAt(0, 0, 0), particleAt(0, 1.5f, 0),
                                         particleAt(5, 0, 0), particleAt(5, 2.0f, 0)};
  particles[0].fixed = 1;
  particles[3].fixed = 1;
  std::vector<GarmentEdge> edges{{0, 1, 1.0f}, {2, 3, 1.0f}};
  LimitStretch(kStretchTolerance, particles, edges);
  EXPECT_EQ(particles[0].point.y, 0.0f);
  EXPECT_NEAR(particles[1].point.y, 1.2f, 1e-6f);
  EXPECT_EQ(particles[3].point.y, 2.0f);
  EXPECT_NEAR(particles[2].point.y, 0.8f, 1e-6f);
  // Both ends held: nothing moves.
  particles[1].fixed = 1;
  particles[1].point.y = 3;
  LimitStretch(kStretchTolerance, particles, edges);
  EXPECT_EQ(particles[1].point.y, 3.0f);
}

TEST(LimitStretch, LaterEdgesSeeEarlierCorrectionsAndDegenerateEdgesAreSkipped) {
  // A chain 0-1-2 with the first spring stretched: its correction moves
  // particle 1, which the second spring then measures from.
  std::vector<GarmentParticle> particles{particleAt(0, 0, 0), particleAt(2, 0, 0),
                                         particleAt(3, 0, 0), particleAt(7, 7, 7)};
  std::vector<GarmentEdge> edges{{0, 1, 1.0f}, {1, 2, 1.0f}, {3, 3, 1.0f}, {3, 9, 1.0f}};
  LimitStretch(kStretchTolerance, particles, edges);
  // After the first edge particle 1 sits at 1.6; the second edge is then 1.4 long.
  EXPECT_NEAR(particles[1].point.x, 1.6f + 0.1f, 1e-6f);
  EXPECT_NEAR(particles[2].point.x, 3.0f - 0.1f, 1e-6f);
  EXPECT_EQ(at(particles[3]), (Vec3{7, 7, 7}));
  // Coincident ends have no direction: no NaN appears.
  std::vector<GarmentParticle> same{particleAt(1, 1, 1), particleAt(1, 1, 1)};
  LimitStretch(kStretchTolerance, same, {{0, 1, 1.0f}});
  EXPECT_EQ(at(same[0]), (Vec3{1, 1, 1}));
}

TEST(PushOutOfBody, OnlySamplesStrictlyInsideTheSlabAreCandidates) {
  const BodySurface body = flatBody();
  // Every sample lies at y 0 … 4: a particle at y = 6 has none within ±2.
  std::vector<GarmentParticle> particles{particleAt(2, 6, -0.5f), particleAt(2, -2, -0.5f),
                                         particleAt(2, 5.99f, -0.5f)};
  particles[0].contact = 1;
  PushOutOfBody(particles, body);
  EXPECT_EQ(at(particles[0]), (Vec3{2, 6, -0.5f}));
  EXPECT_EQ(at(particles[1]), (Vec3{2, -2, -0.5f}));
  EXPECT_EQ(particles[0].contact, 0);
  // Just inside the slab the row at y = 4 is a candidate: the particle lies
  // behind it and moves one step along +z.
  EXPECT_FLOAT_EQ(particles[2].point.z, -0.4f);
}

TEST(PushOutOfBody, TheContactThresholdIsStrict) {
  const BodySurface body = flatBody();
  // Find a position whose direction from sample 12 (at 2, 2, 0) makes
  // exactly 0.1 with the normal (0, 0, 1), as the pass computes it.
  const Vec3 s = body.sample(12);
  ASSERT_EQ(body.normal(12), (Vec3{0, 0, 1}));
  float z = 0.1f / std::sqrt(0.99f) * 0.3f;
  float facing = 0;
  for (int step = 0; step < 100000; ++step) {
    const Vec3 p{s[0] + 0.3f, s[1], z};
    facing = (p[2] - s[2]) / BodySurface::distance(p, s);
    if (facing == kContactThreshold) break;
    z = std::nextafter(z, facing < kContactThreshold ? 1.0f : 0.0f);
  }
  ASSERT_EQ(facing, kContactThreshold);
  std::vector<GarmentParticle> particles{particleAt(s[0] + 0.3f, s[1], z),
                                         particleAt(s[0] + 0.3f, s[1], std::nextafter(z, 0.0f))};
  PushOutOfBody(particles, body);
  EXPECT_EQ(particles[0].point.z, z);  // exactly 0.1: not moved
  EXPECT_FLOAT_EQ(particles[1].point.z, std::nextafter(z, 0.0f) + kPushStep);
  EXPECT_EQ(particles[1].point.x, s[0] + 0.3f);
}

TEST(PushOutOfBody, AParticleOnItsSampleIsPushedOutWithoutNaN) {
  const BodySurface body = flatBody();
  std::vector<GarmentParticle> particles{particleAt(2, 2, 0)};
  PushOutOfBody(particles, body);
  EXPECT_EQ(at(particles[0]), (Vec3{2, 2, kPushStep}));
  // Five passes move a particle at most five steps.
  std::vector<GarmentParticle> deep{particleAt(2, 2, -3)};
  for (int i = 0; i < 5; ++i) PushOutOfBody(deep, body);
  EXPECT_FLOAT_EQ(deep[0].point.z, -3 + 5 * kPushStep);
}

TEST(PushOutOfBody, AVertexWithoutTrianglesHasAZeroNormalAndPushesNothing) {
  BodySurface body({{0, 0, 0}, {5, 0, 0}, {0, 5, 0}, {0, 0.5f, 0}}, {{0, 1, 2}});
  EXPECT_EQ(body.normal(3), (Vec3{0, 0, 0}));
  std::vector<GarmentParticle> particles{particleAt(0, 0.6f, -0.01f)};
  PushOutOfBody(particles, body);
  EXPECT_EQ(at(particles[0]), (Vec3{0, 0.6f, -0.01f}));
}

TEST(TurnOffset, AnyComponentWithinToleranceLeavesTheOffsetAlone) {
  const Vec3 offset{0.1f, 0.2f, 0.3f};
  // y unchanged, x and z changed: no turn.
  EXPECT_EQ(turnOffset(offset, {0.6f, 0, 0.8f}, {0.8f, 0.00005f, 0.6f}), offset);
  // Every component changed: the offset is carried as n0 is carried onto n1.
  const Vec3 n0{0, 0, 1};
  const Vec3 n1{0.6f, 0.48f, 0.64f};
  const Vec3 turned = turnOffset(n0, n0, n1);
  for (int a = 0; a < 3; ++a) EXPECT_NEAR(turned[a], n1[a], 1e-5f);
  // A zero normal gives no axis: no NaN, no turn.
  EXPECT_EQ(turnOffset(offset, {0, 0, 0}, n1), offset);
}

TEST(FitGarmentToBody, ParticlesFollowTheirSamplesThenRelaxAndShiftBySide) {
  BodySurface body = flatBody();
  GarmentMesh garment;
  garment.particles = {particleAt(1, 1, 0.5f, kSideFront), particleAt(3, 3, 0.5f, kSideBack),
                       particleAt(2, 2, 0.0f, 2)};
  BindGarmentToBody(garment, body);
  EXPECT_EQ(garment.bindings[0].sample, 6);
  EXPECT_EQ(garment.bindings[2].offset, (Vec3{0, 0, 0}));
  EXPECT_EQ(garment.bindings[0].normalZ, 1.0f);

  // Not bound yet: a fit changes nothing.
  FitGarmentToBody(garment, body);
  EXPECT_EQ(at(garment.particles[0]), (Vec3{1, 1, 0.5f}));

  garment.hasBinding = true;
  std::vector<Vec3> moved(body.samples().begin(), body.samples().end());
  for (Vec3& p : moved) p[2] += 1.0f;  // the body moves forwards by one
  ASSERT_TRUE(body.refresh(moved));
  body.setDisplacements(std::vector<Vec3>(body.size(), {0, 0.25f, 0}));
  FitGarmentToBody(garment, body);
  // Standing: offset × 1.15 + sample + displacement; in front of the body
  // (u · n = 1) so no push; then the side shift.
  EXPECT_NEAR(garment.particles[0].point.z, 1.0f + 1.15f * 0.5f - kSideShift, 1e-6f);
  EXPECT_NEAR(garment.particles[0].point.y, 1.25f, 1e-6f);
  EXPECT_NEAR(garment.particles[1].point.z, 1.0f + 1.15f * 0.5f + kSideShift, 1e-6f);
  // The particle bound with no offset lands on its sample, is pushed out
  // once (it then lies in front) and shifted.
  EXPECT_NEAR(garment.particles[2].point.z, 1.0f + kPushStep + kSideShift, 1e-6f);
  EXPECT_EQ(garment.drawParticles.size(), 3u);
  EXPECT_EQ(garment.drawParticles[1].point.z, garment.particles[1].point.z);

  // Fits do not accumulate.
  const auto first = garment.particles;
  FitGarmentToBody(garment, body);
  for (std::size_t i = 0; i < first.size(); ++i) EXPECT_EQ(at(garment.particles[i]), at(first[i]));

  // Posed: the smaller widening.
  body.standingPose = false;
  FitGarmentToBody(garment, body);
  EXPECT_NEAR(garment.particles[0].point.z, 1.0f + 1.08f * 0.5f - kSideShift, 1e-6f);
}

TEST(FitGarmentToBody, AParticleOutOfReachStaysUnboundAndInPlace) {
  const BodySurface body = flatBody();
  GarmentMesh garment;
  garment.particles = {particleAt(2, 2, 0.5f), particleAt(2, 2, 150.0f)};
  garment.bindings.resize(2);
  garment.bindings[1].sample = 3;  // stale record: must not be used
  BindGarmentToBody(garment, body);
  EXPECT_EQ(garment.bindings[1].sample, kUnbound);
  garment.hasBinding = true;
  FitGarmentToBody(garment, body);
  EXPECT_EQ(garment.particles[1].point.x, 2.0f);
  EXPECT_FLOAT_EQ(garment.particles[1].point.z, 150.0f + kSideShift);
  // A binding to a sample the body does not have is passed over as well.
  garment.bindings[0].sample = 1000;
  garment.particles[0].point.z = 9;
  FitGarmentToBody(garment, body);
  EXPECT_FLOAT_EQ(garment.particles[0].point.z, 9.0f + kSideShift);
}

TEST(BodyIndex, TiesGoToTheFirstSampleInOrder) {
  // Samples 1 and 3 coincide and 0 and 2 lie as near as each other.
  BodySurface body({{1, 0, 0}, {0, 2, 0}, {-1, 0, 0}, {0, 2, 0}}, {});
  EXPECT_EQ(body.nearest({0, 0, 0}, 100).index, 0);
  EXPECT_EQ(body.scanNearest({0, 0, 0}, 100).index, 0);
  EXPECT_EQ(body.nearest({0, 2.1f, 0}, 100).index, 1);
  // Only samples strictly nearer than the radius.
  EXPECT_EQ(body.nearest({0, 0, 0}, 1.0f).index, -1);
  EXPECT_EQ(body.scanNearest({0, 0, 0}, 1.0f).index, -1);
  EXPECT_EQ(body.nearest({0, 0, 0}, 1.0001f).index, 0);
}

void expectSameSearches(const BodySurface& body, const Vec3& p) {
  const NearestSample a = body.nearest(p, kBindRadius);
  const NearestSample b = body.scanNearest(p, kBindRadius);
  ASSERT_EQ(a.index, b.index) << p[0] << " " << p[1] << " " << p[2];
  ASSERT_EQ(a.distance, b.distance);
  const NearestSample c = body.nearestInSlab(p, kBindRadius, kSlabHalfHeight);
  const NearestSample d = body.scanNearestInSlab(p, kBindRadius, kSlabHalfHeight);
  ASSERT_EQ(c.index, d.index) << p[0] << " " << p[1] << " " << p[2];
  ASSERT_EQ(c.distance, d.distance);
}

TEST(BodyIndex, FindsWhatTheScanFindsAroundTheDefaultBody) {
  testing::LoadedWoman w;
  const BodySurface body = BodySurface::fromAvatar(w.avatar);
  std::mt19937 random(7);
  std::uniform_real_distribution<float> unit(0, 1);
  const Vec3 lo{w.avatar.minimum[0], w.avatar.minimum[1], w.avatar.minimum[2]};
  const Vec3 hi{w.avatar.maximum[0], w.avatar.maximum[1], w.avatar.maximum[2]};
  // Points near the skin, in the box, well outside it, far above the head
  // and on samples themselves.
  for (int i = 0; i < 3000; ++i) {
    const Vec3& s = body.sample(static_cast<std::int32_t>(random() % body.size()));
    const float r = i % 3 == 0 ? 0.02f : (i % 3 == 1 ? 0.3f : 2.0f);
    expectSameSearches(body, {s[0] + r * (unit(random) - 0.5f), s[1] + r * (unit(random) - 0.5f),
                              s[2] + r * (unit(random) - 0.5f)});
  }
  for (int i = 0; i < 500; ++i) {
    expectSameSearches(body, {lo[0] - 3 + (hi[0] - lo[0] + 6) * unit(random),
                              lo[1] - 5 + (hi[1] - lo[1] + 10) * unit(random),
                              lo[2] - 3 + (hi[2] - lo[2] + 6) * unit(random)});
  }
  for (int i = 0; i < 200; ++i) expectSameSearches(body, body.sample(i * 37));
  expectSameSearches(body, {0, hi[1] + 2.5f, 0});
  expectSameSearches(body, {0, hi[1] + 1.5f, 0});
  expectSameSearches(body, {500, 0, 0});
}

}  // namespace
}  // namespace vestora

namespace vestora {
namespace {

// The production fit (body index, gathered neighbourhoods, two threads)
// against the reference fit (plain scans): the same positions, bit for bit,
// for the default garments on several shapes of the body.
TEST(FitGarmentToBody, TheIndexedFitEqualsTheReferenceFitOnSeveralBodies) {
  testing::LoadedWoman w;
  GarmentLoadContext ctx;
  auto dress = LoadFittedGarment(testing::bodyRoot() + "/pattern/Dress.pop", ctx);
  ASSERT_TRUE(dress.ok()) << dress.error().message();
  ASSERT_TRUE(dress->hasBinding);
  auto top = LoadPatternMesh(testing::bodyRoot() + "/pattern/Top.msh", ctx);
  ASSERT_TRUE(top.ok()) << top.error().message();
  BodySurface body = BodySurface::fromAvatar(w.avatar);
  BindGarmentToBody(*top, body);
  top->hasBinding = true;

  BodyShaper shaper(w.avatar);
  struct Shape {
    float height, weight, month;
  };
  for (const Shape& shape :
       {Shape{174.7f, 111.5f, 0}, Shape{158, 85, 0}, Shape{192, 150, 0}, Shape{170, 120, 9}}) {
    shaper.SetBodyHeight(shape.height);
    shaper.SetBodyWeight(shape.weight);
    shaper.SetPregnancyMonth(shape.month);
    ASSERT_TRUE(body.refresh(w.avatar));
    for (GarmentMesh* garment : {&dress.value(), &top.value()}) {
      GarmentMesh reference;
      reference.particles = garment->particles;
      reference.edges = garment->edges;
      reference.bindings = garment->bindings;
      reference.hasBinding = true;
      FitGarmentToBody(*garment, body, SampleSearch::Indexed);
      FitGarmentToBody(reference, body, SampleSearch::Scan);
      for (std::size_t i = 0; i < garment->particles.size(); ++i) {
        ASSERT_EQ(at(garment->particles[i]), at(reference.particles[i]))
            << "particle " << i << " at " << shape.height << " cm, " << shape.weight
            << " jin, month " << shape.month;
      }
    }
  }
}

}  // namespace
}  // namespace vestora

namespace vestora {
namespace {

// A surface refreshed frame by frame while part of the body breathes
// (only the moved samples recomputed, the grid filing drifted samples where
// they were) answers every search as a surface built afresh over the same
// shape, and the fit on it is the same bit for bit.
TEST(BodyIndex, ARefreshAfterSomeSamplesMovedAnswersAsAFreshSurface) {
  testing::LoadedWoman w;
  IdleAnimation idle;
  ASSERT_TRUE(idle.load(w.avatar).ok());
  ASSERT_FALSE(idle.movingVertices().empty());
  ASSERT_LT(idle.movingVertices().size() * 4, w.avatar.skin.size());
  GarmentLoadContext ctx;
  auto dress = LoadFittedGarment(testing::bodyRoot() + "/pattern/Dress.pop", ctx);
  ASSERT_TRUE(dress.ok()) << dress.error().message();

  BodySurface body = BodySurface::fromAvatar(w.avatar);
  std::mt19937 random(11);
  std::uniform_real_distribution<float> unit(-0.5f, 0.5f);
  // Forward through the breath, then straight back to its first frame.
  for (const std::size_t k : {1, 2, 3, 10, 25, 50, 75, 99, 60, 0}) {
    ASSERT_TRUE(idle.show(w.avatar, k));
    ASSERT_TRUE(body.refresh(w.avatar));
    const BodySurface fresh = BodySurface::fromAvatar(w.avatar);
    for (std::size_t s = 0; s < body.size(); ++s) {
      const auto i = static_cast<std::int32_t>(s);
      ASSERT_EQ(body.sample(i), fresh.sample(i)) << "frame " << k;
      ASSERT_EQ(body.normal(i), fresh.normal(i)) << "frame " << k << ", sample " << s;
    }
    for (int q = 0; q < 300; ++q) {
      const std::int32_t v = idle.movingVertices()[random() % idle.movingVertices().size()] - 1;
      const Vec3& s = body.sample(v);
      const float r = q % 2 ? 0.05f : 0.6f;
      const Vec3 p{s[0] + r * unit(random), s[1] + r * unit(random), s[2] + r * unit(random)};
      expectSameSearches(body, p);
      std::vector<std::int32_t> near, freshNear;
      body.gatherWithin(p, 0.15f, near);
      fresh.gatherWithin(p, 0.15f, freshNear);
      std::sort(near.begin(), near.end());
      std::sort(freshNear.begin(), freshNear.end());
      ASSERT_EQ(near, freshNear) << "frame " << k;
    }
    GarmentMesh other;
    other.particles = dress->particles;
    other.edges = dress->edges;
    other.bindings = dress->bindings;
    other.hasBinding = true;
    FitGarmentToBody(*dress, body);
    FitGarmentToBody(other, fresh);
    for (std::size_t i = 0; i < other.particles.size(); ++i)
      ASSERT_EQ(at(dress->particles[i]), at(other.particles[i])) << "frame " << k;
  }
}

}  // namespace
}  // namespace vestora
