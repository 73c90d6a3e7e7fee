// CWizardSpeedDlg: the small modal dialog "设置向导播放速度" in which the user
// sets how many seconds each wizard card is shown. OK accepts a whole number
// of seconds from 1 to 60 in edit control 1204; any other input shows a short
// message in the dialog, which stays open.
//
//   CWizardSpeedDlg dlg(this, wizardSeconds);
//   if (dlg.ShowModal() == wxID_OK) wizardSeconds = dlg.seconds();
#pragma once

#include <optional>

#include <wx/dialog.h>

class wxStaticText;
class wxTextCtrl;

namespace vestora {

class CWizardSpeedDlg : public wxDialog {
 public:
  static constexpr int kSecondsEditId = 1204;
  static constexpr int kMinSeconds = 1;
  static constexpr int kMaxSeconds = 60;

  explicit CWizardSpeedDlg(wxWindow* parent, int seconds = 3);

  // The accepted seconds (the initial value until OK succeeds).
  int seconds() const { return seconds_; }
  // The message shown for the last refused input (empty when none).
  wxString errorText() const;

  // A whole number in [kMinSeconds, kMaxSeconds] (blanks around it allowed),
  // or nothing.
  static std::optional<int> ParseSeconds(const wxString& text);

  bool TransferDataFromWindow() override;

 private:
  void onOk(wxCommandEvent& event);
  void onText(wxCommandEvent& event);

  int seconds_;
  wxTextCtrl* edit_ = nullptr;
  wxStaticText* error_ = nullptr;
};

}  // namespace vestora
