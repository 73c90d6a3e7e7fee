// The body triangle tree: building it over a body-sized mesh (a sphere of
// 30,000 triangles) at load, and the 100 segment tests of one surface curve.
#include <cstdint>

#include <benchmark/benchmark.h>

#include "avatar/triangle_tree.h"
#include "test_support.h"

namespace {

using namespace vestora;

// (101 - 1) × 150 × 2 = 30,000 triangles, radius 1 model unit.
TriangleMesh bodySizedSphere() {
  const GlmModel model = testing::makeSphere(101, 150);
  TriangleMesh mesh;
  for (std::uint32_t i = 1; i <= model.vertexCount(); ++i) {
    const float* v = model.vertex(i);
    mesh.vertices.push_back({v[0], v[1], v[2]});
  }
  for (const GlmTriangle& t : model.triangles) {
    mesh.triangles.push_back({std::int32_t(t.vindices[0]) - 1, std::int32_t(t.vindices[1]) - 1,
                              std::int32_t(t.vindices[2]) - 1});
  }
  return mesh;
}

void BM_BuildTriangleTree(benchmark::State& state) {
  const TriangleMesh mesh = bodySizedSphere();
  for (auto _ : state) {
    BodyTriangleTree tree = buildTriangleTree(mesh);
    benchmark::DoNotOptimize(tree.nodes().data());
  }
  state.counters["triangles"] = double(mesh.triangles.size());
}
BENCHMARK(BM_BuildTriangleTree)->Unit(benchmark::kMillisecond);

// A stroke over the middle of the sphere, seen from the front in perspective:
// near plane 1 unit and far plane 20 units from the eye at z = 5.
void BM_SurfaceCurve(benchmark::State& state) {
  const BodyTriangleTree tree = buildTriangleTree(bodySizedSphere());
  const StrokeEnds nearStroke{Point3{-0.25f, 0.01f, 4}, Point3{0.25f, 0.01f, 4}};
  const StrokeEnds farStroke{Point3{-5, 0.2f, -15}, Point3{5, 0.2f, -15}};
  SurfaceCurve curve;
  for (auto _ : state) {
    curve = surfaceCurveLength(nearStroke, farStroke, tree, tree.mesh());
    // A pointer, not the float: g++ can garble a float passed through
    // DoNotOptimize's memory constraint.
    benchmark::DoNotOptimize(curve.hits.points.data());
  }
  state.counters["hits"] = double(curve.hits.points.size());
  state.counters["length"] = curve.length;
}
BENCHMARK(BM_SurfaceCurve)->Unit(benchmark::kMicrosecond);

}  // namespace
