#include "ui/wizard_speed_dialog.h"

#include <gtest/gtest.h>
#include <wx/textctrl.h>

#include "ui_fixtures.h"

namespace vestora {
namespace {

using namespace vestora::testing;

TEST(WizardSpeedParse, AcceptsWholeSecondsFromOneToSixty) {
  EXPECT_EQ(CWizardSpeedDlg::ParseSeconds("1"), 1);
  EXPECT_EQ(CWizardSpeedDlg::ParseSeconds("3"), 3);
  EXPECT_EQ(CWizardSpeedDlg::ParseSeconds(" 12 "), 12);
  EXPECT_EQ(CWizardSpeedDlg::ParseSeconds("60"), 60);
  EXPECT_EQ(CWizardSpeedDlg::ParseSeconds("007"), 7);
  for (const char* refused : {"", " ", "0", "61", "-2", "+2", "1.5", "abc", "3s", "99999999999"}) {
    EXPECT_FALSE(CWizardSpeedDlg::ParseSeconds(refused)) << refused;
  }
}

class WizardSpeedDialogTest : public FrameTest {
 protected:
  // Presses the dialog's OK button as a click on it would.
  static void pressOk(CWizardSpeedDlg* dialog) {
    wxWindow* ok = dialog->FindWindow(wxID_OK);
    ASSERT_NE(ok, nullptr);
    wxCommandEvent event(wxEVT_BUTTON, wxID_OK);
    event.SetEventObject(ok);
    ok->ProcessWindowEvent(event);
  }
};

TEST_F(WizardSpeedDialogTest, RefusesZeroAndTextAndStaysOpen) {
  auto* dialog = new CWizardSpeedDlg(frame, 3);
  EXPECT_EQ(dialog->GetTitle(), wxString::FromUTF8("设置向导播放速度"));
  auto* edit = wxDynamicCast(dialog->FindWindow(CWizardSpeedDlg::kSecondsEditId), wxTextCtrl);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->GetValue(), "3");
  dialog->Show();
  Pump(30);

  for (const char* refused : {"0", "abc", "61", ""}) {
    edit->ChangeValue(refused);
    pressOk(dialog);
    EXPECT_TRUE(dialog->IsShown()) << refused;
    EXPECT_FALSE(dialog->errorText().empty()) << refused;
    EXPECT_EQ(dialog->seconds(), 3);
  }

  // Typing clears the message; a good value closes the dialog with OK.
  edit->SetValue("12");
  EXPECT_TRUE(dialog->errorText().empty());
  pressOk(dialog);
  EXPECT_FALSE(dialog->IsShown());
  EXPECT_EQ(dialog->GetReturnCode(), wxID_OK);
  EXPECT_EQ(dialog->seconds(), 12);
  dialog->Destroy();
}

TEST_F(WizardSpeedDialogTest, CarriesTheExplanationAndBothButtons) {
  auto* dialog = new CWizardSpeedDlg(frame, 5);
  wxString texts;
  for (wxWindow* child : dialog->GetChildren()) texts += child->GetLabel() + "\n";
  EXPECT_NE(texts.Find(wxString::FromUTF8("目前默认的播放速度为每帧3秒。您可以在下面的")),
            wxNOT_FOUND);
  EXPECT_NE(texts.Find(wxString::FromUTF8("下面的编辑框中设置适合您的播放速度")), wxNOT_FOUND);
  EXPECT_NE(texts.Find(wxString::FromUTF8("(单位：秒)。小于3秒为快速播放。")), wxNOT_FOUND);
  ASSERT_NE(dialog->FindWindow(wxID_OK), nullptr);
  ASSERT_NE(dialog->FindWindow(wxID_CANCEL), nullptr);
  EXPECT_EQ(dialog->FindWindow(wxID_OK)->GetLabel(), wxString::FromUTF8("确定"));
  EXPECT_EQ(dialog->FindWindow(wxID_CANCEL)->GetLabel(), wxString::FromUTF8("取消"));
  EXPECT_EQ(dialog->seconds(), 5);
  dialog->Destroy();
}

}  // namespace
}  // namespace vestora
