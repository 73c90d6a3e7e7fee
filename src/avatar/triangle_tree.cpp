#include "avatar/triangle_tree.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace vestora {

namespace {

constexpr float kOverlapSlack = 0.01f;
constexpr double kParallelCosine = 1e-8;
constexpr double kNoHitYet = 1e10;

struct Vec {
  double x, y, z;
};

Vec toVec(const Point3& p) {
  return {p[0], p[1], p[2]};
}
Vec operator-(const Vec& a, const Vec& b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec operator+(const Vec& a, const Vec& b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec operator*(double s, const Vec& a) {
  return {s * a.x, s * a.y, s * a.z};
}
double dot(const Vec& a, const Vec& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec cross(const Vec& a, const Vec& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double length(const Vec& a) {
  return std::sqrt(dot(a, a));
}

// Points this far outside an edge, as a fraction of the opposite corner's
// distance from it, still count as inside. A segment running along an edge
// shared by two triangles (a stroke down a symmetric body's middle) would
// otherwise miss both whenever rounding puts it a hair outside each.
constexpr double kEdgeSlack = 1e-6;

// p and q on the same side of the line through a and b within their common
// plane; a point on the line counts as on either side.
bool sameSide(const Vec& p, const Vec& q, const Vec& a, const Vec& b) {
  const Vec edge = b - a;
  const Vec towardsQ = cross(edge, q - a);
  return dot(cross(edge, p - a), towardsQ) >= -kEdgeSlack * dot(towardsQ, towardsQ);
}

// The segment's parameter t in [0, 1] at which it meets triangle (a, b, c).
std::optional<double> segmentMeetsTriangle(const Vec& start, const Vec& end, const Vec& a,
                                           const Vec& b, const Vec& c) {
  const Vec normal = cross(b - a, c - a);
  const Vec direction = end - start;
  const double scale = length(normal) * length(direction);
  if (scale == 0) return std::nullopt;
  const double towards = dot(normal, direction);
  if (std::abs(towards) < kParallelCosine * scale) return std::nullopt;
  const double t = dot(normal, a - start) / towards;
  if (!(t >= 0 && t <= 1)) return std::nullopt;
  const Vec p = start + t * direction;
  if (!sameSide(p, c, a, b) || !sameSide(p, a, b, c) || !sameSide(p, b, c, a)) return std::nullopt;
  return t;
}

bool validTriangle(const TriangleMesh& mesh, std::size_t t) {
  const auto& tri = mesh.triangles[t];
  return std::all_of(tri.begin(), tri.end(), [&](std::int32_t v) {
    return v >= 0 && static_cast<std::size_t>(v) < mesh.vertices.size();
  });
}

// The box of the part of segment (a, b) that lies within `bounds` grown by
// the overlap slack; nullopt when the segment passes outside. A segment from
// the near to the far plane is far longer than the body is deep, and its
// whole box would take in most of the body when it runs obliquely; every hit
// lies in the clipped part, so the leaves that matter are still found.
std::optional<TriangleBox> clippedSegmentBox(const Point3& a, const Point3& b,
                                             const TriangleBox& bounds) {
  double enter = 0, leave = 1;
  for (int k = 0; k < 3; ++k) {
    const double lo = double(bounds.min[k]) - kOverlapSlack;
    const double hi = double(bounds.max[k]) + kOverlapSlack;
    const double d = double(b[k]) - a[k];
    if (d == 0) {
      if (a[k] < lo || a[k] > hi) return std::nullopt;
      continue;
    }
    double t0 = (lo - a[k]) / d, t1 = (hi - a[k]) / d;
    if (t0 > t1) std::swap(t0, t1);
    enter = std::max(enter, t0);
    leave = std::min(leave, t1);
  }
  if (!(enter <= leave)) return std::nullopt;
  TriangleBox box;
  for (int k = 0; k < 3; ++k) {
    const double d = double(b[k]) - a[k];
    const auto p = float(a[k] + enter * d), q = float(a[k] + leave * d);
    box.min[k] = std::min(p, q);
    box.max[k] = std::max(p, q);
  }
  return box;
}

}  // namespace

BodyTriangleTree buildTriangleTree(TriangleMesh mesh) {
  BodyTriangleTree tree;
  tree.mesh_ = std::move(mesh);
  const TriangleMesh& m = tree.mesh_;

  // Each triangle's own box, grown from the empty box like the nodes' boxes.
  std::vector<TriangleBox> boxes(m.triangles.size());
  std::vector<std::int32_t> order;  // 0-based triangles, regrouped in place per node
  order.reserve(m.triangles.size());
  for (std::size_t t = 0; t < m.triangles.size(); ++t) {
    if (!validTriangle(m, t)) continue;
    for (std::int32_t v : m.triangles[t]) {
      const Point3& p = m.vertices[static_cast<std::size_t>(v)];
      for (int k = 0; k < 3; ++k) {
        boxes[t].min[k] = std::min(boxes[t].min[k], p[k]);
        boxes[t].max[k] = std::max(boxes[t].max[k], p[k]);
      }
    }
    order.push_back(static_cast<std::int32_t>(t));
  }
  if (order.empty()) return tree;

  struct Pending {
    std::size_t begin, end;  // range of `order`
    std::int32_t parent;
    bool isRight;
  };
  std::vector<Pending> pending{{0, order.size(), kNoNode, false}};
  tree.nodes_.reserve(2 * order.size() - 1);

  while (!pending.empty()) {
    const Pending work = pending.back();
    pending.pop_back();
    const auto index = static_cast<std::int32_t>(tree.nodes_.size());
    tree.nodes_.emplace_back();
    if (work.parent != kNoNode) {
      TreeNode& parent = tree.nodes_[static_cast<std::size_t>(work.parent)];
      (work.isRight ? parent.right : parent.left) = index;
    }
    TreeNode& node = tree.nodes_.back();
    for (std::size_t i = work.begin; i < work.end; ++i) {
      const TriangleBox& b = boxes[static_cast<std::size_t>(order[i])];
      for (int k = 0; k < 3; ++k) {
        node.box.min[k] = std::min(node.box.min[k], b.min[k]);
        node.box.max[k] = std::max(node.box.max[k], b.max[k]);
      }
    }

    const std::size_t size = work.end - work.begin;
    if (size == 1) {
      const std::int32_t t = order[work.begin];
      node.vertices = m.triangles[static_cast<std::size_t>(t)];
      node.triangle = t + 1;
      continue;
    }

    int axis = 0;
    for (int k = 1; k < 3; ++k) {
      if (node.box.max[k] - node.box.min[k] > node.box.max[axis] - node.box.min[axis]) axis = k;
    }
    const float split = (node.box.min[axis] + node.box.max[axis]) / 2;
    const auto first = order.begin() + static_cast<std::ptrdiff_t>(work.begin);
    const auto last = order.begin() + static_cast<std::ptrdiff_t>(work.end);
    const auto middle = std::stable_partition(first, last, [&](std::int32_t t) {
      const TriangleBox& b = boxes[static_cast<std::size_t>(t)];
      return !((b.min[axis] + b.max[axis]) / 2 > split);
    });
    const auto leftCount = static_cast<std::size_t>(middle - first);

    // Left list [leftBegin, leftEnd), right list [rightBegin, rightEnd).
    std::size_t leftBegin = work.begin, leftEnd = work.begin + leftCount;
    std::size_t rightBegin = leftEnd, rightEnd = work.end;
    if (leftCount == 0) {
      leftBegin = work.begin + size / 2;
      leftEnd = work.end;
      rightBegin = work.begin;
      rightEnd = leftBegin;
    } else if (leftCount == size) {
      leftEnd = work.begin + size / 2;
      rightBegin = leftEnd;
    }
    // The left child is popped first, so it and its subtree come right after
    // this node in the array.
    pending.push_back({rightBegin, rightEnd, index, true});
    pending.push_back({leftBegin, leftEnd, index, false});
  }
  return tree;
}

int BodyTriangleTree::depth() const {
  if (nodes_.empty()) return 0;
  int deepest = 0;
  std::vector<std::pair<std::int32_t, int>> stack{{0, 1}};
  while (!stack.empty()) {
    const auto [index, level] = stack.back();
    stack.pop_back();
    deepest = std::max(deepest, level);
    const TreeNode& node = nodes_[static_cast<std::size_t>(index)];
    if (node.isLeaf()) continue;
    stack.push_back({node.left, level + 1});
    stack.push_back({node.right, level + 1});
  }
  return deepest;
}

bool boxesOverlap(const TriangleBox& a, const TriangleBox& b) {
  for (int k = 0; k < 3; ++k) {
    if (!(a.min[k] - kOverlapSlack <= b.max[k] && b.min[k] - kOverlapSlack <= a.max[k])) {
      return false;
    }
  }
  return true;
}

void queryTriangleTree(const BodyTriangleTree& tree, std::int32_t node, const TriangleBox& box,
                       std::vector<std::int32_t>& leaves) {
  const auto& nodes = tree.nodes();
  if (node < 0 || static_cast<std::size_t>(node) >= nodes.size()) return;
  std::vector<std::int32_t> stack{node};
  while (!stack.empty()) {
    const std::int32_t index = stack.back();
    stack.pop_back();
    const TreeNode& n = nodes[static_cast<std::size_t>(index)];
    if (!boxesOverlap(n.box, box)) continue;
    if (n.isLeaf()) {
      leaves.push_back(index);
    } else {
      stack.push_back(n.right);
      stack.push_back(n.left);
    }
  }
}

SegmentHits segmentSurfaceHits(const BodyTriangleTree& tree, const TriangleMesh& bodyTriangles,
                               std::span<const Point3> starts, std::span<const Point3> ends) {
  const std::size_t count = std::min(starts.size(), ends.size());
  SegmentHits hits;
  hits.perSegment.resize(count);
  std::vector<std::int32_t> leaves;
  for (std::size_t i = 0; i < count; ++i) {
    if (tree.empty()) break;
    const auto box = clippedSegmentBox(starts[i], ends[i], tree.nodes()[0].box);
    if (!box) continue;
    leaves.clear();
    queryTriangleTree(tree, tree.root(), *box, leaves);
    const Vec start = toVec(starts[i]);
    const Vec end = toVec(ends[i]);
    const double segmentLength = length(end - start);
    double nearest = kNoHitYet;
    std::optional<SurfaceHit>& best = hits.perSegment[i];
    for (std::int32_t leaf : leaves) {
      const std::int32_t t = tree.nodes()[static_cast<std::size_t>(leaf)].triangle - 1;
      if (t < 0 || static_cast<std::size_t>(t) >= bodyTriangles.triangles.size() ||
          !validTriangle(bodyTriangles, static_cast<std::size_t>(t))) {
        continue;
      }
      const auto& tri = bodyTriangles.triangles[static_cast<std::size_t>(t)];
      const auto corner = [&](int c) {
        return toVec(bodyTriangles.vertices[static_cast<std::size_t>(tri[c])]);
      };
      const auto param = segmentMeetsTriangle(start, end, corner(0), corner(1), corner(2));
      if (!param) continue;
      const double distance = *param * segmentLength;
      if (distance >= nearest) continue;
      nearest = distance;
      const Vec p = start + *param * (end - start);
      best = SurfaceHit{{float(p.x), float(p.y), float(p.z)}, t, float(distance)};
    }
    if (best) hits.points.push_back(SurfacePoint{best->point, {}});
  }
  return hits;
}

std::vector<Point3> sampleStroke(const StrokeEnds& stroke) {
  const Point3& a = stroke[0];
  const Point3& b = stroke[1];
  if (a == b) return {a};
  std::vector<Point3> samples(kMaxStrokeSamples);
  for (int i = 0; i < kMaxStrokeSamples; ++i) {
    const double s = double(i) / (kMaxStrokeSamples - 1);
    for (int k = 0; k < 3; ++k) samples[std::size_t(i)][k] = float(a[k] + s * (b[k] - a[k]));
  }
  return samples;
}

SurfaceCurve surfaceCurveLength(const StrokeEnds& nearStroke, const StrokeEnds& farStroke,
                                const BodyTriangleTree& tree, const TriangleMesh& bodyTriangles) {
  const std::vector<Point3> nearSamples = sampleStroke(nearStroke);
  const std::vector<Point3> farSamples = sampleStroke(farStroke);
  SurfaceCurve curve;
  curve.hits = segmentSurfaceHits(tree, bodyTriangles, nearSamples, farSamples);
  double total = 0;
  const auto& points = curve.hits.points;
  for (std::size_t i = 1; i < points.size(); ++i) {
    total += length(toVec(points[i].position) - toVec(points[i - 1].position));
  }
  curve.length = float(total);
  return curve;
}

std::optional<float> windowTriangleDepth(const std::array<Point3, 3>& windowCorners, float mouseX,
                                         float mouseY) {
  const auto flat = [](const Point3& p) { return Vec{p[0], p[1], 0}; };
  const Vec a = flat(windowCorners[0]);
  const Vec b = flat(windowCorners[1]);
  const Vec c = flat(windowCorners[2]);
  const Vec mouse{mouseX, mouseY, 0};
  // Twice the signed screen area; positive when the corners run counter-clockwise.
  const double area = cross(b - a, c - a).z;
  if (!(area > 0)) return std::nullopt;
  if (!sameSide(mouse, c, a, b) || !sameSide(mouse, a, b, c) || !sameSide(mouse, b, c, a)) {
    return std::nullopt;
  }
  // Window depth is affine across the screen, so the corners' depths blend
  // by the mouse's barycentric weights.
  const double wa = cross(b - mouse, c - mouse).z / area;
  const double wb = cross(c - mouse, a - mouse).z / area;
  const double wc = 1 - wa - wb;
  return float(wa * windowCorners[0][2] + wb * windowCorners[1][2] + wc * windowCorners[2][2]);
}

}  // namespace vestora
