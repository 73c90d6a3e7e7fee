#include "cloth/cloth_system.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "platform/log.h"

namespace vestora {
namespace {

Vec4 minus(const Vec4& a, const Vec4& b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z, 0};
}
float dot(const Vec4& a, const Vec4& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}

void addXyz(Vec4& to, const Vec4& v, float s) {
  to.x += s * v.x;
  to.y += s * v.y;
  to.z += s * v.z;
}

// block(i, j) += s · m. Looks the block up again for every update: an
// insertion moves the others.
void addToBlock(BlockSparseMatrix& matrix, int i, int j, const Matrix3& m, float s) {
  Matrix3& block = matrix.GetBlock(i, j);
  for (std::size_t k = 0; k < 9; ++k) block.m[k] += s * m.m[k];
}

bool inRange(int i, std::size_t count) {
  return i >= 0 && static_cast<std::size_t>(i) < count;
}

}  // namespace

void Vec4Array::SetZero() {
  std::fill(entries_.begin(), entries_.end(), Vec4{});
}

void Matrix3::SetIdentity() {
  m = {1, 0, 0, 0, 1, 0, 0, 0, 1};
}

void Matrix3::SetZero() {
  m.fill(0.0f);
}

void Matrix3::Add(const Matrix3& b) {
  for (std::size_t k = 0; k < 9; ++k) m[k] += b.m[k];
}

void Matrix3::Subtract(const Matrix3& b) {
  for (std::size_t k = 0; k < 9; ++k) m[k] -= b.m[k];
}

void Matrix3::SetOuterProduct(const Vec4& a, const Vec4& b) {
  const std::array<float, 3> u{a.x, a.y, a.z};
  const std::array<float, 3> v{b.x, b.y, b.z};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) (*this)(r, c) = u[r] * v[c];
}

Vec4 Matrix3::Transform(const Vec4& v) const {
  return {m[0] * v.x + m[1] * v.y + m[2] * v.z, m[3] * v.x + m[4] * v.y + m[5] * v.z,
          m[6] * v.x + m[7] * v.y + m[8] * v.z, 0};
}

Matrix3 Matrix3::Identity() {
  Matrix3 identity;
  identity.SetIdentity();
  return identity;
}

BlockSparseMatrix::BlockSparseMatrix(int blockRows, int blockColumns)
    : blockRows_(std::max(blockRows, 1)),
      blockColumns_(std::max(blockColumns, 1)),
      rowStarts_(static_cast<std::size_t>(blockRows_) + 1, 0) {}

Matrix3& BlockSparseMatrix::GetBlock(int i, int j) {
  if (i > j) std::swap(i, j);
  if (i < 0 || i >= blockRows_ || j >= blockColumns_)
    throw std::out_of_range("block outside the matrix");
  const auto rowBegin = columnIndexes_.begin() + rowStarts_[static_cast<std::size_t>(i)];
  const auto rowEnd = columnIndexes_.begin() + rowStarts_[static_cast<std::size_t>(i) + 1];
  const auto at = std::lower_bound(rowBegin, rowEnd, j);
  const auto position = at - columnIndexes_.begin();
  if (at != rowEnd && *at == j) return blocks_[static_cast<std::size_t>(position)];

  columnIndexes_.insert(at, j);
  blocks_.insert(blocks_.begin() + position, Matrix3{});
  for (std::size_t r = static_cast<std::size_t>(i) + 1; r < rowStarts_.size(); ++r) ++rowStarts_[r];
  stamp_ += static_cast<std::uint64_t>(i) * 190237u + static_cast<std::uint64_t>(j) + 190238u;
  return blocks_[static_cast<std::size_t>(position)];
}

const Matrix3* BlockSparseMatrix::FindBlock(int i, int j) const {
  if (i > j) std::swap(i, j);
  if (i < 0 || i >= blockRows_ || j >= blockColumns_) return nullptr;
  const auto rowBegin = columnIndexes_.begin() + rowStarts_[static_cast<std::size_t>(i)];
  const auto rowEnd = columnIndexes_.begin() + rowStarts_[static_cast<std::size_t>(i) + 1];
  const auto at = std::lower_bound(rowBegin, rowEnd, j);
  if (at == rowEnd || *at != j) return nullptr;
  return &blocks_[static_cast<std::size_t>(at - columnIndexes_.begin())];
}

void BlockSparseMatrix::CopyFrom(const BlockSparseMatrix& other) {
  if (this != &other) *this = other;
}

void BlockSparseMatrix::ZeroBlocks() {
  for (Matrix3& block : blocks_) block.SetZero();
}

PackedSymmetricMatrix::PackedSymmetricMatrix(int n)
    : n_(std::max(n, 1)),
      values_(static_cast<std::size_t>(n_) * static_cast<std::size_t>(n_ + 1) / 2, 0.0f) {}

std::size_t PackedSymmetricMatrix::PackedIndex(int n, int i, int j) {
  if (i > j) std::swap(i, j);
  // Row i starts after the n + (n − 1) + … + (n − i + 1) elements of the rows
  // above and holds columns i … n − 1.
  const std::int64_t row = i;
  return static_cast<std::size_t>((n - 1) * row - (row - 1) * row / 2 + j);
}

void PackedSymmetricMatrix::SetZero() {
  std::fill(values_.begin(), values_.end(), 0.0f);
}

void PackedSymmetricMatrix::SetIdentity() {
  SetZero();
  for (int i = 0; i < n_; ++i) (*this)(i, i) = 1.0f;
}

bool PackedSymmetricMatrix::Scale(float s, PackedSymmetricMatrix& out) const {
  if (out.n_ != n_) return false;
  for (std::size_t k = 0; k < values_.size(); ++k) out.values_[k] = s * values_[k];
  return true;
}

bool PackedSymmetricMatrix::Subtract(const PackedSymmetricMatrix& b,
                                     PackedSymmetricMatrix& out) const {
  if (b.n_ != n_ || out.n_ != n_) return false;
  for (std::size_t k = 0; k < values_.size(); ++k) out.values_[k] = values_[k] - b.values_[k];
  return true;
}

bool PackedSymmetricMatrix::Invert() {
  // In-place Gauss–Jordan on the full matrix, in double; each row is scaled
  // so its pivot becomes 1 and the pivot's column is then cleared from every
  // other row, the cleared column taking the inverse's entries.
  const auto n = static_cast<std::size_t>(n_);
  std::vector<double> a(n * n);
  for (std::size_t r = 0; r < n; ++r)
    for (std::size_t c = 0; c < n; ++c)
      a[r * n + c] = (*this)(static_cast<int>(r), static_cast<int>(c));

  for (std::size_t k = 0; k < n; ++k) {
    double* pivotRow = &a[k * n];
    const double pivot = pivotRow[k];
    if (pivot == 0.0) {
      debugOutput("Singular Matrix\r\n");
      return false;
    }
    const double reciprocal = 1.0 / pivot;
    pivotRow[k] = 1.0;
    for (std::size_t c = 0; c < n; ++c) pivotRow[c] *= reciprocal;
    for (std::size_t r = 0; r < n; ++r) {
      if (r == k) continue;
      double* row = &a[r * n];
      const double factor = row[k];
      if (factor == 0.0) continue;
      row[k] = 0.0;
      for (std::size_t c = 0; c < n; ++c) row[c] -= factor * pivotRow[c];
    }
  }

  for (std::size_t r = 0; r < n; ++r)
    for (std::size_t c = r; c < n; ++c)
      (*this)(static_cast<int>(r), static_cast<int>(c)) = static_cast<float>(a[r * n + c]);
  return true;
}

void GravityForce::Apply(const Vec4Array& positions, const Vec4Array& /*velocities*/,
                         const Vec4Array& masses, Vec4Array& forces, BlockSparseMatrix& /*dfdx*/,
                         BlockSparseMatrix& /*dfdv*/) {
  const std::size_t count = std::min({positions.count(), masses.count(), forces.count()});
  for (std::size_t i = 0; i < count; ++i) {
    const float side = positions[i].w;
    const Vec4& m = masses[i];
    Vec4& f = forces[i];
    if (side == 0.0f) {
      f.x += m.x * g.x;
      f.y += m.y * g.y;
      f.z += m.z * g.z;
    } else if (side == 1.0f) {
      f.x += m.x * g.x;
      f.y += m.y * g.y;
      f.z -= m.z * g.z;
    }
  }
}

void SpringForce::Assemble(PackedSymmetricMatrix& K, BlockSparseMatrix& J) {
  const auto size = static_cast<std::size_t>(K.size());
  if (!inRange(a, size) || !inRange(b, size)) return;
  K(a, b) += ks;
  K(a, a) -= ks;
  K(b, b) -= ks;
  J.GetBlock(a, a);
  J.GetBlock(a, b);
  J.GetBlock(b, b);
}

void SpringForce::PostStep(const Vec4Array& masses, Vec4Array& positions) {
  if (!limitLength) return;
  const std::size_t count = std::min(masses.count(), positions.count());
  if (!inRange(a, count) || !inRange(b, count)) return;
  Vec4& xa = positions[static_cast<std::size_t>(a)];
  Vec4& xb = positions[static_cast<std::size_t>(b)];
  const Vec4 d = minus(xa, xb);
  const float length = std::sqrt(dot(d, d));
  if (!(length > maxLength)) return;
  const float c = (length - maxLength) / 2.0f;
  const Vec4 towardsA{d.x / length, d.y / length, d.z / length, 0};
  if (masses[static_cast<std::size_t>(a)].x == 0.0f) {
    addXyz(xb, towardsA, 2.0f * c);
  } else if (masses[static_cast<std::size_t>(b)].x == 0.0f) {
    addXyz(xa, towardsA, -2.0f * c);
  } else {
    addXyz(xa, towardsA, -c);
    addXyz(xb, towardsA, c);
  }
}

void SpringForce::Apply(const Vec4Array& positions, const Vec4Array& velocities,
                        const Vec4Array& /*masses*/, Vec4Array& forces, BlockSparseMatrix& dfdx,
                        BlockSparseMatrix& dfdv) {
  const std::size_t count = std::min({positions.count(), velocities.count(), forces.count()});
  if (!inRange(a, count) || !inRange(b, count)) return;
  const auto ia = static_cast<std::size_t>(a), ib = static_cast<std::size_t>(b);
  const Vec4 d = minus(positions[ia], positions[ib]);
  const float length = std::sqrt(dot(d, d));
  if (!(length > 0.0f)) return;
  const Vec4 u{d.x / length, d.y / length, d.z / length, 0};
  const float along = ks * (length - rest) + kd * dot(minus(velocities[ia], velocities[ib]), u);
  addXyz(forces[ia], u, -along);
  addXyz(forces[ib], u, along);

  // ∂fa/∂xa = −ks ((1 − rest/L) I + (rest/L) u uᵀ), ∂fa/∂va = −kd u uᵀ; the
  // blocks at (b, b) are the same and at (a, b) their negatives.
  Matrix3 uuT;
  uuT.SetOuterProduct(u, u);
  // Compressed, the transverse term (1 − rest/L) would be negative.
  const float ratio = std::min(rest / length, 1.0f);
  Matrix3 positionTerm;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      positionTerm(r, c) = -ks * ((r == c ? 1.0f - ratio : 0.0f) + ratio * uuT(r, c));
  addToBlock(dfdx, a, a, positionTerm, 1.0f);
  addToBlock(dfdx, b, b, positionTerm, 1.0f);
  addToBlock(dfdx, a, b, positionTerm, -1.0f);
  addToBlock(dfdv, a, a, uuT, -kd);
  addToBlock(dfdv, b, b, uuT, -kd);
  addToBlock(dfdv, a, b, uuT, kd);
}

ParticleConstraint::ParticleConstraint(int particle, int type, const Vec4& p, const Vec4& q,
                                       float s)
    : particle_(particle), type_(type), p_(p), q_(q), s_(s) {
  ppT_.SetOuterProduct(p, p);
  qqT_.SetOuterProduct(q, q);
}

void ParticleConstraint::Apply(std::span<Matrix3> S, Vec4Array& z) const {
  if (!inRange(particle_, S.size()) || !inRange(particle_, z.count())) return;
  const auto i = static_cast<std::size_t>(particle_);
  z[i] = {s_, s_, s_, 0};
  Matrix3& filter = S[i];
  switch (type_) {
    case 0:
      filter.SetZero();
      break;
    case 1:
      filter.SetIdentity();
      filter.Subtract(ppT_);
      filter.Subtract(qqT_);
      break;
    case 2:
      filter.SetIdentity();
      filter.Subtract(ppT_);
      break;
    default:
      filter.SetIdentity();
      z[i] = Vec4{};
      break;
  }
}

ClothSystem::ClothSystem(int n)
    : n_(std::max(n, 0)),
      positions_(static_cast<std::size_t>(n_)),
      velocities_(static_cast<std::size_t>(n_)),
      workVectors_(kWorkVectorCount, Vec4Array(static_cast<std::size_t>(n_))),
      masses_(static_cast<std::size_t>(n_)),
      inverseMasses_(static_cast<std::size_t>(n_)),
      stiffness_(n_),
      filterMatrix_(n_),
      identity_(n_, n_),
      jacobian_(n_, n_),
      jacobianCopies_(kJacobianCopyCount, BlockSparseMatrix(n_, n_)),
      solverVectors_(kSolverVectorCount, Vec4Array(static_cast<std::size_t>(n_))),
      filters_(static_cast<std::size_t>(n_), Matrix3::Identity()) {
  for (int i = 0; i < n_; ++i) {
    masses_[static_cast<std::size_t>(i)] = {1, 1, 1, 0};
    inverseMasses_[static_cast<std::size_t>(i)] = {1, 1, 1, 0};
    identity_.GetBlock(i, i).SetIdentity();
  }
}

ClothSystem::~ClothSystem() = default;

void ClothSystem::SetMass(int i, float m) {
  if (!inRange(i, static_cast<std::size_t>(n_))) return;
  const auto k = static_cast<std::size_t>(i);
  masses_[k] = {m, m, m, 0};
  if (m <= 0.0f) {
    inverseMasses_[k] = Vec4{};
  } else {
    inverseMasses_[k] = {1.0f / m, 1.0f / m, 1.0f / m, 0};
    referenceMass_ = m;
  }
}

void ClothSystem::AddForce(ClothForce* force) {
  if (force) forces_.push_back(force);
}

bool ClothSystem::RemoveForce(ClothForce* force) {
  const auto at = std::find(forces_.begin(), forces_.end(), force);
  if (at == forces_.end()) return false;
  forces_.erase(at);
  return true;
}

void ClothSystem::AddConstraint(ParticleConstraint* constraint) {
  if (!constraint) return;
  constraints_.push_back(constraint);
  ReapplyConstraints();
}

bool ClothSystem::RemoveConstraint(ParticleConstraint* constraint) {
  const auto at = std::find(constraints_.begin(), constraints_.end(), constraint);
  if (at == constraints_.end()) return false;
  constraints_.erase(at);
  ReapplyConstraints();
  return true;
}

void ClothSystem::ReapplyConstraints() {
  for (Matrix3& filter : filters_) filter.SetIdentity();
  Vec4Array& z = solverVectors_[0];
  z.SetZero();
  for (const ParticleConstraint* constraint : constraints_) constraint->Apply(filters_, z);
}

void ClothSystem::ClearHeldParticles() {
  for (const auto& held : heldConstraints_) {
    const auto at = std::find(constraints_.begin(), constraints_.end(), held.get());
    if (at != constraints_.end()) constraints_.erase(at);
  }
  heldConstraints_.clear();
  ReapplyConstraints();
}

void ClothSystem::SetHeldParticles(std::span<const std::int32_t> held) {
  ClearHeldParticles();
  if (held.empty()) {
    heldConstraints_.push_back(std::make_unique<ParticleConstraint>(
        0, kPlaceholderConstraintType, kHeldDirectionP, kHeldDirectionQ, 0.0f));
  } else {
    for (const std::int32_t particle : held) {
      heldConstraints_.push_back(std::make_unique<ParticleConstraint>(
          particle, kHeldConstraintType, kHeldDirectionP, kHeldDirectionQ, 0.0f));
      if (mode_ != ClothMode::kBlockSparse) SetMass(particle, 0.0f);
    }
  }
  for (const auto& constraint : heldConstraints_) constraints_.push_back(constraint.get());
  ReapplyConstraints();
}

void ClothSystem::Initialize() {
  const auto start = std::chrono::steady_clock::now();
  if (mode_ != ClothMode::kNone) {
    stiffness_.SetZero();
    for (ClothForce* force : forces_) force->Assemble(stiffness_, jacobian_);
  }
  if (mode_ == ClothMode::kBlockSparse) {
    for (BlockSparseMatrix& copy : jacobianCopies_) copy.CopyFrom(jacobian_);
  }
  if (mode_ == ClothMode::kDense) {
    stiffness_.Scale(1.0f / referenceMass_, stiffness_);
    filterMatrix_.SetIdentity();
    filterMatrix_.Subtract(stiffness_, filterMatrix_);
    filterMatrix_.Invert();
  }
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - start);
  char text[64];
  std::snprintf(text, sizeof text, "Initialize: %lu msec\r\n",
                static_cast<unsigned long>(elapsed.count()));
  debugOutput(text);
}

void ClothSystem::Reset(std::span<const Vec4> particles, std::span<const std::int32_t> held) {
  SetHeldParticles(held);
  if (mode_ == ClothMode::kBlockSparse) {
    positions_.SetZero();
    velocities_.SetZero();
    for (Vec4Array& v : workVectors_) v.SetZero();
    stiffness_.SetZero();
    filterMatrix_.SetZero();
    jacobian_.ZeroBlocks();
    for (BlockSparseMatrix& copy : jacobianCopies_) copy.ZeroBlocks();
    for (Vec4Array& v : solverVectors_) v.SetZero();
  }
  const std::size_t count = std::min(particles.size(), positions_.count());
  for (std::size_t i = 0; i < count; ++i) positions_[i] = particles[i];
}

}  // namespace vestora
