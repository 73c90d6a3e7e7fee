#include <gtest/gtest.h>

#include <cstring>

#include "formats/model_loader.h"
#include "formats/model_ops.h"
#include "test_support.h"

namespace vestora {
namespace {

using testing::TempDir;

// A small model that uses every part of the format: normals, texture
// coordinates, facet normals, two materials, two groups with runs.
GlmModel richModel() {
  GlmModel m;
  m.modelName = "Girl";
  m.mtllibname = "girl.mtl";
  m.setVertexCount(4);
  const float v[] = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0.5f};
  std::copy(v, v + 12, m.vertices.begin() + 3);
  m.setNormalCount(2);
  m.normals[3 * 1 + 2] = 1.0f;
  m.normals[3 * 2 + 1] = 1.0f;
  m.setTexcoordCount(4);
  for (int i = 1; i <= 4; ++i) m.texcoords[2 * i] = 0.25f * i;
  for (std::uint32_t i = 0; i < 3; ++i) {
    GlmTriangle t;
    t.vindices[0] = 1;
    t.vindices[1] = 2 + (i % 2);
    t.vindices[2] = 3 + (i % 2);
    t.nindices[0] = t.nindices[1] = t.nindices[2] = 1 + (i % 2);
    t.tindices[0] = 1;
    t.tindices[1] = 2;
    t.tindices[2] = 4;
    m.triangles.push_back(t);
  }
  glmFacetNormals(m);
  m.materials.resize(2);
  m.materials[0].name = "default";
  m.materials[1].name = "skin";
  m.materials[1].diffuse = {0.9f, 0.7f, 0.6f, 1.0f};
  m.materials[1].reserved = 0xDEADBEEF;
  GlmGroup& body = glmAddGroup(m, " body");
  body.material = 1;
  for (std::uint32_t i : {0u, 1u}) {
    body.triangles.push_back(i);
    body.triangleCopies.push_back(m.triangles[i]);
  }
  body.runs = {{"default", 0, 0}, {"skin", 0, 2}};  // an empty run, then one to the end
  body.vertexNumbers = {1, 2, 3, 4};
  body.normals = {0, 0, 1};
  body.texcoords = {0.25f, 0, 0.5f, 0};
  GlmGroup& eye = glmAddGroup(m, " Eye");
  eye.triangles = {2};
  eye.triangleCopies = {m.triangles[2]};
  eye.runs = {{"skin", 0, 1}};
  return m;
}

std::vector<std::uint8_t> encode(const ModelLoader& loader, const GlmModel& m, std::int32_t tag = 5) {
  auto bytes = loader.encodeC3D(m, tag);
  EXPECT_TRUE(bytes.ok()) << (bytes.ok() ? "" : bytes.error().message());
  return bytes.ok() ? bytes.value() : std::vector<std::uint8_t>{};
}

std::unique_ptr<GlmModel> decode(ModelLoader& loader, const std::vector<std::uint8_t>& bytes,
                                 std::int32_t* tagOut = nullptr) {
  std::int32_t tag = -99;
  auto model = loader.readC3D(bytes, "mem.c3d", tag);
  EXPECT_TRUE(model.ok()) << (model.ok() ? "" : model.error().message());
  if (tagOut) *tagOut = tag;
  return model.ok() ? std::move(model).value() : nullptr;
}

TEST(C3d, WriteReadWriteIsByteIdenticalAndKeepsEverything) {
  ModelLoader loader;
  loader.headAnchor = {2, -0.22f, -0.34f, 3, 4, 5, 6, 7, 8};
  const GlmModel m = richModel();
  const auto first = encode(loader, m, 42);

  ModelLoader reader;
  std::int32_t tag = 0;
  auto back = decode(reader, first, &tag);
  ASSERT_TRUE(back);
  EXPECT_EQ(tag, 42);
  EXPECT_TRUE(*back == m);
  EXPECT_EQ(back->materials[1].reserved, 0xDEADBEEF);
  EXPECT_EQ(reader.headAnchor, loader.headAnchor);  // all six unused floats survive
  // The group list comes back in its former order: newest first.
  ASSERT_EQ(back->groups.size(), 2u);
  EXPECT_EQ(back->groups.front().name, " Eye");
  EXPECT_EQ(back->groups.back().runs, (std::vector<GlmMaterialRun>{{"default", 0, 0}, {"skin", 0, 2}}));

  EXPECT_EQ(encode(reader, *back, tag), first);
}

// Byte size of a model without facet normals: every item of the layout.
TEST(C3d, LayoutWithoutFacetNormalsHasNoFacetArray) {
  GlmModel m;
  m.setVertexCount(3);
  GlmTriangle t;
  t.vindices[0] = 1;
  t.vindices[1] = 2;
  t.vindices[2] = 3;
  m.triangles = {t};
  m.materials.resize(1);
  m.materials[0].name = "default";
  ModelLoader loader;
  const auto bytes = encode(loader, m);
  const std::size_t expected = 4                                // tag
                               + 4 + 4 * 12                     // vertices, entry 0 included
                               + 4 + 12                         // no normals: one unused triple
                               + 4 + 8                          // no texture coordinates: one pair
                               + 4                              // facet-normal count 0, no array
                               + 4 + 40                         // one triangle
                               + 128 + 4 + 76 + 128             // library, one material, its name
                               + 128 + 4                        // model name, no groups
                               + 36;                            // head anchor
  EXPECT_EQ(bytes.size(), expected);
  std::uint32_t facetCount = 1, triangleCount = 0;
  std::memcpy(&facetCount, &bytes[4 + 52 + 16 + 12], 4);
  std::memcpy(&triangleCount, &bytes[4 + 52 + 16 + 12 + 4], 4);
  EXPECT_EQ(facetCount, 0u);
  EXPECT_EQ(triangleCount, 1u);  // the item right after the facet-normal count
}

TEST(C3d, GroupArraysAreStoredAtFullCapacity) {
  GlmModel m;
  m.setVertexCount(10);
  m.setNormalCount(5);
  m.setTexcoordCount(7);
  glmAddGroup(m, " g").vertexNumbers = {3};
  ModelLoader loader;
  const std::size_t withGroup = encode(loader, m).size();
  m.groups.clear();
  const std::size_t without = encode(loader, m).size();
  const std::size_t groupRecord = 128 + 4 + 4 + 6 * 12 + 4 + 8 * 8 + 4 + 11 * 4 + 4 + 4;
  EXPECT_EQ(withGroup - without, groupRecord);
}

TEST(C3d, OnlyTheExactNameWomanCarriesWeightLevels) {
  GlmModel m = richModel();
  ModelLoader loader;
  loader.lowShape.assign(m.vertices.size(), 1.0f);
  loader.midShape.assign(m.vertices.size(), 2.0f);
  const std::size_t levels = 2 * m.vertices.size() * 4;

  m.modelName = "woman";
  const std::size_t woman = encode(loader, m).size();
  for (const char* other : {"Woman", "woman ", " woman", "man"}) {
    m.modelName = other;
    EXPECT_EQ(encode(loader, m).size() + levels, woman) << other;
  }
}

TEST(C3d, ReadingAWomanReplacesWeightLevelsOtherBodiesKeepThem) {
  GlmModel woman = richModel();
  woman.modelName = "woman";
  ModelLoader writer;
  writer.lowShape.assign(woman.vertices.size(), 1.5f);
  writer.midShape.assign(woman.vertices.size(), 2.5f);
  writer.headAnchor[0] = 1.0f;
  const auto womanBytes = encode(writer, woman);
  GlmModel girl = richModel();
  writer.headAnchor[0] = 0.0f;
  writer.headAnchor[8] = 9.0f;
  const auto girlBytes = encode(writer, girl);

  ModelLoader loader;
  ASSERT_TRUE(decode(loader, womanBytes));
  EXPECT_EQ(loader.lowShape, writer.lowShape);
  EXPECT_EQ(loader.midShape, writer.midShape);
  EXPECT_EQ(loader.headAnchor[0], 1.0f);
  ASSERT_TRUE(decode(loader, girlBytes));
  EXPECT_EQ(loader.lowShape, writer.lowShape);  // kept from the woman
  EXPECT_EQ(loader.headAnchor[0], 0.0f);        // the anchor is always replaced
  EXPECT_EQ(loader.headAnchor[8], 9.0f);
}

TEST(C3d, WomanWithoutMatchingWeightLevelsIsNotWritten) {
  GlmModel m = richModel();
  m.modelName = "woman";
  ModelLoader loader;  // holds no weight levels
  EXPECT_FALSE(loader.encodeC3D(m, 0).ok());
}

TEST(C3d, GroupsFromTheFirstBlankDefaultDownAreNotStored) {
  // Creation order: "default", " a", " default", " b", " c" (head is " c").
  GlmModel m;
  m.setVertexCount(3);
  for (const char* name : {"default", " a", " default", " b", " c"}) glmAddGroup(m, name);
  ModelLoader loader;
  auto back = decode(loader, encode(loader, m));
  ASSERT_TRUE(back);
  std::vector<std::string> names;
  for (const auto& g : back->groups) names.push_back(g.name);
  EXPECT_EQ(names, (std::vector<std::string>{" c", " b"}));
}

TEST(C3d, AutomaticDefaultGroupIsStoredWhenNoBlankDefaultExists) {
  GlmModel m;
  m.setVertexCount(3);
  glmAddGroup(m, "default");
  glmAddGroup(m, " x");
  ModelLoader loader;
  auto back = decode(loader, encode(loader, m));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->groups.size(), 2u);
  EXPECT_EQ(back->groups.back().name, "default");
}

TEST(C3d, StoredRunEndIsSupersededByTheNextRunsStart) {
  GlmModel m = richModel();
  glmFindGroup(m, " body")->runs = {{"default", 0, 1}, {"skin", 1, 2}};
  ModelLoader loader;
  auto bytes = encode(loader, m);
  // Damage the first run's stored end (1 → 2): a run ends where the next starts.
  std::vector<std::uint8_t> pattern(128, 0);
  std::memcpy(pattern.data(), "default", 7);
  auto at = std::search(bytes.begin() + 400, bytes.end(), pattern.begin(), pattern.end());
  // The first match past the materials is the run name inside the group record.
  at = std::search(at + 1, bytes.end(), pattern.begin(), pattern.end());
  ASSERT_NE(at, bytes.end());
  std::uint32_t two = 2;
  std::memcpy(&*(at + 128 + 4), &two, 4);
  auto back = decode(loader, bytes);
  ASSERT_TRUE(back);
  EXPECT_EQ(glmFindGroup(*back, " body")->runs[0].end, 1u);
}

TEST(C3d, EveryTruncationIsAFailureThatLeavesTheLoaderAlone) {
  GlmModel m = richModel();
  m.modelName = "woman";
  ModelLoader writer;
  writer.lowShape.assign(m.vertices.size(), 1.0f);
  writer.midShape.assign(m.vertices.size(), 2.0f);
  writer.headAnchor[0] = 2.0f;
  const auto bytes = encode(writer, m);

  ModelLoader loader;
  loader.headAnchor[3] = 7.0f;
  loader.lowShape = {9, 9, 9};
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    std::int32_t tag = -1;
    auto r = loader.readC3D(std::span(bytes.data(), n), "cut.c3d", tag);
    ASSERT_FALSE(r.ok()) << "prefix of " << n << " bytes";
    EXPECT_EQ(tag, -1);
  }
  EXPECT_EQ(loader.headAnchor[3], 7.0f);
  EXPECT_EQ(loader.lowShape, (std::vector<float>{9, 9, 9}));
}

// Overwrites the uint32 at `offset`.
std::vector<std::uint8_t> patched(std::vector<std::uint8_t> bytes, std::size_t offset,
                                  std::uint32_t value) {
  std::memcpy(&bytes[offset], &value, 4);
  return bytes;
}

TEST(C3d, InconsistentFilesAreRejectedWithAReason) {
  ModelLoader loader;
  GlmModel m = richModel();
  const auto good = encode(loader, m);
  const std::size_t vertexCountAt = 4;
  const std::size_t triangleAt = 4 + 4 + 5 * 12 + 4 + 3 * 12 + 4 + 5 * 8 + 4 + 4 * 12 + 4;

  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    const char* reason;
  };
  const std::vector<Case> cases = {
      {"huge vertex count", patched(good, vertexCountAt, 0xFFFFFFF0u), "vertex count"},
      {"vertex beyond the array", patched(good, triangleAt, 99), "triangle 0"},
      {"vertex number zero", patched(good, triangleAt, 0), "triangle 0"},
      {"normal beyond the array", patched(good, triangleAt + 12, 3), "triangle 0"},
  };
  for (const auto& c : cases) {
    std::int32_t tag = 0;
    auto r = loader.readC3D(c.bytes, "bad.c3d", tag);
    ASSERT_FALSE(r.ok()) << c.name;
    EXPECT_NE(r.error().message().find(c.reason), std::string::npos)
        << c.name << ": " << r.error().message();
    EXPECT_NE(r.error().message().find("bad.c3d"), std::string::npos);
  }
}

TEST(C3d, GroupWithMoreThan200RunsIsRejected) {
  GlmModel m;
  m.setVertexCount(3);
  GlmGroup& g = glmAddGroup(m, " g");
  g.runs.assign(200, GlmMaterialRun{"m", 0, 0});
  ModelLoader loader;
  auto bytes = encode(loader, m);
  ASSERT_FALSE(bytes.empty());
  // The run count sits 200 runs (136 bytes each) and the anchor before the end.
  const std::size_t runCountAt = bytes.size() - 36 - 200 * 136 - 4;
  std::uint32_t count = 0;
  std::memcpy(&count, &bytes[runCountAt], 4);
  ASSERT_EQ(count, 200u);
  // 201 runs: append one more run record before the anchor.
  auto more = patched(bytes, runCountAt, 201);
  more.insert(more.end() - 36, 136, 0);
  std::int32_t tag = 0;
  auto r = loader.readC3D(more, "runs.c3d", tag);
  ASSERT_FALSE(r.ok());
  EXPECT_NE(r.error().what.find("200"), std::string::npos);
  g.runs.emplace_back();
  EXPECT_FALSE(loader.encodeC3D(m, 0).ok());
}

TEST(C3d, NonFiniteVertexIsRejected) {
  GlmModel m = richModel();
  m.vertex(2)[1] = std::numeric_limits<float>::quiet_NaN();
  ModelLoader loader;
  std::int32_t tag = 0;
  auto r = loader.readC3D(encode(loader, m), "nan.c3d", tag);
  ASSERT_FALSE(r.ok());
  EXPECT_NE(r.error().what.find("vertex 2"), std::string::npos);
}

TEST(C3d, FilesOnDisk) {
  TempDir dir;
  ModelLoader loader;
  const GlmModel m = richModel();
  const std::string path = dir.file("m.c3d");
  ASSERT_TRUE(loader.glmWriteC3D(path, m, 3).ok());
  std::int32_t tag = 0;
  auto back = loader.glmReadC3D(path, tag);
  ASSERT_TRUE(back.ok());
  EXPECT_TRUE(*back.value() == m);
  EXPECT_EQ(tag, 3);
  auto missing = loader.glmReadC3D(dir.file("none.c3d"), tag);
  ASSERT_FALSE(missing.ok());
  EXPECT_NE(missing.error().message().find("none.c3d"), std::string::npos);
}

TEST(C3d, ExportUndoesTheUnitScaleOnACopy) {
  GlmModel m = richModel();
  const GlmModel before = m;
  ModelLoader loader;
  TempDir dir;
  const std::array<float, 3> centre = {10.0f, 80.0f, -3.0f};
  ASSERT_TRUE(loader.exportAvatarC3D(dir.file("e.c3d"), m, centre, 0.1f, 9).ok());
  EXPECT_TRUE(m == before);  // the avatar in memory is untouched
  std::int32_t tag = 0;
  auto back = loader.glmReadC3D(dir.file("e.c3d"), tag);
  ASSERT_TRUE(back.ok());
  const float* v = back.value()->vertex(3);  // (1, 1, 0) in model units
  EXPECT_FLOAT_EQ(v[0], 1.0f / 0.1f + 10.0f + 0.089f);
  EXPECT_FLOAT_EQ(v[1], 1.0f / 0.1f + 80.0f);
  EXPECT_FLOAT_EQ(v[2], -3.0f);
  EXPECT_EQ(back.value()->normals, before.normals);
  EXPECT_FALSE(loader.exportAvatarC3D(dir.file("z.c3d"), m, centre, 0.0f, 9).ok());
}

}  // namespace
}  // namespace vestora
