// The demo store beside the application root and the wardrobe pictures:
// every package is signed with the store's key, installs exactly the
// garment's wardrobe files, and is linked from the home page; every
// garment's thumbnail is a 24-bit BMP of the size the wardrobe expects.
#include <sodium.h>

#include <filesystem>
#include <map>
#include <set>

#include <gtest/gtest.h>

#include "cloth/garment_files.h"
#include "content/content_fixture.h"
#include "installer/package_format.h"
#include "platform/file_io.h"
#include "store/store_key.h"
#include "test_support.h"

namespace vestora {
namespace {

namespace fs = std::filesystem;
using testing::contentPath;

const fs::path kStore = VESTORA_TEST_STORE;

struct Sold {
  std::string name, file;  // "Tunic", "Tunic.pop"
};
const Sold kSold[] = {{"Tunic", "Tunic.pop"}, {"Maxi", "Maxi.pop"}, {"Camisole", "Camisole.msh"}};

std::vector<std::uint8_t> readBytes(const fs::path& path) {
  auto bytes = readFileBytes(path.string());
  EXPECT_TRUE(bytes.ok()) << (bytes.ok() ? "" : bytes.error().message());
  return bytes.ok() ? bytes.value() : std::vector<std::uint8_t>{};
}

bool verifies(const std::vector<std::uint8_t>& package,
              const std::vector<std::uint8_t>& signature) {
  if (sodium_init() < 0 || signature.size() != crypto_sign_BYTES) return false;
  return crypto_sign_verify_detached(signature.data(), package.data(), package.size(),
                                     kStorePublicKey.data()) == 0;
}

struct Bmp {
  bool ok = false;
  std::string fault;
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;  // top row first
};

// A 24-bit uncompressed bottom-up BMP, every header field checked.
Bmp readBmp(const std::vector<std::uint8_t>& b) {
  Bmp bmp;
  auto u16 = [&](std::size_t at) { return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8; };
  auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return bmp.fault = "no BMP header", bmp;
  if (u32(2) != b.size()) return bmp.fault = "file size field " + std::to_string(u32(2)), bmp;
  if (u32(10) != 54 || u32(14) != 40) return bmp.fault = "unexpected header layout", bmp;
  const std::int32_t w = static_cast<std::int32_t>(u32(18)), h = static_cast<std::int32_t>(u32(22));
  if (w <= 0 || h <= 0) return bmp.fault = "not a bottom-up picture", bmp;
  if (u16(26) != 1 || u16(28) != 24 || u32(30) != 0)
    return bmp.fault = "not 24-bit uncompressed", bmp;
  const std::size_t stride = (3 * std::size_t(w) + 3) / 4 * 4;
  if (b.size() != 54 + stride * h) return bmp.fault = "pixel bytes do not match the size", bmp;
  bmp.width = w;
  bmp.height = h;
  bmp.rgb.resize(3 * std::size_t(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int k = 0; k < 3; ++k)
        bmp.rgb[3 * (std::size_t(y) * w + x) + k] = b[54 + stride * (h - 1 - y) + 3 * x + (2 - k)];
  bmp.ok = true;
  return bmp;
}

// The share of pixels that are clearly coloured (neither white nor the grey
// of the body).
double colouredShare(const Bmp& bmp) {
  std::size_t coloured = 0;
  for (std::size_t i = 0; i < bmp.rgb.size(); i += 3) {
    const int r = bmp.rgb[i], g = bmp.rgb[i + 1], b = bmp.rgb[i + 2];
    if (std::max({r, g, b}) - std::min({r, g, b}) > 10) ++coloured;
  }
  return double(coloured) / (bmp.rgb.size() / 3);
}

// Width and height from a baseline JPEG's frame header; {0, 0} when none.
std::pair<int, int> jpegSize(const std::vector<std::uint8_t>& j) {
  if (j.size() < 4 || j[0] != 0xFF || j[1] != 0xD8) return {0, 0};
  std::size_t at = 2;
  while (at + 9 < j.size() && j[at] == 0xFF) {
    const int marker = j[at + 1];
    const std::size_t length = std::size_t(j[at + 2]) << 8 | j[at + 3];
    if (marker == 0xC0) return {j[at + 7] << 8 | j[at + 8], j[at + 5] << 8 | j[at + 6]};
    at += 2 + length;
  }
  return {0, 0};
}

void expectThumbnail(const std::vector<std::uint8_t>& bytes, const std::string& what) {
  const Bmp bmp = readBmp(bytes);
  ASSERT_TRUE(bmp.ok) << what << ": " << bmp.fault;
  EXPECT_EQ(bmp.width, 172) << what;
  EXPECT_EQ(bmp.height, 218) << what;
  // White round the garment, the garment's colour in the middle of it.
  for (std::size_t corner : {std::size_t(0), std::size_t(bmp.width - 1)}) {
    for (int k = 0; k < 3; ++k) EXPECT_GE(bmp.rgb[3 * corner + k], 240) << what;
  }
  EXPECT_GT(colouredShare(bmp), 0.2) << what;
}

TEST(StoreContent, EveryPackageIsSignedAndInstallsTheGarmentsWardrobeFiles) {
  std::set<std::string> packages;
  for (const auto& e : fs::directory_iterator(kStore / "productdata")) {
    if (e.path().extension() == ".exe") packages.insert(e.path().stem().string());
  }
  std::set<std::string> expected;
  for (const Sold& s : kSold) expected.insert(s.name);
  EXPECT_EQ(packages, expected);

  for (const Sold& s : kSold) {
    SCOPED_TRACE(s.name);
    const fs::path exe = kStore / "productdata" / (s.name + ".exe");
    const auto package = readBytes(exe);
    const auto signature = readBytes(exe.string() + ".sig");
    ASSERT_EQ(signature.size(), 64u);
    EXPECT_TRUE(verifies(package, signature));

    auto entries = readPackage(package, exe.string());
    ASSERT_TRUE(entries.ok()) << entries.error().message();
    std::map<std::string, std::vector<std::uint8_t>> files;
    for (PackageEntry& e : entries.value()) files[e.path] = std::move(e.bytes);
    const std::set<std::string> wanted = {"pattern/" + s.file,
                                          "pattern/" + s.file + ".bmp",
                                          "texture/" + s.name + ".jpg",
                                          "pattern/texture/" + s.name + ".jpg",
                                          "pattern/" + s.name + "00.jpg",
                                          "pattern/" + s.name + "01.jpg"};
    std::set<std::string> got;
    for (const auto& [path, bytes] : files) got.insert(path);
    ASSERT_EQ(got, wanted);

    // The garment reads and names its fabric, which both texture folders get.
    GarmentLoadContext ctx;
    const auto& garmentBytes = files.at("pattern/" + s.file);
    auto garment =
        s.file.ends_with(".pop")
            ? parseFittedGarment(garmentBytes, s.file, ctx)
            : parsePatternMesh(std::string(garmentBytes.begin(), garmentBytes.end()), s.file, ctx);
    ASSERT_TRUE(garment.ok()) << garment.error().message();
    EXPECT_EQ(garment->textureName, s.name + ".jpg");
    EXPECT_EQ(garment->hasBinding, s.file.ends_with(".pop"));
    EXPECT_GT(garment->particleCount(), 500);
    const auto& fabric = files.at("texture/" + s.name + ".jpg");
    EXPECT_EQ(fabric, files.at("pattern/texture/" + s.name + ".jpg"));
    EXPECT_EQ(jpegSize(fabric), std::make_pair(256, 256));

    expectThumbnail(files.at("pattern/" + s.file + ".bmp"), s.file);
    EXPECT_EQ(jpegSize(files.at("pattern/" + s.name + "00.jpg")), std::make_pair(400, 500));
    EXPECT_EQ(jpegSize(files.at("pattern/" + s.name + "01.jpg")), std::make_pair(400, 500));
    EXPECT_NE(files.at("pattern/" + s.name + "00.jpg"), files.at("pattern/" + s.name + "01.jpg"));
    EXPECT_EQ(readBytes(kStore / "images" / (s.name + ".jpg")),
              files.at("pattern/" + s.name + "00.jpg"));
  }
}

TEST(StoreContent, AnyChangedByteFailsVerification) {
  const fs::path exe = kStore / "productdata" / "Tunic.exe";
  const auto package = readBytes(exe);
  const auto signature = readBytes(exe.string() + ".sig");
  ASSERT_TRUE(verifies(package, signature));
  // In the stub, in the payload, in the trailer.
  for (std::size_t at : {std::size_t(100), package.size() / 2, package.size() - 1}) {
    auto changed = package;
    changed[at] ^= 0x01;
    EXPECT_FALSE(verifies(changed, signature)) << "byte " << at;
  }
  auto shorter = package;
  shorter.pop_back();
  EXPECT_FALSE(verifies(shorter, signature));
  auto badSignature = signature;
  badSignature[10] ^= 0x80;
  EXPECT_FALSE(verifies(package, badSignature));
  // Another package's signature does not fit.
  EXPECT_FALSE(verifies(package, readBytes(kStore / "productdata" / "Maxi.exe.sig")));
}

TEST(StoreContent, PagesLinkEveryPackageAndNothingOutside) {
  const std::string index = testing::readAll((kStore / "index.html").string());
  ASSERT_FALSE(index.empty());
  EXPECT_NE(index.find("<meta charset=\"utf-8\">"), std::string::npos);
  EXPECT_NE(index.find("服装店"), std::string::npos);
  for (const auto& e : fs::directory_iterator(kStore / "productdata")) {
    if (e.path().extension() != ".exe") continue;
    const std::string name = e.path().stem().string();
    EXPECT_NE(index.find("href=\"productdata/" + name + ".exe\""), std::string::npos) << name;
    EXPECT_NE(index.find("src=\"images/" + name + ".jpg\""), std::string::npos) << name;
  }
  const std::string cart = testing::readAll((kStore / "Cart.aspx").string());
  for (const char* needle : {"id=\"cart\"", "id=\"orders\"", "'idd'", "<meta charset=\"utf-8\">"})
    EXPECT_NE(cart.find(needle), std::string::npos) << needle;
  // Every link and picture of every page is a file of the store.
  for (const char* page : {"index.html", "Cart.aspx"}) {
    const std::string html = testing::readAll((kStore / page).string());
    int links = 0;
    for (const std::string attribute : {"href=\"", "src=\""}) {
      for (std::size_t at = html.find(attribute); at != std::string::npos;
           at = html.find(attribute, at + 1), ++links) {
        const std::size_t begin = at + attribute.size();
        const std::size_t end = html.find_first_of("\"?#", begin);
        ASSERT_NE(end, std::string::npos) << page;
        const std::string target = html.substr(begin, end - begin);
        EXPECT_TRUE(fs::is_regular_file(kStore / target)) << page << " links " << target;
      }
    }
    EXPECT_GT(links, 3) << page;
  }
}

TEST(WardrobePictures, DefaultGarmentsHaveThumbnailsAndDetailPictures) {
  for (const char* file : {"Dress.pop", "Top.msh", "Skirt.msh"}) {
    SCOPED_TRACE(file);
    const std::string name = std::string(file).substr(0, std::string(file).find('.'));
    expectThumbnail(readBytes(contentPath("\\pattern\\" + std::string(file) + ".bmp")), file);
    EXPECT_EQ(jpegSize(readBytes(contentPath("\\pattern\\" + name + "00.jpg"))),
              std::make_pair(400, 500));
    EXPECT_EQ(jpegSize(readBytes(contentPath("\\pattern\\" + name + "01.jpg"))),
              std::make_pair(400, 500));
  }
}

}  // namespace
}  // namespace vestora
