#include "artwork/artwork.h"

#include <stdexcept>

#include "artwork/artwork_set.h"
#include "artwork/png_writer.h"
#include "assets/assets.h"
#include "platform/resources.h"

namespace vestora::generate::art {

FontFiles systemFontFiles() {
  return {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
          "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
          "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc",
          "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed.ttf"};
}

void ArtworkSet::bitmap(int id, const Canvas& canvas) {
  file(bitmapResourcePath(id), encodePng(canvas.width(), canvas.height(), 3, canvas.rgb()));
}

void ArtworkSet::keyedBitmap(int id, const Canvas& canvas, Colour key, double threshold) {
  file(bitmapResourcePath(id),
       encodePng(canvas.width(), canvas.height(), 3, canvas.keyed(key, threshold)));
}

void ArtworkSet::picture(int id, const Canvas& canvas) {
  file(pictureResourcePath(id),
       encodeJpeg(canvas.width(), canvas.height(), canvas.rgb(), kPictureQuality));
}

void ArtworkSet::file(std::string path, std::vector<std::uint8_t> bytes) {
  for (const ArtworkFile& f : files_)
    if (f.path == path) throw std::logic_error("artwork: " + path + " drawn twice");
  files_.push_back({std::move(path), std::move(bytes)});
}

std::vector<ArtworkFile> drawArtwork(const FontFiles& fontFiles) {
  const Fonts fonts(fontFiles);
  ArtworkSet set(fonts);
  drawSkin(set);
  drawToolbarButtons(set);
  drawSmallButtons(set);
  drawBrand(set);
  drawWizardCards(set);
  return set.take();
}

}  // namespace vestora::generate::art
