// CSplashScreenEx: the shaped popup picture window of the start-up splash and
// the wizard cards. A borderless, topmost frame without a taskbar entry, cut
// to the shape of its picture (every pixel differing from the key colour).
//
// Ownership: create it with `new` and never delete it. Like every wx
// top-level window it is destroyed, not deleted by the caller: Hide() (or the
// timeout) hides it and calls Destroy(), and wx frees the object shortly
// after. Do not touch the pointer after Hide(). If the owner window goes away
// first, the splash goes with it.
//
// Everything here works during a blocking start-up: Show() and every text
// change paint at once without running a general event loop (only pending
// paint and layout events of the toolkit are processed, never user input).
#pragma once

#include <wx/bitmap.h>
#include <wx/frame.h>
#include <wx/timer.h>

namespace vestora {

class CSplashScreenEx : public wxFrame {
 public:
  // Style flags (combine with |).
  static constexpr int kFadeIn = 1;      // fade in over 500 ms when shown
  static constexpr int kFadeOut = 2;     // fade out over 200 ms when hidden
  static constexpr int kDropShadow = 4;  // a shadow where the window system draws one
  static constexpr int kCentreOnScreen = 8;
  static constexpr int kCentreOnOwner = 16;

  // Text format flags (SetTextFormat); initially centre | vcentre | single line.
  static constexpr int kTextLeft = 0x0;
  static constexpr int kTextCentre = 0x1;
  static constexpr int kTextRight = 0x2;
  static constexpr int kTextTop = 0x0;
  static constexpr int kTextVCentre = 0x4;
  static constexpr int kTextBottom = 0x8;
  static constexpr int kTextSingleLine = 0x20;  // line breaks are not honoured

  static constexpr int kFadeInMs = 500;
  static constexpr int kFadeOutMs = 200;

  CSplashScreenEx();
  ~CSplashScreenEx() override;

  // Creates the (hidden) window; everything below needs it. `owner` may be
  // null; `timeoutMs` 0 = none (the window then stays until Hide()).
  bool Create(wxWindow* owner, const wxString& text = wxEmptyString, int timeoutMs = 2000,
              int styleFlags = 0);

  // Loads bitmap resource `id`, sizes the window to it, places it by the
  // centring flags and, when red, green and blue are all in 0..255, cuts the
  // window to the pixels that differ from that key colour. False when the
  // bitmap cannot be loaded (the window is then left unshaped).
  bool SetBitmap(int id, int red = -1, int green = -1, int blue = -1);
  bool SetBitmap(const wxBitmap& bitmap, int red = -1, int green = -1, int blue = -1);

  // Text font: `pointSizeTimes10` 90 = 9 pt; styleBits 1 bold, 2 italic, 4 underline.
  void SetTextFont(const wxString& face, int pointSizeTimes10, int styleBits);
  // Text rectangle in window coordinates (initially the whole picture).
  void SetTextRect(const wxRect& rect);
  void SetTextColour(const wxColour& colour);
  void SetTextFormat(int flags);
  void SetText(const wxString& text);

  // Shows the window at its computed position (fading in with kFadeIn) and
  // starts the timeout. Show(false) only hides it, as for any wx window.
  bool Show(bool show = true) override;
  // Moves the window's top left to (x, y) on the screen, then shows it.
  void ShowAt(int x, int y);
  // Fades out (kFadeOut), hides and destroys the window; see Ownership.
  void Hide();

  // The window shape: true where the picture is not key-coloured (or
  // everywhere when there is no key colour or no picture).
  bool IsInShape(int x, int y) const;
  const wxRegion& ShapeRegion() const { return shape_; }
  int StyleFlags() const { return styleFlags_; }
  const wxString& Text() const { return text_; }

  // Draws picture and text into `dc` (window coordinates); the paint routine.
  void Draw(wxDC& dc) const;

 private:
  void onPaint(wxPaintEvent& event);
  void onTimer(wxTimerEvent& event);
  void redrawNow();
  void placeByFlags();
  void fade(bool in);

  wxWindow* owner_ = nullptr;
  wxBitmap picture_;
  wxRegion shape_;
  bool shaped_ = false;
  int styleFlags_ = 0;
  int timeoutMs_ = 2000;
  wxTimer timer_;
  wxString text_;
  wxFont font_;
  wxRect textRect_;
  bool textRectSet_ = false;
  wxColour textColour_{0, 0, 0};
  int textFormat_ = kTextCentre | kTextVCentre | kTextSingleLine;
  bool hiding_ = false;
};

}  // namespace vestora
