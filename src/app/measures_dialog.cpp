#include "app/measures_dialog.h"

#include <cmath>
#include <cstdio>

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include "app/gl_view_window.h"
#include "app/page_widgets.h"
#include "app/panels.h"
#include "body/body_editor.h"
#include "body/body_targets.h"
#include "ui/panel_button_art.h"

namespace vestora::app {
namespace {

struct MeasureField {
  const char* name;   // as the body takes it
  const char* label;  // as the user reads it
  const char* unit;
};

constexpr MeasureField kFields[CMeasuresDialog::kFieldCount] = {
    {"height", "身高", "cm"},      {"weight", "体重", "斤"},  {"chest", "胸围", "cm"},
    {"underbust", "下胸围", "cm"}, {"waist", "腰围", "cm"},   {"abdomen", "腹围", "cm"},
    {"hip", "臀围", "cm"},         {"thigh", "大腿围", "cm"}, {"calf", "小腿围", "cm"},
    {"knee", "膝围", "cm"},        {"neck", "颈根围", "cm"},  {"shoulder", "肩宽", "cm"},
};

}  // namespace

CMeasuresDialog::CMeasuresDialog(wxWindow* parent, CGLViewDlg* view)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8("我的尺寸"), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE),
      view_(view) {
  SetBackgroundColour(palette::kPanel);
  auto* page = new wxBoxSizer(wxVERTICAL);
  auto* intro = PageText(this,
                         "填写您知道的尺寸（不必全部填写），人体会一次变成您的体型。\n"
                         "身高为净身高，体重以斤计，其余为围度或宽度，单位厘米。\n"
                         "灰色数字是人体现在的尺寸。",
                         13, kPageMuted);
  page->Add(intro, 0, wxALL, 16);
  auto* grid = new wxFlexGridSizer(2 * 3, 6, 10);
  for (int i = 0; i < kFieldCount; ++i) {
    const MeasureField& f = kFields[i];
    auto* field = new wxTextCtrl(this, kFieldIdBase + i, wxEmptyString, wxDefaultPosition,
                                 wxSize(64, 26), wxTE_RIGHT | wxTE_PROCESS_ENTER | wxBORDER_SIMPLE);
    field->SetMinSize(wxSize(64, 26));
    field->SetFont(PanelFont(13));
    field->Bind(wxEVT_TEXT_ENTER, &CMeasuresDialog::onApply, this);
    fields_[static_cast<std::size_t>(i)] = field;
    grid->Add(PageText(this, f.label), 0, wxALIGN_CENTER_VERTICAL | wxALIGN_RIGHT);
    grid->Add(field, 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(PageText(this, f.unit, 13, kPageMuted), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 12);
  }
  page->Add(grid, 0, wxLEFT | wxRIGHT, 16);
  showCurrentMeasures();
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  auto* cancel = new wxButton(this, wxID_CANCEL, wxString::FromUTF8("取消"));
  auto* apply = new wxButton(this, wxID_OK, wxString::FromUTF8("应用"));
  apply->SetDefault();
  apply->Bind(wxEVT_BUTTON, &CMeasuresDialog::onApply, this);
  buttons->AddStretchSpacer();
  buttons->Add(cancel, 0, wxRIGHT, 8);
  buttons->Add(apply, 0);
  page->Add(buttons, 0, wxEXPAND | wxALL, 16);
  SetSizerAndFit(page);
  CentreOnParent();
  if (!fields_.empty()) fields_[0]->SetFocus();
}

void CMeasuresDialog::showCurrentMeasures() {
  const GlView& v = view_->view();
  if (!v.avatar().loaded()) return;
  MeasureWanted wanted;
  wanted.set(kChest).set(kWaist).set(kAbdomen).set(kHip).set(kUpperThigh).set(kCalf).set(kKnee);
  wanted.set(kUnderBustResult).set(kNeckBaseResult);
  const MeasureResults r = measureAvatar(v.avatar(), wanted);
  const float values[kFieldCount] = {
      r.heightCm,      v.bodySettings.weightJin, r.value[kChest], r.underBustCm,
      r.value[kWaist], r.value[kAbdomen],        r.value[kHip],   r.value[kUpperThigh],
      r.value[kCalf],  r.value[kKnee],           r.neckBaseCm,    r.shoulderWidthCm};
  for (int i = 0; i < kFieldCount; ++i) {
    if (!(values[i] > 0)) continue;
    char hint[32];
    std::snprintf(hint, sizeof hint, "%.1f", static_cast<double>(values[i]));
    fields_[static_cast<std::size_t>(i)]->SetHint(hint);
  }
}

std::optional<std::vector<BodyTarget>> CMeasuresDialog::typedTargets(std::string& problem) const {
  std::vector<BodyTarget> targets;
  for (int i = 0; i < kFieldCount; ++i) {
    const std::string typed = fields_[static_cast<std::size_t>(i)]->GetValue().utf8_string();
    if (typed.find_first_not_of(" \t") == std::string::npos) continue;
    const auto value = parseFieldNumber(typed);
    if (!value) {
      problem = std::string(kFields[i].label) + "“" + typed + "”不是数字。";
      return std::nullopt;
    }
    targets.push_back({kFields[i].name, *value});
  }
  return targets;
}

bool CMeasuresDialog::Apply() {
  UserDialogs& dialogs = view_->dialogs();
  std::string problem;
  const auto targets = typedTargets(problem);
  if (!targets) {
    dialogs.showMessage(problem, "", MessageIcon::Warning);
    return false;
  }
  if (targets->empty()) return true;  // nothing typed: nothing changes
  GlView& v = view_->view();
  BodySettings& settings = v.bodySettings;
  const bool girl = v.avatar().modelName() == "Girl";
  BodyFit fit;
  {
    wxBusyCursor wait;
    v.dropTransientState();
    const WholeBodySettings current{girl ? settings.childHeightCm : settings.heightCm,
                                    settings.weightJin, settings.month};
    fit = fitBodyToTargets(v.shaper(), *targets, current);
  }
  if (fit.refused) {
    std::string why =
        fit.messages.empty() ? std::string(kNoFineShapingMessage) : fit.messages.front();
    dialogs.showMessage(why, "", MessageIcon::Information);
    return false;
  }
  if (girl) {
    settings.childHeightCm = fit.applied.heightCm;
  } else {
    settings.heightCm = fit.applied.heightCm;
    settings.weightJin = fit.applied.weightJin;
    settings.month = fit.applied.month;
  }
  view_->requestRedraw();
  if (!fit.allReached()) {
    std::string report = "以下尺寸超出了这个人体能达到的范围，已尽量接近：";
    for (const TargetOutcome& t : fit.targets) {
      if (t.reached) continue;
      const MeasureField* field = nullptr;
      for (const MeasureField& f : kFields)
        if (t.name == f.name) field = &f;
      if (!field) continue;
      char line[160];
      std::snprintf(line, sizeof line, "\n%s：目标 %.1f %s，最接近 %.1f %s（相差 %.1f %s）",
                    field->label, static_cast<double>(t.target), field->unit,
                    static_cast<double>(t.result), field->unit,
                    static_cast<double>(std::abs(t.target - t.result)), field->unit);
      report += line;
    }
    dialogs.showMessage(report, "", MessageIcon::Information);
  }
  return true;
}

void CMeasuresDialog::onApply(wxCommandEvent&) {
  if (Apply()) EndModal(wxID_OK);
}

}  // namespace vestora::app
