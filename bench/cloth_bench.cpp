// Fitting the default dress to the default body: the production fit, with
// the body index, side by side with the reference fit whose searches scan
// every body sample; also the refresh of the body after a reshaping, the
// binding, the fit after a change of weight and month, and one tick of the
// idle animation with the dress on.
#include <benchmark/benchmark.h>

#include "avatar/avatar.h"
#include "avatar/idle_animation.h"
#include "body/body_shaper.h"
#include "cloth/garment_files.h"
#include "cloth/garment_fit.h"
#include "cloth/try_on.h"
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

// The body's positions now, as the surface takes them.
std::vector<Vec3> positionsOf(const Avatar& avatar) {
  std::vector<Vec3> p;
  for (const SkinVertex& s : avatar.skin) p.push_back({s.x, s.y, s.z});
  return p;
}

// Two shapes of the body: as loaded, and heavier and pregnant.
struct TwoShapes : DressedBody {
  std::vector<Vec3> loaded, reshaped;
  TwoShapes() {
    loaded = positionsOf(avatar);
    BodyShaper shaper(avatar);
    shaper.SetBodyWeight(140);
    shaper.SetPregnancyMonth(7);
    reshaped = positionsOf(avatar);
  }
};

// The fit the body editor runs after a reshaping: refresh the body, fit
// (the shape changes at every iteration, so the refresh is a whole one).
void BM_RefitAfterReshaping(benchmark::State& state) {
  TwoShapes d;
  bool reshaped = false;
  for (auto _ : state) {
    reshaped = !reshaped;
    d.body.refresh(reshaped ? d.reshaped : d.loaded);
    FitGarmentToBody(d.dress, d.body);
    benchmark::DoNotOptimize(d.dress.drawParticles.data());
  }
}
BENCHMARK(BM_RefitAfterReshaping)->Unit(benchmark::kMillisecond);

void BM_RefreshBody(benchmark::State& state) {
  TwoShapes d;
  bool reshaped = false;
  for (auto _ : state) {
    reshaped = !reshaped;
    d.body.refresh(reshaped ? d.reshaped : d.loaded);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_RefreshBody)->Unit(benchmark::kMillisecond);

// One tick of the idle animation with the dress on, as the view plays it:
// the next frame of the breath into the body, the dress refitted to it.
void BM_IdleTickWithDress(benchmark::State& state) {
  Avatar avatar(kRoot);
  (void)avatar.selectAvatar(kAvatarTable[0]);
  ScriptedDialogs dialogs;
  TryOn tryOn(avatar, dialogs);
  IdleAnimation idle;
  if (!tryOn.LoadFittedGarmentCommand(dataPath(kRoot, "\\pattern\\Dress.pop")) ||
      !idle.load(avatar)) {
    state.SkipWithError("no dress or no idle animation in the application root");
    return;
  }
  std::size_t k = 0;
  for (auto _ : state) {
    k = k >= idle.lastFrame() ? 0 : k + 1;
    idle.show(avatar, k);
    avatar.notifyReshaped();
    benchmark::DoNotOptimize(tryOn.garment().drawParticles.data());
  }
}
BENCHMARK(BM_IdleTickWithDress)->Unit(benchmark::kMillisecond);

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
