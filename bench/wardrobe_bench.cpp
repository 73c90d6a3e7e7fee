// The wardrobe: listing a garment folder of 100 entries and making their
// thumbnails as the garment panel does (the toolkit decodes each picture),
// and a garment dropped on the avatar until its first frame is drawn.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <wx/image.h>
#include <wx/init.h>

#include "app/garment_panel.h"
#include "app/wardrobe.h"
#include "cloth/try_on.h"
#include "platform/data_path.h"
#include "platform/user_dialogs.h"
#include "test_support.h"
#include "view/gl_view.h"
#include "view/offscreen_context.h"

namespace vestora {
namespace {

const std::string kRoot = VESTORA_BENCH_ROOT;

void BM_ListOneHundredGarments(benchmark::State& state) {
  wxInitializer toolkit;  // the toolkit's picture readers, no display
  testing::TempDir dir;
  const std::filesystem::path dress = dataPath(kRoot, "\\pattern\\Dress.pop.bmp");
  for (int i = 0; i < 100; ++i)
    std::filesystem::copy_file(dress, dir.path() / ("Garment" + std::to_string(i) + ".pop.bmp"));
  for (auto _ : state) {
    // A fresh cache each time: the first listing after the program starts.
    ThumbnailCache cache(app::decodePicture);
    std::size_t made = 0;
    for (const std::string& path : listEntries(dir.path().string(), "bmp"))
      made += cache.get(path) != nullptr;
    if (made != 100) state.SkipWithError("a thumbnail could not be made");
  }
}
BENCHMARK(BM_ListOneHundredGarments)->Unit(benchmark::kMillisecond);

// A view on an off-screen frame of the window's usual size.
class BenchHost : public ViewHost {
 public:
  UserDialogs& dialogs() override { return dialogs_; }
  void requestRedraw() override {}
  void startTimer(int, int) override {}
  void killTimer(int) override {}
  void swapBuffers() override {}
  void openDocument(const std::string&) override {}
  void playSound(std::string_view) override {}
  void takeFocus() override {}
  bool soundEffectsOn() const override { return false; }
  ScriptedDialogs dialogs_;
};

void BM_DropADressUntilItsFirstFrame(benchmark::State& state) {
  auto context = OffscreenContext::create(825, 700, false);
  if (!context) {
    state.SkipWithError(context.error().message().c_str());
    return;
  }
  BenchHost host;
  GlView view(host, kRoot);
  if (!view.loadDefaultAvatar() || !view.InitGL(825, 700)) {
    state.SkipWithError("the view could not start");
    return;
  }
  view.LoadViewResources();
  view.DrawScene(false);
  const std::string entry = dataPath(kRoot, "\\pattern\\Dress.pop.bmp");
  for (auto _ : state) {
    state.PauseTiming();
    view.tryOn().takeOff();
    state.ResumeTiming();
    if (!view.ActivateEntry(entry)) state.SkipWithError("the dress did not go on");
    view.DrawScene(false);
    (*context)->readRgb();  // the frame is finished when it can be read
  }
  view.ReleaseGL();
}
BENCHMARK(BM_DropADressUntilItsFirstFrame)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vestora
