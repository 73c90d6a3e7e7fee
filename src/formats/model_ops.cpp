#include "formats/model_ops.h"

#include <algorithm>
#include <cmath>

namespace vestora {
namespace {

std::array<float, 3> unitNormal(const GlmModel& m, const GlmTriangle& t) {
  const float* a = m.vertex(t.vindices[0]);
  const float* b = m.vertex(t.vindices[1]);
  const float* c = m.vertex(t.vindices[2]);
  const float u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  const float v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
  std::array<float, 3> n = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                            u[0] * v[1] - u[1] * v[0]};
  const float len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  if (len > 0.0f)
    for (float& x : n) x /= len;
  return n;
}

bool cornersValid(const GlmModel& m, const GlmTriangle& t) {
  const std::uint32_t v = m.vertexCount();
  return t.vindices[0] >= 1 && t.vindices[0] <= v && t.vindices[1] >= 1 && t.vindices[1] <= v &&
         t.vindices[2] >= 1 && t.vindices[2] <= v;
}

template <class F>
void forEachVertex(GlmModel& m, F f) {
  for (std::uint32_t i = 1; i <= m.vertexCount(); ++i) f(m.vertex(i));
}

}  // namespace

void glmFacetNormals(GlmModel& m) {
  m.facetnorms.assign((m.triangles.size() + 1) * 3, 0.0f);
  for (std::size_t i = 0; i < m.triangles.size(); ++i) {
    GlmTriangle& t = m.triangles[i];
    if (cornersValid(m, t)) {
      const auto n = unitNormal(m, t);
      std::copy(n.begin(), n.end(), &m.facetnorms[3 * (i + 1)]);
    }
    t.findex = static_cast<std::uint32_t>(i + 1);
  }
  if (m.triangles.empty()) m.facetnorms.clear();
}

int glmVertexNeighbours(const GlmModel& m, std::vector<VertexNeighbours>& records,
                        float thresholdDegrees) {
  const std::uint32_t vertexCount = m.vertexCount();
  const std::size_t triangleCount = m.triangles.size();
  records.assign(std::size_t(vertexCount) + 1, VertexNeighbours{});

  // Triangles of each vertex in model order (compressed rows).
  std::vector<std::uint32_t> start(std::size_t(vertexCount) + 2, 0);
  for (const auto& t : m.triangles)
    if (cornersValid(m, t))
      for (auto v : t.vindices) ++start[v + 1];
  for (std::size_t i = 1; i < start.size(); ++i) start[i] += start[i - 1];
  std::vector<std::uint32_t> fill(start.begin(), start.end() - 1);
  std::vector<std::uint32_t> used(start.back());
  for (std::size_t i = 0; i < triangleCount; ++i)
    if (cornersValid(m, m.triangles[i]))
      for (auto v : m.triangles[i].vindices) used[fill[v]++] = static_cast<std::uint32_t>(i);

  std::vector<std::array<float, 3>> normals(triangleCount);
  const bool haveFacetNormals = m.facetNormalCount() >= triangleCount;
  for (std::size_t i = 0; i < triangleCount; ++i) {
    const auto& t = m.triangles[i];
    if (haveFacetNormals && t.findex >= 1 && t.findex <= m.facetNormalCount())
      std::copy_n(&m.facetnorms[3 * t.findex], 3, normals[i].begin());
    else if (cornersValid(m, t))
      normals[i] = unitNormal(m, t);
  }

  const float minCos = std::cos(thresholdDegrees * 3.14159265358979323846f / 180.0f);
  int overflowed = 0;
  for (std::uint32_t v = 1; v <= vertexCount; ++v) {
    VertexNeighbours& r = records[v - 1];
    r.vertex = static_cast<std::int32_t>(v - 1);
    const std::uint32_t first = start[v], last = start[v + 1];
    if (first == last) continue;
    const auto& reference = normals[used[last - 1]];
    bool full = false;
    for (std::uint32_t k = last; k-- > first;) {
      const std::uint32_t ti = used[k];
      const auto& n = normals[ti];
      const float dot = n[0] * reference[0] + n[1] * reference[1] + n[2] * reference[2];
      if (!(dot >= minCos) && k != last - 1) continue;
      if (r.triangleCount == kMaxVertexNeighbours || r.neighbourCount + 2 > kMaxVertexNeighbours) {
        full = true;
        break;
      }
      r.triangles[r.triangleCount++] = static_cast<std::int32_t>(ti);
      for (auto corner : m.triangles[ti].vindices)
        if (corner != v) r.neighbours[r.neighbourCount++] = static_cast<std::int32_t>(corner - 1);
    }
    overflowed += full;
  }
  return overflowed;
}

void glmScale(GlmModel& m, float s) {
  forEachVertex(m, [s](float* v) {
    v[0] *= s;
    v[1] *= s;
    v[2] *= s;
  });
}
void glmScaleX(GlmModel& m, float s) {
  forEachVertex(m, [s](float* v) { v[0] *= s; });
}
void glmScaleY(GlmModel& m, float s) {
  forEachVertex(m, [s](float* v) { v[1] = s * (v[1] + 8.8f) - 8.8f; });
}
void glmScaleZ(GlmModel& m, float s) {
  forEachVertex(m, [s](float* v) { v[2] *= s; });
}
void glmTranslate(GlmModel& m, float dx, float dy, float dz) {
  forEachVertex(m, [=](float* v) {
    v[0] += dx;
    v[1] += dy;
    v[2] += dz;
  });
}

void glmCopyVertices(const GlmModel& source, GlmModel& target) {
  const std::size_t n = 3 * std::min(source.vertexCount(), target.vertexCount());
  std::copy_n(source.vertices.begin() + 3, n, target.vertices.begin() + 3);
}

void glmDimensions(const GlmModel& m, std::array<float, 3>& dimensions,
                   std::array<float, 3>& maximum, std::array<float, 3>& minimum) {
  dimensions = maximum = minimum = {0.0f, 0.0f, 0.0f};
  if (m.vertexCount() == 0) return;
  maximum = minimum = {m.vertex(1)[0], m.vertex(1)[1], m.vertex(1)[2]};
  for (std::uint32_t i = 2; i <= m.vertexCount(); ++i)
    for (int k = 0; k < 3; ++k) {
      maximum[k] = std::max(maximum[k], m.vertex(i)[k]);
      minimum[k] = std::min(minimum[k], m.vertex(i)[k]);
    }
  for (int k = 0; k < 3; ++k) dimensions[k] = maximum[k] - minimum[k];
}

}  // namespace vestora
