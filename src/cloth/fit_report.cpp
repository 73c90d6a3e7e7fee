#include "cloth/fit_report.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <unordered_map>

#include "body/measurement.h"
#include "body/section_length.h"

namespace vestora {

std::vector<float> particleStrain(std::span<const GarmentParticle> particles,
                                  std::span<const GarmentEdge> edges) {
  const std::size_t n = particles.size();
  std::vector<double> sum(n, 0.0);
  std::vector<std::int32_t> count(n, 0);
  for (const GarmentEdge& e : edges) {
    if (e.a < 0 || e.b < 0 || e.a == e.b || static_cast<std::size_t>(e.a) >= n ||
        static_cast<std::size_t>(e.b) >= n)
      continue;
    if (!(e.rest > kMinStrainRest) || !std::isfinite(e.rest)) continue;
    const SkinVertex& p = particles[e.a].point;
    const SkinVertex& q = particles[e.b].point;
    const double dx = double(q.x) - p.x, dy = double(q.y) - p.y, dz = double(q.z) - p.z;
    const double length = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (!std::isfinite(length)) continue;
    const double strain = length / e.rest - 1.0;
    sum[e.a] += strain, ++count[e.a];
    sum[e.b] += strain, ++count[e.b];
  }
  std::vector<float> out(n, 0.0f);
  for (std::size_t i = 0; i < n; ++i)
    if (count[i] > 0) out[i] = static_cast<float>(sum[i] / count[i]);
  return out;
}

std::vector<float> particleStrain(const GarmentMesh& garment) {
  return particleStrain(garment.particles, garment.edges);
}

StrainSummary summariseStrain(std::span<const float> strain) {
  std::vector<float> v;
  v.reserve(strain.size());
  for (float s : strain)
    if (!std::isnan(s)) v.push_back(s);
  if (v.empty()) return {};
  // Nearest rank, in whole percent so that no rounding moves a rank.
  auto percentile = [&v](std::size_t percent) {
    const std::size_t rank = std::max<std::size_t>(1, (percent * v.size() + 99) / 100);
    std::nth_element(v.begin(), v.begin() + (rank - 1), v.end());
    return v[rank - 1];
  };
  StrainSummary s;
  s.p50 = percentile(50);
  s.p95 = percentile(95);
  s.max = *std::max_element(v.begin(), v.end());
  return s;
}

Rgb8 fitMapColour(float strain) {
  if (std::isnan(strain)) return kFitMapStops[kFitMapStops.size() / 2].colour;
  const float s = std::clamp(strain, kFitMapStops.front().strain, kFitMapStops.back().strain);
  std::size_t i = 1;
  while (i + 1 < kFitMapStops.size() && s > kFitMapStops[i].strain) ++i;
  const FitMapStop& lo = kFitMapStops[i - 1];
  const FitMapStop& hi = kFitMapStops[i];
  const float t = (s - lo.strain) / (hi.strain - lo.strain);
  auto mix = [t](std::uint8_t a, std::uint8_t b) {
    return static_cast<std::uint8_t>(std::lround(a + t * (float(b) - float(a))));
  };
  return {mix(lo.colour.r, hi.colour.r), mix(lo.colour.g, hi.colour.g),
          mix(lo.colour.b, hi.colour.b)};
}

namespace {

const Vec3f kUp{0, 1, 0};

// A horizontal section of the garment: the points where its triangles'
// edges cross the plane (one per mesh edge) and the segments that join them
// within each triangle.
struct GarmentSection {
  std::vector<Vec3f> points;
  std::vector<std::array<int, 2>> segments;
};

GarmentSection sectionGarment(std::span<const GarmentParticle> particles,
                              std::span<const GarmentTriangle> triangles, float y) {
  GarmentSection s;
  const std::size_t n = particles.size();
  auto side = [&](std::int32_t v) {
    const float d = particles[v].point.y - y;
    return d == 0 ? 1e-12f : d;  // a particle on the plane counts as above it
  };
  std::unordered_map<std::uint64_t, int> pointOfEdge;
  auto pointOn = [&](std::int32_t a, std::int32_t b) {
    const std::uint64_t key = a < b ? (std::uint64_t(a) << 32) | std::uint32_t(b)
                                    : (std::uint64_t(b) << 32) | std::uint32_t(a);
    auto [it, inserted] = pointOfEdge.try_emplace(key, static_cast<int>(s.points.size()));
    if (inserted) {
      const float sa = side(a), sb = side(b);
      const float t = sa / (sa - sb);
      const SkinVertex& pa = particles[a].point;
      const SkinVertex& pb = particles[b].point;
      s.points.push_back({pa.x + (pb.x - pa.x) * t, y, pa.z + (pb.z - pa.z) * t});
    }
    return it->second;
  };
  auto usable = [&](std::int32_t v) {
    if (v < 0 || static_cast<std::size_t>(v) >= n) return false;
    const SkinVertex& p = particles[v].point;
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
  };
  for (const GarmentTriangle& t : triangles) {
    if (!usable(t.vertex[0]) || !usable(t.vertex[1]) || !usable(t.vertex[2])) continue;
    int ends[2], count = 0;
    for (int e = 0; e < 3 && count < 2; ++e) {
      const std::int32_t a = t.vertex[e], b = t.vertex[(e + 1) % 3];
      if (a != b && (side(a) > 0) != (side(b) > 0)) ends[count++] = pointOn(a, b);
    }
    if (count == 2 && ends[0] != ends[1]) s.segments.push_back({ends[0], ends[1]});
  }
  return s;
}

int findRoot(std::vector<int>& parent, int i) {
  while (parent[i] != i) i = parent[i] = parent[parent[i]];
  return i;
}

float planeDistance2(const Vec3f& p, const Vec3f& a, const Vec3f& b) {
  const float ux = b.x - a.x, uz = b.z - a.z;
  const float wx = p.x - a.x, wz = p.z - a.z;
  const float uu = ux * ux + uz * uz;
  const float t = uu > 0 ? std::clamp((wx * ux + wz * uz) / uu, 0.0f, 1.0f) : 0.0f;
  const float dx = wx - t * ux, dz = wz - t * uz;
  return dx * dx + dz * dz;
}

float loopDistance2(const Vec3f& p, const SectionLoop& loop) {
  float best = std::numeric_limits<float>::infinity();
  const std::size_t n = loop.points.size();
  for (std::size_t i = 0; i < n; ++i)
    best = std::min(best, planeDistance2(p, loop.points[i], loop.points[(i + 1) % n]));
  return best;
}

// The largest angle (degrees) round `centre` that no segment covers.
float widestGap(const GarmentSection& s, const std::vector<char>& kept, const Vec3f& centre) {
  constexpr int kBins = 720;
  constexpr float kTwoPi = 6.28318530718f;
  std::vector<char> covered(kBins, 0);
  auto angle = [&](const Vec3f& p) {
    const float a = std::atan2(p.z - centre.z, p.x - centre.x);
    return a < 0 ? a + kTwoPi : a;
  };
  for (std::size_t k = 0; k < s.segments.size(); ++k) {
    if (!kept[k]) continue;
    float a0 = angle(s.points[s.segments[k][0]]), a1 = angle(s.points[s.segments[k][1]]);
    if (a1 < a0) std::swap(a0, a1);
    // The shorter way round between the two ends.
    if (a1 - a0 > kTwoPi / 2) std::swap(a0, a1), a1 += kTwoPi;
    const int first = static_cast<int>(a0 / kTwoPi * kBins);
    const int last = static_cast<int>(a1 / kTwoPi * kBins);
    for (int b = first; b <= last; ++b) covered[((b % kBins) + kBins) % kBins] = 1;
  }
  const auto start = std::find(covered.begin(), covered.end(), 1);
  if (start == covered.end()) return 360.0f;
  int widest = 0, run = 0;
  const int from = static_cast<int>(start - covered.begin());
  for (int i = 1; i <= kBins; ++i) {
    if (covered[(from + i) % kBins]) {
      run = 0;
    } else {
      widest = std::max(widest, ++run);
    }
  }
  return widest * 360.0f / kBins;
}

// The tape round the garment over the trunk in the plane at height y
// (model units), or nullopt; see fit_report.h.
std::optional<float> garmentTapeAt(const Avatar& avatar, const LevelIndex& levels,
                                   const GarmentMesh& garment, float y, float trunkZ) {
  const std::vector<SectionLoop> body = sectionLoops(avatar, {0, y, 0}, kUp, &levels);
  // The trunk's loop, chosen as the measurement chooses it.
  const Vec3f inside{0, y, trunkZ};
  int trunk = -1;
  for (std::size_t i = 0; i < body.size(); ++i) {
    if (body[i].points.size() < 3 || !body[i].encloses(inside, kUp)) continue;
    if (trunk < 0 || body[i].length() < body[trunk].length()) trunk = static_cast<int>(i);
  }
  if (trunk < 0) return std::nullopt;

  const GarmentSection section = sectionGarment(garment.particles, garment.triangles, y);
  if (section.segments.empty()) return std::nullopt;
  // Connected pieces of the section; each goes with the body loop most of
  // its length lies nearest to.
  std::vector<int> parent(section.points.size());
  std::iota(parent.begin(), parent.end(), 0);
  for (const auto& seg : section.segments)
    parent[findRoot(parent, seg[0])] = findRoot(parent, seg[1]);
  std::vector<float> vote(section.points.size(), 0.0f);  // by root: trunk length − other length
  for (const auto& seg : section.segments) {
    const Vec3f& a = section.points[seg[0]];
    const Vec3f& b = section.points[seg[1]];
    const Vec3f mid{(a.x + b.x) / 2, y, (a.z + b.z) / 2};
    const float toTrunk = loopDistance2(mid, body[trunk]);
    bool nearTrunk = true;
    for (std::size_t i = 0; i < body.size() && nearTrunk; ++i)
      if (static_cast<int>(i) != trunk && body[i].points.size() >= 2 &&
          loopDistance2(mid, body[i]) < toTrunk)
        nearTrunk = false;
    const float length = std::hypot(b.x - a.x, b.z - a.z);
    vote[findRoot(parent, seg[0])] += nearTrunk ? length : -length;
  }
  std::vector<char> kept(section.segments.size(), 0);
  SectionLoop tape;
  std::vector<char> taken(section.points.size(), 0);
  for (std::size_t k = 0; k < section.segments.size(); ++k) {
    if (vote[findRoot(parent, section.segments[k][0])] <= 0) continue;
    kept[k] = 1;
    for (int end : section.segments[k])
      if (!taken[end]) taken[end] = 1, tape.points.push_back(section.points[end]);
  }
  if (tape.points.size() < 3) return std::nullopt;

  Vec3f centre{0, y, 0};
  for (const Vec3f& p : body[trunk].points) centre.x += p.x, centre.z += p.z;
  centre.x /= body[trunk].points.size();
  centre.z /= body[trunk].points.size();
  if (widestGap(section, kept, centre) > kMaxEaseGapDegrees) return std::nullopt;
  return tape.tapeLength(kUp);
}

}  // namespace

EaseReport fitReport(const Avatar& avatar, const GarmentMesh& garment) {
  EaseReport report;
  report.strain = summariseStrain(particleStrain(garment));
  if (!avatar.loaded() || garment.empty() || !(avatar.unitScale() > 0)) return report;
  const MeasureResults body =
      measureAvatar(avatar, MeasureWanted().set(kChest).set(kWaist).set(kHip));
  if (!body.measured) return report;
  const LevelIndex levels(avatar);
  auto ease = [&](float y, float girthCm) -> std::optional<float> {
    if (!(girthCm > 0)) return std::nullopt;
    const auto tape = garmentTapeAt(avatar, levels, garment, y, body.trunkZ);
    if (!tape) return std::nullopt;
    return *tape / avatar.unitScale() - girthCm;
  };
  report.bust = ease(body.chestY, body.value[kChest]);
  report.waist = ease(body.waistY, body.value[kWaist]);
  report.hip = ease(body.hipY, body.value[kHip]);
  return report;
}

}  // namespace vestora
