// CMeasuresDialog: "我的尺寸". The user types the measures she knows
// (height, weight, bust, under-bust, waist, abdomen, hips, thigh, calf,
// knee, neck base, shoulder width) and the body takes all of them at once.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include <wx/dialog.h>
#include <wx/textctrl.h>

#include "body/body_targets.h"

namespace vestora::app {

class CGLViewDlg;

class CMeasuresDialog : public wxDialog {
 public:
  static constexpr int kFieldIdBase = 4200;
  static constexpr int kFieldCount = 12;

  CMeasuresDialog(wxWindow* parent, CGLViewDlg* view);

  wxTextCtrl* field(int index) const { return fields_[static_cast<std::size_t>(index)]; }
  // The measures as typed (empty fields left out); nothing, with the
  // message naming it, when a field holds no number.
  std::optional<std::vector<BodyTarget>> typedTargets(std::string& problem) const;
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
