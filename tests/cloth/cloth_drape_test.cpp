// Sewing and draping on the generated bodies: the pieces laid round the
// body, the seams pulled shut, the garment settled, bound and following the
// body; the body's contact; a drape given up or overtaken by another garment.
#include "cloth/cloth_drape.h"

#include <chrono>
#include <cmath>
#include <thread>

#include <gtest/gtest.h>

#include "body/body_fixture.h"
#include "cloth/background_drape.h"
#include "cloth/garment_files.h"
#include "cloth/garment_placement.h"
#include "cloth/penetration.h"
#include "cloth/try_on.h"
#include "test_support.h"

namespace vestora {
namespace {

std::string skirtPath() {
  return testing::bodyRoot() + "/pattern/Skirt.msh";
}
std::string topPath() {
  return testing::bodyRoot() + "/pattern/Top.msh";
}

Vec3 at(const GarmentParticle& p) {
  return {p.point.x, p.point.y, p.point.z};
}
float distance(const Vec3& a, const Vec3& b) {
  return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                   (a[2] - b[2]) * (a[2] - b[2]));
}

class YesToAll : public UserDialogs {
 public:
  void showMessage(const std::string& text, const std::string&, MessageIcon) override {
    messages.push_back(text);
  }
  bool askYesNo(const std::string&, const std::string&) override { return true; }
  std::optional<std::string> chooseFile(const FileRequest&) override { return std::nullopt; }
  std::optional<Rgb> chooseColour(Rgb) override { return std::nullopt; }
  std::vector<std::string> messages;
};

// Sews the skirt on the woman shaped as given and checks what a customer
// would see: seams shut, the skirt on the body, not in it, and following it.
void expectSewnSkirt(float weightJin, float heightCm) {
  testing::LoadedWoman woman;
  BodyShaper shaper(woman.avatar);
  // In the body editor's order: the height, then the weight.
  if (heightCm > 0) shaper.SetBodyHeight(heightCm);
  if (weightJin > 0) shaper.SetBodyWeight(weightJin);
  YesToAll dialogs;
  TryOn tryOn(woman.avatar, dialogs);
  std::unique_ptr<ClothDrape> drape;
  tryOn.view.runDrape = [&](std::unique_ptr<ClothDrape> d) { drape = std::move(d); };
  ASSERT_TRUE(tryOn.LoadPatternMeshCommand(skirtPath()).ok());
  ASSERT_TRUE(drape) << "the skirt was not sewn";
  EXPECT_TRUE(tryOn.draping());
  while (drape->Step()) {
  }
  EXPECT_TRUE(drape->settled()) << "still moving after " << drape->steps() << " steps";
  EXPECT_LT(drape->seamGapMax(), 0.05f);  // under 5 mm
  tryOn.finishDrape(*drape);
  EXPECT_FALSE(tryOn.draping());

  const GarmentMesh& skirt = tryOn.garment();
  EXPECT_EQ(tryOn.display(), GarmentDisplay::Garment);
  EXPECT_TRUE(skirt.hasBinding);
  // Every seam pair joined by a stitch, its ends together.
  int stitches = 0;
  for (const GarmentEdge& e : skirt.edges) stitches += e.kind == kStitchEdge;
  EXPECT_EQ(stitches, static_cast<int>(skirt.seams.size()));
  for (const SeamPair& pair : skirt.seams)
    EXPECT_LT(distance(at(skirt.drawParticles[pair.a]), at(skirt.drawParticles[pair.b])), 0.05f);
  const Penetration inside = measurePenetration(woman.avatar, skirt.drawParticles);
  EXPECT_LE(inside.deeperThan2mm, static_cast<int>(0.005 * skirt.particles.size()))
      << "deepest " << inside.maxDepthCm << " cm";
  // It hangs round the hips: its top lies near the waist, not at the floor.
  float top = -1e9f;
  for (const GarmentParticle& p : skirt.drawParticles) top = std::max(top, p.point.y);
  const float floor = woman.avatar.minimum[1];
  const float heightUnits = woman.avatar.maximum[1] - floor;
  EXPECT_GT(top - floor, 0.5f * heightUnits);

  // A sewn skirt follows the body like a fitted garment.
  const auto before = skirt.drawParticles;
  shaper.SetPregnancyMonth(8);
  bool moved = false;
  for (std::size_t i = 0; i < before.size(); ++i)
    moved = moved || distance(at(before[i]), at(skirt.drawParticles[i])) > 0.01f;
  EXPECT_TRUE(moved);
  for (const SeamPair& pair : skirt.seams)
    EXPECT_LT(distance(at(skirt.drawParticles[pair.a]), at(skirt.drawParticles[pair.b])), 0.05f);
}

TEST(Sewing, TheSkirtClosesAndSettlesOnTheDefaultBody) {
  expectSewnSkirt(0, 0);
}

// The figures furthest from the one the skirt was made on: it finds its
// height on them and closes round them.
TEST(Sewing, TheSkirtClosesAndSettlesOnATallHeavyBody) {
  expectSewnSkirt(155, 200);
}

TEST(Sewing, TheSkirtClosesAndSettlesOnAShortSlimBody) {
  expectSewnSkirt(80, 155);
}

TEST(Sewing, PiecesAreLaidRoundTheBodyOutsideIt) {
  testing::LoadedWoman woman;
  GarmentLoadContext ctx;
  auto skirt = LoadPatternMesh(skirtPath(), ctx);
  ASSERT_TRUE(skirt.ok());
  const auto flat = skirt->particles;
  ASSERT_TRUE(PlacePiecesAroundBody(*skirt, woman.avatar));
  float zMid = 0;
  for (const GarmentParticle& p : skirt->particles) zMid += p.point.z;
  zMid /= static_cast<float>(skirt->particles.size());
  for (std::size_t i = 0; i < flat.size(); ++i) {
    const GarmentParticle& p = skirt->particles[i];
    EXPECT_EQ(p.point.y, flat[i].point.y);  // heights stay
  }
  // Row by row the middle of the front piece lies in front, of the back piece behind.
  int front = 0, back = 0;
  for (const GarmentParticle& p : skirt->particles) {
    if (std::abs(p.point.x) > 0.3f) continue;
    (p.side == kSideFront ? front : back) += (p.side == kSideFront) == (p.point.z > zMid);
  }
  EXPECT_GT(front, 0);
  EXPECT_GT(back, 0);
  // Nothing inside the body, and the seam ends already near each other.
  EXPECT_EQ(measurePenetration(woman.avatar, skirt->particles).count, 0);
  float widest = 0;
  for (const SeamPair& pair : skirt->seams)
    widest = std::max(widest, distance(at(skirt->particles[pair.a]), at(skirt->particles[pair.b])));
  EXPECT_LT(widest, 0.5f);  // 5 cm
}

TEST(Sewing, AGarmentWithoutPiecesIsNotPlaced) {
  testing::LoadedWoman woman;
  GarmentMesh garment;
  garment.particles.resize(3);  // no piece
  EXPECT_FALSE(PlacePiecesAroundBody(garment, woman.avatar));
}

TEST(Draping, CancellingReturnsThePiecesAndAnotherGarmentDropsTheDrape) {
  testing::LoadedWoman woman;
  YesToAll dialogs;
  TryOn tryOn(woman.avatar, dialogs);
  std::unique_ptr<ClothDrape> drape;
  int cancels = 0;
  tryOn.view.runDrape = [&](std::unique_ptr<ClothDrape> d) { drape = std::move(d); };
  tryOn.view.cancelDrape = [&] { ++cancels; };
  ASSERT_TRUE(tryOn.LoadPatternMeshCommand(skirtPath()).ok());
  ASSERT_TRUE(drape);
  for (int i = 0; i < 20; ++i) drape->Step();
  tryOn.showDrapeFrame(drape->positions());
  EXPECT_NE(at(tryOn.garment().particles[0]), at(tryOn.garment().restParticles[0]));
  tryOn.cancelDrape();
  EXPECT_EQ(cancels, 1);
  EXPECT_FALSE(tryOn.draping());
  EXPECT_EQ(tryOn.display(), GarmentDisplay::Pattern);
  for (std::size_t i = 0; i < tryOn.garment().particles.size(); ++i)
    ASSERT_EQ(at(tryOn.garment().particles[i]), at(tryOn.garment().restParticles[i]));
  // A drape that was given up changes nothing when it ends.
  tryOn.finishDrape(*drape);
  EXPECT_EQ(tryOn.display(), GarmentDisplay::Pattern);
  EXPECT_FALSE(tryOn.garment().hasBinding);

  // Sewing again, then another garment goes on: the drape is dropped.
  tryOn.ResetGarment();
  ASSERT_TRUE(tryOn.draping());
  std::unique_ptr<ClothDrape> first = std::move(drape);
  ASSERT_TRUE(tryOn.LoadPatternMeshCommand(topPath()).ok());  // keeps the skirt? yes: a layer
  EXPECT_GE(cancels, 2);
  while (first->Step()) {
  }
  const auto topBefore = tryOn.garment().particles;
  tryOn.finishDrape(*first);  // the skirt's drape must not touch the top
  ASSERT_EQ(tryOn.garment().particles.size(), topBefore.size());
}

TEST(Draping, RunsOnItsOwnThreadAndStopsWhenDropped) {
  testing::LoadedWoman woman;
  YesToAll dialogs;
  TryOn tryOn(woman.avatar, dialogs);
  std::unique_ptr<ClothDrape> drape;
  tryOn.view.runDrape = [&](std::unique_ptr<ClothDrape> d) { drape = std::move(d); };
  ASSERT_TRUE(tryOn.LoadPatternMeshCommand(skirtPath()).ok());
  ASSERT_TRUE(drape);
  const ClothDrape* started = drape.get();

  BackgroundDrape runner(std::move(drape));
  BackgroundDrape::Frame frame;
  int frames = 0, lastStep = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  while (!runner.finished() && std::chrono::steady_clock::now() < deadline) {
    if (runner.takeFrame(frame)) {
      ++frames;
      EXPECT_GT(frame.step, lastStep);  // newest frames only, forwards
      lastStep = frame.step;
      tryOn.showDrapeFrame(frame.positions);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ASSERT_TRUE(runner.finished());
  EXPECT_GT(frames, 0);
  std::unique_ptr<ClothDrape> done = runner.takeResult();
  ASSERT_EQ(done.get(), started);
  tryOn.finishDrape(*done);
  EXPECT_EQ(tryOn.display(), GarmentDisplay::Garment);

  // Dropped while it runs: the destructor stops it after its current step.
  tryOn.ResetGarment();
  ASSERT_TRUE(drape);
  const auto began = std::chrono::steady_clock::now();
  { BackgroundDrape dropped(std::move(drape)); }
  EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(5));
}

TEST(BodyContact, PushesAPointBehindTheSurfaceOutToTheThickness) {
  // A tetrahedron's faces, facing outwards.
  std::vector<Vec3> corners{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  BodySurface body(corners, {{0, 2, 1}, {0, 1, 3}, {0, 3, 2}, {1, 2, 3}});
  std::int32_t hint = -1;
  Vec3 inside{0.2f, 0.2f, 0.05f};  // just above the face z = 0, inside the solid
  const BodyContact c = PushOutside(body, inside, 0.03f, hint);
  EXPECT_TRUE(c.touching);
  EXPECT_NEAR(inside[2], -0.03f, 1e-5f);
  EXPECT_NEAR(c.push, 0.08f, 1e-5f);
  EXPECT_GE(hint, 0);
  Vec3 outside{0.2f, 0.2f, -0.2f};
  const Vec3 kept = outside;
  EXPECT_FALSE(PushOutside(body, outside, 0.03f, hint).touching);
  EXPECT_EQ(outside, kept);
  Vec3 far{20, 20, 20};
  EXPECT_FALSE(PushOutside(body, far, 0.03f, hint).touching);
}

}  // namespace
}  // namespace vestora
