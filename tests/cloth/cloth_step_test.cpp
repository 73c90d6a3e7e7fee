// The implicit step of the mass-spring system: one step against a dense
// reference built from finite differences of the forces, the filtered
// solve's held directions, and the behaviour over many steps (a hanging
// cloth loses energy and comes to rest, also with a ten times larger step).
#include "cloth/cloth_step.h"

#include <cmath>
#include <functional>

#include <gtest/gtest.h>

#include "cloth/cloth_build.h"

namespace vestora {
namespace {

// The forces of a system at positions x and velocities v (3n numbers each).
std::vector<double> forcesAt(ClothSystem& system, const std::vector<double>& x,
                             const std::vector<double>& v) {
  const int n = system.particleCount();
  Vec4Array xs(static_cast<std::size_t>(n)), vs(static_cast<std::size_t>(n)),
      f(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    xs[i] = {static_cast<float>(x[3 * i]), static_cast<float>(x[3 * i + 1]),
             static_cast<float>(x[3 * i + 2]), system.positions()[i].w};
    vs[i] = {static_cast<float>(v[3 * i]), static_cast<float>(v[3 * i + 1]),
             static_cast<float>(v[3 * i + 2]), 0};
  }
  BlockSparseMatrix scratch(n, n), scratch2(n, n);
  for (ClothForce* force : system.forces())
    force->Apply(xs, vs, system.masses(), f, scratch, scratch2);
  std::vector<double> out(static_cast<std::size_t>(3 * n));
  for (int i = 0; i < n; ++i) {
    out[3 * i] = f[i].x;
    out[3 * i + 1] = f[i].y;
    out[3 * i + 2] = f[i].z;
  }
  return out;
}

// Solves the dense system m x = r (Gaussian elimination with pivoting).
std::vector<double> solveDense(std::vector<std::vector<double>> m, std::vector<double> r) {
  const std::size_t n = r.size();
  for (std::size_t c = 0; c < n; ++c) {
    std::size_t pivot = c;
    for (std::size_t k = c + 1; k < n; ++k)
      if (std::abs(m[k][c]) > std::abs(m[pivot][c])) pivot = k;
    std::swap(m[c], m[pivot]);
    std::swap(r[c], r[pivot]);
    for (std::size_t k = 0; k < n; ++k) {
      if (k == c) continue;
      const double f = m[k][c] / m[c][c];
      for (std::size_t j = c; j < n; ++j) m[k][j] -= f * m[c][j];
      r[k] -= f * r[c];
    }
  }
  for (std::size_t c = 0; c < n; ++c) r[c] /= m[c][c];
  return r;
}

// A small system: five particles, stretched springs between them, gravity;
// particle 0 held in all directions, particle 3 held along one direction.
struct SmallSystem {
  ClothSystem system{5};
  std::vector<std::unique_ptr<SpringForce>> springs;
  GravityForce gravity{Vec4{0.3f, -9.8f, 1.1f, 0}};
  ParticleConstraint held{0, 0, {0, 1, 0, 0}, {0, 0, 1, 0}, 0.25f};
  ParticleConstraint slide{3, 2, {0.6f, 0.8f, 0, 0}, {0, 0, 1, 0}, -0.5f};

  SmallSystem() {
    const Vec4 at[5] = {{0, 0, 0, 0},
                        {1.2f, 0.1f, 0, 1},
                        {0.1f, -1.3f, 0.2f, 0},
                        {1.4f, -1.2f, 0.3f, 1},
                        {0.7f, -2.5f, -0.2f, 0}};
    const float speed[5][3] = {
        {0, 0, 0}, {0.2f, -0.1f, 0.3f}, {-0.4f, 0.2f, 0}, {0.1f, 0.1f, -0.2f}, {0, -0.6f, 0.1f}};
    for (int i = 0; i < 5; ++i) {
      system.positions()[i] = at[i];
      system.velocities()[i] = {speed[i][0], speed[i][1], speed[i][2], 0};
      system.SetMass(i, 0.4f + 0.1f * static_cast<float>(i));
    }
    const int pairs[7][2] = {{0, 1}, {0, 2}, {1, 3}, {2, 3}, {2, 4}, {3, 4}, {1, 2}};
    for (const auto& p : pairs) {
      auto s = std::make_unique<SpringForce>(p[0], p[1]);
      s->ks = 500;
      s->kd = 0;  // the reference differentiates the forces as they are
      const Vec4 d{at[p[0]].x - at[p[1]].x, at[p[0]].y - at[p[1]].y, at[p[0]].z - at[p[1]].z, 0};
      s->rest = 0.8f * std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);  // every spring stretched
      system.AddForce(s.get());
      springs.push_back(std::move(s));
    }
    system.AddForce(&gravity);
    system.AddConstraint(&held);
    system.AddConstraint(&slide);
    system.setMode(ClothMode::kBlockSparse);
    system.Initialize();
  }
};

TEST(ImplicitStep, MatchesADenseBackwardEulerStepWithFiniteDifferenceJacobians) {
  SmallSystem s;
  ClothSystem& system = s.system;
  const int n = 5, dims = 3 * n;
  const float h = 0.02f;
  std::vector<double> x(dims), v(dims);
  std::vector<double> mass(dims);
  for (int i = 0; i < n; ++i) {
    const Vec4& p = system.positions()[i];
    const Vec4& q = system.velocities()[i];
    x[3 * i] = p.x, x[3 * i + 1] = p.y, x[3 * i + 2] = p.z;
    v[3 * i] = q.x, v[3 * i + 1] = q.y, v[3 * i + 2] = q.z;
    for (int k = 0; k < 3; ++k) mass[3 * i + k] = system.masses()[i].x;
  }

  // ∂f/∂x by central differences.
  const std::vector<double> f = forcesAt(system, x, v);
  std::vector<std::vector<double>> dfdx(dims, std::vector<double>(dims));
  const double e = 1e-3;
  for (int c = 0; c < dims; ++c) {
    auto plus = x, minus = x;
    plus[c] += e;
    minus[c] -= e;
    const auto fp = forcesAt(system, plus, v), fm = forcesAt(system, minus, v);
    for (int r = 0; r < dims; ++r) dfdx[r][c] = (fp[r] - fm[r]) / (2 * e);
  }
  // A = M − h² ∂f/∂x (no damping), b = h (f + h ∂f/∂x v).
  std::vector<std::vector<double>> A(dims, std::vector<double>(dims));
  std::vector<double> b(dims);
  for (int r = 0; r < dims; ++r) {
    double jv = 0;
    for (int c = 0; c < dims; ++c) {
      A[r][c] = (r == c ? mass[r] : 0) - double(h) * h * dfdx[r][c];
      jv += dfdx[r][c] * v[c];
    }
    b[r] = h * (f[r] + h * jv);
  }
  // The held directions: particle 0 entirely, particle 3 along p. The free
  // directions are spanned by unit vectors; Δv = held part + free part.
  const double p[3] = {0.6, 0.8, 0};
  std::vector<std::vector<double>> basis;  // free directions, 3n numbers each
  for (int i = 1; i < n; ++i) {
    if (i == 3) {
      for (const auto& d : {std::array<double, 3>{-0.8, 0.6, 0}, std::array<double, 3>{0, 0, 1}}) {
        std::vector<double> u(dims);
        for (int k = 0; k < 3; ++k) u[3 * i + k] = d[k];
        basis.push_back(u);
      }
      continue;
    }
    for (int k = 0; k < 3; ++k) {
      std::vector<double> u(dims);
      u[3 * i + k] = 1;
      basis.push_back(u);
    }
  }
  std::vector<double> heldPart(dims);
  for (int k = 0; k < 3; ++k) heldPart[k] = 0.25;                             // z of particle 0
  for (int k = 0; k < 3; ++k) heldPart[9 + k] = -0.5 * (p[0] + p[1]) * p[k];  // (p pᵀ) z
  std::vector<double> rest(dims);
  for (int r = 0; r < dims; ++r) {
    rest[r] = b[r];
    for (int c = 0; c < dims; ++c) rest[r] -= A[r][c] * heldPart[c];
  }
  const std::size_t k = basis.size();
  std::vector<std::vector<double>> reduced(k, std::vector<double>(k));
  std::vector<double> rhs(k);
  for (std::size_t a = 0; a < k; ++a) {
    for (int r = 0; r < dims; ++r) rhs[a] += basis[a][r] * rest[r];
    for (std::size_t c = 0; c < k; ++c)
      for (int r = 0; r < dims; ++r)
        for (int q = 0; q < dims; ++q) reduced[a][c] += basis[a][r] * A[r][q] * basis[c][q];
  }
  const std::vector<double> w = solveDense(reduced, rhs);
  std::vector<double> expected = heldPart;
  for (std::size_t a = 0; a < k; ++a)
    for (int r = 0; r < dims; ++r) expected[r] += w[a] * basis[a][r];

  ImplicitStepSettings settings;
  settings.timeStep = h;
  settings.tolerance = 1e-6f;
  settings.maxIterations = 200;
  ImplicitStepper stepper(settings);
  const StepReport report = stepper.Step(system);
  EXPECT_TRUE(report.converged);
  for (int i = 0; i < n; ++i) {
    const Vec4& now = system.velocities()[i];
    const double got[3] = {now.x - v[3 * i], now.y - v[3 * i + 1], now.z - v[3 * i + 2]};
    for (int c = 0; c < 3; ++c)
      EXPECT_NEAR(got[c], expected[3 * i + c], 2e-3 * (1 + std::abs(expected[3 * i + c])))
          << "particle " << i << " component " << c;
    // x += h (v + Δv).
    EXPECT_NEAR(system.positions()[i].x, x[3 * i] + h * now.x, 1e-5);
  }
  // The held directions exactly as the constraints put them.
  const Vec4& held = system.velocities()[0];
  EXPECT_EQ(held.x, 0.25f);
  EXPECT_EQ(held.y, 0.25f);
  EXPECT_EQ(held.z, 0.25f);
  const Vec4& sliding = system.velocities()[3];
  const double along = (sliding.x - v[9]) * p[0] + (sliding.y - v[10]) * p[1];
  EXPECT_NEAR(along, -0.5 * (p[0] + p[1]), 1e-6);
}

TEST(ImplicitStep, MultiplySymmetricUsesTheTransposeBelowTheDiagonal) {
  BlockSparseMatrix A(2, 2);
  Matrix3& upper = A.GetBlock(0, 1);
  upper.m = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  A.GetBlock(1, 1).SetIdentity();
  Vec4Array x(2), y(2);
  x[0] = {1, 0, 0, 0};
  x[1] = {0, 1, 0, 0};
  MultiplySymmetric(A, x, y);
  // Row 0: block (0, 1) x1 = second column (2, 5, 8).
  EXPECT_EQ(y[0], (Vec4{2, 5, 8, 0}));
  // Row 1: block (0, 1)ᵀ x0 + x1 = first row (1, 2, 3) + (0, 1, 0).
  EXPECT_EQ(y[1], (Vec4{1, 3, 3, 0}));
}

// A square of cloth, rows × rows particles with springs along rows,
// columns and one diagonal, the top row held.
struct HangingCloth {
  GarmentMesh garment;
  explicit HangingCloth(int rows, float spacing = 0.2f) {
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < rows; ++c) {
        GarmentParticle p;
        p.point.x = c * spacing;
        p.point.y = -r * spacing;
        p.piece = 0;
        p.side = kSideFront;
        garment.particles.push_back(p);
      }
    auto id = [rows](int r, int c) { return r * rows + c; };
    auto edge = [&](int a, int b) {
      GarmentEdge e;
      e.a = a;
      e.b = b;
      const auto& pa = garment.particles[a].point;
      const auto& pb = garment.particles[b].point;
      e.rest = std::hypot(pa.x - pb.x, pa.y - pb.y);
      garment.edges.push_back(e);
    };
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < rows; ++c) {
        if (c + 1 < rows) edge(id(r, c), id(r, c + 1));
        if (r + 1 < rows) edge(id(r, c), id(r + 1, c));
        if (r + 1 < rows && c + 1 < rows) edge(id(r, c), id(r + 1, c + 1));
      }
    for (int c = 0; c < rows; ++c) garment.fixedParticles.push_back(id(0, c));
    garment.gravity = {0, -9.8f, 0};
    BuildClothSystem(garment);
  }
  ClothSystem& system() { return *garment.cloth->system; }

  double kinetic() {
    double e = 0;
    for (std::size_t i = 0; i < system().positions().count(); ++i) {
      const Vec4& v = system().velocities()[i];
      e += 0.5 * system().masses()[i].x *
           (double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z);
    }
    return e;
  }
  double energy() {
    double e = kinetic();
    for (std::size_t i = 0; i < system().positions().count(); ++i)
      e += system().masses()[i].x * 9.8 * system().positions()[i].y;
    for (const auto& s : garment.cloth->springs) {
      const Vec4& a = system().positions()[s->a];
      const Vec4& b = system().positions()[s->b];
      const double length =
          std::sqrt(double(a.x - b.x) * (a.x - b.x) + double(a.y - b.y) * (a.y - b.y) +
                    double(a.z - b.z) * (a.z - b.z));
      e += 0.5 * s->ks * (length - s->rest) * (length - s->rest);
    }
    return e;
  }
};

TEST(ImplicitStep, AHangingClothLosesEnergyAndComesToRest) {
  HangingCloth cloth(10);
  // A push sideways, so that it swings.
  for (std::size_t i = 10; i < cloth.system().velocities().count(); ++i)
    cloth.system().velocities()[i].z = 2.0f;
  // A little air, or it swings for minutes.
  ImplicitStepSettings settings;
  settings.drag = 2;
  ImplicitStepper stepper(settings);
  double before = cloth.energy();
  const double start = before;
  for (int step = 0; step < 600; ++step) {
    stepper.Step(cloth.system());
    const double now = cloth.energy();
    ASSERT_LE(now, before + 1e-3 * std::abs(start)) << "step " << step;
    before = now;
  }
  EXPECT_LT(cloth.kinetic(), 1e-3);  // from 72 at the push
  // The held row never moved.
  for (int c = 0; c < 10; ++c) {
    EXPECT_EQ(cloth.system().positions()[c].y, 0.0f);
    EXPECT_EQ(cloth.system().positions()[c].z, 0.0f);
  }
  // Hanging: the bottom row lies below where it started, the cloth barely stretched.
  EXPECT_LT(cloth.system().positions()[95].y, -1.8f + 0.05f);
  EXPECT_GT(cloth.system().positions()[95].y, -1.8f * 1.05f);
}

TEST(ImplicitStep, ATenTimesLargerStepStaysStableAndSettles) {
  HangingCloth cloth(10);
  for (std::size_t i = 10; i < cloth.system().velocities().count(); ++i)
    cloth.system().velocities()[i].z = 2.0f;
  ImplicitStepSettings settings;
  settings.timeStep = 0.1f;
  ImplicitStepper stepper(settings);
  for (int step = 0; step < 200; ++step) {
    stepper.Step(cloth.system());
    for (std::size_t i = 0; i < cloth.system().positions().count(); ++i) {
      const Vec4& p = cloth.system().positions()[i];
      ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z)) << step;
      ASSERT_LT(std::abs(p.y), 5.0f) << step;
    }
  }
  EXPECT_LT(cloth.kinetic(), 1e-3);
  for (const auto& s : cloth.garment.cloth->springs) {
    const Vec4& a = cloth.system().positions()[s->a];
    const Vec4& b = cloth.system().positions()[s->b];
    EXPECT_LT(std::hypot(a.x - b.x, a.y - b.y, a.z - b.z), 1.1f * s->rest);
  }
}

}  // namespace
}  // namespace vestora
