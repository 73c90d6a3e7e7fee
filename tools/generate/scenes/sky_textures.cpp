// The open-air pictures: the lake's sky dome, the beach's sky, sea and sand,
// the lake water with its light map, and the lens flare.
#include <algorithm>
#include <cmath>

#include "scenes/paint.h"
#include "scenes/scene_layout.h"
#include "scenes/scene_textures.h"

namespace vestora::generate::scenes {
namespace {

using paint::blend;
using wear::Colour;
using wear::rgb;

constexpr double kDegree = paint::kPi / 180;

}  // namespace

Image skyDomePicture(int size) {
  const Vec3 sun = normalized(kSunDirection);
  const Colour zenith = rgb(78, 128, 196), high = rgb(118, 164, 216), low = rgb(184, 208, 228),
               haze = rgb(222, 231, 236);
  const Colour farHills = rgb(150, 168, 178), nearHills = rgb(104, 128, 122);
  const Colour water = rgb(104, 140, 158), waterHaze = rgb(150, 172, 184);
  return paint::picture(size, 1, [&](double x, double y) {
    const double dx = x / size - 0.5, dy = y / size - 0.5;
    const double rho = std::hypot(dx, dy), phi = std::atan2(dy, dx);
    const Vec3 ring{std::cos(phi), 0, std::sin(phi)};
    // The far lake: still water taking the haze of the horizon. The hills
    // reach a few pixels past the horizon circle, so that the dome's rim
    // never samples the water.
    if (rho > kDomeHorizon + 2.5 / size) {
      const double w = (rho - kDomeHorizon) / kDomeGroundBand;
      const double ripple = wear::fractal(ring * 40 + Vec3{0, w * 60, 0}, 6071, 3);
      Colour c = blend(waterHaze, water, std::pow(std::clamp(w, 0.0, 1.0), 0.6));
      return paint::dithered(wear::shade(c, 1 + 0.05 * ripple), 607, x, y);
    }
    const double e = 90 * (1 - rho / kDomeHorizon);  // elevation, degrees; below 0 past the rim
    const Vec3 d{std::cos(e * kDegree) * ring.x, std::sin(e * kDegree),
                 std::cos(e * kDegree) * ring.z};
    Colour c = blend(haze, low, texture::smoothstep(0, 9, e));
    c = blend(c, high, texture::smoothstep(6, 40, e));
    c = blend(c, zenith, texture::smoothstep(35, 90, e));
    // Soft clouds on a plane overhead, thinning into the haze far away.
    const double lift = std::max(d.y, 0.035);
    const Vec3 onPlane{d.x / lift, 0, d.z / lift};
    const double reach = std::hypot(onPlane.x, onPlane.z);
    const double n = wear::fractal(onPlane * 0.55 + Vec3{3.1, 0.4, 7.7}, 6072, 5);
    const double cover = texture::smoothstep(-0.04, 0.26, n) * std::exp(-reach / 14) *
                         texture::smoothstep(0.5, 4, e);
    const double underside = wear::fractal(onPlane * 1.1 + Vec3{1.7, 9.2, 0.3}, 6073, 3);
    const Colour cloud =
        blend(rgb(252, 251, 250), rgb(208, 214, 226), 0.5 + 0.8 * underside - 0.6 * (n - 0.1));
    c = blend(c, cloud, 0.88 * cover);
    // A warm glow round the sun, broad and low in contrast.
    const double s = std::max(0.0, dot(d, sun));
    c = blend(c, rgb(255, 240, 214), 0.5 * std::pow(s, 24) + 0.22 * std::pow(s, 5));
    // Hazy hills along the horizon, a nearer darker range in front.
    const double ridge = 1.6 + 5.5 * std::max(0.0, wear::fractal(ring * 2.4, 6074, 4) + 0.2);
    const double nearRidge = 0.7 + 2.6 * std::max(0.0, wear::fractal(ring * 5.5, 6075, 4) + 0.15);
    const double woods = wear::fractal(ring * 160 + Vec3{0, e * 0.8, 0}, 6076, 2);
    c = blend(c, blend(farHills, haze, 0.25), texture::smoothstep(ridge + 0.12, ridge - 0.12, e));
    c = blend(c, wear::shade(nearHills, 1 + 0.1 * woods),
              texture::smoothstep(nearRidge + 0.1, nearRidge - 0.1, e));
    return paint::dithered(c, 607, x, y);
  });
}

double beachSkyRow(double elevation) {
  const double t = (elevation - kBeachSkyLowest) / (90 - kBeachSkyLowest);
  return (1 - t) * (1 - t);
}

double beachSkyElevation(double row) {
  const double t = 1 - std::sqrt(std::clamp(row, 0.0, 1.0));
  return kBeachSkyLowest + t * (90 - kBeachSkyLowest);
}

Image beachSkyPicture(int size) {
  const Colour zenith = rgb(40, 104, 190), middle = rgb(92, 156, 220), low = rgb(176, 212, 236),
               horizon = rgb(224, 236, 242), seaHaze = rgb(150, 188, 208);
  // Fair-weather cumulus: clusters of round puffs on flat bases, a turn
  // round the horizon tiled by wrapping their distance across.
  struct Puff {
    double u, elevation, radius;
  };
  std::vector<Puff> puffs;
  for (int cluster = 0; cluster < 16; ++cluster) {
    const double u0 = (cluster + 0.8 * texture::hashUnit(606, cluster, 1)) / 16;
    const double base = 2.5 + 7 * texture::hashUnit(606, cluster, 2);
    const double width = 0.01 + 0.016 * texture::hashUnit(606, cluster, 3);
    const int count = 5 + int(8 * texture::hashUnit(606, cluster, 4));
    for (int k = 0; k < count; ++k) {
      const double a = texture::hashUnit(606, cluster, 10 + k) * 2 - 1;
      const double radius = (0.35 + 0.65 * (1 - std::abs(a))) * width *
                            (0.5 + 0.4 * texture::hashUnit(606, cluster, 40 + k));
      puffs.push_back({u0 + a * width * 1.6, base, radius});
    }
  }
  const texture::PeriodicNoise edge(6061, 48, 24), wisp(6062, 12, 64);
  return paint::picture(size, 1, [&](double x, double y) {
    const double u = x / size, row = y / size;
    const double e = beachSkyElevation(row);
    if (e < 0)
      return paint::dithered(blend(horizon, seaHaze, texture::smoothstep(0, -1.2, e)), 606, x, y);
    Colour c = blend(horizon, low, texture::smoothstep(0, 6, e));
    c = blend(c, middle, texture::smoothstep(4, 30, e));
    c = blend(c, zenith, texture::smoothstep(25, 90, e));
    // Degrees across per turn, so puffs stay round near the horizon.
    const double across = 360 * std::cos(e * kDegree);
    double density = 0, top = 0;
    for (const Puff& p : puffs) {
      const double du = texture::wrapOffset(u - p.u, 1) * across;
      const double radius = p.radius * 360;
      const double centre = p.elevation + radius * 0.45;
      const double r = std::hypot(du / 1.8, e - centre) / radius;
      const double puff =
          std::max(0.0, 1 - r * r) * texture::smoothstep(p.elevation - 0.3, p.elevation + 0.2, e);
      if (puff > density) {
        density = puff;
        top = (e - p.elevation) / (2 * radius);
      }
    }
    const double fluff = edge(u * 48, e / 90 * 24 * 3);
    density = texture::smoothstep(0.08, 0.4, density + 0.18 * fluff);
    const Colour cloud =
        blend(rgb(196, 206, 222), rgb(253, 253, 252), 0.35 + 0.9 * top + 0.2 * fluff);
    // Clouds far off fade into the haze.
    c = blend(c, blend(cloud, horizon, texture::smoothstep(5, 0.5, e) * 0.5), density * 0.95);
    // High thin wisps.
    const double streak = wisp(u * 12, e / 90 * 64);
    c = blend(c, rgb(240, 246, 250),
              0.12 * texture::smoothstep(0.4, 0.75, streak) * texture::smoothstep(14, 30, e) *
                  texture::smoothstep(70, 45, e));
    return paint::dithered(c, 606, x, y);
  });
}

Image seaPicture(int size) {
  const texture::PeriodicNoise swell(6031, 16, 8), chop(6032, 64, 32), foamNoise(6033, 48, 8);
  const Colour shallow = rgb(96, 196, 192), teal = rgb(38, 146, 168), deep = rgb(26, 96, 150),
               far = rgb(60, 122, 164), haze = rgb(150, 188, 208), foam = rgb(246, 250, 250);
  return paint::picture(size, 2, [&](double x, double y) {
    const double u = x / size, t = 1 - y / size;  // t: 0 at the waterline, 1 at the horizon
    Colour c = blend(shallow, teal, texture::smoothstep(0.02, 0.22, t));
    c = blend(c, deep, texture::smoothstep(0.18, 0.55, t));
    c = blend(c, far, texture::smoothstep(0.6, 0.92, t));
    c = blend(c, haze, texture::smoothstep(0.9, 1.0, t));
    // Waves across the view, their contrast fading where the picture's rows
    // are far apart on the water (distance grows as t^1.5).
    const double distance = 190 * std::pow(t, 1.5);
    const double rowSpan = 190 * 1.5 * std::sqrt(std::max(t, 1e-4)) / size;  // world units per row
    const double fade = texture::smoothstep(0.9, 0.15, rowSpan);
    const double phase = distance / 3.2 + 1.1 * swell(u * 16, t * 8);
    const double crest = std::pow(0.5 + 0.5 * std::cos(2 * paint::kPi * phase), 4);
    const double glint = chop(u * 64, t * 32);
    c = wear::shade(c, 1 + fade * (0.09 * crest - 0.03 + 0.05 * glint));
    // Foam where the waves break, a lacy edge up the beach.
    const double line = 0.035 + 0.015 * foamNoise(u * 48, t * 8 + 0.5);
    const double lace = foamNoise(u * 48, t * 8 * 6);
    const double f = texture::smoothstep(line + 0.006, line - 0.004, t) +
                     0.55 * texture::smoothstep(0.25, 0.6, lace) *
                         texture::smoothstep(line + 0.05, line + 0.01, t);
    return blend(c, foam, f);
  });
}

Image sandPicture(int size) {
  const texture::PeriodicNoise bend(6021, 6, 6), patches(6022, 4, 4), fine(6023, 64, 64);
  const Colour dry = rgb(228, 210, 176), damp = rgb(212, 192, 156);
  auto ripple = [&](double u, double v) {
    const double phase = 13 * v + 0.9 * bend(u * 6, v * 6) + 0.15 * fine(u * 64, v * 64);
    const double s = phase - std::floor(phase);
    return s < 0.7 ? s / 0.7 : (1 - s) / 0.3;  // gentle windward slope, steep lee
  };
  return paint::picture(size, 1, [&](double x, double y) {
    const double u = x / size, v = y / size, step = 1.0 / size;
    const double slope = (ripple(u, v + step) - ripple(u, v)) * 0.9;
    Colour c = blend(dry, damp, 0.5 + 0.7 * patches(u * 4, v * 4));
    const double grain = texture::hashUnit(602, int(x), int(y)) * 2 - 1;
    const double speck = texture::hashUnit(6024, int(x), int(y)) > 0.997 ? -0.22 : 0;
    return wear::shade(c, 1 - 0.06 * std::clamp(slope * 2, -1.0, 1.0) + 0.035 * grain + speck);
  });
}

Image lakePicture(int size) {
  const texture::TileFractal height(6041, size, size, size / 4.0, 4, 0.5);
  const Colour deep = rgb(44, 88, 108), lit = rgb(112, 156, 174), glint = rgb(220, 234, 240);
  return paint::picture(size, 1, [&](double x, double y) {
    const double h = height(x, y);
    const double nx = (height(x + 1, y) - height(x - 1, y)) * size / 24;
    const double ny = (height(x, y + 1) - height(x, y - 1)) * size / 24;
    const double light = texture::lightFromUpperLeft(nx, ny, 0.2);
    Colour c = blend(deep, lit, 0.45 + 0.4 * h + 0.25 * (light - 0.8));
    return blend(c, glint, texture::smoothstep(1.14, 1.34, light) * 0.3);
  });
}

Image floorLightMap(int size) {
  return paint::picture(size, 2, [&](double x, double y) {
    const double dx = x / size - 0.5, dy = y / size - 0.5;
    const double r2 = (dx * dx + dy * dy) / (0.38 * 0.38);
    const double l = 0.36 + 0.64 * std::exp(-r2);
    return paint::dithered(Colour{255 * l, 251 * l, 244 * l, 1}, 6051, x, y);
  });
}

namespace {

// Distance from the centre of a lens picture: 1 at the middle of an edge.
double lensRadius(int size, double x, double y) {
  return std::hypot(x / size - 0.5, y / size - 0.5) * 2;
}

Colour grey(double level) {
  const double v = 255 * std::clamp(level, 0.0, 1.0);
  return {v, v, v, 1};
}

}  // namespace

Image hardGlowPicture(int size) {
  return paint::picture(size, 3, [&](double x, double y) {
    const double r = lensRadius(size, x, y);
    if (r >= 1) return grey(0);
    return grey(0.8 * std::pow(1 - r, 2.6) + 0.2 * std::exp(-(r * r) / (0.12 * 0.12)));
  });
}

Image bigGlowPicture(int size) {
  return paint::picture(size, 3, [&](double x, double y) {
    const double r = lensRadius(size, x, y);
    if (r >= 1) return grey(0);
    return grey(0.9 * std::pow(1 - r * r, 3));
  });
}

Image haloPicture(int size) {
  return paint::picture(size, 3, [&](double x, double y) {
    const double r = lensRadius(size, x, y);
    const double ring =
        std::exp(-std::pow((r - 0.8) / 0.045, 2)) + 0.22 * std::exp(-std::pow((r - 0.7) / 0.12, 2));
    return grey(ring * texture::smoothstep(1.0, 0.94, r));
  });
}

Image streaksPicture(int size) {
  struct Ray {
    double angle, length, width, strength;
  };
  std::vector<Ray> rays;
  for (int k = 0; k < 6; ++k)  // the main star
    rays.push_back(
        {(k / 6.0 + 0.04) * 2 * paint::kPi, 0.85 + 0.12 * texture::hashUnit(6011, k), 0.012, 1.0});
  for (int k = 0; k < 18; ++k)  // fainter, thinner rays between
    rays.push_back({(k / 18.0 + 0.3 * texture::hashUnit(6012, k)) * 2 * paint::kPi,
                    0.3 + 0.5 * texture::hashUnit(6013, k), 0.006,
                    0.25 + 0.3 * texture::hashUnit(6014, k)});
  return paint::picture(size, 3, [&](double x, double y) {
    const double dx = (x / size - 0.5) * 2, dy = (y / size - 0.5) * 2;
    const double r = std::hypot(dx, dy);
    double light = 0.7 * std::exp(-(r * r) / (0.06 * 0.06));
    for (const Ray& ray : rays) {
      const double along = dx * std::cos(ray.angle) + dy * std::sin(ray.angle);
      if (along <= 0 || along >= ray.length) continue;
      const double across = -dx * std::sin(ray.angle) + dy * std::cos(ray.angle);
      const double width = ray.width * (1 + 2 * along);
      light += ray.strength * std::exp(-(across * across) / (width * width)) *
               std::pow(1 - along / ray.length, 1.6);
    }
    return grey(light * texture::smoothstep(1.0, 0.9, r));
  });
}

}  // namespace vestora::generate::scenes
