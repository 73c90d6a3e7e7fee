// Loading the default body, one step of a body-editor slider (deform the
// region's lattice and measure it) and the full measurement, on the
// generated content of the build's application root.
#include <benchmark/benchmark.h>

#include "avatar/avatar.h"
#include "body/body_shaper.h"
#include "body/measurement.h"

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

}  // namespace
}  // namespace vestora
