#include "app/about_dialog.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "app/panels.h"
#include "ui/resource_bitmaps.h"

#ifndef VESTORA_VERSION
#define VESTORA_VERSION "0.1"
#endif

namespace vestora::app {

CAboutDlg::CAboutDlg(wxWindow* parent)
    : wxDialog(parent, kResourceId, wxString::FromUTF8("关于 Vestora")) {
  SetBackgroundColour(palette::kPanel);
  auto* top = new wxBoxSizer(wxHORIZONTAL);
  if (const wxIcon icon = LoadApplicationIcon(); icon.IsOk()) {
    wxBitmap bitmap;
    bitmap.CopyFromIcon(icon);
    const wxImage small = bitmap.ConvertToImage().Scale(64, 64, wxIMAGE_QUALITY_HIGH);
    top->Add(new wxStaticBitmap(this, wxID_ANY, wxBitmap(small)), 0, wxALL, 16);
  }
  auto* text = new wxBoxSizer(wxVERTICAL);
  auto* name = new wxStaticText(this, wxID_ANY, wxString::FromUTF8("Vestora 澄镜衣坊"));
  name->SetFont(name->GetFont().Scaled(1.6f).Bold());
  name->SetForegroundColour(palette::kInk);
  text->Add(name, 0, wxBOTTOM, 4);
  auto* version = new wxStaticText(this, wxID_ANY, wxString::FromUTF8("版本 " VESTORA_VERSION));
  version->SetForegroundColour(palette::kHover);
  text->Add(version, 0, wxBOTTOM, 10);
  auto* what = new wxStaticText(
      this, wxID_ANY,
      wxString::FromUTF8(
          "虚拟试衣间：按您的身材塑造人体，自动量体，\n试穿服装、搭配发型与配件，随时拍照留念。"));
  what->SetForegroundColour(palette::kInk);
  text->Add(what, 0, wxBOTTOM, 16);
  auto* ok = new wxButton(this, wxID_OK, wxString::FromUTF8("确定"));
  text->Add(ok, 0, wxALIGN_RIGHT);
  top->Add(text, 1, wxTOP | wxRIGHT | wxBOTTOM, 16);
  SetSizerAndFit(top);
  CentreOnParent();
}

}  // namespace vestora::app
