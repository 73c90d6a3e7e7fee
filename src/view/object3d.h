// Self-drawing scene objects: vertex, edge, face and mesh, the mesh with a
// cached display list, and the view's list of scene objects that the
// wardrobe hands over for display.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vestora {

class CObject3d {
 public:
  virtual ~CObject3d() = default;
  // 1 vertex, 2 edge, 3 face, 5 mesh.
  virtual int GetType() const { return 0; }
  // The base versions only note in the log that they were called, and succeed.
  virtual bool BuildList();
  virtual bool Draw();
};

class CVertex3d : public CObject3d {
 public:
  CVertex3d() = default;
  CVertex3d(float x, float y, float z) : position{x, y, z} {}
  int GetType() const override { return 1; }
  // A small sphere (radius 0.01) at the position in the vertex colour.
  bool Draw() override;
  // The first scalar value, 0 when there is none.
  double Value() const { return values.empty() ? 0.0 : values.front(); }

  std::array<float, 3> position{0, 0, 0};
  std::array<float, 3> normal{0, 0, 0};
  std::array<std::uint8_t, 3> colour{0, 0, 0};  // red, green, blue
  std::vector<double> values;
};

class CEdge3d : public CObject3d {
 public:
  int GetType() const override { return 2; }
  CVertex3d* a = nullptr;  // not owned
  CVertex3d* b = nullptr;
};

class CFace3d : public CObject3d {
 public:
  CFace3d() = default;
  CFace3d(CVertex3d* v0, CVertex3d* v1, CVertex3d* v2) : corners{v0, v1, v2} {}
  int GetType() const override { return 3; }
  std::array<CVertex3d*, 3> corners{nullptr, nullptr, nullptr};  // not owned
  std::array<float, 3> normal{0, 0, 0};
  std::array<std::uint8_t, 3> colour{0, 0, 0};
  std::array<std::array<float, 2>, 3> texcoords{};  // u, v per corner
};

// 256 reds, then 256 greens, then 256 blues.
using ColourTable = std::array<std::uint8_t, 768>;
// A ramp from blue through green to red, for colouring values.
ColourTable rainbowTable();

// The table entry a value takes in ColourByValue's mapping onto lo … hi.
int colourTableIndex(double value, double lo, double hi);

class CMesh3d : public CObject3d {
 public:
  CMesh3d();
  ~CMesh3d() override;
  CMesh3d(const CMesh3d&) = delete;
  CMesh3d& operator=(const CMesh3d&) = delete;

  int GetType() const override { return 5; }
  // Compiles (and draws) the faces into the mesh's display list. False for
  // an empty mesh and when the list is built and clean (nothing to do).
  bool BuildList() override;
  // Draws the display list, rebuilding it first when needed. False while
  // the mesh is disabled.
  bool Draw() override;
  // Draws the faces directly. style 0: surface, in `colour` (0x00BBGGRR)
  // or white with `texture` when `textured`; any other style: wireframe.
  bool DrawStyled(int style, bool textured, unsigned texture, std::uint32_t colour);
  // Vertex colours from the first scalar of each vertex through `table`:
  // the smallest value (or 0 when it is negative) takes entry 0, the
  // largest entry 255. Marks the list dirty.
  void ColourByValue(const ColourTable& table);
  // Deletes the display list (needs the GL context).
  void releaseList();

  // Adds a vertex or a face and returns it; faces refer to vertices of this mesh.
  CVertex3d& addVertex(float x, float y, float z);
  CFace3d& addFace(int v0, int v1, int v2);  // 0-based vertex numbers

  std::string name = "Mesh";
  std::array<float, 3> translation{0, 0, 0};
  std::array<float, 3> scale{1, 1, 1};
  float rotationAngle = 0;  // degrees
  std::array<float, 3> rotationAxis{0, 0, 1};
  std::array<float, 17> displayParameters{0, 0.33f, 0.5f, 1.0f, 0.5f, 0.5f, 0.5f, 1, 1,
                                          1, 1,     1,    84,   0,    0,    0,    1};
  int normalBinding = 0;  // 0 per vertex, 1 per face
  int colourBinding = 0;  // 0 per vertex, 1 per face
  // Texture coordinates: the set in use (−1 none), pairs of floats, and three
  // indexes into the pairs per face.
  int texcoordSet = -1;
  std::vector<float> texcoords;
  std::vector<int> texcoordIndex;
  unsigned list = 0;
  bool listBuilt = false;
  bool listDirty = true;
  bool enabled = true;
  std::vector<std::unique_ptr<CVertex3d>> vertices;
  std::vector<std::unique_ptr<CFace3d>> faces;

  // How many colour changes the last BuildList gave (a colour is given
  // only when it differs from the one before).
  int colourChanges() const { return colourChanges_; }

 private:
  int colourChanges_ = 0;
};

// The view's scene objects: drawn in step 10 of the frame while any are held.
class SceneObjectList {
 public:
  static constexpr std::size_t kSettings = 10;

  ~SceneObjectList();

  // Takes the objects, colours the last mesh by value and sets the list
  // built; the style and texturing go back to a plain surface.
  void BuildSceneObjects(std::vector<std::unique_ptr<CObject3d>> objects,
                         const ColourTable& table = rainbowTable());
  // DrawStyled of every mesh with its entry's texture and colour.
  void DrawSceneObjects();
  // Frees every object (and the meshes' display lists) and empties the list.
  void FreeSceneObjects();

  bool empty() const { return objects_.empty(); }
  bool built() const { return built_; }
  const std::vector<std::unique_ptr<CObject3d>>& objects() const { return objects_; }

  int meshStyle = 0;  // 0 surface, otherwise wireframe
  bool meshTextured = false;
  std::array<unsigned, kSettings> textures{};
  std::array<std::uint32_t, kSettings> colours;

  SceneObjectList() { colours.fill(0xFFFFFF); }

 private:
  std::vector<std::unique_ptr<CObject3d>> objects_;
  bool built_ = false;
};

}  // namespace vestora
