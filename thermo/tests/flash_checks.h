#pragma once
// Checks shared by the flash tests, computed afresh from a result (no state of the
// flasher): material balance, equal fugacities across phases, fractions that are
// fractions, and a tangent-plane search for a phase the result lacks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <span>
#include <string>
#include <vector>

#include "thermo/cubic_mixture.h"
#include "thermo/flash_result.h"

namespace thermo::testing_support {

struct EquilibriumErrors {
  double balance = 0;        // max |sum_p beta_p x_ip - z_i| / z_i over components present
  double ln_fugacity = 0;    // max |ln f_i(p) - ln f_i(q)| over present phases, components present
  double fraction_sum = 0;   // |sum of present phase fractions - 1|
  double composition_sum = 0;  // max |sum_i x_i - 1| over present phases
  bool fractions_in_range = true;  // every fraction and mole fraction in [0, 1]
  bool zeros_stay_zero = true;     // a component absent from the feed is absent everywhere
};

inline EquilibriumErrors equilibrium_errors(const Fluid& fluid, const FlashResult& r, std::span<const double> z) {
  EquilibriumErrors e;
  CubicMixture mixture(fluid);
  mixture.set_temperature(r.T_K);
  const auto n = static_cast<Eigen::Index>(fluid.size());
  std::vector<Eigen::VectorXd> ln_f;
  std::vector<const PhaseResult*> present;
  double z_sum = 0;
  for (double v : z) z_sum += v;
  double beta_sum = 0;
  for (const PhaseResult& ph : r.phases) {
    if (!ph.present) continue;
    present.push_back(&ph);
    beta_sum += ph.fraction;
    if (!(ph.fraction >= 0 && ph.fraction <= 1)) e.fractions_in_range = false;
    Eigen::VectorXd x = Eigen::Map<const Eigen::VectorXd>(ph.composition.data(), n);
    for (Eigen::Index i = 0; i < n; ++i) {
      if (!(x(i) >= 0 && x(i) <= 1)) e.fractions_in_range = false;
    }
    e.composition_sum = std::max(e.composition_sum, std::abs(x.sum() - 1.0));
    Eigen::VectorXd f(n);
    mixture.ln_phi(x, r.P_kPa, RootChoice::MinimumGibbs, f);
    for (Eigen::Index i = 0; i < n; ++i) f(i) += x(i) > 0 ? std::log(x(i)) : 0.0;
    ln_f.push_back(f);
  }
  e.fraction_sum = std::abs(beta_sum - 1.0);
  for (Eigen::Index i = 0; i < n; ++i) {
    const double zi = z[static_cast<std::size_t>(i)] / z_sum;
    double balance = 0;
    for (const PhaseResult* ph : present) {
      const double x = ph->composition[static_cast<std::size_t>(i)];
      balance += ph->fraction * x;
      if (zi == 0 && x != 0) e.zeros_stay_zero = false;
    }
    if (zi == 0) continue;
    e.balance = std::max(e.balance, std::abs(balance - zi) / zi);
    for (std::size_t p = 0; p < ln_f.size(); ++p) {
      for (std::size_t q = p + 1; q < ln_f.size(); ++q) {
        e.ln_fugacity = std::max(e.ln_fugacity, std::abs(ln_f[p](i) - ln_f[q](i)));
      }
    }
  }
  return e;
}

// Every pair of present phases has equal ln fugacity for every component present in the
// feed, and the phases add up to the feed.
inline void expect_equilibrium(const Fluid& fluid, const FlashResult& r, std::span<const double> z,
                               double ln_f_tolerance, const std::string& where) {
  const EquilibriumErrors e = equilibrium_errors(fluid, r, z);
  EXPECT_LE(e.composition_sum, 1e-12) << where;
  EXPECT_LE(e.fraction_sum, 1e-12) << where;
  EXPECT_TRUE(e.fractions_in_range) << where;
  EXPECT_TRUE(e.zeros_stay_zero) << where;
  EXPECT_LE(e.balance, 1e-10) << where << " material balance";
  EXPECT_LE(e.ln_fugacity, ln_f_tolerance) << where << " fugacities";
}

// A phase the result lacks, found by tangent-plane trials from one of its phases (at
// equilibrium all its phases share one tangent plane): trials from Wilson's K-values
// both ways, from each pure component present and from an ideal gas, by successive
// substitution. Any trial composition with a negative modified tangent-plane distance
// proves the result unstable, converged or not.
struct MissedPhase {
  double tm = 0;  // the most negative distance found (0 if none)
  std::vector<double> composition;
  bool liquid_like = false;
  bool aqueous = false;  // liquid-like and more than half water
};

inline MissedPhase missed_phase(const Fluid& fluid, const FlashResult& r, int substitutions = 150) {
  MissedPhase found;
  const PhaseResult* reference = nullptr;
  for (const PhaseResult& ph : r.phases) {
    if (ph.present && (reference == nullptr || ph.fraction > reference->fraction)) reference = &ph;
  }
  if (reference == nullptr) return found;
  CubicMixture mixture(fluid);
  mixture.set_temperature(r.T_K);
  const auto n = static_cast<Eigen::Index>(fluid.size());
  const Eigen::VectorXd x = Eigen::Map<const Eigen::VectorXd>(reference->composition.data(), n);
  Eigen::VectorXd ln_phi(n), d = Eigen::VectorXd::Zero(n), wilson(n);
  mixture.ln_phi(x, r.P_kPa, RootChoice::MinimumGibbs, ln_phi);
  std::vector<Eigen::Index> active;
  for (Eigen::Index i = 0; i < n; ++i) {
    if (x(i) > 0) {
      active.push_back(i);
      d(i) = std::log(x(i)) + ln_phi(i);
    }
    const Component& c = fluid.component(static_cast<std::size_t>(i));
    wilson(i) = std::log(c.pc_kPa / r.P_kPa) + 5.373 * (1.0 + c.omega) * (1.0 - c.tc_K / r.T_K);
  }
  std::vector<Eigen::VectorXd> starts;
  auto start = [&](auto value) {
    Eigen::VectorXd w = Eigen::VectorXd::Zero(n);
    for (Eigen::Index i : active) w(i) = value(i);
    starts.push_back(w);
  };
  start([&](Eigen::Index i) { return x(i) * std::exp(wilson(i)); });
  start([&](Eigen::Index i) { return x(i) * std::exp(-wilson(i)); });
  start([&](Eigen::Index i) { return std::exp(d(i)); });
  for (Eigen::Index k : active) start([&](Eigen::Index i) { return i == k ? 1.0 : 1e-6 * x(i); });
  const int w = fluid.water_index();
  Eigen::VectorXd ln_phi_w(n);
  for (Eigen::VectorXd trial : starts) {
    for (int it = 0; it < substitutions; ++it) {
      const PhaseProperties props = mixture.ln_phi(trial, r.P_kPa, RootChoice::MinimumGibbs, ln_phi_w);
      double tm = 1.0, w_sum = 0, dev = 0;
      for (Eigen::Index i : active) {
        tm += trial(i) * (std::log(trial(i)) + ln_phi_w(i) - d(i) - 1.0);
        w_sum += trial(i);
      }
      for (Eigen::Index i : active) dev = std::max(dev, std::abs(trial(i) / w_sum - x(i)));
      if (dev < 1e-5) break;  // fallen onto the reference phase
      if (tm < found.tm) {
        found.tm = tm;
        found.composition.assign(static_cast<std::size_t>(n), 0.0);
        for (Eigen::Index i : active) found.composition[static_cast<std::size_t>(i)] = trial(i) / w_sum;
        // Liquid-like as the engine labels phases: a volume below the pseudo-critical one.
        const CubicConstants& k = fluid.cubic();
        const double vpc = (1.0 - (k.delta1 + k.delta2 - 1.0) * k.omega_b) / 3.0 / k.omega_b * props.b_m3_per_kmol;
        found.liquid_like = props.v_eos_m3_per_kmol < vpc;
        found.aqueous = found.liquid_like && w >= 0 && trial(w) / w_sum > 0.5;
      }
      double change = 0;
      for (Eigen::Index i : active) {
        const double next = std::max(std::exp(d(i) - ln_phi_w(i)), 1e-300);
        change = std::max(change, std::abs(std::log(next / trial(i))));
        trial(i) = next;
      }
      if (change < 1e-10) break;  // a stationary point
    }
  }
  return found;
}

// Whether a phase found by missed_phase lies outside what the flashes seek: a second
// hydrocarbon liquid in a three-phase state (beside a vapour or beside an aqueous
// liquid), or a fourth phase.
inline bool beyond_sought_phases(const Fluid& fluid, const FlashResult& r, const MissedPhase& m) {
  const int w = fluid.water_index();
  if (r.phase_count >= 3) return true;
  int vapours = 0, hydrocarbon_liquids = 0;
  for (int p = 0; p < kPhaseSlots; ++p) {
    const PhaseResult& ph = r.phases[static_cast<std::size_t>(p)];
    if (!ph.present) continue;
    if (p == kVapour) ++vapours;
    if (p == kHydrocarbonLiquid) ++hydrocarbon_liquids;
    // The heavy-liquid slot holds a second hydrocarbon liquid when it is not aqueous.
    if (p == kAqueousLiquid && !(w >= 0 && ph.composition[static_cast<std::size_t>(w)] > 0.5)) ++hydrocarbon_liquids;
  }
  if (m.liquid_like && !m.aqueous) ++hydrocarbon_liquids;
  if (!m.liquid_like) ++vapours;
  const bool aqueous = r.phases[kAqueousLiquid].present || m.aqueous;
  return hydrocarbon_liquids >= 2 && (vapours >= 1 || aqueous);
}

}  // namespace thermo::testing_support
