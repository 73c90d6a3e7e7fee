#include "body/field.h"

#include <algorithm>
#include <limits>

namespace vestora::generate {
namespace {

// Cubic Hermite interpolation of the trunk keys with central-difference
// slopes (one-sided at the ends).
TrunkSection sectionAt(const std::vector<TrunkSection>& keys, double y) {
  if (y <= keys.front().y) return keys.front();
  if (y >= keys.back().y) return keys.back();
  std::size_t i = 0;
  while (i + 2 < keys.size() && keys[i + 1].y < y) ++i;
  const std::size_t last = keys.size() - 1;
  const double h = keys[i + 1].y - keys[i].y;
  const double t = (y - keys[i].y) / h;
  auto slope = [&](std::size_t j, double TrunkSection::*field) {
    const std::size_t lo = j == 0 ? 0 : j - 1, hi = j == last ? last : j + 1;
    return (keys[hi].*field - keys[lo].*field) / (keys[hi].y - keys[lo].y);
  };
  auto spline = [&](double TrunkSection::*field) {
    const double p1 = keys[i].*field, p2 = keys[i + 1].*field;
    const double m1 = slope(i, field) * h, m2 = slope(i + 1, field) * h;
    const double t2 = t * t, t3 = t2 * t;
    return (2 * t3 - 3 * t2 + 1) * p1 + (t3 - 2 * t2 + t) * m1 + (-2 * t3 + 3 * t2) * p2 +
           (t3 - t2) * m2;
  };
  TrunkSection s;
  s.y = y;
  s.halfWidth = spline(&TrunkSection::halfWidth);
  s.front = spline(&TrunkSection::front);
  s.back = spline(&TrunkSection::back);
  s.centreZ = spline(&TrunkSection::centreZ);
  return s;
}

// Approximate distance to an ellipse with half axes a, b (exact on the curve).
double ellipseDistance(double x, double z, double a, double b) {
  const double k0 = std::sqrt((x / a) * (x / a) + (z / b) * (z / b));
  const double k1 = std::sqrt((x / (a * a)) * (x / (a * a)) + (z / (b * b)) * (z / (b * b)));
  if (k1 < 1e-12) return -std::min(a, b);
  return k0 * (k0 - 1.0) / k1;
}

double ellipsoidDistance(const Vec3& q, const Vec3& r) {
  const double k0 = length(Vec3{q.x / r.x, q.y / r.y, q.z / r.z});
  const double k1 = length(Vec3{q.x / (r.x * r.x), q.y / (r.y * r.y), q.z / (r.z * r.z)});
  if (k1 < 1e-12) return -std::min(r.x, std::min(r.y, r.z));
  return k0 * (k0 - 1.0) / k1;
}

double roundConeDistance(const Vec3& p, const Vec3& a, const Vec3& b, double r1, double r2) {
  const Vec3 ba = b - a;
  const double l2 = dot(ba, ba);
  const double rr = r1 - r2;
  const double a2 = l2 - rr * rr;
  const double il2 = 1.0 / l2;
  const Vec3 pa = p - a;
  const double y = dot(pa, ba);
  const double z = y - l2;
  const Vec3 w = pa * l2 - ba * y;
  const double x2 = dot(w, w);
  const double y2 = y * y * l2;
  const double z2 = z * z * l2;
  const double k = (rr > 0 ? 1 : rr < 0 ? -1 : 0) * rr * rr * x2;
  if ((z > 0 ? 1 : z < 0 ? -1 : 0) * a2 * z2 > k) return std::sqrt(x2 + z2) * il2 - r2;
  if ((y > 0 ? 1 : y < 0 ? -1 : 0) * a2 * y2 < k) return std::sqrt(x2 + y2) * il2 - r1;
  return (std::sqrt(x2 * a2 * il2) + y * rr) * il2 - r1;
}

Rotation transpose(const Rotation& r) {
  Rotation t;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) t.m[3 * i + j] = r.m[3 * j + i];
  return t;
}

// Radius of a tube at arc length s: cubic Hermite through the point radii
// with central-difference slopes.
double tubeRadius(const Primitive& t, std::size_t segment, double s) {
  const auto& r = t.axisRadii;
  const auto& a = t.arc;
  const std::size_t last = r.size() - 1, i = segment;
  auto slope = [&](std::size_t j) {
    const std::size_t lo = j == 0 ? 0 : j - 1, hi = j == last ? last : j + 1;
    return (r[hi] - r[lo]) / (a[hi] - a[lo]);
  };
  const double h = a[i + 1] - a[i];
  const double u = std::clamp((s - a[i]) / h, 0.0, 1.0);
  const double u2 = u * u, u3 = u2 * u;
  return (2 * u3 - 3 * u2 + 1) * r[i] + (u3 - 2 * u2 + u) * slope(i) * h + (-2 * u3 + 3 * u2) * r[i + 1] +
         (u3 - u2) * slope(i + 1) * h;
}

}  // namespace

double Primitive::distance(const Vec3& p) const {
  switch (kind) {
    case Kind::RoundCone:
      return roundConeDistance(p, a, b, ra, rb);
    case Kind::Ellipsoid:
      return ellipsoidDistance(transpose(orientation) * (p - a), radii);
    case Kind::Trunk: {
      const TrunkSection s = sectionAt(sections, p.y);
      const double dz = p.z - s.centreZ;
      const double d = ellipseDistance(p.x, dz, s.halfWidth, dz >= 0 ? s.front : s.back);
      // Flat ends, rounded off by the blends with the neck and the legs.
      const double ends = std::max(sections.front().y - p.y, p.y - sections.back().y);
      return smoothMax(d, ends, 2.0);
    }
    case Kind::Tube: {
      double best = std::numeric_limits<double>::max();
      for (std::size_t i = 0; i + 1 < axis.size(); ++i) {
        const Vec3 ab = axis[i + 1] - axis[i];
        const double len2 = dot(ab, ab);
        const double u = std::clamp(dot(p - axis[i], ab) / len2, 0.0, 1.0);
        const Vec3 offset = p - (axis[i] + ab * u);
        const double reachBound = std::max(axisRadii[i], axisRadii[i + 1]) * 1.25 *
                                  (axisAspect.empty() ? 1.0 : std::max(axisAspect[i], axisAspect[i + 1]));
        const double offsetLength = std::sqrt(dot(offset, offset));
        if (offsetLength - reachBound > best) continue;  // this segment cannot come nearer
        const double radius = tubeRadius(*this, i, arc[i] + u * (arc[i + 1] - arc[i]));
        if (axisAspect.empty()) {
          best = std::min(best, offsetLength - radius);
          continue;
        }
        // Elliptic section: the depth axis is world z made square to the
        // axis. The section's radius in the direction of the offset is used
        // as for a round tube of that radius (beyond the ends the offset runs
        // along the axis too, which rounds the ends off).
        const Vec3 along = ab / std::sqrt(len2);
        const Vec3 depth = normalized(Vec3{0, 0, 1} - along * along.z);
        const Vec3 width = cross(along, depth);
        const double aspect = axisAspect[i] + (axisAspect[i + 1] - axisAspect[i]) * u;
        const double cx = dot(offset, width), cz = dot(offset, depth);
        const double planar2 = cx * cx + cz * cz;
        double reach = radius;
        if (planar2 > 1e-24) {
          const double across = radius, deep = radius * aspect;
          reach = across * deep * std::sqrt(planar2 / (deep * deep * cx * cx + across * across * cz * cz));
        }
        best = std::min(best, offsetLength - reach);
      }
      return best;
    }
  }
  return std::numeric_limits<double>::max();
}

Primitive roundCone(const Vec3& a, const Vec3& b, double ra, double rb) {
  Primitive p;
  p.kind = Primitive::Kind::RoundCone;
  p.a = a;
  p.b = b;
  p.ra = ra;
  p.rb = rb;
  p.boundCentre = (a + b) * 0.5;
  p.boundRadius = length(b - a) * 0.5 + std::max(ra, rb);
  return p;
}

Primitive ellipsoid(const Vec3& centre, const Vec3& radii, const Rotation& orientation) {
  Primitive p;
  p.kind = Primitive::Kind::Ellipsoid;
  p.a = centre;
  p.radii = radii;
  p.orientation = orientation;
  p.boundCentre = centre;
  p.boundRadius = std::max(radii.x, std::max(radii.y, radii.z));
  return p;
}

Primitive trunk(std::vector<TrunkSection> sections) {
  Primitive p;
  p.kind = Primitive::Kind::Trunk;
  double lo = sections.front().y, hi = sections.back().y, reach = 0;
  for (const auto& s : sections)
    reach = std::max(reach, std::max(s.halfWidth, std::max(s.front, s.back) + std::abs(s.centreZ)));
  p.sections = std::move(sections);
  p.boundCentre = {0, (lo + hi) / 2, 0};
  p.boundRadius = std::sqrt(((hi - lo) / 2) * ((hi - lo) / 2) + reach * reach) + 1.0;
  return p;
}

Primitive tube(std::vector<Vec3> axis, std::vector<double> radii, std::vector<double> aspect) {
  Primitive p;
  p.axisAspect = std::move(aspect);
  p.kind = Primitive::Kind::Tube;
  p.arc.assign(axis.size(), 0.0);
  for (std::size_t i = 1; i < axis.size(); ++i) p.arc[i] = p.arc[i - 1] + length(axis[i] - axis[i - 1]);
  Vec3 lo = axis.front(), hi = axis.front();
  for (const Vec3& v : axis)
    for (int k = 0; k < 3; ++k) lo[k] = std::min(lo[k], v[k]), hi[k] = std::max(hi[k], v[k]);
  p.boundCentre = (lo + hi) * 0.5;
  const double widest = p.axisAspect.empty() ? 1.0 : *std::max_element(p.axisAspect.begin(), p.axisAspect.end());
  p.boundRadius = length(hi - lo) * 0.5 + *std::max_element(radii.begin(), radii.end()) * std::max(1.0, widest);
  p.axis = std::move(axis);
  p.axisRadii = std::move(radii);
  return p;
}

double smoothMin(double a, double b, double k) {
  if (k <= 0) return std::min(a, b);
  const double h = std::max(k - std::abs(a - b), 0.0) / k;
  return std::min(a, b) - h * h * h * k * (1.0 / 6.0);
}

double smoothMax(double a, double b, double k) { return -smoothMin(-a, -b, k); }

void BodyField::add(Primitive primitive, Part part, double blend, bool carve) {
  Term t;
  t.primitive = std::move(primitive);
  t.part = part;
  t.blend = blend;
  t.carve = carve;
  terms_.push_back(std::move(t));
}

void BodyField::addPair(Primitive a, Part partA, Primitive b, Part partB, double innerBlend, double blend) {
  Term t;
  t.primitive = std::move(a);
  t.part = partA;
  t.blend = blend;
  t.carve = false;
  t.paired = true;
  t.second = std::move(b);
  t.secondPart = partB;
  t.innerBlend = innerBlend;
  // The bound of the pair holds both.
  const Vec3 c0 = t.primitive.boundCentre, c1 = t.second.boundCentre;
  const double r0 = t.primitive.boundRadius, r1 = t.second.boundRadius;
  const double d = length(c1 - c0);
  if (d + r1 > r0) {
    const double r = (d + r0 + r1) / 2;
    t.primitive.boundCentre = d > 0 ? c0 + (c1 - c0) * ((r - r0) / d) : c0;
    t.primitive.boundRadius = r;
  }
  terms_.push_back(std::move(t));
}

double BodyField::termDistance(const Term& t, const Vec3& p, PartMask mask) const {
  const bool first = mask & bit(t.part);
  if (!t.paired) return first ? t.primitive.distance(p) : std::numeric_limits<double>::max();
  const bool second = mask & bit(t.secondPart);
  if (first && second) return smoothMin(t.primitive.distance(p), t.second.distance(p), t.innerBlend);
  if (first) return t.primitive.distance(p);
  if (second) return t.second.distance(p);
  return std::numeric_limits<double>::max();
}

double BodyField::value(const Vec3& p, PartMask mask) const {
  double f = std::numeric_limits<double>::max();
  for (const Term& t : terms_) {
    if (!(mask & bit(t.part)) && !(t.paired && (mask & bit(t.secondPart)))) continue;
    // A primitive farther away than the blend reaches cannot change f.
    const double lowerBound = length(p - t.primitive.boundCentre) - t.primitive.boundRadius;
    if (t.carve) {
      if (lowerBound > t.blend - f) continue;
      f = smoothMax(f, -t.primitive.distance(p), t.blend);
    } else {
      if (lowerBound > f + t.blend) continue;
      const double d = termDistance(t, p, mask);
      f = f == std::numeric_limits<double>::max() ? d : smoothMin(f, d, t.blend);
    }
  }
  if (hasFloor_) f = smoothMax(f, floorY_ - p.y, floorBlend_);
  return f;
}

Vec3 BodyField::gradient(const Vec3& p, PartMask mask, double h) const {
  return {(value(p + Vec3{h, 0, 0}, mask) - value(p - Vec3{h, 0, 0}, mask)) / (2 * h),
          (value(p + Vec3{0, h, 0}, mask) - value(p - Vec3{0, h, 0}, mask)) / (2 * h),
          (value(p + Vec3{0, 0, h}, mask) - value(p - Vec3{0, 0, h}, mask)) / (2 * h)};
}

Part BodyField::nearestPart(const Vec3& p) const {
  double best = std::numeric_limits<double>::max();
  Part part = Part::Torso;
  for (const Term& t : terms_) {
    if (t.carve) continue;
    const double d = t.primitive.distance(p);
    if (d < best) {
      best = d;
      part = t.part;
    }
    if (t.paired && t.second.distance(p) < best) {
      best = t.second.distance(p);
      part = t.secondPart;
    }
  }
  return part;
}

Vec3 BodyField::project(Vec3 p, PartMask mask, int iterations, double maxStep) const {
  for (int i = 0; i < iterations; ++i) {
    const double f = value(p, mask);
    if (std::abs(f) < 1e-5) break;
    const Vec3 g = gradient(p, mask);
    const double g2 = dot(g, g);
    if (g2 < 1e-12) break;
    Vec3 step = g * (-f / g2);
    const double len = length(step);
    if (len > maxStep) step *= maxStep / len;
    p += step;
  }
  return p;
}

void BodyField::bounds(Vec3& lo, Vec3& hi) const {
  const double inf = std::numeric_limits<double>::max();
  lo = {inf, inf, inf};
  hi = {-inf, -inf, -inf};
  for (const Term& t : terms_) {
    if (t.carve) continue;
    for (int k = 0; k < 3; ++k) {
      lo[k] = std::min(lo[k], t.primitive.boundCentre[k] - t.primitive.boundRadius);
      hi[k] = std::max(hi[k], t.primitive.boundCentre[k] + t.primitive.boundRadius);
    }
  }
}

}  // namespace vestora::generate
