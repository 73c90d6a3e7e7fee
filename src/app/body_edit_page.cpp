#include "app/body_edit_page.h"

#include <wx/sizer.h>
#include <wx/utils.h>

#include "app/gl_view_window.h"
#include "app/page_widgets.h"
#include "app/panels.h"
#include "ui/panel_button_art.h"
#include "ui/skin_slider.h"

namespace vestora::app {
namespace {

wxString fromUtf8(const std::string& text) {
  return wxString::FromUTF8(text);
}

constexpr int kSliderCaptionWidth = 104;
constexpr int kBadgeWidth = 58;

}  // namespace

CBodyEditPage::CBodyEditPage(wxWindow* parent)
    : wxScrolledWindow(parent, kResourceId, wxDefaultPosition, wxDefaultSize,
                       wxBORDER_NONE | wxVSCROLL | wxTAB_TRAVERSAL) {
  SetBackgroundColour(palette::kPanel);
  SetScrollRate(0, 12);
  build();
}

CBodyEditPage::~CBodyEditPage() = default;

wxTextCtrl* CBodyEditPage::field(int id) const {
  switch (id) {
    case kHeightField:
      return height_;
    case kWeightField:
      return weight_;
    case kMonthField:
      return month_;
    case kChildHeightField:
      return childHeight_;
    default:
      return nullptr;
  }
}

void CBodyEditPage::build() {
  auto* page = new wxBoxSizer(wxVERTICAL);
  for (std::size_t g = 0; g < kBodyGroups.size(); ++g) {
    auto* header = new SectionHeader(this, wxString::FromUTF8(kBodyGroups[g]), true);
    header->onToggle = [this](SectionHeader& h) { onHeader(h); };
    headers_[g] = header;
    auto* section = new wxPanel(this, wxID_ANY);
    section->SetBackgroundColour(palette::kPanel);
    sections_[g] = section;
    page->Add(header, 0, wxEXPAND);
    page->Add(section, 0, wxEXPAND | wxTOP | wxBOTTOM, 6);
  }

  // The whole-body fields.
  wxWindow* basics = sections_[0];
  auto* basicsSizer = new wxBoxSizer(wxVERTICAL);
  auto* grid = new wxFlexGridSizer(3, 6, 8);
  grid->AddGrowableCol(0);
  auto addField = [&](const char* text, int id, const std::string& value, const char* unit) {
    auto* field = new wxTextCtrl(basics, id, fromUtf8(value), wxDefaultPosition, wxSize(72, 26),
                                 wxTE_PROCESS_ENTER | wxTE_RIGHT | wxBORDER_SIMPLE);
    field->SetMinSize(wxSize(72, 26));
    field->SetFont(PanelFont(13));
    field->Bind(wxEVT_TEXT_ENTER, &CBodyEditPage::onEnter, this);
    grid->Add(PageText(basics, text), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(field, 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(PageText(basics, unit, 13, kPageMuted), 0, wxALIGN_CENTER_VERTICAL);
    return field;
  };
  const BodySettings defaults;
  height_ = addField("女性着鞋身高(=净高+6cm)", kHeightField, fieldText(defaults.heightCm), "cm");
  weight_ = addField("女性基础体重(斤)", kWeightField, fieldText(defaults.weightJin), "斤");
  month_ = addField("孕期体型", kMonthField, fieldText(defaults.month), "月");
  childHeight_ =
      addField("儿童身高（cm）", kChildHeightField, fieldText(defaults.childHeightCm), "cm");
  basicsSizer->Add(grid, 0, wxEXPAND | wxLEFT | wxRIGHT, 14);
  auto* hint = PageText(basics, "修改数值后按回车键应用到人体。", 12, kPageMuted);
  basicsSizer->Add(hint, 0, wxLEFT | wxTOP, 14);
  auto* badges = new wxBoxSizer(wxHORIZONTAL);
  bodyMass_ = new ValueBadge(basics, wxSize(196, 24), kSlateFill);
  bodyMass_->SetText(wxString::FromUTF8(kInitialBodyMassText));
  bodyMass_->SetToolTip(wxString::FromUTF8("体质指数BMI"));
  pregnancy_ = new ValueBadge(basics, wxSize(172, 24), palette::kAccent);
  pregnancy_->SetToolTip(wxString::FromUTF8("孕期体型"));
  badges->Add(bodyMass_, 0, wxRIGHT, 8);
  badges->Add(pregnancy_, 0);
  basicsSizer->Add(badges, 0, wxLEFT | wxTOP, 14);
  basics->SetSizer(basicsSizer);

  // The sliders, each in its section.
  std::array<wxFlexGridSizer*, 7> grids{};
  for (std::size_t g = 1; g < grids.size(); ++g) {
    grids[g] = new wxFlexGridSizer(3, 4, 8);
    grids[g]->AddGrowableCol(1);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grids[g], 0, wxEXPAND | wxLEFT | wxRIGHT, 14);
    sections_[g]->SetSizer(sizer);
  }
  for (int i = 0; i < kBodySliderCount; ++i) {
    const BodySlider& spec = kBodySliders[static_cast<std::size_t>(i)];
    wxWindow* section = sections_[static_cast<std::size_t>(spec.group)];
    auto* label = PageText(section, spec.caption);
    label->SetMinSize(wxSize(kSliderCaptionWidth, -1));
    auto* slider = new SkinSlider();
    slider->Create(section, kSliderIdBase + i, wxDefaultPosition, wxSize(160, 26));
    slider->SetMinSize(wxSize(120, 26));
    slider->SetRange(0.0, kSliderMaximum, false);
    slider->SetPos(spec.initial, false);
    auto* value = new ValueBadge(section, wxSize(kBadgeWidth, 22), kValueGrey);
    sliders_[static_cast<std::size_t>(i)] = slider;
    values_[static_cast<std::size_t>(i)] = value;
    wxFlexGridSizer* sliderGrid = grids[static_cast<std::size_t>(spec.group)];
    sliderGrid->Add(label, 0, wxALIGN_CENTER_VERTICAL);
    sliderGrid->Add(slider, 1, wxEXPAND | wxALIGN_CENTER_VERTICAL);
    sliderGrid->Add(value, 0, wxALIGN_CENTER_VERTICAL);
    if (spec.caption[0] == '\0') {
      // A slider without a caption has nothing to offer a user.
      label->Hide();
      slider->Hide();
      value->Hide();
    } else if (spec.dimension.empty()) {
      slider->Disable();
      slider->SetToolTip(wxString::FromUTF8("该尺寸暂不支持调整"));
      value->Hide();
    }
  }
  Bind(wxEVT_SCROLL_THUMBTRACK, &CBodyEditPage::onSlider, this);
  Bind(wxEVT_SCROLL_THUMBRELEASE, &CBodyEditPage::onSliderRelease, this);
  SetSizer(page);
  FitInside();
}

void CBodyEditPage::Attach(CGLViewDlg* view) {
  view_ = view;
  GlView& v = view->view();
  editor_ = std::make_unique<BodyEditor>(v.avatar(), v.shaper(), view->dialogs(), v.bodySettings);
  editor_->hooks.dropTransientState = [&v] { v.dropTransientState(); };
  editor_->hooks.shoulderLandmarks = [&v](const SkinVertex& left, const SkinVertex& right) {
    v.shoulderLandmarks = {left, right};
  };
  showState();
  RefreshForBody();
}

void CBodyEditPage::RefreshForBody() {
  if (!view_) return;
  const std::string& kind = view_->view().avatar().modelName();
  const bool woman = kind == "woman";
  height_->Enable(woman);
  weight_->Enable(woman);
  month_->Enable(woman);
  childHeight_->Enable(kind == "Girl");
}

void CBodyEditPage::showState() {
  if (!editor_) return;
  const BodyEditor& e = *editor_;
  auto setField = [](wxTextCtrl* field, const std::string& text) {
    const wxString value = fromUtf8(text);
    if (field->GetValue() != value) field->ChangeValue(value);
  };
  setField(height_, e.heightText);
  setField(weight_, e.weightText);
  setField(month_, e.monthText);
  setField(childHeight_, e.childHeightText);
  bodyMass_->SetText(fromUtf8(e.bodyMassLabel));
  pregnancy_->SetText(fromUtf8(e.pregnancyLabel));
  // The pregnant total weight only while there is a pregnancy to weigh.
  pregnancy_->Show(!e.pregnancyLabel.empty() && e.settings.month > 0);
  for (int i = 0; i < kBodySliderCount; ++i) {
    const auto k = static_cast<std::size_t>(i);
    // The slider under the mouse follows the mouse, not the editor.
    if (!sliders_[k]->IsDragging() && sliders_[k]->GetPos() != e.positions[k])
      sliders_[k]->SetPos(e.positions[k]);
    values_[k]->SetText(fromUtf8(e.labels[k]));
  }
}

void CBodyEditPage::redrawView() {
  if (view_) view_->requestRedraw();
}

void CBodyEditPage::onSlider(wxScrollEvent& event) {
  const int index = event.GetId() - kSliderIdBase;
  if (index < 0 || index >= kBodySliderCount || !editor_) return;
  pendingSlider_ = index;
  pendingPosition_ = sliders_[static_cast<std::size_t>(index)]->GetPos();
  if (pendingQueued_) return;
  pendingQueued_ = true;
  CallAfter(&CBodyEditPage::applyPendingSlider);
}

void CBodyEditPage::applyPendingSlider() {
  pendingQueued_ = false;
  const int index = pendingSlider_;
  if (index < 0 || !editor_) return;
  pendingSlider_ = -1;
  const auto k = static_cast<std::size_t>(index);
  if (!editor_->sliderMoved(index, pendingPosition_)) {
    // Refused: the slider goes back to where it was.
    sliders_[k]->SetPos(editor_->positions[k]);
    return;
  }
  showState();
  redrawView();
}

void CBodyEditPage::onSliderRelease(wxScrollEvent& event) {
  const int index = event.GetId() - kSliderIdBase;
  if (index < 0 || index >= kBodySliderCount || !editor_) return;
  // The last move of the drag is applied before the drag ends.
  if (pendingQueued_) applyPendingSlider();
  editor_->sliderReleased(index);
  const auto k = static_cast<std::size_t>(index);
  if (sliders_[k]->GetPos() != editor_->positions[k]) sliders_[k]->SetPos(editor_->positions[k]);
}

void CBodyEditPage::onEnter(wxCommandEvent&) {
  if (!editor_) return;
  {
    wxBusyCursor wait;
    editor_->applyFields(height_->GetValue().utf8_string(), weight_->GetValue().utf8_string(),
                         month_->GetValue().utf8_string(), childHeight_->GetValue().utf8_string());
  }
  showChangedBody();
}

void CBodyEditPage::Reset() {
  if (!editor_) return;
  editor_->reset();
  showChangedBody();
}

void CBodyEditPage::ShowApplied() {
  if (!editor_) return;
  editor_->adoptSettings();
  showChangedBody();
}

void CBodyEditPage::showChangedBody() {
  showState();
  Layout();  // the pregnancy badge may have come or gone
  redrawView();
}

void CBodyEditPage::onHeader(SectionHeader& header) {
  for (std::size_t g = 0; g < headers_.size(); ++g) {
    if (headers_[g] != &header) continue;
    sections_[g]->Show(header.expanded());
    FitInside();
    Layout();
    if (header.expanded()) {
      // The opened section starts at the top of the page.
      int unitX = 0, unitY = 0;
      GetScrollPixelsPerUnit(&unitX, &unitY);
      int top = 0;
      CalcUnscrolledPosition(0, header.GetPosition().y, nullptr, &top);
      if (unitY > 0) Scroll(-1, std::max(0, top / unitY));
    }
    Refresh();
  }
}

}  // namespace vestora::app
