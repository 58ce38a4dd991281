#pragma once
// Checks shared by the flash tests: equal fugacities across phases and material balance.
#include <gtest/gtest.h>

#include <cmath>
#include <span>
#include <string>

#include "thermo/cubic_mixture.h"
#include "thermo/flash_result.h"

namespace thermo::testing_support {

// Every pair of present phases has equal ln fugacity for every component present in the
// feed, and the phases add up to the feed.
inline void expect_equilibrium(const Fluid& fluid, const FlashResult& r, std::span<const double> z,
                               double ln_f_tolerance, const std::string& where) {
  CubicMixture mixture(fluid);
  mixture.set_temperature(r.T_K);
  const auto n = static_cast<Eigen::Index>(fluid.size());
  Eigen::VectorXd ln_f[kPhaseSlots];
  double z_sum = 0;
  for (double v : z) z_sum += v;
  double beta_sum = 0;
  for (int p = 0; p < kPhaseSlots; ++p) {
    const PhaseResult& ph = r.phases[static_cast<std::size_t>(p)];
    if (!ph.present) continue;
    beta_sum += ph.fraction;
    Eigen::VectorXd x = Eigen::Map<const Eigen::VectorXd>(ph.composition.data(), n);
    EXPECT_NEAR(x.sum(), 1.0, 1e-12) << where;
    ln_f[p].resize(n);
    mixture.ln_phi(x, r.P_kPa, RootChoice::MinimumGibbs, ln_f[p]);
    for (Eigen::Index i = 0; i < n; ++i) ln_f[p](i) += x(i) > 0 ? std::log(x(i)) : 0.0;
  }
  EXPECT_NEAR(beta_sum, 1.0, 1e-12) << where;
  for (Eigen::Index i = 0; i < n; ++i) {
    const double zi = z[static_cast<std::size_t>(i)] / z_sum;
    double balance = 0;
    for (int p = 0; p < kPhaseSlots; ++p) {
      const PhaseResult& ph = r.phases[static_cast<std::size_t>(p)];
      if (!ph.present) continue;
      balance += ph.fraction * ph.composition[static_cast<std::size_t>(i)];
      if (zi == 0) {
        EXPECT_EQ(ph.composition[static_cast<std::size_t>(i)], 0.0) << where << " component " << i;
      }
    }
    EXPECT_NEAR(balance, zi, 1e-10 * std::max(zi, 1e-3)) << where << " balance of component " << i;
    if (zi == 0) continue;
    for (int p = 0; p < kPhaseSlots; ++p) {
      for (int q = p + 1; q < kPhaseSlots; ++q) {
        if (ln_f[p].size() == 0 || ln_f[q].size() == 0) continue;
        EXPECT_NEAR(ln_f[p](i), ln_f[q](i), ln_f_tolerance) << where << " component " << i << " phases " << p << q;
      }
    }
  }
}

}  // namespace thermo::testing_support
