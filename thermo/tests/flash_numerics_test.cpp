// The dense solves of the Newton steps: Cholesky on a symmetric block against Gaussian
// elimination and Eigen's full-pivot LU, on the Hessians the flash builds, and the
// fall-back for an indefinite block.
#include <gtest/gtest.h>

#include <cmath>

#include <Eigen/LU>

#include "sample_fluids.h"
#include "thermo/flasher.h"

namespace thermo {
namespace {

// The two-phase split's Newton Hessian at a converged condensate flash (12 components),
// written into the leading block of a larger matrix whose other entries are garbage.
Eigen::MatrixXd split_hessian(Eigen::Index padded) {
  const samples::SampleFluid s = samples::condensate12();
  const Fluid fluid = samples::make_fluid(s);
  Flasher flasher(fluid);
  const FlashResult r = flasher.flash_pt(310.93, 101.325, s.z);
  EXPECT_EQ(r.phase_count, 2);
  CubicMixture mixture(fluid);
  mixture.set_temperature(310.93);
  const auto n = static_cast<Eigen::Index>(s.z.size());
  Eigen::VectorXd ln_phi(n);
  Eigen::MatrixXd jac_l(n, n), jac_v(n, n);
  const PhaseResult& l = r.phases[kHydrocarbonLiquid];
  const PhaseResult& v = r.phases[kVapour];
  const Eigen::Map<const Eigen::VectorXd> x(l.composition.data(), n), y(v.composition.data(), n);
  mixture.ln_phi(x, 101.325, RootChoice::MinimumGibbs, ln_phi, nullptr, &jac_l);
  mixture.ln_phi(y, 101.325, RootChoice::MinimumGibbs, ln_phi, nullptr, &jac_v);
  const double beta = v.fraction;
  Eigen::MatrixXd h = Eigen::MatrixXd::Constant(padded, padded, 1e300);
  for (Eigen::Index i = 0; i < n; ++i) {
    for (Eigen::Index j = 0; j < n; ++j) h(i, j) = (jac_v(i, j) - 1.0) / beta + (jac_l(i, j) - 1.0) / (1.0 - beta);
    h(i, i) += 1.0 / (beta * y(i)) + 1.0 / ((1.0 - beta) * x(i));
  }
  return h;
}

TEST(NewtonStep, CholeskyAgreesWithEliminationOnTheSplitHessian) {
  const Eigen::Index n = 12, padded = 15;
  const Eigen::MatrixXd h = split_hessian(padded);
  Eigen::VectorXd rhs(padded);
  for (Eigen::Index i = 0; i < padded; ++i) rhs(i) = (i % 2 ? 1.0 : -0.5) * (1.0 + 0.1 * static_cast<double>(i));
  const Eigen::VectorXd reference = h.topLeftCorner(n, n).fullPivLu().solve(rhs.head(n));

  Eigen::MatrixXd a = h, c = h;
  // Cholesky reads only the lower triangle (the split fills no more).
  for (Eigen::Index j = 1; j < n; ++j) c.col(j).head(j).setConstant(std::nan(""));
  Eigen::VectorXd x_lu = rhs, x_chol = rhs, work = Eigen::VectorXd::Zero(padded);
  ASSERT_TRUE(solve_in_place(a, x_lu, n));
  ASSERT_TRUE(solve_symmetric_in_place(c, x_chol, n, work));
  const double scale = reference.cwiseAbs().maxCoeff();
  for (Eigen::Index i = 0; i < n; ++i) {
    EXPECT_NEAR(x_lu(i), reference(i), 1e-10 * scale) << i;
    EXPECT_NEAR(x_chol(i), reference(i), 1e-10 * scale) << i;
  }
  // Nothing outside the leading block is read or written.
  EXPECT_EQ(x_chol.tail(padded - n), rhs.tail(padded - n));
  EXPECT_EQ(c.rightCols(padded - n), h.rightCols(padded - n));
  EXPECT_EQ(c.bottomRows(padded - n), h.bottomRows(padded - n));
  // Cholesky keeps the diagonal and lower triangle.
  EXPECT_EQ(Eigen::MatrixXd(c.topLeftCorner(n, n).triangularView<Eigen::Lower>()),
            Eigen::MatrixXd(h.topLeftCorner(n, n).triangularView<Eigen::Lower>()));
}

TEST(NewtonStep, IndefiniteBlockFallsBackToEliminationWithTheMatrixRestored) {
  // Symmetric with eigenvalues of both signs (an early Newton step away from a minimum).
  Eigen::MatrixXd h(4, 4);
  h << 2.0, 1.0, 0.5, 0.0,  //
      1.0, -3.0, 0.2, 0.1,  //
      0.5, 0.2, 1.0, 0.3,   //
      0.0, 0.1, 0.3, 4.0;
  const Eigen::VectorXd rhs = Eigen::Vector4d(1.0, -2.0, 0.5, 3.0);
  const Eigen::VectorXd reference = h.fullPivLu().solve(rhs);
  // Only the lower triangle is given, as the split fills it.
  Eigen::MatrixXd c = h.triangularView<Eigen::Lower>();
  Eigen::VectorXd b = rhs, work = Eigen::VectorXd::Zero(4);
  EXPECT_FALSE(solve_symmetric_in_place(c, b, 4, work));
  EXPECT_EQ(c, h);
  EXPECT_EQ(b, rhs);
  ASSERT_TRUE(solve_newton_step(c, b, 4, work));
  for (Eigen::Index i = 0; i < 4; ++i) EXPECT_NEAR(b(i), reference(i), 1e-12) << i;
}

}  // namespace
}  // namespace thermo
