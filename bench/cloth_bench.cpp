// Fitting the default dress to the default body: the production fit, with
// the body index, side by side with the reference fit whose searches scan
// every body sample; also the refresh of the body after a reshaping, the
// binding, and the fit after a change of weight and month.
#include <benchmark/benchmark.h>

#include "avatar/avatar.h"
#include "body/body_shaper.h"
#include "cloth/garment_files.h"
#include "cloth/garment_fit.h"
#include "platform/data_path.h"

namespace vestora {
namespace {

const std::string kRoot = VESTORA_BENCH_ROOT;

struct DressedBody {
  Avatar avatar{kRoot};
  GarmentMesh dress;
  BodySurface body;
  DressedBody() {
    (void)avatar.selectAvatar(kAvatarTable[0]);
    GarmentLoadContext ctx;
    auto loaded = LoadFittedGarment(dataPath(kRoot, "\\pattern\\Dress.pop"), ctx);
    if (loaded) dress = std::move(loaded.value());
    body = BodySurface::fromAvatar(avatar);
  }
};

void BM_FitDress(benchmark::State& state, SampleSearch search) {
  DressedBody d;
  if (!d.dress.hasBinding) {
    state.SkipWithError("no bound dress in the application root");
    return;
  }
  for (auto _ : state) {
    FitGarmentToBody(d.dress, d.body, search);
    benchmark::DoNotOptimize(d.dress.drawParticles.data());
  }
  state.counters["particles"] = d.dress.particleCount();
}
BENCHMARK_CAPTURE(BM_FitDress, indexed, SampleSearch::Indexed)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FitDress, reference, SampleSearch::Scan)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// The fit the body editor runs after a reshaping: refresh the body, fit.
void BM_RefitAfterReshaping(benchmark::State& state) {
  DressedBody d;
  BodyShaper shaper(d.avatar);
  shaper.SetBodyWeight(140);
  shaper.SetPregnancyMonth(7);
  for (auto _ : state) {
    d.body.refresh(d.avatar);
    FitGarmentToBody(d.dress, d.body);
    benchmark::DoNotOptimize(d.dress.drawParticles.data());
  }
}
BENCHMARK(BM_RefitAfterReshaping)->Unit(benchmark::kMillisecond);

void BM_RefreshBody(benchmark::State& state) {
  DressedBody d;
  for (auto _ : state) {
    d.body.refresh(d.avatar);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_RefreshBody)->Unit(benchmark::kMillisecond);

void BM_BindDress(benchmark::State& state, SampleSearch search) {
  DressedBody d;
  for (auto _ : state) {
    BindGarmentToBody(d.dress, d.body, search);
    benchmark::DoNotOptimize(d.dress.bindings.data());
  }
}
BENCHMARK_CAPTURE(BM_BindDress, indexed, SampleSearch::Indexed)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BindDress, reference, SampleSearch::Scan)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace
}  // namespace vestora
