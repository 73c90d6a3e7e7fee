// The program's user-interface artwork, drawn in software: the window skin,
// every button in all its states, the splash picture, the 34 wizard cards,
// the application icon, the 3D view's backdrop and logo pictures and the
// measurement sheet's backdrop. Where each file goes below the application
// root is fixed by platform/resources.h:
//   \res\bitmap\<id>.png   24-bit RGB; key-coloured parts exactly the key
//   \res\TRYMO\<id>.jpg    square, power-of-two sizes
//   \res\icon.png          128 × 128 RGBA
//   \model\ChineseFonts.jpg
// The same fonts give the same bytes on every run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "artwork/text.h"

namespace vestora::generate::art {

struct ArtworkFile {
  std::string path;  // backslash form, "\res\bitmap\135.png"
  std::vector<std::uint8_t> bytes;
};

// The fonts the artwork is lettered with, as Debian installs them
// (fonts-dejavu-core, fonts-wqy-microhei).
FontFiles systemFontFiles();

// Every artwork file. Throws std::runtime_error naming the font file when a
// font cannot be loaded.
std::vector<ArtworkFile> drawArtwork(const FontFiles& fonts);

// Files of the measurement sheet: its paper, and the font of its text (a
// copy of the Latin face).
inline constexpr const char* kSheetPaperPath = "\\model\\ChineseFonts.jpg";
inline constexpr const char* kSheetFontPath = "\\vrinda.ttf";

// The key colours of the bitmaps that are drawn with one.
inline constexpr Colour kKeyWhite = hex(0xFFFFFF);
inline constexpr Colour kKeyMagenta = hex(0xFF00FF);

}  // namespace vestora::generate::art
