#include "generate/assets/pdf_writer.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>

namespace vestora::generate {
namespace {

struct JpegFrame {
  int width = 0, height = 0, components = 0;
};

// The frame header of a JPEG file: the first SOFn marker before the first
// scan. Throws std::invalid_argument when there is none.
JpegFrame jpegFrame(const std::vector<std::uint8_t>& jpeg) {
  const auto fail = [](const std::string& why) {
    throw std::invalid_argument("writeImagePdf: the picture is not a JPEG file (" + why + ")");
  };
  if (jpeg.size() < 4 || jpeg[0] != 0xFF || jpeg[1] != 0xD8) fail("no start-of-image marker");
  std::size_t at = 2;
  while (at + 1 < jpeg.size()) {
    if (jpeg[at] != 0xFF) fail("bytes between markers");
    const std::uint8_t marker = jpeg[at + 1];
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    at += 2;
    // Markers without a segment: TEM and RST0 to RST7.
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;
    if (marker == 0xD9 || marker == 0xDA) break;  // end of image or start of scan
    if (at + 2 > jpeg.size()) break;
    const std::size_t length = (std::size_t(jpeg[at]) << 8) | jpeg[at + 1];
    if (length < 2 || at + length > jpeg.size()) fail("a segment runs past the end");
    const bool startOfFrame =
        marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (startOfFrame) {
      if (length < 8) fail("a short frame header");
      JpegFrame frame;
      frame.height = (jpeg[at + 3] << 8) | jpeg[at + 4];
      frame.width = (jpeg[at + 5] << 8) | jpeg[at + 6];
      frame.components = jpeg[at + 7];
      return frame;
    }
    at += length;
  }
  fail("no frame header");
  return {};
}

// UTF-8 to a PDF text string: UTF-16BE with its byte-order mark, in hex.
std::string utf16HexString(std::string_view utf8) {
  const auto fail = [] { throw std::invalid_argument("writeImagePdf: the title is not UTF-8"); };
  std::string out = "<FEFF";
  const auto unit = [&out](unsigned u) {
    char hex[5];
    std::snprintf(hex, sizeof hex, "%04X", u);
    out += hex;
  };
  for (std::size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    const int extra = c < 0x80         ? 0
                      : (c >> 5) == 6  ? 1
                      : (c >> 4) == 14 ? 2
                      : (c >> 3) == 30 ? 3
                                       : -1;
    if (extra < 0 || i + extra >= utf8.size()) fail();
    unsigned cp = extra == 0 ? c : c & (0x3fu >> extra);
    for (int k = 1; k <= extra; ++k) {
      const auto cc = static_cast<unsigned char>(utf8[i + k]);
      if ((cc >> 6) != 2) fail();
      cp = (cp << 6) | (cc & 0x3fu);
    }
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) fail();
    if (cp >= 0x10000) {
      cp -= 0x10000;
      unit(0xD800 + (cp >> 10));
      unit(0xDC00 + (cp & 0x3ff));
    } else {
      unit(cp);
    }
    i += extra + 1;
  }
  return out + ">";
}

// A number as PDF writes it: whole numbers without a point, others with up
// to four decimals.
std::string number(double v) {
  char text[32];
  if (v == std::floor(v) && std::fabs(v) < 1e9) {
    std::snprintf(text, sizeof text, "%.0f", v);
    return text;
  }
  std::snprintf(text, sizeof text, "%.4f", v);
  std::string s = text;
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s;
}

class PdfBuilder {
 public:
  explicit PdfBuilder(int objects) : offsets_(std::size_t(objects) + 1, 0) {
    // A comment of high bytes marks the file as binary for file transfer programs.
    text("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
  }

  void object(int id, const std::string& body) {
    begin(id);
    text(body);
    text("\nendobj\n");
  }

  void stream(int id, const std::string& dictionary, const std::uint8_t* data, std::size_t size) {
    begin(id);
    text(dictionary);
    text("\nstream\n");
    bytes_.insert(bytes_.end(), data, data + size);
    text("\nendstream\nendobj\n");
  }

  std::vector<std::uint8_t> finish(const std::string& trailer) {
    const std::size_t xref = bytes_.size();
    // Offsets have ten digits in the table.
    if (xref > 9'999'999'999u) throw std::length_error("writeImagePdf: the file is too large");
    text("xref\n0 " + std::to_string(offsets_.size()) + "\n");
    // Every entry is exactly 20 bytes, its line ending included.
    text("0000000000 65535 f \n");
    for (std::size_t id = 1; id < offsets_.size(); ++id) {
      if (offsets_[id] == 0)
        throw std::logic_error("writeImagePdf: object " + std::to_string(id) + " was not written");
      char entry[32];
      std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offsets_[id]);
      text(entry);
    }
    text("trailer\n" + trailer + "\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n");
    return std::move(bytes_);
  }

 private:
  void begin(int id) {
    offsets_.at(std::size_t(id)) = bytes_.size();
    text(std::to_string(id) + " 0 obj\n");
  }
  void text(std::string_view s) { bytes_.insert(bytes_.end(), s.begin(), s.end()); }

  std::vector<std::uint8_t> bytes_;
  std::vector<std::size_t> offsets_;  // by object number; entry 0 is the free list's head
};

}  // namespace

std::vector<std::uint8_t> writeImagePdf(const std::vector<PdfPage>& pages,
                                        std::string_view titleUtf8, double pageWidth,
                                        double pageHeight) {
  if (pages.empty()) throw std::invalid_argument("writeImagePdf: no pages");
  if (!(pageWidth > 0) || !(pageHeight > 0))
    throw std::invalid_argument("writeImagePdf: page size " + number(pageWidth) + " x " +
                                number(pageHeight));
  const std::string title = utf16HexString(titleUtf8);
  for (std::size_t i = 0; i < pages.size(); ++i) {
    const JpegFrame frame = jpegFrame(pages[i].jpeg);
    if (frame.width != pages[i].width || frame.height != pages[i].height ||
        (frame.components != 1 && frame.components != 3))
      throw std::invalid_argument("writeImagePdf: page " + std::to_string(i + 1) + " is declared " +
                                  std::to_string(pages[i].width) + " x " +
                                  std::to_string(pages[i].height) + " but its picture is " +
                                  std::to_string(frame.width) + " x " +
                                  std::to_string(frame.height) + " with " +
                                  std::to_string(frame.components) + " components");
  }

  // 1 catalogue, 2 page tree, 3 information; then per page its page object,
  // content stream and picture.
  const int count = static_cast<int>(pages.size());
  const auto pageId = [](int i) { return 4 + 3 * i; };
  PdfBuilder pdf(3 + 3 * count);
  pdf.object(1, "<< /Type /Catalog /Pages 2 0 R >>");
  std::string kids;
  for (int i = 0; i < count; ++i) kids += (i ? " " : "") + std::to_string(pageId(i)) + " 0 R";
  pdf.object(2, "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(count) + " >>");
  pdf.object(3, "<< /Title " + title + " /Producer (Vestora) >>");
  const std::string mediaBox = "[0 0 " + number(pageWidth) + " " + number(pageHeight) + "]";
  for (int i = 0; i < count; ++i) {
    const PdfPage& page = pages[std::size_t(i)];
    const int id = pageId(i), contents = id + 1, image = id + 2;
    const bool grey = jpegFrame(page.jpeg).components == 1;
    pdf.object(id, "<< /Type /Page /Parent 2 0 R /MediaBox " + mediaBox +
                       " /Resources << /XObject << /Im1 " + std::to_string(image) +
                       " 0 R >> /ProcSet [/PDF " + (grey ? "/ImageB" : "/ImageC") +
                       "] >> /Contents " + std::to_string(contents) + " 0 R >>");
    // The picture's unit square scaled over the whole page.
    const std::string draw =
        "q\n" + number(pageWidth) + " 0 0 " + number(pageHeight) + " 0 0 cm\n/Im1 Do\nQ\n";
    pdf.stream(contents, "<< /Length " + std::to_string(draw.size()) + " >>",
               reinterpret_cast<const std::uint8_t*>(draw.data()), draw.size());
    pdf.stream(image,
               "<< /Type /XObject /Subtype /Image /Width " + std::to_string(page.width) +
                   " /Height " + std::to_string(page.height) + " /ColorSpace " +
                   (grey ? "/DeviceGray" : "/DeviceRGB") +
                   " /BitsPerComponent 8 /Filter /DCTDecode /Length " +
                   std::to_string(page.jpeg.size()) + " >>",
               page.jpeg.data(), page.jpeg.size());
  }
  return pdf.finish("<< /Size " + std::to_string(3 + 3 * count + 1) +
                    " /Root 1 0 R /Info 3 0 R >>");
}

}  // namespace vestora::generate
