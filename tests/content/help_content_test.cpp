// The help document: the PDF writer's structure on tiny pages, and the
// generated file in the application root (its name, its cross-reference
// table, its page tree and its pictures), the pages it is drawn from, and
// the filled line breaking its running text uses.
#include <cstddef>
#include <cstdio>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

#include <csetjmp>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "artwork/artwork.h"
#include "artwork/help_pages.h"
#include "artwork/palette.h"
#include "artwork/text.h"
#include "assets/assets.h"
#include "assets/pdf_writer.h"
#include "content/content_fixture.h"
#include "content/generated.h"
#include "platform/file_io.h"

namespace vestora {
namespace {

namespace fs = std::filesystem;
namespace art = generate::art;

// ------------------------------------------------------------ JPEG

struct Picture {
  int width = 0, height = 0, components = 0;
  std::vector<std::uint8_t> pixels;  // RGB, top row first
  bool ok = false;

  const std::uint8_t* at(int x, int y) const {
    return &pixels[(static_cast<std::size_t>(y) * width + x) * 3];
  }
};

struct JpegErrors {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

void onJpegError(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->jump, 1);
}

struct JpegJob {
  jpeg_decompress_struct cinfo;
  JpegErrors errors;
};

bool decompress(JpegJob* job, const std::uint8_t* data, std::size_t size, Picture* picture) {
  job->cinfo.err = jpeg_std_error(&job->errors.manager);
  job->errors.manager.error_exit = onJpegError;
  if (setjmp(job->errors.jump)) {
    jpeg_destroy_decompress(&job->cinfo);
    return false;
  }
  jpeg_create_decompress(&job->cinfo);
  jpeg_mem_src(&job->cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&job->cinfo, TRUE);
  picture->components = job->cinfo.num_components;
  job->cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&job->cinfo);
  picture->width = static_cast<int>(job->cinfo.output_width);
  picture->height = static_cast<int>(job->cinfo.output_height);
  picture->pixels.resize(static_cast<std::size_t>(picture->width) * picture->height * 3);
  while (job->cinfo.output_scanline < job->cinfo.output_height) {
    JSAMPROW row =
        &picture->pixels[static_cast<std::size_t>(job->cinfo.output_scanline) * picture->width * 3];
    jpeg_read_scanlines(&job->cinfo, &row, 1);
  }
  jpeg_finish_decompress(&job->cinfo);
  jpeg_destroy_decompress(&job->cinfo);
  return true;
}

Picture decodeJpeg(const std::uint8_t* data, std::size_t size) {
  Picture picture;
  JpegJob job{};
  picture.ok = size > 0 && decompress(&job, data, size, &picture);
  return picture;
}

// ------------------------------------------------------------ PDF

// What a PDF file holds, read by following its trailer and cross-reference
// table; `faults` lists every way it breaks the rules the writer promises.
struct PdfImage {
  int object = 0, width = 0, height = 0;
  std::string colourSpace;
  Picture picture;
};

struct PdfPageInfo {
  std::string mediaBox, content;
  PdfImage image;
};

struct PdfFile {
  std::vector<std::string> faults;
  std::map<int, std::size_t> offsets;  // object number to byte offset
  int count = -1;                      // the page tree's /Count
  int pageObjects = 0;                 // objects of /Type /Page
  std::vector<PdfPageInfo> pages;      // in the order of /Kids
  std::string titleHex;                // the /Title string, as written
};

std::string asText(const std::vector<std::uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

std::optional<int> intAfter(const std::string& dict, const std::string& key) {
  std::smatch m;
  if (std::regex_search(dict, m, std::regex(key + R"(\s+(-?\d+))"))) return std::stoi(m[1]);
  return std::nullopt;
}

std::optional<int> referenceAfter(const std::string& dict, const std::string& key) {
  std::smatch m;
  if (std::regex_search(dict, m, std::regex(key + R"(\s+(\d+)\s+0\s+R)"))) return std::stoi(m[1]);
  return std::nullopt;
}

PdfFile readPdf(const std::vector<std::uint8_t>& bytes) {
  PdfFile pdf;
  const std::string text = asText(bytes);
  auto fault = [&pdf](const std::string& what) { pdf.faults.push_back(what); };
  if (text.rfind("%PDF-1.4", 0) != 0) fault("no %PDF-1.4 header");
  std::string end = text;
  while (!end.empty() && (end.back() == '\n' || end.back() == '\r')) end.pop_back();
  if (end.size() < 5 || end.compare(end.size() - 5, 5, "%%EOF") != 0) fault("no %%EOF at the end");

  // startxref and the table it points at.
  const std::size_t startxref = text.rfind("startxref");
  if (startxref == std::string::npos) {
    fault("no startxref");
    return pdf;
  }
  const std::size_t xref = std::stoul(text.substr(startxref + 9, 24));
  if (text.compare(xref, 4, "xref") != 0) {
    fault("startxref does not point at the table");
    return pdf;
  }
  std::size_t at = text.find('\n', xref) + 1;
  int first = -1, entries = -1;
  if (std::sscanf(text.c_str() + at, "%d %d", &first, &entries) != 2 || first != 0 || entries < 1) {
    fault("a bad subsection header");
    return pdf;
  }
  at = text.find('\n', at) + 1;
  for (int id = 0; id < entries; ++id, at += 20) {
    const std::string entry = text.substr(at, 20);
    if (entry.size() != 20 || (entry.substr(18) != " \n" && entry.substr(18) != "\r\n")) {
      fault("entry " + std::to_string(id) + " is not 20 bytes");
      return pdf;
    }
    const bool used = entry[17] == 'n';
    if (id == 0) {
      if (entry.substr(0, 18) != "0000000000 65535 f") fault("entry 0 is not the free list's head");
      continue;
    }
    if (!used) continue;
    const std::size_t offset = std::stoul(entry.substr(0, 10));
    const std::string label = std::to_string(id) + " 0 obj";
    if (text.compare(offset, label.size(), label) != 0)
      fault("object " + std::to_string(id) + " is not at offset " + std::to_string(offset));
    pdf.offsets[id] = offset;
  }
  const std::string trailer = text.substr(at);
  if (trailer.rfind("trailer", 0) != 0) fault("no trailer after the table");
  if (intAfter(trailer, "/Size") != entries) fault("/Size differs from the table");

  auto body = [&](int id) -> std::string {
    auto it = pdf.offsets.find(id);
    if (it == pdf.offsets.end()) {
      fault("object " + std::to_string(id) + " is referred to but missing");
      return {};
    }
    const std::size_t endobj = text.find("endobj", it->second);
    return text.substr(it->second, endobj == std::string::npos ? 0 : endobj - it->second);
  };
  // A stream's data: /Length bytes after "stream" and its line end, then
  // "endstream".
  auto streamOf = [&](int id, const std::string& dict) -> std::pair<std::size_t, std::size_t> {
    const auto length = intAfter(dict, "/Length");
    const std::size_t s = text.find("stream", pdf.offsets[id]);
    if (!length || s == std::string::npos) {
      fault("object " + std::to_string(id) + " has no stream");
      return {0, 0};
    }
    std::size_t data = s + 6;
    if (text.compare(data, 2, "\r\n") == 0)
      data += 2;
    else if (text[data] == '\n')
      data += 1;
    else
      fault("object " + std::to_string(id) + ": no line end after stream");
    std::size_t after = data + std::size_t(*length);
    if (after < text.size() && text[after] == '\r') ++after;
    if (after < text.size() && text[after] == '\n') ++after;
    if (text.compare(after, 9, "endstream") != 0)
      fault("object " + std::to_string(id) + ": /Length does not reach endstream");
    return {data, std::size_t(*length)};
  };

  for (const auto& [id, offset] : pdf.offsets)
    if (std::regex_search(body(id), std::regex(R"(/Type\s*/Page[^s])"))) ++pdf.pageObjects;

  const auto root = referenceAfter(trailer, "/Root");
  const auto info = referenceAfter(trailer, "/Info");
  if (!root || !info) {
    fault("the trailer lacks /Root or /Info");
    return pdf;
  }
  std::smatch m;
  const std::string infoDict = body(*info);
  if (std::regex_search(infoDict, m, std::regex(R"(/Title\s*<([0-9A-Fa-f]*)>)")))
    pdf.titleHex = m[1];
  if (infoDict.find("Date") != std::string::npos) fault("the information carries a date");
  const std::string catalog = body(*root);
  if (catalog.find("/Type /Catalog") == std::string::npos) fault("the root is no catalogue");
  if (catalog.find("/Outlines") != std::string::npos) fault("the catalogue has outlines");
  const auto pagesId = referenceAfter(catalog, "/Pages");
  if (!pagesId) {
    fault("the catalogue has no /Pages");
    return pdf;
  }
  const std::string tree = body(*pagesId);
  pdf.count = intAfter(tree, "/Count").value_or(-1);
  if (!std::regex_search(tree, m, std::regex(R"(/Kids\s*\[([^\]]*)\])"))) {
    fault("the page tree has no /Kids");
    return pdf;
  }
  const std::string kids = m[1];
  const std::regex reference(R"((\d+)\s+0\s+R)");
  for (std::sregex_iterator it(kids.begin(), kids.end(), reference), last; it != last; ++it) {
    const int pageId = std::stoi((*it)[1]);
    const std::string page = body(pageId);
    PdfPageInfo entry;
    if (referenceAfter(page, "/Parent") != pagesId) fault("a page's /Parent is not the tree");
    if (std::regex_search(page, m, std::regex(R"(/MediaBox\s*\[([^\]]*)\])")))
      entry.mediaBox = m[1];
    const auto contents = referenceAfter(page, "/Contents");
    std::smatch xo;
    if (!contents ||
        !std::regex_search(page, xo, std::regex(R"(/XObject\s*<<\s*/(\w+)\s+(\d+)\s+0\s+R)"))) {
      fault("page object " + std::to_string(pageId) + " lacks its contents or its picture");
      continue;
    }
    const auto [cData, cSize] = streamOf(*contents, body(*contents));
    entry.content = text.substr(cData, cSize);
    if (entry.content.find("/" + std::string(xo[1]) + " Do") == std::string::npos)
      fault("page object " + std::to_string(pageId) + " does not draw its picture");
    const int imageId = std::stoi(xo[2]);
    const std::string dict = body(imageId);
    entry.image.object = imageId;
    entry.image.width = intAfter(dict, "/Width").value_or(-1);
    entry.image.height = intAfter(dict, "/Height").value_or(-1);
    if (std::regex_search(dict, m, std::regex(R"(/ColorSpace\s*/(\w+))")))
      entry.image.colourSpace = m[1];
    if (dict.find("/Subtype /Image") == std::string::npos ||
        dict.find("/Filter /DCTDecode") == std::string::npos)
      fault("object " + std::to_string(imageId) + " is not a DCT image");
    const auto [iData, iSize] = streamOf(imageId, dict);
    entry.image.picture = decodeJpeg(bytes.data() + iData, iSize);
    pdf.pages.push_back(std::move(entry));
  }
  return pdf;
}

std::string joined(const std::vector<std::string>& faults) {
  std::string s;
  for (const std::string& f : faults) s += f + "\n";
  return s;
}

// Two pages' worth of pictures: an RGB one, left half red and right half
// blue, and a grey one.
std::vector<generate::PdfPage> tinyPages() {
  std::vector<std::uint8_t> rgb(24 * 16 * 3), grey(8 * 24, 0x80);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 24; ++x) {
      std::uint8_t* p = &rgb[(y * 24 + x) * 3];
      p[0] = x < 12 ? 220 : 20;
      p[1] = 30;
      p[2] = x < 12 ? 20 : 220;
    }
  return {{24, 16, generate::encodeJpeg(24, 16, rgb, 90)},
          {8, 24, generate::encodeJpegGrey(8, 24, grey, 90)}};
}

TEST(PdfWriter, TinyPagesMakeAWellFormedFile) {
  const auto pages = tinyPages();
  const std::vector<std::uint8_t> bytes = generate::writeImagePdf(pages, "试衣 Vestora");
  const PdfFile pdf = readPdf(bytes);
  EXPECT_TRUE(pdf.faults.empty()) << joined(pdf.faults);
  EXPECT_EQ(pdf.count, 2);
  EXPECT_EQ(pdf.pageObjects, 2);
  ASSERT_EQ(pdf.pages.size(), 2u);
  // UTF-16BE with its byte-order mark: 试 U+8BD5, 衣 U+8863, then ASCII.
  EXPECT_EQ(pdf.titleHex, "FEFF8BD5886300200056006500730074006F00720061");
  for (std::size_t i = 0; i < 2; ++i) {
    SCOPED_TRACE("page " + std::to_string(i + 1));
    const PdfPageInfo& page = pdf.pages[i];
    EXPECT_EQ(page.mediaBox, "0 0 595 842");
    EXPECT_NE(page.content.find("595 0 0 842 0 0 cm"), std::string::npos) << page.content;
    ASSERT_TRUE(page.image.picture.ok);
    EXPECT_EQ(page.image.width, pages[i].width);
    EXPECT_EQ(page.image.height, pages[i].height);
    EXPECT_EQ(page.image.picture.width, page.image.width);
    EXPECT_EQ(page.image.picture.height, page.image.height);
  }
  EXPECT_EQ(pdf.pages[0].image.colourSpace, "DeviceRGB");
  EXPECT_EQ(pdf.pages[1].image.colourSpace, "DeviceGray");
  // The picture arrives whole: red on the left, blue on the right.
  const Picture& first = pdf.pages[0].image.picture;
  EXPECT_GT(first.at(3, 8)[0], 180);
  EXPECT_LT(first.at(3, 8)[2], 70);
  EXPECT_GT(first.at(20, 8)[2], 180);
  EXPECT_LT(first.at(20, 8)[0], 70);
  // The same pages give the same bytes.
  EXPECT_TRUE(bytes == generate::writeImagePdf(pages, "试衣 Vestora"));
}

TEST(PdfWriter, RefusesWhatItCannotWrite) {
  auto pages = tinyPages();
  EXPECT_THROW(generate::writeImagePdf({}, "t"), std::invalid_argument);
  EXPECT_THROW(generate::writeImagePdf(pages, "bad \xC3"), std::invalid_argument);
  EXPECT_THROW(generate::writeImagePdf(pages, "t", 0, 842), std::invalid_argument);
  auto wrongSize = pages;
  wrongSize[1].width = 9;  // the picture is 8 wide
  EXPECT_THROW(generate::writeImagePdf(wrongSize, "t"), std::invalid_argument);
  auto notJpeg = pages;
  notJpeg[0].jpeg = {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0};
  EXPECT_THROW(generate::writeImagePdf(notJpeg, "t"), std::invalid_argument);
  auto cut = pages;
  cut[0].jpeg.resize(6);
  EXPECT_THROW(generate::writeImagePdf(cut, "t"), std::invalid_argument);
}

// ------------------------------------------------------------ the document

const char* const kHelpFileName = "澄镜衣坊帮助文件.pdf";

std::vector<std::uint8_t> helpFileBytes() {
  auto bytes = readFileBytes((fs::path(testing::contentRoot()) / kHelpFileName).string());
  EXPECT_TRUE(bytes.ok()) << (bytes.ok() ? "" : bytes.error().message());
  return bytes.ok() ? bytes.value() : std::vector<std::uint8_t>{};
}

TEST(HelpContent, TheDocumentLiesInTheRootUnderItsName) {
  const fs::path file = fs::path(testing::contentRoot()) / kHelpFileName;
  ASSERT_TRUE(fs::is_regular_file(file)) << file;
  EXPECT_EQ(testing::contentPath(generate::kHelpDocumentPath), file.string());
  const auto size = fs::file_size(file);
  EXPECT_GT(size, 100u * 1024) << "too small for pages of pictures";
  EXPECT_LT(size, 2500u * 1024) << "the document should stay small";
}

TEST(HelpContent, TheDocumentIsAWellFormedPdfOfA4Pages) {
  const std::vector<std::uint8_t> bytes = helpFileBytes();
  ASSERT_FALSE(bytes.empty());
  const PdfFile pdf = readPdf(bytes);
  EXPECT_TRUE(pdf.faults.empty()) << joined(pdf.faults);
  EXPECT_GE(pdf.count, 6);
  EXPECT_EQ(pdf.pageObjects, pdf.count);
  EXPECT_EQ(static_cast<int>(pdf.pages.size()), pdf.count);
  EXPECT_EQ(pdf.count, art::helpPageCount());
  // 澄镜衣坊帮助文件 in UTF-16BE.
  EXPECT_EQ(pdf.titleHex, "FEFF6F84955C8863574A5E2E52A965874EF6");
  std::set<std::vector<std::uint8_t>> distinct;
  for (std::size_t i = 0; i < pdf.pages.size(); ++i) {
    SCOPED_TRACE("page " + std::to_string(i + 1));
    const PdfPageInfo& page = pdf.pages[i];
    EXPECT_EQ(page.mediaBox, "0 0 595 842");
    EXPECT_EQ(page.image.colourSpace, "DeviceRGB");
    ASSERT_TRUE(page.image.picture.ok) << "the picture does not decode";
    EXPECT_EQ(page.image.picture.width, page.image.width);
    EXPECT_EQ(page.image.picture.height, page.image.height);
    EXPECT_EQ(page.image.width, art::kHelpPageWidth);
    EXPECT_EQ(page.image.height, art::kHelpPageHeight);
    distinct.insert(page.image.picture.pixels);
  }
  EXPECT_EQ(distinct.size(), pdf.pages.size()) << "two pages show the same picture";
}

TEST(HelpContent, SectionPagesHaveASlateBandOverWarmWhite) {
  const PdfFile pdf = readPdf(helpFileBytes());
  ASSERT_GE(pdf.pages.size(), 2u);
  auto near = [](const std::uint8_t* p, art::Colour c, int tolerance) {
    return std::abs(p[0] - int(c.r)) <= tolerance && std::abs(p[1] - int(c.g)) <= tolerance &&
           std::abs(p[2] - int(c.b)) <= tolerance;
  };
  for (std::size_t i = 1; i < pdf.pages.size(); ++i) {
    SCOPED_TRACE("page " + std::to_string(i + 1));
    const Picture& p = pdf.pages[i].image.picture;
    ASSERT_TRUE(p.ok);
    // The band's left edge near its top, and the body's left margin.
    EXPECT_TRUE(near(p.at(20, 10), art::kSlateDeep, 10));
    EXPECT_TRUE(near(p.at(20, p.height / 2), art::kPanel, 6));
    // Something is written in the body: ink-dark pixels in the text column.
    int dark = 0;
    for (int y = 300; y < 1600; y += 2)
      for (int x = 130; x < 1110; x += 2) dark += p.at(x, y)[0] < 90 ? 1 : 0;
    EXPECT_GT(dark, 2000);
  }
}

TEST(HelpContent, GenerationGivesTheFileTheBuildWrote) {
  EXPECT_TRUE(generate::helpDocument(art::systemFontFiles()) == helpFileBytes());
}

TEST(HelpPages, OnlyTheDocumentsPagesCanBeDrawn) {
  const art::Fonts fonts(art::systemFontFiles());
  EXPECT_THROW(art::drawHelpPage(fonts, -1), std::out_of_range);
  EXPECT_THROW(art::drawHelpPage(fonts, art::helpPageCount()), std::out_of_range);
}

TEST(ArtworkText, FilledLinesRunAsFarAsTheyGo) {
  const art::Fonts fonts(art::systemFontFiles());
  const art::TextStyle style{22};
  const std::string text = "模特站上转台缓缓转动每秒约二十度方便从四周查看试穿效果";
  const double width = art::measureText(fonts, style, text).advance * 0.7;
  const auto balanced = art::wrapText(fonts, style, text, width, 4);
  const auto filled = art::wrapText(fonts, style, text, width, 4, false);
  ASSERT_EQ(balanced.size(), 2u);
  ASSERT_EQ(filled.size(), 2u);
  EXPECT_EQ(filled[0] + filled[1], text);
  EXPECT_GT(filled[0].size(), balanced[0].size()) << "the first line was balanced, not filled";
  EXPECT_LE(art::measureText(fonts, style, filled[0]).advance, width);
  // One more character would not have fitted (each is three bytes here).
  EXPECT_GT(art::measureText(fonts, style, filled[0] + filled[1].substr(0, 3)).advance, width);
}

}  // namespace
}  // namespace vestora
