#include "body/freehand.h"

#include <cmath>
#include <limits>

namespace vestora {
namespace {

float distance(const Vec3f& a, const Vec3f& b) {
  const float dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// Distance from `p` to the segment a–b.
float segmentDistance(const Vec3f& p, const Vec3f& a, const Vec3f& b) {
  const float ab[3] = {b.x - a.x, b.y - a.y, b.z - a.z};
  const float ap[3] = {p.x - a.x, p.y - a.y, p.z - a.z};
  const float len2 = ab[0] * ab[0] + ab[1] * ab[1] + ab[2] * ab[2];
  float t = len2 > 0 ? (ap[0] * ab[0] + ap[1] * ab[1] + ap[2] * ab[2]) / len2 : 0.0f;
  t = std::fmax(0.0f, std::fmin(1.0f, t));
  return distance(p, {a.x + t * ab[0], a.y + t * ab[1], a.z + t * ab[2]});
}

constexpr Vec3f kNoPoint{kUnpicked, kUnpicked, kUnpicked};

}  // namespace

bool isPicked(const Vec3f& p) {
  return p.x != kUnpicked || p.y != kUnpicked || p.z != kUnpicked;
}

bool& FreehandTools::flag(FreehandTool tool) {
  switch (tool) {
    case FreehandTool::LinearDistance:
      return linearDistance;
    case FreehandTool::Height:
      return height;
    case FreehandTool::CurveLength:
      return curveLength;
    case FreehandTool::FreeGirth:
      break;
  }
  return freeGirth;
}

bool FreehandTools::flag(FreehandTool tool) const {
  return const_cast<FreehandTools*>(this)->flag(tool);
}

bool FreehandMeasure::toggle(FreehandTool tool, bool measured, UserDialogs* dialogs) {
  if (!measured) {
    if (dialogs) dialogs->showMessage(kMeasureFirstMessage, "", MessageIcon::Information);
    return false;
  }
  const bool on = !tools.flag(tool);
  if (on) {
    tools = FreehandTools{};
    clearPicks();
  }
  tools.flag(tool) = on;
  return true;
}

void FreehandMeasure::clear() {
  tools = FreehandTools{};
  clearPicks();
}

void FreehandMeasure::clearPicks() {
  points = {kNoPoint, kNoPoint};
  path.clear();
  pathClosed = false;
  picked_ = 0;
  complete_ = false;
}

std::optional<FreehandTool> FreehandMeasure::active() const {
  for (FreehandTool t : {FreehandTool::LinearDistance, FreehandTool::Height,
                         FreehandTool::CurveLength, FreehandTool::FreeGirth})
    if (tools.flag(t)) return t;
  return std::nullopt;
}

bool FreehandMeasure::takesPoints() const {
  const auto tool = active();
  return tool && *tool != FreehandTool::CurveLength;
}

bool FreehandMeasure::pick(const Avatar& avatar, const Vec3f& point) {
  const auto tool = active();
  if (!tool || *tool == FreehandTool::CurveLength) return false;
  const float scale = avatar.unitScale() > 0 ? avatar.unitScale() : 1.0f;
  if (*tool == FreehandTool::FreeGirth) {
    clearPicks();
    points[0] = point;
    picked_ = 1;
    std::vector<Vec3f> loop;
    if (const auto girth = levelGirthThrough(avatar, point, &loop)) {
      values.girth = *girth;
      path = std::move(loop);
      pathClosed = true;
      complete_ = true;
    }
    return true;
  }
  if (picked_ >= 2) clearPicks();
  points[static_cast<std::size_t>(picked_++)] = point;
  if (picked_ == 2) {
    complete_ = true;
    if (*tool == FreehandTool::LinearDistance)
      values.linearDistance = distance(points[0], points[1]) / scale;
    else
      values.height = std::abs(points[0].y - points[1].y) / scale;
  }
  return true;
}

bool FreehandMeasure::stroke(Avatar& avatar, const StrokeEnds& nearEnds,
                             const StrokeEnds& farEnds) {
  if (active() != FreehandTool::CurveLength) return false;
  clearPicks();
  const BodyTriangleTree& tree = avatar.triangleTree();
  const SurfaceCurve curve = surfaceCurveLength(nearEnds, farEnds, tree, tree.mesh());
  for (const SurfacePoint& p : curve.hits.points)
    path.push_back({p.position[0], p.position[1], p.position[2]});
  if (!path.empty()) {
    points[0] = path.front();
    points[1] = path.back();
    picked_ = 2;
  }
  // A stroke that misses the body measures nothing.
  if (path.size() >= 2) {
    const float scale = avatar.unitScale() > 0 ? avatar.unitScale() : 1.0f;
    values.curveLength = curve.length / scale;
    complete_ = true;
  }
  return true;
}

std::optional<float> FreehandMeasure::activeValue() const {
  const auto tool = active();
  if (!tool || !complete_) return std::nullopt;
  switch (*tool) {
    case FreehandTool::LinearDistance:
      return values.linearDistance;
    case FreehandTool::Height:
      return values.height;
    case FreehandTool::CurveLength:
      return values.curveLength;
    case FreehandTool::FreeGirth:
      break;
  }
  return values.girth;
}

std::optional<float> levelGirthThrough(const Avatar& avatar, const Vec3f& point,
                                       std::vector<Vec3f>* loopOut) {
  if (!avatar.loaded()) return std::nullopt;
  const std::vector<SectionLoop> loops = sectionLoops(avatar, point, {0, 1, 0});
  const SectionLoop* best = nullptr;
  float nearest = std::numeric_limits<float>::max();
  for (const SectionLoop& loop : loops) {
    if (loop.points.size() < 3) continue;
    const std::size_t n = loop.points.size();
    for (std::size_t i = 0; i < n; ++i) {
      const float d = segmentDistance(point, loop.points[i], loop.points[(i + 1) % n]);
      if (d < nearest) nearest = d, best = &loop;
    }
  }
  // A picked skin point lies on its loop; one farther than 2 cm from every
  // loop was not on this body's surface.
  const float scale = avatar.unitScale() > 0 ? avatar.unitScale() : 1.0f;
  if (!best || nearest > 2.0f * scale) return std::nullopt;
  if (loopOut) *loopOut = best->points;
  return best->length() / scale;
}

}  // namespace vestora
