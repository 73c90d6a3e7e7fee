// The package format: what is built reads back, and anything cut short,
// padded, or naming a file outside the wardrobe folders is refused.
#include "installer/package_format.h"

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vestora {
namespace {

std::vector<std::uint8_t> bytesOf(std::string_view s) {
  return {s.begin(), s.end()};
}

const std::vector<std::uint8_t> kStub = bytesOf(
    "\x7f"
    "ELF stub bytes, VSTRPKG1 inside the stub too");

std::vector<PackageEntry> sampleEntries() {
  return {{"pattern/Tunic.pop", bytesOf("garment\0bytes")},
          {"pattern/Tunic.pop.bmp", bytesOf("BM picture")},
          {"texture/Tunic.jpg", {}},
          {"pattern/texture/Tunic.jpg", bytesOf(std::string(3000, 'j'))}};
}

std::vector<std::uint8_t> build(const std::vector<PackageEntry>& entries) {
  auto built = buildPackage(kStub, entries);
  EXPECT_TRUE(built.ok()) << (built.ok() ? "" : built.error().message());
  return built.ok() ? built.value() : std::vector<std::uint8_t>{};
}

// A package written by hand, for layouts buildPackage never makes.
struct RawPackage {
  std::vector<std::uint8_t> bytes = kStub;
  std::uint64_t offset = kStub.size();
  RawPackage& magic(std::string_view m = kPayloadMagic) {
    bytes.insert(bytes.end(), m.begin(), m.end());
    return *this;
  }
  RawPackage& u32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    return *this;
  }
  RawPackage& entry(std::string_view path, std::string_view data) {
    bytes.push_back(static_cast<std::uint8_t>(path.size()));
    bytes.push_back(static_cast<std::uint8_t>(path.size() >> 8));
    bytes.insert(bytes.end(), path.begin(), path.end());
    for (int i = 0; i < 8; ++i)
      bytes.push_back(static_cast<std::uint8_t>(std::uint64_t(data.size()) >> (8 * i)));
    bytes.insert(bytes.end(), data.begin(), data.end());
    return *this;
  }
  std::vector<std::uint8_t> finish() const {
    std::vector<std::uint8_t> out = bytes;
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<std::uint8_t>(offset >> (8 * i)));
    out.insert(out.end(), kPackageMagic.begin(), kPackageMagic.end());
    return out;
  }
};

TEST(PackageFormat, RoundTripKeepsEntriesInOrderAfterTheStub) {
  const auto entries = sampleEntries();
  const auto package = build(entries);
  ASSERT_GT(package.size(), kStub.size() + kTrailerBytes);
  EXPECT_TRUE(std::equal(kStub.begin(), kStub.end(), package.begin()));
  EXPECT_EQ(0, std::memcmp(package.data() + package.size() - 8, "VSTRPKG1", 8));

  auto read = readPackage(package);
  ASSERT_TRUE(read.ok()) << read.error().message();
  EXPECT_EQ(read.value(), entries);

  // No entries at all, and an empty stub, are packages too.
  auto empty = buildPackage({}, {});
  ASSERT_TRUE(empty.ok());
  auto readEmpty = readPackage(empty.value());
  ASSERT_TRUE(readEmpty.ok()) << readEmpty.error().message();
  EXPECT_TRUE(readEmpty.value().empty());
}

TEST(PackageFormat, EveryTruncationIsRefused) {
  const auto package = build(sampleEntries());
  for (std::size_t n = 0; n < package.size(); ++n) {
    const std::span<const std::uint8_t> prefix(package.data(), n);
    EXPECT_FALSE(readPackage(prefix).ok()) << "accepted the first " << n << " bytes";
  }
}

TEST(PackageFormat, DamagedLayoutsAreRefusedWithAReason) {
  const auto package = build(sampleEntries());
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    const char* reason;
  };
  std::vector<Case> cases;

  auto badTrailer = package;
  badTrailer.back() = '2';
  cases.push_back({"trailer magic", badTrailer, "trailer"});

  auto badPayload = package;
  badPayload[kStub.size()] = 'X';
  cases.push_back({"payload magic", badPayload, "no payload"});

  RawPackage far;
  far.magic().u32(0);
  far.offset = package.size() * 4;
  cases.push_back({"offset beyond the file", far.finish(), "outside"});

  RawPackage huge;
  huge.magic().u32(0);
  huge.offset = ~std::uint64_t{0};
  cases.push_back({"offset 2^64-1", huge.finish(), "outside"});

  RawPackage many;
  many.magic().u32(65);
  for (int i = 0; i < 65; ++i) many.entry("pattern/P" + std::to_string(i) + ".jpg", "x");
  cases.push_back({"65 entries", many.finish(), "more than 64"});

  RawPackage announced;
  announced.magic().u32(0xffffffffu);
  cases.push_back({"count beyond the bytes", announced.finish(), "entries"});

  RawPackage oversized;
  oversized.magic().u32(1).entry("pattern/A.pop", "abc");
  // The size field claims far more than is present.
  oversized.bytes[oversized.bytes.size() - 3 - 8 + 7] = 0x7f;
  cases.push_back({"entry size beyond the bytes", oversized.finish(), "announced"});

  RawPackage twice;
  twice.magic().u32(2).entry("pattern/A.pop", "1").entry("pattern/A.pop", "2");
  cases.push_back({"repeated path", twice.finish(), "repeated"});

  RawPackage stray;
  stray.magic().u32(1).entry("pattern/A.pop", "1");
  stray.bytes.push_back(0);
  cases.push_back({"stray byte before the trailer", stray.finish(), "stray"});

  RawPackage fewer;
  fewer.magic().u32(2).entry("pattern/A.pop", "1");
  cases.push_back({"fewer entries than counted", fewer.finish(), "truncated"});

  for (const Case& c : cases) {
    auto read = readPackage(c.bytes, "pkg.exe");
    ASSERT_FALSE(read.ok()) << c.name;
    EXPECT_NE(read.error().message().find(c.reason), std::string::npos)
        << c.name << ": " << read.error().message();
    EXPECT_EQ(read.error().source, "pkg.exe") << c.name;
  }
}

TEST(PackageFormat, EntryPathsOutsideTheWardrobeFoldersAreRefused) {
  const std::string controls[] = {std::string("pattern/a\nb.pop"), std::string("pattern/a\x01.pop"),
                                  std::string("texture/a\x7f.jpg"),
                                  std::string("pattern/a\0b.pop", 15)};
  std::vector<std::string> hostile = {"../x.pop",
                                      "pattern/../x.pop",
                                      "pattern/a\\..\\b.pop",
                                      "pattern/a\\b.pop",
                                      "/etc/x",
                                      "/pattern/x.pop",
                                      "pattern/.hidden.pop",
                                      "pattern/.pop",
                                      "pattern/",
                                      "pattern",
                                      "pattern//x.pop",
                                      "pattern/sub/x.pop",
                                      "pattern/texture/sub/x.jpg",
                                      "textures/x.jpg",
                                      "model/x.c3d",
                                      "Pattern/x.pop",
                                      "pattern/x.exe",
                                      "pattern/x.pop.sh",
                                      "pattern/x.POP",
                                      "pattern/x",
                                      "pattern/x..pop",
                                      "./pattern/x.pop",
                                      "",
                                      "pattern/" + std::string(297, 'n') + ".pop"};
  hostile.insert(hostile.end(), std::begin(controls), std::end(controls));
  for (const std::string& path : hostile) {
    EXPECT_FALSE(checkEntryPath(path).ok()) << "accepted \"" << path << "\"";
    auto built = buildPackage(kStub, {{path, bytesOf("x")}});
    EXPECT_FALSE(built.ok()) << "built a package with \"" << path << "\"";
    RawPackage raw;
    raw.magic().u32(1).entry(path, "x");
    EXPECT_FALSE(readPackage(raw.finish()).ok()) << "read a package with \"" << path << "\"";
  }
}

TEST(PackageFormat, AllowedEntryPathsSplitIntoFolderAndName) {
  struct Case {
    std::string path, folder, name;
  };
  const Case cases[] = {
      {"pattern/Tunic.pop", "pattern", "Tunic.pop"},
      {"pattern/Camisole.msh", "pattern", "Camisole.msh"},
      {"pattern/Tunic.pop.bmp", "pattern", "Tunic.pop.bmp"},
      {"pattern/texture/Tunic.jpg", "pattern/texture", "Tunic.jpg"},
      {"texture/Tunic.jpg", "texture", "Tunic.jpg"},
      {"pattern/textured.jpg", "pattern", "textured.jpg"},
      {"pattern/长裙 01.jpg", "pattern", "长裙 01.jpg"},
      {"pattern/" + std::string(116, 'n') + ".jpg", "pattern", std::string(116, 'n') + ".jpg"},
  };
  for (const Case& c : cases) {
    auto split = checkEntryPath(c.path);
    ASSERT_TRUE(split.ok()) << c.path << ": " << split.error().message();
    EXPECT_EQ(split->folder, c.folder) << c.path;
    EXPECT_EQ(split->name, c.name) << c.path;
  }
  EXPECT_FALSE(checkEntryPath("pattern/" + std::string(117, 'n') + ".jpg").ok());
}

}  // namespace
}  // namespace vestora
