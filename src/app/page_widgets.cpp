#include "app/page_widgets.h"

#include <memory>

#include <wx/dcbuffer.h>
#include <wx/graphics.h>

#include "app/panels.h"
#include "ui/panel_button_art.h"

namespace vestora::app {

const wxColour kPageInk(0x23, 0x26, 0x2C);
const wxColour kPageMuted(0x6E, 0x6A, 0x64);
const wxColour kValueGrey(0x73, 0x73, 0x73);
const wxColour kSlateFill(0x3A, 0x3F, 0x4D);

wxStaticText* PageText(wxWindow* parent, const char* utf8, int pixels, const wxColour& colour) {
  auto* text = new wxStaticText(parent, wxID_ANY, wxString::FromUTF8(utf8));
  text->SetFont(PanelFont(pixels));
  text->SetForegroundColour(colour);
  return text;
}

SectionHeader::SectionHeader(wxWindow* parent, const wxString& caption, bool expanded,
                             bool collapsible)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxSize(-1, kHeight), wxBORDER_NONE),
      caption_(caption),
      expanded_(expanded),
      collapsible_(collapsible) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  SetMinSize(wxSize(-1, kHeight));
  Bind(wxEVT_PAINT, &SectionHeader::onPaint, this);
  if (!collapsible_) return;
  SetCursor(wxCursor(wxCURSOR_HAND));
  Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent&) {
    expanded_ = !expanded_;
    Refresh();
    if (onToggle) onToggle(*this);
  });
  Bind(wxEVT_ENTER_WINDOW, [this](wxMouseEvent&) {
    hover_ = true;
    Refresh();
  });
  Bind(wxEVT_LEAVE_WINDOW, [this](wxMouseEvent&) {
    hover_ = false;
    Refresh();
  });
}

void SectionHeader::SetExpanded(bool expanded) {
  if (expanded == expanded_) return;
  expanded_ = expanded;
  Refresh();
}

void SectionHeader::onPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  const wxSize size = GetClientSize();
  dc.SetBackground(wxBrush(hover_ ? wxColour(0xEF, 0xEC, 0xE7) : wxColour(0xF2, 0xEF, 0xEB)));
  dc.Clear();
  dc.SetPen(wxPen(palette::kHairline));
  dc.DrawLine(0, size.y - 1, size.x, size.y - 1);
  if (expanded_) {
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(palette::kAccent));
    dc.DrawRectangle(0, 6, 3, size.y - 12);
  }
  dc.SetFont(PanelFont(14, true));
  dc.SetTextForeground(hover_ ? palette::kHover : kPageInk);
  const wxSize text = dc.GetTextExtent(caption_);
  dc.DrawText(caption_, 14, (size.y - text.y) / 2);
  if (!collapsible_) return;
  // The chevron: down while open, right while closed.
  std::unique_ptr<wxGraphicsContext> g(wxGraphicsContext::Create(dc));
  if (!g) return;
  g->SetPen(wxPen(hover_ ? palette::kHover : kPageMuted, 2));
  wxGraphicsPath p = g->CreatePath();
  const double cx = size.x - 20, cy = size.y / 2.0;
  if (expanded_) {
    p.MoveToPoint(cx - 5, cy - 2.5);
    p.AddLineToPoint(cx, cy + 2.5);
    p.AddLineToPoint(cx + 5, cy - 2.5);
  } else {
    p.MoveToPoint(cx - 2.5, cy - 5);
    p.AddLineToPoint(cx + 2.5, cy);
    p.AddLineToPoint(cx - 2.5, cy + 5);
  }
  g->StrokePath(p);
}

ValueBadge::ValueBadge(wxWindow* parent, const wxSize& size, const wxColour& fill)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, size, wxBORDER_NONE), fill_(fill) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  SetMinSize(size);
  Bind(wxEVT_PAINT, &ValueBadge::onPaint, this);
}

void ValueBadge::SetText(const wxString& text) {
  if (text == text_) return;
  text_ = text;
  Refresh();
}

void ValueBadge::SetFill(const wxColour& fill) {
  fill_ = fill;
  Refresh();
}

void ValueBadge::onPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  const wxSize size = GetClientSize();
  dc.SetBackground(wxBrush(palette::kPanel));
  dc.Clear();
  std::unique_ptr<wxGraphicsContext> g(wxGraphicsContext::Create(dc));
  if (!g) return;
  const double radius = std::min(6.0, size.y / 2.0);
  if (text_.empty()) {
    g->SetPen(wxPen(palette::kHairline, 1));
    g->SetBrush(*wxTRANSPARENT_BRUSH);
    g->DrawRoundedRectangle(0.5, 0.5, size.x - 1.0, size.y - 1.0, radius);
    return;
  }
  g->SetPen(*wxTRANSPARENT_PEN);
  g->SetBrush(wxBrush(fill_));
  g->DrawRoundedRectangle(0, 0, size.x, size.y, radius);
  g->SetFont(PanelFont(13), *wxWHITE);
  double w = 0, h = 0;
  g->GetTextExtent(text_, &w, &h);
  g->DrawText(text_, (size.x - w) / 2, (size.y - h) / 2);
}

}  // namespace vestora::app
