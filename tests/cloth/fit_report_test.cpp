// The fit report: the strain of hand-made meshes and its percentiles, the
// fit map's colour scale, and the ease at bust, waist and hip, checked on
// tubes of known radius round the default body and on the generated
// garments against a section taken another way.
#include "cloth/fit_report.h"

#include <cmath>
#include <limits>
#include <numbers>

#include <gtest/gtest.h>

#include "body/body_fixture.h"
#include "body/body_shaper.h"
#include "body/measurement.h"
#include "body/section_length.h"
#include "cloth/garment_files.h"
#include "cloth/try_on.h"
#include "platform/user_dialogs.h"

namespace vestora {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

GarmentParticle particleAt(float x, float y, float z) {
  GarmentParticle p;
  p.point.x = x, p.point.y = y, p.point.z = z;
  return p;
}

GarmentEdge spring(std::int32_t a, std::int32_t b, float rest) {
  GarmentEdge e;
  e.a = a, e.b = b, e.rest = rest;
  return e;
}

TEST(ParticleStrain, MeanOfItsEdgesStrainsWithBadEdgesLeftOut) {
  const std::vector<GarmentParticle> particles = {particleAt(0, 0, 0), particleAt(3, 4, 0),
                                                  particleAt(0, 0, 2), particleAt(9, 9, 9),
                                                  particleAt(0, 1, 2), particleAt(kNaN, 0, 0)};
  const std::vector<GarmentEdge> edges = {
      spring(0, 1, 4.0f),   // 5 long: stretched by a quarter
      spring(0, 2, 2.0f),   // at rest
      spring(2, 4, 1.25f),  // 1 long: compressed by a fifth
      // Named particles that do not exist, or the particle itself.
      spring(1, 6, 1.0f), spring(-1, 0, 1.0f), spring(2, 2, 1.0f),
      // No usable rest length.
      spring(1, 2, 0.0f), spring(1, 2, -1.0f), spring(1, 2, kNaN),
      spring(1, 2, std::numeric_limits<float>::infinity()),
      // A length that is not a number.
      spring(5, 0, 1.0f)};
  const std::vector<float> strain = particleStrain(particles, edges);
  ASSERT_EQ(strain.size(), particles.size());
  EXPECT_FLOAT_EQ(strain[0], (0.25f + 0.0f) / 2);
  EXPECT_FLOAT_EQ(strain[1], 0.25f);
  EXPECT_FLOAT_EQ(strain[2], (0.0f - 0.2f) / 2);
  EXPECT_EQ(strain[3], 0.0f);  // no edge uses it
  EXPECT_FLOAT_EQ(strain[4], -0.2f);
  EXPECT_EQ(strain[5], 0.0f);

  // The garment's own particles, where they are now.
  GarmentMesh garment;
  garment.particles = particles;
  garment.edges = edges;
  garment.particles[1].point.x = 0, garment.particles[1].point.y = 6;  // 6 long now
  EXPECT_FLOAT_EQ(particleStrain(garment)[1], 0.5f);
  EXPECT_TRUE(particleStrain(GarmentMesh{}).empty());
}

TEST(StrainSummary, NearestRankPercentiles) {
  // 0.01 … 0.20 in no order: the 50th percentile is the 10th smallest, the
  // 95th the 19th.
  std::vector<float> strain;
  for (int i = 0; i < 20; ++i) strain.push_back(float((i * 7) % 20 + 1) / 100);
  StrainSummary s = summariseStrain(strain);
  EXPECT_FLOAT_EQ(s.p50, 0.10f);
  EXPECT_FLOAT_EQ(s.p95, 0.19f);
  EXPECT_FLOAT_EQ(s.max, 0.20f);

  // Values that are not numbers are left out; a garment all slack has a
  // negative maximum.
  const std::vector<float> slack = {kNaN, -0.3f, -0.1f};
  s = summariseStrain(slack);
  EXPECT_FLOAT_EQ(s.p50, -0.3f);
  EXPECT_FLOAT_EQ(s.p95, -0.1f);
  EXPECT_FLOAT_EQ(s.max, -0.1f);

  const std::vector<float> one = {0.04f};
  s = summariseStrain(one);
  EXPECT_EQ(s.p50, 0.04f);
  EXPECT_EQ(s.p95, 0.04f);
  EXPECT_EQ(s.max, 0.04f);

  // Nothing to summarise: zeros.
  for (const std::vector<float>& none : {std::vector<float>{}, std::vector<float>{kNaN}}) {
    s = summariseStrain(none);
    EXPECT_EQ(s.p50, 0.0f);
    EXPECT_EQ(s.p95, 0.0f);
    EXPECT_EQ(s.max, 0.0f);
  }
}

TEST(FitMapColour, BlueLooseNeutralAtRestRedTightAndClamped) {
  // The stops run from loose to tight, and each is its own colour.
  for (std::size_t i = 0; i < kFitMapStops.size(); ++i) {
    if (i > 0) {
      EXPECT_LT(kFitMapStops[i - 1].strain, kFitMapStops[i].strain);
    }
    EXPECT_EQ(fitMapColour(kFitMapStops[i].strain), kFitMapStops[i].colour) << i;
  }
  EXPECT_EQ(kFitMapStops.front().strain, -kFitMapRange);
  EXPECT_EQ(kFitMapStops.back().strain, kFitMapRange);

  // Red never falls and blue never rises as the strain grows; both change
  // across the scale.
  Rgb8 previous = fitMapColour(-2 * kFitMapRange);
  for (float s = -2 * kFitMapRange; s <= 2 * kFitMapRange; s += kFitMapRange / 100) {
    const Rgb8 c = fitMapColour(s);
    ASSERT_GE(c.r, previous.r) << s;
    ASSERT_LE(c.b, previous.b) << s;
    previous = c;
  }
  const Rgb8 loose = fitMapColour(-kFitMapRange), neutral = fitMapColour(0),
             tight = fitMapColour(kFitMapRange);
  EXPECT_LT(loose.r, neutral.r);
  EXPECT_LT(neutral.r, tight.r);
  EXPECT_GT(loose.b, neutral.b);
  EXPECT_GT(neutral.b, tight.b);
  // Loose is blue, at rest light and nearly grey, tight red.
  EXPECT_GT(loose.b, loose.r + 100);
  EXPECT_GT(std::min({neutral.r, neutral.g, neutral.b}), 200);
  EXPECT_LT(
      std::max({neutral.r, neutral.g, neutral.b}) - std::min({neutral.r, neutral.g, neutral.b}),
      20);
  EXPECT_GT(tight.r, tight.g + 150);

  // Beyond the range the end colours; a strain that is not a number is
  // neutral.
  EXPECT_EQ(fitMapColour(-0.5f), loose);
  EXPECT_EQ(fitMapColour(-std::numeric_limits<float>::infinity()), loose);
  EXPECT_EQ(fitMapColour(3.0f), tight);
  EXPECT_EQ(fitMapColour(kNaN), neutral);
}

// ---- ease ------------------------------------------------------------------

// A tube round the vertical axis through (cx, cz): `sides` strips of
// `rings` − 1 quads each, two triangles a quad, its springs at rest; the
// first `open` strips are left out.
void addTube(GarmentMesh& g, float cx, float cz, float radius, float y0, float y1, int sides,
             int open = 0) {
  constexpr int rings = 5;
  const auto first = static_cast<std::int32_t>(g.particles.size());
  for (int k = 0; k < rings; ++k)
    for (int i = 0; i < sides; ++i) {
      const double a = 2 * std::numbers::pi * i / sides;
      g.particles.push_back(particleAt(cx + radius * float(std::cos(a)),
                                       y0 + (y1 - y0) * k / (rings - 1),
                                       cz + radius * float(std::sin(a))));
    }
  auto id = [&](int k, int i) { return first + k * sides + (i % sides); };
  auto link = [&](std::int32_t a, std::int32_t b) {
    const SkinVertex &p = g.particles[a].point, &q = g.particles[b].point;
    g.edges.push_back(spring(a, b, std::hypot(q.x - p.x, q.y - p.y, q.z - p.z)));
  };
  for (int k = 0; k + 1 < rings; ++k)
    for (int i = open; i < sides; ++i) {
      GarmentTriangle lower, upper;
      lower.vertex = {id(k, i), id(k, i + 1), id(k + 1, i + 1)};
      upper.vertex = {id(k, i), id(k + 1, i + 1), id(k + 1, i)};
      g.triangles.push_back(lower);
      g.triangles.push_back(upper);
      link(id(k, i), id(k, i + 1));
      link(id(k, i), id(k + 1, i));
      link(id(k, i), id(k + 1, i + 1));
    }
}

struct Circle {
  float cx = 0, cz = 0, radius = 0;
};

// The circle about a section loop's mean point that holds the whole loop,
// widened by `margin`.
Circle around(const SectionLoop& loop, float margin) {
  Circle c;
  for (const Vec3f& p : loop.points) c.cx += p.x, c.cz += p.z;
  c.cx /= loop.points.size(), c.cz /= loop.points.size();
  for (const Vec3f& p : loop.points)
    c.radius = std::max(c.radius, std::hypot(p.x - c.cx, p.z - c.cz));
  c.radius += margin;
  return c;
}

struct MeasuredWoman {
  testing::LoadedWoman woman;
  MeasureResults body = measureAvatar(woman.avatar);
  float cm(float modelLength) const { return modelLength / woman.avatar.unitScale(); }
  SectionLoop trunkAt(float y) const {
    return loopAround(woman.avatar, {0, y, 0}, {0, 1, 0}, {0, y, body.trunkZ});
  }
};

TEST(Ease, TubesOfKnownRadiusRoundTheWaistAndHips) {
  MeasuredWoman w;
  ASSERT_TRUE(w.body.measured);
  ASSERT_GT(w.body.chestY, w.body.waistY);
  ASSERT_GT(w.body.waistY, w.body.hipY);
  const float half = 0.5f;  // 5 cm above and below each level
  ASSERT_LT(w.body.waistY + half, w.body.chestY);
  ASSERT_LT(w.body.hipY + half, w.body.waistY - half);
  // The levels are where the reported girths are taken.
  const Vec3f up{0, 1, 0};
  EXPECT_NEAR(w.cm(w.trunkAt(w.body.chestY).tapeLength(up)), w.body.value[kChest], 0.01);
  EXPECT_NEAR(w.cm(w.trunkAt(w.body.waistY).length()), w.body.value[kWaist], 0.01);
  EXPECT_NEAR(w.cm(w.trunkAt(w.body.hipY).tapeLength(up)), w.body.value[kHip], 0.01);
  const Circle waist = around(w.trunkAt(w.body.waistY), 0.1f);
  const Circle hip = around(w.trunkAt(w.body.hipY), 0.2f);
  constexpr int kSides = 180;
  GarmentMesh tubes;
  addTube(tubes, waist.cx, waist.cz, waist.radius, w.body.waistY - half, w.body.waistY + half,
          kSides);
  addTube(tubes, hip.cx, hip.cz, hip.radius, w.body.hipY - half, w.body.hipY + half, kSides);
  // Sleeves round the arms beside the waist do not count.
  int sleeves = 0;
  for (const SectionLoop& loop : sectionLoops(w.woman.avatar, {0, w.body.waistY, 0}, {0, 1, 0})) {
    const Circle arm = around(loop, 0.05f);
    if (std::hypot(arm.cx - waist.cx, arm.cz - waist.cz) < waist.radius) continue;  // the trunk
    ASSERT_GT(std::hypot(arm.cx - waist.cx, arm.cz - waist.cz), waist.radius + arm.radius);
    addTube(tubes, arm.cx, arm.cz, arm.radius, w.body.waistY - half, w.body.waistY + half, 24);
    ++sleeves;
  }
  ASSERT_EQ(sleeves, 2);

  const float tau = 2 * std::numbers::pi_v<float>;
  const EaseReport report = fitReport(w.woman.avatar, tubes);
  ASSERT_TRUE(report.waist && report.hip);
  EXPECT_NEAR(*report.waist, w.cm(tau * waist.radius) - w.body.value[kWaist], 0.1);
  EXPECT_NEAR(*report.hip, w.cm(tau * hip.radius) - w.body.value[kHip], 0.1);
  EXPECT_FALSE(report.bust);                   // the tubes end below the bust
  EXPECT_NEAR(report.strain.max, 0.0f, 1e-6);  // every spring at rest

  // A tube open down one side by a sixth of its round does not go round
  // the waist; a slit of one strip still does, and the tape spans it.
  GarmentMesh open, slit;
  addTube(open, waist.cx, waist.cz, waist.radius, w.body.waistY - half, w.body.waistY + half,
          kSides, kSides / 6);
  addTube(slit, waist.cx, waist.cz, waist.radius, w.body.waistY - half, w.body.waistY + half,
          kSides, 1);
  EXPECT_FALSE(fitReport(w.woman.avatar, open).waist);
  const auto slitWaist = fitReport(w.woman.avatar, slit).waist;
  ASSERT_TRUE(slitWaist);
  EXPECT_NEAR(*slitWaist, *report.waist, 0.05);

  // Triangles that name particles that do not exist are passed over.
  GarmentMesh broken = std::move(slit);
  GarmentTriangle bad;
  bad.vertex = {0, 1, static_cast<std::int32_t>(broken.particles.size())};
  broken.triangles.insert(broken.triangles.begin(), bad);
  bad.vertex = {-1, 0, 1};
  broken.triangles.push_back(bad);
  const auto brokenWaist = fitReport(w.woman.avatar, broken).waist;
  ASSERT_TRUE(brokenWaist);
  EXPECT_NEAR(*brokenWaist, *slitWaist, 1e-3);
}

std::string patternPath(const char* name) {
  return testing::bodyRoot() + "/pattern/" + name;
}

struct WornDress {
  MeasuredWoman w;
  ScriptedDialogs dialogs;
  TryOn tryOn{w.woman.avatar, dialogs};
  WornDress() {
    const Result<void> loaded = tryOn.LoadFittedGarmentCommand(patternPath("Dress.pop"));
    EXPECT_TRUE(loaded.ok());
  }
};

// The tape round a garment at height y taken another way: every spring
// that crosses the plane gives a point, and the points between the body's
// arms (nearer the middle than any section loop but the trunk's) count.
float tapeThroughSprings(const MeasuredWoman& w, const GarmentMesh& g, float y) {
  float between = 1e9f;
  for (const SectionLoop& loop : sectionLoops(w.woman.avatar, {0, y, 0}, {0, 1, 0})) {
    if (loop.encloses({0, y, w.body.trunkZ}, {0, 1, 0})) continue;
    for (const Vec3f& p : loop.points) between = std::min(between, std::abs(p.x));
  }
  SectionLoop cut;
  for (const GarmentEdge& e : g.edges) {
    const SkinVertex &p = g.particles[e.a].point, &q = g.particles[e.b].point;
    if ((p.y < y) == (q.y < y)) continue;
    const float t = (y - p.y) / (q.y - p.y);
    const Vec3f at{p.x + t * (q.x - p.x), y, p.z + t * (q.z - p.z)};
    if (std::abs(at.x) < between) cut.points.push_back(at);
  }
  return cut.tapeLength({0, 1, 0});
}

TEST(Ease, TheDressAgreesWithItsSectionTakenThroughItsSprings) {
  WornDress d;
  const GarmentMesh& dress = d.tryOn.garment();
  ASSERT_TRUE(dress.hasBinding);
  const MeasuredWoman& w = d.w;
  const EaseReport report = fitReport(w.woman.avatar, dress);
  ASSERT_TRUE(report.waist && report.hip);
  EXPECT_NEAR(*report.waist,
              w.cm(tapeThroughSprings(w, dress, w.body.waistY)) - w.body.value[kWaist], 0.5);
  EXPECT_NEAR(*report.hip, w.cm(tapeThroughSprings(w, dress, w.body.hipY)) - w.body.value[kHip],
              0.5);
  // A dress, not a sack and not a second skin.
  EXPECT_GT(*report.waist, 0.5);
  EXPECT_LT(*report.waist, 20.0);
  EXPECT_GT(*report.hip, 0.5);
  EXPECT_LT(*report.hip, 20.0);
}

TEST(Ease, ADressTakenInIsTighter) {
  WornDress d;
  const MeasuredWoman& w = d.w;
  const EaseReport worn = fitReport(w.woman.avatar, d.tryOn.garment());
  ASSERT_TRUE(worn.waist && worn.hip);

  // The same dress drawn 3 % closer to the body's axis: its girths shrink by
  // 3 %, the body's stay.
  constexpr float kScale = 0.97f;
  GarmentMesh smaller;
  smaller.particles = d.tryOn.garment().particles;
  smaller.edges = d.tryOn.garment().edges;
  smaller.triangles = d.tryOn.garment().triangles;
  for (GarmentParticle& p : smaller.particles) {
    p.point.x *= kScale;
    p.point.z = w.body.trunkZ + (p.point.z - w.body.trunkZ) * kScale;
  }
  const EaseReport taken = fitReport(w.woman.avatar, smaller);
  ASSERT_TRUE(taken.waist && taken.hip);
  EXPECT_NEAR(*taken.waist, kScale * (*worn.waist + w.body.value[kWaist]) - w.body.value[kWaist],
              0.05);
  EXPECT_NEAR(*taken.hip, kScale * (*worn.hip + w.body.value[kHip]) - w.body.value[kHip], 0.05);
  EXPECT_LT(taken.strain.p50, worn.strain.p50);  // its cloth squeezed together

  // The dress refitted to a heavier body is stretched.
  BodyShaper shaper(d.w.woman.avatar);
  shaper.SetBodyWeight(150);
  const EaseReport heavier = fitReport(w.woman.avatar, d.tryOn.garment());
  EXPECT_GT(heavier.strain.p50, worn.strain.p50 + 0.01f);
  EXPECT_GT(heavier.strain.p95, worn.strain.p95 + 0.03f);
}

TEST(Ease, TheSkirtsPiecesNeitherReachTheBustNorGoRoundTheHips) {
  MeasuredWoman w;
  GarmentLoadContext ctx;
  auto skirt = LoadPatternMesh(patternPath("Skirt.msh"), ctx);
  ASSERT_TRUE(skirt.ok());
  float low = 1e9f, high = -1e9f;
  for (const GarmentParticle& p : skirt->particles)
    low = std::min(low, p.point.y), high = std::max(high, p.point.y);
  // Laid out front and back, not sewn: cut by the hip plane, yet open at
  // both sides.
  ASSERT_LT(low, w.body.hipY);
  ASSERT_GT(high, w.body.hipY);
  ASSERT_LT(high, w.body.chestY);
  const EaseReport report = fitReport(w.woman.avatar, *skirt);
  EXPECT_FALSE(report.bust);
  EXPECT_FALSE(report.hip);
}

TEST(Ease, NoBodyOrNoGarmentGivesNoEase) {
  MeasuredWoman w;
  const EaseReport bare = fitReport(w.woman.avatar, GarmentMesh{});
  EXPECT_FALSE(bare.bust || bare.waist || bare.hip);
  GarmentMesh tube;
  addTube(tube, 0, w.body.trunkZ, 2.0f, w.body.waistY - 0.5f, w.body.waistY + 0.5f, 36);
  const EaseReport unloaded = fitReport(Avatar(testing::bodyRoot()), tube);
  EXPECT_FALSE(unloaded.bust || unloaded.waist || unloaded.hip);
  EXPECT_NEAR(unloaded.strain.max, 0.0f, 1e-6);  // the strain needs no body
}

}  // namespace
}  // namespace vestora
