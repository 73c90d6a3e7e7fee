// The free-form deformation lattice: weights, moves and their undoing.
#include "body/shape_lattice.h"

#include <gtest/gtest.h>

#include <cmath>

#include "body/region_patterns.h"

namespace vestora {
namespace {

std::vector<Vec3f> cloud() {
  std::vector<Vec3f> pts;
  std::uint32_t seed = 12345;
  auto next = [&] {
    seed = seed * 1664525u + 1013904223u;
    return float(seed >> 8) / float(1u << 24);
  };
  for (int i = 0; i < 500; ++i) pts.push_back({-3 + 6 * next(), 10 + 20 * next(), -2 + 4 * next()});
  pts.push_back({-3, 10, -2});  // the origin corner
  pts.push_back({3, 30, 2});    // the far corner
  return pts;
}

float worst(const std::vector<Vec3f>& a, const std::vector<Vec3f>& b) {
  float w = 0;
  for (std::size_t i = 0; i < a.size(); ++i)
    w = std::max({w, std::abs(a[i].x - b[i].x), std::abs(a[i].y - b[i].y), std::abs(a[i].z - b[i].z)});
  return w;
}

TEST(ShapeLattice, ControlPointsStartEvenlyOverTheBox) {
  const auto pts = cloud();
  ShapeLattice lattice({-3, 10, -2}, {6, 20, 4}, pts);
  EXPECT_FLOAT_EQ(lattice.control(0, 0, 0).x, -3);
  EXPECT_FLOAT_EQ(lattice.control(5, 11, 5).y, 30);
  EXPECT_FLOAT_EQ(lattice.control(2, 0, 0).x, -3 + 6 * 2.0f / 5);
  EXPECT_FLOAT_EQ(lattice.control(0, 3, 0).y, 10 + 20 * 3.0f / 11);
}

TEST(ShapeLattice, UntouchedLatticeLeavesThePointsAndMovesAreUndone) {
  const auto pts = cloud();
  ShapeLattice lattice({-3, 10, -2}, {6, 20, 4}, pts);
  lattice.apply();
  EXPECT_EQ(worst(lattice.deformed(), pts), 0.0f);
  applyRegionPattern(" Chest", lattice, {0, 0, 0.7f});
  EXPECT_GT(worst(lattice.deformed(), pts), 0.05f);
  applyRegionPattern(" Chest", lattice, {0, 0, -0.7f});
  EXPECT_LT(worst(lattice.deformed(), pts), 1e-5f);
}

TEST(ShapeLattice, MovingEveryControlPointMovesEveryPointAlike) {
  // The Bernstein weights of a point sum to one.
  const auto pts = cloud();
  ShapeLattice lattice({-3, 10, -2}, {6, 20, 4}, pts);
  for (int i = 0; i < ShapeLattice::kL; ++i)
    for (int j = 0; j < ShapeLattice::kM; ++j)
      for (int k = 0; k < ShapeLattice::kN; ++k) lattice.move(i, j, k, {0.5f, -1, 2});
  lattice.apply();
  for (std::size_t p = 0; p < pts.size(); ++p) {
    EXPECT_NEAR(lattice.deformed()[p].x, pts[p].x + 0.5f, 1e-4f);
    EXPECT_NEAR(lattice.deformed()[p].y, pts[p].y - 1, 1e-4f);
    EXPECT_NEAR(lattice.deformed()[p].z, pts[p].z + 2, 1e-4f);
  }
}

TEST(ShapeLattice, CornerControlPointOwnsItsCorner) {
  const auto pts = cloud();
  ShapeLattice lattice({-3, 10, -2}, {6, 20, 4}, pts);
  lattice.move(0, 0, 0, {1, 1, 1});
  lattice.apply();
  const Vec3f corner = lattice.deformed()[pts.size() - 2];
  EXPECT_NEAR(corner.x, -2, 1e-5f);
  EXPECT_NEAR(corner.y, 11, 1e-5f);
  const Vec3f far = lattice.deformed()[pts.size() - 1];
  EXPECT_NEAR(far.x, 3, 1e-6f);  // the opposite corner does not move
}

TEST(ShapeLattice, FlatRegionDoesNotDivideByZero) {
  const std::vector<Vec3f> flat = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  ShapeLattice lattice({0, 0, 0}, {1, 1, 0}, flat);
  lattice.move(0, 0, 0, {0, 0, 1});
  lattice.apply();
  for (const Vec3f& p : lattice.deformed()) EXPECT_TRUE(std::isfinite(p.z));
}

TEST(RegionPatterns, GirthPatternsWidenAndUnknownNamesDoNothing) {
  for (const char* pattern : {" Chest", " ChestBase", " Waist", " WaistAbdomen", " HipBase", " Buttocks", " Thigh",
                              " Calf", " Knee", " NeckBase"}) {
    const auto pts = cloud();
    ShapeLattice lattice({-3, 10, -2}, {6, 20, 4}, pts);
    ASSERT_TRUE(applyRegionPattern(pattern, lattice, {0, 0, 0.5f})) << pattern;
    // The box of the points grows in x or z.
    float x0 = 0, x1 = 0, z0 = 0, z1 = 0;
    for (const Vec3f& p : lattice.deformed()) x0 = std::min(x0, p.x), x1 = std::max(x1, p.x), z0 = std::min(z0, p.z), z1 = std::max(z1, p.z);
    EXPECT_GT((x1 - x0) + (z1 - z0), 6 + 4 + 0.05f) << pattern;
  }
  const auto pts = cloud();
  ShapeLattice lattice({-3, 10, -2}, {6, 20, 4}, pts);
  EXPECT_FALSE(applyRegionPattern(" Elbow", lattice, {0, 0, 1}));
  EXPECT_EQ(worst(lattice.deformed(), pts), 0.0f);
}

}  // namespace
}  // namespace vestora
