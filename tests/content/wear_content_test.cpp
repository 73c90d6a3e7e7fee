// The worn accessories of the wardrobe's glasses folder: every model reads
// with its name and the vertices its seat needs, the glasses have their
// lens runs, the pictures decode (the sandal's with clear gaps), every
// entry has its own thumbnail, and each item, put on by the program, lands
// where it is worn: glasses over the eyes, shoes on their seat and above
// the floor through reshaping, the bag over the forearm of the bag pose.
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
#include "avatar/avatar_table.h"
#include "avatar/shipped_numbers.h"
#include "body/body_shaper.h"
#include "content/content_fixture.h"
#include "content/generated.h"
#include "platform/file_io.h"
#include "view/image_codecs.h"

namespace vestora {
namespace {

using testing::contentPath;
using testing::contentRoot;
using testing::loadContentModel;

const std::string kFolder = kGlassesFolder;

struct Item {
  const char* file;   // the model file
  const char* name;   // the model's name
  const char* entry;  // the wardrobe's entry (its thumbnail is entry + ".bmp")
  int seat;           // the vertex seated on the body, 0 for none
};
const Item kItems[] = {
    {"blackframe.c3d", "Glassess", "blackframe.gls", 0},
    {"Glasses.c3d", "Glassess", "Glasses.gls", 0},
    {"nvnecklace.c3d", "necklace", "nvnecklace.jpg", 0},
    {"nvshoe1.c3d", "womanshoe1", "nvshoe1.jpg", shipped::kShoeSeatWomanShoe1},
    {"nvshoe2.c3d", "womanshoe2", "nvshoe2.tga", shipped::kShoeSeatWomanShoe2},
    {"nvshoe3.c3d", "womanshoe3", "nvshoe3.jpg", shipped::kShoeSeatWomanShoe3},
    {"GirlShoe.c3d", "GirlShoe", "GirlShoe.jpg", shipped::kShoeSeatGirlShoe},
    {"ManShoe.c3d", "ManShoe", "ManShoe.jpg", 0},
    {"nvsock.c3d", "sock", "nvsock.jpg", 0},
    {"Bag.c3d", "Bag", "Bag.jpg", shipped::kBagSeatVertex},
};

using Point = std::array<float, 3>;

float distance(const Point& a, const Point& b) {
  return std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]);
}

Point vertexOf(const GlmModel& m, std::uint32_t v) {
  return {m.vertex(v)[0], m.vertex(v)[1], m.vertex(v)[2]};
}

Point skinPoint(const Avatar& body, int vertex) {
  const SkinVertex& s = body.skin.at(std::size_t(vertex) - 1);
  return {s.x, s.y, s.z};
}

// A body of the avatar table (by its thumbnail's name) with the program's
// accessories over it.
struct Dressed {
  std::unique_ptr<Avatar> body;
  std::unique_ptr<Accessories> accessories;
};

Dressed dressed(std::string_view thumbnail) {
  Dressed d;
  d.body = std::make_unique<Avatar>(contentRoot());
  const AvatarEntry* entry = avatarEntryFor(thumbnail);
  EXPECT_TRUE(entry) << thumbnail;
  if (entry) {
    EXPECT_TRUE(d.body->selectAvatar(*entry).ok()) << thumbnail;
  }
  d.accessories = std::make_unique<Accessories>(*d.body);
  d.accessories->bodyLoaded();
  return d;
}

void wear(Dressed& d, const std::string& entry) {
  const auto worn = d.accessories->wearEntry(entry);
  ASSERT_TRUE(worn.ok()) << entry << ": " << (worn.ok() ? "" : worn.error().message());
}

// How far the seat vertex of `slot` lies from where its rule puts it.
float seatError(const Avatar& body, const AccessorySlot& slot, const Point& bodySeat) {
  const auto rule = seatRule(slot.name);
  EXPECT_TRUE(rule) << slot.name;
  if (!rule) return 1e30f;
  const Point want{bodySeat[0] + rule->offset[0], bodySeat[1] + rule->offset[1],
                   bodySeat[2] + rule->offset[2]};
  (void)body;
  return distance(vertexOf(*slot.model, std::uint32_t(rule->modelVertex)), want);
}

Point triangleCentre(const Avatar& body, int triangle) {
  const BodyTriangle& t = body.triangles.at(std::size_t(triangle));
  Point c{};
  for (const SkinVertex& s : t.corner) c = {c[0] + s.x / 3, c[1] + s.y / 3, c[2] + s.z / 3};
  return c;
}

float lowestY(const GlmModel& m) {
  float low = 1e30f;
  for (std::uint32_t v = 1; v <= m.vertexCount(); ++v) low = std::min(low, m.vertex(v)[1]);
  return low;
}

// ---- the models -------------------------------------------------------------

TEST(WearContent, EveryItemReadsWithItsNameAndTheVerticesItsSeatNeeds) {
  for (const Item& item : kItems) {
    SCOPED_TRACE(item.file);
    auto loaded = loadContentModel(kFolder + item.file);
    ASSERT_TRUE(loaded.model);
    const GlmModel& m = *loaded.model;
    EXPECT_EQ(m.modelName, item.name);
    EXPECT_GE(m.vertexCount(), std::uint32_t(std::max(item.seat, 3)));
    ASSERT_GT(m.triangleCount(), 0u);
    // Textured items have a texture coordinate at every corner.
    if (std::string(item.name) != "Glassess") {
      std::size_t bare = 0;
      for (const GlmTriangle& t : m.triangles)
        for (std::uint32_t k : t.tindices) bare += k == 0 || k > m.texcoordCount();
      EXPECT_EQ(bare, 0u);
    }
  }
}

TEST(WearContent, TheGlassesHaveLensRunsAndAFrame) {
  for (const char* file : {"blackframe.c3d", "Glasses.c3d"}) {
    SCOPED_TRACE(file);
    auto loaded = loadContentModel(kFolder + file);
    ASSERT_TRUE(loaded.model);
    std::size_t lens = 0, opaque = 0;
    for (const GlmGroup& g : loaded.model->groups)
      for (const GlmMaterialRun& r : g.runs)
        (r.material == "lens" ? lens : opaque) += r.end - r.first;
    EXPECT_GT(lens, 0u);
    EXPECT_GT(opaque, lens);  // the frame, the temples and the pads
  }
}

// ---- the pictures -----------------------------------------------------------

TEST(WearContent, EveryTextureDecodesAndTheSandalHasClearGaps) {
  for (const char* file : {"nvnecklace.jpg", "nvshoe1.jpg", "nvshoe3.jpg", "GirlShoe.jpg",
                           "ManShoe.jpg", "nvsock.jpg", "Bag.jpg"}) {
    SCOPED_TRACE(file);
    const auto picture = LoadJpeg(contentPath(kFolder + file));
    ASSERT_TRUE(picture.ok()) << picture.error().message();
    EXPECT_EQ(picture.value().components, 3);
    EXPECT_GE(picture.value().width, 128);
    EXPECT_EQ(picture.value().width & (picture.value().width - 1), 0);  // a texture's power of two
  }
  const auto sandal = readTga(contentPath(kFolder + "nvshoe2.tga"));
  ASSERT_TRUE(sandal.ok()) << sandal.error().message();
  ASSERT_EQ(sandal.value().components, 4);
  std::size_t clear = 0, solid = 0;
  const auto& pixels = sandal.value().pixels;
  for (std::size_t i = 3; i < pixels.size(); i += 4) {
    clear += pixels[i] <= 25;
    solid += pixels[i] >= 230;
  }
  EXPECT_GT(clear, pixels.size() / 4 / 10);
  EXPECT_GT(solid, pixels.size() / 4 / 10);
}

TEST(WearContent, EveryEntryHasAThumbnailOfItsOwnOnWhite) {
  std::set<std::vector<std::uint8_t>> seen;
  for (const Item& item : kItems) {
    SCOPED_TRACE(item.entry);
    auto bytes = readFileBytes(contentPath(kFolder + item.entry + ".bmp"));
    ASSERT_TRUE(bytes.ok());
    const auto& bmp = bytes.value();
    ASSERT_GE(bmp.size(), 54u);
    auto le32 = [&](std::size_t at) {
      return int(bmp[at] | bmp[at + 1] << 8 | bmp[at + 2] << 16 | bmp[at + 3] << 24);
    };
    const int width = le32(18), height = le32(22);
    EXPECT_EQ(width, generate::kThumbnailWidth);
    EXPECT_EQ(height, generate::kThumbnailHeight);
    ASSERT_EQ(bmp[28] | bmp[29] << 8, 24);
    const int stride = (width * 3 + 3) / 4 * 4;
    const std::size_t data = std::size_t(le32(10));
    ASSERT_EQ(bmp.size(), data + std::size_t(stride) * height);
    auto pixel = [&](int x, int y) {
      return &bmp[data + std::size_t(height - 1 - y) * stride + std::size_t(x) * 3];
    };
    const std::uint8_t* corner = pixel(0, 0);
    EXPECT_TRUE(corner[0] == 255 && corner[1] == 255 && corner[2] == 255);
    int drawn = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const std::uint8_t* p = pixel(x, y);
        drawn += p[0] + p[1] + p[2] < 3 * 235;
      }
    EXPECT_GT(drawn, width * height / 30);  // the item fills a fair part of it
    EXPECT_TRUE(seen.insert(bmp).second) << "the same picture as another entry";
  }
}

// ---- on the body ------------------------------------------------------------

TEST(WearContent, TheGlassesSitOverTheEyesInFrontOfTheFace) {
  Dressed woman = dressed("Female.bmp");
  const GlmModel& body = woman.body->model();
  // The eyes: the front of the head at the level of the eye sockets.
  float eyeLevel = 0, faceFront = -1e30f;
  {
    float sum = 0;
    int n = 0;
    for (const GlmGroup& g : body.groups)
      if (g.name == " Eye" || g.name == " Eyes")
        for (std::uint32_t t : g.triangles)
          for (std::uint32_t v : body.triangles[t].vindices) {
            sum += body.vertex(v)[1];
            ++n;
            faceFront = std::max(faceFront, body.vertex(v)[2]);
          }
    ASSERT_GT(n, 0);
    eyeLevel = sum / float(n);
  }
  for (const char* entry : {"blackframe.gls", "Glasses.gls"}) {
    SCOPED_TRACE(entry);
    wear(woman, entry);
    const GlmModel& m = *woman.accessories->wornItem.model;
    std::array<Point, 2> lens{};  // right (x < 0) and left
    std::array<int, 2> count{};
    for (const GlmGroup& g : m.groups)
      for (const GlmMaterialRun& r : g.runs) {
        if (r.material != "lens") continue;
        for (std::uint32_t i = r.first; i < r.end; ++i)
          for (std::uint32_t v : m.triangles[g.triangles[i]].vindices) {
            const Point p = vertexOf(m, v);
            const int side = p[0] < 0 ? 0 : 1;
            for (int k = 0; k < 3; ++k) lens[side][k] += p[k];
            ++count[side];
          }
      }
    ASSERT_GT(count[0], 0);
    ASSERT_GT(count[1], 0);
    for (int side = 0; side < 2; ++side) {
      for (float& c : lens[side]) c /= float(count[side]);
      EXPECT_NEAR(lens[side][1], eyeLevel, 0.15f);
      EXPECT_GT(lens[side][2], faceFront);
    }
    EXPECT_NEAR(lens[0][0], -lens[1][0], 0.05f);
    EXPECT_GT(lens[1][0] - lens[0][0], 0.45f);  // a person's pupils are 6 cm apart
  }
}

TEST(WearContent, TheShoesStayOnTheirSeatAndAboveTheFloorThroughReshaping) {
  Dressed woman = dressed("Female.bmp");
  BodyShaper shaper(*woman.body);
  for (const char* entry : {"nvshoe1.jpg", "nvshoe2.tga", "nvshoe3.jpg"}) {
    SCOPED_TRACE(entry);
    wear(woman, entry);
    const AccessorySlot& shoe = woman.accessories->shoe;
    ASSERT_TRUE(shoe);
    EXPECT_LT(seatError(*woman.body, shoe, skinPoint(*woman.body, shipped::kWomanShoeSeat)), 1e-3f);
    EXPECT_GT(lowestY(*shoe.model), -8.8f);  // above the floor's mirror
    for (const auto& [height, weight] : {std::pair{155.0f, 80.0f}, std::pair{175.0f, 155.0f}}) {
      SCOPED_TRACE(height);
      shaper.SetBodyHeight(height);
      shaper.SetBodyWeight(weight);
      woman.accessories->reseat();
      EXPECT_LT(seatError(*woman.body, shoe, skinPoint(*woman.body, shipped::kWomanShoeSeat)),
                1e-3f);
    }
    ASSERT_TRUE(shaper.RestoreLoadedShape());
    woman.accessories->reseat();
  }
}

TEST(WearContent, TheGirlAndTheManWearTheirOwnShoes) {
  Dressed girl = dressed("Girl.bmp");
  wear(girl, "GirlShoe.jpg");
  ASSERT_TRUE(girl.accessories->shoe);
  EXPECT_LT(
      seatError(*girl.body, girl.accessories->shoe, skinPoint(*girl.body, shipped::kGirlShoeSeat)),
      1e-3f);

  Dressed man = dressed("Male.bmp");
  wear(man, "ManShoe.jpg");
  ASSERT_TRUE(man.accessories->shoe);
  // Round his feet: the shoes' box holds the soles of his feet.
  const GlmModel& shoe = *man.accessories->shoe.model;
  Point lo{1e30f, 1e30f, 1e30f}, hi{-1e30f, -1e30f, -1e30f};
  for (std::uint32_t v = 1; v <= shoe.vertexCount(); ++v)
    for (int k = 0; k < 3; ++k)
      lo[k] = std::min(lo[k], shoe.vertex(v)[k]), hi[k] = std::max(hi[k], shoe.vertex(v)[k]);
  float sole = 1e30f;
  for (const SkinVertex& s : man.body->skin) sole = std::min(sole, s.y);
  EXPECT_LT(lo[1], sole);
  EXPECT_GT(hi[1], sole + 0.5f);
  EXPECT_GE(lo[1], -8.8f);
}

TEST(WearContent, TheBagHangsOverTheForearmOfTheBagPose) {
  Dressed posed = dressed("Pose1.bmp");
  wear(posed, "Bag.jpg");
  const AccessorySlot& bag = posed.accessories->bag;
  ASSERT_TRUE(bag);
  const Point seat = triangleCentre(*posed.body, shipped::kWomanBagHandle);
  EXPECT_LT(seatError(*posed.body, bag, seat), 1e-3f);
  // The handle's top is just above the skin of the forearm, and no vertex
  // of the bag is inside the body's reach: none nearer to a skin vertex
  // than the handle's gap.
  const Point top = vertexOf(*bag.model, std::uint32_t(shipped::kBagSeatVertex));
  float nearestToTop = 1e30f, nearest = 1e30f;
  for (const SkinVertex& s : posed.body->skin) {
    const Point p{s.x, s.y, s.z};
    nearestToTop = std::min(nearestToTop, distance(p, top));
  }
  EXPECT_LT(nearestToTop, 0.15f);
  for (std::uint32_t v = 1; v <= bag.model->vertexCount(); v += 3) {
    const Point q = vertexOf(*bag.model, v);
    for (const SkinVertex& s : posed.body->skin) {
      if (std::abs(s.y - q[1]) > 0.2f) continue;
      nearest = std::min(nearest, distance({s.x, s.y, s.z}, q));
    }
  }
  EXPECT_GT(nearest, 0.005f);
  // The bag is only worn in the bag pose.
  Dressed standing = dressed("Female.bmp");
  EXPECT_FALSE(standing.accessories->wearEntry("Bag.jpg").ok());
}

}  // namespace
}  // namespace vestora
