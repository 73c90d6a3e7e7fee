// Loading the default body, one step of a body-editor slider (deform the
// region's lattice and measure it; and the same in the window, where the
// worn dress refits), the full measurement and fitting the body to a set of
// measures, on the generated content of the build's application root.
#include <benchmark/benchmark.h>

#include "avatar/avatar.h"
#include "body/body_shaper.h"
#include "body/body_targets.h"
#include "body/measurement.h"
#include "cloth/try_on.h"
#include "platform/data_path.h"
#include "platform/user_dialogs.h"

namespace vestora {
namespace {

const std::string kRoot = VESTORA_BENCH_ROOT;

void BM_LoadAvatar(benchmark::State& state) {
  for (auto _ : state) {
    Avatar avatar(kRoot);
    auto loaded = avatar.selectAvatar(kAvatarTable[0]);
    benchmark::DoNotOptimize(loaded.ok());
  }
}
BENCHMARK(BM_LoadAvatar)->Unit(benchmark::kMillisecond);

void BM_SliderStep(benchmark::State& state, const char* region) {
  Avatar avatar(kRoot);
  (void)avatar.selectAvatar(kAvatarTable[0]);
  BodyShaper shaper(avatar);
  (void)shaper.LoadShapeRegions(kindResources("woman")->wholeBodyGroup);
  shaper.SelectShapeRegion(region);
  float direction = 1;
  for (auto _ : state) {
    // Back and forth by one slider position (the gain over 255).
    const auto value = shaper.DeformRegion(region, 0, 0, direction * 2.0f / 255);
    benchmark::DoNotOptimize(value);
    direction = -direction;
  }
}
BENCHMARK_CAPTURE(BM_SliderStep, chest, " Chest")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SliderStep, waist, " Waist")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SliderStep, thigh, " Thigh")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SliderStep, shoulder, " Shoulder")->Unit(benchmark::kMillisecond);

void BM_MeasureBody(benchmark::State& state) {
  Avatar avatar(kRoot);
  (void)avatar.selectAvatar(kAvatarTable[0]);
  BodyMeasurer measurer;
  for (auto _ : state) benchmark::DoNotOptimize(measurer.MeasureBody(avatar, nullptr));
}
BENCHMARK(BM_MeasureBody)->Unit(benchmark::kMillisecond);

void BM_SolveRegionToMeasure(benchmark::State& state) {
  Avatar avatar(kRoot);
  (void)avatar.selectAvatar(kAvatarTable[0]);
  BodyShaper shaper(avatar);
  (void)shaper.LoadShapeRegions(kindResources("woman")->wholeBodyGroup);
  float target = 74;
  for (auto _ : state) {
    benchmark::DoNotOptimize(shaper.SolveRegionToMeasure(" Waist", target));
    target = target == 74 ? 72 : 74;
  }
}
BENCHMARK(BM_SolveRegionToMeasure)->Unit(benchmark::kMillisecond);

// A slider step as the window takes it: the region's lattice, its
// measurement, and the refit of the worn dress that follows the reshaping
// notice.
void BM_SliderStepDressed(benchmark::State& state, const char* region) {
  Avatar avatar(kRoot);
  (void)avatar.selectAvatar(kAvatarTable[0]);
  ScriptedDialogs dialogs;
  TryOn tryOn(avatar, dialogs);
  if (!tryOn.LoadFittedGarmentCommand(dataPath(kRoot, "\\pattern\\Dress.pop")).ok() ||
      !tryOn.garment().hasBinding) {
    state.SkipWithError("no bound dress in the application root");
    return;
  }
  BodyShaper shaper(avatar);
  (void)shaper.LoadShapeRegions(kindResources("woman")->wholeBodyGroup);
  shaper.SelectShapeRegion(region);
  float direction = 1;
  for (auto _ : state) {
    const auto value = shaper.DeformRegion(region, 0, 0, direction * 2.0f / 255);
    benchmark::DoNotOptimize(value);
    benchmark::DoNotOptimize(tryOn.garment().drawParticles.data());
    direction = -direction;
  }
  state.counters["particles"] = tryOn.garment().particleCount();
  state.counters["refit_ms"] = tryOn.lastFitMs();
}
BENCHMARK_CAPTURE(BM_SliderStepDressed, waist, " Waist")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SliderStepDressed, chest, " Chest")->Unit(benchmark::kMillisecond);

// "height=165,chest=93,waist=72,hip=98" on the loaded body: the whole-body
// settings, the regions solved together, and the full measurement of the
// result. With the load, what the command line spends after starting.
void BM_FitToMeasures(benchmark::State& state, bool load) {
  const auto targets = parseBodyTargets("height=165,chest=93,waist=72,hip=98").value();
  auto avatar = std::make_unique<Avatar>(kRoot);
  (void)avatar->selectAvatar(kAvatarTable[0]);
  auto shaper = std::make_unique<BodyShaper>(*avatar);
  (void)shaper->LoadShapeRegions(kindResources("woman")->wholeBodyGroup);
  int rounds = 0;
  bool reached = true;
  for (auto _ : state) {
    if (load) {
      shaper.reset();
      avatar = std::make_unique<Avatar>(kRoot);
      (void)avatar->selectAvatar(kAvatarTable[0]);
      shaper = std::make_unique<BodyShaper>(*avatar);
    }
    const BodyFit fit = fitBodyToTargets(*shaper, targets, WholeBodySettings{});
    rounds = fit.iterations;
    reached = reached && fit.allReached();
  }
  if (!reached) state.SkipWithError("a target was not reached");
  state.counters["rounds"] = rounds;
}
BENCHMARK_CAPTURE(BM_FitToMeasures, fit, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FitToMeasures, load_and_fit, true)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vestora
