#include "cloth/cloth_drape.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>

#include "cloth/cloth_build.h"
#include "cloth/garment_fit.h"
#include "cloth/try_on.h"

namespace vestora {
namespace {

// Body samples farther than this from a particle cannot touch it (5 cm).
constexpr float kContactReach = 0.5f;
// A particle farther than this beyond the thickness in a step's first round
// of contact is left out of its later rounds (5 mm).
constexpr float kClearBy = 0.05f;
// How often sewing checks that its seams are still closing.
constexpr int kSewingCheckSteps = 30;

Vec3 sub(const Vec3& a, const Vec3& b) {
  return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
float dot3(const Vec3& a, const Vec3& b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
Vec3 along(const Vec3& a, const Vec3& d, float s) {
  return {a[0] + s * d[0], a[1] + s * d[1], a[2] + s * d[2]};
}

// The point of triangle abc nearest to p.
Vec3 closestOnTriangle(const Vec3& p, const Vec3& a, const Vec3& b, const Vec3& c) {
  const Vec3 ab = sub(b, a), ac = sub(c, a), ap = sub(p, a);
  const float d1 = dot3(ab, ap), d2 = dot3(ac, ap);
  if (d1 <= 0 && d2 <= 0) return a;
  const Vec3 bp = sub(p, b);
  const float d3 = dot3(ab, bp), d4 = dot3(ac, bp);
  if (d3 >= 0 && d4 <= d3) return b;
  const float vc = d1 * d4 - d3 * d2;
  if (vc <= 0 && d1 >= 0 && d3 <= 0) return along(a, ab, d1 / (d1 - d3));
  const Vec3 cp = sub(p, c);
  const float d5 = dot3(ab, cp), d6 = dot3(ac, cp);
  if (d6 >= 0 && d5 <= d6) return c;
  const float vb = d5 * d2 - d1 * d6;
  if (vb <= 0 && d2 >= 0 && d6 <= 0) return along(a, ac, d2 / (d2 - d6));
  const float va = d3 * d6 - d5 * d4;
  if (va <= 0 && (d4 - d3) >= 0 && (d5 - d6) >= 0)
    return along(b, sub(c, b), (d4 - d3) / ((d4 - d3) + (d5 - d6)));
  const float denom = 1 / (va + vb + vc);
  const float v = vb * denom, w = vc * denom;
  return {a[0] + ab[0] * v + ac[0] * w, a[1] + ab[1] * v + ac[1] * w, a[2] + ab[2] * v + ac[2] * w};
}

}  // namespace

BodyContact PushOutside(const BodySurface& body, Vec3& p, float thickness, std::int32_t& hint) {
  BodyContact contact;
  contact.clearance = kContactReach;
  const NearestSample near = body.nearest(p, kContactReach, hint);
  if (near.index < 0) return contact;
  hint = near.index;
  float best = 1e30f;
  Vec3 nearest{0, 0, 0}, normal = body.normal(near.index);
  for (const std::int32_t t : body.trianglesAround(near.index)) {
    const auto& corners = body.triangle(t);
    const Vec3 q = closestOnTriangle(p, body.sample(corners[0]), body.sample(corners[1]),
                                     body.sample(corners[2]));
    const Vec3 d = sub(p, q);
    const float d2 = dot3(d, d);
    const Vec3& facet = body.facet(t);
    if (d2 < best && dot3(facet, facet) > 0) {
      best = d2;
      nearest = q;
      normal = facet;
    }
  }
  if (best == 1e30f) nearest = body.sample(near.index);
  if (dot3(normal, normal) == 0) return contact;
  const float above = dot3(sub(p, nearest), normal);
  contact.normal = normal;
  if (above >= thickness) {
    contact.clearance = above - thickness;
    return contact;
  }
  contact.clearance = 0;
  contact.push = thickness - above;
  contact.touching = true;
  p = along(p, normal, contact.push);
  return contact;
}

struct ClothDrape::Model {
  // The drape's own springs go after the system that lists them.
  std::vector<std::unique_ptr<SpringForce>> seamSprings, bendSprings;
  GarmentMesh garment;  // what the system is built from
  ClothSystem& system() { return *garment.cloth->system; }
};

ClothDrape::ClothDrape(const GarmentMesh& garment, BodySurface body, DrapeKind kind,
                       DrapeSettings settings)
    : model_(std::make_unique<Model>()),
      body_(std::move(body)),
      kind_(kind),
      settings_(settings),
      stepper_(settings.step) {
  GarmentMesh& g = model_->garment;
  g.particles = garment.particles;
  g.edges = garment.edges;
  std::erase_if(g.edges, [](const GarmentEdge& e) { return e.kind == kStitchEdge; });
  g.seams = garment.seams;
  g.fixedParticles = garment.fixedParticles;
  g.gravity = garment.gravity;
  const auto n = g.particles.size();
  positions_.resize(n);
  for (std::size_t i = 0; i < n; ++i)
    positions_[i] = {g.particles[i].point.x, g.particles[i].point.y, g.particles[i].point.z};
  hints_.assign(n, -1);
  contacts_.assign(n, {});
  clearance_.assign(n, 0);
  held_.assign(n, 0);
  for (const std::int32_t i : g.fixedParticles)
    if (i >= 0 && static_cast<std::size_t>(i) < n) held_[static_cast<std::size_t>(i)] = 1;
  if (n == 0) {
    finished_ = true;
    return;
  }
  BuildClothSystem(g);
  for (auto& spring : g.cloth->springs) spring->ks = settings_.clothStiffness;
  addBendSprings(garment);
  if (kind_ == DrapeKind::Sew) {
    for (const SeamPair& pair : g.seams) {
      if (pair.a < 0 || pair.b < 0 || static_cast<std::size_t>(pair.a) >= n ||
          static_cast<std::size_t>(pair.b) >= n || pair.a == pair.b)
        continue;
      auto spring = std::make_unique<SpringForce>(pair.a, pair.b);
      spring->rest = 0;
      spring->ks = settings_.seamStiffness;
      spring->kd = kClothSpringDamping;
      model_->system().AddForce(spring.get());
      model_->seamSprings.push_back(std::move(spring));
    }
    sewing_ = !model_->seamSprings.empty();
  }
  if (!sewing_)
    g.cloth->gravity->g = {kHangingGravity[0], kHangingGravity[1], kHangingGravity[2], 0};
}

ClothDrape::~ClothDrape() = default;

void ClothDrape::addBendSprings(const GarmentMesh& garment) {
  if (!(settings_.bendStiffness > 0)) return;
  const auto n = static_cast<std::int32_t>(garment.particles.size());
  // The pattern's shape: the particles as loaded.
  const std::vector<GarmentParticle>& shape =
      garment.restParticles.size() == garment.particles.size() ? garment.restParticles
                                                               : garment.particles;
  // Each inner edge (smaller end first) with the corner facing it in the
  // first triangle that has it.
  std::map<std::pair<std::int32_t, std::int32_t>, std::int32_t> facing;
  for (const GarmentTriangle& t : garment.triangles) {
    if (std::any_of(t.vertex.begin(), t.vertex.end(),
                    [n](std::int32_t v) { return v < 0 || v >= n; }))
      continue;
    for (int k = 0; k < 3; ++k) {
      const std::int32_t a = t.vertex[k], b = t.vertex[(k + 1) % 3], c = t.vertex[(k + 2) % 3];
      const auto key = std::minmax(a, b);
      const auto [it, added] = facing.try_emplace({key.first, key.second}, c);
      if (added || it->second < 0 || it->second == c) continue;
      const std::int32_t d = it->second;
      it->second = -1;  // an edge is bridged once
      const SkinVertex& pc = shape[static_cast<std::size_t>(c)].point;
      const SkinVertex& pd = shape[static_cast<std::size_t>(d)].point;
      auto spring = std::make_unique<SpringForce>(c, d);
      spring->rest = std::sqrt((pc.x - pd.x) * (pc.x - pd.x) + (pc.y - pd.y) * (pc.y - pd.y) +
                               (pc.z - pd.z) * (pc.z - pd.z));
      spring->ks = settings_.bendStiffness;
      spring->kd = kClothSpringDamping;
      model_->system().AddForce(spring.get());
      model_->bendSprings.push_back(std::move(spring));
    }
  }
}

float ClothDrape::seamGapMax() const {
  float gap = 0;
  for (const auto& spring : model_->seamSprings) {
    const Vec3 d = sub(positions_[static_cast<std::size_t>(spring->a)],
                       positions_[static_cast<std::size_t>(spring->b)]);
    gap = std::max(gap, std::sqrt(dot3(d, d)));
  }
  return gap;
}

void ClothDrape::limitStretch() {
  Vec4Array& x = model_->system().positions();
  LimitStretchOver(
      settings_.stretchTolerance, static_cast<std::int32_t>(x.count()), model_->garment.edges,
      [&](std::int32_t i) -> Vec4& { return x[static_cast<std::size_t>(i)]; },
      [&](std::int32_t i) { return held_[static_cast<std::size_t>(i)] != 0; });
}

void ClothDrape::stitch() {
  if (sewing_) return;
  Vec4Array& x = model_->system().positions();
  for (const auto& spring : model_->seamSprings) {
    const auto a = static_cast<std::size_t>(spring->a), b = static_cast<std::size_t>(spring->b);
    if (held_[a] && held_[b]) continue;
    Vec4& pa = x[a];
    Vec4& pb = x[b];
    const float wa = held_[a] ? 0.0f : held_[b] ? 1.0f : 0.5f;
    const float d[3] = {pb.x - pa.x, pb.y - pa.y, pb.z - pa.z};
    pa.x += wa * d[0];
    pa.y += wa * d[1];
    pa.z += wa * d[2];
    pb.x -= (1 - wa) * d[0];
    pb.y -= (1 - wa) * d[1];
    pb.z -= (1 - wa) * d[2];
  }
}

void ClothDrape::collide(bool firstRound) {
  Vec4Array& x = model_->system().positions();
  for (std::size_t i = 0; i < x.count(); ++i) {
    if (held_[i]) {
      contacts_[i] = {};
      continue;
    }
    // A round's stretch limiting moves cloth by millimetres at most.
    if (!firstRound && clearance_[i] > kClearBy) continue;
    Vec3 p{x[i].x, x[i].y, x[i].z};
    // The pushes of a step's rounds add up.
    const BodyContact c = PushOutside(body_, p, settings_.thickness, hints_[i]);
    clearance_[i] = c.clearance;
    if (c.touching) {
      contacts_[i].push += c.push;
      contacts_[i].normal = c.normal;
      contacts_[i].touching = true;
    }
    x[i].x = p[0];
    x[i].y = p[1];
    x[i].z = p[2];
  }
}

bool ClothDrape::Step() {
  if (finished_) return false;
  const auto began = std::chrono::steady_clock::now();
  ClothSystem& system = model_->system();
  Vec4Array& x = system.positions();
  Vec4Array& v = system.velocities();
  start_.resize(x.count());
  for (std::size_t i = 0; i < x.count(); ++i) start_[i] = {x[i].x, x[i].y, x[i].z};

  stepper_.Step(system);
  std::fill(contacts_.begin(), contacts_.end(), BodyContact{});
  for (int round = 0; round < settings_.correctionRounds; ++round) {
    limitStretch();
    collide(round == 0);
    stitch();
  }
  // Friction against the body: a particle pressed onto it (pushed back by
  // `push`) keeps its place unless it slides farther than friction × push,
  // and then loses that much of its slide.
  for (std::size_t i = 0; i < x.count(); ++i) {
    const BodyContact& c = contacts_[i];
    if (!c.touching) continue;
    const Vec3 moved{x[i].x - start_[i][0], x[i].y - start_[i][1], x[i].z - start_[i][2]};
    const Vec3 slide = along(moved, c.normal, -dot3(moved, c.normal));
    const float sliding = std::sqrt(dot3(slide, slide));
    // While sewing the pieces slide freely into place.
    const float grip = sewing_ ? 0.0f : settings_.friction * c.push;
    const float keep = sliding > grip ? grip / sliding : 1.0f;
    x[i].x -= keep * slide[0];
    x[i].y -= keep * slide[1];
    x[i].z -= keep * slide[2];
  }
  // Friction holds each end of a seam on its own: close them again.
  stitch();

  // Velocities follow what the corrections and friction left of the
  // motion, none of it into the body and none from its pushes.
  const float h = settings_.step.timeStep;
  for (std::size_t i = 0; i < x.count(); ++i) {
    if (held_[i]) {
      v[i] = {0, 0, 0, v[i].w};
      continue;
    }
    Vec3 vel{(x[i].x - start_[i][0]) / h, (x[i].y - start_[i][1]) / h, (x[i].z - start_[i][2]) / h};
    const BodyContact& c = contacts_[i];
    if (c.touching) {
      // The body's push moves the cloth out but gives it no speed: it
      // keeps only what it had away from the body on its own.
      const float normalSpeed = dot3(vel, c.normal);
      const float own = std::max(0.0f, normalSpeed - c.push / h);
      vel = along(vel, c.normal, own - normalSpeed);
    }
    v[i] = {vel[0], vel[1], vel[2], v[i].w};
    positions_[i] = {x[i].x, x[i].y, x[i].z};
  }
  ++steps_;
  // The seams are closed, or closing no further (the stitches then pull
  // the last millimetres shut).
  bool closed = false;
  if (sewing_) {
    const float gap = seamGapMax();
    closed = gap < settings_.closedGap;
    if (steps_ % kSewingCheckSteps == 0) {
      closed = closed || gap > lastGap_ * 0.98f;
      lastGap_ = gap;
    }
  }
  if (closed) {
    sewing_ = false;
    sewingGap_ = seamGapMax();
    model_->garment.cloth->gravity->g = {kHangingGravity[0], kHangingGravity[1], kHangingGravity[2],
                                         0};
  }
  // At rest: over the last restSteps steps no particle has got farther
  // than restDistance from where it was (a particle may still tremble in
  // place between the body and its neighbours).
  if (sewing_) {
    restFrom_ = 0;
  } else if (restFrom_ == 0 || steps_ - restFrom_ >= settings_.restSteps) {
    float farthest = 0;
    if (restFrom_ != 0) {
      for (std::size_t i = 0; i < positions_.size(); ++i) {
        const Vec3 d = sub(positions_[i], restPositions_[i]);
        farthest = std::max(farthest, dot3(d, d));
      }
      if (std::sqrt(farthest) < settings_.restDistance) settled_ = true;
    }
    restPositions_ = positions_;
    restFrom_ = steps_;
  }
  if (settled_ || steps_ >= settings_.maxSteps) finished_ = true;
  stepMs_.push_back(
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - began).count());
  return !finished_;
}

void ClothDrape::WriteBack(GarmentMesh& garment) const {
  if (garment.particles.size() != positions_.size()) return;
  for (std::size_t i = 0; i < positions_.size(); ++i) {
    SkinVertex& p = garment.particles[i].point;
    p.x = positions_[i][0];
    p.y = positions_[i][1];
    p.z = positions_[i][2];
  }
  if (kind_ == DrapeKind::Sew) {
    std::erase_if(garment.edges, [](const GarmentEdge& e) { return e.kind == kStitchEdge; });
    for (const auto& spring : model_->seamSprings) {
      SkinVertex& a = garment.particles[static_cast<std::size_t>(spring->a)].point;
      SkinVertex& b = garment.particles[static_cast<std::size_t>(spring->b)].point;
      const float mid[3] = {(a.x + b.x) / 2, (a.y + b.y) / 2, (a.z + b.z) / 2};
      a.x = b.x = mid[0];
      a.y = b.y = mid[1];
      a.z = b.z = mid[2];
      GarmentEdge stitch;
      stitch.a = spring->a;
      stitch.b = spring->b;
      stitch.rest = 0;
      stitch.kind = kStitchEdge;
      garment.edges.push_back(stitch);
    }
  }
  garment.drawParticles = garment.particles;
}

}  // namespace vestora
