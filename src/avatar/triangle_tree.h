// The bounding-box tree over the body triangles, rebuilt at every body load,
// and what the measuring tools ask of it: the leaves whose boxes meet a box,
// the skin point where a straight segment first meets the body, and the
// length of the curve a stroke draws across the body. Also the window-space
// test that picking a skin point under the mouse applies to each triangle.
//
// All positions are in model units (1 unit = 10 cm after normalisation).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vestora {

using Point3 = std::array<float, 3>;

// The body as the tree sees it: a copy taken at load, not the live records.
struct TriangleMesh {
  std::vector<Point3> vertices;                        // 0-based
  std::vector<std::array<std::int32_t, 3>> triangles;  // 0-based vertex numbers
};

struct TriangleBox {
  Point3 min{1e8f, 1e8f, 1e8f};  // the empty box every node starts from
  Point3 max{-1e8f, -1e8f, -1e8f};
};

inline constexpr std::int32_t kNoNode = -1;

// Children are positions in BodyTriangleTree::nodes(), kNoNode when absent;
// a node has either both children or none.
struct TreeNode {
  TriangleBox box;
  std::array<std::int32_t, 3> vertices{-1, -1, -1};  // leaves only: 0-based vertex numbers
  std::int32_t triangle = 0;                         // leaves only: 1-based triangle number
  std::int32_t left = kNoNode;
  std::int32_t right = kNoNode;

  bool isLeaf() const { return left == kNoNode; }
};

// Owns the mesh snapshot and the nodes, in one flat array with the root at 0
// and every subtree stored left part first. Building and querying keep
// their own stacks, so the depth of the tree never touches the call stack.
class BodyTriangleTree {
 public:
  const TriangleMesh& mesh() const { return mesh_; }
  const std::vector<TreeNode>& nodes() const { return nodes_; }
  bool empty() const { return nodes_.empty(); }
  std::int32_t root() const { return nodes_.empty() ? kNoNode : 0; }
  // Levels from the root to the deepest leaf: 1 for a single leaf, 0 when empty.
  int depth() const;

 private:
  friend BodyTriangleTree buildTriangleTree(TriangleMesh mesh);
  TriangleMesh mesh_;
  std::vector<TreeNode> nodes_;
};

// One leaf per usable triangle of `mesh`, which the tree keeps. A triangle
// with a vertex number outside the vertex list is left out (its number is not
// reused). No triangles give an empty tree. Split rule at an inner node: the
// axis of the box's longest extent (x before y before z on ties), split at
// the box's midpoint; a triangle whose (min + max) / 2 on that axis is
// greater goes right, any other left, both lists keeping mesh order. When one
// list comes out empty, the second half (from size / 2 on) of the other moves
// into it, so identical triangles give a balanced tree.
BodyTriangleTree buildTriangleTree(TriangleMesh mesh);

// True when the boxes overlap on x, y and z with 0.01 units of slack.
bool boxesOverlap(const TriangleBox& a, const TriangleBox& b);

// Appends to `leaves` the node positions of every leaf under `node` whose box
// overlaps `box`, left subtrees before right ones. Nothing when `node` is
// kNoNode.
void queryTriangleTree(const BodyTriangleTree& tree, std::int32_t node, const TriangleBox& box,
                       std::vector<std::int32_t>& leaves);

// A skin point laid out like a SkinVertex record (nine floats, position
// first). Only the position is filled; the other six floats stay 0.
struct SurfacePoint {
  Point3 position{};
  std::array<float, 6> others{};
};
static_assert(sizeof(SurfacePoint) == 9 * sizeof(float));

struct SurfaceHit {
  Point3 point{};
  std::int32_t triangle = -1;  // 0-based body triangle
  float distance = 0;          // from the segment's start
};

struct SegmentHits {
  std::vector<std::optional<SurfaceHit>> perSegment;  // 0-based, one per segment
  std::vector<SurfacePoint> points;  // the hits only, in segment order; misses leave no entry
};

// For segment i from starts[i] to ends[i] (0-based; the shorter span sets the
// count), the hit nearest to starts[i] among the triangles whose leaf boxes
// meet the segment's box. The segment is first clipped to the root's box
// grown by the slack, which leaves out only triangles it cannot meet.
// Triangle k of `bodyTriangles` (0-based) is the one whose leaf carries
// number k + 1; normally this is tree.mesh(). A segment within 1e-8 of
// parallel to a triangle's plane (cosine of the angle to its normal) does
// not meet it; points on a triangle's edges and at the segment's ends count.
// Degenerate triangles and leaves that name no triangle of `bodyTriangles`
// are passed over.
SegmentHits segmentSurfaceHits(const BodyTriangleTree& tree, const TriangleMesh& bodyTriangles,
                               std::span<const Point3> starts, std::span<const Point3> ends);

inline constexpr int kMaxStrokeSamples = 100;

using StrokeEnds = std::array<Point3, 2>;  // first end, second end

// A stroke is sampled evenly from its first end to its second, both ends
// included: 100 points, or a single point when the two ends coincide.
std::vector<Point3> sampleStroke(const StrokeEnds& stroke);

struct SurfaceCurve {
  float length = 0;  // model units; the caller divides by the unit scale for centimetres
  SegmentHits hits;
};

// The stroke drawn on the screen, as its ends on the near plane and on the
// far plane. Sample i of the near stroke is joined to sample i of the far
// stroke for i below the smaller sample count, and the length is the sum of
// the distances between consecutive entries of hits.points: where the
// stroke leaves the body and comes back, the straight step between the last
// hit before and the first hit after is counted, as a tape would span it.
SurfaceCurve surfaceCurveLength(const StrokeEnds& nearStroke, const StrokeEnds& farStroke,
                                const BodyTriangleTree& tree, const TriangleMesh& bodyTriangles);

// One triangle as picking sees it, in window coordinates as the graphics
// pipeline reports them: x, y in pixels from the lower-left corner of the
// viewport (y up; flip the mouse's y before calling), z the depth in [0, 1].
// Gives the depth on the triangle at the mouse position when the mouse lies
// inside it (edges included) and the triangle faces the viewer, that is its
// corners run counter-clockwise on the screen; nullopt otherwise, and for a
// triangle seen edge-on. The nearest candidate is the one with the smallest
// depth, and (mouseX, mouseY, depth) is the window point to turn back into
// model coordinates.
std::optional<float> windowTriangleDepth(const std::array<Point3, 3>& windowCorners, float mouseX,
                                         float mouseY);

}  // namespace vestora
