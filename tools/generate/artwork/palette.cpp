#include "artwork/palette.h"

#include <algorithm>
#include <cmath>

namespace vestora::generate::art {

Colour chromeAt(double windowRow) {
  const int row = std::clamp(static_cast<int>(std::floor(windowRow)), 0, 146);
  if (row < 36) return mix(kSlateDeep, hex(0x31353F), row / 35.0);
  if (row == 36) return hex(0x23262D);  // the title strip's shadow on the toolbar
  if (row == 37) return hex(0x444958);  // the toolbar's lit top edge
  if (row < 146) return mix(hex(0x353946), kSlate, (row - 38) / 107.0);
  return hex(0x2A2D35);  // hairline at the toolbar's foot
}

Colour bottomStripAt(double row) {
  const int r = std::clamp(static_cast<int>(std::floor(row)), 0, kBottomHeight - 1);
  if (r == 0) return hex(0x474C5B);  // lit top edge
  return mix(hex(0x363A47), kSlateDeep, (r - 1) / 29.0);
}

}  // namespace vestora::generate::art
