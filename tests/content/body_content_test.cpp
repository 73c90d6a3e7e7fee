// The generated bodies: every model reads, every body is a closed surface,
// and every fixed number sits on its anatomical point in every pose.
#include <algorithm>
#include <cmath>
#include <functional>
#include <set>
#include <sstream>
#include <unordered_map>

#include <gtest/gtest.h>

#include "avatar/avatar_table.h"
#include "avatar/shipped_numbers.h"
#include "body/figure.h"
#include "cli/cli.h"
#include "content/content_fixture.h"
#include "content/content_images.h"

namespace vestora {
namespace {

using namespace shipped;
using testing::contentPath;
using testing::loadContentModel;

const char* const kFemalePoses[] = {
    "\\model\\ChinaFemale\\nv_High.c3d", "\\model\\ChinaFemale\\nv_BagPose.c3d",
    "\\model\\ChinaFemale\\nv_WalkPose.c3d", "\\model\\ChinaFemale\\nv_StandPose.c3d"};

const char* const kAllBodies[] = {
    "\\model\\ChinaFemale\\nv_High.c3d",     "\\model\\ChinaFemale\\nv_BagPose.c3d",
    "\\model\\ChinaFemale\\nv_WalkPose.c3d", "\\model\\ChinaFemale\\nv_StandPose.c3d",
    "\\model\\ChinaGirl\\Girl.c3d",          "\\model\\ChinaMale\\Dayou.c3d",
    "\\model\\ChinaMale\\JamesSpread.c3d",   "\\model\\ChinaMale\\James1a.c3d",
    "\\model\\ChinaMale\\JamesRun.c3d",      "\\model\\ChinaMale\\JamesTalk.c3d",
    "\\model\\ChinaMale\\James3.c3d"};

struct P {
  float x, y, z;
};

P record(const GlmModel& m, int r) {
  const float* v = m.vertex(static_cast<std::uint32_t>(r + 1));
  return {v[0], v[1], v[2]};
}
P vertexNumber(const GlmModel& m, int v) {
  return record(m, v - 1);
}

// Extremes over the body surface only (the groups other than eyes and lashes).
struct Extent {
  float minY = 1e30f, maxY = -1e30f;
};
Extent bodyExtent(const GlmModel& m) {
  Extent e;
  for (const auto& g : m.groups) {
    if (g.name != " Body" && g.name != " Head") continue;
    for (auto t : g.triangles)
      for (auto v : m.triangles[t].vindices) {
        e.minY = std::min(e.minY, m.vertex(v)[1]);
        e.maxY = std::max(e.maxY, m.vertex(v)[1]);
      }
  }
  return e;
}

TEST(GeneratedBodies, EveryModelReadsWithTheCommandLineTool) {
  for (const char* body : kAllBodies) {
    std::ostringstream out, err;
    const int status = cli::runCli({"info", contentPath(body), "--json"}, out, err);
    EXPECT_EQ(status, cli::kOk) << body << ": " << err.str();
    const auto info = nlohmann::json::parse(out.str());
    EXPECT_GT(info["triangles"].get<int>(), 10775) << body;
  }
}

TEST(GeneratedBodies, KindsAndGroupsAreThoseTheDrawingExpects) {
  struct Expect {
    const char* path;
    const char* kind;
    const char* eyes;
  };
  for (const Expect& e :
       {Expect{kFemalePoses[0], "woman", " Eye"}, Expect{kFemalePoses[2], "woman", " Eye"},
        Expect{"\\model\\ChinaGirl\\Girl.c3d", "Girl", " Eyes"},
        Expect{"\\model\\ChinaMale\\Dayou.c3d", "man", " Eyes"},
        Expect{"\\model\\ChinaMale\\JamesRun.c3d", "James", " Eyes"}}) {
    auto m = loadContentModel(e.path);
    ASSERT_TRUE(m.model) << e.path;
    EXPECT_EQ(m.model->modelName, e.kind);
    for (const char* group : {" Body", " Head", e.eyes, " Eyelash"})
      EXPECT_NE(glmFindGroup(*m.model, group), nullptr) << e.path << " lacks" << group;
    EXPECT_GT(m.model->texcoordCount(), 0u) << e.path;
    // Only the female bodies carry the two extra weight levels.
    EXPECT_EQ(m.loader.midShape.size() == m.model->vertices.size(), std::string(e.kind) == "woman")
        << e.path;
  }
}

// Every corner of the skin and the eyes has a coordinate inside its picture,
// and the variants of one body (the woman's poses; the man and the James
// bodies) share numbering and coordinates, so one picture dresses them all.
TEST(GeneratedBodies, EveryCornerHasSkinCoordinatesSharedByAllVariantsOfItsBody) {
  const std::vector<std::vector<const char*>> families = {
      {kFemalePoses[0], kFemalePoses[1], kFemalePoses[2], kFemalePoses[3]},
      {"\\model\\ChinaGirl\\Girl.c3d"},
      {"\\model\\ChinaMale\\Dayou.c3d", "\\model\\ChinaMale\\JamesSpread.c3d",
       "\\model\\ChinaMale\\James1a.c3d", "\\model\\ChinaMale\\JamesRun.c3d",
       "\\model\\ChinaMale\\JamesTalk.c3d", "\\model\\ChinaMale\\James3.c3d"}};
  for (const auto& family : families) {
    auto first = loadContentModel(family.front());
    ASSERT_TRUE(first.model) << family.front();
    const GlmModel& m = *first.model;
    std::vector<char> covered(m.vertexCount() + 1, 0);
    int outside = 0, missing = 0;
    for (const auto& g : m.groups)
      for (auto t : g.triangles)
        for (int k = 0; k < 3; ++k) {
          const auto& tri = m.triangles[t];
          const std::uint32_t ti = tri.tindices[k];
          if (ti < 1 || ti > m.texcoordCount()) {
            ++missing;
            continue;
          }
          covered[tri.vindices[k]] = 1;
          const float u = m.texcoords[2 * ti], v = m.texcoords[2 * ti + 1];
          if (!(u >= 0 && u <= 1 && v >= 0 && v <= 1)) ++outside;
        }
    EXPECT_EQ(missing, 0) << family.front();
    EXPECT_EQ(outside, 0) << family.front();
    EXPECT_EQ(std::count(covered.begin() + 1, covered.end(), 0), 0)
        << family.front() << ": vertices without a coordinate";
    for (std::size_t i = 1; i < family.size(); ++i) {
      auto other = loadContentModel(family[i]);
      ASSERT_TRUE(other.model) << family[i];
      EXPECT_EQ(other.model->texcoords, m.texcoords) << family[i];
      ASSERT_EQ(other.model->triangles.size(), m.triangles.size()) << family[i];
      int differ = 0;
      for (std::size_t t = 0; t < m.triangles.size(); ++t) {
        const GlmTriangle &a = other.model->triangles[t], &b = m.triangles[t];
        differ +=
            !std::equal(std::begin(a.tindices), std::end(a.tindices), std::begin(b.tindices)) ||
            !std::equal(std::begin(a.vindices), std::end(a.vindices), std::begin(b.vindices));
      }
      EXPECT_EQ(differ, 0) << family[i];
    }
  }
}

// The skin pictures lie at the paths the drawing reads for each kind, as
// square power-of-two JPEG files; only the girl has a picture of her eyes.
// Each is skin: the body picture's middle is warm, never grey or white.
TEST(GeneratedBodies, SkinPicturesLieWhereTheDrawingLooksForThem) {
  for (const char* kind : {"woman", "man", "Girl"}) {
    const BodyTextureFiles* files = bodyTextureFiles(kind);
    ASSERT_NE(files, nullptr) << kind;
    for (std::string_view path : {files->body, files->head, files->eye}) {
      const bool expected = !path.empty();
      if (!expected) continue;
      const testing::Image image = testing::decodeJpeg(testing::readBytes(contentPath(path)));
      ASSERT_TRUE(image.fault.empty()) << path << ": " << image.fault;
      EXPECT_EQ(image.width, image.height) << path;
      EXPECT_EQ(image.width & (image.width - 1), 0) << path;
      EXPECT_GE(image.width, path == files->eye ? 128 : 1024) << path;
      if (path == files->body) {
        const std::uint8_t* p = image.at(image.width / 2, image.height / 2);
        EXPECT_GT(p[0], p[2] + 20) << path << ": not a skin tone";
        EXPECT_LT(p[0], 250) << path;
      }
    }
  }
  EXPECT_TRUE(kWomanTextures.eye.empty());
  EXPECT_FALSE(kGirlTextures.eye.empty());
}

// Every body has hands with fingers: a cut across the middle of the left
// fingers of the standing figure meets four separate fingers, and the bag
// pose closes that hand round the bag's handle.
TEST(GeneratedBodies, HandsHaveFourFingersApartAndTheBagPoseClosesTheHand) {
  struct Kind {
    const char* path;
    generate::FigureShape shape;
  };
  for (const Kind& kind : {Kind{kFemalePoses[0], generate::womanShape()},
                           Kind{"\\model\\ChinaGirl\\Girl.c3d", generate::girlShape()},
                           Kind{"\\model\\ChinaMale\\Dayou.c3d", generate::manShape()}}) {
    auto m = loadContentModel(kind.path);
    ASSERT_TRUE(m.model) << kind.path;
    const generate::HandFrame h = generate::handFrame(kind.shape, true);
    // The skin within a slab across the fingers' middle, in pieces joined
    // by the mesh's edges.
    const double level = h.palmLength + 0.45 * h.fingerLength;
    std::vector<int> parent(m.model->vertexCount() + 1, -1);
    auto inSlab = [&](std::uint32_t v) {
      const float* p = m.model->vertex(v);
      const generate::Vec3 q{p[0], p[1], p[2]};
      return q.x > 0 && std::abs(dot(q - h.wrist, h.along) - level) < 0.6 &&
             length(q - h.at(0, level, 0)) < h.palmWidth * 2;
    };
    for (std::uint32_t v = 1; v <= m.model->vertexCount(); ++v)
      if (inSlab(v)) parent[v] = static_cast<int>(v);
    std::function<int(int)> root = [&](int v) {
      return parent[v] == v ? v : parent[v] = root(parent[v]);
    };
    for (const auto& t : m.model->triangles)
      for (int k = 0; k < 3; ++k) {
        const std::uint32_t a = t.vindices[k], b = t.vindices[(k + 1) % 3];
        if (parent[a] >= 0 && parent[b] >= 0)
          parent[root(static_cast<int>(a))] = root(static_cast<int>(b));
      }
    std::set<int> pieces;
    std::size_t points = 0;
    for (std::uint32_t v = 1; v <= m.model->vertexCount(); ++v)
      if (parent[v] >= 0) pieces.insert(root(static_cast<int>(v))), ++points;
    const int clusters = static_cast<int>(pieces.size());
    const std::size_t slabSize = points;
    EXPECT_EQ(clusters, 4) << kind.path << ": " << slabSize << " points across the fingers";
  }
  // The bag pose closes the left hand: its middle fingertip comes nearer
  // its knuckle than in the standing pose (the same vertices in both).
  const generate::HandFrame h = generate::handFrame(generate::womanShape(), true);
  auto standing = loadContentModel(kFemalePoses[0]);
  auto bag = loadContentModel(kFemalePoses[1]);
  ASSERT_TRUE(standing.model && bag.model);
  auto nearest = [&](const generate::Vec3& target) {
    std::uint32_t best = 1;
    double bestDistance = 1e300;
    for (std::uint32_t v = 1; v <= standing.model->vertexCount(); ++v) {
      const float* p = standing.model->vertex(v);
      const double d = length(generate::Vec3{p[0], p[1], p[2]} - target);
      if (d < bestDistance) bestDistance = d, best = v;
    }
    return best;
  };
  const generate::HandFrame::Finger middle = h.finger(1);
  const std::uint32_t tip = nearest(middle.axis.back()), knuckle = nearest(middle.axis[1]);
  auto span = [&](const GlmModel& m) {
    const float *a = m.vertex(tip), *b = m.vertex(knuckle);
    return std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]);
  };
  EXPECT_LT(span(*bag.model), 0.8 * span(*standing.model));
}

// Every edge of the body surface (all groups but eyes and lashes) is shared
// by exactly two triangles running it in opposite directions, and no
// triangle is degenerate.
TEST(GeneratedBodies, BodySurfaceIsClosedAndHasNoDegenerateTriangles) {
  for (const char* body : kAllBodies) {
    auto m = loadContentModel(body);
    ASSERT_TRUE(m.model) << body;
    std::unordered_map<std::uint64_t, int> directed;
    int degenerate = 0;
    for (const auto& g : m.model->groups) {
      if (g.name == " Eye" || g.name == " Eyes" || g.name == " Eyelash") continue;
      for (auto t : g.triangles) {
        const auto& tri = m.model->triangles[t];
        const float* a = m.model->vertex(tri.vindices[0]);
        const float* b = m.model->vertex(tri.vindices[1]);
        const float* c = m.model->vertex(tri.vindices[2]);
        const float u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]},
                    v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
        const float n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                            u[0] * v[1] - u[1] * v[0]};
        if (0.5f * std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]) < 1e-4f) ++degenerate;
        for (int k = 0; k < 3; ++k) {
          const std::uint64_t from = tri.vindices[k], to = tri.vindices[(k + 1) % 3];
          ++directed[(from << 32) | to];
        }
      }
    }
    int open = 0, wrong = 0;
    for (const auto& [key, count] : directed) {
      const std::uint64_t reverse = (key << 32) | (key >> 32);
      auto it = directed.find(reverse);
      if (it == directed.end())
        ++open;
      else if (count != 1 || it->second != 1)
        ++wrong;
    }
    EXPECT_EQ(open, 0) << body << ": edges with one triangle";
    EXPECT_EQ(wrong, 0) << body << ": edges used more than twice or twice the same way";
    EXPECT_EQ(degenerate, 0) << body;
  }
}

TEST(GeneratedBodies, FemaleNumbersSitOnTheirPointsInEveryPose) {
  for (const char* pose : kFemalePoses) {
    SCOPED_TRACE(pose);
    auto loaded = loadContentModel(pose);
    ASSERT_TRUE(loaded.model);
    const GlmModel& m = *loaded.model;
    ASSERT_GT(m.triangleCount(), static_cast<std::uint32_t>(kWomanBagHandle));
    const Extent e = bodyExtent(m);
    const float height = e.maxY - e.minY;

    EXPECT_NEAR(record(m, kWomanHeadTop).y, e.maxY, 0.5f) << "top of the head";
    EXPECT_NEAR(record(m, kWomanFootLowest).y, e.minY, 0.5f) << "lowest point of the feet";
    EXPECT_LT(record(m, kWomanFootLowest).x, 0);
    const P left = record(m, kWomanShoulderLeft), right = record(m, kWomanShoulderRight);
    EXPECT_GT(left.x, 14);
    EXPECT_LT(right.x, -14);
    EXPECT_GT(left.y, e.minY + 0.78f * height);
    EXPECT_GT(right.y, e.minY + 0.78f * height);
    // Legs: every leg point on the right leg, below the crotch.
    const P crotch = record(m, kWomanCrotch);
    EXPECT_NEAR(crotch.x, 0, 2.0f);
    for (int leg : {kWomanThigh, kWomanCalf, kWomanKnee, kWomanAnkle, kWomanCrotchFloor}) {
      EXPECT_LT(record(m, leg).x, -1) << "record " << leg;
      EXPECT_LT(record(m, leg).y, crotch.y) << "record " << leg;
    }
    EXPECT_LT(vertexNumber(m, kWomanShoeSeat).x, -1);
    EXPECT_LT(vertexNumber(m, kWomanShoeSeat).y, e.minY + 2.5f);
    // The hair seat and the head frame are on the head.
    EXPECT_GT(vertexNumber(m, kWomanHairSeat).y, e.maxY - 5);
    for (auto v : m.triangles[kWomanHeadFrame].vindices) EXPECT_GT(m.vertex(v)[1], e.maxY - 12);
    // The bag handle is on the left forearm.
    for (auto v : m.triangles[kWomanBagHandle].vindices) EXPECT_GT(m.vertex(v)[0], 12);
  }
}

TEST(GeneratedBodies, FemaleNumbersInTheStandardPoseMeasureWhatTheyShould) {
  auto loaded = loadContentModel(kFemalePoses[0]);
  ASSERT_TRUE(loaded.model);
  const GlmModel& m = *loaded.model;
  const float h = record(m, kWomanHeadTop).y - record(m, kWomanFootLowest).y;
  EXPECT_NEAR(h, 174.7332f, 0.01f);
  // The trunk points run down the front and back in the right order.
  const P chest = record(m, kWomanChestPlane), waist = record(m, kWomanWaist);
  const P abdomen = record(m, kWomanAbdomenShaping), hip = record(m, kWomanHipShaping);
  for (const P& front : {chest, waist, abdomen}) {
    EXPECT_NEAR(front.x, 0, 1.5f);
    EXPECT_GT(front.z, 3);
  }
  EXPECT_GT(chest.y, waist.y);
  EXPECT_GT(waist.y, abdomen.y);
  EXPECT_GT(abdomen.y, hip.y);
  EXPECT_LT(hip.z, -8);  // the back of the buttocks
  EXPECT_GT(record(m, kWomanAbdomen).x, 10);
  EXPECT_GT(record(m, kWomanHip).x, 14);
  EXPECT_NEAR(record(m, kWomanAbdomen).y, abdomen.y, 1.0f);
  EXPECT_NEAR(record(m, kWomanHip).y, hip.y, 1.0f);
  // The chest plane lies under the bust: between the waist and the shoulders.
  EXPECT_GT(chest.y, 0.63f * h);
  EXPECT_LT(chest.y, 0.73f * h);
  // Shoulder line: level, 36 to 38 cm apart, sloping down from the neck.
  const P left = record(m, kWomanShoulderLeft), right = record(m, kWomanShoulderRight);
  EXPECT_NEAR(left.y, right.y, 0.3f);
  EXPECT_NEAR(left.x, -right.x, 0.3f);
  const P neckSide = record(m, kWomanNeckSide);
  const double slope = std::atan((neckSide.y - left.y) / (left.x - neckSide.x)) * 57.29577791868204;
  EXPECT_GT(slope, 12);
  EXPECT_LT(slope, 28);
  EXPECT_NEAR(record(m, kWomanNeckBase).x, 0, 1.0f);
  EXPECT_GT(record(m, kWomanNeckBase).z, 0);
  // Leg points in their places from the hip down.
  EXPECT_GT(record(m, kWomanThigh).y, record(m, kWomanKnee).y);
  EXPECT_GT(record(m, kWomanKnee).y, record(m, kWomanCalf).y);
  EXPECT_GT(record(m, kWomanCalf).y, record(m, kWomanAnkle).y);
  EXPECT_GT(record(m, kWomanKnee).z, record(m, kWomanCalf).z);  // kneecap in front, calf behind
  EXPECT_NEAR(record(m, kWomanCrotch).y - record(m, kWomanCrotchFloor).y, 80, 2.5);
  // The head frame faces forward.
  const auto& tri = m.triangles[kWomanHeadFrame];
  for (auto v : tri.vindices) EXPECT_GT(m.vertex(v)[2], 2);
}

TEST(GeneratedBodies, GirlNumbersSitOnTheirPoints) {
  auto loaded = loadContentModel("\\model\\ChinaGirl\\Girl.c3d");
  ASSERT_TRUE(loaded.model);
  const GlmModel& m = *loaded.model;
  const Extent e = bodyExtent(m);
  EXPECT_NEAR(record(m, kGirlHeadTop).y, e.maxY, 0.3f);
  EXPECT_NEAR(record(m, kGirlFootLowest).y, e.minY, 0.3f);
  EXPECT_LT(record(m, kGirlFootLowest).x, 0);
  EXPECT_GT(vertexNumber(m, kGirlHairSeat).y, e.maxY - 4);
  EXPECT_LT(vertexNumber(m, kGirlShoeSeat).x, 0);
  EXPECT_LT(vertexNumber(m, kGirlShoeSeat).y, e.minY + 2);
}

TEST(GeneratedBodies, ManifestGirthsLieNearRealAdultFemaleValues) {
  const auto manifest = testing::contentManifest();
  const auto& d = manifest["woman"]["dimensions"];
  struct Range {
    const char* name;
    double lo, hi;
  };
  for (const Range& r :
       {Range{"height", 174.7, 174.8}, Range{"bust", 90, 95}, Range{"waist", 70, 75},
        Range{"hip", 95, 100}, Range{"thigh", 55, 60}, Range{"calf", 35, 37}, Range{"neck", 33, 35},
        Range{"shoulderBreadth", 36, 38}, Range{"inseam", 78, 82}}) {
    ASSERT_TRUE(d.contains(r.name)) << r.name;
    EXPECT_GE(d[r.name].get<double>(), r.lo) << r.name;
    EXPECT_LE(d[r.name].get<double>(), r.hi) << r.name;
  }
}

}  // namespace
}  // namespace vestora
