#include "ui/skin_button.h"

#include <wx/dcbuffer.h>
#include <wx/settings.h>
#include <wx/toplevel.h>

#include "ui/resource_bitmaps.h"

namespace vestora {
namespace {

constexpr int index(SkinButton::Face face) {
  return static_cast<int>(face);
}

// An independent copy of `bitmap` (the cache shares its bitmaps, and a mask
// must never be set on a shared one) with key-coloured pixels masked out.
wxBitmap keyed(const wxBitmap& bitmap, const wxColour& key) {
  if (!bitmap.IsOk() || !key.IsOk()) return bitmap;
  wxBitmap copy = bitmap.GetSubBitmap(wxRect(bitmap.GetSize()));
  copy.SetMask(new wxMask(copy, key));
  return copy;
}

// The normal bitmap greyed, for a disabled button without a disabled bitmap.
// Key-coloured pixels stay as they are so that the mask still fits.
wxBitmap greyed(const wxBitmap& original, const wxColour& key) {
  if (!original.IsOk()) return original;
  wxImage image = original.ConvertToImage();
  if (image.HasAlpha()) image.ClearAlpha();
  const bool hasKey = key.IsOk();
  const int count = image.GetWidth() * image.GetHeight();
  unsigned char* rgb = image.GetData();
  for (int i = 0; i < count; ++i, rgb += 3) {
    if (hasKey && rgb[0] == key.Red() && rgb[1] == key.Green() && rgb[2] == key.Blue()) continue;
    const int luma = (rgb[0] * 30 + rgb[1] * 59 + rgb[2] * 11) / 100;
    // Towards the warm grey of disabled things (#B9B4AD), lightened.
    rgb[0] = static_cast<unsigned char>((luma + 2 * 0xB9) / 3);
    rgb[1] = static_cast<unsigned char>((luma + 2 * 0xB4) / 3);
    rgb[2] = static_cast<unsigned char>((luma + 2 * 0xAD) / 3);
    if (hasKey && rgb[0] == key.Red() && rgb[1] == key.Green() && rgb[2] == key.Blue()) {
      rgb[2] ^= 1;  // never turn a visible pixel into a hole
    }
  }
  return keyed(wxBitmap(image), key);
}

}  // namespace

SkinButton::SkinButton(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                       long style) {
  Create(parent, id, pos, size, style);
}

bool SkinButton::Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                        long style) {
  // Nothing is erased: the paint handler draws only the bitmap's visible
  // pixels, and what the parent painted stays beneath the rest (GTK 3 draws
  // the parent first into the same double-buffered frame).
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  if (!wxControl::Create(parent, id, pos, size, style | wxBORDER_NONE | wxFULL_REPAINT_ON_RESIZE,
                         wxDefaultValidator, "skinButton")) {
    return false;
  }
  SetCanFocus(false);
  Bind(wxEVT_PAINT, &SkinButton::onPaint, this);
  Bind(wxEVT_LEFT_DOWN, &SkinButton::onLeftDown, this);
  Bind(wxEVT_LEFT_DCLICK, &SkinButton::onLeftDown, this);
  Bind(wxEVT_LEFT_UP, &SkinButton::onLeftUp, this);
  Bind(wxEVT_MOTION, &SkinButton::onMotion, this);
  Bind(wxEVT_ENTER_WINDOW, &SkinButton::onEnter, this);
  Bind(wxEVT_LEAVE_WINDOW, &SkinButton::onLeave, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, &SkinButton::onCaptureLost, this);
  return true;
}

bool SkinButton::LoadBitmaps(int normal, int selected, int focused, int disabled) {
  auto load = [](int id) { return id == 0 ? wxBitmap() : LoadBitmapResource(id); };
  const wxBitmap normalBitmap = load(normal);
  LoadBitmaps(normalBitmap, load(selected), load(focused), load(disabled));
  return normalBitmap.IsOk();
}

void SkinButton::LoadBitmaps(const wxBitmap& normal, const wxBitmap& selected,
                             const wxBitmap& focused, const wxBitmap& disabled) {
  setBitmap(Face::Normal, normal);
  setBitmap(Face::Selected, selected);
  setBitmap(Face::Focused, focused);
  setBitmap(Face::Disabled, disabled);
  InvalidateBestSize();
  Refresh();
}

void SkinButton::SetHoverBitmap(int id) {
  SetHoverBitmap(id == 0 ? wxBitmap() : LoadBitmapResource(id));
}

void SkinButton::SetHoverBitmap(const wxBitmap& hover) {
  setBitmap(Face::Hover, hover);
  if (hover_) Refresh();
}

void SkinButton::setBitmap(Face face, const wxBitmap& bitmap) {
  originals_[index(face)] = bitmap;
  bitmaps_[index(face)] = keyed(bitmap, key_);
  if (face == Face::Normal) greyed_ = greyed(bitmap, key_);
}

void SkinButton::SetKeyColour(const wxColour& key) {
  key_ = key;
  for (int i = 0; i < kFaceCount; ++i) setBitmap(static_cast<Face>(i), originals_[i]);
  Refresh();
}

void SkinButton::ClearKeyColour() {
  SetKeyColour(wxColour());
}

void SkinButton::SetCheck(bool checked, bool repaint) {
  if (!checkMode_) return;
  checked_ = checked;
  if (repaint) Repaint();
}

void SkinButton::SetSelectedMark(bool mark) {
  selectedMark = mark;
  Repaint();
}

void SkinButton::Repaint() {
  Refresh();
  if (IsShownOnScreen()) Update();
}

void SkinButton::SetLabelColours(const wxColour& text, const wxColour& disabledText) {
  labelColour_ = text;
  disabledLabelColour_ = disabledText;
  Refresh();
}

SkinButton::Face SkinButton::DrawnFace() const {
  auto has = [this](Face face) { return bitmaps_[index(face)].IsOk(); };
  if ((pressed_ || checked_) && has(Face::Selected)) return Face::Selected;
  if (selectedMark && has(Face::Focused)) return Face::Focused;
  if (!IsEnabled()) return Face::Disabled;
  if (hover_ && has(Face::Hover)) return Face::Hover;
  return Face::Normal;
}

const wxBitmap& SkinButton::FaceBitmap(Face face) const {
  return bitmaps_[index(face)];
}

void SkinButton::Draw(wxDC& dc) const {
  const Face face = DrawnFace();
  const wxBitmap* bitmap = &bitmaps_[index(face)];
  if (face == Face::Disabled && !bitmap->IsOk()) bitmap = &greyed_;
  if (bitmap->IsOk()) dc.DrawBitmap(*bitmap, 0, 0, /*useMask=*/true);

  const wxString label = GetLabelText();
  if (!label.empty()) {
    dc.SetFont(GetFont());
    dc.SetBackgroundMode(wxTRANSPARENT);
    dc.SetTextForeground(IsEnabled() ? labelColour_ : disabledLabelColour_);
    wxRect area(GetClientSize());
    if (face == Face::Selected) area.Offset(0, 1);  // pressed text sits a little lower
    dc.DrawLabel(label, area, wxALIGN_CENTRE);
  }
}

void SkinButton::onPaint(wxPaintEvent&) {
  // On GTK 3 the whole frame is double-buffered by the toolkit, so this is a
  // plain paint DC and the unpainted (key-coloured) pixels keep the parent.
  wxAutoBufferedPaintDC dc(this);
  Draw(dc);
}

wxSize SkinButton::DoGetBestClientSize() const {
  const wxBitmap& normal = bitmaps_[index(Face::Normal)];
  if (normal.IsOk()) return normal.GetSize();
  const wxString label = GetLabelText();
  if (!label.empty()) return GetTextExtent(label) + wxSize(16, 8);
  return wxSize(16, 16);
}

bool SkinButton::Enable(bool enable) {
  const bool changed = wxControl::Enable(enable);
  if (changed) {
    if (!enable) {
      hover_ = false;
      pressed_ = false;
      if (tracking_ && HasCapture()) ReleaseMouse();
      tracking_ = false;
    }
    Refresh();
  }
  return changed;
}

void SkinButton::SetLabel(const wxString& label) {
  wxControl::SetLabel(label);
  InvalidateBestSize();
  Refresh();
}

void SkinButton::updateHover(bool inside) {
  bool wanted = inside && hoverEnabled && IsEnabled();
  if (wanted && !trackWhenInactive) {
    auto* owner = wxDynamicCast(wxGetTopLevelParent(this), wxTopLevelWindow);
    wanted = owner != nullptr && owner->IsActive();
  }
  if (wanted != hover_) {
    hover_ = wanted;
    Refresh();
  }
}

void SkinButton::onEnter(wxMouseEvent& event) {
  updateHover(true);
  event.Skip();
}

void SkinButton::onLeave(wxMouseEvent& event) {
  if (!tracking_) updateHover(false);
  event.Skip();
}

void SkinButton::onMotion(wxMouseEvent& event) {
  const bool inside = wxRect(GetClientSize()).Contains(event.GetPosition());
  if (tracking_ && inside != pressed_) {
    pressed_ = inside;
    Refresh();
  }
  updateHover(inside);
  event.Skip();
}

void SkinButton::onLeftDown(wxMouseEvent& event) {
  if (!IsEnabled()) return;
  if (!HasCapture()) CaptureMouse();
  tracking_ = true;
  pressed_ = true;
  Repaint();
  event.Skip(false);
}

void SkinButton::onLeftUp(wxMouseEvent& event) {
  if (!tracking_) return;
  tracking_ = false;
  if (HasCapture()) ReleaseMouse();
  const bool inside = wxRect(GetClientSize()).Contains(event.GetPosition());
  const bool clicked = pressed_ && inside;
  pressed_ = false;
  updateHover(inside);
  Repaint();
  // Last: the owner's handler may destroy this button.
  if (clicked) click();
}

void SkinButton::onCaptureLost(wxMouseCaptureLostEvent&) {
  tracking_ = false;
  pressed_ = false;
  Refresh();
}

void SkinButton::click() {
  if (checkMode_) {
    checked_ = !checked_;
    Refresh();
  }
  wxCommandEvent event(wxEVT_BUTTON, GetId());
  event.SetEventObject(this);
  event.SetInt(checked_ ? 1 : 0);
  ProcessWindowEvent(event);
}

}  // namespace vestora
