// What the garment sees of the body: one sample per body vertex (its current
// position plus a displacement), the triangles round every vertex and the
// vertex normals, and an index that finds the nearest sample to a point.
//
// The index (a tree of boxes built once per body and refitted whenever the
// body moves, and a fine grid for searches whose reach is already short)
// answers exactly what a scan over all samples in order answers:
// the nearest sample by the same float distance, the first in sample order
// among equally near ones, only samples strictly nearer than the start
// radius and, for the slab search, only samples strictly inside the slab.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace vestora {

class Avatar;

using Vec3 = std::array<float, 3>;

// The result of a nearest-sample search: the sample number (−1 when none
// was found) and its float distance.
struct NearestSample {
  std::int32_t index = -1;
  float distance = 0;
};

class BodySurface {
 public:
  BodySurface() = default;
  // A body given by its vertex positions and 0-based triangles (vertex
  // numbers outside the positions are ignored).
  BodySurface(std::vector<Vec3> positions,
              const std::vector<std::array<std::int32_t, 3>>& triangles);
  // The avatar's current body: every vertex a sample, every model triangle.
  static BodySurface fromAvatar(const Avatar& avatar);

  // Takes the avatar's current vertex positions (same vertex count) and
  // recomputes the normals and the index. Returns false, changing nothing,
  // when the avatar's body has another vertex count. When only some samples
  // moved (an animation frame), only what depends on them is recomputed:
  // the normals round them, and the grid keeps filing a sample where it was
  // while it has moved less than half a cell (the searches look that much
  // farther), so that every search answers exactly as over a fresh surface.
  bool refresh(const Avatar& avatar);
  // The same from plain positions.
  bool refresh(std::span<const Vec3> positions);

  std::size_t size() const { return positions_.size(); }
  bool empty() const { return positions_.empty(); }
  const Vec3& sample(std::int32_t k) const { return positions_[k]; }
  std::span<const Vec3> samples() const { return positions_; }
  // Added to a sample where the garment is placed; zero unless set.
  const Vec3& displacement(std::int32_t k) const { return displacements_[k]; }
  void setDisplacements(std::vector<Vec3> displacements);
  // The normalised sum of the unit facet normals round vertex k; (0, 0, 0)
  // when the sum vanishes (a vertex of no or only degenerate triangles).
  const Vec3& normal(std::int32_t k) const { return normals_[k]; }
  // The triangles round sample k (numbers into triangle()), in triangle order.
  std::span<const std::int32_t> trianglesAround(std::int32_t k) const {
    return {vertexTriangles_.data() + vertexStart_[k],
            static_cast<std::size_t>(vertexStart_[k + 1] - vertexStart_[k])};
  }
  const std::array<std::int32_t, 3>& triangle(std::int32_t t) const { return triangles_[t]; }
  // The unit normal of triangle t; (0, 0, 0) for a degenerate one.
  const Vec3& facet(std::int32_t t) const { return facets_[t]; }
  // True when the body stands in its standard pose (offsets are widened,
  // not turned).
  bool standingPose = true;

  // The nearest sample to p strictly nearer than `radius`. `hint`, a sample
  // likely to be near (−1 for none), speeds the search up and never changes
  // its result.
  NearestSample nearest(const Vec3& p, float radius, std::int32_t hint = -1) const;
  // The nearest sample to p strictly nearer than `radius` among the samples
  // with p.y − halfHeight < s.y < p.y + halfHeight.
  NearestSample nearestInSlab(const Vec3& p, float radius, float halfHeight,
                              std::int32_t hint = -1) const;

  // Appends to `out` every sample whose distance from c is at most r (and
  // possibly a few a hair farther), in no particular order.
  void gatherWithin(const Vec3& c, float r, std::vector<std::int32_t>& out) const;
  // The slab search among `candidates` only (and the hint): the same result
  // as nearestInSlab whenever the candidates include every slab sample at
  // least as near to p as the best of them.
  NearestSample nearestInSlabAmong(const Vec3& p, float radius, float halfHeight,
                                   std::span<const std::int32_t> candidates,
                                   std::int32_t hint) const;

  // The same two searches as plain scans over all samples, kept as the
  // reference the index is measured and checked against.
  NearestSample scanNearest(const Vec3& p, float radius) const;
  NearestSample scanNearestInSlab(const Vec3& p, float radius, float halfHeight) const;

  // The float distance both searches compare: √(dx² + dy² + dz²), evaluated
  // in one fixed order.
  static float distance(const Vec3& p, const Vec3& s);

 private:
  struct Node;
  void refreshMoved();
  Vec3 facetNormal(std::size_t triangle) const;
  Vec3 sampleNormal(std::size_t sample) const;
  void computeNormals();
  void buildIndex();
  void refitIndex();
  void boxOf(Node& node) const;
  void buildGrid();
  // The normals of the samples round the triangles of `moved` samples.
  void updateNormals(const std::vector<std::int32_t>& moved);
  // The grid after `moved` samples moved: their positions in their cells,
  // or the grid built afresh when one has drifted too far from its cell.
  void refreshGrid(const std::vector<std::int32_t>& moved);
  // The grid cells covering the cube of half-side `reach` round c, per axis
  // (widened by how far samples have drifted from the cells they are filed in).
  void gridRange(const Vec3& c, double reach, std::int32_t lo[3], std::int32_t hi[3]) const;
  template <bool kSlab>
  NearestSample search(const Vec3& p, float radius, float halfHeight, std::int32_t hint) const;

  std::vector<Vec3> positions_;
  std::vector<Vec3> displacements_;
  std::vector<Vec3> normals_;
  std::vector<std::array<std::int32_t, 3>> triangles_;
  // Triangles round each vertex: vertexTriangles_[vertexStart_[k] …
  // vertexStart_[k + 1]) in triangle order.
  std::vector<std::int32_t> vertexStart_, vertexTriangles_;

  // A tree of boxes over the samples: every node holds the bounding box of
  // a run of nodeSample_ (samples reordered so that every subtree's samples
  // are contiguous); a leaf holds at most kLeafSize samples.
  struct Node {
    Vec3 lo, hi;
    std::int32_t begin = 0, end = 0;     // the node's run in nodeSample_
    std::int32_t left = -1, right = -1;  // children; −1 for a leaf
  };
  static constexpr std::int32_t kLeafSize = 8;
  std::vector<Node> nodes_;
  std::vector<std::int32_t> nodeSample_;
  std::vector<Vec3> nodePosition_;

  // The fine grid over the samples' box: cell (i, j, k) is
  // i + dims[0] × (j + dims[1] × k); samples are stored cell by cell.
  float cell_ = 1;
  Vec3 origin_{0, 0, 0};
  std::array<std::int32_t, 3> dims_{0, 0, 0};
  std::vector<std::int32_t> cellStart_, cellSample_;
  std::vector<Vec3> cellPosition_;
  // Where each sample was filed (its position then) and its slot (−1: in no
  // cell), and the farthest any sample has moved along an axis since.
  std::vector<Vec3> filed_;
  std::vector<std::int32_t> slotOf_;
  float drift_ = 0;

  std::vector<Vec3> facets_;          // facet normals, by triangle
  std::vector<std::int32_t> moved_;   // samples moved by the last refresh
  std::vector<std::uint8_t> marked_;  // scratch flags, one per sample
};

}  // namespace vestora
