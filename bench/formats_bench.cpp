// Reading and writing a body-sized model (20,002 vertices, 40,000
// triangles) from memory, and the vertex-neighbour records built from it.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <benchmark/benchmark.h>

#include "formats/model_loader.h"
#include "formats/model_ops.h"
#include "test_support.h"

namespace {

using namespace vestora;

constexpr int kRings = 101;
constexpr int kSegments = 200;  // (101 - 1) × 200 + 2 vertices, 40,000 triangles

constexpr std::string_view kMaterialLibrary =
    "newmtl skin\n"
    "Ka 0.2 0.15 0.1\n"
    "Kd 0.9 0.75 0.65\n"
    "Ks 0.1 0.1 0.1\n"
    "Ns 96\n"
    "map_Kd skin.jpg\n";

// A sphere with a normal and a texture coordinate per vertex (numbered like
// the vertices), facet normals and one material.
GlmModel texturedSphere(int rings, int segments) {
  GlmModel m = testing::makeSphere(rings, segments);
  const std::uint32_t n = m.vertexCount();
  m.setNormalCount(n);
  m.setTexcoordCount(n);
  for (std::uint32_t i = 1; i <= n; ++i) {
    const float* v = m.vertex(i);
    for (int k = 0; k < 3; ++k) m.normals[3 * i + k] = v[k];
    m.texcoords[2 * i] = 0.5f + std::atan2(v[2], v[0]) / 6.2831853f;
    m.texcoords[2 * i + 1] = 0.5f + 0.5f * v[1];
  }
  for (auto& t : m.triangles)
    for (int c = 0; c < 3; ++c) t.nindices[c] = t.tindices[c] = t.vindices[c];
  glmFacetNormals(m);
  m.mtllibname = "model.mtl";
  m.materials.resize(2);
  m.materials[1].name = "skin";
  GlmGroup& body = m.groups.front();
  body.material = 1;
  body.runs = {{"skin", 0, m.triangleCount()}};
  for (std::size_t k = 0; k < body.triangles.size(); ++k)
    body.triangleCopies[k] = m.triangles[body.triangles[k]];
  return m;
}

void appendNumber(std::string& out, float x) {
  char buffer[32];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, x);
  out.append(buffer, r.ptr);
}

void appendNumber(std::string& out, std::uint32_t x) {
  char buffer[16];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, x);
  out.append(buffer, r.ptr);
}

// The model as OBJ text: v, vt, vn, then one group under one material with
// "f v/t/n" faces.
std::string writeObj(const GlmModel& m) {
  std::string out = "# sphere for the benchmarks\nmtllib model.mtl\n";
  auto line = [&](const char* key, const float* values, int n) {
    out += key;
    for (int k = 0; k < n; ++k) {
      out += ' ';
      appendNumber(out, values[k]);
    }
    out += '\n';
  };
  for (std::uint32_t i = 1; i <= m.vertexCount(); ++i) line("v", m.vertex(i), 3);
  for (std::uint32_t i = 1; i <= m.texcoordCount(); ++i) line("vt", &m.texcoords[2 * i], 2);
  for (std::uint32_t i = 1; i <= m.normalCount(); ++i) line("vn", &m.normals[3 * i], 3);
  out += "g body\nusemtl skin\n";
  for (const auto& t : m.triangles) {
    out += 'f';
    for (int c = 0; c < 3; ++c) {
      out += ' ';
      appendNumber(out, t.vindices[c]);
      out += '/';
      appendNumber(out, t.tindices[c]);
      out += '/';
      appendNumber(out, t.nindices[c]);
    }
    out += '\n';
  }
  return out;
}

struct Fixture {
  GlmModel model = texturedSphere(kRings, kSegments);
  std::vector<std::uint8_t> c3d;
  std::string obj = writeObj(model);
  Fixture() {
    auto bytes = ModelLoader().encodeC3D(model, 0);
    if (bytes) c3d = std::move(bytes.value());
  }
};

const Fixture& fixture() {
  static const Fixture f;
  return f;
}

FileFetcher materialFetcher() {
  return [](const std::string& path) -> Result<std::string> {
    if (path == "bench/model.mtl") return std::string(kMaterialLibrary);
    return makeError(path, "no such file");
  };
}

void BM_ReadC3D(benchmark::State& state) {
  const Fixture& f = fixture();
  if (f.c3d.empty()) return state.SkipWithError("the model could not be encoded");
  ModelLoader loader;
  for (auto _ : state) {
    std::int32_t tag = 0;
    auto model = loader.readC3D(f.c3d, "bench.c3d", tag);
    if (!model || model.value()->triangleCount() != f.model.triangleCount())
      return state.SkipWithError("the encoded model did not read back");
    benchmark::DoNotOptimize(model.value().get());
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(f.c3d.size()));
  state.SetItemsProcessed(std::int64_t(state.iterations()) * f.model.triangleCount());
  state.counters["file_bytes"] = double(f.c3d.size());
}
BENCHMARK(BM_ReadC3D)->Unit(benchmark::kMillisecond);

void BM_ReadOBJ(benchmark::State& state) {
  const Fixture& f = fixture();
  const FileFetcher fetch = materialFetcher();
  ModelLoader loader;
  for (auto _ : state) {
    std::int32_t tag = 0;
    auto model = loader.readOBJ(f.obj, "bench/model.obj", fetch, tag);
    if (!model || model.value()->triangleCount() != f.model.triangleCount() ||
        model.value()->materials.size() != 2)
      return state.SkipWithError("the OBJ text did not read back");
    benchmark::DoNotOptimize(model.value().get());
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(f.obj.size()));
  state.SetItemsProcessed(std::int64_t(state.iterations()) * f.model.triangleCount());
  state.counters["file_bytes"] = double(f.obj.size());
}
BENCHMARK(BM_ReadOBJ)->Unit(benchmark::kMillisecond);

void BM_WriteC3D(benchmark::State& state) {
  const Fixture& f = fixture();
  ModelLoader loader;
  std::size_t written = 0;
  for (auto _ : state) {
    auto bytes = loader.encodeC3D(f.model, 0);
    if (!bytes) return state.SkipWithError("the model could not be encoded");
    written = bytes.value().size();
    benchmark::DoNotOptimize(bytes.value().data());
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(written));
  state.SetItemsProcessed(std::int64_t(state.iterations()) * f.model.triangleCount());
}
BENCHMARK(BM_WriteC3D)->Unit(benchmark::kMillisecond);

void neighbours(benchmark::State& state, const GlmModel& model) {
  // Records of the right size from the start: the first call's page faults
  // on 332 bytes per vertex would otherwise be charged to the short runs.
  std::vector<VertexNeighbours> records;
  glmVertexNeighbours(model, records, 90.0f);
  for (auto _ : state) {
    benchmark::DoNotOptimize(glmVertexNeighbours(model, records, 90.0f));
    benchmark::ClobberMemory();
  }
  if (records.size() != std::size_t(model.vertexCount()) + 1 || records[0].triangleCount == 0)
    return state.SkipWithError("no neighbour records were built");
  state.SetItemsProcessed(std::int64_t(state.iterations()) * model.vertexCount());
  state.SetComplexityN(model.vertexCount());
}

void BM_VertexNeighbours(benchmark::State& state) {
  neighbours(state, fixture().model);
}

// The sphere's triangles are made one segment (a column from pole to pole) at
// a time while its vertices go ring by ring, so the triangles round
// neighbouring vertices lie far apart in memory. Sorted by their lowest
// vertex number they follow the vertices, so that the size series measures
// the growth of the work and not of the cache misses.
GlmModel inVertexOrder(GlmModel m) {
  auto lowest = [](const GlmTriangle& t) {
    return std::min({t.vindices[0], t.vindices[1], t.vindices[2]});
  };
  std::stable_sort(
      m.triangles.begin(), m.triangles.end(),
      [&](const GlmTriangle& a, const GlmTriangle& b) { return lowest(a) < lowest(b); });
  glmFacetNormals(m);
  GlmGroup& body = m.groups.front();
  for (std::size_t k = 0; k < body.triangles.size(); ++k)
    body.triangleCopies[k] = m.triangles[body.triangles[k]];
  return m;
}

// Spheres of about `vertices` vertices, built once per size and order.
const GlmModel& sphereOfSize(std::int64_t vertices, bool vertexOrder) {
  static std::map<std::pair<std::int64_t, bool>, std::unique_ptr<GlmModel>> models;
  auto& model = models[{vertices, vertexOrder}];
  if (!model) {
    const int rings = std::max(3, int(std::lround(std::sqrt(double(vertices) / 2))));
    GlmModel sphere = texturedSphere(rings, 2 * rings);
    model = std::make_unique<GlmModel>(vertexOrder ? inVertexOrder(std::move(sphere))
                                                   : std::move(sphere));
  }
  return *model;
}

// Growth with the model size, triangles in vertex order.
void BM_VertexNeighboursBySize(benchmark::State& state) {
  neighbours(state, sphereOfSize(state.range(0), true));
}

// The same spheres with the triangles in the order they were made: what
// scattered triangles cost once the model no longer fits in the caches.
void BM_VertexNeighboursSphereOrder(benchmark::State& state) {
  neighbours(state, sphereOfSize(state.range(0), false));
}

// Both under one name: the fixed body, then the growth over model sizes.
[[maybe_unused]] benchmark::internal::Benchmark* const registered[] = {
    benchmark::RegisterBenchmark("BM_VertexNeighbours", BM_VertexNeighbours)
        ->Unit(benchmark::kMillisecond),
    benchmark::RegisterBenchmark("BM_VertexNeighbours", BM_VertexNeighboursBySize)
        ->Arg(5000)
        ->Arg(10000)
        ->Arg(20000)
        ->Arg(40000)
        ->Arg(80000)
        ->Arg(160000)
        ->Arg(320000)
        ->Unit(benchmark::kMillisecond)
        ->Complexity(),
};

BENCHMARK(BM_VertexNeighboursSphereOrder)
    ->Arg(20000)
    ->Arg(80000)
    ->Arg(320000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
