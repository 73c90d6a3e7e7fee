// SkinButton: the owner-drawn push button of every toolbar, panel and caption
// button. It draws its own bitmaps (never the toolkit's button frame) with
// buffered painting, and never scales them: a bitmap smaller than the button
// is drawn at the top left, the rest shows the parent.
//
// Clicking (press and release inside) sends an ordinary wxEVT_BUTTON command
// event with the button's id to the parent chain, so owners use event tables
// with numeric ids (EVT_BUTTON(1000, ...)). In check mode the click first
// toggles `checked`, and the event's GetInt() carries the new state.
//
// The button never takes keyboard focus (every key goes to the 3D view, see
// key_routing.h), so Enter, Escape and Space never act on it.
//
// The cursor shown over the button and its tooltip are the ordinary wx ones:
// SetCursor(wxCursor(...)), SetToolTip(text).
#pragma once

#include <wx/bitmap.h>
#include <wx/control.h>

namespace vestora {

class SkinButton : public wxControl {
 public:
  // The five bitmaps, in the order LoadBitmaps takes them (hover last).
  enum class Face { Normal, Selected, Focused, Disabled, Hover };

  SkinButton() = default;
  SkinButton(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
             const wxSize& size = wxDefaultSize, long style = 0);
  bool Create(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
              const wxSize& size = wxDefaultSize, long style = 0);

  // Bitmap resources (0 = none). False when the normal bitmap cannot be
  // loaded; the button is usable anyway and draws what it has.
  bool LoadBitmaps(int normal, int selected = 0, int focused = 0, int disabled = 0);
  // The same from bitmaps (wxNullBitmap = none).
  void LoadBitmaps(const wxBitmap& normal, const wxBitmap& selected = wxNullBitmap,
                   const wxBitmap& focused = wxNullBitmap, const wxBitmap& disabled = wxNullBitmap);
  void SetHoverBitmap(int id);
  void SetHoverBitmap(const wxBitmap& hover);
  // Pixels of exactly this colour are transparent: the parent shows through.
  // Applies to the bitmaps loaded before and after the call.
  void SetKeyColour(const wxColour& key);
  // Back to opaque bitmaps.
  void ClearKeyColour();

  // Check mode: a two-state button (`checked` is drawn with the selected bitmap).
  void SetCheckMode(bool on) { checkMode_ = on; }
  bool IsCheckMode() const { return checkMode_; }
  // Only in check mode (ignored otherwise); repaints at once when `repaint`.
  void SetCheck(bool checked, bool repaint = true);
  bool GetCheck() const { return checked_; }

  // Set and cleared by the owner: while true the button shows its third
  // (focused) bitmap, e.g. the toolbar button of the panel that is shown.
  // Call Repaint() after changing it (or use SetSelectedMark).
  bool selectedMark = false;
  // Hover is shown at all (initially true).
  bool hoverEnabled = true;
  // Hover is shown while the top-level window holding the button is not the
  // active window (initially false: only in the active window).
  bool trackWhenInactive = false;

  void SetSelectedMark(bool mark);
  // Redraws now (Refresh and Update).
  void Repaint();

  // Label drawn centred over the bitmap (SetLabel); its colour, and the colour
  // used when the button is disabled.
  void SetLabelColours(const wxColour& text, const wxColour& disabledText);

  // The bitmap the button draws in its current state, first match wins:
  // pressed or checked -> Selected (when there is one); selectedMark ->
  // Focused (when there is one); disabled -> Disabled; hover -> Hover (Normal
  // when there is no hover bitmap); otherwise Normal. A disabled button
  // without a disabled bitmap draws its normal bitmap greyed.
  Face DrawnFace() const;
  const wxBitmap& FaceBitmap(Face face) const;
  bool IsHover() const { return hover_; }
  bool IsPressed() const { return pressed_; }

  // Draws the button as it looks now into `dc` (client coordinates, origin at
  // the button's top left); what the paint handler draws. Key-coloured pixels
  // are left untouched, so whatever lies beneath in `dc` shows through: on
  // screen, what the parent has painted there.
  void Draw(wxDC& dc) const;

  bool Enable(bool enable = true) override;
  void SetLabel(const wxString& label) override;
  bool AcceptsFocus() const override { return false; }
  bool AcceptsFocusFromKeyboard() const override { return false; }
  bool HasTransparentBackground() override { return true; }

 protected:
  wxSize DoGetBestClientSize() const override;

 private:
  void onPaint(wxPaintEvent& event);
  void onLeftDown(wxMouseEvent& event);
  void onLeftUp(wxMouseEvent& event);
  void onMotion(wxMouseEvent& event);
  void onEnter(wxMouseEvent& event);
  void onLeave(wxMouseEvent& event);
  void onCaptureLost(wxMouseCaptureLostEvent& event);
  void updateHover(bool inside);
  void setBitmap(Face face, const wxBitmap& bitmap);
  void click();

  static constexpr int kFaceCount = 5;
  wxBitmap bitmaps_[kFaceCount];  // indexed by Face; masks applied when keyed
  wxBitmap originals_[kFaceCount];
  wxBitmap greyed_;  // the normal bitmap greyed, for a disabled button without its own
  wxColour key_;     // invalid = no key colour
  wxColour labelColour_{0x23, 0x26, 0x2C};
  wxColour disabledLabelColour_{0xB9, 0xB4, 0xAD};
  bool hover_ = false;
  bool pressed_ = false;   // the pointer went down here and is inside
  bool tracking_ = false;  // the mouse is captured after a press
  bool checkMode_ = false;
  bool checked_ = false;
};

}  // namespace vestora
