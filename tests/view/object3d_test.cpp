#include "view/object3d.h"

#include <gtest/gtest.h>

#include "platform/log.h"
#include "view/gl_headers.h"
#include "view/offscreen_context.h"

namespace vestora {
namespace {

// A table whose entry i is (i, 255 − i, i / 2).
ColourTable rampTable() {
  ColourTable t{};
  for (int i = 0; i < 256; ++i) {
    t[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    t[256 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(255 - i);
    t[512 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i / 2);
  }
  return t;
}

CMesh3d& meshWithValues(CMesh3d& mesh, std::initializer_list<double> values) {
  for (double v : values) mesh.addVertex(0, 0, 0).values = {v, 99.0};
  return mesh;
}

TEST(ColourByValue, SmallestToTheFirstEntryLargestToTheLast) {
  CMesh3d mesh;
  meshWithValues(mesh, {2, 4, 6, 3});
  mesh.listDirty = false;
  mesh.ColourByValue(rampTable());
  EXPECT_EQ(mesh.vertices[0]->colour, (std::array<std::uint8_t, 3>{0, 255, 0}));
  EXPECT_EQ(mesh.vertices[1]->colour[0], 127);  // halfway: ⌊0.5 × 255⌋
  EXPECT_EQ(mesh.vertices[2]->colour, (std::array<std::uint8_t, 3>{255, 0, 127}));
  EXPECT_EQ(mesh.vertices[3]->colour[0], 63);
  EXPECT_TRUE(mesh.listDirty);
}

TEST(ColourByValue, ANegativeMinimumStartsTheScaleAtZero) {
  CMesh3d mesh;
  meshWithValues(mesh, {-5, 0, 5, 10});
  mesh.ColourByValue(rampTable());
  EXPECT_EQ(mesh.vertices[0]->colour[0], 0);
  EXPECT_EQ(mesh.vertices[1]->colour[0], 0);
  EXPECT_EQ(mesh.vertices[2]->colour[0], 127);
  EXPECT_EQ(mesh.vertices[3]->colour[0], 255);
}

TEST(ColourByValue, EqualValuesAndMissingValues) {
  CMesh3d mesh;
  meshWithValues(mesh, {3, 3});
  mesh.addVertex(0, 0, 0);  // no values: Value() is 0
  EXPECT_EQ(mesh.vertices[2]->Value(), 0.0);
  mesh.ColourByValue(rampTable());
  EXPECT_EQ(mesh.vertices[0]->colour[0], 255);
  EXPECT_EQ(mesh.vertices[2]->colour[0], 0);
  CMesh3d same;
  meshWithValues(same, {4, 4});
  same.ColourByValue(rampTable());
  EXPECT_EQ(same.vertices[0]->colour[0], 0);
}

class Mesh3dGl : public ::testing::Test {
 protected:
  void SetUp() override {
    auto context = OffscreenContext::create(16, 16);
    ASSERT_TRUE(context) << context.error().message();
    context_ = std::move(context.value());
  }
  std::unique_ptr<OffscreenContext> context_;
};

TEST_F(Mesh3dGl, PerFaceColoursChangeOnlyBetweenDifferentFaces) {
  CMesh3d mesh;
  for (int i = 0; i < 4; ++i) mesh.addVertex(float(i), float(i % 2), 0);
  const std::array<std::uint8_t, 3> red{255, 0, 0}, blue{0, 0, 255};
  for (auto colour : {red, red, blue, blue, red}) mesh.addFace(0, 1, 2).colour = colour;
  mesh.colourBinding = 1;
  ASSERT_TRUE(mesh.BuildList());
  EXPECT_EQ(mesh.colourChanges(), 3);  // the first face's, then red→blue, blue→red
  EXPECT_TRUE(mesh.listBuilt);
  EXPECT_FALSE(mesh.listDirty);
  EXPECT_FALSE(mesh.BuildList());  // built and clean: nothing to do
  EXPECT_TRUE(glIsList(mesh.list));
  EXPECT_TRUE(mesh.Draw());
  mesh.enabled = false;
  EXPECT_FALSE(mesh.Draw());
  mesh.releaseList();
  EXPECT_EQ(mesh.list, 0u);
}

TEST_F(Mesh3dGl, EmptyMeshesAreRefusedAndBaseObjectsOnlyLog) {
  CMesh3d empty;
  EXPECT_FALSE(empty.BuildList());
  EXPECT_FALSE(empty.Draw());
  EXPECT_FALSE(empty.DrawStyled(0, false, 0, 0xFFFFFF));

  MemoryLogSink sink;
  LogSink* previous = setLogSink(&sink);
  CEdge3d edge;
  EXPECT_TRUE(edge.BuildList());
  EXPECT_TRUE(edge.Draw());
  setLogSink(previous);
  EXPECT_EQ(sink.text(),
            "CObject3d::BuildList : virtual function\nCObject3d::BuildList : virtual function\n");
  EXPECT_EQ(edge.GetType(), 2);
  EXPECT_EQ(CFace3d().GetType(), 3);
  EXPECT_EQ(CVertex3d().GetType(), 1);
}

TEST_F(Mesh3dGl, SceneObjectListColoursTheLastMeshAndFreesAll) {
  std::vector<std::unique_ptr<CObject3d>> objects;
  auto first = std::make_unique<CMesh3d>();
  meshWithValues(*first, {1, 2, 3});
  first->addFace(0, 1, 2);
  auto last = std::make_unique<CMesh3d>();
  meshWithValues(*last, {1, 2, 3});
  last->addFace(0, 1, 2);
  CMesh3d* firstMesh = first.get();
  CMesh3d* lastMesh = last.get();
  objects.push_back(std::move(first));
  objects.push_back(std::make_unique<CVertex3d>());
  objects.push_back(std::move(last));
  SceneObjectList list;
  list.meshStyle = 1;
  list.meshTextured = true;
  list.BuildSceneObjects(std::move(objects), rampTable());
  EXPECT_TRUE(list.built());
  EXPECT_EQ(list.meshStyle, 0);
  EXPECT_FALSE(list.meshTextured);
  EXPECT_EQ(lastMesh->vertices[2]->colour[0], 255);
  EXPECT_EQ(firstMesh->vertices[2]->colour[0], 0);  // only the last mesh is coloured
  EXPECT_EQ(list.colours[0], 0xFFFFFFu);
  list.DrawSceneObjects();
  list.FreeSceneObjects();
  EXPECT_TRUE(list.empty());
  EXPECT_FALSE(list.built());
}

}  // namespace
}  // namespace vestora
