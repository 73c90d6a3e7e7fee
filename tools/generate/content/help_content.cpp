// The help document the program opens from its help button and with F1:
// a PDF of picture pages, drawn with the artwork's fonts and colours.
#include <stdexcept>

#include "artwork/artwork.h"
#include "artwork/help_pages.h"
#include "assets/assets.h"
#include "assets/pdf_writer.h"
#include "content/generated.h"

namespace vestora::generate {

std::vector<std::uint8_t> helpDocument(const art::FontFiles& fontFiles) {
  const art::Fonts fonts(fontFiles);
  std::vector<PdfPage> pages;
  for (int i = 0; i < art::helpPageCount(); ++i) {
    const art::Canvas page = art::drawHelpPage(fonts, i);
    pages.push_back({page.width(), page.height(),
                     encodeJpeg(page.width(), page.height(), page.rgb(), kHelpJpegQuality)});
  }
  return writeImagePdf(pages, art::kHelpTitle);
}

void generateHelp(ContentRoot& root, const art::FontFiles& fonts) {
  root.write(kHelpDocumentPath, helpDocument(fonts));
}

void generateHelp(ContentRoot& root) {
  generateHelp(root, art::systemFontFiles());
}

}  // namespace vestora::generate
