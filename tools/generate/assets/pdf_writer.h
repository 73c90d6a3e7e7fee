// A small PDF 1.4 writer for documents made of pictures: every page shows
// one JPEG picture stretched over the whole page. The file carries a title
// in its document information dictionary and nothing that depends on the
// time or the machine, so the same pages give the same bytes on every run.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace vestora::generate {

struct PdfPage {
  int width = 0, height = 0;       // the picture's size in pixels
  std::vector<std::uint8_t> jpeg;  // a baseline or progressive JPEG, grey or RGB
};

// A4 portrait, in points.
inline constexpr double kA4Width = 595, kA4Height = 842;

// The PDF bytes: a catalogue, a page tree, an information dictionary with
// `titleUtf8` as /Title (UTF-16BE with its byte-order mark), and per page a
// page object, its content stream and the picture as a DCTDecode image
// XObject, with a cross-reference table of exact byte offsets. Throws
// std::invalid_argument when there are no pages, the title is not UTF-8, a
// page size is not positive, or a picture is not a JPEG whose frame header
// gives the page's width and height and 1 or 3 components.
std::vector<std::uint8_t> writeImagePdf(const std::vector<PdfPage>& pages,
                                        std::string_view titleUtf8, double pageWidth = kA4Width,
                                        double pageHeight = kA4Height);

}  // namespace vestora::generate
