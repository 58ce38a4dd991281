#include "thermo/pure_saturation.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "thermo/constants.h"

namespace thermo {

PureSaturation pure_saturation(CubicMixture& mixture, std::size_t component, double T_K) {
  const Fluid& fluid = mixture.fluid();
  if (component >= fluid.size()) throw std::out_of_range("component index");
  PureSaturation result;
  const Component& c = fluid.component(component);
  if (!(T_K > 0) || T_K >= c.tc_K) return result;
  mixture.set_temperature(T_K);

  const auto n = static_cast<Eigen::Index>(fluid.size());
  Eigen::VectorXd x = Eigen::VectorXd::Zero(n);
  x(static_cast<Eigen::Index>(component)) = 1.0;
  Eigen::VectorXd ln_phi_l(n), ln_phi_v(n);
  const auto k = static_cast<Eigen::Index>(component);

  // Wilson's estimate as the start, then Newton in ln P: d(ln phi_L - ln phi_V)/d ln P = Z_L - Z_V.
  double ln_P = std::log(c.pc_kPa) + constants::wilson_slope * (1.0 + c.omega) * (1.0 - c.tc_K / T_K);
  // Zc of the cubic separates a lone liquid-like root from a lone vapour-like one.
  const double z_split = 0.3;
  for (int it = 1; it <= 200; ++it) {
    result.iterations = it;
    const double P = std::exp(ln_P);
    const PhaseProperties liquid = mixture.ln_phi(x, P, RootChoice::Liquid, ln_phi_l);
    const PhaseProperties vapour = mixture.ln_phi(x, P, RootChoice::Vapour, ln_phi_v);
    if (!liquid.liquid_root) {
      // One root only: step towards the pressure range where both exist.
      ln_P += liquid.Z < z_split ? -0.5 : 0.5;
      continue;
    }
    const double f = ln_phi_l(k) - ln_phi_v(k);
    const double df = liquid.Z - vapour.Z;
    double step = -f / df;
    step = std::clamp(step, -1.0, 1.0);
    ln_P += step;
    if (std::abs(step) < 1e-13) {
      result.converged = true;
      result.P_kPa = std::exp(ln_P);
      result.v_liquid_m3_per_kmol = mixture.translated_volume(x, liquid);
      result.v_vapour_m3_per_kmol = mixture.translated_volume(x, vapour);
      return result;
    }
  }
  return result;
}

}  // namespace thermo
