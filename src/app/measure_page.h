// CMeasurePage: the "人体测量" page of the control panel (resource 257).
// The automatic measurement, the four freehand tools (one at a time), the
// marks and sheet, and the report file.
#pragma once

#include <wx/scrolwin.h>
#include <wx/stattext.h>

#include "body/freehand.h"

namespace vestora {
class SkinButton;
}

namespace vestora::app {

class CGLViewDlg;
class ValueBadge;

inline constexpr const char* kReportFilter = "Txt files (*.txt)|*.txt||";
inline constexpr const char* kReportWriteFailed = "无法保存测量报告：";

class CMeasurePage : public wxScrolledWindow {
 public:
  static constexpr int kResourceId = 257;
  static constexpr int kFreehandCaption = 1060, kAutoMeasure = 1061, kLinearDistance = 1062,
                       kHeight = 1063, kCurveLength = 1064, kFreeGirth = 1065, kShowMarks = 1066,
                       kSave = 1067;

  explicit CMeasurePage(wxWindow* parent);

  void Attach(CGLViewDlg* view);
  SkinButton* button(int id) const;

  // "保存": asks for a text file and writes the report there. Returns the
  // path written; nothing when cancelled or when it could not be written
  // (which is reported with the path).
  std::optional<std::string> SaveReport();
  // Brings the buttons and the readout in line with the view's tools.
  void ShowToolState();

 private:
  void onButton(wxCommandEvent& event);
  void onIdle(wxIdleEvent& event);
  // Wraps the instructions and the summary to the page's width.
  void wrapTexts();

  CGLViewDlg* view_ = nullptr;
  wxStaticText* instructions_ = nullptr;
  wxStaticText* summary_ = nullptr;
  ValueBadge* readout_ = nullptr;
  // What the readout last showed, to redraw it only on a change.
  std::optional<FreehandTool> shownTool_;
  float shownValue_ = -1;
  float shownUnit_ = 1;
  bool shownMeasured_ = false;
};

}  // namespace vestora::app
