// Checks shared by the garment-file fuzz targets: what every garment a
// reader accepts must satisfy, and which fields must survive a file.
#pragma once

#include <cmath>
#include <cstring>

#include "cloth/garment_files.h"
#include "fuzz_check.h"

namespace vestora::fuzz {

inline bool inRange(std::int32_t particle, const GarmentMesh& g) {
  return particle >= 0 && particle < g.particleCount();
}

// Every reference names a particle, every coordinate is finite and the
// per-particle arrays have one entry per particle.
inline void checkAccepted(GarmentMesh& g) {
  const std::size_t n = g.particles.size();
  VESTORA_FUZZ_CHECK(g.drawParticles.size() == n && g.contacts.size() == n,
                     "per-particle copies have another size");
  VESTORA_FUZZ_CHECK(g.sourceTriangles.size() == g.triangles.size(), "source triangles missing");
  VESTORA_FUZZ_CHECK(!g.hasBinding || g.bindings.size() == n, "not one binding per particle");
  VESTORA_FUZZ_CHECK(g.hasBinding || g.bindings.empty(), "bindings without the flag");
  for (const GarmentParticle& p : g.particles) {
    VESTORA_FUZZ_CHECK(p.neighbourCount >= 0 && p.neighbourCount <= kMaxNeighbours,
                       "neighbour count out of range");
    for (std::int32_t k = 0; k < p.neighbourCount; ++k)
      VESTORA_FUZZ_CHECK(inRange(p.neighbours[k], g), "neighbour outside the garment");
    for (float f : {p.point.x, p.point.y, p.point.z, p.point.u, p.point.v})
      VESTORA_FUZZ_CHECK(std::isfinite(f), "coordinate not finite");
    VESTORA_FUZZ_CHECK(std::memcmp(&p.rest, &p.point, sizeof p.rest) == 0, "rest copy differs");
    VESTORA_FUZZ_CHECK(p.piece <= kMaxPieceNumber, "piece number too large");
    VESTORA_FUZZ_CHECK(p.seamPartner == -1 || inRange(p.seamPartner, g), "seam partner outside");
  }
  for (const GarmentTriangle& t : g.triangles)
    for (std::int32_t v : t.vertex) VESTORA_FUZZ_CHECK(inRange(v, g), "triangle outside");
  for (const GarmentEdge& e : g.edges) {
    VESTORA_FUZZ_CHECK(inRange(e.a, g) && inRange(e.b, g) && e.a != e.b, "bad edge accepted");
    VESTORA_FUZZ_CHECK(std::isfinite(e.rest), "rest length not finite");
  }
  for (const SeamPair& s : g.seams)
    VESTORA_FUZZ_CHECK(inRange(s.a, g) && inRange(s.b, g), "seam outside");
  VESTORA_FUZZ_CHECK(g.workingSeams.size() == g.seams.size(), "working seams differ");
  for (const auto& list : g.pieces)
    VESTORA_FUZZ_CHECK(list.size() == g.pieces[0].size(), "piece lists differ");
}

inline bool sameParticles(const GarmentMesh& a, const GarmentMesh& b) {
  if (a.particles.size() != b.particles.size()) return false;
  for (std::size_t i = 0; i < a.particles.size(); ++i) {
    const GarmentParticle& p = a.particles[i];
    const GarmentParticle& q = b.particles[i];
    if (p.point.x != q.point.x || p.point.y != q.point.y || p.point.z != q.point.z ||
        p.point.u != q.point.u || p.point.v != q.point.v || p.neighbourCount != q.neighbourCount ||
        p.neighbours != q.neighbours || p.attribute0 != q.attribute0 ||
        p.attribute1 != q.attribute1 || p.attribute2 != q.attribute2 || p.piece != q.piece ||
        p.side != q.side || p.seamFlag != q.seamFlag || p.seamPartner != q.seamPartner)
      return false;
  }
  return true;
}

inline bool sameTopology(const GarmentMesh& a, const GarmentMesh& b) {
  if (a.triangles.size() != b.triangles.size() || a.edges.size() != b.edges.size() ||
      a.seams.size() != b.seams.size())
    return false;
  for (std::size_t t = 0; t < a.triangles.size(); ++t)
    if (a.triangles[t].vertex != b.triangles[t].vertex ||
        a.triangles[t].piece != b.triangles[t].piece || a.triangles[t].uv != b.triangles[t].uv ||
        a.triangles[t].hasUv != b.triangles[t].hasUv)
      return false;
  for (std::size_t e = 0; e < a.edges.size(); ++e)
    if (a.edges[e].a != b.edges[e].a || a.edges[e].b != b.edges[e].b ||
        a.edges[e].rest != b.edges[e].rest)
      return false;
  for (std::size_t s = 0; s < a.seams.size(); ++s)
    if (a.seams[s].a != b.seams[s].a || a.seams[s].b != b.seams[s].b ||
        a.seams[s].seam != b.seams[s].seam)
      return false;
  return true;
}

}  // namespace vestora::fuzz
