#include "body/region_patterns.h"

#include <functional>

namespace vestora {
namespace {

constexpr int l = ShapeLattice::kL, m = ShapeLattice::kM, n = ShapeLattice::kN;

using Move = std::function<void(int i, int j, int k, float x, float y, float z)>;

void chest(const Move& mv, float a) {
  for (int i = 0; i < l; ++i) {  // 1
    mv(i, m - 1, n - 1, 0, 0, a / 7);
    for (int j = 0; j <= m - 2; ++j) mv(i, j, n - 1, 0, 0, a / 8);
  }
  for (int i = 0; i < l; ++i)  // 2
    for (int j = 4; j <= m - 2; ++j)
      for (int k : {n - 3, n - 2, n - 1}) mv(i, j, k, 0, a / 8, 0);
  for (int i = 0; i < l; ++i) {  // 3
    mv(i, m - 1, n - 2, 0, 0, a / 7);
    for (int j = 5; j <= m - 2; ++j) mv(i, j, n - 2, 0, 0, a / 8);
    for (int j = 6; j <= m - 2; ++j) mv(i, j, n - 3, 0, 0, a / 8);
  }
  for (int i = 0; i < l; ++i)  // 4
    for (int j = 4; j <= m - 2; ++j) mv(i, j, n - 1, 0, 0.05f * a, 0);
  for (int j = 0; j <= m - 4; ++j)  // 5
    for (int k = 0; k < n; ++k) mv(l - 2, j, k, 0.1f * a, 0, 0);
  for (int j = 0; j <= 4; ++j)  // 6
    for (int k = n - 3; k <= n - 1; ++k)
      for (int i : {l - 1, l - 2, 2}) mv(i, j, k, 0.15f * a, 0, 0);
  for (int j = 0; j <= m - 4; ++j)  // 7
    for (int k = 0; k < n; ++k) mv(l - 1, j, k, 0.1f * a, 0, 0);
  for (int j = 0; j <= m - 4; ++j)  // 8
    for (int k = 0; k < n; ++k) mv(1, j, k, -0.1f * a, 0, 0);
  for (int j = 0; j <= 4; ++j)  // 9
    for (int k = n - 3; k <= n - 1; ++k)
      for (int i : {0, 1, l - 3}) mv(i, j, k, -0.15f * a, 0, 0);
  for (int j = 0; j <= m - 4; ++j)  // 10
    for (int k = 0; k < n; ++k) mv(0, j, k, -0.1f * a, 0, 0);
}

// A fraction that fades towards the region's two ends: rows near the ends
// receive smaller moves, so the region's edges stay close to the body
// round them.
float endFade(int j) {
  const float t = float(j) / (m - 1);
  return 0.35f + 0.65f * (1 - (2 * t - 1) * (2 * t - 1));
}

// Widens a girth band: the layers behind (k = n-1 ... ) move +z, those in
// front (k = 0, 1) −z, the outer columns outwards; `columns` lists pairs
// (column, fraction) with the sign of the x move.
void girth(const Move& mv, float a, std::initializer_list<std::pair<int, float>> back,
           std::initializer_list<std::pair<int, float>> front, std::initializer_list<std::pair<int, float>> columns,
           const std::function<float(int)>& rowFactor) {
  for (int j = 0; j < m; ++j) {
    const float f = rowFactor(j);
    for (int i = 0; i < l; ++i) {
      for (auto [k, fraction] : back) mv(i, j, k, 0, 0, fraction * a * f);
      for (auto [k, fraction] : front) mv(i, j, k, 0, 0, -fraction * a * f);
    }
    for (auto [i, fraction] : columns)
      for (int k = 0; k < n; ++k) mv(i, j, k, fraction * a * f, 0, 0);
  }
}

}  // namespace

bool applyRegionPattern(std::string_view pattern, ShapeLattice& lattice, const Vec3f& amountIn, BodySide side) {
  const Move mv = [&](int i, int j, int k, float x, float y, float z) { lattice.move(i, j, k, {x, y, z}); };
  const float a = amountIn.z;
  const auto fade = [](int j) { return endFade(j); };
  if (pattern == " Chest") {
    chest(mv, a);
  } else if (pattern == " ChestBase") {
    girth(mv, a, {{n - 1, 1.0f / 8}, {n - 2, 1.0f / 6}}, {},
          {{0, -1.0f / 7}, {1, -1.0f / 7}, {l - 2, 1.0f / 7}, {l - 1, 1.0f / 7}}, fade);
    const float bands[4] = {1.0f / 15, 1.0f / 16, 1.0f / 17, 1.0f / 18};
    for (int j = 0; j < m; ++j)
      for (int i = 0; i < l; ++i) mv(i, j, 0, 0, 0, -bands[j / 3] * a * fade(j));
  } else if (pattern == " Waist") {
    // The two lowest rows of the back layers take 0.2a instead of a/8.
    for (int j = 0; j < m; ++j) {
      const float back = (j <= 1 ? 0.2f : 1.0f / 8) * a * endFade(j);
      for (int i = 0; i < l; ++i) {
        for (int k : {n - 1, n - 2, n - 3}) mv(i, j, k, 0, 0, back);
        mv(i, j, 0, 0, 0, -0.1f * a * endFade(j));
      }
      for (auto [i, sign] : {std::pair{0, -1.0f}, {1, -1.0f}, {l - 2, 1.0f}, {l - 1, 1.0f}})
        for (int k = 0; k < n; ++k) mv(i, j, k, sign * a / 8 * endFade(j), 0, 0);
    }
  } else if (pattern == " WaistAbdomen") {
    girth(mv, a, {{n - 1, 0.2f}, {n - 2, 0.2f}, {n - 3, 0.2f}}, {{0, 0.1f}, {1, 0.1f}},
          {{0, -1.0f / 8}, {1, -1.0f / 8}, {l - 2, 1.0f / 8}, {l - 1, 1.0f / 8}}, fade);
  } else if (pattern == " HipBase") {
    girth(mv, a, {{n - 1, 0.5f}}, {{0, 0.25f}, {1, 0.25f}},
          {{0, -2.0f / 3}, {1, -1.0f / 3}, {l - 2, 1.0f / 3}, {l - 1, 2.0f / 3}},
          [&](int j) { return j < 3 ? 0.1f : endFade(j); });
  } else if (pattern == " Buttocks") {
    girth(mv, a, {{n - 1, 0.5f}, {n - 2, 0.5f}}, {{0, 0.5f}, {1, 0.5f}}, {{1, -0.5f}, {l - 2, 0.5f}}, fade);
  } else if (pattern == " Thigh" || pattern == " Calf" || pattern == " Knee") {
    // These regions hold both legs: the columns at the outer side of each
    // leg move outwards and those at its inner side inwards.
    float scale = 1, back = 0.1f, front = 0.5f;
    if (pattern == " Thigh") scale = 1.5f;
    if (pattern == " Knee") back = 1.0f / 3, front = 0.1f;
    const float s = a * scale;
    girth(mv, s, {{n - 1, back}, {n - 2, back}, {n - 3, back}}, {{0, front}, {1, front}},
          {{0, -1.0f / 8}, {2, 1.0f / 8}, {3, -1.0f / 8}, {l - 1, 1.0f / 8}}, fade);
  } else if (pattern == " NeckBase") {
    girth(mv, a, {{n - 1, 0.25f}, {n - 2, 0.25f}}, {{0, 0.25f}, {1, 0.25f}}, {{1, -0.25f}, {l - 2, 0.25f}}, fade);
  } else if (pattern == " Shoulder") {
    // The outer end of the shoulder moves out; the layers thicken a little.
    const int outer = side == BodySide::Right ? 0 : l - 1;
    const float out = side == BodySide::Right ? -1.0f : 1.0f;
    for (int j = 0; j < m; ++j)
      for (int k = 0; k < n; ++k) {
        mv(outer, j, k, out * 0.5f * a, 0, 0);
        if (k >= n - 3) mv(outer, j, k, 0, 0, 0.1f * a);
        if (k <= 1) mv(outer, j, k, 0, 0, -0.1f * a);
      }
  } else if (pattern == " ShoulderSlope") {
    // Only row m − 4 moves: raised towards the outer end of the shoulder.
    for (int i = 0; i < l; ++i) {
      const float t = side == BodySide::Right ? float(l - 1 - i) / (l - 1) : float(i) / (l - 1);
      for (int k = 0; k < n; ++k) mv(i, m - 4, k, 0, a * t, 0);
    }
  } else if (pattern == " Inseam") {
    for (int i = 0; i < l; ++i)
      for (int k = 0; k < n; ++k) {
        for (int j = 1; j <= m - 5; ++j) mv(i, j, k, 0, a, 0);
        mv(i, m - 4, k, 0, 0.2f * a, 0);
      }
  } else {
    return false;
  }
  lattice.apply();
  return true;
}

}  // namespace vestora
