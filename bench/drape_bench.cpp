// Draping: one implicit step of a 64 × 64 sheet (4096 particles) hanging
// from its top row, one whole drape step (solve, stretch limiting, contact,
// friction) of the same sheet falling onto the default body's head and
// shoulders, and sewing the generated skirt on the default body from its
// flat pieces until it has settled.
#include <algorithm>
#include <cmath>

#include <benchmark/benchmark.h>

#include "avatar/avatar.h"
#include "cloth/cloth_build.h"
#include "cloth/cloth_drape.h"
#include "cloth/cloth_step.h"
#include "cloth/garment_files.h"
#include "cloth/garment_placement.h"
#include "cloth/try_on.h"
#include "platform/data_path.h"

namespace vestora {
namespace {

const std::string kRoot = VESTORA_BENCH_ROOT;
constexpr int kSide = 64;

// A square sheet of kSide × kSide particles `spacing` apart, level at
// height y (or hanging in the x-y plane when `level` is false), with
// springs along rows, columns and one diagonal, and its triangles.
GarmentMesh sheet(float spacing, bool level, float y) {
  GarmentMesh g;
  for (int r = 0; r < kSide; ++r)
    for (int c = 0; c < kSide; ++c) {
      GarmentParticle p;
      p.point.x = (c - kSide / 2) * spacing;
      p.point.y = level ? y : y - r * spacing;
      p.point.z = level ? (r - kSide / 2) * spacing : 0;
      p.piece = 0;
      g.particles.push_back(p);
    }
  auto id = [](int r, int c) { return r * kSide + c; };
  auto edge = [&](int a, int b) {
    GarmentEdge e;
    e.a = a;
    e.b = b;
    const SkinVertex &pa = g.particles[a].point, &pb = g.particles[b].point;
    e.rest = std::hypot(pa.x - pb.x, pa.y - pb.y, pa.z - pb.z);
    g.edges.push_back(e);
  };
  for (int r = 0; r < kSide; ++r)
    for (int c = 0; c < kSide; ++c) {
      if (c + 1 < kSide) edge(id(r, c), id(r, c + 1));
      if (r + 1 < kSide) edge(id(r, c), id(r + 1, c));
      if (r + 1 < kSide && c + 1 < kSide) {
        edge(id(r, c), id(r + 1, c + 1));
        GarmentTriangle t1, t2;
        t1.vertex = {id(r, c), id(r + 1, c + 1), id(r, c + 1)};
        t2.vertex = {id(r, c), id(r + 1, c), id(r + 1, c + 1)};
        g.triangles.push_back(t1);
        g.triangles.push_back(t2);
      }
    }
  g.gravity = kHangingGravity;
  return g;
}

void BM_ImplicitStep4k(benchmark::State& state) {
  GarmentMesh g = sheet(0.15f, false, 0);
  for (int c = 0; c < kSide; ++c) g.fixedParticles.push_back(c);
  BuildClothSystem(g);
  for (auto& spring : g.cloth->springs) spring->ks = 100000.0f;
  ImplicitStepper stepper(DrapeSettings{}.step);
  int iterations = 0;
  for (auto _ : state) iterations += stepper.Step(*g.cloth->system).iterations;
  state.counters["particles"] = g.particleCount();
  state.counters["cg iterations"] =
      benchmark::Counter(iterations, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ImplicitStep4k)->Unit(benchmark::kMillisecond)->Iterations(300);

void BM_DrapeStep4k(benchmark::State& state) {
  Avatar avatar(kRoot);
  if (!avatar.selectAvatar(kAvatarTable[0])) {
    state.SkipWithError("no default body in the application root");
    return;
  }
  // 1.5 cm apart, level just over her head.
  const GarmentMesh g = sheet(0.15f, true, avatar.maximum[1] + 0.1f);
  ClothDrape drape(g, BodySurface::fromAvatar(avatar), DrapeKind::Settle);
  for (auto _ : state) drape.Step();
  std::vector<double> ms = drape.stepMs();
  std::sort(ms.begin(), ms.end());
  state.counters["particles"] = g.particleCount();
  state.counters["median ms"] = ms.empty() ? 0 : ms[ms.size() / 2];
}
BENCHMARK(BM_DrapeStep4k)->Unit(benchmark::kMillisecond)->Iterations(300);

void BM_SewSkirt(benchmark::State& state) {
  Avatar avatar(kRoot);
  GarmentLoadContext ctx;
  auto skirt = LoadPatternMesh(dataPath(kRoot, "\\pattern\\Skirt.msh"), ctx);
  if (!avatar.selectAvatar(kAvatarTable[0]) || !skirt) {
    state.SkipWithError("no default body or skirt in the application root");
    return;
  }
  skirt->gravity = kQuickSewGravity;
  SnapshotParticles(*skirt);
  const BodySurface body = BodySurface::fromAvatar(avatar);
  int steps = 0;
  for (auto _ : state) {
    skirt->particles = skirt->restParticles;
    PlacePiecesAroundBody(*skirt, avatar);
    ClothDrape drape(*skirt, body, DrapeKind::Sew);
    while (drape.Step()) {
    }
    steps = drape.steps();
  }
  state.counters["particles"] = skirt->particleCount();
  state.counters["steps"] = steps;
}
BENCHMARK(BM_SewSkirt)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace vestora
