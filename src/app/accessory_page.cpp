#include "app/accessory_page.h"

#include <wx/sizer.h>

#include "app/gl_view_window.h"
#include "app/page_widgets.h"
#include "app/panels.h"
#include "ui/panel_button_art.h"
#include "ui/skin_button.h"
#include "ui/skin_slider.h"

namespace vestora::app {
namespace {

constexpr int kCaptionWidth = 92;
constexpr int kBadgeWidth = 58;

// The section of each slider.
constexpr int sectionOf(int slider) {
  return slider <= kMoveZ ? 0 : slider <= kTurnZ ? 1 : slider <= kScaleZ ? 2 : 3;
}

const char* entryName(const Accessories& a) {
  if (a.selected(AccessoryEntry::WornItem) && a.wornItem)
    return a.wornItem.name == "Glassess" ? "眼镜" : "饰品";
  if (a.selected(AccessoryEntry::Hair) && a.hair) return "发型";
  if (a.selected(AccessoryEntry::Face) && a.hair) return "脸部";
  if (a.selected(AccessoryEntry::Shoe) && a.shoe) return "鞋子";
  if (a.selected(AccessoryEntry::Bag) && a.bag) return "箱包";
  if (a.selected(AccessoryEntry::Sock) && a.sock) return "袜子";
  return "";
}

}  // namespace

CAccessoryPage::CAccessoryPage(wxWindow* parent)
    : wxScrolledWindow(parent, kResourceId, wxDefaultPosition, wxDefaultSize,
                       wxBORDER_NONE | wxVSCROLL | wxTAB_TRAVERSAL | wxWANTS_CHARS) {
  SetBackgroundColour(palette::kPanel);
  SetScrollRate(0, 12);
  build();
}

CAccessoryPage::~CAccessoryPage() = default;

SkinButton* CAccessoryPage::button(int id) const {
  return dynamic_cast<SkinButton*>(FindWindow(id));
}

void CAccessoryPage::build() {
  auto* page = new wxBoxSizer(wxVERTICAL);
  for (std::size_t g = 0; g < kAccessoryGroups.size(); ++g) {
    auto* header = new SectionHeader(this, wxString::FromUTF8(kAccessoryGroups[g]), true);
    header->onToggle = [this](SectionHeader& h) { onHeader(h); };
    headers_[g] = header;
    auto* section = new wxPanel(this, wxID_ANY);
    section->SetBackgroundColour(palette::kPanel);
    sections_[g] = section;
    page->Add(header, 0, wxEXPAND);
    page->Add(section, 0, wxEXPAND | wxTOP | wxBOTTOM, 6);
  }

  std::array<wxBoxSizer*, 4> sizers{};
  std::array<wxFlexGridSizer*, 4> grids{};
  for (std::size_t g = 0; g < sections_.size(); ++g) {
    sizers[g] = new wxBoxSizer(wxVERTICAL);
    grids[g] = new wxFlexGridSizer(3, 4, 8);
    grids[g]->AddGrowableCol(1);
    sections_[g]->SetSizer(sizers[g]);
  }
  auto makeButton = [](wxWindow* parent, int id, const char* label, int width, const char* tip) {
    auto* b = new SkinButton(parent, id);
    ApplyPanelButtonFaces(b, wxString::FromUTF8(label), wxSize(width, 30),
                          PanelButtonStyle::Secondary);
    b->SetToolTip(wxString::FromUTF8(tip));
    return b;
  };

  // What is selected, and how to select.
  selected_ = new ValueBadge(sections_[0], wxSize(196, 24), kSlateFill);
  sizers[0]->Add(selected_, 0, wxLEFT | wxRIGHT | wxBOTTOM, 14);
  sizers[0]->Add(
      PageText(sections_[0], "在三维视图中单击眼镜、鞋子或箱包即可选中它。", 12, kPageMuted), 0,
      wxLEFT | wxRIGHT | wxBOTTOM, 14);

  for (int i = 0; i < kAccessorySliderCount; ++i) {
    const AccessorySliderSpec& spec = kAccessorySliders[std::size_t(i)];
    wxWindow* section = sections_[std::size_t(sectionOf(i))];
    auto* label = PageText(section, spec.caption);
    label->SetMinSize(wxSize(kCaptionWidth, -1));
    auto* slider = new SkinSlider();
    slider->Create(section, kSliderIdBase + i, wxDefaultPosition, wxSize(160, 26));
    slider->SetMinSize(wxSize(120, 26));
    slider->SetRange(spec.lower, spec.upper, false);
    slider->SetPos(spec.reset, false);
    // Moves and turns go both ways from 0, sizes from 1.
    if (spec.lower < 0 || i == kScaleX || i == kScaleY || i == kScaleZ)
      slider->SetFillOrigin(spec.reset);
    auto* value = new ValueBadge(section, wxSize(kBadgeWidth, 22), kValueGrey);
    value->SetText(wxString::FromUTF8(sliderLabel(spec.reset)));
    sliders_[std::size_t(i)] = slider;
    values_[std::size_t(i)] = value;
    wxFlexGridSizer* grid = grids[std::size_t(sectionOf(i))];
    grid->Add(label, 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(slider, 1, wxEXPAND | wxALIGN_CENTER_VERTICAL);
    grid->Add(value, 0, wxALIGN_CENTER_VERTICAL);
  }
  for (std::size_t g = 0; g < 3; ++g) sizers[g]->Add(grids[g], 0, wxEXPAND | wxLEFT | wxRIGHT, 14);

  // The lights share the move sliders.
  auto* lights = new wxBoxSizer(wxHORIZONTAL);
  lights->Add(
      makeButton(sections_[0], kLightOne, "光源位置1", 120, "用上面的移动滑块移动第一个灯光"), 0,
      wxRIGHT, 10);
  lights->Add(
      makeButton(sections_[0], kLightTwo, "光源位置2", 120, "用上面的移动滑块移动第二个灯光"), 0);
  sizers[0]->Add(lights, 0, wxLEFT | wxTOP, 14);

  sizers[2]->Add(makeButton(sections_[2], kUniformScale, "整体", 120, "三个方向一起缩放"), 0,
                 wxLEFT | wxTOP, 14);

  // Colours, the lens transparency and the default hair.
  auto* colours = new wxGridSizer(2, 10, 10);
  colours->Add(makeButton(sections_[3], kLensColour, "眼镜颜色", 130, "选择镜片的颜色"), 0);
  colours->Add(makeButton(sections_[3], kFrameColour, "镜框颜色", 130, "选择镜框的颜色"), 0);
  colours->Add(makeButton(sections_[3], kShoeColour, "鞋子颜色", 130, "选择鞋子的颜色"), 0);
  colours->Add(makeButton(sections_[3], kHairColour, "改变发型颜色", 130, "选择头发的颜色"), 0);
  sizers[3]->Add(colours, 0, wxLEFT | wxRIGHT | wxBOTTOM, 14);
  sizers[3]->Add(grids[3], 0, wxEXPAND | wxLEFT | wxRIGHT, 14);
  sizers[3]->Add(makeButton(sections_[3], kDefaultHair, "恢复默认发型", 130, "换回人体默认的发型"),
                 0, wxLEFT | wxTOP | wxBOTTOM, 14);

  Bind(wxEVT_SCROLL_THUMBTRACK, &CAccessoryPage::onSlider, this);
  Bind(wxEVT_BUTTON, &CAccessoryPage::onButton, this);
  Bind(wxEVT_CHAR_HOOK, &CAccessoryPage::onKey, this);
  Bind(wxEVT_IDLE, &CAccessoryPage::onIdle, this);
  SetSizer(page);
  FitInside();
}

void CAccessoryPage::Attach(CGLViewDlg* view) {
  view_ = view;
  GlView& v = view->view();
  adjuster_ = std::make_unique<AccessoryAdjuster>(v.accessories(), v.lightOffsets);
  adjuster_->redraw = [this] { redrawView(); };
  showState();
}

void CAccessoryPage::redrawView() {
  if (view_) view_->requestRedraw();
}

void CAccessoryPage::showState() {
  if (!adjuster_) return;
  for (int i = 0; i < kAccessorySliderCount; ++i) {
    const auto k = std::size_t(i);
    if (!sliders_[k]->IsDragging() && sliders_[k]->GetPos() != adjuster_->values[k])
      sliders_[k]->SetPos(adjuster_->values[k]);
    values_[k]->SetText(wxString::FromUTF8(adjuster_->labels[k]));
  }
  button(kLightOne)->SetSelectedMark(adjuster_->lightOneMode);
  button(kLightTwo)->SetSelectedMark(adjuster_->lightTwoMode);
  button(kUniformScale)->SetSelectedMark(adjuster_->uniformScale);
}

void CAccessoryPage::onSlider(wxScrollEvent& event) {
  const int index = event.GetId() - kSliderIdBase;
  if (index < 0 || index >= kAccessorySliderCount || !adjuster_) return;
  adjuster_->sliderMoved(index, static_cast<float>(sliders_[std::size_t(index)]->GetPos()));
  showState();
}

void CAccessoryPage::chooseColour(Rgb& colour) {
  if (!view_) return;
  if (const auto chosen = view_->dialogs().chooseColour(colour)) {
    colour = *chosen;
    redrawView();
  }
}

void CAccessoryPage::onButton(wxCommandEvent& event) {
  if (!adjuster_ || !view_) return;
  Accessories& a = view_->view().accessories();
  switch (event.GetId()) {
    case kLightOne:
      adjuster_->toggleLightOne();
      break;
    case kLightTwo:
      adjuster_->toggleLightTwo();
      break;
    case kUniformScale:
      adjuster_->toggleUniformScale();
      break;
    case kLensColour:
      chooseColour(a.look.lens);
      break;
    case kFrameColour:
      chooseColour(a.look.frame);
      break;
    case kShoeColour:
      chooseColour(a.look.shoe);
      break;
    case kHairColour:
      chooseColour(a.look.hair);
      break;
    case kDefaultHair:
      if (auto restored = a.RestoreDefaultHair(); !restored)
        view_->dialogs().showMessage(restored.error().message(), "", MessageIcon::Warning);
      redrawView();
      break;
    default:
      event.Skip();
      return;
  }
  showState();
}

void CAccessoryPage::onKey(wxKeyEvent& event) {
  const int key = event.GetKeyCode();
  if (key == WXK_ESCAPE) return;  // swallowed
  if ((key == WXK_RETURN || key == WXK_NUMPAD_ENTER) && adjuster_) {
    adjuster_->enter();
    showState();
    return;
  }
  event.Skip();
}

void CAccessoryPage::onIdle(wxIdleEvent& event) {
  event.Skip();
  if (!view_ || !IsShownOnScreen()) return;
  const Accessories& a = view_->view().accessories();
  int selection = 0;
  for (std::size_t i = 0; i < a.selection.size(); ++i)
    if (a.selection[i]) selection = int(i) + 1;
  if (selection == shownSelection_) return;
  shownSelection_ = selection;
  const std::string name = entryName(a);
  selected_->SetText(wxString::FromUTF8(name.empty() ? "未选中配件" : "当前配件：" + name));
}

void CAccessoryPage::Reset() {
  if (!adjuster_) return;
  adjuster_->reset();
  showState();
}

void CAccessoryPage::onHeader(SectionHeader& header) {
  for (std::size_t g = 0; g < headers_.size(); ++g) {
    if (headers_[g] != &header) continue;
    sections_[g]->Show(header.expanded());
    FitInside();
    Layout();
    if (header.expanded()) {
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
