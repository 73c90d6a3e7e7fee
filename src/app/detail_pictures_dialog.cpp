#include "app/detail_pictures_dialog.h"

#include <algorithm>

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "app/garment_panel.h"
#include "app/panels.h"

namespace vestora::app {
namespace {

constexpr int kPictureWidth = 400, kPictureHeight = 500;

// The picture scaled (never enlarged) to fit the box, on the panel's colour
// when it cannot be read.
wxBitmap fitted(const std::string& path) {
  const RgbPicture picture = decodePicture(path);
  if (picture.width <= 0 || picture.height <= 0) {
    wxImage blank(kPictureWidth / 2, kPictureHeight / 2);
    blank.SetRGB(wxRect(blank.GetSize()), palette::kPanel.Red(), palette::kPanel.Green(),
                 palette::kPanel.Blue());
    return wxBitmap(blank);
  }
  wxImage image = bitmapOf(picture).ConvertToImage();
  const double scale = std::min(
      {1.0, double(kPictureWidth) / picture.width, double(kPictureHeight) / picture.height});
  if (scale < 1.0)
    image.Rescale(std::max(1, int(picture.width * scale)), std::max(1, int(picture.height * scale)),
                  wxIMAGE_QUALITY_HIGH);
  return wxBitmap(image);
}

}  // namespace

CDetailPicturesDlg::CDetailPicturesDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8("服装细节"), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE) {
  SetBackgroundColour(palette::kPanel);
  auto* column = new wxBoxSizer(wxVERTICAL);
  caption_ = new wxStaticText(this, wxID_ANY, wxEmptyString);
  caption_->SetFont(caption_->GetFont().Scaled(1.2f).Bold());
  caption_->SetForegroundColour(palette::kInk);
  column->Add(caption_, 0, wxLEFT | wxRIGHT | wxTOP, 14);
  row_ = new wxBoxSizer(wxHORIZONTAL);
  column->Add(row_, 0, wxALL, 10);
  auto* close = new wxButton(this, wxID_CLOSE, wxString::FromUTF8("关闭"));
  close->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Hide(); });
  column->Add(close, 0, wxALIGN_RIGHT | wxRIGHT | wxBOTTOM, 14);
  SetSizer(column);
  SetEscapeId(wxID_CLOSE);
  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { Hide(); });
}

void CDetailPicturesDlg::ShowPictures(const std::vector<std::string>& paths,
                                      const wxString& garment) {
  caption_->SetLabel(garment.empty() ? wxString::FromUTF8("尚未选择服装")
                                     : garment + wxString::FromUTF8(" · 正面与背面"));
  for (wxStaticBitmap* p : pictures_) p->Destroy();
  pictures_.clear();
  row_->Clear();
  for (const std::string& path : paths) {
    auto* picture = new wxStaticBitmap(this, wxID_ANY, fitted(path));
    row_->Add(picture, 0, wxALL, 4);
    pictures_.push_back(picture);
  }
  shown_ = paths.size();
  GetSizer()->SetSizeHints(this);
  Layout();
  if (!IsShown()) {
    CentreOnParent();
    Show();
  }
  Raise();
}

}  // namespace vestora::app
