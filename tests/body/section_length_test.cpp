// The plane-section primitive of the shaping-time measurement, on shapes
// whose girth is known.
#include "body/section_length.h"

#include <cmath>

#include <gtest/gtest.h>

#include "body/body_fixture.h"

namespace vestora {
namespace {

constexpr float kPi = 3.14159265358979f;

// A closed vertical cylinder of radius r round the y axis, `segments` round,
// between y0 and y1, as triangles.
std::vector<TriangleCorners> cylinder(float r, int segments, float y0, float y1, int rings = 4) {
  std::vector<TriangleCorners> out;
  auto p = [&](int i, int j) {
    const float a = 2 * kPi * i / segments;
    return Vec3f{r * std::cos(a), y0 + (y1 - y0) * j / rings, r * std::sin(a)};
  };
  for (int j = 0; j < rings; ++j)
    for (int i = 0; i < segments; ++i) {
      out.push_back({p(i, j), p(i + 1, j), p(i + 1, j + 1)});
      out.push_back({p(i, j), p(i + 1, j + 1), p(i, j + 1)});
    }
  return out;
}

const SectionWindow kEverywhere{-1000, 1000, -1000, 1000};

TEST(SectionLength, CylinderGirthIsTwoPiR) {
  for (float r : {0.5f, 3.0f, 12.5f}) {
    const auto tris = cylinder(r, 720, -1, 1);
    std::vector<SectionPoint> points;
    const float length = SectionLength({0, 0.123f, 0}, {0, 1, 0}, kEverywhere, tris, points, true);
    EXPECT_NEAR(length, 2 * kPi * r, 2 * kPi * r * 1e-4f) << r;
    // Each quad of the cylinder is two triangles: the plane meets its shared
    // vertical edges once (duplicates went) and its diagonal once.
    EXPECT_EQ(points.size(), 2 * 720u);
  }
}

TEST(SectionLength, OpenChainLeavesOutTheClosingSegment) {
  const auto tris = cylinder(2, 8, -1, 1);
  std::vector<SectionPoint> points;
  const float closed = SectionLength({0, 0.1f, 0}, {0, 1, 0}, kEverywhere, tris, points, true);
  const float open = SectionLength({0, 0.1f, 0}, {0, 1, 0}, kEverywhere, tris, points, false);
  ASSERT_EQ(points.size(), 16u);
  const SectionPoint& a = points.front();
  const SectionPoint& b = points.back();
  EXPECT_NEAR(closed - open, std::hypot(a.x - b.x, a.z - b.z), 1e-4f);
}

TEST(SectionLength, PlaneThroughAVertexKeepsOnePoint) {
  // Rings at y = 0.5 put vertices on the plane: each is met by two edges.
  const auto tris = cylinder(2, 16, -1, 1, 4);
  std::vector<SectionPoint> points;
  const float length = SectionLength({0, 0.5f, 0}, {0, 1, 0}, kEverywhere, tris, points, true);
  EXPECT_EQ(points.size(), 16u);
  EXPECT_NEAR(length, 16 * 2 * 2 * std::sin(kPi / 16), 1e-3f);
}

TEST(SectionLength, EmptyAndSinglePointSections) {
  const auto tris = cylinder(2, 16, -1, 1);
  std::vector<SectionPoint> points;
  EXPECT_EQ(SectionLength({0, 5, 0}, {0, 1, 0}, kEverywhere, tris, points, true), 0.0f);
  EXPECT_TRUE(points.empty());
  const std::vector<TriangleCorners> one = {{Vec3f{0, 0, 0}, Vec3f{1, 1, 0}, Vec3f{-1, 1, 0}}};
  EXPECT_EQ(SectionLength({0, 0, 0}, {0, 1, 0}, kEverywhere, one, points, true), 0.0f);
  EXPECT_EQ(points.size(), 1u);  // the corner on the plane, from both of its edges
}

TEST(SectionLength, WindowsSelectTrianglesByTheirMidpoints) {
  const auto tris = cylinder(2, 64, -1, 1);
  std::vector<SectionPoint> points;
  // Only the triangles whose midpoints have x < 0.
  SectionLength({0, 0.1f, 0}, {0, 1, 0}, {-1000, 0, -1000, 1000}, tris, points, true);
  ASSERT_FALSE(points.empty());
  std::size_t all = 0;
  for (const SectionPoint& p : points) EXPECT_LT(p.x, 0.2f);
  all = points.size();
  SectionLength({0, 0.1f, 0}, {0, 1, 0}, kEverywhere, tris, points, true);
  EXPECT_NEAR(double(all), points.size() / 2.0, 3.0);
  // A y window that holds no triangle midpoint: nothing.
  EXPECT_EQ(SectionLength({0, 0.1f, 0}, {0, 1, 0}, {-1000, 1000, 5, 6}, tris, points, true), 0.0f);
}

TEST(SectionLength, SlantedPlaneCutsAnEllipse) {
  const auto tris = cylinder(3, 720, -6, 6, 24);
  std::vector<SectionPoint> points;
  // The neck plane leans 20 degrees: an ellipse with half axes 3 and 3 / cos 20°.
  const float length =
      SectionLength({0, 0, 0}, {0, 0.9397f, 0.342f}, kEverywhere, tris, points, true);
  const float a = 3 / 0.9397f, b = 3;
  const float ellipse = kPi * (3 * (a + b) - std::sqrt((3 * a + b) * (a + 3 * b)));
  EXPECT_NEAR(length, ellipse, 0.01f * ellipse);
}

TEST(SectionLoops, TapeBridgesAHollow) {
  // A U: a 4 × 4 square with a notch 1 wide and 3 deep.
  SectionLoop u;
  for (const auto& [x, z] : {std::pair{0.0f, 0.0f},
                             {4.0f, 0.0f},
                             {4.0f, 4.0f},
                             {2.5f, 4.0f},
                             {2.5f, 1.0f},
                             {1.5f, 1.0f},
                             {1.5f, 4.0f},
                             {0.0f, 4.0f}})
    u.points.push_back({x, 0, z});
  EXPECT_NEAR(u.length(), 22.0f, 1e-5f);
  EXPECT_NEAR(u.tapeLength({0, 1, 0}), 16.0f, 1e-5f);
  EXPECT_TRUE(u.encloses({0.5f, 0, 2}, {0, 1, 0}));
  EXPECT_FALSE(u.encloses({2, 0, 3}, {0, 1, 0}));  // in the notch
}

// Level planes cut through the index find the loops a scan of every
// triangle finds, point for point: at levels all over the body, below and
// above it, and exactly at the tops and bottoms of triangles.
TEST(SectionLoops, TheLevelIndexFindsTheLoopsOfTheFullScan) {
  testing::LoadedWoman w;
  const Avatar& a = w.avatar;
  const LevelIndex index(a);
  std::vector<float> levels;
  for (float y = a.minimum[1] - 0.5f; y < a.maximum[1] + 0.5f; y += 0.173f) levels.push_back(y);
  for (std::size_t i = 0; i < a.triangleCount(); i += 997) {
    levels.push_back(a.triangles[i].bounds[1]);
    levels.push_back(a.triangles[i].bounds[4]);
  }
  auto flat = [](const std::vector<SectionLoop>& loops) {
    std::vector<float> out;
    for (const SectionLoop& l : loops) {
      out.push_back(static_cast<float>(l.points.size()));
      for (const Vec3f& p : l.points) out.insert(out.end(), {p.x, p.y, p.z});
    }
    return out;
  };
  int cut = 0;
  for (float y : levels) {
    const auto scanned = sectionLoops(a, {0, y, 0}, {0, 1, 0});
    EXPECT_EQ(flat(sectionLoops(a, {0, y, 0}, {0, 1, 0}, &index)), flat(scanned)) << y;
    cut += !scanned.empty();
  }
  EXPECT_GT(cut, 50);
  // A plane that is not level ignores the index.
  EXPECT_EQ(flat(sectionLoops(a, {0, 0, 0}, {1, 0, 0}, &index)),
            flat(sectionLoops(a, {0, 0, 0}, {1, 0, 0})));
}

}  // namespace
}  // namespace vestora
