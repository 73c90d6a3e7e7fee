#include "avatar/matrix.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <utility>

#include "platform/log.h"

namespace vestora {

Mat4 Mat4::translation(float x, float y, float z) {
  Mat4 t;
  t.m[12] = x;
  t.m[13] = y;
  t.m[14] = z;
  return t;
}

Mat4 Mat4::rotation(float degrees, float x, float y, float z) {
  const double length = std::sqrt(double(x) * x + double(y) * y + double(z) * z);
  if (length == 0.0) return Mat4{};
  const double ux = x / length, uy = y / length, uz = z / length;
  const double radians = double(degrees) * std::numbers::pi / 180.0;
  const double c = std::cos(radians), s = std::sin(radians), t = 1.0 - c;
  // Written by rows; stored by columns.
  const double r[3][3] = {
      {ux * ux * t + c, ux * uy * t - uz * s, ux * uz * t + uy * s},
      {uy * ux * t + uz * s, uy * uy * t + c, uy * uz * t - ux * s},
      {ux * uz * t - uy * s, uy * uz * t + ux * s, uz * uz * t + c},
  };
  Mat4 a;
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 3; ++col) a.at(col, row) = static_cast<float>(r[row][col]);
  return a;
}

std::array<float, 3> Mat4::transformPoint(const std::array<float, 3>& p) const {
  std::array<float, 3> out;
  for (int row = 0; row < 3; ++row)
    out[row] = at(0, row) * p[0] + at(1, row) * p[1] + at(2, row) * p[2] + at(3, row);
  return out;
}

Mat4 operator*(const Mat4& a, const Mat4& b) {
  Mat4 out;
  for (int col = 0; col < 4; ++col)
    for (int row = 0; row < 4; ++row) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += a.at(k, row) * b.at(col, k);
      out.at(col, row) = sum;
    }
  return out;
}

Mat4 inverse(const Mat4& a) {
  // Gauss-Jordan elimination with partial pivoting, in double. A pivot that
  // is negligible against the largest element means the rows are dependent.
  double w[4][8];
  double largest = 0.0;
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 4; ++col) {
      w[row][col] = a.at(col, row);
      w[row][col + 4] = row == col ? 1.0 : 0.0;
      largest = std::max(largest, std::fabs(w[row][col]));
    }
  const double negligible = largest * 1e-12;
  for (int col = 0; col < 4; ++col) {
    int pivot = col;
    for (int row = col + 1; row < 4; ++row)
      if (std::fabs(w[row][col]) > std::fabs(w[pivot][col])) pivot = row;
    if (!(std::fabs(w[pivot][col]) > negligible)) {
      debugOutput("Singular Matrix\r\n");
      return Mat4{};
    }
    if (pivot != col) std::swap(w[pivot], w[col]);
    const double scale = 1.0 / w[col][col];
    for (int k = 0; k < 8; ++k) w[col][k] *= scale;
    for (int row = 0; row < 4; ++row) {
      if (row == col || w[row][col] == 0.0) continue;
      const double factor = w[row][col];
      for (int k = 0; k < 8; ++k) w[row][k] -= factor * w[col][k];
    }
  }
  Mat4 out;
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 4; ++col) out.at(col, row) = static_cast<float>(w[row][col + 4]);
  return out;
}

float maxDifference(const Mat4& a, const Mat4& b) {
  float worst = 0.0f;
  for (int i = 0; i < 16; ++i) {
    const float d = std::fabs(a.m[i] - b.m[i]);
    if (std::isnan(d)) return std::numeric_limits<float>::infinity();
    worst = std::max(worst, d);
  }
  return worst;
}

bool MatrixStack::pop() {
  if (stack_.size() <= 1) return false;
  stack_.pop_back();
  return true;
}

}  // namespace vestora
