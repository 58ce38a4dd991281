#include "thermo/cubic_eos.h"

#include <cmath>
#include <numbers>

#include "thermo/constants.h"

namespace thermo {

CubicConstants cubic_constants(EquationOfState eos) {
  if (eos == EquationOfState::PengRobinson) {
    return {constants::pr_omega_a, constants::pr_omega_b, 1.0 + std::numbers::sqrt2, 1.0 - std::numbers::sqrt2};
  }
  return {constants::srk_omega_a, constants::srk_omega_b, 1.0, 0.0};
}

double kappa_of_omega(EquationOfState eos, double omega) {
  using namespace constants;
  if (eos == EquationOfState::SoaveRedlichKwong) {
    return srk_kappa[0] + omega * (srk_kappa[1] + omega * srk_kappa[2]);
  }
  if (omega > pr1978_omega_threshold) {
    return pr1978_kappa[0] + omega * (pr1978_kappa[1] + omega * (pr1978_kappa[2] + omega * pr1978_kappa[3]));
  }
  return pr1976_kappa[0] + omega * (pr1976_kappa[1] + omega * pr1976_kappa[2]);
}

namespace {

double twu_alpha(const constants::TwuAlpha& p, double tr) {
  const double ln_tr = std::log(tr);
  return std::exp(p.N * (p.M - 1.0) * ln_tr + p.L * (1.0 - std::exp(p.N * p.M * ln_tr)));
}

}  // namespace

double alpha(EquationOfState eos, const Component& component, double T_K) {
  using namespace constants;
  const double tr = T_K / component.tc_K;
  if (eos == EquationOfState::SoaveRedlichKwong) {
    if (component.cas == srk_twu_water_cas) return twu_alpha(srk_twu_water, tr);
    if (component.cas == srk_twu1995_toluene_cas) {
      const double alpha0 = twu_alpha(srk_twu1995_alpha0, tr);
      return alpha0 + component.omega * (twu_alpha(srk_twu1995_alpha1, tr) - alpha0);
    }
  }
  const double sqrt_tr = std::sqrt(tr);
  double kappa = kappa_of_omega(eos, component.omega);
  if (eos == EquationOfState::PengRobinson) {
    for (const auto& entry : prsv_kappa1) {
      if (entry.cas != component.cas) continue;
      const double w = component.omega;
      kappa = prsv_kappa0[0] + w * (prsv_kappa0[1] + w * (prsv_kappa0[2] + w * prsv_kappa0[3]));
      if (tr < prsv_tr_limit) kappa += entry.kappa1 * (1.0 + sqrt_tr) * (prsv_tr_limit - tr);
    }
  }
  const double root = 1.0 + kappa * (1.0 - sqrt_tr);
  return root * root;
}

double volume_shift_m3_per_kmol(EquationOfState eos, const Component& component) {
  using namespace constants;
  if (eos == EquationOfState::PengRobinson && component.has_pr_shift) return component.pr_shift_m3_per_kmol;
  if (component.zra <= 0) return 0.0;
  const double rtc_over_pc = R_J_per_mol_K * component.tc_K / component.pc_kPa;  // m3/kmol
  if (eos == EquationOfState::PengRobinson) {
    return peneloux_pr_factor * (peneloux_pr_zra0 - component.zra) * rtc_over_pc;
  }
  return peneloux_srk_factor * (peneloux_srk_zra0 - component.zra) * rtc_over_pc;
}

}  // namespace thermo
