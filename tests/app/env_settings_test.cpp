// The environment settings panel in the real main window on a virtual
// display, driven by real clicks: the scene cycle with its camera
// distances, the units on the measurement sheet, the music (heard through
// SDL's disk audio driver) and the snapshot mode with its camera sound.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include "app/env_settings_panel.h"
#include "app/gl_view_window.h"
#include "app/main_window.h"
#include "app/measure_page.h"
#include "dialog_answers.h"
#include "main_window_fixture.h"
#include "platform/sound.h"
#include "ui/skin_button.h"
#include "ui_test_support.h"
#include "view/measurement_sheet.h"

namespace vestora::app {
namespace {

using vestora::testing::FileDialogAnswer;
using vestora::testing::Pump;
using vestora::testing::PumpUntil;

// What SDL's disk driver has written so far: 16-bit samples.
class DiskAudio {
 public:
  explicit DiskAudio(const char* name) : file_(testFolder(name) / "audio.raw") {
    // The device opens again, on the next sound, with the disk driver.
    closeSound();
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file_.c_str(), 1);
  }
  ~DiskAudio() {
    closeSound();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
  }
  std::size_t bytes() const {
    std::error_code ec;
    const auto size = std::filesystem::file_size(file_, ec);
    return ec ? 0 : static_cast<std::size_t>(size);
  }
  // The loudest sample written after byte `from`.
  int peakAfter(std::size_t from) const {
    std::ifstream in(file_, std::ios::binary);
    std::vector<char> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    int peak = 0;
    for (std::size_t i = from & ~std::size_t{1}; i + 1 < data.size(); i += 2) {
      const auto sample = static_cast<std::int16_t>(static_cast<std::uint8_t>(data[i]) |
                                                    (static_cast<std::uint8_t>(data[i + 1]) << 8));
      peak = std::max(peak, std::abs(static_cast<int>(sample)));
    }
    return peak;
  }

 private:
  std::filesystem::path file_;
};

class EnvSettingsTest : public MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    if (HasFatalFailure()) return;
    click(main_->FindWindow(ids::kSettingsPanel));
    ASSERT_EQ(main_->currentPanel(), static_cast<SkinPanel*>(panel()));
  }
  CEnvSettingsDlg* panel() { return main_->settingsPanel(); }

  void click(wxWindow* window) {
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(window->IsShownOnScreen());
    const wxRect r = window->GetScreenRect();
    wxUIActionSimulator sim;
    sim.MouseMove(r.x + r.width / 2, r.y + r.height / 2);
    Pump(50);
    sim.MouseClick();
    Pump(200);
  }
  void clickButton(int id) { click(panel()->button(id)); }
};

TEST_F(EnvSettingsTest, FivePressesGoSkyRoomBeachNoneSkyWithTheirDistances) {
  GlView& v = view();
  v.camera.distance = -42;  // zoomed out beyond the sky dome's limit
  struct Step {
    bool sky, room, beach;
    float distance;
    const char* status;
  };
  const Step steps[5] = {{true, false, false, -37, "天空与湖面"},
                         {false, true, false, -32, "客厅"},
                         {false, false, true, -34, "海滩"},
                         {false, false, false, -34, "无"},
                         // The sky dome only limits the distance: the beach's stays.
                         {true, false, false, -34, "天空与湖面"}};
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    clickButton(CEnvSettingsDlg::kScene);
    EXPECT_EQ(v.scene.skyShown, steps[i].sky);
    EXPECT_EQ(v.scene.roomShown, steps[i].room);
    EXPECT_EQ(v.scene.beachShown, steps[i].beach);
    EXPECT_FLOAT_EQ(v.camera.distance, steps[i].distance);
    EXPECT_NE(panel()->sceneText().ToStdString(wxConvUTF8).find(steps[i].status), std::string::npos)
        << panel()->sceneText().ToStdString(wxConvUTF8);
    // The view's two buttons leave the window while a scene is shown.
    const wxRect viewRect = main_->view()->GetRect();
    const wxRect reset = main_->FindWindow(kResetButton)->GetRect();
    EXPECT_EQ(reset.x >= viewRect.GetRight(), v.scene.any()) << reset.x;
    // The frame that follows draws the scene.
    PumpUntil([&] { return v.sceneDrawn().has_value() == v.scene.any(); }, 2000);
    EXPECT_EQ(v.sceneDrawn().has_value(), v.scene.any());
  }
}

TEST_F(EnvSettingsTest, InchesShowCentimetresOver2Point54OnTheSheet) {
  GlView& v = view();
  ASSERT_TRUE(v.AutoMeasure());
  const MeasureResults& results = v.measurer().results();
  auto sheetChest = [&] {
    const MeasurementSheet sheet =
        buildMeasurementSheet(results, v.freehand.values, v.freehand.tools, v.unitFactor,
                              v.viewportWidth(), v.viewportHeight());
    return sheet.lines.at(0).value;
  };
  EXPECT_TRUE(panel()->button(CEnvSettingsDlg::kCentimetres)->GetCheck());
  const float cm = sheetChest();
  clickButton(CEnvSettingsDlg::kInches);
  EXPECT_FLOAT_EQ(v.unitFactor, 2.54f);
  EXPECT_TRUE(panel()->button(CEnvSettingsDlg::kInches)->GetCheck());
  EXPECT_FALSE(panel()->button(CEnvSettingsDlg::kCentimetres)->GetCheck());
  EXPECT_NEAR(sheetChest(), cm / 2.54f, 1e-3);
  // Pressing the selected unit again keeps it.
  clickButton(CEnvSettingsDlg::kInches);
  EXPECT_FLOAT_EQ(v.unitFactor, 2.54f);
  EXPECT_TRUE(panel()->button(CEnvSettingsDlg::kInches)->GetCheck());
  clickButton(CEnvSettingsDlg::kCentimetres);
  EXPECT_FLOAT_EQ(v.unitFactor, 1.0f);
  EXPECT_NEAR(sheetChest(), cm, 1e-3);
}

TEST_F(EnvSettingsTest, PlayDefaultIsHeardAndStopSilencesIt) {
  DiskAudio audio("env-settings-music");
  clickButton(CEnvSettingsDlg::kPlayDefault);
  EXPECT_NE(panel()->musicText().ToStdString(wxConvUTF8).find("theme2.mp3"), std::string::npos)
      << panel()->musicText().ToStdString(wxConvUTF8);
  ASSERT_TRUE(PumpUntil([&] { return audio.bytes() > 200000; }, 6000)) << "no audio written";
  EXPECT_GT(audio.peakAfter(0), 1000);

  clickButton(CEnvSettingsDlg::kStopMusic);
  EXPECT_NE(panel()->musicText().ToStdString(wxConvUTF8).find("未在播放"), std::string::npos);
  // What the device still had in its buffer plays out; after that, silence.
  Pump(500);
  const std::size_t stopped = audio.bytes();
  ASSERT_TRUE(PumpUntil([&] { return audio.bytes() > stopped + 100000; }, 6000));
  EXPECT_EQ(audio.peakAfter(stopped), 0);
}

TEST_F(EnvSettingsTest, AMusicFileThatCannotBePlayedSaysSo) {
  DiskAudio audio("env-settings-bad-music");
  const std::filesystem::path broken = testFolder("env-settings-bad-file") / "broken.mp3";
  std::ofstream(broken) << "not music at all";
  FileDialogAnswer answer(broken.string());
  clickButton(CEnvSettingsDlg::kChooseMusic);
  ASSERT_TRUE(PumpUntil(
      [&] {
        return panel()->musicText().ToStdString(wxConvUTF8).find("无法播放") != std::string::npos;
      },
      8000))
      << panel()->musicText().ToStdString(wxConvUTF8);
  EXPECT_EQ(panel()->musicFile(), broken.string());
}

TEST_F(EnvSettingsTest, SnapshotModeWritesAJpegAndPlaysTheCameraSound) {
  DiskAudio audio("env-settings-snapshot");
  const std::filesystem::path folder = testFolder("env-settings-snapshot-files");
  GlView& v = view();
  clickButton(CEnvSettingsDlg::kSnapshot);
  ASSERT_TRUE(v.snapshotMode);
  EXPECT_TRUE(panel()->button(CEnvSettingsDlg::kSnapshot)->GetCheck());

  dragInView({100, 80}, {260, 240}, 4);
  // The name, as the first snapshot's file dialog would have taken it.
  v.snapshotBase = (folder / "shot").string();
  wxUIActionSimulator().Char(WXK_CONTROL);
  ASSERT_TRUE(PumpUntil([&] { return std::filesystem::exists(folder / "shot000.jpg"); }, 8000));
  ASSERT_TRUE(PumpUntil([&] { return audio.peakAfter(0) > 1000; }, 4000))
      << "the camera sound was not heard";

  clickButton(CEnvSettingsDlg::kSnapshot);
  EXPECT_FALSE(v.snapshotMode);
  EXPECT_FALSE(panel()->button(CEnvSettingsDlg::kSnapshot)->GetCheck());
}

}  // namespace
}  // namespace vestora::app
