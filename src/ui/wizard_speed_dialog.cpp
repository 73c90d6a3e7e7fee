#include "ui/wizard_speed_dialog.h"

#include <wx/dcmemory.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "ui/skin_button.h"

namespace vestora {
namespace {

const wxColour kPanel(0xF7, 0xF5, 0xF2);  // warm white
const wxColour kInk(0x23, 0x26, 0x2C);
const wxColour kAccent(0xC8, 0x55, 0x3D);  // terracotta
const wxColour kAccentDown(0xA8, 0x43, 0x2E);
const wxColour kHover(0x2F, 0x6F, 0x73);  // teal
const wxColour kHairline(0xE2, 0xDD, 0xD6);
const wxSize kButtonSize(84, 30);

// A rounded button face drawn on the dialog's own background colour, so it
// needs no transparency.
wxBitmap buttonFace(const wxColour& fill, const wxColour& border) {
  wxBitmap bitmap(kButtonSize, 24);
  wxMemoryDC dc(bitmap);
  dc.SetBackground(wxBrush(kPanel));
  dc.Clear();
  dc.SetPen(wxPen(border, 1));
  dc.SetBrush(wxBrush(fill));
  dc.DrawRoundedRectangle(wxRect(kButtonSize).Deflate(1), 5.0);
  dc.SelectObject(wxNullBitmap);
  return bitmap;
}

SkinButton* makeButton(wxWindow* parent, wxWindowID id, const wxString& label, bool primary) {
  auto* button = new SkinButton(parent, id, wxDefaultPosition, kButtonSize);
  if (primary) {
    button->LoadBitmaps(buttonFace(kAccent, kAccent), buttonFace(kAccentDown, kAccentDown));
    button->SetHoverBitmap(buttonFace(kAccent, kHover));
    button->SetLabelColours(*wxWHITE, kHairline);
  } else {
    button->LoadBitmaps(buttonFace(*wxWHITE, kHairline), buttonFace(kHairline, kHairline));
    button->SetHoverBitmap(buttonFace(*wxWHITE, kHover));
    button->SetLabelColours(kInk, kHairline);
  }
  button->SetLabel(label);
  button->trackWhenInactive = true;  // a modal dialog is the active window anyway
  button->SetCursor(wxCursor(wxCURSOR_HAND));
  return button;
}

}  // namespace

CWizardSpeedDlg::CWizardSpeedDlg(wxWindow* parent, int seconds)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8("设置向导播放速度"), wxDefaultPosition,
               wxDefaultSize, wxDEFAULT_DIALOG_STYLE, "wizardSpeedDialog"),
      seconds_(seconds) {
  SetBackgroundColour(kPanel);
  SetForegroundColour(kInk);

  auto* column = new wxBoxSizer(wxVERTICAL);
  for (const char* line :
       {"目前默认的播放速度为每帧3秒。您可以在下面的", "下面的编辑框中设置适合您的播放速度",
        "(单位：秒)。小于3秒为快速播放。"}) {
    auto* text = new wxStaticText(this, wxID_ANY, wxString::FromUTF8(line));
    text->SetForegroundColour(kInk);
    column->Add(text, 0, wxLEFT | wxRIGHT, 20);
    column->AddSpacer(4);
  }

  auto* entry = new wxBoxSizer(wxHORIZONTAL);
  edit_ = new wxTextCtrl(this, kSecondsEditId, wxString::Format("%d", seconds), wxDefaultPosition,
                         wxSize(80, -1), wxTE_PROCESS_ENTER | wxTE_RIGHT);
  edit_->SetMaxLength(4);
  entry->Add(edit_, 0, wxALIGN_CENTRE_VERTICAL);
  auto* unit = new wxStaticText(this, wxID_ANY, wxString::FromUTF8("秒"));
  unit->SetForegroundColour(kInk);
  entry->Add(unit, 0, wxALIGN_CENTRE_VERTICAL | wxLEFT, 8);
  column->AddSpacer(10);
  column->Add(entry, 0, wxLEFT | wxRIGHT, 20);

  error_ = new wxStaticText(this, wxID_ANY, wxEmptyString);
  error_->SetForegroundColour(kAccent);
  column->AddSpacer(6);
  column->Add(error_, 0, wxLEFT | wxRIGHT | wxEXPAND, 20);

  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->AddStretchSpacer();
  buttons->Add(makeButton(this, wxID_OK, wxString::FromUTF8("确定"), true));
  buttons->AddSpacer(10);
  buttons->Add(makeButton(this, wxID_CANCEL, wxString::FromUTF8("取消"), false));
  column->AddSpacer(14);
  column->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT, 20);
  column->AddSpacer(18);

  auto* outer = new wxBoxSizer(wxVERTICAL);
  outer->AddSpacer(18);
  outer->Add(column, 1, wxEXPAND);
  SetSizerAndFit(outer);
  // Room for the longest message under the field.
  SetMinClientSize(GetClientSize());
  CentreOnParent();

  SetEscapeId(wxID_CANCEL);
  Bind(wxEVT_BUTTON, &CWizardSpeedDlg::onOk, this, wxID_OK);
  Bind(wxEVT_TEXT_ENTER, &CWizardSpeedDlg::onOk, this, kSecondsEditId);
  Bind(wxEVT_TEXT, &CWizardSpeedDlg::onText, this, kSecondsEditId);
  edit_->SetFocus();
  edit_->SelectAll();
}

wxString CWizardSpeedDlg::errorText() const {
  return error_->GetLabel();
}

std::optional<int> CWizardSpeedDlg::ParseSeconds(const wxString& text) {
  wxString trimmed = text;
  trimmed.Trim(true).Trim(false);
  if (trimmed.empty() || trimmed.length() > 4) return std::nullopt;
  int value = 0;
  for (const wxUniChar c : trimmed) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<int>(c.GetValue() - '0');
  }
  if (value < kMinSeconds || value > kMaxSeconds) return std::nullopt;
  return value;
}

bool CWizardSpeedDlg::TransferDataFromWindow() {
  const std::optional<int> value = ParseSeconds(edit_->GetValue());
  if (!value) {
    error_->SetLabel(wxString::FromUTF8("请输入 1 到 60 之间的整数秒数。"));
    edit_->SetFocus();
    edit_->SelectAll();
    return false;
  }
  error_->SetLabel(wxEmptyString);
  seconds_ = *value;
  return true;
}

void CWizardSpeedDlg::onOk(wxCommandEvent&) {
  if (!TransferDataFromWindow()) return;
  if (IsModal()) {
    EndModal(wxID_OK);
  } else {
    SetReturnCode(wxID_OK);
    wxDialog::Show(false);
  }
}

void CWizardSpeedDlg::onText(wxCommandEvent& event) {
  if (!error_->GetLabel().empty()) error_->SetLabel(wxEmptyString);
  event.Skip();
}

}  // namespace vestora
