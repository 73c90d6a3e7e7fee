// The hair folder of the wardrobe: every hair style and the man's face read
// with their names, seat vertices and groups; their pictures are colour and
// alpha pairs of one size (the girl's a 32-bit TGA with holes); every style
// has its wardrobe thumbnail; and each style, put on by the program, sits on
// its body's head.
#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "avatar/accessories.h"
#include "avatar/avatar.h"
#include "avatar/shipped_numbers.h"
#include "content/content_fixture.h"
#include "content/content_images.h"
#include "content/generated.h"
#include "platform/file_io.h"

namespace vestora {
namespace {

using testing::contentPath;
using testing::contentRoot;
using testing::loadContentModel;

const std::string kFolder = kHairFolder;

struct Style {
  const char* name;
  const char* body;  // the body it is made for
  int seat;          // the vertex kept over the crown, 0 for none
};
constexpr const char* kWoman = "\\model\\ChinaFemale\\nv_High.c3d";
constexpr const char* kGirl = "\\model\\ChinaGirl\\Girl.c3d";
constexpr const char* kMan = "\\model\\ChinaMale\\Dayou.c3d";
const Style kStyles[] = {
    {"PonyTail", kWoman, 0},
    {"MikiHair", kWoman, shipped::kHairSeatMikiHair},
    {"PonyHair", kWoman, shipped::kHairSeatPonyHair},
    {"AliceHair", kWoman, shipped::kHairSeatAliceHair},
    {"MessyHair", kWoman, shipped::kHairSeatMessyHair},
    {"LongHair", kWoman, shipped::kHairSeatLongHair},
    {"ReiHair", kWoman, 0},
    {"MKHair", kWoman, 0},
    {"GirlHair", kGirl, shipped::kHairSeatGirlHair},
    {"ManHair1", kMan, 0},
    {"ManHair2", kMan, 0},
    {"ManHair3", kMan, 0},
};

// Colour and alpha pictures, by pair.
const std::array<const char*, 2> kPairs[] = {
    {"BobHairTX.jpg", "BobHairTR.jpg"},     {"PTTailTX.jpg", "PTTailTR.jpg"},
    {"PTHeadTX.jpg", "PTHeadTR.jpg"},       {"ManHair1TX.jpg", "ManHair1TR.jpg"},
    {"ManHair2TX.jpg", "ManHair2TR.jpg"},   {"ManHair3TX.jpg", "ManHair3TR.jpg"},
    {"MKHairTX.jpg", "MKHairTR.jpg"},       {"PonyTX.jpg", "PonyTR.jpg"},
    {"ALiceHairTX.jpg", "AliceHairTR.jpg"}, {"MessyHairTX.jpg", "MessyHairTR.jpg"},
    {"longblacktx.jpg", "longblacktr.jpg"}, {"ReiHairTX.jpg", "ReiHairTR.jpg"},
};

using Picture = testing::Image;
using testing::readBytes;

// A picture of the hair folder in its own colour space (one channel for a
// greyscale alpha picture).
Picture jpeg(const std::string& file) {
  return testing::decodeJpeg(testing::readBytes(contentPath(kFolder + file)), true);
}

// Fractions of a one-channel picture at most `low` and at least `high`.
std::pair<double, double> alphaShares(const Picture& p, int low, int high) {
  std::size_t below = 0, above = 0;
  for (std::uint8_t a : p.pixels) {
    below += a <= low;
    above += a >= high;
  }
  return {double(below) / p.pixels.size(), double(above) / p.pixels.size()};
}

// ---- placed models --------------------------------------------------------

struct Box {
  std::array<float, 3> lo{1e30f, 1e30f, 1e30f}, hi{-1e30f, -1e30f, -1e30f};
  void add(const float* p) {
    for (int k = 0; k < 3; ++k) lo[k] = std::min(lo[k], p[k]), hi[k] = std::max(hi[k], p[k]);
  }
};

Box boxOf(const GlmModel& m) {
  Box b;
  for (std::uint32_t v = 1; v <= m.vertexCount(); ++v) b.add(m.vertex(v));
  return b;
}

std::set<std::uint32_t> groupVertices(const GlmModel& m, const std::string& name) {
  std::set<std::uint32_t> out;
  for (const GlmGroup& g : m.groups)
    if (g.name == name)
      for (std::uint32_t t : g.triangles)
        for (std::uint32_t v : m.triangles[t].vindices) out.insert(v);
  return out;
}

// The body's head: its vertices, the top, the eye level and the level of
// the widest point of the head (the ears).
struct HeadShape {
  std::vector<std::array<float, 3>> points;
  float top = -1e30f, eyeLevel = 0, earLevel = 0;
  float eyeLeft = 1e30f, eyeRight = -1e30f;  // the head's width at eye level
};

HeadShape headOf(const Avatar& body) {
  HeadShape h;
  const GlmModel& m = body.model();
  for (std::uint32_t v : groupVertices(m, " Head")) {
    const float* p = m.vertex(v);
    h.points.push_back({p[0], p[1], p[2]});
    h.top = std::max(h.top, p[1]);
  }
  std::set<std::uint32_t> eyes = groupVertices(m, " Eye");
  if (eyes.empty()) eyes = groupVertices(m, " Eyes");
  float sum = 0;
  for (std::uint32_t v : eyes) sum += m.vertex(v)[1];
  h.eyeLevel = eyes.empty() ? 0 : sum / eyes.size();
  float widest = 0;
  for (const auto& p : h.points) {
    if (std::abs(p[0]) > widest) widest = std::abs(p[0]), h.earLevel = p[1];
    if (std::abs(p[1] - h.eyeLevel) < 0.03f) {
      h.eyeLeft = std::min(h.eyeLeft, p[0]);
      h.eyeRight = std::max(h.eyeRight, p[0]);
    }
  }
  return h;
}

struct Worn {
  std::unique_ptr<Avatar> body;
  std::unique_ptr<Accessories> accessories;
};

Worn wear(const char* bodyPath, const std::string& style) {
  Worn w;
  w.body = std::make_unique<Avatar>(contentRoot());
  const auto loaded = w.body->loadAvatar(bodyPath);
  EXPECT_TRUE(loaded.ok()) << bodyPath;
  w.accessories = std::make_unique<Accessories>(*w.body);
  w.accessories->bodyLoaded();
  const auto put = w.accessories->LoadHairStyle(kFolder + style + ".c3d");
  EXPECT_TRUE(put.ok()) << style << ": " << (put.ok() ? "" : put.error().message());
  return w;
}

// ---- the models -------------------------------------------------------------

TEST(HairContent, EveryStyleReadsWithItsNameAndSeatVertex) {
  for (const Style& s : kStyles) {
    SCOPED_TRACE(s.name);
    auto loaded = loadContentModel(kFolder + s.name + ".c3d");
    ASSERT_TRUE(loaded.model);
    const GlmModel& m = *loaded.model;
    EXPECT_EQ(m.modelName, s.name);
    EXPECT_GE(m.vertexCount(), std::uint32_t(std::max(s.seat, 3)));
    EXPECT_GT(m.triangleCount(), 0u);
    // Every corner has its texture coordinate.
    std::size_t bare = 0;
    for (const GlmTriangle& t : m.triangles)
      for (std::uint32_t k : t.tindices) bare += k == 0 || k > m.texcoordCount();
    EXPECT_EQ(bare, 0u);
  }
}

TEST(HairContent, PonyTailAndTheFaceHaveTheGroupsTheyAreDrawnBy) {
  auto pony = loadContentModel(kFolder + "PonyTail.c3d");
  ASSERT_TRUE(pony.model);
  for (const char* g : {" head", " TAIL"}) EXPECT_FALSE(groupVertices(*pony.model, g).empty()) << g;

  auto face = loadContentModel(kFolder + "ManFace.c3d");
  ASSERT_TRUE(face.model);
  EXPECT_EQ(face.model->modelName, "ManFace");
  for (const char* g : {" Geo_Head", " Eye_L", " Eye_R"}) {
    EXPECT_FALSE(groupVertices(*face.model, g).empty()) << g;
    for (const GlmGroup& group : face.model->groups) {
      if (group.name != g) continue;
      for (std::uint32_t t : group.triangles)
        for (std::uint32_t k : face.model->triangles[t].tindices) ASSERT_GT(k, 0u) << g;
    }
  }
  // The left eye is the one on the body's left (+x).
  float left = 0, right = 0;
  for (std::uint32_t v : groupVertices(*face.model, " Eye_L")) left += face.model->vertex(v)[0];
  for (std::uint32_t v : groupVertices(*face.model, " Eye_R")) right += face.model->vertex(v)[0];
  EXPECT_GT(left, right);
}

// ---- the pictures -----------------------------------------------------------

TEST(HairContent, ColourAndAlphaPicturesPairUpAsStrands) {
  for (const auto& [tx, tr] : kPairs) {
    SCOPED_TRACE(tx);
    const Picture colour = jpeg(tx), alpha = jpeg(tr);
    ASSERT_TRUE(colour.fault.empty() && alpha.fault.empty());
    EXPECT_EQ(colour.channels, 3);
    EXPECT_EQ(alpha.channels, 1);
    EXPECT_EQ(colour.width, alpha.width);
    EXPECT_EQ(colour.height, alpha.height);
    EXPECT_LE(colour.width, 512);
    EXPECT_LE(colour.height, 512);
    // Strands with gaps between them: the alpha test drops some texels and
    // keeps a good part solid.
    const auto [gaps, solid] = alphaShares(alpha, 25, 230);
    EXPECT_GT(gaps, 0.05);
    EXPECT_GT(solid, 0.3);
  }
}

TEST(HairContent, TheFacePicturesAreColourJpegs) {
  for (const char* file : {"Bio_UV_Head.jpg", "Bio_ETT_Material.jpg"}) {
    const Picture p = jpeg(file);
    ASSERT_TRUE(p.fault.empty()) << file;
    EXPECT_EQ(p.channels, 3) << file;
    EXPECT_LE(std::max(p.width, p.height), 512) << file;
    // Not a flat colour: features are drawn on it.
    std::set<int> tones;
    for (std::size_t i = 0; i < p.pixels.size(); i += 3) tones.insert(p.pixels[i] / 16);
    EXPECT_GT(tones.size(), 4u) << file;
  }
}

TEST(HairContent, GirlHairIsAnUncompressedTrueColourTgaWithHoles) {
  const auto bytes = readBytes(contentPath(kFolder + "GirlHair.tga"));
  ASSERT_GE(bytes.size(), 18u);
  const std::uint8_t header[12] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_TRUE(std::equal(header, header + 12, bytes.begin()));
  const int width = bytes[12] | bytes[13] << 8, height = bytes[14] | bytes[15] << 8;
  EXPECT_EQ(bytes[16], 32);
  ASSERT_GT(width, 0);
  ASSERT_GT(height, 0);
  EXPECT_LE(std::max(width, height), 512);
  ASSERT_EQ(bytes.size(), 18u + 4u * width * height);
  std::size_t holes = 0, solid = 0;
  for (std::size_t i = 18 + 3; i < bytes.size(); i += 4) {
    holes += bytes[i] <= 25;
    solid += bytes[i] >= 230;
  }
  EXPECT_GT(holes, 0u);
  EXPECT_GT(solid, 0u);
  // The girl's own hair picture is the same.
  EXPECT_EQ(readBytes(contentPath("\\model\\ChinaGirl\\GirlHair.tga")), bytes);
}

TEST(HairContent, EveryStyleHasAWardrobeThumbnailOfItsOwn) {
  std::set<std::vector<std::uint8_t>> seen;
  for (const Style& s : kStyles) {
    SCOPED_TRACE(s.name);
    const auto bmp = readBytes(contentPath(kFolder + s.name + ".hir.bmp"));
    ASSERT_GE(bmp.size(), 54u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    auto le32 = [&](std::size_t at) {
      return int(bmp[at] | bmp[at + 1] << 8 | bmp[at + 2] << 16 | bmp[at + 3] << 24);
    };
    const int width = le32(18), height = le32(22);
    EXPECT_EQ(width, generate::kThumbnailWidth);
    EXPECT_EQ(height, generate::kThumbnailHeight);
    EXPECT_EQ(bmp[28] | bmp[29] << 8, 24);
    const int stride = (width * 3 + 3) / 4 * 4;
    const std::size_t data = std::size_t(le32(10));
    ASSERT_EQ(bmp.size(), data + std::size_t(stride) * height);
    // White round the picture, the hair and head in the middle.
    auto pixel = [&](int x, int y) {
      return &bmp[data + std::size_t(height - 1 - y) * stride + std::size_t(x) * 3];
    };
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{width - 1, 0}}) {
      const std::uint8_t* p = pixel(x, y);
      EXPECT_TRUE(p[0] == 255 && p[1] == 255 && p[2] == 255) << x << "," << y;
    }
    int dark = 0;
    for (int y = height / 4; y < 3 * height / 4; ++y)
      for (int x = width / 4; x < 3 * width / 4; ++x) {
        const std::uint8_t* p = pixel(x, y);
        dark += p[0] + p[1] + p[2] < 3 * 160;
      }
    EXPECT_GT(dark, width * height / 40);
    EXPECT_TRUE(seen.insert(bmp).second) << "the same picture as another style";
  }
}

// ---- on the body ------------------------------------------------------------

TEST(HairContent, TheWomansStylesSitOnHerHead) {
  Avatar woman(contentRoot());
  ASSERT_TRUE(woman.loadAvatar(kWoman).ok());
  const HeadShape head = headOf(woman);
  ASSERT_GT(head.points.size(), 100u);
  ASSERT_LT(head.eyeLevel, head.top);
  for (const Style& s : kStyles) {
    if (std::string(s.body) != kWoman) continue;
    SCOPED_TRACE(s.name);
    const Worn worn = wear(kWoman, s.name);
    ASSERT_TRUE(worn.accessories->hair);
    const Box box = boxOf(*worn.accessories->hair.model);
    // Over the top of the head, round its sides at the eyes.
    EXPECT_GT(box.hi[1], head.top);
    EXPECT_LT(box.lo[1], head.eyeLevel);
    EXPECT_LE(box.lo[0], head.eyeLeft);
    EXPECT_GE(box.hi[0], head.eyeRight);
    // Nothing of the head above the ears sticks out of it sideways, upwards
    // or backwards (the face is in front of the hair).
    int outside = 0;
    for (const auto& p : head.points)
      if (p[1] > head.earLevel &&
          (p[0] < box.lo[0] || p[0] > box.hi[0] || p[1] > box.hi[1] || p[2] < box.lo[2]))
        ++outside;
    EXPECT_EQ(outside, 0);
  }
}

TEST(HairContent, TheSeatVerticesLieOverTheCrown) {
  for (const Style& s : kStyles) {
    if (s.seat == 0 || std::string(s.body) != kWoman) continue;
    SCOPED_TRACE(s.name);
    const Worn worn = wear(kWoman, s.name);
    const SkinVertex* crown = &worn.body->skin[shipped::kWomanHairSeat - 1];
    EXPECT_EQ(worn.accessories->hair.seatVertex, s.seat);
    const float* v = worn.accessories->hair.model->vertex(std::uint32_t(s.seat));
    // Just above the crown: within a few millimetres of it, outside.
    const float dx = v[0] - crown->x, dy = v[1] - crown->y, dz = v[2] - crown->z;
    EXPECT_LT(std::sqrt(dx * dx + dy * dy + dz * dz), 0.08f);
    EXPECT_GT(dy, 0.0f);
  }
}

TEST(HairContent, TheGirlsHairSitsOnHerCrown) {
  const Worn worn = wear(kGirl, "GirlHair");
  ASSERT_TRUE(worn.accessories->hair);
  const GlmModel& hair = *worn.accessories->hair.model;
  const SkinVertex& crown = worn.body->skin[shipped::kGirlHairSeat - 1];
  const auto rule = seatRule("GirlHair");
  ASSERT_TRUE(rule);
  const float* seat = hair.vertex(std::uint32_t(shipped::kHairSeatGirlHair));
  EXPECT_NEAR(seat[0], crown.x + rule->offset[0], 1e-4);
  EXPECT_NEAR(seat[1], crown.y + rule->offset[1], 1e-4);
  EXPECT_NEAR(seat[2], crown.z + rule->offset[2], 1e-4);
  // The seat vertex lies just over the crown, so the offset is small and up.
  EXPECT_GT(rule->offset[1], 0.0f);
  EXPECT_LT(std::abs(rule->offset[0]) + std::abs(rule->offset[1]) + std::abs(rule->offset[2]),
            0.1f);
  const HeadShape head = headOf(*worn.body);
  const Box box = boxOf(hair);
  EXPECT_GT(box.hi[1], head.top);
  EXPECT_LE(box.lo[0], head.eyeLeft);
  EXPECT_GE(box.hi[0], head.eyeRight);
}

TEST(HairContent, TheMansHairAndFaceSitOnHisHead) {
  Avatar man(contentRoot());
  ASSERT_TRUE(man.loadAvatar(kMan).ok());
  const HeadShape head = headOf(man);
  for (const char* style : {"ManHair1", "ManHair2", "ManHair3"}) {
    SCOPED_TRACE(style);
    const Worn worn = wear(kMan, style);
    ASSERT_TRUE(worn.accessories->hair);
    const Box box = boxOf(*worn.accessories->hair.model);
    EXPECT_GT(box.hi[1], head.top);
    EXPECT_LT(box.lo[1], head.eyeLevel);
    EXPECT_LE(box.lo[0], head.eyeLeft);
    EXPECT_GE(box.hi[0], head.eyeRight);
  }
  // The face is the man's head a hair's breadth bigger: every vertex of his
  // head from the eyes up lies inside its box, and close to its skin.
  const Worn face = wear(kMan, "ManFace");
  ASSERT_TRUE(face.accessories->hair);
  const GlmModel& m = *face.accessories->hair.model;
  const Box box = boxOf(m);
  const std::set<std::uint32_t> skin = groupVertices(m, " Geo_Head");
  int outside = 0, far = 0;
  for (const auto& p : head.points) {
    if (p[1] < head.eyeLevel) continue;
    for (int k = 0; k < 3; ++k) outside += p[k] < box.lo[k] || p[k] > box.hi[k];
    float nearest = 1e30f;
    for (std::uint32_t v : skin) {
      const float* q = m.vertex(v);
      nearest = std::min(nearest, std::hypot(q[0] - p[0], q[1] - p[1], q[2] - p[2]));
    }
    far += nearest > 0.05f;
  }
  EXPECT_EQ(outside, 0);
  EXPECT_EQ(far, 0);
}

}  // namespace
}  // namespace vestora
