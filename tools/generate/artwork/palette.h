// The program's look: its colours, and the vertical colour profiles of the
// window's strips, which every piece drawn on a strip takes its background
// from so that pieces and buttons join without a seam.
#pragma once

#include "artwork/raster.h"

namespace vestora::generate::art {

inline constexpr Colour kSlateDeep = hex(0x2B2F3A);     // top of the title strip
inline constexpr Colour kSlate = hex(0x3A3F4D);         // bottom of the toolbar strip
inline constexpr Colour kPanel = hex(0xF7F5F2);         // panels, cards: warm white
inline constexpr Colour kHairline = hex(0xE2DDD6);      // hairlines on warm white
inline constexpr Colour kInk = hex(0x23262C);           // text
inline constexpr Colour kAccent = hex(0xC8553D);        // selected and pressed: terracotta
inline constexpr Colour kHover = hex(0x2F6F73);         // hover: teal
inline constexpr Colour kDisabled = hex(0xB9B4AD);      // disabled: warm grey
inline constexpr Colour kBody = hex(0xEFECE7);          // the window's body, behind view and panels
inline constexpr Colour kViewEdge = hex(0xD5D0C8);      // the hairline round the 3D view
inline constexpr Colour kOnSlate = hex(0xF3EFE9);       // light text and icons on slate
inline constexpr Colour kOnSlateMuted = hex(0xB4BAC7);  // quieter text and icons on slate
inline constexpr Colour kInkMuted = hex(0x6E6A66);      // quieter text on warm white
inline constexpr Colour kAccentLight = hex(0xF4DED7);   // terracotta tint
inline constexpr Colour kHoverLight = hex(0xD9E9E8);    // teal tint
inline constexpr Colour kWarmFill = hex(0xEDE6DD);      // soft fills in pictures
inline constexpr Colour kWhite = hex(0xFFFFFF);
inline constexpr Colour kMagenta = hex(0xFF00FF);

// Window geometry the strips are drawn for (pixels).
inline constexpr int kTitleHeight = 37;
inline constexpr int kToolbarTop = 37, kToolbarHeight = 110;
inline constexpr int kToolbarButtonTop = 59;  // toolbar buttons' y in the window
inline constexpr int kBannerTop = 116;        // the banner's y in the window
inline constexpr int kBottomHeight = 31, kBandHeight = 6;

// Title and toolbar strips, by window row 0 to 146: one slate gradient,
// darker in the title, with a shadow line between them and a hairline at
// the toolbar's foot.
Colour chromeAt(double windowRow);
// The bottom strip, by its own row 0 to 30.
Colour bottomStripAt(double row);

}  // namespace vestora::generate::art
