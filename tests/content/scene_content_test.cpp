// The scene environments in the generated application root: the sky dome,
// room and beach models read with the program's reader and carry their
// named groups with texture coordinates inside their pictures; placed by
// the program's scale and shift they put the ground under the avatar's
// feet and keep the camera inside; their pictures, the lake floor's two
// and the lens flare's four decode with the sizes the loaders need, the
// palm's picture has holes, the lake tiles and the light map is brightest
// in the middle.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "content/content_fixture.h"
#include "formats/model_ops.h"
#include "platform/file_io.h"
#include "platform/resources.h"
#include "view/image_codecs.h"

namespace vestora {
namespace {

using testing::contentPath;
using testing::loadContentModel;
using Point = std::array<double, 3>;

constexpr double kGround = -8.8;        // where the avatar's feet stand
constexpr Point kDefaultEye{0, 2, 34};  // about where the camera looks from
const double kPi = std::acos(-1.0);

Point operator-(const Point& a, const Point& b) {
  return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
Point cross(const Point& a, const Point& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double dot(const Point& a, const Point& b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// A model as the program places it: final = scale · stored + shift.
struct Placed {
  std::vector<Point> vertices;                                    // 1-based, entry 0 unused
  std::map<std::string, std::vector<std::array<int, 3>>> groups;  // triangles by group name
};

Placed placed(const GlmModel& stored, float scale, float x, float y, float z) {
  GlmModel m = stored;
  glmScale(m, scale);
  glmTranslate(m, x, y, z);
  Placed p;
  p.vertices.resize(m.vertexCount() + 1);
  for (std::uint32_t i = 1; i <= m.vertexCount(); ++i)
    p.vertices[i] = {m.vertex(i)[0], m.vertex(i)[1], m.vertex(i)[2]};
  for (const GlmGroup& g : m.groups)
    for (const GlmTriangle& t : g.triangleCopies)
      p.groups[g.name].push_back({int(t.vindices[0]), int(t.vindices[1]), int(t.vindices[2])});
  return p;
}

// Distance along the ray to the nearest triangle of `group` (all groups
// when empty), or nothing.
std::optional<double> hit(const Placed& p, const Point& from, const Point& direction,
                          const std::string& group = "") {
  std::optional<double> nearest;
  for (const auto& [name, triangles] : p.groups) {
    if (!group.empty() && name != group) continue;
    for (const auto& t : triangles) {
      const Point &a = p.vertices[std::size_t(t[0])], &b = p.vertices[std::size_t(t[1])],
                  &c = p.vertices[std::size_t(t[2])];
      const Point e1 = b - a, e2 = c - a, h = cross(direction, e2);
      const double det = dot(e1, h);
      if (std::abs(det) < 1e-12) continue;
      const Point s = from - a;
      const double u = dot(s, h) / det;
      if (u < -1e-9 || u > 1 + 1e-9) continue;
      const Point q = cross(s, e1);
      const double v = dot(direction, q) / det;
      if (v < -1e-9 || u + v > 1 + 1e-9) continue;
      const double distance = dot(e2, q) / det;
      if (distance > 1e-6 && (!nearest || distance < *nearest)) nearest = distance;
    }
  }
  return nearest;
}

// Evenly spread unit directions (a Fibonacci sphere).
std::vector<Point> directions(int count) {
  std::vector<Point> out;
  for (int i = 0; i < count; ++i) {
    const double y = 1 - 2 * (i + 0.5) / count, r = std::sqrt(1 - y * y);
    const double a = i * kPi * (3 - std::sqrt(5.0));
    out.push_back({r * std::cos(a), y, r * std::sin(a)});
  }
  return out;
}

// The height of the ground of `group` straight below (x, z).
std::optional<double> groundBelow(const Placed& p, double x, double z, const std::string& group) {
  const auto d = hit(p, {x, 100, z}, {0, -1, 0}, group);
  if (!d) return std::nullopt;
  return 100 - *d;
}

struct SceneModel {
  const char* path;
  float scale, x, y, z;
  std::vector<std::string> groups;
};
const SceneModel kSkyDome{"\\model\\Skydome\\skydome.c3d", 1.3f, 0, -3, 0, {}};
const SceneModel kRoom{"\\model\\Mansion\\room.c3d", 0.132f, 0, 2.96f, 0,
                       {" polymsh37", " polymsh38"}};
const SceneModel kBeach{"\\model\\Mansion\\Beach.c3d",        0.1089454f, 1.4f, 1.08f, -1.36f,
                        {" lou", " tiankong", " hai", " shu"}};

Placed load(const SceneModel& scene) {
  auto m = loadContentModel(scene.path);
  if (!m.model) return {};
  return placed(*m.model, scene.scale, scene.x, scene.y, scene.z);
}

TEST(SceneContent, ModelsReadWithTheirGroupsAndTextureCoordinatesInsideThePictures) {
  for (const SceneModel* scene : {&kSkyDome, &kRoom, &kBeach}) {
    SCOPED_TRACE(scene->path);
    auto m = loadContentModel(scene->path);
    ASSERT_TRUE(m.model);
    const GlmModel& model = *m.model;
    for (const std::string& name : scene->groups) {
      const GlmGroup* g = glmFindGroup(model, name);
      ASSERT_NE(g, nullptr) << "group \"" << name << "\"";
      EXPECT_GT(g->triangleCount(), 0u) << name;
    }
    ASSERT_FALSE(model.groups.empty());
    std::size_t grouped = 0;
    for (const GlmGroup& g : model.groups) {
      grouped += g.triangleCount();
      for (const GlmTriangle& t : g.triangleCopies)
        for (int c = 0; c < 3; ++c) {
          ASSERT_GT(t.tindices[c], 0u) << g.name << ": a corner without texture coordinates";
          ASSERT_GT(t.nindices[c], 0u) << g.name << ": a corner without a normal";
          const float u = model.texcoords[2 * t.tindices[c]],
                      v = model.texcoords[2 * t.tindices[c] + 1];
          ASSERT_TRUE(u >= 0 && u <= 1 && v >= 0 && v <= 1)
              << g.name << ": (" << u << ", " << v << ")";
        }
    }
    EXPECT_EQ(grouped, model.triangleCount()) << "every triangle belongs to one group";
  }
}

TEST(SceneContent, SkyDomeStandsOnTheGroundAndCoversTheCamera) {
  const Placed dome = load(kSkyDome);
  ASSERT_GT(dome.vertices.size(), 1u);
  double lowest = 1e9, highest = -1e9;
  for (std::size_t i = 1; i < dome.vertices.size(); ++i) {
    lowest = std::min(lowest, dome.vertices[i][1]);
    highest = std::max(highest, dome.vertices[i][1]);
  }
  EXPECT_NEAR(lowest, kGround, 0.05);
  EXPECT_GT(highest - kGround, 60) << "a dome high over the avatar";
  // Whatever way the camera looks above the horizon, it sees the dome, far
  // beyond the avatar.
  for (const Point& d : directions(300)) {
    if (d[1] < 0) continue;
    const auto distance = hit(dome, kDefaultEye, d);
    ASSERT_TRUE(distance) << "open towards (" << d[0] << ", " << d[1] << ", " << d[2] << ")";
    EXPECT_GT(*distance, 20);
  }
}

TEST(SceneContent, RoomFloorIsUnderHerFeetAndTheCameraIsInsideTheRoom) {
  const Placed room = load(kRoom);
  ASSERT_GT(room.vertices.size(), 1u);
  for (const auto& [x, z] : {std::pair{0.0, 0.0}, {2.5, -1.5}, {-3.0, 2.0}}) {
    const auto floor = groundBelow(room, x, z, " polymsh37");
    ASSERT_TRUE(floor) << "no floor at " << x << ", " << z;
    EXPECT_NEAR(*floor, kGround, 0.05);
  }
  // The walls' box holds the camera, and no way out of the room is open.
  Point lo{1e9, 1e9, 1e9}, hi{-1e9, -1e9, -1e9};
  for (const auto& t : room.groups.at(" polymsh38"))
    for (int k : t)
      for (int a = 0; a < 3; ++a) {
        lo[a] = std::min(lo[a], room.vertices[std::size_t(k)][a]);
        hi[a] = std::max(hi[a], room.vertices[std::size_t(k)][a]);
      }
  for (int a = 0; a < 3; ++a) {
    EXPECT_LT(lo[a], kDefaultEye[a] - 1) << "axis " << a;
    EXPECT_GT(hi[a], kDefaultEye[a] + 1) << "axis " << a;
  }
  for (const Point& d : directions(300))
    EXPECT_TRUE(hit(room, kDefaultEye, d))
        << "open towards (" << d[0] << ", " << d[1] << ", " << d[2] << ")";
  // Nothing stands between the camera and her.
  const Point toHer = Point{0, 0, 0} - kDefaultEye;
  const auto blocked = hit(room, kDefaultEye, toHer);
  EXPECT_TRUE(!blocked || *blocked > 1.0);
}

TEST(SceneContent, BeachSandIsUnderHerFeetTheSkyAroundAndThePalmsBesideHer) {
  const Placed beach = load(kBeach);
  ASSERT_GT(beach.vertices.size(), 1u);
  for (const auto& [x, z] : {std::pair{0.0, 0.0}, {2.5, -1.5}, {-3.0, 2.0}}) {
    const auto sand = groundBelow(beach, x, z, " lou");
    ASSERT_TRUE(sand) << "no sand at " << x << ", " << z;
    EXPECT_NEAR(*sand, kGround, 0.05);
  }
  // Seen from above, the sea lies beyond the sand behind her, and nothing
  // but sand is under her.
  const auto top = hit(beach, {0, 100, 0}, {0, -1, 0});
  ASSERT_TRUE(top);
  EXPECT_NEAR(100 - *top, kGround, 0.05);
  EXPECT_TRUE(hit(beach, {0, 100, -60}, {0, -1, 0}, " hai"));
  for (const Point& d : directions(300)) {
    if (d[1] < 0) continue;
    EXPECT_TRUE(hit(beach, kDefaultEye, d, " tiankong"))
        << "the sky is open towards (" << d[0] << ", " << d[1] << ", " << d[2] << ")";
  }
  // From the default camera (34 units away, 18° above, turned −10°) her
  // face and body are clear of the palms.
  const double e = 18 * kPi / 180, a = 10 * kPi / 180;
  const Point eye{34 * std::cos(e) * std::sin(a), 34 * std::sin(e), 34 * std::cos(e) * std::cos(a)};
  for (double y : {7.0, 3.0, -2.0, -8.0}) {
    const Point target{0, y, 0};
    const Point d = target - eye;
    const auto palm = hit(beach, eye, d, " shu");
    EXPECT_TRUE(!palm || *palm > 1.0) << "a palm in front of her at height " << y;
  }
  // The palms stand on the sand beside her, not on her.
  double nearest = 1e9;
  for (const auto& t : beach.groups.at(" shu"))
    for (int k : t) {
      const Point& p = beach.vertices[std::size_t(k)];
      if (p[1] < 10) nearest = std::min(nearest, std::hypot(p[0], p[2]));
    }
  EXPECT_GT(nearest, 6);
  EXPECT_LT(nearest, 40);
}

bool powerOfTwo(int n) {
  return n > 0 && (n & (n - 1)) == 0;
}

TEST(SceneContent, PicturesHaveSquarePowerOfTwoSizes) {
  for (int id = 602; id <= 607; ++id) {
    SCOPED_TRACE(id);
    auto image = LoadJpeg(contentPath(pictureResourcePath(id)));
    ASSERT_TRUE(image.ok()) << image.error().message();
    EXPECT_EQ(image.value().width, image.value().height);
    EXPECT_TRUE(powerOfTwo(image.value().width));
    EXPECT_GE(image.value().width, 256);
  }
  for (const char* path : {"\\data\\scene\\lake2.png", "\\data\\scene\\floor_lm.png"}) {
    SCOPED_TRACE(path);
    auto image = readPng(contentPath(path));
    ASSERT_TRUE(image.ok()) << image.error().message();
    EXPECT_EQ(image.value().width, image.value().height);
    EXPECT_TRUE(powerOfTwo(image.value().width));
  }
}

TEST(SceneContent, PalmPictureHasClearHolesAndOpaqueLeaves) {
  auto image = readTga(contentPath("\\model\\Mansion\\Tree.tga"));
  ASSERT_TRUE(image.ok()) << image.error().message();
  const Image& tree = image.value();
  ASSERT_EQ(tree.components, 4);
  EXPECT_EQ(tree.width, tree.height);
  EXPECT_TRUE(powerOfTwo(tree.width));
  std::size_t clear = 0, opaque = 0;
  for (int y = 0; y < tree.height; ++y)
    for (int x = 0; x < tree.width; ++x) {
      const int alpha = tree.pixel(x, y)[3];
      clear += alpha == 0;
      opaque += alpha == 255;
    }
  const double total = double(tree.width) * tree.height;
  EXPECT_GT(clear / total, 0.15);
  EXPECT_GT(opaque / total, 0.15);
}

// Mean absolute difference between two columns (or rows) of an RGB picture.
double lineDifference(const Image& image, int a, int b, bool columns) {
  const int n = columns ? image.height : image.width;
  double sum = 0;
  for (int i = 0; i < n; ++i) {
    const std::uint8_t* p = columns ? image.pixel(a, i) : image.pixel(i, a);
    const std::uint8_t* q = columns ? image.pixel(b, i) : image.pixel(i, b);
    for (int k = 0; k < 3; ++k) sum += std::abs(int(p[k]) - int(q[k]));
  }
  return sum / (3.0 * n);
}

// The step across the picture's edge against the steps between neighbouring
// lines inside it: no larger than twice the typical one, or than the
// largest but a few (a board's joint may lie at the edge as well as inside).
void expectTiles(const Image& image, bool columns, const char* what) {
  const int n = columns ? image.width : image.height;
  std::vector<double> inside;
  for (int i = 0; i + 1 < n; ++i) inside.push_back(lineDifference(image, i, i + 1, columns));
  double mean = 0;
  for (double d : inside) mean += d;
  mean /= double(inside.size());
  std::sort(inside.begin(), inside.end());
  const double high = inside[inside.size() * 99 / 100];
  const double across = lineDifference(image, n - 1, 0, columns);
  EXPECT_LT(across, std::max(2 * mean, high) + 2) << what << (columns ? " across" : " down");
}

TEST(SceneContent, LakeWaterTilesBothWaysAndTheBeachSkyRoundTheHorizon) {
  auto lake = readPng(contentPath("\\data\\scene\\lake2.png"));
  ASSERT_TRUE(lake.ok()) << lake.error().message();
  ASSERT_GE(lake.value().components, 3);
  expectTiles(lake.value(), true, "lake2.png");
  expectTiles(lake.value(), false, "lake2.png");
  // Repeated tile by tile: the sand, the floor boards and the sky round the beach.
  for (int id : {602, 604, 606}) {
    auto image = LoadJpeg(contentPath(pictureResourcePath(id)));
    ASSERT_TRUE(image.ok());
    expectTiles(image.value(), true, std::to_string(id).c_str());
  }
  for (int id : {602, 604}) {
    auto image = LoadJpeg(contentPath(pictureResourcePath(id)));
    ASSERT_TRUE(image.ok());
    expectTiles(image.value(), false, std::to_string(id).c_str());
  }
}

double meanLevel(const Image& image, int x0, int y0, int size) {
  double sum = 0;
  for (int y = y0; y < y0 + size; ++y)
    for (int x = x0; x < x0 + size; ++x)
      for (int k = 0; k < 3; ++k) sum += image.pixel(x, y)[k];
  return sum / (3.0 * size * size);
}

TEST(SceneContent, FloorLightMapIsBrightestWhereSheStands) {
  auto map = readPng(contentPath("\\data\\scene\\floor_lm.png"));
  ASSERT_TRUE(map.ok()) << map.error().message();
  const Image& lm = map.value();
  const int s = lm.width / 16;
  const double centre = meanLevel(lm, lm.width / 2 - s / 2, lm.height / 2 - s / 2, s);
  EXPECT_GT(centre, 200);
  for (const auto& [x, y] :
       {std::pair{0, 0}, {lm.width - s, 0}, {0, lm.height - s}, {lm.width - s, lm.height - s}})
    EXPECT_GT(centre, meanLevel(lm, x, y, s) + 60) << "corner " << x << ", " << y;
}

// A 24-bit BMP: width, height and the pixel at (x, y) counted from the top.
struct Bmp {
  int width = 0, height = 0, bits = 0;
  std::vector<std::uint8_t> bytes;
  std::size_t offset = 0;
  int level(int x, int y) const {  // the brightest channel
    const std::size_t row = (std::size_t(width) * 3 + 3) / 4 * 4;
    const std::uint8_t* p = &bytes[offset + std::size_t(height - 1 - y) * row + std::size_t(x) * 3];
    return std::max({p[0], p[1], p[2]});
  }
};

std::optional<Bmp> readBmp(const std::string& path) {
  auto bytes = readFileBytes(path);
  if (!bytes.ok() || bytes.value().size() < 54) return std::nullopt;
  Bmp b;
  b.bytes = std::move(bytes).value();
  auto u32 = [&](std::size_t at) {
    return std::uint32_t(b.bytes[at]) | std::uint32_t(b.bytes[at + 1]) << 8 |
           std::uint32_t(b.bytes[at + 2]) << 16 | std::uint32_t(b.bytes[at + 3]) << 24;
  };
  if (b.bytes[0] != 'B' || b.bytes[1] != 'M') return std::nullopt;
  b.offset = u32(10);
  b.width = int(u32(18));
  b.height = int(u32(22));
  b.bits = b.bytes[28] | b.bytes[29] << 8;
  const std::size_t row = (std::size_t(b.width) * 3 + 3) / 4 * 4;
  if (b.offset + row * std::size_t(b.height) > b.bytes.size()) return std::nullopt;
  return b;
}

TEST(SceneContent, LensFlarePicturesAreLightOnBlack) {
  for (const char* name : {"HardGlow2", "BigGlow3", "Halo3", "Streaks4"}) {
    SCOPED_TRACE(name);
    const auto bmp = readBmp(contentPath(std::string("\\data\\lens\\") + name + ".bmp"));
    ASSERT_TRUE(bmp);
    EXPECT_EQ(bmp->bits, 24);
    EXPECT_EQ(bmp->width, bmp->height);
    EXPECT_TRUE(powerOfTwo(bmp->width));
    const int n = bmp->width;
    for (const auto& [x, y] : {std::pair{0, 0}, {n - 1, 0}, {0, n - 1}, {n - 1, n - 1}})
      EXPECT_EQ(bmp->level(x, y), 0) << "corner " << x << ", " << y;
    int brightest = 0;
    for (int y = 0; y < n; ++y)
      for (int x = 0; x < n; ++x) brightest = std::max(brightest, bmp->level(x, y));
    EXPECT_GT(brightest, 200);
  }
  // The glows are brightest in the middle; the halo is a ring, dark there.
  const auto glow = readBmp(contentPath("\\data\\lens\\HardGlow2.bmp"));
  const auto halo = readBmp(contentPath("\\data\\lens\\Halo3.bmp"));
  ASSERT_TRUE(glow && halo);
  const int n = glow->width, m = halo->width;
  EXPECT_GT(glow->level(n / 2, n / 2), 240);
  EXPECT_LT(halo->level(m / 2, m / 2), 40);
  EXPECT_GT(halo->level(m / 2 + int(0.4 * m), m / 2), 150);
}

}  // namespace
}  // namespace vestora
