// The try-on commands on the default body: their questions and answers, the
// force chosen for the mass-spring model, binding and refitting, seam groups,
// kept layers, the reset, and bad garment files.
#include "cloth/try_on.h"

#include <gtest/gtest.h>

#include "avatar/triangle_tree.h"
#include "body/body_fixture.h"
#include "cloth/cloth_build.h"
#include "cloth/garment_files.h"
#include "cloth/garment_fit.h"
#include "test_support.h"

namespace vestora {
namespace {

std::string dressPath() {
  return testing::bodyRoot() + "/pattern/Dress.pop";
}
std::string topPath() {
  return testing::bodyRoot() + "/pattern/Top.msh";
}
std::string skirtPath() {
  return testing::bodyRoot() + "/pattern/Skirt.msh";
}

std::vector<std::string> questions(const ScriptedDialogs& dialogs) {
  std::vector<std::string> out;
  for (const auto& e : dialogs.transcript())
    if (e.kind == ScriptedDialogs::Exchange::Kind::Question) out.push_back(e.text);
  return out;
}

Vec3 at(const GarmentParticle& p) {
  return {p.point.x, p.point.y, p.point.z};
}

struct Dressing {
  testing::LoadedWoman woman;
  ScriptedDialogs dialogs;
  TryOn tryOn{woman.avatar, dialogs};
  std::vector<std::string> calls;
  Dressing() {
    tryOn.view.stopAnimation = [this] { calls.push_back("stop"); };
    tryOn.view.showDisplay = [this](GarmentDisplay d) {
      calls.push_back(d == GarmentDisplay::Pattern   ? "pattern"
                      : d == GarmentDisplay::Garment ? "garment"
                                                     : "none");
    };
    tryOn.view.redraw = [this] { calls.push_back("redraw"); };
    tryOn.view.loadTexture = [this](const std::string& name) {
      calls.push_back("texture " + name);
    };
  }
};

TEST(TryOn, AFittedDressIsFittedAtOnceAndFollowsTheBody) {
  Dressing d;
  ASSERT_TRUE(d.tryOn.LoadFittedGarmentCommand(dressPath()).ok());
  const GarmentMesh& dress = d.tryOn.garment();
  EXPECT_TRUE(dress.hasBinding);
  EXPECT_TRUE(questions(d.dialogs).empty());  // nothing worn before, no seams
  EXPECT_EQ(d.tryOn.garment().gravity, kHangingGravity);
  EXPECT_EQ(d.tryOn.display(), GarmentDisplay::Garment);
  ASSERT_FALSE(d.calls.empty());
  EXPECT_EQ(d.calls.front(), "stop");  // the animation stops before anything else
  EXPECT_EQ(d.calls.back(), "redraw");
  EXPECT_NE(std::find(d.calls.begin(), d.calls.end(), "texture Dress.jpg"), d.calls.end());
  EXPECT_EQ(d.tryOn.displayParameters, (std::array<float, 2>{2.0f, 0.03f}));
  EXPECT_EQ(d.tryOn.edgeFlags().size(), dress.edges.size());
  EXPECT_EQ(dress.restParticles.size(), dress.particles.size());

  // A heavier body: the reshaping notice refits the dress, which widens.
  const auto before = dress.drawParticles;
  BodyShaper shaper(d.woman.avatar);
  shaper.SetBodyWeight(150);
  float widest = 0;
  for (std::size_t i = 0; i < before.size(); ++i) {
    widest =
        std::max(widest, std::abs(dress.drawParticles[i].point.x) - std::abs(before[i].point.x));
  }
  EXPECT_GT(widest, 0.1f);
  EXPECT_GT(d.tryOn.lastFitMs(), 0.0);
}

TEST(TryOn, AFittedGarmentWithSeamsIsShownAsPiecesAndNeverFitted) {
  Dressing d;
  testing::TempDir dir;
  GarmentLoadContext ctx;
  auto skirt = LoadPatternMesh(skirtPath(), ctx);
  ASSERT_TRUE(skirt.ok());
  skirt->hasBinding = true;  // even with a binding on file
  BodySurface body = BodySurface::fromAvatar(d.woman.avatar);
  BindGarmentToBody(*skirt, body);
  const std::string path = dir.file("Skirt.pop");
  ASSERT_TRUE(writeFittedGarment(path, *skirt).ok());

  d.dialogs.answerYesNo(false);
  ASSERT_TRUE(d.tryOn.LoadFittedGarmentCommand(path).ok());
  EXPECT_EQ(questions(d.dialogs), std::vector<std::string>{kQuickSewQuestion});
  EXPECT_EQ(d.tryOn.display(), GarmentDisplay::Pattern);
  EXPECT_EQ(d.tryOn.garment().gravity, kNoGravity);
  for (std::size_t i = 0; i < skirt->particles.size(); ++i) {
    ASSERT_EQ(at(d.tryOn.garment().particles[i]), at(skirt->particles[i]));
  }
  // Its seams in groups: seam 0 joins the left edges, seam 1 the right ones,
  // each between the front piece (0) and the back piece (1).
  ASSERT_EQ(d.tryOn.seamGroups().size(), 2u);
  for (const SeamGroup& group : d.tryOn.seamGroups()) {
    EXPECT_FALSE(group.pairs.empty());
    EXPECT_EQ(group.pieces, (std::array<std::int32_t, 2>{0, 1}));
  }
}

TEST(TryOn, ATopWithoutSeamsFollowsTheBodyOnlyWhenRedraped) {
  for (const bool redrape : {false, true}) {
    Dressing d;
    d.dialogs.answerYesNo(redrape);
    ASSERT_TRUE(d.tryOn.LoadPatternMeshCommand(topPath()).ok());
    EXPECT_EQ(questions(d.dialogs), std::vector<std::string>{kRedrapeQuestion});
    const GarmentMesh& top = d.tryOn.garment();
    EXPECT_EQ(top.hasBinding, redrape);
    EXPECT_EQ(top.bindings.size(), top.particles.size());  // bound either way
    EXPECT_EQ(top.gravity, kHangingGravity);
    // Re-draped, it has settled under gravity (and been fitted, which
    // releases the mass-spring model); otherwise it stays as loaded.
    EXPECT_EQ(top.cloth, nullptr);
    bool draped = false;
    for (std::size_t i = 0; i < top.particles.size(); ++i)
      draped = draped || at(top.particles[i]) != at(top.restParticles[i]);
    EXPECT_EQ(draped, redrape);
    const auto before = top.particles;
    BodyShaper shaper(d.woman.avatar);
    shaper.SetPregnancyMonth(9);
    bool moved = false;
    for (std::size_t i = 0; i < before.size(); ++i)
      moved = moved || at(top.particles[i]) != at(before[i]);
    EXPECT_EQ(moved, redrape);
  }
}

TEST(TryOn, AGarmentThatCannotBeReadChangesNothing) {
  Dressing d;
  ASSERT_TRUE(d.tryOn.LoadFittedGarmentCommand(dressPath()).ok());
  const auto worn = d.tryOn.garment().particles;
  testing::TempDir dir;
  const std::string broken = dir.write("Broken.pop", std::string(40, '\x01'));
  EXPECT_FALSE(d.tryOn.LoadFittedGarmentCommand(broken).ok());
  EXPECT_FALSE(d.tryOn.LoadPatternMeshCommand(dir.file("Missing.msh")).ok());
  const auto messages = d.dialogs.messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].rfind(kGarmentUnreadableMessage, 0), 0u);
  EXPECT_TRUE(questions(d.dialogs).empty());  // not even the keep question
  ASSERT_EQ(d.tryOn.garment().particles.size(), worn.size());
  EXPECT_TRUE(d.tryOn.garment().hasBinding);
  EXPECT_EQ(d.tryOn.garmentPath(), dressPath());
}

TEST(TryOn, AGarmentBoundToALargerBodyDoesNotFit) {
  Dressing d;
  testing::TempDir dir;
  GarmentLoadContext ctx;
  auto dress = LoadFittedGarment(dressPath(), ctx);
  ASSERT_TRUE(dress.ok());
  dress->bindings[7].sample = static_cast<std::int32_t>(d.woman.avatar.skin.size());
  const std::string path = dir.file("Other.pop");
  ASSERT_TRUE(writeFittedGarment(path, *dress).ok());
  EXPECT_FALSE(d.tryOn.LoadFittedGarmentCommand(path).ok());
  EXPECT_EQ(d.dialogs.messages(), std::vector<std::string>{kGarmentUnfitMessage});
  EXPECT_TRUE(d.tryOn.garment().empty());
}

TEST(TryOn, AKeptGarmentBecomesALayerUnderTheNextOne) {
  Dressing d;
  d.dialogs.answerYesNo(true);  // re-drape the top
  ASSERT_TRUE(d.tryOn.LoadPatternMeshCommand(topPath()).ok());
  const std::size_t topParticles = d.tryOn.garment().particles.size();
  d.dialogs.answerYesNo(true);  // keep it
  ASSERT_TRUE(d.tryOn.LoadFittedGarmentCommand(dressPath()).ok());
  EXPECT_EQ(questions(d.dialogs),
            (std::vector<std::string>{kRedrapeQuestion, kKeepGarmentQuestion}));
  ASSERT_EQ(d.tryOn.layers().size(), 1u);
  const KeptLayer& layer = d.tryOn.layers()[0];
  EXPECT_EQ(layer.garment.particles.size(), topParticles);
  EXPECT_EQ(layer.triangles.size(), layer.garment.triangles.size());
  for (const LayerTriangle& t : layer.triangles) {
    const Vec3 sum{t.cornerNormal[0][0] + t.cornerNormal[1][0] + t.cornerNormal[2][0],
                   t.cornerNormal[0][1] + t.cornerNormal[1][1] + t.cornerNormal[2][1],
                   t.cornerNormal[0][2] + t.cornerNormal[1][2] + t.cornerNormal[2][2]};
    ASSERT_GE(t.facetNormal[0] * sum[0] + t.facetNormal[1] * sum[1] + t.facetNormal[2] * sum[2],
              0.0f);
  }
  EXPECT_GT(std::count(d.tryOn.coveredVertices().begin(), d.tryOn.coveredVertices().end(), 1), 100);
  // The dress is worn, with its own counts.
  EXPECT_TRUE(d.tryOn.garment().hasBinding);
  EXPECT_NE(d.tryOn.garment().particles.size(), topParticles);

  // Where the dress covers the top, the top lies under the dress: along
  // each layer particle's normal the dress lies outside it.
  GarmentMesh probe;
  probe.particles = layer.garment.particles;
  probe.triangles = layer.garment.triangles;
  ComputeParticleNormals(probe);
  TriangleMesh dressMesh;
  for (const auto& p : d.tryOn.garment().drawParticles)
    dressMesh.vertices.push_back({p.point.x, p.point.y, p.point.z});
  for (const auto& t : d.tryOn.garment().triangles) dressMesh.triangles.push_back(t.vertex);
  const BodyTriangleTree tree = buildTriangleTree(dressMesh);
  std::vector<Point3> starts, ends;
  for (const auto& p : probe.particles) {
    const Vec3& n = p.normal;
    starts.push_back({p.point.x + 0.5f * n[0], p.point.y + 0.5f * n[1], p.point.z + 0.5f * n[2]});
    ends.push_back({p.point.x - 0.5f * n[0], p.point.y - 0.5f * n[1], p.point.z - 0.5f * n[2]});
  }
  const SegmentHits hits = buildTriangleTree(dressMesh).empty()
                               ? SegmentHits{}
                               : segmentSurfaceHits(tree, tree.mesh(), starts, ends);
  int met = 0, outside = 0;
  for (std::size_t i = 0; i < probe.particles.size(); ++i) {
    if (!hits.perSegment[i]) continue;
    ++met;
    const auto& h = hits.perSegment[i]->point;
    const auto& p = probe.particles[i];
    const float above = (h[0] - p.point.x) * p.normal[0] + (h[1] - p.point.y) * p.normal[1] +
                        (h[2] - p.point.z) * p.normal[2];
    outside += above < 0;
  }
  EXPECT_GT(met, 500);
  EXPECT_LE(outside, met / 100);
  // Reset: the layer question comes, the layer returns to how it was kept.
  d.dialogs.answerYesNo(false);
  d.tryOn.ResetGarment();
  EXPECT_EQ(questions(d.dialogs).back(), kFlexibleLayerQuestion);
  EXPECT_FALSE(d.tryOn.layers()[0].flexible);
  for (std::size_t i = 0; i < topParticles; ++i) {
    ASSERT_EQ(at(d.tryOn.layers()[0].garment.particles[i]), at(layer.saved[i]));
  }
}

TEST(TryOn, DecliningToKeepTakesTheGarmentOff) {
  Dressing d;
  ASSERT_TRUE(d.tryOn.LoadFittedGarmentCommand(dressPath()).ok());
  d.dialogs.answerYesNo(false);  // do not keep the dress
  d.dialogs.answerYesNo(false);  // do not re-drape the top
  ASSERT_TRUE(d.tryOn.LoadPatternMeshCommand(topPath()).ok());
  EXPECT_TRUE(d.tryOn.layers().empty());
  EXPECT_EQ(d.tryOn.garmentPath(), topPath());
}

TEST(TryOn, ResetRestoresTheLoadedGarmentAndAsksAgain) {
  Dressing d;
  d.dialogs.answerYesNo(false);
  ASSERT_TRUE(d.tryOn.LoadPatternMeshCommand(skirtPath()).ok());
  EXPECT_EQ(d.tryOn.garment().gravity, kNoGravity);
  GarmentMesh& skirt = d.tryOn.garment();
  const auto loaded = skirt.particles;
  skirt.particles[3].point.x += 5;
  skirt.triangles[0].vertex = {1, 2, 3};
  d.dialogs.answerYesNo(false);
  d.tryOn.ResetGarment();
  EXPECT_EQ(at(skirt.particles[3]), at(loaded[3]));
  EXPECT_EQ(skirt.triangles[0].vertex, skirt.sourceTriangles[0].vertex);
  EXPECT_EQ(skirt.gravity, kNoGravity);
  EXPECT_EQ(questions(d.dialogs), (std::vector<std::string>{kQuickSewQuestion, kQuickSewQuestion}));
}

TEST(TryOn, AnotherBodyTakesTheGarmentsOff) {
  Dressing d;
  ASSERT_TRUE(d.tryOn.LoadFittedGarmentCommand(dressPath()).ok());
  ASSERT_TRUE(d.woman.avatar.selectAvatar(*avatarEntryFor("Walk.bmp")).ok());
  EXPECT_TRUE(d.tryOn.garment().empty());
  EXPECT_EQ(d.tryOn.display(), GarmentDisplay::None);
}

TEST(SeamGroups, AreRenumberedFromTheFirstRecordAndKeepEmptyNumbers) {
  std::vector<GarmentParticle> particles(10);
  for (int i = 0; i < 10; ++i) particles[i].piece = i < 5 ? 2 : 1;
  std::vector<SeamPair> seams{{0, 6, 5}, {1, 7, 5}, {2, 8, 8}};
  const auto groups = buildSeamGroups(seams, particles);
  EXPECT_EQ(seams[0].seam, 0);
  EXPECT_EQ(seams[1].seam, 0);
  EXPECT_EQ(seams[2].seam, 3);
  ASSERT_EQ(groups.size(), 4u);
  EXPECT_EQ(groups[0].pairs.size(), 2u);
  EXPECT_TRUE(groups[1].pairs.empty());
  EXPECT_TRUE(groups[2].pairs.empty());
  EXPECT_EQ(groups[3].pairs.size(), 1u);
  EXPECT_EQ(groups[0].pieces, (std::array<std::int32_t, 2>{1, 2}));
  // A record numbered below the first one has no group; nothing is written
  // out of place.
  std::vector<SeamPair> unsorted{{0, 6, 4}, {1, 7, 2}};
  const auto some = buildSeamGroups(unsorted, particles);
  ASSERT_EQ(some.size(), 1u);
  EXPECT_EQ(some[0].pairs.size(), 1u);
}

TEST(ClothModel, BuildingBindsTheGarmentAndReleasingLeavesNoForces) {
  GarmentMesh garment;
  garment.particles.resize(4);
  garment.particles[3].piece = 0;
  garment.edges = {{0, 1, 1.0f}, {1, 2, 2.0f}, {2, 3, 1.0f}};
  garment.gravity = kQuickSewGravity;
  int drapes = 0;
  BuildClothSystem(garment, [&] { ++drapes; });
  EXPECT_EQ(drapes, 1);
  EXPECT_TRUE(garment.hasBinding);
  ASSERT_NE(garment.cloth, nullptr);
  const ClothSystem& system = *garment.cloth->system;
  EXPECT_EQ(system.forces().size(), 4u);  // three springs, then gravity
  EXPECT_EQ(garment.cloth->springs[1]->maxLength, 4.0f);
  EXPECT_EQ(system.masses()[0].x, kAnchorMass);  // a particle of no piece
  EXPECT_EQ(system.masses()[3].x, kParticleMass);
  EXPECT_EQ(garment.cloth->gravity->g.z, -2.4f);
  ReleaseClothSystem(garment);
  EXPECT_EQ(garment.cloth, nullptr);
  GarmentMesh none;
  BuildClothSystem(none);
  EXPECT_EQ(none.cloth, nullptr);
  EXPECT_FALSE(none.hasBinding);
}

}  // namespace
}  // namespace vestora
