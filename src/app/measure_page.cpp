#include "app/measure_page.h"

#include <cstdio>

#include <wx/sizer.h>

#include "app/gl_view_window.h"
#include "app/page_widgets.h"
#include "app/panels.h"
#include "body/report.h"
#include "ui/panel_button_art.h"
#include "ui/skin_button.h"
#include "view/freehand_drawing.h"

namespace vestora::app {
namespace {

struct ToolButton {
  int id;
  FreehandTool tool;
  const char* label;
  int icon;
  const char* instructions;
};

constexpr ToolButton kTools[4] = {
    {CMeasurePage::kLinearDistance, FreehandTool::LinearDistance, "直线距离", 1,
     "在人体上依次点击两点，量出两点间的直线距离。"},
    {CMeasurePage::kHeight, FreehandTool::Height, "高度", 2,
     "在人体上依次点击两点，量出两点间的高度差。"},
    {CMeasurePage::kCurveLength, FreehandTool::CurveLength, "曲线距离", 3,
     "按住左键在人体上拖出一条线，量出沿体表的曲线长度。"},
    {CMeasurePage::kFreeGirth, FreehandTool::FreeGirth, "任意围长", 4,
     "点击人体上的一点，量出经过该点的水平围长。"},
};

constexpr const char* kIdleInstructions =
    "先点“自动测量”，再选一种自定义测量工具。测量时用右键拖动转动人体，F2 显示或隐藏测量表。";

std::string measureText(const char* what, float cm, float unitFactor) {
  return std::string(what) + " " + freehandValueText(cm, unitFactor);
}

}  // namespace

CMeasurePage::CMeasurePage(wxWindow* parent)
    : wxScrolledWindow(parent, kResourceId, wxDefaultPosition, wxDefaultSize,
                       wxBORDER_NONE | wxVSCROLL | wxTAB_TRAVERSAL) {
  SetBackgroundColour(palette::kPanel);
  SetScrollRate(0, 12);
  auto* page = new wxBoxSizer(wxVERTICAL);

  auto* autoHeader = new SectionHeader(this, wxString::FromUTF8("自动测量"), true, false);
  page->Add(autoHeader, 0, wxEXPAND);
  auto* measure = new SkinButton(this, kAutoMeasure);
  ApplyPanelButtonFaces(measure, wxString::FromUTF8("自动测量"), wxSize(200, 36),
                        PanelButtonStyle::Primary, 5);
  measure->SetToolTip(wxString::FromUTF8("测量胸围、腰围、臀围等 25 项尺寸"));
  page->Add(measure, 0, wxLEFT | wxTOP, 14);
  summary_ = PageText(this, "尚未测量。", 13, kPageMuted);
  page->Add(summary_, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 14);

  auto* freehandHeader = new SectionHeader(this, wxString::FromUTF8("自定义测量"), true, false);
  freehandHeader->SetId(kFreehandCaption);
  page->Add(freehandHeader, 0, wxEXPAND | wxTOP, 14);
  auto* tools = new wxGridSizer(2, 10, 10);
  for (const ToolButton& t : kTools) {
    auto* b = new SkinButton(this, t.id);
    ApplyPanelButtonFaces(b, wxString::FromUTF8(t.label), wxSize(150, 32),
                          PanelButtonStyle::Secondary, t.icon);
    tools->Add(b, 0);
  }
  page->Add(tools, 0, wxLEFT | wxTOP, 14);
  instructions_ = PageText(this, kIdleInstructions, 13, kPageMuted);
  page->Add(instructions_, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 14);
  readout_ = new ValueBadge(this, wxSize(200, 26), palette::kAccent);
  readout_->Hide();
  page->Add(readout_, 0, wxLEFT | wxTOP, 14);

  auto* sheetHeader = new SectionHeader(this, wxString::FromUTF8("测量表"), true, false);
  page->Add(sheetHeader, 0, wxEXPAND | wxTOP, 14);
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  auto* marks = new SkinButton(this, kShowMarks);
  ApplyPanelButtonFaces(marks, wxString::FromUTF8("显示标志"), wxSize(150, 32),
                        PanelButtonStyle::Secondary, 6);
  marks->SetToolTip(wxString::FromUTF8("显示或隐藏测量标志和测量表"));
  auto* save = new SkinButton(this, kSave);
  ApplyPanelButtonFaces(save, wxString::FromUTF8("保存"), wxSize(150, 32),
                        PanelButtonStyle::Secondary, 7);
  save->SetToolTip(wxString::FromUTF8("把测量结果保存为文本文件"));
  row->Add(marks, 0, wxRIGHT, 10);
  row->Add(save, 0);
  page->Add(row, 0, wxLEFT | wxTOP | wxBOTTOM, 14);

  SetSizer(page);
  FitInside();
  Bind(wxEVT_BUTTON, &CMeasurePage::onButton, this);
  Bind(wxEVT_IDLE, &CMeasurePage::onIdle, this);
  Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    wrapTexts();
    event.Skip();
  });
}

SkinButton* CMeasurePage::button(int id) const {
  return static_cast<SkinButton*>(FindWindow(id));
}

void CMeasurePage::Attach(CGLViewDlg* view) {
  view_ = view;
  ShowToolState();
}

void CMeasurePage::onButton(wxCommandEvent& event) {
  if (!view_) return;
  GlView& v = view_->view();
  switch (event.GetId()) {
    case kAutoMeasure:
      v.AutoMeasure();
      break;
    case kShowMarks:
      v.ToggleMarks();
      break;
    case kSave:
      SaveReport();
      break;
    default:
      for (const ToolButton& t : kTools)
        if (t.id == event.GetId()) v.ToggleMeasureTool(t.tool);
      break;
  }
  ShowToolState();
}

std::optional<std::string> CMeasurePage::SaveReport() {
  if (!view_) return std::nullopt;
  UserDialogs& dialogs = view_->dialogs();
  FileRequest request;
  request.save = true;
  request.filter = kReportFilter;
  request.defaultExtension = ".txt";
  request.initialName = "measurements.txt";
  const auto path = dialogs.chooseFile(request);
  if (!path) return std::nullopt;
  const Result<void> written = writeMeasureReport(*path, view_->view().measurer().results());
  if (!written) {
    dialogs.showMessage(std::string(kReportWriteFailed) + *path + "\n" + written.error().what, "",
                        MessageIcon::Error);
    return std::nullopt;
  }
  return path;
}

void CMeasurePage::ShowToolState() {
  if (!view_) return;
  const GlView& v = view_->view();
  const FreehandMeasure& f = v.freehand;
  const auto tool = f.active();
  for (const ToolButton& t : kTools) button(t.id)->SetSelectedMark(tool == t.tool);
  button(kShowMarks)->SetSelectedMark(v.marksShown);

  const std::optional<float> value = f.activeValue();
  const MeasureResults& r = v.measurer().results();
  if (tool == shownTool_ && value.value_or(-1) == shownValue_ && v.unitFactor == shownUnit_ &&
      r.measured == shownMeasured_)
    return;
  shownTool_ = tool;
  shownValue_ = value.value_or(-1);
  shownUnit_ = v.unitFactor;
  shownMeasured_ = r.measured;

  const char* instructions = kIdleInstructions;
  const char* name = "";
  for (const ToolButton& t : kTools)
    if (tool == t.tool) instructions = t.instructions, name = t.label;
  instructions_->SetLabel(wxString::FromUTF8(instructions));
  readout_->SetText(value ? wxString::FromUTF8(measureText(name, *value, v.unitFactor))
                          : wxString());
  readout_->Show(tool.has_value());
  if (r.measured) {
    summary_->SetLabel(wxString::FromUTF8(
        measureText("胸围", r.value[kChest], v.unitFactor) + "　" +
        measureText("腰围", r.value[kWaist], v.unitFactor) + "　" +
        measureText("臀围", r.value[kHip], v.unitFactor) + "\n全部 25 项结果见测量表（F2）。"));
    summary_->SetForegroundColour(kPageInk);
  }
  wrapTexts();
  Layout();
  FitInside();
}

void CMeasurePage::wrapTexts() {
  const int width = std::max(GetClientSize().x - 28, 100);
  instructions_->Wrap(width);
  summary_->Wrap(width);
}

void CMeasurePage::onIdle(wxIdleEvent& event) {
  // The picks happen while the view draws; the readout follows them.
  if (IsShownOnScreen()) ShowToolState();
  event.Skip();
}

}  // namespace vestora::app
