// The check every multiphase result passes before it is called converged: material
// balance and equal fugacities, on the quantities the solver has just evaluated.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "thermo/flasher.h"

namespace thermo {

bool Flasher::accept_equilibrium(int count, FlashResult& out) {
  const double ln_f_tolerance = std::max(kAcceptedLnFugacity, 1e3 * options_.tolerance);
  char text[160];
  auto reject = [&](const char* what, double value) {
    std::snprintf(text, sizeof text, "the result failed its equilibrium check: %s (%.3g)", what, value);
    out.status = FlashStatus::NotConverged;
    out.message = text;
    return false;
  };
  double beta_sum = 0;
  for (int p = 0; p < count; ++p) {
    const Phase& ph = phases_[p];
    if (!(ph.beta >= 0 && ph.beta <= 1)) return reject("a phase fraction outside [0, 1]", ph.beta);
    beta_sum += ph.beta;
    double x_sum = 0;
    for (Eigen::Index i = 0; i < n_; ++i) {
      if (!(ph.x(i) >= 0)) return reject("a negative mole fraction", ph.x(i));
      x_sum += ph.x(i);
    }
    if (!(std::abs(x_sum - 1.0) <= 1e-12)) return reject("mole fractions not summing to 1", x_sum - 1.0);
  }
  if (!(std::abs(beta_sum - 1.0) <= 1e-12)) return reject("phase fractions not summing to 1", beta_sum - 1.0);
  // Material balance, relative to each feed fraction so that traces count as much as
  // the rest; components absent from the feed must be absent everywhere.
  std::size_t next_active = 0;
  for (Eigen::Index i = 0; i < n_; ++i) {
    double held = 0;
    for (int p = 0; p < count; ++p) held += phases_[p].beta * phases_[p].x(i);
    const bool active = next_active < active_.size() && active_[next_active] == i;
    if (!active) {
      for (int p = 0; p < count; ++p) {
        if (phases_[p].x(i) != 0) return reject("an absent component in a phase", phases_[p].x(i));
      }
      continue;
    }
    ++next_active;
    const double error = std::abs(held - z_(i)) / z_(i);
    if (!(error <= kAcceptedBalance)) return reject("material balance", error);
  }
  // Fugacities against the first phase: ln(x_p / x_0) + ln phi_p - ln phi_0 = 0, with
  // the split's own ln(x_1 / x_0) where it has them.
  const Phase& first = phases_[0];
  const bool reuse = count == 2 && ln_k_is_log_ratio_;
  for (int p = 1; p < count; ++p) {
    const Phase& ph = phases_[p];
    for (Eigen::Index i : active_) {
      const double ln_ratio = reuse ? ln_k_(i) : std::log(ph.x(i) / first.x(i));
      const double residual = ln_ratio + ph.ln_phi(i) - first.ln_phi(i);
      if (!(std::abs(residual) <= ln_f_tolerance)) return reject("ln fugacities differ", residual);
    }
  }
  return true;
}

}  // namespace thermo
