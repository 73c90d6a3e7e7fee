#include "scenes/scene_models.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "accessories/wear_textures.h"
#include "assets/texture_noise.h"
#include "scenes/scene_layout.h"
#include "scenes/scene_textures.h"

namespace vestora::generate::scenes {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegree = kPi / 180;
const Vec3 kUp{0, 1, 0};

Vec3 horizontal(double angle) {
  return {std::cos(angle), 0, std::sin(angle)};
}

// The picture point of a direction round the dome (see kDomeHorizon).
std::array<double, 2> domePicturePoint(double rho, double angle) {
  return {0.5 + rho * std::cos(angle), 0.5 + rho * std::sin(angle)};
}

// A region of the room's atlas shrunk by a texel and a half where it
// borders another, so that filtering never takes a neighbour's colour.
SceneMesh::Region inset(const SceneMesh::Region& r) {
  constexpr double kTexel = 1.5 / 1024;
  const bool fullWidth = r.u0 == 0 && r.u1 == 1;  // repeats across: it borders itself
  return {fullWidth ? r.u0 : r.u0 + kTexel, r.v0 + kTexel, fullWidth ? r.u1 : r.u1 - kTexel,
          r.v1 - kTexel};
}

}  // namespace

SceneMesh skyDomeMesh() {
  SceneMesh m;
  const int g = m.group(" skydome");
  // Directions round the dome: even steps plus the mirror floor's corners,
  // so that the ground ring follows the quad's edges exactly.
  std::vector<double> angles;
  constexpr int kSlices = 96;
  for (int i = 0; i < kSlices; ++i) angles.push_back(2 * kPi * i / kSlices);
  for (double sx : {1.0, -1.0})
    for (double sz : {1.0, -1.0}) {
      double a = std::atan2(sz * kLakeHalfDepth, sx * kLakeHalfWidth);
      if (a < 0) a += 2 * kPi;
      angles.push_back(a);
    }
  std::sort(angles.begin(), angles.end());
  const int columns = int(angles.size());
  const Vec3 centre{0, kGround, 0};

  // Rings from the zenith (row 0) down to the rim; the columns wrap.
  constexpr int kRings = 30;
  std::vector<std::vector<SceneCorner>> dome(kRings + 1);
  for (int r = 0; r <= kRings; ++r) {
    const double e = 90.0 * (kRings - r) / kRings * kDegree;
    const double rho = kDomeHorizon * r / kRings;
    for (double a : angles) {
      const Vec3 d = horizontal(a) * std::cos(e) + kUp * std::sin(e);
      const auto [u, v] = domePicturePoint(rho, a);
      dome[std::size_t(r)].push_back(
          {m.addVertex(centre + d * kDomeRadius), m.addNormal(-d), u, v});
    }
  }
  // The ground ring: from the rim in to the edge of the mirror floor's quad.
  constexpr int kGroundRows = 6;
  std::vector<std::vector<SceneCorner>> ground(kGroundRows + 1);
  const int up = m.addNormal(kUp);
  for (int r = 0; r <= kGroundRows; ++r)
    for (double a : angles) {
      const double c = std::abs(std::cos(a)), s = std::abs(std::sin(a));
      const double edge =
          std::min(c > 1e-9 ? kLakeHalfWidth / c : 1e9, s > 1e-9 ? kLakeHalfDepth / s : 1e9);
      const double radius = kDomeRadius + (edge - kDomeRadius) * r / kGroundRows;
      const double rho = kDomeHorizon + kDomeGroundBand * (1 - radius / kDomeRadius);
      const auto [u, v] = domePicturePoint(rho, a);
      const SceneCorner rim = dome[kRings][ground[std::size_t(r)].size()];
      ground[std::size_t(r)].push_back(
          {r == 0 ? rim.vertex : m.addVertex(centre + horizontal(a) * radius), up, u, v});
    }
  // Rows run down (then inwards), columns round: both face the inside.
  for (const auto* rows : {&dome, &ground})
    for (std::size_t r = 0; r + 1 < rows->size(); ++r)
      for (int c = 0; c < columns; ++c) {
        const std::size_t c0 = std::size_t(c), c1 = std::size_t((c + 1) % columns);
        const auto& top = (*rows)[r];
        const auto& bottom = (*rows)[r + 1];
        m.addQuad(g, top[c0], bottom[c0], bottom[c1], top[c1]);
      }
  return m;
}

SceneMesh roomMesh() {
  SceneMesh m;
  const int floor = m.group(" polymsh37"), walls = m.group(" polymsh38");
  const double ceiling = kGround + kRoomHeight, rail = kGround + kWainscotHeight;
  const auto constant = [](const Vec3& n) { return [n](int, int) { return n; }; };

  // Floor: rows along +z, columns along +x.
  constexpr int kFloorCells = 10;
  const double cell = 2 * kRoomHalf / kFloorCells;
  m.addGrid(floor, kFloorCells + 1, kFloorCells + 1,
            [&](int r, int c) {
              return Vec3{-kRoomHalf + c * cell, kGround, -kRoomHalf + r * cell};
            },
            constant(kUp), int(std::lround(kFloorTile / cell)), int(std::lround(kFloorTile / cell)),
            {});

  // Walls, each seen from inside with the picture upright: rows down,
  // columns along up × (inward normal).
  constexpr int kWallCells = 14;  // along a wall, half a picture each
  for (const Vec3& inward : {Vec3{0, 0, 1}, Vec3{0, 0, -1}, Vec3{1, 0, 0}, Vec3{-1, 0, 0}}) {
    const Vec3 along = cross(kUp, inward), origin = inward * -kRoomHalf;
    const double step = 2 * kRoomHalf / kWallCells;
    auto band = [&](double top, double bottom, int rows, int tileRows,
                    const SceneMesh::Region& region) {
      m.addGrid(
          walls, rows + 1, kWallCells + 1,
          [&](int r, int c) {
            return origin + along * (-kRoomHalf + c * step) +
                   kUp * (top + (bottom - top) * r / rows);
          },
          constant(inward), tileRows, int(std::lround(kWallTile / step)), region);
    };
    band(ceiling, rail, 13, 2, inset(kWallpaperRegion));  // 3 units a row, 6 a picture
    band(rail, kGround, 2, 2, inset(kWainscotRegion));
  }
  // Ceiling: rows along +x, columns along +z, facing down.
  m.addGrid(
      walls, 15, 15,
      [&](int r, int c) {
        return Vec3{-kRoomHalf + 6.0 * r, ceiling, -kRoomHalf + 6.0 * c};
      },
      constant(-kUp), 2, 2, inset(kCeilingRegion));

  // Two tall windows in the wall behind her, the garden beyond.
  const double back = -kRoomHalf;
  for (double x : {-20.0, 20.0}) {
    m.addGrid(
        walls, 2, 2,
        [&](int r, int c) {
          return Vec3{x - 5.5 + 11.0 * c, 31.0 - 28.0 * r, back + 0.1};
        },
        constant({0, 0, 1}), 1, 1, inset(kWindowViewRegion));
    const auto wood = inset(kPaintedWoodRegion);
    m.addBox(walls, {x - 6.3, 2.2, back}, {x - 5.5, 31.8, back + 0.5}, wood);
    m.addBox(walls, {x + 5.5, 2.2, back}, {x + 6.3, 31.8, back + 0.5}, wood);
    m.addBox(walls, {x - 5.5, 31.0, back}, {x + 5.5, 31.8, back + 0.5}, wood);
    m.addBox(walls, {x - 5.5, 2.2, back}, {x + 5.5, 3.0, back + 0.5}, wood);
    m.addBox(walls, {x - 0.25, 3.0, back}, {x + 0.25, 31.0, back + 0.3}, wood);
    m.addBox(walls, {x - 5.5, 21.75, back}, {x + 5.5, 22.25, back + 0.3}, wood);
    m.addBox(walls, {x - 7.0, 1.7, back}, {x + 7.0, 2.2, back + 1.2}, wood);
  }

  // A low sofa under the left window, in slate with terracotta cushions.
  const auto cloth = inset(kUpholsteryRegion), accent = inset(kCushionRegion),
             wood = inset(kPaintedWoodRegion);
  const double sofaBack = back + 0.5, sofaFront = back + 8.5;
  for (double x : {-29.6, -10.8})
    for (double z : {sofaBack + 0.4, sofaFront - 0.8})
      m.addBox(walls, {x, kGround, z}, {x + 0.4, kGround + 0.5, z + 0.4}, wood);
  m.addBox(walls, {-30, kGround + 0.5, sofaBack}, {-10, -4.6, sofaFront}, cloth);
  m.addBox(walls, {-30, -4.6, sofaBack}, {-10, 0.0, sofaBack + 2.2}, cloth);
  m.addBox(walls, {-31.6, kGround + 0.5, sofaBack}, {-30, -2.3, sofaFront}, cloth);
  m.addBox(walls, {-10, kGround + 0.5, sofaBack}, {-8.4, -2.3, sofaFront}, cloth);
  m.addBox(walls, {-29.9, -4.6, sofaBack + 2.2}, {-20.1, -3.4, sofaFront - 0.2}, cloth);
  m.addBox(walls, {-19.9, -4.6, sofaBack + 2.2}, {-10.1, -3.4, sofaFront - 0.2}, cloth);
  m.addBox(walls, {-28.6, -3.4, sofaBack + 2.3}, {-25.0, -0.4, sofaBack + 3.4}, accent);
  m.addBox(walls, {-15.0, -3.4, sofaBack + 2.3}, {-11.4, -0.4, sofaBack + 3.4}, accent);

  // A side table beside it with a terracotta vase.
  for (double x : {-37.5, -33.4})
    for (double z : {back + 1.0, back + 5.1})
      m.addBox(walls, {x, kGround, z}, {x + 0.4, -3.6, z + 0.4}, wood);
  m.addBox(walls, {-37.8, -3.6, back + 0.7}, {-33.0, -3.2, back + 5.8}, wood);
  m.addBox(walls, {-36.2, -3.2, back + 2.5}, {-34.6, 0.6, back + 4.1}, accent);

  // A low upholstered bench under the right window.
  for (double x : {13.4, 26.2})
    for (double z : {back + 1.0, back + 4.1})
      m.addBox(walls, {x, kGround, z}, {x + 0.4, -6.0, z + 0.4}, wood);
  m.addBox(walls, {13.0, -6.0, back + 0.6}, {27.0, -4.8, back + 4.9}, cloth);
  return m;
}

double sandHeight(double x, double z) {
  double y = kGround;
  if (z < kShoreStart)
    y -= (kShoreStart - z) * (kGround - kSeaLevel) / (kShoreStart - kSeaStart + 0.5);
  const double r = std::hypot(x, z);
  const double swell = wear::fractal(Vec3{x / 22, 0.5, z / 22}, 6025, 3);
  y += 0.8 * texture::smoothstep(18, 50, r) * texture::smoothstep(-20, -5, z) * swell;
  const double dunes = 0.6 + 0.4 * wear::fractal(Vec3{x / 45, 2.5, z / 45}, 6026, 3);
  return y + 9 * texture::smoothstep(60, 190, r) * texture::smoothstep(10, 70, z) * dunes;
}

namespace {

constexpr double kBeachRadius = 226;  // the sand and the sea end here, inside the sky

double landEdge(double x) {
  return std::sqrt(kBeachRadius * kBeachRadius - x * x);
}

// A palm: a leaning ringed trunk and a crown of arching frond cards.
void addPalm(SceneMesh& m, int g, const Vec3& base, double height, const Vec3& lean, double turn,
             std::uint64_t seed) {
  auto trunkAt = [&](double s) { return base + lean * (s * s) + kUp * (height * s); };
  auto radiusAt = [](double s) { return 0.8 * (1 - 0.45 * s) + 0.35 * std::exp(-s * 18); };
  constexpr int kRows = 18, kAround = 10;
  m.addGrid(
      g, kRows + 1, kAround + 1,
      [&](int r, int c) {
        const double s = double(r) / kRows;
        return trunkAt(s) + horizontal(2 * kPi * c / kAround) * radiusAt(s);
      },
      [&](int, int c) { return horizontal(2 * kPi * c / kAround); }, 2, kAround, kBarkRegion);

  const Vec3 top = trunkAt(1) - kUp * 0.3;
  constexpr int kFronds = 14, kSegments = 10;
  for (int k = 0; k < kFronds; ++k) {
    const double jitter = texture::hashUnit(seed, k, 1);
    const double angle = turn + 2 * kPi * (k + 0.3 * jitter) / kFronds;
    const bool upper = k % 2 == 0;
    const double rise = (upper ? 38 : 8) * kDegree + 10 * kDegree * texture::hashUnit(seed, k, 2);
    const double length = 8.4 + 1.2 * texture::hashUnit(seed, k, 3);
    const double droop = 0.5 + 0.25 * texture::hashUnit(seed, k, 4);
    const Vec3 out = horizontal(angle), side = horizontal(angle + kPi / 2);
    auto midrib = [&](double s) {
      return top + out * (length * s * std::cos(rise)) +
             kUp * (length * (s * std::sin(rise) - droop * s * s));
    };
    m.addGrid(
        g, kSegments + 1, 3,
        [&](int r, int c) {
          const double s = 1 - double(r) / kSegments;  // row 0 at the tip
          const double half = 1.6 * (c - 1);
          return midrib(s) + side * half - kUp * (0.28 * std::abs(half));
        },
        [&](int r, int) {
          const double s = 1 - double(r) / kSegments;
          const Vec3 tangent = midrib(std::min(s + 0.05, 1.0)) - midrib(std::max(s - 0.05, 0.0));
          Vec3 n = cross(tangent, side);
          return n.y < 0 ? -n : n;
        },
        kSegments, 2, kFrondRegion);
  }
}

}  // namespace

SceneMesh beachMesh() {
  SceneMesh m;
  const int sand = m.group(" lou"), sky = m.group(" tiankong"), sea = m.group(" hai"),
            tree = m.group(" shu");

  // Sand: rows from the sea's side inland, columns along +x; each column
  // reaches the edge of the beach.
  constexpr int kColumns = 112, kRows = 64;
  const double near = -34, columnStep = 2 * (kBeachRadius - 2) / kColumns;
  auto sandPoint = [&](int r, int c) {
    const double x = -(kBeachRadius - 2) + c * columnStep;
    const double z = near + (landEdge(x) - near) * r / kRows;
    return Vec3{x, sandHeight(x, z), z};
  };
  m.addGrid(sand, kRows + 1, kColumns + 1, sandPoint,
            [&](int r, int c) {
              const Vec3 p = sandPoint(r, c);
              const double e = 0.5;
              const double dx = sandHeight(p.x + e, p.z) - sandHeight(p.x - e, p.z);
              const double dz = sandHeight(p.x, p.z + e) - sandHeight(p.x, p.z - e);
              return Vec3{-dx, 2 * e, -dz};
            },
            4, 4, {});

  // Sea: from the horizon (row 0) to just inside the waterline; the picture
  // spans the whole depth, rows closer together near the shore.
  constexpr int kSeaRows = 40;
  const int seaTile = int(std::lround(kSeaTileWidth / columnStep));
  m.addGrid(
      sea, kSeaRows + 1, kColumns + 1,
      [&](int r, int c) {
        const double x = -(kBeachRadius - 2) + c * columnStep;
        const double t = 1 - double(r) / kSeaRows;
        return Vec3{x, kSeaLevel, kSeaStart - (landEdge(x) + kSeaStart) * std::pow(t, 1.5)};
      },
      [&](int, int) { return kUp; }, kSeaRows, seaTile, {});

  // Sky: a dome from below the horizon to the zenith, rows as its picture
  // lays them out.
  constexpr int kSkyRows = 40, kSkyColumns = 96;
  m.addGrid(
      sky, kSkyRows + 1, kSkyColumns + 1,
      [&](int r, int c) {
        const double e = beachSkyElevation(double(r) / kSkyRows) * kDegree;
        return horizontal(2 * kPi * c / kSkyColumns) * (kBeachSkyRadius * std::cos(e)) +
               kUp * (kSeaLevel + kBeachSkyHeight * std::sin(e));
      },
      [&](int r, int c) {
        const double e = beachSkyElevation(double(r) / kSkyRows) * kDegree;
        return -(horizontal(2 * kPi * c / kSkyColumns) * std::cos(e) + kUp * std::sin(e));
      },
      kSkyRows, kSkyColumns, {});

  // Two palms behind her, one to each side of the default view.
  addPalm(m, tree, {-16, sandHeight(-16, -14) - 0.3, -14}, 26, {-3.5, 0, -1.0}, 0.2, 6091);
  addPalm(m, tree, {12, sandHeight(12, -20) - 0.3, -20}, 22, {3.0, 0, -1.5}, 1.1, 6092);
  return m;
}

}  // namespace vestora::generate::scenes
