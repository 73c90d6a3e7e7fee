// The program's line icons, drawn on a 24-unit grid and scaled to any size:
// toolbar (hanger, sliders, landscape, cart, tag, question mark,
// storefront), browser (home, back, forward, refresh, stop), and the small
// ones of the view and the bottom strip.
#pragma once

#include "artwork/raster.h"

namespace vestora::generate::art {

enum class Icon {
  Hanger,
  Sliders,
  Landscape,
  Cart,
  Tag,
  Question,
  Storefront,
  Home,
  Back,
  Forward,
  Refresh,
  Stop,
  Clock,
  Rotate,
  ChevronLeft,
  ChevronRight,
};

// The icon centred on `centre`, `size` pixels across, with strokes `stroke`
// pixels wide.
Shape iconShape(Icon icon, Point centre, double size, double stroke);

// A filled arrow head with its tip at `tip`, pointing along (dx, dy),
// `length` long and as wide.
void addArrowHead(Shape& shape, Point tip, double dx, double dy, double length);

}  // namespace vestora::generate::art
