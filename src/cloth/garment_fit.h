// Hanging the worn garment on the body and making it follow the body: every
// particle is bound to its nearest body sample with its offset and the
// sample's normal; whenever the body changes each particle is put back at
// its sample plus the (turned, widened) offset, and the mesh is relaxed by
// rounds of pushing particles out of the body and limiting the stretch of
// its springs.
#pragma once

#include <cmath>
#include <span>
#include <vector>

#include "cloth/body_surface.h"
#include "cloth/garment_mesh.h"

namespace vestora {

inline constexpr float kBindRadius = 100.0f;        // start of the nearest-sample search
inline constexpr float kNormalTolerance = 0.0001f;  // per component
inline constexpr float kWideningPosed = 1.08f;
inline constexpr float kWideningStanding = 1.15f;
inline constexpr int kRelaxRounds = 5;
inline constexpr float kStretchTolerance = 0.2f;  // springs kept within 0.8 … 1.2 × rest
inline constexpr float kSideShift = 0.02f;
inline constexpr float kSlabHalfHeight =
    2.0f;  // collision candidates lie within ±2 of the particle's y
inline constexpr float kContactThreshold = 0.1f;
inline constexpr float kPushStep = 0.1f;

// How the nearest body sample is found: through the body's index, or by a
// plain scan over all samples (the reference the index is checked against;
// both give the same sample in every case).
enum class SampleSearch { Indexed, Scan };

// Binds every particle to its nearest body sample. A particle with no sample
// within kBindRadius is marked unbound (it stays where it is at every fit).
// Does not change hasBinding.
void BindGarmentToBody(GarmentMesh& garment, const BodySurface& body,
                       SampleSearch search = SampleSearch::Indexed);

// Places every bound particle from its binding on the body as it is now,
// relaxes the mesh, publishes it to drawParticles and releases the
// mass-spring system. Does nothing unless the garment is bound and has
// particles.
void FitGarmentToBody(GarmentMesh& garment, const BodySurface& body,
                      SampleSearch search = SampleSearch::Indexed);

// Five rounds of collision push-out and stretch limiting, then the side
// shift along z.
// `hints` (empty, or one per particle) are samples likely to be nearest to
// each particle; the passes update them. They speed the searches up and
// never change a result.
void RelaxGarment(std::vector<GarmentParticle>& particles, const std::vector<GarmentEdge>& edges,
                  const BodySurface& body, SampleSearch search = SampleSearch::Indexed,
                  std::span<std::int32_t> hints = {});

// One sweep over the edges in order, correcting positions in place.
void LimitStretch(float tau, std::vector<GarmentParticle>& particles,
                  const std::vector<GarmentEdge>& edges);

// The same sweep over any particles: pointOf(i) is particle i's position
// (anything with x, y, z floats), held(i) whether it is held in place (its
// partner then takes the whole correction; two held ends stay). n is the
// particle count; edges naming other particles are skipped.
template <class PointOf, class Held>
void LimitStretchOver(float tau, std::int32_t n, const std::vector<GarmentEdge>& edges,
                      PointOf pointOf, Held held) {
  const float longest = 1.0f + tau;
  const float shortest = 1.0f - tau;
  for (const GarmentEdge& edge : edges) {
    if (edge.a < 0 || edge.b < 0 || edge.a >= n || edge.b >= n || edge.a == edge.b) continue;
    auto& pa = pointOf(edge.a);
    auto& pb = pointOf(edge.b);
    const float d[3] = {pa.x - pb.x, pa.y - pb.y, pa.z - pb.z};
    const float length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    // Coincident ends give no direction to correct along.
    if (!(length > 0) || !std::isfinite(length)) continue;
    float e;
    if (length > edge.rest * longest) {
      e = length - edge.rest * longest;
    } else if (length < edge.rest * shortest) {
      e = length - edge.rest * shortest;
    } else {
      continue;
    }
    const bool heldA = held(edge.a), heldB = held(edge.b);
    const float u[3] = {d[0] / length, d[1] / length, d[2] / length};
    float moveA = 0, moveB = 0;
    if (!heldA && !heldB) {
      moveA = e / 2;
      moveB = e / 2;
    } else if (heldA && !heldB) {
      moveB = e;
    } else if (!heldA && heldB) {
      moveA = e;
    }
    pa.x -= u[0] * moveA;
    pa.y -= u[1] * moveA;
    pa.z -= u[2] * moveA;
    pb.x += u[0] * moveB;
    pb.y += u[1] * moveB;
    pb.z += u[2] * moveB;
  }
}

// One collision pass: each particle behind (or almost in) the tangent plane
// of its nearest body sample within its slab moves kPushStep along that
// sample's normal.
void PushOutOfBody(std::vector<GarmentParticle>& particles, const BodySurface& body,
                   SampleSearch search = SampleSearch::Indexed, std::span<std::int32_t> hints = {});

// The offset of a binding carried from the normal it was bound with to the
// body's normal now (the rotation about their cross product); unchanged when
// any component agrees within kNormalTolerance or the turn is undefined.
Vec3 turnOffset(const Vec3& offset, const Vec3& boundNormal, const Vec3& normalNow);

}  // namespace vestora
