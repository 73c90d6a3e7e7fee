// Advancing the mass-spring system in time: one backward-Euler step with a
// single Newton iteration. The forces are linearised at the current state
// (their Apply gives the force and its Jacobians ∂f/∂x and ∂f/∂v), and the
// velocity change Δv solves
//
//   (M − h ∂f/∂v − h² ∂f/∂x) Δv = h (f + h ∂f/∂x v)
//
// by conjugate gradients preconditioned with the matrix's diagonal and
// filtered by the system's constraints: along every held direction Δv is
// exactly the constrained value z, and the solve only works in the free
// directions. Then v += Δv, x += h v, and every force corrects positions
// (PostStep).
//
// The matrices are the system's own: the Jacobian J receives ∂f/∂x, its
// first copy ∂f/∂v and its second copy the step's matrix, all with one
// structure (a diagonal block for every particle included).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "cloth/cloth_system.h"

namespace vestora {

struct ImplicitStepSettings {
  float timeStep = 0.01f;  // h, seconds
  int maxIterations = 120;
  // The solve stops when the filtered, preconditioned residual has shrunk
  // to this fraction of the right-hand side's.
  float tolerance = 1e-3f;
  // Air drag per second: a force −drag · m · v, taken implicitly.
  float drag = 0;
};

struct StepReport {
  int iterations = 0;
  float residual = 0;  // relative, as the tolerance
  bool converged = false;
};

// y = A x for a symmetric block matrix kept as its upper triangle (block
// (j, i) is the transpose of block (i, j)). x and y have one entry per
// block row; w is left alone.
void MultiplySymmetric(const BlockSparseMatrix& A, const Vec4Array& x, Vec4Array& y);

// The vectors a filtered solve works with; sized by the solve.
struct FilteredSolveWork {
  Vec4Array residual, direction, product, preconditioned, inverseDiagonal;
  std::vector<std::uint8_t> free;  // 1 for a particle whose filter is the identity
};

// Solves A x = b in the free directions of every particle: S(i) projects
// onto them (identity when free, zero when held in all directions), and
// along the held directions x(i) is exactly z(i). A must be symmetric and
// positive definite on the free directions. `x` comes in as the first guess
// (its held components are replaced by z's) and goes out as the solution.
StepReport SolveFiltered(const BlockSparseMatrix& A, std::span<const Matrix3> S, const Vec4Array& z,
                         const Vec4Array& b, Vec4Array& x, int maxIterations, float tolerance,
                         FilteredSolveWork& work);

// Steps a system again and again; keeps the working vectors between steps
// (the last Δv is the next step's first guess).
class ImplicitStepper {
 public:
  explicit ImplicitStepper(ImplicitStepSettings chosen = {}) : settings(chosen) {}

  // One step of the system as it is now (positions, velocities, forces,
  // constraints).
  StepReport Step(ClothSystem& system);

  // The forces of the last step (x, y, z per particle).
  const Vec4Array& forces() const { return forces_; }

  ImplicitStepSettings settings;

 private:
  // Gives J, ∂f/∂v and the step's matrix one structure that holds every
  // block any of them has, and a diagonal block for every particle.
  void unifyStructure(ClothSystem& system);

  Vec4Array forces_, rhs_, deltaV_;
  FilteredSolveWork work_;
};

}  // namespace vestora
