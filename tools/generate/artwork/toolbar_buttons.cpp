// The seven toolbar buttons, 55 × 55, each in four states drawn on the
// toolbar strip's own colours: normal (the icon alone, as if the strip
// showed through), selected or pressed (a terracotta tile), focused, which
// also marks the panel on show (a light tile with a terracotta icon and
// underline), and hover (a teal tile).
#include "artwork/artwork_set.h"
#include "artwork/icons.h"
#include "artwork/palette.h"

namespace vestora::generate::art {

namespace {

struct ToolbarButton {
  int normal, selected, focused, hover;
  Icon icon;
  const char* caption;
};

constexpr ToolbarButton kToolbar[] = {
    {135, 314, 136, 137, Icon::Hanger, "服装"},     {138, 302, 139, 140, Icon::Sliders, "人体"},
    {141, 303, 142, 143, Icon::Landscape, "场景"},  {144, 304, 145, 146, Icon::Cart, "购物车"},
    {147, 305, 148, 149, Icon::Tag, "订单"},        {150, 306, 151, 152, Icon::Question, "帮助"},
    {153, 307, 154, 155, Icon::Storefront, "商店"},
};

constexpr int kSize = 55;
constexpr Point kIconCentre{27.5, 20.5};
constexpr double kIconSize = 24, kStroke = 1.7;
constexpr double kCaptionY = 41.5;

enum class State { Normal, Selected, Focused, Hover };

Canvas drawButton(const Fonts& fonts, const ToolbarButton& b, State state) {
  Canvas c(kSize, kSize, kSlate);
  c.background([](double, double y) { return chromeAt(kToolbarButtonTop + y); });
  const Shape tile = Shape().rect({1, 1, kSize - 1, kSize - 1}, 9);
  Colour icon = hex(0xDCE0E8), caption = kOnSlateMuted;
  switch (state) {
    case State::Normal:
      break;
    case State::Hover:
      c.fill(tile, [](double, double y) { return mix(hex(0x377C80), kHover, y / kSize); });
      icon = caption = kOnSlate;
      break;
    case State::Selected:
      c.fill(tile, [](double, double y) { return mix(hex(0xD2614A), hex(0xB94B34), y / kSize); });
      icon = caption = hex(0xFFF6F1);
      break;
    case State::Focused:
      c.fill(tile, kPanel);
      icon = kAccent;
      caption = kInk;
      c.fill(Shape().rect({20.5, 48.5, 34.5, 51}, 1.25), kAccent);
      break;
  }
  c.fill(iconShape(b.icon, kIconCentre, kIconSize, kStroke), icon);
  const bool dark = state == State::Focused;
  const TextStyle style{12, false, dark ? 1.0 : 1.3, 0.5};
  drawTextCentred(c, fonts, style, kSize / 2.0, kCaptionY, b.caption, caption);
  return c;
}

}  // namespace

void drawToolbarButtons(ArtworkSet& set) {
  for (const ToolbarButton& b : kToolbar) {
    set.bitmap(b.normal, drawButton(set.fonts(), b, State::Normal));
    set.bitmap(b.selected, drawButton(set.fonts(), b, State::Selected));
    set.bitmap(b.focused, drawButton(set.fonts(), b, State::Focused));
    set.bitmap(b.hover, drawButton(set.fonts(), b, State::Hover));
  }
}

}  // namespace vestora::generate::art
