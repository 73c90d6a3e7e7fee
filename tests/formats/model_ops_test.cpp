#include "formats/model_ops.h"

#include <gtest/gtest.h>

#include <cmath>

#include "test_support.h"

namespace vestora {
namespace {

TEST(FacetNormals, UnitAndOutwardOnAClosedSphere) {
  GlmModel m = testing::makeSphere(12, 16, 2.0f);
  glmFacetNormals(m);
  ASSERT_EQ(m.facetNormalCount(), m.triangleCount());
  for (std::uint32_t i = 0; i < m.triangleCount(); ++i) {
    const GlmTriangle& t = m.triangles[i];
    ASSERT_EQ(t.findex, i + 1);
    const float* n = &m.facetnorms[3 * t.findex];
    EXPECT_NEAR(n[0] * n[0] + n[1] * n[1] + n[2] * n[2], 1.0f, 1e-5f);
    float centroid[3] = {0, 0, 0};
    for (auto v : t.vindices)
      for (int k = 0; k < 3; ++k) centroid[k] += m.vertex(v)[k] / 3;
    EXPECT_GT(n[0] * centroid[0] + n[1] * centroid[1] + n[2] * centroid[2], 0.0f) << "triangle " << i;
  }
}

TEST(FacetNormals, DegenerateTriangleGetsZeroNotNaN) {
  GlmModel m;
  m.setVertexCount(3);
  m.vertex(2)[0] = 1;
  m.vertex(3)[0] = 2;  // three points on a line
  GlmTriangle t;
  t.vindices[0] = 1;
  t.vindices[1] = 2;
  t.vindices[2] = 3;
  m.triangles = {t};
  glmFacetNormals(m);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(m.facetnorms[3 + k], 0.0f);
}

// A fan of `n` triangles round vertex 1 (at the origin), flat in the xz plane.
GlmModel fan(int n) {
  GlmModel m;
  m.setVertexCount(static_cast<std::uint32_t>(n + 2));
  const float pi = 3.14159265f;
  for (int i = 0; i <= n; ++i) {
    const float a = pi * i / n;
    float* v = m.vertex(static_cast<std::uint32_t>(i + 2));
    v[0] = std::cos(a);
    v[2] = -std::sin(a);
  }
  for (int i = 0; i < n; ++i) {
    GlmTriangle t;
    t.vindices[0] = 1;
    t.vindices[1] = static_cast<std::uint32_t>(i + 2);
    t.vindices[2] = static_cast<std::uint32_t>(i + 3);
    m.triangles.push_back(t);
  }
  return m;
}

TEST(VertexNeighbours, VisitsFromTheLastTriangleAndRepeatsSharedCorners) {
  GlmModel m = fan(3);
  glmFacetNormals(m);
  std::vector<VertexNeighbours> records;
  EXPECT_EQ(glmVertexNeighbours(m, records, 90.0f), 0);
  ASSERT_EQ(records.size(), m.vertexCount() + 1u);
  const VertexNeighbours& centre = records[0];
  EXPECT_EQ(centre.vertex, 0);
  ASSERT_EQ(centre.triangleCount, 3);
  EXPECT_EQ(centre.triangles[0], 2);
  EXPECT_EQ(centre.triangles[2], 0);
  ASSERT_EQ(centre.neighbourCount, 6);
  // Triangle 2 (corners 1, 4, 5) first: 0-based 3 and 4; vertex 3 appears twice.
  EXPECT_EQ(centre.neighbours[0], 3);
  EXPECT_EQ(centre.neighbours[1], 4);
  EXPECT_EQ(std::count(centre.neighbours.begin(), centre.neighbours.end(), 3), 2);
  EXPECT_EQ(centre.neighbours[6], -1);
  // The rim vertex 5 (0-based 4) is used by one triangle only.
  EXPECT_EQ(records[4].triangleCount, 1);
  EXPECT_EQ(records.back().vertex, -1);  // the extra record stays unused
}

TEST(VertexNeighbours, ThresholdIsMeasuredFromTheLastTriangle) {
  // Two flat triangles (normal +y), then a last one folded down to 135 degrees.
  GlmModel m = fan(2);
  m.setVertexCount(5);
  const float rim[4][3] = {{1, 0, 0}, {0, 0, -1}, {-1, 0, 0}, {0, -1, -1}};
  for (int i = 0; i < 4; ++i) std::copy(rim[i], rim[i] + 3, m.vertex(i + 2));
  GlmTriangle folded;
  folded.vindices[0] = 1;
  folded.vindices[1] = 4;
  folded.vindices[2] = 5;
  m.triangles.push_back(folded);
  glmFacetNormals(m);
  std::vector<VertexNeighbours> records;
  glmVertexNeighbours(m, records, 90.0f);
  ASSERT_EQ(records[0].triangleCount, 1);
  EXPECT_EQ(records[0].triangles[0], 2);
  glmVertexNeighbours(m, records, 140.0f);
  EXPECT_EQ(records[0].triangleCount, 3);
  // Vertex 4 (0-based 3) sees the folded triangle last too.
  glmVertexNeighbours(m, records, 90.0f);
  EXPECT_EQ(records[3].triangleCount, 1);
}

TEST(VertexNeighbours, FullRecordStopsAtFortyEntries) {
  GlmModel m = fan(30);
  glmFacetNormals(m);
  std::vector<VertexNeighbours> records;
  EXPECT_EQ(glmVertexNeighbours(m, records, 90.0f), 1);
  EXPECT_EQ(records[0].neighbourCount, 40);
  EXPECT_EQ(records[0].triangleCount, 20);
}

TEST(VertexNeighbours, UsesFreshNormalsWhenTheModelHasNone) {
  GlmModel withNormals = testing::makeSphere(6, 8);
  GlmModel without = withNormals;
  glmFacetNormals(withNormals);
  std::vector<VertexNeighbours> a, b;
  glmVertexNeighbours(withNormals, a, 30.0f);
  glmVertexNeighbours(without, b, 30.0f);
  for (std::size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].triangleCount, b[i].triangleCount);
    EXPECT_EQ(a[i].triangles, b[i].triangles);
  }
}

TEST(ModelOps, ScaleTranslateAndCopy) {
  GlmModel m;
  m.setVertexCount(2);
  m.vertex(1)[1] = -8.8f;
  m.vertex(2)[0] = 1;
  m.vertex(2)[1] = 1.2f;
  m.vertex(2)[2] = 2;
  glmScaleY(m, 2.0f);
  EXPECT_FLOAT_EQ(m.vertex(1)[1], -8.8f);  // the floor stays where it is
  EXPECT_FLOAT_EQ(m.vertex(2)[1], 11.2f);
  glmScaleX(m, 3.0f);
  glmScaleZ(m, 0.5f);
  EXPECT_FLOAT_EQ(m.vertex(2)[0], 3.0f);
  EXPECT_FLOAT_EQ(m.vertex(2)[2], 1.0f);
  glmTranslate(m, 1, 2, 3);
  glmScale(m, 2.0f);
  EXPECT_FLOAT_EQ(m.vertex(2)[0], 8.0f);
  EXPECT_FLOAT_EQ(m.vertex(1)[1], -13.6f);

  GlmModel target;
  target.setVertexCount(3);
  target.vertex(3)[0] = 42;
  glmCopyVertices(m, target);
  EXPECT_EQ(target.vertex(2)[0], m.vertex(2)[0]);
  EXPECT_EQ(target.vertex(3)[0], 42);  // beyond the source's vertices
  EXPECT_EQ(target.vertices[0], 0.0f);  // entry 0 holds no data and is not copied
}

TEST(ModelOps, DimensionsAreExtentsEvenOffCentre) {
  GlmModel m;
  m.setVertexCount(2);
  const float v[] = {2, 3, -4, 5, 7, -1};
  std::copy(v, v + 6, m.vertices.begin() + 3);
  std::array<float, 3> dims{}, maximum{}, minimum{};
  glmDimensions(m, dims, maximum, minimum);
  EXPECT_EQ(maximum, (std::array<float, 3>{5, 7, -1}));
  EXPECT_EQ(minimum, (std::array<float, 3>{2, 3, -4}));
  EXPECT_EQ(dims, (std::array<float, 3>{3, 4, 3}));
  GlmModel empty;
  glmDimensions(empty, dims, maximum, minimum);
  EXPECT_EQ(dims, (std::array<float, 3>{0, 0, 0}));
}

TEST(ModelOps, FindAndAddGroupAndMaterial) {
  GlmModel m;
  GlmGroup& a = glmAddGroup(m, " a");
  GlmGroup& again = glmAddGroup(m, " a");
  EXPECT_EQ(&a, &again);
  glmAddGroup(m, " b");
  EXPECT_EQ(m.groups.front().name, " b");
  EXPECT_EQ(glmFindGroup(m, "a"), nullptr);  // exact match: the blank counts
  m.materials.resize(3);
  m.materials[1].name = "x";
  m.materials[2].name = "x";
  std::vector<std::string> warnings;
  EXPECT_EQ(glmFindMaterial(m, "x", &warnings), 1u);
  EXPECT_EQ(glmFindMaterial(m, "y", &warnings), 0u);
  EXPECT_EQ(warnings.size(), 1u);
}

}  // namespace
}  // namespace vestora
