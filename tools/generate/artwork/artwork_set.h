// What the drawing modules of the artwork fill: encoded files by their
// place below the application root.
#pragma once

#include <string>
#include <vector>

#include "artwork/artwork.h"
#include "artwork/raster.h"
#include "artwork/text.h"

namespace vestora::generate::art {

class ArtworkSet {
 public:
  explicit ArtworkSet(const Fonts& fonts) : fonts_(fonts) {}

  const Fonts& fonts() const { return fonts_; }

  // \res\bitmap\<id>.png, 24-bit.
  void bitmap(int id, const Canvas& canvas);
  // The same with pixels painted less than `threshold` set to exactly `key`
  // (the canvas must track coverage).
  void keyedBitmap(int id, const Canvas& canvas, Colour key, double threshold);
  // \res\TRYMO\<id>.jpg.
  void picture(int id, const Canvas& canvas);
  void file(std::string path, std::vector<std::uint8_t> bytes);

  std::vector<ArtworkFile> take() { return std::move(files_); }

 private:
  const Fonts& fonts_;
  std::vector<ArtworkFile> files_;
};

// The drawing modules, each adding its files.
void drawSkin(ArtworkSet& set);            // window chrome, progress bar, banner
void drawToolbarButtons(ArtworkSet& set);  // the seven toolbar buttons
void drawSmallButtons(ArtworkSet& set);    // caption, wizard, browser, view, panel buttons
void drawBrand(ArtworkSet& set);           // splash, icon, logos, backdrops, drag picture
void drawWizardCards(ArtworkSet& set);     // the 34 cards

// Quality of the JPEG pictures.
inline constexpr int kPictureQuality = 92;

}  // namespace vestora::generate::art
