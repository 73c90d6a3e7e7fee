#include "cloth/garment_fit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <thread>

#include "avatar/matrix.h"
#include "cloth/cloth_build.h"

namespace vestora {

namespace {

// Runs body(chunk, i) for every i in [0, n), on two threads when the
// machine has more than one core and the work is worth a thread. The
// threads take alternate blocks, so that the work stays even however it
// varies along the garment (a skirt's hem is far from the body and costs
// more than a bodice). The reference searches run as written, on one thread.
template <class Body>
void forEachParticle(std::size_t n, SampleSearch search, Body body) {
  static const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  constexpr std::size_t kMinPerThread = 512;
  constexpr std::size_t kBlock = 64;
  if (search == SampleSearch::Scan || cores < 2 || n < 2 * kMinPerThread) {
    for (std::size_t i = 0; i < n; ++i) body(0, i);
    return;
  }
  auto run = [&](int chunk) {
    for (std::size_t start = chunk * kBlock; start < n; start += 2 * kBlock) {
      const std::size_t end = std::min(n, start + kBlock);
      for (std::size_t i = start; i < end; ++i) body(chunk, i);
    }
  };
  std::thread helper([&] { run(1); });
  run(0);
  helper.join();
}

// How much farther than its nearest sample the samples round a particle are
// gathered: enough for a particle that the stretch limiting moves a little;
// one pushed out of the body (0.1 a round) gathers afresh.
constexpr float kNeighbourhoodMargin = 0.1f;

// The samples round each particle, gathered at the particle's first search
// of a relaxation. While a particle stays close to where they were
// gathered, every sample at least as near to it as its last nearest one is
// among them, so the later searches scan only these and find exactly what a
// search over the whole body finds.
class SampleNeighbourhoods {
 public:
  explicit SampleNeighbourhoods(std::size_t n)
      : centre_(n), reach_(n, -1.0f), chunk_(n), first_(n), count_(n) {}

  NearestSample find(const BodySurface& body, std::size_t i, const Vec3& p, std::int32_t hint,
                     int chunk) {
    if (reach_[i] >= 0 && hint >= 0 && static_cast<std::size_t>(hint) < body.size()) {
      const Vec3& s = body.sample(hint);
      const float slabLo = p[1] - kSlabHalfHeight, slabHi = p[1] + kSlabHalfHeight;
      if (slabLo < s[1] && s[1] < slabHi) {
        const float bound = BodySurface::distance(p, s);
        const float moved = BodySurface::distance(p, centre_[i]);
        if (bound + moved <= reach_[i] * (1 - 1e-5f) - 1e-6f) {
          const std::vector<std::int32_t>& pool = pools_[chunk_[i]];
          return body.nearestInSlabAmong(p, kBindRadius, kSlabHalfHeight,
                                         std::span(pool).subspan(first_[i], count_[i]), hint);
        }
      }
    }
    const NearestSample found = body.nearestInSlab(p, kBindRadius, kSlabHalfHeight, hint);
    if (found.index >= 0) {
      std::vector<std::int32_t>& pool = pools_[chunk];
      const auto first = static_cast<std::int32_t>(pool.size());
      const float reach = found.distance + kNeighbourhoodMargin;
      body.gatherWithin(p, reach, pool);
      centre_[i] = p;
      reach_[i] = reach;
      chunk_[i] = chunk;
      first_[i] = first;
      count_[i] = static_cast<std::int32_t>(pool.size()) - first;
    }
    return found;
  }

 private:
  std::vector<Vec3> centre_;
  std::vector<float> reach_;  // −1 until gathered
  std::vector<std::int32_t> chunk_, first_, count_;
  std::array<std::vector<std::int32_t>, 2> pools_;
};

Vec3 positionOf(const GarmentParticle& p) {
  return {p.point.x, p.point.y, p.point.z};
}

void pushOut(std::vector<GarmentParticle>& particles, const BodySurface& body, SampleSearch search,
             std::span<std::int32_t> hints, SampleNeighbourhoods* neighbourhoods);

}  // namespace

Vec3 turnOffset(const Vec3& offset, const Vec3& n0, const Vec3& n1) {
  if (std::fabs(n1[0] - n0[0]) <= kNormalTolerance ||
      std::fabs(n1[1] - n0[1]) <= kNormalTolerance ||
      std::fabs(n1[2] - n0[2]) <= kNormalTolerance) {
    return offset;
  }
  const Vec3 axis{n0[1] * n1[2] - n0[2] * n1[1], n0[2] * n1[0] - n0[0] * n1[2],
                  n0[0] * n1[1] - n0[1] * n1[0]};
  const float length = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
  // A zero normal, or normals that are parallel: no defined axis to turn about.
  if (!(length > 0) || !std::isfinite(length)) return offset;
  const float cosine = std::clamp(n0[0] * n1[0] + n0[1] * n1[1] + n0[2] * n1[2], -1.0f, 1.0f);
  const float degrees = static_cast<float>(std::acos(cosine) * 180.0 / std::numbers::pi);
  const Mat4 turn = Mat4::rotation(degrees, axis[0] / length, axis[1] / length, axis[2] / length);
  return turn.transformPoint(offset);
}

void BindGarmentToBody(GarmentMesh& garment, const BodySurface& body, SampleSearch search) {
  if (garment.particles.empty()) return;
  garment.bindings.resize(garment.particles.size());
  forEachParticle(garment.particles.size(), search, [&](int, std::size_t i) {
    const Vec3 p = positionOf(garment.particles[i]);
    const NearestSample found = search == SampleSearch::Indexed ? body.nearest(p, kBindRadius)
                                                                : body.scanNearest(p, kBindRadius);
    BodyBinding& binding = garment.bindings[i];
    if (found.index < 0) {
      binding = BodyBinding{};
      binding.sample = kUnbound;
      return;
    }
    const Vec3& s = body.sample(found.index);
    const Vec3& n = body.normal(found.index);
    binding.offset = {p[0] - s[0], p[1] - s[1], p[2] - s[2]};
    binding.normalZ = n[2];
    binding.normalX = n[0];
    binding.normalY = n[1];
    binding.sample = found.index;
  });
}

void FitGarmentToBody(GarmentMesh& garment, const BodySurface& body, SampleSearch search) {
  if (!garment.hasBinding || garment.particles.empty()) return;
  const std::size_t n = std::min(garment.particles.size(), garment.bindings.size());
  const auto samples = static_cast<std::int32_t>(body.size());
  const float widening = body.standingPose ? kWideningStanding : kWideningPosed;
  for (std::size_t i = 0; i < n; ++i) {
    const BodyBinding& binding = garment.bindings[i];
    const std::int32_t k = binding.sample;
    if (k < 0 || k >= samples) continue;  // unbound, or bound to a body it no longer has
    Vec3 o = binding.offset;
    if (!body.standingPose) {
      o = turnOffset(o, {binding.normalX, binding.normalY, binding.normalZ}, body.normal(k));
    }
    const Vec3& s = body.sample(k);
    const Vec3& d = body.displacement(k);
    const Vec3 p{widening * o[0] + s[0] + d[0], widening * o[1] + s[1] + d[1],
                 widening * o[2] + s[2] + d[2]};
    if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2])) continue;
    SkinVertex& point = garment.particles[i].point;
    point.x = p[0];
    point.y = p[1];
    point.z = p[2];
  }
  // Each particle's own sample is the natural first guess for its searches.
  std::vector<std::int32_t> hints(garment.particles.size(), -1);
  for (std::size_t i = 0; i < n; ++i) hints[i] = garment.bindings[i].sample;
  RelaxGarment(garment.particles, garment.edges, body, search, hints);
  garment.drawParticles = garment.particles;
  ReleaseClothSystem(garment);
}

void RelaxGarment(std::vector<GarmentParticle>& particles, const std::vector<GarmentEdge>& edges,
                  const BodySurface& body, SampleSearch search, std::span<std::int32_t> hints) {
  std::vector<std::int32_t> ownHints;
  if (hints.size() != particles.size()) {
    ownHints.assign(particles.size(), -1);
    hints = ownHints;
  }
  SampleNeighbourhoods neighbourhoods(particles.size());
  for (int round = 0; round < kRelaxRounds; ++round) {
    pushOut(particles, body, search, hints,
            search == SampleSearch::Indexed ? &neighbourhoods : nullptr);
    LimitStretch(kStretchTolerance, particles, edges);
  }
  for (GarmentParticle& p : particles) p.point.z += p.side == kSideFront ? -kSideShift : kSideShift;
}

void LimitStretch(float tau, std::vector<GarmentParticle>& particles,
                  const std::vector<GarmentEdge>& edges) {
  LimitStretchOver(
      tau, static_cast<std::int32_t>(particles.size()), edges,
      [&](std::int32_t i) -> SkinVertex& { return particles[static_cast<std::size_t>(i)].point; },
      [&](std::int32_t i) { return particles[static_cast<std::size_t>(i)].fixed != 0; });
}

void PushOutOfBody(std::vector<GarmentParticle>& particles, const BodySurface& body,
                   SampleSearch search, std::span<std::int32_t> hints) {
  pushOut(particles, body, search, hints, nullptr);
}

namespace {

void pushOut(std::vector<GarmentParticle>& particles, const BodySurface& body, SampleSearch search,
             std::span<std::int32_t> hints, SampleNeighbourhoods* neighbourhoods) {
  const bool hinted = hints.size() == particles.size();
  forEachParticle(particles.size(), search, [&](int chunk, std::size_t i) {
    GarmentParticle& particle = particles[i];
    particle.contact = 0;
    const Vec3 p = positionOf(particle);
    const std::int32_t hint = hinted ? hints[i] : -1;
    const NearestSample found =
        search == SampleSearch::Scan ? body.scanNearestInSlab(p, kBindRadius, kSlabHalfHeight)
        : neighbourhoods             ? neighbourhoods->find(body, i, p, hint, chunk)
                                     : body.nearestInSlab(p, kBindRadius, kSlabHalfHeight, hint);
    if (hinted && found.index >= 0) hints[i] = found.index;
    if (found.index < 0) return;
    const Vec3& s = body.sample(found.index);
    const Vec3& n = body.normal(found.index);
    // A particle on its sample has no direction from it: it counts as lying
    // in the tangent plane and is pushed out.
    float facing = 0;
    if (found.distance > 0) {
      const float u[3] = {(p[0] - s[0]) / found.distance, (p[1] - s[1]) / found.distance,
                          (p[2] - s[2]) / found.distance};
      facing = u[0] * n[0] + u[1] * n[1] + u[2] * n[2];
    }
    if (facing < kContactThreshold) {
      particle.point.x = p[0] + kPushStep * n[0];
      particle.point.y = p[1] + kPushStep * n[1];
      particle.point.z = p[2] + kPushStep * n[2];
    }
  });
}

}  // namespace

}  // namespace vestora
