// The windows that share the main window's right-hand slot and the store
// page. Each carries its two rectangles (current and full) and moves itself
// to the current one in ApplyRect. Their pages and lists are filled by the
// subsystems that own them; here they are the skinned frames.
#pragma once

#include <string>

#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/main_layout.h"

namespace vestora {
class SkinButton;
}

namespace vestora::app {

class CFittingRoomDlg;
class CGLViewDlg;
class CAccessoryPage;
class CBodyEditPage;
class CMeasurePage;

// Colours of the look.
namespace palette {
inline const wxColour kPanel(0xF7, 0xF5, 0xF2);
inline const wxColour kHairline(0xE2, 0xDD, 0xD6);
inline const wxColour kInk(0x23, 0x26, 0x2C);
inline const wxColour kAccent(0xC8, 0x55, 0x3D);
inline const wxColour kHover(0x2F, 0x6F, 0x73);
inline const wxColour kDisabled(0xB9, 0xB4, 0xAD);
}  // namespace palette

// A skinned child window with the two rectangles of the slot.
class SkinPanel : public wxPanel {
 public:
  SkinPanel(wxWindow* parent, wxWindowID id);

  PanelRect rect;
  void SetMainDialog(CFittingRoomDlg* main) { main_ = main; }
  CFittingRoomDlg* mainDialog() const { return main_; }

  // Moves the window to the current rectangle. A panel slid shut (width 0)
  // keeps its place in the slot but is taken off the screen until it opens.
  virtual void ApplyRect();
  bool Show(bool show = true) override;
  // Whether the panel is meant to be shown (it may be slid shut).
  bool wanted() const { return wanted_; }

 protected:
  void paintFrame(wxDC& dc);

 private:
  void onPaint(wxPaintEvent& event);
  CFittingRoomDlg* main_ = nullptr;
  bool wanted_ = true;
};

// The control panel (resource 131): four tabs over three pages, the reset
// button and the scale field.
class CControlPanelDlg : public SkinPanel {
 public:
  static constexpr int kResourceId = 131;
  static constexpr int kReset = 1033, kScaleField = 1038, kScaleOk = 1039;
  // "我的尺寸": the body takes the user's own measures.
  static constexpr int kMyMeasures = 1044;
  static constexpr int kBodyTab = 1040, kGarmentTab = 1041, kAccessoryTab = 1042,
                       kMeasureTab = 1043;
  static constexpr int kMeasurePage = 257, kAccessoryPage = 258, kBodyPage = 259;
  inline static const char* kNotInClientMessage = "抱歉，非客户端功能！";

  explicit CControlPanelDlg(wxWindow* parent);

  // Shows one page (kBodyPage, kAccessoryPage or kMeasurePage) and hides the others.
  void ShowPage(int pageId);
  int shownPage() const { return shownPage_; }
  // The start-up value of the body-editing page.
  void InitBodyPage(int value) { bodyPageValue_ = value; }
  // Connects the pages to the view (once the view has its avatar).
  void AttachView(CGLViewDlg* view);
  CBodyEditPage* bodyPage() const { return bodyPage_; }
  CMeasurePage* measurePage() const { return measurePage_; }
  CAccessoryPage* accessoryPage() const { return accessoryPage_; }
  SkinButton* resetButton() const { return reset_; }
  SkinButton* myMeasuresButton() const { return myMeasures_; }

  void ApplyRect() override;

 private:
  void onTab(wxCommandEvent& event);
  void onReset(wxCommandEvent& event);
  void onMyMeasures(wxCommandEvent& event);
  void layoutChildren();

  SkinButton* tabs_[4] = {};
  wxWindow* pages_[3] = {};  // measurement, accessory, body editing
  CMeasurePage* measurePage_ = nullptr;
  CBodyEditPage* bodyPage_ = nullptr;
  CAccessoryPage* accessoryPage_ = nullptr;
  CGLViewDlg* view_ = nullptr;
  SkinButton* reset_ = nullptr;
  SkinButton* myMeasures_ = nullptr;
  SkinButton* scaleOk_ = nullptr;
  wxStaticText* scaleLabel_ = nullptr;
  wxTextCtrl* scaleField_ = nullptr;
  int shownPage_ = kBodyPage;
  int bodyPageValue_ = 0;
};

}  // namespace vestora::app
