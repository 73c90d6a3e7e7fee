// Small owner-drawn pieces of the control panel's pages: the collapsible
// section header, the value badge beside a slider, and a wrapped hint text,
// all drawn in the house look on the panel's warm white.
#pragma once

#include <functional>

#include <wx/stattext.h>
#include <wx/window.h>

namespace vestora::app {

// A header strip with a caption and a chevron; a left click toggles it.
class SectionHeader : public wxWindow {
 public:
  static constexpr int kHeight = 30;

  // A header that is not `collapsible` is a caption strip: no chevron, no click.
  SectionHeader(wxWindow* parent, const wxString& caption, bool expanded, bool collapsible = true);

  bool expanded() const { return expanded_; }
  void SetExpanded(bool expanded);
  // Called after a click has toggled the header.
  std::function<void(SectionHeader&)> onToggle;

  bool AcceptsFocus() const override { return false; }

 private:
  void onPaint(wxPaintEvent& event);
  wxString caption_;
  bool expanded_;
  bool collapsible_;
  bool hover_ = false;
};

// A small rounded badge: light text on a dark fill (the slider values on
// grey, the body-mass index on slate); an empty text leaves a faint outline.
class ValueBadge : public wxWindow {
 public:
  ValueBadge(wxWindow* parent, const wxSize& size, const wxColour& fill);

  void SetText(const wxString& text);
  const wxString& text() const { return text_; }
  void SetFill(const wxColour& fill);

  bool AcceptsFocus() const override { return false; }

 private:
  void onPaint(wxPaintEvent& event);
  wxString text_;
  wxColour fill_;
};

// Ink, muted ink and the badges' fills.
extern const wxColour kPageInk, kPageMuted, kValueGrey, kSlateFill;

// A text of the pages (UTF-8) in the panels' font at `pixels` pixels.
wxStaticText* PageText(wxWindow* parent, const char* utf8, int pixels = 13,
                       const wxColour& colour = kPageInk);

}  // namespace vestora::app
