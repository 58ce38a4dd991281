// Analytic derivatives of ln phi against central finite differences, over a table of
// states (both cubics, liquid and vapour roots, compositions with zero fractions), and
// the root choice by Gibbs energy.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "thermo/cubic_mixture.h"
#include "thermo/pure_saturation.h"

namespace thermo {
namespace {

struct State {
  EquationOfState eos;
  std::vector<double> x;  // methane, n-butane, n-heptane, nitrogen, water
  double T_K;
  double P_kPa;
  RootChoice root;
};

class Derivatives : public ::testing::TestWithParam<State> {};

TEST_P(Derivatives, AnalyticEqualFiniteDifferences) {
  const State& s = GetParam();
  const Fluid fluid = Fluid::from_keys({"methane", "n-butane", "n-heptane", "nitrogen", "water"}, s.eos);
  CubicMixture mixture(fluid);
  mixture.set_temperature(s.T_K);
  const Eigen::Index n = 5;
  const Eigen::VectorXd x = Eigen::Map<const Eigen::VectorXd>(s.x.data(), n);
  Eigen::VectorXd ln_phi(n), dP(n), up(n), down(n);
  Eigen::MatrixXd dn(n, n);
  mixture.ln_phi(x, s.P_kPa, s.root, ln_phi, &dP, &dn);

  const double hP = 1e-6 * s.P_kPa;
  mixture.ln_phi(x, s.P_kPa + hP, s.root, up);
  mixture.ln_phi(x, s.P_kPa - hP, s.root, down);
  for (Eigen::Index i = 0; i < n; ++i) {
    const double fd = (up(i) - down(i)) / (2 * hP);
    EXPECT_NEAR(dP(i), fd, 1e-6 * std::abs(fd) + 1e-12) << "d ln phi_" << i << "/dP";
  }
  // x sums to 1, so these are derivatives for one mole of mixture; ln_phi renormalises.
  const double hn = 1e-6;
  for (Eigen::Index j = 0; j < n; ++j) {
    Eigen::VectorXd plus = x, minus = x;
    plus(j) += hn;
    minus(j) -= hn;
    mixture.ln_phi(plus, s.P_kPa, s.root, up);
    mixture.ln_phi(minus, s.P_kPa, s.root, down);
    // ln_phi works with x / sum(x): the mole numbers n and n + h e_j both scaled by their
    // total, which is exactly d/dn_j at one mole.
    for (Eigen::Index i = 0; i < n; ++i) {
      const double fd = (up(i) - down(i)) / (2 * hn);
      EXPECT_NEAR(dn(i, j), fd, 1e-5 * std::abs(fd) + 1e-7) << "d ln phi_" << i << "/dn_" << j;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    States, Derivatives,
    ::testing::Values(
        State{EquationOfState::PengRobinson, {0.02, 0.3, 0.68, 0.0, 0.0}, 310.93, 500.0, RootChoice::Liquid},
        State{EquationOfState::PengRobinson, {0.7, 0.2, 0.05, 0.05, 0.0}, 310.93, 3000.0, RootChoice::Vapour},
        State{EquationOfState::PengRobinson, {1e-6, 1e-5, 1e-5, 1e-8, 0.99997899}, 273.7056, 101.325,
              RootChoice::Liquid},
        State{EquationOfState::PengRobinson, {0.0, 0.1, 0.1, 0.79, 0.01}, 273.7056, 101.325, RootChoice::Vapour},
        State{EquationOfState::SoaveRedlichKwong, {0.02, 0.3, 0.68, 0.0, 0.0}, 350.0, 1000.0, RootChoice::Liquid},
        State{EquationOfState::SoaveRedlichKwong, {0.5, 0.3, 0.1, 0.05, 0.05}, 400.0, 20000.0,
              RootChoice::Vapour}));

TEST(RootChoice, GibbsPicksTheStableRootEitherSideOfSaturation) {
  const Fluid fluid = Fluid::from_keys({"n-butane"});
  CubicMixture mixture(fluid);
  const PureSaturation sat = pure_saturation(mixture, 0, 310.93);
  ASSERT_TRUE(sat.converged);
  Eigen::VectorXd x(1), ln_phi(1);
  x << 1.0;
  EXPECT_TRUE(mixture.ln_phi(x, sat.P_kPa * 1.01, RootChoice::MinimumGibbs, ln_phi).liquid_root);
  EXPECT_FALSE(mixture.ln_phi(x, sat.P_kPa * 0.99, RootChoice::MinimumGibbs, ln_phi).liquid_root);
  // Both roots exist on both sides; the choice is by Gibbs energy, not by existence.
  EXPECT_TRUE(mixture.ln_phi(x, sat.P_kPa * 0.99, RootChoice::Liquid, ln_phi).liquid_root);
}

TEST(Cubic, RootsOfKnownPolynomials) {
  double r[3];
  // (Z - 0.1)(Z - 0.3)(Z - 0.9)
  ASSERT_EQ(solve_cubic(-1.3, 0.39, -0.027, r), 3);
  EXPECT_NEAR(r[0], 0.1, 1e-14);
  EXPECT_NEAR(r[1], 0.3, 1e-14);
  EXPECT_NEAR(r[2], 0.9, 1e-14);
  // (Z - 2)(Z^2 + 1)
  ASSERT_EQ(solve_cubic(-2.0, 1.0, -2.0, r), 1);
  EXPECT_NEAR(r[0], 2.0, 1e-14);
}

}  // namespace
}  // namespace thermo
