// The pages of the program's help document, drawn like the rest of the
// artwork: A4 portrait at 150 dpi, a cover and one page for each part of
// the program, each with a slate header band, running text in ink on warm
// white, small line pictures and its page number at the foot.
#pragma once

#include "artwork/raster.h"
#include "artwork/text.h"

namespace vestora::generate::art {

// A4 (210 × 297 mm) at 150 dpi, in pixels.
inline constexpr int kHelpPageWidth = 1240, kHelpPageHeight = 1754;

// The document's title, as its file names it.
inline constexpr const char* kHelpTitle = "澄镜衣坊帮助文件";

int helpPageCount();

// Page `index`, 0 (the cover) to helpPageCount() - 1. Throws
// std::out_of_range for any other index, and std::logic_error when a page's
// content does not fit on it.
Canvas drawHelpPage(const Fonts& fonts, int index);

}  // namespace vestora::generate::art
