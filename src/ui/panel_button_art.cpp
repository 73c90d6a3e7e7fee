#include "ui/panel_button_art.h"

#include <cmath>
#include <memory>

#include <wx/dcmemory.h>
#include <wx/graphics.h>

#include "ui/skin_button.h"

namespace vestora {
namespace {

const wxColour kPanel(0xF7, 0xF5, 0xF2);
const wxColour kHairline(0xD3, 0xCC, 0xC2);
const wxColour kInk(0x23, 0x26, 0x2C);
const wxColour kAccent(0xC8, 0x55, 0x3D);
const wxColour kAccentDark(0xA8, 0x43, 0x2E);
const wxColour kHover(0x2F, 0x6F, 0x73);
const wxColour kDisabled(0xB9, 0xB4, 0xAD);
const wxColour kLight(0xFF, 0xF8, 0xF4);

enum class State { Normal, Selected, Disabled, Hover };

void drawIcon(wxGraphicsContext& g, int icon, double x, double cy, const wxColour& ink) {
  g.SetPen(wxPen(ink, 1));
  g.SetBrush(*wxTRANSPARENT_BRUSH);
  wxGraphicsPath p = g.CreatePath();
  switch (icon) {
    case 1:  // a ruler laid aslant
      p.MoveToPoint(x, cy + 4);
      p.AddLineToPoint(x + 12, cy - 6);
      p.AddLineToPoint(x + 14, cy - 3);
      p.AddLineToPoint(x + 2, cy + 7);
      p.CloseSubpath();
      for (int k = 1; k < 4; ++k) {
        p.MoveToPoint(x + 3 * k, cy + 4 - 2.5 * k);
        p.AddLineToPoint(x + 3 * k + 1.2, cy + 5.5 - 2.5 * k);
      }
      break;
    case 2:  // a vertical arrow between two levels
      p.MoveToPoint(x + 1, cy - 7);
      p.AddLineToPoint(x + 13, cy - 7);
      p.MoveToPoint(x + 1, cy + 7);
      p.AddLineToPoint(x + 13, cy + 7);
      p.MoveToPoint(x + 7, cy - 6);
      p.AddLineToPoint(x + 7, cy + 6);
      p.MoveToPoint(x + 4.5, cy - 3);
      p.AddLineToPoint(x + 7, cy - 6);
      p.AddLineToPoint(x + 9.5, cy - 3);
      p.MoveToPoint(x + 4.5, cy + 3);
      p.AddLineToPoint(x + 7, cy + 6);
      p.AddLineToPoint(x + 9.5, cy + 3);
      break;
    case 3:  // a curve over a surface
      p.MoveToPoint(x, cy + 5);
      p.AddCurveToPoint(x + 4, cy - 8, x + 10, cy + 8, x + 14, cy - 5);
      break;
    case 4:  // a loop round a limb
      p.AddEllipse(x, cy - 4, 14, 8);
      p.MoveToPoint(x + 4, cy - 8);
      p.AddLineToPoint(x + 4, cy + 8);
      p.MoveToPoint(x + 10, cy - 8);
      p.AddLineToPoint(x + 10, cy + 8);
      break;
    case 5:  // a tape measure
      p.AddCircle(x + 6, cy, 6);
      p.AddCircle(x + 6, cy, 2);
      p.MoveToPoint(x + 6, cy + 6);
      p.AddLineToPoint(x + 15, cy + 6);
      break;
    case 6:  // a marker pin
      p.AddCircle(x + 7, cy - 2, 4);
      p.MoveToPoint(x + 7, cy + 2);
      p.AddLineToPoint(x + 7, cy + 8);
      break;
    case 7:  // a floppy disk
      p.AddRectangle(x + 1, cy - 7, 13, 14);
      p.AddRectangle(x + 4, cy - 7, 7, 5);
      p.AddRectangle(x + 4, cy + 1, 7, 6);
      break;
    case 8:  // a person with a tape round the waist
      p.AddCircle(x + 7, cy - 6, 2.5);
      p.MoveToPoint(x + 7, cy - 3);
      p.AddLineToPoint(x + 7, cy + 4);
      p.AddLineToPoint(x + 4, cy + 9);
      p.MoveToPoint(x + 7, cy + 4);
      p.AddLineToPoint(x + 10, cy + 9);
      p.MoveToPoint(x + 3, cy - 1);
      p.AddLineToPoint(x + 11, cy - 1);
      break;
    default:
      return;
  }
  g.StrokePath(p);
}

wxBitmap drawFace(const wxString& label, const wxSize& size, PanelButtonStyle style, int icon,
                  State state) {
  wxBitmap bitmap(size.x, size.y, 24);
  wxMemoryDC dc(bitmap);
  dc.SetBackground(wxBrush(kPanel));
  dc.Clear();
  std::unique_ptr<wxGraphicsContext> g(wxGraphicsContext::Create(dc));
  if (!g) return bitmap;
  g->SetAntialiasMode(wxANTIALIAS_DEFAULT);
  const bool primary = style == PanelButtonStyle::Primary;
  wxColour fill = *wxWHITE, edge = kHairline, ink = kInk;
  switch (state) {
    case State::Normal:
      if (primary) fill = kAccent, edge = kAccent, ink = kLight;
      break;
    case State::Selected:
      fill = primary ? kAccentDark : kAccent;
      edge = fill;
      ink = kLight;
      break;
    case State::Hover:
      if (primary) {
        fill = kHover, edge = kHover, ink = kLight;
      } else {
        edge = kHover, ink = kHover;
      }
      break;
    case State::Disabled:
      fill = wxColour(0xF1, 0xEE, 0xEA);
      edge = wxColour(0xE2, 0xDD, 0xD6);
      ink = kDisabled;
      break;
  }
  const double radius = std::min(5.0, size.y / 2.0 - 1);
  g->SetPen(wxPen(edge, 1));
  g->SetBrush(wxBrush(fill));
  g->DrawRoundedRectangle(0.5, 0.5, size.x - 1.0, size.y - 1.0, radius);

  g->SetFont(PanelFont(13, primary), ink);
  double textWidth = 0, textHeight = 0;
  g->GetTextExtent(label, &textWidth, &textHeight);
  const double iconWidth = icon ? 20 : 0;
  const double left = (size.x - textWidth - iconWidth) / 2;
  if (icon) drawIcon(*g, icon, std::round(left) + 0.5, std::round(size.y / 2.0) + 0.5, ink);
  g->DrawText(label, left + iconWidth, (size.y - textHeight) / 2);
  g.reset();
  dc.SelectObject(wxNullBitmap);
  return bitmap;
}

}  // namespace

wxFont PanelFont(int pixels, bool bold) {
  wxFont font(wxFontInfo(wxSize(0, pixels)).FaceName("WenQuanYi Micro Hei").Bold(bold));
  if (!font.IsOk())
    font = wxFont(wxFontInfo(wxSize(0, pixels)).Family(wxFONTFAMILY_SWISS).Bold(bold));
  return font;
}

PanelButtonFaces MakePanelButtonFaces(const wxString& label, const wxSize& size,
                                      PanelButtonStyle style, int icon) {
  PanelButtonFaces faces;
  faces.face[0] = drawFace(label, size, style, icon, State::Normal);
  faces.face[1] = drawFace(label, size, style, icon, State::Selected);
  faces.face[2] = faces.face[1];
  faces.face[3] = drawFace(label, size, style, icon, State::Disabled);
  faces.face[4] = drawFace(label, size, style, icon, State::Hover);
  return faces;
}

void ApplyPanelButtonFaces(SkinButton* button, const wxString& label, const wxSize& size,
                           PanelButtonStyle style, int icon) {
  const PanelButtonFaces faces = MakePanelButtonFaces(label, size, style, icon);
  button->LoadBitmaps(faces.face[0], faces.face[1], faces.face[2], faces.face[3]);
  button->SetHoverBitmap(faces.face[4]);
  button->SetSize(size);
  button->SetMinSize(size);
}

}  // namespace vestora
