// The program's artwork and the measurement sheet's font: the bitmaps, the
// pictures of the resource type "TRYMO", the application icon, the sheet's
// paper, and "\vrinda.ttf", a copy of the system's DejaVu Sans Condensed (the
// view draws the sheet's ASCII text with it).
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "artwork/artwork.h"
#include "content/generated.h"

namespace vestora::generate {

namespace {

std::vector<std::uint8_t> readFont(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    throw std::runtime_error("artwork: the font \"" + path +
                             "\" is missing (install fonts-dejavu-core and fonts-dejavu-extra)");
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
  if (bytes.empty()) throw std::runtime_error("artwork: the font \"" + path + "\" is empty");
  return bytes;
}

}  // namespace

void generateArtwork(ContentRoot& root, const art::FontFiles& fonts) {
  // The font first: without it nothing else of this stage is worth writing.
  const std::vector<std::uint8_t> sheetFont =
      readFont(fonts.sheet.empty() ? fonts.latin : fonts.sheet);
  for (const art::ArtworkFile& file : art::drawArtwork(fonts)) root.write(file.path, file.bytes);
  root.write(art::kSheetFontPath, sheetFont);
}

void generateArtwork(ContentRoot& root) {
  generateArtwork(root, art::systemFontFiles());
}

}  // namespace vestora::generate
