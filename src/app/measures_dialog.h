// CMeasuresDialog: "我的尺寸". The user types the measures she knows
// (height, weight, bust, under-bust, waist, abdomen, hips, thigh, calf,
// knee, neck base, shoulder width) and the body takes all of them at once.
#pragma once

#include <array>
#include <string>

#include <wx/dialog.h>
#include <wx/textctrl.h>

namespace vestora::app {

class CGLViewDlg;

class CMeasuresDialog : public wxDialog {
 public:
  static constexpr int kFieldIdBase = 4200;
  static constexpr int kFieldCount = 12;

  CMeasuresDialog(wxWindow* parent, CGLViewDlg* view);

  wxTextCtrl* field(int index) const { return fields_[static_cast<std::size_t>(index)]; }
  // The measures as typed, "height=165,chest=90"; the message names the
  // first field that is not a number (and the text is then empty).
  std::string targetsText(std::string& problem) const;
  // Reshapes the body to the typed measures and reports what could not be
  // reached. False (the dialog stays open) when a field is not a number.
  bool Apply();

 private:
  void onApply(wxCommandEvent& event);
  // The body's present measures as the fields' hints.
  void showCurrentMeasures();

  CGLViewDlg* view_;
  std::array<wxTextCtrl*, kFieldCount> fields_{};
};

}  // namespace vestora::app
