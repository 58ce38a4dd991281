// Random fluids drawn from the whole component table (zeros, traces, water, gases),
// at random states across the working range: every PT flash converges to an
// equilibrium, and no flash returns a non-finite number. Such a sweep found the faults
// that the fixed cases of the other tests missed (a water-rich vapour taken for free
// water, a liquid trial stuck on water, substitution running out of (0, 1)).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "flash_checks.h"
#include "thermo/flasher.h"

namespace thermo {
namespace {

TEST(RandomFluids, PtFlashesConvergeToEquilibriumAndNothingIsNonFinite) {
  std::mt19937 rng(20261210);  // fixed: the same cases every run
  auto uniform = [&](double lo, double hi) { return lo + (hi - lo) * (rng() / 4294967296.0); };
  const std::vector<Component>& table = ComponentDatabase::builtin().components();
  int converged = 0, compared = 0, disagreements = 0;
  constexpr int kCases = 400;
  for (int c = 0; c < kCases; ++c) {
    std::vector<std::size_t> order(table.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    for (std::size_t i = order.size() - 1; i > 0; --i) std::swap(order[i], order[rng() % (i + 1)]);
    const std::size_t n = 2 + rng() % 10;
    std::vector<Component> components;
    std::vector<double> z;
    for (std::size_t k = 0; k < n; ++k) {
      components.push_back(table[order[k]]);
      double v = uniform(0, 1);
      if (rng() % 5 == 0) v = 0;        // listed but absent
      if (rng() % 7 == 0) v *= 1e-6;    // a trace
      z.push_back(v);
    }
    if (std::all_of(z.begin(), z.end(), [](double v) { return v == 0; })) z[0] = 1;
    const double T = uniform(250, 450);
    const double P = std::exp(uniform(std::log(1e-4), std::log(3e5)));
    const Fluid fluid(components);
    Flasher flasher(fluid);
    std::string where = "case " + std::to_string(c) + " T " + std::to_string(T) + " P " + std::to_string(P) + " z";
    for (std::size_t k = 0; k < n; ++k) where += " " + components[k].name + "=" + std::to_string(z[k]);
    const FlashResult r = flasher.flash_pt(T, P, z);
    ASSERT_NE(r.status, FlashStatus::InvalidInput) << where;
    if (r.status == FlashStatus::Converged) {
      ++converged;
      testing_support::expect_equilibrium(fluid, r, z, 1e-8, where);
    }
    const double beta = uniform(0, 1);
    const FlashResult s = flasher.flash_t_beta(T, beta, z);
    // Where the saturation flash finds a pressure, the PT flash there must find the same
    // vapour fraction: a phase missed by the stability analysis shows up here.
    const auto active = std::count_if(z.begin(), z.end(), [](double v) { return v > 0; });
    if (s.status == FlashStatus::Converged && active > 1 && beta > 0.01 && beta < 0.99) {
      ++compared;
      const FlashResult check = flasher.flash_pt(T, s.P_kPa, z);
      if (std::abs(check.vapour_fraction() - beta) > 1e-6) {
        ++disagreements;
        std::printf("disagreement: %s beta %.4f PT %.4f (%d phases)\n", where.c_str(), beta, check.vapour_fraction(), check.phase_count);
      }
    }
    for (const FlashResult* x : {&r, &s}) {
      EXPECT_TRUE(std::isfinite(x->P_kPa)) << where;
      for (const auto& p : x->phases) {
        EXPECT_TRUE(std::isfinite(p.fraction) && std::isfinite(p.v_m3_per_kmol)) << where;
        for (double v : p.composition) EXPECT_TRUE(std::isfinite(v)) << where;
      }
    }
  }
  // Non-convergence is reported, not hidden; it stays rare (near-critical states).
  EXPECT_GE(converged, kCases - 2);
  // Near-critical states and nearly invariant three-phase states (a pressure where the
  // vapour fraction is undetermined) disagree legitimately; about 1 % of such cases.
  EXPECT_GT(compared, kCases / 2);
  EXPECT_LE(disagreements, compared / 40) << disagreements << " of " << compared;
}

}  // namespace
}  // namespace thermo
