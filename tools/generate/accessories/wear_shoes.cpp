// The footwear styles: what each covers of the foot, its sole, and the
// material painted on it. Heights are given as fractions of the foot's
// length, so that one style fits a woman's, a girl's and a man's foot.
#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "accessories/wear_items.h"

namespace vestora::generate::wear {
namespace {

// Leather: pebbles `grain` units across, lit from above, with a slow
// variation of the dye.
Colour leather(const Colour& base, const Vec3& p, double grain, double depth, std::uint64_t seed) {
  const double g = leatherGrain(p, grain, seed);
  const double broad = fractal(p * 7.0, seed + 3, 3);
  return shade(base, 1 - depth + depth * g + 0.05 * broad);
}

// A woven cotton canvas along the surface's two directions.
Colour canvas(const Colour& base, const FootPlace& q, std::uint64_t seed) {
  const double warp = 0.5 + 0.5 * std::sin(2 * kPi * q.around / 0.011);
  const double weft = 0.5 + 0.5 * std::sin(2 * kPi * q.edge / 0.009);
  const double slub = fractal(q.p * 40.0, seed, 2);
  return shade(base, 0.86 + 0.08 * warp * weft + 0.06 * (warp + weft) * 0.5 + 0.05 * slub);
}

// Thread of a seam `offset` from a line the place is `across` from.
Colour seam(const Colour& c, const Colour& thread, double along, double across, double period) {
  return mix(c, thread, 0.85 * stitch(along, across, period, 0.0045));
}

// The sole's side, seen round the foot: a slightly uneven edge, darker at
// the bottom.
Colour soleEdge(const Colour& base, const FootPlace& q, double bottom, double top) {
  const double t = std::clamp((q.h - bottom) / std::max(1e-6, top - bottom), 0.0, 1.0);
  const double grit = fractal(q.p * 60.0, 91, 2);
  return shade(base, 0.82 + 0.18 * t + 0.04 * grit);
}

struct Heights {
  double heel, side, throat,
      throatCurve;  // heights as fractions of the length; the throat along it
};

// Covered: below the topline (high at the heel, low along the sides), or
// in front of the throat (a curve deepest at the middle of the foot).
std::function<bool(const FootPlace&)> topline(const FootFrame& foot, const Heights& k) {
  const double length = foot.toe - foot.heel;
  return [=](const FootPlace& q) {
    const double h = (k.side + (k.heel - k.side) * (1 - ramp(0.06, 0.34, q.s))) * length;
    return q.h < h || q.s > k.throat - k.throatCurve * q.lat * q.lat;
  };
}

FootwearStyle balletFlat(const FootFrame& foot) {
  FootwearStyle s;
  s.name = "womanshoe1";
  s.soleBottom = foot.floorY - 0.048;
  s.soleHeight = 0.052;
  s.soleMargin = 0.012;
  s.soleReference = 0.08;
  const Heights k{0.172, 0.122, 0.665, 0.09};
  s.covered = topline(foot, k);
  const double length = foot.toe - foot.heel, width = foot.halfWidth;
  const double soleTop = s.soleBottom + s.soleHeight - foot.floorY;
  const double soleFloor = s.soleBottom - foot.floorY;
  const Colour nude = rgb(222, 170, 156), binding = rgb(150, 96, 88), lining = rgb(236, 214, 190);
  const Colour sole = rgb(92, 62, 44), thread = rgb(244, 226, 214), bow = rgb(34, 30, 32);
  s.material = [=](const FootPlace& q) {
    if (q.lining) return shade(leather(lining, q.p, 0.03, 0.1, 21), q.edge < 0.03 ? 0.92 : 1.0);
    if (q.h < soleTop + 0.002) return soleEdge(sole, q, soleFloor, soleTop);
    Colour c = leather(nude, q.p, 0.026, 0.16, 11);
    // A soft sheen across the toes.
    c = shade(c, 1 + 0.06 * ramp(0.7, 0.95, q.s) * ramp(0.12 * length, 0.2 * length, q.h));
    // The binding round the opening and its seam.
    c = mix(c, leather(binding, q.p, 0.02, 0.1, 12), ramp(0.046, 0.036, q.edge));
    c = seam(c, thread, q.around, q.edge - 0.058, 0.032);
    // The seam over the sole.
    c = seam(c, shade(nude, 0.7), q.around, q.h - (soleTop + 0.018), 0.032);
    // A grosgrain bow at the throat.
    const double sBow = k.throat + 0.034;
    const double ds = (q.s - sBow) * length, dl = q.lat * width;
    const double lobe = std::min(
        std::pow((std::abs(dl) - 0.1) / 0.095, 2) + std::pow(ds / (0.045 + 0.2 * std::abs(dl)), 2),
        1e9);
    const bool knot = std::abs(dl) < 0.035 && std::abs(ds) < 0.04;
    if (q.h > 0.16 * length && (lobe < 1 || knot)) {
      const double rib = 0.5 + 0.5 * std::sin(2 * kPi * ds / 0.007);
      const double fold = knot ? 0.85 : 1 - 0.25 * lobe;
      return shade(bow, (0.8 + 0.35 * rib) * fold);
    }
    return c;
  };
  return s;
}

FootwearStyle strappySandal(const FootFrame& foot) {
  FootwearStyle s;
  s.name = "womanshoe2";
  s.soleBottom = foot.floorY - 0.048;
  s.soleHeight = 0.078;
  s.soleMargin = 0.028;
  s.soleReference = 0.09;
  const Heights k{0.21, 0.165, 0.5, 0.06};
  s.covered = topline(foot, k);
  const double length = foot.toe - foot.heel, width = foot.halfWidth;
  const double soleTop = s.soleBottom + s.soleHeight - foot.floorY;
  const double soleFloor = s.soleBottom - foot.floorY;
  const Colour strap = rgb(176, 108, 58), lining = rgb(206, 150, 100), cork = rgb(196, 156, 108);
  const Colour rubber = rgb(52, 40, 34), thread = rgb(238, 214, 176);
  s.material = [=](const FootPlace& q) {
    if (!q.lining && q.h < soleTop + 0.002) {
      // Cork with a rubber bottom.
      const auto cell = cellular(q.p * 140.0, 5);
      Colour c = shade(
          cork, 0.86 + 0.22 * std::min(1.0, cell[0] * 1.4) + 0.05 * fractal(q.p * 30.0, 6, 2));
      return q.h < soleFloor + 0.014 ? soleEdge(rubber, q, soleFloor, soleFloor + 0.014) : c;
    }
    const double ds = q.s * length, dl = q.lat * width;
    // The straps: a collar round the opening, a band over the toes, two
    // crossed straps over the instep, a back stay and two side stays down
    // to the sole; everything else is open.
    double inside = -1;  // the distance inside the nearest strap, negative outside
    auto band = [&](double distance, double halfWidth) {
      inside = std::max(inside, halfWidth - std::abs(distance));
    };
    band(q.edge - 0.03, 0.03);
    band(ds - 0.84 * length, 0.055);
    band(ds - (0.64 * length + 0.42 * dl), 0.04);
    band(ds - (0.64 * length - 0.42 * dl), 0.04);
    if (q.s < 0.14) band(dl, 0.05);
    band(ds - 0.37 * length, 0.035);
    band(q.h - soleTop, 0.012);  // the strap ends sit in the sole's rim
    const double alpha = std::clamp(inside / 0.004 + 0.5, 0.0, 1.0);
    Colour c =
        q.lining ? leather(lining, q.p, 0.03, 0.12, 33) : leather(strap, q.p, 0.024, 0.14, 31);
    // Edge stitching just inside every strap.
    if (!q.lining)
      c = mix(c, thread,
              0.7 * ramp(0.011, 0.008, std::abs(inside - 0.01)) *
                  (0.5 + 0.5 * std::sin(2 * kPi * (q.around + q.edge) / 0.03)));
    // Darker burnished edges.
    c = shade(c, 0.82 + 0.18 * ramp(0.0, 0.008, inside));
    c.a = alpha;
    return c;
  };
  return s;
}

FootwearStyle canvasSneaker(const FootFrame& foot) {
  FootwearStyle s;
  s.name = "womanshoe3";
  s.outerClearance = 0.058;
  s.soleBottom = foot.floorY - 0.048;
  s.soleHeight = 0.15;
  s.soleMargin = 0.026;
  s.soleReference = 0.12;
  s.soleRound = 0.018;
  const Heights k{0.285, 0.255, 0.37, 0.05};
  s.covered = topline(foot, k);
  const double length = foot.toe - foot.heel, width = foot.halfWidth;
  const double soleTop = s.soleBottom + s.soleHeight - foot.floorY;
  const double soleFloor = s.soleBottom - foot.floorY;
  const Colour navy = rgb(42, 56, 96), rubber = rgb(244, 241, 232), stripe = rgb(176, 44, 40);
  const Colour lace = rgb(246, 244, 238), tongue = rgb(34, 46, 80), lining = rgb(214, 210, 200);
  const Colour gum = rgb(170, 120, 70);
  s.material = [=](const FootPlace& q) {
    if (q.lining) return canvas(lining, q, 41);
    if (q.h < soleTop + 0.002) {
      Colour c = soleEdge(rubber, q, soleFloor, soleTop);
      // A red pinstripe near the top, a gum-coloured foxing at the bottom.
      c = mix(c, stripe, ramp(0.006, 0.003, std::abs(q.h - (soleTop - 0.04))));
      if (q.h < soleFloor + 0.018) c = soleEdge(gum, q, soleFloor, soleFloor + 0.018);
      // The toe bumper's ribs.
      if (q.s > 0.9) c = shade(c, 0.93 + 0.07 * std::sin(2 * kPi * q.h / 0.012));
      return c;
    }
    Colour c = canvas(navy, q, 42);
    const double ds = q.s * length, dl = q.lat * width;
    // The rubber toe cap.
    const double cap = 0.905 * length - 0.3 * dl * dl;
    if (ds > cap && q.h < 0.2 * length)
      return shade(rubber, 0.95 + 0.05 * std::sin(2 * kPi * q.h / 0.01));
    c = seam(c, shade(navy, 1.6), q.around, ds - (cap - 0.03), 0.03);
    // The padded collar.
    c = shade(c, 0.85 + 0.15 * ramp(0.02, 0.05, q.edge));
    c = seam(c, shade(navy, 1.7), q.around, q.edge - 0.06, 0.03);
    // The heel tab.
    if (q.s < 0.07 && q.h > 0.17 * length && std::abs(dl) < 0.07) return shade(rubber, 0.95);
    // The lacing: eyelets on two stays and laces across.
    const double s0 = k.throat + 0.025, s1 = 0.66;
    if (q.s > s0 - 0.02 && q.s < s1 + 0.03 && std::abs(dl) < 0.21 && q.h > 0.13 * length) {
      if (std::abs(dl) < 0.12) c = canvas(tongue, q, 43);
      for (int e = 0; e < 6; ++e) {
        const double se = (s0 + (s1 - s0) * e / 5) * length;
        for (double side : {-0.13, 0.13}) {
          const double r = std::hypot(ds - se, dl - side);
          if (r < 0.016) return r < 0.009 ? shade(navy, 0.5) : rgb(200, 200, 205);
        }
        if (std::abs(ds - se) < 0.011 && std::abs(dl) < 0.13) {
          const double twist = 0.5 + 0.5 * std::sin(2 * kPi * (dl + 2 * (ds - se)) / 0.014);
          return shade(lace, 0.88 + 0.12 * twist);
        }
      }
      c = seam(c, shade(navy, 1.7), q.around, std::abs(dl) - 0.19, 0.03);
    }
    return c;
  };
  return s;
}

FootwearStyle girlShoe(const FootFrame& foot) {
  FootwearStyle s;
  s.name = "GirlShoe";
  s.soleBottom = foot.floorY - 0.045;
  s.soleHeight = 0.085;
  s.soleMargin = 0.018;
  s.soleReference = 0.07;
  const Heights k{0.2, 0.15, 0.63, 0.08};
  s.covered = topline(foot, k);
  const double length = foot.toe - foot.heel, width = foot.halfWidth;
  const double soleTop = s.soleBottom + s.soleHeight - foot.floorY;
  const double soleFloor = s.soleBottom - foot.floorY;
  const Colour red = rgb(190, 28, 44), lining = rgb(240, 226, 212), sole = rgb(246, 238, 226);
  const Colour thread = rgb(252, 236, 228), petal = rgb(252, 246, 240), heart = rgb(248, 200, 60);
  s.material = [=](const FootPlace& q) {
    if (q.lining) return leather(lining, q.p, 0.03, 0.08, 51);
    if (q.h < soleTop + 0.002) {
      Colour c = soleEdge(sole, q, soleFloor, soleTop);
      return shade(c, 0.96 + 0.04 * std::sin(2 * kPi * q.around / 0.02));
    }
    // Patent leather: smooth, with a glossy band along the upper's shoulder.
    Colour c = shade(red, 0.92 + 0.04 * fractal(q.p * 20.0, 52, 2));
    const double gloss =
        ramp(0.09 * length, 0.13 * length, q.h) * ramp(0.2 * length, 0.15 * length, q.h);
    c = mix(c, rgb(255, 170, 170), 0.35 * gloss);
    c = mix(c, shade(red, 0.6), ramp(0.03, 0.02, q.edge));
    c = seam(c, thread, q.around, q.edge - 0.04, 0.028);
    c = seam(c, thread, q.around, q.h - (soleTop + 0.014), 0.028);
    // A small flower at the throat.
    const double ds = (q.s - (k.throat + 0.045)) * length, dl = q.lat * width;
    const double r = std::hypot(ds, dl), angle = std::atan2(ds, dl);
    if (q.h > 0.14 * length && r < 0.07) {
      if (r < 0.018) return shade(heart, 0.9 + 0.1 * std::cos(r / 0.018 * kPi));
      const double petalEdge = 0.05 + 0.018 * std::cos(5 * angle);
      if (r < petalEdge) return shade(petal, 0.85 + 0.15 * (1 - r / petalEdge));
    }
    return c;
  };
  return s;
}

FootwearStyle derby(const FootFrame& foot) {
  FootwearStyle s;
  s.name = "ManShoe";
  s.outerClearance = 0.055;
  s.soleBottom = foot.floorY - 0.1;
  s.soleHeight = 0.17;
  s.soleMargin = 0.034;
  s.soleReference = 0.12;
  s.soleRound = 0.008;
  const Heights k{0.232, 0.212, 0.4, 0.05};
  s.covered = topline(foot, k);
  const double length = foot.toe - foot.heel, width = foot.halfWidth;
  const double soleTop = s.soleBottom + s.soleHeight - foot.floorY;
  const double soleFloor = s.soleBottom - foot.floorY;
  const Colour brown = rgb(112, 64, 36), dark = rgb(52, 30, 20), lining = rgb(196, 160, 120);
  const Colour thread = rgb(196, 150, 96), lace = rgb(40, 26, 18);
  s.material = [=](const FootPlace& q) {
    if (q.lining) return leather(lining, q.p, 0.03, 0.1, 61);
    if (q.h < soleTop + 0.002) {
      Colour c = soleEdge(dark, q, soleFloor, soleTop);
      // The welt with its stitching at the top, the heel's stacked lifts.
      if (q.h > soleTop - 0.03)
        c = seam(shade(brown, 0.7), thread, q.around, q.h - (soleTop - 0.015), 0.03);
      else if (q.s < 0.3)
        c = shade(c, 0.9 + 0.1 * std::sin(2 * kPi * (q.h - soleFloor) / 0.03));
      return c;
    }
    // Burnished calf: darker over the toe and the heel.
    Colour c = leather(brown, q.p, 0.02, 0.08, 62);
    c = shade(c, 1 - 0.28 * ramp(0.8, 0.98, q.s) - 0.2 * ramp(0.15, 0.0, q.s));
    c = mix(
        c, rgb(170, 110, 70),
        0.18 * ramp(0.12 * length, 0.16 * length, q.h) * ramp(0.2 * length, 0.16 * length, q.h));
    c = seam(c, thread, q.around, q.edge - 0.035, 0.028);
    const double ds = q.s * length, dl = q.lat * width;
    // The toe cap with a row of punched holes behind its seam.
    const double cap = 0.8 * length + 0.6 * dl * dl;
    c = seam(c, thread, q.around, ds - cap, 0.028);
    const double holes = ds - (cap - 0.03);
    if (std::abs(holes) < 0.01 && std::fmod(std::abs(q.around), 0.03) < 0.014) c = shade(c, 0.4);
    // The quarters laced over the vamp.
    const double s0 = k.throat + 0.02, s1 = 0.6;
    if (q.s > s0 - 0.02 && q.s < s1 + 0.05 && q.h > 0.15 * length) {
      c = seam(c, thread, q.around, std::abs(dl) - 0.2, 0.028);
      if (std::abs(dl) > 0.2) c = shade(c, 1.04);
      for (int e = 0; e < 5; ++e) {
        const double se = (s0 + (s1 - s0) * e / 4) * length;
        for (double side : {-0.12, 0.12}) {
          const double r = std::hypot(ds - se, dl - side);
          if (r < 0.011) return r < 0.006 ? rgb(20, 12, 8) : rgb(150, 120, 70);
        }
        if (std::abs(ds - se) < 0.008 && std::abs(dl) < 0.12) {
          const double twist = 0.5 + 0.5 * std::sin(2 * kPi * (dl + 2 * (ds - se)) / 0.012);
          return shade(lace, 0.8 + 0.4 * twist);
        }
      }
    }
    return c;
  };
  return s;
}

FootwearStyle ankleSock(const FootFrame& foot) {
  FootwearStyle s;
  s.name = "sock";
  s.sole = false;
  s.innerClearance = 0.011;
  s.outerClearance = 0.019;
  const double length = foot.toe - foot.heel;
  s.covered = [=](const FootPlace& q) { return q.h < 0.4 * length; };
  const Colour grey = rgb(196, 196, 200), charcoal = rgb(70, 72, 80), coral = rgb(236, 112, 96);
  s.material = [=](const FootPlace& q) {
    // Stockinette: columns of V stitches running from the cuff to the toe.
    const double column = q.around / 0.022, row = q.edge / 0.016;
    const double fc = column - std::floor(column), fr = row - std::floor(row);
    const double v = std::abs(fc - 0.5) * 2;  // 0 in a column's middle
    const double leg = 1 - std::abs(fr - v * 0.6) * 2.2;
    const double heather = fractal(q.p * 50.0, 71, 2);
    Colour base = grey;
    if (q.s < 0.22 && q.h < 0.16 * length) base = charcoal;  // the heel
    if (q.s > 0.86) base = charcoal;                         // the toe
    if (q.edge > 0.13 && q.edge < 0.17) base = coral;        // a stripe under the cuff
    double light = 0.78 + 0.22 * std::clamp(leg, 0.0, 1.0) + 0.05 * heather;
    if (q.edge < 0.12)
      light = 0.8 + 0.2 * (0.5 + 0.5 * std::cos(2 * kPi * q.around / 0.03));  // the ribbed cuff
    if (q.lining) light *= 0.8;
    return shade(base, light);
  };
  return s;
}

}  // namespace

FootwearStyle footwearStyle(const std::string& modelName, const FootFrame& foot) {
  if (modelName == "womanshoe1") return balletFlat(foot);
  if (modelName == "womanshoe2") return strappySandal(foot);
  if (modelName == "womanshoe3") return canvasSneaker(foot);
  if (modelName == "GirlShoe") return girlShoe(foot);
  if (modelName == "ManShoe") return derby(foot);
  if (modelName == "sock") return ankleSock(foot);
  throw std::invalid_argument("footwearStyle: no style named " + modelName);
}

}  // namespace vestora::generate::wear
