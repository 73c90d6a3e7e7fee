#include "cloth/cloth_step.h"

#include <algorithm>
#include <cmath>

namespace vestora {
namespace {

bool sameStructure(const BlockSparseMatrix& a, const BlockSparseMatrix& b) {
  return a.structureStamp() == b.structureStamp() && a.blockCount() == b.blockCount();
}

void resize(Vec4Array& v, std::size_t n) {
  if (v.count() != n) v = Vec4Array(n);
}

double dot(const Vec4Array& a, const Vec4Array& b) {
  double sum = 0;
  const std::size_t n = a.count();
  for (std::size_t i = 0; i < n; ++i)
    sum += double(a[i].x) * b[i].x + double(a[i].y) * b[i].y + double(a[i].z) * b[i].z;
  return sum;
}

bool isIdentity(const Matrix3& m) {
  return m.m == std::array<float, 9>{1, 0, 0, 0, 1, 0, 0, 0, 1};
}

// v(i) = S(i) v(i) for every constrained particle.
void filter(std::span<const Matrix3> S, const std::vector<std::uint8_t>& free, Vec4Array& v) {
  for (std::size_t i = 0; i < free.size(); ++i) {
    if (free[i]) continue;
    const float w = v[i].w;
    v[i] = S[i].Transform(v[i]);
    v[i].w = w;
  }
}

}  // namespace

void MultiplySymmetric(const BlockSparseMatrix& A, const Vec4Array& x, Vec4Array& y) {
  const std::size_t rows = std::min<std::size_t>(static_cast<std::size_t>(A.blockRows()),
                                                 std::min(x.count(), y.count()));
  for (std::size_t i = 0; i < rows; ++i) y[i].x = y[i].y = y[i].z = 0;
  const int* starts = A.rowStarts().data();
  const int* columns = A.columnIndexes().data();
  const Matrix3* blocks = A.blocks().data();
  for (std::size_t i = 0; i < rows; ++i) {
    const Vec4 xi = x[i];
    float yx = 0, yy = 0, yz = 0;
    for (int k = starts[i]; k < starts[i + 1]; ++k) {
      const auto j = static_cast<std::size_t>(columns[k]);
      if (j >= rows) continue;
      const float* m = blocks[k].m.data();
      const Vec4& xj = x[j];
      yx += m[0] * xj.x + m[1] * xj.y + m[2] * xj.z;
      yy += m[3] * xj.x + m[4] * xj.y + m[5] * xj.z;
      yz += m[6] * xj.x + m[7] * xj.y + m[8] * xj.z;
      if (j != i) {
        Vec4& yj = y[j];
        yj.x += m[0] * xi.x + m[3] * xi.y + m[6] * xi.z;
        yj.y += m[1] * xi.x + m[4] * xi.y + m[7] * xi.z;
        yj.z += m[2] * xi.x + m[5] * xi.y + m[8] * xi.z;
      }
    }
    y[i].x += yx;
    y[i].y += yy;
    y[i].z += yz;
  }
}

StepReport SolveFiltered(const BlockSparseMatrix& A, std::span<const Matrix3> S, const Vec4Array& z,
                         const Vec4Array& b, Vec4Array& x, int maxIterations, float tolerance,
                         FilteredSolveWork& work) {
  StepReport report;
  const std::size_t n = std::min(
      {static_cast<std::size_t>(A.blockRows()), S.size(), z.count(), b.count(), x.count()});
  Vec4Array& r = work.residual;
  Vec4Array& c = work.direction;
  Vec4Array& q = work.product;
  Vec4Array& s = work.preconditioned;
  Vec4Array& pinv = work.inverseDiagonal;
  for (Vec4Array* v : {&r, &c, &q, &s, &pinv}) resize(*v, x.count());

  std::vector<std::uint8_t>& free = work.free;
  free.resize(n);
  for (std::size_t i = 0; i < n; ++i) free[i] = isIdentity(S[i]) ? 1 : 0;

  // The preconditioner: the inverse of A's diagonal.
  const int* starts = A.rowStarts().data();
  const int* columns = A.columnIndexes().data();
  for (std::size_t i = 0; i < n; ++i) {
    Vec4 d{1, 1, 1, 0};
    const int k = starts[i];
    if (k < starts[i + 1] && columns[k] == static_cast<int>(i)) {
      const Matrix3& block = A.blocks()[static_cast<std::size_t>(k)];
      d = {block(0, 0), block(1, 1), block(2, 2), 0};
    }
    pinv[i] = {d.x > 0 ? 1 / d.x : 1, d.y > 0 ? 1 / d.y : 1, d.z > 0 ? 1 / d.z : 1, 0};
  }
  auto precondition = [&](const Vec4Array& from, Vec4Array& to) {
    for (std::size_t i = 0; i < n; ++i)
      to[i] = {from[i].x * pinv[i].x, from[i].y * pinv[i].y, from[i].z * pinv[i].z, 0};
  };

  // Held components of the guess become z's; the free ones stay.
  for (std::size_t i = 0; i < n; ++i) {
    if (free[i]) continue;
    const Vec4 kept = S[i].Transform(x[i]);
    Vec4 held = z[i];
    const Vec4 heldFree = S[i].Transform(held);
    held = {held.x - heldFree.x, held.y - heldFree.y, held.z - heldFree.z, 0};
    x[i] = {kept.x + held.x, kept.y + held.y, kept.z + held.z, x[i].w};
  }

  // The size of the right-hand side in the measure of the residual.
  for (std::size_t i = 0; i < n; ++i) q[i] = b[i];
  filter(S, free, q);
  precondition(q, s);
  const double delta0 = dot(q, s);

  MultiplySymmetric(A, x, q);
  for (std::size_t i = 0; i < n; ++i) r[i] = {b[i].x - q[i].x, b[i].y - q[i].y, b[i].z - q[i].z, 0};
  filter(S, free, r);
  precondition(r, c);
  filter(S, free, c);
  double deltaNew = dot(r, c);
  const double goal = double(tolerance) * tolerance * delta0;

  int iteration = 0;
  while (deltaNew > goal && iteration < maxIterations) {
    MultiplySymmetric(A, c, q);
    filter(S, free, q);
    const double curvature = dot(c, q);
    if (!(curvature > 0)) break;  // not positive definite along c
    const auto alpha = static_cast<float>(deltaNew / curvature);
    for (std::size_t i = 0; i < n; ++i) {
      x[i].x += alpha * c[i].x;
      x[i].y += alpha * c[i].y;
      x[i].z += alpha * c[i].z;
      r[i].x -= alpha * q[i].x;
      r[i].y -= alpha * q[i].y;
      r[i].z -= alpha * q[i].z;
    }
    precondition(r, s);
    const double deltaOld = deltaNew;
    deltaNew = dot(r, s);
    const auto beta = static_cast<float>(deltaNew / deltaOld);
    for (std::size_t i = 0; i < n; ++i)
      c[i] = {s[i].x + beta * c[i].x, s[i].y + beta * c[i].y, s[i].z + beta * c[i].z, 0};
    filter(S, free, c);
    ++iteration;
  }
  report.iterations = iteration;
  report.residual =
      delta0 > 0 ? static_cast<float>(std::sqrt(std::max(deltaNew, 0.0) / delta0)) : 0;
  report.converged = deltaNew <= goal;
  return report;
}

void ImplicitStepper::unifyStructure(ClothSystem& system) {
  BlockSparseMatrix& J = system.jacobian();
  BlockSparseMatrix& V = system.jacobianCopy(0);
  BlockSparseMatrix& A = system.jacobianCopy(1);
  const int n = system.particleCount();
  for (int i = 0; i < n; ++i) J.GetBlock(i, i);
  // Every block of either in both, values kept.
  for (BlockSparseMatrix* from : {&V, &J}) {
    BlockSparseMatrix& to = from == &V ? J : V;
    if (sameStructure(*from, to)) continue;
    std::vector<std::pair<int, int>> positions;
    for (int i = 0; i < from->blockRows(); ++i)
      for (int k = from->rowStarts()[i]; k < from->rowStarts()[i + 1]; ++k)
        positions.emplace_back(i, from->columnIndexes()[static_cast<std::size_t>(k)]);
    for (const auto& [i, j] : positions) to.GetBlock(i, j);
  }
  A.CopyFrom(J);
}

StepReport ImplicitStepper::Step(ClothSystem& system) {
  const int n = system.particleCount();
  if (n == 0) return {};
  const auto count = static_cast<std::size_t>(n);
  BlockSparseMatrix& J = system.jacobian();
  BlockSparseMatrix& V = system.jacobianCopy(0);
  BlockSparseMatrix& A = system.jacobianCopy(1);
  if (!sameStructure(J, A) || !sameStructure(V, A)) unifyStructure(system);

  resize(forces_, count);
  resize(rhs_, count);
  if (deltaV_.count() != count) deltaV_ = Vec4Array(count);
  forces_.SetZero();
  J.ZeroBlocks();
  V.ZeroBlocks();
  Vec4Array& x = system.positions();
  Vec4Array& v = system.velocities();
  const Vec4Array& m = system.masses();
  for (ClothForce* force : system.forces()) force->Apply(x, v, m, forces_, J, V);
  // A force may have asked for blocks nobody assembled.
  if (!sameStructure(J, A) || !sameStructure(V, A)) unifyStructure(system);

  // A = M (1 + h drag) − h ∂f/∂v − h² ∂f/∂x.
  const float h = settings.timeStep;
  const float h2 = h * h;
  for (std::size_t k = 0; k < A.blocks().size(); ++k) {
    Matrix3& a = A.blockAt(k);
    const Matrix3& dx = J.blocks()[k];
    const Matrix3& dv = V.blocks()[k];
    for (std::size_t e = 0; e < 9; ++e) a.m[e] = -h * dv.m[e] - h2 * dx.m[e];
  }
  const float massScale = 1 + h * settings.drag;
  for (std::size_t i = 0; i < count; ++i) {
    Matrix3& diagonal = A.blockAt(static_cast<std::size_t>(A.rowStarts()[i]));
    diagonal(0, 0) += massScale * m[i].x;
    diagonal(1, 1) += massScale * m[i].y;
    diagonal(2, 2) += massScale * m[i].z;
  }

  // b = h (f + h ∂f/∂x v), with the drag's force −drag m v.
  MultiplySymmetric(J, v, rhs_);
  for (std::size_t i = 0; i < count; ++i) {
    const float d = settings.drag;
    rhs_[i] = {h * (forces_[i].x + h * rhs_[i].x - d * m[i].x * v[i].x),
               h * (forces_[i].y + h * rhs_[i].y - d * m[i].y * v[i].y),
               h * (forces_[i].z + h * rhs_[i].z - d * m[i].z * v[i].z), 0};
  }

  const StepReport report =
      SolveFiltered(A, system.constraintFilters(), system.constrainedVelocities(), rhs_, deltaV_,
                    settings.maxIterations, settings.tolerance, work_);

  for (std::size_t i = 0; i < count; ++i) {
    Vec4& vi = v[i];
    vi.x += deltaV_[i].x;
    vi.y += deltaV_[i].y;
    vi.z += deltaV_[i].z;
    Vec4& xi = x[i];
    xi.x += h * vi.x;
    xi.y += h * vi.y;
    xi.z += h * vi.z;
  }
  for (ClothForce* force : system.forces()) force->PostStep(m, x);
  return report;
}

}  // namespace vestora
