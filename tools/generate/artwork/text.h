// Text for the UI artwork, rasterised with FreeType: Latin letters from the
// Latin face, Chinese characters and Chinese punctuation from the CJK face,
// mixed on one baseline. Glyphs are hinted lightly (vertical only),
// anti-aliased and placed at quarter-pixel steps along the line, so letters
// keep their designed spacing; the same text gives the same pixels on every
// run.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "artwork/raster.h"

namespace vestora::generate::art {

// Font files: the Latin regular and bold faces and the CJK face (face 0 of
// the file).
struct FontFiles {
  std::string latin, latinBold, cjk;
  // The 3D view's sheet face: narrow, as the sheet's labels and values
  // stand 180 pixels apart. The Latin face when empty.
  std::string sheet;
};

class Fonts {
 public:
  // Throws std::runtime_error naming the file when a face cannot be loaded.
  explicit Fonts(const FontFiles& files);
  ~Fonts();
  Fonts(const Fonts&) = delete;
  Fonts& operator=(const Fonts&) = delete;

  struct Impl;
  Impl& impl() const { return *impl_; }

 private:
  std::unique_ptr<Impl> impl_;
};

struct TextStyle {
  double size = 13;     // pixels per em
  bool bold = false;    // the bold Latin face; CJK strokes are thickened
  double boost = 1.0;   // coverage gamma: above 1 makes thin light-on-dark strokes fuller
  double tracking = 0;  // extra pixels after every character
};

// Where the ink of a laid-out text lies, relative to its origin (pen start
// on the baseline): x grows right, y down.
struct TextExtent {
  double advance = 0;                // pen movement
  double inkTop = 0, inkBottom = 0;  // above the baseline is negative
};

TextExtent measureText(const Fonts& fonts, const TextStyle& style, std::string_view utf8);

// Draws `utf8` with its pen starting at (x, baseline).
void drawText(Canvas& canvas, const Fonts& fonts, const TextStyle& style, double x, double baseline,
              std::string_view utf8, Colour colour);

// Draws `utf8` centred on cx horizontally and centred on cy vertically by
// the ink of a reference character (an ideograph for text with Chinese in
// it, a capital otherwise), so that labels with and without descenders or
// low strokes sit alike. Returns the baseline used.
double drawTextCentred(Canvas& canvas, const Fonts& fonts, const TextStyle& style, double cx,
                       double cy, std::string_view utf8, Colour colour);

// The baseline that centres text on cy the way drawTextCentred does.
double centredBaseline(const Fonts& fonts, const TextStyle& style, double cy, bool chineseText);

// Breaks Chinese text into lines no wider than `width`: never before closing
// punctuation or after opening punctuation, preferring a break after a
// comma that gives lines of even length. With `balanced` false every line
// but the last is filled as far as it goes instead, as running text is set.
// Throws std::invalid_argument when the text does not fit in `maxLines`
// lines.
std::vector<std::string> wrapText(const Fonts& fonts, const TextStyle& style, std::string_view utf8,
                                  double width, int maxLines, bool balanced = true);

}  // namespace vestora::generate::art
