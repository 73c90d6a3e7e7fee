// SkinProgress: the download progress bar (control 1103 of the main window):
// a background bitmap over the whole client area and the bar bitmap over the
// filled part. The fill follows
//   percent = (pos - lower) * 100 / (upper - lower), truncated,
//   filled width = client width * percent / 100, at most client width - 1.
// Position changes paint at once, so the bar moves during blocking work.
#pragma once

#include <wx/bitmap.h>
#include <wx/window.h>

namespace vestora {

class SkinProgress : public wxWindow {
 public:
  // How the two bitmaps cover their rectangles.
  enum class Mode {
    Stretch,  // each bitmap is stretched over its rectangle
    Tile,     // each bitmap is repeated across its rectangle
    Clip,     // the bar bitmap is stretched to the full width and shown only
              // over the filled part (the bar is revealed, not squeezed)
  };

  SkinProgress() = default;
  SkinProgress(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
               const wxSize& size = wxDefaultSize);
  bool Create(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
              const wxSize& size = wxDefaultSize);

  // Bitmap resources; false when either cannot be loaded (a flat fallback in
  // the palette is drawn for a missing one).
  bool SetBitmaps(int bar, int background, Mode mode = Mode::Clip);
  void SetBitmaps(const wxBitmap& bar, const wxBitmap& background, Mode mode = Mode::Clip);

  // Bounds (initially 0 and 100). The position is clamped into them.
  void SetRange(int lower, int upper);
  // Returns the previous step (initially 10).
  int SetStep(int step);
  // Returns the previous position; the position is clamped to the range.
  int SetPos(int pos);
  // Advances by the step; past the upper bound it starts again from the lower
  // bound. Returns the previous position.
  int StepIt();

  int GetPos() const { return pos_; }
  int GetLower() const { return lower_; }
  int GetUpper() const { return upper_; }
  // 0..100 by the rule above; 0 when the range is empty (upper == lower).
  int Percent() const;
  // The filled width for a client width of `clientWidth` pixels.
  int FilledWidth(int clientWidth) const;

  // Draws into `dc` as if the client area were `size`.
  void Draw(wxDC& dc, const wxSize& size) const;

  bool AcceptsFocus() const override { return false; }

 private:
  void onPaint(wxPaintEvent& event);
  void repaintNow();

  wxBitmap bar_;
  wxBitmap background_;
  Mode mode_ = Mode::Clip;
  int lower_ = 0;
  int upper_ = 100;
  int step_ = 10;
  int pos_ = 0;
};

}  // namespace vestora
