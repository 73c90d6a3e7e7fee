// SkinSlider: the horizontal skinned slider of the control-panel pages, with a
// double position in [lower, upper].
//
// Notification: when the user moves the thumb (dragging it, or pressing on
// the track, which jumps the thumb there and starts a drag) the slider sends
// wxScrollEvent command events to its parent chain, with the slider itself as
// the event object and its id as the event id:
//   wxEVT_SCROLL_THUMBTRACK    after every change of the position while dragging,
//   wxEVT_SCROLL_THUMBRELEASE  once when the button is released.
// Owners catch both with EVT_COMMAND_SCROLL(id, handler) or
// Bind(wxEVT_SCROLL_THUMBTRACK, ...), tell their sliders apart by
// event.GetEventObject() (or the id), and read the exact position with
// GetPos(); the event's integer position is only the rounded value.
// SetPos() never notifies.
//
// Artwork, five bitmaps (SetBitmaps), magenta (255, 0, 255) is transparent:
//   channel        the empty track, drawn centred vertically across the width;
//   channelFilled  the track left of the thumb;
//   thumb          the thumb at rest;
//   thumbHover     the thumb while the pointer is over it;
//   thumbPressed   the thumb while it is dragged.
// The two track bitmaps keep their end caps (half their height at each end)
// and stretch their middle; the thumb is never scaled. Without bitmaps the
// slider draws the house look: a slim warm-grey track, the filled part in
// terracotta, and a round white thumb with a hairline.
//
// The slider never takes keyboard focus.
#pragma once

#include <wx/bitmap.h>
#include <wx/window.h>

namespace vestora {

class SkinSlider : public wxWindow {
 public:
  SkinSlider() = default;

  // Loads the five bitmap resources (0 = none; see above). False when one of
  // the non-zero ids cannot be loaded; the fallback look covers what is missing.
  bool SetBitmaps(int channel, int channelFilled, int thumb, int thumbHover, int thumbPressed);
  void SetBitmaps(const wxBitmap& channel, const wxBitmap& channelFilled, const wxBitmap& thumb,
                  const wxBitmap& thumbHover, const wxBitmap& thumbPressed);

  // Takes the rectangle of the parent's child window `placeholderId`, hides
  // that window and creates the slider in its place. False when the parent
  // has no such child.
  bool Create(long style, wxWindow* parent, wxWindowID placeholderId, wxWindowID id);
  // Creates the slider at an explicit place.
  bool Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
              long style = 0);

  // Stores both bounds (swapped when upper < lower); the position is clamped
  // into them. Repaints when `redraw`.
  void SetRange(double lower, double upper, bool redraw = true);
  // Clamps `value` to [lower, upper], stores it and returns the previous
  // position. Sends no notification. Repaints when `redraw`.
  double SetPos(double value, bool redraw = true);
  double GetPos() const { return pos_; }
  double GetLower() const { return lower_; }
  double GetUpper() const { return upper_; }
  // Where the filled part of the channel starts: the lower end (the
  // default), or a value such as 0 on a slider that goes both ways.
  void SetFillOrigin(double value) {
    fillOrigin_ = value;
    hasFillOrigin_ = true;
  }

  // The thumb rectangle in client coordinates.
  wxRect ThumbRect() const;
  // The position a thumb centred at client x would have.
  double PosFromX(int x) const;
  bool IsDragging() const { return dragging_; }

  // Draws the slider as it looks now into `dc` (client coordinates).
  void Draw(wxDC& dc) const;

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
  void onLeave(wxMouseEvent& event);
  void onCaptureLost(wxMouseCaptureLostEvent& event);
  void dragTo(int mouseX);
  void notify(wxEventType type);
  void endDrag(bool notifyRelease);
  wxSize thumbSize() const;
  void drawTrack(wxDC& dc, const wxBitmap& bitmap, const wxRect& rect,
                 const wxColour& fallback) const;

  wxBitmap channel_, channelFilled_, thumb_, thumbHover_, thumbPressed_;
  double lower_ = 0.0;
  double upper_ = 100.0;
  double pos_ = 0.0;
  double fillOrigin_ = 0.0;
  bool hasFillOrigin_ = false;
  bool dragging_ = false;
  bool thumbHot_ = false;
  int grabOffset_ = 0;  // pointer x minus thumb centre when the drag began
};

}  // namespace vestora
