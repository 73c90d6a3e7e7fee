// The garments' drawing: the outline of the pieces, cloth that lies on the
// skin drawn in front of it, the fit map's colours and the pattern display.
#include "view/garment_drawing.h"

#include <gtest/gtest.h>

#include "cloth/try_on.h"
#include "platform/data_path.h"
#include "view/view_test_support.h"

namespace vestora {
namespace {

using testing::Frame;
using testing::ViewFixture;

GarmentParticle particleAt(float x, float y, float z) {
  GarmentParticle p;
  p.point.x = x;
  p.point.y = y;
  p.point.z = z;
  return p;
}

TEST(GarmentOutline, OnlyEdgesOfOneTriangleAreOutline) {
  // Two quads side by side, each split along a diagonal:
  //   3 - 4 - 5
  //   |  /|  /|
  //   0 - 1 - 2
  GarmentMesh g;
  for (int i = 0; i < 6; ++i) g.particles.push_back(particleAt(float(i % 3), float(i / 3), 0));
  auto triangle = [&](std::int32_t a, std::int32_t b, std::int32_t c) {
    GarmentTriangle t;
    t.vertex = {a, b, c};
    g.triangles.push_back(t);
  };
  triangle(0, 1, 4);
  triangle(0, 4, 3);
  triangle(1, 2, 5);
  triangle(1, 5, 4);
  using Edge = std::array<std::int32_t, 2>;
  const std::vector<Edge> outline{{0, 1}, {0, 3}, {1, 2}, {2, 5}, {3, 4}, {4, 5}};
  EXPECT_EQ(outlineEdges(g), outline);
  // A triangle naming a particle that is not there is left out, not read.
  triangle(4, 5, 9);
  triangle(-1, 0, 1);
  EXPECT_EQ(outlineEdges(g), outline);
  EXPECT_TRUE(outlineEdges(GarmentMesh{}).empty());
}

class GarmentDrawingTest : public ViewFixture {
 protected:
  // The body's own surface as a garment, moved `back` units away from the
  // eye (the default camera looks at her front along −z).
  GarmentMesh skinCopy(float back) {
    const GlmModel& body = view_->avatar().model();
    GarmentMesh g;
    for (std::uint32_t i = 1; i <= body.vertexCount(); ++i) {
      const float* p = body.vertex(i);
      g.particles.push_back(particleAt(p[0], p[1], p[2] - back));
    }
    for (const GlmTriangle& t : body.triangles) {
      GarmentTriangle gt;
      for (int k = 0; k < 3; ++k) gt.vertex[k] = std::int32_t(t.vindices[k]) - 1;
      g.triangles.push_back(gt);
    }
    return g;
  }
  static bool bluish(const testing::Colour& c) { return c[2] > c[0] + 25; }
};

TEST_F(GarmentDrawingTest, ClothLyingOnTheSkinIsDrawnInFrontOfIt) {
  start();
  const int x = kSize / 2, y = kSize / 2;  // her middle
  const Frame bare = frame();
  ASSERT_FALSE(bluish(bare.at(x, y))) << testing::text(bare.at(x, y));
  // A twentieth of a millimetre under the skin: cloth that touches it.
  view_->tryOn().garment() = skinCopy(0.0005f);
  const Frame dressed = frame();
  EXPECT_TRUE(bluish(dressed.at(x, y))) << testing::text(dressed.at(x, y));
  // Two centimetres under it the cloth is inside her and stays hidden.
  view_->tryOn().garment() = skinCopy(0.2f);
  const Frame inside = frame();
  EXPECT_FALSE(bluish(inside.at(x, y))) << testing::text(inside.at(x, y));
}

TEST_F(GarmentDrawingTest, AGarmentStillToBeSewnShowsItsPiecesAsCut) {
  start();
  const Frame bare = frame();
  ASSERT_TRUE(view_->ActivateEntry(dataPath(root_.path(), "\\pattern\\Skirt.msh.bmp")));
  ASSERT_EQ(view_->tryOn().display(), GarmentDisplay::Pattern);
  const Frame pieces = frame();
  // The front piece in its tint, unlit, with its outline in dark ink; no
  // draped cloth in the fabric's colour.
  int tinted = 0, ink = 0, fabric = 0;
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      const testing::Colour c = pieces.at(x, y);
      tinted += testing::near(c, {237, 209, 194}, 6);
      ink += c[0] < 90 && c[1] < 90 && c[2] < 100 && !testing::near(bare.at(x, y), c, 30);
      fabric += c[2] > c[0] + 50;  // the pale pieces are never this blue
    }
  EXPECT_GT(tinted, 400);
  EXPECT_GT(ink, 40);
  EXPECT_LT(fabric, 20);
}

}  // namespace
}  // namespace vestora
