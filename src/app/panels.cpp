#include "app/panels.h"

#include <wx/dcbuffer.h>
#include <wx/msgdlg.h>

#include "app/accessory_page.h"
#include "app/body_edit_page.h"
#include "app/gl_view_window.h"
#include "app/measure_page.h"
#include "app/measures_dialog.h"
#include "ui/key_routing.h"
#include "ui/panel_button_art.h"
#include "ui/skin_button.h"

namespace vestora::app {

SkinPanel::SkinPanel(wxWindow* parent, wxWindowID id)
    : wxPanel(parent, id, wxDefaultPosition, wxDefaultSize,
              wxBORDER_NONE | wxCLIP_CHILDREN | wxTAB_TRAVERSAL) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  SetBackgroundColour(palette::kPanel);
  SetForegroundColour(palette::kInk);
  Bind(wxEVT_PAINT, &SkinPanel::onPaint, this);
}

void SkinPanel::ApplyRect() {
  const PixelRect& r = rect.current;
  SetSize(r.x, r.y, std::max(r.width, 1), std::max(r.height, 1));
  if (wanted_ && IsShown() != (r.width > 0)) wxPanel::Show(r.width > 0);
}

bool SkinPanel::Show(bool show) {
  wanted_ = show;
  return wxPanel::Show(show && rect.current.width > 0);
}

void SkinPanel::paintFrame(wxDC& dc) {
  const wxSize size = GetClientSize();
  dc.SetBrush(wxBrush(palette::kPanel));
  dc.SetPen(wxPen(palette::kHairline));
  dc.DrawRectangle(0, 0, size.x, size.y);
}

void SkinPanel::onPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  paintFrame(dc);
}

namespace {

// Tab bitmaps: normal, selected, hover for each of the four tabs.
// The tabs from left to right.
constexpr int kTabBitmaps[4][3] = {
    {700, 701, 702}, {703, 704, 705}, {706, 707, 708}, {709, 710, 711}};
constexpr int kTabIds[4] = {CControlPanelDlg::kBodyTab, CControlPanelDlg::kAccessoryTab,
                            CControlPanelDlg::kMeasureTab, CControlPanelDlg::kGarmentTab};
constexpr const char* kTabLabels[4] = {"人体编辑", "配件调整", "人体测量", "服装合成"};

SkinButton* makeSmallButton(wxWindow* parent, int id, int normal, int pressed, int hover,
                            const char* label) {
  auto* button = new SkinButton(parent, id, wxDefaultPosition, wxSize(60, 24));
  if (!button->LoadBitmaps(normal, pressed)) button->SetLabel(wxString::FromUTF8(label));
  button->SetHoverBitmap(hover);
  return button;
}

}  // namespace

CControlPanelDlg::CControlPanelDlg(wxWindow* parent) : SkinPanel(parent, kResourceId) {
  for (int i = 0; i < 4; ++i) {
    auto* tab = new SkinButton(this, kTabIds[i], wxDefaultPosition, wxSize(100, 30));
    // The selected bitmap doubles as the mark of the shown page.
    if (!tab->LoadBitmaps(kTabBitmaps[i][0], kTabBitmaps[i][1], kTabBitmaps[i][1]))
      tab->SetLabel(wxString::FromUTF8(kTabLabels[i]));
    tab->SetHoverBitmap(kTabBitmaps[i][2]);
    tab->Bind(wxEVT_BUTTON, &CControlPanelDlg::onTab, this);
    tabs_[i] = tab;
  }
  measurePage_ = new CMeasurePage(this);
  bodyPage_ = new CBodyEditPage(this);
  accessoryPage_ = new CAccessoryPage(this);
  pages_[0] = measurePage_;
  pages_[1] = accessoryPage_;
  pages_[2] = bodyPage_;
  for (wxWindow* page : pages_) page->Hide();

  scaleLabel_ = new wxStaticText(this, wxID_ANY, wxString::FromUTF8("比例："));
  scaleLabel_->SetForegroundColour(palette::kInk);
  scaleField_ = new wxTextCtrl(this, kScaleField, wxEmptyString, wxDefaultPosition, wxSize(80, 24),
                               wxBORDER_SIMPLE);
  scaleOk_ = makeSmallButton(this, kScaleOk, 715, 716, 717, "确定");
  reset_ = makeSmallButton(this, kReset, 712, 713, 714, "重置");
  reset_->SetToolTip(wxString::FromUTF8("人体回到载入时的体型"));
  reset_->Bind(wxEVT_BUTTON, &CControlPanelDlg::onReset, this);
  myMeasures_ = new SkinButton(this, kMyMeasures);
  ApplyPanelButtonFaces(myMeasures_, wxString::FromUTF8("我的尺寸"), wxSize(92, 24),
                        PanelButtonStyle::Secondary, 8);
  myMeasures_->SetToolTip(wxString::FromUTF8("输入您自己的身高、体重和围度，人体一次变成您的体型"));
  myMeasures_->Bind(wxEVT_BUTTON, &CControlPanelDlg::onMyMeasures, this);
  // The scale acts on the accessory page; it waits for it.
  scaleField_->Disable();
  scaleOk_->Disable();

  ShowPage(kBodyPage);
  Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    layoutChildren();
    event.Skip();
  });
}

void CControlPanelDlg::AttachView(CGLViewDlg* view) {
  view_ = view;
  bodyPage_->Attach(view);
  measurePage_->Attach(view);
  accessoryPage_->Attach(view);
}

void CControlPanelDlg::onReset(wxCommandEvent&) {
  bodyPage_->Reset();
  accessoryPage_->Reset();
}

void CControlPanelDlg::onMyMeasures(wxCommandEvent&) {
  if (!view_) return;
  CMeasuresDialog dialog(this, view_);
  if (dialog.ShowModal() == wxID_OK) bodyPage_->ShowApplied();
}

void CControlPanelDlg::ShowPage(int pageId) {
  shownPage_ = pageId;
  for (wxWindow* page : pages_) page->Show(page->GetId() == pageId);
  const int selectedTab = pageId == kBodyPage        ? kBodyTab
                          : pageId == kAccessoryPage ? kAccessoryTab
                                                     : kMeasureTab;
  for (SkinButton* tab : tabs_) tab->SetSelectedMark(tab->GetId() == selectedTab);
}

void CControlPanelDlg::onTab(wxCommandEvent& event) {
  switch (event.GetId()) {
    case kBodyTab:
      ShowPage(kBodyPage);
      break;
    case kAccessoryTab:
      ShowPage(kAccessoryPage);
      break;
    case kMeasureTab:
      ShowPage(kMeasurePage);
      break;
    case kGarmentTab:
      wxMessageBox(wxString::FromUTF8(kNotInClientMessage), wxString::FromUTF8("澄镜衣坊"),
                   wxOK | wxICON_INFORMATION, this);
      break;
    default:
      break;
  }
}

void CControlPanelDlg::ApplyRect() {
  SkinPanel::ApplyRect();
  layoutChildren();
}

void CControlPanelDlg::layoutChildren() {
  const wxSize size = GetClientSize();
  const int tabWidth = 100, tabGap = 2;
  const int tabsWidth = 4 * tabWidth + 3 * tabGap;
  const int left = std::max(0, (size.x - tabsWidth) / 2);
  for (int i = 0; i < 4; ++i) tabs_[i]->SetSize(left + i * (tabWidth + tabGap), 8, tabWidth, 30);
  const int bottomRow = size.y - 36;
  for (wxWindow* page : pages_)
    page->SetSize(1, 46, std::max(size.x - 2, 0), std::max(bottomRow - 54, 0));
  scaleLabel_->SetPosition(wxPoint(left + 4, bottomRow + 4));
  scaleField_->SetSize(left + 48, bottomRow, 80, 24);
  scaleOk_->SetSize(left + 136, bottomRow, 60, 24);
  reset_->SetSize(left + tabsWidth - 60, bottomRow, 60, 24);
  myMeasures_->SetSize(left + tabsWidth - 60 - 8 - 92, bottomRow, 92, 24);
}

}  // namespace vestora::app
