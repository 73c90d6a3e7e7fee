// The program's artwork in the generated application root: every numbered
// bitmap and picture with its size and format, key colours exactly where
// windows cut them away, strip pieces that join without a seam, distinct
// button states and wizard cards, the sheet's font, and the same bytes on
// every run.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "artwork/artwork.h"
#include "artwork/raster.h"
#include "artwork/text.h"
#include "content/content_fixture.h"
#include "content/content_images.h"
#include "content/generated.h"
#include "platform/file_io.h"
#include "platform/resources.h"
#include "test_support.h"

namespace vestora {
namespace {

namespace fs = std::filesystem;
namespace art = generate::art;
using testing::contentPath;
using testing::decodeJpeg;
using testing::decodePng;
using testing::Image;
using testing::readBytes;

Image bitmap(int id) {
  return decodePng(readBytes(contentPath(bitmapResourcePath(id))));
}
Image picture(int id) {
  return decodeJpeg(readBytes(contentPath(pictureResourcePath(id))));
}

struct Size {
  int width, height;
};

// Every numbered bitmap the program loads, with the size its place fixes.
std::map<int, Size> expectedBitmaps() {
  std::map<int, Size> sizes = {
      {291, {320, 37}},  {292, {120, 37}},  {293, {400, 37}},  {294, {4, 37}},  {295, {40, 110}},
      {296, {40, 110}},  {297, {140, 110}}, {298, {140, 110}}, {299, {4, 110}}, {300, {200, 31}},
      {310, {200, 31}},  {313, {4, 31}},    {317, {4, 6}},     {315, {10, 64}}, {316, {5, 64}},
      {311, {200, 10}},  {312, {200, 10}},  {318, {695, 16}},  {254, {10, 49}}, {278, {64, 64}},
      {492, {460, 240}}, {542, {93, 23}},   {543, {93, 23}},   {544, {93, 23}}};
  for (int id : {135, 314, 136, 137, 138, 302, 139, 140, 141, 303, 142, 143, 144, 304,
                 145, 146, 147, 305, 148, 149, 150, 306, 151, 152, 153, 307, 154, 155})
    sizes[id] = {55, 55};
  for (int id : {308, 309, 283, 284, 282, 281}) sizes[id] = {14, 14};
  for (int id : {534, 537, 539, 535, 536, 540}) sizes[id] = {22, 22};
  for (int id = 628; id <= 642; ++id) sizes[id] = {25, 24};
  for (int id : {248, 242, 249, 323, 325, 324}) sizes[id] = {19, 19};
  for (int id : {160, 161, 162, 163}) sizes[id] = {6, 6};
  for (int id : {319, 320, 321, 322}) sizes[id] = {1, 1};
  for (int id = 700; id <= 711; ++id) sizes[id] = {100, 30};
  for (int id = 712; id <= 717; ++id) sizes[id] = {60, 24};
  return sizes;
}

const std::vector<int>& wizardCards() {
  static const std::vector<int> cards = [] {
    std::vector<int> ids = {530, 531, 532, 533, 538};
    for (int id = 560; id <= 581; ++id) ids.push_back(id);
    for (int id : {583, 584, 585, 608, 609, 610, 611}) ids.push_back(id);
    return ids;
  }();
  return cards;
}

TEST(ArtworkContent, EveryBitmapIsAnRgbPngOfItsSize) {
  std::map<int, Size> sizes = expectedBitmaps();
  for (int id : wizardCards()) sizes[id] = {440, 300};
  ASSERT_EQ(wizardCards().size(), 34u);
  for (const auto& [id, size] : sizes) {
    SCOPED_TRACE("bitmap " + std::to_string(id));
    const Image image = bitmap(id);
    ASSERT_EQ(image.fault, "");
    EXPECT_EQ(image.channels, 3) << "bitmaps carry no alpha channel";
    EXPECT_EQ(image.width, size.width);
    EXPECT_EQ(image.height, size.height);
  }
}

TEST(ArtworkContent, PicturesAreSquarePowerOfTwoJpegs) {
  const std::pair<int, int> kPictures[] = {{643, 512}, {588, 128}, {589, 128}, {590, 128},
                                           {587, 128}, {586, 128}, {582, 128}};
  for (const auto& [id, size] : kPictures) {
    SCOPED_TRACE("picture " + std::to_string(id));
    const Image image = picture(id);
    ASSERT_EQ(image.fault, "");
    EXPECT_EQ(image.width, size);
    EXPECT_EQ(image.height, size);
  }
  const Image sheet = decodeJpeg(readBytes(contentPath(art::kSheetPaperPath)));
  ASSERT_EQ(sheet.fault, "");
  EXPECT_EQ(sheet.width, 512);
  EXPECT_EQ(sheet.height, 512);

  // The backdrop fades to the view's white clear colour at its sides and
  // top, where the view shows white beside it; its floor is darker.
  const Image backdrop = picture(643);
  for (const auto& [x, y] : {std::pair{2, 256}, {509, 256}, {256, 2}}) {
    SCOPED_TRACE("backdrop edge " + std::to_string(x) + ", " + std::to_string(y));
    for (int k = 0; k < 3; ++k) EXPECT_GE(backdrop.at(x, y)[k], 250);
  }
  EXPECT_LT(backdrop.at(256, 470)[0], 235);
}

TEST(ArtworkContent, ApplicationIconIsRgbaWithTransparentCorners) {
  const Image icon = decodePng(readBytes(contentPath(kApplicationIconPath)));
  ASSERT_EQ(icon.fault, "");
  EXPECT_EQ(icon.channels, 4);
  ASSERT_EQ(icon.width, 128);
  ASSERT_EQ(icon.height, 128);
  for (const auto& [x, y] : {std::pair{0, 0}, {127, 0}, {0, 127}, {127, 127}})
    EXPECT_EQ(icon.at(x, y)[3], 0) << x << ", " << y;
  EXPECT_EQ(icon.at(64, 64)[3], 255);
  EXPECT_EQ(icon.at(10, 64)[3], 255);
}

// Pixels that a blend between a painted colour and the key would give:
// close to the key without being it.
bool nearKey(const std::uint8_t* p, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  const int d = std::abs(p[0] - r) + std::abs(p[1] - g) + std::abs(p[2] - b);
  return d > 0 && d < 90;
}

TEST(ArtworkContent, ShapedPicturesAreMagentaExactlyOutsideTheirCard) {
  std::vector<std::pair<int, int>> shaped = {{492, 14}};  // id, corner radius
  for (int id : wizardCards()) shaped.push_back({id, 14});
  for (const auto& [id, radius] : shaped) {
    SCOPED_TRACE("bitmap " + std::to_string(id));
    const Image image = bitmap(id);
    ASSERT_EQ(image.fault, "");
    const int w = image.width, h = image.height;
    for (const auto& [x, y] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}})
      EXPECT_TRUE(image.is(x, y, 255, 0, 255)) << "corner " << x << ", " << y;
    int magenta = 0, inside = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const std::uint8_t* p = image.at(x, y);
        if (image.is(x, y, 255, 0, 255)) {
          ++magenta;
          // The key only in the corners' rounding.
          const bool corner = (x < radius || x >= w - radius) && (y < radius || y >= h - radius);
          if (!corner) ++inside;
        }
        EXPECT_FALSE(nearKey(p, 255, 0, 255))
            << "edge blended towards the key at " << x << ", " << y;
      }
    EXPECT_GT(magenta, 4);
    EXPECT_EQ(inside, 0);
    EXPECT_FALSE(image.is(w / 2, h / 2, 255, 0, 255));
  }
  // The splash's status band (black text at x 10 to 230, y 186 to 240) is light.
  const Image splash = bitmap(492);
  for (const auto& [x, y] : {std::pair{20, 200}, {120, 213}, {220, 228}})
    for (int k = 0; k < 3; ++k) EXPECT_GT(splash.at(x, y)[k], 200) << x << ", " << y;
}

TEST(ArtworkContent, WhiteKeyedBitmapsAreWhiteOnlyWhereTransparent) {
  std::vector<int> keyed = {254, 278};
  for (int id = 628; id <= 642; ++id) keyed.push_back(id);
  for (int id : keyed) {
    SCOPED_TRACE("bitmap " + std::to_string(id));
    const Image image = bitmap(id);
    ASSERT_EQ(image.fault, "");
    const int w = image.width, h = image.height;
    for (const auto& [x, y] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}})
      EXPECT_TRUE(image.is(x, y, 255, 255, 255)) << "corner " << x << ", " << y;
    int shape = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        if (image.is(x, y, 255, 255, 255)) continue;
        ++shape;
        const std::uint8_t* p = image.at(x, y);
        EXPECT_FALSE(p[0] > 248 && p[1] > 248 && p[2] > 248)
            << "edge blended towards the key at " << x << ", " << y;
      }
    EXPECT_GT(shape, w * h / 20) << "the shape is missing";
  }
  // Pressed and hover browser buttons are tiles: solid in the middle.
  for (int id : {630, 631, 632, 633, 635, 636, 638, 639, 641, 642})
    EXPECT_FALSE(bitmap(id).is(3, 12, 255, 255, 255)) << id;
  // The slide tab and the drag picture are solid in the middle.
  EXPECT_FALSE(bitmap(254).is(5, 10, 255, 255, 255));
  EXPECT_FALSE(bitmap(278).is(32, 45, 255, 255, 255));
}

bool samePixels(const Image& a, const Image& b) {
  return a.width == b.width && a.height == b.height && a.pixels == b.pixels;
}

TEST(ArtworkContent, EveryButtonStateLooksDifferent) {
  const int kToolbar[][4] = {{135, 314, 136, 137}, {138, 302, 139, 140}, {141, 303, 142, 143},
                             {144, 304, 145, 146}, {147, 305, 148, 149}, {150, 306, 151, 152},
                             {153, 307, 154, 155}};
  std::vector<Image> normals;
  for (const auto& states : kToolbar) {
    for (int i = 0; i < 4; ++i)
      for (int j = i + 1; j < 4; ++j)
        EXPECT_FALSE(samePixels(bitmap(states[i]), bitmap(states[j])))
            << states[i] << " and " << states[j];
    normals.push_back(bitmap(states[0]));
  }
  for (std::size_t i = 0; i < normals.size(); ++i)
    for (std::size_t j = i + 1; j < normals.size(); ++j)
      EXPECT_FALSE(samePixels(normals[i], normals[j])) << "toolbar buttons " << i << " and " << j;

  const std::vector<std::vector<int>> kOthers = {
      {308, 309},      {283, 284},      {282, 281},      {534, 537, 539}, {535, 536, 540},
      {542, 543, 544}, {628, 630, 631}, {629, 632, 633}, {634, 635, 636}, {637, 638, 639},
      {640, 641, 642}, {248, 242, 249}, {323, 325, 324}, {700, 701, 702}, {703, 704, 705},
      {706, 707, 708}, {709, 710, 711}, {712, 713, 714}, {715, 716, 717}};
  for (const auto& states : kOthers)
    for (std::size_t i = 0; i < states.size(); ++i)
      for (std::size_t j = i + 1; j < states.size(); ++j)
        EXPECT_FALSE(samePixels(bitmap(states[i]), bitmap(states[j])))
            << states[i] << " and " << states[j];
}

TEST(ArtworkContent, WizardCardsAreAllDifferent) {
  std::vector<Image> cards;
  for (int id : wizardCards()) cards.push_back(bitmap(id));
  for (std::size_t i = 0; i < cards.size(); ++i)
    for (std::size_t j = i + 1; j < cards.size(); ++j)
      EXPECT_FALSE(samePixels(cards[i], cards[j]))
          << "cards " << wizardCards()[i] << " and " << wizardCards()[j];
}

// Column `x` of a bitmap, as bytes.
std::vector<std::uint8_t> column(const Image& image, int x, int fromRow = 0, int rows = -1) {
  if (rows < 0) rows = image.height - fromRow;
  std::vector<std::uint8_t> out;
  for (int y = fromRow; y < fromRow + rows; ++y)
    out.insert(out.end(), image.at(x, y), image.at(x, y) + 3);
  return out;
}

// The window stretches fillers between pieces and places buttons on the
// strips, so every piece and every strip button must have the filler's
// colours where they meet it.
TEST(ArtworkContent, StripPiecesAndButtonsJoinWithoutSeams) {
  const Image titleFiller = bitmap(294);
  const std::vector<std::uint8_t> title = column(titleFiller, 0);
  for (int x = 1; x < titleFiller.width; ++x) EXPECT_EQ(column(titleFiller, x), title);
  EXPECT_EQ(column(bitmap(291), 319), title) << "title left cap";
  EXPECT_EQ(column(bitmap(292), 0), title) << "title right cap";
  EXPECT_EQ(column(bitmap(293), 0), title) << "title centre piece";
  EXPECT_EQ(column(bitmap(293), 399), title) << "title centre piece";

  const std::vector<std::uint8_t> toolbar = column(bitmap(299), 0);
  EXPECT_EQ(column(bitmap(295), 39), toolbar) << "toolbar left cap";
  EXPECT_EQ(column(bitmap(296), 0), toolbar) << "toolbar right cap";
  EXPECT_EQ(column(bitmap(297), 0), toolbar);
  EXPECT_EQ(column(bitmap(297), 139), toolbar);
  EXPECT_EQ(column(bitmap(298), 0), toolbar);
  EXPECT_EQ(column(bitmap(298), 139), toolbar);
  // Toolbar buttons at y 59 in the window, 22 rows into the strip; their
  // normal state shows the strip at its edges.
  for (int id : {135, 138, 141, 144, 147, 150, 153})
    EXPECT_EQ(column(bitmap(id), 0),
              std::vector<std::uint8_t>(toolbar.begin() + 22 * 3, toolbar.begin() + 77 * 3))
        << id;
  // The banner at y 116, 79 rows into the strip.
  EXPECT_EQ(column(bitmap(318), 0),
            std::vector<std::uint8_t>(toolbar.begin() + 79 * 3, toolbar.begin() + 95 * 3));

  const std::vector<std::uint8_t> bottom = column(bitmap(313), 0);
  EXPECT_EQ(column(bitmap(300), 199), bottom);
  EXPECT_EQ(column(bitmap(310), 0), bottom);
  // Wizard buttons at the strip's row 1.
  for (int id : {534, 535, 542})
    EXPECT_EQ(column(bitmap(id), 0, 0, 1),
              std::vector<std::uint8_t>(bottom.begin() + 3, bottom.begin() + 6))
        << id;
  // The body's middle is its left piece's last column, stretched.
  EXPECT_EQ(column(bitmap(315), 9), column(bitmap(316), 0));
}

TEST(ArtworkContent, SheetFontIsTheNarrowFaceWithDigitsAndLetters) {
  const std::vector<std::uint8_t> font = readBytes(contentPath(art::kSheetFontPath));
  EXPECT_EQ(font, readBytes(art::systemFontFiles().sheet));
  FT_Library library = nullptr;
  ASSERT_EQ(FT_Init_FreeType(&library), 0);
  FT_Face face = nullptr;
  ASSERT_EQ(FT_New_Memory_Face(library, font.data(), static_cast<FT_Long>(font.size()), 0, &face),
            0);
  EXPECT_TRUE(FT_IS_SFNT(face));
  for (char c = '0'; c <= '9'; ++c) EXPECT_NE(FT_Get_Char_Index(face, c), 0u) << c;
  for (char c = 'A'; c <= 'z'; ++c) EXPECT_NE(FT_Get_Char_Index(face, c), 0u) << c;
  FT_Done_Face(face);
  FT_Done_FreeType(library);
}

std::map<std::string, std::vector<std::uint8_t>> filesBelow(const fs::path& root) {
  std::map<std::string, std::vector<std::uint8_t>> files;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    if (entry.is_regular_file())
      files[fs::relative(entry.path(), root).string()] = readBytes(entry.path().string());
  return files;
}

TEST(ArtworkContent, GenerationGivesTheSameBytesEveryTime) {
  const testing::TempDir dir;
  const fs::path tmp = dir.path();
  generate::ContentRoot first((tmp / "first").string()), second((tmp / "second").string());
  generate::generateArtwork(first);
  generate::generateArtwork(second);
  const auto a = filesBelow(tmp / "first"), b = filesBelow(tmp / "second");
  EXPECT_GE(a.size(), 150u);
  EXPECT_TRUE(a == b);
  // And the same as the build's own run wrote.
  for (const auto& [relative, bytes] : a)
    EXPECT_TRUE(bytes == readBytes((fs::path(testing::contentRoot()) / relative).string()))
        << relative;
}

TEST(ArtworkContent, MissingFontsStopTheStageNamingTheFile) {
  const testing::TempDir dir;
  const fs::path tmp = dir.path();
  const art::FontFiles good = art::systemFontFiles();
  art::FontFiles noLatin = good, noCjk = good, noSheet = good;
  noLatin.latin = (tmp / "DejaVuSans.ttf").string();
  noCjk.cjk = (tmp / "wqy-microhei.ttc").string();
  noSheet.sheet = (tmp / "DejaVuSansCondensed.ttf").string();
  const std::pair<art::FontFiles, std::string> kCases[] = {
      {noLatin, noLatin.latin}, {noCjk, noCjk.cjk}, {noSheet, noSheet.sheet}};
  for (const auto& [fonts, missing] : kCases) {
    generate::ContentRoot root((tmp / "root").string());
    try {
      generate::generateArtwork(root, fonts);
      ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(missing), std::string::npos) << e.what();
    }
    EXPECT_EQ(root.filesWritten(), 0);
  }
}

TEST(ArtworkRaster, KeyColourIsKeptForUnpaintedPixelsOnly) {
  art::Canvas canvas(8, 8, art::kKeyWhite);
  canvas.trackCoverage();
  // A square painted in the key colour itself must not become transparent.
  canvas.fill(art::Shape().rect({2, 2, 6, 6}), art::kKeyWhite);
  const std::vector<std::uint8_t> rgb = canvas.keyed(art::kKeyWhite, 0.5);
  auto isKey = [&](int x, int y) {
    const std::uint8_t* p = &rgb[3 * (y * 8 + x)];
    return p[0] == 255 && p[1] == 255 && p[2] == 255;
  };
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      const bool painted = x >= 2 && x < 6 && y >= 2 && y < 6;
      EXPECT_EQ(isKey(x, y), !painted) << x << ", " << y;
    }
}

TEST(ArtworkText, WrappingKeepsPunctuationWithItsCharacter) {
  const art::Fonts fonts(art::systemFontFiles());
  const art::TextStyle style{18};
  const std::string sentence = "按住鼠标右键或左键拖动，即可转动视角环绕模特。";
  const double full = art::measureText(fonts, style, sentence).advance;
  const auto lines = art::wrapText(fonts, style, sentence, full * 0.6, 2);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0] + lines[1], sentence);
  EXPECT_EQ(lines[0], "按住鼠标右键或左键拖动，") << "the comma is the natural break";
  for (const std::string& line : lines)
    EXPECT_LE(art::measureText(fonts, style, line).advance, full * 0.6);

  // Never a line that starts with closing punctuation, nor a Latin word split.
  const std::string mixed = "按住 Shift 键再拖动鼠标，可以平移画面。";
  const double mixedFull = art::measureText(fonts, style, mixed).advance;
  for (double part : {0.3, 0.4, 0.5}) {
    const auto narrow = art::wrapText(fonts, style, mixed, mixedFull * part, 8);
    std::string joined;
    for (const std::string& line : narrow) {
      EXPECT_NE(line.rfind("，", 0), 0u) << line;
      EXPECT_NE(line.rfind("。", 0), 0u) << line;
      joined += line;
    }
    EXPECT_NE(joined.find("Shift"), std::string::npos);
  }
  EXPECT_THROW(art::wrapText(fonts, style, sentence, full * 0.3, 2), std::invalid_argument);
}

}  // namespace
}  // namespace vestora
