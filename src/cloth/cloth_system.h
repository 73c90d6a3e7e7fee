// The mass-spring model of a garment: one mass point per particle, springs,
// gravity and velocity constraints for held particles, with the block-sparse
// and packed symmetric matrices of an implicit (backward-Euler style)
// integrator. The system is built, assembled, reset and released; nothing
// here advances it in time.
//
// Particle numbers are 0-based throughout. Positions carry the particle's
// side code in w (0 front, 1 back, others get no gravity).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <span>
#include <vector>

namespace vestora {

struct Vec4 {
  float x = 0, y = 0, z = 0, w = 0;
  bool operator==(const Vec4&) const = default;
};

// A fixed number of Vec4 entries, all (0, 0, 0, 0) when created.
class Vec4Array {
 public:
  Vec4Array() = default;
  explicit Vec4Array(std::size_t count) : entries_(count) {}

  std::size_t count() const { return entries_.size(); }
  Vec4& operator[](std::size_t i) { return entries_[i]; }
  const Vec4& operator[](std::size_t i) const { return entries_[i]; }
  void SetZero();

 private:
  std::vector<Vec4> entries_;
};

// 3 × 3 floats, row-major: element (row, col) is m[3 * row + col]. Starts zero.
struct Matrix3 {
  std::array<float, 9> m{};

  float& operator()(int row, int col) { return m[3 * row + col]; }
  float operator()(int row, int col) const { return m[3 * row + col]; }

  void SetIdentity();
  void SetZero();
  void Add(const Matrix3& b);       // this += b
  void Subtract(const Matrix3& b);  // this −= b
  void CopyFrom(const Matrix3& b) { m = b.m; }
  // this = a bᵀ over the x, y, z of a and b.
  void SetOuterProduct(const Vec4& a, const Vec4& b);
  // (x, y, z) of this × (x, y, z); w is 0.
  Vec4 Transform(const Vec4& v) const;

  static Matrix3 Identity();
  bool operator==(const Matrix3&) const = default;
};

// A symmetric matrix of 3 × 3 blocks of which only the upper triangle
// (block row ≤ block column) is stored, row by row, the blocks of a row in
// ascending column order (compressed sparse rows). Block (j, i) is block
// (i, j); the blocks kept here are themselves symmetric.
class BlockSparseMatrix {
 public:
  // Both counts are at least 1 (smaller values become 1).
  BlockSparseMatrix(int blockRows, int blockColumns);

  int blockRows() const { return blockRows_; }
  int blockColumns() const { return blockColumns_; }
  int blockCount() const { return static_cast<int>(blocks_.size()); }
  // blockRows() + 1 entries: row i's blocks are [rowStarts[i], rowStarts[i + 1]).
  const std::vector<int>& rowStarts() const { return rowStarts_; }
  // One column number per stored block, in storage order.
  const std::vector<int>& columnIndexes() const { return columnIndexes_; }
  const std::vector<Matrix3>& blocks() const { return blocks_; }
  // The k-th stored block (storage order), for sweeps over all blocks.
  Matrix3& blockAt(std::size_t k) { return blocks_[k]; }
  // Sum of i · 190237 + j + 190238 over every block (i ≤ j) ever inserted:
  // equal stamps mean (almost surely) equal structure.
  std::uint64_t structureStamp() const { return stamp_; }

  // Block (i, j), the same as (j, i). A block not yet stored is inserted as
  // zero. The reference is valid until the next insertion. Throws
  // std::out_of_range for a position outside the matrix.
  Matrix3& GetBlock(int i, int j);
  // Block (i, j) or (j, i) without inserting; nullptr when not stored.
  const Matrix3* FindBlock(int i, int j) const;

  // Takes over the other matrix's counts, structure, blocks and stamp.
  void CopyFrom(const BlockSparseMatrix& other);
  // Sets every stored block to zero; the structure stays.
  void ZeroBlocks();

 private:
  int blockRows_;
  int blockColumns_;
  std::vector<int> rowStarts_;
  std::vector<int> columnIndexes_;
  std::vector<Matrix3> blocks_;
  std::uint64_t stamp_ = 0;
};

// A symmetric n × n matrix (n ≥ 1) keeping its upper triangle row by row in
// n (n + 1) / 2 floats. Starts zero.
class PackedSymmetricMatrix {
 public:
  // A size below 1 becomes 1.
  explicit PackedSymmetricMatrix(int n);

  int size() const { return n_; }
  // Where element (i, j) is kept; (i, j) and (j, i) share a slot.
  static std::size_t PackedIndex(int n, int i, int j);
  float& operator()(int i, int j) { return values_[PackedIndex(n_, i, j)]; }
  float operator()(int i, int j) const { return values_[PackedIndex(n_, i, j)]; }
  const std::vector<float>& values() const { return values_; }

  void SetZero();
  void SetIdentity();
  // out = s · this; false (out untouched) when the sizes differ. out may be this.
  bool Scale(float s, PackedSymmetricMatrix& out) const;
  // out = this − b; false (out untouched) when the sizes differ. out may be
  // this or b.
  bool Subtract(const PackedSymmetricMatrix& b, PackedSymmetricMatrix& out) const;
  // Replaces the matrix by its inverse: Gauss–Jordan elimination without
  // pivoting. A diagonal element that is exactly 0 when its row is reached
  // writes "Singular Matrix" to the diagnostic output, leaves the matrix as
  // it was and returns false (so an invertible matrix with a zero leading
  // element fails too).
  bool Invert();

 private:
  int n_;
  std::vector<float> values_;
};

// A force acting on the mass points. Forces are owned by whoever creates
// them; the system only keeps pointers.
class ClothForce {
 public:
  virtual ~ClothForce() = default;

  // Adds the force's constant terms to the stiffness matrix K (n × n, one
  // entry per particle pair) and creates its blocks in the Jacobian J.
  virtual void Assemble(PackedSymmetricMatrix& /*K*/, BlockSparseMatrix& /*J*/) {}
  // Corrects positions after a step. masses: (m, m, m) per particle.
  virtual void PostStep(const Vec4Array& /*masses*/, Vec4Array& /*positions*/) {}
  // Adds the force of one step to `forces` (x, y, z; w untouched) and its
  // derivatives with respect to positions and velocities to the blocks of
  // dfdx and dfdv (inserting the blocks it needs).
  virtual void Apply(const Vec4Array& /*positions*/, const Vec4Array& /*velocities*/,
                     const Vec4Array& /*masses*/, Vec4Array& /*forces*/,
                     BlockSparseMatrix& /*dfdx*/, BlockSparseMatrix& /*dfdv*/) {}
};

// Gravity by side: code 0 gets (m g.x, m g.y, m g.z), code 1 the same with z
// mirrored (back pieces are pulled the other way along z), other codes nothing.
class GravityForce : public ClothForce {
 public:
  GravityForce() = default;
  explicit GravityForce(const Vec4& gravity) : g(gravity) {}

  void Apply(const Vec4Array& positions, const Vec4Array& velocities, const Vec4Array& masses,
             Vec4Array& forces, BlockSparseMatrix& dfdx, BlockSparseMatrix& dfdv) override;

  Vec4 g;  // w not used
};

// A spring between particles a and b.
class SpringForce : public ClothForce {
 public:
  SpringForce() = default;
  SpringForce(int first, int second) : a(first), b(second) {}

  // K(a, b) += ks, K(a, a) −= ks, K(b, b) −= ks; creates blocks (a, a),
  // (a, b) and (b, b) in J.
  void Assemble(PackedSymmetricMatrix& K, BlockSparseMatrix& J) override;
  // With the length limit on, pulls a spring longer than maxLength back to
  // maxLength: both ends move half the excess, or only b when a's mass is 0,
  // or only a when b's mass is 0.
  void PostStep(const Vec4Array& masses, Vec4Array& positions) override;
  // Spring force ks (L − rest) and damping kd (va − vb)·u along u = (xa − xb)/L,
  // pulling a and b together when stretched. The position Jacobian leaves out
  // the damping term's dependence on direction, and a compressed spring keeps
  // only its term along the spring, so that the Jacobians stay negative
  // semidefinite (an implicit step's matrix then stays positive definite).
  // A spring of length 0 adds nothing.
  void Apply(const Vec4Array& positions, const Vec4Array& velocities, const Vec4Array& masses,
             Vec4Array& forces, BlockSparseMatrix& dfdx, BlockSparseMatrix& dfdv) override;

  int a = 0, b = 0;
  float ks = 100.0f;  // stiffness
  float kd = 10.0f;   // damping
  float rest = 1.0f;  // rest length, model units
  float maxLength = 1.05f;
  bool limitLength = false;
};

// Restricts one particle's velocity. Types: 0 held in all directions, 1 held
// along p and q, 2 held along p, anything else free (a placeholder). p and q
// are expected to be unit length and orthogonal.
class ParticleConstraint {
 public:
  ParticleConstraint(int particle, int type, const Vec4& p, const Vec4& q, float s);

  // Sets the particle's filter S and its constrained velocity z = (s, s, s):
  // type 0 S = 0; 1 S = I − p pᵀ − q qᵀ; 2 S = I − p pᵀ; other S = I and
  // z = 0. A particle outside the arrays is left alone.
  void Apply(std::span<Matrix3> S, Vec4Array& z) const;

  int particle() const { return particle_; }
  int type() const { return type_; }
  const Vec4& p() const { return p_; }
  const Vec4& q() const { return q_; }
  float speed() const { return s_; }

 private:
  int particle_;
  int type_;
  Vec4 p_, q_;
  float s_;
  Matrix3 ppT_, qqT_;
};

enum class ClothMode : int {
  kNone = 0,         // Initialize assembles nothing
  kBlockSparse = 1,  // the Jacobian and its copies (what garments use)
  kDense = 2,        // packed K and its filter W = (I − K / m)⁻¹
};

// What the held-particle constraints are made of: held along p and q (in
// fact in all directions, type 0) at speed 0. A system without held
// particles gets one placeholder instead.
inline constexpr Vec4 kHeldDirectionP{0, 1, 0, 0};
inline constexpr Vec4 kHeldDirectionQ{0, 0, 1, 0};
inline constexpr int kHeldConstraintType = 0;
inline constexpr int kPlaceholderConstraintType = 3;

class ClothSystem {
 public:
  static constexpr int kWorkVectorCount = 7;
  static constexpr int kSolverVectorCount = 9;  // the constrained velocities z first
  static constexpr int kJacobianCopyCount = 4;

  // n particles, each of mass 1 and free; mode kDense.
  explicit ClothSystem(int n);
  ~ClothSystem();
  ClothSystem(const ClothSystem&) = delete;
  ClothSystem& operator=(const ClothSystem&) = delete;

  int particleCount() const { return n_; }
  // An integer setting kept for the builder (10 by default there); not read.
  void setParameter(int value) { parameter_ = value; }
  int parameter() const { return parameter_; }
  void setMode(ClothMode mode) { mode_ = mode; }
  ClothMode mode() const { return mode_; }

  // masses(i) = (m, m, m); inverse masses (1/m, 1/m, 1/m) and the reference
  // mass becomes m, or (0, 0, 0) and the reference mass stays for m ≤ 0.
  // A particle outside the system is ignored.
  void SetMass(int i, float m);
  float referenceMass() const { return referenceMass_; }

  // Appends to the force list; the system does not own the force.
  void AddForce(ClothForce* force);
  // Unlinks the force; false when it is not in the list.
  bool RemoveForce(ClothForce* force);
  // Empties the force list.
  void ClearForces() { forces_.clear(); }
  // Appends to the constraint list (not owned), then re-applies every
  // constraint in list order from S = I and z = 0.
  void AddConstraint(ParticleConstraint* constraint);
  // Unlinks the constraint and re-applies the others; false (and nothing
  // changes) when it is not in the list.
  bool RemoveConstraint(ParticleConstraint* constraint);

  // Replaces the system's own held-particle constraints: one of type 0
  // (directions kHeldDirectionP/Q, speed 0) per held particle, added in
  // order, or the placeholder (particle 0, type 3) when there are none.
  // Outside kBlockSparse mode each held particle's mass is also set to 0.
  // The system owns these; they are removed and deleted when replaced or
  // by ClearHeldParticles, and with the system.
  void SetHeldParticles(std::span<const std::int32_t> held);
  void ClearHeldParticles();

  // Assembles the constant terms (see ClothMode) and writes
  // "Initialize: <ms> msec" to the diagnostic output.
  void Initialize();

  // Back to a garment's loaded state: re-creates the held-particle
  // constraints from `held`; in kBlockSparse mode clears positions,
  // velocities, the working and solver vectors, K, W and the blocks of J and
  // its copies (masses, inverse masses and S are kept); then sets positions
  // from `particles` (x, y, z and w = side code). Extra entries of
  // `particles` are ignored; particles without one keep their positions.
  void Reset(std::span<const Vec4> particles, std::span<const std::int32_t> held);

  Vec4Array& positions() { return positions_; }
  const Vec4Array& positions() const { return positions_; }
  Vec4Array& velocities() { return velocities_; }
  const Vec4Array& velocities() const { return velocities_; }
  const Vec4Array& masses() const { return masses_; }
  const Vec4Array& inverseMasses() const { return inverseMasses_; }
  Vec4Array& workVector(int k) { return workVectors_[static_cast<std::size_t>(k)]; }
  const Vec4Array& workVector(int k) const { return workVectors_[static_cast<std::size_t>(k)]; }
  Vec4Array& solverVector(int k) { return solverVectors_[static_cast<std::size_t>(k)]; }
  const Vec4Array& solverVector(int k) const { return solverVectors_[static_cast<std::size_t>(k)]; }
  // z: the velocity each particle is held to.
  const Vec4Array& constrainedVelocities() const { return solverVectors_[0]; }
  // S: one filter per particle, identity when the particle is free.
  const std::vector<Matrix3>& constraintFilters() const { return filters_; }

  PackedSymmetricMatrix& stiffness() { return stiffness_; }  // K
  const PackedSymmetricMatrix& stiffness() const { return stiffness_; }
  const PackedSymmetricMatrix& filterMatrix() const { return filterMatrix_; }  // W
  // An identity block on the diagonal for every particle.
  const BlockSparseMatrix& identityBlocks() const { return identity_; }
  BlockSparseMatrix& jacobian() { return jacobian_; }  // J
  const BlockSparseMatrix& jacobian() const { return jacobian_; }
  const BlockSparseMatrix& jacobianCopy(int k) const {
    return jacobianCopies_[static_cast<std::size_t>(k)];
  }
  BlockSparseMatrix& jacobianCopy(int k) { return jacobianCopies_[static_cast<std::size_t>(k)]; }

  const std::list<ClothForce*>& forces() const { return forces_; }
  const std::list<ParticleConstraint*>& constraints() const { return constraints_; }

 private:
  void ReapplyConstraints();

  int n_;
  int parameter_ = 0;
  Vec4Array positions_, velocities_;
  std::vector<Vec4Array> workVectors_;
  Vec4Array masses_, inverseMasses_;
  PackedSymmetricMatrix stiffness_, filterMatrix_;
  float referenceMass_ = 1.0f;
  BlockSparseMatrix identity_, jacobian_;
  std::vector<BlockSparseMatrix> jacobianCopies_;
  std::vector<Vec4Array> solverVectors_;
  std::vector<Matrix3> filters_;
  std::list<ClothForce*> forces_;
  std::list<ParticleConstraint*> constraints_;
  std::vector<std::unique_ptr<ParticleConstraint>> heldConstraints_;
  ClothMode mode_ = ClothMode::kDense;
};

}  // namespace vestora
