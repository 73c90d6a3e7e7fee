// Compiled without floating-point contraction (see CMakeLists.txt): the
// index and the plain scans must compute every distance bit for bit alike.
#include "cloth/body_surface.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "avatar/avatar.h"

namespace vestora {

namespace {

std::vector<Vec3> avatarPositions(const Avatar& avatar) {
  std::vector<Vec3> positions(avatar.skin.size());
  for (std::size_t k = 0; k < positions.size(); ++k) {
    positions[k] = {avatar.skin[k].x, avatar.skin[k].y, avatar.skin[k].z};
  }
  return positions;
}

// Takes the positions at(k) of every sample into `positions` and lists in
// `moved` the samples whose position changed.
template <class At>
void takeMoved(std::vector<Vec3>& positions, std::vector<std::int32_t>& moved, At at) {
  moved.clear();
  for (std::size_t k = 0; k < positions.size(); ++k) {
    const Vec3 p = at(k);
    if (p != positions[k]) {
      positions[k] = p;
      moved.push_back(static_cast<std::int32_t>(k));
    }
  }
}

// Relative and absolute slack by which a cell's box distance must exceed
// the best distance before the cell is passed over: float distances may lie
// a few units in the last place below the exact ones.
constexpr double kPruneRelative = 1e-5;
constexpr double kPruneAbsolute = 1e-6;

// The squared radius within which a box may hold a sample at float distance
// d or less: with slack for float distances lying a little below exact ones
// and for the rounding of the box distance itself.
float reach2(float d) {
  const double r = (static_cast<double>(d) + kPruneAbsolute) / (1.0 - kPruneRelative);
  return static_cast<float>(r * r * (1.0 + kPruneRelative));
}

// Squared distance from p to a box (0 inside).
float boxGap2(const Vec3& p, const Vec3& lo, const Vec3& hi) {
  float sum = 0;
  for (int a = 0; a < 3; ++a) {
    const float g = std::max({lo[a] - p[a], p[a] - hi[a], 0.0f});
    sum += g * g;
  }
  return sum;
}

// Sorting key of a coordinate: a NaN sorts after every number, so that the
// median split always sees a strict weak order.
float orderKey(float v) {
  return std::isnan(v) ? std::numeric_limits<float>::infinity() : v;
}

}  // namespace

BodySurface::BodySurface(std::vector<Vec3> positions,
                         const std::vector<std::array<std::int32_t, 3>>& triangles)
    : positions_(std::move(positions)) {
  const auto n = static_cast<std::int32_t>(positions_.size());
  for (const auto& t : triangles) {
    if (t[0] < 0 || t[1] < 0 || t[2] < 0 || t[0] >= n || t[1] >= n || t[2] >= n) continue;
    triangles_.push_back(t);
  }
  vertexStart_.assign(positions_.size() + 1, 0);
  for (const auto& t : triangles_) {
    for (std::int32_t v : t) ++vertexStart_[v + 1];
  }
  for (std::size_t k = 0; k < positions_.size(); ++k) vertexStart_[k + 1] += vertexStart_[k];
  vertexTriangles_.resize(vertexStart_.back());
  std::vector<std::int32_t> fill(vertexStart_.begin(), vertexStart_.end() - 1);
  for (std::size_t i = 0; i < triangles_.size(); ++i) {
    for (std::int32_t v : triangles_[i]) vertexTriangles_[fill[v]++] = static_cast<std::int32_t>(i);
  }
  displacements_.assign(positions_.size(), {0, 0, 0});
  computeNormals();
  buildIndex();
  buildGrid();
}

BodySurface BodySurface::fromAvatar(const Avatar& avatar) {
  std::vector<std::array<std::int32_t, 3>> triangles;
  triangles.reserve(avatar.triangleCount());
  for (std::size_t i = 0; i < avatar.triangleCount(); ++i)
    triangles.push_back(avatar.triangles[i].vertex);
  BodySurface body(avatarPositions(avatar), triangles);
  body.standingPose = avatar.highPose;
  return body;
}

bool BodySurface::refresh(const Avatar& avatar) {
  if (avatar.skin.size() != positions_.size()) return false;
  standingPose = avatar.highPose;
  takeMoved(positions_, moved_, [&](std::size_t k) {
    const SkinVertex& s = avatar.skin[k];
    return Vec3{s.x, s.y, s.z};
  });
  refreshMoved();
  return true;
}

bool BodySurface::refresh(std::span<const Vec3> positions) {
  if (positions.size() != positions_.size()) return false;
  takeMoved(positions_, moved_, [&](std::size_t k) { return positions[k]; });
  refreshMoved();
  return true;
}

void BodySurface::refreshMoved() {
  if (moved_.empty()) return;
  // Most of the body moved (a reshaping): everything afresh.
  if (moved_.size() * 4 > positions_.size()) {
    computeNormals();
    refitIndex();
    buildGrid();
    return;
  }
  updateNormals(moved_);
  refitIndex();
  refreshGrid(moved_);
}

void BodySurface::refitIndex() {
  // The tree keeps its shape; only the boxes follow the samples. Children
  // always come after their parent, so one backward sweep suffices.
  for (std::size_t i = 0; i < nodeSample_.size(); ++i)
    nodePosition_[i] = positions_[nodeSample_[i]];
  for (std::size_t n = nodes_.size(); n-- > 0;) {
    Node& node = nodes_[n];
    if (node.left < 0) {
      boxOf(node);
      continue;
    }
    const Node& l = nodes_[node.left];
    const Node& r = nodes_[node.right];
    for (int a = 0; a < 3; ++a) {
      node.lo[a] = std::min(l.lo[a], r.lo[a]);
      node.hi[a] = std::max(l.hi[a], r.hi[a]);
    }
  }
}

void BodySurface::boxOf(Node& node) const {
  Vec3 lo{std::numeric_limits<float>::infinity(), std::numeric_limits<float>::infinity(),
          std::numeric_limits<float>::infinity()};
  Vec3 hi{-lo[0], -lo[1], -lo[2]};
  for (std::int32_t i = node.begin; i < node.end; ++i) {
    const Vec3& p = positions_[nodeSample_[i]];
    for (int a = 0; a < 3; ++a) {
      // Comparisons with a NaN are false: such a sample never widens a box
      // and never wins a search.
      if (p[a] < lo[a]) lo[a] = p[a];
      if (p[a] > hi[a]) hi[a] = p[a];
    }
  }
  node.lo = lo;
  node.hi = hi;
}

void BodySurface::setDisplacements(std::vector<Vec3> displacements) {
  displacements.resize(positions_.size(), {0, 0, 0});
  displacements_ = std::move(displacements);
}

float BodySurface::distance(const Vec3& p, const Vec3& s) {
  const float dx = p[0] - s[0];
  const float dy = p[1] - s[1];
  const float dz = p[2] - s[2];
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

Vec3 BodySurface::facetNormal(std::size_t i) const {
  const Vec3& a = positions_[triangles_[i][0]];
  const Vec3& b = positions_[triangles_[i][1]];
  const Vec3& c = positions_[triangles_[i][2]];
  const float e1[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  const float e2[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
  const Vec3 n{e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
               e1[0] * e2[1] - e1[1] * e2[0]};
  const float len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  if (len > 0) return {n[0] / len, n[1] / len, n[2] / len};
  return {0, 0, 0};
}

Vec3 BodySurface::sampleNormal(std::size_t k) const {
  Vec3 sum{0, 0, 0};
  for (std::int32_t j = vertexStart_[k]; j < vertexStart_[k + 1]; ++j) {
    const Vec3& f = facets_[vertexTriangles_[j]];
    sum = {sum[0] + f[0], sum[1] + f[1], sum[2] + f[2]};
  }
  const float len = std::sqrt(sum[0] * sum[0] + sum[1] * sum[1] + sum[2] * sum[2]);
  if (len > 0 && std::isfinite(len)) return {sum[0] / len, sum[1] / len, sum[2] / len};
  return {0, 0, 0};
}

void BodySurface::computeNormals() {
  facets_.resize(triangles_.size());
  for (std::size_t i = 0; i < triangles_.size(); ++i) facets_[i] = facetNormal(i);
  normals_.resize(positions_.size());
  for (std::size_t k = 0; k < positions_.size(); ++k) normals_[k] = sampleNormal(k);
}

void BodySurface::updateNormals(const std::vector<std::int32_t>& moved) {
  // The facets round the moved samples, then the normals of every corner
  // of those facets: the same sums in the same order as computeNormals.
  marked_.assign(positions_.size(), 0);
  for (const std::int32_t k : moved) {
    for (std::int32_t j = vertexStart_[k]; j < vertexStart_[k + 1]; ++j) {
      const std::int32_t t = vertexTriangles_[j];
      facets_[t] = facetNormal(static_cast<std::size_t>(t));
      for (const std::int32_t corner : triangles_[t]) marked_[corner] = 1;
    }
  }
  for (std::size_t k = 0; k < positions_.size(); ++k)
    if (marked_[k]) normals_[k] = sampleNormal(k);
}

// Cells of the fine grid: about 175 along the box's longest side (1 cm on
// an adult body), at most this many in all.
constexpr double kGridCellsAlong = 175;
constexpr double kMaxGridCells = 4e6;
// A search whose hint lies within this many cells is answered by the grid.
constexpr float kGridReachCells = 6.0f;

void BodySurface::buildGrid() {
  dims_ = {0, 0, 0};
  cellStart_.clear();
  cellSample_.clear();
  cellPosition_.clear();
  if (nodes_.empty()) return;
  const Vec3& lo = nodes_[0].lo;
  const Vec3& hi = nodes_[0].hi;
  double extent = 0;
  for (int a = 0; a < 3; ++a) {
    if (!std::isfinite(lo[a]) || !std::isfinite(hi[a])) return;
    extent = std::max(extent, static_cast<double>(hi[a]) - lo[a]);
  }
  double cell = std::max(extent / kGridCellsAlong, 1e-6);
  auto cellsFor = [&](double c) {
    double count = 1;
    for (int a = 0; a < 3; ++a) count *= std::floor((static_cast<double>(hi[a]) - lo[a]) / c) + 1;
    return count;
  };
  while (cellsFor(cell) > kMaxGridCells) cell *= 1.25;
  cell_ = static_cast<float>(cell);
  origin_ = lo;
  for (int a = 0; a < 3; ++a) {
    dims_[a] =
        static_cast<std::int32_t>(std::floor((static_cast<double>(hi[a]) - lo[a]) / cell)) + 1;
  }
  const std::size_t cells = static_cast<std::size_t>(dims_[0]) * dims_[1] * dims_[2];
  cellStart_.assign(cells + 1, 0);
  filed_ = positions_;
  slotOf_.assign(positions_.size(), -1);
  drift_ = 0;
  std::vector<std::int32_t> cellOf(positions_.size(), -1);
  for (std::size_t k = 0; k < positions_.size(); ++k) {
    std::size_t c = 0, stride = 1;
    bool inside = true;
    for (int a = 0; a < 3; ++a) {
      const double f = std::floor((static_cast<double>(positions_[k][a]) - origin_[a]) / cell_);
      if (std::isnan(f)) inside = false;  // a sample that is not a number is in no cell
      const auto i =
          static_cast<std::int32_t>(std::clamp(f, 0.0, static_cast<double>(dims_[a] - 1)));
      c += stride * static_cast<std::size_t>(i);
      stride *= static_cast<std::size_t>(dims_[a]);
    }
    if (!inside) continue;
    cellOf[k] = static_cast<std::int32_t>(c);
    ++cellStart_[c + 1];
  }
  for (std::size_t c = 0; c < cells; ++c) cellStart_[c + 1] += cellStart_[c];
  cellSample_.resize(cellStart_.back());
  cellPosition_.resize(cellStart_.back());
  std::vector<std::int32_t> fill(cellStart_.begin(), cellStart_.end() - 1);
  for (std::size_t k = 0; k < positions_.size(); ++k) {
    if (cellOf[k] < 0) continue;
    const std::int32_t slot = fill[cellOf[k]]++;
    cellSample_[slot] = static_cast<std::int32_t>(k);
    cellPosition_[slot] = positions_[k];
    slotOf_[k] = slot;
  }
}

// How far (along an axis) a sample may move from where the grid filed it
// before the grid is built again, in cells.
constexpr float kMaxDriftCells = 0.5f;

void BodySurface::refreshGrid(const std::vector<std::int32_t>& moved) {
  if (dims_[0] == 0 || slotOf_.size() != positions_.size()) return buildGrid();
  float drift = drift_;
  for (const std::int32_t k : moved) {
    const Vec3& p = positions_[k];
    const Vec3& f = filed_[k];
    for (int a = 0; a < 3; ++a) {
      const float d = std::fabs(p[a] - f[a]);
      // A sample that is or was not a number: no bound on where it is.
      if (!(d <= drift)) drift = std::isnan(d) ? std::numeric_limits<float>::infinity() : d;
    }
  }
  if (!(drift <= kMaxDriftCells * cell_)) return buildGrid();
  drift_ = drift;
  for (const std::int32_t k : moved)
    if (slotOf_[k] >= 0) cellPosition_[slotOf_[k]] = positions_[k];
}

void BodySurface::gridRange(const Vec3& c, double reach, std::int32_t lo[3],
                            std::int32_t hi[3]) const {
  // A sample filed in a cell may since have moved up to drift_ out of it.
  reach += drift_;
  for (int a = 0; a < 3; ++a) {
    const double top = static_cast<double>(dims_[a] - 1);
    lo[a] = static_cast<std::int32_t>(
        std::clamp(std::floor((c[a] - reach - origin_[a]) / cell_), 0.0, top));
    hi[a] = static_cast<std::int32_t>(
        std::clamp(std::floor((c[a] + reach - origin_[a]) / cell_), 0.0, top));
  }
}

void BodySurface::buildIndex() {
  nodes_.clear();
  nodeSample_.resize(positions_.size());
  for (std::size_t k = 0; k < positions_.size(); ++k) nodeSample_[k] = static_cast<std::int32_t>(k);
  if (positions_.empty()) {
    nodePosition_.clear();
    return;
  }
  nodes_.reserve(2 * positions_.size() / kLeafSize + 2);
  // Built breadth-first from an explicit list, so no depth reaches the call
  // stack; a node's children are split at the median of its box's longest
  // axis.
  nodes_.push_back({{}, {}, 0, static_cast<std::int32_t>(positions_.size()), -1, -1});
  for (std::size_t n = 0; n < nodes_.size(); ++n) {
    const std::int32_t begin = nodes_[n].begin, end = nodes_[n].end;
    boxOf(nodes_[n]);
    const Vec3 lo = nodes_[n].lo, hi = nodes_[n].hi;
    if (end - begin <= kLeafSize) continue;
    int axis = 0;
    for (int a = 1; a < 3; ++a) {
      if (hi[a] - lo[a] > hi[axis] - lo[axis]) axis = a;
    }
    const std::int32_t middle = begin + (end - begin) / 2;
    std::nth_element(nodeSample_.begin() + begin, nodeSample_.begin() + middle,
                     nodeSample_.begin() + end, [&](std::int32_t a, std::int32_t b) {
                       const float pa = orderKey(positions_[a][axis]),
                                   pb = orderKey(positions_[b][axis]);
                       return pa < pb || (pa == pb && a < b);
                     });
    const auto left = static_cast<std::int32_t>(nodes_.size());
    nodes_[n].left = left;
    nodes_[n].right = left + 1;
    nodes_.push_back({{}, {}, begin, middle, -1, -1});
    nodes_.push_back({{}, {}, middle, end, -1, -1});
  }
  nodePosition_.resize(positions_.size());
  for (std::size_t i = 0; i < positions_.size(); ++i) nodePosition_[i] = positions_[nodeSample_[i]];
}

template <bool kSlab>
NearestSample BodySurface::search(const Vec3& p, float radius, float halfHeight,
                                  std::int32_t hint) const {
  NearestSample best{-1, radius};
  if (nodes_.empty() || !std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2])) {
    return best;
  }
  const float slabLo = p[1] - halfHeight;
  const float slabHi = p[1] + halfHeight;
  // The hint is one of the candidates: starting from it only tightens the
  // bound, and the order of (distance, sample number) decides as before.
  if (hint >= 0 && static_cast<std::size_t>(hint) < positions_.size()) {
    const Vec3& s = positions_[hint];
    if (!kSlab || (slabLo < s[1] && s[1] < slabHi)) {
      const float d = distance(p, s);
      if (d < best.distance) best = {hint, d};
    }
  }
  // A close hint: every sample that can beat it lies in the few grid cells
  // round p that cover the ball through the hint.
  if (best.index >= 0 && dims_[0] > 0) {
    const double reach =
        (static_cast<double>(best.distance) + kPruneAbsolute) / (1.0 - kPruneRelative);
    if (reach <= kGridReachCells * cell_) {
      std::int32_t lo[3], hi[3];
      gridRange(p, reach, lo, hi);
      for (std::int32_t k = lo[2]; k <= hi[2]; ++k) {
        for (std::int32_t j = lo[1]; j <= hi[1]; ++j) {
          const std::size_t row =
              static_cast<std::size_t>(dims_[0]) * (j + static_cast<std::size_t>(dims_[1]) * k);
          const std::int32_t begin = cellStart_[row + lo[0]], end = cellStart_[row + hi[0] + 1];
          for (std::int32_t slot = begin; slot < end; ++slot) {
            const Vec3& s = cellPosition_[slot];
            if constexpr (kSlab) {
              if (!(slabLo < s[1] && s[1] < slabHi)) continue;
            }
            const float d = distance(p, s);
            const std::int32_t index = cellSample_[slot];
            if (d < best.distance || (d == best.distance && index < best.index)) best = {index, d};
          }
        }
      }
      return best;
    }
  }
  // A box is opened only when its distance from p could still beat the best.
  float open2 = reach2(best.distance);
  auto gap2 = [&](const Node& node) { return boxGap2(p, node.lo, node.hi); };
  struct Pending {
    std::int32_t node;
    float gap2;
  };
  Pending stack[128];
  int top = 0;
  stack[top++] = {0, gap2(nodes_[0])};
  while (top > 0) {
    const Pending pending = stack[--top];
    if (!(pending.gap2 <= open2)) continue;
    const Node& node = nodes_[pending.node];
    if constexpr (kSlab) {
      // Every sample of the box lies at or beyond one of the slab's faces.
      if (!(node.hi[1] > slabLo && node.lo[1] < slabHi)) continue;
    }
    if (node.left < 0) {
      for (std::int32_t i = node.begin; i < node.end; ++i) {
        const Vec3& s = nodePosition_[i];
        if constexpr (kSlab) {
          if (!(slabLo < s[1] && s[1] < slabHi)) continue;
        }
        const float d = distance(p, s);
        const std::int32_t index = nodeSample_[i];
        if (d < best.distance || (best.index >= 0 && d == best.distance && index < best.index)) {
          best = {index, d};
          open2 = reach2(d);
        }
      }
      continue;
    }
    // The nearer child is searched first. The tree's depth stays far below
    // the stack's room (median splits halve every run).
    const Pending left{node.left, gap2(nodes_[node.left])};
    const Pending right{node.right, gap2(nodes_[node.right])};
    if (top + 2 > static_cast<int>(std::size(stack))) break;
    if (left.gap2 <= right.gap2) {
      if (right.gap2 <= open2) stack[top++] = right;
      if (left.gap2 <= open2) stack[top++] = left;
    } else {
      if (left.gap2 <= open2) stack[top++] = left;
      if (right.gap2 <= open2) stack[top++] = right;
    }
  }
  return best;
}

void BodySurface::gatherWithin(const Vec3& c, float r, std::vector<std::int32_t>& out) const {
  if (nodes_.empty() || !(r >= 0)) return;
  // A short reach: the grid cells that cover the ball.
  const double reach = (static_cast<double>(r) + kPruneAbsolute) / (1.0 - kPruneRelative);
  if (dims_[0] > 0 && reach <= kGridReachCells * cell_) {
    std::int32_t lo[3], hi[3];
    gridRange(c, reach, lo, hi);
    for (std::int32_t k = lo[2]; k <= hi[2]; ++k) {
      for (std::int32_t j = lo[1]; j <= hi[1]; ++j) {
        const std::size_t row =
            static_cast<std::size_t>(dims_[0]) * (j + static_cast<std::size_t>(dims_[1]) * k);
        for (std::int32_t slot = cellStart_[row + lo[0]], end = cellStart_[row + hi[0] + 1];
             slot < end; ++slot) {
          if (distance(c, cellPosition_[slot]) <= r) out.push_back(cellSample_[slot]);
        }
      }
    }
    return;
  }
  const float open2 = reach2(r);
  std::int32_t stack[128];
  int top = 0;
  stack[top++] = 0;
  while (top > 0) {
    const Node& node = nodes_[stack[--top]];
    if (!(boxGap2(c, node.lo, node.hi) <= open2)) continue;
    if (node.left < 0) {
      for (std::int32_t i = node.begin; i < node.end; ++i) {
        if (distance(c, nodePosition_[i]) <= r) out.push_back(nodeSample_[i]);
      }
      continue;
    }
    if (top + 2 > static_cast<int>(std::size(stack))) break;
    stack[top++] = node.left;
    stack[top++] = node.right;
  }
}

NearestSample BodySurface::nearestInSlabAmong(const Vec3& p, float radius, float halfHeight,
                                              std::span<const std::int32_t> candidates,
                                              std::int32_t hint) const {
  NearestSample best{-1, radius};
  const float slabLo = p[1] - halfHeight;
  const float slabHi = p[1] + halfHeight;
  auto consider = [&](std::int32_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= positions_.size()) return;
    const Vec3& s = positions_[index];
    if (!(slabLo < s[1] && s[1] < slabHi)) return;
    const float d = distance(p, s);
    if (d < best.distance || (best.index >= 0 && d == best.distance && index < best.index))
      best = {index, d};
  };
  consider(hint);
  for (std::int32_t index : candidates) consider(index);
  return best;
}

NearestSample BodySurface::nearest(const Vec3& p, float radius, std::int32_t hint) const {
  return search<false>(p, radius, 0, hint);
}

NearestSample BodySurface::nearestInSlab(const Vec3& p, float radius, float halfHeight,
                                         std::int32_t hint) const {
  return search<true>(p, radius, halfHeight, hint);
}

NearestSample BodySurface::scanNearest(const Vec3& p, float radius) const {
  NearestSample best{-1, radius};
  for (std::size_t k = 0; k < positions_.size(); ++k) {
    const float d = distance(p, positions_[k]);
    if (d < best.distance) best = {static_cast<std::int32_t>(k), d};
  }
  return best;
}

NearestSample BodySurface::scanNearestInSlab(const Vec3& p, float radius, float halfHeight) const {
  NearestSample best{-1, radius};
  const float slabLo = p[1] - halfHeight;
  const float slabHi = p[1] + halfHeight;
  for (std::size_t k = 0; k < positions_.size(); ++k) {
    const Vec3& s = positions_[k];
    if (!(slabLo < s[1] && s[1] < slabHi)) continue;
    const float d = distance(p, s);
    if (d < best.distance) best = {static_cast<std::int32_t>(k), d};
  }
  return best;
}

}  // namespace vestora
