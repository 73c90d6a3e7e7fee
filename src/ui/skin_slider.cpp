#include "ui/skin_slider.h"

#include <algorithm>
#include <cmath>

#include <wx/dcbuffer.h>
#include <wx/dcmemory.h>

#include "ui/resource_bitmaps.h"

namespace vestora {
namespace {

const wxColour kKey(255, 0, 255);
const wxColour kTrack(0xE2, 0xDD, 0xD6);     // hairline warm grey
const wxColour kAccent(0xC8, 0x55, 0x3D);    // terracotta: filled part, pressed thumb
const wxColour kHover(0x2F, 0x6F, 0x73);     // teal
const wxColour kDisabled(0xB9, 0xB4, 0xAD);  // warm grey
const wxColour kHairline(0xB9, 0xB4, 0xAD);
constexpr int kFallbackTrackHeight = 4;

wxBitmap keyed(const wxBitmap& bitmap) {
  if (!bitmap.IsOk()) return bitmap;
  wxBitmap copy = bitmap.GetSubBitmap(wxRect(bitmap.GetSize()));
  copy.SetMask(new wxMask(copy, kKey));
  return copy;
}

}  // namespace

bool SkinSlider::SetBitmaps(int channel, int channelFilled, int thumb, int thumbHover,
                            int thumbPressed) {
  bool allLoaded = true;
  auto load = [&allLoaded](int id) {
    if (id == 0) return wxBitmap();
    wxBitmap bitmap = LoadBitmapResource(id);
    if (!bitmap.IsOk()) allLoaded = false;
    return bitmap;
  };
  // Named locals: the argument order of the call below is unspecified.
  const wxBitmap a = load(channel), b = load(channelFilled), c = load(thumb), d = load(thumbHover),
                 e = load(thumbPressed);
  SetBitmaps(a, b, c, d, e);
  return allLoaded;
}

void SkinSlider::SetBitmaps(const wxBitmap& channel, const wxBitmap& channelFilled,
                            const wxBitmap& thumb, const wxBitmap& thumbHover,
                            const wxBitmap& thumbPressed) {
  channel_ = keyed(channel);
  channelFilled_ = keyed(channelFilled);
  thumb_ = keyed(thumb);
  thumbHover_ = keyed(thumbHover);
  thumbPressed_ = keyed(thumbPressed);
  InvalidateBestSize();
  Refresh();
}

bool SkinSlider::Create(long style, wxWindow* parent, wxWindowID placeholderId, wxWindowID id) {
  if (parent == nullptr) return false;
  wxWindow* placeholder = parent->FindWindow(placeholderId);
  if (placeholder == nullptr || placeholder == parent) return false;
  wxRect rect = placeholder->GetRect();
  if (placeholder->GetParent() != parent) {
    rect.SetPosition(parent->ScreenToClient(placeholder->GetScreenPosition()));
  }
  placeholder->Hide();
  return Create(parent, id, rect.GetPosition(), rect.GetSize(), style);
}

bool SkinSlider::Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                        long style) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  if (!wxWindow::Create(parent, id, pos, size, style | wxBORDER_NONE | wxFULL_REPAINT_ON_RESIZE,
                        "skinSlider")) {
    return false;
  }
  SetCanFocus(false);
  Bind(wxEVT_PAINT, &SkinSlider::onPaint, this);
  Bind(wxEVT_LEFT_DOWN, &SkinSlider::onLeftDown, this);
  Bind(wxEVT_LEFT_DCLICK, &SkinSlider::onLeftDown, this);
  Bind(wxEVT_LEFT_UP, &SkinSlider::onLeftUp, this);
  Bind(wxEVT_MOTION, &SkinSlider::onMotion, this);
  Bind(wxEVT_LEAVE_WINDOW, &SkinSlider::onLeave, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, &SkinSlider::onCaptureLost, this);
  return true;
}

void SkinSlider::SetRange(double lower, double upper, bool redraw) {
  if (upper < lower) std::swap(lower, upper);
  lower_ = lower;
  upper_ = upper;
  pos_ = std::clamp(pos_, lower_, upper_);
  if (redraw) Refresh();
}

double SkinSlider::SetPos(double value, bool redraw) {
  const double previous = pos_;
  pos_ = std::isnan(value) ? lower_ : std::clamp(value, lower_, upper_);
  if (redraw) Refresh();
  return previous;
}

wxSize SkinSlider::thumbSize() const {
  if (thumb_.IsOk()) return thumb_.GetSize();
  const int diameter = std::clamp(GetClientSize().y - 4, 10, 16);
  return wxSize(diameter, diameter);
}

wxRect SkinSlider::ThumbRect() const {
  const wxSize client = GetClientSize();
  const wxSize thumb = thumbSize();
  const int travel = std::max(0, client.x - thumb.x);
  const double range = upper_ - lower_;
  const double fraction = range > 0.0 ? (pos_ - lower_) / range : 0.0;
  const int x = static_cast<int>(std::lround(fraction * travel));
  return wxRect(wxPoint(x, (client.y - thumb.y) / 2), thumb);
}

double SkinSlider::PosFromX(int x) const {
  const int thumbWidth = thumbSize().x;
  const int travel = GetClientSize().x - thumbWidth;
  if (travel <= 0) return lower_;
  const double fraction = std::clamp((x - thumbWidth / 2.0) / travel, 0.0, 1.0);
  return lower_ + fraction * (upper_ - lower_);
}

wxSize SkinSlider::DoGetBestClientSize() const {
  const wxSize thumb = thumbSize();
  int height = thumb.y;
  if (channel_.IsOk()) height = std::max(height, channel_.GetHeight());
  return wxSize(100, std::max(height, 16));
}

// A track bitmap across `rect`: its end caps (half its height each) crisp,
// its middle stretched.
void SkinSlider::drawTrack(wxDC& dc, const wxBitmap& bitmap, const wxRect& rect,
                           const wxColour& fallback) const {
  if (rect.width <= 0) return;
  if (!bitmap.IsOk()) {
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(fallback));
    dc.DrawRoundedRectangle(rect, rect.height / 2.0);
    return;
  }
  wxMemoryDC source;
  source.SelectObjectAsSource(bitmap);
  const int bw = bitmap.GetWidth();
  const int bh = bitmap.GetHeight();
  const int cap = std::min(bh / 2, bw / 2);
  const int y = rect.y;
  if (rect.width <= 2 * cap) {
    dc.StretchBlit(rect.x, y, rect.width, bh, &source, 0, 0, bw, bh, wxCOPY, true);
    return;
  }
  dc.Blit(rect.x, y, cap, bh, &source, 0, 0, wxCOPY, true);
  dc.StretchBlit(rect.x + cap, y, rect.width - 2 * cap, bh, &source, cap, 0, bw - 2 * cap, bh,
                 wxCOPY, true);
  dc.Blit(rect.GetRight() + 1 - cap, y, cap, bh, &source, bw - cap, 0, wxCOPY, true);
}

void SkinSlider::Draw(wxDC& dc) const {
  const wxSize client = GetClientSize();
  const wxRect thumb = ThumbRect();
  const int centreX = thumb.x + thumb.width / 2;
  const bool enabled = IsEnabled();

  const int trackHeight = channel_.IsOk() ? channel_.GetHeight() : kFallbackTrackHeight;
  const wxRect track(0, (client.y - trackHeight) / 2, client.x, trackHeight);
  drawTrack(dc, channel_, track, kTrack);
  const int filledHeight = channelFilled_.IsOk() ? channelFilled_.GetHeight() : trackHeight;
  int fillStart = 0;
  if (hasFillOrigin_ && upper_ > lower_) {
    const int travel = std::max(0, client.x - thumb.width);
    const double fraction = std::clamp((fillOrigin_ - lower_) / (upper_ - lower_), 0.0, 1.0);
    fillStart = static_cast<int>(std::lround(fraction * travel)) + thumb.width / 2;
  }
  const int fillLeft = std::min(fillStart, centreX), fillRight = std::max(fillStart, centreX);
  const wxRect filled(fillLeft, (client.y - filledHeight) / 2, std::max(0, fillRight - fillLeft),
                      filledHeight);
  drawTrack(dc, channelFilled_, filled, enabled ? kAccent : kDisabled);

  const wxBitmap* bitmap = &thumb_;
  if (dragging_ && thumbPressed_.IsOk()) {
    bitmap = &thumbPressed_;
  } else if (thumbHot_ && !dragging_ && thumbHover_.IsOk()) {
    bitmap = &thumbHover_;
  }
  if (bitmap->IsOk()) {
    dc.DrawBitmap(*bitmap, thumb.GetPosition(), true);
    return;
  }
  // The house thumb: round, white, with a hairline that turns teal on hover
  // and terracotta while dragged.
  wxColour ring = kHairline;
  int ringWidth = 1;
  if (!enabled) {
    ring = kDisabled;
  } else if (dragging_) {
    ring = kAccent;
    ringWidth = 2;
  } else if (thumbHot_) {
    ring = kHover;
  }
  dc.SetPen(wxPen(ring, ringWidth));
  dc.SetBrush(*wxWHITE_BRUSH);
  const double radius = (std::min(thumb.width, thumb.height) - ringWidth) / 2.0;
  dc.DrawCircle(thumb.x + thumb.width / 2, thumb.y + thumb.height / 2,
                static_cast<int>(std::floor(radius)));
}

void SkinSlider::onPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  Draw(dc);
}

void SkinSlider::onLeftDown(wxMouseEvent& event) {
  if (!IsEnabled()) return;
  const wxRect thumb = ThumbRect();
  const int x = event.GetX();
  if (!HasCapture()) CaptureMouse();
  dragging_ = true;
  if (thumb.Contains(event.GetPosition())) {
    grabOffset_ = x - (thumb.x + thumb.width / 2);
    Refresh();
  } else {
    // A press on the track jumps the thumb there and drags from its centre.
    grabOffset_ = 0;
    Refresh();
    dragTo(x);
  }
}

void SkinSlider::onMotion(wxMouseEvent& event) {
  if (dragging_) {
    dragTo(event.GetX());
    return;
  }
  const bool hot = ThumbRect().Contains(event.GetPosition());
  if (hot != thumbHot_) {
    thumbHot_ = hot;
    Refresh();
  }
  event.Skip();
}

void SkinSlider::onLeftUp(wxMouseEvent& event) {
  if (!dragging_) return;
  thumbHot_ = ThumbRect().Contains(event.GetPosition());
  endDrag(true);
}

void SkinSlider::onLeave(wxMouseEvent& event) {
  if (thumbHot_ && !dragging_) {
    thumbHot_ = false;
    Refresh();
  }
  event.Skip();
}

void SkinSlider::onCaptureLost(wxMouseCaptureLostEvent&) {
  endDrag(true);
}

void SkinSlider::dragTo(int mouseX) {
  const double pos = PosFromX(mouseX - grabOffset_);
  if (pos == pos_) return;
  pos_ = pos;
  Refresh();
  if (IsShownOnScreen()) Update();
  notify(wxEVT_SCROLL_THUMBTRACK);
}

void SkinSlider::endDrag(bool notifyRelease) {
  if (!dragging_) return;
  dragging_ = false;
  if (HasCapture()) ReleaseMouse();
  Refresh();
  if (notifyRelease) notify(wxEVT_SCROLL_THUMBRELEASE);
}

void SkinSlider::notify(wxEventType type) {
  wxScrollEvent event(type, GetId(), static_cast<int>(std::lround(pos_)), wxHORIZONTAL);
  event.SetEventObject(this);
  ProcessWindowEvent(event);
}

}  // namespace vestora
