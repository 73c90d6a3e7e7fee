#include "content/variants.h"

#include <thread>

#include "formats/model_loader.h"

namespace vestora::generate {

namespace {

std::vector<Vec3> surfacePoints(const FigureModel& f, const FigureShape& target) {
  const BodyField field = buildField(target);
  const int n = f.bodyVertices();
  std::vector<Vec3> out(n);
  auto maskFor = [](Part p) {
    switch (p) {
      case Part::LegLeft: return kAllParts & ~bit(Part::LegRight);
      case Part::LegRight: return kAllParts & ~bit(Part::LegLeft);
      case Part::ArmLeft: return kAllParts & ~(bit(Part::ArmRight) | bit(Part::LegLeft) | bit(Part::LegRight));
      case Part::ArmRight: return kAllParts & ~(bit(Part::ArmLeft) | bit(Part::LegLeft) | bit(Part::LegRight));
      default: return kAllParts;
    }
  };
  // Each vertex moves along its own normal to the new surface: growth and
  // shrinkage of soft tissue push the skin out or draw it in, they do not
  // slide it sideways. Where no crossing lies within reach the vertex falls
  // back on the surface's gradient.
  const auto normals = vertexNormals(f.body);
  auto work = [&](int from, int to) {
    for (int v = from; v < to; ++v) {
      const PartMask mask = maskFor(f.parts[v]);
      const Vec3 p = f.body.positions[v];
      const double f0 = field.value(p, mask);
      const Vec3 dir = f0 < 0 ? normals[v] : -normals[v];
      double lo = 0, hi = -1;
      for (double t = 0.25; t <= 25.0; t += 0.25)
        if ((field.value(p + dir * t, mask) < 0) != (f0 < 0)) {
          lo = t - 0.25;
          hi = t;
          break;
        }
      if (hi < 0) {
        out[v] = field.project(p, mask, 12, 1.5);
        continue;
      }
      for (int i = 0; i < 24; ++i) {
        const double mid = (lo + hi) / 2;
        ((field.value(p + dir * mid, mask) < 0) == (f0 < 0) ? lo : hi) = mid;
      }
      out[v] = p + dir * ((lo + hi) / 2);
    }
  };
  std::thread half(work, 0, n / 2);
  work(n / 2, n);
  half.join();
  return out;
}

}  // namespace

std::vector<Vec3> projectBody(const FigureModel& f, const FigureShape& target) {
  // The body's vertices lie on its own surface only up to the last
  // smoothing and the exact-height stretch: the variant is the rest shape
  // plus the difference between the two surfaces, so that wherever the
  // shapes agree the vertices stay exactly where they are.
  // The displacement is smoothed over the surface: where vertices converge
  // (the fold under the bust, the armpits) their moves would otherwise crowd
  // and crease the skin.
  const auto moved = surfacePoints(f, target);
  const auto own = surfacePoints(f, f.shape);
  std::vector<Vec3> shift(moved.size()), next(moved.size());
  for (std::size_t v = 0; v < shift.size(); ++v) shift[v] = moved[v] - own[v];
  const auto rings = vertexRings(f.body);
  for (int round = 0; round < 8; ++round) {
    for (std::size_t v = 0; v < shift.size(); ++v) {
      Vec3 mean;
      for (int n : rings[v]) mean += shift[n];
      next[v] = rings[v].empty() ? shift[v] : shift[v] * 0.5 + mean * (0.5 / double(rings[v].size()));
    }
    shift.swap(next);
  }
  std::vector<Vec3> out(moved.size());
  for (std::size_t v = 0; v < out.size(); ++v) out[v] = f.body.positions[v] + shift[v];
  return out;
}

std::vector<Vec3> posedPositions(const FigureModel& f, const Pose& pose, const std::vector<Vec3>& rest) {
  const auto motions = jointMotions(f.rig, pose);
  std::vector<Vec3> out(rest.size());
  for (std::size_t v = 0; v < rest.size(); ++v) out[v] = skinPoint(rest[v], f.weights[v], motions);
  return out;
}

Unitization unitizationOf(const GlmModel& model) {
  GlmModel copy;
  copy.modelName = model.modelName;
  copy.vertices = model.vertices;
  ModelLoader loader;
  Unitization u;
  u.scale = loader.glmUnitize(copy, u.centre);
  if (model.vertexCount() > 0)
    u.liftY = copy.vertex(1)[1] - (model.vertex(1)[1] - u.centre[1]) * u.scale;
  return u;
}

std::vector<float> normalised(const std::vector<Vec3>& positions, const Unitization& u) {
  std::vector<float> out(3 * (positions.size() + 1), 0.0f);
  for (std::size_t i = 0; i < positions.size(); ++i)
    for (int k = 0; k < 3; ++k)
      out[3 * (i + 1) + k] = (float(positions[i][k]) - u.centre[k]) * u.scale + (k == 1 ? u.liftY : 0.0f);
  return out;
}

std::vector<float> asOneBased(const std::vector<Vec3>& positions) {
  std::vector<float> out(3 * (positions.size() + 1), 0.0f);
  for (std::size_t i = 0; i < positions.size(); ++i)
    for (int k = 0; k < 3; ++k) out[3 * (i + 1) + k] = float(positions[i][k]);
  return out;
}

void setVertices(GlmModel& model, const std::vector<Vec3>& positions) { model.vertices = asOneBased(positions); }

}  // namespace vestora::generate
