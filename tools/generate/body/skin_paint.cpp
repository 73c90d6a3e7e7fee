#include "body/skin_paint.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <thread>

namespace vestora::generate {
namespace {

using texture::Colour;
using texture::mix;
using texture::scale;

constexpr double kPi = 3.14159265358979323846;

// Smooth value noise in space, about -1 to 1, one lattice cell per unit.
double noise3(std::uint64_t seed, const Vec3& p) {
  const double fx = std::floor(p.x), fy = std::floor(p.y), fz = std::floor(p.z);
  const std::int64_t ix = static_cast<std::int64_t>(fx), iy = static_cast<std::int64_t>(fy),
                     iz = static_cast<std::int64_t>(fz);
  auto fade = [](double t) { return t * t * t * (t * (t * 6 - 15) + 10); };
  const double u = fade(p.x - fx), v = fade(p.y - fy), w = fade(p.z - fz);
  auto at = [&](std::int64_t x, std::int64_t y, std::int64_t z) {
    return 2 * texture::hashUnit(seed, x * 92821 + y, z) - 1;
  };
  auto lerp1 = [](double a, double b, double t) { return a + (b - a) * t; };
  const double x00 = lerp1(at(ix, iy, iz), at(ix + 1, iy, iz), u);
  const double x10 = lerp1(at(ix, iy + 1, iz), at(ix + 1, iy + 1, iz), u);
  const double x01 = lerp1(at(ix, iy, iz + 1), at(ix + 1, iy, iz + 1), u);
  const double x11 = lerp1(at(ix, iy + 1, iz + 1), at(ix + 1, iy + 1, iz + 1), u);
  return lerp1(lerp1(x00, x10, v), lerp1(x01, x11, v), w);
}

// A few octaves of noise3, the coarsest `cell` centimetres across.
double fractal3(std::uint64_t seed, const Vec3& p, double cell, int octaves) {
  double sum = 0, weight = 1, total = 0, size = cell;
  for (int o = 0; o < octaves; ++o) {
    sum += weight * noise3(seed + 977 * o, p / size);
    total += weight;
    weight *= 0.5;
    size *= 0.5;
  }
  return sum / total;
}

double gaussian(double d2, double sigma) {
  return std::exp(-d2 / (2 * sigma * sigma));
}

double square(double x) {
  return x * x;
}

// The point of the body a texel shows.
struct SkinPoint {
  Vec3 p, n;
  double hollow = 0;  // 0 on smooth or rounded skin, towards 1 in creases
  SkinChart chart = SkinChart::Trunk;
};

class Painter {
 public:
  Painter(const FigureModel& f, const SkinLook& look) : s_(f.shape), look_(look) {
    leftEye_ = eyeCentre(s_);
    leftHand_ = handFrame(s_, true);
  }

  Colour skin(const SkinPoint& q) const {
    const std::uint64_t seed = look_.seed;
    Colour c = look_.skin;
    // Broad, soft unevenness of tone, a mottle of warmer patches and the
    // fine grain of the skin.
    c = scale(c, 1 + 0.035 * fractal3(seed, q.p, 14.0, 3));
    c = mix(c, look_.flush, 0.18 * std::max(0.0, fractal3(seed + 11, q.p, 3.0, 2)));
    c = scale(c, 1 + 0.018 * noise3(seed + 23, q.p / 0.16));
    c = mix(c, look_.flush, flushAt(q));
    // Creases and hollows are a little darker and warmer.
    c = mix(c, scale(look_.flush, 0.72), 0.35 * q.hollow);
    if (q.chart == SkinChart::Hand) c = nails(q, c);
    // The face's colours run on past the head's picture into the neck.
    if (q.p.y > s_.headTop.y - s_.head.headHeight - 8.0) c = face(q, c);
    return underwear(q, c);
  }

  Colour eyeball(double alpha, double phi) const {
    // alpha: angle from the front of the eye; phi: round it, 0 towards the
    // figure's left, π/2 up.
    const double iris = 0.56, pupil = 0.2;
    const double dx = std::sin(alpha) * std::cos(phi), dy = std::sin(alpha) * std::sin(phi);
    const std::uint64_t seed = look_.seed + 101;
    Colour white{240, 236, 231};
    white = mix(white, Colour{226, 190, 182}, texture::smoothstep(1.0, 1.6, alpha));
    white = mix(white, Colour{205, 120, 115},
                0.25 * texture::smoothstep(0.55, 0.9, noise3(seed, {phi * 6, alpha * 9, 0})) *
                    texture::smoothstep(0.9, 1.4, alpha));
    Colour c = white;
    if (alpha < iris + 0.03) {
      const double r = alpha / iris;
      const double fibres = noise3(seed + 7, {std::cos(phi) * 9, std::sin(phi) * 9, r * 3.0});
      Colour ir = scale(look_.iris, 1 + 0.22 * fibres);
      ir = mix(ir, scale(look_.iris, 1.45),
               0.45 * gaussian(square(r - 0.5), 0.12));                         // the collarette
      ir = mix(ir, scale(look_.iris, 0.45), texture::smoothstep(0.8, 1.0, r));  // the limbal ring
      ir = mix(ir, Colour{14, 11, 11},
               1 - texture::smoothstep(pupil / iris - 0.04, pupil / iris + 0.03, r));
      c = mix(ir, white, texture::smoothstep(iris - 0.005, iris + 0.03, alpha));
    }
    // The upper lid's shadow on the eye.
    c = scale(c, 1 - 0.3 * texture::smoothstep(0.1, 0.4, dy));
    // Catch lights: the window up and to one side, and a faint second one.
    const double d1 = square(dx - 0.19) + square(dy - 0.23);
    const double d2 = square(dx + 0.15) + square(dy + 0.14);
    c = mix(c, Colour{255, 255, 255}, 0.95 * (1 - texture::smoothstep(0.0035, 0.0065, d1)));
    c = mix(c, Colour{255, 255, 255}, 0.35 * (1 - texture::smoothstep(0.001, 0.0025, d2)));
    // The lids close over the eye above and below an almond-shaped
    // opening: the upper lid rests on the top of the iris, the lower lid
    // at its foot; the corners are skin.
    const double upperLid = 0.4 - 0.58 * dx * dx, lowerLid = -0.42 + 0.52 * dx * dx;
    const Colour lid = mix(scale(look_.skin, 0.8), Colour{150, 100, 90}, look_.lidShade);
    const double aboveUpper = texture::smoothstep(upperLid - 0.015, upperLid + 0.015, dy);
    const double belowLower = texture::smoothstep(lowerLid + 0.015, lowerLid - 0.015, dy);
    const double liner = 1 - texture::smoothstep(0.0, 0.07, std::abs(dy - upperLid - 0.03));
    const double lowerLiner = 1 - texture::smoothstep(0.0, 0.04, std::abs(dy - lowerLid + 0.02));
    // The back of the eye, which shows only where it meets the lids, is lid.
    c = mix(c, lid, std::max({aboveUpper, belowLower, texture::smoothstep(1.2, 1.45, alpha)}));
    c = mix(c, Colour{36, 26, 24}, std::min(1.0, 0.35 + look_.eyeliner) * liner);
    c = mix(c, Colour{90, 60, 55}, 0.5 * look_.eyeliner * lowerLiner);
    return c;
  }

 private:
  // Nails on the backs of the fingertips and the thumb: pale pink, whiter
  // at the free edge.
  Colour nails(const SkinPoint& q, const Colour& skin) const {
    const Vec3 p = q.p.x >= 0 ? q.p : mirrorX(q.p), n = q.p.x >= 0 ? q.n : mirrorX(q.n);
    const HandFrame& h = leftHand_;
    double nail = 0, edge = 0;
    for (int i = 0; i < 5; ++i) {
      const HandFrame::Finger finger = i < 4 ? h.finger(i) : h.thumb();
      const std::size_t last = finger.axis.size() - 1;
      const Vec3 tip = finger.axis[last];
      const Vec3 dir = normalized(tip - finger.axis[last - 1]);
      const double r = finger.radii[last];
      const Vec3 back = normalized(-h.palm - dir * dot(-h.palm, dir));
      const Vec3 d = p - tip;
      const double behind = -dot(d, dir),
                   across = length(d - dir * dot(d, dir) - back * dot(d, back));
      const double onBack = texture::smoothstep(0.35, 0.6, dot(n, back));
      const double inside = texture::smoothstep(1.9 * r, 1.6 * r, behind) *
                            texture::smoothstep(-0.8 * r, -0.5 * r, behind) *
                            texture::smoothstep(0.75 * r, 0.6 * r, across) * onBack;
      if (inside > nail) {
        nail = inside;
        edge = texture::smoothstep(0.1 * r, -0.15 * r, behind);
      }
    }
    if (nail <= 0) return skin;
    Colour c = mix(skin, Colour{238, 196, 190}, 0.75);
    c = mix(c, Colour{246, 236, 228}, 0.5 * edge);
    return mix(skin, c, nail);
  }

  // Plain knitted underwear: briefs (short-legged on a man), with a bra or
  // a vest above them as the look has it.
  Colour underwear(const SkinPoint& q, const Colour& skin) const {
    if (look_.underwear == Underwear::None || q.chart == SkinChart::Arm ||
        q.chart == SkinChart::Hand || q.chart == SkinChart::Head || q.chart == SkinChart::Foot)
      return skin;
    const Vec3& p = q.p;
    const double x = std::abs(p.x);
    const double crotch = s_.trunk.front().y + 1.0;
    const double hips = s_.pelvis.y, waist = s_.waist.y;
    double hipWidth = 0;
    for (const TrunkSection& t : s_.trunk)
      if (t.y < waist) hipWidth = std::max(hipWidth, t.halfWidth);
    const double back = texture::smoothstep(-1.0, -6.0, p.z - s_.pelvis.z);  // 1 behind
    // Briefs: from a band below the waist down to the leg openings, which
    // rise from the crotch to the side of the hip (less so behind).
    const double top = hips + 0.35 * (waist - hips) + 1.0 * back;
    double opening = crotch +
                     (hips - 1.5 - crotch) * std::clamp((x - 1.5) / (hipWidth - 1.5), 0.0, 1.0) -
                     4.0 * back * std::clamp((x - 1.0) / 6.0, 0.0, 1.0);
    if (look_.underwear == Underwear::Boxers) opening = crotch - 7.0;
    const double edge = 0.25;
    double cover = texture::smoothstep(opening - edge, opening + edge, p.y) *
                   (1 - texture::smoothstep(top - edge, top + edge, p.y));
    double trim = (1 - texture::smoothstep(0.0, 0.9, std::abs(p.y - top))) * 0.5;
    if (look_.underwear == Underwear::Bra && s_.breastRadii.x > 0) {
      // Cups over the breasts, a band beneath them right round, straps
      // over the shoulders.
      const Vec3 b = s_.breastCentre, r = s_.breastRadii;
      const Vec3 d{(x - b.x) / (r.x * 1.15), (p.y - b.y) / (r.y * 1.2), (p.z - b.z) / (r.z * 1.6)};
      const double cupTop = b.y + 0.35 * r.y + 0.35 * (x - b.x);
      const double cup = (1 - texture::smoothstep(0.95, 1.08, length(d))) *
                         (1 - texture::smoothstep(cupTop - edge, cupTop + edge, p.y)) *
                         texture::smoothstep(-3.0, -1.0, p.z - s_.pelvis.z);
      const double bandLow = b.y - 1.05 * r.y, bandHigh = bandLow + 2.4;
      const double band = texture::smoothstep(bandLow - edge, bandLow + edge, p.y) *
                          (1 - texture::smoothstep(bandHigh - edge, bandHigh + edge, p.y));
      const double strapX =
          b.x - 1.0 +
          (s_.shoulderInner.x + 3.5 - (b.x - 1.0)) *
              std::clamp((p.y - cupTop) / (s_.shoulderInner.y + 3 - cupTop), 0.0, 1.0);
      const double strap = (1 - texture::smoothstep(0.55, 0.8, std::abs(x - strapX))) *
                           texture::smoothstep(bandLow, bandLow + 1.0, p.y);
      const double upper =
          std::max({cup, band, p.y > cupTop - 2.0 || p.z < s_.pelvis.z - 2.0 ? strap : 0.0});
      cover = std::max(cover, upper);
      trim =
          std::max(trim, 0.5 * (1 - texture::smoothstep(0.0, 0.7, std::abs(p.y - bandLow))) * band);
    } else if (look_.underwear == Underwear::Vest) {
      // A vest from the waist to under the arms, on straps.
      const double vestTop = s_.chestHigh.y - 1.5, vestLow = top - 3.0;
      const double body = texture::smoothstep(vestLow - edge, vestLow + edge, p.y) *
                          (1 - texture::smoothstep(vestTop - edge, vestTop + edge, p.y));
      const double strapX = s_.shoulderInner.x + 1.2;
      const double strap = (1 - texture::smoothstep(0.7, 0.95, std::abs(x - strapX))) *
                           texture::smoothstep(vestTop - 1, vestTop, p.y);
      cover = std::max(cover, std::max(body, strap));
    }
    if (cover <= 0) return skin;
    const double knit = noise3(look_.seed + 71, {p.x / 0.08, p.y / 0.12, p.z / 0.08});
    Colour fabric = scale(look_.underwearColour, 1 + 0.035 * knit);
    fabric = scale(fabric, 1 - 0.12 * trim - 0.25 * q.hollow);
    return mix(skin, fabric, cover);
  }

  // Warmer skin where it is thin or worked: knees, elbows, hands, feet,
  // ears, the tip of the nose.
  double flushAt(const SkinPoint& q) const {
    const Vec3 p{std::abs(q.p.x), q.p.y, q.p.z};
    double w = 0;
    w += 0.35 *
         gaussian(dot(p - (s_.leg.knee + Vec3{0, 0, 4.0}), p - (s_.leg.knee + Vec3{0, 0, 4.0})),
                  4.0);
    const Vec3 elbow = s_.arm.elbow + Vec3{0, 0, -3.0};
    w += 0.3 * gaussian(dot(p - elbow, p - elbow), 3.5);
    const double hand = texture::smoothstep(s_.arm.wrist.y + 2.0, s_.arm.wrist.y - 4.0, p.y) *
                        texture::smoothstep(s_.arm.shoulder.x * 0.6, s_.arm.shoulder.x * 0.8, p.x);
    w += 0.3 * hand;
    w += 0.3 * texture::smoothstep(s_.leg.ankle.y - 2.0, 1.0, s_.leg.ankle.y - p.y);
    return std::min(w, 0.6);
  }

  Colour face(const SkinPoint& q, Colour c) const {
    const StandardHeadPoint h = standardHeadPoint(s_, q.p);
    const Vec3 a = h.face, k = h.skull;
    const double x = std::abs(a.x);
    const std::uint64_t seed = look_.seed + 31;
    const double front = texture::smoothstep(2.0, 4.0, a.z);

    // Ears and nose tip flush.
    const double ear = square((std::abs(k.x) - 7.1) / 1.4) + square((k.y + 12.6) / 3.1) +
                       square((k.z + 0.9) / 2.0);
    c = mix(c, look_.flush, 0.35 * (1 - texture::smoothstep(0.5, 1.2, ear)));
    c = mix(c, look_.flush,
            0.3 * gaussian(square(a.x) + square(a.y + 14.2) + square(a.z - 9.8), 0.7));

    // Cheeks.
    if (look_.blush > 0)
      c = mix(c, Colour{226, 128, 120},
              look_.blush * front * gaussian(square(x - 3.7) + square(a.y + 14.4), 1.5));

    // The shadow of a shaved beard: jaw, chin and upper lip.
    if (look_.stubble > 0) {
      const double beard = texture::smoothstep(-14.8, -16.2, a.y) *
                           texture::smoothstep(-3.0, 0.5, k.z) *
                           (1 - texture::smoothstep(5.6, 7.0, x));
      const double upperLip =
          texture::smoothstep(-15.0, -15.6, a.y) * (1 - texture::smoothstep(1.8, 2.6, x));
      const double aboveNeck = texture::smoothstep(-25.0, -23.2, a.y);
      const double grain = 0.75 + 0.25 * noise3(seed, q.p / 0.09);
      c = mix(c, Colour{96, 92, 94}, look_.stubble * std::max(beard, upperLip) * aboveNeck * grain);
    }

    // Brows: full at the inner end, tapering outwards, drawn hair by hair.
    if (a.z > 3.0 && x > 0.8 && x < 5.9) {
      const double along = (x - 1.0) / 4.6;
      const double arch =
          -9.75 + 0.5 * std::sin(kPi * std::clamp(along * 0.85, 0.0, 1.0)) - 0.25 * along;
      const double width =
          look_.browWidth * (1 - 0.55 * std::pow(std::clamp(along, 0.0, 1.0), 1.4));
      const double d = std::abs(a.y - arch) / width;
      // Hairs lie outwards and a little up: the grain runs along them.
      const double hairs =
          0.8 + 0.2 * noise3(seed + 3, {x * 1.5 + a.y * 0.6, (a.y - 0.35 * x) * 7.0, 0});
      const double ends = texture::smoothstep(0.8, 1.6, x) * (1 - texture::smoothstep(5.0, 5.9, x));
      c = mix(c, look_.brows, 0.85 * ends * hairs * (1 - texture::smoothstep(0.3, 1.1, d)));
    }

    // Round the eyes: the lid's edge, the shade on the upper lid, a little
    // darkness below.
    {
      const Vec3 centre = q.p.x >= 0 ? leftEye_ : mirrorX(leftEye_);
      const Vec3 w = q.p - centre;
      const double R = s_.head.eyeRadius, d = length(w);
      if (d < 2.2 * R && w.z > -0.6 * R) {
        const double upper = texture::smoothstep(-0.25 * R, 0.2 * R, w.y);
        const double lid = look_.lidShade * upper *
                           (1 - texture::smoothstep(1.15 * R, 1.7 * R, d)) *
                           texture::smoothstep(0.0, 0.4 * R, w.y);
        const double below = 0.04 * (1 - upper) * (1 - texture::smoothstep(1.2 * R, 1.9 * R, d));
        c = mix(c, Colour{150, 100, 90}, lid);
        c = scale(c, 1 - below);
      }
    }

    // Nostrils, seen from below.
    {
      const double nostril =
          square((x - 0.72) / 0.42) + square((a.y + 14.95) / 0.32) + square((a.z - 9.0) / 0.7);
      const double under = texture::smoothstep(-0.1, -0.5, q.n.y);
      c = mix(c, Colour{120, 72, 64}, 0.6 * under * (1 - texture::smoothstep(0.3, 1.0, nostril)));
    }

    // Lips: the upper lip with its bow, the fuller lower lip, and the
    // line between them.
    if (s_.head.lips && a.z > 6.5 && x < 2.4) {
      const double mouth = -17.3 + 0.12 * square(x / 1.9);
      const double upperEdge =
          -16.55 - 0.18 * x + 0.16 * gaussian(square(x - 0.5), 0.25) - 0.1 * gaussian(x * x, 0.2);
      const double lowerEdge = -18.15 + 0.4 * square(x / 1.9);
      const double corners = 1 - texture::smoothstep(1.25, 1.75, x);
      double inLip = 0;
      if (a.y >= mouth)
        inLip = 1 - texture::smoothstep(upperEdge - 0.06, upperEdge + 0.08, a.y);
      else
        inLip = texture::smoothstep(lowerEdge - 0.1, lowerEdge + 0.1, a.y);
      inLip *= corners;
      Colour lip = scale(look_.lips, 1 + 0.05 * noise3(seed + 9, {x * 12, a.y * 30, 0}));
      lip = mix(lip, scale(look_.lips, 1.18),
                0.5 * gaussian(square(x) + square(a.y - (lowerEdge + mouth) / 2), 0.4));
      c = mix(c, lip, inLip);
      const double line = (1 - texture::smoothstep(0.03, 0.1, std::abs(a.y - mouth))) *
                          (1 - texture::smoothstep(1.0, 1.55, x));
      c = mix(c, scale(look_.lips, 0.5), 0.6 * line);
    }

    // The hair line: the scalp above it is the hair's colour (cropped short
    // on a figure without a hair model); the ears stay clear.
    {
      const double turn = std::abs(std::atan2(k.x, k.z + 0.7));
      static const double kTurn[] = {0.0, 0.55, 0.95, 1.35, 1.75, 2.2, kPi + 0.01};
      static const double kLine[] = {-4.9, -5.5, -7.0, -9.2, -10.6, -14.2, -16.9};
      int i = 0;
      while (i + 2 < 7 && turn > kTurn[i + 1]) ++i;
      const double t = std::clamp((turn - kTurn[i]) / (kTurn[i + 1] - kTurn[i]), 0.0, 1.0);
      const double line =
          kLine[i] + (kLine[i + 1] - kLine[i]) * t + 0.25 * noise3(seed + 5, q.p / 0.6);
      double scalp = texture::smoothstep(line - 0.2, line + 0.45, k.y);
      scalp *= texture::smoothstep(0.6, 1.1, ear);
      const double strands = noise3(seed + 6, {q.p.x / 0.05, q.p.y / 0.4, q.p.z / 0.05});
      const Colour hair = scale(look_.hair, 1 + 0.25 * strands);
      const double cover = look_.scalpCover * (look_.scalpCover < 1 ? 0.85 + 0.15 * strands : 1.0);
      c = mix(c, hair, scalp * cover);
    }
    return c;
  }

  const FigureShape& s_;
  SkinLook look_;
  Vec3 leftEye_;
  HandFrame leftHand_;
};

// How hollow the skin is at each body vertex: the offset of its ring's
// centre along its normal, relative to the ring's size, smoothed once.
std::vector<double> hollowness(const Mesh& body, const std::vector<Vec3>& normals) {
  const auto rings = vertexRings(body);
  const std::size_t n = body.positions.size();
  std::vector<double> h(n, 0.0);
  for (std::size_t v = 0; v < n; ++v) {
    if (rings[v].empty()) continue;
    Vec3 centre{};
    double edge = 0;
    for (int w : rings[v]) {
      centre += body.positions[w];
      edge += length(body.positions[w] - body.positions[v]);
    }
    centre = centre / double(rings[v].size());
    edge /= double(rings[v].size());
    // About 1 / (2 × radius of curvature) on a sphere-like patch.
    const double curvature = dot(normals[v], centre - body.positions[v]) / (edge * edge) * 2.0;
    h[v] = texture::smoothstep(0.08, 0.6, curvature);
  }
  std::vector<double> smooth(n, 0.0);
  for (std::size_t v = 0; v < n; ++v) {
    double sum = h[v];
    for (int w : rings[v]) sum += h[w];
    smooth[v] = sum / double(rings[v].size() + 1);
  }
  return smooth;
}

// A square picture being painted: the colour of each texel and whether a
// triangle has painted it.
struct Canvas {
  int size = 0;
  std::vector<Colour> colour;
  std::vector<char> painted;
  // The triangle each texel shows (−1 none) and its place in it.
  std::vector<std::int32_t> owner;
  std::vector<std::array<float, 2>> place;
  explicit Canvas(int s)
      : size(s),
        colour(static_cast<std::size_t>(s) * s),
        painted(colour.size(), 0),
        owner(colour.size(), -1),
        place(colour.size()) {}

  // Records which texels triangle `index` covers.
  void triangle(const std::array<Uv, 3>& uv, std::int32_t index) {
    double x[3], y[3];
    for (int k = 0; k < 3; ++k) x[k] = uv[k].u * size, y[k] = uv[k].v * size;
    const double area = (x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]);
    if (std::abs(area) < 1e-12) return;
    const int x0 = std::max(0, static_cast<int>(std::floor(std::min({x[0], x[1], x[2]}) - 1)));
    const int x1 =
        std::min(size - 1, static_cast<int>(std::ceil(std::max({x[0], x[1], x[2]}) + 1)));
    const int y0 = std::max(0, static_cast<int>(std::floor(std::min({y[0], y[1], y[2]}) - 1)));
    const int y1 =
        std::min(size - 1, static_cast<int>(std::ceil(std::max({y[0], y[1], y[2]}) + 1)));
    // Texels up to about half a texel outside the edges count too, so that
    // neighbouring triangles leave no gap between them.
    double edgeLength[3];
    for (int k = 0; k < 3; ++k)
      edgeLength[k] = std::hypot(x[(k + 2) % 3] - x[(k + 1) % 3], y[(k + 2) % 3] - y[(k + 1) % 3]);
    for (int py = y0; py <= y1; ++py)
      for (int px = x0; px <= x1; ++px) {
        const double cx = px + 0.5, cy = py + 0.5;
        double b[3];
        bool inside = true;
        for (int k = 0; k < 3; ++k) {
          const int i = (k + 1) % 3, j = (k + 2) % 3;
          b[k] = ((x[j] - x[i]) * (cy - y[i]) - (cx - x[i]) * (y[j] - y[i])) / area;
          // Distance outside edge k in texels.
          if (b[k] * std::abs(area) / std::max(edgeLength[k], 1e-9) < -0.7) inside = false;
        }
        if (!inside) continue;
        for (double& w : b) w = std::max(0.0, w);
        const double sum = b[0] + b[1] + b[2];
        for (double& w : b) w /= sum;
        const std::size_t at = static_cast<std::size_t>(py) * size + px;
        owner[at] = index;
        place[at] = {float(b[0]), float(b[1])};
        painted[at] = 1;
      }
  }

  // Paints every recorded texel with shade(triangle, barycentric weights),
  // the rows shared out among threads.
  template <typename Shade>
  void shadeRecorded(Shade&& shade) {
    const int workers =
        std::max(1, std::min(8, static_cast<int>(std::thread::hardware_concurrency())));
    auto run = [&](int first) {
      for (int y = first; y < size; y += workers)
        for (int x = 0; x < size; ++x) {
          const std::size_t at = static_cast<std::size_t>(y) * size + x;
          if (owner[at] < 0) continue;
          const double b[3] = {place[at][0], place[at][1], 1.0 - place[at][0] - place[at][1]};
          colour[at] = shade(owner[at], b);
          painted[at] = 1;
        }
    };
    std::vector<std::thread> threads;
    for (int w = 1; w < workers; ++w) threads.emplace_back(run, w);
    run(0);
    for (std::thread& t : threads) t.join();
  }

  // Every texel not painted takes the colour of the nearest painted one
  // (by steps across the picture).
  void fillUnpainted() {
    std::deque<int> queue;
    for (int i = 0; i < size * size; ++i)
      if (painted[i]) queue.push_back(i);
    if (queue.empty()) return;
    while (!queue.empty()) {
      const int i = queue.front();
      queue.pop_front();
      const int x = i % size, y = i / size;
      const int next[4][2] = {{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}};
      for (const auto& n : next) {
        if (n[0] < 0 || n[1] < 0 || n[0] >= size || n[1] >= size) continue;
        const int j = n[1] * size + n[0];
        if (painted[j]) continue;
        painted[j] = 1;
        colour[j] = colour[i];
        queue.push_back(j);
      }
    }
  }

  std::vector<std::uint8_t> rgb() const {
    std::vector<std::uint8_t> out(colour.size() * 3);
    for (std::size_t i = 0; i < colour.size(); ++i)
      for (int k = 0; k < 3; ++k)
        out[3 * i + k] = static_cast<std::uint8_t>(std::clamp(colour[i][k] + 0.5, 0.0, 255.0));
    return out;
  }
};

void paintEyeDisc(Canvas& canvas, const SkinLayout& layout, const Painter& painter) {
  const double cx = layout.eyeDiscCentre.u * canvas.size, cy = layout.eyeDiscCentre.v * canvas.size;
  const double radius = layout.eyeDiscRadius * canvas.size;
  const int x0 = std::max(0, static_cast<int>(cx - radius - 2)),
            x1 = std::min(canvas.size - 1, static_cast<int>(cx + radius + 2));
  const int y0 = std::max(0, static_cast<int>(cy - radius - 2)),
            y1 = std::min(canvas.size - 1, static_cast<int>(cy + radius + 2));
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      const double dx = (x + 0.5 - cx) / radius, dy = (y + 0.5 - cy) / radius;
      const double rho = std::min(1.0, std::hypot(dx, dy));
      const std::size_t at = static_cast<std::size_t>(y) * canvas.size + x;
      canvas.colour[at] = painter.eyeball(rho * rho * kPi, std::atan2(-dy, dx));
      canvas.painted[at] = 1;
    }
}

}  // namespace

SkinLook womanLook() {
  SkinLook l;
  l.skin = {236, 200, 178};
  l.flush = {226, 160, 146};
  l.lips = {188, 102, 104};
  l.brows = {58, 42, 36};
  l.hair = {38, 28, 24};
  l.iris = {92, 58, 38};
  l.browWidth = 0.42;
  l.eyeliner = 0.8;
  l.lidShade = 0.22;
  l.blush = 0.22;
  l.underwear = Underwear::Bra;
  l.underwearColour = {226, 214, 206};
  l.seed = 0x5EED0001;
  return l;
}

SkinLook girlLook() {
  SkinLook l;
  l.skin = {242, 208, 188};
  l.flush = {234, 168, 152};
  l.lips = {222, 132, 132};
  l.brows = {84, 62, 50};
  l.hair = {44, 32, 26};
  l.iris = {84, 54, 36};
  l.browWidth = 0.3;
  l.eyeliner = 0.45;
  l.lidShade = 0.08;
  l.blush = 0.3;
  l.underwear = Underwear::Vest;
  l.underwearColour = {242, 238, 236};
  l.seed = 0x5EED0002;
  return l;
}

SkinLook manLook() {
  SkinLook l;
  l.skin = {220, 178, 150};
  l.flush = {206, 140, 120};
  l.lips = {176, 112, 104};
  l.brows = {40, 30, 26};
  l.hair = {34, 28, 26};
  l.iris = {70, 46, 32};
  l.scalpCover = 0.8;
  l.browWidth = 0.5;
  l.eyeliner = 0.45;
  l.lidShade = 0.08;
  l.blush = 0.0;
  l.stubble = 0.22;
  l.underwear = Underwear::Boxers;
  l.underwearColour = {66, 70, 80};
  l.seed = 0x5EED0003;
  return l;
}

SkinPictures paintSkin(const FigureModel& f, const SkinLayout& layout, const SkinLook& look,
                       int bodySize, int headSize, int eyeSize) {
  const Painter painter(f, look);
  const std::vector<Vec3> normals = vertexNormals(f.body);
  const std::vector<double> hollow = hollowness(f.body, normals);
  Canvas body(bodySize), head(headSize);
  for (std::size_t t = 0; t < f.body.triangles.size(); ++t)
    (layout.picture[t] == SkinPicture::Head ? head : body)
        .triangle(layout.corners[t], static_cast<std::int32_t>(t));
  auto shade = [&](std::int32_t t, const double* b) {
    const Triangle& tri = f.body.triangles[static_cast<std::size_t>(t)];
    SkinPoint q;
    for (int k = 0; k < 3; ++k) {
      q.p += f.body.positions[tri[k]] * b[k];
      q.n += normals[tri[k]] * b[k];
      q.hollow += hollow[tri[k]] * b[k];
    }
    q.n = normalized(q.n);
    q.chart = layout.chart[static_cast<std::size_t>(t)];
    return painter.skin(q);
  };
  body.shadeRecorded(shade);
  head.shadeRecorded(shade);
  SkinPictures pictures;
  pictures.bodySize = bodySize;
  pictures.headSize = headSize;
  if (layout.eyePicture == SkinPicture::Eye) {
    Canvas eye(eyeSize);
    paintEyeDisc(eye, layout, painter);
    eye.fillUnpainted();
    pictures.eyeSize = eyeSize;
    pictures.eye = eye.rgb();
  } else {
    paintEyeDisc(head, layout, painter);
  }
  body.fillUnpainted();
  head.fillUnpainted();
  pictures.body = body.rgb();
  pictures.head = head.rgb();
  return pictures;
}

}  // namespace vestora::generate
