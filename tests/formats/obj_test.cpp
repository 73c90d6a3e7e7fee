#include <gtest/gtest.h>

#include "formats/model_loader.h"
#include "test_support.h"

namespace vestora {
namespace {

using testing::memoryFetcher;

struct ObjRead {
  ModelLoader loader;
  std::unique_ptr<GlmModel> model;
  std::int32_t tag = -7;
  Error error;
};

// Reads `obj` as "dir/body.obj" with the given sibling files.
ObjRead readObj(const std::string& obj, std::map<std::string, std::string> files = {}) {
  ObjRead r;
  auto result = r.loader.readOBJ(obj, "dir/body.obj", memoryFetcher(std::move(files)), r.tag);
  if (result.ok())
    r.model = std::move(result).value();
  else
    r.error = result.error();
  return r;
}

std::vector<std::string> groupNames(const GlmModel& m) {
  std::vector<std::string> names;
  for (const auto& g : m.groups) names.push_back(g.name);
  return names;
}

const char* kQuad =
    "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
    "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
    "vn 0 0 1\nvn 0 0 1\nvn 0 0 1\nvn 0 0 1\n";

TEST(Obj, PolygonBecomesAFanWithMatchingNormalsAndTextures) {
  auto r = readObj(std::string(kQuad) + "f 1/1/1 2/2/2 3/3/3 4/4/4\n");
  ASSERT_TRUE(r.model) << r.error.message();
  ASSERT_EQ(r.model->triangleCount(), 2u);
  const GlmTriangle& a = r.model->triangles[0];
  const GlmTriangle& b = r.model->triangles[1];
  EXPECT_EQ(std::vector<std::uint32_t>(a.vindices, a.vindices + 3), (std::vector<std::uint32_t>{1, 2, 3}));
  EXPECT_EQ(std::vector<std::uint32_t>(b.vindices, b.vindices + 3), (std::vector<std::uint32_t>{1, 3, 4}));
  EXPECT_EQ(std::vector<std::uint32_t>(b.tindices, b.tindices + 3), (std::vector<std::uint32_t>{1, 3, 4}));
  EXPECT_EQ(std::vector<std::uint32_t>(b.nindices, b.nindices + 3), (std::vector<std::uint32_t>{1, 3, 4}));
  EXPECT_EQ(a.findex, 0u);  // set only by the facet-normal pass
}

TEST(Obj, EveryFaceForm) {
  struct Case {
    const char* face;
    std::uint32_t t, n;
  };
  for (const Case& c : {Case{"f 1 2 3", 0, 0}, Case{"f 1/2 2/2 3/2", 2, 0},
                        Case{"f 1//3 2//3 3//3", 0, 3}, Case{"f 1/2/3 2/2/3 3/2/3", 2, 3}}) {
    auto r = readObj(std::string(kQuad) + c.face + "\n");
    ASSERT_TRUE(r.model) << c.face << ": " << r.error.message();
    EXPECT_EQ(r.model->triangles[0].tindices[1], c.t) << c.face;
    EXPECT_EQ(r.model->triangles[0].nindices[1], c.n) << c.face;
  }
}

TEST(Obj, BadFacesAreErrorsWithTheLineNumber) {
  for (const char* face : {"f 1 2 5", "f -1 -2 -3", "f 0 1 2", "f 1/1/1 2 3", "f 1 2 x",
                           "f 1/9 2/1 3/1", "f 1//9 2//1 3//1"}) {
    auto r = readObj(std::string(kQuad) + "# faces\n" + face + "\n");
    EXPECT_FALSE(r.model) << face;
    EXPECT_EQ(r.error.line, 14) << face << ": " << r.error.message();
  }
  // A face with too few corners is skipped with a warning.
  auto r = readObj(std::string(kQuad) + "f 1 2\nf 1 2 3\n");
  ASSERT_TRUE(r.model);
  EXPECT_EQ(r.model->triangleCount(), 1u);
  EXPECT_EQ(r.loader.warnings.size(), 1u);
}

TEST(Obj, UnknownTokenBeginningWithVIsAnError) {
  auto r = readObj(std::string(kQuad) + "vp 0.5\n");
  ASSERT_FALSE(r.model);
  EXPECT_EQ(r.error.what, "glmFirstPass(): Unknown token \"vp\".");
  EXPECT_EQ(r.error.line, 13);
  EXPECT_EQ(r.error.source, "dir/body.obj");
}

TEST(Obj, GroupNamesKeepTheirBlankAndTheListRunsNewestFirst) {
  auto r = readObj(std::string(kQuad) + "g head\nf 1 2 3\ng  arm\nf 1 3 4\ng head\nf 2 3 4\n");
  ASSERT_TRUE(r.model);
  EXPECT_EQ(groupNames(*r.model), (std::vector<std::string>{"  arm", " head", "default"}));
  const GlmGroup* head = glmFindGroup(*r.model, " head");
  ASSERT_NE(head, nullptr);
  EXPECT_EQ(head->triangles, (std::vector<std::uint32_t>{0, 2}));
  EXPECT_EQ(head->triangleCopies[1], r.model->triangles[2]);
}

TEST(Obj, VerticesNormalsAndTexturesAreRecordedInTheCurrentGroup) {
  auto r = readObj("v 0 0 0\ng a\nv 1 0 0\nvn 0 1 0\nvt 0.5 0.25\nv 0 1 0\nf 1 2 3\n");
  ASSERT_TRUE(r.model);
  const GlmGroup* a = glmFindGroup(*r.model, " a");
  const GlmGroup* def = glmFindGroup(*r.model, "default");
  EXPECT_EQ(def->vertexNumbers, (std::vector<std::uint32_t>{1}));
  EXPECT_EQ(a->vertexNumbers, (std::vector<std::uint32_t>{2, 3}));
  EXPECT_EQ(a->normals, (std::vector<float>{0, 1, 0}));
  EXPECT_EQ(a->texcoords, (std::vector<float>{0.5f, 0.25f}));
}

TEST(Obj, MaterialRunsPerGroup) {
  const std::string mtl = "newmtl skin\nnewmtl cloth\n";
  auto r = readObj("mtllib body.mtl\n" + std::string(kQuad) +
                       "usemtl skin\nf 1 2 3\n"          // before any group: the "default" group
                       "g shirt\nusemtl skin\nf 1 2 3\nf 1 3 4\nusemtl cloth\nf 2 3 4\n"
                       "usemtl skin\n",                  // an empty last run
                   {{"dir/body.mtl", mtl}});
  ASSERT_TRUE(r.model) << r.error.message();
  const GlmGroup* def = glmFindGroup(*r.model, "default");
  EXPECT_EQ(def->material, 1u);
  EXPECT_EQ(def->runs, (std::vector<GlmMaterialRun>{{"skin", 0, 1}}));
  const GlmGroup* shirt = glmFindGroup(*r.model, " shirt");
  EXPECT_EQ(shirt->material, 1u);  // the last usemtl
  EXPECT_EQ(shirt->runs, (std::vector<GlmMaterialRun>{{"skin", 0, 2}, {"cloth", 2, 3}, {"skin", 3, 3}}));
}

TEST(Obj, GroupLineGivesTheGroupTheCurrentMaterial) {
  auto r = readObj("mtllib m.mtl\n" + std::string(kQuad) + "g a\nusemtl blue\ng b\nf 1 2 3\n",
                   {{"dir/m.mtl", "newmtl red\nnewmtl blue\n"}});
  ASSERT_TRUE(r.model);
  EXPECT_EQ(glmFindGroup(*r.model, " b")->material, 2u);
  EXPECT_TRUE(glmFindGroup(*r.model, " b")->runs.empty());
}

TEST(Obj, UnknownMaterialWarnsAndFallsBackToMaterialZero) {
  auto r = readObj("mtllib m.mtl\n" + std::string(kQuad) + "usemtl nothing\nf 1 2 3\n",
                   {{"dir/m.mtl", "newmtl red\n"}});
  ASSERT_TRUE(r.model);
  EXPECT_EQ(glmFindGroup(*r.model, "default")->material, 0u);
  ASSERT_EQ(r.loader.warnings.size(), 1u);
  EXPECT_EQ(r.loader.warnings[0], "glmFindMaterial():  can't find material nothing");
}

TEST(Obj, MissingMaterialLibraryIsAnError) {
  auto r = readObj("mtllib gone.mtl\n" + std::string(kQuad));
  ASSERT_FALSE(r.model);
  EXPECT_NE(r.error.what.find("glmReadMTL() failed: can't open material file \"dir/gone.mtl\""),
            std::string::npos);
}

TEST(Obj, TagComesOnlyFromAPLine) {
  auto without = readObj(kQuad);
  ASSERT_TRUE(without.model);
  EXPECT_EQ(without.tag, -7);
  auto with = readObj(std::string(kQuad) + "p 1234\n");
  ASSERT_TRUE(with.model);
  EXPECT_EQ(with.tag, 1234);
}

TEST(Obj, LandmarkLinesFillFourListsOfAtMostTen) {
  std::string obj = kQuad;
  for (int i = 0; i < 12; ++i)
    obj += "L " + std::to_string(i) + " " + std::to_string(10 + i) + " 3 4\n";
  auto r = readObj(obj);
  ASSERT_TRUE(r.model);
  EXPECT_EQ(r.loader.landmarks[0].size(), 10u);
  EXPECT_EQ(r.loader.landmarks[1][9], 19);
  EXPECT_EQ(r.loader.warnings.size(), 2u);
  // Only "L" exactly: "Lx" lines are skipped.
  auto skipped = readObj(std::string(kQuad) + "Lx 1 2 3 4\n");
  EXPECT_TRUE(skipped.loader.landmarks[0].empty());
}

TEST(Obj, FemaleBodyReadsItsOtherWeightLevel) {
  const std::string mtl = "o woman\n";
  const std::string mid = "# mid\nvn 0 1 0\nv 5 5 5\nv 6 6 6\nv 7 7 7\nv 8 8 8\n";
  auto r = readObj("mtllib w.mtl\nh 0\n" + std::string(kQuad),
                   {{"dir/w.mtl", mtl}, {"dir/nv_Mid.obj", mid}});
  ASSERT_TRUE(r.model) << r.error.message();
  EXPECT_EQ(r.model->modelName, "woman");
  EXPECT_EQ(r.loader.shapeLevel, 0);
  EXPECT_EQ(r.loader.lowShape, r.model->vertices);
  ASSERT_EQ(r.loader.midShape.size(), 15u);
  EXPECT_EQ(r.loader.midShape[3], 5.0f);
  EXPECT_EQ(r.loader.midShape[14], 8.0f);
  EXPECT_TRUE(r.loader.warnings.empty());

  auto level1 = readObj("mtllib w.mtl\nh 1\n" + std::string(kQuad),
                        {{"dir/w.mtl", mtl}, {"dir/nv_Low.obj", mid}});
  ASSERT_TRUE(level1.model);
  EXPECT_EQ(level1.loader.midShape, level1.model->vertices);
  EXPECT_EQ(level1.loader.lowShape[3], 5.0f);
}

TEST(Obj, FemaleBodyWithoutItsOtherLevelKeepsThatLevelEmpty) {
  auto r = readObj("mtllib w.mtl\nh 0\n" + std::string(kQuad), {{"dir/w.mtl", "o woman\n"}});
  ASSERT_TRUE(r.model);
  EXPECT_EQ(r.loader.midShape, std::vector<float>(15, 0.0f));
  EXPECT_EQ(r.loader.warnings.size(), 1u);
  // A companion with too few vertices fills what it has and says so.
  auto shortFile = readObj("mtllib w.mtl\nh 0\n" + std::string(kQuad),
                           {{"dir/w.mtl", "o woman\n"}, {"dir/nv_Mid.obj", "v 1 1 1\n"}});
  ASSERT_TRUE(shortFile.model);
  EXPECT_EQ(shortFile.loader.midShape[3], 1.0f);
  EXPECT_EQ(shortFile.loader.midShape[6], 0.0f);
  EXPECT_EQ(shortFile.loader.warnings.size(), 1u);
  // Another level allocates both arrays and fills neither.
  auto other = readObj("mtllib w.mtl\nh 2\n" + std::string(kQuad), {{"dir/w.mtl", "o woman\n"}});
  ASSERT_TRUE(other.model);
  EXPECT_EQ(other.loader.lowShape, std::vector<float>(15, 0.0f));
  EXPECT_EQ(other.loader.shapeLevel, 2);
}

TEST(Obj, OtherBodiesLeaveTheWeightLevelsAlone) {
  ObjRead r;
  r.loader.lowShape = {1, 2, 3};
  r.loader.shapeLevel = 1;
  auto model = r.loader.readOBJ("h 0\n" + std::string(kQuad), "a.obj", memoryFetcher({}), r.tag);
  ASSERT_TRUE(model.ok());
  EXPECT_EQ(r.loader.lowShape, (std::vector<float>{1, 2, 3}));
  EXPECT_EQ(r.loader.shapeLevel, 1);
}

TEST(Obj, FailedReadLeavesTheLoaderUnchanged) {
  ObjRead r;
  r.loader.normaliseSwitch = 1;
  r.loader.landmarks[0] = {5};
  auto model = r.loader.readOBJ("i 0\nL 1 2 3 4\nv 1 2\n", "a.obj", memoryFetcher({}), r.tag);
  ASSERT_FALSE(model.ok());
  EXPECT_EQ(model.error().line, 3);
  EXPECT_EQ(r.loader.normaliseSwitch, 1);
  EXPECT_EQ(r.loader.landmarks[0], (std::vector<int>{5}));
}

TEST(Obj, NormaliseSwitchIsResetByEveryRead) {
  ObjRead r;
  auto a = r.loader.readOBJ("i 1\n" + std::string(kQuad), "a.obj", memoryFetcher({}), r.tag);
  ASSERT_TRUE(a.ok());
  EXPECT_EQ(r.loader.normaliseSwitch, 1);
  auto b = r.loader.readOBJ(kQuad, "b.obj", memoryFetcher({}), r.tag);
  ASSERT_TRUE(b.ok());
  EXPECT_EQ(r.loader.normaliseSwitch, -1);
}

TEST(Obj, CrLfAndMissingFinalLineEnd) {
  auto r = readObj("v 0 0 0\r\nv 1 0 0\r\nv 0 1 0\r\ng part\r\nf 1 2 3");
  ASSERT_TRUE(r.model) << r.error.message();
  EXPECT_EQ(groupNames(*r.model), (std::vector<std::string>{" part", "default"}));
  EXPECT_EQ(r.model->triangleCount(), 1u);
}

TEST(Obj, MoreThan200MaterialSwitchesInOneGroupIsAnError) {
  std::string obj = kQuad;
  for (int i = 0; i < 201; ++i) obj += "usemtl a\nf 1 2 3\n";
  auto r = readObj(obj);
  ASSERT_FALSE(r.model);
  EXPECT_NE(r.error.what.find("200"), std::string::npos);
}

TEST(Obj, ThroughC3dGivesTheSameModel) {
  const std::string mtl = "newmtl skin\nKd 0.9 0.7 0.6\nNs 250\no Girl\n";
  auto r = readObj("mtllib b.mtl\np 77\n" + std::string(kQuad) +
                       "g torso\nusemtl skin\nf 1/1/1 2/2/2 3/3/3 4/4/4\ng head\nf 1//1 3//3 2//2\n",
                   {{"dir/b.mtl", mtl}});
  ASSERT_TRUE(r.model) << r.error.message();
  auto bytes = r.loader.encodeC3D(*r.model, r.tag);
  ASSERT_TRUE(bytes.ok());
  ModelLoader again;
  std::int32_t tag = 0;
  auto back = again.readC3D(bytes.value(), "b.c3d", tag);
  ASSERT_TRUE(back.ok()) << back.error().message();
  EXPECT_EQ(tag, 77);
  EXPECT_TRUE(*back.value() == *r.model);
  EXPECT_EQ(back.value()->modelName, "Girl");
}

TEST(Obj, BlankDefaultGroupCutsTheStoredGroups) {
  auto r = readObj(std::string(kQuad) + "g a\nf 1 2 3\ng default\nf 1 3 4\ng b\nf 2 3 4\n");
  ASSERT_TRUE(r.model);
  EXPECT_EQ(groupNames(*r.model), (std::vector<std::string>{" b", " default", " a", "default"}));
  auto bytes = r.loader.encodeC3D(*r.model, r.tag);
  ASSERT_TRUE(bytes.ok());
  ModelLoader again;
  std::int32_t tag = 0;
  auto back = again.readC3D(bytes.value(), "b.c3d", tag);
  ASSERT_TRUE(back.ok());
  EXPECT_EQ(groupNames(*back.value()), (std::vector<std::string>{" b"}));
  EXPECT_EQ(back.value()->triangleCount(), 3u);  // triangles belong to the model, not the groups
}

// A zero byte inside a name used to survive in memory but not in a binary
// model, whose name fields end at the first zero: "woman\0x" was written
// without the weight levels and then read as "woman" expecting them.
TEST(Obj, RegressionNamesEndAtAZeroByte) {
  using namespace std::string_literals;
  auto r = readObj("mtllib m.mtl\n"s + kQuad + "g hea\0d\nusemtl sk\0in\nf 1 2 3\n"s,
                   {{"dir/m.mtl", "o woman\0x\nnewmtl sk\0in\n"s}});
  ASSERT_TRUE(r.model) << r.error.message();
  EXPECT_EQ(r.model->modelName, "woman");
  EXPECT_EQ(r.model->materials[1].name, "sk");
  EXPECT_NE(glmFindGroup(*r.model, " hea"), nullptr);
  EXPECT_EQ(glmFindGroup(*r.model, " hea")->material, 1u);
  EXPECT_TRUE(r.loader.warnings.empty());
  auto bytes = r.loader.encodeC3D(*r.model, r.tag);
  ASSERT_TRUE(bytes.ok());
  ModelLoader again;
  std::int32_t tag = 0;
  auto back = again.readC3D(bytes.value(), "w.c3d", tag);
  ASSERT_TRUE(back.ok()) << back.error().message();
  EXPECT_TRUE(*back.value() == *r.model);
}

TEST(Obj, FromDisk) {
  testing::TempDir dir;
  dir.write("m/body.obj", "mtllib body.mtl\n" + std::string(kQuad) + "f 1 2 3\n");
  dir.write("m/body.mtl", "newmtl x\n");
  ModelLoader loader;
  std::int32_t tag = 0;
  auto model = loader.glmReadOBJ(dir.file("m/body.obj"), tag);
  ASSERT_TRUE(model.ok()) << model.error().message();
  EXPECT_EQ(model.value()->materials.size(), 2u);
  EXPECT_EQ(model.value()->pathname, dir.file("m/body.obj"));
  auto missing = loader.glmReadOBJ(dir.file("m/none.obj"), tag);
  ASSERT_FALSE(missing.ok());
  EXPECT_NE(missing.error().what.find("glmReadOBJ() failed: can't open data file"), std::string::npos);
}

}  // namespace
}  // namespace vestora
