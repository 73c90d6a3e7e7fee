// 4 × 4 float matrices laid out and combined the way the graphics library
// keeps its model-view matrix, and a matrix stack that behaves like its
// model-view stack, so that the skeleton's tree walks need no GL context.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

namespace vestora {

// Column-major: element [col][row] is m[4 * col + row]; the translation is in
// m[12], m[13], m[14].
struct Mat4 {
  std::array<float, 16> m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

  static Mat4 identity() { return Mat4{}; }
  static Mat4 translation(float x, float y, float z);
  // The rotation the graphics library builds for (angle, x, y, z): `degrees`
  // counter-clockwise about the axis, which is normalised first. A zero axis
  // gives the identity.
  static Mat4 rotation(float degrees, float x, float y, float z);

  float& at(int col, int row) { return m[4 * col + row]; }
  float at(int col, int row) const { return m[4 * col + row]; }

  // x, y, z of this × (x, y, z, 1); the bottom row is not applied, the
  // matrices used here are affine.
  std::array<float, 3> transformPoint(const std::array<float, 3>& p) const;

  bool operator==(const Mat4&) const = default;
};

// The graphics library's product: element [col][row] = Σk a[k][row] × b[col][k],
// so (a × b) applied to a point applies b first.
Mat4 operator*(const Mat4& a, const Mat4& b);

// The general inverse. A singular matrix writes "Singular Matrix" to the
// diagnostic output and gives the identity.
Mat4 inverse(const Mat4& a);

// Largest absolute difference of two matrices' elements; infinity when an
// element is not a number.
float maxDifference(const Mat4& a, const Mat4& b);

// A stack of matrices like the model-view stack: starts with one entry, the
// base; translate, rotate and multiply act on the top entry from the right.
class MatrixStack {
 public:
  explicit MatrixStack(const Mat4& base = Mat4::identity()) : stack_{base} {}

  const Mat4& top() const { return stack_.back(); }
  void load(const Mat4& a) { stack_.back() = a; }
  void multiply(const Mat4& a) { stack_.back() = stack_.back() * a; }
  void translate(float x, float y, float z) { multiply(Mat4::translation(x, y, z)); }
  void rotate(float degrees, float x, float y, float z) {
    multiply(Mat4::rotation(degrees, x, y, z));
  }

  // Push copies the top entry; pop on the last entry leaves it in place and
  // returns false (the graphics library would report a stack underflow).
  void push() { stack_.push_back(stack_.back()); }
  bool pop();
  std::size_t depth() const { return stack_.size(); }

 private:
  std::vector<Mat4> stack_;
};

}  // namespace vestora
