#include "ui/skin_progress.h"

#include <algorithm>

#include <wx/dcbuffer.h>
#include <wx/dcmemory.h>

#include "ui/resource_bitmaps.h"

namespace vestora {
namespace {

const wxColour kTrack(0xE2, 0xDD, 0xD6);   // hairline warm grey
const wxColour kAccent(0xC8, 0x55, 0x3D);  // terracotta

// Covers `area` with `bitmap`, stretched or repeated.
void cover(wxDC& dc, const wxBitmap& bitmap, const wxRect& area, bool tile) {
  if (area.IsEmpty()) return;
  wxMemoryDC source;
  source.SelectObjectAsSource(bitmap);
  const wxSize size = bitmap.GetSize();
  if (tile) {
    for (int y = area.y; y < area.GetBottom() + 1; y += size.y) {
      for (int x = area.x; x < area.GetRight() + 1; x += size.x) {
        const int w = std::min(size.x, area.GetRight() + 1 - x);
        const int h = std::min(size.y, area.GetBottom() + 1 - y);
        dc.Blit(x, y, w, h, &source, 0, 0);
      }
    }
  } else {
    dc.StretchBlit(area.x, area.y, area.width, area.height, &source, 0, 0, size.x, size.y);
  }
}

}  // namespace

SkinProgress::SkinProgress(wxWindow* parent, wxWindowID id, const wxPoint& pos,
                           const wxSize& size) {
  Create(parent, id, pos, size);
}

bool SkinProgress::Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  if (!wxWindow::Create(parent, id, pos, size, wxBORDER_NONE | wxFULL_REPAINT_ON_RESIZE,
                        "skinProgress")) {
    return false;
  }
  SetCanFocus(false);
  Bind(wxEVT_PAINT, &SkinProgress::onPaint, this);
  return true;
}

bool SkinProgress::SetBitmaps(int bar, int background, Mode mode) {
  const wxBitmap barBitmap = LoadBitmapResource(bar);
  const wxBitmap backgroundBitmap = LoadBitmapResource(background);
  SetBitmaps(barBitmap, backgroundBitmap, mode);
  return barBitmap.IsOk() && backgroundBitmap.IsOk();
}

void SkinProgress::SetBitmaps(const wxBitmap& bar, const wxBitmap& background, Mode mode) {
  bar_ = bar;
  background_ = background;
  mode_ = mode;
  Refresh();
}

void SkinProgress::SetRange(int lower, int upper) {
  lower_ = lower;
  upper_ = upper;
  pos_ = std::clamp(pos_, std::min(lower_, upper_), std::max(lower_, upper_));
  repaintNow();
}

int SkinProgress::SetStep(int step) {
  const int previous = step_;
  step_ = step;
  return previous;
}

int SkinProgress::SetPos(int pos) {
  const int previous = pos_;
  pos_ = std::clamp(pos, std::min(lower_, upper_), std::max(lower_, upper_));
  if (pos_ != previous) repaintNow();
  return previous;
}

int SkinProgress::StepIt() {
  const int previous = pos_;
  const long long next = static_cast<long long>(pos_) + step_;
  const int low = std::min(lower_, upper_);
  const int high = std::max(lower_, upper_);
  pos_ = (next > high || next < low) ? lower_ : static_cast<int>(next);
  if (pos_ != previous) repaintNow();
  return previous;
}

int SkinProgress::Percent() const {
  if (upper_ == lower_) return 0;
  const long long percent =
      (static_cast<long long>(pos_) - lower_) * 100 / (static_cast<long long>(upper_) - lower_);
  return static_cast<int>(std::clamp(percent, 0LL, 100LL));
}

int SkinProgress::FilledWidth(int clientWidth) const {
  if (clientWidth <= 0) return 0;
  const long long width = static_cast<long long>(clientWidth) * Percent() / 100;
  return static_cast<int>(std::min<long long>(width, clientWidth - 1));
}

void SkinProgress::Draw(wxDC& dc, const wxSize& size) const {
  const wxRect all(size);
  if (background_.IsOk()) {
    cover(dc, background_, all, mode_ == Mode::Tile);
  } else {
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(kTrack));
    dc.DrawRectangle(all);
  }

  const int filled = FilledWidth(size.x);
  if (filled <= 0) return;
  const wxRect part(0, 0, filled, size.y);
  if (!bar_.IsOk()) {
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(kAccent));
    dc.DrawRectangle(part);
    return;
  }
  switch (mode_) {
    case Mode::Stretch:
      cover(dc, bar_, part, false);
      break;
    case Mode::Tile:
      cover(dc, bar_, part, true);
      break;
    case Mode::Clip: {
      wxDCClipper clip(dc, part);
      cover(dc, bar_, all, false);
      break;
    }
  }
}

void SkinProgress::onPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  Draw(dc, GetClientSize());
}

// Progress moves during blocking work (loading a garment), so it paints at once.
void SkinProgress::repaintNow() {
  Refresh(false);
  if (IsShownOnScreen()) Update();
}

}  // namespace vestora
