// The faces of the text buttons inside the panels, drawn in the house look
// at any size: rounded, white with a hairline (a primary button in the
// accent), terracotta while pressed or selected, teal on hover, warm grey
// when disabled. Each face is drawn over the panel's warm white, so the
// buttons need no key colour.
#pragma once

#include <array>

#include <wx/bitmap.h>
#include <wx/colour.h>
#include <wx/font.h>
#include <wx/string.h>

namespace vestora {

class SkinButton;

enum class PanelButtonStyle {
  Secondary,  // white, hairline, ink text
  Primary,    // accent fill, light text
};

// The five faces in SkinButton's order: normal, selected, focused (the
// selected mark), disabled, hover.
struct PanelButtonFaces {
  std::array<wxBitmap, 5> face;
};

// Faces of `size` pixels for `label`. `icon` (0 = none) draws a small line
// picture left of the label: 1 a ruler, 2 a height arrow, 3 a curve, 4 a
// loop, 5 a tape, 6 a marker, 7 a floppy disk, 8 a person.
PanelButtonFaces MakePanelButtonFaces(const wxString& label, const wxSize& size,
                                      PanelButtonStyle style, int icon = 0);

// Gives `button` the faces and the size.
void ApplyPanelButtonFaces(SkinButton* button, const wxString& label, const wxSize& size,
                           PanelButtonStyle style = PanelButtonStyle::Secondary, int icon = 0);

// The panels' text font: WenQuanYi Micro Hei (the system's sans-serif when
// it is missing) at `pixels` pixels.
wxFont PanelFont(int pixels, bool bold = false);

}  // namespace vestora
