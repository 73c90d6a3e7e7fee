#include "ui/splash_screen.h"

#include <algorithm>

#include <wx/dcbuffer.h>
#include <wx/display.h>
#include <wx/evtloop.h>
#include <wx/settings.h>
#include <wx/utils.h>

#include "ui/resource_bitmaps.h"

namespace vestora {
namespace {

constexpr int kFadeStepMs = 20;
// The slate of the title strip, for a splash without a picture.
const wxColour kSlate(0x2B, 0x2F, 0x3A);

// Lets the toolkit map and expose a window that was just shown, processing
// only paint and layout events: user input stays queued for later, so this
// is safe in the middle of a blocking start-up.
void settleWindow() {
  wxEventLoopBase* active = wxEventLoopBase::GetActive();
  if (active != nullptr) {
    if (!active->IsYielding()) active->YieldFor(wxEVT_CATEGORY_UI);
    return;
  }
  wxGUIEventLoop loop;
  loop.YieldFor(wxEVT_CATEGORY_UI);
}

bool validChannel(int value) {
  return value >= 0 && value <= 255;
}

}  // namespace

CSplashScreenEx::CSplashScreenEx() = default;

CSplashScreenEx::~CSplashScreenEx() {
  timer_.Stop();
}

bool CSplashScreenEx::Create(wxWindow* owner, const wxString& text, int timeoutMs, int styleFlags) {
  owner_ = owner;
  text_ = text;
  timeoutMs_ = std::max(0, timeoutMs);
  styleFlags_ = styleFlags;
  font_ = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);

  SetBackgroundStyle(wxBG_STYLE_PAINT);
  const long style =
      wxFRAME_SHAPED | wxBORDER_NONE | wxSTAY_ON_TOP | wxFRAME_NO_TASKBAR | wxFRAME_TOOL_WINDOW;
  if (!wxFrame::Create(owner, wxID_ANY, wxEmptyString, wxDefaultPosition, wxSize(1, 1), style,
                       "SplashScreenExClass")) {
    return false;
  }
  // kDropShadow: X11 window managers draw (or do not draw) shadows by their
  // own rules; there is nothing to ask for, so the flag is accepted and has
  // no further effect.
  timer_.SetOwner(this);
  Bind(wxEVT_PAINT, &CSplashScreenEx::onPaint, this);
  Bind(wxEVT_TIMER, &CSplashScreenEx::onTimer, this, timer_.GetId());
  return true;
}

bool CSplashScreenEx::SetBitmap(int id, int red, int green, int blue) {
  const wxBitmap bitmap = LoadBitmapResource(id);
  return SetBitmap(bitmap, red, green, blue);
}

bool CSplashScreenEx::SetBitmap(const wxBitmap& bitmap, int red, int green, int blue) {
  if (!bitmap.IsOk() || GetHandle() == nullptr) return false;
  picture_ = bitmap;
  SetSize(bitmap.GetSize());
  SetClientSize(bitmap.GetSize());
  placeByFlags();
  if (validChannel(red) && validChannel(green) && validChannel(blue)) {
    shape_ = wxRegion(bitmap, wxColour(red, green, blue));
    shaped_ = true;
    SetShape(shape_);
  } else if (shaped_) {
    shape_ = wxRegion();
    shaped_ = false;
    SetShape(wxRegion());
  }
  redrawNow();
  return true;
}

void CSplashScreenEx::SetTextFont(const wxString& face, int pointSizeTimes10, int styleBits) {
  const double points =
      pointSizeTimes10 > 0 ? pointSizeTimes10 / 10.0 : font_.GetFractionalPointSize();
  wxFontInfo info(points);
  if (!face.empty()) info.FaceName(face);
  info.Bold((styleBits & 1) != 0).Italic((styleBits & 2) != 0).Underlined((styleBits & 4) != 0);
  font_ = wxFont(info);
  redrawNow();
}

void CSplashScreenEx::SetTextRect(const wxRect& rect) {
  textRect_ = rect;
  textRectSet_ = true;
  redrawNow();
}

void CSplashScreenEx::SetTextColour(const wxColour& colour) {
  textColour_ = colour;
  redrawNow();
}

void CSplashScreenEx::SetTextFormat(int flags) {
  textFormat_ = flags;
  redrawNow();
}

void CSplashScreenEx::SetText(const wxString& text) {
  text_ = text;
  redrawNow();
}

bool CSplashScreenEx::IsInShape(int x, int y) const {
  const wxSize size = picture_.IsOk() ? picture_.GetSize() : GetClientSize();
  if (x < 0 || y < 0 || x >= size.x || y >= size.y) return false;
  return !shaped_ || shape_.Contains(x, y) == wxInRegion;
}

void CSplashScreenEx::Draw(wxDC& dc) const {
  const wxSize size = picture_.IsOk() ? picture_.GetSize() : GetClientSize();
  if (picture_.IsOk()) {
    dc.DrawBitmap(picture_, 0, 0, false);
  } else {
    dc.SetBrush(wxBrush(kSlate));
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.DrawRectangle(wxRect(size));
  }
  if (text_.empty()) return;

  wxString text = text_;
  if (textFormat_ & kTextSingleLine) {
    text.Replace("\r\n", " ");
    text.Replace("\n", " ");
  }
  int align = wxALIGN_LEFT;
  if (textFormat_ & kTextCentre) {
    align = wxALIGN_CENTRE_HORIZONTAL;
  } else if (textFormat_ & kTextRight) {
    align = wxALIGN_RIGHT;
  }
  if (textFormat_ & kTextVCentre) {
    align |= wxALIGN_CENTRE_VERTICAL;
  } else if (textFormat_ & kTextBottom) {
    align |= wxALIGN_BOTTOM;
  }
  const wxRect area = textRectSet_ ? textRect_ : wxRect(size);
  dc.SetFont(font_);
  dc.SetTextForeground(textColour_);
  dc.SetBackgroundMode(wxTRANSPARENT);
  wxDCClipper clip(dc, area);
  dc.DrawLabel(text, area, align);
}

void CSplashScreenEx::onPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  Draw(dc);
}

void CSplashScreenEx::redrawNow() {
  if (!IsShown()) return;
  Refresh(false);
  Update();
}

void CSplashScreenEx::placeByFlags() {
  const wxSize size = GetSize();
  if (styleFlags_ & kCentreOnScreen) {
    int display = owner_ != nullptr ? wxDisplay::GetFromWindow(owner_) : wxNOT_FOUND;
    if (display == wxNOT_FOUND) display = 0;
    const wxRect area = wxDisplay(static_cast<unsigned>(display)).GetClientArea();
    Move(area.x + (area.width - size.x) / 2, area.y + (area.height - size.y) / 2);
  } else if ((styleFlags_ & kCentreOnOwner) && owner_ != nullptr) {
    const wxRect area = owner_->GetScreenRect();
    Move(area.x + (area.width - size.x) / 2, area.y + (area.height - size.y) / 2);
  }
}

bool CSplashScreenEx::Show(bool show) {
  if (GetHandle() == nullptr) return false;  // Create() was not called or failed
  if (!show) return wxFrame::Show(false);
  placeByFlags();
  const bool fadeIn = (styleFlags_ & kFadeIn) != 0 && CanSetTransparent();
  if (fadeIn) SetTransparent(0);
  const bool changed = wxFrame::Show(true);
  Raise();
  settleWindow();
  redrawNow();
  if (fadeIn) fade(true);
  if (timeoutMs_ > 0) timer_.StartOnce(timeoutMs_);
  return changed;
}

void CSplashScreenEx::ShowAt(int x, int y) {
  // The centring flags place the window only in Show(); here the caller does.
  const int flags = styleFlags_;
  styleFlags_ &= ~(kCentreOnScreen | kCentreOnOwner);
  Move(x, y);
  Show(true);
  styleFlags_ = flags;
}

void CSplashScreenEx::Hide() {
  if (hiding_) return;
  hiding_ = true;
  timer_.Stop();
  if (GetHandle() != nullptr) {
    if ((styleFlags_ & kFadeOut) && IsShown() && CanSetTransparent()) fade(false);
    wxFrame::Show(false);
  }
  Destroy();
}

void CSplashScreenEx::onTimer(wxTimerEvent&) {
  Hide();
}

// A short blocking animation of the window's opacity (the toolkit can do it
// only where a compositing manager runs; elsewhere the window just shows).
void CSplashScreenEx::fade(bool in) {
  const int duration = in ? kFadeInMs : kFadeOutMs;
  const int steps = std::max(1, duration / kFadeStepMs);
  for (int step = 1; step <= steps; ++step) {
    const int alpha = 255 * step / steps;
    if (!SetTransparent(static_cast<wxByte>(in ? alpha : 255 - alpha))) return;
    Update();
    wxMilliSleep(kFadeStepMs);
  }
}

}  // namespace vestora
