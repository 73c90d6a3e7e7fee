#include "cloth/cloth_system.h"

#include <cmath>
#include <regex>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/log.h"

namespace vestora {
namespace {

// Collects the diagnostic output while it lives.
class CapturedLog {
 public:
  CapturedLog() : previous_(setLogSink(&sink_)) {}
  ~CapturedLog() { setLogSink(previous_); }
  const std::string& text() const { return sink_.text(); }

 private:
  MemoryLogSink sink_;
  LogSink* previous_;
};

using Full = std::vector<std::vector<double>>;

Full expand(const PackedSymmetricMatrix& m) {
  const int n = m.size();
  Full full(static_cast<std::size_t>(n), std::vector<double>(static_cast<std::size_t>(n)));
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) full[i][j] = m(i, j);
  return full;
}

Full multiply(const Full& a, const Full& b) {
  const std::size_t n = a.size();
  Full c(n, std::vector<double>(n, 0.0));
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = 0; j < n; ++j)
      for (std::size_t k = 0; k < n; ++k) c[i][j] += a[i][k] * b[k][j];
  return c;
}

void expectIdentity(const Full& m, double tolerance) {
  for (std::size_t i = 0; i < m.size(); ++i)
    for (std::size_t j = 0; j < m.size(); ++j)
      EXPECT_NEAR(m[i][j], i == j ? 1.0 : 0.0, tolerance) << "(" << i << ", " << j << ")";
}

void expectNear(const Vec4& actual, const Vec4& expected, float tolerance,
                const std::string& what) {
  EXPECT_NEAR(actual.x, expected.x, tolerance) << what << " x";
  EXPECT_NEAR(actual.y, expected.y, tolerance) << what << " y";
  EXPECT_NEAR(actual.z, expected.z, tolerance) << what << " z";
}

PackedSymmetricMatrix packed(const std::vector<std::vector<float>>& rows) {
  PackedSymmetricMatrix m(static_cast<int>(rows.size()));
  for (int i = 0; i < m.size(); ++i)
    for (int j = i; j < m.size(); ++j) m(i, j) = rows[i][j];
  return m;
}

// ---------------------------------------------------------------- Matrix3

TEST(Matrix3, OuterProductIsRowMajorAndAddSubtractUndoEachOther) {
  Matrix3 ab;
  ab.SetOuterProduct({1, 2, 3, 9}, {4, 5, 6, 9});
  EXPECT_EQ(ab.m, (std::array<float, 9>{4, 5, 6, 8, 10, 12, 12, 15, 18}));  // w ignored
  EXPECT_EQ(ab(1, 0), 8.0f);

  Matrix3 sum = Matrix3::Identity();
  sum.Add(ab);
  EXPECT_EQ(sum(2, 2), 19.0f);
  sum.Subtract(ab);
  EXPECT_EQ(sum, Matrix3::Identity());

  Matrix3 copy;
  copy.CopyFrom(ab);
  EXPECT_EQ(copy, ab);
  copy.SetZero();
  EXPECT_EQ(copy, Matrix3{});
}

// ------------------------------------------------------- BlockSparseMatrix

TEST(BlockSparseMatrix, BothOrdersOfAPairNameOneBlockAddedToTheStampOnce) {
  BlockSparseMatrix m(8, 8);
  m.GetBlock(5, 2)(0, 1) = 7.0f;
  EXPECT_EQ(m.GetBlock(2, 5)(0, 1), 7.0f);
  EXPECT_EQ(&m.GetBlock(2, 5), &m.GetBlock(5, 2));
  EXPECT_EQ(m.blockCount(), 1);
  EXPECT_EQ(m.structureStamp(), 2u * 190237u + 5u + 190238u);
  EXPECT_EQ(m.columnIndexes(), std::vector<int>{5});
  EXPECT_EQ(m.rowStarts(), (std::vector<int>{0, 0, 0, 1, 1, 1, 1, 1, 1}));
}

TEST(BlockSparseMatrix, InsertionInAnyOrderKeepsRowsSortedAndBlocksWithTheirPositions) {
  BlockSparseMatrix m(6, 6);
  const std::vector<std::pair<int, int>> order{{3, 4}, {0, 5}, {3, 3}, {0, 1},
                                               {5, 3}, {0, 3}, {4, 4}};
  std::uint64_t stamp = 0;
  for (std::size_t k = 0; k < order.size(); ++k) {
    const auto [i, j] = order[k];
    m.GetBlock(i, j).m[4] = static_cast<float>(k + 1);  // a marker per block
    const auto low = static_cast<std::uint64_t>(std::min(i, j));
    const auto high = static_cast<std::uint64_t>(std::max(i, j));
    stamp += low * 190237u + high + 190238u;
  }
  EXPECT_EQ(m.blockCount(), 7);
  EXPECT_EQ(m.rowStarts(), (std::vector<int>{0, 3, 3, 3, 6, 7, 7}));
  EXPECT_EQ(m.columnIndexes(), (std::vector<int>{1, 3, 5, 3, 4, 5, 4}));
  EXPECT_EQ(m.structureStamp(), stamp);
  for (std::size_t k = 0; k < order.size(); ++k) {
    const Matrix3* block = m.FindBlock(order[k].first, order[k].second);
    ASSERT_NE(block, nullptr) << k;
    EXPECT_EQ(block->m[4], static_cast<float>(k + 1)) << k;
  }
  EXPECT_EQ(m.FindBlock(1, 1), nullptr);
  EXPECT_EQ(m.blockCount(), 7);  // looking does not insert
}

TEST(BlockSparseMatrix, CountsAreAtLeastOneAndOutsidePositionsThrow) {
  BlockSparseMatrix m(0, -3);
  EXPECT_EQ(m.blockRows(), 1);
  EXPECT_EQ(m.blockColumns(), 1);
  EXPECT_EQ(m.rowStarts(), (std::vector<int>{0, 0}));
  m.GetBlock(0, 0);
  EXPECT_THROW(m.GetBlock(0, 1), std::out_of_range);
  EXPECT_THROW(m.GetBlock(-1, 0), std::out_of_range);
  EXPECT_EQ(m.blockCount(), 1);
  EXPECT_EQ(m.FindBlock(1, 0), nullptr);
}

TEST(BlockSparseMatrix, CopyTakesStructureBlocksAndStampAndZeroingKeepsStructure) {
  BlockSparseMatrix source(4, 4);
  source.GetBlock(1, 3).SetIdentity();
  source.GetBlock(0, 0)(2, 1) = 5.0f;
  BlockSparseMatrix copy(2, 2);
  copy.GetBlock(1, 1);
  copy.CopyFrom(source);
  EXPECT_EQ(copy.blockRows(), 4);
  EXPECT_EQ(copy.rowStarts(), source.rowStarts());
  EXPECT_EQ(copy.columnIndexes(), source.columnIndexes());
  EXPECT_EQ(copy.blocks(), source.blocks());
  EXPECT_EQ(copy.structureStamp(), source.structureStamp());

  copy.GetBlock(2, 2);  // the copy is independent of its source
  EXPECT_EQ(source.blockCount(), 2);

  source.ZeroBlocks();
  EXPECT_EQ(source.blockCount(), 2);
  for (const Matrix3& block : source.blocks()) EXPECT_EQ(block, Matrix3{});
  EXPECT_EQ(source.columnIndexes(), (std::vector<int>{0, 3}));
}

// --------------------------------------------------- PackedSymmetricMatrix

TEST(PackedSymmetricMatrix, IndexLaysTheUpperTriangleOutRowByRowForEverySize) {
  for (int n = 1; n <= 7; ++n) {
    std::size_t next = 0;
    for (int i = 0; i < n; ++i) {
      for (int j = i; j < n; ++j) {
        EXPECT_EQ(PackedSymmetricMatrix::PackedIndex(n, i, j), next) << n << ": " << i << "," << j;
        EXPECT_EQ(PackedSymmetricMatrix::PackedIndex(n, j, i), next) << n << ": " << j << "," << i;
        ++next;
      }
    }
    EXPECT_EQ(next, static_cast<std::size_t>(n * (n + 1) / 2));
    EXPECT_EQ(PackedSymmetricMatrix(n).values().size(), next);
  }
}

TEST(PackedSymmetricMatrix, SizeBelowOneBecomesOne) {
  for (int n : {0, -2}) {
    PackedSymmetricMatrix m(n);
    EXPECT_EQ(m.size(), 1);
    EXPECT_EQ(m.values().size(), 1u);
    m.SetIdentity();
    EXPECT_EQ(m(0, 0), 1.0f);
  }
}

TEST(PackedSymmetricMatrix, ElementsAreSharedAcrossTheDiagonal) {
  PackedSymmetricMatrix m(4);
  m(3, 1) = 5.0f;
  EXPECT_EQ(m(1, 3), 5.0f);
  m.SetIdentity();
  EXPECT_EQ(m(1, 3), 0.0f);
  EXPECT_EQ(m(2, 2), 1.0f);
}

TEST(PackedSymmetricMatrix, ScaleAndSubtractWorkElementwiseAndRefuseOtherSizes) {
  const PackedSymmetricMatrix a = packed({{1, 2, 3}, {0, 4, 5}, {0, 0, 6}});
  PackedSymmetricMatrix out(3);
  ASSERT_TRUE(a.Scale(2.0f, out));
  EXPECT_EQ(out.values(), (std::vector<float>{2, 4, 6, 8, 10, 12}));
  ASSERT_TRUE(out.Subtract(a, out));  // out may be the left side
  EXPECT_EQ(out.values(), a.values());
  PackedSymmetricMatrix identity(3);
  identity.SetIdentity();
  PackedSymmetricMatrix b = a;
  ASSERT_TRUE(identity.Subtract(b, b));  // ... or the right side
  EXPECT_EQ(b.values(), (std::vector<float>{0, -2, -3, -3, -5, -5}));

  PackedSymmetricMatrix other(2);
  other(0, 1) = 9.0f;
  const std::vector<float> before = other.values();
  EXPECT_FALSE(a.Scale(2.0f, other));
  EXPECT_FALSE(a.Subtract(a, other));
  EXPECT_FALSE(a.Subtract(other, out));
  EXPECT_EQ(other.values(), before);
  EXPECT_EQ(out.values(), a.values());
}

TEST(PackedSymmetricMatrix, InvertGivesTheInverseOfASymmetricPositiveDefiniteMatrix) {
  // The second-difference matrix; its inverse is (1/4) [3 2 1; 2 4 2; 1 2 3].
  PackedSymmetricMatrix m = packed({{2, -1, 0}, {0, 2, -1}, {0, 0, 2}});
  ASSERT_TRUE(m.Invert());
  const float expected[3][3] = {{3, 2, 1}, {2, 4, 2}, {1, 2, 3}};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(m(i, j), expected[i][j] / 4.0f, 1e-6f);
}

TEST(PackedSymmetricMatrix, InvertOfAZeroPivotFailsLogsAndLeavesTheMatrix) {
  CapturedLog log;
  // Rank one: the second pivot is exactly 0 after the first row is eliminated.
  PackedSymmetricMatrix dependent = packed({{1, 2}, {0, 4}});
  // Invertible, but there is no row exchange to save a zero first pivot.
  PackedSymmetricMatrix swap = packed({{0, 1}, {0, 0}});
  const std::vector<float> dependentBefore = dependent.values();
  const std::vector<float> swapBefore = swap.values();
  EXPECT_FALSE(dependent.Invert());
  EXPECT_FALSE(swap.Invert());
  EXPECT_EQ(dependent.values(), dependentBefore);
  EXPECT_EQ(swap.values(), swapBefore);
  EXPECT_EQ(log.text(), "Singular Matrix\nSingular Matrix\n");
}

// ------------------------------------------------------------------ forces

TEST(GravityForce, PullsFrontPiecesAlongGAndBackPiecesWithZMirrored) {
  Vec4Array positions(4), velocities(4), masses(4), forces(4);
  const float sides[4] = {0, 1, 2, 5};
  for (std::size_t i = 0; i < 4; ++i) {
    positions[i] = {1, 2, 3, sides[i]};
    const float m = static_cast<float>(i + 1);
    masses[i] = {m, m, m, 0};
    forces[i] = {1, 1, 1, 7};
  }
  BlockSparseMatrix dfdx(4, 4), dfdv(4, 4);
  GravityForce gravity({0.5f, -9.8f, 2.0f, 0});
  gravity.Apply(positions, velocities, masses, forces, dfdx, dfdv);

  expectNear(forces[0], {1.5f, -8.8f, 3.0f, 0}, 1e-6f, "front");
  expectNear(forces[1], {2.0f, -18.6f, -3.0f, 0}, 1e-5f, "back");
  EXPECT_EQ(forces[2], (Vec4{1, 1, 1, 7}));
  EXPECT_EQ(forces[3], (Vec4{1, 1, 1, 7}));
  EXPECT_EQ(forces[0].w, 7.0f);
  EXPECT_EQ(dfdx.blockCount(), 0);
  EXPECT_EQ(dfdv.blockCount(), 0);
}

TEST(SpringForce, AssembleAddsStiffnessToKAndCreatesItsThreeBlocks) {
  PackedSymmetricMatrix K(4);
  BlockSparseMatrix J(4, 4);
  SpringForce first(0, 2);  // the default stiffness, 100
  SpringForce second(2, 1);
  second.ks = 30.0f;
  first.Assemble(K, J);
  second.Assemble(K, J);

  EXPECT_EQ(K(0, 2), 100.0f);
  EXPECT_EQ(K(1, 2), 30.0f);
  EXPECT_EQ(K(0, 0), -100.0f);
  EXPECT_EQ(K(1, 1), -30.0f);
  EXPECT_EQ(K(2, 2), -130.0f);
  EXPECT_EQ(K(0, 1), 0.0f);
  EXPECT_EQ(K(3, 3), 0.0f);

  // (0,0) (0,2) (2,2), then (2,2) again, (1,1), (1,2).
  EXPECT_EQ(J.blockCount(), 5);
  EXPECT_EQ(J.rowStarts(), (std::vector<int>{0, 2, 4, 5, 5}));
  EXPECT_EQ(J.columnIndexes(), (std::vector<int>{0, 2, 1, 2, 2}));
  for (const Matrix3& block : J.blocks()) EXPECT_EQ(block, Matrix3{});
}

TEST(SpringForce, PostStepPullsAnOverlongSpringBackToItsMaximumLength) {
  const auto run = [](float massA, float massB, bool limit, float bx) {
    Vec4Array masses(2), positions(2);
    masses[0] = {massA, massA, massA, 0};
    masses[1] = {massB, massB, massB, 0};
    positions[0] = {1, 2, 3, 1};
    positions[1] = {1 + bx, 2, 3, 0};
    SpringForce spring(0, 1);
    spring.maxLength = 2.0f;
    spring.limitLength = limit;
    spring.PostStep(masses, positions);
    return std::pair{positions[0], positions[1]};
  };

  // Length 3, maximum 2: each end moves 0.5 towards the other.
  auto [a, b] = run(1, 1, true, 3);
  EXPECT_EQ(a, (Vec4{1.5f, 2, 3, 1}));
  EXPECT_EQ(b, (Vec4{3.5f, 2, 3, 0}));
  // A mass of 0 stays put and the other end moves the whole excess.
  std::tie(a, b) = run(0, 1, true, 3);
  EXPECT_EQ(a, (Vec4{1, 2, 3, 1}));
  EXPECT_EQ(b, (Vec4{3, 2, 3, 0}));
  std::tie(a, b) = run(1, 0, true, -3);
  EXPECT_EQ(a, (Vec4{0, 2, 3, 1}));
  EXPECT_EQ(b, (Vec4{-2, 2, 3, 0}));
  // Without the flag, or within the maximum, nothing moves.
  std::tie(a, b) = run(1, 1, false, 3);
  EXPECT_EQ(b.x, 4.0f);
  std::tie(a, b) = run(1, 1, true, 1.5f);
  EXPECT_EQ(a.x, 1.0f);
  EXPECT_EQ(b.x, 2.5f);
}

float& component(Vec4& v, int k) {
  return k == 0 ? v.x : k == 1 ? v.y : v.z;
}

TEST(SpringForce, ApplyPullsTheEndsTogetherWithJacobiansMatchingTheForce) {
  SpringForce spring(0, 1);
  spring.ks = 10.0f;
  spring.kd = 2.0f;
  spring.rest = 1.0f;
  Vec4Array positions(2), velocities(2), masses(2);
  positions[0] = {0.3f, -0.2f, 0.5f, 0};
  positions[1] = {1.5f, 0.4f, -0.3f, 0};
  velocities[0] = {0.1f, 0.2f, -0.3f, 0};
  velocities[1] = {-0.4f, 0.0f, 0.2f, 0};

  Vec4Array forces(2);
  BlockSparseMatrix dfdx(2, 2), dfdv(2, 2);
  spring.Apply(positions, velocities, masses, forces, dfdx, dfdv);

  // Equal and opposite, along the spring, of the expected size.
  const Vec4 d{positions[1].x - positions[0].x, positions[1].y - positions[0].y,
               positions[1].z - positions[0].z, 0};
  const float length = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
  const Vec4 u{d.x / length, d.y / length, d.z / length, 0};  // from a towards b
  const float closing = (velocities[1].x - velocities[0].x) * u.x +
                        (velocities[1].y - velocities[0].y) * u.y +
                        (velocities[1].z - velocities[0].z) * u.z;
  const float size = spring.ks * (length - spring.rest) + spring.kd * closing;
  expectNear(forces[0], {size * u.x, size * u.y, size * u.z, 0}, 1e-5f, "a");
  expectNear(forces[1], {-size * u.x, -size * u.y, -size * u.z, 0}, 1e-5f, "b");
  ASSERT_EQ(dfdx.blockCount(), 3);
  ASSERT_EQ(dfdv.blockCount(), 3);

  // Central differences: block (r, c) of ∂f/∂x is ∂f_r/∂x_c. The damping
  // force also turns with the spring, a term the position Jacobian leaves
  // out, so positions are checked without damping.
  for (const bool isVelocity : {false, true}) {
    SpringForce probe = spring;
    if (!isVelocity) probe.kd = 0.0f;
    BlockSparseMatrix jacobian(2, 2), unused(2, 2);
    Vec4Array ignored(2);
    probe.Apply(positions, velocities, masses, ignored, isVelocity ? unused : jacobian,
                isVelocity ? jacobian : unused);
    const float h = 1e-3f;
    for (int moved = 0; moved < 2; ++moved) {
      for (int c = 0; c < 3; ++c) {
        Vec4Array plus = isVelocity ? velocities : positions, minus = plus;
        component(plus[moved], c) += h;
        component(minus[moved], c) -= h;
        Vec4Array fPlus(2), fMinus(2);
        BlockSparseMatrix scratch(2, 2);
        probe.Apply(isVelocity ? positions : plus, isVelocity ? plus : velocities, masses, fPlus,
                    scratch, scratch);
        probe.Apply(isVelocity ? positions : minus, isVelocity ? minus : velocities, masses, fMinus,
                    scratch, scratch);
        for (int on = 0; on < 2; ++on) {
          const Matrix3* block = jacobian.FindBlock(on, moved);
          ASSERT_NE(block, nullptr);
          for (int r = 0; r < 3; ++r) {
            const float derivative = (component(fPlus[on], r) - component(fMinus[on], r)) / (2 * h);
            EXPECT_NEAR((*block)(r, c), derivative, 1e-2f)
                << (isVelocity ? "dv" : "dx") << " f" << on << " x" << moved << " (" << r << ", "
                << c << ")";
          }
        }
      }
    }
  }
}

// -------------------------------------------------------------- constraints

TEST(ParticleConstraint, EachTypeFiltersTheDirectionsItHolds) {
  const Vec4 p{0.6f, 0.8f, 0, 0}, q{0, 0, 1, 0}, free{-0.8f, 0.6f, 0, 0};
  const auto filterOf = [&](int type, Vec4* z) {
    std::vector<Matrix3> S(2, Matrix3::Identity());
    Vec4Array speeds(2);
    ParticleConstraint(1, type, p, q, 0.25f).Apply(S, speeds);
    EXPECT_EQ(S[0], Matrix3::Identity()) << "type " << type << " touched another particle";
    *z = speeds[1];
    return S[1];
  };

  Vec4 z;
  EXPECT_EQ(filterOf(0, &z), Matrix3{});
  EXPECT_EQ(z, (Vec4{0.25f, 0.25f, 0.25f, 0}));

  const Matrix3 both = filterOf(1, &z);
  expectNear(both.Transform(p), {}, 1e-6f, "type 1, p");
  expectNear(both.Transform(q), {}, 1e-6f, "type 1, q");
  expectNear(both.Transform(free), free, 1e-6f, "type 1, free");
  EXPECT_EQ(z, (Vec4{0.25f, 0.25f, 0.25f, 0}));

  const Matrix3 one = filterOf(2, &z);
  expectNear(one.Transform(p), {}, 1e-6f, "type 2, p");
  expectNear(one.Transform(q), q, 1e-6f, "type 2, q");
  expectNear(one.Transform(free), free, 1e-6f, "type 2, free");

  // Any other type frees the particle and holds it to no speed.
  EXPECT_EQ(filterOf(3, &z), Matrix3::Identity());
  EXPECT_EQ(z, Vec4{});
}

// ------------------------------------------------------------- ClothSystem

TEST(ClothSystem, StartsWithUnitMassesIdentityBlocksFreeParticlesAndDenseMode) {
  ClothSystem system(3);
  EXPECT_EQ(system.particleCount(), 3);
  EXPECT_EQ(system.mode(), ClothMode::kDense);
  EXPECT_EQ(system.referenceMass(), 1.0f);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(system.masses()[i], (Vec4{1, 1, 1, 0}));
    EXPECT_EQ(system.inverseMasses()[i], (Vec4{1, 1, 1, 0}));
    EXPECT_EQ(system.constraintFilters()[i], Matrix3::Identity());
    EXPECT_EQ(system.positions()[i], Vec4{});
  }
  const BlockSparseMatrix& identity = system.identityBlocks();
  EXPECT_EQ(identity.rowStarts(), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(identity.columnIndexes(), (std::vector<int>{0, 1, 2}));
  for (const Matrix3& block : identity.blocks()) EXPECT_EQ(block, Matrix3::Identity());
  EXPECT_EQ(system.jacobian().blockCount(), 0);
  EXPECT_EQ(system.stiffness().size(), 3);
  EXPECT_TRUE(system.forces().empty());
  EXPECT_TRUE(system.constraints().empty());

  const ClothSystem empty(0);
  EXPECT_EQ(empty.stiffness().size(), 1);
  EXPECT_EQ(empty.jacobian().blockRows(), 1);
}

TEST(ClothSystem, SetMassOfZeroOrLessGivesNoInverseAndKeepsTheReferenceMass) {
  ClothSystem system(3);
  system.SetMass(1, 4.0f);
  EXPECT_EQ(system.masses()[1], (Vec4{4, 4, 4, 0}));
  EXPECT_EQ(system.inverseMasses()[1], (Vec4{0.25f, 0.25f, 0.25f, 0}));
  EXPECT_EQ(system.referenceMass(), 4.0f);

  system.SetMass(0, 0.0f);
  system.SetMass(2, -1.0f);
  EXPECT_EQ(system.masses()[0], Vec4{});
  EXPECT_EQ(system.inverseMasses()[0], Vec4{});
  EXPECT_EQ(system.inverseMasses()[2], Vec4{});
  EXPECT_EQ(system.referenceMass(), 4.0f);

  system.SetMass(3, 9.0f);  // no such particle
  EXPECT_EQ(system.referenceMass(), 4.0f);
}

TEST(ClothSystem, ConstraintsApplyInListOrderAndRemovalReappliesTheRest) {
  ClothSystem system(3);
  const Vec4 p{0, 1, 0, 0}, q{0, 0, 1, 0};
  ParticleConstraint holdFirst(0, 0, p, q, 0.5f);
  ParticleConstraint holdSecond(1, 0, p, q, 0.0f);
  ParticleConstraint alongP(0, 2, p, q, 0.0f);
  ParticleConstraint neverAdded(2, 0, p, q, 0.0f);

  system.AddConstraint(&holdFirst);
  system.AddConstraint(&holdSecond);
  EXPECT_EQ(system.constraintFilters()[0], Matrix3{});
  EXPECT_EQ(system.constrainedVelocities()[0], (Vec4{0.5f, 0.5f, 0.5f, 0}));

  // A later constraint on the same particle wins.
  system.AddConstraint(&alongP);
  Matrix3 expected = Matrix3::Identity();
  expected(1, 1) = 0.0f;
  EXPECT_EQ(system.constraintFilters()[0], expected);
  EXPECT_EQ(system.constrainedVelocities()[0], Vec4{});

  const std::vector<Matrix3> filtersBefore = system.constraintFilters();
  EXPECT_FALSE(system.RemoveConstraint(&neverAdded));
  EXPECT_EQ(system.constraints().size(), 3u);
  EXPECT_EQ(system.constraintFilters(), filtersBefore);

  // Removing the winner leaves the earlier constraint in force again ...
  ASSERT_TRUE(system.RemoveConstraint(&alongP));
  EXPECT_EQ(system.constraintFilters()[0], Matrix3{});
  EXPECT_EQ(system.constrainedVelocities()[0], (Vec4{0.5f, 0.5f, 0.5f, 0}));
  // ... and removing that one frees the particle; the other stays held.
  ASSERT_TRUE(system.RemoveConstraint(&holdFirst));
  EXPECT_EQ(system.constraintFilters()[0], Matrix3::Identity());
  EXPECT_EQ(system.constrainedVelocities()[0], Vec4{});
  EXPECT_EQ(system.constraintFilters()[1], Matrix3{});
  EXPECT_FALSE(system.RemoveConstraint(&holdFirst));
  EXPECT_EQ(system.constraints(), std::list<ParticleConstraint*>{&holdSecond});
}

TEST(ClothSystem, HeldParticlesAreHeldInEveryDirectionOrReplacedByAPlaceholder) {
  ClothSystem system(4);
  system.setMode(ClothMode::kBlockSparse);
  ParticleConstraint own(3, 2, {1, 0, 0, 0}, {0, 0, 1, 0}, 0.0f);
  system.AddConstraint(&own);

  system.SetHeldParticles({});
  ASSERT_EQ(system.constraints().size(), 2u);
  const ParticleConstraint* placeholder = system.constraints().back();
  EXPECT_EQ(placeholder->particle(), 0);
  EXPECT_EQ(placeholder->type(), kPlaceholderConstraintType);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(system.constraintFilters()[i], Matrix3::Identity()) << i;

  const std::vector<std::int32_t> held{1, 2};
  system.SetHeldParticles(held);  // replaces the placeholder
  ASSERT_EQ(system.constraints().size(), 3u);
  EXPECT_EQ(system.constraints().front(), &own);
  EXPECT_EQ(system.constraintFilters()[0], Matrix3::Identity());
  EXPECT_EQ(system.constraintFilters()[1], Matrix3{});
  EXPECT_EQ(system.constraintFilters()[2], Matrix3{});
  EXPECT_NE(system.constraintFilters()[3], Matrix3::Identity());
  // In block-sparse mode held particles keep their mass ...
  EXPECT_EQ(system.masses()[1].x, 1.0f);

  // ... in the others they lose it.
  ClothSystem dense(4);
  dense.SetHeldParticles(held);
  EXPECT_EQ(dense.masses()[1], Vec4{});
  EXPECT_EQ(dense.inverseMasses()[2], Vec4{});
  EXPECT_EQ(dense.masses()[0].x, 1.0f);

  system.ClearHeldParticles();
  EXPECT_EQ(system.constraints(), std::list<ParticleConstraint*>{&own});
  EXPECT_EQ(system.constraintFilters()[1], Matrix3::Identity());
}

TEST(ClothSystem, ForcesAreListedInOrderAndRemovedByIdentity) {
  ClothSystem system(2);
  SpringForce spring(0, 1);
  GravityForce gravity;
  system.AddForce(&spring);
  system.AddForce(&gravity);
  EXPECT_EQ(system.forces(), (std::list<ClothForce*>{&spring, &gravity}));
  SpringForce other(0, 1);
  EXPECT_FALSE(system.RemoveForce(&other));
  EXPECT_TRUE(system.RemoveForce(&spring));
  EXPECT_EQ(system.forces(), std::list<ClothForce*>{&gravity});
}

TEST(ClothSystem, InitializeInDenseModeGivesTheInverseOfIMinusKOverMass) {
  ClothSystem system(3);
  for (int i = 0; i < 3; ++i) system.SetMass(i, 2.0f);
  SpringForce left(0, 1), right(1, 2);
  right.ks = 60.0f;
  GravityForce gravity({0, -9.8f, 0, 0});
  system.AddForce(&left);
  system.AddForce(&gravity);
  system.AddForce(&right);

  CapturedLog log;
  system.Initialize();
  EXPECT_TRUE(std::regex_match(log.text(), std::regex("Initialize: [0-9]+ msec\n"))) << log.text();

  // K / m, written out by hand.
  const Full kOverM{{-50, 50, 0}, {50, -80, 30}, {0, 30, -30}};
  Full identityMinus(3, std::vector<double>(3));
  for (std::size_t i = 0; i < 3; ++i) {
    for (std::size_t j = 0; j < 3; ++j) {
      EXPECT_NEAR(system.stiffness()(static_cast<int>(i), static_cast<int>(j)), kOverM[i][j], 1e-4);
      identityMinus[i][j] = (i == j ? 1.0 : 0.0) - kOverM[i][j];
    }
  }
  expectIdentity(multiply(expand(system.filterMatrix()), identityMinus), 1e-4);
}

TEST(ClothSystem, InitializeOfASingularFilterReportsItAndStillTimes) {
  ClothSystem system(2);
  SpringForce spring(0, 1);
  spring.ks = -0.5f;  // I − K gives [0.5 0.5; 0.5 0.5]
  system.AddForce(&spring);
  CapturedLog log;
  system.Initialize();
  EXPECT_TRUE(
      std::regex_match(log.text(), std::regex("Singular Matrix\nInitialize: [0-9]+ msec\n")))
      << log.text();
  EXPECT_EQ(system.filterMatrix().values(), (std::vector<float>{0.5f, 0.5f, 0.5f}));
}

TEST(ClothSystem, InitializeInBlockSparseModeCopiesJIntoTheFourCopies) {
  ClothSystem system(4);
  system.setMode(ClothMode::kBlockSparse);
  SpringForce first(0, 3), second(2, 1);
  system.AddForce(&first);
  system.AddForce(&second);
  CapturedLog log;
  system.Initialize();

  const BlockSparseMatrix& J = system.jacobian();
  EXPECT_EQ(J.blockCount(), 6);
  for (int k = 0; k < ClothSystem::kJacobianCopyCount; ++k) {
    const BlockSparseMatrix& copy = system.jacobianCopy(k);
    EXPECT_EQ(copy.rowStarts(), J.rowStarts()) << k;
    EXPECT_EQ(copy.columnIndexes(), J.columnIndexes()) << k;
    EXPECT_EQ(copy.structureStamp(), J.structureStamp()) << k;
  }
  EXPECT_EQ(system.stiffness()(0, 0), -100.0f);  // not scaled by the mass here
  EXPECT_EQ(system.filterMatrix()(0, 0), 0.0f);  // nor filtered

  // Initializing again finds the blocks in place.
  system.Initialize();
  EXPECT_EQ(J.blockCount(), 6);
  EXPECT_EQ(system.stiffness()(0, 0), -100.0f);
}

TEST(ClothSystem, ResetClearsTheStateButKeepsMassesFiltersAndStructure) {
  ClothSystem system(3);
  system.setMode(ClothMode::kBlockSparse);
  system.SetMass(0, 0.4f);
  system.SetMass(2, 10000.0f);
  SpringForce spring(0, 1);
  system.AddForce(&spring);
  const std::vector<std::int32_t> held{2};
  system.SetHeldParticles(held);
  ParticleConstraint alongP(0, 2, {1, 0, 0, 0}, {0, 0, 1, 0}, 0.0f);
  system.AddConstraint(&alongP);
  CapturedLog log;
  system.Initialize();

  for (std::size_t i = 0; i < 3; ++i) {
    system.positions()[i] = {9, 9, 9, 9};
    system.velocities()[i] = {1, 2, 3, 0};
    system.workVector(4)[i] = {5, 5, 5, 5};
    system.solverVector(8)[i] = {6, 6, 6, 6};
  }
  system.jacobian().GetBlock(0, 1).SetIdentity();
  const std::vector<Matrix3> filtersBefore = system.constraintFilters();
  const std::vector<int> structureBefore = system.jacobian().columnIndexes();

  const std::vector<Vec4> particles{{1, 2, 3, 0}, {4, 5, 6, 1}, {7, 8, 9, 3}};
  system.Reset(particles, held);

  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(system.positions()[i], particles[i]) << i;
    EXPECT_EQ(system.velocities()[i], Vec4{}) << i;
    EXPECT_EQ(system.workVector(4)[i], Vec4{}) << i;
    EXPECT_EQ(system.solverVector(8)[i], Vec4{}) << i;
  }
  EXPECT_EQ(system.masses()[0].x, 0.4f);
  EXPECT_EQ(system.inverseMasses()[2].x, 1.0f / 10000.0f);
  EXPECT_EQ(system.constraintFilters(), filtersBefore);
  EXPECT_EQ(system.constraints().size(), 2u);  // the held one was re-created, not added
  EXPECT_EQ(system.jacobian().columnIndexes(), structureBefore);
  for (const Matrix3& block : system.jacobian().blocks()) EXPECT_EQ(block, Matrix3{});
  for (const Matrix3& block : system.jacobianCopy(3).blocks()) EXPECT_EQ(block, Matrix3{});
  EXPECT_EQ(system.jacobianCopy(3).blockCount(), 3);
  EXPECT_EQ(system.identityBlocks().blocks()[1], Matrix3::Identity());
  EXPECT_EQ(system.stiffness()(0, 0), 0.0f);
  EXPECT_EQ(system.forces(), std::list<ClothForce*>{&spring});
}

TEST(ClothSystem, ResetOutsideBlockSparseModeOnlyRestoresPositionsAndHeldParticles) {
  ClothSystem system(2);
  system.velocities()[0] = {1, 2, 3, 0};
  const std::vector<Vec4> particles{{1, 2, 3, 1}};  // fewer than the particles
  system.positions()[1] = {5, 5, 5, 0};
  const std::vector<std::int32_t> held{1};
  system.Reset(particles, held);
  EXPECT_EQ(system.velocities()[0], (Vec4{1, 2, 3, 0}));
  EXPECT_EQ(system.positions()[0], particles[0]);
  EXPECT_EQ(system.positions()[1], (Vec4{5, 5, 5, 0}));
  EXPECT_EQ(system.constraintFilters()[1], Matrix3{});
  EXPECT_EQ(system.masses()[1], Vec4{});
}

}  // namespace
}  // namespace vestora
