#include "cloth/garment_files.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_support.h"

namespace vestora {
namespace {

// A reader context whose messages are recorded and whose floor starts at -2.
struct Context {
  ScriptedDialogs dialogs;
  float floor = -2.0f;
  std::vector<int> steps;
  GarmentLoadContext ctx;
  Context() {
    ctx.dialogs = &dialogs;
    ctx.floorHeight = &floor;
    ctx.progress = [this](int step) { steps.push_back(step); };
  }
};

Result<GarmentMesh> parseMsh(const std::string& text, Context& c) {
  return parsePatternMesh(text, "test.msh", c.ctx);
}

Result<GarmentMesh> parseMsh(const std::string& text) {
  Context c;
  return parseMsh(text, c);
}

Result<GarmentMesh> parsePop(const std::vector<std::uint8_t>& bytes, Context& c) {
  return parseFittedGarment(bytes, "test.pop", c.ctx);
}

Result<GarmentMesh> parsePop(const std::vector<std::uint8_t>& bytes) {
  Context c;
  return parsePop(bytes, c);
}

// A 2 × 1 rectangle in the pattern plane, cut into two triangles; points
// carry position and attributes only. `records` follow the points.
std::string rectangle(const std::string& records = "", const std::string& counts = "") {
  return "cp 4\ncf 2\n" + counts +
         "# a rectangle\n"
         "p 0 0 0 1 0 0 0\n"
         "p 2 0 0 1 0 0 0\n"
         "p 2 1 0 1 0 0 0\n"
         "p 0 1 0 1 0 0 0\n"
         "f 0 1 2 0\n"
         "f 0 2 3 0\n" +
         records;
}

// `n` points along x at height y = i (side value 1, piece 0), no faces.
std::string pointRow(int n, const std::string& records = "", const std::string& counts = "") {
  std::string text = "cp " + std::to_string(n) + "\n" + counts;
  for (int i = 0; i < n; ++i)
    text += "p " + std::to_string(i) + " " + std::to_string(i) + " 0 0 0 0 0 1\n";
  return text + records;
}

bool sameVertex(const SkinVertex& a, const SkinVertex& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

void expectSamePiece(const PatternPiece& a, const PatternPiece& b) {
  EXPECT_EQ(a.number, b.number);
  EXPECT_EQ(a.minusOne, b.minusOne);
  EXPECT_TRUE(sameVertex(a.centre, b.centre));
  for (std::size_t k = 0; k < a.derived.size(); ++k)
    EXPECT_TRUE(sameVertex(a.derived[k], b.derived[k])) << "derived " << k;
  for (std::size_t k = 0; k < a.corners.size(); ++k)
    EXPECT_TRUE(sameVertex(a.corners[k], b.corners[k])) << "corner " << k;
  EXPECT_EQ(a.box, b.box);
  EXPECT_EQ(a.reserved, b.reserved);
  EXPECT_EQ(a.firstParticle, b.firstParticle);
  EXPECT_EQ(a.lastParticle, b.lastParticle);
  EXPECT_EQ(a.shown, b.shown);
  EXPECT_EQ(a.outlined, b.outlined);
  EXPECT_EQ(a.rightSide, b.rightSide);
}

// Every float of the piece a different value, so that a field written at
// the wrong place cannot read back equal.
PatternPiece numberedPiece(std::int32_t number, float seed) {
  PatternPiece piece;
  float next = seed;
  auto fill = [&](SkinVertex& v) {
    for (float* f : {&v.x, &v.y, &v.z, &v.w, &v.u, &v.v, &v.extra[0], &v.extra[1], &v.extra[2]})
      *f = next += 0.5f;
  };
  piece.number = number;
  fill(piece.centre);
  for (auto& v : piece.derived) fill(v);
  for (auto& v : piece.corners) fill(v);
  for (float& f : piece.box) f = next += 0.5f;
  piece.reserved = 17 + number;
  piece.firstParticle = 2 * number;
  piece.lastParticle = 2 * number + 1;
  piece.shown = 0;
  piece.outlined = 1;
  piece.rightSide = number;
  return piece;
}

// Four particles, two triangles, three edges, one seam, two pieces, one
// binding per particle (the second unbound).
GarmentMesh smallGarment() {
  GarmentMesh g;
  g.particles.resize(4);
  const std::int32_t sides[4] = {0, 1, 3, 5};
  const std::vector<std::vector<std::int32_t>> neighbours = {{1, 3}, {0, 2, 3}, {1, 3}, {0, 1, 2}};
  for (int i = 0; i < 4; ++i) {
    GarmentParticle& p = g.particles[i];
    p.point.x = 0.5f + i;
    p.point.y = -1.25f * i;
    p.point.z = 0.125f * i + 0.1f;
    p.point.u = 0.1f * i + 0.05f;
    p.point.v = 1.0f - 0.2f * i;
    p.neighbourCount = static_cast<std::int32_t>(neighbours[i].size());
    for (std::size_t k = 0; k < neighbours[i].size(); ++k) p.neighbours[k] = neighbours[i][k];
    p.attribute0 = i % 2;
    p.attribute1 = 10 + i;
    p.attribute2 = -i;
    p.piece = i < 2 ? 0 : 1;
    p.side = sides[i];
  }
  GarmentTriangle t0, t1;
  t0.vertex = {0, 1, 3};
  t0.piece = 0;
  t0.uv = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f};
  t0.hasUv = true;
  t1.vertex = {1, 2, 3};
  t1.piece = 1;
  t1.uv = {0.7f, 0.8f, 0.9f, 1.0f, 1.1f, 1.2f};
  t1.hasUv = true;
  g.triangles = {t0, t1};
  g.edges = {{0, 1, 1.5f}, {1, 2, 2.5f}, {2, 3, 0.75f}};
  g.seams = {{1, 3, 4, 1, 0}};
  g.workingSeams = g.seams;
  g.pieceIdMin = 0;
  g.pieceIdMax = 1;
  const std::vector<PatternPiece> pieces = {numberedPiece(0, 1.0f), numberedPiece(1, 500.0f)};
  g.pieces = {pieces, pieces, pieces};
  g.placement = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  g.hasBinding = true;
  g.bindings.resize(4);
  for (int i = 0; i < 4; ++i) {
    BodyBinding& b = g.bindings[i];
    b.offset = {0.01f * i, -0.02f * i, 0.03f};
    b.normalZ = 0.6f;
    b.normalX = -0.8f;
    b.normalY = 0.25f * i;
    b.unused0 = 11 + i;
    b.sample = 100 + i;
    b.unused1 = 22 + i;
  }
  g.bindings[1].sample = kUnbound;
  g.textureName = "denim_blue.bmp";
  g.keptFlag = 3;
  return g;
}

// Byte offsets in the fitted-garment file of smallGarment(), from the record
// sizes of the format: 28-byte header, 60-byte triangles, 128-byte particles,
// 12-byte edges, 20-byte seams, 8-byte piece range, 452-byte pieces,
// 36-byte placement, binding count, 36-byte bindings, 128-byte name.
constexpr std::size_t kParticlesAt = 28 + 2 * 60;
constexpr std::size_t particleAt(std::size_t i) {
  return kParticlesAt + 128 * i;
}
constexpr std::size_t kEdgesAt = particleAt(4);
constexpr std::size_t kSeamsAt = kEdgesAt + 3 * 12;
constexpr std::size_t kPieceRangeAt = kSeamsAt + 20;
constexpr std::size_t kPiecesAt = kPieceRangeAt + 8;
constexpr std::size_t kPlacementAt = kPiecesAt + 2 * 452;
constexpr std::size_t kBindingCountAt = kPlacementAt + 36;
constexpr std::size_t bindingAt(std::size_t i) {
  return kBindingCountAt + 4 + 36 * i;
}
constexpr std::size_t kNameAt = bindingAt(4);
constexpr std::size_t kFileSize = kNameAt + 128;

std::int32_t i32At(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  std::int32_t v;
  std::memcpy(&v, bytes.data() + at, 4);
  return v;
}
float f32At(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  float v;
  std::memcpy(&v, bytes.data() + at, 4);
  return v;
}
void setI32(std::vector<std::uint8_t>& bytes, std::size_t at, std::int32_t v) {
  std::memcpy(bytes.data() + at, &v, 4);
}
void setF32(std::vector<std::uint8_t>& bytes, std::size_t at, float v) {
  std::memcpy(bytes.data() + at, &v, 4);
}

// The first error of the pattern-mesh reader for `text`, or "" when it reads.
std::string mshError(const std::string& text, int* line = nullptr) {
  auto r = parseMsh(text);
  if (r.ok()) return "";
  if (line) *line = r.error().line;
  return r.error().what;
}

std::string popError(const std::vector<std::uint8_t>& bytes) {
  auto r = parsePop(bytes);
  return r.ok() ? "" : r.error().what;
}

// ---------------------------------------------------------------------------
// Pattern-mesh file

TEST(PatternMeshFile, PositionOnlyPointsGetTextureCoordinatesFromThePatternPlane) {
  Context c;
  auto r = parseMsh(rectangle(), c);
  ASSERT_TRUE(r.ok()) << r.error().message();
  const GarmentMesh& g = r.value();
  ASSERT_EQ(g.particleCount(), 4);
  ASSERT_EQ(g.triangleCount(), 2);
  // The box is 2 × 1, so both coordinates are divided by 2 + 0.01.
  const float expected[4][2] = {{0, 0}, {2 / 2.01f, 0}, {2 / 2.01f, 1 / 2.01f}, {0, 1 / 2.01f}};
  for (int i = 0; i < 4; ++i) {
    const GarmentParticle& p = g.particles[i];
    EXPECT_NEAR(p.point.u, expected[i][0], 1e-6f) << i;
    EXPECT_NEAR(p.point.v, expected[i][1], 1e-6f) << i;
    EXPECT_GE(p.point.u, 0.0f);
    EXPECT_LT(p.point.u, 1.0f);
    EXPECT_LT(p.point.v, 1.0f);
    // An 8-word point has side value 1: the front.
    EXPECT_EQ(p.side, kSideFront);
    EXPECT_EQ(p.attribute0, 1);
    EXPECT_EQ(p.piece, 0);
    EXPECT_TRUE(sameVertex(p.rest, p.point)) << "the rest copy holds the generated coordinates";
    EXPECT_EQ(p.marker, -1);
    EXPECT_EQ(p.fixed, 0);
    EXPECT_EQ(p.display, kDefaultDisplayParameter);
    EXPECT_EQ(p.seamPartner, -1);
  }
  EXPECT_EQ(g.triangles[1].vertex, (std::array<std::int32_t, 3>{0, 2, 3}));
  EXPECT_EQ(g.triangles[1].piece, 0);
  EXPECT_FALSE(g.triangles[1].hasUv);
  EXPECT_EQ(g.sourceTriangles.size(), 2u);
  ASSERT_EQ(g.drawParticles.size(), 4u);
  EXPECT_TRUE(sameVertex(g.drawParticles[2].point, g.particles[2].point));
  EXPECT_EQ(g.contacts.size(), 4u);
  EXPECT_TRUE(g.fixedParticles.empty());
  EXPECT_FALSE(g.hasBinding);
  EXPECT_TRUE(c.dialogs.transcript().empty());
}

TEST(PatternMeshFile, SideValuesBecomeSideCodes) {
  // Values -2 … 3 in nine-word points; 7 is outside and keeps the default.
  std::string text = "cp 7\n";
  const int values[7] = {-2, -1, 0, 1, 2, 3, 7};
  for (int v : values) text += "p 0 0 0 0 0 0 0 " + std::to_string(v) + "\n";
  auto r = parseMsh(text);
  ASSERT_TRUE(r.ok()) << r.error().message();
  const std::int32_t codes[7] = {4, 1, 2, 0, 5, 3, kSideFront};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(r->particles[i].side, codes[i]) << "value " << values[i];
  for (const auto& p : r->particles) EXPECT_EQ(p.piece, 0);
}

TEST(PatternMeshFile, FileTextureCoordinatesAreKeptUnlessMostOfTheFirstTwentyAreZero) {
  // Points i = 0 … 21 at (i, 2i); the first `zeros` carry u = v = 0.
  auto text = [](int zeros) {
    std::string t = "cp 22\n";
    for (int i = 0; i < 22; ++i) {
      const std::string uv = i < zeros ? "0 0" : "0.5 0.25";
      t += "p " + std::to_string(i) + " " + std::to_string(2 * i) + " 0 " + uv + " 1 2 3 0 1\n";
    }
    return t;
  };
  auto kept = parseMsh(text(10));
  ASSERT_TRUE(kept.ok()) << kept.error().message();
  EXPECT_EQ(kept->particles[0].point.u, 0.0f);
  EXPECT_EQ(kept->particles[21].point.u, 0.5f);
  EXPECT_EQ(kept->particles[21].point.v, 0.25f);
  EXPECT_EQ(kept->particles[5].attribute1, 2);
  EXPECT_EQ(kept->particles[5].attribute2, 3);

  auto replaced = parseMsh(text(11));
  ASSERT_TRUE(replaced.ok());
  // Box 21 × 42: d = 42.
  EXPECT_NEAR(replaced->particles[21].point.u, 21 / 42.01f, 1e-6f);
  EXPECT_NEAR(replaced->particles[21].point.v, 42 / 42.01f, 1e-6f);
  EXPECT_NEAR(replaced->particles[1].point.u, 1 / 42.01f, 1e-6f);
}

TEST(PatternMeshFile, SeamLinesAreOrderedAndMarkBothEnds) {
  auto r = parseMsh(pointRow(10, "l 5 5 1\nl 9 4 2\nl 0 3 7\n"));
  ASSERT_TRUE(r.ok()) << r.error().message();
  const GarmentMesh& g = r.value();
  ASSERT_EQ(g.seams.size(), 2u);
  EXPECT_EQ(g.seams[0].a, 4);
  EXPECT_EQ(g.seams[0].b, 9);
  EXPECT_EQ(g.seams[0].seam, 2);
  EXPECT_EQ(g.seams[0].one, 1);
  EXPECT_EQ(g.seams[0].zero, 0);
  ASSERT_EQ(g.workingSeams.size(), 2u);
  EXPECT_EQ(g.workingSeams[0].b, 9);
  EXPECT_TRUE(g.hasSeams());
  EXPECT_EQ(g.particles[4].seamFlag, 1);
  EXPECT_EQ(g.particles[9].seamFlag, 1);
  EXPECT_EQ(g.particles[4].seamPartner, 9);
  EXPECT_EQ(g.particles[9].seamPartner, 4);
  // The seam of particle 5 with itself marks nothing.
  EXPECT_EQ(g.particles[5].seamFlag, 0);
  EXPECT_EQ(g.particles[5].seamPartner, -1);
  // A partner of 0 is not kept: particle 3 is a seam end without partner.
  EXPECT_EQ(g.particles[0].seamPartner, 3);
  EXPECT_EQ(g.particles[3].seamFlag, 1);
  EXPECT_EQ(g.particles[3].seamPartner, -1);
  EXPECT_EQ(g.drawParticles[9].seamFlag, 1);
}

TEST(PatternMeshFile, SpringJoiningAParticleToItselfIsReportedAndSkipped) {
  Context c;
  const std::string springs =
      "s 0 1\ns 1 2\ns 2 3\ns 0 2 0.75\ns 0 3\ns 1 3\ns 0 1 1\n"
      "s 3 3\n"  // the eighth spring line
      "s 2 0\n";
  auto r = parseMsh(rectangle(springs, "cs 9\n"), c);
  ASSERT_TRUE(r.ok()) << r.error().message();
  const auto& messages = c.dialogs.transcript();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, "Wrong spring connection at 7");
  EXPECT_EQ(messages[0].caption, "Vestora");
  EXPECT_EQ(messages[0].icon, MessageIcon::Warning);

  const GarmentMesh& g = r.value();
  ASSERT_EQ(g.edgeCount(), 8);
  EXPECT_FLOAT_EQ(g.edges[0].rest, 2.0f);  // (0, 0) to (2, 0)
  EXPECT_FLOAT_EQ(g.edges[4].rest, 1.0f);  // (0, 0) to (0, 1)
  EXPECT_FLOAT_EQ(g.edges[1].rest, 1.0f);
  EXPECT_FLOAT_EQ(g.edges[5].rest, std::sqrt(5.0f));
  EXPECT_EQ(g.edges[3].rest, 0.75f);
  EXPECT_EQ(g.edges[6].rest, 1.0f);
  EXPECT_EQ(g.edges[7].a, 2);  // read after the rejected line
  EXPECT_EQ(g.edges[7].b, 0);
  for (const GarmentEdge& e : g.edges) {
    EXPECT_EQ(e.stiffness, 4.0f);
    EXPECT_EQ(e.damping, 0.1f);
    EXPECT_EQ(e.kind, 1);
  }
  // Without a dialog interface the spring is still skipped.
  GarmentLoadContext silent;
  auto quiet = parsePatternMesh(rectangle(springs, "cs 9\n"), "q.msh", silent);
  ASSERT_TRUE(quiet.ok());
  EXPECT_EQ(quiet->edgeCount(), 8);
}

TEST(PatternMeshFile, SpringLinesPastTheirCountAreIgnored) {
  auto r = parseMsh(rectangle("s 0 1\ns 1 2\ns 2 3\n", "cs 2\n"));
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r->edgeCount(), 2);
  auto none = parseMsh(rectangle("s 0 1\n"));
  ASSERT_TRUE(none.ok());
  EXPECT_EQ(none->edgeCount(), 0) << "no \"cs\" count: no spring is read";
}

TEST(PatternMeshFile, LowPointLowersTheFloor) {
  Context c;  // floor at -2
  auto low = parseMsh("cp 2\np 0 -3 0 0 0 0 0\np 0 5 0 0 0 0 0\n", c);
  ASSERT_TRUE(low.ok());
  EXPECT_FLOAT_EQ(c.floor, -3.1f);

  Context above;
  ASSERT_TRUE(parseMsh("cp 1\np 0 -1.5 0 0 0 0 0\n", above).ok());
  EXPECT_EQ(above.floor, -2.0f);

  GarmentLoadContext noFloor;
  EXPECT_TRUE(parsePatternMesh("cp 1\np 0 -9 0 0 0 0 0\n", "x", noFloor).ok());

  Context failed;  // a file that fails leaves the floor alone
  ASSERT_FALSE(parseMsh("cp 2\np 0 -3 0 0 0 0 0\nf 0 1\np 0 1 0 0 0 0 0\ncf 1\n", failed).ok());
  EXPECT_EQ(failed.floor, -2.0f);
}

TEST(PatternMeshFile, ShortRecordLineEndsTheReadAndNamesTheLine) {
  struct Case {
    std::string text;
    int line;
  };
  const std::string kThree = "cp 3\np 0 0 0 1 0 0 0\np 1 0 0 1 0 0 0\np 0 1 0 1 0 0 0\n";
  const Case cases[] = {
      {"cp 2\np 0 0 0 1 0 0 0\np 1 1 1 1 0 0\n", 3},               // 7 words
      {kThree + "cf 1\nf 0 1\n", 6},                               // face of 3 words
      {kThree + "cf 1\nf 0 1 2 0 0.5 0.5\n", 6},                   // corner uvs cut short
      {"cp 2\np 0 0 0 1 0 0 0\np 0 0 0 1 0 0 0\nl 0 1\n", 4},      // seam without number
      {"cp 2\ncs 1\np 0 0 0 1 0 0 0\np 0 0 0 1 0 0 0\ns 0\n", 5},  // spring of one word
      {"cp 1\np 0 0 0 1 0 0 0\nw\n", 3},                           // texture without name
      {"cf 1\ncp\np 0 0 0 1 0 0 0\n", 2},                          // count without number
  };
  for (const Case& c : cases) {
    Context context;
    auto r = parseMsh(c.text, context);
    ASSERT_FALSE(r.ok()) << c.text;
    EXPECT_EQ(r.error().line, c.line) << c.text;
    EXPECT_EQ(r.error().source, "test.msh");
    EXPECT_NE(r.error().what.find("words"), std::string::npos) << r.error().what;
    EXPECT_EQ(context.floor, -2.0f);
  }
  // The face line above fails even though the file has only 3 points.
  int line = 0;
  EXPECT_NE(
      mshError("cp 3\np 0 0 0 1 0 0 0\np 0 0 0 1 0 0 0\np 0 0 0 1 0 0 0\nf 0 1\ncf 1\n", &line),
      "");
  EXPECT_EQ(line, 5);
}

TEST(PatternMeshFile, ParticleReferencesOutsideTheGarmentAreRejected) {
  struct Case {
    std::string records, counts;
    int line;
  };
  // With one extra count line the rectangle's record lines start at line 11
  // (3 count lines, a comment, 4 points, 2 faces).
  const Case cases[] = {
      {"", "cf 3\nf 0 1 4\n", 4},     // triangle naming particle 4 of 4
      {"l 0 4 1\n", "#\n", 11},       // seam
      {"l -1 2 1\n", "#\n", 11},      // seam with a negative particle
      {"s 1 4\n", "cs 1\n", 11},      // spring
      {"n 1 2\nn 0 9\n", "#\n", 12},  // neighbour
  };
  for (const Case& c : cases) {
    int line = 0;
    const std::string what = mshError(rectangle(c.records, c.counts), &line);
    EXPECT_NE(what.find("particle"), std::string::npos) << c.records << c.counts << what;
    EXPECT_EQ(line, c.line) << c.records << c.counts;
  }
  // A face line that names particle -1.
  EXPECT_NE(mshError("cp 3\ncf 1\np 0 0 0 1 0 0 0\np 0 0 0 1 0 0 0\np 0 0 0 1 0 0 0\nf 0 -1 2\n"),
            "");
}

TEST(PatternMeshFile, NeighbourListsAndTriangleUsesHaveLimits) {
  auto neighbours = [](int n) {
    std::string line = "n";
    for (int k = 0; k < n; ++k) line += " " + std::to_string(k + 1);
    return line + "\n";
  };
  auto fifteen = parseMsh(pointRow(17, neighbours(15) + "n 0\n"));
  ASSERT_TRUE(fifteen.ok()) << fifteen.error().message();
  EXPECT_EQ(fifteen->particles[0].neighbourCount, 15);
  EXPECT_EQ(fifteen->particles[0].neighbours[14], 15);
  EXPECT_EQ(fifteen->particles[1].neighbourCount, 1);
  EXPECT_EQ(fifteen->particles[1].neighbours[0], 0);
  EXPECT_EQ(fifteen->particles[2].neighbourCount, 0);
  EXPECT_NE(mshError(pointRow(17, neighbours(16))).find("neighbours"), std::string::npos);

  // A fan of `n` triangles round particle 0.
  auto fan = [](int n) {
    std::string faces;
    for (int i = 1; i <= n; ++i)
      faces += "f 0 " + std::to_string(i) + " " + std::to_string(i + 1) + " 0\n";
    return pointRow(n + 2, faces, "cf " + std::to_string(n) + "\n");
  };
  auto forty = parseMsh(fan(40));
  ASSERT_TRUE(forty.ok()) << forty.error().message();
  GarmentMesh g = std::move(forty.value());
  EXPECT_TRUE(BuildVertexTriangles(g));
  EXPECT_EQ(g.vertexTriangles[0].count, 40);
  int line = 0;
  EXPECT_NE(mshError(fan(41), &line).find("more than 40 triangles"), std::string::npos);
  EXPECT_EQ(line, 2 + 43 + 41);  // count lines, 43 points, the 41st face
}

TEST(PatternMeshFile, CountsAreBoundedByTheLinesPresent) {
  // A count beyond the file's lines is rejected before anything is read.
  EXPECT_NE(mshError("cp 2000000000\np 0 0 0 0 0 0 0\n").find("larger than"), std::string::npos);
  EXPECT_NE(mshError(rectangle("", "cs 99\n")).find("spring count"), std::string::npos);
  EXPECT_NE(mshError(rectangle("", "cf 50\n")), "");
  // Fewer point or face lines than counted.
  EXPECT_NE(mshError("cp 3\np 0 0 0 0 0 0 0\np 0 0 0 0 0 0 0\n#\n#\n").find("2 point lines"),
            std::string::npos);
  EXPECT_NE(mshError(rectangle("", "cf 3\n")).find("2 face lines"), std::string::npos);
  // Negative counts.
  int line = 0;
  EXPECT_NE(mshError(rectangle("", "cs -1\n"), &line).find("negative"), std::string::npos);
  EXPECT_EQ(line, 3);
  EXPECT_NE(mshError("cp -4\n"), "");
  EXPECT_NE(mshError(rectangle("", "cd -2\n")), "");
  // Numbers too large for 32 bits.
  EXPECT_NE(mshError("cp 99999999999\n"), "");
  // No point count: nothing is loaded.
  EXPECT_NE(mshError("cf 1\np 0 0 0 0 0 0 0\nf 0 0 0\n").find("\"cp\""), std::string::npos);
  EXPECT_NE(mshError(""), "");
  // "cp 0": no record line is read.
  auto empty = parseMsh("cp 0\ncd 3\np 1 2 3\nw cloth.bmp\n");
  ASSERT_TRUE(empty.ok());
  EXPECT_TRUE(empty->empty());
  EXPECT_EQ(empty->textureName, "");
  EXPECT_EQ(empty->extraCount, 3);
}

TEST(PatternMeshFile, RecordLinesPastTheirCountsAreIgnored) {
  // Two points, one face and two neighbour lists counted; a third of each follows.
  const std::string text =
      "cp 2\ncf 1\n"
      "p 0 0 0 0 0 0 0\np 1 0 0 0 0 0 0\np 7 7 7 0 0 0 0\n"
      "f 0 1 1\nf 0 1 9\n"
      "n 1\nn 0\nn 0 1 5 8\n";
  auto r = parseMsh(text);
  ASSERT_TRUE(r.ok()) << r.error().message();
  EXPECT_EQ(r->particleCount(), 2);
  EXPECT_EQ(r->triangleCount(), 1);
  EXPECT_EQ(r->particles[1].neighbourCount, 1);
  EXPECT_EQ(r->particles[1].point.x, 1.0f);
}

TEST(PatternMeshFile, NonFiniteNumbersAreRejected) {
  const std::string bad[] = {
      "cp 1\np nan 0 0 0 0 0 0\n",
      "cp 1\np 0 -inf 0 0 0 0 0\n",
      "cp 1\np 0 0 1e39 0 0 0 0\n",
      "cp 1\np 0 0 2e9 0 0 0 0\n",  // beyond ±1e9 working units
      "cp 1\np 0 0 0 infinity 0 0 0 0 0 0\n",
      "cp 3\ncf 1\np 0 0 0 0 0 0 0\np 0 0 0 0 0 0 0\np 0 0 0 0 0 0 0\nf 0 1 2 0 0 0 0 0 NaN 0\n",
  };
  for (const std::string& text : bad) {
    int line = 0;
    EXPECT_NE(mshError(text, &line).find("finite"), std::string::npos) << text;
    EXPECT_GT(line, 1) << text;
  }
  EXPECT_NE(mshError(rectangle("s 0 1 nan\n", "cs 1\n")).find("rest length"), std::string::npos);
  // A number too small for a float reads as 0.
  auto tiny = parseMsh("cp 1\np 1e-60 0 0 0 0 0 0\n");
  ASSERT_TRUE(tiny.ok());
  EXPECT_EQ(tiny->particles[0].point.x, 0.0f);
}

TEST(PatternMeshFile, OtherPointWordCountsGiveThePositionOnly) {
  const std::string text =
      "cp 3\n"
      "p 1 2 3 0.5 0.5 1 7 7 4 -1 9\n"   // 12 words
      "p 4 5 6 0.5 0.5 1 7 7 4\n"        // 10 words
      "p 7 8 9 0.25 0.75 1 7 7 2 -1\n";  // 11 words
  auto r = parseMsh(text);
  ASSERT_TRUE(r.ok()) << r.error().message();
  for (int i = 0; i < 2; ++i) {
    const GarmentParticle& p = r->particles[i];
    EXPECT_EQ(p.point.x, 1.0f + 3 * i);
    EXPECT_EQ(p.point.z, 3.0f + 3 * i);
    EXPECT_EQ(p.point.u, 0.0f) << "no texture coordinates from a " << (i ? 10 : 12) << "-word line";
    EXPECT_EQ(p.attribute0, 0);
    EXPECT_EQ(p.attribute1, 0);
    EXPECT_EQ(p.piece, -1);
    EXPECT_EQ(p.side, kSideFront);
  }
  EXPECT_EQ(r->particles[2].point.u, 0.25f);
  EXPECT_EQ(r->particles[2].piece, 2);
  EXPECT_EQ(r->particles[2].side, kSideBack);
}

TEST(PatternMeshFile, MalformedNumbersReadAsTheCLibraryReadsThem) {
  // A word's leading number counts; a word without one reads as 0.
  auto r =
      parseMsh("cp 3\ncf 1\np 1x 2 3 abc 0 0 0\np 0 0 0 0 0 0 0\np 0 0 0 0 0 0 0\nf 0 1 2.9 +1\n");
  ASSERT_TRUE(r.ok()) << r.error().message();
  EXPECT_EQ(r->particles[0].point.x, 1.0f);
  EXPECT_EQ(r->particles[0].attribute0, 0);
  EXPECT_EQ(r->triangles[0].vertex[2], 2);
  EXPECT_EQ(r->triangles[0].piece, 1);
}

TEST(PatternMeshFile, PieceRangeAndPieces) {
  const std::string text =
      "cp 5\n"
      "p 0 0 0 1 0 0 0 1\n"
      "p 1 2 0 1 0 0 0 1\n"
      "p -4 0 1 0 0 0 2 1\n"
      "p -2 1 3 1 0 0 2 1\n"
      "p 9 9 9 0 0 0 -3 1\n";
  auto r = parseMsh(text);
  ASSERT_TRUE(r.ok()) << r.error().message();
  const GarmentMesh& g = r.value();
  EXPECT_EQ(g.pieceIdMin, 0);  // -3 is the smallest: a negative minimum becomes 0
  EXPECT_EQ(g.pieceIdMax, 2);
  // Piece 1 has no points; 0 and 2 are built, in all three lists.
  for (const auto& list : g.pieces) {
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].number, 0);
    EXPECT_EQ(list[1].number, 2);
  }
  EXPECT_EQ(g.pieces[0][1].box, (std::array<float, 6>{-4, 0, 1, -2, 1, 3}));
  EXPECT_EQ(g.pieces[0][0].rightSide, 1);
  EXPECT_EQ(g.pieces[0][1].rightSide, 0);
  // The centre of the union of the two boxes, (-4 … 1, 0 … 2, 0 … 3).
  EXPECT_EQ(g.centre, (std::array<float, 3>{-1.5f, 1.0f, 1.5f}));

  EXPECT_NE(mshError("cp 1\np 0 0 0 0 0 0 1000 1\n").find("piece number"), std::string::npos);
  auto highest = parseMsh("cp 1\np 0 0 0 0 0 0 999 1\n");
  ASSERT_TRUE(highest.ok());
  EXPECT_EQ(highest->pieceIdMax, kMaxPieceNumber);
}

TEST(PatternMeshFile, TextureNameExtraCountCommentsAndLineEnds) {
  const std::string text =
      "# cp 99\r\n"
      "cp 1\r\n"
      "cd 7\r\n"
      "ct 1\r\n"
      "w fabric_01.bmp ignored\r\n"
      "\r\n"
      "\tp 1 2 3 1 0 0 0\r\n"
      "x anything\r\n";
  auto r = parseMsh(text);
  ASSERT_TRUE(r.ok()) << r.error().message();
  EXPECT_EQ(r->textureName, "fabric_01.bmp");
  EXPECT_EQ(r->extraCount, 7);
  ASSERT_EQ(r->particleCount(), 1);
  EXPECT_EQ(r->particles[0].point.z, 3.0f);
}

TEST(PatternMeshFile, ProgressStepsForPointsThenSprings) {
  std::string springs;
  for (int i = 0; i < 45; ++i) springs += "s " + std::to_string(i % 24) + " 24\n";
  Context c;
  auto r = parseMsh(pointRow(25, springs, "cs 45\n"), c);
  ASSERT_TRUE(r.ok()) << r.error().message();
  EXPECT_EQ(r->edgeCount(), 45);
  EXPECT_EQ(c.steps, (std::vector<int>{1, 2, 101, 102}));
}

TEST(PatternMeshFile, LoadReadsTheFileAndFailsWhenItCannotBeOpened) {
  testing::TempDir dir;
  Context c;
  auto r = LoadPatternMesh(dir.write("shirt.msh", rectangle()), c.ctx);
  ASSERT_TRUE(r.ok()) << r.error().message();
  EXPECT_EQ(r->particleCount(), 4);
  auto missing = LoadPatternMesh(dir.file("none.msh"), c.ctx);
  ASSERT_FALSE(missing.ok());
  EXPECT_NE(missing.error().message().find("none.msh"), std::string::npos);
}

TEST(PatternMeshFile, FormatThenParseGivesTheSameGarment) {
  GarmentMesh source = smallGarment();
  source.triangles[1].hasUv = false;  // written as "f a b c g"
  source.triangles[1].uv = {};
  source.particles[2].point.x = 1e-7f;
  source.particles[3].point.y = -123456.79f;
  source.particles[3].point.u = 0.1f;
  source.extraCount = 5;
  const std::string text = formatPatternMesh(source);
  Context c;
  auto r = parseMsh(text, c);
  ASSERT_TRUE(r.ok()) << r.error().message() << "\n" << text;
  const GarmentMesh& g = r.value();
  ASSERT_EQ(g.particleCount(), 4);
  for (int i = 0; i < 4; ++i) {
    const GarmentParticle& a = source.particles[i];
    const GarmentParticle& b = g.particles[i];
    EXPECT_TRUE(sameVertex(a.point, b.point)) << i;
    EXPECT_EQ(a.neighbourCount, b.neighbourCount) << i;
    EXPECT_EQ(a.neighbours, b.neighbours) << i;
    EXPECT_EQ(a.attribute0, b.attribute0) << i;
    EXPECT_EQ(a.attribute1, b.attribute1) << i;
    EXPECT_EQ(a.attribute2, b.attribute2) << i;
    EXPECT_EQ(a.piece, b.piece) << i;
    EXPECT_EQ(a.side, b.side) << i;
  }
  EXPECT_EQ(g.particles[1].seamPartner, 3);
  EXPECT_EQ(g.particles[3].seamPartner, 1);
  ASSERT_EQ(g.triangleCount(), 2);
  for (int t = 0; t < 2; ++t) {
    EXPECT_EQ(g.triangles[t].vertex, source.triangles[t].vertex);
    EXPECT_EQ(g.triangles[t].piece, source.triangles[t].piece);
    EXPECT_EQ(g.triangles[t].uv, source.triangles[t].uv);
    EXPECT_EQ(g.triangles[t].hasUv, source.triangles[t].hasUv);
  }
  ASSERT_EQ(g.edgeCount(), 3);
  for (int e = 0; e < 3; ++e) {
    EXPECT_EQ(g.edges[e].a, source.edges[e].a);
    EXPECT_EQ(g.edges[e].b, source.edges[e].b);
    EXPECT_EQ(g.edges[e].rest, source.edges[e].rest);
  }
  ASSERT_EQ(g.seams.size(), 1u);
  EXPECT_EQ(g.seams[0].a, 1);
  EXPECT_EQ(g.seams[0].b, 3);
  EXPECT_EQ(g.seams[0].seam, 4);
  EXPECT_EQ(g.textureName, source.textureName);
  EXPECT_EQ(g.extraCount, 5);
  EXPECT_EQ(g.pieceIdMin, 0);
  EXPECT_EQ(g.pieceIdMax, 1);
  EXPECT_EQ(g.pieces[0].size(), 2u);
  // Writing the re-read garment gives the same text.
  EXPECT_EQ(formatPatternMesh(g), text);
  EXPECT_TRUE(c.dialogs.transcript().empty());
}

// ---------------------------------------------------------------------------
// Fitted-garment file

TEST(FittedGarmentFile, WriteThenReadKeepsEveryField) {
  const GarmentMesh source = smallGarment();
  const std::vector<std::uint8_t> bytes = formatFittedGarment(source);
  ASSERT_EQ(bytes.size(), kFileSize);
  Context c;
  auto r = parsePop(bytes, c);
  ASSERT_TRUE(r.ok()) << r.error().message();
  const GarmentMesh& g = r.value();

  ASSERT_EQ(g.particleCount(), 4);
  for (int i = 0; i < 4; ++i) {
    const GarmentParticle& a = source.particles[i];
    const GarmentParticle& b = g.particles[i];
    EXPECT_TRUE(sameVertex(a.point, b.point)) << i;
    EXPECT_TRUE(sameVertex(b.rest, b.point)) << i;
    EXPECT_EQ(a.neighbourCount, b.neighbourCount) << i;
    EXPECT_EQ(a.neighbours, b.neighbours) << i;
    EXPECT_EQ(a.attribute0, b.attribute0) << i;
    EXPECT_EQ(a.attribute1, b.attribute1) << i;
    EXPECT_EQ(a.attribute2, b.attribute2) << i;
    EXPECT_EQ(a.piece, b.piece) << i;
    EXPECT_EQ(a.side, b.side) << i;
    EXPECT_EQ(b.marker, -1);
    EXPECT_EQ(b.display, kDefaultDisplayParameter);
  }
  // Seam ends as for a pattern-mesh file.
  EXPECT_EQ(g.particles[1].seamFlag, 1);
  EXPECT_EQ(g.particles[3].seamFlag, 1);
  EXPECT_EQ(g.particles[1].seamPartner, 3);
  EXPECT_EQ(g.particles[3].seamPartner, 1);
  EXPECT_EQ(g.particles[0].seamFlag, 0);

  ASSERT_EQ(g.triangleCount(), 2);
  for (int t = 0; t < 2; ++t) {
    EXPECT_EQ(g.triangles[t].vertex, source.triangles[t].vertex);
    EXPECT_EQ(g.triangles[t].piece, source.triangles[t].piece);
    EXPECT_EQ(g.triangles[t].uv, source.triangles[t].uv);
    EXPECT_TRUE(g.triangles[t].hasUv);
  }
  ASSERT_EQ(g.sourceTriangles.size(), 2u);
  ASSERT_EQ(g.edgeCount(), 3);
  for (int e = 0; e < 3; ++e) {
    EXPECT_EQ(g.edges[e].a, source.edges[e].a);
    EXPECT_EQ(g.edges[e].b, source.edges[e].b);
    EXPECT_EQ(g.edges[e].rest, source.edges[e].rest);
    EXPECT_EQ(g.edges[e].stiffness, 4.0f);
    EXPECT_EQ(g.edges[e].damping, 0.1f);
    EXPECT_EQ(g.edges[e].kind, 1);
  }
  for (const auto* seams : {&g.seams, &g.workingSeams}) {
    ASSERT_EQ(seams->size(), 1u);
    const SeamPair& s = seams->front();
    EXPECT_EQ(s.a, 1);
    EXPECT_EQ(s.b, 3);
    EXPECT_EQ(s.seam, 4);
    EXPECT_EQ(s.one, 1);
    EXPECT_EQ(s.zero, 0);
  }
  EXPECT_EQ(g.pieceIdMin, 0);
  EXPECT_EQ(g.pieceIdMax, 1);
  for (const auto& list : g.pieces) {
    ASSERT_EQ(list.size(), 2u);
    for (std::size_t k = 0; k < 2; ++k) expectSamePiece(list[k], source.pieces[0][k]);
  }
  EXPECT_EQ(g.placement, source.placement);
  ASSERT_TRUE(g.hasBinding);
  ASSERT_EQ(g.bindings.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    const BodyBinding& a = source.bindings[i];
    const BodyBinding& b = g.bindings[i];
    EXPECT_EQ(a.offset, b.offset);
    EXPECT_EQ(a.normalZ, b.normalZ);
    EXPECT_EQ(a.normalX, b.normalX);
    EXPECT_EQ(a.normalY, b.normalY);
    EXPECT_EQ(a.unused0, b.unused0);
    EXPECT_EQ(a.sample, b.sample);
    EXPECT_EQ(a.unused1, b.unused1);
  }
  EXPECT_EQ(g.bindings[1].sample, kUnbound);
  EXPECT_EQ(g.textureName, "denim_blue.bmp");
  EXPECT_EQ(g.keptFlag, 3);
  EXPECT_EQ(g.drawParticles.size(), 4u);
  EXPECT_EQ(g.contacts.size(), 4u);
  // The centre of the union of the stored piece boxes.
  const auto& box0 = source.pieces[0][0].box;
  const auto& box1 = source.pieces[0][1].box;
  EXPECT_FLOAT_EQ(g.centre[0], (std::min(box0[0], box1[0]) + std::max(box0[3], box1[3])) / 2);
  EXPECT_TRUE(c.dialogs.transcript().empty());

  EXPECT_EQ(formatFittedGarment(g), bytes) << "writing the re-read garment gives the same bytes";
}

TEST(FittedGarmentFile, ParticleAndBindingRecordsSitAtTheirOffsets) {
  GarmentMesh g = smallGarment();
  g.particles[2].point.w = 42.0f;  // written as it is, not read back
  const std::vector<std::uint8_t> bytes = formatFittedGarment(g);
  ASSERT_EQ(bytes.size(), kFileSize);
  EXPECT_EQ(i32At(bytes, 0), 4);   // particles
  EXPECT_EQ(i32At(bytes, 4), 3);   // edges
  EXPECT_EQ(i32At(bytes, 8), 2);   // triangles
  EXPECT_EQ(i32At(bytes, 12), 1);  // seams
  EXPECT_EQ(i32At(bytes, 16), 2);  // pieces
  EXPECT_EQ(i32At(bytes, 20), 1);  // binding flag
  EXPECT_EQ(i32At(bytes, 24), 3);  // kept flag
  // Second triangle: particles, three unused, piece, two unused, corner uvs.
  EXPECT_EQ(i32At(bytes, 28 + 60 + 4), 2);
  EXPECT_EQ(i32At(bytes, 28 + 60 + 24), 1);
  EXPECT_EQ(f32At(bytes, 28 + 60 + 36), 0.7f);
  EXPECT_EQ(f32At(bytes, 28 + 60 + 56), 1.2f);

  const std::size_t p = particleAt(2);
  const GarmentParticle& src = g.particles[2];
  EXPECT_EQ(f32At(bytes, p + 0), src.point.x);
  EXPECT_EQ(f32At(bytes, p + 4), src.point.y);
  EXPECT_EQ(f32At(bytes, p + 8), src.point.z);
  EXPECT_EQ(f32At(bytes, p + 12), 42.0f);
  EXPECT_EQ(f32At(bytes, p + 16), src.point.u);
  EXPECT_EQ(f32At(bytes, p + 20), src.point.v);
  EXPECT_EQ(i32At(bytes, p + 36), 2);  // neighbour count
  EXPECT_EQ(i32At(bytes, p + 40), 1);
  EXPECT_EQ(i32At(bytes, p + 44), 3);
  EXPECT_EQ(i32At(bytes, p + 48), 0);                // unused slots are zero
  EXPECT_EQ(i32At(bytes, p + 100), 0);               // a0
  EXPECT_EQ(i32At(bytes, p + 104), 12);              // a1
  EXPECT_EQ(i32At(bytes, p + 108), -2);              // a2
  EXPECT_EQ(i32At(bytes, p + 112), 1);               // piece
  EXPECT_EQ(i32At(bytes, p + 116), 3);               // side value of code 3
  EXPECT_EQ(i32At(bytes, particleAt(1) + 116), -1);  // back
  EXPECT_EQ(i32At(bytes, particleAt(0) + 116), 1);   // front
  EXPECT_EQ(i32At(bytes, p + 120), 0);
  EXPECT_EQ(i32At(bytes, p + 124), 0);

  EXPECT_EQ(i32At(bytes, kEdgesAt + 12 + 4), 2);
  EXPECT_EQ(f32At(bytes, kEdgesAt + 12 + 8), 2.5f);
  EXPECT_EQ(i32At(bytes, kSeamsAt + 8), 4);
  EXPECT_EQ(i32At(bytes, kPieceRangeAt + 4), 1);
  // Piece 1: number at 0, -1 at 4, centre x at 8, box at 404, first and
  // last particle at 432 and 436, side flag at 448.
  const std::size_t piece = kPiecesAt + 452;
  EXPECT_EQ(i32At(bytes, piece), 1);
  EXPECT_EQ(i32At(bytes, piece + 4), -1);
  EXPECT_EQ(f32At(bytes, piece + 8), g.pieces[0][1].centre.x);
  EXPECT_EQ(f32At(bytes, piece + 44), g.pieces[0][1].derived[0].x);
  EXPECT_EQ(f32At(bytes, piece + 116), g.pieces[0][1].corners[0].x);
  EXPECT_EQ(f32At(bytes, piece + 404), g.pieces[0][1].box[0]);
  EXPECT_EQ(i32At(bytes, piece + 432), 2);
  EXPECT_EQ(i32At(bytes, piece + 436), 3);
  EXPECT_EQ(i32At(bytes, piece + 448), 1);
  EXPECT_EQ(f32At(bytes, kPlacementAt + 32), 9.0f);

  EXPECT_EQ(i32At(bytes, kBindingCountAt), 4);
  const std::size_t b = bindingAt(3);
  const BodyBinding& bind = g.bindings[3];
  EXPECT_EQ(f32At(bytes, b + 0), bind.offset[0]);
  EXPECT_EQ(f32At(bytes, b + 4), bind.offset[1]);
  EXPECT_EQ(f32At(bytes, b + 8), bind.offset[2]);
  EXPECT_EQ(f32At(bytes, b + 12), 0.6f);   // normal z
  EXPECT_EQ(f32At(bytes, b + 16), -0.8f);  // normal x
  EXPECT_EQ(f32At(bytes, b + 20), 0.75f);  // normal y
  EXPECT_EQ(i32At(bytes, b + 24), 14);
  EXPECT_EQ(i32At(bytes, b + 28), 103);  // body sample
  EXPECT_EQ(i32At(bytes, b + 32), 25);
  EXPECT_EQ(i32At(bytes, bindingAt(1) + 28), kUnbound);

  const std::string name(reinterpret_cast<const char*>(bytes.data() + kNameAt));
  EXPECT_EQ(name, "denim_blue.bmp");
  EXPECT_EQ(bytes.back(), 0);

  auto r = parsePop(bytes);
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r->particles[2].point.w, 0.0f);
}

TEST(FittedGarmentFile, TruncatedFileIsRejectedAtEveryCut) {
  const std::vector<std::uint8_t> bytes = formatFittedGarment(smallGarment());
  for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
    const std::vector<std::uint8_t> part(bytes.begin(), bytes.begin() + cut);
    Context c;
    auto r = parsePop(part, c);
    ASSERT_FALSE(r.ok()) << "cut at " << cut;
    EXPECT_FALSE(r.error().what.empty());
    EXPECT_EQ(c.floor, -2.0f);
  }
  // Bytes after the texture name are ignored.
  std::vector<std::uint8_t> longer = bytes;
  longer.resize(bytes.size() + 7, 0xAB);
  EXPECT_TRUE(parsePop(longer).ok());
}

TEST(FittedGarmentFile, CountsAreBoundedByTheBytesPresent) {
  const std::vector<std::uint8_t> bytes = formatFittedGarment(smallGarment());
  for (std::size_t field = 0; field < 5; ++field) {
    std::vector<std::uint8_t> huge = bytes;
    setI32(huge, 4 * field, std::numeric_limits<std::int32_t>::max());
    EXPECT_NE(popError(huge).find("bytes"), std::string::npos) << "count " << field;
    std::vector<std::uint8_t> negative = bytes;
    setI32(negative, 4 * field, -1);
    EXPECT_NE(popError(negative).find("negative"), std::string::npos) << "count " << field;
  }
  // One more triangle than the file holds.
  std::vector<std::uint8_t> oneMore = bytes;
  setI32(oneMore, 8, 3);
  EXPECT_NE(popError(oneMore), "");
}

TEST(FittedGarmentFile, BindingsMustMatchTheParticles) {
  const std::vector<std::uint8_t> bytes = formatFittedGarment(smallGarment());
  std::vector<std::uint8_t> count = bytes;
  setI32(count, kBindingCountAt, 3);
  EXPECT_NE(popError(count).find("3 bindings for 4 particles"), std::string::npos);
  std::vector<std::uint8_t> sample = bytes;
  setI32(sample, bindingAt(2) + 28, -2);
  EXPECT_NE(popError(sample).find("sample -2"), std::string::npos);

  // Without the flag no bindings are stored or read.
  GarmentMesh unbound = smallGarment();
  unbound.hasBinding = false;
  const std::vector<std::uint8_t> plain = formatFittedGarment(unbound);
  EXPECT_EQ(plain.size(), kFileSize - 4 - 4 * 36);
  auto r = parsePop(plain);
  ASSERT_TRUE(r.ok()) << r.error().message();
  EXPECT_FALSE(r->hasBinding);
  EXPECT_TRUE(r->bindings.empty());
  // Any non-zero flag means bound.
  std::vector<std::uint8_t> flag = bytes;
  setI32(flag, 20, 5);
  auto flagged = parsePop(flag);
  ASSERT_TRUE(flagged.ok());
  EXPECT_TRUE(flagged->hasBinding);
}

TEST(FittedGarmentFile, TextureNameNeedsItsTerminator) {
  std::vector<std::uint8_t> bytes = formatFittedGarment(smallGarment());
  std::fill(bytes.begin() + kNameAt, bytes.end(), 'a');
  EXPECT_NE(popError(bytes).find("terminator"), std::string::npos);
  bytes.back() = 0;
  auto r = parsePop(bytes);
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r->textureName, std::string(127, 'a'));
  // The writer cuts a longer name to 127 characters.
  GarmentMesh g = smallGarment();
  g.textureName = std::string(200, 'b');
  auto cut = parsePop(formatFittedGarment(g));
  ASSERT_TRUE(cut.ok());
  EXPECT_EQ(cut->textureName, std::string(127, 'b'));
}

TEST(FittedGarmentFile, NonFiniteNumbersAreRejected) {
  const std::vector<std::uint8_t> bytes = formatFittedGarment(smallGarment());
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const std::pair<std::size_t, float> patches[] = {
      {particleAt(1) + 4, nan},   {particleAt(3) + 20, inf},
      {particleAt(0), 2e9f},      {28 + 36, -inf},
      {kEdgesAt + 8, nan},        {kPiecesAt + 404, nan},
      {kPiecesAt + 452 + 8, inf}, {kPlacementAt + 16, nan},
      {bindingAt(0) + 12, inf},
  };
  for (const auto& [at, value] : patches) {
    std::vector<std::uint8_t> bad = bytes;
    setF32(bad, at, value);
    EXPECT_NE(popError(bad).find("finite"), std::string::npos) << "byte " << at;
  }
  // The particle floats the reader does not use may hold anything.
  std::vector<std::uint8_t> unused = bytes;
  setF32(unused, particleAt(1) + 12, nan);
  setF32(unused, particleAt(1) + 24, inf);
  EXPECT_TRUE(parsePop(unused).ok());
}

TEST(FittedGarmentFile, ParticleReferencesAndLimitsAreChecked) {
  const std::vector<std::uint8_t> bytes = formatFittedGarment(smallGarment());
  const std::pair<std::size_t, std::int32_t> patches[] = {
      {28 + 8, 4},                  // triangle corner
      {28 + 60, -1},                // triangle corner
      {particleAt(0) + 36, 16},     // neighbour count
      {particleAt(0) + 36, -1},     // neighbour count
      {particleAt(0) + 44, 4},      // neighbour
      {kEdgesAt + 4, 4},            // edge end
      {kSeamsAt, -1},               // seam end
      {kSeamsAt + 4, 4},            // seam end
      {particleAt(1) + 112, 1000},  // piece number
      {kPieceRangeAt + 4, 5000},    // piece range
  };
  for (const auto& [at, value] : patches) {
    std::vector<std::uint8_t> bad = bytes;
    setI32(bad, at, value);
    EXPECT_NE(popError(bad), "") << "byte " << at << " = " << value;
  }
  // A neighbour slot past the count is not a reference.
  std::vector<std::uint8_t> slot = bytes;
  setI32(slot, particleAt(0) + 48, 99);
  auto r = parsePop(slot);
  ASSERT_TRUE(r.ok()) << r.error().message();
  EXPECT_EQ(r->particles[0].neighbours[2], 0);

  // Particle 0 in 41 triangles.
  GarmentMesh fan;
  fan.particles.resize(43);
  for (int i = 1; i <= 41; ++i) {
    GarmentTriangle t;
    t.vertex = {0, i, i + 1};
    fan.triangles.push_back(t);
  }
  EXPECT_NE(popError(formatFittedGarment(fan)).find("more than 40"), std::string::npos);
  fan.triangles.pop_back();
  auto forty = parsePop(formatFittedGarment(fan));
  ASSERT_TRUE(forty.ok());
  GarmentMesh g = std::move(forty.value());
  EXPECT_TRUE(BuildVertexTriangles(g));
}

TEST(FittedGarmentFile, EdgesWithoutBothEndsAreSkipped) {
  std::vector<std::uint8_t> bytes = formatFittedGarment(smallGarment());
  setI32(bytes, kEdgesAt, -1);          // first edge: a = -1
  setI32(bytes, kEdgesAt + 12 + 4, 1);  // second edge joins particle 1 to itself
  Context c;
  auto r = parsePop(bytes, c);
  ASSERT_TRUE(r.ok()) << r.error().message();
  ASSERT_EQ(r->edgeCount(), 1);
  EXPECT_EQ(r->edges[0].a, 2);
  EXPECT_EQ(r->edges[0].b, 3);
  EXPECT_EQ(c.dialogs.messages(), (std::vector<std::string>{"Wrong spring connection at 1"}));
}

TEST(FittedGarmentFile, LowPointLowersTheFloor) {
  GarmentMesh g = smallGarment();  // lowest y: -3.75
  Context c;
  ASSERT_TRUE(parsePop(formatFittedGarment(g), c).ok());
  EXPECT_FLOAT_EQ(c.floor, -3.85f);
  Context low;
  low.floor = -10;
  ASSERT_TRUE(parsePop(formatFittedGarment(g), low).ok());
  EXPECT_EQ(low.floor, -10.0f);
}

TEST(FittedGarmentFile, WriteAndLoadThroughAFile) {
  testing::TempDir dir;
  const std::string path = dir.file("fitted.pop");
  const GarmentMesh source = smallGarment();
  ASSERT_TRUE(writeFittedGarment(path, source).ok());
  EXPECT_EQ(testing::readAll(path).size(), kFileSize);
  Context c;
  auto r = LoadFittedGarment(path, c.ctx);
  ASSERT_TRUE(r.ok()) << r.error().message();
  EXPECT_EQ(r->bindings.size(), 4u);
  EXPECT_EQ(r->textureName, "denim_blue.bmp");

  EXPECT_FALSE(LoadFittedGarment(dir.file("missing.pop"), c.ctx).ok());

  // A bound garment without one binding per particle is not written.
  GarmentMesh broken = smallGarment();
  broken.bindings.pop_back();
  const std::string other = dir.file("broken.pop");
  EXPECT_FALSE(writeFittedGarment(other, broken).ok());
  EXPECT_FALSE(std::filesystem::exists(other));
}

TEST(FittedGarmentFile, PatternMeshGarmentSurvivesTheFittedFile) {
  // A garment read from a pattern mesh, written as a fitted garment and read
  // again, keeps its particles, pieces and centre.
  auto msh = parseMsh(rectangle("l 1 3 1\n"));
  ASSERT_TRUE(msh.ok());
  auto pop = parsePop(formatFittedGarment(msh.value()));
  ASSERT_TRUE(pop.ok()) << pop.error().message();
  for (int i = 0; i < 4; ++i)
    EXPECT_TRUE(sameVertex(pop->particles[i].point, msh->particles[i].point)) << i;
  ASSERT_EQ(pop->pieces[0].size(), 1u);
  expectSamePiece(pop->pieces[0][0], msh->pieces[0][0]);
  EXPECT_EQ(pop->centre, msh->centre);
  EXPECT_EQ(pop->particles[3].seamPartner, 1);
}

}  // namespace
}  // namespace vestora
