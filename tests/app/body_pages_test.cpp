// The body editing and measuring pages in the real main window on a virtual
// display, driven by real input (XTest through wx's action simulator):
// the fields and Return, a slider drag, the reset, the automatic
// measurement with its sheet, a freehand tool and the report file.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/toplevel.h>
#include <wx/uiaction.h>

#include "app/body_edit_page.h"
#include "app/gl_view_window.h"
#include "app/main_window.h"
#include "app/measure_page.h"
#include "app/measures_dialog.h"
#include "app/page_widgets.h"
#include "app/panels.h"
#include "dialog_answers.h"
#include "main_window_fixture.h"
#include "test_support.h"
#include "ui/skin_button.h"
#include "ui/skin_slider.h"
#include "ui_test_support.h"

namespace vestora::app {
namespace {

using vestora::testing::GrabClient;
using vestora::testing::Pump;
using vestora::testing::PumpUntil;

std::uint64_t shapeHash(const Avatar& a) {
  return testing::vertexHash(a.model());
}

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class BodyPagesTest : public MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    if (HasFatalFailure()) return;
    click(main_->FindWindow(ids::kControlPanel));
    ASSERT_EQ(main_->currentPanel(), static_cast<SkinPanel*>(main_->controlPanel()));
    // The body as loaded (the one in the view breathes).
    Avatar loaded(VESTORA_TEST_ROOT);
    ASSERT_TRUE(loaded.selectAvatar(kAvatarTable[0]).ok());
    loadedHash_ = shapeHash(loaded);
  }
  CBodyEditPage* bodyPage() { return main_->controlPanel()->bodyPage(); }
  CMeasurePage* measurePage() { return main_->controlPanel()->measurePage(); }

  void clickAt(const wxPoint& screen) {
    wxUIActionSimulator sim;
    sim.MouseMove(screen);
    Pump(50);
    sim.MouseClick();
    Pump(200);
  }
  void click(wxWindow* window) {
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(window->IsShownOnScreen());
    const wxRect r = window->GetScreenRect();
    clickAt(wxPoint(r.x + r.width / 2, r.y + r.height / 2));
  }
  // Replaces a field's text by typing, as a user does.
  void typeInto(wxTextCtrl* field, const char* text) {
    click(field);
    wxUIActionSimulator sim;
    sim.Char('a', wxMOD_CONTROL);
    Pump(50);
    sim.Text(text);
    Pump(100);
  }
  // A point of the view's client area on the screen.
  wxPoint onView(double fx, double fy) {
    const wxSize size = main_->view()->GetClientSize();
    return main_->view()->ClientToScreen(
        wxPoint(static_cast<int>(size.x * fx), static_cast<int>(size.y * fy)));
  }

  std::uint64_t loadedHash_ = 0;
};

TEST_F(BodyPagesTest, BodyPageShowsItsFieldsAndSliders) {
  ASSERT_TRUE(bodyPage()->IsShownOnScreen());
  for (int id :
       {CBodyEditPage::kHeightField, CBodyEditPage::kWeightField, CBodyEditPage::kMonthField})
    EXPECT_TRUE(bodyPage()->field(id)->IsEnabled()) << id;
  EXPECT_EQ(bodyPage()->field(CBodyEditPage::kHeightField)->GetValue(), "174.7");
  EXPECT_EQ(bodyPage()->field(CBodyEditPage::kWeightField)->GetValue(), "111.5");
  EXPECT_FALSE(bodyPage()->field(CBodyEditPage::kChildHeightField)->IsEnabled())
      << "the woman is loaded";
  EXPECT_EQ(bodyPage()->bodyMassLabel()->text(), wxString::FromUTF8("体质指数BMI＝18.3(标准)"));
  int shaping = 0;
  for (int i = 0; i < kBodySliderCount; ++i) {
    const BodySlider& spec = kBodySliders[static_cast<std::size_t>(i)];
    SkinSlider* slider = bodyPage()->slider(i);
    EXPECT_EQ(slider->GetPos(), spec.initial) << i;
    EXPECT_EQ(slider->IsShown(), spec.caption[0] != '\0') << i;
    if (!spec.dimension.empty()) {
      EXPECT_TRUE(slider->IsEnabled()) << i;
      ++shaping;
    }
  }
  EXPECT_EQ(shaping, 13);
  // A header folds its section away and opens it again.
  SectionHeader* chest = bodyPage()->header(1);
  click(chest);
  EXPECT_FALSE(bodyPage()->slider(0)->IsShownOnScreen());
  click(chest);
  EXPECT_TRUE(bodyPage()->slider(0)->IsShown());
}

TEST_F(BodyPagesTest, ReturnClampsTheFieldsAndShowsTheIndexAndThePregnancyWeight) {
  typeInto(bodyPage()->field(CBodyEditPage::kHeightField), "150");
  typeInto(bodyPage()->field(CBodyEditPage::kWeightField), "160");
  typeInto(bodyPage()->field(CBodyEditPage::kMonthField), "12");
  wxUIActionSimulator sim;
  sim.Char(WXK_RETURN);
  ASSERT_TRUE(PumpUntil(
      [&] { return bodyPage()->field(CBodyEditPage::kHeightField)->GetValue() == "155"; }, 3000));
  EXPECT_EQ(bodyPage()->field(CBodyEditPage::kWeightField)->GetValue(), "155");
  EXPECT_EQ(bodyPage()->field(CBodyEditPage::kMonthField)->GetValue(), "10");
  EXPECT_EQ(bodyPage()->bodyMassLabel()->text(), wxString::FromUTF8("体质指数BMI＝32.3(肥胖)"));
  EXPECT_EQ(bodyPage()->pregnancyLabel()->text(), wxString::FromUTF8("孕妇总重＝203.8(斤)"));
  EXPECT_TRUE(bodyPage()->pregnancyLabel()->IsShown());
  EXPECT_NE(shapeHash(view().avatar()), loadedHash_);
  EXPECT_EQ(view().bodySettings.heightCm, 155) << "kept where the pose change reads it";
  EXPECT_EQ(view().bodySettings.month, 10);
  EXPECT_TRUE(main_->IsShown()) << "Return closed nothing";
}

TEST_F(BodyPagesTest, DraggingTheChestSliderReshapesAndResetBringsTheLoadedBodyBack) {
  SkinSlider* chest = bodyPage()->slider(0);
  ASSERT_TRUE(chest->IsShownOnScreen());
  const wxImage before = GrabClient(main_->view());
  const wxRect thumb = chest->ThumbRect();
  const wxPoint from =
      chest->ClientToScreen(wxPoint(thumb.x + thumb.width / 2, thumb.y + thumb.height / 2));
  wxUIActionSimulator sim;
  sim.MouseMove(from);
  Pump(50);
  sim.MouseDown();
  Pump(50);
  for (int step = 1; step <= 6; ++step) {
    sim.MouseMove(from.x + step * 12, from.y);
    Pump(40);
  }
  sim.MouseUp();
  ASSERT_TRUE(PumpUntil([&] { return !bodyPage()->valueLabel(0)->text().empty(); }, 3000));
  EXPECT_GT(chest->GetPos(), kBodySliders[0].initial);
  const double bust = std::stod(bodyPage()->valueLabel(0)->text().utf8_string());
  EXPECT_GT(bust, 85);
  EXPECT_LT(bust, 130);
  EXPECT_NE(shapeHash(view().avatar()), loadedHash_);
  Pump(300);
  const wxImage after = GrabClient(main_->view());
  int changed = 0;
  for (int y = 0; y < after.GetHeight(); y += 2)
    for (int x = 0; x < after.GetWidth(); x += 2)
      if (std::abs(after.GetRed(x, y) - before.GetRed(x, y)) > 10) ++changed;
  EXPECT_GT(changed, 50) << "the view shows the new shape";

  click(main_->controlPanel()->resetButton());
  EXPECT_EQ(shapeHash(view().avatar()), loadedHash_);
  EXPECT_TRUE(bodyPage()->valueLabel(0)->text().empty());
  EXPECT_EQ(chest->GetPos(), kBodySliders[0].reset);
}

TEST_F(BodyPagesTest, AutoMeasureShowsTheSheetWithEveryResult) {
  click(main_->controlPanel()->FindWindow(CControlPanelDlg::kMeasureTab));
  ASSERT_TRUE(measurePage()->IsShownOnScreen());
  // A tool before any measurement says what to do first.
  const wxImage empty = GrabClient(main_->view());
  click(measurePage()->button(CMeasurePage::kAutoMeasure));
  const MeasureResults& r = view().measurer().results();
  ASSERT_TRUE(r.measured);
  for (std::size_t i = 0; i < r.value.size(); ++i) EXPECT_GT(r.value[i], 0) << kMeasureLabels[i];
  EXPECT_TRUE(view().measurementSheet);
  Pump(300);
  auto blueRows = [&](const wxImage& image) {
    int rows = 0;
    for (int y = 0; y < image.GetHeight(); ++y) {
      int blue = 0;
      for (int x = 0; x < image.GetWidth() / 2; ++x)
        if (image.GetBlue(x, y) > 150 && image.GetRed(x, y) < 110 && image.GetGreen(x, y) < 110)
          ++blue;
      if (blue > 3) ++rows;
    }
    return rows;
  };
  const int shownRows = blueRows(GrabClient(main_->view()));
  EXPECT_EQ(blueRows(empty), 0);
  // 37 lines of blue text, each several pixel rows high.
  EXPECT_GT(shownRows, 37 * 4);
  // F2 hides and shows it, wherever the keyboard focus is in the window.
  measurePage()->SetFocus();
  Pump(50);
  wxUIActionSimulator sim;
  sim.Char(WXK_F2);
  Pump(300);
  EXPECT_FALSE(view().measurementSheet);
  EXPECT_EQ(blueRows(GrabClient(main_->view())), 0);
  sim.Char(WXK_F2);
  Pump(300);
  EXPECT_EQ(blueRows(GrabClient(main_->view())), shownRows);
}

TEST_F(BodyPagesTest, LinearDistanceFromTwoClicksOnTheBody) {
  click(main_->controlPanel()->FindWindow(CControlPanelDlg::kMeasureTab));
  click(measurePage()->button(CMeasurePage::kAutoMeasure));
  view().measurementSheet = false;
  view().marksShown = false;
  click(measurePage()->button(CMeasurePage::kLinearDistance));
  ASSERT_EQ(view().freehand.active(), FreehandTool::LinearDistance);
  EXPECT_TRUE(measurePage()->button(CMeasurePage::kLinearDistance)->selectedMark);
  const ViewCamera camera = view().camera;
  clickAt(onView(0.5, 0.45));
  clickAt(onView(0.52, 0.62));
  ASSERT_TRUE(PumpUntil([&] { return view().freehand.activeValue().has_value(); }, 3000));
  EXPECT_GT(*view().freehand.activeValue(), 5);
  EXPECT_EQ(view().camera, camera) << "the clicks did not turn the body";
  Pump(300);
  // The line in the accent colour between the two points.
  const wxImage shot = GrabClient(main_->view());
  const int mx = shot.GetWidth() * 51 / 100, my = shot.GetHeight() * 535 / 1000;
  int accent = 0;
  for (int y = my - 6; y <= my + 6; ++y)
    for (int x = mx - 6; x <= mx + 6; ++x)
      if (shot.GetRed(x, y) > 150 && shot.GetGreen(x, y) < 120 && shot.GetBlue(x, y) < 110)
        ++accent;
  EXPECT_GT(accent, 0);

  // Another tool switches this one off; its own button again switches it off.
  click(measurePage()->button(CMeasurePage::kHeight));
  EXPECT_EQ(view().freehand.active(), FreehandTool::Height);
  EXPECT_FALSE(measurePage()->button(CMeasurePage::kLinearDistance)->selectedMark);
  click(measurePage()->button(CMeasurePage::kHeight));
  EXPECT_FALSE(view().freehand.active());
}

using vestora::testing::FileDialogAnswer;

TEST_F(BodyPagesTest, SaveWritesTheReportTheCommandLineWrites) {
  const std::filesystem::path folder = testFolder("body-pages-report");
  click(main_->controlPanel()->FindWindow(CControlPanelDlg::kMeasureTab));
  click(measurePage()->button(CMeasurePage::kAutoMeasure));
  const std::filesystem::path saved = folder / "mine.txt";
  FileDialogAnswer answer(saved.string());
  click(measurePage()->button(CMeasurePage::kSave));
  ASSERT_TRUE(PumpUntil([&] { return std::filesystem::exists(saved); }, 8000))
      << "no report written";
  const std::filesystem::path cli = std::filesystem::path(VESTORA_TEST_ROOT) / "vestora-cli";
  const std::filesystem::path expected = folder / "cli.txt";
  ASSERT_EQ(std::system(
                (cli.string() + " measure --report " + expected.string() + " > /dev/null").c_str()),
            0);
  EXPECT_EQ(readFile(saved), readFile(expected));
  EXPECT_NE(readFile(saved).find("chest circumference"), std::string::npos);
}

// Types measures into the dialog the next click opens and applies them.
class MeasuresAnswer : public wxTimer {
 public:
  explicit MeasuresAnswer(std::vector<std::pair<int, std::string>> typed)
      : typed_(std::move(typed)) {}
  void Notify() override {
    CMeasuresDialog* dialog = nullptr;
    for (wxWindow* w : wxTopLevelWindows)
      if (auto* d = dynamic_cast<CMeasuresDialog*>(w)) dialog = d;
    if (!dialog || !dialog->IsShownOnScreen()) {
      StartOnce(200);  // not up yet
      return;
    }
    found = true;
    wxUIActionSimulator sim;
    for (const auto& [index, text] : typed_) {
      const wxRect r = dialog->field(index)->GetScreenRect();
      sim.MouseMove(r.x + r.width / 2, r.y + r.height / 2);
      sim.MouseClick();
      sim.Text(text.c_str());
    }
    const wxRect apply = dialog->FindWindow(wxID_OK)->GetScreenRect();
    sim.MouseMove(apply.x + apply.width / 2, apply.y + apply.height / 2);
    sim.MouseClick();
  }
  bool found = false;

 private:
  std::vector<std::pair<int, std::string>> typed_;
};

TEST_F(BodyPagesTest, MyMeasuresGiveTheBodyEveryTypedMeasure) {
  // Fields in the dialog's order: height, weight, chest, under-bust, waist, abdomen, hip, …
  MeasuresAnswer answer({{0, "165"}, {1, "110"}, {2, "94"}, {4, "72"}, {6, "98"}});
  answer.StartOnce(800);
  click(main_->controlPanel()->myMeasuresButton());
  ASSERT_TRUE(PumpUntil(
      [&] {
        return answer.found && bodyPage()->field(CBodyEditPage::kHeightField)->GetValue() == "165";
      },
      15000));
  const MeasureResults r = measureAvatar(view().avatar());
  EXPECT_NEAR(r.heightCm, 165, 0.2);
  EXPECT_NEAR(r.value[kChest], 94, 0.2);
  EXPECT_NEAR(r.value[kWaist], 72, 0.2);
  EXPECT_NEAR(r.value[kHip], 98, 0.2);
  EXPECT_EQ(view().bodySettings.heightCm, 165);
  EXPECT_EQ(view().bodySettings.weightJin, 110);
  EXPECT_EQ(bodyPage()->field(CBodyEditPage::kWeightField)->GetValue(), "110");
  EXPECT_EQ(bodyPage()->bodyMassLabel()->text(),
            wxString::FromUTF8(bodyMassText(bodyMassIndex(110, 165))));
}

}  // namespace
}  // namespace vestora::app
