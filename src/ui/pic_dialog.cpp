#include "ui/pic_dialog.h"

#include <wx/dcbuffer.h>

#include "ui/resource_bitmaps.h"

namespace vestora {

CPicDialog::CPicDialog(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                       KeyTarget keyTarget) {
  Create(parent, id, pos, size, std::move(keyTarget));
}

bool CPicDialog::Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                        KeyTarget keyTarget) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  if (!wxPanel::Create(parent, id, pos, size, wxBORDER_NONE | wxFULL_REPAINT_ON_RESIZE,
                       "picDialog")) {
    return false;
  }
  Bind(wxEVT_PAINT, &CPicDialog::onPaint, this);
  Bind(wxEVT_SIZE, &CPicDialog::onSize, this);
  InstallChildKeyRule(this, std::move(keyTarget));
  return true;
}

bool CPicDialog::LoadPicture(const std::string& path, bool first) {
  wxImage& slot = first ? first_ : second_;
  slot = wxImage();
  scaled_ = wxBitmap();
  const bool visible = shown_ == (first ? 1 : 2);
  slot = LoadImageFile(path);
  if (visible) Refresh();
  return slot.IsOk();
}

void CPicDialog::Clear() {
  first_ = wxImage();
  second_ = wxImage();
  scaled_ = wxBitmap();
  Refresh();
}

void CPicDialog::ShowFirst() {
  show(1);
}
void CPicDialog::ShowSecond() {
  show(2);
}
void CPicDialog::ShowNone() {
  show(0);
}

void CPicDialog::show(int which) {
  if (which == shown_) return;
  shown_ = which;
  scaled_ = wxBitmap();
  Refresh();
}

void CPicDialog::Draw(wxDC& dc, const wxSize& size) const {
  const wxImage* picture = shown_ == 1 ? &first_ : shown_ == 2 ? &second_ : nullptr;
  if (picture == nullptr || !picture->IsOk() || size.x <= 0 || size.y <= 0) return;
  if (!scaled_.IsOk() || scaledSize_ != size || scaledShown_ != shown_) {
    scaled_ = wxBitmap(picture->Scale(size.x, size.y, wxIMAGE_QUALITY_HIGH));
    scaledSize_ = size;
    scaledShown_ = shown_;
  }
  dc.DrawBitmap(scaled_, 0, 0, false);
}

void CPicDialog::onPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  // With nothing to show the box shows its own background colour.
  dc.SetBackground(wxBrush(GetBackgroundColour()));
  const bool showsPicture = (shown_ == 1 && first_.IsOk()) || (shown_ == 2 && second_.IsOk());
  if (!showsPicture) dc.Clear();
  Draw(dc, GetClientSize());
}

void CPicDialog::onSize(wxSizeEvent& event) {
  Refresh();
  event.Skip();
}

}  // namespace vestora
