// The polygon mesh of a worn accessory (glasses, necklace, shoes, socks, a
// bag) while it is built: vertices, texture coordinates and triangles in
// named parts, each part one material run of a group. Normals are made
// smooth within a triangle's smoothing set and split between sets, so
// that a crease (a rim, the edge of a lens) stays sharp.
//
// Positions are in model units of the body the accessory is designed on
// (1 unit = 10 cm); texture coordinates have v measured from the top row
// of the picture.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "body/vec.h"
#include "formats/glm_model.h"

namespace vestora::generate::wear {

inline constexpr double kPi = 3.14159265358979323846;

struct WearTriangle {
  std::array<int, 3> v{}, t{};  // 0-based vertex and texture-coordinate indices
  int smoothing = 0;            // triangles share normals only within one set
};

// The triangles of one material in one group.
struct WearPart {
  std::string group, material;
  std::vector<WearTriangle> triangles;
};

// A material of the stored model: its name and colour.
struct WearMaterial {
  std::string name;
  std::array<float, 4> diffuse{0.8f, 0.8f, 0.8f, 1.0f};
  std::array<float, 4> specular{0.0f, 0.0f, 0.0f, 1.0f};
  float shininess = 65.0f;
};

class WearMesh {
 public:
  std::vector<Vec3> vertices;
  std::vector<std::array<double, 2>> texcoords;
  std::vector<WearPart> parts;

  int addVertex(const Vec3& p);
  int addTexcoord(double u, double v);
  // The part of that group and material, made when missing.
  int part(const std::string& group, const std::string& material);
  // A new smoothing set, never shared with triangles added before.
  int newSmoothing() { return smoothingSets_++; }
  void add(int part, std::array<int, 3> v, std::array<int, 3> t, int smoothing);
  // A quad a-b-c-d (counter-clockwise seen from the side it faces) as two
  // triangles, split along its shorter diagonal.
  void addQuad(int part, std::array<int, 4> v, std::array<int, 4> t, int smoothing);

  int triangleCount() const;
  // Moves every vertex.
  void transform(const std::function<Vec3(const Vec3&)>& f);
  // Adds the vertices, texture coordinates and parts of another mesh.
  void append(const WearMesh& other);
  // Reverses the winding of every triangle of the parts in `partsToFlip`
  // (all when empty).
  void flip(const std::vector<int>& partsToFlip = {});
  // Exchanges the numbers of two vertices.
  void swapVertices(int a, int b);

  // The area-weighted normal of every (vertex, smoothing set) pair used,
  // one per triangle corner: normals()[3 * i + k] belongs to corner k of
  // triangle i counted over the parts in order.
  std::vector<Vec3> cornerNormals() const;

  // The stored model: 1-based arrays, one normal per (vertex, smoothing
  // set), one group per group name (in the order first met) holding its
  // parts as material runs. `vFromBottom` stores 1 − v, for pictures whose
  // first row is the bottom (TGA).
  GlmModel toModel(const std::string& modelName, const std::vector<WearMaterial>& materials,
                   bool vFromBottom) const;

 private:
  int smoothingSets_ = 1;
};

// What a mesh check finds.
struct MeshReport {
  int boundaryEdges = 0;  // edges used by one triangle only
  int misoriented = 0;    // edges two triangles run the same way
  int overused = 0;       // edges of more than two triangles
  int degenerate = 0;     // triangles with repeated corners or next to no area
  int missingTexcoords = 0;
  double smallestArea = 1e30;
  bool closed() const { return boundaryEdges == 0 && misoriented == 0 && overused == 0; }
};
// `thinness`: triangles whose area is below thinness × (longest edge)² count
// as degenerate.
MeshReport checkMesh(const WearMesh& mesh, double thinness = 1e-4);

// Signed volume of the mesh (positive when its triangles face outwards).
double signedVolume(const WearMesh& mesh);
// Turns the triangles of `part` from position `first` on (a closed
// surface) to face outwards: reversed when they enclose a negative volume.
void orientOutward(WearMesh& mesh, int part, std::size_t first);

// ---- building blocks --------------------------------------------------

// A grid of rows × columns vertices already in `mesh`; `index[r][c]`.
// Quads (r, c) → (r + 1, c + 1) are added with texture coordinates from
// `uv(r, c)` (columns wrap when `wrapColumns`: the last column is joined to
// the first and the texture coordinates of that seam are given by
// uv(r, columns)). `outward` selects the winding: true when the rows run
// along the surface's first direction and columns along its second such
// that (row direction) × (column direction) faces out.
struct GridSpec {
  int part = 0, smoothing = 0;
  bool wrapColumns = false, outward = true;
};
void addGrid(WearMesh& mesh, const std::vector<std::vector<int>>& index,
             const std::function<std::array<double, 2>(int, int)>& uv, const GridSpec& spec);

// A closed ring of points swept along a path: `rings[i]` is the ring at
// path point i, all with the same number of points. The tube is closed at
// both ends by fans round the ring's centre unless `closedPath` (the last
// ring joins the first). Texture coordinates: u along the path (0 to
// uLength), v round the ring (vRange). Returns the first vertex index.
struct TubeSpec {
  int part = 0;
  bool closedPath = false;
  bool capEnds = true;
  double uLength = 1;
  std::array<double, 2> vRange{0, 1};
};
int addTube(WearMesh& mesh, const std::vector<std::vector<Vec3>>& rings, const TubeSpec& spec);

// Frames along a path: for each point the tangent, the normal (towards
// `up`) and the binormal. Closed paths, and open ones with `keepUp`, take
// `up` made perpendicular to the tangent at every point (the path must
// never run along `up`); other open paths carry the first such normal
// along by parallel transport.
struct PathFrame {
  Vec3 point, tangent, normal, binormal;
};
std::vector<PathFrame> pathFrames(const std::vector<Vec3>& path, const Vec3& up, bool closed,
                                  bool keepUp = false);

// A Catmull-Rom curve through `points`, `perSpan` points per span (closed
// when `closed`).
std::vector<Vec3> catmullRom(const std::vector<Vec3>& points, int perSpan, bool closed);

// The polyline resampled to `count` points evenly spaced along its length.
std::vector<Vec3> resample(const std::vector<Vec3>& points, int count, bool closed);
double pathLength(const std::vector<Vec3>& points, bool closed);

}  // namespace vestora::generate::wear
